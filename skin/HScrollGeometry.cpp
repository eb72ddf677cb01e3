#include "skin/HScrollGeometry.h"
#include <algorithm>
#include <cstdint>

CHScrollGeometry::CHScrollGeometry(
    CSize client, CSize leftArrow, CSize rightArrow, CSize thumb, int minPos, int maxPos)
    : m_thumbSize(thumb)
    , m_min(minPos)
    , m_max(maxPos)
    , m_leftArrow(1, 0, leftArrow.cx + 1, leftArrow.cy)
    , m_rightArrow(client.cx - rightArrow.cx, 1, client.cx, rightArrow.cy + 1)
    , m_channel(m_leftArrow.right, 0, m_rightArrow.left, client.cy)
{
}

CRect CHScrollGeometry::ThumbAt(int left) const
{
    return CRect(left, 1, left + m_thumbSize.cx, m_thumbSize.cy + 1);
}

CRect CHScrollGeometry::Thumb(int pos) const
{
    const int room = Room();
    if (room <= 0)
        return CRect();
    const int64_t span = m_max - m_min == 0 ? 1 : static_cast<int64_t>(m_max) - m_min;
    const int64_t along = static_cast<int64_t>(room) * (static_cast<int64_t>(pos) - m_min) / span;
    return ThumbAt(m_channel.left + static_cast<int>(along));
}

int CHScrollGeometry::PositionFromX(int x) const
{
    const int room = Room();
    if (room <= 0)
        return m_min;
    const int64_t percent = (static_cast<int64_t>(x) - m_channel.left) * 100 / room;
    const int64_t pos = m_min + percent * (static_cast<int64_t>(m_max) - m_min) / 100;
    const int64_t low = std::min(m_min, m_max);
    const int64_t high = std::max(m_min, m_max);
    return static_cast<int>(std::min(high, std::max(low, pos)));
}

CHScrollGeometry::Part CHScrollGeometry::HitTest(CPoint point, int pos) const
{
    if (m_leftArrow.Contains(point))
        return kLeftArrow;
    if (m_rightArrow.Contains(point))
        return kRightArrow;
    if (Room() <= 0)
        return kNone;
    const CRect thumb = Thumb(pos);
    if (thumb.Contains(point))
        return kThumb;
    if (!m_channel.Contains(point))
        return kNone;
    if (point.x < thumb.left)
        return kPageLeft;
    if (point.x >= thumb.right)
        return kPageRight;
    return kNone;
}

int CHScrollGeometry::PageX(Part part, int x) const
{
    if (part == kPageLeft)
        return std::max<int>(m_channel.left, x - m_leftArrow.Width());
    return std::min<int>(m_channel.right, x - m_leftArrow.Width());
}

int CHScrollGeometry::ClampThumbLeft(int left) const
{
    return std::max<int>(m_channel.left, std::min<int>(left, m_channel.right - m_thumbSize.cx));
}
