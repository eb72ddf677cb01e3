#pragma once
// Where the chart primitives put their lines and labels, as pure functions
// the drawing calls, so the layout rules can be checked exactly.
#include <windows.h>
#include <string>
#include <vector>

// The grid step for a value range by its magnitude: 0.00005 up to 0.001, ten
// times more per decade, 50000000 up to 1e9; 0 above that (or for NaN).
double GetAxisStep(double range);

// Decimals clamped to 0-9, so a format built from them is always sound.
int ClampDecimals(int decimals);

// The value with that many decimals ("%.Nf").
std::string FormatAxisNumber(double value, int decimals);

struct AxisMark
{
    int y;
    double value;
};

struct ValueAxisLayout
{
    bool drawable = false; // false: nothing is drawn at all
    int topY = 0; // the dotted top line
    int bottomY = 0; // the bottom of the scale
    double step = 0; // the grid step after fitting
    double pixelsPerStep = 0;
    int decimals = 0; // of the labels
    std::vector<AxisMark> lines; // dotted grid lines, each with its label
};

// The value axis in rect: the step is adjusted by a tenth of its first value
// until lines fall 30-60 px apart; no line within half a step of either end.
// A zero range is drawable but has no grid line.
ValueAxisLayout LayoutValueAxis(
    const RECT& rect, int topMargin, int bottomMargin, double minimum, double maximum, int decimals);

// count + 1 evenly spaced labels from bottomY (label 0) up to topY (label
// count); y is where the text's top goes. Labels 0 and count are left out
// unless asked for. Empty when the span or the count is not positive.
std::vector<AxisMark> LayoutAxisLabels(int count, int topY, int bottomY, double bottomValue, double topValue,
    bool includeFirst, bool includeLast);

// Replaces a negative value that would print as zero with that many decimals by 0.
double WithoutNegativeZero(double value, int decimals);

// One 1-pixel segment of a dotted line: from (x, y) towards (endX, endY),
// the end excluded as line drawing does.
struct DotSegment
{
    int x, y, endX, endY;
};

// Calls f(DotSegment) for each dot of the dotted line from (x1, y1) to
// (x2, y2): every second pixel along a horizontal or vertical line, a dotted
// 45-degree line otherwise.
template <class F> void ForEachDottedSegment(int x1, int y1, int x2, int y2, F f)
{
    long long x = x1, y = y1;
    for (;;) {
        if (x >= x2 && y >= y2)
            return;
        if (x > x2)
            x = x2;
        if (y > y2)
            y = y2;
        const long long endX = x + 1 < x2 ? x + 1 : x2;
        const long long endY = y + 1 < y2 ? y + 1 : y2;
        f(DotSegment {
            static_cast<int>(x), static_cast<int>(y), static_cast<int>(endX), static_cast<int>(endY) });
        x = endX + 1;
        y = endY + 1;
    }
}

// The framed box of a boxed text: rect clamped into bound (when given), then
// right = left + text width + 2.
RECT LayoutBoxedText(const RECT& rect, const RECT* bound, int textWidth);

struct PieSlice
{
    double startAngle; // degrees, counter-clockwise from three o'clock
    double sweep;
};

// The centre and radius of a pie in rect, and each sector's angles in order.
void LayoutPie(const RECT& rect, const std::vector<int>& percentages, POINT& centre, int& radius,
    std::vector<PieSlice>& slices);
