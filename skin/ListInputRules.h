#pragma once
// The skinned list's rules for selection, focus keys, the rubber band and
// scrolling, as pure functions over its state, so they are tested as tables
// without a window.
#include <windows.h>
#include <algorithm>

// Steps of selecting a row by click or key: keys holds MK_SHIFT and
// MK_CONTROL. Shift extends from the anchor (not in single selection), Ctrl
// toggles the row (in single selection it replaces the selection), a plain
// click selects only the row. Set is an ordered set of row indexes; the row
// is a valid one. Returns true when the parent is to hear SLN_SELCHANGED
// (with the row and the new focus column).
template <class Set>
bool ApplySelectItem(Set& rows, int& anchor, int& focusRow, int& focusColumn, int row, int column, unsigned keys,
    bool singleSelection)
{
    const bool range = (keys & MK_SHIFT) && !singleSelection;
    if (!range && (keys & MK_CONTROL)) {
        if (singleSelection)
            rows.clear();
        bool notify = false;
        if (rows.count(row)) {
            rows.erase(row);
        } else {
            rows.insert(row);
            notify = true;
        }
        anchor = row;
        focusRow = row;
        focusColumn = rows.size() < 2 ? column : -1;
        return notify;
    }
    if (rows.size() == 1 && rows.count(row)) {
        anchor = row;
        focusRow = row;
        focusColumn = column;
        return false;
    }
    rows.clear();
    if (range) {
        if (anchor == -1)
            anchor = row;
        for (int r = std::min(anchor, row); r <= std::max(anchor, row); ++r)
            rows.insert(r);
    } else {
        anchor = row;
        rows.insert(row);
    }
    focusRow = row;
    focusColumn = rows.size() < 2 ? column : -1;
    return true;
}

// What a focus key does.
struct ListKeyContext
{
    int row = -1; // the selected cell's row
    int column = -1; // its column (-1 without cell selection)
    int rowCount = 0;
    int columnCount = 0;
    int rowsPerPage = 1; // full rows per page, at least 1
    bool cellSelection = false;
    bool shift = false;
    bool ctrl = false;
    int scrollX = 0;
    int clientWidth = 0;
};

struct ListKeyMove
{
    enum Kind {
        kNone, // not a focus key, or nothing to do
        kFocus, // the focus cell becomes (row, column)
        kScroll, // the horizontal position becomes scrollX
        kSelectOnly, // Tab without cell selection: select the focus cell again
    } kind = kNone;
    int row = -1;
    int column = -1;
    int scrollX = 0;
};

// The move of Up, Down, Page Up, Page Down, Home, End, Left, Right and Tab.
// Left and Right step 50 pixels with Ctrl, else 5, when they scroll.
ListKeyMove FocusMoveForKey(UINT key, const ListKeyContext& context);

// The rows a rubber band covers, its top and bottom in client coordinates:
// false when it covers none of the rows.
bool BandRowRange(int bandTop, int bandBottom, int headerHeight, int rowHeight, int topRow, int rowCount, int& first,
    int& last);

// The vertical position after a wheel turn of delta (120 a notch): lines =
// delta x wheelLines / 120, one row height each; never below 0 going up.
int WheelScrollPosition(int position, int delta, int wheelLines, int rowHeight);

// The vertical position after a scroll-bar code; -1 when the code moves
// nothing. pageHeight is the client height below the header.
int VerticalScrollPosition(int code, int position, int rowHeight, int pageHeight, int visibleCount, int trackPosition);

// The horizontal position after a scroll-bar code; -1 when it moves nothing.
int HorizontalScrollPosition(int code, int position, int totalWidth, int clientWidth, int thumbPosition);
