// Each chart owns its snapshot: stock changes, update notices, the list
// paging of the full-window modes, and ticks arriving during paints.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/minute/MinuteFixtures.h"
#include "tests/support/OffscreenCanvas.h"
#include "tests/support/SeriesFixtures.h"

namespace {

StockRecipe Stock(uint32_t key, const char* name, double close, int32_t end)
{
    StockRecipe r;
    r.key = key;
    r.name = name;
    r.previousClose = close;
    r.ticks = WalkTicks(end, close, { 0.01, -0.02, 0.02 }, 100);
    return r;
}

TEST(MinuteSnapshot, TwoChartsKeepTheirStocksAcrossAStockChange)
{
    ChartRig first;
    first.source.Add(Stock(0x600000, "甲", 10, Day(10, 0)));
    first.source.Add(Stock(0x600001, "乙", 20, Day(10, 30)));
    first.source.SetCurrent(0x600000);
    first.chart.Reload();
    EXPECT_EQ(first.source.lastFlags, CRealTime::kReloadFlags);

    CRealTime second;
    second.SetSource(&first.source);
    second.SetOwnerWindow(first.host.m_hWnd);
    first.source.SetCurrent(0x600001);
    second.Reload();

    ASSERT_TRUE(first.chart.GetSnapshot());
    ASSERT_TRUE(second.GetSnapshot());
    EXPECT_EQ(first.chart.GetCodeKey(), 0x600000u);
    EXPECT_EQ(second.GetCodeKey(), 0x600001u);
    const int firstCount = first.chart.GetSnapshot()->GetMinute().GetCount();
    EXPECT_GT(second.GetSnapshot()->GetMinute().GetCount(), firstCount);

    // A notice for the current stock reaches only the chart showing it.
    first.source.MergeTicks(0x600001, Stock(0x600001, "乙", 20, Day(11, 0)).ticks, 20);
    first.chart.OnStockDataUpdated(0x600001, kSeriesTicks);
    second.OnStockDataUpdated(0x600001, kSeriesTicks);
    EXPECT_EQ(first.chart.GetSnapshot()->GetMinute().GetCount(), firstCount);
    EXPECT_EQ(second.GetSnapshot()->GetMinute().GetCount(), 90) << "minutes up to 10:59";

    OffscreenCanvas canvas(1000, 600);
    first.chart.Draw(canvas.Dc(), RECT { 0, 0, 1000, 300 });
    second.Draw(canvas.Dc(), RECT { 0, 300, 1000, 600 });
    EXPECT_EQ(first.chart.GetSnapshot()->GetStockInfo().GetName(), "甲");
}

TEST(MinuteSnapshot, ANoticeThatAddsMinutesClearsTheCursor)
{
    ChartRig rig;
    rig.Show(Stock(0x600000, "甲", 10, Day(10, 0)));
    rig.chart.SetCursorIndex(3);
    rig.chart.OnStockDataUpdated(0x600000, kSeriesDay);
    EXPECT_EQ(rig.chart.GetCursorIndex(), 3) << "the minutes did not change";
    rig.chart.OnStockDataUpdated(0x600009, kSeriesTicks);
    EXPECT_EQ(rig.chart.GetCursorIndex(), 3) << "another stock";
    rig.source.MergeTicks(0x600000, Stock(0x600000, "甲", 10, Day(10, 10)).ticks, 10);
    rig.chart.OnStockDataUpdated(0x600000, kSeriesTicks);
    EXPECT_EQ(rig.chart.GetCursorIndex(), -1);
}

TEST(MinuteSnapshot, PrevAndNextStockMoveOnlyWhenTheSourceMoves)
{
    ChartRig rig;
    rig.Show(Stock(0x600000, "甲", 10, Day(10, 0)));
    const int before = rig.source.requests;
    EXPECT_EQ(rig.chart.ShowNextStock(), 0) << "one stock: nothing moves";
    EXPECT_EQ(rig.source.requests, before);
    rig.source.Add(Stock(0x600001, "乙", 20, Day(10, 0)));
    rig.chart.SetCursorIndex(4);
    EXPECT_EQ(rig.chart.ShowNextStock(), 1);
    EXPECT_EQ(rig.chart.GetCodeKey(), 0x600001u);
    EXPECT_EQ(rig.chart.GetCursorIndex(), -1);
    EXPECT_EQ(rig.source.requests, before + 1);
    EXPECT_EQ(rig.chart.ShowPrevStock(), 1);
    EXPECT_EQ(rig.chart.GetCodeKey(), 0x600000u);
}

TEST(MinuteSnapshot, DisplayResetsAndListPaging)
{
    ChartRig rig;
    StockRecipe r = Stock(0x600000, "甲", 10, Day(14, 0));
    rig.Show(r);
    const int ticks = rig.chart.GetSnapshot()->GetFenbiData().GetCount();
    rig.chart.SetDisplay(kMinuteModeTickList, 0, kPageTicks);
    EXPECT_EQ(rig.chart.GetListPosition(), -1);
    OffscreenCanvas canvas(440, 48 + 16 * 10);
    rig.chart.Draw(canvas.Dc(), RECT { 0, 0, 440, 48 + 160 }); // 2 columns x 10 rows
    ASSERT_GT(ticks, 40);
    EXPECT_EQ(rig.chart.PrevPage(), 1);
    EXPECT_EQ(rig.chart.GetListPosition(), (ticks - 1) / 20 * 20 - 20);
    EXPECT_EQ(rig.chart.NextPage(), 1);
    EXPECT_EQ(rig.chart.NextPage(), 1);
    EXPECT_EQ(rig.chart.GetListPosition(), 0) << "past the end: the first page";
    EXPECT_EQ(rig.chart.PrevPage(), 0) << "at the first page nothing moves";
    rig.chart.SetCursorIndex(5);
    rig.chart.SetDisplay(kMinuteModeChart, 0, kPageTicks);
    EXPECT_EQ(rig.chart.GetListPosition(), -1);
    EXPECT_EQ(rig.chart.GetCursorIndex(), -1);
    EXPECT_EQ(rig.chart.GetSideRowsPerPage(), -1);
    EXPECT_EQ(rig.chart.PrevPage(), 0) << "no paging in chart mode";
    EXPECT_EQ(rig.chart.PrevListPage(), 0);
    EXPECT_EQ(rig.chart.NextListPage(), 0);
}

TEST(MinuteSnapshot, WithoutACurrentStockNothingIsRequested)
{
    ChartRig rig;
    rig.chart.Reload();
    EXPECT_FALSE(rig.chart.GetSnapshot());
    EXPECT_EQ(rig.source.requests, 0);
    EXPECT_EQ(rig.chart.IsIndexStock(), 0);
}

// Notices run on a worker under the data lock while the UI thread paints in
// the view's order (data lock, then the chart's lock): neither waits forever
// and every paint sees a whole snapshot.
TEST(MinuteSnapshot, TicksArrivingDuringPaints)
{
    ChartRig rig;
    rig.Show(Stock(0x600000, "甲", 10, Day(10, 0)));
    std::atomic<bool> stop(false);
    std::atomic<int> notices(0);
    std::thread worker([&]() {
        int32_t end = Day(10, 0);
        while (!stop.load()) {
            end += 60;
            const std::vector<WireTick> ticks = Stock(0x600000, "甲", 10, end).ticks;
            SingleLock data(rig.source.DataLock());
            rig.source.MergeTicks(0x600000, ticks, 10);
            rig.chart.OnStockDataUpdated(0x600000, kSeriesTicks);
            ++notices;
            ::Sleep(1);
        }
    });
    OffscreenCanvas canvas(1000, 600);
    const DWORD start = ::GetTickCount();
    int paints = 0;
    for (int indicator = 0; ::GetTickCount() - start < 800 || notices.load() < 5 || paints <= 5; indicator = (indicator + 1) % 10) {
        {
            SingleLock data(rig.source.DataLock());
            rig.chart.SetDisplay(kMinuteModeChart, indicator, kPageNone);
            rig.chart.Draw(canvas.Dc(), RECT { 0, 0, 1000, 600 });
            ++paints;
        }
        ::Sleep(1);
        if (::GetTickCount() - start > 20000)
            break;
    }
    stop.store(true);
    worker.join();
    EXPECT_GE(notices.load(), 5);
    EXPECT_GT(paints, 5);
    SingleLock lock(&rig.chart.GetLock());
    EXPECT_GT(rig.chart.GetSnapshot()->GetMinute().GetCount(), 31);
}

} // namespace
