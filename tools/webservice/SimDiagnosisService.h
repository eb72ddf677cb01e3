#pragma once
// The diagnosis and trend verdicts of the web-service simulator:
// "/zentu/live/stock_trend.php?type=<1-3>&code=<six characters>" answers a
// GBK verdict text that follows from the code, the type and the seed. It can
// be slowed down (to hold a client in its transfer) or switched to failing.
#include <windows.h>
#include <atomic>
#include <cstdint>
#include <string>

class WebSimServer;
struct WebSimReply;
struct WebSimRequest;

class SimDiagnosisService
{
public:
    static const char* const kPath;

    explicit SimDiagnosisService(uint32_t seed = 20260101);

    // Adds the route; this object must outlive the server's use of it.
    void Install(WebSimServer& server);

    // The verdict for a code and type (GBK).
    std::string Verdict(const std::string& code, int type) const;
    // Every later reply waits this long before its first byte (0: at once).
    void SetDelay(DWORD ms) { m_delayMs.store(ms); }
    // Later requests get this status with an empty body (0 or 200: normal replies).
    void SetFailureStatus(int status) { m_failureStatus.store(status); }
    // Later replies are 200 with an empty body.
    void SetEmptyBody(bool empty) { m_emptyBody.store(empty); }
    size_t RequestCount() const { return m_requests.load(); }

    WebSimReply Answer(const WebSimRequest& request);

private:
    uint32_t m_seed;
    std::atomic<DWORD> m_delayMs;
    std::atomic<int> m_failureStatus;
    std::atomic<bool> m_emptyBody;
    std::atomic<size_t> m_requests;
};
