// The main frame under Xvfb with fake content, side panel and poller: its
// size, layout, menus, commands, key routing and teardown.
#include "app/MainFrame.h"
#include "app/RunLoop.h"
#include "app/ShellConstants.h"
#include "skin/SkinCmdBar.h"
#include "tests/shell/ShellFakes.h"
#include "tests/support/WindowTesting.h"
#include "tools/uidriver/ForeignWindows.h"
#include "tools/uidriver/ScreenCapture.h"
#include "views/ViewIds.h"
#include "views/ViewOptions.h"
#include "win/AppModule.h"
#include <gtest/gtest.h>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

// A frame with fakes and no releases of the real singletons (other tests of
// this executable share them).
struct FrameFixture
{
    ShellLog log;
    CFakeContent* content = nullptr;
    CFakeSidePanel* sidePanel = nullptr;
    std::unique_ptr<CMainFrame> frame = std::make_unique<CMainFrame>();

    explicit FrameFixture(std::vector<TeardownStep> releases = {})
    {
        auto c = std::make_unique<CFakeContent>();
        auto s = std::make_unique<CFakeSidePanel>();
        content = c.get();
        sidePanel = s.get();
        frame->SetParts(std::move(c), std::move(s), std::make_unique<CFakePoller>(log));
        frame->SetReleaseSteps(std::move(releases));
    }
    ~FrameFixture() { Destroy(); }

    void Destroy()
    {
        if (frame->IsWindow())
            frame->DestroyWindow();
        // The frame ends the thread's loop as it goes: not this test's loop.
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) { }
    }

    CRect ChildRect(HWND child) const
    {
        CRect r;
        ::GetWindowRect(child, &r);
        ::MapWindowPoints(nullptr, frame->m_hWnd, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
};

std::string MenuText(HMENU menu, int position)
{
    char text[256] = {};
    ::GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof(text), MF_BYPOSITION);
    return text;
}

// "caption" for a command, "-" for a separator, ">caption" for a sub-popup.
std::vector<std::string> Walk(HMENU menu)
{
    std::vector<std::string> items;
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU;
        ::GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
        if (info.fType & MFT_SEPARATOR)
            items.push_back("-");
        else if (info.hSubMenu)
            items.push_back(">" + MenuText(menu, i));
        else
            items.push_back(std::to_string(info.wID) + " " + MenuText(menu, i));
    }
    return items;
}

}

TEST(MainFrame, StartsAt900By680ThenMaximisesAndKeepsItsMinimumSize)
{
    FrameFixture f;
    ASSERT_TRUE(f.frame->CreateFrameWindow());
    CRect r = f.frame->GetWindowRect();
    EXPECT_EQ(r.Width(), 900);
    EXPECT_EQ(r.Height(), 680);
    EXPECT_EQ(::GetWindowTextLengthA(f.frame->m_hWnd), static_cast<int>(strlen(kMainWindowTitle)));
    EXPECT_EQ(f.log.events, (std::vector<std::string> { "poll start" }));
    EXPECT_TRUE(f.frame->UIGetCheck(4013));
    EXPECT_FALSE(f.frame->IsReloginRequested());

    MINMAXINFO info = {};
    f.frame->SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 900);
    EXPECT_EQ(info.ptMinTrackSize.y, 680);
    EXPECT_EQ(info.ptMaxPosition.x, 0);
    EXPECT_EQ(info.ptMaxPosition.y, 0);

    f.frame->SetWindowPos(nullptr, 0, 0, 400, 300, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    r = f.frame->GetWindowRect();
    EXPECT_GE(r.Width(), 900) << "sizing below the minimum is clamped";
    EXPECT_GE(r.Height(), 680);

    f.frame->ShowWindow(SW_SHOWNORMAL);
    f.frame->ShowWindow(SW_SHOWMAXIMIZED);
    PumpPendingMessages();
    EXPECT_TRUE(f.frame->IsZoomed());
}

TEST(MainFrame, TheTabRowStartsAtTheLeftOrBesideTheSidePanel)
{
    FrameFixture f;
    ASSERT_TRUE(f.frame->CreateFrameWindow());
    ShowWithoutActivating(*f.frame);
    // The children stay inside the skinned frame: below its title row and
    // within its borders.
    const NcFrameMetrics& frameSizes = f.frame->GetNcDraw().GetMetrics();
    ASSERT_GT(frameSizes.titleHeight, 0);
    CRect inner = f.frame->GetClientRect();
    inner.Deflate(frameSizes.leftWidth, frameSizes.titleHeight, frameSizes.rightWidth, frameSizes.bottomHeight);
    const CRect bar = f.ChildRect(f.frame->GetCommandBar());
    const CRect status = f.ChildRect(f.frame->GetStatusBar());
    const CRect bottom = f.ChildRect(f.frame->GetBottomBar());
    EXPECT_EQ(bar.top, inner.top);
    EXPECT_EQ(bar.left, inner.left);
    EXPECT_EQ(bar.right, inner.right);
    EXPECT_EQ(status.bottom, inner.bottom);
    EXPECT_EQ(bottom.bottom, status.top);
    CRect tabs = f.ChildRect(f.frame->GetTabRow());
    CRect content = f.ChildRect(f.content->GetWindow());
    EXPECT_EQ(tabs.left, inner.left);
    EXPECT_EQ(tabs.top, bar.bottom);
    EXPECT_EQ(tabs.bottom, bottom.top);
    EXPECT_EQ(content.left, tabs.right);
    EXPECT_EQ(content.right, inner.right);
    EXPECT_FALSE(f.frame->IsSidePanelVisible());

    // The arrows show the side panel with the user list; again hides it.
    f.frame->SendMessage(WM_COMMAND, MAKEWPARAM(4016, 0), 0);
    EXPECT_TRUE(f.frame->IsSidePanelVisible());
    EXPECT_EQ(f.sidePanel->tabCommands, std::vector<UINT> { 4016 });
    tabs = f.ChildRect(f.frame->GetTabRow());
    content = f.ChildRect(f.content->GetWindow());
    EXPECT_EQ(tabs.left, inner.left + 218);
    EXPECT_EQ(f.ChildRect(f.sidePanel->GetWindow()).Width(), 218);
    EXPECT_EQ(f.ChildRect(f.sidePanel->GetWindow()).top, inner.top + bar.Height());
    EXPECT_EQ(content.left, tabs.right);
    f.frame->SendMessage(WM_COMMAND, MAKEWPARAM(4016, 0), 0);
    EXPECT_FALSE(f.frame->IsSidePanelVisible());
    EXPECT_EQ(f.ChildRect(f.frame->GetTabRow()).left, inner.left);

    // A stock added to the user list always shows the list (notify 1000).
    f.frame->SendMessage(WM_COMMAND, MAKEWPARAM(5009, 1000), 0);
    f.frame->SendMessage(WM_COMMAND, MAKEWPARAM(5009, 1000), 0);
    EXPECT_TRUE(f.frame->IsSidePanelVisible());
    // The sector menu item toggles.
    f.frame->SendMessage(WM_COMMAND, MAKEWPARAM(5010, 0), 0);
    EXPECT_FALSE(f.frame->IsSidePanelVisible());
    EXPECT_EQ(f.sidePanel->tabCommands, (std::vector<UINT> { 4016, 5009, 5009 }));
}

namespace {

// What the screen shows at a window point of the frame, against what the
// frame paints there itself.
void ExpectFramePaintShows(CMainFrame& frame, CPoint windowPoint, const char* what)
{
    EXPECT_EQ(ScreenPixelOfWindow(frame, windowPoint), FramePaintPixel(frame.GetNcDraw(), windowPoint)) << what;
}

// The caption menu a click opened, noted and ended from a thread timer that
// every menu loop dispatches; any other menu a click opened (a command bar's
// drop-down under the title row) is counted and ended too.
CNcDraw* g_probedFrame = nullptr;
int g_openedMenu = -1;
int g_strayMenus = 0;
void CALLBACK NoteOpenMenus(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_probedFrame && g_probedFrame->IsTracking()) {
        if (g_openedMenu < 0 && g_probedFrame->GetOpenPopupCount() > 0) {
            g_openedMenu = g_probedFrame->GetTrackingIndex();
            ::EndMenu();
        }
        return;
    }
    HWND popup = ::FindWindowA("#32768", nullptr);
    if (popup && ::IsWindowVisible(popup)) {
        ++g_strayMenus;
        ::EndMenu();
    }
}

// Every caption button and caption-menu title is the frame's own, on the
// screen and under the pointer: no child covers the title row.
void ExpectCaptionRowUncovered(CMainFrame& frame)
{
    frame.RedrawWindow(nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpPendingMessages();
    CNcDraw& nc = frame.GetNcDraw();
    std::vector<std::pair<std::string, CRect>> places = { { "close", nc.GetCloseButtonRect() },
        { "maximise", nc.GetMaximiseButtonRect() }, { "minimise", nc.GetMinimiseButtonRect() } };
    ASSERT_GT(nc.GetVisibleCaptionMenuCount(), 0);
    for (int i = 0; i < nc.GetVisibleCaptionMenuCount(); ++i)
        places.push_back({ "caption menu " + std::to_string(i), nc.GetCaptionMenuRect(i) });
    for (const auto& place : places) {
        ASSERT_FALSE(place.second.IsEmpty()) << place.first;
        const CPoint centre = place.second.CenterPoint();
        EXPECT_EQ(::ChildWindowFromPointEx(frame, centre, CWP_SKIPINVISIBLE), frame.m_hWnd) << place.first;
        ExpectFramePaintShows(frame, centre, place.first.c_str());
    }
}

}

TEST(MainFrame, TheCaptionRowIsUncoveredAndItsButtonsWorkRestoredAndMaximised)
{
    FrameFixture f;
    ASSERT_TRUE(f.frame->CreateFrameWindow());
    ShowWithoutActivating(*f.frame);
    PumpPendingMessages();
    ASSERT_FALSE(f.frame->IsZoomed());
    ExpectCaptionRowUncovered(*f.frame);
    EXPECT_FALSE(SaveWindowScreenshot(*f.frame, "shell_mainframe_restored").empty());

    // Each caption-menu title opens its own drop-down.
    CNcDraw& nc = f.frame->GetNcDraw();
    g_probedFrame = &nc;
    g_strayMenus = 0;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &NoteOpenMenus);
    for (int i = 0; i < nc.GetVisibleCaptionMenuCount(); ++i) {
        SCOPED_TRACE(i);
        g_openedMenu = -1;
        EXPECT_TRUE(ClickAtWindowPoint(*f.frame, nc.GetCaptionMenuRect(i).CenterPoint()));
        EXPECT_TRUE(PumpUntil([&] { return g_openedMenu >= 0 && !nc.IsTracking(); }, 3000));
        EXPECT_EQ(g_openedMenu, i);
    }

    EXPECT_TRUE(ClickAtWindowPoint(*f.frame, nc.GetMaximiseButtonRect().CenterPoint()));
    EXPECT_TRUE(PumpUntil([&] { return f.frame->IsZoomed() != FALSE; }, 3000));
    ExpectCaptionRowUncovered(*f.frame);
    EXPECT_FALSE(SaveWindowScreenshot(*f.frame, "shell_mainframe_maximised").empty());
    EXPECT_TRUE(ClickAtWindowPoint(*f.frame, nc.GetMaximiseButtonRect().CenterPoint()));
    EXPECT_TRUE(PumpUntil([&] { return !f.frame->IsZoomed(); }, 3000));
    EXPECT_TRUE(ClickAtWindowPoint(*f.frame, nc.GetMinimiseButtonRect().CenterPoint()));
    EXPECT_TRUE(PumpUntil([&] { return f.frame->IsIconic() != FALSE; }, 3000));
    f.frame->ShowWindow(SW_RESTORE);
    PumpPendingMessages();
    ::KillTimer(nullptr, timer);
    g_probedFrame = nullptr;
    EXPECT_EQ(g_strayMenus, 0) << "a click on the caption row opened another menu";
}

TEST(MainFrame, CaptionMenuIsMenu126AsSpecified)
{
    HMENU menu = CAppModule::Get().LoadMenu(IDR_MAINFRAME);
    ASSERT_TRUE(menu);
    const std::vector<std::string> top = { ">系统(&S)", ">报价(&R)", ">功能(&A)", ">资金(&C)",
        ">特色指标(&T)", ">核心功能(&P)", ">操盘策略(&O)", ">统计(&M)", ">资讯(&I)", ">帮助(&H)" };
    EXPECT_EQ(Walk(menu), top);
    const std::vector<std::vector<std::string>> popups = {
        { "32775 免费注册", "32776 重新登录", "-", "32777 退出系统" },
        { "4087 上证A股", "4089 深圳A股", "4091 沪深A股", "4093 上证指数", "4094 深圳指数", "4095 中小板",
            "4096 创业板", "4097 板块" },
        { "4083 报价分析　　　F12", "4000 即时分析　　　F5", "4001 技术分析　　　F5",
            "4033 公司信息　　　F10", "4084 自选股　　　　F6", "4086 财务分析", "-", ">大盘走势", ">分析周期",
            "4124 分时成交明细　F1", "4125 分价表　　　　F2", ">复权处理" },
        { "4130 资金分析", "4131 资金净流", "4132 进场资金", "4133 离场资金", "4134 主散博弈",
            "4135 主力资金", "4136 大单追踪", "4098 天眼看盘" },
        { "6040 短线决策", "6041 中线决策", "6019 压力支撑位", "-", "6039 散户统计", "6038 大盘涨跌预测",
            "6008 金牌波段", "6009 短线精灵", "6010 买卖黄金线", "6011 机构之星", "6012 追涨套利",
            "6018 逃顶专家", "6013 博弈资金", "6014 短线高手", "6015 短线买点", "6016 短线逃顶",
            "6017 机构能量线", "6020 资金趋势线", "6022 主力进出", "6023 追涨买入", "6036 买卖动能",
            "6037 资金指数", "6025 金牛起步" },
        { ">股票诊断(&E)", ">股票买卖点", ">付费指标", ">资金监控", ">经典股票池" },
        { "4147 大盘决策", "4143 今日要闻", "4144 重点公告", "4146 市场传闻", "4145 外围市场" },
        { "4045 连续上涨", "4046 连续下跌", "4047 涨幅前50名", "4048 跌幅前50名", "-", "4049 成交价前50名",
            "4050 成交价后50名", "4051 成交量前50名", "4052 成交量后50名", "4053 成交额前50名",
            "4054 成交额后50名", "-", "4055 量比前50名", "4056 量比后50名", "-", "4078 资金流入前50名",
            "4079 资金流出前50名" },
        { "4021 股市播报", "4020 今日牛股", "4019 大势研判", "4022 名家观点", "4023 热点板块",
            "4024 主力动向", "4160 市场传闻", "4161 私募内参", "4025 数据研究", "4026 股票知识",
            "4162 指标公式", "4163 高手经验", "4164 股票书籍", "-", "4165 理财攻略", "4167 致富经",
            "4166 收藏宝典" },
        { "4034 帮助说明书", "4018 官方网站", "4035 联系我们", "4036 在线客服", "-", "32857 关于 Zentu" },
    };
    for (size_t i = 0; i < popups.size(); ++i)
        EXPECT_EQ(Walk(::GetSubMenu(menu, static_cast<int>(i))), popups[i]) << top[i];

    HMENU functions = ::GetSubMenu(menu, 2);
    EXPECT_EQ(Walk(::GetSubMenu(functions, 7)),
        (std::vector<std::string> { "4110 上证180走势", "4111 上证综指　　　　　　F3", "4112 上证A股走势",
            "4113 上证B股走势", "4114 上证50走势", "4115 深证100走势", "4116 深证成分走势",
            "4117 深证综指走势　　　　F4", "4122 深证A股走势", "4121 深证B股走势", "4118 沪深300指数",
            "4119 创业板指数", "4120 中小板指数" }));
    EXPECT_EQ(Walk(::GetSubMenu(functions, 8)),
        (std::vector<std::string> { "4100 5分钟图", "4101 10分钟图", "4102 15分钟图", "4103 30分钟图",
            "4104 60分钟图", "-", "4105 日线图", "4106 周线图", "4107 月线图", "4108 季线图",
            "4109 年线图" }));
    EXPECT_EQ(Walk(::GetSubMenu(functions, 11)),
        (std::vector<std::string> { "4013 不复权", "4012 前复权", "4011 后复权" }));
    HMENU core = ::GetSubMenu(menu, 5);
    EXPECT_EQ(Walk(::GetSubMenu(core, 0)), std::vector<std::string> { "4017 技术诊断" });
    EXPECT_EQ(
        Walk(::GetSubMenu(core, 1)), (std::vector<std::string> { "6001 金牌买卖点", "6024 最佳买卖点" }));
    EXPECT_EQ(Walk(::GetSubMenu(core, 2)),
        (std::vector<std::string> { "6006 抢占先机", "6032 买卖决策", "6027 庄家轨迹", "6033 主力成本", "-",
            "6003 抄底王", "6007 春种秋收", "6002 庄影难逃", "6004 多空能量", "6005 顶底先知",
            "6021 主力操盘轨迹", "6026 大浪淘金", "6034 跟庄建仓", "6035 主力统计" }));
    EXPECT_EQ(Walk(::GetSubMenu(core, 3)),
        (std::vector<std::string> { "4131 资金净流", "4134 主散博弈", "4098 天眼看盘" }));
    EXPECT_EQ(Walk(::GetSubMenu(core, 4)),
        (std::vector<std::string> { "4139 经典短线股票池", "4140 经典波段股票池" }));
    ::DestroyMenu(menu);

    FrameFixture f;
    ASSERT_TRUE(f.frame->CreateFrameWindow());
    EXPECT_EQ(f.frame->GetNcDraw().GetCaptionMenuCount(), 10);
}

TEST(MainFrame, CommandsBecomeViewMessages)
{
    FrameFixture f;
    ASSERT_TRUE(f.frame->CreateFrameWindow());
    auto command = [&](WORD id, LPARAM extra = 0, WORD code = 0) {
        f.frame->SendMessage(WM_COMMAND, MAKEWPARAM(id, code), extra);
    };
    command(3000);
    command(3001);
    command(3002);
    command(3003);
    command(3004);
    command(4091, 77);
    command(5000);
    command(6019, 5);
    ASSERT_EQ(f.content->accepted.size(), 4u);
    EXPECT_EQ(f.content->accepted[0].message, 4030u);
    EXPECT_EQ(f.content->accepted[0].wParam, 4083u);
    EXPECT_EQ(f.content->accepted[1].wParam, 4084u);
    EXPECT_EQ(f.content->accepted[2].wParam, 4091u);
    EXPECT_EQ(f.content->accepted[2].lParam, 77);
    EXPECT_EQ(f.content->accepted[3].wParam, 5000u);
    EXPECT_EQ(f.content->switched, (std::vector<UINT> { 3001, 3002, 3003 }));
    EXPECT_EQ(f.content->indicatorCommands, std::vector<UINT> { 6019 });

    // Status-bar panes of the four indexes open their index; others nothing.
    f.content->accepted.clear();
    f.content->opened.clear();
    const struct
    {
        WPARAM pane;
        const char* market;
        const char* code;
    } panes[] = { { 5020, "SH", "1A0001" }, { 5021, "SZ", "399001" }, { 5022, "SZ", "399005" },
        { 5023, "SZ", "399006" } };
    for (const auto& pane : panes)
        f.frame->SendMessage(kFrameStatusPaneClicked, pane.pane, 0);
    f.frame->SendMessage(kFrameStatusPaneClicked, 5024, 0);
    EXPECT_TRUE(f.content->accepted.empty());
    ASSERT_EQ(f.content->opened.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(f.content->opened[i].first, panes[i].market);
        EXPECT_EQ(f.content->opened[i].second, panes[i].code);
    }
}

// A click on each tab of the row, the first included, reaches the frame as
// its command: the quote list and the user's list as menu commands, the
// three charts as view switches.
TEST(MainFrame, EveryTabOfTheRowAnswersAClickTheFirstToo)
{
    FrameFixture f;
    ASSERT_TRUE(f.frame->CreateFrameWindow());
    CSkinCmdBar& tabs = f.frame->GetTabRow();
    ASSERT_EQ(tabs.GetItemCount(), 5);
    for (int i = 0; i < tabs.GetItemCount(); ++i) {
        const CPoint at = tabs.GetItem(i).rect.CenterPoint();
        tabs.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        tabs.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
        EXPECT_EQ(tabs.GetCurrentIndex(), i);
    }
    ASSERT_EQ(f.content->accepted.size(), 2u);
    EXPECT_EQ(f.content->accepted[0].message, static_cast<UINT>(kViewMsgMenuCommand));
    EXPECT_EQ(f.content->accepted[0].wParam, 4083u) << "the first tab, the quote list";
    EXPECT_EQ(f.content->accepted[1].wParam, static_cast<WPARAM>(kCmdUserStocks));
    EXPECT_EQ(f.content->switched, (std::vector<UINT> { kViewRealTime, kViewStockGraph, kViewF10 }));
}

TEST(MainFrame, KeysGoToThePanelThenTheSidePanelThenTheAccelerators)
{
    FrameFixture f;
    ASSERT_TRUE(f.frame->CreateFrameWindow());
    MSG msg = {};
    msg.hwnd = f.frame->m_hWnd;
    msg.message = WM_KEYDOWN;
    msg.wParam = VK_F10;
    EXPECT_TRUE(f.frame->PreTranslateMessage(&msg));
    msg.wParam = VK_F12;
    EXPECT_TRUE(f.frame->PreTranslateMessage(&msg));
    msg.wParam = 'A';
    EXPECT_FALSE(f.frame->PreTranslateMessage(&msg));
    EXPECT_EQ(f.content->routedKeys, 3);
    EXPECT_EQ(f.sidePanel->keys, 3);
    ASSERT_EQ(f.content->accepted.size(), 2u);
    EXPECT_EQ(f.content->accepted[0].wParam, 4033u) << "F10";
    EXPECT_EQ(f.content->accepted[1].wParam, 4083u) << "F12";

    // A key the panel consumes goes no further.
    f.content->consumeKeys = true;
    msg.wParam = VK_F10;
    EXPECT_TRUE(f.frame->PreTranslateMessage(&msg));
    EXPECT_EQ(f.sidePanel->keys, 3);
    EXPECT_EQ(f.content->accepted.size(), 2u);
}

TEST(MainFrame, DropDownPointsAreSignedAndMenusExist)
{
    const POINT left = CMainFrame::DropDownPoint(MAKELPARAM(static_cast<WORD>(-300), static_cast<WORD>(-20)));
    EXPECT_EQ(left.x, -300);
    EXPECT_EQ(left.y, -20);
    const POINT right = CMainFrame::DropDownPoint(MAKELPARAM(1500, 40));
    EXPECT_EQ(right.x, 1500);
    EXPECT_EQ(right.y, 40);
    for (UINT command : { 3501u, 3502u, 3503u, 3504u, 3505u }) {
        HMENU menu = CAppModule::Get().LoadMenu(CMainFrame::DropDownMenuOf(command));
        EXPECT_TRUE(menu && ::GetSubMenu(menu, 0)) << command;
        if (menu)
            ::DestroyMenu(menu);
    }
    EXPECT_EQ(CMainFrame::DropDownMenuOf(3506), 0u);
}

namespace {

// What the drop-down menu showed, seen from a timer inside the menu's loop,
// which then closes the menu.
struct OpenedMenu
{
    bool seen = false;
    RECT rect = {};
    std::vector<UINT> checked;
};
OpenedMenu g_dropDownMenu;

VOID CALLBACK InspectAndCloseMenu(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND window = ::FindWindowA("#32768", nullptr);
    if (!window || !::IsWindowVisible(window))
        return;
    ::KillTimer(nullptr, id);
    g_dropDownMenu.seen = true;
    ::GetWindowRect(window, &g_dropDownMenu.rect);
    HMENU menu = reinterpret_cast<HMENU>(::SendMessageA(window, MN_GETHMENU, 0, 0));
    for (int i = 0; menu && i < ::GetMenuItemCount(menu); ++i) {
        if (::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_CHECKED)
            g_dropDownMenu.checked.push_back(::GetMenuItemID(menu, static_cast<UINT>(i)));
    }
    ::EndMenu();
}

} // namespace

// A bar's drop-down button opens its menu at the point it sends, the period
// menu with the current period checked.
TEST(MainFrame, ABarDropDownOpensItsMenuAtThePointWithThePeriodChecked)
{
    FrameFixture f;
    ASSERT_TRUE(f.frame->CreateFrameWindow());
    ShowWithoutActivating(*f.frame);
    ViewOptions::Instance()->SetPeriod(7);
    g_dropDownMenu = OpenedMenu();
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &InspectAndCloseMenu);
    f.frame->SendMessage(WM_COMMAND, MAKEWPARAM(3504, 0), MAKELPARAM(210, 160));
    ::KillTimer(nullptr, timer);
    ASSERT_TRUE(g_dropDownMenu.seen);
    EXPECT_EQ(g_dropDownMenu.rect.left, 210);
    EXPECT_EQ(g_dropDownMenu.rect.top, 160);
    EXPECT_EQ(g_dropDownMenu.checked, std::vector<UINT>({ 4099 + 7 }));
    ViewOptions::Instance()->SetPeriod(ViewOptions::kDefaultPeriod);
}

TEST(MainFrame, ReloginSetsTheFlagAndCloses)
{
    FrameFixture f;
    ASSERT_TRUE(f.frame->CreateFrameWindow());
    f.frame->SendMessage(WM_COMMAND, MAKEWPARAM(32776, 0), 0);
    EXPECT_TRUE(f.frame->IsReloginRequested());
    EXPECT_FALSE(f.frame->IsWindow());
}

// The teardown: the frame leaves the loop, the poll thread stops, then the
// releases run in order; a request thread stopped before the manager goes
// leaves nothing for a released manager.
TEST(MainFrame, TeardownRunsInOrderAndNoRequestFollowsTheManagersRelease)
{
    std::atomic<bool> managerReleased { false };
    std::atomic<int> lateRequests { 0 };
    std::atomic<int> requests { 0 };
    std::atomic<bool> cacheStop { false };
    std::thread cache([&] {
        while (!cacheStop) {
            ++requests;
            if (managerReleased)
                ++lateRequests;
            ::Sleep(1);
        }
    });

    std::vector<TeardownStep> releases;
    ShellLog* log = nullptr;
    for (const TeardownStep& step : ApplicationReleaseSteps())
        releases.push_back({ step.name, [&log, name = step.name, &cacheStop, &cache, &managerReleased] {
                                log->events.push_back(name);
                                if (name == "CStockFactory") {
                                    cacheStop = true;
                                    cache.join();
                                } else if (name == "CDownLoaderManager") {
                                    managerReleased = true;
                                }
                            } });
    FrameFixture f(releases);
    log = &f.log;

    CMessageLoop loop;
    ASSERT_TRUE(CAppModule::Get().AddMessageLoop(&loop));
    ASSERT_TRUE(f.frame->CreateFrameWindow());
    while (requests < 5)
        ::Sleep(1);
    MSG key = {};
    key.message = WM_KEYDOWN;
    key.wParam = 'A';
    loop.PreTranslateMessage(&key);
    EXPECT_EQ(f.content->routedKeys, 1) << "registered as filter";
    f.log.events.clear();
    f.Destroy();
    loop.PreTranslateMessage(&key);
    EXPECT_EQ(f.content->routedKeys, 1) << "no longer a filter";
    CAppModule::Get().RemoveMessageLoop();

    EXPECT_EQ(f.log.events,
        (std::vector<std::string> { "poll stop", "CStockFactory", "CDownLoaderManager", "HttpClient",
            "CDataCenter", "CalcDefaults", "FormulaManager", "UserStockList", "FormulaLibrary", "GroupIndex",
            "DataPaths", "GdiObjectCache", "ViewOptions" }));
    EXPECT_EQ(lateRequests, 0);
    if (cache.joinable()) {
        cacheStop = true;
        cache.join();
    }
}

TEST(MainFrame, Screenshot)
{
    FrameFixture f;
    ASSERT_TRUE(f.frame->CreateFrameWindow());
    ShowWithoutActivating(*f.frame);
    f.frame->SendMessage(WM_COMMAND, MAKEWPARAM(4016, 0), 0);
    PumpPendingMessages();
    f.frame->RedrawWindow(nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpPendingMessages();
    EXPECT_FALSE(SaveWindowScreenshot(*f.frame, "shell_mainframe").empty());
    // The frame's own bars are drawn: the command bar's buttons and the
    // status bar's background, each more than one flat colour.
    std::unique_ptr<CDib32> image = CaptureWindow(*f.frame);
    ASSERT_TRUE(image);
    for (const char* name : { "ZtSkinDarkCommandBar", "ZtSkinStatusBar" }) {
        HWND bar = FindDescendantOfClass(*f.frame, name);
        ASSERT_TRUE(bar) << name;
        const PixelArea area = AreaOfChild(*f.frame, bar);
        EXPECT_GT(DistinctColours(*image, area), 8) << name;
        EXPECT_GE(RowsWithContent(*image, area), (area.bottom - area.top) / 2) << name;
    }
}

// The run loop: a re-login runs a fresh login, cancelling it ends with 1111;
// each re-login dialog is gone before the next frame runs.
TEST(RunLoop, ReloginCycle)
{
    struct Prompt : ILoginPrompt
    {
        std::vector<std::string>& log;
        INT_PTR answer;
        Prompt(std::vector<std::string>& l, INT_PTR a)
            : log(l)
            , answer(a)
        {
        }
        ~Prompt() override { log.push_back("login gone"); }
        INT_PTR RunModal(HWND) override
        {
            log.push_back("login " + std::to_string(answer));
            return answer;
        }
    };
    struct Case
    {
        std::vector<INT_PTR> answers;
        std::vector<int> frames;
        int result;
        std::vector<std::string> log;
    };
    const Case cases[] = {
        { { 0 }, {}, 0, { "login 0", "login gone" } },
        { { 1 }, { 1 }, 1, { "login 1", "frame", "login gone" } },
        { { 1 }, { 0 }, 0, { "login 1", "frame", "login gone" } },
        { { 1, 2 }, { 1111 }, 1111, { "login 1", "frame", "login 2", "login gone", "login gone" } },
        { { 1, 1 }, { 1111, 1 }, 1, { "login 1", "frame", "login 1", "login gone", "frame", "login gone" } },
    };
    for (const Case& c : cases) {
        std::vector<std::string> log;
        size_t nextAnswer = 0, nextFrame = 0;
        const int result = RunLoginAndFrames(
            [&]() -> std::unique_ptr<ILoginPrompt> {
                return std::make_unique<Prompt>(log, c.answers.at(nextAnswer++));
            },
            [&] {
                log.push_back("frame");
                return c.frames.at(nextFrame++);
            });
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(log, c.log);
    }
}
