// A batch of strokes and fills must light exactly what the calls it stands
// for light one by one: the charts rely on it to draw the same pictures.
#include "base/GdiObjectCache.h"
#include "base/StrokeBatch.h"
#include "tests/support/OffscreenCanvas.h"
#include <gtest/gtest.h>

namespace {

const COLORREF kBackground = RGB(10, 20, 30);
const COLORREF kColour = RGB(255, 60, 60);

void ExpectSamePixels(const OffscreenCanvas& drawn, const OffscreenCanvas& expected, const char* what)
{
    for (int y = 0; y < drawn.Height(); ++y)
        for (int x = 0; x < drawn.Width(); ++x)
            ASSERT_EQ(expected.Pixel(x, y), drawn.Pixel(x, y)) << what << " at " << x << "," << y;
}

}

TEST(StrokeBatch, LightsWhatTheCallsLightOneByOne)
{
    const RECT rects[] = {
        { 2, 2, 9, 14 }, // a candle body
        { 12, 3, 13, 4 }, // one pixel
        { 15, 2, 16, 12 }, // one column
        { 18, 5, 30, 6 }, // one row
        { 20, 8, 22, 10 }, // two by two
        { 25, 9, 25, 15 }, // empty
        { 27, 14, 24, 10 }, // inverted
        { -3, 16, 4, 20 }, // partly off the canvas
        { 30, 18, 40, 26 }, // past the right edge
    };
    GdiObjectCache* cache = GdiObjectCache::Instance();
    ASSERT_NE(nullptr, cache);
    HPEN pen = cache->GetPen(PS_SOLID, 1, kColour);
    HBRUSH brush = cache->GetBrush(kColour);
    for (bool fill : { false, true }) {
        OffscreenCanvas drawn(34, 28, kBackground);
        OffscreenCanvas expected(34, 28, kBackground);
        StrokeBatch batch;
        for (const RECT& rect : rects) {
            if (fill) {
                batch.AddFill(rect);
                ::FillRect(expected.Dc(), &rect, brush);
            } else {
                batch.AddFrame(rect);
                ::FrameRect(expected.Dc(), &rect, brush);
            }
        }
        // Wicks: down, up, zero length, and a diagonal.
        const int lines[][4] = { { 5, 0, 5, 2 }, { 5, 27, 5, 14 }, { 12, 20, 12, 20 }, { 14, 16, 24, 26 } };
        ::SelectObject(expected.Dc(), pen);
        for (const auto& l : lines) {
            batch.AddLine(l[0], l[1], l[2], l[3]);
            ::MoveToEx(expected.Dc(), l[0], l[1], nullptr);
            ::LineTo(expected.Dc(), l[2], l[3]);
        }
        ::SelectObject(expected.Dc(), ::GetStockObject(BLACK_PEN));
        const HGDIOBJ penBefore = ::GetCurrentObject(drawn.Dc(), OBJ_PEN);
        const HGDIOBJ brushBefore = ::GetCurrentObject(drawn.Dc(), OBJ_BRUSH);
        EXPECT_FALSE(batch.IsEmpty());
        batch.Flush(drawn.Dc(), pen, brush);
        EXPECT_TRUE(batch.IsEmpty());
        EXPECT_EQ(penBefore, ::GetCurrentObject(drawn.Dc(), OBJ_PEN));
        EXPECT_EQ(brushBefore, ::GetCurrentObject(drawn.Dc(), OBJ_BRUSH));
        ExpectSamePixels(drawn, expected, fill ? "fills" : "frames");
        // Flushed means emptied: a second flush draws nothing more.
        batch.Flush(drawn.Dc(), cache->GetPen(PS_SOLID, 1, RGB(0, 255, 0)), cache->GetBrush(RGB(0, 255, 0)));
        EXPECT_EQ(0, drawn.CountPixels(RGB(0, 255, 0)));
    }
}

TEST(StrokeBatch, ColouredStrokesDrawEachColourWithItsOwnPenAndBrush)
{
    OffscreenCanvas drawn(20, 20, kBackground);
    ColouredStrokes strokes;
    strokes.For(RGB(255, 0, 0)).AddFill(RECT { 1, 1, 4, 6 });
    strokes.For(RGB(0, 0, 255)).AddFrame(RECT { 6, 1, 10, 6 });
    strokes.For(RGB(255, 0, 0)).AddLine(2, 6, 2, 12);
    EXPECT_EQ(&strokes.For(RGB(255, 0, 0)), &strokes.For(RGB(255, 0, 0)));
    strokes.Flush(drawn.Dc());
    EXPECT_EQ(15 + 6, drawn.CountPixels(RGB(255, 0, 0)));
    EXPECT_EQ(14, drawn.CountPixels(RGB(0, 0, 255)));
    EXPECT_EQ(kBackground, drawn.Pixel(7, 2)); // inside the frame
}
