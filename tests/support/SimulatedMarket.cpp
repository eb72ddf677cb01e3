#include "tests/support/SimulatedMarket.h"

#include "base/ExchangeTime.h"
#include "base/GlobalDefaults.h"
#include "net/DownLoaderManager.h"
#include "net/HttpClient.h"
#include "net/ServiceBaseUrl.h"

int32_t SimulatedMarket::Now()
{
    return MakeExchangeTime(2026, 12, 10, 15, 30);
}

int SimulatedMarket::DayBarCount(uint32_t key) const
{
    // The window of a day series' first request: three years back, three days ahead.
    return static_cast<int>(series.DayBars(key, Now() - 94608000, Now() + 259200).size());
}

int SimulatedMarket::TickCount(uint32_t key) const
{
    return static_cast<int>(series.Ticks(key).size());
}

SimulatedMarket::SimulatedMarket()
    : m_ok(false)
    , m_time(Now())
{
    if (!quotes.Start()) {
        m_error = "the quote simulator did not start (socket error " + std::to_string(::WSAGetLastError()) + ")";
        return;
    }
    if (!web.Start()) {
        m_error = "the web simulator did not start (socket error " + std::to_string(::WSAGetLastError()) + ")";
        return;
    }
    tables.Install(quotes);
    series.SetClock(Now());
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

SimulatedMarket::~SimulatedMarket()
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
