// The control skinner over a dialog's children, the dark tree's custom draw,
// the gradient static and the static that shows its parent's background, and
// a screenshot of a window with every skinned control.
#include "skin/BaseDlg.h"
#include "skin/ControlSkinner.h"
#include "skin/MyTreeView.h"
#include "skin/SkinImgStatic.h"
#include "skin/SkinStatic.h"
#include "base/DataPaths.h"
#include "base/ImageUtil.h"
#include "tests/support/GdiCount.h"
#include "tests/support/WindowTesting.h"
#include "tools/skingen/SkinImages.h"
#include "win/Dib32.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

namespace {

typedef CWinTraits<WS_POPUP | WS_CLIPCHILDREN> CPopupTraits;

// A popup that paints one colour (also into WM_PRINTCLIENT) and reflects notifications.
class CPlainParent : public CWindowImpl<CPlainParent, CWindow, CPopupTraits>
{
public:
    DECLARE_WND_CLASS_EX("ZentuTestSkinnerParent", 0, COLOR_WINDOW + 1)
    COLORREF colour = RGB(0xE0, 0xE8, 0xF0);

    BEGIN_MSG_MAP(CPlainParent)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnErase)
        MESSAGE_HANDLER(WM_PRINTCLIENT, OnErase)
        REFLECT_NOTIFICATIONS()
    END_MSG_MAP()

    LRESULT OnErase(UINT msg, WPARAM wp, LPARAM, BOOL&)
    {
        FillSolidRect(reinterpret_cast<HDC>(wp), GetClientRect(), colour);
        return msg == WM_ERASEBKGND ? 1 : 0;
    }
};

class CTestDialogBase : public CBaseDlg
{
public:
    std::string GetButtonImage(int id) override { return id == 2 ? "menu000.png" : ""; }
    std::string GetCheckBoxImage(int id, int state) override
    {
        return id == 9 && state == 1 ? "no_such_image.png" : "";
    }
};

HWND Child(HWND parent, const char* cls, DWORD style, int id, const char* text, int x, int y, int w, int h)
{
    return ::CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr), nullptr);
}

WNDPROC ProcOf(HWND hwnd)
{
    return reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
}

}

TEST(ControlSkinner, SkinsOnlyPushAndAutomaticButtonsWithTheirImages)
{
    CPlainParent parent;
    ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 400, 300)));
    const struct
    {
        int id;
        DWORD style;
        const char* cls;
        bool skinned;
    } children[] = {
        { 1, BS_PUSHBUTTON, "BUTTON", true },
        { 2, BS_PUSHBUTTON, "Button", true }, // its own image
        { 3, BS_DEFPUSHBUTTON, "button", true },
        { 4, BS_GROUPBOX, "BUTTON", false },
        { 5, BS_OWNERDRAW, "BUTTON", false },
        { 6, BS_AUTOCHECKBOX, "BUTTON", true },
        { 7, BS_CHECKBOX, "BUTTON", false },
        { 8, BS_AUTORADIOBUTTON, "BUTTON", true },
        { 9, BS_AUTOCHECKBOX, "BUTTON", false }, // its checked image is missing
        { 10, BS_RADIOBUTTON, "BUTTON", false },
        { 11, BS_3STATE, "BUTTON", false },
        { 12, SS_LEFT, "STATIC", false },
    };
    std::vector<WNDPROC> before;
    for (const auto& c : children) {
        HWND hwnd = Child(parent, c.cls, c.style, c.id, "OK", 10, 10 + 20 * c.id, 60, 18);
        ASSERT_NE(hwnd, nullptr);
        before.push_back(ProcOf(hwnd));
    }
    CTestDialogBase dialog;
    SkinDialogButtons(dialog, parent);
    EXPECT_EQ(dialog.GetSkinnedControlCount(), 5u);
    for (size_t i = 0; i < std::size(children); ++i) {
        SCOPED_TRACE(children[i].id);
        HWND hwnd = parent.GetDlgItem(children[i].id);
        EXPECT_EQ(ProcOf(hwnd) != before[i], children[i].skinned);
    }
    EXPECT_EQ(CWindow(parent.GetDlgItem(1)).GetClientRect().Width(), kDialogButtonWidth);
    EXPECT_EQ(CWindow(parent.GetDlgItem(2)).GetClientRect().Width(), kSmallButtonWidth);
    EXPECT_EQ(CWindow(parent.GetDlgItem(3)).GetClientRect().Width(), kDialogButtonWidth);
    EXPECT_EQ(CWindow(parent.GetDlgItem(4)).GetStyle() & BS_TYPEMASK, static_cast<DWORD>(BS_GROUPBOX));
    EXPECT_EQ(CWindow(parent.GetDlgItem(5)).GetStyle() & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW));

    // Running it again skins nothing twice.
    SkinDialogButtons(dialog, parent);
    EXPECT_EQ(dialog.GetSkinnedControlCount(), 5u);
    parent.DestroyWindow();
}

TEST(ControlSkinner, TheEnumerationAlwaysContinues)
{
    CPlainParent parent;
    ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 100, 100)));
    HWND button = Child(parent, "BUTTON", BS_PUSHBUTTON, 1, "", 0, 0, 40, 20);
    HWND label = Child(parent, "STATIC", 0, 2, "", 0, 30, 40, 20);
    EXPECT_TRUE(SkinChildButtonsProc(label, 0));
    EXPECT_TRUE(SkinChildButtonsProc(button, 0)); // no dialog: skipped
    CTestDialogBase dialog;
    EXPECT_TRUE(SkinChildButtonsProc(button, reinterpret_cast<LPARAM>(&dialog)));
    EXPECT_EQ(dialog.GetSkinnedControlCount(), 1u);
    parent.DestroyWindow();
}

TEST(MyTreeView, CustomDrawStagesAndColours)
{
    const struct
    {
        DWORD stage;
        LRESULT answer;
        bool handled;
    } cases[] = { { CDDS_PREPAINT, CDRF_NOTIFYITEMDRAW, true }, { CDDS_ITEMPREPAINT, CDRF_NOTIFYPOSTPAINT, true },
        { CDDS_POSTPAINT, 0, true }, { CDDS_PREERASE, 0, true }, { CDDS_POSTERASE, 0, true },
        { CDDS_ITEMPREERASE, 0, true }, { CDDS_ITEMPOSTERASE, 0, true },
        { CDDS_SUBITEM | CDDS_ITEMPREPAINT, 0, true }, { CDDS_SUBITEM | CDDS_ITEMPOSTPAINT, 0, false } };
    for (const auto& c : cases) {
        bool handled = false;
        EXPECT_EQ(CMyTreeView::StageAnswer(c.stage, handled), c.answer) << c.stage;
        EXPECT_EQ(handled, c.handled) << c.stage;
    }

    CPlainParent parent;
    ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 200, 200)));
    CMyTreeView tree;
    ASSERT_TRUE(tree.Create(parent, CRect(0, 0, 200, 200), nullptr,
        WS_CHILD | WS_VISIBLE | TVS_HASLINES | TVS_TRACKSELECT | TVS_SHOWSELALWAYS, 0, 77));
    EXPECT_EQ(static_cast<COLORREF>(tree.SendMessage(TVM_GETBKCOLOR)), CMyTreeView::kBackground);
    EXPECT_EQ(static_cast<COLORREF>(tree.SendMessage(TVM_GETTEXTCOLOR)), CMyTreeView::kText);
    LOGFONTA hot = {};
    ASSERT_TRUE(::GetObjectA(tree.GetHotFont(), sizeof(hot), &hot));
    EXPECT_TRUE(hot.lfUnderline);
    HTREEITEM first = tree.InsertItem("上证指数");
    HTREEITEM second = tree.InsertItem("深证成指");
    tree.SelectItem(second);

    // An item post-paint through the parent's reflection: selected and hot
    // is drawn on black in the tree's text colour; hot alone in yellow.
    const auto postPaint = [&](HTREEITEM item, UINT state, CDib32& image) {
        image.Create(200, 200);
        NMTVCUSTOMDRAW draw = {};
        draw.nmcd.hdr.hwndFrom = tree;
        draw.nmcd.hdr.idFrom = 77;
        draw.nmcd.hdr.code = NM_CUSTOMDRAW;
        draw.nmcd.dwDrawStage = CDDS_ITEMPOSTPAINT;
        draw.nmcd.hdc = image.GetDC();
        draw.nmcd.dwItemSpec = reinterpret_cast<DWORD_PTR>(item);
        draw.nmcd.uItemState = state;
        return parent.SendMessage(WM_NOTIFY, 77, reinterpret_cast<LPARAM>(&draw));
    };
    const auto countColour = [](const CDib32& image, const RECT& r, COLORREF colour) {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                n += image.GetColor(x, y) == colour;
        return n;
    };
    RECT secondRect = {};
    ASSERT_TRUE(tree.GetItemRect(second, &secondRect, true));
    CDib32 selectedHot;
    EXPECT_EQ(postPaint(second, CDIS_SELECTED | CDIS_HOT, selectedHot), 0);
    EXPECT_EQ(selectedHot.GetColor(secondRect.left, secondRect.top), RGB(0, 0, 0));
    EXPECT_GT(countColour(selectedHot, secondRect, CMyTreeView::kText), 0);
    EXPECT_EQ(countColour(selectedHot, secondRect, CMyTreeView::kHotText), 0);

    RECT firstRect = {};
    ASSERT_TRUE(tree.GetItemRect(first, &firstRect, true));
    CDib32 hotOnly;
    postPaint(first, CDIS_HOT, hotOnly);
    EXPECT_EQ(hotOnly.GetColor(firstRect.left, firstRect.top), CMyTreeView::kBackground);
    EXPECT_GT(countColour(hotOnly, firstRect, CMyTreeView::kHotText), 0);
    EXPECT_EQ(countColour(hotOnly, firstRect, CMyTreeView::kText), 0);
    parent.DestroyWindow();
}

TEST(SkinGradientStatic, StripesRunFromLeftToRightColour)
{
    EXPECT_EQ(GradientStripeColour(RGB(0, 100, 200), RGB(255, 100, 0), 0), RGB(0, 100, 200));
    EXPECT_EQ(GradientStripeColour(RGB(0, 100, 200), RGB(255, 100, 0), 254), RGB(254, 100, 1));
    EXPECT_EQ(GradientStripeColour(RGB(0, 0, 0), RGB(255, 255, 255), 128), RGB(128, 128, 128));

    CPlainParent parent;
    ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 600, 100)));
    CSkinGradientStatic label;
    ASSERT_TRUE(label.Create(parent, CRect(0, 0, 510, 30), "", WS_CHILD | WS_VISIBLE));
    label.leftColour = RGB(0, 0, 0);
    label.rightColour = RGB(0, 0, 255);
    CDib32 image;
    ASSERT_TRUE(RenderClient(label, image));
    EXPECT_EQ(image.GetColor(0, 5), RGB(0, 0, 0));
    EXPECT_EQ(image.GetColor(255, 5), RGB(0, 0, 127)); // stripe 127 of 2 px each
    EXPECT_EQ(image.GetColor(509, 5), RGB(0, 0, 254));

    // Equal colours paint one flat colour; the text keeps the margin.
    label.leftColour = label.rightColour = RGB(40, 80, 120);
    label.textColour = RGB(255, 255, 255);
    label.SetWindowText("Ranking 排名");
    ASSERT_TRUE(RenderClient(label, image));
    int textLeft = image.Width();
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            const COLORREF c = image.GetColor(x, y);
            if (c == RGB(255, 255, 255))
                textLeft = std::min(textLeft, x);
            else
                ASSERT_TRUE(c == RGB(40, 80, 120) || GetRValue(c) > 40) << x << "," << y;
        }
    EXPECT_GE(textLeft, 10);
    EXPECT_LT(textLeft, 20);
    parent.DestroyWindow();
}

TEST(SkinStatic, ShowsTheParentBackgroundAndRebuildsItAfterAMove)
{
    CPlainParent parent;
    ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 300, 200)));
    CSkinStatic label;
    ASSERT_TRUE(label.Create(parent, CRect(10, 10, 160, 60), "", WS_CHILD | WS_VISIBLE));
    label.SetText("趋势评价");
    CDib32 image;
    ASSERT_TRUE(RenderClient(label, image));
    EXPECT_EQ(image.GetColor(148, 2), parent.colour);
    EXPECT_TRUE(label.HasParentBackground());

    parent.colour = RGB(10, 120, 30);
    ASSERT_TRUE(RenderClient(label, image));
    EXPECT_NE(image.GetColor(148, 2), parent.colour) << "the brush is kept until a move";
    label.SetWindowPos(nullptr, 20, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_FALSE(label.HasParentBackground());
    ASSERT_TRUE(RenderClient(label, image));
    EXPECT_EQ(image.GetColor(148, 2), parent.colour);
    parent.DestroyWindow();
}

TEST(ControlSkinner, ScreenshotOfAWindowWithEverySkinnedControl)
{
    CPlainParent parent;
    parent.colour = RGB(0xF0, 0xF0, 0xF0);
    ASSERT_TRUE(parent.Create(nullptr, CRect(100, 100, 520, 330)));
    ShowWithoutActivating(parent);
    Child(parent, "BUTTON", BS_DEFPUSHBUTTON, 1, "确定", 20, 180, 72, 24);
    Child(parent, "BUTTON", BS_PUSHBUTTON, 2, "取消", 110, 180, 72, 24);
    Child(parent, "BUTTON", BS_AUTOCHECKBOX, 3, "记住密码", 20, 100, 120, 18);
    HWND checked = Child(parent, "BUTTON", BS_AUTOCHECKBOX, 4, "自动登录", 150, 100, 120, 18);
    Child(parent, "BUTTON", BS_AUTORADIOBUTTON | WS_GROUP, 5, "电信", 20, 130, 80, 18);
    HWND radio = Child(parent, "BUTTON", BS_AUTORADIOBUTTON, 6, "联通", 110, 130, 80, 18);
    Child(parent, "BUTTON", BS_GROUPBOX, 7, "分组", 290, 90, 110, 70);
    HWND disabled = Child(parent, "BUTTON", BS_PUSHBUTTON, 8, "禁用", 200, 180, 72, 24);
    ::EnableWindow(disabled, FALSE);
    ::SendMessageA(checked, BM_SETCHECK, BST_CHECKED, 0);
    ::SendMessageA(radio, BM_SETCHECK, BST_CHECKED, 0);
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), 0);
    CBaseDlg dialog;
    SkinDialogButtons(dialog, parent);
    EXPECT_EQ(dialog.GetSkinnedControlCount(), 7u);

    CSkinGradientStatic title;
    title.Create(parent, CRect(0, 0, 420, 28), "排行统计", WS_CHILD | WS_VISIBLE);
    title.font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    CSkinStatic note;
    note.Create(parent, CRect(20, 40, 260, 80), "", WS_CHILD | WS_VISIBLE);
    note.SetText("透明背景上的说明文字，可以换行显示。");
    CSkinImgStatic welcome;
    welcome.Create(parent, CRect(290, 40, 300, 50), "", WS_CHILD | WS_VISIBLE);
    welcome.SetIcon(LoadImageFromResource(DataPaths::Instance()->GetSkinFile("arrow1.png").c_str(), "PNG"));
    welcome.SetTextColour(RGB(0, 0, 160));
    welcome.SetText("欢迎");
    parent.Invalidate();
    parent.UpdateWindow();
    PumpPendingMessages();
    EXPECT_FALSE(SaveWindowScreenshot(parent, "skin-controls").empty());
    parent.DestroyWindow();
}

TEST(ControlSkinner, CreateAndDestroyCyclesKeepTheGdiObjectCount)
{
    const auto cycle = [] {
        CPlainParent parent;
        parent.Create(nullptr, CRect(0, 0, 300, 200));
        Child(parent, "BUTTON", BS_PUSHBUTTON, 1, "确定", 10, 10, 72, 24);
        Child(parent, "BUTTON", BS_AUTOCHECKBOX, 2, "记住", 10, 40, 80, 18);
        Child(parent, "BUTTON", BS_AUTORADIOBUTTON, 3, "电信", 10, 60, 80, 18);
        CBaseDlg dialog;
        SkinDialogButtons(dialog, parent);
        CMyTreeView tree;
        tree.Create(parent, CRect(100, 0, 200, 100), nullptr, WS_CHILD | WS_VISIBLE, 0, 9);
        tree.InsertItem("项");
        CSkinGradientStatic title;
        title.Create(parent, CRect(0, 100, 200, 120), "标题", WS_CHILD | WS_VISIBLE);
        CSkinStatic note;
        note.Create(parent, CRect(0, 130, 200, 160), "", WS_CHILD | WS_VISIBLE);
        note.SetText("说明");
        for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            CDib32 image;
            RenderClient(child, image);
        }
        note.SetWindowPos(nullptr, 5, 130, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        parent.DestroyWindow();
        PumpPendingMessages();
    };
    cycle();
    const DWORD before = CountGdiObjects();
    ASSERT_GT(before, 0u) << "no way to count GDI objects here";
    for (int i = 0; i < 100; ++i)
        cycle();
    EXPECT_EQ(CountGdiObjects(), before);
}
