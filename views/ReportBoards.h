#pragma once
// The quote list's boards (market segments, the user's own list, sector
// groups), the cells of a quote row, the sector menu's layout and the
// mapping of the user-list rows to list entries. No window here.
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

#include "data/CodeKey.h"
#include "data/ReportData.h"
#include "data/UserStockList.h"
#include "skin/SkinListTypes.h"

class GroupIndex;

enum ReportBoard : int32_t {
    kBoardShanghaiA = 0,
    kBoardShenzhenA = 1,
    kBoardShanghaiIndexes = 2,
    kBoardShenzhenIndexes = 3,
    kBoardSmallCaps = 4,
    kBoardGrowth = 5,
    kBoardAllA = 6,
    kBoardUserList = 7,
    kBoardSectorMenu = 8, // the tab opens the sector menu; never a board
};

struct BoardTab
{
    int32_t board;
    char label[20]; // code page 936
};
extern const BoardTab kBoardTabs[9];

// Boards 0 to 7 are fixed; any other value is a sector group id.
inline bool IsFixedBoard(int32_t board)
{
    return board >= kBoardShanghaiA && board <= kBoardUserList;
}

// The key test of boards 0 to 6 (false for any other board).
bool IsKeyOnBoard(int32_t board, CodeKey key);

// The keys of a board in row order. Boards 0 to 6 and sector groups walk
// the quotes in key order and skip previous closes of 0 or below; board 7
// follows the user list and lists every entry that has a quote; an unknown
// group gives nothing.
std::vector<CodeKey> CollectBoardKeys(int32_t board, const QuoteMap& quotes,
    const std::vector<UserStockList::Entry>& userList, const GroupIndex* groups);

// The columns.
const int kReportColumnCount = 13;
struct ReportColumn
{
    const char* title;
    int width;
    int kind; // cell kind of the skinned list
    int format;
};
extern const ReportColumn kReportColumns[kReportColumnCount];

// One row's texts and text colours; useDefaultColour for column 0.
struct ReportRowCells
{
    std::string text[kReportColumnCount];
    COLORREF colour[kReportColumnCount];
    bool useDefaultColour[kReportColumnCount];
};
ReportRowCells FormatReportRow(const QuoteRecord& quote, const std::string& code, const std::string& name);

// The sector menu: per category its groups (same high byte, low 16 bits
// not 0), ascending; every 21st group of a category starts a new column.
// Groups are chosen through private command ids, so that a group id (wider
// than a command) never reaches the command forwarder.
const UINT kSectorCommandFirst = 20000;
const size_t kMaxSectorCommands = 0xFFFF - kSectorCommandFirst;
const int kSectorMenuColumnRows = 20;
struct SectorMenuItem
{
    int32_t groupId;
    std::string name;
    bool newColumn;
    UINT command;
};
struct SectorMenuCategory
{
    int32_t id;
    std::string name;
    std::vector<SectorMenuItem> items;
};
std::vector<SectorMenuCategory> LayoutSectorMenu(const GroupIndex& groups);
// Builds the pop-up (categories without groups stay plain items) and fills
// commandGroups so that commandGroups[id - kSectorCommandFirst] is the
// group of command id. The caller destroys the menu.
HMENU BuildSectorMenu(const std::vector<SectorMenuCategory>& layout, std::vector<int32_t>& commandGroups);

// A row of board 7 moved onto another: the user list's entries of the two
// rows' keys are exchanged. Rows are not positions in the list (stocks
// without a quote have no row), so the entries are found by key. False when
// either key is not in the list.
bool SwapUserListEntriesByKey(UserStockList& list, CodeKey a, CodeKey b);

// The row to select after a filling: the remembered row on the same board
// (none counts as 0), else 0.
int ReselectRow(bool sameBoard, int rememberedRow);
