// Code keys, market tags, index flags and the keyboard search key.
#include <gtest/gtest.h>

#include "data/CodeKey.h"
#include "data/SearchKey.h"

TEST(CodeKey, MakeAndSplit)
{
    struct Case
    {
        const char* tag;
        const char* code;
        uint32_t key;
        const char* text;
        const char* tagText;
        int index;
    };
    const Case cases[] = {
        { "SZ", "399001", 0x01399001, "399001", "SZ", 1 }, { "SH", "1A0001", 0x1A0001, "1A0001", "SH", 1 },
        { "SH", "600000", 0x600000, "600000", "SH", 0 }, { "SH", "000300", 0x000300, "000300", "SH", 1 },
        { "SH", "1C0002", 0x1C0002, "1C0002", "SH", 1 }, { "SZ", "000001", 0x01000001, "000001", "SZ", 0 },
        { "SB", "400001", 0x02400001, "400001", "SB", 0 },
        { "SB", "390001", 0x02390001, "390001", "SB", 0 }, // never an index in the third market
        { "SH", "60A0X1", 0x60A0, "0060A0", "SH", 0 }, // read up to the first non-hex character
        { "SZ", "12345678", 0x01345678, "345678", "SZ", 0 }, // extra digits never reach the market byte
        { "XX", "600000", 0x600000, "600000", "SH", 0 }, // an unknown tag is market 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.tag) + c.code);
        const CodeKey key = MakeCodeKey(c.tag, c.code);
        EXPECT_EQ(key, c.key);
        EXPECT_EQ(CodeOfKey(key), c.text);
        EXPECT_EQ(MarketTagText(MarketTagOfKey(key)), c.tagText);
        EXPECT_EQ(IsIndexCode(MarketTagOfKey(key), CodeOfKey(key)), c.index);
    }
    EXPECT_EQ(MarketTagOfKey(0x03000001), 0);
    EXPECT_EQ(kMarketTagSH, 0x4853); // "SH" with the first character in the low byte
    EXPECT_EQ(MakeCodeKey(kMarketTagSZ, "000063junk", 6), 0x01000063u);
}

TEST(SearchKey, NamesBecomeWhatUsersType)
{
    struct Case
    {
        const char* name;
        const char* key;
    };
    const Case cases[] = {
        { "贵州茅台", "GZMT" }, // four characters of one reading each
        { "乐视网", "(Y|L)SW" }, // several readings become a group
        { "丁香", "(D|Z)X" },
        { "万科Ａ", "(W|M)KA" },
        { "ＳＴ长城", "ST(Z|C)C" }, // full-width capitals fold
        { "沪深３００", "HS300" }, // full-width digits fold
        { "长白⑿", "(Z|C)B12" }, // parenthesised numbers become their number
        { "AB12 ab jz", "AB12ab" }, // a-i kept, j-z dropped, spaces removed
        { "ａｂ", "AB" }, // outside every table: the low byte (U+FF41 gives A)
        { "Ｂ股～", "BG" }, // U+FF5E's low byte '^' is not kept
        { "", "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string key;
        EXPECT_EQ(MakeSearchKey(c.name, key, 65536), 1);
        EXPECT_EQ(key, c.key);
    }
}

TEST(SearchKey, LimitsAndAppending)
{
    std::string key = "X Y";
    MakeSearchKey("ABC", key, 2);
    EXPECT_EQ(key, "XYAB"); // appended, stopped after the second character, spaces removed

    std::string skipped;
    MakeSearchKey("ABxDE", skipped, 3);
    EXPECT_EQ(skipped, "ABD"); // the dropped third character does not end the walk; the kept fourth does

    std::string fits;
    MakeSearchKey(std::string(255, 'A').c_str(), fits, 65536);
    EXPECT_EQ(fits.size(), 255u);

    std::string tooLong = "P Q";
    MakeSearchKey(std::string(256, 'A').c_str(), tooLong, 65536);
    EXPECT_EQ(tooLong, "PQ"); // nothing added, but the spaces still go

    EXPECT_EQ(PinyinInitial(L'\x4E00'), "Y");
    EXPECT_EQ(PinyinInitial(L'\x4E01'), "(D|Z)");
    EXPECT_EQ(PinyinInitial(L'\x9FA5'), "Y");
    EXPECT_EQ(PinyinInitial(L'\x9FA6'), std::string(1, '\xA6'));
}
