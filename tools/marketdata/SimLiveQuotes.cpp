#include "tools/marketdata/SimLiveQuotes.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

#include "base/ExchangeTime.h"

namespace {

// A security's ticks change only when another session minute has passed, and
// working them out walks its whole history: each quote is kept for its minute.
struct LiveQuoteCache
{
    struct Entry
    {
        int32_t day;
        int passed;
        bool valid;
        SimMarketTables::LiveQuote quote;
    };
    std::mutex lock;
    std::map<uint32_t, Entry> entries;
};

bool QuoteOfLatestTick(const SimMarketSeries& series, uint32_t key, SimMarketTables::LiveQuote& quote)
{
    const WireTickHeader header = series.TickHeader(key);
    if (header.last == 0)
        return false;
    quote.previousClose = header.previousClose / 1000.0;
    quote.open = header.open / 1000.0;
    quote.high = header.high / 1000.0;
    quote.low = header.low / 1000.0;
    quote.last = header.last / 1000.0;
    quote.volume = header.totalVolume;
    quote.amount = header.totalAmount;
    return true;
}

} // namespace

SimMarketTables::LiveQuoteSource LiveQuotesFrom(const SimMarketSeries& series)
{
    auto cache = std::make_shared<LiveQuoteCache>();
    return [&series, cache](uint32_t key, SimMarketTables::LiveQuote& quote) {
        const int32_t day = series.TradingDay();
        const int passed = series.SessionMinutesPassed();
        {
            std::lock_guard<std::mutex> hold(cache->lock);
            const auto found = cache->entries.find(key);
            if (found != cache->entries.end() && found->second.day == day && found->second.passed == passed) {
                quote = found->second.quote;
                return found->second.valid;
            }
        }
        // Worked out outside the lock: two refreshes at once may both do it,
        // and both find the same quote.
        LiveQuoteCache::Entry entry { day, passed, false, {} };
        entry.valid = QuoteOfLatestTick(series, key, entry.quote);
        std::lock_guard<std::mutex> hold(cache->lock);
        cache->entries[key] = entry;
        quote = entry.quote;
        return entry.valid;
    };
}

namespace {

// The first weekday of the month before the one the day lies in.
int32_t FirstWeekdayOfMonthBefore(int32_t day)
{
    const std::tm f = SplitExchangeTime(day);
    const int year = f.tm_mon == 0 ? f.tm_year + 1900 - 1 : f.tm_year + 1900;
    const int month = f.tm_mon == 0 ? 12 : f.tm_mon;
    int32_t first = MakeExchangeTime(year, month, 1);
    for (;;) {
        const int weekday = SplitExchangeTime(first).tm_wday;
        if (weekday >= 1 && weekday <= 5)
            return first;
        first += 86400;
    }
}

} // namespace

void JoinExRights(SimMarketTables& tables, SimMarketSeries& series)
{
    std::vector<SimExRights> events = tables.ExRights();
    // Ten bonus shares and a cash dividend for every hundred held, as a bank
    // pays them: prices before it stand about a quarter above those after.
    SimExRights recent = {};
    recent.key = SimMarketTables::kRecentExRightsKey;
    recent.time = FirstWeekdayOfMonthBefore(series.TradingDay());
    recent.bonusShares = 0.3f;
    recent.cashYield = 0.01;
    // The reply groups a security's events: the new one goes after the last of its key.
    auto after = std::find_if(events.rbegin(), events.rend(),
        [](const SimExRights& e) { return e.key == SimMarketTables::kRecentExRightsKey; });
    events.insert(after == events.rend() ? events.end() : after.base(), recent);
    series.SetExRights(events);
    std::vector<SimExRights> priced;
    for (size_t i = 0; i < events.size(); ++i) {
        if (i > 0 && events[i].key == events[i - 1].key)
            continue;
        const std::vector<SimExRights> own = series.ExRights(events[i].key);
        priced.insert(priced.end(), own.begin(), own.end());
    }
    tables.SetExRights(std::move(priced));
}
