#pragma once
// Shared by the dialog tests of the menu commands.
#include <windows.h>
#include <string>
#include <thread>
#include "tests/support/WindowTesting.h"

// Shows a modeless dialog without activating it, paints it with its frame
// and saves it as test-output/<name>.png; the file's path.
inline std::string ShowAndCapture(HWND dialog, const std::string& name)
{
    ShowWithoutActivating(dialog);
    ::RedrawWindow(dialog, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpPendingMessages();
    return SaveWindowScreenshot(dialog, name);
}

// A fetch that hangs until another thread has tried to reach the window of
// the thread that started it: what a web server that drips its reply does to
// a dialog. answered says whether that thread answered meanwhile.
struct HangingFetch
{
    HWND probe = nullptr; // a window of the dialog's thread
    bool answered = false;

    bool operator()(const std::string&, std::string& body)
    {
        DWORD_PTR result = 0;
        HWND window = probe;
        bool reached = false;
        std::thread prober([window, &reached, &result] {
            reached = ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 3000, &result) != 0;
        });
        prober.join();
        answered = reached;
        body.clear();
        return false;
    }
};
