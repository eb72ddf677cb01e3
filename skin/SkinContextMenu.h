#pragma once
// Owner-drawn pop-up menus for a host window: while a pop-up of the host is
// open its items are owner-drawn from small records (text, type, state,
// image) in flat colours derived from the system colours; when the whole
// menu closes the items get their own type and text back and the records are
// freed. Only records made here are ever read or freed: an item that another
// owner already draws keeps its data. UI thread only.
#include "win/Gdi.h"
#include "win/MessageMap.h"
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The record an owner-drawn item carries while its menu is open.
struct MenuItemRecord
{
    std::string text; // the item's full text, the accelerator after a tab
    UINT type = 0; // the item's own type with MFT_OWNERDRAW added
    UINT state = 0;
    int image = -1; // index into the image list, -1 for none
};

// Colour steps on packed HSL (integer percentages, hue kept): lighten by p
// (L + p x (255 - L) / 100), darken to p (p x L / 100), saturation to p.
COLORREF LightenColour(COLORREF colour, int percent);
COLORREF DarkenColour(COLORREF colour, int percent);
COLORREF SaturateColour(COLORREF colour, int percent);
// Saturation to s, then lightened by l.
COLORREF MenuTint(COLORREF colour, int saturationTo, int lightenBy);

// The images of the main frame's menu items (bitmap resource 224) by command.
int MainFrameMenuImage(UINT commandId);

// Everything the mix-in does that does not depend on the host class.
class CSkinMenuPainter
{
public:
    static constexpr int kImageWidth = 16;
    static constexpr int kImageHeight = 15;
    static constexpr int kButtonWidth = 22;
    static constexpr int kButtonHeight = 21;

    CSkinMenuPainter() = default;
    CSkinMenuPainter(const CSkinMenuPainter&) = delete;
    CSkinMenuPainter& operator=(const CSkinMenuPainter&) = delete;
    ~CSkinMenuPainter() { Cleanup(); }

    // Refreshes the menu font from the system (sending WM_SETFONT to the host
    // when it changed) and the extra spacing measured in the host's DC.
    void GetSystemSettings(HWND host);
    // The images of a bitmap resource in 16-pixel-wide frames.
    bool LoadImages(HINSTANCE module, UINT bitmapId);
    void Cleanup();

    // Converts every item of the pop-up that is not owner-drawn yet; image(id)
    // gives each item's image index. The pop-up is stacked for restoring.
    template <class ImageOf> void ConvertPopup(HMENU popup, ImageOf image)
    {
        const int count = ::GetMenuItemCount(popup);
        for (int position = 0; position < count; ++position)
            ConvertItem(popup, position, image(::GetMenuItemID(popup, position)));
        m_popups.push_back(popup);
    }
    // Gives every stacked pop-up's items their type and text back, last
    // opened first, and frees every record made (also of pop-ups that are gone).
    void RestoreAll();

    // The record behind an item's data, when this painter made it.
    MenuItemRecord* FindRecord(ULONG_PTR itemData) const;
    size_t RecordCount() const { return m_records.size(); }

    void MeasureItem(const MenuItemRecord& record, MEASUREITEMSTRUCT& item) const;
    void DrawItem(const MenuItemRecord& record, const DRAWITEMSTRUCT& item) const;

    HFONT GetMenuFont() const { return m_font; }
    const LOGFONTA& GetMenuLogFont() const { return m_logFont; }
    int GetExtraWidth() const { return m_extraWidth; }
    HIMAGELIST GetImageList() const { return m_images; }

private:
    void ConvertItem(HMENU popup, int position, int image);
    void RestorePopup(HMENU popup);
    void DrawImage(const MenuItemRecord& record, const DRAWITEMSTRUCT& item, COLORREF itemFill) const;

    CFont m_font;
    LOGFONTA m_logFont = {};
    int m_extraWidth = 0;
    std::vector<HMENU> m_popups;
    std::vector<std::unique_ptr<MenuItemRecord>> m_records;
    CImageList m_images;
};

// The mix-in: T chains CSkinContextMenu<T> before its own handlers. T may
// define `int GetMenuItemImage(UINT id) const` to give items images.
template <class T> class CSkinContextMenu
{
public:
    void GetSystemSettings() { m_menuPainter.GetSystemSettings(static_cast<T*>(this)->m_hWnd); }
    void Cleanup() { m_menuPainter.Cleanup(); }
    CSkinMenuPainter& GetMenuPainter() { return m_menuPainter; }
    int GetMenuItemImage(UINT) const { return -1; }

    BEGIN_MSG_MAP(CSkinContextMenu<T>)
        MESSAGE_HANDLER(WM_INITMENUPOPUP, OnInitMenuPopup)
        MESSAGE_HANDLER(WM_MENUSELECT, OnMenuSelect)
        DRAWITEM_HANDLER(OnDrawItem)
        MEASUREITEM_HANDLER(OnMeasureItem)
    END_MSG_MAP()

private:
    LRESULT OnInitMenuPopup(UINT, WPARAM wp, LPARAM lp, BOOL& handled)
    {
        if (HIWORD(lp)) { // the window menu belongs to the system
            handled = FALSE;
            return 0;
        }
        const T* host = static_cast<const T*>(this);
        m_menuPainter.ConvertPopup(
            reinterpret_cast<HMENU>(wp), [host](UINT id) { return host->GetMenuItemImage(id); });
        return 0;
    }
    LRESULT OnMenuSelect(UINT, WPARAM wp, LPARAM lp, BOOL& handled)
    {
        if (HIWORD(wp) == 0xFFFF && !lp)
            m_menuPainter.RestoreAll();
        handled = FALSE; // the host may follow the selection too
        return 0;
    }
    void OnDrawItem(UINT, DRAWITEMSTRUCT* item, BOOL& handled)
    {
        const MenuItemRecord* record
            = item && item->CtlType == ODT_MENU ? m_menuPainter.FindRecord(item->itemData) : nullptr;
        if (record)
            m_menuPainter.DrawItem(*record, *item);
        else
            handled = FALSE;
    }
    void OnMeasureItem(UINT, MEASUREITEMSTRUCT* item, BOOL& handled)
    {
        const MenuItemRecord* record
            = item && item->CtlType == ODT_MENU ? m_menuPainter.FindRecord(item->itemData) : nullptr;
        if (record)
            m_menuPainter.MeasureItem(*record, *item);
        else
            handled = FALSE;
    }

    CSkinMenuPainter m_menuPainter;
};
