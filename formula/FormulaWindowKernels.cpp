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
    int start = n;
#if defined(__SSE2__)
    // Four whole blocks at a time, one in each lane: the blocks do not
    // depend on each other, and each lane takes the steps of the walk below.
    if (count - start >= 4 * n) {
        std::unique_ptr<__m128[]> heapTails;
        __m128 inlineTails[64];
        __m128* tails = inlineTails;
        if (n > 64) {
            heapTails.reset(new (std::nothrow) __m128[n]);
            tails = heapTails.get();
        }
        if (tails) {
            const __m128 invalid = _mm_set1_ps(kInvalidValue);
            const __m128 identities = _mm_set1_ps(identity);
            const auto gather = [x, n](int i) { return _mm_set_ps(x[i + 3 * n], x[i + 2 * n], x[i + n], x[i]); };
            const auto cleanLanes = [&](__m128 v) {
                const __m128 none = _mm_cmpeq_ps(v, invalid);
                return _mm_or_ps(_mm_and_ps(none, identities), _mm_andnot_ps(none, v));
            };
            for (; count - start >= 4 * n; start += 4 * n) {
                __m128 extreme = identities;
                for (int j = n - 1; j >= 0; --j) {
                    extreme = pick(extreme, cleanLanes(gather(start - n + j)));
                    tails[j] = extreme;
                }
                __m128 heads = identities;
                for (int j = 0; j < n; ++j) {
                    const __m128 value = gather(start + j);
                    heads = pick(heads, cleanLanes(value));
                    const __m128 window = j + 1 < n ? pick(tails[j + 1], heads) : heads;
                    float lanes[4];
                    _mm_storeu_ps(lanes, pick(value, window));
                    for (int k = 0; k < 4; ++k)
                        out[start + j + k * n] = lanes[k];
                }
            }
        }
    }
#endif
    for (; start < count; start += n) {
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

// a unless b is greater (lower), as the processor's maximum (minimum) picks.
struct PickHigher
{
    float operator()(float a, float b) const { return a > b ? a : b; }
#if defined(__SSE2__)
    __m128 operator()(__m128 a, __m128 b) const { return _mm_max_ps(a, b); }
#endif
};

struct PickLower
{
    float operator()(float a, float b) const { return a < b ? a : b; }
#if defined(__SSE2__)
    __m128 operator()(__m128 a, __m128 b) const { return _mm_min_ps(a, b); }
#endif
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

#if defined(__SSE2__)
// Whether x[first..end) holds an invalid element.
bool HoldsInvalid(const float* x, int first, int end)
{
    const __m128 invalidValue = _mm_set1_ps(kInvalidValue);
    __m128 seen = _mm_setzero_ps();
    int i = first;
    for (; i + 4 <= end; i += 4)
        seen = _mm_or_ps(seen, _mm_cmpeq_ps(_mm_loadu_ps(x + i), invalidValue));
    bool found = _mm_movemask_ps(seen) != 0;
    for (; i < end; ++i)
        found = found || IsInvalidValue(x[i]);
    return found;
}

#endif

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

// One stretch of a moving sum: the valid elements' sum and the invalid
// elements the window holds.
struct SumLane
{
    CompensatedSum sum;
    int invalid = 0;
};

#if defined(__SSE2__)
// The elements i and j of x, in the two low lanes.
inline __m128 LoadPair(const float* x, int i, int j)
{
    return _mm_unpacklo_ps(_mm_load_ss(x + i), _mm_load_ss(x + j));
}

// For two windows sliding by one element each: counts the invalid elements
// entering and leaving, makes their values in and away exact zeros, and
// gives all ones in the lanes whose window still holds an invalid element.
inline __m128 TakeOutInvalid(__m128 entering, __m128 leaving, __m128i& invalid, __m128d& in, __m128d& away)
{
    const __m128 invalidValue = _mm_set1_ps(kInvalidValue);
    const __m128 enteringInvalid = _mm_cmpeq_ps(entering, invalidValue);
    const __m128 leavingInvalid = _mm_cmpeq_ps(leaving, invalidValue);
    invalid = _mm_add_epi32(_mm_sub_epi32(invalid, _mm_castps_si128(enteringInvalid)), _mm_castps_si128(leavingInvalid));
    in = _mm_andnot_pd(_mm_castps_pd(_mm_unpacklo_ps(enteringInvalid, enteringInvalid)), in);
    away = _mm_andnot_pd(_mm_castps_pd(_mm_unpacklo_ps(leavingInvalid, leavingInvalid)), away);
    return _mm_andnot_ps(
        _mm_castsi128_ps(_mm_cmpeq_epi32(invalid, _mm_setzero_si128())), _mm_castsi128_ps(_mm_set1_epi32(-1)));
}

// Two stretches of SlidingSums, a in the low half and b in the high half,
// slid together through elements ia and ib and their results stored: each
// element by the same additions as the stretch alone, an invalid element
// added as an exact +0 instead of skipped (which leaves the sum and its error
// as they are, since they start at +0 and so never hold -0, and once either
// is not finite the error is NaN for good). kMayHoldInvalid false: no
// element the stretches read is invalid.
template <bool kAverage, bool kMayHoldInvalid>
void SlideSumPair(const float* x, int n, double divisor, float* out, SumLane& a, SumLane& b, int ia, int ib,
    int steps)
{
    __m128d sum = _mm_set_pd(b.sum.sum, a.sum.sum);
    __m128d error = _mm_set_pd(b.sum.error, a.sum.error);
    __m128i invalid = _mm_set_epi32(0, 0, b.invalid, a.invalid);
    const __m128 invalidValue = _mm_set1_ps(kInvalidValue);
    const __m128d sign = _mm_set1_pd(-0.0);
    const __m128d divisors = _mm_set1_pd(divisor);
    const auto add = [&sum, &error](__m128d value) {
        const __m128d total = _mm_add_pd(sum, value);
        const __m128d part = _mm_sub_pd(total, sum);
        error = _mm_add_pd(error,
            _mm_add_pd(_mm_sub_pd(sum, _mm_sub_pd(total, part)), _mm_sub_pd(value, part)));
        sum = total;
    };
    for (int t = 0; t < steps; ++t, ++ia, ++ib) {
        const __m128 entering = LoadPair(x, ia, ib);
        const __m128 leaving = LoadPair(x, ia - n, ib - n);
        __m128d in = _mm_cvtps_pd(entering);
        __m128d away = _mm_xor_pd(_mm_cvtps_pd(leaving), sign);
        __m128 noValue = _mm_setzero_ps();
        if (kMayHoldInvalid)
            noValue = TakeOutInvalid(entering, leaving, invalid, in, away);
        add(in);
        add(away);
        const __m128d value = _mm_add_pd(sum, error);
        __m128 result = _mm_cvtpd_ps(kAverage ? _mm_div_pd(value, divisors) : value);
        if (kMayHoldInvalid)
            result = _mm_or_ps(_mm_and_ps(noValue, invalidValue), _mm_andnot_ps(noValue, result));
        _mm_store_ss(out + ia, result);
        _mm_store_ss(out + ib, _mm_shuffle_ps(result, result, 1));
    }
    double halves[2];
    int32_t counts[4];
    _mm_storeu_pd(halves, sum);
    a.sum.sum = halves[0];
    b.sum.sum = halves[1];
    _mm_storeu_pd(halves, error);
    a.sum.error = halves[0];
    b.sum.error = halves[1];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(counts), invalid);
    a.invalid = counts[0];
    b.invalid = counts[1];
}
#endif

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
    using Lane = SumLane;
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
#if defined(__SSE2__)
        if (secondLength > 1) {
            if (HoldsInvalid(x, first - n + 1, second + secondLength))
                SlideSumPair<kAverage, true>(x, n, divisor, out, a, b, first + 1, second + 1, secondLength - 1);
            else
                SlideSumPair<kAverage, false>(x, n, divisor, out, a, b, first + 1, second + 1, secondLength - 1);
            t = secondLength;
        }
#endif
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

// STD's windows are summed afresh around a valid element now and then (every
// 1,024 elements, or once per window when that is longer), so rounding cannot
// build up over a long series nor the pivot drift away from the prices. A
// stretch runs from one such element to the next and depends on nothing
// before it, so stretches are walked two side by side, in the two halves of
// the processor's double registers where it has them. An element is worked
// out by the same operations in the same order either way: an invalid
// element enters or leaves the sums as an exact 0, which leaves them as
// they are (they start at +0 and so never hold -0).
struct DeviationShape
{
    const float* x;
    int n;
    double meanScale;
    double sampleScale;
    float* out;
};

struct DeviationLane
{
    double pivot = 0.0;
    double sum = 0.0;
    double sumSquares = 0.0;
    int invalid = 0;
    // Equal neighbours ending at the element; a flat window deviates by
    // exactly 0. Only whether it reaches n matters.
    int flat = 1;
};

void EmitDeviation(const DeviationShape& s, const DeviationLane& lane, int i)
{
    if (lane.invalid) {
        s.out[i] = kInvalidValue;
        return;
    }
    // A flat window's mean is its value; the deviations are taken around
    // the moving average as it is stored.
    const bool flat = lane.flat >= s.n;
    const float mean = flat ? s.x[i] : static_cast<float>(lane.sum * s.meanScale + lane.pivot);
    if (mean == 0.0f || flat) {
        s.out[i] = mean == 0.0f ? kInvalidValue : 0.0f;
        return;
    }
    const double d = mean - lane.pivot;
    const double squares = lane.sumSquares - 2.0 * d * lane.sum + s.n * d * d;
    s.out[i] = static_cast<float>(std::sqrt(std::max(squares, 0.0) * s.sampleScale));
}

// The window ending at start summed afresh around x[start] (a valid element).
void StartDeviation(const DeviationShape& s, DeviationLane& lane, int start)
{
    WindowSums sums;
    sums.Rebase(s.x, start - s.n + 1, start, s.x[start]);
    lane.pivot = sums.pivot;
    lane.sum = sums.sum;
    lane.sumSquares = sums.sumSquares;
    lane.invalid = sums.invalid;
    lane.flat = 1;
    for (int j = start; j > 0 && lane.flat < s.n && s.x[j] == s.x[j - 1]; --j)
        ++lane.flat;
    EmitDeviation(s, lane, start);
}

void StepDeviation(const DeviationShape& s, DeviationLane& lane, int i)
{
    const float entering = s.x[i];
    const float leaving = s.x[i - s.n];
    lane.flat = entering == s.x[i - 1] ? lane.flat + 1 : 1;
    const bool enteringInvalid = IsInvalidValue(entering);
    const bool leavingInvalid = IsInvalidValue(leaving);
    const double in = enteringInvalid ? 0.0 : entering - lane.pivot;
    const double away = leavingInvalid ? 0.0 : leaving - lane.pivot;
    lane.sum += in - away;
    lane.sumSquares += in * in - away * away;
    lane.invalid += (enteringInvalid ? 1 : 0) - (leavingInvalid ? 1 : 0);
    EmitDeviation(s, lane, i);
}

#if defined(__SSE2__)
// Two lanes, a in the low half and b in the high half, stepped together
// through elements ia and ib: StepDeviation on each, to the bit. The common
// case (a window with a value, not flat, with a mean other than 0) is worked
// out here; an element of any other case is finished by EmitDeviation.
// kMayHoldInvalid false: no element the lanes read is invalid.
template <bool kMayHoldInvalid>
void StepDeviationPair(const DeviationShape& s, DeviationLane& a, DeviationLane& b, int ia, int ib, int steps)
{
    const float* x = s.x;
    const int n = s.n;
    const __m128d pivot = _mm_set_pd(b.pivot, a.pivot);
    __m128d sum = _mm_set_pd(b.sum, a.sum);
    __m128d sumSquares = _mm_set_pd(b.sumSquares, a.sumSquares);
    __m128i invalid = _mm_set_epi32(0, 0, b.invalid, a.invalid);
    // Equal neighbours ending at the element, less one.
    __m128i run = _mm_set_epi32(0, 0, b.flat - 1, a.flat - 1);
    const __m128i one = _mm_set1_epi32(1);
    const __m128i nLess2 = _mm_set1_epi32(n - 2);
    const __m128d meanScale = _mm_set1_pd(s.meanScale);
    const __m128d sampleScale = _mm_set1_pd(s.sampleScale);
    const __m128d nWide = _mm_set1_pd(static_cast<double>(n));
    const __m128d zeroWide = _mm_setzero_pd();
    const __m128 zero = _mm_setzero_ps();
    __m128 previous = LoadPair(x, ia - 1, ib - 1);
    for (int t = 0; t < steps; ++t, ++ia, ++ib) {
        const __m128 entering = LoadPair(x, ia, ib);
        const __m128 leaving = LoadPair(x, ia - n, ib - n);
        run = _mm_and_si128(_mm_add_epi32(run, one), _mm_castps_si128(_mm_cmpeq_ps(entering, previous)));
        previous = entering;
        __m128d in = _mm_sub_pd(_mm_cvtps_pd(entering), pivot);
        __m128d away = _mm_sub_pd(_mm_cvtps_pd(leaving), pivot);
        __m128 special = _mm_castsi128_ps(_mm_cmpgt_epi32(run, nLess2));
        // An invalid element enters or leaves as an exact 0.
        if (kMayHoldInvalid)
            special = _mm_or_ps(special, TakeOutInvalid(entering, leaving, invalid, in, away));
        sum = _mm_add_pd(sum, _mm_sub_pd(in, away));
        sumSquares = _mm_add_pd(sumSquares, _mm_sub_pd(_mm_mul_pd(in, in), _mm_mul_pd(away, away)));

        const __m128 mean = _mm_cvtpd_ps(_mm_add_pd(_mm_mul_pd(sum, meanScale), pivot));
        special = _mm_or_ps(special, _mm_cmpeq_ps(mean, zero));
        const __m128d d = _mm_sub_pd(_mm_cvtps_pd(mean), pivot);
        const __m128d squares = _mm_add_pd(
            _mm_sub_pd(sumSquares, _mm_mul_pd(_mm_add_pd(d, d), sum)), _mm_mul_pd(_mm_mul_pd(nWide, d), d));
        // max(0, s) keeps s unless 0 is greater, as std::max(s, 0.0) does.
        const __m128 root
            = _mm_cvtpd_ps(_mm_sqrt_pd(_mm_mul_pd(_mm_max_pd(zeroWide, squares), sampleScale)));
        _mm_store_ss(s.out + ia, root);
        _mm_store_ss(s.out + ib, _mm_shuffle_ps(root, root, 1));
        const int specialLanes = _mm_movemask_ps(special) & 3;
        if (specialLanes) {
            double sums[2], squareSums[2];
            int32_t counts[4], runs[4];
            _mm_storeu_pd(sums, sum);
            _mm_storeu_pd(squareSums, sumSquares);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(counts), invalid);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(runs), run);
            for (int k = 0; k < 2; ++k) {
                if (!(specialLanes & (1 << k)))
                    continue;
                DeviationLane lane;
                lane.pivot = k ? b.pivot : a.pivot;
                lane.sum = sums[k];
                lane.sumSquares = squareSums[k];
                lane.invalid = counts[k];
                lane.flat = runs[k] + 1;
                EmitDeviation(s, lane, k ? ib : ia);
            }
        }
    }
    double halves[2];
    int32_t counts[4];
    _mm_storeu_pd(halves, sum);
    a.sum = halves[0];
    b.sum = halves[1];
    _mm_storeu_pd(halves, sumSquares);
    a.sumSquares = halves[0];
    b.sumSquares = halves[1];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(counts), invalid);
    a.invalid = counts[0];
    b.invalid = counts[1];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(counts), run);
    a.flat = counts[0] + 1;
    b.flat = counts[1] + 1;
}
#endif

} // namespace

void SeriesSTD(const float* x, int count, int n, float* out)
{
    n = ClampWindow(n, count);
    if (n <= 1) {
        FillInvalid(out, count);
        return;
    }
    const int warm = std::min(n, count);
    FillInvalid(out, warm);
    if (count <= n)
        return;
    const DeviationShape shape = { x, n, 1.0 / n, 1.0 / (n - 1), out };
    const int rebaseEvery = std::max(n, 1024);
    // A stretch starts at the first valid element from the given one on.
    const auto startFrom = [x, count](int i) {
        while (i < count && IsInvalidValue(x[i]))
            ++i;
        return std::min(i, count);
    };
    // The elements before the first stretch are invalid themselves.
    int start = startFrom(n);
    FillInvalid(out + n, start - n);
    const auto walk = [&shape](DeviationLane& lane, int from, int end) {
        for (int i = from; i < end; ++i)
            StepDeviation(shape, lane, i);
    };
    while (start < count) {
        const int second = startFrom(start + rebaseEvery + 1);
        DeviationLane a;
        StartDeviation(shape, a, start);
        if (second >= count) {
            walk(a, start + 1, count);
            break;
        }
        const int end = startFrom(second + rebaseEvery + 1);
        DeviationLane b;
        StartDeviation(shape, b, second);
        int together = 1;
#if defined(__SSE2__)
        together = std::min(second - start, end - second);
        if (HoldsInvalid(x, start - n + 1, end))
            StepDeviationPair<true>(shape, a, b, start + 1, second + 1, together - 1);
        else
            StepDeviationPair<false>(shape, a, b, start + 1, second + 1, together - 1);
#endif
        walk(a, start + together, second);
        walk(b, second + together, end);
        start = end;
    }
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
