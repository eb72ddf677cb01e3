// The skinned frame's geometry without windows: metrics from the images,
// caption-button places, hit codes, menu captions and mnemonics, the
// caption-menu row and Left/Right among its menus.
#include "skin/NcFrameLayout.h"
#include "tools/skingen/SkinImages.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

TEST(NcFrameLayout, MetricsComeFromTheImagesAndKeepTheirMinimums)
{
    // The generated main frame images.
    const NcFrameMetrics m = ComputeFrameMetrics(CSize(kTitleImageWidth, 2 * kTitleHeight),
        CSize(2 * kBorderWidth, kBorderImageHeight), CSize(2 * kBorderWidth, kBorderImageHeight),
        CSize(kBottomImageWidth, 2 * kBottomBorderHeight));
    EXPECT_EQ(m.titleHeight, kTitleHeight);
    EXPECT_EQ(m.leftWidth, kBorderWidth);
    EXPECT_EQ(m.rightWidth, kBorderWidth);
    EXPECT_EQ(m.bottomHeight, kBottomBorderHeight);
    EXPECT_EQ(m.titleLeftCap, 40);
    EXPECT_EQ(m.titleRightCapStart, kTitleImageWidth - 60);
    EXPECT_EQ(m.leftTopCap, 29);
    EXPECT_EQ(m.leftBottomCapStart, kBorderImageHeight - 8);
    EXPECT_EQ(m.rightBottomCapStart, kBorderImageHeight - 8);
    EXPECT_EQ(m.bottomLeftCap, 0);
    EXPECT_EQ(m.bottomRightCapStart, kBottomImageWidth);

    // Images too small for their caps, and missing ones: the right caps
    // start after the left ones, and the sizes are 0.
    const NcFrameMetrics small = ComputeFrameMetrics(CSize(80, 7), CSize(3, 20), CSize(), CSize());
    EXPECT_EQ(small.titleRightCapStart, 41);
    EXPECT_EQ(small.leftBottomCapStart, 30);
    EXPECT_EQ(small.rightBottomCapStart, 30);
    EXPECT_EQ(small.bottomRightCapStart, 1);
    EXPECT_EQ(small.titleHeight, 3);
    EXPECT_EQ(small.leftWidth, 1);
    EXPECT_EQ(small.rightWidth, 0);
    EXPECT_EQ(small.bottomHeight, 0);
}

TEST(NcFrameLayout, CaptionButtonsStandInARowFromTheRight)
{
    const CSize close(3 * 28, 40), min(3 * 24, 40), max(3 * 26, 40), restore(3 * 26, 40);
    const int W = 500;
    const CaptionButtonPlaces one = PlaceCaptionButtons(1, close, min, max, restore);
    EXPECT_EQ(one.close.InWindow(W), CRect(463, 6, 491, 26));
    EXPECT_TRUE(one.minimise.InWindow(W).IsEmpty());
    EXPECT_TRUE(one.maximise.InWindow(W).IsEmpty());

    const CaptionButtonPlaces two = PlaceCaptionButtons(2, close, min, max, restore);
    EXPECT_EQ(two.minimise.InWindow(W), CRect(435, 6, 459, 26)); // left edge 28 before the close button's
    EXPECT_TRUE(two.maximise.InWindow(W).IsEmpty());

    const CaptionButtonPlaces three = PlaceCaptionButtons(3, close, min, max, restore);
    EXPECT_EQ(three.maximise.InWindow(W), CRect(435, 6, 461, 26));
    EXPECT_EQ(three.restore.InWindow(W), three.maximise.InWindow(W));
    EXPECT_EQ(three.minimise.InWindow(W), CRect(409, 6, 433, 26));

    // A missing image leaves its button without a rectangle; other modes have none.
    EXPECT_TRUE(PlaceCaptionButtons(3, CSize(), min, max, restore).close.InWindow(W).IsEmpty());
    EXPECT_TRUE(PlaceCaptionButtons(0, close, min, max, restore).close.InWindow(W).IsEmpty());
    EXPECT_TRUE(PlaceCaptionButtons(4, close, min, max, restore).close.InWindow(W).IsEmpty());
}

namespace {

// A 400 x 300 window: title 30, left 4, right 6, bottom 5; close, minimise
// and maximise buttons; two caption-menu buttons, the second hidden.
NcHitTestLayout SampleLayout(bool resizable, bool maximised)
{
    NcHitTestLayout layout;
    layout.window = CSize(400, 300);
    layout.titleHeight = 30;
    layout.leftWidth = 4;
    layout.rightWidth = 6;
    layout.bottomHeight = 5;
    layout.close = CRect(363, 6, 391, 26);
    layout.minimise = CRect(307, 6, 335, 26);
    layout.maximise = CRect(335, 6, 363, 26);
    layout.icon = CRect(4, 5, 20, 21);
    layout.menuButtons = { CRect(22, 4, 73, 24), CRect() };
    layout.resizable = resizable;
    layout.maximised = maximised;
    return layout;
}

}

TEST(NcFrameLayout, HitCodesInTheirOrder)
{
    const struct
    {
        int x, y;
        int resizable; // code of a resizable, not maximised window
        int fixed; // code of a window that is not resizable (or is maximised)
    } cases[] = {
        { 363, 6, HTCLOSE, HTCLOSE }, { 390, 25, HTCLOSE, HTCLOSE },
        { 391, 6, HTCAPTION, HTCAPTION }, // right edge excluded
        { 362, 6, HTMAXBUTTON, HTMAXBUTTON }, { 307, 25, HTMINBUTTON, HTMINBUTTON }, { 22, 4, 1000, 1000 },
        { 72, 23, 1000, 1000 }, { 73, 10, HTCAPTION, HTCAPTION }, { 10, 10, HTSYSMENU, HTSYSMENU },
        { 0, 0, HTTOPLEFT, HTCLIENT }, { 3, 29, HTTOPLEFT, HTCLIENT },
        { 396, 0, HTTOPRIGHT, HTCLIENT }, // the top-right corner is as wide as the left border
        { 395, 0, HTCLIENT, HTCLIENT }, // between the top edge and the top-right corner
        { 393, 0, HTTOP, HTCLIENT }, { 0, 299, HTBOTTOMLEFT, HTCLIENT },
        { 394, 295, HTBOTTOMRIGHT, HTCLIENT }, { 0, 30, HTLEFT, HTCLIENT }, { 399, 100, HTRIGHT, HTCLIENT },
        { 200, 299, HTBOTTOM, HTCLIENT },
        { 200, 4, HTTOP, HTCLIENT }, // the top edge is as high as the bottom border
        { 200, 5, HTCAPTION, HTCAPTION }, { 200, 29, HTCAPTION, HTCAPTION }, { 200, 30, HTCLIENT, HTCLIENT },
        { 4, 30, HTCLIENT, HTCLIENT }, { 100, 2, HTTOP, HTCLIENT }, // above the caption, below the icon
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "(" << c.x << ", " << c.y << ")");
        EXPECT_EQ(NcHitTestCode(SampleLayout(true, false), CPoint(c.x, c.y)), c.resizable);
        EXPECT_EQ(NcHitTestCode(SampleLayout(false, false), CPoint(c.x, c.y)), c.fixed);
        EXPECT_EQ(NcHitTestCode(SampleLayout(true, true), CPoint(c.x, c.y)), c.fixed);
    }
}

TEST(NcFrameLayout, MenuCaptionsAndMnemonics)
{
    const struct
    {
        const char* text;
        const char* caption;
        char mnemonic;
    } cases[] = {
        { "系统(&S)", "系统(S)", 'S' },
        { "核心功能(&p)", "核心功能(p)", 'P' },
        { "帮助", "帮助", ' ' },
        { "&File &Edit", "File Edit", 'E' }, // the last "&" decides
        { "&Open &9", "Open 9", ' ' }, // ... even when its character is no letter
        { "A&", "A", ' ' }, // a trailing "&" is removed and names nothing
        { "&统计", "统计", ' ' }, // a double-byte character is no mnemonic
        { "&&x", "x", 'X' },
        { "", "", ' ' },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const MenuCaption parsed = ParseMenuCaption(c.text);
        EXPECT_EQ(parsed.caption, c.caption);
        EXPECT_EQ(parsed.alternate, c.text);
        EXPECT_EQ(parsed.mnemonic, c.mnemonic);
    }
}

TEST(NcFrameLayout, CaptionMenuRowStopsShortOfTheRightEdge)
{
    const std::vector<int> widths = { 50, 60, 70 };
    // Buttons may end at 500 - 150 = 350 at the most.
    EXPECT_EQ(PlaceCaptionMenuButtons(100, widths, 500), (std::vector<int> { 100, 150, 210 }));
    EXPECT_EQ(PlaceCaptionMenuButtons(170, widths, 500),
        (std::vector<int> { 170, 220, 280 })); // ends at 350 exactly
    EXPECT_EQ(PlaceCaptionMenuButtons(171, widths, 500), (std::vector<int> { 171, 221 }));
    EXPECT_EQ(PlaceCaptionMenuButtons(241, widths, 500), (std::vector<int> { 241 }));
    EXPECT_TRUE(PlaceCaptionMenuButtons(0, widths, 100).empty());
    // A button that does not fit hides the ones after it, even narrower ones.
    EXPECT_EQ(PlaceCaptionMenuButtons(0, { 100, 300, 10 }, 500), (std::vector<int> { 0 }));
}

TEST(NcFrameLayout, LeftAndRightWrapAmongVisibleMenus)
{
    const struct
    {
        int index, visible, previous, next;
    } cases[] = {
        { 0, 3, 2, 1 },
        { 1, 3, 0, 2 },
        { 2, 3, 1, 0 },
        { 0, 1, 0, 0 },
        { 5, 3, 2, 0 }, // tracked beyond the visible ones
        { 0, 0, -1, -1 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.index << " of " << c.visible);
        EXPECT_EQ(PreviousCaptionMenu(c.index, c.visible), c.previous);
        EXPECT_EQ(NextCaptionMenu(c.index, c.visible), c.next);
    }
}

TEST(NcFrameLayout, XIsKeptInsideTheNearestWorkArea)
{
    const CRect work = GetWorkArea();
    ASSERT_FALSE(work.IsEmpty());
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    const POINT origin = { 0, 0 };
    ASSERT_TRUE(::GetMonitorInfoA(::MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY), &info));
    const CRect screen(info.rcMonitor);
    // On a monitor: unchanged, even outside the work area.
    EXPECT_EQ(ClampXToWorkArea(screen.left + 5, screen.top + 5), screen.left + 5);
    EXPECT_EQ(ClampXToWorkArea(screen.right - 1, screen.bottom - 1), screen.right - 1);
    // Off every monitor: into the nearest one's work area.
    EXPECT_EQ(ClampXToWorkArea(screen.right + 500, screen.top + 10), info.rcWork.right);
    EXPECT_EQ(ClampXToWorkArea(screen.left - 500, screen.top + 10), info.rcWork.left);
    // Below the screen but within its columns: x stays.
    EXPECT_EQ(ClampXToWorkArea(screen.left + 40, screen.bottom + 300), screen.left + 40);
}
