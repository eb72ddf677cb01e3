// What the market simulator serves is what a real market could hold: prices
// positive and ordered (the low below open and close, the high above them),
// volumes that only grow through the day, times inside the trading session.
#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "base/ExchangeTime.h"
#include "data/MarketTime.h"
#include "tests/support/SeriesFixtures.h"
#include "tools/marketdata/SimLiveQuotes.h"
#include "tools/marketdata/SimMarketSeries.h"
#include "tools/marketdata/SimMarketTables.h"

namespace {

// No security of this market trades anywhere near this, in thousandths.
const uint32_t kPriceCeiling = 100000u * 1000u;

struct Prices
{
    uint32_t open, high, low, close;
};

// The problems of one price record, empty when there is none.
std::string CheckPrices(const Prices& p, bool closeMayBeZero)
{
    std::string problems;
    auto problem = [&problems](const char* text) { problems += std::string(text) + "; "; };
    if (p.open == 0 || p.high == 0 || p.low == 0)
        problem("open, high and low must be positive");
    if (p.close == 0 && !closeMayBeZero)
        problem("close must be positive");
    if (p.high > kPriceCeiling)
        problem("high beyond any real price");
    if (p.high < p.open || p.high < p.low || p.high < p.close)
        problem("high below open, close or low");
    if (p.low > p.open || (p.close > 0 && p.low > p.close))
        problem("low above open or close");
    return problems;
}

// Minutes since midnight in exchange time.
int MinuteOfDay(int32_t time)
{
    return HourOfTime(time) * 60 + MinuteOfTime(time);
}

bool InSession(int32_t time)
{
    const int m = MinuteOfDay(time);
    const int second = time % 60;
    const bool morning = m >= 9 * 60 + 30 && (m < 11 * 60 + 30 || (m == 11 * 60 + 30 && second == 0));
    const bool afternoon = m >= 13 * 60 && (m < 15 * 60 || (m == 15 * 60 && second == 0));
    return morning || afternoon;
}

TEST(SimMarketRealism, QuotesOfEveryRefresh)
{
    SimMarketTables tables;
    for (int refresh = 0; refresh < 4; ++refresh) {
        const SimReply reply = tables.QuotesReply();
        ASSERT_EQ(reply.body.size(), tables.Securities().size() * 36);
        for (size_t at = 0; at + 36 <= reply.body.size(); at += 36) {
            uint32_t f[9];
            std::memcpy(f, reply.body.data() + at, sizeof(f));
            const uint32_t key = f[1];
            const uint32_t last = f[2], previousClose = f[5];
            SCOPED_TRACE(testing::Message() << std::hex << key << " refresh " << refresh);
            // The deliberate cases: a suspended security without a last price,
            // a new listing without a previous close.
            EXPECT_EQ(last == 0, key == SimMarketTables::kSuspendedKey);
            EXPECT_EQ(previousClose == 0, key == SimMarketTables::kNewListingKey);
            EXPECT_EQ(CheckPrices(Prices { f[6], f[7], f[8], last }, key == SimMarketTables::kSuspendedKey), "");
            EXPECT_LE(previousClose, kPriceCeiling);
            EXPECT_EQ(f[3] == 0, key == SimMarketTables::kSuspendedKey) << "volume";
        }
    }
}

TEST(SimMarketRealism, BarsAndTicksOfEverySecurity)
{
    SimMarketTables tables;
    SimMarketSeries series;
    // A Thursday afternoon, the session under way.
    const int32_t now = T(2026, 12, 10, 14, 7);
    series.SetClock(now);
    const int32_t from = T(2026, 11, 20);
    // Every index and every fifth other security: all kinds of price paths, in a few seconds.
    size_t serial = 0;
    for (const SimSecurity& s : tables.Securities()) {
        if ((!s.index && serial++ % 5 != 0) || s.key == SimMarketTables::kSuspendedKey)
            continue;
        SCOPED_TRACE(testing::Message() << std::hex << s.key);
        const std::vector<WireBar> days = series.DayBars(s.key, from, now);
        ASSERT_FALSE(days.empty());
        for (const WireBar& b : days) {
            EXPECT_EQ(CheckPrices(Prices { b.open, b.high, b.low, b.close }, false), "") << b.time;
            EXPECT_EQ(HourOfTime(b.time), 0);
            EXPECT_EQ(MinuteOfTime(b.time), 0);
            EXPECT_GT(b.volume, 0u);
        }
        const std::vector<WireBar> fives = series.FiveMinuteBars(s.key, T(2026, 12, 9), now);
        ASSERT_FALSE(fives.empty());
        for (const WireBar& b : fives) {
            EXPECT_EQ(CheckPrices(Prices { b.open, b.high, b.low, b.close }, false), "") << b.time;
            EXPECT_TRUE(InSession(b.time) && MinuteOfDay(b.time) >= 9 * 60 + 35 && b.time <= now) << b.time;
        }
        const std::vector<WireTick> ticks = series.Ticks(s.key);
        ASSERT_FALSE(ticks.empty());
        uint32_t volume = 0;
        int32_t time = 0;
        for (const WireTick& t : ticks) {
            EXPECT_TRUE(InSession(t.time) && t.time <= now && SameTradingDay(t.time, now)) << t.time;
            EXPECT_GT(t.price, 0u);
            EXPECT_LE(t.price, kPriceCeiling);
            EXPECT_GE(t.volume, volume) << "cumulative volume";
            EXPECT_GE(t.time, time);
            volume = t.volume;
            time = t.time;
        }
        const WireTickHeader h = series.TickHeader(s.key);
        EXPECT_EQ(CheckPrices(Prices { h.open, h.high, h.low, h.last }, false), "");
        EXPECT_EQ(h.time, ticks.back().time);
        EXPECT_EQ(h.totalVolume, ticks.back().volume);
        EXPECT_GT(h.previousClose, 0u);
    }
    // The deliberate case: a suspended stock's bar of today has no trade.
    const std::vector<WireBar> suspended = series.DayBars(SimMarketTables::kSuspendedKey, from, now);
    ASSERT_GE(suspended.size(), 2u);
    const WireBar& today = suspended.back();
    EXPECT_EQ(today.time, T(2026, 12, 10));
    EXPECT_EQ(today.open | today.high | today.low | today.close | today.volume, 0u);
    EXPECT_EQ(CheckPrices(Prices { suspended[0].open, suspended[0].high, suspended[0].low, suspended[0].close }, false), "");
}

} // namespace

TEST(SimMarketRealism, ASessionTimeStartsTheClockInTheSessionOfAWeekday)
{
    // Whatever the hour the test runs, the clock stands at the asked time of
    // a weekday and then runs on with the real one.
    const struct
    {
        int minuteOfDay;
        int passed;
    } cases[] = { { 14 * 60, 180 }, { 10 * 60, 30 }, { 12 * 60, 120 }, { 9 * 60, 240 } };
    for (const auto& c : cases) {
        SimMarketSeries series;
        series.RunFromSessionTime(c.minuteOfDay);
        const int32_t now = series.Now();
        const std::tm f = SplitExchangeTime(now);
        EXPECT_GE(f.tm_wday, 1) << c.minuteOfDay;
        EXPECT_LE(f.tm_wday, 5) << c.minuteOfDay;
        EXPECT_EQ(f.tm_hour * 60 + f.tm_min, c.minuteOfDay);
        EXPECT_LE(now, static_cast<int32_t>(time(nullptr)));
        // 9:00 is before the session: the served day is the weekday before, whole.
        const int passed = series.SessionMinutesPassed();
        EXPECT_EQ(passed, c.passed) << c.minuteOfDay;
    }
}

TEST(SimMarketRealism, QuotesFromTheSeriesAgreeWithTheCharts)
{
    // Mid-session on a known weekday: the quote list must show the price the
    // minute chart's last tick shows, not a price of its own.
    SimMarketSeries series;
    series.SetClock(MakeExchangeTime(2026, 3, 11) + 14 * 3600);
    SimMarketTables tables;
    tables.SetLiveQuoteSource(LiveQuotesFrom(series));
    const SimReply reply = tables.QuotesReply();
    ASSERT_EQ(reply.body.size(), tables.Securities().size() * 36);
    for (size_t at = 0; at + 36 <= reply.body.size(); at += 36) {
        uint32_t f[9];
        std::memcpy(f, reply.body.data() + at, sizeof(f));
        const uint32_t key = f[1];
        SCOPED_TRACE(testing::Message() << std::hex << key);
        if (key == SimMarketTables::kSuspendedKey || key == SimMarketTables::kNewListingKey)
            continue;
        const WireTickHeader header = series.TickHeader(key);
        EXPECT_EQ(f[2], header.last);
        EXPECT_EQ(f[3], header.totalVolume);
        EXPECT_EQ(f[5], header.previousClose);
        EXPECT_EQ(f[6], header.open);
        EXPECT_EQ(CheckPrices(Prices { f[6], f[7], f[8], f[2] }, false), "");
    }
}

TEST(SimMarketRealism, QuotesFromTheSeriesFollowTheMinutes)
{
    SimMarketSeries series;
    series.SetClock(MakeExchangeTime(2026, 3, 11) + 10 * 3600);
    SimMarketTables tables;
    tables.SetLiveQuoteSource(LiveQuotesFrom(series));
    const uint32_t key = 0x600000;
    const auto lastOf = [&tables, key](const SimReply& reply) {
        for (size_t at = 0; at + 36 <= reply.body.size(); at += 36) {
            uint32_t f[9];
            std::memcpy(f, reply.body.data() + at, sizeof(f));
            if (f[1] == key)
                return std::make_pair(f[2], f[3]);
        }
        return std::make_pair(0u, 0u);
    };
    const auto before = lastOf(tables.QuotesReply());
    series.SetClock(MakeExchangeTime(2026, 3, 11) + 10 * 3600 + 600);
    const auto after = lastOf(tables.QuotesReply());
    EXPECT_EQ(after.first, series.TickHeader(key).last);
    EXPECT_GT(after.second, before.second) << "ten more minutes of trades";
}
