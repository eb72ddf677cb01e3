#include "tests/center/CenterSimulator.h"

#include "base/ExchangeTime.h"
#include "base/GlobalDefaults.h"
#include "data/DataCenter.h"
#include "net/DownLoaderManager.h"
#include "net/HttpClient.h"
#include "net/ServiceBaseUrl.h"

int32_t CenterSimulator::Now()
{
    return MakeExchangeTime(2026, 12, 10, 15, 30);
}

int CenterSimulator::DayBarCount(uint32_t key) const
{
    // The window of a day series' first request: three years back, three days ahead.
    return static_cast<int>(series.DayBars(key, Now() - 94608000, Now() + 259200).size());
}

int CenterSimulator::TickCount(uint32_t key) const
{
    return static_cast<int>(series.Ticks(key).size());
}

CenterSimulator::CenterSimulator()
    : m_ok(false)
    , m_time(Now())
{
    if (!quotes.Start() || !web.Start())
        return;
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

void CenterFixture::SetUp()
{
    ASSERT_TRUE(sim.ok());
    center = CDataCenter::Instance();
    ASSERT_TRUE(center);
    center->SetObserver(&observer);
}

void CenterFixture::TearDown()
{
    sim.quotes.ReleaseAll();
    if (CDataCenter* live = CDataCenter::PeekInstance())
        live->StopCacheThread();
    CDownLoaderManager::ReleaseInstance();
    CDataCenter::ReleaseInstance();
    center = nullptr;
}
