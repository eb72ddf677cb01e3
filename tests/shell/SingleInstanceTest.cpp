// The decision a second start takes, against a scripted system.
#include "app/SingleInstance.h"
#include "app/ShellConstants.h"
#include <gtest/gtest.h>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

HWND const kWindow = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));

class CScriptedPlatform : public IInstancePlatform
{
public:
    MutexState mutex = MutexState::AlreadyExists;
    int windowFromAttempt = -1; // -1: never found
    bool answers = false;
    bool ours = true;
    bool terminates = true;
    bool mutexFreed = false;

    int finds = 0;
    std::vector<DWORD> sleeps;
    std::vector<std::string> calls;

    MutexState CreateInstanceMutex() override
    {
        calls.push_back("create");
        return mutex;
    }
    bool WaitForInstanceMutex(DWORD timeoutMs) override
    {
        calls.push_back("wait " + std::to_string(timeoutMs));
        return mutexFreed;
    }
    HWND FindInstanceWindow() override
    {
        ++finds;
        return windowFromAttempt >= 0 && finds > windowFromAttempt ? kWindow : nullptr;
    }
    bool IsWindow(HWND window) override { return window == kWindow; }
    void Sleep(DWORD ms) override { sleeps.push_back(ms); }
    bool Answers(HWND, DWORD timeoutMs) override
    {
        calls.push_back("ping " + std::to_string(timeoutMs));
        return answers;
    }
    void BringToFront(HWND) override { calls.push_back("front"); }
    bool IsOurProgram(HWND) override { return ours; }
    bool TerminateOwner(HWND) override
    {
        calls.push_back("terminate");
        return terminates;
    }
    void ShowStartFailed() override { calls.push_back("failed"); }
};

struct InstanceCase
{
    const char* name;
    IInstancePlatform::MutexState mutex;
    int windowFromAttempt;
    bool answers, ours, terminates, mutexFreed;
    InstanceDecision expected;
    std::vector<std::string> calls;
    int finds;
};

}

TEST(SingleInstance, DecisionTable)
{
    using M = IInstancePlatform::MutexState;
    const InstanceDecision start = InstanceDecision::Start;
    const InstanceDecision exit = InstanceDecision::Exit;
    const InstanceCase cases[] = {
        { "first start", M::Created, -1, false, true, true, false, start, { "create" }, 0 },
        { "mutex cannot be made", M::Failed, -1, false, true, true, false, exit, { "create" }, 0 },
        { "responsive: brought to front, untouched", M::AlreadyExists, 2, true, true, true, false, exit,
            { "create", "ping 2000", "front" }, 3 },
        { "hung and ours: replaced", M::AlreadyExists, 0, false, true, true, true, start,
            { "create", "ping 2000", "terminate", "wait 5000" }, 1 },
        { "hung and foreign, mutex held: nothing ended", M::AlreadyExists, 0, false, false, true, false, exit,
            { "create", "ping 2000", "wait 5000" }, 1 },
        { "hung and foreign, mutex freed", M::AlreadyExists, 0, false, false, true, true, start,
            { "create", "ping 2000", "wait 5000" }, 1 },
        { "hung and unkillable", M::AlreadyExists, 0, false, true, false, false, exit,
            { "create", "ping 2000", "terminate", "failed" }, 1 },
        { "no window, mutex freed within 5 s", M::AlreadyExists, -1, false, true, true, true, start,
            { "create", "wait 5000" }, 20 },
        { "no window, mutex held: nothing ended", M::AlreadyExists, -1, false, true, true, false, exit,
            { "create", "wait 5000" }, 20 },
    };
    for (const InstanceCase& c : cases) {
        CScriptedPlatform platform;
        platform.mutex = c.mutex;
        platform.windowFromAttempt = c.windowFromAttempt;
        platform.answers = c.answers;
        platform.ours = c.ours;
        platform.terminates = c.terminates;
        platform.mutexFreed = c.mutexFreed;
        EXPECT_EQ(ClaimSingleInstance(platform), c.expected) << c.name;
        EXPECT_EQ(platform.calls, c.calls) << c.name;
        EXPECT_EQ(platform.finds, c.finds) << c.name;
    }
}

TEST(SingleInstance, LooksTwentyTimesFiftyMillisecondsApartFirstLookBeforeAnyPause)
{
    CScriptedPlatform platform;
    platform.mutexFreed = true;
    ClaimSingleInstance(platform);
    EXPECT_EQ(platform.finds, 20);
    EXPECT_EQ(platform.sleeps, std::vector<DWORD>(20, 50));

    CScriptedPlatform found;
    found.windowFromAttempt = 0;
    found.answers = true;
    ClaimSingleInstance(found);
    EXPECT_TRUE(found.sleeps.empty()) << "found at the first look";
}

// The real mutex: a second holder waits and takes it over once the first lets go.
TEST(SingleInstance, TheRealMutexIsHeldUntilItsHolderGoes)
{
    auto first = std::make_unique<CWindowsInstancePlatform>();
    ASSERT_EQ(first->CreateInstanceMutex(), IInstancePlatform::MutexState::Created);
    std::atomic<int> stage { 0 };
    bool heldWhileFirstRuns = true;
    bool takenAfter = false;
    IInstancePlatform::MutexState secondState = IInstancePlatform::MutexState::Failed;
    std::thread other([&] {
        CWindowsInstancePlatform second;
        secondState = second.CreateInstanceMutex();
        heldWhileFirstRuns = !second.WaitForInstanceMutex(100);
        stage = 1;
        while (stage != 2)
            ::Sleep(5);
        takenAfter = second.WaitForInstanceMutex(2000);
    });
    while (stage != 1)
        ::Sleep(5);
    first.reset();
    stage = 2;
    other.join();
    EXPECT_EQ(secondState, IInstancePlatform::MutexState::AlreadyExists);
    EXPECT_TRUE(heldWhileFirstRuns);
    EXPECT_TRUE(takenAfter);
}
