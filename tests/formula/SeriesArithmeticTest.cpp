#include "formula/SeriesMath.h"
#include "tests/formula/SeriesTestStore.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

const float I = kInvalidValue;

// A formula operand: a series of elements or one scalar.
struct Operand
{
    bool series;
    std::vector<float> values;
};
Operand S(std::vector<float> values)
{
    return { true, values };
}
Operand K(float value)
{
    return { false, { value } };
}

struct ArithmeticCase
{
    const char* what;
    SeriesOperator op;
    Operand left;
    Operand right;
    std::vector<float> expected;
};

VARIANT MakeOperand(const Operand& operand, SeriesTestStore& store)
{
    if (operand.series)
        return store.Make(operand.values);
    VARIANT value;
    std::memset(&value, 0, sizeof value);
    WriteScalar(value, operand.values[0]);
    return value;
}

std::string Show(const std::vector<float>& values)
{
    std::string text;
    for (float v : values)
        text += (IsInvalidValue(v) ? std::string("inv") : std::to_string(v)) + " ";
    return text;
}

using Op = SeriesOperator;
// CLOSE with a zero and a gap; VOL with a zero.
const std::vector<float> C = { 10, 0, I, 4 };
const std::vector<float> VOL = { 2, 5, 1, 0 };

const ArithmeticCase kCases[] = {
    { "C/0 is invalid everywhere", Op::kDiv, S(C), K(0), { I, I, I, I } },
    { "C/VOL is invalid where VOL is 0 or either is invalid", Op::kDiv, S(C), S(VOL), { 5, 0, I, I } },
    { "0/C is invalid where C is 0 or invalid", Op::kDiv, K(0), S(C), { 0, I, I, 0 } },
    { "10-C", Op::kSub, K(10), S(C), { 0, 10, I, 6 } },
    { "C-10", Op::kSub, S(C), K(10), { 0, -10, I, -6 } },
    { "C+VOL", Op::kAdd, S(C), S(VOL), { 12, 5, I, 4 } },
    { "C*2", Op::kMul, S(C), K(2), { 20, 0, I, 8 } },
    { "an invalid scalar spoils every element", Op::kAdd, S(C), K(I), { I, I, I, I } },
    // Equality: scalar = series is the one form that is false on a missing value.
    { "4=C is 0 where C is invalid", Op::kEqual, K(4), S(C), { 0, 0, 0, 1 } },
    { "C=4 is invalid where C is invalid", Op::kEqual, S(C), K(4), { 0, 0, I, 1 } },
    { "A=B is invalid where one is invalid", Op::kEqual, S({ 1, 2, I }), S({ 1, 3, 3 }), { 1, 0, I } },
    { "an invalid scalar on the left of = gives 0", Op::kEqual, K(I), S(C), { 0, 0, 0, 0 } },
    { "!=", Op::kNotEqual, S(C), S({ 10, 1, 1, 4 }), { 0, 1, I, 0 } },
    { "<", Op::kLess, S(C), K(4), { 0, 1, I, 0 } },
    { "<=", Op::kLessEqual, K(4), S(C), { 1, 0, I, 1 } },
    { ">", Op::kGreater, S(C), S(VOL), { 1, 0, I, 1 } },
    { ">=", Op::kGreaterEqual, S(C), K(4), { 1, 0, I, 1 } },
    { "2 AND C", Op::kAnd, K(2), S(C), { 1, 0, I, 1 } },
    { "0 OR 0 on series", Op::kOr, S({ 0, 0, 3 }), S({ 0, 0, 0 }), { 0, 0, 1 } },
    { "A~B is 1 only where both are 0", Op::kBothZero, S({ 0, 1, 3, I }), S({ 0, 0, 5, 0 }), { 1, 0, 0, I } },
    // Operands of different counts: the left count, valid over the shorter.
    { "a shorter right operand leaves the rest invalid", Op::kAdd, S({ 1, 2, 3, 4 }), S({ 10, 20 }),
        { 11, 22, I, I } },
    { "a longer right operand is read over the left count", Op::kSub, S({ 5, 6 }), S({ 1, 1, 1, 1 }),
        { 4, 5 } },
    { "an empty right operand", Op::kMul, S({ 5, 6 }), S({}), { I, I } },
    // Results that do not fit a float are no values.
    { "overflow of a product", Op::kMul, S({ 3e38f, 2 }), K(10), { I, 20 } },
    { "overflow of a sum", Op::kAdd, K(3e38f), S({ 3e38f, 1 }), { I, 3e38f } },
    { "tiny divisors overflow too", Op::kDiv, S({ 1e30f }), K(1e-30f), { I } },
};

class SeriesArithmetic : public ::testing::TestWithParam<ArithmeticCase>
{
};

TEST_P(SeriesArithmetic, CombinesElementByElement)
{
    const ArithmeticCase& c = GetParam();
    SeriesTestStore store;
    VARIANT left = MakeOperand(c.left, store);
    VARIANT right = MakeOperand(c.right, store);
    VARIANT result;
    std::memset(&result, 0, sizeof result);
    SeriesMath math;
    ASSERT_TRUE(math.Combine(c.op, left, right, store, result)) << c.what;
    const std::vector<float> got = SeriesTestStore::Elements(result, store);
    EXPECT_EQ(Show(c.expected), Show(got)) << c.what;
    // The plain functions give the same elements as the VARIANT form.
    std::vector<float> plain(c.expected.size(), 12345.0f);
    if (c.left.series && c.right.series) {
        SeriesCombine(c.op, c.left.values.data(), static_cast<uint32_t>(c.left.values.size()),
            c.right.values.data(), static_cast<uint32_t>(c.right.values.size()), plain.data());
    } else if (c.left.series) {
        SeriesCombine(
            c.op, c.left.values.data(), static_cast<uint32_t>(plain.size()), c.right.values[0], plain.data());
    } else {
        SeriesCombine(
            c.op, c.left.values[0], c.right.values.data(), static_cast<uint32_t>(plain.size()), plain.data());
    }
    EXPECT_EQ(Show(c.expected), Show(plain)) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Table, SeriesArithmetic, ::testing::ValuesIn(kCases));

TEST(SeriesArithmeticForms, NamedOperationsPickTheirForm)
{
    const float c[] = { 10, 0, I };
    float out[3];
    SeriesSub(10.0f, c, 3, out);
    EXPECT_EQ(0, out[0]);
    EXPECT_EQ(10, out[1]);
    EXPECT_EQ(I, out[2]);
    SeriesSub(c, 3, 10.0f, out);
    EXPECT_EQ(0, out[0]);
    EXPECT_EQ(-10, out[1]);
    EXPECT_EQ(I, out[2]);
    // The result may be the left operand itself.
    float a[] = { 1, 2, 3 };
    SeriesAdd(a, 3, a, 3, a);
    EXPECT_EQ(2, a[0]);
    EXPECT_EQ(6, a[2]);
}

TEST(SeriesArithmeticForms, NegateKeepsInvalidElements)
{
    SeriesTestStore store;
    VARIANT close = store.Make({ 10, I, -2, 0 });
    VARIANT result;
    std::memset(&result, 0, sizeof result);
    SeriesMath math;
    ASSERT_TRUE(math.Negate(close, store, result));
    EXPECT_EQ(Show({ -10, I, 2, 0 }), Show(SeriesTestStore::Elements(result, store)));
    VARIANT scalar;
    std::memset(&scalar, 0, sizeof scalar);
    WriteScalar(scalar, 3);
    EXPECT_FALSE(math.Negate(scalar, store, result));
}

// Long series are combined several elements at a time; every element must
// come out as it does alone, wherever it stands in the series, for values at
// the edges of the rule: zeros of both signs, the float range's ends, tiny
// and subnormal numbers, infinities, NaN and the invalid value.
TEST(SeriesArithmeticForms, AnElementInALongSeriesIsCombinedAsOnItsOwn)
{
    const float kNaN = std::nanf("");
    const float kInf = HUGE_VALF;
    const std::vector<float> edges = { 0.0f, -0.0f, 1.0f, -1.0f, 0.1f, 1.0f / 3.0f, 2.5f, 16777217.0f, 3e38f,
        -3e38f, 3.4028235e38f, 1.7e38f, 1e30f, 1e-30f, 1e-45f, -1e-38f, kInf, -kInf, kNaN, I, 1e6f, 7.0f };
    // Every pair of edge values, then two more, so that the count is no
    // multiple of anything and the last pairs fall in a tail.
    std::vector<float> left, right;
    for (float a : edges) {
        for (float b : edges) {
            left.push_back(a);
            right.push_back(b);
        }
    }
    left.push_back(4.0f);
    right.push_back(0.0f);
    left.push_back(I);
    right.push_back(2.0f);
    const uint32_t n = static_cast<uint32_t>(left.size());
    const Op ops[] = { Op::kAdd, Op::kSub, Op::kMul, Op::kDiv, Op::kEqual, Op::kNotEqual, Op::kLess,
        Op::kLessEqual, Op::kGreater, Op::kGreaterEqual, Op::kAnd, Op::kOr, Op::kBothZero };
    const auto same = [](float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    for (Op op : ops) {
        for (const float scalar : { 0.0f, 3e38f, -1e-30f, 1e6f, kNaN, 0.5f }) {
            std::vector<float> both(n), withScalar(n), scalarWith(n);
            SeriesCombine(op, left.data(), n, right.data(), n, both.data());
            SeriesCombine(op, left.data(), n, scalar, withScalar.data());
            SeriesCombine(op, scalar, right.data(), n, scalarWith.data());
            for (uint32_t i = 0; i < n; ++i) {
                float alone = 0;
                SeriesCombine(op, &left[i], 1, &right[i], 1, &alone);
                ASSERT_TRUE(same(alone, both[i]))
                    << "op " << static_cast<int>(op) << ": " << left[i] << " with " << right[i] << " gives "
                    << both[i] << " in a series, " << alone << " alone";
                SeriesCombine(op, &left[i], 1, scalar, &alone);
                ASSERT_TRUE(same(alone, withScalar[i]))
                    << "op " << static_cast<int>(op) << ": " << left[i] << " with the number " << scalar;
                SeriesCombine(op, scalar, &right[i], 1, &alone);
                ASSERT_TRUE(same(alone, scalarWith[i]))
                    << "op " << static_cast<int>(op) << ": the number " << scalar << " with " << right[i];
            }
        }
    }
}

// Five-minute histories pass 65,535 bars: the count is carried in 32 bits.
TEST(SeriesArithmeticForms, SeventyThousandElements)
{
    const uint32_t n = 70000;
    std::vector<float> close(n);
    for (uint32_t i = 0; i < n; ++i)
        close[i] = static_cast<float>(i % 1000);
    close[n - 2] = I;
    SeriesTestStore store;
    VARIANT left = store.Make(close);
    EXPECT_EQ(n, SeriesCountOf(left));
    EXPECT_NE(0, left.wReserved3);
    VARIANT right;
    std::memset(&right, 0, sizeof right);
    WriteScalar(right, 0.5);
    VARIANT result;
    std::memset(&result, 0, sizeof result);
    SeriesMath math;
    ASSERT_TRUE(math.Combine(Op::kAdd, left, right, store, result));
    const std::vector<float> got = SeriesTestStore::Elements(result, store);
    ASSERT_EQ(n, got.size());
    EXPECT_EQ(0.5f, got[0]);
    EXPECT_EQ(I, got[n - 2]);
    EXPECT_EQ(999.5f, got[n - 1]);
}

TEST(SeriesOperands, ScalarsAreReadByTheirType)
{
    struct ScalarCase
    {
        VARTYPE type;
        LONGLONG bits; // the value field
        bool number;
        double expected;
    };
    VARIANT probe;
    std::memset(&probe, 0, sizeof probe);
    probe.dblVal = 5.0; // leftovers a reused VARIANT might carry above a short field
    const LONGLONG fiveAsDouble = probe.llVal;
    const ScalarCase cases[] = {
        { VT_I4, 7, true, 7 },
        { VT_R8, fiveAsDouble, true, 5 },
        // A comparison's result in a VARIANT that held 5.0: only the BOOL counts.
        { VT_BOOL, (fiveAsDouble & ~0xFFFFLL) | 0xFFFF, true, 1 },
        { VT_BOOL, fiveAsDouble & ~0xFFFFLL, true, 0 },
        { VT_I2, (fiveAsDouble & ~0xFFFFLL) | 3, true, 3 },
        { VT_EMPTY, fiveAsDouble, false, 0 },
        { VT_NULL, 0, false, 0 },
        { VT_DATE, fiveAsDouble, false, 0 },
    };
    for (const ScalarCase& c : cases) {
        VARIANT value;
        std::memset(&value, 0, sizeof value);
        value.vt = c.type;
        value.llVal = c.bits;
        double number = -1;
        EXPECT_EQ(c.number, ReadScalar(value, number)) << c.type;
        if (c.number) {
            EXPECT_EQ(c.expected, number) << c.type;
        }
    }
    VARIANT text;
    std::memset(&text, 0, sizeof text);
    text.vt = VT_BSTR;
    text.bstrVal = ::SysAllocString(L"5");
    double number = 0;
    EXPECT_FALSE(ReadScalar(text, number));
    ::VariantClear(&text);
}

TEST(SeriesOperands, OnlyTheStoresOwnBuffersAreSeries)
{
    SeriesTestStore store;
    VARIANT close = store.Make({ 1, 2, 3 });
    SeriesView view;
    ASSERT_TRUE(ReadSeries(close, store, view));
    EXPECT_EQ(3u, view.count);

    // A number whose reserved words happen to hold the marker.
    VARIANT number;
    std::memset(&number, 0, sizeof number);
    number.vt = VT_I4;
    number.lVal = 42;
    number.wReserved1 = kSeriesMarker;
    number.wReserved2 = 3;
    EXPECT_FALSE(ReadSeries(number, store, view));

    // Marked, but pointing at memory the store never handed out.
    float foreign[3] = { 1, 2, 3 };
    VARIANT stray;
    std::memset(&stray, 0, sizeof stray);
    WriteSeries(stray, foreign, 3);
    EXPECT_FALSE(ReadSeries(stray, store, view));

    // One of the store's buffers, but claiming more elements than it holds.
    VARIANT overlong = close;
    overlong.wReserved3 = 1;
    EXPECT_FALSE(ReadSeries(overlong, store, view));

    // None of them takes part in series arithmetic: with a scalar beside them
    // the operation is declined and left to the interpreter.
    VARIANT two;
    std::memset(&two, 0, sizeof two);
    WriteScalar(two, 2);
    VARIANT result;
    std::memset(&result, 0, sizeof result);
    SeriesMath math;
    EXPECT_FALSE(math.Combine(Op::kAdd, number, two, store, result));
    EXPECT_FALSE(math.Combine(Op::kAdd, two, stray, store, result));
    EXPECT_FALSE(math.Combine(Op::kAdd, overlong, two, store, result));
    EXPECT_EQ(0, store.newSeriesCalls);
}

TEST(SeriesOperands, StringsAndTwoScalarsAreDeclined)
{
    SeriesTestStore store;
    VARIANT close = store.Make({ 1, 2 });
    VARIANT text;
    std::memset(&text, 0, sizeof text);
    text.vt = VT_BSTR;
    text.bstrVal = ::SysAllocString(L"a");
    VARIANT two;
    std::memset(&two, 0, sizeof two);
    WriteInteger(two, 2);
    SeriesMath math;
    EXPECT_FALSE(math.Combine(Op::kAdd, text, close, store, text));
    EXPECT_EQ(VT_BSTR, text.vt); // untouched: still the interpreter's string
    EXPECT_FALSE(math.Combine(Op::kAdd, close, text, store, close));
    EXPECT_FALSE(math.Combine(Op::kAdd, two, two, store, two));
    ::VariantClear(&text);

    // A number on the left becomes a series result in the left operand's place.
    ASSERT_TRUE(math.Combine(Op::kSub, two, close, store, two));
    EXPECT_EQ(VT_EMPTY, two.vt);
    EXPECT_EQ(Show({ 1, 0 }), Show(SeriesTestStore::Elements(two, store)));
}

}
