#include "app/LogginDlg.h"

#include <commctrl.h>

#include "app/MenuCommandDispatcher.h"
#include "app/ProxyInfo.h"
#include "app/ProxySetDlg.h"
#include "app/ShellConstants.h"
#include "app/LoginSettings.h"
#include "app/StartupWork.h"
#include "app/UpdateHandOff.h"
#include "base/DataPaths.h"
#include "base/DcGuards.h"
#include "base/GdiObjectCache.h"
#include "base/GlobalDefaults.h"
#include "base/Ini.h"
#include "net/HttpClient.h"
#include "net/ServiceBaseUrl.h"
#include "skin/ControlSkinner.h"
#include "skin/EnBitmap.h"

const char* const CLogginDlg::kEmptyInputMessage = "用户名或密码不能为空";

namespace {
const char kNoticeTitle[] = "提示";
const COLORREF kTopColour = RGB(177, 213, 248);
const COLORREF kBottomColour = RGB(35, 96, 156);
const COLORREF kLabelColour = RGB(11, 47, 83);
const int kLinkIds[3] = { IDC_LOGIN_REGISTER, IDC_LOGIN_RETRIEVE, IDC_LOGIN_CHAT };

int StepIndexOf(int position)
{
    for (int i = 0; i < kStartupStepCount; ++i) {
        if (kStartupSteps[i].position == position)
            return i;
    }
    return 0;
}

HICON LoadProgramIcon(int size)
{
    return static_cast<HICON>(
        ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_MAINFRAME), IMAGE_ICON, size, size, 0));
}

// The loading's progress, handed to the dialog by posting.
class CPostedProgress : public IStartupProgress
{
public:
    explicit CPostedProgress(std::function<void(int)> post)
        : m_post(std::move(post))
    {
    }
    void ShowStep(const StartupStep& step) override { m_post(StepIndexOf(step.position)); }

private:
    std::function<void(int)> m_post;
};
} // namespace

CLogginDlg::CLogginDlg()
    : m_fetcher(&DownloadServiceBody)
    , m_workFactory([] {
        return std::unique_ptr<IStartupWork>(new CDataCenterStartupWork(QuoteProbePortsFor(QuoteServerPort::Get())));
    })
    , m_launcher(&LaunchProcess)
    , m_programPath(RunningProgramPath())
    , m_serverCombo(nullptr)
    , m_progressBar(nullptr)
    , m_savePassword(true)
    , m_updatePending(0)
    , m_busy(0)
    , m_cancel(0)
{
}

CLogginDlg::~CLogginDlg()
{
    m_tasks.Detach();
    Stop();
}

INT_PTR CLogginDlg::RunModal(HWND owner)
{
    const INT_PTR result = DoModal(owner);
    m_tasks.Detach();
    // The window is gone: the thread can post nothing that matters any more.
    Stop();
    return result;
}

std::string CLogginDlg::GetButtonImage(int id)
{
    return id == IDOK || id == IDCANCEL ? "lmenu.png" : "";
}

void CLogginDlg::Notify(const std::string& text)
{
    if (m_notifier)
        m_notifier(text);
    else
        ::MessageBoxA(m_hWnd, text.c_str(), kNoticeTitle, MB_OK);
}

LRESULT CLogginDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    m_frame.SetSkinFiles("lwndtitle.bmp", "Lwndborderleft.bmp", "Lwndborderright.bmp", "Lwndborderbottom.bmp");
    m_icon.Attach(LoadProgramIcon(::GetSystemMetrics(SM_CXICON)));
    m_smallIcon.Attach(LoadProgramIcon(::GetSystemMetrics(SM_CXSMICON)));
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon.Get()));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon.Get()));

    const std::string base = ServiceBaseUrl::Get();
    const std::string pages[3] = { base + "user/index.php", base + "user/userlogin.php",
        base + MenuCommandDispatcher::kChatPagePath };
    for (int i = 0; i < 3; ++i) {
        m_links[i].SetHyperLink(pages[i]);
        m_links[i].SubclassWindow(GetDlgItem(kLinkIds[i]));
    }
    m_links[2].m_linkColour = RGB(255, 255, 0);

    m_stepText.SubclassWindow(GetDlgItem(IDC_LOGIN_STEP));
    m_stepText.SetTextColour(RGB(255, 0, 0));
    m_percentText.SubclassWindow(GetDlgItem(IDC_LOGIN_PERCENT));
    m_percentText.SetTextColour(RGB(255, 255, 0));
    m_progressBar = GetDlgItem(IDC_LOGIN_PROGRESS);
    ::SendMessageA(m_progressBar, PBM_SETRANGE32, 0, 100);

    GdiObjectCache* cache = GdiObjectCache::Instance();
    HFONT label = cache->GetFont(14, "宋体", FW_NORMAL);
    HFONT bold = cache->GetFont(14, "宋体", FW_BOLD);
    for (int id : { IDC_LOGIN_SERVER_LABEL, IDC_LOGIN_NAME_LABEL, IDC_LOGIN_PASSWORD_LABEL })
        ::SendMessageA(GetDlgItem(id), WM_SETFONT, reinterpret_cast<WPARAM>(label), FALSE);
    for (int id : { IDOK, IDCANCEL })
        ::SendMessageA(GetDlgItem(id), WM_SETFONT, reinterpret_cast<WPARAM>(bold), FALSE);

    m_ini.reset(new CIni(m_iniPath.empty() ? DataPaths::Instance()->GetRunIniFile() : m_iniPath));
    std::string name;
    std::string password;
    LoadUserInfo(*m_ini, name, password);
    if (!name.empty())
        SetDlgItemText(IDC_LOGIN_NAME, name.c_str());
    if (!password.empty())
        SetDlgItemText(IDC_LOGIN_PASSWORD, password.c_str());

    m_logo.Attach(CEnBitmap::LoadFromFile(DataPaths::Instance()->GetSkinFile("Logo_01.png").c_str(), CLR_INVALID));
    m_hint.Attach(CEnBitmap::LoadFromFile(DataPaths::Instance()->GetSkinFile("hint_01.png").c_str(), CLR_INVALID));
    if (LoadSavePasswordFlag(*m_ini))
        ::CheckDlgButton(m_hWnd, IDC_LOGIN_SAVE, BST_CHECKED);

    m_serverCombo = GetDlgItem(IDC_LOGIN_SERVER);
    ::SetWindowLongPtrA(m_serverCombo, GWL_STYLE, ::GetWindowLongPtrA(m_serverCombo, GWL_STYLE) & ~CBS_SORT);
    ReportInstall(*m_ini, m_fetcher, base);
    FetchLiveServers(*m_ini, m_fetcher, base);
    m_servers = LoadLiveServers(*m_ini);
    for (const LiveServer& server : m_servers)
        ::SendMessageA(m_serverCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(server.name.c_str()));
    ::SendMessageA(m_serverCombo, CB_SETCURSEL, 0, 0);

    SetWindowText(kMainWindowTitle);
    m_frame.Attach(m_hWnd, 2);
    m_frame.SetCaptionTextColor(RGB(192, 0, 0));
    SkinDialogButtons(*this, m_hWnd);
    CenterWindow(GetParent());
    m_busy.store(0);
    m_cancel.store(0);
    m_frame.SetCaptionTextColor(RGB(255, 255, 255));
    m_tasks.Attach(m_hWnd);
    return TRUE;
}

COLORREF CLogginDlg::BackgroundAt(int y) const
{
    const int height = GetClientRect().Height();
    if (height <= 1)
        return kTopColour;
    const int at = y < 0 ? 0 : (y >= height ? height - 1 : y);
    auto mix = [&](int top, int bottom) { return top + (bottom - top) * at / (height - 1); };
    return RGB(mix(GetRValue(kTopColour), GetRValue(kBottomColour)),
        mix(GetGValue(kTopColour), GetGValue(kBottomColour)), mix(GetBValue(kTopColour), GetBValue(kBottomColour)));
}

void CLogginDlg::Paint(HDC dc)
{
    const CRect client = GetClientRect();
    TRIVERTEX corners[2] = {
        { client.left, client.top, 0xB100, 0xD500, 0xF800, 0xFF00 },
        { client.right, client.bottom, 0x2300, 0x6000, 0x9C00, 0xFF00 },
    };
    GRADIENT_RECT rect = { 0, 1 };
    ::GradientFill(dc, corners, 2, &rect, 1, GRADIENT_FILL_RECT_V);

    // The frame covers the window's edges: the pictures keep clear of its title.
    const bool framed = m_frame.GetWindow() == m_hWnd;
    const int top = framed ? m_frame.GetMetrics().titleHeight : 0;
    const struct
    {
        const CBitmap& image;
        CRect place;
    } pictures[2] = {
        { m_logo, CRect(10, top + 10, 10 + 149, top + 10 + 162) },
        { m_hint, CRect(10, top + 183, 10 + 467, top + 183 + 72) },
    };
    for (const auto& picture : pictures) {
        if (picture.image.IsNull())
            continue;
        const CSize size = picture.image.GetSize();
        CMemDC source(dc);
        CSelectObject select(source, picture.image);
        BLENDFUNCTION blend = { AC_SRC_OVER, 0, 255, AC_SRC_ALPHA };
        ::AlphaBlend(dc, picture.place.left, picture.place.top, picture.place.Width(), picture.place.Height(), source,
            0, 0, size.cx, size.cy, blend);
    }
    if (framed)
        m_frame.PaintFrame(dc);
}

LRESULT CLogginDlg::OnPaint(UINT msg, WPARAM wp, LPARAM, BOOL&)
{
    HDC given = reinterpret_cast<HDC>(wp);
    if (given) {
        Paint(given);
        return 0;
    }
    if (msg == WM_PAINT) {
        CPaintDC dc(m_hWnd);
        CMemoryDC memory(dc, GetClientRect());
        Paint(memory);
    }
    return 0;
}

LRESULT CLogginDlg::OnControlColour(UINT, WPARAM wp, LPARAM lp, BOOL&)
{
    HDC dc = reinterpret_cast<HDC>(wp);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kLabelColour);
    // The links fill their background with the brush they get: the colour of
    // the gradient where they stand (it changes only from row to row).
    HWND control = reinterpret_cast<HWND>(lp);
    for (const CHyperLink& link : m_links) {
        if (link.m_hWnd == control && control) {
            const CRect place = CWindow(control).GetRectInParent();
            return reinterpret_cast<LRESULT>(
                GdiObjectCache::Instance()->GetBrush(BackgroundAt(place.top + place.Height() / 2)));
        }
    }
    return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
}

void CLogginDlg::EnableButtons(bool enable)
{
    for (int id : { IDOK, IDCANCEL, IDC_LOGIN_PROXY })
        ::EnableWindow(GetDlgItem(id), enable ? TRUE : FALSE);
}

LRESULT CLogginDlg::OnLogin(WORD, WORD, HWND, BOOL&)
{
    const std::string name = GetDlgItemText(IDC_LOGIN_NAME);
    const std::string password = GetDlgItemText(IDC_LOGIN_PASSWORD);
    if (name.empty() || password.empty()) {
        Notify(kEmptyInputMessage);
        return 0;
    }
    EnableButtons(false);
    m_savePassword = ::IsDlgButtonChecked(m_hWnd, IDC_LOGIN_SAVE) == BST_CHECKED;

    const std::string url
        = BuildLoginUrl(ServiceBaseUrl::Get(), LoginScriptForEdition(kEditionNumber), MakeRequestId(), name, password);
    if (HttpClient* client = HttpClient::Instance())
        ApplyProxyInfo(client->GetProxySettings(), ReadProxyInfo(*m_ini));

    std::string body;
    bool fetched = false;
    for (int attempt = 0; attempt < kLoginAttempts && !fetched; ++attempt)
        fetched = m_fetcher && m_fetcher(url, body);
    const LoginReply reply = fetched ? ParseLoginReply(body) : LoginReply();
    if (reply.accepted) {
        ServerTime::Set(reply.serverTime);
        m_updatePending.store(reply.updatePending ? 1 : 0);
    }

    const LRESULT selection = ::SendMessageA(m_serverCombo, CB_GETCURSEL, 0, 0);
    if (selection >= 0 && static_cast<size_t>(selection) < m_servers.size())
        QuoteServerAddress::Set(m_servers[static_cast<size_t>(selection)].address);

    if (!reply.accepted) {
        Notify(reply.message);
        EnableButtons(true);
        return 0;
    }
    // The previous pass (one that stopped) has ended or is about to.
    Stop();
    m_cancel.store(0);
    m_busy.store(1);
    if (!Start(false)) {
        m_busy.store(0);
        Notify(LoginReply::kDefaultMessage);
        EnableButtons(true);
        return 0;
    }
    SaveUserInfo(*m_ini, name, password, m_savePassword);
    CurrentUserName::Set(name);
    SaveSavePasswordFlag(*m_ini, m_savePassword);
    return 0;
}

LRESULT CLogginDlg::OnCancel(WORD, WORD, HWND, BOOL&)
{
    if (m_ini)
        SaveSavePasswordFlag(*m_ini, ::IsDlgButtonChecked(m_hWnd, IDC_LOGIN_SAVE) == BST_CHECKED);
    if (!m_busy.load()) {
        EndDialog(IDCANCEL);
        return 0;
    }
    // The thread takes the flag when it ends its pass; if it has just ended
    // without seeing it, the flag is taken back here. Exactly one side gets it.
    m_cancel.store(1);
    if (!m_busy.load() && m_cancel.exchange(0))
        EndDialog(IDCANCEL);
    return 0;
}

LRESULT CLogginDlg::OnProxy(WORD, WORD, HWND, BOOL&)
{
    if (!m_ini)
        return 0;
    CProxySetDlg dialog(*m_ini);
    dialog.DoModal(::GetActiveWindow());
    return 0;
}

void CLogginDlg::ShowStep(int index)
{
    if (index < 0 || index >= kStartupStepCount)
        return;
    const StartupStep& step = kStartupSteps[index];
    ::SendMessageA(m_progressBar, PBM_SETPOS, static_cast<WPARAM>(step.position), 0);
    m_percentText.SetText(StartupPercentText(step.position));
    m_stepText.SetText(step.text);
    m_shownPositions.push_back(step.position);
    if (m_stepObserver)
        m_stepObserver(step.position);
}

void CLogginDlg::ShowStepText(const char* text)
{
    if (text)
        m_stepText.SetText(text);
}

void CLogginDlg::UpdateFailed()
{
    Notify("新版本下载失败，请访问 " + ServiceBaseUrl::Get() + " 手动下载新版本!");
    EnableButtons(true);
}

void CLogginDlg::UpdateReady()
{
    Notify("新版本下载完成，软件需要重新启动!");
    if (m_launcher)
        m_launcher(UpdaterPath(), "\"" + m_programPath + "\"");
    EndDialog(IDCANCEL);
}

void CLogginDlg::LoadingStopped(int index)
{
    const char* reason = index >= 0 && index < kStartupStepCount ? kStartupSteps[index].failure : nullptr;
    Notify(reason ? reason : LoginReply::kDefaultMessage);
    EnableButtons(true);
}

void CLogginDlg::LoadingDone()
{
    EnableButtons(true);
    EndDialog(IDOK);
}

void CLogginDlg::Run()
{
    m_busy.store(1);
    if (!IsStopRequested()) {
        if (m_updatePending.load())
            DownloadUpdate();
        else
            RunLoading();
    }
    m_busy.store(0);
    if (m_cancel.exchange(0) && !IsStopRequested())
        m_tasks.Post([this] { SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); });
}

void CLogginDlg::DownloadUpdate()
{
    static const char kFound[] = "发现新版本....";
    static const char kDownloading[] = "开始下载新版本....";
    static const char kUpdating[] = "开始下载更新....";
    m_tasks.Post([this] { ShowStepText(kFound); });
    ::Sleep(100);
    m_tasks.Post([this] { ShowStepText(kDownloading); });
    const std::string url
        = BuildUpdateUrl(ServiceBaseUrl::Get(), UpdateScriptForEdition(kEditionNumber), MakeRequestId());
    std::string body;
    if (!m_fetcher || !m_fetcher(url, body) || WriteUpdateFile(m_programPath, body) != UpdateWrite::Written) {
        m_tasks.Post([this] { UpdateFailed(); });
        return;
    }
    m_tasks.Post([this] { ShowStepText(kUpdating); });
    m_tasks.Post([this] { UpdateReady(); });
}

void CLogginDlg::RunLoading()
{
    std::unique_ptr<IStartupWork> work = m_workFactory ? m_workFactory() : nullptr;
    if (!work) {
        m_tasks.Post([this] { LoadingStopped(0); });
        return;
    }
    CPostedProgress progress([this](int index) { m_tasks.Post([this, index] { ShowStep(index); }); });
    const StartupOutcome outcome
        = RunStartupSequence(*work, progress, [this] { return m_cancel.load() != 0 || IsStopRequested(); });
    work.reset();
    if (outcome.kind == StartupOutcome::Completed)
        m_tasks.Post([this] { LoadingDone(); });
    else if (outcome.kind == StartupOutcome::Failed)
        m_tasks.Post([this, index = StepIndexOf(outcome.position)] { LoadingStopped(index); });
}
