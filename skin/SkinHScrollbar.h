#pragma once
// A stand-alone horizontal scroll bar painted from four skin bitmaps. Range,
// page and position stay in the system control; this window does its own
// hit testing, thumb dragging and arrow repeat and sends the standard
// WM_HSCROLL codes (line left and right, thumb track and position, end
// scroll) to its notify window, or to its parent when none is set. The owner
// moves the position in answer. UI thread only.
#include "skin/HScrollGeometry.h"
#include "win/Controls.h"
#include "win/Gdi.h"
#include "win/WindowImpl.h"

class CSkinHScrollbar : public CWindowImpl<CSkinHScrollbar, CScrollBar>
{
public:
    DECLARE_WND_SUPERCLASS("ZtSkinHScrollbar", "SCROLLBAR")

    enum : UINT_PTR { kRepeatTimerId = 993 };
    enum : UINT { kRepeatIntervalMs = 25 };

    CSkinHScrollbar() = default;
    ~CSkinHScrollbar() override = default;

    // Takes the bitmaps (any may be null); each replaces and frees the one
    // held before unless it is the same handle.
    void SetBitmaps(HBITMAP background, HBITMAP thumb, HBITMAP leftArrow, HBITMAP rightArrow);
    void SetNotifyWindow(HWND window) { m_notify = window; }

    CHScrollGeometry Geometry() const;
    int GetPressedPart() const { return m_pressed; }
    int GetDragPosition() const { return m_dragLeft; }
    bool IsRepeating() const { return m_timer != 0; }

    BEGIN_MSG_MAP(CSkinHScrollbar)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_PRINTCLIENT, OnPaint)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        MESSAGE_HANDLER(SBM_SETSCROLLINFO, OnSetScrollInfo)
        TIMER_HANDLER(OnTimer)
        MOUSE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
        MOUSE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        MOUSE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
        MESSAGE_HANDLER(WM_LBUTTONDBLCLK, OnDoubleClick)
        DEFAULT_REFLECTION_HANDLER()
    END_MSG_MAP()

    void DoPaint(HDC dc);

private:
    LRESULT OnPaint(UINT msg, WPARAM wp, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
    LRESULT OnSetScrollInfo(UINT msg, WPARAM wp, LPARAM lp, BOOL&);
    void OnTimer(UINT_PTR id, BOOL& handled);
    void OnMouseMove(UINT, CPoint point, BOOL&);
    void OnLButtonDown(UINT, CPoint point, BOOL&);
    void OnLButtonUp(UINT, CPoint point, BOOL&);
    LRESULT OnDoubleClick(UINT, WPARAM, LPARAM, BOOL&) { return 0; }

    void Send(UINT code, int pos = 0);
    void StopTimer();
    SCROLLINFO RangeAndPosition() const;

    CBitmap m_background;
    CBitmap m_leftArrow;
    CBitmap m_rightArrow;
    CBitmap m_thumb;
    int m_pressed = CHScrollGeometry::kNone;
    int m_grabOffset = 0;
    int m_dragLeft = 0;
    HWND m_notify = nullptr;
    CPoint m_lastPoint = CPoint(-1, -1);
    UINT_PTR m_timer = 0;
};
