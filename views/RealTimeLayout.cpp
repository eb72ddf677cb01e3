#include "views/RealTimeLayout.h"

namespace {

bool IsEmptyRect(const RECT& r)
{
    return r.right <= r.left || r.bottom <= r.top;
}

} // namespace

MinuteChartPanes LayoutMinuteChart(
    const RECT& rect, int mode, int indicator, int page, const MinuteChartMetrics& m)
{
    MinuteChartPanes p {};
    const int L = rect.left, T = rect.top, R = rect.right, B = rect.bottom;
    if (mode == kMinuteModeChart && page != kPageNone)
        p.side = RECT { R - m.sideWidth, T + m.top + 37, R, B - m.bottom };
    const int sideWidth = IsEmptyRect(p.side) ? 0 : p.side.right - p.side.left;
    const int h = B - T - m.timeAxisHeight - m.bottom - m.top;
    const int paneLeft = L + m.left;
    const int paneRight = R - sideWidth - m.right;
    p.price = RECT { paneLeft, T + m.top, paneRight, T + h * 7 / 10 };
    p.volume = RECT { paneLeft, p.price.bottom + 2, paneRight, B - m.timeAxisHeight - m.bottom };
    p.indicator = RECT { paneLeft, p.volume.bottom, paneRight, p.volume.bottom };
    if (indicator >= kIndicatorVolumeRatio && indicator <= kIndicatorBigOrderTracking) {
        p.price.bottom = T + h * 5 / 10;
        p.volume.top = p.price.bottom + 2;
        p.volume.bottom = (p.volume.bottom - p.volume.top) / 2 + p.volume.top;
        p.indicator.top = p.volume.bottom + 1;
    }
    return p;
}

RECT MinuteTimeAxisStrip(const RECT& rect, const RECT& price, const MinuteChartMetrics& m)
{
    return RECT { rect.left, rect.bottom - m.timeAxisHeight - m.bottom + 1, price.right, rect.bottom };
}

int FullListColumns(const RECT& rect)
{
    const int columns = (rect.right - rect.left) / 220;
    return columns < 1 ? 1 : columns;
}

int FullListRows(const RECT& rect)
{
    const int rows = (rect.bottom - rect.top - 48) / 16;
    return rows < 1 ? 1 : rows;
}

int FullListPageSize(const RECT& rect)
{
    return FullListColumns(rect) * FullListRows(rect);
}

int LastPageStart(int count, int pageSize)
{
    if (pageSize < 1 || count <= pageSize)
        return 0;
    return (count - 1) / pageSize * pageSize;
}

int ListPageStart(int position, int count, int pageSize)
{
    if (position < 0 || position >= count)
        return LastPageStart(count, pageSize);
    return position;
}

bool PrevListPosition(int& position, int count, int pageSize)
{
    if (position == 0)
        return false;
    if (pageSize < 1)
        pageSize = 1;
    int next = position == -1 ? LastPageStart(count, pageSize) - pageSize : position - pageSize;
    if (next < 0 || next > count - 1)
        next = -1;
    position = next;
    return true;
}

void NextListPosition(int& position, int count, int pageSize)
{
    if (pageSize < 1)
        pageSize = 1;
    int next = position == -1 ? 0 : position + pageSize;
    if (next < 0 || next > count - 1)
        next = 0;
    position = next;
}

int LayoutChartGrid(int count, const RECT& rect, RECT* cells)
{
    const int L = rect.left, T = rect.top, R = rect.right, B = rect.bottom;
    int columns = 1, rows = 1;
    switch (count) {
    case 2:
        rows = 2;
        break;
    case 4:
        columns = 2;
        rows = 2;
        break;
    case 6:
        columns = 2;
        rows = 3;
        break;
    case 9:
        columns = 3;
        rows = 3;
        break;
    default:
        cells[0] = rect;
        return 1;
    }
    for (int c = 0; c < columns; ++c) {
        const int x0 = L + (R - L) * c / columns;
        const int x1 = c + 1 == columns ? R : L + (R - L) * (c + 1) / columns;
        for (int r = 0; r < rows; ++r) {
            const int y0 = T + (B - T) * r / rows;
            const int y1 = r + 1 == rows ? B : T + (B - T) * (r + 1) / rows;
            cells[c * rows + r] = RECT { x0, y0, x1, y1 };
        }
    }
    return columns * rows;
}

int ClampIntoPane(int y, const RECT& pane)
{
    if (y < pane.top + 1)
        return pane.top + 1;
    if (y > pane.bottom - 1)
        return pane.bottom - 1;
    return y;
}
