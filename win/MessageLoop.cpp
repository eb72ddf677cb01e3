#include "win/MessageLoop.h"
#include <algorithm>

template <class T> bool CMessageLoop::Contains(const std::vector<T*>& list, T* item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

template <class T> bool CMessageLoop::AddUnique(std::vector<T*>& list, T* item)
{
    if (!item || Contains(list, item))
        return false;
    list.push_back(item);
    return true;
}

template <class T> bool CMessageLoop::Remove(std::vector<T*>& list, T* item)
{
    auto it = std::find(list.begin(), list.end(), item);
    if (it == list.end())
        return false;
    list.erase(it);
    return true;
}

bool CMessageLoop::AddMessageFilter(CMessageFilter* filter)
{
    return AddUnique(m_filters, filter);
}
bool CMessageLoop::RemoveMessageFilter(CMessageFilter* filter)
{
    return Remove(m_filters, filter);
}
bool CMessageLoop::AddIdleHandler(CIdleHandler* handler)
{
    return AddUnique(m_idleHandlers, handler);
}
bool CMessageLoop::RemoveIdleHandler(CIdleHandler* handler)
{
    return Remove(m_idleHandlers, handler);
}

BOOL CMessageLoop::PreTranslateMessage(MSG* msg)
{
    // A snapshot, so that a filter may remove itself or others; one removed
    // during this pass is not called any more (it may be gone).
    const std::vector<CMessageFilter*> snapshot = m_filters;
    for (CMessageFilter* filter : snapshot) {
        if (Contains(m_filters, filter) && filter->PreTranslateMessage(msg))
            return TRUE;
    }
    return FALSE;
}

BOOL CMessageLoop::OnIdle(int /*idleCount*/)
{
    const std::vector<CIdleHandler*> snapshot = m_idleHandlers;
    BOOL again = FALSE;
    for (CIdleHandler* handler : snapshot) {
        if (Contains(m_idleHandlers, handler) && handler->OnIdle())
            again = TRUE;
    }
    return again;
}

bool CMessageLoop::IsIdleMessage(const MSG& msg)
{
    static const UINT kCaretBlink = 0x0118; // the system's caret timer
    switch (msg.message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
        return false; // the caller compares positions
    case WM_PAINT:
    case kCaretBlink:
        return false;
    default:
        return true;
    }
}

int CMessageLoop::Run()
{
    bool doIdle = true;
    int idleCount = 0;
    POINT lastMouse = { -1, -1 };
    for (;;) {
        while (doIdle && !::PeekMessageA(&m_msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(idleCount++))
                doIdle = false;
        }
        BOOL got = ::GetMessageA(&m_msg, nullptr, 0, 0);
        if (got == -1)
            return -1; // the call itself failed: waiting again would fail forever
        if (!got)
            break;
        if (!PreTranslateMessage(&m_msg)) {
            ::TranslateMessage(&m_msg);
            ::DispatchMessageA(&m_msg);
        }
        bool idleAgain = IsIdleMessage(m_msg);
        if (m_msg.message == WM_MOUSEMOVE || m_msg.message == WM_NCMOUSEMOVE) {
            idleAgain = m_msg.pt.x != lastMouse.x || m_msg.pt.y != lastMouse.y;
            lastMouse = m_msg.pt;
        }
        if (idleAgain) {
            doIdle = true;
            idleCount = 0;
        }
    }
    return static_cast<int>(m_msg.wParam);
}
