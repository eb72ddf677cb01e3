#pragma once
// The K-line chart's geometry and arithmetic as pure functions: the pane
// layout, the visible range fit, bar rectangles and candle bodies, the price
// mapping and its inverse, the quantised price scale, rubber-band zoom, the
// pane-border clamp, the date-axis label rule and the texts of the ex-rights
// tip and the data window. The chart calls these; tests check them exactly.
#include "data/Bar.h"
#include "data/PwrData.h"
#include "data/StockInfo.h"

#include <windows.h>

#include <string>
#include <vector>

namespace kline {

// Layout constants of the chart.
const int kTopSpacing = 19;
const int kBottomGap = 0;
const int kTitleRowHeight = 17;
const int kInitialBarWidth = 10;
const int kSidePanelWidth = 280;
const int kBarColumnInset = 14; // the strip under the candles of the main pane
const int kDateAxisHeight = 19;
const int kMaxSubPanes = 9;
const int kValueAxisWidth = 72; // left of the panes: the value labels
const int kDataWindowWidth = 70;
const int kDataWindowHeight = 356;
// Rising bars above this time take the edit colour; nothing sets it here.
const int kNoEditThreshold = -1;

struct Layout
{
    RECT chart {};
    RECT dataWindow {};
    RECT sidePanel {};
    RECT mainPane {};
    RECT mainPlot {};
    RECT barColumn {};
    std::vector<RECT> subPanes;
    int shareHeight = 0;
};

// The layout of a chart rectangle with n sub-panes; false (layout untouched)
// for an empty rectangle.
bool ComputeLayout(const RECT& chart, int subPaneCount, Layout& layout);

// The rectangle covering every sub-pane (a maximised pane fills it); empty
// without sub-panes.
RECT CoveringSubPaneRect(const Layout& layout);

// The plotting area the candles map over: the main pane less its title row
// and its bottom strip.
RECT CandleArea(const RECT& mainPane);

struct VisibleRange
{
    int first = -1;
    int last = -1;
    int cursor = -1;
};

// Fits the range to the bars that a plotting width holds at a bar width,
// keeping the cursor bar at about the same place; false when nothing can be
// shown (then range and cursor are -1 for an empty series, else as they
// were). The caller stores the new first and last through the chart's range
// setter, which may ask for more history.
bool FitVisibleRange(int barCount, int plotWidth, int barWidth, VisibleRange& range);

// The candle body width for a bar width; -1 for a width off the ladder.
int CandleBodyWidth(int barWidth);

struct BarGeometry
{
    RECT bar {};
    int bodyLeft = 0;
    int bodyRight = 0;
    int bodyMiddle = 0;
};

// The rectangle of a visible bar and its body; false for -1, an index
// outside [first, last], a width off the ladder or a column without height.
bool ComputeBarGeometry(
    int index, int first, int last, int barWidth, const RECT& mainPlot, const RECT& barColumn, BarGeometry& out);

// The price scale of the visible bars: low down and high up to multiples of
// 0.3, then widened by the main indicator's range when it has one.
void QuantisePriceRange(double& low, double& high);
void WidenByIndicator(double& low, double& high, double indicatorMin, double indicatorMax);

// A price's row in the candle area (truncated toward zero) and the inverse,
// so the cross-hair's value label reads what the candles show.
int PriceToY(double value, double low, double high, const RECT& candleArea);
double YToPrice(int y, double low, double high, const RECT& candleArea);

// The value at y in an indicator sub-pane below its title row.
double SubPaneValueAtY(int y, double minimum, double maximum, const RECT& pane);

// The body rows of a candle; when open and close share a row the body takes
// the next one (above for a rising or level bar, below for a falling one).
void CandleBodyRows(int yOpen, int yClose, bool falling, int& top, int& bottom);

// Rubber-band zoom. b and c are the bars under the band's ends; widens a
// narrow band around its centre, clamped to the series. False when b >= c.
bool BandZoomRange(int b, int c, int columnWidth, int barCount, int& first, int& last);

// The pane border a drag may reach: between the pane above and the pane below,
// each keeping a title row and its bottom strip.
int ClampSplitterY(int y, const RECT& above, const RECT& below);

// The date-axis label format of bar time against the previous bar's time:
// "%m" a new month (day), "%y" a new year (week to year), "%d" a new day
// (minute periods); null when no label starts there.
const char* DateLabelFormat(int period, int32_t previousTime, int32_t time);

// The tooltip of an ex-rights sign; the items that are zero are left out.
std::string FormatExRightsTip(const ExRightsRecord& record);

// The cross-hair's date label: "2024/03/05/二".
std::string FormatCrossHairDate(int32_t time);

struct DataWindowCell
{
    std::string text;
    COLORREF colour = 0;
};

// The eleven value rows of the data window, top to bottom: time, open, high,
// low, close, change, change %, amplitude, volume, amount, turnover.
struct DataWindowValues
{
    DataWindowCell cells[11];
};

// The values for the cursor bar, or for the selection when its first and last
// entries lie in the series. circulatingShares (in 10,000s) <= 0 gives "-"
// for turnover; a previous close of 0 gives "-" for the ratios.
bool ComputeDataWindowValues(const std::vector<Bar>& bars, int cursor, const std::vector<int>& selection,
    int period, double circulatingShares, DataWindowValues& out);
// The same for a stock: its circulating shares from its finance record.
bool ComputeDataWindowValues(const std::vector<Bar>& bars, int cursor, const std::vector<int>& selection,
    int period, const CStockInfo& stock, DataWindowValues& out);

// The cursor movement of the paging keys.
int PageLeftDelta(int first, int last);
int PageRightDelta(int first, int last);

}
