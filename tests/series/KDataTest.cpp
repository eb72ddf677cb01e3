// The day-bar series: files, request windows, merging, snapshots, derived periods, ex-rights.
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "base/CPFile.h"
#include "data/PwrData.h"
#include "data/ReplyChecks.h"
#include "data/FiveMinData.h"
#include "data/KData.h"
#include "data/MarketTime.h"
#include "tests/support/SeriesFixtures.h"
#include "tests/support/TempDataRoot.h"

namespace {

const uint32_t kKey = 0x600000;

void MergeReply(CKData& series, const std::vector<WireBar>& bars)
{
    CMemoryStream stream;
    FillStream(stream, BarReply(bars));
    ASSERT_EQ(series.Merge(kKey, &stream), 1);
}

std::vector<Bar> ReadBarFile(const std::string& path)
{
    std::string bytes;
    EXPECT_TRUE(ReadWholeFile(path.c_str(), bytes));
    std::vector<Bar> bars(bytes.size() / sizeof(Bar));
    if (!bars.empty())
        memcpy(bars.data(), bytes.data(), bars.size() * sizeof(Bar));
    return bars;
}

TEST(KData, SaveDropsIntradayDayBarsButFiveMinuteFilesKeepEveryBar)
{
    TempDirectory dir;
    const std::vector<WireBar> reply = {
        MakeWireBar(T(2011, 8, 16), 10, 11, 9, 10.5, 100, 1000),
        MakeWireBar(T(2011, 8, 17, 14, 35), 10.5, 11, 10, 10.75, 50, 500),
    };
    {
        CKData day;
        MergeReply(day, reply);
        ASSERT_EQ(day.Save((dir.Path() + "600000.day").c_str()), 1);
        EXPECT_EQ(day.IsDirty(), 0);
        EXPECT_EQ(day.Save(nullptr), 0) << "nothing written when clean";
    }
    {
        CFiveMinData five;
        MergeReply(five, reply);
        ASSERT_EQ(five.Save((dir.Path() + "600000.mn5").c_str()), 1);
    }
    const std::vector<Bar> dayBars = ReadBarFile(dir.Path() + "600000.day");
    ASSERT_EQ(dayBars.size(), 1u);
    EXPECT_EQ(dayBars[0].time, T(2011, 8, 16));
    EXPECT_EQ(ReadBarFile(dir.Path() + "600000.mn5").size(), 2u);

    CKData loaded;
    ASSERT_EQ(loaded.Load((dir.Path() + "600000.day").c_str(), kKey), 1);
    EXPECT_EQ(loaded.GetCount(), 1);
    EXPECT_EQ(loaded.GetFirstTime(), T(2011, 8, 16));
    EXPECT_EQ(loaded.HasData(), 1);
    EXPECT_EQ(loaded.GetBar(0)->close, 10.5f);
}

TEST(KData, FailedSaveKeepsTheOldFileAndTheDirtyFlag)
{
    TempDirectory dir;
    const std::string path = dir.Path() + "1.day";
    ASSERT_TRUE(WriteTestFile(path, std::string(28, 'x')));
    // The target is held open without sharing, so it cannot be replaced.
    HANDLE held = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    CKData day;
    MergeReply(day, { MakeWireBar(T(2011, 8, 16), 10, 11, 9, 10.5, 100, 1000) });
    EXPECT_EQ(day.Save(path.c_str()), 0);
    ::CloseHandle(held);
    EXPECT_EQ(day.IsDirty(), 1);
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(path.c_str(), bytes));
    EXPECT_EQ(bytes, std::string(28, 'x'));
}

TEST(KData, LoadIgnoresATrailingPartialRecordAndAMissingFile)
{
    TempDirectory dir;
    const Bar bar = MakeBar(T(2011, 8, 16), 10, 11, 9, 10.5);
    std::string bytes;
    AppendPod(bytes, bar);
    bytes += "12345";
    ASSERT_TRUE(WriteTestFile(dir.Path() + "2.day", bytes));
    CKData day;
    EXPECT_EQ(day.Load((dir.Path() + "missing.day").c_str(), kKey), 0);
    EXPECT_EQ(day.HasData(), 0);
    ASSERT_EQ(day.Load((dir.Path() + "2.day").c_str(), kKey), 1);
    EXPECT_EQ(day.GetCount(), 1);
}

struct WindowCase
{
    const char* name;
    bool fiveMinute;
    std::vector<int32_t> barTimes; // series content before the requests
    std::vector<int> mores; // RequestData arguments, each followed by a failure call
    // expected (from, to) of each request actually sent
    std::vector<std::pair<int64_t, int64_t>> expected;
};

TEST(KData, RequestWindows)
{
    const int32_t now = T(2012, 3, 1, 10, 0);
    const int32_t first = T(2011, 1, 4);
    const int32_t last = T(2011, 6, 30);
    const std::vector<WindowCase> cases = {
        { "empty update", false, {}, { 0 }, { { now - 94608000LL, now + 259200LL } } },
        { "empty history asks the update window", false, {}, { 1 },
            { { now - 94608000LL, now + 259200LL } } },
        { "update from the last bar", false, { first, last }, { 0 }, { { last, now + 259200LL } } },
        { "day history", false, { first, last }, { 1 }, { { first - 94608000LL, first - 86400LL } } },
        { "five-minute history", true, { first, last }, { 1 }, { { first - 94608000LL, first - 300LL } } },
        { "unmerged history sends nothing more, the update still goes", false, { first, last }, { 1, 1, 0 },
            { { first - 94608000LL, first - 86400LL }, { last, now + 259200LL } } },
    };
    ScopedServerTime server(now);
    for (const WindowCase& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingDataProvider provider;
        ScopedDataProvider scope(&provider);
        CFiveMinData five;
        CKData day;
        CKData& series = c.fiveMinute ? static_cast<CKData&>(five) : day;
        std::vector<WireBar> bars;
        for (int32_t t : c.barTimes)
            bars.push_back(MakeWireBar(t, 10, 10, 10, 10, 1, 1));
        if (!bars.empty())
            MergeReply(series, bars);
        for (int more : c.mores) {
            const size_t before = provider.requests.size();
            EXPECT_EQ(series.RequestData(more), 1);
            if (provider.requests.size() > before) {
                EXPECT_EQ(series.IsRequestPending(), 1);
                EXPECT_EQ(series.RequestData(more), 1) << "pending: nothing sent";
                provider.Complete(before, nullptr);
            }
            EXPECT_EQ(series.IsRequestPending(), 0);
        }
        ASSERT_EQ(provider.requests.size(), c.expected.size());
        for (size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_EQ(provider.requests[i].command, c.fiveMinute ? 0x302 : 0x301);
            EXPECT_EQ(provider.requests[i].key, series.GetKey());
            EXPECT_EQ(provider.requests[i].from, static_cast<uint32_t>(c.expected[i].first)) << i;
            EXPECT_EQ(provider.requests[i].to, static_cast<uint32_t>(c.expected[i].second)) << i;
        }
        five.BeginDelete();
        day.BeginDelete();
    }
}

// Bars a reply may carry: inside the window asked for (a day's tolerance
// after it, a resend's few trading days before it); a time no request reaches
// refuses the reply. A bar that is none refuses a reply it leads and is
// skipped alone among good bars; an odd bar (no trade) is skipped anywhere.
TEST(KData, RepliesTakeGoodBarsAndRefuseWhatNoMarketSends)
{
    const int32_t now = T(2026, 12, 10, 15, 30);
    ScopedServerTime server(now);
    const int32_t last = T(2026, 12, 8);
    struct Case
    {
        const char* name;
        WireBar bar;
        int count; // bars held afterwards with the bar after a good one: 1 when the reply is refused
        int leading; // the same with the bar first
        size_t skipped;
    };
    const Case cases[] = {
        { "the next day", MakeWireBar(T(2026, 12, 9), 10, 11, 9, 10.5, 100, 1000), 2, 2, 0 },
        { "a day before the window, stamped otherwise", MakeWireBar(last - 80000, 10, 11, 9, 10.5, 1, 1), 3, 3, 0 },
        { "the Friday before, resent", MakeWireBar(T(2026, 12, 4), 10, 11, 9, 10.5, 100, 1000), 3, 3, 0 },
        { "a day without a trade (all prices 0)", MakeWireBar(T(2026, 12, 10), 0, 0, 0, 0, 0, 0), 2, 2, 1 },
        { "a price of zero", MakeWireBar(T(2026, 12, 10), 0, 11, 0, 10.5, 100, 1000), 2, 2, 1 },
        { "a high below the low", MakeWireBar(T(2026, 12, 10), 10, 8.5, 9, 10.5, 100, 1000), 2, 2, 1 },
        { "a price beyond any market", MakeWireBar(T(2026, 12, 10), 10, 2147483.648, 9, 10.5, 100, 1000), 2, 1, 1 },
        { "in 2037", MakeWireBar(2130000000, 10, 11, 9, 10.5, 100, 1000), 1, 1, 0 },
        { "in 1902 (negative)", MakeWireBar(-2130000000, 10, 11, 9, 10.5, 100, 1000), 1, 1, 0 },
        { "years before the window", MakeWireBar(T(2020, 1, 6), 10, 11, 9, 10.5, 100, 1000), 1, 1, 0 },
        { "a month before the window", MakeWireBar(T(2026, 11, 6), 10, 11, 9, 10.5, 100, 1000), 1, 1, 0 },
    };
    for (const Case& c : cases) {
        for (bool leading : { false, true }) {
            SCOPED_TRACE(std::string(c.name) + (leading ? ", leading" : ""));
            RecordingDataProvider provider;
            ScopedDataProvider scope(&provider);
            CKData day;
            day.SetKey(0x600000);
            MergeReply(day, { MakeWireBar(last, 10, 11, 9, 10, 100, 1000) });
            ASSERT_EQ(day.RequestData(0), 1);
            ASSERT_EQ(provider.requests.size(), 1u);
            const WireBar good = MakeWireBar(T(2026, 12, 9), 10, 11, 9, 10, 1, 1);
            const std::string reply = leading ? BarReply({ c.bar, good }) : BarReply({ good, c.bar });
            provider.Complete(0, &reply);
            const int count = leading ? c.leading : c.count;
            EXPECT_EQ(day.GetCount(), count);
            if (count > 1) {
                EXPECT_EQ(day.GetSkipped(), c.skipped);
            }
            for (int i = 0; i < day.GetCount(); ++i)
                EXPECT_GT(day.GetBar(i)->close, 0) << i;
            if (count == 1) {
                EXPECT_EQ(day.GetLastTime(), last);
                // The next update still starts at the last good bar.
                ASSERT_EQ(day.RequestData(0), 1);
                EXPECT_EQ(provider.requests[1].from, static_cast<uint32_t>(last));
                provider.Complete(1, nullptr);
            }
        }
    }
}

TEST(KData, SeriesLongerThanTheLongestHistoryAreRefused)
{
    TempDirectory dir;
    const std::string path = dir.Path() + "1.day";
    std::string bytes;
    for (size_t i = 0; i <= MarketBounds::kDayBars; ++i)
        AppendPod(bytes, MakeBar(T(1990, 12, 19) + static_cast<int32_t>(i) * 86400, 10, 11, 9, 10));
    ASSERT_TRUE(WriteTestFile(path, bytes));
    CKData day;
    EXPECT_EQ(day.Load(path.c_str(), 1), 0);
    EXPECT_EQ(day.GetCount(), 0);
    EXPECT_EQ(day.HasData(), 0);
    std::vector<WireBar> bars;
    for (size_t i = 0; i <= MarketBounds::kDayBars; ++i)
        bars.push_back(MakeWireBar(T(1990, 12, 19) + static_cast<int32_t>(i) * 86400, 10, 11, 9, 10, 1, 1));
    CMemoryStream stream;
    FillStream(stream, BarReply(bars));
    EXPECT_EQ(day.Merge(1, &stream), 0);
    EXPECT_EQ(day.GetCount(), 0);
    EXPECT_EQ(day.IsDirty(), 0);
}

// A first bar at the very start of the time range: the window of older bars
// is computed in 64 bits and clamped, never wrapped into the future.
TEST(KData, HistoryWindowOfAnEarlyFirstBarDoesNotWrap)
{
    ScopedServerTime server(T(2026, 12, 10, 15, 30));
    RecordingDataProvider provider;
    ScopedDataProvider scope(&provider);
    TempDirectory dir;
    const std::string path = dir.Path() + "1.day";
    std::string bytes;
    AppendPod(bytes, MakeBar(1, 10, 11, 9, 10));
    AppendPod(bytes, MakeBar(T(2026, 12, 9), 10, 11, 9, 10));
    ASSERT_TRUE(WriteTestFile(path, bytes));
    CKData day;
    ASSERT_EQ(day.Load(path.c_str(), 1), 1);
    ASSERT_EQ(day.RequestData(1), 1);
    ASSERT_EQ(provider.requests.size(), 1u);
    EXPECT_EQ(provider.requests[0].from, 0u);
    EXPECT_EQ(provider.requests[0].to, 0u);
    provider.Complete(0, nullptr);
}

struct MergeCase
{
    const char* name;
    bool fiveMinute;
    std::vector<Bar> stored;
    std::vector<WireBar> reply;
    std::vector<std::pair<int32_t, float>> expected; // (time, close)
};

TEST(KData, MergeOrdersAndKeepsOneBarPerDayOrMinute)
{
    const int32_t d16 = T(2011, 8, 16);
    const int32_t d17 = T(2011, 8, 17);
    const std::vector<MergeCase> cases = {
        { "a reply bar replaces a stored bar of the same time", false, { MakeBar(d16, 1, 1, 1, 5) },
            { MakeWireBar(d16, 1, 1, 1, 6, 1, 1) }, { { d16, 6 } } },
        { "of two reply bars of the same day and time the later one wins", false, {},
            { MakeWireBar(d16, 1, 1, 1, 6, 1, 1), MakeWireBar(d16, 1, 1, 1, 7, 1, 1) }, { { d16, 7 } } },
        { "a stored 00:00 bar stays before a reply bar stamped 14:35", false, { MakeBar(d16, 1, 1, 1, 5) },
            { MakeWireBar(d16 + 14 * 3600 + 35 * 60, 1, 1, 1, 6, 1, 1) }, { { d16, 5 } } },
        { "reply bars are sorted in", false, { MakeBar(d17, 1, 1, 1, 5) },
            { MakeWireBar(d16, 1, 1, 1, 4, 1, 1) }, { { d16, 4 }, { d17, 5 } } },
        { "minute series keep a bar per minute", true, { MakeBar(d16 + 9 * 3600 + 35 * 60, 1, 1, 1, 5) },
            { MakeWireBar(d16 + 9 * 3600 + 40 * 60, 1, 1, 1, 6, 1, 1),
                MakeWireBar(d16 + 9 * 3600 + 40 * 60, 1, 1, 1, 7, 1, 1) },
            { { d16 + 9 * 3600 + 35 * 60, 5 }, { d16 + 9 * 3600 + 40 * 60, 7 } } },
    };
    for (const MergeCase& c : cases) {
        SCOPED_TRACE(c.name);
        CFiveMinData five;
        CKData day;
        CKData& series = c.fiveMinute ? static_cast<CKData&>(five) : day;
        for (const Bar& b : c.stored)
            series.AppendBar(b);
        MergeReply(series, c.reply);
        ASSERT_EQ(series.GetCount(), static_cast<int>(c.expected.size()));
        for (size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_EQ(series.GetBar(static_cast<int>(i))->time, c.expected[i].first);
            EXPECT_EQ(series.GetBar(static_cast<int>(i))->close, c.expected[i].second);
        }
        EXPECT_EQ(series.GetFirstTime(), c.expected.front().first);
        EXPECT_EQ(series.GetLastTime(), c.expected.back().first);
        EXPECT_EQ(series.IsDirty(), 1);
        EXPECT_EQ(series.IsActive(), 1);
        EXPECT_EQ(series.HasData(), 1);
        series.SetActive(0);
        five.Save(nullptr);
    }
}

TEST(KData, MergeRefusesMissingAndTruncatedReplies)
{
    CKData day;
    day.AppendBar(MakeBar(T(2011, 8, 16), 1, 1, 1, 5));
    EXPECT_EQ(day.Merge(kKey, nullptr), 0);
    CMemoryStream empty;
    EXPECT_EQ(day.Merge(kKey, &empty), 0);
    CMemoryStream shortReply;
    FillStream(shortReply, std::string(5, '\0'));
    EXPECT_EQ(day.Merge(kKey, &shortReply), 0);
    // The two words without a bar: nothing to take, nothing to save.
    CMemoryStream noBars;
    FillStream(noBars, BarReply({}));
    EXPECT_EQ(day.Merge(kKey, &noBars), 0);
    EXPECT_EQ(day.GetCount(), 1);
    EXPECT_EQ(day.IsDirty(), 0);
    // A remainder shorter than one bar is ignored.
    std::string reply = BarReply({ MakeWireBar(T(2011, 8, 17), 1, 1, 1, 6, 1, 1) }) + "abc";
    CMemoryStream tail;
    FillStream(tail, reply);
    EXPECT_EQ(day.Merge(kKey, &tail), 1);
    EXPECT_EQ(day.GetCount(), 2);
}

TEST(KData, CopyToRefreshesTheSnapshotAndTheSourceWinsOnTheSameDay)
{
    const int32_t d16 = T(2011, 8, 16);
    const int32_t d17 = T(2011, 8, 17);
    CKData cache;
    MergeReply(cache, { MakeWireBar(d16, 1, 1, 1, 5, 1, 1), MakeWireBar(d17, 1, 1, 1, 6, 1, 1) });
    CKData snapshot;
    snapshot.AppendBar(MakeBar(T(2011, 8, 15), 1, 1, 1, 4));
    snapshot.AppendBar(MakeBar(d17 + 14 * 3600, 1, 1, 1, 99)); // today's bar built from ticks
    ASSERT_EQ(cache.CopyTo(&snapshot), 1);
    ASSERT_EQ(snapshot.GetCount(), 3);
    EXPECT_EQ(snapshot.GetBar(0)->close, 4.0f);
    EXPECT_EQ(snapshot.GetBar(2)->time, d17);
    EXPECT_EQ(snapshot.GetBar(2)->close, 6.0f);
    EXPECT_EQ(snapshot.IsDirty(), 0);
    EXPECT_EQ(snapshot.IsRequestPending(), 0);
    EXPECT_EQ(cache.IsActive(), 0);
    EXPECT_EQ(cache.CopyTo(&snapshot), 0) << "nothing new to copy";
    cache.Save(nullptr);
}

TEST(KData, MinuteSnapshotsKeepOneBarPerMinuteAndTheSourceWins)
{
    const int32_t t935 = T(2011, 8, 17, 9, 35);
    CFiveMinData cache;
    MergeReply(cache, { MakeWireBar(t935, 1, 1, 1, 5, 1, 1), MakeWireBar(t935 + 300, 1, 1, 1, 6, 1, 1) });
    CFiveMinData snapshot;
    snapshot.AppendBar(MakeBar(t935 - 300, 1, 1, 1, 4)); // a minute the cache does not hold
    snapshot.AppendBar(MakeBar(t935 + 300 + 20, 1, 1, 1, 99)); // the same minute, later in it
    snapshot.AppendBar(MakeBar(T(2011, 8, 18, 9, 40), 1, 1, 1, 7)); // the same clock minute, next day
    ASSERT_EQ(cache.CopyTo(&snapshot), 1);
    ASSERT_EQ(snapshot.GetCount(), 4);
    EXPECT_EQ(snapshot.GetBar(0)->close, 4.0f);
    EXPECT_EQ(snapshot.GetBar(1)->close, 5.0f);
    EXPECT_EQ(snapshot.GetBar(2)->time, t935 + 300);
    EXPECT_EQ(snapshot.GetBar(2)->close, 6.0f);
    EXPECT_EQ(snapshot.GetBar(3)->close, 7.0f);
    cache.Save(nullptr);
}

TEST(KData, IndexAccessIsBoundsChecked)
{
    CKData day;
    day.AppendBar(MakeBar(T(2011, 8, 16), 1, 1, 1, 5));
    EXPECT_EQ(day.GetBar(-1), nullptr);
    EXPECT_EQ(day.GetBar(1), nullptr);
    EXPECT_FALSE(day.SetBar(1, MakeBar(0, 1, 1, 1, 1)));
    EXPECT_EQ(day.RemoveBars(3, 1), 3);
    EXPECT_EQ(day.RemoveBars(0, 99), 0);
}

struct HighLowCase
{
    const char* name;
    int first;
    int last;
    int result;
    float low;
    float high;
    int lowIndex;
    int highIndex;
};

TEST(KData, HighLowRanges)
{
    // lows 5 3 3 4, highs 8 9 9 6
    CKData day;
    day.AppendBar(MakeBar(T(2011, 8, 15), 6, 8, 5, 6));
    day.AppendBar(MakeBar(T(2011, 8, 16), 6, 9, 3, 6));
    day.AppendBar(MakeBar(T(2011, 8, 17), 6, 9, 3, 6));
    day.AppendBar(MakeBar(T(2011, 8, 18), 5, 6, 4, 5));
    typedef int (CKData::*HighLowGetter)(int, int, float*, float*, int*, int*) const;
    auto check = [&day](const std::vector<HighLowCase>& cases, HighLowGetter getter) {
        for (const HighLowCase& c : cases) {
            SCOPED_TRACE(c.name);
            float low = 0, high = 0;
            int lowIndex = 7, highIndex = 7;
            EXPECT_EQ((day.*getter)(c.first, c.last, &low, &high, &lowIndex, &highIndex), c.result);
            EXPECT_EQ(low, c.low);
            EXPECT_EQ(high, c.high);
            EXPECT_EQ(lowIndex, c.lowIndex);
            EXPECT_EQ(highIndex, c.highIndex);
        }
    };
    check(
        {
            { "ties go to the earlier bar", 0, 3, 1, 3, 9, 1, 1 },
            { "clamped to the series", -5, 99, 1, 3, 9, 1, 1 },
            { "empty range", 4, 9, 0, -1, 1, 0, 0 },
        },
        &CKData::GetHighLowInRange);
    check(
        {
            { "indices tie to the later bar, values from the widened range", 3, 3, 1, 3, 9, 3, 3 },
            { "ties to the later bar", 0, 2, 1, 3, 9, 2, 2 },
            { "exact range empty, widened range not", 6, 9, 1, 3, 9, 0, 0 },
            { "nothing even widened", 30, 40, 0, -1, 0, 0, 0 },
        },
        &CKData::GetHighLowRange);
    EXPECT_EQ(day.GetHighLowRange(0, 3, nullptr, nullptr, nullptr, nullptr), 1);
    CKData empty;
    float low = 0, high = 5;
    EXPECT_EQ(empty.GetHighLowRange(0, 3, &low, &high, nullptr, nullptr), 0);
    EXPECT_EQ(high, 0.0f);
}

TEST(KData, WeekKeys)
{
    // 2014-01-01 was a Wednesday: week 1 ends on Saturday the 4th.
    EXPECT_EQ(WeekKeyOfTime(T(2014, 1, 1)), 201401);
    EXPECT_EQ(WeekKeyOfTime(T(2014, 1, 4)), 201401);
    EXPECT_EQ(WeekKeyOfTime(T(2014, 1, 5)), 201402);
    EXPECT_EQ(WeekKeyOfTime(T(2014, 1, 11)), 201402);
    EXPECT_EQ(WeekKeyOfTime(T(2014, 1, 13)), 201403);
    // Across the year start the key changes even inside one calendar week.
    EXPECT_EQ(WeekKeyOfTime(T(2013, 12, 31)), 201353);
    // A Saturday and the following Monday are in different weeks; split in exchange time.
    EXPECT_NE(WeekKeyOfTime(T(2011, 8, 20)), WeekKeyOfTime(T(2011, 8, 22)));
    EXPECT_EQ(WeekKeyOfTime(T(2011, 8, 22)), WeekKeyOfTime(T(2011, 8, 26, 23, 59)));
}

TEST(KData, DerivedPeriodsGroupDayBars)
{
    CKData day;
    // Thu 2013-12-26 .. Fri 2014-01-03, then Mon 2014-01-06.
    const int dates[][3] = { { 2013, 12, 26 }, { 2013, 12, 27 }, { 2013, 12, 30 }, { 2013, 12, 31 },
        { 2014, 1, 2 }, { 2014, 1, 3 }, { 2014, 1, 6 } };
    float price = 10;
    for (const auto& d : dates) {
        day.AppendBar(MakeBar(T(d[0], d[1], d[2]), price, price + 1, price - 1, price + 0.5f, 10, 100));
        price += 1;
    }
    CKData week, month, quarter, year;
    week.SetKind(kSeriesWeek);
    day.ToWeek(&week);
    day.ToMonth(&month);
    day.ToQuarter(&quarter);
    day.ToYear(&year);
    // Weeks: Dec 26-27 | Dec 30-31 | Jan 2-3 | Jan 6.
    ASSERT_EQ(week.GetCount(), 4);
    EXPECT_EQ(week.GetBar(0)->time, T(2013, 12, 27));
    EXPECT_EQ(week.GetBar(0)->open, 10.0f);
    EXPECT_EQ(week.GetBar(0)->high, 12.0f);
    EXPECT_EQ(week.GetBar(0)->low, 9.0f);
    EXPECT_EQ(week.GetBar(0)->close, 11.5f);
    EXPECT_EQ(week.GetBar(0)->volume, 20.0f);
    EXPECT_EQ(week.GetBar(0)->amount, 200.0f);
    EXPECT_EQ(week.HasData(), 1);
    EXPECT_EQ(month.GetCount(), 2);
    EXPECT_EQ(quarter.GetCount(), 2);
    EXPECT_EQ(year.GetCount(), 2);
    EXPECT_EQ(year.GetBar(1)->volume, 30.0f);

    CKData none, target;
    none.ToWeek(&target);
    EXPECT_EQ(target.GetCount(), 0);
    EXPECT_EQ(target.HasData(), 0);
}

class ExRights : public ::testing::Test
{
protected:
    // Ten day bars from 2011-08-01 with close 10 and open 10, volume 100.
    void SetUp() override
    {
        for (int i = 0; i < 10; ++i)
            day.AppendBar(MakeBar(T(2011, 8, 1 + i), 10, 10.5f, 9.5f, 10, 100, 1000));
    }
    static ExRightsRecord Cash(int32_t time, float cash) { return ExRightsRecord { time, 0, 0, 0, cash }; }

    const int32_t start = T(2004, 5, 10);
    CKData day;
};

TEST_F(ExRights, FactorOfACashDividend)
{
    EXPECT_NEAR(ExRightsFactor(Cash(0, 0.5f), 10), 0.95, 1e-9);
    EXPECT_EQ(ExRightsFactor(Cash(0, 0.5f), 0.00001), 1);
    // 10 bonus shares per 10 and 3 rights per 10 at 5.00: (1/2) x ((10 + 1.5) / 1.3) / 10.
    const ExRightsRecord mixed = { 0, 1.0f, 0.3f, 5.0f, 0 };
    EXPECT_NEAR(ExRightsFactor(mixed, 10), 0.5 * (11.5 / 1.3) / 10, 1e-6);
}

TEST_F(ExRights, KeepEarliestDividesLaterBars)
{
    // A record between bars 4 and 5: F = 0.95 from bar 5 on.
    const std::vector<ExRightsRecord> records = { Cash(T(2011, 8, 6), 0.5f) };
    ASSERT_EQ(day.ApplyExRights(&records, CKData::kKeepEarliest, start, 11), 1);
    EXPECT_EQ(day.GetExRightsMode(), 2);
    EXPECT_EQ(day.GetBar(4)->close, 10.0f);
    EXPECT_NEAR(day.GetBar(5)->close, 10 / 0.95, 1e-4);
    EXPECT_NEAR(day.GetBar(9)->open, 10 / 0.95, 1e-4);
    EXPECT_NEAR(day.GetBar(5)->volume, 95, 1e-3);
    EXPECT_EQ(day.GetBar(5)->amount, 1000.0f);
}

TEST_F(ExRights, RecordsBeforeTheFirstBarChangeNothing)
{
    const std::vector<ExRightsRecord> records
        = { Cash(T(2011, 1, 1), 0.5f), Cash(T(2011, 2, 1), 0.5f), Cash(T(2011, 8, 1), 0.5f) };
    ASSERT_EQ(day.ApplyExRights(&records, CKData::kKeepEarliest, start, 11), 1);
    for (int i = 0; i < day.GetCount(); ++i)
        EXPECT_EQ(day.GetBar(i)->close, 10.0f) << i;
}

TEST_F(ExRights, UnrecordedGapsAboveTheThresholdCountAsEvents)
{
    struct Case
    {
        float open;
        bool event;
    };
    for (const Case& c : { Case { 8.8f, true }, Case { 9.0f, false } }) {
        CKData series;
        for (int i = 0; i < 4; ++i)
            series.AppendBar(MakeBar(T(2011, 8, 1 + i), i == 2 ? c.open : 10, 10, 8, 10, 100, 1000));
        // No records at all: a stock without ex-rights history keeps its bars, gaps still count.
        ASSERT_EQ(series.ApplyExRights(nullptr, CKData::kKeepLatest, start, 11), 1);
        const float expected = c.event ? 10 * c.open / 10 : 10;
        EXPECT_NEAR(series.GetBar(0)->close, expected, 1e-4) << c.open;
        EXPECT_EQ(series.GetBar(3)->close, 10.0f);
        ASSERT_EQ(series.ApplyExRights(nullptr, CKData::kKeepEarliest, start, 11), 1);
        EXPECT_NEAR(series.GetBar(3)->close, c.event ? 10 / (c.open / 10) : 10, 1e-4) << c.open;
    }
    // Before the start date a gap is not an event.
    CKData old;
    old.AppendBar(MakeBar(T(2003, 8, 1), 10, 10, 8, 10));
    old.AppendBar(MakeBar(T(2003, 8, 4), 8, 10, 8, 10));
    ASSERT_EQ(old.ApplyExRights(nullptr, CKData::kKeepLatest, start, 11), 1);
    EXPECT_EQ(old.GetBar(0)->close, 10.0f);
}

TEST_F(ExRights, ModeOneAfterThreeRestoresExactly)
{
    const std::vector<ExRightsRecord> records = { Cash(T(2011, 8, 6), 0.5f) };
    const std::vector<Bar> original = day.GetBars();
    ASSERT_EQ(day.ApplyExRights(&records, CKData::kKeepLatest, start, 11), 1);
    EXPECT_NEAR(day.GetBar(4)->close, 9.5, 1e-4);
    EXPECT_EQ(day.GetBar(5)->close, 10.0f);
    EXPECT_EQ(day.IsAdjusted(), 1);
    ASSERT_EQ(day.ApplyExRights(&records, CKData::kNoAdjustment, start, 11), 1);
    EXPECT_EQ(day.IsAdjusted(), 0);
    ASSERT_EQ(day.GetCount(), static_cast<int>(original.size()));
    EXPECT_EQ(memcmp(day.GetBars().data(), original.data(), original.size() * sizeof(Bar)), 0);
    // Switching from 3 to 2 rebuilds from the unadjusted bars, not from adjusted ones.
    ASSERT_EQ(day.ApplyExRights(&records, CKData::kKeepLatest, start, 11), 1);
    ASSERT_EQ(day.ApplyExRights(&records, CKData::kKeepEarliest, start, 11), 1);
    EXPECT_EQ(day.GetBar(4)->close, 10.0f);
    // An edit ends the adjustment.
    day.AppendBar(MakeBar(T(2011, 8, 20), 10, 10, 10, 10));
    EXPECT_EQ(day.IsAdjusted(), 0);
    EXPECT_EQ(day.GetBar(5)->close, 10.0f);
}

TEST_F(ExRights, CashAtOrAbovePriceIsSkipped)
{
    const std::vector<ExRightsRecord> records = { Cash(T(2011, 8, 6), 10.0f), Cash(T(2011, 8, 8), 12.0f) };
    ASSERT_EQ(day.ApplyExRights(&records, CKData::kKeepLatest, start, 11), 1);
    ASSERT_EQ(day.ApplyExRights(&records, CKData::kKeepEarliest, start, 11), 1);
    for (int i = 0; i < day.GetCount(); ++i)
        EXPECT_EQ(day.GetBar(i)->close, 10.0f) << i;
}

TEST_F(ExRights, DerivedKindsAndEmptySeriesAreLeftAlone)
{
    CKData week;
    week.SetKind(kSeriesWeek);
    week.AppendBar(MakeBar(T(2011, 8, 5), 10, 10, 10, 10));
    EXPECT_EQ(week.ApplyExRights(nullptr, CKData::kKeepLatest, start, 11), kSeriesWeek);
    EXPECT_EQ(week.IsAdjusted(), 0);
    CKData empty;
    EXPECT_EQ(empty.ApplyExRights(nullptr, CKData::kKeepLatest, start, 11), 0);
    EXPECT_EQ(empty.IsAdjusted(), 0);
    EXPECT_EQ(empty.GetExRightsMode(), 1);
    // A mode-2 gap check with an open of 0 must not divide by zero.
    CKData zeroOpen;
    zeroOpen.AppendBar(MakeBar(T(2011, 8, 1), 10, 10, 10, 10));
    zeroOpen.AppendBar(MakeBar(T(2011, 8, 2), 0, 10, 10, 10));
    ASSERT_EQ(zeroOpen.ApplyExRights(nullptr, CKData::kKeepEarliest, start, 11), 1);
    EXPECT_EQ(zeroOpen.GetBar(1)->close, 10.0f);
}

} // namespace

namespace {

TEST(KData, FindRecordOfDayMatchesTheExchangeDay)
{
    const std::vector<ExRightsRecord> records = { { T(2011, 8, 16), 0, 0, 0, 0.1f },
        { T(2011, 8, 17), 0, 0, 0, 0.2f }, { T(2011, 8, 17, 15, 0), 0, 0, 0, 0.3f } };
    const ExRightsRecord* found = FindRecordOfDay(&records, T(2011, 8, 17, 23, 59));
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->cashDividend, 0.2f);
    EXPECT_EQ(FindRecordOfDay(&records, T(2011, 8, 18)), nullptr);
    EXPECT_EQ(FindRecordOfDay(nullptr, T(2011, 8, 17)), nullptr);
}

} // namespace

namespace {

TEST(KData, DeletionWaitsForTheDueCallbackAndALateReplyIsNotMerged)
{
    ScopedServerTime server(T(2011, 8, 17, 15, 30));
    RecordingDataProvider provider;
    ScopedDataProvider scope(&provider);
    CKData day;
    CFiveMinData five;
    day.AppendBar(MakeBar(T(2011, 8, 16), 1, 1, 1, 5));
    five.AppendBar(MakeBar(T(2011, 8, 16, 15, 0), 1, 1, 1, 5));
    CKData* const series[] = { &day, &five };
    std::atomic<int> returned(0);
    std::vector<std::thread> deleters;
    for (CKData* s : series) {
        ASSERT_EQ(s->RequestData(0), 1);
        deleters.emplace_back([s, &returned]() {
            s->BeginDelete();
            ++returned;
        });
    }
    ASSERT_EQ(provider.requests.size(), 2u);
    // Both replies are held well past the two seconds a bounded wait would give up after.
    ::Sleep(2500);
    EXPECT_EQ(returned.load(), 0);
    EXPECT_FALSE(day.IsValid());
    EXPECT_FALSE(five.IsValid());
    const std::string reply = BarReply({ MakeWireBar(T(2011, 8, 17), 1, 1, 1, 6, 1, 1) });
    provider.Complete(0, &reply);
    provider.Complete(1, &reply);
    for (std::thread& d : deleters)
        d.join();
    EXPECT_EQ(returned.load(), 2);
    EXPECT_EQ(day.GetCount(), 1) << "a reply for a series being deleted is dropped";
    EXPECT_EQ(five.GetCount(), 1);
    EXPECT_EQ(day.IsRequestPending(), 0);
}

} // namespace

namespace {

TEST(KData, ACopyHoldsTheSameBarsAndHeader)
{
    static_assert(std::is_copy_constructible<CFiveMinData>::value, "series can be cloned");
    CKData day;
    const std::vector<WireBar> reply = { MakeWireBar(T(2011, 8, 16), 1, 1, 1, 5, 1, 1) };
    CMemoryStream stream;
    FillStream(stream, BarReply(reply));
    ASSERT_EQ(day.Merge(kKey, &stream), 1);
    day.SetActive(0);
    CKData copy(day);
    EXPECT_EQ(copy.GetCount(), 1);
    EXPECT_EQ(copy.GetFirstTime(), day.GetFirstTime());
    EXPECT_EQ(copy.IsValid(), 1);
    EXPECT_EQ(copy.GetKind(), kSeriesDay);
    copy.SetActive(0);
}

} // namespace
