// Five-minute bars and the minute periods derived from them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "data/FiveMinData.h"
#include "data/MarketTime.h"
#include "data/Minute.h"
#include "tests/support/SeriesFixtures.h"

namespace {

int32_t At(int hour, int minute)
{
    return T(2011, 8, 17, hour, minute);
}

struct BucketCase
{
    int minutes;
    int hour;
    int minute;
    int endHour;
    int endMinute;
};

TEST(MinuteBars, BucketEnds)
{
    const std::vector<BucketCase> cases = {
        { 5, 9, 35, 9, 35 },
        { 5, 9, 37, 9, 40 },
        { 10, 9, 35, 9, 40 },
        { 10, 9, 40, 9, 40 },
        { 15, 9, 35, 9, 45 },
        { 15, 9, 45, 9, 45 },
        { 15, 9, 50, 10, 0 },
        { 15, 13, 5, 13, 15 },
        { 30, 9, 35, 10, 0 },
        { 30, 10, 0, 10, 0 },
        { 30, 10, 5, 10, 30 },
        { 30, 10, 55, 11, 0 },
        { 30, 13, 5, 13, 30 },
        { 60, 9, 35, 10, 30 },
        { 60, 10, 30, 10, 30 },
        { 60, 11, 25, 11, 30 },
        { 60, 11, 30, 11, 30 },
        { 60, 13, 5, 14, 0 },
        { 60, 14, 0, 14, 0 },
        { 60, 14, 5, 15, 0 },
        { 60, 15, 0, 15, 0 },
        { 20, 9, 47, 9, 40 },
    };
    for (const BucketCase& c : cases) {
        EXPECT_EQ(MinuteBucketEnd(At(c.hour, c.minute), c.minutes), At(c.endHour, c.endMinute))
            << c.minutes << " " << c.hour << ":" << c.minute;
    }
    // 23:55 at N = 10 rolls into the next day.
    EXPECT_EQ(MinuteBucketEnd(At(23, 55), 10), T(2011, 8, 18, 0, 0));
}

TEST(MinuteBars, BucketEndsDoNotDependOnTheMachineZone)
{
    const char* saved = getenv("TZ");
    const std::string restore = saved ? saved : "";
    _putenv("TZ=PST8PDT");
    _tzset();
    const int32_t end = MinuteBucketEnd(At(9, 50), 15);
    _putenv(("TZ=" + restore).c_str());
    _tzset();
    EXPECT_EQ(end, At(10, 0));
}

TEST(MinuteBars, CalendarSplitsOfTheSeriesDoNotDependOnTheMachineZone)
{
    const char* saved = getenv("TZ");
    const std::string restore = saved ? saved : "";
    _putenv("TZ=PST8PDT");
    _tzset();
    // 2014-01-04 23:30 exchange time is still 4 January there, a Saturday in week 1.
    const int32_t late = T(2014, 1, 4, 23, 30);
    const int32_t dayKey = DayKey(late);
    const int32_t weekKey = WeekKeyOfTime(late);
    const int slot = CMinute::GetMinuteIndex(At(13, 1));
    const int32_t slotTime = CMinute::GetSlotTimeOnDay(At(20, 0), 122);
    const bool sameDay = SameTradingDay(T(2011, 8, 17, 0, 5), T(2011, 8, 17, 23, 55));
    _putenv(("TZ=" + restore).c_str());
    _tzset();
    EXPECT_EQ(dayKey, 20140104);
    EXPECT_EQ(weekKey, 201401);
    EXPECT_EQ(slot, 122);
    EXPECT_EQ(slotTime, At(13, 1));
    EXPECT_TRUE(sameDay);
}

TEST(MinuteBars, DerivedMinutePeriods)
{
    CFiveMinData five;
    float price = 10;
    for (int32_t t :
        { At(9, 35), At(9, 40), At(9, 45), At(9, 50), 0, At(11, 25), At(11, 30), At(13, 5), At(14, 5) }) {
        five.AppendBar(MakeBar(t, price, price + 1, price - 1, price + 0.5f, 10, 100));
        price += 1;
    }
    CKData fifteen;
    five.ToFifteenMinutes(&fifteen);
    ASSERT_GE(fifteen.GetCount(), 2);
    EXPECT_EQ(fifteen.GetBar(0)->time, At(9, 45));
    EXPECT_EQ(fifteen.GetBar(0)->open, 10.0f);
    EXPECT_EQ(fifteen.GetBar(0)->close, 12.5f);
    EXPECT_EQ(fifteen.GetBar(0)->high, 13.0f);
    EXPECT_EQ(fifteen.GetBar(0)->low, 9.0f);
    EXPECT_EQ(fifteen.GetBar(0)->volume, 30.0f);
    EXPECT_EQ(fifteen.GetBar(1)->time, At(9, 50));
    EXPECT_EQ(fifteen.HasData(), 1);

    CKData sixty;
    five.ToSixtyMinutes(&sixty);
    // 9:35-9:50 | 11:25, 11:30 | 13:05 | 14:05; the bar at time 0 is in none.
    ASSERT_EQ(sixty.GetCount(), 4);
    EXPECT_EQ(sixty.GetBar(0)->volume, 40.0f);
    EXPECT_EQ(sixty.GetBar(1)->time, At(11, 30));
    EXPECT_EQ(sixty.GetBar(1)->volume, 20.0f);
    EXPECT_EQ(sixty.GetBar(2)->time, At(13, 5));
    EXPECT_EQ(sixty.GetBar(3)->time, At(14, 5));

    CFiveMinData empty;
    CKData thirty;
    empty.ToThirtyMinutes(&thirty);
    EXPECT_EQ(thirty.GetCount(), 0);
    EXPECT_EQ(thirty.HasData(), 0);
}

} // namespace
