#include "base/ChartDraw.h"
#include "base/DcGuards.h"
#include "base/GdiObjectCache.h"
#include "base/KeptPicture.h"
#include "base/UnicodeString.h"

#include <algorithm>
#include <iterator>

namespace {

const char kAxisFontFace[] = "宋体";

HPEN CachedPen(int width, COLORREF colour)
{
    GdiObjectCache* cache = GdiObjectCache::Instance();
    return cache ? cache->GetPen(PS_SOLID, width, colour) : nullptr;
}

HBRUSH CachedBrush(COLORREF colour)
{
    GdiObjectCache* cache = GdiObjectCache::Instance();
    return cache ? cache->GetBrush(colour) : nullptr;
}

void Line(HDC dc, int x1, int y1, int x2, int y2)
{
    ::MoveToEx(dc, x1, y1, nullptr);
    ::LineTo(dc, x2, y2);
}

int TextWidth(HDC dc, const std::string& text)
{
    SIZE size = { 0, 0 };
    ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

// Whether the target holds every colour exactly, so that a solid fill and a
// pattern's pixel of one colour are the same pixel value.
bool HoldsExactColours(HDC dc)
{
    BITMAP bitmap = {};
    HGDIOBJ target = ::GetCurrentObject(dc, OBJ_BITMAP);
    return target && ::GetObjectA(target, sizeof(bitmap), &bitmap) == sizeof(bitmap) && bitmap.bmPlanes == 1
        && bitmap.bmBitsPixel >= 24;
}

// Rows of dots from x1 up to, not including, x2: every second pixel from x1,
// the pixels between untouched. Two pattern passes per row (clear the dots,
// then colour them in) stand for hundreds of single-pixel strokes. Where the
// pixels between are known to hold one colour, gaps (not CLR_INVALID), one
// pass copies dots and gaps alike, a quarter of the work. Only for a copying
// mix mode in plain pixel units; false when the DC does not allow it.
bool DrawDotRows(
    HDC dc, COLORREF colour, int x1, int x2, const int* rows, size_t count, COLORREF gaps = CLR_INVALID)
{
    GdiObjectCache* cache = GdiObjectCache::Instance();
    if (!cache || x2 <= x1 || ::GetROP2(dc) != R2_COPYPEN || ::GetMapMode(dc) != MM_TEXT
        || ::GetGraphicsMode(dc) != GM_COMPATIBLE)
        return false;
    HBRUSH mask = cache->GetColumnPatternBrush(RGB(0, 0, 0), RGB(255, 255, 255));
    HBRUSH dots = cache->GetColumnPatternBrush(colour, RGB(0, 0, 0));
    HBRUSH copied = gaps == CLR_INVALID ? nullptr : cache->GetColumnPatternBrush(colour, gaps);
    if (!mask || !dots)
        return false;
    // The pattern's even columns fall on the first dot.
    POINT start = { x1, 0 };
    ::LPtoDP(dc, &start, 1);
    POINT oldOrigin {};
    ::SetBrushOrgEx(dc, start.x & 1, 0, &oldOrigin);
    HGDIOBJ oldBrush = nullptr;
    if (copied) {
        oldBrush = ::SelectObject(dc, copied);
        for (size_t i = 0; i < count; ++i)
            ::PatBlt(dc, x1, rows[i], x2 - x1, 1, PATCOPY);
    } else {
        const DWORD kAnd = 0x00A000C9; // DPa
        const DWORD kOr = 0x00FA0089; // DPo
        oldBrush = ::SelectObject(dc, mask);
        for (size_t i = 0; i < count; ++i)
            ::PatBlt(dc, x1, rows[i], x2 - x1, 1, kAnd);
        ::SelectObject(dc, dots);
        for (size_t i = 0; i < count; ++i)
            ::PatBlt(dc, x1, rows[i], x2 - x1, 1, kOr);
    }
    ::SelectObject(dc, oldBrush);
    ::SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
    return true;
}

}

int DrawValueAxis(HDC dc, const RECT& rect, int topMargin, int bottomMargin, double minimum, double maximum,
    int decimals, KeptPicture* labels, COLORREF inside)
{
    const ValueAxisLayout layout = LayoutValueAxis(rect, topMargin, bottomMargin, minimum, maximum, decimals);
    if (!layout.drawable)
        return 0;
    if (HBRUSH frame = CachedBrush(ChartColors::Axis))
        ::FrameRect(dc, &rect, frame);
    // The grid first, then the labels left of the frame, where no dot falls.
    std::vector<int> rows;
    if (layout.topY >= 0)
        rows.push_back(layout.topY);
    for (const AxisMark& line : layout.lines) {
        if (line.y >= 0)
            rows.push_back(line.y);
    }
    // Rows strictly inside the frame, where the inside holds one known
    // colour: dots and gaps are copied as they would come out, up to the
    // frame's right column, which keeps its colour (the dots' own) either way.
    std::vector<int> framed;
    if (inside != CLR_INVALID && HoldsExactColours(dc)) {
        const auto isFramed = [&rect](int y) { return y > rect.top && y < rect.bottom - 1; };
        std::copy_if(rows.begin(), rows.end(), std::back_inserter(framed), isFramed);
        if (!framed.empty()
            && DrawDotRows(dc, ChartColors::Axis, rect.left, rect.right - 1, framed.data(), framed.size(), inside))
            rows.erase(std::remove_if(rows.begin(), rows.end(), isFramed), rows.end());
    }
    if (!rows.empty() && !DrawDotRows(dc, ChartColors::Axis, rect.left, rect.right, rows.data(), rows.size())) {
        for (int y : rows)
            DrawDottedLine(dc, 1, ChartColors::Axis, rect.left, y, rect.right, y);
    }
    if (layout.lines.empty())
        return 1;
    GdiObjectCache* cache = GdiObjectCache::Instance();
    HFONT axisFont = cache ? cache->GetFont(12, kAxisFontFace, FW_NORMAL) : nullptr;
    const COLORREF colour = ChartColors::AxisLabel;
    std::string key;
    if (labels) {
        AppendKey(key, rect);
        AppendKey(key, layout.decimals);
        for (const AxisMark& line : layout.lines) {
            AppendKey(key, line.y);
            AppendKey(key, line.value);
        }
        AppendKey(key, axisFont);
        AppendKey(key, colour);
        AppendKey(key, ::GetTextAlign(dc));
        AppendKey(key, ::GetBkMode(dc));
        AppendKey(key, ::GetBkColor(dc));
        if (labels->Show(dc, key)) {
            // The DC is left as the drawing leaves it.
            ::SetTextColor(dc, colour);
            return 1;
        }
    }
    CUseFont font(dc, axisFont);
    if (labels) {
        // The labels' cells with a margin for glyphs that overhang them.
        TEXTMETRICA metrics = {};
        RECT area = { 0, 0, 0, 0 };
        const bool measured = ::GetTextMetricsA(dc, &metrics) != FALSE && ::GetTextAlign(dc) == (TA_LEFT | TA_TOP);
        for (const AxisMark& line : layout.lines) {
            const int width = TextWidth(dc, FormatAxisNumber(line.value, layout.decimals));
            const RECT cell = { rect.left - 2 - width - 2, line.y - 7 - 2, rect.left - 2 + 2,
                line.y - 7 + metrics.tmHeight + 2 };
            ::UnionRect(&area, &area, &cell);
        }
        if (measured)
            labels->Begin(dc, area);
        else
            labels->Forget();
    }
    for (const AxisMark& line : layout.lines)
        DrawAxisValue(dc, colour, rect.left, line.y, line.value, layout.decimals);
    if (labels)
        labels->End(dc, key);
    return 1;
}

void DrawAxisValue(HDC dc, COLORREF colour, int x, int y, double value, int decimals)
{
    GdiObjectCache* cache = GdiObjectCache::Instance();
    CUseFont font(dc, cache ? cache->GetFont(12, kAxisFontFace, FW_NORMAL) : nullptr);
    const std::string text = FormatAxisNumber(value, decimals);
    ::SetTextColor(dc, colour);
    const int width = TextWidth(dc, text);
    ::TextOutA(dc, x - 2 - width, y - 7, text.c_str(), static_cast<int>(text.size()));
}

void DrawAxisLabels(HDC dc, COLORREF colour, int count, int x, int topY, int bottomY, double bottomValue,
    double topValue, bool includeFirst, bool includeLast, int decimals)
{
    const std::vector<AxisMark> labels
        = LayoutAxisLabels(count, topY, bottomY, bottomValue, topValue, includeFirst, includeLast);
    if (labels.empty())
        return;
    ::SetTextColor(dc, colour);
    for (const AxisMark& label : labels) {
        const std::string text = FormatAxisNumber(WithoutNegativeZero(label.value, decimals), decimals);
        ::TextOutA(dc, x - TextWidth(dc, text) - 1, label.y, text.c_str(), static_cast<int>(text.size()));
    }
}

void DrawPenLine(HDC dc, int width, COLORREF colour, int x1, int y1, int x2, int y2)
{
    DrawLineWithPen(dc, CachedPen(width, colour), x1, y1, x2, y2);
}

void DrawLineWithPen(HDC dc, HPEN pen, int x1, int y1, int x2, int y2)
{
    CSelectObject selected(dc, pen);
    Line(dc, x1, y1, x2, y2);
}

void DrawDottedLine(HDC dc, int width, COLORREF colour, int x1, int y1, int x2, int y2)
{
    if (y1 < 0)
        return;
    // A thin horizontal line is a row of dots; otherwise a thin horizontal or
    // vertical line is one stroke of a pen that lights every second pixel
    // from the start. Both light the dots drawing them one by one lights, at
    // a fraction of the calls.
    if (width <= 1 && y1 == y2 && DrawDotRows(dc, colour, x1, x2, &y1, 1))
        return;
    const bool straight = (y1 == y2 && x1 < x2) || (x1 == x2 && y1 < y2);
    GdiObjectCache* cache = GdiObjectCache::Instance();
    if (straight && width <= 1 && cache) {
        if (HPEN dotted = cache->GetPen(PS_ALTERNATE, 1, colour)) {
            CSelectObject selected(dc, dotted);
            // The gaps stay untouched, whatever the background mode.
            const int oldMode = ::SetBkMode(dc, TRANSPARENT);
            Line(dc, x1, y1, x2, y2);
            ::SetBkMode(dc, oldMode);
            return;
        }
    }
    DrawDottedLineWithPen(dc, CachedPen(width, colour), x1, y1, x2, y2);
}

void DrawDottedLineWithPen(HDC dc, HPEN pen, int x1, int y1, int x2, int y2)
{
    CSelectObject selected(dc, pen);
    ForEachDottedSegment(
        x1, y1, x2, y2, [dc](const DotSegment& dot) { Line(dc, dot.x, dot.y, dot.endX, dot.endY); });
}

void DrawVLineWithTick(HDC dc, int x, int x2, int y1, int y2, int y3, HPEN pen)
{
    CSelectObject selected(dc, pen);
    Line(dc, x, y1, x, y2);
    Line(dc, x, y3, x2, y3);
}

void DrawCandle(HDC dc, int x, int yHigh, int yLow, const RECT& body, COLORREF colour, HPEN pen, bool hollow)
{
    if (HBRUSH brush = CachedBrush(colour)) {
        if (hollow)
            ::FrameRect(dc, &body, brush);
        else
            ::FillRect(dc, &body, brush);
    }
    CSelectObject selected(dc, pen);
    Line(dc, x, yHigh, x, body.top);
    Line(dc, x, body.bottom, x, yLow);
}

int DrawBoxedText(HDC dc, RECT& rect, const char* text, COLORREF frameColour, COLORREF textColour,
    COLORREF backColour, const RECT* bound)
{
    const std::wstring wide = GbkToWide(text ? text : "");
    RECT measure = { 0, 0, 300, 100 };
    ::DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &measure,
        DT_CALCRECT | DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    rect = LayoutBoxedText(rect, bound, measure.right - measure.left);
    if (HBRUSH frame = CachedBrush(frameColour))
        ::FrameRect(dc, &rect, frame);
    RECT inside = rect;
    ::InflateRect(&inside, -1, -1);
    if (HBRUSH back = CachedBrush(backColour))
        ::FillRect(dc, &inside, back);
    const COLORREF oldText = ::SetTextColor(dc, textColour);
    const COLORREF oldBack = ::SetBkColor(dc, backColour);
    ::DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &inside,
        DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    ::SetBkColor(dc, oldBack);
    ::SetTextColor(dc, oldText);
    return 1;
}

void FillEllipse(HDC dc, const RECT& rect, COLORREF colour)
{
    CSelectObject brush(dc, CachedBrush(colour));
    CSelectObject pen(dc, ::GetStockObject(NULL_PEN));
    ::Ellipse(dc, rect.left, rect.top, rect.right, rect.bottom);
}

void DrawEllipse(HDC dc, const RECT& rect, int width, COLORREF colour)
{
    CSelectObject pen(dc, CachedPen(width, colour));
    CSelectObject brush(dc, ::GetStockObject(NULL_BRUSH));
    ::Ellipse(dc, rect.left, rect.top, rect.right, rect.bottom);
}

void DrawCross(HDC dc, const RECT& rect, int width, COLORREF colour)
{
    CSelectObject pen(dc, CachedPen(width, colour));
    Line(dc, rect.left, rect.top, rect.right, rect.bottom);
    Line(dc, rect.left, rect.bottom, rect.right, rect.top);
}

int DrawPieChart(HDC dc, const RECT& rect, const std::vector<PieSector>& sectors)
{
    std::vector<int> percentages;
    for (const PieSector& sector : sectors)
        percentages.push_back(sector.percentage);
    POINT centre;
    int radius = 0;
    std::vector<PieSlice> slices;
    LayoutPie(rect, percentages, centre, radius, slices);
    for (size_t i = 0; i < sectors.size(); ++i) {
        CSelectObject brush(dc, CachedBrush(sectors[i].colour));
        ::BeginPath(dc);
        ::MoveToEx(dc, centre.x, centre.y, nullptr);
        ::AngleArc(dc, centre.x, centre.y, static_cast<DWORD>(radius),
            static_cast<FLOAT>(slices[i].startAngle), static_cast<FLOAT>(slices[i].sweep));
        ::LineTo(dc, centre.x, centre.y);
        ::CloseFigure(dc);
        ::EndPath(dc);
        ::StrokeAndFillPath(dc);
    }
    return 1;
}
