#include "base/GdiObjectCache.h"
#include "base/DataPaths.h"
#include "base/ImageUtil.h"
#include "base/UnicodeString.h"
#include <cstdio>

namespace {

const char kIconStripName[] = "biaoji.png";

}

HFONT CreatePlainFont(int height, const char* face, int weight)
{
    const std::wstring wideFace = GbkToWide(face ? face : "");
    return ::CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
        CLIP_STROKE_PRECIS, DEFAULT_QUALITY, FF_SWISS | DEFAULT_PITCH, wideFace.c_str());
}

GdiObjectCache::GdiObjectCache()
{
    HBITMAP strip = nullptr;
    if (DataPaths* paths = DataPaths::Instance()) {
        const std::string path = paths->GetSkinFile(kIconStripName);
        strip = LoadImageFromResource(path.c_str(), "PNG");
    }
    m_images[kIconStripName].Attach(strip);
}

GdiObjectCache::~GdiObjectCache()
{
    Clear();
}

HFONT GdiObjectCache::GetFont(int height, const char* face, int weight)
{
    char key[160];
    std::snprintf(key, sizeof(key), "%s_%d_%d", face ? face : "", height, weight);
    auto found = m_fonts.find(key);
    if (found != m_fonts.end())
        return found->second;
    HFONT font = CreatePlainFont(height, face, weight);
    m_fonts[key].Attach(font);
    return font;
}

HPEN GdiObjectCache::GetPen(int style, int width, COLORREF colour)
{
    const auto key = std::make_tuple(style, width, colour);
    auto found = m_pens.find(key);
    if (found != m_pens.end())
        return found->second;
    HPEN pen = nullptr;
    if ((style & PS_STYLE_MASK) == PS_ALTERNATE) {
        // Only an extended cosmetic pen can light every second pixel.
        const LOGBRUSH solid = { BS_SOLID, colour, 0 };
        pen = ::ExtCreatePen(PS_COSMETIC | PS_ALTERNATE, 1, &solid, 0, nullptr);
    } else {
        pen = ::CreatePen(style, width, colour);
    }
    m_pens[key].Attach(pen);
    return pen;
}

HBRUSH GdiObjectCache::GetBrush(COLORREF colour)
{
    auto found = m_brushes.find(colour);
    if (found != m_brushes.end())
        return found->second;
    HBRUSH brush = ::CreateSolidBrush(colour);
    m_brushes[colour].Attach(brush);
    return brush;
}

HBRUSH GdiObjectCache::GetColumnPatternBrush(COLORREF on, COLORREF off)
{
    const auto key = std::make_pair(on, off);
    auto found = m_columnBrushes.find(key);
    if (found != m_columnBrushes.end())
        return found->second;
    struct
    {
        BITMAPINFOHEADER header;
        uint32_t pixels[8 * 8];
    } packed {};
    packed.header.biSize = sizeof packed.header;
    packed.header.biWidth = 8;
    packed.header.biHeight = 8;
    packed.header.biPlanes = 1;
    packed.header.biBitCount = 32;
    packed.header.biCompression = BI_RGB;
    const auto pixel = [](COLORREF c) {
        return static_cast<uint32_t>(GetRValue(c)) << 16 | static_cast<uint32_t>(GetGValue(c)) << 8 | GetBValue(c);
    };
    for (int i = 0; i < 64; ++i)
        packed.pixels[i] = i % 2 == 0 ? pixel(on) : pixel(off);
    HBRUSH brush = ::CreateDIBPatternBrushPt(&packed, DIB_RGB_COLORS);
    m_columnBrushes[key].Attach(brush);
    return brush;
}

HBITMAP GdiObjectCache::FindImage(const std::string& name) const
{
    auto found = m_images.find(name);
    return found == m_images.end() ? nullptr : found->second.Get();
}

void GdiObjectCache::Clear()
{
    m_fonts.clear();
    m_pens.clear();
    m_brushes.clear();
    m_columnBrushes.clear();
    m_images.clear();
}
