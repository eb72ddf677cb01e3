#pragma once
// Worker threads and the one lock type of the program.
#include <windows.h>
#include <atomic>
#include <cstdint>
#include "base/HandleOwner.h"

// What the default CThread::Run calls when a task is attached.
class IThreadTask
{
public:
    virtual void Execute() = 0;
    virtual ~IThreadTask() { }
};

// Base of every thread besides the UI thread. A thread ends only by seeing
// its stop flag; nothing ever terminates one from outside.
class CThread
{
public:
    static constexpr DWORD kExitCode = 123;

    CThread();
    // Only closes the handle: owners call Stop first when the thread may run.
    virtual ~CThread();

    // Sets the stop flag and, unless called by the thread itself, waits for
    // the thread without a limit and forgets its handle.
    virtual void Stop();
    virtual void OnInit() { }
    virtual void OnExit() { }
    virtual void Run();

    // Throws the int 1 while a handle is held. Returns the handle, null when
    // the thread could not be created.
    HANDLE Start(bool autoDelete);

    bool IsStopRequested() const { return m_stop.load(std::memory_order_acquire); }
    HANDLE GetHandle() const { return m_handle; }
    uint32_t GetThreadId() const { return m_threadId; }
    void SetTask(IThreadTask* task) { m_task = task; }

private:
    static unsigned __stdcall ThreadProc(void* param);

    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;

    bool m_autoDelete;
    std::atomic<bool> m_stop;
    CKernelHandle m_handle;
    uint32_t m_threadId;
    IThreadTask* m_task;
};

// Re-entrant: the owning thread may enter it again.
class CriticalSection
{
public:
    CriticalSection() { ::InitializeCriticalSection(&m_cs); }
    virtual ~CriticalSection() { ::DeleteCriticalSection(&m_cs); }
    void Enter() { ::EnterCriticalSection(&m_cs); }
    void Leave() { ::LeaveCriticalSection(&m_cs); }

private:
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    CRITICAL_SECTION m_cs;
};

// Holds a CriticalSection for exactly the enclosing scope.
class SingleLock
{
public:
    explicit SingleLock(CriticalSection* cs)
        : m_cs(cs)
        , m_locked(false)
    {
        if (m_cs) {
            m_cs->Enter();
            m_locked = true;
        }
    }
    virtual ~SingleLock()
    {
        if (m_locked) {
            m_cs->Leave();
            m_locked = false;
        }
    }

private:
    SingleLock(const SingleLock&) = delete;
    SingleLock& operator=(const SingleLock&) = delete;
    CriticalSection* m_cs;
    bool m_locked;
};
