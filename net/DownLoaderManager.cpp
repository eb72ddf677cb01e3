#include "net/DownLoaderManager.h"

#include <new>

#include "base/GlobalDefaults.h"
#include "base/Singleton.h"
#include "net/DownloadRequestQueue.h"

namespace {

int DefaultWorkerCount()
{
    SYSTEM_INFO info;
    ::GetSystemInfo(&info);
    return static_cast<int>(info.dwNumberOfProcessors) + 1;
}

} // namespace

CDownLoaderManager* CDownLoaderManager::CreateInstance()
{
    const std::string address = QuoteServerAddress::Get();
    return new (std::nothrow) CDownLoaderManager(address.c_str(), QuoteServerPort::Get());
}

void CDownLoaderManager::SetServer(const char* address, uint16_t port)
{
    QuoteServerAddress::Set(address ? address : "");
    QuoteServerPort::Set(port);
}

// Requests left by a manager whose pool never ran still get their answer.
void CDownLoaderManager::AfterRelease()
{
    DownloadRequestQueue::Global().CancelAll();
}

CDownLoaderManager::CDownLoaderManager(
    const char* address, uint16_t port, int workers, DownloadRequestQueue* queue)
    : m_queue(queue ? *queue : DownloadRequestQueue::Global())
    , m_dispatch(address, port, m_queue)
    , m_client(address, port)
    , m_poolRunning(false)
    , m_released(false)
{
    m_poolRunning = m_dispatch.StartWorkers(workers < 0 ? DefaultWorkerCount() : workers) == 0;
    // Without a pool nothing would ever take what waits.
    if (!m_poolRunning)
        m_queue.CancelAll();
}

CDownLoaderManager::~CDownLoaderManager()
{
    Shutdown();
}

void CDownLoaderManager::Shutdown()
{
    {
        // After this no request can enter the queue through this manager, so
        // the cancellations below answer every one that did.
        SingleLock lock(&m_addLock);
        if (m_released.exchange(true))
            return;
        m_poolRunning = false;
    }
    m_dispatch.Stop();
    // Anything that slipped in while the pool was stopping.
    m_queue.CancelAll();
}

int32_t CDownLoaderManager::RequestSync(
    int32_t command, uint32_t userData, uint32_t value, uint32_t value2, CMemoryStream* out)
{
    DownloadRequest request;
    request.command = command;
    request.userData = userData;
    request.value = value;
    request.value2 = value2;
    request.out = out;
    SingleLock lock(&m_clientLock);
    return m_client.Execute(request) == 0 ? 1 : 0;
}

int32_t CDownLoaderManager::RequestAsync(int32_t command, uint32_t userData, uint32_t value, uint32_t value2,
    DownloadCallback callback, uintptr_t callbackArg)
{
    bool queued = false;
    {
        // The check, the add and the wake are one step against Shutdown,
        // which deletes the workers the wake looks at.
        SingleLock lock(&m_addLock);
        if (m_poolRunning.load() && !m_released.load()) {
            m_queue.Add(command, userData, value, value2, callback, callbackArg);
            m_dispatch.Wake();
            queued = true;
        }
    }
    if (!queued && callback)
        callback(userData, callbackArg, nullptr, 0);
    return 1;
}
