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


const double kLevelsPerPrice = 1000.0;

// The thousandth at or above a price: the smallest level with price <= level /
// 1000, found from the product and settled on the quotients themselves, as
// ChipWinnerRatio compares levels with prices. Far prices stop at +-1e15.
long long LevelAtOrAbove(double price)
{
    if (!(price < 1e12))
        return static_cast<long long>(1e15);
    if (!(price > -1e12))
        return static_cast<long long>(-1e15);
    long long level = static_cast<long long>(std::ceil(price * kLevelsPerPrice));
    while (static_cast<double>(level - 1) / kLevelsPerPrice >= price)
        --level;
    while (static_cast<double>(level) / kLevelsPerPrice < price)
        ++level;
    return level;
}

// The highest price a chip may have to count as at or below price: chips sit
// at levels in thousandths (trunc(p x 1000), as the chip distribution stores
// them), and a level counts when level / 1000 <= price. Far prices are their
// own bound.
double ThousandthsBound(double price)
{
    if (!(std::fabs(price) < 1e12))
        return price;
    long long level = LevelAtOrAbove(price);
    if (static_cast<double>(level) / kLevelsPerPrice > price)
        --level;
    return static_cast<double>(level + 1) / kLevelsPerPrice;
}

// The chips of a turnover window as prefix sums over price: every bar with a
// range spreads its lots as a triangle over it, whose share below a price u is
// a quadratic in u on each half of the bar and 1 above it. Each bar adds the
// changes of that polynomial at its low, middle and high, so the sum of the
// changes at the break points up to u is the window's polynomial at u. A bar
// enters and leaves in O(log n). The break points are placed on the levels in
// thousandths when their span is small (a small tree stays in the cache), else
// among the break points themselves in order; the polynomials are taken from
// an origin near the prices, so that they stay small.
class ChipPrefixTree
{
public:
    // Throws std::bad_alloc.
    void Build(std::vector<double> points, double origin, int bars)
    {
        m_origin = origin;
        m_grid = false;
        if (!points.empty()) {
            const auto range = std::minmax_element(points.begin(), points.end());
            const long long first = LevelAtOrAbove(*range.first);
            const long long last = LevelAtOrAbove(*range.second);
            if (last - first < std::max<long long>(4LL * bars, 1 << 16)) {
                m_grid = true;
                m_firstLevel = first;
                m_size = static_cast<size_t>(last - first + 1);
            }
        }
        if (!m_grid) {
            std::sort(points.begin(), points.end());
            points.erase(std::unique(points.begin(), points.end()), points.end());
            m_points.swap(points);
            m_size = m_points.size();
        }
        m_sums.assign((m_size + 1) * 3, 0.0);
    }
    // The 1-based position of a break point given to Build.
    int PositionOf(double point) const
    {
        if (m_grid)
            return static_cast<int>(LevelAtOrAbove(point) - m_firstLevel) + 1;
        return static_cast<int>(std::lower_bound(m_points.begin(), m_points.end(), point) - m_points.begin()) + 1;
    }
    // Adds a + b*u + c*u^2 (u the price less the origin) from the break point
    // at position on.
    void Add(int position, double a, double b, double c)
    {
        for (size_t k = static_cast<size_t>(position); k <= m_size; k += k & (~k + 1)) {
            m_sums[k * 3] += a;
            m_sums[k * 3 + 1] += b;
            m_sums[k * 3 + 2] += c;
        }
    }
    // The sum of the polynomials of the break points at or below bound, at bound.
    double ValueAt(double bound) const
    {
        size_t below = 0;
        if (m_grid) {
            const long long level = LevelAtOrAbove(bound) - m_firstLevel + 1;
            // A bound between levels takes in only the levels below it.
            const bool onLevel = static_cast<double>(LevelAtOrAbove(bound)) / kLevelsPerPrice == bound;
            const long long count = onLevel ? level : level - 1;
            below = static_cast<size_t>(std::max(0LL, std::min<long long>(count, static_cast<long long>(m_size))));
        } else {
            below = static_cast<size_t>(std::upper_bound(m_points.begin(), m_points.end(), bound) - m_points.begin());
        }
        double a = 0.0, b = 0.0, c = 0.0;
        for (size_t k = below; k > 0; k &= k - 1) {
            a += m_sums[k * 3];
            b += m_sums[k * 3 + 1];
            c += m_sums[k * 3 + 2];
        }
        const double u = bound - m_origin;
        return a + (b + c * u) * u;
    }

private:
    double m_origin = 0.0;
    bool m_grid = false;
    long long m_firstLevel = 0;
    size_t m_size = 0;
    std::vector<double> m_points;
    std::vector<double> m_sums;
};

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
    // Bars that hold chips: a valid range wider than 0.0001.
    const auto spread = [&](int b) {
        const float h = high.At(b);
        const float l = low.At(b);
        return !IsInvalidValue(h) && !IsInvalidValue(l) && static_cast<double>(h) - l > 0.0001;
    };
    ChipPrefixTree tree;
    std::vector<int> positions;
    double origin = 0.0;
    try {
        std::vector<double> points;
        points.reserve(static_cast<size_t>(count) * 3);
        for (int b = 0; b < count; ++b) {
            if (!spread(b))
                continue;
            const double l = low.At(b);
            const double h = high.At(b);
            origin = points.empty() ? l : std::min(origin, l);
            points.push_back(l);
            points.push_back((l + h) / 2.0);
            points.push_back(h);
        }
        tree.Build(points, origin, count);
        positions.assign(static_cast<size_t>(count) * 3, 0);
        for (int b = 0; b < count; ++b) {
            if (!spread(b))
                continue;
            const double l = low.At(b);
            const double h = high.At(b);
            positions[b * 3] = tree.PositionOf(l);
            positions[b * 3 + 1] = tree.PositionOf((l + h) / 2.0);
            positions[b * 3 + 2] = tree.PositionOf(h);
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
        tree.Add(positions[b * 3 + 1], s * (upper[0] - lower[0]), s * (upper[1] - lower[1]),
            s * (upper[2] - lower[2]));
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
        const double ratio = tree.ValueAt(ThousandthsBound(p)) / total;
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
