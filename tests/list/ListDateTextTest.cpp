// The 14-digit text of date cells.
#include "skin/ListDateText.h"
#include <gtest/gtest.h>

TEST(ListDateText, ReadsTheFieldsOfAFullText)
{
    SYSTEMTIME time = ParseCellDateTime("20240305143007");
    EXPECT_EQ(2024, time.wYear);
    EXPECT_EQ(3, time.wMonth);
    EXPECT_EQ(5, time.wDay);
    EXPECT_EQ(14, time.wHour);
    EXPECT_EQ(30, time.wMinute);
    EXPECT_EQ(7, time.wSecond);
    EXPECT_EQ(0, time.wMilliseconds);
    EXPECT_EQ("20240305143007", FormatCellDateTime(time));
}

TEST(ListDateText, ShortOrBrokenTextsReadOnlyWhatIsThere)
{
    // Empty: all zero. Short: the missing fields are zero, nothing past the end is read.
    EXPECT_EQ("00000000000000", FormatCellDateTime(ParseCellDateTime("")));
    EXPECT_EQ("20240301000000", FormatCellDateTime(ParseCellDateTime("2024031")));
    // A field stops at its first non-digit; a sign or a space gives 0, never
    // a negative field that would wrap in the SYSTEMTIME.
    EXPECT_EQ("20240000000000", FormatCellDateTime(ParseCellDateTime("2024-1-5 10:00")));
    EXPECT_EQ("20241200000000", FormatCellDateTime(ParseCellDateTime("202412x5")));
    // The string's own bytes beyond its length are never read.
    std::string text("20241231", 8);
    text.reserve(64);
    SYSTEMTIME time = ParseCellDateTime(text);
    EXPECT_EQ(31, time.wDay);
    EXPECT_EQ(0, time.wHour);
}
