#include "tools/uidriver/ForeignWindows.h"
#include "tools/uidriver/GdiHandleTable.h"

#include <tlhelp32.h>
#include <winternl.h>
#include <cstdint>

namespace {

struct TopLevelSearch
{
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM param)
{
    TopLevelSearch* search = reinterpret_cast<TopLevelSearch*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid == search->processId && ::IsWindowVisible(hwnd))
        search->found.push_back(hwnd);
    return TRUE;
}

struct WindowCount
{
    DWORD processId;
    DWORD count;
};

BOOL CALLBACK CountChild(HWND, LPARAM param)
{
    ++reinterpret_cast<WindowCount*>(param)->count;
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND hwnd, LPARAM param)
{
    WindowCount* counter = reinterpret_cast<WindowCount*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid == counter->processId) {
        ++counter->count;
        ::EnumChildWindows(hwnd, &CountChild, param);
    }
    return TRUE;
}

typedef LONG(WINAPI* QueryInformationProcess)(HANDLE, int, void*, ULONG, ULONG*);

DWORD CountRemoteGdiTable(HANDLE process)
{
    HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    QueryInformationProcess query = ntdll
        ? reinterpret_cast<QueryInformationProcess>(
              reinterpret_cast<void*>(::GetProcAddress(ntdll, "NtQueryInformationProcess")))
        : nullptr;
    if (!query)
        return 0;
    PROCESS_BASIC_INFORMATION basic = {};
    if (query(process, 0 /* ProcessBasicInformation */, &basic, sizeof(basic), nullptr) != 0
        || !basic.PebBaseAddress)
        return 0;
    void* table = nullptr;
    SIZE_T read = 0;
    if (!::ReadProcessMemory(process, reinterpret_cast<const uint8_t*>(basic.PebBaseAddress) + kPebGdiHandleTableOffset,
            &table, sizeof(table), &read)
        || read != sizeof(table) || !table)
        return 0;
    std::vector<GdiHandleEntry> entries(kGdiHandleCount);
    if (!::ReadProcessMemory(process, table, entries.data(), entries.size() * sizeof(GdiHandleEntry), &read)
        || read != entries.size() * sizeof(GdiHandleEntry))
        return 0;
    return CountLiveGdiEntries(entries.data(), kGdiHandleCount);
}

} // namespace

std::vector<HWND> TopLevelWindowsOf(DWORD processId)
{
    TopLevelSearch search { processId, {} };
    ::EnumWindows(&CollectTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindTopLevelWindow(DWORD processId, const char* className)
{
    for (HWND hwnd : TopLevelWindowsOf(processId)) {
        if (!className || ClassNameOf(hwnd) == className)
            return hwnd;
    }
    return nullptr;
}

std::vector<HWND> FindDescendants(HWND root, const std::function<bool(HWND)>& match)
{
    std::vector<HWND> found;
    for (HWND child = ::GetWindow(root, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!::IsWindowVisible(child))
            continue;
        if (match(child))
            found.push_back(child);
        std::vector<HWND> below = FindDescendants(child, match);
        found.insert(found.end(), below.begin(), below.end());
    }
    return found;
}

HWND FindDescendantOfClass(HWND root, const char* className)
{
    std::vector<HWND> found = FindDescendants(root, [className](HWND hwnd) { return ClassNameOf(hwnd) == className; });
    return found.empty() ? nullptr : found.front();
}

std::string ClassNameOf(HWND hwnd)
{
    char name[256] = {};
    ::GetClassNameA(hwnd, name, sizeof(name));
    return name;
}

std::string TextOf(HWND hwnd, DWORD timeoutMs)
{
    char text[1024] = {};
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
            timeoutMs, &result))
        return std::string();
    return text;
}

bool Answers(HWND hwnd, DWORD timeoutMs)
{
    DWORD_PTR result = 0;
    // Not SMTO_ABORTIFHUNG: a window busy for a few seconds counts as hung
    // there at once, and the time-out given here is the measure.
    return ::SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_BLOCK, timeoutMs, &result) != 0;
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs, DWORD stepMs)
{
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::Sleep(stepMs);
    }
    return true;
}

void PostCommand(HWND hwnd, UINT command, LPARAM extra)
{
    ::PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(command, 0), extra);
}

void PostKey(HWND hwnd, UINT virtualKey)
{
    // The program's message loop translates the key into its character, as
    // it does with a key typed on the keyboard.
    const UINT scan = ::MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
    ::PostMessageA(hwnd, WM_KEYDOWN, virtualKey, 1 | (scan << 16));
    ::PostMessageA(hwnd, WM_KEYUP, virtualKey, 1 | (scan << 16) | 0xC0000000u);
}

void PostClick(HWND hwnd, int x, int y)
{
    const LPARAM point = MAKELPARAM(x, y);
    ::PostMessageA(hwnd, WM_MOUSEMOVE, 0, point);
    ::PostMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, point);
    ::PostMessageA(hwnd, WM_LBUTTONUP, 0, point);
}

GuiObjectCount CountGuiObjects(HANDLE process, DWORD processId)
{
    GuiObjectCount count;
    count.gdi = ::GetGuiResources(process, GR_GDIOBJECTS);
    count.user = ::GetGuiResources(process, GR_USEROBJECTS);
    if (count.gdi == 0) {
        count.gdi = CountRemoteGdiTable(process);
        count.estimated = true;
    }
    if (count.user == 0) {
        WindowCount windows { processId, 0 };
        ::EnumWindows(&CountTopLevel, reinterpret_cast<LPARAM>(&windows));
        count.user = windows.count;
        count.estimated = true;
    }
    return count;
}

std::vector<DWORD> ProcessesNamed(const char* name)
{
    std::vector<DWORD> found;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return found;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32First(snapshot, &entry); more; more = ::Process32Next(snapshot, &entry)) {
        if (_stricmp(entry.szExeFile, name) == 0)
            found.push_back(entry.th32ProcessID);
    }
    ::CloseHandle(snapshot);
    return found;
}

std::vector<ProcessEntry> DescendantProcesses(DWORD processId)
{
    std::vector<PROCESSENTRY32> all;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return {};
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32First(snapshot, &entry); more; more = ::Process32Next(snapshot, &entry))
        all.push_back(entry);
    ::CloseHandle(snapshot);
    std::vector<ProcessEntry> found;
    std::vector<DWORD> parents { processId };
    for (size_t next = 0; next < parents.size(); ++next) {
        for (const PROCESSENTRY32& process : all) {
            if (process.th32ParentProcessID == parents[next] && process.th32ProcessID != processId
                && process.th32ProcessID != 0) {
                found.push_back({ process.th32ProcessID, process.szExeFile });
                parents.push_back(process.th32ProcessID);
            }
        }
        if (parents.size() > 256)
            break;
    }
    return found;
}
