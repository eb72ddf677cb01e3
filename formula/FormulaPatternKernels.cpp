// Shapes built over prices: the zig-zag line, the chip share below a price and
// the DRAWLINE anchors.
#include "formula/FormulaKernels.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

namespace {

// The relative move from anchor to value, up (positive) or down.
double Change(double anchor, double value)
{
    return (value - anchor) / std::fabs(anchor);
}

// The straight line from bar `from` to bar `to` through their prices.
void Join(const float* x, int from, int to, float* out)
{
    const double start = x[from];
    const double end = x[to];
    out[from] = x[from];
    for (int k = from + 1; k <= to; ++k)
        out[k] = static_cast<float>(start + (end - start) * (k - from) / (to - from));
}

bool Holds(const SeriesOperand& condition, int i)
{
    const float value = condition.At(i);
    return !IsInvalidValue(value) && value != 0.0f;
}

// Sum over the lattice levels L + k*w, k in [first, last], of the triangle
// 4 * (rising ? p - low : high - p) / (high - low).
double TriangleSum(
    long long first, long long last, double base, double step, double low, double high, bool rising)
{
    if (last < first)
        return 0.0;
    const double levels = static_cast<double>(last - first + 1);
    const double indexSum = (static_cast<double>(first) + static_cast<double>(last)) * levels / 2.0;
    const double priceSum = levels * base + step * indexSum;
    const double sum = rising ? priceSum - levels * low : levels * high - priceSum;
    return 4.0 * sum / (high - low);
}

// The last lattice level lowest + k*step at or below price (strictly below
// when `strict`), found from the quotient and settled on the levels themselves
// so that a price lying on a level counts as it would level by level.
long long LastLevelBelow(double price, double lowest, double step, bool strict)
{
    long long k = static_cast<long long>(std::floor((price - lowest) / step));
    auto below = [&](long long level) {
        const double p = lowest + static_cast<double>(level) * step;
        return strict ? p < price : p <= price;
    };
    // The quotient is off by at most a rounding step.
    for (int adjust = 0; adjust < 2 && below(k + 1); ++adjust)
        ++k;
    for (int adjust = 0; adjust < 2 && !below(k); ++adjust)
        --k;
    return k;
}

} // namespace

bool SeriesZIG(const float* x, int count, double percent, float* out)
{
    FillInvalid(out, count);
    if (count < 3)
        return true;
    int first = 0;
    while (first < count && IsInvalidValue(x[first]))
        ++first;
    if (first == count)
        return true;
    const double threshold = percent / 100.0;
    std::vector<int> pivots;
    try {
        pivots.reserve(64);
        pivots.push_back(first);
        // A turning point is the extreme of a leg, recorded once the price has
        // come back from it by the threshold.
        int direction = 0;
        int extreme = first;
        int last = first;
        for (int j = first + 1; j < count; ++j) {
            const float value = x[j];
            if (IsInvalidValue(value))
                continue;
            last = j;
            if (direction == 0) {
                const double move = Change(x[first], value);
                if (move >= threshold) {
                    direction = 1;
                    extreme = j;
                } else if (-move >= threshold) {
                    direction = -1;
                    extreme = j;
                }
            } else if (direction > 0) {
                if (value > x[extreme]) {
                    extreme = j;
                } else if (-Change(x[extreme], value) >= threshold) {
                    pivots.push_back(extreme);
                    direction = -1;
                    extreme = j;
                }
            } else {
                if (value < x[extreme]) {
                    extreme = j;
                } else if (Change(x[extreme], value) >= threshold) {
                    pivots.push_back(extreme);
                    direction = 1;
                    extreme = j;
                }
            }
        }
        // The last leg runs from the last turning point to the last price.
        if (last > pivots.back())
            pivots.push_back(last);
    } catch (const std::bad_alloc&) {
        return false;
    }
    out[pivots.front()] = x[pivots.front()];
    for (size_t p = 1; p < pivots.size(); ++p)
        Join(x, pivots[p - 1], pivots[p], out);
    return true;
}

void SeriesWINNER(SeriesOperand high, SeriesOperand low, SeriesOperand volume, SeriesOperand price,
    double capital, int count, float* out)
{
    // The window of bar i starts where the volume summed back from i first
    // covers the capital (both in lots); it only moves forward with i.
    int start = 0;
    double covered = 0.0;
    auto lots = [&](int i) {
        const float v = volume.At(i);
        return IsInvalidValue(v) || v < 0.0f ? 0.0 : static_cast<double>(v);
    };
    for (int i = 0; i < count; ++i) {
        covered += lots(i);
        while (start < i && covered - lots(start) >= capital) {
            covered -= lots(start);
            ++start;
        }
        const float p = price.At(i);
        if (IsInvalidValue(p)) {
            out[i] = kInvalidValue;
            continue;
        }
        double lowest = 0.0, highest = 0.0;
        bool any = false;
        for (int b = start; b <= i; ++b) {
            const float h = high.At(b);
            const float l = low.At(b);
            if (IsInvalidValue(h) || IsInvalidValue(l))
                continue;
            lowest = any ? std::min(lowest, static_cast<double>(l)) : l;
            highest = any ? std::max(highest, static_cast<double>(h)) : h;
            any = true;
        }
        const double step = 0.003 * (highest - lowest);
        if (!any || !(step > 0.0)) {
            out[i] = 0.0f;
            continue;
        }
        // Price levels lowest + k*step; each bar spreads its volume as a
        // triangle over the levels strictly inside its range.
        const long long top = LastLevelBelow(p, lowest, step, false);
        double total = 0.0, below = 0.0;
        for (int b = start; b <= i; ++b) {
            const double h = high.At(b);
            const double l = low.At(b);
            if (IsInvalidValue(static_cast<float>(h)) || IsInvalidValue(static_cast<float>(l))
                || h - l <= 0.0001)
                continue;
            const double span = h - l;
            const double share = lots(b) * 100.0 * (step < span ? step / span : 1.0);
            const long long first = LastLevelBelow(l, lowest, step, false) + 1;
            const long long last = LastLevelBelow(h, lowest, step, true);
            const long long middle = static_cast<long long>(std::floor(((l + h) / 2.0 - lowest) / step));
            const long long risingLast = std::min(last, middle);
            const long long fallingFirst = std::max(first, middle + 1);
            total += share
                * (TriangleSum(first, risingLast, lowest, step, l, h, true)
                    + TriangleSum(fallingFirst, last, lowest, step, l, h, false));
            const long long cut = std::min(top, last);
            below += share
                * (TriangleSum(first, std::min(risingLast, cut), lowest, step, l, h, true)
                    + TriangleSum(fallingFirst, cut, lowest, step, l, h, false));
        }
        const double ratio = total > 0.0001 ? below / total : 0.0;
        out[i] = static_cast<float>(std::max(0.0, std::min(1.0, ratio)));
    }
}

void SeriesDRAWLINE(
    const float* c1, int count, SeriesOperand p1, SeriesOperand c2, SeriesOperand p2, int mode, float* out)
{
    const SeriesOperand starts = SeriesOperand::Series(c1, count);
    if (mode == 0 && !c2.IsSeries()) {
        for (int i = 0; i < count; ++i) {
            const float c = c1[i];
            out[i] = IsInvalidValue(c) ? kInvalidValue
                : c == 0.0f            ? 0.0f
                : c2.scalar != 0.0f    ? p2.At(i)
                                       : p1.At(i);
        }
        return;
    }
    FillInvalid(out, count);
    int end = count - 1;
    while (end >= 0 && !Holds(c2, end))
        --end;
    if (end < 0)
        return;
    if (mode == 0) {
        // Without an extension only the latest end is drawn, with the starts
        // that follow it.
        out[end] = p2.At(end);
        for (int i = end + 1; i < count; ++i)
            if (Holds(starts, i))
                out[i] = p1.At(i);
        return;
    }
    // Scanning back: the latest end, the latest start before it, then the next
    // end below that start.
    while (end >= 0) {
        int start = end - 1;
        while (start >= 0 && !Holds(starts, start))
            --start;
        if (start < 0)
            return;
        out[start] = p1.At(start);
        out[end] = p2.At(end);
        end = start - 1;
        while (end >= 0 && !Holds(c2, end))
            --end;
    }
}
