#include "formula/FormulaKeywordList.h"
#include "formula/PriceSeriesSource.h"
#include "tests/formula/FinanceFixture.h"

#include "data/Stock.h"
#include "tests/support/SeriesFixtures.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class CountingMarket : public PriceSeriesMarket
{
public:
    bool CountUpDown(uint32_t key, int* rising, int* falling, int* unchanged) override
    {
        askedKey = key;
        if (!available)
            return false;
        *rising = 7;
        *falling = 3;
        *unchanged = 2;
        return true;
    }
    bool available = true;
    uint32_t askedKey = 0;
};

TEST(PriceSeriesSource, CopiesEveryBarOfTheBoundPeriod)
{
    CStock stock(0x600000);
    stock.GetDayData().AppendBar(MakeBar(T(2026, 12, 8), 10, 11, 9.5f, 10.5f, 300, 12.5f));
    stock.GetDayData().AppendBar(MakeBar(T(2026, 12, 9), 10.5f, 10.75f, 9.25f, 9.5f, 400, 0.125f));
    CountingMarket market;
    PriceSeriesSource source(&market);
    uint32_t count = 99;
    EXPECT_EQ(nullptr, source.GetClose(0, 1, &count));
    EXPECT_EQ(0u, count);

    EXPECT_EQ(1, source.Bind(&stock, kPeriodDay));
    float* close = source.GetClose(0, 0, &count); // the whole series, whatever the range
    ASSERT_EQ(2u, count);
    EXPECT_EQ(10.5f, close[0]);
    EXPECT_EQ(9.5f, close[1]);
    EXPECT_EQ(9.25f, source.GetLow(0, 1, &count)[1]);
    EXPECT_EQ(11.0f, source.GetHigh(0, 1, &count)[0]);
    EXPECT_EQ(400.0f, source.GetVolume(0, 1, &count)[1]);
    float* amount = source.GetAmount(0, 1, &count);
    EXPECT_EQ(12500.0f, amount[0]);
    EXPECT_EQ(125.0f, amount[1]);
    // Rising and falling from the arrays as last fetched.
    EXPECT_FALSE(source.IsRising(0)); // no open array yet
    source.GetOpen(0, 1, &count);
    EXPECT_TRUE(source.IsRising(0));
    EXPECT_FALSE(source.IsRising(1));
    EXPECT_FALSE(source.IsRising(2));
    EXPECT_FALSE(source.IsRising(-1));

    // The same stock and period again: nothing changed.
    EXPECT_EQ(0, source.Bind(&stock, kPeriodDay));
    EXPECT_EQ(0, source.Bind(nullptr, kPeriodDay));
    EXPECT_EQ(&stock, source.GetStock());
    // Another period is another series; with no bars every array is empty.
    EXPECT_EQ(1, source.Bind(&stock, kPeriodFiveMinutes));
    float* empty = source.GetClose(0, 0, &count);
    EXPECT_NE(nullptr, empty);
    EXPECT_EQ(0u, count);
    CStock other(0x600001);
    EXPECT_EQ(1, source.Bind(&other, kPeriodFiveMinutes));
}

TEST(PriceSeriesSource, FormulaPeriodOfEachChartPeriod)
{
    const int expected[][2]
        = { { kPeriodFiveMinutes, 1 }, { kPeriodTenMinutes, 5 }, { kPeriodFifteenMinutes, 2 },
              { kPeriodThirtyMinutes, 3 }, { kPeriodSixtyMinutes, 4 }, { kPeriodDay, 5 }, { kPeriodWeek, 6 },
              { kPeriodMonth, 7 }, { kPeriodQuarter, 10 }, { kPeriodYear, 11 }, { 0, 5 }, { 99, 5 } };
    for (const auto& pair : expected)
        EXPECT_EQ(pair[1], PriceSeriesSource::FormulaPeriodOf(pair[0])) << pair[0];
    CStock stock(0x600000);
    CountingMarket market;
    PriceSeriesSource source(&market);
    EXPECT_EQ(5, source.GetFormulaPeriod()); // no stock
    source.Bind(&stock, kPeriodMonth);
    EXPECT_EQ(7, source.GetFormulaPeriod());
}

TEST(PriceSeriesSource, CapitalAndAdvanceDeclineWithAndWithoutAStock)
{
    CountingMarket market;
    PriceSeriesSource source(&market);
    EXPECT_EQ(PriceSeriesSource::kDefaultCapital, source.GetCapital());
    int rising = -1, falling = -1, unchanged = -1;
    EXPECT_FALSE(source.GetAdvanceDecline(&rising, &falling, &unchanged));
    EXPECT_EQ(0, rising + falling + unchanged);

    CStock stock(0x01000001);
    source.Bind(&stock, kPeriodDay);
    EXPECT_EQ(PriceSeriesSource::kDefaultCapital, source.GetCapital()); // no finance figures
    CBaseData finance;
    ASSERT_TRUE(FillFinance(finance, "SZ", "000001", 1940.5f));
    stock.GetStockInfo().SetCodeKey(0x01000001);
    stock.GetStockInfo().UpdateFinance(&finance);
    EXPECT_DOUBLE_EQ(1940.5 * 10000 / 100, source.GetCapital());

    ASSERT_TRUE(source.GetAdvanceDecline(&rising, &falling, &unchanged));
    EXPECT_EQ(0x01000001u, market.askedKey);
    EXPECT_EQ(7, rising);
    EXPECT_EQ(3, falling);
    EXPECT_EQ(2, unchanged);
    market.available = false;
    EXPECT_FALSE(source.GetAdvanceDecline(&rising, &falling, &unchanged));
    EXPECT_EQ(0, rising + falling + unchanged);
}

TEST(FormulaKeywordList, ContainsOnlyTheDrawFunctionsExactly)
{
    FormulaKeywordList keywords;
    EXPECT_EQ(8u, keywords.GetDrawFunctions().size());
    EXPECT_EQ(39u, keywords.GetBuiltinNames().size());
    const struct
    {
        const wchar_t* name;
        bool contained;
    } cases[] = { { L"DRAWLINE", true }, { L"PLOYLINE", true }, { L"DRAWBASELINE", true },
        { L"drawline", false }, { L"HHV", false }, { L"DRAWLINE ", false }, { L"DRAW", false },
        { L"", false }, { nullptr, false } };
    for (const auto& c : cases)
        EXPECT_EQ(c.contained, keywords.Contains(c.name)) << (c.name ? c.name : L"(null)");
}

}
