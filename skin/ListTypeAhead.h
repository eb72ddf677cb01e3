#pragma once
// Type-ahead search of the skinned list: letters typed within 800 ms of each
// other build a prefix, and the list moves to the next row whose searched
// cell starts with it. A pure step over an injected clock.
#include <windows.h>
#include <functional>
#include <string>

class CListTypeAhead
{
public:
    typedef DWORD(WINAPI* Clock)();
    enum : DWORD { kPauseMs = 800 };

    explicit CListTypeAhead(Clock clock = ::GetTickCount)
        : m_clock(clock)
    {
    }

    // One typed letter (upper case) with the focus on currentRow (-1 for
    // none). startsWith(row, prefix) tells whether the searched cell of a row
    // starts with the prefix, ignoring case. Returns the row to select and
    // make visible, or -1 when the selection stays.
    int OnKey(char letter, int currentRow, int rowCount, const std::function<bool(int, const std::string&)>& startsWith);

    const std::string& Text() const { return m_text; }

private:
    Clock m_clock;
    std::string m_text;
    DWORD m_lastKey = 0;
    bool m_typed = false;
};
