#pragma once
// The one description of the device-independent bitmaps the program makes
// and reads: uncompressed and top-down, so row 0 is the top of the picture
// both in a DIB section's memory and in what GetDIBits writes.
#include <windows.h>

inline BITMAPINFO TopDownDibInfo(int width, int height, WORD bitCount = 32)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = bitCount;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}
