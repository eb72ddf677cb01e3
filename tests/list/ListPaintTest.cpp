// What the list paints, read back through WM_PRINTCLIENT with visual styles
// off (and one themed case when the header theme opens): cell kinds, the
// end-of-row kind, narrow columns and headers, selection and focus colours.
#include "tests/list/SkinListTestHost.h"
#include "tests/support/OffscreenCanvas.h"
#include "tools/uidriver/ScreenCapture.h"
#include <gtest/gtest.h>
#include <string>

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(0, 255, 0);
const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kMagenta = RGB(255, 0, 255);

// Plain, fixed colours so that pixels can be told apart.
void PlainColours(CSkinListImpl& list)
{
    list.m_colors.background = kWhite;
    list.m_colors.text = RGB(0, 0, 0);
    list.m_colors.headerBackground = RGB(192, 192, 192);
    list.m_colors.selection = kMagenta;
    list.m_colors.focusCell = kGreen;
}

// The rectangle a cell occupies when nothing is scrolled.
CRect CellArea(const CSkinListImpl& list, int row, int column)
{
    CRect r;
    list.GetCellRect(row, column, r);
    return r;
}

}

TEST(ListPaint, EndOfRowKindAndOnePixelColumnsPaintNothing)
{
    ListWindow w;
    ASSERT_TRUE(w.Create(400, 200));
    CTestSkinList& list = w.list;
    PlainColours(list);
    list.AddColumn("a", 60);
    list.AddColumn("b", 60);
    list.AddColumn("c", 1);
    list.AddColumn("d", 60);
    for (int row = 0; row < 2; ++row) {
        list.InsertItem("text", false);
        list.SetItemColors(row, 1, kRed, 0);
        list.SetItemColors(row, 2, kGreen, 0);
        list.SetItemColors(row, 3, kRed, 0);
        list.SetItemText(row, 3, "right");
    }
    list.SetItemFormat(0, 1, kListCellEndOfRow, 0);
    CDib32 image;
    ASSERT_TRUE(RenderClient(list, image));
    const CRect row0 = CellArea(list, 0, -1);
    const CRect row1 = CellArea(list, 1, -1);
    EXPECT_EQ(0, CountColor(image, row0, kRed));
    EXPECT_GT(CountColor(image, CellArea(list, 1, 1), kRed), 100);
    EXPECT_GT(CountColor(image, CellArea(list, 1, 3), kRed), 100);
    EXPECT_EQ(0, CountColor(image, row1, kGreen));
    // The column after the one-pixel column starts one pixel further on.
    EXPECT_EQ(CellArea(list, 1, 2).left + 1, CellArea(list, 1, 3).left);
}

TEST(ListPaint, RowNumbersAndDatesShowTheirOwnTexts)
{
    ListWindow w;
    ASSERT_TRUE(w.Create(400, 200));
    CTestSkinList& list = w.list;
    PlainColours(list);
    list.AddColumn("no", 60);
    list.AddColumn("time", 200);
    list.InsertItem("whatever", false, -1, kListCellRowNumber);
    list.InsertItem("1", false);
    // An afternoon time with 0x800 shows the time alone in the user's format.
    list.SetItemFormat(0, 1, kListCellDate, kListTimeOnly);
    list.SetItemText(0, 1, "20240315143005");
    SYSTEMTIME t = {};
    t.wYear = 2024;
    t.wMonth = 3;
    t.wDay = 15;
    t.wHour = 14;
    t.wMinute = 30;
    t.wSecond = 5;
    char clock[64] = "";
    ASSERT_GT(::GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &t, nullptr, clock, sizeof(clock)), 0);
    list.SetItemText(1, 1, clock);
    CDib32 image;
    ASSERT_TRUE(RenderClient(list, image));
    EXPECT_TRUE(SamePixels(image, CellArea(list, 0, 0), CellArea(list, 1, 0)));
    EXPECT_TRUE(SamePixels(image, CellArea(list, 0, 1), CellArea(list, 1, 1)));
    EXPECT_GT(CountColor(image, CellArea(list, 0, 1), RGB(0, 0, 0)), 10);
    // Neither date nor time flag: the short date, a space and the time.
    char date[64] = "";
    ASSERT_GT(::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &t, nullptr, date, sizeof(date)), 0);
    list.SetItemFormat(0, 1, kListCellDate, 0);
    list.SetItemText(1, 1, std::string(date) + " " + clock);
    ASSERT_TRUE(RenderClient(list, image));
    EXPECT_TRUE(SamePixels(image, CellArea(list, 0, 1), CellArea(list, 1, 1)));
}

TEST(ListPaint, ProgressBarsClampTheirValue)
{
    ListWindow w;
    ASSERT_TRUE(w.Create(400, 300));
    CTestSkinList& list = w.list;
    PlainColours(list);
    list.m_colors.progressTop = kBlue;
    list.m_colors.progressBottom = kBlue;
    list.AddColumn("name", 60);
    list.AddColumn("done", 120, -1, false, kListCellProgress);
    const char* values[] = { "100", "150", "-5", "abc", "50", "0" };
    for (const char* v : values) {
        const int row = list.InsertItem(v, false);
        list.SetItemText(row, 1, v);
    }
    CDib32 image;
    ASSERT_TRUE(RenderClient(list, image));
    const int full = CountColor(image, CellArea(list, 0, 1), kBlue);
    EXPECT_GT(full, 500);
    EXPECT_EQ(full, CountColor(image, CellArea(list, 1, 1), kBlue)); // "150"
    EXPECT_EQ(0, CountColor(image, CellArea(list, 2, 1), kBlue)); // "-5"
    EXPECT_EQ(0, CountColor(image, CellArea(list, 3, 1), kBlue)); // "abc"
    const int half = CountColor(image, CellArea(list, 4, 1), kBlue);
    EXPECT_GT(half, full * 4 / 10);
    EXPECT_LT(half, full * 6 / 10);
    // The frame is drawn for an empty bar too.
    EXPECT_GT(CountColor(image, CellArea(list, 5, 1), list.m_colors.headerShadow), 20);
}

TEST(ListPaint, CheckAndThreeStateBoxesReadTheirNumbers)
{
    ListWindow w;
    ASSERT_TRUE(w.Create(300, 300));
    CTestSkinList& list = w.list;
    PlainColours(list);
    list.AddColumn("check", 60, -1, false, kListCellCheck);
    list.AddColumn("three", 60, -1, false, kListCellTriState);
    const char* checks[] = { "1", "2", "", "0", "abc", "-1", "0.5" };
    const char* states[] = { "1", "-1", "0", "7", "-3", "", "-0.5" };
    for (int i = 0; i < 7; ++i) {
        list.InsertItem(checks[i], false);
        list.SetItemText(i, 1, states[i]);
    }
    CDib32 image;
    ASSERT_TRUE(RenderClient(list, image));
    auto same = [&](int a, int b, int column) {
        return SamePixels(image, CellArea(list, a, column), CellArea(list, b, column));
    };
    EXPECT_TRUE(same(0, 1, 0)); // "2" is checked like "1"
    EXPECT_TRUE(same(2, 3, 0)); // "" is unchecked like "0"
    EXPECT_TRUE(same(3, 4, 0));
    EXPECT_TRUE(same(3, 5, 0));
    EXPECT_FALSE(same(0, 3, 0));
    EXPECT_TRUE(same(0, 3, 1)); // positive
    EXPECT_TRUE(same(1, 4, 1)); // negative
    EXPECT_TRUE(same(2, 5, 1)); // zero
    EXPECT_FALSE(same(0, 1, 1));
    EXPECT_FALSE(same(0, 2, 1));
    EXPECT_FALSE(same(1, 2, 1));
    // A fraction is a number as a click reads it: "0.5" shows checked, and a
    // click unchecks it.
    EXPECT_TRUE(same(0, 6, 0)) << "0.5 is checked";
    EXPECT_TRUE(same(1, 6, 1)) << "-0.5 is negative";
    CRect cell = CellArea(list, 6, 0);
    const LPARAM centre = MAKELPARAM(cell.CenterPoint().x, cell.CenterPoint().y);
    list.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, centre);
    list.SendMessage(WM_LBUTTONUP, 0, centre);
    EXPECT_EQ("0", list.GetItemText(6, 0));
    list.ClearSelection();
    ASSERT_TRUE(RenderClient(list, image));
    EXPECT_TRUE(same(3, 6, 0)) << "unchecked after the click";
}

TEST(ListPaint, NarrowHeadersShowNoSortIndicator)
{
    ListWindow w;
    ASSERT_TRUE(w.Create(300, 100));
    CTestSkinList& list = w.list;
    PlainColours(list);
    list.AddColumn("", 15);
    list.AddColumn("", 40);
    list.AddColumn("fixed", 60, -1, true);
    list.InsertItem("b", false);
    list.InsertItem("a", false);
    CRect narrow;
    CRect wide;
    CRect fixed;
    ASSERT_TRUE(list.GetHeaderItemRect(0, narrow));
    ASSERT_TRUE(list.GetHeaderItemRect(1, wide));
    ASSERT_TRUE(list.GetHeaderItemRect(2, fixed));
    CDib32 unsorted;
    ASSERT_TRUE(RenderClient(list, unsorted));
    CDib32 sorted;
    ASSERT_TRUE(list.SortByColumn(0, 1, false));
    ASSERT_TRUE(RenderClient(list, sorted));
    auto unchanged = [&](const CRect& r) {
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (unsorted.GetColor(x, y) != sorted.GetColor(x, y))
                    return false;
        return true;
    };
    EXPECT_TRUE(unchanged(narrow));
    ASSERT_TRUE(list.SortByColumn(1, 1, false));
    ASSERT_TRUE(RenderClient(list, sorted));
    EXPECT_FALSE(unchanged(wide));
    // The indicator follows the direction.
    CDib32 descending;
    ASSERT_TRUE(list.SortByColumn(1, 0, false));
    ASSERT_TRUE(RenderClient(list, descending));
    bool differs = false;
    for (int y = wide.top; y < wide.bottom && !differs; ++y)
        for (int x = wide.left; x < wide.right && !differs; ++x)
            differs = descending.GetColor(x, y) != sorted.GetColor(x, y);
    EXPECT_TRUE(differs);
    // A fixed column shows none either.
    ASSERT_TRUE(list.SortByColumn(2, 1, false));
    ASSERT_TRUE(RenderClient(list, sorted));
    EXPECT_TRUE(unchanged(fixed));
}

TEST(ListPaint, PlainSelectionAndFocusCell)
{
    ListWindow w;
    ASSERT_TRUE(w.Create(300, 200));
    CTestSkinList& list = w.list;
    PlainColours(list);
    list.m_options.cellSelection = true;
    list.AddColumn("a", 80);
    list.AddColumn("b", 80);
    list.InsertItem("", false);
    list.InsertItem("", false);
    list.Select(0);
    list.SetFocusState(0, 0, 1);
    CDib32 image;
    ASSERT_TRUE(RenderClient(list, image));
    const CRect focus = CellArea(list, 0, 1);
    const CRect other = CellArea(list, 0, 0);
    EXPECT_EQ(kGreen, image.GetColor(focus.CenterPoint().x, focus.CenterPoint().y));
    EXPECT_EQ(kMagenta, image.GetColor(other.CenterPoint().x, other.CenterPoint().y));
    EXPECT_EQ(kWhite, image.GetColor(other.CenterPoint().x, other.CenterPoint().y + list.GetRowHeight()));
    // While an editor is open the focus cell is the background in a frame.
    list.SetEditing(true);
    ASSERT_TRUE(RenderClient(list, image));
    EXPECT_EQ(kWhite, image.GetColor(focus.CenterPoint().x, focus.CenterPoint().y));
    EXPECT_EQ(kGreen, image.GetColor(focus.left, focus.CenterPoint().y));
    // Without the highlight the focus cell is painted like the row.
    list.SetEditing(false);
    list.m_options.focusCellHighlight = false;
    ASSERT_TRUE(RenderClient(list, image));
    EXPECT_EQ(kMagenta, image.GetColor(focus.CenterPoint().x, focus.CenterPoint().y));
    // Underlined selection: only a line along the bottom.
    list.m_options.underlineSelection = true;
    ASSERT_TRUE(RenderClient(list, image));
    EXPECT_EQ(kWhite, image.GetColor(other.CenterPoint().x, other.CenterPoint().y));
    EXPECT_EQ(kMagenta, image.GetColor(other.CenterPoint().x, other.bottom - 1));
}

TEST(ListPaint, ThemedSelectionUsesFocusedColoursWhileEditing)
{
    ListWindow w;
    ASSERT_TRUE(w.Create(300, 200, true));
    CTestSkinList& list = w.list;
    if (!list.IsHeaderThemed())
        GTEST_SKIP() << "no header theme";
    PlainColours(list);
    list.m_colors.focusedFillTop = kRed;
    list.m_colors.focusedFillBottom = kRed;
    list.m_colors.unfocusedFillTop = kGreen;
    list.m_colors.unfocusedFillBottom = kGreen;
    list.AddColumn("a", 80);
    list.AddColumn("b", 80);
    list.InsertItem("", false);
    list.Select(0);
    const CRect row = CellArea(list, 0, 0);
    CDib32 image;
    ASSERT_TRUE(RenderClient(list, image));
    ASSERT_NE(::GetFocus(), list.m_hWnd);
    EXPECT_EQ(kGreen, image.GetColor(row.CenterPoint().x, row.CenterPoint().y));
    list.SetEditing(true);
    ASSERT_TRUE(RenderClient(list, image));
    EXPECT_EQ(kRed, image.GetColor(row.CenterPoint().x, row.CenterPoint().y));
    // The themed header draws its items over the header rows.
    EXPECT_LT(CountColor(image, CRect(0, 0, 300, list.GetHeaderHeight()), kWhite),
        300 * list.GetHeaderHeight());
}

TEST(ListPaint, RubberBandStopsAtTheClientEdge)
{
    ListWindow w;
    ASSERT_TRUE(w.Create(300, 200));
    CTestSkinList& list = w.list;
    PlainColours(list);
    list.m_colors.text = kBlue; // the plain band's frame
    list.AddColumn("a", 120);
    list.AddColumn("b", 120);
    for (int i = 0; i < 3; ++i)
        list.InsertItem("", false);
    list.UpdateScrollBars();
    // Not scrolled: a band starting left of the client is cut at its left edge.
    list.SetBand(CRect(-50, list.GetHeaderHeight() + 5, 100, list.GetHeaderHeight() + 40));
    CDib32 image;
    ASSERT_TRUE(RenderClient(list, image));
    EXPECT_EQ(kBlue, image.GetColor(0, list.GetHeaderHeight() + 20));
    EXPECT_EQ(kBlue, image.GetColor(99, list.GetHeaderHeight() + 20));
    // Inside, the band blends the focus-cell colour over the rows.
    const COLORREF inside = image.GetColor(50, list.GetHeaderHeight() + 20);
    EXPECT_NE(kWhite, inside);
    EXPECT_NE(kGreen, inside);
}

TEST(ListPaint, ScreenshotOfTheKinds)
{
    ListWindow w;
    ASSERT_TRUE(w.Create(560, 220));
    CTestSkinList& list = w.list;
    list.m_options.cellSelection = true;
    list.AddColumn("序号", 40, -1, true, kListCellRowNumber);
    list.AddColumn("名称", 90, -1, false, kListCellLink);
    list.AddColumn("成交额", 80, -1, false, kListCellAmount, kListAlignRight);
    list.AddColumn("进度", 100, -1, false, kListCellProgress);
    list.AddColumn("选中", 50, -1, false, kListCellCheck, kListAlignCenter);
    list.AddColumn("时间", 180, -1, false, kListCellDate);
    const char* names[] = { "浦发银行", "平安银行", "万科Ａ", "国农科技", "世纪星源" };
    const char* amounts[] = { "3.2亿", "800万", "950", "1.5亿", "20万" };
    for (int i = 0; i < 5; ++i) {
        list.InsertItem("", false);
        list.SetItemText(i, 1, names[i]);
        list.SetItemText(i, 2, amounts[i]);
        list.SetItemText(i, 3, std::to_string(i * 30));
        list.SetItemText(i, 4, i % 2 ? "1" : "0");
        list.SetItemText(i, 5, "2024031" + std::to_string(i) + "093000");
    }
    list.SetItemColors(3, 2, RGB(255, 220, 220), RGB(200, 0, 0));
    list.Select(1);
    list.Select(2);
    list.SetFocusState(1, 2, 3);
    list.SetHotCell(0, 1);
    list.SortByColumn(2, 2, false);
    list.Select(1);
    list.UpdateScrollBars();
    ::UpdateWindow(list);
    EXPECT_FALSE(SaveWindowScreenshot(w.host, "list-kinds").empty());
    // The cell with colours of its own shows them; every row has text.
    std::unique_ptr<CDib32> image = CaptureWindow(w.host);
    ASSERT_TRUE(image);
    const PixelArea whole = { 0, 0, image->Width(), image->Height() };
    EXPECT_GT(ColumnsWith(*image, whole, [](COLORREF c) { return c == RGB(255, 220, 220); }), 40);
    EXPECT_GT(ColumnsWith(*image, whole, [](COLORREF c) { return c == RGB(200, 0, 0); }), 5);
    EXPECT_GE(RowsWithContent(*image, whole), 5 * 8);
}

// Text stands inset in its cell, the first column a pixel further; where
// the list says a cell's text lies (for title tips and editors) is where it
// paints it.
TEST(ListPaint, CellTextStartsAtTheInsetTheListReports)
{
    ListWindow w;
    ASSERT_TRUE(w.Create(400, 200));
    CTestSkinList& list = w.list;
    PlainColours(list);
    list.AddColumn("a", 80);
    list.AddColumn("b", 80);
    list.InsertItem("IIII", false);
    list.SetItemText(0, 1, "IIII");
    CDib32 image;
    ASSERT_TRUE(RenderClient(list, image));
    for (int column = 0; column < 2; ++column) {
        SCOPED_TRACE(column);
        const CRect cell = CellArea(list, 0, column);
        const CRect text = list.GetCellTextRect(0, column, cell);
        EXPECT_EQ(text.left, cell.left + (column == 0 ? 8 : 7));
        EXPECT_EQ(text.right, cell.right - 4);
        int firstInk = -1;
        for (int x = cell.left; x < cell.right && firstInk < 0; ++x) {
            for (int y = cell.top; y < cell.bottom; ++y) {
                if (image.GetColor(x, y) == RGB(0, 0, 0)) {
                    firstInk = x;
                    break;
                }
            }
        }
        ASSERT_GE(firstInk, 0);
        EXPECT_GE(firstInk, text.left);
        EXPECT_LE(firstInk, text.left + 2) << "left-aligned text starts at the inset";
    }
}
