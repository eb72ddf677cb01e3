#include "win/UiTaskQueue.h"

void CUiTaskQueue::Attach(HWND window)
{
    SingleLock lock(&m_lock);
    m_window = window;
    m_wakePosted = false;
}

void CUiTaskQueue::Detach()
{
    std::deque<Entry> dropped;
    {
        SingleLock lock(&m_lock);
        m_window = nullptr;
        m_wakePosted = false;
        dropped.swap(m_waiting);
    }
    // The tasks' captures are released here, outside the lock.
}

bool CUiTaskQueue::Post(UiTask task)
{
    return Queue(kNoKind, std::move(task));
}

bool CUiTaskQueue::PostOnce(int kind, UiTask task)
{
    return Queue(kind, std::move(task));
}

bool CUiTaskQueue::Queue(int kind, UiTask task)
{
    if (!task)
        return false;
    SingleLock lock(&m_lock);
    if (!m_window)
        return false;
    if (kind != kNoKind) {
        for (const Entry& entry : m_waiting)
            if (entry.kind == kind)
                return true;
    }
    // One wake-up for all that is queued until the window's thread takes it.
    if (!m_wakePosted) {
        if (!::PostMessageA(m_window, kRunTasksMessage, 0, 0))
            return false;
        m_wakePosted = true;
    }
    m_waiting.push_back(Entry { kind, std::move(task) });
    return true;
}

void CUiTaskQueue::RunWaitingTasks()
{
    size_t count = 0;
    {
        SingleLock lock(&m_lock);
        m_wakePosted = false;
        count = m_waiting.size();
    }
    // One at a time, each taken out before it runs: a task that ends the
    // window (Detach drops the rest) stops the round, and one that posts again
    // queues behind with a wake-up of its own.
    for (size_t i = 0; i < count; ++i) {
        Entry entry;
        {
            SingleLock lock(&m_lock);
            if (m_waiting.empty())
                return;
            entry = std::move(m_waiting.front());
            m_waiting.pop_front();
        }
        entry.task();
    }
}

CUiTaskWindow::~CUiTaskWindow()
{
    Destroy();
}

bool CUiTaskWindow::Create()
{
    if (m_hWnd)
        return true;
    if (!CWindowImpl<CUiTaskWindow>::Create(HWND_MESSAGE, CRect(0, 0, 0, 0), nullptr, 0))
        return false;
    m_queue.Attach(m_hWnd);
    return true;
}

void CUiTaskWindow::Destroy()
{
    if (IsWindow())
        DestroyWindow();
}
