// What the side panel's pages do beyond their look: the order book, the
// counts they write back, the diagnosis fetch, the chip calculator's guard,
// the sector list's refill, volume by price and order sizes, the lists.
#include "views/QuoteSidePanel.h"

#include "base/ChartColors.h"
#include "data/GroupData.h"
#include "data/Stock.h"
#include "tests/sidepanel/PanelFixtures.h"
#include "tests/support/OffscreenCanvas.h"
#include "tests/support/WindowTesting.h"
#include "tools/marketdata/SimMarketTables.h"
#include "win/WindowImpl.h"
#include <commctrl.h>
#include <atomic>
#include <gtest/gtest.h>

namespace {

const COLORREF kBackground = RGB(8, 8, 8);
const COLORREF kFrame = RGB(128, 0, 0);
const COLORREF kHeldChips = RGB(255, 128, 0);
const COLORREF kOpenChips = RGB(160, 160, 255);

// Pixels in the area that are not the panel background.
int Marked(const OffscreenCanvas& canvas, const RECT& area)
{
    const int all = (area.right - area.left) * (area.bottom - area.top);
    return all - canvas.CountPixels(kBackground, area);
}

std::vector<WireTick> RisingTicks(int n)
{
    std::vector<WireTick> ticks;
    for (int i = 0; i < n; ++i)
        ticks.push_back(Tick(At(10, i), 10 + 0.01 * i, 100 * (i + 1), 10, 1000 * (i + 1)));
    return ticks;
}

struct PanelTest : public ::testing::Test
{
    OffscreenCanvas canvas { 300, 900, RGB(0, 0, 0) };
    RECT page { 10, 56, 290, 890 };
    CQuoteSidePanel panel;
    int rows = -7;
    int result = -7;
};

} // namespace

TEST_F(PanelTest, EmptyOrderBookShowsOnlyTheLevelLabels)
{
    auto stock = MakeTickStock(0x600000, false, 10, RisingTicks(3));
    CStockInfo& info = stock->GetStockInfo();
    for (int i = 0; i < 5; ++i) {
        info.askPrices[i] = info.bidPrices[i] = 0;
        info.askVolumes[i] = info.bidVolumes[i] = 0;
    }
    panel.DrawTickPage(canvas.Dc(), page, stock.get(), rows, result);
    // The value columns of the ask and bid rows, right of the labels.
    const RECT asks = { page.left + 50, page.top + 21, page.right - 2, page.top + 101 };
    const RECT bids = { page.left + 50, page.top + 104, page.right - 2, page.top + 184 };
    EXPECT_EQ(Marked(canvas, asks), 0);
    EXPECT_EQ(Marked(canvas, bids), 0);

    // A level with volume shows its price and volume there.
    info.askPrices[0] = 10.05f;
    info.askVolumes[0] = 300;
    canvas.Fill(RGB(0, 0, 0));
    panel.DrawTickPage(canvas.Dc(), page, stock.get(), rows, result);
    const RECT ask1 = { page.left + 50, page.top + 85, page.right - 2, page.top + 101 };
    EXPECT_GT(Marked(canvas, ask1), 0);
}

TEST_F(PanelTest, TickPageWritesItsRowsPerPage)
{
    auto stock = MakeTickStock(0x600000, false, 10, RisingTicks(5));
    panel.DrawTickPage(canvas.Dc(), page, stock.get(), rows, result);
    const int y0 = page.top + 325 + 1;
    EXPECT_EQ(rows, (page.bottom - y0 - 24) / 16);
    EXPECT_EQ(result, -7) << "the list result is only passed along";

    auto index = MakeTickStock(0x1A0001, true, 3000, RisingTicks(5));
    const RECT low = { 10, 56, 290, 56 + 274 + 10 };
    panel.DrawTickPage(canvas.Dc(), low, index.get(), rows, result);
    EXPECT_EQ(rows, 1) << "too low for a row still reports one";

    // An index on the order-size page shows the tick page.
    panel.DrawOrderSizePage(canvas.Dc(), page, index.get(), rows, result);
    EXPECT_EQ(rows, (page.bottom - (page.top + 274 + 1) - 24) / 16);

    // The finance page pages the minute records with its own count.
    panel.DrawFinancePage(canvas.Dc(), page, stock.get(), rows, result);
    EXPECT_EQ(rows, (page.bottom - page.top - 325 - 25) / 16);
}

TEST_F(PanelTest, EmptyRectangleDrawsNothingAndChangesNothing)
{
    auto stock = MakeTickStock(0x600000, false, 10, RisingTicks(5));
    const RECT empty = { 10, 56, 10, 890 };
    panel.DrawTickPage(canvas.Dc(), empty, stock.get(), rows, result);
    panel.DrawPriceVolumePage(canvas.Dc(), empty, stock.get());
    panel.DrawOrderSizePage(canvas.Dc(), empty, stock.get(), rows, result);
    panel.DrawTickListWindow(canvas.Dc(), stock.get(), empty, -1);
    EXPECT_EQ(canvas.CountPixelsNot(RGB(0, 0, 0)), 0);
    EXPECT_EQ(rows, -7);
}

TEST_F(PanelTest, StockTableLeavesTheNeutralTextLight)
{
    SidePanelColors::NeutralText = RGB(255, 255, 255);
    auto index = MakeTickStock(0x1A0001, true, 3000, RisingTicks(3));
    EXPECT_EQ(panel.DrawQuoteTable(canvas.Dc(), index.get(), 10, 56, 280), 274);
    EXPECT_EQ(SidePanelColors::NeutralText, RGB(255, 255, 255));
    auto stock = MakeTickStock(0x600000, false, 10, RisingTicks(3));
    EXPECT_EQ(panel.DrawQuoteTable(canvas.Dc(), stock.get(), 10, 56, 280), 325);
    EXPECT_EQ(SidePanelColors::NeutralText, RGB(230, 230, 230));
    panel.DrawQuoteTable(canvas.Dc(), index.get(), 10, 56, 280);
    EXPECT_EQ(SidePanelColors::NeutralText, RGB(230, 230, 230)) << "later users keep it";
}

TEST_F(PanelTest, DiagnosisIsFetchedOncePerStock)
{
    std::atomic<int> fetches { 0 };
    std::atomic<uint32_t> fetched { 0 };
    panel.SetDiagnosisLoader([&](uint32_t key) {
        fetched = key;
        ++fetches;
        return std::string("趋势向好");
    });
    auto first = MakeTickStock(0x600000, false, 10, RisingTicks(3));
    auto second = MakeTickStock(0x600004, false, 10, RisingTicks(3));
    panel.DrawDiagnosisPage(canvas.Dc(), page, first.get());
    ASSERT_TRUE(PumpUntil([&] { return fetches.load() == 1; }, 5000));
    panel.DrawDiagnosisPage(canvas.Dc(), page, first.get());
    PumpUntil([] { return false; }, 50);
    EXPECT_EQ(fetches.load(), 1);
    EXPECT_EQ(fetched.load(), 0x600000u);
    EXPECT_FALSE(first->GetDiagnose().IsLoaded()) << "the stock's own series is not changed";
    panel.DrawDiagnosisPage(canvas.Dc(), page, second.get());
    ASSERT_TRUE(PumpUntil([&] { return fetches.load() == 2; }, 5000));
    EXPECT_EQ(fetched.load(), 0x600004u);
}

namespace {

class CPanelOwner : public CWindowImpl<CPanelOwner, CWindow, CWinTraits<WS_POPUP>>
{
public:
    DECLARE_WND_CLASS_EX("ZtDiagnosisOwner", 0, COLOR_WINDOW + 1)
    int paints = 0;
    BEGIN_MSG_MAP(CPanelOwner)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
    END_MSG_MAP()
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&)
    {
        PAINTSTRUCT ps;
        ::BeginPaint(m_hWnd, &ps);
        ::EndPaint(m_hWnd, &ps);
        ++paints;
        return 0;
    }
};

} // namespace

// A slow service stalls neither the paint nor its caller: the page shows that
// the verdict is on its way, the fetch runs on another thread, and the
// answer reaches the owner window, whose next paint shows it.
TEST_F(PanelTest, TheDiagnosisIsFetchedOffThePaintingThread)
{
    CPanelOwner owner;
    ASSERT_TRUE(owner.Create(nullptr, CRect(0, 0, 50, 50)));
    ShowWithoutActivating(owner);
    panel.SetOwnerWindow(owner);
    CKernelHandle answer(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::atomic<int> fetches { 0 };
    std::atomic<DWORD> fetchThread { 0 };
    std::atomic<bool> returned { false };
    panel.SetDiagnosisLoader([&](uint32_t) {
        fetchThread = ::GetCurrentThreadId();
        ++fetches;
        ::WaitForSingleObject(answer, 3000);
        returned = true;
        return std::string("趋势向好，短线关注量能变化，中线持有。");
    });
    auto stock = MakeTickStock(0x600000, false, 10, RisingTicks(3));
    panel.DrawDiagnosisPage(canvas.Dc(), page, stock.get());
    EXPECT_NE(fetchThread.load(), ::GetCurrentThreadId()) << "not on the painting thread";
    EXPECT_FALSE(returned.load()) << "the paint did not wait for the service";
    const RECT text = { page.left + 2, page.top + 330, page.right - 2, page.top + 420 };
    const int loading = Marked(canvas, text);
    EXPECT_GT(loading, 0) << "the page says the verdict is coming";
    for (int i = 0; i < 3; ++i)
        panel.DrawDiagnosisPage(canvas.Dc(), page, stock.get());
    PumpPendingMessages();
    owner.paints = 0;
    ::SetEvent(answer);
    ASSERT_TRUE(PumpUntil([&] { return returned.load() && owner.paints > 0; }, 5000))
        << "the owner is told to paint again";
    canvas.Fill(RGB(0, 0, 0));
    panel.DrawDiagnosisPage(canvas.Dc(), page, stock.get());
    EXPECT_NE(Marked(canvas, text), loading) << "the verdict replaces the waiting text";
    EXPECT_EQ(fetches.load(), 1) << "once for the stock";
    owner.DestroyWindow();
}

namespace {

// Stands in for the chip calculator: counts its calls and answers with the
// given levels.
struct FakeChips
{
    int calls = 0;
    std::vector<uint32_t> levels;
    std::vector<uint64_t> volumes;
    double held = 0.5;

    CQuoteSidePanel::ChipCalculator Calculator()
    {
        return [this](const ChipComputation& c, ChipDistributionResult& r) {
            ++calls;
            EXPECT_GT(c.step, 0.0);
            r.levels = levels;
            r.volumes = volumes;
            r.minimum = levels.empty() ? 0 : levels.front() / 1000.0;
            r.maximum = levels.empty() ? 0 : levels.back() / 1000.0;
            r.total = 0;
            for (uint64_t v : volumes)
                r.total += static_cast<double>(v);
            r.held = held;
            return levels.empty() ? 0 : 1;
        };
    }
};

} // namespace

TEST_F(PanelTest, NoPriceRangeNeverAsksTheChipCalculator)
{
    auto stock = MakeTickStock(0x600000, false, 10, RisingTicks(3));
    AddDayBars(*stock, 40);
    FakeChips fake;
    fake.levels = { 10000, 10500 };
    fake.volumes = { 100, 200 };
    panel.SetChipCalculator(fake.Calculator());
    const RECT pane = { 0, 60, 10, 800 };
    panel.DrawChipDistribution(canvas.Dc(), stock.get(), kPeriodDay, -1, page, pane, 12, 12);
    panel.DrawMovingCostPage(canvas.Dc(), stock.get(), kPeriodDay, -1, page, pane, 12, 12);
    EXPECT_EQ(fake.calls, 0);
    // The cost page still shows its five legends, each in its curve's colour.
    const COLORREF colours[5]
        = { RGB(255, 0, 0), RGB(255, 0, 128), RGB(255, 128, 0), RGB(255, 128, 128), RGB(255, 255, 0) };
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(canvas.Pixel(page.left + 165, page.bottom - 105 + 16 * k + 8), colours[k]) << k;

    panel.DrawChipDistribution(canvas.Dc(), stock.get(), kPeriodDay, -1, page, pane, 12, 9);
    EXPECT_EQ(fake.calls, 1);
    panel.DrawMovingCostPage(canvas.Dc(), stock.get(), kPeriodDay, -1, page, pane, 12, 9);
    EXPECT_EQ(fake.calls, 6);
}

TEST_F(PanelTest, CloseAboveEveryLevelDrawsOnlyHeldChips)
{
    // 40 bars close from 10 to 14.875; every level lies below the last close.
    auto stock = MakeTickStock(0x600000, false, 10, RisingTicks(3));
    AddDayBars(*stock, 40);
    FakeChips fake;
    fake.levels = { 10000, 11000, 12000, 13000, 14000 };
    fake.volumes = { 100, 300, 500, 300, 100 };
    panel.SetChipCalculator(fake.Calculator());
    const RECT pane = { 0, 60, 10, 860 };
    panel.DrawChipDistribution(canvas.Dc(), stock.get(), kPeriodDay, -1, page, pane, 16, 8);
    canvas.SavePng("sidepanel-chips-all-held");
    EXPECT_GT(canvas.CountPixels(kHeldChips), 0);
    EXPECT_EQ(canvas.CountPixels(kOpenChips), 0) << "the profit gauge is full: 100 %";
    // A level line: from L + 1 to L + w x v x 40 / total at the level's y.
    const int y = static_cast<int>(pane.bottom - (pane.bottom - pane.top) * (12 - 8) / 8.0);
    EXPECT_EQ(canvas.Pixel(page.left + 1, y), kHeldChips);
    EXPECT_EQ(canvas.Pixel(page.left + 100, y), kHeldChips);

    // With the cursor on the first bar (close 10) the levels above are open chips.
    canvas.Fill(RGB(0, 0, 0));
    panel.DrawChipDistribution(canvas.Dc(), stock.get(), kPeriodDay, 0, page, pane, 16, 8);
    EXPECT_EQ(canvas.Pixel(page.left + 100, y), kOpenChips);
}

TEST_F(PanelTest, ChipPageDrawsNothingWithoutAPriceRange)
{
    auto stock = MakeTickStock(0x600000, false, 10, RisingTicks(30));
    const RECT pane = { 0, 60, 10, 860 };
    panel.DrawChipPage(canvas.Dc(), page, stock.get(), pane, 10, 10);
    const RECT inside = { page.left + 1, page.top + 1, page.right - 1, page.bottom - 1 };
    EXPECT_EQ(Marked(canvas, inside), 0);
    panel.DrawChipPage(canvas.Dc(), page, stock.get(), pane, 10.5, 9.9);
    EXPECT_GT(canvas.CountPixels(ChartColors::Rise, inside), 0);
}

TEST_F(PanelTest, VolumeByPriceKeepsTheLastLevels)
{
    // 30 minutes at 30 different prices, quantities growing with the price.
    auto stock = MakeTickStock(0x600000, false, 10, RisingTicks(30));
    ASSERT_EQ(stock->GetMinute().GetCount() > 0, true);
    const RECT small = { 10, 56, 290, 56 + 325 + 3 + 16 * 4 };
    panel.DrawPriceVolumePage(canvas.Dc(), small, stock.get());
    const int xq = small.left + 2 + static_cast<int>(0.55 * 280);
    // Four rows fit: the four highest levels; the largest (the last) fills the bar.
    for (int k = 0; k < 4; ++k) {
        const int y = small.top + 325 + 2 + 16 * k + 8;
        EXPECT_NE(canvas.Pixel(xq + 3, y), kBackground) << "row " << k;
    }
    const int lastY = small.top + 325 + 2 + 16 * 3 + 8;
    EXPECT_NE(canvas.Pixel(small.right - 4 - 1, lastY), kBackground) << "the largest quantity fills the bar";
    EXPECT_EQ(canvas.Pixel(small.right - 4, lastY), kBackground);
}

TEST_F(PanelTest, OrderSizesWithoutSellsLeaveTheSellPieEmpty)
{
    std::vector<WireTick> ticks = RisingTicks(10);
    auto stock = MakeTickStock(0x600000, false, 10, ticks);
    panel.DrawOrderSizePage(canvas.Dc(), page, stock.get(), rows, result);
    canvas.SavePng("sidepanel-order-sizes-no-sells");
    const RECT buyPie = { page.left + 2, page.top + 27, page.left + 102, page.top + 113 };
    const RECT sellPie = { page.left + 2, page.top + 147, page.left + 102, page.top + 233 };
    EXPECT_GT(Marked(canvas, buyPie), 0);
    EXPECT_EQ(Marked(canvas, sellPie), 0);
    EXPECT_EQ(rows, (page.bottom - page.top - 447) / 16);
}

TEST_F(PanelTest, FullWindowListCentresItsColumns)
{
    std::vector<WireTick> ticks = RisingTicks(100);
    auto stock = MakeTickStock(0x600000, false, 10, ticks);
    OffscreenCanvas wide(720, 400, kBackground);
    const RECT chart = { 10, 0, 710, 400 };
    panel.DrawTickListWindow(wide.Dc(), stock.get(), chart, 0);
    wide.SavePng("sidepanel-tick-list");
    const int y = 24 + 100;
    EXPECT_EQ(wide.Pixel(chart.left + 19, y), kBackground);
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(wide.Pixel(chart.left + 20 + 220 * c, y), kFrame) << c;
    EXPECT_EQ(wide.Pixel(chart.left + 20 + 660 - 1, y), kFrame);
    EXPECT_EQ(wide.Pixel(chart.left + 20 + 660, y), kBackground);

    // 22 rows by 3 columns a page: the last page holds ticks 66-99, two columns.
    wide.Fill(kBackground);
    panel.DrawTickListWindow(wide.Dc(), stock.get(), chart, -1);
    EXPECT_EQ(wide.Pixel(chart.left + 20 + 220, y), kFrame);
    EXPECT_EQ(wide.Pixel(chart.left + 20 + 440, y), kBackground);

    OffscreenCanvas minutes(720, 400, kBackground);
    panel.DrawMinuteListWindow(minutes.Dc(), stock.get(), chart, -1);
    minutes.SavePng("sidepanel-minute-list");
    EXPECT_EQ(minutes.Pixel(chart.left + 20, y), kFrame);
}

namespace {

typedef CWinTraits<WS_POPUP | WS_CLIPCHILDREN> CPopupTraits;

class CChartStandIn : public CWindowImpl<CChartStandIn, CWindow, CPopupTraits>
{
public:
    DECLARE_WND_CLASS_EX("ZentuTestSidePanelChart", 0, COLOR_WINDOW + 1)
    BEGIN_MSG_MAP(CChartStandIn)
        REFLECT_NOTIFICATIONS()
    END_MSG_MAP()
};

} // namespace

TEST_F(PanelTest, SectorListHoldsSixteenGroupsAndRefillsAfterAnotherPage)
{
    CChartStandIn chart;
    const RECT frame = { 0, 0, 300, 900 };
    ASSERT_NE(chart.Create(nullptr, frame), nullptr);
    ShowWithoutActivating(chart.m_hWnd);
    panel.SetOwnerWindow(chart.m_hWnd);
    auto stock = MakeSimulatedStock(SimMarketTables::kManyGroupsKey);

    panel.DrawSectorPage(canvas.Dc(), page, stock.get(), rows, result);
    CKeywordListCtrl& list = panel.GetSectorList();
    ASSERT_NE(list.m_hWnd, nullptr);
    EXPECT_TRUE(list.IsWindowVisible());
    EXPECT_EQ(panel.GetListedStock(), static_cast<int32_t>(SimMarketTables::kManyGroupsKey));
    ASSERT_EQ(list.GetItemCount(), 16);
    const std::vector<int32_t>* groups
        = GroupIndex::Instance()->GetBlocksOfKey(SimMarketTables::kManyGroupsKey);
    ASSERT_TRUE(groups);
    ASSERT_GT(groups->size(), 16u);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(list.GetItemData(i), static_cast<LPARAM>((*groups)[static_cast<size_t>(i)])) << i;
    // The list window is left out of later drawing on the page's DC.
    RECT clip = {};
    ASSERT_NE(::GetClipBox(canvas.Dc(), &clip), ERROR);
    EXPECT_EQ(::PtVisible(canvas.Dc(), page.left + 5, page.bottom - 5), FALSE);

    // Drawn again for the same stock, the list keeps its rows as they are.
    list.DeleteAllItems();
    panel.DrawSectorPage(canvas.Dc(), page, stock.get(), rows, result);
    EXPECT_EQ(list.GetItemCount(), 0);

    // Another page hides the list and forgets the stock; back on the sector
    // page the rows are filled in again.
    OffscreenCanvas other(300, 900, RGB(0, 0, 0));
    panel.DrawTickPage(other.Dc(), page, stock.get(), rows, result);
    EXPECT_FALSE(list.IsWindowVisible());
    EXPECT_EQ(panel.GetListedStock(), -1);
    const RECT empty = {};
    panel.DrawTickPage(other.Dc(), empty, stock.get(), rows, result);
    OffscreenCanvas again(300, 900, RGB(0, 0, 0));
    panel.DrawSectorPage(again.Dc(), page, stock.get(), rows, result);
    EXPECT_TRUE(list.IsWindowVisible());
    EXPECT_EQ(list.GetItemCount(), 16);

    // An empty page rectangle leaves the list as it was.
    panel.DrawTickPage(other.Dc(), empty, stock.get(), rows, result);
    EXPECT_TRUE(list.IsWindowVisible());
    panel.DrawBlankPage(other.Dc(), page, stock.get(), rows, result);
    EXPECT_FALSE(list.IsWindowVisible());
    chart.DestroyWindow();
}

TEST_F(PanelTest, ChipLevelsOnTheEdgeRowsAreSkipped)
{
    // One pixel is 1/8 of the price unit, so every level falls on an exact row.
    auto stock = MakeTickStock(0x600000, false, 10, RisingTicks(3));
    AddDayBars(*stock, 40);
    const RECT pane = page;
    const double highest = (page.bottom - page.top) / 8.0;
    FakeChips fake;
    fake.levels = { 250, 375, 104000, 104125 }; // rows B - 2, B - 3, T + 2, T + 1
    fake.volumes = { 100, 100, 100, 100 };
    panel.SetChipCalculator(fake.Calculator());
    panel.DrawChipDistribution(canvas.Dc(), stock.get(), kPeriodDay, -1, page, pane, highest, 0);
    ASSERT_EQ(fake.calls, 1);
    EXPECT_EQ(canvas.Pixel(page.left + 1, page.bottom - 2), kBackground);
    EXPECT_EQ(canvas.Pixel(page.left + 1, page.bottom - 3), kHeldChips);
    EXPECT_EQ(canvas.Pixel(page.left + 1, page.top + 2), kOpenChips);
    EXPECT_EQ(canvas.Pixel(page.left + 1, page.top + 1), kBackground);
}

TEST_F(PanelTest, CostPageWithFewBarsStillShowsEveryLegend)
{
    auto stock = MakeTickStock(0x600000, false, 10, RisingTicks(3));
    AddDayBars(*stock, 30);
    const RECT pane = { 0, 60, 10, 860 };
    panel.DrawMovingCostPage(canvas.Dc(), stock.get(), kPeriodDay, -1, page, pane, 15, 9);
    canvas.SavePng("sidepanel-cost-few-bars");
    const COLORREF colours[5]
        = { RGB(255, 0, 0), RGB(255, 0, 128), RGB(255, 128, 0), RGB(255, 128, 128), RGB(255, 255, 0) };
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(canvas.Pixel(page.left + 165, page.bottom - 105 + 16 * k + 8), colours[k]) << k;
    // The curves fill rows from the page's left edge.
    const RECT curves = { page.left + 2, page.top + 2, page.left + 40, page.bottom - 110 };
    EXPECT_GT(Marked(canvas, curves), 0);
}
