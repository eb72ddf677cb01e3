// The built-in functions as formulas reach them: through the formula host,
// its dispatch table and its buffer pool.
#include "formula/ScriptAcceptor.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using Series = std::vector<float>;
const float inv = kInvalidValue;
const float kSentinel = 12345.0f;

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

std::string Show(const Series& values)
{
    std::string text = "{";
    for (float v : values)
        text += (text.size() > 1 ? ", " : "") + (IsInvalidValue(v) ? std::string("inv") : std::to_string(v));
    return text + "}";
}

// What a formula left in its result variable.
struct Outcome
{
    bool set = false;
    bool series = false;
    Series values;
    double number = 0.0;
    VARTYPE type = VT_EMPTY;
};

class FormulaFunctions : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.AttachEngine(&math, nullptr, nullptr));
        Bind();
    }
    void TearDown() override { host.DetachEngine(); }

    void Bind()
    {
        open = close;
        for (float& v : open)
            v = IsInvalidValue(v) ? v : v - 0.5f;
        high = close;
        low = close;
        volume.assign(close.size(), 100.0f);
        for (size_t i = 0; i < close.size(); ++i) {
            high[i] = IsInvalidValue(close[i]) ? inv : close[i] + 1;
            low[i] = IsInvalidValue(close[i]) ? inv : close[i] - 1;
        }
        BindSeries(L"OPEN", open);
        BindSeries(L"O", open);
        BindSeries(L"HIGH", high);
        BindSeries(L"H", high);
        BindSeries(L"LOW", low);
        BindSeries(L"L", low);
        BindSeries(L"CLOSE", close);
        BindSeries(L"C", close);
        BindSeries(L"VOL", volume);
        host.SetScalarVariable(L"CAPITAL", 250.0);
    }

    void BindSeries(const wchar_t* name, Series& values)
    {
        host.SetSeriesVariable(name, values.data(), static_cast<uint32_t>(values.size()));
    }

    // R afterwards; unset when the statement failed.
    Outcome Evaluate(const std::wstring& expression)
    {
        std::vector<FormulaStatement> statements(2);
        statements[0].text = L"R:=Excute(\"unset\");";
        statements[1].text = L"R:=Excute(" + expression + L");";
        statements[0].notDrawn = statements[1].notDrawn = true;
        EXPECT_TRUE(host.Run(statements));
        return Result();
    }

    Outcome Result()
    {
        Outcome outcome;
        const VARIANT* value = host.FindVariable(L"R");
        if (!value || value->vt == VT_BSTR)
            return outcome;
        outcome.set = true;
        outcome.type = value->vt;
        SeriesView view;
        if (host.ReadSeries(*value, view)) {
            outcome.series = true;
            outcome.values.assign(view.data, view.data + view.count);
        } else {
            ReadScalar(*value, outcome.number);
        }
        return outcome;
    }

    void ExpectSeries(const std::wstring& expression, const Series& expected)
    {
        SCOPED_TRACE(Narrow(expression));
        const Outcome outcome = Evaluate(expression);
        ASSERT_TRUE(outcome.series) << "no series";
        ASSERT_EQ(expected.size(), outcome.values.size()) << Show(outcome.values);
        for (size_t i = 0; i < expected.size(); ++i) {
            if (IsInvalidValue(expected[i]) || IsInvalidValue(outcome.values[i]))
                EXPECT_EQ(expected[i], outcome.values[i]) << i << " of " << Show(outcome.values);
            else
                EXPECT_NEAR(expected[i], outcome.values[i], 1e-4 * std::max(1.0f, std::fabs(expected[i])))
                    << i << " of " << Show(outcome.values);
        }
    }

    SeriesMath math;
    CScriptAcceptor host;
    Series close = { 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20 };
    Series open, high, low, volume;
};

struct ScalarCase
{
    const wchar_t* expression;
    VARTYPE type;
    double value;
};

// Scalars: a first scalar passes through unless the function has a scalar
// meaning of its own. MAX is symmetric: 5.5 is not cut to 5.
const ScalarCase kScalarCases[] = {
    { L"HHV(7,5)", VT_I4, 7 },
    { L"MA(7.5,3)", VT_R8, 7.5 },
    { L"BARSCOUNT(3)", VT_I4, 3 },
    { L"SUM(5,3)", VT_R8, 5 },
    { L"ABS(-3)", VT_I4, 3 },
    { L"ABS(-2.5)", VT_R8, 2.5 },
    { L"REVERSE(2.5)", VT_R8, -2.5 },
    // A number of -1000000 is a number like any other, not a missing value.
    { L"ABS(-1000000.0)", VT_R8, 1000000 },
    { L"REVERSE(-1000000.0)", VT_R8, 1000000 },
    { L"NOT(0)", VT_R8, 1 },
    { L"NOT(3)", VT_R8, 0 },
    { L"MAX(5.5,3)", VT_R8, 5.5 },
    { L"MIN(5.5,3)", VT_R8, 3 },
    { L"CROSS(1,2)", VT_R8, 0 },
    { L"IF(1,2,3)", VT_I4, 2 },
    { L"IFN(1,2,3)", VT_I4, 3 },
    { L"RGB(255,0,0)", VT_I4, 255 },
    { L"RGB(0,0,255)", VT_I4, 16711680 },
    { L"RGB(0,1.9,256)", VT_I4, 256 },
    // Real results of integer arguments, and no NaN outside the domain.
    { L"ATAN(1)", VT_R8, 0.78539816339744828 },
    { L"ACOS(0)", VT_R8, 1.5707963267948966 },
    { L"ACOS(2)", VT_R8, -1000000.0 },
    { L"ASIN(-2)", VT_R8, -1000000.0 },
    { L"ZIG(7,5)", VT_I4, 7 },
};

TEST_F(FormulaFunctions, ScalarArguments)
{
    for (const ScalarCase& c : kScalarCases) {
        SCOPED_TRACE(Narrow(c.expression));
        const Outcome outcome = Evaluate(c.expression);
        ASSERT_TRUE(outcome.set) << "declined";
        EXPECT_FALSE(outcome.series);
        EXPECT_EQ(c.type, outcome.type);
        EXPECT_DOUBLE_EQ(c.value, outcome.number);
    }
}

struct SeriesCase
{
    const wchar_t* expression;
    Series expected;
};

// Closes 10, 11, ..., 20.
const SeriesCase kSeriesCases[] = {
    // A moving average of a derived series starts where that series has N
    // values; partial windows gave 4.0 and 8.33 at bars 3 and 4.
    { L"MA(MA(C,3),3)", { inv, inv, inv, inv, inv, 13, 14, 15, 16, 17, 18 } },
    { L"SUM(REF(C,5),3)", { inv, inv, inv, inv, inv, inv, inv, 33, 36, 39, 42 } },
    { L"MA(C,3.9)", { inv, inv, inv, 12, 13, 14, 15, 16, 17, 18, 19 } },
    { L"REF(C,1)", { inv, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19 } },
    { L"MAX(15.5,C)", { 15.5f, 15.5f, 15.5f, 15.5f, 15.5f, 15.5f, 16, 17, 18, 19, 20 } },
    { L"MIN(C,12.5)", { 10, 11, 12, 12.5f, 12.5f, 12.5f, 12.5f, 12.5f, 12.5f, 12.5f, 12.5f } },
    { L"IF(C>15,C,0)", { 0, 0, 0, 0, 0, 0, 16, 17, 18, 19, 20 } },
    { L"IF(1,C,O)", { 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20 } },
    { L"CROSS(C,14.5)", { 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0 } },
    { L"CROSS(14.5,C)", { 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 } },
    { L"BARSCOUNT(C)", { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 } },
    { L"EMA(C,1)", { 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20 } },
    { L"EXPMA(C,1)", { 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20 } },
    { L"EXPMEMA(C,1)", { 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20 } },
    { L"SMA(C,2,1)",
        { 10, 10.5f, 11.25f, 12.125f, 13.0625f, 14.03125f, 15.015625f, 16.0078125f, 17.00390625f,
            18.001953125f, 19.0009765625f } },
    { L"DMA(C,1)", { 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20 } },
    { L"DMA(C,C/C)", { 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20 } },
    { L"SLOPE(C,3)", { inv, inv, inv, 1, 1, 1, 1, 1, 1, 1, 1 } },
    { L"HHVBARS(C,0)", { 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 } },
    { L"LLVBARS(C,4)", { 0, 1, 2, 3, 3, 3, 3, 3, 3, 3, 3 } },
    { L"SUMBARS(C,21)", { inv, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1 } },
    { L"SUMBARS(C,40)", { inv, inv, inv, 1, 1, 1, 1, 1, 1, 1, 1 } },
    { L"UPNDAY(C,3)", { 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1 } },
    { L"DOWNNDAY(C,1)", { inv, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 } },
    { L"ABS(10-C)", { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 } },
    { L"REVERSE(C-15)", { 5, 4, 3, 2, 1, 0, -1, -2, -3, -4, -5 } },
    { L"NOT(C-12)", { 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0 } },
    { L"ACOS(C-11)", { 3.1415927f, 1.5707963f, 0, inv, inv, inv, inv, inv, inv, inv, inv } },
    { L"FILTER(C>12,3)", { 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0 } },
    { L"COUNT(C>12,3)", { 0, 0, 0, 1, 2, 3, 3, 3, 3, 3, 3 } },
    { L"EVERY(C>12,3)", { 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1 } },
    { L"BARSLAST(C=13)", { 1, 2, 3, 0, 1, 2, 3, 4, 5, 6, 7 } },
    { L"BACKSET(C=15,2)", { 0, 0, 0, 1, 1, 1, 0, 0, 0, 0, 0 } },
    { L"STD(C,2)",
        { inv, inv, 0.70710678f, 0.70710678f, 0.70710678f, 0.70710678f, 0.70710678f, 0.70710678f, 0.70710678f,
            0.70710678f, 0.70710678f } },
    { L"AVEDEV(C,2)", { inv, inv, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f } },
    { L"ZIG(C,50)", { 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20 } },
    // WINNER: a bar's chips spread from its low (C-1) to its high (C+1); each
    // bar's 100 lots cover the capital of 250 with three bars.
    { L"WINNER(C+5)", { 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1 } },
    { L"WINNER(C-5)", { 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 } },
};

TEST_F(FormulaFunctions, SeriesResults)
{
    for (const SeriesCase& c : kSeriesCases)
        ExpectSeries(c.expression, c.expected);
}

TEST_F(FormulaFunctions, WinnerIsTheShareBelowThePriceOfTheTurnoverWindow)
{
    // Three bars of equal volume, each a triangle over [C-1, C+1]; at the
    // newest close the two older bars lie wholly below it, the newest half.
    const Outcome outcome = Evaluate(L"WINNER(C)");
    ASSERT_TRUE(outcome.series);
    EXPECT_NEAR(0.5f, outcome.values[0], 0.02f);
    EXPECT_NEAR((1.0f + 1.0f + 0.5f) / 3, outcome.values[10], 0.02f);
}

TEST_F(FormulaFunctions, CountArgumentsThatAreSeriesFailTheCall)
{
    for (const wchar_t* expression : { L"MA(C,C)", L"HHV(C,C)", L"SMA(C,3,C)", L"ZIG(C,C)", L"RGB(C,0,0)",
             L"SUMBARS(C,C)", L"MA(C,\"3\")", L"MAX(C,\"a\")", L"MA(C)" }) {
        SCOPED_TRACE(Narrow(expression));
        EXPECT_FALSE(Evaluate(expression).set);
    }
    EXPECT_FALSE(Evaluate(L"CURRBARSCOUNT(C)").set);
    // Unbound names give nothing either.
    EXPECT_FALSE(Evaluate(L"MAA(C,5)").set);
}

TEST_F(FormulaFunctions, RefAndSumReadPerElementCountsWithinTheSeries)
{
    // Invalid, negative and too large counts read nothing outside the series.
    Series counts = { inv, -3, 99, 1, 2.9f, 0, -30, 1e9f, 3, 10, 10 };
    BindSeries(L"NS", counts);
    ExpectSeries(L"REF(C,NS)", { inv, 14, inv, 12, 12, 15, inv, inv, 15, inv, 10 });
    ExpectSeries(L"SUM(C,NS)", { inv, inv, inv, 13, 27, 0, inv, inv, 51, inv, 155 });
    ExpectSeries(L"REF(7,NS)", { inv, 7, inv, 7, 7, 7, inv, inv, 7, inv, 7 });
    // Shorter counts leave the rest invalid.
    Series shortCounts = { 1, 1 };
    BindSeries(L"SN", shortCounts);
    ExpectSeries(L"REF(C,SN)", { inv, 10, inv, inv, inv, inv, inv, inv, inv, inv, inv });
}

TEST_F(FormulaFunctions, CrossDoesNotFireAtTheEndOfAWarmUp)
{
    close = { 20, 19, 18, 17, 16, 15, 14, 16, 19 };
    host.ClearVariables();
    Bind();
    ExpectSeries(L"CROSS(MA(C,5),C)", { 0, inv, inv, inv, inv, 0, 0, 0, 0 });
    ExpectSeries(L"CROSS(C,MA(C,5))", { 0, inv, inv, inv, inv, 0, 0, 1, 0 });
}

TEST_F(FormulaFunctions, ZigWorksOnTheSelectedPriceSeries)
{
    close = { 10, 11, 12, 11.5f, 10, 9, 9.5f, 11, 12.5f, 12, 11 };
    host.ClearVariables();
    Bind();
    const Series zig = { 10, 11, 12, 11, 10, 9, 9.4f, 9.8f, 10.2f, 10.6f, 11 };
    ExpectSeries(L"ZIG(3,20)", zig);
    ExpectSeries(L"ZIG(CLOSE,20)", zig);
    ExpectSeries(L"ZIG(3.9,20.7)", zig);
    // 0 is OPEN, C - 0.5: the same shape half a unit lower. Its fall of 12.5 %
    // from bar 8 is no turn: the threshold is a percentage, not a count of bars
    // bounded by the series' length.
    Series lower = zig;
    for (float& v : lower)
        v -= 0.5f;
    ExpectSeries(L"ZIG(0,20)", lower);
}

TEST_F(FormulaFunctions, DrawLineInAStatementThatIsNotDrawn)
{
    close = { 10, 11, 12, 13, 14, 15 };
    host.ClearVariables();
    Bind();
    Series c1 = { 0, 1, 0, 0, 0, 0 }, c2 = { 0, 0, 0, 0, 1, 0 };
    Series p1 = { 10, 11, 12, 13, 14, 15 }, p2 = { 20, 21, 22, 23, 24, 25 };
    BindSeries(L"C1", c1);
    BindSeries(L"C2", c2);
    BindSeries(L"P1", p1);
    BindSeries(L"P2", p2);
    ExpectSeries(L"DRAWLINE(C1,P1,C2,P2,1)", { inv, 11, inv, inv, 24, inv });
    // Missing arguments count as 0: no extension, and a scalar condition 0
    // gives P1 where C1 holds.
    ExpectSeries(L"DRAWLINE(C1,P1)", { 0, 11, 0, 0, 0, 0 });
    ExpectSeries(L"DRAWLINE(C1,P1,1,P2)", { 0, 21, 0, 0, 0, 0 });
    EXPECT_FALSE(Evaluate(L"DRAWLINE(C1,P1,C2,P2,C)").set);
}

TEST_F(FormulaFunctions, WinnerOfAScalarOpenIsThatOpen)
{
    host.SetScalarVariable(L"OPEN", 4.5);
    const Outcome outcome = Evaluate(L"WINNER(C)");
    ASSERT_TRUE(outcome.set);
    EXPECT_FALSE(outcome.series);
    EXPECT_DOUBLE_EQ(4.5, outcome.number);
}

// A pool whose free buffers are full of a marker: no built-in may leave one
// of its elements, over one bar, two bars or thirty.
TEST_F(FormulaFunctions, NoBuiltinLeavesStalePoolData)
{
    const wchar_t* const expressions[] = { L"HHV(C,3)", L"LLV(C,3)", L"REF(C,2)", L"REF(C,NS)", L"REF(7,NS)",
        L"EMA(C,3)", L"EXPMA(C,3)", L"EXPMEMA(C,3)", L"MA(C,3)", L"SMA(C,3,1)", L"STD(C,3)", L"AVEDEV(C,3)",
        L"ABS(C)", L"ACOS(C)", L"ASIN(C)", L"ATAN(C)", L"SUM(C,3)", L"SUM(C,0)", L"SUM(C,NS)", L"MIN(C,O)",
        L"MAX(5,C)", L"NOT(C)", L"IF(C,C,O)", L"IFF(C,1,2)", L"IFN(C,1,O)", L"CROSS(C,O)", L"CROSS(5,C)",
        L"UPNDAY(C,2)", L"DOWNNDAY(C,2)", L"FILTER(C,2)", L"COUNT(C,3)", L"REVERSE(C)", L"BARSLAST(C)",
        L"HHVBARS(C,3)", L"LLVBARS(C,0)", L"BARSCOUNT(C)", L"SUMBARS(C,30)", L"BACKSET(C,2)", L"DMA(C,0.5)",
        L"DMA(C,NS)", L"ZIG(3,5)", L"ZIG(C,5)", L"WINNER(C)", L"EVERY(C,3)", L"SLOPE(C,3)",
        L"DRAWLINE(C,L,NS,H,1)", L"DRAWLINE(C,L,NS,H,0)", L"DRAWLINE(C,L,0,H,0)" };
    for (int bars : { 1, 2, 30 }) {
        for (const wchar_t* expression : expressions) {
            SCOPED_TRACE(Narrow(expression) + " over " + std::to_string(bars) + " bars");
            close.assign(bars, 0.0f);
            for (int i = 0; i < bars; ++i)
                close[i] = i % 7 == 3 ? inv : 10.0f + static_cast<float>((i * 37) % 11) / 4.0f;
            host.ClearVariables();
            Bind();
            Series counts(bars);
            for (int i = 0; i < bars; ++i)
                counts[i] = i % 3 == 1 ? inv : static_cast<float>(i % 4);
            BindSeries(L"NS", counts);
            // Once a run has let go of the last one's values: more buffers
            // than are free, full of the marker, so every free one that can
            // hold the series is among them (smaller ones are never given to
            // it). They are free again after the first statement of the next
            // run, so whichever the expression is given holds the marker.
            Evaluate(L"0");
            const size_t sentinels = host.GetPool()->CountFree() + 3;
            for (size_t k = 0; k < sentinels; ++k) {
                float* buffer = host.NewSeries(bars);
                std::fill(buffer, buffer + bars, kSentinel);
            }

            const Outcome outcome = Evaluate(expression);
            ASSERT_TRUE(outcome.series) << "no series";
            ASSERT_EQ(static_cast<size_t>(bars), outcome.values.size());
            for (int i = 0; i < bars; ++i)
                EXPECT_NE(kSentinel, outcome.values[i]) << "element " << i;
        }
    }
}

} // namespace
