#pragma once
// The program module: its instance handle, its resources, the common
// controls, and the message loop of each UI thread (so that a window can
// register itself as message filter and idle handler of the loop that runs it).
#include <windows.h>
#include <map>
#include <mutex>
#include <string>

class CMessageLoop;

class CAppModule
{
public:
    static CAppModule& Get();

    // instance null means the executable. Initialises the common controls
    // (the given ICC_ classes plus the standard ones); false on failure.
    bool Init(HINSTANCE instance = nullptr, DWORD commonControlClasses = 0);
    void Term();

    HINSTANCE GetModuleInstance() const { return m_instance; }
    HINSTANCE GetResourceInstance() const { return m_instance; }

    // One loop per thread; the loop stays owned by the caller.
    bool AddMessageLoop(CMessageLoop* loop);
    bool RemoveMessageLoop();
    // The calling thread's loop, null when none runs.
    CMessageLoop* GetMessageLoop() const;

    // Whether the visual-styles library can be loaded: tried once, under the
    // module lock, and remembered. Themed drawing paths ask this first.
    bool IsThemingSupported() const;

    // Resources of the module. The caller frees what LoadIcon (DestroyIcon),
    // LoadBitmap (DeleteObject) and LoadMenu (DestroyMenu) return; the cursor
    // of LoadCursor and the table of LoadAccelerators are shared and never freed.
    std::string LoadString(UINT id) const;
    HICON LoadIcon(UINT id, int size = 0) const;
    HCURSOR LoadCursor(UINT id) const;
    HBITMAP LoadBitmap(UINT id) const;
    HMENU LoadMenu(UINT id) const;
    HACCEL LoadAccelerators(UINT id) const;
    // The bytes of a custom resource, empty when missing.
    std::string LoadRawResource(const char* type, UINT id) const;

private:
    CAppModule();

    HINSTANCE m_instance;
    mutable std::mutex m_lock;
    std::map<DWORD, CMessageLoop*> m_loops;
    mutable int m_theming; // -1 not tried yet, else 0 or 1
};
