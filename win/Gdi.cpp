#include "win/Gdi.h"

CMemoryDC::CMemoryDC(HDC target, const RECT& area)
    : m_target(target)
    , m_area(area)
    , m_dc(nullptr)
    , m_bitmap(nullptr)
    , m_oldBitmap(nullptr)
{
    m_dc = ::CreateCompatibleDC(target);
    if (!m_dc)
        return;
    if (!m_area.IsEmpty())
        m_bitmap = ::CreateCompatibleBitmap(target, m_area.Width(), m_area.Height());
    if (m_bitmap)
        m_oldBitmap = ::SelectObject(m_dc, m_bitmap);
    ::SetViewportOrgEx(m_dc, -m_area.left, -m_area.top, nullptr);
}

CMemoryDC::~CMemoryDC()
{
    if (!m_dc)
        return;
    if (m_bitmap) {
        ::BitBlt(m_target, m_area.left, m_area.top, m_area.Width(), m_area.Height(), m_dc, m_area.left,
            m_area.top, SRCCOPY);
        ::SelectObject(m_dc, m_oldBitmap);
        ::DeleteObject(m_bitmap);
    }
    ::DeleteDC(m_dc);
}
