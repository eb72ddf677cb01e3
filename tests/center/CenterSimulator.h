#pragma once
// The whole market simulator for the data-center tests: the quote server
// with its tables and per-stock series, the web service with the diagnosis
// route, and the client pointed at it.
#include <cstdint>
#include <string>

#include "tests/support/SeriesFixtures.h"
#include "tests/support/TempDataRoot.h"
#include "tools/marketdata/SimMarketTables.h"
#include "tools/quotesim/QuoteSimulator.h"
#include "tools/webservice/SimDiagnosisService.h"
#include "tools/websim/WebSimServer.h"

// Per-stock series of the quote simulator: day bars of the 40 trading days
// before the server time, five-minute bars of the day before, today's ticks
// from 9:30 to 11:29 (one a minute), F10 text, and the formula document.
class SimStockSeries
{
public:
    // The server time the fixture fixes: a Thursday, 15:30 exchange time.
    static int32_t Now();
    static std::string DayBarsBody(uint32_t key, uint32_t from, uint32_t to);
    static std::string FiveMinuteBarsBody(uint32_t key, uint32_t from, uint32_t to);
    // The wire header, then the ticks later than from.
    static std::string TicksBody(uint32_t key, uint32_t from);
    static std::string F10Body();
    static std::string FormulaBody();
    static int DayBarCount() { return 40; }
    static int TickCount() { return 120; }
    void Install(QuoteSimulator& simulator);
};

// The whole simulator on 127.0.0.1, a temporary data root, the server time
// fixed, and the client (request manager, HTTP client, service base URL)
// pointed at it. Tests release the data center themselves; the destructor
// releases the request manager and the HTTP client.
class CenterSimulator
{
public:
    CenterSimulator();
    ~CenterSimulator();
    bool ok() const { return m_ok; }

    TempDataRoot root;
    QuoteSimulator quotes;
    SimMarketTables tables;
    SimStockSeries series;
    WebSimServer web;
    SimDiagnosisService diagnosis;

private:
    bool m_ok;
    ScopedServerTime m_time;
};

// Requests of one command and key in the simulator's log.
size_t CountRequests(const QuoteSimulator& simulator, uint16_t command, uint32_t key);
