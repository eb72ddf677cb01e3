#pragma once
// Names the program is known by to a second start of itself.
#include <windows.h>

// Held by the running instance for its whole life.
constexpr const char kInstanceMutexName[] = "KELO_STOCK_AMBER_WATCH";
// The main window's title; the login dialog bears it too, so a second start
// finds a running instance in either state by this title alone.
constexpr const char kMainWindowTitle[] = "Zentu股票分析系统 - 经典版";
constexpr const char kExecutableName[] = "Zentu.exe";
// The run loop's result when the user asked to log in again.
constexpr int kReloginResult = 1111;
