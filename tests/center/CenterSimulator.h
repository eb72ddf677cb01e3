#pragma once
// The whole market simulator for the data-center tests: the quote server
// with its tables and per-stock series, the web service with the diagnosis
// route, and the client pointed at it.
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/CenterFixtures.h"
#include "tests/support/SeriesFixtures.h"
#include "tests/support/TempDataRoot.h"
#include "tools/marketdata/SimMarketSeries.h"
#include "tools/marketdata/SimMarketTables.h"
#include "tools/quotesim/QuoteSimulator.h"
#include "tools/webservice/SimDiagnosisService.h"
#include "tools/websim/WebSimServer.h"

// The whole simulator on 127.0.0.1, a temporary data root, the server time
// fixed, and the client (request manager, HTTP client, service base URL)
// pointed at it. Tests release the data center themselves; the destructor
// releases the request manager and the HTTP client.
class CenterSimulator
{
public:
    // The server time the fixture fixes: a Thursday, 15:30 exchange time,
    // after the session.
    static int32_t Now();

    CenterSimulator();
    ~CenterSimulator();
    bool ok() const { return m_ok; }

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
    ScopedServerTime m_time;
};

class CDataCenter;

// A data center on the simulator with a recording observer. The end runs in
// the program's order: cache thread, request manager, data center.
class CenterFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    CenterSimulator sim;
    RecordingObserver observer;
    CDataCenter* center = nullptr;
};

// Requests of one command and key in the simulator's log.
size_t CountRequests(const QuoteSimulator& simulator, uint16_t command, uint32_t key);
