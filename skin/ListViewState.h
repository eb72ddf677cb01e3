#pragma once
// The skinned list's view state: what is selected and focused, what the
// pointer is over, the header column that is hot, pressed, dragged or
// resized, the open editor and the rubber band. The input changes it and
// painting reads it, from one place, under the list lock: owners fill and
// select from worker threads while the input works on the window's thread.
#include "base/Thread.h"

#include <windows.h>

#include <set>

struct ListViewState
{
    std::set<int> selection;
    int anchorRow = -1;
    int focusRow = -1;
    int focusColumn = -1; // display index
    int hotRow = -1; // the cell under the pointer, -1 for none
    int hotColumn = -1;
    int tipRow = -1; // the cell whose title tip shows
    int tipColumn = -1;
    int hotHeader = -1;
    int pressedHeader = -1;
    int dragSource = -1; // the header column being dragged
    int dropPosition = -1; // where it would be dropped
    int resizeColumn = -1;
    bool editing = false; // an in-place editor is open
    bool bandActive = false;
    RECT band {}; // the rubber band, content coordinates
};

// The state with its lock held for as long as this lives: one statement when
// used as a temporary, a block when named. The lock is re-entrant; hold it
// around nothing that waits for another thread or window (a notification, a
// modal drag), so read what such a call needs into locals first.
class ListStateAccess
{
public:
    ListStateAccess(CriticalSection& lock, ListViewState& state)
        : m_lock(lock)
        , m_state(state)
    {
        m_lock.Enter();
    }
    ~ListStateAccess() { m_lock.Leave(); }
    ListStateAccess(const ListStateAccess&) = delete;
    ListStateAccess& operator=(const ListStateAccess&) = delete;

    ListViewState* operator->() const { return &m_state; }
    ListViewState& operator*() const { return m_state; }

private:
    CriticalSection& m_lock;
    ListViewState& m_state;
};
