#pragma once
// Numbers that travel between the views and the content panel: which view,
// which view message, which menu command.
#include <windows.h>
#include <cstdint>

// The main views by id; 3004 names only the user-list tab of the tab row.
enum ViewId : int32_t {
    kViewReport = 3000,
    kViewRealTime = 3001,
    kViewStockGraph = 3002,
    kViewF10 = 3003,
    kViewUserListTab = 3004,
    kViewExtraInfo = 3005,
};

// The numbers CMessageAcceptor::Accept and CMessageProcessor::Dispatch carry.
// They are calls, not window messages: a value here means nothing as a
// window message or a menu command of the same number.
enum ViewMessageId : UINT {
    kViewMsgKeyDown = 256, // virtual key, key data
    kViewMsgMouseWheel = 522, // the wheel message's two parameters
    kViewMsgChartCount = 4024, // minute charts shown: 1, 2, 4, 6 or 9
    kViewMsgShowFormula = 4025, // formula id
    kViewMsgQuickCode = 4026, // quick code chosen in the wizard
    kViewMsgOpenStock = 4027, // CodeKey
    kViewMsgOpenStockInMode = 4028, // CodeKey, mode (0: K-line view; other: as 4027)
    kViewMsgMenuCommand = 4030, // command id, extra value
    kViewMsgUserListChanged = 4031,
    kViewMsgSectorTreeChanged = 4032,
    kViewMsgOpenStockByText = 4033, // market tag, code text
    kViewMsgShowIndicator = 4034, // formula id, in the K-line view
    kViewMsgShowBoard = 4037, // board number, in the quote list
    kViewMsgQuotesRefreshed = 4045, // 0, the notifier's argument; worker thread
    kViewMsgStockDataUpdated = 4046, // CodeKey, SeriesKind; worker thread
};

// Menu commands the views open, check or forward. Every command from 4000
// to 5000 inclusive that reaches a view goes to the panel as kViewMsgMenuCommand.
enum MenuCommandId : UINT {
    kMenuCommandFirst = 4000,
    kMenuCommandLast = 5000,

    kCmdRealTimeAnalysis = 4000,
    kCmdTechnicalAnalysis = 4001,
    kCmdAdjustBackward = 4011, // "后复权", adjustment mode 2
    kCmdAdjustForward = 4012, // "前复权", adjustment mode 3
    kCmdAdjustNone = 4013, // "不复权", adjustment mode 1
    kCmdCompanyInfo = 4033,
    kCmdAddUserStock = 4044,
    kCmdUserStocks = 4084,
    kCmdPeriodBase = 4099, // + period 1-10: 4100 "5分钟图" ... 4109 "年线图"
    kCmdTickDetails = 4124,
    kCmdPriceTable = 4125,
    kCmdRemoveUserStock = 4142,
    kCmdPaneCountBase = 4149, // + sub-pane count 0-5: 4149 "一个窗口" ... 4154 "六个窗口"
};

// Commands the main frame takes from its menus and from the views.
enum FrameCommandId : UINT {
    // Show or hide the side panel on a page; with kSidePanelStayShown as the
    // notification code a shown panel switches to the page and stays shown.
    kCmdSidePanelUserList = 5009,
    kCmdSidePanelSectors = 5010,
    kCmdSidePanelIndicators = 5011,
    kSidePanelStayShown = 1000,
    kCmdExitProgram = 32777, // "退出系统"
};

inline bool IsForwardedMenuCommand(UINT id)
{
    return id >= kMenuCommandFirst && id <= kMenuCommandLast;
}
