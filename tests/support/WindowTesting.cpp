#include "tests/support/WindowTesting.h"
#include <objidl.h>
#include <gdiplus.h>
#include <cstdlib>
#include <vector>
#include "base/UnicodeString.h"

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
    ::SendMessageA(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(image.GetDC()), PRF_CLIENT | PRF_ERASEBKGND);
    ::GdiFlush();
    return true;
}

namespace {

bool FindPngEncoder(CLSID* clsid)
{
    UINT count = 0;
    UINT bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0)
        return false;
    std::vector<char> buffer(bytes);
    Gdiplus::ImageCodecInfo* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok)
        return false;
    for (UINT i = 0; i < count; ++i) {
        if (std::wstring(codecs[i].MimeType) == L"image/png") {
            *clsid = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

} // namespace

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
    image.SetAlpha(255);

    const char* dir = std::getenv("ZT_SCREENSHOT_DIR");
    std::string path = dir && *dir ? dir : "screenshots";
    ::CreateDirectoryA(path.c_str(), nullptr);
    path += "\\" + name + ".png";

    CLSID png;
    if (!FindPngEncoder(&png))
        return std::string();
    Gdiplus::Bitmap bitmap(image.Width(), image.Height(), image.Width() * 4, PixelFormat32bppARGB,
                           reinterpret_cast<BYTE*>(image.Row(0)));
    if (bitmap.Save(GbkToWide(path).c_str(), &png, nullptr) != Gdiplus::Ok)
        return std::string();
    return path;
}
