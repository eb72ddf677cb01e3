#include "base/PngFile.h"
#include "base/UnicodeString.h"
#include <objbase.h>
#include <gdiplus.h>
#include <vector>

namespace {

bool FindPngEncoder(CLSID& clsid)
{
    UINT count = 0, bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0)
        return false;
    std::vector<unsigned char> buffer(bytes);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, bytes, encoders) != Gdiplus::Ok)
        return false;
    for (UINT i = 0; i < count; ++i) {
        if (encoders[i].MimeType && std::wstring(encoders[i].MimeType) == L"image/png") {
            clsid = encoders[i].Clsid;
            return true;
        }
    }
    return false;
}

}

bool SaveImageAsPng(Gdiplus::Image& image, const std::string& path)
{
    CLSID clsid;
    if (!FindPngEncoder(clsid))
        return false;
    const std::wstring widePath = GbkToWide(path);
    return image.Save(widePath.c_str(), &clsid, nullptr) == Gdiplus::Ok;
}

bool SavePixelsAsPng(const void* pixels, int width, int height, bool withAlpha, const std::string& path)
{
    if (!pixels || width <= 0 || height <= 0)
        return false;
    Gdiplus::Bitmap bitmap(width, height, width * 4, withAlpha ? PixelFormat32bppARGB : PixelFormat32bppRGB,
        static_cast<BYTE*>(const_cast<void*>(pixels)));
    return bitmap.GetLastStatus() == Gdiplus::Ok && SaveImageAsPng(bitmap, path);
}
