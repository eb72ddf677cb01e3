// The indicator pane of the minute chart: volume ratio, bid/ask strength,
// big-order tracking and the fund-flow views computed from the day's ticks.
// The series are computed once per data change, not on every paint.
#include "views/RealTime.h"

#include <cfloat>
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
const COLORREF kMainForce = RGB(255, 0, 0);
const COLORREF kLargeHolder = RGB(255, 255, 0);
const COLORREF kRetail = RGB(255, 0, 255);
const COLORREF kInflow = RGB(255, 60, 60);
const COLORREF kOutflow = RGB(0, 200, 0);
const COLORREF kBuyLine = RGB(255, 255, 255);
const COLORREF kSellLine = RGB(206, 212, 215);
const double kTenThousand = 10000.0;

// Field offsets (in floats) of a FundFlowRecord.
enum FlowField {
    kTotalIn = 0,
    kTotalOut = 1,
    kTotalNet = 2,
    kRetailIn = 3,
    kRetailOut = 4,
    kRetailNet = 5,
    kLargeIn = 6,
    kLargeOut = 7,
    kLargeNet = 8,
    kMainIn = 9,
    kMainOut = 10,
    kMainNet = 11,
};

double FieldOf(const FundFlowRecord& r, int field)
{
    const float* values = &r.totalIn;
    return values[field];
}

HFONT ChartFont()
{
    GdiObjectCache* cache = GdiObjectCache::Instance();
    return cache ? cache->GetFont(12, "宋体", FW_NORMAL) : nullptr;
}

int TextWidth(HDC dc, const std::string& text)
{
    CSelectObject font(dc, ChartFont());
    SIZE size {};
    ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

} // namespace

const std::vector<FundFlowRecord>& CRealTime::FundFlow()
{
    if (m_flowVersion != m_dataVersion) {
        m_flowVersion = m_dataVersion;
        m_flow.clear();
        FundFlowSeries series(&m_snapshot->GetFenbiData());
        if (series.Compute()) {
            m_flow.resize(static_cast<size_t>(series.GetCount()));
            for (int i = 0; i < series.GetCount(); ++i)
                series.GetAt(i, &m_flow[static_cast<size_t>(i)]);
        }
    }
    return m_flow;
}

const std::vector<MinutePair>& CRealTime::BidAskPairs()
{
    return MinutePairs(m_bidAskVersion, m_bidAsk, &MinuteBuySellSeries::ComputeBidAskStrength);
}

const std::vector<MinutePair>& CRealTime::BigOrderPairs()
{
    return MinutePairs(m_bigOrderVersion, m_bigOrders, &MinuteBuySellSeries::ComputeBigOrders);
}

const std::vector<MinutePair>& CRealTime::MinutePairs(
    uint32_t& version, std::vector<MinutePair>& pairs, int (MinuteBuySellSeries::*compute)())
{
    if (version != m_dataVersion) {
        version = m_dataVersion;
        pairs.clear();
        MinuteBuySellSeries series(&m_snapshot->GetFenbiData());
        if ((series.*compute)()) {
            for (int i = 0; i < series.GetCount(); ++i)
                pairs.push_back(series.GetAt(i));
        }
    }
    return pairs;
}

bool CRealTime::BeginIndicatorPane(HDC dc, int indicator, const char* title)
{
    if (m_indicator != indicator || !m_snapshot)
        return false;
    RECT& pane = m_indicatorPane.rect;
    if (pane.right <= pane.left || pane.bottom <= pane.top)
        return false;
    GdiObjectCache* cache = GdiObjectCache::Instance();
    if (cache) {
        ::FillRect(dc, &pane, cache->GetBrush(kBackground));
        ::FrameRect(dc, &pane, cache->GetBrush(ChartColors::Axis));
    }
    if (title && *title)
        DrawTextAt(dc, pane.left + 5, pane.top + 3, title, TA_LEFT | TA_TOP, 12, kBackground, kTitleText);
    DrawPenLine(dc, 1, ChartColors::Axis, pane.left, pane.top + 16, pane.right, pane.top + 16);
    pane.top += 16;
    return true;
}

bool CRealTime::DrawNotForIndex(HDC dc)
{
    if (!m_snapshot->GetStockInfo().IsIndex())
        return false;
    const RECT& pane = m_indicatorPane.rect;
    RECT box { pane.left + 4, pane.top + (pane.bottom - pane.top) / 2, pane.right, pane.bottom };
    CSelectObject font(dc, ChartFont());
    ::SetTextColor(dc, kTitleText);
    ::SetBkColor(dc, kBackground);
    static const char kText[] = "该指标对指数无效";
    ::DrawTextA(dc, kText, -1, &box, DT_CENTER | DT_VCENTER | DT_WORDBREAK | DT_NOCLIP);
    return true;
}

void CRealTime::DrawFlowLegend(HDC dc, int x, const char* const* labels, const double* values,
    const COLORREF* colours, int count, const char* format)
{
    const int y = m_indicatorPane.rect.top - 13;
    for (int i = 0; i < count; ++i) {
        const std::string text = std::string(labels[i]) + FormatString(format, values[i]);
        DrawTextAt(dc, x, y, text.c_str(), TA_LEFT | TA_TOP, 12, kBackground, colours[i]);
        x += TextWidth(dc, text) + 5;
    }
}

void CRealTime::DrawFlowLines(HDC dc, const std::vector<FundFlowRecord>& records, const int* fields,
    const COLORREF* colours, int count, double low, double high)
{
    const RECT& pane = m_indicatorPane.rect;
    const int width = pane.right - pane.left;
    const int height = pane.bottom - pane.top;
    // A flat series has no span to scale by: the lines are left out.
    if (high - low <= 0.0001 || height <= 0)
        return;
    const double perPixel = (high - low) / height;
    GdiObjectCache* cache = GdiObjectCache::Instance();
    std::vector<POINT> points(records.size());
    for (int k = 0; k < count; ++k) {
        for (size_t i = 0; i < records.size(); ++i) {
            const double value = FieldOf(records[i], fields[k]);
            points[i].x = pane.left + static_cast<int>(static_cast<int64_t>(width) * static_cast<int64_t>(i) / 241);
            points[i].y = pane.bottom - static_cast<int>((value - low) / perPixel);
        }
        CSelectObject pen(dc, cache ? cache->GetPen(PS_SOLID, 2, colours[k]) : nullptr);
        ::Polyline(dc, points.data(), static_cast<int>(points.size()));
    }
}

void CRealTime::DrawFlowPane(HDC dc, int indicator, const char* title, const int* fields, const COLORREF* colours,
    const char* const* labels, int count, bool fromZero, bool notForIndex, const char* legendFormat)
{
    if (!BeginIndicatorPane(dc, indicator, title))
        return;
    if (notForIndex && DrawNotForIndex(dc))
        return;
    const std::vector<FundFlowRecord>& records = FundFlow();
    if (records.size() < 3)
        return;
    const FundFlowRecord& last = records.back();
    double low = 0;
    double high = 0;
    if (fromZero) {
        for (int k = 0; k < count; ++k)
            high = std::max(high, FieldOf(last, fields[k]));
    } else {
        low = FLT_MAX;
        high = -FLT_MAX;
        for (const FundFlowRecord& r : records) {
            for (int k = 0; k < count; ++k) {
                low = std::min(low, FieldOf(r, fields[k]));
                high = std::max(high, FieldOf(r, fields[k]));
            }
        }
    }
    const RECT& pane = m_indicatorPane.rect;
    if (!DrawValueAxis(dc, pane, 0, 0, low / kTenThousand, high / kTenThousand, 2))
        return;
    // The scale is kept in the unit of the axis, so the cross-hair reads what the axis shows.
    m_indicatorPane.low = low / kTenThousand;
    m_indicatorPane.high = high / kTenThousand;
    DrawFlowLines(dc, records, fields, colours, count, low, high);

    double values[3] = {};
    for (int k = 0; k < count; ++k)
        values[k] = FieldOf(last, fields[k]) / kTenThousand;
    const int x = pane.left + 5 + (title && *title ? TextWidth(dc, title) + 5 : 0);
    DrawFlowLegend(dc, x, labels, values, colours, count, legendFormat);
}

void CRealTime::DrawFundAnalysis(HDC dc)
{
    static const int fields[] = { kTotalIn, kTotalOut };
    static const COLORREF colours[] = { kInflow, kOutflow };
    static const char* const labels[] = { "流入:", "流出:" };
    DrawFlowPane(dc, kIndicatorFundAnalysis, "资金分析(万元)", fields, colours, labels, 2, true, false);
}

void CRealTime::DrawFundInflow(HDC dc)
{
    static const int fields[] = { kMainIn, kLargeIn, kRetailIn };
    static const COLORREF colours[] = { kMainForce, kLargeHolder, kRetail };
    static const char* const labels[] = { "主力:", "大户:", "散户:" };
    DrawFlowPane(dc, kIndicatorFundInflow, "进场资金(万元)", fields, colours, labels, 3, true, true);
}

void CRealTime::DrawFundOutflow(HDC dc)
{
    static const int fields[] = { kMainOut, kLargeOut, kRetailOut };
    static const COLORREF colours[] = { kMainForce, kLargeHolder, kRetail };
    static const char* const labels[] = { "主力:", "大户:", "散户:" };
    DrawFlowPane(dc, kIndicatorFundOutflow, "离场资金(万元)", fields, colours, labels, 3, true, true);
}

void CRealTime::DrawMainRetailGame(HDC dc)
{
    static const int fields[] = { kMainNet, kLargeNet, kRetailNet };
    static const COLORREF colours[] = { kMainForce, kLargeHolder, kRetail };
    static const char* const labels[] = { "主力:", "大户:", "散户:" };
    DrawFlowPane(dc, kIndicatorMainRetailGame, "主散博弈(万元)", fields, colours, labels, 3, false, true);
}

void CRealTime::DrawNetFundFlow(HDC dc)
{
    static const int fields[] = { kTotalNet };
    static const COLORREF colours[] = { kInflow };
    // The legend is this pane's title.
    static const char* const labels[] = { "资金净流 " };
    DrawFlowPane(dc, kIndicatorNetFundFlow, nullptr, fields, colours, labels, 1, false, true, "%.0f 万");
}

void CRealTime::DrawMainNetFlow(HDC dc)
{
    static const int fields[] = { kMainNet };
    static const COLORREF colours[] = { kInflow };
    static const char* const labels[] = { "" };
    DrawFlowPane(dc, kIndicatorMainNetFlow, "主力资金净流", fields, colours, labels, 1, false, false, "%.0f 万");
}

void CRealTime::DrawVolumeRatio(HDC dc)
{
    const std::string title = ResourceText(IDS_VOLUME_RATIO_PANE, "量比");
    if (!BeginIndicatorPane(dc, kIndicatorVolumeRatio, title.c_str()))
        return;
    CStock& stock = *m_snapshot;
    stock.GetKData(kPeriodDay);
    double average = 0;
    if (!stock.GetAvgMinuteVolume(&average, stock.GetStockInfo().time, 5) || !(average > 0))
        return;
    const CMinute& minute = stock.GetMinute();
    double low = 0, high = 0;
    if (!minute.GetVolumeRatioRange(average, &low, &high))
        return;
    const RECT& pane = m_indicatorPane.rect;
    if (!DrawValueAxis(dc, pane, 0, 0, low, high, 2))
        return;
    m_indicatorPane.low = low;
    m_indicatorPane.high = high;

    const std::vector<MinuteRecord>& records = minute.GetRecords();
    const int count = static_cast<int>(records.size());
    const int height = pane.bottom - pane.top;
    const double span = high - low;
    GdiObjectCache* cache = GdiObjectCache::Instance();
    HPEN pen = cache ? cache->GetPen(PS_SOLID, 1, RGB(255, 255, 255)) : nullptr;
    const int32_t now = NowOnMinuteAxis(Now(), count > 0 ? records[count - 1].time : 0);
    int prevX = pane.left;
    int prevY = pane.top + height / 2;
    double lastRatio = 0;
    WalkMinuteAxis(
        records, now,
        [&](int index, int32_t seconds) {
            const MinuteRecord& r = records[index];
            const int x = MinuteAxisX(pane.left, pane.right, seconds);
            double ratio = 0;
            if (stock.GetVolumeRatio(&ratio, r.time, r.cumulativeVolume, static_cast<float>(average), 5)) {
                lastRatio = ratio;
                if (span > 0.0001 && ratio >= low && ratio <= high) {
                    const int y = ClampIntoPane(pane.top + static_cast<int>(height * (high - ratio) / span), pane);
                    DrawLineWithPen(dc, pen, prevX, prevY, x, y);
                    prevY = y;
                }
            }
            prevX = x;
        },
        [&](int32_t s) {
            const int x = MinuteAxisX(pane.left, pane.right, s);
            DrawLineWithPen(dc, pen, prevX, prevY, x, prevY);
            prevX = x;
        });
    const std::string legend = FormatString("%.2f", lastRatio);
    DrawTextAt(dc, pane.left + 5 + TextWidth(dc, title) + 5, pane.top - 13, legend.c_str(), TA_LEFT | TA_TOP, 12,
        kBackground, RGB(255, 255, 255));
}

void CRealTime::DrawBidAskStrength(HDC dc)
{
    if (!BeginIndicatorPane(dc, kIndicatorBidAskStrength, "买卖力道"))
        return;
    const std::vector<MinutePair>& pairs = BidAskPairs();
    if (pairs.empty())
        return;
    double high = -1e-8, low = 1e-8;
    for (const MinutePair& p : pairs) {
        high = std::max(high, static_cast<double>(std::max(p.first, p.second)));
        low = std::min(low, static_cast<double>(std::min(p.first, p.second)));
    }
    const RECT& pane = m_indicatorPane.rect;
    if (!DrawValueAxis(dc, pane, 0, 0, low * 1.01, high * 1.01, 0))
        return;
    m_indicatorPane.low = low;
    m_indicatorPane.high = high;
    const double span = high - low;
    const int width = pane.right - pane.left;
    const int height = pane.bottom - pane.top;
    if (span > 0.0001 && height > 0) {
        auto y = [&](double v) { return pane.top + static_cast<int>((high - v) * height / span); };
        const int y0 = pane.top + static_cast<int>(height * (high + low) / (2 * span));
        std::vector<POINT> buy(1, POINT { pane.left, y(pairs[0].first) });
        std::vector<POINT> sell(1, POINT { pane.left, y(pairs[0].second) });
        for (size_t i = 0; i < pairs.size(); ++i) {
            const int x = pane.left + static_cast<int>(static_cast<int64_t>(width) * static_cast<int64_t>(i + 1) / 242);
            buy.push_back(POINT { x, y(pairs[i].first) });
            sell.push_back(POINT { x, y(pairs[i].second) });
            const double d = static_cast<double>(pairs[i].first) - pairs[i].second;
            const int tip = y0 - static_cast<int>(d * height / (2 * span));
            if (tip != y0)
                DrawPenLine(dc, 1, d > 0 ? kInflow : kOutflow, x, y0, x, tip);
        }
        GdiObjectCache* cache = GdiObjectCache::Instance();
        {
            CSelectObject pen(dc, cache ? cache->GetPen(PS_SOLID, 1, kBuyLine) : nullptr);
            ::Polyline(dc, buy.data(), static_cast<int>(buy.size()));
        }
        CSelectObject pen(dc, cache ? cache->GetPen(PS_SOLID, 1, kSellLine) : nullptr);
        ::Polyline(dc, sell.data(), static_cast<int>(sell.size()));
    }
    static const char* const labels[] = { "委买:", "委卖:" };
    static const COLORREF colours[] = { kBuyLine, kSellLine };
    const double values[] = { pairs.back().first, pairs.back().second };
    DrawFlowLegend(dc, pane.left + 5 + TextWidth(dc, "买卖力道") + 5, labels, values, colours, 2, "%.0f");
}

void CRealTime::DrawBigOrderTracking(HDC dc)
{
    if (!BeginIndicatorPane(dc, kIndicatorBigOrderTracking, "大单追踪"))
        return;
    const std::vector<MinutePair>& pairs = BigOrderPairs();
    if (pairs.empty())
        return;
    double m = 1e-8;
    for (const MinutePair& p : pairs)
        m = std::max(m, static_cast<double>(std::max(p.first, p.second)));
    const RECT& pane = m_indicatorPane.rect;
    if (!DrawValueAxis(dc, pane, 0, 0, -1.01 * m, 1.01 * m, 0))
        return;
    m_indicatorPane.low = -m;
    m_indicatorPane.high = m;
    const int width = pane.right - pane.left;
    const int height = pane.bottom - pane.top;
    const int y0 = pane.top + height / 2;
    DrawPenLine(dc, 1, ChartColors::Axis, pane.left, y0, pane.right, y0);
    const COLORREF oldBack = ::GetBkColor(dc);
    for (size_t i = 0; i < pairs.size(); ++i) {
        const int x = pane.left + static_cast<int>(static_cast<int64_t>(width) * static_cast<int64_t>(i + 1) / 242);
        if (pairs[i].first > 0) {
            RECT bar { x, y0 - static_cast<int>(pairs[i].first * height / (2 * m)), x + 4, y0 };
            ::SetBkColor(dc, kInflow);
            ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &bar, nullptr, 0, nullptr);
        }
        if (pairs[i].second > 0) {
            RECT bar { x, y0, x + 4, y0 + static_cast<int>(pairs[i].second * height / (2 * m)) };
            ::SetBkColor(dc, kOutflow);
            ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &bar, nullptr, 0, nullptr);
        }
    }
    ::SetBkColor(dc, oldBack);
}
