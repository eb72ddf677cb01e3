#include "win/Window.h"

bool CWindow::CenterWindow(HWND center)
{
    const bool child = (GetStyle() & WS_CHILD) != 0;
    if (!center)
        center = child ? ::GetParent(m_hWnd) : ::GetWindow(m_hWnd, GW_OWNER);

    // The area the window must stay inside: the parent's client area for a
    // child, the work area of the monitor for a top-level window.
    CRect area;
    CRect target;
    if (child) {
        HWND parent = ::GetParent(m_hWnd);
        ::GetClientRect(parent, &area);
        target = area;
        if (center && center != parent) {
            ::GetWindowRect(center, &target);
            ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&target), 2);
        }
    } else {
        HMONITOR monitor = ::MonitorFromWindow(center ? center : m_hWnd, MONITOR_DEFAULTTONEAREST);
        MONITORINFO info = {};
        info.cbSize = sizeof(info);
        ::GetMonitorInfoA(monitor, &info);
        area = info.rcWork;
        if (center && ::IsWindowVisible(center) && !::IsIconic(center))
            ::GetWindowRect(center, &target);
        else
            target = area;
    }

    CRect me = GetWindowRect();
    int x = target.CenterPoint().x - me.Width() / 2;
    int y = target.CenterPoint().y - me.Height() / 2;
    if (x + me.Width() > area.right)
        x = area.right - me.Width();
    if (y + me.Height() > area.bottom)
        y = area.bottom - me.Height();
    if (x < area.left)
        x = area.left;
    if (y < area.top)
        y = area.top;
    return ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
}
