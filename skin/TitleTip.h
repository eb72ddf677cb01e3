#pragma once
// The tip that shows the whole text of a clipped list cell over the cell.
// It holds the mouse capture while shown and passes the mouse on to its
// list, so that it is invisible to the user's clicks.
#include "win/Controls.h"
#include "win/Gdi.h"
#include "win/WindowImpl.h"
#include <string>

class CTitleTip : public CWindowImpl<CTitleTip, CWindow, CWinTraits<WS_POPUP, WS_EX_TOPMOST | WS_EX_TOOLWINDOW>>
{
public:
    DECLARE_WND_CLASS_EX("ZtTitleTip", CS_SAVEBITS, COLOR_INFOBK + 1)

    // Set by the list before Create: the rounded gradient look (with the
    // visual-styles library) instead of the plain one.
    bool gradient = true;
    COLORREF backgroundColour = ::GetSysColor(COLOR_INFOBK);
    COLORREF textColour = ::GetSysColor(COLOR_INFOTEXT);
    COLORREF outerBorderColour = 0xDCDCDC;
    COLORREF innerBorderColour = 0xF5F5F5;
    COLORREF gradientTopColour = 0xFAFAFA;
    COLORREF gradientBottomColour = 0xEBEBEB;

    // The tip window owned by list, with its own tooltip and the message font.
    bool Create(HWND list, bool gradientLook);

    // Shows text over cell (screen coordinates) when it is wider than the
    // cell: from 4 pixels left of the cell, as wide as the text + 11 pixels,
    // without activation, taking the capture; rowTip is the tooltip it then
    // carries (none when empty). False, and nothing shown, when it fits.
    bool Show(const RECT& cell, const std::string& text, const std::string& rowTip);
    // Releases the capture if the tip holds it, and hides.
    void Hide();

    // Whether the gradient look is drawn (the flag and the library).
    bool DrawsGradient() const;
    void Paint(HDC dc);

    BEGIN_MSG_MAP(CTitleTip)
        MESSAGE_RANGE_HANDLER(WM_MOUSEFIRST, WM_MOUSELAST, OnMouseMessage)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_PRINTCLIENT, OnPaint)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    END_MSG_MAP()

private:
    LRESULT OnMouseMessage(UINT msg, WPARAM wp, LPARAM lp, BOOL&);
    LRESULT OnPaint(UINT msg, WPARAM wp, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled);

    HWND m_list = nullptr;
    std::string m_text;
    CFont m_font;
    CToolTipCtrl m_toolTip;
};
