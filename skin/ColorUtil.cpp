#include "skin/ColorUtil.h"
#include <algorithm>
#include <cstddef>

// The size the metrics are asked with: the structure without its last field
// (the padded border width), which every system version accepts. No field
// is pointer-sized, so it is the same for 32 and 64 bits.
constexpr UINT kNonClientMetricsSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
static_assert(kNonClientMetricsSize == 340, "non-client metrics without the padded border width");

uint32_t RgbToHsl(COLORREF colour)
{
    const int r = GetRValue(colour), g = GetGValue(colour), b = GetBValue(colour);
    const int max = std::max({ r, g, b });
    const int min = std::min({ r, g, b });
    const float d = static_cast<float>(max - min);
    // Lightness (max + min) / 510 scaled to 255 and truncated is exactly
    // (max + min) / 2; integer arithmetic keeps it so on every floating-point unit.
    const uint32_t packedLightness = static_cast<uint32_t>(max + min) / 2;
    if (max == min)
        return packedLightness << 8;
    const float saturation = max + min <= 255 ? d / static_cast<float>(max + min)
                                              : d / static_cast<float>(510 - (max + min));
    float hue;
    if (b == max)
        hue = 60.0f * (4.0f + static_cast<float>(r - g) / d);
    else if (g == max)
        hue = 60.0f * (2.0f + static_cast<float>(b - r) / d);
    else
        hue = 60.0f * (6.0f + static_cast<float>(g - b) / d);
    if (hue > 360.0f)
        hue -= 360.0f;
    const uint32_t packedHue = static_cast<uint32_t>(hue * 255.0f / 360.0f);
    const uint32_t packedSaturation = static_cast<uint32_t>(saturation * 255.0f);
    return (packedHue & 0xFF) | (packedLightness << 8) | ((packedSaturation & 0xFF) << 16);
}

namespace {

float Channel(float x, float m1, float m2)
{
    if (x > 360.0f)
        x -= 360.0f;
    else if (x < 0.0f)
        x += 360.0f;
    if (x < 60.0f)
        return m1 + (m2 - m1) * x / 60.0f;
    if (x < 180.0f)
        return m2;
    if (x < 240.0f)
        return m1 + (m2 - m1) * (240.0f - x) / 60.0f;
    return m1;
}

BYTE ToByte(float v)
{
    return static_cast<BYTE>(std::clamp(static_cast<int>(v * 255.0f), 0, 255));
}

}

COLORREF HslToRgb(uint32_t hsl)
{
    const uint8_t packedLightness = HslLightness(hsl);
    if (HslSaturation(hsl) == 0)
        return RGB(packedLightness, packedLightness, packedLightness);
    const float s = HslSaturation(hsl) / 255.0f;
    const float l = packedLightness / 255.0f;
    const float m2 = l <= 0.5f ? l + s * l : l + s - s * l;
    const float m1 = 2.0f * l - m2;
    const float h = HslHue(hsl) * 360.0f / 255.0f;
    return RGB(ToByte(Channel(h + 120.0f, m1, m2)), ToByte(Channel(h, m1, m2)), ToByte(Channel(h - 120.0f, m1, m2)));
}

ScopedBrush::ScopedBrush(HDC dc, COLORREF colour)
    : m_dc(dc)
    , m_created(colour == CLR_INVALID ? nullptr : ::CreateSolidBrush(colour))
{
    HGDIOBJ brush = colour == CLR_INVALID ? ::GetStockObject(NULL_BRUSH) : m_created;
    m_previous = brush ? ::SelectObject(dc, brush) : nullptr;
}

ScopedBrush::~ScopedBrush()
{
    if (m_previous)
        ::SelectObject(m_dc, m_previous);
    if (m_created)
        ::DeleteObject(m_created);
}

ScopedBoldFont::ScopedBoldFont(HDC dc, bool bold)
    : m_dc(dc)
    , m_created(nullptr)
    , m_previous(nullptr)
{
    LOGFONTA font = {};
    HGDIOBJ current = ::GetCurrentObject(dc, OBJ_FONT);
    if (!current || !::GetObjectA(current, sizeof(font), &font))
        return;
    if ((font.lfWeight == FW_BOLD) == bold)
        return;
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    m_created = ::CreateFontIndirectA(&font);
    if (m_created)
        m_previous = ::SelectObject(dc, m_created);
}

ScopedBoldFont::~ScopedBoldFont()
{
    if (m_previous)
        ::SelectObject(m_dc, m_previous);
    if (m_created)
        ::DeleteObject(m_created);
}

bool DrawIconState(HDC dc, int x, int y, int cx, int cy, HICON icon, UINT flags, HBRUSH brush)
{
    return ::DrawStateA(dc, brush, nullptr, reinterpret_cast<LPARAM>(icon), 0, x, y, cx, cy, DST_ICON | flags)
        != FALSE;
}

namespace {

bool GetNonClientMetrics(NONCLIENTMETRICSA& metrics)
{
    metrics = {};
    metrics.cbSize = kNonClientMetricsSize;
    return ::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &metrics, 0) != FALSE;
}

}

bool GetMessageFont(LOGFONTA& font)
{
    NONCLIENTMETRICSA metrics;
    if (!GetNonClientMetrics(metrics))
        return false;
    font = metrics.lfMessageFont;
    return true;
}

bool GetMenuFont(LOGFONTA& font)
{
    NONCLIENTMETRICSA metrics;
    if (!GetNonClientMetrics(metrics))
        return false;
    font = metrics.lfMenuFont;
    return true;
}

HCURSOR RestoreCursor::Restore()
{
    if (!m_pending)
        return nullptr;
    m_pending = false;
    return ::SetCursor(m_cursor);
}
