#pragma once
// A static control that shows its text rendered into an alpha bitmap, with an
// optional icon before it, over its parent's background.
#include "skin/ParentBackground.h"
#include "win/Gdi.h"
#include "win/WindowImpl.h"
#include <string>

class CSkinImgStatic : public CWindowImpl<CSkinImgStatic, CWindow>, public CParentBackground<CSkinImgStatic>
{
public:
    DECLARE_WND_SUPERCLASS("ZtSkinImgStatic", "STATIC")

    // Takes the icon (owned; may be null).
    void SetIcon(HBITMAP icon) { m_icon.Attach(icon); }
    void SetTextColour(COLORREF colour) { m_textColour = colour; }
    // Renders the text (followed by one blank) with the icon into a new
    // bitmap, sizes the control to it and repaints.
    bool SetText(const std::string& text);
    HBITMAP GetRendered() const { return m_rendered; }
    CSize GetRenderedSize() const { return m_renderedSize; }

    BEGIN_MSG_MAP(CSkinImgStatic)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_PRINTCLIENT, OnPaint)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        CHAIN_MSG_MAP(CParentBackground<CSkinImgStatic>)
    END_MSG_MAP()

private:
    LRESULT OnCreate(UINT msg, WPARAM wp, LPARAM lp, BOOL&) { return DefWindowProc(msg, wp, lp); }
    LRESULT OnPaint(UINT msg, WPARAM wp, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
    void Paint(HDC dc);

    CBitmap m_rendered;
    CSize m_renderedSize;
    CBitmap m_icon;
    COLORREF m_textColour = RGB(0xFF, 0xFF, 0xFF);
};
