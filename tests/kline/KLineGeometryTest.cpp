// The K-line chart's arithmetic: layout, range fit, bar rectangles, the
// price scale and its inverse, band zoom, the border clamp and the texts.
#include "base/ChartColors.h"
#include "tests/formula/FinanceFixture.h"
#include "tests/support/SeriesFixtures.h"
#include "views/KLineGeometry.h"

#include <gtest/gtest.h>

using namespace kline;

TEST(KLineLayout, ThousandPixelsWithTwoPanes)
{
    Layout layout;
    ASSERT_TRUE(ComputeLayout(RECT { 0, 0, 1400, 1000 }, 2, layout));
    EXPECT_EQ(196, layout.shareHeight);
    EXPECT_EQ(589, layout.mainPane.bottom - layout.mainPane.top);
    ASSERT_EQ(2u, layout.subPanes.size());
    for (const RECT& pane : layout.subPanes)
        EXPECT_EQ(196, pane.bottom - pane.top);
    // The date axis is what is left under the last pane.
    EXPECT_EQ(19, layout.barColumn.bottom - layout.subPanes.back().bottom);
    EXPECT_EQ(72, layout.mainPane.left);
    EXPECT_EQ(1400 - 281, layout.mainPane.right);
    EXPECT_EQ(1400 - 291, layout.mainPlot.right);
    EXPECT_EQ(17, layout.mainPlot.top);
    EXPECT_EQ((RECT { 1, 38, 71, 394 }).bottom, layout.dataWindow.bottom);
    EXPECT_EQ(70, layout.dataWindow.right - layout.dataWindow.left);
    EXPECT_EQ(1400 - 280, layout.sidePanel.left);
    EXPECT_EQ(56, layout.sidePanel.top);
    const RECT cover = CoveringSubPaneRect(layout);
    EXPECT_EQ(layout.subPanes[0].top, cover.top);
    EXPECT_EQ(layout.subPanes[1].bottom, cover.bottom);
}

TEST(KLineLayout, EmptyRectangleAndPaneCountsKeepTheLayout)
{
    Layout layout;
    ASSERT_TRUE(ComputeLayout(RECT { 10, 20, 900, 700 }, 0, layout));
    EXPECT_TRUE(layout.subPanes.empty());
    EXPECT_EQ(700 - 19, layout.mainPane.bottom);
    EXPECT_FALSE(ComputeLayout(RECT { 0, 0, 0, 500 }, 2, layout));
    EXPECT_EQ(10, layout.chart.left);
    ASSERT_TRUE(ComputeLayout(RECT { 0, 0, 900, 700 }, 12, layout));
    EXPECT_EQ(9u, layout.subPanes.size());
}

TEST(KLineRange, FitTable)
{
    struct Case
    {
        int count, width, barWidth;
        VisibleRange in;
        bool ok;
        VisibleRange out;
    } cases[] = {
        // First paint of 500 bars at 700 px: the newest 70.
        { 500, 700, 10, { -1, -1, -1 }, true, { 430, 499, -1 } },
        // Zoom 10 -> 13 around the cursor on 480 keeps it in view.
        { 500, 700, 13, { 430, 499, 480 }, true, { 443, 495, 480 } },
        // Zoom out around a cursor: more bars fit, the cursor's side grows.
        { 500, 700, 7, { 443, 495, 480 }, true, { 400, 499, 480 } },
        // Fewer bars than fit: all of them, from bar 0.
        { 30, 700, 10, { -1, -1, -1 }, true, { 0, 29, -1 } },
        // A cursor outside the range is dropped.
        { 500, 700, 10, { 100, 169, 300 }, true, { 100, 169, -1 } },
        // Empty series.
        { 0, 700, 10, { 5, 9, 7 }, false, { -1, -1, -1 } },
        // No room.
        { 500, 5, 10, { 1, 2, -1 }, false, { 1, 2, -1 } },
        { 500, 700, 0, { 1, 2, -1 }, false, { 1, 2, -1 } },
    };
    for (const Case& c : cases) {
        VisibleRange range = c.in;
        SCOPED_TRACE(testing::Message() << c.count << " bars, width " << c.barWidth << ", in " << c.in.first);
        EXPECT_EQ(c.ok, FitVisibleRange(c.count, c.width, c.barWidth, range));
        EXPECT_EQ(c.out.first, range.first);
        EXPECT_EQ(c.out.last, range.last);
        EXPECT_EQ(c.out.cursor, range.cursor);
    }
}

TEST(KLineBars, BodyWidthsAndRectangles)
{
    const int table[][2] = { { 1, 1 }, { 2, 1 }, { 3, -1 }, { 4, 3 }, { 5, 3 }, { 6, 5 }, { 7, 5 }, { 8, -1 },
        { 9, 7 }, { 10, 7 }, { 13, 11 }, { 15, 11 }, { 17, 15 }, { 19, 15 }, { 21, 19 }, { 23, 19 }, { 25, 23 },
        { 27, 23 }, { 29, 25 }, { 31, 25 }, { 33, 29 }, { 35, 29 }, { 39, 35 }, { 43, 35 }, { 44, -1 }, { 0, -1 } };
    for (const auto& row : table)
        EXPECT_EQ(row[1], CandleBodyWidth(row[0])) << "width " << row[0];

    const RECT plot { 72, 17, 1109, 589 };
    const RECT column { 72, 0, 1119, 1000 };
    BarGeometry g;
    ASSERT_TRUE(ComputeBarGeometry(432, 430, 499, 10, plot, column, g));
    EXPECT_EQ(92, g.bar.left);
    EXPECT_EQ(102, g.bar.right);
    EXPECT_EQ(14, g.bar.top);
    EXPECT_EQ(1000, g.bar.bottom);
    EXPECT_EQ(92, g.bodyLeft);
    EXPECT_EQ(99, g.bodyRight);
    EXPECT_EQ(95, g.bodyMiddle);
    EXPECT_FALSE(ComputeBarGeometry(500, 430, 499, 10, plot, column, g)); // one past the last
    EXPECT_FALSE(ComputeBarGeometry(-1, -1, -1, 10, plot, column, g));
    EXPECT_FALSE(ComputeBarGeometry(431, 430, 499, 3, plot, column, g));
    EXPECT_FALSE(ComputeBarGeometry(431, 430, 499, 8, plot, column, g));
    EXPECT_FALSE(ComputeBarGeometry(431, 430, 499, 10, plot, RECT { 72, 0, 1119, 14 }, g));
}

TEST(KLinePrices, QuantisedScale)
{
    double low = 10.05;
    double high = 11.95;
    QuantisePriceRange(low, high);
    EXPECT_NEAR(9.9, low, 1e-9);
    EXPECT_NEAR(12.0, high, 1e-9);
    WidenByIndicator(low, high, 10.0, 11.0);
    EXPECT_NEAR(9.9, low, 1e-9);
    EXPECT_NEAR(12.0, high, 1e-9);
    WidenByIndicator(low, high, 9.5, 12.5);
    EXPECT_NEAR(9.5, low, 1e-9);
    EXPECT_NEAR(12.5, high, 1e-9);
}

TEST(KLinePrices, CrossHairValueIsTheInverseOfTheCandleRow)
{
    const RECT pane { 72, 0, 1119, 589 };
    const RECT area = CandleArea(pane);
    EXPECT_EQ(17, area.top);
    EXPECT_EQ(575, area.bottom);
    for (double price : { 9.9, 10.0, 10.37, 11.5, 12.0 }) {
        const int y = PriceToY(price, 9.9, 12.0, area);
        // One row is (12.0 - 9.9) / 558 = 0.0038: the label reads the row's price.
        EXPECT_NEAR(price, YToPrice(y, 9.9, 12.0, area), 0.0038) << price;
    }
    EXPECT_EQ(575, PriceToY(9.9, 9.9, 12.0, area));
    EXPECT_EQ(17, PriceToY(12.0, 9.9, 12.0, area));
    EXPECT_EQ(575, PriceToY(10, 10, 10, area)); // a zero span maps to the bottom
}

TEST(KLinePrices, BodyTakesTheNextRowWhenOpenAndCloseShareOne)
{
    int top = 0;
    int bottom = 0;
    CandleBodyRows(100, 100, false, top, bottom);
    EXPECT_EQ(99, top);
    EXPECT_EQ(100, bottom);
    CandleBodyRows(100, 100, true, top, bottom);
    EXPECT_EQ(100, top);
    EXPECT_EQ(101, bottom);
    CandleBodyRows(120, 90, false, top, bottom);
    EXPECT_EQ(90, top);
    EXPECT_EQ(120, bottom);
}

TEST(KLineInput, BandZoomWidensANarrowBandAndStaysInTheSeries)
{
    int first = 0;
    int last = 0;
    ASSERT_TRUE(BandZoomRange(100, 104, 700, 500, first, last));
    EXPECT_EQ(79, first);
    EXPECT_EQ(115, last);
    // A band wide enough is taken as it is.
    ASSERT_TRUE(BandZoomRange(100, 160, 700, 500, first, last));
    EXPECT_EQ(100, first);
    EXPECT_EQ(160, last);
    // Near either end the widening is cut at the series.
    ASSERT_TRUE(BandZoomRange(2, 5, 700, 500, first, last));
    EXPECT_EQ(0, first);
    ASSERT_TRUE(BandZoomRange(495, 498, 700, 500, first, last));
    EXPECT_EQ(499, last);
    EXPECT_FALSE(BandZoomRange(104, 100, 700, 500, first, last));
    EXPECT_FALSE(BandZoomRange(5, 5, 700, 500, first, last));
}

TEST(KLineInput, SplitterStaysBetweenItsNeighbours)
{
    const RECT main { 72, 0, 1119, 589 };
    const RECT sub { 72, 589, 1119, 785 };
    EXPECT_EQ(600, ClampSplitterY(600, main, sub));
    EXPECT_EQ(32, ClampSplitterY(-50, main, sub));
    EXPECT_EQ(785 - 32, ClampSplitterY(2000, main, sub));
    // Panes too small for both rows: the middle.
    EXPECT_EQ(25, ClampSplitterY(5, RECT { 0, 0, 10, 20 }, RECT { 0, 20, 10, 50 }));
}

TEST(KLineInput, PagingDeltas)
{
    EXPECT_EQ(-64, PageLeftDelta(430, 499));
    EXPECT_EQ(-1, PageLeftDelta(10, 12));
    EXPECT_EQ(64, PageRightDelta(430, 499));
    EXPECT_EQ(1, PageRightDelta(10, 12));
}

TEST(KLineText, DateLabelsByPeriod)
{
    EXPECT_STREQ("%m", DateLabelFormat(6, T(2024, 1, 31), T(2024, 2, 1)));
    EXPECT_EQ(nullptr, DateLabelFormat(6, T(2024, 2, 1), T(2024, 2, 2)));
    EXPECT_STREQ("%y", DateLabelFormat(7, T(2023, 12, 29), T(2024, 1, 5)));
    EXPECT_EQ(nullptr, DateLabelFormat(8, T(2024, 1, 31), T(2024, 2, 29)));
    EXPECT_STREQ("%d", DateLabelFormat(1, T(2024, 3, 4, 15, 0), T(2024, 3, 5, 9, 35)));
    EXPECT_EQ(nullptr, DateLabelFormat(1, T(2024, 3, 5, 9, 35), T(2024, 3, 5, 9, 40)));
    // Exchange time: 23:30 UTC on the 4th is already the 5th.
    EXPECT_STREQ("%d", DateLabelFormat(2, T(2024, 3, 4, 15, 0), T(2024, 3, 5, 7, 30)));
}

TEST(KLineText, ExRightsTipListsOnlyNonZeroItems)
{
    ExRightsRecord cashOnly { T(2024, 6, 18), 0, 0, 0, 0.25f };
    EXPECT_EQ("权息资料变动\r\n除权,除息:2024/6/18\r\n每10派现金:2.500元\r\n", FormatExRightsTip(cashOnly));
    ExRightsRecord all { T(2023, 7, 3), 0.3f, 0.2f, 8.5f, 0.1f };
    EXPECT_EQ("权息资料变动\r\n除权,除息:2023/7/3\r\n每10派现金:1.000元\r\n每10股送股比例:3.000股\r\n"
              "每10股配股:2.000股,股价:8.500\r\n",
        FormatExRightsTip(all));
    ExRightsRecord none { T(2023, 7, 3), 0, 0, 0, 0 };
    EXPECT_EQ("权息资料变动\r\n除权,除息:2023/7/3\r\n", FormatExRightsTip(none));
    EXPECT_EQ("2024/03/05/二", FormatCrossHairDate(T(2024, 3, 5)));
    EXPECT_EQ("2024/03/10/日", FormatCrossHairDate(T(2024, 3, 10, 14, 0)));
}

TEST(KLineText, DataWindowValues)
{
    const std::vector<Bar> bars { MakeBar(T(2024, 3, 4), 10, 11, 9.5f, 10.5f, 1200, 50000),
        MakeBar(T(2024, 3, 5), 10.5f, 11.5f, 10, 11, 800, 30000), MakeBar(T(2024, 3, 6), 11, 11, 10, 10.25f, 500, 20000) };
    DataWindowValues v;
    // Bar 0: its own open is the previous close.
    ASSERT_TRUE(ComputeDataWindowValues(bars, 0, {}, 6, 0, v));
    EXPECT_EQ("20240304", v.cells[0].text);
    EXPECT_EQ("10.00", v.cells[1].text);
    EXPECT_EQ(ChartColors::Flat, v.cells[1].colour);
    EXPECT_EQ("10.50", v.cells[4].text);
    EXPECT_EQ(ChartColors::Rise, v.cells[4].colour);
    EXPECT_EQ("0.50", v.cells[5].text);
    EXPECT_EQ("5.00%", v.cells[6].text);
    EXPECT_EQ("15.00%", v.cells[7].text);
    EXPECT_EQ("1200", v.cells[8].text);
    EXPECT_EQ("5000", v.cells[9].text);
    EXPECT_EQ("-", v.cells[10].text);
    // Bar 2 against bar 1's close, falling.
    ASSERT_TRUE(ComputeDataWindowValues(bars, 2, {}, 6, 0, v));
    EXPECT_EQ("-0.75", v.cells[5].text);
    EXPECT_EQ(ChartColors::Fall, v.cells[5].colour);
    EXPECT_EQ("-6.82%", v.cells[6].text);
    // A selection summarises from its lowest to its highest bar.
    ASSERT_TRUE(ComputeDataWindowValues(bars, 2, { 2, 1 }, 6, 0, v));
    EXPECT_EQ("20240305", v.cells[0].text);
    EXPECT_EQ("10.50", v.cells[1].text);
    EXPECT_EQ("11.50", v.cells[2].text);
    EXPECT_EQ("10.00", v.cells[3].text);
    EXPECT_EQ("10.25", v.cells[4].text);
    EXPECT_EQ("800", v.cells[8].text);
    // Minute periods show month, day and time.
    ASSERT_TRUE(ComputeDataWindowValues(
        { MakeBar(T(2024, 3, 4, 9, 35), 10, 10, 10, 10) }, 0, {}, 1, 0, v));
    EXPECT_EQ("03040935", v.cells[0].text);
    EXPECT_FALSE(ComputeDataWindowValues(bars, 3, {}, 6, 0, v));
    EXPECT_FALSE(ComputeDataWindowValues(bars, -1, {}, 6, 0, v));
}

TEST(KLineText, PreviousCloseOfZeroShowsDashes)
{
    const std::vector<Bar> bars { MakeBar(T(2024, 3, 4), 0, 0, 0, 0, 0, 0),
        MakeBar(T(2024, 3, 5), 10.5f, 11.5f, 10, 11, 800, 30000) };
    DataWindowValues v;
    ASSERT_TRUE(ComputeDataWindowValues(bars, 1, {}, 6, 0, v));
    EXPECT_EQ("11.00", v.cells[5].text);
    EXPECT_EQ("-", v.cells[6].text);
    EXPECT_EQ("-", v.cells[7].text);
    ASSERT_TRUE(ComputeDataWindowValues(bars, 1, {}, 6, 4000, v));
    EXPECT_EQ("0.20%", v.cells[10].text);
}

TEST(KLineText, TurnoverAndAmountFromTheStocksRecords)
{
    // Volume in lots of 100 shares, amount in thousands, circulating shares
    // in 10,000s (the finance record's unit): turnover % = lots / circulating.
    CBaseData finance;
    ASSERT_TRUE(FillFinance(finance, "SH", "600000", 500.0f)); // 5,000,000 shares
    CStockInfo stock;
    stock.SetCodeKey(0x600000);
    stock.SetIndexFlag(0);
    stock.UpdateFinance(&finance);
    CStockInfo index = stock;
    index.SetIndexFlag(1);
    CStockInfo noFinance;
    noFinance.SetIndexFlag(0);
    const struct
    {
        const CStockInfo* info;
        float volume;
        float amount;
        const char* amountText;
        const char* turnoverText;
    } cases[] = {
        { &stock, 1000, 1050, "105", "2%" }, // 100,000 shares of 5,000,000 for 1,050,000 yuan
        { &stock, 125, 131.25f, "13", "0.25%" },
        { &stock, 25000, 262500, "26250", "50%" },
        { &index, 1000, 1050, "105", "-" },
        { &noFinance, 1000, 1050, "105", "-" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.turnoverText);
        const std::vector<Bar> bars { MakeBar(T(2024, 3, 4), 10, 11, 10, 10.5f, c.volume, c.amount) };
        DataWindowValues v;
        ASSERT_TRUE(ComputeDataWindowValues(bars, 0, {}, 6, *c.info, v));
        EXPECT_EQ(c.amountText, v.cells[9].text);
        EXPECT_EQ(c.turnoverText, v.cells[10].text);
    }
}
