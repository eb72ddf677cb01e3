#pragma once
// The pair of red arrows that marks where a dragged header item would land:
// a disabled tool popup shaped by a region of a downward arrow at its top
// and an upward arrow at its bottom, as tall as the header + 20 pixels.
#include "win/Gdi.h"
#include "win/WindowImpl.h"

class CDropArrows : public CWindowImpl<CDropArrows, CWindow, CWinTraits<WS_POPUP | WS_DISABLED, WS_EX_TOOLWINDOW>>
{
public:
    DECLARE_WND_CLASS_EX("ZtDropArrows", 0, 0)

    enum : int { kWidth = 12, kExtraHeight = 20 };
    static constexpr COLORREF kColor = RGB(0xFF, 0, 0);

    // Creates the window (hidden) for a header height; false on failure.
    bool Create(HWND owner, int headerHeight);
    int GetHeight() const { return m_height; }
    // Shows it, without activation, centred vertically on y with the tip at x.
    void ShowAt(int screenX, int screenY);
    void Hide();

    // The two arrows for a window of that height (7 points each).
    static void GetArrowPoints(int height, POINT (&down)[7], POINT (&up)[7]);

    BEGIN_MSG_MAP(CDropArrows)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        PAINT_HANDLER(OnPaint)
    END_MSG_MAP()

private:
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
    void OnPaint(HDC given, BOOL&);

    int m_height = 0;
};
