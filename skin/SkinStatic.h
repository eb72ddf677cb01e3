#pragma once
// Two labels of the skinned dialogs: one on a horizontal colour gradient,
// one that shows its parent's background through itself.
#include "skin/ParentBackground.h"
#include "win/Gdi.h"
#include "win/WindowImpl.h"
#include <string>

// Alignment of both labels: 0 left, 1 centred, any other value right.
enum : int { kStaticAlignLeft = 0, kStaticAlignCentre = 1, kStaticAlignRight = 2 };

// The colour of stripe i (0..254) of a gradient from left to right: each
// channel c + (d - c) x i / 255, truncated.
COLORREF GradientStripeColour(COLORREF left, COLORREF right, int stripe);

class CSkinGradientStatic : public CWindowImpl<CSkinGradientStatic, CWindow>
{
public:
    DECLARE_WND_SUPERCLASS("ZtSkinGradientStatic", "STATIC")

    // Written by the owner directly. The font is the owner's: never deleted here.
    int margin = 10;
    COLORREF leftColour = ::GetSysColor(COLOR_ACTIVECAPTION);
    COLORREF rightColour = ::GetSysColor(COLOR_BTNFACE);
    COLORREF textColour = ::GetSysColor(COLOR_CAPTIONTEXT);
    int alignment = kStaticAlignLeft;
    HFONT font = nullptr;

    BEGIN_MSG_MAP(CSkinGradientStatic)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_PRINTCLIENT, OnPaint)
    END_MSG_MAP()

    void Paint(HDC dc);

private:
    LRESULT OnCreate(UINT msg, WPARAM wp, LPARAM lp, BOOL&) { return DefWindowProc(msg, wp, lp); }
    LRESULT OnPaint(UINT msg, WPARAM wp, LPARAM, BOOL&);
};

class CSkinStatic : public CWindowImpl<CSkinStatic, CWindow>, public CParentBackground<CSkinStatic>
{
public:
    DECLARE_WND_SUPERCLASS("ZtSkinStatic", "STATIC")

    void SetText(const std::string& text)
    {
        m_text = text;
        if (m_hWnd)
            Invalidate();
    }
    void SetAlignment(int alignment) { m_alignment = alignment; }
    void SetTextColour(COLORREF colour) { m_textColour = colour; }

    BEGIN_MSG_MAP(CSkinStatic)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_PRINTCLIENT, OnPaint)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        CHAIN_MSG_MAP(CParentBackground<CSkinStatic>)
    END_MSG_MAP()

private:
    LRESULT OnCreate(UINT msg, WPARAM wp, LPARAM lp, BOOL&) { return DefWindowProc(msg, wp, lp); }
    LRESULT OnPaint(UINT msg, WPARAM wp, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
    void Paint(HDC dc);

    std::string m_text;
    int m_alignment = kStaticAlignLeft;
    COLORREF m_textColour = RGB(0, 0, 0);
};
