#pragma once
// The one process-wide queue of asynchronous quote requests: at most 16,
// newest first, no two waiting with the same command and stock. Every request
// that leaves it unexecuted (refused, dropped, cancelled) gets its failure call.
#include <cstdint>
#include <deque>
#include <vector>

#include "base/Thread.h"
#include "net/DownloadRequest.h"

class DownloadRequestQueue
{
public:
    static const size_t kCapacity = 16;

    // The process-wide queue, shared by every request manager of the run.
    static DownloadRequestQueue& Global();

    DownloadRequestQueue() { }
    // Discards what is left without callbacks (the process is ending).
    ~DownloadRequestQueue() { }

    // Queues a new request (state 0, no out stream, no socket).
    void Add(int32_t command, uint32_t userData, uint32_t value, uint32_t value2, DownloadCallback callback,
        uintptr_t callbackArg);
    // A waiting request with the same command and user data refuses the new
    // one; a full queue drops its oldest entry; the new one goes to the front.
    // Failure calls of refused and dropped requests are made after the lock is
    // left, on this thread, in the order they arose.
    void Insert(const DownloadRequest& request);
    // Takes the front entry as state 1; false when nothing waits.
    bool PopPending(DownloadRequest& out);
    // Fails every waiting request, front to back, and empties the queue.
    void CancelAll();
    // Drops every entry without calling anyone.
    void Discard();
    bool IsEmpty() const;
    size_t Size() const;
    // The waiting requests, front (next to run) first.
    std::vector<DownloadRequest> Entries() const;

private:
    DownloadRequestQueue(const DownloadRequestQueue&) = delete;
    DownloadRequestQueue& operator=(const DownloadRequestQueue&) = delete;

    static void Fail(const std::vector<DownloadRequest>& requests);

    mutable CriticalSection m_lock;
    std::deque<DownloadRequest> m_entries;
};
