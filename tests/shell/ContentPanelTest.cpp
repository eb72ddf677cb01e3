// The content panel with fake views, data and menu services: the message
// hub, the stock-opening messages, view switching with the refresh divisor
// and the tab highlight, the timer, quick codes, hot keys, the wizard and
// the worker-thread notices.
#include "app/ContentPanelView.h"
#include "skin/SkinCmdBar.h"
#include "tests/support/WindowTesting.h"
#include "win/UpdateUI.h"
#include <gtest/gtest.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using Log = std::vector<std::string>;

std::string Str(const char* name, long long a = 0, long long b = 0, long long c = 0)
{
    return std::string(name) + "(" + std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(c) + ")";
}

// A view that records the panel's calls and registers like the real one of its id.
class CFakeView : public CBaseView
{
public:
    CFakeView(int32_t id, CMessageProcessor* owner, Log& log, int acceptResult)
        : CBaseView(id)
        , m_log(log)
        , m_result(acceptResult)
    {
        switch (id) {
        case kViewReport:
            SetOwnerAndRegister(owner, { kViewMsgKeyDown, kViewMsgMouseWheel, kViewMsgUserListChanged });
            break;
        case kViewRealTime:
            SetOwnerAndRegister(owner, { kViewMsgChartCount, kViewMsgStockDataUpdated, kViewMsgShowFormula });
            break;
        case kViewStockGraph:
            SetOwnerAndRegister(owner, { kViewMsgKeyDown, kViewMsgMouseWheel, kViewMsgShowFormula });
            break;
        default:
            SetOwnerAndRegister(owner, { kViewMsgKeyDown, kViewMsgMouseWheel });
            break;
        }
    }
    int Deactivate() override
    {
        m_log.push_back(Str("deactivate", GetViewId()));
        return 1;
    }
    int OnQuickCode(int32_t code) override
    {
        m_log.push_back(Str("viewQuick", GetViewId(), code));
        return 1;
    }
    void Activate(uint32_t key) override { m_log.push_back(Str("activate", GetViewId(), key)); }
    int Accept(UINT id, WPARAM wp, LPARAM lp) override
    {
        m_log.push_back(Str("accept", GetViewId(), id, static_cast<long long>(wp)) + (lp ? "+" : ""));
        return id == kViewMsgKeyDown && wp == 'Q' ? 0 : m_result;
    }

private:
    Log& m_log;
    int m_result;
};

struct FakeState
{
    Log log;
    int acceptResult = 1;
    int32_t board = 0;
    int32_t boardParam = 2;
    int64_t selected = -1;
    int32_t mainChartMode = 1;
    uint32_t currentKey = 0;
    // A key that names no security: the current stock stays.
    uint32_t unknownKey = 0xFFFFFFFF;
    CViewNotify* observer = nullptr;
    int quoteRefreshes = 0;
    int stockRequests = 0;
};

// The panel's calls on a view of each kind, recorded in one log.
class CFakeHandle : public IQuoteListHandle, public IMinuteChartHandle, public IKLineHandle
{
public:
    explicit CFakeHandle(FakeState& s)
        : m(s)
    {
    }
    void ShowBoard(int32_t board, int32_t parameter) override
    {
        m.board = board;
        m.boardParam = parameter;
        m.log.push_back(Str("board", board, parameter));
    }
    int32_t GetCurrentBoard() override { return m.board; }
    int32_t GetBoardParam() override { return m.boardParam; }
    int64_t GetSelectedCodeKey() override { return m.selected; }
    void SetDisplay(int32_t mode, int32_t indicator, int32_t page, uint32_t key) override
    {
        m.log.push_back(Str("display", mode, indicator, page) + " of " + std::to_string(key));
    }
    void SetChartCount(int32_t count) override { m.log.push_back(Str("charts", count)); }
    int32_t GetMainChartMode() override { return m.mainChartMode; }
    void SetPeriod(int32_t period) override { m.log.push_back(Str("period", period)); }
    void NextPeriod() override { m.log.push_back("nextPeriod"); }
    void SetAdjustMode(int32_t mode) override { m.log.push_back(Str("adjust", mode)); }
    void SetSubPaneCount(int32_t count) override { m.log.push_back(Str("panes", count)); }
    void RelayToolTipEvent(MSG*) override { }

private:
    FakeState& m;
};

class CFakeViews : public IContentViewFactory
{
public:
    explicit CFakeViews(FakeState& s)
        : m(s)
    {
    }
    ContentView CreateView(int32_t id, CMessageProcessor* hub) override
    {
        m.log.push_back(Str("create", id));
        ContentView made;
        made.window = std::make_unique<CFakeView>(id, hub, m.log, m.acceptResult);
        if (id == kViewReport)
            made.quoteList = std::make_unique<CFakeHandle>(m);
        else if (id == kViewRealTime)
            made.minuteChart = std::make_unique<CFakeHandle>(m);
        else if (id == kViewStockGraph)
            made.kline = std::make_unique<CFakeHandle>(m);
        return made;
    }

private:
    FakeState& m;
};

class CFakePanelServices : public IContentPanelServices
{
public:
    explicit CFakePanelServices(FakeState& s)
        : m(s)
    {
    }
    void SetObserver(CViewNotify* observer) override { m.observer = observer; }
    void SetCurrentStock(uint32_t key) override
    {
        if (key != m.unknownKey)
            m.currentKey = key;
        m.log.push_back(Str("stock", key));
    }
    uint32_t GetCurrentCodeKey() override { return m.currentKey; }
    void RequestQuoteRefresh() override { ++m.quoteRefreshes; }
    void RequestStockData(uint32_t flags, int32_t more) override
    {
        EXPECT_EQ(flags, 8u);
        EXPECT_EQ(more, 0);
        ++m.stockRequests;
    }
    void AddUserStock(uint32_t key) override { m.log.push_back(Str("addUser", key)); }
    void BuildWizardIndex(CSearchBox&) override { }

private:
    FakeState& m;
};

class CFakeMenuServices : public IMenuCommandServices
{
public:
    explicit CFakeMenuServices(FakeState& s)
        : m(s)
    {
    }
    bool GetCurrentStock(MenuStockIdentity&) override { return false; }
    uint32_t GetCurrentCodeKey() override { return m.currentKey; }
    void AddUserStock(uint32_t key) override { m.log.push_back(Str("addUser", key)); }
    void RemoveUserStock(uint32_t) override { }
    std::string GetUserName() override { return "u"; }
    std::string GetServiceBaseUrl() override { return "http://svc/"; }
    void OpenTrendDialog(const std::string&, UINT) override { }
    void OpenRankingDialog(UINT, CMessageProcessor*) override { }
    void OpenWebDialog(const std::string&, const std::string&, int32_t, int32_t) override { }
    void OpenBrowserPage(const std::string& url) override { m.log.push_back("browser " + url); }

private:
    FakeState& m;
};

// The panel's parent: records the commands the panel sends the frame.
class CFrameStandIn : public CWindowImpl<CFrameStandIn>
{
public:
    DECLARE_WND_CLASS_EX("ZtPanelTestFrame", 0, COLOR_WINDOW + 1)
    std::vector<std::pair<UINT, UINT>> commands;
    BEGIN_MSG_MAP(CFrameStandIn)
        MESSAGE_HANDLER(WM_COMMAND, OnCommand)
    END_MSG_MAP()
    LRESULT OnCommand(UINT, WPARAM wp, LPARAM, BOOL&)
    {
        commands.emplace_back(LOWORD(wp), HIWORD(wp));
        return 0;
    }
};

struct PanelFixture
{
    FakeState s;
    CFrameStandIn frame;
    CSkinCmdBar tabRow;
    CUpdateUI updateUi;
    std::unique_ptr<CContentPanelView> panel;

    PanelFixture()
    {
        panel = std::make_unique<CContentPanelView>(std::make_unique<CFakeViews>(s),
            std::make_unique<CFakePanelServices>(s), std::make_unique<CFakeMenuServices>(s));
        for (uint32_t id = 3000; id <= 3004; ++id)
            tabRow.AddItem(id, "tab");
        panel->SetTabRow(&tabRow);
        panel->SetMainFrame(&updateUi);
    }
    bool Create()
    {
        if (!frame.Create(nullptr, CRect(0, 0, 800, 600), "panel test", WS_POPUP | WS_CLIPCHILDREN))
            return false;
        return panel->Create(frame, CRect(0, 0, 800, 600), nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN)
            != nullptr;
    }
    ~PanelFixture()
    {
        panel.reset();
        if (frame.IsWindow())
            frame.DestroyWindow();
    }
    int32_t Current() { return panel->GetCurrentViewId(); }
    // The log from here on.
    void Clear() { s.log.clear(); }
    // Creates the panel and shows a view with this stock current and this
    // row selected in the list; the log starts after.
    bool ShowFrom(int32_t view, uint32_t currentKey, int64_t selected)
    {
        if (!Create())
            return false;
        s.currentKey = currentKey;
        panel->SwitchView(view);
        s.selected = selected;
        Clear();
        return true;
    }
    bool Key(UINT key)
    {
        MSG msg = {};
        msg.hwnd = panel->m_hWnd;
        msg.message = WM_KEYDOWN;
        msg.wParam = key;
        return panel->RouteKey(&msg);
    }
};

// Records the numbers it accepts and can register another acceptor meanwhile.
struct RecordingAcceptor : CMessageAcceptor
{
    std::string name;
    Log& log;
    CMessageProcessor* registerOnAccept = nullptr;
    CMessageAcceptor* toRegister = nullptr;
    RecordingAcceptor(std::string n, Log& l)
        : name(std::move(n))
        , log(l)
    {
    }
    int Accept(UINT id, WPARAM, LPARAM) override
    {
        log.push_back(name + " " + std::to_string(id));
        if (registerOnAccept) {
            registerOnAccept->Register(id, toRegister);
            registerOnAccept = nullptr;
        }
        return 1;
    }
};

} // namespace

TEST(ContentPanel, CreationMakesTheQuoteListHiddenAndShowsTheMinuteChart)
{
    PanelFixture f;
    // A notice before any view exists goes nowhere.
    f.panel->OnStockDataUpdated(2, 0x600000);
    f.panel->OnQuotesRefreshed(nullptr);
    ASSERT_TRUE(f.Create());
    EXPECT_EQ(f.s.observer, static_cast<CViewNotify*>(f.panel.get()));
    EXPECT_EQ(f.s.log, (Log { "create(3000,0,0)", "create(3001,0,0)", "activate(3001,0,0)" }));
    EXPECT_EQ(f.Current(), 3001);
    auto shown = [&f](int32_t id) { return (::GetWindowLongA(f.panel->FindView(id)->m_hWnd, GWL_STYLE) & WS_VISIBLE) != 0; };
    EXPECT_FALSE(shown(3000));
    EXPECT_TRUE(shown(3001));
    EXPECT_EQ(f.panel->GetRefreshDivisor(), 6);
    EXPECT_EQ(f.tabRow.GetCurrentIndex(), 1);
    EXPECT_TRUE(f.panel->GetWizard().IsWindow());
    EXPECT_FALSE(f.panel->GetWizard().IsWindowVisible());
    EXPECT_EQ(f.panel->GetOrCreateView(3004), nullptr) << "3004 names a tab, not a view";

    // The panel is destroyed with its views: the notices stop first and the
    // views' acceptors go with them.
    f.panel->DestroyWindow();
    EXPECT_EQ(f.s.observer, nullptr);
    EXPECT_EQ(f.panel->GetCurrentView(), nullptr);
    f.Clear();
    f.panel->GetHub().Dispatch(kViewMsgKeyDown, VK_F1, 0);
    f.panel->OnStockDataUpdated(2, 1);
    EXPECT_TRUE(f.s.log.empty());
}

TEST(ContentPanel, DispatchCallsAcceptorsInRegistrationOrderAndSurvivesRegistrationsMeanwhile)
{
    PanelFixture f;
    Log calls;
    RecordingAcceptor a("a", calls), b("b", calls), late("late", calls);
    a.registerOnAccept = &f.panel->GetHub();
    a.toRegister = &late;
    f.panel->GetHub().Register(9000, &a);
    f.panel->GetHub().Register(9001, &late);
    f.panel->GetHub().Register(9000, &b);
    f.panel->GetHub().Dispatch(9000, 0, 0);
    EXPECT_EQ(calls, (Log { "a 9000", "b 9000" })) << "one registered meanwhile waits for the next dispatch";
    calls.clear();
    f.panel->GetHub().Dispatch(9000, 0, 0);
    EXPECT_EQ(calls, (Log { "a 9000", "b 9000", "late 9000" }));
    calls.clear();
    f.panel->GetHub().Dispatch(9002, 0, 0);
    EXPECT_TRUE(calls.empty());

    // The real case: opening a stock from the quote list creates the K-line
    // view inside the dispatch, and its acceptors take part from then on.
    ASSERT_TRUE(f.Create());
    f.panel->SwitchView(3000);
    f.Clear();
    f.panel->GetHub().Dispatch(kViewMsgOpenStock, 0x600000, 0);
    EXPECT_EQ(f.Current(), 3002);
    f.Clear();
    f.panel->GetHub().Dispatch(kViewMsgKeyDown, VK_UP, 0);
    EXPECT_EQ(f.s.log, (Log { "accept(3000,256,38)", "accept(3002,256,38)" }));
}

TEST(ContentPanel, OpeningAStockKeepsTheMinuteChartOnlyWhenItIsCurrent)
{
    struct Case
    {
        int32_t from;
        UINT message;
        LPARAM mode;
        int32_t to;
        Log effects;
    };
    const Case cases[] = {
        { 3001, kViewMsgOpenStock, 0, 3001,
            { "stock(6291456,0,0)", "display(1,0,0) of 6291456", "charts(1,0,0)" } },
        { 3001, kViewMsgOpenStockInMode, 1, 3001,
            { "stock(6291456,0,0)", "display(1,0,0) of 6291456", "charts(1,0,0)" } },
        { 3001, kViewMsgOpenStockInMode, 0, 3002,
            { "stock(6291456,0,0)", "create(3002,0,0)", "deactivate(3001,0,0)",
                "activate(3002,6291456,0)" } },
        { 3000, kViewMsgOpenStock, 0, 3002,
            { "stock(6291456,0,0)", "create(3002,0,0)", "deactivate(3000,0,0)",
                "activate(3002,6291456,0)" } },
        { 3000, kViewMsgOpenStockInMode, 1, 3002,
            { "stock(6291456,0,0)", "create(3002,0,0)", "deactivate(3000,0,0)",
                "activate(3002,6291456,0)" } },
    };
    for (const Case& c : cases) {
        PanelFixture f;
        ASSERT_TRUE(f.Create());
        f.panel->SwitchView(c.from);
        f.Clear();
        f.panel->GetHub().Dispatch(c.message, 0x600000, c.mode);
        EXPECT_EQ(f.Current(), c.to) << c.message << " from " << c.from;
        EXPECT_EQ(f.s.log, c.effects) << c.message << " from " << c.from;
    }
}

// The view is shown with the stock it is to show: the one opened, the list's
// selected row for company information, the current stock on a plain
// switch, and the current stock still when the key opened names none.
TEST(ContentPanel, TheShownViewIsGivenTheStockItShows)
{
    struct Case
    {
        const char* name;
        int32_t from;
        int64_t selected;
        uint32_t unknown;
        std::function<void(CContentPanelView&)> act;
        int32_t to;
        Log effects;
    };
    const Case cases[] = {
        { "open from the list", 3000, -1, 0xFFFFFFFF,
            [](CContentPanelView& p) { p.GetHub().Dispatch(kViewMsgOpenStock, 0x600036, 0); }, 3002,
            { "stock(6291510,0,0)", "create(3002,0,0)", "deactivate(3000,0,0)",
                "activate(3002,6291510,0)" } },
        { "open a key that names no security", 3000, -1, 0x600036,
            [](CContentPanelView& p) { p.GetHub().Dispatch(kViewMsgOpenStock, 0x600036, 0); }, 3002,
            { "stock(6291510,0,0)", "create(3002,0,0)", "deactivate(3000,0,0)",
                "activate(3002,6291457,0)" } },
        { "open in the minute chart", 3001, -1, 0xFFFFFFFF,
            [](CContentPanelView& p) { p.GetHub().Dispatch(kViewMsgOpenStock, 0x600036, 0); }, 3001,
            { "stock(6291510,0,0)", "display(1,0,0) of 6291510", "charts(1,0,0)" } },
        { "open in the minute chart a key that names no security", 3001, -1, 0x600036,
            [](CContentPanelView& p) { p.GetHub().Dispatch(kViewMsgOpenStock, 0x600036, 0); }, 3001,
            { "stock(6291510,0,0)", "display(1,0,0) of 6291457", "charts(1,0,0)" } },
        { "open by text", 3002, -1, 0xFFFFFFFF,
            [](CContentPanelView& p) { p.OpenStockByText("SZ", "000002"); }, 3001,
            { "stock(16777218,0,0)", "deactivate(3002,0,0)", "activate(3001,16777218,0)",
                "display(1,0,0) of 16777218" } },
        { "company information of the selected row", 3000, 0x600036, 0xFFFFFFFF,
            [](CContentPanelView& p) { p.ShowF10View(); }, 3003,
            { "stock(6291510,0,0)", "create(3003,0,0)", "deactivate(3000,0,0)",
                "activate(3003,6291510,0)" } },
        { "company information without a selected row", 3000, -1, 0xFFFFFFFF,
            [](CContentPanelView& p) { p.ShowF10View(); }, 3003,
            { "create(3003,0,0)", "deactivate(3000,0,0)", "activate(3003,6291457,0)" } },
        { "company information from the minute chart", 3001, 0x600036, 0xFFFFFFFF,
            [](CContentPanelView& p) { p.ShowF10View(); }, 3003,
            { "create(3003,0,0)", "deactivate(3001,0,0)", "activate(3003,6291457,0)" } },
        { "company information when it is shown", 3003, 0x600036, 0xFFFFFFFF,
            [](CContentPanelView& p) { p.ShowF10View(); }, 3003, {} },
        { "a tab switch", 3000, 0x600036, 0xFFFFFFFF, [](CContentPanelView& p) { p.SwitchView(3002); }, 3002,
            { "create(3002,0,0)", "deactivate(3000,0,0)", "activate(3002,6291457,0)" } },
    };
    for (const Case& c : cases) {
        PanelFixture f;
        ASSERT_TRUE(f.ShowFrom(c.from, 0x600001, c.selected));
        f.s.unknownKey = c.unknown;
        c.act(*f.panel);
        EXPECT_EQ(f.Current(), c.to) << c.name;
        EXPECT_EQ(f.s.log, c.effects) << c.name;
    }
}

TEST(ContentPanel, TheDivisorAndTheTabFollowTheViewAndTheTimerUsesThem)
{
    PanelFixture f;
    ASSERT_TRUE(f.Create());
    auto ticks = [&](int n) {
        for (int i = 0; i < n; ++i)
            f.panel->SendMessage(WM_TIMER, CContentPanelView::kRefreshTimer, 0);
    };
    // The minute chart asks for ticks on every timer tick.
    ticks(3);
    EXPECT_EQ(f.s.stockRequests, 3);
    EXPECT_EQ(f.s.quoteRefreshes, 0);

    f.panel->SwitchView(3000);
    EXPECT_EQ(f.panel->GetRefreshDivisor(), 1);
    EXPECT_EQ(f.tabRow.GetCurrentIndex(), 0);
    ticks(12);
    EXPECT_EQ(f.s.quoteRefreshes, 12);

    // F6: the user's list, tab 3004, a refresh every sixth tick.
    EXPECT_TRUE(f.Key(VK_F6));
    EXPECT_EQ(f.s.board, 7);
    EXPECT_EQ(f.Current(), 3000);
    EXPECT_EQ(f.panel->GetRefreshDivisor(), 6);
    EXPECT_EQ(f.tabRow.GetCurrentIndex(), 4);
    f.s.quoteRefreshes = 0;
    ticks(12);
    EXPECT_EQ(f.s.quoteRefreshes, 2) << "the tick count is shared: any 12 ticks hold two sixth ones";

    f.panel->SwitchView(3000);
    EXPECT_EQ(f.panel->GetRefreshDivisor(), 1);
    // The F10 view asks for nothing.
    f.panel->SwitchView(3003);
    f.s.quoteRefreshes = 0;
    f.s.stockRequests = 0;
    ticks(6);
    EXPECT_EQ(f.s.quoteRefreshes + f.s.stockRequests, 0);
    EXPECT_EQ(f.panel->GetTickCount() >= 33u, true);
}

TEST(ContentPanel, QuickCodesShowBoardsAndPeriodsAndTheRestGoToTheView)
{
    struct Case
    {
        int32_t code;
        int32_t view;
        std::string effect;
    };
    const Case cases[] = {
        { 60, 3000, "board(6,3,0)" },
        { 61, 3000, "board(0,3,0)" },
        { 63, 3000, "board(1,3,0)" },
        { 69, 3000, "board(4,3,0)" },
        { 612, 3000, "board(5,3,0)" },
        { 92, 3002, "period(1,0,0)" },
        { 93, 3002, "period(3,0,0)" },
        { 94, 3002, "period(4,0,0)" },
        { 95, 3002, "period(5,0,0)" },
        { 96, 3002, "period(6,0,0)" },
        { 97, 3002, "period(7,0,0)" },
        { 98, 3002, "period(8,0,0)" },
        { 99, 3002, "period(10,0,0)" },
        { 91, 3001, "viewQuick(3001,91,0)" },
        { 600, 3001, "viewQuick(3001,600,0)" },
    };
    for (const Case& c : cases) {
        PanelFixture f;
        ASSERT_TRUE(f.Create());
        f.Clear();
        f.panel->GetHub().Dispatch(kViewMsgQuickCode, static_cast<WPARAM>(c.code), 0);
        EXPECT_EQ(f.Current(), c.view) << c.code;
        ASSERT_FALSE(f.s.log.empty()) << c.code;
        EXPECT_EQ(f.s.log.back(), c.effect) << c.code;
    }
}

TEST(ContentPanel, HotKeys)
{
    struct Case
    {
        const char* name;
        int32_t from;
        UINT key;
        int64_t selected;
        int32_t chartMode;
        bool consumed; // the fake views take a forwarded key
        int32_t to;
        Log effects; // after the switch to "from"
    };
    const Case cases[] = {
        { "Enter in the minute chart", 3001, VK_RETURN, -1, 1, true, 3002,
            { "create(3002,0,0)", "deactivate(3001,0,0)", "activate(3002,6291457,0)", "period(6,0,0)",
                "accept(3002,256,13)" } },
        { "Enter in the K-line", 3002, VK_RETURN, -1, 1, true, 3001,
            { "deactivate(3002,0,0)", "activate(3001,6291457,0)", "display(1,0,0) of 6291457",
                "accept(3001,256,13)" } },
        { "Esc in the K-line", 3002, VK_ESCAPE, -1, 1, true, 3000,
            { "deactivate(3002,0,0)", "board(0,2,0)" } },
        { "Esc in a minute chart list", 3001, VK_ESCAPE, -1, 2, true, 3001, { "accept(3001,256,27)" } },
        { "F1", 3000, VK_F1, -1, 1, true, 3001,
            { "deactivate(3000,0,0)", "activate(3001,6291457,0)", "display(2,0,0) of 6291457",
                "accept(3001,256,112)" } },
        { "F3", 3000, VK_F3, -1, 1, true, 3001,
            { "stock(1703937,0,0)", "deactivate(3000,0,0)", "activate(3001,1703937,0)",
                "display(1,0,0) of 1703937", "accept(3001,256,114)" } },
        { "F4", 3001, VK_F4, -1, 1, true, 3001,
            { "stock(20549633,0,0)", "activate(3001,20549633,0)", "display(1,0,0) of 20549633",
                "accept(3001,256,115)" } },
        { "a key the view does not take", 3000, 'Q', -1, 1, false, 3000, { "accept(3000,256,81)" } },
        { "F5 in the minute chart", 3001, VK_F5, -1, 1, true, 3002,
            { "create(3002,0,0)", "deactivate(3001,0,0)", "activate(3002,6291457,0)", "period(6,0,0)" } },
        { "F5 in the list with a row", 3000, VK_F5, 0x600036, 1, true, 3002,
            { "stock(6291510,0,0)", "create(3002,0,0)", "deactivate(3000,0,0)",
                "activate(3002,6291510,0)" } },
        { "F5 in the list without a row", 3000, VK_F5, -1, 1, true, 3000, {} },
        { "F5 in F10", 3003, VK_F5, -1, 1, true, 3001,
            { "deactivate(3003,0,0)", "activate(3001,6291457,0)", "display(1,0,0) of 6291457" } },
        { "F12", 3002, VK_F12, -1, 1, true, 3000,
            { "deactivate(3002,0,0)", "board(0,2,0)", "accept(3000,256,123)" } },
        { "another key", 3000, 'Z' + 1000, -1, 1, true, 3000, { "accept(3000,256,1090)" } },
    };
    for (const Case& c : cases) {
        PanelFixture f;
        // A plain switch shows the current stock, an opened one its own.
        ASSERT_TRUE(f.ShowFrom(c.from, 0x600001, c.selected));
        f.s.mainChartMode = c.chartMode;
        const int result = f.panel->OnHotKey(c.key, 0);
        EXPECT_EQ(f.Current(), c.to) << c.name;
        EXPECT_EQ(result != 0, c.consumed) << c.name;
        Log effects;
        for (const std::string& e : f.s.log)
            if (e.rfind("accept(", 0) != 0 || e.find(",256,") != std::string::npos)
                effects.push_back(e);
        EXPECT_EQ(effects, c.effects) << c.name;
    }
}

TEST(ContentPanel, F11AddsTheCurrentStockOnlyWhenThereIsOne)
{
    PanelFixture f;
    ASSERT_TRUE(f.Create());
    f.s.currentKey = 0;
    f.Clear();
    f.panel->OnHotKey(VK_F11, 0);
    EXPECT_TRUE(f.frame.commands.empty());
    for (const std::string& e : f.s.log)
        EXPECT_EQ(e.find("addUser"), std::string::npos);

    f.s.currentKey = 0x600000;
    f.panel->OnHotKey(VK_F11, 0);
    EXPECT_NE(std::find(f.s.log.begin(), f.s.log.end(), "addUser(6291456,0,0)"), f.s.log.end());
    ASSERT_EQ(f.frame.commands.size(), 1u);
    EXPECT_EQ(f.frame.commands[0], std::make_pair(5009u, 1000u));

    // Not from the quote list.
    f.panel->SwitchView(3000);
    f.panel->OnHotKey(VK_F11, 0);
    EXPECT_EQ(f.frame.commands.size(), 1u);
}

TEST(ContentPanel, OpenStockByTextTakesOnlyOneToSixHexDigitsOfAKnownMarket)
{
    struct Case
    {
        const char* market;
        const char* code;
        bool valid;
        uint32_t key;
    };
    const Case cases[] = {
        { "SZ", "399001", true, 0x01399001 },
        { "SH", "1A0001", true, 0x001A0001 },
        { "SH", "1a0001", true, 0x001A0001 },
        { "SB", "200002", true, 0x02200002 },
        { "SH", "1", true, 0x1 },
        { "SH", "1234567", false, 0 }, // would reach the market bits
        { "SH", "", false, 0 },
        { "SH", "12G4", false, 0 },
        { "SH", "-1", false, 0 },
        { "SH", " 600000", false, 0 },
        { "SH", "0x6000", false, 0 },
        { "XX", "600000", false, 0 },
        { "S", "600000", false, 0 },
        { "SHA", "600000", false, 0 },
        { nullptr, "600000", false, 0 },
        { "SH", nullptr, false, 0 },
    };
    for (const Case& c : cases) {
        uint32_t key = 0;
        EXPECT_EQ(CContentPanelView::ParseStockText(c.market, c.code, key), c.valid)
            << (c.market ? c.market : "null") << " " << (c.code ? c.code : "null");
        if (c.valid) {
            EXPECT_EQ(key, c.key) << c.code;
        }
    }
    // Through the view message: a bad code changes nothing at all.
    PanelFixture f;
    ASSERT_TRUE(f.Create());
    f.panel->SwitchView(3000);
    f.Clear();
    f.panel->Accept(kViewMsgOpenStockByText, reinterpret_cast<WPARAM>("SH"), reinterpret_cast<LPARAM>("1A00G1"));
    EXPECT_TRUE(f.s.log.empty());
    EXPECT_EQ(f.Current(), 3000);
    f.panel->Accept(kViewMsgOpenStockByText, reinterpret_cast<WPARAM>("SZ"), reinterpret_cast<LPARAM>("399001"));
    EXPECT_EQ(f.s.currentKey, 0x01399001u);
    EXPECT_EQ(f.Current(), 3001);
    EXPECT_EQ(f.s.log.back(), "display(1,0,0) of 20549633");
}

TEST(ContentPanel, NoticesReachOnlyTheViewsTheyAreFor)
{
    PanelFixture f;
    ASSERT_TRUE(f.Create());
    f.Clear();
    f.panel->OnQuotesRefreshed(nullptr);
    EXPECT_TRUE(f.s.log.empty()) << "quotes go to the quote list only while it shows";
    f.panel->OnStockDataUpdated(2, 0x600000);
    EXPECT_EQ(f.s.log, (Log { "accept(3001,4046,6291456)+" }));
    f.panel->SwitchView(3000);
    f.Clear();
    int quotes = 0;
    f.panel->OnQuotesRefreshed(reinterpret_cast<CReportData*>(&quotes));
    EXPECT_EQ(f.s.log, (Log { "accept(3000,4045,0)+" }));
}

TEST(ContentPanel, ALetterOpensTheWizardAtTheBottomRightAndASizeClosesIt)
{
    PanelFixture f;
    ASSERT_TRUE(f.Create());
    ShowWithoutActivating(f.frame);
    f.panel->SwitchView(3000);
    EXPECT_TRUE(f.Key('A'));
    CSearchBox& wizard = f.panel->GetWizard();
    ASSERT_TRUE(wizard.IsWindowVisible());
    CRect r;
    ::GetWindowRect(wizard, &r);
    ::MapWindowPoints(nullptr, f.panel->m_hWnd, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r, CRect(600, 297, 800, 600));
    EXPECT_EQ(wizard.GetText(), "A");
    // The next keys go to the wizard.
    f.Clear();
    f.Key(VK_F3);
    EXPECT_EQ(f.Current(), 3000) << "F3 typed into the wizard opens nothing";
    f.panel->SetWindowPos(nullptr, 0, 0, 700, 500, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_FALSE(wizard.IsWindowVisible());
    EXPECT_EQ(f.panel->FindView(3000)->GetClientRect().Width(), 700) << "the view fills the panel";
}

TEST(ContentPanel, MenuCommandsRunThroughTheDispatcherOnThePanelsViews)
{
    PanelFixture f;
    ASSERT_TRUE(f.Create());
    f.Clear();
    f.panel->Accept(kViewMsgMenuCommand, 4087, 0);
    EXPECT_EQ(f.Current(), 3000);
    EXPECT_EQ(f.s.log.back(), "board(0,2,0)");
    f.panel->Accept(kViewMsgMenuCommand, 4106, 0);
    EXPECT_EQ(f.Current(), 3002);
    EXPECT_EQ(f.s.log.back(), "period(7,0,0)");
    f.panel->Accept(kViewMsgMenuCommand, 4012, 0);
    EXPECT_EQ(f.s.log.back(), "adjust(3,0,0)");
    EXPECT_TRUE(f.updateUi.UIGetCheck(4012));
    EXPECT_FALSE(f.updateUi.UIGetCheck(4013));
    f.panel->Accept(kViewMsgMenuCommand, 4154, 0);
    EXPECT_EQ(f.s.log.back(), "panes(5,0,0)");
    f.panel->Accept(kViewMsgMenuCommand, 4021, 0);
    EXPECT_EQ(f.s.log.back(), "browser http://svc/more/list_3.html");
    // 4044 with the current stock: added, and the frame shows the user list.
    f.s.currentKey = 0x600036;
    f.panel->Accept(kViewMsgMenuCommand, 4044, 0);
    EXPECT_EQ(f.frame.commands.back(), std::make_pair(5009u, 1000u));
    // 4034: the K-line view with a formula.
    f.Clear();
    f.panel->Accept(kViewMsgShowIndicator, 17, 0);
    EXPECT_EQ(f.s.log, (Log { "period(6,0,0)", "accept(3002,4025,17)" }));
    // 4037: a board.
    f.panel->Accept(kViewMsgShowBoard, 4, 0);
    EXPECT_EQ(f.s.log.back(), "board(4,2,0)");
}
