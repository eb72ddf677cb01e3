// Control and menu wrappers on real controls, with GBK text longer than the
// first buffer the readers try.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include "win/Controls.h"
#include "win/Menu.h"
#include "win/WindowImpl.h"

namespace {

class CHost : public CWindowImpl<CHost, CWindow, CWinTraits<WS_POPUP>>
{
public:
    BEGIN_MSG_MAP(CHost)
    END_MSG_MAP()
};

HWND MakeChild(HWND parent, const char* className, DWORD style)
{
    return ::CreateWindowExA(
        0, className, "", WS_CHILD | WS_VISIBLE | style, 0, 0, 200, 120, parent, nullptr, nullptr, nullptr);
}

std::string LongGbkText()
{
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "股";
    return text + "票"; // 402 bytes
}

} // namespace

TEST(Controls, ListAndTreeReadBackLongText)
{
    CHost host;
    ASSERT_TRUE(host.Create(nullptr, CRect(0, 0, 300, 200)));
    CListViewCtrl list(MakeChild(host, WC_LISTVIEWA, LVS_REPORT));
    ASSERT_TRUE(list.IsWindow());
    EXPECT_EQ(list.InsertColumn(0, "名称", 100), 0);
    EXPECT_EQ(list.InsertColumn(1, "代码", 60), 1);
    EXPECT_EQ(list.InsertItem(0, LongGbkText().c_str(), 77), 0);
    EXPECT_TRUE(list.SetItemText(0, 1, "600000"));
    EXPECT_EQ(list.GetItemText(0, 0), LongGbkText());
    EXPECT_EQ(list.GetItemText(0, 1), "600000");
    EXPECT_EQ(list.GetItemData(0), 77);
    EXPECT_TRUE(list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED));
    EXPECT_EQ(list.GetSelectedIndex(), 0);

    CTreeViewCtrl tree(MakeChild(host, WC_TREEVIEWA, TVS_HASLINES));
    HTREEITEM root = tree.InsertItem("板块", TVI_ROOT, TVI_LAST, 1);
    HTREEITEM child = tree.InsertItem(LongGbkText().c_str(), root, TVI_LAST, 2);
    ASSERT_TRUE(root && child);
    EXPECT_EQ(tree.GetRootItem(), root);
    EXPECT_EQ(tree.GetChildItem(root), child);
    EXPECT_EQ(tree.GetItemText(child), LongGbkText());
    EXPECT_EQ(tree.GetItemData(child), 2);
    EXPECT_EQ(tree.GetItemText(nullptr), "");
    host.DestroyWindow();
}

TEST(Controls, ComboListBoxToolTipPickerProgress)
{
    CHost host;
    ASSERT_TRUE(host.Create(nullptr, CRect(0, 0, 300, 200)));

    CComboBox combo(MakeChild(host, "COMBOBOX", CBS_DROPDOWN));
    EXPECT_EQ(combo.AddString("上证"), 0);
    EXPECT_EQ(combo.AddString(LongGbkText().c_str()), 1);
    EXPECT_EQ(combo.GetLBText(1), LongGbkText());
    EXPECT_EQ(combo.GetLBText(5), "");
    EXPECT_TRUE(combo.GetEditCtrl() != nullptr);

    CListBox listBox(MakeChild(host, "LISTBOX", 0));
    EXPECT_EQ(listBox.AddString("深证"), 0);
    EXPECT_EQ(listBox.GetText(0), "深证");
    EXPECT_EQ(listBox.GetText(3), "");

    CToolTipCtrl tip;
    ASSERT_TRUE(tip.Create(host));
    EXPECT_TRUE(tip.AddTool(host, 1000, "提示"));
    EXPECT_EQ(tip.GetToolCount(), 1);
    tip.DelTool(host, 1000);
    EXPECT_EQ(tip.GetToolCount(), 0);
    tip.DestroyWindow();

    CDateTimePickerCtrl picker(MakeChild(host, DATETIMEPICK_CLASSA, DTS_SHOWNONE));
    SYSTEMTIME date = { 2024, 5, 0, 10, 0, 0, 0, 0 };
    EXPECT_TRUE(picker.SetSystemTime(&date));
    SYSTEMTIME read = {};
    EXPECT_EQ(picker.GetSystemTime(&read), static_cast<DWORD>(GDT_VALID));
    EXPECT_EQ(read.wYear, 2024);
    EXPECT_EQ(read.wDay, 10);
    EXPECT_TRUE(picker.SetSystemTime(nullptr));
    EXPECT_EQ(picker.GetSystemTime(&read), static_cast<DWORD>(GDT_NONE));

    CProgressBarCtrl progress(MakeChild(host, PROGRESS_CLASSA, 0));
    progress.SetRange(0, 100);
    progress.SetPos(30);
    EXPECT_EQ(progress.GetPos(), 30);
    host.DestroyWindow();
}

TEST(Menu, AttachingTheHeldMenuKeepsIt)
{
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopup());
    ASSERT_TRUE(menu.AppendItem(MF_STRING, 4000, "不复权"));
    const HMENU held = menu;
    menu.Attach(held);
    EXPECT_EQ(static_cast<HMENU>(menu), held);
    EXPECT_TRUE(::IsMenu(held));
    EXPECT_EQ(menu.GetItemCount(), 1);

    // Another menu frees the one held; moving hands the menu over whole.
    CMenu other;
    ASSERT_TRUE(other.CreatePopup());
    menu.Attach(other.Detach());
    EXPECT_FALSE(::IsMenu(held));
    CMenu moved(std::move(menu));
    EXPECT_TRUE(moved.IsMenu());
    EXPECT_FALSE(menu.IsMenu());
    CMenuHandle bar(moved);
    EXPECT_EQ(bar.GetItemCount(), 0);
}

TEST(Menu, ItemInfoWithExplicitSizeAndLongText)
{
    EXPECT_EQ(kMenuItemInfoSize, sizeof(void*) == 4 ? 48u : 80u);
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopup());
    ASSERT_TRUE(menu.AppendItem(MF_STRING, 4000, "前复权(&Q)\tF10"));
    ASSERT_TRUE(menu.AppendItem(MF_SEPARATOR, 0, nullptr));
    ASSERT_TRUE(menu.AppendItem(MF_STRING, 4001, LongGbkText().c_str()));
    EXPECT_EQ(menu.GetItemCount(), 3);
    EXPECT_EQ(menu.GetItemText(0, true), "前复权(&Q)\tF10");
    EXPECT_EQ(menu.GetItemText(4001, false), LongGbkText());
    EXPECT_EQ(menu.GetItemText(1, true), "");

    // Owner-drawn and back, keeping the separator a separator.
    MENUITEMINFOA info = {};
    ASSERT_TRUE(menu.GetItemInfo(1, true, &info, MIIM_FTYPE));
    EXPECT_TRUE(info.fType & MFT_SEPARATOR);
    UINT original = info.fType;
    info.fMask = MIIM_FTYPE;
    info.fType = original | MFT_OWNERDRAW;
    ASSERT_TRUE(menu.SetItemInfo(1, true, &info));
    info.fType = original;
    ASSERT_TRUE(menu.SetItemInfo(1, true, &info));
    ASSERT_TRUE(menu.GetItemInfo(1, true, &info, MIIM_FTYPE));
    EXPECT_EQ(info.fType, original);

    EXPECT_TRUE(menu.CheckItem(4000, true));
    EXPECT_TRUE(::GetMenuState(menu, 4000, MF_BYCOMMAND) & MF_CHECKED);
}
