// The status bar: pane offsets and hits with a fake measurer, the click
// message and its payload, the hand cursor, panes replaced by another thread
// while the UI paints, the font's lifetime and a screenshot.
#include "skin/FrameMessages.h"
#include "skin/SkinStatusBarCtrl.h"
#include "tests/support/ControlTesting.h"
#include "tests/support/GdiCount.h"
#include <gtest/gtest.h>
#include <atomic>
#include <thread>

namespace {

StatusPane Pane(int32_t value, std::initializer_list<const char*> texts, HFONT font = nullptr)
{
    StatusPane pane;
    pane.value = value;
    for (const char* text : texts) {
        StatusSegment segment;
        segment.text = text;
        segment.font = font;
        pane.segments.push_back(segment);
    }
    return pane;
}

// Every byte is 6 pixels wide; records what was drawn where.
struct FakeMeasurer
{
    std::vector<std::pair<std::string, int>> drawn;
    StatusPieceFn Fn()
    {
        return [this](const std::string& text, HFONT, COLORREF, int offset) {
            drawn.push_back({ text, offset });
            return static_cast<int>(text.size()) * 6;
        };
    }
};

}

TEST(StatusPanes, OffsetsRunPieceAfterPieceWithSeparatorsBetween)
{
    std::vector<StatusPane> panes = { Pane(5020, { "ab", "cde" }), Pane(5021, { "x" }), Pane(5022, {}) };
    FakeMeasurer fake;
    EXPECT_EQ(LayoutStatusPanes(panes, "|", fake.Fn()), 30 + 6 + 6 + 6);
    EXPECT_EQ(panes[0].start, 0);
    EXPECT_EQ(panes[0].end, 30);
    EXPECT_EQ(panes[1].start, 36);
    EXPECT_EQ(panes[1].end, 42);
    EXPECT_EQ(panes[2].start, 48) << "an empty pane has no width";
    EXPECT_EQ(panes[2].end, 48);
    const std::vector<std::pair<std::string, int>> want
        = { { "ab", 0 }, { "cde", 12 }, { "|", 30 }, { "x", 36 }, { "|", 42 } };
    EXPECT_EQ(fake.drawn, want) << "no separator after the last pane";

    const struct
    {
        int x;
        int pane;
    } hits[] = { { -1, -1 }, { 0, 0 }, { 30, 0 }, { 31, -1 }, { 35, -1 }, { 36, 1 }, { 42, 1 }, { 43, -1 },
        { 48, 2 }, { 49, -1 } };
    for (const auto& h : hits)
        EXPECT_EQ(FindStatusPane(panes, h.x), h.pane) << h.x;
    EXPECT_EQ(FindStatusPane({}, 0), -1);
}

TEST(StatusBarWindow, AClickOnAPaneSendsItsValueAndNothingElseDoes)
{
    CColourParent parent;
    parent.extraMessage = kFrameStatusPaneClicked;
    ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 500, 60)));
    CSkinStatusBarCtrl bar;
    ASSERT_TRUE(bar.SetBackground("statusbarbkgnd.png"));
    ASSERT_TRUE(bar.Create(parent, CRect(0, 30, 500, 40)));
    EXPECT_GT(bar.GetBarHeight(), 0);
    EXPECT_EQ(bar.GetClientRect().Height(), bar.GetBarHeight()) << "the bar takes the background's height";
    EXPECT_EQ(bar.GetClientRect().Width(), 500);
    bar.SetStatusItems({ Pane(5020, { "上证", " 3000.00" }), Pane(5021, { "深证" }) });
    CDib32 image;
    ASSERT_TRUE(RenderClient(bar, image));
    const auto panes = bar.GetStatusItems();
    ASSERT_EQ(panes.size(), 2u);
    EXPECT_EQ(panes[0].start, 0);
    EXPECT_GT(panes[0].end, 40);
    EXPECT_GT(panes[1].start, panes[0].end) << "the separator lies between";

    const auto click = [&](int offset) {
        const int x = CSkinStatusBarCtrl::kTextLeft + offset;
        bar.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(x, 8));
        bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 8));
        bar.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(x, 8));
    };

    // Without a click message: nothing, and no hand.
    click(panes[0].start + 2);
    EXPECT_TRUE(parent.received.empty());
    EXPECT_FALSE(bar.IsHovering());

    bar.SetClickMessage(kFrameStatusPaneClicked);
    click(panes[0].end); // the end offset belongs to the pane
    ASSERT_EQ(parent.received.size(), 1u);
    EXPECT_EQ(parent.received[0].message, static_cast<UINT>(kFrameStatusPaneClicked));
    EXPECT_EQ(parent.received[0].wParam, 5020u);
    EXPECT_EQ(parent.received[0].lParam, 0);
    EXPECT_TRUE(bar.IsHovering());
    EXPECT_EQ(bar.SendMessage(
                  WM_SETCURSOR, reinterpret_cast<WPARAM>(bar.m_hWnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
        TRUE);

    click(panes[0].end + 1); // the separator
    EXPECT_EQ(parent.received.size(), 1u);
    EXPECT_FALSE(bar.IsHovering());

    click(panes[1].start);
    ASSERT_EQ(parent.received.size(), 2u);
    EXPECT_EQ(parent.received[1].wParam, 5021u);
    // The pointer is measured from the text area's left edge.
    click(panes[1].end + 40);
    EXPECT_EQ(parent.received.size(), 2u);
    parent.DestroyWindow();
}

TEST(StatusBarWindow, TheClickIsSentWithTheLockLeft)
{
    // The parent's handler waits for a thread that replaces the panes, as
    // the poll thread may at any time: with the lock held over the send, that
    // thread could not finish.
    CColourParent parent;
    parent.extraMessage = kFrameStatusPaneClicked;
    ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 300, 40)));
    CSkinStatusBarCtrl bar;
    bar.SetBackground("statusbarbkgnd.png");
    ASSERT_TRUE(bar.Create(parent, CRect(0, 0, 300, 22)));
    bar.SetClickMessage(kFrameStatusPaneClicked);
    bar.SetStatusItems({ Pane(7, { "abc" }) });
    CDib32 image;
    ASSERT_TRUE(RenderClient(bar, image));
    std::thread worker;
    bool replacedDuringSend = false;
    CKernelHandle done(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    parent.onReceive = [&](UINT, WPARAM, LPARAM) {
        worker = std::thread([&] {
            bar.SetStatusItems({ Pane(8, { "xyz" }) });
            ::SetEvent(done);
        });
        replacedDuringSend = ::WaitForSingleObject(done, 2000) == WAIT_OBJECT_0;
    };
    bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(CSkinStatusBarCtrl::kTextLeft + 1, 8));
    ASSERT_EQ(parent.received.size(), 1u);
    EXPECT_EQ(parent.received[0].wParam, 7u);
    if (worker.joinable())
        worker.join();
    EXPECT_TRUE(replacedDuringSend);
    EXPECT_EQ(bar.GetStatusItems()[0].value, 8);
    parent.DestroyWindow();
}

TEST(StatusBarWindow, AThreadReplacesPanesWhileTheUiPaints)
{
    CColourParent parent;
    ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 600, 40)));
    CSkinStatusBarCtrl bar;
    bar.SetBackground("statusbarbkgnd.png");
    ASSERT_TRUE(bar.Create(parent, CRect(0, 0, 600, 22)));
    bar.SetClickMessage(kFrameStatusPaneClicked);
    ShowWithoutActivating(parent);
    std::atomic<bool> stop(false);
    std::atomic<int> rounds(0);
    std::thread poller([&] {
        for (int i = 0; !stop; ++i) {
            std::vector<StatusPane> panes;
            for (int k = 0; k < 1 + i % 7; ++k)
                panes.push_back(Pane(5020 + k, { "指数", " 1234.56", " +1.00%" }));
            bar.SetStatusItems(panes);
            rounds++;
            ::Sleep(0);
        }
    });
    CDib32 image;
    for (int i = 0; i < 60; ++i) {
        ASSERT_TRUE(RenderClient(bar, image));
        bar.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(10 + i, 8));
        PumpPendingMessages();
    }
    stop = true;
    poller.join();
    EXPECT_GT(rounds.load(), 0);
    const auto panes = bar.GetStatusItems();
    EXPECT_GE(panes.size(), 1u);
    parent.DestroyWindow();
}

TEST(StatusBarWindow, GdiObjectsDoNotGrowOverCreateAndDestroy)
{
    const auto cycle = [] {
        CColourParent parent;
        parent.Create(nullptr, CRect(0, 0, 300, 40));
        CSkinStatusBarCtrl bar;
        bar.SetBackground("statusbarbkgnd.png");
        bar.Create(parent, CRect(0, 0, 300, 22));
        bar.SetStatusItems({ Pane(1, { "a" }), Pane(2, { "b" }) });
        CDib32 image;
        RenderClient(bar, image);
        parent.DestroyWindow();
    };
    EXPECT_LE(GdiGrowthOver(cycle, 20), 2u);
}

TEST(StatusBarWindow, ScreenshotWithIndexPanes)
{
    CColourParent parent;
    ASSERT_TRUE(parent.Create(nullptr, CRect(40, 400, 840, 422)));
    CSkinStatusBarCtrl bar;
    ASSERT_TRUE(bar.SetBackground("statusbarbkgnd.png"));
    ASSERT_TRUE(bar.Create(parent, CRect(0, 0, 800, 22)));
    CFont bold;
    ASSERT_TRUE(bold.Create("宋体", -12, FW_BOLD));
    StatusPane sh = Pane(5020, { "上证" });
    for (const char* text : { " 3012.45", " -12.30", " -0.41%" })
        sh.segments.push_back({ text, RGB(0, 128, 0), bold });
    sh.segments.push_back({ " 2156亿", RGB(0, 0, 0), nullptr });
    StatusPane sz = Pane(5021, { "深证" });
    for (const char* text : { " 9876.54", " 45.60", " 0.46%" })
        sz.segments.push_back({ text, RGB(255, 0, 0), bold });
    StatusPane up = Pane(5024, { "上涨:" });
    up.segments.push_back({ " 1234", RGB(255, 0, 0), nullptr });
    bar.SetStatusItems({ sh, sz, up });
    bar.SetRightText("2026-12-10 15:00");
    ShowWithoutActivating(parent);
    parent.UpdateWindow();
    PumpPendingMessages();
    EXPECT_FALSE(SaveWindowScreenshot(parent, "status_bar").empty());
    parent.DestroyWindow();
}
