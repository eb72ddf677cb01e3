#include "tools/skingen/SkinImages.h"
#include "base/PngFile.h"
#include <windows.h>
#include <objbase.h>
#include <gdiplus.h>

const std::vector<SkinImageSpec>& SkinImageCatalogue()
{
    static const std::vector<SkinImageSpec> catalogue = {
        { "biaoji.png", kIconCellSize * kIconCellCount, kIconCellSize, DrawIconStrip },
    };
    return catalogue;
}

const SkinImageSpec* FindSkinImage(const std::string& fileName)
{
    for (const SkinImageSpec& spec : SkinImageCatalogue()) {
        if (fileName == spec.fileName)
            return &spec;
    }
    return nullptr;
}

bool WriteSkinImage(const SkinImageSpec& spec, const std::string& dir)
{
    Gdiplus::Bitmap bitmap(spec.width, spec.height, PixelFormat32bppARGB);
    if (bitmap.GetLastStatus() != Gdiplus::Ok)
        return false;
    {
        Gdiplus::Graphics graphics(&bitmap);
        graphics.Clear(Gdiplus::Color(0, 0, 0, 0));
        spec.draw(graphics, spec.width, spec.height);
    }
    std::string path = dir;
    if (!path.empty() && path.back() != '\\' && path.back() != '/')
        path += '\\';
    return SaveImageAsPng(bitmap, path + spec.fileName);
}

bool WriteSkinImage(const std::string& fileName, const std::string& dir)
{
    const SkinImageSpec* spec = FindSkinImage(fileName);
    return spec && WriteSkinImage(*spec, dir);
}

int WriteAllSkinImages(const std::string& dir)
{
    // Creates each level, so "Skin\Default" appears under a fresh directory.
    for (size_t i = 0; i <= dir.size(); ++i) {
        if (i == dir.size() || dir[i] == '\\' || dir[i] == '/')
            ::CreateDirectoryA(dir.substr(0, i).c_str(), nullptr);
    }
    int failures = 0;
    for (const SkinImageSpec& spec : SkinImageCatalogue()) {
        if (!WriteSkinImage(spec, dir))
            ++failures;
    }
    return failures;
}
