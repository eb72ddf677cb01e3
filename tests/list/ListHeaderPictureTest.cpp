// The header is painted from the picture of an earlier paint while nothing it
// shows has changed. Every change must reach the screen: a list painted once,
// changed and painted again shows exactly what a new list in the changed
// state shows on its first paint.
#include "tests/list/SkinListTestHost.h"
#include <gtest/gtest.h>
#include <functional>
#include <string>

namespace {

const int kWidth = 300;
const int kHeight = 120;
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(0, 255, 0);

// Four columns wider than the list together, so that it scrolls sideways,
// sorted on the second column.
void Fill(CTestSkinList& list)
{
    list.m_colors.background = RGB(255, 255, 255);
    list.m_colors.headerBackground = RGB(192, 192, 192);
    list.AddColumn("代码", 80);
    list.AddColumn("名称", 80);
    list.AddColumn("现价", 80, -1, false, kListCellAmount, kListAlignRight);
    list.AddColumn("涨幅", 80);
    for (int i = 0; i < 4; ++i)
        list.InsertItem(std::to_string(i), false);
    list.UpdateScrollBars();
    list.SortByColumn(1, 1, false);
}

HFONT BoldFont()
{
    return ::CreateFontA(-14, 0, 0, 0, FW_BOLD, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, "宋体");
}

HBITMAP RedBitmap()
{
    CDib32 image;
    if (!image.Create(16, 16))
        return nullptr;
    image.Fill(0xFFFF0000);
    return image.DetachBitmap();
}

bool SameImages(const CDib32& a, const CDib32& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return false;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.GetColor(x, y) != b.GetColor(x, y))
                return false;
    return true;
}

bool SameHeaders(const CDib32& a, const CDib32& b, int header)
{
    for (int y = 0; y < header; ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.GetColor(x, y) != b.GetColor(x, y))
                return false;
    return true;
}

enum : int { kShowsPlain = 1, kShowsThemed = 2, kShowsBoth = 3 };

struct HeaderChange
{
    const char* name;
    std::function<void(CTestSkinList&)> apply;
    int shows; // the looks in which the header visibly changes
};

const HeaderChange kChanges[] = {
    { "column resized", [](CTestSkinList& l) { l.SetColumnWidth(0, 50); }, kShowsBoth },
    { "column moved", [](CTestSkinList& l) { l.MoveColumn(0, 2); }, kShowsBoth },
    { "column added", [](CTestSkinList& l) { l.AddColumn("新", 40); l.SetColumnWidth(0, 30); }, kShowsBoth },
    { "sorted on another column", [](CTestSkinList& l) { l.SortByColumn(2, 1, false); }, kShowsBoth },
    { "sort reversed", [](CTestSkinList& l) { l.SortByColumn(1, 2, false); }, kShowsBoth },
    { "sorting off", [](CTestSkinList& l) { l.m_options.sorting = false; }, kShowsBoth },
    { "hot header", [](CTestSkinList& l) { l.ViewState()->hotHeader = 2; }, kShowsThemed },
    { "pressed header", [](CTestSkinList& l) { l.ViewState()->pressedHeader = 0; }, kShowsBoth },
    { "scrolled sideways", [](CTestSkinList& l) { l.SetScrollPosition(SB_HORZ, 20); }, kShowsBoth },
    { "header text colour", [](CTestSkinList& l) { l.m_colors.headerText = kRed; }, kShowsBoth },
    { "header background", [](CTestSkinList& l) { l.m_colors.headerBackground = kGreen; }, kShowsPlain },
    { "dividers", [](CTestSkinList& l) { l.m_options.headerDividers = true; }, kShowsPlain },
    { "font replaced", [](CTestSkinList& l) { l.SetListFont(BoldFont()); }, kShowsBoth },
    { "settings changed", [](CTestSkinList& l) { l.SendMessage(WM_THEMECHANGED); }, 0 },
    // Themed items let the background image below them show through.
    { "background image", [](CTestSkinList& l) { l.SetBackgroundImage(RedBitmap()); }, 0 },
};

void CheckChanges(bool visualStyles)
{
    for (const HeaderChange& change : kChanges) {
        CDib32 before;
        CDib32 after;
        int header = 0;
        {
            ListWindow w;
            ASSERT_TRUE(w.Create(kWidth, kHeight, visualStyles));
            Fill(w.list);
            header = w.list.GetHeaderHeight();
            ASSERT_TRUE(RenderClient(w.list, before));
            ASSERT_TRUE(RenderClient(w.list, after));
            EXPECT_TRUE(SameImages(before, after)) << change.name << ": painted twice";
            change.apply(w.list);
            ASSERT_TRUE(RenderClient(w.list, after));
        }
        CDib32 fresh;
        {
            ListWindow w;
            ASSERT_TRUE(w.Create(kWidth, kHeight, visualStyles));
            Fill(w.list);
            change.apply(w.list);
            ASSERT_TRUE(RenderClient(w.list, fresh));
        }
        EXPECT_TRUE(SameImages(fresh, after)) << change.name;
        if ((change.shows & (visualStyles ? kShowsThemed : kShowsPlain)) != 0) {
            EXPECT_FALSE(SameHeaders(before, after, header)) << change.name << ": the change shows";
        }
    }
}

}

TEST(ListHeaderPicture, EveryChangeOfThePlainHeaderIsPainted)
{
    CheckChanges(false);
}

TEST(ListHeaderPicture, EveryChangeOfTheThemedHeaderIsPainted)
{
    {
        ListWindow w;
        ASSERT_TRUE(w.Create(kWidth, kHeight, true));
        if (!w.list.IsHeaderThemed())
            GTEST_SKIP() << "no header theme";
    }
    CheckChanges(true);
}

// A paint of part of the header (a window partly uncovered) leaves a picture
// of that part only: another part of the same size, and the next full paint,
// draw their own.
TEST(ListHeaderPicture, PartialPaintsDrawTheirOwnParts)
{
    for (bool visualStyles : { false, true }) {
        ListWindow w;
        ASSERT_TRUE(w.Create(kWidth, kHeight, visualStyles));
        Fill(w.list);
        const int header = w.list.GetHeaderHeight();
        CDib32 whole;
        ASSERT_TRUE(RenderClient(w.list, whole));
        CDib32 part;
        ASSERT_TRUE(part.Create(kWidth, kHeight));
        for (int left : { 100, 10 }) {
            CRgn clip;
            ASSERT_TRUE(clip.CreateRect(CRect(left, 0, left + 80, kHeight)));
            ::SelectClipRgn(part.GetDC(), clip);
            w.list.DoPaint(part.GetDC());
            ::SelectClipRgn(part.GetDC(), nullptr);
            ::GdiFlush();
        }
        EXPECT_FALSE(SameHeaders(whole, part, header)) << "outside the clips nothing is painted";
        for (int y = 0; y < header; ++y)
            for (int x = 10; x < 180; ++x)
                if (x < 90 || x >= 100) {
                    ASSERT_EQ(whole.GetColor(x, y), part.GetColor(x, y)) << x << "," << y;
                }
        CDib32 again;
        ASSERT_TRUE(RenderClient(w.list, again));
        EXPECT_TRUE(SameImages(whole, again)) << (visualStyles ? "themed" : "plain");
    }
}

// Scrolled by an owner's scroll bar past the last column, the themed header
// leaves a gap where what lies below it shows: the background image set
// after a paint appears there.
TEST(ListHeaderPicture, WhatLiesBelowTheHeaderIsPartOfItsPicture)
{
    auto paint = [](bool imageFirst, bool paintBefore, CDib32& image, bool& themed) {
        ListWindow w;
        ASSERT_TRUE(w.Create(kWidth, kHeight, true));
        themed = w.list.IsHeaderThemed();
        HWND bar = ::CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | SBS_HORZ, 0, kHeight - 10, kWidth, 10,
            w.host, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, bar);
        ::SetScrollRange(bar, SB_CTL, 0, 100, FALSE);
        ::SetScrollPos(bar, SB_CTL, 30, FALSE);
        w.list.m_options.externalHScroll = bar;
        w.list.AddColumn("代码", 100);
        w.list.AddColumn("名称", 100);
        if (imageFirst)
            w.list.SetBackgroundImage(RedBitmap());
        if (paintBefore) {
            ASSERT_TRUE(RenderClient(w.list, image));
        }
        if (!imageFirst)
            w.list.SetBackgroundImage(RedBitmap());
        ASSERT_TRUE(RenderClient(w.list, image));
    };
    CDib32 fresh;
    CDib32 changed;
    bool themed = false;
    paint(true, false, fresh, themed);
    if (!themed)
        GTEST_SKIP() << "no header theme";
    paint(false, true, changed, themed);
    EXPECT_TRUE(SameImages(fresh, changed));
    // The gap between the last column (200 - 30) and the rest of the bar (200).
    EXPECT_EQ(kRed, changed.GetColor(185, 2));
}
