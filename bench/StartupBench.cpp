// Start-up time against the local simulators, with the login answered at
// once, step by step as a user sees it: the program started, the login
// dialog created and shown, the login exchange (from pressing "登录" to the
// first loading step), each loading step as its progress shows, the dialog
// gone, the main frame created, shown and painted, the announcement it
// opens; then the quote list from choosing its tab to rows shown, and the
// first K-line chart from choosing the stock (Enter in the keyboard wizard)
// to candles drawn. Every moment is the first time the bench sees it, polling
// every millisecond or so (screen captures where a paint must be seen).
// "Cold" starts without data files; "warm" starts with the files the cold
// run saved. It opens windows, so it runs on a display, in a Wine prefix where
// no other instance of the program runs:
//   xvfb-run -a -s "-screen 0 1280x1024x24" scripts/wine-run --prefix build/wineprefix-run build/bin/bench_startup.exe [runs]
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tools/uidriver/ForeignWindows.h"
#include "tools/uidriver/ZentuSession.h"
#include "tools/uidriver/ZentuWalk.h"

namespace {

// Control ids of the login dialog.
const int kLoginName = 1002;
const int kLoginPassword = 1003;
const int kLoginProgress = 1020;
const UINT kShowQuoteList = 3000;
const DWORD kStepTimeoutMs = 60000;
// Pixel rows with text in a view that shows something: about ten text rows.
const int kPaintedRows = 100;
const int kChartColumns = 40;
const int kLoadingPositions[] = { 10, 30, 50, 60, 70, 80, 90, 100 };
const int kLoadingCount = sizeof(kLoadingPositions) / sizeof(kLoadingPositions[0]);

// Moments of one start, ms from starting the program; -1 when not seen.
enum Moment {
    LoginCreated,
    LoginShown,
    LoginPressed,
    Loading10,
    LoadingLast = Loading10 + kLoadingCount - 1,
    LoginGone,
    FrameCreated,
    FrameShown,
    FramePainted,
    AnnouncementShown,
    QuoteListChosen,
    QuoteListShown,
    KLineChosen,
    KLineDrawn,
    MomentCount
};

struct Start
{
    double at[MomentCount];
    Start() { std::fill(at, at + MomentCount, -1.0); }
};

double Since(const LARGE_INTEGER& start)
{
    LARGE_INTEGER now, frequency;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) * 1e3 / frequency.QuadPart;
}

struct WindowSearch
{
    DWORD processId;
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM param)
{
    WindowSearch* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid != search->processId || ClassNameOf(hwnd) != search->className)
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

// A top-level window of the process with that class, shown or not yet.
HWND FindCreatedWindow(DWORD processId, const char* className)
{
    WindowSearch search = { processId, className, nullptr };
    ::EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Polls about every millisecond until done() holds; false after the time-out.
bool Poll(const std::function<bool()>& done, DWORD timeoutMs = kStepTimeoutMs)
{
    return WaitUntil(done, timeoutMs, 1);
}

// Whether the current view shows what it should: rows of text or candles.
bool ViewShows(const ZentuWalk& walk, ViewKind kind, bool candles)
{
    HWND view = nullptr;
    if (walk.CurrentView(&view) != kind)
        return false;
    std::unique_ptr<CDib32> image = CaptureWindow(walk.Frame());
    if (!image)
        return false;
    return candles ? walk.ChartColumns(view, *image) >= kChartColumns : walk.ContentRows(view, *image) >= kPaintedRows;
}

// Fills in the login and presses "登录"; then follows the loading's progress.
void FollowLogin(ZentuSession& session, const LARGE_INTEGER& start, Start& times)
{
    HWND login = nullptr;
    if (!Poll([&] { return (login = FindCreatedWindow(session.ProcessId(), "#32770")) != nullptr; }))
        return;
    times.at[LoginCreated] = Since(start);
    if (!Poll([&] { return ::IsWindowVisible(login) != FALSE; }))
        return;
    times.at[LoginShown] = Since(start);
    if (HWND name = ::GetDlgItem(login, kLoginName)) {
        if (TextOf(name).empty())
            ::SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(session.Options().userName.c_str()));
    }
    if (HWND password = ::GetDlgItem(login, kLoginPassword))
        ::SendMessageA(password, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(session.Options().password.c_str()));
    HWND progress = ::GetDlgItem(login, kLoginProgress);
    times.at[LoginPressed] = Since(start);
    PostCommand(login, IDOK);
    Poll([&] {
        if (!::IsWindow(login) || !::IsWindowVisible(login))
            return true;
        DWORD_PTR position = 0;
        if (progress && ::SendMessageTimeoutA(progress, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 1000, &position)) {
            const double now = Since(start);
            for (int i = 0; i < kLoadingCount; ++i) {
                if (static_cast<int>(position) >= kLoadingPositions[i] && times.at[Loading10 + i] < 0)
                    times.at[Loading10 + i] = now;
            }
        }
        return false;
    });
    times.at[LoginGone] = Since(start);
}

bool TimeOneStart(bool fresh, Start& times)
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
    FollowLogin(session, start, times);

    HWND frame = nullptr;
    if (Poll([&] { return (frame = FindCreatedWindow(session.ProcessId(), "ZtMainFrame")) != nullptr; }))
        times.at[FrameCreated] = Since(start);
    if (frame && Poll([&] { return ::IsWindowVisible(frame) != FALSE; }))
        times.at[FrameShown] = Since(start);
    if (frame && Poll([&] { return ViewShows(walk, ViewKind::MinuteChart, false); }))
        times.at[FramePainted] = Since(start);
    // The minute view, shown first, opens the latest announcement; the user closes it.
    if (frame && Poll([&] { return FindTopLevelWindow(session.ProcessId(), "#32770") != nullptr; }, 5000)) {
        times.at[AnnouncementShown] = Since(start);
        walk.DismissDialogs();
    }

    times.at[QuoteListChosen] = Since(start);
    walk.Command(kShowQuoteList);
    if (Poll([&] { return ViewShows(walk, ViewKind::QuoteList, false); }))
        times.at[QuoteListShown] = Since(start);

    // The code typed into the keyboard wizard, which filters as it goes; the
    // stock is chosen by Enter.
    walk.TypeText("600000");
    ::Sleep(300);
    Answers(frame, 5000);
    times.at[KLineChosen] = Since(start);
    walk.TypeKeys({ VK_RETURN });
    if (Poll([&] { return ViewShows(walk, ViewKind::KLineChart, true); }))
        times.at[KLineDrawn] = Since(start);
    DWORD code = 0;
    session.CloseProgram(20000, &code);
    session.Stop();
    return times.at[QuoteListShown] >= 0 && times.at[KLineDrawn] >= 0;
}

double Median(std::vector<double> values)
{
    values.erase(std::remove_if(values.begin(), values.end(), [](double v) { return v < 0; }), values.end());
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The median over the runs of the time from one moment to another.
double Span(const std::vector<Start>& runs, int from, int to)
{
    std::vector<double> spans;
    for (const Start& run : runs) {
        if (run.at[to] >= 0 && (from < 0 || run.at[from] >= 0))
            spans.push_back(run.at[to] - (from < 0 ? 0.0 : run.at[from]));
    }
    return Median(spans);
}

struct Row
{
    const char* what;
    int from; // -1: the program's start
    int to;
};

void Report(const std::vector<Start>& cold, const std::vector<Start>& warm)
{
    static const char* const kStepNames[kLoadingCount] = { "port probe (10%)", "code table (30%)",
        "finance data (50%)", "quote table (60%)", "current stock (70%)", "sectors (80%)", "indicator formulas (90%)",
        "ex-rights, dialog ends (100%)" };
    std::vector<Row> rows = {
        { "program start to login dialog created", -1, LoginCreated },
        { "login dialog's initialisation (to shown)", LoginCreated, LoginShown },
        { "login exchange (pressed to first step)", LoginPressed, Loading10 },
    };
    for (int i = 0; i < kLoadingCount; ++i)
        rows.push_back(Row { kStepNames[i], Loading10 + i, i + 1 < kLoadingCount ? Loading10 + i + 1 : LoginGone });
    const std::vector<Row> tail = {
        { "main frame created", LoginGone, FrameCreated },
        { "main frame shown", FrameCreated, FrameShown },
        { "main frame's first paint", FrameShown, FramePainted },
        { "announcement opened", FramePainted, AnnouncementShown },
        { "quote list (chosen to rows shown)", QuoteListChosen, QuoteListShown },
        { "first K-line (chosen to candles drawn)", KLineChosen, KLineDrawn },
        { "= login dialog shown, from the start", -1, LoginShown },
        { "= main frame painted, from the first step", Loading10, FramePainted },
        { "= main frame painted, from the start", -1, FramePainted },
    };
    rows.insert(rows.end(), tail.begin(), tail.end());
    std::printf("%-44s %10s %10s\n", "ms (medians)", "cold", "warm");
    for (const Row& row : rows)
        std::printf("%-44s %10.0f %10.0f\n", row.what, Span(cold, row.from, row.to), Span(warm, row.from, row.to));
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    std::vector<Start> cold, warm;
    bool ok = true;
    for (int i = 0; i < runs && ok; ++i) {
        Start t;
        ok = TimeOneStart(true, t);
        cold.push_back(t);
        Start w;
        ok = ok && TimeOneStart(false, w);
        warm.push_back(w);
    }
    std::printf("start-up against the local simulators (the login answered at once), %d runs\n", runs);
    Report(cold, warm);
    Gdiplus::GdiplusShutdown(token);
    if (!ok)
        std::printf("a start did not reach the K-line chart (is every screen built? scripts/run --headless says)\n");
    return ok ? 0 : 1;
}
