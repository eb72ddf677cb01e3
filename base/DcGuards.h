#pragma once
// Device contexts that are released at the end of a scope, and guards that
// undo what a scope selected into or set on a DC. Used by every layer that
// draws; win/Gdi.h re-exports them.
#include <windows.h>

#include <cstdint>

#include "base/DibInfo.h"

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

// A memory DC with a bitmap of its own selected into it, kept between paints
// by a painter that draws off screen (making both costs more than a small
// drawing). Made again for another size or format; empty when GDI refuses.
class CBitmapDC
{
public:
    CBitmapDC() = default;
    ~CBitmapDC() { Release(); }
    CBitmapDC(const CBitmapDC&) = delete;
    CBitmapDC& operator=(const CBitmapDC&) = delete;

    // A bitmap compatible with target, of width x height.
    bool MakeCompatible(HDC target, int width, int height)
    {
        Release();
        if (width <= 0 || height <= 0)
            return false;
        return Take(target, ::CreateCompatibleBitmap(target, width, height), width, height);
    }
    // A 32-bit top-down DIB section of width x height, its pixels in Bits().
    bool MakeDib32(HDC target, int width, int height)
    {
        Release();
        if (width <= 0 || height <= 0)
            return false;
        const BITMAPINFO info = TopDownDibInfo(width, height);
        void* bits = nullptr;
        HBITMAP bitmap = ::CreateDIBSection(target, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!Take(target, bits ? bitmap : nullptr, width, height)) {
            if (bitmap && !bits)
                ::DeleteObject(bitmap);
            return false;
        }
        m_bits = static_cast<uint32_t*>(bits);
        return true;
    }
    void Release()
    {
        if (m_dc) {
            ::SelectObject(m_dc, m_oldBitmap);
            ::DeleteDC(m_dc);
        }
        if (m_bitmap)
            ::DeleteObject(m_bitmap);
        m_dc = nullptr;
        m_bitmap = nullptr;
        m_oldBitmap = nullptr;
        m_bits = nullptr;
        m_size = SIZE {};
    }

    bool IsNull() const { return m_dc == nullptr; }
    operator HDC() const { return m_dc; }
    SIZE Size() const { return m_size; }
    // The pixels of a DIB section (MakeDib32), rows of Size().cx; else null.
    uint32_t* Bits() const { return m_bits; }

private:
    bool Take(HDC target, HBITMAP bitmap, int width, int height)
    {
        HDC dc = bitmap ? ::CreateCompatibleDC(target) : nullptr;
        if (!dc) {
            if (bitmap)
                ::DeleteObject(bitmap);
            return false;
        }
        m_dc = dc;
        m_bitmap = bitmap;
        m_oldBitmap = ::SelectObject(dc, bitmap);
        m_size = SIZE { width, height };
        return true;
    }

    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
    uint32_t* m_bits = nullptr;
    SIZE m_size {};
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

// A font for the enclosing scope, selected only when the DC does not hold it
// already (and then put back): selecting a font costs far more than drawing a
// short text, so a caller that draws many texts in one font holds it once and
// the texts' own selections cost nothing.
class CUseFont
{
public:
    CUseFont(HDC dc, HFONT font)
        : m_dc(dc)
        , m_old(font && ::GetCurrentObject(dc, OBJ_FONT) != font ? ::SelectObject(dc, font) : nullptr)
    {
    }
    ~CUseFont()
    {
        if (m_old)
            ::SelectObject(m_dc, m_old);
    }
    CUseFont(const CUseFont&) = delete;
    CUseFont& operator=(const CUseFont&) = delete;

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
