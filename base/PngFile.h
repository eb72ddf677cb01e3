#pragma once
// Writes images as PNG files through GDI+ (started by the caller).
#include <windows.h>
#include <string>

namespace Gdiplus {
class Image;
}

// False when no PNG encoder exists or the file cannot be written.
bool SaveImageAsPng(Gdiplus::Image& image, const std::string& path);

// Saves 32-bit top-down pixels (BGRA rows, width * 4 bytes each); withAlpha
// keeps the fourth byte as straight alpha, otherwise the image is opaque.
bool SavePixelsAsPng(const void* pixels, int width, int height, bool withAlpha, const std::string& path);
