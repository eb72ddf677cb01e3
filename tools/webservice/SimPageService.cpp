#include "tools/webservice/SimPageService.h"

#include "tools/websim/WebSimServer.h"

namespace {
const char* const kFixedPaths[] = {
    "/",
    "/user/index.php",
    "/user/userlogin.php",
    "/company/contact.html",
    "/zentu/report/report_cash_flow_in_top.php",
    "/zentu/report/report_cash_flow_out_top.php",
    "/zentu/report/report_yaowen.php",
    "/zentu/report/report_gonggao.php",
    "/zentu/report/report_waiwei.php",
    "/zentu/report/report_chuanwen.php",
    "/zentu/report/report_celve.php",
    "/zentu/report/report_buju.php",
    "/zentu/stockpool/pool_week.php",
    "/zentu/stockpool/pool_month.php",
    "/zentu/stockpool/pool_week_super.php",
    "/zentu/stockpool/pool_month_super.php",
    "/zentu/stockpool/pool_cash_super.php",
    "/zentu/tip/tip_classic.php",
    "/zentu/cashflow/cashflow_in_out_5days.5.php",
    "/zentu/cashflow/cashflow_in_out_10days.5.php",
    "/zentu/cashflow/cashflow_in_out_20days.5.php",
    "/zentu/cashflow/cashflow_in_out_30days.5.php",
    "/zentu/live/tech_tip.php",
    // The indicator help's address doubles the base's final "/".
    "//zentu/live/tech_tip.php",
    "/data/index.html",
    "/study/index.html",
    "/chat/index.html",
};
const int kListPages[] = { 3, 4, 5, 6, 7, 13, 16, 20, 39, 40, 41, 42, 45, 46, 49 };

// Only letters, digits and a few marks go into the page as they came.
std::string Escape(const std::string& text)
{
    std::string out;
    for (char c : text) {
        const unsigned char b = static_cast<unsigned char>(c);
        if ((b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || c == '/' || c == '.'
            || c == '_' || c == '=' || c == '&' || c == '%' || c == '-')
            out += c;
        else
            out += '?';
    }
    return out;
}
} // namespace

SimPageService::SimPageService()
    : m_requests(0)
{
    for (const char* path : kFixedPaths)
        m_paths.push_back(path);
    for (int n : kListPages)
        m_paths.push_back("/more/list_" + std::to_string(n) + ".html");
}

void SimPageService::Install(WebSimServer& server)
{
    for (const std::string& path : m_paths)
        server.AddRoute(path, [this](const WebSimRequest& request) { return Answer(request); });
}

std::string SimPageService::Page(const std::string& path, const std::string& query)
{
    return "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">"
           "<title>Zentu财经</title></head><body><h3>Zentu财经 本地页面</h3><p>"
        + Escape(path) + (query.empty() ? std::string() : "?" + Escape(query)) + "</p></body></html>";
}

WebSimReply SimPageService::Answer(const WebSimRequest& request)
{
    m_requests.fetch_add(1);
    WebSimReply reply = WebSimReply::Ok(Page(request.path, request.query));
    reply.headers.push_back("Content-Type: text/html; charset=gb2312");
    return reply;
}
