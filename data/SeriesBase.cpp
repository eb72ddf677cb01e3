#include "data/SeriesBase.h"

#include "data/DataLock.h"
#include "data/DataUpdateNotify.h"

CBase::CBase()
    : m_notifier(nullptr)
    , m_firstTime(0)
    , m_lastTime(0)
    , m_key(0)
    , m_pending(0)
    , m_dirty(0)
    , m_count(0)
    , m_kind(0)
    , m_active(1)
{
}

CBase::CBase(const CBase& other)
    : m_notifier(other.m_notifier)
    , m_firstTime(other.m_firstTime)
    , m_lastTime(other.m_lastTime)
    , m_key(other.m_key)
    , m_pending(other.m_pending.load())
    , m_dirty(other.m_dirty.load())
    , m_path(other.m_path)
    , m_count(other.m_count)
    , m_kind(other.m_kind)
    , m_active(other.m_active.load())
{
}

CBase::~CBase()
{
}

void CBase::SetNotifier(CDataUpdateNotiy* notifier)
{
    m_notifier = notifier;
}

int CBase::CopyHeaderTo(CBase* target)
{
    if (!target || target == this)
        return 0;
    target->m_notifier = m_notifier;
    target->m_firstTime = m_firstTime;
    target->m_lastTime = m_lastTime;
    target->m_key = m_key;
    target->m_path = m_path;
    target->m_count = m_count;
    target->m_pending.store(0);
    target->m_dirty.store(0);
    return 0;
}

void CBase::SetActive(int active)
{
    m_active.store(active);
}

int CBase::IsRequestPending()
{
    return m_pending.load();
}

void CBase::OnDownloadComplete(uint32_t userData, uintptr_t series, CMemoryStream* stream, int32_t ok)
{
    CBase* target = reinterpret_cast<CBase*>(series);
    if (!target)
        return;
    // A failure takes no lock: it may arrive on the cache thread inside the
    // current-stock lock, and the data lock is never taken after that one.
    if (ok && stream && target->IsValid()) {
        SingleLock lock(&GetDataLock());
        // A refused reply changed nothing: there is nothing to tell.
        if (target->Merge(userData, stream)) {
            if (CDataUpdateNotiy* notifier = target->m_notifier)
                notifier->OnDataUpdate(target->m_kind, target->m_key);
        }
    }
    // The owner may delete the series as soon as this is clear.
    target->m_pending.store(0);
}
