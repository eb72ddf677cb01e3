// The market simulator program: serves the synthetic market over the quote
// protocol and the web service over HTTP, both on 127.0.0.1, until it is
// interrupted (Ctrl+C) or its console is closed.
//   simulator [--control] [--session-time HH:MM] [quote-port [web-port]]
//                                      (defaults 7709 and 7710; 0: any free port)
// With --control it reads commands from standard input (SimulatorControl.h)
// and stops at the input's end. With --session-time the market's clock runs
// from that exchange time of the latest weekday instead of the real time, so
// a session is in progress whatever the hour.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tools/marketdata/SimLiveQuotes.h"
#include "tools/marketdata/SimMarketSeries.h"
#include "tools/marketdata/SimMarketTables.h"
#include "tools/quotesim/QuoteSimulator.h"
#include "tools/simulator/SimulatorControl.h"
#include "tools/webservice/SimDiagnosisService.h"
#include "tools/webservice/SimLiveService.h"
#include "tools/webservice/SimLoginService.h"
#include "tools/webservice/SimPageService.h"
#include "tools/webservice/SimRankingService.h"
#include "tools/websim/WebSimServer.h"

namespace {
const uint16_t kDefaultQuotePort = 7709;
const uint16_t kDefaultWebPort = 7710;
HANDLE g_stopEvent = nullptr;

BOOL WINAPI OnConsoleControl(DWORD)
{
    ::SetEvent(g_stopEvent);
    return TRUE;
}

bool ParsePort(const char* text, uint16_t& port)
{
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (!end || *end || value < 0 || value > 65535)
        return false;
    port = static_cast<uint16_t>(value);
    return true;
}
// "HH:MM", 00:00 to 23:59.
bool ParseTimeOfDay(const char* text, int& minuteOfDay)
{
    int hours = 0, minutes = 0;
    char tail = 0;
    if (std::strlen(text) != 5 || std::sscanf(text, "%2d:%2d%c", &hours, &minutes, &tail) != 2 || hours < 0
        || hours > 23 || minutes < 0 || minutes > 59)
        return false;
    minuteOfDay = hours * 60 + minutes;
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    uint16_t quotePort = kDefaultQuotePort;
    uint16_t webPort = kDefaultWebPort;
    const char* const usage = "usage: simulator [--control] [--session-time HH:MM] [quote-port [web-port]]\n";
    const bool control = argc > 1 && std::strcmp(argv[1], "--control") == 0;
    if (control) {
        --argc;
        ++argv;
    }
    int sessionMinute = -1;
    if (argc > 1 && std::strcmp(argv[1], "--session-time") == 0) {
        if (argc < 3 || !ParseTimeOfDay(argv[2], sessionMinute)) {
            std::fprintf(stderr, "%s", usage);
            return 2;
        }
        argc -= 2;
        argv += 2;
    }
    if (argc > 3 || (argc > 1 && !ParsePort(argv[1], quotePort))
        || (argc > 2 && !ParsePort(argv[2], webPort))) {
        std::fprintf(stderr, "%s", usage);
        return 2;
    }
    QuoteSimulator quotes;
    SimMarketTables tables;
    SimMarketSeries series;
    if (sessionMinute >= 0)
        series.RunFromSessionTime(sessionMinute);
    JoinExRights(tables, series);
    const SimMarketTables::LiveQuoteSource liveQuotes = LiveQuotesFrom(series);
    // Worked out before the servers listen, so a client's first quotes come as
    // fast as the later ones.
    for (const SimSecurity& security : tables.Securities()) {
        SimMarketTables::LiveQuote quote;
        liveQuotes(security.key, quote);
    }
    tables.SetLiveQuoteSource(liveQuotes);
    tables.Install(quotes);
    series.Install(quotes);
    if (!quotes.Start(quotePort)) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1:%u\n", static_cast<unsigned>(quotePort));
        return 1;
    }
    WebSimServer web;
    SimDiagnosisService diagnosis;
    diagnosis.Install(web);
    // The status bar's figures and the rankings follow the quote table: the
    // stocks whose quotes the table takes from their series.
    std::vector<uint32_t> seriesStocks;
    for (const SimSecurity& security : tables.Securities()) {
        if (!security.index && security.key != SimMarketTables::kSuspendedKey
            && security.key != SimMarketTables::kNewListingKey)
            seriesStocks.push_back(security.key);
    }
    SimRankingService rankings(tables.Securities());
    rankings.FollowSeries(series, liveQuotes, seriesStocks);
    rankings.Install(web);
    SimPageService pages;
    pages.Install(web);
    SimLiveService live(20260101, [&series] { return series.Now(); });
    live.SetQuoteSource(liveQuotes, seriesStocks);
    live.Install(web);
    SimLoginService login;
    login.SetClock([&series] { return series.Now(); });
    login.Install(web);
    if (!web.Start(webPort)) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1:%u\n", static_cast<unsigned>(webPort));
        quotes.Stop();
        return 1;
    }
    g_stopEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ::SetConsoleCtrlHandler(&OnConsoleControl, TRUE);
    std::printf("quote server on 127.0.0.1:%u, web service on 127.0.0.1:%u; Ctrl+C stops them\n",
        static_cast<unsigned>(quotes.Port()), static_cast<unsigned>(web.GetPort()));
    std::fflush(stdout);
    if (control)
        SimulatorControl(quotes, web).Run();
    else
        ::WaitForSingleObject(g_stopEvent, INFINITE);
    web.Stop();
    quotes.Stop();
    return 0;
}
