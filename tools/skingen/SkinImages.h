#pragma once
// The skin images, drawn by our own code: every image the program loads from
// Skin\Default, in the names, formats, frame layouts and sizes it expects.
// Sizes drive layout, so this catalogue is the one place they are decided.
//
// Adding an image: write a draw function (one file per image family, beside
// IconStrip.cpp) and add one row to the catalogue in SkinImages.cpp.
#include <string>
#include <vector>

namespace Gdiplus {
class Graphics;
}

struct SkinImageSpec
{
    const char* fileName; // as loaded from the skin directory
    int width;
    int height;
    // Draws onto a transparent 32-bit ARGB canvas of width x height.
    void (*draw)(Gdiplus::Graphics& graphics, int width, int height);
};

// Every image, in catalogue order.
const std::vector<SkinImageSpec>& SkinImageCatalogue();

// The catalogue entry of that file name, or null.
const SkinImageSpec* FindSkinImage(const std::string& fileName);

// Draws one image and writes it as PNG into dir (no trailing backslash
// needed). GDI+ must have been started. False on failure.
bool WriteSkinImage(const SkinImageSpec& spec, const std::string& dir);
bool WriteSkinImage(const std::string& fileName, const std::string& dir);

// Writes every image into dir, creating it; returns how many failed.
int WriteAllSkinImages(const std::string& dir);

// Image families (one file each).
void DrawIconStrip(Gdiplus::Graphics& graphics, int width, int height);

// "biaoji.png": the indicator icons, 16 x 16 cells side by side.
constexpr int kIconCellSize = 16;
constexpr int kIconCellCount = 12;
