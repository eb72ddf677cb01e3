#ifndef OEMRESOURCE
#define OEMRESOURCE // OBM_CHECK
#endif
#include "skin/SkinContextMenu.h"
#include "skin/ColorUtil.h"
#include "win/Menu.h"
#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

uint32_t WithLightness(uint32_t hsl, int lightness)
{
    return MakeHsl(HslHue(hsl), static_cast<uint8_t>(std::clamp(lightness, 0, 255)), HslSaturation(hsl));
}

uint32_t WithSaturation(uint32_t hsl, int saturation)
{
    return MakeHsl(HslHue(hsl), HslLightness(hsl), static_cast<uint8_t>(std::clamp(saturation, 0, 255)));
}

// A rectangle outlined with a 1-pixel pen and filled with a brush.
void OutlinedRect(HDC dc, const RECT& r, COLORREF outline, COLORREF fill)
{
    CPen pen;
    CBrush brush;
    if (!pen.Create(PS_SOLID, 1, outline) || !brush.CreateSolid(fill))
        return;
    CSelectObject selectPen(dc, pen);
    CSelectObject selectBrush(dc, brush);
    ::Rectangle(dc, r.left, r.top, r.right, r.bottom);
}

}

COLORREF LightenColour(COLORREF colour, int percent)
{
    const uint32_t hsl = RgbToHsl(colour);
    const int l = HslLightness(hsl);
    return HslToRgb(WithLightness(hsl, l + percent * (255 - l) / 100));
}

COLORREF DarkenColour(COLORREF colour, int percent)
{
    const uint32_t hsl = RgbToHsl(colour);
    return HslToRgb(WithLightness(hsl, percent * HslLightness(hsl) / 100));
}

COLORREF SaturateColour(COLORREF colour, int percent)
{
    const uint32_t hsl = RgbToHsl(colour);
    return HslToRgb(WithSaturation(hsl, percent * HslSaturation(hsl) / 100));
}

COLORREF MenuTint(COLORREF colour, int saturationTo, int lightenBy)
{
    uint32_t hsl = RgbToHsl(colour);
    hsl = WithSaturation(hsl, saturationTo * HslSaturation(hsl) / 100);
    const int l = HslLightness(hsl);
    return HslToRgb(WithLightness(hsl, l + lightenBy * (255 - l) / 100));
}

int MainFrameMenuImage(UINT commandId)
{
    switch (commandId) {
    case 4000:
        return 1;
    case 4001:
        return 2;
    case 4033:
    case 57635:
        return 3;
    case 4083:
        return 0;
    case 4084:
        return 11;
    default:
        return -1;
    }
}

void CSkinMenuPainter::GetSystemSettings(HWND host)
{
    LOGFONTA system = {};
    if (::GetMenuFont(system)
        && (m_font.IsNull() || std::memcmp(&system, &m_logFont, sizeof(system)) != 0)) {
        CFont created;
        if (created.CreateIndirect(system)) {
            m_font = std::move(created);
            m_logFont = system;
            if (host)
                ::SendMessageA(host, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), 1);
        }
    }
    CClientDC dc(host);
    CSelectObject select(dc, m_font.IsNull() ? ::GetStockObject(DEFAULT_GUI_FONT) : m_font.Get());
    RECT tab = {};
    ::DrawTextA(dc, "\t", 1, &tab, DT_CALCRECT | DT_SINGLELINE | DT_VCENTER);
    if (tab.right - tab.left > 3) {
        m_extraWidth = 0;
    } else {
        RECT x = {};
        ::DrawTextA(dc, "x", 1, &x, DT_CALCRECT | DT_SINGLELINE | DT_VCENTER);
        m_extraWidth = x.right - x.left;
    }
}

bool CSkinMenuPainter::LoadImages(HINSTANCE module, UINT bitmapId)
{
    m_images.Attach(::ImageList_LoadImageA(module, MAKEINTRESOURCEA(bitmapId), kImageWidth, 0, CLR_DEFAULT,
        IMAGE_BITMAP, LR_CREATEDIBSECTION));
    return !m_images.IsNull();
}

void CSkinMenuPainter::Cleanup()
{
    RestoreAll();
    m_images.Reset();
    m_font.Reset();
}

MenuItemRecord* CSkinMenuPainter::FindRecord(ULONG_PTR itemData) const
{
    if (!itemData)
        return nullptr;
    for (const auto& record : m_records)
        if (reinterpret_cast<ULONG_PTR>(record.get()) == itemData)
            return record.get();
    return nullptr;
}

void CSkinMenuPainter::ConvertItem(HMENU popup, int position, int image)
{
    MENUITEMINFOA info = {};
    info.cbSize = kMenuItemInfoSize;
    info.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_CHECKMARKS | MIIM_TYPE | MIIM_DATA;
    if (!::GetMenuItemInfoA(popup, position, TRUE, &info) || (info.fType & MFT_OWNERDRAW))
        return;
    auto record = std::make_unique<MenuItemRecord>();
    // The full text: a cut could split a double-byte character and would be
    // written back shortened when the menu closes.
    record->text = GetMenuItemText(popup, position, true);
    record->type = info.fType | MFT_OWNERDRAW;
    record->state = info.fState;
    record->image = image;
    MENUITEMINFOA change = {};
    change.cbSize = kMenuItemInfoSize;
    change.fMask = MIIM_FTYPE | MIIM_DATA;
    change.fType = record->type;
    change.dwItemData = reinterpret_cast<ULONG_PTR>(record.get());
    if (::SetMenuItemInfoA(popup, position, TRUE, &change))
        m_records.push_back(std::move(record));
}

void CSkinMenuPainter::RestorePopup(HMENU popup)
{
    if (!::IsMenu(popup))
        return;
    const int count = ::GetMenuItemCount(popup);
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOA info = {};
        info.cbSize = kMenuItemInfoSize;
        info.fMask = MIIM_DATA;
        if (!::GetMenuItemInfoA(popup, position, TRUE, &info))
            continue;
        MenuItemRecord* record = FindRecord(info.dwItemData);
        if (!record)
            continue;
        // The item's own type comes back, so a separator stays a separator.
        MENUITEMINFOA change = {};
        change.cbSize = kMenuItemInfoSize;
        change.fMask = MIIM_FTYPE | MIIM_DATA;
        change.fType = record->type & ~static_cast<UINT>(MFT_OWNERDRAW);
        change.dwItemData = 0;
        if (!(change.fType & (MFT_SEPARATOR | MFT_BITMAP))) {
            change.fMask |= MIIM_STRING;
            change.dwTypeData = const_cast<char*>(record->text.c_str());
        }
        ::SetMenuItemInfoA(popup, position, TRUE, &change);
        m_records.erase(std::find_if(m_records.begin(), m_records.end(),
            [record](const std::unique_ptr<MenuItemRecord>& r) { return r.get() == record; }));
    }
}

void CSkinMenuPainter::RestoreAll()
{
    while (!m_popups.empty()) {
        const HMENU popup = m_popups.back();
        m_popups.pop_back();
        RestorePopup(popup);
    }
    m_records.clear();
}

void CSkinMenuPainter::MeasureItem(const MenuItemRecord& record, MEASUREITEMSTRUCT& item) const
{
    if (record.type & MFT_SEPARATOR) {
        item.itemHeight = ::GetSystemMetrics(SM_CYMENU) / 2;
        item.itemWidth = 0;
        return;
    }
    CClientDC screen(nullptr);
    CFont bold;
    if (record.state & MFS_DEFAULT) {
        LOGFONTA heavier = m_logFont;
        heavier.lfWeight += 200;
        bold.CreateIndirect(heavier);
    }
    RECT text = {};
    {
        // The selection ends before the bold copy is deleted.
        CSelectObject select(screen,
            bold ? static_cast<HGDIOBJ>(bold.Get())
                 : (m_font ? static_cast<HGDIOBJ>(m_font.Get()) : ::GetStockObject(DEFAULT_GUI_FONT)));
        ::DrawTextA(screen, record.text.c_str(), static_cast<int>(record.text.size()), &text,
            DT_CALCRECT | DT_SINGLELINE | DT_VCENTER);
    }
    item.itemWidth = static_cast<UINT>(std::max<LONG>(0,
        text.right - text.left + m_extraWidth + 2 * kButtonWidth - ::GetSystemMetrics(SM_CXMENUCHECK) + 6));
    item.itemHeight = static_cast<UINT>(std::abs(m_logFont.lfHeight) + 10);
}

void CSkinMenuPainter::DrawItem(const MenuItemRecord& record, const DRAWITEMSTRUCT& item) const
{
    HDC dc = item.hDC;
    const RECT& r = item.rcItem;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const bool grayed = (item.itemState & ODS_GRAYED) != 0;
    const bool checked = (item.itemState & ODS_CHECKED) != 0;
    const int I = kImageWidth;
    CSaveDC saved(dc);

    COLORREF base;
    // The last fill of the item's background: the check mark stands on it.
    COLORREF itemFill;
    if (selected && !grayed) {
        base = MenuTint(::GetSysColor(COLOR_HIGHLIGHT), 43, 70);
        OutlinedRect(dc, r, ::GetSysColor(COLOR_HIGHLIGHT), base);
        itemFill = base;
    } else {
        base = LightenColour(::GetSysColor(COLOR_BTNFACE), 20);
        const RECT band = { r.left, r.top, r.left + I + 6, r.bottom };
        const RECT rest = { band.right, r.top, r.right, r.bottom };
        FillSolidRect(dc, band, base);
        itemFill = LightenColour(::GetSysColor(COLOR_BTNFACE), 75);
        FillSolidRect(dc, rest, itemFill);
    }

    if (record.type & MFT_SEPARATOR) {
        RECT edge = { r.left + I + 6, (r.top + r.bottom) / 2, r.right, r.bottom };
        ::DrawEdge(dc, &edge, EDGE_ETCHED, BF_TOP);
        return;
    }

    {
        if (m_font)
            ::SelectObject(dc, m_font); // restored with the DC
        ScopedBoldFont weight(dc, (item.itemState & ODS_DEFAULT) != 0);
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, grayed ? DarkenColour(::GetSysColor(COLOR_BTNFACE), 82) : ::GetSysColor(COLOR_MENUTEXT));
        const size_t tab = record.text.find('\t');
        const std::string label = record.text.substr(0, tab);
        RECT labelRect = { r.left + I + 14, r.top, r.right, r.bottom };
        ::DrawTextA(dc, label.c_str(), static_cast<int>(label.size()), &labelRect, DT_SINGLELINE | DT_VCENTER);
        if (tab != std::string::npos) {
            const std::string accelerator = record.text.substr(tab + 1);
            RECT acceleratorRect = { r.left, r.top, r.right - 12, r.bottom };
            ::DrawTextA(dc, accelerator.c_str(), static_cast<int>(accelerator.size()), &acceleratorRect,
                DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
        }
    }

    if (checked) {
        if (grayed)
            base = LightenColour(::GetSysColor(COLOR_BTNFACE), 73);
        else if (selected)
            base = MenuTint(::GetSysColor(COLOR_HIGHLIGHT), 50, 50);
        else
            base = MenuTint(::GetSysColor(COLOR_HIGHLIGHT), 43, 70);
        const RECT box = { r.left + 1, r.top + 1, r.left + kButtonWidth - 2, r.bottom - 1 };
        OutlinedRect(dc, box, ::GetSysColor(COLOR_HIGHLIGHT), base);
    }
    DrawImage(record, item, itemFill);
}

void CSkinMenuPainter::DrawImage(const MenuItemRecord& record, const DRAWITEMSTRUCT& item, COLORREF itemFill) const
{
    HDC dc = item.hDC;
    const RECT& r = item.rcItem;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const bool grayed = (item.itemState & ODS_GRAYED) != 0;
    const bool checked = (item.itemState & ODS_CHECKED) != 0;
    const int I = kImageWidth;
    if (m_images && record.image >= 0) {
        const auto silhouette = [&](int x, int y, COLORREF colour) {
            CHandleOwner<HICON, CIconTraits> icon(::ImageList_GetIcon(m_images, record.image, ILD_NORMAL));
            CBrush brush;
            if (icon && brush.CreateSolid(colour))
                DrawIconState(dc, x, y, I, I, icon, DSS_MONO, brush);
        };
        if (grayed) {
            silhouette(r.left + 3, r.top + 4, DarkenColour(::GetSysColor(COLOR_BTNFACE), 73));
        } else if (selected && !checked) {
            silhouette(r.left + 4, r.top + 5, MenuTint(::GetSysColor(COLOR_HIGHLIGHT), 34, 50));
            ::ImageList_Draw(m_images, record.image, dc, r.left + 2, r.top + 3, ILD_TRANSPARENT);
        } else {
            ::ImageList_Draw(m_images, record.image, dc, r.left + 3, r.top + 4, ILD_TRANSPARENT);
        }
        return;
    }
    if (checked) {
        CGdiObject<HBITMAP> check(::LoadBitmapA(nullptr, MAKEINTRESOURCEA(OBM_CHECK)));
        if (!check)
            return;
        ::SetBkColor(dc, itemFill);
        const int width = I + 11 - 5;
        const int height = r.bottom - r.top - 3;
        ::DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(check.Get()), 0, r.left + 5, r.top + 3, width,
            height, DST_BITMAP);
    }
}
