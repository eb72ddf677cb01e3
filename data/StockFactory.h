#pragma once
// The stock cache and its thread: keeps the recently used stocks, turns the
// current stock's request marks into requests, retires the least recently
// used stock when the cache is full and deletes retired stocks once no
// request of theirs is in flight.
#include <windows.h>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>

#include "base/Thread.h"

class CStock;

class CStockFactory : public CThread
{
public:
    struct Entry
    {
        uint32_t key;
        uint32_t stamp; // GetTickCount at the last use
        std::unique_ptr<CStock> stock;
    };
    typedef std::map<uint32_t, Entry> EntryMap;

    static const int kLimit = 10;
    static const DWORD kPassIntervalMs = 200;

    CStockFactory();
    // Shuts down when that has not been done.
    ~CStockFactory() override;

    // Starts the cache thread; 0.
    int StartThread();
    // Wakes the thread from its pause, then stops it and waits for it.
    void Stop() override;

    // The active map's stock, marked active and stamped now; null when absent.
    CStock* Find(uint32_t key);
    // The cached stock (a retired one is taken back into the cache), or a new
    // one loaded from its files; it becomes the current stock. E_FAIL with
    // out null when a new stock cannot be made.
    HRESULT GetOrCreate(uint32_t key, CStock** out);
    // Puts a stock that stopped being current into the cache, stamped now;
    // a key already cached keeps its entry. 0.
    int HandBack(uint32_t key, CStock* stock);

    void RequestPendingData();
    // Has the thread send the current stock's marks now instead of at its
    // next pass; the pass itself keeps its pace.
    void WakeForRequests();
    // Retires the least recently used stock when the cache is full; neither
    // the current stock nor the one it replaced, until that is handed back,
    // is retired.
    void TrimCache();
    // Deletes retired stocks that have no request in flight.
    void ReleaseRetired();
    void Run() override;
    // Stops the thread, then deletes every cached stock. 0.
    int Shutdown();

    uint32_t GetCurrentKey() const { return m_currentKey.load(); }
    size_t GetActiveCount() const;
    size_t GetRetiredCount() const;
    bool IsActive(uint32_t key) const;
    bool IsRetired(uint32_t key) const;
    bool GetStamp(uint32_t key, uint32_t* stamp) const;
    // Passes of the cache thread completed so far.
    uint32_t GetPassCount() const { return m_passes.load(); }

protected:
    // The clock of the time stamps.
    virtual uint32_t Now() const { return ::GetTickCount(); }
    // The pause between two passes.
    virtual DWORD PassIntervalMs() const { return kPassIntervalMs; }

private:
    CStock* FindLocked(uint32_t key);
    // Under both locks.
    void MakeCurrentLocked(uint32_t key, CStock* stock);

    EntryMap m_active;
    EntryMap m_retired;
    CStock* m_current; // not owned through this field
    std::atomic<uint32_t> m_currentKey;
    // The stock replaced as current and not yet handed back (0: none).
    std::atomic<uint32_t> m_outgoingKey;
    CriticalSection m_currentLock;
    mutable CriticalSection m_cacheLock;
    int32_t m_limit;
    CKernelHandle m_wake;
    // Set when marks are posted between passes; auto-reset.
    CKernelHandle m_requestsPosted;
    std::atomic<uint32_t> m_passes;
};
