// The main frame with the real content panel, service polls and views, run
// against the in-process quote and web-service simulators under Xvfb.
#include "app/FrameContent.h"
#include "app/MainFrame.h"
#include "base/DataPaths.h"
#include "base/ExchangeTime.h"
#include "base/GdiObjectCache.h"
#include "base/GlobalDefaults.h"
#include "base/PercentEncode.h"
#include "data/DataCenter.h"
#include "data/GroupData.h"
#include "data/UserStockList.h"
#include "formula/FormulaLibrary.h"
#include "net/DownLoaderManager.h"
#include "net/HttpClient.h"
#include "net/ServiceBaseUrl.h"
#include "tests/support/SimulatedMarket.h"
#include "tests/support/WindowTesting.h"
#include "tools/marketdata/SimMarketSeries.h"
#include "tools/marketdata/SimMarketTables.h"
#include "tools/quotesim/QuoteSimulator.h"
#include "tools/webservice/SimDiagnosisService.h"
#include "tools/webservice/SimLiveService.h"
#include "tools/webservice/SimPageService.h"
#include "tools/websim/WebSimServer.h"
#include "formula/FormulaManager.h"
#include "views/PaneConfigFile.h"
#include "views/ReportView.h"
#include "views/StockGraphView.h"
#include "views/ViewOptions.h"
#include <gtest/gtest.h>

namespace {

// The whole market on 127.0.0.1 with the service's pages and live replies,
// the program's skin, and the data center loaded as the login leaves it.
struct MarketOnLocalhost : SimulatedMarket
{
    SimPageService pages;
    SimLiveService live { 20260101, [] { return Now(); } };
    bool loaded = false;

    MarketOnLocalhost()
    {
        root.CopyProgramSkin();
        pages.Install(web);
        live.Install(web);
        if (!ok())
            return;
        CDataCenter* center = CDataCenter::Instance();
        loaded = center && center->LoadCodeTable() == S_OK && center->LoadFinanceData() == S_OK
            && center->LoadQuoteData() == S_OK
            && center->SetCurrentStock(center->GetCodeTable().FindKeyByCode("1A0001")) == 1
            && center->LoadGroupData() == S_OK && GroupIndex::Instance()->Rebuild(center->GetGroupData())
            && center->LoadFormulaData() == S_OK && FormulaLibrary::Instance()->Load(L"") == 1
            && center->LoadExRightsData() == S_OK;
    }
    ~MarketOnLocalhost()
    {
        // What the frame's teardown left (nothing, when it ran).
        if (CDataCenter* center = CDataCenter::PeekInstance())
            center->StopCacheThread();
        CDownLoaderManager::ReleaseInstance();
        CDataCenter::ReleaseInstance();
    }
};

// The scrolling ticker asks for a paint every 20 ms: pump for a while, not
// until the queue is empty.
void PumpFor(DWORD ms)
{
    const DWORD start = ::GetTickCount();
    MSG msg;
    while (::GetTickCount() - start < ms) {
        while (::GetTickCount() - start < ms && ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                ::PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void Command(CMainFrame& frame, UINT id)
{
    frame.SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0);
    PumpFor(50);
}

bool ShowsFilling(CContentPanelView& panel, int32_t id)
{
    CBaseView* view = panel.GetCurrentView();
    if (!view || view->GetViewId() != id || !view->IsWindowVisible())
        return false;
    return view->GetClientRect() == panel.GetClientRect();
}

// The program's services with the dialogs recorded instead of run modally.
class CRecordedDialogs : public CMenuCommandServices
{
public:
    std::vector<std::string>& opened;
    explicit CRecordedDialogs(std::vector<std::string>& log)
        : opened(log)
    {
        SetPageLauncher([this](const std::string& url) {
            opened.push_back("browser " + url);
            return true;
        });
    }
    void OpenTrendDialog(const std::string& title, UINT) override { opened.push_back("trend " + title); }
    void OpenRankingDialog(UINT command, CMessageProcessor*) override
    {
        opened.push_back("ranking " + std::to_string(command));
    }
    void OpenWebDialog(const std::string& title, const std::string& url, int32_t, int32_t) override
    {
        opened.push_back("web " + title + " " + url);
    }
};

// The program's frame with the real content panel, its dialogs recorded,
// shown at 1180 x 800.
struct ShownFrame
{
    std::vector<std::string> opened;
    CContentPanelView* panel = nullptr;
    std::unique_ptr<CMainFrame> frame = std::make_unique<CMainFrame>();

    bool Show()
    {
        auto content = std::make_unique<CFrameContent>(std::make_unique<CRecordedDialogs>(opened));
        panel = &content->GetPanel();
        frame->SetParts(std::move(content), nullptr, nullptr);
        if (!frame->CreateFrameWindow())
            return false;
        frame->SetWindowPos(nullptr, 0, 0, 1180, 800, SWP_NOZORDER | SWP_NOACTIVATE);
        ShowWithoutActivating(*frame);
        PumpFor(100);
        return true;
    }
};

} // namespace

TEST(FrameWithPanel, SwitchesThroughTheFourViewsAgainstTheSimulators)
{
    MarketOnLocalhost market;
    ASSERT_TRUE(market.loaded);
    ShownFrame shown;
    ASSERT_TRUE(shown.Show());
    std::vector<std::string>& opened = shown.opened;
    CContentPanelView& panel = *shown.panel;
    std::unique_ptr<CMainFrame>& frame = shown.frame;
    // The minute chart opens the announcements page when it is first made.
    EXPECT_EQ(opened, (std::vector<std::string> { "web 最新公告 " + ServiceBaseUrl::Get() + "zentu/tip/tip_classic.php?u="
                          + PercentEncode(CurrentUserName::Get()) }));
    opened.clear();

    // The polls ran once while the frame was made: panes and headlines.
    EXPECT_EQ(frame->GetStatusBar().GetStatusItems().size(), 7u);
    EXPECT_EQ(frame->GetBottomBar().GetTicker().GetTitles().size(), 5u);
    EXPECT_EQ(ServerTime::Get(), SimulatedMarket::Now());

    // The minute chart first; the tabs switch through the other views.
    EXPECT_TRUE(ShowsFilling(panel, 3001));
    Command(*frame, 3002);
    EXPECT_TRUE(ShowsFilling(panel, 3002));
    Command(*frame, 3003);
    EXPECT_TRUE(ShowsFilling(panel, 3003));
    Command(*frame, 3000);
    EXPECT_TRUE(ShowsFilling(panel, 3000));
    auto* list = static_cast<CReportView*>(panel.GetCurrentView());
    EXPECT_GT(list->GetList().GetItemCount(), 0) << "the quote list shows the loaded board";
    EXPECT_EQ(panel.GetRefreshDivisor(), 1);
    EXPECT_EQ(frame->GetTabRow().GetCurrentIndex(), 0);
    Command(*frame, 3001);
    EXPECT_TRUE(ShowsFilling(panel, 3001));

    // A status pane opens its index in the minute chart.
    frame->SendMessage(kFrameStatusPaneClicked, 5021, 0);
    EXPECT_EQ(CDataCenter::Instance()->GetCurrentCodeKey(), 0x01399001u);
    // F3 through the frame's message filter.
    MSG key = {};
    key.hwnd = panel.m_hWnd;
    key.message = WM_KEYDOWN;
    key.wParam = VK_F3;
    frame->PreTranslateMessage(&key);
    EXPECT_EQ(CDataCenter::Instance()->GetCurrentCodeKey(), 0x1A0001u);
    EXPECT_TRUE(ShowsFilling(panel, 3001));
    // Menu commands of the caption menu reach the dispatcher.
    Command(*frame, 4105);
    EXPECT_TRUE(ShowsFilling(panel, 3002));
    // The K-line view's "指标说明" opens the service's page of the pane's indicator.
    KLineChart& chart = static_cast<CStockGraphView*>(panel.GetCurrentView())->GetChart();
    std::string help;
    chart.SetHelpOpener([&help](const std::string& url) { help = url; });
    chart.OnIndicatorButton(0 * 3 + KLineChart::kButtonHelp);
    EXPECT_EQ(0u, help.find(ServiceBaseUrl::Get())) << help;
    EXPECT_NE(std::string::npos, help.find("zentu/live/tech_tip.php?id=")) << help;
    Command(*frame, 4018);
    EXPECT_EQ(opened, (std::vector<std::string> { "browser " + ServiceBaseUrl::Get() }));

    // The quote list of Shanghai and Shenzhen A shares for the picture.
    Command(*frame, 4091);
    EXPECT_TRUE(ShowsFilling(panel, 3000));
    PumpFor(500);
    EXPECT_GT(list->GetList().GetItemCount(), 20);
    frame->RedrawWindow(nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpFor(100);
    EXPECT_FALSE(SaveWindowScreenshot(*frame, "shell_mainframe_quotes").empty());

    // The program's end: the panel's notices stop, the singletons go, and
    // nothing builds the data center again.
    frame->DestroyWindow();
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) { }
    EXPECT_EQ(CDataCenter::PeekInstance(), nullptr);
    frame.reset();
    EXPECT_EQ(CDataCenter::PeekInstance(), nullptr);
}

// The end of a run with the K-line view showing: the views go first and save
// the panes the user chose, and nothing the teardown released is made again.
TEST(FrameWithPanel, TheTeardownKeepsThePanesAndMakesNothingItReleasedAgain)
{
    MarketOnLocalhost market;
    ASSERT_TRUE(market.loaded);
    const std::string paneFile = DataPaths::Instance()->GetTechWinConfFile();
    ShownFrame shown;
    ASSERT_TRUE(shown.Show());
    CContentPanelView& panel = *shown.panel;
    std::unique_ptr<CMainFrame>& frame = shown.frame;
    // Three panes, the last one RSI, as the menu and the wizard choose them.
    Command(*frame, 4001);
    ASSERT_TRUE(ShowsFilling(panel, 3002));
    Command(*frame, 4149 + 3);
    const FormulaDefinition* rsi = FormulaLibrary::Instance()->FindByName(L"RSI");
    ASSERT_NE(nullptr, rsi);
    panel.GetHub().Dispatch(kViewMsgShowFormula, static_cast<WPARAM>(rsi->NO), 0);
    KLineChart& chart = static_cast<CStockGraphView*>(panel.GetCurrentView())->GetChart();
    ASSERT_EQ((std::vector<std::wstring> { L"VOL", L"MACD", L"RSI" }), chart.GetShownPaneNames());
    PumpFor(200);

    frame->DestroyWindow();
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) { }
    frame.reset();
    const struct
    {
        const char* name;
        bool made;
    } singletons[] = {
        { "CDataCenter", CDataCenter::PeekInstance() != nullptr },
        { "CDownLoaderManager", CDownLoaderManager::PeekInstance() != nullptr },
        { "HttpClient", HttpClient::PeekInstance() != nullptr },
        { "CalcDefaults", CalcDefaults::PeekInstance() != nullptr },
        { "FormulaManager", FormulaManager::PeekInstance() != nullptr },
        { "UserStockList", UserStockList::PeekInstance() != nullptr },
        { "FormulaLibrary", FormulaLibrary::PeekInstance() != nullptr },
        { "GroupIndex", GroupIndex::PeekInstance() != nullptr },
        { "DataPaths", DataPaths::PeekInstance() != nullptr },
        { "GdiObjectCache", GdiObjectCache::PeekInstance() != nullptr },
        { "ViewOptions", ViewOptions::PeekInstance() != nullptr },
    };
    for (const auto& singleton : singletons)
        EXPECT_FALSE(singleton.made) << singleton.name << " was made again after its release";

    const kline::PaneConfig saved = kline::LoadPaneConfig(paneFile, 5);
    EXPECT_EQ(3, saved.count);
    ASSERT_GE(saved.names.size(), 3u);
    EXPECT_EQ((std::vector<std::wstring> { L"VOL", L"MACD", L"RSI" }),
        std::vector<std::wstring>(saved.names.begin(), saved.names.begin() + 3));
}
