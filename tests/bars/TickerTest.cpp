// The news ticker: parsing the service's text, extents, the pointer and the
// scrolling offsets as pure functions; then on a real window the repaint
// thread, pausing under the pointer, the strip rebuilt while paused, and
// which links a click opens.
#include "skin/SkinScrollInfo.h"
#include "tests/support/ControlTesting.h"
#include "tests/support/GdiCount.h"
#include <gtest/gtest.h>

namespace {

CSize SixPixelsABtye(const std::string& text)
{
    return CSize(static_cast<int>(text.size()) * 6, 12);
}

std::vector<TickerExtent> Extents(std::initializer_list<std::pair<int, int>> spans)
{
    std::vector<TickerExtent> extents;
    for (const auto& s : spans) {
        TickerExtent e;
        e.start = s.first;
        e.end = s.second;
        extents.push_back(e);
    }
    return extents;
}

// A ticker in a popup, with an opener that records instead of opening.
struct TickerFixture
{
    CColourParent parent;
    CSkinScrollInfo ticker;
    std::vector<std::string> opened;

    bool Create(int width, DWORD interval = 1000)
    {
        if (!parent.Create(nullptr, CRect(0, 0, width, 30)))
            return false;
        ticker.SetInterval(interval);
        ticker.SetUrlOpener([this](const std::string& url) {
            opened.push_back(url);
            return true;
        });
        return ticker.Create(parent, CRect(0, 0, width, 20)) != nullptr;
    }
    void Paint()
    {
        CDib32 image;
        RenderClient(ticker, image);
    }
    // A client column where the line's text column p lies.
    int ColumnOf(int p) { return p - ticker.GetOffset() + ticker.GetClientRect().Width(); }
};

}

TEST(TickerText, LinesGiveTitlesAndLinks)
{
    std::vector<std::string> titles = { "old" };
    std::vector<TickerExtent> extents(1);
    EXPECT_FALSE(ParseNewsText("", titles, extents));
    EXPECT_EQ(titles.size(), 1u) << "an empty text changes nothing";

    ASSERT_TRUE(ParseNewsText("a\thttp://x/1\r\nb\r\n\tno title\r\nc\td\te\r\n", titles, extents));
    const std::vector<std::string> wantTitles = { "a", "b", "c" };
    EXPECT_EQ(titles, wantTitles);
    ASSERT_EQ(extents.size(), 3u);
    EXPECT_EQ(extents[0].link, "http://x/1");
    EXPECT_EQ(extents[1].link, "") << "no second field";
    EXPECT_EQ(extents[2].link, "d") << "the second field only";
}

TEST(TickerText, ExtentsPointerAndOffsets)
{
    std::vector<TickerExtent> extents(2);
    const CSize strip = LayoutTickerExtents({ "ab", "c" }, extents, &SixPixelsABtye);
    EXPECT_EQ(strip, CSize(54, 12)) << "\" ab  \" and \" c  \"";
    EXPECT_EQ(extents[0].start, 0);
    EXPECT_EQ(extents[0].end, 30);
    EXPECT_EQ(extents[1].start, 30);
    EXPECT_EQ(extents[1].end, 54);
    EXPECT_EQ(LayoutTickerExtents({}, extents, &SixPixelsABtye), CSize(0, 0));

    // p = x + offset - W - icon width; a shared boundary belongs to the earlier item.
    const auto items = Extents({ { 0, 30 }, { 30, 54 } });
    const struct
    {
        int x, offset, width, icon, want;
    } cases[] = {
        { 0, 100, 100, 0, 0 }, { 30, 100, 100, 0, 0 }, { 31, 100, 100, 0, 1 }, { 54, 100, 100, 0, 1 },
        { 55, 100, 100, 0, -1 }, { 99, 0, 100, 0, -1 }, // the line has not come in yet
        { 16, 100, 100, 16, 0 }, // behind an icon
        { 15, 100, 100, 16, -1 }, { -5, 110, 100, 0, 0 }, // a signed x left of the window
    };
    for (const auto& c : cases)
        EXPECT_EQ(TickerItemAt(items, c.x, c.offset, c.width, c.icon), c.want) << c.x << "/" << c.offset;
    EXPECT_EQ(TickerItemAt({}, 0, 100, 100, 0), -1);

    const struct
    {
        int offset, strip, width;
        int destX, sourceX, columns;
    } blits[] = {
        { 0, 300, 100, 100, 0, 0 },
        { 10, 300, 100, 90, 0, 10 },
        { 10, 5, 100, 90, 0, 5 }, // a short strip is copied whole
        { 100, 300, 100, 0, 0, 100 },
        { 350, 300, 100, 0, 250, 50 },
    };
    for (const auto& b : blits) {
        const TickerBlit plan = PlanTickerBlit(b.offset, b.strip, b.width);
        EXPECT_EQ(plan.destX, b.destX) << b.offset;
        EXPECT_EQ(plan.sourceX, b.sourceX) << b.offset;
        EXPECT_EQ(plan.width, b.columns) << b.offset;
    }
    EXPECT_EQ(NextTickerOffset(0, 300, 100), 1);
    EXPECT_EQ(NextTickerOffset(398, 300, 100), 399);
    EXPECT_EQ(NextTickerOffset(399, 300, 100), 0) << "the strip has left: in again from the right";
}

TEST(TickerWindow, TheRepaintThreadStopsWithinOneInterval)
{
    TickerFixture f;
    ASSERT_TRUE(f.Create(200, 500));
    EXPECT_TRUE(f.ticker.IsRepaintThreadRunning());
    const DWORD start = ::GetTickCount();
    f.ticker.DestroyWindow();
    EXPECT_LT(::GetTickCount() - start, 500u);
    EXPECT_FALSE(f.ticker.IsRepaintThreadRunning());
    f.parent.DestroyWindow();
}

TEST(TickerWindow, TheThreadRepaintsAScrollingLine)
{
    TickerFixture f;
    ASSERT_TRUE(f.Create(120, 20));
    f.ticker.SetNewsItems(
        "第一条新闻标题比较长\thttp://127.0.0.1/1\r\n第二条新闻\thttp://127.0.0.1/2", nullptr);
    ShowWithoutActivating(f.parent);
    EXPECT_TRUE(PumpUntil([&] { return f.ticker.GetOffset() >= 5; }, 5000));
    EXPECT_GT(f.ticker.GetStripSize().cx, 120);
    f.parent.DestroyWindow();
}

TEST(TickerWindow, ThePointerPausesTheLineAndLeavingResumesIt)
{
    TickerFixture f;
    ASSERT_TRUE(f.Create(150));
    f.ticker.SetNewsItems(
        "一条很长很长很长的新闻标题\thttp://127.0.0.1/a\r\n另一条很长的新闻\tfile:///C:/windows/win.ini\r\n"
        "没有链接的新闻\r\n最后一条\thttps://127.0.0.1/d",
        nullptr);
    for (int i = 0; i < 40; ++i)
        f.Paint();
    EXPECT_EQ(f.ticker.GetOffset(), 40);
    const auto extents = f.ticker.GetExtents();
    ASSERT_EQ(extents.size(), 4u);
    EXPECT_EQ(extents[0].start, 0);
    EXPECT_GT(extents[0].end, 0);

    // Over item 0: paused, and painting no longer moves the line.
    const int x = f.ColumnOf(5);
    f.ticker.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(x, 8));
    EXPECT_FALSE(f.ticker.IsScrolling());
    EXPECT_EQ(f.ticker.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(f.ticker.m_hWnd),
                  MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
        TRUE);
    f.Paint();
    EXPECT_EQ(f.ticker.GetOffset(), 40);
    f.ticker.SendMessage(WM_MOUSELEAVE);
    EXPECT_TRUE(f.ticker.IsScrolling());
    f.Paint();
    EXPECT_EQ(f.ticker.GetOffset(), 41) << "resumed from the same offset";
    f.parent.DestroyWindow();
}

TEST(TickerWindow, OnlyWebLinksAreOpenedAndOneAtATime)
{
    TickerFixture f;
    ASSERT_TRUE(f.Create(100));
    f.ticker.SetNewsItems("新闻甲\thttp://127.0.0.1/a\r\n新闻乙\tfile:///C:/windows/win.ini\r\n新闻丙\r\n"
                          "新闻丁\tHTTPS://127.0.0.1/d\r\n新闻戊\tcalc.exe",
        nullptr);
    f.Paint();
    const auto extents = f.ticker.GetExtents();
    ASSERT_EQ(extents.size(), 5u);
    // Far enough that the whole line is in the strip's coordinates to the right of W.
    const auto clickAt
        = [&](int p) { f.ticker.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(f.ColumnOf(p), 8)); };
    clickAt(extents[0].start + 1);
    clickAt(extents[0].end); // the boundary: the earlier item
    clickAt(extents[1].start + 1); // "file:"
    clickAt(extents[2].start + 1); // no link
    clickAt(extents[3].start + 1);
    clickAt(extents[4].start + 1); // a program name
    clickAt(extents[4].end + 5); // past the line
    const std::vector<std::string> want
        = { "http://127.0.0.1/a", "http://127.0.0.1/a", "HTTPS://127.0.0.1/d" };
    EXPECT_EQ(f.opened, want);

    f.parent.DestroyWindow();
}

TEST(TickerWindow, ItemsReplacedWhilePausedAreLaidOutBeforeTheNextClick)
{
    TickerFixture f;
    ASSERT_TRUE(f.Create(100));
    f.ticker.SetNewsItems("旧的新闻一\thttp://127.0.0.1/old1\r\n旧的新闻二\thttp://127.0.0.1/old2", nullptr);
    for (int i = 0; i < 30; ++i)
        f.Paint();
    f.ticker.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(f.ColumnOf(3), 8));
    ASSERT_FALSE(f.ticker.IsScrolling());

    // Replaced while paused: new, wider items, the offset back at 0.
    f.ticker.SetNewsItems(
        "新的一条比原来长很多的新闻\thttp://127.0.0.1/new1\r\n新的第二条\thttp://127.0.0.1/new2", nullptr);
    EXPECT_EQ(f.ticker.GetOffset(), 0);
    f.Paint();
    const auto extents = f.ticker.GetExtents();
    ASSERT_EQ(extents.size(), 2u);
    EXPECT_GT(extents[0].end, 0) << "the strip was rebuilt although the line is paused";
    EXPECT_EQ(extents[1].start, extents[0].end);
    f.ticker.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(f.ColumnOf(extents[1].start + 2), 8));
    const std::vector<std::string> want = { "http://127.0.0.1/new2" };
    EXPECT_EQ(f.opened, want);
    f.parent.DestroyWindow();
}

TEST(TickerWindow, AStillLineNeitherMovesNorReacts)
{
    TickerFixture f;
    ASSERT_TRUE(f.Create(600));
    f.ticker.SetTextColour(RGB(0, 0, 255));
    f.ticker.SetNewsItems("短\thttp://127.0.0.1/s", nullptr);
    CDib32 image;
    ASSERT_TRUE(RenderClient(f.ticker, image));
    ASSERT_TRUE(RenderClient(f.ticker, image));
    EXPECT_LE(f.ticker.GetStripSize().cx, 600);
    EXPECT_EQ(f.ticker.GetOffset(), 0);
    bool blue = false;
    for (int y = 0; y < image.Height() && !blue; ++y)
        for (int x = 0; x < 40 && !blue; ++x)
            blue = image.GetColor(x, y) == RGB(0, 0, 255);
    EXPECT_TRUE(blue) << "the text is drawn still at the left";
    f.ticker.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 8));
    EXPECT_TRUE(f.opened.empty());

    // No items at all: only the background.
    CSkinScrollInfo empty;
    ASSERT_TRUE(empty.Create(f.parent, CRect(0, 20, 100, 30)));
    ASSERT_TRUE(RenderClient(empty, image));
    EXPECT_EQ(empty.GetStripSize(), CSize(0, 0));
    EXPECT_EQ(image.GetColor(50, 5), f.parent.colour);
    f.parent.DestroyWindow();
}

TEST(TickerWindow, AnIconLeadsTheLineAndShiftsThePointer)
{
    TickerFixture f;
    ASSERT_TRUE(f.Create(60));
    f.ticker.SetNewsItems("带图标的新闻标题\thttp://127.0.0.1/i", SolidFrames(16, 16, { 0xFFFF0000 }, false));
    f.Paint();
    const CSize strip = f.ticker.GetStripSize();
    const auto extents = f.ticker.GetExtents();
    ASSERT_EQ(extents.size(), 1u);
    EXPECT_EQ(strip.cx, extents[0].end + 16);
    EXPECT_GE(strip.cy, 16);
    // Column 0 of the strip is the icon: not an item.
    const int offset = f.ticker.GetOffset();
    f.ticker.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60 - offset + 2, 8));
    EXPECT_TRUE(f.opened.empty());
    f.ticker.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60 - offset + 18, 8));
    EXPECT_EQ(f.opened.size(), 1u);
    f.parent.DestroyWindow();
}
