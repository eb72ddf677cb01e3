#pragma once
// Where another process's threads are: each thread's call stack, function
// names and source lines where the modules carry them. For the report of a
// program that stopped answering: the UI thread's stack, and the stacks of
// the threads it may be waiting for.
#include <windows.h>
#include <string>

// The stack of one thread of the process (suspended for the look), one frame
// a line, each line starting with indent; a note in place of the frames when
// the thread cannot be looked at.
std::string ThreadStack(HANDLE process, DWORD threadId, const std::string& indent);

// Every thread of the process, the given one first, each headed by its id.
std::string AllThreadStacks(HANDLE process, DWORD processId, DWORD firstThreadId);
