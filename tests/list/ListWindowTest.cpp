// The list as a window: creation and its resources, scroll ranges and
// geometry, the drop arrows, animated scrolling, GDI objects over many
// lists, and a worker filling the list while the window paints.
#include "tests/list/SkinListTestHost.h"
#include "tests/support/GdiCount.h"
#include <gtest/gtest.h>
#include <atomic>
#include <string>
#include <thread>

namespace {

SCROLLINFO VerticalInfo(HWND hwnd)
{
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    ::GetScrollInfo(hwnd, SB_VERT, &info);
    return info;
}

}

TEST(ListWindow, CreationMeasuresTheHeaderAndMakesItsCompanions)
{
    ListWindow w;
    ASSERT_TRUE(w.Create(400, 300));
    CTestSkinList& list = w.list;
    EXPECT_GT(list.GetRowHeight(), 6);
    EXPECT_EQ(list.GetRowHeight(), list.GetHeaderHeight());
    EXPECT_NE(nullptr, list.GetImageStrip());
    EXPECT_EQ(6, ::ImageList_GetImageCount(list.GetImageStrip()));
    EXPECT_NE(0, list.GetHeaderClipboardFormat());
    ASSERT_TRUE(list.GetDropArrows().IsWindow());
    EXPECT_EQ(list.GetHeaderHeight() + 20, list.GetDropArrows().GetHeight());
    // Short rows: the text height alone.
    const int tall = list.GetRowHeight();
    list.m_options.tallRows = false;
    list.SendMessage(WM_SETTINGCHANGE);
    EXPECT_EQ(tall - 6, list.GetRowHeight());
    EXPECT_EQ(tall - 6 + 20, list.GetDropArrows().GetHeight());
}

TEST(ListWindow, ScrollRangesFollowTheRowsWhenUpdated)
{
    ListWindow w;
    ASSERT_TRUE(w.Create(300, 200));
    CTestSkinList& list = w.list;
    list.AddColumn("a", 200);
    list.AddColumn("b", 200);
    const SCROLLINFO before = VerticalInfo(list);
    for (int i = 0; i < 100; ++i)
        list.InsertItem("row", false);
    EXPECT_EQ(before.nMax, VerticalInfo(list).nMax);
    list.UpdateScrollBars();
    const SCROLLINFO after = VerticalInfo(list);
    const int header = list.GetHeaderHeight();
    EXPECT_EQ(header + 100 * list.GetRowHeight(), after.nMax);
    EXPECT_EQ(static_cast<UINT>(list.GetClientRect().Height() - header), after.nPage);
    EXPECT_TRUE(list.IsVerticalBarShown());
    EXPECT_TRUE(list.IsHorizontalBarShown());

    // Geometry from the scroll position.
    EXPECT_EQ(0, list.GetTopRow());
    const int perPage = (list.GetClientRect().Height() - header) / list.GetRowHeight();
    EXPECT_EQ(perPage, list.RowsPerPage(false));
    EXPECT_TRUE(list.IsCellVisible(perPage - 1, -1, false));
    EXPECT_FALSE(list.IsCellVisible(perPage + 1, -1, true));
    CRect cell;
    ASSERT_TRUE(list.GetCellRect(2, 1, cell));
    EXPECT_EQ(CRect(200, header + 2 * list.GetRowHeight(), 400, header + 3 * list.GetRowHeight()), cell);
    ASSERT_TRUE(list.GetCellRect(2, -1, cell));
    EXPECT_EQ(list.GetClientRect().right, cell.right);

    // A row below the page becomes the last full row; one above, the top row.
    EXPECT_TRUE(list.EnsureVisible(50, -1));
    EXPECT_EQ(50 + 1 - perPage, list.GetTopRow());
    EXPECT_TRUE(list.IsCellVisible(50, -1, false));
    EXPECT_TRUE(list.EnsureVisible(10, -1));
    EXPECT_EQ(10, list.GetTopRow());
    // With cell selection a column cut off at the right is scrolled just
    // into view: its right edge at the client's.
    list.m_options.cellSelection = true;
    const int clientRight = list.GetClientRect().right;
    ASSERT_LT(clientRight, 400) << "column 1 (200 to 400) is cut off";
    EXPECT_TRUE(list.EnsureVisible(10, 1));
    CRect item;
    ASSERT_TRUE(list.GetHeaderItemRect(1, item));
    EXPECT_EQ(item.right, clientRight);
    EXPECT_EQ(list.GetScrollPosition(SB_HORZ), 400 - clientRight);

    // Emptied: no vertical range.
    list.DeleteAllItems();
    list.UpdateScrollBars();
    EXPECT_EQ(0, VerticalInfo(list).nMax);
}

// A bar is set again only when what it holds differs: the system keeps the
// page within the range, and a position is compared only when one is set.
TEST(ListWindow, ScrollBarsAreSetOnlyWhenTheyChange)
{
    auto info = [](int maximum, UINT page, int position) {
        SCROLLINFO i = {};
        i.nMax = maximum;
        i.nPage = page;
        i.nPos = position;
        return i;
    };
    struct Case
    {
        const char* name;
        SCROLLINFO current;
        int maximum;
        UINT page;
        int position;
        bool same;
    };
    const Case cases[] = {
        { "same range and page", info(1000, 200, 40), 1000, 200, -1, true },
        { "same with the position", info(1000, 200, 40), 1000, 200, 40, true },
        { "another position", info(1000, 200, 40), 1000, 200, 0, false },
        { "more rows", info(1000, 200, 40), 1020, 200, -1, false },
        { "taller page", info(1000, 200, 40), 1000, 220, -1, false },
        { "no range: the page kept at 1", info(0, 1, 0), 0, 200, -1, true },
        { "no range and no page", info(0, 0, 0), 0, 0, -1, true },
        { "page wider than the range", info(100, 101, 0), 100, 300, -1, true },
        { "range appears", info(0, 1, 0), 500, 200, -1, false },
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.same, CSkinListImpl::IsScrollInfoCurrent(c.current, c.maximum, c.page, c.position)) << c.name;

    // On a window: a refill with as many rows keeps the bar; a new position is set.
    ListWindow w;
    ASSERT_TRUE(w.Create(300, 200));
    CTestSkinList& list = w.list;
    list.AddColumn("a", 200);
    for (int i = 0; i < 50; ++i)
        list.InsertItem("row", false);
    list.UpdateScrollBars();
    list.UpdateScrollBars();
    const SCROLLINFO filled = VerticalInfo(list);
    list.UpdateVerticalScrollBar(3 * list.GetRowHeight());
    EXPECT_EQ(3 * list.GetRowHeight(), VerticalInfo(list).nPos);
    list.DeleteAllItems();
    for (int i = 0; i < 50; ++i)
        list.InsertItem("row", false);
    list.UpdateScrollBars();
    EXPECT_EQ(filled.nMax, VerticalInfo(list).nMax);
    EXPECT_EQ(filled.nPage, VerticalInfo(list).nPage);
    EXPECT_EQ(3 * list.GetRowHeight(), VerticalInfo(list).nPos);
}

// A resize sets the bars for the new client area: a shorter list scrolls to
// its last row and column, a taller one shows no blank below its last row,
// and an open editor and a running animation end.
TEST(ListWindow, ResizingSetsTheBarsForTheNewSize)
{
    ListWindow w;
    ASSERT_TRUE(w.Create(500, 400));
    CTestSkinList& list = w.list;
    list.AddColumn("a", 200);
    list.AddColumn("b", 200);
    list.AddColumn("c", 200);
    const int rows = 60;
    for (int i = 0; i < rows; ++i)
        list.InsertItem(std::to_string(i), false);
    list.UpdateScrollBars();
    const int header = list.GetHeaderHeight();
    const int content = header + rows * list.GetRowHeight();

    // Shorter and narrower: the bottom shows the last row, the far right the last column.
    list.MoveWindow(CRect(0, 0, 250, 150));
    list.SendMessage(WM_VSCROLL, SB_BOTTOM);
    EXPECT_TRUE(list.IsCellVisible(rows - 1, -1, false)) << "the last row is reachable";
    SCROLLINFO horizontal = {};
    horizontal.cbSize = sizeof(horizontal);
    horizontal.fMask = SIF_ALL;
    ASSERT_TRUE(::GetScrollInfo(list, SB_HORZ, &horizontal));
    EXPECT_EQ(static_cast<UINT>(list.GetClientRect().Width()), horizontal.nPage);
    list.SendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, horizontal.nMax));
    CRect last;
    ASSERT_TRUE(list.GetHeaderItemRect(2, last));
    EXPECT_LE(last.right, list.GetClientRect().right + 1) << "the last column is reachable";

    // Taller again while scrolled to the bottom: no rows scrolled away into
    // blank space (the range ends one pixel below the last row).
    list.MoveWindow(CRect(0, 0, 250, 600));
    EXPECT_LE(list.GetScrollPosition(SB_VERT) + list.GetClientRect().Height() - header, content + 1);
    list.MoveWindow(CRect(0, 0, 250, content + 40));
    EXPECT_EQ(0, list.GetTopRow()) << "every row fits";

    // An animation and an editor end with the next resize.
    list.MoveWindow(CRect(0, 0, 250, 150));
    list.StartScrollAnimation(0, 6);
    ASSERT_TRUE(list.IsScrollAnimating());
    list.MoveWindow(CRect(0, 0, 260, 150));
    EXPECT_FALSE(list.IsScrollAnimating());
    list.m_options.cellSelection = true;
    list.SetItemFormat(0, 1, kListCellEdit, 0);
    list.SetFocus();
    list.SendMessage(WM_VSCROLL, SB_TOP);
    list.SendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0));
    ASSERT_TRUE(list.BeginEdit(0, 1));
    ASSERT_TRUE(list.IsEditing());
    list.MoveWindow(CRect(0, 0, 270, 150));
    PumpPendingMessages();
    EXPECT_FALSE(list.IsEditing());
}

// A list whose vertical position lives in a bar of the owner's: the resize
// gives that bar the rows' range beyond the client area.
TEST(ListWindow, ResizingGivesAnExternalVerticalBarItsRange)
{
    ListWindow w;
    ASSERT_TRUE(w.Create(400, 300));
    CWindow bar(::CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | SBS_VERT, 0, 0, 16, 100, w.host, nullptr,
        nullptr, nullptr));
    ASSERT_TRUE(bar.m_hWnd);
    CTestSkinList& list = w.list;
    list.m_options.externalVScroll = bar;
    list.AddColumn("a", 100);
    for (int i = 0; i < 40; ++i)
        list.InsertItem(std::to_string(i), false);
    list.UpdateScrollBars();
    list.MoveWindow(CRect(0, 0, 300, 200));
    const int content = list.GetHeaderHeight() + 40 * list.GetRowHeight();
    int low = -1, high = -1;
    ::GetScrollRange(bar, SB_CTL, &low, &high);
    EXPECT_EQ(0, low);
    EXPECT_EQ(content - list.GetClientRect().Height(), high);
    // Tall enough for every row: no range.
    list.MoveWindow(CRect(0, 0, 300, content + 50));
    ::GetScrollRange(bar, SB_CTL, &low, &high);
    EXPECT_EQ(0, high);
}

// A rubber band lives while the list holds the mouse with the left button
// down: when another window takes the capture, or a move comes without the
// button, it ends and its timer no longer scrolls or selects.
TEST(ListWindow, ARubberBandEndsWithTheCaptureOrTheButton)
{
    ListWindow w;
    ASSERT_TRUE(w.Create(300, 200));
    CTestSkinList& list = w.list;
    list.AddColumn("a", 100);
    list.AddColumn("b", 100);
    for (int i = 0; i < 50; ++i)
        list.InsertItem(std::to_string(i), false);
    list.UpdateScrollBars();
    const int y = list.GetHeaderHeight() + list.GetRowHeight() / 2;
    const auto startBand = [&]() {
        list.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(150, y));
        list.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(160, y + 3 * list.GetRowHeight()));
        RECT band;
        return list.GetInput().GetBand(band);
    };
    CListTestHost other;
    ASSERT_TRUE(other.Create(nullptr, CRect(400, 0, 450, 50)));

    ASSERT_TRUE(startBand());
    ASSERT_EQ(::GetCapture(), list.m_hWnd);
    ::SetCapture(other);
    RECT band;
    EXPECT_FALSE(list.GetInput().GetBand(band)) << "the capture went elsewhere";
    ::ReleaseCapture();
    // The band's timer finds nothing to do: the selection stays as it is.
    const std::set<int> selection = list.GetSelection();
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(selection, list.GetSelection());
    EXPECT_EQ(0, list.GetTopRow());

    ASSERT_TRUE(startBand());
    list.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(160, y + 5 * list.GetRowHeight()));
    EXPECT_FALSE(list.GetInput().GetBand(band)) << "a move without the button";
    EXPECT_NE(::GetCapture(), list.m_hWnd);
    other.DestroyWindow();
}

TEST(ListWindow, DropArrowsAreTwoArrowsOfTheHeaderHeight)
{
    ListWindow w;
    ASSERT_TRUE(w.Create(300, 200));
    CDropArrows& arrows = w.list.GetDropArrows();
    const int h = arrows.GetHeight();
    CRgn region;
    ASSERT_TRUE(region.CreateRect(CRect(0, 0, 1, 1)));
    ASSERT_NE(ERROR, ::GetWindowRgn(arrows, region));
    EXPECT_TRUE(::PtInRegion(region, 6, 2)); // the downward arrow's shaft
    EXPECT_TRUE(::PtInRegion(region, 6, 6)); // its head
    EXPECT_TRUE(::PtInRegion(region, 6, h - 2)); // the upward arrow's shaft
    EXPECT_FALSE(::PtInRegion(region, 6, h / 2));
    EXPECT_FALSE(::PtInRegion(region, 0, 0));
    EXPECT_EQ(CRect(0, 0, CDropArrows::kWidth, h), arrows.GetClientRect());
    arrows.ShowAt(100, 100);
    EXPECT_TRUE(arrows.IsWindowVisible());
    EXPECT_EQ(CRect(93, 100 - h / 2, 93 + CDropArrows::kWidth, 100 - h / 2 + h), arrows.GetWindowRect());
    EXPECT_NE(arrows.m_hWnd, ::GetActiveWindow());
    arrows.Hide();
    EXPECT_FALSE(arrows.IsWindowVisible());
}

TEST(ListWindow, AnimatedScrollingAlwaysArrives)
{
    // Every distance from 1 to 12 rows of 1 to 24 pixels ends within a
    // bounded number of frames (rows of up to 7 pixels used to stall).
    for (int rows = 1; rows <= 12; ++rows) {
        for (int height = 1; height <= 24; ++height) {
            const int count = CSkinListImpl::AnimationStepCount(rows);
            int remaining = rows * height;
            const int step = CSkinListImpl::AnimationStep(remaining, count);
            EXPECT_GE(step, 1);
            int frames = 0;
            while (remaining >= 0 && frames < 1000) {
                const int next = CSkinListImpl::NextAnimationDistance(remaining, step, count);
                EXPECT_LT(next, remaining) << rows << " rows of " << height;
                remaining = next;
                ++frames;
            }
            EXPECT_LT(frames, 40) << rows << " rows of " << height;
        }
    }
    EXPECT_EQ(4, CSkinListImpl::AnimationStepCount(4));
    EXPECT_EQ(6, CSkinListImpl::AnimationStepCount(6));
    EXPECT_EQ(8, CSkinListImpl::AnimationStepCount(30));
    EXPECT_EQ((100 - 8) / 8, CSkinListImpl::AnimationStep(100, 8));

    // On a window: the animation runs on its timer and ends by itself.
    ListWindow w;
    ASSERT_TRUE(w.Create(300, 200));
    CTestSkinList& list = w.list;
    list.AddColumn("a", 200);
    for (int i = 0; i < 50; ++i)
        list.InsertItem(std::to_string(i), false);
    list.UpdateScrollBars();
    list.StartScrollAnimation(0, 6);
    EXPECT_TRUE(list.IsScrollAnimating());
    EXPECT_TRUE(PumpUntil([&] { return !list.IsScrollAnimating(); }, 5000));
    list.StartScrollAnimation(6, 0);
    list.StopScrollAnimation();
    EXPECT_FALSE(list.IsScrollAnimating());
}

TEST(ListWindow, ManyListsLeaveNoGdiObjects)
{
    {
        ListWindow warm;
        ASSERT_TRUE(warm.Create(200, 100));
    }
    const DWORD before = CountGdiObjects();
    for (int i = 0; i < 15; ++i) {
        ListWindow w;
        ASSERT_TRUE(w.Create(200, 150, i % 2 == 0));
        w.list.AddColumn("a", 80);
        w.list.InsertItem("x", true, -1, kListCellProgress);
        w.list.SetBackgroundImage(::CreateBitmap(8, 8, 1, 32, nullptr));
        w.list.m_options.tileBackground = i % 3 == 0;
        CDib32 image;
        RenderClient(w.list, image);
        CSize size;
        ::DeleteObject(w.list.CreateHeaderDragImage(0, size));
    }
    const DWORD after = CountGdiObjects();
    if (before != 0) {
        EXPECT_LE(after, before + 3);
    }
}

TEST(ListWindow, AWorkerRefillsWhileTheWindowPaints)
{
    ListWindow w;
    ASSERT_TRUE(w.Create(800, 600));
    CTestSkinList& list = w.list;
    list.m_options.recycling = true;
    for (int c = 0; c < 20; ++c)
        list.AddColumn("col" + std::to_string(c), 60, -1, false, c == 3 ? kListCellProgress : kListCellAmount);
    std::atomic<bool> done { false };
    std::atomic<int> refills { 0 };
    std::thread worker([&] {
        for (int pass = 0; pass < 4; ++pass) {
            list.DeleteAllItems();
            for (int row = 0; row < 5000; ++row) {
                list.InsertItem(row, std::to_string(row), false, -1, 0, 0);
                for (int key = 1; key < 20; ++key)
                    list.SetItemText(row, key, std::to_string((row * 31 + key * 7 + pass) % 1000) + "万");
            }
            list.UpdateScrollBars();
            ++refills;
        }
        done = true;
    });
    int paints = 0;
    const DWORD start = ::GetTickCount();
    while (!done && ::GetTickCount() - start < 60000) {
        CDib32 image;
        RenderClient(list, image);
        ::UpdateWindow(list);
        list.EnsureVisible(list.GetItemCount() / 2, -1);
        if (paints % 5 == 0)
            list.SortByColumn(1 + paints % 3, 0, false);
        PumpPendingMessages();
        ++paints;
    }
    worker.join();
    ASSERT_TRUE(done.load());
    EXPECT_EQ(4, refills.load());
    EXPECT_GT(paints, 0);
    PumpPendingMessages();
    EXPECT_EQ(5000, list.GetItemCount());
    EXPECT_EQ(5000, list.GetStoredRowCount());
    // The scroll-bar update posted by the worker has arrived.
    EXPECT_EQ(list.GetHeaderHeight() + 5000 * list.GetRowHeight(), VerticalInfo(list).nMax);
}
