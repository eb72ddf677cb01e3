#pragma once
// One running instance per machine. A second start brings a responsive
// instance to the front and ends; a hung instance of this program is ended and
// replaced. A running instance is never ended unless its window was found and
// did not answer, and a window merely bearing our title in another program is
// never a reason to end that program.
#include <windows.h>
#include "base/HandleOwner.h"

// What the decision needs of the system, so that it can be tested with a fake.
class IInstancePlatform
{
public:
    enum class MutexState { Failed, Created, AlreadyExists };

    virtual ~IInstancePlatform() { }
    // Creates the instance mutex with initial ownership and keeps it.
    virtual MutexState CreateInstanceMutex() = 0;
    // Waits for the already existing mutex; an abandoned one counts as taken.
    virtual bool WaitForInstanceMutex(DWORD timeoutMs) = 0;
    // A top-level window with the main window's title, or null.
    virtual HWND FindInstanceWindow() = 0;
    virtual bool IsWindow(HWND window) = 0;
    virtual void Sleep(DWORD ms) = 0;
    // A null message that blocks, gives up on a hung window, and times out.
    virtual bool Answers(HWND window, DWORD timeoutMs) = 0;
    virtual void BringToFront(HWND window) = 0;
    // Whether the window's process runs our own executable.
    virtual bool IsOurProgram(HWND window) = 0;
    virtual bool TerminateOwner(HWND window) = 0;
    virtual void ShowStartFailed() = 0;
};

enum class InstanceDecision { Exit, Start };

struct InstanceRules
{
    int findAttempts = 20;
    DWORD findIntervalMs = 50;
    DWORD answerTimeoutMs = 2000;
    DWORD mutexWaitMs = 5000;
};

InstanceDecision ClaimSingleInstance(
    IInstancePlatform& platform, const InstanceRules& rules = InstanceRules());

// The real system. Keeps the mutex handle for the life of the object, which
// must therefore outlive the program's run.
class CWindowsInstancePlatform : public IInstancePlatform
{
public:
    CWindowsInstancePlatform() = default;
    ~CWindowsInstancePlatform() override;
    CWindowsInstancePlatform(const CWindowsInstancePlatform&) = delete;
    CWindowsInstancePlatform& operator=(const CWindowsInstancePlatform&) = delete;

    MutexState CreateInstanceMutex() override;
    bool WaitForInstanceMutex(DWORD timeoutMs) override;
    HWND FindInstanceWindow() override;
    bool IsWindow(HWND window) override;
    void Sleep(DWORD ms) override;
    bool Answers(HWND window, DWORD timeoutMs) override;
    void BringToFront(HWND window) override;
    bool IsOurProgram(HWND window) override;
    bool TerminateOwner(HWND window) override;
    void ShowStartFailed() override;

private:
    void CloseMutex();

    CKernelHandle m_mutex;
    bool m_owned = false;
};
