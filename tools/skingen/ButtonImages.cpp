// State strips of buttons: four frames side by side (disabled, normal, hover,
// pressed), with per-pixel alpha so they sit on any background.
#include "tools/skingen/SkinImages.h"
#include "tools/skingen/SkinPaint.h"
#include <algorithm>
#include <memory>

using namespace SkinPaint;

namespace {

enum Frame { kDisabled, kNormal, kHover, kPressed };

const Color kWhite = Rgb(255, 255, 255);

// Piece buttons --------------------------------------------------------------

// The whole button the three pieces are cut from. Its normal face is only a
// hint of glass, so black captions read on the silver title bar and white
// ones on the dark command bar; hover and pressed are dark red.
void DrawPieceButton(Gdiplus::Graphics& g, int width, int height, int frame)
{
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    const RectF r(0.5f, 0.5f, width - 1.0f, height - 1.0f);
    switch (frame) {
    case kDisabled:
        break;
    case kNormal:
        FillRoundRect(g, r, 4.0f, WithAlpha(kWhite, 34), WithAlpha(kWhite, 10));
        StrokeRoundRect(g, r, 4.0f, Rgb(0, 0, 0, 56));
        StrokeRoundRect(g, RectF(1.5f, 1.5f, width - 3.0f, height - 3.0f), 3.0f, WithAlpha(kWhite, 40));
        break;
    case kHover:
        DrawFace(g, r, 4.0f, { kRedBright, kRed, kRedDeep, Rgb(255, 160, 150, 110) });
        break;
    case kPressed:
        DrawFace(g, r, 4.0f, { kRed, kRedDeep, Rgb(60, 4, 6), Rgb(255, 120, 110, 50) });
        break;
    }
}

// Cuts the piece at [sliceX, sliceX + sliceWidth) of each frame's whole button.
void DrawPieceSlice(Gdiplus::Graphics& g, int sliceX, int sliceWidth, int height)
{
    const int whole = 2 * kPieceCapWidth + kPieceMiddleWidth;
    ForEachFrame(g, kStripFrames, sliceWidth, height, [&](int frame) {
        Gdiplus::Bitmap full(whole, height, PixelFormat32bppARGB);
        {
            Gdiplus::Graphics fg(&full);
            fg.Clear(Color(0, 0, 0, 0));
            DrawPieceButton(fg, whole, height, frame);
        }
        g.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
        g.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
        g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
        g.DrawImage(&full, Gdiplus::Rect(0, 0, sliceWidth, height), sliceX, 0, sliceWidth, height,
            Gdiplus::UnitPixel);
    });
}

// Push buttons ---------------------------------------------------------------

struct ButtonPalette
{
    FaceLook disabled, normal, hover, pressed;
};

// Dark grey buttons with a red rim on hover and red when pressed; white captions.
const ButtonPalette kDarkButton = {
    { Rgb(62, 62, 66), Rgb(50, 50, 54), Rgb(36, 36, 38), Rgb(255, 255, 255, 16) },
    { Rgb(96, 97, 104), Rgb(52, 53, 58), Rgb(20, 20, 22), Rgb(255, 255, 255, 56) },
    { Rgb(112, 113, 120), Rgb(64, 65, 70), kRedBright, Rgb(255, 255, 255, 70) },
    { kRed, kRedDeep, Rgb(58, 4, 6), Rgb(255, 140, 130, 50) },
};

// Steel-blue buttons of the login dialog (its background is a light blue gradient).
const ButtonPalette kLoginButton = {
    { Rgb(150, 172, 198), Rgb(128, 152, 180), Rgb(98, 122, 150), Rgb(255, 255, 255, 30) },
    { Rgb(84, 136, 198), Rgb(40, 88, 150), Rgb(22, 56, 100), Rgb(255, 255, 255, 80) },
    { Rgb(110, 164, 228), Rgb(52, 110, 180), Rgb(22, 56, 100), Rgb(255, 255, 255, 110) },
    { Rgb(36, 80, 138), Rgb(24, 60, 108), Rgb(12, 34, 64), Rgb(255, 255, 255, 30) },
};

void DrawPushButtons(Gdiplus::Graphics& g, int frameWidth, int height, const ButtonPalette& palette)
{
    ForEachFrame(g, kStripFrames, frameWidth, height, [&](int frame) {
        g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        const FaceLook* looks[] = { &palette.disabled, &palette.normal, &palette.hover, &palette.pressed };
        DrawFace(g, RectF(0.5f, 0.5f, frameWidth - 1.0f, height - 1.0f), 3.0f, *looks[frame]);
    });
}

// Check boxes and radio buttons ----------------------------------------------

FaceLook BoxLook(int frame)
{
    switch (frame) {
    case kDisabled:
        return { Rgb(226, 226, 228), Rgb(212, 212, 215), Rgb(160, 160, 164), Rgb(255, 255, 255, 0) };
    case kHover:
        return { kWhite, Rgb(250, 232, 232), kRed, Rgb(255, 255, 255, 200) };
    case kPressed:
        return { Rgb(214, 214, 218), Rgb(244, 244, 246), kRedDeep, Rgb(255, 255, 255, 0) };
    default:
        return { kWhite, Rgb(226, 227, 230), Rgb(92, 93, 100), Rgb(255, 255, 255, 200) };
    }
}

Color MarkColour(int frame)
{
    return frame == kDisabled ? Rgb(150, 150, 154) : frame == kPressed ? kRedDeep : kRed;
}

void DrawCheckBoxes(Gdiplus::Graphics& g, bool checked)
{
    ForEachFrame(g, kStripFrames, kCheckSize, kCheckSize, [&](int frame) {
        g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        const FaceLook look = BoxLook(frame);
        const RectF box(1.5f, 1.5f, kCheckSize - 3.0f, kCheckSize - 3.0f);
        FillRoundRect(g, box, 2.0f, look.top, look.bottom);
        StrokeRoundRect(g, box, 2.0f, look.border);
        if (checked) {
            Gdiplus::Pen pen(MarkColour(frame), 2.2f);
            pen.SetLineJoin(Gdiplus::LineJoinRound);
            pen.SetStartCap(Gdiplus::LineCapRound);
            pen.SetEndCap(Gdiplus::LineCapRound);
            const Gdiplus::PointF mark[] = { { 4.5f, 8.0f }, { 7.0f, 10.5f }, { 11.5f, 5.0f } };
            g.DrawLines(&pen, mark, 3);
        }
    });
}

void DrawRadios(Gdiplus::Graphics& g, bool checked)
{
    ForEachFrame(g, kStripFrames, kCheckSize, kCheckSize, [&](int frame) {
        g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        const FaceLook look = BoxLook(frame);
        const RectF disc(1.5f, 1.5f, kCheckSize - 3.0f, kCheckSize - 3.0f);
        Gdiplus::LinearGradientBrush fill(
            Gdiplus::PointF(0, disc.Y), Gdiplus::PointF(0, disc.Y + disc.Height + 1), look.top, look.bottom);
        g.FillEllipse(&fill, disc);
        Gdiplus::Pen rim(look.border, 1.0f);
        g.DrawEllipse(&rim, disc);
        if (checked) {
            Gdiplus::SolidBrush dot(MarkColour(frame));
            g.FillEllipse(&dot, RectF(4.5f, 4.5f, kCheckSize - 9.0f, kCheckSize - 9.0f));
        }
    });
}

// Panel toggles and chart buttons (on dark backgrounds) ------------------------

// A dark rounded face for hover and pressed; nothing in the other frames.
void DrawDarkFace(Gdiplus::Graphics& g, int width, int height, int frame, float radius)
{
    const RectF r(0.5f, 0.5f, width - 1.0f, height - 1.0f);
    if (frame == kHover)
        DrawFace(g, r, radius, { Rgb(104, 106, 114), Rgb(64, 65, 72), Rgb(140, 142, 150), Rgb(255, 255, 255, 50) });
    else if (frame == kPressed)
        DrawFace(g, r, radius, { kRed, kRedDeep, Rgb(58, 4, 6), Rgb(255, 140, 130, 40) });
}

Color GlyphOnDark(int frame)
{
    return frame == kDisabled ? Rgb(88, 88, 92) : frame == kNormal ? Rgb(196, 196, 200) : kWhite;
}

// A double chevron pointing left or right.
void DrawChevrons(Gdiplus::Graphics& g, int size, bool left, const Color& colour)
{
    Gdiplus::Pen pen(colour, 1.8f);
    pen.SetLineJoin(Gdiplus::LineJoinMiter);
    const float mid = size / 2.0f;
    for (int i = 0; i < 2; ++i) {
        const float tip = left ? 5.5f + i * 5.0f : size - 5.5f - i * 5.0f;
        const float back = left ? tip + 4.0f : tip - 4.0f;
        const Gdiplus::PointF points[] = { { back, mid - 4.5f }, { tip, mid }, { back, mid + 4.5f } };
        g.DrawLines(&pen, points, 3);
    }
}

void DrawPanelToggle(Gdiplus::Graphics& g, bool left)
{
    ForEachFrame(g, kStripFrames, kPanelToggleSize, kPanelToggleSize, [&](int frame) {
        g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        DrawDarkFace(g, kPanelToggleSize, kPanelToggleSize, frame, 3.0f);
        DrawChevrons(g, kPanelToggleSize, left, GlyphOnDark(frame));
    });
}

// Small square chart buttons: a faint outline when normal, so they are found
// on the black chart.
void DrawChartButton(Gdiplus::Graphics& g, bool add)
{
    const int s = kChartButtonSize;
    ForEachFrame(g, kStripFrames, s, s, [&](int frame) {
        g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        if (frame == kNormal || frame == kDisabled)
            StrokeRoundRect(g, RectF(0.5f, 0.5f, s - 1.0f, s - 1.0f), 2.0f,
                frame == kNormal ? Rgb(110, 110, 116) : Rgb(64, 64, 68));
        DrawDarkFace(g, s, s, frame, 2.0f);
        const Color colour = GlyphOnDark(frame);
        g.SetSmoothingMode(Gdiplus::SmoothingModeNone);
        if (add) {
            FillRect(g, 4, 7, 8, 2, colour);
            FillRect(g, 7, 4, 2, 8, colour);
        } else {
            g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
            Gdiplus::Pen pen(colour, 1.8f);
            g.DrawLine(&pen, 4.5f, 4.5f, 11.5f, 11.5f);
            g.DrawLine(&pen, 4.5f, 11.5f, 11.5f, 4.5f);
        }
    });
}

}

void DrawPieceLeft(Gdiplus::Graphics& g, int, int height)
{
    DrawPieceSlice(g, 0, kPieceCapWidth, height);
}
void DrawPieceMiddle(Gdiplus::Graphics& g, int, int height)
{
    DrawPieceSlice(g, kPieceCapWidth, kPieceMiddleWidth, height);
}
void DrawPieceRight(Gdiplus::Graphics& g, int, int height)
{
    DrawPieceSlice(g, kPieceCapWidth + kPieceMiddleWidth, kPieceCapWidth, height);
}

void DrawDialogButton(Gdiplus::Graphics& g, int, int height)
{
    DrawPushButtons(g, kDialogButtonWidth, height, kDarkButton);
}
void DrawLoginButton(Gdiplus::Graphics& g, int, int height)
{
    DrawPushButtons(g, kDialogButtonWidth, height, kLoginButton);
}
void DrawSmallButton(Gdiplus::Graphics& g, int, int height)
{
    DrawPushButtons(g, kSmallButtonWidth, height, kDarkButton);
}

void DrawCheckUnchecked(Gdiplus::Graphics& g, int, int)
{
    DrawCheckBoxes(g, false);
}
void DrawCheckChecked(Gdiplus::Graphics& g, int, int)
{
    DrawCheckBoxes(g, true);
}
void DrawRadioUnchecked(Gdiplus::Graphics& g, int, int)
{
    DrawRadios(g, false);
}
void DrawRadioChecked(Gdiplus::Graphics& g, int, int)
{
    DrawRadios(g, true);
}

void DrawShowLeft(Gdiplus::Graphics& g, int, int)
{
    DrawPanelToggle(g, true);
}
void DrawShowRight(Gdiplus::Graphics& g, int, int)
{
    DrawPanelToggle(g, false);
}

void DrawChartClose(Gdiplus::Graphics& g, int, int)
{
    DrawChartButton(g, false);
}
void DrawChartAdd(Gdiplus::Graphics& g, int, int)
{
    DrawChartButton(g, true);
}

// A pill the caption "指标说明" is written on in white.
void DrawChartTip(Gdiplus::Graphics& g, int, int height)
{
    ForEachFrame(g, kStripFrames, kChartTipWidth, height, [&](int frame) {
        g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        const RectF r(0.5f, 0.5f, kChartTipWidth - 1.0f, height - 1.0f);
        const float radius = height / 2.0f - 1.0f;
        switch (frame) {
        case kDisabled:
            FillRoundRect(g, r, radius, Rgb(40, 40, 42), Rgb(34, 34, 36));
            StrokeRoundRect(g, r, radius, Rgb(60, 60, 64));
            break;
        case kNormal:
            FillRoundRect(g, r, radius, Rgb(72, 73, 80), Rgb(44, 45, 50));
            StrokeRoundRect(g, r, radius, Rgb(120, 121, 128));
            break;
        case kHover:
            DrawFace(g, r, radius, { kRedBright, kRed, Rgb(236, 110, 100), Rgb(255, 255, 255, 60) });
            break;
        case kPressed:
            DrawFace(g, r, radius, { kRed, kRedDeep, Rgb(58, 4, 6), Rgb(255, 255, 255, 20) });
            break;
        }
    });
}
