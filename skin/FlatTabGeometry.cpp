#include "skin/FlatTabGeometry.h"
#include <algorithm>

int CFlatTabGeometry::AreaStart(bool arrows, bool firstLast)
{
    if (!arrows)
        return 1;
    return firstLast ? 65 : 33;
}

int CFlatTabGeometry::TabWidth(int titleWidth, int height)
{
    return titleWidth + height + height / 2;
}

CFlatTabGeometry::CFlatTabGeometry(const std::vector<int>& widths, int height, int start, int offset)
    : m_widths(widths)
    , m_height(height)
    , m_start(start)
    , m_offset(offset)
{
}

int CFlatTabGeometry::Step(int index) const
{
    return m_widths[static_cast<size_t>(index)] - m_height / 2 - 2;
}

int CFlatTabGeometry::StripX(int index) const
{
    int x = 0;
    for (int i = 0; i < index && i < static_cast<int>(m_widths.size()); ++i)
        x += Step(i);
    return x;
}

int CFlatTabGeometry::Total() const
{
    int total = 2;
    for (size_t i = 0; i < m_widths.size(); ++i)
        total += m_widths[i] - (i > 0 ? m_height / 2 : 0);
    return total;
}

bool CFlatTabGeometry::ItemRect(int index, int& left, int& right) const
{
    if (index < 0 || index >= static_cast<int>(m_widths.size()))
        return false;
    left = m_start + StripX(index) - m_offset;
    right = left + m_widths[static_cast<size_t>(index)];
    return true;
}

int CFlatTabGeometry::HitTest(int x) const
{
    if (x < m_start)
        return -1;
    int x0 = m_start - m_offset;
    for (int i = 0; i < static_cast<int>(m_widths.size()); ++i) {
        const int end = x0 + Step(i);
        if (x >= x0 && x <= end)
            return i;
        x0 = end;
    }
    return -1;
}

int CFlatTabGeometry::OffsetToShow(int index, int clientWidth) const
{
    int left = 0;
    int right = 0;
    if (!ItemRect(index, left, right))
        return m_offset;
    if (left < m_start)
        return m_offset - (m_start - left);
    const int room = clientWidth - m_start;
    if (right - m_start > room)
        return room < 0 ? 0 : m_offset + (right - m_start - room);
    return m_offset;
}

int CFlatTabGeometry::OffsetForLeft() const
{
    const int current = HitTest(m_start + 1);
    if (current < 0)
        return m_offset;
    return current == 0 ? 0 : StripX(current - 1);
}

int CFlatTabGeometry::OffsetForRight() const
{
    const int current = HitTest(m_start + 1);
    if (current < 0)
        return m_offset;
    const int last = static_cast<int>(m_widths.size()) - 1;
    return StripX(current == last ? current : current + 1);
}

// A strip that fits needs no scrolling: a negative offset would show it
// shifted right of the area with nothing drawn in front of it.
int CFlatTabGeometry::OffsetForLast(int clientWidth) const
{
    return std::max(0, Total() + m_start - clientWidth + 1);
}

bool CFlatTabGeometry::CanScrollRight(int clientWidth) const
{
    return clientWidth + m_offset < Total() + m_start + 1;
}
