#pragma once
// A device-dependent bitmap loaded from an image file of the skin directory,
// drawn opaque or with its per-pixel alpha. The file extension decides how
// the file is read.
#include "win/Gdi.h"
#include <windows.h>
#include <ocidl.h>

// Image kinds by the last four characters of a name, upper-cased: ".BMP" 0,
// ".JPG" 1, ".PNG" 2, anything else (shorter names too) 3.
enum ImageKind { kImageBmp = 0, kImageJpeg = 1, kImagePng = 2, kImageOther = 3 };
int GetImageKind(const char* fileName);

class CEnBitmap
{
public:
    CEnBitmap() = default;
    virtual ~CEnBitmap() = default;
    CEnBitmap(const CEnBitmap&) = delete;
    CEnBitmap& operator=(const CEnBitmap&) = delete;

    // A new bitmap of the file (code-page-936 name), or null. Bitmaps load
    // as they are, PNG keeps its alpha (premultiplied), JPEG is rendered onto
    // the background colour (none when it is CLR_INVALID). The caller owns it.
    static HBITMAP LoadFromFile(const char* fileName, COLORREF background);
    // Renders a loaded picture into a new bitmap of its pixel size; null on failure.
    static HBITMAP FromPicture(IPicture* picture, COLORREF background);

    // Replaces the held bitmap with the file's; false (and nothing held) on failure.
    bool Load(const char* fileName, COLORREF background);

    HBITMAP GetBitmap() const { return m_bitmap; }
    bool IsNull() const { return m_bitmap.IsNull(); }
    int GetWidth() const { return m_bitmap.GetSize().cx; }
    int GetHeight() const { return m_bitmap.GetSize().cy; }

    // Copies the source rectangle (the whole bitmap when null) to (x, y).
    bool Draw(HDC dc, int x, int y, const RECT* source = nullptr) const;
    // Blends the source rectangle to (x, y) at its size with per-pixel alpha.
    bool AlphaDraw(HDC dc, int x, int y, const RECT& source) const;

protected:
    CBitmap m_bitmap;
};
