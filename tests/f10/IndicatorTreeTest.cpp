// The indicators by category and the indicator tab file.
#include <gtest/gtest.h>

#include "base/DataPaths.h"
#include "formula/FormulaLibrary.h"
#include "tests/f10/F10Fixtures.h"
#include "tests/support/TempDataRoot.h"
#include "views/IndicatorTree.h"
#include "views/StockGraphTabs.h"

namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string bytes;
    for (int v : values)
        bytes.push_back(static_cast<char>(v));
    return bytes;
}

} // namespace

TEST(IndicatorTree, SixteenCategoriesInOrderWithEmptyOnesKept)
{
    LoadSimulatedIndicators();
    const FormulaLibrary& library = *FormulaLibrary::Instance();
    const auto tree = BuildIndicatorTree(library, IndicatorTextForm::kShowName);
    ASSERT_EQ(tree.size(), 16u);
    EXPECT_EQ(tree.front().name, "大势型");
    EXPECT_EQ(tree.back().name, "五彩K线指标");
    size_t listed = 0;
    for (size_t i = 0; i < tree.size(); ++i) {
        EXPECT_EQ(tree[i].id, static_cast<int32_t>(i + 1));
        for (const IndicatorTreeItem& item : tree[i].items)
            EXPECT_EQ(library.FindByNumber(item.number)->type, tree[i].id) << item.text;
        listed += tree[i].items.size();
    }
    EXPECT_TRUE(tree[12].items.empty()); // the simulator leaves category 13 empty
    EXPECT_EQ(tree[12].name, "鬼系");
    // Every definition of a listed category appears once.
    size_t expected = 0;
    for (const auto& entry : library.GetDefinitions())
        expected += entry.second.type >= 1 && entry.second.type <= 16 ? 1 : 0;
    EXPECT_EQ(listed, expected);

    // The two text forms: the show name, or name and description.
    const auto& overbought = tree[1].items;
    bool sawWr = false;
    for (const IndicatorTreeItem& item : overbought)
        sawWr = sawWr || (item.number == 4 && item.text == "W%R");
    EXPECT_TRUE(sawWr);
    const auto described = BuildIndicatorTree(library, IndicatorTextForm::kNameAndDescription);
    bool sawKdj = false;
    for (const IndicatorTreeItem& item : described[1].items)
        sawKdj = sawKdj || (item.number == 101 && item.text == "KDJ  随机指标");
    EXPECT_TRUE(sawKdj);
}

TEST(IndicatorTabFile, LoadsWholeRecordsAndFallsBackToTheDefaults)
{
    TempDataRoot root;
    const std::string path = DataPaths::Instance()->GetShowFormulaFile();
    EXPECT_EQ(kline::LoadIndicatorNumbers(path), DefaultIndicatorNumbers());
    EXPECT_EQ(DefaultIndicatorNumbers(), (std::vector<int32_t> { 100, 101, 102, 103, 104 }));

    const struct
    {
        std::string bytes;
        std::vector<int32_t> numbers;
    } cases[] = {
        { "", {} },
        { Bytes({ 1, 0, 0 }), {} },
        { Bytes({ 0x65, 0, 0, 0, 0x04, 0x01, 0, 0, 9, 9 }), { 101, 260 } }, // 10 bytes: 2 numbers
        { Bytes({ 0xFF, 0xFF, 0xFF, 0xFF }), { -1 } },
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteTestFile(path, c.bytes));
        EXPECT_EQ(kline::LoadIndicatorNumbers(path), c.numbers) << c.bytes.size();
    }
}

TEST(IndicatorTabFile, SavesLittleEndianNumbersAndKeepsTheFileOnFailure)
{
    TempDataRoot root;
    const std::string path = DataPaths::Instance()->GetShowFormulaFile();
    const std::vector<int32_t> numbers { 100, 0x01020304, -2 };
    ASSERT_TRUE(SaveIndicatorNumbers(path, numbers));
    EXPECT_EQ(ReadFileBytes(path), Bytes({ 100, 0, 0, 0, 4, 3, 2, 1, 0xFE, 0xFF, 0xFF, 0xFF }));
    EXPECT_EQ(kline::LoadIndicatorNumbers(path), numbers);

    ASSERT_TRUE(SaveIndicatorNumbers(path, {}));
    EXPECT_EQ(ReadFileBytes(path), "");

    // A directory in the file's place cannot be replaced: the save says so.
    const std::string blocked = root.AppDir() + "blocked.dat";
    ASSERT_TRUE(::CreateDirectoryA(blocked.c_str(), nullptr));
    EXPECT_FALSE(SaveIndicatorNumbers(blocked, numbers));
    EXPECT_FALSE(SaveIndicatorNumbers(root.AppDir() + "no-such-dir\\showformula.dat", numbers));
}

TEST(IndicatorTabFile, NumbersWithoutADefinitionAreLeftOut)
{
    LoadSimulatedIndicators();
    const auto rows = KnownIndicators(*FormulaLibrary::Instance(), { 101, 99999, 104, -5 });
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].number, 101);
    EXPECT_EQ(rows[0].text, "KDJ  随机指标");
    EXPECT_EQ(rows[1].number, 104);
    EXPECT_EQ(rows[1].text, "VOL  成交量");
}
