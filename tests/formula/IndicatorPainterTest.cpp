// The indicator painter: its attribute words, colours and bar geometry as
// logic tables, and its drawers probed pixel by pixel in a 32-bit DIB (lines,
// fills and geometry; text only against the same text written by hand where
// it belongs, never against glyph pixels of its own).
#include "formula/IndicatorPainter.h"
#include "formula/PriceSeriesSource.h"
#include "tests/formula/SeriesTestStore.h"
#include "tests/support/OffscreenCanvas.h"
#include "tests/support/SeriesFixtures.h"
#include "tests/support/TempDataRoot.h"

#include "base/ChartColors.h"
#include "base/GdiObjectCache.h"
#include "base/PngFile.h"
#include "data/Stock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

const float I = kInvalidValue;
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kWhite = RGB(255, 255, 255);

VARIANT Number(double number)
{
    VARIANT value;
    std::memset(&value, 0, sizeof value);
    WriteScalar(value, number);
    return value;
}

FormulaValueList Values(const std::vector<VARIANT>& values)
{
    FormulaValueList list;
    for (const VARIANT& value : values)
        list.emplace_back(value);
    return list;
}

FormulaStatement Output(const std::wstring& name, const std::wstring& function = L"DRAWBASELINE")
{
    FormulaStatement statement;
    statement.name = name;
    statement.function = function;
    return statement;
}

// A pane of 200 x 121 with a title row of 20: the plotting area is 100 px high
// and a value v of the range 0..100 lands at row 120 - v.
struct Pane
{
    Pane()
        : canvas(200, 121)
    {
        painter.SetTarget(canvas.Dc(), RECT { 0, 0, 200, 121 });
        painter.SetSeriesStore(&store);
        painter.SetBarWidth(10);
        painter.SetColor(kWhite);
    }
    OffscreenCanvas canvas;
    IndicatorPainter painter;
    SeriesTestStore store;
};

int CountInColumn(const OffscreenCanvas& canvas, int x, COLORREF colour)
{
    return canvas.CountPixels(colour, RECT { x, 0, x + 1, canvas.Height() });
}

}

TEST(IndicatorPainter, AttributeWordsSetColourWidthAndStyle)
{
    struct Case
    {
        std::vector<std::wstring> words;
        COLORREF colour;
        int width;
        int style;
    };
    const COLORREF kFirstDefault = 0xFFFFFF; // a line without a colour word
    const Case cases[] = {
        { { L"COLOR00FF00" }, 0x00FF00, 1, 0 },
        { { L"COLORFF0000" }, 0x0000FF, 1, 0 }, // RRGGBB read into 0x00BBGGRR
        { { L"COLORSTICK" }, kFirstDefault, 1, 5 }, // contains STICK: a style
        { { L"COLORLIGREEN" }, 0x90EE90, 1, 0 }, { { L"COLORGREEN" }, 0x00FF00, 1, 0 },
        { { L"COLORLIRED" }, 0x0033FF, 1, 0 }, { { L"COLORBROWN" }, 0x000000, 1, 0 },
        { { L"COLORYELLOW" }, 0x00FFFF, 1, 0 },
        { { L"COLOR12" }, 0x000012, 1, 0 }, // digits past the word's end count 0
        { { L"COLORZZ00FF" }, 0xFF0000, 1, 0 }, // a non-digit counts 0
        { { L"LINETHICK3" }, kFirstDefault, 3, 0 }, { { L"LINETHICK" }, kFirstDefault, 1, 0 },
        { { L"LINETHICK0" }, kFirstDefault, 1, 0 },
        { { L"LINETHICK99999999999" }, kFirstDefault, IndicatorPainter::kMaxLineWidth, 0 },
        { { L"POINTDOT" }, kFirstDefault, 2, 1 }, { { L"CIRCLEDOT" }, kFirstDefault, 4, 2 },
        { { L"CROSSDOT" }, kFirstDefault, 1, 3 }, { { L"VOLSTICK" }, kFirstDefault, 1, 6 },
        { { L"LINESTICK" }, kFirstDefault, 1, 7 }, { { L"STICK" }, kFirstDefault, 1, 4 },
        { { L"NODRAW" }, kFirstDefault, 1, 0 },
        { { L"COLORRED", L"LINETHICK2", L"CROSSDOT" }, 0x0000FF, 2, 3 },
        { { L"colorred" }, kFirstDefault, 1, 0 }, // case-sensitive
    };
    for (const Case& c : cases) {
        IndicatorPainter painter;
        painter.ApplyAttributes(c.words);
        const std::wstring words = c.words.front();
        EXPECT_EQ(c.colour, painter.GetColor()) << std::string(words.begin(), words.end());
        EXPECT_EQ(c.width, painter.GetLineWidth()) << std::string(words.begin(), words.end());
        EXPECT_EQ(c.style, painter.GetStyle()) << std::string(words.begin(), words.end());
        EXPECT_EQ(1, painter.GetDefaultColorCounter());
    }
}

TEST(IndicatorPainter, DefaultColoursCycleAndAGivenColourStillAdvances)
{
    IndicatorPainter painter;
    EXPECT_EQ(0xFF00FFu, painter.GetColor());
    const COLORREF expected[] = { 0xFFFFFF, 0x00FFFF, 0xFF00FF, 0x00FF00, 0xFF0000, 0xFFFF00, 0x0000FF,
        0x0000FF /* the eighth keeps the seventh's red */, 0xFFFFFF };
    for (size_t line = 0; line < sizeof expected / sizeof expected[0]; ++line) {
        painter.ApplyAttributes({});
        EXPECT_EQ(expected[line], painter.GetColor()) << "line " << line + 1;
    }

    painter.ResetCounters();
    painter.ApplyAttributes({});
    EXPECT_EQ(0xFFFFFFu, painter.GetColor());
    painter.ApplyAttributes({ L"COLORBLUE" });
    EXPECT_EQ(0xFF0000u, painter.GetColor());
    painter.ApplyAttributes({});
    EXPECT_EQ(0xFF00FFu, painter.GetColor()); // the third default, not the second
    EXPECT_EQ(1, painter.GetColorAttributeCounter());
    painter.ApplyAttributes({ L"POINTDOT" });
    painter.ResetCounters();
    EXPECT_EQ(0, painter.GetStyle());
    EXPECT_EQ(0, painter.GetDefaultColorCounter());
    EXPECT_EQ(0x00FF00u, painter.GetColor()); // the colour is not reset
}

TEST(IndicatorPainter, BarWidthLadderAndBodies)
{
    IndicatorPainter painter;
    painter.SetBarWidth(8);
    const struct
    {
        int width;
        bool zoomIn;
        int result;
    } steps[] = { { 43, true, 43 }, { 1, false, 1 }, { 2, false, 1 }, { 1, true, 2 }, { 6, true, 7 },
        { 7, true, 9 }, { 39, false, 35 }, { 39, true, 43 }, { 8, true, 8 }, { 0, false, 8 } };
    for (const auto& step : steps) {
        EXPECT_EQ(step.result, painter.StepBarWidth(step.width, step.zoomIn)) << step.width << step.zoomIn;
        EXPECT_EQ(step.result, painter.GetBarWidth());
    }

    const int bodies[][2] = { { 1, 1 }, { 2, 1 }, { 4, 3 }, { 5, 3 }, { 6, 5 }, { 7, 5 }, { 9, 7 }, { 10, 7 },
        { 13, 11 }, { 15, 11 }, { 17, 15 }, { 19, 15 }, { 21, 19 }, { 23, 19 }, { 25, 23 }, { 27, 23 },
        { 29, 25 }, { 31, 25 }, { 33, 29 }, { 35, 29 }, { 39, 35 }, { 43, 35 }, { 3, 3 }, { 50, 3 } };
    for (const auto& body : bodies) {
        painter.SetBarWidth(body[0]);
        int left = 0, right = 0;
        painter.GetBarBody(100, left, right);
        EXPECT_EQ(100, left);
        EXPECT_EQ(100 + body[1], right) << "width " << body[0];
    }
}

TEST(IndicatorPainter, LegendShowsTheElementAtTheOffset)
{
    SeriesTestStore store;
    std::vector<float> elements(120, 1.0f);
    elements[105] = 3.14159f;
    elements[106] = I;
    const VARIANT series = store.Make(elements);
    EXPECT_FLOAT_EQ(3.14159f, IndicatorPainter::LegendValue(series, &store, 100, 10, 5));
    EXPECT_EQ(I, IndicatorPainter::LegendValue(series, &store, 100, 10, 6));
    EXPECT_EQ(0.0f, IndicatorPainter::LegendValue(series, &store, 100, 10, 10)); // at the bar count
    EXPECT_EQ(I, IndicatorPainter::LegendValue(series, &store, 115, 10, 9)); // past the series: no read
    EXPECT_EQ(I, IndicatorPainter::LegendValue(series, nullptr, 100, 10, 5)); // nobody vouches for it

    VARIANT integer;
    std::memset(&integer, 0, sizeof integer);
    WriteInteger(integer, 7);
    EXPECT_EQ(7.0f, IndicatorPainter::LegendValue(integer, &store, 0, 1, 0));
    EXPECT_FLOAT_EQ(2.5f, IndicatorPainter::LegendValue(Number(2.5), &store, 0, 1, 0));

    const struct
    {
        float value;
        const wchar_t* text;
    } texts[]
        = { { 12.345f, L"DIF:12.35" }, { I, L"DIF:-" }, { 0.0f, L"DIF:0.00" }, { -0.5f, L"DIF:-0.50" } };
    for (const auto& t : texts)
        EXPECT_EQ(std::wstring(t.text), IndicatorPainter::LegendText(L"DIF", t.value));
}

TEST(IndicatorPainter, MappingGuardsAZeroSpanAndFarValues)
{
    IndicatorPainter painter;
    painter.SetTarget(nullptr, RECT { 0, 0, 200, 121 });
    EXPECT_EQ(69, painter.AxisY(50, 0, 100)); // 121 - 50 - 2
    EXPECT_EQ(70, painter.BandY(50, 0, 100));
    EXPECT_EQ(120, painter.BandY(0, 0, 100));
    EXPECT_EQ(20, painter.BandY(100, 0, 100));
    EXPECT_EQ(120, painter.BandY(0, 0, 0)); // a zero span: no division
    EXPECT_EQ(120, painter.BandY(5, 5, 5));
    const int distant = painter.BandY(3e38f, 0, 1e-30f);
    EXPECT_LT(distant, -100000);
    EXPECT_GT(distant, -(1 << 22));
    EXPECT_GT(painter.BandY(-3e38f, 0, 1e-30f), 100000);
}

TEST(IndicatorPainter, AxisLineHalfwayUpForFiftyOfZeroToHundred)
{
    Pane pane;
    EXPECT_TRUE(pane.painter.DrawAxisLine(50, 0, 100));
    EXPECT_EQ(200, pane.canvas.CountPixels(kWhite, RECT { 0, 69, 200, 70 }));
    EXPECT_EQ(200, pane.canvas.CountPixels(kWhite));
    EXPECT_FALSE(pane.painter.DrawAxisLine(101, 0, 100));
    EXPECT_FALSE(pane.painter.DrawAxisLine(-1, 0, 100));
    EXPECT_EQ(200, pane.canvas.CountPixels(kWhite));
    pane.canvas.SavePng("painter-axis");
}

TEST(IndicatorPainter, SeriesLineLiftsThePenAcrossAnInvalidGap)
{
    Pane pane;
    // Bars 0-1 and 4-5 have values; bars 2-3 are a gap, and bar 6 lies below the range.
    const VARIANT series = pane.store.Make({ 10, 20, I, I, 20, 10, -5 });
    const FormulaStatement line = Output(L"LINE");
    EXPECT_TRUE(pane.painter.DrawSeriesLine(line, Values({ series }), 0, 7, 0, 100));
    pane.canvas.SavePng("painter-gap");
    // Points at the bar centres x = 5, 15, 45, 55.
    EXPECT_GT(CountInColumn(pane.canvas, 10, kWhite), 0);
    EXPECT_GT(CountInColumn(pane.canvas, 50, kWhite), 0);
    for (int x = 16; x < 45; ++x)
        EXPECT_EQ(0, CountInColumn(pane.canvas, x, kWhite)) << x;
    for (int x = 56; x < 200; ++x)
        EXPECT_EQ(0, CountInColumn(pane.canvas, x, kWhite)) << x;
    EXPECT_EQ(kWhite, pane.canvas.Pixel(5, 110)); // 10 of 0..100
    EXPECT_EQ(0, pane.painter.GetStyle());

    // The first visible bar shifts the series; elements past its end are gaps.
    Pane shifted;
    const VARIANT same = shifted.store.Make({ 10, 20, I, I, 20, 10, -5 });
    EXPECT_TRUE(shifted.painter.DrawSeriesLine(line, Values({ same }), 4, 10, 0, 100));
    EXPECT_EQ(kWhite, shifted.canvas.Pixel(5, 100));
    EXPECT_EQ(0, CountInColumn(shifted.canvas, 20, kWhite));

    EXPECT_FALSE(shifted.painter.DrawSeriesLine(line, FormulaValueList(), 0, 7, 0, 100));

    // A marked value that is no series of the painter's store is not read.
    Pane foreign;
    EXPECT_TRUE(foreign.painter.DrawSeriesLine(line, Values({ series }), 0, 7, 0, 100));
    EXPECT_EQ(0, foreign.canvas.CountPixelsNot(kBlack));
}

// Lines are drawn a run at a time and sticks a colour at a time; the picture
// must be the one the strokes make one by one, at every bar width.
TEST(IndicatorPainter, LinesAndSticksLightWhatTheirStrokesLight)
{
    const std::vector<float> values = { 10, 95, 40, I, 60, 60, 5, -20, 80, 30, 0, 100, I, I, 50, 55 };
    const int kCount = static_cast<int>(values.size());
    for (int width : { 1, 2, 4, 10 }) {
        for (bool sticks : { false, true }) {
            SCOPED_TRACE(testing::Message() << "width " << width << (sticks ? ", MACD sticks" : ", line"));
            Pane pane;
            pane.painter.SetBarWidth(width);
            if (sticks)
                pane.painter.ApplyAttributes({ L"COLORSTICK" });
            const VARIANT series = pane.store.Make(values);
            EXPECT_TRUE(pane.painter.DrawSeriesLine(
                Output(sticks ? L"MACD" : L"LINE"), Values({ series }), 0, kCount, -50, 100));

            OffscreenCanvas expected(200, 121);
            HDC dc = expected.Dc();
            bool penDown = false;
            POINT previous {};
            for (int i = 0; i < kCount; ++i) {
                if (values[i] == I || values[i] < -50) {
                    penDown = false;
                    continue;
                }
                const int y = pane.painter.BandY(values[i], -50, 100);
                int left = 0, right = 0;
                pane.painter.GetBarBody(i * width, left, right);
                const int x = sticks ? (left + right) / 2 : i * width + width / 2;
                HPEN pen = ::CreatePen(PS_SOLID, 1, sticks ? (values[i] < 0 ? 0x00FF00 : 0x0000FF) : kWhite);
                HGDIOBJ old = ::SelectObject(dc, pen);
                if (sticks) {
                    // From the zero line of the range -50..100.
                    ::MoveToEx(dc, x, pane.painter.BandY(0, -50, 100), nullptr);
                    ::LineTo(dc, x, y);
                } else if (penDown) {
                    ::MoveToEx(dc, previous.x, previous.y, nullptr);
                    ::LineTo(dc, x, y);
                }
                ::SelectObject(dc, old);
                ::DeleteObject(pen);
                penDown = true;
                previous = POINT { x, y };
            }
            for (int y = 0; y < 121; ++y)
                for (int x = 0; x < 200; ++x)
                    ASSERT_EQ(expected.Pixel(x, y), pane.canvas.Pixel(x, y)) << x << "," << y;
        }
    }
}

TEST(IndicatorPainter, ConstantZeroOverAZeroRangeDrawsAFlatLine)
{
    Pane pane;
    EXPECT_TRUE(pane.painter.DrawSeriesLine(Output(L"ZERO"), Values({ Number(0) }), 0, 10, 0, 0));
    EXPECT_EQ(100, pane.canvas.CountPixels(kWhite, RECT { 0, 120, 200, 121 })); // 10 bars of 10 px
    EXPECT_EQ(100, pane.canvas.CountPixels(kWhite));

    Pane invalid;
    EXPECT_TRUE(invalid.painter.DrawSeriesLine(Output(L"NONE"), Values({ Number(I) }), 0, 10, 0, 0));
    const VARIANT constant = invalid.store.Make({ 0, 0, 0 });
    EXPECT_TRUE(invalid.painter.DrawSeriesLine(Output(L"ZEROS"), Values({ constant }), 0, 3, 0, 0));
    EXPECT_EQ(0, invalid.canvas.CountPixels(kWhite, RECT { 0, 0, 200, 120 }));
}

TEST(IndicatorPainter, MacdSticksAreGreenBelowZeroAndRedAbove)
{
    Pane pane;
    const VARIANT histogram = pane.store.Make({ -40, 40, -20 });
    pane.painter.ApplyAttributes({ L"COLORSTICK" });
    EXPECT_TRUE(pane.painter.DrawSeriesLine(Output(L"MACD"), Values({ histogram }), 0, 3, -50, 50));
    pane.canvas.SavePng("painter-macd");
    const COLORREF green = 0x00FF00;
    const COLORREF red = 0x0000FF;
    // Sticks in the middle of each body (width 10: body 7, middle x + 3).
    EXPECT_GT(CountInColumn(pane.canvas, 3, green), 0);
    EXPECT_EQ(0, CountInColumn(pane.canvas, 3, red));
    EXPECT_GT(CountInColumn(pane.canvas, 13, red), 0);
    EXPECT_EQ(0, CountInColumn(pane.canvas, 13, green));
    EXPECT_GT(CountInColumn(pane.canvas, 23, green), 0);

    // Another name keeps the line's colour.
    Pane other;
    const VARIANT oscillator = other.store.Make({ -40, 40, -20 });
    other.painter.ApplyAttributes({ L"COLORSTICK", L"COLORYELLOW" });
    EXPECT_TRUE(other.painter.DrawSeriesLine(Output(L"OSC"), Values({ oscillator }), 0, 3, -50, 50));
    EXPECT_GT(CountInColumn(other.canvas, 3, 0x00FFFF), 0);
    EXPECT_EQ(0, other.canvas.CountPixels(green));
}

TEST(IndicatorPainter, SignedSticksStandOnTheZeroLineOrTheEdgeNearestZero)
{
    // The plot spans rows 20..120; a stick is lit from its base to its value.
    struct Case
    {
        const char* name;
        float minimum;
        float maximum;
        float value;
        int baseRow;
        int valueRow;
    } cases[] = {
        { "up from zero", -50, 50, 40, 70, 30 },
        { "down from zero", -50, 50, -40, 70, 110 },
        { "a positive range stands on the bottom", 10, 100, 60, 120, 65 },
        { "a negative range hangs from the top", -100, -10, -40, 20, 54 },
    };
    for (const wchar_t* style : { L"STICK", L"COLORSTICK" }) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            Pane pane;
            pane.painter.ApplyAttributes({ style });
            EXPECT_TRUE(pane.painter.DrawSeriesLine(
                Output(L"OSC"), Values({ pane.store.Make({ c.value }) }), 0, 1, c.minimum, c.maximum));
            const int top = std::min(c.baseRow, c.valueRow);
            const int bottom = std::max(c.baseRow, c.valueRow);
            EXPECT_NEAR(CountInColumn(pane.canvas, 3, kWhite), bottom - top, 1);
            EXPECT_EQ(0, pane.canvas.CountPixels(kWhite, RECT { 3, 0, 4, top - 1 }));
            EXPECT_EQ(0, pane.canvas.CountPixels(kWhite, RECT { 3, bottom + 2, 4, 121 }));
        }
    }
}

TEST(IndicatorPainter, DrawLineJoinsItsAnchors)
{
    Pane pane;
    // A start at bar 1 (price 20), an end at bar 4 (price 80), extended.
    const VARIANT c1 = pane.store.Make({ 0, 1, 0, 0, 0, 0 });
    const VARIANT c2 = pane.store.Make({ 0, 0, 0, 0, 1, 0 });
    const FormulaValueList values = Values({ c1, Number(20), c2, Number(80), Number(1) });
    DrawLineShape shape;
    ASSERT_TRUE(IndicatorPainter::ComputeDrawLine(values, pane.store, shape));
    ASSERT_EQ(1u, shape.segments.size());
    EXPECT_EQ(std::make_pair(1, 4), shape.segments[0]);
    EXPECT_EQ((std::vector<float> { I, 20, I, I, 80, I }), shape.values);

    EXPECT_TRUE(pane.painter.DrawLine(Output(L"", L"DRAWLINE"), values, 0, 6, 0, 100));
    pane.canvas.SavePng("painter-drawline");
    // From (15, 100) to (45, 40): every column between lights on the line.
    EXPECT_EQ(kWhite, pane.canvas.Pixel(15, 100));
    for (int x = 16; x < 45; ++x) {
        const int y = 100 - (x - 15) * 2;
        EXPECT_GT(pane.canvas.CountPixels(kWhite, RECT { x, y - 2, x + 1, y + 3 }), 0) << x;
    }
    EXPECT_EQ(0, pane.canvas.CountPixels(kWhite, RECT { 0, 0, 14, 121 }));
    EXPECT_EQ(0, pane.canvas.CountPixels(kWhite, RECT { 47, 0, 200, 121 }));

    // Without the extension and a scalar C2 the result is drawn as a line.
    const FormulaValueList plain = Values({ c1, Number(20), Number(0), Number(80), Number(0) });
    ASSERT_TRUE(IndicatorPainter::ComputeDrawLine(plain, pane.store, shape));
    EXPECT_FALSE(shape.joined);
    EXPECT_EQ((std::vector<float> { 0, 20, 0, 0, 0, 0 }), shape.values);
    // A condition that is no series draws nothing.
    EXPECT_FALSE(IndicatorPainter::ComputeDrawLine(Values({ Number(1) }), pane.store, shape));
}

TEST(IndicatorPainter, StickLineBandAndFewArguments)
{
    Pane pane;
    pane.painter.SetColor(0x0000FF);
    const VARIANT condition = pane.store.Make({ 1, 0, I, 1 });
    // Filled sticks from 20 to 60 at bars 0 and 3: WIDTH 2 of a bar of 10 is
    // 5 px from the body's centre - 2.
    EXPECT_TRUE(pane.painter.DrawStickLine(Output(L"", L"STICKLINE"),
        Values({ condition, Number(20), Number(60), Number(2), Number(0) }), 0, 4, 0, 100));
    pane.canvas.SavePng("painter-stickline");
    EXPECT_EQ(0x0000FFu, pane.canvas.Pixel(3, 80));
    EXPECT_EQ(0x0000FFu, pane.canvas.Pixel(33, 80));
    EXPECT_EQ(0, pane.canvas.CountPixels(0x0000FF, RECT { 12, 0, 28, 121 })); // bars 1 and 2
    EXPECT_EQ(0, pane.canvas.CountPixels(0x0000FF, RECT { 0, 0, 200, 59 }));
    EXPECT_EQ(0, pane.canvas.CountPixels(0x0000FF, RECT { 0, 101, 200, 121 }));
    // Four values are too few.
    EXPECT_FALSE(pane.painter.DrawStickLine(
        Output(L"", L"STICKLINE"), Values({ condition, Number(20), Number(60), Number(8) }), 0, 4, 0, 100));

    Pane band;
    EXPECT_TRUE(band.painter.DrawBand(Output(L"", L"DRAWBAND"),
        Values({ band.store.Make({ 30, 30 }), Number(0x00FF00), Number(70), Number(0xFF0000) }), 0, 2, 0,
        100));
    band.canvas.SavePng("painter-band");
    EXPECT_EQ(0x00FF00u, band.canvas.Pixel(10, 70));
    EXPECT_EQ(0, band.canvas.CountPixels(0xFF0000));
    EXPECT_FALSE(band.painter.DrawBand(
        Output(L"", L"DRAWBAND"), Values({ Number(1), Number(2), Number(3) }), 0, 2, 0, 100));
    EXPECT_FALSE(band.painter.DrawPolyline(Output(L"", L"PLOYLINE"), Values({ Number(1) }), 0, 2, 0, 100));
}

TEST(IndicatorPainter, TextAndIconGuardTheirInputs)
{
    Pane pane;
    const VARIANT condition = pane.store.Make({ 1, 1 });
    // A number or a series where the text belongs writes nothing.
    EXPECT_TRUE(pane.painter.DrawText(
        Output(L"", L"DRAWTEXT"), Values({ condition, Number(50), Number(12) }), 0, 2, 0, 100));
    EXPECT_TRUE(pane.painter.DrawText(
        Output(L"", L"DRAWTEXT"), Values({ condition, Number(50), condition }), 0, 2, 0, 100));
    EXPECT_EQ(0, pane.canvas.CountPixelsNot(kBlack));
    EXPECT_FALSE(
        pane.painter.DrawText(Output(L"", L"DRAWTEXT"), Values({ condition, Number(50) }), 0, 2, 0, 100));

    // Any icon number, however far off the strip, is a cell of it or nothing.
    for (double type : { -5.0, 0.0, 1.0, 2.0, 99.0, 1e12, double(I) })
        EXPECT_TRUE(pane.painter.DrawIcon(
            Output(L"", L"DRAWICON"), Values({ condition, Number(50), Number(type) }), 0, 2, 0, 100));
    EXPECT_FALSE(
        pane.painter.DrawIcon(Output(L"", L"DRAWICON"), Values({ condition, Number(50) }), 0, 2, 0, 100));
}

namespace {

// Lit pixels (not black) inside [x - r, x + r] x [y - r, y + r].
int LitAround(const OffscreenCanvas& canvas, int x, int y, int r)
{
    return (2 * r + 1) * (2 * r + 1) - canvas.CountPixels(kBlack, RECT { x - r, y - r, x + r + 1, y + r + 1 });
}

}

// Dots stand at the bar centres with nothing between them; each dot word has
// its own shape: a small filled dot, a hollow circle, a cross of diagonals.
TEST(IndicatorPainter, DotStylesMarkEachValueAndDrawNothingBetween)
{
    const std::vector<float> values = { 50, 80, 30, 60 };
    // Centres x = 5, 15, 25, 35; rows 120 - value.
    const int rows[] = { 70, 40, 90, 60 };
    struct Case
    {
        const wchar_t* word;
        int radius; // the dot lies within this distance of its centre
    } cases[] = { { L"POINTDOT", 1 }, { L"CIRCLEDOT", 2 }, { L"CROSSDOT", 2 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.word, c.word + std::wcslen(c.word)));
        Pane pane;
        pane.painter.ApplyAttributes({ c.word, L"COLORWHITE" });
        EXPECT_TRUE(pane.painter.DrawSeriesLine(
            Output(L"DOTS"), Values({ pane.store.Make(values) }), 0, 4, 0, 100));
        int inDots = 0;
        for (int i = 0; i < 4; ++i) {
            const int x = i * 10 + 5, y = rows[i];
            const int lit = LitAround(pane.canvas, x, y, c.radius);
            EXPECT_GT(lit, 0) << "dot " << i;
            inDots += lit;
            const bool centre = pane.canvas.Pixel(x, y) == kWhite;
            if (std::wcscmp(c.word, L"CIRCLEDOT") == 0) {
                EXPECT_FALSE(centre) << "a circle is hollow";
                EXPECT_GE(lit, 8) << "dot " << i;
            } else if (std::wcscmp(c.word, L"CROSSDOT") == 0) {
                EXPECT_TRUE(centre) << "the diagonals cross at the centre";
                EXPECT_EQ(kWhite, pane.canvas.Pixel(x - 1, y - 1));
                EXPECT_EQ(kWhite, pane.canvas.Pixel(x + 1, y + 1));
                EXPECT_NE(kWhite, pane.canvas.Pixel(x, y - 1)) << "no upright arm";
            } else {
                EXPECT_LE(lit, 9) << "a small dot";
            }
        }
        EXPECT_EQ(inDots, pane.canvas.CountPixelsNot(kBlack)) << "nothing outside the dots";
        EXPECT_EQ(0, pane.painter.GetStyle()) << "the style ends with the statement";
    }
}

// A volume stick is the bar's body from the bottom up to the value: filled in
// the rising colour for a bar that closed at or above its open, framed in the
// falling colour otherwise. A line stick is a stick from the bottom at the
// bar's centre, the centres joined by a line.
TEST(IndicatorPainter, VolumeAndLineSticksStandOnTheBottom)
{
    CStock stock(0x600000);
    const float opens[] = { 10, 11, 10, 11 };
    const float closes[] = { 11, 10, 10, 10.5f };
    for (int i = 0; i < 4; ++i)
        stock.GetDayData().AppendBar(MakeBar(T(2026, 12, 7 + i), opens[i], 11, 10, closes[i], 100, 1));
    PriceSeriesSource source;
    ASSERT_EQ(1, source.Bind(&stock, kPeriodDay));
    uint32_t count = 0;
    ASSERT_TRUE(source.GetOpen(0, 3, &count));
    ASSERT_TRUE(source.GetClose(0, 3, &count));

    const std::vector<float> values = { 50, 80, 30, 60 };
    const int rows[] = { 70, 40, 90, 60 };
    const bool rising[] = { true, false, true, false };
    Pane volumes;
    volumes.painter.SetSeriesSource(&source);
    volumes.painter.ApplyAttributes({ L"VOLSTICK" });
    EXPECT_TRUE(volumes.painter.DrawSeriesLine(
        Output(L"VOL"), Values({ volumes.store.Make(values) }), 0, 4, 0, 100));
    volumes.canvas.SavePng("painter-volstick");
    const OffscreenCanvas& v = volumes.canvas;
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(testing::Message() << "bar " << i);
        // Bar width 10: the body spans x .. x + 7, rows value .. 120.
        const int left = i * 10, right = left + 7, top = rows[i];
        const COLORREF edge = rising[i] ? ChartColors::Rise : ChartColors::Fall;
        EXPECT_EQ(edge, v.Pixel(left, top));
        EXPECT_EQ(edge, v.Pixel(right, 120));
        EXPECT_EQ(edge, v.Pixel(left, 100));
        EXPECT_EQ(edge, v.Pixel(right, top + 1));
        EXPECT_EQ(rising[i] ? ChartColors::Rise : kBlack, v.Pixel(left + 3, (top + 120) / 2)) << "inside";
        EXPECT_EQ(kBlack, v.Pixel(left + 3, top - 1)) << "above";
        EXPECT_EQ(kBlack, v.Pixel(right + 1, 110)) << "right of the body";
    }
    EXPECT_EQ(0, v.CountPixels(kWhite)) << "volumes wear the rise and fall colours only";

    Pane lines;
    lines.painter.ApplyAttributes({ L"LINESTICK", L"COLORWHITE" });
    EXPECT_TRUE(lines.painter.DrawSeriesLine(
        Output(L"LS"), Values({ lines.store.Make(values) }), 0, 4, 0, 100));
    lines.canvas.SavePng("painter-linestick");
    for (int i = 0; i < 4; ++i) {
        const int x = i * 10 + 5;
        // From the bottom row up to the value.
        EXPECT_EQ(120 - rows[i] - 1, lines.canvas.CountPixels(kWhite, RECT { x, rows[i] + 1, x + 1, 120 }))
            << "stick " << i;
        EXPECT_EQ(0, lines.canvas.CountPixels(kWhite, RECT { x, 0, x + 1, 36 })) << "stick " << i;
    }
    // Between two centres only the joining line: 70 to 40 passes row 55 at x = 10.
    EXPECT_GT(lines.canvas.CountPixels(kWhite, RECT { 10, 53, 11, 58 }), 0);
    EXPECT_EQ(0, lines.canvas.CountPixels(kWhite, RECT { 6, 75, 15, 121 })) << "no stick between the bars";
    EXPECT_EQ(0, lines.canvas.CountPixels(kWhite, RECT { 36, 0, 200, 121 }));
}

namespace {

// A strip of three opaque icon cells, red, green and blue, as the cache loads it.
class IconStrip
{
public:
    IconStrip()
    {
        OffscreenCanvas strip(48, 16);
        const COLORREF cells[] = { kRed, kGreen, kBlue };
        for (int i = 0; i < 3; ++i) {
            HBRUSH brush = ::CreateSolidBrush(cells[i]);
            const RECT cell = { i * 16, 0, i * 16 + 16, 16 };
            ::FillRect(strip.Dc(), &cell, brush);
            ::DeleteObject(brush);
        }
        written = SavePixelsAsPng(strip.Bits(), 48, 16, false, root.SkinDir() + "\\biaoji.png");
        GdiObjectCache::ReleaseInstance();
    }
    ~IconStrip() { GdiObjectCache::ReleaseInstance(); }

    static const COLORREF kRed = 0x0000FF;
    static const COLORREF kGreen = 0x00FF00;
    static const COLORREF kBlue = 0xFF0000;
    TempDataRoot root;
    bool written = false;
};

}

// An icon is the type's cell of the strip, 16 pixels square, centred on the
// bar's left edge with its top at the price; a type past the strip takes the
// last cell, and a price above the plot stands at the top of the plot.
TEST(IndicatorPainter, IconsAreTheirCellAtTheBarAndThePrice)
{
    IconStrip strip;
    ASSERT_TRUE(strip.written);
    Pane pane;
    const VARIANT condition = pane.store.Make({ 0, 1, 1, 1, 1 });
    const VARIANT price = pane.store.Make({ 50, 50, 100, 30, 101 });
    const VARIANT type = pane.store.Make({ 1, 2, 1, 99, 1 });
    EXPECT_TRUE(pane.painter.DrawIcon(Output(L"", L"DRAWICON"), Values({ condition, price, type }), 0, 5, 0, 100));
    pane.canvas.SavePng("painter-icons");
    const struct
    {
        const char* name;
        COLORREF colour;
        RECT place;
    } icons[] = {
        { "bar 1, type 2: the second cell", IconStrip::kGreen, RECT { 2, 70, 18, 86 } },
        { "bar 2, type 1 at the top of the plot", IconStrip::kRed, RECT { 12, 20, 28, 36 } },
        { "bar 3, type 99: the last cell", IconStrip::kBlue, RECT { 22, 90, 38, 106 } },
    };
    for (const auto& icon : icons) {
        EXPECT_EQ(256, pane.canvas.CountPixels(icon.colour, icon.place)) << icon.name;
        EXPECT_EQ(256, pane.canvas.CountPixels(icon.colour)) << icon.name << ": nowhere else";
    }
    EXPECT_EQ(3 * 256, pane.canvas.CountPixelsNot(kBlack)) << "bar 0 (no condition) and bar 4 (above the range)";
}

// Text is written at the bar's left edge with its top at the price (or the
// pane's top above it), in the line colour, only where the condition holds
// and the price is valid: the picture is the one the same text written at
// those places makes.
TEST(IndicatorPainter, TextStandsAtTheBarAndThePrice)
{
    Pane pane;
    pane.painter.SetColor(0x00FFFF);
    const VARIANT condition = pane.store.Make({ 1, 0, 1, 1 });
    const VARIANT price = pane.store.Make({ 50, 50, 130, I });
    VARIANT text;
    std::memset(&text, 0, sizeof text);
    text.vt = VT_BSTR;
    text.bstrVal = ::SysAllocString(L"B\u4e70");
    const FormulaValueList values = Values({ condition, price, text });
    ::VariantClear(&text);
    EXPECT_TRUE(pane.painter.DrawText(Output(L"", L"DRAWTEXT"), values, 0, 4, 0, 100));
    pane.canvas.SavePng("painter-text");

    OffscreenCanvas expected(200, 121);
    HGDIOBJ old = ::SelectObject(expected.Dc(), GdiObjectCache::Instance()->GetFont(12, "宋体", FW_NORMAL));
    ::SetTextColor(expected.Dc(), 0x00FFFF);
    ::SetBkMode(expected.Dc(), TRANSPARENT);
    ::TextOutW(expected.Dc(), 0, 70, L"B\u4e70", 2); // bar 0 at 50
    ::TextOutW(expected.Dc(), 20, 0, L"B\u4e70", 2); // bar 2 above the range: the top
    ::SelectObject(expected.Dc(), old);
    ASSERT_GT(expected.CountPixelsNot(kBlack), 0);
    int different = 0;
    for (int y = 0; y < 121; ++y)
        for (int x = 0; x < 200; ++x)
            different += expected.Pixel(x, y) != pane.canvas.Pixel(x, y);
    EXPECT_EQ(0, different);
    EXPECT_GT(pane.canvas.CountPixels(0x00FFFF, RECT { 0, 70, 12, 84 }), 0) << "bar 0's text";
    EXPECT_GT(pane.canvas.CountPixels(0x00FFFF, RECT { 20, 0, 32, 14 }), 0) << "bar 2's text";
}
