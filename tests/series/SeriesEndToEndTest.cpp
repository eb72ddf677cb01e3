// Each series once through the real transport against the market simulator.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "base/CPFile.h"
#include "base/GlobalDefaults.h"
#include "data/F10Data.h"
#include "data/FenbiData.h"
#include "data/FiveMinData.h"
#include "data/FormuleData.h"
#include "data/KData.h"
#include "data/MarketTime.h"
#include "data/Minute.h"
#include "data/TickStatistics.h"
#include "net/DownLoaderManager.h"
#include "tests/support/QuoteFixtures.h"
#include "tests/support/SeriesFixtures.h"
#include "tests/support/TempDataRoot.h"
#include "tools/marketdata/SimMarketSeries.h"
#include "tools/marketdata/SimMarketTables.h"
#include "tools/quotesim/QuoteSimulator.h"

namespace {

const uint32_t kKey = 0x600000;

// Waits for the series' reply to be handled; generous, since Wine can be slow to start threads.
bool WaitForReply(CBase& series)
{
    return WaitUntil([&series]() { return !series.IsRequestPending(); }, 30000);
}

class SeriesEndToEnd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        market.SetClock(now);
        market.Install(simulator);
        ASSERT_TRUE(simulator.Start(0));
        CDownLoaderManager::ReleaseInstance();
        QuoteServerAddress::Set("127.0.0.1");
        QuoteServerPort::Set(simulator.Port());
        ServerTime::Set(now);
    }
    void TearDown() override
    {
        CDownLoaderManager::ReleaseInstance();
        simulator.Stop();
    }

    // Thursday 2026-12-10, 10:15 exchange time: 45 session minutes have passed.
    int32_t now = T(2026, 12, 10, 10, 15);
    SimMarketSeries market;
    QuoteSimulator simulator;
    TempDirectory dir;
};

TEST_F(SeriesEndToEnd, DayBarsThenOlderHistory)
{
    simulator.SetCompression(1);
    CKData day;
    day.SetKey(kKey);
    ASSERT_EQ(day.RequestData(0), 1);
    ASSERT_TRUE(WaitForReply(day));
    ASSERT_GT(day.GetCount(), 700);
    EXPECT_EQ(day.GetLastTime(), T(2026, 12, 10)) << "today's bar, stamped 00:00";
    EXPECT_GE(day.GetFirstTime(), now - 94608000);
    for (const Bar& bar : day.GetBars())
        ASSERT_EQ(HourOfTime(bar.time), 0);
    const int32_t firstBefore = day.GetFirstTime();
    const int countBefore = day.GetCount();

    ASSERT_EQ(day.RequestData(1), 1);
    ASSERT_TRUE(WaitForReply(day));
    EXPECT_GT(day.GetCount(), countBefore + 700);
    EXPECT_LT(day.GetFirstTime(), firstBefore - 365 * 86400);
    const std::vector<SimRequest> log = simulator.RequestLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1].command, 0x301);
    EXPECT_EQ(log[1].value2, static_cast<uint32_t>(firstBefore - 86400));

    // The update asks from the last bar and replaces today's bar in place.
    ASSERT_EQ(day.RequestData(0), 1);
    ASSERT_TRUE(WaitForReply(day));
    EXPECT_EQ(day.GetLastTime(), T(2026, 12, 10));
    ASSERT_EQ(day.Save((dir.Path() + "600000.day").c_str()), 1);
    CKData loaded;
    ASSERT_EQ(loaded.Load((dir.Path() + "600000.day").c_str(), kKey), 1);
    EXPECT_EQ(loaded.GetCount(), day.GetCount());

    CKData week;
    week.SetKind(kSeriesWeek);
    day.ToWeek(&week);
    EXPECT_GT(week.GetCount(), day.GetCount() / 6);
}

// A suspended stock's bar of today carries no trade: the bar alone is
// skipped, at the first request and at every update, and the history stays.
TEST_F(SeriesEndToEnd, ASuspendedStocksBarOfTodayIsSkippedAlone)
{
    CKData day;
    day.SetKey(SimMarketTables::kSuspendedKey);
    ASSERT_EQ(day.RequestData(0), 1);
    ASSERT_TRUE(WaitForReply(day));
    ASSERT_GT(day.GetCount(), 700);
    EXPECT_EQ(day.GetSkipped(), 1u);
    EXPECT_EQ(day.GetLastTime(), T(2026, 12, 9)) << "today has no bar";
    const int count = day.GetCount();

    // The update asks from yesterday and gets yesterday and today.
    ASSERT_EQ(day.RequestData(0), 1);
    ASSERT_TRUE(WaitForReply(day));
    EXPECT_EQ(day.GetCount(), count);
    EXPECT_EQ(day.GetSkipped(), 1u);
    EXPECT_EQ(day.GetLastTime(), T(2026, 12, 9));
    const std::vector<SimRequest> log = simulator.RequestLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1].value, static_cast<uint32_t>(T(2026, 12, 9)));
}

TEST_F(SeriesEndToEnd, FiveMinuteBarsAndDerivedPeriods)
{
    CFiveMinData five;
    five.SetKey(kKey);
    ASSERT_EQ(five.RequestData(0), 1);
    ASSERT_TRUE(WaitForReply(five));
    ASSERT_GT(five.GetCount(), 48 * 700);
    EXPECT_EQ(five.GetLastTime(), T(2026, 12, 10, 10, 15));
    CKData sixty;
    five.ToSixtyMinutes(&sixty);
    EXPECT_EQ(sixty.GetBar(sixty.GetCount() - 1)->time, T(2026, 12, 10, 10, 15));
    EXPECT_EQ(MinuteBucketEnd(sixty.GetBar(sixty.GetCount() - 2)->time, 60), T(2026, 12, 9, 15, 0));
    // The five-minute bars of a day add up to its day bar.
    const std::vector<WireBar> dayBars = market.DayBars(kKey, T(2026, 12, 9), T(2026, 12, 9));
    ASSERT_EQ(dayBars.size(), 1u);
    double volume = 0;
    for (const Bar& bar : five.GetBars()) {
        if (SameTradingDay(bar.time, T(2026, 12, 9)))
            volume += bar.volume;
    }
    EXPECT_EQ(volume, static_cast<double>(dayBars[0].volume));
}

TEST_F(SeriesEndToEnd, TicksGrowThroughTheDay)
{
    CFenbiData ticks;
    ticks.SetKey(kKey);
    ASSERT_EQ(ticks.RequestData(0), 1);
    ASSERT_TRUE(WaitForReply(ticks));
    ASSERT_GT(ticks.GetCount(), 45);
    EXPECT_EQ(ticks.GetLastTime(), T(2026, 12, 10, 10, 15));
    EXPECT_EQ(ticks.GetHeader().time, ticks.GetLastTime());
    const int morning = ticks.GetCount();

    market.SetClock(T(2026, 12, 10, 13, 30));
    ServerTime::Set(T(2026, 12, 10, 13, 30));
    ASSERT_EQ(ticks.RequestData(0), 1);
    ASSERT_TRUE(WaitForReply(ticks));
    EXPECT_EQ(static_cast<size_t>(ticks.GetCount()), market.Ticks(kKey).size());
    EXPECT_GT(ticks.GetCount(), morning);
    EXPECT_EQ(simulator.RequestLog().back().value, static_cast<uint32_t>(T(2026, 12, 10, 10, 15)));

    // Nothing newer: the empty reply changes nothing.
    ASSERT_EQ(ticks.RequestData(0), 1);
    ASSERT_TRUE(WaitForReply(ticks));
    EXPECT_EQ(static_cast<size_t>(ticks.GetCount()), market.Ticks(kKey).size());

    // The ticks agree with today's day bar, and the statistics reach the last traded minute.
    const std::vector<WireBar> today = market.DayBars(kKey, T(2026, 12, 10), T(2026, 12, 10));
    ASSERT_EQ(today.size(), 1u);
    float last = 0, outer = 0, inner = 0;
    ticks.GetOuterInnerVolume(&last, &outer, &inner);
    EXPECT_EQ(last, static_cast<float>(today[0].volume));
    // 13:30 is slot 151 (slot 121 holds the lunch break).
    CMinute minutes;
    EXPECT_EQ(minutes.BuildFromTicks(ticks), 152);
    FundFlowSeries flow(&ticks);
    ASSERT_EQ(flow.Compute(), 1);
    EXPECT_EQ(flow.GetCount(), 152);
    MinuteBuySellSeries big(&ticks);
    ASSERT_EQ(big.ComputeBigOrders(), 1);
    float bigVolume = 0;
    for (int i = 0; i < big.GetCount(); ++i)
        bigVolume += big.GetAt(i).first + big.GetAt(i).second;
    EXPECT_GT(bigVolume, 0.0f) << "the simulated day has big orders";
    ticks.Save((dir.Path() + "600000.fbl").c_str());
}

// A server that answers from the start second sends the last second's trades
// again with every refresh; they are held once, refresh after refresh.
TEST_F(SeriesEndToEnd, TickRefreshesFromTheStartSecondDoNotPileUp)
{
    market.SetTicksFromStartSecond(true);
    // A moment whose last traded second holds two trades.
    int32_t clock = 0;
    for (int minute = 20; minute <= 240 && !clock; ++minute) {
        const int32_t at = SimMarketSeries::MinuteEnd(T(2026, 12, 10), minute);
        market.SetClock(at);
        const std::vector<WireTick> ticks = market.Ticks(kKey);
        if (ticks.size() >= 2 && ticks[ticks.size() - 2].time == ticks.back().time)
            clock = at;
    }
    ASSERT_NE(clock, 0);
    ServerTime::Set(clock);
    const size_t served = market.Ticks(kKey).size();
    CFenbiData ticks;
    ticks.SetKey(kKey);
    for (int refresh = 0; refresh < 4; ++refresh) {
        ASSERT_EQ(ticks.RequestData(0), 1);
        ASSERT_TRUE(WaitForReply(ticks));
        ASSERT_EQ(static_cast<size_t>(ticks.GetCount()), served) << "refresh " << refresh;
    }
    EXPECT_EQ(simulator.RequestLog().back().value, static_cast<uint32_t>(clock));
    float last = 0, outer = 0, inner = 0;
    ticks.GetOuterInnerVolume(&last, &outer, &inner);
    EXPECT_EQ(outer + inner, last - ticks.GetTick(0).volume);

    // Later in the day the new trades join once, and so does the file.
    market.SetClock(clock + 1800);
    ServerTime::Set(clock + 1800);
    ASSERT_EQ(ticks.RequestData(0), 1);
    ASSERT_TRUE(WaitForReply(ticks));
    EXPECT_EQ(static_cast<size_t>(ticks.GetCount()), market.Ticks(kKey).size());
    const std::string path = dir.Path() + "600000.fbl";
    ASSERT_EQ(ticks.Save(path.c_str()), 1);
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(path.c_str(), bytes));
    EXPECT_EQ(bytes.size(), sizeof(TickFileHeader) + market.Ticks(kKey).size() * sizeof(TickRecord));
}

TEST_F(SeriesEndToEnd, F10TextWithItsSections)
{
    InitF10SectionTitles();
    CF10Data f10;
    f10.SetKey(kKey);
    ASSERT_EQ(f10.RequestData(0), 1);
    ASSERT_TRUE(WaitForReply(f10));
    EXPECT_EQ(f10.GetSections().size(), 15u) << "the server leaves one of the 16 headings out";
    EXPECT_EQ(f10.GetFirstTime(), market.F10FirstTime());
    EXPECT_EQ(f10.GetLastTime(), now);
    const std::vector<std::string> titles = GetF10SectionTitles();
    EXPECT_EQ(titles[0], "最新提示");
    EXPECT_EQ(titles[9], "经营分析") << "the list moves up past the missing heading";

    // Asked again from the time of the last update: nothing newer, nothing changes.
    const std::string text = f10.GetText();
    ASSERT_EQ(f10.RequestData(0), 1);
    ASSERT_TRUE(WaitForReply(f10));
    EXPECT_EQ(f10.GetText(), text);
    EXPECT_EQ(f10.GetSections().size(), 15u);
    InitF10SectionTitles();
    f10.SetActive(0);
    f10.Save((dir.Path() + "600000.f10").c_str());
}

TEST_F(SeriesEndToEnd, FormulaDocument)
{
    const std::string path = dir.Path() + "formula.dat";
    CFormuleData formulas;
    EXPECT_EQ(formulas.Load(path.c_str()), 0);
    ASSERT_EQ(formulas.Update(), S_OK);
    int32_t length = 0;
    const uint8_t* body = formulas.GetBuffer(&length);
    ASSERT_NE(body, nullptr);
    const std::wstring xml(reinterpret_cast<const wchar_t*>(body + 2));
    EXPECT_EQ(xml, market.FormulaXml());
    EXPECT_NE(xml.find(L"name=\"MACD\""), std::wstring::npos);
    EXPECT_EQ(formulas.GetHeaderValue2(), SimMarketSeries::kFormulaVersion);

    // The stored file deciphers to the same body.
    CFormuleData reloaded;
    ASSERT_EQ(reloaded.Load(path.c_str()), 1);
    int32_t reloadedLength = 0;
    const uint8_t* reloadedBody = reloaded.GetBuffer(&reloadedLength);
    ASSERT_EQ(reloadedLength, length);
    EXPECT_EQ(memcmp(reloadedBody, body, length), 0);

    // Nothing newer: the server's empty reply is a failed request; the document stays.
    EXPECT_EQ(reloaded.Update(), E_FAIL);
    EXPECT_EQ(simulator.RequestLog().back().value, static_cast<uint32_t>(SimMarketSeries::kFormulaVersion));
    reloadedBody = reloaded.GetBuffer(&reloadedLength);
    EXPECT_EQ(reloadedLength, length);
}

} // namespace
