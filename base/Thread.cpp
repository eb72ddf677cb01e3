#include "base/Thread.h"

#include <process.h>
#include <cassert>

CThread::CThread()
    : m_autoDelete(false)
    , m_stop(false)
    , m_threadId(0)
    , m_task(nullptr)
{
}

CThread::~CThread()
{
    // A thread still running here would use a freed object.
    assert(!m_handle || ::WaitForSingleObject(m_handle, 0) != WAIT_TIMEOUT
        || ::GetCurrentThreadId() == m_threadId);
}

void CThread::Stop()
{
    m_stop.store(true, std::memory_order_release);
    if (!m_handle)
        return;
    // The thread asking itself to stop must not wait for itself.
    if (::GetCurrentThreadId() == m_threadId)
        return;
    ::WaitForSingleObject(m_handle, INFINITE);
    m_handle.Reset();
}

void CThread::Run()
{
    if (m_task)
        m_task->Execute();
}

HANDLE CThread::Start(bool autoDelete)
{
    if (m_handle)
        throw 1;
    m_autoDelete = autoDelete;
    m_stop.store(false, std::memory_order_release);
    // Created suspended so that handle and id are stored before an
    // auto-delete thread could free this object.
    unsigned id = 0;
    uintptr_t h = _beginthreadex(nullptr, 0, &CThread::ThreadProc, this, CREATE_SUSPENDED, &id);
    if (h == 0)
        return nullptr;
    HANDLE handle = reinterpret_cast<HANDLE>(h);
    m_handle.Attach(handle);
    m_threadId = id;
    ::ResumeThread(handle);
    return handle;
}

unsigned __stdcall CThread::ThreadProc(void* param)
{
    CThread* self = static_cast<CThread*>(param);
    const bool autoDelete = self->m_autoDelete;
    // C++ exceptions end a step; processor faults are not swallowed, since
    // resuming after one would leave locks entered.
    bool initFailed = false;
    try {
        self->OnInit();
    } catch (...) {
        initFailed = true;
    }
    if (initFailed && autoDelete) {
        delete self;
        _endthreadex(kExitCode);
        return kExitCode;
    }
    try {
        self->Run();
    } catch (...) {
    }
    try {
        self->OnExit();
    } catch (...) {
    }
    if (autoDelete)
        delete self;
    _endthreadex(kExitCode);
    return kExitCode;
}
