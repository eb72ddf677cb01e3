#pragma once
// A running zt_sleeper.exe (built beside the tests) that has signalled it is
// up; terminated at the end if it still runs.
#include <windows.h>

struct SleeperProcess
{
    PROCESS_INFORMATION info = {};
    bool started = false;

    SleeperProcess();
    ~SleeperProcess();
    SleeperProcess(const SleeperProcess&) = delete;
    SleeperProcess& operator=(const SleeperProcess&) = delete;
};
