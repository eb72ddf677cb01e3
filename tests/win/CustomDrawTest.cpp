// Custom draw reflected from the parent to a subclassed tree view, which
// colours its own items: the path the side panel's dark trees take.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include "tests/support/WindowTesting.h"
#include "win/Controls.h"
#include "win/CustomDraw.h"
#include "win/WindowImpl.h"

namespace {

const COLORREF kDarkBackground = RGB(8, 8, 8);
const COLORREF kItemText = RGB(255, 255, 0);

class CReflectingHost : public CWindowImpl<CReflectingHost, CWindow, CWinTraits<WS_POPUP | WS_CLIPCHILDREN>>
{
public:
    BEGIN_MSG_MAP(CReflectingHost)
        REFLECT_NOTIFICATIONS()
    END_MSG_MAP()
};

class CDarkTree : public CWindowImpl<CDarkTree, CTreeViewCtrl>, public CCustomDraw<CDarkTree>
{
public:
    int prePaints = 0;
    int itemPrePaints = 0;

    BEGIN_MSG_MAP(CDarkTree)
        CHAIN_MSG_MAP(CCustomDraw<CDarkTree>)
        DEFAULT_REFLECTION_HANDLER()
    END_MSG_MAP()

    DWORD OnPrePaint(int, NMCUSTOMDRAW*)
    {
        ++prePaints;
        return CDRF_NOTIFYITEMDRAW;
    }
    DWORD OnItemPrePaint(int, NMCUSTOMDRAW* draw)
    {
        ++itemPrePaints;
        NMTVCUSTOMDRAW* tree = reinterpret_cast<NMTVCUSTOMDRAW*>(draw);
        tree->clrText = kItemText;
        tree->clrTextBk = kDarkBackground;
        return CDRF_DODEFAULT;
    }
};

} // namespace

TEST(CustomDraw, ReflectedNotificationDrawsTheTreesItems)
{
    CReflectingHost host;
    ASSERT_TRUE(host.Create(nullptr, CRect(30, 30, 230, 180)));
    HWND treeWindow = ::CreateWindowExA(
        0, WC_TREEVIEWA, "", WS_CHILD | WS_VISIBLE, 0, 0, 200, 150, host, nullptr, nullptr, nullptr);
    CDarkTree tree;
    ASSERT_TRUE(tree.SubclassWindow(treeWindow));
    tree.SetBkColor(kDarkBackground);
    tree.InsertItem("上证指数");
    tree.InsertItem("深证成指");
    ShowWithoutActivating(host);
    tree.Invalidate();
    tree.UpdateWindow();

    EXPECT_GE(tree.prePaints, 1);
    EXPECT_GE(tree.itemPrePaints, 2);
    EXPECT_EQ(CaptureWindowPixel(tree, 190, 140), kDarkBackground);
    host.DestroyWindow();
}
