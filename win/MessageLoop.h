#pragma once
// The UI thread's message loop. Message filters see every message before it
// is translated and dispatched (and may consume it); idle handlers run when
// the queue has run dry after a message that can change what is shown.
// Filters and handlers may be added or removed while the loop calls them.
#include <windows.h>
#include <vector>

class CMessageFilter
{
public:
    // True when the message was consumed and must not be dispatched.
    virtual BOOL PreTranslateMessage(MSG* msg) = 0;

protected:
    ~CMessageFilter() { }
};

class CIdleHandler
{
public:
    // True to be called again before the next message arrives.
    virtual BOOL OnIdle() = 0;

protected:
    ~CIdleHandler() { }
};

class CMessageLoop
{
public:
    // Both keep the order of registration; adding one twice is refused.
    bool AddMessageFilter(CMessageFilter* filter);
    bool RemoveMessageFilter(CMessageFilter* filter);
    bool AddIdleHandler(CIdleHandler* handler);
    bool RemoveIdleHandler(CIdleHandler* handler);

    // Runs until WM_QUIT and returns its exit code (-1 when GetMessage fails).
    int Run();

    // One pass over the filters in order; true when one consumed the message.
    BOOL PreTranslateMessage(MSG* msg);
    // One pass over the idle handlers in order; true when one asks for more.
    BOOL OnIdle(int idleCount);
    // Messages after which idle handlers run again: not mouse moves that
    // repeat the last position, not paint or the caret's timer.
    static bool IsIdleMessage(const MSG& msg);

private:
    template <class T> static bool Contains(const std::vector<T*>& list, T* item);
    template <class T> static bool AddUnique(std::vector<T*>& list, T* item);
    template <class T> static bool Remove(std::vector<T*>& list, T* item);

    std::vector<CMessageFilter*> m_filters;
    std::vector<CIdleHandler*> m_idleHandlers;
    MSG m_msg = {};
};
