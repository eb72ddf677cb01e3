// The platform facts the rest of the code relies on.
#include <windows.h>
#include <gtest/gtest.h>
#include <ctime>
#include <string>

TEST(Environment, GbkLiteralsCompileToGbkBytes)
{
    const std::string text = "五分钟线☆";
    const unsigned char expected[] = { 0xCE, 0xE5, 0xB7, 0xD6, 0xD6, 0xD3, 0xCF, 0xDF, 0xA1, 0xEE };
    ASSERT_EQ(text.size(), sizeof(expected));
    for (size_t i = 0; i < sizeof(expected); ++i)
        EXPECT_EQ(static_cast<unsigned char>(text[i]), expected[i]) << i;
    EXPECT_EQ(std::wstring(L"宋体"), std::wstring(L"\x5B8B\x4F53"));
}

TEST(Environment, AnsiCodePageIs936)
{
    EXPECT_EQ(::GetACP(), 936u);
}

TEST(Environment, TimeIs32BitAndZoneIsExchangeTime)
{
#ifdef _WIN64
    EXPECT_EQ(sizeof(void*), 8u); // the 64-bit form, for machines without 32-bit Wine
#else
    EXPECT_EQ(sizeof(void*), 4u);
#endif
    struct tm t = {};
    t.tm_year = 2004 - 1900;
    t.tm_mon = 4;
    t.tm_mday = 10;
    t.tm_isdst = -1;
    EXPECT_EQ(static_cast<long long>(mktime(&t)), 1084118400LL);
}
