// Fund flow, order sizes, bid/ask strength and big orders from a day's ticks.
#include <gtest/gtest.h>

#include <vector>

#include "data/FenbiData.h"
#include "data/TickStatistics.h"
#include "tests/support/SeriesFixtures.h"

namespace {

int32_t At(int hour, int minute, int second = 0)
{
    return T(2011, 8, 17, hour, minute, second);
}

void Fill(CFenbiData& series, const std::vector<WireTick>& ticks)
{
    CMemoryStream stream;
    FillStream(stream, TickReply(MakeWireTickHeader(At(15, 0), 10), ticks));
    ASSERT_EQ(series.Merge(0x600000, &stream), 1);
}

TEST(TickStatistics, FewerThanTwoTicksGiveNothing)
{
    CFenbiData one;
    Fill(one, { MakeWireTick(At(9, 31), 10, 100, 1000) });
    FundFlowSeries flow(&one);
    EXPECT_EQ(flow.Compute(), 0);
    EXPECT_EQ(flow.GetCount(), 0);
    OrderSizeStats sizes(&one);
    EXPECT_EQ(sizes.Compute(), 0);
    EXPECT_EQ(sizes.GetBuyVolume(), 0.0f);
    MinuteBuySellSeries pairs(&one);
    EXPECT_EQ(pairs.ComputeBidAskStrength(), 0);
    EXPECT_EQ(pairs.ComputeBigOrders(), 0);
    EXPECT_EQ(pairs.GetCount(), 0);
    FundFlowSeries none(nullptr);
    EXPECT_EQ(none.Compute(), 0);
}

TEST(TickStatistics, FundFlowRecordsEveryMinuteUpToTheLastTraded)
{
    CFenbiData ticks;
    // 9:31 opens; 9:33 a rise of 120,000; 9:35 a fall of 600,000.
    Fill(ticks,
        { MakeWireTick(At(9, 31), 10, 1000, 10000), MakeWireTick(At(9, 33), 10.5, 1100, 10120),
            MakeWireTick(At(9, 35), 10.25, 1700, 10720) });
    FundFlowSeries flow(&ticks);
    ASSERT_EQ(flow.Compute(), 1);
    ASSERT_EQ(flow.GetCount(), 6) << "records for minutes 0 to 5";
    FundFlowRecord r;
    ASSERT_TRUE(flow.GetAt(2, &r));
    EXPECT_EQ(r.largeIn, 0.0f);
    ASSERT_TRUE(flow.GetAt(3, &r));
    EXPECT_EQ(r.largeIn, 120000.0f);
    EXPECT_EQ(r.totalIn, 120000.0f);
    EXPECT_EQ(r.mainOut, 0.0f);
    ASSERT_TRUE(flow.GetAt(5, &r));
    EXPECT_EQ(r.mainOut, 600000.0f);
    EXPECT_EQ(r.totalNet, 120000.0f - 600000.0f);
    EXPECT_FALSE(flow.GetAt(6, &r));
    EXPECT_FALSE(flow.GetAt(-1, &r));
    // A second computation gives the same records.
    ASSERT_EQ(flow.Compute(), 1);
    EXPECT_EQ(flow.GetCount(), 6);
}

TEST(TickStatistics, OrderSizeClassesAndRepeatedCompute)
{
    CFenbiData ticks;
    // Rises of exactly 1,000,000 and 999,999 (amounts in thousands: 1000 and 999.999 are not
    // representable, so the second uses 999 -> 999,000), and a small fall.
    Fill(ticks,
        { MakeWireTick(At(9, 31), 10, 1000, 10000), MakeWireTick(At(9, 32), 10.5, 2000, 11000),
            MakeWireTick(At(9, 33), 11, 2900, 11999), MakeWireTick(At(9, 34), 10.75, 2950, 12049) });
    OrderSizeStats sizes(&ticks);
    ASSERT_EQ(sizes.Compute(), 1);
    EXPECT_EQ(sizes.buy[OrderSizeStats::kExtraLarge].amount, 1000000.0f);
    EXPECT_EQ(sizes.buy[OrderSizeStats::kLarge].amount, 999000.0f);
    EXPECT_EQ(sizes.sell[OrderSizeStats::kSmall].volume, 50.0f);
    EXPECT_EQ(sizes.GetBuyVolume(), 1900.0f);
    EXPECT_EQ(sizes.GetSellVolume(), 50.0f);
    ASSERT_EQ(sizes.Compute(), 1);
    EXPECT_EQ(sizes.GetBuyVolume(), 1900.0f) << "sums start from zero";

    FundFlowSeries flow(&ticks);
    ASSERT_EQ(flow.Compute(), 1);
    FundFlowRecord r;
    ASSERT_TRUE(flow.GetAt(flow.GetCount() - 1, &r));
    EXPECT_EQ(r.mainIn, 1999000.0f) << "both large trades are main force";
}

TEST(TickStatistics, LunchBreakTradesFallIntoMinute121)
{
    CFenbiData ticks;
    Fill(ticks, { MakeWireTick(At(11, 29), 10, 100, 1000), MakeWireTick(At(11, 45), 10.5, 200, 2050) });
    FundFlowSeries flow(&ticks);
    ASSERT_EQ(flow.Compute(), 1);
    EXPECT_EQ(flow.GetCount(), 122);
}

TEST(TickStatistics, BigOrdersAtTheThresholdAndASellOnlyLastMinute)
{
    CFenbiData ticks;
    Fill(ticks,
        { MakeWireTick(At(9, 31), 10, 1000, 10000),
            MakeWireTick(At(9, 31, 20), 10.5, 1050, 10499), // step 499: nothing
            MakeWireTick(At(9, 31, 40), 10.75, 1100, 10999), // step 500: a buy of 50
            MakeWireTick(At(9, 33), 10.25, 1200, 12000) }); // a sell of 100 in the last minute
    MinuteBuySellSeries pairs(&ticks);
    ASSERT_EQ(pairs.ComputeBigOrders(), 1);
    ASSERT_EQ(pairs.GetCount(), 4);
    EXPECT_EQ(pairs.GetAt(0).first, 0.0f);
    EXPECT_EQ(pairs.GetAt(1).first, 50.0f);
    EXPECT_EQ(pairs.GetAt(2).first, 0.0f);
    EXPECT_EQ(pairs.GetAt(3).first, 0.0f);
    EXPECT_EQ(pairs.GetAt(3).second, 100.0f);
    EXPECT_EQ(pairs.GetAt(9).second, 0.0f);
}

TEST(TickStatistics, UnchangedPriceAboveThePreviousAskIsABuy)
{
    CFenbiData ticks;
    Fill(ticks,
        { MakeWireTick(At(9, 31), 10.5, 1000, 10000, 0, 0, 10.25),
            MakeWireTick(At(9, 31, 30), 10.5, 1100, 11000, 0, 0, 10.5),
            MakeWireTick(At(9, 31, 40), 10.5, 1200, 12000) });
    MinuteBuySellSeries pairs(&ticks);
    ASSERT_EQ(pairs.ComputeBigOrders(), 1);
    ASSERT_EQ(pairs.GetCount(), 2);
    EXPECT_EQ(pairs.GetAt(1).first, 100.0f);
    EXPECT_EQ(pairs.GetAt(1).second, 100.0f);
}

TEST(TickStatistics, BidAskStrengthRepeatsTheLastFilledMinute)
{
    CFenbiData ticks;
    Fill(ticks,
        { MakeWireTick(At(9, 31), 10, 100, 1000, 500, 300),
            MakeWireTick(At(9, 31, 30), 10, 110, 1100, 700, 200),
            MakeWireTick(At(9, 32), 10, 120, 1200, 0, 900),
            MakeWireTick(At(9, 34), 10, 130, 1300, 400, 100) });
    MinuteBuySellSeries pairs(&ticks);
    ASSERT_EQ(pairs.ComputeBidAskStrength(), 1);
    ASSERT_EQ(pairs.GetCount(), 5);
    EXPECT_EQ(pairs.GetAt(0).first, 0.0f);
    EXPECT_EQ(pairs.GetAt(1).first, 700.0f);
    EXPECT_EQ(pairs.GetAt(1).second, 300.0f);
    EXPECT_EQ(pairs.GetAt(2).first, 700.0f) << "no bid side: the last filled pair";
    EXPECT_EQ(pairs.GetAt(2).second, 300.0f);
    EXPECT_EQ(pairs.GetAt(3).first, 700.0f);
    EXPECT_EQ(pairs.GetAt(4).first, 400.0f) << "the last traded minute is included";
}

} // namespace
