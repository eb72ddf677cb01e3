// The K-line chart engine without its view: range and cursor, merges, the
// history requests, zoom, keys, the panes and their file, and the picture.
#include "base/ChartColors.h"
#include "base/GdiObjectCache.h"
#include "formula/FormulaCalculator.h"
#include "formula/FormulaLibrary.h"
#include "tests/kline/KLineFixtures.h"
#include "tests/support/OffscreenCanvas.h"
#include "tests/support/SeriesFixtures.h"
#include "tests/support/TempDataRoot.h"
#include "base/CPFile.h"
#include "views/PaneConfigFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <thread>

namespace {

// 1063 px wide: a main plotting area of 700 px.
const RECT kChartRect { 0, 0, 1063, 1000 };

// The middle of a bar's column at height y.
POINT BarPoint(KLineChart& chart, int bar, int y)
{
    RECT r {};
    chart.GetBarRect(bar, &r, nullptr, nullptr, nullptr);
    return POINT { (r.left + r.right) / 2, y };
}

class KLineChartTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        LoadSimulatorFormulas();
        stock = MakeDayStock(0x600000, 500);
        source.current = stock.get();
        source.browseList = { stock.get() };
        chart = std::make_unique<KLineChart>(settings, source, "");
        chart->SetOwner(owner.Handle());
        chart->Layout(kChartRect);
    }

    TempDataRoot root;
    ViewOptions& settings = FreshViewOptions();
    FakeKLineSource source;
    HiddenOwner owner;
    std::unique_ptr<CStock> stock;
    std::unique_ptr<KLineChart> chart;
};

}

TEST_F(KLineChartTest, FirstFitThenZoomAroundTheCursor)
{
    ASSERT_EQ(700, chart->GetLayout().mainPlot.right - chart->GetLayout().mainPlot.left);
    ASSERT_TRUE(chart->CalcVisibleRange());
    EXPECT_EQ(430, chart->GetFirst());
    EXPECT_EQ(499, chart->GetLast());
    chart->SetCursorBar(480);
    chart->StepUp(0);
    EXPECT_EQ(13, chart->GetBarWidth());
    ASSERT_TRUE(chart->CalcVisibleRange());
    EXPECT_EQ(443, chart->GetFirst());
    EXPECT_EQ(495, chart->GetLast());
    EXPECT_EQ(480, chart->GetCursor());
    EXPECT_EQ(0, source.HistoryRequests());
}

TEST_F(KLineChartTest, ZoomStopsAtBothEndsOfTheLadder)
{
    for (int i = 0; i < 30; ++i)
        chart->StepUp(0);
    EXPECT_EQ(43, chart->GetBarWidth());
    for (int i = 0; i < 30; ++i)
        chart->StepDown(0);
    EXPECT_EQ(1, chart->GetBarWidth());
    chart->StepDown(0);
    EXPECT_EQ(1, chart->GetBarWidth());
}

TEST_F(KLineChartTest, ReloadAsksForTheSeriesOfThePeriod)
{
    source.requests.clear();
    chart->SetPeriod(kPeriodWeek);
    ASSERT_EQ(1u, source.requests.size());
    EXPECT_EQ(57u, source.requests[0].flags);
    EXPECT_EQ(0, source.requests[0].more);
    chart->SetPeriod(kPeriodThirtyMinutes);
    ASSERT_EQ(2u, source.requests.size());
    EXPECT_EQ(26u, source.requests[1].flags);
    EXPECT_EQ(-1, chart->GetFirst());
    EXPECT_EQ(-1, chart->GetCursor());
    // No current stock: nothing happens.
    source.current = nullptr;
    chart->Reload();
    EXPECT_EQ(2u, source.requests.size());
}

TEST_F(KLineChartTest, HistoryIsAskedForNearTheOldestBarOnly)
{
    chart->SetVisibleRange(300, 369);
    chart->SetVisibleRange(100, 169);
    EXPECT_EQ(0, source.HistoryRequests());
    chart->SetVisibleRange(59, 128);
    ASSERT_EQ(1, source.HistoryRequests());
    EXPECT_EQ(1u, source.requests.back().flags);
    // The span that counts is the one in view before the move.
    chart->SetVisibleRange(10, 20);
    EXPECT_EQ(2, source.HistoryRequests());
    chart->SetVisibleRange(5, 15);
    EXPECT_EQ(2, source.HistoryRequests());
    settings.SetPeriod(kPeriodFiveMinutes);
    chart->SetVisibleRange(100, 169);
    chart->SetVisibleRange(30, 99);
    ASSERT_EQ(3, source.HistoryRequests());
    EXPECT_EQ(2u, source.requests.back().flags);
}

TEST_F(KLineChartTest, OlderBarsMergedInFrontKeepTheSameBarsInView)
{
    chart->SetRangeAndCursor(0, 69, 10);
    const int32_t cursorTime = stock->GetDayData().GetBar(10)->time;
    source.onRefresh = [](CStock* s, int) { PrependDayBars(*s, 30); };
    chart->OnDataArrived(0x600000, 3);
    EXPECT_EQ(30, chart->GetFirst());
    EXPECT_EQ(99, chart->GetLast());
    EXPECT_EQ(40, chart->GetCursor());
    EXPECT_EQ(cursorTime, stock->GetDayData().GetBar(40)->time);
}

TEST_F(KLineChartTest, ABarAppendedAtTheEndLeavesTheCursorOnItsBar)
{
    chart->SetRangeAndCursor(430, 499, 480);
    source.onRefresh = [](CStock* s, int) { s->GetDayData().AppendBar(MakeBar(T(2030, 1, 1), 10, 11, 9, 10.5f)); };
    chart->OnDataArrived(0x600000, 3);
    EXPECT_EQ(430, chart->GetFirst());
    EXPECT_EQ(499, chart->GetLast());
    EXPECT_EQ(480, chart->GetCursor());
}

TEST_F(KLineChartTest, ShrinkOrGrowthWithoutCursorRefitsAndOtherStocksAreIgnored)
{
    chart->SetRangeAndCursor(100, 169, 120);
    source.onRefresh = [](CStock* s, int) { s->GetDayData().RemoveBars(0, 10); };
    chart->OnDataArrived(0x600001, 3);
    EXPECT_EQ(120, chart->GetCursor());
    chart->OnDataArrived(0x600000, 3);
    EXPECT_EQ(-1, chart->GetFirst());
    EXPECT_EQ(-1, chart->GetCursor());
    chart->SetRangeAndCursor(100, 169, -1);
    source.onRefresh = [](CStock* s, int) { PrependDayBars(*s, 5); };
    chart->OnDataArrived(0x600000, 3);
    EXPECT_EQ(-1, chart->GetFirst());
}

TEST_F(KLineChartTest, ANoticeUnderTheDataLockMeetsNoUiOperationHoldingTheChartLock)
{
    // The download worker holds the data lock when it delivers a notice, and
    // the notice needs the chart lock; a UI operation that held the chart lock
    // while it waited for the data lock would wait for ever. Each round the
    // worker holds the data lock first and delivers its notice only after the
    // UI thread has had time to start its operation; the next round starts
    // when the operation is done.
    auto second = MakeDayStock(0x600004, 300, "第二", "600004");
    source.browseList.push_back(second.get());
    source.exRights[0x600000] = { ExRightsRecord { T(2015, 6, 1), 0.0f, 0.0f, 0.0f, 1.0f } };
    chart->Reload();
    const std::function<void()> operations[] = {
        [this] { chart->SetPeriod(kPeriodWeek); },
        [this] { chart->SetAdjustMode(2); },
        [this] { chart->NextStock(); },
        [this] { chart->SetPeriod(kPeriodFiveMinutes); },
        [this] { chart->PreviousStock(); },
        [this] { chart->SetAdjustMode(1); },
        [this] { chart->SetPeriod(kPeriodDay); },
    };
    const int rounds = static_cast<int>(sizeof operations / sizeof operations[0]);
    HANDLE holding = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE operated = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE allDone = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread watchdog([allDone] {
        if (::WaitForSingleObject(allDone, 20000) != WAIT_OBJECT_0) {
            std::printf("a UI operation and a data notice wait for each other's lock\n");
            // Both threads are stuck for good and use the test's frame: end here.
            std::fflush(stdout);
            std::_Exit(1);
        }
    });
    std::thread worker([&] {
        for (int round = 0; round < rounds; ++round) {
            {
                SingleLock data(source.DataLock());
                ::SetEvent(holding);
                ::Sleep(150);
                chart->OnDataArrived(0x600000, 3);
                chart->OnDataArrived(0x600004, 3);
            }
            ::WaitForSingleObject(operated, INFINITE);
        }
    });
    for (int round = 0; round < rounds; ++round) {
        ::WaitForSingleObject(holding, INFINITE);
        ::Sleep(20);
        operations[round]();
        ::SetEvent(operated);
    }
    worker.join();
    ::SetEvent(allDone);
    watchdog.join();
    EXPECT_EQ(kPeriodDay, settings.GetPeriod());
    EXPECT_EQ(1, settings.GetAdjustMode());
    EXPECT_EQ(stock.get(), chart->GetSnapshot());
    for (HANDLE h : { holding, operated, allDone })
        ::CloseHandle(h);
}

TEST_F(KLineChartTest, NoAdjustmentShowsTheRecordedPricesInEveryPeriodAgain)
{
    // Forward on days, then five minutes, none there, and back to days.
    AddFiveMinuteBars(*stock, 480);
    const std::vector<Bar> days = stock->GetDayData().GetBars();
    const std::vector<Bar> minutes = stock->GetFiveMinuteData().GetBars();
    // One cash dividend inside each series' range.
    source.exRights[0x600000] = { ExRightsRecord { T(2015, 11, 2), 0.0f, 0.0f, 0.0f, 0.8f },
        ExRightsRecord { T(2024, 3, 8), 0.0f, 0.0f, 0.0f, 0.8f } };
    const auto moved = [](const std::vector<Bar>& recorded, const CKData& shown) {
        int n = 0;
        for (int i = 0; i < shown.GetCount() && i < static_cast<int>(recorded.size()); ++i)
            n += shown.GetBar(i)->close != recorded[i].close || shown.GetBar(i)->low != recorded[i].low ? 1 : 0;
        return n;
    };
    chart->Reload();
    chart->SetAdjustMode(2);
    ASSERT_GT(moved(days, stock->GetDayData()), 100) << "the dividend moves the prices on one side of it";
    chart->SetPeriod(kPeriodFiveMinutes);
    EXPECT_GT(moved(minutes, stock->GetFiveMinuteData()), 40);
    chart->SetAdjustMode(1);
    EXPECT_EQ(0, moved(minutes, stock->GetFiveMinuteData()));
    chart->SetPeriod(kPeriodDay);
    EXPECT_EQ(0, moved(days, stock->GetDayData())) << "days show the recorded prices again";
    EXPECT_FALSE(stock->GetDayData().IsAdjusted());
    chart->SetPeriod(kPeriodWeek);
    EXPECT_EQ(0, moved(days, stock->GetDayData()));
}

TEST_F(KLineChartTest, CursorKeys)
{
    ASSERT_TRUE(chart->CalcVisibleRange());
    chart->OnKeyDown(VK_LEFT, false);
    EXPECT_EQ(499, chart->GetCursor());
    EXPECT_EQ(1, chart->GetCrossHairMode());
    chart->OnKeyDown(VK_RIGHT, false);
    EXPECT_EQ(499, chart->GetCursor()); // clamped at the last bar
    chart->SetCursorBar(-1);
    chart->OnKeyDown(VK_RIGHT, false);
    EXPECT_EQ(430, chart->GetCursor());
    chart->OnKeyDown(VK_HOME, false);
    EXPECT_EQ(430, chart->GetCursor());
    chart->OnKeyDown(VK_END, false);
    EXPECT_EQ(499, chart->GetCursor());
    chart->OnKeyDown(VK_LEFT, true);
    EXPECT_EQ(499 - 64, chart->GetCursor());
    chart->OnKeyDown(VK_LEFT, true);
    EXPECT_EQ(499 - 128, chart->GetCursor());
    EXPECT_EQ(371, chart->GetFirst()); // the range follows the cursor
    chart->OnKeyDown(VK_HOME, true);
    EXPECT_EQ(499, chart->GetCursor());
    EXPECT_EQ(499, chart->GetLast());
}

TEST_F(KLineChartTest, CtrlEndGoesToTheFirstBarAndAsksForHistory)
{
    chart->SetRangeAndCursor(300, 369, 320);
    source.requests.clear();
    chart->OnKeyDown(VK_END, true);
    EXPECT_EQ(0, chart->GetFirst());
    EXPECT_EQ(69, chart->GetLast());
    EXPECT_EQ(0, chart->GetCursor());
    ASSERT_EQ(1, source.HistoryRequests());
    EXPECT_EQ(1u, source.requests.back().flags);
}

TEST_F(KLineChartTest, PageKeysBrowseStocks)
{
    auto second = MakeDayStock(0x600004, 50, "第二", "600004");
    source.browseList.push_back(second.get());
    chart->Reload();
    chart->OnKeyDown(VK_NEXT, false);
    EXPECT_EQ(second.get(), chart->GetSnapshot());
    chart->OnKeyDown(VK_NEXT, false); // end of the list: stays
    EXPECT_EQ(second.get(), chart->GetSnapshot());
    chart->OnKeyDown(VK_PRIOR, false);
    EXPECT_EQ(stock.get(), chart->GetSnapshot());
}

TEST_F(KLineChartTest, PanesStartWithTheDefaultsAndFollowAddAndRemove)
{
    EXPECT_EQ(2, settings.GetSubPaneCount());
    EXPECT_EQ((std::vector<std::wstring> { L"VOL", L"MACD" }), chart->GetShownPaneNames());
    chart->SetSubPaneCount(3, -1);
    EXPECT_EQ((std::vector<std::wstring> { L"VOL", L"MACD", L"KDJ" }), chart->GetShownPaneNames());
    ASSERT_EQ(3u, chart->GetLayout().subPanes.size());
    // Close on the first pane.
    EXPECT_EQ(0, chart->OnIndicatorButton(0 * 3 + KLineChart::kButtonClose));
    EXPECT_EQ((std::vector<std::wstring> { L"MACD", L"KDJ" }), chart->GetShownPaneNames());
    // Add after MACD: the first list name not shown.
    EXPECT_EQ(1, chart->OnIndicatorButton(0 * 3 + KLineChart::kButtonAdd));
    EXPECT_EQ((std::vector<std::wstring> { L"MACD", L"VOL", L"KDJ" }), chart->GetShownPaneNames());
    EXPECT_EQ(-1, chart->OnIndicatorButton(9));
    EXPECT_EQ(-1, chart->OnIndicatorButton(-1));
}

TEST_F(KLineChartTest, AddStopsAtFivePanesAndCloseAtNone)
{
    chart->SetSubPaneCount(5, -1);
    chart->OnIndicatorButton(KLineChart::kButtonAdd);
    EXPECT_EQ(5, settings.GetSubPaneCount());
    chart->SetSubPaneCount(1, -1);
    chart->OnIndicatorButton(KLineChart::kButtonClose);
    EXPECT_EQ(0, settings.GetSubPaneCount());
    EXPECT_EQ(0, chart->GetSubPaneCalculatorCount());
    EXPECT_EQ(-1, chart->GetSelectedPaneNumber());
}

TEST_F(KLineChartTest, AZoomBandThatCrossesThePaneBorderStaysABand)
{
    ASSERT_TRUE(chart->CalcVisibleRange());
    chart->OnKeyDown(VK_LEFT, false); // the cross-hair on
    const kline::Layout before = chart->GetLayout();
    const int y = before.mainPlot.top + 60;
    const POINT start = BarPoint(*chart, 440, y);
    const POINT end = BarPoint(*chart, 470, y);
    chart->OnLButtonDown(start.x, start.y, 0, 0);
    ASSERT_EQ(owner.Handle(), ::GetCapture());
    // On its way the band passes over the border under the main pane.
    chart->OnMouseMove((start.x + end.x) / 2, before.mainPane.bottom);
    chart->OnMouseMove(end.x, end.y);
    chart->OnLButtonUp(end.x, end.y);
    EXPECT_EQ(nullptr, ::GetCapture());
    EXPECT_EQ(before.mainPane.bottom, chart->GetLayout().mainPane.bottom);
    EXPECT_EQ(before.subPanes[0].top, chart->GetLayout().subPanes[0].top);
    EXPECT_LE(chart->GetFirst(), 440);
    EXPECT_GE(chart->GetLast(), 470);
    EXPECT_LT(chart->GetLast() - chart->GetFirst(), 499 - 430) << "the band zoomed in";
}

TEST_F(KLineChartTest, FewerPanesEndTheMaximisedPaneAndABorderDrag)
{
    chart->SetSubPaneCount(3, -1);
    RECT last = chart->GetLayout().subPanes[2];
    chart->OnLButtonDblClk((last.left + last.right) / 2, (last.top + last.bottom) / 2);
    ASSERT_EQ(2, chart->GetMaximisedPane());
    chart->SetSubPaneCount(2, -1);
    EXPECT_EQ(-1, chart->GetMaximisedPane()) << "the panes left show with their buttons";
    chart->SetSubPaneCount(3, -1);

    // A drag of the border above the third pane, and the pane count drops under it.
    const int x = (chart->GetLayout().mainPane.left + chart->GetLayout().mainPane.right) / 2;
    const int border = chart->GetLayout().subPanes[1].bottom;
    chart->OnMouseMove(x, border);
    chart->OnLButtonDown(x, border, 0, 0);
    ASSERT_EQ(owner.Handle(), ::GetCapture());
    chart->SetSubPaneCount(1, -1);
    EXPECT_EQ(nullptr, ::GetCapture()) << "the border being dragged is gone";
    chart->OnMouseMove(x, border - 30);
    chart->OnLButtonUp(x, border - 30);
    kline::Layout fresh;
    ASSERT_TRUE(kline::ComputeLayout(kChartRect, 1, fresh));
    ASSERT_EQ(1u, chart->GetLayout().subPanes.size());
    EXPECT_EQ(fresh.mainPane.bottom, chart->GetLayout().mainPane.bottom);
    EXPECT_EQ(fresh.subPanes[0].bottom, chart->GetLayout().subPanes[0].bottom);
}

TEST_F(KLineChartTest, ApplyFormulaPicksTheMainPaneOrASubPane)
{
    const FormulaLibrary* library = FormulaLibrary::Instance();
    const FormulaDefinition* kdj = library->FindByName(L"KDJ");
    ASSERT_NE(nullptr, kdj);
    const FormulaDefinition* overlay = nullptr;
    for (const auto& entry : library->GetDefinitions()) {
        if (entry.second.draw == 1 && entry.second.name != L"MA")
            overlay = &entry.second;
    }
    ASSERT_NE(nullptr, overlay);
    // A main-pane indicator leaves the sub-panes alone.
    chart->ApplyFormula(overlay);
    EXPECT_EQ(overlay->NO, chart->GetMainCalculator()->GetNumber());
    EXPECT_EQ((std::vector<std::wstring> { L"VOL", L"MACD" }), chart->GetShownPaneNames());
    // A sub-pane indicator replaces the last pane when none is selected.
    chart->ApplyFormula(kdj);
    EXPECT_EQ((std::vector<std::wstring> { L"VOL", L"KDJ" }), chart->GetShownPaneNames());
    EXPECT_EQ(kdj->NO, chart->GetSelectedPaneNumber());
    // No pane: one is made for it.
    chart->SetSubPaneCount(0, -1);
    chart->ShowFormula(kdj->NO);
    EXPECT_EQ((std::vector<std::wstring> { L"KDJ" }), chart->GetShownPaneNames());
    EXPECT_EQ(1, settings.GetSubPaneCount());
    // No definition: nothing at all, not even a pane.
    chart->SetSubPaneCount(0, -1);
    chart->ShowFormula(999999);
    EXPECT_EQ(0, chart->GetSubPaneCalculatorCount());
}

TEST_F(KLineChartTest, HelpButtonOpensTheIndicatorsPage)
{
    std::string opened;
    chart->SetWebBase("http://127.0.0.1:7710");
    chart->SetHelpOpener([&opened](const std::string& url) { opened = url; });
    const int macd = FormulaLibrary::Instance()->FindByName(L"MACD")->NO;
    EXPECT_EQ(5, chart->OnIndicatorButton(1 * 3 + KLineChart::kButtonHelp));
    EXPECT_EQ("http://127.0.0.1:7710/zentu/live/tech_tip.php?id=" + std::to_string(macd), opened);
}

TEST(KLinePaneFile, MalformedFiles)
{
    TempDataRoot root;
    const std::string path = root.AppDir() + "techwin.conf";
    const std::vector<std::wstring>& d = kline::DefaultPaneNames();
    std::string unterminated = kline::EncodePaneConfig(1, { L"" });
    for (int i = 0; i < 20; ++i) {
        unterminated[4 + i * 2] = 'A';
        unterminated[5 + i * 2] = 0;
    }
    struct Case
    {
        const char* name;
        bool write;
        std::string bytes;
        int count;
        std::vector<std::wstring> firstNames;
    } cases[] = {
        { "missing", false, "", 2, { d[0], d[1], d[2] } },
        { "two bytes", true, std::string("\x03\x00", 2), 5, { d[0], d[1] } },
        { "count 12", true, kline::EncodePaneConfig(12, std::vector<std::wstring>(12, L"RSI")), 9,
            std::vector<std::wstring>(9, L"RSI") },
        { "count -3", true, kline::EncodePaneConfig(-3, { L"RSI" }), 0, { d[0], d[1] } },
        { "fewer names than the count", true, kline::EncodePaneConfig(4, { L"RSI", L"OBV" }), 4,
            { L"RSI", L"OBV", d[2], d[3] } },
        { "three names", true, kline::EncodePaneConfig(3, { L"RSI", L"OBV", L"WR" }), 3,
            { L"RSI", L"OBV", L"WR", d[3], d[4], d[5], d[6], d[7], d[8] } },
        { "unterminated", true, unterminated, 1, { std::wstring(20, L'A'), d[1] } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ::DeleteFileA(path.c_str());
        if (c.write) {
            ASSERT_TRUE(WriteTestFile(path, c.bytes));
        }
        const kline::PaneConfig config = kline::LoadPaneConfig(path, 5);
        EXPECT_EQ(c.count, config.count);
        ASSERT_GE(config.names.size(), 9u);
        for (size_t i = 0; i < c.firstNames.size(); ++i)
            EXPECT_EQ(c.firstNames[i], config.names[i]) << i;
    }
}

TEST(KLinePaneFile, RoundTripThroughTheChart)
{
    TempDataRoot root;
    LoadSimulatorFormulas();
    const std::string path = root.AppDir() + "techwin.conf";
    ViewOptions& settings = FreshViewOptions();
    FakeKLineSource source;
    HiddenOwner owner;
    {
        KLineChart chart(settings, source, path);
        chart.SetOwner(owner.Handle());
        chart.Layout(kChartRect);
        chart.SetSubPaneCount(4, -1);
        chart.ShowFormula(FormulaLibrary::Instance()->FindByName(L"RSI")->NO);
    }
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(path.c_str(), bytes));
    EXPECT_EQ(4u + 4 * 40, bytes.size());
    ViewOptions& reread = FreshViewOptions();
    KLineChart chart(reread, source, path);
    EXPECT_EQ(4, reread.GetSubPaneCount());
    EXPECT_EQ((std::vector<std::wstring> { L"VOL", L"MACD", L"KDJ", L"RSI" }), chart.GetShownPaneNames());
    // Names too long for a record are cut to 19 units.
    const std::string encoded = kline::EncodePaneConfig(1, { std::wstring(30, L'X') });
    ASSERT_EQ(44u, encoded.size());
    EXPECT_EQ('X', encoded[4 + 18 * 2]);
    EXPECT_EQ(0, encoded[4 + 19 * 2]);
}

TEST(KLineDerivedPeriods, AnUpdateRebuildsTheOtherPeriodsAtTheirNextUse)
{
    TempDataRoot root;
    CStock cached(0x600000);
    CStock snapshot(0x600000);
    for (int i = 0; i < 20; ++i)
        cached.GetDayData().AppendBar(MakeBar(T(2024, 1, 1) + i * 86400, 10, 11, 9, 10.5f));
    AddFiveMinuteBars(cached, 48);
    // As a merged reply leaves them: holding data not yet copied.
    cached.GetDayData().SetActive(1);
    cached.GetFiveMinuteData().SetActive(1);
    cached.CopyUpdatedSeries(&snapshot, kSeriesDay);
    cached.CopyUpdatedSeries(&snapshot, kSeriesFiveMinutes);
    const int weeks = snapshot.GetKData(kPeriodWeek)->GetCount();
    const int months = snapshot.GetKData(kPeriodMonth)->GetCount();
    const int halfHours = snapshot.GetKData(kPeriodThirtyMinutes)->GetCount();
    snapshot.GetKData(kPeriodDay);
    // The chart shows days while three more weeks and a second day of minutes arrive.
    for (int i = 20; i < 41; ++i)
        cached.GetDayData().AppendBar(MakeBar(T(2024, 1, 1) + i * 86400, 10, 11, 9, 10.5f));
    cached.GetFiveMinuteData().Resize(0);
    AddFiveMinuteBars(cached, 96);
    cached.GetDayData().SetActive(1);
    cached.GetFiveMinuteData().SetActive(1);
    cached.CopyUpdatedSeries(&snapshot, kSeriesDay);
    cached.CopyUpdatedSeries(&snapshot, kSeriesFiveMinutes);
    EXPECT_EQ(weeks + 3, snapshot.GetKData(kPeriodWeek)->GetCount());
    EXPECT_EQ(months + 1, snapshot.GetKData(kPeriodMonth)->GetCount());
    EXPECT_EQ(2 * halfHours, snapshot.GetKData(kPeriodThirtyMinutes)->GetCount());
}
