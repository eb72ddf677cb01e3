// Images the resource script compiles into the program: its icon, the
// column-resize and hand cursors, and the menu images (bitmap 224).
#include "tools/skingen/SkinImages.h"
#include "tools/skingen/SkinPaint.h"
#include <initializer_list>
#include <vector>

using namespace SkinPaint;

namespace {

const Color kWhite = Rgb(255, 255, 255);
const Color kBlack = Rgb(0, 0, 0);
const Color kMagenta = Rgb(255, 0, 255);

void FillPolygonExact(Gdiplus::Graphics& g, const Color& colour, std::initializer_list<Gdiplus::Point> points)
{
    g.SetSmoothingMode(Gdiplus::SmoothingModeNone);
    Gdiplus::SolidBrush brush(colour);
    std::vector<Gdiplus::Point> v(points);
    g.FillPolygon(&brush, v.data(), static_cast<INT>(v.size()));
}

// A black shape with a white outline, as system cursors are drawn.
void OutlinedPath(Gdiplus::Graphics& g, Gdiplus::GraphicsPath& path)
{
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    Gdiplus::Pen outline(kWhite, 2.0f);
    outline.SetLineJoin(Gdiplus::LineJoinRound);
    g.DrawPath(&outline, &path);
    Gdiplus::SolidBrush fill(kBlack);
    g.FillPath(&fill, &path);
}

const Color kInk = Rgb(52, 53, 58); // menu image outlines
const Color kPaper = Rgb(250, 250, 250);

void Frame16(Gdiplus::Graphics& g, int x, int y, int w, int h, const Color& fill)
{
    FillRect(g, x, y, w, h, kInk);
    FillRect(g, x + 1, y + 1, w - 2, h - 2, fill);
}

}

void DrawProgramIcon(Gdiplus::Graphics& g, int width, int)
{
    const float inset = width >= 32 ? 1.0f : 0.0f;
    DrawEmblem(g, RectF(inset, inset, width - 2 * inset - 1, width - 2 * inset - 1));
}

// A vertical bar with arrows left and right; the hot spot is the centre.
void DrawResizeCursor(Gdiplus::Graphics& g, int, int)
{
    Gdiplus::GraphicsPath path;
    const Gdiplus::PointF shape[] = { { 14.5f, 6.5f }, { 17.5f, 6.5f }, { 17.5f, 14.5f }, { 21.5f, 14.5f },
        { 21.5f, 10.5f }, { 27.5f, 16.0f }, { 21.5f, 21.5f }, { 21.5f, 17.5f }, { 17.5f, 17.5f },
        { 17.5f, 25.5f }, { 14.5f, 25.5f }, { 14.5f, 17.5f }, { 10.5f, 17.5f }, { 10.5f, 21.5f },
        { 4.5f, 16.0f }, { 10.5f, 10.5f }, { 10.5f, 14.5f }, { 14.5f, 14.5f } };
    path.AddPolygon(shape, sizeof(shape) / sizeof(shape[0]));
    OutlinedPath(g, path);
    // The divider line itself in white, inside the bar.
    FillRect(g, 15, 8, 2, 17, kWhite);
}

// The pane-border cursor of the charts: the column cursor turned upright,
// arrows up and down from a horizontal divider; the hot spot is its centre.
void DrawSplitCursor(Gdiplus::Graphics& g, int, int)
{
    Gdiplus::GraphicsPath path;
    const Gdiplus::PointF shape[] = { { 6.5f, 14.5f }, { 6.5f, 17.5f }, { 14.5f, 17.5f }, { 14.5f, 21.5f },
        { 10.5f, 21.5f }, { 16.0f, 27.5f }, { 21.5f, 21.5f }, { 17.5f, 21.5f }, { 17.5f, 17.5f },
        { 25.5f, 17.5f }, { 25.5f, 14.5f }, { 17.5f, 14.5f }, { 17.5f, 10.5f }, { 21.5f, 10.5f },
        { 16.0f, 4.5f }, { 10.5f, 10.5f }, { 14.5f, 10.5f }, { 14.5f, 14.5f } };
    path.AddPolygon(shape, sizeof(shape) / sizeof(shape[0]));
    OutlinedPath(g, path);
    FillRect(g, 8, 15, 17, 2, kWhite);
}

// A pointing hand; the hot spot is the tip of the index finger.
void DrawHandCursor(Gdiplus::Graphics& g, int, int)
{
    Gdiplus::GraphicsPath path;
    // Index finger up, three folded fingers, thumb at the left.
    path.AddLine(9.5f, 4.0f, 9.5f, 15.0f);
    path.AddLine(9.5f, 15.0f, 7.0f, 13.0f);
    path.AddBezier(7.0f, 13.0f, 4.0f, 11.0f, 2.5f, 14.5f, 5.0f, 17.0f);
    path.AddLine(5.0f, 17.0f, 10.0f, 24.0f);
    path.AddLine(10.0f, 24.0f, 11.0f, 28.5f);
    path.AddLine(11.0f, 28.5f, 22.5f, 28.5f);
    path.AddLine(22.5f, 28.5f, 23.5f, 24.0f);
    path.AddBezier(23.5f, 24.0f, 25.0f, 20.0f, 25.0f, 17.0f, 25.0f, 14.5f);
    path.AddBezier(25.0f, 14.5f, 25.0f, 11.5f, 21.5f, 11.5f, 21.5f, 13.0f);
    path.AddBezier(21.5f, 13.0f, 21.5f, 10.5f, 18.0f, 10.5f, 18.0f, 12.5f);
    path.AddBezier(18.0f, 12.5f, 18.0f, 10.0f, 14.5f, 10.0f, 14.5f, 12.0f);
    path.AddLine(14.5f, 12.0f, 14.5f, 4.0f);
    path.AddBezier(14.5f, 4.0f, 14.5f, 0.8f, 9.5f, 0.8f, 9.5f, 4.0f);
    path.CloseFigure();
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    Gdiplus::Pen outline(kBlack, 1.6f);
    outline.SetLineJoin(Gdiplus::LineJoinRound);
    Gdiplus::SolidBrush fill(kWhite);
    g.FillPath(&fill, &path);
    g.DrawPath(&outline, &path);
    // Knuckle creases.
    Gdiplus::Pen crease(kBlack, 1.0f);
    g.DrawLine(&crease, 14.5f, 13.0f, 14.5f, 17.5f);
    g.DrawLine(&crease, 18.0f, 13.5f, 18.0f, 17.5f);
    g.DrawLine(&crease, 21.5f, 14.0f, 21.5f, 17.5f);
}

// Twelve 16 x 16 images on magenta (the image list's key is its top-left
// pixel): 0 quote list, 1 minute chart, 2 K-line chart, 3 company document,
// 4 news, 5 funds, 6 search, 7 ranking bars, 8 diagnosis, 9 settings,
// 10 help, 11 user stocks (star).
void DrawMenuImages(Gdiplus::Graphics& g, int width, int height)
{
    FillRect(g, 0, 0, width, height, kMagenta);
    const int s = kMenuImageSize;
    const Color up = kRed;
    const Color down = Rgb(0, 150, 60);
    // 0: a table.
    Frame16(g, 0 * s + 1, 2, 14, 12, kPaper);
    FillRect(g, 0 * s + 2, 3, 12, 2, Rgb(176, 24, 28));
    for (int y = 7; y < 13; y += 3)
        FillRect(g, 0 * s + 2, y, 12, 1, Rgb(170, 170, 176));
    FillRect(g, 0 * s + 6, 5, 1, 8, Rgb(170, 170, 176));
    // 1: a minute line on a chart.
    Frame16(g, 1 * s + 1, 1, 14, 14, Rgb(20, 20, 24));
    {
        const int pts[][2] = { { 2, 10 }, { 4, 8 }, { 6, 9 }, { 8, 5 }, { 10, 7 }, { 12, 4 }, { 13, 4 } };
        for (int i = 0; i + 1 < 7; ++i) {
            const int x0 = pts[i][0], y0 = pts[i][1], x1 = pts[i + 1][0], y1 = pts[i + 1][1];
            for (int x = x0; x <= x1; ++x) {
                const int y = x1 == x0 ? y0 : y0 + (y1 - y0) * (x - x0) / (x1 - x0);
                FillRect(g, 1 * s + x, y, 1, 1, kWhite);
            }
        }
        FillRect(g, 1 * s + 2, 12, 11, 1, Rgb(255, 214, 90));
    }
    // 2: candles.
    FillRect(g, 2 * s + 3, 3, 1, 11, up);
    FillRect(g, 2 * s + 2, 5, 3, 6, up);
    FillRect(g, 2 * s + 8, 2, 1, 10, down);
    FillRect(g, 2 * s + 7, 4, 3, 5, down);
    FillRect(g, 2 * s + 13, 1, 1, 12, up);
    FillRect(g, 2 * s + 12, 2, 3, 8, up);
    // 3: a document with lines.
    Frame16(g, 3 * s + 2, 1, 12, 14, kPaper);
    for (int y = 4; y < 13; y += 2)
        FillRect(g, 3 * s + 4, y, y == 4 ? 5 : 8, 1, y == 4 ? up : Rgb(120, 121, 128));
    // 4: a newspaper.
    Frame16(g, 4 * s + 1, 2, 14, 12, kPaper);
    FillRect(g, 4 * s + 3, 4, 5, 4, Rgb(120, 121, 128));
    for (int y = 4; y < 12; y += 2)
        FillRect(g, 4 * s + 9, y, 4, 1, kInk);
    FillRect(g, 4 * s + 3, 10, 5, 1, kInk);
    // 5: a coin with the yuan sign.
    FillRect(g, 5 * s + 4, 1, 8, 14, Rgb(150, 110, 10));
    FillRect(g, 5 * s + 2, 3, 12, 10, Rgb(150, 110, 10));
    FillRect(g, 5 * s + 5, 2, 6, 12, Rgb(255, 204, 60));
    FillRect(g, 5 * s + 3, 4, 10, 8, Rgb(255, 204, 60));
    FillRect(g, 5 * s + 5, 4, 1, 2, kInk);
    FillRect(g, 5 * s + 10, 4, 1, 2, kInk);
    FillRect(g, 5 * s + 6, 6, 1, 1, kInk);
    FillRect(g, 5 * s + 9, 6, 1, 1, kInk);
    FillRect(g, 5 * s + 7, 7, 2, 5, kInk);
    FillRect(g, 5 * s + 5, 8, 6, 1, kInk);
    FillRect(g, 5 * s + 5, 10, 6, 1, kInk);
    // 6: a magnifier.
    FillRect(g, 6 * s + 3, 1, 6, 1, kInk);
    FillRect(g, 6 * s + 3, 10, 6, 1, kInk);
    FillRect(g, 6 * s + 1, 3, 1, 6, kInk);
    FillRect(g, 6 * s + 10, 3, 1, 6, kInk);
    FillRect(g, 6 * s + 2, 2, 8, 8, kInk);
    FillRect(g, 6 * s + 3, 3, 6, 6, Rgb(200, 226, 250));
    for (int i = 0; i < 5; ++i)
        FillRect(g, 6 * s + 9 + i, 9 + i, 2, 2, Rgb(120, 80, 30));
    // 7: ranking bars.
    FillRect(g, 7 * s + 1, 14, 14, 1, kInk);
    FillRect(g, 7 * s + 2, 8, 3, 6, Rgb(120, 121, 128));
    FillRect(g, 7 * s + 6, 3, 3, 11, up);
    FillRect(g, 7 * s + 10, 6, 3, 8, down);
    // 8: diagnosis, a red cross on white.
    Frame16(g, 8 * s + 1, 1, 14, 14, kPaper);
    FillRect(g, 8 * s + 6, 3, 4, 10, up);
    FillRect(g, 8 * s + 3, 6, 10, 4, up);
    // 9: settings, three sliders.
    for (int i = 0; i < 3; ++i) {
        FillRect(g, 9 * s + 2, 3 + 5 * i, 12, 1, kInk);
        FillRect(g, 9 * s + 3 + 4 * i, 1 + 5 * i, 3, 5, up);
    }
    // 10: help, a blue disc with a question mark.
    FillRect(g, 10 * s + 4, 1, 8, 14, Rgb(30, 90, 170));
    FillRect(g, 10 * s + 2, 3, 12, 10, Rgb(30, 90, 170));
    FillRect(g, 10 * s + 6, 4, 4, 1, kWhite);
    FillRect(g, 10 * s + 5, 5, 1, 2, kWhite);
    FillRect(g, 10 * s + 10, 5, 1, 3, kWhite);
    FillRect(g, 10 * s + 8, 8, 2, 1, kWhite);
    FillRect(g, 10 * s + 7, 9, 2, 2, kWhite);
    FillRect(g, 10 * s + 7, 12, 2, 1, kWhite);
    // 11: a star.
    FillPolygonExact(g, Rgb(150, 110, 10),
        { { 11 * s + 8, 0 }, { 11 * s + 10, 6 }, { 11 * s + 16, 6 }, { 11 * s + 11, 10 }, { 11 * s + 13, 16 },
            { 11 * s + 8, 12 }, { 11 * s + 3, 16 }, { 11 * s + 5, 10 }, { 11 * s + 0, 6 }, { 11 * s + 6, 6 } });
    FillPolygonExact(g, Rgb(255, 204, 60),
        { { 11 * s + 8, 2 }, { 11 * s + 9, 7 }, { 11 * s + 14, 7 }, { 11 * s + 10, 10 }, { 11 * s + 11, 14 },
            { 11 * s + 8, 11 }, { 11 * s + 5, 14 }, { 11 * s + 6, 10 }, { 11 * s + 2, 7 }, { 11 * s + 7, 7 } });
}
