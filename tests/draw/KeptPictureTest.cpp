// A kept picture is copied only where the drawing it stands for would light
// the same pixels: the same key, the same pixels beneath (when it is drawn
// over them), a target of the same format, and no clipping across its area.
#include "base/DibInfo.h"
#include "base/KeptPicture.h"
#include "tests/support/OffscreenCanvas.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kBlue = RGB(0, 0, 255);
const RECT kArea { 10, 10, 40, 30 };

// The drawing a picture stands for: a red bar over what lies beneath, which
// it does not fill.
void DrawBar(HDC dc)
{
    const RECT bar { 15, 15, 35, 20 };
    HBRUSH red = ::CreateSolidBrush(kRed);
    ::FillRect(dc, &bar, red);
    ::DeleteObject(red);
}

// Paints as a chart does: the picture when it may be shown, else the drawing,
// kept. True when the picture was shown.
bool PaintKept(KeptPicture& picture, HDC dc, const std::string& key)
{
    if (picture.Show(dc, key))
        return true;
    picture.Begin(dc, kArea);
    DrawBar(dc);
    picture.End(dc, key);
    return false;
}

struct Case
{
    const char* name;
    // What changes between the paint that keeps the picture and the next.
    std::function<void(OffscreenCanvas&, std::string& key)> change;
    bool shown;
};

const Case kCases[] = {
    { "nothing", [](OffscreenCanvas&, std::string&) {}, true },
    { "another key", [](OffscreenCanvas&, std::string& key) { key = "other"; }, false },
    { "other pixels beneath", [](OffscreenCanvas& c, std::string&) { c.Fill(kBlue); }, false },
    { "one pixel beneath",
        [](OffscreenCanvas& c, std::string&) { ::SetPixel(c.Dc(), kArea.right - 1, kArea.bottom - 1, kBlue); },
        false },
    { "a pixel outside the area", [](OffscreenCanvas& c, std::string&) { ::SetPixel(c.Dc(), 50, 50, kBlue); },
        true },
    { "clipping across the area",
        [](OffscreenCanvas& c, std::string&) { ::ExcludeClipRect(c.Dc(), 20, 12, 25, 14); }, false },
    { "clipping beside the area",
        [](OffscreenCanvas& c, std::string&) { ::ExcludeClipRect(c.Dc(), 50, 50, 55, 55); }, true },
};

} // namespace

TEST(KeptPicture, IsShownOnlyWhereTheDrawingWouldLightTheSamePixels)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        KeptPicture picture(true);
        OffscreenCanvas canvas(64, 64, kBlack);
        std::string key = "bar";
        EXPECT_FALSE(PaintKept(picture, canvas.Dc(), key)) << "nothing kept at first";
        ASSERT_TRUE(picture.IsKept());

        OffscreenCanvas expected(64, 64, kBlack);
        canvas.Fill(kBlack);
        c.change(canvas, key);
        c.change(expected, key);
        DrawBar(expected.Dc());
        EXPECT_EQ(PaintKept(picture, canvas.Dc(), key), c.shown);
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x)
                ASSERT_EQ(canvas.Pixel(x, y), expected.Pixel(x, y)) << "at (" << x << ", " << y << ")";
        }
    }
}

TEST(KeptPicture, APictureOfAnotherFormatIsDrawnAgain)
{
    KeptPicture picture(false);
    OffscreenCanvas canvas(64, 64, kBlack);
    EXPECT_FALSE(PaintKept(picture, canvas.Dc(), "bar"));
    EXPECT_TRUE(PaintKept(picture, canvas.Dc(), "bar"));

    // A 16-bit target: a copy from the 32-bit picture could round colours.
    HDC dc = ::CreateCompatibleDC(canvas.Dc());
    const BITMAPINFO info = TopDownDibInfo(64, 64, 16);
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    EXPECT_FALSE(PaintKept(picture, dc, "bar"));
    EXPECT_TRUE(PaintKept(picture, dc, "bar")) << "kept again for this format";
    EXPECT_FALSE(PaintKept(picture, canvas.Dc(), "bar"));
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
}

TEST(KeptPicture, ADrawingClippedAcrossItsAreaIsNotKept)
{
    KeptPicture picture(true);
    OffscreenCanvas canvas(64, 64, kBlack);
    const int saved = ::SaveDC(canvas.Dc());
    ::ExcludeClipRect(canvas.Dc(), 20, 16, 25, 18);
    EXPECT_FALSE(PaintKept(picture, canvas.Dc(), "bar"));
    EXPECT_FALSE(picture.IsKept());
    ::RestoreDC(canvas.Dc(), saved);
    EXPECT_EQ(canvas.Pixel(22, 17), kBlack) << "clipped out";

    canvas.Fill(kBlack);
    EXPECT_FALSE(PaintKept(picture, canvas.Dc(), "bar"));
    EXPECT_EQ(canvas.Pixel(22, 17), kRed) << "the whole bar, not the clipped one";
}
