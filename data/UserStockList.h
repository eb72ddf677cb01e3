#pragma once
// The user's own stock list, kept in "usrstock.dat" as "key;time" lines.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/Singleton.h"

class UserStockList : public Singleton<UserStockList>
{
public:
    typedef std::pair<int32_t, int32_t> Entry; // CodeKey, time added

    // Created empty; Instance loads the data directory's file into it.
    static UserStockList* Instance();
    // Saves the data directory's file, then destroys the list.
    static void ReleaseInstance();

    UserStockList() { }

    // 0 for a null path; a file that cannot be read leaves the list alone
    // and gives 1. Each line appends one pair.
    int Load(const char* path);
    // 0 for a null path or when the file cannot be written whole (the old
    // file then stays as it was).
    int Save(const char* path) const;

    // A present key only gets the new time, in place.
    int Add(int32_t key, int32_t time);
    // Removes the first pair of the key; 0 when absent.
    int Remove(int32_t key);
    // 0 when a position is outside 0 to count - 1.
    int Swap(int a, int b);

    const std::vector<Entry>& GetEntries() const { return m_entries; }
    int GetCount() const { return static_cast<int>(m_entries.size()); }

private:
    std::vector<Entry> m_entries;
};

// The browse list of the data center: the keys of the board the user last
// opened a stock from, and a cursor; a cursor of -1 disables stepping and
// selection until it is set again.
class StockPagingList
{
public:
    StockPagingList()
        : m_cursor(0)
    {
    }

    int Add(int32_t id);
    // Removes the ids; the cursor is kept.
    void Clear() { m_ids.clear(); }
    void SetCursor(int32_t cursor) { m_cursor = cursor; }
    int32_t GetCursor() const { return m_cursor; }
    int GetCount() const { return static_cast<int>(m_ids.size()); }

    // The position of the first match, which becomes the cursor; -1 (and a
    // disabled cursor) when absent or already disabled.
    int32_t Select(int32_t id);
    // The id after (before) the cursor, wrapping; -1 when disabled or empty.
    int32_t Next();
    int32_t Previous();

private:
    std::vector<int32_t> m_ids;
    int32_t m_cursor;
};
