#include "base/KeptPicture.h"

#include <algorithm>
#include <cstring>

KeptPicture::KeptPicture(bool overUnderlying)
    : m_overUnderlying(overUnderlying)
{
}

KeptPicture::~KeptPicture()
{
    ReleasePicture();
    if (m_readDc) {
        ::SelectObject(m_readDc, m_oldReadBitmap);
        ::DeleteDC(m_readDc);
    }
    if (m_readBitmap)
        ::DeleteObject(m_readBitmap);
}

void KeptPicture::ReleasePicture()
{
    if (m_dc) {
        ::SelectObject(m_dc, m_oldBitmap);
        ::DeleteDC(m_dc);
        m_dc = nullptr;
    }
    if (m_bitmap) {
        ::DeleteObject(m_bitmap);
        m_bitmap = nullptr;
    }
    m_size = SIZE {};
    m_kept = false;
}

bool KeptPicture::Usable(HDC dc, const RECT& area, int& bitsPerPixel)
{
    if (!dc || area.right <= area.left || area.bottom <= area.top)
        return false;
    // The picture is taken from and copied to a memory DC's bitmap; a copy
    // between two formats could change colours.
    BITMAP bitmap = {};
    HGDIOBJ target = ::GetCurrentObject(dc, OBJ_BITMAP);
    if (!target || !::GetObjectA(target, sizeof(bitmap), &bitmap) || bitmap.bmWidth <= 1)
        return false;
    bitsPerPixel = bitmap.bmBitsPixel * bitmap.bmPlanes;
    if (::GetMapMode(dc) != MM_TEXT || ::GetGraphicsMode(dc) != GM_COMPATIBLE)
        return false;
    // Clipping that leaves out part of the area would leave those pixels
    // out of the picture.
    RECT box {};
    const int kind = ::GetClipBox(dc, &box);
    if (kind == NULLREGION || kind == ERROR)
        return false;
    RECT both {};
    ::IntersectRect(&both, &box, &area);
    if (!::EqualRect(&both, &area))
        return false;
    if (kind == SIMPLEREGION)
        return true;
    HRGN clip = ::CreateRectRgn(0, 0, 0, 0);
    HRGN rest = ::CreateRectRgnIndirect(&area);
    bool inside = false;
    if (clip && rest && ::GetClipRgn(dc, clip) == 1) {
        // The clipping region is in device units.
        POINT corners[2] = { { area.left, area.top }, { area.right, area.bottom } };
        ::LPtoDP(dc, corners, 2);
        ::SetRectRgn(rest, corners[0].x, corners[0].y, corners[1].x, corners[1].y);
        inside = ::CombineRgn(rest, rest, clip, RGN_DIFF) == NULLREGION;
    }
    if (clip)
        ::DeleteObject(clip);
    if (rest)
        ::DeleteObject(rest);
    return inside;
}

bool KeptPicture::ReadArea(HDC dc, const RECT& area, std::vector<uint32_t>& pixels)
{
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (!m_readDc || m_readSize.cx < width || m_readSize.cy < height) {
        if (m_readDc) {
            ::SelectObject(m_readDc, m_oldReadBitmap);
            ::DeleteDC(m_readDc);
            m_readDc = nullptr;
        }
        if (m_readBitmap) {
            ::DeleteObject(m_readBitmap);
            m_readBitmap = nullptr;
        }
        m_readBits = nullptr;
        m_readSize = SIZE {};
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        m_readBitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_readDc = ::CreateCompatibleDC(dc);
        if (!m_readBitmap || !m_readDc || !bits)
            return false;
        m_oldReadBitmap = ::SelectObject(m_readDc, m_readBitmap);
        m_readBits = static_cast<uint32_t*>(bits);
        m_readSize = SIZE { width, height };
    }
    if (!::BitBlt(m_readDc, 0, 0, width, height, dc, area.left, area.top, SRCCOPY))
        return false;
    ::GdiFlush();
    pixels.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const uint32_t* row = m_readBits + static_cast<size_t>(y) * m_readSize.cx;
        std::copy(row, row + width, pixels.begin() + static_cast<std::ptrdiff_t>(y) * width);
    }
    return true;
}

bool KeptPicture::Show(HDC dc, const std::string& key)
{
    m_keeping = false;
    int bitsPerPixel = 0;
    if (!m_kept || key != m_key || !Usable(dc, m_area, bitsPerPixel) || bitsPerPixel != m_bitsPerPixel)
        return false;
    if (m_overUnderlying && (!ReadArea(dc, m_area, m_scratch) || m_scratch != m_underlying))
        return false;
    return ::BitBlt(dc, m_area.left, m_area.top, m_area.right - m_area.left, m_area.bottom - m_area.top, m_dc, 0, 0,
               SRCCOPY)
        != FALSE;
}

void KeptPicture::Begin(HDC dc, const RECT& area)
{
    m_kept = false;
    m_keeping = Usable(dc, area, m_bitsPerPixel);
    m_area = area;
    if (m_keeping && m_overUnderlying)
        m_keeping = ReadArea(dc, area, m_underlying);
}

void KeptPicture::End(HDC dc, const std::string& key)
{
    if (!m_keeping)
        return;
    m_keeping = false;
    const int width = m_area.right - m_area.left;
    const int height = m_area.bottom - m_area.top;
    if (!m_dc || m_size.cx != width || m_size.cy != height) {
        ReleasePicture();
        m_dc = ::CreateCompatibleDC(dc);
        m_bitmap = ::CreateCompatibleBitmap(dc, width, height);
        if (!m_dc || !m_bitmap) {
            ReleasePicture();
            return;
        }
        m_oldBitmap = ::SelectObject(m_dc, m_bitmap);
        m_size = SIZE { width, height };
    }
    if (!::BitBlt(m_dc, 0, 0, width, height, dc, m_area.left, m_area.top, SRCCOPY))
        return;
    m_key = key;
    m_kept = true;
}

void KeptPicture::Forget()
{
    m_kept = false;
    m_keeping = false;
}

void ScratchDc::Release()
{
    if (m_dc) {
        ::SelectObject(m_dc, m_oldBitmap);
        ::DeleteDC(m_dc);
        m_dc = nullptr;
    }
    if (m_bitmap) {
        ::DeleteObject(m_bitmap);
        m_bitmap = nullptr;
    }
    m_size = SIZE {};
    m_bitsPerPixel = 0;
}

HDC ScratchDc::For(HDC target, int width, int height)
{
    if (!target || width <= 0 || height <= 0)
        return nullptr;
    BITMAP bitmap = {};
    HGDIOBJ current = ::GetCurrentObject(target, OBJ_BITMAP);
    const int bitsPerPixel
        = current && ::GetObjectA(current, sizeof(bitmap), &bitmap) ? bitmap.bmBitsPixel * bitmap.bmPlanes : -1;
    if (m_dc && m_size.cx >= width && m_size.cy >= height && bitsPerPixel == m_bitsPerPixel)
        return m_dc;
    const SIZE size = { std::max<LONG>(width, m_size.cx), std::max<LONG>(height, m_size.cy) };
    Release();
    m_dc = ::CreateCompatibleDC(target);
    m_bitmap = m_dc ? ::CreateCompatibleBitmap(target, size.cx, size.cy) : nullptr;
    if (!m_dc || !m_bitmap) {
        Release();
        return nullptr;
    }
    m_oldBitmap = ::SelectObject(m_dc, m_bitmap);
    m_size = size;
    m_bitsPerPixel = bitsPerPixel;
    return m_dc;
}
