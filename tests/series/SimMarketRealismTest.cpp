// What the market simulator serves is what a real market could hold: prices
// positive and ordered (the low below open and close, the high above them),
// volumes that only grow through the day, times inside the trading session.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <ctime>
#include <string>
#include <vector>

#include "base/ExchangeTime.h"
#include "data/MarketTime.h"
#include "tests/support/SeriesFixtures.h"
#include "tools/marketdata/SimLiveQuotes.h"
#include "tools/marketdata/SimMarketSeries.h"
#include "tools/marketdata/SimMarketTables.h"
#include "tools/webservice/SimLiveService.h"
#include "tools/webservice/SimRankingService.h"

namespace {

// No security of this market trades anywhere near this, in thousandths.
const uint32_t kPriceCeiling = 100000u * 1000u;

struct Prices
{
    uint32_t open, high, low, close;
};

// The problems of one price record, empty when there is none.
std::string CheckPrices(const Prices& p)
{
    std::string problems;
    auto problem = [&problems](const char* text) { problems += std::string(text) + "; "; };
    if (p.open == 0 || p.high == 0 || p.low == 0)
        problem("open, high and low must be positive");
    if (p.close == 0)
        problem("close must be positive");
    if (p.high > kPriceCeiling)
        problem("high beyond any real price");
    if (p.high < p.open || p.high < p.low || p.high < p.close)
        problem("high below open, close or low");
    if (p.low > p.open || (p.close > 0 && p.low > p.close))
        problem("low above open or close");
    return problems;
}

// A bar's amount is in thousands and its volume in lots of 100: the
// average price they give lies within the bar's range (an index's too).
std::string CheckAmount(const WireBar& b)
{
    if (b.volume == 0)
        return b.amount == 0 ? "" : "amount without volume";
    const double average = b.amount * 1000.0 / (b.volume * 100.0);
    const double low = b.low / 1000.0 * 0.99;
    const double high = b.high / 1000.0 * 1.01;
    if (average < low || average > high)
        return "average price " + std::to_string(average) + " outside " + std::to_string(b.low / 1000.0) + "-"
            + std::to_string(b.high / 1000.0);
    return "";
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
            // Every security has a previous close; only the suspended one
            // does not trade, and then has no price of the day at all.
            EXPECT_GT(previousClose, 0u);
            EXPECT_LE(previousClose, kPriceCeiling);
            if (key == SimMarketTables::kSuspendedKey) {
                EXPECT_EQ(last, 0u);
                EXPECT_EQ(f[6] | f[7] | f[8], 0u) << "open, high and low";
                EXPECT_EQ(f[3], 0u) << "volume";
                continue;
            }
            EXPECT_EQ(CheckPrices(Prices { f[6], f[7], f[8], last }), "");
            EXPECT_GT(f[3], 0u) << "volume";
        }
    }
}

// The status bar's index figures and counts are the quote list's: the web
// service's status lines follow the quote table's records.
TEST(SimMarketRealism, TheStatusLinesFollowTheQuoteTable)
{
    SimMarketTables tables;
    SimMarketSeries series;
    series.SetClock(T(2026, 12, 10, 14, 7));
    const SimMarketTables::LiveQuoteSource quotes = LiveQuotesFrom(series);
    tables.SetLiveQuoteSource(quotes);
    std::vector<uint32_t> stocks;
    for (const SimSecurity& s : tables.Securities()) {
        if (!s.index && s.key != SimMarketTables::kSuspendedKey && s.key != SimMarketTables::kNewListingKey)
            stocks.push_back(s.key);
    }
    SimLiveService live;
    live.SetQuoteSource(quotes, stocks);

    struct Record
    {
        uint32_t last, previousClose;
    };
    std::map<uint32_t, Record> records;
    const SimReply reply = tables.QuotesReply();
    for (size_t at = 0; at + 36 <= reply.body.size(); at += 36) {
        uint32_t f[9];
        std::memcpy(f, reply.body.data() + at, sizeof(f));
        records[f[1]] = Record { f[2], f[5] };
    }
    const std::string status = live.StatusBody();
    auto field = [&status](const std::string& name) {
        const size_t at = status.find(name + "\t");
        return at == std::string::npos ? std::string() : status.substr(at + name.size() + 1, 60);
    };
    const struct
    {
        const char* name;
        uint32_t key;
    } indexes[] = { { "上证指数", 0x001A0001 }, { "深证成指", 0x01399001 }, { "中小板指", 0x01399005 },
        { "创业板指", 0x01399006 } };
    for (const auto& index : indexes) {
        SCOPED_TRACE(index.name);
        ASSERT_EQ(records.count(index.key), 1u);
        const Record& r = records[index.key];
        ASSERT_GT(r.last, 0u);
        double last = 0, change = 0;
        ASSERT_EQ(std::sscanf(field(index.name).c_str(), "%lf;%lf", &last, &change), 2) << status;
        EXPECT_NEAR(last, r.last / 1000.0, 0.005);
        EXPECT_NEAR(change, (static_cast<double>(r.last) - r.previousClose) / 1000.0, 0.005);
    }
    unsigned rising = 0, falling = 0, flat = 0;
    for (uint32_t key : stocks) {
        // Counted as the status counts: the stocks with a price of their series.
        SimMarketTables::LiveQuote quote = {};
        if (!quotes(key, quote) || !(quote.last > 0))
            continue;
        const Record& r = records[key];
        (r.last > r.previousClose ? rising : r.last < r.previousClose ? falling : flat) += 1;
    }
    EXPECT_EQ(field("上涨家数").substr(0, field("上涨家数").find('\r')), std::to_string(rising));
    EXPECT_EQ(field("下跌家数").substr(0, field("下跌家数").find('\r')), std::to_string(falling));
    EXPECT_EQ(field("平盘家数"), std::to_string(flat));
    EXPECT_GT(rising + falling + flat, 100u);
}

// The stocks whose quotes the quote table takes from their series.
std::vector<uint32_t> SeriesStocks(const SimMarketTables& tables)
{
    std::vector<uint32_t> stocks;
    for (const SimSecurity& s : tables.Securities()) {
        if (!s.index && s.key != SimMarketTables::kSuspendedKey && s.key != SimMarketTables::kNewListingKey)
            stocks.push_back(s.key);
    }
    return stocks;
}

struct QuoteRecord
{
    uint32_t last, volume, amount, previousClose;
};

std::map<uint32_t, QuoteRecord> QuoteRecords(const SimReply& reply)
{
    std::map<uint32_t, QuoteRecord> records;
    for (size_t at = 0; at + 36 <= reply.body.size(); at += 36) {
        uint32_t f[9];
        std::memcpy(f, reply.body.data() + at, sizeof(f));
        records[f[1]] = QuoteRecord { f[2], f[3], f[4], f[5] };
    }
    return records;
}

template <class T> T At(const std::string& record, size_t offset)
{
    T value;
    std::memcpy(&value, record.data() + offset, sizeof(T));
    return value;
}

// A ranking shows the market the quote list shows at the same moment: each
// entry's price, change, volume and amount are its quote record's, its
// streak and volume ratio those of its day bars, and each list holds the
// stocks that stand highest (or lowest) by the ranking's value.
TEST(SimMarketRealism, RankingsShowTheQuoteTablesMarketAtTheSameMoment)
{
    SimMarketTables tables;
    SimMarketSeries series;
    const int32_t now = T(2026, 12, 10, 14, 7);
    series.SetClock(now);
    JoinExRights(tables, series);
    const SimMarketTables::LiveQuoteSource quotes = LiveQuotesFrom(series);
    tables.SetLiveQuoteSource(quotes);
    SimRankingService rankings(tables.Securities());
    rankings.FollowSeries(series, quotes, SeriesStocks(tables));
    const std::map<uint32_t, QuoteRecord> records = QuoteRecords(tables.QuotesReply());
    const int passed = series.SessionMinutesPassed();

    // The ranked A shares of a market, as the quote table gives them.
    auto candidates = [&](uint16_t tag) {
        std::vector<uint32_t> keys;
        for (uint32_t key : SeriesStocks(tables)) {
            const SimSecurity* s = tables.Find(key);
            const char first = s->code[0];
            const bool aShare = s->marketTag == tag
                && (tag == ('S' | ('H' << 8)) ? first == '6' : first == '0' || first == '3');
            if (aShare && records.at(key).last > 0)
                keys.push_back(key);
        }
        return keys;
    };
    auto changeOf = [](const QuoteRecord& r) {
        return (static_cast<double>(r.last) - r.previousClose) / r.previousClose * 100.0;
    };
    const struct
    {
        int type;
        size_t size;
    } layouts[] = { { 1, 60 }, { 3, 62 }, { 5, 54 }, { 7, 58 }, { 9, 58 }, { 11, 58 } };
    for (const auto& layout : layouts) {
        SCOPED_TRACE(testing::Message() << "type " << layout.type);
        const std::string body = rankings.Body(layout.type);
        ASSERT_EQ(body.size() % layout.size, 0u);
        ASSERT_EQ(body.size() / layout.size, 4u * SimRankingService::kEntriesPerList);
        // By side and market: the keys listed.
        std::map<std::pair<int, uint16_t>, std::set<uint32_t>> listed;
        for (size_t at = 0; at < body.size(); at += layout.size) {
            const std::string record = body.substr(at, layout.size);
            const uint32_t key = At<uint32_t>(record, 0);
            const int side = At<int16_t>(record, layout.size - 2);
            SCOPED_TRACE(testing::Message() << std::hex << key << std::dec << " side " << side);
            ASSERT_EQ(records.count(key), 1u);
            const QuoteRecord& q = records.at(key);
            ASSERT_GT(q.last, 0u) << "a stock without a trade is in no ranking";
            listed[{ side, At<uint16_t>(record, 4) }].insert(key);
            const double last = q.last / 1000.0;
            const std::vector<WireBar> bars = series.DayBars(key, T(2026, 10, 1), now);
            ASSERT_GE(bars.size(), 7u);
            switch (layout.type) {
            case 1: {
                EXPECT_EQ(At<uint32_t>(record, 50), q.last);
                EXPECT_NEAR(At<int32_t>(record, 54) / 1000.0, changeOf(q), 0.001);
                // The streak: that many closes in a row above (below) the one
                // before, ending today, and not one more.
                const int streak = At<uint16_t>(record, 48);
                EXPECT_GE(streak, 1);
                const size_t n = bars.size();
                for (int d = 0; d < streak; ++d)
                    EXPECT_TRUE(side > 0 ? bars[n - 1 - d].close > bars[n - 2 - d].close
                                         : bars[n - 1 - d].close < bars[n - 2 - d].close)
                        << "day " << d;
                EXPECT_FALSE(side > 0 ? bars[n - 1 - streak].close > bars[n - 2 - streak].close
                                      : bars[n - 1 - streak].close < bars[n - 2 - streak].close)
                    << "the day before the streak";
                break;
            }
            case 3:
                EXPECT_NEAR(At<float>(record, 48), last, 0.0005);
                EXPECT_EQ(At<float>(record, 52), static_cast<float>(q.volume));
                EXPECT_NEAR(At<float>(record, 56), changeOf(q), 0.001);
                break;
            case 5:
                EXPECT_NEAR(At<float>(record, 48), last, 0.0005);
                break;
            case 7:
                EXPECT_NEAR(At<float>(record, 48), last, 0.0005);
                EXPECT_EQ(At<float>(record, 52), static_cast<float>(q.volume));
                break;
            case 9:
                EXPECT_NEAR(At<float>(record, 48), last, 0.0005);
                EXPECT_NEAR(At<float>(record, 52), q.amount * 1000.0, q.amount * 1000.0 * 1e-6);
                break;
            default: {
                // Today's volume per session minute against the five days before's.
                ASSERT_EQ(bars.back().time, T(2026, 12, 10));
                EXPECT_EQ(bars.back().volume, q.volume);
                double before = 0;
                for (size_t i = bars.size() - 6; i + 1 < bars.size(); ++i)
                    before += bars[i].volume;
                const double ratio = (static_cast<double>(q.volume) / passed) / (before / 1200.0);
                EXPECT_NEAR(At<float>(record, 48), ratio, ratio * 1e-5);
                EXPECT_NEAR(At<float>(record, 52), last, 0.0005);
                break;
            }
            }
        }
        // Each list holds the highest (lowest) of its market by the quote's value.
        auto quoteValue = [&](uint32_t key) -> double {
            const QuoteRecord& q = records.at(key);
            switch (layout.type) {
            case 3:
                return changeOf(q);
            case 5:
                return q.last;
            case 7:
                return q.volume;
            default:
                return q.amount;
            }
        };
        if (layout.type == 1 || layout.type == 11)
            continue;
        for (uint16_t tag : { uint16_t('S' | ('H' << 8)), uint16_t('S' | ('Z' << 8)) }) {
            for (int side : { 1, -1 }) {
                const std::set<uint32_t>& shown = listed[{ side, tag }];
                ASSERT_EQ(shown.size(), static_cast<size_t>(SimRankingService::kEntriesPerList));
                for (uint32_t other : candidates(tag)) {
                    if (shown.count(other))
                        continue;
                    for (uint32_t key : shown)
                        EXPECT_TRUE(side > 0 ? quoteValue(key) >= quoteValue(other)
                                             : quoteValue(key) <= quoteValue(other))
                            << std::hex << key << " listed before " << other << " on side " << std::dec << side;
                }
            }
        }
    }
}

// An ex-rights event is priced from the close before it, and the prices after
// it trade from its reference price: what one share before the event is worth
// after it. Its day is a trading day.
TEST(SimMarketRealism, ExRightsPricesFollowTheBarsAroundEachEvent)
{
    SimMarketTables tables;
    SimMarketSeries series;
    const int32_t now = T(2026, 12, 10, 14, 7);
    series.SetClock(now);
    JoinExRights(tables, series);
    // The events of one security on one day, applied one after the other.
    std::map<std::pair<uint32_t, int32_t>, std::vector<SimExRights>> days;
    for (const SimExRights& e : tables.ExRights())
        days[{ e.key, MakeExchangeTime(YearOfTime(e.time), MonthOfTime(e.time), DayOfTime(e.time)) }].push_back(e);
    ASSERT_GT(days.size(), 50u);
    bool recent = false;
    for (const auto& entry : days) {
        const uint32_t key = entry.first.first;
        const int32_t day = entry.first.second;
        SCOPED_TRACE(testing::Message() << std::hex << key << std::dec << " day " << day);
        const std::vector<WireBar> bars = series.DayBars(key, day - 10 * 86400, day);
        ASSERT_GE(bars.size(), 2u);
        ASSERT_EQ(bars.back().time, day) << "the event's day is a trading day";
        const double close = bars[bars.size() - 2].close / 1000.0;
        double reference = close;
        for (const SimExRights& e : entry.second) {
            EXPECT_GE(e.cashDividend, 0.0f);
            EXPECT_LE(e.cashDividend, 0.1 * reference) << "a dividend of more than a tenth of the price";
            if (e.rightsShares > 0) {
                EXPECT_GT(e.rightsPrice, 0.0f);
                EXPECT_LT(e.rightsPrice, reference) << "rights are offered below the market price";
            }
            EXPECT_TRUE(e.cashDividend > 0 || e.bonusShares > 0 || e.rightsShares > 0);
            reference = (reference - e.cashDividend + e.rightsPrice * e.rightsShares)
                / (1.0 + e.bonusShares + e.rightsShares);
        }
        // The day opens within the day's usual opening move of the reference price.
        const double open = bars.back().open / 1000.0;
        EXPECT_NEAR(open, reference, 0.011 * reference + 0.01) << "close before " << close;
        if (key == SimMarketTables::kRecentExRightsKey && day > now - 70 * 86400 && day < now - 14 * 86400)
            recent = entry.second.front().bonusShares > 0;
    }
    EXPECT_TRUE(recent) << "the walked stock's bonus shares weeks before the trading day";
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
            EXPECT_EQ(CheckPrices(Prices { b.open, b.high, b.low, b.close }), "") << b.time;
            EXPECT_EQ(HourOfTime(b.time), 0);
            EXPECT_EQ(MinuteOfTime(b.time), 0);
            EXPECT_GT(b.volume, 0u);
            EXPECT_EQ(CheckAmount(b), "") << b.time;
        }
        const std::vector<WireBar> fives = series.FiveMinuteBars(s.key, T(2026, 12, 9), now);
        ASSERT_FALSE(fives.empty());
        for (const WireBar& b : fives) {
            EXPECT_EQ(CheckPrices(Prices { b.open, b.high, b.low, b.close }), "") << b.time;
            EXPECT_TRUE(InSession(b.time) && MinuteOfDay(b.time) >= 9 * 60 + 35 && b.time <= now) << b.time;
            EXPECT_EQ(CheckAmount(b), "") << b.time;
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
        EXPECT_EQ(CheckPrices(Prices { h.open, h.high, h.low, h.last }), "");
        EXPECT_EQ(h.time, ticks.back().time);
        EXPECT_EQ(h.totalVolume, ticks.back().volume);
        EXPECT_GT(h.previousClose, 0u);
        // The day's amount in one unit everywhere: today's bar and the ticks
        // agree (the bar prices a minute's trades at its close, the ticks each
        // trade at its own price).
        EXPECT_EQ(h.totalAmount, ticks.back().amount);
        EXPECT_EQ(days.back().volume, h.totalVolume);
        EXPECT_NEAR(static_cast<double>(days.back().amount), static_cast<double>(h.totalAmount),
            0.01 * h.totalAmount + 1);
        EXPECT_EQ(CheckAmount(WireBar { 0, h.open, h.high, h.low, h.last, h.totalVolume, h.totalAmount }), "");
    }
    // The deliberate case: a suspended stock's bar of today has no trade.
    const std::vector<WireBar> suspended = series.DayBars(SimMarketTables::kSuspendedKey, from, now);
    ASSERT_GE(suspended.size(), 2u);
    const WireBar& today = suspended.back();
    EXPECT_EQ(today.time, T(2026, 12, 10));
    EXPECT_EQ(today.open | today.high | today.low | today.close | today.volume, 0u);
    EXPECT_EQ(CheckPrices(Prices { suspended[0].open, suspended[0].high, suspended[0].low, suspended[0].close }), "");
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
        EXPECT_EQ(CheckPrices(Prices { f[6], f[7], f[8], f[2] }), "");
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
