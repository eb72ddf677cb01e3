#pragma once
// The login dialog shown before the main window: the quote server, the user's
// name and password, the proxy settings, links to the service's registration,
// password and consultation pages. A successful login starts the dialog's
// login thread, which either hands a new version to the updater or loads the
// market data while the dialog shows its progress. The dialog ends with 1
// when the data is loaded, with 2 when the user cancelled or an update was
// handed over.
//
// The login thread never touches the dialog's windows: it posts what it has
// to show, and the dialog acts on it on its own thread. Whoever ends the
// dialog joins the thread (RunModal does) before the object goes.
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/LoginRequest.h"
#include "app/RunLoop.h"
#include "app/ServiceDownload.h"
#include "app/StartupSequence.h"
#include "base/Thread.h"
#include "res/resource.h"
#include "skin/BaseDlg.h"
#include "skin/SkinImgStatic.h"
#include "win/DialogImpl.h"
#include "win/Gdi.h"
#include "win/HyperLink.h"
#include "win/UiTaskQueue.h"

class CIni;

class CLogginDlg : public CDialogImpl<CLogginDlg>, public CBaseDlg, public CThread
{
public:
    enum { IDD = IDD_LOGIN };
    static const char* const kEmptyInputMessage; // "用户名或密码不能为空"
    static const int kLoginAttempts = 3;

    using WorkFactory = std::function<std::unique_ptr<IStartupWork>()>;
    using Launcher = std::function<bool(const std::string& file, const std::string& parameters)>;
    using Notifier = std::function<void(const std::string& text)>;

    CLogginDlg();
    ~CLogginDlg() override;

    // Seams, set before the dialog runs: the settings file (the program's
    // "run.ini" unless given), the service's downloads, the loading work, the
    // updater's start, the program whose ".new" is written, and the message
    // boxes ("提示").
    void SetIniPath(const std::string& path) { m_iniPath = path; }
    void SetFetcher(ServiceFetcher fetcher) { m_fetcher = std::move(fetcher); }
    void SetWorkFactory(WorkFactory factory) { m_workFactory = std::move(factory); }
    void SetLauncher(Launcher launcher) { m_launcher = std::move(launcher); }
    void SetProgramPath(const std::string& path) { m_programPath = path; }
    void SetNotifier(Notifier notifier) { m_notifier = std::move(notifier); }
    // Called on the dialog's thread after every progress step it shows.
    void SetStepObserver(std::function<void(int position)> observer) { m_stepObserver = std::move(observer); }

    // Modal run; joins the login thread before it returns.
    INT_PTR RunModal(HWND owner);

    const std::vector<LiveServer>& GetServers() const { return m_servers; }
    const std::vector<int>& GetShownPositions() const { return m_shownPositions; }
    bool IsBusy() const { return m_busy.load() != 0; }
    bool IsUpdatePending() const { return m_updatePending.load() != 0; }

    // The login thread's one pass.
    void Run() override;

    std::string GetButtonImage(int id) override;

    BEGIN_MSG_MAP(CLogginDlg)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_PRINTCLIENT, OnPaint)
        MESSAGE_HANDLER(WM_CTLCOLORSTATIC, OnControlColour)
        CHAIN_MSG_MAP_MEMBER(m_tasks)
        COMMAND_ID_HANDLER(IDOK, OnLogin)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
        COMMAND_ID_HANDLER(IDC_LOGIN_PROXY, OnProxy)
        CHAIN_MSG_MAP(CBaseDlg)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
    LRESULT OnPaint(UINT msg, WPARAM wp, LPARAM, BOOL&);
    LRESULT OnControlColour(UINT, WPARAM wp, LPARAM lp, BOOL&);
    // What the login thread has the dialog do, on the dialog's thread.
    void ShowStep(int index);
    void ShowStepText(const char* text);
    void UpdateFailed(); // the new version could not be fetched or written
    void UpdateReady(); // the new version is written: hand over and end with 2
    void LoadingStopped(int index); // index of the step that failed
    void LoadingDone(); // every step ran: end with 1
    LRESULT OnLogin(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnProxy(WORD, WORD, HWND, BOOL&);

    // Draws the background, the logo and the hint picture, then the frame.
    void Paint(HDC dc);
    // The gradient's colour at a client row.
    COLORREF BackgroundAt(int y) const;
    void EnableButtons(bool enable);
    void Notify(const std::string& text);
    // The login thread's two kinds of pass.
    void DownloadUpdate();
    void RunLoading();

    std::string m_iniPath;
    std::unique_ptr<CIni> m_ini;
    ServiceFetcher m_fetcher;
    WorkFactory m_workFactory;
    Launcher m_launcher;
    Notifier m_notifier;
    std::function<void(int)> m_stepObserver;
    std::string m_programPath;

    CIcon m_icon;
    CIcon m_smallIcon;
    CHyperLink m_links[3];
    CSkinImgStatic m_stepText;
    CSkinImgStatic m_percentText;
    CBitmap m_logo;
    CBitmap m_hint;
    std::vector<LiveServer> m_servers;
    HWND m_serverCombo;
    HWND m_progressBar;
    std::vector<int> m_shownPositions;

    // Taken from the check box when the login starts; read by nothing else.
    bool m_savePassword;
    std::atomic<int32_t> m_updatePending;
    std::atomic<int32_t> m_busy;
    std::atomic<int32_t> m_cancel;
    // The login thread's posts, dropped once the window is gone.
    CUiTaskQueue m_tasks;
};

// The program's login prompt: the dialog above, run modally.
class CLoginPrompt : public ILoginPrompt
{
public:
    INT_PTR RunModal(HWND owner) override { return m_dialog.RunModal(owner); }
    CLogginDlg& Dialog() { return m_dialog; }

private:
    CLogginDlg m_dialog;
};
