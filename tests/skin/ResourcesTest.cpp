// The program's user-interface resources as the program reads them: texts
// through the ANSI functions in code page 936, the icon, the cursors with
// their hot spots, the menu images and the accelerators.
#include "res/resource.h"
#include "win/Gdi.h"
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

HINSTANCE Module()
{
    return ::GetModuleHandleA(nullptr);
}

std::string MenuText(HMENU menu, UINT item, UINT flags)
{
    char text[256] = {};
    ::GetMenuStringA(menu, item, text, sizeof(text), flags);
    return text;
}

class OwnedMenu
{
public:
    explicit OwnedMenu(UINT id)
        : m_menu(::LoadMenuA(Module(), MAKEINTRESOURCEA(id)))
    {
    }
    ~OwnedMenu()
    {
        if (m_menu)
            ::DestroyMenu(m_menu);
    }
    operator HMENU() const { return m_menu; }

private:
    HMENU m_menu;
};

}

// The caption menu's pop-ups, in order, as GBK text (the literals here are
// compiled to GBK, so equal bytes prove the texts arrive in code page 936).
TEST(Resources, CaptionMenuTextsArriveInCodePage936)
{
    OwnedMenu menu(IDR_MAINFRAME);
    ASSERT_NE(static_cast<HMENU>(menu), nullptr);
    const char* captions[] = { "系统(&S)", "报价(&R)", "功能(&A)", "资金(&C)", "特色指标(&T)", "核心功能(&P)",
        "操盘策略(&O)", "统计(&M)", "资讯(&I)", "帮助(&H)" };
    ASSERT_EQ(::GetMenuItemCount(menu), 10);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(MenuText(menu, i, MF_BYPOSITION), captions[i]) << i;
        EXPECT_NE(::GetSubMenu(menu, i), nullptr) << i;
    }
    // Items deep in sub-menus, ideographic spaces included.
    EXPECT_EQ(MenuText(menu, 4083, MF_BYCOMMAND), "报价分析　　　F12");
    EXPECT_EQ(MenuText(menu, 4117, MF_BYCOMMAND), "深证综指走势　　　　F4");
    EXPECT_EQ(MenuText(menu, 6035, MF_BYCOMMAND), "主力统计");
    EXPECT_EQ(MenuText(menu, 32857, MF_BYCOMMAND), "关于 Zentu");
    // The system pop-up: two commands, a separator, the exit command.
    HMENU system = ::GetSubMenu(menu, 0);
    ASSERT_EQ(::GetMenuItemCount(system), 4);
    EXPECT_EQ(::GetMenuItemID(system, 1), 32776u);
    EXPECT_EQ(::GetMenuState(system, 2, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
    EXPECT_EQ(::GetMenuItemID(system, 3), 32777u);
}

// Each drop-down menu is one pop-up; its items run from the first command to the last.
TEST(Resources, DropDownMenus)
{
    struct Case
    {
        UINT id;
        const char* caption;
        int count;
        UINT first, last;
    };
    const Case cases[] = {
        { IDR_VIEW_CONTEXT, "右键", 13, 4044, 4125 },
        { IDR_MAIN_INDICATORS, "主图指标", 10, 6028, 6006 },
        { IDR_ADJUSTMENT, "复权处理", 3, 4013, 4011 },
        { IDR_SPECIAL_INDICATORS, "特色指标(&T)", 18, 6026, 6023 },
        { IDR_PERIODS, "分析周期", 11, 4100, 4109 },
        { IDR_STOCK_POOLS, "股票池", 2, 4139, 4140 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        OwnedMenu menu(c.id);
        ASSERT_NE(static_cast<HMENU>(menu), nullptr);
        EXPECT_EQ(::GetMenuItemCount(menu), 1);
        EXPECT_EQ(MenuText(menu, 0, MF_BYPOSITION), c.caption);
        HMENU popup = ::GetSubMenu(menu, 0);
        ASSERT_NE(popup, nullptr);
        EXPECT_EQ(::GetMenuItemCount(popup), c.count);
        EXPECT_EQ(::GetMenuItemID(popup, 0), c.first);
        EXPECT_EQ(::GetMenuItemID(popup, c.count - 1), c.last);
    }
    // The view menu's window-count sub-menu offers one to six windows.
    OwnedMenu view(IDR_VIEW_CONTEXT);
    EXPECT_EQ(MenuText(view, 4149, MF_BYCOMMAND), "一个窗口");
    EXPECT_EQ(MenuText(view, 4154, MF_BYCOMMAND), "六个窗口");
}

TEST(Resources, AcceleratorsMapF10AndF12)
{
    HACCEL table = ::LoadAcceleratorsA(Module(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_NE(table, nullptr);
    ACCEL entries[4] = {};
    ASSERT_EQ(::CopyAcceleratorTableA(table, entries, 4), 2);
    EXPECT_TRUE(entries[0].fVirt & FVIRTKEY);
    EXPECT_EQ(entries[0].key, VK_F10);
    EXPECT_EQ(entries[0].cmd, 4033);
    EXPECT_TRUE(entries[1].fVirt & FVIRTKEY);
    EXPECT_EQ(entries[1].key, VK_F12);
    EXPECT_EQ(entries[1].cmd, 4083);
    ::DestroyAcceleratorTable(table);
}

TEST(Resources, IconAndCursorsWithTheirHotSpots)
{
    HICON icon = ::LoadIconA(Module(), MAKEINTRESOURCEA(IDI_MAINFRAME));
    ASSERT_NE(icon, nullptr);
    CIcon small(static_cast<HICON>(::LoadImageA(Module(), MAKEINTRESOURCEA(IDI_MAINFRAME), IMAGE_ICON, 16, 16, 0)));
    ASSERT_FALSE(small.IsNull());

    struct Case
    {
        UINT id;
        DWORD hotX, hotY;
    };
    for (const Case& c : { Case { IDC_COLUMN_RESIZE, 16, 16 }, Case { IDC_LINK_HAND, 11, 2 } }) {
        SCOPED_TRACE(c.id);
        HCURSOR cursor = ::LoadCursorA(Module(), MAKEINTRESOURCEA(c.id));
        ASSERT_NE(cursor, nullptr);
        ICONINFO info = {};
        ASSERT_TRUE(::GetIconInfo(cursor, &info));
        EXPECT_FALSE(info.fIcon);
        EXPECT_EQ(info.xHotspot, c.hotX);
        EXPECT_EQ(info.yHotspot, c.hotY);
        if (info.hbmColor)
            ::DeleteObject(info.hbmColor);
        if (info.hbmMask)
            ::DeleteObject(info.hbmMask);
    }
}

// The menus' image list: 16-pixel images keyed by the bitmap's own top-left colour.
TEST(Resources, MenuImagesMakeAnImageListOfTwelve)
{
    CImageList images(::ImageList_LoadImageA(
        Module(), MAKEINTRESOURCEA(IDB_MENU_IMAGES), 16, 0, CLR_DEFAULT, IMAGE_BITMAP, LR_CREATEDIBSECTION));
    ASSERT_FALSE(images.IsNull());
    EXPECT_GE(images.GetImageCount(), 12);
    int cx = 0, cy = 0;
    ASSERT_TRUE(::ImageList_GetIconSize(images, &cx, &cy));
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 16);
}
