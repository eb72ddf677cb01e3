// The in-place editors on real windows: end keys, the numeric filter in
// place, the end-of-edit notices and the date editor's values.
#include "ListNotifyRecorder.h"
#include "../support/WindowTesting.h"
#include "skin/ListEditors.h"
#include <gtest/gtest.h>
#include <cstring>

namespace {

class ListEditorsTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_list = new CNotifyRecorder();
        RECT place = { 40, 40, 440, 240 };
        ASSERT_TRUE(s_list->Create(nullptr, place));
        ShowWithoutActivating(s_list->m_hWnd);
    }
    static void TearDownTestSuite()
    {
        s_list->DestroyWindow();
        delete s_list;
        s_list = nullptr;
    }
    void SetUp() override { s_list->notices.clear(); }

    static void Type(HWND window, const char* keys)
    {
        for (const char* p = keys; *p; ++p)
            ::SendMessageA(window, WM_CHAR, static_cast<unsigned char>(*p), 1);
    }

    static CNotifyRecorder* s_list;
};

CNotifyRecorder* ListEditorsTest::s_list = nullptr;

const RECT kCell = { 10, 20, 110, 40 };

}

TEST_F(ListEditorsTest, TextBoxEndsWithItsKeyAndText)
{
    CListEdit edit;
    ASSERT_TRUE(edit.Begin(s_list->m_hWnd, 4, 2, kCell, 0, "old"));
    EXPECT_TRUE(edit.IsWindowVisible());
    CRect place = edit.GetWindowRect();
    s_list->ScreenToClient(&place);
    EXPECT_EQ(CRect(12, 23, 107, 38), place);
    DWORD start = 0, end = 0;
    edit.SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(0u, start);
    EXPECT_EQ(3u, end);
    EXPECT_EQ(static_cast<LRESULT>(DLGC_WANTALLKEYS), edit.SendMessage(WM_GETDLGCODE));

    Type(edit, "new");
    EXPECT_EQ("new", edit.GetWindowText());
    // Tab is not typed: it ends the edit through the focus going to the list.
    ::SendMessageA(edit, WM_CHAR, VK_TAB, 1);
    if (::GetFocus() == edit.m_hWnd || s_list->notices.empty())
        edit.SendMessage(WM_KILLFOCUS, reinterpret_cast<WPARAM>(s_list->m_hWnd));
    ASSERT_EQ(1u, s_list->notices.size());
    const RecordedNotify& n = s_list->notices[0];
    EXPECT_EQ(SLN_ENDEDIT, n.code);
    EXPECT_EQ(edit.m_hWnd, n.from);
    EXPECT_EQ(4, n.row);
    EXPECT_EQ(2, n.column);
    EXPECT_EQ(kEndKeyTab, n.key);
    EXPECT_EQ("new", n.text);
    EXPECT_FALSE(n.hasTime);
    EXPECT_FALSE(edit.IsWindowVisible());
    // Losing the focus again reports nothing more.
    edit.SendMessage(WM_KILLFOCUS, reinterpret_cast<WPARAM>(s_list->m_hWnd));
    EXPECT_EQ(1u, s_list->notices.size());

    // Esc: the list hears key 27 (and discards the value); a new edit starts with key 0.
    ASSERT_TRUE(edit.Begin(s_list->m_hWnd, 1, 0, kCell, 0x10, "abc"));
    EXPECT_EQ(kEndKeyNone, edit.endKey);
    EXPECT_TRUE(edit.GetStyle() & ES_UPPERCASE);
    ::SendMessageA(edit, WM_CHAR, VK_ESCAPE, 1);
    if (s_list->notices.size() == 1)
        edit.SendMessage(WM_KILLFOCUS, reinterpret_cast<WPARAM>(s_list->m_hWnd));
    ASSERT_EQ(2u, s_list->notices.size());
    EXPECT_EQ(kEndKeyEscape, s_list->notices[1].key);
    edit.DestroyWindow();
}

TEST_F(ListEditorsTest, NumericBoxFiltersInPlace)
{
    CListEdit edit;
    ASSERT_TRUE(edit.Begin(s_list->m_hWnd, 0, 0, kCell, 0x20 | 0x100, "12"));
    EXPECT_TRUE(edit.GetStyle() & ES_RIGHT);
    edit.SetSel(2, 2);
    Type(edit, "a.5");
    EXPECT_EQ("125", edit.GetWindowText());
    edit.SetWindowText(">");
    edit.SetSel(1, 1);
    Type(edit, "=>3");
    EXPECT_EQ(">=3", edit.GetWindowText());

    // The sign toggle rewrites the whole number and moves the caret right.
    ASSERT_TRUE(edit.Begin(s_list->m_hWnd, 0, 0, kCell, 0x40 | 0x80, "2.5"));
    edit.SetSel(3, 3);
    Type(edit, "-");
    EXPECT_EQ("-2.500000", edit.GetWindowText());
    DWORD start = 0, end = 0;
    edit.SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(4u, start);
    edit.DestroyWindow();
}

TEST_F(ListEditorsTest, DateEditorReportsItsValue)
{
    CListDate date;
    ASSERT_TRUE(date.Begin(s_list->m_hWnd, 3, 1, kCell, 0x1000, "20240305143007"));
    EXPECT_TRUE(date.GetStyle() & DTS_SHOWNONE);
    EXPECT_FALSE(date.GetExStyle() & WS_EX_CLIENTEDGE);
    SYSTEMTIME shown = {};
    ASSERT_EQ(static_cast<DWORD>(GDT_VALID), date.GetSystemTime(&shown));
    EXPECT_EQ(2024, shown.wYear);
    EXPECT_EQ(14, shown.wHour);

    date.EndEdit();
    ASSERT_EQ(1u, s_list->notices.size());
    RecordedNotify n = s_list->notices[0];
    EXPECT_EQ(SLN_ENDEDIT, n.code);
    EXPECT_EQ("1", n.text);
    ASSERT_TRUE(n.hasTime);
    EXPECT_EQ(2024, n.time.wYear);
    EXPECT_EQ(5, n.time.wDay);
    EXPECT_EQ(30, n.time.wMinute);
    EXPECT_FALSE(date.IsWindowVisible());

    // An empty cell starts with no date; ending so reports "0" and a zero time.
    ASSERT_TRUE(date.Begin(s_list->m_hWnd, 3, 1, kCell, 0x1000, ""));
    ASSERT_EQ(static_cast<DWORD>(GDT_NONE), date.GetSystemTime(&shown));
    date.SendMessage(WM_KILLFOCUS, reinterpret_cast<WPARAM>(s_list->m_hWnd));
    ASSERT_EQ(2u, s_list->notices.size());
    n = s_list->notices[1];
    EXPECT_EQ("0", n.text);
    SYSTEMTIME zero = {};
    EXPECT_EQ(0, std::memcmp(&zero, &n.time, sizeof(zero)));

    // Date only: the time fields are reported as zero. Time only: the date fields.
    ASSERT_TRUE(date.Begin(s_list->m_hWnd, 0, 0, kCell, 0x400, "20240305143007"));
    date.EndEdit();
    n = s_list->notices.back();
    EXPECT_EQ(5, n.time.wDay);
    EXPECT_EQ(0, n.time.wHour);
    EXPECT_EQ(0, n.time.wMinute);
    ASSERT_TRUE(date.Begin(s_list->m_hWnd, 0, 0, kCell, 0x800, "20240305143007"));
    EXPECT_TRUE(date.GetStyle() & DTS_UPDOWN);
    date.EndEdit();
    n = s_list->notices.back();
    EXPECT_EQ(0, n.time.wYear);
    EXPECT_EQ(0, n.time.wDay);
    EXPECT_EQ(14, n.time.wHour);
    EXPECT_EQ(7, n.time.wSecond);

    // Enter ends the edit with key 13.
    ASSERT_TRUE(date.Begin(s_list->m_hWnd, 0, 0, kCell, 0, "20240305143007"));
    size_t before = s_list->notices.size();
    ::SendMessageA(date, WM_CHAR, VK_RETURN, 1);
    if (s_list->notices.size() == before)
        date.EndEdit();
    EXPECT_EQ(kEndKeyEnter, s_list->notices.back().key);
    date.DestroyWindow();
}

TEST_F(ListEditorsTest, ComboEndsWithTheSelectedItem)
{
    CListCombo combo;
    RECT place = { 10, 20, 150, 200 };
    ASSERT_TRUE(combo.Create(s_list->m_hWnd, place, nullptr, WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST,
        0, CListCombo::kControlId));
    combo.AddString("first");
    combo.AddString("second");
    combo.SetCurSel(1);
    combo.Begin(7, 2, 0);
    EXPECT_EQ(static_cast<LRESULT>(DLGC_WANTALLKEYS), combo.SendMessage(WM_GETDLGCODE));

    // The end key travels with the notice; CBN_KILLFOCUS reaches the combo
    // reflected by its parent.
    ::SendMessageA(combo, WM_CHAR, VK_RETURN, 1);
    s_list->SendMessage(WM_COMMAND, MAKEWPARAM(CListCombo::kControlId, CBN_KILLFOCUS),
        reinterpret_cast<LPARAM>(combo.m_hWnd));
    ASSERT_FALSE(s_list->notices.empty());
    const RecordedNotify& n = s_list->notices.back();
    EXPECT_EQ(SLN_ENDEDIT, n.code);
    EXPECT_EQ(7, n.row);
    EXPECT_EQ(kEndKeyEnter, n.key);
    EXPECT_EQ("second", n.text);
    EXPECT_FALSE(combo.IsWindowVisible());

    // The text area is painted in the combo's own background colour.
    combo.themed = false;
    combo.backgroundColour = RGB(10, 200, 10);
    combo.ShowWindow(SW_SHOWNA);
    RECT text, button;
    ASSERT_TRUE(combo.GetParts(text, button));
    CDib32 image;
    ASSERT_TRUE(RenderClient(combo, image));
    EXPECT_EQ(RGB(10, 200, 10), image.GetColor(text.left + 1, text.bottom - 2));
    combo.DestroyWindow();
}

TEST_F(ListEditorsTest, DropDownComboFiltersItsEditChild)
{
    CListCombo combo;
    RECT place = { 10, 20, 150, 200 };
    ASSERT_TRUE(
        combo.Create(s_list->m_hWnd, place, nullptr, WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, 0, CListCombo::kControlId));
    combo.Begin(0, 0, 0x20);
    HWND edit = combo.GetEditCtrl();
    ASSERT_NE(nullptr, edit);
    EXPECT_EQ(static_cast<LRESULT>(DLGC_WANTALLKEYS), ::SendMessageA(edit, WM_GETDLGCODE, 0, 0));
    for (char c : std::string("4x2"))
        ::SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
    EXPECT_EQ("42", combo.GetWindowText());
    s_list->SendMessage(WM_COMMAND, MAKEWPARAM(CListCombo::kControlId, CBN_KILLFOCUS),
        reinterpret_cast<LPARAM>(combo.m_hWnd));
    ASSERT_FALSE(s_list->notices.empty());
    EXPECT_EQ("42", s_list->notices.back().text);
    combo.DestroyWindow();
}
