#include "tools/skingen/SkinPaint.h"
#include <algorithm>
#include <memory>

namespace SkinPaint {

const Color kRed = Rgb(176, 24, 28);
const Color kRedDeep = Rgb(104, 10, 14);
const Color kRedBright = Rgb(222, 62, 58);
const Color kChromeTop = Rgb(226, 227, 230);
const Color kChromeBottom = Rgb(170, 172, 178);
const Color kChromeLine = Rgb(58, 58, 62);
const Color kBody = Rgb(32, 32, 32);
const Color kPanel = Rgb(52, 53, 58);
const Color kPanelLight = Rgb(92, 94, 102);
const Color kText = Rgb(48, 48, 52);

Color Mix(const Color& a, const Color& b, float t)
{
    auto mix = [t](BYTE x, BYTE y) { return static_cast<int>(x + (y - x) * t + 0.5f); };
    return Rgb(mix(a.GetR(), b.GetR()), mix(a.GetG(), b.GetG()), mix(a.GetB(), b.GetB()),
        mix(a.GetA(), b.GetA()));
}

void FillRect(Gdiplus::Graphics& g, int x, int y, int width, int height, const Color& c)
{
    if (width <= 0 || height <= 0)
        return;
    const Gdiplus::SmoothingMode oldMode = g.GetSmoothingMode();
    const Gdiplus::CompositingMode oldComposite = g.GetCompositingMode();
    g.SetSmoothingMode(Gdiplus::SmoothingModeNone);
    // Exact pixels replace what lies below, alpha included.
    g.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
    Gdiplus::SolidBrush brush(c);
    g.FillRectangle(&brush, x, y, width, height);
    g.SetCompositingMode(oldComposite);
    g.SetSmoothingMode(oldMode);
}

void HLine(Gdiplus::Graphics& g, int x, int y, int width, const Color& c)
{
    FillRect(g, x, y, width, 1, c);
}

void VLine(Gdiplus::Graphics& g, int x, int y, int height, const Color& c)
{
    FillRect(g, x, y, 1, height, c);
}

void FillVertical(Gdiplus::Graphics& g, int x, int y, int width, int height, const Color& top,
    const Color& bottom)
{
    for (int row = 0; row < height; ++row) {
        const float t = height > 1 ? static_cast<float>(row) / (height - 1) : 0.0f;
        HLine(g, x, y + row, width, Mix(top, bottom, t));
    }
}

void RoundRectPath(Gdiplus::GraphicsPath& path, const RectF& r, float radius)
{
    const float d = std::min({ radius * 2, r.Width, r.Height });
    if (d <= 0.5f) {
        path.AddRectangle(r);
        return;
    }
    path.AddArc(r.X, r.Y, d, d, 180, 90);
    path.AddArc(r.X + r.Width - d, r.Y, d, d, 270, 90);
    path.AddArc(r.X + r.Width - d, r.Y + r.Height - d, d, d, 0, 90);
    path.AddArc(r.X, r.Y + r.Height - d, d, d, 90, 90);
    path.CloseFigure();
}

void FillRoundRect(Gdiplus::Graphics& g, const RectF& r, float radius, const Color& top, const Color& bottom)
{
    Gdiplus::GraphicsPath path;
    RoundRectPath(path, r, radius);
    // The brush spans one pixel more than the shape so its last row is the bottom colour.
    Gdiplus::LinearGradientBrush brush(Gdiplus::PointF(0, r.Y - 0.5f), Gdiplus::PointF(0, r.Y + r.Height + 0.5f),
        top, bottom);
    brush.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    g.FillPath(&brush, &path);
}

void StrokeRoundRect(Gdiplus::Graphics& g, const RectF& r, float radius, const Color& c, float width)
{
    Gdiplus::GraphicsPath path;
    RoundRectPath(path, r, radius);
    Gdiplus::Pen pen(c, width);
    g.DrawPath(&pen, &path);
}

void DrawFace(Gdiplus::Graphics& g, const RectF& r, float radius, const FaceLook& look)
{
    FillRoundRect(g, r, radius, look.top, look.bottom);
    // Gloss: the upper half a little lighter.
    RectF upper(r.X + 1, r.Y + 1, r.Width - 2, r.Height / 2 - 1);
    FillRoundRect(g, upper, std::max(radius - 1, 0.0f), WithAlpha(Rgb(255, 255, 255), 46),
        WithAlpha(Rgb(255, 255, 255), 12));
    StrokeRoundRect(g, RectF(r.X + 1, r.Y + 1, r.Width - 2, r.Height - 2), std::max(radius - 1, 0.0f),
        look.highlight);
    StrokeRoundRect(g, r, radius, look.border);
}

void ForEachFrame(Gdiplus::Graphics& g, int frames, int frameWidth, int frameHeight,
    const std::function<void(int frame)>& draw, bool stacked)
{
    for (int k = 0; k < frames; ++k) {
        const Gdiplus::GraphicsState state = g.Save();
        const int x = stacked ? 0 : k * frameWidth;
        const int y = stacked ? k * frameHeight : 0;
        g.SetClip(Gdiplus::Rect(x, y, frameWidth, frameHeight));
        g.TranslateTransform(static_cast<float>(x), static_cast<float>(y));
        draw(k);
        g.Restore(state);
    }
}

std::unique_ptr<Gdiplus::Font> MakeFont(const wchar_t* face, float pixelHeight, int style)
{
    // Where the named face is missing (a build machine without Windows
    // fonts) the nearest installed one of the same script stands in.
    const wchar_t* fallbacks[] = { face, L"WenQuanYi Zen Hei", L"Liberation Sans", L"DejaVu Sans" };
    for (const wchar_t* name : fallbacks) {
        Gdiplus::FontFamily family(name);
        if (family.GetLastStatus() != Gdiplus::Ok)
            continue;
        std::unique_ptr<Gdiplus::Font> font(new Gdiplus::Font(&family, pixelHeight, style, Gdiplus::UnitPixel));
        if (font->GetLastStatus() == Gdiplus::Ok)
            return font;
    }
    return nullptr;
}

void DrawCentredText(Gdiplus::Graphics& g, const wchar_t* text, const RectF& r, float pixelHeight,
    const Color& c, bool bold, const wchar_t* face)
{
    const int style = bold ? Gdiplus::FontStyleBold : Gdiplus::FontStyleRegular;
    std::unique_ptr<Gdiplus::Font> font = MakeFont(face, pixelHeight, style);
    if (!font)
        return;
    Gdiplus::StringFormat format;
    format.SetAlignment(Gdiplus::StringAlignmentCenter);
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    format.SetFormatFlags(Gdiplus::StringFormatFlagsNoWrap);
    Gdiplus::SolidBrush brush(c);
    g.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
    g.DrawString(text, -1, font.get(), r, &format, &brush);
}

}
