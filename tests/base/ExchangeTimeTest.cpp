// Exchange time (UTC+8) must not depend on the computer's zone: these suites
// also run under another zone (the "base_other_zone" test).
#include <gtest/gtest.h>
#include <cstdlib>
#include <ctime>
#include <string>

#include "base/ExchangeTime.h"
#include "base/Format.h"

namespace {

struct CalendarCase
{
    int32_t t;
    int year, month, day, hour, minute, second, weekday, yearDay;
};

const CalendarCase kCalendarCases[] = {
    { 1, 1970, 1, 1, 8, 0, 1, 4, 0 },
    { 1084118400, 2004, 5, 10, 0, 0, 0, 1, 130 },
    { 1084118400 - 1, 2004, 5, 9, 23, 59, 59, 0, 129 },
    { 951787800, 2000, 2, 29, 9, 30, 0, 2, 59 },
    { 1709179200, 2024, 2, 29, 12, 0, 0, 4, 59 },
    { 1704038399, 2023, 12, 31, 23, 59, 59, 0, 364 },
    { 1704038400, 2024, 1, 1, 0, 0, 0, 1, 0 },
    { 2147483647, 2038, 1, 19, 11, 14, 7, 2, 18 },
};

} // namespace

TEST(ExchangeTime, SplitAndComposeAgreeWithTheCalendar)
{
    for (const CalendarCase& c : kCalendarCases) {
        SCOPED_TRACE(c.t);
        const std::tm f = SplitExchangeTime(c.t);
        EXPECT_EQ(f.tm_year + 1900, c.year);
        EXPECT_EQ(f.tm_mon + 1, c.month);
        EXPECT_EQ(f.tm_mday, c.day);
        EXPECT_EQ(f.tm_hour, c.hour);
        EXPECT_EQ(f.tm_min, c.minute);
        EXPECT_EQ(f.tm_sec, c.second);
        EXPECT_EQ(f.tm_wday, c.weekday);
        EXPECT_EQ(f.tm_yday, c.yearDay);
        EXPECT_EQ(MakeExchangeTime(c.year, c.month, c.day, c.hour, c.minute, c.second), c.t);
    }
}

TEST(ExchangeTime, TimesUpToZeroSplitAsTheEpochAtMidnight)
{
    for (int32_t t : { 0, -1, -28800, INT32_MIN }) {
        SCOPED_TRACE(t);
        const std::tm f = SplitExchangeTime(t);
        EXPECT_EQ(f.tm_year, 70);
        EXPECT_EQ(f.tm_mon, 0);
        EXPECT_EQ(f.tm_mday, 1);
        EXPECT_EQ(f.tm_hour, 0);
        EXPECT_EQ(f.tm_min, 0);
        EXPECT_EQ(f.tm_sec, 0);
        EXPECT_EQ(f.tm_wday, 4);
    }
}

TEST(ExchangeTime, SplitThenComposeRoundTripsAcrossTheRange)
{
    // A step that is prime to every calendar period visits all kinds of dates.
    for (int64_t t = 1; t <= INT32_MAX; t += 7919 * 97) {
        const std::tm f = SplitExchangeTime(static_cast<int32_t>(t));
        ASSERT_EQ(
            MakeExchangeTime(f.tm_year + 1900, f.tm_mon + 1, f.tm_mday, f.tm_hour, f.tm_min, f.tm_sec), t);
    }
}

TEST(ExchangeTime, ComposeCarriesFieldsOutOfRangeLikeMktime)
{
    const int32_t may10 = 1084118400;
    EXPECT_EQ(MakeExchangeTime(2004, 5, 0), MakeExchangeTime(2004, 4, 30));
    EXPECT_EQ(MakeExchangeTime(2004, 13, 1), MakeExchangeTime(2005, 1, 1));
    EXPECT_EQ(MakeExchangeTime(2004, 0, 1), MakeExchangeTime(2003, 12, 1));
    EXPECT_EQ(MakeExchangeTime(2004, 5, 9, 24), may10);
    EXPECT_EQ(MakeExchangeTime(2004, 5, 10, 0, -1), may10 - 60);
    EXPECT_EQ(MakeExchangeTime(2004, 5, 10, 0, 0, 90), may10 + 90);
}

TEST(ExchangeTime, ComposeRefusesTimesOutsideThe32BitRange)
{
    EXPECT_EQ(MakeExchangeTime(1970, 1, 1, 8, 0, 0), 0);
    EXPECT_EQ(MakeExchangeTime(1970, 1, 1, 7, 59, 59), -1);
    EXPECT_EQ(MakeExchangeTime(1900, 1, 1), -1);
    EXPECT_EQ(MakeExchangeTime(2038, 1, 19, 11, 14, 7), INT32_MAX);
    EXPECT_EQ(MakeExchangeTime(2038, 1, 19, 11, 14, 8), -1);
    EXPECT_EQ(MakeExchangeTime(INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX), -1);
}

TEST(ExchangeTime, MachineZoneIsTheOneTheRunAskedFor)
{
    // Shows that the other-zone run really is in another zone, so that the
    // results above prove the independence.
    std::tm fields = {};
    fields.tm_year = 2004 - 1900;
    fields.tm_mon = 4;
    fields.tm_mday = 10;
    fields.tm_isdst = -1;
    const long long local = static_cast<long long>(std::mktime(&fields));
    const char* zone = std::getenv("TZ");
    if (zone && std::string(zone) == "CST-8")
        EXPECT_EQ(local, 1084118400LL);
    else
        EXPECT_NE(local, 1084118400LL) << (zone ? zone : "(no TZ)");
}

TEST(TimeFormat, FormatsInExchangeTime)
{
    const int32_t open = 1084118400 + 9 * 3600 + 30 * 60;
    EXPECT_EQ(FormatTime(open, "%Y-%m-%d %H:%M:%S"), "2004-05-10 09:30:00");
    EXPECT_EQ(FormatTime(open, "%Y年%m月%d日"), "2004年05月10日");
    EXPECT_EQ(FormatTime(1704038399, "%y%m%d %H%M"), "231231 2359");
    EXPECT_EQ(FormatTime(0, "%Y-%m-%d %H:%M"), "1970-01-01 00:00");
}

TEST(TimeFormat, EmptyTextWhenFormattingFails)
{
    EXPECT_EQ(FormatTime(1084118400, ""), "");
    EXPECT_EQ(FormatTime(1084118400, nullptr), "");
    // 130 bytes of output do not fit the 128-byte buffer.
    EXPECT_EQ(FormatTime(1084118400, std::string(130, 'x').c_str()), "");
    EXPECT_EQ(FormatTime(1084118400, std::string(127, 'x').c_str()), std::string(127, 'x'));
}

TEST(TimeFormat, WeekdayNameFollowsTheFormattedTime)
{
    EXPECT_EQ(GetWeekdayName(1084118400, "%m/%d "), "05/10 星期一");
    EXPECT_EQ(GetWeekdayName(1084118400 - 1, "%m/%d "), "05/09 星期日");
    EXPECT_EQ(GetWeekdayName(1709179200, "%Y"), "2024星期四");
    EXPECT_EQ(GetWeekdayName(1084118400 + 5 * 86400, "%d"), "15星期六");
    EXPECT_EQ(GetWeekdayName(0, "%Y"), "1970星期四");
    EXPECT_EQ(GetWeekdayName(1084118400, ""), "");
    EXPECT_EQ(GetWeekdayName(1084118400, nullptr), "");
}

TEST(TimeFormat, MakeLocalTimeComposesExchangeTimeOrFallsBackToNow)
{
    EXPECT_EQ(MakeLocalTime(2004, 5, 10, 0, 0, 0, -1), 1084118400);
    EXPECT_EQ(MakeLocalTime(2004, 5, 10, 15, 0, 0, 1), 1084118400 + 15 * 3600);
    const int32_t before = static_cast<int32_t>(std::time(nullptr));
    const int32_t fallback = MakeLocalTime(1960, 1, 1, 0, 0, 0, -1);
    const int32_t after = static_cast<int32_t>(std::time(nullptr));
    EXPECT_GE(fallback, before);
    EXPECT_LE(fallback, after);
}
