// The login dialog on the display: it logs in to the in-process simulators
// and loads the market, shows refusals, hands an update over, stops with its
// reason, and cancels after the running step.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <mutex>

#include "app/LogginDlg.h"
#include "app/LoginSettings.h"
#include "app/StartupWork.h"
#include "app/StoredPassword.h"
#include "app/UpdateHandOff.h"
#include "base/Base64.h"
#include "base/DataPaths.h"
#include "base/ExchangeTime.h"
#include "base/GlobalDefaults.h"
#include "base/Ini.h"
#include "data/DataCenter.h"
#include "data/GroupData.h"
#include "formula/FormulaLibrary.h"
#include "net/DownLoaderManager.h"
#include "net/HttpClient.h"
#include "net/ServiceBaseUrl.h"
#include "tests/support/SimulatedMarket.h"
#include "tests/support/WindowTesting.h"
#include "tools/marketdata/SimMarketSeries.h"
#include "tools/marketdata/SimMarketTables.h"
#include "tools/quotesim/QuoteSimulator.h"
#include "tools/webservice/SimDiagnosisService.h"
#include "tools/webservice/SimLoginService.h"
#include "tools/websim/WebSimServer.h"

namespace {

// The simulators with the login service and the program's skin; the quote
// server is left for the loading's port probe to find.
class LoginSimulators : public SimulatedMarket
{
public:
    LoginSimulators()
    {
        root.CopyProgramSkin();
        login.SetClock([] { return Now(); });
        login.Install(web);
        QuoteServerAddress::Set(QuoteServerAddress::kDefault);
        QuoteServerPort::Set(QuoteServerPort::kDefault);
    }
    ~LoginSimulators()
    {
        quotes.ReleaseAll();
        if (CDataCenter* live = CDataCenter::PeekInstance())
            live->StopCacheThread();
        CDownLoaderManager::ReleaseInstance();
        CDataCenter::ReleaseInstance();
        GroupIndex::ReleaseInstance();
        FormulaLibrary::Release();
        CurrentUserName::Set("");
    }

    SimLoginService login;
};

// What the dialog told the user, in order (thread-safe: the notifier runs on
// the dialog's thread, tests read it after the run).
struct Messages
{
    std::vector<std::string> shown;
    CLogginDlg::Notifier Get()
    {
        return [this](const std::string& text) { shown.push_back(text); };
    }
};

// The dialog of the running modal test, for the timer that starts its login.
CLogginDlg* g_dialog = nullptr;
std::string g_idleScreenshot;

VOID CALLBACK ClickLogin(HWND, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(nullptr, id);
    if (g_dialog && g_dialog->m_hWnd)
        ::PostMessageA(g_dialog->m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

VOID CALLBACK CaptureThenClickLogin(HWND hwnd, UINT message, UINT_PTR id, DWORD time)
{
    if (g_dialog && g_dialog->m_hWnd) {
        ::RedrawWindow(g_dialog->m_hWnd, nullptr, nullptr,
            RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        g_idleScreenshot = SaveWindowScreenshot(g_dialog->m_hWnd, "login_dialog");
    }
    ClickLogin(hwnd, message, id, time);
}

bool g_buttonsBack = false;

VOID CALLBACK CheckButtonsThenCancel(HWND, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(nullptr, id);
    if (!g_dialog || !g_dialog->m_hWnd)
        return;
    g_buttonsBack = ::IsWindowEnabled(::GetDlgItem(g_dialog->m_hWnd, IDOK)) && ::IsWindowEnabled(::GetDlgItem(g_dialog->m_hWnd, IDCANCEL))
        && ::IsWindowEnabled(::GetDlgItem(g_dialog->m_hWnd, IDC_LOGIN_PROXY));
    ::PostMessageA(g_dialog->m_hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

// Runs the dialog modally with its login pressed once it shows.
INT_PTR RunWithLogin(CLogginDlg& dialog, TIMERPROC start = &ClickLogin)
{
    g_dialog = &dialog;
    ::SetTimer(nullptr, 0, 300, start);
    const INT_PTR result = dialog.RunModal(nullptr);
    g_dialog = nullptr;
    return result;
}

// A fetcher for the tests without simulators: a login answer, an update
// body, nothing else.
ServiceFetcher FakeService(const std::string& loginReply, const std::string& updateBody = std::string())
{
    return [loginReply, updateBody](const std::string& url, std::string& body) {
        if (url.find("login.a2.php") != std::string::npos) {
            body = loginReply;
            return true;
        }
        if (url.find("update.2.php") != std::string::npos && !updateBody.empty()) {
            body = updateBody;
            return true;
        }
        return false;
    };
}

// Work that only records, blocking in one step until released.
struct ScriptedWork : IStartupWork
{
    std::vector<int>* ran;
    int32_t failAt;
    HANDLE holdAt30;
    ScriptedWork(std::vector<int>* ranOut, int32_t failPosition, HANDLE hold)
        : ran(ranOut)
        , failAt(failPosition)
        , holdAt30(hold)
    {
    }
    int32_t RunStep(int position) override
    {
        ran->push_back(position);
        if (position == 30 && holdAt30)
            ::WaitForSingleObject(holdAt30, 10000);
        return position == failAt ? -1 : 0;
    }
};

bool Enabled(HWND dialog, int id)
{
    return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE;
}

} // namespace

TEST(LoginDialog, LogsInToTheSimulatorsLoadsTheMarketAndEndsWithOne)
{
    LoginSimulators sim;
    ASSERT_TRUE(sim.ok());
    // An older file's name and password, the password in plain base64.
    CIni ini(DataPaths::Instance()->GetRunIniFile());
    ini.WriteString("UserInfo", "Name", "emVudHU=");
    ini.WriteString("UserInfo", "PassWd", "emVudHU=");

    Messages messages;
    std::string progressShot;
    std::vector<int> observed;
    int barAt60 = -1;
    std::string percentAt60;
    {
        CLoginPrompt prompt;
        CLogginDlg& dialog = prompt.Dialog();
        const uint16_t quotePort = sim.quotes.Port();
        dialog.SetWorkFactory([quotePort] {
            return std::unique_ptr<IStartupWork>(new CDataCenterStartupWork({ quotePort }, 2000));
        });
        dialog.SetNotifier(messages.Get());
        dialog.SetLauncher([](const std::string&, const std::string&) {
            ADD_FAILURE() << "nothing is launched";
            return false;
        });
        dialog.SetStepObserver([&](int position) {
            observed.push_back(position);
            if (position != 60)
                return;
            barAt60 = static_cast<int>(
                ::SendMessageA(::GetDlgItem(dialog.m_hWnd, IDC_LOGIN_PROGRESS), PBM_GETPOS, 0, 0));
            ::RedrawWindow(dialog.m_hWnd, nullptr, nullptr,
                RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            progressShot = SaveWindowScreenshot(dialog.m_hWnd, "login_progress");
        });
        g_idleScreenshot.clear();
        g_dialog = &dialog;
        ::SetTimer(nullptr, 0, 300, &CaptureThenClickLogin);
        EXPECT_EQ(prompt.RunModal(nullptr), 1);
        g_dialog = nullptr;
        EXPECT_FALSE(dialog.IsBusy());
        EXPECT_EQ(dialog.GetShownPositions(), std::vector<int>({ 10, 30, 50, 60, 70, 80, 90, 100 }));
        ASSERT_EQ(dialog.GetServers().size(), 1u);
        EXPECT_EQ(dialog.GetServers()[0].name, "本地行情");
    }
    EXPECT_TRUE(messages.shown.empty()) << messages.shown.front();
    EXPECT_EQ(observed.back(), 100);
    EXPECT_EQ(barAt60, 60);
    EXPECT_FALSE(g_idleScreenshot.empty());
    EXPECT_FALSE(progressShot.empty());

    // What the login set and loaded.
    EXPECT_EQ(ServerTime::Get(), SimulatedMarket::Now());
    EXPECT_EQ(QuoteServerAddress::Get(), "127.0.0.1");
    EXPECT_EQ(QuoteServerPort::Get(), sim.quotes.Port());
    EXPECT_EQ(CurrentUserName::Get(), "zentu");
    CDataCenter* center = CDataCenter::PeekInstance();
    ASSERT_TRUE(center);
    EXPECT_GT(center->GetCodeTable().GetCount(), 0);
    EXPECT_EQ(center->GetCurrentCodeKey(), center->GetCodeTable().FindKeyByCode("1A0001"));
    // The market's tables carry what real ones do: a name with a four-byte
    // GB18030 character, a name with stale bytes after it, a finance record
    // of a further market. Each is taken or skipped alone.
    EXPECT_EQ(center->GetCodeTable().GetNameOfKey(SimMarketTables::kGb18030NameKey),
        "\x82\x31\xB7\x39\xC0\xE6\xB7\xA2\xD5\xB9");
    EXPECT_EQ(center->GetCodeTable().GetNameOfKey(SimMarketTables::kStaleNameBytesKey), "\xC9\xEA\xC1\xAA");
    EXPECT_EQ(center->GetCodeTable().GetSkipped(), 0u);
    EXPECT_EQ(center->GetFinanceData().GetSkipped(), 1u);
    EXPECT_NE(center->GetFinanceData().GetRecord(SimMarketTables::kGb18030NameKey), nullptr);

    // The service saw one install notice, one list and one login with the saved credentials.
    EXPECT_EQ(sim.login.CountRequests("/zentu/live/install.php"), 1u);
    EXPECT_EQ(sim.login.CountRequests("/zentu/live/hq_server.php"), 1u);
    EXPECT_EQ(sim.login.CountRequests("/zentu/login.a2.php"), 1u);
    EXPECT_EQ(sim.login.LastCredentials(), std::make_pair(std::string("zentu"), std::string("zentu")));

    // run.ini: the install flag, the list, the flag, and the older password written sealed.
    EXPECT_EQ(ini.GetString("Global", "InstallFlag"), "20110816");
    EXPECT_EQ(ini.GetString("LiveServer", "0"), "本地行情,127.0.0.1");
    EXPECT_EQ(ini.GetString("Global", "SavePassWd"), "true");
    EXPECT_TRUE(IsProtectedPassword(ini.GetString("UserInfo", "PassWd")));
    std::string name;
    std::string password;
    ASSERT_TRUE(LoadUserInfo(ini, name, password));
    EXPECT_EQ(password, "zentu");
}

TEST(LoginDialog, RefusalsShowTheirMessageAndTheButtonsComeBack)
{
    LoginSimulators sim;
    ASSERT_TRUE(sim.ok());
    Messages messages;
    CLogginDlg dialog;
    dialog.SetNotifier(messages.Get());
    dialog.SetWorkFactory([] {
        ADD_FAILURE() << "no loading after a refusal";
        return std::unique_ptr<IStartupWork>();
    });
    HWND hwnd = dialog.Create(nullptr);
    ASSERT_TRUE(hwnd);
    ShowWithoutActivating(hwnd);
    PumpPendingMessages();
    auto login = [&] { ::SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); };

    // Nothing typed: told so, nothing sent.
    login();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0], "用户名或密码不能为空");
    EXPECT_EQ(sim.login.CountRequests("/zentu/login.a2.php"), 0u);

    // A wrong password: one request, the service's message, the buttons back.
    ::SetDlgItemTextA(hwnd, IDC_LOGIN_NAME, "zentu");
    ::SetDlgItemTextA(hwnd, IDC_LOGIN_PASSWORD, "wrong");
    login();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1], "用户名或密码错误");
    EXPECT_EQ(sim.login.CountRequests("/zentu/login.a2.php"), 1u);
    for (int id : { IDOK, IDCANCEL, IDC_LOGIN_PROXY })
        EXPECT_TRUE(Enabled(hwnd, id)) << id;

    // A service that fails: three attempts, then the default message.
    ::SetDlgItemTextA(hwnd, IDC_LOGIN_PASSWORD, "zentu");
    sim.login.SetLoginFailureStatus(503);
    login();
    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(messages.shown[2], "登陆失败，请重新登录");
    EXPECT_EQ(sim.login.CountRequests("/zentu/login.a2.php"), 4u);
    EXPECT_TRUE(Enabled(hwnd, IDOK));
    EXPECT_FALSE(dialog.IsBusy());

    // Nothing was saved by the refusals.
    CIni ini(DataPaths::Instance()->GetRunIniFile());
    EXPECT_EQ(ini.GetString("UserInfo", "Name", "none"), "none");

    // Cancel while idle closes at once and keeps the box's state.
    ::SendMessageA(::GetDlgItem(hwnd, IDC_LOGIN_SAVE), BM_SETCHECK, BST_UNCHECKED, 0);
    ::SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(ini.GetString("Global", "SavePassWd"), "false");
}

TEST(LoginDialog, CancelWhileLoadingEndsAfterTheRunningStepWithTwo)
{
    TempDataRoot root;
    Messages messages;
    std::vector<int> ran;
    HANDLE hold = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    INT_PTR result = 0;
    {
        CLogginDlg dialog;
        dialog.SetFetcher(FakeService("T|1765351800|20110816|ok"));
        dialog.SetNotifier(messages.Get());
        dialog.SetWorkFactory([&] { return std::unique_ptr<IStartupWork>(new ScriptedWork(&ran, 0, hold)); });
        dialog.SetStepObserver([&](int position) {
            if (position != 30)
                return;
            // The thread is inside the 30 step: the cancel waits for it.
            ::SendMessageA(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            EXPECT_TRUE(::IsWindow(dialog.m_hWnd)) << "not closed at once";
            ::SetEvent(hold);
        });
        CIni(DataPaths::Instance()->GetRunIniFile()).WriteString("UserInfo", "Name", "emVudHU=");
        CIni(DataPaths::Instance()->GetRunIniFile()).WriteString("UserInfo", "PassWd", "emVudHU=");
        result = RunWithLogin(dialog);
        EXPECT_EQ(dialog.GetShownPositions(), std::vector<int>({ 10, 30 }));
    }
    ::CloseHandle(hold);
    EXPECT_EQ(result, 2);
    EXPECT_EQ(ran, std::vector<int>({ 10, 30 })) << "the 50 step never starts";
    EXPECT_TRUE(messages.shown.empty());
    CurrentUserName::Set("");
}

TEST(LoginDialog, AFailedStepShowsWhyAndGivesTheButtonsBack)
{
    TempDataRoot root;
    CIni(DataPaths::Instance()->GetRunIniFile()).WriteString("UserInfo", "Name", "emVudHU=");
    CIni(DataPaths::Instance()->GetRunIniFile()).WriteString("UserInfo", "PassWd", "emVudHU=");
    std::vector<int> ran;
    std::vector<std::string> shown;
    CLogginDlg dialog;
    dialog.SetFetcher(FakeService("T|1765351800|20110816|ok"));
    dialog.SetWorkFactory([&] { return std::unique_ptr<IStartupWork>(new ScriptedWork(&ran, 50, nullptr)); });
    dialog.SetNotifier([&](const std::string& text) {
        shown.push_back(text);
        // Once the message is answered the buttons are back; then the user cancels.
        ::SetTimer(nullptr, 0, 50, &CheckButtonsThenCancel);
    });
    g_buttonsBack = false;
    EXPECT_EQ(RunWithLogin(dialog), 2);
    EXPECT_TRUE(g_buttonsBack);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "加载财务数据失败，请重新登录!");
    EXPECT_EQ(ran, std::vector<int>({ 10, 30, 50 }));
    EXPECT_EQ(dialog.GetShownPositions(), std::vector<int>({ 10, 30, 50 }));
    CurrentUserName::Set("");
}

TEST(LoginDialog, ANewerVersionIsWrittenAndHandedToTheUpdater)
{
    TempDataRoot root;
    CIni(DataPaths::Instance()->GetRunIniFile()).WriteString("UserInfo", "Name", "emVudHU=");
    CIni(DataPaths::Instance()->GetRunIniFile()).WriteString("UserInfo", "PassWd", "emVudHU=");
    const std::string program = root.AppDir() + "Zentu.exe";
    const std::string image = SimLoginService::UpdateImage(SimLoginService::UpdateBody::Program);
    struct Launch
    {
        std::string file;
        std::string parameters;
    };
    std::vector<Launch> launches;
    std::vector<std::string> shown;
    {
        CLogginDlg dialog;
        dialog.SetFetcher(FakeService("F|1765351800|20990101|new", image));
        dialog.SetProgramPath(program);
        dialog.SetNotifier([&](const std::string& text) { shown.push_back(text); });
        dialog.SetLauncher([&](const std::string& file, const std::string& parameters) {
            launches.push_back({ file, parameters });
            return true;
        });
        dialog.SetWorkFactory([] {
            ADD_FAILURE() << "an update loads nothing";
            return std::unique_ptr<IStartupWork>();
        });
        EXPECT_EQ(RunWithLogin(dialog), 2);
        EXPECT_TRUE(dialog.IsUpdatePending());
        EXPECT_TRUE(dialog.GetShownPositions().empty());
    }
    EXPECT_EQ(ReadTestFile(program + ".new"), image);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "新版本下载完成，软件需要重新启动!");
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].file, UpdaterPath());
    EXPECT_EQ(launches[0].parameters, "\"" + program + "\"");
    CurrentUserName::Set("");
}

TEST(LoginDialog, AnUpdateThatIsNoProgramIsAFailedDownload)
{
    TempDataRoot root;
    CIni(DataPaths::Instance()->GetRunIniFile()).WriteString("UserInfo", "Name", "emVudHU=");
    CIni(DataPaths::Instance()->GetRunIniFile()).WriteString("UserInfo", "PassWd", "emVudHU=");
    const std::string program = root.AppDir() + "Zentu.exe";
    for (SimLoginService::UpdateBody body :
        { SimLoginService::UpdateBody::Small, SimLoginService::UpdateBody::NotAProgram }) {
        std::vector<std::string> shown;
        CLogginDlg dialog;
        dialog.SetFetcher(FakeService("T|1765351800|20990101|new", SimLoginService::UpdateImage(body)));
        dialog.SetProgramPath(program);
        dialog.SetNotifier([&](const std::string& text) {
            shown.push_back(text);
            ::PostMessageA(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        });
        dialog.SetLauncher([](const std::string&, const std::string&) {
            ADD_FAILURE() << "nothing is handed over";
            return false;
        });
        EXPECT_EQ(RunWithLogin(dialog), 2);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].find("新版本下载失败，请访问 "), 0u) << shown[0];
        EXPECT_EQ(ReadTestFile(program + ".new"), "<missing>");
    }
    CurrentUserName::Set("");
}

TEST(LoginDialog, TheServicesNewerVersionIsFetchedWholeAndHandedOver)
{
    LoginSimulators sim;
    ASSERT_TRUE(sim.ok());
    sim.login.SetOfferUpdate(true);
    CIni ini(DataPaths::Instance()->GetRunIniFile());
    ini.WriteString("UserInfo", "Name", "emVudHU=");
    ini.WriteString("UserInfo", "PassWd", "emVudHU=");
    const std::string program = sim.root.AppDir() + "Zentu.exe";
    std::vector<std::string> launched;
    std::vector<std::string> shown;
    {
        CLogginDlg dialog;
        dialog.SetProgramPath(program);
        dialog.SetNotifier([&](const std::string& text) { shown.push_back(text); });
        dialog.SetLauncher([&](const std::string&, const std::string& parameters) {
            launched.push_back(parameters);
            return true;
        });
        EXPECT_EQ(RunWithLogin(dialog), 2);
    }
    EXPECT_EQ(ReadTestFile(program + ".new"), SimLoginService::UpdateImage(SimLoginService::UpdateBody::Program));
    EXPECT_EQ(launched, std::vector<std::string>({ "\"" + program + "\"" }));
    EXPECT_EQ(shown, std::vector<std::string>({ "新版本下载完成，软件需要重新启动!" }));
    EXPECT_EQ(sim.login.CountRequests("/zentu/update.2.php"), 1u);
    const std::vector<std::string> log = sim.login.RequestLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().find("/zentu/update.2.php?pid=5&id="), 0u) << log.back();
    EXPECT_EQ(CDataCenter::PeekInstance(), nullptr) << "an update loads nothing";

    // A body the service cuts to 10,240 bytes is a failed download: nothing is written or handed over.
    sim.login.SetUpdateBody(SimLoginService::UpdateBody::Small);
    ::DeleteFileA((program + ".new").c_str());
    shown.clear();
    {
        CLogginDlg dialog;
        dialog.SetProgramPath(program);
        dialog.SetNotifier([&](const std::string& text) {
            shown.push_back(text);
            ::PostMessageA(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        });
        dialog.SetLauncher([&](const std::string&, const std::string& parameters) {
            launched.push_back(parameters);
            return true;
        });
        EXPECT_EQ(RunWithLogin(dialog), 2);
    }
    EXPECT_EQ(ReadTestFile(program + ".new"), "<missing>");
    EXPECT_EQ(launched.size(), 1u);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "新版本下载失败，请访问 " + sim.web.Url("/") + " 手动下载新版本!");
}
