#include "tests/support/ViewTesting.h"

#include "tests/support/WindowTesting.h"

int RecordingMessageProcessor::Register(UINT messageId, CMessageAcceptor* acceptor)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_registrations.emplace_back(messageId, acceptor);
    return 1;
}

int RecordingMessageProcessor::Dispatch(UINT messageId, WPARAM wParam, LPARAM lParam)
{
    m_log.Append({ messageId, wParam, lParam, ::GetCurrentThreadId() });
    std::vector<CMessageAcceptor*> acceptors;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (const auto& registration : m_registrations) {
            if (registration.first == messageId)
                acceptors.push_back(registration.second);
        }
    }
    for (CMessageAcceptor* acceptor : acceptors)
        acceptor->Accept(messageId, wParam, lParam);
    return 0;
}

std::vector<std::pair<UINT, CMessageAcceptor*>> RecordingMessageProcessor::Registrations() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_registrations;
}

std::vector<UINT> RecordingMessageProcessor::RegisteredIds(const CMessageAcceptor* acceptor) const
{
    std::vector<UINT> ids;
    for (const auto& registration : Registrations()) {
        if (registration.second == acceptor)
            ids.push_back(registration.first);
    }
    return ids;
}

std::vector<DispatchRecord> RecordingMessageProcessor::DispatchesOf(UINT messageId) const
{
    std::vector<DispatchRecord> found;
    for (const DispatchRecord& record : m_log.Items()) {
        if (record.messageId == messageId)
            found.push_back(record);
    }
    return found;
}

int RecordingAcceptor::Accept(UINT messageId, WPARAM wParam, LPARAM lParam)
{
    m_log.Append({ messageId, wParam, lParam, ::GetCurrentThreadId() });
    return 1;
}

CViewTestHost::CViewTestHost(int width, int height)
{
    RECT rect = { 0, 0, width, height };
    Create(nullptr, rect, "ViewTestHost");
    if (m_hWnd)
        ShowWithoutActivating(m_hWnd);
}

CViewTestHost::~CViewTestHost()
{
    if (m_hWnd)
        DestroyWindow();
}

RECT CViewTestHost::ClientRect() const
{
    RECT rect = {};
    ::GetClientRect(m_hWnd, &rect);
    return rect;
}
