#pragma once
// The whole market simulator in process on 127.0.0.1 for the tests that run
// the client against it: the quote server with its tables and per-stock
// series, the web service with the diagnosis route, a temporary data root,
// the server time fixed, and the client (quote address and port, service
// base URL, request manager, HTTP client) pointed at it.
#include <cstdint>
#include <string>

#include "tests/support/SeriesFixtures.h"
#include "tests/support/TempDataRoot.h"
#include "tools/marketdata/SimMarketSeries.h"
#include "tools/marketdata/SimMarketTables.h"
#include "tools/quotesim/QuoteSimulator.h"
#include "tools/webservice/SimDiagnosisService.h"
#include "tools/websim/WebSimServer.h"

// Tests release the data center themselves; the destructor releases the
// request manager and the HTTP client, stops the servers and points the
// client at the built-in addresses again.
class SimulatedMarket
{
public:
    // The server time the fixture fixes: a Thursday, 15:30 exchange time,
    // after the session.
    static int32_t Now();

    SimulatedMarket();
    ~SimulatedMarket();
    bool ok() const { return m_ok; }
    // Which server did not start, and the socket error it met.
    const std::string& error() const { return m_error; }

    // What a first request of an empty series gets.
    int DayBarCount(uint32_t key) const;
    int TickCount(uint32_t key) const;

    TempDataRoot root;
    QuoteSimulator quotes;
    SimMarketTables tables;
    SimMarketSeries series;
    WebSimServer web;
    SimDiagnosisService diagnosis;

private:
    bool m_ok;
    std::string m_error;
    ScopedServerTime m_time;
};

// Requests of one command and key in the simulator's log.
size_t CountRequests(const QuoteSimulator& simulator, uint16_t command, uint32_t key);
