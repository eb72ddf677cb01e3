#include "tests/support/SleeperProcess.h"

#include <cstdio>
#include <string>

#include "base/PathUtil.h"

SleeperProcess::SleeperProcess()
{
    char eventName[64];
    std::snprintf(eventName, sizeof(eventName), "zt_sleeper_ready_%lu", ::GetCurrentProcessId());
    HANDLE ready = ::CreateEventA(nullptr, TRUE, FALSE, eventName);
    std::string command = "\"" + GetModuleDirectory() + "zt_sleeper.exe\" " + eventName + " 120000";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    if (ready
        && ::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        HANDLE waits[2] = { ready, info.hProcess };
        started = ::WaitForMultipleObjects(2, waits, FALSE, 60000) == WAIT_OBJECT_0;
    }
    if (ready)
        ::CloseHandle(ready);
}

SleeperProcess::~SleeperProcess()
{
    if (info.hProcess) {
        if (::WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT)
            ::TerminateProcess(info.hProcess, 99);
        ::CloseHandle(info.hProcess);
        ::CloseHandle(info.hThread);
    }
}
