#include "tools/webservice/SimLiveService.h"

#include <cstdio>
#include <ctime>

#include "tools/marketdata/SimPrices.h"
#include "tools/webservice/SimPageService.h"
#include "tools/websim/WebSimServer.h"

const char* const SimLiveService::kStatusPath = "/zentu/live/hq_status.php";
const char* const SimLiveService::kNewsPath = "/zentu/live/rollnews.php";
const char* const SimLiveService::kLoginCheckPath = "/login/login.php";

namespace {

struct SimIndex
{
    const char* name; // GBK
    double base;
    uint32_t key;
};
// The four indexes whose panes open them (1A0001, 399001, 399005, 399006).
const SimIndex kIndexes[] = {
    { "上证指数", 2612.35, 0x001A0001 },
    { "深证成指", 10523.17, 0x01399001 },
    { "中小板指", 5247.80, 0x01399005 },
    { "创业板指", 1021.46, 0x01399006 },
};

// UTF-8 headlines; each links to a page of the simulator.
const char* const kHeadlines[] = {
    u8"沪深两市早盘震荡整理，成交量温和放大",
    u8"多家上市公司发布年度业绩预告",
    u8"央行公开市场操作维持流动性合理充裕",
    u8"创业板指数午后走强，科技板块领涨",
    u8"两市融资余额连续三日回升",
};
const int kNewsPages = static_cast<int>(sizeof(kHeadlines) / sizeof(kHeadlines[0]));

uint32_t Mix(uint32_t h, uint32_t value)
{
    return (h ^ value) * 16777619u;
}

std::string Format2(double value)
{
    char text[64];
    std::snprintf(text, sizeof(text), "%.2f", value);
    return text;
}

} // namespace

SimLiveService::SimLiveService(uint32_t seed, std::function<int32_t()> clock)
    : m_seed(seed)
    , m_clock(std::move(clock))
    , m_failureStatus(0)
    , m_emptyBody(false)
    , m_truncateAt(0)
    , m_delayMs(0)
    , m_stall(false)
    , m_requests(0)
    , m_statusRequests(0)
    , m_newsRequests(0)
    , m_loginRequests(0)
    , m_server(nullptr)
{
}

void SimLiveService::Install(WebSimServer& server)
{
    m_server = &server;
    auto answer = [this](const WebSimRequest& request) { return Answer(request); };
    server.AddRoute(kStatusPath, answer);
    server.AddRoute(kNewsPath, answer);
    server.AddRoute(kLoginCheckPath, answer);
    for (int n = 1; n <= kNewsPages; ++n)
        server.AddRoute("/news/" + std::to_string(n) + ".html", answer);
}

void SimLiveService::SetQuoteSource(SimMarketTables::LiveQuoteSource source, std::vector<uint32_t> stockKeys)
{
    m_quotes = std::move(source);
    m_stockKeys = std::move(stockKeys);
}

std::string SimLiveService::StatusBody() const
{
    std::string body;
    uint32_t h = Mix(2166136261u, m_seed);
    for (const SimIndex& index : kIndexes) {
        h = Mix(h, static_cast<uint32_t>(index.base));
        // Without the market's quote: a change of -1.5 % to +1.5 %, the turnover in yuan.
        double percent = (static_cast<int>(h % 301) - 150) / 100.0;
        double change = index.base * percent / 100.0;
        double last = index.base + change;
        double turnover = 2.0e10 + static_cast<double>(h % 9000) * 1.0e7;
        SimMarketTables::LiveQuote quote = {};
        if (m_quotes && m_quotes(index.key, quote) && Thousandths(quote.last) && Thousandths(quote.previousClose)) {
            // In the thousandths the quote table carries.
            last = Thousandths(quote.last) / 1000.0;
            change = last - Thousandths(quote.previousClose) / 1000.0;
            percent = change * 100.0 / (Thousandths(quote.previousClose) / 1000.0);
            turnover = quote.amount * 1000.0; // the quote table's amounts are thousands of yuan
        }
        body += std::string(index.name) + "\t" + Format2(last) + ";" + Format2(change) + ";" + Format2(percent)
            + ";" + Format2(turnover) + "\r\n";
    }
    h = Mix(h, 7);
    uint32_t rising = 600 + h % 600;
    uint32_t falling = 1500 - h % 500;
    uint32_t flat = 60 + h % 80;
    if (m_quotes) {
        rising = falling = flat = 0;
        for (uint32_t key : m_stockKeys) {
            SimMarketTables::LiveQuote quote = {};
            if (!m_quotes(key, quote) || !Thousandths(quote.last))
                continue;
            const uint32_t last = Thousandths(quote.last), previous = Thousandths(quote.previousClose);
            (last > previous ? rising : last < previous ? falling : flat) += 1;
        }
    }
    body += "上涨家数\t" + std::to_string(rising) + "\r\n";
    body += "下跌家数\t" + std::to_string(falling) + "\r\n";
    body += "平盘家数\t" + std::to_string(flat);
    return body;
}

std::string SimLiveService::NewsBody(const std::string& base) const
{
    std::string body;
    for (int n = 0; n < kNewsPages; ++n) {
        if (n)
            body += "\r\n";
        body += std::string(kHeadlines[n]) + "\t" + base + "news/" + std::to_string(n + 1) + ".html";
    }
    return body;
}

std::string SimLiveService::LoginCheckBody() const
{
    const int32_t now = m_clock ? m_clock() : static_cast<int32_t>(std::time(nullptr));
    return std::to_string(now) + "|0";
}

WebSimReply SimLiveService::Reply(const std::string& body) const
{
    WebSimReply reply = WebSimReply::Ok(m_emptyBody.load() ? std::string() : body);
    const size_t cut = m_truncateAt.load();
    if (cut != 0 && cut < reply.body.size()) {
        // The announced length stays whole: the client sees the close early.
        reply.closeAt = reply.Wire().size() - reply.body.size() + cut;
    }
    if (m_stall.load())
        reply.stallAt = 0;
    reply.delayMs = m_delayMs.load();
    return reply;
}

WebSimReply SimLiveService::Answer(const WebSimRequest& request)
{
    m_requests.fetch_add(1);
    const int failure = m_failureStatus.load();
    if (failure != 0 && failure != 200)
        return WebSimReply::Status(failure, failure == 503 ? "Service Unavailable" : "Error");
    if (request.path == kStatusPath) {
        m_statusRequests.fetch_add(1);
        return Reply(StatusBody());
    }
    if (request.path == kNewsPath) {
        m_newsRequests.fetch_add(1);
        // The server's own address: a Host line need not carry the port.
        return Reply(NewsBody(m_server ? m_server->Url("/") : std::string("http://127.0.0.1/")));
    }
    if (request.path == kLoginCheckPath) {
        m_loginRequests.fetch_add(1);
        return Reply(LoginCheckBody());
    }
    WebSimReply page = WebSimReply::Ok(SimPageService::Page(request.path, request.query));
    page.headers.push_back("Content-Type: text/html; charset=gb2312");
    return page;
}
