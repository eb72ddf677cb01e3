#include "formula/SeriesMath.h"

#include <cmath>
#include <limits>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// A double result stored as a float, or invalid when it does not fit one.
inline float Store(double value)
{
    if (!(std::fabs(value) <= std::numeric_limits<float>::max()))
        return kInvalidValue;
    return static_cast<float>(value);
}

inline float Truth(bool value)
{
    return value ? 1.0f : 0.0f;
}

// One rule per operator, for two valid elements.
struct AddRule
{
    static float Apply(double a, double b) { return Store(a + b); }
#if defined(__SSE2__)
    static constexpr bool kVector = true;
    static constexpr bool kDivision = false;
    static __m128d Apply(__m128d a, __m128d b) { return _mm_add_pd(a, b); }
    static __m128 Apply(__m128 a, __m128 b) { return _mm_add_ps(a, b); }
#endif
};
struct SubRule
{
    static float Apply(double a, double b) { return Store(a - b); }
#if defined(__SSE2__)
    static constexpr bool kVector = true;
    static constexpr bool kDivision = false;
    static __m128d Apply(__m128d a, __m128d b) { return _mm_sub_pd(a, b); }
    static __m128 Apply(__m128 a, __m128 b) { return _mm_sub_ps(a, b); }
#endif
};
struct MulRule
{
    static float Apply(double a, double b) { return Store(a * b); }
#if defined(__SSE2__)
    static constexpr bool kVector = true;
    static constexpr bool kDivision = false;
    static __m128d Apply(__m128d a, __m128d b) { return _mm_mul_pd(a, b); }
    static __m128 Apply(__m128 a, __m128 b) { return _mm_mul_ps(a, b); }
#endif
};
struct DivRule
{
    static float Apply(double a, double b) { return b == 0.0 ? kInvalidValue : Store(a / b); }
#if defined(__SSE2__)
    static constexpr bool kVector = true;
    static constexpr bool kDivision = true;
    static __m128d Apply(__m128d a, __m128d b) { return _mm_div_pd(a, b); }
    static __m128 Apply(__m128 a, __m128 b) { return _mm_div_ps(a, b); }
#endif
};
struct EqualRule
{
    static float Apply(double a, double b) { return Truth(a == b); }
};
struct NotEqualRule
{
    static float Apply(double a, double b) { return Truth(a != b); }
};
struct LessRule
{
    static float Apply(double a, double b) { return Truth(a < b); }
};
struct LessEqualRule
{
    static float Apply(double a, double b) { return Truth(a <= b); }
};
struct GreaterRule
{
    static float Apply(double a, double b) { return Truth(a > b); }
};
struct GreaterEqualRule
{
    static float Apply(double a, double b) { return Truth(a >= b); }
};
struct AndRule
{
    static float Apply(double a, double b) { return Truth(a != 0.0 && b != 0.0); }
};
struct OrRule
{
    static float Apply(double a, double b) { return Truth(a != 0.0 || b != 0.0); }
};
struct BothZeroRule
{
    static float Apply(double a, double b) { return Truth(a == 0.0 && b == 0.0); }
};

#if defined(__SSE2__)
// Whether Rule has a four-wide form (the arithmetic operators).
template <class Rule, class = void> struct HasVector : std::false_type
{
};
template <class Rule> struct HasVector<Rule, std::void_t<decltype(Rule::kVector)>> : std::true_type
{
};

// Four elements by the steps of the element loop, so with the same bits: each
// float widened exactly, the operation done in double and rounded once to a
// float, and kInvalidValue in a lane where either operand is invalid, the
// divisor is 0 or the result does not fit a float (NaN included).
template <class Rule> inline __m128 Arithmetic4(__m128 a, __m128 b)
{
    const __m128 invalid = _mm_set1_ps(kInvalidValue);
    const __m128d magnitude = _mm_castsi128_pd(_mm_set1_epi64x(0x7FFFFFFFFFFFFFFFLL));
    const __m128d largest = _mm_set1_pd(std::numeric_limits<float>::max());
    const __m128d aLow = _mm_cvtps_pd(a);
    const __m128d aHigh = _mm_cvtps_pd(_mm_movehl_ps(a, a));
    const __m128d bLow = _mm_cvtps_pd(b);
    const __m128d bHigh = _mm_cvtps_pd(_mm_movehl_ps(b, b));
    const __m128d low = Rule::Apply(aLow, bLow);
    const __m128d high = Rule::Apply(aHigh, bHigh);
    __m128d fitsLow = _mm_cmple_pd(_mm_and_pd(low, magnitude), largest);
    __m128d fitsHigh = _mm_cmple_pd(_mm_and_pd(high, magnitude), largest);
    if constexpr (Rule::kDivision) {
        fitsLow = _mm_and_pd(fitsLow, _mm_cmpneq_pd(bLow, _mm_setzero_pd()));
        fitsHigh = _mm_and_pd(fitsHigh, _mm_cmpneq_pd(bHigh, _mm_setzero_pd()));
    }
    const __m128 fits
        = _mm_shuffle_ps(_mm_castpd_ps(fitsLow), _mm_castpd_ps(fitsHigh), _MM_SHUFFLE(2, 0, 2, 0));
    const __m128 valid = _mm_andnot_ps(_mm_or_ps(_mm_cmpeq_ps(a, invalid), _mm_cmpeq_ps(b, invalid)), fits);
    const __m128 value = _mm_movelh_ps(_mm_cvtpd_ps(low), _mm_cvtpd_ps(high));
    return _mm_or_ps(_mm_and_ps(valid, value), _mm_andnot_ps(valid, invalid));
}

// The same four elements computed in floats, which gives the same bits: the
// double result of two floats rounded to a float is the float operation's
// result for +, -, * and / (double has more than twice a float's precision
// and then some), except that a result just past the float range rounds down
// to the largest float in float arithmetic where the double one is no value.
// So a lane at the largest float, infinite or NaN is done again in doubles.
template <class Rule> inline __m128 ArithmeticInFloats4(__m128 a, __m128 b)
{
    const __m128 invalid = _mm_set1_ps(kInvalidValue);
    const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
    const __m128 largest = _mm_set1_ps(std::numeric_limits<float>::max());
    const __m128 value = Rule::Apply(a, b);
    __m128 none = _mm_or_ps(_mm_cmpeq_ps(a, invalid), _mm_cmpeq_ps(b, invalid));
    if constexpr (Rule::kDivision)
        none = _mm_or_ps(none, _mm_cmpeq_ps(b, _mm_setzero_ps()));
    const __m128 edge = _mm_andnot_ps(none, _mm_cmpnlt_ps(_mm_and_ps(value, magnitude), largest));
    if (_mm_movemask_ps(edge) != 0)
        return Arithmetic4<Rule>(a, b);
    return _mm_or_ps(_mm_andnot_ps(none, value), _mm_and_ps(none, invalid));
}

// The elements before the last incomplete group of four, four at a time;
// returns how many were done (0 for the rules without a four-wide form).
template <class Rule> uint32_t Arithmetic(const float* left, const float* right, uint32_t count, float* result)
{
    uint32_t i = 0;
    if constexpr (HasVector<Rule>::value) {
        for (; i + 4 <= count; i += 4)
            _mm_storeu_ps(result + i, ArithmeticInFloats4<Rule>(_mm_loadu_ps(left + i), _mm_loadu_ps(right + i)));
    }
    return i;
}
template <class Rule> uint32_t Arithmetic(const float* left, float right, uint32_t count, float* result)
{
    uint32_t i = 0;
    if constexpr (HasVector<Rule>::value) {
        const __m128 b = _mm_set1_ps(right);
        for (; i + 4 <= count; i += 4)
            _mm_storeu_ps(result + i, ArithmeticInFloats4<Rule>(_mm_loadu_ps(left + i), b));
    }
    return i;
}
template <class Rule> uint32_t Arithmetic(float left, const float* right, uint32_t count, float* result)
{
    uint32_t i = 0;
    if constexpr (HasVector<Rule>::value) {
        const __m128 a = _mm_set1_ps(left);
        for (; i + 4 <= count; i += 4)
            _mm_storeu_ps(result + i, ArithmeticInFloats4<Rule>(a, _mm_loadu_ps(right + i)));
    }
    return i;
}
#else
template <class Rule, class Left, class Right> uint32_t Arithmetic(Left, Right, uint32_t, float*)
{
    return 0;
}
#endif

template <class Rule>
void SeriesWithSeries(
    const float* left, uint32_t leftCount, const float* right, uint32_t rightCount, float* result)
{
    const uint32_t common = leftCount < rightCount ? leftCount : rightCount;
    for (uint32_t i = Arithmetic<Rule>(left, right, common, result); i < common; ++i) {
        const float a = left[i];
        const float b = right[i];
        result[i] = IsInvalidValue(a) || IsInvalidValue(b) ? kInvalidValue : Rule::Apply(a, b);
    }
    for (uint32_t i = common; i < leftCount; ++i)
        result[i] = kInvalidValue;
}

template <class Rule> void SeriesWithScalar(const float* left, uint32_t count, float right, float* result)
{
    if (IsInvalidValue(right)) {
        for (uint32_t i = 0; i < count; ++i)
            result[i] = kInvalidValue;
        return;
    }
    for (uint32_t i = Arithmetic<Rule>(left, right, count, result); i < count; ++i) {
        const float a = left[i];
        result[i] = IsInvalidValue(a) ? kInvalidValue : Rule::Apply(a, right);
    }
}

template <class Rule>
void ScalarWithSeries(float left, const float* right, uint32_t count, float* result, float onInvalid)
{
    if (IsInvalidValue(left)) {
        for (uint32_t i = 0; i < count; ++i)
            result[i] = onInvalid;
        return;
    }
    // The four-wide form gives kInvalidValue where b is invalid, which is
    // onInvalid for every rule that has one.
    for (uint32_t i = Arithmetic<Rule>(left, right, count, result); i < count; ++i) {
        const float b = right[i];
        result[i] = IsInvalidValue(b) ? onInvalid : Rule::Apply(left, b);
    }
}

// Calls f with the operator's rule.
template <class F> void WithRule(SeriesOperator op, F&& f)
{
    switch (op) {
    case SeriesOperator::kAdd:
        return f(AddRule());
    case SeriesOperator::kSub:
        return f(SubRule());
    case SeriesOperator::kMul:
        return f(MulRule());
    case SeriesOperator::kDiv:
        return f(DivRule());
    case SeriesOperator::kEqual:
        return f(EqualRule());
    case SeriesOperator::kNotEqual:
        return f(NotEqualRule());
    case SeriesOperator::kLess:
        return f(LessRule());
    case SeriesOperator::kLessEqual:
        return f(LessEqualRule());
    case SeriesOperator::kGreater:
        return f(GreaterRule());
    case SeriesOperator::kGreaterEqual:
        return f(GreaterEqualRule());
    case SeriesOperator::kAnd:
        return f(AndRule());
    case SeriesOperator::kOr:
        return f(OrRule());
    case SeriesOperator::kBothZero:
        return f(BothZeroRule());
    }
}

// A scalar operand rounded to a float, as the element loops take it.
float ScalarElement(double number)
{
    if (std::isnan(number))
        return kInvalidValue;
    if (number > std::numeric_limits<float>::max())
        return std::numeric_limits<float>::infinity();
    if (number < -std::numeric_limits<float>::max())
        return -std::numeric_limits<float>::infinity();
    return static_cast<float>(number);
}

}

void SeriesCombine(SeriesOperator op, const float* left, uint32_t leftCount, const float* right,
    uint32_t rightCount, float* result)
{
    WithRule(
        op, [&](auto rule) { SeriesWithSeries<decltype(rule)>(left, leftCount, right, rightCount, result); });
}

void SeriesCombine(SeriesOperator op, const float* left, uint32_t count, float right, float* result)
{
    WithRule(op, [&](auto rule) { SeriesWithScalar<decltype(rule)>(left, count, right, result); });
}

void SeriesCombine(SeriesOperator op, float left, const float* right, uint32_t count, float* result)
{
    // The one exception to the rule: scalar = series is false, not invalid,
    // where either side has no value.
    const float onInvalid = op == SeriesOperator::kEqual ? 0.0f : kInvalidValue;
    WithRule(op, [&](auto rule) { ScalarWithSeries<decltype(rule)>(left, right, count, result, onInvalid); });
}

void SeriesNegate(const float* values, uint32_t count, float* result)
{
    // 0 - a rather than -a: a zero stays 0, not -0 (which prints as "-0.00").
    for (uint32_t i = 0; i < count; ++i)
        result[i] = IsInvalidValue(values[i]) ? kInvalidValue : 0.0f - values[i];
}

bool SeriesMath::Combine(
    SeriesOperator op, const VARIANT& left, const VARIANT& right, SeriesStore& store, VARIANT& result) const
{
    SeriesView leftSeries, rightSeries;
    const bool leftIsSeries = ReadSeries(left, store, leftSeries);
    const bool rightIsSeries = ReadSeries(right, store, rightSeries);
    if (leftIsSeries && rightIsSeries) {
        float* buffer = store.NewSeries(leftSeries.count);
        SeriesCombine(op, leftSeries.data, leftSeries.count, rightSeries.data, rightSeries.count, buffer);
        WriteSeries(result, buffer, leftSeries.count);
        return true;
    }
    double number = 0;
    if (leftIsSeries) {
        if (!ReadScalar(right, number))
            return false;
        float* buffer = store.NewSeries(leftSeries.count);
        SeriesCombine(op, leftSeries.data, leftSeries.count, ScalarElement(number), buffer);
        WriteSeries(result, buffer, leftSeries.count);
        return true;
    }
    if (rightIsSeries) {
        if (!ReadScalar(left, number))
            return false;
        float* buffer = store.NewSeries(rightSeries.count);
        SeriesCombine(op, ScalarElement(number), rightSeries.data, rightSeries.count, buffer);
        WriteSeries(result, buffer, rightSeries.count);
        return true;
    }
    return false;
}

bool SeriesMath::Negate(const VARIANT& value, SeriesStore& store, VARIANT& result) const
{
    SeriesView series;
    if (!ReadSeries(value, store, series))
        return false;
    float* buffer = store.NewSeries(series.count);
    SeriesNegate(series.data, series.count, buffer);
    WriteSeries(result, buffer, series.count);
    return true;
}
