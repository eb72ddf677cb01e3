#include "tests/support/WindowTesting.h"
#include "base/PathUtil.h"
#include "base/PngFile.h"

void PumpPendingMessages()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam)); // leave it for the loop that waits for it
            break;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

COLORREF CaptureWindowPixel(HWND hwnd, int x, int y)
{
    ::UpdateWindow(hwnd);
    HDC dc = ::GetDC(hwnd);
    COLORREF color = ::GetPixel(dc, x, y);
    ::ReleaseDC(hwnd, dc);
    return color;
}

bool RenderClient(HWND hwnd, CDib32& image)
{
    RECT client;
    ::GetClientRect(hwnd, &client);
    if (!image.Create(client.right, client.bottom))
        return false;
    ::SendMessageA(
        hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(image.GetDC()), PRF_CLIENT | PRF_ERASEBKGND);
    ::GdiFlush();
    return true;
}

std::string SaveWindowScreenshot(HWND hwnd, const std::string& name)
{
    ::UpdateWindow(hwnd);
    RECT r;
    if (!::GetWindowRect(hwnd, &r))
        return std::string();
    CDib32 image;
    if (!image.Create(r.right - r.left, r.bottom - r.top))
        return std::string();
    HDC screen = ::GetWindowDC(hwnd);
    image.CopyFrom(screen, 0, 0);
    ::ReleaseDC(hwnd, screen);

    const std::string dir = GetModuleDirectory() + "test-output";
    ::CreateDirectoryA(dir.c_str(), nullptr);
    const std::string path = dir + "\\" + name + ".png";
    return SavePixelsAsPng(image.Row(0), image.Width(), image.Height(), false, path) ? path : std::string();
}
