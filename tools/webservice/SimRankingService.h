#pragma once
// The rankings of the web-service simulator: "/Zentu/live/live.php?type=N"
// (the path in any letter case) answers the packed records of the type's
// layout: types 1 (60 bytes), 3 (62), 5 (54), 7, 9 and 11 (58), both sides
// of the ranking, Shanghai and Shenzhen A shares of the market tables, with
// zero-padded code and name fields. Everything follows from the seed.
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/marketdata/SimMarketTables.h"

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

    // Adds the route (both spellings); this object must outlive the server's use of it.
    void Install(WebSimServer& server);

    // The body for a type; empty for an unknown type.
    std::string Body(int type) const;
    // Later replies end after this many bytes of the body (0: whole bodies).
    void SetTruncateAt(size_t bytes) { m_truncateAt.store(bytes); }
    size_t RequestCount() const { return m_requests.load(); }

    WebSimReply Answer(const WebSimRequest& request);

private:
    std::vector<SimSecurity> m_shares;
    uint32_t m_seed;
    std::atomic<size_t> m_truncateAt;
    std::atomic<size_t> m_requests;
};
