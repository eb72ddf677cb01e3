#pragma once
// A stand-in list for the input rules: a real child window whose messages go
// to a CSkinListInput, over rows and columns held in plain vectors. Column
// keys equal display indexes until MoveColumn reorders them.
#include "skin/SkinListInput.h"
#include "win/WindowImpl.h"
#include <string>
#include <vector>

class CFakeList : public CWindowImpl<CFakeList, CWindow, CWinTraits<WS_CHILD | WS_VISIBLE>>, public ISkinListHost
{
public:
    DECLARE_WND_CLASS("ZtFakeSkinList")

    explicit CFakeList(CListTypeAhead::Clock clock = ::GetTickCount)
        : input(*this, clock)
    {
    }

    CSkinListInput input;
    SkinListInputOptions options;
    std::vector<int> widths = { 60, 80, 100 };
    std::vector<int> kinds = { 0, 0, 0 }; // by key
    std::vector<int32_t> formats = { 0, 0, 0 }; // by key
    std::vector<int> order = { 0, 1, 2 }; // display index -> key
    std::vector<bool> fixed = { false, false, false };
    std::vector<std::vector<std::string>> rows; // rows[row][key]
    std::vector<std::string> rowTips;
    int headerHeight = 20;
    int rowHeight = 18;
    int scrollX = 0;
    int scrollY = 0;
    int sortKey = -1;

    // The view state the input changes, under a lock as the list's is; the
    // names below are the tests' short way to it.
    CriticalSection stateLock;
    ListViewState state;
    std::set<int>& selection = state.selection;
    int& anchor = state.anchorRow;
    int& focusRow = state.focusRow;
    int& focusColumn = state.focusColumn;
    int& hotRow = state.hotRow;
    int& hotColumn = state.hotColumn;
    int& tipRow = state.tipRow;
    int& tipColumn = state.tipColumn;
    int& hotHeader = state.hotHeader;
    int& pressedHeader = state.pressedHeader;
    int& dragSource = state.dragSource;
    int& dropPosition = state.dropPosition;
    int& resizeColumn = state.resizeColumn;

    std::vector<int> sortedColumns;
    std::vector<int> rowDrops;
    std::vector<int> autoSized;
    int headerDrags = 0;
    CListEdit editBox;
    CListDate datePicker;
    CTitleTip titleTip;
    CToolTipCtrl rowToolTip;

    void AddRows(const std::vector<std::string>& firstCells)
    {
        for (const std::string& text : firstCells) {
            rows.push_back({ text, text + "-1", text + "-2" });
            rowTips.push_back("");
        }
    }

    BEGIN_MSG_MAP(CFakeList)
        CHAIN_MSG_MAP_MEMBER(input)
    END_MSG_MAP()

    HWND ListWindow() const override { return m_hWnd; }
    SkinListInputOptions InputOptions() const override { return options; }
    ListGeometry Geometry() const override
    {
        ListGeometry g;
        g.widths = widths;
        g.scrollX = scrollX;
        g.headerHeight = options.headerShown ? headerHeight : 0;
        g.rowHeight = rowHeight;
        g.topRow = rowHeight ? scrollY / rowHeight : 0;
        g.rowCount = static_cast<int>(rows.size());
        return g;
    }
    int ColumnKey(int column) const override
    {
        return column >= 0 && column < static_cast<int>(order.size()) ? order[column] : 0;
    }
    bool IsColumnFixed(int column) const override { return fixed[column]; }
    int TotalWidth() const override
    {
        int total = 0;
        for (int w : widths)
            total += w;
        return total;
    }
    int ClientHeight() const { return GetClientRect().Height(); }
    int RowsPerPage(bool partial) const override
    {
        int room = ClientHeight() - Geometry().headerHeight;
        int n = partial ? (room + rowHeight - 1) / rowHeight : room / rowHeight;
        return n < 1 ? 1 : n;
    }
    bool IsCellVisible(int row, int column, bool partial) const override
    {
        int top = Geometry().topRow;
        if (row < top || row >= top + RowsPerPage(partial) || row >= static_cast<int>(rows.size()))
            return false;
        if (options.cellSelection && column >= 0) {
            RECT r;
            GetHeaderItemRect(column, r);
            return r.left >= 0 && r.right <= GetClientRect().Width();
        }
        return true;
    }
    bool GetHeaderItemRect(int column, RECT& rect) const override
    {
        if (column < 0 || column >= static_cast<int>(widths.size()))
            return false;
        int left = 0;
        for (int c = 0; c < column; ++c)
            left += widths[c];
        rect = { left - scrollX, 0, left + widths[column] - scrollX, Geometry().headerHeight };
        return true;
    }
    bool GetCellRect(int row, int column, RECT& rect) const override
    {
        int top = Geometry().topRow;
        if (row < top || row >= top + RowsPerPage(true) || row >= static_cast<int>(rows.size()))
            return false;
        rect.top = Geometry().headerHeight + (row - top) * rowHeight;
        rect.bottom = rect.top + rowHeight;
        if (column < 0) {
            rect.left = 0;
            rect.right = std::min(static_cast<int>(GetClientRect().right), TotalWidth() - 1);
            return true;
        }
        RECT header;
        if (!GetHeaderItemRect(column, header))
            return false;
        rect.left = header.left;
        rect.right = header.right;
        return true;
    }
    bool GetCellTextRect(int row, int column, RECT& rect) const override
    {
        if (!GetCellRect(row, column, rect))
            return false;
        rect.left += 3 + 4;
        rect.right -= 4;
        return true;
    }
    int ScrollPosition(int bar) const override { return bar == SB_HORZ ? scrollX : scrollY; }
    void SetScrollPosition(int bar, int position) override
    {
        if (bar == SB_HORZ) {
            scrollX = std::max(0, std::min(position, TotalWidth() - 1));
        } else {
            int content = Geometry().headerHeight + static_cast<int>(rows.size()) * rowHeight;
            scrollY = std::max(0, std::min(position, std::max(content - ClientHeight(), 0)));
        }
    }
    void UpdateScrollBars() override { }
    bool HorizontalBarShown() const override { return TotalWidth() - 1 > GetClientRect().Width(); }
    int WheelLines() const override { return 3; }
    int EffectiveKind(int, int key) const override { return kinds[key]; }
    int32_t EffectiveFormat(int, int key) const override { return formats[key]; }
    std::string ItemText(int row, int key) const override
    {
        return row >= 0 && row < static_cast<int>(rows.size()) ? rows[row][key] : std::string();
    }
    bool SetItemText(int row, int key, const std::string& text) override
    {
        if (row < 0 || row >= static_cast<int>(rows.size()))
            return false;
        rows[row][key] = text;
        return true;
    }
    std::string TipText(int row, int key) const override { return ItemText(row, key); }
    std::string RowTooltip(int row) const override { return rowTips[row]; }
    int SortKey() const override { return sortKey; }
    ListStateAccess ViewState() override { return ListStateAccess(stateLock, state); }
    bool SortByColumn(int column, int, bool) override
    {
        sortedColumns.push_back(column);
        sortKey = ColumnKey(column);
        ClearSelection();
        return true;
    }
    bool SetColumnWidth(int column, int width) override
    {
        if (fixed[column])
            return true;
        widths[column] = width;
        return true;
    }
    bool AutoSizeColumn(int column) override
    {
        autoSized.push_back(column);
        return true;
    }
    bool ClearSelection() override
    {
        selection.clear();
        anchor = focusRow = focusColumn = -1;
        return true;
    }
    void InvalidateRow(int) override { }
    void InvalidateHeader() override { }
    bool BeginScrollAnimation(int, int) override { return false; }
    void EndScrollAnimation() override { }
    void MoveHeaderColumn(int source, int position) override
    {
        MoveToDropPosition(widths, source, position);
        MoveToDropPosition(order, source, position);
    }
    void ShowDropArrows(POINT) override { }
    void HideDropArrows() override { }
    void RunHeaderDrag(int) override { ++headerDrags; }
    void RowDragOver(int) override { }
    void RowDrop(int row) override { rowDrops.push_back(row); }
    CTitleTip* TitleTip() override { return titleTip.m_hWnd ? &titleTip : nullptr; }
    CToolTipCtrl* RowToolTip() override { return rowToolTip.m_hWnd ? &rowToolTip : nullptr; }
    HCURSOR ResizeCursor() const override { return ::LoadCursor(nullptr, IDC_SIZEWE); }
    HCURSOR HandCursor() const override { return ::LoadCursor(nullptr, IDC_HAND); }
    CListEdit& EditBox() override { return editBox; }
    CListDate& DatePicker() override { return datePicker; }
};
