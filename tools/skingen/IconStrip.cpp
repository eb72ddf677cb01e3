// "biaoji.png": the icons an indicator formula places on its chart, one
// 16 x 16 cell per icon type (type 1 is the first cell).
#include "tools/skingen/SkinImages.h"
#include <windows.h>
#include <objbase.h>
#include <gdiplus.h>
#include <initializer_list>
#include <vector>

namespace {

using Gdiplus::Color;
using Gdiplus::PointF;

const Color kRed(255, 255, 60, 60);
const Color kGreen(255, 0, 200, 0);
const Color kYellow(255, 255, 220, 0);
const Color kBlue(255, 60, 140, 255);
const Color kWhite(255, 255, 255, 255);

void Polygon(Gdiplus::Graphics& g, float ox, const Color& colour, std::initializer_list<PointF> points)
{
    std::vector<PointF> shifted;
    for (const PointF& p : points)
        shifted.push_back(PointF(ox + p.X, p.Y));
    Gdiplus::SolidBrush brush(colour);
    g.FillPolygon(&brush, shifted.data(), static_cast<INT>(shifted.size()));
}

void Disc(Gdiplus::Graphics& g, float ox, const Color& colour, float inset)
{
    Gdiplus::SolidBrush brush(colour);
    g.FillEllipse(&brush, ox + inset, inset, 16 - 2 * inset, 16 - 2 * inset);
}

void Ring(Gdiplus::Graphics& g, float ox, const Color& colour)
{
    Gdiplus::Pen pen(colour, 2.0f);
    g.DrawEllipse(&pen, ox + 2.0f, 2.0f, 12.0f, 12.0f);
}

void Square(Gdiplus::Graphics& g, float ox, const Color& colour)
{
    Gdiplus::SolidBrush brush(colour);
    g.FillRectangle(&brush, ox + 3.0f, 3.0f, 10.0f, 10.0f);
}

}

void DrawIconStrip(Gdiplus::Graphics& g, int, int)
{
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    const float cell = static_cast<float>(kIconCellSize);
    // 1 rising arrow, 2 falling arrow
    Polygon(g, 0 * cell, kRed, { { 8, 1 }, { 15, 8 }, { 11, 8 }, { 11, 15 }, { 5, 15 }, { 5, 8 }, { 1, 8 } });
    Polygon(
        g, 1 * cell, kGreen, { { 8, 15 }, { 15, 8 }, { 11, 8 }, { 11, 1 }, { 5, 1 }, { 5, 8 }, { 1, 8 } });
    // 3 red dot, 4 green dot
    Disc(g, 2 * cell, kRed, 2.0f);
    Disc(g, 3 * cell, kGreen, 2.0f);
    // 5 star, 6 diamond
    Polygon(g, 4 * cell, kYellow,
        { { 8, 1 }, { 10, 6 }, { 15, 6 }, { 11, 9.5f }, { 12.5f, 15 }, { 8, 11.5f }, { 3.5f, 15 },
            { 5, 9.5f }, { 1, 6 }, { 6, 6 } });
    Polygon(g, 5 * cell, kYellow, { { 8, 1 }, { 15, 8 }, { 8, 15 }, { 1, 8 } });
    // 7 red square, 8 green square
    Square(g, 6 * cell, kRed);
    Square(g, 7 * cell, kGreen);
    // 9 rising triangle, 10 falling triangle
    Polygon(g, 8 * cell, kRed, { { 8, 2 }, { 15, 14 }, { 1, 14 } });
    Polygon(g, 9 * cell, kGreen, { { 1, 2 }, { 15, 2 }, { 8, 14 } });
    // 11 blue plus, 12 white ring
    Polygon(g, 10 * cell, kBlue,
        { { 6, 1 }, { 10, 1 }, { 10, 6 }, { 15, 6 }, { 15, 10 }, { 10, 10 }, { 10, 15 }, { 6, 15 }, { 6, 10 },
            { 1, 10 }, { 1, 6 }, { 6, 6 } });
    Ring(g, 11 * cell, kWhite);
}
