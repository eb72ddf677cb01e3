// The market simulator program: serves the synthetic market over the quote
// protocol on 127.0.0.1 until it is interrupted (Ctrl+C) or its console is closed.
//   simulator [port]     (default 7709)
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "tools/marketdata/SimMarketSeries.h"
#include "tools/marketdata/SimMarketTables.h"
#include "tools/quotesim/QuoteSimulator.h"

namespace {
const uint16_t kDefaultQuotePort = 7709;
HANDLE g_stopEvent = nullptr;

BOOL WINAPI OnConsoleControl(DWORD)
{
    ::SetEvent(g_stopEvent);
    return TRUE;
}
} // namespace

int main(int argc, char** argv)
{
    uint16_t port = kDefaultQuotePort;
    if (argc > 1) {
        char* end = nullptr;
        long value = std::strtol(argv[1], &end, 10);
        if (!end || *end || value < 0 || value > 65535) {
            std::fprintf(stderr, "usage: simulator [port]\n");
            return 2;
        }
        port = static_cast<uint16_t>(value);
    }
    QuoteSimulator quotes;
    SimMarketTables tables;
    SimMarketSeries series;
    tables.Install(quotes);
    series.Install(quotes);
    if (!quotes.Start(port)) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1:%u\n", static_cast<unsigned>(port));
        return 1;
    }
    g_stopEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ::SetConsoleCtrlHandler(&OnConsoleControl, TRUE);
    std::printf("quote server on 127.0.0.1:%u; Ctrl+C stops it\n", static_cast<unsigned>(quotes.Port()));
    std::fflush(stdout);
    ::WaitForSingleObject(g_stopEvent, INFINITE);
    quotes.Stop();
    return 0;
}
