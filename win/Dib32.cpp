#include "win/Dib32.h"
#include "base/DibInfo.h"
#include <algorithm>

bool CDib32::Create(int width, int height)
{
    Destroy();
    if (width <= 0 || height <= 0)
        return false;
    const BITMAPINFO info = TopDownDibInfo(width, height);
    void* bits = nullptr;
    m_bitmap.Attach(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    m_dc.Attach(::CreateCompatibleDC(nullptr));
    if (m_bitmap.IsNull() || m_dc.IsNull() || !bits) {
        Destroy();
        return false;
    }
    m_oldBitmap = ::SelectObject(m_dc, m_bitmap);
    m_bits = static_cast<uint32_t*>(bits);
    m_width = width;
    m_height = height;
    std::fill(m_bits, m_bits + static_cast<size_t>(width) * height, 0u);
    return true;
}

void CDib32::Destroy()
{
    if (m_dc && m_oldBitmap)
        ::SelectObject(m_dc, m_oldBitmap);
    m_dc.Reset();
    m_bitmap.Reset();
    m_oldBitmap = nullptr;
    m_bits = nullptr;
    m_width = m_height = 0;
}

HBITMAP CDib32::DetachBitmap()
{
    if (m_dc && m_oldBitmap)
        ::SelectObject(m_dc, m_oldBitmap);
    m_oldBitmap = nullptr;
    HBITMAP bitmap = m_bitmap.Detach();
    Destroy();
    return bitmap;
}

uint32_t CDib32::GetPixel(int x, int y) const
{
    if (!m_bits || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return 0;
    ::GdiFlush();
    return m_bits[static_cast<size_t>(y) * m_width + x];
}

void CDib32::SetPixel(int x, int y, uint32_t argb)
{
    if (!m_bits || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    ::GdiFlush();
    m_bits[static_cast<size_t>(y) * m_width + x] = argb;
}

COLORREF CDib32::GetColor(int x, int y) const
{
    uint32_t p = GetPixel(x, y);
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

void CDib32::Fill(uint32_t argb)
{
    if (!m_bits)
        return;
    ::GdiFlush();
    std::fill(m_bits, m_bits + static_cast<size_t>(m_width) * m_height, argb);
}

bool CDib32::Clip(const RECT* r, CRect& out) const
{
    CRect whole(0, 0, m_width, m_height);
    if (!r) {
        out = whole;
        return m_bits != nullptr;
    }
    return m_bits && out.Intersect(whole, *r);
}

template <class Change> void CDib32::ChangePixels(const RECT* r, Change change)
{
    CRect area;
    if (!Clip(r, area))
        return;
    ::GdiFlush();
    for (int y = area.top; y < area.bottom; ++y) {
        uint32_t* row = Row(y);
        for (int x = area.left; x < area.right; ++x)
            row[x] = change(row[x]);
    }
}

void CDib32::SetAlpha(uint8_t alpha, const RECT* r)
{
    const uint32_t bits = static_cast<uint32_t>(alpha) << 24;
    ChangePixels(r, [bits](uint32_t p) { return (p & 0x00FFFFFFu) | bits; });
}

void CDib32::RepairAlpha(const RECT* r)
{
    ChangePixels(
        r, [](uint32_t p) { return (p & 0xFF000000u) == 0 && (p & 0x00FFFFFFu) != 0 ? p | 0xFF000000u : p; });
}

void CDib32::Premultiply()
{
    ChangePixels(nullptr, [](uint32_t p) {
        uint32_t a = p >> 24;
        if (a == 255)
            return p;
        uint32_t r = ((p >> 16) & 0xFF) * a / 255;
        uint32_t g = ((p >> 8) & 0xFF) * a / 255;
        uint32_t b = (p & 0xFF) * a / 255;
        return (a << 24) | (r << 16) | (g << 8) | b;
    });
}

bool CDib32::AlphaDraw(HDC dc, int x, int y, uint8_t constantAlpha) const
{
    if (!m_dc)
        return false;
    BLENDFUNCTION blend = { AC_SRC_OVER, 0, constantAlpha, AC_SRC_ALPHA };
    return ::GdiAlphaBlend(dc, x, y, m_width, m_height, m_dc, 0, 0, m_width, m_height, blend) != FALSE;
}

bool CDib32::CopyFrom(HDC source, int sourceX, int sourceY)
{
    if (!m_dc)
        return false;
    bool ok = ::BitBlt(m_dc, 0, 0, m_width, m_height, source, sourceX, sourceY, SRCCOPY) != FALSE;
    ::GdiFlush();
    return ok;
}
