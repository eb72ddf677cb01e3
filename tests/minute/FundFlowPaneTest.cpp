// The indicator pane: scales against the tick statistics, the index text,
// too few records, big orders at half height, and a flat day.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cstdint>
#include <string>
#include <vector>

#include "base/ChartColors.h"
#include "base/ChartLayout.h"
#include "base/DcGuards.h"
#include "base/GdiObjectCache.h"
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

// The value axis stands on the pane below the title row, over the pane's
// scale in 10,000 yuan: its dotted rows are where an axis over that
// rectangle and those bounds puts them, and nowhere else; the lines meet it
// at their values.
TEST_F(FundFlowPanes, TheValueAxisStandsOnThePaneBelowTheTitleAtTheScale)
{
    rig.Show(FundFlowDay());
    FundFlowSeries flow(&rig.chart.GetSnapshot()->GetFenbiData());
    ASSERT_EQ(flow.Compute(), 1);
    std::vector<FundFlowRecord> records(static_cast<size_t>(flow.GetCount()));
    for (int i = 0; i < flow.GetCount(); ++i)
        flow.GetAt(i, &records[static_cast<size_t>(i)]);
    ASSERT_GE(records.size(), 20u);
    const struct
    {
        int indicator;
        float FundFlowRecord::*line; // the last line the pane draws, which no other covers
        COLORREF colour;
    } table[] = {
        { kIndicatorFundAnalysis, &FundFlowRecord::totalOut, kGreen },
        { kIndicatorNetFundFlow, &FundFlowRecord::totalNet, kRed },
        { kIndicatorMainRetailGame, &FundFlowRecord::retailNet, RGB(255, 0, 255) },
    };
    for (const auto& row : table) {
        Draw(row.indicator);
        const MinuteChartPane& pane = rig.chart.GetIndicatorPane();
        const RECT& r = pane.rect;
        ASSERT_EQ(r.top, rig.chart.GetPanes().indicator.top + 16) << row.indicator;
        ASSERT_GT(pane.high, pane.low) << row.indicator;
        const ValueAxisLayout axis = LayoutValueAxis(r, 0, 0, pane.low, pane.high, 2);
        ASSERT_TRUE(axis.drawable) << row.indicator;
        ASSERT_FALSE(axis.lines.empty()) << row.indicator;
        if (row.indicator != kIndicatorFundAnalysis) {
            // A signed pane's scale reaches below 0: the axis holds a row for 0 inside it.
            EXPECT_LT(pane.low, 0) << row.indicator;
        }

        // Rows inside the frame that are mostly the axis colour: the dotted grid.
        const int width = r.right - r.left;
        std::vector<int> dotted;
        for (int y = r.top + 1; y < r.bottom - 1; ++y) {
            if (canvas.CountPixels(ChartColors::Axis, RECT { r.left + 1, y, r.right - 1, y + 1 }) > width / 3)
                dotted.push_back(y);
        }
        std::vector<int> expected;
        for (const AxisMark& mark : axis.lines)
            expected.push_back(mark.y);
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(dotted, expected) << row.indicator;

        // Each row's label, in 10,000 yuan, ends 2 px left of the pane and
        // reaches no further left than its text is wide.
        for (const AxisMark& mark : axis.lines) {
            const std::string text = FormatAxisNumber(mark.value, axis.decimals);
            SIZE size {};
            {
                CSelectObject font(canvas.Dc(), GdiObjectCache::Instance()->GetFont(12, "宋体", FW_NORMAL));
                ::GetTextExtentPoint32A(canvas.Dc(), text.c_str(), static_cast<int>(text.size()), &size);
            }
            const int start = r.left - 2 - size.cx;
            const RECT label { start, mark.y - 7, r.left - 2, mark.y + 9 };
            const RECT beyond { 0, mark.y - 7, start, mark.y + 9 };
            EXPECT_GT(canvas.CountPixels(ChartColors::AxisLabel, label), 0) << row.indicator << ": " << text;
            EXPECT_EQ(canvas.CountPixels(ChartColors::AxisLabel, beyond), 0) << row.indicator << ": " << text;
        }

        // Points in the middle of the day lie at their value on that scale (yuan per pixel).
        const double perPixel = (pane.high - pane.low) * 10000 / (r.bottom - r.top);
        for (size_t i : { records.size() / 3, records.size() / 2, records.size() * 2 / 3 }) {
            const int x = r.left + static_cast<int>(width * static_cast<int64_t>(i) / 241);
            const int y = r.bottom - static_cast<int>((records[i].*row.line - pane.low * 10000) / perPixel);
            EXPECT_GT(canvas.CountPixels(row.colour, RECT { x - 1, y - 1, x + 2, y + 2 }), 0)
                << row.indicator << ", record " << i << " at " << x << "," << y;
        }
    }
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

    // A day whose price never moves: every fund-flow value is 0, and no pane
    // draws a line or a bar in any of the panes' colours, while the trading
    // day draws them in the same panes.
    ChartRig flat;
    StockRecipe still;
    still.ticks = WalkTicks(Day(10, 0), 10, {}, 100);
    flat.Show(still);
    FundFlowSeries flow(&flat.chart.GetSnapshot()->GetFenbiData());
    ASSERT_EQ(flow.Compute(), 1);
    ASSERT_GE(flow.GetCount(), 3);
    FundFlowRecord last {};
    flow.GetAt(flow.GetCount() - 1, &last);
    const float* values = &last.totalIn;
    for (int field = 0; field < 12; ++field)
        EXPECT_EQ(values[field], 0.0f) << "field " << field;
    const COLORREF lineColours[] = { kRed, kGreen, kMain, RGB(255, 255, 0), RGB(255, 0, 255) };
    auto drawn = [&](ChartRig& chart, int indicator) {
        chart.chart.SetDisplay(kMinuteModeChart, indicator, kPageNone);
        canvas.Fill(RGB(1, 2, 3));
        chart.chart.Draw(canvas.Dc(), RECT { 0, 0, 1000, 600 });
        const RECT& pane = chart.chart.GetIndicatorPane().rect;
        const RECT inside { pane.left + 1, pane.top + 1, pane.right - 1, pane.bottom - 1 };
        int count = 0;
        for (COLORREF colour : lineColours)
            count += canvas.CountPixels(colour, inside);
        return count;
    };
    ChartRig trading;
    trading.Show(FundFlowDay());
    for (int indicator = kIndicatorFundAnalysis; indicator <= kIndicatorMainRetailGame; ++indicator) {
        EXPECT_GT(drawn(trading, indicator), 20) << indicator << ": the trading day's lines";
        EXPECT_EQ(drawn(flat, indicator), 0) << indicator << ": a flat day";
    }
    EXPECT_GT(drawn(rig, kIndicatorBigOrderTracking), 20);
    EXPECT_EQ(drawn(flat, kIndicatorBigOrderTracking), 0) << "no big orders on a flat day";
    // The other two panes draw nothing from this day either (no earlier days,
    // no bid or ask volumes), and do not fail on it.
    EXPECT_EQ(drawn(flat, kIndicatorVolumeRatio), 0);
    EXPECT_EQ(drawn(flat, kIndicatorBidAskStrength), 0);
}

// Bid/ask strength: the bid and ask lines in their colours, and per minute a
// bar from the middle of the pane, up in the inflow colour where the bids
// outweigh the asks and down in the outflow colour where the asks do.
TEST_F(FundFlowPanes, BidAskStrengthBarsPointToTheHeavierSide)
{
    const COLORREF kBidLine = RGB(255, 255, 255);
    const COLORREF kAskLine = RGB(206, 212, 215);
    StockRecipe r;
    // Minute 0: bids 600 against asks 200; minute 1 the other way; then a
    // steady 500 against 100 for three minutes.
    const uint32_t bids[] = { 600, 200, 500, 500, 500, 500 };
    const uint32_t asks[] = { 200, 600, 100, 100, 100, 100 };
    double price = 10;
    for (int minute = 0; minute < 6; ++minute) {
        price += minute % 2 ? -0.01 : 0.01;
        r.ticks.push_back(MakeWireTick(Day(9, 30 + minute, 20), price, 100 * (minute + 1),
            static_cast<uint32_t>(price * 100 * (minute + 1) / 10), bids[minute], asks[minute], price));
    }
    rig.Show(r);
    Draw(kIndicatorBidAskStrength);
    canvas.SavePng("minute-bid-ask-strength");
    const MinuteChartPane& pane = rig.chart.GetIndicatorPane();
    EXPECT_NEAR(pane.high, 600, 1e-3);
    const int top = pane.rect.top;
    const int height = pane.rect.bottom - pane.rect.top;
    const int width = pane.rect.right - pane.rect.left;
    const double span = pane.high - pane.low;
    const int y0 = top + static_cast<int>(height * (pane.high + pane.low) / (2 * span));
    const int reach = static_cast<int>(400 * height / (2 * span)); // a difference of 400
    auto barX = [&](int minute) { return pane.rect.left + width * (minute + 1) / 242; };
    auto valueY = [&](double v) { return top + static_cast<int>((pane.high - v) * height / span); };

    // Minute 0 leans to the bids: the inflow colour above the middle, nothing below.
    const int up = barX(0);
    EXPECT_EQ(canvas.Pixel(up, y0 - 2), kRed);
    EXPECT_EQ(canvas.Pixel(up, y0 - reach + 2), kRed);
    EXPECT_NE(canvas.Pixel(up, y0 - reach - 3), kRed) << "the bar stops at the difference";
    EXPECT_EQ(canvas.CountPixels(kGreen, RECT { up, top, up + 1, pane.rect.bottom }), 0);
    // Minute 1 leans to the asks: the outflow colour below the middle.
    const int down = barX(1);
    EXPECT_EQ(canvas.Pixel(down, y0 + 2), kGreen);
    EXPECT_EQ(canvas.Pixel(down, y0 + reach - 2), kGreen);
    EXPECT_NE(canvas.Pixel(down, y0 + reach + 3), kGreen);
    EXPECT_EQ(canvas.CountPixels(kRed, RECT { down, top, down + 1, pane.rect.bottom }), 0);
    // Between minutes 3 and 4 the lines run flat: the bids at 500, the asks at 100.
    const int between = (barX(3) + barX(4)) / 2;
    ASSERT_GT(between, barX(3));
    auto lineAt = [&](int y, COLORREF colour) {
        int found = 0;
        for (int dy = -1; dy <= 1; ++dy)
            found += canvas.Pixel(between, y + dy) == colour;
        return found > 0;
    };
    EXPECT_TRUE(lineAt(valueY(500), kBidLine)) << "the bid line";
    EXPECT_TRUE(lineAt(valueY(100), kAskLine)) << "the ask line";
    EXPECT_FALSE(lineAt(valueY(500), kAskLine));
    EXPECT_FALSE(lineAt(valueY(100), kBidLine));
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
