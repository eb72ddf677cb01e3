#pragma once
// Looking at and poking the windows of another process: finding them,
// whether they answer, what they hold, how many GUI objects the process has.
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

// Visible top-level windows of the process, topmost first.
std::vector<HWND> TopLevelWindowsOf(DWORD processId);
// The first visible top-level window of the process with that class (any when null).
HWND FindTopLevelWindow(DWORD processId, const char* className);
// Visible descendants of root for which match is true, in Z order, depth first.
std::vector<HWND> FindDescendants(HWND root, const std::function<bool(HWND)>& match);
// The first visible descendant of that class; null when none.
HWND FindDescendantOfClass(HWND root, const char* className);
std::string ClassNameOf(HWND hwnd);
std::string TextOf(HWND hwnd, DWORD timeoutMs = 2000);

// True when the window's thread answers WM_NULL within timeoutMs.
bool Answers(HWND hwnd, DWORD timeoutMs);

// Polls until done() is true; false after timeoutMs.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs, DWORD stepMs = 50);

// Posts a command to a window, as a menu or accelerator does.
void PostCommand(HWND hwnd, UINT command, LPARAM extra = 0);
// A key press as the message loop sees it (down and up; the loop makes the character).
void PostKey(HWND hwnd, UINT virtualKey);
// A left click at a client point.
void PostClick(HWND hwnd, int x, int y);

// GDI and USER objects of the process. Where the system does not count them
// (Wine answers 0), GDI objects are counted in the process's GDI handle table
// and USER objects as its windows; `estimated` says so.
struct GuiObjectCount
{
    DWORD gdi = 0;
    DWORD user = 0;
    bool estimated = false;
};
GuiObjectCount CountGuiObjects(HANDLE process, DWORD processId);

// Processes now running whose executable name is name (any case).
std::vector<DWORD> ProcessesNamed(const char* name);

struct ProcessEntry
{
    DWORD id;
    std::string name;
};
// Processes now running that the given one started, and the ones they
// started in turn.
std::vector<ProcessEntry> DescendantProcesses(DWORD processId);
