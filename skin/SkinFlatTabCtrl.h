#pragma once
// A single row of overlapping trapezoid tabs (sheet tabs) with optional
// scroll buttons at its left end, drawn with plain GDI and system colours.
// Owners place it along an edge of a view, write the colour fields after
// creating it and react to TCN_SELCHANGING (a non-zero answer keeps the old
// tab) and TCN_SELCHANGE sent to the parent. UI thread only.
#include "skin/FlatTabGeometry.h"
#include "win/Controls.h"
#include "win/DoubleBuffer.h"
#include "win/Gdi.h"
#include "win/WindowImpl.h"
#include <memory>
#include <string>
#include <vector>

// A small owner-drawn push button whose glyph is an enhanced metafile. The
// button does not own the metafiles; its parent reflects WM_DRAWITEM to it.
class CSkinMetaFileButton : public CWindowImpl<CSkinMetaFileButton, CWindow>
{
public:
    DECLARE_WND_SUPERCLASS("ZtSkinMetaFileButton", "BUTTON")

    virtual void SetMetaFiles(
        HENHMETAFILE normal, HENHMETAFILE pressed, HENHMETAFILE focused, HENHMETAFILE disabled);
    // Draws the face for a draw request's rectangle and ODS_ states.
    void DrawFace(HDC dc, const RECT& rect, UINT state) const;
    // The rectangle a glyph is played into for a button of this height.
    static CRect GlyphRect(int height, bool pressed);

    BEGIN_MSG_MAP(CSkinMetaFileButton)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_LBUTTONDBLCLK, OnDoubleClick)
        REFLECTED_DRAWITEM_HANDLER(OnDrawItem)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        DEFAULT_REFLECTION_HANDLER()
    END_MSG_MAP()

private:
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDoubleClick(UINT, WPARAM, LPARAM, BOOL&);
    void OnDrawItem(UINT, DRAWITEMSTRUCT* item, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 0; }

    HENHMETAFILE m_normal = nullptr;
    HENHMETAFILE m_pressed = nullptr;
    HENHMETAFILE m_focused = nullptr;
    HENHMETAFILE m_disabled = nullptr;
};

class CSkinFlatTabCtrl : public CWindowImpl<CSkinFlatTabCtrl, CWindow>,
                         public CDoubleBufferImpl<CSkinFlatTabCtrl>
{
public:
    DECLARE_WND_CLASS_EX("ZtSkinFlatTab", CS_HREDRAW | CS_VREDRAW, COLOR_WINDOW + 1)

    // Window style bits read once at creation.
    enum : DWORD {
        kStyleBottomTabs = 0x0002,
        kStyleArrows = 0x0004,
        kStyleFirstLast = 0x0008,
        kStyleToolTip = 0x4000
    };
    enum : int { kButtonLeft = 5031, kButtonRight = 5032, kButtonFirst = 5033, kButtonLast = 5034 };
    enum : int { kButtonWidth = 16 };

    CSkinFlatTabCtrl();
    ~CSkinFlatTabCtrl() override;

    // Appends a tab at the end of the row whatever index says (owners pass 0
    // for every tab); -1 when index is negative or past the tab count. The
    // first tab becomes current.
    virtual int AddItem(int index, const char* title);
    virtual int DeleteItem(int index);
    virtual int DeleteAllItems();
    virtual int GetItemRect(int index, RECT* out);
    virtual int HitTest(POINT* point);
    virtual int GetCurSel();
    // Makes a tab current and scrolls it into view; sends nothing. Returns
    // the previous current index, -1 when index names no tab.
    virtual int SetCurSel(int index);
    virtual int GetItemCount();
    virtual void SetItemData(int index, const char* text);
    virtual std::string GetItemData(int index);
    virtual void ResetScroll();
    // The title of a tab, null when there is none.
    const char* GetItem(int index) const;

    int GetScrollOffset() const { return m_offset; }
    int GetTotalWidth() const { return m_total; }
    // Client x where the tab area starts (after the scroll buttons).
    int GetAreaStart() const;
    HWND GetButton(int id) const;

    // Colours the owner may set after creation.
    COLORREF m_unselectedFill;
    COLORREF m_unselectedText;
    COLORREF m_selectedFill;
    COLORREF m_selectedText;
    COLORREF m_background;

    BEGIN_MSG_MAP(CSkinFlatTabCtrl)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        SIZE_HANDLER(OnSize)
        CHAIN_MSG_MAP(CDoubleBufferImpl<CSkinFlatTabCtrl>)
        MOUSE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        COMMAND_HANDLER(kButtonLeft, BN_CLICKED, OnScrollButton)
        COMMAND_HANDLER(kButtonRight, BN_CLICKED, OnScrollButton)
        COMMAND_HANDLER(kButtonFirst, BN_CLICKED, OnScrollButton)
        COMMAND_HANDLER(kButtonLast, BN_CLICKED, OnScrollButton)
        REFLECT_NOTIFICATIONS()
    END_MSG_MAP()

    void DoPaint(HDC dc);

private:
    enum Glyph { kGlyphLeft, kGlyphRight, kGlyphFirst, kGlyphLast, kGlyphCount };

    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    void OnSize(UINT, CSize client, BOOL&);
    void OnLButtonDown(UINT, CPoint point, BOOL&);
    LRESULT OnScrollButton(WORD, WORD id, HWND, BOOL&);

    bool CreateButton(int index, int id, bool enabled);
    void PlaceButtons();
    void RecreateFonts();
    // Title width and height measured with the selected-tab font.
    CSize MeasureTitle(HDC dc, const std::string& title) const;
    CFlatTabGeometry Geometry() const;
    void RecomputeTotal();
    // Enables the scroll buttons for the offset; after a click on the strip
    // or a button the control keeps the keyboard focus for itself.
    void RefreshButtons(bool afterClick);
    void InvalidateStrip();
    void DrawTab(HDC dc, int x, int y, const std::string& title, bool selected);
    void Notify(UINT code);

    bool m_arrows;
    bool m_firstLast;
    bool m_bottomTabs;
    int m_current;
    int m_width;
    int m_height;
    int m_total;
    int m_offset;
    std::vector<std::string> m_titles;
    std::vector<std::string> m_data;
    std::vector<int> m_widths; // each tab's full width, kept with m_total
    CFont m_font;
    CFont m_selectedFont;
    // The buttons go before the glyphs they show.
    CEnhMetaFile m_glyphs[kGlyphCount];
    CEnhMetaFile m_disabledGlyphs[kGlyphCount];
    std::unique_ptr<CSkinMetaFileButton> m_buttons[kGlyphCount];
    CToolTipCtrl m_tooltip;
};
