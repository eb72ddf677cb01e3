// The command bar: frames of flags, the nine-part frame blend, item layout in
// both orientations, the selection and hover states with an injected clock,
// clicks and the panel toggle on real windows, and what it paints.
#include "skin/SkinCmdBar.h"
#include "tests/support/ControlTesting.h"
#include "tests/support/GdiCount.h"
#include <gtest/gtest.h>

namespace {

DWORD g_now = 5000;
DWORD WINAPI TestClock()
{
    return g_now;
}

// Normal, selected, third, hover, spare.
const std::vector<uint32_t> kItemColours = { 0xFF303030, 0xFFC00000, 0xFF00C000, 0xFF0000C0, 0xFF808080 };

std::vector<SkinCmdBarItem> Items(std::initializer_list<std::pair<uint32_t, const char*>> list)
{
    std::vector<SkinCmdBarItem> items;
    for (const auto& entry : list) {
        SkinCmdBarItem item;
        item.id = entry.first;
        item.caption = entry.second;
        items.push_back(item);
    }
    return items;
}

}

TEST(CmdBarFrames, FlagsPickTheirFrameAndFadeKind)
{
    const struct
    {
        uint32_t flags;
        int frame;
        uint32_t kind;
    } cases[] = {
        { 0, 0, 0 },
        { kCmdItemHover, 3, kCmdItemHover },
        { kCmdItemThird, 2, kCmdItemThird },
        { kCmdItemThird | kCmdItemHover, 2, kCmdItemThird },
        { kCmdItemSelected | kCmdItemHover, 1, kCmdItemSelected },
        { kCmdItemSelected | kCmdItemThird, 1, kCmdItemSelected },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CmdBarFrameOfFlags(c.flags), c.frame) << c.flags;
        EXPECT_EQ(CmdBarFadeKind(c.flags), c.kind) << c.flags;
    }
}

TEST(CmdBarFrames, TheFrameBlendKeepsBordersAndStretchesTheRest)
{
    // A 40 x 24 frame at x 80 of the image into a 100 x 30 item.
    const auto parts = PlanFrameBlend(CRect(10, 8, 110, 38), CRect(80, 0, 120, 24), 8, 2, 8, 1);
    ASSERT_EQ(parts.size(), 9u);
    EXPECT_EQ(parts[0].dest, CRect(10, 8, 18, 10));
    EXPECT_EQ(parts[0].source, CRect(80, 0, 88, 2));
    EXPECT_EQ(parts[4].dest, CRect(18, 10, 102, 37)) << "the centre, stretched both ways";
    EXPECT_EQ(parts[4].source, CRect(88, 2, 112, 23));
    EXPECT_EQ(parts[8].dest, CRect(102, 37, 110, 38));
    EXPECT_EQ(parts[8].source, CRect(112, 23, 120, 24));

    // Vertical borders: no columns of their own, so three parts.
    const auto vertical = PlanFrameBlend(CRect(4, 16, 20, 80), CRect(0, 48, 24, 96), 0, 8, 0, 8);
    ASSERT_EQ(vertical.size(), 3u);
    EXPECT_EQ(vertical[1].dest, CRect(4, 24, 20, 72));
    EXPECT_EQ(vertical[1].source, CRect(0, 56, 24, 88));

    // An item narrower than both borders: the borders share what there is, nothing mirrors.
    const auto narrow = PlanFrameBlend(CRect(0, 0, 10, 30), CRect(0, 0, 40, 24), 8, 2, 8, 1);
    for (const auto& part : narrow) {
        EXPECT_GT(part.dest.Width(), 0);
        EXPECT_GT(part.source.Width(), 0);
        EXPECT_LE(part.dest.right, 10);
    }
    EXPECT_TRUE(PlanFrameBlend(CRect(0, 0, 0, 30), CRect(0, 0, 40, 24), 8, 2, 8, 1).empty());
}

TEST(CmdBarLayout, ItemRectanglesInBothOrientations)
{
    const auto measure = [](const std::string& text) { return static_cast<int>(text.size()) * 8; };
    const struct
    {
        bool vertical;
        bool panel;
        CRect first;
        CRect second;
        int extent;
    } cases[] = {
        // Horizontal: (x, 8, x + 8 + w, 12 + T), 2 apart; height T + 14.
        { false, false, CRect(2, 8, 74, 28), CRect(76, 8, 108, 28), 30 },
        { false, true, CRect(32, 8, 104, 28), CRect(106, 8, 138, 28), 30 },
        // Vertical: (4, y, 4 + T, y + 16 + n T), a double-byte character
        // counting once; width T + 4.
        { true, false, CRect(4, 16, 20, 96), CRect(4, 98, 20, 178), 20 },
        { true, true, CRect(4, 36, 20, 116), CRect(4, 118, 20, 198), 20 },
    };
    for (const auto& c : cases) {
        auto items = Items({ { 1, "行情报价" }, { 2, "abc" } });
        if (c.vertical)
            items[1].caption = "K线图表"; // 1 + 3 characters, 7 bytes
        EXPECT_EQ(LayoutCmdBarItems(items, c.vertical, c.panel, 16, measure), c.extent);
        EXPECT_EQ(items[0].rect, c.first) << c.vertical << c.panel;
        EXPECT_EQ(items[1].rect, c.second) << c.vertical << c.panel;
    }
}

TEST(CmdBarState, SelectionFadesOnlyTheItemLeftAndHoverIsImmediate)
{
    CSkinCmdBar bar; // no window: states only
    bar.SetClock(&TestClock);
    for (const auto& item : Items({ { 11, "a" }, { 12, "b" }, { 0, "c" } }))
        bar.AddItem(item);
    g_now = 5000;
    bar.SetItemState(0, kCmdItemSelected, kCmdItemSelected, 300);
    EXPECT_EQ(bar.GetItem(0).flags, kCmdItemSelected);
    EXPECT_EQ(bar.GetItem(0).fadeEnd, 0u) << "a newly selected item shows at once";

    // Hover over item 1: set at once, no fade anywhere.
    bar.SetItemState(1, kCmdItemHover, kCmdItemHover, 0);
    EXPECT_EQ(bar.GetItem(1).flags, kCmdItemHover);
    EXPECT_EQ(bar.GetItem(1).fadeEnd, 0u);

    // Selecting item 1 fades item 0 out over 300 ms from its selected frame.
    g_now = 6000;
    bar.SetItemState(1, kCmdItemSelected, kCmdItemSelected, 300);
    EXPECT_EQ(bar.GetItem(1).flags, kCmdItemSelected | kCmdItemHover);
    EXPECT_EQ(bar.GetItem(1).fadeEnd, 0u);
    EXPECT_EQ(bar.GetItem(0).flags, 0u);
    EXPECT_EQ(bar.GetItem(0).previousFlags, kCmdItemSelected);
    EXPECT_EQ(bar.GetItem(0).fadeStart, 6000u);
    EXPECT_EQ(bar.GetItem(0).fadeEnd, 6300u);

    // Selecting it again changes nothing and starts no fade.
    g_now = 6100;
    bar.SetItemState(1, kCmdItemSelected, kCmdItemSelected, 300);
    EXPECT_EQ(bar.GetItem(1).fadeStart, 0u);
    EXPECT_EQ(bar.GetItem(0).fadeStart, 6000u);

    // Leaving clears every hover bit; the selected item keeps its selection.
    bar.SetItemState(-1, 0, kCmdItemHover, 0);
    EXPECT_EQ(bar.GetItem(1).flags, kCmdItemSelected);
}

TEST(CmdBarWindow, ClicksSendTheirIdAndOnlyADeselectedItemFades)
{
    CColourParent parent;
    ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 400, 60)));
    CSkinCmdBar bar;
    bar.SetClock(&TestClock);
    g_now = 10000;
    bar.AddItem(3001, "行情");
    bar.AddItem(3002, "图表");
    bar.AddItem(0, "空");
    bar.SetImages(SolidFrames(40, 24, kItemColours, false));
    ASSERT_TRUE(bar.Create(parent, CRect(0, 0, 400, 40)));
    EXPECT_EQ(bar.GetCurrentIndex(), 0);
    EXPECT_EQ(bar.GetItem(0).flags & kCmdItemSelected, kCmdItemSelected);
    const int T = bar.GetBarHeight() - 14;
    EXPECT_GT(T, 0);
    EXPECT_EQ(bar.GetItem(0).rect.top, 8);
    EXPECT_EQ(bar.GetItem(0).rect.bottom, 12 + T);

    const auto click = [&](int index) {
        const CPoint at = bar.GetItem(index).rect.CenterPoint();
        bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        EXPECT_EQ(::GetCapture(), bar.m_hWnd);
        bar.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
        EXPECT_NE(::GetCapture(), bar.m_hWnd);
    };

    click(1);
    ASSERT_EQ(parent.received.size(), 1u);
    EXPECT_EQ(parent.received[0].wParam, 3002u);
    EXPECT_EQ(parent.received[0].lParam, reinterpret_cast<LPARAM>(bar.m_hWnd));
    EXPECT_EQ(bar.GetCurrentIndex(), 1);
    EXPECT_EQ(bar.GetItem(0).fadeEnd, 10300u);
    EXPECT_TRUE(bar.IsFadeTimerRunning());

    // Half way, the old frame and the new one are mixed; the item selected now is solid.
    g_now = 10150;
    CDib32 image;
    ASSERT_TRUE(RenderClient(bar, image));
    const CPoint old = bar.GetItem(0).rect.CenterPoint();
    const COLORREF mixed = image.GetColor(old.x, old.y - 5);
    EXPECT_GT(GetRValue(mixed), 0x40);
    EXPECT_LT(GetRValue(mixed), 0xA0);
    const CPoint now = bar.GetItem(1).rect.CenterPoint();
    EXPECT_EQ(image.GetColor(now.x, now.y - 5) & 0xFFFFFF, ArgbToColorref(kItemColours[1]));
    EXPECT_EQ(image.GetColor(2, 2), CSkinCmdBar::kBackground);

    // The timer ends the fade once its end has passed, then stops.
    g_now = 10400;
    bar.SendMessage(WM_TIMER, CSkinCmdBar::kFadeTimerId);
    EXPECT_EQ(bar.GetItem(0).fadeEnd, 0u);
    EXPECT_FALSE(bar.IsFadeTimerRunning());
    ASSERT_TRUE(RenderClient(bar, image));
    EXPECT_EQ(image.GetColor(old.x, old.y - 5), ArgbToColorref(kItemColours[0]));

    // The selected item again: the command again, no fade.
    click(1);
    ASSERT_EQ(parent.received.size(), 2u);
    EXPECT_EQ(parent.received[1].wParam, 3002u);
    for (int i = 0; i < bar.GetItemCount(); ++i)
        EXPECT_EQ(bar.GetItem(i).fadeEnd, 0u) << i;
    EXPECT_FALSE(bar.IsFadeTimerRunning());

    // Id 0: selected, nothing sent.
    click(2);
    EXPECT_EQ(parent.received.size(), 2u);
    EXPECT_EQ(bar.GetCurrentIndex(), 2);
    EXPECT_EQ(bar.GetItem(2).flags & kCmdItemSelected, kCmdItemSelected);

    // Between items: nothing.
    const CRect gap(bar.GetItem(0).rect.right, 8, bar.GetItem(1).rect.left, 20);
    bar.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(gap.left, gap.top + 2));
    EXPECT_EQ(bar.GetCurrentIndex(), 2);

    EXPECT_TRUE(bar.SelectItem(3001, true));
    EXPECT_EQ(bar.GetCurrentIndex(), 0);
    EXPECT_FALSE(bar.SelectItem(4242, true));

    // The first item answers a click as the others do.
    click(1);
    ASSERT_EQ(parent.received.size(), 3u);
    EXPECT_EQ(bar.GetCurrentIndex(), 1);
    EXPECT_EQ(bar.HitTest(bar.GetItem(0).rect.TopLeft()), 0);
    click(0);
    ASSERT_EQ(parent.received.size(), 4u);
    EXPECT_EQ(parent.received[3].wParam, 3001u);
    EXPECT_EQ(parent.received[3].lParam, reinterpret_cast<LPARAM>(bar.m_hWnd));
    EXPECT_EQ(bar.GetCurrentIndex(), 0);
    EXPECT_EQ(bar.GetItem(0).flags & kCmdItemSelected, kCmdItemSelected);
    parent.DestroyWindow();
}

TEST(CmdBarWindow, HoverFollowsThePointerAndLeavingClearsIt)
{
    CColourParent parent;
    ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 400, 60)));
    CSkinCmdBar bar;
    bar.AddItem(1, "一");
    bar.AddItem(2, "二");
    ASSERT_TRUE(bar.Create(parent, CRect(0, 0, 400, 40)));
    const CPoint second = bar.GetItem(1).rect.CenterPoint();
    bar.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(second.x, second.y));
    EXPECT_EQ(bar.GetItem(1).flags, kCmdItemHover);
    const CPoint first = bar.GetItem(0).rect.CenterPoint();
    bar.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(first.x, first.y));
    EXPECT_EQ(bar.GetItem(1).flags, 0u);
    EXPECT_EQ(bar.GetItem(0).flags, kCmdItemSelected | kCmdItemHover);
    bar.SendMessage(WM_MOUSELEAVE);
    EXPECT_EQ(bar.GetItem(0).flags, kCmdItemSelected);
    parent.DestroyWindow();
}

TEST(CmdBarWindow, PanelButtonsMakeRoomAndTakeTurns)
{
    CColourParent parent;
    ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 100, 400)));
    CSkinCmdBar bar;
    bar.SetVertical(true);
    bar.AddItem(3001, "分时走势");
    bar.AddItem(3002, "技术分析");
    bar.SetImages(SolidFrames(24, 48, kItemColours, true));
    ASSERT_TRUE(bar.Create(parent, CRect(0, 0, 24, 400)));
    EXPECT_EQ(bar.GetItem(0).rect.top, 16);
    const int T = bar.GetBarWidth() - 4;
    EXPECT_EQ(bar.GetItem(0).rect, CRect(4, 16, 4 + T, 16 + 16 + 4 * T));

    ASSERT_TRUE(
        bar.CreatePanelButtons(SolidFrames(20, 20, { 0xFF111111, 0xFF222222, 0xFF333333, 0xFF444444 }, false),
            SolidFrames(20, 20, { 0xFF555555, 0xFF666666, 0xFF777777, 0xFF888888 }, false)));
    EXPECT_EQ(bar.GetItem(0).rect.top, 36);
    CSkinFadeStateButtonCtrl& first = bar.GetPanelButton(0);
    CSkinFadeStateButtonCtrl& second = bar.GetPanelButton(1);
    EXPECT_TRUE(first.IsWindowVisible() || !bar.IsWindowVisible());
    EXPECT_TRUE(first.GetStyle() & WS_VISIBLE);
    EXPECT_FALSE(second.GetStyle() & WS_VISIBLE);
    EXPECT_EQ(first.GetDlgCtrlID(), CSkinCmdBar::kPanelToggleCommand);
    EXPECT_LE(first.GetRectInParent().bottom, 36);

    ShowWithoutActivating(parent);
    first.SendMessage(BM_CLICK);
    ASSERT_EQ(parent.received.size(), 1u);
    EXPECT_EQ(parent.received[0].wParam, static_cast<WPARAM>(CSkinCmdBar::kPanelToggleCommand));
    EXPECT_EQ(parent.received[0].lParam, reinterpret_cast<LPARAM>(bar.m_hWnd));
    EXPECT_FALSE(first.IsWindowVisible());
    EXPECT_TRUE(second.IsWindowVisible());
    second.SendMessage(BM_CLICK);
    EXPECT_EQ(parent.received.size(), 2u);
    EXPECT_TRUE(first.IsWindowVisible());
    EXPECT_FALSE(second.IsWindowVisible());
    parent.DestroyWindow();
}

TEST(CmdBarWindow, GdiObjectsDoNotGrowOverCreateAndDestroy)
{
    const auto cycle = [] {
        CColourParent parent;
        parent.Create(nullptr, CRect(0, 0, 300, 60));
        CSkinCmdBar bar;
        bar.AddItem(1, "一");
        bar.AddItem(2, "二");
        bar.SetImages(SolidFrames(40, 24, kItemColours, false), SolidFrames(4, 4, { 0xFF000000 }, false));
        bar.Create(parent, CRect(0, 0, 300, 40));
        bar.CreatePanelButtons(LoadSkinPng("ShowLeft.png"), LoadSkinPng("ShowRight.png"));
        CDib32 image;
        RenderClient(bar, image);
        bar.SelectItem(2, true);
        parent.DestroyWindow();
    };
    EXPECT_LE(GdiGrowthOver(cycle, 20), 2u);
}

TEST(CmdBarWindow, ScreenshotOfBothBarsWithTheSkinImages)
{
    CColourParent parent;
    parent.colour = RGB(0x20, 0x20, 0x20);
    ASSERT_TRUE(parent.Create(nullptr, CRect(40, 40, 560, 340)));
    CSkinCmdBar tabs;
    for (const auto& item :
        Items({ { 1, "基本资料" }, { 2, "财务分析" }, { 3, "股东研究" }, { 4, "公司公告" } }))
        tabs.AddItem(item);
    tabs.SetImages(LoadSkinPng("Tabs.png"));
    ASSERT_TRUE(tabs.Create(parent, CRect(40, 0, 520, 40)));
    tabs.MoveWindow(CRect(40, 0, 520, tabs.GetBarHeight()));
    tabs.SelectItem(2, false);
    tabs.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(tabs.GetItem(3).rect.left + 4, 12));

    CSkinCmdBar row;
    row.SetVertical(true);
    for (const auto& item : Items({ { 3001, "分时" }, { 3002, "K线图" }, { 3003, "行情报价" } }))
        row.AddItem(item);
    row.SetImages(LoadSkinPng("VTabRow.png"));
    ASSERT_TRUE(row.Create(parent, CRect(0, 0, 30, 300)));
    ASSERT_TRUE(row.CreatePanelButtons(LoadSkinPng("ShowLeft.png"), LoadSkinPng("ShowRight.png")));
    row.MoveWindow(CRect(0, 0, row.GetBarWidth(), 300));
    row.SelectItem(3002, false);

    ShowWithoutActivating(parent);
    parent.UpdateWindow();
    PumpPendingMessages();
    EXPECT_FALSE(SaveWindowScreenshot(parent, "cmd_bars").empty());
    // The selected tab shows the red selected frame.
    const CPoint selected = tabs.GetItem(1).rect.CenterPoint();
    const COLORREF pixel = CaptureWindowPixel(tabs, selected.x, tabs.GetItem(1).rect.top + 3);
    EXPECT_GT(GetRValue(pixel), GetGValue(pixel) + 60);
    parent.DestroyWindow();
}
