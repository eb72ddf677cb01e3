// The cache of fonts, pens, brushes and the icon strip, and image loading.
#include "base/DataPaths.h"
#include "base/DibInfo.h"
#include "base/GdiObjectCache.h"
#include "base/ImageUtil.h"
#include "base/PathUtil.h"
#include "base/PngFile.h"
#include "tests/support/OffscreenCanvas.h"
#include "tests/support/TempDataRoot.h"
#include "tests/support/TempDirectory.h"
#include "tools/skingen/SkinImages.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

SIZE BitmapSize(HBITMAP bitmap)
{
    BITMAP info = {};
    ::GetObjectA(bitmap, sizeof(info), &info);
    return SIZE { info.bmWidth, info.bmHeight };
}

// A fresh cache rooted at a temporary program directory.
class GdiCacheTest : public ::testing::Test
{
protected:
    void SetUp() override { GdiObjectCache::ReleaseInstance(); }
    void TearDown() override { GdiObjectCache::ReleaseInstance(); }
    TempDataRoot root;
};

}

TEST_F(GdiCacheTest, EachParameterSetMakesOneObject)
{
    GdiObjectCache* cache = GdiObjectCache::Instance();
    ASSERT_NE(cache, nullptr);
    HFONT normal = cache->GetFont(10, "System", 400);
    ASSERT_NE(normal, nullptr);
    EXPECT_EQ(cache->GetFont(10, "System", 400), normal);
    EXPECT_NE(cache->GetFont(10, "System", 700), normal);
    EXPECT_NE(cache->GetFont(12, "System", 400), normal);
    EXPECT_NE(cache->GetFont(10, "宋体", 400), normal);

    LOGFONTW font = {};
    ASSERT_TRUE(::GetObjectW(cache->GetFont(12, "宋体", 700), sizeof(font), &font));
    EXPECT_EQ(font.lfHeight, -12);
    EXPECT_EQ(font.lfWeight, 700);
    EXPECT_EQ(font.lfCharSet, DEFAULT_CHARSET);
    EXPECT_STREQ(font.lfFaceName, L"宋体");

    HPEN thin = cache->GetPen(PS_SOLID, 1, 0x0000FF);
    HPEN wide = cache->GetPen(PS_SOLID, 2, 0x0000FF);
    ASSERT_NE(thin, nullptr);
    EXPECT_NE(thin, wide);
    EXPECT_EQ(cache->GetPen(PS_SOLID, 1, 0x0000FF), thin);
    EXPECT_NE(cache->GetPen(PS_DOT, 1, 0x0000FF), thin);
    EXPECT_NE(cache->GetPen(PS_SOLID, 1, 0x0000FE), thin);
    // A geometric pen style lies above 16 bits; it must not collide with a cosmetic one.
    HPEN geometric = cache->GetPen(PS_GEOMETRIC | PS_SOLID, 1, 0x0000FF);
    EXPECT_NE(geometric, thin);

    HBRUSH red = cache->GetBrush(0x0000FF);
    ASSERT_NE(red, nullptr);
    EXPECT_EQ(cache->GetBrush(0x0000FF), red);
    EXPECT_NE(cache->GetBrush(0x00FF00), red);
}

TEST_F(GdiCacheTest, HoldsOnlyTheIconStripAndReloadsItAfterRelease)
{
    ASSERT_TRUE(WriteSkinImage("biaoji.png", root.SkinDir()));
    GdiObjectCache* cache = GdiObjectCache::Instance();
    HBITMAP strip = cache->FindImage("biaoji.png");
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(BitmapSize(strip).cx, kIconCellSize * kIconCellCount);
    EXPECT_EQ(BitmapSize(strip).cy, kIconCellSize);
    EXPECT_EQ(cache->FindImage("menu.png"), nullptr);
    EXPECT_EQ(cache->FindImage(""), nullptr);

    // Another strip in its place: the next cache loads it anew.
    OffscreenCanvas replacement(32, 16, RGB(1, 2, 3));
    ASSERT_TRUE(SavePixelsAsPng(replacement.Bits(), 32, 16, false, root.SkinDir() + "\\biaoji.png"));
    GdiObjectCache::ReleaseInstance();
    HBITMAP reloaded = GdiObjectCache::Instance()->FindImage("biaoji.png");
    ASSERT_NE(reloaded, nullptr);
    EXPECT_EQ(BitmapSize(reloaded).cx, 32);

    // No file: the cache still builds, with no strip.
    ASSERT_TRUE(::DeleteFileA((root.SkinDir() + "\\biaoji.png").c_str()));
    GdiObjectCache::ReleaseInstance();
    ASSERT_NE(GdiObjectCache::Instance(), nullptr);
    EXPECT_EQ(GdiObjectCache::Instance()->FindImage("biaoji.png"), nullptr);
}

TEST_F(GdiCacheTest, ClearEmptiesTheCache)
{
    GdiObjectCache* cache = GdiObjectCache::Instance();
    HBRUSH brush = cache->GetBrush(0x123456);
    cache->Clear();
    // The handle was deleted: the next request creates a new, valid brush.
    EXPECT_EQ(::GetObjectType(brush), 0u);
    HBRUSH again = cache->GetBrush(0x123456);
    EXPECT_EQ(::GetObjectType(again), static_cast<DWORD>(OBJ_BRUSH));
}

TEST(Images, LoadsFilesAndResourcesWithTheirAlpha)
{
    // Left half opaque red, right half blue at alpha 128.
    HBITMAP fromResource = LoadImageFromResource(MAKEINTRESOURCEA(101), "PNG");
    ASSERT_NE(fromResource, nullptr);
    EXPECT_EQ(BitmapSize(fromResource).cx, 4);

    OffscreenCanvas canvas(8, 4, RGB(255, 255, 255));
    const RECT dest = { 0, 0, 4, 4 };
    ASSERT_TRUE(AlphaBlitBitmap(canvas.Dc(), fromResource, dest, 4, 4));
    EXPECT_EQ(canvas.Pixel(0, 0), RGB(255, 0, 0));
    // Premultiplied blue at half over white: about (127, 127, 255).
    const COLORREF blended = canvas.Pixel(3, 3);
    EXPECT_NEAR(GetRValue(blended), 127, 2);
    EXPECT_NEAR(GetGValue(blended), 127, 2);
    EXPECT_EQ(GetBValue(blended), 255);
    ::DeleteObject(fromResource);

    HBITMAP bitmap = LoadImageFromResource(MAKEINTRESOURCEA(102), nullptr);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(BitmapSize(bitmap).cx, 4);
    EXPECT_EQ(BitmapSize(bitmap).cy, 2);
    ::DeleteObject(bitmap);
    HBITMAP bitmapType = LoadImageFromResource(MAKEINTRESOURCEA(102), RT_BITMAP);
    EXPECT_NE(bitmapType, nullptr);
    ::DeleteObject(bitmapType);

    EXPECT_EQ(LoadImageFromResource(MAKEINTRESOURCEA(999), "PNG"), nullptr);
    EXPECT_EQ(LoadImageFromResource("Q:\\no\\such\\image.png", "PNG"), nullptr);
}

TEST(Images, LoadsAFileByAGbkPath)
{
    TempDirectory dir;
    const std::string path = dir.Path() + "图标.png";
    ASSERT_TRUE(WriteSkinImage("biaoji.png", dir.Path()));
    ASSERT_TRUE(::MoveFileA((dir.Path() + "biaoji.png").c_str(), path.c_str()));
    HBITMAP bitmap = LoadImageFromResource(path.c_str(), "PNG");
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(BitmapSize(bitmap).cy, kIconCellSize);
    ::DeleteObject(bitmap);
}

namespace {

// The bitmap's pixels, top row first, as 0xRRGGBB words (alpha dropped).
std::vector<uint32_t> TopDownPixels(HBITMAP bitmap)
{
    const SIZE size = BitmapSize(bitmap);
    std::vector<uint32_t> pixels(static_cast<size_t>(size.cx) * size.cy);
    BITMAPINFO info = TopDownDibInfo(size.cx, size.cy);
    HDC screen = ::GetDC(nullptr);
    const int rows = ::GetDIBits(screen, bitmap, 0, static_cast<UINT>(size.cy), pixels.data(), &info, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    if (rows != size.cy)
        pixels.clear();
    for (uint32_t& pixel : pixels)
        pixel &= 0xFFFFFFu;
    return pixels;
}

// An opaque picture whose every pixel tells its place (and the seed).
std::vector<uint32_t> NumberedPixels(int width, int height, uint32_t seed)
{
    std::vector<uint32_t> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            pixels.push_back(0xFF000000u | ((seed * 40 + y * 20) & 0xFF) << 16 | ((x * 30) & 0xFF) << 8 | (seed & 0xFF));
    }
    return pixels;
}

std::vector<uint32_t> WithoutAlpha(std::vector<uint32_t> pixels)
{
    for (uint32_t& pixel : pixels)
        pixel &= 0xFFFFFFu;
    return pixels;
}

}

// Pictures decoded once are kept: every load must still hand out a bitmap of
// its own, upright, and a file rewritten in place must give its new picture.
TEST(Images, ALoadAgainGivesAnOwnCopyOfTheFilesCurrentPicture)
{
    TempDirectory dir;
    const std::string path = dir.Path() + "numbered.png";
    const int width = 7, height = 5;
    const std::vector<uint32_t> first = NumberedPixels(width, height, 1);
    ASSERT_TRUE(SavePixelsAsPng(first.data(), width, height, true, path));

    HBITMAP decoded = LoadImageFromResource(path.c_str(), "PNG");
    HBITMAP again = LoadImageFromResource(path.c_str(), "PNG");
    ASSERT_NE(decoded, nullptr);
    ASSERT_NE(again, nullptr);
    EXPECT_NE(decoded, again);
    EXPECT_EQ(TopDownPixels(decoded), WithoutAlpha(first));
    EXPECT_EQ(TopDownPixels(again), WithoutAlpha(first));
    // Each caller owns its bitmap: deleting one leaves the other whole.
    ::DeleteObject(decoded);
    EXPECT_EQ(TopDownPixels(again), WithoutAlpha(first));
    HBITMAP third = LoadImageFromResource(path.c_str(), "PNG");
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(TopDownPixels(third), WithoutAlpha(first));
    ::DeleteObject(third);

    // The same name and size with other pixels.
    const std::vector<uint32_t> second = NumberedPixels(width, height, 2);
    ASSERT_TRUE(SavePixelsAsPng(second.data(), width, height, true, path));
    HBITMAP rewritten = LoadImageFromResource(path.c_str(), "PNG");
    ASSERT_NE(rewritten, nullptr);
    EXPECT_EQ(TopDownPixels(rewritten), WithoutAlpha(second));
    ::DeleteObject(rewritten);
    EXPECT_EQ(TopDownPixels(again), WithoutAlpha(first));
    ::DeleteObject(again);

    ASSERT_TRUE(::DeleteFileA(path.c_str()));
    EXPECT_EQ(LoadImageFromResource(path.c_str(), "PNG"), nullptr);
}

namespace {

// A 16 x 16 opaque bitmap with a colour per quadrant.
HBITMAP MakeQuadrantBitmap(COLORREF topLeft, COLORREF topRight, COLORREF bottomLeft, COLORREF bottomRight)
{
    const BITMAPINFO info = TopDownDibInfo(16, 16);
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap)
        return nullptr;
    auto* pixels = static_cast<uint32_t*>(bits);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const COLORREF c = y < 8 ? (x < 8 ? topLeft : topRight) : (x < 8 ? bottomLeft : bottomRight);
            pixels[y * 16 + x] = 0xFF000000u | (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        }
    }
    return bitmap;
}

}

TEST(Images, AlphaBlitStretchesOrTakesTheTopLeftCorner)
{
    const COLORREF a = RGB(255, 0, 0), b = RGB(0, 255, 0), c = RGB(0, 0, 255), d = RGB(255, 255, 0);
    HBITMAP source = MakeQuadrantBitmap(a, b, c, d);
    ASSERT_NE(source, nullptr);

    OffscreenCanvas canvas(48, 40, RGB(0, 0, 0));
    const RECT large = { 0, 0, 32, 32 };
    ASSERT_TRUE(AlphaBlitBitmap(canvas.Dc(), source, large, 16, 16));
    EXPECT_EQ(canvas.Pixel(2, 2), a);
    EXPECT_EQ(canvas.Pixel(29, 2), b);
    EXPECT_EQ(canvas.Pixel(2, 29), c);
    EXPECT_EQ(canvas.Pixel(29, 29), d);
    EXPECT_EQ(canvas.CountPixels(a, RECT { 0, 0, 16, 16 }), 256);
    EXPECT_EQ(canvas.Pixel(33, 2), RGB(0, 0, 0));

    const RECT small = { 36, 4, 44, 12 };
    ASSERT_TRUE(AlphaBlitBitmap(canvas.Dc(), source, small, 16, 16));
    EXPECT_EQ(canvas.CountPixels(a, small), 64);
    EXPECT_EQ(canvas.Pixel(44, 4), RGB(0, 0, 0));
    ::DeleteObject(source);

    EXPECT_FALSE(AlphaBlitBitmap(canvas.Dc(), nullptr, small, 16, 16));
}

namespace {

// The parent paints its left half red, its right half blue when erased, and
// a green band over its top 10 rows when printed.
LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ERASEBKGND || message == WM_PRINTCLIENT) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        RECT client;
        ::GetClientRect(hwnd, &client);
        if (message == WM_ERASEBKGND) {
            HBRUSH red = ::CreateSolidBrush(RGB(255, 0, 0));
            HBRUSH blue = ::CreateSolidBrush(RGB(0, 0, 255));
            RECT left = client, right = client;
            left.right = right.left = client.right / 2;
            ::FillRect(dc, &left, red);
            ::FillRect(dc, &right, blue);
            ::DeleteObject(red);
            ::DeleteObject(blue);
        } else {
            HBRUSH green = ::CreateSolidBrush(RGB(0, 255, 0));
            RECT band = client;
            band.bottom = 10;
            ::FillRect(dc, &band, green);
            ::DeleteObject(green);
        }
        return 1;
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

}

TEST(Images, ParentBackgroundBrushShowsWhatLiesUnderTheChild)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "ZtParentBackgroundTest";
    ::RegisterClassA(&wc);
    HWND parent = ::CreateWindowExA(
        0, wc.lpszClassName, "", WS_POPUP, 100, 100, 200, 100, nullptr, nullptr, wc.hInstance, nullptr);
    if (!parent)
        GTEST_SKIP() << "no display for windows";
    // The child straddles the middle and reaches into the top band.
    HWND child = ::CreateWindowExA(
        0, "STATIC", "", WS_CHILD | WS_VISIBLE, 80, 5, 40, 30, parent, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(child, nullptr);

    HBRUSH brush = DrawParentBackground(child, parent);
    ASSERT_NE(brush, nullptr);
    OffscreenCanvas canvas(40, 30);
    const RECT all = { 0, 0, 40, 30 };
    ::FillRect(canvas.Dc(), &all, brush);
    ::DeleteObject(brush);
    EXPECT_EQ(canvas.Pixel(5, 20), RGB(255, 0, 0)); // parent x 85: left half
    EXPECT_EQ(canvas.Pixel(35, 20), RGB(0, 0, 255)); // parent x 115: right half
    EXPECT_EQ(canvas.Pixel(5, 2), RGB(0, 255, 0)); // parent y 7: the printed band
    EXPECT_EQ(canvas.Pixel(19, 10), RGB(255, 0, 0)); // parent (99, 15)
    EXPECT_EQ(canvas.Pixel(20, 10), RGB(0, 0, 255)); // parent (100, 15)
    ::DestroyWindow(parent);
}
