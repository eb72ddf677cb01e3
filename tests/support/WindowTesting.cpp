#include "tests/support/WindowTesting.h"
#include "base/PathUtil.h"
#include "base/PngFile.h"
#include "skin/NcDraw.h"
#include <cstddef>

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

namespace {

struct MenuProbe
{
    int rowHeight = 0;
    DWORD deadline = 0;
    bool done = false;
};
MenuProbe* g_menuProbe = nullptr;

void CALLBACK ProbeOpenMenu(HWND, UINT, UINT_PTR timer, DWORD)
{
    MenuProbe* probe = g_menuProbe;
    if (!probe || probe->done)
        return;
    HWND popup = ::FindWindowA("#32768", nullptr);
    HMENU menu = popup && ::IsWindowVisible(popup)
        ? reinterpret_cast<HMENU>(::SendMessageA(popup, MN_GETHMENU, 0, 0))
        : nullptr;
    RECT row = {};
    if (menu && ::GetMenuItemRect(nullptr, menu, 0, &row))
        probe->rowHeight = row.bottom - row.top;
    if (probe->rowHeight > 0 || ::GetTickCount() > probe->deadline) {
        probe->done = true;
        ::KillTimer(nullptr, timer);
        ::EndMenu();
    }
}

} // namespace

int ContextMenuFirstRowHeight(HWND window, POINT client, DWORD timeoutMs)
{
    MenuProbe probe;
    probe.deadline = ::GetTickCount() + timeoutMs;
    g_menuProbe = &probe;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &ProbeOpenMenu);
    // The menu's own loop runs inside this call and dispatches the timer.
    ::SendMessageA(window, WM_RBUTTONUP, 0, MAKELPARAM(client.x, client.y));
    PumpUntil([&] { return probe.done; }, timeoutMs + 500);
    ::KillTimer(nullptr, timer);
    g_menuProbe = nullptr;
    PumpPendingMessages();
    return probe.rowHeight;
}

int MenuFontRowHeight()
{
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
    if (!::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0))
        return 0;
    const LONG height = metrics.lfMenuFont.lfHeight;
    return static_cast<int>(height < 0 ? -height : height) + 10;
}

COLORREF ScreenPixelOfWindow(HWND hwnd, POINT windowPoint)
{
    RECT w = {};
    ::GetWindowRect(hwnd, &w);
    HDC screen = ::GetDC(nullptr);
    const COLORREF colour = ::GetPixel(screen, w.left + windowPoint.x, w.top + windowPoint.y);
    ::ReleaseDC(nullptr, screen);
    return colour;
}

COLORREF FramePaintPixel(CNcDraw& frame, POINT windowPoint)
{
    RECT w = {};
    ::GetWindowRect(frame.GetWindow(), &w);
    CDib32 image;
    if (!image.Create(w.right - w.left, w.bottom - w.top))
        return CLR_INVALID;
    frame.PaintFrame(image.GetDC());
    ::GdiFlush();
    return image.GetColor(windowPoint.x, windowPoint.y);
}

std::vector<COLORREF> ScreenPixelsOfWindow(HWND hwnd)
{
    std::vector<COLORREF> pixels;
    RECT w = {};
    if (!::GetWindowRect(hwnd, &w))
        return pixels;
    CDib32 image;
    if (!image.Create(w.right - w.left, w.bottom - w.top))
        return pixels;
    HDC screen = ::GetDC(nullptr);
    image.CopyFrom(screen, w.left, w.top);
    ::ReleaseDC(nullptr, screen);
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            pixels.push_back(image.GetColor(x, y));
    return pixels;
}

bool ClickAtWindowPoint(HWND hwnd, POINT windowPoint)
{
    RECT w = {};
    if (!::GetWindowRect(hwnd, &w))
        return false;
    ::SetCursorPos(w.left + windowPoint.x, w.top + windowPoint.y);
    INPUT clicks[2] = {};
    clicks[0].type = clicks[1].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    return ::SendInput(2, clicks, sizeof(INPUT)) == 2;
}
