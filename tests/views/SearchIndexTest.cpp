// The wizard's index: key expansion, what each source adds, and the order of
// matches.
#include <gtest/gtest.h>

#include <cstring>

#include "data/CodeTable.h"
#include "formula/FormulaDefinition.h"
#include "views/SearchIndex.h"

namespace {

typedef std::vector<std::string> Keys;

std::vector<std::string> Displays(const std::vector<WizardMatch>& matches)
{
    std::vector<std::string> displays;
    for (const WizardMatch& match : matches)
        displays.push_back(match.display);
    return displays;
}

CodeTableRecord Record(uint32_t key, const char* name)
{
    CodeTableRecord record = {};
    record.key = key;
    std::strncpy(record.name, name, sizeof(record.name));
    return record;
}

} // namespace

TEST(ExpandSearchKey, GroupsMultiplyInOrder)
{
    const struct
    {
        const char* key;
        Keys expected;
    } cases[] = {
        { "ZSH", { "ZSH" } }, { "Z(S|Z)H", { "ZSH", "ZZH" } },
        { "Z(S|Z)(H|X)", { "ZSH", "ZZH", "ZSX", "ZZX" } },
        { "(ZH|CH)A", { "ZHA", "CHA" } }, // alternatives of several letters
        { "A()B", { "AB" } }, // an empty group adds nothing
        { "()", {} }, // nothing but empty strings
        { "(A|)", { "A" } }, // the empty alternative is dropped
        { "", {} }, { "Z(S|Z", {} }, // an unclosed group spoils the key
        { "(", {} }, { "A)B", { "A)B" } }, // a stray closing parenthesis is a character
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExpandSearchKey(c.key), c.expected) << c.key;
}

TEST(ExpandSearchKey, ManyReadingsStopAtTheCap)
{
    // Five characters with three readings each: 243 variants, all kept.
    EXPECT_EQ(ExpandSearchKey("(A|B|C)(D|E|F)(G|H|I)(J|K|L)(M|N|O)").size(), 243u);
    // Eight with three readings would be 6,561.
    const Keys capped = ExpandSearchKey("(A|B|C)(A|B|C)(A|B|C)(A|B|C)(A|B|C)(A|B|C)(A|B|C)(A|B|C)");
    ASSERT_EQ(capped.size(), kMaxSearchKeyVariants);
    EXPECT_EQ(capped.front(), "AAAAAAAA");
}

TEST(ExpandSearchKey, AGbkTrailByteIsNeverASeparator)
{
    // 0x7C ('|') is a valid trail byte: "\x81\x7C" is one character.
    EXPECT_EQ(ExpandSearchKey("(\x81\x7C|B)"), (Keys { "\x81\x7C", "B" }));
}

TEST(SearchIndex, AddEntryMakesVariantsCodeAndTheCompositeAlias)
{
    CSearchIndex index;
    index.AddEntry("1A0001", "SZ(Z|C)S", "上证指数", 0x1A0001, true);
    const auto& entries = index.Entries();
    ASSERT_EQ(index.Size(), 4u);
    EXPECT_EQ(entries.at("SZZS").display, "SZZS 上证指数");
    EXPECT_EQ(entries.at("SZCS").display, "SZCS 上证指数");
    EXPECT_EQ(entries.at("1A0001").display, "1A0001 上证指数");
    EXPECT_EQ(entries.at("000001").display, "000001 上证指数");
    EXPECT_EQ(entries.at("000001").itemData, 0x1A0001u);

    // A hidden key shows the name alone; the first entry of a key stays.
    index.AddEntry("", "SZZS", "另一个", 7, false);
    EXPECT_EQ(entries.at("SZZS").display, "SZZS 上证指数");
    index.AddEntry("", "YGX", "银行[板块]", 8, false);
    EXPECT_EQ(entries.at("YGX").display, "银行[板块]");
}

TEST(SearchIndex, BuildTakesStocksIndicatorsQuickCodesAndSectorsInThatOrder)
{
    CCodeTable codes;
    codes.AddEntry(Record(0x1A0001, "上证指数"));
    codes.AddEntry(Record(0x600000, "浦发银行"));
    codes.AddEntry(Record(0x01000001, "平安银行"));
    std::map<std::wstring, FormulaDefinition> indicators;
    FormulaDefinition macd;
    macd.NO = 3;
    macd.name = L"MACD";
    macd.des = L"平滑异同平均线";
    indicators[macd.name] = macd;
    CSearchIndex index;
    index.Build(&codes, &indicators, nullptr);
    const auto& entries = index.Entries();

    // The Shanghai composite comes first in key order and keeps "000001";
    // the Shenzhen stock of that code keeps only its pinyin key.
    EXPECT_EQ(entries.at("000001").itemData, 0x1A0001u);
    EXPECT_EQ(entries.at("PAYH").itemData, 0x01000001u);
    EXPECT_EQ(entries.at("600000").display, "600000 浦发银行");
    EXPECT_EQ(entries.at("03").itemData, 3u | kWizardIndicatorBit);
    EXPECT_EQ(entries.at("03").display, "03 平滑异同平均线-指标");
    EXPECT_EQ(entries.at("MACD").display, "MACD 平滑异同平均线-指标");
    EXPECT_EQ(entries.at("612").itemData, 612u | kWizardQuickCodeBit);
    EXPECT_EQ(entries.at("60").display, "60 深沪A涨幅排名");
    EXPECT_EQ(entries.at("99").display, "99 年线");
}

TEST(SearchIndex, MatchesOrderByPositionLengthAndKey)
{
    CSearchIndex index;
    for (const char* code : { "600000", "600036", "000600", "60", "1600", "2600", "006000" })
        index.AddEntry(code, "", "N", 1, true);
    EXPECT_EQ(Displays(index.FindMatches("60")),
        (Keys { "60 N", "600000 N", "600036 N", "1600 N", "2600 N", "006000 N", "000600 N" }));
    // Leading blanks are dropped; an empty text finds nothing.
    EXPECT_EQ(index.FindMatches("  600036").size(), 1u);
    EXPECT_TRUE(index.FindMatches("   ").empty());
    // Case counts.
    index.AddEntry("", "ABC", "N", 2, true);
    EXPECT_TRUE(index.FindMatches("abc").empty());
}

TEST(SearchIndex, AMatchNeverStartsOnATrailByte)
{
    CSearchIndex index;
    // Bytes A1 A2 stand inside "\xB0\xA1\xA2\xB3" across two characters, and
    // as a character of their own after "X".
    index.AddEntry("", "\xB0\xA1\xA2\xB3", "N", 1, false);
    index.AddEntry("", "X\xA1\xA2", "M", 2, false);
    const std::vector<WizardMatch> matches = index.FindMatches("\xA1\xA2");
    ASSERT_EQ(matches.size(), 1u);
    EXPECT_EQ(matches[0].itemData, 2u);
    EXPECT_EQ(matches[0].position, 1);
}
