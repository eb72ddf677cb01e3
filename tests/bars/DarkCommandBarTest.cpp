// The dark command bar: button placement and visibility, the drop-down
// point, the gradient, GDI objects over create/destroy cycles and a screenshot.
#include "skin/SkinDarkCommandBarCtrl.h"
#include "tests/support/ControlTesting.h"
#include "tests/support/GdiCount.h"
#include <gtest/gtest.h>

namespace {

DarkBarImages SkinDarkBarImages(bool withBackground)
{
    DarkBarImages images;
    images.background = withBackground ? LoadSkinPng("Bar.png") : nullptr;
    images.left = LoadSkinPng("barbutton_left.png");
    images.middle = LoadSkinPng("barbutton_middle.png");
    images.right = LoadSkinPng("barbutton_right.png");
    return images;
}

DarkBarButton Button(uint32_t command, const char* caption, bool dropdown = false)
{
    DarkBarButton button;
    button.command = command;
    button.caption = caption;
    button.tooltip = caption;
    button.dropdown = dropdown ? 1 : 0;
    return button;
}

}

TEST(DarkCommandBar, ButtonsRunLeftToRightAndHideWhenTheBarNarrows)
{
    CColourParent parent;
    ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 600, 60)));
    CSkinDarkCommandBarCtrl bar;
    bar.SetImages(SkinDarkBarImages(true));
    ASSERT_TRUE(bar.Create(parent, CRect(0, 0, 600, 10)));
    EXPECT_GE(bar.GetBarHeight(), 20);
    EXPECT_EQ(bar.GetClientRect().Height(), bar.GetBarHeight());
    ASSERT_TRUE(bar.AddButton(Button(3001, "行情")));
    ASSERT_TRUE(bar.AddButton(Button(3501, "主图指标", true)));
    ASSERT_TRUE(bar.AddButton(Button(3002, "资讯")));
    ASSERT_EQ(bar.GetButtonCount(), 3);
    EXPECT_EQ(bar.GetButton(0).rect.left, 10);
    EXPECT_EQ(bar.GetButton(0).rect.top, 3);
    for (int i = 1; i < 3; ++i)
        EXPECT_EQ(bar.GetButton(i).rect.left, bar.GetButton(i - 1).rect.right + 2) << i;
    EXPECT_GT(bar.GetButton(1).rect.Width(), bar.GetButton(0).rect.Width())
        << "sized to its caption and arrow";
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(CWindow(bar.GetButton(i).window).GetStyle() & WS_VISIBLE) << i;

    // Narrow: a button shows only while its right edge is left of width - 5.
    const int edge = bar.GetButton(2).rect.right;
    bar.MoveWindow(CRect(0, 0, edge + 5, bar.GetBarHeight()));
    EXPECT_FALSE(CWindow(bar.GetButton(2).window).GetStyle() & WS_VISIBLE);
    EXPECT_TRUE(CWindow(bar.GetButton(1).window).GetStyle() & WS_VISIBLE);
    bar.MoveWindow(CRect(0, 0, edge + 6, bar.GetBarHeight()));
    EXPECT_TRUE(CWindow(bar.GetButton(2).window).GetStyle() & WS_VISIBLE);
    parent.DestroyWindow();
}

TEST(DarkCommandBar, ADropDownButtonSendsTheScreenPointBelowIt)
{
    CColourParent parent;
    ASSERT_TRUE(parent.Create(nullptr, CRect(100, 100, 600, 160)));
    CSkinDarkCommandBarCtrl bar;
    bar.SetImages(SkinDarkBarImages(false));
    ASSERT_TRUE(bar.Create(parent, CRect(0, 0, 500, 30)));
    ASSERT_TRUE(bar.AddButton(Button(3001, "行情")));
    ASSERT_TRUE(bar.AddButton(Button(3501, "主图指标", true)));
    ShowWithoutActivating(parent);
    CWindow plain(bar.GetButton(0).window);
    CWindow dropdown(bar.GetButton(1).window);
    plain.SendMessage(BM_CLICK);
    dropdown.SendMessage(BM_CLICK);
    ASSERT_EQ(parent.received.size(), 2u);
    EXPECT_EQ(LOWORD(parent.received[0].wParam), 3001);
    EXPECT_EQ(parent.received[0].lParam, reinterpret_cast<LPARAM>(plain.m_hWnd));
    EXPECT_EQ(LOWORD(parent.received[1].wParam), 3501);
    const CRect screen = dropdown.GetWindowRect();
    EXPECT_EQ(parent.received[1].lParam, MAKELPARAM(screen.left, screen.bottom));

    // The gradient: light at the top, black in the middle, blue at the bottom.
    CDib32 image;
    ASSERT_TRUE(RenderClient(bar, image));
    const int h = image.Height();
    EXPECT_EQ(image.GetColor(490, 0), RGB(90, 100, 130));
    EXPECT_EQ(image.GetColor(490, h / 2 + 1), RGB(0, 0, 0));
    EXPECT_GT(GetBValue(image.GetColor(490, h - 1)), 100);
    parent.DestroyWindow();
}

TEST(DarkCommandBar, GdiObjectsDoNotGrowOverCreateAndDestroy)
{
    const auto cycle = [] {
        CColourParent parent;
        parent.Create(nullptr, CRect(0, 0, 400, 40));
        CSkinDarkCommandBarCtrl bar;
        bar.SetImages(SkinDarkBarImages(true));
        bar.Create(parent, CRect(0, 0, 400, 26));
        DarkBarButton withIcon = Button(1, "一");
        withIcon.icon = SolidFrames(16, 16, { 0xFF111111, 0xFF222222, 0xFF333333, 0xFF444444 }, false);
        bar.AddButton(withIcon);
        bar.AddButton(Button(2, "二", true));
        CDib32 image;
        RenderClient(bar, image);
        parent.DestroyWindow();
    };
    EXPECT_LE(GdiGrowthOver(cycle, 20), 2u);
}

TEST(DarkCommandBar, Screenshot)
{
    CColourParent parent;
    ASSERT_TRUE(parent.Create(nullptr, CRect(40, 520, 840, 546)));
    CSkinDarkCommandBarCtrl bar;
    bar.SetImages(SkinDarkBarImages(true));
    ASSERT_TRUE(bar.Create(parent, CRect(0, 0, 800, 26)));
    for (const auto& b : { Button(3001, "行情报价"), Button(3002, "分时走势"), Button(3003, "技术分析"),
             Button(3501, "主图指标", true), Button(3502, "复权处理", true), Button(3504, "分析周期", true) })
        ASSERT_TRUE(bar.AddButton(b));
    ShowWithoutActivating(parent);
    parent.UpdateWindow();
    PumpPendingMessages();
    EXPECT_FALSE(SaveWindowScreenshot(parent, "dark_command_bar").empty());
    parent.DestroyWindow();
}
