#include "app/MenuCommandDispatcher.h"

#include <cstdio>
#include <ctime>

#include "app/StatisTicalDlg.h"
#include "app/TrendEvaluDlg.h"
#include "app/WebSourceDlg.h"
#include "base/GlobalDefaults.h"
#include "base/PercentEncode.h"
#include "data/DataCenter.h"
#include "data/DataLock.h"
#include "data/Stock.h"
#include "data/UserStockList.h"
#include "formula/FormulaLibrary.h"
#include "net/ServiceBaseUrl.h"
#include "views/MessageProcessor.h"
#include "views/ViewIds.h"
#include "win/PageOpener.h"

const char* const MenuCommandDispatcher::kDataSitePath = "data/index.html";
const char* const MenuCommandDispatcher::kLearningSitePath = "study/index.html";
const char* const MenuCommandDispatcher::kChatPagePath = "chat/index.html";

namespace {

enum class Action {
    RealTimeAnalysis, // 4000
    TechnicalAnalysis, // 4001
    Adjust, // value: mode
    Trend, // text: title
    Browser, // text: path below the base ("" the base itself)
    CompanyInfo,
    AddUserStock,
    Ranking,
    CashFlowPage, // text: path, title
    PageDialog, // text: path, title; value/value2: size
    CurrentBoard,
    Board, // value: board
    SectorTree,
    RealTime, // value, value2, value3
    Period, // value
    OpenIndex, // text: market, code
    NextPeriod,
    RemoveUserStock,
    SubPanes, // value
};

const UINT kUserListChanged = kViewMsgUserListChanged;

} // namespace

struct MenuCommandDispatcher::Entry
{
    UINT command;
    Action action;
    int32_t value;
    int32_t value2;
    int32_t value3;
    const char* text;
    const char* text2;
};

// The whole command table, in command order.
static const MenuCommandDispatcher::Entry kCommands[] = {
    { kCmdRealTimeAnalysis, Action::RealTimeAnalysis, 0, 0, 0, nullptr, nullptr },
    { kCmdTechnicalAnalysis, Action::TechnicalAnalysis, 0, 0, 0, nullptr, nullptr },
    { kCmdAdjustBackward, Action::Adjust, 2, 0, 0, nullptr, nullptr },
    { kCmdAdjustForward, Action::Adjust, 3, 0, 0, nullptr, nullptr },
    { kCmdAdjustNone, Action::Adjust, 1, 0, 0, nullptr, nullptr },
    { 4014, Action::Trend, 0, 0, 0, "短线诊断", nullptr },
    { 4015, Action::Trend, 0, 0, 0, "形态诊断", nullptr },
    { 4017, Action::Trend, 0, 0, 0, "技术诊断", nullptr },
    { 4018, Action::Browser, 0, 0, 0, "", nullptr },
    { 4019, Action::Browser, 0, 0, 0, "more/list_5.html", nullptr },
    { 4020, Action::Browser, 0, 0, 0, "more/list_4.html", nullptr },
    { 4021, Action::Browser, 0, 0, 0, "more/list_3.html", nullptr },
    { 4022, Action::Browser, 0, 0, 0, "more/list_6.html", nullptr },
    { 4023, Action::Browser, 0, 0, 0, "more/list_7.html", nullptr },
    { 4024, Action::Browser, 0, 0, 0, "more/list_16.html", nullptr },
    { 4025, Action::Browser, 0, 0, 0, MenuCommandDispatcher::kDataSitePath, nullptr },
    { 4026, Action::Browser, 0, 0, 0, MenuCommandDispatcher::kLearningSitePath, nullptr },
    { kCmdCompanyInfo, Action::CompanyInfo, 0, 0, 0, nullptr, nullptr },
    { 4034, Action::Browser, 0, 0, 0, "more/list_20.html", nullptr },
    { 4035, Action::Browser, 0, 0, 0, "company/contact.html", nullptr },
    { 4036, Action::Browser, 0, 0, 0, MenuCommandDispatcher::kChatPagePath, nullptr },
    { kCmdAddUserStock, Action::AddUserStock, 0, 0, 0, nullptr, nullptr },
    { 4045, Action::Ranking, 0, 0, 0, nullptr, nullptr },
    { 4046, Action::Ranking, 0, 0, 0, nullptr, nullptr },
    { 4047, Action::Ranking, 0, 0, 0, nullptr, nullptr },
    { 4048, Action::Ranking, 0, 0, 0, nullptr, nullptr },
    { 4049, Action::Ranking, 0, 0, 0, nullptr, nullptr },
    { 4050, Action::Ranking, 0, 0, 0, nullptr, nullptr },
    { 4051, Action::Ranking, 0, 0, 0, nullptr, nullptr },
    { 4052, Action::Ranking, 0, 0, 0, nullptr, nullptr },
    { 4053, Action::Ranking, 0, 0, 0, nullptr, nullptr },
    { 4054, Action::Ranking, 0, 0, 0, nullptr, nullptr },
    { 4055, Action::Ranking, 0, 0, 0, nullptr, nullptr },
    { 4056, Action::Ranking, 0, 0, 0, nullptr, nullptr },
    { 4074, Action::CashFlowPage, 0, 0, 0, "zentu/cashflow/cashflow_in_out_5days.5.php?m=%d&c=%s",
        "5日资金流入分析" },
    { 4075, Action::CashFlowPage, 0, 0, 0, "zentu/cashflow/cashflow_in_out_10days.5.php?m=%d&c=%s",
        "10日资金流入分析" },
    { 4076, Action::CashFlowPage, 0, 0, 0, "zentu/cashflow/cashflow_in_out_20days.5.php?m=%d&c=%s",
        "20日资金流入分析" },
    { 4077, Action::CashFlowPage, 0, 0, 0, "zentu/cashflow/cashflow_in_out_30days.5.php?m=%d&c=%s",
        "30日资金流入分析" },
    { 4078, Action::PageDialog, 0, 0, 0, "zentu/report/report_cash_flow_in_top.php?u=%s", "资金净流入前50名" },
    { 4079, Action::PageDialog, 0, 0, 0, "zentu/report/report_cash_flow_out_top.php?u=%s", "资金净流出前50名" },
    { 4080, Action::PageDialog, 0, 0, 0, "zentu/tip/tip_classic.php?u=%s", "最新公告" },
    { 4083, Action::CurrentBoard, 0, 0, 0, nullptr, nullptr },
    { kCmdUserStocks, Action::Board, 7, 0, 0, nullptr, nullptr },
    { 4085, Action::RealTime, 1, 0, 15, nullptr, nullptr },
    { 4086, Action::RealTime, 1, 0, 13, nullptr, nullptr },
    { 4087, Action::Board, 0, 0, 0, nullptr, nullptr },
    { 4089, Action::Board, 1, 0, 0, nullptr, nullptr },
    { 4091, Action::Board, 6, 0, 0, nullptr, nullptr },
    { 4093, Action::Board, 2, 0, 0, nullptr, nullptr },
    { 4094, Action::Board, 3, 0, 0, nullptr, nullptr },
    { 4095, Action::Board, 4, 0, 0, nullptr, nullptr },
    { 4096, Action::Board, 5, 0, 0, nullptr, nullptr },
    { 4097, Action::SectorTree, 0, 0, 0, nullptr, nullptr },
    { 4098, Action::RealTime, 1, 0, 14, nullptr, nullptr },
    { 4099, Action::Period, 1, 0, 0, nullptr, nullptr },
    { 4100, Action::Period, 1, 0, 0, nullptr, nullptr },
    { 4101, Action::Period, 2, 0, 0, nullptr, nullptr },
    { 4102, Action::Period, 3, 0, 0, nullptr, nullptr },
    { 4103, Action::Period, 4, 0, 0, nullptr, nullptr },
    { 4104, Action::Period, 5, 0, 0, nullptr, nullptr },
    { 4105, Action::Period, 6, 0, 0, nullptr, nullptr },
    { 4106, Action::Period, 7, 0, 0, nullptr, nullptr },
    { 4107, Action::Period, 8, 0, 0, nullptr, nullptr },
    { 4108, Action::Period, 9, 0, 0, nullptr, nullptr },
    { 4109, Action::Period, 10, 0, 0, nullptr, nullptr },
    { 4110, Action::OpenIndex, 0, 0, 0, "SH", "1B0007" },
    { 4111, Action::OpenIndex, 0, 0, 0, "SH", "1A0001" },
    { 4112, Action::OpenIndex, 0, 0, 0, "SH", "1A0002" },
    { 4113, Action::OpenIndex, 0, 0, 0, "SH", "1A0003" },
    { 4114, Action::OpenIndex, 0, 0, 0, "SH", "000016" },
    { 4115, Action::OpenIndex, 0, 0, 0, "SZ", "399004" },
    { 4116, Action::OpenIndex, 0, 0, 0, "SZ", "399001" },
    { 4117, Action::OpenIndex, 0, 0, 0, "SZ", "399106" },
    { 4118, Action::OpenIndex, 0, 0, 0, "SZ", "399300" },
    { 4119, Action::OpenIndex, 0, 0, 0, "SZ", "399006" },
    { 4120, Action::OpenIndex, 0, 0, 0, "SZ", "399005" },
    { 4121, Action::OpenIndex, 0, 0, 0, "SZ", "399108" },
    { 4122, Action::OpenIndex, 0, 0, 0, "SZ", "399107" },
    { 4123, Action::NextPeriod, 0, 0, 0, nullptr, nullptr },
    { kCmdTickDetails, Action::RealTime, 2, 0, 0, nullptr, nullptr },
    { kCmdPriceTable, Action::RealTime, 3, 0, 0, nullptr, nullptr },
    { 4126, Action::RealTime, 1, 2, 0, nullptr, nullptr },
    { 4127, Action::RealTime, 1, 1, 0, nullptr, nullptr },
    { 4128, Action::RealTime, 1, 0, 14, nullptr, nullptr },
    { 4130, Action::RealTime, 1, 3, 0, nullptr, nullptr },
    { 4131, Action::RealTime, 1, 4, 0, nullptr, nullptr },
    { 4132, Action::RealTime, 1, 5, 0, nullptr, nullptr },
    { 4133, Action::RealTime, 1, 6, 0, nullptr, nullptr },
    { 4134, Action::RealTime, 1, 8, 0, nullptr, nullptr },
    { 4135, Action::RealTime, 1, 7, 0, nullptr, nullptr },
    { 4136, Action::RealTime, 1, 9, 0, nullptr, nullptr },
    { 4137, Action::PageDialog, 0, 0, 0, "zentu/stockpool/pool_week.php?u=%s", "短线股票池" },
    { 4138, Action::PageDialog, 0, 0, 0, "zentu/stockpool/pool_month.php?u=%s", "波段股票池" },
    { 4139, Action::PageDialog, 0, 0, 0, "zentu/stockpool/pool_week_super.php?u=%s", "超赢短线股票池" },
    { 4140, Action::PageDialog, 0, 0, 0, "zentu/stockpool/pool_month_super.php?u=%s", "超赢波段股票池" },
    { 4141, Action::PageDialog, 0, 0, 0, "zentu/stockpool/pool_cash_super.php?u=%s", "机构资金股票池" },
    { kCmdRemoveUserStock, Action::RemoveUserStock, 0, 0, 0, nullptr, nullptr },
    { 4143, Action::PageDialog, 0, 0, 0, "zentu/report/report_yaowen.php?u=%s", "今日要闻" },
    { 4144, Action::PageDialog, 0, 0, 0, "zentu/report/report_gonggao.php?u=%s", "重点公告" },
    { 4145, Action::PageDialog, 0, 0, 0, "zentu/report/report_waiwei.php?u=%s", "外围市场" },
    { 4146, Action::PageDialog, 0, 0, 0, "zentu/report/report_chuanwen.php?u=%s", "市场传闻" },
    { 4147, Action::PageDialog, 0, 0, 0, "zentu/report/report_celve.php?u=%s", "操盘策略" },
    { 4148, Action::PageDialog, 800, 500, 0, "zentu/report/report_buju.php?u=%s", "布局股票" },
    { 4149, Action::SubPanes, 0, 0, 0, nullptr, nullptr },
    { 4150, Action::SubPanes, 1, 0, 0, nullptr, nullptr },
    { 4151, Action::SubPanes, 2, 0, 0, nullptr, nullptr },
    { 4152, Action::SubPanes, 3, 0, 0, nullptr, nullptr },
    { 4153, Action::SubPanes, 4, 0, 0, nullptr, nullptr },
    { 4154, Action::SubPanes, 5, 0, 0, nullptr, nullptr },
    { 4155, Action::SubPanes, 6, 0, 0, nullptr, nullptr },
    { 4156, Action::SubPanes, 7, 0, 0, nullptr, nullptr },
    { 4157, Action::SubPanes, 8, 0, 0, nullptr, nullptr },
    { 4158, Action::SubPanes, 9, 0, 0, nullptr, nullptr },
    { 4160, Action::Browser, 0, 0, 0, "more/list_13.html", nullptr },
    { 4161, Action::Browser, 0, 0, 0, "more/list_39.html", nullptr },
    { 4162, Action::Browser, 0, 0, 0, "more/list_46.html", nullptr },
    { 4163, Action::Browser, 0, 0, 0, "more/list_45.html", nullptr },
    { 4164, Action::Browser, 0, 0, 0, "more/list_49.html", nullptr },
    { 4165, Action::Browser, 0, 0, 0, "more/list_41.html", nullptr },
    { 4166, Action::Browser, 0, 0, 0, "more/list_40.html", nullptr },
    { 4167, Action::Browser, 0, 0, 0, "more/list_42.html", nullptr },
};

MenuCommandDispatcher::MenuCommandDispatcher(IMenuCommandViews& views, IMenuCommandServices& services)
    : m_views(views)
    , m_services(services)
{
}

bool MenuCommandDispatcher::OnMenuCommand(UINT command, LPARAM extra)
{
    for (const Entry& entry : kCommands) {
        if (entry.command == command) {
            Run(entry, extra);
            return true;
        }
    }
    return false;
}

std::string MenuCommandDispatcher::PageUrl(const std::string& base, const char* path, const std::string& userName)
{
    std::string url = base;
    const std::string pathText = path ? path : "";
    const size_t slot = pathText.find("%s");
    if (slot == std::string::npos)
        return url + pathText;
    return url + pathText.substr(0, slot) + PercentEncode(userName) + pathText.substr(slot + 2);
}

void MenuCommandDispatcher::SwitchToKLine()
{
    if (m_views.GetCurrentViewId() != kViewStockGraph)
        m_views.SwitchView(kViewStockGraph);
}

void MenuCommandDispatcher::SwitchToKLineWithDay()
{
    if (m_views.GetCurrentViewId() != kViewStockGraph) {
        m_views.SwitchView(kViewStockGraph);
        m_views.SetPeriod(6);
    }
}

void MenuCommandDispatcher::ShowBoard(int32_t board)
{
    if (m_views.GetCurrentViewId() != kViewReport)
        m_views.SwitchView(kViewReport);
    m_views.ShowBoard(board);
}

void MenuCommandDispatcher::OpenCashFlowPage(const Entry& entry)
{
    // The snapshot itself belongs to the data center: only its market and
    // code leave the lock, and without a current stock there is no page.
    MenuStockIdentity stock;
    if (!m_services.GetCurrentStock(stock) || stock.code.empty())
        return;
    const std::string path = entry.text;
    const size_t market = path.find("%d");
    const size_t code = path.find("%s");
    if (market == std::string::npos || code == std::string::npos || code < market)
        return;
    const std::string url = m_services.GetServiceBaseUrl() + path.substr(0, market)
        + std::to_string(static_cast<int32_t>(stock.marketTag)) + path.substr(market + 2, code - market - 2)
        + PercentEncode(stock.code) + path.substr(code + 2);
    m_services.OpenWebDialog(entry.text2, url, 0, 0);
}

void MenuCommandDispatcher::AddUserStock(LPARAM extra)
{
    // -1 is what a list without a selected row reports, and 0 what is left
    // when there is no current stock: neither is a stock to keep.
    uint32_t key = static_cast<uint32_t>(extra);
    if (extra == -1 || key == 0xFFFFFFFFu)
        return;
    if (key == 0)
        key = m_services.GetCurrentCodeKey();
    if (key == 0 || key == 0xFFFFFFFFu)
        return;
    m_services.AddUserStock(key);
    if (CMessageProcessor* processor = m_views.GetMessageProcessor())
        processor->Dispatch(kUserListChanged, 0, 0);
    m_views.SendFrameCommand(kCmdSidePanelUserList, kSidePanelStayShown);
}

void MenuCommandDispatcher::RemoveUserStock(LPARAM extra)
{
    const uint32_t key = static_cast<uint32_t>(extra);
    if (extra == -1 || key == 0xFFFFFFFFu || key == 0)
        return;
    m_services.RemoveUserStock(key);
    if (CMessageProcessor* processor = m_views.GetMessageProcessor())
        processor->Dispatch(kUserListChanged, 0, 0);
}

void MenuCommandDispatcher::Run(const Entry& entry, LPARAM extra)
{
    switch (entry.action) {
    case Action::RealTimeAnalysis:
        m_views.SwitchView(kViewStockGraph);
        m_views.ShowRealTimeView(1, 0, 0);
        break;
    case Action::TechnicalAnalysis:
        SwitchToKLine();
        m_views.SetPeriod(6);
        break;
    case Action::Adjust:
        SwitchToKLineWithDay();
        m_views.SetAdjustMode(entry.value);
        for (UINT item : { 4011u, 4012u, 4013u })
            m_views.SetMenuCheck(item, item == entry.command);
        break;
    case Action::Trend:
        m_services.OpenTrendDialog(entry.text, entry.command);
        break;
    case Action::Browser:
        m_services.OpenBrowserPage(m_services.GetServiceBaseUrl() + entry.text);
        break;
    case Action::CompanyInfo:
        m_views.ShowF10View();
        break;
    case Action::AddUserStock:
        AddUserStock(extra);
        break;
    case Action::Ranking:
        m_services.OpenRankingDialog(entry.command, m_views.GetMessageProcessor());
        break;
    case Action::CashFlowPage:
        OpenCashFlowPage(entry);
        break;
    case Action::PageDialog:
        m_services.OpenWebDialog(entry.text2,
            PageUrl(m_services.GetServiceBaseUrl(), entry.text, m_services.GetUserName()), entry.value,
            entry.value2);
        break;
    case Action::CurrentBoard:
        ShowBoard(m_views.GetCurrentBoard());
        break;
    case Action::Board:
        ShowBoard(entry.value);
        break;
    case Action::SectorTree:
        m_views.SendFrameCommand(kCmdSidePanelSectors, 0);
        break;
    case Action::RealTime:
        m_views.ShowRealTimeView(entry.value, entry.value2, entry.value3);
        break;
    case Action::Period:
        m_views.SwitchView(kViewStockGraph);
        m_views.SetPeriod(entry.value);
        break;
    case Action::OpenIndex:
        m_views.OpenStockByText(entry.text, entry.text2);
        break;
    case Action::NextPeriod:
        SwitchToKLine();
        m_views.NextPeriod();
        break;
    case Action::RemoveUserStock:
        RemoveUserStock(extra);
        break;
    case Action::SubPanes:
        SwitchToKLineWithDay();
        m_views.SetSubPaneCount(entry.value);
        break;
    }
}

// ---------------------------------------------------------------------------

CMenuCommandServices::CMenuCommandServices()
    : m_launcher(&OpenPageInBrowser)
{
}

bool CMenuCommandServices::GetCurrentStock(MenuStockIdentity& out)
{
    CDataCenter* center = CDataCenter::PeekInstance();
    if (!center)
        return false;
    SingleLock lock(&center->GetDataLock());
    CStock* stock = nullptr;
    if (!center->GetCurrentStock(&stock) || !stock)
        return false;
    out.marketTag = stock->GetStockInfo().GetMarket();
    out.code = stock->GetStockInfo().GetCode();
    return true;
}

uint32_t CMenuCommandServices::GetCurrentCodeKey()
{
    CDataCenter* center = CDataCenter::PeekInstance();
    return center ? center->GetCurrentCodeKey() : 0;
}

void CMenuCommandServices::AddUserStock(uint32_t key)
{
    SingleLock lock(&GetDataLock());
    if (UserStockList* list = UserStockList::Instance())
        list->Add(static_cast<int32_t>(key), static_cast<int32_t>(std::time(nullptr)));
}

void CMenuCommandServices::RemoveUserStock(uint32_t key)
{
    SingleLock lock(&GetDataLock());
    if (UserStockList* list = UserStockList::Instance())
        list->Remove(static_cast<int32_t>(key));
}

std::string CMenuCommandServices::GetUserName()
{
    return CurrentUserName::Get();
}

std::string CMenuCommandServices::GetServiceBaseUrl()
{
    return ServiceBaseUrl::Get();
}

void CMenuCommandServices::OpenTrendDialog(const std::string& title, UINT command)
{
    CTrendEvaluDlg dialog;
    dialog.SetTitle(title.c_str());
    dialog.SetKind(command);
    dialog.DoModal(::GetActiveWindow());
}

void CMenuCommandServices::OpenRankingDialog(UINT command, CMessageProcessor* dispatcher)
{
    CStatisTicalDlg dialog;
    dialog.SetCommand(command);
    dialog.SetDispatcher(dispatcher);
    dialog.DoModal(::GetActiveWindow());
}

void CMenuCommandServices::OpenWebDialog(
    const std::string& title, const std::string& url, int32_t width, int32_t height)
{
    HWND owner = ::GetActiveWindow();
    // The window the page opens over is painted before the page is built:
    // the minute view opens the tips page as the main frame first shows, and
    // the posted command comes before the frame's first paint, which would
    // otherwise wait for the page's browser control.
    if (owner)
        ::UpdateWindow(owner);
    CWebSourceDlg dialog;
    dialog.SetTitle(title.c_str());
    dialog.SetUrl(url.c_str());
    if (width != 0 || height != 0)
        dialog.SetSize(width, height);
    dialog.DoModal(owner);
}

void CMenuCommandServices::OpenBrowserPage(const std::string& url)
{
    if (m_launcher)
        m_launcher(url);
}


// ---------------------------------------------------------------------------

namespace {
const char* const kIndicatorNames[] = {
    "JPMM", "ZYNT", "CDW", "DKNL", "DDXZ", "QZXJ", "CZQS", "JPBD", "DXJL", "MMHJX", // 6001-6010
    "JGZX", "ZZTL", "BYZJ", "DXGS", "DXMD", "DXTD", "JGNL", "TDZJ", "YLZCW", "ZJQSX", // 6011-6020
    "ZLCPGJ", "ZLJC", "ZZMR", "ZJMM", "JNQB", "DLTJ", "ZJGJ", "MA", "MA2", "ZXJC", // 6021-6030
    "DXJC", "MMJC", "ZLCB", "GZJC", "ZLTJ", "MMDN", "ZJZS", "DPZD", "SHTJ", "DXJC", // 6031-6040
    "ZXJC", "QLCX", // 6041-6042
};
const UINT kFirstIndicatorCommand = 6001;
} // namespace

const char* IndicatorCommandName(UINT command)
{
    const size_t count = sizeof(kIndicatorNames) / sizeof(kIndicatorNames[0]);
    if (command < kFirstIndicatorCommand || command >= kFirstIndicatorCommand + count)
        return nullptr;
    return kIndicatorNames[command - kFirstIndicatorCommand];
}

bool RunIndicatorCommand(UINT command, IMenuCommandViews& views)
{
    const char* name = IndicatorCommandName(command);
    FormulaLibrary* library = FormulaLibrary::PeekInstance();
    if (!name || !library)
        return false;
    if (views.GetCurrentViewId() != kViewStockGraph)
        views.SwitchView(kViewStockGraph);
    std::wstring wideName;
    for (const char* c = name; *c; ++c)
        wideName += static_cast<wchar_t>(*c);
    const FormulaDefinition* definition = library->FindByName(wideName);
    if (definition && definition->NO != -1) {
        if (CMessageProcessor* processor = views.GetMessageProcessor())
            processor->Dispatch(kViewMsgShowFormula, static_cast<WPARAM>(definition->NO), 0);
    }
    return true;
}
