#pragma once
// The quote list's rows: the skinned list with a hand cursor while rows are
// dragged and the drop that exchanges two rows (the user-list board's order).
#include <windows.h>
#include <cstdint>
#include <functional>

#include "skin/SkinListImpl.h"

class CMySkinListCtrl : public CSkinListImpl
{
public:
    // Called after a drop exchanged two rows, with the rows' item data.
    std::function<void(uint32_t, uint32_t)> onRowsSwapped;

    CMySkinListCtrl();
    ~CMySkinListCtrl() override;

    // Exchanges two whole rows (cells, texts, item data) when both are rows
    // in use; false otherwise.
    bool SwapRows(int a, int b);
    // Makes the row the only selected row, the anchor and the focus row
    // (nothing is selected for a row not in use). False for such a row.
    bool SelectOnly(int row);
    // No sort column, ascending off: the rows keep the order they were added in.
    void ClearSortColumn();
    int GetDraggedRow() const { return m_draggedRow; }

    int OnRowDragOver(int row) override;
    int OnRowDrop(int row) override;

private:
    HCURSOR m_handCursor;
    int m_draggedRow;
};
