#pragma once
// The worker pool of the request manager: a dispatcher thread that wakes idle
// workers while requests wait, and the workers, each running one request at
// a time on its own client.
#include <winsock2.h>
#include <windows.h>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Thread.h"
#include "net/QuoteRequestClient.h"

class DownloadRequestQueue;

enum class StopOrSignal { kStop, kSignal, kTimeout };

// Waits for stop (listed first, so it wins when both are set) or signal. A
// wait that fails counts as stop: a loop around it ends instead of spinning.
StopOrSignal WaitForStopOr(HANDLE stop, HANDLE signal, DWORD timeoutMs = INFINITE);

// The loop of every pool thread: onSignal() each time signal is set, until
// stop is set, the thread is asked to stop, a wait fails, or onSignal returns false.
template <class OnSignal>
void ServeUntilStopped(const CThread& thread, HANDLE stop, HANDLE signal, OnSignal onSignal)
{
    while (!thread.IsStopRequested() && WaitForStopOr(stop, signal) == StopOrSignal::kSignal) {
        if (!onSignal())
            break;
    }
}

class CDownloadObject : public CThread
{
public:
    CDownloadObject(const char* address, uint16_t port, DownloadRequestQueue& queue);
    // Stops and joins the thread: the stop-all event must be set by then.
    ~CDownloadObject() override;

    // Borrows the dispatcher's handles and starts the thread: 1, or 0 when
    // the thread cannot be started.
    // wake (may be null) is set when the worker goes idle while requests wait.
    int SetHandles(HANDLE stopAll, HANDLE work, HANDLE slots, HANDLE wake = nullptr);
    bool IsIdle();
    void Run() override;

private:
    DownloadRequestQueue& m_queue;
    HANDLE m_stopAll;
    HANDLE m_work;
    HANDLE m_slots;
    HANDLE m_wake;
    QuoteRequestClient m_client;
    int32_t m_busy;
    CriticalSection m_busyLock;
};

class CTaskDispatch : public CThread
{
public:
    CTaskDispatch(const char* address, uint16_t port, DownloadRequestQueue& queue);
    // Closes the four handles; Stop must have run when the thread was started.
    ~CTaskDispatch() override;

    // Creates the handles and n workers, then starts the dispatcher: 0 or E_FAIL.
    HRESULT StartWorkers(int n);
    HRESULT CreateWorkers(int n);
    bool AnyWorkerIdle();
    void DeleteWorkers();
    // Ends the dispatcher: it stops and joins the workers, fails what still
    // waits in the queue and deletes the workers before this returns.
    void Stop() override;
    void Run() override;
    // Tells an idle worker, if there is one, that a request has been queued,
    // and the dispatcher too when more requests wait. Called only while the
    // workers exist (the request manager's add lock keeps its Shutdown out).
    void Wake();

    size_t WorkerCount() const { return m_workers.size(); }
    // Passes the dispatcher has made through its loop: it waits, rather than
    // passing again, while there is nothing it could do.
    uint64_t DispatchPasses() const { return m_passes.load(); }
    // True once the workers have been told to end.
    bool IsStopAllSet() const { return m_stopAll && ::WaitForSingleObject(m_stopAll, 0) == WAIT_OBJECT_0; }

private:
    std::vector<std::unique_ptr<CDownloadObject>> m_workers;
    CKernelHandle m_stopAll;
    CKernelHandle m_dispatcherStop;
    CKernelHandle m_work;
    CKernelHandle m_slots;
    // auto-reset: more requests were queued than one idle worker takes, or a
    // worker went idle while requests wait
    CKernelHandle m_wake;
    std::atomic<uint64_t> m_passes;
    std::string m_address;
    uint16_t m_port;
    DownloadRequestQueue& m_queue;
};
