// The minute chart's pure geometry: the time axis, the pane layout, the
// full-window list paging and the chart grid of the view.
#include <gtest/gtest.h>

#include <cstdlib>

#include "base/ExchangeTime.h"
#include "views/MinuteTimeAxis.h"
#include "views/RealTimeLayout.h"

namespace {

int32_t At(int hour, int minute, int second = 0)
{
    return MakeExchangeTime(2026, 12, 10, hour, minute, second);
}

void ExpectRect(const RECT& r, int left, int top, int right, int bottom, const char* what)
{
    EXPECT_EQ(r.left, left) << what;
    EXPECT_EQ(r.top, top) << what;
    EXPECT_EQ(r.right, right) << what;
    EXPECT_EQ(r.bottom, bottom) << what;
}

// The exchange's minutes map alike in every zone: this suite runs under
// TZ=CST-8 and again under another zone.
TEST(MinuteTimeAxis, TradingSecondsOverTheDay)
{
    const struct
    {
        int hour, minute, second;
        int32_t expected;
    } table[] = {
        { 9, 29, 59, 0 },
        { 9, 30, 0, 59 },
        { 9, 30, 59, 59 },
        { 9, 31, 0, 119 },
        { 10, 45, 30, 4559 },
        { 11, 30, 0, 7259 },
        { 11, 30, 59, 7259 },
        { 11, 31, 0, 7260 },
        { 11, 45, 0, 7260 },
        { 12, 59, 59, 7260 },
        { 13, 0, 0, 7259 },
        { 13, 0, 30, 7259 },
        { 13, 1, 0, 7319 },
        { 14, 59, 59, 14399 },
        { 15, 0, 0, 14459 },
        { 15, 0, 1, 14460 },
        { 23, 0, 0, 14460 },
        { 3, 0, 0, 0 },
    };
    for (const auto& row : table) {
        EXPECT_EQ(TradingSecondsSinceOpen(At(row.hour, row.minute, row.second)), row.expected)
            << row.hour << ":" << row.minute << ":" << row.second;
    }
    EXPECT_EQ(TradingSecondsSinceOpen(0), 0);
    EXPECT_EQ(TradingSecondsSinceOpen(-1), 0);
    EXPECT_EQ(TradingSecondsSinceOpen(-86400), 0);
}

TEST(MinuteTimeAxis, XAndNowOnALaterDay)
{
    EXPECT_EQ(MinuteAxisX(70, 664, 0), 70);
    EXPECT_EQ(MinuteAxisX(70, 664, kMinuteAxisSeconds), 664);
    EXPECT_EQ(MinuteAxisX(70, 664, 7260), 70 + 7260 * 594 / 14460);
    // During the session the lines end at now; a day later they reach 15:00.
    EXPECT_EQ(NowOnMinuteAxis(At(10, 45), At(10, 44)), TradingSecondsSinceOpen(At(10, 45)));
    EXPECT_EQ(NowOnMinuteAxis(At(10, 45) + 86400, At(14, 0)), kMinuteAxisSeconds);
    EXPECT_EQ(NowOnMinuteAxis(At(10, 45), 0), TradingSecondsSinceOpen(At(10, 45)));
}

TEST(MinuteChartLayout, PanesOfAThousandBySixHundredChart)
{
    const RECT rect { 0, 0, 1000, 600 };
    MinuteChartPanes p = LayoutMinuteChart(rect, kMinuteModeChart, kIndicatorNone, kPageTicks);
    ExpectRect(p.side, 720, 56, 1000, 600, "side");
    ExpectRect(p.price, 70, 19, 664, 393, "price");
    ExpectRect(p.volume, 70, 395, 664, 581, "volume");
    ExpectRect(p.indicator, 70, 581, 664, 581, "indicator");
    const RECT strip = MinuteTimeAxisStrip(rect, p.price);
    ExpectRect(strip, 0, 582, 664, 600, "time axis");

    p = LayoutMinuteChart(rect, kMinuteModeChart, kIndicatorBidAskStrength, kPageTicks);
    ExpectRect(p.price, 70, 19, 664, 281, "price with an indicator");
    ExpectRect(p.volume, 70, 283, 664, 432, "volume with an indicator");
    ExpectRect(p.indicator, 70, 433, 664, 581, "indicator");
}

TEST(MinuteChartLayout, NoSidePanelForPageTenOrAnotherMode)
{
    const RECT rect { 10, 20, 511, 333 };
    const struct
    {
        int mode, page;
    } cases[] = { { kMinuteModeChart, kPageNone }, { kMinuteModeTickList, kPageTicks },
        { kMinuteModeBlank, kPageChips } };
    for (const auto& c : cases) {
        const MinuteChartPanes p = LayoutMinuteChart(rect, c.mode, kIndicatorNone, c.page);
        EXPECT_TRUE(p.side.right <= p.side.left) << c.mode << "/" << c.page;
        EXPECT_EQ(p.price.right, 511 - 56);
        EXPECT_EQ(p.price.bottom, 20 + (313 - 38) * 7 / 10) << "measured from the chart's top";
    }
    // Any side page in mode 1 keeps its column, the blank page 17 too.
    EXPECT_EQ(LayoutMinuteChart(rect, kMinuteModeChart, 0, kPageBlank).side.left, 511 - 280);
}

TEST(MinuteChartLayout, FullListPaging)
{
    // 100 ticks, 20 a page: back from the last page lands on 60; with 15 back is -1.
    int position = -1;
    EXPECT_TRUE(PrevListPosition(position, 100, 20));
    EXPECT_EQ(position, 60);
    EXPECT_TRUE(PrevListPosition(position, 100, 20));
    EXPECT_EQ(position, 40);
    position = -1;
    EXPECT_TRUE(PrevListPosition(position, 15, 20));
    EXPECT_EQ(position, -1);
    position = 0;
    EXPECT_FALSE(PrevListPosition(position, 100, 20)) << "nothing moves at the first page";
    EXPECT_EQ(position, 0);
    position = 10;
    EXPECT_TRUE(PrevListPosition(position, 100, 20));
    EXPECT_EQ(position, -1);

    // On past the end, or from the last page, is the first page.
    position = 80;
    NextListPosition(position, 100, 20);
    EXPECT_EQ(position, 0);
    position = -1;
    NextListPosition(position, 100, 20);
    EXPECT_EQ(position, 0);
    NextListPosition(position, 100, 20);
    EXPECT_EQ(position, 20);

    // Drawn at -1 the list shows its last page.
    EXPECT_EQ(ListPageStart(-1, 100, 20), 80);
    EXPECT_EQ(ListPageStart(-1, 101, 20), 100);
    EXPECT_EQ(ListPageStart(-1, 15, 20), 0);
    EXPECT_EQ(ListPageStart(40, 100, 20), 40);
    EXPECT_EQ(LastPageStart(0, 20), 0);

    EXPECT_EQ(FullListColumns(RECT { 0, 0, 700, 500 }), 3);
    EXPECT_EQ(FullListRows(RECT { 0, 0, 700, 500 }), (500 - 48) / 16);
    EXPECT_EQ(FullListPageSize(RECT { 0, 0, 100, 40 }), 1) << "at least one column and row";
}

TEST(MinuteChartGrid, CellsFilledColumnByColumn)
{
    const RECT rect { 0, 0, 1001, 701 };
    RECT cells[9];
    ASSERT_EQ(LayoutChartGrid(1, rect, cells), 1);
    ExpectRect(cells[0], 0, 0, 1001, 701, "one");
    ASSERT_EQ(LayoutChartGrid(2, rect, cells), 2);
    ExpectRect(cells[0], 0, 0, 1001, 350, "two, top");
    ExpectRect(cells[1], 0, 350, 1001, 701, "two, bottom");
    ASSERT_EQ(LayoutChartGrid(4, rect, cells), 4);
    ExpectRect(cells[1], 0, 350, 500, 701, "four, bottom left");
    ExpectRect(cells[2], 500, 0, 1001, 350, "four, top right");
    ASSERT_EQ(LayoutChartGrid(6, rect, cells), 6);
    ExpectRect(cells[2], 0, 467, 500, 701, "six, left bottom");
    ExpectRect(cells[3], 500, 0, 1001, 233, "six: chart 3 tops the right column");
    ASSERT_EQ(LayoutChartGrid(9, rect, cells), 9);
    ExpectRect(cells[4], 333, 233, 667, 467, "nine, centre");
    ExpectRect(cells[8], 667, 467, 1001, 701, "nine, bottom right");
}

} // namespace
