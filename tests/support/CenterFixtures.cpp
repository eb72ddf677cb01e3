#include "tests/support/CenterFixtures.h"

#include <chrono>

#include "base/MemoryStream.h"

void RecordingObserver::OnQuotesRefreshed(CReportData*)
{
    Record(NoticeRecord { true, 9, 0, ::GetCurrentThreadId() });
}

void RecordingObserver::OnStockDataUpdated(int kind, uint32_t key)
{
    Record(NoticeRecord { false, kind, key, ::GetCurrentThreadId() });
}

void RecordingObserver::SetHook(std::function<void(const NoticeRecord&)> hook)
{
    std::lock_guard<std::mutex> lock(m_hookMutex);
    m_hook = std::move(hook);
}

void RecordingObserver::Record(const NoticeRecord& record)
{
    std::function<void(const NoticeRecord&)> hook;
    {
        std::lock_guard<std::mutex> lock(m_hookMutex);
        hook = m_hook;
    }
    if (hook)
        hook(record);
    m_records.Append(record);
}

bool RecordingObserver::WaitFor(const std::function<bool(const NoticeRecord&)>& match, DWORD timeoutMs) const
{
    return m_records.WaitUntil(
        [&](const std::vector<NoticeRecord>& records) {
            for (const NoticeRecord& r : records) {
                if (match(r))
                    return true;
            }
            return false;
        },
        timeoutMs);
}
