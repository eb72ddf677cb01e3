#include "tools/skingen/SkinImages.h"
#include "base/PngFile.h"
#include "base/UnicodeString.h"
#include <windows.h>
#include <objbase.h>
#include <gdiplus.h>
#include <cstdint>
#include <cstdio>
#include <memory>

namespace {

constexpr int kStripWidth(int frameWidth)
{
    return frameWidth * kStripFrames;
}

// Little-endian writers for the file headers below.
void Put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    const std::wstring wide = GbkToWide(path);
    FILE* file = _wfopen(wide.c_str(), L"wb");
    if (!file)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

// Draws one image at its size; null on failure.
std::unique_ptr<Gdiplus::Bitmap> Render(const SkinImageSpec& spec, int width, int height)
{
    std::unique_ptr<Gdiplus::Bitmap> bitmap(new Gdiplus::Bitmap(width, height, PixelFormat32bppARGB));
    if (bitmap->GetLastStatus() != Gdiplus::Ok)
        return nullptr;
    Gdiplus::Graphics graphics(bitmap.get());
    graphics.Clear(Gdiplus::Color(0, 0, 0, 0));
    spec.draw(graphics, width, height);
    return bitmap;
}

// The pixels as straight-alpha BGRA rows, top row first.
bool ReadPixels(Gdiplus::Bitmap& bitmap, std::vector<uint32_t>& pixels)
{
    const int width = static_cast<int>(bitmap.GetWidth());
    const int height = static_cast<int>(bitmap.GetHeight());
    Gdiplus::Rect all(0, 0, width, height);
    Gdiplus::BitmapData data;
    if (bitmap.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) != Gdiplus::Ok)
        return false;
    pixels.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(data.Scan0) + y * data.Stride);
        for (int x = 0; x < width; ++x)
            pixels[static_cast<size_t>(y) * width + x] = row[x];
    }
    bitmap.UnlockBits(&data);
    return true;
}

// A 24-bit bottom-up BMP; alpha is dropped (the images are drawn opaque).
std::vector<uint8_t> EncodeBmp(const std::vector<uint32_t>& pixels, int width, int height)
{
    const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    const uint32_t imageBytes = stride * height;
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    Put32(out, 14 + 40 + imageBytes);
    Put32(out, 0);
    Put32(out, 14 + 40);
    Put32(out, 40);
    Put32(out, width);
    Put32(out, height);
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, BI_RGB);
    Put32(out, imageBytes);
    Put32(out, 2835); // 72 dpi
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t p = pixels[static_cast<size_t>(y) * width + x];
            out.push_back(static_cast<uint8_t>(p));
            out.push_back(static_cast<uint8_t>(p >> 8));
            out.push_back(static_cast<uint8_t>(p >> 16));
        }
        for (uint32_t pad = static_cast<uint32_t>(width) * 3; pad < stride; ++pad)
            out.push_back(0);
    }
    return out;
}

// The image part of an icon or cursor entry: a 32-bit DIB of double height
// (colour rows, then the AND mask), bottom-up.
std::vector<uint8_t> EncodeIconImage(const std::vector<uint32_t>& pixels, int size)
{
    const uint32_t maskStride = ((static_cast<uint32_t>(size) + 31) / 32) * 4;
    std::vector<uint8_t> out;
    Put32(out, 40);
    Put32(out, size);
    Put32(out, size * 2);
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, BI_RGB);
    Put32(out, static_cast<uint32_t>(size) * size * 4 + maskStride * size);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    for (int y = size - 1; y >= 0; --y) {
        for (int x = 0; x < size; ++x)
            Put32(out, pixels[static_cast<size_t>(y) * size + x]);
    }
    for (int y = size - 1; y >= 0; --y) {
        std::vector<uint8_t> row(maskStride, 0);
        for (int x = 0; x < size; ++x) {
            if ((pixels[static_cast<size_t>(y) * size + x] >> 24) == 0)
                row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

// An .ico (type 1) of several sizes or a .cur (type 2) of one.
bool WriteIconFile(const SkinImageSpec& spec, const std::string& path)
{
    const bool cursor = spec.format == SkinFileFormat::Cursor;
    const std::vector<int> sizes = cursor ? std::vector<int> { spec.width } : std::vector<int> { 16, 32, 48 };
    std::vector<std::vector<uint8_t>> images;
    for (int size : sizes) {
        std::unique_ptr<Gdiplus::Bitmap> bitmap = Render(spec, size, size);
        std::vector<uint32_t> pixels;
        if (!bitmap || !ReadPixels(*bitmap, pixels))
            return false;
        images.push_back(EncodeIconImage(pixels, size));
    }
    std::vector<uint8_t> out;
    Put16(out, 0);
    Put16(out, cursor ? 2 : 1);
    Put16(out, static_cast<uint32_t>(images.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        out.push_back(static_cast<uint8_t>(sizes[i] & 0xFF));
        out.push_back(static_cast<uint8_t>(sizes[i] & 0xFF));
        out.push_back(0);
        out.push_back(0);
        Put16(out, cursor ? spec.hotX : 1);
        Put16(out, cursor ? spec.hotY : 32);
        Put32(out, static_cast<uint32_t>(images[i].size()));
        Put32(out, offset);
        offset += static_cast<uint32_t>(images[i].size());
    }
    for (const auto& image : images)
        out.insert(out.end(), image.begin(), image.end());
    return WriteFileBytes(path, out);
}

void CreateDirectories(const std::string& dir)
{
    // Creates each level, so "Skin\Default" appears under a fresh directory.
    for (size_t i = 0; i <= dir.size(); ++i) {
        if (i == dir.size() || dir[i] == '\\' || dir[i] == '/')
            ::CreateDirectoryA(dir.substr(0, i).c_str(), nullptr);
    }
}

int WriteAll(const std::vector<SkinImageSpec>& catalogue, const std::string& dir)
{
    CreateDirectories(dir);
    int failures = 0;
    for (const SkinImageSpec& spec : catalogue) {
        if (!WriteSkinImage(spec, dir)) {
            std::fprintf(stderr, "skingen: %s failed\n", spec.fileName);
            ++failures;
        }
    }
    return failures;
}

using F = SkinFileFormat;

}

const std::vector<SkinImageSpec>& SkinImageCatalogue()
{
    static const std::vector<SkinImageSpec> catalogue = {
        { "biaoji.png", kIconCellSize * kIconCellCount, kIconCellSize, F::Png, DrawIconStrip },
        // Main window frame.
        { "wndtitle.bmp", kTitleImageWidth, 2 * kTitleHeight, F::Bmp, DrawMainTitle },
        { "wndborderleft.bmp", 2 * kBorderWidth, kBorderImageHeight, F::Bmp, DrawMainBorderLeft },
        { "wndborderright.bmp", 2 * kBorderWidth, kBorderImageHeight, F::Bmp, DrawMainBorderRight },
        { "wndborderbottom.bmp", kBottomImageWidth, 2 * kBottomBorderHeight, F::Bmp, DrawMainBorderBottom },
        // Login dialog frame.
        { "lwndtitle.bmp", kTitleImageWidth, 2 * kTitleHeight, F::Bmp, DrawLoginTitle },
        { "Lwndborderleft.bmp", 2 * kBorderWidth, kBorderImageHeight, F::Bmp, DrawLoginBorderLeft },
        { "Lwndborderright.bmp", 2 * kBorderWidth, kBorderImageHeight, F::Bmp, DrawLoginBorderRight },
        { "Lwndborderbottom.bmp", kBottomImageWidth, 2 * kBottomBorderHeight, F::Bmp, DrawLoginBorderBottom },
        // Caption buttons.
        { "framebtn_close.png", 3 * kCaptionButtonWidth, 2 * kCaptionButtonHeight, F::Png, DrawCaptionClose },
        { "framebtn_min.png", 3 * kCaptionButtonWidth, 2 * kCaptionButtonHeight, F::Png, DrawCaptionMinimise },
        { "framebtn_max.png", 3 * kCaptionButtonWidth, 2 * kCaptionButtonHeight, F::Png, DrawCaptionMaximise },
        { "framebtn_restore.png", 3 * kCaptionButtonWidth, 2 * kCaptionButtonHeight, F::Png,
            DrawCaptionRestore },
        // Button pieces (caption menu, dark command bar).
        { "barbutton_left.png", kStripWidth(kPieceCapWidth), kPieceHeight, F::Png, DrawPieceLeft },
        { "barbutton_middle.png", kStripWidth(kPieceMiddleWidth), kPieceHeight, F::Png, DrawPieceMiddle },
        { "barbutton_right.png", kStripWidth(kPieceCapWidth), kPieceHeight, F::Png, DrawPieceRight },
        { "Bar.png", kDarkBarImageWidth, kDarkBarHeight, F::Png, DrawDarkBar },
        // State strips.
        { "menu.png", kStripWidth(kDialogButtonWidth), kDialogButtonHeight, F::Png, DrawDialogButton },
        { "lmenu.png", kStripWidth(kDialogButtonWidth), kDialogButtonHeight, F::Png, DrawLoginButton },
        { "menu000.png", kStripWidth(kSmallButtonWidth), kSmallButtonHeight, F::Png, DrawSmallButton },
        { "check_uncheck.png", kStripWidth(kCheckSize), kCheckSize, F::Png, DrawCheckUnchecked },
        { "check_checked.png", kStripWidth(kCheckSize), kCheckSize, F::Png, DrawCheckChecked },
        { "radio_uncheck.png", kStripWidth(kCheckSize), kCheckSize, F::Png, DrawRadioUnchecked },
        { "radio_checked.png", kStripWidth(kCheckSize), kCheckSize, F::Png, DrawRadioChecked },
        { "ShowLeft.png", kStripWidth(kPanelToggleSize), kPanelToggleSize, F::Png, DrawShowLeft },
        { "ShowRight.png", kStripWidth(kPanelToggleSize), kPanelToggleSize, F::Png, DrawShowRight },
        { "tech_close.png", kStripWidth(kChartButtonSize), kChartButtonSize, F::Png, DrawChartClose },
        { "tech_add.png", kStripWidth(kChartButtonSize), kChartButtonSize, F::Png, DrawChartAdd },
        { "tech_tip.png", kStripWidth(kChartTipWidth), kChartButtonSize, F::Png, DrawChartTip },
        // Item images of the command bars.
        { "Tabs.png", kItemFrames * kTabFrameWidth, kTabFrameHeight, F::Png, DrawTabs },
        { "VTabRow.png", kVTabFrameWidth, kItemFrames * kVTabFrameHeight, F::Png, DrawVerticalTabs },
        // Bars.
        { "scrollbarbkgnd.png", kNewsBarImageWidth, kNewsBarHeight, F::Png, DrawNewsBar },
        { "statusbarbkgnd.png", kStatusBarImageWidth, kStatusBarHeight, F::Png, DrawStatusBar },
        { "arrow1.png", kLinkIconSize, kLinkIconSize, F::Png, DrawLinkIcon1 },
        { "arrow2.png", kLinkIconSize, kLinkIconSize, F::Png, DrawLinkIcon2 },
        { "arrow3.png", kLinkIconSize, kLinkIconSize, F::Png, DrawLinkIcon3 },
        // Skinned list and its scroll bar.
        { "ListItems.bmp", kListImageSize * kListImageCount, kListImageSize, F::Bmp, DrawListItems },
        { "scroll_back.bmp", kScrollBackWidth, kScrollBarHeight, F::Bmp, DrawScrollBack },
        { "scroll_left.bmp", kScrollArrowSize, kScrollArrowSize, F::Bmp, DrawScrollLeft },
        { "scroll_right.bmp", kScrollArrowSize, kScrollArrowSize, F::Bmp, DrawScrollRight },
        { "scroll_thumb.bmp", kScrollThumbWidth, kScrollThumbHeight, F::Bmp, DrawScrollThumb },
        // Pictures.
        { "Logo_01.png", kLogoWidth, kLogoHeight, F::Png, DrawLogo },
        { "hint_01.png", kHintWidth, kHintHeight, F::Png, DrawHint },
        { "about.png", kAboutWidth, kAboutHeight, F::Png, DrawAbout },
    };
    return catalogue;
}

const std::vector<SkinImageSpec>& ResourceImageCatalogue()
{
    static const std::vector<SkinImageSpec> catalogue = {
        { "Zentu.ico", 48, 48, F::Icon, DrawProgramIcon },
        { "colresize.cur", kCursorSize, kCursorSize, F::Cursor, DrawResizeCursor, 16, 16 },
        { "hand.cur", kCursorSize, kCursorSize, F::Cursor, DrawHandCursor, 11, 2 },
        { "split.cur", kCursorSize, kCursorSize, F::Cursor, DrawSplitCursor, 16, 16 },
        { "menuimages.bmp", kMenuImageSize * kMenuImageCount, kMenuImageSize, F::Bmp, DrawMenuImages },
    };
    return catalogue;
}

const SkinImageSpec* FindSkinImage(const std::string& fileName)
{
    for (const auto* catalogue : { &SkinImageCatalogue(), &ResourceImageCatalogue() }) {
        for (const SkinImageSpec& spec : *catalogue) {
            if (fileName == spec.fileName)
                return &spec;
        }
    }
    return nullptr;
}

bool WriteSkinImage(const SkinImageSpec& spec, const std::string& dir)
{
    std::string path = dir;
    if (!path.empty() && path.back() != '\\' && path.back() != '/')
        path += '\\';
    path += spec.fileName;
    if (spec.format == SkinFileFormat::Icon || spec.format == SkinFileFormat::Cursor)
        return WriteIconFile(spec, path);
    std::unique_ptr<Gdiplus::Bitmap> bitmap = Render(spec, spec.width, spec.height);
    if (!bitmap)
        return false;
    if (spec.format == SkinFileFormat::Png)
        return SaveImageAsPng(*bitmap, path);
    std::vector<uint32_t> pixels;
    return ReadPixels(*bitmap, pixels) && WriteFileBytes(path, EncodeBmp(pixels, spec.width, spec.height));
}

bool WriteSkinImage(const std::string& fileName, const std::string& dir)
{
    const SkinImageSpec* spec = FindSkinImage(fileName);
    return spec && WriteSkinImage(*spec, dir);
}

int WriteAllSkinImages(const std::string& dir)
{
    return WriteAll(SkinImageCatalogue(), dir);
}

int WriteAllResourceImages(const std::string& dir)
{
    return WriteAll(ResourceImageCatalogue(), dir);
}
