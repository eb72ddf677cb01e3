// The chart primitives drawn off-screen: lines, fills and geometry only
// (glyph pixels depend on the substituted fonts).
#include "base/ChartDraw.h"
#include "base/GdiObjectCache.h"
#include "tests/support/OffscreenCanvas.h"
#include <gtest/gtest.h>
#include <cmath>
#include <string>

namespace {

const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kGreen = RGB(0, 255, 0);

// Every primitive puts back what it selected.
class SelectionGuard
{
public:
    explicit SelectionGuard(HDC dc)
        : m_dc(dc)
        , m_pen(::GetCurrentObject(dc, OBJ_PEN))
        , m_brush(::GetCurrentObject(dc, OBJ_BRUSH))
        , m_font(::GetCurrentObject(dc, OBJ_FONT))
    {
    }
    void Check() const
    {
        EXPECT_EQ(::GetCurrentObject(m_dc, OBJ_PEN), m_pen);
        EXPECT_EQ(::GetCurrentObject(m_dc, OBJ_BRUSH), m_brush);
        EXPECT_EQ(::GetCurrentObject(m_dc, OBJ_FONT), m_font);
    }

private:
    HDC m_dc;
    HGDIOBJ m_pen, m_brush, m_font;
};

int CountInRow(const OffscreenCanvas& canvas, int y, COLORREF colour, int left, int right)
{
    return canvas.CountPixels(colour, RECT { left, y, right, y + 1 });
}

}

TEST(ChartDraw, DottedLineLightsEverySecondPixel)
{
    OffscreenCanvas canvas(10, 10);
    SelectionGuard guard(canvas.Dc());
    DrawDottedLine(canvas.Dc(), 1, kRed, 0, 5, 6, 5);
    guard.Check();
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(canvas.Pixel(x, 5), (x == 0 || x == 2 || x == 4) ? kRed : kBlack) << x;
    EXPECT_EQ(canvas.CountPixels(kRed), 3);

    OffscreenCanvas diagonal(10, 10);
    DrawDottedLine(diagonal.Dc(), 1, kRed, 0, 0, 6, 6);
    EXPECT_EQ(diagonal.CountPixels(kRed), 3);
    EXPECT_EQ(diagonal.Pixel(2, 2), kRed);
    EXPECT_EQ(diagonal.Pixel(4, 4), kRed);

    OffscreenCanvas skipped(10, 10);
    DrawDottedLine(skipped.Dc(), 1, kRed, 0, -1, 6, 5);
    EXPECT_EQ(skipped.CountPixels(kRed), 0);
    HPEN pen = ::CreatePen(PS_SOLID, 1, kBlue);
    DrawDottedLineWithPen(skipped.Dc(), pen, 0, 3, 6, 3);
    EXPECT_EQ(skipped.CountPixels(kBlue), 3);
    ::DeleteObject(pen);
}

// A thin straight dotted line is drawn in a pass or two; it must light
// exactly the dots the one-by-one reference lights, wherever the line starts,
// however long it is, whatever the DC's background mode, mix mode, clipping
// and origin.
TEST(ChartDraw, DottedLineMatchesDotByDotReference)
{
    struct Case
    {
        const char* name;
        int x1, y1, x2, y2;
    };
    const Case cases[] = {
        { "even length", 3, 4, 23, 4 },
        { "odd length", 3, 6, 24, 6 },
        { "one pixel", 5, 8, 6, 8 },
        { "starts left of the canvas", -7, 10, 20, 10 },
        { "ends right of the canvas", 10, 12, 45, 12 },
        { "vertical even", 2, 1, 2, 21 },
        { "vertical odd", 4, 2, 4, 25 },
        { "vertical below the canvas", 6, 20, 6, 40 },
        { "backwards draws nothing", 20, 14, 3, 14 },
        { "empty draws nothing", 9, 16, 9, 16 },
    };
    struct Mode
    {
        const char* name;
        int bkMode;
        int rop;
        bool clipped;
        int originX; // of the viewport
    };
    const Mode modes[] = {
        { "transparent copy", TRANSPARENT, R2_COPYPEN, false, 0 },
        { "opaque copy", OPAQUE, R2_COPYPEN, false, 0 },
        { "xor", TRANSPARENT, R2_XORPEN, false, 0 },
        { "clipped at odd offsets", OPAQUE, R2_COPYPEN, true, 0 },
        { "viewport moved by an odd offset", OPAQUE, R2_COPYPEN, false, 3 },
        { "viewport moved by an even offset", TRANSPARENT, R2_COPYPEN, true, -4 },
    };
    const COLORREF background = RGB(10, 20, 30);
    for (const Mode& mode : modes) {
        for (const Case& c : cases) {
            OffscreenCanvas drawn(32, 28, background);
            OffscreenCanvas expected(32, 28, background);
            for (OffscreenCanvas* canvas : { &drawn, &expected }) {
                ::SetBkMode(canvas->Dc(), mode.bkMode);
                ::SetBkColor(canvas->Dc(), kBlue);
                ::SetViewportOrgEx(canvas->Dc(), mode.originX, 0, nullptr);
                if (mode.clipped) {
                    ::ExcludeClipRect(canvas->Dc(), 7, 0, 10, 28);
                    ::ExcludeClipRect(canvas->Dc(), 0, 11, 32, 14);
                }
            }
            ::SetROP2(drawn.Dc(), mode.rop);
            ::SetBrushOrgEx(drawn.Dc(), 5, 6, nullptr);
            SelectionGuard guard(drawn.Dc());
            const int oldBkMode = ::GetBkMode(drawn.Dc());
            DrawDottedLine(drawn.Dc(), 1, kRed, c.x1, c.y1, c.x2, c.y2);
            guard.Check();
            EXPECT_EQ(::GetBkMode(drawn.Dc()), oldBkMode);
            POINT brushOrigin {};
            ::GetBrushOrgEx(drawn.Dc(), &brushOrigin);
            EXPECT_EQ(5, brushOrigin.x);
            EXPECT_EQ(6, brushOrigin.y);
            ForEachDottedSegment(c.x1, c.y1, c.x2, c.y2, [&](const DotSegment& dot) {
                if (!::PtVisible(expected.Dc(), dot.x, dot.y))
                    return;
                // No dot is lit twice: under XOR each one mixes with the background.
                ::SetPixelV(expected.Dc(), dot.x, dot.y, mode.rop == R2_XORPEN ? (background ^ kRed) : kRed);
            });
            for (int y = 0; y < 28; ++y)
                for (int x = 0; x < 32; ++x)
                    ASSERT_EQ(expected.Pixel(x, y), drawn.Pixel(x, y))
                        << mode.name << ", " << c.name << " at " << x << "," << y;
        }
    }
}

TEST(ChartDraw, LinesEndOnePixelShort)
{
    OffscreenCanvas canvas(20, 20);
    SelectionGuard guard(canvas.Dc());
    DrawPenLine(canvas.Dc(), 1, kRed, 2, 3, 12, 3);
    EXPECT_EQ(CountInRow(canvas, 3, kRed, 0, 20), 10);
    EXPECT_EQ(canvas.Pixel(12, 3), kBlack);

    HPEN pen = ::CreatePen(PS_SOLID, 1, kGreen);
    DrawLineWithPen(canvas.Dc(), pen, 5, 5, 5, 15);
    EXPECT_EQ(canvas.CountPixels(kGreen), 10);
    canvas.Fill(kBlack);
    DrawVLineWithTick(canvas.Dc(), 4, 9, 2, 12, 7, pen);
    guard.Check();
    EXPECT_EQ(canvas.CountPixels(kGreen, RECT { 4, 0, 5, 20 }), 10); // x 4, y 2-11
    EXPECT_EQ(canvas.CountPixels(kGreen, RECT { 5, 7, 20, 8 }), 4); // tick x 5-8 at y 7
    ::DeleteObject(pen);
}

TEST(ChartDraw, HollowAndFilledCandles)
{
    HPEN wick = ::CreatePen(PS_SOLID, 1, kBlue);
    const RECT body = { 10, 20, 21, 40 };

    OffscreenCanvas hollow(40, 60);
    SelectionGuard guard(hollow.Dc());
    DrawCandle(hollow.Dc(), 15, 5, 55, body, kRed, wick, true);
    guard.Check();
    EXPECT_EQ(hollow.Pixel(10, 30), kRed); // frame
    EXPECT_EQ(hollow.Pixel(20, 30), kRed);
    EXPECT_EQ(hollow.Pixel(12, 30), kBlack); // open inside
    EXPECT_EQ(hollow.CountPixels(kRed, body), 2 * 11 + 2 * 18);
    EXPECT_EQ(hollow.Pixel(15, 5), kBlue); // upper wick from the high
    EXPECT_EQ(hollow.Pixel(15, 19), kBlue);
    EXPECT_EQ(hollow.Pixel(15, 40), kBlue); // lower wick from the bottom
    EXPECT_EQ(hollow.Pixel(15, 54), kBlue);
    EXPECT_EQ(hollow.Pixel(15, 55), kBlack);

    OffscreenCanvas filled(40, 60);
    DrawCandle(filled.Dc(), 15, 5, 55, body, kGreen, wick, false);
    EXPECT_EQ(filled.CountPixels(kGreen, body), 11 * 20);
    EXPECT_EQ(filled.Pixel(15, 4), kBlack);
    ::DeleteObject(wick);
}

TEST(ChartDraw, ValueAxisGridLines)
{
    // 10.0-11.0 on 300 usable pixels: lines at y = 312 - 30k for k = 1..9.
    OffscreenCanvas canvas(300, 330);
    SelectionGuard guard(canvas.Dc());
    const RECT rect = { 60, 0, 260, 320 };
    const COLORREF axis = ChartColors::Axis;
    ASSERT_EQ(DrawValueAxis(canvas.Dc(), rect, 12, 8, 10.0, 11.0, 2), 1);
    guard.Check();
    // Frame.
    EXPECT_EQ(canvas.CountPixels(axis, RECT { 60, 0, 61, 320 }), 320);
    EXPECT_EQ(canvas.CountPixels(axis, RECT { 259, 0, 260, 320 }), 320);
    EXPECT_EQ(canvas.Pixel(150, 319), axis);
    // Dotted top line and grid lines: every second pixel between the frame sides.
    const int inside = CountInRow(canvas, 12, axis, 62, 258);
    EXPECT_NEAR(inside, 98, 1);
    for (int k = 1; k <= 9; ++k)
        EXPECT_NEAR(CountInRow(canvas, 312 - 30 * k, axis, 62, 258), 98, 1) << k;
    // No line at 10.0 or 11.0, nor between the grid lines.
    EXPECT_EQ(CountInRow(canvas, 312, axis, 62, 258), 0);
    EXPECT_EQ(CountInRow(canvas, 297, axis, 62, 258), 0);
    if (HasFailure())
        canvas.SavePng("value_axis");
}

// A pane just filled may say so: its grid is then copied, dots and gaps, and
// must come out as drawn over the fill.
TEST(ChartDraw, ValueAxisOverAKnownFillEqualsTheAxisDrawnOverIt)
{
    struct Case
    {
        const char* name;
        RECT rect;
        int topMargin;
        int bottomMargin;
        double minimum;
        double maximum;
    };
    const Case cases[] = {
        { "even width", { 60, 3, 260, 320 }, 12, 8, 10.0, 11.0 },
        { "odd width, odd left", { 61, 3, 260, 320 }, 17, 14, 9.9, 12.0 },
        { "top line on the frame", { 40, 10, 181, 200 }, 0, 0, 0.0, 75.0 },
        { "lines down to the bottom frame", { 40, 10, 180, 210 }, 5, 0, -3.0, 3.0 },
        { "two pixels wide", { 100, 5, 102, 300 }, 12, 8, 10.0, 11.0 },
        { "one pixel wide", { 100, 5, 101, 300 }, 12, 8, 10.0, 11.0 },
        { "left of the canvas", { -31, 20, 150, 300 }, 17, 14, 1.5, 4.5 },
    };
    struct Mode
    {
        const char* name;
        int originX; // of the viewport
        bool clipped;
    };
    const Mode modes[] = {
        { "plain", 0, false },
        { "viewport moved by an odd offset", 3, false },
        { "clipped across the rows", -2, true },
    };
    const COLORREF fill = RGB(8, 8, 8);
    for (const Mode& mode : modes) {
        for (const Case& c : cases) {
            OffscreenCanvas known(300, 330, kBlue);
            OffscreenCanvas unknown(300, 330, kBlue);
            for (OffscreenCanvas* canvas : { &known, &unknown }) {
                ::SetViewportOrgEx(canvas->Dc(), mode.originX, 0, nullptr);
                HBRUSH brush = ::CreateSolidBrush(fill);
                ::FillRect(canvas->Dc(), &c.rect, brush);
                ::DeleteObject(brush);
                if (mode.clipped)
                    ::ExcludeClipRect(canvas->Dc(), 120, 0, 131, 330);
            }
            SelectionGuard guard(known.Dc());
            const int drawn = DrawValueAxis(
                known.Dc(), c.rect, c.topMargin, c.bottomMargin, c.minimum, c.maximum, 2, nullptr, fill);
            guard.Check();
            POINT brushOrigin {};
            ::GetBrushOrgEx(known.Dc(), &brushOrigin);
            EXPECT_EQ(0, brushOrigin.x);
            EXPECT_EQ(drawn, DrawValueAxis(unknown.Dc(), c.rect, c.topMargin, c.bottomMargin, c.minimum, c.maximum, 2));
            EXPECT_EQ(1, drawn) << mode.name << ", " << c.name;
            std::string where;
            EXPECT_TRUE(SamePixels(known, unknown, RECT { 0, 0, 300, 330 }, &where))
                << mode.name << ", " << c.name << ": first difference at " << where;
        }
    }
}

namespace {

// Lit pixels (not the background) inside and outside an area.
void CountLit(const OffscreenCanvas& canvas, COLORREF background, const RECT& area, int& inside, int& outside)
{
    inside = outside = 0;
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            if (canvas.Pixel(x, y) == background)
                continue;
            const POINT p = { x, y };
            ++(::PtInRect(&area, p) ? inside : outside);
        }
    }
}

}

TEST(ChartDraw, AxisValueEndsTwoPixelsLeftOfXWithItsTopSevenAbove)
{
    OffscreenCanvas canvas(200, 60);
    SelectionGuard guard(canvas.Dc());
    ::SetBkMode(canvas.Dc(), TRANSPARENT);
    DrawAxisValue(canvas.Dc(), kRed, 150, 30, 1234.56, 1);
    guard.Check();

    // The text's box, measured in the font the value is drawn in.
    HGDIOBJ old = ::SelectObject(canvas.Dc(), GdiObjectCache::Instance()->GetFont(12, "宋体", 400));
    SIZE size = {};
    ::GetTextExtentPoint32A(canvas.Dc(), "1234.6", 6, &size);
    ::SelectObject(canvas.Dc(), old);
    const RECT box = { 150 - 2 - size.cx, 30 - 7, 150 - 2, 30 - 7 + size.cy };
    int inside = 0, outside = 0;
    CountLit(canvas, kBlack, box, inside, outside);
    EXPECT_GT(inside, 0);
    EXPECT_EQ(outside, 0);
    if (HasFailure())
        canvas.SavePng("axis_value");
}

TEST(ChartDraw, ANegativeAxisValueShowsItsMinusSign)
{
    // "-0.14" and "0.14" end at the same place: the minus sign is what the
    // first lights left of where the second starts.
    const auto leftmost = [](double value) {
        OffscreenCanvas canvas(200, 60);
        ::SetBkMode(canvas.Dc(), TRANSPARENT);
        DrawAxisValue(canvas.Dc(), kRed, 150, 30, value, 2);
        for (int x = 0; x < 200; ++x) {
            for (int y = 0; y < 60; ++y) {
                if (canvas.Pixel(x, y) != kBlack)
                    return x;
            }
        }
        return 200;
    };
    const int digits = leftmost(0.14);
    ASSERT_LT(digits, 150);
    EXPECT_LT(leftmost(-0.14), digits - 1) << "the minus sign has pixels";
}

TEST(ChartDraw, EveryCharacterOfTheProgramsNumbersAndDatesHasPixels)
{
    // The axes, data windows, legends and lists draw numbers, dates and times
    // in these faces and sizes.
    const struct
    {
        const char* face;
        int height;
        int weight;
    } fonts[] = { { "宋体", 12, 400 }, { "宋体", 12, 700 }, { "宋体", 14, 400 }, { "宋体", 14, 700 },
        { "黑体", 12, 400 }, { "Arial", 12, 400 }, { "Arial", 14, 700 } };
    for (const auto& font : fonts) {
        for (const char* c = "0123456789-+.:%/()"; *c; ++c) {
            SCOPED_TRACE(std::string(1, *c) + " in " + font.face + " " + std::to_string(font.height) + "/"
                + std::to_string(font.weight));
            OffscreenCanvas canvas(40, 40);
            ::SetBkMode(canvas.Dc(), TRANSPARENT);
            ::SetTextColor(canvas.Dc(), kRed);
            HGDIOBJ old = ::SelectObject(canvas.Dc(), GdiObjectCache::Instance()->GetFont(font.height, font.face, font.weight));
            ::TextOutA(canvas.Dc(), 10, 10, c, 1);
            ::SelectObject(canvas.Dc(), old);
            EXPECT_GT(canvas.CountPixelsNot(kBlack), 0);
        }
    }
}

TEST(ChartDraw, ValueAxisLabelsStandLeftOfTheAxisAtTheirLines)
{
    OffscreenCanvas canvas(300, 330);
    const RECT rect = { 60, 0, 260, 320 };
    ::SetBkMode(canvas.Dc(), TRANSPARENT);
    ASSERT_EQ(DrawValueAxis(canvas.Dc(), rect, 12, 8, 10.0, 11.0, 2), 1);
    // Lines at y = 312 - 30k; each label's top is 7 px above its line.
    for (int k = 1; k <= 9; ++k) {
        const int y = 312 - 30 * k;
        EXPECT_GT(canvas.CountPixels(ChartColors::AxisLabel, RECT { 0, y - 7, 58, y + 9 }), 0) << k;
    }
    // Nothing of a label right of x - 2, above the highest or below the lowest.
    EXPECT_EQ(canvas.CountPixels(ChartColors::AxisLabel, RECT { 58, 0, 300, 330 }), 0);
    EXPECT_EQ(canvas.CountPixels(ChartColors::AxisLabel, RECT { 0, 0, 58, 35 }), 0);
    EXPECT_EQ(canvas.CountPixels(ChartColors::AxisLabel, RECT { 0, 300, 58, 330 }), 0);
}

TEST(ChartDraw, ValueAxisWithoutAStepOrRange)
{
    OffscreenCanvas canvas(100, 100);
    const RECT rect = { 10, 0, 90, 100 };
    EXPECT_EQ(DrawValueAxis(canvas.Dc(), rect, 0, 0, 0, 2e9, 2), 0);
    EXPECT_EQ(canvas.CountPixelsNot(kBlack), 0);

    // Zero range: frame and top line, no grid line, and it ends.
    EXPECT_EQ(DrawValueAxis(canvas.Dc(), rect, 10, 0, 5.0, 5.0, 2), 1);
    EXPECT_EQ(canvas.CountPixels(ChartColors::Axis, RECT { 10, 0, 11, 100 }), 100);
    EXPECT_NEAR(CountInRow(canvas, 10, ChartColors::Axis, 12, 88), 38, 1);
    int gridRows = 0;
    for (int y = 11; y < 99; ++y)
        gridRows += CountInRow(canvas, y, ChartColors::Axis, 12, 88) > 0;
    EXPECT_EQ(gridRows, 0);
}

TEST(ChartDraw, AxisLabelsDrawNothingWithoutRoom)
{
    OffscreenCanvas canvas(100, 100, RGB(0, 0, 0));
    ::SetBkMode(canvas.Dc(), TRANSPARENT);
    DrawAxisLabels(canvas.Dc(), kRed, 0, 90, 10, 90, 0, 8, true, true, 1);
    DrawAxisLabels(canvas.Dc(), kRed, 4, 90, 90, 90, 0, 8, true, true, 1);
    EXPECT_EQ(canvas.CountPixelsNot(kBlack), 0);
    // With room, something is drawn, all of it left of x.
    DrawAxisLabels(canvas.Dc(), kRed, 4, 90, 10, 90, 0, 8, true, true, 1);
    EXPECT_GT(canvas.CountPixelsNot(kBlack), 0);
    EXPECT_EQ(canvas.CountPixels(kBlack, RECT { 90, 0, 100, 100 }), 10 * 100);
}

TEST(ChartDraw, BoxedTextFramesAndFillsItsBox)
{
    OffscreenCanvas canvas(200, 60);
    SelectionGuard guard(canvas.Dc());
    HFONT font = GdiObjectCache::Instance()->GetFont(12, "宋体", 400);
    HGDIOBJ oldFont = ::SelectObject(canvas.Dc(), font);
    RECT measure = { 0, 0, 300, 100 };
    ::DrawTextW(canvas.Dc(), L"12.34", 5, &measure, DT_CALCRECT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    const int width = measure.right - measure.left;

    RECT rect = { 5, 5, 150, 40 };
    const RECT bound = { 10, 0, 190, 30 };
    EXPECT_EQ(DrawBoxedText(canvas.Dc(), rect, "12.34", kRed, kBlue, kGreen, &bound), 1);
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.top, 5);
    EXPECT_EQ(rect.right, 10 + width + 2);
    EXPECT_EQ(rect.bottom, 30);
    EXPECT_EQ(canvas.Pixel(10, 5), kRed);
    EXPECT_EQ(canvas.Pixel(rect.right - 1, 29), kRed);
    EXPECT_EQ(canvas.Pixel(rect.right, 29), kBlack);
    EXPECT_EQ(canvas.Pixel(11, 6), kGreen); // the back colour inside the frame
    EXPECT_EQ(canvas.Pixel(rect.right - 2, 28), kGreen);
    EXPECT_EQ(canvas.Pixel(9, 5), kBlack);
    ::SelectObject(canvas.Dc(), oldFont);
    guard.Check();
}

TEST(ChartDraw, EllipsesAndCross)
{
    OffscreenCanvas canvas(100, 40);
    SelectionGuard guard(canvas.Dc());
    FillEllipse(canvas.Dc(), RECT { 0, 0, 30, 30 }, kRed);
    DrawEllipse(canvas.Dc(), RECT { 35, 0, 65, 30 }, 1, kGreen);
    DrawCross(canvas.Dc(), RECT { 70, 0, 90, 20 }, 1, kBlue);
    guard.Check();
    EXPECT_EQ(canvas.Pixel(15, 15), kRed);
    EXPECT_EQ(canvas.Pixel(1, 1), kBlack); // outside the circle
    EXPECT_EQ(canvas.CountPixels(kGreen, RECT { 0, 0, 30, 40 }), 0); // no outline on the filled one
    EXPECT_EQ(canvas.Pixel(50, 15), kBlack); // hollow
    EXPECT_EQ(canvas.Pixel(35, 15), kGreen); // its left edge
    EXPECT_GT(canvas.CountPixels(kGreen), 60);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(canvas.Pixel(70 + i, i), kBlue) << i;
        EXPECT_EQ(canvas.Pixel(70 + i, 20 - i), kBlue) << i;
    }
}

TEST(ChartDraw, PieSectorsCounterClockwiseFromThreeOClock)
{
    OffscreenCanvas canvas(120, 120, RGB(255, 255, 255));
    SelectionGuard guard(canvas.Dc());
    const RECT rect = { 10, 10, 111, 111 };
    EXPECT_EQ(DrawPieChart(canvas.Dc(), rect, { { 25, kRed }, { 75, kBlue } }), 1);
    guard.Check();
    if (HasFailure())
        canvas.SavePng("pie");
    // Centre (60, 60), radius 50; sample 30 px out, away from the edges.
    auto at = [&](double degrees) {
        const double r = degrees * 3.14159265358979 / 180;
        return canvas.Pixel(60 + static_cast<int>(std::lround(30 * std::cos(r))),
            60 - static_cast<int>(std::lround(30 * std::sin(r))));
    };
    EXPECT_EQ(at(45), kRed);
    EXPECT_EQ(at(80), kRed);
    EXPECT_EQ(at(100), kBlue);
    EXPECT_EQ(at(180), kBlue);
    EXPECT_EQ(at(270), kBlue);
    EXPECT_EQ(at(350), kBlue);
    EXPECT_EQ(canvas.Pixel(12, 12), RGB(255, 255, 255)); // outside the circle
}
