#pragma once
// Owners of GDI and user-interface handles, device contexts and selection
// guards. An owner frees its handle exactly once; it moves but never copies,
// so every handle has one owner. Handles that belong to someone else (stock
// objects, shared icons, GdiObjectCache entries) are used raw, never owned.
#include <windows.h>
#include <commctrl.h>
#include <uxtheme.h>
#include "win/Geometry.h"

// An owned handle; Traits::Free(handle) releases it.
template <class Handle, class Traits> class CHandleOwner
{
public:
    CHandleOwner()
        : m_handle(nullptr)
    {
    }
    explicit CHandleOwner(Handle h)
        : m_handle(h)
    {
    }
    CHandleOwner(CHandleOwner&& other) noexcept
        : m_handle(other.Detach())
    {
    }
    CHandleOwner& operator=(CHandleOwner&& other) noexcept
    {
        if (this != &other)
            Attach(other.Detach());
        return *this;
    }
    CHandleOwner(const CHandleOwner&) = delete;
    CHandleOwner& operator=(const CHandleOwner&) = delete;
    ~CHandleOwner() { Reset(); }

    // Takes over h, freeing what was held before.
    void Attach(Handle h)
    {
        if (h != m_handle) {
            Reset();
            m_handle = h;
        }
    }
    Handle Detach()
    {
        Handle h = m_handle;
        m_handle = nullptr;
        return h;
    }
    void Reset()
    {
        if (m_handle)
            Traits::Free(m_handle);
        m_handle = nullptr;
    }
    Handle Get() const { return m_handle; }
    bool IsNull() const { return m_handle == nullptr; }
    operator Handle() const { return m_handle; }

protected:
    Handle m_handle;
};

struct CGdiObjectTraits
{
    static void Free(HGDIOBJ h) { ::DeleteObject(h); }
};
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

// GetDC (client area) or GetWindowDC (whole window), released at the end.
class CClientDC
{
public:
    explicit CClientDC(HWND hwnd)
        : m_hwnd(hwnd)
        , m_dc(::GetDC(hwnd))
    {
    }
    ~CClientDC() { ::ReleaseDC(m_hwnd, m_dc); }
    CClientDC(const CClientDC&) = delete;
    CClientDC& operator=(const CClientDC&) = delete;
    operator HDC() const { return m_dc; }

protected:
    CClientDC(HWND hwnd, HDC dc)
        : m_hwnd(hwnd)
        , m_dc(dc)
    {
    }
    HWND m_hwnd;
    HDC m_dc;
};

class CWindowDC : public CClientDC
{
public:
    explicit CWindowDC(HWND hwnd)
        : CClientDC(hwnd, ::GetWindowDC(hwnd))
    {
    }
};

// A memory DC compatible with another (the screen when null), deleted at the end.
class CMemDC
{
public:
    explicit CMemDC(HDC compatible = nullptr)
        : m_dc(::CreateCompatibleDC(compatible))
    {
    }
    ~CMemDC()
    {
        if (m_dc)
            ::DeleteDC(m_dc);
    }
    CMemDC(const CMemDC&) = delete;
    CMemDC& operator=(const CMemDC&) = delete;
    operator HDC() const { return m_dc; }

private:
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
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_oldBitmap;
};

// Selection and state guards -------------------------------------------------

// Selects an object into a DC and selects the previous one back at the end.
class CSelectObject
{
public:
    CSelectObject(HDC dc, HGDIOBJ object)
        : m_dc(dc)
        , m_old(object ? ::SelectObject(dc, object) : nullptr)
    {
    }
    ~CSelectObject()
    {
        if (m_old)
            ::SelectObject(m_dc, m_old);
    }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// SaveDC/RestoreDC: everything selected or set inside is undone at the end.
class CSaveDC
{
public:
    explicit CSaveDC(HDC dc)
        : m_dc(dc)
        , m_saved(::SaveDC(dc))
    {
    }
    ~CSaveDC()
    {
        if (m_saved)
            ::RestoreDC(m_dc, m_saved);
    }
    CSaveDC(const CSaveDC&) = delete;
    CSaveDC& operator=(const CSaveDC&) = delete;

private:
    HDC m_dc;
    int m_saved;
};

// Small drawing helpers ------------------------------------------------------

inline void FillSolidRect(HDC dc, const RECT& r, COLORREF color)
{
    COLORREF old = ::SetBkColor(dc, color);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    ::SetBkColor(dc, old);
}
