// Draws every skin image into Skin\Default beside this program, or into the
// directory given as its first argument, and, when a second directory is
// given, the images the resource script compiles in. Exit code: the number
// of failed images.
#include "base/PathUtil.h"
#include "tools/skingen/SkinImages.h"
#include <windows.h>
#include <objbase.h>
#include <gdiplus.h>
#include <cstdio>

int main(int argc, char** argv)
{
    const std::string dir = argc > 1 ? std::string(argv[1]) : GetModuleDirectory() + "Skin\\Default";
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) {
        std::fprintf(stderr, "skingen: GDI+ did not start\n");
        return 1;
    }
    int failures = WriteAllSkinImages(dir);
    if (argc > 2)
        failures += WriteAllResourceImages(argv[2]);
    Gdiplus::GdiplusShutdown(token);
    if (failures)
        std::fprintf(stderr, "skingen: %d image(s) could not be written\n", failures);
    return failures;
}
