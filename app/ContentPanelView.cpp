#include "app/ContentPanelView.h"

#include <ctime>

#include "skin/SkinCmdBar.h"
#include "win/UpdateUI.h"

std::atomic<uint32_t> CContentPanelView::s_ticks(0);

namespace {

const int32_t kQuickCodeBoardParam = 3;
const int32_t kBoardUserList = 7;
const int32_t kDayPeriod = 6;
const uint32_t kTickRequestFlags = 8;

struct QuickCode
{
    int32_t code;
    int32_t value;
};
// Quick codes of boards (shown sorted by column 3) and of K-line periods.
const QuickCode kBoardCodes[] = { { 60, 6 }, { 61, 0 }, { 63, 1 }, { 69, 4 }, { 612, 5 } };
const QuickCode kPeriodCodes[] = { { 92, 1 }, { 93, 3 }, { 94, 4 }, { 95, 5 }, { 96, 6 }, { 97, 7 }, { 98, 8 },
    { 99, 10 } };

} // namespace

CContentPanelView::CContentPanelView(std::unique_ptr<IContentViewFactory> views,
    std::unique_ptr<IContentPanelServices> services, std::unique_ptr<IMenuCommandServices> menuServices)
    : m_views(views ? std::move(views) : CreateProgramViewFactory())
    , m_services(services ? std::move(services) : CreateProgramPanelServices())
    , m_menuServices(menuServices ? std::move(menuServices) : std::make_unique<CMenuCommandServices>())
    , m_dispatcher(*this, *m_menuServices)
    , m_current(nullptr)
    , m_wizard(&m_hub)
    , m_tabRow(nullptr)
    , m_updateUi(nullptr)
    , m_divisor(6)
{
    // The panel's own numbers come first, in this order.
    for (UINT id : { kViewMsgQuickCode, kViewMsgOpenStock, kViewMsgMenuCommand, kViewMsgOpenStockByText,
             kViewMsgShowIndicator, kViewMsgOpenStockInMode, kViewMsgShowBoard })
        m_hub.Register(id, this);
}

CContentPanelView::~CContentPanelView()
{
    if (IsWindow())
        DestroyWindow();
    DestroyViews();
    m_hub.Clear();
}

int CContentPanelView::Accept(UINT messageId, WPARAM wParam, LPARAM lParam)
{
    switch (messageId) {
    case kViewMsgQuickCode:
        if (CBaseView* view = GetCurrentView())
            if (!HandleQuickCode(static_cast<int32_t>(wParam)))
                view->OnQuickCode(static_cast<int32_t>(wParam));
        break;
    case kViewMsgOpenStock:
        OpenStock(static_cast<uint32_t>(wParam), true);
        break;
    case kViewMsgOpenStockInMode:
        OpenStock(static_cast<uint32_t>(wParam), lParam != 0);
        break;
    case kViewMsgMenuCommand:
        m_dispatcher.OnMenuCommand(static_cast<UINT>(wParam), lParam);
        break;
    case kViewMsgOpenStockByText:
        // The market and the code come as texts.
        OpenStockByText(reinterpret_cast<const char*>(wParam), reinterpret_cast<const char*>(lParam));
        break;
    case kViewMsgShowIndicator:
        ShowChartView(0, static_cast<int32_t>(wParam));
        break;
    case kViewMsgShowBoard:
        ShowReportPage(static_cast<int32_t>(wParam), 0);
        break;
    default:
        break;
    }
    return 1;
}

void CContentPanelView::OnQuotesRefreshed(CReportData* quotes)
{
    CBaseView* view = GetCurrentView();
    if (view && view->GetViewId() == kViewReport)
        view->Accept(kViewMsgQuotesRefreshed, 0, reinterpret_cast<LPARAM>(quotes));
}

void CContentPanelView::OnStockDataUpdated(int kind, uint32_t key)
{
    if (CBaseView* view = GetCurrentView())
        view->Accept(kViewMsgStockDataUpdated, static_cast<WPARAM>(key), static_cast<LPARAM>(kind));
}

// ---------------------------------------------------------------------------
// Views

CBaseView* CContentPanelView::FindView(int32_t id) const
{
    const auto found = m_viewMap.find(id);
    return found == m_viewMap.end() ? nullptr : found->second.window.get();
}

IQuoteListHandle* CContentPanelView::QuoteList() const
{
    const auto found = m_viewMap.find(kViewReport);
    return found == m_viewMap.end() ? nullptr : found->second.quoteList.get();
}

IMinuteChartHandle* CContentPanelView::MinuteChart() const
{
    const auto found = m_viewMap.find(kViewRealTime);
    return found == m_viewMap.end() ? nullptr : found->second.minuteChart.get();
}

IKLineHandle* CContentPanelView::KLine() const
{
    const auto found = m_viewMap.find(kViewStockGraph);
    return found == m_viewMap.end() ? nullptr : found->second.kline.get();
}

CBaseView* CContentPanelView::GetOrCreateView(int32_t id)
{
    if (CBaseView* view = FindView(id))
        return view;
    if (id < kViewReport || id > kViewF10 || !m_hWnd)
        return nullptr;
    ContentView view = m_views->CreateView(id, &m_hub);
    if (!view.window)
        return nullptr;
    const CRect client = GetClientRect();
    if (!view.window->Create(m_hWnd, client, nullptr, WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN)) {
        // Its acceptors were registered with the object: they go with it.
        m_hub.Unregister(view.window.get());
        return nullptr;
    }
    CBaseView* created = view.window.get();
    m_viewMap[id] = std::move(view);
    return created;
}

bool CContentPanelView::IsCurrent(int32_t id) const
{
    CBaseView* view = GetCurrentView();
    return view && view->GetViewId() == id;
}

int32_t CContentPanelView::GetCurrentViewId()
{
    CBaseView* view = GetCurrentView();
    return view ? view->GetViewId() : 0;
}

void CContentPanelView::SwitchView(int32_t id)
{
    ShowView(id, m_services->GetCurrentCodeKey());
}

void CContentPanelView::ShowView(int32_t id, uint32_t key)
{
    CBaseView* view = GetOrCreateView(id);
    CBaseView* old = GetCurrentView();
    if (view && view != old) {
        if (old)
            old->Deactivate();
        view->SetWindowPos(nullptr, GetClientRect(), SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        if (old)
            old->ShowWindow(SW_HIDE);
        m_current.store(view);
    }
    m_divisor = id == kViewReport ? 1 : 6;
    if (id >= kViewRealTime && id <= kViewF10) {
        if (CBaseView* current = GetCurrentView())
            current->Activate(key);
    }
    if (m_tabRow && id >= kViewReport && id - kViewReport < m_tabRow->GetItemCount()) {
        m_tabRow->SelectItem(static_cast<uint32_t>(id), true);
        if (m_tabRow->IsWindow())
            m_tabRow->Invalidate(FALSE);
    }
}

void CContentPanelView::SwitchUnlessCurrent(int32_t id)
{
    if (!IsCurrent(id))
        SwitchView(id);
}

void CContentPanelView::ShowReportPage(int32_t board, int32_t parameter)
{
    SwitchUnlessCurrent(kViewReport);
    IQuoteListHandle* list = QuoteList();
    if (!list)
        return;
    if (board == -1)
        board = list->GetCurrentBoard();
    if (parameter == 0)
        parameter = list->GetBoardParam();
    list->ShowBoard(board, parameter);
}

void CContentPanelView::ShowRealTimeView(int32_t mode, int32_t indicator, int32_t page)
{
    SwitchUnlessCurrent(kViewRealTime);
    if (IMinuteChartHandle* minute = MinuteChart())
        minute->SetDisplay(mode, indicator, page, m_services->GetCurrentCodeKey());
}

int CContentPanelView::ShowChartView(int nextPeriod, int32_t formula)
{
    SwitchUnlessCurrent(kViewStockGraph);
    CBaseView* chart = FindView(kViewStockGraph);
    IKLineHandle* kline = KLine();
    if (!chart || !kline)
        return 0;
    if (nextPeriod == 1)
        kline->NextPeriod();
    else
        kline->SetPeriod(kDayPeriod);
    if (formula == -1)
        return 0;
    return chart->Accept(kViewMsgShowFormula, static_cast<WPARAM>(formula), 0);
}

bool CContentPanelView::ParseStockText(const char* market, const char* code, uint32_t& key)
{
    if (!market || !code)
        return false;
    uint32_t marketBits = 0;
    if (market[0] == 'S' && market[1] == 'H' && market[2] == '\0')
        marketBits = 0;
    else if (market[0] == 'S' && market[1] == 'Z' && market[2] == '\0')
        marketBits = 0x1000000;
    else if (market[0] == 'S' && market[1] == 'B' && market[2] == '\0')
        marketBits = 0x2000000;
    else
        return false;
    // One to six hexadecimal digits, nothing else: a longer text would run
    // into the market bits.
    uint32_t value = 0;
    int digits = 0;
    for (const char* c = code; *c; ++c) {
        int digit = -1;
        if (*c >= '0' && *c <= '9')
            digit = *c - '0';
        else if (*c >= 'A' && *c <= 'F')
            digit = *c - 'A' + 10;
        else if (*c >= 'a' && *c <= 'f')
            digit = *c - 'a' + 10;
        if (digit < 0 || ++digits > 6)
            return false;
        value = value * 16 + static_cast<uint32_t>(digit);
    }
    if (digits == 0)
        return false;
    key = value | marketBits;
    return true;
}

void CContentPanelView::OpenStockByText(const char* market, const char* code)
{
    uint32_t key = 0;
    if (!ParseStockText(market, code, key))
        return;
    const uint32_t shown = MakeCurrent(key);
    ShowView(kViewRealTime, shown);
    if (IMinuteChartHandle* minute = MinuteChart())
        minute->SetDisplay(1, 0, 0, shown);
}

void CContentPanelView::OpenStock(uint32_t key, bool keepMinuteView)
{
    if (keepMinuteView && IsCurrent(kViewRealTime)) {
        const uint32_t shown = MakeCurrent(key);
        if (IMinuteChartHandle* minute = MinuteChart()) {
            minute->SetDisplay(1, 0, 0, shown);
            minute->SetChartCount(1);
        }
        return;
    }
    ShowView(kViewStockGraph, MakeCurrent(key));
}

uint32_t CContentPanelView::MakeCurrent(uint32_t key)
{
    m_services->SetCurrentStock(key);
    return m_services->GetCurrentCodeKey();
}

void CContentPanelView::ShowF10View()
{
    CBaseView* view = GetCurrentView();
    if (!view || view->GetViewId() == kViewF10)
        return;
    uint32_t shown = m_services->GetCurrentCodeKey();
    if (view->GetViewId() == kViewReport && QuoteList()) {
        const int64_t key = QuoteList()->GetSelectedCodeKey();
        if (key >= 0)
            shown = MakeCurrent(static_cast<uint32_t>(key));
    }
    ShowView(kViewF10, shown);
}

void CContentPanelView::ShowBoard(int32_t board)
{
    if (IQuoteListHandle* list = QuoteList())
        list->ShowBoard(board, list->GetBoardParam());
}

int32_t CContentPanelView::GetCurrentBoard()
{
    IQuoteListHandle* list = QuoteList();
    return list ? list->GetCurrentBoard() : 0;
}

void CContentPanelView::SetPeriod(int32_t period)
{
    if (IKLineHandle* kline = KLine())
        kline->SetPeriod(period);
}

void CContentPanelView::NextPeriod()
{
    if (IKLineHandle* kline = KLine())
        kline->NextPeriod();
}

void CContentPanelView::SetAdjustMode(int32_t mode)
{
    if (IKLineHandle* kline = KLine())
        kline->SetAdjustMode(mode);
}

void CContentPanelView::SetSubPaneCount(int32_t count)
{
    if (IKLineHandle* kline = KLine())
        kline->SetSubPaneCount(count);
}

void CContentPanelView::SetMenuCheck(UINT command, bool checked)
{
    if (m_updateUi)
        m_updateUi->UISetCheck(command, checked);
}

void CContentPanelView::SendFrameCommand(UINT command, UINT notifyCode)
{
    const HWND frame = m_hWnd ? ::GetParent(m_hWnd) : nullptr;
    if (frame)
        ::SendMessageA(frame, WM_COMMAND, MAKEWPARAM(command, notifyCode), 0);
}

void CContentPanelView::OnIndicatorCommand(UINT command)
{
    RunIndicatorCommand(command, *this);
}

int CContentPanelView::HandleQuickCode(int32_t code)
{
    for (const QuickCode& board : kBoardCodes) {
        if (board.code == code) {
            ShowReportPage(board.value, kQuickCodeBoardParam);
            return 1;
        }
    }
    for (const QuickCode& period : kPeriodCodes) {
        if (period.code == code) {
            SwitchUnlessCurrent(kViewStockGraph);
            SetPeriod(period.value);
            return 1;
        }
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Keys

bool CContentPanelView::RouteKey(MSG* message)
{
    if (!message)
        return false;
    CBaseView* view = GetCurrentView();
    if (view && view->GetViewId() == kViewStockGraph && KLine())
        KLine()->RelayToolTipEvent(message);
    if (message->message == WM_MOUSEWHEEL)
        return view && view->Accept(kViewMsgMouseWheel, message->wParam, message->lParam) == 1;
    if (message->message != WM_KEYDOWN)
        return false;
    const UINT key = static_cast<UINT>(message->wParam);
    const bool wizardShown = m_wizard.IsWindow() && m_wizard.IsWindowVisible();
    if (m_wizard.IsWindow() && !wizardShown && key != VK_SPACE && CSearchBox::IsWizardKey(key)) {
        m_wizard.AppendChar(key, static_cast<UINT>(message->lParam), 0);
        PlaceSearchBox(true);
        return true;
    }
    if (wizardShown)
        return m_wizard.OnKeyDown(*message) != 0;
    return OnHotKey(key, message->lParam) != 0;
}

int CContentPanelView::ForwardKey(UINT key, LPARAM data)
{
    CBaseView* view = GetCurrentView();
    return view && view->Accept(kViewMsgKeyDown, key, data) == 1 ? 1 : 0;
}

int CContentPanelView::OnHotKey(UINT key, LPARAM data)
{
    CBaseView* view = GetCurrentView();
    const int32_t current = view ? view->GetViewId() : 0;
    switch (key) {
    case VK_RETURN:
        if (!view)
            return 0;
        if (current == kViewRealTime) {
            SwitchView(kViewStockGraph);
            SetPeriod(kDayPeriod);
        } else if (current == kViewStockGraph) {
            ShowRealTimeView(1, 0, 0);
        }
        return ForwardKey(key, data);
    case VK_ESCAPE:
        if (!view)
            return 0;
        if (current != kViewRealTime || (MinuteChart() && MinuteChart()->GetMainChartMode() == 1)) {
            ShowReportPage(-1, 0);
            return 1;
        }
        return ForwardKey(key, data);
    case VK_F1:
        ShowRealTimeView(2, 0, 0);
        return ForwardKey(key, data);
    case VK_F2:
        ShowRealTimeView(3, 0, 0);
        return ForwardKey(key, data);
    case VK_F3:
        OpenStockByText("SH", "1A0001");
        return ForwardKey(key, data);
    case VK_F4:
        OpenStockByText("SZ", "399001");
        return ForwardKey(key, data);
    case VK_F5:
        if (current == kViewRealTime) {
            SwitchView(kViewStockGraph);
            SetPeriod(kDayPeriod);
        } else if (current == kViewReport) {
            // Without a selected row there is no stock to open.
            const int64_t selected = QuoteList() ? QuoteList()->GetSelectedCodeKey() : -1;
            if (selected >= 0)
                m_hub.Dispatch(kViewMsgOpenStock, static_cast<WPARAM>(selected), 0);
        } else {
            ShowRealTimeView(1, 0, 0);
        }
        return 1;
    case VK_F6:
        ShowReportPage(kBoardUserList, 0);
        SwitchView(kViewUserListTab);
        return 1;
    case VK_F11:
        if (current == kViewRealTime || current == kViewStockGraph) {
            const uint32_t stock = m_services->GetCurrentCodeKey();
            if (stock != 0) {
                m_services->AddUserStock(stock);
                m_hub.Dispatch(kViewMsgUserListChanged, 0, 0);
                SendFrameCommand(kCmdSidePanelUserList, kSidePanelStayShown);
            }
        }
        return ForwardKey(key, data);
    case VK_F12:
        ShowReportPage(-1, 0);
        return ForwardKey(key, data);
    default:
        return ForwardKey(key, data);
    }
}

void CContentPanelView::PlaceSearchBox(bool show)
{
    if (!m_wizard.IsWindow())
        return;
    if (!m_wizard.IsWindowVisible() && !show)
        return;
    const CRect client = GetClientRect();
    m_wizard.SetWindowPos(HWND_TOP, client.right - kWizardWidth, client.bottom - kWizardHeight, kWizardWidth,
        kWizardHeight, SWP_SHOWWINDOW);
}

// ---------------------------------------------------------------------------
// Window messages

LRESULT CContentPanelView::OnCreate(UINT, WPARAM, LPARAM, BOOL&)
{
    GetSystemSettings();
    m_services->SetObserver(this);
    if (CBaseView* list = GetOrCreateView(kViewReport))
        list->ShowWindow(SW_HIDE);
    SwitchView(kViewRealTime);
    if (!m_wizard.Create(m_hWnd, CRect(0, 0, kWizardWidth, kWizardHeight), nullptr,
            WS_CHILD | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CLIPCHILDREN))
        return 0;
    m_services->BuildWizardIndex(m_wizard);
    m_wizard.SetHideOnClose(true);
    SetTimer(kRefreshTimer, kRefreshMs);
    return 0;
}

void CContentPanelView::DestroyViews()
{
    // The notices stop first (a running one is waited for), so no worker
    // reaches a view that is about to go.
    if (m_services)
        m_services->SetObserver(nullptr);
    m_current.store(nullptr);
    for (auto& entry : m_viewMap) {
        CBaseView* view = entry.second.window.get();
        if (view->IsWindow()) {
            view->ShowWindow(SW_HIDE);
            view->DestroyWindow();
        }
        m_hub.Unregister(view);
    }
    m_viewMap.clear();
}

LRESULT CContentPanelView::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
{
    KillTimer(kRefreshTimer);
    DestroyViews();
    if (m_wizard.IsWindow())
        m_wizard.DestroyWindow();
    handled = FALSE;
    return 0;
}

LRESULT CContentPanelView::OnSize(UINT, WPARAM, LPARAM, BOOL&)
{
    if (CBaseView* view = GetCurrentView())
        view->SetWindowPos(nullptr, GetClientRect(), SWP_NOZORDER | SWP_NOACTIVATE);
    if (m_wizard.IsWindow() && m_wizard.IsWindowVisible())
        m_wizard.Close();
    return 0;
}

LRESULT CContentPanelView::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& handled)
{
    if (wParam != kRefreshTimer) {
        handled = FALSE;
        return 0;
    }
    const uint32_t tick = s_ticks.fetch_add(1) + 1;
    const int32_t current = GetCurrentViewId();
    if (current == kViewReport) {
        if (m_divisor > 0 && tick % static_cast<uint32_t>(m_divisor) == 0)
            m_services->RequestQuoteRefresh();
    } else if (current == kViewRealTime || current == kViewStockGraph) {
        m_services->RequestStockData(kTickRequestFlags, 0);
    }
    return 0;
}

LRESULT CContentPanelView::OnPassToFrame(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    const HWND frame = ::GetParent(m_hWnd);
    if (!frame) {
        handled = FALSE;
        return 0;
    }
    return ::SendMessageA(frame, message, wParam, lParam);
}
