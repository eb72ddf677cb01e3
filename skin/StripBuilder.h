#pragma once
// Pieces the skinned buttons build their four-frame strips from: text
// measured and drawn in a control's font, frames of other strips blended in,
// and the per-frame text colour. Strips are 32-bit DIBs with premultiplied
// alpha; GDI text leaves alpha 0 there, so builders repair it afterwards.
#include <windows.h>
#include <string>
#include "win/Geometry.h"

constexpr int kStripFrames = 4;
constexpr COLORREF kStripDisabledText = RGB(0x77, 0x77, 0x77);

CSize StripBitmapSize(HBITMAP bitmap);
// The extent of the text in the font (0 x 0 for an empty text).
CSize StripTextSize(HFONT font, const std::string& text);
// Frame 0 (disabled) is grey; the others take the given colour.
inline COLORREF StripTextColour(int frame, COLORREF enabled)
{
    return frame == 0 ? kStripDisabledText : enabled;
}
// Transparent text at (x, y).
void DrawStripText(HDC dc, HFONT font, int x, int y, const std::string& text, COLORREF colour);
// Frame `frame` of a strip (frame width = its width / count) blended 1:1 at (x, y).
void BlendStripFrame(HDC dc, int x, int y, HBITMAP strip, int frame, int count = kStripFrames);
// A triangle filled in the colour.
void FillTriangle(HDC dc, const POINT (&corners)[3], COLORREF colour);
