#pragma once
// Owners of GDI and user-interface handles, device contexts and selection
// guards. The owner template, the kernel and GDI object owners and the DC
// guards live in base/ (HandleOwner.h, DcGuards.h) and are re-exported here
// under the same names; this file adds the typed GDI owners (CBitmap, CFont,
// ...), the user-interface handle owners and the off-screen CMemoryDC.
#include <windows.h>
#include <commctrl.h>
#include <uxtheme.h>
#include "base/DcGuards.h"
#include "base/HandleOwner.h"
#include "win/Geometry.h"

struct CIconTraits
{
    static void Free(HICON h) { ::DestroyIcon(h); }
};
struct CCursorTraits
{
    static void Free(HCURSOR h) { ::DestroyCursor(h); }
};
struct CImageListTraits
{
    static void Free(HIMAGELIST h) { ::ImageList_Destroy(h); }
};
struct CEnhMetaFileTraits
{
    static void Free(HENHMETAFILE h) { ::DeleteEnhMetaFile(h); }
};
struct CMenuTraits
{
    static void Free(HMENU h) { ::DestroyMenu(h); }
};
struct CThemeTraits
{
    static void Free(HTHEME h) { ::CloseThemeData(h); }
};

class CBitmap : public CHandleOwner<HBITMAP, CGdiObjectTraits>
{
public:
    using CHandleOwner::CHandleOwner;
    bool CreateCompatibleBitmap(HDC dc, int width, int height)
    {
        Attach(::CreateCompatibleBitmap(dc, width, height));
        return !IsNull();
    }
    CSize GetSize() const
    {
        BITMAP bm = {};
        if (!m_handle || !::GetObjectA(m_handle, sizeof(bm), &bm))
            return CSize();
        return CSize(bm.bmWidth, bm.bmHeight);
    }
};

class CFont : public CHandleOwner<HFONT, CGdiObjectTraits>
{
public:
    using CHandleOwner::CHandleOwner;
    // height as in LOGFONT (negative: character height); face in code page 936.
    bool Create(const char* face, int height, int weight = FW_NORMAL, bool underline = false)
    {
        LOGFONTA lf = {};
        lf.lfHeight = height;
        lf.lfWeight = weight;
        lf.lfUnderline = underline ? TRUE : FALSE;
        lf.lfCharSet = DEFAULT_CHARSET;
        lstrcpynA(lf.lfFaceName, face ? face : "", LF_FACESIZE);
        return CreateIndirect(lf);
    }
    bool CreateIndirect(const LOGFONTA& lf)
    {
        Attach(::CreateFontIndirectA(&lf));
        return !IsNull();
    }
};

class CPen : public CHandleOwner<HPEN, CGdiObjectTraits>
{
public:
    using CHandleOwner::CHandleOwner;
    bool Create(int style, int width, COLORREF color)
    {
        Attach(::CreatePen(style, width, color));
        return !IsNull();
    }
};

class CBrush : public CHandleOwner<HBRUSH, CGdiObjectTraits>
{
public:
    using CHandleOwner::CHandleOwner;
    bool CreateSolid(COLORREF color)
    {
        Attach(::CreateSolidBrush(color));
        return !IsNull();
    }
    bool CreatePattern(HBITMAP bitmap)
    {
        Attach(::CreatePatternBrush(bitmap));
        return !IsNull();
    }
};

class CRgn : public CHandleOwner<HRGN, CGdiObjectTraits>
{
public:
    using CHandleOwner::CHandleOwner;
    bool CreateRect(const RECT& r)
    {
        Attach(::CreateRectRgnIndirect(&r));
        return !IsNull();
    }
    bool CreatePolygon(const POINT* points, int count, int fillMode = ALTERNATE)
    {
        Attach(::CreatePolygonRgn(points, count, fillMode));
        return !IsNull();
    }
};

typedef CHandleOwner<HICON, CIconTraits> CIcon;
typedef CHandleOwner<HCURSOR, CCursorTraits> CCursor;
typedef CHandleOwner<HENHMETAFILE, CEnhMetaFileTraits> CEnhMetaFile;
typedef CHandleOwner<HTHEME, CThemeTraits> CTheme;

class CImageList : public CHandleOwner<HIMAGELIST, CImageListTraits>
{
public:
    using CHandleOwner::CHandleOwner;
    bool Create(int cx, int cy, UINT flags, int initial, int grow)
    {
        Attach(::ImageList_Create(cx, cy, flags, initial, grow));
        return !IsNull();
    }
    int GetImageCount() const { return ::ImageList_GetImageCount(m_handle); }
    int Add(HBITMAP image, COLORREF mask) { return ::ImageList_AddMasked(m_handle, image, mask); }
    bool Draw(int index, HDC dc, int x, int y, UINT style = ILD_NORMAL) const
    {
        return ::ImageList_Draw(m_handle, index, dc, x, y, style) != FALSE;
    }
};

// Device contexts ------------------------------------------------------------

// BeginPaint/EndPaint for WM_PAINT.
class CPaintDC
{
public:
    explicit CPaintDC(HWND hwnd)
        : m_hwnd(hwnd)
        , m_ps()
    {
        m_dc = ::BeginPaint(hwnd, &m_ps);
    }
    ~CPaintDC() { ::EndPaint(m_hwnd, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    operator HDC() const { return m_dc; }
    const RECT& PaintRect() const { return m_ps.rcPaint; }

private:
    HWND m_hwnd;
    PAINTSTRUCT m_ps;
    HDC m_dc;
};

// Off-screen drawing of one rectangle of a target DC: drawing goes to a
// memory bitmap with the same logical coordinates, copied once at the end.
class CMemoryDC
{
public:
    CMemoryDC(HDC target, const RECT& area);
    ~CMemoryDC();
    CMemoryDC(const CMemoryDC&) = delete;
    CMemoryDC& operator=(const CMemoryDC&) = delete;
    operator HDC() const { return m_dc; }
    const CRect& Area() const { return m_area; }

private:
    HDC m_target;
    CRect m_area;
    CHandleOwner<HDC, CMemoryDcTraits> m_dc;
    CGdiObject<HBITMAP> m_bitmap;
    HGDIOBJ m_oldBitmap;
};

// Small drawing helpers ------------------------------------------------------

inline void FillSolidRect(HDC dc, const RECT& r, COLORREF color)
{
    COLORREF old = ::SetBkColor(dc, color);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    ::SetBkColor(dc, old);
}
