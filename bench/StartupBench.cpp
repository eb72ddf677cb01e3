// Start-up time against the local simulators, with the login answered at
// once, step by step as a user sees it: the program started, its own code
// reached (the instance mutex created, the first thing it does), the login
// dialog created and shown, the login exchange (from pressing "登录" to the
// first loading step), each loading step as its progress shows, the dialog
// gone, the main frame created, shown and painted, the announcement it
// opens; then the quote list from choosing its tab to rows shown, and the
// first K-line chart from choosing the stock (Enter in the keyboard wizard)
// to candles drawn. Every moment is the first time the bench sees it, polling
// every millisecond or so; where a paint must be seen, the bench reads the
// view's pixels back from the screen every few milliseconds, the view's area
// alone, so that its reading holds up the program's drawing as little as can
// be (the time one reading takes is printed with the figures).
// Before each start the floor is timed: a program of the same toolchain that
// only shows a window, bare and with the program's start-up imports
// (bench_startup_floor*.exe), from its start to its window shown.
// "Cold" starts without data files; "warm" starts with the files the cold
// run saved. It opens windows, so it runs on a display, in a Wine prefix where
// no other instance of the program runs:
//   xvfb-run -a -s "-screen 0 1280x1024x24" scripts/wine-run --prefix build/wineprefix-run build/bin/bench_startup.exe [runs [--each]]
// --each also prints every moment of every start.
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

#include "app/ShellConstants.h"
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
// Between two readings of the screen: often enough to see a paint within a
// few ms, seldom enough not to crowd the program's own drawing.
const DWORD kCapturePollMs = 4;
const int kCaptureBandRows = 64;
const double kDirtyReadingMs = 100;

// Moments of one start, ms from starting the program; -1 when not seen.
enum Moment {
    FloorBare,
    FloorImports,
    OwnCode,
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
    KLineShown,
    KLineDrawn,
    MomentCount
};

struct Start
{
    double at[MomentCount];
    // ms one reading of the screen took, each one made, and when the last ended.
    std::vector<double> captures;
    LARGE_INTEGER lastReading = {};
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
bool Poll(const std::function<bool()>& done, DWORD timeoutMs = kStepTimeoutMs, DWORD stepMs = 1)
{
    return WaitUntil(done, timeoutMs, stepMs);
}

// An image of the frame's size with only the view's area read from the
// screen: the measures of ZentuWalk take the frame's coordinates, and the
// rest of the frame need not cross the display connection.
std::unique_ptr<CDib32> CaptureView(HWND frame, HWND view)
{
    RECT outer, inner;
    if (!::GetWindowRect(frame, &outer) || !::GetWindowRect(view, &inner) || inner.right <= inner.left
        || inner.bottom <= inner.top)
        return nullptr;
    std::unique_ptr<CDib32> image(new CDib32);
    if (!image->Create(outer.right - outer.left, outer.bottom - outer.top))
        return nullptr;
    // In bands: under Wine on X a read of the screen grows much faster than
    // its area (a 1000 x 700 read takes 70-180 ms, ten of 70 rows 10-15).
    HDC screen = ::GetDC(nullptr);
    for (int top = inner.top; top < inner.bottom; top += kCaptureBandRows) {
        const int rows = (std::min)(kCaptureBandRows, static_cast<int>(inner.bottom - top));
        ::BitBlt(image->GetDC(), inner.left - outer.left, top - outer.top, inner.right - inner.left, rows, screen,
            inner.left, top, SRCCOPY);
    }
    ::ReleaseDC(nullptr, screen);
    ::GdiFlush();
    return image;
}

// Whether the current view shows what it should: rows of text or candles.
bool ViewShows(const ZentuWalk& walk, ViewKind kind, bool candles, Start& times)
{
    HWND view = nullptr;
    if (walk.CurrentView(&view) != kind)
        return false;
    // A view still waiting for its paint cannot show anything new: it is read
    // once its paint has begun (its update region is empty), or after a while
    // in case something keeps invalidating it. Fewer reads, less crowding.
    if (::GetUpdateRect(view, nullptr, FALSE) && times.lastReading.QuadPart != 0
        && Since(times.lastReading) < kDirtyReadingMs)
        return false;
    LARGE_INTEGER before;
    ::QueryPerformanceCounter(&before);
    std::unique_ptr<CDib32> image = CaptureView(walk.Frame(), view);
    times.captures.push_back(Since(before));
    ::QueryPerformanceCounter(&times.lastReading);
    if (!image)
        return false;
    return candles ? walk.ChartColumns(view, *image) >= kChartColumns : walk.ContentRows(view, *image) >= kPaintedRows;
}

struct VisibleSearch
{
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchVisible(HWND hwnd, LPARAM param)
{
    VisibleSearch* search = reinterpret_cast<VisibleSearch*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid != search->processId || !::IsWindowVisible(hwnd))
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

// ms from starting the floor program to its window shown; -1 when it did not start.
double TimeFloor(const std::string& program)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    std::string commandLine = "\"" + program + "\"";
    LARGE_INTEGER start;
    ::QueryPerformanceCounter(&start);
    if (!::CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
            &info))
        return -1;
    VisibleSearch search = { info.dwProcessId, nullptr };
    const bool shown = Poll([&] {
        ::EnumWindows(&MatchVisible, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    }, 20000);
    const double ms = shown ? Since(start) : -1.0;
    if (search.found)
        ::PostMessageA(search.found, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0)
        std::fprintf(stderr, "%s did not end\n", program.c_str());
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return ms;
}

// Whether the program has reached its own code: the instance mutex is the first thing it creates.
bool ReachedOwnCode()
{
    HANDLE mutex = ::OpenMutexA(SYNCHRONIZE, FALSE, kInstanceMutexName);
    if (!mutex)
        return false;
    ::CloseHandle(mutex);
    return true;
}

// Fills in the login and presses "登录"; then follows the loading's progress.
void FollowLogin(ZentuSession& session, const LARGE_INTEGER& start, Start& times)
{
    if (Poll(&ReachedOwnCode))
        times.at[OwnCode] = Since(start);
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
    times.at[FloorBare] = TimeFloor(options.binDir + "bench_startup_floor.exe");
    times.at[FloorImports] = TimeFloor(options.binDir + "bench_startup_floor_imports.exe");
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
    if (frame && Poll([&] { return ViewShows(walk, ViewKind::MinuteChart, false, times); }, kStepTimeoutMs, kCapturePollMs))
        times.at[FramePainted] = Since(start);
    // The minute view, shown first, opens the latest announcement; the user closes it.
    if (frame && Poll([&] { return FindTopLevelWindow(session.ProcessId(), "#32770") != nullptr; }, 5000)) {
        times.at[AnnouncementShown] = Since(start);
        walk.DismissDialogs();
    }

    times.at[QuoteListChosen] = Since(start);
    walk.Command(kShowQuoteList);
    if (Poll([&] { return ViewShows(walk, ViewKind::QuoteList, false, times); }, kStepTimeoutMs, kCapturePollMs))
        times.at[QuoteListShown] = Since(start);

    // The code typed into the keyboard wizard, which filters as it goes; the
    // stock is chosen by Enter.
    walk.TypeText("600000");
    ::Sleep(300);
    Answers(frame, 5000);
    times.at[KLineChosen] = Since(start);
    walk.TypeKeys({ VK_RETURN });
    if (Poll([&] { return walk.CurrentView() == ViewKind::KLineChart; }))
        times.at[KLineShown] = Since(start);
    if (Poll([&] { return ViewShows(walk, ViewKind::KLineChart, true, times); }, kStepTimeoutMs, kCapturePollMs))
        times.at[KLineDrawn] = Since(start);
    DWORD code = 0;
    session.CloseProgram(20000, &code);
    session.Stop();
    return times.at[QuoteListShown] >= 0 && times.at[KLineDrawn] >= 0;
}

// The median and the range of the values that were seen (not negative).
struct Spread
{
    double median = -1, low = -1, high = -1;
};

Spread SpreadOf(std::vector<double> values)
{
    values.erase(std::remove_if(values.begin(), values.end(), [](double v) { return v < 0; }), values.end());
    Spread spread;
    if (values.empty())
        return spread;
    std::sort(values.begin(), values.end());
    spread.median = values[values.size() / 2];
    spread.low = values.front();
    spread.high = values.back();
    return spread;
}

// Over the runs: the time from one moment to another.
Spread Span(const std::vector<Start>& runs, int from, int to)
{
    std::vector<double> spans;
    for (const Start& run : runs) {
        if (run.at[to] >= 0 && (from < 0 || run.at[from] >= 0))
            spans.push_back(run.at[to] - (from < 0 ? 0.0 : run.at[from]));
    }
    return SpreadOf(spans);
}

std::string Cell(const Spread& spread)
{
    if (spread.median < 0)
        return "-";
    char text[48];
    std::snprintf(text, sizeof(text), "%.0f (%.0f-%.0f)", spread.median, spread.low, spread.high);
    return text;
}

struct Row
{
    const char* what;
    int from; // -1: the program's (or the floor program's) start
    int to;
};

void PrintRows(const char* heading, const std::vector<Row>& rows, const std::vector<Start>& cold,
    const std::vector<Start>& warm)
{
    std::printf("%s\n", heading);
    for (const Row& row : rows) {
        std::printf("  %-46s %20s %20s\n", row.what, Cell(Span(cold, row.from, row.to)).c_str(),
            Cell(Span(warm, row.from, row.to)).c_str());
    }
}

void Report(const std::vector<Start>& cold, const std::vector<Start>& warm)
{
    static const char* const kStepNames[kLoadingCount] = { "port probe (10%)", "code table (30%)",
        "finance data (50%)", "quote table (60%)", "current stock (70%)", "sectors (80%)", "indicator formulas (90%)",
        "ex-rights, dialog ends (100%)" };
    std::printf("  %-46s %20s %20s\n", "ms: median (range)", "cold", "warm");
    PrintRows("floor: a program that only shows a window, start to shown",
        { { "bare (kernel32, user32, gdi32)", -1, FloorBare },
            { "with the program's start-up imports", -1, FloorImports } },
        cold, warm);
    PrintRows("to the login dialog",
        { { "start to the program's own code (Wine, DLLs)", -1, OwnCode },
            { "own code to the login dialog created", OwnCode, LoginCreated },
            { "dialog's initialisation (created to shown)", LoginCreated, LoginShown },
            { "= login dialog shown, from the start", -1, LoginShown } },
        cold, warm);
    std::vector<Row> loading = { { "login exchange (pressed to first step)", LoginPressed, Loading10 } };
    for (int i = 0; i < kLoadingCount; ++i)
        loading.push_back(Row { kStepNames[i], Loading10 + i, i + 1 < kLoadingCount ? Loading10 + i + 1 : LoginGone });
    PrintRows("loading, after the login is answered", loading, cold, warm);
    PrintRows("main frame",
        { { "created (dialog gone to frame window)", LoginGone, FrameCreated },
            { "shown", FrameCreated, FrameShown },
            { "first paint (shown to minute chart drawn)", FrameShown, FramePainted },
            { "announcement opened (after the paint)", FramePainted, AnnouncementShown },
            { "= main frame painted, after the login", Loading10, FramePainted },
            { "= main frame painted, from the start", -1, FramePainted } },
        cold, warm);
    PrintRows("views",
        { { "quote list (chosen to rows shown)", QuoteListChosen, QuoteListShown },
            { "K-line: chosen to its view shown", KLineChosen, KLineShown },
            { "K-line: view shown to candles drawn", KLineShown, KLineDrawn },
            { "= first K-line, chosen to candles drawn", KLineChosen, KLineDrawn } },
        cold, warm);
    std::vector<double> coldCaptures, warmCaptures;
    for (const Start& run : cold)
        coldCaptures.insert(coldCaptures.end(), run.captures.begin(), run.captures.end());
    for (const Start& run : warm)
        warmCaptures.insert(warmCaptures.end(), run.captures.begin(), run.captures.end());
    std::printf("  %-46s %20s %20s\n", "one reading of a view from the screen",
        Cell(SpreadOf(coldCaptures)).c_str(), Cell(SpreadOf(warmCaptures)).c_str());
    const Spread coldTotal = Span(cold, -1, FramePainted);
    const Spread warmTotal = Span(warm, -1, FramePainted);
    if (coldTotal.median > 0 && warmTotal.median > 0)
        std::printf("cold / warm, main frame painted from the start: %.2f\n", coldTotal.median / warmTotal.median);
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const bool each = argc > 2 && std::string(argv[2]) == "--each";
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
    if (each) {
        // Every moment of every start, ms from its start (-1: not seen), in
        // the order of the Moment list, for figures gathered over several runs.
        for (size_t i = 0; i < cold.size() + warm.size(); ++i) {
            const bool isCold = i < cold.size();
            const Start& run = isCold ? cold[i] : warm[i - cold.size()];
            std::printf("moments %s", isCold ? "cold" : "warm");
            for (double at : run.at)
                std::printf(" %.1f", at);
            std::printf("\n");
        }
    }
    Gdiplus::GdiplusShutdown(token);
    if (!ok)
        std::printf("a start did not reach the K-line chart (is every screen built? scripts/run --headless says)\n");
    return ok ? 0 : 1;
}
