// The minute chart view: chart counts, strips, keys, the wheel, notices and
// pictures of a simulated session at 10:45 in one and four charts.
#include <gtest/gtest.h>

#include <thread>

#include "tests/minute/MinuteFixtures.h"
#include "tests/support/OffscreenCanvas.h"
#include "tests/support/SeriesFixtures.h"
#include "tests/support/ViewTesting.h"
#include "tests/support/WindowTesting.h"
#include "tools/marketdata/SimMarketSeries.h"
#include "views/RealTimeView.h"

namespace {

bool IsShown(HWND window)
{
    return window && (::GetWindowLongPtrA(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

// A stock of the simulated market as its tick reply holds it at the clock.
StockRecipe Simulated(const SimMarketSeries& market, uint32_t key, const char* name, bool index = false)
{
    StockRecipe r;
    r.key = key;
    r.name = name;
    r.index = index;
    r.ticks = market.Ticks(key);
    r.useHeader = true;
    r.header = market.TickHeader(key);
    r.previousClose = r.header.previousClose / 1000.0;
    r.dayBars = market.DayBars(key, Day(0, 0) - 30 * 86400, Day(0, 0));
    return r;
}

class MinuteView : public ::testing::Test
{
protected:
    void SetUp() override
    {
        market.SetClock(now);
        source.Add(Simulated(market, 0x600000, "浦发银行"));
        source.Add(Simulated(market, 0x600016, "民生银行"));
        source.Add(Simulated(market, 0x000001 | 0x1000000, "平安银行"));
        source.Add(Simulated(market, 0x1A0001, "上证指数", true));
        source.SetCurrent(0x600000);
        view.SetSource(&source);
        view.SetClock([this]() { return now; });
        ASSERT_TRUE(view.Create(host.Handle(), host.ClientRect()));
        ShowWithoutActivating(host.Handle());
        PumpPendingMessages();
    }
    void Render(OffscreenCanvas& canvas)
    {
        canvas.Fill(RGB(1, 2, 3));
        view.SendMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
    }

    int32_t now = Day(10, 45);
    SimMarketSeries market;
    FakeChartSource source;
    RecordingMessageProcessor panel;
    CViewTestHost host { 1100, 700 };
    CRealTimeView view { &panel };
};

TEST_F(MinuteView, RegistersItsMessagesAndBuildsItsStrips)
{
    EXPECT_EQ(panel.RegisteredIds(&view),
        (std::vector<UINT> { kViewMsgChartCount, kViewMsgStockDataUpdated, kViewMsgShowFormula }));
    EXPECT_EQ(view.GetIndicatorStrip().GetItemCount(), 10);
    EXPECT_EQ(view.GetPageStrip().GetItemCount(), 7);
    EXPECT_EQ(view.GetChart(0).GetCodeKey(), 0x600000u) << "the main chart reloads at creation";
    EXPECT_EQ(view.GetChart(0).GetPage(), kPageTicks);
    EXPECT_EQ(source.lastFlags, CRealTime::kReloadFlags);
}

TEST_F(MinuteView, ChartCountsAndStrips)
{
    for (int bad : { 0, 3, 5, 10 }) {
        view.SetChartCount(bad);
        EXPECT_EQ(view.GetChartCount(), 1) << bad;
    }
    view.SetChartCount(4);
    EXPECT_EQ(view.GetChartCount(), 4);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(view.GetChart(i).GetPage(), kPageNone) << "no side panel with four charts";
    view.SetDisplay(kMinuteModeChart, 0, 0);
    EXPECT_FALSE(IsShown(view.GetIndicatorStrip().m_hWnd)) << "hidden with more than one chart";
    EXPECT_FALSE(IsShown(view.GetPageStrip().m_hWnd));
    view.Accept(kViewMsgChartCount, 1, 0);
    EXPECT_EQ(view.GetChartCount(), 1);
    EXPECT_EQ(view.GetChart(0).GetPage(), kPageTicks);
    OffscreenCanvas canvas(1100, 700);
    Render(canvas);
    EXPECT_TRUE(IsShown(view.GetIndicatorStrip().m_hWnd)) << "a paint in chart mode shows them again";
    EXPECT_TRUE(IsShown(view.GetPageStrip().m_hWnd));
    view.SetChartCount(9);
    view.SetChartCount(9);
    EXPECT_EQ(view.GetChartCount(), 9);
}

TEST_F(MinuteView, DisplaySelectsTabsByValue)
{
    view.SetDisplay(kMinuteModeChart, kIndicatorMainNetFlow, kPageFinance);
    EXPECT_EQ(view.GetChart(0).GetIndicator(), kIndicatorMainNetFlow);
    EXPECT_EQ(view.GetChart(0).GetPage(), kPageFinance);
    EXPECT_EQ(view.GetIndicatorStrip().GetCurSel(), 8) << "main force stands after the game";
    EXPECT_EQ(view.GetPageStrip().GetCurSel(), 3);
    view.SetDisplay(kMinuteModeChart, 0, kPageChips);
    EXPECT_EQ(view.GetChart(0).GetIndicator(), kIndicatorMainNetFlow) << "0 keeps the indicator";
    EXPECT_EQ(view.GetPageStrip().GetCurSel(), 6);

    // An index offers four pages; the chip page keeps its tab by value.
    source.SetCurrent(0x1A0001);
    view.Activate(0x1A0001);
    OffscreenCanvas canvas(1100, 700);
    Render(canvas);
    EXPECT_EQ(view.GetStripPages(), (std::vector<int32_t> { kPageTicks, kPageVolumeByPrice, kPageOrderSizes, kPageChips }));
    EXPECT_EQ(view.GetPageStrip().GetItemCount(), 4);
    EXPECT_EQ(view.GetChart(0).GetPage(), kPageTicks) << "the rebuilt strip starts at the tick page";
    view.SetDisplay(kMinuteModeChart, 0, kPageChips);
    EXPECT_EQ(view.GetPageStrip().GetCurSel(), 3);
}

// Shown or set with a stock, the main chart takes it only while it is the
// current one; without a key it follows the current stock.
TEST_F(MinuteView, TheMainChartTakesTheStockItIsGivenOnlyWhileItIsCurrent)
{
    source.SetCurrent(0x600016);
    view.Activate(0x600000);
    EXPECT_EQ(view.GetChart(0).GetCodeKey(), 0x600000u) << "the chart keeps what it had";
    view.SetDisplay(kMinuteModeChart, 0, 0, 0x600000);
    EXPECT_EQ(view.GetChart(0).GetCodeKey(), 0x600000u);
    view.SetDisplay(kMinuteModeChart, 0, 0, 0x600016);
    EXPECT_EQ(view.GetChart(0).GetCodeKey(), 0x600016u);
    source.SetCurrent(0x1000001);
    view.SetDisplay(kMinuteModeChart, 0, 0);
    EXPECT_EQ(view.GetChart(0).GetCodeKey(), 0x1000001u);
    source.SetCurrent(0x600000);
    view.Activate(0x600000);
    EXPECT_EQ(view.GetChart(0).GetCodeKey(), 0x600000u);
}

// A click on a strip's tab reaches the view as TCN_SELCHANGE.
void ClickTab(CSkinFlatTabCtrl& strip, int index)
{
    RECT r {};
    ASSERT_TRUE(strip.GetItemRect(index, &r));
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    strip.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
    strip.SendMessage(WM_LBUTTONUP, 0, at);
}

TEST_F(MinuteView, StripClicksChooseTheIndicatorAndThePage)
{
    ClickTab(view.GetIndicatorStrip(), 3);
    EXPECT_EQ(view.GetChart(0).GetIndicator(), kIndicatorFundAnalysis);
    ClickTab(view.GetIndicatorStrip(), 7);
    EXPECT_EQ(view.GetChart(0).GetIndicator(), kIndicatorMainRetailGame) << "the game stands before the main force";
    ClickTab(view.GetPageStrip(), 2);
    EXPECT_EQ(view.GetChart(0).GetPage(), kPageVolumeByPrice);
    EXPECT_EQ(view.GetChart(0).GetIndicator(), kIndicatorMainRetailGame) << "a page keeps the indicator";
}

TEST_F(MinuteView, EscapeWheelAndKeys)
{
    view.SetDisplay(kMinuteModeTickList, 0, 0);
    view.GetChart(0).SetCursorIndex(4);
    EXPECT_EQ(view.Accept(kViewMsgKeyDown, VK_ESCAPE, 0), 1) << "back to the chart";
    EXPECT_EQ(view.GetChart(0).GetMode(), kMinuteModeChart);
    EXPECT_EQ(view.GetChart(0).GetCursorIndex(), -1);
    view.GetChart(0).SetCursorIndex(4);
    EXPECT_EQ(view.Accept(kViewMsgKeyDown, VK_ESCAPE, 0), 0) << "in chart mode it only clears the cursor";
    EXPECT_EQ(view.GetChart(0).GetCursorIndex(), -1);

    // The wheel turned away from the user: the previous stock; toward: the next.
    const uint32_t first = view.GetChart(0).GetCodeKey();
    view.Accept(kViewMsgMouseWheel, MAKEWPARAM(0, WHEEL_DELTA), 0);
    const uint32_t previous = view.GetChart(0).GetCodeKey();
    EXPECT_NE(previous, first);
    view.Accept(kViewMsgMouseWheel, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_EQ(view.GetChart(0).GetCodeKey(), first);

    EXPECT_EQ(view.OnKeyDown(VK_RIGHT), 1);
    EXPECT_EQ(view.GetChart(0).GetCursorIndex(), 0);
    EXPECT_EQ(view.OnKeyDown(VK_END), 1);
    EXPECT_EQ(view.GetChart(0).GetCursorIndex(), view.GetChart(0).GetSnapshot()->GetMinute().GetCount() - 1);
    EXPECT_EQ(view.OnKeyDown('A'), 1);
}

namespace {

int TabOfIndicator(int indicator)
{
    for (int i = 0; i < 10; ++i) {
        if (kMinuteIndicatorTabs[i].indicator == indicator)
            return i;
    }
    return -1;
}

} // namespace

// Whatever changes the display (a menu, the chart count, a click), the strips
// show what the chart shows, and a click on a shown tab takes effect.
TEST_F(MinuteView, StripsFollowTheChartAndEveryTabClickCounts)
{
    CSkinFlatTabCtrl& indicators = view.GetIndicatorStrip();
    CSkinFlatTabCtrl& pages = view.GetPageStrip();
    CRealTime& main = view.GetChart(0);
    const int fundTab = TabOfIndicator(kIndicatorFundAnalysis);
    const int sectorTab = 1;
    ASSERT_EQ(view.GetStripPages()[sectorTab], kPageSectors);

    // A menu choice after a click: the clicked tab is chosen again by a click.
    ClickTab(indicators, fundTab);
    EXPECT_EQ(main.GetIndicator(), kIndicatorFundAnalysis);
    view.SetDisplay(kMinuteModeChart, kIndicatorVolumeRatio, kPageFinance);
    EXPECT_EQ(indicators.GetCurSel(), TabOfIndicator(kIndicatorVolumeRatio));
    ClickTab(indicators, fundTab);
    EXPECT_EQ(main.GetIndicator(), kIndicatorFundAnalysis) << "the click after a menu choice";
    ClickTab(pages, sectorTab);
    EXPECT_EQ(main.GetPage(), kPageSectors);
    view.SetDisplay(kMinuteModeChart, 0, kPageTicks);
    ClickTab(pages, sectorTab);
    EXPECT_EQ(main.GetPage(), kPageSectors) << "the page click after a menu choice";

    // One chart, four, one again: the strips show the chart's indicator and
    // page, and the tabs chosen before the round trip work again.
    view.SetChartCount(4);
    view.SetChartCount(1);
    EXPECT_EQ(indicators.GetCurSel(), TabOfIndicator(main.GetIndicator()));
    EXPECT_EQ(pages.GetCurSel(), 0);
    EXPECT_EQ(main.GetPage(), kPageTicks);
    ClickTab(indicators, fundTab);
    EXPECT_EQ(main.GetIndicator(), kIndicatorFundAnalysis) << "the click after the round trip";
    ClickTab(pages, sectorTab);
    EXPECT_EQ(main.GetPage(), kPageSectors) << "the page click after the round trip";
}

// The sector list of a single chart's page does not stay over a grid whose
// charts have no side panel.
TEST_F(MinuteView, TheSectorListGoesWithTheSidePanel)
{
    OffscreenCanvas canvas(1100, 700);
    view.SetDisplay(kMinuteModeChart, 0, kPageSectors);
    Render(canvas);
    CKeywordListCtrl& list = view.GetChart(0).GetSidePanel().GetSectorList();
    ASSERT_TRUE(list.m_hWnd);
    EXPECT_TRUE(IsShown(list.m_hWnd)) << "on the sector page";
    view.SetChartCount(4);
    Render(canvas);
    EXPECT_FALSE(IsShown(list.m_hWnd)) << "four charts, no side panel";
    view.SetChartCount(1);
    view.SetDisplay(kMinuteModeChart, 0, kPageSectors);
    Render(canvas);
    EXPECT_TRUE(IsShown(list.m_hWnd)) << "back on the sector page";
}

TEST_F(MinuteView, NoticesReachTheShownChartsFromAWorker)
{
    const int before = view.GetChart(0).GetSnapshot()->GetMinute().GetCount();
    market.SetClock(Day(11, 0));
    source.MergeTicks(0x600000, market.Ticks(0x600000), 10);
    std::thread worker([this]() {
        SingleLock data(source.DataLock());
        view.Accept(kViewMsgStockDataUpdated, 0x600000, kSeriesTicks);
    });
    worker.join();
    EXPECT_GT(view.GetChart(0).GetSnapshot()->GetMinute().GetCount(), before);
}

TEST_F(MinuteView, PicturesOfASessionAtQuarterToEleven)
{
    OffscreenCanvas canvas(1100, 700);
    view.SetDisplay(kMinuteModeChart, kIndicatorFundAnalysis, kPageTicks);
    Render(canvas);
    canvas.SavePng("minute-view-1045");
    const MinuteChartPane& price = view.GetChart(0).GetPricePane();
    EXPECT_GT(price.high, price.low);
    EXPECT_GT(canvas.CountPixels(RGB(255, 255, 255), price.rect), 20) << "the price line";
    EXPECT_EQ(canvas.CountPixels(RGB(1, 2, 3), RECT { 0, 0, 1100, 683 }), 0) << "every pixel above the strips";
    // On screen, with the strips along the bottom.
    view.Invalidate();
    view.UpdateWindow();
    PumpPendingMessages();
    EXPECT_FALSE(SaveWindowScreenshot(host.Handle(), "minute-view-1045-screen").empty());

    // Four charts: one Page Down fills each with the next stock in turn.
    view.SetChartCount(4);
    view.OnKeyDown(VK_NEXT);
    Render(canvas);
    canvas.SavePng("minute-view-four-charts");
    for (int i = 0; i < 4; ++i) {
        const MinuteChartPane& pane = view.GetChart(i).GetPricePane();
        EXPECT_GT(canvas.CountPixels(RGB(255, 255, 255), pane.rect), 10) << "chart " << i;
    }
    EXPECT_EQ(view.GetChart(2).GetChartRect().left, 550);
    EXPECT_EQ(view.GetChart(1).GetChartRect().top, (700 - 17) / 2) << "the strips keep the bottom in chart mode";
}

} // namespace

TEST_F(MinuteView, ContextMenuRowsAreAsTallAsTheMenuFontNeeds)
{
    const int expected = MenuFontRowHeight();
    ASSERT_GT(expected, 10);
    EXPECT_EQ(ContextMenuFirstRowHeight(view.m_hWnd, POINT { 300, 200 }), expected);
}
