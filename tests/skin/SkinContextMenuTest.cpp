// Owner-drawn pop-up menus: the colour rules, the conversion of a pop-up and
// its restoring when the menu closes, measuring, drawing, and an open menu.
#include "skin/ColorUtil.h"
#include "skin/SkinContextMenu.h"
#include "tests/support/OffscreenCanvas.h"
#include "tests/support/WindowTesting.h"
#include "win/Dib32.h"
#include "win/Menu.h"
#include "win/WindowImpl.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <string>

namespace {

typedef CWinTraits<WS_POPUP | WS_CLIPCHILDREN> CPopupTraits;

class CMenuHost : public CWindowImpl<CMenuHost, CWindow, CPopupTraits>, public CSkinContextMenu<CMenuHost>
{
public:
    DECLARE_WND_CLASS_EX("ZentuTestMenuHost", 0, COLOR_WINDOW + 1)
    int menuSelectsSeen = 0;

    int GetMenuItemImage(UINT id) const { return MainFrameMenuImage(id); }

    BEGIN_MSG_MAP(CMenuHost)
        CHAIN_MSG_MAP(CSkinContextMenu<CMenuHost>)
        MESSAGE_HANDLER(WM_MENUSELECT, OnMenuSelect)
    END_MSG_MAP()

    LRESULT OnMenuSelect(UINT, WPARAM, LPARAM, BOOL&)
    {
        ++menuSelectsSeen;
        return 0;
    }
};

// Data a foreign owner-drawn item carries: never read or freed by the menu skin.
struct ForeignData
{
    int marker = 0x5A5A;
};

UINT ItemType(HMENU menu, int position)
{
    MENUITEMINFOA info = {};
    info.cbSize = kMenuItemInfoSize;
    info.fMask = MIIM_FTYPE;
    ::GetMenuItemInfoA(menu, position, TRUE, &info);
    return info.fType;
}

ULONG_PTR ItemData(HMENU menu, int position)
{
    MENUITEMINFOA info = {};
    info.cbSize = kMenuItemInfoSize;
    info.fMask = MIIM_DATA;
    ::GetMenuItemInfoA(menu, position, TRUE, &info);
    return info.dwItemData;
}

// 60 GBK characters and 30 ASCII ones: well past 99 bytes.
std::string LongText()
{
    std::string text;
    for (int i = 0; i < 60; ++i)
        text += "长";
    return text + std::string(30, 'a');
}

struct TestMenu
{
    CMenu popup;
    HMENU submenu; // destroyed with the pop-up
    ForeignData foreign;

    TestMenu()
    {
        popup.Attach(::CreatePopupMenu());
        submenu = ::CreatePopupMenu();
        ::AppendMenuA(popup, MF_STRING, 4000, "打开\tCtrl+O");
        ::AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuA(popup, MF_STRING, 4001, "默认");
        ::SetMenuDefaultItem(popup, 4001, FALSE);
        ::AppendMenuA(popup, MF_STRING, 4500, LongText().c_str());
        ::AppendMenuA(submenu, MF_STRING, 4084, "子项");
        ::AppendMenuA(popup, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), "更多");
        ::AppendMenuA(popup, MF_OWNERDRAW, 4600, reinterpret_cast<const char*>(&foreign));
        ::AppendMenuA(popup, MF_STRING, 4601, "普通");
    }
};

}

TEST(SkinContextMenu, ColourRules)
{
    // Grey keeps hue and saturation 0: only lightness moves.
    const COLORREF grey = RGB(100, 100, 100);
    const uint32_t greyHsl = RgbToHsl(grey);
    const int l = HslLightness(greyHsl);
    EXPECT_EQ(HslLightness(RgbToHsl(LightenColour(grey, 50))), l + 50 * (255 - l) / 100);
    EXPECT_EQ(HslLightness(RgbToHsl(DarkenColour(grey, 50))), 50 * l / 100);
    EXPECT_EQ(LightenColour(grey, 0), grey);
    EXPECT_EQ(LightenColour(grey, 100), RGB(255, 255, 255));
    EXPECT_EQ(DarkenColour(grey, 0), RGB(0, 0, 0));
    // Saturation to p scales S and keeps hue and lightness.
    const COLORREF blue = RGB(0, 0, 200);
    const uint32_t tinted = RgbToHsl(MenuTint(blue, 50, 0));
    const uint32_t original = RgbToHsl(blue);
    EXPECT_NEAR(HslSaturation(tinted), HslSaturation(original) / 2, 2);
    EXPECT_NEAR(HslHue(tinted), HslHue(original), 2);
    EXPECT_NEAR(HslLightness(tinted), HslLightness(original), 2);
    EXPECT_EQ(SaturateColour(blue, 0), HslToRgb(MakeHsl(HslHue(original), HslLightness(original), 0)));
}

TEST(SkinContextMenu, MainFrameImageTable)
{
    const struct
    {
        UINT id;
        int image;
    } cases[] = { { 4000, 1 }, { 4001, 2 }, { 4033, 3 }, { 57635, 3 }, { 4083, 0 }, { 4084, 11 }, { 4002, -1 },
        { 0, -1 } };
    for (const auto& c : cases)
        EXPECT_EQ(MainFrameMenuImage(c.id), c.image) << c.id;
}

TEST(SkinContextMenu, OpeningConvertsAndClosingRestoresOnlyItsOwnItems)
{
    CMenuHost host;
    ASSERT_TRUE(host.Create(nullptr, CRect(0, 0, 100, 100)));
    host.GetSystemSettings();
    TestMenu menu;
    CSkinMenuPainter& painter = host.GetMenuPainter();

    // The window menu is left to the system.
    host.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu.popup.Get()), MAKELPARAM(0, 1));
    EXPECT_EQ(painter.RecordCount(), 0u);
    EXPECT_EQ(ItemType(menu.popup, 0) & MFT_OWNERDRAW, 0u);

    host.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu.popup.Get()), 0);
    host.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu.submenu), 4);
    EXPECT_EQ(painter.RecordCount(), 7u); // six own items of the pop-up and one of the submenu
    for (int position : { 0, 1, 2, 3, 4, 6 }) {
        SCOPED_TRACE(position);
        EXPECT_NE(ItemType(menu.popup, position) & MFT_OWNERDRAW, 0u);
        ASSERT_NE(painter.FindRecord(ItemData(menu.popup, position)), nullptr);
    }
    EXPECT_EQ(ItemData(menu.popup, 5), reinterpret_cast<ULONG_PTR>(&menu.foreign));
    EXPECT_EQ(painter.FindRecord(ItemData(menu.popup, 5)), nullptr);
    const MenuItemRecord* open = painter.FindRecord(ItemData(menu.popup, 0));
    EXPECT_EQ(open->text, "打开\tCtrl+O");
    EXPECT_EQ(open->image, 1);
    EXPECT_EQ(painter.FindRecord(ItemData(menu.popup, 2))->state & MFS_DEFAULT, static_cast<UINT>(MFS_DEFAULT));
    EXPECT_EQ(painter.FindRecord(ItemData(menu.popup, 3))->text, LongText());
    EXPECT_EQ(painter.FindRecord(ItemData(menu.submenu, 0))->image, 11);
    EXPECT_EQ(painter.FindRecord(ItemData(menu.popup, 6))->image, -1);

    // Opening the same pop-up again makes no second record.
    host.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu.popup.Get()), 0);
    EXPECT_EQ(painter.RecordCount(), 7u);

    // A selection inside the menu changes nothing; the host sees both.
    host.SendMessage(WM_MENUSELECT, MAKEWPARAM(4000, MF_HILITE), reinterpret_cast<LPARAM>(menu.popup.Get()));
    EXPECT_EQ(painter.RecordCount(), 7u);
    host.SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(host.menuSelectsSeen, 2);
    EXPECT_EQ(painter.RecordCount(), 0u);

    EXPECT_EQ(ItemType(menu.popup, 1), static_cast<UINT>(MFT_SEPARATOR)) << "a separator stays one";
    EXPECT_EQ(GetMenuItemText(menu.popup, 0, true), "打开\tCtrl+O");
    EXPECT_EQ(GetMenuItemText(menu.popup, 3, true), LongText());
    EXPECT_EQ(GetMenuItemText(menu.submenu, 0, true), "子项");
    EXPECT_EQ(::GetMenuDefaultItem(menu.popup, FALSE, 0), 4001u);
    EXPECT_EQ(::GetSubMenu(menu.popup, 4), menu.submenu);
    for (int position : { 0, 1, 2, 3, 4, 6 }) {
        EXPECT_EQ(ItemType(menu.popup, position) & MFT_OWNERDRAW, 0u) << position;
        EXPECT_EQ(ItemData(menu.popup, position), 0u) << position;
    }
    EXPECT_EQ(ItemType(menu.popup, 5) & MFT_OWNERDRAW, static_cast<UINT>(MFT_OWNERDRAW));
    EXPECT_EQ(ItemData(menu.popup, 5), reinterpret_cast<ULONG_PTR>(&menu.foreign));
    EXPECT_EQ(menu.foreign.marker, 0x5A5A);
    host.DestroyWindow();
}

TEST(SkinContextMenu, MeasuresFromTheSystemMetricsAndLeavesForeignItems)
{
    CMenuHost host;
    ASSERT_TRUE(host.Create(nullptr, CRect(0, 0, 100, 100)));
    host.GetSystemSettings();
    CSkinMenuPainter& painter = host.GetMenuPainter();
    ASSERT_NE(painter.GetMenuFont(), nullptr);

    MenuItemRecord separator;
    separator.type = MFT_SEPARATOR | MFT_OWNERDRAW;
    MenuItemRecord plain;
    plain.text = "Default item";
    plain.type = MFT_OWNERDRAW;
    MenuItemRecord bold = plain;
    bold.state = MFS_DEFAULT;

    MEASUREITEMSTRUCT item = {};
    painter.MeasureItem(separator, item);
    EXPECT_EQ(item.itemHeight, static_cast<UINT>(::GetSystemMetrics(SM_CYMENU) / 2));
    EXPECT_EQ(item.itemWidth, 0u);

    painter.MeasureItem(plain, item);
    const UINT plainWidth = item.itemWidth;
    EXPECT_EQ(item.itemHeight, static_cast<UINT>(std::abs(painter.GetMenuLogFont().lfHeight) + 10));
    RECT text = {};
    {
        OffscreenCanvas canvas(4, 4);
        CSelectObject font(canvas.Dc(), painter.GetMenuFont());
        ::DrawTextA(canvas.Dc(), plain.text.c_str(), -1, &text, DT_CALCRECT | DT_SINGLELINE | DT_VCENTER);
    }
    EXPECT_EQ(static_cast<int>(plainWidth),
        text.right + painter.GetExtraWidth() + 44 - ::GetSystemMetrics(SM_CXMENUCHECK) + 6);
    painter.MeasureItem(bold, item);
    EXPECT_GT(item.itemWidth, plainWidth) << "the default item is measured bolder";

    // A measure request for data the skin did not make goes to the host's other handlers.
    ForeignData foreign;
    MEASUREITEMSTRUCT request = {};
    request.CtlType = ODT_MENU;
    request.itemData = reinterpret_cast<ULONG_PTR>(&foreign);
    LRESULT result = 0;
    EXPECT_FALSE(host.CSkinContextMenu<CMenuHost>::ProcessWindowMessage(
        host, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&request), result));
    EXPECT_EQ(request.itemHeight, 0u);
    host.DestroyWindow();
}

TEST(SkinContextMenu, DrawItemPaintsBandsSelectionAndText)
{
    CMenuHost host;
    ASSERT_TRUE(host.Create(nullptr, CRect(0, 0, 100, 100)));
    host.GetSystemSettings();
    ASSERT_TRUE(host.GetMenuPainter().LoadImages(::GetModuleHandleA(nullptr), 224));
    TestMenu menu;
    host.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu.popup.Get()), 0);

    const auto draw = [&](int position, UINT state, CDib32& image) {
        image.Create(200, 24);
        DRAWITEMSTRUCT item = {};
        item.CtlType = ODT_MENU;
        item.itemID = ::GetMenuItemID(menu.popup, position);
        item.itemState = state;
        item.hDC = image.GetDC();
        item.rcItem = { 0, 0, 200, 24 };
        item.itemData = ItemData(menu.popup, position);
        return host.SendMessage(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
    };
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);

    CDib32 normal;
    EXPECT_EQ(draw(6, 0, normal), TRUE);
    EXPECT_EQ(normal.GetColor(2, 2), LightenColour(face, 20));
    EXPECT_EQ(normal.GetColor(190, 2), LightenColour(face, 75));
    int textPixels = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 30; x < 100; ++x)
            textPixels += normal.GetColor(x, y) == ::GetSysColor(COLOR_MENUTEXT);
    EXPECT_GT(textPixels, 0);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 30; ++x)
            EXPECT_NE(normal.GetColor(x, y), ::GetSysColor(COLOR_MENUTEXT)) << "no text left of the label column";

    CDib32 selected;
    draw(6, ODS_SELECTED, selected);
    EXPECT_EQ(selected.GetColor(0, 0), highlight) << "outline";
    EXPECT_EQ(selected.GetColor(190, 2), MenuTint(highlight, 43, 70));

    // The accelerator ends 12 pixels inside the right edge.
    CDib32 accelerated;
    draw(0, 0, accelerated);
    int rightmost = -1;
    for (int y = 0; y < 24; ++y)
        for (int x = 100; x < 200; ++x)
            if (accelerated.GetColor(x, y) == ::GetSysColor(COLOR_MENUTEXT))
                rightmost = std::max(rightmost, x);
    EXPECT_GT(rightmost, 150);
    EXPECT_LT(rightmost, 200 - 12);

    // A checked item without an image gets the check box.
    CDib32 checked;
    draw(6, ODS_CHECKED, checked);
    EXPECT_EQ(checked.GetColor(1, 1), highlight);
    EXPECT_EQ(checked.GetColor(2, 20), MenuTint(highlight, 43, 70));
    // The check mark stands on the item's own fill (the text area's), not on the box's.
    int onItemFill = 0;
    for (int y = 3; y < 22; ++y)
        for (int x = 5; x < 20; ++x)
            onItemFill += checked.GetColor(x, y) == LightenColour(face, 75);
    EXPECT_GT(onItemFill, 20);

    // A separator draws no text, only the edge from the band onwards.
    CDib32 separator;
    draw(1, 0, separator);
    EXPECT_EQ(separator.GetColor(2, 12), LightenColour(face, 20));
    EXPECT_NE(separator.GetColor(60, 12), LightenColour(face, 75));

    // A grayed item with an image shows only a flat silhouette.
    CDib32 grayed;
    draw(0, ODS_GRAYED, grayed);
    const COLORREF shape = DarkenColour(face, 73);
    int shapePixels = 0, other = 0;
    for (int y = 4; y < 19; ++y)
        for (int x = 3; x < 19; ++x) {
            const COLORREF c = grayed.GetColor(x, y);
            shapePixels += c == shape;
            other += c != shape && c != LightenColour(face, 20);
        }
    EXPECT_GT(shapePixels, 0);
    EXPECT_EQ(other, 0);

    host.SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    host.DestroyWindow();
}

namespace {

// Takes a screenshot of the open menu, then closes it.
CMenuHost* g_screenshotHost = nullptr;
bool g_menuShot = false;

void CALLBACK ShootMenu(HWND, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(nullptr, id);
    HWND menuWindow = ::FindWindowA("#32768", nullptr);
    if (menuWindow)
        g_menuShot = !SaveWindowScreenshot(menuWindow, "skin-context-menu").empty();
    ::EndMenu();
}

}

TEST(SkinContextMenu, AnOpenMenuIsOwnerDrawnAndRestoredWhenItCloses)
{
    CMenuHost host;
    ASSERT_TRUE(host.Create(nullptr, CRect(100, 100, 300, 200)));
    ShowWithoutActivating(host);
    host.GetSystemSettings();
    ASSERT_TRUE(host.GetMenuPainter().LoadImages(::GetModuleHandleA(nullptr), 224));
    TestMenu menu;
    ::CheckMenuItem(menu.popup, 4601, MF_CHECKED);
    ::EnableMenuItem(menu.popup, 4500, MF_GRAYED);
    g_screenshotHost = &host;
    g_menuShot = false;
    ::SetTimer(nullptr, 0, 300, &ShootMenu);
    ::TrackPopupMenuEx(menu.popup, TPM_LEFTALIGN | TPM_TOPALIGN, 120, 120, host, nullptr);
    PumpPendingMessages();
    EXPECT_TRUE(g_menuShot);
    EXPECT_EQ(host.GetMenuPainter().RecordCount(), 0u);
    EXPECT_EQ(ItemType(menu.popup, 1), static_cast<UINT>(MFT_SEPARATOR));
    host.DestroyWindow();
}
