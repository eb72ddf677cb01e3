// Bars and their items: the dark command bar, the tab item images, the news
// and status bar backgrounds, the news link icons, and the skinned list's
// small images and scroll bar (opaque bitmaps with colour keys).
#include "tools/skingen/SkinImages.h"
#include "tools/skingen/SkinPaint.h"
#include <algorithm>
#include <initializer_list>
#include <vector>

using namespace SkinPaint;

namespace {

const Color kWhite = Rgb(255, 255, 255);
const Color kMagenta = Rgb(255, 0, 255); // the colour key of the list images

// Item frames of the command bars: normal, selected, third, hover, spare.
struct ItemLook
{
    Color top, bottom, border, highlight;
};

ItemLook TabLook(int frame)
{
    switch (frame) {
    case 1: // selected
        return { kRedBright, kRed, kRedDeep, Rgb(255, 170, 160, 120) };
    case 2: // third
        return { Rgb(96, 97, 104), Rgb(70, 71, 78), Rgb(40, 40, 44), Rgb(255, 255, 255, 40) };
    case 3: // hover
        return { Rgb(84, 86, 94), Rgb(54, 55, 62), Rgb(126, 128, 136), Rgb(255, 255, 255, 50) };
    default: // normal and spare
        return { Rgb(58, 59, 64), Rgb(42, 43, 47), Rgb(72, 73, 78), Rgb(255, 255, 255, 18) };
    }
}

// A tab open at the bottom (horizontal) or at the right (vertical), with
// small corners so the bars' nine-grid borders keep them whole.
void DrawItem(Gdiplus::Graphics& g, int width, int height, int frame, bool vertical)
{
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    const ItemLook look = TabLook(frame);
    const float radius = 2.0f;
    // The open side runs one radius past the frame, so only the far corners are round.
    const RectF body = vertical ? RectF(0.5f, 0.5f, width + radius, height - 1.0f)
                                : RectF(0.5f, 0.5f, width - 1.0f, height + radius);
    Gdiplus::GraphicsPath path;
    RoundRectPath(path, body, radius);
    if (vertical) {
        Gdiplus::LinearGradientBrush fill(
            Gdiplus::PointF(0, 0), Gdiplus::PointF(static_cast<float>(width) + 1, 0), look.top, look.bottom);
        g.FillPath(&fill, &path);
    } else {
        Gdiplus::LinearGradientBrush fill(
            Gdiplus::PointF(0, 0), Gdiplus::PointF(0, static_cast<float>(height) + 1), look.top, look.bottom);
        g.FillPath(&fill, &path);
    }
    Gdiplus::Pen border(look.border, 1.0f);
    g.DrawPath(&border, &path);
    g.SetSmoothingMode(Gdiplus::SmoothingModeNone);
    if (vertical)
        VLine(g, 1, 2, height - 4, look.highlight);
    else
        HLine(g, 2, 1, width - 4, look.highlight);
}

// A light bar: a darker top line, a white highlight, a soft gradient.
void DrawLightBar(Gdiplus::Graphics& g, int width, int height, const Color& top, const Color& bottom)
{
    HLine(g, 0, 0, width, Rgb(120, 121, 128));
    HLine(g, 0, 1, width, kWhite);
    FillVertical(g, 0, 2, width, height - 3, top, bottom);
    HLine(g, 0, height - 1, width, Rgb(150, 151, 158));
}

// Three chevrons; the lit one (0..2) is bright red, the others faint.
void DrawLinkIcon(Gdiplus::Graphics& g, int lit)
{
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    for (int i = 0; i < 3; ++i) {
        const Color colour = i == lit ? kRed : i < lit ? Rgb(176, 24, 28, 130) : Rgb(176, 24, 28, 60);
        Gdiplus::Pen pen(colour, 2.0f);
        const float x = 2.5f + i * 4.5f;
        const Gdiplus::PointF points[] = { { x, 3.5f }, { x + 4.0f, 8.0f }, { x, 12.5f } };
        g.DrawLines(&pen, points, 3);
    }
}

// Exact shapes on the magenta key: no anti-aliasing, so no pink fringes.
void FillPolygonExact(Gdiplus::Graphics& g, const Color& colour, std::initializer_list<Gdiplus::Point> points)
{
    g.SetSmoothingMode(Gdiplus::SmoothingModeNone);
    Gdiplus::SolidBrush brush(colour);
    std::vector<Gdiplus::Point> v(points);
    g.FillPolygon(&brush, v.data(), static_cast<INT>(v.size()));
}

void DrawListBox(Gdiplus::Graphics& g, int x0)
{
    FillRect(g, x0 + 2, 2, 12, 12, Rgb(96, 97, 104));
    FillRect(g, x0 + 3, 3, 10, 10, kWhite);
    FillVertical(g, x0 + 3, 8, 10, 5, kWhite, Rgb(226, 227, 230));
}

// Scroll bar pieces: dark, like the quote list they sit under.
void DrawScrollArrow(Gdiplus::Graphics& g, int size, bool left)
{
    FillRect(g, 0, 0, size, size, Rgb(24, 24, 26));
    FillVertical(g, 1, 1, size - 2, size - 2, Rgb(88, 90, 98), Rgb(50, 51, 56));
    HLine(g, 1, 1, size - 2, Rgb(120, 122, 130));
    const int mid = size / 2;
    const Color glyph = Rgb(214, 214, 218);
    if (left)
        FillPolygonExact(g, glyph, { { 5, mid }, { 10, mid - 5 }, { 10, mid + 5 } });
    else
        FillPolygonExact(g, glyph, { { 11, mid }, { 6, mid - 5 }, { 6, mid + 5 } });
}

}

void DrawDarkBar(Gdiplus::Graphics& g, int width, int height)
{
    HLine(g, 0, 0, width, Rgb(104, 106, 114));
    const int mid = height / 2;
    FillVertical(g, 0, 1, width, mid - 1, Rgb(74, 76, 84), Rgb(44, 45, 50));
    FillVertical(g, 0, mid, width, height - mid - 2, Rgb(34, 34, 38), Rgb(18, 18, 20));
    HLine(g, 0, height - 2, width, kRedDeep);
    HLine(g, 0, height - 1, width, Rgb(12, 12, 12));
}

void DrawTabs(Gdiplus::Graphics& g, int, int height)
{
    ForEachFrame(g, kItemFrames, kTabFrameWidth, height,
        [&](int frame) { DrawItem(g, kTabFrameWidth, height, frame, false); });
}

void DrawVerticalTabs(Gdiplus::Graphics& g, int width, int)
{
    ForEachFrame(
        g, kItemFrames, width, kVTabFrameHeight,
        [&](int frame) { DrawItem(g, width, kVTabFrameHeight, frame, true); }, true);
}

// Sliced at 320: the first link, the second link and the ticker's marker
// lie in the fixed left part; the stretched column and the right end are plain.
void DrawNewsBar(Gdiplus::Graphics& g, int width, int height)
{
    DrawLightBar(g, width, height, Rgb(240, 240, 242), Rgb(208, 209, 214));
    // A groove before the ticker, and a small red pointer at its start.
    VLine(g, 262, 4, height - 8, Rgb(150, 151, 158));
    VLine(g, 263, 4, height - 8, kWhite);
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    Gdiplus::SolidBrush red(kRed);
    const float mid = height / 2.0f;
    const Gdiplus::PointF pointer[] = { { 274.0f, mid - 5.0f }, { 282.0f, mid }, { 274.0f, mid + 5.0f } };
    g.FillPolygon(&red, pointer, 3);
    g.SetSmoothingMode(Gdiplus::SmoothingModeNone);
    VLine(g, width - 1, 1, height - 1, Rgb(150, 151, 158));
}

void DrawStatusBar(Gdiplus::Graphics& g, int width, int height)
{
    DrawLightBar(g, width, height, Rgb(232, 233, 236), Rgb(198, 199, 204));
    VLine(g, width - 1, 1, height - 1, Rgb(150, 151, 158));
}

void DrawLinkIcon1(Gdiplus::Graphics& g, int, int)
{
    DrawLinkIcon(g, 0);
}
void DrawLinkIcon2(Gdiplus::Graphics& g, int, int)
{
    DrawLinkIcon(g, 1);
}
void DrawLinkIcon3(Gdiplus::Graphics& g, int, int)
{
    DrawLinkIcon(g, 2);
}

// Sort descending, sort ascending, unchecked, checked, tri-state plus, minus.
void DrawListItems(Gdiplus::Graphics& g, int width, int height)
{
    FillRect(g, 0, 0, width, height, kMagenta);
    const int s = kListImageSize;
    const Color arrow = Rgb(120, 121, 128);
    FillPolygonExact(g, arrow, { { 0 * s + 4, 6 }, { 0 * s + 12, 6 }, { 0 * s + 8, 10 } });
    FillPolygonExact(g, arrow, { { 1 * s + 4, 10 }, { 1 * s + 12, 10 }, { 1 * s + 8, 6 } });
    DrawListBox(g, 2 * s);
    DrawListBox(g, 3 * s);
    // The check mark, two pixels thick.
    const int x = 3 * s;
    for (int i = 0; i < 3; ++i) {
        FillRect(g, x + 4 + i, 7 + i, 1, 2, kRed);
    }
    for (int i = 0; i < 5; ++i) {
        FillRect(g, x + 7 + i, 8 - i, 1, 2, kRed);
    }
    DrawListBox(g, 4 * s);
    FillRect(g, 4 * s + 5, 7, 6, 2, kRed);
    FillRect(g, 4 * s + 7, 5, 2, 6, kRed);
    DrawListBox(g, 5 * s);
    FillRect(g, 5 * s + 5, 7, 6, 2, Rgb(60, 60, 64));
}

void DrawScrollBack(Gdiplus::Graphics& g, int width, int height)
{
    HLine(g, 0, 0, width, Rgb(14, 14, 16));
    FillVertical(g, 0, 1, width, height - 1, Rgb(30, 30, 33), Rgb(44, 45, 50));
}

void DrawScrollLeft(Gdiplus::Graphics& g, int width, int)
{
    DrawScrollArrow(g, width, true);
}
void DrawScrollRight(Gdiplus::Graphics& g, int width, int)
{
    DrawScrollArrow(g, width, false);
}

// White is the thumb's transparent colour: the rounded ends leave white corners.
void DrawScrollThumb(Gdiplus::Graphics& g, int width, int height)
{
    FillRect(g, 0, 0, width, height, kWhite);
    const Color rim = Rgb(16, 16, 18);
    FillRect(g, 1, 0, width - 2, height, rim);
    FillRect(g, 0, 1, width, height - 2, rim);
    FillVertical(g, 1, 1, width - 2, height - 2, Rgb(118, 120, 128), Rgb(70, 71, 78));
    HLine(g, 2, 1, width - 4, Rgb(150, 152, 160));
    // Grip lines in the middle.
    for (int i = -1; i <= 1; ++i) {
        VLine(g, width / 2 + 3 * i, 4, height - 8, Rgb(40, 40, 44));
        VLine(g, width / 2 + 3 * i + 1, 4, height - 8, Rgb(160, 162, 170));
    }
}
