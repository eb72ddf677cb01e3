#pragma once
// The skin's palette and the few shapes every image family draws with, so
// that frames, buttons and bars share one look: silver-grey chrome, a dark
// body, dark-red accents.
#include <windows.h>
#include <objbase.h>
#include <gdiplus.h>
#include <functional>
#include <memory>

namespace SkinPaint {

using Gdiplus::Color;
using Gdiplus::RectF;

inline Color Rgb(int r, int g, int b, int a = 255)
{
    return Color(static_cast<BYTE>(a), static_cast<BYTE>(r), static_cast<BYTE>(g), static_cast<BYTE>(b));
}
inline Color WithAlpha(const Color& c, int a)
{
    return Color(static_cast<BYTE>(a), c.GetR(), c.GetG(), c.GetB());
}
// Straight mix of two colours (alpha mixed too); t = 0 gives a.
Color Mix(const Color& a, const Color& b, float t);

// Palette.
extern const Color kRed;       // accent: selected tabs, hover of dark buttons
extern const Color kRedDeep;   // pressed, shadows of red
extern const Color kRedBright; // highlights of red
extern const Color kChromeTop; // silver title bar
extern const Color kChromeBottom;
extern const Color kChromeLine; // outer frame line
extern const Color kBody;       // the dark window body (0x202020)
extern const Color kPanel;      // dark grey panels and buttons
extern const Color kPanelLight;
extern const Color kText; // glyphs on chrome

// One pixel row or column, exact (no anti-aliasing).
void HLine(Gdiplus::Graphics& g, int x, int y, int width, const Color& c);
void VLine(Gdiplus::Graphics& g, int x, int y, int height, const Color& c);
void FillRect(Gdiplus::Graphics& g, int x, int y, int width, int height, const Color& c);
// A vertical gradient over whole pixel rows, top colour to bottom colour.
void FillVertical(Gdiplus::Graphics& g, int x, int y, int width, int height, const Color& top,
    const Color& bottom);

// Rounded rectangles, anti-aliased (the caller sets the smoothing mode).
void RoundRectPath(Gdiplus::GraphicsPath& path, const RectF& r, float radius);
void FillRoundRect(Gdiplus::Graphics& g, const RectF& r, float radius, const Color& top, const Color& bottom);
void StrokeRoundRect(Gdiplus::Graphics& g, const RectF& r, float radius, const Color& c, float width = 1.0f);

// A glossy button face: a vertical gradient body, a lighter upper half,
// an outline and a one-pixel inner highlight.
struct FaceLook
{
    Color top, bottom, border, highlight;
};
void DrawFace(Gdiplus::Graphics& g, const RectF& r, float radius, const FaceLook& look);

// Calls draw once per frame, translated so the frame starts at (0, 0) and
// clipped to it. Frames lie side by side, or stacked when vertical.
void ForEachFrame(Gdiplus::Graphics& g, int frames, int frameWidth, int frameHeight,
    const std::function<void(int frame)>& draw, bool stacked = false);

// The named face, or an installed stand-in; null when none can be made.
std::unique_ptr<Gdiplus::Font> MakeFont(const wchar_t* face, float pixelHeight, int style);

// Text centred in r.
void DrawCentredText(Gdiplus::Graphics& g, const wchar_t* text, const RectF& r, float pixelHeight,
    const Color& c, bool bold = false, const wchar_t* face = L"黑体");

// The program's emblem: a dark-red rounded square with rising candles and a
// trend line, drawn into r (square).
void DrawEmblem(Gdiplus::Graphics& g, const RectF& r);

}
