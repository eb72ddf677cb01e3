#include "views/StockGraphView.h"

#include "base/ChartColors.h"
#include "base/DataPaths.h"
#include "base/GdiObjectCache.h"
#include "base/UnicodeString.h"
#include "formula/FormulaDefinition.h"
#include "formula/FormulaLibrary.h"
#include "views/QuoteSidePanel.h"
#include "views/ViewOptions.h"
#include "win/DoubleBuffer.h"
#include "win/Gdi.h"
#include "win/PageOpener.h"

#include <imm.h>
#include <commctrl.h>

namespace {

const COLORREF kTabUnselectedFill = 0x969696;
const COLORREF kTabUnselectedText = 0x000000;
const COLORREF kTabSelectedFill = 0x000080;
const COLORREF kTabSelectedText = 0xFFFF80;

std::string PaneConfigPath(const std::string& given)
{
    if (!given.empty())
        return given;
    DataPaths* paths = DataPaths::Instance();
    return paths ? paths->GetTechWinConfFile() : std::string();
}

std::string ShowName(int32_t number)
{
    const FormulaLibrary* library = FormulaLibrary::Instance();
    const FormulaDefinition* definition = library ? library->FindByNumber(number) : nullptr;
    if (!definition)
        return std::string();
    return WideToMultiByteString(definition->showname);
}

void ColourTabs(CSkinFlatTabCtrl& tabs)
{
    tabs.m_unselectedFill = kTabUnselectedFill;
    tabs.m_unselectedText = kTabUnselectedText;
    tabs.m_selectedFill = kTabSelectedFill;
    tabs.m_selectedText = kTabSelectedText;
}

}

CStockGraphView::CStockGraphView(CMessageProcessor* owner, IViewDataSource& source, const std::string& paneConfigPath,
    const std::string& indicatorListPath)
    : CBaseView(kViewStockGraph, &source)
    , m_chart(*ViewOptions::Instance(), source, PaneConfigPath(paneConfigPath))
    , m_lastIndicatorTab(-1)
    , m_lastPageTab(-1)
    , m_lastSyncedNumber(-1)
    , m_lastIndexFlag(0)
    , m_indicatorListPath(indicatorListPath)
{
    SetOwnerAndRegister(owner, { kViewMsgKeyDown, kViewMsgMouseWheel, kViewMsgStockDataUpdated, kViewMsgShowFormula });
}

CStockGraphView::~CStockGraphView() = default;

int CStockGraphView::Deactivate()
{
    // A worker inside the chart (a data update, a paint) finishes first.
    SingleLock barrier(&m_chart.GetLock());
    return 1;
}

void CStockGraphView::Activate(uint32_t key)
{
    m_chart.Reload(key);
    if (m_hWnd)
        Invalidate(FALSE);
}

int CStockGraphView::Accept(UINT messageId, WPARAM wParam, LPARAM lParam)
{
    switch (messageId) {
    case kViewMsgKeyDown:
        OnKeyDown(static_cast<UINT>(wParam));
        return 1;
    case kViewMsgMouseWheel:
        OnWheel(wParam);
        return 1;
    case kViewMsgShowFormula:
        m_chart.ShowFormula(static_cast<int>(wParam));
        if (m_hWnd)
            Invalidate(FALSE);
        return 1;
    case kViewMsgStockDataUpdated:
        // On the download worker, under the data lock: the chart copies under
        // its own lock, and the window only learns it must repaint.
        m_chart.OnDataArrived(static_cast<uint32_t>(wParam), static_cast<int>(lParam));
        if (m_hWnd)
            ::InvalidateRect(m_hWnd, nullptr, FALSE);
        return 1;
    default:
        return 1;
    }
}

void CStockGraphView::OnKeyDown(UINT key)
{
    if (key == VK_F8) {
        NextPeriod();
        return;
    }
    m_chart.OnKeyDown(key, (::GetKeyState(VK_CONTROL) & 0x8000) != 0);
}

void CStockGraphView::OnWheel(WPARAM wParam)
{
    const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
    if (delta > 0)
        m_chart.PreviousStock();
    else if (delta < 0)
        m_chart.NextStock();
}

int CStockGraphView::SetPeriod(int period)
{
    if (period == m_chart.GetPeriod())
        return period;
    m_chart.SetPeriod(period);
    return 0;
}

int CStockGraphView::NextPeriod()
{
    return SetPeriod(kline::NextPeriod(m_chart.GetPeriod()));
}

void CStockGraphView::SetAdjustMode(int mode)
{
    m_chart.SetAdjustMode(mode);
}

int CStockGraphView::SetSubPaneCount(int count)
{
    if (count == ViewOptions::Instance()->GetSubPaneCount())
        return count;
    m_chart.SetSubPaneCount(count, -1);
    return 0;
}

int CStockGraphView::RelayToolTipEvent(MSG* message)
{
    if (m_toolTip.m_hWnd && message)
        m_toolTip.RelayEvent(message);
    return 0;
}

LRESULT CStockGraphView::OnCreate(UINT, WPARAM, LPARAM, BOOL& handled)
{
    handled = FALSE;
    // The context menu's rows are measured with the system's menu font.
    GetSystemSettings();
    HGDIOBJ font = ::GetStockObject(DEFAULT_GUI_FONT) ? ::GetStockObject(ANSI_VAR_FONT) : nullptr;
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    m_chart.SetOwner(m_hWnd);
    m_chart.SetHelpOpener([](const std::string& url) { OpenPageWithShell(url, SW_SHOWNORMAL); });

    const RECT none {};
    const DWORD tabStyle = WS_CHILD | WS_VISIBLE | CSkinFlatTabCtrl::kStyleArrows | CSkinFlatTabCtrl::kStyleBottomTabs;
    m_indicatorTabs.Create(
        m_hWnd, none, "FlatTab", tabStyle | CSkinFlatTabCtrl::kStyleFirstLast, 0, kIndicatorTabsId);
    ColourTabs(m_indicatorTabs);
    m_indicatorTabs.AddItem(0, "设置");
    RefreshIndicatorTabs();
    m_pageTabs.Create(m_hWnd, none, "FlatTab", tabStyle, 0, kPageTabsId);
    ColourTabs(m_pageTabs);
    FillPageTabs(false);

    m_toolTip.Create(m_hWnd, TTS_ALWAYSTIP | TTS_NOPREFIX);
    if (m_toolTip.m_hWnd) {
        ::SetWindowPos(m_toolTip.m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        m_toolTip.SetMaxTipWidth(200);
        m_toolTip.SendMessage(TTM_SETDELAYTIME, TTDT_INITIAL, 0);
    }
    return 0;
}

void CStockGraphView::OnSize(UINT, CSize client, BOOL& handled)
{
    handled = FALSE;
    const int w = client.cx;
    const int h = client.cy;
    if (m_indicatorTabs.m_hWnd)
        m_indicatorTabs.SetWindowPos(nullptr, 0, h - kStripHeight, std::max(0, w - kline::kSidePanelWidth),
            kStripHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    if (m_pageTabs.m_hWnd)
        m_pageTabs.SetWindowPos(nullptr, w - kline::kSidePanelWidth, h - kStripHeight, kline::kSidePanelWidth,
            kStripHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    Invalidate(FALSE);
}

void CStockGraphView::RefreshIndicatorTabs()
{
    m_lastIndicatorTab = 0;
    while (m_indicatorTabs.GetItemCount() > 1)
        m_indicatorTabs.DeleteItem(1);
    const std::string path = !m_indicatorListPath.empty()
        ? m_indicatorListPath
        : (DataPaths::Instance() ? DataPaths::Instance()->GetShowFormulaFile() : std::string());
    m_indicatorNumbers = kline::LoadIndicatorNumbers(path);
    for (int32_t number : m_indicatorNumbers) {
        const std::string name = ShowName(number);
        if (!name.empty())
            m_indicatorTabs.AddItem(0, name.c_str());
    }
}

void CStockGraphView::FillPageTabs(bool index)
{
    m_lastPageTab = 0;
    m_pageTabs.DeleteAllItems();
    m_pages = kline::PagesFor(index);
    for (const kline::SidePage& page : m_pages) {
        char caption[32];
        const int length = ::LoadStringA(::GetModuleHandle(nullptr), page.captionId, caption, sizeof caption);
        m_pageTabs.AddItem(0, length > 0 ? caption : page.caption);
    }
    m_chart.SetSidePanelPage(kline::DefaultSidePage(index));
    if (m_hWnd)
        Invalidate(FALSE);
}

void CStockGraphView::OnPaint(HDC given, BOOL&)
{
    PaintDoubleBuffered(m_hWnd, WM_PAINT, reinterpret_cast<WPARAM>(given),
        [this](HDC dc, const RECT& client) { DoPaint(dc, client); });
}

LRESULT CStockGraphView::OnPrintClient(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    return PaintDoubleBuffered(
        m_hWnd, WM_PRINTCLIENT, wParam, [this](HDC dc, const RECT& client) { DoPaint(dc, client); });
}

void CStockGraphView::DoPaint(HDC dc, const RECT& client)
{
    GdiObjectCache* cache = GdiObjectCache::Instance();
    ::FillRect(dc, &client, cache ? cache->GetBrush(ChartColors::Background)
                                  : static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    RECT chart = client;
    chart.bottom -= kStripHeight;
    m_chart.Paint(dc, chart);
    const int index = m_chart.IsIndexShown() ? 1 : 0;
    if (index != m_lastIndexFlag) {
        FillPageTabs(index != 0);
        m_lastIndexFlag = index;
    }
    const int number = m_chart.GetSelectedPaneNumber();
    if (number != -1 && number != m_lastSyncedNumber) {
        m_lastSyncedNumber = number;
        const std::string name = ShowName(number);
        // The selected pane's tab is the choice a click is compared with; a
        // pane whose indicator has no tab leaves every tab to be chosen.
        m_lastIndicatorTab = -1;
        for (int i = 1; i < m_indicatorTabs.GetItemCount() && !name.empty(); ++i) {
            const char* title = m_indicatorTabs.GetItem(i);
            if (title && name == title) {
                m_indicatorTabs.SetCurSel(i);
                m_lastIndicatorTab = i;
                break;
            }
        }
    }
}

void CStockGraphView::OnMouseMove(UINT, CPoint point, BOOL&)
{
    m_chart.OnMouseMove(point.x, point.y);
}

void CStockGraphView::OnLButtonDown(UINT, CPoint point, BOOL&)
{
    ::ImmDisableIME(::GetCurrentThreadId());
    m_chart.OnLButtonDown(point.x, point.y, 0, 0);
}

void CStockGraphView::OnLButtonUp(UINT, CPoint point, BOOL&)
{
    m_chart.OnLButtonUp(point.x, point.y);
}

void CStockGraphView::OnLButtonDblClk(UINT, CPoint point, BOOL&)
{
    m_chart.OnLButtonDblClk(point.x, point.y);
}

void CStockGraphView::OnRButtonUp(UINT, CPoint point, BOOL&)
{
    POINT screen = point;
    ::ClientToScreen(m_hWnd, &screen);
    TrackViewContextMenu(screen, true);
}

LRESULT CStockGraphView::OnNotify(UINT, WPARAM, LPARAM lParam, BOOL& handled)
{
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!header)
        return 0;
    if (header->idFrom == kIndicatorTabsId && header->code == static_cast<UINT>(TCN_SELCHANGE)) {
        const int i = m_indicatorTabs.GetCurSel();
        if (i == 0) {
            if (m_openIndicatorManager)
                m_openIndicatorManager(::GetActiveWindow() ? ::GetActiveWindow() : m_hWnd);
            RefreshIndicatorTabs();
        } else if (i > 0 && i != m_lastIndicatorTab) {
            m_lastIndicatorTab = i;
            const char* title = m_indicatorTabs.GetItem(i);
            const FormulaLibrary* library = FormulaLibrary::Instance();
            const int32_t number = title && library ? library->NumberByShowName(MultiByteToWideString(title)) : 0;
            m_chart.ShowFormula(number);
            m_chart.SetSelectedPaneNumber(number);
        }
    } else if (header->idFrom == kPageTabsId && header->code == static_cast<UINT>(TCN_SELCHANGE)) {
        const int i = m_pageTabs.GetCurSel();
        if (i != m_lastPageTab) {
            m_lastPageTab = i;
            const char* title = m_pageTabs.GetItem(i);
            for (const kline::SidePage& page : m_pages) {
                char caption[32];
                const int length = ::LoadStringA(::GetModuleHandle(nullptr), page.captionId, caption, sizeof caption);
                if (title && std::string(length > 0 ? caption : page.caption) == title)
                    m_chart.SetSidePanelPage(page.page);
            }
        }
        Invalidate(FALSE);
    } else if (header->idFrom == CQuoteSidePanel::kSectorListId) {
        if (header->code == static_cast<UINT>(NM_DBLCLK)) {
            const NMITEMACTIVATE* activate = reinterpret_cast<const NMITEMACTIVATE*>(lParam);
            LVITEMA item {};
            item.mask = LVIF_PARAM;
            item.iItem = activate->iItem;
            if (activate->iItem >= 0
                && ::SendMessageA(header->hwndFrom, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))
                && item.lParam >= 0 && GetOwner())
                GetOwner()->Dispatch(kViewMsgShowBoard, static_cast<WPARAM>(item.lParam), 0);
        }
        // The list draws its own rows through its custom-draw notices: they
        // go back to it reflected (the base map), or the list view paints
        // them in its default colours over the panel's dark background.
        handled = FALSE;
    }
    return 0;
}

LRESULT CStockGraphView::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
{
    handled = FALSE;
    if (m_toolTip.m_hWnd)
        m_toolTip.DestroyWindow();
    return 0;
}

LRESULT CStockGraphView::OnToolTipText(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    const char* text = reinterpret_cast<const char*>(wParam);
    if (!m_toolTip.m_hWnd)
        return 1;
    if (!m_toolTip.IsWindowVisible() && !text)
        return 1;
    m_toolTipText = text ? text : "";
    if (lParam && m_toolTipText.empty()) {
        m_toolTip.Activate(false);
    } else if (!m_toolTipText.empty()) {
        m_toolTip.Activate(true);
        if (m_toolTip.GetToolCount() == 0)
            m_toolTip.AddTool(m_hWnd, 0, m_toolTipText.c_str());
        else
            m_toolTip.UpdateTipText(m_hWnd, 0, m_toolTipText.c_str());
    }
    return 1;
}
