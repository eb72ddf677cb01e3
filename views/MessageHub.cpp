#include "views/MessageHub.h"
#include <iterator>
#include <vector>

int CMessageHub::Register(UINT messageId, CMessageAcceptor* acceptor)
{
    if (acceptor)
        m_acceptors.emplace(messageId, acceptor);
    return 1;
}

int CMessageHub::Dispatch(UINT messageId, WPARAM wParam, LPARAM lParam)
{
    // Over a copy: an acceptor may create a view, and the view registers
    // its own acceptors while this dispatch runs.
    std::vector<CMessageAcceptor*> acceptors;
    const auto range = m_acceptors.equal_range(messageId);
    for (auto it = range.first; it != range.second; ++it)
        acceptors.push_back(it->second);
    for (CMessageAcceptor* acceptor : acceptors)
        acceptor->Accept(messageId, wParam, lParam);
    return 0;
}

void CMessageHub::Unregister(const CMessageAcceptor* acceptor)
{
    for (auto it = m_acceptors.begin(); it != m_acceptors.end();)
        it = it->second == acceptor ? m_acceptors.erase(it) : std::next(it);
}
