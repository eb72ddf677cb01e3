#include "tools/webservice/SimDiagnosisService.h"

#include "tools/websim/WebSimServer.h"

const char* const SimDiagnosisService::kPath = "/zentu/live/stock_trend.php";

namespace {

const char* const kVerdicts[] = {
    "短期趋势向好，可逢低关注。",
    "中期趋势偏弱，宜观望。",
    "股价处于震荡整理阶段，注意控制仓位。",
    "量价配合良好，上升趋势有望延续。",
    "短线超买，注意回调风险。",
    "长期趋势稳健，可中线持有。",
};
const char* const kTypeNames[] = { "", "短期：", "中期：", "综合诊断：" };

bool IsCode(const std::string& code)
{
    if (code.size() != 6)
        return false;
    for (char c : code) {
        const bool hex = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
        if (!hex)
            return false;
    }
    return true;
}

} // namespace

SimDiagnosisService::SimDiagnosisService(uint32_t seed)
    : m_seed(seed)
    , m_delayMs(0)
    , m_failureStatus(0)
    , m_emptyBody(false)
    , m_requests(0)
{
}

void SimDiagnosisService::Install(WebSimServer& server)
{
    server.AddRoute(kPath, [this](const WebSimRequest& request) { return Answer(request); });
}

std::string SimDiagnosisService::Verdict(const std::string& code, int type) const
{
    uint32_t h = m_seed ^ 2166136261u;
    for (char c : code)
        h = (h ^ static_cast<uint8_t>(c)) * 16777619u;
    h = (h ^ static_cast<uint32_t>(type)) * 16777619u;
    const size_t count = sizeof(kVerdicts) / sizeof(kVerdicts[0]);
    return std::string(kTypeNames[type]) + kVerdicts[h % count];
}

WebSimReply SimDiagnosisService::Answer(const WebSimRequest& request)
{
    m_requests.fetch_add(1);
    WebSimReply reply;
    const int failure = m_failureStatus.load();
    const std::string code = request.QueryValue("code");
    const std::string typeText = request.QueryValue("type");
    const int type = typeText.size() == 1 ? typeText[0] - '0' : 0;
    if (failure != 0 && failure != 200)
        reply = WebSimReply::Status(failure, failure == 503 ? "Service Unavailable" : "Error");
    else if (!IsCode(code) || type < 1 || type > 3)
        reply = WebSimReply::Status(404, "Not Found");
    else
        reply = WebSimReply::Ok(m_emptyBody.load() ? std::string() : Verdict(code, type));
    reply.delayMs = m_delayMs.load();
    return reply;
}
