#include "skin/ListHeaderGeometry.h"

HeaderHit HitTestHeaderColumns(const std::vector<int>& widths, int scrollX, int x)
{
    const int count = static_cast<int>(widths.size());
    int right = -scrollX;
    for (int column = 0; column < count; ++column) {
        const int width = widths[column];
        right += width;
        HeaderHit hit;
        hit.found = true;
        hit.column = column;
        if (x >= right - 5 && x <= right - 1) {
            hit.flags = kHeaderHitDivider | kHeaderHitOwnDivider;
            return hit;
        }
        if (x >= right && x <= right + 4) {
            hit.flags = kHeaderHitDivider;
            if (count - 1 - column >= 2) {
                for (int next = column + 1; next < count && widths[next] == 0; ++next)
                    hit.column = next;
                hit.flags |= kHeaderHitHiddenColumn;
            } else {
                hit.flags |= kHeaderHitOwnDivider;
            }
            return hit;
        }
        if (x > right - width && x < right) {
            hit.flags = 0;
            return hit;
        }
    }
    return HeaderHit();
}

int HeaderDropPosition(const std::vector<int>& widths, int scrollX, int source, int x)
{
    HeaderHit hit = HitTestHeaderColumns(widths, scrollX, x);
    if (!hit.found)
        return -1;
    int left = -scrollX;
    for (int column = 0; column < hit.column; ++column)
        left += widths[column];
    int position = x >= left + widths[hit.column] / 2 ? hit.column + 1 : hit.column;
    if (position == source || position == source + 1)
        return -1;
    return position;
}

int HeaderDropArrowX(const std::vector<int>& widths, int scrollX, int dropPosition)
{
    int x = -scrollX;
    for (int column = 0; column < dropPosition && column < static_cast<int>(widths.size()); ++column)
        x += widths[column];
    return x;
}

ListCellHit HitTestCell(const ListGeometry& list, int x, int y)
{
    ListCellHit hit;
    if (y < list.headerHeight || list.rowHeight <= 0)
        return hit;
    int row = list.topRow + (y - list.headerHeight) / list.rowHeight;
    if (row >= list.rowCount)
        return hit;
    int left = -list.scrollX;
    for (int column = 0; column < static_cast<int>(list.widths.size()); ++column) {
        int right = left + list.widths[column];
        if (left < x && x < right) {
            hit.found = true;
            hit.row = row;
            hit.column = column;
            return hit;
        }
        left = right;
    }
    return hit;
}

int PointerRow(const ListGeometry& list, int x, int y)
{
    ListCellHit hit = HitTestCell(list, x, y);
    if (hit.found)
        return hit.row;
    if (y < list.headerHeight || list.rowHeight <= 0)
        return -1;
    return list.topRow + (y - list.headerHeight) / list.rowHeight;
}
