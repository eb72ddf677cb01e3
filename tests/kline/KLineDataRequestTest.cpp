// The K-line chart's requests through the program's own path: the chart over
// the data center, the data center's cache thread, the request manager and
// the quote connection, against the market simulator. What the chart asks
// for is read from the simulator's request log: the command (day or
// five-minute bars), the stock's key (market and code) and the time window
// (how many bars), and the bars that come back reach the chart.
#include "data/DataCenter.h"
#include "data/Stock.h"
#include "data/ViewNotify.h"
#include "net/DataProvider.h"
#include "net/DownLoaderManager.h"
#include "tests/kline/KLineFixtures.h"
#include "tests/support/QuoteFixtures.h"
#include "tests/support/SimulatedMarket.h"
#include "views/KLineChart.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace {

const DWORD kWaitMs = 30000;
const uint32_t kFirstStock = 0x600000;
const uint32_t kSecondStock = 0x600036;
// The window of a first request: three years back from the server's time, three days ahead.
const uint32_t kFrom = static_cast<uint32_t>(SimulatedMarket::Now() - 94608000);
const uint32_t kTo = static_cast<uint32_t>(SimulatedMarket::Now() + 259200);

// The notices as the K-line view hands them to its chart: on the worker,
// under the data lock.
class ChartRelay : public CViewNotify
{
public:
    KLineChart* chart = nullptr;
    void OnQuotesRefreshed(CReportData*) override { }
    void OnStockDataUpdated(int kind, uint32_t key) override
    {
        if (chart)
            chart->OnDataArrived(key, kind);
    }
};

class KLineDataRequests : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.ok()) << sim.error();
        center = CDataCenter::Instance();
        ASSERT_TRUE(center);
        ASSERT_EQ(center->LoadCodeTable(), S_OK);
        center->SetObserver(&relay);
        chart.reset(new KLineChart(options, DataCenterViewSource(), ""));
        chart->SetOwner(owner.Handle());
        chart->Layout(RECT { 0, 0, 1063, 1000 });
        relay.chart = chart.get();
    }
    void TearDown() override
    {
        if (center)
            center->SetObserver(nullptr);
        sim.quotes.ReleaseAll();
        if (CDataCenter* live = CDataCenter::PeekInstance())
            live->StopCacheThread();
        CDownLoaderManager::ReleaseInstance();
        relay.chart = nullptr;
        chart.reset();
        CDataCenter::ReleaseInstance();
    }

    std::vector<SimRequest> RequestsOf(uint16_t command, uint32_t key) const
    {
        std::vector<SimRequest> found;
        for (const SimRequest& r : sim.quotes.RequestLog()) {
            if (r.command == command && r.key == key)
                found.push_back(r);
        }
        return found;
    }
    // The chart's stock, and how many bars of its period it shows, read as a paint does.
    uint32_t ShownKey()
    {
        SingleLock data(&center->GetDataLock());
        SingleLock lock(&chart->GetLock());
        return chart->GetSnapshot() ? chart->GetSnapshot()->GetCodeKey() : 0;
    }
    int ShownBars()
    {
        SingleLock data(&center->GetDataLock());
        SingleLock lock(&chart->GetLock());
        return chart->GetBarCount();
    }
    int ShownTicks()
    {
        SingleLock data(&center->GetDataLock());
        SingleLock lock(&chart->GetLock());
        return chart->GetSnapshot() ? chart->GetSnapshot()->GetFenbiData().GetCount() : 0;
    }
    int32_t FirstShownTime()
    {
        SingleLock data(&center->GetDataLock());
        SingleLock lock(&chart->GetLock());
        const CKData* series = chart->GetSeries();
        return series && series->GetCount() > 0 ? series->GetBar(0)->time : 0;
    }

    SimulatedMarket sim;
    ViewOptions& options = FreshViewOptions();
    HiddenOwner owner;
    ChartRelay relay;
    CDataCenter* center = nullptr;
    std::unique_ptr<KLineChart> chart;
};

} // namespace

TEST_F(KLineDataRequests, OpeningAStockAndChangingThePeriodAskForItsBars)
{
    // Opened by day: the stock's day bars over the first window, and its ticks.
    ASSERT_EQ(center->SetCurrentStock(kFirstStock), 1);
    EXPECT_TRUE(RequestsOf(kCmdDayBars, kFirstStock).empty()) << "making a stock current asks for nothing";
    options.SetPeriod(kPeriodDay);
    chart->Reload();
    ASSERT_EQ(ShownKey(), kFirstStock);
    const int dayBars = sim.DayBarCount(kFirstStock);
    ASSERT_GT(dayBars, 500);
    ASSERT_TRUE(WaitUntil([&] { return ShownBars() == dayBars; }, kWaitMs))
        << ShownBars() << " of " << dayBars;
    std::vector<SimRequest> day = RequestsOf(kCmdDayBars, kFirstStock);
    ASSERT_EQ(day.size(), 1u);
    EXPECT_EQ(day[0].value, kFrom);
    EXPECT_EQ(day[0].value2, kTo);
    // Its ticks too; once they are in, no notice moves the range any more.
    ASSERT_TRUE(WaitUntil([&] { return ShownTicks() == sim.TickCount(kFirstStock); }, kWaitMs));
    EXPECT_EQ(CountRequests(sim.quotes, kCmdTicks, kFirstStock), 1u);
    EXPECT_TRUE(RequestsOf(kCmdFiveMinuteBars, kFirstStock).empty()) << "a day chart asks for no minute bars";

    // Scrolled near the oldest bar: the three years before it, ending the day before.
    const int32_t oldest = FirstShownTime();
    ASSERT_GT(oldest, 0);
    {
        SingleLock data(&center->GetDataLock());
        SingleLock lock(&chart->GetLock());
        chart->SetVisibleRange(dayBars - 70, dayBars - 1);
        chart->SetVisibleRange(30, 99);
    }
    ASSERT_TRUE(WaitUntil([&] { return RequestsOf(kCmdDayBars, kFirstStock).size() == 2; }, kWaitMs));
    day = RequestsOf(kCmdDayBars, kFirstStock);
    EXPECT_EQ(day[1].value, static_cast<uint32_t>(oldest - 94608000));
    EXPECT_EQ(day[1].value2, static_cast<uint32_t>(oldest - 86400));

    // Thirty minutes: the stock's five-minute bars over the first window, which the chart groups.
    // Six five-minute bars at most make one of thirty minutes.
    const int fiveMinuteBars = static_cast<int>(sim.series.FiveMinuteBars(kFirstStock, kFrom, kTo).size());
    ASSERT_GT(fiveMinuteBars, 48);
    chart->SetPeriod(kPeriodThirtyMinutes);
    ASSERT_TRUE(WaitUntil([&] { return ShownBars() * 6 >= fiveMinuteBars; }, kWaitMs)) << ShownBars();
    const std::vector<SimRequest> minutes = RequestsOf(kCmdFiveMinuteBars, kFirstStock);
    ASSERT_EQ(minutes.size(), 1u);
    EXPECT_EQ(minutes[0].value, kFrom);
    EXPECT_EQ(minutes[0].value2, kTo);

    // Another stock opened in the same period: its own five-minute bars, none of the first's.
    ASSERT_EQ(center->SetCurrentStock(kSecondStock), 1);
    chart->Reload();
    ASSERT_EQ(ShownKey(), kSecondStock);
    const int secondBars = static_cast<int>(sim.series.FiveMinuteBars(kSecondStock, kFrom, kTo).size());
    ASSERT_GT(secondBars, 48);
    ASSERT_TRUE(WaitUntil([&] { return ShownBars() * 6 >= secondBars; }, kWaitMs)) << ShownBars();
    const std::vector<SimRequest> second = RequestsOf(kCmdFiveMinuteBars, kSecondStock);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0].value, kFrom);
    EXPECT_EQ(second[0].value2, kTo);
    EXPECT_TRUE(RequestsOf(kCmdDayBars, kSecondStock).empty());
    EXPECT_EQ(RequestsOf(kCmdFiveMinuteBars, kFirstStock).size(), 1u);
}
