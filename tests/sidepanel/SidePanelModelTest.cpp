// What the side panel shows, apart from the painting: the quote-table
// texts, the tick rows, the full-window list layout, sector rows and
// order-size shares.
#include "views/SidePanelModel.h"

#include "base/Format.h"
#include "data/CodeKey.h"
#include "data/GroupData.h"
#include "data/TickStatistics.h"
#include "tests/sidepanel/PanelFixtures.h"
#include "tests/support/SeriesFixtures.h"
#include <gtest/gtest.h>

TEST(SidePanelFormat, QuoteTexts)
{
    struct Case
    {
        double last, previous;
        const char* change;
        const char* percent;
        double changeValue; // what the panel's change row prints
        double percentValue;
    };
    const Case cases[] = {
        { 10.5, 10, "+0.50", "+5.00%", 0.5, 5 }, { 9.5, 10, "-0.50", "-5.00%", -0.5, -5 },
        { 10, 10, "0.00", "0.00%", 0, 0 },
        { 0, 10, "0.00", "0.00%", 0, 0 }, // no trade yet
        { 10, 0, "+10.00", "0.00%", 10, 0 }, // a new listing without a previous close
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ChangeText(c.last, c.previous), c.change) << c.last << " " << c.previous;
        EXPECT_EQ(ChangePercentText(c.last, c.previous), c.percent) << c.last << " " << c.previous;
        EXPECT_DOUBLE_EQ(PriceChange(c.last, c.previous), c.changeValue) << c.last << " " << c.previous;
        EXPECT_DOUBLE_EQ(PriceChangePercent(c.last, c.previous), c.percentValue) << c.last << " " << c.previous;
    }
    EXPECT_EQ(PriceText(12.345), "12.35");

    EXPECT_EQ(MarketCodeText(kMarketTagSH, "600000"), "SH.600000");
    EXPECT_EQ(MarketCodeText(kMarketTagSZ, "000001"), "SZ.000001");
    EXPECT_EQ(MarketCodeText(kMarketTagSB, "400001"), "CN.400001");
}

TEST(SidePanelFormat, ReportQuarterAndAnnualisedEarnings)
{
    struct Case
    {
        int32_t date;
        int quarter;
        const char* sign;
    };
    const Case cases[] = {
        { 0, 1, "㈠" },
        { -5, 1, "㈠" },
        { T(2026, 3, 31, 23, 30), 1, "㈠" },
        // 18:00 UTC on 30 June is 1 July in exchange time.
        { T(2026, 7, 1, 2, 0), 3, "㈢" },
        { T(2026, 6, 30), 2, "㈡" },
        { T(2026, 9, 30), 3, "㈢" },
        { T(2026, 12, 31), 4, "㈣" },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReportQuarter(c.date), c.quarter) << c.date;
        EXPECT_STREQ(QuarterSign(ReportQuarter(c.date)), c.sign) << c.date;
    }
    EXPECT_DOUBLE_EQ(AnnualisedEarnings(0.3, 1), 1.2);
    EXPECT_DOUBLE_EQ(AnnualisedEarnings(0.3, 2), 0.6);
    EXPECT_DOUBLE_EQ(AnnualisedEarnings(0.3, 3), 0.4);
    EXPECT_DOUBLE_EQ(AnnualisedEarnings(0.3, 4), 0.3);

    // Earnings of 0.30 reported at the end of September, last price 12.
    EXPECT_EQ(PriceEarningsText(12, 0.3, T(2026, 9, 30)), "30.000");
    EXPECT_EQ(PriceEarningsText(12, 0, T(2026, 9, 30)), "");
    EXPECT_EQ(PriceEarningsText(12, -0.1, T(2026, 9, 30)), "");
}

TEST(SidePanelFormat, CapitalRows)
{
    struct Case
    {
        int32_t date;
        float total, circulating, earnings;
        const char* turnover;
        const char* label;
        const char* earningsText;
        const char* priceEarnings;
    };
    const Case cases[] = {
        // No report date: every value "-", the first quarter's sign.
        { 0, 1000, 500, 0.3f, "-", "收益㈠", "-", "-" },
        // 5000 lots over 5,000,000 circulating shares: 10 %.
        { T(2026, 9, 30), 1000, 500, 0.3f, "10%", "收益㈢", "0.300", "30.000" },
        // No circulating shares: over the total shares.
        { T(2026, 3, 31), 1000, 0, 0.3f, "5%", "收益㈠", "0.300", "10.000" },
        // No shares at all: no turnover instead of a division by zero.
        { T(2026, 6, 30), 0, 0, -0.1f, "-", "收益㈡", "-0.100", "" },
    };
    for (const Case& c : cases) {
        std::unique_ptr<CStock> fresh = MakeTickStock(0x600000, false, 10, { Tick(At(9, 30), 12, 5000, 12) });
        fresh->GetStockInfo().last = 12;
        fresh->GetStockInfo().volume = 5000;
        SetFinance(*fresh, c.date, c.total, c.circulating, c.earnings, 4.5f);
        const CapitalTexts texts = BuildCapitalTexts(fresh->GetStockInfo());
        EXPECT_EQ(texts.turnover, c.turnover) << c.date;
        EXPECT_EQ(texts.earningsLabel, c.label) << c.date;
        EXPECT_EQ(texts.earnings, c.earningsText) << c.date;
        EXPECT_EQ(texts.priceEarnings, c.priceEarnings) << c.date;
        if (c.date > 0) {
            EXPECT_EQ(texts.netAssets, "4.50") << c.date;
            EXPECT_EQ(texts.totalShares, c.total > 0 ? "1000.00万" : "0") << c.date;
        } else {
            EXPECT_EQ(texts.netAssets, "-");
            EXPECT_EQ(texts.totalShares, "-");
            EXPECT_EQ(texts.circulatingShares, "-");
        }
    }
}

namespace {

std::unique_ptr<CStock> StockOfTicks(const std::vector<WireTick>& ticks, bool index = false)
{
    return MakeTickStock(index ? 0x1A0001 : 0x600000, index, 10, ticks);
}

} // namespace

TEST(SidePanelTickRows, FirstTickShowsItsCumulativeVolumeAndNoLetter)
{
    auto stock = StockOfTicks({ Tick(At(9, 30), 10, 1200, 10), Tick(At(9, 31), 10.1, 1300, 10) });
    const CFenbiData& ticks = stock->GetFenbiData();
    ASSERT_EQ(ticks.GetCount(), 2);
    EXPECT_EQ(TickVolume(ticks, 0), 1200.0f);
    EXPECT_EQ(TradeLetter(ticks, 0), 0);
    EXPECT_EQ(TickVolume(ticks, 1), 100.0f);
    EXPECT_EQ(TradeLetter(ticks, 1), 'B');
}

TEST(SidePanelTickRows, LetterFollowsThePriceMoveOrTheQuotePrice)
{
    // At an unchanged price the letter comes from the tick's own quote
    // price, never from the letter before it.
    auto stock = StockOfTicks({
        Tick(At(9, 30), 10, 100, 10), Tick(At(9, 31), 9.9, 200, 9.9), // fell: S
        Tick(At(9, 32), 9.9, 300, 9.9), // same price, quote price = trade price: B
        Tick(At(9, 33), 9.9, 400, 9.8), // same price, quote price below: S
        Tick(At(9, 34), 9.9, 400, 10), // no volume: no letter
        Tick(At(9, 35), 10.2, 500, 10), // rose: B
    });
    const CFenbiData& ticks = stock->GetFenbiData();
    ASSERT_EQ(ticks.GetCount(), 6);
    const char expected[6] = { 0, 'S', 'B', 'S', 0, 'B' };
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(TradeLetter(ticks, i), expected[i]) << i;
}

TEST(SidePanelTickRows, NewestTicksWithEmptyRowsAbove)
{
    std::vector<WireTick> list;
    for (int i = 0; i < 5; ++i)
        list.push_back(Tick(At(10, i), 10 + 0.01 * i, 100 * (i + 1), 10));
    auto stock = StockOfTicks(list);
    const CFenbiData& ticks = stock->GetFenbiData();

    // Fewer ticks than rows: the ticks fill the lowest rows.
    std::vector<TickRow> rows = BuildTickRows(ticks, 8);
    ASSERT_EQ(rows.size(), 8u);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(rows[k].index, -1) << k;
    for (int k = 3; k < 8; ++k)
        EXPECT_EQ(rows[k].index, k - 3) << k;
    EXPECT_EQ(rows[3].volume, 100.0f);

    // More ticks than rows: the newest ones.
    rows = BuildTickRows(ticks, 2);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].index, 3);
    EXPECT_EQ(rows[1].index, 4);
    EXPECT_EQ(rows[1].time, At(10, 4));

    CFenbiData empty;
    EXPECT_TRUE(BuildTickRows(empty, 8).empty());
}

TEST(SidePanelTickRows, RowsPerPageIsAtLeastOne)
{
    EXPECT_EQ(TickPageRows(400, 400 + 24 + 16 * 5), 5);
    EXPECT_EQ(TickPageRows(400, 400 + 24 + 16 * 5 + 15), 5);
    EXPECT_EQ(TickPageRows(400, 410), 1) << "too low for one row";
    EXPECT_EQ(TickPageRows(400, 300), 1);
}

TEST(SidePanelFullList, ColumnsAreCentredAndMinusOneShowsTheLastPage)
{
    // 700 px: three columns with 20 px on each side; 16 rows under the head.
    const RECT rect = { 100, 50, 800, 50 + 48 + 16 * 16 };
    FullListLayout layout = LayoutFullList(rect, 1000, 0);
    EXPECT_EQ(layout.columns, 3);
    EXPECT_EQ(layout.offset, 20);
    EXPECT_EQ(layout.rows, 16);
    EXPECT_EQ(layout.start, 0);

    struct Case
    {
        int count, position, start;
    };
    // Page size 48.
    const Case cases[] = {
        { 1000, -1, 960 }, // the last page
        { 96, -1, 48 }, // an exact number of pages: the last one, not an empty one
        { 48, -1, 0 }, // one page
        { 10, -1, 0 },
        { 0, -1, 0 },
        { 1000, 100, 100 },
        { 1000, 1000, 0 }, // beyond the count
        { 1000, -5, 0 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(LayoutFullList(rect, c.count, c.position).start, c.start) << c.count << " " << c.position;

    const RECT narrow = { 0, 0, 100, 30 };
    layout = LayoutFullList(narrow, 5, -1);
    EXPECT_EQ(layout.columns, 1);
    EXPECT_EQ(layout.rows, 1);
    EXPECT_EQ(layout.offset, (100 - 220) / 2);
}

TEST(SidePanelSectors, RowsNameTheCategoryAndTheGroup)
{
    // Group 0x02000005 has no known category, group 0x01000009 is unknown.
    const uint32_t key = 0x600000;
    RebuildGroups({ { 0x01000000, "行业" }, { 0x01000001, "银行" }, { 0x02000005, "沪股通" } },
        { { key, 0x01000001 }, { key, 0x02000005 }, { key, 0x01000009 }, { 0x600004, 0x01000001 } });
    const std::vector<SectorRow> rows = BuildSectorRows(*GroupIndex::Instance(), key);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].text, " 行业-银行");
    EXPECT_EQ(rows[0].group, 0x01000001);
    EXPECT_EQ(rows[1].text, "沪股通");
    EXPECT_EQ(rows[1].group, 0x02000005);
    EXPECT_EQ(rows[2].text, " 行业-") << "a group the index does not know keeps its category part";
    EXPECT_TRUE(BuildSectorRows(*GroupIndex::Instance(), 0x600010).empty());
}

TEST(SidePanelOrderSizes, SharesTruncateAndSmallTakesTheRest)
{
    // Ticks that only rise: buys in three classes, no sells at all.
    auto stock = StockOfTicks({
        Tick(At(9, 30), 10, 100, 10, 100),
        Tick(At(9, 31), 10.1, 1100, 10, 1100), // 1000 lots, 1,000,000: extra large
        Tick(At(9, 32), 10.2, 1700, 10, 1700), // 600 lots, 600,000: large
        Tick(At(9, 33), 10.3, 1710, 10, 1710), // 10 lots, 10,000: small
    });
    OrderSizeStats stats(&stock->GetFenbiData());
    ASSERT_EQ(stats.Compute(), 1);
    int buy[4];
    OrderSizeShares(stats, true, buy);
    // 1000/1610 = 62.1 %, 600/1610 = 37.3 %, 0; small takes the rest.
    EXPECT_EQ(buy[0], 62);
    EXPECT_EQ(buy[1], 37);
    EXPECT_EQ(buy[2], 0);
    EXPECT_EQ(buy[3], 1);
    int sell[4] = { 9, 9, 9, 9 };
    OrderSizeShares(stats, false, sell);
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(sell[c], 0) << "no sells: every share 0, small included";
}

TEST(SidePanelPriceLevels, OnlyTheLastRowsFit)
{
    EXPECT_EQ(FirstShownLevel(30, 10), 20);
    EXPECT_EQ(FirstShownLevel(10, 10), 0);
    EXPECT_EQ(FirstShownLevel(3, 10), 0);
}

TEST(SidePanelFormat, AmountsHeldInThousandsShowAsMoney)
{
    // The quotes' and ticks' amounts are in thousands: the index table's
    // total amount and the quote list's amount column show yuan.
    const struct
    {
        double thousands;
        const char* text;
    } cases[] = { { 0, "0" }, { 1.5, "1500" }, { 9.99, "9990" }, { 12345.6, "1234.56万" },
        { 98765432.1, "987.65亿" }, { -2000, "-200.00万" } };
    for (const auto& c : cases)
        EXPECT_EQ(FormatThousandsAmount(c.thousands), c.text) << c.thousands;
    EXPECT_EQ(FormatThousandsAmount(0, "-"), "-");
}
