#pragma once
// Element-wise arithmetic of the formula language over series of floats.
//
// Element rule of every operation: an invalid element (kInvalidValue) on either
// side gives an invalid result; otherwise the operation is computed in double
// and stored as a float; a divisor of exactly 0 and any result that is not a
// finite float give kInvalidValue. One exception: scalar = series gives 0 (not
// invalid) where the scalar or the element is invalid.
//
// Each operation exists in three forms. Series with series runs over the left
// operand's count; where the right operand is shorter, the elements beyond it
// are invalid. The result array is the caller's, as long as the series operand
// (the left one for series with series); it may be the same array as an operand.
#include "formula/SeriesValue.h"

#include <cstdint>

enum class SeriesOperator {
    kAdd, // +
    kSub, // -
    kMul, // *
    kDiv, // /
    kEqual, // =
    kNotEqual, // != and <>
    kLess, // <
    kLessEqual, // <=
    kGreater, // >
    kGreaterEqual, // >=
    kAnd, // AND, & and &&: 1 when both are non-zero
    kOr, // OR, | and ||: 0 when both are zero
    kBothZero, // ~ on series: 1 when both are zero
};

void SeriesCombine(SeriesOperator op, const float* left, uint32_t leftCount, const float* right,
    uint32_t rightCount, float* result);
void SeriesCombine(SeriesOperator op, const float* left, uint32_t count, float right, float* result);
void SeriesCombine(SeriesOperator op, float left, const float* right, uint32_t count, float* result);
// -a for every valid element; invalid elements stay invalid.
void SeriesNegate(const float* values, uint32_t count, float* result);

// The operations by name, in their three forms.
#define ZT_SERIES_OPERATION(Name, Op)                                                                        \
    inline void Name(                                                                                        \
        const float* left, uint32_t leftCount, const float* right, uint32_t rightCount, float* result)       \
    {                                                                                                        \
        SeriesCombine(Op, left, leftCount, right, rightCount, result);                                       \
    }                                                                                                        \
    inline void Name(const float* left, uint32_t count, float right, float* result)                          \
    {                                                                                                        \
        SeriesCombine(Op, left, count, right, result);                                                       \
    }                                                                                                        \
    inline void Name(float left, const float* right, uint32_t count, float* result)                          \
    {                                                                                                        \
        SeriesCombine(Op, left, right, count, result);                                                       \
    }
ZT_SERIES_OPERATION(SeriesAdd, SeriesOperator::kAdd)
ZT_SERIES_OPERATION(SeriesSub, SeriesOperator::kSub)
ZT_SERIES_OPERATION(SeriesMul, SeriesOperator::kMul)
ZT_SERIES_OPERATION(SeriesDiv, SeriesOperator::kDiv)
ZT_SERIES_OPERATION(SeriesEqual, SeriesOperator::kEqual)
ZT_SERIES_OPERATION(SeriesNotEqual, SeriesOperator::kNotEqual)
ZT_SERIES_OPERATION(SeriesLess, SeriesOperator::kLess)
ZT_SERIES_OPERATION(SeriesLessEqual, SeriesOperator::kLessEqual)
ZT_SERIES_OPERATION(SeriesGreater, SeriesOperator::kGreater)
ZT_SERIES_OPERATION(SeriesGreaterEqual, SeriesOperator::kGreaterEqual)
ZT_SERIES_OPERATION(SeriesAnd, SeriesOperator::kAnd)
ZT_SERIES_OPERATION(SeriesOr, SeriesOperator::kOr)
ZT_SERIES_OPERATION(SeriesBothZero, SeriesOperator::kBothZero)
#undef ZT_SERIES_OPERATION

// The stateless object the formula hosts share for their series arithmetic
// (the built-in functions take it too). Its VARIANT forms read the operands
// through the store that owns the series and take the result buffer from it.
class SeriesMath
{
public:
    // Writes left op right into result as a new series and returns true when
    // at least one operand is a series and the other a series or a number.
    // Declines (false, result untouched) two scalars and any scalar that is
    // no number (a string beside a series). result may be left itself.
    bool Combine(SeriesOperator op, const VARIANT& left, const VARIANT& right, SeriesStore& store,
        VARIANT& result) const;
    // -value as a new series; declines a scalar. result may be value itself.
    bool Negate(const VARIANT& value, SeriesStore& store, VARIANT& result) const;
};
