#include "tools/uidriver/ZentuWalk.h"

#include <commctrl.h>
#include <cstdio>

#include "res/resource.h"
#include "tools/uidriver/ForeignWindows.h"
#include "views/ReportView.h"
#include "views/StockGraphView.h"
#include "views/ViewIds.h"

namespace {

const UINT kFirstPeriodCommand = kCmdPeriodBase; // + period 1..10
const UINT kIndicatorMa = 6028; // "MA" in the indicator commands 6001-6042
const int kIndicatorStripId = CStockGraphView::kIndicatorTabsId; // the minute view's strip shares it
const DWORD kKLineStripStyleBit = 0x0008; // the K-line view's indicator tabs; the minute view's lack it
const int kSidePanelWidth = 218;
const int kBorderInset = 4; // pixels of the side panel's border

const DWORD kViewTimeoutMs = 20000;
const DWORD kDialogWaitMs = 5000;
// Pixel rows with text in a quote list that shows rows: about ten rows' worth.
const int kQuoteListRows = 100;
const DWORD kChartTimeoutMs = 30000;
// How long the login's last step may be held before it is let go regardless.
const DWORD kHoldLimitMs = 30000;

bool IsChartInk(COLORREF c)
{
    return IsReddish(c) || IsGreenish(c) || IsCyanish(c) || IsYellowish(c) || IsWhitish(c);
}

// The chart views keep the quote side panel at their right; their value axes
// take the plot's outer columns. What lies between is drawn data only.
const int kQuoteSidePanelWidth = 280;
const int kValueAxisMargin = 90;
// Taller than any text the charts print, so titles and labels never count.
const int kShortestCandle = 16;
const int kFewMinutes = 3;

} // namespace

const char* ViewKindName(ViewKind kind)
{
    switch (kind) {
    case ViewKind::QuoteList:
        return "quote list";
    case ViewKind::MinuteChart:
        return "minute chart";
    case ViewKind::KLineChart:
        return "K-line chart";
    case ViewKind::F10:
        return "F10 view";
    default:
        return "no view";
    }
}

ZentuWalk::ZentuWalk(ZentuSession& session, const std::string& screenshotDir, Logger log)
    : m_session(session)
    , m_dir(screenshotDir)
    , m_log(log)
{
    if (!m_dir.empty() && m_dir.back() != '\\')
        m_dir += '\\';
    ::CreateDirectoryA(m_dir.c_str(), nullptr);
}

WalkScreen& ZentuWalk::Record(const std::string& name, bool reached, const std::string& note, const std::string& file)
{
    WalkScreen screen;
    screen.name = name;
    screen.reached = reached;
    screen.note = note;
    screen.file = file;
    m_screens.push_back(screen);
    if (m_log)
        m_log((reached ? "reached  " : "MISSING  ") + name + ": " + note + (file.empty() ? "" : " -> " + file));
    return m_screens.back();
}

HWND ZentuWalk::Frame() const
{
    return m_session.MainFrame();
}

ViewKind ZentuWalk::CurrentView(HWND* viewOut) const
{
    HWND frame = Frame();
    if (!frame)
        return ViewKind::None;
    std::vector<HWND> views = FindDescendants(frame, [](HWND hwnd) { return ClassNameOf(hwnd) == "ZentuView"; });
    for (HWND view : views) {
        // Views are children of the content panel; other ZentuView windows (the
        // side panel's) sit elsewhere and are not main views.
        ViewKind kind = ViewKind::None;
        HWND list = ::GetDlgItem(view, CReportView::kListId);
        HWND strip = ::GetDlgItem(view, kIndicatorStripId);
        if (list && ::IsWindowVisible(list))
            kind = ViewKind::QuoteList;
        else if (strip)
            kind = (::GetWindowLongA(strip, GWL_STYLE) & kKLineStripStyleBit) ? ViewKind::KLineChart
                                                                               : ViewKind::MinuteChart;
        else if (FindDescendantOfClass(view, "Edit"))
            kind = ViewKind::F10;
        if (kind != ViewKind::None) {
            if (viewOut)
                *viewOut = view;
            return kind;
        }
    }
    return ViewKind::None;
}

bool ZentuWalk::WaitForView(ViewKind kind, DWORD timeoutMs, HWND* view) const
{
    return WaitUntil([&] { return CurrentView(view) == kind; }, timeoutMs);
}

void ZentuWalk::Command(UINT command, LPARAM extra) const
{
    if (HWND frame = Frame())
        PostCommand(frame, command, extra);
}

HWND ZentuWalk::FocusTarget() const
{
    HWND frame = Frame();
    if (!frame)
        return nullptr;
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    const DWORD thread = ::GetWindowThreadProcessId(frame, nullptr);
    if (::GetGUIThreadInfo(thread, &info) && info.hwndFocus)
        return info.hwndFocus;
    return frame;
}

void ZentuWalk::TypeKeys(const std::vector<UINT>& keys) const
{
    for (UINT key : keys) {
        if (HWND target = FocusTarget())
            PostKey(target, key);
        // Each key is answered before the next, so the wizard that the first
        // one opens takes the rest.
        if (HWND frame = Frame())
            Answers(frame, 5000);
        ::Sleep(30);
    }
}

void ZentuWalk::TypeText(const char* text) const
{
    std::vector<UINT> keys;
    for (const char* c = text; *c; ++c)
        keys.push_back(static_cast<UINT>(*c >= 'a' && *c <= 'z' ? *c - 'a' + 'A' : *c));
    TypeKeys(keys);
}

void ZentuWalk::OpenStock(const char* code) const
{
    const_cast<ZentuWalk*>(this)->DismissDialogs();
    TypeText(code);
    ::Sleep(300);
    TypeKeys({ VK_RETURN });
}

int ZentuWalk::DismissDialogs(const char* name)
{
    int closed = 0;
    for (int round = 0; round < 10; ++round) {
        HWND dialog = FindTopLevelWindow(m_session.ProcessId(), "#32770");
        if (!dialog)
            break;
        if (name) {
            Answers(dialog, 5000);
            ::Sleep(300);
            if (std::unique_ptr<CDib32> image = CaptureWindow(dialog)) {
                const std::string file = Screenshot(name, image.get());
                Record(name, true, "a dialog in front of the frame, closed", file);
            }
        }
        PostCommand(dialog, IDCANCEL);
        if (!WaitUntil([&] { return !::IsWindow(dialog) || !::IsWindowVisible(dialog); }, 5000))
            ::PostMessageA(dialog, WM_CLOSE, 0, 0);
        ++closed;
    }
    return closed;
}

HWND ZentuWalk::VisibleSidePanel() const
{
    HWND frame = Frame();
    if (!frame)
        return nullptr;
    for (HWND child = ::GetWindow(frame, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT r;
        if (::IsWindowVisible(child) && ::GetWindowRect(child, &r) && r.right - r.left == kSidePanelWidth
            && r.bottom - r.top > 100)
            return child;
    }
    return nullptr;
}

std::unique_ptr<CDib32> ZentuWalk::CaptureFrame() const
{
    HWND frame = Frame();
    if (!frame)
        return nullptr;
    Answers(frame, 5000);
    ::Sleep(150); // the paint that the answer let through reaches the screen
    return CaptureWindow(frame);
}

std::string ZentuWalk::Screenshot(const std::string& name, const CDib32* image) const
{
    if (!m_screenshots)
        return std::string();
    std::unique_ptr<CDib32> own;
    if (!image) {
        own = CaptureFrame();
        image = own.get();
    }
    if (!image)
        return std::string();
    char prefix[8];
    std::snprintf(prefix, sizeof(prefix), "%02d-", const_cast<ZentuWalk*>(this)->m_shot + 1);
    const std::string path = m_dir + prefix + name + ".png";
    if (!SaveCapture(*image, path))
        return std::string();
    ++const_cast<ZentuWalk*>(this)->m_shot;
    return path;
}

int ZentuWalk::ChartColumns(HWND view, const CDib32& image) const
{
    PixelArea plot = AreaOfChild(Frame(), view);
    plot.right -= kQuoteSidePanelWidth + kValueAxisMargin;
    plot.left += kValueAxisMargin;
    return ColumnsWithVerticalRun(image, plot, &IsChartInk, kShortestCandle);
}

PixelArea ZentuWalk::CandleArea(HWND view, int subPanes) const
{
    // As the chart lays itself out over the view: the value axis at the left,
    // the side panel and the price labels' margin at the right, the date axis
    // at the bottom, three shares of the height for the main pane and one for
    // each indicator pane.
    const int valueAxis = 72, sidePanel = 280, rightMargin = 11, dateAxis = 19, titleRow = 17, barStrip = 14;
    const PixelArea v = AreaOfChild(Frame(), view);
    const int share = (v.bottom - v.top - dateAxis) / (subPanes + 3);
    return PixelArea { v.left + valueAxis, v.top + titleRow, v.right - sidePanel - rightMargin,
        v.bottom - dateAxis - subPanes * share - barStrip };
}

int ZentuWalk::ContentRows(HWND view, const CDib32& image) const
{
    return RowsWithContent(image, AreaOfChild(Frame(), view));
}

int ZentuWalk::WaitForQuoteRows(HWND view, DWORD timeoutMs, DWORD stepMs) const
{
    int rows = 0;
    WaitUntil(
        [&] {
            std::unique_ptr<CDib32> image = CaptureFrame();
            rows = image ? ContentRows(view, *image) : 0;
            return rows >= kQuoteListRows;
        },
        timeoutMs, stepMs);
    return rows;
}

int ZentuWalk::WaitForChart(HWND view, int minColumns, DWORD timeoutMs, DWORD stepMs) const
{
    int columns = 0;
    WaitUntil(
        [&] {
            std::unique_ptr<CDib32> image = CaptureFrame();
            columns = image ? ChartColumns(view, *image) : 0;
            return columns >= minColumns;
        },
        timeoutMs, stepMs);
    return columns;
}

bool ZentuWalk::Login(DWORD timeoutMs)
{
    HWND login = nullptr;
    HWND frame = nullptr;
    WaitUntil(
        [&] {
            login = m_session.LoginDialog();
            frame = Frame();
            return login || frame || !m_session.ProgramRunning();
        },
        timeoutMs);
    if (!login) {
        if (frame)
            Record("login", false, "the program shows its main frame without a login dialog");
        else
            Record("login", false, m_session.ProgramRunning() ? "no window appeared" : "the program ended");
        return false;
    }
    // The dialog fills its name from "run.ini"; the password is typed.
    if (HWND name = ::GetDlgItem(login, IDC_LOGIN_NAME)) {
        if (TextOf(name).empty())
            ::SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(m_session.Options().userName.c_str()));
    }
    if (HWND password = ::GetDlgItem(login, IDC_LOGIN_PASSWORD))
        ::SendMessageA(password, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(m_session.Options().password.c_str()));
    Answers(login, 5000);
    ::Sleep(200);
    std::string loginShot;
    if (m_screenshots) {
        if (std::unique_ptr<CDib32> image = CaptureWindow(login))
            loginShot = Screenshot("login", image.get());
    }
    Record("login", true, "the login dialog", loginShot);

    // The last loading step fetches the ex-rights table; it is held at the
    // server until the dialog has been seen at 100%, which otherwise lasts
    // only as long as a local request.
    const bool holdLastStep = m_session.Simulator().Command("quote-hold 204") == "ok";
    PostCommand(login, IDOK);
    HWND progress = ::GetDlgItem(login, IDC_LOGIN_PROGRESS);
    std::string loadingShot;
    bool loadingSeen = false;
    bool released = false;
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < timeoutMs) {
        if (!::IsWindow(login) || !::IsWindowVisible(login))
            break;
        DWORD_PTR position = 0;
        if (progress
            && ::SendMessageTimeoutA(progress, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 1000, &position)) {
            const int value = static_cast<int>(position);
            if (value > m_highestProgress)
                m_highestProgress = value;
            if (holdLastStep && !released && (value >= 100 || ::GetTickCount() - start > kHoldLimitMs)) {
                m_session.Simulator().Command("quote-release");
                released = true;
            }
            if (!loadingSeen && value >= 50 && value < 100) {
                loadingSeen = true;
                if (m_screenshots) {
                    Answers(login, 2000);
                    ::Sleep(100); // the bar's paint reaches the screen
                    if (std::unique_ptr<CDib32> image = CaptureWindow(login))
                        loadingShot = Screenshot("loading", image.get());
                }
            }
        }
        ::Sleep(5);
    }
    if (holdLastStep && !released)
        m_session.Simulator().Command("quote-release");
    if (loadingSeen)
        Record("loading", true, "the loading progress at " + std::to_string(m_highestProgress) + "%", loadingShot);
    else
        Record("loading", false, "no loading progress was seen (highest " + std::to_string(m_highestProgress) + ")");
    const bool shown = WaitUntil([&] { return Frame() != nullptr || !m_session.ProgramRunning(); }, timeoutMs)
        && Frame() != nullptr;
    if (!shown) {
        Record("main frame", false, "no main frame after the login");
        return false;
    }
    // The minute view, shown first, opens the latest announcement in a page
    // dialog of its own; the user reads and closes it.
    if (WaitUntil([&] { return FindTopLevelWindow(m_session.ProcessId(), "#32770") != nullptr; }, kDialogWaitMs))
        DismissDialogs("announcement");
    return loadingSeen;
}

bool ZentuWalk::QuoteList()
{
    HWND view = nullptr;
    if (!Frame()) {
        Record("quote list", false, "no main frame");
        return false;
    }
    // The program starts on the minute chart of the composite index; the
    // tab row's first tab shows the quote list.
    if (CurrentView() != ViewKind::QuoteList)
        Command(kViewReport);
    if (!WaitForView(ViewKind::QuoteList, kViewTimeoutMs, &view)) {
        std::unique_ptr<CDib32> image = CaptureFrame();
        const std::string file = image ? Screenshot("main-frame", image.get()) : std::string();
        Record("quote list", false,
            std::string("the content panel shows ") + ViewKindName(CurrentView()),
            file);
        return false;
    }
    const int rows = WaitForQuoteRows(view, kChartTimeoutMs);
    const std::string file = Screenshot("quote-list");
    return Record("quote list", rows >= kQuoteListRows, std::to_string(rows) + " pixel rows with text", file).reached;
}

bool ZentuWalk::KLine(const char* code)
{
    if (!Frame()) {
        Record("K-line chart", false, "no main frame");
        return false;
    }
    OpenStock(code);
    HWND view = nullptr;
    if (!WaitForView(ViewKind::KLineChart, kViewTimeoutMs, &view)) {
        Command(kCmdTechnicalAnalysis);
        if (!WaitForView(ViewKind::KLineChart, kViewTimeoutMs, &view)) {
            Record("K-line chart", false, std::string("after opening ") + code + " the panel shows "
                    + ViewKindName(CurrentView()));
            return false;
        }
    }
    const int columns = WaitForChart(view, 40, kChartTimeoutMs);
    const std::string file = Screenshot("kline-day");
    return Record("K-line chart", columns >= 40,
        std::string(code) + " by day, " + std::to_string(columns) + " columns of candles and lines", file)
        .reached;
}

bool ZentuWalk::KLineIndicators()
{
    HWND view = nullptr;
    if (CurrentView(&view) != ViewKind::KLineChart) {
        Record("K-line indicators", false, "no K-line chart");
        return false;
    }
    Command(kCmdPaneCountBase + 3);
    Command(kIndicatorMa);
    ::Sleep(1500);
    CurrentView(&view);
    const int columns = WaitForChart(view, 40, kChartTimeoutMs);
    const std::string file = Screenshot("kline-indicators");
    return Record("K-line indicators", columns >= 40, "three indicator panes and MA", file).reached;
}

bool ZentuWalk::KLinePeriods()
{
    HWND view = nullptr;
    if (CurrentView(&view) != ViewKind::KLineChart) {
        Record("K-line periods", false, "no K-line chart");
        return false;
    }
    struct Period
    {
        int code;
        const char* name;
    };
    const Period periods[] = { { 1, "5min" }, { 7, "week" }, { 6, "day" } };
    bool all = true;
    for (const Period& period : periods) {
        Command(kFirstPeriodCommand + period.code);
        ::Sleep(1000);
        CurrentView(&view);
        const int columns = WaitForChart(view, 20, kChartTimeoutMs);
        const std::string file = Screenshot(std::string("kline-") + period.name);
        all = Record(std::string("K-line ") + period.name, columns >= 20, std::to_string(columns) + " columns", file)
                  .reached
            && all;
    }
    return all;
}

bool ZentuWalk::KLineAdjustment()
{
    HWND view = nullptr;
    if (CurrentView(&view) != ViewKind::KLineChart) {
        Record("K-line adjustment", false, "no K-line chart");
        return false;
    }
    struct Mode
    {
        UINT command;
        const char* name;
    };
    const Mode modes[] = { { kCmdAdjustForward, "forward" }, { kCmdAdjustBackward, "backward" }, { kCmdAdjustNone, "none" } };
    bool all = true;
    for (const Mode& mode : modes) {
        Command(mode.command);
        ::Sleep(800);
        CurrentView(&view);
        const int columns = WaitForChart(view, 20, kChartTimeoutMs);
        const std::string file = Screenshot(std::string("kline-adjust-") + mode.name);
        all = Record(std::string("K-line adjustment ") + mode.name, columns >= 20,
                  std::to_string(columns) + " columns", file)
                  .reached
            && all;
    }
    return all;
}

bool ZentuWalk::MinuteChart()
{
    if (!Frame()) {
        Record("minute chart", false, "no main frame");
        return false;
    }
    Command(kCmdRealTimeAnalysis);
    HWND view = nullptr;
    if (!WaitForView(ViewKind::MinuteChart, kViewTimeoutMs, &view)) {
        Record("minute chart", false, std::string("the panel shows ") + ViewKindName(CurrentView()));
        return false;
    }
    // The simulated day follows the clock: just after the opening the chart
    // holds only a few minutes.
    const int columns = WaitForChart(view, kFewMinutes, kChartTimeoutMs);
    const std::string file = Screenshot("minute-chart");
    return Record("minute chart", columns >= kFewMinutes, std::to_string(columns) + " columns of price and volume",
        file)
        .reached;
}

bool ZentuWalk::F10()
{
    if (!Frame()) {
        Record("F10", false, "no main frame");
        return false;
    }
    Command(kCmdCompanyInfo);
    HWND view = nullptr;
    if (!WaitForView(ViewKind::F10, kViewTimeoutMs, &view)) {
        TypeKeys({ VK_F10 });
        if (!WaitForView(ViewKind::F10, kViewTimeoutMs, &view)) {
            Record("F10", false, std::string("the panel shows ") + ViewKindName(CurrentView()));
            return false;
        }
    }
    HWND edit = FindDescendantOfClass(view, "Edit");
    std::string text;
    WaitUntil(
        [&] {
            text = edit ? TextOf(edit) : std::string();
            return text.size() > 40;
        },
        kChartTimeoutMs, 500);
    const std::string file = Screenshot("f10");
    return Record("F10", text.size() > 40, std::to_string(text.size()) + " bytes of company text shown", file)
        .reached;
}

bool ZentuWalk::SidePanelPages()
{
    HWND frame = Frame();
    if (!frame) {
        Record("side panel", false, "no main frame");
        return false;
    }
    struct Page
    {
        UINT command;
        const char* name;
    };
    const Page pages[] = { { kCmdSidePanelUserList, "user-list" }, { kCmdSidePanelSectors, "sectors" },
        { kCmdSidePanelIndicators, "indicators" } };
    // The stock the walk opened goes into the user's list first, so the
    // list's page has a row to show.
    Command(kCmdAddUserStock);
    bool all = true;
    for (const Page& page : pages) {
        ::PostMessageA(frame, WM_COMMAND, MAKEWPARAM(page.command, kSidePanelStayShown), 0);
        Answers(frame, 5000);
        ::Sleep(800);
        RECT frameRect, contentRect = {};
        ::GetWindowRect(frame, &frameRect);
        HWND panel = VisibleSidePanel();
        if (panel)
            ::GetWindowRect(panel, &contentRect);
        std::unique_ptr<CDib32> image = CaptureFrame();
        const std::string file = image ? Screenshot(std::string("side-") + page.name, image.get()) : std::string();
        int rows = 0;
        if (panel && image)
            // Inside the panel's border: rows of tabs, tree items or list rows.
            rows = RowsWithContent(*image,
                { contentRect.left - frameRect.left + kBorderInset, contentRect.top - frameRect.top + kBorderInset,
                    contentRect.right - frameRect.left - kBorderInset,
                    contentRect.bottom - frameRect.top - kBorderInset });
        const bool shown = panel && rows >= 20;
        all = Record(std::string("side panel ") + page.name, shown,
                  panel ? std::to_string(rows) + " pixel rows with content" : "no side panel shown",
                  file)
                  .reached
            && all;
    }
    // Hidden again, so the chart views have their whole width.
    if (VisibleSidePanel())
        ::PostMessageA(frame, WM_COMMAND, MAKEWPARAM(kCmdSidePanelUserList, 0), 0);
    return all;
}

bool ZentuWalk::RunAll()
{
    Login();
    QuoteList();
    KLine();
    KLineIndicators();
    KLinePeriods();
    KLineAdjustment();
    MinuteChart();
    F10();
    SidePanelPages();
    bool all = !m_screens.empty();
    for (const WalkScreen& screen : m_screens)
        all = all && screen.reached;
    return all;
}
