#include "views/ReportBoards.h"

#include <set>

#include "base/ChartColors.h"
#include "base/Format.h"
#include "data/GroupData.h"

const BoardTab kBoardTabs[9] = {
    { kBoardShanghaiA, "上证A股" },
    { kBoardShenzhenA, "深证A股" },
    { kBoardShanghaiIndexes, "上证指数" },
    { kBoardShenzhenIndexes, "深证指数" },
    { kBoardSmallCaps, "深中小" },
    { kBoardGrowth, "深创业" },
    { kBoardAllA, "沪深A股" },
    { kBoardUserList, "自选股" },
    { kBoardSectorMenu, "板块" },
};

const ReportColumn kReportColumns[kReportColumnCount] = {
    { "#", 45, kListCellRowNumber, 0 },
    { "代码", 80, 0, 0 },
    { "名称", 100, 0, 0 },
    { "涨幅％", 80, kListCellAmount, kListAlignRight },
    { "现价", 80, kListCellAmount, kListAlignRight },
    { "涨跌", 80, kListCellAmount, kListAlignRight },
    { "振幅％", 80, kListCellAmount, kListAlignRight },
    { "昨收", 80, kListCellAmount, kListAlignRight },
    { "今开", 80, kListCellAmount, kListAlignRight },
    { "最高", 80, kListCellAmount, kListAlignRight },
    { "最低", 80, kListCellAmount, kListAlignRight },
    { "总量", 100, kListCellAmount, kListAlignRight },
    { "总金额", 100, kListCellAmount, kListAlignRight },
};

namespace {

const COLORREF kCodeColour = 0xA9F8EF;
const COLORREF kNameColour = 0x9DF3E9;
const COLORREF kPlainColour = 0xE6E6E6;
const COLORREF kVolumeColour = 0x00C8C8;
const COLORREF kAmountColour = 0xFFFF00;

uint32_t CodeHead(CodeKey key)
{
    return (key >> 16) & 0xFF;
}

std::string Price(double value)
{
    return FormatString("%.2f", value);
}

} // namespace

bool IsKeyOnBoard(int32_t board, CodeKey key)
{
    const uint32_t market = MarketOfKey(key);
    const uint32_t head = CodeHead(key);
    switch (board) {
    case kBoardShanghaiA:
        return market == 0 && head == 0x60;
    case kBoardShenzhenA:
        return market != 0 && head == 0x00;
    case kBoardShanghaiIndexes:
        return market == 0 && head <= 0x1F;
    case kBoardShenzhenIndexes:
        return head == 0x39;
    case kBoardSmallCaps:
        return market != 0 && ((key >> 12) & 0xFFF) == 0x002;
    case kBoardGrowth:
        return market != 0 && head == 0x30;
    case kBoardAllA:
        if (market == 1)
            return head != 0x39 && head != 0x20;
        if (market == 2)
            return true;
        return market == 0 && head == 0x60;
    default:
        return false;
    }
}

std::vector<CodeKey> CollectBoardKeys(int32_t board, const QuoteMap& quotes,
    const std::vector<UserStockList::Entry>& userList, const GroupIndex* groups)
{
    std::vector<CodeKey> keys;
    if (board == kBoardUserList) {
        for (const UserStockList::Entry& entry : userList) {
            const CodeKey key = static_cast<CodeKey>(entry.first);
            if (quotes.count(key))
                keys.push_back(key);
        }
        return keys;
    }
    if (board >= kBoardShanghaiA && board < kBoardUserList) {
        for (const auto& item : quotes) {
            if (item.second.previousClose > 0 && IsKeyOnBoard(board, item.first))
                keys.push_back(item.first);
        }
        return keys;
    }
    if (!groups)
        return keys;
    const auto block = groups->GetBlocks().find(board);
    if (block == groups->GetBlocks().end() || block->second.members.empty())
        return keys;
    const std::set<CodeKey> members(block->second.members.begin(), block->second.members.end());
    for (const auto& item : quotes) {
        if (item.second.previousClose > 0 && members.count(item.first))
            keys.push_back(item.first);
    }
    return keys;
}

ReportRowCells FormatReportRow(const QuoteRecord& quote, const std::string& code, const std::string& name)
{
    ReportRowCells cells;
    const double last = quote.last;
    const double previous = quote.previousClose;
    const bool traded = last > 0;
    // Percentages of a previous close of 0 or below mean nothing (board 7
    // lists such quotes): they show "-" as untraded values do.
    const bool hasPrevious = previous > 0;
    for (int i = 0; i < kReportColumnCount; ++i) {
        cells.colour[i] = kPlainColour;
        cells.useDefaultColour[i] = false;
    }
    cells.useDefaultColour[0] = true;
    cells.text[1] = code;
    cells.colour[1] = kCodeColour;
    cells.text[2] = name;
    cells.colour[2] = kNameColour;
    cells.text[3] = traded && hasPrevious ? Price((last - previous) / previous * 100) : "-";
    cells.text[4] = traded ? Price(last) : "-";
    cells.text[5] = traded ? Price(last - previous) : "-";
    cells.colour[3] = cells.colour[4] = cells.colour[5] = PickPriceColor(previous, last);
    cells.text[6] = traded && hasPrevious ? Price((quote.high - quote.low) / previous * 100) : "-";
    cells.text[7] = Price(previous);
    cells.text[8] = traded ? Price(quote.open) : "-";
    cells.colour[8] = PickPriceColor(previous, quote.open);
    cells.text[9] = traded ? Price(quote.high) : "-";
    cells.colour[9] = PickPriceColor(previous, quote.high);
    cells.text[10] = traded ? Price(quote.low) : "-";
    cells.colour[10] = PickPriceColor(previous, quote.low);
    cells.text[11] = FormatLargeNumber(quote.volume, "-");
    cells.colour[11] = kVolumeColour;
    cells.text[12] = FormatLargeNumber(static_cast<double>(quote.amount) * 1000, "-");
    cells.colour[12] = kAmountColour;
    return cells;
}

std::vector<SectorMenuCategory> LayoutSectorMenu(const GroupIndex& groups)
{
    std::vector<SectorMenuCategory> layout;
    UINT command = kSectorCommandFirst;
    for (const auto& category : groups.GetCategories()) {
        SectorMenuCategory entry;
        entry.id = category.first;
        entry.name = category.second;
        const uint32_t high = static_cast<uint32_t>(category.first) & 0xFF000000;
        for (const auto& block : groups.GetBlocks()) {
            const uint32_t id = static_cast<uint32_t>(block.first);
            if ((id & 0xFF000000) != high || (id & 0xFFFF) == 0)
                continue;
            if (command - kSectorCommandFirst >= kMaxSectorCommands)
                break;
            SectorMenuItem item;
            item.groupId = block.first;
            item.name = block.second.name;
            item.newColumn = !entry.items.empty() && entry.items.size() % kSectorMenuColumnRows == 0;
            item.command = command++;
            entry.items.push_back(item);
        }
        layout.push_back(std::move(entry));
    }
    return layout;
}

HMENU BuildSectorMenu(const std::vector<SectorMenuCategory>& layout, std::vector<int32_t>& commandGroups)
{
    commandGroups.clear();
    HMENU menu = ::CreatePopupMenu();
    if (!menu)
        return nullptr;
    for (const SectorMenuCategory& category : layout) {
        if (category.items.empty()) {
            ::AppendMenuA(menu, MF_STRING, 0, category.name.c_str());
            continue;
        }
        HMENU sub = ::CreatePopupMenu();
        if (!sub) {
            ::AppendMenuA(menu, MF_STRING, 0, category.name.c_str());
            continue;
        }
        for (const SectorMenuItem& item : category.items) {
            ::AppendMenuA(
                sub, MF_STRING | (item.newColumn ? MF_MENUBARBREAK : 0), item.command, item.name.c_str());
            const size_t slot = item.command - kSectorCommandFirst;
            if (commandGroups.size() <= slot)
                commandGroups.resize(slot + 1, 0);
            commandGroups[slot] = item.groupId;
        }
        ::AppendMenuA(menu, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), category.name.c_str());
    }
    return menu;
}

bool SwapUserListEntriesByKey(UserStockList& list, CodeKey a, CodeKey b)
{
    const std::vector<UserStockList::Entry>& entries = list.GetEntries();
    int first = -1;
    int second = -1;
    for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
        const CodeKey key = static_cast<CodeKey>(entries[i].first);
        if (first < 0 && key == a)
            first = i;
        if (second < 0 && key == b)
            second = i;
    }
    if (first < 0 || second < 0)
        return false;
    return list.Swap(first, second) != 0;
}

int ReselectRow(bool sameBoard, int rememberedRow)
{
    if (!sameBoard)
        return 0;
    return rememberedRow < 0 ? 0 : rememberedRow;
}
