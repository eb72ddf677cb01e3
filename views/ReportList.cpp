#include "views/ReportList.h"

#include <utility>

CMySkinListCtrl::CMySkinListCtrl()
    : m_handCursor(::LoadCursorA(nullptr, IDC_HAND))
    , m_draggedRow(-1)
{
}

// The system's hand cursor is shared: it is never destroyed.
CMySkinListCtrl::~CMySkinListCtrl()
{
}

bool CMySkinListCtrl::SwapRows(int a, int b)
{
    SingleLock lock(&m_lock);
    if (!IsValidRow(a) || !IsValidRow(b))
        return false;
    if (a != b)
        std::swap(m_rows[static_cast<size_t>(a)], m_rows[static_cast<size_t>(b)]);
    return true;
}

bool CMySkinListCtrl::SelectOnly(int row)
{
    {
        SingleLock lock(&m_lock);
        m_state.selection.clear();
        if (!IsValidRow(row)) {
            m_state.anchorRow = m_state.focusRow = -1;
            row = -1;
        } else {
            m_state.selection.insert(row);
            m_state.anchorRow = m_state.focusRow = row;
        }
    }
    if (m_hWnd)
        Invalidate(false);
    return row >= 0;
}

void CMySkinListCtrl::ClearSortColumn()
{
    SingleLock lock(&m_lock);
    m_sortKey = -1;
    m_sortAscending = false;
}

int CMySkinListCtrl::OnRowDragOver(int row)
{
    if (m_handCursor)
        ::SetCursor(m_handCursor);
    if (m_draggedRow < 0)
        m_draggedRow = row;
    return 1;
}

int CMySkinListCtrl::OnRowDrop(int row)
{
    if (m_draggedRow < 0)
        return 1;
    uint32_t first = 0;
    uint32_t second = 0;
    bool swapped = false;
    {
        SingleLock lock(&m_lock);
        swapped = GetItemData(m_draggedRow, first) && GetItemData(row, second) && SwapRows(m_draggedRow, row);
    }
    if (swapped && m_draggedRow != row && onRowsSwapped)
        onRowsSwapped(first, second);
    if (m_hWnd)
        Invalidate(false);
    m_draggedRow = -1;
    return 1;
}
