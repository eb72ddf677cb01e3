#pragma once
// Where a minute chart puts its panes, and how its full-window lists page:
// pure functions, so the geometry can be checked exactly.
#include <windows.h>
#include <cstdint>

#include "views/QuoteSidePanel.h"

// What a minute chart shows in its rectangle.
enum MinuteChartMode : int32_t {
    kMinuteModeChart = 1, // panes and side panel
    kMinuteModeTickList = 2, // full-window tick list
    kMinuteModeMinuteList = 3, // full-window minute list
    kMinuteModeBlank = 4,
};

// The third pane's indicator; 0 shows the volume pane alone.
enum MinuteIndicator : int32_t {
    kIndicatorNone = 0,
    kIndicatorVolumeRatio = 1,
    kIndicatorBidAskStrength = 2,
    kIndicatorFundAnalysis = 3,
    kIndicatorNetFundFlow = 4,
    kIndicatorFundInflow = 5,
    kIndicatorFundOutflow = 6,
    kIndicatorMainNetFlow = 7,
    kIndicatorMainRetailGame = 8,
    kIndicatorBigOrderTracking = 9,
};

struct MinuteChartMetrics
{
    int top = 19; // the title row above the price pane
    int left = 70; // price labels
    int right = 56; // percentage labels
    int bottom = 0;
    int rowHeight = 28; // grid row of the price and volume panes
    int sideWidth = 280;
    int timeAxisHeight = 19;
};

struct MinuteChartPanes
{
    RECT side; // empty without a side panel
    RECT price;
    RECT volume;
    RECT indicator; // no height with indicator 0
};

// The panes of a chart in rect. The price pane's bottom is measured from the
// rectangle's top, not from the pane's own top.
MinuteChartPanes LayoutMinuteChart(
    const RECT& rect, int mode, int indicator, int page, const MinuteChartMetrics& metrics = MinuteChartMetrics());

// The strip of the time axis below the panes: from the chart's left to the
// price pane's right.
RECT MinuteTimeAxisStrip(const RECT& rect, const RECT& price, const MinuteChartMetrics& metrics = MinuteChartMetrics());

// Entries per page of a full-window list: 220 px columns, 16 px rows below a
// 48 px head, at least one of each.
int FullListPageSize(const RECT& rect);
int FullListColumns(const RECT& rect);
int FullListRows(const RECT& rect);

// Where the last page of count entries starts: the largest multiple of the
// page size below the count (0 for one page or less). The list position -1
// stands for it when drawing.
int LastPageStart(int count, int pageSize);
// The first entry a list shows at a position (-1: the last page).
int ListPageStart(int position, int count, int pageSize);

// The position a page back and a page on; a result outside 0..count-1 is -1
// going back and 0 going on. PrevListPosition answers false when the position
// stays (already at 0), so nothing is redrawn.
bool PrevListPosition(int& position, int count, int pageSize);
void NextListPosition(int& position, int count, int pageSize);

// The cells of 1, 2, 4, 6 or 9 charts in rect, filled column by column from
// the top (integer divisions); cells receives count rectangles. Any other
// count gives the whole rectangle to the first chart. Returns the cell count.
int LayoutChartGrid(int count, const RECT& rect, RECT* cells);

// A line's y kept one pixel inside the pane's frame.
int ClampIntoPane(int y, const RECT& pane);
