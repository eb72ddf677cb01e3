#pragma once
// The rankings of the web-service simulator: "/Zentu/live/live.php?type=N"
// (the path in any letter case) answers the packed records of the type's
// layout: types 1 (60 bytes), 3 (62), 5 (54), 7, 9 and 11 (58), both sides
// of the ranking, Shanghai and Shenzhen A shares of the market tables, with
// zero-padded code and name fields. Following a price series, each list holds
// the stocks that stand highest and lowest by the type's value at the moment
// of the request, with the prices the quote table serves; otherwise the
// values follow the seed alone.
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/marketdata/SimMarketTables.h"

class SimMarketSeries;

class WebSimServer;
struct WebSimReply;
struct WebSimRequest;

class SimRankingService
{
public:
    static const char* const kPath;
    // Entries per side and market.
    static const int kEntriesPerList = 6;

    explicit SimRankingService(const std::vector<SimSecurity>& securities, uint32_t seed = 20260101);

    // The lists rank the given stocks (those whose quotes the quote table
    // takes from their series) by their quotes from the source and, for the
    // streaks and volume ratios, their day bars; the series must outlive this.
    void FollowSeries(const SimMarketSeries& series, SimMarketTables::LiveQuoteSource quotes,
        const std::vector<uint32_t>& stockKeys);

    // Adds the route (both spellings); this object must outlive the server's use of it.
    void Install(WebSimServer& server);

    // The body for a type; empty for an unknown type.
    std::string Body(int type) const;
    // Later replies end after this many bytes of the body (0: whole bodies).
    void SetTruncateAt(size_t bytes) { m_truncateAt.store(bytes); }
    size_t RequestCount() const { return m_requests.load(); }

    WebSimReply Answer(const WebSimRequest& request);

private:
    std::string SeriesBody(int type, size_t size) const;

    std::vector<SimSecurity> m_shares;
    const SimMarketSeries* m_series = nullptr;
    SimMarketTables::LiveQuoteSource m_quotes;
    std::vector<uint32_t> m_stockKeys;
    uint32_t m_seed;
    std::atomic<size_t> m_truncateAt;
    std::atomic<size_t> m_requests;
};
