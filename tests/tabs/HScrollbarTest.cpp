// The skinned horizontal scroll bar: its parts and positions as plain
// arithmetic, and the bar on real windows (arrow repeat, channel clicks,
// thumb drags, painting from the skin bitmaps and without them).
#include "base/DataPaths.h"
#include "skin/HScrollGeometry.h"
#include "skin/SkinHScrollbar.h"
#include "tests/support/WindowTesting.h"
#include "win/Dib32.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <cstdlib>
#include <vector>

namespace {

typedef CHScrollGeometry G;

// A 200 by 17 bar with 15 px arrows and a 30 by 15 thumb: channel 16..185, room 139.
G Bar(int minPos, int maxPos, CSize thumb = CSize(30, 15), int width = 200)
{
    return G(CSize(width, 17), CSize(15, 17), CSize(15, 17), thumb, minPos, maxPos);
}

}

TEST(HScrollGeometry, PartsOfTheBar)
{
    const G bar = Bar(0, 100);
    EXPECT_EQ(bar.LeftArrow(), CRect(1, 0, 16, 17));
    EXPECT_EQ(bar.RightArrow(), CRect(185, 1, 200, 18));
    EXPECT_EQ(bar.Channel(), CRect(16, 0, 185, 17));
    EXPECT_EQ(bar.Room(), 139);
    const G noImages(CSize(200, 17), CSize(), CSize(), CSize(), 0, 10);
    EXPECT_EQ(noImages.Channel(), CRect(1, 0, 200, 17)) << "missing images count as 0 by 0";
}

TEST(HScrollGeometry, ThumbAndPositionTable)
{
    struct Case
    {
        int minPos;
        int maxPos;
        int pos;
        int thumbLeft;
    };
    const Case cases[] = {
        { 0, 100, 0, 16 }, { 0, 100, 50, 16 + 69 }, { 0, 100, 100, 155 },
        { 5, 5, 5, 16 }, // min = max: at the channel's left end
        { 10, 20, 15, 16 + 69 }, { 0, 2000000000, 2000000000, 155 }, // a wide range does not overflow
    };
    for (const Case& c : cases) {
        const CRect thumb = Bar(c.minPos, c.maxPos).Thumb(c.pos);
        EXPECT_EQ(thumb, CRect(c.thumbLeft, 1, c.thumbLeft + 30, 16))
            << c.minPos << ".." << c.maxPos << " at " << c.pos;
    }

    struct PositionCase
    {
        int minPos;
        int maxPos;
        int x;
        int pos;
    };
    const PositionCase positions[] = {
        { 0, 100, 16, 0 },
        { 0, 100, 155, 100 },
        { 0, 100, 85, 49 }, // percent first, truncated: 69 * 100 / 139 = 49
        { 10, 20, 85, 14 },
        { 0, 100, 500, 100 }, // clamped at both ends
        { 0, 100, 0, 0 },
        { 7, 7, 100, 7 },
        { 0, 2000000000, 155, 2000000000 },
    };
    for (const PositionCase& c : positions)
        EXPECT_EQ(Bar(c.minPos, c.maxPos).PositionFromX(c.x), c.pos)
            << c.minPos << ".." << c.maxPos << " x " << c.x;
}

TEST(HScrollGeometry, WithoutRoomForTheThumbTheChannelIsNoPart)
{
    for (int thumbWidth : { 169, 170, 400 }) {
        const G bar = Bar(0, 100, CSize(thumbWidth, 15));
        EXPECT_TRUE(bar.Thumb(50).IsEmpty()) << thumbWidth;
        EXPECT_EQ(bar.HitTest(CPoint(20, 5), 50), G::kNone) << thumbWidth;
        EXPECT_EQ(bar.HitTest(CPoint(180, 5), 50), G::kNone) << thumbWidth;
        EXPECT_EQ(bar.PositionFromX(100), 0) << thumbWidth;
        EXPECT_EQ(bar.HitTest(CPoint(5, 5), 50), G::kLeftArrow) << "the arrows still work";
    }
    // A bar narrower than its arrows.
    const G tiny = Bar(0, 100, CSize(30, 15), 20);
    EXPECT_TRUE(tiny.Thumb(0).IsEmpty());
    EXPECT_EQ(tiny.PositionFromX(10), 0);
}

TEST(HScrollGeometry, PressRules)
{
    const G bar = Bar(0, 100);
    struct Case
    {
        int x;
        int y;
        G::Part part;
    };
    const Case cases[] = {
        { 1, 5, G::kLeftArrow },
        { 15, 16, G::kLeftArrow },
        { 0, 5, G::kNone }, // the arrow starts at x 1
        { 199, 5, G::kRightArrow },
        { 190, 0, G::kNone }, // the right arrow starts at y 1
        { 90, 5, G::kThumb }, // thumb at 85..115 for position 50
        { 50, 5, G::kPageLeft },
        { 115, 5, G::kPageRight },
        { 90, 16, G::kNone }, // under the thumb's span, below its rectangle
        { 90, 17, G::kNone },
    };
    for (const Case& c : cases)
        EXPECT_EQ(bar.HitTest(CPoint(c.x, c.y), 50), c.part) << c.x << "," << c.y;

    EXPECT_EQ(bar.PageX(G::kPageLeft, 20), 16);
    EXPECT_EQ(bar.PageX(G::kPageLeft, 100), 85);
    EXPECT_EQ(bar.PageX(G::kPageRight, 184), 169);
    EXPECT_EQ(bar.PageX(G::kPageRight, 250), 185);
    EXPECT_EQ(bar.ClampThumbLeft(-5), 16);
    EXPECT_EQ(bar.ClampThumbLeft(500), 155);
    EXPECT_EQ(bar.ClampThumbLeft(40), 40);
}

namespace {

typedef CWinTraits<WS_POPUP | WS_CLIPCHILDREN> CPopupTraits;

struct ScrollNotice
{
    int code;
    int pos;
    bool operator==(const ScrollNotice& o) const { return code == o.code && pos == o.pos; }
};

class CScrollParent : public CWindowImpl<CScrollParent, CWindow, CPopupTraits>
{
public:
    DECLARE_WND_CLASS_EX("ZentuTestScrollParent", 0, COLOR_WINDOW + 1)
    std::vector<ScrollNotice> notices;

    BEGIN_MSG_MAP(CScrollParent)
        MESSAGE_HANDLER(WM_HSCROLL, OnScroll)
    END_MSG_MAP()

    LRESULT OnScroll(UINT, WPARAM wp, LPARAM, BOOL&)
    {
        const int code = LOWORD(wp);
        notices.push_back({ code, code == SB_THUMBTRACK || code == SB_THUMBPOSITION ? HIWORD(wp) : 0 });
        return 0;
    }
    size_t Count(int code) const
    {
        size_t n = 0;
        for (const ScrollNotice& notice : notices)
            n += notice.code == code ? 1 : 0;
        return n;
    }
};

// A solid bitmap of one colour (white is the thumb's transparent colour).
HBITMAP Solid(int width, int height, COLORREF colour)
{
    CDib32 dib;
    if (!dib.Create(width, height))
        return nullptr;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            dib.SetPixel(
                x, y, 0xFF000000u | (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour));
    return dib.DetachBitmap();
}

HBITMAP LoadSkinBitmap(const char* name)
{
    return static_cast<HBITMAP>(::LoadImageA(nullptr, DataPaths::Instance()->GetSkinFile(name).c_str(),
        IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
}

LPARAM At(int x, int y)
{
    return MAKELPARAM(x, y);
}

class HScrollbar : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 240, 60)));
        ShowWithoutActivating(parent);
        ASSERT_TRUE(bar.Create(parent, CRect(10, 10, 210, 27), nullptr, WS_CHILD | WS_VISIBLE | SBS_HORZ));
        bar.SetBitmaps(nullptr, Solid(30, 15, RGB(0, 0xC0, 0)), Solid(15, 17, RGB(0xC0, 0, 0)),
            Solid(15, 17, RGB(0, 0, 0xC0)));
        SetRange(0, 100, 50);
    }
    void TearDown() override
    {
        if (parent.IsWindow())
            parent.DestroyWindow();
    }
    // The pointer is moved to the point as well: while the bar holds the
    // capture, the system may report where the real pointer is.
    void Mouse(UINT msg, int x, int y)
    {
        POINT screen = { x, y };
        bar.ClientToScreen(&screen);
        ::SetCursorPos(screen.x, screen.y);
        bar.SendMessage(msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, At(x, y));
    }
    void SetRange(int minPos, int maxPos, int pos)
    {
        SCROLLINFO info = {};
        info.fMask = SIF_RANGE | SIF_POS;
        info.nMin = minPos;
        info.nMax = maxPos;
        info.nPos = pos;
        bar.SetScrollInfo(&info, true);
    }

    CScrollParent parent;
    CSkinHScrollbar bar;
};

}

TEST_F(HScrollbar, HoldingAnArrowSendsAtOnceThenRepeatsWhileThePointerStaysOnIt)
{
    Mouse(WM_LBUTTONDOWN, 5, 5);
    ASSERT_EQ(parent.notices.size(), 1u);
    EXPECT_EQ(parent.notices[0].code, SB_LINELEFT);
    EXPECT_TRUE(bar.IsRepeating());
    ASSERT_TRUE(PumpUntil([&] { return parent.Count(SB_LINELEFT) >= 3; }, 2000)) << "repeats every 25 ms";

    Mouse(WM_MOUSEMOVE, 100, 5); // off the arrow
    PumpPendingMessages();
    const size_t paused = parent.Count(SB_LINELEFT);
    ::Sleep(120);
    PumpPendingMessages();
    EXPECT_EQ(parent.Count(SB_LINELEFT), paused) << "paused off the arrow";
    EXPECT_TRUE(bar.IsRepeating()) << "the timer runs until release";

    Mouse(WM_MOUSEMOVE, 6, 6);
    EXPECT_TRUE(PumpUntil([&] { return parent.Count(SB_LINELEFT) > paused; }, 2000)) << "resumes";

    Mouse(WM_LBUTTONUP, 6, 6);
    EXPECT_FALSE(bar.IsRepeating());
    EXPECT_EQ(parent.notices.back().code, SB_ENDSCROLL);
    EXPECT_EQ(parent.Count(SB_THUMBPOSITION), 0u);
    EXPECT_EQ(bar.GetPressedPart(), -1);

    parent.notices.clear();
    Mouse(WM_LBUTTONDOWN, 195, 5);
    Mouse(WM_LBUTTONUP, 195, 5);
    EXPECT_EQ(parent.notices, std::vector<ScrollNotice>({ { SB_LINERIGHT, 0 }, { SB_ENDSCROLL, 0 } }));
}

TEST_F(HScrollbar, AChannelClickTracksOnceAndEndsOnRelease)
{
    Mouse(WM_LBUTTONDOWN, 50, 5);
    EXPECT_FALSE(bar.IsRepeating()) << "a channel click does not repeat";
    ::Sleep(60);
    PumpPendingMessages();
    Mouse(WM_LBUTTONUP, 50, 5);
    const int pos = Bar(0, 100).PositionFromX(50 - 15);
    EXPECT_EQ(parent.notices, std::vector<ScrollNotice>({ { SB_THUMBTRACK, pos }, { SB_ENDSCROLL, 0 } }));

    parent.notices.clear();
    Mouse(WM_LBUTTONDOWN, 150, 5);
    Mouse(WM_LBUTTONUP, 150, 5);
    EXPECT_EQ(parent.notices,
        std::vector<ScrollNotice>(
            { { SB_THUMBTRACK, Bar(0, 100).PositionFromX(135) }, { SB_ENDSCROLL, 0 } }));
}

TEST_F(HScrollbar, DraggingTheThumbTracksAndStopsAtTheEnds)
{
    // Thumb at 85..115 for position 50.
    Mouse(WM_LBUTTONDOWN, 90, 5);
    EXPECT_EQ(bar.GetPressedPart(), 3);
    EXPECT_TRUE(parent.notices.empty()) << "a press on the thumb sends nothing yet";
    Mouse(WM_MOUSEMOVE, 120, 5);
    ASSERT_EQ(parent.notices.size(), 1u);
    EXPECT_EQ(parent.notices[0], ScrollNotice({ SB_THUMBTRACK, Bar(0, 100).PositionFromX(115) }));
    EXPECT_EQ(bar.GetDragPosition(), 115);

    Mouse(WM_MOUSEMOVE, 184, 5); // past the end: the thumb stops at 155
    EXPECT_EQ(bar.GetDragPosition(), 155);
    EXPECT_EQ(parent.notices.back(), ScrollNotice({ SB_THUMBTRACK, 100 }));
    const size_t atEnd = parent.notices.size();
    Mouse(WM_MOUSEMOVE, 185, 5);
    Mouse(WM_MOUSEMOVE, 230, 5); // outside the channel: ignored
    EXPECT_EQ(parent.notices.size(), atEnd) << "no further tracking at the end";

    Mouse(WM_LBUTTONUP, 230, 5);
    ASSERT_EQ(parent.notices.size(), atEnd + 2);
    EXPECT_EQ(parent.notices[atEnd], ScrollNotice({ SB_THUMBPOSITION, 100 }));
    EXPECT_EQ(parent.notices[atEnd + 1].code, SB_ENDSCROLL);

    parent.notices.clear();
    Mouse(WM_LBUTTONDOWN, 90, 5);
    Mouse(WM_MOUSEMOVE, 16, 5);
    Mouse(WM_MOUSEMOVE, 17, 5);
    Mouse(WM_LBUTTONUP, 17, 5);
    EXPECT_EQ(parent.notices,
        std::vector<ScrollNotice>({ { SB_THUMBTRACK, 0 }, { SB_THUMBPOSITION, 0 }, { SB_ENDSCROLL, 0 } }));
}

TEST_F(HScrollbar, AThumbWiderThanTheChannelIsNotDrawnAndCannotBeDragged)
{
    bar.SetBitmaps(nullptr, Solid(200, 15, RGB(0, 0xC0, 0)), Solid(15, 17, RGB(0xC0, 0, 0)),
        Solid(15, 17, RGB(0, 0, 0xC0)));
    for (int x : { 20, 100, 180 }) {
        Mouse(WM_LBUTTONDOWN, x, 5);
        Mouse(WM_MOUSEMOVE, x + 5, 5);
        Mouse(WM_LBUTTONUP, x + 5, 5);
    }
    EXPECT_TRUE(parent.notices.empty());
    CDib32 image;
    ASSERT_TRUE(RenderClient(bar, image));
    EXPECT_NE(image.GetColor(100, 8), RGB(0, 0xC0, 0));
}

TEST_F(HScrollbar, PaintsTheSkinBitmapsOrTheGradientWithoutThem)
{
    CDib32 plain;
    ASSERT_TRUE(RenderClient(bar, plain));
    EXPECT_EQ(plain.GetColor(0, 0), RGB(0x5A, 0x64, 0x82)) << "gradient from the top";
    EXPECT_EQ(plain.GetColor(50, 17 / 2), RGB(0, 0, 0)) << "black through the middle";
    EXPECT_EQ(plain.GetColor(5, 5), RGB(0xC0, 0, 0)) << "left arrow";
    EXPECT_EQ(plain.GetColor(195, 5), RGB(0, 0, 0xC0)) << "right arrow";
    EXPECT_EQ(plain.GetColor(100, 8), RGB(0, 0xC0, 0)) << "thumb at position 50";

    SetRange(0, 100, 0);
    ASSERT_TRUE(RenderClient(bar, plain));
    EXPECT_EQ(plain.GetColor(20, 8), RGB(0, 0xC0, 0)) << "a set position redraws the thumb";
    EXPECT_NE(plain.GetColor(100, 8), RGB(0, 0xC0, 0));
    SCROLLINFO info = {};
    info.fMask = SIF_ALL;
    ASSERT_TRUE(bar.GetScrollInfo(&info));
    EXPECT_EQ(info.nMax, 100) << "the system control keeps the numbers";

    bar.SetBitmaps(LoadSkinBitmap("scroll_back.bmp"), LoadSkinBitmap("scroll_thumb.bmp"),
        LoadSkinBitmap("scroll_left.bmp"), LoadSkinBitmap("scroll_right.bmp"));
    SetRange(0, 100, 30);
    PumpPendingMessages();
    SaveWindowScreenshot(parent, "hscrollbar");
    CDib32 skinned;
    ASSERT_TRUE(RenderClient(bar, skinned));
    const CRect thumb = bar.Geometry().Thumb(30);
    ASSERT_FALSE(thumb.IsEmpty());
    EXPECT_NE(skinned.GetColor(thumb.CenterPoint().x, thumb.CenterPoint().y), RGB(0xFF, 0xFF, 0xFF))
        << "the thumb's white is transparent, its body is not";
}
