// Where another process's threads are, as the report of a hang gives it.
#include "tools/uidriver/ThreadStacks.h"
#include "tests/support/SleeperProcess.h"
#include <gtest/gtest.h>

TEST(ThreadStacks, NameTheFunctionsAWaitingThreadIsIn)
{
    SleeperProcess sleeper;
    ASSERT_TRUE(sleeper.started);
    const std::string stack = ThreadStack(sleeper.info.hProcess, sleeper.info.dwThreadId, "  ");
    EXPECT_NE(stack.find(" main+0x"), std::string::npos) << stack;
    EXPECT_NE(stack.find("[zt_sleeper]"), std::string::npos) << stack;
    EXPECT_EQ(stack.compare(0, 2, "  "), 0) << stack;

    const std::string all = AllThreadStacks(sleeper.info.hProcess, sleeper.info.dwProcessId, sleeper.info.dwThreadId);
    const std::string head = "    thread " + std::to_string(sleeper.info.dwThreadId) + " (the UI thread):\n";
    EXPECT_EQ(all.compare(0, head.size(), head), 0) << all;
    EXPECT_NE(all.find(" main+0x"), std::string::npos) << all;
}
