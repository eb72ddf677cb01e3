#pragma once
// A walk through the program's screens as a user takes it: the login with its
// loading progress, the quote list, a stock's K-line chart with indicators,
// periods and adjustment, the minute chart, the F10 view and the side panel's
// pages. Every screen reached is saved as a PNG; a screen the program cannot
// show is reported as missing with the reason, never faked.
#include <windows.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tools/uidriver/ScreenCapture.h"
#include "tools/uidriver/ZentuSession.h"

enum class ViewKind { None, QuoteList, MinuteChart, KLineChart, F10 };
const char* ViewKindName(ViewKind kind);

struct WalkScreen
{
    std::string name;
    bool reached = false;
    std::string note; // what was seen, or why the screen is missing
    std::string file; // the screenshot, when one was saved
};

class ZentuWalk
{
public:
    typedef std::function<void(const std::string&)> Logger;

    ZentuWalk(ZentuSession& session, const std::string& screenshotDir, Logger log);

    // --- steps (each records a WalkScreen and returns whether it was reached)
    bool Login(DWORD timeoutMs = 90000);
    bool QuoteList();
    bool KLine(const char* code = "600000");
    bool KLineIndicators();
    bool KLinePeriods();
    bool KLineAdjustment();
    bool MinuteChart();
    bool F10();
    bool SidePanelPages();
    // Every step in order; true when every screen was reached.
    bool RunAll();

    // Off: no screenshot is taken (for timing runs).
    void SetScreenshots(bool on) { m_screenshots = on; }
    const std::vector<WalkScreen>& Screens() const { return m_screens; }
    int HighestProgress() const { return m_highestProgress; }

    // --- what the steps are made of, for tests that look closer
    HWND Frame() const;
    // The view the content panel shows now, and its window.
    ViewKind CurrentView(HWND* view = nullptr) const;
    bool WaitForView(ViewKind kind, DWORD timeoutMs, HWND* view = nullptr) const;
    // A menu command as the frame receives it.
    void Command(UINT command, LPARAM extra = 0) const;
    // Keys as typed into the program's focused window.
    void TypeKeys(const std::vector<UINT>& keys) const;
    void TypeText(const char* text) const;
    // Opens a stock the way a user does: its code typed into the keyboard
    // wizard, then Enter.
    void OpenStock(const char* code) const;
    // Closes the program's dialogs in front of the frame, as a user does,
    // saving each one first as <name>.png when a name is given; how many.
    int DismissDialogs(const char* name = nullptr);
    // The side panel when it is shown (a visible frame child 218 pixels wide).
    HWND VisibleSidePanel() const;
    std::unique_ptr<CDib32> CaptureFrame() const;
    // Saves the frame as <dir>/<name>.png; the path, empty on failure.
    std::string Screenshot(const std::string& name, const CDib32* image = nullptr) const;
    // Candle and line columns in a chart view's capture.
    int ChartColumns(HWND view, const CDib32& frameImage) const;
    // The K-line chart's candle area in a capture of the frame: its main pane
    // less the title row and the strip under the candles, with the given
    // number of indicator panes below it.
    PixelArea CandleArea(HWND view, int subPanes) const;
    // Text rows in a view's capture.
    int ContentRows(HWND view, const CDib32& frameImage) const;
    // Waits for a chart view to show at least minColumns drawn columns; their number.
    int WaitForChart(HWND view, int minColumns, DWORD timeoutMs, DWORD stepMs = 500) const;
    // Waits for the quote list to show rows; the pixel rows with text.
    int WaitForQuoteRows(HWND view, DWORD timeoutMs, DWORD stepMs = 500) const;

    WalkScreen& Record(const std::string& name, bool reached, const std::string& note, const std::string& file = "");

private:
    HWND FocusTarget() const;

    ZentuSession& m_session;
    std::string m_dir;
    Logger m_log;
    std::vector<WalkScreen> m_screens;
    int m_highestProgress = -1;
    int m_shot = 0;
    bool m_screenshots = true;
};
