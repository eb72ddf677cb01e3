// The built-in workers on the small cases that pin their rules down: warm-ups,
// invalid elements, ties, counts out of range, and the worked examples.
#include "formula/FormulaKernels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using Series = std::vector<float>;
const float inv = kInvalidValue;
const float kSentinel = 12345.0f;

using Worker = std::function<void(const Series&, float*)>;

Series Apply(const Worker& worker, const Series& x, size_t count = SIZE_MAX)
{
    Series out(count == SIZE_MAX ? x.size() : count, kSentinel);
    worker(x, out.data());
    return out;
}

int Count(const Series& x)
{
    return static_cast<int>(x.size());
}

SeriesOperand Of(const Series& x)
{
    return SeriesOperand::Series(x.data(), Count(x));
}

std::string Show(const Series& values)
{
    std::string text = "{";
    for (float v : values)
        text += (text.size() > 1 ? ", " : "") + (IsInvalidValue(v) ? std::string("inv") : std::to_string(v));
    return text + "}";
}

void ExpectSeries(const Series& expected, const Series& actual)
{
    ASSERT_EQ(expected.size(), actual.size()) << Show(actual);
    for (size_t i = 0; i < expected.size(); ++i) {
        if (IsInvalidValue(expected[i]) || IsInvalidValue(actual[i]))
            EXPECT_EQ(expected[i], actual[i]) << "element " << i << " of " << Show(actual);
        else
            EXPECT_NEAR(expected[i], actual[i], 1e-4 * std::max(1.0f, std::fabs(expected[i])))
                << "element " << i << " of " << Show(actual);
    }
}

struct WorkerCase
{
    const char* name;
    Worker worker;
    Series input;
    Series expected;
};

class FormulaWorkerTable : public ::testing::TestWithParam<WorkerCase>
{
};

TEST_P(FormulaWorkerTable, GivesTheListedSeries)
{
    ExpectSeries(GetParam().expected, Apply(GetParam().worker, GetParam().input));
}

// The documented cases of the built-ins, with MAX symmetric.
const WorkerCase kDocumentedCases[] = {
    { "HhvAtAnInvalidElementTakesTheLargestValidOne",
        [](const Series& x, float* o) { SeriesHHV(x.data(), Count(x), 3, o); }, { 4, 7, inv, 5 },
        { 4, 7, 7, 7 } },
    { "LlvAtAnInvalidElementStaysInvalid",
        [](const Series& x, float* o) { SeriesLLV(x.data(), Count(x), 3, o); }, { 4, 7, inv, 5 },
        { 4, 4, inv, 5 } },
    { "HhvOfZeroIsTheInput", [](const Series& x, float* o) { SeriesHHV(x.data(), Count(x), 0, o); },
        { 3, inv, 1 }, { 3, inv, 1 } },
    { "LlvOfZeroIsTheInput", [](const Series& x, float* o) { SeriesLLV(x.data(), Count(x), 0, o); },
        { 3, inv, 1 }, { 3, inv, 1 } },
    { "RefStartsInvalid", [](const Series& x, float* o) { SeriesREF(x.data(), Count(x), 1, o); }, { 1, 2, 3 },
        { inv, 1, 2 } },
    { "MaOfThreeOnThreeElementsIsAllInvalid",
        [](const Series& x, float* o) { SeriesMA(x.data(), Count(x), 3, o); }, { 1, 2, 3 },
        { inv, inv, inv } },
    { "MaStartsAtElementN", [](const Series& x, float* o) { SeriesMA(x.data(), Count(x), 3, o); },
        { 1, 2, 3, 4, 5 }, { inv, inv, inv, 3, 4 } },
    { "EmaOfOneIsTheInput", [](const Series& x, float* o) { SeriesEMA(x.data(), Count(x), 1, o); },
        { 3, 8, 1 }, { 3, 8, 1 } },
    { "EmaSeedsOnItsFirstValidElement",
        [](const Series& x, float* o) { SeriesEMA(x.data(), Count(x), 3, o); }, { inv, inv, 4, 6 },
        { inv, inv, 4, 5 } },
    { "Sma", [](const Series& x, float* o) { SeriesSMA(x.data(), Count(x), 3, 1, o); }, { 10, 11, 9 },
        { 10, 31.0f / 3, 89.0f / 9 } },
    { "FilterHidesTheNextBars", [](const Series& x, float* o) { SeriesFILTER(x.data(), Count(x), 2, o); },
        { 0, 1, 1, 0, 2, inv, 1, 0, 0, 1 }, { 0, 1, 0, 0, 1, 0, 0, 0, 0, 1 } },
    { "UpndayRising", [](const Series& x, float* o) { SeriesUPNDAY(x.data(), Count(x), 2, o); },
        { 10, 11, 12 }, { 0, 0, 1 } },
    { "UpndayEqualNeighboursKeepTheRun",
        [](const Series& x, float* o) { SeriesUPNDAY(x.data(), Count(x), 3, o); }, { 10, 11, 11, 12 },
        { 0, 0, 0, 1 } },
    { "UpndayInvalidPair", [](const Series& x, float* o) { SeriesUPNDAY(x.data(), Count(x), 2, o); },
        { 10, inv, 12, 13, 14 }, { 0, inv, inv, inv, 1 } },
    { "Downnday", [](const Series& x, float* o) { EXPECT_TRUE(SeriesDOWNNDAY(x.data(), Count(x), 2, o)); },
        { 11, 10, 9 }, { inv, inv, 1 } },
    { "CountIsZeroBeforeAFullWindow",
        [](const Series& x, float* o) { SeriesCOUNT(x.data(), Count(x), 3, o); }, { 1, 1, 1, 0, inv },
        { 0, 0, 3, 2, 2 } },
    { "EveryIsZeroThroughElementN", [](const Series& x, float* o) { SeriesEVERY(x.data(), Count(x), 2, o); },
        { 1, 1, 1, 0, inv, 2 }, { 0, 0, 1, 0, 0, 1 } },
    { "Barslast", [](const Series& x, float* o) { SeriesBARSLAST(x.data(), Count(x), o); }, { 0, 0, 1, 0 },
        { 1, 2, 0, 1 } },
    { "HhvbarsInAWindowTiesToTheOlderBar",
        [](const Series& x, float* o) { EXPECT_TRUE(SeriesHHVBARS(x.data(), Count(x), 3, o)); }, { 5, 5, 5 },
        { 0, 1, 2 } },
    { "HhvbarsOverTheHistoryTiesToTheNewerBar",
        [](const Series& x, float* o) { EXPECT_TRUE(SeriesHHVBARS(x.data(), Count(x), 0, o)); }, { 5, 5, 5 },
        { 0, 0, 0 } },
    { "LlvbarsOverTheHistoryTakesAnInvalidElementAsTheLowest",
        [](const Series& x, float* o) { EXPECT_TRUE(SeriesLLVBARS(x.data(), Count(x), 0, o)); },
        { 5, inv, 4, 6 }, { 0, 0, 1, 2 } },
    { "Slope", [](const Series& x, float* o) { SeriesSLOPE(x.data(), Count(x), 2, o); },
        { 1, 2, 3, 4, 5, 7, 9 }, { inv, inv, 1, 1, 1, 2, 2 } },
    { "Backset", [](const Series& x, float* o) { EXPECT_TRUE(SeriesBACKSET(x.data(), Count(x), 1, o)); },
        { 0, 1, 1, 0 }, { 0, 1, 1, 0 } },
    { "BacksetClearsTheBarsBeforeItsReach",
        [](const Series& x, float* o) { EXPECT_TRUE(SeriesBACKSET(x.data(), Count(x), 2, o)); },
        { 0, 0, 1, 0, 0, 0, 1, 0 }, { 1, 1, 0, 0, 1, 1, 1, 0 } },
    { "MaxOfAFractionalScalarAndASeriesComparesWithTheFraction",
        [](const Series& x, float* o) { SeriesMAX(SeriesOperand::Scalar(5.5f), Of(x), Count(x), o); },
        { 5.2f, 5.7f, inv }, { 5.5f, 5.7f, inv } },
    { "MinOfAFractionalScalarAndASeries",
        [](const Series& x, float* o) { SeriesMIN(SeriesOperand::Scalar(5.5f), Of(x), Count(x), o); },
        { 5.2f, 5.7f }, { 5.2f, 5.5f } },
};

INSTANTIATE_TEST_SUITE_P(Documented, FormulaWorkerTable, ::testing::ValuesIn(kDocumentedCases),
    [](const ::testing::TestParamInfo<WorkerCase>& info) { return std::string(info.param.name); });

const Series kCloses = { 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20 };

// Where the plain text gave wrong numbers or touched memory it does not own.
const WorkerCase kMendedCases[] = {
    // Partial sums of the warm-up gave 4.0 and 8.33 at bars 3 and 4.
    { "MaOfAMovingAverageStartsAfterItsWarmUp",
        [](const Series& x, float* o) {
            Series inner(x.size());
            SeriesMA(x.data(), Count(x), 3, inner.data());
            SeriesMA(inner.data(), Count(x), 3, o);
        },
        kCloses, { inv, inv, inv, inv, inv, 13, 14, 15, 16, 17, 18 } },
    { "SumOfAReferenceStartsAfterItsWarmUp",
        [](const Series& x, float* o) {
            Series shifted(x.size());
            SeriesREF(x.data(), Count(x), 5, shifted.data());
            SeriesSUM(shifted.data(), Count(x), 3, o);
        },
        kCloses, { inv, inv, inv, inv, inv, inv, inv, 33, 36, 39, 42 } },
    { "StdOverAGapIsInvalid", [](const Series& x, float* o) { SeriesSTD(x.data(), Count(x), 2, o); },
        { 1, 3, inv, 5, 9, 9, 9 }, { inv, inv, inv, inv, std::sqrt(8.0f), 0, 0 } },
    { "AvedevOverAGapIsInvalid", [](const Series& x, float* o) { SeriesAVEDEV(x.data(), Count(x), 2, o); },
        { 1, 3, inv, 5, 9, 9 }, { inv, inv, inv, inv, 2, 0 } },
    { "EmaGoesOnFromTheLastValidResultAfterAGap",
        [](const Series& x, float* o) { SeriesEMA(x.data(), Count(x), 3, o); }, { 10, inv, 12, 14 },
        { 10, inv, 11, 12.5f } },
    { "SmaGoesOnAfterAGap", [](const Series& x, float* o) { SeriesSMA(x.data(), Count(x), 2, 1, o); },
        { 10, inv, 12 }, { 10, inv, 11 } },
    { "DmaGoesOnAfterAGap", [](const Series& x, float* o) { SeriesDMA(x.data(), Count(x), 0.5, o); },
        { 10, inv, 12 }, { 10, inv, 11 } },
    { "DmaWithAnInvalidWeightKeepsThePreviousResult",
        [](const Series& x, float* o) {
            const Series weights = { 0.5f, inv, 0.5f };
            SeriesDMAByWeights(x.data(), Count(x), weights.data(), Count(weights), o);
        },
        { 10, 20, 30 }, { 10, inv, 20 } },
    { "DmaWeightsShorterThanTheSeries",
        [](const Series& x, float* o) {
            const Series weights = { 0.5f, 0.5f };
            SeriesDMAByWeights(x.data(), Count(x), weights.data(), Count(weights), o);
        },
        { 10, 20, 30 }, { 10, 15, inv } },
    { "AcosOutsideItsDomainIsInvalid", [](const Series& x, float* o) { SeriesACOS(x.data(), Count(x), o); },
        { 2, -1, 1, inv }, { inv, 3.14159265f, 0, inv } },
    { "AsinOutsideItsDomainIsInvalid", [](const Series& x, float* o) { SeriesASIN(x.data(), Count(x), o); },
        { -1.5f, 0.5f }, { inv, 0.52359878f } },
    { "RefByInvalidNegativeOrTooLargeDistancesReadsNothing",
        [](const Series& x, float* o) {
            const Series distances = { inv, -30, 99, 1, 1.9f, 0 };
            SeriesREFByDistances(Of(x), Of(distances), Count(x), o);
        },
        { 1, 2, 3, 4, 5, 6, 7 }, { inv, inv, inv, 3, 4, 6, inv } },
    { "RefOfAScalarByDistances",
        [](const Series& x, float* o) { SeriesREFByDistances(SeriesOperand::Scalar(7), Of(x), Count(x), o); },
        { 0, 2, 1, -1 }, { 7, inv, 7, inv } },
    { "SumByInvalidNegativeOrTooLargeCountsReadsNothing",
        [](const Series& x, float* o) {
            const Series counts = { inv, -3, 99, 2, 0, 3 };
            SeriesSUMByCounts(x.data(), Count(x), counts.data(), Count(counts), o);
        },
        { 1, 2, 3, 4, 5, 6, 7 }, { inv, inv, inv, 7, 0, 15, inv } },
    { "SumByCountsOverAGapIsInvalid",
        [](const Series& x, float* o) {
            const Series counts = { 0, 1, 2, 2, 2 };
            SeriesSUMByCounts(x.data(), Count(x), counts.data(), Count(counts), o);
        },
        { 1, inv, 3, 4, 5 }, { 0, inv, inv, 7, 9 } },
    { "RunningSumSkipsInvalidElements",
        [](const Series& x, float* o) { SeriesSUM(x.data(), Count(x), 0, o); }, { 1, inv, 3 },
        { 1, inv, 4 } },
    { "MaOfAWindowBeyondAnyCountIsInvalid",
        [](const Series& x, float* o) { SeriesMA(x.data(), Count(x), INT_MAX, o); }, { 1, 2 }, { inv, inv } },
    { "RefOfTheLowestIntIsInvalid",
        [](const Series& x, float* o) { SeriesREF(x.data(), Count(x), INT_MIN, o); }, { 1, 2 },
        { inv, inv } },
    { "RefOfANegativeDistanceLooksAheadWithinTheSeries",
        [](const Series& x, float* o) { SeriesREF(x.data(), Count(x), -1, o); }, { 1, 2, 3 }, { 2, 3, inv } },
    { "MaOfZeroIsInvalid", [](const Series& x, float* o) { SeriesMA(x.data(), Count(x), 0, o); }, { 1, 2 },
        { inv, inv } },
    { "SmaOfZeroIsInvalid", [](const Series& x, float* o) { SeriesSMA(x.data(), Count(x), 0, 1, o); },
        { 1, 2 }, { inv, inv } },
    { "EmaOfMinusOneIsInvalid", [](const Series& x, float* o) { SeriesEMA(x.data(), Count(x), -1, o); },
        { 1, 2 }, { inv, inv } },
    { "StdOfOneIsInvalid", [](const Series& x, float* o) { SeriesSTD(x.data(), Count(x), 1, o); },
        { 1, 2, 3 }, { inv, inv, inv } },
    { "SlopeOfOneIsInvalid", [](const Series& x, float* o) { SeriesSLOPE(x.data(), Count(x), 1, o); },
        { 1, 2, 3 }, { inv, inv, inv } },
    { "SlopeOfAFlatWindowIsNotInvalid",
        [](const Series& x, float* o) { SeriesSLOPE(x.data(), Count(x), 2, o); }, { 4, 4, 4 },
        { inv, inv, 0 } },
    { "StdOfAFlatRunIsExactlyZero", [](const Series& x, float* o) { SeriesSTD(x.data(), Count(x), 3, o); },
        { 1000.1f, 999.7f, 1000.3f, 1000.3f, 1000.3f, 1000.3f }, { inv, inv, inv, 0.3464102f, 0, 0 } },
    { "StdOfZeroMeanIsInvalid", [](const Series& x, float* o) { SeriesSTD(x.data(), Count(x), 2, o); },
        { -1, 1, -1, 1, 0, 0 }, { inv, inv, inv, inv, 0.7071068f, inv } },
    { "SmaWithAnOverweightDivergesToInvalidNotInfinity",
        [](const Series&, float* o) {
            Series longer(400, 1.0f);
            longer[0] = 1e30f;
            SeriesSMA(longer.data(), Count(longer), 1, 3, longer.data());
            o[0] = longer.back();
        },
        { 0 }, { inv } },
};

INSTANTIATE_TEST_SUITE_P(Mended, FormulaWorkerTable, ::testing::ValuesIn(kMendedCases),
    [](const ::testing::TestParamInfo<WorkerCase>& info) { return std::string(info.param.name); });

TEST(FormulaCross, DoesNotFireAtTheEndOfAWarmUp)
{
    // Falling prices: the average is above the price from its first value on,
    // and the invalid warm-up before it is not a crossing from below.
    const Series closes = { 20, 19, 18, 17, 16, 15, 14, 16, 19 };
    Series average(closes.size());
    SeriesMA(closes.data(), Count(closes), 5, average.data());
    Series out(closes.size(), kSentinel);
    SeriesCROSS(Of(average), Of(closes), Count(closes), out.data());
    ExpectSeries({ 0, inv, inv, inv, inv, 0, 0, 0, 0 }, out);
    SeriesCROSS(Of(closes), Of(average), Count(closes), out.data());
    ExpectSeries({ 0, inv, inv, inv, inv, 0, 0, 1, 0 }, out);
}

TEST(FormulaCross, ScalarForms)
{
    const Series x = { 9, 11, 12, 10, inv, 12 };
    Series out(x.size(), kSentinel);
    SeriesCROSS(Of(x), SeriesOperand::Scalar(10.5f), Count(x), out.data());
    ExpectSeries({ 0, 1, 0, 0, inv, 0 }, out);
    SeriesCROSS(SeriesOperand::Scalar(10.5f), Of(x), Count(x), out.data());
    ExpectSeries({ 0, 0, 0, 1, inv, 0 }, out);
}

TEST(FormulaZig, TurnsAtTheExtremesAndRunsTheLastLegToTheLastBar)
{
    const Series prices = { 10, 11, 12, 11.5f, 10, 9, 9.5f, 11, 12.5f, 12, 11 };
    Series out(prices.size(), kSentinel);
    ASSERT_TRUE(SeriesZIG(prices.data(), Count(prices), 20, out.data()));
    ExpectSeries({ 10, 11, 12, 11, 10, 9, 9.4f, 9.8f, 10.2f, 10.6f, 11 }, out);
}

TEST(FormulaZig, ShortOrInvalidSeriesAreWrittenInvalid)
{
    for (const Series& prices : { Series { 10, 12 }, Series { inv, inv, inv, inv }, Series { 5 } }) {
        Series out(prices.size(), kSentinel);
        ASSERT_TRUE(SeriesZIG(prices.data(), Count(prices), 10, out.data()));
        ExpectSeries(Series(prices.size(), inv), out);
    }
    const Series leading = { inv, 10, 13, 10 };
    Series out(leading.size(), kSentinel);
    ASSERT_TRUE(SeriesZIG(leading.data(), Count(leading), 20, out.data()));
    ExpectSeries({ inv, 10, 13, 10 }, out);
}

TEST(FormulaDrawLine, JoinsTheLatestStartBeforeEachEnd)
{
    const Series starts = { 0, 1, 0, 0, 0, 0 };
    const Series ends = { 0, 0, 0, 0, 1, 0 };
    const Series p1 = { 10, 11, 12, 13, 14, 15 };
    const Series p2 = { 20, 21, 22, 23, 24, 25 };
    Series out(starts.size(), kSentinel);
    SeriesDRAWLINE(starts.data(), Count(starts), Of(p1), Of(ends), Of(p2), 1, out.data());
    ExpectSeries({ inv, 11, inv, inv, 24, inv }, out);

    // Two lines; the starts and ends between an end and its start are not anchors.
    const Series starts2 = { 1, 0, 1, 1, 0, 0, 0 };
    const Series ends2 = { 0, 1, 0, 0, 1, 1, 0 };
    out.assign(starts2.size(), kSentinel);
    SeriesDRAWLINE(starts2.data(), Count(starts2), SeriesOperand::Scalar(1), Of(ends2),
        SeriesOperand::Scalar(2), 1, out.data());
    ExpectSeries({ 1, 2, inv, 1, inv, 2, inv }, out);
}

TEST(FormulaDrawLine, WithoutExtension)
{
    const Series c1 = { 0, 1, inv, 1 };
    const Series p1 = { 10, 11, 12, 13 };
    const Series p2 = { 20, 21, 22, 23 };
    Series out(c1.size(), kSentinel);
    SeriesDRAWLINE(c1.data(), Count(c1), Of(p1), SeriesOperand::Scalar(0), Of(p2), 0, out.data());
    ExpectSeries({ 0, 11, inv, 13 }, out);
    SeriesDRAWLINE(c1.data(), Count(c1), Of(p1), SeriesOperand::Scalar(1), Of(p2), 0, out.data());
    ExpectSeries({ 0, 21, inv, 23 }, out);
    // Series conditions: the latest end, and the starts after it.
    const Series c2 = { 0, 1, 0, 0 };
    const Series c1After = { 1, 0, 1, 1 };
    SeriesDRAWLINE(c1After.data(), Count(c1After), Of(p1), Of(c2), Of(p2), 0, out.data());
    ExpectSeries({ inv, 21, 12, 13 }, out);
}

TEST(FormulaWindowSums, AHugeElementLeavesNoErrorOnceItLeavesTheWindow)
{
    // 1e20 swallows the ones beside it in any sum that holds it; once it has
    // left the window the sums are those of the ones again.
    {
        const Series x = { 1e20f, 1, 1, 1, 1, 1 };
        ExpectSeries({ inv, inv, 1, 1, 1, 1 }, Apply([](const Series& in, float* out) { SeriesMA(in.data(), Count(in), 2, out); }, x));
        ExpectSeries({ inv, inv, 2, 2, 2, 2 }, Apply([](const Series& in, float* out) { SeriesSUM(in.data(), Count(in), 2, out); }, x));
    }
    // Anywhere in a long series, with and without invalid elements in it.
    for (bool gap : { false, true }) {
        SCOPED_TRACE(gap ? "with a gap" : "without a gap");
        Series x(3000, 1.0f);
        x[1500] = -3e19f;
        x[2200] = 2e20f;
        if (gap)
            x[100] = inv;
        Series ma(x.size(), kSentinel);
        Series sum(x.size(), kSentinel);
        SeriesMA(x.data(), Count(x), 5, ma.data());
        SeriesSUM(x.data(), Count(x), 5, sum.data());
        for (int i = 5; i < Count(x); ++i) {
            const bool huge = (i >= 1500 && i < 1505) || (i >= 2200 && i < 2205);
            const bool invalid = gap && i >= 100 && i < 105;
            if (huge || invalid)
                continue;
            ASSERT_EQ(1.0f, ma[i]) << i;
            ASSERT_EQ(5.0f, sum[i]) << i;
        }
    }
}

// The windowed sums one element after another, as the rules define their
// rounding: doubles around a pivot for STD, a running sum with its error kept
// for MA and SUM, taken afresh every max(n, 1024) + 1 elements (STD: at the
// next valid element from there). The workers walk several of those
// stretches at once; each element must come out with the same bits.
Series WalkStd(const Series& x, int n)
{
    const int count = Count(x);
    Series out(x.size(), inv);
    double pivot = 0, sum = 0, squares = 0;
    int invalid = 0, flat = 1, since = std::max(n, 1024);
    const auto add = [&](float v, int sign) {
        if (IsInvalidValue(v)) {
            invalid += sign;
            return;
        }
        const double y = v - pivot;
        sum += sign * y;
        squares += sign * (y * y);
    };
    for (int i = 0; i < n; ++i) {
        add(x[i], 1);
        flat = i > 0 && x[i] == x[i - 1] ? flat + 1 : 1;
    }
    for (int i = n; i < count; ++i) {
        flat = x[i] == x[i - 1] ? flat + 1 : 1;
        if (since >= std::max(n, 1024) && !IsInvalidValue(x[i])) {
            pivot = x[i];
            sum = squares = 0;
            invalid = 0;
            for (int j = i - n + 1; j <= i; ++j)
                add(x[j], 1);
            since = 0;
        } else if (IsInvalidValue(x[i]) || IsInvalidValue(x[i - n])) {
            add(x[i], 1);
            add(x[i - n], -1);
            ++since;
        } else {
            const double in = x[i] - pivot, away = x[i - n] - pivot;
            sum += in - away;
            squares += in * in - away * away;
            ++since;
        }
        if (invalid)
            continue;
        const float mean = flat >= n ? x[i] : static_cast<float>(sum * (1.0 / n) + pivot);
        if (mean == 0.0f || flat >= n) {
            out[i] = mean == 0.0f ? inv : 0.0f;
            continue;
        }
        const double d = mean - pivot;
        const double s = squares - 2.0 * d * sum + n * d * d;
        out[i] = static_cast<float>(std::sqrt(std::max(s, 0.0) * (1.0 / (n - 1))));
    }
    return out;
}

Series WalkSums(const Series& x, int n, bool average)
{
    Series out(x.size(), inv);
    double sum = 0, error = 0;
    int invalid = 0;
    const auto add = [&](double v) {
        const double total = sum + v;
        const double part = total - sum;
        error += (sum - (total - part)) + (v - part);
        sum = total;
    };
    for (int i = n; i < Count(x); ++i) {
        if ((i - n) % (std::max(n, 1024) + 1) == 0) {
            sum = error = 0;
            invalid = 0;
            for (int j = i - n + 1; j <= i; ++j) {
                if (IsInvalidValue(x[j]))
                    ++invalid;
                else
                    add(x[j]);
            }
        } else {
            if (IsInvalidValue(x[i]))
                ++invalid;
            else
                add(x[i]);
            if (IsInvalidValue(x[i - n]))
                --invalid;
            else
                add(-static_cast<double>(x[i - n]));
        }
        if (!invalid)
            out[i] = static_cast<float>(average ? (sum + error) / n : sum + error);
    }
    return out;
}

TEST(FormulaWindowSums, EveryWindowOfALongSeriesIsTheOneTheElementWalkGives)
{
    // A random walk with invalid elements where stretches start and inside
    // them, a flat stretch, and one whose mean is 0. A spike every 50
    // elements leaves a rounding error in STD's sums until they are taken
    // afresh, so an element summed from a different start shows.
    Series x(5200);
    uint32_t state = 7u;
    double price = 12.0;
    for (size_t i = 0; i < x.size(); ++i) {
        state = state * 1664525u + 1013904223u;
        price *= 1.0 + (state / 4294967296.0 - 0.5) * 0.06;
        x[i] = static_cast<float>(i % 50 == 25 ? price * 1e6 : price);
    }
    for (int i : { 1045, 1046, 2071, 2500, 2501, 2502, 4200 })
        x[i] = inv;
    std::fill(x.begin() + 3000, x.begin() + 3040, 5.5f);
    std::fill(x.begin() + 3500, x.begin() + 3530, 0.0f);
    for (int length : { 5200, 4000, 3100 }) {
        for (bool clean : { false, true }) {
            Series part(x.begin(), x.begin() + length);
            if (clean)
                std::replace(part.begin(), part.end(), inv, 1.0f);
            for (int n : { 2, 5, 20, 1100 }) {
                SCOPED_TRACE(std::to_string(length) + (clean ? " bars without gaps, n " : " bars, n ")
                    + std::to_string(n));
                const Series deviation = Apply([n](const Series& in, float* out) { SeriesSTD(in.data(), Count(in), n, out); }, part);
                const Series ma = Apply([n](const Series& in, float* out) { SeriesMA(in.data(), Count(in), n, out); }, part);
                const Series sum = Apply([n](const Series& in, float* out) { SeriesSUM(in.data(), Count(in), n, out); }, part);
                const Series walkedStd = WalkStd(part, n);
                const Series walkedMa = WalkSums(part, n, true);
                const Series walkedSum = WalkSums(part, n, false);
                // HHV and LLV: x[i] and the extreme of the window's valid elements.
                const Series highest = Apply([n](const Series& in, float* out) { SeriesHHV(in.data(), Count(in), n, out); }, part);
                const Series lowest = Apply([n](const Series& in, float* out) { SeriesLLV(in.data(), Count(in), n, out); }, part);
                for (int i = 0; i < length; ++i) {
                    float high = -INFINITY, low = INFINITY;
                    for (int j = std::max(0, i - n + 1); j <= i; ++j) {
                        if (!IsInvalidValue(part[j])) {
                            high = std::max(high, part[j]);
                            low = std::min(low, part[j]);
                        }
                    }
                    ASSERT_EQ(std::max(high, part[i]), highest[i]) << "HHV element " << i;
                    ASSERT_EQ(std::min(low, part[i]), lowest[i]) << "LLV element " << i;
                }
                for (int i = 0; i < length; ++i) {
                    ASSERT_EQ(0, std::memcmp(&walkedStd[i], &deviation[i], sizeof(float)))
                        << "STD element " << i << ": " << walkedStd[i] << " walked, " << deviation[i];
                    ASSERT_EQ(0, std::memcmp(&walkedMa[i], &ma[i], sizeof(float)))
                        << "MA element " << i << ": " << walkedMa[i] << " walked, " << ma[i];
                    ASSERT_EQ(0, std::memcmp(&walkedSum[i], &sum[i], sizeof(float)))
                        << "SUM element " << i << ": " << walkedSum[i] << " walked, " << sum[i];
                }
            }
        }
    }
}

TEST(FormulaSumBars, FlagsTheBarsWhereASumBackReachesTheTarget)
{
    const Series x = { 1, 2, 3, inv, 1, -10, 4 };
    Series out(x.size(), kSentinel);
    SeriesSUMBARS(x.data(), Count(x), 5, out.data());
    ExpectSeries({ inv, inv, 1, 1, 1, inv, inv }, out);
}

TEST(FormulaWinner, ShareOfTheChipsAtOrBelowThePrice)
{
    // One bar from 10 to 11 covers the capital by itself: its chips spread as a
    // symmetric triangle, so half lie below the middle.
    const Series high = { 11, 11 };
    const Series low = { 10, 10 };
    const Series volume = { 100, 100 };
    const Series prices = { 10.5f, 11 };
    Series out(2, kSentinel);
    SeriesWINNER(Of(high), Of(low), Of(volume), Of(prices), 100, 2, out.data());
    EXPECT_NEAR(0.5f, out[0], 0.01f);
    EXPECT_FLOAT_EQ(1.0f, out[1]);
    SeriesWINNER(Of(high), Of(low), Of(volume), SeriesOperand::Scalar(9), 100, 2, out.data());
    ExpectSeries({ 0, 0 }, out);

    // Two bars are needed to cover the capital: the one below pulls the share up.
    const Series high2 = { 6, 11 };
    const Series low2 = { 5, 10 };
    SeriesWINNER(Of(high2), Of(low2), Of(volume), SeriesOperand::Scalar(10.5f), 150, 2, out.data());
    EXPECT_NEAR(0.75f, out[1], 0.02f);
    SeriesWINNER(Of(high2), Of(low2), Of(volume), SeriesOperand::Scalar(10.5f), 100, 2, out.data());
    EXPECT_NEAR(0.5f, out[1], 0.02f);
    // A flat window holds no spread chips; an invalid price has no share.
    SeriesWINNER(
        Of(Series { 5, 5 }), Of(Series { 5, 5 }), Of(volume), Of(Series { 5, inv }), 100, 2, out.data());
    ExpectSeries({ 0, inv }, out);
}

// One bar's window worked out alone: the turnover window is the fewest bars
// back from i whose lots reach the capital; every bar with a range spreads
// its lots as a triangle over it; the share is that of the chips whose level
// in thousandths lies at or below the price (a chip at p is at level
// trunc(p x 1000), as the chip distribution stores it).
namespace {
float WinnerOfOneWindow(const Series& high, const Series& low, const Series& volume, float price, double capital, int i)
{
    if (IsInvalidValue(price))
        return inv;
    const auto lots = [&](int b) { return IsInvalidValue(volume[b]) || volume[b] < 0 ? 0.0 : double(volume[b]); };
    int start = i;
    double covered = lots(i);
    while (start > 0 && covered < capital)
        covered += lots(--start);
    long long level = static_cast<long long>(std::floor(double(price) * 1000.0));
    while ((level + 1) / 1000.0 <= price)
        ++level;
    while (level / 1000.0 > price)
        --level;
    const double below = (level + 1) / 1000.0;
    double total = 0.0, under = 0.0;
    for (int b = start; b <= i; ++b) {
        const double h = high[b], l = low[b];
        if (IsInvalidValue(high[b]) || IsInvalidValue(low[b]) || !(h - l > 0.0001))
            continue;
        const double d = h - l;
        const double m = (l + h) / 2;
        const double share = below <= l ? 0.0
            : below <= m            ? 2 * (below - l) * (below - l) / (d * d)
            : below < h             ? 1 - 2 * (h - below) * (h - below) / (d * d)
                                    : 1.0;
        total += lots(b);
        under += lots(b) * share;
    }
    return total > 0.0001 ? static_cast<float>(std::max(0.0, std::min(1.0, under / total))) : 0.0f;
}
} // namespace

TEST(FormulaWinner, GivesWhatEachWindowWorkedOutAloneGives)
{
    // A random walk with idle, flat and invalid bars, over windows from one
    // bar to hundreds.
    const int n = 3000;
    Series high(n), low(n), volume(n), prices(n);
    uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) / 16777216.0;
    };
    double base = 20.0;
    for (int i = 0; i < n; ++i) {
        base = std::max(1.0, base + (next() - 0.5) * 0.4);
        const double span = next() < 0.05 ? 0.0 : 0.001 + next() * 0.3;
        low[i] = static_cast<float>(base - span / 2);
        high[i] = static_cast<float>(base + span / 2);
        volume[i] = next() < 0.05 ? 0.0f : static_cast<float>(100 + next() * 5000);
        prices[i] = static_cast<float>(base + (next() - 0.5) * 0.6);
        if (i % 997 == 5)
            high[i] = inv;
        if (i % 1009 == 7)
            prices[i] = inv;
    }
    for (double capital : { 1.0, 12000.0, 400000.0, 1e12 }) {
        SCOPED_TRACE(capital);
        Series out(n, kSentinel);
        SeriesWINNER(Of(high), Of(low), Of(volume), Of(prices), capital, n, out.data());
        for (int i = 0; i < n; ++i) {
            const float expected = WinnerOfOneWindow(high, low, volume, prices[i], capital, i);
            if (IsInvalidValue(expected))
                ASSERT_EQ(expected, out[i]) << i;
            else
                ASSERT_NEAR(expected, out[i], 1e-5) << i;
        }
    }
}

TEST(FormulaWinner, PricesWithinOneThousandthCountTheSameChips)
{
    // One bar from 10.000 to 10.100: the chip levels are thousandths, so any
    // price from 10.050 up to just under 10.051 takes in the same chips, and
    // as many as a level price of 10.050 does.
    const Series high = { 10.1f };
    const Series low = { 10.0f };
    const Series volume = { 100 };
    Series out(1, kSentinel);
    std::vector<float> results;
    for (float price : { 10.050f, 10.0502f, 10.0506f, 10.0509f }) {
        SeriesWINNER(Of(high), Of(low), Of(volume), SeriesOperand::Scalar(price), 100, 1, out.data());
        results.push_back(out[0]);
    }
    for (float r : results)
        EXPECT_FLOAT_EQ(results[0], r);
    SeriesWINNER(Of(high), Of(low), Of(volume), SeriesOperand::Scalar(10.0512f), 100, 1, out.data());
    EXPECT_GT(out[0], results[0]) << "the next thousandth holds more";
}

// Every worker over 1-, 2- and 30-bar inputs writes every element.
TEST(FormulaWorkers, WriteEveryElement)
{
    const std::vector<std::pair<const char*, Worker>> workers = {
        { "MA", [](const Series& x, float* o) { SeriesMA(x.data(), Count(x), 3, o); } },
        { "SUM", [](const Series& x, float* o) { SeriesSUM(x.data(), Count(x), 3, o); } },
        { "SUM0", [](const Series& x, float* o) { SeriesSUM(x.data(), Count(x), 0, o); } },
        { "SUMN", [](const Series& x, float* o) { SeriesSUMByCounts(x.data(), Count(x), x.data(), 1, o); } },
        { "STD", [](const Series& x, float* o) { SeriesSTD(x.data(), Count(x), 3, o); } },
        { "AVEDEV", [](const Series& x, float* o) { SeriesAVEDEV(x.data(), Count(x), 3, o); } },
        { "HHV", [](const Series& x, float* o) { SeriesHHV(x.data(), Count(x), 3, o); } },
        { "LLV", [](const Series& x, float* o) { SeriesLLV(x.data(), Count(x), 3, o); } },
        { "HHVBARS", [](const Series& x, float* o) { SeriesHHVBARS(x.data(), Count(x), 3, o); } },
        { "LLVBARS", [](const Series& x, float* o) { SeriesLLVBARS(x.data(), Count(x), 0, o); } },
        { "COUNT", [](const Series& x, float* o) { SeriesCOUNT(x.data(), Count(x), 3, o); } },
        { "EVERY", [](const Series& x, float* o) { SeriesEVERY(x.data(), Count(x), 3, o); } },
        { "SLOPE", [](const Series& x, float* o) { SeriesSLOPE(x.data(), Count(x), 3, o); } },
        { "EMA", [](const Series& x, float* o) { SeriesEMA(x.data(), Count(x), 3, o); } },
        { "SMA", [](const Series& x, float* o) { SeriesSMA(x.data(), Count(x), 3, 1, o); } },
        { "DMA", [](const Series& x, float* o) { SeriesDMA(x.data(), Count(x), 0.5, o); } },
        { "DMAW", [](const Series& x, float* o) { SeriesDMAByWeights(x.data(), Count(x), x.data(), 1, o); } },
        { "REF", [](const Series& x, float* o) { SeriesREF(x.data(), Count(x), 2, o); } },
        { "REFN",
            [](const Series& x, float* o) {
                SeriesREFByDistances(Of(x), SeriesOperand::Series(x.data(), 1), Count(x), o);
            } },
        { "ABS", [](const Series& x, float* o) { SeriesABS(x.data(), Count(x), o); } },
        { "ACOS", [](const Series& x, float* o) { SeriesACOS(x.data(), Count(x), o); } },
        { "ASIN", [](const Series& x, float* o) { SeriesASIN(x.data(), Count(x), o); } },
        { "ATAN", [](const Series& x, float* o) { SeriesATAN(x.data(), Count(x), o); } },
        { "REVERSE", [](const Series& x, float* o) { SeriesREVERSE(x.data(), Count(x), o); } },
        { "NOT", [](const Series& x, float* o) { SeriesNOT(x.data(), Count(x), o); } },
        { "MAX",
            [](const Series& x, float* o) {
                SeriesMAX(Of(x), SeriesOperand::Series(x.data(), 1), Count(x), o);
            } },
        { "MIN", [](const Series& x, float* o) { SeriesMIN(Of(x), SeriesOperand::Scalar(0), Count(x), o); } },
        { "IF",
            [](const Series& x, float* o) {
                SeriesIF(x.data(), Count(x), Of(x), SeriesOperand::Series(x.data(), 1), o);
            } },
        { "IFN",
            [](const Series& x, float* o) {
                SeriesIFN(x.data(), Count(x), SeriesOperand::Scalar(1), Of(x), o);
            } },
        { "CROSS",
            [](const Series& x, float* o) {
                SeriesCROSS(Of(x), SeriesOperand::Series(x.data(), 1), Count(x), o);
            } },
        { "UPNDAY", [](const Series& x, float* o) { SeriesUPNDAY(x.data(), Count(x), 2, o); } },
        { "DOWNNDAY",
            [](const Series& x, float* o) { EXPECT_TRUE(SeriesDOWNNDAY(x.data(), Count(x), 2, o)); } },
        { "FILTER", [](const Series& x, float* o) { SeriesFILTER(x.data(), Count(x), 2, o); } },
        { "BARSLAST", [](const Series& x, float* o) { SeriesBARSLAST(x.data(), Count(x), o); } },
        { "BARSCOUNT", [](const Series& x, float* o) { SeriesBARSCOUNT(Count(x), o); } },
        { "BACKSET", [](const Series& x, float* o) { SeriesBACKSET(x.data(), Count(x), 2, o); } },
        { "SUMBARS", [](const Series& x, float* o) { SeriesSUMBARS(x.data(), Count(x), 3, o); } },
        { "ZIG", [](const Series& x, float* o) { SeriesZIG(x.data(), Count(x), 5, o); } },
        { "WINNER",
            [](const Series& x, float* o) { SeriesWINNER(Of(x), Of(x), Of(x), Of(x), 10, Count(x), o); } },
        { "DRAWLINE",
            [](const Series& x, float* o) {
                SeriesDRAWLINE(x.data(), Count(x), Of(x), SeriesOperand::Series(x.data(), 1), Of(x), 1, o);
            } },
    };
    for (int bars : { 1, 2, 30 }) {
        Series x(bars);
        for (int i = 0; i < bars; ++i)
            x[i] = i % 7 == 3 ? inv : static_cast<float>((i * 37) % 11) / 4.0f;
        for (const auto& w : workers) {
            const Series out = Apply(w.second, x);
            for (int i = 0; i < bars; ++i)
                EXPECT_NE(kSentinel, out[i]) << w.first << " left element " << i << " of " << bars;
        }
    }
}

} // namespace

namespace {

// The window extremes slide in one pass; a plain scan of each window must
// give the same elements for windows that do not divide the series, and for
// windows longer than any inline scratch space.
TEST(FormulaWindowExtremes, MatchAScanOfEachWindow)
{
    Series x(1000);
    uint32_t state = 7;
    for (size_t i = 0; i < x.size(); ++i) {
        state = state * 1664525u + 1013904223u;
        x[i] = i % 97 == 5 ? inv : static_cast<float>(state >> 8) / 65536.0f;
    }
    for (int n : { 2, 7, 300, 999, 1000, 1001 }) {
        Series high(x.size(), kSentinel), low(x.size(), kSentinel);
        ASSERT_TRUE(SeriesHHV(x.data(), Count(x), n, high.data()));
        ASSERT_TRUE(SeriesLLV(x.data(), Count(x), n, low.data()));
        for (int i = 0; i < Count(x); ++i) {
            float highest = x[i], lowest = x[i];
            for (int j = std::max(0, i - n + 1); j <= i; ++j) {
                if (IsInvalidValue(x[j]))
                    continue;
                highest = std::max(highest, x[j]);
                lowest = std::min(lowest, x[j]);
            }
            ASSERT_EQ(highest, high[i]) << "HHV window " << n << " element " << i;
            ASSERT_EQ(lowest, low[i]) << "LLV window " << n << " element " << i;
        }
    }
}

} // namespace
