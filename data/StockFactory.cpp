#include "data/StockFactory.h"

#include <new>

#include "data/Stock.h"

CStockFactory::CStockFactory()
    : m_current(nullptr)
    , m_currentKey(0)
    , m_outgoingKey(0)
    , m_limit(kLimit)
    , m_wake(::CreateEventA(nullptr, TRUE, FALSE, nullptr))
    , m_requestsPosted(::CreateEventA(nullptr, FALSE, FALSE, nullptr))
    , m_passes(0)
{
}

CStockFactory::~CStockFactory()
{
    Shutdown();
}

int CStockFactory::StartThread()
{
    if (m_wake)
        ::ResetEvent(m_wake);
    Start(false);
    return 0;
}

void CStockFactory::Stop()
{
    if (m_wake)
        ::SetEvent(m_wake);
    CThread::Stop();
}

CStock* CStockFactory::FindLocked(uint32_t key)
{
    auto it = m_active.find(key);
    if (it == m_active.end())
        return nullptr;
    it->second.stamp = Now();
    it->second.stock->SetActive(1);
    return it->second.stock.get();
}

CStock* CStockFactory::Find(uint32_t key)
{
    SingleLock lock(&m_cacheLock);
    return FindLocked(key);
}

HRESULT CStockFactory::GetOrCreate(uint32_t key, CStock** out)
{
    SingleLock current(&m_currentLock);
    CStock* stock = nullptr;
    {
        // Looked up and made current in one step under the cache lock, so a
        // pass of the cache thread cannot retire it in between.
        SingleLock cache(&m_cacheLock);
        stock = FindLocked(key);
        if (!stock) {
            // A retired stock comes back: a second object over the same
            // files would overwrite them and leak when retired again.
            auto it = m_retired.find(key);
            if (it != m_retired.end()) {
                Entry& entry = m_active[key];
                entry = Entry { key, Now(), std::move(it->second.stock) };
                m_retired.erase(it);
                stock = entry.stock.get();
                stock->SetActive(1);
            }
        }
        if (stock)
            MakeCurrentLocked(key, stock);
    }
    if (!stock) {
        // Loading reads the files and fetches the diagnosis: not under the cache lock.
        stock = new (std::nothrow) CStock(key);
        if (stock)
            stock->Load();
        SingleLock cache(&m_cacheLock);
        MakeCurrentLocked(stock ? key : 0, stock);
    }
    if (out)
        *out = stock;
    return stock ? S_OK : E_FAIL;
}

void CStockFactory::MakeCurrentLocked(uint32_t key, CStock* stock)
{
    // The stock that stops being current is still the caller's until it
    // comes back through HandBack: no pass may retire (and so delete) it
    // meanwhile.
    if (m_current && m_current != stock)
        m_outgoingKey.store(m_currentKey.load());
    m_current = stock;
    m_currentKey.store(key);
}

int CStockFactory::HandBack(uint32_t key, CStock* stock)
{
    if (!stock)
        return 0;
    SingleLock lock(&m_cacheLock);
    if (key == m_outgoingKey.load())
        m_outgoingKey.store(0);
    if (m_active.find(key) == m_active.end())
        m_active[key] = Entry { key, Now(), std::unique_ptr<CStock>(stock) };
    return 0;
}

void CStockFactory::RequestPendingData()
{
    SingleLock lock(&m_currentLock);
    if (m_current)
        m_current->IssuePendingRequests();
}

void CStockFactory::WakeForRequests()
{
    if (m_requestsPosted)
        ::SetEvent(m_requestsPosted);
}

void CStockFactory::TrimCache()
{
    SingleLock lock(&m_cacheLock);
    if (static_cast<int32_t>(m_active.size()) < m_limit)
        return;
    const uint32_t now = Now();
    const uint32_t current = m_currentKey.load();
    const uint32_t outgoing = m_outgoingKey.load();
    uint32_t bestAge = 0;
    EntryMap::iterator pick = m_active.end();
    for (auto it = m_active.begin(); it != m_active.end(); ++it) {
        if (it->first == current || it->first == outgoing)
            continue;
        // Unsigned: right across the wrap of the tick count.
        const uint32_t age = now - it->second.stamp;
        if (age > bestAge) {
            bestAge = age;
            pick = it;
        }
    }
    if (pick == m_active.end())
        return;
    m_retired.insert(std::move(*pick));
    m_active.erase(pick);
}

void CStockFactory::ReleaseRetired()
{
    SingleLock lock(&m_cacheLock);
    for (auto it = m_retired.begin(); it != m_retired.end();) {
        if (it->second.stock->IsBusy()) {
            ++it;
            continue;
        }
        it = m_retired.erase(it);
    }
}

void CStockFactory::Run()
{
    // A chart waiting for its bars would otherwise wait for the rest of the
    // pause as well: marks posted between passes are sent when they are
    // posted, while retiring and deleting keep the passes' pace.
    const HANDLE wakes[2] = { m_wake.Get(), m_requestsPosted.Get() };
    const DWORD wakeCount = wakes[0] && wakes[1] ? 2 : 0;
    while (!IsStopRequested()) {
        TrimCache();
        RequestPendingData();
        ReleaseRetired();
        m_passes.fetch_add(1);
        const ULONGLONG passEnd = ::GetTickCount64() + PassIntervalMs();
        for (;;) {
            const ULONGLONG now = ::GetTickCount64();
            if (IsStopRequested() || now >= passEnd)
                break;
            const DWORD left = static_cast<DWORD>(passEnd - now);
            if (wakeCount == 0) {
                ::Sleep(left);
                break;
            }
            if (::WaitForMultipleObjects(wakeCount, wakes, FALSE, left) != WAIT_OBJECT_0 + 1)
                break;
            RequestPendingData();
        }
    }
}

int CStockFactory::Shutdown()
{
    Stop();
    EntryMap active;
    EntryMap retired;
    {
        SingleLock current(&m_currentLock);
        SingleLock cache(&m_cacheLock);
        active.swap(m_active);
        retired.swap(m_retired);
        m_current = nullptr;
        m_currentKey.store(0);
        m_outgoingKey.store(0);
    }
    // The stocks are deleted as the maps go, outside the locks: a stock still
    // waiting for a reply is deleted once that reply's callback has run, and
    // the callback takes the data lock.
    return 0;
}

size_t CStockFactory::GetActiveCount() const
{
    SingleLock lock(&m_cacheLock);
    return m_active.size();
}

size_t CStockFactory::GetRetiredCount() const
{
    SingleLock lock(&m_cacheLock);
    return m_retired.size();
}

bool CStockFactory::IsActive(uint32_t key) const
{
    SingleLock lock(&m_cacheLock);
    return m_active.count(key) != 0;
}

bool CStockFactory::IsRetired(uint32_t key) const
{
    SingleLock lock(&m_cacheLock);
    return m_retired.count(key) != 0;
}

bool CStockFactory::GetStamp(uint32_t key, uint32_t* stamp) const
{
    SingleLock lock(&m_cacheLock);
    auto it = m_active.find(key);
    if (it == m_active.end())
        return false;
    if (stamp)
        *stamp = it->second.stamp;
    return true;
}
