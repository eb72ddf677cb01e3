#pragma once
// One run of the program against the simulator program, as a user would have
// it: the program copied into a run directory of its own (its data files and
// "run.ini" live there; the skin is found beside the directory's parent), the
// simulator started on free ports, "run.ini" naming them, the program started
// and, at the end, closed and everything stopped.
#include <windows.h>
#include <string>
#include <vector>

#include "base/HandleOwner.h"
#include "tools/uidriver/SimulatorProcess.h"

struct SessionOptions
{
    std::string binDir; // where Zentu.exe, SCStock.dll and simulator.exe are built (trailing backslash)
    std::string runDir; // the program's directory for this run (trailing backslash)
    bool freshData = true; // start without data files and settings
    std::string userName = "zentu";
    std::string password = "zentu";
};

class ZentuSession
{
public:
    explicit ZentuSession(const SessionOptions& options);
    ~ZentuSession(); // Stop()
    ZentuSession(const ZentuSession&) = delete;
    ZentuSession& operator=(const ZentuSession&) = delete;

    // Copies the program, starts the simulator and writes "run.ini".
    bool Prepare(std::string* error);
    // Starts the program; false when it cannot be started.
    bool StartProgram(std::string* error);

    SimulatorProcess& Simulator() { return m_simulator; }
    const SessionOptions& Options() const { return m_options; }
    HANDLE Process() const { return m_process.Get(); }
    DWORD ProcessId() const { return m_processId; }
    bool ProgramRunning() const;
    std::string RunFile(const std::string& name) const { return m_options.runDir + name; }

    // The login dialog or the main frame, once shown; null otherwise.
    HWND LoginDialog() const;
    HWND MainFrame() const;

    // Closes the program the way the user does (the frame's close command, or
    // the login dialog's Cancel) and waits for it. The time it took, and its
    // exit code (STILL_ACTIVE when it did not end; it is then terminated).
    DWORD CloseProgram(DWORD timeoutMs, DWORD* exitCode);
    // Ends the program (terminating it if it still runs), whatever it started
    // that still runs (a browser it opened a page in), and the simulator.
    void Stop();
    // The names of the processes the last Stop ended besides the program.
    const std::vector<std::string>& EndedStrays() const { return m_endedStrays; }

private:
    bool CopyProgram(std::string* error);
    bool WriteRunIni(std::string* error);

    SessionOptions m_options;
    SimulatorProcess m_simulator;
    CKernelHandle m_process;
    DWORD m_processId = 0;
    std::vector<std::string> m_endedStrays;
};

// The directory of the running program, with its trailing backslash.
std::string ModuleDirectoryOfThisProgram();
// Removes a directory tree; true when it is gone.
bool RemoveTree(const std::string& dir);
