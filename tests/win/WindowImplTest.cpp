// Window objects on real windows: creation and routing, subclassing a dialog
// item, superclassing system classes, reflection and the final message.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "tests/support/GdiCount.h"
#include "tests/support/WindowTesting.h"
#include "win/DoubleBuffer.h"
#include "win/Gdi.h"
#include "win/WindowImpl.h"

namespace {

// A plain top-level window that reflects its children's notifications.
// Test windows are popups: see ShowWithoutActivating.
typedef CWinTraits<WS_POPUP | WS_BORDER | WS_CLIPCHILDREN> CTestWinTraits;

class CParentWindow : public CWindowImpl<CParentWindow, CWindow, CTestWinTraits>
{
public:
    DECLARE_WND_CLASS("ZentuTestParent")
    std::vector<UINT> seen;

    BEGIN_MSG_MAP(CParentWindow)
        MESSAGE_HANDLER(WM_DRAWITEM, OnSeen)
        REFLECT_NOTIFICATIONS()
    END_MSG_MAP()

    // Records and declines, so the reflection entry still runs.
    LRESULT OnSeen(UINT msg, WPARAM, LPARAM, BOOL& handled)
    {
        seen.push_back(msg);
        handled = FALSE;
        return 0;
    }
};

// A push button that ignores double clicks, subclassed onto an existing button.
class CNoDoubleClickButton : public CWindowImpl<CNoDoubleClickButton>
{
public:
    int swallowed = 0;

    BEGIN_MSG_MAP(CNoDoubleClickButton)
        MESSAGE_HANDLER(WM_LBUTTONDBLCLK, OnDoubleClick)
    END_MSG_MAP()

    LRESULT OnDoubleClick(UINT, WPARAM, LPARAM, BOOL&)
    {
        ++swallowed;
        return 0;
    }
};

// An owner-drawn superclass of BUTTON that draws itself from the reflected request.
class COwnerDrawButton : public CWindowImpl<COwnerDrawButton>
{
public:
    DECLARE_WND_SUPERCLASS("ZentuTestOwnerDrawButton", "BUTTON")
    int drawRequests = 0;
    int clicks = 0;
    COLORREF face = RGB(0, 128, 255);

    BEGIN_MSG_MAP(COwnerDrawButton)
        MESSAGE_HANDLER(OCM_DRAWITEM, OnDrawItem)
        REFLECTED_COMMAND_CODE_HANDLER(BN_CLICKED, OnClicked)
        DEFAULT_REFLECTION_HANDLER()
    END_MSG_MAP()

    LRESULT OnDrawItem(UINT, WPARAM, LPARAM lp, BOOL&)
    {
        const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        EXPECT_EQ(item->hwndItem, m_hWnd);
        FillSolidRect(item->hDC, item->rcItem, face);
        ++drawRequests;
        return TRUE;
    }
    LRESULT OnClicked(WORD, WORD, HWND control, BOOL&)
    {
        EXPECT_EQ(control, m_hWnd);
        ++clicks;
        return 0;
    }
};

// Superclasses of the other system classes the controls build on.
#define SUPERCLASS_OF(name, systemClass)                                                                     \
    class name : public CWindowImpl<name>                                                                    \
    {                                                                                                        \
    public:                                                                                                  \
        DECLARE_WND_SUPERCLASS(nullptr, systemClass)                                                         \
        BEGIN_MSG_MAP(name)                                                                                  \
            DEFAULT_REFLECTION_HANDLER()                                                                     \
        END_MSG_MAP()                                                                                        \
    };
SUPERCLASS_OF(CScrollBarSuper, "SCROLLBAR")
SUPERCLASS_OF(CStaticSuper, "STATIC")
SUPERCLASS_OF(CListViewSuper, "SysListView32")

// A static without the default reflection handler.
class CPlainStatic : public CWindowImpl<CPlainStatic>
{
public:
    DECLARE_WND_SUPERCLASS("ZentuTestPlainStatic", "STATIC")
    BEGIN_MSG_MAP(CPlainStatic)
    END_MSG_MAP()
};

// A heap object that deletes itself after its window's last message.
class CSelfDeleting : public CWindowImpl<CSelfDeleting, CWindow, CTestWinTraits>
{
public:
    static std::vector<std::string>* events;

    ~CSelfDeleting() { events->push_back("deleted"); }

    BEGIN_MSG_MAP(CSelfDeleting)
        MESSAGE_HANDLER(WM_CLOSE, OnClose)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    END_MSG_MAP()

    LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&)
    {
        DestroyWindow();
        // Still inside a handler of this object: it must not be gone yet.
        events->push_back(m_hWnd ? "close-after-destroy(hwnd)" : "close-after-destroy");
        return 0;
    }
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
    {
        events->push_back("destroy");
        handled = FALSE;
        return 0;
    }
    void OnFinalMessage(HWND hwnd) override
    {
        events->push_back(::IsWindow(hwnd) ? "final(alive)" : "final");
        delete this;
    }
};
std::vector<std::string>* CSelfDeleting::events = nullptr;

// A double-buffered child that paints one colour with a frame.
class CPaintedChild : public CWindowImpl<CPaintedChild>, public CDoubleBufferImpl<CPaintedChild>
{
public:
    COLORREF color = RGB(200, 30, 30);

    BEGIN_MSG_MAP(CPaintedChild)
        CHAIN_MSG_MAP(CDoubleBufferImpl<CPaintedChild>)
    END_MSG_MAP()

    void DoPaint(HDC dc)
    {
        CRect client = GetClientRect();
        CBrush brush;
        brush.CreateSolid(color);
        ::FillRect(dc, &client, brush);
        CPen pen;
        pen.Create(PS_SOLID, 1, RGB(0, 0, 0));
        CSelectObject selectPen(dc, pen);
        CSelectObject selectBrush(dc, ::GetStockObject(NULL_BRUSH));
        ::Rectangle(dc, client.left, client.top, client.right, client.bottom);
    }
};

} // namespace

TEST(WindowImpl, SubclassedButtonSwallowsDoubleClicksAndKeepsItsBehaviour)
{
    CParentWindow parent;
    ASSERT_TRUE(parent.Create(nullptr, CRect(50, 50, 350, 250), "parent"));
    HWND button = ::CreateWindowExA(0, "BUTTON", "按钮", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 100,
        30, parent, reinterpret_cast<HMENU>(101), nullptr, nullptr);
    ASSERT_TRUE(button);

    // Unsubclassed, a double click presses the button (it takes the capture).
    ::SendMessageA(button, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_TRUE(::SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED);
    ::SendMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(500, 500)); // released outside: no click
    ::ReleaseCapture();
    EXPECT_FALSE(::SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED);

    CNoDoubleClickButton noDouble;
    ASSERT_TRUE(noDouble.SubclassWindow(button));
    EXPECT_EQ(noDouble.m_hWnd, button);
    // A second object cannot take the same window.
    CNoDoubleClickButton other;
    EXPECT_FALSE(other.SubclassWindow(button));

    ::SendMessageA(button, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(noDouble.swallowed, 1);
    EXPECT_FALSE(::SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED);
    // Everything else still reaches the button's own procedure.
    noDouble.SetWindowText("改名");
    EXPECT_EQ(noDouble.GetWindowText(), "改名");
    ::SendMessageA(button, BM_SETSTATE, TRUE, 0);
    EXPECT_TRUE(::SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED);
    ::SendMessageA(button, BM_SETSTATE, FALSE, 0);

    // Unsubclassing gives the window its own procedure back.
    EXPECT_EQ(noDouble.UnsubclassWindow(), button);
    EXPECT_EQ(noDouble.m_hWnd, nullptr);
    ::SendMessageA(button, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(noDouble.swallowed, 1);
    EXPECT_TRUE(::SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED);
    ::ReleaseCapture();
    parent.DestroyWindow();
}

TEST(WindowImpl, SubclassedWindowDestroyedWithItsParentDetachesTheObject)
{
    CParentWindow parent;
    ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 200, 100), "parent"));
    HWND edit = ::CreateWindowExA(
        0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 80, 20, parent, nullptr, nullptr, nullptr);
    CNoDoubleClickButton object;
    ASSERT_TRUE(object.SubclassWindow(edit));
    parent.DestroyWindow();
    EXPECT_EQ(object.m_hWnd, nullptr);
    EXPECT_FALSE(::IsWindow(edit));
}

TEST(WindowImpl, ReflectedDrawItemAndCommandReachTheOwnerDrawnSuperclass)
{
    CParentWindow parent;
    ASSERT_TRUE(parent.Create(nullptr, CRect(100, 100, 400, 300), "reflection"));
    ShowWithoutActivating(parent);
    COwnerDrawButton button;
    ASSERT_TRUE(
        button.Create(parent, CRect(20, 20, 120, 60), "", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, 501));

    char className[64] = {};
    ::GetClassNameA(button, className, sizeof(className));
    EXPECT_STREQ(className, "ZentuTestOwnerDrawButton");

    button.Invalidate();
    button.UpdateWindow();
    EXPECT_GE(button.drawRequests, 1);
    ASSERT_FALSE(parent.seen.empty());
    EXPECT_EQ(parent.seen.front(), static_cast<UINT>(WM_DRAWITEM));

    // What the button drew is on the window.
    EXPECT_EQ(CaptureWindowPixel(button, 50, 20), RGB(0, 128, 255));

    // A click is the button's own behaviour (superclassed), its BN_CLICKED
    // comes back reflected.
    button.SendMessage(BM_CLICK);
    EXPECT_EQ(button.clicks, 1);
    parent.DestroyWindow();
}

TEST(WindowImpl, SuperclassesKeepTheSystemBehaviour)
{
    CParentWindow parent;
    ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 300, 200), "supers"));

    CScrollBarSuper bar;
    ASSERT_TRUE(bar.Create(parent, CRect(0, 0, 200, 16), nullptr, WS_CHILD | WS_VISIBLE | SBS_HORZ));
    SCROLLINFO si = { sizeof(si), SIF_RANGE | SIF_POS, 0, 100, 0, 40, 0 };
    ::SetScrollInfo(bar, SB_CTL, &si, FALSE);
    EXPECT_EQ(::GetScrollPos(bar, SB_CTL), 40);

    CStaticSuper label;
    ASSERT_TRUE(label.Create(parent, CRect(0, 20, 200, 40), "文字", WS_CHILD | WS_VISIBLE | SS_LEFT));
    EXPECT_EQ(label.GetWindowText(), "文字");

    CListViewSuper list;
    ASSERT_TRUE(list.Create(parent, CRect(0, 50, 200, 150), nullptr, WS_CHILD | WS_VISIBLE | LVS_REPORT));
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 80;
    column.pszText = const_cast<char*>("代码");
    EXPECT_EQ(list.SendMessage(LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column)), 0);
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.pszText = const_cast<char*>("600000");
    EXPECT_EQ(list.SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)), 0);
    EXPECT_EQ(list.SendMessage(LVM_GETITEMCOUNT), 1);
    parent.DestroyWindow();
}

TEST(WindowImpl, UnhandledReflectedColourRequestGetsTheDefaultAnswer)
{
    CParentWindow parent;
    ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 300, 200), "colours"));
    CStaticSuper withDefault;
    ASSERT_TRUE(withDefault.Create(parent, CRect(0, 0, 100, 20), "a", WS_CHILD | WS_VISIBLE));
    CPlainStatic withoutDefault;
    ASSERT_TRUE(withoutDefault.Create(parent, CRect(0, 30, 100, 50), "b", WS_CHILD | WS_VISIBLE));

    CClientDC dc(parent);
    LRESULT brush = parent.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(static_cast<HDC>(dc)),
        reinterpret_cast<LPARAM>(withDefault.m_hWnd));
    EXPECT_NE(brush, 0);
    EXPECT_EQ(::GetObjectType(reinterpret_cast<HGDIOBJ>(brush)), static_cast<DWORD>(OBJ_BRUSH));
    // Without the fallback the static answers the unknown message with 0.
    EXPECT_EQ(parent.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(static_cast<HDC>(dc)),
                  reinterpret_cast<LPARAM>(withoutDefault.m_hWnd)),
        0);
    parent.DestroyWindow();
}

TEST(WindowImpl, FinalMessageComesLastAndMayDeleteTheObject)
{
    std::vector<std::string> events;
    CSelfDeleting::events = &events;
    CSelfDeleting* window = new CSelfDeleting;
    ASSERT_TRUE(window->Create(nullptr, CRect(0, 0, 100, 100), "final"));
    window->SendMessage(WM_CLOSE);
    std::vector<std::string> expected = { "destroy", "close-after-destroy", "final", "deleted" };
    EXPECT_EQ(events, expected);
}

TEST(WindowImpl, WindowOutlivingItsObjectFallsBackToItsOwnProcedure)
{
    HWND label = nullptr;
    HWND button
        = ::CreateWindowExA(0, "BUTTON", "b", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
    {
        CStaticSuper superclassed;
        label = superclassed.Create(nullptr, CRect(0, 0, 50, 20), "旧", WS_POPUP);
        ASSERT_TRUE(label);
        CNoDoubleClickButton subclassed;
        ASSERT_TRUE(subclassed.SubclassWindow(button));
    }
    // Both windows work on without the objects: the static is still a static,
    // the button gets its double clicks again.
    ::SetWindowTextA(label, "新");
    char text[8] = {};
    ::GetWindowTextA(label, text, sizeof(text));
    EXPECT_STREQ(text, "新");
    ::SendMessageA(button, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_TRUE(::SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED);
    ::ReleaseCapture();
    // And a new object can take the button again.
    CNoDoubleClickButton again;
    EXPECT_TRUE(again.SubclassWindow(button));
    EXPECT_TRUE(::DestroyWindow(label));
    EXPECT_TRUE(::DestroyWindow(button));
    EXPECT_EQ(again.m_hWnd, nullptr);
}

TEST(WindowImpl, NoGdiHandlesLeakAcrossCreatePaintDestroy)
{
    // The count is process-wide: settle what the first windows allocate once.
    auto cycle = [] {
        CParentWindow parent;
        parent.Create(nullptr, CRect(0, 0, 200, 150), "leak");
        ShowWithoutActivating(parent);
        CPaintedChild child;
        child.Create(parent, CRect(10, 10, 110, 110));
        COwnerDrawButton button;
        button.Create(parent, CRect(120, 10, 180, 40), "", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, 7);
        parent.UpdateWindow();
        CDib32 image;
        RenderClient(child, image);
        parent.DestroyWindow();
        PumpPendingMessages();
    };
    cycle();
    DWORD before = CountGdiObjects();
    ASSERT_GT(before, 0u) << "no way to count GDI objects here";
    for (int i = 0; i < 20; ++i)
        cycle();
    DWORD after = CountGdiObjects();
    EXPECT_EQ(after, before);

    // The counter itself sees a leak.
    std::vector<HBRUSH> leaked;
    for (int i = 0; i < 5; ++i)
        leaked.push_back(::CreateSolidBrush(RGB(i, 0, 0)));
    EXPECT_EQ(CountGdiObjects(), before + 5);
    for (HBRUSH b : leaked)
        ::DeleteObject(b);
}
