#pragma once
// The network data provider: synchronous requests run at once on the
// caller's thread; asynchronous ones wait in the process-wide queue for the
// worker pool. One manager per login, created on first use.
#include <winsock2.h>
#include <windows.h>
#include <atomic>
#include <cstdint>
#include <string>

#include "base/Singleton.h"
#include "base/Thread.h"
#include "net/DataProvider.h"
#include "net/QuoteRequestClient.h"
#include "net/TaskDispatch.h"

class DownloadRequestQueue;

class CDownLoaderManager : public IDataProvider, public Singleton<CDownLoaderManager>
{
public:
    // Instance(): created on first use, under the singleton lock, for the
    // quote server of the global defaults at that moment; null only when it
    // cannot be allocated. PeekInstance(): the manager when one exists.
    // ReleaseInstance(): shuts the pool down (running requests finish,
    // waiting ones fail) and deletes the manager; the next Instance builds a
    // new one.
    // Sets the quote server of the global defaults, which managers created
    // from now on use.
    static void SetServer(const char* address, uint16_t port);

    // workers < 0: processors + 1 (the program's choice); 0 starts no pool.
    // queue null: the process-wide queue.
    CDownLoaderManager(
        const char* address, uint16_t port, int workers = -1, DownloadRequestQueue* queue = nullptr);
    ~CDownLoaderManager() override;

    int32_t RequestSync(
        int32_t command, uint32_t userData, uint32_t value, uint32_t value2, CMemoryStream* out) override;
    // Always 1. When no pool runs (it could not start, or the manager is
    // being released) the callback gets its failure call at once.
    int32_t RequestAsync(int32_t command, uint32_t userData, uint32_t value, uint32_t value2,
        DownloadCallback callback, uintptr_t callbackArg) override;

    bool IsPoolRunning() const { return m_poolRunning.load(); }
    size_t WorkerCount() const { return m_dispatch.WorkerCount(); }
    uint32_t DispatcherThreadId() const { return m_dispatch.GetThreadId(); }
    uint64_t DispatchPasses() const { return m_dispatch.DispatchPasses(); }
    bool IsStopping() const { return m_dispatch.IsStopAllSet(); }
    // Stops the pool for good: joins the workers and fails every waiting
    // request. Later asynchronous requests fail at once. Idempotent.
    void Shutdown();

private:
    friend class Singleton<CDownLoaderManager>;
    CDownLoaderManager(const CDownLoaderManager&) = delete;
    CDownLoaderManager& operator=(const CDownLoaderManager&) = delete;

    // The singleton's hooks.
    static CDownLoaderManager* CreateInstance();
    void PrepareRelease() { Shutdown(); }
    static void AfterRelease();

    DownloadRequestQueue& m_queue;
    CTaskDispatch m_dispatch;
    QuoteRequestClient m_client;
    CriticalSection m_clientLock; // the one synchronous client
    // Makes "still running?", the add and the wake one step against Shutdown;
    // taken before the queue's lock and the workers' busy locks.
    CriticalSection m_addLock;
    std::atomic<bool> m_poolRunning;
    std::atomic<bool> m_released;
};
