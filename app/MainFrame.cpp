#include "app/MainFrame.h"
#include "app/AboutDlg.h"
#include "app/MenuCommandDispatcher.h"
#include "app/ShellConstants.h"
#include "base/DataPaths.h"
#include "base/GdiObjectCache.h"
#include "base/ImageUtil.h"
#include "net/ServiceBaseUrl.h"
#include "views/ViewOptions.h"
#include "win/AppModule.h"

namespace {

HBITMAP LoadSkinImage(const char* name)
{
    return LoadImageFromResource(DataPaths::Instance()->GetSkinFile(name).c_str(), "PNG");
}

DarkBarButton BarButton(uint32_t command, const char* caption, const char* tooltip, bool dropdown = false)
{
    DarkBarButton button;
    button.command = command;
    button.caption = caption;
    button.tooltip = tooltip;
    button.dropdown = dropdown ? 1 : 0;
    return button;
}

// Status-bar panes of the four indexes.
struct IndexPane
{
    WPARAM pane;
    const char* market;
    const char* code;
};
const IndexPane kIndexPanes[] = {
    { 5020, "SH", "1A0001" },
    { 5021, "SZ", "399001" },
    { 5022, "SZ", "399005" },
    { 5023, "SZ", "399006" },
};

}

CMainFrame::CMainFrame()
    : m_releaseSteps(ApplicationReleaseSteps())
    , m_launchPage(&OpenPageInBrowser)
{
}

CMainFrame::~CMainFrame()
{
    if (IsWindow())
        DestroyWindow();
}

void CMainFrame::SetParts(std::unique_ptr<IFrameContent> content, std::unique_ptr<IFrameSidePanel> sidePanel,
    std::unique_ptr<IFramePoller> poller)
{
    if (content)
        m_content = std::move(content);
    if (sidePanel)
        m_sidePanel = std::move(sidePanel);
    if (poller)
        m_poller = std::move(poller);
}

bool CMainFrame::IsSidePanelVisible() const
{
    return m_sidePanel && m_sidePanel->GetWindow() && ::IsWindowVisible(m_sidePanel->GetWindow());
}

bool CMainFrame::CreateFrameWindow()
{
    return Create(nullptr, CRect(0, 0, kMinimumWidth, kMinimumHeight)) != nullptr;
}

int CMainFrame::GetMenuItemImage(UINT command) const
{
    return MainFrameMenuImage(command);
}

UINT CMainFrame::DropDownMenuOf(UINT command)
{
    switch (command) {
    case 3501:
        return IDR_MAIN_INDICATORS;
    case 3502:
        return IDR_ADJUSTMENT;
    case 3503:
        return IDR_SPECIAL_INDICATORS;
    case 3504:
        return IDR_PERIODS;
    case 3505:
        return IDR_STOCK_POOLS;
    default:
        return 0;
    }
}

LRESULT CMainFrame::OnCreate(UINT, WPARAM, LPARAM, BOOL&)
{
    m_ncDraw.Attach(m_hWnd, 3);
    m_ncDraw.EnableCaptionMenu(true);
    m_ncDraw.SetCaptionTextColor(RGB(192, 0, 0));
    GetSystemSettings();
    GetMenuPainter().LoadImages(::GetModuleHandleA(nullptr), IDB_MENU_IMAGES);
    m_ncDraw.LoadCaptionMenu(IDR_MAINFRAME);
    LoadAccelerators(IDR_MAINFRAME);

    CreateCommandBar();
    CreateTabRow();
    ModifyStyle(0, WS_CLIPCHILDREN | WS_THICKFRAME);
    CreateBottomBars();

    if (!m_poller)
        m_poller = CreateFramePoller(m_bottomBar.GetTicker(), m_statusBar);

    if (!m_content)
        m_content = CreateFrameContent();
    m_hWndClient = m_content->Create(m_hWnd, this, &m_tabRow);

    if (!m_sidePanel)
        m_sidePanel = CreateFrameSidePanel();
    m_sidePanel->Create(m_hWnd, m_content->GetMessageProcessor());

    SetWindowText(kMainWindowTitle);
    CenterWindow();
    m_relogin = false;

    if (CMessageLoop* loop = CAppModule::Get().GetMessageLoop()) {
        loop->AddMessageFilter(this);
        loop->AddIdleHandler(this);
    }
    UISetCheck(kCmdAdjustNone, true);
    if (m_poller)
        m_poller->Start();
    return 0;
}

void CMainFrame::CreateCommandBar()
{
    DarkBarImages images;
    images.right = LoadSkinImage("barbutton_right.png");
    images.middle = LoadSkinImage("barbutton_middle.png");
    images.left = LoadSkinImage("barbutton_left.png");
    images.background = LoadSkinImage("Bar.png");
    m_commandBar.SetImages(images);
    m_commandBar.Create(m_hWnd, CRect(0, 0, 0, 0), nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN);
    const DarkBarButton buttons[] = {
        BarButton(kCmdTechnicalAnalysis, "技术分析", "技术分析"),
        BarButton(kCmdRealTimeAnalysis, "即时分析", "即时分析"),
        BarButton(4083, "报价分析", "报价分析"),
        BarButton(kCmdCompanyInfo, "F10", "公司信息"),
        BarButton(4017, "股票诊断", "股票诊断"),
        BarButton(4147, "大盘决策", "大盘决策"),
        BarButton(3505, "股票池", "选股池", true),
        BarButton(3502, "除权", "复权处理", true),
        BarButton(3504, "分析周期", "K线周期", true),
        BarButton(kCmdUserStocks, "自选股", "自选股管理"),
        BarButton(3501, "主图指标", "主图指标", true),
    };
    for (const DarkBarButton& button : buttons)
        m_commandBar.AddButton(button);
}

void CMainFrame::CreateTabRow()
{
    m_tabRow.AddItem(kViewReport, "报价分析");
    m_tabRow.AddItem(kViewRealTime, "即时分析");
    m_tabRow.AddItem(kViewStockGraph, "技术分析");
    m_tabRow.AddItem(kViewF10, "基本资料");
    m_tabRow.AddItem(kViewUserListTab, "自选股票");
    m_tabRow.SetImages(LoadSkinImage("VTabRow.png"));
    m_tabRow.SetVertical(true);
    m_tabRow.Create(m_hWnd, CRect(0, 0, 0, 0), nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN);
    m_tabRow.CreatePanelButtons(LoadSkinImage("ShowLeft.png"), LoadSkinImage("ShowRight.png"));
    m_tabRow.SelectItem(kViewRealTime, true);
}

void CMainFrame::CreateBottomBars()
{
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    m_statusBar.SetBackground("statusbarbkgnd.png");
    m_statusBar.Create(m_hWnd, CRect(0, 0, 0, 0), nullptr, style);

    const std::string base = ServiceBaseUrl::Get();
    m_bottomBar.SetBackground("scrollbarbkgnd.png");
    m_bottomBar.SetFirstLink(base, "访问Kelo财经网", LoadSkinImage("arrow1.png"));
    m_bottomBar.AddFirstLinkIcon(LoadSkinImage("arrow2.png"));
    m_bottomBar.AddFirstLinkIcon(LoadSkinImage("arrow3.png"));
    m_bottomBar.SetSecondLink(base + MenuCommandDispatcher::kChatPagePath, "在线咨询");
    m_bottomBar.GetTicker().SetTextColour(RGB(0, 0, 255));
    m_bottomBar.GetTicker().SetInterval(20);
    m_bottomBar.Create(m_hWnd, CRect(0, 0, 0, 0), nullptr, style);
    if (m_bottomBar.GetTicker().IsWindow())
        m_bottomBar.GetTicker().SetTickerFont(GdiObjectCache::Instance()->GetFont(12, "宋体", 400));

    m_statusBar.SetClickMessage(kFrameStatusPaneClicked);
}

LRESULT CMainFrame::OnDestroy(UINT, WPARAM, LPARAM, BOOL&)
{
    RunShellTeardown(
        [this] {
            if (CMessageLoop* loop = CAppModule::Get().GetMessageLoop()) {
                loop->RemoveMessageFilter(this);
                loop->RemoveIdleHandler(this);
            }
        },
        [this] {
            if (m_poller)
                m_poller->Stop();
        },
        [this] {
            // The views save the user's choices through the view options and
            // the formula library: they go while both still stand.
            if (m_sidePanel && m_sidePanel->GetWindow())
                ::DestroyWindow(m_sidePanel->GetWindow());
            if (m_content && m_content->GetWindow())
                ::DestroyWindow(m_content->GetWindow());
            m_hWndClient = nullptr;
        },
        m_releaseSteps);
    // A top-level frame ends the thread's message loop with 1.
    if (!GetParent())
        ::PostQuitMessage(1);
    return 0;
}

LRESULT CMainFrame::OnSize(UINT, WPARAM wp, LPARAM, BOOL&)
{
    if (wp != SIZE_MINIMIZED)
        UpdateLayout(true);
    return 0;
}

void CMainFrame::UpdateLayout(bool repaint)
{
    const CRect client = GetClientRect();
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW);
    auto place = [flags](HWND window, int left, int top, int right, int bottom) {
        if (window)
            ::SetWindowPos(window, nullptr, left, top, right - left, bottom - top, flags);
    };
    int top = client.top;
    int bottom = client.bottom;
    if (m_commandBar.IsWindow()) {
        place(m_commandBar, client.left, top, client.right, top + m_commandBar.GetBarHeight());
        top += m_commandBar.GetBarHeight();
    }
    if (m_statusBar.IsWindow()) {
        place(m_statusBar, client.left, bottom - m_statusBar.GetBarHeight(), client.right, bottom);
        bottom -= m_statusBar.GetBarHeight();
    }
    if (m_bottomBar.IsWindow()) {
        place(m_bottomBar, client.left, bottom - m_bottomBar.GetBarHeight(), client.right, bottom);
        bottom -= m_bottomBar.GetBarHeight();
    }
    if (bottom < top)
        bottom = top;
    int left = client.left;
    if (IsSidePanelVisible()) {
        place(m_sidePanel->GetWindow(), left, top, left + kSidePanelWidth, bottom);
        left += kSidePanelWidth;
    }
    if (m_tabRow.IsWindow()) {
        place(m_tabRow, left, top, left + m_tabRow.GetBarWidth(), bottom);
        left += m_tabRow.GetBarWidth();
    }
    place(m_hWndClient, left, top, client.right > left ? client.right : left, bottom);
    Invalidate(FALSE);
}

LRESULT CMainFrame::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lp, BOOL&)
{
    MINMAXINFO* info = reinterpret_cast<MINMAXINFO*>(lp);
    info->ptMinTrackSize.x = kMinimumWidth;
    info->ptMinTrackSize.y = kMinimumHeight;
    info->ptMaxPosition.x = 0;
    info->ptMaxPosition.y = 0;
    RECT work = {};
    if (::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) {
        info->ptMaxTrackSize.x = work.right - work.left;
        info->ptMaxTrackSize.y = work.bottom - work.top;
    }
    return 0;
}

LRESULT CMainFrame::OnOpenIndex(UINT, WPARAM wp, LPARAM, BOOL&)
{
    for (const IndexPane& pane : kIndexPanes)
        if (pane.pane == wp && m_content)
            m_content->OpenStockByText(pane.market, pane.code);
    return 0;
}

LRESULT CMainFrame::OnViewTab(WORD, WORD id, HWND, BOOL&)
{
    if (!m_content)
        return 0;
    if (id == kViewReport)
        m_content->Accept(kViewMsgMenuCommand, 4083, 0);
    else if (id == kViewUserListTab)
        m_content->Accept(kViewMsgMenuCommand, kCmdUserStocks, 0);
    else
        m_content->SwitchView(id);
    return 0;
}

LRESULT CMainFrame::OnToggleSidePanel(WORD notifyCode, WORD id, HWND, BOOL&)
{
    if (!m_sidePanel || !m_sidePanel->GetWindow())
        return 0;
    const bool fromArrows = id == CSkinCmdBar::kPanelToggleCommand;
    if (IsSidePanelVisible() && notifyCode < 1000) {
        ::ShowWindow(m_sidePanel->GetWindow(), SW_HIDE);
        if (!fromArrows && m_tabRow.GetPanelButton(0).IsWindow()) {
            m_tabRow.GetPanelButton(0).ShowWindow(SW_SHOW);
            m_tabRow.GetPanelButton(1).ShowWindow(SW_HIDE);
        }
    } else {
        if (!fromArrows && m_tabRow.GetPanelButton(0).IsWindow()) {
            m_tabRow.GetPanelButton(0).ShowWindow(SW_HIDE);
            m_tabRow.GetPanelButton(1).ShowWindow(SW_SHOW);
        }
        ::ShowWindow(m_sidePanel->GetWindow(), SW_SHOW);
        m_sidePanel->OnTabCommand(id);
    }
    UpdateLayout(true);
    return 0;
}

LRESULT CMainFrame::OnClose(WORD, WORD, HWND, BOOL&)
{
    PostMessage(WM_CLOSE);
    return 0;
}

LRESULT CMainFrame::OnAbout(WORD, WORD, HWND, BOOL&)
{
    CAboutDlg about;
    about.DoModal(m_hWnd);
    return 0;
}

LRESULT CMainFrame::OnUserPage(WORD, WORD, HWND, BOOL&)
{
    if (m_launchPage)
        m_launchPage(ServiceBaseUrl::Get() + "user/index.php");
    return 0;
}

LRESULT CMainFrame::OnRelogin(WORD, WORD, HWND, BOOL&)
{
    m_relogin = true;
    SendMessage(WM_CLOSE);
    return 0;
}

LRESULT CMainFrame::OnPanelCommand(WORD, WORD id, HWND extra, BOOL&)
{
    if (m_content)
        m_content->Accept(kViewMsgMenuCommand, id, reinterpret_cast<LPARAM>(extra));
    return 0;
}

LRESULT CMainFrame::OnIndicatorCommand(WORD, WORD id, HWND extra, BOOL&)
{
    if (m_content)
        m_content->OnIndicatorCommand(id, reinterpret_cast<LPARAM>(extra));
    return 0;
}

LRESULT CMainFrame::OnBarDropDown(WORD, WORD id, HWND extra, BOOL&)
{
    const UINT resource = DropDownMenuOf(id);
    if (!resource)
        return 0;
    HMENU menu = CAppModule::Get().LoadMenu(resource);
    if (!menu)
        return 0;
    HMENU popup = ::GetSubMenu(menu, 0);
    if (popup) {
        if (id == 3504) {
            const int32_t period = ViewOptions::Instance() ? ViewOptions::Instance()->GetPeriod() : 0;
            if (period > 0)
                ::CheckMenuItem(popup, static_cast<UINT>(kCmdPeriodBase + period), MF_BYCOMMAND | MF_CHECKED);
        }
        // The point is packed in 16-bit halves; screens left of or above the
        // primary one have negative coordinates.
        const POINT point = DropDownPoint(reinterpret_cast<LPARAM>(extra));
        ::TrackPopupMenu(popup, TPM_RIGHTBUTTON, point.x, point.y, 0, m_hWnd, nullptr);
    }
    ::DestroyMenu(menu);
    return 0;
}

BOOL CMainFrame::PreTranslateMessage(MSG* msg)
{
    if (msg->message == WM_SYSCHAR)
        m_ncDraw.OnSysChar(static_cast<UINT>(msg->wParam));
    if (m_content && m_content->RouteKey(msg))
        return TRUE;
    if (m_sidePanel && m_sidePanel->PreTranslateKey(msg))
        return TRUE;
    return TranslateAccelerator(msg) ? TRUE : FALSE;
}
