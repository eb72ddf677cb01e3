#pragma once
// Fixtures of the data-center tests: a thread-safe recording provider and a
// recording observer.
#include <windows.h>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "data/ViewNotify.h"
#include "net/DataProvider.h"
#include "tests/support/RecordingDataProvider.h"
#include "tests/support/SeriesFixtures.h"

// Records requests from any thread; asynchronous ones are answered only when
// a test calls Complete.
class LockedRecordingProvider : public IDataProvider
{
public:
    int32_t RequestSync(
        int32_t command, uint32_t userData, uint32_t value, uint32_t value2, CMemoryStream* out) override;
    int32_t RequestAsync(int32_t command, uint32_t userData, uint32_t value, uint32_t value2,
        DownloadCallback callback, uintptr_t callbackArg) override;
    std::vector<RecordedRequest> Requests() const;
    size_t Count() const;
    bool WaitForCount(size_t n, DWORD timeoutMs) const;
    // Answers request i (reply null: the failure call) on the calling thread.
    void Complete(size_t index, const std::string* reply);

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::vector<RecordedRequest> m_requests;
};

struct NoticeRecord
{
    bool quotes; // OnQuotesRefreshed, else OnStockDataUpdated
    int kind;
    uint32_t key;
    DWORD threadId;
};

class RecordingObserver : public CViewNotify
{
public:
    void OnQuotesRefreshed(CReportData* quotes) override;
    void OnStockDataUpdated(int kind, uint32_t key) override;
    std::vector<NoticeRecord> Records() const;
    size_t Count() const;
    bool WaitFor(const std::function<bool(const NoticeRecord&)>& match, DWORD timeoutMs) const;
    // Runs inside each notice, before it is recorded.
    void SetHook(std::function<void(const NoticeRecord&)> hook);

private:
    void Record(const NoticeRecord& record);
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::vector<NoticeRecord> m_records;
    std::function<void(const NoticeRecord&)> m_hook;
};
