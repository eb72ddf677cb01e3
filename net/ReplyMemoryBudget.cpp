#include "net/ReplyMemoryBudget.h"

ReplyMemoryBudget& ReplyMemoryBudget::Global()
{
    static ReplyMemoryBudget budget;
    return budget;
}

bool ReplyMemoryBudget::TryCharge(uint64_t bytes)
{
    uint64_t charged = m_charged.load();
    for (;;) {
        const uint64_t limit = m_limit.load();
        if (bytes > limit || charged > limit - bytes)
            return false;
        if (m_charged.compare_exchange_weak(charged, charged + bytes))
            break;
    }
    const uint64_t now = charged + bytes;
    uint64_t peak = m_peak.load();
    while (now > peak && !m_peak.compare_exchange_weak(peak, now)) { }
    return true;
}

void ReplyMemoryBudget::Release(uint64_t bytes)
{
    m_charged.fetch_sub(bytes);
}

bool ReplyMemoryCharge::GrowTo(uint64_t bytes)
{
    if (bytes <= m_bytes)
        return true;
    if (!m_budget.TryCharge(bytes - m_bytes))
        return false;
    m_bytes = bytes;
    return true;
}

void ReplyMemoryCharge::Release()
{
    if (m_bytes) {
        m_budget.Release(m_bytes);
        m_bytes = 0;
    }
}
