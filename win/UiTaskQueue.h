#pragma once
// Work handed to a window's thread from any thread, the one way the program
// does it. A worker (under the data lock, or waiting for nothing) posts a
// callable; the window's thread runs it from its message loop, with none of
// the queue's state locked. A task of a kind that is posted again while one of
// that kind still waits is not queued twice: the waiting one runs once and
// reads the state as it is then (a burst of notices costs one refresh).
//
// A task never deletes the object that holds its queue.
//
// A window that takes tasks holds a CUiTaskQueue, attaches it when its window
// exists (WM_CREATE, WM_INITDIALOG) and chains its message map to it
// (CHAIN_MSG_MAP_MEMBER), where no earlier handler keeps WM_DESTROY from it. At
// WM_DESTROY the queue lets go of the window: what still waits is dropped, and
// later posts are refused. An owner that is not a
// window holds a CUiTaskWindow, a message-only window of its own.
//
// The queue's lock is the innermost of all: posting never waits for the UI
// thread and never sends, so it is safe under the data lock or a view lock.
//
// Window messages the program still posts or sends itself, and why each is a
// message rather than a task:
// - kFrameItemPressed, kFrameCaptionPopupClosed, kFrameCaptionTrackingEnded
//   and kFrameStatusPaneClicked (skin/FrameMessages.h): the skinned controls'
//   notices to whatever frame owns them; a control does not know its owner's
//   class, and tests and the driver watch them in the owner's queue.
// - WM_COMMAND (menu commands, buttons, the login thread's cancel, the list's
//   and search box's notifications) and posted key messages: they enter the
//   ordinary routing of commands and keys, which the owner's map decides.
// - The view messages of views/ViewIds.h are calls, not window messages.
// - OCM_* (win/MessageMap.h): notifications reflected back to their control.
// - The quote library's registered reply message (net/ScReciverWindow.cpp):
//   the library posts it; its name and payload are the library's.
#include "base/Thread.h"
#include "win/MessageMap.h"
#include "win/WindowImpl.h"
#include <windows.h>
#include <deque>
#include <functional>
#include <utility>

using UiTask = std::function<void()>;

class CUiTaskQueue
{
public:
    // The one message the queue posts to its window: "tasks are waiting".
    static constexpr UINT kRunTasksMessage = WM_APP + 0x100;

    CUiTaskQueue() = default;
    CUiTaskQueue(const CUiTaskQueue&) = delete;
    CUiTaskQueue& operator=(const CUiTaskQueue&) = delete;

    // UI thread: tasks run on this window's thread from now on.
    void Attach(HWND window);
    // UI thread: drops what waits; later posts are refused.
    void Detach();

    // Any thread. False (and the task dropped) when no window is attached or
    // the window's queue refuses the wake-up.
    bool Post(UiTask task);
    // Any thread: as Post, but while a task of this kind waits, another of
    // the same kind is not queued (true: the waiting one will run).
    bool PostOnce(int kind, UiTask task);

    // Runs the tasks waiting now; UI thread. The message handler calls it; a
    // test may too.
    void RunWaitingTasks();

    BEGIN_MSG_MAP(CUiTaskQueue)
        MESSAGE_HANDLER(kRunTasksMessage, OnRunTasks)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    END_MSG_MAP()

private:
    static constexpr int kNoKind = -1; // never coalesced
    struct Entry
    {
        int kind = kNoKind;
        UiTask task;
    };

    bool Queue(int kind, UiTask task);
    LRESULT OnRunTasks(UINT, WPARAM, LPARAM, BOOL&)
    {
        RunWaitingTasks();
        return 0;
    }
    // The window's own handlers and the default procedure still see it.
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
    {
        Detach();
        handled = FALSE;
        return 0;
    }

    CriticalSection m_lock; // innermost: nothing else is taken or sent under it
    HWND m_window = nullptr;
    std::deque<Entry> m_waiting;
    bool m_wakePosted = false;
};

// A task queue for an owner that has no window of its own: a message-only
// window on the thread that creates it.
class CUiTaskWindow : public CWindowImpl<CUiTaskWindow>
{
public:
    DECLARE_WND_CLASS_EX("ZtUiTaskWindow", 0, 0)

    CUiTaskWindow() = default;
    ~CUiTaskWindow() override;

    // On the thread that is to run the tasks.
    bool Create();
    void Destroy();

    bool Post(UiTask task) { return m_queue.Post(std::move(task)); }
    bool PostOnce(int kind, UiTask task) { return m_queue.PostOnce(kind, std::move(task)); }

    BEGIN_MSG_MAP(CUiTaskWindow)
        CHAIN_MSG_MAP_MEMBER(m_queue)
    END_MSG_MAP()

private:
    CUiTaskQueue m_queue;
};
