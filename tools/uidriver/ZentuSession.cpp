#include "tools/uidriver/ZentuSession.h"

#include "base/Ini.h"
#include "tools/uidriver/ForeignWindows.h"
#include "views/ViewIds.h"

namespace {

const char kProgram[] = "Zentu.exe";
const char* const kProgramFiles[] = { "Zentu.exe", "SCStock.dll" };

} // namespace

std::string ModuleDirectoryOfThisProgram()
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    dir.resize(dir.find_last_of("\\/") + 1);
    return dir;
}

bool RemoveTree(const std::string& dir)
{
    std::string base = dir;
    if (!base.empty() && base.back() != '\\')
        base += '\\';
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((base + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string path = base + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                ::DeleteFileA(path.c_str());
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryA(base.c_str());
    return ::GetFileAttributesA(base.c_str()) == INVALID_FILE_ATTRIBUTES;
}

ZentuSession::ZentuSession(const SessionOptions& options)
    : m_options(options)
{
}

ZentuSession::~ZentuSession()
{
    Stop();
}

bool ZentuSession::CopyProgram(std::string* error)
{
    if (m_options.freshData)
        RemoveTree(m_options.runDir);
    ::CreateDirectoryA(m_options.runDir.c_str(), nullptr);
    for (const char* name : kProgramFiles) {
        const std::string from = m_options.binDir + name;
        if (::GetFileAttributesA(from.c_str()) == INVALID_FILE_ATTRIBUTES) {
            if (name == std::string(kProgram)) {
                if (error)
                    *error = "the program is not built: " + from;
                return false;
            }
            continue;
        }
        if (!::CopyFileA(from.c_str(), (m_options.runDir + name).c_str(), FALSE)) {
            if (error)
                *error = "cannot copy " + from + " into " + m_options.runDir;
            return false;
        }
    }
    return true;
}

bool ZentuSession::WriteRunIni(std::string* error)
{
    CIni ini(RunFile("run.ini"));
    const std::string web = "http://127.0.0.1:" + std::to_string(m_simulator.WebPort()) + "/";
    bool written = ini.WriteString("Servers", "QuoteAddress", "127.0.0.1")
        && ini.WriteInt("Servers", "QuotePort", m_simulator.QuotePort()) && ini.WriteString("Servers", "ServiceUrl", web);
    if (written && !m_options.userName.empty() && ini.GetString("UserInfo", "Name").empty())
        written = ini.WriteString("UserInfo", "Name", m_options.userName);
    if (!written && error)
        *error = "cannot write " + RunFile("run.ini");
    return written;
}

bool ZentuSession::Prepare(std::string* error)
{
    if (!CopyProgram(error))
        return false;
    if (!m_simulator.Start(m_options.binDir + "simulator.exe", error))
        return false;
    return WriteRunIni(error);
}

bool ZentuSession::StartProgram(std::string* error)
{
    const std::string program = RunFile(kProgram);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    std::string commandLine = "\"" + program + "\"";
    if (!::CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
            m_options.runDir.c_str(), &startup, &info)) {
        if (error)
            *error = "cannot start " + program;
        return false;
    }
    ::CloseHandle(info.hThread);
    m_process.Attach(info.hProcess);
    m_processId = info.dwProcessId;
    return true;
}

bool ZentuSession::ProgramRunning() const
{
    return m_process.Get() && ::WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT;
}

HWND ZentuSession::LoginDialog() const
{
    return m_processId ? FindTopLevelWindow(m_processId, "#32770") : nullptr;
}

HWND ZentuSession::MainFrame() const
{
    return m_processId ? FindTopLevelWindow(m_processId, "ZtMainFrame") : nullptr;
}

DWORD ZentuSession::CloseProgram(DWORD timeoutMs, DWORD* exitCode)
{
    const DWORD start = ::GetTickCount();
    if (exitCode)
        *exitCode = STILL_ACTIVE;
    if (!m_process.Get())
        return 0;
    if (HWND frame = MainFrame())
        PostCommand(frame, kCmdExitProgram);
    else if (HWND login = LoginDialog())
        PostCommand(login, IDCANCEL);
    const bool ended = ::WaitForSingleObject(m_process.Get(), timeoutMs) == WAIT_OBJECT_0;
    const DWORD took = ::GetTickCount() - start;
    DWORD code = STILL_ACTIVE;
    if (ended)
        ::GetExitCodeProcess(m_process.Get(), &code);
    else
        ::TerminateProcess(m_process.Get(), 3); // never leave a stray instance behind
    if (exitCode)
        *exitCode = code;
    return took;
}

void ZentuSession::Stop()
{
    // Taken while the program still runs: what it started.
    std::vector<ProcessEntry> started = m_processId ? DescendantProcesses(m_processId) : std::vector<ProcessEntry>();
    if (ProgramRunning()) {
        DWORD code = 0;
        CloseProgram(10000, &code);
    }
    if (m_processId) {
        for (const ProcessEntry& entry : DescendantProcesses(m_processId))
            started.push_back(entry);
    }
    for (const ProcessEntry& entry : started) {
        HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.id);
        if (!process)
            continue;
        if (::WaitForSingleObject(process, 0) == WAIT_TIMEOUT && ::TerminateProcess(process, 1))
            m_endedStrays.push_back(entry.name);
        ::CloseHandle(process);
    }
    m_process.Reset();
    m_processId = 0;
    m_simulator.Stop();
}
