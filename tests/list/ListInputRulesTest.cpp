// Selection, focus keys, band rows and scroll positions of the skinned list.
#include "skin/ListInputRules.h"
#include <gtest/gtest.h>
#include <set>

namespace {

struct SelectState
{
    std::set<int> rows;
    int anchor = -1;
    int focusRow = -1;
    int focusColumn = -1;
};

struct SelectCase
{
    const char* name;
    SelectState before;
    int row;
    int column;
    unsigned keys;
    bool single;
    std::set<int> rows;
    int anchor;
    int focusRow;
    int focusColumn;
    bool notify;
};

}

TEST(ListInputRules, SelectItemTable)
{
    const SelectCase cases[] = {
        { "plain click", { {}, -1, -1, -1 }, 3, 1, 0, false, { 3 }, 3, 3, 1, true },
        { "plain click replaces", { { 1, 2 }, 1, 2, -1 }, 5, 0, 0, false, { 5 }, 5, 5, 0, true },
        { "again on the only row, other column", { { 3 }, 3, 3, 1 }, 3, 2, 0, false, { 3 }, 3, 3, 2, false },
        { "ctrl on the only row removes it", { { 3 }, 3, 3, 1 }, 3, 1, MK_CONTROL, false, {}, 3, 3, 1, false },
        { "ctrl adds another row", { { 3 }, 3, 3, 1 }, 6, 1, MK_CONTROL, false, { 3, 6 }, 6, 6, -1, true },
        { "ctrl in single selection", { { 3 }, 3, 3, 1 }, 6, 1, MK_CONTROL, true, { 6 }, 6, 6, 1, true },
        { "shift range down", { { 2 }, 2, 2, 0 }, 5, 0, MK_SHIFT, false, { 2, 3, 4, 5 }, 2, 5, -1, true },
        { "shift range up", { { 4 }, 4, 4, 0 }, 1, 0, MK_SHIFT, false, { 1, 2, 3, 4 }, 4, 1, -1, true },
        { "shift without anchor", { {}, -1, -1, -1 }, 4, 2, MK_SHIFT, false, { 4 }, 4, 4, 2, true },
        { "shift in single selection", { { 2 }, 2, 2, 0 }, 5, 0, MK_SHIFT, true, { 5 }, 5, 5, 0, true },
        { "shift+ctrl is a range", { { 2 }, 2, 2, 0 }, 3, 0, MK_SHIFT | MK_CONTROL, false, { 2, 3 }, 2, 3, -1, true },
        { "click on one of several", { { 1, 2, 3 }, 1, 3, -1 }, 2, 0, 0, false, { 2 }, 2, 2, 0, true },
    };
    for (const SelectCase& c : cases) {
        SelectState s = c.before;
        bool notify = ApplySelectItem(s.rows, s.anchor, s.focusRow, s.focusColumn, c.row, c.column, c.keys, c.single);
        EXPECT_EQ(c.notify, notify) << c.name;
        EXPECT_EQ(c.rows, s.rows) << c.name;
        EXPECT_EQ(c.anchor, s.anchor) << c.name;
        EXPECT_EQ(c.focusRow, s.focusRow) << c.name;
        EXPECT_EQ(c.focusColumn, s.focusColumn) << c.name;
    }
}

TEST(ListInputRules, FocusKeyTable)
{
    ListKeyContext base;
    base.row = 20;
    base.column = 2;
    base.rowCount = 100;
    base.columnCount = 5;
    base.rowsPerPage = 10;
    base.cellSelection = true;
    base.scrollX = 30;
    base.clientWidth = 300;

    struct KeyCase
    {
        const char* name;
        UINT key;
        int row;
        bool cellSelection;
        bool shift;
        bool ctrl;
        ListKeyMove::Kind kind;
        int wantRow;
        int wantColumn;
        int wantScroll;
    } cases[] = {
        { "up", VK_UP, 20, true, false, false, ListKeyMove::kFocus, 19, 2, 0 },
        { "up at the top", VK_UP, 0, true, false, false, ListKeyMove::kFocus, 0, 2, 0 },
        { "down", VK_DOWN, 20, true, false, false, ListKeyMove::kFocus, 21, 2, 0 },
        { "down at the end", VK_DOWN, 99, true, false, false, ListKeyMove::kFocus, 99, 2, 0 },
        { "page down: 9 rows", VK_NEXT, 20, true, false, false, ListKeyMove::kFocus, 29, 2, 0 },
        { "page down near the end", VK_NEXT, 95, true, false, false, ListKeyMove::kFocus, 99, 2, 0 },
        { "page up", VK_PRIOR, 20, true, false, false, ListKeyMove::kFocus, 11, 2, 0 },
        { "page up near the top", VK_PRIOR, 9, true, false, false, ListKeyMove::kFocus, 0, 2, 0 },
        { "home", VK_HOME, 20, true, false, false, ListKeyMove::kFocus, 0, 2, 0 },
        { "end", VK_END, 20, true, false, false, ListKeyMove::kFocus, 99, 2, 0 },
        { "left with cells", VK_LEFT, 20, true, false, false, ListKeyMove::kFocus, 20, 1, 0 },
        { "right with cells", VK_RIGHT, 20, true, false, false, ListKeyMove::kFocus, 20, 3, 0 },
        { "left scrolls 5", VK_LEFT, 20, false, false, false, ListKeyMove::kScroll, 20, 2, 25 },
        { "ctrl+left scrolls 50, not below 0", VK_LEFT, 20, false, false, true, ListKeyMove::kScroll, 20, 2, 0 },
        { "right scrolls 5", VK_RIGHT, 20, false, false, false, ListKeyMove::kScroll, 20, 2, 35 },
        { "tab", VK_TAB, 20, true, false, false, ListKeyMove::kFocus, 20, 3, 0 },
        { "shift+tab", VK_TAB, 20, true, true, false, ListKeyMove::kFocus, 20, 1, 0 },
        { "ctrl+tab", VK_TAB, 20, true, false, true, ListKeyMove::kNone, 20, 2, 0 },
        { "tab without cells", VK_TAB, 20, false, false, false, ListKeyMove::kSelectOnly, 20, 2, 0 },
        { "other key", 'Q', 20, true, false, false, ListKeyMove::kNone, 20, 2, 0 },
    };
    for (const KeyCase& c : cases) {
        ListKeyContext context = base;
        context.row = c.row;
        context.cellSelection = c.cellSelection;
        context.shift = c.shift;
        context.ctrl = c.ctrl;
        ListKeyMove move = FocusMoveForKey(c.key, context);
        EXPECT_EQ(c.kind, move.kind) << c.name;
        if (c.kind == ListKeyMove::kFocus) {
            EXPECT_EQ(c.wantRow, move.row) << c.name;
            EXPECT_EQ(c.wantColumn, move.column) << c.name;
        }
        if (c.kind == ListKeyMove::kScroll) {
            EXPECT_EQ(c.wantScroll, move.scrollX) << c.name;
        }
    }

    // On an empty list the focus keys name no row that SelectItem would take.
    ListKeyContext empty;
    EXPECT_EQ(-1, FocusMoveForKey(VK_DOWN, empty).row);
    EXPECT_EQ(-1, FocusMoveForKey(VK_END, empty).row);
}

TEST(ListInputRules, BandRowsStayInsideTheList)
{
    int first = -1, last = -1;
    // Header 20, rows of 18, top row 0: a band from y 30 to 70 covers rows 0 to 2.
    ASSERT_TRUE(BandRowRange(30, 70, 20, 18, 0, 10, first, last));
    EXPECT_EQ(0, first);
    EXPECT_EQ(2, last);
    // Scrolled by 5 rows.
    ASSERT_TRUE(BandRowRange(30, 70, 20, 18, 5, 10, first, last));
    EXPECT_EQ(5, first);
    EXPECT_EQ(7, last);
    // Ending far below the last row: only existing rows.
    ASSERT_TRUE(BandRowRange(30, 900, 20, 18, 0, 4, first, last));
    EXPECT_EQ(3, last);
    // Starting above the header (a band dragged up past it): from row 0.
    ASSERT_TRUE(BandRowRange(-50, 40, 20, 18, 0, 4, first, last));
    EXPECT_EQ(0, first);
    EXPECT_EQ(1, last);
    // Wholly below the rows, or no rows: nothing.
    EXPECT_FALSE(BandRowRange(200, 300, 20, 18, 0, 4, first, last));
    EXPECT_FALSE(BandRowRange(30, 70, 20, 18, 0, 0, first, last));
    EXPECT_FALSE(BandRowRange(30, 70, 20, 0, 0, 4, first, last));
}

TEST(ListInputRules, WheelAndScrollBarPositions)
{
    // One notch up with 3 wheel lines and rows of 18 pixels: 54 pixels up.
    EXPECT_EQ(100 - 54, WheelScrollPosition(100, 120, 3, 18));
    EXPECT_EQ(100 + 54, WheelScrollPosition(100, -120, 3, 18));
    EXPECT_EQ(0, WheelScrollPosition(30, 120, 3, 18));
    EXPECT_EQ(100 + 108, WheelScrollPosition(100, -240, 3, 18));
    // Half a notch on a precise wheel scrolls one line with 3 wheel lines.
    EXPECT_EQ(100 - 18, WheelScrollPosition(100, 60, 3, 18));

    EXPECT_EQ(0, VerticalScrollPosition(SB_LINEUP, 10, 18, 200, 50, 0));
    EXPECT_EQ(28, VerticalScrollPosition(SB_LINEDOWN, 10, 18, 200, 50, 0));
    EXPECT_EQ(100, VerticalScrollPosition(SB_PAGEUP, 300, 18, 200, 50, 0));
    EXPECT_EQ(500, VerticalScrollPosition(SB_PAGEDOWN, 300, 18, 200, 50, 0));
    EXPECT_EQ(900, VerticalScrollPosition(SB_BOTTOM, 300, 18, 200, 50, 0));
    EXPECT_EQ(-1, VerticalScrollPosition(SB_THUMBTRACK, 300, 18, 200, 50, 300));
    EXPECT_EQ(120, VerticalScrollPosition(SB_THUMBTRACK, 300, 18, 200, 50, 120));
    EXPECT_EQ(-1, VerticalScrollPosition(SB_ENDSCROLL, 300, 18, 200, 50, 0));

    EXPECT_EQ(0, HorizontalScrollPosition(SB_LINELEFT, 3, 500, 200, 0));
    EXPECT_EQ(499, HorizontalScrollPosition(SB_LINERIGHT, 497, 500, 200, 0));
    EXPECT_EQ(499, HorizontalScrollPosition(SB_PAGERIGHT, 400, 500, 200, 0));
    EXPECT_EQ(200, HorizontalScrollPosition(SB_RIGHT, 0, 500, 200, 0));
    EXPECT_EQ(77, HorizontalScrollPosition(SB_THUMBTRACK, 0, 500, 200, 77));
    EXPECT_EQ(-1, HorizontalScrollPosition(SB_ENDSCROLL, 0, 500, 200, 0));
}
