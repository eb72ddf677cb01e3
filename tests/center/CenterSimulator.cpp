#include "tests/center/CenterSimulator.h"

#include <algorithm>

#include "base/ExchangeTime.h"
#include "base/GlobalDefaults.h"
#include "data/Rc4.h"
#include "net/DownLoaderManager.h"
#include "net/HttpClient.h"
#include "net/ServiceBaseUrl.h"

namespace {

double BasePriceOf(uint32_t key)
{
    // Multiples of 1/8: exact in float and in thousandths.
    return 8.0 + static_cast<double>((key * 2654435761u) % 64) / 8.0;
}

bool IsWeekend(int32_t time)
{
    const int weekday = SplitExchangeTime(time).tm_wday;
    return weekday == 0 || weekday == 6;
}

// The trading days before today, oldest first.
std::vector<int32_t> TradingDaysBefore(int32_t now, int count)
{
    const std::tm f = SplitExchangeTime(now);
    std::vector<int32_t> days;
    for (int back = 1; static_cast<int>(days.size()) < count; ++back) {
        const int32_t day = MakeExchangeTime(f.tm_year + 1900, f.tm_mon + 1, f.tm_mday - back);
        if (!IsWeekend(day))
            days.insert(days.begin(), day);
    }
    return days;
}

int32_t TodayAt(int hour, int minute)
{
    const std::tm f = SplitExchangeTime(SimStockSeries::Now());
    return MakeExchangeTime(f.tm_year + 1900, f.tm_mon + 1, f.tm_mday, hour, minute);
}

}  // namespace

int32_t SimStockSeries::Now() { return MakeExchangeTime(2026, 12, 10, 15, 30); }

std::string SimStockSeries::DayBarsBody(uint32_t key, uint32_t from, uint32_t to)
{
    const double base = BasePriceOf(key);
    std::string body;
    int i = 0;
    for (int32_t day : TradingDaysBefore(Now(), DayBarCount())) {
        const double open = base + (i % 8) / 8.0;
        const double close = base + ((i + 3) % 8) / 8.0;
        ++i;
        if (static_cast<uint32_t>(day) < from || static_cast<uint32_t>(day) > to)
            continue;
        AppendPod(body, MakeWireBar(day, open, std::max(open, close) + 0.5, std::min(open, close) - 0.5, close,
                                    100000 + i * 100, 1000000 + i * 1000));
    }
    return body;
}

std::string SimStockSeries::FiveMinuteBarsBody(uint32_t key, uint32_t from, uint32_t to)
{
    const double base = BasePriceOf(key);
    const int32_t yesterday = TradingDaysBefore(Now(), 1).front();
    std::string body;
    for (int i = 0; i < 48; ++i) {
        // 9:35 to 11:30, then 13:05 to 15:00.
        const int32_t minutes = i < 24 ? 9 * 60 + 35 + 5 * i : 13 * 60 + 5 + 5 * (i - 24);
        const int32_t time = yesterday + minutes * 60;
        if (static_cast<uint32_t>(time) < from || static_cast<uint32_t>(time) > to)
            continue;
        const double price = base + (i % 8) / 8.0;
        AppendPod(body, MakeWireBar(time, price, price + 0.125, price - 0.125, price, 1000, 10000));
    }
    return body;
}

std::string SimStockSeries::TicksBody(uint32_t key, uint32_t from)
{
    const double base = BasePriceOf(key);
    WireTickHeader header = MakeWireTickHeader(Now(), base);
    std::string ticks;
    uint32_t volume = 0;
    uint32_t amount = 0;
    for (int i = 0; i < TickCount(); ++i) {
        const int32_t time = TodayAt(9, 30) + i * 60;
        const double price = base + ((i % 5) - 2) / 8.0;
        volume += 100 + i;
        amount += (100 + i) * 10;
        if (static_cast<uint32_t>(time) > from || from == 0)
            AppendPod(ticks, MakeWireTick(time, price, volume, amount, 500, 400, price + 0.125));
        header.last = static_cast<uint32_t>(price * 1000);
        header.high = std::max(header.high, header.last);
        header.low = std::min(header.low, header.last);
    }
    header.totalVolume = volume;
    header.totalAmount = amount;
    std::string body;
    AppendPod(body, header);
    return body + ticks;
}

std::string SimStockSeries::F10Body()
{
    std::string text = "☆最新提示☆\r\n本公司经营情况正常，主营业务收入稳定增长，近期无重大事项。\r\n"
                       "☆公司概况☆\r\n公司成立于一九九零年，主要从事金融服务业务，注册地上海。\r\n";
    return text;
}

std::string SimStockSeries::FormulaBody()
{
    const std::wstring xml = L"<Formulas><Category Name=\"趋势\"/></Formulas>";
    std::string plain("\xFF\xFE", 2);
    for (wchar_t c : xml) {
        plain.push_back(static_cast<char>(c & 0xFF));
        plain.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    ApplyFormulaCipher(reinterpret_cast<uint8_t*>(&plain[0]), plain.size());
    return plain;
}

void SimStockSeries::Install(QuoteSimulator& simulator)
{
    simulator.SetHandler(0x301, [](const SimRequest& r) {
        SimReply reply;
        reply.body = DayBarsBody(r.key, r.value, r.value2);
        return reply;
    });
    simulator.SetHandler(0x302, [](const SimRequest& r) {
        SimReply reply;
        reply.body = FiveMinuteBarsBody(r.key, r.value, r.value2);
        return reply;
    });
    simulator.SetHandler(0x401, [](const SimRequest& r) {
        SimReply reply;
        reply.body = TicksBody(r.key, r.value);
        return reply;
    });
    simulator.SetHandler(0x205, [](const SimRequest&) {
        SimReply reply;
        reply.value = static_cast<uint32_t>(Now() - 86400);
        reply.value2 = static_cast<uint32_t>(Now());
        reply.body = F10Body();
        return reply;
    });
    simulator.SetHandler(0x208, [](const SimRequest&) {
        SimReply reply;
        reply.value = 1;
        reply.value2 = 7;
        reply.body = FormulaBody();
        return reply;
    });
}

CenterSimulator::CenterSimulator() : m_ok(false), m_time(SimStockSeries::Now())
{
    if (!quotes.Start() || !web.Start())
        return;
    tables.Install(quotes);
    series.Install(quotes);
    diagnosis.Install(web);
    QuoteServerAddress::Set("127.0.0.1");
    QuoteServerPort::Set(quotes.Port());
    ServiceBaseUrl::Set(web.Url("/"));
    // The next users build them anew, for this server.
    CDownLoaderManager::ReleaseInstance();
    HttpClient::ReleaseInstance();
    m_ok = true;
}

CenterSimulator::~CenterSimulator()
{
    CDownLoaderManager::ReleaseInstance();
    HttpClient::ReleaseInstance();
    web.Stop();
    quotes.Stop();
    QuoteServerAddress::Set(QuoteServerAddress::kDefault);
    QuoteServerPort::Set(QuoteServerPort::kDefault);
    ServiceBaseUrl::Set(ServiceBaseUrl::kDefault);
}

size_t CountRequests(const QuoteSimulator& simulator, uint16_t command, uint32_t key)
{
    size_t n = 0;
    for (const SimRequest& r : simulator.RequestLog()) {
        if (r.command == command && r.key == key)
            ++n;
    }
    return n;
}
