#include "base/KeptPicture.h"

#include <algorithm>
#include <cstring>

KeptPicture::KeptPicture(bool overUnderlying)
    : m_overUnderlying(overUnderlying)
{
}

void KeptPicture::ReleasePicture()
{
    m_picture.Release();
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

bool KeptPicture::ReadArea(HDC dc, const RECT& area)
{
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (m_read.IsNull() || m_read.Size().cx < width || m_read.Size().cy < height) {
        if (!m_read.MakeDib32(dc, width, height))
            return false;
    }
    if (!::BitBlt(m_read, 0, 0, width, height, dc, area.left, area.top, SRCCOPY))
        return false;
    ::GdiFlush();
    return true;
}

bool KeptPicture::ReadEquals(const std::vector<uint32_t>& pixels, int width, int height) const
{
    if (pixels.size() != static_cast<size_t>(width) * height)
        return false;
    for (int y = 0; y < height; ++y) {
        const uint32_t* row = m_read.Bits() + static_cast<size_t>(y) * m_read.Size().cx;
        if (!std::equal(row, row + width, pixels.begin() + static_cast<std::ptrdiff_t>(y) * width))
            return false;
    }
    return true;
}

void KeptPicture::CopyRead(std::vector<uint32_t>& pixels, int width, int height) const
{
    pixels.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const uint32_t* row = m_read.Bits() + static_cast<size_t>(y) * m_read.Size().cx;
        std::copy(row, row + width, pixels.begin() + static_cast<std::ptrdiff_t>(y) * width);
    }
}

bool KeptPicture::Show(HDC dc, const std::string& key)
{
    m_keeping = false;
    int bitsPerPixel = 0;
    if (!m_kept || key != m_key || !Usable(dc, m_area, bitsPerPixel) || bitsPerPixel != m_bitsPerPixel)
        return false;
    // Compared where they are read: copying them first would double the work.
    if (m_overUnderlying
        && (!ReadArea(dc, m_area)
            || !ReadEquals(m_underlying, m_area.right - m_area.left, m_area.bottom - m_area.top)))
        return false;
    return ::BitBlt(dc, m_area.left, m_area.top, m_area.right - m_area.left, m_area.bottom - m_area.top, m_picture, 0, 0,
               SRCCOPY)
        != FALSE;
}

void KeptPicture::Begin(HDC dc, const RECT& area)
{
    m_kept = false;
    m_keeping = Usable(dc, area, m_bitsPerPixel);
    m_area = area;
    if (m_keeping && m_overUnderlying) {
        m_keeping = ReadArea(dc, area);
        if (m_keeping)
            CopyRead(m_underlying, area.right - area.left, area.bottom - area.top);
    }
}

void KeptPicture::End(HDC dc, const std::string& key)
{
    if (!m_keeping)
        return;
    m_keeping = false;
    const int width = m_area.right - m_area.left;
    const int height = m_area.bottom - m_area.top;
    if (m_picture.IsNull() || m_picture.Size().cx != width || m_picture.Size().cy != height) {
        if (!m_picture.MakeCompatible(dc, width, height)) {
            ReleasePicture();
            return;
        }
    }
    if (!::BitBlt(m_picture, 0, 0, width, height, dc, m_area.left, m_area.top, SRCCOPY))
        return;
    m_key = key;
    m_kept = true;
}

void KeptPicture::Forget()
{
    m_kept = false;
    m_keeping = false;
}

HDC ScratchDc::For(HDC target, int width, int height)
{
    if (!target || width <= 0 || height <= 0)
        return nullptr;
    BITMAP bitmap = {};
    HGDIOBJ current = ::GetCurrentObject(target, OBJ_BITMAP);
    const int bitsPerPixel
        = current && ::GetObjectA(current, sizeof(bitmap), &bitmap) ? bitmap.bmBitsPixel * bitmap.bmPlanes : -1;
    const SIZE held = m_dc.Size();
    if (!m_dc.IsNull() && held.cx >= width && held.cy >= height && bitsPerPixel == m_bitsPerPixel)
        return m_dc;
    if (!m_dc.MakeCompatible(target, std::max<LONG>(width, held.cx), std::max<LONG>(height, held.cy))) {
        m_bitsPerPixel = 0;
        return nullptr;
    }
    m_bitsPerPixel = bitsPerPixel;
    return m_dc;
}
