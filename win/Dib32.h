#pragma once
// A 32-bit top-down DIB section with its own memory DC: images composed for
// AlphaBlend, and the pixel probe of the tests. Pixels are 0xAARRGGBB words.
#include <windows.h>
#include <cstdint>
#include "base/HandleOwner.h"
#include "win/Geometry.h"

class CDib32
{
public:
    CDib32() = default;
    CDib32(const CDib32&) = delete;
    CDib32& operator=(const CDib32&) = delete;
    ~CDib32() { Destroy(); }

    // All pixels 0 (transparent black). False for a size ≤ 0 or no memory.
    bool Create(int width, int height);
    void Destroy();

    // The DC the bitmap is selected into (null before Create).
    HDC GetDC() const { return m_dc; }
    HBITMAP GetBitmap() const { return m_bitmap; }
    // Hands the bitmap to the caller (deselected); the DIB is empty afterwards.
    HBITMAP DetachBitmap();
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    bool IsNull() const { return m_bits == nullptr; }

    // Pixel access; reading outside gives 0, writing outside does nothing.
    uint32_t GetPixel(int x, int y) const;
    void SetPixel(int x, int y, uint32_t argb);
    uint32_t* Row(int y) { return m_bits + static_cast<size_t>(y) * m_width; }
    // The colour of a pixel as a COLORREF, alpha dropped.
    COLORREF GetColor(int x, int y) const;

    void Fill(uint32_t argb);
    // Sets the alpha of every pixel in r (the whole image when null).
    void SetAlpha(uint8_t alpha, const RECT* r = nullptr);
    // GDI drawing (text, lines) leaves alpha 0 on a 32-bit DIB: makes the
    // pixels that were drawn on (colour not black, alpha 0) opaque.
    void RepairAlpha(const RECT* r = nullptr);
    // Multiplies colour by alpha, as AlphaBlend with AC_SRC_ALPHA expects.
    void Premultiply();
    // AlphaBlend of the whole image (premultiplied) onto dc at (x, y).
    bool AlphaDraw(HDC dc, int x, int y, uint8_t constantAlpha = 255) const;
    // Copies a rectangle of a DC into the image (a screenshot or paint probe).
    bool CopyFrom(HDC source, int sourceX, int sourceY);

private:
    bool Clip(const RECT* r, CRect& out) const;
    template <class Change> void ChangePixels(const RECT* r, Change change);

    CHandleOwner<HDC, CMemoryDcTraits> m_dc;
    CGdiObject<HBITMAP> m_bitmap;
    HGDIOBJ m_oldBitmap = nullptr;
    uint32_t* m_bits = nullptr;
    int m_width = 0;
    int m_height = 0;
};

inline uint8_t AlphaOf(uint32_t argb)
{
    return static_cast<uint8_t>(argb >> 24);
}
inline uint32_t MakeArgb(uint8_t a, uint8_t r, uint8_t g, uint8_t b)
{
    return (static_cast<uint32_t>(a) << 24) | (static_cast<uint32_t>(r) << 16)
        | (static_cast<uint32_t>(g) << 8) | b;
}
