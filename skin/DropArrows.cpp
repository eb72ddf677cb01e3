#include "skin/DropArrows.h"

void CDropArrows::GetArrowPoints(int h, POINT (&down)[7], POINT (&up)[7])
{
    const POINT d[7] = { { 8, 0 }, { 8, 4 }, { 11, 4 }, { 6, 9 }, { 1, 4 }, { 4, 4 }, { 4, 0 } };
    const POINT u[7] = { { 4, h }, { 4, h - 4 }, { 0, h - 4 }, { 6, h - 10 }, { 12, h - 4 }, { 8, h - 4 }, { 8, h } };
    for (int i = 0; i < 7; ++i) {
        down[i] = d[i];
        up[i] = u[i];
    }
}

bool CDropArrows::Create(HWND owner, int headerHeight)
{
    if (m_hWnd)
        DestroyWindow();
    m_height = headerHeight + kExtraHeight;
    if (!CWindowImpl::Create(owner, CRect(0, 0, kWidth, m_height)))
        return false;
    POINT down[7];
    POINT up[7];
    GetArrowPoints(m_height, down, up);
    CRgn region;
    CRgn second;
    if (region.CreatePolygon(down, 7, WINDING) && second.CreatePolygon(up, 7, WINDING)) {
        ::CombineRgn(region, region, second, RGN_OR);
        // The window owns the region once it is set.
        if (::SetWindowRgn(m_hWnd, region, FALSE))
            region.Detach();
    }
    return true;
}

void CDropArrows::ShowAt(int screenX, int screenY)
{
    if (m_hWnd)
        SetWindowPos(HWND_TOP, screenX - 7, screenY - m_height / 2, 0, 0,
            SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void CDropArrows::Hide()
{
    if (m_hWnd)
        ShowWindow(SW_HIDE);
}

void CDropArrows::OnPaint(HDC given, BOOL&)
{
    if (given) {
        FillSolidRect(given, GetClientRect(), kColor);
        return;
    }
    CPaintDC dc(m_hWnd);
    FillSolidRect(dc, GetClientRect(), kColor);
}
