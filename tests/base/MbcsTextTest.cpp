// Character-wise work on code page 936 text.
#include <gtest/gtest.h>
#include <string>
#include "base/MbcsText.h"

TEST(MbcsText, CountAndTruncateNeverSplitACharacter)
{
    const std::string text = "A股600"; // 'A', one GBK character, 3 digits
    EXPECT_EQ(MbcsCharCount(text), 5u);
    EXPECT_EQ(MbcsCharCount(std::string("\x81")), 1u); // a lone lead byte at the end
    struct
    {
        size_t max;
        const char* expected;
    } cases[] = { { 0, "" }, { 1, "A" }, { 2, "A" }, { 3, "A股" }, { 100, "A股600" } };
    for (const auto& c : cases)
        EXPECT_EQ(MbcsTruncate(text, c.max), c.expected) << c.max;
}

TEST(MbcsText, FindMatchesOnlyAtCharacterBoundaries)
{
    // "亿乙" is D2 DA D2 D2; its middle bytes DA D2 are "谝", which a byte
    // search would find across the two characters.
    const std::string text = "亿乙";
    EXPECT_EQ(MbcsFind(text, "乙"), 2u);
    EXPECT_EQ(text.find("谝"), 1u);
    EXPECT_EQ(MbcsFind(text, "谝"), std::string::npos);
    EXPECT_EQ(MbcsFind("3.2亿", "亿"), 3u);
    EXPECT_EQ(MbcsFind("abc", ""), std::string::npos);
    EXPECT_EQ(MbcsFind("abcabc", "bc", 2), 4u);
}

TEST(MbcsText, PrefixWithoutCaseAndByteOrder)
{
    EXPECT_TRUE(MbcsStartsWithNoCase("PFYH浦发", "pfyh"));
    EXPECT_TRUE(MbcsStartsWithNoCase("浦发银行", "浦发"));
    EXPECT_FALSE(MbcsStartsWithNoCase("pf", "pfyh"));
    // "丁" is 0xB6 0xA1; its second byte is no letter to fold, and a prefix
    // ending in a lone lead byte does not match half a character.
    EXPECT_FALSE(MbcsStartsWithNoCase("丁", std::string("\xB6")));
    EXPECT_LT(MbcsCompare("600000", "600001"), 0);
    EXPECT_LT(MbcsCompare("Z", "股"), 0); // single-byte characters sort first
    EXPECT_GT(MbcsCompare("股票", "股"), 0);
    EXPECT_EQ(MbcsCompare("", ""), 0);
}
