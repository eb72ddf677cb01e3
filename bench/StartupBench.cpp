// Start-up time against the local simulators: from starting the program to
// the quote list shown with rows, and to the first K-line chart drawn (the
// stock opened as soon as the list shows), with the login answered at once.
// "Cold" starts without data files; "warm" starts with the files the cold
// run saved. It opens windows, so it runs on a display, in a Wine prefix where
// no other instance of the program runs:
//   xvfb-run -a scripts/wine-run --prefix build/wineprefix-run build/bin/bench_startup.exe [runs]
#include <windows.h>
#include <objbase.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "tools/uidriver/ForeignWindows.h"
#include "tools/uidriver/ZentuSession.h"
#include "tools/uidriver/ZentuWalk.h"

namespace {

struct StartupTimes
{
    double loginShown = -1; // ms from the start
    double quotesShown = -1;
    double klineDrawn = -1;
};

double Since(const LARGE_INTEGER& start)
{
    LARGE_INTEGER now, frequency;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) * 1e3 / frequency.QuadPart;
}

bool TimeOneStart(bool fresh, StartupTimes& times)
{
    SessionOptions options;
    options.binDir = ModuleDirectoryOfThisProgram();
    options.runDir = options.binDir + "run-bench\\";
    options.freshData = fresh;
    ZentuSession session(options);
    std::string error;
    if (!session.Prepare(&error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    ZentuWalk walk(session, options.binDir + "test-output\\bench-startup", nullptr);
    walk.SetScreenshots(false);
    LARGE_INTEGER start;
    ::QueryPerformanceCounter(&start);
    if (!session.StartProgram(&error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    if (WaitUntil([&] { return session.LoginDialog() || session.MainFrame(); }, 60000, 5))
        times.loginShown = Since(start);
    walk.Login();
    HWND view = nullptr;
    if (walk.WaitForView(ViewKind::QuoteList, 60000, &view) && walk.WaitForQuoteRows(view, 60000, 20) > 0)
        times.quotesShown = Since(start);
    walk.OpenStock("600000");
    if (walk.WaitForView(ViewKind::KLineChart, 60000, &view) && walk.WaitForChart(view, 40, 60000, 20) >= 40)
        times.klineDrawn = Since(start);
    DWORD code = 0;
    session.CloseProgram(20000, &code);
    session.Stop();
    return times.quotesShown >= 0 && times.klineDrawn >= 0;
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void Report(const char* name, const std::vector<StartupTimes>& runs)
{
    std::vector<double> login, quotes, kline;
    for (const StartupTimes& t : runs) {
        login.push_back(t.loginShown);
        quotes.push_back(t.quotesShown);
        kline.push_back(t.klineDrawn);
    }
    std::printf("%-5s  login dialog %7.0f ms   quote list %7.0f ms   first K-line %7.0f ms   (median of %u)\n", name,
        Median(login), Median(quotes), Median(kline), static_cast<unsigned>(runs.size()));
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    std::vector<StartupTimes> cold, warm;
    bool ok = true;
    for (int i = 0; i < runs && ok; ++i) {
        StartupTimes t;
        ok = TimeOneStart(true, t);
        cold.push_back(t);
        StartupTimes w;
        ok = ok && TimeOneStart(false, w);
        warm.push_back(w);
    }
    std::printf("start-up against the local simulators (the login answered at once; times from the start)\n");
    Report("cold", cold);
    Report("warm", warm);
    Gdiplus::GdiplusShutdown(token);
    if (!ok)
        std::printf("a start did not reach the K-line chart (is every screen built? scripts/run --headless says)\n");
    return ok ? 0 : 1;
}
