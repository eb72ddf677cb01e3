// The 242-slot minute series built from ticks.
#include <gtest/gtest.h>

#include <vector>

#include "data/FenbiData.h"
#include "data/Minute.h"
#include "tests/support/SeriesFixtures.h"

namespace {

int32_t At(int hour, int minute, int second = 0)
{
    return T(2011, 8, 17, hour, minute, second);
}

void Fill(CFenbiData& series, int32_t headerTime, const std::vector<WireTick>& ticks)
{
    CMemoryStream stream;
    FillStream(stream, TickReply(MakeWireTickHeader(headerTime, 10), ticks));
    ASSERT_EQ(series.Merge(0x600000, &stream), 1);
}

TEST(Minute, SlotTable)
{
    const struct
    {
        int hour;
        int minute;
        int slot;
    } cases[] = { { 9, 0, 0 }, { 9, 29, 0 }, { 9, 30, 0 }, { 9, 31, 1 }, { 10, 0, 30 }, { 11, 30, 120 },
        { 11, 31, 121 }, { 11, 45, 121 }, { 13, 0, 121 }, { 13, 1, 122 }, { 14, 0, 181 }, { 15, 0, 241 },
        { 15, 10, 241 } };
    for (const auto& c : cases)
        EXPECT_EQ(CMinute::GetMinuteIndex(At(c.hour, c.minute)), c.slot) << c.hour << ":" << c.minute;
    EXPECT_EQ(CMinute::GetMinuteIndex(0), 0);

    EXPECT_EQ(CMinute::GetSlotTimeOnDay(At(14, 0), 0), At(9, 30));
    EXPECT_EQ(CMinute::GetSlotTimeOnDay(At(14, 0), 120), At(11, 30));
    EXPECT_EQ(CMinute::GetSlotTimeOnDay(At(14, 0), 121), At(13, 0));
    EXPECT_EQ(CMinute::GetSlotTimeOnDay(At(14, 0), 122), At(13, 1));
    EXPECT_EQ(CMinute::GetSlotTimeOnDay(At(14, 0), 241), At(15, 0));
}

TEST(Minute, BuildFromTicksUpToTenOClock)
{
    CFenbiData ticks;
    // 9:30 opens, 9:31 and 9:31:30 trade, 9:32 has no trade, 9:33 ... 10:00.
    std::vector<WireTick> wire = { MakeWireTick(At(9, 30), 10, 100, 1000),
        MakeWireTick(At(9, 31), 10.5, 150, 1525), MakeWireTick(At(9, 31, 30), 10.25, 170, 1730) };
    uint32_t volume = 170;
    uint32_t amount = 1730;
    for (int minute = 33; minute <= 60; ++minute) {
        volume += 10;
        amount += 100;
        wire.push_back(MakeWireTick(minute == 60 ? At(10, 0) : At(9, minute), 10, volume, amount));
    }
    Fill(ticks, At(10, 0), wire);
    CMinute minutes;
    ASSERT_EQ(minutes.BuildFromTicks(ticks), 31);
    const MinuteRecord* r0 = minutes.GetAt(0);
    ASSERT_NE(r0, nullptr);
    EXPECT_EQ(r0->volume, 100.0f);
    EXPECT_EQ(r0->price, 10.0f);
    const MinuteRecord* r1 = minutes.GetAt(1);
    EXPECT_EQ(r1->price, 10.25f);
    EXPECT_EQ(r1->volume, 70.0f) << "both ticks of the minute";
    EXPECT_EQ(r1->amount, 730.0f);
    EXPECT_EQ(r1->cumulativeVolume, 170.0f);
    EXPECT_NEAR(r1->change, 0.25, 1e-6);
    EXPECT_NEAR(r1->changeRatio, 0.025, 1e-6);
    EXPECT_NEAR(r1->average, 1730.0 * 1000 / 170 / 100, 1e-3);
    const MinuteRecord* gap = minutes.GetAt(2);
    EXPECT_EQ(gap->price, 10.25f) << "a minute without trades carries the price";
    EXPECT_EQ(gap->average, r1->average);
    EXPECT_EQ(gap->volume, 0.0f);
    EXPECT_EQ(gap->time, At(9, 32));
    EXPECT_EQ(minutes.GetAt(3)->volume, 10.0f);
    EXPECT_EQ(minutes.GetAt(31), nullptr);

    // A second build only lays slots up to the header's minute.
    ASSERT_EQ(minutes.BuildFromTicks(ticks), 31);

    std::vector<int32_t> levels, volumes;
    double greatest = 0;
    ASSERT_EQ(minutes.BuildPriceTable(levels, volumes, &greatest), 1);
    ASSERT_EQ(levels.size(), 2u);
    EXPECT_EQ(levels[0], 10000);
    EXPECT_EQ(levels[1], 10250);
    EXPECT_EQ(volumes[0], 100 + 28 * 10);
    EXPECT_EQ(volumes[1], 70);
    EXPECT_EQ(greatest, 380.0);

    double change = 0;
    EXPECT_EQ(minutes.GetFiveMinuteChange(&change, 3), 1);
    EXPECT_NEAR(change, 0.0, 1e-6);
    EXPECT_EQ(minutes.GetFiveMinuteChange(&change, 1), 1);
    EXPECT_NEAR(change, 0.25, 1e-6);

    double low = 0, high = 0;
    EXPECT_EQ(minutes.GetVolumeRatioRange(0, &low, &high), 0);
    ASSERT_EQ(minutes.GetVolumeRatioRange(1.0, &low, &high), 1);
    EXPECT_GT(high, low);
    double ratio = 0;
    EXPECT_EQ(minutes.GetVolumeRatioAt(&ratio, At(9, 31), 100, 0), 0);
    EXPECT_EQ(minutes.GetVolumeRatioAt(&ratio, At(9, 31), 100, 25), 1);
    EXPECT_EQ(ratio, 2.0);
}

TEST(Minute, AMinuteAfterAGapHoldsAllOfItsTicks)
{
    CFenbiData ticks;
    Fill(ticks, At(9, 34),
        { MakeWireTick(At(9, 30), 10, 100, 1000), MakeWireTick(At(9, 31), 10, 150, 1500),
            MakeWireTick(At(9, 33, 10), 10.5, 170, 1710), MakeWireTick(At(9, 33, 40), 10.25, 200, 2020) });
    CMinute minutes;
    ASSERT_EQ(minutes.BuildFromTicks(ticks), 4);
    EXPECT_EQ(minutes.GetAt(2)->volume, 0.0f);
    EXPECT_EQ(minutes.GetAt(3)->volume, 50.0f) << "not only the last tick's step";
    EXPECT_EQ(minutes.GetAt(3)->amount, 520.0f);
    EXPECT_EQ(minutes.GetAt(3)->price, 10.25f);
    EXPECT_EQ(minutes.GetAt(3)->time, At(9, 33, 40));
}

// A day whose first minute has no trade: no tick at all before the first
// trade, or an opening tick with volume but no price. The first minute
// stands at the previous close, with its change 0, and the minutes after it
// keep their own prices, averages and volumes (or carry the first minute's
// while they have no trade either).
TEST(Minute, AFirstMinuteWithoutATradeStandsAtThePreviousClose)
{
    struct Expected
    {
        float price, average, change, volume, amount;
    };
    const struct
    {
        const char* name;
        std::vector<WireTick> ticks;
        Expected minutes[3];
    } cases[] = {
        { "no tick before 9:31",
            { MakeWireTick(At(9, 31, 20), 10.5, 100, 105), MakeWireTick(At(9, 32, 10), 10.4, 150, 157) },
            { { 10, 10, 0, 0, 0 }, { 10.5f, 10.5f, 0.5f, 100, 105 },
                { 10.4f, 157 * 1000.0f / 150 / 100, 0.4f, 50, 52 } } },
        { "no trade before 9:32", { MakeWireTick(At(9, 32, 10), 10.4, 150, 156) },
            { { 10, 10, 0, 0, 0 }, { 10, 10, 0, 0, 0 }, { 10.4f, 10.4f, 0.4f, 150, 156 } } },
        { "an opening tick without price",
            { MakeWireTick(At(9, 29), 0, 40, 40), MakeWireTick(At(9, 31, 20), 10.2, 100, 101),
                MakeWireTick(At(9, 32, 10), 9.8, 150, 150) },
            { { 10, 10, 0, 40, 40 }, { 10.2f, 10.1f, 0.2f, 60, 61 }, { 9.8f, 10, -0.2f, 50, 49 } } },
    };
    for (const auto& c : cases) {
        CFenbiData ticks;
        CMemoryStream stream;
        FillStream(stream, TickReply(MakeWireTickHeader(At(9, 33), 10), c.ticks));
        ASSERT_EQ(ticks.Merge(0x600000, &stream), 1) << c.name;
        CMinute minutes;
        ASSERT_EQ(minutes.BuildFromTicks(ticks), 3) << c.name;
        for (int i = 0; i < 3; ++i) {
            const MinuteRecord& r = *minutes.GetAt(i);
            const Expected& e = c.minutes[i];
            EXPECT_FLOAT_EQ(r.price, e.price) << c.name << ", minute " << i;
            EXPECT_NEAR(r.average, e.average, 1e-4) << c.name << ", minute " << i;
            EXPECT_NEAR(r.change, e.change, 1e-5) << c.name << ", minute " << i;
            EXPECT_NEAR(r.changeRatio, e.change / 10, 1e-6) << c.name << ", minute " << i;
            EXPECT_EQ(r.volume, e.volume) << c.name << ", minute " << i;
            EXPECT_EQ(r.amount, e.amount) << c.name << ", minute " << i;
        }
    }
}

TEST(Minute, WithoutAReferencePriceNoRatioIsInfiniteAndUnpricedMinutesHaveNoLevel)
{
    CFenbiData ticks;
    CMemoryStream stream;
    FillStream(stream,
        TickReply(MakeWireTickHeader(At(9, 33), 0),
            { MakeWireTick(At(9, 29), 0, 40, 0), MakeWireTick(At(9, 32), 10, 100, 1000),
                MakeWireTick(At(9, 33), 10.5, 150, 1525) }));
    ASSERT_EQ(ticks.Merge(0x600000, &stream), 1);
    CMinute minutes;
    ASSERT_EQ(minutes.BuildFromTicks(ticks), 4);
    EXPECT_EQ(minutes.GetAt(0)->price, 0.0f) << "an opening without price keeps the reference, 0";
    for (int i = 0; i < minutes.GetCount(); ++i)
        EXPECT_EQ(minutes.GetAt(i)->changeRatio, 0.0f) << i;
    std::vector<int32_t> levels, volumes;
    double greatest = 0;
    ASSERT_EQ(minutes.BuildPriceTable(levels, volumes, &greatest), 1);
    ASSERT_EQ(levels, (std::vector<int32_t> { 10000, 10500 }));
    EXPECT_EQ(volumes, (std::vector<int32_t> { 60, 50 }));
    EXPECT_EQ(greatest, 60.0);
}

TEST(Minute, NoTicksLeaveTheSeriesEmpty)
{
    CFenbiData ticks;
    CMinute minutes;
    EXPECT_EQ(minutes.BuildFromTicks(ticks), 0);
    std::vector<int32_t> levels, volumes;
    EXPECT_EQ(minutes.BuildPriceTable(levels, volumes, nullptr), 0);
}

} // namespace
