#pragma once
// The main frame's service polls: the rolling news for the ticker, the market
// status for the status bar and the login check that refreshes the server
// time, all from a poll thread: once as soon as it starts (the frame is shown
// without waiting for them), then on the schedule of ServicePollSchedule. The
// thread waits between ticks on an event, so a stop ends the wait at once; a
// download in progress is waited for (the HTTP client bounds every exchange).
// The thread touches no window: what it fetched is handed to the UI thread by
// a message posted to the poller's own message-only window, and applied there.
#include <windows.h>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/FrameParts.h"
#include "app/ServiceDownload.h"
#include "app/ServicePollSchedule.h"
#include "app/ServiceReplies.h"
#include "base/Thread.h"
#include "win/UiTaskQueue.h"

// Where the poll results land, on the UI thread.
class IServicePollTarget
{
public:
    virtual ~IServicePollTarget() { }
    virtual void ShowNews(const std::string& text) = 0;
    virtual void ShowStatus(const std::vector<StatusPane>& panes) = 0;
};

class CServicePoller : public IFramePoller, private CThread
{
public:
    static const char* const kNewsPath;
    static const char* const kStatusPath;
    static const char* const kLoginCheckPath;
    static constexpr DWORD kTickMs = 500;

    // On the UI thread (the results window is created here). baseUrl gives
    // the service's address, ending in "/".
    CServicePoller(IServicePollTarget& target, StatusPaneFonts fonts, ServiceFetcher fetch,
        std::function<std::string()> baseUrl);
    ~CServicePoller() override;

    // One poll of each on the calling thread, shown at once.
    void PollOnce();
    void Start() override;
    // Ends the wait at once, waits for a download in progress, and drops
    // whatever was not yet applied. UI thread.
    void Stop() override;

    // Tests tick faster; before Start.
    void SetTickInterval(DWORD ms) { m_tickMs = ms; }
    bool IsRunning() const { return GetHandle() != nullptr; }

    // The texts of the last news and the last non-empty status reply.
    std::string GetLastNewsText() const;
    std::string GetLastStatusText() const;

    // One poll each, on the calling thread; results go to deliver.
    void FetchRollingNews(const std::function<void(const std::string&)>& deliver);
    void PollQuoteStatus(const std::function<void(const std::vector<StatusPane>&)>& deliver);
    void CheckLogin();

private:
    enum : int { kTaskApplyResults };

    void Run() override;
    bool Fetch(const char* path, std::string& body);
    void ApplyPendingResults();
    void PollDue(const ServicePollsDue& due);
    void PostResults();

    IServicePollTarget& m_target;
    StatusPaneFonts m_fonts;
    ServiceFetcher m_fetch;
    std::function<std::string()> m_baseUrl;
    DWORD m_tickMs;
    CKernelHandle m_wake;
    CUiTaskWindow m_window; // where the results are applied: the creating thread

    mutable CriticalSection m_resultLock; // the pending results and the last texts
    bool m_newsPending;
    std::string m_pendingNews;
    bool m_statusPending;
    std::vector<StatusPane> m_pendingStatus;
    std::string m_lastNews;
    std::string m_lastStatus;
};
