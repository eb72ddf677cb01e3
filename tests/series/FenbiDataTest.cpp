// The tick series: its file, merging replies of one trading day, outer and inner volume.
#include <gtest/gtest.h>

#include <vector>

#include "base/CPFile.h"
#include "data/FenbiData.h"
#include "data/ReplyChecks.h"
#include "tests/support/SeriesFixtures.h"
#include "tests/support/TempDataRoot.h"

namespace {

const uint32_t kKey = 0x600000;

std::string TickFile(int32_t headerTime, const std::vector<TickRecord>& ticks)
{
    TickFileHeader header = {};
    header.time = headerTime;
    header.previousClose = 10;
    std::string bytes;
    AppendPod(bytes, header);
    for (const TickRecord& t : ticks)
        AppendPod(bytes, t);
    return bytes;
}

int MergeTicks(CFenbiData& series, int32_t headerTime, const std::vector<WireTick>& ticks)
{
    CMemoryStream stream;
    FillStream(stream, TickReply(MakeWireTickHeader(headerTime, 10), ticks));
    return series.Merge(kKey, &stream);
}

TEST(FenbiData, LoadKeepsTheHeaderDayAndDropsRepeats)
{
    TempDirectory dir;
    const int32_t d16 = T(2011, 8, 16, 14, 0);
    const int32_t d17 = T(2011, 8, 17, 9, 31);
    const std::vector<TickRecord> ticks = {
        MakeTick(d16, 10, 100, 1000), MakeTick(d17 + 60, 10.25f, 300, 3000), MakeTick(d17, 10, 200, 2000),
        MakeTick(d17, 10, 200, 2000), // same time, price and volume: one stays
        MakeTick(d17 + 60, 10.25f, 350, 3500), // same time, other volume: both stay
    };
    ASSERT_TRUE(WriteTestFile(dir.Path() + "600000.fbl", TickFile(T(2011, 8, 17, 15, 0), ticks)));
    CFenbiData series;
    ASSERT_EQ(series.Load((dir.Path() + "600000.fbl").c_str(), kKey), 1);
    ASSERT_EQ(series.GetCount(), 3);
    EXPECT_EQ(series.GetTick(0).time, d17);
    EXPECT_EQ(series.GetTick(1).volume, 300.0f);
    EXPECT_EQ(series.GetTick(2).volume, 350.0f);
    EXPECT_EQ(series.GetFirstTime(), d17);
    EXPECT_EQ(series.GetLastTime(), d17 + 60);
    EXPECT_EQ(series.GetPrevClose(), 10.0f);
    EXPECT_EQ(series.GetTick(3).time, 0) << "outside the ticks: a zero tick";
    TickRecord copy;
    EXPECT_FALSE(series.CopyTick(-1, &copy));

    // A file shorter than its header loads nothing.
    ASSERT_TRUE(WriteTestFile(dir.Path() + "short.fbl", std::string(100, '\0')));
    CFenbiData shortSeries;
    EXPECT_EQ(shortSeries.Load((dir.Path() + "short.fbl").c_str(), kKey), 0);
    EXPECT_EQ(shortSeries.GetPrevClose(), 0.0f);
}

TEST(FenbiData, MergeKeepsOneTradingDay)
{
    const int32_t day1 = T(2011, 8, 17, 9, 31);
    const int32_t day2 = T(2011, 8, 18, 9, 31);
    CFenbiData series;
    ASSERT_EQ(MergeTicks(series, day1 + 3600,
                  { MakeWireTick(day1, 10, 100, 1000), MakeWireTick(day1 + 60, 10.5, 200, 2100) }),
        1);
    EXPECT_EQ(series.GetCount(), 2);
    EXPECT_EQ(series.IsDirty(), 1);

    // The next request starts at the last tick: the boundary tick comes back and must not pile up.
    ASSERT_EQ(MergeTicks(series, day1 + 3700,
                  { MakeWireTick(day1 + 60, 10.5, 200, 2100), MakeWireTick(day1 + 120, 10.25, 250, 2600) }),
        1);
    EXPECT_EQ(series.GetCount(), 3);

    // A reply with header time 0 or of an earlier day is ignored; ending the wait is
    // left to the completion callback.
    series.SetRequestPending(1);
    EXPECT_EQ(MergeTicks(series, 0, { MakeWireTick(day1 + 180, 10, 300, 3000) }), 0);
    EXPECT_EQ(series.IsRequestPending(), 1);
    EXPECT_EQ(MergeTicks(series, T(2011, 8, 16, 15, 0), { MakeWireTick(T(2011, 8, 16, 14, 0), 9, 1, 1) }), 0);
    EXPECT_EQ(series.GetCount(), 3);
    EXPECT_EQ(series.GetHeader().time, day1 + 3700);

    // A reply too short for its header changes nothing.
    CMemoryStream shortReply;
    FillStream(shortReply, std::string(100, '\0'));
    EXPECT_EQ(series.Merge(kKey, &shortReply), 0);
    EXPECT_EQ(series.IsRequestPending(), 1);
    EXPECT_EQ(series.GetCount(), 3);
    series.SetRequestPending(0);

    // The next day's reply drops the previous day.
    ASSERT_EQ(MergeTicks(series, day2, { MakeWireTick(day2, 11, 10, 110) }), 1);
    ASSERT_EQ(series.GetCount(), 1);
    EXPECT_EQ(series.GetTick(0).time, day2);
}

// A second can hold several trades; a server that answers from the start
// second sends all of them again with every refresh.
TEST(FenbiData, TicksOfARepeatedSecondAreHeldOnce)
{
    TempDirectory dir;
    const int32_t t = T(2011, 8, 17, 9, 31);
    const std::vector<WireTick> boundary = { MakeWireTick(t, 10.00, 100, 1000), MakeWireTick(t, 10.01, 103, 1031),
        MakeWireTick(t, 10.00, 106, 1061) };
    CFenbiData series;
    ASSERT_EQ(MergeTicks(series, t, boundary), 1);
    for (int refresh = 0; refresh < 3; ++refresh)
        ASSERT_EQ(MergeTicks(series, t, boundary), 1);
    ASSERT_EQ(series.GetCount(), 3);
    std::vector<WireTick> later = boundary;
    later.push_back(MakeWireTick(t + 3, 10.02, 110, 1101));
    ASSERT_EQ(MergeTicks(series, t + 3, later), 1);
    ASSERT_EQ(series.GetCount(), 4);
    EXPECT_EQ(series.GetTick(1).volume, 103.0f) << "the order within the second is kept";
    EXPECT_EQ(series.GetTick(3).volume, 110.0f);
    float last = 0, outer = 0, inner = 0;
    series.GetOuterInnerVolume(&last, &outer, &inner);
    EXPECT_EQ(outer + inner, 10.0f);

    // A file that holds the repeats from before loads without them.
    std::vector<TickRecord> stored;
    for (int copy = 0; copy < 3; ++copy) {
        for (const WireTick& w : boundary)
            stored.push_back(TickFromWire(w));
    }
    ASSERT_TRUE(WriteTestFile(dir.Path() + "600000.fbl", TickFile(t, stored)));
    CFenbiData loaded;
    ASSERT_EQ(loaded.Load((dir.Path() + "600000.fbl").c_str(), kKey), 1);
    EXPECT_EQ(loaded.GetCount(), 3);
}

// A tick reply is one day's snapshot and trades inside the window asked for.
TEST(FenbiData, RepliesThatAreNoTicksOfTheDayChangeNothing)
{
    const int32_t now = T(2011, 8, 17, 10, 0);
    ScopedServerTime server(now);
    const int32_t t = T(2011, 8, 17, 9, 31);
    struct Case
    {
        const char* name;
        int32_t headerTime;
        WireTick tick;
    };
    const Case cases[] = {
        { "a trade of another day", now, MakeWireTick(T(2011, 8, 16, 14, 0), 10, 300, 3000) },
        { "a trade in 2037", now, MakeWireTick(2130000000, 10, 300, 3000) },
        { "a trade beyond any price", now, MakeWireTick(t + 120, 2147483.648, 300, 3000) },
        { "a snapshot in 2037", 2130000000, MakeWireTick(t + 120, 10, 300, 3000) },
        { "a snapshot before the window", T(2011, 8, 10, 9, 31), MakeWireTick(T(2011, 8, 10, 9, 32), 10, 300, 3000) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingDataProvider provider;
        ScopedDataProvider scope(&provider);
        CFenbiData series;
        series.SetKey(kKey);
        ASSERT_EQ(MergeTicks(series, t + 60, { MakeWireTick(t, 10, 100, 1000), MakeWireTick(t + 60, 10.5, 200, 2100) }), 1);
        ASSERT_EQ(series.RequestData(0), 1);
        const std::string reply = TickReply(MakeWireTickHeader(c.headerTime, 10), { c.tick });
        provider.Complete(0, &reply);
        EXPECT_EQ(series.GetCount(), 2);
        EXPECT_EQ(series.GetHeader().time, t + 60);
        EXPECT_EQ(series.GetLastTime(), t + 60);
    }
    // More trades than a session has: refused before anything is built from them.
    std::vector<WireTick> flood(MarketBounds::kTicksPerDay + 1, MakeWireTick(t, 10, 1, 1));
    for (size_t i = 0; i < flood.size(); ++i)
        flood[i].volume = static_cast<uint32_t>(i + 1);
    CFenbiData series;
    EXPECT_EQ(MergeTicks(series, t, flood), 0);
    EXPECT_EQ(series.GetCount(), 0);
    EXPECT_EQ(series.IsDirty(), 0);
}

TEST(FenbiData, SaveLoadRoundTripAndSnapshotCopy)
{
    TempDirectory dir;
    const int32_t day = T(2011, 8, 17, 9, 31);
    const std::string path = dir.Path() + "600000.fbl";
    {
        CFenbiData series;
        ASSERT_EQ(MergeTicks(series, day + 60,
                      { MakeWireTick(day, 10, 100, 1000), MakeWireTick(day + 60, 10.5, 200, 2100) }),
            1);
        CFenbiData snapshot;
        ASSERT_EQ(series.CopyTo(&snapshot), 1);
        EXPECT_EQ(snapshot.GetCount(), 2);
        EXPECT_EQ(snapshot.GetHeader().time, day + 60);
        EXPECT_EQ(series.CopyTo(&snapshot), 0);
        ASSERT_EQ(series.Save(path.c_str()), 1);
    }
    CFenbiData loaded;
    ASSERT_EQ(loaded.Load(path.c_str(), kKey), 1);
    EXPECT_EQ(loaded.GetCount(), 2);
    EXPECT_EQ(loaded.GetTick(1).price, 10.5f);
}

TEST(FenbiData, RequestAsksFromTheLastTick)
{
    const int32_t now = T(2011, 8, 17, 10, 0);
    ScopedServerTime server(now);
    RecordingDataProvider provider;
    ScopedDataProvider scope(&provider);
    CFenbiData series;
    series.SetKey(kKey);
    ASSERT_EQ(series.RequestData(0), 1);
    EXPECT_EQ(series.RequestData(0), 1);
    ASSERT_EQ(provider.requests.size(), 1u);
    EXPECT_EQ(provider.requests[0].command, 0x401);
    EXPECT_EQ(provider.requests[0].from, 0u);
    EXPECT_EQ(provider.requests[0].to, static_cast<uint32_t>(now + 259200));
    const std::string reply = TickReply(MakeWireTickHeader(now, 10), { MakeWireTick(now - 60, 10, 1, 10) });
    provider.Complete(0, &reply);
    EXPECT_EQ(series.IsRequestPending(), 0);
    ASSERT_EQ(series.RequestData(0), 1);
    EXPECT_EQ(provider.requests[1].from, static_cast<uint32_t>(now - 60));
    provider.Complete(1, nullptr);
    series.BeginDelete();
}

TEST(FenbiData, OuterAndInnerVolume)
{
    const int32_t t = T(2011, 8, 17, 9, 31);
    CFenbiData series;
    // Prices 10.00, 10.00, 10.02, 10.02, 10.01 with volume steps 5, 3, 4, 2.
    ASSERT_EQ(MergeTicks(series, t + 300,
                  { MakeWireTick(t, 10.00, 100, 1), MakeWireTick(t + 1, 10.00, 105, 2),
                      MakeWireTick(t + 2, 10.02, 108, 3), MakeWireTick(t + 3, 10.02, 112, 4),
                      MakeWireTick(t + 4, 10.01, 114, 5) }),
        1);
    float last = 0, outer = 0, inner = 0;
    EXPECT_EQ(series.GetOuterInnerVolume(&last, &outer, &inner), 1);
    EXPECT_EQ(last, 114.0f);
    EXPECT_EQ(outer, 12.0f);
    EXPECT_EQ(inner, 2.0f);
    EXPECT_EQ(series.GetOuterInnerVolume(nullptr, nullptr, nullptr), 1);
    series.Save(nullptr);
}

} // namespace
