// The least a start-up can take on this machine: a program of the same
// toolchain and link options that shows one window and paints it, for
// bench_startup to time from its start to that window shown. Built twice:
// bare (kernel32, user32 and gdi32 only) and, with ZT_FLOOR_IMPORTS, also
// importing the libraries the program itself imports when it starts (one
// call of each, never made, keeps each import), so the two figures take
// the loader's share of the program's start apart from Wine's own.
#ifdef ZT_FLOOR_IMPORTS
#include <winsock2.h>
#endif
#include <windows.h>

#ifdef ZT_FLOOR_IMPORTS
#include <objbase.h>
#include <oleauto.h>
#include <commctrl.h>
#include <gdiplus.h>
#include <imm.h>
#include <shlwapi.h>
#include <uxtheme.h>
#include <wincrypt.h>
#endif

namespace {

LRESULT CALLBACK FloorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = ::BeginPaint(hwnd, &paint);
        ::FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH)));
        ::EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

#ifdef ZT_FLOOR_IMPORTS
// Never set: the calls only keep the imports in the program's table.
volatile int g_callImports = 0;

void KeepImports()
{
    if (!g_callImports)
        return;
    ::InitCommonControlsEx(nullptr);
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    ::ImmDisableIME(0);
    ::OleInitialize(nullptr);
    ::SysFreeString(nullptr);
    ::OpenThemeData(nullptr, nullptr);
    ::WSAGetLastError();
    ::AlphaBlend(nullptr, 0, 0, 0, 0, nullptr, 0, 0, 0, 0, BLENDFUNCTION());
    ::PathFileExistsW(nullptr);
    ::RegCloseKey(nullptr);
    ::CryptProtectData(nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr);
}
#endif

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
#ifdef ZT_FLOOR_IMPORTS
    KeepImports();
#endif
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = &FloorProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = "ZtStartupFloor";
    ::RegisterClassA(&windowClass);
    HWND window = ::CreateWindowExA(0, windowClass.lpszClassName, "floor", WS_OVERLAPPEDWINDOW, 100, 100, 480,
        360, nullptr, nullptr, instance, nullptr);
    ::ShowWindow(window, SW_SHOWNORMAL);
    ::UpdateWindow(window);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return 0;
}
