// Work posted to a window's thread: it runs there, in order, only from the
// message loop; a kind waiting is not queued twice; nothing runs once the
// window is gone; and posting never waits for the window's thread.
#include <windows.h>
#include <gtest/gtest.h>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>
#include "tests/support/WindowTesting.h"
#include "win/UiTaskQueue.h"
#include "win/WindowImpl.h"

namespace {

class CTaskHost : public CWindowImpl<CTaskHost, CWindow, CWinTraits<WS_POPUP>>
{
public:
    CUiTaskQueue tasks;

    BEGIN_MSG_MAP(CTaskHost)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        CHAIN_MSG_MAP_MEMBER(tasks)
    END_MSG_MAP()

    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&)
    {
        tasks.Attach(m_hWnd);
        return 0;
    }
};

struct TaskHostFixture : ::testing::Test
{
    CTaskHost host;
    void SetUp() override { ASSERT_TRUE(host.Create(nullptr, CRect(0, 0, 10, 10), "tasks", 0)); }
    void TearDown() override
    {
        if (host.IsWindow())
            host.DestroyWindow();
    }
};

} // namespace

TEST_F(TaskHostFixture, TasksFromAWorkerRunOnTheWindowsThreadInOrderAndOnlyFromTheLoop)
{
    const DWORD uiThread = ::GetCurrentThreadId();
    std::vector<std::string> ran;
    std::vector<DWORD> threads;
    // The window's thread waits for the worker without pumping: posting must
    // not need it.
    int refused = 0;
    std::thread worker([&] {
        for (int i = 0; i < 200; ++i)
            if (!host.tasks.Post([&, i] {
                    ran.push_back(std::to_string(i));
                    threads.push_back(::GetCurrentThreadId());
                }))
                ++refused;
    });
    worker.join();
    EXPECT_EQ(refused, 0);
    EXPECT_TRUE(ran.empty()) << "nothing runs before the loop does";
    PumpPendingMessages();
    ASSERT_EQ(ran.size(), 200u);
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(ran[static_cast<size_t>(i)], std::to_string(i));
    for (DWORD thread : threads)
        EXPECT_EQ(thread, uiThread);
    // All of them came with one wake-up.
    MSG msg;
    EXPECT_FALSE(::PeekMessageA(
        &msg, host, CUiTaskQueue::kRunTasksMessage, CUiTaskQueue::kRunTasksMessage, PM_NOREMOVE));
}

TEST_F(TaskHostFixture, AKindThatWaitsIsNotQueuedAgainButMayBeOnceItRuns)
{
    enum { kRefresh = 1, kOther = 2 };
    int refreshes = 0;
    int others = 0;
    std::function<void()> refresh = [&] { ++refreshes; };
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(host.tasks.PostOnce(kRefresh, refresh));
        EXPECT_TRUE(host.tasks.PostOnce(kOther, [&] { ++others; }));
    }
    PumpPendingMessages();
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(others, 1);

    // A refresh posted while one runs is a new one: what it reads may have
    // changed after the running one read it.
    bool again = true;
    host.tasks.PostOnce(kRefresh, [&] {
        ++refreshes;
        if (again) {
            again = false;
            EXPECT_TRUE(host.tasks.PostOnce(kRefresh, [&] { ++refreshes; }));
        }
    });
    PumpPendingMessages();
    EXPECT_EQ(refreshes, 3);
}

TEST_F(TaskHostFixture, NothingRunsOnceTheWindowIsGoneAndWhatWaitedIsReleased)
{
    auto captured = std::make_shared<int>(0);
    bool ranAfterDestroy = false;
    // The first task ends the window: the one behind it does not run.
    host.tasks.Post([&] { host.DestroyWindow(); });
    host.tasks.Post([&, captured] { ranAfterDestroy = true; });
    EXPECT_EQ(captured.use_count(), 2);
    PumpPendingMessages();
    EXPECT_FALSE(host.IsWindow());
    EXPECT_FALSE(ranAfterDestroy);
    EXPECT_EQ(captured.use_count(), 1) << "the dropped task let go of what it held";
    EXPECT_FALSE(host.tasks.Post([&] { ranAfterDestroy = true; }));
    EXPECT_FALSE(host.tasks.PostOnce(1, [&] { ranAfterDestroy = true; }));
    PumpPendingMessages();
    EXPECT_FALSE(ranAfterDestroy);
}

TEST(UiTaskWindow, AnOwnerWithoutAWindowGetsItsTasksRunOnItsThread)
{
    std::atomic<int> ran { 0 };
    {
        CUiTaskWindow window;
        EXPECT_FALSE(window.Post([&] { ++ran; })) << "no window yet";
        ASSERT_TRUE(window.Create());
        std::thread worker([&] {
            for (int i = 0; i < 3; ++i)
                window.PostOnce(7, [&] { ++ran; });
            window.Post([&] { ++ran; });
        });
        worker.join();
        PumpPendingMessages();
        EXPECT_EQ(ran.load(), 2);
        window.Post([&] { ++ran; });
    }
    // Destroyed with a task waiting: it never runs.
    PumpPendingMessages();
    EXPECT_EQ(ran.load(), 2);
}
