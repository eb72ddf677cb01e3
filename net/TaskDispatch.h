#pragma once
// The worker pool of the request manager: a dispatcher thread that wakes idle
// workers while requests wait, and the workers, each running one request at
// a time on its own client.
#include <winsock2.h>
#include <windows.h>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Thread.h"
#include "net/QuoteRequestClient.h"

class DownloadRequestQueue;

class CDownloadObject : public CThread
{
public:
    CDownloadObject(const char* address, uint16_t port, DownloadRequestQueue& queue);
    // Stops and joins the thread: the stop-all event must be set by then.
    ~CDownloadObject() override;

    // Borrows the dispatcher's handles and starts the thread: 1, or 0 when
    // the thread cannot be started.
    int SetHandles(HANDLE stopAll, HANDLE work, HANDLE slots);
    bool IsIdle();
    void Run() override;

private:
    DownloadRequestQueue& m_queue;
    HANDLE m_stopAll;
    HANDLE m_work;
    HANDLE m_slots;
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

    size_t WorkerCount() const { return m_workers.size(); }
    // True once the workers have been told to end.
    bool IsStopAllSet() const { return m_stopAll && ::WaitForSingleObject(m_stopAll, 0) == WAIT_OBJECT_0; }

private:
    std::vector<std::unique_ptr<CDownloadObject>> m_workers;
    CKernelHandle m_stopAll;
    CKernelHandle m_dispatcherStop;
    CKernelHandle m_work;
    CKernelHandle m_slots;
    std::string m_address;
    uint16_t m_port;
    DownloadRequestQueue& m_queue;
};
