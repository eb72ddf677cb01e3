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
#include "tests/support/LockedLog.h"
#include "tests/support/RecordingDataProvider.h"
#include "tests/support/SeriesFixtures.h"

// The recording provider for requests from any thread: synchronous requests
// fail; asynchronous ones are answered only when a test calls Complete.
class LockedRecordingProvider : public RecordingDataProvider
{
public:
    LockedRecordingProvider() { syncOk = 0; }
    std::vector<RecordedRequest> Requests() const { return m_log.Items(); }
    size_t Count() const { return m_log.Count(); }
    bool WaitForCount(size_t n, DWORD timeoutMs) const { return m_log.WaitForCount(n, timeoutMs); }
    // Answers request i (reply null: the failure call) on the calling thread.
    void Complete(size_t index, const std::string* reply) { CompleteRecordedRequest(m_log.At(index), reply); }

protected:
    void Record(const RecordedRequest& request) override { m_log.Append(request); }

private:
    LockedLog<RecordedRequest> m_log;
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
    std::vector<NoticeRecord> Records() const { return m_records.Items(); }
    size_t Count() const { return m_records.Count(); }
    bool WaitFor(const std::function<bool(const NoticeRecord&)>& match, DWORD timeoutMs) const;
    // Runs inside each notice, before it is recorded.
    void SetHook(std::function<void(const NoticeRecord&)> hook);

private:
    void Record(const NoticeRecord& record);
    mutable std::mutex m_hookMutex;
    std::function<void(const NoticeRecord&)> m_hook;
    LockedLog<NoticeRecord> m_records;
};
