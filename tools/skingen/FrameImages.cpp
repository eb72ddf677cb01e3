// The window frames (main window: silver chrome with a dark-red line under
// the title; login dialog: steel blue) and the caption buttons.
//
// Each frame image holds an active and an inactive variant. The side
// borders' top rows continue the title bar, since the frame draws them into
// the title row; their last rows turn the corner into the bottom border.
#include "tools/skingen/SkinImages.h"
#include "tools/skingen/SkinPaint.h"
#include <algorithm>

using namespace SkinPaint;

namespace {

struct FrameTheme
{
    Color titleTop, titleBottom, titleHighlight, accent;
    Color outer; // the outermost line all round
    Color border[3]; // border columns from the outer line inwards
};

FrameTheme MainTheme(bool active)
{
    if (active)
        return { kChromeTop, kChromeBottom, Rgb(246, 246, 248), kRed, kChromeLine,
            { Rgb(112, 113, 120), Rgb(84, 85, 92), Rgb(36, 36, 38) } };
    return { Rgb(232, 232, 235), Rgb(196, 197, 202), Rgb(248, 248, 250), Rgb(128, 128, 134), Rgb(96, 96, 100),
        { Rgb(150, 151, 156), Rgb(124, 125, 130), Rgb(60, 60, 64) } };
}

FrameTheme LoginTheme(bool active)
{
    if (active)
        return { Rgb(70, 122, 180), Rgb(30, 70, 122), Rgb(120, 164, 214), Rgb(150, 196, 240), Rgb(14, 38, 66),
            { Rgb(62, 106, 156), Rgb(42, 82, 128), Rgb(22, 49, 80) } };
    return { Rgb(110, 146, 186), Rgb(74, 108, 148), Rgb(150, 180, 214), Rgb(160, 188, 218), Rgb(50, 70, 96),
        { Rgb(100, 130, 166), Rgb(80, 108, 142), Rgb(56, 78, 104) } };
}

// One row of the title bar at y (0 = top line).
Color TitleRow(const FrameTheme& t, int y)
{
    if (y == 0)
        return t.outer;
    if (y == 1)
        return t.titleHighlight;
    if (y == kTitleHeight - 2)
        return t.accent;
    if (y == kTitleHeight - 1)
        return t.border[2];
    const float f = static_cast<float>(y - 2) / (kTitleHeight - 5);
    return Mix(t.titleTop, t.titleBottom, f);
}

void DrawTitle(Gdiplus::Graphics& g, int width, const FrameTheme& active, const FrameTheme& inactive)
{
    for (int variant = 0; variant < 2; ++variant) {
        const FrameTheme& t = variant == 0 ? active : inactive;
        for (int y = 0; y < kTitleHeight; ++y)
            HLine(g, 0, variant * kTitleHeight + y, width, TitleRow(t, y));
    }
}

// A side border variant: column 0 is the window's outer edge when outerLeft.
void DrawSide(Gdiplus::Graphics& g, int x0, int height, const FrameTheme& t, bool outerLeft)
{
    for (int c = 0; c < kBorderWidth; ++c) {
        const int x = outerLeft ? x0 + c : x0 + kBorderWidth - 1 - c;
        for (int y = 0; y < height; ++y) {
            Color colour;
            if (c == 0 || y == height - 1)
                colour = t.outer;
            else if (y < kTitleHeight)
                colour = TitleRow(t, y);
            else if (y >= height - kBottomBorderHeight)
                colour = t.border[std::min(height - 1 - y, 3) - 1];
            else
                colour = t.border[std::min(c, 3) - 1];
            HLine(g, x, y, 1, colour);
        }
    }
}

void DrawBottom(Gdiplus::Graphics& g, int width, const FrameTheme& active, const FrameTheme& inactive)
{
    for (int variant = 0; variant < 2; ++variant) {
        const FrameTheme& t = variant == 0 ? active : inactive;
        // Rows from the inside out; the last one is the outer edge.
        for (int r = 0; r < kBottomBorderHeight; ++r) {
            const int fromOutside = kBottomBorderHeight - 1 - r;
            const Color colour = fromOutside == 0 ? t.outer : t.border[std::min(fromOutside, 3) - 1];
            HLine(g, 0, variant * kBottomBorderHeight + r, width, colour);
        }
    }
}

void DrawSides(Gdiplus::Graphics& g, int height, FrameTheme (*theme)(bool), bool left)
{
    DrawSide(g, 0, height, theme(true), left);
    DrawSide(g, kBorderWidth, height, theme(false), left);
}

// Caption buttons ------------------------------------------------------------

enum class Glyph { Close, Minimise, Maximise, Restore };

void DrawGlyph(Gdiplus::Graphics& g, Glyph glyph, float cx, float cy, const Color& colour)
{
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    Gdiplus::Pen pen(colour, 1.6f);
    switch (glyph) {
    case Glyph::Close: {
        Gdiplus::Pen thick(colour, 2.0f);
        thick.SetStartCap(Gdiplus::LineCapRound);
        thick.SetEndCap(Gdiplus::LineCapRound);
        g.DrawLine(&thick, cx - 4.0f, cy - 4.0f, cx + 4.0f, cy + 4.0f);
        g.DrawLine(&thick, cx - 4.0f, cy + 4.0f, cx + 4.0f, cy - 4.0f);
        break;
    }
    case Glyph::Minimise:
        FillRect(g, static_cast<int>(cx) - 5, static_cast<int>(cy) + 3, 10, 2, colour);
        break;
    case Glyph::Maximise:
        g.SetSmoothingMode(Gdiplus::SmoothingModeNone);
        g.DrawRectangle(&pen, cx - 5.0f, cy - 4.0f, 10.0f, 8.0f);
        FillRect(g, static_cast<int>(cx) - 5, static_cast<int>(cy) - 4, 11, 2, colour);
        break;
    case Glyph::Restore:
        g.SetSmoothingMode(Gdiplus::SmoothingModeNone);
        g.DrawRectangle(&pen, cx - 2.0f, cy - 6.0f, 8.0f, 6.0f);
        FillRect(g, static_cast<int>(cx) - 2, static_cast<int>(cy) - 6, 9, 2, colour);
        {
            // The front window covers the back one.
            Gdiplus::SolidBrush clear(Color(0, 0, 0, 0));
            g.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
            g.FillRectangle(&clear, cx - 6.0f, cy - 2.0f, 9.0f, 7.0f);
            g.SetCompositingMode(Gdiplus::CompositingModeSourceOver);
        }
        g.DrawRectangle(&pen, cx - 6.0f, cy - 2.0f, 8.0f, 6.0f);
        FillRect(g, static_cast<int>(cx) - 6, static_cast<int>(cy) - 2, 9, 2, colour);
        break;
    }
}

// Frames: normal, pressed, hover; upper half active, lower half inactive.
void DrawCaptionButton(Gdiplus::Graphics& g, Glyph glyph)
{
    const bool close = glyph == Glyph::Close;
    for (int row = 0; row < 2; ++row) {
        const bool active = row == 0;
        for (int frame = 0; frame < 3; ++frame) {
            const Gdiplus::GraphicsState state = g.Save();
            g.TranslateTransform(static_cast<float>(frame * kCaptionButtonWidth),
                static_cast<float>(row * kCaptionButtonHeight));
            g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
            const RectF face(0.5f, 0.5f, kCaptionButtonWidth - 1.0f, kCaptionButtonHeight - 1.0f);
            Color glyphColour = active ? kText : Rgb(120, 120, 126);
            if (frame == 2) { // hover
                if (close)
                    DrawFace(g, face, 3.0f, { kRedBright, kRed, kRedDeep, Rgb(255, 150, 140, 120) });
                else
                    DrawFace(g, face, 3.0f,
                        { Rgb(250, 250, 252), Rgb(200, 201, 206), Rgb(118, 119, 126), Rgb(255, 255, 255, 160) });
                glyphColour = close ? Rgb(255, 255, 255) : kText;
            } else if (frame == 1) { // pressed
                if (close)
                    DrawFace(g, face, 3.0f, { kRed, kRedDeep, Rgb(60, 4, 6), Rgb(255, 120, 110, 60) });
                else
                    DrawFace(g, face, 3.0f,
                        { Rgb(160, 161, 168), Rgb(204, 205, 210), Rgb(92, 93, 100), Rgb(255, 255, 255, 60) });
                glyphColour = close ? Rgb(255, 255, 255) : Rgb(20, 20, 22);
            }
            const float shift = frame == 1 ? 1.0f : 0.0f;
            DrawGlyph(g, glyph, kCaptionButtonWidth / 2.0f + shift, kCaptionButtonHeight / 2.0f + shift,
                glyphColour);
            g.Restore(state);
        }
    }
}

}

void DrawMainTitle(Gdiplus::Graphics& g, int width, int)
{
    DrawTitle(g, width, MainTheme(true), MainTheme(false));
}
void DrawMainBorderLeft(Gdiplus::Graphics& g, int, int height)
{
    DrawSides(g, height, MainTheme, true);
}
void DrawMainBorderRight(Gdiplus::Graphics& g, int, int height)
{
    DrawSides(g, height, MainTheme, false);
}
void DrawMainBorderBottom(Gdiplus::Graphics& g, int width, int)
{
    DrawBottom(g, width, MainTheme(true), MainTheme(false));
}
void DrawLoginTitle(Gdiplus::Graphics& g, int width, int)
{
    DrawTitle(g, width, LoginTheme(true), LoginTheme(false));
}
void DrawLoginBorderLeft(Gdiplus::Graphics& g, int, int height)
{
    DrawSides(g, height, LoginTheme, true);
}
void DrawLoginBorderRight(Gdiplus::Graphics& g, int, int height)
{
    DrawSides(g, height, LoginTheme, false);
}
void DrawLoginBorderBottom(Gdiplus::Graphics& g, int width, int)
{
    DrawBottom(g, width, LoginTheme(true), LoginTheme(false));
}

void DrawCaptionClose(Gdiplus::Graphics& g, int, int)
{
    DrawCaptionButton(g, Glyph::Close);
}
void DrawCaptionMinimise(Gdiplus::Graphics& g, int, int)
{
    DrawCaptionButton(g, Glyph::Minimise);
}
void DrawCaptionMaximise(Gdiplus::Graphics& g, int, int)
{
    DrawCaptionButton(g, Glyph::Maximise);
}
void DrawCaptionRestore(Gdiplus::Graphics& g, int, int)
{
    DrawCaptionButton(g, Glyph::Restore);
}
