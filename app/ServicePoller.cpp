#include "app/ServicePoller.h"

#include "base/Format.h"
#include "base/GlobalDefaults.h"

const char* const CServicePoller::kNewsPath = "zentu/live/rollnews.php";
const char* const CServicePoller::kStatusPath = "zentu/live/hq_status.php";
const char* const CServicePoller::kLoginCheckPath = "login/login.php?t=";

CServicePoller::CServicePoller(IServicePollTarget& target, StatusPaneFonts fonts, ServiceFetcher fetch,
    std::function<std::string()> baseUrl)
    : m_target(target)
    , m_fonts(fonts)
    , m_fetch(std::move(fetch))
    , m_baseUrl(std::move(baseUrl))
    , m_tickMs(kTickMs)
    , m_wake(::CreateEventA(nullptr, TRUE, FALSE, nullptr))
    , m_newsPending(false)
    , m_statusPending(false)
{
    m_window.Create();
}

CServicePoller::~CServicePoller()
{
    Stop();
    m_window.Destroy();
}

bool CServicePoller::Fetch(const char* path, std::string& body)
{
    body.clear();
    if (!m_fetch)
        return false;
    const std::string base = m_baseUrl ? m_baseUrl() : std::string();
    return m_fetch(base + path, body);
}

void CServicePoller::FetchRollingNews(const std::function<void(const std::string&)>& deliver)
{
    std::string body;
    if (!Fetch(kNewsPath, body))
        return;
    const std::string text = NewsTextFromReply(body);
    {
        SingleLock lock(&m_resultLock);
        m_lastNews = text;
    }
    if (!text.empty())
        deliver(text);
}

void CServicePoller::PollQuoteStatus(const std::function<void(const std::vector<StatusPane>&)>& deliver)
{
    std::string text;
    if (!Fetch(kStatusPath, text) || text.empty())
        return;
    {
        SingleLock lock(&m_resultLock);
        m_lastStatus = text;
    }
    std::vector<StatusPane> panes;
    if (ParseStatusReply(text, m_fonts, panes))
        deliver(panes);
}

void CServicePoller::CheckLogin()
{
    std::string body;
    if (!Fetch(kLoginCheckPath, body))
        return;
    int32_t seconds = 0;
    if (ParseLoginCheckReply(ConvertReplyCodePage(body.c_str()), seconds))
        ServerTime::Set(seconds);
}

void CServicePoller::PollOnce()
{
    FetchRollingNews([this](const std::string& text) { m_target.ShowNews(text); });
    PollQuoteStatus([this](const std::vector<StatusPane>& panes) { m_target.ShowStatus(panes); });
    CheckLogin();
}

void CServicePoller::Start()
{
    if (m_wake)
        ::ResetEvent(m_wake);
    CThread::Start(false);
}

void CServicePoller::Stop()
{
    if (m_wake)
        ::SetEvent(m_wake);
    CThread::Stop();
    SingleLock lock(&m_resultLock);
    m_newsPending = false;
    m_statusPending = false;
    m_pendingNews.clear();
    m_pendingStatus.clear();
}

void CServicePoller::PollDue(const ServicePollsDue& due)
{
    if (due.news && !IsStopRequested()) {
        FetchRollingNews([this](const std::string& text) {
            SingleLock lock(&m_resultLock);
            m_pendingNews = text;
            m_newsPending = true;
        });
    }
    if (due.status && !IsStopRequested()) {
        PollQuoteStatus([this](const std::vector<StatusPane>& panes) {
            SingleLock lock(&m_resultLock);
            m_pendingStatus = panes;
            m_statusPending = true;
        });
    }
    if (due.login && !IsStopRequested())
        CheckLogin();
    PostResults();
}

void CServicePoller::Run()
{
    // The first pass calls all three at once: the frame shows before they answer.
    ServicePollsDue first;
    first.news = first.status = first.login = true;
    PollDue(first);
    ServicePollSchedule schedule;
    while (!IsStopRequested()) {
        PollDue(schedule.Tick());
        if (IsStopRequested())
            break;
        if (m_wake)
            ::WaitForSingleObject(m_wake, m_tickMs);
        else
            ::Sleep(m_tickMs);
    }
}

void CServicePoller::PostResults()
{
    {
        SingleLock lock(&m_resultLock);
        if (!m_newsPending && !m_statusPending)
            return;
    }
    // Never sent: the UI thread may be waiting for this thread to stop.
    m_window.PostOnce(kTaskApplyResults, [this] { ApplyPendingResults(); });
}

void CServicePoller::ApplyPendingResults()
{
    bool newsPending = false;
    bool statusPending = false;
    std::string news;
    std::vector<StatusPane> panes;
    {
        SingleLock lock(&m_resultLock);
        newsPending = m_newsPending;
        statusPending = m_statusPending;
        news.swap(m_pendingNews);
        panes.swap(m_pendingStatus);
        m_newsPending = false;
        m_statusPending = false;
    }
    // The targets take their own locks: none of ours is held.
    if (newsPending)
        m_target.ShowNews(news);
    if (statusPending)
        m_target.ShowStatus(panes);
}

std::string CServicePoller::GetLastNewsText() const
{
    SingleLock lock(&m_resultLock);
    return m_lastNews;
}

std::string CServicePoller::GetLastStatusText() const
{
    SingleLock lock(&m_resultLock);
    return m_lastStatus;
}
