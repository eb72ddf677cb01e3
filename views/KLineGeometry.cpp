#include "views/KLineGeometry.h"

#include "base/ChartColors.h"
#include "base/ExchangeTime.h"
#include "base/Format.h"

#include <algorithm>
#include <cmath>

namespace kline {

bool ComputeLayout(const RECT& chart, int subPaneCount, Layout& layout)
{
    if (chart.right <= chart.left || chart.bottom <= chart.top)
        return false;
    const int n = std::max(0, std::min(subPaneCount, kMaxSubPanes));
    const int left = chart.left;
    const int top = chart.top;
    const int right = chart.right;
    const int bottom = chart.bottom;
    layout.chart = chart;
    layout.dataWindow = RECT { left + 1, top + 38, left + 1 + kDataWindowWidth, top + 38 + kDataWindowHeight };
    layout.sidePanel = RECT { right - kSidePanelWidth, top + 56, right, bottom };
    const int g = (bottom - top - kDateAxisHeight - kBottomGap) / (n + 3);
    layout.shareHeight = g;
    layout.mainPane = RECT { left + kValueAxisWidth, top, right - kSidePanelWidth - 1,
        bottom - kDateAxisHeight - kBottomGap - n * g };
    layout.mainPlot = RECT { left + kValueAxisWidth, top + kTitleRowHeight, right - kSidePanelWidth - 11,
        layout.mainPane.bottom };
    layout.subPanes.clear();
    for (int k = 0; k < n; ++k) {
        layout.subPanes.push_back(RECT { layout.mainPane.left, layout.mainPane.bottom + k * g,
            layout.mainPane.right, layout.mainPane.bottom + (k + 1) * g });
    }
    layout.barColumn = RECT { layout.mainPane.left, top, layout.mainPane.right, bottom };
    return true;
}

RECT CoveringSubPaneRect(const Layout& layout)
{
    if (layout.subPanes.empty())
        return RECT {};
    RECT r = layout.subPanes.front();
    r.bottom = layout.subPanes.back().bottom;
    return r;
}

RECT CandleArea(const RECT& mainPane)
{
    return RECT { mainPane.left, mainPane.top + kTitleRowHeight, mainPane.right, mainPane.bottom - kBarColumnInset };
}

bool FitVisibleRange(int barCount, int plotWidth, int barWidth, VisibleRange& range)
{
    if (barWidth <= 0 || plotWidth <= 0)
        return false;
    const int n = plotWidth / barWidth;
    if (n <= 0)
        return false;
    if (barCount <= 0) {
        range = VisibleRange {};
        return false;
    }
    int first = range.first;
    int last = range.last;
    int cursor = range.cursor;
    if (cursor != -1 && (cursor < first || cursor > last))
        cursor = -1;
    if (first == -1 || last == -1) {
        last = barCount - 1;
    } else {
        const int span = last - first;
        if (span + 1 < n && cursor != -1 && span > 0)
            last = last + (first + n - last - 1) * (last - cursor) / span;
        if (span + 1 > n && cursor != -1 && span > 0)
            last = last - (span - n + 1) * (last - cursor) / span;
    }
    last = std::min(last, barCount - 1);
    first = last - n + 1;
    if (first < 0) {
        first = 0;
        last = n - 1;
    }
    last = std::min(last, barCount - 1);
    if (cursor != -1 && (cursor < first || cursor > last))
        cursor = -1;
    range.first = first;
    range.last = last;
    range.cursor = cursor;
    return last >= first;
}

int CandleBodyWidth(int barWidth)
{
    switch (barWidth) {
    case 1:
    case 2:
        return 1;
    case 4:
    case 5:
        return 3;
    case 6:
    case 7:
        return 5;
    case 9:
    case 10:
        return 7;
    case 13:
    case 15:
        return 11;
    case 17:
    case 19:
        return 15;
    case 21:
    case 23:
        return 19;
    case 25:
    case 27:
        return 23;
    case 29:
    case 31:
        return 25;
    case 33:
    case 35:
        return 29;
    case 39:
    case 43:
        return 35;
    default:
        return -1;
    }
}

bool ComputeBarGeometry(
    int index, int first, int last, int barWidth, const RECT& mainPlot, const RECT& barColumn, BarGeometry& out)
{
    if (index == -1 || index < first || index > last || barWidth <= 0)
        return false;
    if (barColumn.bottom - (barColumn.top + kBarColumnInset) <= 0)
        return false;
    const int k = CandleBodyWidth(barWidth);
    if (k < 0)
        return false;
    const int x = (index - first) * barWidth + mainPlot.left;
    out.bar = RECT { x, barColumn.top + kBarColumnInset, x + barWidth, barColumn.bottom };
    out.bodyLeft = x;
    out.bodyRight = x + k;
    out.bodyMiddle = x + k / 2;
    return true;
}

void QuantisePriceRange(double& low, double& high)
{
    low = std::trunc(low / 0.3) * 0.3;
    high = (1 + std::trunc(high / 0.3)) * 0.3;
}

void WidenByIndicator(double& low, double& high, double indicatorMin, double indicatorMax)
{
    high = std::max(high, indicatorMax);
    low = std::min(low, indicatorMin);
}

int PriceToY(double value, double low, double high, const RECT& candleArea)
{
    const double span = high - low;
    if (!(span > 0))
        return candleArea.bottom;
    const double height = static_cast<double>(candleArea.bottom) - candleArea.top;
    const double offset = (value - low) * height / span;
    // Far values are kept within what GDI coordinates hold.
    const double y = std::max(-1e6, std::min(1e6, candleArea.bottom - offset));
    return static_cast<int>(y);
}

double YToPrice(int y, double low, double high, const RECT& candleArea)
{
    const double height = static_cast<double>(candleArea.bottom) - candleArea.top;
    if (!(height > 0))
        return low;
    return low + (high - low) * (candleArea.bottom - y) / height;
}

double SubPaneValueAtY(int y, double minimum, double maximum, const RECT& pane)
{
    const double height = static_cast<double>(pane.bottom) - pane.top - kTitleRowHeight;
    if (!(height > 0))
        return minimum;
    return minimum + (maximum - minimum) * (pane.bottom - y) / height;
}

void CandleBodyRows(int yOpen, int yClose, bool falling, int& top, int& bottom)
{
    top = std::min(yOpen, yClose);
    bottom = std::max(yOpen, yClose);
    if (top == bottom) {
        if (falling)
            ++bottom;
        else
            --top;
    }
}

bool BandZoomRange(int b, int c, int columnWidth, int barCount, int& first, int& last)
{
    if (b >= c || barCount <= 0)
        return false;
    if ((c - b + 1) * 15 < columnWidth) {
        b = b - (((b - c - 1) * 15 + columnWidth) / 30 + 1);
        c = c + (((b - c - 1) * 15 + columnWidth) / 30 + 1);
    }
    first = std::max(0, std::min(b, barCount - 1));
    last = std::max(0, std::min(c, barCount - 1));
    return first < last;
}

int ClampSplitterY(int y, const RECT& above, const RECT& below)
{
    const int minHeight = kTitleRowHeight + kBarColumnInset + 1;
    const int lowest = above.top + minHeight;
    const int highest = below.bottom - minHeight;
    if (lowest > highest)
        return above.top + (below.bottom - above.top) / 2;
    return std::max(lowest, std::min(y, highest));
}

const char* DateLabelFormat(int period, int32_t previousTime, int32_t time)
{
    const std::tm a = SplitExchangeTime(previousTime);
    const std::tm b = SplitExchangeTime(time);
    if (period >= 1 && period <= 5)
        return a.tm_mday != b.tm_mday ? "%d" : nullptr;
    if (period >= 7 && period <= 10)
        return a.tm_year != b.tm_year ? "%y" : nullptr;
    return (a.tm_year != b.tm_year || a.tm_mon != b.tm_mon) ? "%m" : nullptr;
}

std::string FormatExRightsTip(const ExRightsRecord& record)
{
    const std::tm t = SplitExchangeTime(record.time);
    std::string text = "权息资料变动\r\n";
    text += FormatString("除权,除息:%d/%d/%d\r\n", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
    if (record.cashDividend > 0.0001)
        text += FormatString("每10派现金:%.3f元\r\n", record.cashDividend * 10.0);
    if (record.bonusShares > 0.0001)
        text += FormatString("每10股送股比例:%.3f股\r\n", record.bonusShares * 10.0);
    if (record.rightsShares > 0.0001)
        text += FormatString(
            "每10股配股:%.3f股,股价:%.3f\r\n", record.rightsShares * 10.0, static_cast<double>(record.rightsPrice));
    return text;
}

std::string FormatCrossHairDate(int32_t time)
{
    static const char* const kWeekdays[] = { "日", "一", "二", "三", "四", "五", "六" };
    const std::tm t = SplitExchangeTime(time);
    return FormatString(
        "%04d/%02d/%02d/%s", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, kWeekdays[(t.tm_wday % 7 + 7) % 7]);
}

bool ComputeDataWindowValues(const std::vector<Bar>& bars, int cursor, const std::vector<int>& selection,
    int period, double circulatingShares, DataWindowValues& out)
{
    const int count = static_cast<int>(bars.size());
    const auto inSeries = [count](int i) { return i >= 0 && i < count; };
    int firstIndex = cursor;
    int lastIndex = cursor;
    Bar shown {};
    if (!selection.empty() && inSeries(selection.front()) && inSeries(selection.back())) {
        firstIndex = count;
        lastIndex = -1;
        float high = 0;
        float low = 0;
        bool any = false;
        for (int i : selection) {
            if (!inSeries(i))
                continue;
            firstIndex = std::min(firstIndex, i);
            lastIndex = std::max(lastIndex, i);
            high = any ? std::max(high, bars[i].high) : bars[i].high;
            low = any ? std::min(low, bars[i].low) : bars[i].low;
            any = true;
        }
        shown.time = bars[firstIndex].time;
        shown.open = bars[firstIndex].open;
        shown.close = bars[lastIndex].close;
        shown.high = high;
        shown.low = low;
        shown.volume = bars[selection.back()].volume;
        shown.amount = bars[selection.back()].amount;
    } else {
        if (!inSeries(cursor))
            return false;
        shown = bars[cursor];
    }
    const double previousClose = firstIndex > 0 ? bars[firstIndex - 1].close : bars[firstIndex].open;
    const bool minutePeriod = period >= 1 && period <= 5;
    const auto price = [previousClose](double v) {
        return DataWindowCell { FormatString("%.2f", v), PickPriceColor(previousClose, v) };
    };
    const double change = static_cast<double>(shown.close) - previousClose;
    const bool ratios = std::fabs(previousClose) > 0.0001;
    out.cells[0] = DataWindowCell { FormatTime(shown.time, minutePeriod ? "%m%d%H%M" : "%Y%m%d"),
        ChartColors::DataWindowLabel };
    out.cells[1] = price(shown.open);
    out.cells[2] = price(shown.high);
    out.cells[3] = price(shown.low);
    out.cells[4] = price(shown.close);
    out.cells[5] = DataWindowCell { FormatString("%.2f", change), PickPriceColor(0, change) };
    out.cells[6] = ratios
        ? DataWindowCell { FormatString("%.2f%%", change * 100 / previousClose), PickPriceColor(0, change) }
        : DataWindowCell { "-", ChartColors::Flat };
    out.cells[7] = ratios
        ? DataWindowCell { FormatString("%.2f%%", (static_cast<double>(shown.high) - shown.low) * 100 / previousClose),
              ChartColors::FallingBar }
        : DataWindowCell { "-", ChartColors::FallingBar };
    out.cells[8] = DataWindowCell { FormatString("%.0f", static_cast<double>(shown.volume)), ChartColors::VolumeValue };
    out.cells[9] = DataWindowCell { FormatString("%.0f", shown.amount / 10.0), ChartColors::FallingBar };
    out.cells[10] = circulatingShares > 0.0001
        ? DataWindowCell { FormatLargeNumber(shown.volume / circulatingShares) + "%", ChartColors::FallingBar }
        : DataWindowCell { "-", ChartColors::FallingBar };
    return true;
}

bool ComputeDataWindowValues(const std::vector<Bar>& bars, int cursor, const std::vector<int>& selection,
    int period, const CStockInfo& stock, DataWindowValues& out)
{
    // Volumes are in lots of 100 shares and the record counts shares in
    // 10,000s, so lots over that figure is the turnover in percent.
    double shares = 0;
    if (stock.IsIndex() || !stock.GetCirculatingShares(shares))
        shares = 0;
    return ComputeDataWindowValues(bars, cursor, selection, period, shares / 10000.0, out);
}

int PageLeftDelta(int first, int last)
{
    const int d = first - last + 5;
    return d < 0 ? d : -1;
}

int PageRightDelta(int first, int last)
{
    const int d = last - first - 5;
    return d > 0 ? d : 1;
}

}
