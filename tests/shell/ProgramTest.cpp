// The program itself under Wine: it starts with its login dialog, a second
// start brings the first one to the front and leaves it alone, a second start
// beside a hung first one ends it and takes its place, and cancelling the
// login ends it with 0.
#include "app/ShellConstants.h"
#include "base/HandleOwner.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <string>

namespace {

std::string ProgramPath()
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    dir.resize(dir.find_last_of("\\/") + 1);
    return dir + kExecutableName;
}

CKernelHandle Start(const std::string& program)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    std::string commandLine = "\"" + program + "\"";
    if (!::CreateProcessA(
            program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return CKernelHandle();
    ::CloseHandle(info.hThread);
    return CKernelHandle(info.hProcess);
}

struct TitledWindowSearch
{
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindTitledWindow(HWND window, LPARAM lp)
{
    TitledWindowSearch* search = reinterpret_cast<TitledWindowSearch*>(lp);
    char title[128] = {};
    ::GetWindowTextA(window, title, sizeof(title));
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && std::string(title) == kMainWindowTitle) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The window bearing the main title in the process: other tests of this
// prefix may show a login dialog with the same title meanwhile.
HWND WaitForMainWindow(HANDLE process, DWORD timeoutMs)
{
    TitledWindowSearch search = { ::GetProcessId(process), nullptr };
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < timeoutMs) {
        ::EnumWindows(&FindTitledWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        ::Sleep(50);
    }
    return nullptr;
}

// Starts the program built beside the tests and waits for its login dialog.
void StartWithLogin(CKernelHandle& process, HWND& window)
{
    const std::string program = ProgramPath();
    ASSERT_NE(::GetFileAttributesA(program.c_str()), INVALID_FILE_ATTRIBUTES) << program << " is built with the tests";
    process = Start(program);
    ASSERT_TRUE(process.Get());
    window = WaitForMainWindow(process.Get(), 20000);
    ASSERT_TRUE(window) << "the login dialog shows";
}

DWORD WaitForExit(HANDLE process, DWORD timeoutMs)
{
    if (::WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0)
        return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(process, &code);
    return code;
}

}

TEST(Program, StartsOnceWithTheLoginAndEndsWithZeroWhenItIsCancelled)
{
    CKernelHandle first;
    HWND window = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartWithLogin(first, window));
    // The login dialog bears the main window's title; its name field tells it apart.
    EXPECT_TRUE(::GetDlgItem(window, 1002));
    DWORD firstPid = 0;
    ::GetWindowThreadProcessId(window, &firstPid);
    EXPECT_EQ(firstPid, ::GetProcessId(first.Get()));

    // A second start finds the answering instance, brings it to the front
    // (from behind a window of ours) and ends without touching it.
    HWND ours = ::CreateWindowExA(0, "STATIC", "in front", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
        ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(ours);
    ::SetForegroundWindow(ours);
    EXPECT_EQ(::GetForegroundWindow(), ours);
    CKernelHandle second = Start(ProgramPath());
    ASSERT_TRUE(second.Get());
    EXPECT_EQ(WaitForExit(second.Get(), 20000), 0u);
    EXPECT_EQ(::WaitForSingleObject(first.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the first still runs";
    EXPECT_EQ(::GetForegroundWindow(), window) << "the first is in front";
    ::DestroyWindow(ours);

    ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    const DWORD code = WaitForExit(first.Get(), 20000);
    if (code == STILL_ACTIVE)
        ::TerminateProcess(first.Get(), 0); // never leave a stray instance behind
    EXPECT_EQ(code, 0u);
}

// A first instance whose window does not answer (its thread suspended here)
// is ended by the second start, which takes over the instance mutex its end
// left abandoned and shows its own login.
TEST(Program, ASecondStartEndsAHungInstanceAndTakesItsPlace)
{
    CKernelHandle first;
    HWND window = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartWithLogin(first, window));
    const DWORD windowThread = ::GetWindowThreadProcessId(window, nullptr);
    CKernelHandle thread(::OpenThread(THREAD_SUSPEND_RESUME, FALSE, windowThread));
    ASSERT_TRUE(thread.Get());
    ASSERT_NE(::SuspendThread(thread.Get()), static_cast<DWORD>(-1));
    DWORD_PTR reply = 0;
    EXPECT_EQ(::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_BLOCK, 300, &reply), 0) << "the first is hung";

    CKernelHandle second = Start(ProgramPath());
    ASSERT_TRUE(second.Get());
    const DWORD firstEnd = ::WaitForSingleObject(first.Get(), 30000);
    HWND taken = firstEnd == WAIT_OBJECT_0 ? WaitForMainWindow(second.Get(), 20000) : nullptr;
    const bool secondRuns = ::WaitForSingleObject(second.Get(), 0) == WAIT_TIMEOUT;
    if (firstEnd != WAIT_OBJECT_0) {
        ::ResumeThread(thread.Get());
        ::TerminateProcess(first.Get(), 0);
    }
    EXPECT_EQ(firstEnd, static_cast<DWORD>(WAIT_OBJECT_0)) << "the hung instance is ended";
    EXPECT_TRUE(secondRuns) << "the second start goes on";
    EXPECT_TRUE(taken) << "and shows its login";
    if (taken) {
        EXPECT_TRUE(::GetDlgItem(taken, 1002));
        ::PostMessageA(taken, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
    const DWORD code = WaitForExit(second.Get(), 20000);
    if (code == STILL_ACTIVE)
        ::TerminateProcess(second.Get(), 0); // never leave a stray instance behind
    EXPECT_EQ(code, 0u);
}
