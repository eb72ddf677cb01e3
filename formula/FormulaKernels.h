#pragma once
// The element workers of the formula built-ins: plain functions over float
// arrays, free of VARIANTs and of the buffer pool, so that they can be tested
// and measured on their own. Every worker writes every element of its output
// (a pool buffer holds whatever its last user left there), never reads an
// element outside [0, count) of an input, and carries kInvalidValue as "no
// value". Window counts may be any int: the workers bound them themselves.
#include "formula/SeriesValue.h"

#include <cstdint>

// An argument that is either a series or one number standing for every
// element. Elements past a series' own count read as kInvalidValue, so
// operands of different counts combine over the shorter.
struct SeriesOperand
{
    const float* values = nullptr; // null: a scalar
    int count = 0;
    float scalar = 0.0f;

    static SeriesOperand Series(const float* values, int count)
    {
        return SeriesOperand { values, count, 0.0f };
    }
    static SeriesOperand Scalar(float scalar) { return SeriesOperand { nullptr, 0, scalar }; }

    bool IsSeries() const { return values != nullptr; }
    float At(int i) const
    {
        if (!values)
            return scalar;
        return i >= 0 && i < count ? values[i] : kInvalidValue;
    }
};

void FillInvalid(float* out, int count);

// Moving windows (FormulaWindowKernels.cpp). The window of n ending at i is
// elements i-n+1..i, cut at element 0.
void SeriesMA(const float* x, int count, int n, float* out);
void SeriesSUM(const float* x, int count, int n, float* out);
// SUM with a count per element (truncated toward zero); elements past n's
// count are invalid.
void SeriesSUMByCounts(const float* x, int count, const float* n, int nCount, float* out);
void SeriesSTD(const float* x, int count, int n, float* out);
void SeriesAVEDEV(const float* x, int count, int n, float* out);
// Window extremes and their ages need scratch space; false when it cannot be had.
bool SeriesHHV(const float* x, int count, int n, float* out);
bool SeriesLLV(const float* x, int count, int n, float* out);
bool SeriesHHVBARS(const float* x, int count, int n, float* out);
bool SeriesLLVBARS(const float* x, int count, int n, float* out);
void SeriesCOUNT(const float* x, int count, int n, float* out);
void SeriesEVERY(const float* x, int count, int n, float* out);
void SeriesSLOPE(const float* x, int count, int n, float* out);

// Recurrences (FormulaAverageKernels.cpp): EMA also serves EXPMA and EXPMEMA.
void SeriesEMA(const float* x, int count, int n, float* out);
void SeriesSMA(const float* x, int count, int n, int m, float* out);
void SeriesDMA(const float* x, int count, double weight, float* out);
// DMA with a weight per element; elements past the weights' count are invalid.
void SeriesDMAByWeights(const float* x, int count, const float* weights, int weightCount, float* out);

// Element by element (FormulaElementKernels.cpp).
void SeriesREF(const float* x, int count, int n, float* out);
// REF with a distance per element (truncated toward zero); x may be a scalar.
// count is the result's count; elements past the distances' count are invalid.
void SeriesREFByDistances(SeriesOperand x, SeriesOperand n, int count, float* out);
void SeriesABS(const float* x, int count, float* out);
void SeriesACOS(const float* x, int count, float* out);
void SeriesASIN(const float* x, int count, float* out);
void SeriesATAN(const float* x, int count, float* out);
void SeriesREVERSE(const float* x, int count, float* out);
void SeriesNOT(const float* x, int count, float* out);
void SeriesMAX(SeriesOperand a, SeriesOperand b, int count, float* out);
void SeriesMIN(SeriesOperand a, SeriesOperand b, int count, float* out);
void SeriesIF(const float* cond, int count, SeriesOperand a, SeriesOperand b, float* out);
void SeriesIFN(const float* cond, int count, SeriesOperand a, SeriesOperand b, float* out);
void SeriesCROSS(SeriesOperand a, SeriesOperand b, int count, float* out);

// Runs, signals and counts of bars (FormulaSignalKernels.cpp).
void SeriesUPNDAY(const float* x, int count, int n, float* out);
// False (the call fails) when n < 1 or the series is empty.
bool SeriesDOWNNDAY(const float* x, int count, int n, float* out);
void SeriesFILTER(const float* x, int count, int n, float* out);
void SeriesBARSLAST(const float* x, int count, float* out);
void SeriesBARSCOUNT(int count, float* out);
bool SeriesBACKSET(const float* x, int count, int n, float* out);
void SeriesSUMBARS(const float* x, int count, double target, float* out);

// Shapes drawn over prices (FormulaPatternKernels.cpp).
// percent: the turn threshold, 20 for 20 %.
bool SeriesZIG(const float* x, int count, double percent, float* out);
// The share of the chips held at or below price[i] of the bars whose volume
// (in lots) covers capital (in lots) back from bar i: each bar's lots spread
// as a triangle over its range, the price compared with the chips' levels in
// thousandths. count is the result's. One pass, O(count log count); false
// without memory for it.
bool SeriesWINNER(SeriesOperand high, SeriesOperand low, SeriesOperand volume, SeriesOperand price,
    double capital, int count, float* out);
void SeriesDRAWLINE(
    const float* c1, int count, SeriesOperand p1, SeriesOperand c2, SeriesOperand p2, int mode, float* out);

// Bounds a count argument to what any series of count elements can use, so
// that window arithmetic cannot overflow.
inline int ClampWindow(int n, int count)
{
    const int64_t limit = static_cast<int64_t>(count < 0 ? 0 : count) + 1;
    if (n > limit)
        return static_cast<int>(limit);
    if (n < -limit)
        return static_cast<int>(-limit);
    return n;
}
