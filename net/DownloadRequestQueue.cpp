#include "net/DownloadRequestQueue.h"

DownloadRequestQueue& DownloadRequestQueue::Global()
{
    static DownloadRequestQueue queue;
    return queue;
}

void DownloadRequestQueue::Fail(const std::vector<DownloadRequest>& requests)
{
    for (const DownloadRequest& request : requests) {
        if (!request.callback)
            continue;
        // One throwing callback must not cost the others their answer.
        try {
            request.callback(request.userData, request.callbackArg, nullptr, 0);
        } catch (...) {
        }
    }
}

void DownloadRequestQueue::Add(int32_t command, uint32_t userData, uint32_t value, uint32_t value2,
    DownloadCallback callback, uintptr_t callbackArg)
{
    DownloadRequest request;
    request.command = command;
    request.userData = userData;
    request.value = value;
    request.value2 = value2;
    request.callback = callback;
    request.callbackArg = callbackArg;
    Insert(request);
}

void DownloadRequestQueue::Insert(const DownloadRequest& request)
{
    std::vector<DownloadRequest> failed;
    {
        SingleLock lock(&m_lock);
        bool duplicate = false;
        for (const DownloadRequest& entry : m_entries) {
            if (entry.command == request.command && entry.userData == request.userData) {
                duplicate = true;
                break;
            }
        }
        if (duplicate) {
            failed.push_back(request);
        } else {
            while (m_entries.size() > kCapacity - 1) {
                failed.push_back(m_entries.back());
                m_entries.pop_back();
            }
            m_entries.push_front(request);
            m_entries.front().state = DownloadRequest::kQueued;
        }
    }
    Fail(failed);
}

bool DownloadRequestQueue::PopPending(DownloadRequest& out)
{
    SingleLock lock(&m_lock);
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->state != DownloadRequest::kTaken) {
            out = *it;
            out.state = DownloadRequest::kTaken;
            m_entries.erase(it);
            return true;
        }
    }
    return false;
}

void DownloadRequestQueue::CancelAll()
{
    std::vector<DownloadRequest> cancelled;
    {
        SingleLock lock(&m_lock);
        cancelled.assign(m_entries.begin(), m_entries.end());
        m_entries.clear();
    }
    Fail(cancelled);
}

void DownloadRequestQueue::Discard()
{
    SingleLock lock(&m_lock);
    m_entries.clear();
}

bool DownloadRequestQueue::IsEmpty() const
{
    SingleLock lock(&m_lock);
    return m_entries.empty();
}

size_t DownloadRequestQueue::Size() const
{
    SingleLock lock(&m_lock);
    return m_entries.size();
}

std::vector<DownloadRequest> DownloadRequestQueue::Entries() const
{
    SingleLock lock(&m_lock);
    return std::vector<DownloadRequest>(m_entries.begin(), m_entries.end());
}
