// The price and volume panes: scales, labels, and probes of the lines and
// bars drawn into an off-screen DIB.
#include <gtest/gtest.h>

#include "data/Stock.h"
#include "tests/minute/MinuteFixtures.h"
#include "tests/support/OffscreenCanvas.h"
#include "tests/support/SeriesFixtures.h"
#include "views/MinuteTimeAxis.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kYellow = RGB(255, 255, 0);
const COLORREF kBackground = RGB(8, 8, 8);

StockRecipe RisingThenFalling()
{
    StockRecipe r;
    // 10.00 -> up 0.01 a minute for 30 minutes, then down; 60 minutes traded.
    std::vector<double> steps(30, 0.01);
    steps.insert(steps.end(), 30, -0.02);
    r.ticks = WalkTicks(Day(10, 29, 30), 10, steps, 100);
    return r;
}

TEST(MinutePriceScale, NarrowRangesWidenToWholeTicksPerRow)
{
    ChartRig rig;
    StockRecipe r;
    r.ticks = { MakeWireTick(Day(9, 31), 9.98, 100, 998), MakeWireTick(Day(9, 32), 10.03, 200, 2001) };
    rig.Show(r);
    CStock* stock = rig.chart.GetSnapshot();
    ASSERT_TRUE(stock);
    stock->GetStockInfo().high = 10.03f;
    stock->GetStockInfo().low = 9.98f;
    stock->GetStockInfo().last = 10.03f;

    MinutePriceRange range;
    ASSERT_EQ(rig.chart.GetPriceRange(10, true, range), 1);
    EXPECT_NEAR(range.low, 9.97, 1e-5) << "symmetric about the previous close";
    EXPECT_NEAR(range.high, 10.03, 1e-5);
    EXPECT_EQ(range.largestVolume, 100) << "the larger minute volume";

    OffscreenCanvas canvas(1000, 600);
    const RECT price { 70, 19, 664, 19 + 400 }; // 14 rows of 28 px
    const RECT volume { 70, 421, 664, 581 };
    double low = range.low, high = range.high;
    ASSERT_EQ(rig.chart.DrawPriceAxis(canvas.Dc(), price, volume, 28, 10, &low, &high, 100, 2), 1);
    EXPECT_NEAR(low, 9.93, 1e-9);
    EXPECT_NEAR(high, 10.07, 1e-9);

    // No minutes and no quote range: the previous close +/- 0.1 %, then whole ticks.
    ChartRig empty;
    StockRecipe none;
    empty.Show(none);
    ASSERT_EQ(empty.chart.GetPriceRange(10, true, range), 1);
    EXPECT_NEAR(range.low, 9.99, 1e-9);
    EXPECT_NEAR(range.high, 10.01, 1e-9);
    low = range.low;
    high = range.high;
    empty.chart.DrawPriceAxis(canvas.Dc(), price, volume, 28, 10, &low, &high, 10, 2);
    EXPECT_NEAR(high - low, 0.14, 1e-9);

    // What the axis refuses to draw.
    EXPECT_EQ(rig.chart.DrawPriceAxis(canvas.Dc(), price, volume, 28, 10, nullptr, &high, 10, 2), 0);
    EXPECT_EQ(rig.chart.DrawPriceAxis(canvas.Dc(), RECT { 5, 5, 5, 50 }, volume, 28, 10, &low, &high, 10, 2), 0);
    EXPECT_EQ(rig.chart.DrawPriceAxis(canvas.Dc(), price, volume, 0, 10, &low, &high, 10, 2), 0);
    EXPECT_EQ(rig.chart.DrawPriceAxis(canvas.Dc(), price, volume, 28, 10, &low, &high, 10, -1), 0);
}

TEST(MinutePriceScale, AxisLabels)
{
    EXPECT_EQ(PriceAxisLabel(-0.004, 2), "0.00");
    EXPECT_EQ(PriceAxisLabel(-0.006, 2), "-0.01");
    EXPECT_EQ(PriceAxisLabel(10.005, 2), "10.01");
    EXPECT_EQ(PriceAxisLabel(3.14159, 3), "3.142");
}

class MinuteChartPicture : public ::testing::Test
{
protected:
    void Draw(int indicator = 0, int page = kPageNone)
    {
        rig.chart.SetDisplay(kMinuteModeChart, indicator, page);
        canvas.Fill(RGB(1, 2, 3));
        rig.chart.Draw(canvas.Dc(), RECT { 0, 0, 1000, 600 });
    }
    int X(int32_t time) const
    {
        const RECT& p = rig.chart.GetPricePane().rect;
        return MinuteAxisX(p.left, p.right, TradingSecondsSinceOpen(time));
    }
    int PriceY(double price) const
    {
        const MinuteChartPane& p = rig.chart.GetPricePane();
        return p.rect.top + static_cast<int>((p.rect.bottom - p.rect.top) * (p.high - price) / (p.high - p.low));
    }

    ChartRig rig;
    OffscreenCanvas canvas { 1000, 600 };
};

TEST_F(MinuteChartPicture, PriceLineVolumeBarsAndTheCarryToNow)
{
    rig.Show(RisingThenFalling());
    Draw();
    canvas.SavePng("minute-chart-probe");
    const MinuteChartPane& price = rig.chart.GetPricePane();
    EXPECT_EQ(price.rect.right, 1000 - 56) << "no side panel on page 10";
    EXPECT_GT(price.high, price.low);
    EXPECT_EQ(canvas.Pixel(5, 5), kBackground) << "the chart is filled with the background";

    // The price line passes through the point of the 09:45 minute (10.16).
    const int x = X(Day(9, 45, 30));
    const int y = PriceY(10.16);
    bool white = false;
    for (int dy = -1; dy <= 1; ++dy)
        white = white || canvas.Pixel(x, y + dy) == kWhite;
    EXPECT_TRUE(white) << "a white price pixel at (" << x << ", " << y << ")";

    // Volume bars: every minute 100 lots, the largest volume, so each bar spans the pane.
    const MinuteChartPane& volume = rig.chart.GetVolumePane();
    EXPECT_EQ(volume.high, 100);
    const int bx = X(Day(9, 50, 30));
    EXPECT_EQ(canvas.Pixel(bx, volume.rect.bottom - 2), kYellow);
    EXPECT_EQ(canvas.Pixel(bx, (volume.rect.top + volume.rect.bottom) / 2 + 3), kYellow);

    // After the last trade (10:29) the lines run flat up to now (10:45) and stop there.
    const double last = 10 + 30 * 0.01 - 30 * 0.02;
    const int flatY = PriceY(last);
    const int before = X(Day(10, 40, 0)) + 1;
    const int after = X(Day(11, 0, 0)) + 1;
    bool flat = false;
    for (int dy = -1; dy <= 1; ++dy)
        flat = flat || canvas.Pixel(before, flatY + dy) == kWhite;
    EXPECT_TRUE(flat) << "carried flat before now";
    for (int dy = -1; dy <= 1; ++dy)
        EXPECT_NE(canvas.Pixel(after, flatY + dy), kWhite) << "nothing after now";
}

TEST_F(MinuteChartPicture, AfterTheCloseTheLinesReachFifteenHundred)
{
    rig.now = Day(10, 45) + 86400;
    StockRecipe r;
    r.ticks = WalkTicks(Day(10, 0), 10, { 0.01, -0.01, 0.02 }, 50);
    rig.Show(r);
    Draw();
    const MinuteChartPane& price = rig.chart.GetPricePane();
    const int y = PriceY(r.ticks.back().price / 1000.0);
    bool white = false;
    for (int dy = -1; dy <= 1; ++dy)
        white = white || canvas.Pixel(price.rect.right - 3, y + dy) == kWhite;
    EXPECT_TRUE(white);
}

TEST_F(MinuteChartPicture, AMinuteWithoutPriceStandsAtThePreviousClose)
{
    // The first trade has no price. With a previous close the minute series
    // already holds it there; a tick header without one (a new listing) leaves
    // the minute at 0 and the chart stands it at the middle of its range.
    const std::vector<WireTick> ticks = { MakeWireTick(Day(9, 30, 5), 0, 100, 0),
        MakeWireTick(Day(9, 31, 5), 10.2, 200, 2040), MakeWireTick(Day(9, 32, 5), 9.9, 300, 3030) };
    const struct
    {
        const char* name;
        double previousClose;
        float recorded; // the first minute's price in the series
    } cases[] = {
        { "previous close 10", 10, 10.0f },
        { "no previous close", 0, 0.0f },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ChartRig one;
        StockRecipe r;
        r.previousClose = c.previousClose;
        r.ticks = ticks;
        r.useHeader = true;
        r.header = HeaderOf(ticks, c.previousClose);
        r.header.open = r.header.high = MakeWireTick(0, 10.2, 0, 0).price;
        r.header.low = MakeWireTick(0, 9.9, 0, 0).price;
        one.Show(r);
        CStock* snapshot = one.chart.GetSnapshot();
        ASSERT_TRUE(snapshot);
        ASSERT_GE(snapshot->GetMinute().GetCount(), 3);
        EXPECT_EQ(snapshot->GetMinute().GetAt(0)->price, c.recorded);
        double standsAt = c.previousClose;
        if (standsAt == 0) {
            MinutePriceRange range;
            ASSERT_EQ(one.chart.GetPriceRange(0, true, range), 1);
            standsAt = (range.low + range.high) / 2;
        }

        one.chart.SetDisplay(kMinuteModeChart, 0, kPageNone);
        canvas.Fill(RGB(1, 2, 3));
        one.chart.Draw(canvas.Dc(), RECT { 0, 0, 1000, 600 });
        EXPECT_EQ(snapshot->GetMinute().GetAt(0)->price, c.recorded) << "the snapshot is not written";
        const MinuteChartPane& p = one.chart.GetPricePane();
        const int x = MinuteAxisX(p.rect.left, p.rect.right, TradingSecondsSinceOpen(Day(9, 30, 5)));
        const int y = p.rect.top + static_cast<int>((p.rect.bottom - p.rect.top) * (p.high - standsAt) / (p.high - p.low));
        // The price and its running mean both start there (the mean is drawn over the price).
        bool there = false;
        for (int dy = -1; dy <= 1; ++dy) {
            const COLORREF colour = canvas.Pixel(x - 1, y + dy);
            there = there || colour == kWhite || colour == kYellow;
        }
        EXPECT_TRUE(there) << "at (" << x - 1 << ", " << y << ")";
    }
}

TEST_F(MinuteChartPicture, SidePanelPagesAndListsDrawInTheirPlaces)
{
    rig.Show(RisingThenFalling());
    Draw(0, kPageTicks);
    const RECT side = rig.chart.GetPanes().side;
    ASSERT_EQ(side.left, 1000 - 280);
    EXPECT_GT(canvas.CountPixels(RGB(1, 2, 3)) + canvas.CountPixelsNot(kBackground), 0);
    int drawn = 0;
    for (int y = side.top; y < side.bottom; y += 2) {
        for (int x = side.left; x < side.right; x += 2)
            drawn += canvas.Pixel(x, y) != kBackground;
    }
    EXPECT_GT(drawn, 50) << "the tick page fills its column";
    EXPECT_GE(rig.chart.GetSideRowsPerPage(), 1) << "written back by the tick page";
    canvas.SavePng("minute-chart-ticks-page");

    // The full-window tick list covers the chart: no price pane is drawn.
    rig.chart.SetDisplay(kMinuteModeTickList, 0, kPageTicks);
    canvas.Fill(RGB(1, 2, 3));
    rig.chart.Draw(canvas.Dc(), RECT { 0, 0, 1000, 600 });
    EXPECT_EQ(canvas.CountPixels(RGB(1, 2, 3)), 0);
    EXPECT_EQ(canvas.CountPixels(RGB(255, 255, 0), RECT { 70, 400, 600, 580 }), 0) << "no volume bars";
    canvas.SavePng("minute-tick-list");
}

TEST_F(MinuteChartPicture, WithoutASnapshotOnlyTheBackground)
{
    Draw();
    EXPECT_EQ(canvas.CountPixelsNot(kBackground), 0);
}

} // namespace
