#include "skin/ListInputRules.h"

ListKeyMove FocusMoveForKey(UINT key, const ListKeyContext& c)
{
    ListKeyMove move;
    move.kind = ListKeyMove::kFocus;
    move.row = c.row;
    move.column = c.column;
    const int page = std::max(c.rowsPerPage, 1);
    const int step = c.ctrl ? 50 : 5;
    switch (key) {
    case VK_UP:
        move.row = std::max(c.row - 1, 0);
        break;
    case VK_DOWN:
        move.row = std::min(c.row + 1, c.rowCount - 1);
        break;
    case VK_PRIOR:
        move.row = c.row >= page ? c.row - page + 1 : 0;
        break;
    case VK_NEXT:
        move.row = std::max(page - 1, 0) + c.row < c.rowCount - 1 ? c.row + page - 1 : c.rowCount - 1;
        break;
    case VK_HOME:
        move.row = 0;
        break;
    case VK_END:
        move.row = c.rowCount - 1;
        break;
    case VK_LEFT:
    case VK_RIGHT:
        if (c.cellSelection) {
            move.column = key == VK_LEFT ? std::max(c.column - 1, 0) : std::min(c.column + 1, c.columnCount - 1);
        } else {
            move.kind = ListKeyMove::kScroll;
            move.scrollX = key == VK_LEFT ? std::max(c.scrollX - step, 0) : std::min(c.scrollX + step, c.clientWidth);
        }
        break;
    case VK_TAB:
        if (c.ctrl) {
            move.kind = ListKeyMove::kNone;
        } else if (c.cellSelection) {
            move.column = c.shift ? std::max(c.column - 1, 0) : std::min(c.column + 1, c.columnCount - 1);
        } else {
            move.kind = ListKeyMove::kSelectOnly;
        }
        break;
    default:
        move.kind = ListKeyMove::kNone;
        break;
    }
    return move;
}

namespace {

int FloorDivide(int a, int b)
{
    int q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

}

bool BandRowRange(
    int bandTop, int bandBottom, int headerHeight, int rowHeight, int topRow, int rowCount, int& first, int& last)
{
    if (rowHeight <= 0 || rowCount <= 0)
        return false;
    first = std::max(FloorDivide(bandTop - headerHeight, rowHeight) + topRow, 0);
    last = std::min(FloorDivide(bandBottom - headerHeight, rowHeight) + topRow, rowCount - 1);
    return first <= last;
}

int WheelScrollPosition(int position, int delta, int wheelLines, int rowHeight)
{
    int lines = delta * wheelLines / WHEEL_DELTA;
    int next = position - lines * rowHeight;
    if (next <= 0 && delta > 0)
        next = 0;
    return next;
}

int VerticalScrollPosition(int code, int position, int rowHeight, int pageHeight, int visibleCount, int trackPosition)
{
    switch (code) {
    case SB_LINEUP:
        return std::max(position - rowHeight, 0);
    case SB_LINEDOWN:
        return position + rowHeight;
    case SB_PAGEUP:
        return std::max(position - pageHeight, 0);
    case SB_PAGEDOWN:
        return position + pageHeight;
    case SB_TOP:
        return 0;
    case SB_BOTTOM:
        return visibleCount * rowHeight;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        return trackPosition == position ? -1 : trackPosition;
    default:
        return -1;
    }
}

int HorizontalScrollPosition(int code, int position, int totalWidth, int clientWidth, int thumbPosition)
{
    switch (code) {
    case SB_LINELEFT:
        return std::max(position - 5, 0);
    case SB_LINERIGHT:
        return std::min(position + 5, totalWidth - 1);
    case SB_PAGELEFT:
        return std::max(position - clientWidth, 0);
    case SB_PAGERIGHT:
        return std::min(position + clientWidth, totalWidth - 1);
    case SB_LEFT:
        return 0;
    case SB_RIGHT:
        return clientWidth;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        return std::max(0, static_cast<int>(static_cast<short>(thumbPosition)));
    default:
        return -1;
    }
}
