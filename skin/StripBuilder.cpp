#include "skin/StripBuilder.h"
#include "win/Gdi.h"

CSize StripBitmapSize(HBITMAP bitmap)
{
    BITMAP info = {};
    if (!bitmap || !::GetObjectA(bitmap, sizeof(info), &info))
        return CSize();
    return CSize(info.bmWidth, info.bmHeight);
}

CSize StripTextSize(HFONT font, const std::string& text)
{
    if (text.empty())
        return CSize();
    CClientDC screen(nullptr);
    CSelectObject select(screen, font);
    SIZE size = {};
    ::GetTextExtentPoint32A(screen, text.c_str(), static_cast<int>(text.size()), &size);
    return CSize(size.cx, size.cy);
}

void DrawStripText(HDC dc, HFONT font, int x, int y, const std::string& text, COLORREF colour)
{
    if (text.empty())
        return;
    CSelectObject select(dc, font);
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = ::SetTextColor(dc, colour);
    ::TextOutA(dc, x, y, text.c_str(), static_cast<int>(text.size()));
    ::SetTextColor(dc, oldColour);
    ::SetBkMode(dc, oldMode);
}

void BlendStripFrame(HDC dc, int x, int y, HBITMAP strip, int frame, int count)
{
    const CSize size = StripBitmapSize(strip);
    const int frameWidth = count > 0 ? size.cx / count : 0;
    if (frameWidth <= 0 || size.cy <= 0)
        return;
    CMemDC source(dc);
    CSelectObject select(source, strip);
    BLENDFUNCTION blend = { AC_SRC_OVER, 0, 255, AC_SRC_ALPHA };
    ::AlphaBlend(dc, x, y, frameWidth, size.cy, source, frame * frameWidth, 0, frameWidth, size.cy, blend);
}

void FillTriangle(HDC dc, const POINT (&corners)[3], COLORREF colour)
{
    CBrush brush;
    CPen pen;
    if (!brush.CreateSolid(colour) || !pen.Create(PS_SOLID, 1, colour))
        return;
    CSelectObject selectBrush(dc, brush);
    CSelectObject selectPen(dc, pen);
    ::Polygon(dc, corners, 3);
}
