#pragma once
// A skin image that draws itself into any rectangle, keeping its corners or
// ends at their natural size and stretching a one-pixel middle column and
// row over the rest (the news and status bar backgrounds).
#include "skin/EnBitmap.h"
#include "win/Geometry.h"
#include <vector>

// One copy of the nine-grid drawing: source rectangle of the image to
// destination rectangle of the target (stretched when the sizes differ).
struct NineGridBlit
{
    CRect dest;
    CRect source;
};

// The copies that draw an image of bw x bh into a target of width x height,
// with the stretchable column at cornerX and row at cornerY (0 = none: with
// both 0 the whole image is stretched). Sources are clamped to the image, so
// a target larger than the image stretches the ends instead of reading past
// it; a middle of width or height 0 or less is left out (a negative one would
// mirror), as is every part whose clamped source is empty.
std::vector<NineGridBlit> PlanNineGrid(int width, int height, int bw, int bh, int cornerX, int cornerY);

class CSkinBitmap : public CEnBitmap
{
public:
    // Renders the image at the rectangle's size and copies it to the
    // rectangle's top-left corner; 1 on success, 0 on failure.
    int Draw(HDC dc, const RECT& rect, int cornerX, int cornerY) const;
    // Renders the image into a new target bitmap of the rectangle's size
    // (compatible with the screen); false, and no target, on failure.
    bool DrawNineGrid(CBitmap& target, const RECT& rect, int cornerX, int cornerY) const;

    // The image's size as a rectangle at (0, 0).
    CRect GetRect() const { return CRect(0, 0, GetWidth(), GetHeight()); }
    // Stretches the whole image, or the source rectangle of it, over dest.
    bool StretchDraw(HDC dc, const RECT& dest, const RECT* source = nullptr) const;
    // Copies the whole image unscaled to dest's top-left corner.
    bool CopyTo(HDC dc, const RECT& dest) const { return CEnBitmap::Draw(dc, dest.left, dest.top); }

    using CEnBitmap::Draw;
};
