// The menu command table against fake views and services: what each command
// does, what the pages' addresses are, and what is refused.
#include "app/MenuCommandDispatcher.h"
#include "data/DataCenter.h"
#include "formula/FormulaLibrary.h"
#include "net/ServiceBaseUrl.h"
#include "views/MessageProcessor.h"
#include "views/ViewIds.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Every call as one line of text, in order.
class CallLog
{
public:
    void Add(const std::string& line) { lines.push_back(line); }
    std::string Joined() const
    {
        std::string out;
        for (const std::string& line : lines)
            out += (out.empty() ? "" : "; ") + line;
        return out;
    }
    std::vector<std::string> lines;
};

class FakeProcessor : public CMessageProcessor
{
public:
    explicit FakeProcessor(CallLog& log)
        : m_log(log)
    {
    }
    int Register(UINT, CMessageAcceptor*) override { return 1; }
    int Dispatch(UINT id, WPARAM wp, LPARAM lp) override
    {
        m_log.Add("Dispatch " + std::to_string(id) + "," + std::to_string(wp) + "," + std::to_string(lp));
        return 0;
    }

private:
    CallLog& m_log;
};

class FakeViews : public IMenuCommandViews
{
public:
    explicit FakeViews(CallLog& log)
        : log(log)
        , processor(log)
    {
    }
    int32_t GetCurrentViewId() override { return currentView; }
    void SwitchView(int32_t id) override
    {
        log.Add("SwitchView " + std::to_string(id));
        currentView = id;
    }
    void ShowRealTimeView(int32_t a, int32_t b, int32_t c) override
    {
        log.Add("ShowRealTimeView " + std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(c));
    }
    void OpenStockByText(const char* market, const char* code) override
    {
        log.Add(std::string("OpenStockByText ") + market + "," + code);
    }
    void ShowF10View() override { log.Add("ShowF10View"); }
    void ShowBoard(int32_t board) override { log.Add("ShowBoard " + std::to_string(board)); }
    int32_t GetCurrentBoard() override { return currentBoard; }
    void SetPeriod(int32_t period) override { log.Add("SetPeriod " + std::to_string(period)); }
    void NextPeriod() override { log.Add("NextPeriod"); }
    void SetAdjustMode(int32_t mode) override { log.Add("SetAdjustMode " + std::to_string(mode)); }
    void SetSubPaneCount(int32_t count) override { log.Add("SetSubPaneCount " + std::to_string(count)); }
    void SetMenuCheck(UINT command, bool checked) override
    {
        log.Add("Check " + std::to_string(command) + (checked ? " on" : " off"));
    }
    void SendFrameCommand(UINT command, UINT code) override
    {
        log.Add("Frame " + std::to_string(command) + "," + std::to_string(code));
    }
    CMessageProcessor* GetMessageProcessor() override { return &processor; }

    CallLog& log;
    FakeProcessor processor;
    int32_t currentView = kViewReport;
    int32_t currentBoard = 6;
};

class FakeServices : public IMenuCommandServices
{
public:
    explicit FakeServices(CallLog& log)
        : log(log)
    {
    }
    bool GetCurrentStock(MenuStockIdentity& out) override
    {
        if (!hasStock)
            return false;
        out = stock;
        return true;
    }
    uint32_t GetCurrentCodeKey() override { return currentKey; }
    void AddUserStock(uint32_t key) override { log.Add("AddUserStock " + std::to_string(key)); }
    void RemoveUserStock(uint32_t key) override { log.Add("RemoveUserStock " + std::to_string(key)); }
    std::string GetUserName() override { return userName; }
    std::string GetServiceBaseUrl() override { return "http://127.0.0.1:7710/"; }
    void OpenTrendDialog(const std::string& title, UINT command) override
    {
        log.Add("Trend " + title + "," + std::to_string(command));
    }
    void OpenRankingDialog(UINT command, CMessageProcessor* dispatcher) override
    {
        log.Add("Ranking " + std::to_string(command) + (dispatcher ? " with hub" : " without hub"));
    }
    void OpenWebDialog(const std::string& title, const std::string& url, int32_t w, int32_t h) override
    {
        log.Add("Web " + title + "," + url + "," + std::to_string(w) + "x" + std::to_string(h));
    }
    void OpenBrowserPage(const std::string& url) override { log.Add("Browser " + url); }

    CallLog& log;
    bool hasStock = true;
    MenuStockIdentity stock { static_cast<uint16_t>('S' | ('H' << 8)), "1A0001" };
    uint32_t currentKey = 0x600000;
    std::string userName = "tester";
};

class MenuDispatch : public ::testing::Test
{
protected:
    std::string Run(UINT command, LPARAM extra = 0)
    {
        log.lines.clear();
        dispatcher.OnMenuCommand(command, extra);
        return log.Joined();
    }

    CallLog log;
    FakeViews views { log };
    FakeServices services { log };
    MenuCommandDispatcher dispatcher { views, services };
};

} // namespace

TEST_F(MenuDispatch, CommandsReachTheirEffects)
{
    struct Case
    {
        UINT command;
        int32_t view; // current view before the command
        const char* effects;
    };
    const Case cases[] = {
        { 4000, kViewReport, "SwitchView 3002; ShowRealTimeView 1,0,0" },
        { 4001, kViewReport, "SwitchView 3002; SetPeriod 6" },
        { 4001, kViewStockGraph, "SetPeriod 6" },
        { 4011, kViewRealTime, "SwitchView 3002; SetPeriod 6; SetAdjustMode 2; Check 4011 on; Check 4012 off; Check 4013 off" },
        { 4012, kViewStockGraph, "SetAdjustMode 3; Check 4011 off; Check 4012 on; Check 4013 off" },
        { 4013, kViewStockGraph, "SetAdjustMode 1; Check 4011 off; Check 4012 off; Check 4013 on" },
        { 4014, kViewReport, "Trend 短线诊断,4014" },
        { 4015, kViewReport, "Trend 形态诊断,4015" },
        { 4017, kViewReport, "Trend 技术诊断,4017" },
        { 4018, kViewReport, "Browser http://127.0.0.1:7710/" },
        { 4019, kViewReport, "Browser http://127.0.0.1:7710/more/list_5.html" },
        { 4024, kViewReport, "Browser http://127.0.0.1:7710/more/list_16.html" },
        { 4025, kViewReport, "Browser http://127.0.0.1:7710/data/index.html" },
        { 4033, kViewReport, "ShowF10View" },
        { 4035, kViewReport, "Browser http://127.0.0.1:7710/company/contact.html" },
        { 4045, kViewReport, "Ranking 4045 with hub" },
        { 4056, kViewReport, "Ranking 4056 with hub" },
        { 4078, kViewReport, "Web 资金净流入前50名,http://127.0.0.1:7710/zentu/report/report_cash_flow_in_top.php?u=tester,0x0" },
        { 4083, kViewStockGraph, "SwitchView 3000; ShowBoard 6" },
        { 4084, kViewReport, "ShowBoard 7" },
        { 4087, kViewStockGraph, "SwitchView 3000; ShowBoard 0" },
        { 4096, kViewReport, "ShowBoard 5" },
        { 4097, kViewReport, "Frame 5010,0" },
        { 4085, kViewReport, "ShowRealTimeView 1,0,15" },
        { 4099, kViewStockGraph, "SwitchView 3002; SetPeriod 1" },
        { 4100, kViewReport, "SwitchView 3002; SetPeriod 1" },
        { 4109, kViewReport, "SwitchView 3002; SetPeriod 10" },
        { 4110, kViewReport, "OpenStockByText SH,1B0007" },
        { 4122, kViewReport, "OpenStockByText SZ,399107" },
        { 4123, kViewReport, "SwitchView 3002; NextPeriod" },
        { 4134, kViewReport, "ShowRealTimeView 1,8,0" },
        { 4135, kViewReport, "ShowRealTimeView 1,7,0" },
        { 4148, kViewReport, "Web 布局股票,http://127.0.0.1:7710/zentu/report/report_buju.php?u=tester,800x500" },
        { 4149, kViewReport, "SwitchView 3002; SetPeriod 6; SetSubPaneCount 0" },
        { 4154, kViewStockGraph, "SetSubPaneCount 5" },
        { 4167, kViewReport, "Browser http://127.0.0.1:7710/more/list_42.html" },
    };
    for (const Case& c : cases) {
        views.currentView = c.view;
        EXPECT_EQ(Run(c.command), c.effects) << "command " << c.command;
    }
}

TEST_F(MenuDispatch, CommandsOutsideTheTableDoNothing)
{
    for (UINT command : { 3999u, 4002u, 4016u, 4027u, 4088u, 4129u, 4159u, 4168u, 5000u }) {
        views.currentView = kViewReport;
        EXPECT_FALSE(dispatcher.OnMenuCommand(command, 0)) << command;
        EXPECT_TRUE(log.lines.empty()) << command << ": " << log.Joined();
    }
}

TEST_F(MenuDispatch, CashFlowPagesTakeTheCurrentStocksMarketAndCode)
{
    EXPECT_EQ(Run(4074), "Web 5日资金流入分析,http://127.0.0.1:7710/zentu/cashflow/cashflow_in_out_5days.5.php?m=18515&c=1A0001,0x0");
    services.stock = MenuStockIdentity { static_cast<uint16_t>('S' | ('Z' << 8)), "399001" };
    EXPECT_EQ(Run(4077), "Web 30日资金流入分析,http://127.0.0.1:7710/zentu/cashflow/cashflow_in_out_30days.5.php?m=23123&c=399001,0x0");
    // Without a current stock there is no page to show.
    services.hasStock = false;
    EXPECT_EQ(Run(4075), "");
}

TEST_F(MenuDispatch, UserNamesArePercentEncodedInPageAddresses)
{
    services.userName = "Kelo财经用户 a&b=c";
    const std::string url = "http://127.0.0.1:7710/zentu/stockpool/pool_week.php?u=Kelo%B2%C6%BE%AD%D3%C3%BB%A7%20a%26b%3Dc";
    EXPECT_EQ(Run(4137), "Web 短线股票池," + url + ",0x0");
}

TEST_F(MenuDispatch, AddingToTheUserListTakesTheKeyOrTheCurrentStock)
{
    EXPECT_EQ(Run(4044, 0x1A0001), "AddUserStock 1703937; Dispatch 4031,0,0; Frame 5009,1000");
    EXPECT_EQ(Run(4044, 0), "AddUserStock 6291456; Dispatch 4031,0,0; Frame 5009,1000");
    EXPECT_EQ(Run(4142, 0x600000), "RemoveUserStock 6291456; Dispatch 4031,0,0");
}

TEST_F(MenuDispatch, NoSelectionAndNoCurrentStockAreNoKeys)
{
    // -1 is a list without a selected row; 0 left after the fallback is no stock.
    EXPECT_EQ(Run(4044, -1), "");
    EXPECT_EQ(Run(4044, static_cast<LPARAM>(0xFFFFFFFFu)), "");
    services.currentKey = 0;
    EXPECT_EQ(Run(4044, 0), "");
    EXPECT_EQ(Run(4142, -1), "");
    EXPECT_EQ(Run(4142, 0), "");
}

TEST(IndicatorCommands, NamesByCommandWithTheirTwins)
{
    EXPECT_STREQ(IndicatorCommandName(6001), "JPMM");
    EXPECT_STREQ(IndicatorCommandName(6028), "MA");
    EXPECT_STREQ(IndicatorCommandName(6042), "QLCX");
    EXPECT_STREQ(IndicatorCommandName(6031), IndicatorCommandName(6040));
    EXPECT_STREQ(IndicatorCommandName(6031), "DXJC");
    EXPECT_STREQ(IndicatorCommandName(6030), IndicatorCommandName(6041));
    EXPECT_STREQ(IndicatorCommandName(6030), "ZXJC");
    EXPECT_EQ(IndicatorCommandName(6000), nullptr);
    EXPECT_EQ(IndicatorCommandName(6043), nullptr);
}

namespace {
const wchar_t kIndicatorDocument[] = L"<?xml version=\"1.0\"?>\n<tech><id name=\"x\">"
                                     L"<formula NO=\"31\" name=\"DXJC\" showname=\"短线决策\" type=\"2\"/>"
                                     L"<formula NO=\"-1\" name=\"ZXJC\" showname=\"中线决策\" type=\"2\"/>"
                                     L"</id></tech>";

int LoadIndicators(FormulaLibrary& library)
{
    std::string body("\xFF\xFE", 2);
    const std::wstring text(kIndicatorDocument);
    for (wchar_t c : text) {
        body += static_cast<char>(c & 0xFF);
        body += static_cast<char>((c >> 8) & 0xFF);
    }
    return library.LoadFromBody(reinterpret_cast<const uint8_t*>(body.data()), static_cast<int32_t>(body.size()));
}
} // namespace

TEST(IndicatorCommands, TheKLineViewShowsTheIndicatorByItsNumber)
{
    CallLog log;
    FakeViews views(log);
    FormulaLibrary::Release();
    EXPECT_FALSE(RunIndicatorCommand(6031, views)) << "without the library nothing happens";
    EXPECT_TRUE(log.lines.empty());

    ASSERT_EQ(LoadIndicators(*FormulaLibrary::Instance()), 1);
    EXPECT_TRUE(RunIndicatorCommand(6031, views));
    EXPECT_EQ(log.Joined(), "SwitchView 3002; Dispatch 4025,31,0");
    log.lines.clear();
    EXPECT_TRUE(RunIndicatorCommand(6040, views));
    EXPECT_EQ(log.Joined(), "Dispatch 4025,31,0") << "the K-line view is current now";
    // Number -1 and a name the library lacks switch the view only.
    log.lines.clear();
    views.currentView = kViewReport;
    EXPECT_TRUE(RunIndicatorCommand(6041, views));
    EXPECT_EQ(log.Joined(), "SwitchView 3002");
    log.lines.clear();
    EXPECT_TRUE(RunIndicatorCommand(6001, views));
    EXPECT_EQ(log.Joined(), "");
    EXPECT_FALSE(RunIndicatorCommand(6043, views));
    FormulaLibrary::Release();
}

TEST(MenuCommandServicesTest, TheProgramsServicesOpenPagesThroughTheLauncher)
{
    CallLog log;
    FakeViews views(log);
    CMenuCommandServices services;
    MenuCommandDispatcher dispatcher(views, services);
    std::vector<std::string> opened;
    services.SetPageLauncher([&opened](const std::string& url) {
        opened.push_back(url);
        return true;
    });
    EXPECT_TRUE(dispatcher.OnMenuCommand(4019, 0));
    EXPECT_TRUE(dispatcher.OnMenuCommand(4018, 0));
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], ServiceBaseUrl::Get() + "more/list_5.html");
    EXPECT_EQ(opened[1], ServiceBaseUrl::Get());
    // Without a data center there is no current stock: no page, no key.
    ASSERT_EQ(CDataCenter::PeekInstance(), nullptr);
    EXPECT_TRUE(dispatcher.OnMenuCommand(4074, 0));
    EXPECT_TRUE(dispatcher.OnMenuCommand(4044, 0));
    EXPECT_TRUE(log.lines.empty()) << log.Joined();
}
