// The list's mouse, keyboard, scrolling and editing rules on a stand-in list
// window. Messages are sent straight to the list except where the list reads
// the pointer from the message queue (column resizing): those are posted
// with the cursor placed, and pumped.
#include "FakeListHost.h"
#include "ListNotifyRecorder.h"
#include "../support/WindowTesting.h"
#include "skin/ListDragPayload.h"
#include "skin/SkinListImpl.h"
#include <gtest/gtest.h>

namespace {

DWORD g_now = 100000;
DWORD WINAPI FakeClock()
{
    return g_now;
}

class SkinListInputTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RECT place = { 100, 100, 500, 400 };
        ASSERT_TRUE(parent.Create(nullptr, place));
        ShowWithoutActivating(parent);
        RECT inside = { 0, 0, 300, 200 };
        ASSERT_TRUE(list.Create(parent, inside));
        list.AddRows({ "Apple", "banana", "Avocado", "berry", "cherry" });
    }
    void TearDown() override
    {
        SetModifiers(false, false);
        list.DestroyWindow();
        parent.DestroyWindow();
    }

    // Client y of the middle of a row (header 20, rows 18).
    static int RowY(int row) { return 20 + row * 18 + 9; }

    void Press(UINT keys, int x, int y) { list.SendMessage(WM_LBUTTONDOWN, keys | MK_LBUTTON, MAKELPARAM(x, y)); }
    void Release(UINT keys, int x, int y) { list.SendMessage(WM_LBUTTONUP, keys, MAKELPARAM(x, y)); }
    void Click(UINT keys, int x, int y)
    {
        Press(keys, x, y);
        Release(keys, x, y);
    }
    void Key(UINT key) { list.SendMessage(WM_KEYDOWN, key, 1); }

    static void SetModifiers(bool shift, bool ctrl)
    {
        BYTE keys[256];
        ::GetKeyboardState(keys);
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        keys[VK_CONTROL] = ctrl ? 0x80 : 0;
        ::SetKeyboardState(keys);
    }

    std::vector<int> Codes() const
    {
        std::vector<int> codes;
        for (const RecordedNotify& n : parent.notices)
            codes.push_back(n.code);
        return codes;
    }

    CNotifyRecorder parent;
    CFakeList list { FakeClock };
};

}

TEST_F(SkinListInputTest, ClicksSelectToggleAndExtend)
{
    // A plain click selects the row and reports the column's key.
    Click(0, 70, RowY(1));
    EXPECT_EQ((std::set<int> { 1 }), list.selection);
    ASSERT_EQ((std::vector<int> { SLN_SELCHANGED, SLN_LBUTTONUP }), Codes());
    EXPECT_EQ(1, parent.notices[0].row);
    EXPECT_EQ(1, parent.notices[0].column);
    EXPECT_EQ(list.m_hWnd, parent.notices[0].from);

    // Ctrl adds a row (no focus column: key 0), and removes it again silently.
    parent.notices.clear();
    Click(MK_CONTROL, 70, RowY(3));
    EXPECT_EQ((std::set<int> { 1, 3 }), list.selection);
    ASSERT_EQ(SLN_SELCHANGED, parent.notices[0].code);
    EXPECT_EQ(0, parent.notices[0].column);
    parent.notices.clear();
    Click(MK_CONTROL, 70, RowY(3));
    EXPECT_EQ((std::set<int> { 1 }), list.selection);
    EXPECT_EQ((std::vector<int> { SLN_LBUTTONUP }), Codes());

    // Pressing on one of several selected rows keeps them; the release
    // without a move collapses the selection to that row.
    Click(MK_CONTROL, 70, RowY(2));
    parent.notices.clear();
    Press(0, 70, RowY(2));
    EXPECT_EQ((std::set<int> { 1, 2 }), list.selection);
    Release(0, 70, RowY(2));
    EXPECT_EQ((std::set<int> { 2 }), list.selection);
    EXPECT_EQ((std::vector<int> { SLN_SELCHANGED, SLN_LBUTTONUP }), Codes());

    // Shift extends from the anchor.
    Click(MK_SHIFT, 70, RowY(4));
    EXPECT_EQ((std::set<int> { 2, 3, 4 }), list.selection);

    // Single selection: Ctrl and Shift only select the clicked row.
    list.options.singleSelection = true;
    Click(MK_CONTROL, 70, RowY(0));
    EXPECT_EQ((std::set<int> { 0 }), list.selection);
    Click(MK_SHIFT, 70, RowY(3));
    EXPECT_EQ((std::set<int> { 3 }), list.selection);
}

TEST_F(SkinListInputTest, CheckBoxesToggleUnlessReadOnly)
{
    list.kinds[2] = kListCellCheck;
    list.rows[0][2] = "1";
    Click(0, 190, RowY(0));
    EXPECT_EQ("0", list.rows[0][2]);
    EXPECT_EQ((std::vector<int> { SLN_SELCHANGED, SLN_CELLCHANGED, SLN_LBUTTONUP }), Codes());
    EXPECT_EQ(2, parent.notices[1].column);

    list.kinds[1] = kListCellTriState;
    list.rows[2][1] = "-1";
    Click(0, 100, RowY(2));
    EXPECT_EQ("0", list.rows[2][1]);
    Click(0, 100, RowY(2));
    EXPECT_EQ("1", list.rows[2][1]);
    Click(0, 100, RowY(2));
    EXPECT_EQ("-1", list.rows[2][1]);

    // Read-only: only selected. Space toggles the focus cell's box like a click.
    list.formats[2] = kListReadOnly;
    parent.notices.clear();
    Click(0, 190, RowY(1));
    EXPECT_EQ("banana-2", list.rows[1][2]);
    EXPECT_EQ((std::vector<int> { SLN_SELCHANGED, SLN_LBUTTONUP }), Codes());
    list.formats[2] = 0;
    list.options.cellSelection = true;
    list.rows[1][2] = "0";
    Click(0, 190, RowY(1));
    EXPECT_EQ("1", list.rows[1][2]);
    Key(VK_SPACE);
    EXPECT_EQ("0", list.rows[1][2]);
}

TEST_F(SkinListInputTest, RightClicksAndHeaderClicks)
{
    Click(0, 70, RowY(2));
    parent.notices.clear();
    // Below the last row: the selection goes, the row reported is not a real one.
    list.SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(70, RowY(7)));
    list.SendMessage(WM_RBUTTONUP, 0, MAKELPARAM(70, RowY(7)));
    EXPECT_TRUE(list.selection.empty());
    ASSERT_EQ((std::vector<int> { SLN_RBUTTONUP }), Codes());
    EXPECT_GE(parent.notices[0].row, 5);
    EXPECT_EQ(0, parent.notices[0].column);
    // On the header: row -1.
    list.SendMessage(WM_RBUTTONUP, 0, MAKELPARAM(70, 5));
    EXPECT_EQ(-1, parent.notices.back().row);

    // A header click sorts, selects the previously selected index again and
    // reports the release with row -1.
    Click(0, 70, RowY(3));
    parent.notices.clear();
    Click(0, 100, 5);
    EXPECT_EQ((std::vector<int> { 1 }), list.sortedColumns);
    EXPECT_EQ((std::set<int> { 3 }), list.selection);
    ASSERT_EQ((std::vector<int> { SLN_SELCHANGED, SLN_LBUTTONUP }), Codes());
    EXPECT_EQ(-1, parent.notices[1].row);

    // A double click on a divider sizes that column and reports row -1, column 0.
    parent.notices.clear();
    list.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(58, 5));
    Release(0, 58, 5);
    EXPECT_EQ((std::vector<int> { 0 }), list.autoSized);
    ASSERT_EQ((std::vector<int> { SLN_DBLCLK, SLN_LBUTTONUP }), Codes());
    EXPECT_EQ(-1, parent.notices[0].row);
    EXPECT_EQ(0, parent.notices[0].column);
}

TEST_F(SkinListInputTest, FocusKeysSelectAllAndTypeAhead)
{
    for (int i = 0; i < 20; ++i)
        list.AddRows({ "row" + std::to_string(i) });
    Click(0, 70, RowY(0));
    parent.notices.clear();
    Key(VK_DOWN);
    EXPECT_EQ((std::set<int> { 1 }), list.selection);
    EXPECT_EQ((std::vector<int> { SLN_SELCHANGED }), Codes());
    // A page of 10 full rows: Page Down moves 9 rows and scrolls to show it.
    Key(VK_NEXT);
    EXPECT_EQ((std::set<int> { 10 }), list.selection);
    EXPECT_TRUE(list.IsCellVisible(10, -1, false));
    Key(VK_HOME);
    EXPECT_EQ(0, list.scrollY);
    // Shift+Down extends; Ctrl+Down only moves the focus.
    SetModifiers(true, false);
    Key(VK_DOWN);
    Key(VK_DOWN);
    EXPECT_EQ((std::set<int> { 0, 1, 2 }), list.selection);
    SetModifiers(false, true);
    parent.notices.clear();
    Key(VK_DOWN);
    EXPECT_EQ((std::set<int> { 0, 1, 2 }), list.selection);
    EXPECT_EQ(3, list.focusRow);
    // Ctrl+A selects every row without a notification.
    Key('A');
    EXPECT_EQ(list.rows.size(), list.selection.size());
    EXPECT_TRUE(parent.notices.empty());

    // Type-ahead on the first column (never sorted): "B" then "E" within 800 ms.
    SetModifiers(false, false);
    Click(0, 70, RowY(0));
    g_now += 5000;
    Key('B');
    EXPECT_EQ((std::set<int> { 1 }), list.selection);
    g_now += 300;
    Key('E');
    EXPECT_EQ((std::set<int> { 3 }), list.selection);
    // After a pause "A" starts again from the top... after the current row.
    g_now += 2000;
    Key('A');
    EXPECT_EQ((std::set<int> { 0 }), list.selection);
}

TEST_F(SkinListInputTest, WheelScrollsByWheelLinesAndSelectsTheTopRow)
{
    for (int i = 0; i < 20; ++i)
        list.AddRows({ "row" + std::to_string(i) });
    list.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0);
    EXPECT_EQ(3 * 18, list.scrollY);
    EXPECT_EQ((std::set<int> { 3 }), list.selection);
    ASSERT_FALSE(parent.notices.empty());
    EXPECT_EQ(SLN_SELCHANGED, parent.notices.back().code);
    EXPECT_EQ(3, parent.notices.back().row);
    list.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, 240), 0);
    EXPECT_EQ(0, list.scrollY);
    EXPECT_EQ((std::set<int> { 0 }), list.selection);
}

TEST_F(SkinListInputTest, RubberBandSelectsCoveredRowsSilently)
{
    // Pressing in a column other than the first starts a band on the move.
    Press(0, 100, RowY(1));
    parent.notices.clear();
    list.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(130, RowY(3)));
    RECT band;
    ASSERT_TRUE(list.input.GetBand(band));
    EXPECT_EQ((std::set<int> { 1, 2, 3 }), list.selection);
    EXPECT_EQ(1, list.anchor);
    EXPECT_EQ(3, list.focusRow);
    EXPECT_EQ(-1, list.focusColumn);
    // Dragged below the last row: only the rows that exist.
    list.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(130, 190));
    EXPECT_EQ((std::set<int> { 1, 2, 3, 4 }), list.selection);
    Release(0, 130, 190);
    EXPECT_FALSE(list.input.GetBand(band));
    EXPECT_TRUE(parent.notices.empty());
    EXPECT_TRUE(list.rowDrops.empty());

    // No band in single selection.
    list.options.singleSelection = true;
    Press(0, 100, RowY(0));
    list.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(130, RowY(3)));
    EXPECT_FALSE(list.input.GetBand(band));
    Release(0, 130, RowY(3));
}

TEST_F(SkinListInputTest, EndOfEditPaths)
{
    auto endEdit = [&](int row, int column, char key, const char* text, SYSTEMTIME* time) {
        SkinListNotify n = {};
        n.hwndFrom = list.m_hWnd;
        n.code = SLN_ENDEDIT;
        n.row = row;
        n.column = column;
        n.key = key;
        n.text = text;
        n.time = time;
        return list.SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&n));
    };
    // Esc keeps the old value and sends nothing.
    EXPECT_EQ(0, endEdit(1, 1, kEndKeyEscape, "typed", nullptr));
    EXPECT_EQ("banana-1", list.rows[1][1]);
    EXPECT_TRUE(parent.notices.empty());
    EXPECT_FALSE(list.input.IsEditing());

    // Enter stores the text and reports the cell by its key.
    endEdit(1, 1, kEndKeyEnter, "typed", nullptr);
    EXPECT_EQ("typed", list.rows[1][1]);
    ASSERT_EQ((std::vector<int> { SLN_CELLCHANGED }), Codes());
    EXPECT_EQ(1, parent.notices[0].row);
    EXPECT_EQ(1, parent.notices[0].column);

    // A date: "1" stores the 14 digits, "0" (no date picked) empties the cell.
    SYSTEMTIME time = {};
    time.wYear = 2024;
    time.wMonth = 3;
    time.wDay = 5;
    time.wHour = 9;
    endEdit(2, 2, 0, "1", &time);
    EXPECT_EQ("20240305090000", list.rows[2][2]);
    SYSTEMTIME zero = {};
    endEdit(2, 2, 0, "0", &zero);
    EXPECT_EQ("", list.rows[2][2]);

    // After the user moved column 2 to the front, display column 0 is key 2.
    list.MoveHeaderColumn(2, 0);
    parent.notices.clear();
    endEdit(0, 0, 0, "moved", nullptr);
    EXPECT_EQ("moved", list.rows[0][2]);
    EXPECT_EQ(2, parent.notices[0].column);

    // Tab commits and posts a Tab key-down that moves on to the next cell.
    endEdit(3, 1, kEndKeyTab, "tabbed", nullptr);
    EXPECT_EQ("tabbed", list.rows[3][0]);
    MSG posted;
    ASSERT_TRUE(::PeekMessageA(&posted, list, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
    EXPECT_EQ(static_cast<WPARAM>(VK_TAB), posted.wParam);
}

TEST_F(SkinListInputTest, HeaderDragOverAndDrop)
{
    // Columns 60, 80, 100 wide: header 0 over the left half of header 2.
    list.dragSource = 0;
    EXPECT_TRUE(list.input.HeaderDragOver(CPoint(150, 5)));
    EXPECT_EQ(2, list.dropPosition);
    EXPECT_FALSE(list.input.HeaderDrop(CF_TEXT));
    EXPECT_TRUE(list.input.HeaderDrop(HeaderClipboardFormat()));
    EXPECT_EQ((std::vector<int> { 1, 0, 2 }), list.order);
    EXPECT_EQ(0, list.ColumnKey(1));
    // Its own right half, or below the header: no drop position.
    list.dragSource = 1;
    EXPECT_FALSE(list.input.HeaderDragOver(CPoint(120, 5)));
    EXPECT_EQ(-1, list.dropPosition);
    EXPECT_FALSE(list.input.HeaderDragOver(CPoint(10, RowY(1))));
    EXPECT_FALSE(list.input.HeaderDrop(HeaderClipboardFormat()));
}

TEST_F(SkinListInputTest, ColumnResizeFollowsTheCursorOfInjectedInput)
{
    // The resize reads the pointer from the message queue, so the gesture is
    // driven through the system's input: the cursor placed, the button
    // pressed and released by SendInput, the moves coming from the warps.
    auto button = [](DWORD flags) {
        INPUT input = {};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = flags;
        ::SendInput(1, &input, sizeof(input));
    };
    auto moveTo = [&](POINT p) {
        ::SetCursorPos(p.x, p.y);
        PumpUntil([] { return false; }, 60);
    };
    // The divider of column 0 (its right edge at x 60), pressed 2 pixels left of it.
    POINT press = { 58, 5 };
    ::ClientToScreen(list, &press);
    moveTo(press);
    button(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(PumpUntil([&] { return list.resizeColumn == 0; }, 2000));
    moveTo({ press.x + 30, press.y });
    EXPECT_TRUE(PumpUntil([&] { return list.widths[0] == 90; }, 2000)) << list.widths[0];
    moveTo({ press.x - 100, press.y });
    EXPECT_TRUE(PumpUntil([&] { return list.widths[0] == 0; }, 2000)) << list.widths[0];
    button(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(PumpUntil([&] { return list.resizeColumn == -1; }, 2000));
    EXPECT_TRUE(list.sortedColumns.empty());

    // A fixed column is pressed (and sorted on release), not resized.
    list.widths[0] = 60;
    list.fixed[0] = true;
    moveTo(press);
    button(MOUSEEVENTF_LEFTDOWN);
    EXPECT_TRUE(PumpUntil([&] { return list.pressedHeader == 0; }, 2000));
    EXPECT_EQ(-1, list.resizeColumn);
    button(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(PumpUntil([&] { return !list.sortedColumns.empty(); }, 2000));
}

TEST_F(SkinListInputTest, ClickOnAnEditableCellOpensItsEditor)
{
    list.kinds[1] = kListCellEdit;
    list.kinds[2] = kListCellEdit;
    list.options.cellSelection = true;
    Click(0, 100, RowY(2));
    ASSERT_EQ(list.m_hWnd, ::GetParent(list.editBox));
    ASSERT_TRUE(list.editBox.IsWindowVisible());
    EXPECT_TRUE(list.input.IsEditing());
    EXPECT_EQ("Avocado-1", list.editBox.GetWindowText());

    // Typing and Tab: the value is stored, and the next cell's editor opens.
    list.editBox.SetWindowText("changed");
    list.editBox.SendMessage(WM_CHAR, VK_TAB, 1);
    PumpPendingMessages();
    EXPECT_EQ("changed", list.rows[2][1]);
    EXPECT_TRUE(list.editBox.IsWindowVisible());
    EXPECT_EQ(2, list.editBox.column);
    EXPECT_EQ("Avocado-2", list.editBox.GetWindowText());
    // Esc closes it without storing.
    list.editBox.SetWindowText("dropped");
    list.editBox.SendMessage(WM_CHAR, VK_ESCAPE, 1);
    PumpPendingMessages();
    EXPECT_EQ("Avocado-2", list.rows[2][2]);
    EXPECT_FALSE(list.editBox.IsWindowVisible());
    EXPECT_FALSE(list.input.IsEditing());
}

TEST_F(SkinListInputTest, HoverShowsTitleTipsRowTipsAndHotHeaders)
{
    ASSERT_TRUE(list.titleTip.Create(list, false));
    ASSERT_TRUE(list.rowToolTip.Create(list));
    list.rows[1][0] = "a first cell far too long for sixty pixels";
    list.rowTips[1] = "the row's own tip";

    // Over the clipped text: the title tip shows over the cell with the row's tip.
    list.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(20, RowY(1)));
    EXPECT_TRUE(list.titleTip.IsWindowVisible());
    EXPECT_EQ(0, list.tipColumn);
    EXPECT_EQ(1, list.tipRow);
    EXPECT_EQ(1, list.rowToolTip.GetToolCount());
    EXPECT_EQ(1, list.hotRow);

    // A text that fits shows no tip; a row without a tip text has no tool.
    list.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(100, RowY(0)));
    EXPECT_FALSE(list.titleTip.IsWindowVisible());
    EXPECT_EQ(-1, list.tipColumn);
    EXPECT_EQ(0, list.rowToolTip.GetToolCount());

    // Over the header the hot column follows the pointer; leaving clears it.
    list.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(100, 5));
    EXPECT_EQ(1, list.hotHeader);
    EXPECT_EQ(0, list.hotRow); // the last cell stays hot until the pointer leaves
    list.SendMessage(WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(-1, list.hotHeader);
    EXPECT_EQ(-1, list.hotRow);

    // An open editor suppresses title tips.
    list.kinds[0] = kListCellEdit;
    list.options.cellSelection = true;
    Click(0, 20, RowY(1));
    ASSERT_TRUE(list.input.IsEditing());
    list.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(21, RowY(1)));
    EXPECT_FALSE(list.titleTip.IsWindowVisible());
    list.SendMessage(WM_CANCELMODE, 0, 0);
    list.titleTip.DestroyWindow();
    list.rowToolTip.DestroyWindow();
}

TEST_F(SkinListInputTest, RubberBandOfInjectedInput)
{
    // Pressed in the second column of row 1 and dragged to row 3 through the
    // system's input: rows 1 to 3 are selected, and the release sends nothing.
    auto button = [](DWORD flags) {
        INPUT input = {};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = flags;
        ::SendInput(1, &input, sizeof(input));
    };
    POINT press = { 100, RowY(1) };
    ::ClientToScreen(list, &press);
    ::SetCursorPos(press.x, press.y);
    PumpUntil([] { return false; }, 60);
    button(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(PumpUntil([&] { return list.selection == std::set<int> { 1 }; }, 2000));
    ::SetCursorPos(press.x + 20, press.y + 2 * 18);
    EXPECT_TRUE(PumpUntil([&] { return list.selection == std::set<int> { 1, 2, 3 }; }, 2000));
    RECT band;
    EXPECT_TRUE(list.input.GetBand(band));
    parent.notices.clear();
    button(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(PumpUntil([&] { return !list.input.GetBand(band); }, 2000));
    PumpUntil([] { return false; }, 60);
    EXPECT_EQ((std::set<int> { 1, 2, 3 }), list.selection);
    EXPECT_TRUE(parent.notices.empty());
}

TEST(SkinListOnARealList, ClicksSelectAndKeysMoveOnTheList)
{
    CNotifyRecorder parent;
    RECT place = { 100, 100, 500, 400 };
    ASSERT_TRUE(parent.Create(nullptr, place));
    ShowWithoutActivating(parent);
    CSkinListCtrlData list;
    RECT inside = { 0, 0, 300, 200 };
    ASSERT_TRUE(list.Create(parent, inside));
    list.AddColumn("name", 80);
    list.AddColumn("value", 80);
    for (const char* name : { "one", "two", "three" })
        list.InsertItem(name);
    const int y = list.GetHeaderHeight() + list.GetRowHeight() + 2;
    list.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, y));
    list.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(100, y));
    EXPECT_TRUE(list.IsRowSelected(1));
    ASSERT_FALSE(parent.notices.empty());
    EXPECT_EQ(SLN_SELCHANGED, parent.notices[0].code);
    EXPECT_EQ(1, parent.notices[0].row);
    list.SendMessage(WM_KEYDOWN, VK_DOWN, 1);
    EXPECT_TRUE(list.IsRowSelected(2));
    EXPECT_FALSE(list.IsRowSelected(1));
    list.DestroyWindow();
    parent.DestroyWindow();
}
