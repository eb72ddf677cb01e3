#include "tests/support/OffscreenCanvas.h"
#include "base/DibInfo.h"
#include "base/PathUtil.h"
#include "base/PngFile.h"

OffscreenCanvas::OffscreenCanvas(int width, int height, COLORREF background)
    : m_width(width)
    , m_height(height)
    , m_dc(nullptr)
    , m_bitmap(nullptr)
    , m_oldBitmap(nullptr)
    , m_bits(nullptr)
{
    const BITMAPINFO info = TopDownDibInfo(width, height);
    void* bits = nullptr;
    m_dc = ::CreateCompatibleDC(nullptr);
    m_bitmap = ::CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (m_dc && m_bitmap && bits) {
        m_bits = static_cast<uint32_t*>(bits);
        m_oldBitmap = ::SelectObject(m_dc, m_bitmap);
        Fill(background);
    }
}

OffscreenCanvas::~OffscreenCanvas()
{
    if (m_oldBitmap)
        ::SelectObject(m_dc, m_oldBitmap);
    if (m_bitmap)
        ::DeleteObject(m_bitmap);
    if (m_dc)
        ::DeleteDC(m_dc);
}

void OffscreenCanvas::Fill(COLORREF colour)
{
    if (!m_bits)
        return;
    ::GdiFlush();
    const uint32_t pixel = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    for (int i = 0; i < m_width * m_height; ++i)
        m_bits[i] = pixel;
}

COLORREF OffscreenCanvas::Pixel(int x, int y) const
{
    if (!m_bits || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return CLR_INVALID;
    ::GdiFlush();
    const uint32_t p = m_bits[y * m_width + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

uint8_t OffscreenCanvas::Alpha(int x, int y) const
{
    if (!m_bits || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return 0;
    ::GdiFlush();
    return static_cast<uint8_t>(m_bits[y * m_width + x] >> 24);
}

int OffscreenCanvas::CountPixels(COLORREF colour, const RECT& area) const
{
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (Pixel(x, y) == colour)
                ++count;
    return count;
}

int OffscreenCanvas::CountPixels(COLORREF colour) const
{
    const RECT all = { 0, 0, m_width, m_height };
    return CountPixels(colour, all);
}

int OffscreenCanvas::CountPixelsNot(COLORREF colour) const
{
    return m_width * m_height - CountPixels(colour);
}

std::string OffscreenCanvas::SavePng(const std::string& name) const
{
    if (!m_bits)
        return std::string();
    ::GdiFlush();
    const std::string dir = GetModuleDirectory() + "test-output";
    ::CreateDirectoryA(dir.c_str(), nullptr);
    const std::string path = dir + "\\" + name + ".png";
    return SavePixelsAsPng(m_bits, m_width, m_height, false, path) ? path : std::string();
}

bool SamePixels(const OffscreenCanvas& a, const OffscreenCanvas& b, const RECT& area, std::string* where)
{
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (a.Pixel(x, y) != b.Pixel(x, y)) {
                if (where)
                    *where = "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
                return false;
            }
        }
    }
    return true;
}
