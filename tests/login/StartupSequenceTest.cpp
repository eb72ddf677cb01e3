// The loading steps after a login: order, progress, cancel, failures, and the
// quote server's port probe.
#include <gtest/gtest.h>

#include <winsock2.h>

#include <atomic>
#include <map>
#include <vector>

#include "app/PortProbe.h"
#include "app/StartupSequence.h"
#include "app/StartupWork.h"
#include "base/GlobalDefaults.h"
#include "net/WinsockSession.h"
#include "tools/websim/WebSimServer.h"

namespace {
struct RecordingWork : IStartupWork
{
    std::vector<int> ran;
    std::map<int, int32_t> results;
    std::function<void(int)> during;
    int32_t RunStep(int position) override
    {
        ran.push_back(position);
        if (during)
            during(position);
        auto found = results.find(position);
        return found == results.end() ? 0 : found->second;
    }
};

struct RecordingProgress : IStartupProgress
{
    std::vector<int> shown;
    std::vector<std::string> texts;
    void ShowStep(const StartupStep& step) override
    {
        shown.push_back(step.position);
        texts.push_back(step.text);
    }
};

const std::vector<int> kAllPositions = { 10, 30, 50, 60, 70, 80, 90, 100 };

// A port on 127.0.0.1 that nothing listens on (bound once, then freed).
uint16_t ClosedPort()
{
    WinsockSession winsock;
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = ::inet_addr("127.0.0.1");
    ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    int length = sizeof(address);
    ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    ::closesocket(s);
    return ntohs(address.sin_port);
}
} // namespace

TEST(StartupSequence, EveryStepShowsItsProgressBeforeItsWork)
{
    RecordingWork work;
    RecordingProgress progress;
    work.during = [&](int position) {
        ASSERT_FALSE(progress.shown.empty());
        EXPECT_EQ(progress.shown.back(), position);
    };
    const StartupOutcome outcome = RunStartupSequence(work, progress, [] { return false; });
    EXPECT_EQ(outcome.kind, StartupOutcome::Completed);
    EXPECT_EQ(outcome.position, 100) << "a completed sequence ends at its last step";
    EXPECT_EQ(progress.shown, kAllPositions);
    EXPECT_EQ(work.ran, kAllPositions);
    EXPECT_EQ(progress.texts.front(), "正在连接行情服务器...");
    EXPECT_EQ(progress.texts.back(), "加载除权数据......");
    EXPECT_EQ(StartupPercentText(60), "登录进度:60%");
}

TEST(StartupSequence, CancelIsSeenAfterTheStepsWork)
{
    RecordingWork work;
    RecordingProgress progress;
    bool cancelled = false;
    work.during = [&](int position) {
        if (position == 50)
            cancelled = true;
    };
    const StartupOutcome outcome = RunStartupSequence(work, progress, [&] { return cancelled; });
    EXPECT_EQ(outcome.kind, StartupOutcome::Cancelled);
    EXPECT_EQ(outcome.position, 50);
    EXPECT_EQ(work.ran, std::vector<int>({ 10, 30, 50 })) << "the 60 step never starts";
    EXPECT_EQ(progress.shown, std::vector<int>({ 10, 30, 50 }));

    // A cancel during the last step still counts.
    RecordingWork last;
    bool late = false;
    last.during = [&](int position) { late = position == 100; };
    EXPECT_EQ(RunStartupSequence(last, progress, [&] { return late; }).kind, StartupOutcome::Cancelled);
}

TEST(StartupSequence, OnlyTheCodeTableAndFinanceResultsCanStopIt)
{
    struct Case
    {
        int failing;
        StartupOutcome::Kind kind;
        std::vector<int> ran;
    };
    const Case cases[] = {
        { 30, StartupOutcome::Failed, { 10, 30 } },
        { 50, StartupOutcome::Failed, { 10, 30, 50 } },
        { 10, StartupOutcome::Completed, kAllPositions },
        { 60, StartupOutcome::Completed, kAllPositions },
        { 100, StartupOutcome::Completed, kAllPositions },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failing);
        RecordingWork work;
        RecordingProgress progress;
        work.results[c.failing] = -2147467259; // E_FAIL
        const StartupOutcome outcome = RunStartupSequence(work, progress, [] { return false; });
        EXPECT_EQ(outcome.kind, c.kind);
        EXPECT_EQ(work.ran, c.ran);
        if (c.kind == StartupOutcome::Failed) {
            EXPECT_EQ(outcome.position, c.failing);
            ASSERT_TRUE(outcome.reason);
            EXPECT_NE(std::string(outcome.reason).find("失败"), std::string::npos);
        }
    }
}

TEST(PortProbe, TheFirstPortThatAcceptsWins)
{
    WebSimServer listening;
    ASSERT_TRUE(listening.Start());
    const uint16_t open = listening.GetPort();
    const uint16_t closed = ClosedPort();
    const uint16_t closed2 = ClosedPort();

    EXPECT_TRUE(ProbeTcpPort("127.0.0.1", open, 2000));
    EXPECT_FALSE(ProbeTcpPort("127.0.0.1", closed, 2000));
    EXPECT_FALSE(ProbeTcpPort("not an address", open, 2000));
    EXPECT_FALSE(ProbeTcpPort("", open, 2000));
    EXPECT_EQ(ProbeFirstOpenPort("127.0.0.1", { closed, closed2, open }, 2000), open);
    EXPECT_EQ(ProbeFirstOpenPort("127.0.0.1", { closed, closed2 }, 2000), 0);
    EXPECT_EQ(ProbeFirstOpenPort("127.0.0.1", {}, 2000), 0);
    // The probe sends nothing: the server saw connections but no request.
    EXPECT_TRUE(listening.WaitForConnections(2, 5000));
    EXPECT_EQ(listening.GetRequestCount(), 0u);
    EXPECT_EQ(kQuoteProbePorts, std::vector<uint16_t>({ 443, 22, 50002 }));
    // A port named in "run.ini" goes first; a listed one keeps the order.
    EXPECT_EQ(QuoteProbePortsFor(7709), std::vector<uint16_t>({ 7709, 443, 22, 50002 }));
    EXPECT_EQ(QuoteProbePortsFor(443), kQuoteProbePorts);
    EXPECT_EQ(QuoteProbePortsFor(50002), kQuoteProbePorts);

    // The loading's first step takes the port that answered, and keeps its port when none does.
    QuoteServerAddress::Set("127.0.0.1");
    QuoteServerPort::Set(443);
    CDataCenterStartupWork none({ closed, closed2 }, 2000);
    EXPECT_EQ(none.RunStep(10), 0);
    EXPECT_EQ(QuoteServerPort::Get(), 443);
    CDataCenterStartupWork found({ closed, open }, 2000);
    EXPECT_EQ(found.RunStep(10), 0);
    EXPECT_EQ(QuoteServerPort::Get(), open);
    QuoteServerPort::Set(QuoteServerPort::kDefault);
    listening.Stop();
}
