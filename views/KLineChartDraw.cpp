// The paint path of the K-line chart.
#include "views/KLineChart.h"
#include "views/ViewOptions.h"

#include "base/ChartColors.h"
#include "res/resource.h"
#include "base/ChartDraw.h"
#include "base/DcGuards.h"
#include "base/Format.h"
#include "base/GdiObjectCache.h"
#include "base/KeptPicture.h"
#include "base/StrokeBatch.h"
#include "data/Stock.h"
#include "formula/FormulaCalculator.h"
#include "skin/SkinButtonItem.h"

#include <algorithm>

namespace {

const char kSongTi[] = "宋体";
const char kSystemFont[] = "System";

HFONT CachedFont(int height, const char* face, int weight)
{
    GdiObjectCache* cache = GdiObjectCache::Instance();
    return cache ? cache->GetFont(height, face, weight) : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

HPEN CachedPen(COLORREF colour)
{
    GdiObjectCache* cache = GdiObjectCache::Instance();
    return cache ? cache->GetPen(PS_SOLID, 1, colour) : static_cast<HPEN>(::GetStockObject(WHITE_PEN));
}

HBRUSH CachedBrush(COLORREF colour)
{
    GdiObjectCache* cache = GdiObjectCache::Instance();
    return cache ? cache->GetBrush(colour) : static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
}

void FillBackground(HDC dc, const RECT& rect)
{
    ::FillRect(dc, &rect, CachedBrush(ChartColors::Background));
}

void Frame(HDC dc, const RECT& rect, COLORREF colour)
{
    ::FrameRect(dc, &rect, CachedBrush(colour));
}

void TextAt(HDC dc, int x, int y, const std::string& text)
{
    ::TextOutA(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

std::string LoadResourceText(UINT id, const char* fallback)
{
    char buffer[256];
    const int length = ::LoadStringA(::GetModuleHandle(nullptr), id, buffer, sizeof buffer);
    return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string(fallback);
}

// A boxed label the cross-hair can take away again: drawn into a scratch
// bitmap as it should look over the background, turned into its difference
// from the background and XORed onto the target.
void XorBoxedText(HDC dc, const RECT& rect, const std::string& text, ScratchDc& scratchDc)
{
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0 || text.empty())
        return;
    // Only the label's corner of the scratch bitmap is drawn and copied.
    HDC scratch = scratchDc.For(dc, width, height);
    if (!scratch)
        return;
    // The scratch DC is left in its own state: what the drawing selects or
    // sets is put back by the drawing.
    RECT local { 0, 0, width, height };
    ::FillRect(scratch, &local, CachedBrush(ChartColors::Background));
    {
        CSelectObject font(scratch, CachedFont(10, kSystemFont, FW_NORMAL));
        RECT box = local;
        DrawBoxedText(scratch, box, text.c_str(), ChartColors::Axis, ChartColors::BoxedText, ChartColors::BoxBack,
            &local);
    }
    HGDIOBJ oldBrush = ::SelectObject(scratch, CachedBrush(ChartColors::Background));
    ::PatBlt(scratch, 0, 0, width, height, PATINVERT);
    ::SelectObject(scratch, oldBrush);
    ::BitBlt(dc, rect.left, rect.top, width, height, scratch, 0, 0, SRCINVERT);
}

}

void KLineChart::SetKeepPictures(bool keep)
{
    SingleLock lock(&m_lock);
    m_keepPictures = keep;
    m_painter.SetKeepPictures(keep);
    m_dataWindowPicture.Forget();
    m_dataWindowLabels.Forget();
    m_mainAxisLabels.Forget();
    m_dateAxisPicture.Forget();
}

void KLineChart::Paint(HDC dc, const RECT& rect)
{
    // The snapshot is read under the data lock, taken before the chart lock
    // as the worker that merges into it takes them.
    SingleLock data(m_source.DataLock());
    SingleLock lock(&m_lock);
    if (!::EqualRect(&rect, &m_layout.chart))
        Layout(rect);
    Draw(dc);
}

void KLineChart::Draw(HDC dc)
{
    if (!m_owner || !m_snapshot)
        return;
    DrawSidePanel(dc);
    if (GetBarCount() == 0) {
        DrawNoData(dc);
        m_dataWindowShown = false;
        return;
    }
    if (!CalcVisibleRange())
        return;
    // The steps select their fonts for each text; held here, most of those
    // selections find the font in place and cost nothing.
    {
        CUseFont font(dc, CachedFont(12, kSongTi, FW_NORMAL));
        DrawDateAxis(dc);
        ComputeMainIndicator();
        DrawMainPane(dc);
    }
    {
        CUseFont font(dc, CachedFont(14, kSongTi, FW_NORMAL));
        DrawMainIndicator(dc);
        DrawSubPanes(dc);
    }
    UpdateDataWindow(dc);
    DrawCrossHair(dc, true);
    DrawPaneButtons(dc);
}

void KLineChart::DrawSidePanel(HDC dc)
{
    if (!m_owner || !::IsWindow(m_owner))
        return;
    SidePanelPaint paint;
    paint.dc = dc;
    paint.page = m_sidePanelPage;
    paint.sidePanel = m_layout.sidePanel;
    paint.priceArea = kline::CandleArea(m_layout.mainPane);
    paint.stock = m_snapshot;
    paint.period = m_options.GetPeriod();
    paint.cursor = m_cursor;
    paint.high = m_high;
    paint.low = m_low;
    paint.rowsPerPage = &m_sideRows;
    paint.listPosition = &m_sidePosition;
    if (m_sidePanelPainter) {
        m_sidePanelPainter(paint);
        return;
    }
    if (!SidePanelPicture::Keeps(paint.page)) {
        m_sidePanel.DrawPage(paint);
        return;
    }
    m_sidePanelPicture.Paint(dc, paint.page, paint.sidePanel, m_layout.chart.top, m_snapshot, [&](HDC picture) {
        SidePanelPaint into = paint;
        into.dc = picture;
        m_sidePanel.DrawPage(into);
    });
}

void KLineChart::DrawNoData(HDC dc)
{
    Frame(dc, m_layout.barColumn, ChartColors::Axis);
    if (!m_snapshot)
        return;
    const CStockInfo& info = m_snapshot->GetStockInfo();
    const std::string text = info.GetName() + "(" + info.GetCode() + ")" + GetPeriodName(m_options.GetPeriod())
        + LoadResourceText(IDS_KLINE_DOWNLOADING, "数据下载...");
    CSelectObject font(dc, CachedFont(14, kSongTi, FW_NORMAL));
    ::SetTextColor(dc, ChartColors::TitleText);
    ::SetBkColor(dc, ChartColors::Background);
    ::SetBkMode(dc, OPAQUE);
    TextAt(dc, m_layout.barColumn.left + 20, m_layout.barColumn.top + 20, text);
}

void KLineChart::DrawDateAxis(HDC dc)
{
    const CKData* series = GetSeries();
    if (!series)
        return;
    const int axisTop = m_layout.chart.bottom - kline::kDateAxisHeight - kline::kBottomGap;
    const RECT strip { m_layout.barColumn.left, axisTop + 1, m_layout.barColumn.right, m_layout.barColumn.bottom };
    HFONT axisFont = CachedFont(12, kSongTi, FW_NORMAL);
    ::SetTextColor(dc, ChartColors::DateAxisText);
    ::SetBkMode(dc, TRANSPARENT);
    const int count = series->GetCount();
    // The strip is filled and its labels follow from the shown bars' times:
    // kept as a picture until they change.
    std::string& key = m_dateAxisKey;
    key.clear();
    if (m_keepPictures) {
        AppendKey(key, m_layout.barColumn);
        AppendKey(key, m_layout.mainPlot);
        AppendKey(key, m_first);
        AppendKey(key, m_last);
        AppendKey(key, m_barWidth);
        AppendKey(key, m_options.GetPeriod());
        AppendKey(key, axisFont);
        AppendKey(key, ChartColors::Background);
        AppendKey(key, ChartColors::DateAxisText);
        AppendKey(key, ::GetTextAlign(dc));
        for (int i = std::max(m_first, 1) - 1; i <= m_last && i < count; ++i)
            AppendKey(key, series->GetBar(i)->time);
        if (m_dateAxisPicture.Show(dc, key))
            return;
        m_dateAxisPicture.Begin(dc, strip);
    } else {
        m_dateAxisPicture.Forget();
    }
    FillBackground(dc, strip);
    CUseFont font(dc, axisFont);
    int labelEnd = INT_MIN;
    bool inside = true;
    for (int i = std::max(m_first, 1); i <= m_last && i < count; ++i) {
        const char* format = kline::DateLabelFormat(m_options.GetPeriod(), series->GetBar(i - 1)->time, series->GetBar(i)->time);
        if (!format)
            continue;
        RECT bar;
        if (!GetBarRect(i, &bar, nullptr, nullptr, nullptr) || bar.left <= labelEnd)
            continue;
        const std::string label = FormatTime(series->GetBar(i)->time, format);
        SIZE size {};
        ::GetTextExtentPoint32A(dc, label.c_str(), static_cast<int>(label.size()), &size);
        TextAt(dc, bar.left, axisTop + 2, label);
        labelEnd = bar.left + size.cx;
        // A label reaching past the strip is drawn each time.
        inside = inside && labelEnd + 2 <= strip.right && axisTop + 2 + size.cy <= strip.bottom;
    }
    if (inside && m_keepPictures)
        m_dateAxisPicture.End(dc, key);
    else
        m_dateAxisPicture.Forget();
}

void KLineChart::ComputeMainIndicator()
{
    m_hasIndicatorRange = false;
    if (!m_mainCalculator || m_mainCalculator->GetText().empty())
        return;
    m_mainCalculator->SetData(m_snapshot, m_options.GetPeriod(), m_first, m_last);
    if (m_mainCalculator->Calculate() != 1)
        return;
    const double minimum = m_mainCalculator->GetMin();
    const double maximum = m_mainCalculator->GetMax();
    // An indicator with no valid value in view leaves the range unmeasured.
    if (minimum <= maximum) {
        m_indicatorMin = minimum;
        m_indicatorMax = maximum;
        m_hasIndicatorRange = true;
    }
}

void KLineChart::DrawMainPane(HDC dc)
{
    const RECT& pane = m_layout.mainPane;
    FillBackground(dc, pane);
    Frame(dc, pane, ChartColors::Axis);

    const CStockInfo& info = m_snapshot->GetStockInfo();
    const std::string title = info.GetName() + "(" + GetPeriodName(m_options.GetPeriod()) + ")";
    {
        CUseFont font(dc, CachedFont(12, kSongTi, FW_NORMAL));
        ::SetTextColor(dc, ChartColors::TitleText);
        ::SetBkMode(dc, TRANSPARENT);
        SIZE size {};
        ::GetTextExtentPoint32A(dc, title.c_str(), static_cast<int>(title.size()), &size);
        // At least the usual 100 px, and as wide as the title: a minute
        // period's name is longer than that.
        RECT box { pane.left + 1, m_layout.chart.top + 2, pane.left + std::max(100, 2 + static_cast<int>(size.cx)), pane.top + 15 };
        ::DrawTextA(dc, title.c_str(), static_cast<int>(title.size()), &box, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        m_titleX = box.left + size.cx + 2;
    }

    double low = 0;
    double high = 0;
    int lowIndex = -1;
    int highIndex = -1;
    if (GetPriceRange(m_first, m_last, &low, &high, &lowIndex, &highIndex)) {
        kline::QuantisePriceRange(low, high);
        if (m_hasIndicatorRange)
            kline::WidenByIndicator(low, high, m_indicatorMin, m_indicatorMax);
        m_low = low;
        m_high = high;
    }
    // The pane holds its fill on the grid's rows: only the title, above
    // them, is drawn on it so far.
    DrawValueAxis(dc, pane, kline::kTitleRowHeight, kline::kBarColumnInset, m_low, m_high, 2,
        m_keepPictures ? &m_mainAxisLabels : nullptr, ChartColors::Background);

    m_signs.clear();
    const std::vector<ExRightsRecord>* records = m_source.GetExRights(m_snapshot->GetCodeKey());
    ColouredStrokes candles;
    for (int i = m_first; i <= m_last; ++i) {
        const int kind = i == lowIndex ? 1 : (i == highIndex ? 2 : 0);
        DrawBar(dc, i, kind, i >= 11 && i + 8 >= m_last, records, candles);
    }
    candles.Flush(dc);
}

void KLineChart::DrawBar(HDC dc, int index, int labelKind, bool labelLeft,
    const std::vector<ExRightsRecord>* records, ColouredStrokes& candles)
{
    const CKData* series = GetSeries();
    if (!series || index < m_first || index > m_last)
        return;
    const Bar* bar = series->GetBar(index);
    if (!bar || m_high - m_low < 0.0001)
        return;
    RECT rect;
    int bodyLeft = 0;
    int bodyRight = 0;
    int middle = 0;
    if (!GetBarRect(index, &rect, &bodyLeft, &bodyRight, &middle) || rect.right > m_layout.mainPlot.right)
        return;
    const RECT area = kline::CandleArea(m_layout.mainPane);
    const int yOpen = kline::PriceToY(bar->open, m_low, m_high, area);
    const int yClose = kline::PriceToY(bar->close, m_low, m_high, area);
    const int yHigh = kline::PriceToY(bar->high, m_low, m_high, area);
    const int yLow = kline::PriceToY(bar->low, m_low, m_high, area);
    const bool falling = bar->close < bar->open;
    COLORREF colour = bar->close > bar->open ? ChartColors::Rise : (falling ? ChartColors::FallingBar : ChartColors::LevelBar);
    if (m_editThreshold != -1 && bar->time > m_editThreshold)
        colour = ChartColors::EditedBar;
    int top = 0;
    int bottom = 0;
    kline::CandleBodyRows(yOpen, yClose, falling, top, bottom);
    const RECT body { bodyLeft, top, bodyRight, bottom };
    // Candles are gathered by colour (they never overlap one another) and
    // drawn before anything that may cover them.
    if (body.right > body.left && body.bottom > body.top) {
        StrokeBatch& strokes = candles.For(colour);
        if (falling)
            strokes.AddFill(body);
        else
            strokes.AddFrame(body);
        strokes.AddLine(middle, yHigh, middle, body.top);
        strokes.AddLine(middle, body.bottom, middle, yLow);
    } else {
        candles.Flush(dc);
        DrawCandle(dc, middle, yHigh, yLow, body, colour, CachedPen(colour), !falling);
    }

    const ExRightsRecord* record = FindRecordOfDay(records, bar->time);
    const bool sign = record
        && std::none_of(
            m_signs.begin(), m_signs.end(), [record](const ExRightsSign& s) { return s.record.time == record->time; });
    if (labelKind == 1 || labelKind == 2 || sign)
        candles.Flush(dc);

    if (labelKind == 1 || labelKind == 2) {
        CUseFont font(dc, CachedFont(12, kSongTi, FW_NORMAL));
        ::SetTextColor(dc, ChartColors::TitleText);
        ::SetBkMode(dc, TRANSPARENT);
        const double value = labelKind == 1 ? bar->low : bar->high;
        const int y = labelKind == 1 ? yLow - 7 : std::max(yHigh - 7, static_cast<int>(area.top));
        if (!labelLeft) {
            TextAt(dc, middle, y, FormatString("←-%.2f", value));
        } else {
            const std::string text = FormatString("%.2f-→", value);
            // As tall as the font's line, which a fixed 10 px would cut.
            SIZE size {};
            ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
            RECT box { 0, y, middle, labelKind == 1 ? std::max(yLow + 10, y + static_cast<int>(size.cy)) : y + static_cast<int>(size.cy) };
            ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &box, DT_RIGHT | DT_TOP | DT_NOPREFIX);
        }
    }

    if (sign) {
        CSelectObject font(dc, CachedFont(12, kSongTi, 600));
        ::SetTextColor(dc, ChartColors::Rise);
        ::SetBkMode(dc, TRANSPARENT);
        TextAt(dc, rect.left, area.bottom + 2, "$");
        m_signs.push_back(ExRightsSign { *record, RECT { rect.left, area.bottom + 2, rect.left + 10, area.bottom + 10 } });
    }
}

int KLineChart::LegendOffset() const
{
    return std::max(0, (m_cursor != -1 ? m_cursor : m_last) - m_first);
}

void KLineChart::DrawMainIndicator(HDC dc)
{
    if (!m_mainCalculator || m_mainCalculator->GetText().empty())
        return;
    RECT rect = m_layout.mainPane;
    rect.bottom -= kline::kBarColumnInset;
    m_mainCalculator->Draw(dc, rect, LegendOffset(), m_titleX, m_low, m_high, true);
}

void KLineChart::DrawSubPanes(HDC dc)
{
    if (m_maximisedPane >= 0 && m_maximisedPane < static_cast<int>(m_subCalculators.size())) {
        DrawSubPane(dc, m_maximisedPane, kline::CoveringSubPaneRect(m_layout));
        return;
    }
    const int panes = std::min(static_cast<int>(m_layout.subPanes.size()), static_cast<int>(m_subCalculators.size()));
    for (int i = 0; i < panes; ++i) {
        const RECT& rect = m_layout.subPanes[i];
        if (i == m_selectedPane) {
            RECT inner = rect;
            ::InflateRect(&inner, -1, -1);
            Frame(dc, inner, ChartColors::BoxedText);
        }
        DrawSubPane(dc, i, rect);
    }
}

void KLineChart::DrawSubPane(HDC dc, int index, const RECT& rect)
{
    if (index < 0 || index >= static_cast<int>(m_subCalculators.size()))
        return;
    FormulaCalculator* calculator = m_subCalculators[index].get();
    if (!calculator || calculator->GetText().empty())
        return;
    calculator->SetData(m_snapshot, m_options.GetPeriod(), m_first, m_last);
    if (calculator->Calculate() != 1)
        return;
    calculator->Draw(dc, rect, LegendOffset(), rect.left, 0, 0, false);
}

void KLineChart::UpdateDataWindow(HDC dc)
{
    m_dataWindowShown = false;
    const CKData* series = GetSeries();
    if (!series || m_cursor == -1 || m_cursor >= series->GetCount())
        return;
    kline::DataWindowValues values;
    if (!kline::ComputeDataWindowValues(
            series->GetBars(), m_cursor, m_selection, m_options.GetPeriod(), m_snapshot->GetStockInfo(), values))
        return;
    m_dataWindowShown = true;
    const RECT& rect = m_layout.dataWindow;
    ::SetBkMode(dc, TRANSPARENT);
    // The window fills its rectangle and its texts stay inside it: its pixels
    // are those of its values, colours and fonts, and moving the cross-hair
    // within one bar shows them again.
    HFONT labelFont = CachedFont(14, kSongTi, FW_NORMAL);
    HFONT valueFont = CachedFont(12, kSystemFont, FW_NORMAL);
    // The fill, the frame and the labels stay while the cursor moves from bar
    // to bar: they are a picture of their own, under the values.
    std::string& labelsKey = m_dataWindowLabelsKey;
    labelsKey.clear();
    AppendKey(labelsKey, rect);
    AppendKey(labelsKey, labelFont);
    AppendKey(labelsKey, ChartColors::Background);
    AppendKey(labelsKey, ChartColors::Axis);
    AppendKey(labelsKey, ChartColors::DataWindowLabel);
    AppendKey(labelsKey, ::GetTextAlign(dc));
    std::string& key = m_dataWindowKey;
    key = labelsKey;
    AppendKey(key, valueFont);
    for (const kline::DataWindowCell& cell : values.cells) {
        AppendKey(key, cell.text);
        AppendKey(key, cell.colour);
    }
    if (!m_keepPictures) {
        m_dataWindowPicture.Forget();
        m_dataWindowLabels.Forget();
    } else if (m_dataWindowPicture.Show(dc, key)) {
        // The DC is left as the drawing leaves it.
        ::SetTextColor(dc, values.cells[10].colour);
        return;
    }
    if (m_keepPictures)
        m_dataWindowPicture.Begin(dc, rect);
    if (!m_keepPictures || !m_dataWindowLabels.Show(dc, labelsKey)) {
        if (m_keepPictures)
            m_dataWindowLabels.Begin(dc, rect);
        FillBackground(dc, rect);
        Frame(dc, rect, ChartColors::Axis);
        static const char* const kLabels[] = { "时间", "开盘", "最高", "最低", "收盘", "涨跌", "涨幅", "振幅", "总手",
            "金额(万)", "换手" };
        // The labels, then the values: one font each instead of two per row.
        // A row's label and value glyphs never share a pixel, so the order
        // does not show.
        CSelectObject font(dc, labelFont);
        ::SetTextColor(dc, ChartColors::DataWindowLabel);
        for (int row = 0; row < 11; ++row)
            TextAt(dc, rect.left + 3, rect.top + 4 + row * 32, kLabels[row]);
        m_dataWindowLabels.End(dc, labelsKey);
    }
    CSelectObject font(dc, valueFont);
    for (int row = 0; row < 11; ++row) {
        const int labelY = rect.top + 4 + row * 32;
        ::SetTextColor(dc, values.cells[row].colour);
        const std::string& text = values.cells[row].text;
        RECT box { rect.left + 1, labelY + 14, rect.right - 2, labelY + 14 + 14 };
        ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &box, DT_RIGHT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    }
    m_dataWindowPicture.End(dc, key);
}

void KLineChart::DrawCrossHair(HDC dc, bool)
{
    if (!m_crossHair || m_cursor == -1)
        return;
    const CKData* series = GetSeries();
    const Bar* cursorBar = series ? series->GetBar(m_cursor) : nullptr;
    int middle = 0;
    if (!cursorBar || !GetBarRect(m_cursor, nullptr, nullptr, nullptr, &middle))
        return;
    const RECT& column = m_layout.barColumn;
    const RECT& plot = m_layout.mainPlot;
    const RECT area = kline::CandleArea(m_layout.mainPane);
    const int y = m_mouse.x != -1 || m_mouse.y != -1 ? m_mouse.y : kline::PriceToY(cursorBar->close, m_low, m_high, area);
    {
        // What the lines change is put back by hand: saving and restoring the
        // whole DC costs more than drawing them.
        CSelectObject pen(dc, CachedPen(ChartColors::CrossHair));
        const int oldMix = ::SetROP2(dc, R2_XORPEN);
        POINT oldPosition {};
        ::GetCurrentPositionEx(dc, &oldPosition);
        for (int index : m_selection) {
            int x = 0;
            if (index != m_cursor && GetBarRect(index, nullptr, nullptr, nullptr, &x)) {
                ::MoveToEx(dc, x, plot.top, nullptr);
                ::LineTo(dc, x, plot.bottom);
            }
        }
        ::MoveToEx(dc, middle, column.bottom - 20, nullptr);
        ::LineTo(dc, middle, plot.top);
        ::MoveToEx(dc, column.left, y, nullptr);
        ::LineTo(dc, column.right, y);
        ::MoveToEx(dc, oldPosition.x, oldPosition.y, nullptr);
        ::SetROP2(dc, oldMix);
    }
    const std::string value
        = m_mouse.x != -1 || m_mouse.y != -1 ? GetCursorValueText(m_mouse) : FormatString("%.2f", cursorBar->close);
    // Both labels stay inside the bar column: right of it the side panel's
    // page is drawn, and an XOR label would garble its text and itself.
    if (!value.empty())
        XorBoxedText(dc, RECT { column.right - 56, y - 9, column.right - 1, y + 9 }, value, m_crossHairScratch);
    const int dateLeft = std::max(static_cast<int>(column.left), std::min(middle - 30, static_cast<int>(column.right) - 61));
    XorBoxedText(dc, RECT { dateLeft, column.bottom - 19, dateLeft + 60, column.bottom - 1 },
        kline::FormatCrossHairDate(cursorBar->time), m_crossHairScratch);
}

RECT KLineChart::PaneRectForValue(POINT point, FormulaCalculator** calculator) const
{
    *calculator = nullptr;
    if (m_maximisedPane >= 0 && m_maximisedPane < static_cast<int>(m_subCalculators.size())) {
        const RECT cover = kline::CoveringSubPaneRect(m_layout);
        if (::PtInRect(&cover, point)) {
            *calculator = m_subCalculators[m_maximisedPane].get();
            return cover;
        }
        return RECT {};
    }
    for (size_t i = 0; i < m_layout.subPanes.size() && i < m_subCalculators.size(); ++i) {
        if (::PtInRect(&m_layout.subPanes[i], point)) {
            *calculator = m_subCalculators[i].get();
            return m_layout.subPanes[i];
        }
    }
    return RECT {};
}

std::string KLineChart::GetCursorValueText(POINT point) const
{
    const RECT& pane = m_layout.mainPane;
    if (::PtInRect(&pane, point)) {
        if (point.y < pane.top + kline::kTitleRowHeight)
            return std::string();
        return FormatString("%.2f", kline::YToPrice(point.y, m_low, m_high, kline::CandleArea(pane)));
    }
    FormulaCalculator* calculator = nullptr;
    const RECT rect = PaneRectForValue(point, &calculator);
    if (!calculator || point.y < rect.top + kline::kTitleRowHeight || calculator->GetText().empty())
        return std::string();
    if (calculator->GetMin() > calculator->GetMax())
        return std::string();
    return FormatString("%.2f", kline::SubPaneValueAtY(point.y, calculator->GetMin(), calculator->GetMax(), rect));
}

void KLineChart::DrawPaneButtons(HDC dc)
{
    ::SetBkMode(dc, TRANSPARENT);
    // One memory DC serves every button, kept between paints: making one
    // costs more than blending all the buttons' images.
    if (!m_buttonImages || !*m_buttonImages)
        m_buttonImages = std::make_unique<CMemDC>(dc);
    HDC memory = *m_buttonImages;
    // The captions' font held across the buttons, each of which selects it.
    CUseFont font(dc, m_buttons.empty() || !m_buttons[0] ? nullptr : m_buttons[0]->CaptionFont());
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        CSkinButtonItem* button = m_buttons[i].get();
        if (!button)
            continue;
        const int pane = static_cast<int>(i) / 3;
        if (m_maximisedPane >= 0) {
            if (pane != m_maximisedPane)
                continue;
            const ButtonRecord& own = m_buttonRecords[i % 3];
            button->SetPosition(own.x, own.y);
        }
        button->ClearMouseState();
        if (static_cast<int>(i) == m_pressedButton)
            button->SetMouseState(false, true);
        else if (static_cast<int>(i) == m_hoverButton)
            button->SetMouseState(true, true);
        button->Draw(dc, memory);
        if (m_maximisedPane >= 0)
            button->SetPosition(m_buttonRecords[i].x, m_buttonRecords[i].y);
    }
}
