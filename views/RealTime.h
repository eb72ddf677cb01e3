#pragma once
// The engine of one intraday minute chart: a plain object without a window
// of its own that draws, into a rectangle of its owner's client area, the
// price and volume panes, an indicator pane, the time axis, the quote side
// panel and the floating data window, or instead a full-window tick or
// minute list. Each chart keeps its own snapshot of the stock it shows.
#include <windows.h>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Thread.h"
#include "data/TickStatistics.h"
#include "views/MyWindow.h"
#include "views/QuoteSidePanel.h"
#include "views/RealTimeLayout.h"

class CStock;
class IViewDataSource;

// The clock the painters read "now" from: UTC seconds.
typedef std::function<int32_t()> MinuteChartClock;

// A pane's rectangle and the lowest and highest value of its vertical scale.
struct MinuteChartPane
{
    RECT rect;
    double low;
    double high;
};

// The outputs of GetPriceRange.
struct MinutePriceRange
{
    double low = 0;
    double high = 0;
    double largestVolume = 0;
};

// One row of the minute data window: its label, value text and colour.
struct MinuteDataRow
{
    std::string label;
    std::string value;
    COLORREF colour;
};
struct MinuteRecord;
// The data window's seven rows for a minute against the reference price.
std::vector<MinuteDataRow> MinuteDataWindowRows(const MinuteRecord& record, double reference);

class CRealTime
{
public:
    // Request flags of a reload: day bars, ticks and the diagnosis verdict.
    static constexpr uint32_t kReloadFlags = 25;

    CRealTime();
    ~CRealTime();

    // Defaults: the data center and the wall clock.
    void SetSource(IViewDataSource* source);
    void SetClock(MinuteChartClock clock);
    CQuoteSidePanel& GetSidePanel() { return m_sidePanel; }

    void SetOwnerWindow(HWND owner);
    HWND GetOwnerWindow() const { return m_owner; }
    // Stores the three and returns the lists to their last page and clears
    // the cursor; does not redraw.
    void SetDisplay(int mode, int indicator, int page);
    int GetMode() const { return m_mode; }
    int GetIndicator() const { return m_indicator; }
    int GetPage() const { return m_page; }
    int IsIndexStock();
    void SetCursorIndex(int index);
    int GetCursorIndex() const { return m_cursor; }
    const std::vector<int>& GetSelection() const { return m_selection; }
    int GetListPosition() const { return m_listPosition; }
    // What the tick, finance and order-size pages wrote back: the rows that
    // fit and the start they keep; -1 after each display change.
    int GetSideRowsPerPage() const { return m_sideRowsPerPage; }
    int GetSideListStart() const { return m_sideListStart; }

    // Takes a copy of the stock and asks for its day bars, ticks and
    // diagnosis; nothing when key is not the current stock.
    void Reload(uint32_t key);
    // The same for the current stock.
    void Reload();
    // On the replying worker, under the data lock: a notice for this chart's
    // stock brings the series into its snapshot.
    void OnStockDataUpdated(uint32_t key, int kind);
    int ShowPrevStock();
    int ShowNextStock();
    // Returns once a drawing or an update in progress has ended. 1.
    int WaitIdle();
    // The key of the stock shown, 0 without one.
    uint32_t GetCodeKey();

    // Keeps the previous layout for an empty rectangle.
    void Layout(const RECT& rect);
    const MinuteChartPanes& GetPanes() const { return m_panes; }
    const RECT& GetChartRect() const { return m_chart; }
    // Null dc: the owner window's DC.
    void Draw(HDC dc, const RECT& rect);

    // Up and Down: the side panel's lists always show their newest rows.
    int PrevListPage();
    int NextListPage();
    // Page Up and Page Down in the full-window lists (modes 2 to 4).
    int PrevPage();
    int NextPage();

    // The painters of the price and volume panes (mode 1).
    void DrawPriceChart(HDC dc);
    void DrawTimeAxis(HDC dc);
    int GetPriceRange(double base, bool symmetric, MinutePriceRange& out);
    // Frames, grids and labels; may widen low and high to whole price ticks.
    // 0 without drawing for an empty pane, rows < 1 or negative decimals.
    int DrawPriceAxis(HDC dc, const RECT& price, const RECT& volume, int rowHeight, double base, double* low,
        double* high, double largestVolume, int decimals);
    // The indicator pane painters; each draws only when its indicator is chosen.
    void DrawVolumeRatio(HDC dc);
    void DrawBidAskStrength(HDC dc);
    void DrawFundAnalysis(HDC dc);
    void DrawNetFundFlow(HDC dc);
    void DrawFundInflow(HDC dc);
    void DrawFundOutflow(HDC dc);
    void DrawMainNetFlow(HDC dc);
    void DrawMainRetailGame(HDC dc);
    void DrawBigOrderTracking(HDC dc);

    const MinuteChartPane& GetPricePane() const { return m_price; }
    const MinuteChartPane& GetVolumePane() const { return m_volume; }
    const MinuteChartPane& GetIndicatorPane() const { return m_indicatorPane; }
    double GetHighPrice() const { return m_highPrice; }
    double GetLowPrice() const { return m_lowPrice; }

    // Cursor and input (mode 1). A mouse move at the point the pointer stood
    // on when the keyboard took over is not a move: it leaves the cursor to
    // the keys (a click always tracks).
    void OnMouseMove(POINT point, bool click = false);
    void OnLButtonDblClk(POINT point);
    void CursorLeft(bool extend = false);
    void CursorRight(bool extend = false);
    void CursorHome(bool extend = false);
    void CursorEnd(bool extend = false);
    void MoveCursor(int step, bool extend = false, bool add = false);
    void SelectTo(int index, bool extend = false, bool add = false);
    int AddSelection(int index);
    void TrackPoint(POINT point);
    // The record whose band holds the point, -1 for none.
    int HitTest(POINT point);
    // Null dc: the owner window's DC (XOR, so it erases a cross-hair on screen).
    void DrawCrosshair(HDC dc);
    std::string ValueAtY(POINT point) const;
    bool IsCrosshairOn() const { return m_crosshair; }
    POINT GetMousePosition() const { return m_mouse; }
    void UpdateDataWindow();
    HWND GetDataWindow() const { return m_dataWindow.m_hWnd; }
    // The data window's picture for a record (also used by its paint).
    void PaintDataWindow(HDC dc, const RECT& client);
    // The rows the data window shows for the cursor's minute; none without one.
    std::vector<MinuteDataRow> GetDataWindowRows() const;

    // For the painters and the tests: the chart's own snapshot (null before
    // the first reload). Callers hold the chart lock while they use it.
    CStock* GetSnapshot() const { return m_snapshot.get(); }
    // Replaces the snapshot (a stock copy made by the caller).
    void SetSnapshot(std::unique_ptr<CStock> snapshot);
    CriticalSection& GetLock() { return m_lock; }

private:
    CRealTime(const CRealTime&) = delete;
    CRealTime& operator=(const CRealTime&) = delete;

    int32_t Now() const;
    int ShowOtherStock(int step);
    // The records the list modes page through: ticks or minutes.
    int ListRecordCount() const;
    // A cursor key: the keys take over the cursor (the cross-hair shows) and
    // move it step records.
    void StepCursorByKey(int step, bool extend);
    void DrawSidePanel(HDC dc);
    void InvalidateOwner(bool erase);
    // The indicator pane's common frame: fill, frame, title, separator; the
    // pane's top moves 16 px down. False when the indicator is not chosen.
    bool BeginIndicatorPane(HDC dc, int indicator, const char* title);
    // The index text of the fund-flow panes that say nothing of an index.
    bool DrawNotForIndex(HDC dc);
    // The fund-flow series of the snapshot, computed once per data change.
    const std::vector<FundFlowRecord>& FundFlow();
    const std::vector<MinutePair>& BidAskPairs();
    const std::vector<MinutePair>& BigOrderPairs();
    // pairs as compute makes them from the snapshot's ticks, made again when
    // version is behind the data.
    const std::vector<MinutePair>& MinutePairs(
        uint32_t& version, std::vector<MinutePair>& pairs, int (MinuteBuySellSeries::*compute)());
    // Lines over the fund-flow records, the values in yuan, scaled between
    // low and high (in yuan).
    void DrawFlowLines(HDC dc, const std::vector<FundFlowRecord>& records, const int* fields,
        const COLORREF* colours, int count, double low, double high);
    void DrawFlowLegend(HDC dc, int x, const char* const* labels, const double* values, const COLORREF* colours,
        int count, const char* format);
    // One fund-flow pane: up to three fields of the records as lines, scaled
    // from 0 to the largest last value (fromZero) or over all values; the
    // legend shows the last values in 10,000 yuan through legendFormat.
    void DrawFlowPane(HDC dc, int indicator, const char* title, const int* fields, const COLORREF* colours,
        const char* const* labels, int count, bool fromZero, bool notForIndex, const char* legendFormat = "%.0f");
    // x of a record by its time in the price pane's columns.
    int RecordX(int index) const;

    MinuteChartMetrics m_metrics;
    HWND m_owner;
    IViewDataSource* m_source;
    MinuteChartClock m_clock;
    std::unique_ptr<CStock> m_snapshot;
    uint32_t m_dataVersion; // counts snapshot changes
    RECT m_chart;
    int m_mode;
    MinuteChartPanes m_panes;
    MinuteChartPane m_price;
    MinuteChartPane m_volume;
    MinuteChartPane m_indicatorPane;
    int m_cursor;
    std::vector<int> m_selection;
    int m_indicator;
    int m_page;
    int m_listPosition;
    int m_sideRowsPerPage;
    int m_sideListStart;
    double m_highPrice;
    double m_lowPrice;
    CQuoteSidePanel m_sidePanel;
    CriticalSection m_lock;
    CMyWindow m_dataWindow;
    bool m_crosshair;
    POINT m_mouse;
    POINT m_lastPointer; // where the last mouse message put the pointer
    bool m_keysInCharge;

    // The fund-flow series and the version of the data they were computed for.
    uint32_t m_flowVersion;
    std::vector<FundFlowRecord> m_flow;
    uint32_t m_bidAskVersion;
    std::vector<MinutePair> m_bidAsk;
    uint32_t m_bigOrderVersion;
    std::vector<MinutePair> m_bigOrders;
};

// The chart's text writer: the cached "宋体" of that height, weight 400, the
// colours and the alignment, restored afterwards. Returns 1.
int DrawTextAt(HDC dc, int x, int y, const char* text, UINT align, int fontHeight, COLORREF background,
    COLORREF colour);

// A price-axis label: the value with that many decimals, a negative value
// that would print as zero (above -0.51 tick) written as 0.
std::string PriceAxisLabel(double value, int decimals);

// A string resource of the program, or the given text when the module has none.
std::string ResourceText(UINT id, const char* fallback);
