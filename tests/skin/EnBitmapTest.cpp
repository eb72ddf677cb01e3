// Image-file bitmaps: the kind of a name, loading each format, drawing.
#include "base/DataPaths.h"
#include "base/PngFile.h"
#include "base/UnicodeString.h"
#include "skin/EnBitmap.h"
#include "tests/support/OffscreenCanvas.h"
#include "tests/support/TempDirectory.h"
#include "tools/skingen/SkinImages.h"
#include <windows.h>
#include <objbase.h>
#include <gdiplus.h>
#include <gtest/gtest.h>
#include <cstdlib>
#include <vector>

namespace {

std::string SkinFile(const char* name)
{
    return DataPaths::Instance()->GetSkinFile(name);
}

bool CopyInto(const TempDirectory& dir, const char* skinName, const std::string& newName)
{
    return ::CopyFileA(SkinFile(skinName).c_str(), dir.File(newName).c_str(), FALSE) != FALSE;
}

// A JPEG of one colour, written through GDI+.
bool WriteJpeg(const std::string& path, int width, int height, const Gdiplus::Color& colour)
{
    UINT count = 0, bytes = 0;
    Gdiplus::GetImageEncodersSize(&count, &bytes);
    std::vector<unsigned char> buffer(bytes);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (!bytes || Gdiplus::GetImageEncoders(count, bytes, encoders) != Gdiplus::Ok)
        return false;
    for (UINT i = 0; i < count; ++i) {
        if (std::wstring(encoders[i].MimeType) != L"image/jpeg")
            continue;
        Gdiplus::Bitmap bitmap(width, height, PixelFormat24bppRGB);
        {
            Gdiplus::Graphics g(&bitmap);
            g.Clear(colour);
        }
        return bitmap.Save(GbkToWide(path).c_str(), &encoders[i].Clsid, nullptr) == Gdiplus::Ok;
    }
    return false;
}

bool Near(COLORREF a, COLORREF b, int tolerance)
{
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance
        && std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

}

TEST(ImageKind, DecidedByTheLastFourCharactersUpperCased)
{
    struct Case
    {
        const char* name;
        int kind;
    };
    const Case cases[] = {
        { "wndtitle.bmp", kImageBmp }, { "a.Bmp", kImageBmp }, { "A.BMP", kImageBmp }, { ".bmp", kImageBmp },
        { "photo.jpg", kImageJpeg }, { "PHOTO.Jpg", kImageJpeg }, { "menu.png", kImagePng },
        { "目录\\按钮.PNG", kImagePng }, { "a.gif", kImageOther }, { "a.jpeg", kImageOther },
        { "bmp", kImageOther }, { "BMP", kImageOther }, { "a.bmp ", kImageOther }, { "", kImageOther },
        { nullptr, kImageOther },
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetImageKind(c.name), c.kind) << (c.name ? c.name : "(null)");
}

// Bitmaps load whatever the case of their extension; other kinds load nothing.
TEST(EnBitmap, LoadsBitmapsByExtensionInAnyCase)
{
    TempDirectory dir("enbitmap");
    for (const char* name : { "a.Bmp", "b.bmp", "c.BMP" }) {
        ASSERT_TRUE(CopyInto(dir, "wndtitle.bmp", name));
        CEnBitmap image;
        EXPECT_TRUE(image.Load(dir.File(name).c_str(), RGB(255, 0, 255))) << name;
        EXPECT_EQ(image.GetWidth(), kTitleImageWidth) << name;
        EXPECT_EQ(image.GetHeight(), 2 * kTitleHeight) << name;
    }
    // The same bytes under other names.
    for (const char* name : { "d.gif", "bmp" }) {
        ASSERT_TRUE(CopyInto(dir, "wndtitle.bmp", name));
        CEnBitmap image;
        EXPECT_FALSE(image.Load(dir.File(name).c_str(), 0)) << name;
        EXPECT_TRUE(image.IsNull());
        EXPECT_EQ(image.GetWidth(), 0);
    }
}

// A failed load drops what was held; drawing then does nothing.
TEST(EnBitmap, AFailedLoadLeavesTheImageEmpty)
{
    CEnBitmap image;
    ASSERT_TRUE(image.Load(SkinFile("menu.png").c_str(), 0));
    EXPECT_FALSE(image.Load(SkinFile("no-such-image.png").c_str(), 0));
    EXPECT_TRUE(image.IsNull());
    EXPECT_EQ(image.GetHeight(), 0);
    OffscreenCanvas canvas(10, 10);
    EXPECT_FALSE(image.Draw(canvas.Dc(), 0, 0));
    EXPECT_FALSE(image.AlphaDraw(canvas.Dc(), 0, 0, RECT { 0, 0, 5, 5 }));
    EXPECT_EQ(canvas.CountPixelsNot(RGB(0, 0, 0)), 0);
}

TEST(EnBitmap, PngKeepsItsAlphaAndBlends)
{
    CEnBitmap image;
    ASSERT_TRUE(image.Load(SkinFile("menu.png").c_str(), RGB(255, 0, 255)));
    EXPECT_EQ(image.GetWidth(), kStripFrames * kDialogButtonWidth);
    EXPECT_EQ(image.GetHeight(), kDialogButtonHeight);
    // The pressed frame is red and opaque in its middle; its rounded corner
    // lets the background through.
    const COLORREF background = RGB(0, 128, 0);
    OffscreenCanvas canvas(kDialogButtonWidth, kDialogButtonHeight, background);
    const RECT pressed = { 3 * kDialogButtonWidth, 0, 4 * kDialogButtonWidth, kDialogButtonHeight };
    ASSERT_TRUE(image.AlphaDraw(canvas.Dc(), 0, 0, pressed));
    const COLORREF middle = canvas.Pixel(kDialogButtonWidth / 2, kDialogButtonHeight - 4);
    EXPECT_GT(GetRValue(middle), 80);
    EXPECT_LT(GetGValue(middle), 40);
    EXPECT_EQ(canvas.Pixel(0, 0), background);
}

TEST(EnBitmap, DrawCopiesTheSourceRectangle)
{
    CEnBitmap image;
    ASSERT_TRUE(image.Load(SkinFile("wndtitle.bmp").c_str(), 0));
    OffscreenCanvas canvas(20, 10, RGB(0, 0, 255));
    // Rows 27 to 29 of the title: the gradient's end, the red line, the dark line.
    const RECT rows = { 0, kTitleHeight - 3, 20, kTitleHeight };
    ASSERT_TRUE(image.Draw(canvas.Dc(), 0, 5, &rows));
    EXPECT_EQ(canvas.Pixel(10, 4), RGB(0, 0, 255));
    const COLORREF accent = canvas.Pixel(10, 6);
    EXPECT_GT(GetRValue(accent), 150);
    EXPECT_LT(GetGValue(accent), 60);
    EXPECT_EQ(canvas.Pixel(10, 8), RGB(0, 0, 255));
}

// A JPEG renders onto a bitmap of its own pixel size, filled with the
// background first.
TEST(EnBitmap, JpegRendersAtItsPixelSize)
{
    TempDirectory dir("enbitmap");
    const std::string path = dir.File("快照.jpg");
    ASSERT_TRUE(WriteJpeg(path, 40, 30, Gdiplus::Color(255, 20, 60, 200)));
    CEnBitmap image;
    ASSERT_TRUE(image.Load(path.c_str(), RGB(255, 0, 255)));
    EXPECT_EQ(image.GetWidth(), 40);
    EXPECT_EQ(image.GetHeight(), 30);
    OffscreenCanvas canvas(40, 30);
    ASSERT_TRUE(image.Draw(canvas.Dc(), 0, 0));
    for (POINT p : { POINT { 1, 1 }, POINT { 20, 15 }, POINT { 38, 28 } })
        EXPECT_TRUE(Near(canvas.Pixel(p.x, p.y), RGB(20, 60, 200), 12)) << p.x << "," << p.y;
}
