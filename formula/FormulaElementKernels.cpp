// Element-by-element workers: references, maths, conditions and crossings.
#include "formula/FormulaKernels.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

namespace {

template <typename Function> void MapValid(const float* x, int count, float* out, Function function)
{
    for (int i = 0; i < count; ++i)
        out[i] = IsInvalidValue(x[i]) ? kInvalidValue : function(x[i]);
}

// An inverse cosine or sine outside [-1, 1] has no value.
float Inverse(float value, double (*function)(double))
{
    if (value < -1.0f || value > 1.0f)
        return kInvalidValue;
    return static_cast<float>(function(value));
}

// A series element without a value; a scalar is compared as it stands.
bool HasInvalid(const SeriesOperand& a, float left, const SeriesOperand& b, float right)
{
    return (a.IsSeries() && IsInvalidValue(left)) || (b.IsSeries() && IsInvalidValue(right));
}

} // namespace

void SeriesREF(const float* x, int count, int n, float* out)
{
    n = ClampWindow(n, count);
    if (count <= 0)
        return;
    // Elements first..end-1 read x[i - n]; the others read nothing.
    const int first = std::min(std::max(n, 0), count);
    const int end = std::max(std::min(count, count + n), first);
    std::copy(x + (first - n), x + (end - n), out + first);
    FillInvalid(out, first);
    FillInvalid(out + end, count - end);
}

void SeriesREFByDistances(SeriesOperand x, SeriesOperand n, int count, float* out)
{
    // A distance that is invalid, negative or past the first bar reads nothing.
    const double limit = static_cast<double>(count) + 1.0;
    for (int i = 0; i < count; ++i) {
        const float distance = n.At(i);
        if (IsInvalidValue(distance) || distance != distance) {
            out[i] = kInvalidValue;
            continue;
        }
        const double clamped = std::fmax(-limit, std::fmin(limit, static_cast<double>(distance)));
        const int from = i - static_cast<int>(clamped);
        out[i] = from >= 0 && from < count ? x.At(from) : kInvalidValue;
    }
}

void SeriesABS(const float* x, int count, float* out)
{
    MapValid(x, count, out, [](float v) { return std::fabs(v); });
}

void SeriesACOS(const float* x, int count, float* out)
{
    MapValid(x, count, out, [](float v) { return Inverse(v, std::acos); });
}

void SeriesASIN(const float* x, int count, float* out)
{
    MapValid(x, count, out, [](float v) { return Inverse(v, std::asin); });
}

void SeriesATAN(const float* x, int count, float* out)
{
    MapValid(x, count, out, [](float v) { return static_cast<float>(std::atan(static_cast<double>(v))); });
}

void SeriesREVERSE(const float* x, int count, float* out)
{
    MapValid(x, count, out, [](float v) { return -v; });
}

void SeriesNOT(const float* x, int count, float* out)
{
    for (int i = 0; i < count; ++i)
        out[i] = x[i] == 0.0f ? 1.0f : 0.0f;
}

#if defined(__SSE2__)
// The elements of MAX or MIN before the last incomplete group of four, four
// at a time, where both operands cover every element; returns how many were
// done. Pick is the processor's maximum or minimum, which keeps the left
// element unless the right one is greater (lower), as the element loop does.
template <typename Pick> int PairwiseExtreme(const SeriesOperand& a, const SeriesOperand& b, int count, float* out, Pick pick)
{
    if ((a.IsSeries() && a.count < count) || (b.IsSeries() && b.count < count))
        return 0;
    const __m128 invalid = _mm_set1_ps(kInvalidValue);
    const __m128 zero = _mm_setzero_ps();
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128 left = a.IsSeries() ? _mm_loadu_ps(a.values + i) : _mm_set1_ps(a.scalar);
        const __m128 right = b.IsSeries() ? _mm_loadu_ps(b.values + i) : _mm_set1_ps(b.scalar);
        const __m128 none = _mm_or_ps(a.IsSeries() ? _mm_cmpeq_ps(left, invalid) : zero,
            b.IsSeries() ? _mm_cmpeq_ps(right, invalid) : zero);
        const __m128 value = pick(left, right);
        _mm_storeu_ps(out + i, _mm_or_ps(_mm_and_ps(none, invalid), _mm_andnot_ps(none, value)));
    }
    return i;
}
#endif

void SeriesMAX(SeriesOperand a, SeriesOperand b, int count, float* out)
{
    int first = 0;
#if defined(__SSE2__)
    first = PairwiseExtreme(a, b, count, out, [](__m128 l, __m128 r) { return _mm_max_ps(l, r); });
#endif
    for (int i = first; i < count; ++i) {
        const float left = a.At(i);
        const float right = b.At(i);
        out[i] = HasInvalid(a, left, b, right) ? kInvalidValue : left > right ? left : right;
    }
}

void SeriesMIN(SeriesOperand a, SeriesOperand b, int count, float* out)
{
    int first = 0;
#if defined(__SSE2__)
    first = PairwiseExtreme(a, b, count, out, [](__m128 l, __m128 r) { return _mm_min_ps(l, r); });
#endif
    for (int i = first; i < count; ++i) {
        const float left = a.At(i);
        const float right = b.At(i);
        out[i] = HasInvalid(a, left, b, right) ? kInvalidValue : left < right ? left : right;
    }
}

void SeriesIF(const float* cond, int count, SeriesOperand a, SeriesOperand b, float* out)
{
    for (int i = 0; i < count; ++i) {
        const float c = cond[i];
        out[i] = IsInvalidValue(c) ? kInvalidValue : c != 0.0f ? a.At(i) : b.At(i);
    }
}

void SeriesIFN(const float* cond, int count, SeriesOperand a, SeriesOperand b, float* out)
{
    SeriesIF(cond, count, b, a, out);
}

void SeriesCROSS(SeriesOperand a, SeriesOperand b, int count, float* out)
{
    if (count <= 0)
        return;
    out[0] = 0.0f;
    for (int i = 1; i < count; ++i) {
        const float ai = a.At(i);
        const float bi = b.At(i);
        if (IsInvalidValue(ai) || IsInvalidValue(bi)) {
            out[i] = kInvalidValue;
            continue;
        }
        // A crossing needs a real previous pair: at the end of a warm-up the
        // invalid previous element is not "below" anything.
        const float ap = a.At(i - 1);
        const float bp = b.At(i - 1);
        if (IsInvalidValue(ap) || IsInvalidValue(bp)) {
            out[i] = 0.0f;
            continue;
        }
        out[i] = bp > ap && ai > bi ? 1.0f : 0.0f;
    }
}
