// The sector list of the side panel: its column, its own row drawing, and
// the owner still seeing the list's double clicks.
#include "views/QuoteSidePanel.h"
#include "tests/support/WindowTesting.h"
#include "win/Dib32.h"
#include "win/Gdi.h"
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

typedef CWinTraits<WS_POPUP | WS_CLIPCHILDREN> CPopupTraits;

// The chart's stand-in: reflects notifications to the list and records the
// double clicks it sees itself.
class CListOwner : public CWindowImpl<CListOwner, CWindow, CPopupTraits>
{
public:
    DECLARE_WND_CLASS_EX("ZentuTestSidePanelOwner", 0, COLOR_WINDOW + 1)
    int doubleClicks = 0;

    BEGIN_MSG_MAP(CListOwner)
        NOTIFY_CODE_HANDLER(NM_DBLCLK, OnDoubleClick)
        REFLECT_NOTIFICATIONS()
    END_MSG_MAP()

    LRESULT OnDoubleClick(int id, NMHDR*, BOOL&)
    {
        if (id == CQuoteSidePanel::kSectorListId)
            ++doubleClicks;
        return 0;
    }
};

int ColumnWidth(HWND list)
{
    return static_cast<int>(::SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0));
}

class KeywordList : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const RECT rect = { 0, 0, 300, 400 };
        ASSERT_NE(owner.Create(nullptr, rect), nullptr);
        ShowWithoutActivating(owner.m_hWnd);
        panel.SetOwnerWindow(owner.m_hWnd);
    }
    void TearDown() override
    {
        if (owner.m_hWnd)
            owner.DestroyWindow();
    }

    CListOwner owner;
    CQuoteSidePanel panel;
};

} // namespace

TEST_F(KeywordList, OneHeaderlessColumnThatFillsTheControl)
{
    CKeywordListCtrl list;
    const RECT none = {};
    ASSERT_NE(
        list.Create(owner.m_hWnd, none, nullptr, WS_CHILD | LVS_ICON | LVS_SHOWSELALWAYS, 0, 77), nullptr);
    LVCOLUMNA column = {};
    column.mask = LVCF_WIDTH;
    EXPECT_TRUE(list.SendMessage(LVM_GETCOLUMNA, 0, reinterpret_cast<LPARAM>(&column)));
    EXPECT_FALSE(list.SendMessage(LVM_GETCOLUMNA, 1, reinterpret_cast<LPARAM>(&column)));
    const DWORD style = static_cast<DWORD>(::GetWindowLongPtrA(list.m_hWnd, GWL_STYLE));
    EXPECT_EQ(style & LVS_TYPEMASK, static_cast<DWORD>(LVS_REPORT));
    EXPECT_TRUE(style & LVS_NOCOLUMNHEADER);
    EXPECT_TRUE(style & LVS_NOSORTHEADER);
    EXPECT_FALSE(style & LVS_SHOWSELALWAYS);
    EXPECT_EQ(list.SendMessage(LVM_GETBKCOLOR), static_cast<LRESULT>(RGB(8, 8, 8)));

    ::SetWindowPos(list.m_hWnd, nullptr, 0, 0, 180, 120, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client = {};
    ::GetClientRect(list.m_hWnd, &client);
    EXPECT_EQ(ColumnWidth(list.m_hWnd), client.right);
    list.DestroyWindow();
}

TEST_F(KeywordList, PlacementShowsMovesAndHides)
{
    const RECT place = { 10, 100, 250, 300 };
    panel.PlaceSectorList(0, place);
    HWND list = panel.GetSectorList().m_hWnd;
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(::GetDlgCtrlID(list), CQuoteSidePanel::kSectorListId);
    EXPECT_TRUE(::IsWindowVisible(list));
    RECT where = {};
    ::GetWindowRect(list, &where);
    ::MapWindowPoints(nullptr, owner.m_hWnd, reinterpret_cast<POINT*>(&where), 2);
    EXPECT_TRUE(::EqualRect(&where, &place));

    const RECT moved = { 12, 120, 250, 280 };
    panel.PlaceSectorList(0, moved);
    EXPECT_EQ(panel.GetSectorList().m_hWnd, list) << "one window for the panel's life";
    ::GetWindowRect(list, &where);
    ::MapWindowPoints(nullptr, owner.m_hWnd, reinterpret_cast<POINT*>(&where), 2);
    EXPECT_TRUE(::EqualRect(&where, &moved));

    panel.PlaceSectorList(1, moved);
    EXPECT_FALSE(::IsWindowVisible(list));
    EXPECT_EQ(panel.GetListedStock(), -1);
}

TEST_F(KeywordList, RowsAreDrawnByTheListAndTheOwnerSeesDoubleClicks)
{
    const RECT place = { 0, 0, 200, 120 };
    panel.PlaceSectorList(0, place);
    CKeywordListCtrl& list = panel.GetSectorList();
    list.InsertItem(0, " 行业-银行", 11);
    list.InsertItem(1, " 地域-上海板块这是一个很长很长很长很长很长的名字", 12);
    list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    // The selection is marked while the list has the focus.
    ::SetFocus(list.m_hWnd);
    ASSERT_EQ(list.m_hWnd, ::GetFocus());
    PumpPendingMessages();

    CDib32 image;
    ASSERT_TRUE(RenderClient(list.m_hWnd, image));
    RECT row0 = {};
    RECT row1 = {};
    ASSERT_TRUE(list.GetItemRect(0, &row0, LVIR_LABEL));
    ASSERT_TRUE(list.GetItemRect(1, &row1, LVIR_LABEL));
    // A point inside the label, away from the text and the focus rectangle.
    EXPECT_EQ(image.GetColor(row0.right - 3, row0.top + 3), RGB(80, 80, 80));
    EXPECT_EQ(image.GetColor(row1.right - 3, row1.top + 3), RGB(8, 8, 8));
    EXPECT_EQ(image.GetColor(row1.right - 3, row1.bottom + 4), RGB(8, 8, 8)) << "list background";
    // The focused row's label carries a dotted focus rectangle on its edge.
    int marked = 0;
    for (int x = row0.left; x < row0.right; ++x)
        marked += image.GetColor(x, row0.top) != RGB(80, 80, 80) ? 1 : 0;
    EXPECT_GT(marked, (row0.right - row0.left) / 4);
    for (int x = row1.left; x < row1.right; ++x)
        EXPECT_EQ(image.GetColor(x, row1.top), RGB(8, 8, 8)) << x;

    NMITEMACTIVATE click = {};
    click.hdr.hwndFrom = list.m_hWnd;
    click.hdr.idFrom = CQuoteSidePanel::kSectorListId;
    click.hdr.code = NM_DBLCLK;
    click.iItem = 0;
    owner.SendMessage(WM_NOTIFY, CQuoteSidePanel::kSectorListId, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(owner.doubleClicks, 1);
}
