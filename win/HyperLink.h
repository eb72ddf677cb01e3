#pragma once
// The hyperlink control: a label that opens an address when clicked or when
// Enter or Space is pressed while it has the focus. It shows the link in the
// link colour (the visited colour once followed), underlined always, never
// or only while the pointer is over it, with the address as its tooltip and
// a focus rectangle. The label may mark its link part with <A>...</A>; the
// rest is drawn in the normal font and does not react.
//
// A window of its own (Create) or a dialog's static subclassed in place
// (SubclassWindow). Opening goes through an opener that tests replace, so
// that no browser is ever started by a test. UI thread only.
#include "win/Controls.h"
#include "win/DoubleBuffer.h"
#include "win/Gdi.h"
#include "win/PageOpener.h"
#include "win/WindowImpl.h"
#include <string>

// Extended styles.
enum : DWORD {
    kHyperLinkNotUnderlined = 0x01,
    kHyperLinkUnderlineHover = 0x02,
    kHyperLinkCommandButton = 0x04, // a click sends BN_CLICKED to the parent instead of opening
    kHyperLinkUseTags = 0x10,
    kHyperLinkNoTooltip = 0x40,
};

// State bits.
enum : DWORD {
    kHyperLinkPaintLabel = 0x01,
    kHyperLinkVisited = 0x02,
    kHyperLinkHover = 0x04,
    kHyperLinkOwnsLinkFont = 0x08,
};

// The browser's anchor colours from the registry ("r,g,b" texts); each is
// left as it is when its value is missing or malformed.
void ReadBrowserAnchorColours(COLORREF& link, COLORREF& visited);
// "r,g,b" with three numbers 0..255 → the colour; false otherwise.
bool ParseColourTriple(const std::string& text, COLORREF& colour);

// The label split at its first <A> and the </A> after it (letter case
// ignored); without both tags the whole label is the link.
struct HyperLinkLabelParts
{
    std::string before;
    std::string link;
    std::string after;
    bool tagged = false;
};
HyperLinkLabelParts SplitHyperLinkLabel(const std::string& label);

// Code shared by every hyperlink class, whatever its window class.
class CHyperLinkBase
{
public:
    CHyperLinkBase();
    virtual ~CHyperLinkBase() = default;

    void SetLabel(const std::string& label);
    const std::string& GetLabel() const { return m_label; }
    void SetHyperLink(const std::string& url);
    const std::string& GetHyperLink() const { return m_url; }
    void SetToolTipText(const std::string& text);
    // A link font of the caller's (not owned), or owned when own is true.
    void SetLinkFont(HFONT font, bool own = false);
    HFONT GetLinkFont() const { return m_linkFont; }
    DWORD GetExtendedStyle() const { return m_extendedStyle; }
    // Changes the bits of mask (all when 0) to those of style; returns the old style.
    DWORD SetExtendedStyle(DWORD style, DWORD mask = 0);
    void SetUrlOpener(UrlOpener opener) { m_opener = std::move(opener); }
    bool IsVisited() const { return (m_state & kHyperLinkVisited) != 0; }
    bool IsHovering() const { return (m_state & kHyperLinkHover) != 0; }
    DWORD GetState() const { return m_state; }
    const CRect& GetLabelRect() const { return m_labelRect; }

    // Follows the link: a command button tells its parent, otherwise the
    // address (the label when there is none) goes to the opener. Marks the
    // link visited. True when it was handed on.
    bool Navigate();

    COLORREF m_linkColour = RGB(0, 0, 255);
    COLORREF m_visitedColour = RGB(128, 0, 128);

protected:
    void InitLink(HWND hwnd);
    void DestroyLink();
    void CalcLabelRect();
    // The colour and font the label is drawn with now (without hover colour).
    COLORREF LabelColour() const;
    HFONT LabelFont() const;
    // Draws the label (all its parts) in the label rectangle.
    void DrawLabelText(HDC dc, COLORREF linkColour, HFONT linkFont);
    void DrawFocus(HDC dc);
    void InvalidateLabel();
    void SetHover(bool hover);
    void TrackLeave();
    bool IsOverLabel(CPoint point) const { return m_labelRect.Contains(point); }
    void UpdateTooltip();
    void MakeTooltip(CPoint point);

    // Message handling of the base; each returns true when it handled.
    LRESULT HandleMouseMove(CPoint point);
    void HandleMouseLeave();
    void HandleButtonDown(CPoint point, bool overLink);
    void HandleButtonUp(CPoint point, bool overLink);
    bool HandleSetCursor();
    void HandleChar(UINT key);

    HWND m_link = nullptr;
    std::string m_label;
    std::string m_url;
    std::string m_tooltipText;
    HFONT m_linkFont = nullptr;
    HFONT m_normalFont = nullptr;
    CFont m_ownedLinkFont;
    CRect m_labelRect;
    CToolTipCtrl m_tooltip;
    DWORD m_extendedStyle = 0;
    DWORD m_state = kHyperLinkPaintLabel;
    bool m_tracking = false;
    UrlOpener m_opener;
    HCURSOR m_linkCursor = nullptr;
};

template <class T, class TBase = CWindow, class TWinTraits = CWinTraits<WS_CHILD | WS_VISIBLE | WS_TABSTOP>>
class CHyperLinkImpl : public CWindowImpl<T, TBase, TWinTraits>, public CHyperLinkBase
{
public:
    DECLARE_WND_CLASS_EX("ZtHyperLink", CS_DBLCLKS, COLOR_WINDOW + 1)

    // Takes over a dialog's static: its text becomes the label when none is set.
    BOOL SubclassWindow(HWND hwnd)
    {
        if (!CWindowImpl<T, TBase, TWinTraits>::SubclassWindow(hwnd))
            return FALSE;
        ::SetWindowLongPtrA(hwnd, GWL_STYLE, ::GetWindowLongPtrA(hwnd, GWL_STYLE) | SS_NOTIFY);
        InitLink(hwnd);
        return TRUE;
    }

    // The framework's paint: the parent's static background, the label, the focus.
    void DoPaint(HDC dc)
    {
        const CRect client = this->GetClientRect();
        HWND parent = this->GetParent();
        HBRUSH brush = parent ? reinterpret_cast<HBRUSH>(::SendMessageA(parent, WM_CTLCOLORSTATIC,
                           reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(this->m_hWnd)))
                              : nullptr;
        ::FillRect(dc, &client, brush ? brush : ::GetSysColorBrush(COLOR_BTNFACE));
        if (m_state & kHyperLinkPaintLabel) {
            DrawLabelText(dc, LabelColour(), LabelFont());
            DrawFocus(dc);
        }
    }

    BEGIN_MSG_MAP(CHyperLinkImpl)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_PRINTCLIENT, OnPaint)
        MESSAGE_HANDLER(WM_SETFOCUS, OnFocus)
        MESSAGE_HANDLER(WM_KILLFOCUS, OnFocus)
        MESSAGE_HANDLER(WM_ENABLE, OnEnable)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        MESSAGE_HANDLER(WM_SETFONT, OnSetFont)
        MESSAGE_HANDLER(WM_GETDLGCODE, OnGetDlgCode)
        MOUSE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
        MESSAGE_HANDLER(WM_MOUSELEAVE, OnMouseLeave)
        MOUSE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        MOUSE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
        KEY_HANDLER(WM_CHAR, OnChar)
        SETCURSOR_HANDLER(OnSetCursor)
        DEFAULT_REFLECTION_HANDLER()
    END_MSG_MAP()

protected:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&)
    {
        InitLink(this->m_hWnd);
        return 0;
    }
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
    {
        DestroyLink();
        handled = FALSE;
        return 0;
    }
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
    LRESULT OnPaint(UINT msg, WPARAM wp, LPARAM, BOOL&)
    {
        T* self = static_cast<T*>(this);
        return PaintDoubleBuffered(this->m_hWnd, msg, wp, [self](HDC dc, const RECT&) { self->DoPaint(dc); });
    }
    LRESULT OnFocus(UINT, WPARAM, LPARAM, BOOL&)
    {
        this->Invalidate(false);
        return 0;
    }
    LRESULT OnEnable(UINT, WPARAM, LPARAM, BOOL&)
    {
        this->Invalidate(false);
        return 0;
    }
    LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL& handled)
    {
        CalcLabelRect();
        this->Invalidate(false);
        handled = FALSE;
        return 0;
    }
    LRESULT OnSetFont(UINT, WPARAM wp, LPARAM lp, BOOL&)
    {
        m_normalFont = reinterpret_cast<HFONT>(wp);
        if (m_state & kHyperLinkOwnsLinkFont) {
            m_ownedLinkFont.Reset();
            m_linkFont = nullptr;
            m_state &= ~kHyperLinkOwnsLinkFont;
        }
        InitLink(this->m_hWnd);
        if (lp)
            this->Invalidate(false);
        return 0;
    }
    LRESULT OnGetDlgCode(UINT, WPARAM, LPARAM, BOOL&) { return DLGC_WANTCHARS; }
    void OnMouseMove(UINT, CPoint point, BOOL&) { HandleMouseMove(point); }
    LRESULT OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&)
    {
        HandleMouseLeave();
        return 0;
    }
    void OnLButtonDown(UINT, CPoint point, BOOL&) { HandleButtonDown(point, IsOverLabel(point)); }
    void OnLButtonUp(UINT, CPoint point, BOOL&) { HandleButtonUp(point, IsOverLabel(point)); }
    void OnChar(UINT key, UINT, UINT, BOOL&) { HandleChar(key); }
    BOOL OnSetCursor(HWND, UINT, UINT, BOOL& handled)
    {
        if (HandleSetCursor())
            return TRUE;
        handled = FALSE;
        return FALSE;
    }
};

// The plain hyperlink.
class CHyperLink : public CHyperLinkImpl<CHyperLink>
{
public:
    DECLARE_WND_CLASS_EX("ZtHyperLink", CS_DBLCLKS, COLOR_WINDOW + 1)
};
