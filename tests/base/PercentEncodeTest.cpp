#include "base/PercentEncode.h"
#include <gtest/gtest.h>

TEST(PercentEncode, OnlyUnreservedBytesStayAsTheyAre)
{
    EXPECT_EQ(PercentEncode("A-z_0.9~"), "A-z_0.9~");
    EXPECT_EQ(PercentEncode("\xFF\x01/"), "%FF%01%2F");
    EXPECT_EQ(PercentEncode("财 a&b=c%"), "%B2%C6%20a%26b%3Dc%25");
    EXPECT_EQ(PercentEncode(std::string("a\0b", 3)), "a%00b");
    EXPECT_EQ(PercentEncode(""), "");
}
