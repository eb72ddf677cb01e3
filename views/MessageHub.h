#pragma once
// The program's one message hub: the views register acceptors for view
// message numbers (ViewMessageId) and anybody dispatches to every acceptor
// registered for a number, in order of registration. The content panel owns
// it and hands it to the views it makes. UI thread only.
#include "views/MessageProcessor.h"
#include <windows.h>
#include <map>

class CMessageHub : public CMessageProcessor
{
public:
    // 1; a null acceptor is not registered.
    int Register(UINT messageId, CMessageAcceptor* acceptor) override;
    // Every acceptor of the number at the call, in order of registration;
    // one that registers or unregisters meanwhile changes the next dispatch,
    // not this one. 0.
    int Dispatch(UINT messageId, WPARAM wParam, LPARAM lParam) override;

    // Every registration of the acceptor goes (it is about to be destroyed).
    void Unregister(const CMessageAcceptor* acceptor);
    void Clear() { m_acceptors.clear(); }
    size_t RegistrationCount() const { return m_acceptors.size(); }

private:
    // By number, in order of registration within a number.
    std::multimap<UINT, CMessageAcceptor*> m_acceptors;
};
