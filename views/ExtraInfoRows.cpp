#include "views/ExtraInfoRows.h"

#include <cstdio>

#include "base/ExchangeTime.h"
#include "data/GroupData.h"

std::string UserListDateText(int32_t timeAdded)
{
    const std::tm day = SplitExchangeTime(timeAdded);
    char text[32];
    std::snprintf(text, sizeof(text), "%04d-%02d-%02d", day.tm_year + 1900, day.tm_mon + 1, day.tm_mday);
    return text;
}

std::vector<UserListRow> BuildUserListRows(
    const std::vector<UserStockList::Entry>& entries, const std::function<std::string(CodeKey)>& nameOf)
{
    std::vector<UserListRow> rows;
    rows.reserve(entries.size());
    for (const UserStockList::Entry& entry : entries) {
        const CodeKey key = static_cast<CodeKey>(entry.first);
        char code[16];
        std::snprintf(code, sizeof(code), "%06X", static_cast<unsigned>(key & 0xFFFFFF));
        rows.push_back({ code, nameOf ? nameOf(key) : std::string(), UserListDateText(entry.second), key });
    }
    return rows;
}

std::vector<SectorTreeCategory> BuildSectorTree(const GroupIndex& groups)
{
    std::vector<SectorTreeCategory> tree;
    for (const auto& category : groups.GetCategories()) {
        SectorTreeCategory entry { category.first, category.second, {} };
        const uint32_t high = static_cast<uint32_t>(category.first) & 0xFF000000;
        for (const auto& block : groups.GetBlocks()) {
            const uint32_t id = static_cast<uint32_t>(block.first);
            if ((id & 0xFF000000) != high || (id & 0xFFFF) == 0)
                continue;
            entry.groups.push_back({ block.first, block.second.name, block.second.members });
        }
        tree.push_back(std::move(entry));
    }
    return tree;
}
