#include "formula/SeriesMath.h"

#include <cmath>
#include <limits>

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
};
struct SubRule
{
    static float Apply(double a, double b) { return Store(a - b); }
};
struct MulRule
{
    static float Apply(double a, double b) { return Store(a * b); }
};
struct DivRule
{
    static float Apply(double a, double b) { return b == 0.0 ? kInvalidValue : Store(a / b); }
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

template <class Rule>
void SeriesWithSeries(
    const float* left, uint32_t leftCount, const float* right, uint32_t rightCount, float* result)
{
    const uint32_t common = leftCount < rightCount ? leftCount : rightCount;
    for (uint32_t i = 0; i < common; ++i) {
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
    for (uint32_t i = 0; i < count; ++i) {
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
    for (uint32_t i = 0; i < count; ++i) {
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
