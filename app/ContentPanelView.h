#pragma once
// The main frame's client window. It owns the four main views (quote list,
// minute chart, K-line chart, F10), creates each on first use and shows one;
// it owns the keyboard wizard and the program's message hub, which it hands to
// the views it makes. It carries out its own view messages (open a stock, menu commands),
// relays the data center's two notices to the current view, routes the keys
// the frame's message filter hands it, and runs the 5-second refresh timer.
//
// Everything runs on the UI thread except the two notices, which come on a
// download worker with the data lock held; they read the current view once
// (an atomic) and call straight into it. The views and the data center are
// reached through two narrow seams, so that tests run the panel with fakes.
#include <windows.h>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "app/MenuCommandDispatcher.h"
#include "data/ViewNotify.h"
#include "skin/SkinContextMenu.h"
#include "views/BaseView.h"
#include "views/MessageHub.h"
#include "views/SearchBox.h"
#include "views/ViewIds.h"
#include "win/WindowImpl.h"

class CSkinCmdBar;
class CUpdateUI;

// What the panel asks of each kind of view, through the handle the factory
// made with the view: the panel never casts a CBaseView to its kind.
class IQuoteListHandle
{
public:
    virtual ~IQuoteListHandle() { }
    virtual void ShowBoard(int32_t board, int32_t parameter) = 0;
    virtual int32_t GetCurrentBoard() = 0;
    virtual int32_t GetBoardParam() = 0;
    // -1 when no row is selected.
    virtual int64_t GetSelectedCodeKey() = 0;
};

class IMinuteChartHandle
{
public:
    virtual ~IMinuteChartHandle() { }
    // key: the stock the main chart is to show, as the view's activation takes it.
    virtual void SetDisplay(int32_t mode, int32_t indicator, int32_t page, uint32_t key) = 0;
    virtual void SetChartCount(int32_t count) = 0;
    virtual int32_t GetMainChartMode() = 0;
};

class IKLineHandle
{
public:
    virtual ~IKLineHandle() { }
    virtual void SetPeriod(int32_t period) = 0;
    virtual void NextPeriod() = 0;
    virtual void SetAdjustMode(int32_t mode) = 0;
    virtual void SetSubPaneCount(int32_t count) = 0;
    virtual void RelayToolTipEvent(MSG* message) = 0;
};

// A view as its factory makes it: the window object and, by its kind, the
// handle it is driven through (the quote list 3000, the minute chart 3001,
// the K-line view 3002; F10 3003 has none). The handles go before the window.
struct ContentView
{
    std::unique_ptr<CBaseView> window;
    std::unique_ptr<IQuoteListHandle> quoteList;
    std::unique_ptr<IMinuteChartHandle> minuteChart;
    std::unique_ptr<IKLineHandle> kline;
};

// The views as the panel makes them. The program's own makes the real views.
class IContentViewFactory
{
public:
    virtual ~IContentViewFactory() { }
    // A new view for 3000-3003, its acceptors registered with the hub; its
    // window is not created yet. No window for any other id.
    virtual ContentView CreateView(int32_t id, CMessageProcessor* hub) = 0;
};

// The data side of the panel: the data center and the user's list.
class IContentPanelServices
{
public:
    virtual ~IContentPanelServices() { }
    // Null stops the notices; returns once no notice is running.
    virtual void SetObserver(CViewNotify* observer) = 0;
    virtual void SetCurrentStock(uint32_t key) = 0;
    virtual uint32_t GetCurrentCodeKey() = 0;
    virtual void RequestQuoteRefresh() = 0;
    virtual void RequestStockData(uint32_t flags, int32_t more) = 0;
    virtual void AddUserStock(uint32_t key) = 0;
    virtual void BuildWizardIndex(CSearchBox& wizard) = 0;
};

class CContentPanelView : public CWindowImpl<CContentPanelView>,
                          public CMessageAcceptor,
                          public CViewNotify,
                          public IMenuCommandViews,
                          public CSkinContextMenu<CContentPanelView>
{
public:
    DECLARE_WND_CLASS_EX("ZtContentPanel", CS_DBLCLKS, 0)

    static constexpr UINT kRefreshTimer = 2001;
    static constexpr UINT kRefreshMs = 5000;
    static constexpr int kWizardWidth = 200;
    static constexpr int kWizardHeight = 303;

    // Null seams: the program's own views and data center; null menu
    // services: the program's dialogs and browser.
    CContentPanelView(std::unique_ptr<IContentViewFactory> views = nullptr,
        std::unique_ptr<IContentPanelServices> services = nullptr,
        std::unique_ptr<IMenuCommandServices> menuServices = nullptr);
    ~CContentPanelView() override;

    // The frame's tab row (the highlight) and its UI update map (the menu
    // checks). Before the window is created.
    void SetTabRow(CSkinCmdBar* tabRow) { m_tabRow = tabRow; }
    void SetMainFrame(CUpdateUI* updateUi) { m_updateUi = updateUi; }

    CMessageHub& GetHub() { return m_hub; }
    // CMessageAcceptor: the panel's own view messages. 1.
    int Accept(UINT messageId, WPARAM wParam, LPARAM lParam) override;
    // CViewNotify: worker thread, data lock held.
    void OnQuotesRefreshed(CReportData* quotes) override;
    void OnStockDataUpdated(int kind, uint32_t key) override;

    CBaseView* GetOrCreateView(int32_t id);
    CBaseView* FindView(int32_t id) const;
    CBaseView* GetCurrentView() const { return m_current.load(); }
    int32_t GetRefreshDivisor() const { return m_divisor; }
    CSearchBox& GetWizard() { return m_wizard; }

    // IMenuCommandViews (and the frame's and the keys' entry points)
    int32_t GetCurrentViewId() override;
    void SwitchView(int32_t id) override;
    void ShowRealTimeView(int32_t mode, int32_t indicator, int32_t page) override;
    // market "SH", "SZ" or "SB"; code 1-6 hexadecimal digits. Anything else
    // is ignored.
    void OpenStockByText(const char* market, const char* code) override;
    void ShowF10View() override;
    void ShowBoard(int32_t board) override;
    int32_t GetCurrentBoard() override;
    void SetPeriod(int32_t period) override;
    void NextPeriod() override;
    void SetAdjustMode(int32_t mode) override;
    void SetSubPaneCount(int32_t count) override;
    void SetMenuCheck(UINT command, bool checked) override;
    void SendFrameCommand(UINT command, UINT notifyCode) override;
    CMessageProcessor* GetMessageProcessor() override { return &m_hub; }

    // board -1: the list's current board; parameter 0: its kept parameter.
    void ShowReportPage(int32_t board, int32_t parameter);
    // nextPeriod 1: the next period, else the day period; a formula other
    // than -1 goes to the K-line view. The view's answer, else 0.
    int ShowChartView(int nextPeriod, int32_t formula);
    // 1 when the panel handled the quick code.
    int HandleQuickCode(int32_t code);
    // True when the message was consumed.
    bool RouteKey(MSG* message);
    int OnHotKey(UINT key, LPARAM data);
    void OnIndicatorCommand(UINT command);
    // The key of "1A0001"-style text under a market tag; false when invalid.
    static bool ParseStockText(const char* market, const char* code, uint32_t& key);
    // The tick count the refresh counts, shared by every panel of the program.
    static uint32_t GetTickCount() { return s_ticks.load(); }

    BEGIN_MSG_MAP(CContentPanelView)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        MESSAGE_HANDLER(WM_TIMER, OnTimer)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        CHAIN_MSG_MAP(CSkinContextMenu<CContentPanelView>)
        MESSAGE_HANDLER(WM_COMMAND, OnPassToFrame)
        MESSAGE_HANDLER(WM_NOTIFY, OnPassToFrame)
        MESSAGE_HANDLER(WM_DRAWITEM, OnPassToFrame)
        MESSAGE_HANDLER(WM_MEASUREITEM, OnPassToFrame)
        MESSAGE_HANDLER(WM_HSCROLL, OnPassToFrame)
        MESSAGE_HANDLER(WM_VSCROLL, OnPassToFrame)
        MESSAGE_RANGE_HANDLER(WM_CTLCOLORMSGBOX, WM_CTLCOLORSTATIC, OnPassToFrame)
        MESSAGE_HANDLER(WM_PARENTNOTIFY, OnPassToFrame)
    END_MSG_MAP()

private:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
    LRESULT OnPassToFrame(UINT message, WPARAM wParam, LPARAM lParam, BOOL&);

    // Forwards the key to the current view (view message 256): 1 only when it took it.
    int ForwardKey(UINT key, LPARAM data);
    void SwitchUnlessCurrent(int32_t id);
    void PlaceSearchBox(bool show);
    void OpenStock(uint32_t key, bool keepMinuteView);
    // Makes key the data center's current stock and returns the current
    // one after: key, or the one before when key names no security.
    uint32_t MakeCurrent(uint32_t key);
    // SwitchView, with the stock the view is to show.
    void ShowView(int32_t id, uint32_t key);
    void DestroyViews();
    bool IsCurrent(int32_t id) const;
    // The handles of the views made so far; null before.
    IQuoteListHandle* QuoteList() const;
    IMinuteChartHandle* MinuteChart() const;
    IKLineHandle* KLine() const;

    std::unique_ptr<IContentViewFactory> m_views;
    std::unique_ptr<IContentPanelServices> m_services;
    std::unique_ptr<IMenuCommandServices> m_menuServices;
    MenuCommandDispatcher m_dispatcher;
    CMessageHub m_hub; // before the views and the wizard, which register with it
    std::map<int32_t, ContentView> m_viewMap;
    std::atomic<CBaseView*> m_current;
    CSearchBox m_wizard;
    CSkinCmdBar* m_tabRow;
    CUpdateUI* m_updateUi;
    int32_t m_divisor;
    static std::atomic<uint32_t> s_ticks;
};

// The program's views and data center.
std::unique_ptr<IContentViewFactory> CreateProgramViewFactory();
std::unique_ptr<IContentPanelServices> CreateProgramPanelServices();
