// The rules every part of the list shares: format normalisation, the sort
// order of cells, and the date texts of date cells.
#include "skin/SkinListTypes.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

SkinListCell Cell(const std::string& text)
{
    SkinListCell cell;
    cell.text = text;
    return cell;
}

// Sorts texts by the cell comparison of a kind.
std::vector<std::string> Sorted(std::vector<std::string> texts, int32_t kind)
{
    std::vector<SkinListCell> cells;
    for (const std::string& t : texts)
        cells.push_back(Cell(t));
    std::sort(cells.begin(), cells.end(),
        [kind](const SkinListCell& a, const SkinListCell& b) { return CompareListCells(a, b, kind); });
    std::vector<std::string> out;
    for (const SkinListCell& c : cells)
        out.push_back(c.text);
    return out;
}

}

TEST(ListCellRules, NormalizeFormatClearsContradictingBits)
{
    struct Case
    {
        int32_t in;
        int32_t out;
    };
    const Case cases[] = {
        { 0x206, 0x204 }, // centre beats right
        { 0x007, 0x004 },
        { 0x003, 0x002 }, // right beats left
        { 0x001, 0x001 },
        { 0xC00, 0x400 }, // date only beats time only
        { 0x090, 0x010 }, // sign toggle needs a number bit; upper case stays
        { 0x190, 0x010 },
        { 0x0B0, 0x0A0 }, // with a number bit upper case goes, the sign stays
        { 0x150, 0x140 },
        { 0x1E00, 0x200 }, // no date and time clears all three date bits
        { 0x2008, 0x2008 },
        { 0, 0 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.out, NormalizeFormat(c.in)) << std::hex << c.in;
}

TEST(ListCellRules, AmountsSortByUnitThenNumber)
{
    const std::vector<std::string> expected = { "950", "800万", "3.2亿" };
    EXPECT_EQ(expected, Sorted({ "3.2亿", "800万", "950" }, kListCellAmount));
    EXPECT_EQ((std::vector<std::string> { "-5", "12", "1.5万", "20万", "0.8亿", "3亿" }),
        Sorted({ "20万", "3亿", "12", "1.5万", "0.8亿", "-5" }, kListCellAmount));
}

TEST(ListCellRules, UnitsAreFoundCharacterWise)
{
    // "亿" is 0xD2 0xDA in code page 936. These two characters hold the bytes
    // D2 DA across their boundary, so a byte search would see "亿" in a text
    // without units and sort it after amounts in "万".
    const std::string noUnit = "\xB0\xD2\xDA\xA1";
    EXPECT_TRUE(CompareListCells(Cell(noUnit), Cell("1万"), kListCellAmount));
    EXPECT_FALSE(CompareListCells(Cell("1万"), Cell(noUnit), kListCellAmount));
}

TEST(ListCellRules, NotANumberSortsFirstAndTheOrderStaysStrict)
{
    const SkinListCell nan = Cell("nan");
    const SkinListCell one = Cell("1");
    EXPECT_TRUE(std::isnan(ListTextToDouble("nan")));
    EXPECT_TRUE(CompareListCells(nan, one, kListCellAmount));
    EXPECT_FALSE(CompareListCells(one, nan, kListCellAmount));
    EXPECT_FALSE(CompareListCells(nan, nan, kListCellAmount));
    // Many NaNs among numbers: a sort that needs a strict weak order must not
    // run off the range, and the numbers still come out in order.
    std::vector<std::string> texts;
    for (int i = 0; i < 200; ++i)
        texts.push_back(i % 3 == 0 ? "nan" : std::to_string((i * 37) % 101));
    const std::vector<std::string> sorted = Sorted(texts, kListCellAmount);
    size_t firstNumber = 0;
    while (firstNumber < sorted.size() && sorted[firstNumber] == "nan")
        ++firstNumber;
    EXPECT_EQ(67u, firstNumber);
    for (size_t i = firstNumber + 1; i < sorted.size(); ++i)
        EXPECT_LE(std::stod(sorted[i - 1]), std::stod(sorted[i]));
}

TEST(ListCellRules, IntegersAndTexts)
{
    EXPECT_EQ((std::vector<std::string> { "-3", "9", "12", "100" }), Sorted({ "12", "100", "9", "-3" }, kListCellInteger));
    // As text, "12" comes before "9".
    EXPECT_EQ((std::vector<std::string> { "100", "12", "9" }), Sorted({ "9", "12", "100" }, kListCellText));
    // Chinese texts byte-wise (lead bytes above every ASCII byte).
    EXPECT_TRUE(CompareListCells(Cell("zz"), Cell("中"), kListCellText));
    // Beyond 32 bits an integer clamps instead of wrapping.
    EXPECT_EQ(INT32_MAX, ListTextToInt("99999999999"));
    EXPECT_TRUE(CompareListCells(Cell("5"), Cell("99999999999"), kListCellInteger));
}

TEST(ListCellRules, RowsLackingTheKeySortFirst)
{
    SkinListRow shortRow;
    shortRow.cells.push_back(Cell("z"));
    SkinListRow longRow;
    longRow.cells.push_back(Cell("a"));
    longRow.cells.push_back(Cell("b"));
    EXPECT_TRUE(CompareItems(shortRow, longRow, 1, kListCellText));
    EXPECT_FALSE(CompareItems(longRow, shortRow, 1, kListCellText));
    EXPECT_FALSE(CompareItems(shortRow, longRow, 0, kListCellText));
}

TEST(ListCellRules, DateTextsFollowTheUserLocale)
{
    SYSTEMTIME t = {};
    t.wYear = 2024;
    t.wMonth = 3;
    t.wDay = 15;
    t.wHour = 14;
    t.wMinute = 30;
    t.wSecond = 5;
    char date[128] = "";
    char clock[128] = "";
    ASSERT_GT(::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &t, nullptr, date, sizeof(date)), 0);
    ASSERT_GT(::GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &t, nullptr, clock, sizeof(clock)), 0);
    EXPECT_EQ(clock, FormatListDateText("20240315143005", kListTimeOnly));
    EXPECT_EQ(date, FormatListDateText("20240315143005", kListDateOnly));
    EXPECT_EQ(std::string(date) + " " + clock, FormatListDateText("20240315143005", 0));
    EXPECT_EQ("", FormatListDateText("", 0));
    // Year 0: no date part.
    EXPECT_EQ("", FormatListDateText("00000000143005", kListDateOnly));
}
