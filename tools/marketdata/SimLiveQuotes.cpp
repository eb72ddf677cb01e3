#include "tools/marketdata/SimLiveQuotes.h"

#include <map>
#include <memory>
#include <mutex>

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
