// Skin bitmaps drawn into any rectangle: the copies planned for each case,
// one pixel-exact draw, and the bar backgrounds as the bars draw them.
#include "base/DataPaths.h"
#include "base/PngFile.h"
#include "skin/SkinBitmap.h"
#include "tests/support/OffscreenCanvas.h"
#include "tests/support/TempDirectory.h"
#include "tools/skingen/SkinImages.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <vector>

namespace {

struct Expected
{
    CRect dest, source;
};

CRect At(int x, int y, int w, int h)
{
    return CRect(x, y, x + w, y + h);
}

void ExpectPlan(const std::vector<NineGridBlit>& plan, const std::vector<Expected>& expected)
{
    ASSERT_EQ(plan.size(), expected.size());
    for (size_t i = 0; i < plan.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(plan[i].dest == expected[i].dest)
            << plan[i].dest.left << "," << plan[i].dest.top << " " << plan[i].dest.Width() << "x"
            << plan[i].dest.Height();
        EXPECT_TRUE(plan[i].source == expected[i].source)
            << plan[i].source.left << "," << plan[i].source.top << " " << plan[i].source.Width() << "x"
            << plan[i].source.Height();
    }
}

}

TEST(NineGridPlan, WholeImageStretchedWithoutCorners)
{
    ExpectPlan(PlanNineGrid(300, 40, 160, 22, 0, 0), { { At(0, 0, 300, 40), At(0, 0, 160, 22) } });
}

TEST(NineGridPlan, ThreeSlicesAcross)
{
    // Wider than the image: the ends 1:1, the column at 100 stretched between.
    ExpectPlan(PlanNineGrid(500, 22, 160, 22, 100, 0),
        { { At(0, 0, 100, 22), At(0, 0, 100, 22) }, { At(100, 0, 340, 22), At(100, 0, 1, 22) },
            { At(440, 0, 60, 22), At(100, 0, 60, 22) } });
    // As wide as the image: the middle is 0 wide and left out.
    ExpectPlan(PlanNineGrid(160, 22, 160, 22, 100, 0),
        { { At(0, 0, 100, 22), At(0, 0, 100, 22) }, { At(100, 0, 60, 22), At(100, 0, 60, 22) } });
    // Narrower: no mirrored middle; the right end moves left over the left one.
    ExpectPlan(PlanNineGrid(120, 22, 160, 22, 100, 0),
        { { At(0, 0, 100, 22), At(0, 0, 100, 22) }, { At(60, 0, 60, 22), At(100, 0, 60, 22) } });
    // Taller than the image: the ends take the image's rows only, stretched.
    ExpectPlan(PlanNineGrid(500, 30, 160, 22, 100, 0),
        { { At(0, 0, 100, 30), At(0, 0, 100, 22) }, { At(100, 0, 340, 30), At(100, 0, 1, 22) },
            { At(440, 0, 60, 30), At(100, 0, 60, 22) } });
    // Lower than the image: the ends copy their top rows 1:1.
    ExpectPlan(PlanNineGrid(500, 10, 160, 22, 100, 0),
        { { At(0, 0, 100, 10), At(0, 0, 100, 10) }, { At(100, 0, 340, 10), At(100, 0, 1, 22) },
            { At(440, 0, 60, 10), At(100, 0, 60, 10) } });
    // A corner beyond the image: only what the image holds is read.
    ExpectPlan(PlanNineGrid(500, 22, 160, 22, 320, 0), { { At(0, 0, 320, 22), At(0, 0, 160, 22) } });
}

TEST(NineGridPlan, ThreeSlicesDown)
{
    ExpectPlan(PlanNineGrid(24, 100, 24, 48, 0, 8),
        { { At(0, 0, 24, 8), At(0, 0, 24, 8) }, { At(0, 8, 24, 52), At(0, 8, 24, 1) },
            { At(0, 60, 24, 40), At(0, 8, 24, 40) } });
}

TEST(NineGridPlan, NineParts)
{
    ExpectPlan(PlanNineGrid(100, 60, 40, 30, 10, 8),
        { { At(0, 0, 10, 8), At(0, 0, 10, 8) }, { At(10, 0, 60, 8), At(10, 0, 1, 8) },
            { At(70, 0, 30, 8), At(10, 0, 30, 8) }, { At(0, 8, 10, 30), At(0, 8, 10, 1) },
            { At(10, 8, 60, 30), At(10, 8, 1, 1) }, { At(70, 8, 30, 30), At(10, 8, 30, 1) },
            { At(0, 38, 10, 22), At(0, 8, 10, 22) }, { At(10, 38, 60, 22), At(10, 8, 1, 22) },
            { At(70, 38, 30, 22), At(10, 8, 30, 22) } });
    // At the image's own size every middle is empty: the four corners alone.
    ExpectPlan(PlanNineGrid(40, 30, 40, 30, 10, 8),
        { { At(0, 0, 10, 8), At(0, 0, 10, 8) }, { At(10, 0, 30, 8), At(10, 0, 30, 8) },
            { At(0, 8, 10, 22), At(0, 8, 10, 22) }, { At(10, 8, 30, 22), At(10, 8, 30, 22) } });
}

// An image of three colour bands: 4 red columns, the green middle column at
// x 4, 5 blue columns. Across 30 pixels: red, green stretched, then the
// right part, which begins at the middle column itself.
TEST(SkinBitmap, ThreeSliceDrawKeepsTheEndsAndStretchesTheMiddle)
{
    TempDirectory dir("skinbitmap");
    std::vector<uint32_t> pixels;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 10; ++x)
            pixels.push_back(x < 4 ? 0xFFFF0000u : x == 4 ? 0xFF00FF00u : 0xFF0000FFu);
    ASSERT_TRUE(SavePixelsAsPng(pixels.data(), 10, 3, false, dir.File("bands.png")));
    CSkinBitmap image;
    ASSERT_TRUE(image.Load(dir.File("bands.png").c_str(), 0));
    OffscreenCanvas canvas(40, 5, RGB(255, 255, 255));
    ASSERT_EQ(image.Draw(canvas.Dc(), CRect(5, 1, 35, 4), 4, 0), 1);
    for (int x = 0; x < 40; ++x) {
        const COLORREF expected = x < 5 || x >= 35 ? RGB(255, 255, 255)
            : x < 9                                 ? RGB(255, 0, 0)
            : x < 30                                ? RGB(0, 255, 0)
                                                    : RGB(0, 0, 255);
        EXPECT_EQ(canvas.Pixel(x, 2), expected) << x;
    }
    EXPECT_EQ(canvas.Pixel(10, 0), RGB(255, 255, 255));
    EXPECT_EQ(canvas.Pixel(10, 4), RGB(255, 255, 255));
    // Nothing to draw without an image or into an empty rectangle.
    CSkinBitmap empty;
    EXPECT_EQ(empty.Draw(canvas.Dc(), CRect(0, 0, 10, 5), 4, 0), 0);
    EXPECT_EQ(image.Draw(canvas.Dc(), CRect(0, 0, 0, 5), 4, 0), 0);
}

TEST(SkinBitmap, HelpersCopyAndStretch)
{
    CSkinBitmap image;
    ASSERT_TRUE(image.Load(DataPaths::Instance()->GetSkinFile("scroll_left.bmp").c_str(), 0));
    EXPECT_TRUE(image.GetRect() == CRect(0, 0, kScrollArrowSize, kScrollArrowSize));
    OffscreenCanvas copied(40, 40, RGB(255, 255, 255));
    ASSERT_TRUE(image.CopyTo(copied.Dc(), CRect(4, 4, 100, 100)));
    OffscreenCanvas stretched(40, 40, RGB(255, 255, 255));
    ASSERT_TRUE(image.StretchDraw(stretched.Dc(), CRect(0, 0, 32, 32)));
    // The stretched copy's pixel (2x, 2x) is the copied one's (x, y).
    for (POINT p : { POINT { 0, 0 }, POINT { 7, 8 }, POINT { 15, 15 } })
        EXPECT_EQ(stretched.Pixel(2 * p.x, 2 * p.y), copied.Pixel(4 + p.x, 4 + p.y)) << p.x << "," << p.y;
    EXPECT_EQ(copied.Pixel(4 + kScrollArrowSize, 10), RGB(255, 255, 255));
}

// The news bar and the status bar as their bars draw them, at a few widths.
TEST(SkinBitmap, BarBackgroundsAtBarWidths)
{
    CSkinBitmap news, status;
    ASSERT_TRUE(news.Load(DataPaths::Instance()->GetSkinFile("scrollbarbkgnd.png").c_str(), 0));
    ASSERT_TRUE(status.Load(DataPaths::Instance()->GetSkinFile("statusbarbkgnd.png").c_str(), 0));
    const int widths[] = { 1000, 600, kNewsBarImageWidth };
    OffscreenCanvas canvas(1000, 3 * (kNewsBarHeight + kStatusBarHeight + 8), RGB(128, 128, 128));
    int y = 0;
    for (int width : widths) {
        ASSERT_EQ(news.Draw(canvas.Dc(), CRect(0, y, width, y + kNewsBarHeight), 320, 0), 1);
        y += kNewsBarHeight;
        ASSERT_EQ(status.Draw(canvas.Dc(), CRect(0, y, width, y + kStatusBarHeight), 100, 0), 1);
        // The right end of each bar is the image's own right end.
        const COLORREF edge = canvas.Pixel(width - 1, y + kStatusBarHeight / 2);
        EXPECT_NE(edge, RGB(128, 128, 128)) << width;
        y += kStatusBarHeight + 8;
    }
    EXPECT_FALSE(canvas.SavePng("skin-bars").empty());
}
