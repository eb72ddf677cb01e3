// Picking a minute on the minute chart: the band hit test, the cursor keys,
// the selection, the XOR cross-hair with its boxed labels and the floating
// data window.
#include "views/RealTime.h"

#include <algorithm>
#include <cmath>

#include "base/ChartDraw.h"
#include "base/DcGuards.h"
#include "base/ExchangeTime.h"
#include "base/Format.h"
#include "base/GdiObjectCache.h"
#include "win/Gdi.h"
#include "base/HandleOwner.h"
#include "data/Stock.h"
#include "res/resource.h"
#include "views/MinuteTimeAxis.h"

namespace {

const COLORREF kBoxFrame = RGB(128, 0, 0);
const COLORREF kBoxBackground = RGB(0, 0, 128);
const COLORREF kBoxText = RGB(230, 230, 230);
const COLORREF kWindowBackground = RGB(8, 8, 8);
const COLORREF kWindowFrame = RGB(128, 0, 0);
const COLORREF kNeutral = RGB(230, 230, 230);
const COLORREF kRise = RGB(255, 60, 60);
const COLORREF kFall = RGB(0, 200, 0);
const RECT kDataWindowCreation = { 1, 38, 70, 320 };

bool InRect(const RECT& r, POINT p)
{
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

std::string ExchangeClock(int32_t time)
{
    const std::tm c = SplitExchangeTime(time);
    return FormatString("%02d:%02d", c.tm_hour, c.tm_min);
}

} // namespace

int CRealTime::RecordX(int index) const
{
    const MinuteRecord* r = m_snapshot->GetMinute().GetAt(index);
    return MinuteAxisX(m_price.rect.left, m_price.rect.right, r ? TradingSecondsSinceOpen(r->time) : 0);
}

int CRealTime::HitTest(POINT point)
{
    SingleLock lock(&m_lock);
    if (!m_snapshot)
        return -1;
    const RECT& pane = m_price.rect;
    if (point.x < pane.left || point.x > pane.right || point.y < pane.top
        || point.y > m_chart.bottom - m_metrics.bottom)
        return -1;
    const std::vector<MinuteRecord>& records = m_snapshot->GetMinute().GetRecords();
    const int count = static_cast<int>(records.size());
    const double width = pane.right - pane.left;
    for (int i = 0; i < count; ++i) {
        const double s = TradingSecondsSinceOpen(records[i].time);
        const double prev = i > 0 ? TradingSecondsSinceOpen(records[i - 1].time) : s - 100;
        const double next = i + 1 < count ? TradingSecondsSinceOpen(records[i + 1].time) : s + 100;
        const int x0 = pane.left + static_cast<int>((prev + s) * width / 2 / kMinuteAxisSeconds);
        const int x1 = pane.left + static_cast<int>((s + next) * width / 2 / kMinuteAxisSeconds);
        if (point.x >= x0 && point.x <= x1)
            return i;
    }
    return -1;
}

void CRealTime::TrackPoint(POINT point)
{
    const int hit = HitTest(point);
    {
        SingleLock lock(&m_lock);
        if (m_mode == kMinuteModeChart) {
            DrawCrosshair(nullptr);
            m_selection.clear();
            m_cursor = hit;
            InvalidateOwner(true);
        }
    }
    m_mouse = point;
    InvalidateOwner(true);
}

void CRealTime::OnMouseMove(POINT point, bool click)
{
    const bool moved = point.x != m_lastPointer.x || point.y != m_lastPointer.y;
    m_lastPointer = point;
    // A move message without a move (as after the keys took the cursor) must
    // not take the cursor back from the keys.
    if (!click && !moved && m_keysInCharge)
        return;
    m_keysInCharge = false;
    if (m_mode == kMinuteModeChart)
        TrackPoint(point);
}

void CRealTime::OnLButtonDblClk(POINT point)
{
    m_crosshair = !m_crosshair;
    if (m_mode == kMinuteModeChart)
        TrackPoint(point);
    if (m_crosshair) {
        m_mouse = point;
    } else {
        m_mouse = POINT { -1, -1 };
        SetCursorIndex(-1);
    }
    InvalidateOwner(true);
}

void CRealTime::CursorLeft(bool extend)
{
    StepCursorByKey(-1, extend);
}

void CRealTime::CursorRight(bool extend)
{
    StepCursorByKey(1, extend);
}

void CRealTime::StepCursorByKey(int step, bool extend)
{
    if (m_mode != kMinuteModeChart)
        return;
    m_crosshair = true;
    m_mouse = POINT { -1, -1 };
    m_keysInCharge = true;
    MoveCursor(step, extend, false);
}

void CRealTime::CursorHome(bool extend)
{
    SingleLock lock(&m_lock);
    if (m_mode != kMinuteModeChart)
        return;
    const int count = m_snapshot ? m_snapshot->GetMinute().GetCount() : 0;
    SelectTo(count > 0 ? 0 : -1, extend, false);
}

void CRealTime::CursorEnd(bool extend)
{
    SingleLock lock(&m_lock);
    if (m_mode != kMinuteModeChart)
        return;
    const int count = m_snapshot ? m_snapshot->GetMinute().GetCount() : 0;
    SelectTo(count > 0 ? count - 1 : -1, extend, false);
}

void CRealTime::MoveCursor(int step, bool extend, bool add)
{
    SingleLock lock(&m_lock);
    if (m_mode != kMinuteModeChart)
        return;
    const int count = m_snapshot ? m_snapshot->GetMinute().GetCount() : 0;
    int index = m_cursor >= 0 ? m_cursor + step : (step < 0 ? count - 1 : 0);
    index = std::min(std::max(index, 0), count - 1);
    SelectTo(index, extend, add);
}

void CRealTime::SelectTo(int index, bool extend, bool add)
{
    SingleLock lock(&m_lock);
    if (m_mode != kMinuteModeChart)
        return;
    DrawCrosshair(nullptr);
    if (extend && index >= 0) {
        const int from = m_cursor >= 0 ? std::min(m_cursor, index) : index;
        const int to = m_cursor >= 0 ? std::max(m_cursor, index) : index;
        for (int i = from; i <= to; ++i)
            AddSelection(i);
    } else if (add && index >= 0) {
        AddSelection(index);
    } else {
        m_selection.clear();
    }
    m_cursor = index;
    InvalidateOwner(true);
}

int CRealTime::AddSelection(int index)
{
    if (m_mode != kMinuteModeChart)
        return 0;
    if (std::find(m_selection.begin(), m_selection.end(), index) != m_selection.end())
        return 0;
    m_selection.push_back(index);
    return 1;
}

std::string CRealTime::ValueAtY(POINT point) const
{
    const MinuteChartPane* panes[] = { &m_price, &m_volume, &m_indicatorPane };
    for (const MinuteChartPane* pane : panes) {
        const RECT& r = pane->rect;
        if (!InRect(r, point))
            continue;
        const double value = pane->low + (r.bottom - point.y) * (pane->high - pane->low) / (r.bottom - r.top);
        return FormatString("%.2f", value);
    }
    return std::string();
}

void CRealTime::DrawCrosshair(HDC target)
{
    SingleLock lock(&m_lock);
    if (m_mode != kMinuteModeChart || !m_crosshair || m_cursor < 0 || !m_snapshot)
        return;
    const MinuteRecord* record = m_snapshot->GetMinute().GetAt(m_cursor);
    if (!record)
        return;
    std::unique_ptr<CClientDC> ownerDc;
    if (!target) {
        if (!m_owner || !::IsWindow(m_owner))
            return;
        ownerDc.reset(new CClientDC(m_owner));
        target = *ownerDc;
    }
    const RECT& pane = m_price.rect;
    const int height = pane.bottom - pane.top;
    const double span = m_highPrice - m_lowPrice;
    // A scale without a span (nothing drawn yet) puts the line in the middle.
    int y = span > 0.0001 ? pane.top + static_cast<int>((m_highPrice - record->price) * height / span)
                          : pane.top + height / 2;
    std::string value = FormatString("%.2f", record->price);
    if (m_mouse.x != -1 || m_mouse.y != -1) {
        y = m_mouse.y;
        value = ValueAtY(m_mouse);
    }
    const std::string time = ExchangeClock(record->time);
    const int x = RecordX(m_cursor);
    const int axisTop = m_chart.bottom - m_metrics.timeAxisHeight - m_metrics.bottom;

    GdiObjectCache* cache = GdiObjectCache::Instance();
    HPEN white = cache ? cache->GetPen(PS_SOLID, 1, RGB(255, 255, 255)) : nullptr;
    {
        CSelectObject pen(target, white);
        const int oldRop = ::SetROP2(target, R2_XORPEN);
        const int count = m_snapshot->GetMinute().GetCount();
        for (int index : m_selection) {
            if (index == m_cursor || index < 0 || index >= count)
                continue;
            const int sx = RecordX(index);
            ::MoveToEx(target, sx, pane.top, nullptr);
            ::LineTo(target, sx, m_chart.bottom - m_metrics.bottom);
        }
        ::SetROP2(target, oldRop);
    }
    {
        CSelectObject font(target, cache ? cache->GetFont(10, "System", FW_NORMAL) : nullptr);
        if (!value.empty()) {
            RECT box { pane.right + 1, y - 9, m_panes.side.left - 1, y + 9 };
            DrawBoxedText(target, box, value.c_str(), kBoxFrame, kBoxText, kBoxBackground);
        }
        RECT box { x - 20, axisTop + 1, x + 20, axisTop + 19 };
        DrawBoxedText(target, box, time.c_str(), kBoxFrame, kBoxText, kBoxBackground);
    }
    CSelectObject pen(target, white);
    const int oldRop = ::SetROP2(target, R2_XORPEN);
    ::MoveToEx(target, x, pane.top, nullptr);
    ::LineTo(target, x, axisTop);
    ::MoveToEx(target, pane.left, y, nullptr);
    ::LineTo(target, pane.right, y);
    ::SetROP2(target, oldRop);
}

void CRealTime::UpdateDataWindow()
{
    if (!m_owner || !::IsWindow(m_owner))
        return;
    if (!m_dataWindow.m_hWnd) {
        if (!m_dataWindow.Create(m_owner, kDataWindowCreation, "", WS_CHILD))
            return;
        ::SetWindowPos(m_dataWindow.m_hWnd, nullptr, 1, 0, 69, 282, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
    HWND window = m_dataWindow.m_hWnd;
    const bool visible = (::GetWindowLongPtrA(window, GWL_STYLE) & WS_VISIBLE) != 0;
    if (m_cursor < 0 || !m_snapshot || !m_snapshot->GetMinute().GetAt(m_cursor)) {
        if (visible)
            ::SetWindowPos(window, nullptr, 0, 0, 0, 0,
                SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    if (!visible)
        ::SetWindowPos(window, nullptr, 0, 0, 0, 0,
            SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    CClientDC dc(window);
    RECT client {};
    ::GetClientRect(window, &client);
    {
        CMemoryDC memory(dc, client);
        if (static_cast<HDC>(memory))
            PaintDataWindow(memory, client);
    }
    ::ValidateRect(window, nullptr);
}

void CRealTime::PaintDataWindow(HDC dc, const RECT& client)
{
    GdiObjectCache* cache = GdiObjectCache::Instance();
    if (!cache || !m_snapshot)
        return;
    ::FillRect(dc, &client, cache->GetBrush(kWindowBackground));
    ::FrameRect(dc, &client, cache->GetBrush(kWindowFrame));
    const MinuteRecord* record = m_snapshot->GetMinute().GetAt(m_cursor);
    if (!record)
        return;
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const double reference = m_snapshot->GetStockInfo().previousClose;
    const double price = record->price;
    const COLORREF priceColour = price > reference ? kRise : price < reference ? kFall : RGB(255, 255, 255);
    const double change = price - reference;
    // A missing reference price gives no percentage rather than a division by zero.
    const std::string percent = reference > 0.0001 ? FormatString("%.2f%%", change * 100 / reference) : "-";
    const struct
    {
        std::string label;
        std::string value;
        COLORREF colour;
    } rows[] = {
        { ResourceText(IDS_LIST_TIME, "时间"), ExchangeClock(record->time), RGB(255, 255, 255) },
        { ResourceText(IDS_LIST_PRICE, "价格"), FormatString("%.2f", price), priceColour },
        { "均价", FormatString("%.2f", record->average), priceColour },
        { ResourceText(IDS_PRICE_CHANGE, "涨跌"), FormatString("%.2f", change), priceColour },
        { ResourceText(IDS_CHANGE_PERCENT, "涨幅"), percent, priceColour },
        { ResourceText(IDS_LIST_VOLUME, "量(手)"), FormatString("%.0f", record->volume), kNeutral },
        { ResourceText(IDS_MINUTE_AMOUNT, "额(千元)"), FormatString("%.2f", record->amount / 1000.0), kNeutral },
    };
    int y = client.top + 4;
    for (const auto& row : rows) {
        {
            CSelectObject font(dc, cache->GetFont(14, "宋体", FW_NORMAL));
            ::SetTextAlign(dc, TA_LEFT | TA_TOP);
            ::SetTextColor(dc, kNeutral);
            ::TextOutA(dc, client.left + 3, y, row.label.c_str(), static_cast<int>(row.label.size()));
        }
        y += 20;
        CSelectObject font(dc, cache->GetFont(12, "System", FW_NORMAL));
        ::SetTextAlign(dc, TA_RIGHT | TA_TOP);
        ::SetTextColor(dc, row.colour);
        ::TextOutA(dc, client.right - 2, y, row.value.c_str(), static_cast<int>(row.value.size()));
        ::SetTextAlign(dc, TA_LEFT | TA_TOP);
        y += 20;
    }
    ::SetBkMode(dc, oldMode);
}
