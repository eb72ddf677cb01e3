#include "tools/uidriver/SimulatorProcess.h"

#include <cstdio>
#include <cstdlib>

namespace {

const DWORD kStartTimeoutMs = 30000;
const DWORD kAnswerTimeoutMs = 10000;
const DWORD kStopTimeoutMs = 10000;

} // namespace

SimulatorProcess::~SimulatorProcess()
{
    Stop();
}

bool SimulatorProcess::Start(const std::string& program, std::string* error)
{
    SECURITY_ATTRIBUTES inherit = { sizeof(inherit), nullptr, TRUE };
    HANDLE childIn = nullptr, ourIn = nullptr, ourOut = nullptr, childOut = nullptr;
    if (!::CreatePipe(&childIn, &ourIn, &inherit, 0) || !::CreatePipe(&ourOut, &childOut, &inherit, 0)) {
        if (error)
            *error = "cannot create the control pipes";
        return false;
    }
    CKernelHandle childInOwner(childIn), childOutOwner(childOut);
    m_input.Attach(ourIn);
    m_output.Attach(ourOut);
    ::SetHandleInformation(ourIn, HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(ourOut, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childIn;
    startup.hStdOutput = childOut;
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info = {};
    // A session in progress whatever the hour the run starts: the walk and its
    // checks see a minute chart that has grown through most of a day.
    std::string commandLine = "\"" + program + "\" --control --session-time 14:00 0 0";
    if (!::CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
            nullptr, &startup, &info)) {
        if (error)
            *error = "cannot start " + program;
        m_input.Reset();
        m_output.Reset();
        return false;
    }
    ::CloseHandle(info.hThread);
    m_process.Attach(info.hProcess);
    childInOwner.Reset();
    childOutOwner.Reset();

    // "quote server on 127.0.0.1:Q, web service on 127.0.0.1:W; ..."
    std::string line;
    if (!ReadLine(line, kStartTimeoutMs)) {
        if (error)
            *error = "the simulator did not report its ports";
        Stop();
        return false;
    }
    unsigned quote = 0, web = 0;
    if (std::sscanf(line.c_str(), "quote server on 127.0.0.1:%u, web service on 127.0.0.1:%u", &quote, &web) != 2
        || quote == 0 || web == 0 || quote > 65535 || web > 65535) {
        if (error)
            *error = "unexpected simulator output: " + line;
        Stop();
        return false;
    }
    m_quotePort = static_cast<uint16_t>(quote);
    m_webPort = static_cast<uint16_t>(web);
    return true;
}

bool SimulatorProcess::IsRunning() const
{
    return m_process.Get() && ::WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT;
}

bool SimulatorProcess::ReadLine(std::string& line, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        const size_t end = m_pending.find('\n');
        if (end != std::string::npos) {
            line = m_pending.substr(0, end);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            m_pending.erase(0, end + 1);
            return true;
        }
        DWORD available = 0;
        if (!m_output.Get() || !::PeekNamedPipe(m_output.Get(), nullptr, 0, nullptr, &available, nullptr))
            return false;
        if (available) {
            char chunk[512];
            DWORD read = 0;
            const DWORD want = available < sizeof(chunk) ? available : sizeof(chunk);
            if (!::ReadFile(m_output.Get(), chunk, want, &read, nullptr) || read == 0)
                return false;
            m_pending.append(chunk, read);
            continue;
        }
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::Sleep(10);
    }
}

std::string SimulatorProcess::Command(const std::string& line)
{
    if (!m_input.Get())
        return std::string();
    const std::string text = line + "\n";
    DWORD written = 0;
    if (!::WriteFile(m_input.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr)
        || written != text.size())
        return std::string();
    std::string answer;
    return ReadLine(answer, kAnswerTimeoutMs) ? answer : std::string();
}

long SimulatorProcess::Count(const std::string& line)
{
    const std::string answer = Command(line);
    if (answer.compare(0, 6, "count ") != 0)
        return -1;
    return std::strtol(answer.c_str() + 6, nullptr, 10);
}

void SimulatorProcess::Stop()
{
    if (m_input.Get()) {
        const char quit[] = "quit\n";
        DWORD written = 0;
        ::WriteFile(m_input.Get(), quit, sizeof(quit) - 1, &written, nullptr);
        m_input.Reset();
    }
    if (m_process.Get()) {
        if (::WaitForSingleObject(m_process.Get(), kStopTimeoutMs) != WAIT_OBJECT_0)
            ::TerminateProcess(m_process.Get(), 1); // a simulator that does not stop must not linger
        m_process.Reset();
    }
    m_output.Reset();
    m_pending.clear();
}
