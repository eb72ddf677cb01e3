#include <windows.h>
#include <gtest/gtest.h>
#include <atomic>
#include <stdexcept>

#include "base/Thread.h"

namespace {

const DWORD kGenerousWait = 10000;

// A manual-reset event owned by a test.
class Gate
{
public:
    Gate()
        : m_event(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
    {
    }
    ~Gate() { ::CloseHandle(m_event); }
    void Open() { ::SetEvent(m_event); }
    bool WaitOpen(DWORD ms = kGenerousWait) { return ::WaitForSingleObject(m_event, ms) == WAIT_OBJECT_0; }
    HANDLE Handle() const { return m_event; }

private:
    HANDLE m_event;
};

DWORD ExitCodeAfterEnd(HANDLE thread)
{
    if (::WaitForSingleObject(thread, kGenerousWait) != WAIT_OBJECT_0)
        return 0xFFFFFFFF;
    DWORD code = 0;
    ::GetExitCodeThread(thread, &code);
    return code;
}

enum class Failure { None, InInit, InRun };

// Records which steps ran; can throw from one of them; tells when deleted.
class StepThread : public CThread
{
public:
    StepThread(Failure failure, std::atomic<int>* destroyed = nullptr, Gate* deletedGate = nullptr)
        : m_failure(failure)
        , m_destroyed(destroyed)
        , m_deletedGate(deletedGate)
    {
    }
    ~StepThread() override
    {
        if (m_destroyed)
            ++*m_destroyed;
        if (m_deletedGate)
            m_deletedGate->Open();
    }
    void OnInit() override
    {
        initRan = true;
        if (m_failure == Failure::InInit)
            throw std::runtime_error("init");
    }
    void Run() override
    {
        runRan = true;
        if (m_failure == Failure::InRun)
            throw 42;
    }
    void OnExit() override { exitRan = true; }

    std::atomic<bool> initRan { false };
    std::atomic<bool> runRan { false };
    std::atomic<bool> exitRan { false };

private:
    Failure m_failure;
    std::atomic<int>* m_destroyed;
    Gate* m_deletedGate;
};

// Runs until stopped, waiting on a gate between passes.
class LoopThread : public CThread
{
public:
    void Run() override
    {
        while (!IsStopRequested()) {
            if (++passes == 3)
                running.Open();
            ::WaitForSingleObject(wake.Handle(), 1);
        }
    }
    std::atomic<int> passes { 0 };
    Gate running;
    Gate wake;
};

class BlockedThread : public CThread
{
public:
    void Run() override { release.WaitOpen(); }
    Gate release;
};

} // namespace

TEST(Thread, ARunThatReturnsAtOnceEndsWith123AndCanBeStartedAgain)
{
    StepThread thread(Failure::None);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        HANDLE handle = thread.Start(false);
        ASSERT_NE(handle, nullptr);
        EXPECT_EQ(thread.GetHandle(), handle);
        EXPECT_NE(thread.GetThreadId(), 0u);
        EXPECT_EQ(ExitCodeAfterEnd(handle), CThread::kExitCode);
        EXPECT_TRUE(thread.initRan && thread.runRan && thread.exitRan);
        thread.Stop();
        EXPECT_EQ(thread.GetHandle(), nullptr);
    }
}

TEST(Thread, StartWhileAHandleIsHeldThrowsOne)
{
    BlockedThread thread;
    ASSERT_NE(thread.Start(false), nullptr);
    int thrown = 0;
    try {
        thread.Start(false);
    } catch (int value) {
        thrown = value;
    }
    EXPECT_EQ(thrown, 1);
    EXPECT_FALSE(thread.IsStopRequested());
    thread.release.Open();
    thread.Stop();
    EXPECT_EQ(thread.GetHandle(), nullptr);
}

TEST(Thread, AThrowingStepStillEndsWith123)
{
    // Without auto-delete a failed OnInit goes on with Run; OnExit always runs.
    for (Failure failure : { Failure::InRun, Failure::InInit }) {
        StepThread thread(failure);
        HANDLE handle = thread.Start(false);
        ASSERT_NE(handle, nullptr);
        EXPECT_EQ(ExitCodeAfterEnd(handle), CThread::kExitCode);
        EXPECT_TRUE(thread.runRan);
        EXPECT_TRUE(thread.exitRan);
        thread.Stop();
    }
}

TEST(Thread, AutoDeleteFreesTheObjectOnceEvenAfterAThrow)
{
    for (Failure failure : { Failure::None, Failure::InRun, Failure::InInit }) {
        std::atomic<int> destroyed(0);
        Gate deleted;
        StepThread* thread = new StepThread(failure, &destroyed, &deleted);
        ASSERT_NE(thread->Start(true), nullptr);
        // The object is gone once the gate opens: touch nothing of it here.
        ASSERT_TRUE(deleted.WaitOpen());
        EXPECT_EQ(destroyed.load(), 1);
    }
}

TEST(Thread, StopOnANeverStartedThreadOnlySetsTheFlag)
{
    LoopThread thread;
    thread.Stop();
    EXPECT_TRUE(thread.IsStopRequested());
    EXPECT_EQ(thread.GetHandle(), nullptr);
    // Start clears the flag again.
    ASSERT_NE(thread.Start(false), nullptr);
    ASSERT_TRUE(thread.running.WaitOpen());
    thread.Stop();
}

TEST(Thread, ALoopingThreadEndsOnStop)
{
    LoopThread thread;
    HANDLE handle = thread.Start(false);
    ASSERT_NE(handle, nullptr);
    HANDLE copy = nullptr;
    ASSERT_TRUE(::DuplicateHandle(
        ::GetCurrentProcess(), handle, ::GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS));
    ASSERT_TRUE(thread.running.WaitOpen());
    thread.Stop();
    EXPECT_EQ(thread.GetHandle(), nullptr);
    EXPECT_EQ(::WaitForSingleObject(copy, 0), WAIT_OBJECT_0);
    ::CloseHandle(copy);
}

TEST(Thread, StopFromTheThreadItselfDoesNotWaitForItself)
{
    class SelfStopping : public CThread
    {
    public:
        void Run() override
        {
            Stop();
            stopReturned = true;
        }
        std::atomic<bool> stopReturned { false };
    };
    SelfStopping thread;
    HANDLE handle = thread.Start(false);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(ExitCodeAfterEnd(handle), CThread::kExitCode);
    EXPECT_TRUE(thread.stopReturned);
    thread.Stop();
    EXPECT_EQ(thread.GetHandle(), nullptr);
}

TEST(Thread, DefaultRunExecutesTheAttachedTask)
{
    class CountingTask : public IThreadTask
    {
    public:
        void Execute() override { ++runs; }
        std::atomic<int> runs { 0 };
    };
    CountingTask task;
    CThread thread;
    thread.SetTask(&task);
    ASSERT_NE(thread.Start(false), nullptr);
    thread.Stop();
    EXPECT_EQ(task.runs.load(), 1);

    CThread idle; // no task: Run does nothing
    ASSERT_NE(idle.Start(false), nullptr);
    idle.Stop();
}

TEST(CriticalSection, NestedLocksOnOneThreadDoNotBlockAndAreFullyReleased)
{
    CriticalSection cs;
    {
        SingleLock outer(&cs);
        SingleLock inner(&cs);
        SingleLock innermost(&cs);
    }
    class Taker : public CThread
    {
    public:
        explicit Taker(CriticalSection* cs)
            : m_cs(cs)
        {
        }
        void Run() override
        {
            SingleLock lock(m_cs);
            took = true;
        }
        std::atomic<bool> took { false };

    private:
        CriticalSection* m_cs;
    };
    Taker taker(&cs);
    HANDLE handle = taker.Start(false);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(::WaitForSingleObject(handle, kGenerousWait), WAIT_OBJECT_0);
    EXPECT_TRUE(taker.took);
    taker.Stop();
}

TEST(CriticalSection, KeepsThreadsOutOfEachOthersScope)
{
    class Incrementer : public CThread
    {
    public:
        Incrementer(CriticalSection* cs, long* counter, Gate* go)
            : m_cs(cs)
            , m_counter(counter)
            , m_go(go)
        {
        }
        void Run() override
        {
            m_go->WaitOpen();
            for (int i = 0; i < 200000; ++i) {
                SingleLock lock(m_cs);
                // A read-modify-write that loses updates unless the lock excludes.
                volatile long* counter = m_counter;
                *counter = *counter + 1;
            }
        }

    private:
        CriticalSection* m_cs;
        long* m_counter;
        Gate* m_go;
    };
    CriticalSection cs;
    long counter = 0;
    Gate go;
    Incrementer a(&cs, &counter, &go), b(&cs, &counter, &go), c(&cs, &counter, &go);
    ASSERT_NE(a.Start(false), nullptr);
    ASSERT_NE(b.Start(false), nullptr);
    ASSERT_NE(c.Start(false), nullptr);
    go.Open();
    a.Stop();
    b.Stop();
    c.Stop();
    EXPECT_EQ(counter, 600000);
}
