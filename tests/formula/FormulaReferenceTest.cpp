// The built-in workers against reference values computed by plain double loops
// (tools/formula_ref.py) over hand-made bars and a 2,000-bar random walk.
#include "formula/FormulaKernels.h"
#include "tests/formula/ReferenceTable.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Series = std::vector<float>;

// A marker no worker computes here: an element left unwritten shows as it.
const float kUnwritten = 12345.0f;

using Worker = std::function<void(const ReferenceTable&, float*)>;

// Every case of the reference tool, composed from the workers the same way.
std::vector<std::pair<std::string, Worker>> Cases()
{
    auto series = [](const Series& s) { return SeriesOperand::Series(s.data(), static_cast<int>(s.size())); };
    auto ma = [](const Series& x, int n) {
        Series out(x.size());
        SeriesMA(x.data(), static_cast<int>(x.size()), n, out.data());
        return out;
    };
    return {
        { "MA(C;5)", [](const ReferenceTable& t, float* o) { SeriesMA(t["C"].data(), t.count, 5, o); } },
        { "MA(C;1)", [](const ReferenceTable& t, float* o) { SeriesMA(t["C"].data(), t.count, 1, o); } },
        { "MA(G;4)", [](const ReferenceTable& t, float* o) { SeriesMA(t["G"].data(), t.count, 4, o); } },
        { "MA(MA(C;3);3)",
            [ma](const ReferenceTable& t, float* o) { SeriesMA(ma(t["C"], 3).data(), t.count, 3, o); } },
        { "MA(C;0)", [](const ReferenceTable& t, float* o) { SeriesMA(t["C"].data(), t.count, 0, o); } },
        { "EMA(C;12)", [](const ReferenceTable& t, float* o) { SeriesEMA(t["C"].data(), t.count, 12, o); } },
        { "EMA(G;5)", [](const ReferenceTable& t, float* o) { SeriesEMA(t["G"].data(), t.count, 5, o); } },
        { "SMA(C;9;3)",
            [](const ReferenceTable& t, float* o) { SeriesSMA(t["C"].data(), t.count, 9, 3, o); } },
        { "SMA(G;3;1)",
            [](const ReferenceTable& t, float* o) { SeriesSMA(t["G"].data(), t.count, 3, 1, o); } },
        { "DMA(C;0.3)",
            [](const ReferenceTable& t, float* o) { SeriesDMA(t["C"].data(), t.count, 0.3f, o); } },
        { "DMA(G;W)",
            [](const ReferenceTable& t, float* o) {
                SeriesDMAByWeights(t["G"].data(), t.count, t["W"].data(), t.count, o);
            } },
        { "HHV(C;10)", [](const ReferenceTable& t, float* o) { SeriesHHV(t["C"].data(), t.count, 10, o); } },
        { "HHV(G;5)", [](const ReferenceTable& t, float* o) { SeriesHHV(t["G"].data(), t.count, 5, o); } },
        { "HHV(C;0)", [](const ReferenceTable& t, float* o) { SeriesHHV(t["C"].data(), t.count, 0, o); } },
        { "LLV(C;10)", [](const ReferenceTable& t, float* o) { SeriesLLV(t["C"].data(), t.count, 10, o); } },
        { "LLV(G;5)", [](const ReferenceTable& t, float* o) { SeriesLLV(t["G"].data(), t.count, 5, o); } },
        { "REF(C;3)", [](const ReferenceTable& t, float* o) { SeriesREF(t["C"].data(), t.count, 3, o); } },
        { "REF(C;-2)", [](const ReferenceTable& t, float* o) { SeriesREF(t["C"].data(), t.count, -2, o); } },
        { "REF(G;NS)",
            [series](const ReferenceTable& t, float* o) {
                SeriesREFByDistances(series(t["G"]), series(t["NS"]), t.count, o);
            } },
        { "SUM(C;0)", [](const ReferenceTable& t, float* o) { SeriesSUM(t["C"].data(), t.count, 0, o); } },
        { "SUM(G;0)", [](const ReferenceTable& t, float* o) { SeriesSUM(t["G"].data(), t.count, 0, o); } },
        { "SUM(V;10)", [](const ReferenceTable& t, float* o) { SeriesSUM(t["V"].data(), t.count, 10, o); } },
        { "SUM(G;4)", [](const ReferenceTable& t, float* o) { SeriesSUM(t["G"].data(), t.count, 4, o); } },
        { "SUM(C;NS)",
            [](const ReferenceTable& t, float* o) {
                SeriesSUMByCounts(t["C"].data(), t.count, t["NS"].data(), t.count, o);
            } },
        { "STD(C;20)", [](const ReferenceTable& t, float* o) { SeriesSTD(t["C"].data(), t.count, 20, o); } },
        { "STD(C;2)", [](const ReferenceTable& t, float* o) { SeriesSTD(t["C"].data(), t.count, 2, o); } },
        { "STD(G;5)", [](const ReferenceTable& t, float* o) { SeriesSTD(t["G"].data(), t.count, 5, o); } },
        { "AVEDEV(C;14)",
            [](const ReferenceTable& t, float* o) { SeriesAVEDEV(t["C"].data(), t.count, 14, o); } },
        { "AVEDEV(G;4)",
            [](const ReferenceTable& t, float* o) { SeriesAVEDEV(t["G"].data(), t.count, 4, o); } },
        { "ABS(Z)", [](const ReferenceTable& t, float* o) { SeriesABS(t["Z"].data(), t.count, o); } },
        { "ACOS(U)", [](const ReferenceTable& t, float* o) { SeriesACOS(t["U"].data(), t.count, o); } },
        { "ASIN(U)", [](const ReferenceTable& t, float* o) { SeriesASIN(t["U"].data(), t.count, o); } },
        { "ATAN(Z)", [](const ReferenceTable& t, float* o) { SeriesATAN(t["Z"].data(), t.count, o); } },
        { "REVERSE(G)", [](const ReferenceTable& t, float* o) { SeriesREVERSE(t["G"].data(), t.count, o); } },
        { "NOT(SG)", [](const ReferenceTable& t, float* o) { SeriesNOT(t["SG"].data(), t.count, o); } },
        { "MAX(C;O)",
            [series](const ReferenceTable& t, float* o) {
                SeriesMAX(series(t["C"]), series(t["O"]), t.count, o);
            } },
        { "MIN(G;O)",
            [series](const ReferenceTable& t, float* o) {
                SeriesMIN(series(t["G"]), series(t["O"]), t.count, o);
            } },
        { "MAX(10.5;G)",
            [series](const ReferenceTable& t, float* o) {
                SeriesMAX(SeriesOperand::Scalar(10.5f), series(t["G"]), t.count, o);
            } },
        { "MIN(G;10.5)",
            [series](const ReferenceTable& t, float* o) {
                SeriesMIN(series(t["G"]), SeriesOperand::Scalar(10.5f), t.count, o);
            } },
        { "IF(SG;C;O)",
            [series](const ReferenceTable& t, float* o) {
                SeriesIF(t["SG"].data(), t.count, series(t["C"]), series(t["O"]), o);
            } },
        { "IFN(SG;H;0)",
            [series](const ReferenceTable& t, float* o) {
                SeriesIFN(t["SG"].data(), t.count, series(t["H"]), SeriesOperand::Scalar(0.0f), o);
            } },
        { "CROSS(C;MA(C;5))",
            [series, ma](const ReferenceTable& t, float* o) {
                const Series average = ma(t["C"], 5);
                SeriesCROSS(series(t["C"]), series(average), t.count, o);
            } },
        { "CROSS(C;11)",
            [series](const ReferenceTable& t, float* o) {
                SeriesCROSS(series(t["C"]), SeriesOperand::Scalar(11.0f), t.count, o);
            } },
        { "CROSS(11;C)",
            [series](const ReferenceTable& t, float* o) {
                SeriesCROSS(SeriesOperand::Scalar(11.0f), series(t["C"]), t.count, o);
            } },
        { "UPNDAY(C;3)",
            [](const ReferenceTable& t, float* o) { SeriesUPNDAY(t["C"].data(), t.count, 3, o); } },
        { "UPNDAY(G;1)",
            [](const ReferenceTable& t, float* o) { SeriesUPNDAY(t["G"].data(), t.count, 1, o); } },
        { "DOWNNDAY(C;2)",
            [](const ReferenceTable& t, float* o) {
                EXPECT_TRUE(SeriesDOWNNDAY(t["C"].data(), t.count, 2, o));
            } },
        { "DOWNNDAY(G;3)",
            [](const ReferenceTable& t, float* o) {
                EXPECT_TRUE(SeriesDOWNNDAY(t["G"].data(), t.count, 3, o));
            } },
        { "EVERY(S;3)",
            [](const ReferenceTable& t, float* o) { SeriesEVERY(t["S"].data(), t.count, 3, o); } },
        { "EVERY(S;0)",
            [](const ReferenceTable& t, float* o) { SeriesEVERY(t["S"].data(), t.count, 0, o); } },
        { "COUNT(S;5)",
            [](const ReferenceTable& t, float* o) { SeriesCOUNT(t["S"].data(), t.count, 5, o); } },
        { "COUNT(SG;4)",
            [](const ReferenceTable& t, float* o) { SeriesCOUNT(t["SG"].data(), t.count, 4, o); } },
        { "FILTER(S;3)",
            [](const ReferenceTable& t, float* o) { SeriesFILTER(t["S"].data(), t.count, 3, o); } },
        { "FILTER(SG;2)",
            [](const ReferenceTable& t, float* o) { SeriesFILTER(t["SG"].data(), t.count, 2, o); } },
        { "BARSLAST(S)",
            [](const ReferenceTable& t, float* o) { SeriesBARSLAST(t["S"].data(), t.count, o); } },
        { "BARSCOUNT(C)", [](const ReferenceTable& t, float* o) { SeriesBARSCOUNT(t.count, o); } },
        { "HHVBARS(C;0)",
            [](const ReferenceTable& t, float* o) {
                EXPECT_TRUE(SeriesHHVBARS(t["C"].data(), t.count, 0, o));
            } },
        { "HHVBARS(C;10)",
            [](const ReferenceTable& t, float* o) {
                EXPECT_TRUE(SeriesHHVBARS(t["C"].data(), t.count, 10, o));
            } },
        { "HHVBARS(S;4)",
            [](const ReferenceTable& t, float* o) {
                EXPECT_TRUE(SeriesHHVBARS(t["S"].data(), t.count, 4, o));
            } },
        { "LLVBARS(G;0)",
            [](const ReferenceTable& t, float* o) {
                EXPECT_TRUE(SeriesLLVBARS(t["G"].data(), t.count, 0, o));
            } },
        { "LLVBARS(G;6)",
            [](const ReferenceTable& t, float* o) {
                EXPECT_TRUE(SeriesLLVBARS(t["G"].data(), t.count, 6, o));
            } },
        { "BACKSET(S;2)",
            [](const ReferenceTable& t, float* o) {
                EXPECT_TRUE(SeriesBACKSET(t["S"].data(), t.count, 2, o));
            } },
        { "BACKSET(SG;1)",
            [](const ReferenceTable& t, float* o) {
                EXPECT_TRUE(SeriesBACKSET(t["SG"].data(), t.count, 1, o));
            } },
        { "SLOPE(C;10)",
            [](const ReferenceTable& t, float* o) { SeriesSLOPE(t["C"].data(), t.count, 10, o); } },
        { "SLOPE(G;5)",
            [](const ReferenceTable& t, float* o) { SeriesSLOPE(t["G"].data(), t.count, 5, o); } },
        { "ZIG(C;5)",
            [](const ReferenceTable& t, float* o) { EXPECT_TRUE(SeriesZIG(t["C"].data(), t.count, 5, o)); } },
        { "ZIG(G;10)",
            [](const ReferenceTable& t, float* o) {
                EXPECT_TRUE(SeriesZIG(t["G"].data(), t.count, 10, o));
            } },
        { "SUMBARS(Z;1.5)",
            [](const ReferenceTable& t, float* o) { SeriesSUMBARS(t["Z"].data(), t.count, 1.5, o); } },
        { "SUMBARS(V;9000)",
            [](const ReferenceTable& t, float* o) { SeriesSUMBARS(t["V"].data(), t.count, 9000.0, o); } },
        { "WINNER(C)",
            [series](const ReferenceTable& t, float* o) {
                SeriesWINNER(
                    series(t["H"]), series(t["L"]), series(t["V"]), series(t["C"]), 30000.0, t.count, o);
            } },
        { "DRAWLINE(S;L;SG;H;1)",
            [series](const ReferenceTable& t, float* o) {
                SeriesDRAWLINE(t["S"].data(), t.count, series(t["L"]), series(t["SG"]), series(t["H"]), 1, o);
            } },
        { "DRAWLINE(S;L;SG;H;0)",
            [series](const ReferenceTable& t, float* o) {
                SeriesDRAWLINE(t["S"].data(), t.count, series(t["L"]), series(t["SG"]), series(t["H"]), 0, o);
            } },
    };
}

std::string Describe(float value)
{
    return IsInvalidValue(value) ? "inv" : std::to_string(value);
}

class FormulaReference : public ::testing::TestWithParam<const char*>
{
};

TEST_P(FormulaReference, WorkersMatchTheReferenceLoops)
{
    const ReferenceTable table = LoadReferenceTable(GetParam());
    ASSERT_GT(table.count, 0) << "reference resource " << GetParam() << " missing";
    const auto cases = Cases();
    std::map<std::string, bool> known;
    for (const auto& c : cases)
        known[c.first] = true;
    // Inputs first, then one column per case: every case column has a worker.
    const size_t firstCase = table.names.size() - cases.size();
    for (size_t column = firstCase; column < table.names.size(); ++column)
        EXPECT_TRUE(known.count(table.names[column])) << "no worker for " << table.names[column];

    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        ASSERT_TRUE(table.columns.count(c.first)) << "no reference column";
        const Series& expected = table[c.first];
        Series actual(table.count, kUnwritten);
        c.second(table, actual.data());
        int mismatches = 0;
        for (int i = 0; i < table.count && mismatches < 5; ++i) {
            const float want = expected[i];
            const float got = actual[i];
            bool same;
            if (IsInvalidValue(want) || IsInvalidValue(got))
                same = want == got;
            else
                same = std::fabs(static_cast<double>(got) - want) <= 1e-5 * std::fabs(want) + 1e-6;
            if (!same) {
                ++mismatches;
                ADD_FAILURE() << "element " << i << ": " << Describe(got) << ", expected " << Describe(want);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Bars, FormulaReference,
    ::testing::Values("FORMULA_REFERENCE_SMALL", "FORMULA_REFERENCE_WALK"),
    [](const ::testing::TestParamInfo<const char*>& info) {
        return std::string(info.param).find("SMALL") != std::string::npos ? "Small" : "Walk";
    });

} // namespace
