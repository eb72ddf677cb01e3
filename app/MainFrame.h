#pragma once
// The program's main window: a skinned frame with a caption menu bar, the dark
// command bar on top, the vertical tab row of the main views, the content
// panel, the side panel that can be shown at the left, and at the bottom the
// bar with two links and the news ticker above the status bar. It routes keys
// before dispatch, turns bar, tab and menu commands into view messages, and
// its destruction ends the run (see ShellTeardown.h).
#include "app/FrameParts.h"
#include "app/ShellTeardown.h"
#include "res/resource.h"
#include "skin/FrameMessages.h"
#include "skin/NcDraw.h"
#include "skin/SkinCmdBar.h"
#include "skin/SkinContextMenu.h"
#include "skin/SkinDarkCommandBarCtrl.h"
#include "skin/SkinScrollBarCtrl.h"
#include "skin/SkinStatusBarCtrl.h"
#include "views/ViewIds.h"
#include "win/FrameWindowImpl.h"
#include "win/MessageLoop.h"
#include "win/PageOpener.h"
#include "win/UpdateUI.h"
#include <windowsx.h>
#include <memory>
#include <string>
#include <vector>

// Popup with its own boxes: the skinned frame draws the caption.
typedef CWinTraits<WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CLIPCHILDREN, WS_EX_APPWINDOW>
    CMainFrameTraits;

class CMainFrame : public CFrameWindowImpl<CMainFrame, CWindow, CMainFrameTraits>,
                   public CUpdateUI,
                   public CMessageFilter,
                   public CIdleHandler,
                   public CSkinContextMenu<CMainFrame>
{
public:
    DECLARE_WND_CLASS_EX("ZtMainFrame", CS_DBLCLKS, COLOR_WINDOW + 1)

    static constexpr int kMinimumWidth = 900;
    static constexpr int kMinimumHeight = 680;
    static constexpr int kSidePanelWidth = 218;

    CMainFrame();
    ~CMainFrame() override;

    // Before Create; null keeps the program's own part.
    void SetParts(std::unique_ptr<IFrameContent> content, std::unique_ptr<IFrameSidePanel> sidePanel,
        std::unique_ptr<IFramePoller> poller);
    // Before Create: what the teardown releases after the poll thread stops.
    void SetReleaseSteps(std::vector<TeardownStep> steps) { m_releaseSteps = std::move(steps); }

    bool IsReloginRequested() const { return m_relogin; }
    bool IsSidePanelVisible() const;

    CSkinDarkCommandBarCtrl& GetCommandBar() { return m_commandBar; }
    CSkinScrollBarCtrl& GetBottomBar() { return m_bottomBar; }
    CSkinStatusBarCtrl& GetStatusBar() { return m_statusBar; }
    CSkinCmdBar& GetTabRow() { return m_tabRow; }
    CNcDraw& GetNcDraw() { return m_ncDraw; }
    IFrameContent* GetContent() { return m_content.get(); }
    IFrameSidePanel* GetSidePanel() { return m_sidePanel.get(); }

    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnIdle() override { return FALSE; }

    void UpdateLayout(bool repaint = true);
    // The menu image of a command (the pop-up menu skin asks).
    int GetMenuItemImage(UINT command) const;
    // The menu resource a drop-down button opens; 0 for none.
    static UINT DropDownMenuOf(UINT command);
    // The screen point a drop-down button packs into the command's extra
    // value, 16 bits each and signed.
    static POINT DropDownPoint(LPARAM extra) { return { GET_X_LPARAM(extra), GET_Y_LPARAM(extra) }; }
    // The window at (0, 0)-(900, 680), not yet shown.
    bool CreateFrameWindow();

    BEGIN_MSG_MAP(CMainFrame)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        MESSAGE_HANDLER(WM_GETMINMAXINFO, OnGetMinMaxInfo)
        MESSAGE_HANDLER(kFrameStatusPaneClicked, OnOpenIndex)
        COMMAND_RANGE_HANDLER(kViewReport, kViewUserListTab, OnViewTab)
        COMMAND_RANGE_HANDLER(5009, 5011, OnToggleSidePanel)
        COMMAND_ID_HANDLER(57665, OnClose)
        COMMAND_ID_HANDLER(32857, OnAbout)
        COMMAND_ID_HANDLER(32775, OnUserPage)
        COMMAND_ID_HANDLER(32776, OnRelogin)
        COMMAND_ID_HANDLER(32777, OnClose)
        COMMAND_ID_HANDLER(4016, OnToggleSidePanel)
        COMMAND_RANGE_HANDLER(kMenuCommandFirst, kMenuCommandLast, OnPanelCommand)
        COMMAND_RANGE_HANDLER(6000, 7000, OnIndicatorCommand)
        COMMAND_RANGE_HANDLER(3500, 3999, OnBarDropDown)
        CHAIN_MSG_MAP(CUpdateUI)
        CHAIN_MSG_MAP(CSkinContextMenu<CMainFrame>)
        CHAIN_MSG_MAP_MEMBER(m_ncDraw)
    END_MSG_MAP()

    // Where the service's pages open (tests replace it).
    void SetPageLauncher(UrlOpener launcher) { m_launchPage = std::move(launcher); }

private:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
    LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnGetMinMaxInfo(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOpenIndex(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnViewTab(WORD, WORD, HWND, BOOL&);
    LRESULT OnToggleSidePanel(WORD, WORD, HWND, BOOL&);
    LRESULT OnClose(WORD, WORD, HWND, BOOL&);
    LRESULT OnAbout(WORD, WORD, HWND, BOOL&);
    LRESULT OnUserPage(WORD, WORD, HWND, BOOL&);
    LRESULT OnRelogin(WORD, WORD, HWND, BOOL&);
    LRESULT OnPanelCommand(WORD, WORD, HWND, BOOL&);
    LRESULT OnIndicatorCommand(WORD, WORD, HWND, BOOL&);
    LRESULT OnBarDropDown(WORD, WORD, HWND, BOOL&);

    void CreateCommandBar();
    void CreateTabRow();
    void CreateBottomBars();

    CSkinDarkCommandBarCtrl m_commandBar;
    CSkinScrollBarCtrl m_bottomBar;
    CSkinStatusBarCtrl m_statusBar;
    CSkinCmdBar m_tabRow;
    std::unique_ptr<IFrameContent> m_content;
    std::unique_ptr<IFrameSidePanel> m_sidePanel;
    std::unique_ptr<IFramePoller> m_poller;
    CNcDraw m_ncDraw;
    std::vector<TeardownStep> m_releaseSteps;
    UrlOpener m_launchPage;
    bool m_relogin = false;
};
