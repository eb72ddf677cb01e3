#pragma once
// The program's run after the single-instance check and the platform start:
// the first login, then main-frame runs separated by re-logins.
#include <windows.h>
#include <functional>
#include <memory>

// A login dialog as the run loop needs it. Whoever implements it makes sure
// that its login thread has ended before the object is deleted.
class ILoginPrompt
{
public:
    virtual ~ILoginPrompt() { }
    // Modal; 1 when the user is logged in and the data is loaded.
    virtual INT_PTR RunModal(HWND owner) = 0;
};

using LoginPromptFactory = std::function<std::unique_ptr<ILoginPrompt>()>;

// The program's own login dialog.
std::unique_ptr<ILoginPrompt> CreateLoginPrompt();

// Creates the message loop and the main frame at (0, 0)-(900, 680), shows it
// normal then maximised, and runs the loop: the re-login result when the user
// asked to log in again, otherwise the loop's own result; 0 when the frame
// cannot be created.
int RunMainFrame();

// The first login dialog lives for the whole run; each re-login uses a fresh
// one, deleted right after its modal run. 0 when the first login is
// cancelled; the re-login result when a re-login is cancelled.
int RunLoginAndFrames(const LoginPromptFactory& makeLogin, const std::function<int()>& runFrame);
