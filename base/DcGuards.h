#pragma once
// Device contexts that are released at the end of a scope, and guards that
// undo what a scope selected into or set on a DC. Used by every layer that
// draws; win/Gdi.h re-exports them.
#include <windows.h>

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
