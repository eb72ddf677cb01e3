#include "win/Gdi.h"

CMemoryDC::CMemoryDC(HDC target, const RECT& area)
    : m_target(target)
    , m_area(area)
    , m_dc(::CreateCompatibleDC(target))
    , m_oldBitmap(nullptr)
{
    if (m_dc.IsNull())
        return;
    if (!m_area.IsEmpty())
        m_bitmap.Attach(::CreateCompatibleBitmap(target, m_area.Width(), m_area.Height()));
    if (m_bitmap)
        m_oldBitmap = ::SelectObject(m_dc, m_bitmap);
    ::SetViewportOrgEx(m_dc, -m_area.left, -m_area.top, nullptr);
}

// The DC and the bitmap are freed by their owners once the bitmap is deselected.
CMemoryDC::~CMemoryDC()
{
    if (m_dc.IsNull() || m_bitmap.IsNull())
        return;
    ::BitBlt(m_target, m_area.left, m_area.top, m_area.Width(), m_area.Height(), m_dc, m_area.left,
        m_area.top, SRCCOPY);
    ::SelectObject(m_dc, m_oldBitmap);
}
