#pragma once
// Helpers for tests that run real windows (on the Xvfb display the test
// command starts): pumping, reading back what a window shows, screenshots.
#include <windows.h>
#include <string>
#include <vector>
#include "win/Dib32.h"

// Shows a top-level window without activating it. Under Wine on a display
// without a window manager, hiding or destroying an active or captioned
// top-level window waits 2 s for a window manager that never answers; an
// inactive popup does not, so test windows are popups shown this way.
inline void ShowWithoutActivating(HWND hwnd)
{
    ::SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

// Dispatches every message already queued for this thread.
void PumpPendingMessages();

// Pumps until done() is true or the time-out passes; returns done().
template <class Predicate> bool PumpUntil(Predicate done, DWORD timeoutMs = 10000)
{
    DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > timeoutMs)
            return false;
        PumpPendingMessages();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

// The colour a visible window shows at a client point, read from the screen.
COLORREF CaptureWindowPixel(HWND hwnd, int x, int y);

// Renders the client area through WM_PRINTCLIENT into image (created at the client size).
bool RenderClient(HWND hwnd, CDib32& image);

// Saves what the window shows on screen (frame included) as a PNG, in
// "test-output" beside the test program (where OffscreenCanvas::SavePng
// writes too). Returns the file's path, empty on failure.
std::string SaveWindowScreenshot(HWND hwnd, const std::string& name);

// Opens a window's context menu with a right-button release at a client
// point and measures, while it is open, the height of the menu's first row;
// the menu is then closed. 0 when no menu opened within the time-out.
int ContextMenuFirstRowHeight(HWND window, POINT client, DWORD timeoutMs = 3000);
// The height an owner-drawn menu row takes for the system's menu font.
int MenuFontRowHeight();

class CNcDraw;
// What the screen shows at a point of a window (window coordinates, frame included).
COLORREF ScreenPixelOfWindow(HWND hwnd, POINT windowPoint);
// What a skinned frame paints at a point of its window (window coordinates).
COLORREF FramePaintPixel(CNcDraw& frame, POINT windowPoint);
// The pixels the screen shows over a window's rectangle (frame included), row by row.
std::vector<COLORREF> ScreenPixelsOfWindow(HWND hwnd);
// A left click of the system's pointer at a point of a window (window
// coordinates, frame included); false when the input was not taken.
bool ClickAtWindowPoint(HWND hwnd, POINT windowPoint);
