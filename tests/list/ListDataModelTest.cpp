// The list's data model without a window: columns by key, rows and cells,
// selection bookkeeping, sorting and recycling.
#include "skin/SkinListImpl.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class CModelList : public CSkinListCtrlData
{
public:
    void Select(int row) { m_state.selection.insert(row); }
    void SetAnchorAndFocus(int anchor, int focusRow, int focusColumn)
    {
        m_state.anchorRow = anchor;
        m_state.focusRow = focusRow;
        m_state.focusColumn = focusColumn;
    }
};

// Rows "r0".."r{n-1}" with the integer texts in column 1 and "c2-i" in column 2.
void Fill(CSkinListImpl& list, const std::vector<int>& numbers)
{
    for (size_t i = 0; i < numbers.size(); ++i) {
        const int row = list.InsertItem("r" + std::to_string(i), false);
        ASSERT_EQ(static_cast<int>(i), row);
        list.SetItemText(row, 1, std::to_string(numbers[i]));
        list.SetItemText(row, 2, "c2-" + std::to_string(i));
    }
}

std::vector<std::string> Column(const CSkinListImpl& list, int key)
{
    std::vector<std::string> out;
    for (int row = 0; row < list.GetItemCount(); ++row)
        out.push_back(list.GetItemText(row, key));
    return out;
}

int g_callbacks = 0;
UINT_PTR g_callbackValue = 0;
void CountSorts(UINT_PTR value)
{
    ++g_callbacks;
    g_callbackValue = value;
}

}

TEST(ListDataModel, ColumnsKeepTheirKeysWhenReordered)
{
    CModelList list;
    EXPECT_EQ(-1, list.InsertItem("no columns yet"));
    list.AddColumn("名称", 80);
    list.AddColumn("现价", 60, -1, false, kListCellInteger, kListAlignRight | kListAlignLeft);
    list.AddColumn("", 200, 3);
    SkinListColumn column;
    ASSERT_TRUE(list.GetColumn(1, column));
    EXPECT_EQ(kListAlignRight, column.defaultFormat); // normalised
    // An image-only column is centred and one image + 5 pixels wide.
    ASSERT_TRUE(list.GetColumn(2, column));
    EXPECT_EQ(21, column.width);
    EXPECT_TRUE(column.defaultFormat & kListAlignCenter);
    EXPECT_FALSE(list.GetColumn(3, column));
    EXPECT_EQ(0, list.GetColumnWidth(3));
    EXPECT_EQ(0, list.GetColumnWidth(-1));

    Fill(list, { 5, 7 });
    ASSERT_TRUE(list.MoveColumn(2, 0));
    EXPECT_EQ(2, list.GetColumnSortKey(0));
    EXPECT_EQ(0, list.GetColumnSortKey(1));
    EXPECT_EQ(0, list.FindColumnByKey(2));
    EXPECT_EQ(-1, list.FindColumnByKey(7));
    EXPECT_EQ("c2-1", list.GetItemText(1, 2));
    EXPECT_EQ(21, list.GetColumnWidth(0));
    // Kinds and formats come from the column of the key, wherever it is shown.
    EXPECT_EQ(kListCellInteger, list.GetItemKind(0, 1));
    EXPECT_EQ(kListAlignRight, list.GetItemFormat(0, 1));
    list.SetItemFormat(0, 1, kListCellProgress, kListAlignCenter);
    EXPECT_EQ(kListCellProgress, list.GetItemKind(0, 1));
    EXPECT_EQ(kListCellInteger, list.GetItemKind(1, 1));
}

TEST(ListDataModel, BadRowsAndKeysChangeNothing)
{
    CModelList list;
    list.AddColumn("a", 50);
    list.AddColumn("b", 50);
    Fill(list, { 1 });
    EXPECT_FALSE(list.SetItemText(1, 0, "x"));
    EXPECT_FALSE(list.SetItemText(-1, 0, "x"));
    EXPECT_FALSE(list.SetItemText(0, 2, "x"));
    EXPECT_FALSE(list.SetItemFormat(0, 5, 1, 1));
    EXPECT_FALSE(list.SetItemColors(3, 0, 0, 0));
    EXPECT_FALSE(list.SetItemData(1, 7));
    EXPECT_EQ("", list.GetItemText(0, 9));
    EXPECT_EQ(nullptr, list.GetItemFont(0, 9));
    EXPECT_EQ(-1, list.GetItemImage(4, 0));
    EXPECT_EQ(0, list.GetItemKind(4, 0));
    EXPECT_EQ("r0", list.GetItemText(0, 0));
    uint32_t data = 1;
    EXPECT_TRUE(list.SetItemData(0, 0xFEDCBA98u));
    EXPECT_TRUE(list.GetItemData(0, data));
    EXPECT_EQ(0xFEDCBA98u, data);
    COLORREF back = 0;
    COLORREF text = 0;
    EXPECT_TRUE(list.SetItemColors(0, 1, RGB(1, 2, 3), RGB(4, 5, 6)));
    EXPECT_TRUE(list.GetItemColors(0, 1, back, text));
    EXPECT_EQ(RGB(1, 2, 3), back);
    EXPECT_EQ(RGB(4, 5, 6), text);
    // New cells get the list's colours.
    EXPECT_TRUE(list.GetItemColors(0, 0, back, text));
    EXPECT_EQ(list.m_colors.background, back);
    EXPECT_EQ(list.m_colors.text, text);
}

TEST(ListDataModel, FixedColumnsKeepTheirWidth)
{
    CModelList list;
    list.AddColumn("代码", 60, -1, true);
    list.AddColumn("名称", 60);
    EXPECT_TRUE(list.SetColumnWidth(0, 99));
    EXPECT_EQ(60, list.GetColumnWidth(0));
    EXPECT_FALSE(list.AutoSizeColumn(0));
    EXPECT_FALSE(list.AutoSizeColumn(2));
    EXPECT_TRUE(list.SetColumnWidth(1, 99));
    EXPECT_EQ(99, list.GetColumnWidth(1));
    Fill(list, { 1 });
    list.SetItemText(0, 1, "a rather long text that needs a wide column");
    EXPECT_TRUE(list.AutoSizeColumn(1));
    EXPECT_GT(list.GetColumnWidth(1), 99);
    EXPECT_EQ(160, list.GetTotalWidth() - list.GetColumnWidth(1) + 100);
}

TEST(ListDataModel, ASecondSortOnTheSameColumnOnlyReverses)
{
    CModelList list;
    list.AddColumn("name", 50);
    list.AddColumn("value", 50, -1, false, kListCellInteger);
    list.AddColumn("other", 50);
    Fill(list, { 12, 9, 100, -3 });
    list.m_options.sortCallback = &CountSorts;
    list.m_options.sortCallbackValue = 0x1234;
    g_callbacks = 0;

    list.Select(1);
    list.SetAnchorAndFocus(1, 1, 0);
    EXPECT_TRUE(list.SortByColumn(1, 0, false));
    EXPECT_EQ((std::vector<std::string> { "-3", "9", "12", "100" }), Column(list, 1));
    EXPECT_EQ((std::vector<std::string> { "r3", "r1", "r0", "r2" }), Column(list, 0));
    EXPECT_EQ(1, g_callbacks);
    EXPECT_EQ(0x1234u, g_callbackValue);
    // After any sort nothing is selected.
    EXPECT_EQ(0, list.GetSelectedCount());
    EXPECT_EQ(-1, list.GetAnchorRow());
    EXPECT_EQ(-1, list.GetFocusRow());
    EXPECT_EQ(-1, list.GetFocusColumn());

    EXPECT_TRUE(list.SortByColumn(1, 0, false));
    EXPECT_EQ((std::vector<std::string> { "100", "12", "9", "-3" }), Column(list, 1));
    EXPECT_FALSE(list.IsSortAscending());
    EXPECT_EQ(1, g_callbacks);

    // keep: sorted again in the current direction, the callback runs.
    list.SetItemText(0, 1, "0");
    EXPECT_TRUE(list.SortByColumn(1, 0, true));
    EXPECT_EQ((std::vector<std::string> { "12", "9", "0", "-3" }), Column(list, 1));
    EXPECT_EQ(2, g_callbacks);

    // Modes 1 and 2 set the direction.
    EXPECT_TRUE(list.SortByColumn(1, 1, false));
    EXPECT_EQ((std::vector<std::string> { "-3", "0", "9", "12" }), Column(list, 1));
    EXPECT_TRUE(list.SortByColumn(1, 2, false));
    EXPECT_EQ((std::vector<std::string> { "12", "9", "0", "-3" }), Column(list, 1));
    // Another column starts ascending, as text.
    EXPECT_TRUE(list.SortByColumn(2, 2, false));
    EXPECT_TRUE(list.SortByColumn(0, 0, false));
    EXPECT_TRUE(list.IsSortAscending());
    EXPECT_EQ(0, list.GetSortKey());
}

TEST(ListDataModel, SortingIsRefusedWhereItIsOff)
{
    CModelList list;
    list.AddColumn("code", 50);
    list.AddColumn("value", 50, -1, false, kListCellInteger);
    Fill(list, { 3, 1, 2 });
    const std::vector<std::string> before = Column(list, 1);
    list.m_options.fixedLeadingColumns = 1;
    list.Select(0);
    EXPECT_FALSE(list.SortByColumn(0, 0, false));
    EXPECT_EQ(before, Column(list, 1));
    EXPECT_EQ(1, list.GetSelectedCount());
    EXPECT_FALSE(list.SortByColumn(5, 0, false));
    list.m_options.showHeader = false;
    EXPECT_FALSE(list.SortByColumn(1, 0, false));
    list.m_options.showHeader = true;
    list.m_options.sorting = false;
    EXPECT_FALSE(list.SortByColumn(1, 0, false));
    EXPECT_EQ(before, Column(list, 1));
    list.m_options.sorting = true;
    EXPECT_TRUE(list.SortByColumn(1, 0, false));
    EXPECT_EQ((std::vector<std::string> { "1", "2", "3" }), Column(list, 1));
}

TEST(ListDataModel, RecyclingReusesStoredRows)
{
    CModelList list;
    list.m_options.recycling = true;
    list.AddColumn("a", 50);
    list.AddColumn("b", 50);
    EXPECT_EQ(0, list.InsertItem(0, "first", false, -1, 0, 0));
    EXPECT_EQ(1, list.InsertItem(1, "second", false, -1, 0, 0));
    list.SetItemText(0, 1, "kept");
    list.SetItemColors(0, 1, RGB(9, 9, 9), RGB(8, 8, 8));
    EXPECT_EQ(2, list.GetItemCount());

    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(0, list.GetItemCount());
    EXPECT_EQ(2, list.GetStoredRowCount());
    EXPECT_EQ("", list.GetItemText(0, 0)); // not visible

    EXPECT_EQ(0, list.InsertItem(0, "again", false, 2, kListCellLink, kListAlignRight | kListAlignLeft));
    EXPECT_EQ(1, list.GetItemCount());
    EXPECT_EQ(2, list.GetStoredRowCount());
    EXPECT_EQ("again", list.GetItemText(0, 0));
    EXPECT_EQ("kept", list.GetItemText(0, 1)); // other texts stay until set
    EXPECT_EQ(kListCellLink, list.GetItemKind(0, 1));
    EXPECT_EQ(kListAlignRight, list.GetItemFormat(0, 1));
    EXPECT_EQ(2, list.GetItemImage(0, 1));
    COLORREF back = 0;
    COLORREF text = 0;
    list.GetItemColors(0, 1, back, text);
    EXPECT_EQ(list.m_colors.background, back);

    EXPECT_EQ(1, list.InsertItem(1, "b", false, -1, 0, 0));
    EXPECT_EQ(2, list.InsertItem(2, "c", false, -1, 0, 0)); // beyond the stored rows: appended
    EXPECT_EQ(3, list.GetItemCount());
    EXPECT_EQ(3, list.GetStoredRowCount());

    // Deleting a row in recycling mode drops it from both counts.
    EXPECT_TRUE(list.DeleteItem(0));
    EXPECT_EQ(2, list.GetItemCount());
    EXPECT_EQ("b", list.GetItemText(0, 0));

    // The positional form does nothing outside recycling mode.
    CModelList plain;
    plain.AddColumn("a", 50);
    EXPECT_EQ(0, plain.InsertItem(3, "x", false, -1, 0, 0));
    EXPECT_EQ(0, plain.GetItemCount());
}

TEST(ListDataModel, DeletingARowRenumbersTheSelectionBelowIt)
{
    CModelList list;
    list.AddColumn("a", 50);
    for (int i = 0; i < 8; ++i)
        list.InsertItem("row" + std::to_string(i), false);
    list.Select(1);
    list.Select(3);
    list.Select(5);
    EXPECT_TRUE(list.DeleteItem(3));
    EXPECT_FALSE(list.DeleteItem(7));
    EXPECT_EQ((std::set<int> { 1, 4 }), list.GetSelection());
    // Index 4 still names the row that was selected.
    EXPECT_EQ("row5", list.GetItemText(4, 0));

    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(0, list.GetItemCount());
    EXPECT_EQ(0, list.GetSelectedCount());
}

TEST(ListDataModel, SelectedItemAndCell)
{
    CModelList list;
    list.AddColumn("a", 50);
    list.AddColumn("b", 50);
    for (int i = 0; i < 6; ++i)
        list.InsertItem("r", false);
    int row = 0;
    int column = 0;
    EXPECT_EQ(-1, list.GetSelectedItem());
    EXPECT_FALSE(list.GetSelectedCell(row, column));
    list.Select(4);
    list.Select(2);
    EXPECT_EQ(2, list.GetSelectedItem()); // the lowest selected row
    list.SetAnchorAndFocus(4, 4, 1);
    EXPECT_EQ(4, list.GetSelectedItem()); // the focus row when selected
    EXPECT_TRUE(list.GetSelectedCell(row, column));
    EXPECT_EQ(4, row);
    EXPECT_EQ(-1, column); // no cell selection
    list.m_options.cellSelection = true;
    EXPECT_TRUE(list.GetSelectedCell(row, column));
    EXPECT_EQ(1, column);
    list.SetAnchorAndFocus(4, 3, 1);
    EXPECT_EQ(2, list.GetSelectedItem());
    EXPECT_TRUE(list.ClearSelection());
    EXPECT_EQ(-1, list.GetSelectedItem());
    EXPECT_EQ(-1, list.GetFocusColumn());
}
