// The emblem, the login dialog's logo and hint pictures, and the about box.
#include "tools/skingen/SkinImages.h"
#include "tools/skingen/SkinPaint.h"
#include <algorithm>

using namespace SkinPaint;

namespace {

const Color kWhite = Rgb(255, 255, 255);
const Color kNavy = Rgb(18, 48, 86);

}

void SkinPaint::DrawEmblem(Gdiplus::Graphics& g, const RectF& r)
{
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    const float s = r.Width;
    const float radius = std::max(2.0f, s * 0.18f);
    FillRoundRect(g, r, radius, kRedBright, kRedDeep);
    if (s >= 24) {
        StrokeRoundRect(g, RectF(r.X + 1, r.Y + 1, r.Width - 2, r.Height - 2), radius - 1,
            Rgb(255, 190, 180, 90), std::max(1.0f, s / 40));
    }
    StrokeRoundRect(g, r, radius, Rgb(70, 6, 8), std::max(1.0f, s / 48));
    // Three candles rising to the right, white bodies with wicks.
    const float baseY = r.Y + s * 0.80f;
    const float bodyW = s * 0.15f;
    const float heights[] = { 0.24f, 0.36f, 0.50f };
    Gdiplus::SolidBrush white(kWhite);
    Gdiplus::Pen wick(kWhite, std::max(1.0f, s / 40));
    for (int i = 0; i < 3; ++i) {
        const float x = r.X + s * (0.17f + i * 0.24f);
        const float h = s * heights[i];
        const float top = baseY - h;
        g.DrawLine(&wick, x + bodyW / 2, top - s * 0.06f, x + bodyW / 2, baseY + s * 0.04f);
        g.FillRectangle(&white, x, top, bodyW, h * 0.7f);
    }
    // The trend line over them, in gold.
    Gdiplus::Pen trend(Rgb(255, 214, 90), std::max(1.2f, s / 16));
    trend.SetStartCap(Gdiplus::LineCapRound);
    trend.SetEndCap(Gdiplus::LineCapRound);
    trend.SetLineJoin(Gdiplus::LineJoinRound);
    const Gdiplus::PointF line[] = { { r.X + s * 0.14f, r.Y + s * 0.52f }, { r.X + s * 0.40f, r.Y + s * 0.42f },
        { r.X + s * 0.60f, r.Y + s * 0.46f }, { r.X + s * 0.86f, r.Y + s * 0.18f } };
    g.DrawLines(&trend, line, 4);
}

// The logo stands on the login dialog's light blue gradient, top left.
void DrawLogo(Gdiplus::Graphics& g, int width, int)
{
    const float size = 96.0f;
    const float x = (width - size) / 2.0f;
    // A soft shadow under the emblem.
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    FillRoundRect(g, RectF(x + 3, 10, size, size), 18.0f, Rgb(0, 20, 50, 60), Rgb(0, 20, 50, 30));
    DrawEmblem(g, RectF(x, 6, size, size));
    DrawCentredText(g, L"Zentu", RectF(0, 106, static_cast<float>(width), 30), 26.0f, kRedDeep, true, L"Arial");
    DrawCentredText(g, L"股票分析系统", RectF(0, 136, static_cast<float>(width), 22), 15.0f, kNavy, true);
}

// A translucent panel with the risk notice, under the login fields.
void DrawHint(Gdiplus::Graphics& g, int width, int height)
{
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    const RectF panel(0.5f, 0.5f, width - 1.0f, height - 1.0f);
    FillRoundRect(g, panel, 6.0f, Rgb(255, 255, 255, 120), Rgb(255, 255, 255, 70));
    StrokeRoundRect(g, panel, 6.0f, Rgb(255, 255, 255, 170));
    // An information mark at the left.
    Gdiplus::SolidBrush red(kRed);
    g.FillEllipse(&red, RectF(14, height / 2.0f - 13, 26, 26));
    DrawCentredText(g, L"i", RectF(14, height / 2.0f - 13, 26, 26), 18.0f, kWhite, true, L"Arial");
    const float textX = 52;
    DrawCentredText(g, L"温馨提示：行情数据仅供参考，不构成投资建议。",
        RectF(textX, 10, width - textX - 10, 24), 13.0f, kNavy, true);
    DrawCentredText(g, L"股市有风险，入市需谨慎。", RectF(textX, 36, width - textX - 10, 24), 13.0f,
        Rgb(40, 70, 110));
}

// The about box's whole background; its white texts sit in the calm lower part.
void DrawAbout(Gdiplus::Graphics& g, int width, int height)
{
    FillVertical(g, 0, 0, width, height, Rgb(46, 47, 52), Rgb(14, 14, 16));
    // A dark-red band across the top with the emblem and the title.
    FillVertical(g, 0, 0, width, 96, Rgb(120, 14, 18), Rgb(64, 6, 8));
    HLine(g, 0, 96, width, kRedBright);
    HLine(g, 0, 97, width, Rgb(30, 4, 4));
    DrawEmblem(g, RectF(22, 14, 68, 68));
    Gdiplus::StringFormat left;
    left.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    g.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
    std::unique_ptr<Gdiplus::Font> title = MakeFont(L"黑体", 26.0f, Gdiplus::FontStyleBold);
    std::unique_ptr<Gdiplus::Font> subtitle = MakeFont(L"Arial", 13.0f, Gdiplus::FontStyleRegular);
    Gdiplus::SolidBrush white(kWhite);
    Gdiplus::SolidBrush pale(Rgb(236, 190, 186));
    if (title)
        g.DrawString(L"Zentu股票分析系统", -1, title.get(), RectF(106, 16, width - 116.0f, 40), &left, &white);
    if (subtitle)
        g.DrawString(L"Shanghai & Shenzhen market analysis", -1, subtitle.get(),
            RectF(108, 54, width - 116.0f, 22), &left, &pale);
    // Faint chart lines in the lower right, behind nothing.
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    Gdiplus::Pen grid(Rgb(255, 255, 255, 14), 1.0f);
    for (int y = 120; y < height; y += 24)
        g.DrawLine(&grid, 0.0f, static_cast<float>(y), static_cast<float>(width), static_cast<float>(y));
    Gdiplus::Pen trend(Rgb(222, 62, 58, 70), 2.0f);
    const Gdiplus::PointF line[] = { { 200, 230 }, { 250, 210 }, { 290, 218 }, { 340, 176 }, { 380, 184 },
        { 414, 140 } };
    g.DrawLines(&trend, line, 6);
}
