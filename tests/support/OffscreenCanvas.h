#pragma once
// An off-screen 32-bit top-down DIB section in a memory DC, for drawing tests:
// draw into Dc(), read pixels back as COLORREF, and save a PNG of it to look
// at when a test fails. Assert lines, fills and geometry, never glyph pixels
// (fonts are substituted under Wine).
#include <windows.h>
#include <cstdint>
#include <string>

class OffscreenCanvas
{
public:
    OffscreenCanvas(int width, int height, COLORREF background = RGB(0, 0, 0));
    ~OffscreenCanvas();

    HDC Dc() const { return m_dc; }
    HBITMAP Bitmap() const { return m_bitmap; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    bool IsValid() const { return m_bits != nullptr; }

    void Fill(COLORREF colour);
    // The pixel as 0x00BBGGRR; CLR_INVALID outside the canvas.
    COLORREF Pixel(int x, int y) const;
    // The fourth byte of the pixel (alpha after an alpha blend of a source).
    uint8_t Alpha(int x, int y) const;
    // How many pixels inside [left, right) x [top, bottom) have exactly this colour.
    int CountPixels(COLORREF colour, const RECT& area) const;
    int CountPixels(COLORREF colour) const;
    // Pixels that differ from the colour, over the whole canvas.
    int CountPixelsNot(COLORREF colour) const;
    // Raw BGRA rows, top row first.
    const uint32_t* Bits() const { return m_bits; }

    // Writes the canvas as an opaque PNG beside the test program, in
    // "test-output\<name>.png"; returns the path ("" on failure).
    std::string SavePng(const std::string& name) const;

private:
    OffscreenCanvas(const OffscreenCanvas&) = delete;
    OffscreenCanvas& operator=(const OffscreenCanvas&) = delete;

    int m_width;
    int m_height;
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_oldBitmap;
    uint32_t* m_bits;
};

// Whether a and b hold the same pixels inside area; where names the first
// pixel that differs, "(x, y)".
bool SamePixels(const OffscreenCanvas& a, const OffscreenCanvas& b, const RECT& area, std::string* where);
