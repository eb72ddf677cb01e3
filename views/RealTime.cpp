#include "views/RealTime.h"

#include <ctime>

#include "base/DcGuards.h"
#include "base/GdiObjectCache.h"
#include "win/Gdi.h"
#include "base/HandleOwner.h"
#include "data/Stock.h"
#include "views/ViewDataSource.h"

namespace {

const COLORREF kBackground = RGB(8, 8, 8);

int32_t WallClock()
{
    return static_cast<int32_t>(std::time(nullptr));
}

bool IsEmptyRect(const RECT& r)
{
    return r.right <= r.left || r.bottom <= r.top;
}

} // namespace

int DrawTextAt(HDC dc, int x, int y, const char* text, UINT align, int fontHeight, COLORREF background,
    COLORREF colour)
{
    GdiObjectCache* cache = GdiObjectCache::Instance();
    CSelectObject font(dc, cache ? cache->GetFont(fontHeight, "宋体", FW_NORMAL) : nullptr);
    const UINT oldAlign = ::SetTextAlign(dc, align);
    ::SetBkColor(dc, background);
    ::SetTextColor(dc, colour);
    ::TextOutA(dc, x, y, text, static_cast<int>(std::char_traits<char>::length(text)));
    ::SetTextAlign(dc, oldAlign);
    return 1;
}

std::string ResourceText(UINT id, const char* fallback)
{
    char buffer[256];
    const int n = ::LoadStringA(::GetModuleHandleA(nullptr), id, buffer, sizeof(buffer));
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string(fallback);
}

CRealTime::CRealTime()
    : m_owner(nullptr)
    , m_source(&DataCenterViewSource())
    , m_clock(WallClock)
    , m_dataVersion(1)
    , m_chart {}
    , m_mode(kMinuteModeChart)
    , m_panes {}
    , m_price {}
    , m_volume {}
    , m_indicatorPane {}
    , m_cursor(-1)
    , m_indicator(kIndicatorNone)
    , m_page(kPageTicks)
    , m_listPosition(-1)
    , m_sideRowsPerPage(-1)
    , m_sideListStart(-1)
    , m_highPrice(0)
    , m_lowPrice(0)
    , m_crosshair(false)
    , m_mouse { -1, -1 }
    , m_lastPointer { -1, -1 }
    , m_keysInCharge(false)
    , m_flowVersion(0)
    , m_bidAskVersion(0)
    , m_bigOrderVersion(0)
{
}

CRealTime::~CRealTime()
{
    if (m_dataWindow.m_hWnd && ::IsWindow(m_dataWindow.m_hWnd))
        m_dataWindow.DestroyWindow();
}

void CRealTime::SetSource(IViewDataSource* source)
{
    m_source = source ? source : &DataCenterViewSource();
}

void CRealTime::SetClock(MinuteChartClock clock)
{
    m_clock = clock ? clock : MinuteChartClock(WallClock);
}

void CRealTime::SetOwnerWindow(HWND owner)
{
    m_owner = owner;
    m_sidePanel.SetOwnerWindow(owner);
}

void CRealTime::SetDisplay(int mode, int indicator, int page)
{
    SingleLock lock(&m_lock);
    m_mode = mode;
    m_indicator = indicator;
    m_page = page;
    m_listPosition = -1;
    m_sideRowsPerPage = -1;
    m_sideListStart = -1;
    m_cursor = -1;
}

int CRealTime::IsIndexStock()
{
    SingleLock lock(&m_lock);
    return m_snapshot ? m_snapshot->GetStockInfo().IsIndex() : 0;
}

void CRealTime::SetCursorIndex(int index)
{
    SingleLock lock(&m_lock);
    m_cursor = index;
}

uint32_t CRealTime::GetCodeKey()
{
    SingleLock lock(&m_lock);
    return m_snapshot ? m_snapshot->GetCodeKey() : 0;
}

int32_t CRealTime::Now() const
{
    return m_clock();
}

void CRealTime::SetSnapshot(std::unique_ptr<CStock> snapshot)
{
    SingleLock lock(&m_lock);
    m_snapshot = std::move(snapshot);
    ++m_dataVersion;
}

void CRealTime::Reload()
{
    SingleLock data(m_source->DataLock());
    Reload(m_source->GetCurrentCodeKey());
}

void CRealTime::Reload(uint32_t key)
{
    SingleLock data(m_source->DataLock());
    SingleLock lock(&m_lock);
    m_cursor = -1;
    std::unique_ptr<CStock> copy = m_source->CopyStock(key);
    if (!copy)
        return;
    m_snapshot = std::move(copy);
    ++m_dataVersion;
    m_source->RequestStockData(kReloadFlags, 0);
}

void CRealTime::OnStockDataUpdated(uint32_t key, int kind)
{
    SingleLock lock(&m_lock);
    if (!m_snapshot || m_snapshot->GetCodeKey() != key)
        return;
    const int before = m_snapshot->GetMinute().GetCount();
    m_source->RefreshSnapshot(m_snapshot.get(), kind);
    ++m_dataVersion;
    if (m_snapshot->GetMinute().GetCount() != before)
        m_cursor = -1;
}

int CRealTime::ShowOtherStock(int step)
{
    SingleLock data(m_source->DataLock());
    SingleLock lock(&m_lock);
    const bool moved = step < 0 ? m_source->SelectPrevStock() : m_source->SelectNextStock();
    if (!moved)
        return 0;
    std::unique_ptr<CStock> copy = m_source->CopyStock(m_source->GetCurrentCodeKey());
    if (!copy)
        return 0;
    m_snapshot = std::move(copy);
    ++m_dataVersion;
    m_source->RequestStockData(kReloadFlags, 0);
    m_cursor = -1;
    InvalidateOwner(true);
    return 1;
}

int CRealTime::ShowPrevStock()
{
    return ShowOtherStock(-1);
}

int CRealTime::ShowNextStock()
{
    return ShowOtherStock(1);
}

int CRealTime::WaitIdle()
{
    SingleLock lock(&m_lock);
    return 1;
}

void CRealTime::InvalidateOwner(bool erase)
{
    if (m_owner && ::IsWindow(m_owner))
        ::InvalidateRect(m_owner, nullptr, erase ? TRUE : FALSE);
}

void CRealTime::Layout(const RECT& rect)
{
    if (IsEmptyRect(rect))
        return;
    m_chart = rect;
    m_panes = LayoutMinuteChart(rect, m_mode, m_indicator, m_page, m_metrics);
    m_price = MinuteChartPane { m_panes.price, 0, 0 };
    m_volume = MinuteChartPane { m_panes.volume, 0, 0 };
    m_indicatorPane = MinuteChartPane { m_panes.indicator, 0, 0 };
}

void CRealTime::Draw(HDC target, const RECT& rect)
{
    SingleLock lock(&m_lock);
    if (!m_owner || !::IsWindow(m_owner))
        return;
    Layout(rect);
    if (IsEmptyRect(m_chart))
        return;
    std::unique_ptr<CClientDC> ownerDc;
    if (!target) {
        ownerDc.reset(new CClientDC(m_owner));
        target = *ownerDc;
    }
    // The painters work in the owner's client coordinates.
    CMemoryDC memory(target, m_chart);
    if (!static_cast<HDC>(memory))
        return;
    HBRUSH background = GdiObjectCache::Instance() ? GdiObjectCache::Instance()->GetBrush(kBackground) : nullptr;
    if (background)
        ::FillRect(memory, &m_chart, background);
    ::SetBkMode(memory, OPAQUE);

    if (m_snapshot) {
        switch (m_mode) {
        case kMinuteModeChart:
            DrawPriceChart(memory);
            DrawVolumeRatio(memory);
            DrawBidAskStrength(memory);
            DrawFundAnalysis(memory);
            DrawNetFundFlow(memory);
            DrawFundInflow(memory);
            DrawFundOutflow(memory);
            DrawMainRetailGame(memory);
            DrawMainNetFlow(memory);
            DrawBigOrderTracking(memory);
            DrawSidePanel(memory);
            UpdateDataWindow();
            DrawCrosshair(memory);
            break;
        case kMinuteModeTickList:
            UpdateDataWindow();
            m_sidePanel.DrawTickListWindow(memory, m_snapshot.get(), m_chart, m_listPosition);
            break;
        case kMinuteModeMinuteList:
            UpdateDataWindow();
            m_sidePanel.DrawMinuteListWindow(memory, m_snapshot.get(), m_chart, m_listPosition);
            break;
        case kMinuteModeBlank:
            UpdateDataWindow();
            m_sidePanel.DrawBlankMode(memory, m_chart);
            break;
        default:
            UpdateDataWindow();
            break;
        }
    }
}

void CRealTime::DrawSidePanel(HDC dc)
{
    if (m_mode != kMinuteModeChart || IsEmptyRect(m_panes.side)) {
        // A sector list placed by an earlier drawing would stay over the chart.
        m_sidePanel.PlaceSectorList(1, m_panes.side);
        return;
    }
    SidePanelPaint paint;
    paint.dc = dc;
    paint.page = m_page;
    paint.sidePanel = m_panes.side;
    paint.priceArea = m_price.rect;
    paint.stock = m_snapshot.get();
    paint.high = m_highPrice;
    paint.low = m_lowPrice;
    paint.rowsPerPage = &m_sideRowsPerPage;
    paint.listPosition = &m_sideListStart;
    m_sidePanel.DrawPage(paint);
}

int CRealTime::PrevListPage()
{
    // The side panel's lists show their newest rows; nothing moves.
    return 0;
}

int CRealTime::NextListPage()
{
    return 0;
}

int CRealTime::ListRecordCount() const
{
    return m_mode == kMinuteModeTickList ? m_snapshot->GetFenbiData().GetCount()
        : m_mode == kMinuteModeMinuteList ? m_snapshot->GetMinute().GetCount()
                                          : 0;
}

int CRealTime::PrevPage()
{
    SingleLock data(m_source->DataLock());
    SingleLock lock(&m_lock);
    if (m_mode == kMinuteModeChart || !m_snapshot)
        return 0;
    const int count = ListRecordCount();
    if (!PrevListPosition(m_listPosition, count, FullListPageSize(m_chart)))
        return 0;
    Draw(nullptr, m_chart);
    return 1;
}

int CRealTime::NextPage()
{
    SingleLock data(m_source->DataLock());
    SingleLock lock(&m_lock);
    if (m_mode == kMinuteModeChart || !m_snapshot)
        return 0;
    const int count = ListRecordCount();
    NextListPosition(m_listPosition, count, FullListPageSize(m_chart));
    Draw(nullptr, m_chart);
    return 1;
}
