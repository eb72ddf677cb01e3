#pragma once
// Flicker-free painting for a window object T with a DoPaint(HDC) member:
// the background is never erased by the system, and WM_PAINT (with or
// without a given DC) and WM_PRINTCLIENT draw through one memory bitmap.
// T chains to it: CHAIN_MSG_MAP(CDoubleBufferImpl<T>).
#include <windows.h>
#include "win/Gdi.h"
#include "win/MessageMap.h"

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
        HDC given = reinterpret_cast<HDC>(wParam);
        if (given) {
            RECT client;
            ::GetClientRect(self->m_hWnd, &client);
            CMemoryDC memory(given, client);
            if (!memory.Area().IsEmpty())
                self->DoPaint(memory);
        } else if (msg == WM_PAINT) {
            CPaintDC dc(self->m_hWnd);
            CMemoryDC memory(dc, dc.PaintRect());
            if (!memory.Area().IsEmpty())
                self->DoPaint(memory);
        }
        return 0;
    }
};
