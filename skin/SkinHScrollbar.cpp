#include "skin/SkinHScrollbar.h"
#include "win/DoubleBuffer.h"

namespace {

void VerticalGradient(HDC dc, int left, int top, int right, int bottom, COLORREF from, COLORREF to)
{
    if (bottom <= top || right <= left)
        return;
    TRIVERTEX vertices[2] = {};
    vertices[0].x = left;
    vertices[0].y = top;
    vertices[0].Red = static_cast<COLOR16>(GetRValue(from) << 8);
    vertices[0].Green = static_cast<COLOR16>(GetGValue(from) << 8);
    vertices[0].Blue = static_cast<COLOR16>(GetBValue(from) << 8);
    vertices[1].x = right;
    vertices[1].y = bottom;
    vertices[1].Red = static_cast<COLOR16>(GetRValue(to) << 8);
    vertices[1].Green = static_cast<COLOR16>(GetGValue(to) << 8);
    vertices[1].Blue = static_cast<COLOR16>(GetBValue(to) << 8);
    GRADIENT_RECT rect = { 0, 1 };
    ::GradientFill(dc, vertices, 2, &rect, 1, GRADIENT_FILL_RECT_V);
}

}

void CSkinHScrollbar::SetBitmaps(HBITMAP background, HBITMAP thumb, HBITMAP leftArrow, HBITMAP rightArrow)
{
    m_background.Attach(background);
    m_thumb.Attach(thumb);
    m_leftArrow.Attach(leftArrow);
    m_rightArrow.Attach(rightArrow);
    if (m_hWnd)
        Invalidate(false);
}

SCROLLINFO CSkinHScrollbar::RangeAndPosition() const
{
    SCROLLINFO info = {};
    info.fMask = SIF_RANGE | SIF_POS;
    if (!m_hWnd || !GetScrollInfo(&info))
        info.nMin = info.nMax = info.nPos = 0;
    return info;
}

CHScrollGeometry CSkinHScrollbar::Geometry() const
{
    const SCROLLINFO info = RangeAndPosition();
    return CHScrollGeometry(GetClientRect().Size(), m_leftArrow.GetSize(), m_rightArrow.GetSize(),
        m_thumb.GetSize(), info.nMin, info.nMax);
}

void CSkinHScrollbar::Send(UINT code, int pos)
{
    HWND target = m_notify ? m_notify : GetParent();
    ::SendMessageA(
        target, WM_HSCROLL, MAKEWPARAM(code, static_cast<WORD>(pos)), reinterpret_cast<LPARAM>(m_hWnd));
}

void CSkinHScrollbar::StopTimer()
{
    if (m_timer)
        KillTimer(kRepeatTimerId);
    m_timer = 0;
}

LRESULT CSkinHScrollbar::OnPaint(UINT msg, WPARAM wp, LPARAM, BOOL&)
{
    return PaintDoubleBuffered(m_hWnd, msg, wp, [this](HDC dc, const RECT&) { DoPaint(dc); });
}

void CSkinHScrollbar::DoPaint(HDC dc)
{
    const CRect client = GetClientRect();
    CMemDC source(dc);
    if (m_background) {
        const CSize size = m_background.GetSize();
        CSelectObject select(source, m_background);
        const int oldMode = ::SetStretchBltMode(dc, COLORONCOLOR);
        ::StretchBlt(dc, 0, 0, client.Width(), client.Height(), source, 0, 0, size.cx, size.cy, SRCCOPY);
        ::SetStretchBltMode(dc, oldMode);
    } else {
        const int middle = client.Height() / 2 - 2;
        VerticalGradient(dc, 0, 0, client.right, middle, RGB(0x5A, 0x64, 0x82), RGB(0x35, 0x3A, 0x45));
        VerticalGradient(dc, 0, middle, client.right, client.bottom - 9, RGB(0, 0, 0), RGB(0, 0, 0));
        VerticalGradient(
            dc, 0, client.bottom - 9, client.right, client.bottom, RGB(0, 0, 0), RGB(0x4C, 0x5E, 0x8B));
    }

    const CHScrollGeometry geometry = Geometry();
    const struct
    {
        const CBitmap& image;
        CRect rect;
    } arrows[2] = { { m_leftArrow, geometry.LeftArrow() }, { m_rightArrow, geometry.RightArrow() } };
    for (const auto& arrow : arrows) {
        if (!arrow.image)
            continue;
        const CSize size = arrow.image.GetSize();
        CSelectObject select(source, arrow.image);
        ::BitBlt(dc, arrow.rect.left, arrow.rect.top, size.cx, size.cy, source, 0, 0, SRCCOPY);
    }

    if (!m_thumb)
        return;
    const CRect thumb = m_pressed == CHScrollGeometry::kThumb ? geometry.ThumbAt(m_dragLeft)
                                                              : geometry.Thumb(RangeAndPosition().nPos);
    if (thumb.IsEmpty())
        return;
    const CSize size = m_thumb.GetSize();
    CSelectObject select(source, m_thumb);
    ::TransparentBlt(
        dc, thumb.left, thumb.top, size.cx, size.cy, source, 0, 0, size.cx, size.cy, RGB(0xFF, 0xFF, 0xFF));
}

// The system control keeps the numbers; painting is ours, so its own redraw
// becomes an invalidation.
LRESULT CSkinHScrollbar::OnSetScrollInfo(UINT msg, WPARAM wp, LPARAM lp, BOOL&)
{
    const LRESULT result = DefWindowProc(msg, FALSE, lp);
    if (wp)
        Invalidate(false);
    return result;
}

void CSkinHScrollbar::OnLButtonDown(UINT, CPoint point, BOOL&)
{
    const CHScrollGeometry geometry = Geometry();
    const int pos = RangeAndPosition().nPos;
    const CHScrollGeometry::Part part = geometry.HitTest(point, pos);
    m_pressed = part;
    switch (part) {
    case CHScrollGeometry::kLeftArrow:
        Send(SB_LINELEFT);
        break;
    case CHScrollGeometry::kRightArrow:
        Send(SB_LINERIGHT);
        break;
    case CHScrollGeometry::kThumb: {
        const CRect thumb = geometry.Thumb(pos);
        m_grabOffset = point.x - thumb.left;
        m_dragLeft = thumb.left;
        SetCapture();
        return;
    }
    case CHScrollGeometry::kPageLeft:
    case CHScrollGeometry::kPageRight:
        Send(SB_THUMBTRACK, geometry.PositionFromX(geometry.PageX(part, point.x)));
        SetCapture();
        return;
    default:
        break;
    }
    StopTimer();
    m_lastPoint = point;
    m_timer = SetTimer(kRepeatTimerId, kRepeatIntervalMs);
    SetCapture();
}

void CSkinHScrollbar::OnTimer(UINT_PTR id, BOOL& handled)
{
    if (id != kRepeatTimerId) {
        handled = FALSE;
        return;
    }
    const CHScrollGeometry geometry = Geometry();
    if (m_pressed == CHScrollGeometry::kLeftArrow && geometry.LeftArrow().Contains(m_lastPoint))
        Send(SB_LINELEFT);
    else if (m_pressed == CHScrollGeometry::kRightArrow && geometry.RightArrow().Contains(m_lastPoint))
        Send(SB_LINERIGHT);
}

void CSkinHScrollbar::OnMouseMove(UINT, CPoint point, BOOL&)
{
    m_lastPoint = point;
    if (m_pressed != CHScrollGeometry::kThumb)
        return;
    const CHScrollGeometry geometry = Geometry();
    const CRect channel = geometry.Channel();
    if (point.x < channel.left || point.x > channel.right)
        return;
    const int left = geometry.ClampThumbLeft(point.x - m_grabOffset);
    if (left == m_dragLeft)
        return;
    const int oldPos = geometry.PositionFromX(m_dragLeft);
    m_dragLeft = left;
    const int newPos = geometry.PositionFromX(left);
    if (newPos != oldPos)
        Send(SB_THUMBTRACK, newPos);
    Invalidate(false);
}

void CSkinHScrollbar::OnLButtonUp(UINT, CPoint, BOOL&)
{
    if (m_pressed == CHScrollGeometry::kThumb)
        Send(SB_THUMBPOSITION, Geometry().PositionFromX(m_dragLeft));
    if (m_pressed != CHScrollGeometry::kNone) {
        Send(SB_ENDSCROLL);
        m_pressed = CHScrollGeometry::kNone;
        Invalidate(false);
    }
    StopTimer();
    m_lastPoint = CPoint(-1, -1);
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
}
