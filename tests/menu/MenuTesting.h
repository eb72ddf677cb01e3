#pragma once
// Shared by the dialog tests of the menu commands.
#include <windows.h>
#include <string>
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
