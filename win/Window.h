#pragma once
// A window handle with the calls the windows and controls make on it. It owns
// nothing: copying it copies the handle, and destroying it leaves the window.
#include <windows.h>
#include <string>
#include "win/Geometry.h"

class CWindow
{
public:
    HWND m_hWnd;

    CWindow(HWND hwnd = nullptr)
        : m_hWnd(hwnd)
    {
    }
    CWindow& operator=(HWND hwnd)
    {
        m_hWnd = hwnd;
        return *this;
    }
    operator HWND() const { return m_hWnd; }

    void Attach(HWND hwnd) { m_hWnd = hwnd; }
    HWND Detach()
    {
        HWND h = m_hWnd;
        m_hWnd = nullptr;
        return h;
    }
    bool IsWindow() const { return m_hWnd != nullptr && ::IsWindow(m_hWnd) != FALSE; }
    BOOL DestroyWindow() { return ::DestroyWindow(m_hWnd); }

    // Messages
    LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const
    {
        return ::SendMessageA(m_hWnd, msg, wp, lp);
    }
    BOOL PostMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const
    {
        return ::PostMessageA(m_hWnd, msg, wp, lp);
    }
    // Sends to every direct child (not deeper).
    void SendMessageToChildren(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const
    {
        for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            ::SendMessageA(child, msg, wp, lp);
    }

    // Styles and identity
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_EXSTYLE)); }
    // Removes, then adds style bits; with swpFlags also refreshes the frame.
    bool ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0)
    {
        return ModifyBits(GWL_STYLE, remove, add, swpFlags);
    }
    bool ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags = 0)
    {
        return ModifyBits(GWL_EXSTYLE, remove, add, swpFlags);
    }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    HWND GetParent() const { return ::GetParent(m_hWnd); }
    HWND GetTopLevelParent() const { return ::GetAncestor(m_hWnd, GA_ROOT); }
    HFONT GetFont() const { return reinterpret_cast<HFONT>(::SendMessageA(m_hWnd, WM_GETFONT, 0, 0)); }
    void SetFont(HFONT font, bool redraw = true)
    {
        ::SendMessageA(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw ? 1 : 0);
    }

    // Text (code page 936)
    std::string GetWindowText() const
    {
        int n = ::GetWindowTextLengthA(m_hWnd);
        std::string text(static_cast<size_t>(n > 0 ? n : 0) + 1, '\0');
        n = ::GetWindowTextA(m_hWnd, &text[0], static_cast<int>(text.size()));
        text.resize(static_cast<size_t>(n > 0 ? n : 0));
        return text;
    }
    BOOL SetWindowText(const char* text) { return ::SetWindowTextA(m_hWnd, text); }
    std::string GetDlgItemText(int id) const { return CWindow(GetDlgItem(id)).GetWindowText(); }
    BOOL SetDlgItemText(int id, const char* text) { return ::SetDlgItemTextA(m_hWnd, id, text); }

    // Geometry
    CRect GetClientRect() const
    {
        CRect r;
        ::GetClientRect(m_hWnd, &r);
        return r;
    }
    CRect GetWindowRect() const
    {
        CRect r;
        ::GetWindowRect(m_hWnd, &r);
        return r;
    }
    // The window rectangle in the parent's client coordinates (screen for top-level windows).
    CRect GetRectInParent() const
    {
        CRect r = GetWindowRect();
        HWND parent = (GetStyle() & WS_CHILD) ? GetParent() : nullptr;
        if (parent)
            ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    BOOL ScreenToClient(POINT* p) const { return ::ScreenToClient(m_hWnd, p); }
    BOOL ClientToScreen(POINT* p) const { return ::ClientToScreen(m_hWnd, p); }
    void ScreenToClient(RECT* r) const
    {
        ::MapWindowPoints(HWND_DESKTOP, m_hWnd, reinterpret_cast<POINT*>(r), 2);
    }
    void ClientToScreen(RECT* r) const
    {
        ::MapWindowPoints(m_hWnd, HWND_DESKTOP, reinterpret_cast<POINT*>(r), 2);
    }
    BOOL MoveWindow(const RECT& r, bool repaint = true)
    {
        return ::MoveWindow(m_hWnd, r.left, r.top, r.right - r.left, r.bottom - r.top, repaint);
    }
    BOOL SetWindowPos(HWND after, const RECT& r, UINT flags)
    {
        return ::SetWindowPos(m_hWnd, after, r.left, r.top, r.right - r.left, r.bottom - r.top, flags);
    }
    BOOL SetWindowPos(HWND after, int x, int y, int cx, int cy, UINT flags)
    {
        return ::SetWindowPos(m_hWnd, after, x, y, cx, cy, flags);
    }
    // Centres on the parent (or owner), else on the work area, kept inside the work area.
    bool CenterWindow(HWND center = nullptr);

    // Showing, enabling, painting
    BOOL ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd); }
    bool IsWindowVisible() const { return ::IsWindowVisible(m_hWnd) != FALSE; }
    bool IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd) != FALSE; }
    BOOL EnableWindow(bool enable = true) { return ::EnableWindow(m_hWnd, enable); }
    bool IsIconic() const { return ::IsIconic(m_hWnd) != FALSE; }
    bool IsZoomed() const { return ::IsZoomed(m_hWnd) != FALSE; }
    BOOL Invalidate(bool erase = true) { return ::InvalidateRect(m_hWnd, nullptr, erase); }
    BOOL InvalidateRect(const RECT* r, bool erase = true) { return ::InvalidateRect(m_hWnd, r, erase); }
    BOOL UpdateWindow() { return ::UpdateWindow(m_hWnd); }
    BOOL RedrawWindow(
        const RECT* r = nullptr, HRGN rgn = nullptr, UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE)
    {
        return ::RedrawWindow(m_hWnd, r, rgn, flags);
    }
    HWND SetFocus() { return ::SetFocus(m_hWnd); }
    HWND SetCapture() { return ::SetCapture(m_hWnd); }

    // Timers
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse) { return ::SetTimer(m_hWnd, id, elapse, nullptr); }
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }

private:
    bool ModifyBits(int index, DWORD remove, DWORD add, UINT swpFlags)
    {
        DWORD old = static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, index));
        DWORD now = (old & ~remove) | add;
        if (now == old)
            return false;
        ::SetWindowLongPtrA(m_hWnd, index, static_cast<LONG_PTR>(now));
        if (swpFlags)
            ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
        return true;
    }
};
