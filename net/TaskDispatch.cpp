#include "net/TaskDispatch.h"

#include <new>

#include "net/DownloadRequestQueue.h"

StopOrSignal WaitForStopOr(HANDLE stop, HANDLE signal, DWORD timeoutMs)
{
    HANDLE waits[2] = { stop, signal };
    switch (::WaitForMultipleObjects(2, waits, FALSE, timeoutMs)) {
    case WAIT_OBJECT_0 + 1:
        return StopOrSignal::kSignal;
    case WAIT_TIMEOUT:
        return StopOrSignal::kTimeout;
    default:
        return StopOrSignal::kStop;
    }
}

CDownloadObject::CDownloadObject(const char* address, uint16_t port, DownloadRequestQueue& queue)
    : m_queue(queue)
    , m_stopAll(nullptr)
    , m_work(nullptr)
    , m_slots(nullptr)
    , m_wake(nullptr)
    , m_client(address, port)
    , m_busy(0)
{
}

CDownloadObject::~CDownloadObject()
{
    CThread::Stop();
}

int CDownloadObject::SetHandles(HANDLE stopAll, HANDLE work, HANDLE slots, HANDLE wake)
{
    m_stopAll = stopAll;
    m_client.SetStopEvent(stopAll);
    m_work = work;
    m_slots = slots;
    m_wake = wake;
    return Start(false) ? 1 : 0;
}

bool CDownloadObject::IsIdle()
{
    SingleLock lock(&m_busyLock);
    return m_busy == 0;
}

void CDownloadObject::Run()
{
    ServeUntilStopped(*this, m_stopAll, m_work, [this] {
        {
            SingleLock lock(&m_busyLock);
            m_busy = 1;
        }
        // What waits when a request ends is taken at once, newest first as
        // the dispatcher would hand it out, without a round through the
        // dispatcher and a wake-up; once the pool is told to stop nothing
        // more is taken (the dispatcher fails what waits). The stop is looked
        // at only when there is something to take: each look is a call into
        // the system, which the next exchange would wait behind. The wake
        // that brought the worker here has just seen the stop clear.
        for (bool woken = true;; woken = false) {
            if (!woken
                && (m_queue.IsEmpty() || IsStopRequested()
                    || ::WaitForSingleObject(m_stopAll, 0) != WAIT_TIMEOUT))
                break;
            DownloadRequest request;
            if (!m_queue.PopPending(request))
                break;
            m_client.Execute(request, QuoteRequestClient::kStopJustSeenClear);
        }
        {
            SingleLock lock(&m_busyLock);
            m_busy = 0;
        }
        // A request queued after the last look above found this worker busy
        // and woke nobody: the dispatcher hands it out. Looked at after the
        // busy flag is cleared, so such a request is either seen here or
        // finds this worker idle.
        if (m_wake && !m_queue.IsEmpty())
            ::SetEvent(m_wake);
        // Past the maximum this fails, which is harmless.
        ::ReleaseSemaphore(m_slots, 1, nullptr);
        return true;
    });
}

CTaskDispatch::CTaskDispatch(const char* address, uint16_t port, DownloadRequestQueue& queue)
    : m_stopAll(::CreateEventA(nullptr, TRUE, FALSE, nullptr))
    , m_dispatcherStop(::CreateEventA(nullptr, FALSE, FALSE, nullptr))
    , m_work(::CreateEventA(nullptr, FALSE, FALSE, nullptr))
    , m_wake(::CreateEventA(nullptr, FALSE, FALSE, nullptr))
    , m_passes(0)
    , m_address(address ? address : "")
    , m_port(port)
    , m_queue(queue)
{
}

CTaskDispatch::~CTaskDispatch()
{
    if (GetHandle())
        Stop();
    if (!m_workers.empty()) {
        ::SetEvent(m_stopAll);
        DeleteWorkers();
    }
}

HRESULT CTaskDispatch::StartWorkers(int n)
{
    if (n < 1)
        return E_FAIL;
    if (!m_slots)
        m_slots.Attach(::CreateSemaphoreA(nullptr, n, n, nullptr));
    if (!m_slots || !m_work || !m_stopAll || !m_dispatcherStop || !m_wake)
        return E_FAIL;
    HRESULT hr = CreateWorkers(n);
    if (FAILED(hr))
        return hr;
    if (!Start(false)) {
        ::SetEvent(m_stopAll);
        DeleteWorkers();
        return E_FAIL;
    }
    return 0;
}

HRESULT CTaskDispatch::CreateWorkers(int n)
{
    for (int i = 0; i < n; ++i) {
        std::unique_ptr<CDownloadObject> worker(
            new (std::nothrow) CDownloadObject(m_address.c_str(), m_port, m_queue));
        if (worker && worker->SetHandles(m_stopAll, m_work, m_slots, m_wake)) {
            m_workers.push_back(std::move(worker));
            continue;
        }
        ::SetEvent(m_stopAll);
        DeleteWorkers();
        return E_FAIL;
    }
    return 0;
}

bool CTaskDispatch::AnyWorkerIdle()
{
    for (const auto& worker : m_workers) {
        if (worker->IsIdle())
            return true;
    }
    return false;
}

void CTaskDispatch::DeleteWorkers()
{
    m_workers.clear();
}

void CTaskDispatch::Stop()
{
    if (m_dispatcherStop)
        ::SetEvent(m_dispatcherStop);
    CThread::Stop();
}

void CTaskDispatch::Wake()
{
    // An idle worker takes the request at once. The dispatcher is woken only
    // when more wait than that worker will take, to wake others: each wake
    // is a call into the system and each dispatcher pass several, which the
    // exchanges just starting would wait behind. When every worker is busy
    // nobody is woken: each takes what waits when it finishes, and one that
    // goes idle with requests waiting wakes the dispatcher.
    if (!AnyWorkerIdle())
        return;
    if (m_work)
        ::SetEvent(m_work);
    if (m_wake && m_queue.Size() > 1)
        ::SetEvent(m_wake);
}

void CTaskDispatch::Run()
{
    ServeUntilStopped(*this, m_dispatcherStop, m_slots, [this] {
        ++m_passes;
        bool goOn = true;
        // Nothing to do, or nobody to do it: wait until more requests are
        // queued than the worker woken for them takes, or a worker goes idle
        // while requests wait, rather than sleeping blindly and letting a
        // request wait for the sleep to end.
        if (m_queue.IsEmpty() || !AnyWorkerIdle())
            goOn = WaitForStopOr(m_dispatcherStop, m_wake) == StopOrSignal::kSignal;
        else
            ::SetEvent(m_work);
        ::ReleaseSemaphore(m_slots, 1, nullptr);
        return goOn;
    });
    ::SetEvent(m_stopAll);
    // Each worker finishes its running request (its callback included) first.
    for (const auto& worker : m_workers)
        worker->CThread::Stop();
    m_queue.CancelAll();
    DeleteWorkers();
}
