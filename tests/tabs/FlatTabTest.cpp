// The flat tab control: its geometry as plain arithmetic, and the control on
// real windows (tabs kept in append order, clicks and the parent's veto, the
// scroll buttons, the keyboard focus, fonts freed on resize, a screenshot).
#include "skin/FlatTabGeometry.h"
#include "skin/SkinFlatTabCtrl.h"
#include "tests/support/GdiCount.h"
#include "tests/support/WindowTesting.h"
#include "win/Dib32.h"
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

typedef CWinTraits<WS_POPUP | WS_CLIPCHILDREN> CPopupTraits;

// A popup that records the notices of its children and may veto a change.
class CTabParent : public CWindowImpl<CTabParent, CWindow, CPopupTraits>
{
public:
    DECLARE_WND_CLASS_EX("ZentuTestTabParent", 0, COLOR_WINDOW + 1)
    std::vector<int> notices;
    bool veto = false;

    BEGIN_MSG_MAP(CTabParent)
        MESSAGE_HANDLER(WM_NOTIFY, OnNotify)
    END_MSG_MAP()

    LRESULT OnNotify(UINT, WPARAM, LPARAM lp, BOOL&)
    {
        const int code = static_cast<int>(reinterpret_cast<NMHDR*>(lp)->code);
        notices.push_back(code);
        return code == static_cast<int>(TCN_SELCHANGING) && veto ? 1 : 0;
    }
};

const int kChanging = static_cast<int>(TCN_SELCHANGING);
const int kChange = static_cast<int>(TCN_SELCHANGE);

const DWORD kViewStyle = WS_CHILD | WS_VISIBLE | 0x000E;

// Widths of three tabs 20 px high: 60, 70 and 80 (steps 48, 58, 68).
const std::vector<int> kWidths = { 60, 70, 80 };

LPARAM At(int x, int y)
{
    return MAKELPARAM(x, y);
}

}

TEST(FlatTabGeometry, AreaStartsAfterTheButtonsAndTabsOverlapByHalfTheirHeight)
{
    EXPECT_EQ(CFlatTabGeometry::AreaStart(false, false), 1);
    EXPECT_EQ(CFlatTabGeometry::AreaStart(false, true), 1) << "first/last only with the arrows";
    EXPECT_EQ(CFlatTabGeometry::AreaStart(true, false), 33);
    EXPECT_EQ(CFlatTabGeometry::AreaStart(true, true), 65);
    EXPECT_EQ(CFlatTabGeometry::TabWidth(30, 20), 60);
    EXPECT_EQ(CFlatTabGeometry::TabWidth(30, 21), 30 + 21 + 10) << "half a height truncates";

    const CFlatTabGeometry strip(kWidths, 20, 33, 0);
    EXPECT_EQ(strip.Total(), 60 + 70 + 80 - 2 * 10 + 2);
    EXPECT_EQ(strip.StripX(0), 0);
    EXPECT_EQ(strip.StripX(2), 48 + 58);
    const std::vector<int> none;
    EXPECT_EQ(CFlatTabGeometry(none, 20, 1, 0).Total(), 2);

    int left = 0;
    int right = 0;
    ASSERT_TRUE(strip.ItemRect(1, left, right));
    EXPECT_EQ(left, 33 + 48);
    EXPECT_EQ(right, 33 + 48 + 70);
    EXPECT_FALSE(strip.ItemRect(3, left, right));
    EXPECT_FALSE(strip.ItemRect(-1, left, right));
    ASSERT_TRUE(CFlatTabGeometry(kWidths, 20, 33, 50).ItemRect(1, left, right));
    EXPECT_EQ(left, 33 + 48 - 50);
}

TEST(FlatTabGeometry, HitTestEnds)
{
    struct Case
    {
        int offset;
        int x;
        int expected;
    };
    const Case cases[] = {
        { 0, 32, -1 }, // left of the tab area (under the buttons)
        { 0, 33, 0 }, { 0, 33 + 48, 0 }, // where two tabs meet: the left one
        { 0, 33 + 49, 1 }, { 0, 33 + 106 + 68, 2 }, // the last tab's right end
        { 0, 33 + 106 + 69, -1 }, // right of the last tab
        { 50, 33, 1 }, // tab 0 scrolled out of the area
        { 50, 20, -1 }, // left of the area, though tab 0 lies there
    };
    for (const Case& c : cases) {
        const CFlatTabGeometry strip(kWidths, 20, 33, c.offset);
        EXPECT_EQ(strip.HitTest(c.x), c.expected) << "offset " << c.offset << " x " << c.x;
    }
    const std::vector<int> none;
    EXPECT_EQ(CFlatTabGeometry(none, 20, 1, 0).HitTest(5), -1);
}

TEST(FlatTabGeometry, OffsetThatShowsATab)
{
    struct Case
    {
        int offset;
        int index;
        int clientWidth;
        int expected;
    };
    const Case cases[] = {
        { 0, 2, 150, 33 + 106 + 80 - 150 }, // right end meets the window's edge
        { 0, 0, 150, 0 }, // already in view
        { 100, 0, 150, 0 }, // left of the area: left end meets the area's start
        { 100, 1, 150, 48 }, { 0, 2, 20, 0 }, // a window narrower than the buttons
        { 0, 9, 150, 0 }, // no such tab: unchanged
    };
    for (const Case& c : cases) {
        const CFlatTabGeometry strip(kWidths, 20, 33, c.offset);
        EXPECT_EQ(strip.OffsetToShow(c.index, c.clientWidth), c.expected)
            << "offset " << c.offset << " tab " << c.index << " width " << c.clientWidth;
    }
}

TEST(FlatTabGeometry, ScrollButtonsOffsetsAndStates)
{
    struct Case
    {
        int offset;
        int left;
        int right;
    };
    const Case cases[] = {
        { 0, 0, 48 }, // tab 0 under the first pixel
        { 60, 0, 106 }, // tab 1 there
        { 110, 48, 106 }, // the last tab there: its start comes to the area's start
        { 500, 500, 500 }, // no tab there: nothing changes
    };
    for (const Case& c : cases) {
        const CFlatTabGeometry strip(kWidths, 20, 33, c.offset);
        EXPECT_EQ(strip.OffsetForLeft(), c.left) << "offset " << c.offset;
        EXPECT_EQ(strip.OffsetForRight(), c.right) << "offset " << c.offset;
    }

    const CFlatTabGeometry strip(kWidths, 20, 33, 0);
    EXPECT_EQ(strip.OffsetForLast(150), 192 + 33 - 150 + 1);
    EXPECT_EQ(strip.OffsetForLast(500), 0) << "a strip that fits is not scrolled";
    EXPECT_FALSE(strip.CanScrollLeft());
    EXPECT_TRUE(strip.CanScrollRight(150));
    EXPECT_FALSE(strip.CanScrollRight(226));
    const CFlatTabGeometry atEnd(kWidths, 20, 33, 76);
    EXPECT_TRUE(atEnd.CanScrollLeft());
    EXPECT_FALSE(atEnd.CanScrollRight(150));
}

class FlatTab : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 420, 120)));
        ShowWithoutActivating(parent);
    }
    void TearDown() override
    {
        if (parent.IsWindow())
            parent.DestroyWindow();
    }
    void Fill(CSkinFlatTabCtrl& tabs, const std::vector<const char*>& titles)
    {
        for (const char* title : titles)
            tabs.AddItem(0, title);
    }

    CTabParent parent;
};

TEST_F(FlatTab, TabsAreAppendedInOrderAndTheFirstBecomesCurrent)
{
    CSkinFlatTabCtrl tabs;
    ASSERT_TRUE(tabs.Create(parent, CRect(0, 80, 400, 100), "FlatTab", kViewStyle, 0, 77));
    EXPECT_EQ(tabs.GetCurSel(), -1);
    EXPECT_EQ(tabs.AddItem(0, "日线"), 0);
    EXPECT_EQ(tabs.AddItem(0, "周线"), 0);
    EXPECT_EQ(tabs.AddItem(0, "月线"), 0);
    EXPECT_EQ(tabs.AddItem(4, "年线"), -1) << "past the count";
    EXPECT_EQ(tabs.AddItem(-1, "年线"), -1);
    EXPECT_EQ(tabs.AddItem(3, "分钟"), 3) << "one past the last index appends";
    ASSERT_EQ(tabs.GetItemCount(), 4);
    EXPECT_STREQ(tabs.GetItem(0), "日线");
    EXPECT_STREQ(tabs.GetItem(1), "周线");
    EXPECT_STREQ(tabs.GetItem(2), "月线");
    EXPECT_STREQ(tabs.GetItem(3), "分钟");
    EXPECT_EQ(tabs.GetItem(4), nullptr);
    EXPECT_EQ(tabs.GetCurSel(), 0);

    EXPECT_EQ(tabs.GetItemData(1), "周线") << "the title is the first data";
    tabs.SetItemData(1, "W");
    tabs.SetItemData(2, nullptr);
    tabs.SetItemData(9, "x");
    EXPECT_EQ(tabs.GetItemData(1), "W");
    EXPECT_EQ(tabs.GetItemData(2), "");
    EXPECT_EQ(tabs.GetItemData(9), "");

    RECT r = {};
    EXPECT_EQ(tabs.GetItemRect(4, &r), 0);
    ASSERT_EQ(tabs.GetItemRect(1, &r), 1);
    RECT first = {};
    ASSERT_EQ(tabs.GetItemRect(0, &first), 1);
    EXPECT_EQ(first.left, 65);
    EXPECT_EQ(r.left, first.right - 10 - 2) << "tabs overlap by half the height and 2";
    EXPECT_EQ(r.bottom, 20);

    EXPECT_EQ(tabs.SetCurSel(2), 0);
    EXPECT_EQ(tabs.DeleteItem(4), 0);
    EXPECT_EQ(tabs.DeleteItem(3), 1);
    EXPECT_EQ(tabs.GetCurSel(), 2) << "the current index stays";
    EXPECT_EQ(tabs.DeleteItem(2), 1);
    EXPECT_EQ(tabs.GetCurSel(), 2) << "names no tab now: none is drawn selected";
    CDib32 image;
    EXPECT_TRUE(RenderClient(tabs, image));
    EXPECT_EQ(tabs.SetCurSel(2), -1);
    EXPECT_EQ(tabs.DeleteAllItems(), 1);
    EXPECT_EQ(tabs.GetCurSel(), -1);
    EXPECT_EQ(tabs.GetTotalWidth(), 2);
    EXPECT_TRUE(parent.notices.empty()) << "nothing of this is a notice";
}

TEST_F(FlatTab, AClickAsksTheParentFirstAndAVetoKeepsTheOldTab)
{
    CSkinFlatTabCtrl tabs;
    ASSERT_TRUE(tabs.Create(parent, CRect(0, 80, 400, 100), "FlatTab", kViewStyle, 0, 77));
    Fill(tabs, { "一", "二", "三" });
    RECT second = {};
    ASSERT_EQ(tabs.GetItemRect(1, &second), 1);
    const int x = (second.left + second.right) / 2;

    parent.veto = true;
    tabs.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(x, 5));
    EXPECT_EQ(tabs.GetCurSel(), 0);
    EXPECT_EQ(parent.notices, std::vector<int>({ kChanging }));

    parent.veto = false;
    parent.notices.clear();
    tabs.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(x, 5));
    EXPECT_EQ(tabs.GetCurSel(), 1);
    EXPECT_EQ(parent.notices, std::vector<int>({ kChanging, kChange }));

    parent.notices.clear();
    tabs.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(x, 5));
    EXPECT_EQ(parent.notices, std::vector<int>({ kChanging, kChange })) << "also for the tab already current";

    parent.notices.clear();
    tabs.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(64, 5)); // left of the tab area
    tabs.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(tabs.GetAreaStart() + tabs.GetTotalWidth(), 5));
    EXPECT_TRUE(parent.notices.empty());
    EXPECT_EQ(tabs.GetCurSel(), 1);
    EXPECT_EQ(tabs.SetCurSel(0), 1);
    EXPECT_TRUE(parent.notices.empty()) << "SetCurSel sends nothing";
}

TEST_F(FlatTab, WithoutButtonsTheAreaStartsAtOneAndNeverScrolls)
{
    CSkinFlatTabCtrl tabs;
    ASSERT_TRUE(tabs.Create(parent, CRect(0, 80, 100, 100), "FlatTab", WS_CHILD | WS_VISIBLE, 0, 77));
    Fill(tabs, { "甲", "乙", "丙", "丁", "戊" });
    EXPECT_EQ(tabs.GetButton(CSkinFlatTabCtrl::kButtonLeft), nullptr);
    RECT first = {};
    ASSERT_EQ(tabs.GetItemRect(0, &first), 1);
    EXPECT_EQ(first.left, 1);
    tabs.SendMessage(WM_COMMAND, MAKEWPARAM(CSkinFlatTabCtrl::kButtonRight, BN_CLICKED), 0);
    EXPECT_EQ(tabs.GetScrollOffset(), 0);
}

TEST_F(FlatTab, SetCurSelScrollsTheTabIntoViewAndTheButtonsFollow)
{
    CSkinFlatTabCtrl tabs;
    ASSERT_TRUE(tabs.Create(parent, CRect(0, 80, 200, 100), "FlatTab", kViewStyle, 0, 77));
    Fill(tabs, { "上证指数", "深证成指", "沪深三百", "中小板指", "创业板指" });
    const HWND left = tabs.GetButton(CSkinFlatTabCtrl::kButtonLeft);
    const HWND right = tabs.GetButton(CSkinFlatTabCtrl::kButtonRight);
    const HWND first = tabs.GetButton(CSkinFlatTabCtrl::kButtonFirst);
    const HWND last = tabs.GetButton(CSkinFlatTabCtrl::kButtonLast);
    ASSERT_TRUE(left && right && first && last);
    EXPECT_FALSE(::IsWindowEnabled(left));
    EXPECT_FALSE(::IsWindowEnabled(first));
    EXPECT_TRUE(::IsWindowEnabled(right));
    EXPECT_TRUE(::IsWindowEnabled(last));
    EXPECT_EQ(CWindow(first).GetRectInParent().left, 1);
    EXPECT_EQ(CWindow(left).GetRectInParent().left, 17);
    EXPECT_EQ(CWindow(right).GetRectInParent().left, 33);
    EXPECT_EQ(CWindow(last).GetRectInParent().left, 49);
    EXPECT_EQ(CWindow(last).GetRectInParent().Height(), 20) << "buttons take the full height";

    tabs.SetCurSel(4);
    RECT r = {};
    ASSERT_EQ(tabs.GetItemRect(4, &r), 1);
    EXPECT_EQ(r.right, 200) << "its right end meets the window's right edge";
    EXPECT_TRUE(::IsWindowEnabled(left));
    EXPECT_TRUE(::IsWindowEnabled(first));

    tabs.SetCurSel(1);
    ASSERT_EQ(tabs.GetItemRect(1, &r), 1);
    EXPECT_EQ(r.left, 65) << "its left end meets the area's start";

    tabs.SendMessage(
        WM_COMMAND, MAKEWPARAM(CSkinFlatTabCtrl::kButtonLast, BN_CLICKED), reinterpret_cast<LPARAM>(last));
    EXPECT_EQ(tabs.GetScrollOffset(), tabs.GetTotalWidth() + 65 - 200 + 1);
    EXPECT_FALSE(::IsWindowEnabled(right));
    tabs.SendMessage(
        WM_COMMAND, MAKEWPARAM(CSkinFlatTabCtrl::kButtonFirst, BN_CLICKED), reinterpret_cast<LPARAM>(first));
    EXPECT_EQ(tabs.GetScrollOffset(), 0);
    EXPECT_FALSE(::IsWindowEnabled(left));
    tabs.SendMessage(
        WM_COMMAND, MAKEWPARAM(CSkinFlatTabCtrl::kButtonRight, BN_CLICKED), reinterpret_cast<LPARAM>(right));
    RECT second = {};
    ASSERT_EQ(tabs.GetItemRect(1, &second), 1);
    EXPECT_EQ(second.left, 65) << "one tab to the right";
    tabs.SendMessage(
        WM_COMMAND, MAKEWPARAM(CSkinFlatTabCtrl::kButtonLeft, BN_CLICKED), reinterpret_cast<LPARAM>(left));
    EXPECT_EQ(tabs.GetScrollOffset(), 0);
    tabs.SetCurSel(4);
    tabs.ResetScroll();
    EXPECT_EQ(tabs.GetScrollOffset(), 0);
    EXPECT_FALSE(::IsWindowEnabled(left));
}

TEST_F(FlatTab, AResizeOrSetCurSelLeavesTheFocusWhereItWas)
{
    HWND edit = ::CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, parent, nullptr,
        ::GetModuleHandleA(nullptr), nullptr);
    CSkinFlatTabCtrl tabs;
    ASSERT_TRUE(tabs.Create(parent, CRect(0, 80, 200, 100), "FlatTab", kViewStyle, 0, 77));
    Fill(tabs, { "上证指数", "深证成指", "沪深三百", "中小板指", "创业板指" });
    ::SetFocus(edit);
    ASSERT_EQ(::GetFocus(), edit);
    tabs.MoveWindow(CRect(0, 80, 250, 102));
    tabs.AddItem(0, "恒生指数");
    tabs.SetCurSel(5);
    EXPECT_EQ(::GetFocus(), edit);

    // A click on a scroll button gives it the focus, which the strip then takes.
    const HWND left = tabs.GetButton(CSkinFlatTabCtrl::kButtonLeft);
    ASSERT_TRUE(::IsWindowEnabled(left));
    const int offset = tabs.GetScrollOffset();
    ::SendMessageA(left, WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    ::SendMessageA(left, WM_LBUTTONUP, 0, At(5, 5));
    EXPECT_LT(tabs.GetScrollOffset(), offset) << "the click scrolled";
    EXPECT_EQ(::GetFocus(), tabs.m_hWnd);
}

TEST_F(FlatTab, ResizingAndPaintingFreeWhatTheyCreate)
{
    CSkinFlatTabCtrl tabs;
    ASSERT_TRUE(tabs.Create(parent, CRect(0, 80, 200, 100), "FlatTab", kViewStyle, 0, 77));
    Fill(tabs, { "一", "二" });
    for (int i = 0; i < 10; ++i)
        tabs.MoveWindow(CRect(0, 80, 200, 101 + i));
    PumpPendingMessages();
    const DWORD before = CountGdiObjects();
    CDib32 image;
    for (int i = 0; i < 40; ++i) {
        tabs.MoveWindow(CRect(0, 80, 200 + i, 100 + i % 5));
        RenderClient(tabs, image);
    }
    PumpPendingMessages();
    EXPECT_LE(CountGdiObjects(), before + 2);
}

TEST_F(FlatTab, PaintsTheSelectedTabOnTopInTheViewsColours)
{
    // As the views place it: below its page, the tabs hanging from the top.
    CSkinFlatTabCtrl tabs;
    ASSERT_TRUE(tabs.Create(parent, CRect(0, 90, 400, 110), "FlatTab", kViewStyle, 0, 77));
    tabs.m_unselectedFill = RGB(0x96, 0x96, 0x96);
    tabs.m_unselectedText = RGB(0, 0, 0);
    tabs.m_selectedFill = RGB(0x80, 0, 0);
    tabs.m_selectedText = RGB(0x80, 0xFF, 0xFF);
    Fill(tabs, { "日线", "周线", "月线", "5分钟", "15分钟", "30分钟", "60分钟" });
    tabs.SetCurSel(1);

    // Above its page: tabs standing on a line along the bottom.
    CSkinFlatTabCtrl top;
    ASSERT_TRUE(top.Create(parent, CRect(0, 10, 300, 30), "FlatTab", WS_CHILD | WS_VISIBLE | 0x0004, 0, 78));
    top.m_selectedFill = RGB(0, 0, 0x80);
    Fill(top, { "行情", "资金", "财务" });
    PumpPendingMessages();
    SaveWindowScreenshot(parent, "flat_tabs");

    CDib32 image;
    ASSERT_TRUE(RenderClient(tabs, image));
    RECT selected = {};
    RECT unselected = {};
    ASSERT_EQ(tabs.GetItemRect(1, &selected), 1);
    ASSERT_EQ(tabs.GetItemRect(3, &unselected), 1);
    // Inside the trapezoids near their wide edge, clear of the titles.
    EXPECT_EQ(image.GetColor(selected.left + 10, 2), RGB(0x80, 0, 0));
    EXPECT_EQ(image.GetColor(unselected.left + 10, 2), RGB(0x96, 0x96, 0x96));
    EXPECT_EQ(image.GetColor(selected.right - 6, 2), RGB(0x80, 0, 0)) << "on top of its right neighbour";
    EXPECT_EQ(image.GetColor(selected.left + 4, 0), RGB(0x80, 0, 0)) << "it opens into its page";
    EXPECT_EQ(image.GetColor(unselected.left + 4, 0), RGB(0, 0, 0)) << "the others stand on a black line";

    CDib32 topImage;
    ASSERT_TRUE(RenderClient(top, topImage));
    RECT first = {};
    ASSERT_EQ(top.GetItemRect(0, &first), 1);
    EXPECT_EQ(first.left, 33);
    EXPECT_EQ(topImage.GetColor(first.left + 8, 17), RGB(0, 0, 0x80));
    EXPECT_EQ(topImage.GetColor(first.left + 2, 2), RGB(0, 0, 0)) << "the narrow edge at the top";
}

namespace {

HENHMETAFILE SolidGlyph(COLORREF colour)
{
    HDC dc = ::CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    CBrush brush;
    brush.CreateSolid(colour);
    const RECT all = { 0, 0, 100, 100 };
    ::FillRect(dc, &all, brush);
    return ::CloseEnhMetaFile(dc);
}

}

TEST(MetaFileButton, TheFaceShowsTheGlyphOfTheState)
{
    EXPECT_EQ(CSkinMetaFileButton::GlyphRect(16, false), CRect(5, 4, 8, 10));
    EXPECT_EQ(CSkinMetaFileButton::GlyphRect(40, true), CRect(6, 5, 9, 11)) << "heights clamp to 15";
    EXPECT_EQ(CSkinMetaFileButton::GlyphRect(4, false), CRect(5, 4, 6, 6)) << "and to 11";

    const COLORREF normal = RGB(200, 0, 0);
    const COLORREF pressed = RGB(0, 200, 0);
    const COLORREF focused = RGB(0, 0, 200);
    const COLORREF disabled = RGB(0x80, 0x80, 0x80);
    CEnhMetaFile glyphs[4] = { CEnhMetaFile(SolidGlyph(normal)), CEnhMetaFile(SolidGlyph(pressed)),
        CEnhMetaFile(SolidGlyph(focused)), CEnhMetaFile(SolidGlyph(disabled)) };
    struct Case
    {
        UINT state;
        bool withPressed;
        COLORREF expected;
    };
    const Case cases[] = {
        { 0, true, normal },
        { ODS_SELECTED, true, pressed },
        { ODS_SELECTED, false, normal }, // no pressed glyph: the normal one, moved
        { ODS_FOCUS, true, focused },
        { ODS_DISABLED, true, disabled },
        { ODS_FOCUS | ODS_DISABLED, true, focused },
    };
    for (const Case& c : cases) {
        CSkinMetaFileButton button; // no window: the face alone
        button.SetMetaFiles(glyphs[0], c.withPressed ? glyphs[1].Get() : nullptr, glyphs[2], glyphs[3]);
        CDib32 image;
        ASSERT_TRUE(image.Create(16, 16));
        button.DrawFace(image.GetDC(), CRect(0, 0, 16, 16), c.state);
        const CRect glyph = CSkinMetaFileButton::GlyphRect(16, (c.state & ODS_SELECTED) != 0);
        EXPECT_EQ(image.GetColor(glyph.left + 1, glyph.top + 2), c.expected) << "state " << c.state;
        EXPECT_EQ(image.GetColor(12, 8), ::GetSysColor(COLOR_BTNFACE)) << "state " << c.state;
    }
}

TEST_F(FlatTab, ChineseTitlesAreMeasuredAsChineseText)
{
    CSkinFlatTabCtrl tabs;
    ASSERT_TRUE(tabs.Create(parent, CRect(0, 80, 400, 100), "FlatTab", kViewStyle, 0, 77));
    tabs.AddItem(0, "周线");
    // The control's font made in the system's character set, as a view's text needs.
    CFont font(::CreateFontA(6 - 20, 0, 0, 0, 800, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS,
        CLIP_STROKE_PRECIS, PROOF_QUALITY, FF_SWISS, nullptr));
    CMemDC dc;
    CSelectObject select(dc, font);
    RECT text = { 0, 0, 150, 17 };
    ::DrawTextA(dc, "周线", -1, &text, DT_CALCRECT | DT_SINGLELINE | DT_VCENTER);
    RECT tab = {};
    ASSERT_EQ(tabs.GetItemRect(0, &tab), 1);
    EXPECT_EQ(tab.right - tab.left, text.right - text.left + 20 + 10);
    SIZE extent = {};
    ::GetTextExtentPoint32W(dc, L"周", 1, &extent);
    EXPECT_GE(text.right - text.left, 2 * extent.cx - 1) << "two full-width characters";
}
