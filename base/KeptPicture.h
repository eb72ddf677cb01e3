#pragma once
// A part of a chart kept as the picture of its last drawing, for parts that
// cost far more to draw (texts, font changes) than to copy and that change
// seldom: the value labels beside a pane, the data window. The picture is
// copied while its key (everything the part shows, made by the caller) is the
// same, and, for a part drawn over what lies beneath without filling it,
// while the pixels beneath are the same as when it was drawn. A copy lights
// exactly the pixels the drawing lit, as the picture is those pixels.
//
//     if (!picture.Show(dc, key)) {
//         picture.Begin(dc, area);   // the area the drawing stays inside
//         ...draw...
//         picture.End(dc, key);      // or Forget() if it went outside
//     }
//
// Where the DC's clipping leaves out part of the area the part is drawn, not
// kept. UI thread only.
#include <windows.h>

#include "base/DcGuards.h"

#include <cstdint>
#include <string>
#include <vector>

class KeptPicture
{
public:
    // overUnderlying: the drawing goes over pixels it does not fill, which
    // are then part of what the picture shows.
    explicit KeptPicture(bool overUnderlying);

    // Copies the picture onto dc when kept for key; false when it must be drawn.
    bool Show(HDC dc, const std::string& key);
    // The drawing that follows lights pixels inside area only.
    void Begin(HDC dc, const RECT& area);
    // Keeps the area as drawn since Begin, for key.
    void End(HDC dc, const std::string& key);
    // Drops the picture (the drawing went outside its area, or cannot be kept).
    void Forget();

    bool IsKept() const { return m_kept; }

private:
    KeptPicture(const KeptPicture&) = delete;
    KeptPicture& operator=(const KeptPicture&) = delete;

    // Reads the area's pixels in dc as 32-bit pixels into m_read; false when
    // GDI refuses.
    bool ReadArea(HDC dc, const RECT& area);
    // Whether the pixels read are pixels (width x height, row after row).
    bool ReadEquals(const std::vector<uint32_t>& pixels, int width, int height) const;
    void CopyRead(std::vector<uint32_t>& pixels, int width, int height) const;
    // The target's pixel format and clipping allow a kept picture.
    static bool Usable(HDC dc, const RECT& area, int& bitsPerPixel);
    void ReleasePicture();

    bool m_overUnderlying;
    bool m_kept = false;
    bool m_keeping = false;
    RECT m_area {};
    int m_bitsPerPixel = 0;
    std::string m_key;
    std::vector<uint32_t> m_underlying;
    CBitmapDC m_picture;
    // The reading of pixels beneath: a 32-bit DIB section kept between paints.
    CBitmapDC m_read;
};

// A memory DC holding a bitmap compatible with a target, at least of a size,
// kept between paints: making a DC and a bitmap for a small scratch drawing
// costs more than the drawing. UI thread only.
class ScratchDc
{
public:
    ScratchDc() = default;
    // The DC, its bitmap at least width x height and of target's format; null
    // when GDI refuses.
    HDC For(HDC target, int width, int height);

private:
    ScratchDc(const ScratchDc&) = delete;
    ScratchDc& operator=(const ScratchDc&) = delete;

    CBitmapDC m_dc;
    int m_bitsPerPixel = 0;
};

// Appends the bytes of a value to a key.
template <class T> void AppendKey(std::string& key, const T& value)
{
    key.append(reinterpret_cast<const char*>(&value), sizeof(T));
}

inline void AppendKey(std::string& key, const std::string& text)
{
    AppendKey(key, text.size());
    key += text;
}
