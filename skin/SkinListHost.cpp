// The skinned list as the host of its input handling: the view state and
// the operations the mouse, keyboard and editing rules work on, and the
// companions they use (title tip, editors, row tooltip).
#include "skin/SkinListImpl.h"
#include "skin/ListDateText.h"
#include "skin/ListDragPayload.h"

HWND CSkinListImpl::ListWindow() const
{
    return m_hWnd;
}

SkinListInputOptions CSkinListImpl::InputOptions() const
{
    SkinListInputOptions options;
    options.headerShown = m_options.showHeader;
    options.singleSelection = m_options.singleSelection;
    options.cellSelection = m_options.cellSelection;
    options.rowDragging = m_options.rowDragging;
    options.visualStyles = m_options.visualStyles;
    options.animatedScrolling = m_options.animatedScrolling;
    return options;
}

ListGeometry CSkinListImpl::Geometry() const
{
    SingleLock lock(&m_lock);
    ListGeometry g;
    g.widths.reserve(m_columns.size());
    for (const SkinListColumn& column : m_columns)
        g.widths.push_back(column.width);
    g.scrollX = GetScrollPosition(SB_HORZ);
    g.headerHeight = GetHeaderHeight();
    g.rowHeight = m_rowHeight;
    g.topRow = GetTopRow();
    g.rowCount = GetItemCount();
    return g;
}

int CSkinListImpl::ColumnKey(int column) const
{
    return GetColumnSortKey(column);
}

bool CSkinListImpl::IsColumnFixed(int column) const
{
    SingleLock lock(&m_lock);
    return IsValidColumn(column) && m_columns[static_cast<size_t>(column)].fixed != 0;
}

int CSkinListImpl::TotalWidth() const
{
    return GetTotalWidth();
}

bool CSkinListImpl::GetCellRect(int row, int column, RECT& rect) const
{
    CRect cell;
    if (!GetCellRect(row, column, cell))
        return false;
    rect = cell;
    return true;
}

bool CSkinListImpl::GetHeaderItemRect(int column, RECT& rect) const
{
    CRect item;
    if (!GetHeaderItemRect(column, item))
        return false;
    rect = item;
    return true;
}

bool CSkinListImpl::GetCellTextRect(int row, int column, RECT& rect) const
{
    CRect cell;
    if (!GetCellRect(row, column, cell))
        return false;
    rect = GetCellTextRect(row, column, cell);
    return true;
}

int CSkinListImpl::ScrollPosition(int bar) const
{
    return GetScrollPosition(bar);
}

bool CSkinListImpl::HorizontalBarShown() const
{
    return IsHorizontalBarShown();
}

int CSkinListImpl::WheelLines() const
{
    return GetWheelStep();
}

std::string CSkinListImpl::ItemText(int row, int key) const
{
    return GetItemText(row, key);
}

std::string CSkinListImpl::TipText(int row, int key) const
{
    switch (EffectiveKind(row, key)) {
    case 4:
    case 5:
    case 7:
        return std::string();
    case 2: {
        std::string text = GetItemText(row, key);
        if (text.empty())
            return text;
        SYSTEMTIME time = ParseCellDateTime(text);
        char date[64] = {};
        char clock[64] = {};
        const int format = EffectiveFormat(row, key);
        if (!(format & 0x800) && time.wYear != 0)
            ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, sizeof(date));
        if (!(format & 0x400))
            ::GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, nullptr, clock, sizeof(clock));
        if (format & 0x400)
            return date;
        if (format & 0x800)
            return clock;
        return std::string(date) + " " + clock;
    }
    default:
        return GetItemText(row, key);
    }
}

std::string CSkinListImpl::RowTooltip(int row) const
{
    return GetItemToolTip(row);
}

int CSkinListImpl::SortKey() const
{
    return GetSortKey();
}

void CSkinListImpl::InvalidateRow(int row)
{
    InvalidateCell(row, -1);
}

void CSkinListImpl::InvalidateHeader()
{
    if (!m_hWnd)
        return;
    CRect header = GetClientRect();
    header.bottom = GetHeaderHeight();
    InvalidateRect(&header, FALSE);
}

bool CSkinListImpl::BeginScrollAnimation(int oldTop, int newTop)
{
    StartScrollAnimation(oldTop, newTop);
    return IsScrollAnimating();
}

void CSkinListImpl::EndScrollAnimation()
{
    if (IsScrollAnimating()) {
        StopScrollAnimation();
        Repaint();
    }
}

void CSkinListImpl::MoveHeaderColumn(int source, int dropPosition)
{
    MoveColumn(source, HeaderDropInsertIndex(source, dropPosition));
}

void CSkinListImpl::ShowDropArrows(POINT screen)
{
    if (m_dropArrows.m_hWnd)
        m_dropArrows.ShowAt(screen.x, screen.y);
}

void CSkinListImpl::HideDropArrows()
{
    if (m_dropArrows.m_hWnd)
        m_dropArrows.Hide();
}

void CSkinListImpl::RunHeaderDrag(int column)
{
    // The picture is handed on with the drag (whoever ends up owning it
    // deletes it); the pointer holds it by its centre.
    CSize size;
    HBITMAP picture = CreateHeaderDragImage(column, size);
    const POINT centre = { size.cx / 2, size.cy / 2 };
    m_dragDrop.RunDrag(HeaderClipboardFormat(), DROPEFFECT_MOVE, picture, centre, m_colors.background);
}

void CSkinListImpl::RowDragOver(int row)
{
    OnRowDragOver(row);
}

void CSkinListImpl::RowDrop(int row)
{
    OnRowDrop(row);
}

CTitleTip* CSkinListImpl::TitleTip()
{
    return m_titleTip.m_hWnd ? &m_titleTip : nullptr;
}

CToolTipCtrl* CSkinListImpl::RowToolTip()
{
    m_rowTips.m_hWnd = m_tooltip.m_hWnd;
    return m_rowTips.m_hWnd ? &m_rowTips : nullptr;
}

HCURSOR CSkinListImpl::ResizeCursor() const
{
    return m_resizeCursor;
}

HCURSOR CSkinListImpl::HandCursor() const
{
    return m_handCursor;
}
