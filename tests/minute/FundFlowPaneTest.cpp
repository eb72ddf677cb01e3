// The indicator pane: scales against the tick statistics, the index text,
// too few records, big orders at half height, and a flat day.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>

#include "data/TickStatistics.h"
#include "tests/minute/MinuteFixtures.h"
#include "tests/support/OffscreenCanvas.h"
#include "tests/support/SeriesFixtures.h"

namespace {

const COLORREF kRed = RGB(255, 60, 60);
const COLORREF kGreen = RGB(0, 200, 0);
const COLORREF kMain = RGB(255, 0, 0);

// A day with trades of every order class in both directions.
StockRecipe FundFlowDay()
{
    StockRecipe r;
    r.previousClose = 10;
    uint32_t volume = 0;
    uint32_t amount = 0;
    double price = 10;
    // Amount deltas in thousands: 50 (retail), 200 (large holder), 800 (main force).
    const uint32_t deltas[] = { 50, 200, 800, 50, 800, 200, 50, 800 };
    const double moves[] = { 0.01, -0.02, 0.03, -0.01, -0.02, 0.02, 0.01, -0.01 };
    int i = 0;
    for (int32_t t = Day(9, 30, 20); t <= Day(10, 40); t += 60, ++i) {
        price += moves[i % 8];
        volume += 100;
        amount += deltas[i % 8];
        r.ticks.push_back(MakeWireTick(t, price, volume, amount, 300 + i, 200 + 2 * i, price));
    }
    return r;
}

class FundFlowPanes : public ::testing::Test
{
protected:
    void Draw(int indicator)
    {
        rig.chart.SetDisplay(kMinuteModeChart, indicator, kPageNone);
        canvas.Fill(RGB(1, 2, 3));
        rig.chart.Draw(canvas.Dc(), RECT { 0, 0, 1000, 600 });
    }
    // Pixels of a colour below the pane's title row.
    int Count(COLORREF colour) const
    {
        const RECT& pane = rig.chart.GetIndicatorPane().rect;
        return canvas.CountPixels(colour, RECT { pane.left + 1, pane.top + 1, pane.right - 1, pane.bottom - 1 });
    }

    ChartRig rig;
    OffscreenCanvas canvas { 1000, 600 };
};

TEST_F(FundFlowPanes, ScalesInTheAxisUnitAgainstTheTickStatistics)
{
    const StockRecipe day = FundFlowDay();
    rig.Show(day);
    FundFlowSeries flow(&rig.chart.GetSnapshot()->GetFenbiData());
    ASSERT_EQ(flow.Compute(), 1);
    ASSERT_GE(flow.GetCount(), 3);
    std::vector<FundFlowRecord> records(static_cast<size_t>(flow.GetCount()));
    for (int i = 0; i < flow.GetCount(); ++i)
        flow.GetAt(i, &records[static_cast<size_t>(i)]);
    const FundFlowRecord& last = records.back();
    auto lowest = [&](float FundFlowRecord::*field) {
        double v = FLT_MAX;
        for (const FundFlowRecord& r : records)
            v = std::min(v, static_cast<double>(r.*field));
        return v;
    };
    auto highest = [&](float FundFlowRecord::*field) {
        double v = -FLT_MAX;
        for (const FundFlowRecord& r : records)
            v = std::max(v, static_cast<double>(r.*field));
        return v;
    };
    const struct
    {
        int indicator;
        double low, high; // yuan
    } table[] = {
        { kIndicatorFundAnalysis, 0, std::max(last.totalIn, last.totalOut) },
        { kIndicatorNetFundFlow, lowest(&FundFlowRecord::totalNet), highest(&FundFlowRecord::totalNet) },
        { kIndicatorFundInflow, 0, std::max({ last.mainIn, last.largeIn, last.retailIn }) },
        { kIndicatorFundOutflow, 0, std::max({ last.mainOut, last.largeOut, last.retailOut }) },
        { kIndicatorMainNetFlow, lowest(&FundFlowRecord::mainNet), highest(&FundFlowRecord::mainNet) },
        { kIndicatorMainRetailGame,
            std::min({ lowest(&FundFlowRecord::mainNet), lowest(&FundFlowRecord::largeNet),
                lowest(&FundFlowRecord::retailNet) }),
            std::max({ highest(&FundFlowRecord::mainNet), highest(&FundFlowRecord::largeNet),
                highest(&FundFlowRecord::retailNet) }) },
    };
    for (const auto& row : table) {
        Draw(row.indicator);
        const MinuteChartPane& pane = rig.chart.GetIndicatorPane();
        EXPECT_NEAR(pane.low, row.low / 10000, 1e-6) << row.indicator;
        EXPECT_NEAR(pane.high, row.high / 10000, 1e-6) << row.indicator;
        EXPECT_GT(pane.high, pane.low) << row.indicator;
    }
    // Inflows are cumulative: the main-force inflow line rises to the top.
    Draw(kIndicatorFundInflow);
    EXPECT_GT(Count(kMain), 20);
    canvas.SavePng("minute-fund-inflow");
}

TEST_F(FundFlowPanes, TheTitleRowMovesThePaneDown)
{
    rig.Show(FundFlowDay());
    Draw(kIndicatorFundAnalysis);
    const MinuteChartPanes& laid = rig.chart.GetPanes();
    EXPECT_EQ(rig.chart.GetIndicatorPane().rect.top, laid.indicator.top + 16);
    EXPECT_EQ(canvas.Pixel(laid.indicator.left + 300, laid.indicator.top + 16), RGB(128, 0, 0)) << "separator";
}

TEST_F(FundFlowPanes, IndexesShowTextInsteadOfFourPanes)
{
    StockRecipe index = FundFlowDay();
    index.key = 0x1A0001;
    index.index = true;
    rig.Show(index);
    for (int indicator : { kIndicatorNetFundFlow, kIndicatorFundInflow, kIndicatorFundOutflow,
             kIndicatorMainRetailGame }) {
        Draw(indicator);
        EXPECT_EQ(rig.chart.GetIndicatorPane().high, 0) << indicator << ": no scale";
        EXPECT_EQ(Count(kMain) + Count(kGreen), 0) << indicator << ": no lines";
    }
    Draw(kIndicatorMainNetFlow);
    EXPECT_GT(rig.chart.GetIndicatorPane().high, rig.chart.GetIndicatorPane().low) << "7 draws for an index";
}

TEST_F(FundFlowPanes, FewerThanThreeRecordsLeaveTheFrame)
{
    StockRecipe r;
    r.ticks = { MakeWireTick(Day(9, 30, 10), 10, 100, 1000), MakeWireTick(Day(9, 31, 10), 10.5, 200, 2050) };
    rig.Show(r);
    Draw(kIndicatorFundAnalysis);
    EXPECT_EQ(rig.chart.GetIndicatorPane().high, 0);
    EXPECT_EQ(Count(kRed) + Count(kGreen), 0);
}

TEST_F(FundFlowPanes, BigOrdersReachHalfThePaneAndAFlatDayDrawsNoLines)
{
    StockRecipe r;
    r.ticks = { MakeWireTick(Day(9, 30, 10), 10, 100, 1000), MakeWireTick(Day(9, 31, 10), 10.1, 900, 9080),
        MakeWireTick(Day(9, 32, 10), 10.0, 1200, 12080), MakeWireTick(Day(9, 33, 10), 10.2, 1300, 13100) };
    rig.Show(r);
    Draw(kIndicatorBigOrderTracking);
    const MinuteChartPane& pane = rig.chart.GetIndicatorPane();
    ASSERT_GT(pane.high, 0);
    EXPECT_EQ(pane.low, -pane.high);
    const int height = pane.rect.bottom - pane.rect.top;
    const int y0 = pane.rect.top + height / 2;
    // The 9:31 buy of 800 lots is the largest: its bar reaches from the zero line up by half the height.
    const int x = pane.rect.left + (pane.rect.right - pane.rect.left) * 2 / 242 + 1;
    EXPECT_EQ(canvas.Pixel(x, y0 - height / 2 + 1), kRed);
    EXPECT_EQ(canvas.Pixel(x, y0 - 1), kRed);
    EXPECT_NE(canvas.Pixel(x, y0 - height / 2 - 2), kRed);

    // A day whose price never moves: every fund-flow value is 0.
    ChartRig flat;
    StockRecipe still;
    still.ticks = WalkTicks(Day(10, 0), 10, {}, 100);
    flat.Show(still);
    for (int indicator = kIndicatorVolumeRatio; indicator <= kIndicatorBigOrderTracking; ++indicator) {
        flat.chart.SetDisplay(kMinuteModeChart, indicator, kPageNone);
        flat.chart.Draw(canvas.Dc(), RECT { 0, 0, 1000, 600 });
    }
    SUCCEED();
}

TEST_F(FundFlowPanes, VolumeRatioNeedsEarlierDays)
{
    StockRecipe r = FundFlowDay();
    rig.Show(r);
    Draw(kIndicatorVolumeRatio);
    EXPECT_EQ(rig.chart.GetIndicatorPane().high, 0) << "no day bars: no average volume";

    ChartRig withDays;
    for (int d = 1; d <= 6; ++d)
        r.dayBars.push_back(MakeWireBar(Day(0, 0) - d * 86400, 10, 10.2, 9.8, 10, 242 * 100, 242 * 1000));
    withDays.Show(r);
    withDays.chart.SetDisplay(kMinuteModeChart, kIndicatorVolumeRatio, kPageNone);
    withDays.chart.Draw(canvas.Dc(), RECT { 0, 0, 1000, 600 });
    const MinuteChartPane& pane = withDays.chart.GetIndicatorPane();
    EXPECT_GT(pane.high, pane.low);
    EXPECT_GT(pane.low, 0);
}

} // namespace
