// Header hit testing and the drop position of a dragged header item.
#include "skin/ListHeaderGeometry.h"
#include <gtest/gtest.h>

namespace {

struct HitCase
{
    const char* name;
    std::vector<int> widths;
    int scrollX;
    int x;
    bool found;
    int column;
    int flags;
};

}

TEST(ListHeaderGeometry, HitTestTable)
{
    // Columns of 50, 60 and 70 pixels: edges at 50, 110, 180.
    const std::vector<int> three = { 50, 60, 70 };
    const HitCase cases[] = {
        { "inside the first", three, 0, 10, true, 0, 0 },
        { "left part of the divider", three, 0, 45, true, 0, 3 },
        { "just left of the edge", three, 0, 49, true, 0, 3 },
        { "right part, two columns follow", three, 0, 50, true, 0, 5 },
        { "right part, last of four pixels", three, 0, 54, true, 0, 5 },
        { "beyond the divider", three, 0, 55, true, 1, 0 },
        { "edge of the second, one follows", three, 0, 112, true, 1, 3 },
        { "right of the last edge", three, 0, 184, true, 2, 3 },
        { "past everything", three, 0, 185, false, -1, 0 },
        { "x 0 is no column", three, 0, 0, false, -1, 0 },
        { "scrolled by 40", three, 40, 7, true, 0, 3 },
        { "scrolled, second column", three, 40, 30, true, 1, 0 },
        // Zero-width columns after column 0 are reached from its right edge.
        { "hidden columns", { 50, 0, 0, 70, 20 }, 0, 52, true, 2, 5 },
        { "no columns", {}, 0, 5, false, -1, 0 },
    };
    for (const HitCase& c : cases) {
        HeaderHit hit = HitTestHeaderColumns(c.widths, c.scrollX, c.x);
        EXPECT_EQ(c.found, hit.found) << c.name;
        EXPECT_EQ(c.column, hit.column) << c.name;
        EXPECT_EQ(c.flags, hit.flags) << c.name;
    }
}

TEST(ListHeaderGeometry, DropPositionTable)
{
    // Four columns of 100 pixels.
    const std::vector<int> widths = { 100, 100, 100, 100 };
    struct DropCase
    {
        const char* name;
        int source;
        int scrollX;
        int x;
        int position;
    } cases[] = {
        { "header 0 on the left half of 2", 0, 0, 220, 2 },
        { "header 0 on its own right half", 0, 0, 80, -1 },
        { "header 0 on its own left half", 0, 0, 20, -1 },
        { "header 0 on the left half of 1", 0, 0, 120, -1 },
        { "header 0 on the right half of 3", 0, 0, 380, 4 },
        { "header 3 on the left half of 0", 3, 0, 20, 0 },
        { "header 2 on the centre of 1", 2, 0, 150, -1 },
        { "header 2 right of everything", 2, 0, 450, -1 },
        { "scrolled: header 3 onto column 1's left half", 3, 100, 20, 1 },
    };
    for (const DropCase& c : cases)
        EXPECT_EQ(c.position, HeaderDropPosition(widths, c.scrollX, c.source, c.x)) << c.name;

    // The arrows stand at the left edge of the drop position, or the right
    // edge of the last column past the end.
    EXPECT_EQ(200, HeaderDropArrowX(widths, 0, 2));
    EXPECT_EQ(400, HeaderDropArrowX(widths, 0, 4));
    EXPECT_EQ(150, HeaderDropArrowX(widths, 50, 2));
}

TEST(ListHeaderGeometry, DropMovesTheSourceBetweenItsNeighbours)
{
    std::vector<char> columns = { 'a', 'b', 'c', 'd' };
    // Header 0 dropped on the left half of header 2: between the old 1 and 2.
    MoveToDropPosition(columns, 0, 2);
    EXPECT_EQ((std::vector<char> { 'b', 'a', 'c', 'd' }), columns);
    // To the end, and to the front.
    MoveToDropPosition(columns, 1, 4);
    EXPECT_EQ((std::vector<char> { 'b', 'c', 'd', 'a' }), columns);
    MoveToDropPosition(columns, 2, 0);
    EXPECT_EQ((std::vector<char> { 'd', 'b', 'c', 'a' }), columns);
    // A position outside the columns changes nothing.
    MoveToDropPosition(columns, 1, 9);
    EXPECT_EQ((std::vector<char> { 'd', 'b', 'c', 'a' }), columns);
}

TEST(ListHeaderGeometry, CellHitsAndThePointerRowOfNotifications)
{
    ListGeometry list;
    list.widths = { 50, 60 };
    list.headerHeight = 20;
    list.rowHeight = 18;
    list.topRow = 2;
    list.rowCount = 5;

    ListCellHit hit = HitTestCell(list, 70, 40);
    EXPECT_TRUE(hit.found);
    EXPECT_EQ(3, hit.row);
    EXPECT_EQ(1, hit.column);
    // Column edges are outside both columns; the header is no cell.
    EXPECT_FALSE(HitTestCell(list, 50, 40).found);
    EXPECT_FALSE(HitTestCell(list, 0, 40).found);
    EXPECT_FALSE(HitTestCell(list, 10, 19).found);
    EXPECT_TRUE(HitTestCell(list, 10, 20).found);

    // Right of the last column: a real row. Below the last row: at least the count.
    EXPECT_FALSE(HitTestCell(list, 200, 40).found);
    EXPECT_EQ(3, PointerRow(list, 200, 40));
    EXPECT_GE(PointerRow(list, 10, 200), list.rowCount);
    EXPECT_FALSE(HitTestCell(list, 10, 200).found);
    // On the header, or with no row height: -1.
    EXPECT_EQ(-1, PointerRow(list, 10, 5));
    list.rowHeight = 0;
    EXPECT_EQ(-1, PointerRow(list, 10, 40));
    // Scrolled right by 30: x 25 is in the second column.
    list.rowHeight = 18;
    list.scrollX = 30;
    EXPECT_EQ(1, HitTestCell(list, 25, 40).column);
}
