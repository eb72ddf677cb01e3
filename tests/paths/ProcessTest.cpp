// Ending another program by its executable name.
#include "base/Process.h"
#include "tests/support/SleeperProcess.h"
#include <windows.h>
#include <gtest/gtest.h>

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
