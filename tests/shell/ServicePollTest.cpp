// The main frame's service polls: the reply parsers, the tick schedule, the
// poll thread's stop, and the three polls against the web-service simulator.
#include "app/ServicePoller.h"
#include "base/GlobalDefaults.h"
#include "base/MemoryStream.h"
#include "net/HttpClient.h"
#include "skin/SkinScrollInfo.h"
#include "tests/support/WindowTesting.h"
#include "tools/webservice/SimLiveService.h"
#include "tools/websim/WebSimServer.h"
#include <gtest/gtest.h>
#include <atomic>
#include <chrono>
#include <thread>

namespace {

const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(0, 128, 0);
const COLORREF kBlack = RGB(0, 0, 0);
HFONT const kBold = reinterpret_cast<HFONT>(static_cast<intptr_t>(0x700));
HFONT const kNormal = reinterpret_cast<HFONT>(static_cast<intptr_t>(0x400));

StatusPaneFonts Fonts()
{
    StatusPaneFonts fonts;
    fonts.bold = kBold;
    fonts.normal = kNormal;
    return fonts;
}

const char* const kSevenLines = "上证指数\t2612.35;-12.40;-0.47;98765432100\r\n"
                                "深证成指\t10523.17;35.20;0.34;5200000\r\n"
                                "中小板指\t0;0;0;0\r\n"
                                "创业板指\t1021.46;0;0.00;0\r\n"
                                "上涨家数\t812\r\n"
                                "下跌家数\t1204\r\n"
                                "平盘家数\t95";

std::string Texts(const StatusPane& pane)
{
    std::string all;
    for (const StatusSegment& s : pane.segments)
        all += "[" + s.text + "]";
    return all;
}

// Records what reaches the frame's controls.
struct RecordingTarget : IServicePollTarget
{
    std::vector<std::string> news;
    std::vector<std::vector<StatusPane>> status;
    DWORD thread = 0;
    void ShowNews(const std::string& text) override
    {
        thread = ::GetCurrentThreadId();
        news.push_back(text);
    }
    void ShowStatus(const std::vector<StatusPane>& panes) override
    {
        thread = ::GetCurrentThreadId();
        status.push_back(panes);
    }
};

std::string Utf8(const wchar_t* text)
{
    char buffer[512] = {};
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof(buffer), nullptr, nullptr);
    return buffer;
}

} // namespace

TEST(StatusReply, SevenLinesMakeSevenPanesAndFewerChangeNothing)
{
    std::vector<StatusPane> panes(1);
    // Six lines (also with the line end a server may add) are dropped.
    const std::string six = "a\t1;1;1;1\r\nb\t1;1;1;1\r\nc\t1;1;1;1\r\nd\t1;1;1;1\r\ne\t1\r\nf\t2";
    EXPECT_FALSE(ParseStatusReply(six, Fonts(), panes));
    EXPECT_FALSE(ParseStatusReply(six + "\r\n", Fonts(), panes));
    EXPECT_FALSE(ParseStatusReply("", Fonts(), panes));
    EXPECT_EQ(panes.size(), 1u) << "the bar keeps its panes";

    ASSERT_TRUE(ParseStatusReply(kSevenLines, Fonts(), panes));
    ASSERT_EQ(panes.size(), 7u);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(panes[i].value, 5020 + i);

    // A falling index in green, bold; the turnover in black with the bar's font.
    EXPECT_EQ(Texts(panes[0]), "[上证指数][ 2612.35][ -12.40][ -0.47%][ 987.65亿]");
    EXPECT_EQ(panes[0].segments[0].colour, kBlack);
    EXPECT_EQ(panes[0].segments[0].font, nullptr);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(panes[0].segments[i].colour, kGreen);
        EXPECT_EQ(panes[0].segments[i].font, kBold);
    }
    EXPECT_EQ(panes[0].segments[4].colour, kBlack);
    EXPECT_EQ(panes[0].segments[4].font, nullptr);
    // Rising in red.
    EXPECT_EQ(Texts(panes[1]), "[深证成指][ 10523.17][ 35.20][ 0.34%][ 520.00万]");
    EXPECT_EQ(panes[1].segments[1].colour, kRed);
    // A last value of 0 hides value and percent but keeps the name.
    EXPECT_EQ(Texts(panes[2]), "[中小板指]");
    // An unchanged index: no change piece, red, no turnover.
    EXPECT_EQ(Texts(panes[3]), "[创业板指][ 1021.46][ 0.00%]");
    EXPECT_EQ(panes[3].segments[1].colour, kRed);

    // The counts: name and colon in black, then red, green, black values.
    EXPECT_EQ(Texts(panes[4]), "[上涨家数:][ 812]");
    EXPECT_EQ(panes[4].segments[1].colour, kRed);
    EXPECT_EQ(panes[5].segments[1].colour, kGreen);
    EXPECT_EQ(panes[6].segments[1].colour, kBlack);
    EXPECT_EQ(panes[6].segments[1].font, kNormal);
    EXPECT_EQ(panes[4].segments[0].font, nullptr);
}

TEST(StatusReply, BrokenLinesGiveNoPaneOrTheNameAloneWithoutMovingTheOthers)
{
    struct Case
    {
        const char* line1;
        size_t panes;
        const char* first; // texts of the first pane
    };
    const Case cases[] = {
        { "上证指数 2612.35;-12.40;-0.47;1", 6, "[深证成指][ 1.00][ 1.00][ 1.00%][ 1]" }, // no tab
        { "上证指数\t2612.35;-12.40;-0.47", 7, "[上证指数]" }, // three numbers
        { "上证指数\tabc;-12.40;-0.47;1", 7, "[上证指数]" }, // not a number
        { "上证指数\tinf;-12.40;-0.47;1", 7, "[上证指数]" }, // not finite
        { "上证指数\t1e400;1;1;1", 7, "[上证指数]" }, // overflows
        { "\t1;1;1;1", 7, "[][ 1.00][ 1.00][ 1.00%][ 1]" }, // empty name
        { "", 6, "[深证成指][ 1.00][ 1.00][ 1.00%][ 1]" }, // empty line keeps its place
    };
    for (const Case& c : cases) {
        const std::string text = std::string(c.line1)
            + "\r\n深证成指\t1;1;1;1\r\n中小板指\t1;1;1;1\r\n创业板指\t1;1;1;1\r\n上涨家数\t1\r\n下跌家数\t2\r\n平盘家数\t3";
        std::vector<StatusPane> panes;
        ASSERT_TRUE(ParseStatusReply(text, Fonts(), panes)) << c.line1;
        ASSERT_EQ(panes.size(), c.panes) << c.line1;
        EXPECT_EQ(Texts(panes[0]), c.first) << c.line1;
        EXPECT_EQ(panes.back().value, 5026) << "later lines keep their panes: " << c.line1;
    }
}

TEST(LoginCheckReply, OnlyTheLeadingDigitsOfAPositiveDecimalTimeAreTaken)
{
    struct Case
    {
        const char* reply;
        bool taken;
        int32_t time;
    };
    const Case cases[] = {
        { "1313452800|0", true, 1313452800 },
        { "1313452800|0|extra", true, 1313452800 },
        { " 1313452800 |0\r\n", true, 1313452800 },
        { "2147483647|0", true, 2147483647 },
        { "1765418400.25|0", true, 1765418400 }, // the leading digits
        { "1765418400.|0", true, 1765418400 },
        { "abc|x", false, 0 },
        { "1313452800", false, 0 }, // one field
        { "1313452800|", false, 0 }, // the empty piece is no field
        { "|0", false, 0 },
        { "0|0", false, 0 },
        { "-5|0", false, 0 },
        { "12ab|0", false, 0 },
        { "1765418400.2x|0", false, 0 },
        { ".25|0", false, 0 },
        { "2147483648|0", false, 0 }, // past 32 bits
        { "99999999999|0", false, 0 },
        { "", false, 0 },
    };
    for (const Case& c : cases) {
        int32_t time = -1;
        EXPECT_EQ(ParseLoginCheckReply(c.reply, time), c.taken) << c.reply;
        if (c.taken)
            EXPECT_EQ(time, c.time) << c.reply;
        else
            EXPECT_EQ(time, -1) << c.reply;
    }
}

TEST(NewsReply, EachTitleKeepsItsOwnLinkAndLinesWithoutATitleAreDropped)
{
    // UTF-8 on the wire, code page 936 in the ticker.
    const std::string reply = Utf8(L"\u6caa\u6307\u4e0a\u6da8\thttp://a/1.html\r\n"
                                   L"\thttp://a/orphan.html\r\n"
                                   L"\u65e0\u94fe\u63a5\r\n"
                                   L"\u7b2c\u4e09\u6761\thttp://a/3.html");
    const std::string text = NewsTextFromReply(reply);
    std::vector<std::string> titles;
    std::vector<TickerExtent> extents;
    ASSERT_TRUE(ParseNewsText(text, titles, extents));
    ASSERT_EQ(titles, (std::vector<std::string> { "沪指上涨", "无链接", "第三条" }));
    ASSERT_EQ(extents.size(), 3u);
    EXPECT_EQ(extents[0].link, "http://a/1.html");
    EXPECT_EQ(extents[1].link, "") << "a line without a tab opens nothing";
    EXPECT_EQ(extents[2].link, "http://a/3.html") << "an empty title shifts no link";
    EXPECT_EQ(NewsTextFromReply(""), "");
}

TEST(ServicePollSchedule, StatusEveryTenTicksNewsEvery600LoginEvery1080)
{
    ServicePollSchedule schedule;
    std::vector<int> status, news, login;
    for (int tick = 1; tick <= 2160; ++tick) {
        const ServicePollsDue due = schedule.Tick();
        if (due.status)
            status.push_back(tick);
        if (due.news)
            news.push_back(tick);
        if (due.login)
            login.push_back(tick);
    }
    ASSERT_EQ(status.size(), 216u);
    EXPECT_EQ(status[0], 10);
    EXPECT_EQ(status[1], 20);
    EXPECT_EQ(news, (std::vector<int> { 600, 1200, 1800 }));
    EXPECT_EQ(login, (std::vector<int> { 1080, 2160 }));
}

TEST(ServicePoller, PollOnceShowsAtOnceAndTheThreadPostsToTheUiThread)
{
    RecordingTarget target;
    std::atomic<int> statusFetches(0);
    std::vector<std::string> urls;
    std::mutex urlsLock;
    auto fetch = [&](const std::string& url, std::string& body) {
        {
            std::lock_guard<std::mutex> lock(urlsLock);
            urls.push_back(url);
        }
        if (url.find("hq_status") != std::string::npos) {
            ++statusFetches;
            body = kSevenLines;
        } else if (url.find("rollnews") != std::string::npos) {
            body = "a\thttp://x/1.html";
        } else {
            body = "1400000000|0";
        }
        return true;
    };
    const int32_t oldTime = ServerTime::Get();
    CServicePoller poller(target, Fonts(), fetch, [] { return std::string("http://svc/"); });
    poller.PollOnce();
    EXPECT_EQ(urls, (std::vector<std::string> { "http://svc/zentu/live/rollnews.php",
                        "http://svc/zentu/live/hq_status.php", "http://svc/login/login.php?t=" }));
    ASSERT_EQ(target.news.size(), 1u);
    ASSERT_EQ(target.status.size(), 1u);
    EXPECT_EQ(target.status[0].size(), 7u);
    EXPECT_EQ(ServerTime::Get(), 1400000000);
    EXPECT_EQ(poller.GetLastStatusText(), kSevenLines);

    // Ticks of 1 ms: the status is due every 10 ms; its panes arrive through
    // the message queue, on this thread.
    poller.SetTickInterval(1);
    poller.Start();
    EXPECT_TRUE(PumpUntil([&] { return target.status.size() >= 3; }, 5000));
    poller.Stop();
    EXPECT_EQ(target.thread, ::GetCurrentThreadId());
    EXPECT_FALSE(poller.IsRunning());
    // Nothing fetched before the stop is applied after it.
    const size_t shown = target.status.size();
    PumpPendingMessages();
    EXPECT_EQ(target.status.size(), shown);
    ServerTime::Set(oldTime);
}

TEST(ServicePoller, TheThreadCallsTheThreeAtOnceAndTheUiThreadNeverWaitsForThem)
{
    RecordingTarget target;
    std::vector<std::string> urls;
    std::vector<DWORD> threads;
    std::mutex urlsLock;
    auto fetch = [&](const std::string& url, std::string& body) {
        {
            std::lock_guard<std::mutex> lock(urlsLock);
            urls.push_back(url);
            threads.push_back(::GetCurrentThreadId());
        }
        if (url.find("hq_status") != std::string::npos)
            body = kSevenLines;
        else if (url.find("rollnews") != std::string::npos)
            body = "a\thttp://x/1.html";
        else
            body = "1400000000|0";
        return true;
    };
    const int32_t oldTime = ServerTime::Get();
    CServicePoller poller(target, Fonts(), fetch, [] { return std::string("http://svc/"); });
    // The schedule's own first call (the status, ten half-second ticks on)
    // comes long after the time allowed here.
    poller.Start();
    EXPECT_TRUE(PumpUntil([&] { return target.news.size() == 1 && target.status.size() == 1; }, 2000));
    poller.Stop();
    EXPECT_EQ(target.thread, ::GetCurrentThreadId());
    std::lock_guard<std::mutex> lock(urlsLock);
    ASSERT_GE(urls.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(urls.begin(), urls.begin() + 3),
        (std::vector<std::string> { "http://svc/zentu/live/rollnews.php", "http://svc/zentu/live/hq_status.php",
            "http://svc/login/login.php?t=" }));
    for (DWORD thread : threads)
        EXPECT_NE(thread, ::GetCurrentThreadId());
    EXPECT_EQ(ServerTime::Get(), 1400000000);
    ServerTime::Set(oldTime);
}

TEST(ServicePoller, AStopEndsTheWaitAtOnceAndWaitsForADownloadInProgress)
{
    RecordingTarget target;
    // A stop while the thread waits for its next tick.
    {
        CServicePoller poller(target, Fonts(), [](const std::string&, std::string&) { return false; }, nullptr);
        poller.Start();
        ::Sleep(50);
        const auto start = std::chrono::steady_clock::now();
        poller.Stop();
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        EXPECT_LT(ms.count(), 300) << "the half-second wait ends with the stop";
    }

    // A stop while a download blocks: the thread is waited for, never ended
    // from outside, and starts nothing after the download returns.
    CKernelHandle entered(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    CKernelHandle release(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::atomic<int> fetches(0);
    std::atomic<int> returned(0);
    auto blocking = [&](const std::string&, std::string& body) {
        ++fetches;
        ::SetEvent(entered);
        ::WaitForSingleObject(release, INFINITE);
        body = kSevenLines;
        ++returned;
        return true;
    };
    CServicePoller poller(target, Fonts(), blocking, nullptr);
    poller.SetTickInterval(1);
    poller.Start();
    ASSERT_EQ(::WaitForSingleObject(entered, 5000), WAIT_OBJECT_0);
    std::atomic<bool> stopped(false);
    std::thread stopper([&] {
        poller.Stop();
        stopped = true;
    });
    ::Sleep(200);
    EXPECT_FALSE(stopped.load()) << "the stop waits for the download";
    ::SetEvent(release);
    stopper.join();
    EXPECT_TRUE(stopped.load());
    EXPECT_EQ(returned.load(), 1) << "the download ran to its end";
    EXPECT_EQ(fetches.load(), 1) << "nothing was fetched after the stop";
}

TEST(ServicePoller, TheThreePollsAgainstTheSimulatorAndAStalledServer)
{
    WebSimServer web;
    SimLiveService live(20260101, [] { return 1313452800; });
    live.Install(web);
    ASSERT_TRUE(web.Start(0));
    HttpClient client;
    client.GetRawClient().SetWaitTimeout(1000);
    client.GetRawClient().SetExchangeTimeout(1500);
    auto fetch = [&client](const std::string& url, std::string& body) {
        CMemoryStream stream;
        char buffer[2048];
        body.clear();
        if (!client.Download(url.c_str(), &stream, buffer, sizeof(buffer), nullptr))
            return false;
        body.assign(reinterpret_cast<const char*>(stream.GetBuffer()), static_cast<size_t>(stream.GetSize()));
        return true;
    };
    const std::string base = web.Url("/");
    RecordingTarget target;
    const int32_t oldTime = ServerTime::Get();
    CServicePoller poller(target, Fonts(), fetch, [base] { return base; });
    poller.PollOnce();
    EXPECT_EQ(ServerTime::Get(), 1313452800);
    ASSERT_EQ(target.status.size(), 1u);
    ASSERT_EQ(target.status[0].size(), 7u);
    EXPECT_EQ(target.status[0][0].segments[0].text, "上证指数");
    EXPECT_EQ(target.status[0][6].segments[0].text, "平盘家数:");
    ASSERT_EQ(target.news.size(), 1u);
    std::vector<std::string> titles;
    std::vector<TickerExtent> extents;
    ASSERT_TRUE(ParseNewsText(target.news[0], titles, extents));
    ASSERT_EQ(titles.size(), 5u);
    EXPECT_EQ(titles[0], "沪深两市早盘震荡整理，成交量温和放大");
    EXPECT_EQ(extents[0].link, base + "news/1.html");
    std::string page;
    EXPECT_TRUE(fetch(extents[0].link, page)) << "the news links open the simulator's pages";

    // Faults change nothing: an error status, an empty body, a cut body.
    ServerTime::Set(1000);
    for (int fault = 0; fault < 3; ++fault) {
        live.SetFailureStatus(fault == 0 ? 503 : 0);
        live.SetEmptyBody(fault == 1);
        live.SetTruncateAt(fault == 2 ? 5 : 0);
        poller.PollOnce();
        EXPECT_EQ(target.status.size(), 1u) << fault;
        EXPECT_EQ(target.news.size(), 1u) << fault;
        EXPECT_EQ(ServerTime::Get(), 1000) << fault;
    }
    live.SetFailureStatus(0);
    live.SetEmptyBody(false);
    live.SetTruncateAt(0);

    // A server that stalls holds the thread for no longer than the client's
    // deadline, and the stop waits for that.
    live.SetStall(true);
    poller.SetTickInterval(1);
    const size_t before = live.StatusRequests();
    poller.Start();
    ASSERT_TRUE(PumpUntil([&] { return live.StatusRequests() > before; }, 5000));
    const auto start = std::chrono::steady_clock::now();
    poller.Stop();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_LT(ms.count(), 5000);
    EXPECT_EQ(live.StatusRequests(), before + 1) << "no poll after the stop";
    web.Stop();
    ServerTime::Set(oldTime);
}
