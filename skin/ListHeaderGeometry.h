#pragma once
// Where a point falls on the skinned list's header, and where a dragged
// header item would be dropped: pure functions over the column widths in
// display order and the horizontal scroll position.
#include <utility>
#include <vector>

// Flags of a header hit.
enum : int {
    kHeaderHitDivider = 1, // on a divider: a press there resizes the column
    kHeaderHitOwnDivider = 2, // the divider at this column's own right edge
    kHeaderHitHiddenColumn = 4, // the divider of a zero-width column after it
};

struct HeaderHit
{
    bool found = false;
    int column = -1; // display index
    int flags = 0;
};

// The header item or divider at client x (the caller checks that y lies in
// the header). A divider reaches 5 pixels left and 4 right of a column's right
// edge; right of an edge followed by zero-width columns (and at least two
// columns after it) the hit names the last of them, so they can be widened
// again.
HeaderHit HitTestHeaderColumns(const std::vector<int>& widths, int scrollX, int x);

// Where header column `source` would go when dropped at client x: the column
// under x, or the one after it when x is at or right of that column's centre;
// -1 when that is no move (source or source + 1) or x is over no column.
int HeaderDropPosition(const std::vector<int>& widths, int scrollX, int source, int x);

// The index the source column takes in the new order after a drop at
// dropPosition (the source itself is taken out first).
inline int HeaderDropInsertIndex(int source, int dropPosition)
{
    return dropPosition > source ? dropPosition - 1 : dropPosition;
}

// The client x of the drop arrows: the left edge of the column at the drop
// position, or the right edge of the last column past the end.
int HeaderDropArrowX(const std::vector<int>& widths, int scrollX, int dropPosition);

// Moves element source of items to the drop position (see above).
template <class T> void MoveToDropPosition(std::vector<T>& items, int source, int dropPosition)
{
    if (source < 0 || source >= static_cast<int>(items.size()) || dropPosition < 0
        || dropPosition > static_cast<int>(items.size()))
        return;
    T moved = std::move(items[source]);
    items.erase(items.begin() + source);
    items.insert(items.begin() + HeaderDropInsertIndex(source, dropPosition), std::move(moved));
}

// The rows and columns of a list as its hit tests see them.
struct ListGeometry
{
    std::vector<int> widths; // display order
    int scrollX = 0;
    int headerHeight = 0; // 0 without a header
    int rowHeight = 0;
    int topRow = 0;
    int rowCount = 0;
};

struct ListCellHit
{
    bool found = false; // a real cell
    int row = -1;
    int column = -1; // display index; -1 off the columns
};

// The cell at a client point: at or below the header, on an existing row,
// strictly inside a column's scrolled span.
ListCellHit HitTestCell(const ListGeometry& list, int x, int y);

// The row the button notifications report for a point: the cell's row over
// a cell; -1 on the header (or with no row height); otherwise the row the
// height gives, which is at least the row count below the last row.
int PointerRow(const ListGeometry& list, int x, int y);
