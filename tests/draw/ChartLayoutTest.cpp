// Where the chart primitives put their lines, labels, dots, boxes and sectors.
#include "base/ChartColors.h"
#include "base/ChartLayout.h"
#include <gtest/gtest.h>
#include <cmath>
#include <limits>
#include <vector>

TEST(ChartColors, PickPriceColor)
{
    EXPECT_EQ(ChartColors::Rise, 0x3C3CFFu);
    EXPECT_EQ(ChartColors::Fall, 0x00C800u);
    EXPECT_EQ(ChartColors::Flat, 0xE6E6E6u);
    EXPECT_EQ(ChartColors::Axis, 0x000080u);
    EXPECT_EQ(ChartColors::AxisLabel, 0xFFFFFFu);
    EXPECT_EQ(PickPriceColor(0, 0.01), ChartColors::Rise);
    EXPECT_EQ(PickPriceColor(0, -0.01), ChartColors::Fall);
    EXPECT_EQ(PickPriceColor(10.5, 10.5), ChartColors::Flat);
}

TEST(ChartLayout, AxisStepByMagnitude)
{
    const struct
    {
        double range;
        double step;
    } cases[] = {
        { 0, 0.00005 },
        { 0.001, 0.00005 },
        { 0.0011, 0.0005 },
        { 0.01, 0.0005 },
        { 0.05, 0.005 },
        { 1, 0.05 },
        { 1.5, 0.5 },
        { 10, 0.5 },
        { 99, 5 },
        { 1000, 50 },
        { 5000, 500 },
        { 100000, 5000 },
        { 1e6, 50000 },
        { 9e6, 500000 },
        { 1e8, 5000000 },
        { 1e9, 50000000 },
        { 1.0000001e9, 0 },
        { 2e9, 0 },
        { -3, 0.00005 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetAxisStep(c.range), c.step) << c.range;
    EXPECT_EQ(GetAxisStep(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(GetAxisStep(std::numeric_limits<double>::infinity()), 0);
}

TEST(ChartLayout, ValueAxisFitsTheStepToThirtyPixels)
{
    // 10.0-11.0 on 300 usable pixels: 0.05 gives 15 px per step, so the step
    // grows by 0.005 to 0.1 (30 px); 10.0 and 11.0 are within half a step of the ends.
    const RECT rect = { 50, 0, 250, 320 };
    const ValueAxisLayout layout = LayoutValueAxis(rect, 12, 8, 10.0, 11.0, 2);
    ASSERT_TRUE(layout.drawable);
    EXPECT_EQ(layout.topY, 12);
    EXPECT_EQ(layout.bottomY, 312);
    EXPECT_NEAR(layout.step, 0.1, 1e-12);
    EXPECT_NEAR(layout.pixelsPerStep, 30, 1e-9);
    EXPECT_EQ(layout.decimals, 2);
    ASSERT_EQ(layout.lines.size(), 9u);
    for (size_t i = 0; i < layout.lines.size(); ++i) {
        EXPECT_NEAR(layout.lines[i].value, 10.1 + 0.1 * i, 1e-9) << i;
        EXPECT_EQ(layout.lines[i].y, 312 - 30 * static_cast<int>(i + 1)) << i;
    }
}

TEST(ChartLayout, ValueAxisStepShrinksWhenLinesWouldBeTooFarApart)
{
    // 0-10 on 1000 px: 0.5 gives 50 px per step, which fits as it is;
    // 0-1 on 1000 px: 0.05 gives 50 px, fits; 0-1.2 on 1000 px: 0.5 gives
    // about 417 px, shrinking by 0.05 until lines are at most 60 px apart.
    const RECT rect = { 0, 0, 100, 1000 };
    const ValueAxisLayout fits = LayoutValueAxis(rect, 0, 0, 0, 10, 2);
    EXPECT_NEAR(fits.step, 0.5, 1e-12);
    const ValueAxisLayout shrunk = LayoutValueAxis(rect, 0, 0, 0, 1.2, 2);
    EXPECT_LE(shrunk.pixelsPerStep, 60);
    EXPECT_GE(shrunk.pixelsPerStep, 30);
    EXPECT_NEAR(shrunk.step, 0.05, 1e-12);
    for (size_t i = 1; i < shrunk.lines.size(); ++i)
        EXPECT_NEAR(shrunk.lines[i - 1].y - shrunk.lines[i].y, shrunk.pixelsPerStep, 1);
}

TEST(ChartLayout, ValueAxisDecimalsByMagnitude)
{
    const RECT rect = { 0, 0, 100, 300 };
    const struct
    {
        double minimum, maximum;
        int callerDecimals, decimals;
    } cases[] = {
        { 1500, 1600, 3, 0 },
        { 1000.5, 1100, 3, 0 },
        { 150, 160, 3, 1 },
        { 100.5, 101, 3, 1 },
        { 100, 110, 3, 3 },
        { 50, 60, 2, 2 },
        { 5, 6, 12, 9 },
        { 5, 6, -1, 0 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(LayoutValueAxis(rect, 0, 0, c.minimum, c.maximum, c.callerDecimals).decimals, c.decimals)
            << c.minimum;
    EXPECT_EQ(FormatAxisNumber(10.25, 12), "10.250000000");
    EXPECT_EQ(FormatAxisNumber(10.26, -3), "10");
}

TEST(ChartLayout, ValueAxisRefusals)
{
    const RECT rect = { 0, 0, 100, 300 };
    EXPECT_FALSE(LayoutValueAxis(rect, 0, 0, 0, 2e9, 2).drawable); // no step for the range
    EXPECT_FALSE(LayoutValueAxis(rect, 0, 0, 5, 4, 2).drawable); // negative range
    EXPECT_FALSE(LayoutValueAxis(rect, 300, 0, 0, 1, 2).drawable); // no room under the margin
    EXPECT_FALSE(LayoutValueAxis(rect, 200, 100, 0, 1, 2).drawable); // no usable height
    EXPECT_FALSE(LayoutValueAxis(rect, 0, 0, std::nan(""), 1, 2).drawable); // not a number
}

TEST(ChartLayout, ZeroRangeAndTinyStepsEnd)
{
    const RECT rect = { 0, 0, 100, 300 };
    const ValueAxisLayout flat = LayoutValueAxis(rect, 10, 0, 12.5, 12.5, 2);
    EXPECT_TRUE(flat.drawable);
    EXPECT_TRUE(flat.lines.empty());

    // A step below the rounding unit of the values: v + step == v.
    const ValueAxisLayout stalled = LayoutValueAxis(rect, 0, 0, 1e15, 1e15 + 0.125, 2);
    EXPECT_TRUE(stalled.drawable);
    EXPECT_LE(stalled.lines.size(), 300u / 15 + 2);
}

TEST(ChartLayout, AxisLabels)
{
    // Count 4 between y 100 and 200 over 0-8, first and last left out.
    const std::vector<AxisMark> inner = LayoutAxisLabels(4, 100, 200, 0, 8, false, false);
    ASSERT_EQ(inner.size(), 3u);
    const int ys[] = { 168, 143, 118 };
    const double values[] = { 2, 4, 6 };
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(inner[i].y, ys[i]);
        EXPECT_DOUBLE_EQ(inner[i].value, values[i]);
    }
    const std::vector<AxisMark> all = LayoutAxisLabels(3, 0, 100, -3, 3, true, true);
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all.front().y, 93);
    EXPECT_DOUBLE_EQ(all.front().value, -3);
    EXPECT_EQ(all.back().y, -7);
    EXPECT_EQ(all[1].y, 59); // 100 * 2 / 3 = 66 in integers, then - 7
    EXPECT_TRUE(LayoutAxisLabels(0, 0, 100, 0, 1, true, true).empty());
    EXPECT_TRUE(LayoutAxisLabels(4, 100, 100, 0, 1, true, true).empty());

    const struct
    {
        double value;
        int decimals;
        double shown;
    } zeros[] = {
        { -0.04, 1, 0 },
        { -0.06, 1, -0.06 },
        { -0.004, 2, 0 },
        { -0.5, 0, 0 },
        { -0.7, 0, -0.7 },
        { 0.04, 1, 0.04 },
    };
    for (const auto& z : zeros)
        EXPECT_EQ(WithoutNegativeZero(z.value, z.decimals), z.shown) << z.value;
}

namespace {

std::vector<DotSegment> Dots(int x1, int y1, int x2, int y2)
{
    std::vector<DotSegment> dots;
    ForEachDottedSegment(x1, y1, x2, y2, [&](const DotSegment& d) { dots.push_back(d); });
    return dots;
}

}

TEST(ChartLayout, DottedLineSegments)
{
    const std::vector<DotSegment> horizontal = Dots(0, 5, 6, 5);
    ASSERT_EQ(horizontal.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(horizontal[i].x, static_cast<int>(2 * i));
        EXPECT_EQ(horizontal[i].endX, static_cast<int>(2 * i + 1));
        EXPECT_EQ(horizontal[i].y, 5);
        EXPECT_EQ(horizontal[i].endY, 5);
    }
    const std::vector<DotSegment> diagonal = Dots(0, 0, 6, 6);
    ASSERT_EQ(diagonal.size(), 3u);
    EXPECT_EQ(diagonal[2].x, 4);
    EXPECT_EQ(diagonal[2].y, 4);
    EXPECT_EQ(diagonal[2].endX, 5);
    EXPECT_EQ(diagonal[2].endY, 5);
    EXPECT_EQ(Dots(0, 7, 6, 7).size(), 3u);
    EXPECT_EQ(Dots(3, 3, 3, 3).size(), 0u);
    // Ending left of its start, the line is clamped onto x2.
    const std::vector<DotSegment> backwards = Dots(5, 0, 2, 4);
    ASSERT_FALSE(backwards.empty());
    for (const DotSegment& d : backwards)
        EXPECT_EQ(d.x, 2);
}

TEST(ChartLayout, BoxedTextAndPie)
{
    const RECT rect = { 5, 5, 50, 30 };
    const RECT bound = { 10, 0, 40, 20 };
    const RECT clamped = LayoutBoxedText(rect, &bound, 30);
    EXPECT_EQ(clamped.left, 10);
    EXPECT_EQ(clamped.top, 5);
    EXPECT_EQ(clamped.right, 42); // left + text width + 2, after clamping
    EXPECT_EQ(clamped.bottom, 20);
    const RECT free = LayoutBoxedText(rect, nullptr, 30);
    EXPECT_EQ(free.right, 37);
    EXPECT_EQ(free.bottom, 30);

    POINT centre;
    int radius = 0;
    std::vector<PieSlice> slices;
    LayoutPie(RECT { 10, 20, 111, 81 }, { 25, 75 }, centre, radius, slices);
    EXPECT_EQ(centre.x, 60);
    EXPECT_EQ(centre.y, 50);
    EXPECT_EQ(radius, 30);
    ASSERT_EQ(slices.size(), 2u);
    EXPECT_DOUBLE_EQ(slices[0].startAngle, 0);
    EXPECT_DOUBLE_EQ(slices[0].sweep, 90);
    EXPECT_DOUBLE_EQ(slices[1].startAngle, 90);
    EXPECT_DOUBLE_EQ(slices[1].sweep, 270);
}
