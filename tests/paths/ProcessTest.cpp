// Ending another program by its executable name.
#include "base/PathUtil.h"
#include "base/Process.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <cstdio>
#include <string>

namespace {

// A running zt_sleeper.exe that has signalled it is up.
struct SleeperProcess
{
    PROCESS_INFORMATION info = {};
    bool started = false;

    SleeperProcess()
    {
        char eventName[64];
        std::snprintf(eventName, sizeof(eventName), "zt_sleeper_ready_%lu", ::GetCurrentProcessId());
        HANDLE ready = ::CreateEventA(nullptr, TRUE, FALSE, eventName);
        std::string command = "\"" + GetModuleDirectory() + "zt_sleeper.exe\" " + eventName + " 120000";
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        if (ready
            && ::CreateProcessA(
                nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
            HANDLE waits[2] = { ready, info.hProcess };
            started = ::WaitForMultipleObjects(2, waits, FALSE, 60000) == WAIT_OBJECT_0;
        }
        if (ready)
            ::CloseHandle(ready);
    }

    ~SleeperProcess()
    {
        if (info.hProcess) {
            if (::WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT)
                ::TerminateProcess(info.hProcess, 99);
            ::CloseHandle(info.hProcess);
            ::CloseHandle(info.hThread);
        }
    }
};

}

TEST(KillProcessByName, EndsTheNamedProgramWithExitCodeZero)
{
    SleeperProcess sleeper;
    ASSERT_TRUE(sleeper.started);
    // The name is compared with case.
    EXPECT_EQ(KillProcessByName("ZT_SLEEPER.EXE"), 1);
    EXPECT_EQ(::WaitForSingleObject(sleeper.info.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));

    EXPECT_EQ(KillProcessByName("zt_sleeper.exe"), 1);
    ASSERT_EQ(::WaitForSingleObject(sleeper.info.hProcess, 60000), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD code = 1234;
    ASSERT_TRUE(::GetExitCodeProcess(sleeper.info.hProcess, &code));
    EXPECT_EQ(code, 0u);
}

TEST(KillProcessByName, NeverEndsTheCaller)
{
    EXPECT_EQ(KillProcessByName("test_paths.exe"), 1);
    EXPECT_EQ(KillProcessByName("no-such-program.exe"), 1);
    SUCCEED() << "still running";
}
