#pragma once
// Loading skin images and drawing them with their alpha channel.
#include <windows.h>

// Decodes an image into a 32-bit bitmap handle that keeps its alpha channel
// (premultiplied, as AlphaBlend expects); null on failure. A text name is a
// file path (code-page-936 text; PNG, JPEG and BMP alike) and type is unused.
// A resource number with a type other than RT_BITMAP is read from that
// resource of the program's module; otherwise the bitmap resource of that
// number is loaded. GDI+ must have been started.
HBITMAP LoadImageFromResource(LPCSTR name, LPCSTR type);

// Alpha-blends (source over, per-pixel alpha) the top-left
// min(dest width, sourceWidth) x min(dest height, sourceHeight) region of the
// bitmap onto dest, stretched to fill it. False when blending failed.
bool AlphaBlitBitmap(HDC dc, HBITMAP bitmap, const RECT& dest, int sourceWidth, int sourceHeight);

// A pattern brush holding what the parent paints under the child, so the
// child can look transparent. The caller owns the brush; null on failure.
HBRUSH DrawParentBackground(HWND child, HWND parent);
