#include "app/SingleInstance.h"
#include "app/ShellConstants.h"
#include <psapi.h>
#include <cstring>

namespace {

// The window by title, looked for once before each pause.
HWND FindWithRetries(IInstancePlatform& platform, const InstanceRules& rules)
{
    for (int attempt = 0; attempt < rules.findAttempts; ++attempt) {
        HWND window = platform.FindInstanceWindow();
        if (window && platform.IsWindow(window))
            return window;
        platform.Sleep(rules.findIntervalMs);
    }
    return nullptr;
}

}

InstanceDecision ClaimSingleInstance(IInstancePlatform& platform, const InstanceRules& rules)
{
    const IInstancePlatform::MutexState state = platform.CreateInstanceMutex();
    if (state == IInstancePlatform::MutexState::Failed)
        return InstanceDecision::Exit;
    if (state == IInstancePlatform::MutexState::Created)
        return InstanceDecision::Start;

    HWND window = FindWithRetries(platform, rules);
    if (window) {
        if (platform.Answers(window, rules.answerTimeoutMs)) {
            platform.BringToFront(window);
            return InstanceDecision::Exit;
        }
        if (platform.IsOurProgram(window)) {
            if (!platform.TerminateOwner(window)) {
                platform.ShowStartFailed();
                return InstanceDecision::Exit;
            }
            // The ended instance leaves the mutex abandoned: take it over.
            return platform.WaitForInstanceMutex(rules.mutexWaitMs) ? InstanceDecision::Start
                                                                    : InstanceDecision::Exit;
        }
        // A hung window of another program: not ours to end. Whatever holds
        // the mutex is treated as an instance without a window.
    }
    // An instance that is starting or ending: it gets a few seconds to let go.
    return platform.WaitForInstanceMutex(rules.mutexWaitMs) ? InstanceDecision::Start
                                                            : InstanceDecision::Exit;
}

CWindowsInstancePlatform::~CWindowsInstancePlatform()
{
    CloseMutex();
}

void CWindowsInstancePlatform::CloseMutex()
{
    if (m_owned && m_mutex)
        ::ReleaseMutex(m_mutex.Get());
    m_mutex.Reset();
    m_owned = false;
}

IInstancePlatform::MutexState CWindowsInstancePlatform::CreateInstanceMutex()
{
    CloseMutex();
    m_mutex.Attach(::CreateMutexA(nullptr, TRUE, kInstanceMutexName));
    if (!m_mutex.Get())
        return MutexState::Failed;
    if (::GetLastError() == ERROR_ALREADY_EXISTS)
        return MutexState::AlreadyExists;
    m_owned = true;
    return MutexState::Created;
}

bool CWindowsInstancePlatform::WaitForInstanceMutex(DWORD timeoutMs)
{
    if (!m_mutex.Get())
        return false;
    if (m_owned)
        return true;
    const DWORD result = ::WaitForSingleObject(m_mutex.Get(), timeoutMs);
    m_owned = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
    return m_owned;
}

HWND CWindowsInstancePlatform::FindInstanceWindow()
{
    return ::FindWindowA(nullptr, kMainWindowTitle);
}

bool CWindowsInstancePlatform::IsWindow(HWND window)
{
    return ::IsWindow(window) != FALSE;
}

void CWindowsInstancePlatform::Sleep(DWORD ms)
{
    ::Sleep(ms);
}

bool CWindowsInstancePlatform::Answers(HWND window, DWORD timeoutMs)
{
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG, timeoutMs, &result)
        != 0;
}

void CWindowsInstancePlatform::BringToFront(HWND window)
{
    ::ShowWindow(window, SW_SHOWNORMAL);
    ::BringWindowToTop(window);
    ::SetForegroundWindow(window);
}

bool CWindowsInstancePlatform::IsOurProgram(HWND window)
{
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    if (!processId)
        return false;
    CKernelHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process.Get())
        return false;
    char name[MAX_PATH] = {};
    const DWORD length = ::GetModuleBaseNameA(process.Get(), nullptr, name, MAX_PATH);
    return length > 0 && ::lstrcmpiA(name, kExecutableName) == 0;
}

bool CWindowsInstancePlatform::TerminateOwner(HWND window)
{
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    if (!processId || processId == ::GetCurrentProcessId())
        return false;
    CKernelHandle process(::OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId));
    if (!process.Get())
        return false;
    const bool ended = ::TerminateProcess(process.Get(), 0) != FALSE;
    if (ended)
        ::WaitForSingleObject(process.Get(), 5000);
    return ended;
}

void CWindowsInstancePlatform::ShowStartFailed()
{
    ::MessageBoxA(nullptr, "启动失败", nullptr, MB_OK);
}
