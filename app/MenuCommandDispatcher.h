#pragma once
// Carries out the menu commands 4000-4167 that reach the content panel as view
// message 4030 (command, extra value), and the indicator commands 6001-6042 of
// the main frame. The dispatcher only decides; what it does goes through two
// narrow seams: the panel's view operations and the services behind them (the
// current stock, the user list, the dialogs and the browser), so tests run the
// whole table against fakes. UI thread only.
#include "win/PageOpener.h"
#include <windows.h>
#include <cstdint>
#include <functional>
#include <string>

class CMessageProcessor;

// The current stock as the pages need it, copied while the data lock is held.
struct MenuStockIdentity
{
    uint16_t marketTag = 0; // "SH" as two characters, first in the low byte
    std::string code;
};

// What the content panel does for a command.
class IMenuCommandViews
{
public:
    virtual ~IMenuCommandViews() { }
    virtual int32_t GetCurrentViewId() = 0;
    virtual void SwitchView(int32_t viewId) = 0;
    virtual void ShowRealTimeView(int32_t mode, int32_t pane, int32_t display) = 0;
    virtual void OpenStockByText(const char* market, const char* code) = 0;
    virtual void ShowF10View() = 0;
    // The quote list's board with the list's kept board parameter.
    virtual void ShowBoard(int32_t board) = 0;
    virtual int32_t GetCurrentBoard() = 0;
    // The K-line view's chart.
    virtual void SetPeriod(int32_t period) = 0;
    virtual void NextPeriod() = 0;
    virtual void SetAdjustMode(int32_t mode) = 0;
    virtual void SetSubPaneCount(int32_t count) = 0;
    // The main frame's UI-update check of one of the menu items 4011-4013.
    virtual void SetMenuCheck(UINT command, bool checked) = 0;
    // A main-frame command with a notify code (sent, not posted).
    virtual void SendFrameCommand(UINT command, UINT notifyCode) = 0;
    // The panel's message hub (view messages).
    virtual CMessageProcessor* GetMessageProcessor() = 0;
};

// What lies behind the commands outside the views.
class IMenuCommandServices
{
public:
    virtual ~IMenuCommandServices() { }
    // False when there is no current stock.
    virtual bool GetCurrentStock(MenuStockIdentity& out) = 0;
    virtual uint32_t GetCurrentCodeKey() = 0;
    virtual void AddUserStock(uint32_t key) = 0;
    virtual void RemoveUserStock(uint32_t key) = 0;
    virtual std::string GetUserName() = 0;
    // Ends in "/".
    virtual std::string GetServiceBaseUrl() = 0;
    virtual void OpenTrendDialog(const std::string& title, UINT command) = 0;
    virtual void OpenRankingDialog(UINT command, CMessageProcessor* dispatcher) = 0;
    // width and height 0: the dialog's own size.
    virtual void OpenWebDialog(const std::string& title, const std::string& url, int32_t width, int32_t height)
        = 0;
    virtual void OpenBrowserPage(const std::string& url) = 0;
};

// The program's services: the data center under its lock, the user list, the
// real dialogs run modally over the active window, and a page launcher that
// opens the system browser unless a test replaces it.
class CMenuCommandServices : public IMenuCommandServices
{
public:
    CMenuCommandServices();

    void SetPageLauncher(UrlOpener launcher) { m_launcher = std::move(launcher); }

    bool GetCurrentStock(MenuStockIdentity& out) override;
    uint32_t GetCurrentCodeKey() override;
    void AddUserStock(uint32_t key) override;
    void RemoveUserStock(uint32_t key) override;
    std::string GetUserName() override;
    std::string GetServiceBaseUrl() override;
    void OpenTrendDialog(const std::string& title, UINT command) override;
    void OpenRankingDialog(UINT command, CMessageProcessor* dispatcher) override;
    void OpenWebDialog(const std::string& title, const std::string& url, int32_t width, int32_t height) override;
    void OpenBrowserPage(const std::string& url) override;

private:
    UrlOpener m_launcher;
};

class MenuCommandDispatcher
{
public:
    // Market tags as the cash-flow pages take them.
    static constexpr int32_t kMarketTagShanghai = 18515;
    static constexpr int32_t kMarketTagShenzhen = 23123;

    // Pages of the service beside its own web site.
    static const char* const kDataSitePath;
    static const char* const kLearningSitePath;
    static const char* const kChatPagePath;

    MenuCommandDispatcher(IMenuCommandViews& views, IMenuCommandServices& services);

    // The command with its extra value (for 4044 and 4142 a CodeKey). True
    // when the command is one of the table's; other commands do nothing.
    bool OnMenuCommand(UINT command, LPARAM extra);

    // The base followed by the path, with the encoded user name in place of "%s".
    static std::string PageUrl(const std::string& base, const char* path, const std::string& userName);

    // One row of the command table.
    struct Entry;

private:
    void Run(const Entry& entry, LPARAM extra);
    void SwitchToKLine();
    void SwitchToKLineWithDay();
    void ShowBoard(int32_t board);
    void OpenCashFlowPage(const Entry& entry);
    void AddUserStock(LPARAM extra);
    void RemoveUserStock(LPARAM extra);

    IMenuCommandViews& m_views;
    IMenuCommandServices& m_services;
};

// The indicator name of a command 6001-6042; null for any other command.
const char* IndicatorCommandName(UINT command);

// The main frame's indicator command: with the formula library available and
// a command of the table, switches to the K-line view unless it is current
// and, when the library has the indicator with a number other than -1,
// dispatches view message 4025 with that number. True when the command was
// one of the table's.
bool RunIndicatorCommand(UINT command, IMenuCommandViews& views);
