#pragma once
// Fonts, pens, brushes and images created once and kept until the cache is
// released with the other application singletons. Callers select them into
// device contexts but never delete them. UI thread only.
#include "base/HandleOwner.h"
#include "base/Singleton.h"
#include <windows.h>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>

class GdiObjectCache : public Singleton<GdiObjectCache>
{
public:
    // Loads "biaoji.png" from the skin directory (a failed load is cached as null).
    GdiObjectCache();
    ~GdiObjectCache();

    // height is the character height in pixels; face is code-page-936 text.
    HFONT GetFont(int height, const char* face, int weight);
    // PS_ALTERNATE gives a 1-px cosmetic pen lighting every second pixel
    // (width ignored).
    HPEN GetPen(int style, int width, COLORREF colour);
    HBRUSH GetBrush(COLORREF colour);
    // An 8 x 8 pattern of columns: on in the even ones, off in the odd ones.
    HBRUSH GetColumnPatternBrush(COLORREF on, COLORREF off);
    // Null when the name is not cached.
    HBITMAP FindImage(const std::string& name) const;

    // Deletes every cached handle and empties the cache.
    void Clear();

private:
    std::map<std::string, CGdiObject<HFONT>> m_fonts;
    // Keyed by the whole (style, width, colour): styles such as PS_GEOMETRIC
    // do not fit a packed 16-bit field.
    std::map<std::tuple<int, int, COLORREF>, CGdiObject<HPEN>> m_pens;
    std::map<COLORREF, CGdiObject<HBRUSH>> m_brushes;
    std::map<std::pair<COLORREF, COLORREF>, CGdiObject<HBRUSH>> m_columnBrushes;
    std::map<std::string, CGdiObject<HBITMAP>> m_images;
};

// A new font with the cache's parameters; the caller deletes it.
HFONT CreatePlainFont(int height, const char* face, int weight);
