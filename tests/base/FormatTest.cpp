#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "base/Format.h"

TEST(FormatDecimal, DecimalsZeroToSixAndTwoForAnythingElse)
{
    struct Case
    {
        int decimals;
        const char* expected;
    };
    const Case cases[] = { { 0, "3" }, { 1, "3.1" }, { 2, "3.14" }, { 3, "3.142" }, { 4, "3.1416" },
        { 5, "3.14159" }, { 6, "3.141590" }, { 7, "3.14" }, { -1, "3.14" } };
    for (const Case& c : cases)
        EXPECT_EQ(FormatDecimal(3.14159, c.decimals), c.expected) << c.decimals;
    EXPECT_EQ(FormatDecimal(-0.25, 1), "-0.2");
    EXPECT_EQ(FormatDecimal(1e20, 2), "100000000000000000000.00");
}

TEST(FormatLargeNumber, UnitsAndDecimals)
{
    struct Case
    {
        double value;
        const char* expected;
    };
    const Case cases[] = {
        { 123456789.0, "1.23亿" },
        { 100000000.0, "10000.00万" },
        { 150000000.0, "1.50亿" },
        { 10000.0, "10000" },
        { 10000.5, "1.00万" },
        { 123456.0, "12.35万" },
        { 12.00009, "12" },
        { 12.5, "12.50" },
        { 0.0, "0" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatLargeNumber(c.value), c.expected) << c.value;
}

TEST(FormatLargeNumber, NegativesUseTheMagnitudeRulesAndNeverShowMinusZero)
{
    struct Case
    {
        double value;
        const char* expected;
    };
    const Case cases[] = {
        { -1.5, "-1.50" },
        { -0.0, "0" },
        { -0.4, "-0.40" },
        { -0.00001, "0" },
        { -0.001, "0.00" },
        { -3.0, "-3" },
        { -500000000.0, "-5.00亿" },
        { -123456.0, "-12.35万" },
        { -10000.0, "-10000" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatLargeNumber(c.value), c.expected) << c.value;
}

TEST(FormatLargeNumber, ZeroTextOnlyForAnExactZero)
{
    EXPECT_EQ(FormatLargeNumber(0.0, "--"), "--");
    EXPECT_EQ(FormatLargeNumber(-0.0, "--"), "--");
    EXPECT_EQ(FormatLargeNumber(0.00001, "--"), "0");
    EXPECT_EQ(FormatLargeNumber(5.0, "--"), "5");
}

TEST(GetPeriodName, CodesOneToTenAndUnknown)
{
    const char* const names[] = { "未知", "五分钟线", "十分钟线", "十五分钟线", "三十分钟线", "六十分钟线",
        "日线", "周线", "月线", "季线", "年线", "未知" };
    for (int code = 0; code <= 11; ++code)
        EXPECT_STREQ(GetPeriodName(code), names[code]) << code;
    EXPECT_STREQ(GetPeriodName(-1), "未知");
}

TEST(SplitString, PiecesAndOccurrenceCounts)
{
    struct Case
    {
        std::string text;
        std::string delimiter;
        std::vector<std::string> pieces;
        int count;
    };
    const Case cases[] = {
        { "a,,b,", ",", { "a", "b" }, 3 },
        { "abc", ",", { "abc" }, 0 },
        { ",x", ",", { "x" }, 1 },
        { "", ",", { "" }, 0 },
        { ",", ",", {}, 1 },
        { "aaa", "aa", { "a" }, 1 },
        { "a\r\nb\r\n\r\nc", "\r\n", { "a", "b", "c" }, 3 },
        { "x", "", { "x" }, 0 },
        // 億 is 83 7C in GBK: its second byte is "|", which must not split it.
        { "億|x", "|", { "億", "x" }, 1 },
        { "億億", "|", { "億億" }, 0 },
        { "甲乙丙乙", "乙", { "甲", "丙" }, 2 },
        { "ab\x81", "|", { "ab\x81" }, 0 },
        { "a|\x81", "|", { "a", "\x81" }, 1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text + " / " + c.delimiter);
        std::vector<std::string> out;
        EXPECT_EQ(SplitString(c.text, c.delimiter, out), c.count);
        EXPECT_EQ(out, c.pieces);
    }
}

TEST(SplitString, AppendsToWhatTheListHolds)
{
    std::vector<std::string> out = { "kept" };
    EXPECT_EQ(SplitString("1\t2", "\t", out), 1);
    EXPECT_EQ(out, (std::vector<std::string> { "kept", "1", "2" }));
}

TEST(ConvertReplyCodePage, Utf8BecomesGbk)
{
    EXPECT_EQ(ConvertReplyCodePage(nullptr), "");
    EXPECT_EQ(ConvertReplyCodePage(""), "");
    EXPECT_EQ(ConvertReplyCodePage("plain ascii"), "plain ascii");
    const std::string gbk = "中文股票☆";
    EXPECT_EQ(ConvertReplyCodePage(u8"中文股票☆"), gbk);
    EXPECT_EQ(static_cast<unsigned char>(gbk[0]), 0xD6);
}

TEST(FormatString, ResultsLongerThanTheStackBuffer)
{
    const std::string longText(1000, 'q');
    EXPECT_EQ(FormatString("<%s>", longText.c_str()), "<" + longText + ">");
    EXPECT_EQ(FormatString("%d_%s", 7, "x"), "7_x");
}
