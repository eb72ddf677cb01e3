#include "win/AppModule.h"
#include <commctrl.h>
#include "base/UnicodeString.h"

CAppModule& CAppModule::Get()
{
    static CAppModule module;
    return module;
}

CAppModule::CAppModule()
    : m_instance(::GetModuleHandleA(nullptr))
    , m_theming(-1)
{
}

bool CAppModule::IsThemingSupported() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_theming < 0) {
        HMODULE library = ::LoadLibraryA("uxtheme.dll");
        m_theming = library ? 1 : 0;
        if (library)
            ::FreeLibrary(library);
    }
    return m_theming == 1;
}

bool CAppModule::Init(HINSTANCE instance, DWORD commonControlClasses)
{
    if (instance)
        m_instance = instance;
    INITCOMMONCONTROLSEX icc = { sizeof(icc), ICC_WIN95_CLASSES | commonControlClasses };
    return ::InitCommonControlsEx(&icc) != FALSE;
}

void CAppModule::Term()
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_loops.clear();
}

bool CAppModule::AddMessageLoop(CMessageLoop* loop)
{
    std::lock_guard<std::mutex> lock(m_lock);
    return loop && m_loops.emplace(::GetCurrentThreadId(), loop).second;
}

bool CAppModule::RemoveMessageLoop()
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_loops.erase(::GetCurrentThreadId()) != 0;
}

CMessageLoop* CAppModule::GetMessageLoop() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    auto it = m_loops.find(::GetCurrentThreadId());
    return it == m_loops.end() ? nullptr : it->second;
}

std::string CAppModule::LoadString(UINT id) const
{
    // The string table holds UTF-16; the program's text is code page 936.
    const wchar_t* text = nullptr;
    int length = ::LoadStringW(m_instance, id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text)
        return std::string();
    return WideToGbk(std::wstring(text, static_cast<size_t>(length)));
}

HICON CAppModule::LoadIcon(UINT id, int size) const
{
    return static_cast<HICON>(
        ::LoadImageA(m_instance, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, size ? 0 : LR_DEFAULTSIZE));
}

HCURSOR CAppModule::LoadCursor(UINT id) const
{
    return ::LoadCursorA(m_instance, MAKEINTRESOURCEA(id));
}

HBITMAP CAppModule::LoadBitmap(UINT id) const
{
    return static_cast<HBITMAP>(
        ::LoadImageA(m_instance, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

HMENU CAppModule::LoadMenu(UINT id) const
{
    return ::LoadMenuA(m_instance, MAKEINTRESOURCEA(id));
}

HACCEL CAppModule::LoadAccelerators(UINT id) const
{
    return ::LoadAcceleratorsA(m_instance, MAKEINTRESOURCEA(id));
}

std::string CAppModule::LoadRawResource(const char* type, UINT id) const
{
    HRSRC info = ::FindResourceA(m_instance, MAKEINTRESOURCEA(id), type);
    if (!info)
        return std::string();
    HGLOBAL data = ::LoadResource(m_instance, info);
    DWORD size = ::SizeofResource(m_instance, info);
    const void* bytes = data ? ::LockResource(data) : nullptr;
    if (!bytes)
        return std::string();
    return std::string(static_cast<const char*>(bytes), size);
}
