#pragma once
// What the side panel shows, apart from its windows: the rows of the user's
// stock list and the sector tree built from the block groups.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "data/CodeKey.h"
#include "data/UserStockList.h"

class GroupIndex;

// The day a user-list entry was added, "YYYY-MM-DD" in exchange time
// (UTC+8) whatever the computer's zone; 0 or less is 1970-01-01.
std::string UserListDateText(int32_t timeAdded);

struct UserListRow
{
    std::string code; // "%06X" of the key's low 24 bits
    std::string name; // code page 936
    std::string date;
    CodeKey key;
};

// One row per entry, in list order; nameOf gives a stock's name.
std::vector<UserListRow> BuildUserListRows(
    const std::vector<UserStockList::Entry>& entries, const std::function<std::string(CodeKey)>& nameOf);

struct SectorTreeGroup
{
    int32_t id;
    std::string name; // code page 936
    std::vector<CodeKey> members; // in member order
};

struct SectorTreeCategory
{
    int32_t id;
    std::string name;
    std::vector<SectorTreeGroup> groups; // empty categories stay
};

// Each category in ascending id order with the groups of its high byte whose
// low 16 bits are not 0, in ascending id order.
std::vector<SectorTreeCategory> BuildSectorTree(const GroupIndex& groups);
