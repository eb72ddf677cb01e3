// The title tip over a clipped cell: when it shows, and how it hands the
// mouse on to its list.
#include "ListNotifyRecorder.h"
#include "../support/WindowTesting.h"
#include "skin/TitleTip.h"
#include <gtest/gtest.h>

TEST(TitleTip, ShowsOnlyClippedTextAndPassesClicksToTheList)
{
    CNotifyRecorder list;
    RECT place = { 50, 50, 450, 250 };
    ASSERT_TRUE(list.Create(nullptr, place));
    ShowWithoutActivating(list);
    CTitleTip tip;
    ASSERT_TRUE(tip.Create(list, false));
    EXPECT_TRUE(tip.GetExStyle() & WS_EX_TOPMOST);
    EXPECT_EQ(list.m_hWnd, ::GetWindow(tip, GW_OWNER));

    // A cell at list client (10, 30), 40 pixels wide, in screen coordinates.
    RECT cell = { 60, 80, 100, 98 };
    EXPECT_FALSE(tip.Show(cell, "1", ""));
    EXPECT_FALSE(tip.IsWindowVisible());
    const std::string text = "a text far wider than forty pixels";
    ASSERT_TRUE(tip.Show(cell, text, "row tip"));
    EXPECT_TRUE(tip.IsWindowVisible());
    EXPECT_EQ(tip.m_hWnd, ::GetCapture());
    CRect shown = tip.GetWindowRect();
    EXPECT_EQ(56, shown.left);
    EXPECT_EQ(80, shown.top);
    EXPECT_EQ(18, shown.Height());
    EXPECT_GT(shown.Width(), 40 + 11);

    // A click on the tip reaches the list as a click at the same place.
    tip.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 5));
    PumpPendingMessages();
    ASSERT_EQ(1u, list.mouse.size());
    EXPECT_EQ(static_cast<UINT>(WM_LBUTTONDOWN), list.mouse[0].msg);
    EXPECT_EQ(static_cast<WPARAM>(MK_LBUTTON), list.mouse[0].wp);
    EXPECT_EQ(56 + 10 - 50, list.mouse[0].point.x);
    EXPECT_EQ(80 + 5 - 50, list.mouse[0].point.y);

    // A move inside keeps the tip; a move off it hides it and frees the capture.
    tip.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    EXPECT_TRUE(tip.IsWindowVisible());
    tip.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(3, 40));
    EXPECT_FALSE(tip.IsWindowVisible());
    EXPECT_NE(tip.m_hWnd, ::GetCapture());

    // Outside the list's window a button message travels in its non-client form.
    list.mouse.clear();
    tip.SendMessage(WM_RBUTTONUP, 0, MAKELPARAM(-200, 5));
    PumpPendingMessages();
    ASSERT_EQ(1u, list.mouse.size());
    EXPECT_EQ(static_cast<UINT>(WM_NCRBUTTONUP), list.mouse[0].msg);
    EXPECT_EQ(56 - 200, list.mouse[0].point.x);

    tip.DestroyWindow();
    list.DestroyWindow();
}

TEST(TitleTip, PaintsPlainAndGradientLooks)
{
    CNotifyRecorder list;
    RECT place = { 50, 50, 450, 250 };
    ASSERT_TRUE(list.Create(nullptr, place));
    for (bool gradient : { false, true }) {
        CTitleTip tip;
        ASSERT_TRUE(tip.Create(list, gradient));
        tip.backgroundColour = RGB(255, 255, 200);
        tip.textColour = RGB(0, 0, 128);
        RECT cell = { 60, 80, 80, 100 };
        ASSERT_TRUE(tip.Show(cell, "wide enough text", ""));
        CDib32 image;
        ASSERT_TRUE(RenderClient(tip, image));
        if (tip.DrawsGradient()) {
            // The gradient runs from its top colour down to its bottom colour.
            EXPECT_EQ(RGB(0xFA, 0xFA, 0xFA), image.GetColor(image.Width() - 3, 2));
        } else {
            EXPECT_EQ(RGB(0, 0, 128), image.GetColor(0, 0));
            EXPECT_EQ(RGB(255, 255, 200), image.GetColor(image.Width() - 2, 1));
        }
        tip.Hide();
        tip.DestroyWindow();
    }
    list.DestroyWindow();
}
