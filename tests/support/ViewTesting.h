#pragma once
// Stand-ins for the content panel in view tests: a message processor that
// records every dispatch and delivers it to the registered acceptors, and a
// host window for views (a popup on the test display).
#include <windows.h>
#include <cstdint>
#include <mutex>
#include <utility>
#include <vector>

#include "tests/support/LockedLog.h"
#include "views/MessageProcessor.h"
#include "win/WindowImpl.h"

struct DispatchRecord
{
    UINT messageId;
    WPARAM wParam;
    LPARAM lParam;
    DWORD threadId;
};

// Thread-safe: the data notices dispatch from worker threads.
class RecordingMessageProcessor : public CMessageProcessor
{
public:
    int Register(UINT messageId, CMessageAcceptor* acceptor) override;
    // Records the call, then calls every acceptor of the number in order of
    // registration (without holding any lock of the recorder).
    int Dispatch(UINT messageId, WPARAM wParam, LPARAM lParam) override;

    std::vector<std::pair<UINT, CMessageAcceptor*>> Registrations() const;
    // The ids registered by one acceptor, in order.
    std::vector<UINT> RegisteredIds(const CMessageAcceptor* acceptor) const;
    std::vector<DispatchRecord> Dispatches() const { return m_log.Items(); }
    size_t DispatchCount() const { return m_log.Count(); }
    bool WaitForDispatches(size_t n, DWORD timeoutMs) const { return m_log.WaitForCount(n, timeoutMs); }
    // The dispatches of one number.
    std::vector<DispatchRecord> DispatchesOf(UINT messageId) const;

private:
    mutable std::mutex m_mutex;
    std::vector<std::pair<UINT, CMessageAcceptor*>> m_registrations;
    LockedLog<DispatchRecord> m_log;
};

// An acceptor that records what reaches it.
class RecordingAcceptor : public CMessageAcceptor
{
public:
    int Accept(UINT messageId, WPARAM wParam, LPARAM lParam) override;
    std::vector<DispatchRecord> Accepted() const { return m_log.Items(); }

private:
    LockedLog<DispatchRecord> m_log;
};

typedef CWinTraits<WS_POPUP | WS_CLIPCHILDREN> CViewHostTraits;

// A top-level popup at (0, 0) that parents the views under test, shown
// without activation (see WindowTesting.h) and destroyed with the object.
class CViewTestHost : public CWindowImpl<CViewTestHost, CWindow, CViewHostTraits>
{
public:
    DECLARE_WND_CLASS_EX("ZentuTestViewHost", CS_DBLCLKS, COLOR_WINDOW + 1)

    CViewTestHost(int width = 900, int height = 600);
    ~CViewTestHost() override;

    HWND Handle() const { return m_hWnd; }
    RECT ClientRect() const;

    BEGIN_MSG_MAP(CViewTestHost)
    END_MSG_MAP()
};
