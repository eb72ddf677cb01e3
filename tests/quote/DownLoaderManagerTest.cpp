// The request manager and its worker pool against the simulator, with the
// simulator's gate deciding when replies go out (no sleeps).
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <thread>

#include "base/GlobalDefaults.h"
#include "base/MemoryStream.h"
#include "base/Singleton.h"
#include "net/DownLoaderManager.h"
#include "net/DownloadRequestQueue.h"
#include "net/QuoteRequestClient.h"
#include "tests/support/QuoteFixtures.h"
#include "tools/quotesim/QuoteSimulator.h"

namespace {

const DWORD kWait = 20000;

std::string BodyFor(uint32_t key)
{
    return "bars of " + std::to_string(key);
}

class ManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.Start(0));
        for (uint16_t command : { 0x201, 0x301, 0x302, 0x401 }) {
            sim.SetHandler(command, [](const SimRequest& r) {
                SimReply reply;
                reply.value = r.value + 1;
                reply.value2 = r.value2 + 1;
                reply.body = BodyFor(r.key);
                reply.fail = r.key % 1000 == 999;
                return reply;
            });
        }
    }
    void TearDown() override
    {
        sim.ReleaseAll();
        sim.Stop();
    }

    void Ask(CDownLoaderManager& m, int id, uint32_t key, int32_t command = 0x301)
    {
        EXPECT_EQ(1, m.RequestAsync(command, key, 10, 20, &CallbackRecorder::OnComplete, calls.Arg(id)));
    }

    QuoteSimulator sim;
    CallbackRecorder calls;
    DownloadRequestQueue queue;
};

TEST_F(ManagerTest, AsynchronousRepliesArriveOnWorkerThreads)
{
    CDownLoaderManager manager("127.0.0.1", sim.Port(), 3, &queue);
    ASSERT_TRUE(manager.IsPoolRunning());
    EXPECT_EQ(3u, manager.WorkerCount());
    Ask(manager, 1, 0x600000);
    Ask(manager, 2, 1999); // the server fails this one
    ASSERT_TRUE(calls.WaitForCalls(2, kWait));
    for (const CallbackRecord& r : calls.Records()) {
        EXPECT_NE(::GetCurrentThreadId(), r.threadId);
        EXPECT_NE(manager.DispatcherThreadId(), r.threadId);
        if (r.id == 1) {
            EXPECT_EQ(1, r.ok);
            EXPECT_TRUE(r.stream == DeliveredStream(11, 21, BodyFor(0x600000)));
        } else {
            EXPECT_EQ(0, r.ok);
        }
    }
}

TEST_F(ManagerTest, NewestRunFirstAndNoMoreThanTheWorkersAreInFlight)
{
    CDownLoaderManager manager("127.0.0.1", sim.Port(), 3, &queue);
    const size_t n = manager.WorkerCount();
    sim.HoldAll();
    for (uint32_t i = 0; i < n; ++i)
        Ask(manager, static_cast<int>(i), 100 + i);
    ASSERT_TRUE(sim.WaitForHeld(n, kWait));

    // Every worker is busy: these wait in the queue.
    const int queued = 5;
    for (int i = 0; i < queued; ++i)
        Ask(manager, 200 + i, 200 + i);
    EXPECT_EQ(static_cast<size_t>(queued), queue.Size());

    // Each finished request frees one worker, which takes the newest waiting.
    for (int i = 0; i < queued; ++i) {
        ASSERT_TRUE(sim.ReleaseOne());
        ASSERT_TRUE(sim.WaitForRequests(n + i + 1, kWait));
        EXPECT_EQ(static_cast<uint32_t>(200 + queued - 1 - i), sim.RequestLog().back().key);
        ASSERT_TRUE(sim.WaitForHeld(n, kWait));
    }
    sim.ReleaseAll();
    ASSERT_TRUE(calls.WaitForCalls(n + queued, kWait));
    EXPECT_LE(sim.PeakConnections(), static_cast<int>(n));
    EXPECT_EQ(static_cast<int>(n), sim.PeakConnections());
}

TEST_F(ManagerTest, ReleaseFailsWaitingRequestsOnTheDispatcherAfterTheRunningOnesFinish)
{
    auto* manager = new CDownLoaderManager("127.0.0.1", sim.Port(), 2, &queue);
    const uint32_t dispatcher = manager->DispatcherThreadId();
    sim.HoldAll();
    Ask(*manager, 1, 1);
    Ask(*manager, 2, 2);
    ASSERT_TRUE(sim.WaitForHeld(2, kWait));
    for (int i = 0; i < 4; ++i)
        Ask(*manager, 10 + i, 10 + i);

    std::thread releaser([&] { delete manager; });
    // The workers have been told to stop while both still wait for replies.
    ASSERT_TRUE(WaitUntil([&] { return manager->IsStopping(); }, kWait));
    EXPECT_EQ(0u, calls.Count());
    sim.ReleaseAll();
    releaser.join();

    const auto records = calls.Records();
    ASSERT_EQ(6u, records.size());
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(1, records[i].ok) << "running request " << records[i].id;
        EXPECT_NE(dispatcher, records[i].threadId);
    }
    for (int i = 2; i < 6; ++i) {
        EXPECT_EQ(13 - (i - 2), records[i].id) << "waiting requests fail newest first";
        EXPECT_EQ(0, records[i].ok);
        EXPECT_EQ(dispatcher, records[i].threadId);
    }
    EXPECT_TRUE(queue.IsEmpty());
    EXPECT_EQ(2u, sim.RequestCount());
}

TEST_F(ManagerTest, AStalledServerCannotHoldReleaseBeyondTheTimeout)
{
    QuoteRequestClient::SetDefaultTimeouts(2000, 500);
    auto* manager = new CDownLoaderManager("127.0.0.1", sim.Port(), 2, &queue);
    QuoteRequestClient::SetDefaultTimeouts(
        QuoteRequestClient::kDefaultConnectTimeoutMs, QuoteRequestClient::kDefaultIoTimeoutMs);
    sim.SetFault(SimFault::Stall);
    Ask(*manager, 1, 1);
    ASSERT_TRUE(sim.WaitForRequests(1, kWait));
    // Without a receive time-out this would never return: the stall lasts
    // until the fault is cleared, which happens only after the delete.
    delete manager;
    EXPECT_EQ(1, calls.CallsFor(1));
    EXPECT_EQ(0, calls.Records()[0].ok);
    sim.ClearFault();
}

TEST_F(ManagerTest, RequestsInFlightHoldReleaseOnlyForTheStopGrace)
{
    // The program's own time-outs: a stalled or dripping server would hold
    // each worker for 30 s, and the program's shutdown with it.
    auto* manager = new CDownLoaderManager("127.0.0.1", sim.Port(), 2, &queue);
    // One reply never comes, the other comes a byte every 200 ms: each byte
    // would renew a receive time-out, but not the grace.
    sim.HoldWhere([](const SimRequest& r) { return r.key == 1; });
    sim.SetFault(SimFault::Drip);
    sim.SetDripInterval(200);
    Ask(*manager, 1, 1);
    Ask(*manager, 2, 2);
    ASSERT_TRUE(sim.WaitForRequests(2, kWait));
    ASSERT_TRUE(sim.WaitForHeld(1, kWait));
    const DWORD start = ::GetTickCount();
    delete manager;
    const DWORD took = ::GetTickCount() - start;
    EXPECT_GE(took + 100, QuoteRequestClient::kStopGraceMs) << "a reply on its way gets the grace";
    EXPECT_LT(took, QuoteRequestClient::kStopGraceMs + 2000);
    EXPECT_EQ(1, calls.CallsFor(1));
    EXPECT_EQ(1, calls.CallsFor(2));
    for (const auto& record : calls.Records())
        EXPECT_EQ(0, record.ok) << "request " << record.id;
    sim.ClearFault();
}

TEST_F(ManagerTest, ADrippingServerCannotHoldReleaseBeyondTheExchangeDeadline)
{
    QuoteRequestClient::SetDefaultTimeouts(2000, 1000, 1500);
    auto* manager = new CDownLoaderManager("127.0.0.1", sim.Port(), 2, &queue);
    QuoteRequestClient::SetDefaultTimeouts(QuoteRequestClient::kDefaultConnectTimeoutMs,
        QuoteRequestClient::kDefaultIoTimeoutMs, QuoteRequestClient::kDefaultExchangeTimeoutMs);
    sim.SetFault(SimFault::Drip);
    sim.SetDripInterval(100);
    Ask(*manager, 1, 1);
    ASSERT_TRUE(sim.WaitForRequests(1, kWait));
    const DWORD start = ::GetTickCount();
    delete manager;
    EXPECT_LT(::GetTickCount() - start, 6000u);
    ASSERT_EQ(1, calls.CallsFor(1));
    EXPECT_EQ(0, calls.Records()[0].ok);
    sim.ClearFault();
}

TEST_F(ManagerTest, ACompletionThatTakesTheSingletonLockDuringReleaseDoesNotDeadlock)
{
    // A completion that asks for a singleton not yet made takes the singleton
    // lock; a release that held it while waiting for that very worker would
    // never end.
    QuoteServerAddress::Set("127.0.0.1");
    QuoteServerPort::Set(sim.Port());
    calls.SetHook([](const CallbackRecord& r) {
        if (r.id == 1) {
            SingleLock lock(&SingletonLock());
        }
    });
    sim.HoldAll();
    CDownLoaderManager::Instance()->RequestAsync(0x301, 1, 0, 0, &CallbackRecorder::OnComplete, calls.Arg(1));
    ASSERT_TRUE(sim.WaitForHeld(1, kWait));
    HANDLE released = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread releaser([released] {
        CDownLoaderManager::ReleaseInstance();
        ::SetEvent(released);
    });
    ASSERT_TRUE(WaitUntil(
        [] {
            CDownLoaderManager* m = CDownLoaderManager::PeekInstance();
            return m && m->IsStopping();
        },
        kWait));
    sim.ReleaseAll();
    if (::WaitForSingleObject(released, kWait) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "the release and the completion wait for each other";
        // Both threads are stuck for good and use this frame: end here.
        std::fflush(stdout);
        std::_Exit(1);
    }
    releaser.join();
    ::CloseHandle(released);
    ASSERT_EQ(1, calls.CallsFor(1));
    EXPECT_EQ(1, calls.Records()[0].ok);
    EXPECT_EQ(nullptr, CDownLoaderManager::PeekInstance());
    QuoteServerPort::Set(QuoteServerPort::kDefault);
}

TEST_F(ManagerTest, RequestsAddedWhileTheManagerShutsDownAreEachAnsweredOnce)
{
    // Threads keep asking while the pool stops: whatever the moment a request
    // arrives, it runs, is cancelled, or is refused at once, and never stays
    // queued without an answer.
    const int threadsPerRound = 4;
    // One counter for every id: a thread that spins on refusals while the
    // test thread waits for the processor may ask any number of times.
    std::atomic<int> nextId { 0 };
    int total = 0;
    for (int round = 0; round < 12; ++round) {
        auto* manager = new CDownLoaderManager("127.0.0.1", sim.Port(), 2, &queue);
        std::atomic<bool> stop { false };
        std::atomic<int> issued { 0 };
        std::vector<std::thread> threads;
        for (int t = 0; t < threadsPerRound; ++t) {
            threads.emplace_back([&] {
                while (!stop.load()) {
                    const int id = nextId++;
                    manager->RequestAsync(0x301, static_cast<uint32_t>(id), 0, 0,
                        &CallbackRecorder::OnComplete, calls.Arg(id));
                    ++issued;
                }
            });
        }
        WaitUntil([&] { return issued.load() > 20; }, kWait);
        manager->Shutdown();
        // Keep asking a little after the shutdown, then stop.
        const int after = issued.load() + 20;
        WaitUntil([&] { return issued.load() > after; }, kWait);
        stop = true;
        for (auto& t : threads)
            t.join();
        total += issued.load();
        ASSERT_TRUE(queue.IsEmpty()) << "round " << round;
        ASSERT_EQ(static_cast<size_t>(total), calls.Count()) << "round " << round;
        delete manager;
    }
    const auto records = calls.Records();
    std::set<int> ids;
    for (const CallbackRecord& r : records)
        EXPECT_TRUE(ids.insert(r.id).second) << "request " << r.id << " was answered twice";
}

TEST_F(ManagerTest, AnIdleDispatcherWaitsAndALoneRequestGoesStraightToAnIdleWorker)
{
    CDownLoaderManager manager("127.0.0.1", sim.Port(), 2, &queue);
    Ask(manager, 1, 1);
    ASSERT_TRUE(calls.WaitForCalls(1, kWait));
    ASSERT_TRUE(WaitUntil([&] { return manager.DispatchPasses() > 0; }, kWait));
    ::Sleep(100);
    // With nothing queued the dispatcher blocks instead of passing every few
    // milliseconds.
    const uint64_t idle = manager.DispatchPasses();
    ::Sleep(400);
    EXPECT_LE(manager.DispatchPasses(), idle + 1);

    // A worker is idle: the request is its own, and the dispatcher's calls
    // into the system would only delay its exchange.
    const uint64_t before = manager.DispatchPasses();
    Ask(manager, 2, 2);
    ASSERT_TRUE(calls.WaitForCalls(2, kWait));
    EXPECT_EQ(1, calls.Records().back().ok);
    EXPECT_EQ(before, manager.DispatchPasses());
}

TEST_F(ManagerTest, RequestsQueuedWhileTheOnlyWorkerIsBusyRunWhenItFinishes)
{
    // Nobody is woken for these: the worker must take them as it finishes,
    // or have the dispatcher hand them out, rather than go idle beside them.
    CDownLoaderManager manager("127.0.0.1", sim.Port(), 1, &queue);
    sim.HoldWhere([](const SimRequest& r) { return r.key == 1; });
    Ask(manager, 1, 1);
    ASSERT_TRUE(sim.WaitForHeld(1, kWait));
    Ask(manager, 2, 2);
    Ask(manager, 3, 3);
    EXPECT_EQ(2u, queue.Size());
    sim.ReleaseAll();
    ASSERT_TRUE(calls.WaitForCalls(3, kWait)) << "a request was left waiting with the worker idle";
    const auto log = sim.RequestLog();
    ASSERT_EQ(3u, log.size()) << "each request is served once";
    EXPECT_EQ(3u, log[1].key); // newest first
    EXPECT_EQ(2u, log[2].key);
    for (int id = 1; id <= 3; ++id)
        EXPECT_EQ(1, calls.CallsFor(id)) << "request " << id;
}

// Answers counted per request without a lock or a wait, so that the asking
// thread sees an answer the moment it is given.
struct CountedAnswers
{
    explicit CountedAnswers(size_t n)
        : calls(n)
    {
    }
    static void OnComplete(uint32_t userData, uintptr_t arg, CMemoryStream*, int32_t)
    {
        ++reinterpret_cast<CountedAnswers*>(arg)->calls.at(userData);
    }
    std::vector<std::atomic<int>> calls;
};

TEST_F(ManagerTest, ARequestAskedAsTheWorkerFinishesIsAnsweredOnce)
{
    // Each request is asked the moment the one before is answered, after a
    // pause that differs from request to request, so that the asks land all
    // along the worker's way from its callback back to its wait: whether the
    // worker takes the request itself, is woken for it or leaves it to the
    // dispatcher, it runs exactly once.
    CDownLoaderManager manager("127.0.0.1", sim.Port(), 1, &queue);
    const int requests = 1000;
    CountedAnswers answers(requests);
    for (int i = 0; i < requests; ++i) {
        for (volatile int pause = 0; pause < (i * 37) % 3000; ++pause) { }
        manager.RequestAsync(0x301, static_cast<uint32_t>(i), 0, 0, &CountedAnswers::OnComplete,
            reinterpret_cast<uintptr_t>(&answers));
        const DWORD start = ::GetTickCount();
        for (int spins = 0; answers.calls[i].load() == 0 && ::GetTickCount() - start < kWait; ++spins) {
            if (spins > 100000)
                ::Sleep(1);
        }
        ASSERT_NE(0, answers.calls[i].load()) << "request " << i << " was never answered";
    }
    // Late second answers have had the rest of the run to come.
    for (int i = 0; i < requests; ++i)
        ASSERT_EQ(1, answers.calls[i].load()) << "request " << i << " was answered more than once";
    EXPECT_EQ(static_cast<size_t>(requests), sim.RequestCount()) << "a request was served more than once";
}

TEST(PoolLoop, EveryWaitOutcomeAndAFailedWaitEndsTheLoop)
{
    HANDLE stop = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE signal = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(StopOrSignal::kTimeout, WaitForStopOr(stop, signal, 0));
    ::SetEvent(signal);
    EXPECT_EQ(StopOrSignal::kSignal, WaitForStopOr(stop, signal, 0));
    ::SetEvent(stop);
    EXPECT_EQ(StopOrSignal::kStop, WaitForStopOr(stop, signal, 0)); // stop wins
    ::ResetEvent(stop);
    EXPECT_EQ(StopOrSignal::kStop, WaitForStopOr(stop, nullptr, 0)); // the wait fails

    // A loop whose wait fails ends at once rather than spinning.
    CThread owner;
    int passes = 0;
    ServeUntilStopped(owner, stop, nullptr, [&] { return ++passes < 1000; });
    EXPECT_EQ(0, passes);
    // A set signal runs the body until it asks to end.
    ServeUntilStopped(owner, stop, signal, [&] { return ++passes < 3; });
    EXPECT_EQ(3, passes);
    ::CloseHandle(stop);
    ::CloseHandle(signal);
}

TEST_F(ManagerTest, WithoutAPoolAsynchronousRequestsFailAtOnceAndSynchronousOnesWork)
{
    queue.Add(0x301, 5, 0, 0, &CallbackRecorder::OnComplete, calls.Arg(5));
    CDownLoaderManager manager("127.0.0.1", sim.Port(), 0, &queue);
    EXPECT_FALSE(manager.IsPoolRunning());
    // What waited for a pool was answered.
    EXPECT_EQ(1, calls.CallsFor(5));
    EXPECT_TRUE(queue.IsEmpty());

    Ask(manager, 6, 6);
    ASSERT_EQ(1, calls.CallsFor(6));
    EXPECT_EQ(0, calls.Records().back().ok);
    EXPECT_EQ(::GetCurrentThreadId(), calls.Records().back().threadId);
    EXPECT_TRUE(queue.IsEmpty());

    CMemoryStream out;
    EXPECT_EQ(1, manager.RequestSync(0x201, 0, 7, 8, &out));
    EXPECT_TRUE(std::string(reinterpret_cast<const char*>(out.GetBuffer()), out.GetSize())
        == DeliveredStream(8, 9, BodyFor(0)));
    EXPECT_EQ(0, manager.RequestSync(0x201, 999, 7, 8, &out));
}

TEST_F(ManagerTest, AfterShutdownAsynchronousRequestsFailAtOnce)
{
    CDownLoaderManager manager("127.0.0.1", sim.Port(), 2, &queue);
    manager.Shutdown();
    Ask(manager, 1, 1);
    EXPECT_EQ(1, calls.CallsFor(1));
    EXPECT_TRUE(queue.IsEmpty());
    EXPECT_EQ(0u, sim.RequestCount());
}

TEST_F(ManagerTest, SynchronousRequestsFromSeveralThreadsShareTheClientSafely)
{
    CDownLoaderManager manager("127.0.0.1", sim.Port(), 1, &queue);
    sim.SetCompression(1);
    std::atomic<int> good { 0 };
    std::vector<std::thread> threads;
    for (uint32_t t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (uint32_t i = 0; i < 10; ++i) {
                const uint32_t key = 0x600000 + t * 100 + i;
                CMemoryStream out;
                if (manager.RequestSync(0x401, key, 1, 2, &out) == 1
                    && std::string(reinterpret_cast<const char*>(out.GetBuffer()), out.GetSize())
                        == DeliveredStream(2, 3, BodyFor(key)))
                    ++good;
            }
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(40, good.load());
}

TEST_F(ManagerTest, EveryAsynchronousRequestGetsExactlyOneCall)
{
    // Refusals, drops, server failures, broken replies, successes and the
    // cancellation at release, from several threads at once.
    auto* manager = new CDownLoaderManager("127.0.0.1", sim.Port(), 3, &queue);
    sim.SetCompression(1);
    sim.SetFault(SimFault::CloseMidBody, 5);
    const int perThread = 60;
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < perThread; ++i) {
                const int id = t * perThread + i;
                const uint32_t key = static_cast<uint32_t>(i % 2 ? 999 : 0x600000 + id % 25);
                manager->RequestAsync(
                    i % 3 ? 0x301 : 0x302, key, 0, 0, &CallbackRecorder::OnComplete, calls.Arg(id));
            }
        });
    }
    for (auto& t : threads)
        t.join();
    delete manager;

    ASSERT_EQ(static_cast<size_t>(3 * perThread), calls.Count());
    for (int id = 0; id < 3 * perThread; ++id)
        EXPECT_EQ(1, calls.CallsFor(id)) << "request " << id;
    EXPECT_TRUE(queue.IsEmpty());
}

TEST_F(ManagerTest, InstanceIsOneManagerUntilReleasedAndThenANewOne)
{
    QuoteServerAddress::Set("127.0.0.1");
    QuoteServerPort::Set(sim.Port());
    std::vector<CDownLoaderManager*> seen(6, nullptr);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&, i] { seen[i] = CDownLoaderManager::Instance(); });
    for (auto& t : threads)
        t.join();
    CDownLoaderManager* first = seen[0];
    ASSERT_NE(nullptr, first);
    for (CDownLoaderManager* m : seen)
        EXPECT_EQ(first, m);
    EXPECT_TRUE(first->IsPoolRunning());
    EXPECT_GE(first->WorkerCount(), 2u);
    SYSTEM_INFO info;
    ::GetSystemInfo(&info);
    EXPECT_EQ(static_cast<size_t>(info.dwNumberOfProcessors) + 1, first->WorkerCount());

    first->RequestAsync(0x301, 1, 0, 0, &CallbackRecorder::OnComplete, calls.Arg(1));
    ASSERT_TRUE(calls.WaitForCalls(1, kWait));
    CDownLoaderManager::ReleaseInstance();
    EXPECT_EQ(nullptr, CDownLoaderManager::PeekInstance());

    CDownLoaderManager* second = CDownLoaderManager::Instance();
    ASSERT_NE(nullptr, second);
    EXPECT_TRUE(second->IsPoolRunning());
    second->RequestAsync(0x301, 2, 0, 0, &CallbackRecorder::OnComplete, calls.Arg(2));
    ASSERT_TRUE(calls.WaitForCalls(2, kWait));
    for (const CallbackRecord& r : calls.Records())
        EXPECT_EQ(1, r.ok);
    CDownLoaderManager::ReleaseInstance();
    QuoteServerPort::Set(QuoteServerPort::kDefault);
}

TEST_F(ManagerTest, ACallbackThatAsksAgainDuringReleaseIsAnsweredAtOnce)
{
    // A completion that requests more while the manager is being released
    // must get its failure call, not wait for the lock the release holds.
    QuoteServerAddress::Set("127.0.0.1");
    QuoteServerPort::Set(sim.Port());
    calls.SetHook([this](const CallbackRecord& r) {
        if (r.id == 1)
            CDownLoaderManager::Instance()->RequestAsync(
                0x302, 2, 0, 0, &CallbackRecorder::OnComplete, calls.Arg(2));
    });
    sim.HoldAll();
    CDownLoaderManager::Instance()->RequestAsync(0x301, 1, 0, 0, &CallbackRecorder::OnComplete, calls.Arg(1));
    ASSERT_TRUE(sim.WaitForHeld(1, kWait));
    std::thread releaser([] { CDownLoaderManager::ReleaseInstance(); });
    ASSERT_TRUE(WaitUntil(
        [] {
            CDownLoaderManager* m = CDownLoaderManager::PeekInstance();
            return m && m->IsStopping();
        },
        kWait));
    sim.ReleaseAll();
    releaser.join();

    const auto records = calls.Records();
    ASSERT_EQ(2u, records.size());
    EXPECT_EQ(2, records[0].id); // recorded first: it ran inside the first call
    EXPECT_EQ(0, records[0].ok);
    EXPECT_EQ(1, records[1].id);
    EXPECT_EQ(1, records[1].ok);
    EXPECT_EQ(records[0].threadId, records[1].threadId);
    EXPECT_EQ(1u, sim.RequestCount());
    QuoteServerPort::Set(QuoteServerPort::kDefault);
}

} // namespace
