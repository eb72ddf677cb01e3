// The price and volume panes of the minute chart: title, time axis, scales,
// grids and labels, the price and average lines, an index's change sticks
// and the volume bars.
#include "views/RealTime.h"

#include <cmath>
#include <string>

#include "base/ChartColors.h"
#include "base/ChartDraw.h"
#include "base/DcGuards.h"
#include "base/Format.h"
#include "base/GdiObjectCache.h"
#include "data/Stock.h"
#include "res/resource.h"
#include "views/MinuteTimeAxis.h"

namespace {

const COLORREF kBackground = RGB(8, 8, 8);
const COLORREF kTitleText = RGB(230, 230, 230);
const COLORREF kTimeLabels = RGB(128, 128, 128);
const COLORREF kPriceLine = RGB(255, 255, 255);
const COLORREF kAverageLine = RGB(255, 255, 0);
const COLORREF kVolumeBars = RGB(255, 255, 0);

HFONT ChartFont()
{
    GdiObjectCache* cache = GdiObjectCache::Instance();
    return cache ? cache->GetFont(12, "宋体", FW_NORMAL) : nullptr;
}

void FrameWith(HDC dc, const RECT& rect, COLORREF colour)
{
    GdiObjectCache* cache = GdiObjectCache::Instance();
    if (HBRUSH brush = cache ? cache->GetBrush(colour) : nullptr)
        ::FrameRect(dc, &rect, brush);
}

int TextWidth(HDC dc, const std::string& text)
{
    SIZE size {};
    ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

COLORREF LabelColour(double value, double base)
{
    if (value > base + 0.0001)
        return ChartColors::Rise;
    if (value < base - 0.0001)
        return ChartColors::Fall;
    return SidePanelColors::NeutralText;
}

} // namespace

std::string PriceAxisLabel(double value, int decimals)
{
    if (decimals < 0)
        decimals = 0;
    if (decimals > 9)
        decimals = 9;
    if (value < 0 && value > -0.51 * std::pow(10.0, -decimals))
        value = 0;
    return FormatString(FormatString("%%.%df", decimals).c_str(), value);
}

void CRealTime::DrawTimeAxis(HDC dc)
{
    const RECT strip = MinuteTimeAxisStrip(m_chart, m_price.rect, m_metrics);
    if (GdiObjectCache* cache = GdiObjectCache::Instance())
        ::FillRect(dc, &strip, cache->GetBrush(kBackground));
    const int left = m_price.rect.left;
    const int width = m_price.rect.right - m_price.rect.left;
    const struct
    {
        const char* text;
        int x;
    } labels[] = {
        { "09:30", left },
        { "10:30", left + width / 4 },
        { "11:30", left + width / 2 },
        { "14:00", left + width * 3 / 4 },
        { "15:00", left + width },
    };
    for (const auto& label : labels)
        DrawTextAt(dc, label.x, strip.top, label.text, TA_CENTER | TA_TOP, 12, kBackground, kTimeLabels);
}

int CRealTime::GetPriceRange(double base, bool symmetric, MinutePriceRange& out)
{
    const CStockInfo& info = m_snapshot->GetStockInfo();
    const std::vector<MinuteRecord>& records = m_snapshot->GetMinute().GetRecords();
    double low = base;
    double high = base;
    if (info.last > 0.0001 && info.high > 0.0001 && info.low > 0.0001) {
        low = info.low;
        high = info.high;
    } else {
        for (const MinuteRecord& r : records) {
            if (low < 0.0001)
                low = r.price;
            low = std::min(low, static_cast<double>(r.price));
            high = std::max(high, static_cast<double>(r.price));
        }
    }
    double largest = 10;
    for (const MinuteRecord& r : records)
        largest = std::max(largest, static_cast<double>(r.volume));
    if (base < 0.0001)
        base = (low + high) / 2;
    if (symmetric) {
        double t = std::max(std::fabs(low - base), std::fabs(high - base));
        t = std::max(t, base * 0.001);
        low = base - t;
        high = base + t;
    }
    out.low = low;
    out.high = high;
    out.largestVolume = largest;
    return 1;
}

int CRealTime::DrawPriceAxis(HDC dc, const RECT& price, const RECT& volume, int rowHeight, double base,
    double* low, double* high, double largestVolume, int decimals)
{
    if (!low || !high || price.right <= price.left || price.bottom <= price.top || volume.right <= volume.left
        || volume.bottom <= volume.top || rowHeight <= 0 || decimals < 0)
        return 0;
    if (base < 0.0001)
        base = (*low + *high) / 2;
    const int priceHeight = price.bottom - price.top;
    const int volumeHeight = volume.bottom - volume.top;
    const int width = price.right - price.left;
    const int n = 2 * ((priceHeight / 2) / rowHeight);
    const int m = 2 * ((volumeHeight / 2) / rowHeight);

    const double e = std::max(std::fabs(*low - base), std::fabs(*high - base));
    const double tick = std::pow(10.0, -decimals);
    double f = n * tick;
    if (e >= f)
        f = 2 * n * tick;
    if (e >= f)
        f = 3 * n * tick;
    if (e >= f)
        f = e;
    if (*low > base - f / 2 && *high < base + f / 2) {
        *low = base - f / 2;
        *high = base + f / 2;
    }

    FrameWith(dc, price, ChartColors::Axis);
    FrameWith(dc, volume, ChartColors::Axis);
    for (int k = 0; k < n; ++k) {
        const int y = price.top + k * priceHeight / n;
        DrawPenLine(dc, 1, ChartColors::Axis, price.left, y, price.right, y);
    }
    const int middle = price.top + priceHeight / 2;
    DrawPenLine(dc, 2, ChartColors::Axis, price.left, middle, price.right, middle);
    for (int k = 0; k < m; ++k) {
        const int y = volume.top + k * volumeHeight / m;
        DrawPenLine(dc, 1, ChartColors::Axis, volume.left, y, volume.right, y);
    }
    for (int i = 1; i <= 8; ++i) {
        const int x = price.left + i * width / 8;
        if (i % 2)
            DrawDottedLine(dc, 1, ChartColors::Axis, x, price.top, x, volume.bottom);
        else
            DrawPenLine(dc, 1, ChartColors::Axis, x, price.top, x, volume.bottom);
    }

    CSelectObject font(dc, ChartFont());
    ::SetBkColor(dc, kBackground);
    for (int k = 0; n > 0 && k <= n; ++k) {
        const double value = *low + (*high - *low) * k / n;
        const int y = price.top + priceHeight * (n - k) / n - 7;
        const COLORREF colour = LabelColour(value, base);
        ::SetTextColor(dc, colour);
        const std::string text = PriceAxisLabel(value, decimals);
        ::TextOutA(dc, price.left - 1 - TextWidth(dc, text), y, text.c_str(), static_cast<int>(text.size()));
        const double percent = base > 0.0001 ? std::fabs(value - base) * 100 / base : 0;
        const std::string share = FormatString("%.2f%%", percent);
        ::TextOutA(dc, price.right + 3, y, share.c_str(), static_cast<int>(share.size()));
    }
    DrawAxisLabels(
        dc, SidePanelColors::NeutralText, m, volume.left, volume.top, volume.bottom, 0, largestVolume, false, false, 0);
    return 1;
}

void CRealTime::DrawPriceChart(HDC dc)
{
    DrawTimeAxis(dc);
    const CStockInfo& info = m_snapshot->GetStockInfo();
    const std::string title = info.GetName() + "(" + ResourceText(IDS_MINUTE_CHART, "分时") + ")";
    DrawTextAt(dc, m_price.rect.left + 1, m_chart.top + 2, title.c_str(), TA_LEFT | TA_TOP, 12, kBackground,
        kTitleText);

    // The reference price stays local: the snapshot is never written while painting.
    double base = info.previousClose;
    MinutePriceRange range;
    GetPriceRange(base, true, range);
    if (base < 0.0001)
        base = (range.low + range.high) / 2;
    double low = range.low;
    double high = range.high;
    DrawPriceAxis(dc, m_price.rect, m_volume.rect, m_metrics.rowHeight, base, &low, &high, range.largestVolume,
        info.GetPriceDecimals());
    m_price.low = low;
    m_price.high = high;
    m_lowPrice = low;
    m_highPrice = high;
    m_volume.low = 0;
    m_volume.high = range.largestVolume;

    const CMinute& minute = m_snapshot->GetMinute();
    const std::vector<MinuteRecord>& records = minute.GetRecords();
    const int count = static_cast<int>(records.size());
    const RECT& pane = m_price.rect;
    const RECT& volume = m_volume.rect;
    const int height = pane.bottom - pane.top;
    const int volumeHeight = volume.bottom - volume.top;
    const int middle = pane.top + height / 2;
    const double span = high - low;
    const bool scaled = span > 0.0001;
    const bool isIndex = info.IsIndex() != 0;
    const int32_t now = NowOnMinuteAxis(Now(), count > 0 ? records[count - 1].time : 0);

    auto priceY = [&](double value) { return pane.top + static_cast<int>(height * (high - value) / span); };
    GdiObjectCache* cache = GdiObjectCache::Instance();
    HPEN pricePen = cache ? cache->GetPen(PS_SOLID, 1, kPriceLine) : nullptr;
    HPEN averagePen = cache ? cache->GetPen(PS_SOLID, 1, kAverageLine) : nullptr;
    HPEN volumePen = cache ? cache->GetPen(PS_SOLID, 1, kVolumeBars) : nullptr;

    int prevX = pane.left;
    int prevPriceY = middle;
    int prevAverageY = middle;
    double mean = 0;
    WalkMinuteAxis(
        records, now,
        [&](int index, int32_t seconds) {
            const MinuteRecord& r = records[index];
            // A minute without a trade price stands at the reference price.
            const double value = r.price < 0.0001 ? base : r.price;
            mean = (index * mean + value) / (index + 1);
            const int x = MinuteAxisX(pane.left, pane.right, seconds);
            const bool inRange = scaled && value >= low && value <= high;
            if (inRange) {
                const int y = ClampIntoPane(priceY(value), pane);
                DrawLineWithPen(dc, pricePen, prevX, prevPriceY, x, y);
                prevPriceY = y;
                if (mean >= low && mean <= high) {
                    const int ay = ClampIntoPane(priceY(mean), pane);
                    DrawLineWithPen(dc, averagePen, prevX, prevAverageY, x, ay);
                    prevAverageY = ay;
                }
            }
            double change = 0;
            if (isIndex && inRange && minute.GetFiveMinuteChange(&change, index)) {
                const double v = 2 * change;
                if (std::fabs(v) < span / 2 && v != 0) {
                    const int top = middle - static_cast<int>(v * height / span);
                    DrawPenLine(dc, 2, v > 0 ? ChartColors::Rise : ChartColors::Fall, x - 2, middle, x - 2, top);
                }
            }
            if (inRange && r.volume > 0 && r.volume <= range.largestVolume && range.largestVolume > 0.0001) {
                const int top = volume.bottom - static_cast<int>(r.volume * volumeHeight / range.largestVolume);
                DrawLineWithPen(dc, volumePen, x, volume.bottom - 1, x, top);
            }
            prevX = x;
        },
        [&](int32_t s) {
            if (s == 0 && count > 0 && scaled) {
                const double first = records[0].price < 0.0001 ? base : records[0].price;
                prevPriceY = priceY(first);
                prevAverageY = prevPriceY;
            }
            const int x = MinuteAxisX(pane.left, pane.right, s);
            DrawLineWithPen(dc, pricePen, prevX, prevPriceY, x, prevPriceY);
            DrawLineWithPen(dc, averagePen, prevX, prevAverageY, x, prevAverageY);
            prevX = x;
        });
}
