#pragma once
// The message hub between the views and the content panel: views register
// acceptors for view message numbers (ViewMessageId) and anybody dispatches
// to every acceptor registered for a number, in order of registration.
#include <windows.h>

class CMessageAcceptor
{
public:
    virtual ~CMessageAcceptor() { }
    virtual int Accept(UINT messageId, WPARAM wParam, LPARAM lParam) = 0;
};

class CMessageProcessor
{
public:
    virtual ~CMessageProcessor() { }
    // 1.
    virtual int Register(UINT messageId, CMessageAcceptor* acceptor) = 0;
    // Every acceptor of the number, in order of registration; 0.
    virtual int Dispatch(UINT messageId, WPARAM wParam, LPARAM lParam) = 0;
};
