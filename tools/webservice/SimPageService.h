#pragma once
// The information pages of the web-service simulator: the home page, the
// user pages, the "more/list_N.html" columns, the contact page, the report,
// stock-pool, tip, cash-flow and indicator-help pages and the data, learning
// and chat sites. Each answers a small gb2312 page that names what was asked.
#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

class WebSimServer;
struct WebSimReply;
struct WebSimRequest;

class SimPageService
{
public:
    SimPageService();

    // Adds a route for every page; this object must outlive the server's use of it.
    void Install(WebSimServer& server);

    const std::vector<std::string>& Paths() const { return m_paths; }
    // The page for a request (GBK bytes in a gb2312 page).
    static std::string Page(const std::string& path, const std::string& query);
    size_t RequestCount() const { return m_requests.load(); }

    WebSimReply Answer(const WebSimRequest& request);

private:
    std::vector<std::string> m_paths;
    std::atomic<size_t> m_requests;
};
