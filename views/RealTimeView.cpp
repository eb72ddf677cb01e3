#include "views/RealTimeView.h"

#include <commctrl.h>
#include <imm.h>

#include "base/DcGuards.h"
#include "res/resource.h"
#include "views/ViewDataSource.h"

const MinuteIndicatorTab kMinuteIndicatorTabs[10] = {
    { kIndicatorNone, "成交量" },
    { kIndicatorVolumeRatio, "量比" },
    { kIndicatorBidAskStrength, "买卖力道" },
    { kIndicatorFundAnalysis, "资金分析" },
    { kIndicatorNetFundFlow, "资金净流" },
    { kIndicatorFundInflow, "进场资金" },
    { kIndicatorFundOutflow, "离场资金" },
    { kIndicatorMainRetailGame, "主散博弈" },
    { kIndicatorMainNetFlow, "主力资金" },
    { kIndicatorBigOrderTracking, "大单追踪" },
};

const MinutePageTab kMinutePageTabs[7] = {
    { kPageTicks, IDS_SIDE_PAGE_TICKS, "笔" },
    { kPageSectors, IDS_SIDE_PAGE_SECTORS, "板" },
    { kPageVolumeByPrice, IDS_SIDE_PAGE_PRICES, "价" },
    { kPageFinance, IDS_SIDE_PAGE_FINANCE, "财" },
    { kPageOrderSizes, IDS_SIDE_PAGE_ORDERS, "单" },
    { kPageDiagnosis, IDS_SIDE_PAGE_DIAGNOSIS, "诊" },
    { kPageChips, IDS_PAGE_CHIPS, "筹" },
};

namespace {

const COLORREF kTabFill = 0x969696;
const COLORREF kTabText = 0x000000;
const COLORREF kSelectedTabFill = 0x000080;
const COLORREF kSelectedTabText = 0xFFFF80;
const DWORD kStripStyle
    = WS_CHILD | WS_VISIBLE | CSkinFlatTabCtrl::kStyleArrows | CSkinFlatTabCtrl::kStyleBottomTabs;
const int kSidePanelWidth = 280;

bool IsPageLeftOutForIndex(int32_t page)
{
    return page == kPageSectors || page == kPageDiagnosis || page == kPageFinance;
}

int IndicatorTabOf(int indicator)
{
    for (int i = 0; i < 10; ++i) {
        if (kMinuteIndicatorTabs[i].indicator == indicator)
            return i;
    }
    return 0;
}

} // namespace

std::vector<int32_t> MinuteStripPages(bool index)
{
    std::vector<int32_t> pages;
    for (const MinutePageTab& tab : kMinutePageTabs) {
        if (!(index && IsPageLeftOutForIndex(tab.page)))
            pages.push_back(tab.page);
    }
    return pages;
}

CRealTimeView::CRealTimeView(CMessageProcessor* owner)
    : CBaseView(kViewRealTime)
    , m_count(1)
    , m_lastIndicatorTab(-1)
    , m_lastPageTab(-1)
    , m_indexFlag(0)
{
    SetOwnerAndRegister(owner, { kViewMsgChartCount, kViewMsgStockDataUpdated, kViewMsgShowFormula });
}

CRealTimeView::~CRealTimeView()
{
}

void CRealTimeView::SetSource(IViewDataSource* source)
{
    SetDataSource(source);
    for (CRealTime& chart : m_charts)
        chart.SetSource(&Data());
}

void CRealTimeView::SetClock(MinuteChartClock clock)
{
    for (CRealTime& chart : m_charts)
        chart.SetClock(clock);
}

LRESULT CRealTimeView::OnCreate(UINT, WPARAM, LPARAM, BOOL& handled)
{
    handled = FALSE; // the context-menu mix-in sees the creation too
    // The context menu's rows are measured with the system's menu font.
    GetSystemSettings();
    const RECT empty { 0, 0, 0, 0 };
    m_indicatorStrip.Create(m_hWnd, empty, "FlatTab", kStripStyle, 0, kIndicatorStripId);
    m_pageStrip.Create(m_hWnd, empty, "FlatTab", kStripStyle, 0, kPageStripId);
    for (CSkinFlatTabCtrl* strip : { &m_indicatorStrip, &m_pageStrip }) {
        strip->m_unselectedFill = kTabFill;
        strip->m_unselectedText = kTabText;
        strip->m_selectedFill = kSelectedTabFill;
        strip->m_selectedText = kSelectedTabText;
    }
    for (const MinuteIndicatorTab& tab : kMinuteIndicatorTabs)
        m_indicatorStrip.AddItem(0, tab.label);
    m_pageList.clear();
    for (const MinutePageTab& tab : kMinutePageTabs)
        m_pageList.emplace_back(ResourceText(tab.stringId, tab.fallback), tab.page);
    BuildPageStrip(false);
    m_indexFlag = 0;
    for (CRealTime& chart : m_charts)
        chart.SetOwnerWindow(m_hWnd);
    ReloadMainChart();
    // The main frame opens the tips page through its menu dispatcher.
    HWND parent = ::GetParent(m_hWnd);
    HWND frame = parent ? ::GetParent(parent) : nullptr;
    if (frame)
        ::PostMessageA(frame, WM_COMMAND, kTipsPageCommand, reinterpret_cast<LPARAM>(m_hWnd));
    return 0;
}

void CRealTimeView::BuildPageStrip(bool index)
{
    m_lastPageTab = 0;
    m_pageStrip.DeleteAllItems();
    m_stripPages.clear();
    for (const auto& entry : m_pageList) {
        if (index && IsPageLeftOutForIndex(entry.second))
            continue;
        m_pageStrip.AddItem(0, entry.first.c_str());
        m_stripPages.push_back(entry.second);
    }
    CRealTime& main = m_charts[0];
    main.SetDisplay(kMinuteModeChart, main.GetIndicator(), kPageTicks);
    SyncStrips();
    if (m_hWnd)
        Invalidate();
}

void CRealTimeView::SyncStrips()
{
    CRealTime& main = m_charts[0];
    const int page = main.GetPage();
    int pageTab = 0;
    for (size_t i = 0; i < m_stripPages.size(); ++i) {
        if (m_stripPages[i] == page)
            pageTab = static_cast<int>(i);
    }
    const int indicatorTab = IndicatorTabOf(main.GetIndicator());
    m_lastPageTab = pageTab;
    m_lastIndicatorTab = indicatorTab;
    if (m_pageStrip.m_hWnd && m_pageStrip.GetCurSel() != pageTab) {
        m_pageStrip.SetCurSel(pageTab);
        m_pageStrip.Invalidate();
    }
    if (m_indicatorStrip.m_hWnd && m_indicatorStrip.GetCurSel() != indicatorTab) {
        m_indicatorStrip.SetCurSel(indicatorTab);
        m_indicatorStrip.Invalidate();
    }
}

void CRealTimeView::ShowStrips(bool show)
{
    for (CSkinFlatTabCtrl* strip : { &m_indicatorStrip, &m_pageStrip }) {
        if (!strip->m_hWnd)
            continue;
        const bool visible = (::GetWindowLongPtrA(strip->m_hWnd, GWL_STYLE) & WS_VISIBLE) != 0;
        if (visible != show)
            strip->ShowWindow(show ? SW_SHOWNA : SW_HIDE);
    }
}

void CRealTimeView::ReloadMainChart()
{
    ReloadMainChart(Data().GetCurrentCodeKey());
}

void CRealTimeView::ReloadMainChart(uint32_t key)
{
    {
        SingleLock data(Data().DataLock());
        SingleLock lock(&m_lock);
        m_charts[0].Reload(key);
    }
    if (m_hWnd)
        Invalidate();
}

void CRealTimeView::Activate(uint32_t key)
{
    ReloadMainChart(key);
}

int CRealTimeView::Deactivate()
{
    return m_charts[0].WaitIdle();
}

void CRealTimeView::SetChartCount(int count)
{
    if (count != 1 && count != 2 && count != 4 && count != 6 && count != 9)
        return;
    if (count == m_count)
        return;
    m_count = count;
    CRealTime& main = m_charts[0];
    const int mode = main.GetMode();
    const int indicator = main.GetIndicator();
    for (CRealTime& chart : m_charts) {
        if (count == 1)
            chart.SetDisplay(mode, indicator, kPageTicks);
        else
            chart.SetDisplay(kMinuteModeChart, kIndicatorNone, kPageNone);
    }
    SyncStrips();
    if (m_hWnd)
        Invalidate();
}

void CRealTimeView::SetDisplay(int mode, int indicator, int page)
{
    SetDisplay(mode, indicator, page, Data().GetCurrentCodeKey());
}

void CRealTimeView::SetDisplay(int mode, int indicator, int page, uint32_t key)
{
    CRealTime& main = m_charts[0];
    if (indicator == 0)
        indicator = main.GetIndicator();
    if (page == 0)
        page = main.GetPage();
    for (int i = 0; i < m_count; ++i)
        m_charts[i].SetDisplay(mode, indicator, page);
    // The tabs are chosen by the page and indicator they stand for.
    SyncStrips();
    ShowStrips(m_count == 1 && mode == kMinuteModeChart);
    ReloadMainChart(key);
}

void CRealTimeView::OnWheel(WPARAM wParam)
{
    const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
    if (delta > 0)
        OnKeyDown(VK_PRIOR);
    else if (delta < 0)
        OnKeyDown(VK_NEXT);
}

int CRealTimeView::Accept(UINT messageId, WPARAM wParam, LPARAM lParam)
{
    switch (messageId) {
    case kViewMsgKeyDown:
        return OnKeyDown(static_cast<UINT>(wParam));
    case kViewMsgMouseWheel:
        OnWheel(wParam);
        return 0;
    case kViewMsgChartCount:
        SetChartCount(static_cast<int>(wParam));
        return 0;
    case kViewMsgStockDataUpdated:
        // On the replying worker, under the data lock: copy and invalidate only.
        for (int i = 0; i < m_count; ++i)
            m_charts[i].OnStockDataUpdated(static_cast<uint32_t>(wParam), static_cast<int>(lParam));
        if (m_hWnd)
            ::InvalidateRect(m_hWnd, nullptr, FALSE);
        return 0;
    default:
        return 0;
    }
}

int CRealTimeView::OnKeyDown(UINT key)
{
    CRealTime& main = m_charts[0];
    switch (key) {
    case VK_ESCAPE: {
        int used = 0;
        if (main.GetMode() != kMinuteModeChart) {
            SetDisplay(kMinuteModeChart, 0, 0);
            used = 1;
        }
        for (int i = 0; i < m_count; ++i)
            m_charts[i].SetCursorIndex(-1);
        if (m_hWnd)
            Invalidate();
        return used;
    }
    case VK_PRIOR:
        for (int i = 0; i < m_count; ++i) {
            if (main.GetMode() == kMinuteModeChart)
                m_charts[i].ShowPrevStock();
            else
                m_charts[i].PrevPage();
        }
        return 1;
    case VK_NEXT:
        for (int i = 0; i < m_count; ++i) {
            if (main.GetMode() == kMinuteModeChart)
                m_charts[i].ShowNextStock();
            else
                m_charts[i].NextPage();
        }
        return 1;
    case VK_LEFT:
        for (int i = 0; i < m_count; ++i)
            m_charts[i].CursorLeft();
        return 1;
    case VK_RIGHT:
        for (int i = 0; i < m_count; ++i)
            m_charts[i].CursorRight();
        return 1;
    case VK_HOME:
        for (int i = 0; i < m_count; ++i)
            m_charts[i].CursorHome();
        return 1;
    case VK_END:
        for (int i = 0; i < m_count; ++i)
            m_charts[i].CursorEnd();
        return 1;
    case VK_UP:
        for (int i = 0; i < m_count; ++i)
            m_charts[i].PrevListPage();
        return 1;
    case VK_DOWN:
        for (int i = 0; i < m_count; ++i)
            m_charts[i].NextListPage();
        return 1;
    default:
        return 1;
    }
}

LRESULT CRealTimeView::OnSize(UINT, WPARAM, LPARAM, BOOL&)
{
    const RECT client = GetClientRect();
    const int split = client.right - kSidePanelWidth;
    if (m_indicatorStrip.m_hWnd)
        m_indicatorStrip.SetWindowPos(nullptr, 0, client.bottom - kStripHeight, split > 0 ? split : 0,
            kStripHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    if (m_pageStrip.m_hWnd)
        m_pageStrip.SetWindowPos(nullptr, split, client.bottom - kStripHeight, kSidePanelWidth, kStripHeight,
            SWP_NOZORDER | SWP_NOACTIVATE);
    Invalidate();
    return 0;
}

void CRealTimeView::Paint(HDC dc)
{
    SingleLock data(Data().DataLock());
    SingleLock lock(&m_lock);
    RECT rect = GetClientRect();
    CRealTime& main = m_charts[0];
    if (main.GetMode() == kMinuteModeChart) {
        ShowStrips(true);
        const int index = main.IsIndexStock() ? 1 : 0;
        if (index != m_indexFlag) {
            BuildPageStrip(index != 0);
            m_indexFlag = index;
        }
        rect.bottom -= kStripHeight;
    } else {
        ShowStrips(false);
    }
    RECT cells[kChartCount];
    const int n = LayoutChartGrid(m_count, rect, cells);
    for (int i = 0; i < n; ++i)
        m_charts[i].Draw(dc, cells[i]);
}

LRESULT CRealTimeView::OnPaint(UINT msg, WPARAM wParam, LPARAM, BOOL&)
{
    if (msg == WM_PRINTCLIENT) {
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    }
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    if (dc)
        Paint(dc);
    ::EndPaint(m_hWnd, &ps);
    return 0;
}

void CRealTimeView::OnIndicatorTabChanged()
{
    const int tab = m_indicatorStrip.GetCurSel();
    if (tab != m_lastIndicatorTab && tab >= 0 && tab < 10) {
        m_lastIndicatorTab = tab;
        CRealTime& main = m_charts[0];
        const int mode = main.GetMode();
        const int page = main.GetPage();
        for (int i = 0; i < m_count; ++i)
            m_charts[i].SetDisplay(mode, kMinuteIndicatorTabs[tab].indicator, page);
    }
    Invalidate();
}

void CRealTimeView::OnPageTabChanged()
{
    const int tab = m_pageStrip.GetCurSel();
    if (tab != m_lastPageTab && tab >= 0 && tab < static_cast<int>(m_stripPages.size())) {
        m_lastPageTab = tab;
        CRealTime& main = m_charts[0];
        main.SetDisplay(kMinuteModeChart, main.GetIndicator(), m_stripPages[static_cast<size_t>(tab)]);
    }
    Invalidate();
}

void CRealTimeView::OnSectorDoubleClick(const NMHDR* header)
{
    const NMITEMACTIVATE* item = reinterpret_cast<const NMITEMACTIVATE*>(header);
    if (item->iItem < 0)
        return;
    LVITEMA lv {};
    lv.mask = LVIF_PARAM;
    lv.iItem = item->iItem;
    if (!::SendMessageA(header->hwndFrom, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&lv)))
        return;
    const int64_t group = static_cast<int64_t>(lv.lParam);
    if (group >= 0 && GetOwner())
        GetOwner()->Dispatch(kViewMsgShowBoard, static_cast<WPARAM>(group), 0);
}

LRESULT CRealTimeView::OnNotify(UINT, WPARAM, LPARAM lParam, BOOL& handled)
{
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!header) {
        handled = FALSE;
        return 0;
    }
    if (header->code == TCN_SELCHANGE && header->idFrom == kIndicatorStripId) {
        OnIndicatorTabChanged();
        return 0;
    }
    if (header->code == TCN_SELCHANGE && header->idFrom == kPageStripId) {
        OnPageTabChanged();
        return 0;
    }
    if (header->code == NM_DBLCLK && header->idFrom == CQuoteSidePanel::kSectorListId) {
        OnSectorDoubleClick(header);
        handled = FALSE; // the list still sees its reflected notice
        return 0;
    }
    handled = FALSE;
    return 0;
}

void CRealTimeView::OnMouseMove(UINT, CPoint point, BOOL&)
{
    m_charts[0].OnMouseMove(POINT { point.x, point.y });
}

void CRealTimeView::OnLButtonDown(UINT, CPoint point, BOOL&)
{
    ::ImmDisableIME(::GetCurrentThreadId());
    for (int i = 0; i < m_count; ++i)
        m_charts[i].OnMouseMove(POINT { point.x, point.y }, true);
}

void CRealTimeView::OnLButtonDblClk(UINT, CPoint point, BOOL&)
{
    for (int i = 0; i < m_count; ++i)
        m_charts[i].OnLButtonDblClk(POINT { point.x, point.y });
}

void CRealTimeView::OnRButtonUp(UINT, CPoint point, BOOL&)
{
    POINT screen { point.x, point.y };
    ::ClientToScreen(m_hWnd, &screen);
    TrackViewContextMenu(screen, true);
}
