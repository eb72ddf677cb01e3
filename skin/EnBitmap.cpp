#include "skin/EnBitmap.h"
#include "base/ImageUtil.h"
#include "base/UnicodeString.h"
#include <olectl.h>
#include <cstring>
#include <string>

int GetImageKind(const char* fileName)
{
    std::string tail = fileName ? fileName : "";
    if (tail.size() > 4)
        tail = tail.substr(tail.size() - 4);
    // Only ASCII letters are folded: a trail byte of a double-byte character
    // can never complete one of the extensions, since "." and the letters
    // before it are no lead bytes.
    for (char& c : tail) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    if (tail == ".BMP")
        return kImageBmp;
    if (tail == ".JPG")
        return kImageJpeg;
    if (tail == ".PNG")
        return kImagePng;
    return kImageOther;
}

HBITMAP CEnBitmap::LoadFromFile(const char* fileName, COLORREF background)
{
    switch (GetImageKind(fileName)) {
    case kImageBmp:
        return static_cast<HBITMAP>(::LoadImageA(nullptr, fileName, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    case kImagePng:
        return LoadImageFromResource(fileName, "PNG");
    case kImageJpeg: {
        const std::wstring path = GbkToWide(fileName);
        IPicture* picture = nullptr;
        if (FAILED(::OleLoadPicturePath(const_cast<LPOLESTR>(path.c_str()), nullptr, 0, background, IID_IPicture,
                reinterpret_cast<void**>(&picture)))
            || !picture)
            return nullptr;
        HBITMAP bitmap = FromPicture(picture, background);
        picture->Release();
        return bitmap;
    }
    default:
        return nullptr;
    }
}

HBITMAP CEnBitmap::FromPicture(IPicture* picture, COLORREF background)
{
    if (!picture)
        return nullptr;
    OLE_XSIZE_HIMETRIC himetricWidth = 0;
    OLE_YSIZE_HIMETRIC himetricHeight = 0;
    if (FAILED(picture->get_Width(&himetricWidth)) || FAILED(picture->get_Height(&himetricHeight)))
        return nullptr;
    HWND desktop = ::GetDesktopWindow();
    CClientDC screen(desktop);
    const int width = ::MulDiv(himetricWidth, ::GetDeviceCaps(screen, LOGPIXELSX), 2540);
    const int height = ::MulDiv(himetricHeight, ::GetDeviceCaps(screen, LOGPIXELSY), 2540);
    if (width <= 0 || height <= 0)
        return nullptr;
    CMemDC memory(screen);
    CBitmap bitmap;
    if (!memory || !bitmap.CreateCompatibleBitmap(screen, width, height))
        return nullptr;
    {
        CSelectObject select(memory, bitmap);
        if (background != CLR_INVALID) {
            const RECT all = { 0, 0, width, height };
            FillSolidRect(memory, all, background);
        }
        // The source runs from the bottom up in HIMETRIC, which turns the picture upright.
        if (FAILED(picture->Render(memory, 0, 0, width, height, 0, himetricHeight, himetricWidth, -himetricHeight,
                nullptr)))
            return nullptr;
    }
    return bitmap.Detach();
}

bool CEnBitmap::Load(const char* fileName, COLORREF background)
{
    m_bitmap.Reset();
    m_bitmap.Attach(LoadFromFile(fileName, background));
    return !m_bitmap.IsNull();
}

bool CEnBitmap::Draw(HDC dc, int x, int y, const RECT* source) const
{
    if (m_bitmap.IsNull())
        return false;
    const CSize size = m_bitmap.GetSize();
    const RECT whole = { 0, 0, size.cx, size.cy };
    const RECT& from = source ? *source : whole;
    CMemDC memory(dc);
    if (!memory || !::SelectObject(memory, m_bitmap))
        return false;
    return ::BitBlt(dc, x, y, from.right - from.left, from.bottom - from.top, memory, from.left, from.top, SRCCOPY)
        != FALSE;
}

bool CEnBitmap::AlphaDraw(HDC dc, int x, int y, const RECT& source) const
{
    if (m_bitmap.IsNull())
        return false;
    CMemDC memory(dc);
    if (!memory || !::SelectObject(memory, m_bitmap))
        return false;
    const int width = source.right - source.left;
    const int height = source.bottom - source.top;
    BLENDFUNCTION blend = { AC_SRC_OVER, 0, 255, AC_SRC_ALPHA };
    return ::AlphaBlend(dc, x, y, width, height, memory, source.left, source.top, width, height, blend) != FALSE;
}
