#include "formula/ChipDistribution.h"
#include "tests/formula/FinanceFixture.h"

#include "data/KData.h"
#include "tests/support/SeriesFixtures.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

Bar RangeBar(int day, float high, float low, float volume)
{
    return MakeBar(T(2026, 1, 1) + day * 86400, low, high, low, high, volume);
}

// Two bars over 10..12 and 10..11, the second twice the volume.
void TwoBars(CKData& bars)
{
    bars.AppendBar(RangeBar(0, 12, 10, 10));
    bars.AppendBar(RangeBar(1, 11, 10, 20));
}

TEST(ChipDistribution, VolumeAtPriceSpreadsEachBarAsATriangle)
{
    CKData bars;
    bars.AppendBar(RangeBar(0, 12, 10, 10)); // 1,000 shares over 2.0
    bars.AppendBar(RangeBar(1, 11, 11, 50)); // no range: adds nothing anywhere
    CCW chips(&bars);
    const struct
    {
        double price;
        double step;
        double expected;
    } cases[] = {
        { 11, 0.5, 500 }, // 1000 x 0.5 / 2, at the middle twice that
        { 10.5, 0.5, 250 }, { 11.5, 0.5, 250 }, { 10, 0.5, 0 }, // the ends of a bar's range get nothing
        { 12, 0.5, 0 }, { 9, 0.5, 0 }, { 11, 3, 2000 }, // a step beyond the range takes the whole volume
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(c.expected, chips.VolumeAtPrice(0, 1, c.price, c.step)) << c.price << " " << c.step;
    // The window is clamped to the series.
    EXPECT_DOUBLE_EQ(500, chips.VolumeAtPrice(-5, 99, 11, 0.5));
}

TEST(ChipDistribution, LevelsByDaysWithUnknownCapital)
{
    CKData bars;
    TwoBars(bars);
    CCW chips(&bars);
    std::vector<uint32_t> levels = { 1, 2, 3, 4, 5, 6 };
    std::vector<uint64_t> volumes = { 9 };
    double minimum = -1, maximum = -1, total = -1, held = -1;
    ASSERT_EQ(1, chips.ComputeByDays(1, 2, nullptr, 0.5, levels, volumes, &minimum, &maximum, &total, &held));
    EXPECT_EQ((std::vector<uint32_t> { 10000, 10500, 11000, 11500 }), levels);
    EXPECT_EQ((std::vector<uint64_t> { 0, 2250, 500, 250 }), volumes);
    EXPECT_DOUBLE_EQ(3000, total);
    EXPECT_DOUBLE_EQ(0, minimum);
    EXPECT_DOUBLE_EQ(2272.5, maximum);
    // Unknown capital: total x 100 per bar stands in for it.
    EXPECT_DOUBLE_EQ(3000 / (150000 * 1.5), held);
    // Null outputs are skipped; an end beyond the series is the last bar.
    EXPECT_EQ(
        1, chips.ComputeByDays(99, 2, nullptr, 0.5, levels, volumes, nullptr, nullptr, nullptr, nullptr));
    // A window reaching before the first bar, a tiny step, an empty series: failures.
    EXPECT_EQ(
        0, chips.ComputeByDays(1, 3, nullptr, 0.5, levels, volumes, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(
        0, chips.ComputeByDays(1, 2, nullptr, 0.00001, levels, volumes, nullptr, nullptr, nullptr, nullptr));
    CKData none;
    CCW empty(&none);
    EXPECT_EQ(
        0, empty.ComputeByDays(0, 1, nullptr, 0.5, levels, volumes, nullptr, nullptr, nullptr, nullptr));
}

TEST(ChipDistribution, FlatWindowHasNoLevels)
{
    CKData bars;
    bars.AppendBar(RangeBar(0, 10, 10, 100));
    bars.AppendBar(RangeBar(1, 10, 10, 100));
    CCW chips(&bars);
    std::vector<uint32_t> levels;
    std::vector<uint64_t> volumes;
    double minimum = -1, maximum = -1;
    EXPECT_EQ(
        0, chips.ComputeByDays(1, 2, nullptr, 0.1, levels, volumes, &minimum, &maximum, nullptr, nullptr));
    EXPECT_TRUE(levels.empty());
    EXPECT_DOUBLE_EQ(0, minimum);
    EXPECT_DOUBLE_EQ(3, maximum);
}

// An index trades around 10^10 shares a day: level volumes pass 32 bits.
TEST(ChipDistribution, IndexSizeVolumeKeepsItsMagnitude)
{
    CKData bars;
    bars.AppendBar(RangeBar(0, 3000, 2900, 4e8f)); // 4 x 10^10 shares
    CCW chips(&bars);
    std::vector<uint32_t> levels;
    std::vector<uint64_t> volumes;
    double total = 0;
    ASSERT_EQ(1, chips.ComputeByDays(0, 1, nullptr, 10, levels, volumes, nullptr, nullptr, &total, nullptr));
    ASSERT_EQ(10u, levels.size());
    EXPECT_EQ(2950000u, levels[5]);
    EXPECT_EQ(8000000000ull, volumes[5]); // 4e10 x 10 / 100, twice at the middle
    EXPECT_DOUBLE_EQ(4e10, total);
    double cost = 0;
    ChipAverageCost(&cost, levels, volumes);
    EXPECT_NEAR(2950, cost, 1e-9);
}

// Each level is computed from the window's low (no drift), and a step too
// small for the range is widened to stay within kMaxLevels.
TEST(ChipDistribution, LevelsAreCappedAndDoNotDrift)
{
    CKData bars;
    bars.AppendBar(RangeBar(0, 1001, 1, 10));
    CCW chips(&bars);
    std::vector<uint32_t> levels;
    std::vector<uint64_t> volumes;
    ASSERT_EQ(
        1, chips.ComputeByDays(0, 1, nullptr, 0.0001, levels, volumes, nullptr, nullptr, nullptr, nullptr));
    ASSERT_EQ(static_cast<size_t>(CCW::kMaxLevels), levels.size());
    EXPECT_EQ(1000u, levels[0]);
    EXPECT_EQ(1100u, levels[1]);
    EXPECT_NEAR(1000900.0, levels.back(), 1.0);

    CKData cents;
    cents.AppendBar(RangeBar(0, 20, 10, 10));
    CCW fine(&cents);
    ASSERT_EQ(
        1, fine.ComputeByDays(0, 1, nullptr, 0.01, levels, volumes, nullptr, nullptr, nullptr, nullptr));
    ASSERT_EQ(1000u, levels.size());
    EXPECT_NEAR(19990.0, levels.back(), 1.0);
}

// Ranges one step under, at and over the cap: the step is kept up to the cap
// and widened only past it, so the levels always reach the top of the range
// and never number more than kMaxLevels (also where rounding would let one
// more level in under the top).
TEST(ChipDistribution, TheLevelCapOnBothSidesOfIt)
{
    static_assert(CCW::kMaxLevels == 10000, "the ranges below are steps of that many");
    const struct
    {
        float low, high;
        double step;
        size_t count;
        uint32_t second; // thousandths
        double last; // thousandths
    } cases[] = {
        // Prices and steps exact in binary: 9999, 10000 and 10001 steps of 0.125.
        { 100, 1349.875f, 0.125, 9999, 100125, 1349750 },
        { 100, 1350, 0.125, 10000, 100125, 1349875 },
        // Widened to 1250.125 / 10000: the last level lies one widened step under the top.
        { 100, 1350.125f, 0.125, 10000, 100125, 1349999.98 },
        // Widened to about 0.009052, where the level at k = 10000 would still fall under 120.75.
        { 30.23f, 120.75f, 0.001, 10000, 30239, 120740.9 },
    };
    for (const auto& c : cases) {
        CKData bars;
        bars.AppendBar(RangeBar(0, c.high, c.low, 10));
        CCW chips(&bars);
        std::vector<uint32_t> levels;
        std::vector<uint64_t> volumes;
        ASSERT_EQ(1,
            chips.ComputeByDays(0, 1, nullptr, c.step, levels, volumes, nullptr, nullptr, nullptr, nullptr))
            << c.high;
        EXPECT_EQ(c.count, levels.size()) << c.high;
        ASSERT_EQ(levels.size(), volumes.size()) << c.high;
        ASSERT_GE(levels.size(), 2u) << c.high;
        EXPECT_EQ(static_cast<uint32_t>(c.low * 1000.0), levels[0]) << c.high;
        EXPECT_EQ(c.second, levels[1]) << c.high;
        EXPECT_NEAR(c.last, levels.back(), 1.0) << c.high;
        EXPECT_LT(levels.back(), static_cast<uint32_t>(c.high * 1000.0)) << c.high;
    }
}

TEST(ChipDistribution, TurnoverWindow)
{
    CKData bars;
    for (int i = 0; i < 300; ++i)
        bars.AppendBar(RangeBar(i, 11, 10, 1000)); // 100,000 shares a bar
    CCW chips(&bars);
    // Circulating shares unknown: 151 bars, fewer near the start.
    EXPECT_EQ(149, chips.FindTurnoverStart(299, nullptr));
    EXPECT_EQ(0, chips.FindTurnoverStart(100, nullptr));
    EXPECT_EQ(149, chips.FindTurnoverStart(5000, nullptr)); // an end beyond the series is its last bar
    EXPECT_EQ(0, chips.FindTurnoverStart(-1, nullptr));
    // 2,000,000 shares turned over 1.5 times: the 31st bar back passes 3,000,000.
    CBaseData finance;
    ASSERT_TRUE(FillFinance(finance, "SH", "600000", 200));
    CStockInfo info;
    info.SetCodeKey(0x600000);
    info.UpdateFinance(&finance);
    EXPECT_EQ(269, chips.FindTurnoverStart(299, &info));
    // Below 1,000,000 shares the capital counts as unknown.
    CBaseData small;
    ASSERT_TRUE(FillFinance(small, "SH", "600000", 99));
    CStockInfo smallInfo;
    smallInfo.SetCodeKey(0x600000);
    smallInfo.UpdateFinance(&small);
    EXPECT_EQ(149, chips.FindTurnoverStart(299, &smallInfo));

    struct HeldCase
    {
        const CStockInfo* info;
        int back;
        double held;
    };
    const HeldCase cases[] = {
        // 10 later bars trade 1,000,000 of 2,000,000 shares x 1.5.
        { &info, 10, 1 - 1.0 / 3 },
        { &info, 0, 1 },
        { nullptr, 10, 1 - 10.0 / 15000 },
        // Nothing traded after the target bar: every chip is still held
        // (with unknown capital this used to give 0).
        { nullptr, 0, 1 },
    };
    for (const HeldCase& c : cases) {
        std::vector<uint32_t> levels;
        std::vector<uint64_t> volumes;
        double held = -1;
        EXPECT_EQ(1,
            chips.ComputeByTurnover(
                299, c.back, c.info, 0.1, levels, volumes, nullptr, nullptr, nullptr, &held))
            << c.back;
        EXPECT_NEAR(c.held, held, 1e-12) << c.back;
    }
    // Idle later bars change nothing either.
    CKData idle;
    for (int i = 0; i < 20; ++i)
        idle.AppendBar(RangeBar(i, 11, 10, i < 15 ? 1000 : 0));
    CCW idleChips(&idle);
    std::vector<uint32_t> levels;
    std::vector<uint64_t> volumes;
    double held = -1;
    EXPECT_EQ(1,
        idleChips.ComputeByTurnover(19, 5, nullptr, 0.1, levels, volumes, nullptr, nullptr, nullptr, &held));
    EXPECT_EQ(1, held);
    EXPECT_EQ(0,
        idleChips.ComputeByTurnover(19, 20, nullptr, 0.1, levels, volumes, nullptr, nullptr, nullptr, &held));
}

TEST(ChipDistribution, Readings)
{
    const std::vector<uint32_t> levels = { 10000, 10500, 11000, 11500 };
    const std::vector<uint64_t> volumes = { 0, 2250, 500, 250 };
    double ratio = -1;
    const struct
    {
        double price;
        double ratio;
    } ratios[] = { { 9, 0 }, { 10.5, 0.75 }, { 11.4, 2750.0 / 3000 }, { 11.5, 1 }, { 50, 1 } };
    for (const auto& c : ratios) {
        EXPECT_EQ(1, ChipWinnerRatio(&ratio, levels, volumes, c.price));
        EXPECT_DOUBLE_EQ(c.ratio, ratio) << c.price;
    }
    EXPECT_EQ(1, ChipWinnerRatio(&ratio, levels, std::vector<uint64_t>(4, 0), 11));
    EXPECT_EQ(0, ratio);

    double cost = -1;
    EXPECT_EQ(1, ChipAverageCost(&cost, levels, volumes));
    EXPECT_DOUBLE_EQ(32000.0 / 3000, cost);

    double low = -1, high = -1, span = 0.5;
    // The whole share: the lowest and highest levels that hold any chips.
    ASSERT_EQ(1, ChipCostBand(&low, &high, &span, levels, volumes, 1));
    EXPECT_DOUBLE_EQ(10.5, low);
    EXPECT_DOUBLE_EQ(11.5, high);
    EXPECT_DOUBLE_EQ(1 / 1.5, span);
    // No share: both ends at the median.
    ASSERT_EQ(1, ChipCostBand(&low, &high, &span, levels, volumes, 0));
    EXPECT_DOUBLE_EQ(10.5, low);
    EXPECT_DOUBLE_EQ(10.5, high);
    EXPECT_DOUBLE_EQ(0, span);
    // Ends that cross, mismatched vectors and shares outside 0..1 fail.
    EXPECT_EQ(0, ChipCostBand(&low, &high, &span, { 10000, 11000 }, { 1, 1 }, 0));
    EXPECT_EQ(0, ChipCostBand(&low, &high, &span, levels, { 1, 2 }, 0.5));
    EXPECT_EQ(0, ChipCostBand(&low, &high, &span, levels, volumes, 1.5));
    // Nothing to measure: success with the outputs untouched (span only clamped).
    low = high = -7;
    span = 3;
    EXPECT_EQ(1, ChipCostBand(&low, &high, &span, {}, {}, 0.9));
    EXPECT_EQ(1, ChipCostBand(&low, &high, &span, levels, std::vector<uint64_t>(4, 0), 0.9));
    EXPECT_EQ(-7, low);
    EXPECT_EQ(-7, high);
    EXPECT_EQ(3, span);
    ASSERT_EQ(1, ChipCostBand(&low, &high, nullptr, { 10000 }, { 5 }, 0.9));
    EXPECT_DOUBLE_EQ(10, low);
}

}
