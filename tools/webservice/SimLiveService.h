#pragma once
// The live pages of the web-service simulator that the main frame polls:
// "/zentu/live/hq_status.php" (GBK, seven lines: four indexes and the
// rising, falling and unchanged counts), "/zentu/live/rollnews.php" (UTF-8
// "title\tlink" lines of the simulator's own news pages) and
// "/login/login.php?t=" (UTF-8 "<seconds>|0" from the simulator's clock).
// Everything follows from the seed and the clock. Faults for tests: an HTTP
// status, an empty body, a body cut short, a delay, and a stall that keeps
// the connection open without a byte.
#include <windows.h>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/marketdata/SimMarketTables.h"

class WebSimServer;
struct WebSimReply;
struct WebSimRequest;

class SimLiveService
{
public:
    static const char* const kStatusPath;
    static const char* const kNewsPath;
    static const char* const kLoginCheckPath;

    // clock: the server's time in UTC seconds (null: the real clock).
    explicit SimLiveService(uint32_t seed = 20260101, std::function<int32_t()> clock = nullptr);

    // Adds the three routes; this object must outlive the server's use of it.
    void Install(WebSimServer& server);

    // The status lines follow the market the quote table serves: each
    // index's line its quote (last, change against the previous close,
    // turnover), the counts the securities of stocks whose last price stands
    // above, below or at the previous close. Without a source the lines
    // follow the seed alone.
    void SetQuoteSource(SimMarketTables::LiveQuoteSource source, std::vector<uint32_t> stockKeys);

    // The bodies as served (status GBK, news and login check UTF-8); the news
    // links point below base ("http://127.0.0.1:port/").
    std::string StatusBody() const;
    std::string NewsBody(const std::string& base) const;
    std::string LoginCheckBody() const;

    // Faults of every later reply.
    void SetFailureStatus(int status) { m_failureStatus.store(status); } // 0 or 200: none
    void SetEmptyBody(bool empty) { m_emptyBody.store(empty); }
    void SetTruncateAt(size_t bytes) { m_truncateAt.store(bytes); } // 0: whole bodies
    void SetDelay(DWORD ms) { m_delayMs.store(ms); }
    void SetStall(bool stall) { m_stall.store(stall); }

    size_t RequestCount() const { return m_requests.load(); }
    size_t StatusRequests() const { return m_statusRequests.load(); }
    size_t NewsRequests() const { return m_newsRequests.load(); }
    size_t LoginCheckRequests() const { return m_loginRequests.load(); }

    WebSimReply Answer(const WebSimRequest& request);

private:
    WebSimReply Reply(const std::string& body) const;

    uint32_t m_seed;
    std::function<int32_t()> m_clock;
    std::atomic<int> m_failureStatus;
    std::atomic<bool> m_emptyBody;
    std::atomic<size_t> m_truncateAt;
    std::atomic<DWORD> m_delayMs;
    std::atomic<bool> m_stall;
    std::atomic<size_t> m_requests;
    std::atomic<size_t> m_statusRequests;
    std::atomic<size_t> m_newsRequests;
    std::atomic<size_t> m_loginRequests;
    WebSimServer* m_server;
    SimMarketTables::LiveQuoteSource m_quotes;
    std::vector<uint32_t> m_stockKeys;
};
