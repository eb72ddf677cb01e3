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
    // Once more now that both bars take their room (the list's size handler
    // does this in use).
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
