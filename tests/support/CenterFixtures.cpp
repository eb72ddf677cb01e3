#include "tests/support/CenterFixtures.h"

#include <chrono>

#include "base/MemoryStream.h"

int32_t LockedRecordingProvider::RequestSync(
    int32_t command, uint32_t userData, uint32_t value, uint32_t value2, CMemoryStream*)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_requests.push_back(RecordedRequest { command, userData, value, value2, nullptr, 0 });
    m_changed.notify_all();
    return 0;
}

int32_t LockedRecordingProvider::RequestAsync(int32_t command, uint32_t userData, uint32_t value,
    uint32_t value2, DownloadCallback callback, uintptr_t callbackArg)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_requests.push_back(RecordedRequest { command, userData, value, value2, callback, callbackArg });
    m_changed.notify_all();
    return 1;
}

std::vector<RecordedRequest> LockedRecordingProvider::Requests() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

size_t LockedRecordingProvider::Count() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests.size();
}

bool LockedRecordingProvider::WaitForCount(size_t n, DWORD timeoutMs) const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(
        lock, std::chrono::milliseconds(timeoutMs), [&] { return m_requests.size() >= n; });
}

void LockedRecordingProvider::Complete(size_t index, const std::string* reply)
{
    RecordingDataProvider one;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        one.requests.push_back(m_requests.at(index));
    }
    // Outside the lock: the callback may send the next request.
    one.Complete(0, reply);
}

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
    std::lock_guard<std::mutex> lock(m_mutex);
    m_hook = std::move(hook);
}

void RecordingObserver::Record(const NoticeRecord& record)
{
    std::function<void(const NoticeRecord&)> hook;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        hook = m_hook;
    }
    if (hook)
        hook(record);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_records.push_back(record);
    m_changed.notify_all();
}

std::vector<NoticeRecord> RecordingObserver::Records() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_records;
}

size_t RecordingObserver::Count() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_records.size();
}

bool RecordingObserver::WaitFor(const std::function<bool(const NoticeRecord&)>& match, DWORD timeoutMs) const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        for (const NoticeRecord& r : m_records) {
            if (match(r))
                return true;
        }
        return false;
    });
}
