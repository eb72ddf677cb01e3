#include "data/UserStockList.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <set>

#include "base/CPFile.h"
#include "base/DataPaths.h"
#include "base/Format.h"
#include "data/TableFile.h"

namespace {

const size_t kMaxLineLength = 255;

// Whether text (trimmed) is a decimal number as "%d" writes it.
bool IsDecimalNumber(const std::string& text)
{
    size_t i = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
    if (i >= text.size())
        return false;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
    }
    return true;
}

int32_t ParseNumber(const std::string& text)
{
    // Written with "%d": the 32-bit pattern of whatever decimal is there.
    return static_cast<int32_t>(static_cast<uint32_t>(std::strtoll(text.c_str(), nullptr, 10)));
}

} // namespace

UserStockList* UserStockList::Instance()
{
    if (UserStockList* list = PeekInstance())
        return list;
    SingleLock lock(&SingletonLock());
    const bool created = !PeekInstance();
    UserStockList* list = Singleton<UserStockList>::Instance();
    if (created && list) {
        if (DataPaths* paths = DataPaths::Instance())
            list->Load(paths->GetUserStockFile().c_str());
    }
    return list;
}

void UserStockList::ReleaseInstance()
{
    SingleLock lock(&SingletonLock());
    if (UserStockList* list = PeekInstance()) {
        if (DataPaths* paths = DataPaths::Instance())
            list->Save(paths->GetUserStockFile().c_str());
    }
    Singleton<UserStockList>::ReleaseInstance();
}

int UserStockList::Load(const char* path)
{
    if (!path)
        return 0;
    std::string text;
    try {
        if (!ReadWholeFile(path, text, 16L * 1024 * 1024))
            return 1;
    } catch (const std::bad_alloc&) {
        return 1;
    }
    // An editor may have saved the list with a UTF-8 mark: the first line
    // starts after it.
    size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    std::set<int32_t> listed;
    for (const Entry& entry : m_entries)
        listed.insert(entry.first);
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, std::min(end - start, kMaxLineLength));
        start = end + 1;
        const size_t cut = line.find_first_of("\r;");
        // A blank line names no stock, nor does one that is no number (a
        // damaged file would otherwise list stock 0 once per line).
        const std::string keyText = TrimText(line.substr(0, cut));
        if (!IsDecimalNumber(keyText))
            continue;
        const int32_t key = ParseNumber(keyText);
        const int32_t time
            = (cut != std::string::npos && line[cut] == ';') ? ParseNumber(line.substr(cut + 1)) : 0;
        // A stock is listed once, as Add keeps it: a second line of it would
        // stay behind when the user removes the stock.
        if (listed.insert(key).second)
            m_entries.emplace_back(key, time);
    }
    return 1;
}

int UserStockList::Save(const char* path) const
{
    if (!path)
        return 0;
    std::string text;
    char line[32];
    for (const Entry& entry : m_entries) {
        std::snprintf(
            line, sizeof(line), "%d;%d\n", static_cast<int>(entry.first), static_cast<int>(entry.second));
        text += line;
    }
    return SaveFileReplacing(path, text.data(), text.size()) ? 1 : 0;
}

int UserStockList::Add(int32_t key, int32_t time)
{
    for (Entry& entry : m_entries) {
        if (entry.first == key) {
            entry.second = time;
            return 1;
        }
    }
    m_entries.emplace_back(key, time);
    return 1;
}

int UserStockList::Remove(int32_t key)
{
    auto it
        = std::find_if(m_entries.begin(), m_entries.end(), [key](const Entry& e) { return e.first == key; });
    if (it == m_entries.end())
        return 0;
    m_entries.erase(it);
    return 1;
}

int UserStockList::Swap(int a, int b)
{
    if (a < 0 || b < 0 || a >= GetCount() || b >= GetCount())
        return 0;
    std::swap(m_entries[static_cast<size_t>(a)], m_entries[static_cast<size_t>(b)]);
    return 1;
}

int StockPagingList::Add(int32_t id)
{
    m_ids.push_back(id);
    return 1;
}

int32_t StockPagingList::Select(int32_t id)
{
    if (m_cursor < 0)
        return -1;
    auto it = std::find(m_ids.begin(), m_ids.end(), id);
    m_cursor = it == m_ids.end() ? -1 : static_cast<int32_t>(it - m_ids.begin());
    return m_cursor;
}

// A cursor left past the end by a smaller refill counts as standing just
// past the last id: the next id is the first, the previous the last.
int32_t StockPagingList::Next()
{
    if (m_cursor < 0 || m_ids.empty())
        return -1;
    const int32_t count = GetCount();
    m_cursor = m_cursor + 1 >= count ? 0 : m_cursor + 1;
    return m_ids[static_cast<size_t>(m_cursor)];
}

int32_t StockPagingList::Previous()
{
    if (m_cursor < 0 || m_ids.empty())
        return -1;
    const int32_t count = GetCount();
    m_cursor = m_cursor == 0 ? count - 1 : std::min(m_cursor, count) - 1;
    return m_ids[static_cast<size_t>(m_cursor)];
}
