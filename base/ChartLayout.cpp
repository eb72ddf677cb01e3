#include "base/ChartLayout.h"
#include <cmath>
#include <cstdio>

double GetAxisStep(double range)
{
    static const struct
    {
        double bound;
        double step;
    } table[] = {
        { 0.001, 0.00005 },
        { 0.01, 0.0005 },
        { 0.1, 0.005 },
        { 1, 0.05 },
        { 10, 0.5 },
        { 100, 5 },
        { 1000, 50 },
        { 10000, 500 },
        { 100000, 5000 },
        { 1000000, 50000 },
        { 10000000, 500000 },
        { 100000000, 5000000 },
        { 1000000000, 50000000 },
    };
    for (const auto& row : table) {
        if (range <= row.bound)
            return row.step;
    }
    return 0;
}

int ClampDecimals(int decimals)
{
    return decimals < 0 ? 0 : (decimals > 9 ? 9 : decimals);
}

std::string FormatAxisNumber(double value, int decimals)
{
    char text[64];
    char format[8];
    std::snprintf(format, sizeof(format), "%%.%df", ClampDecimals(decimals));
    std::snprintf(text, sizeof(text), format, value);
    return text;
}

ValueAxisLayout LayoutValueAxis(
    const RECT& rect, int topMargin, int bottomMargin, double minimum, double maximum, int decimals)
{
    ValueAxisLayout layout;
    const int height = rect.bottom - rect.top;
    if (height <= topMargin)
        return layout;
    const double range = maximum - minimum;
    double step = GetAxisStep(range);
    if (!(step > 0))
        return layout;
    const double unit = step / 10;
    const int usable = height - topMargin - bottomMargin;
    if (usable <= 0 || range < 0)
        return layout;

    layout.drawable = true;
    layout.topY = rect.top + topMargin;
    layout.bottomY = rect.bottom - bottomMargin;
    if (minimum > 1000)
        layout.decimals = 0;
    else if (minimum > 100)
        layout.decimals = 1;
    else
        layout.decimals = ClampDecimals(decimals);
    if (range == 0) {
        // No step fits a zero range: frame and top line only.
        layout.step = step;
        return layout;
    }

    // Both fits move by a tenth of the first step, so they end after a few
    // hundred passes at most; the caps only guard against rounding.
    double p = usable / (range / step);
    for (int pass = 0; p > 60 && pass < 100000; ++pass) {
        step -= unit;
        p = usable / (range / step);
    }
    for (int pass = 0; p < 30 && pass < 100000; ++pass) {
        step += unit;
        p = usable / (range / step);
    }
    layout.step = step;
    layout.pixelsPerStep = p;
    if (!(step > 0))
        return layout;

    double v = std::trunc(minimum / step) * step;
    if (v < minimum)
        v += step;
    // Lines are at least 30 px apart; a step below the rounding of v would
    // otherwise never reach the maximum.
    const int maxPasses = usable / 15 + 2;
    for (int pass = 0; pass < maxPasses; ++pass) {
        const int d = static_cast<int>(std::trunc((v - minimum) * usable / range));
        const int y = layout.bottomY - d;
        if (d >= p / 2 && y - layout.topY >= p / 2)
            layout.lines.push_back(AxisMark { y, v });
        v += step;
        if (v >= maximum)
            break;
    }
    return layout;
}

double WithoutNegativeZero(double value, int decimals)
{
    if (value < 0 && value > -0.6 * std::pow(10.0, -ClampDecimals(decimals)))
        return 0;
    return value;
}

std::vector<AxisMark> LayoutAxisLabels(int count, int topY, int bottomY, double bottomValue, double topValue,
    bool includeFirst, bool includeLast)
{
    std::vector<AxisMark> labels;
    const int span = bottomY - topY;
    if (span <= 0 || count <= 0)
        return labels;
    for (int i = 0; i <= count; ++i) {
        if ((i == 0 && !includeFirst) || (i == count && !includeLast))
            continue;
        const double value = bottomValue + (topValue - bottomValue) * i / count;
        const int y = topY + static_cast<int>((static_cast<long long>(span) * (count - i)) / count) - 7;
        labels.push_back(AxisMark { y, value });
    }
    return labels;
}

RECT LayoutBoxedText(const RECT& rect, const RECT* bound, int textWidth)
{
    RECT box = rect;
    if (bound) {
        if (box.left < bound->left)
            box.left = bound->left;
        if (box.top < bound->top)
            box.top = bound->top;
        if (box.right > bound->right)
            box.right = bound->right;
        if (box.bottom > bound->bottom)
            box.bottom = bound->bottom;
    }
    box.right = box.left + textWidth + 2;
    return box;
}

void LayoutPie(const RECT& rect, const std::vector<int>& percentages, POINT& centre, int& radius,
    std::vector<PieSlice>& slices)
{
    const int halfWidth = (rect.right - rect.left) / 2;
    const int halfHeight = (rect.bottom - rect.top) / 2;
    centre.x = rect.left + halfWidth;
    centre.y = rect.top + halfHeight;
    radius = halfWidth < halfHeight ? halfWidth : halfHeight;
    slices.clear();
    double angle = 0;
    for (int percentage : percentages) {
        const double sweep = percentage * 3.6;
        slices.push_back(PieSlice { angle, sweep });
        angle += sweep;
    }
}
