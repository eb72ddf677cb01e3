#pragma once
// Flicker-free painting, the one way the program draws a window off screen:
// the picture is drawn into a memory bitmap (CMemoryDC) and copied to the
// window in one blit. WM_PAINT without a DC paints the update through the
// window's own paint DC; WM_PAINT or WM_PRINTCLIENT with a DC paint into that
// DC. The painter draws in client coordinates.
#include <windows.h>
#include "win/Gdi.h"
#include "win/MessageMap.h"

// The part of the client area a WM_PAINT buffers: all of it, or only the
// update region's bounds (less to copy; the picture outside is clipped anyway).
enum class BufferedArea { Client, Update };

// paint(HDC memory, const RECT& area): area is the buffered part of the client.
template <class Paint>
LRESULT PaintDoubleBuffered(
    HWND window, UINT message, WPARAM wParam, Paint&& paint, BufferedArea onPaint = BufferedArea::Client)
{
    RECT client;
    ::GetClientRect(window, &client);
    HDC given = reinterpret_cast<HDC>(wParam);
    if (given) {
        CMemoryDC memory(given, client);
        if (!memory.Area().IsEmpty())
            paint(static_cast<HDC>(memory), memory.Area());
    } else if (message == WM_PAINT) {
        CPaintDC dc(window);
        CMemoryDC memory(dc, onPaint == BufferedArea::Update ? dc.PaintRect() : client);
        if (!memory.Area().IsEmpty())
            paint(static_cast<HDC>(memory), memory.Area());
    }
    return 0;
}

// For a window object T with a DoPaint(HDC) member: the background is never
// erased by the system, and WM_PAINT and WM_PRINTCLIENT go through
// PaintDoubleBuffered. T chains to it: CHAIN_MSG_MAP(CDoubleBufferImpl<T>).
template <class T> class CDoubleBufferImpl
{
public:
    BEGIN_MSG_MAP(CDoubleBufferImpl)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_PRINTCLIENT, OnPaint)
    END_MSG_MAP()

    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }

    LRESULT OnPaint(UINT msg, WPARAM wParam, LPARAM, BOOL&)
    {
        T* self = static_cast<T*>(this);
        return PaintDoubleBuffered(
            self->m_hWnd, msg, wParam, [self](HDC dc, const RECT&) { self->DoPaint(dc); },
            BufferedArea::Update);
    }
};
