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


// The chips of a turnover window as prefix sums over price: every bar with a
// range spreads its lots as a triangle over it, whose share below a price u is
// a quadratic in u on each half of the bar and 1 above it. Each bar adds the
// changes of that polynomial at its low, middle and high, so the sum of the
// changes at coordinates up to u is the window's polynomial at u. A bar enters
// and leaves in O(log n).
class ChipPrefixTree
{
public:
    // Throws std::bad_alloc.
    void Build(std::vector<double> coordinates)
    {
        std::sort(coordinates.begin(), coordinates.end());
        coordinates.erase(std::unique(coordinates.begin(), coordinates.end()), coordinates.end());
        m_coordinates.swap(coordinates);
        m_sums.assign((m_coordinates.size() + 1) * 3, 0.0);
    }
    // The 1-based position of a coordinate given to Build.
    int CoordinatePosition(double x) const
    {
        return static_cast<int>(std::lower_bound(m_coordinates.begin(), m_coordinates.end(), x) - m_coordinates.begin()) + 1;
    }
    // Adds a + b*u + c*u^2 from the coordinate at position (1-based) on.
    void Add(int position, double a, double b, double c)
    {
        const size_t size = m_coordinates.size();
        for (size_t k = static_cast<size_t>(position); k <= size; k += k & (~k + 1)) {
            m_sums[k * 3] += a;
            m_sums[k * 3 + 1] += b;
            m_sums[k * 3 + 2] += c;
        }
    }
    double Value(double u) const
    {
        double a = 0.0, b = 0.0, c = 0.0;
        const size_t below = static_cast<size_t>(std::upper_bound(m_coordinates.begin(), m_coordinates.end(), u) - m_coordinates.begin());
        for (size_t k = below; k > 0; k &= k - 1) {
            a += m_sums[k * 3];
            b += m_sums[k * 3 + 1];
            c += m_sums[k * 3 + 2];
        }
        return a + (b + c * u) * u;
    }

private:
    std::vector<double> m_coordinates;
    std::vector<double> m_sums;
};

// The highest price a chip may have to count as at or below price: chips
// sit at levels in thousandths (trunc(p x 1000), as the chip distribution
// stores them), and a level counts when level / 1000 <= price, as
// ChipWinnerRatio compares.
double ThousandthsBound(double price)
{
    if (!(std::fabs(price) < 1e12))
        return price;
    long long level = static_cast<long long>(std::floor(price * 1000.0));
    while (static_cast<double>(level + 1) / 1000.0 <= price)
        ++level;
    while (static_cast<double>(level) / 1000.0 > price)
        --level;
    return static_cast<double>(level + 1) / 1000.0;
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

bool SeriesWINNER(SeriesOperand high, SeriesOperand low, SeriesOperand volume, SeriesOperand price,
    double capital, int count, float* out)
{
    const auto lots = [&](int i) {
        const float v = volume.At(i);
        return IsInvalidValue(v) || v < 0.0f ? 0.0 : static_cast<double>(v);
    };
    // Bars that hold chips: a valid range wider than 0.0001. Prices are taken
    // from the lowest low on, so the polynomials stay small.
    const auto spread = [&](int b) {
        const float h = high.At(b);
        const float l = low.At(b);
        return !IsInvalidValue(h) && !IsInvalidValue(l) && static_cast<double>(h) - l > 0.0001;
    };
    double origin = 0.0;
    bool any = false;
    for (int b = 0; b < count; ++b) {
        if (spread(b)) {
            origin = any ? std::min(origin, static_cast<double>(low.At(b))) : low.At(b);
            any = true;
        }
    }
    ChipPrefixTree tree;
    std::vector<int> positions;
    try {
        std::vector<double> coordinates;
        coordinates.reserve(static_cast<size_t>(count) * 3);
        for (int b = 0; b < count; ++b) {
            if (!spread(b))
                continue;
            const double l = low.At(b) - origin;
            const double h = high.At(b) - origin;
            coordinates.push_back(l);
            coordinates.push_back((l + h) / 2.0);
            coordinates.push_back(h);
        }
        positions.assign(static_cast<size_t>(count) * 3, 0);
        tree.Build(coordinates);
        for (int b = 0; b < count; ++b) {
            if (!spread(b))
                continue;
            const double l = low.At(b) - origin;
            const double h = high.At(b) - origin;
            positions[b * 3] = tree.CoordinatePosition(l);
            positions[b * 3 + 1] = tree.CoordinatePosition((l + h) / 2.0);
            positions[b * 3 + 2] = tree.CoordinatePosition(h);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    // A bar's chips enter (sign 1) or leave (-1): below its middle the share
    // under u is 2(u-l)^2/d^2, above it 1 - 2(h-u)^2/d^2, above its high 1.
    double total = 0.0;
    const auto move = [&](int b, double sign) {
        const double s = sign * lots(b);
        if (!spread(b) || s == 0.0)
            return;
        const double l = low.At(b) - origin;
        const double h = high.At(b) - origin;
        const double k = 2.0 / ((h - l) * (h - l));
        const double lower[3] = { k * l * l, -2.0 * k * l, k };
        const double upper[3] = { 1.0 - k * h * h, 2.0 * k * h, -k };
        tree.Add(positions[b * 3], s * lower[0], s * lower[1], s * lower[2]);
        tree.Add(positions[b * 3 + 1], s * (upper[0] - lower[0]), s * (upper[1] - lower[1]), s * (upper[2] - lower[2]));
        tree.Add(positions[b * 3 + 2], s * (1.0 - upper[0]), -s * upper[1], -s * upper[2]);
        total += s;
    };
    // The window of bar i starts where the volume summed back from i first
    // covers the capital (both in lots); it only moves forward with i.
    int start = 0;
    double covered = 0.0;
    for (int i = 0; i < count; ++i) {
        covered += lots(i);
        move(i, 1.0);
        while (start < i && covered - lots(start) >= capital) {
            covered -= lots(start);
            move(start, -1.0);
            ++start;
        }
        const float p = price.At(i);
        if (IsInvalidValue(p)) {
            out[i] = kInvalidValue;
            continue;
        }
        if (!(total > 0.0001)) {
            out[i] = 0.0f;
            continue;
        }
        const double ratio = tree.Value(ThousandthsBound(p) - origin) / total;
        out[i] = static_cast<float>(std::max(0.0, std::min(1.0, ratio)));
    }
    return true;
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
