// Moving-window workers. Sums run in doubles over the window as it slides, and
// extremes come from a monotonic queue of candidates, so a chart of 65,535 bars
// costs one pass whatever the window. A window that holds an invalid element
// gives an invalid sum, mean or deviation: over a derived series (a moving
// average of a moving average, a sum of a reference) partial windows would
// otherwise show numbers that are plainly wrong at the end of the warm-up.
#include "formula/FormulaKernels.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The window's valid elements, shifted by a pivot near them so that the sum of
// squares keeps its precision, and the number of invalid elements it holds.
struct WindowSums
{
    double pivot = 0.0;
    double sum = 0.0;
    double sumSquares = 0.0;
    int invalid = 0;

    void Add(float value)
    {
        if (IsInvalidValue(value)) {
            ++invalid;
            return;
        }
        const double y = value - pivot;
        sum += y;
        sumSquares += y * y;
    }
    void Remove(float value)
    {
        if (IsInvalidValue(value)) {
            --invalid;
            return;
        }
        const double y = value - pivot;
        sum -= y;
        sumSquares -= y * y;
    }
    // One element enters the window and one leaves, both valid: the changes
    // are netted first so that each running sum takes one addition.
    void Slide(float entering, float leaving)
    {
        const double in = entering - pivot;
        const double out = leaving - pivot;
        sum += in - out;
        sumSquares += in * in - out * out;
    }
    // Sums the window first..last afresh around the pivot value.
    void Rebase(const float* x, int first, int last, double newPivot)
    {
        pivot = newPivot;
        sum = 0.0;
        sumSquares = 0.0;
        invalid = 0;
        for (int j = first; j <= last; ++j)
            Add(x[j]);
    }
};

// The index queue of a sliding extreme: each index enters and leaves once, and
// no more than a window's worth are held at a time, in a ring that needs no
// heap for common windows.
class IndexQueue
{
public:
    bool Reserve(int window)
    {
        size_t size = 16;
        while (size < static_cast<size_t>(window) + 1)
            size <<= 1;
        if (size <= kInline) {
            m_items = m_inline;
        } else {
            m_heap.reset(new (std::nothrow) int[size]);
            m_items = m_heap.get();
        }
        m_mask = static_cast<unsigned>(size - 1);
        return m_items != nullptr;
    }
    bool Empty() const { return m_head == m_tail; }
    int Front() const { return m_items[m_head & m_mask]; }
    int Back() const { return m_items[(m_tail - 1) & m_mask]; }
    void PopBack() { --m_tail; }
    void Push(int index) { m_items[m_tail++ & m_mask] = index; }
    void DropBefore(int first)
    {
        while (m_head != m_tail && Front() < first)
            ++m_head;
    }

private:
    static const size_t kInline = 256;
    int m_inline[kInline];
    std::unique_ptr<int[]> m_heap;
    int* m_items = nullptr;
    unsigned m_mask = 0;
    unsigned m_head = 0;
    unsigned m_tail = 0;
};

// HHV and LLV: the extreme of x[i] and the window's valid elements, by block
// extremes: with the series cut into blocks of n, the window ending at i is a
// tail of the previous block and a head of i's own, so the extreme of the tail
// (taken backwards once per block) and the running extreme of the head answer
// it with three comparisons and no data-dependent branch. Identical to
// scanning each window, in one pass. Invalid elements stand aside as the
// identity (-inf for HHV, +inf for LLV); x[i] itself always takes part.
template <typename Pick>
bool WindowExtreme(const float* x, int count, int n, float* out, Pick pick, float identity)
{
    n = ClampWindow(n, count);
    if (n <= 1) {
        std::copy(x, x + count, out);
        return true;
    }
    const int block = std::min(n, count);
    float inlineTail[256];
    std::unique_ptr<float[]> heapTail;
    float* tail = inlineTail;
    if (block > 256) {
        heapTail.reset(new (std::nothrow) float[block]);
        tail = heapTail.get();
        if (!tail)
            return false;
    }
    auto clean = [identity](float v) { return v == kInvalidValue ? identity : v; };
    // The first block's windows are cut at element 0: a running extreme.
    float head = identity;
    for (int i = 0; i < block; ++i) {
        head = pick(head, clean(x[i]));
        out[i] = pick(x[i], head);
    }
    for (int start = n; start < count; start += n) {
        // tail[j]: the extreme of the previous block from its element j on.
        float extreme = identity;
        for (int j = n - 1; j >= 0; --j) {
            extreme = pick(extreme, clean(x[start - n + j]));
            tail[j] = extreme;
        }
        head = identity;
        const int length = std::min(n, count - start);
        for (int j = 0; j < length; ++j) {
            const float value = x[start + j];
            head = pick(head, clean(value));
            const float window = j + 1 < n ? pick(tail[j + 1], head) : head;
            out[start + j] = pick(value, window);
        }
    }
    return true;
}

struct PickHigher
{
    float operator()(float a, float b) const { return a > b ? a : b; }
};

struct PickLower
{
    float operator()(float a, float b) const { return a < b ? a : b; }
};

// HHVBARS and LLVBARS: bars back to the extreme, invalid elements compared as
// their number. Over the whole history an equal value moves the extreme to the
// newer bar; inside a window the older bar keeps it.
template <typename Better> bool ExtremeAge(const float* x, int count, int n, float* out, Better better)
{
    n = ClampWindow(n, count);
    if (n < 0) {
        FillInvalid(out, count);
        return true;
    }
    if (n == 0) {
        int at = 0;
        for (int i = 0; i < count; ++i) {
            if (!better(x[at], x[i]))
                at = i;
            out[i] = static_cast<float>(i - at);
        }
        return true;
    }
    IndexQueue queue;
    if (!queue.Reserve(std::min(n, count)))
        return false;
    for (int i = 0; i < count; ++i) {
        queue.DropBefore(i - n + 1);
        while (!queue.Empty() && better(x[i], x[queue.Back()]))
            queue.PopBack();
        queue.Push(i);
        out[i] = static_cast<float>(i - queue.Front());
    }
    return true;
}

struct Greater
{
    bool operator()(float a, float b) const { return a > b; }
};

struct Less
{
    bool operator()(float a, float b) const { return a < b; }
};

// A count read from a series element: false for an invalid one.
bool ElementCount(float value, int count, int* n)
{
    if (IsInvalidValue(value) || value != value)
        return false;
    const double limit = static_cast<double>(count) + 1.0;
    const double clamped = std::max(-limit, std::min(limit, static_cast<double>(value)));
    *n = static_cast<int>(clamped);
    return true;
}

} // namespace

void FillInvalid(float* out, int count)
{
    std::fill(out, out + (count > 0 ? count : 0), kInvalidValue);
}

namespace {

// A running sum with the rounding error of every addition kept beside it
// (the two-sum): an element far larger than the rest, added and later taken
// away, leaves the sum of the rest as it was.
struct CompensatedSum
{
    double sum = 0.0;
    double error = 0.0;

    void Add(double x)
    {
        const double total = sum + x;
        const double part = total - sum;
        error += (sum - (total - part)) + (x - part);
        sum = total;
    }
    double Value() const { return sum + error; }
};

// Element i of out as value / divisor rounded to a float, the divisions two
// at a time where the processor has two-wide doubles (the same quotients).
class QuotientBatch
{
public:
    QuotientBatch(double divisor, float* out)
        : m_divisor(divisor)
        , m_out(out)
    {
    }
    void Add(int index, double value)
    {
        m_index[m_size] = index;
        m_value[m_size] = value;
        if (++m_size == kSize)
            Flush();
    }
    void Flush()
    {
        int k = 0;
#if defined(__SSE2__)
        const __m128d divisor = _mm_set1_pd(m_divisor);
        for (; k + 2 <= m_size; k += 2) {
            float results[4];
            _mm_storeu_ps(results, _mm_cvtpd_ps(_mm_div_pd(_mm_loadu_pd(m_value + k), divisor)));
            m_out[m_index[k]] = results[0];
            m_out[m_index[k + 1]] = results[1];
        }
#endif
        for (; k < m_size; ++k)
            m_out[m_index[k]] = static_cast<float>(m_value[k] / m_divisor);
        m_size = 0;
    }

private:
    static const int kSize = 64;
    const double m_divisor;
    float* const m_out;
    int m_size = 0;
    int m_index[kSize];
    double m_value[kSize];
};

// The sums (or, kAverage, the means) of the windows of n (n > 0) ending at
// n..count-1; elements 0..n-1 and windows holding an invalid element are
// invalid. The valid elements' sum slides with its rounding error carried,
// and is taken afresh now and then (every 1,024 elements, or once per window
// when that is longer), as STD's sums are.
template <bool kAverage> void SlidingSums(const float* x, int count, int n, float* out)
{
    const int warm = std::min(n, count);
    for (int i = 0; i < warm; ++i)
        out[i] = kInvalidValue;
    const double divisor = n;
    QuotientBatch means(divisor, out);
    // The sum is taken afresh at n and then every resumEvery + 1 elements, so
    // the stretches between are independent of each other: two are walked
    // side by side, each by the steps it would take alone, so that the
    // processor overlaps their chains of dependent additions.
    const int resumEvery = std::max(n, 1024);
    const int stretch = resumEvery + 1;
    struct Lane
    {
        CompensatedSum sum;
        int invalid = 0;
    };
    const auto resum = [&](Lane& lane, int i) {
        for (int j = i - n + 1; j <= i; ++j) {
            if (IsInvalidValue(x[j]))
                ++lane.invalid;
            else
                lane.sum.Add(x[j]);
        }
    };
    const auto slide = [&](Lane& lane, int i) {
        const float entering = x[i];
        const float leaving = x[i - n];
        if (IsInvalidValue(entering))
            ++lane.invalid;
        else
            lane.sum.Add(entering);
        if (IsInvalidValue(leaving))
            --lane.invalid;
        else
            lane.sum.Add(-static_cast<double>(leaving));
    };
    const auto emit = [&](const Lane& lane, int i) {
        const double value = lane.sum.Value();
        if (lane.invalid)
            out[i] = kInvalidValue;
        else if (kAverage)
            means.Add(i, value);
        else
            out[i] = static_cast<float>(value);
    };
    int first = n;
    for (; first < count && count - first > stretch; first += 2 * stretch) {
        const int second = first + stretch;
        const int secondLength = std::min(stretch, count - second);
        Lane a, b;
        resum(a, first);
        emit(a, first);
        resum(b, second);
        emit(b, second);
        int t = 1;
        for (; t < secondLength; ++t) {
            slide(a, first + t);
            emit(a, first + t);
            slide(b, second + t);
            emit(b, second + t);
        }
        for (; t < stretch; ++t) {
            slide(a, first + t);
            emit(a, first + t);
        }
    }
    if (first < count) {
        Lane a;
        resum(a, first);
        emit(a, first);
        for (int i = first + 1; i < count; ++i) {
            slide(a, i);
            emit(a, i);
        }
    }
    means.Flush();
}

} // namespace

void SeriesMA(const float* x, int count, int n, float* out)
{
    n = ClampWindow(n, count);
    if (n <= 0) {
        FillInvalid(out, count);
        return;
    }
    SlidingSums<true>(x, count, n, out);
}

void SeriesSUM(const float* x, int count, int n, float* out)
{
    n = ClampWindow(n, count);
    if (n < 0) {
        FillInvalid(out, count);
        return;
    }
    if (n == 0) {
        double sum = 0.0;
        for (int i = 0; i < count; ++i) {
            if (IsInvalidValue(x[i])) {
                out[i] = kInvalidValue;
                continue;
            }
            sum += x[i];
            out[i] = static_cast<float>(sum);
        }
        return;
    }
    SlidingSums<false>(x, count, n, out);
}

void SeriesSUMByCounts(const float* x, int count, const float* n, int nCount, float* out)
{
    // Each element's window ends where the previous one's did, one further on:
    // sums and invalid counts from element 0 answer any window in one step.
    std::unique_ptr<double[]> prefix(new (std::nothrow) double[static_cast<size_t>(count) + 1]);
    std::unique_ptr<int[]> invalidPrefix(new (std::nothrow) int[static_cast<size_t>(count) + 1]);
    const int shorter = std::min(count, std::max(nCount, 0));
    if (!prefix || !invalidPrefix) {
        // Without room for the prefix sums the windows are summed one by one.
        for (int i = 0; i < count; ++i) {
            int window = 0;
            if (i >= shorter || !ElementCount(n[i], count, &window) || window < 0 || i < window
                || IsInvalidValue(x[i])) {
                out[i] = kInvalidValue;
                continue;
            }
            double sum = 0.0;
            bool valid = true;
            for (int j = i - window + 1; j <= i && valid; ++j) {
                valid = !IsInvalidValue(x[j]);
                sum += x[j];
            }
            out[i] = valid ? static_cast<float>(sum) : kInvalidValue;
        }
        return;
    }
    prefix[0] = 0.0;
    invalidPrefix[0] = 0;
    for (int i = 0; i < count; ++i) {
        const bool invalid = IsInvalidValue(x[i]);
        prefix[i + 1] = prefix[i] + (invalid ? 0.0 : x[i]);
        invalidPrefix[i + 1] = invalidPrefix[i] + (invalid ? 1 : 0);
    }
    for (int i = 0; i < count; ++i) {
        int window = 0;
        if (i >= shorter || !ElementCount(n[i], count, &window) || window < 0 || i < window
            || IsInvalidValue(x[i])) {
            out[i] = kInvalidValue;
            continue;
        }
        const int first = i - window + 1;
        if (invalidPrefix[i + 1] - invalidPrefix[first] != 0)
            out[i] = kInvalidValue;
        else
            out[i] = static_cast<float>(prefix[i + 1] - prefix[first]);
    }
}

namespace {

// The sample deviations of windows whose sums are known: element i of out
// from d (the stored mean less the pivot) and the window's sums around the
// pivot. Two at a time where the processor has two-wide doubles; every
// element by the same operations in the same order as one alone.
class DeviationBatch
{
public:
    DeviationBatch(int n, double sampleScale, float* out)
        : m_n(n)
        , m_sampleScale(sampleScale)
        , m_out(out)
    {
    }
    void Add(int index, double d, double sum, double sumSquares)
    {
        m_index[m_size] = index;
        m_d[m_size] = d;
        m_sum[m_size] = sum;
        m_sumSquares[m_size] = sumSquares;
        if (++m_size == kSize)
            Flush();
    }
    void Flush()
    {
        int k = 0;
#if defined(__SSE2__)
        const __m128d two = _mm_set1_pd(2.0);
        const __m128d n = _mm_set1_pd(static_cast<double>(m_n));
        const __m128d scale = _mm_set1_pd(m_sampleScale);
        const __m128d zero = _mm_setzero_pd();
        for (; k + 2 <= m_size; k += 2) {
            const __m128d d = _mm_loadu_pd(m_d + k);
            const __m128d sum = _mm_loadu_pd(m_sum + k);
            const __m128d sumSquares = _mm_loadu_pd(m_sumSquares + k);
            const __m128d squares = _mm_add_pd(_mm_sub_pd(sumSquares, _mm_mul_pd(_mm_mul_pd(two, d), sum)),
                _mm_mul_pd(_mm_mul_pd(n, d), d));
            // max(0, s) keeps s unless 0 is greater, as std::max(s, 0.0) does.
            const __m128d root = _mm_sqrt_pd(_mm_mul_pd(_mm_max_pd(zero, squares), scale));
            float results[4];
            _mm_storeu_ps(results, _mm_cvtpd_ps(root));
            m_out[m_index[k]] = results[0];
            m_out[m_index[k + 1]] = results[1];
        }
#endif
        for (; k < m_size; ++k) {
            const double d = m_d[k];
            const double squares = m_sumSquares[k] - 2.0 * d * m_sum[k] + m_n * d * d;
            m_out[m_index[k]] = static_cast<float>(std::sqrt(std::max(squares, 0.0) * m_sampleScale));
        }
        m_size = 0;
    }

private:
    static const int kSize = 64;
    const int m_n;
    const double m_sampleScale;
    float* const m_out;
    int m_size = 0;
    int m_index[kSize];
    double m_d[kSize];
    double m_sum[kSize];
    double m_sumSquares[kSize];
};

} // namespace

void SeriesSTD(const float* x, int count, int n, float* out)
{
    n = ClampWindow(n, count);
    if (n <= 1) {
        FillInvalid(out, count);
        return;
    }
    WindowSums sums;
    const int warm = std::min(n, count);
    for (int i = 0; i < warm; ++i) {
        sums.Add(x[i]);
        out[i] = kInvalidValue;
    }
    // Equal neighbours ending at i: a flat window deviates by exactly 0.
    int flat = 1;
    for (int i = 1; i < warm; ++i)
        flat = x[i] == x[i - 1] ? flat + 1 : 1;
    // The sums are taken afresh around a recent element now and then (every
    // 1,024 elements, or once per window when that is longer), so rounding
    // cannot build up over a long series nor the pivot drift away from the
    // prices.
    const int rebaseEvery = std::max(n, 1024);
    int sinceRebase = rebaseEvery;
    const double meanScale = 1.0 / n;
    const double sampleScale = 1.0 / (n - 1);
    // The square roots, the costly part, are taken two at a time once a
    // batch of windows has its sums; each by the same steps as one alone.
    DeviationBatch batch(n, sampleScale, out);
    for (int i = n; i < count; ++i) {
        flat = x[i] == x[i - 1] ? flat + 1 : 1;
        if (sinceRebase >= rebaseEvery && !IsInvalidValue(x[i])) {
            sums.Rebase(x, i - n + 1, i, x[i]);
            sinceRebase = 0;
        } else {
            if (IsInvalidValue(x[i]) || IsInvalidValue(x[i - n])) {
                sums.Add(x[i]);
                sums.Remove(x[i - n]);
            } else {
                sums.Slide(x[i], x[i - n]);
            }
            ++sinceRebase;
        }
        if (sums.invalid) {
            out[i] = kInvalidValue;
            continue;
        }
        // A flat window's mean is its value; the deviations are taken around
        // the moving average as it is stored.
        const float mean = flat >= n ? x[i] : static_cast<float>(sums.sum * meanScale + sums.pivot);
        if (mean == 0.0f || flat >= n) {
            out[i] = mean == 0.0f ? kInvalidValue : 0.0f;
            continue;
        }
        batch.Add(i, mean - sums.pivot, sums.sum, sums.sumSquares);
    }
    batch.Flush();
}

void SeriesAVEDEV(const float* x, int count, int n, float* out)
{
    n = ClampWindow(n, count);
    if (n <= 1 || count < n) {
        FillInvalid(out, count);
        return;
    }
    int invalid = 0;
    for (int i = 0; i < n; ++i) {
        invalid += IsInvalidValue(x[i]) ? 1 : 0;
        out[i] = kInvalidValue;
    }
    for (int i = n; i < count; ++i) {
        invalid += (IsInvalidValue(x[i]) ? 1 : 0) - (IsInvalidValue(x[i - n]) ? 1 : 0);
        if (invalid) {
            out[i] = kInvalidValue;
            continue;
        }
        const int first = i - n + 1;
        double sum = 0.0;
        for (int j = first; j <= i; ++j)
            sum += x[j];
        const double mean = sum / n;
        double deviation = 0.0;
        for (int j = first; j <= i; ++j)
            deviation += std::fabs(x[j] - mean);
        out[i] = static_cast<float>(deviation / n);
    }
}

bool SeriesHHV(const float* x, int count, int n, float* out)
{
    return WindowExtreme(x, count, n, out, PickHigher(), -std::numeric_limits<float>::infinity());
}

bool SeriesLLV(const float* x, int count, int n, float* out)
{
    return WindowExtreme(x, count, n, out, PickLower(), std::numeric_limits<float>::infinity());
}

bool SeriesHHVBARS(const float* x, int count, int n, float* out)
{
    return ExtremeAge(x, count, n, out, Greater());
}

bool SeriesLLVBARS(const float* x, int count, int n, float* out)
{
    return ExtremeAge(x, count, n, out, Less());
}

void SeriesCOUNT(const float* x, int count, int n, float* out)
{
    n = ClampWindow(n, count);
    if (n <= 0) {
        std::fill(out, out + count, 0.0f);
        return;
    }
    int held = 0;
    for (int i = 0; i < count; ++i) {
        held += x[i] != 0.0f ? 1 : 0;
        if (i >= n)
            held -= x[i - n] != 0.0f ? 1 : 0;
        out[i] = i < n - 1 ? 0.0f : static_cast<float>(held);
    }
}

void SeriesEVERY(const float* x, int count, int n, float* out)
{
    n = ClampWindow(n, count);
    if (n <= 0) {
        std::fill(out, out + count, 1.0f);
        return;
    }
    int zeros = 0;
    for (int i = 0; i < count; ++i) {
        zeros += x[i] == 0.0f ? 1 : 0;
        if (i >= n)
            zeros -= x[i - n] == 0.0f ? 1 : 0;
        out[i] = i < n || zeros ? 0.0f : 1.0f;
    }
}

void SeriesSLOPE(const float* x, int count, int n, float* out)
{
    n = ClampWindow(n, count);
    if (n <= 1) {
        FillInvalid(out, count);
        return;
    }
    for (int i = 0; i < count; ++i) {
        if (i < n || IsInvalidValue(x[i])) {
            out[i] = kInvalidValue;
            continue;
        }
        // Valid elements take x = n-1, n-2, ... walking back; invalid ones none.
        double sx = 0.0, sy = 0.0, sxx = 0.0, sxy = 0.0;
        double position = n - 1;
        for (int j = i; j > i - n; --j) {
            if (IsInvalidValue(x[j]))
                continue;
            sx += position;
            sy += x[j];
            sxx += position * position;
            sxy += position * x[j];
            position -= 1.0;
        }
        const double denominator = sxx - sx * sx / n;
        out[i] = denominator == 0.0 ? kInvalidValue : static_cast<float>((sxy - sx * sy / n) / denominator);
    }
}
