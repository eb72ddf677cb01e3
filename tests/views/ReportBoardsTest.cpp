// The quote list's boards over a table of CodeKeys, the cells of a row, the
// sector menu's columns and the user-list swap by key.
#include <gtest/gtest.h>

#include "data/GroupData.h"
#include "tests/support/ViewFixtures.h"
#include "views/ReportBoards.h"

namespace {

const CodeKey kComposite = 0x1A0001; // Shanghai index
const CodeKey kShanghaiIndex000001 = 0x000001;
const CodeKey kPufa = 0x600000;
const CodeKey kPingAn = 0x01000001; // Shenzhen 000001
const CodeKey kSmallCap = 0x01002001;
const CodeKey kGrowth = 0x01300001;
const CodeKey kShenzhenIndex = 0x01399001;
const CodeKey kShenzhenB = 0x01200011;
const CodeKey kThird = 0x02400001;
const CodeKey kThird000 = 0x02000002;
const CodeKey kShanghaiB = 0x900901;
const CodeKey kNoClose = 0x600036; // previous close 0

QuoteMap TableOfQuotes()
{
    QuoteMap quotes;
    for (CodeKey key : { kComposite, kShanghaiIndex000001, kPufa, kPingAn, kSmallCap, kGrowth, kShenzhenIndex,
             kShenzhenB, kThird, kThird000, kShanghaiB })
        quotes[key] = MakeQuote(key, 10, 9.5f);
    quotes[kNoClose] = MakeQuote(kNoClose, 10, 0);
    return quotes;
}

std::vector<CodeKey> Board(int32_t board, const QuoteMap& quotes)
{
    return CollectBoardKeys(board, quotes, {}, nullptr);
}

typedef std::vector<CodeKey> Keys;

} // namespace

TEST(ReportBoards, FixedBoardsFilterByKeyBitsInKeyOrder)
{
    const QuoteMap quotes = TableOfQuotes();
    EXPECT_EQ(Board(kBoardShanghaiA, quotes), (Keys { kPufa }));
    // "A market other than 0" takes the third market too.
    EXPECT_EQ(Board(kBoardShenzhenA, quotes), (Keys { kPingAn, kSmallCap, kThird000 }));
    EXPECT_EQ(Board(kBoardShanghaiIndexes, quotes), (Keys { kShanghaiIndex000001, kComposite }));
    EXPECT_EQ(Board(kBoardShenzhenIndexes, quotes), (Keys { kShenzhenIndex }));
    EXPECT_EQ(Board(kBoardSmallCaps, quotes), (Keys { kSmallCap }));
    EXPECT_EQ(Board(kBoardGrowth, quotes), (Keys { kGrowth }));
    EXPECT_EQ(Board(kBoardAllA, quotes), (Keys { kPufa, kPingAn, kSmallCap, kGrowth, kThird000, kThird }));
    // The previous-close test: 600036 is on no board.
    for (int32_t board = 0; board < 7; ++board) {
        const Keys keys = Board(board, quotes);
        EXPECT_EQ(std::count(keys.begin(), keys.end(), kNoClose), 0) << board;
    }
    // The tab that opens the sector menu and unknown values are no board.
    EXPECT_TRUE(Board(kBoardSectorMenu, quotes).empty());
    EXPECT_TRUE(Board(0x01000005, quotes).empty());
}

TEST(ReportBoards, UserListKeepsItsOrderAndSkipsStocksWithoutQuote)
{
    const QuoteMap quotes = TableOfQuotes();
    const std::vector<UserStockList::Entry> list
        = { { kNoClose, 1 }, { 0x600999, 2 }, { kComposite, 3 }, { kPufa, 4 } };
    EXPECT_EQ(
        CollectBoardKeys(kBoardUserList, quotes, list, nullptr), (Keys { kNoClose, kComposite, kPufa }));
}

TEST(ReportBoards, SectorBoardsListQuotedMembersInKeyOrder)
{
    ScopedGroupIndex groups({ { 0x01000000, "行业" }, { 0x01000001, "银行" }, { 0x01000002, "空" } },
        { { kPingAn, 0x01000001 }, { kPufa, 0x01000001 }, { kNoClose, 0x01000001 },
            { 0x600999, 0x01000001 } });
    ASSERT_TRUE(groups.Ok());
    const QuoteMap quotes = TableOfQuotes();
    EXPECT_EQ(CollectBoardKeys(0x01000001, quotes, {}, GroupIndex::Instance()), (Keys { kPufa, kPingAn }));
    EXPECT_TRUE(CollectBoardKeys(0x01000002, quotes, {}, GroupIndex::Instance()).empty());
    EXPECT_TRUE(CollectBoardKeys(0x01000003, quotes, {}, GroupIndex::Instance()).empty());
}

TEST(ReportBoards, RowTextsAndColours)
{
    const COLORREF rise = 0x3C3CFF;
    const COLORREF fall = 0x00C800;
    const struct
    {
        const char* what;
        QuoteRecord quote;
        const char* texts[13];
        COLORREF priceColour;
    } cases[] = {
        { "rising", MakeQuote(kPufa, 11, 10, 10.5f, 11.2f, 9.8f, 123456, 98765.4f),
            { "", "600000", "浦发银行", "10.00", "11.00", "1.00", "14.00", "10.00", "10.50", "11.20", "9.80",
                "12.35万", "9876.54万" },
            rise },
        { "falling", MakeQuote(kPufa, 9, 10, 9.9f, 10, 9, 50, 1),
            { "", "600000", "浦发银行", "-10.00", "9.00", "-1.00", "10.00", "10.00", "9.90", "10.00", "9.00",
                "50", "1000" },
            fall },
        { "not traded", MakeQuote(kPufa, 0, 10),
            { "", "600000", "浦发银行", "-", "-", "-", "-", "10.00", "-", "-", "-", "-", "-" }, fall },
        { "no previous close", MakeQuote(kPufa, 10, 0, 10, 10.5f, 9.5f),
            { "", "600000", "浦发银行", "-", "10.00", "10.00", "-", "0.00", "10.00", "10.50", "9.50", "-",
                "-" },
            rise },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ReportRowCells cells = FormatReportRow(c.quote, "600000", "浦发银行");
        for (int i = 0; i < kReportColumnCount; ++i)
            EXPECT_EQ(cells.text[i], c.texts[i]) << "column " << i;
        for (int i : { 3, 4, 5 })
            EXPECT_EQ(cells.colour[i], c.priceColour) << "column " << i;
        EXPECT_TRUE(cells.useDefaultColour[0]);
        EXPECT_EQ(cells.colour[1], static_cast<COLORREF>(0xA9F8EF));
        EXPECT_EQ(cells.colour[2], static_cast<COLORREF>(0x9DF3E9));
        EXPECT_EQ(cells.colour[6], static_cast<COLORREF>(0xE6E6E6));
        EXPECT_EQ(cells.colour[7], static_cast<COLORREF>(0xE6E6E6));
        EXPECT_EQ(cells.colour[11], static_cast<COLORREF>(0x00C8C8));
        EXPECT_EQ(cells.colour[12], static_cast<COLORREF>(0xFFFF00));
    }
    // Open, high and low take the colour of their own move.
    const ReportRowCells mixed = FormatReportRow(MakeQuote(kPufa, 10, 10, 9.5f, 10.5f, 10), "", "");
    EXPECT_EQ(mixed.colour[8], fall);
    EXPECT_EQ(mixed.colour[9], rise);
    EXPECT_EQ(mixed.colour[10], static_cast<COLORREF>(0xE6E6E6));
}

TEST(ReportBoards, SectorMenuColumnsAndPrivateCommands)
{
    std::vector<GroupFixtureRow> rows
        = { { 0x01000000, "行业" }, { 0x02000000, "概念" }, { 0x03000000, "空" } };
    static std::vector<std::string> names;
    names.clear();
    for (int i = 1; i <= 45; ++i)
        names.push_back("G" + std::to_string(i));
    for (int i = 1; i <= 45; ++i)
        rows.push_back({ 0x01000000 + i, names[i - 1].c_str() });
    rows.push_back({ 0x02010000, "低位为零" }); // low 16 bits 0: no group of the menu
    rows.push_back({ 0x02000FA0, "四千" }); // low 16 bits 4000
    ScopedGroupIndex groups(rows, {});
    ASSERT_TRUE(groups.Ok());

    const std::vector<SectorMenuCategory> layout = LayoutSectorMenu(*GroupIndex::Instance());
    ASSERT_EQ(layout.size(), 3u);
    ASSERT_EQ(layout[0].items.size(), 45u);
    int columns = 1;
    std::vector<int> perColumn(1, 0);
    for (const SectorMenuItem& item : layout[0].items) {
        if (item.newColumn) {
            ++columns;
            perColumn.push_back(0);
        }
        ++perColumn.back();
    }
    EXPECT_EQ(perColumn, (std::vector<int> { 20, 20, 5 }));
    ASSERT_EQ(layout[1].items.size(), 1u);
    EXPECT_EQ(layout[1].items[0].groupId, 0x02000FA0);
    EXPECT_TRUE(layout[2].items.empty());

    std::vector<int32_t> commandGroups;
    HMENU menu = BuildSectorMenu(layout, commandGroups);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(::GetMenuItemCount(menu), 3);
    EXPECT_EQ(::GetSubMenu(menu, 2), nullptr); // a category without groups stays a plain item
    HMENU sub = ::GetSubMenu(menu, 1);
    ASSERT_NE(sub, nullptr);
    const UINT command = ::GetMenuItemID(sub, 0);
    EXPECT_GE(command, kSectorCommandFirst);
    EXPECT_FALSE(command >= 4000 && command <= 5000);
    ASSERT_LT(command - kSectorCommandFirst, commandGroups.size());
    EXPECT_EQ(commandGroups[command - kSectorCommandFirst], 0x02000FA0);
    EXPECT_NE(::GetMenuState(::GetSubMenu(menu, 0), 20, MF_BYPOSITION) & MF_MENUBARBREAK, 0u);
    EXPECT_EQ(::GetMenuState(::GetSubMenu(menu, 0), 19, MF_BYPOSITION) & MF_MENUBARBREAK, 0u);
    ::DestroyMenu(menu);
}

TEST(ReportBoards, UserListSwapFollowsKeysNotRows)
{
    UserStockList list;
    // 600999 has no quote, so board 7 shows rows 600036, 1A0001, 600000.
    for (CodeKey key : { kNoClose, CodeKey(0x600999), kComposite, kPufa })
        list.Add(static_cast<int32_t>(key), 1);
    // Dragging row 1 (1A0001) onto row 2 (600000).
    EXPECT_TRUE(SwapUserListEntriesByKey(list, kComposite, kPufa));
    std::vector<CodeKey> order;
    for (const auto& entry : list.GetEntries())
        order.push_back(static_cast<CodeKey>(entry.first));
    EXPECT_EQ(order, (Keys { kNoClose, 0x600999, kPufa, kComposite }));
    EXPECT_FALSE(SwapUserListEntriesByKey(list, kComposite, 0x600888));
}

TEST(ReportBoards, ReselectKeepsTheRowOnlyOnTheSameBoard)
{
    EXPECT_EQ(ReselectRow(true, 5), 5);
    EXPECT_EQ(ReselectRow(true, -1), 0);
    EXPECT_EQ(ReselectRow(false, 5), 0);
}
