#pragma once
// The main window's frame: a client window that fills the client area (or
// what the derived class's UpdateLayout leaves for it), an accelerator table
// for the message filter, and the end of the thread's message loop when a
// top-level frame goes (WM_QUIT with 1). T chains to it last but one, before
// whatever draws the frame; a handler of T for WM_SIZE or WM_DESTROY clears
// the handled flag so that the frame still sees the message.
#include <windows.h>
#include "win/WindowImpl.h"

template <class T, class TBase = CWindow, class TWinTraits = CFrameWinTraits>
class CFrameWindowImpl : public CWindowImpl<T, TBase, TWinTraits>
{
public:
    HWND m_hWndClient = nullptr;
    HACCEL m_hAccel = nullptr; // a module resource: freed with the module

    BEGIN_MSG_MAP(CFrameWindowImpl)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    END_MSG_MAP()

    bool LoadAccelerators(UINT id)
    {
        m_hAccel = ::LoadAcceleratorsA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
        return m_hAccel != nullptr;
    }
    // For the message filter: true when msg was a key of the table (its
    // command has been sent to the frame).
    bool TranslateAccelerator(MSG* msg)
    {
        return m_hAccel && this->m_hWnd && ::TranslateAcceleratorA(this->m_hWnd, m_hAccel, msg) != 0;
    }

    // Gives the client window the whole client area; frames with bars around
    // it define their own UpdateLayout.
    void UpdateLayout(bool repaint = true)
    {
        if (!m_hWndClient)
            return;
        RECT r;
        ::GetClientRect(this->m_hWnd, &r);
        ::SetWindowPos(m_hWndClient, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
            SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
    }

    LRESULT OnSize(UINT, WPARAM wp, LPARAM, BOOL& handled)
    {
        if (wp != SIZE_MINIMIZED)
            static_cast<T*>(this)->UpdateLayout(true);
        handled = FALSE;
        return 0;
    }

    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
    {
        if ((this->GetStyle() & (WS_CHILD | WS_POPUP)) == 0)
            ::PostQuitMessage(1);
        handled = FALSE;
        return 0;
    }
};
