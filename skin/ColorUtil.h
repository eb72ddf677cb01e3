#pragma once
// Colour and device-context helpers of the owner-drawn menus and controls:
// packed HSL, scoped brush and bold-font selections, icon states, the
// system's message and menu fonts, and a cursor to restore.
#include <windows.h>
#include <cstdint>

// Packed HSL: bits 0-7 hue (0..360 degrees as 0..255), 8-15 lightness,
// 16-23 saturation, 24-31 zero. A grey has hue and saturation 0.
uint32_t RgbToHsl(COLORREF colour);
COLORREF HslToRgb(uint32_t hsl);

inline uint8_t HslHue(uint32_t hsl)
{
    return static_cast<uint8_t>(hsl);
}
inline uint8_t HslLightness(uint32_t hsl)
{
    return static_cast<uint8_t>(hsl >> 8);
}
inline uint8_t HslSaturation(uint32_t hsl)
{
    return static_cast<uint8_t>(hsl >> 16);
}
inline uint32_t MakeHsl(uint8_t hue, uint8_t lightness, uint8_t saturation)
{
    return hue | (static_cast<uint32_t>(lightness) << 8) | (static_cast<uint32_t>(saturation) << 16);
}

// Selects a solid brush of the colour (the stock null brush for
// CLR_INVALID) for its lifetime; the previous brush comes back at the end.
class ScopedBrush
{
public:
    ScopedBrush(HDC dc, COLORREF colour);
    ~ScopedBrush();
    ScopedBrush(const ScopedBrush&) = delete;
    ScopedBrush& operator=(const ScopedBrush&) = delete;

private:
    HDC m_dc;
    HBRUSH m_created;
    HGDIOBJ m_previous;
};

// Makes the DC's current font bold (weight 700) or normal (400) for its
// lifetime, when it is not already; otherwise it does nothing.
class ScopedBoldFont
{
public:
    ScopedBoldFont(HDC dc, bool bold);
    ~ScopedBoldFont();
    ScopedBoldFont(const ScopedBoldFont&) = delete;
    ScopedBoldFont& operator=(const ScopedBoldFont&) = delete;

private:
    HDC m_dc;
    HFONT m_created;
    HGDIOBJ m_previous;
};

// DrawState of an icon (DST_ICON) with the caller's state flags.
bool DrawIconState(HDC dc, int x, int y, int cx, int cy, HICON icon, UINT flags, HBRUSH brush);

// The message font and the menu font of the system's non-client metrics.
bool GetMessageFont(LOGFONTA& font);
bool GetMenuFont(LOGFONTA& font);

// A cursor saved to be made current again once.
class RestoreCursor
{
public:
    void Save(HCURSOR cursor)
    {
        m_cursor = cursor;
        m_pending = true;
    }
    bool IsPending() const { return m_pending; }
    // Makes the saved cursor current and returns the previous one; null when nothing is pending.
    HCURSOR Restore();

private:
    HCURSOR m_cursor = nullptr;
    bool m_pending = false;
};
