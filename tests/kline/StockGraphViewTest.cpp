// The K-line view in a real window: its two tab strips, the menu entry
// points, the view messages, the tooltip and a rendered picture.
#include "base/ChartColors.h"
#include "base/PathUtil.h"
#include "base/PngFile.h"
#include "formula/FormulaCalculator.h"
#include "formula/FormulaLibrary.h"
#include "tests/kline/KLineFixtures.h"
#include "tests/support/OffscreenCanvas.h"
#include "tests/support/SeriesFixtures.h"
#include "tests/support/TempDataRoot.h"
#include "tests/support/WindowTesting.h"
#include "views/StockGraphView.h"
#include "views/ViewOptions.h"
#include "win/Dib32.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class RecordingProcessor : public CMessageProcessor
{
public:
    int Register(UINT messageId, CMessageAcceptor*) override
    {
        registered.push_back(messageId);
        return 1;
    }
    int Dispatch(UINT messageId, WPARAM wParam, LPARAM) override
    {
        dispatched.emplace_back(messageId, wParam);
        return 0;
    }
    std::vector<UINT> registered;
    std::vector<std::pair<UINT, WPARAM>> dispatched;
};

// Saves an image beside the other pictures of the tests.
void SaveImage(CDib32& image, const std::string& name)
{
    const std::string dir = GetModuleDirectory() + "test-output";
    ::CreateDirectoryA(dir.c_str(), nullptr);
    EXPECT_TRUE(SavePixelsAsPng(image.Row(0), image.Width(), image.Height(), false, dir + "\\" + name + ".png"));
}

// Pixels of the colour (0x00BBGGRR) inside rect.
int CountColour(const CDib32& image, COLORREF colour, const RECT& rect)
{
    const uint32_t rgb = static_cast<uint32_t>(GetRValue(colour)) << 16 | GetGValue(colour) << 8 | GetBValue(colour);
    int count = 0;
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x)
            count += (image.GetPixel(x, y) & 0xFFFFFF) == rgb ? 1 : 0;
    return count;
}

// A pane below its title line holds more than its background.
bool SomethingDrawnIn(const CDib32& image, RECT pane)
{
    pane.top += 20;
    ::InflateRect(&pane, -1, -1);
    const int pixels = (pane.right - pane.left) * (pane.bottom - pane.top);
    return CountColour(image, ChartColors::Background, pane) < pixels * 99 / 100;
}

class StockGraphViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX icc { sizeof icc, ICC_WIN95_CLASSES };
        ::InitCommonControlsEx(&icc);
        LoadSimulatorFormulas();
        ViewOptions::ReleaseInstance();
        stock = MakeDayStock(0x600000, 400);
        other = MakeDayStock(0x600004, 100, "第二", "600004");
        source.current = stock.get();
        source.browseList = { stock.get(), other.get() };
        view = std::make_unique<CStockGraphView>(&processor, source, root.AppDir() + "techwin.conf",
            root.AppDir() + "showformula.dat");
        const RECT rect { 0, 0, 1300, 800 };
        ASSERT_NE(nullptr, view->Create(nullptr, rect, "", WS_POPUP));
        ShowWithoutActivating(view->m_hWnd);
        view->Activate(0x600000);
        PumpPendingMessages();
    }
    void TearDown() override
    {
        if (view && view->m_hWnd)
            view->DestroyWindow();
        view.reset();
        ViewOptions::ReleaseInstance();
    }

    std::vector<std::string> Titles(CSkinFlatTabCtrl& tabs)
    {
        std::vector<std::string> titles;
        for (int i = 0; i < tabs.GetItemCount(); ++i)
            titles.push_back(tabs.GetItem(i) ? tabs.GetItem(i) : "");
        return titles;
    }

    void SelectTab(CSkinFlatTabCtrl& tabs, int id, int index)
    {
        tabs.SetCurSel(index);
        NMHDR header {};
        header.hwndFrom = tabs.m_hWnd;
        header.idFrom = static_cast<UINT_PTR>(id);
        header.code = static_cast<UINT>(TCN_SELCHANGE);
        view->SendMessage(WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&header));
    }

    TempDataRoot root;
    FakeKLineSource source;
    RecordingProcessor processor;
    std::unique_ptr<CStock> stock;
    std::unique_ptr<CStock> other;
    std::unique_ptr<CStockGraphView> view;
};

}

TEST_F(StockGraphViewTest, RegistersItsMessagesAndStartsWithTheDefaultTabs)
{
    EXPECT_EQ((std::vector<UINT> { 256, 522, 4046, 4025 }), processor.registered);
    EXPECT_EQ((std::vector<std::string> { "设置", "MACD", "KDJ", "RSI", "BOLL", "VOL" }), Titles(view->GetIndicatorTabs()));
    EXPECT_EQ((std::vector<std::string> { "板", "笔", "价", "财", "单", "诊", "本", "势" }), Titles(view->GetPageTabs()));
    EXPECT_EQ(9, view->GetChart().GetSidePanelPage());
}

TEST_F(StockGraphViewTest, IndicatorFileDecidesTheTabs)
{
    // 999 has no definition and gets no tab.
    const std::string bytes("\x03\x00\x00\x00\xE7\x03\x00\x00\x68\x00\x00\x00\x01", 13);
    ASSERT_TRUE(WriteTestFile(root.AppDir() + "showformula.dat", bytes));
    SelectTab(view->GetIndicatorTabs(), CStockGraphView::kIndicatorTabsId, 0);
    EXPECT_EQ((std::vector<std::string> { "设置", "CCI", "VOL" }), Titles(view->GetIndicatorTabs()));
}

TEST_F(StockGraphViewTest, IndicatorTabShowsItsIndicatorInTheSelectedPane)
{
    SelectTab(view->GetIndicatorTabs(), CStockGraphView::kIndicatorTabsId, 3); // RSI
    EXPECT_EQ((std::vector<std::wstring> { L"VOL", L"RSI" }), view->GetChart().GetShownPaneNames());
    EXPECT_EQ(102, view->GetChart().GetSelectedPaneNumber());
    // With no pane, choosing an indicator makes one.
    view->SetSubPaneCount(0);
    SelectTab(view->GetIndicatorTabs(), CStockGraphView::kIndicatorTabsId, 2); // KDJ
    EXPECT_EQ((std::vector<std::wstring> { L"KDJ" }), view->GetChart().GetShownPaneNames());
}

TEST_F(StockGraphViewTest, TheSameTabChosenForASecondPaneShowsThereToo)
{
    KLineChart& chart = view->GetChart();
    const auto selectPane = [&](int pane) {
        const RECT r = chart.GetLayout().subPanes[pane];
        chart.OnLButtonDown((r.left + r.right) / 2, (r.top + r.bottom) / 2, 0, 0);
        // The paint moves the strip's selection to the pane's indicator.
        CDib32 image;
        ASSERT_TRUE(RenderClient(view->m_hWnd, image));
    };
    ASSERT_EQ(2u, chart.GetLayout().subPanes.size());
    selectPane(1);
    SelectTab(view->GetIndicatorTabs(), CStockGraphView::kIndicatorTabsId, 3); // RSI
    EXPECT_EQ((std::vector<std::wstring> { L"VOL", L"RSI" }), chart.GetShownPaneNames());
    selectPane(0);
    EXPECT_EQ(5, view->GetIndicatorTabs().GetCurSel()) << "the strip shows VOL, the first pane's";
    SelectTab(view->GetIndicatorTabs(), CStockGraphView::kIndicatorTabsId, 3);
    EXPECT_EQ((std::vector<std::wstring> { L"RSI", L"RSI" }), chart.GetShownPaneNames());
    // A pane showing an indicator without a tab (CCI, from the wizard) takes
    // the tab the strip still shows.
    selectPane(1);
    chart.ShowFormula(FormulaLibrary::Instance()->FindByName(L"CCI")->NO);
    CDib32 image;
    ASSERT_TRUE(RenderClient(view->m_hWnd, image));
    ASSERT_EQ(3, view->GetIndicatorTabs().GetCurSel());
    SelectTab(view->GetIndicatorTabs(), CStockGraphView::kIndicatorTabsId, 3);
    EXPECT_EQ((std::vector<std::wstring> { L"RSI", L"RSI" }), chart.GetShownPaneNames());
}

TEST_F(StockGraphViewTest, SettingsTabOpensTheIndicatorManager)
{
    int opened = 0;
    view->SetIndicatorManagerOpener([&opened](HWND) { ++opened; });
    SelectTab(view->GetIndicatorTabs(), CStockGraphView::kIndicatorTabsId, 0);
    EXPECT_EQ(1, opened);
    EXPECT_EQ(6, view->GetIndicatorTabs().GetItemCount());
}

TEST_F(StockGraphViewTest, PeriodAndPaneCountEntryPoints)
{
    EXPECT_EQ(6, view->SetPeriod(6)); // unchanged
    EXPECT_EQ(0, view->SetPeriod(10));
    EXPECT_EQ(10, ViewOptions::Instance()->GetPeriod());
    view->Accept(256, VK_F8, 0);
    EXPECT_EQ(1, ViewOptions::Instance()->GetPeriod());
    EXPECT_EQ(2, view->SetSubPaneCount(2));
    EXPECT_EQ(0, view->SetSubPaneCount(4));
    EXPECT_EQ(4, view->GetChart().GetSubPaneCalculatorCount());
}

TEST_F(StockGraphViewTest, WheelBrowsesStocks)
{
    view->Accept(522, static_cast<WPARAM>(static_cast<uint32_t>(-120) << 16), 0);
    EXPECT_EQ(other.get(), view->GetChart().GetSnapshot());
    view->Accept(522, static_cast<WPARAM>(120u << 16), 0);
    EXPECT_EQ(stock.get(), view->GetChart().GetSnapshot());
}

// Shown with a stock, the view takes it only while it is the current one.
TEST_F(StockGraphViewTest, ShownWithAStockThatIsNotCurrentTheChartKeepsWhatItHad)
{
    source.current = other.get();
    source.requests.clear();
    view->Activate(0x600000);
    EXPECT_EQ(stock.get(), view->GetChart().GetSnapshot());
    EXPECT_TRUE(source.requests.empty());
    view->Activate(0x600004);
    EXPECT_EQ(other.get(), view->GetChart().GetSnapshot());
    EXPECT_EQ(1u, source.requests.size());
}

TEST_F(StockGraphViewTest, AnIndexHidesThreePagesAndShowsTrades)
{
    stock->GetStockInfo().SetIndexFlag(1);
    CDib32 image;
    ASSERT_TRUE(RenderClient(view->m_hWnd, image));
    EXPECT_EQ((std::vector<std::string> { "笔", "价", "单", "本", "势" }), Titles(view->GetPageTabs()));
    EXPECT_EQ(11, view->GetChart().GetSidePanelPage());
    SelectTab(view->GetPageTabs(), CStockGraphView::kPageTabsId, 4);
    EXPECT_EQ(2, view->GetChart().GetSidePanelPage());
}

// The sector page's list draws its own rows (dark, white text) only when the
// view passes the list's notices back to it; the selected row is grey only
// while the list has the focus, so a click elsewhere (the frame's side panel
// toggled) leaves no grey bar on the screen. A double click still opens the
// sector through the owner.
TEST_F(StockGraphViewTest, TheSectorListDrawsItsOwnRowsAndMarksTheSelectionOnlyWhileFocused)
{
    ASSERT_EQ(kPageSectors, view->GetChart().GetSidePanelPage());
    CDib32 picture;
    ASSERT_TRUE(RenderClient(view->m_hWnd, picture));
    CKeywordListCtrl& list = view->GetChart().GetSidePanel().GetSectorList();
    ASSERT_NE(nullptr, list.m_hWnd);
    ASSERT_TRUE(list.IsWindowVisible());
    // The drawing above listed the stock's sectors (none here): rows of our own.
    list.InsertItem(0, " 行业-银行");
    list.InsertItem(1, " 地域-上海板块");
    LVITEMA data {};
    data.mask = LVIF_PARAM;
    data.iItem = 1;
    data.lParam = 17;
    list.SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&data));
    RECT rows[2] {};
    ASSERT_TRUE(list.GetItemRect(0, &rows[0], LVIR_LABEL));
    ASSERT_TRUE(list.GetItemRect(1, &rows[1], LVIR_LABEL));
    // Right of the rows' texts, and left of the screen's edge, which the view
    // (1300 px wide) passes.
    const int x = rows[0].left + (rows[0].right - rows[0].left) * 2 / 3;

    // The user clicks the first row, then somewhere else.
    const struct
    {
        HWND focus;
        COLORREF selectedRow;
    } cases[] = { { list.m_hWnd, RGB(80, 80, 80) }, { view->m_hWnd, RGB(8, 8, 8) } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.focus == list.m_hWnd ? "the list has the focus" : "the focus went elsewhere");
        if (c.focus == list.m_hWnd)
            list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ::SetFocus(c.focus);
        ASSERT_EQ(c.focus, ::GetFocus());
        PumpPendingMessages();
        CDib32 image;
        ASSERT_TRUE(RenderClient(list.m_hWnd, image));
        EXPECT_EQ(c.selectedRow, image.GetColor(x, rows[0].top + 3)) << "the selected row";
        EXPECT_EQ(RGB(8, 8, 8), image.GetColor(x, rows[1].top + 3)) << "another row";
        EXPECT_EQ(RGB(8, 8, 8), image.GetColor(x, rows[1].bottom + 4)) << "below the rows";
        int white = 0;
        for (int y = rows[1].top; y < rows[1].bottom; ++y)
            for (int x = rows[1].left; x < rows[1].right; ++x)
                white += image.GetColor(x, y) == RGB(255, 255, 255) ? 1 : 0;
        EXPECT_GT(white, 10) << "the row's text in white";
        // What the list's window shows: it repainted when the focus moved.
        EXPECT_EQ(c.selectedRow, CaptureWindowPixel(list.m_hWnd, x, rows[0].top + 3))
            << "the selected row on the screen";
    }

    NMITEMACTIVATE click {};
    click.hdr.hwndFrom = list.m_hWnd;
    click.hdr.idFrom = CQuoteSidePanel::kSectorListId;
    click.hdr.code = NM_DBLCLK;
    click.iItem = 1;
    processor.dispatched.clear();
    view->SendMessage(WM_NOTIFY, CQuoteSidePanel::kSectorListId, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ((std::vector<std::pair<UINT, WPARAM>> { { kViewMsgShowBoard, 17 } }), processor.dispatched);
}

TEST_F(StockGraphViewTest, ToolTipFollowsTheChartsTexts)
{
    ASSERT_NE(nullptr, view->GetToolTip());
    const std::string tip = "权息资料变动\r\n";
    view->SendMessage(KLineChart::kToolTipMessage, reinterpret_cast<WPARAM>(tip.c_str()), 0);
    EXPECT_EQ(tip, view->GetToolTipText());
    // Hiding a tip that is not showing changes nothing.
    view->SendMessage(KLineChart::kToolTipMessage, 0, 1);
    EXPECT_EQ(tip, view->GetToolTipText());
    view->SendMessage(KLineChart::kToolTipMessage, reinterpret_cast<WPARAM>(""), 1);
    EXPECT_EQ("", view->GetToolTipText());
}

TEST_F(StockGraphViewTest, PrintClientRendersTheChartAndTheStrips)
{
    view->GetChart().OnKeyDown(VK_LEFT, false);
    CDib32 image;
    ASSERT_TRUE(RenderClient(view->m_hWnd, image));
    SaveWindowScreenshot(view->m_hWnd, "kline-view");
    // The printed picture holds the candles over the strip's row, and every
    // sub-pane has something drawn in it.
    const kline::Layout& layout = view->GetChart().GetLayout();
    EXPECT_EQ(800 - 17, layout.chart.bottom);
    const RECT area = kline::CandleArea(layout.mainPane);
    EXPECT_GT(CountColour(image, ChartColors::Rise, area) + CountColour(image, ChartColors::FallingBar, area), 200);
    ASSERT_FALSE(layout.subPanes.empty());
    for (size_t pane = 0; pane < layout.subPanes.size(); ++pane)
        EXPECT_TRUE(SomethingDrawnIn(image, layout.subPanes[pane])) << pane;
    EXPECT_TRUE(view->GetChart().IsDataWindowShown());
    EXPECT_EQ(1, view->Deactivate());
}

// What the user sees of a stock with ex-rights events, forward adjusted, in
// days and in five minutes: MA over the candles, VOL, MACD and KDJ below, as
// the window paints itself for WM_PRINTCLIENT.
TEST_F(StockGraphViewTest, PrintedPicturesForwardAdjustedInDaysAndFiveMinutes)
{
    std::vector<ExRightsRecord> records;
    std::unique_ptr<CStock> simulated = MakeSimulatedStock(records);
    ASSERT_FALSE(records.empty());
    const std::vector<Bar> recordedDays = simulated->GetDayData().GetBars();
    const std::vector<Bar> recordedMinutes = simulated->GetFiveMinuteData().GetBars();
    source.exRights[simulated->GetCodeKey()] = records;
    source.current = simulated.get();
    KLineChart& chart = view->GetChart();
    chart.Reload();
    view->SetSubPaneCount(3);
    view->SetAdjustMode(3);
    EXPECT_EQ((std::vector<std::wstring> { L"VOL", L"MACD", L"KDJ" }), chart.GetShownPaneNames());
    ASSERT_NE(nullptr, chart.GetMainCalculator());
    EXPECT_EQ(0u, chart.GetMainCalculator()->GetTitle().find(L"MA("));
    const struct
    {
        int period;
        const char* name;
    } shots[] = { { kPeriodDay, "kline-view-day-forward" }, { kPeriodFiveMinutes, "kline-view-5min-forward" } };
    for (const auto& shot : shots) {
        SCOPED_TRACE(shot.name);
        view->SetPeriod(shot.period);
        CDib32 image;
        ASSERT_TRUE(RenderClient(view->m_hWnd, image));
        SaveImage(image, shot.name);
        EXPECT_EQ(simulated.get(), chart.GetSnapshot());
        EXPECT_TRUE(simulated->GetKData(shot.period)->IsAdjusted());
        // The dividend inside the shown bars lowers the prices before it.
        const std::vector<Bar>& recorded = shot.period == kPeriodDay ? recordedDays : recordedMinutes;
        const CKData& shown = *simulated->GetKData(shot.period);
        int before = shown.GetCount() - 1;
        while (before >= 0 && recorded[before].time >= kSimulatedExRightsTime)
            --before;
        ASSERT_GE(before, chart.GetFirst()) << "the event lies inside the shown bars";
        EXPECT_LT(shown.GetBar(before)->close, recorded[before].close - 0.4f);
        EXPECT_EQ(recorded.back().close, shown.GetBar(shown.GetCount() - 1)->close);
        const kline::Layout& layout = chart.GetLayout();
        ASSERT_EQ(3u, layout.subPanes.size());
        const RECT area = kline::CandleArea(layout.mainPane);
        EXPECT_GT(CountColour(image, ChartColors::Rise, area) + CountColour(image, ChartColors::FallingBar, area), 200);
        // Every pane has its indicator worked out and something drawn in it.
        for (int pane = 0; pane < 3; ++pane) {
            EXPECT_EQ(1, chart.GetSubPaneCalculator(pane)->Calculate()) << pane;
            EXPECT_TRUE(SomethingDrawnIn(image, layout.subPanes[static_cast<size_t>(pane)])) << pane;
        }
    }
}

TEST_F(StockGraphViewTest, ContextMenuRowsAreAsTallAsTheMenuFontNeeds)
{
    const int expected = MenuFontRowHeight();
    ASSERT_GT(expected, 10);
    EXPECT_EQ(ContextMenuFirstRowHeight(view->m_hWnd, POINT { 300, 200 }), expected);
}
