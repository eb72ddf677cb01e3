#include "net/TaskDispatch.h"

#include <new>

#include "net/DownloadRequestQueue.h"

namespace {
const DWORD kIdlePollMs = 50;
}

CDownloadObject::CDownloadObject(const char* address, uint16_t port, DownloadRequestQueue& queue)
    : m_queue(queue)
    , m_stopAll(nullptr)
    , m_work(nullptr)
    , m_slots(nullptr)
    , m_client(address, port)
    , m_busy(0)
{
}

CDownloadObject::~CDownloadObject()
{
    CThread::Stop();
}

int CDownloadObject::SetHandles(HANDLE stopAll, HANDLE work, HANDLE slots)
{
    m_stopAll = stopAll;
    m_work = work;
    m_slots = slots;
    return Start(false) ? 1 : 0;
}

bool CDownloadObject::IsIdle()
{
    SingleLock lock(&m_busyLock);
    return m_busy == 0;
}

void CDownloadObject::Run()
{
    HANDLE waits[2] = { m_stopAll, m_work };
    while (!IsStopRequested()) {
        DWORD result = ::WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        if (result == WAIT_OBJECT_0)
            break;
        if (result != WAIT_OBJECT_0 + 1)
            continue;
        {
            SingleLock lock(&m_busyLock);
            m_busy = 1;
        }
        DownloadRequest request;
        if (m_queue.PopPending(request))
            m_client.Execute(request);
        {
            SingleLock lock(&m_busyLock);
            m_busy = 0;
        }
        // Past the maximum this fails, which is harmless.
        ::ReleaseSemaphore(m_slots, 1, nullptr);
    }
}

CTaskDispatch::CTaskDispatch(const char* address, uint16_t port, DownloadRequestQueue& queue)
    : m_stopAll(::CreateEventA(nullptr, TRUE, FALSE, nullptr))
    , m_dispatcherStop(::CreateEventA(nullptr, FALSE, FALSE, nullptr))
    , m_work(::CreateEventA(nullptr, FALSE, FALSE, nullptr))
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
    if (!m_slots || !m_work || !m_stopAll || !m_dispatcherStop)
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
        if (worker && worker->SetHandles(m_stopAll, m_work, m_slots)) {
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

void CTaskDispatch::Run()
{
    HANDLE waits[2] = { m_dispatcherStop, m_slots };
    while (!IsStopRequested()) {
        DWORD result = ::WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        if (result == WAIT_OBJECT_0)
            break;
        if (result != WAIT_OBJECT_0 + 1)
            continue;
        if (m_queue.IsEmpty())
            ::Sleep(kIdlePollMs);
        else if (AnyWorkerIdle())
            ::SetEvent(m_work);
        else
            ::Sleep(kIdlePollMs);
        ::ReleaseSemaphore(m_slots, 1, nullptr);
    }
    ::SetEvent(m_stopAll);
    // Each worker finishes its running request (its callback included) first.
    for (const auto& worker : m_workers)
        worker->CThread::Stop();
    m_queue.CancelAll();
    DeleteWorkers();
}
