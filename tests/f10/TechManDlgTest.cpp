// The indicator manager in a real window: filled from "showformula.dat" and the
// indicator store, its add, remove, save and restore, what it writes when it
// ends, the message a failed save gives, and the K-line view's tab "设置"
// running it modally.
#include "formula/FormulaLibrary.h"
#include "tests/f10/F10Fixtures.h"
#include "tests/support/TempDirectory.h"
#include "tests/support/WindowTesting.h"
#include "views/IndicatorTree.h"
#include "views/StockGraphView.h"
#include "views/TechManDlg.h"
#include "views/ViewOptions.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

namespace {

std::string NumberBytes(std::initializer_list<int32_t> numbers)
{
    std::string bytes;
    for (int32_t number : numbers) {
        const uint32_t value = static_cast<uint32_t>(number);
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<char>((value >> shift) & 0xFF));
    }
    return bytes;
}

struct ShownMessage
{
    std::string text;
    std::string title;
    UINT type;
};

// The dialog modeless over a tab file of the test's, its messages recorded.
class TechManDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX icc { sizeof icc, ICC_WIN95_CLASSES };
        ::InitCommonControlsEx(&icc);
        LoadSimulatedIndicators();
        path = dir.File("showformula.dat");
    }
    void TearDown() override { Close(); }

    HWND Open()
    {
        dialog = std::make_unique<CTechManDlg>(path);
        dialog->SetMessageBox([this](HWND, const std::string& text, const std::string& title, UINT type) {
            messages.push_back({ text, title, type });
            return IDOK;
        });
        HWND hwnd = dialog->Create(nullptr);
        if (hwnd)
            ShowWithoutActivating(hwnd);
        return hwnd;
    }
    // What "关闭" does: the dialog ends and writes its numbers.
    void Close()
    {
        if (dialog && dialog->m_hWnd)
            Command(IDC_TECH_CLOSE);
        dialog.reset();
    }
    void Command(int id)
    {
        dialog->SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(dialog->GetDlgItem(id)));
    }
    void SelectInTree(int32_t number)
    {
        HTREEITEM item = dialog->FindTreeItem(number);
        ASSERT_NE(nullptr, item) << number;
        ASSERT_TRUE(dialog->GetTree().SelectItem(item));
    }
    std::vector<std::string> Rows()
    {
        std::vector<std::string> rows;
        for (int row = 0; row < dialog->GetList().GetItemCount(); ++row)
            rows.push_back(dialog->GetList().GetItemText(row, 0));
        return rows;
    }
    std::string FileBytes() { return ReadTestFile(path); }

    TempDirectory dir { "techman" };
    std::string path;
    std::unique_ptr<CTechManDlg> dialog;
    std::vector<ShownMessage> messages;
};

using Numbers = std::vector<int32_t>;

}

TEST_F(TechManDialog, OpensWithTheTreeAndTheDefaultsAndWritesThemWhenClosed)
{
    HWND hwnd = Open();
    ASSERT_TRUE(hwnd);
    char title[64] = {};
    ::GetWindowTextA(hwnd, title, sizeof title);
    EXPECT_STREQ("常用指标设置-指标标签", title);

    // The tree: the sixteen categories, each carrying 0, with their indicators.
    CTreeViewCtrl& tree = dialog->GetTree();
    int categories = 0;
    for (HTREEITEM category = tree.GetRootItem(); category; category = tree.GetNextSiblingItem(category)) {
        EXPECT_EQ(0, tree.GetItemData(category));
        ++categories;
    }
    EXPECT_EQ(16, categories);
    HTREEITEM kdj = dialog->FindTreeItem(101);
    ASSERT_NE(nullptr, kdj);
    EXPECT_EQ("KDJ  随机指标", tree.GetItemText(kdj));

    // No file: the five default indicators, with name and description.
    EXPECT_EQ((Numbers { 100, 101, 102, 103, 104 }), dialog->GetListNumbers());
    ASSERT_EQ(5u, Rows().size());
    EXPECT_EQ("KDJ  随机指标", Rows()[1]);
    SkinListColumn column;
    ASSERT_TRUE(dialog->GetList().GetColumn(0, column));
    EXPECT_EQ("指标", column.title);
    EXPECT_EQ(150, column.width);
    EXPECT_EQ(IDC_TECH_LIST, ::GetDlgCtrlID(dialog->GetList().m_hWnd));
    // The arrows wear the small button image; the other buttons the dialogs' own.
    EXPECT_EQ("menu000.png", dialog->GetButtonImage(IDC_TECH_ADD));
    EXPECT_EQ("menu000.png", dialog->GetButtonImage(IDC_TECH_REMOVE));
    EXPECT_EQ("", dialog->GetButtonImage(IDC_TECH_SAVE));
    EXPECT_EQ(5u, dialog->GetSkinnedControlCount());

    SelectInTree(4);
    Command(IDC_TECH_ADD);
    ::RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpPendingMessages();
    EXPECT_FALSE(SaveWindowScreenshot(hwnd, "TechManDlg").empty());

    // Closing without "保存" writes the numbers loaded, not the list's rows.
    EXPECT_EQ("<missing>", FileBytes());
    Close();
    EXPECT_EQ(NumberBytes({ 100, 101, 102, 103, 104 }), FileBytes());
}

TEST_F(TechManDialog, WholeNumbersAreReadAndUnknownOnesDroppedAtTheNextSave)
{
    // Two whole numbers, an unknown one, and a partial record at the end.
    ASSERT_TRUE(dir.WriteFile("showformula.dat", NumberBytes({ 104, 99999, 3 }) + std::string("\x65\x00", 2)));
    ASSERT_TRUE(Open());
    EXPECT_EQ((Numbers { 104, 99999, 3 }), dialog->GetNumbers());
    EXPECT_EQ((Numbers { 104, 3 }), dialog->GetListNumbers());
    EXPECT_EQ("VOL  成交量", Rows()[0]);

    EXPECT_TRUE(dialog->Save());
    EXPECT_EQ(NumberBytes({ 104, 3 }), FileBytes());
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ("保存成功！", messages[0].text);
    EXPECT_EQ("", messages[0].title);
    EXPECT_EQ(static_cast<UINT>(MB_OK), messages[0].type);
}

TEST_F(TechManDialog, AddTakesOnlyANewIndicatorAndAppendsIt)
{
    ASSERT_TRUE(dir.WriteFile("showformula.dat", NumberBytes({ 101, 104 })));
    ASSERT_TRUE(Open());
    CTreeViewCtrl& tree = dialog->GetTree();

    // A category adds nothing.
    ASSERT_TRUE(tree.SelectItem(tree.GetRootItem()));
    Command(IDC_TECH_ADD);
    EXPECT_EQ((Numbers { 101, 104 }), dialog->GetListNumbers());
    // Nor does an indicator the list holds already.
    SelectInTree(101);
    Command(IDC_TECH_ADD);
    EXPECT_EQ((Numbers { 101, 104 }), dialog->GetListNumbers());
    // A new one goes to the end, with the tree's text.
    SelectInTree(4);
    Command(IDC_TECH_ADD);
    EXPECT_EQ((Numbers { 101, 104, 4 }), dialog->GetListNumbers());
    EXPECT_EQ(tree.GetItemText(dialog->FindTreeItem(4)), Rows()[2]);
    Command(IDC_TECH_ADD);
    EXPECT_EQ(3u, Rows().size());

    // Nothing is written before "保存".
    EXPECT_EQ(NumberBytes({ 101, 104 }), FileBytes());
    Command(IDC_TECH_SAVE);
    EXPECT_EQ(NumberBytes({ 101, 104, 4 }), FileBytes());
}

TEST_F(TechManDialog, RemoveTakesExactlyTheSelectedRows)
{
    ASSERT_TRUE(dir.WriteFile("showformula.dat", NumberBytes({ 100, 101, 102, 103, 104 })));
    ASSERT_TRUE(Open());
    CSkinListImpl& list = dialog->GetList();

    // Nothing selected: nothing goes.
    Command(IDC_TECH_REMOVE);
    EXPECT_EQ((Numbers { 100, 101, 102, 103, 104 }), dialog->GetListNumbers());

    // Two adjacent rows.
    ASSERT_TRUE(list.SelectItem(1, 0, 0));
    ASSERT_TRUE(list.SelectItem(2, 0, MK_SHIFT));
    ASSERT_EQ(2, list.GetSelectedCount());
    Command(IDC_TECH_REMOVE);
    EXPECT_EQ((Numbers { 100, 103, 104 }), dialog->GetListNumbers());
    EXPECT_EQ(0, list.GetSelectedCount());

    // Two apart: the first and the last.
    ASSERT_TRUE(list.SelectItem(0, 0, 0));
    ASSERT_TRUE(list.SelectItem(2, 0, MK_CONTROL));
    Command(IDC_TECH_REMOVE);
    EXPECT_EQ((Numbers { 103 }), dialog->GetListNumbers());

    Command(IDC_TECH_SAVE);
    EXPECT_EQ(NumberBytes({ 103 }), FileBytes());
    // The list emptied and saved: an empty file, which means no tabs.
    ASSERT_TRUE(list.SelectItem(0, 0, 0));
    Command(IDC_TECH_REMOVE);
    Command(IDC_TECH_SAVE);
    EXPECT_EQ("", FileBytes());
    Close();
    EXPECT_EQ("", FileBytes());
}

TEST_F(TechManDialog, RestoreWritesNothingUntilTheDialogEnds)
{
    ASSERT_TRUE(dir.WriteFile("showformula.dat", NumberBytes({ 2, 4 })));
    ASSERT_TRUE(Open());
    Command(IDC_TECH_RESTORE);
    EXPECT_EQ((Numbers { 100, 101, 102, 103, 104 }), dialog->GetListNumbers());
    EXPECT_EQ(NumberBytes({ 2, 4 }), FileBytes());
    Close();
    EXPECT_EQ(NumberBytes({ 100, 101, 102, 103, 104 }), FileBytes());
}

TEST_F(TechManDialog, AFailedSaveIsReportedAsAFailureAndKeepsTheFile)
{
    // The file held open by another program that lets nobody delete it: it
    // cannot be replaced, and the old numbers stay.
    ASSERT_TRUE(dir.WriteFile("showformula.dat", NumberBytes({ 101 })));
    HANDLE held = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    ASSERT_TRUE(Open());
    Command(IDC_TECH_RESTORE);
    EXPECT_FALSE(dialog->Save());
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ("保存失败！", messages[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), messages[0].type);
    Close();
    ::CloseHandle(held);
    EXPECT_EQ(NumberBytes({ 101 }), FileBytes());

    // The directory gone: the defaults are shown, and saving fails the same way.
    path = dir.File("no-such-dir\\showformula.dat");
    messages.clear();
    ASSERT_TRUE(Open());
    EXPECT_EQ((Numbers { 100, 101, 102, 103, 104 }), dialog->GetListNumbers());
    Command(IDC_TECH_SAVE);
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ("保存失败！", messages[0].text);
    for (const ShownMessage& message : messages)
        EXPECT_NE("保存成功！", message.text);
}

namespace {

HWND g_openedManager = nullptr;

BOOL CALLBACK FindManager(HWND hwnd, LPARAM)
{
    char title[64] = {};
    ::GetWindowTextA(hwnd, title, sizeof title);
    if (std::string(title) != "常用指标设置-指标标签")
        return TRUE;
    g_openedManager = hwnd;
    return FALSE;
}

// Runs inside the dialog's modal loop: "恢复原始", then "关闭".
void CALLBACK RestoreAndCloseManager(HWND, UINT, UINT_PTR timer, DWORD)
{
    g_openedManager = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindManager, 0);
    if (!g_openedManager)
        return;
    ::KillTimer(nullptr, timer);
    ::SendMessageA(g_openedManager, WM_COMMAND, MAKEWPARAM(IDC_TECH_RESTORE, BN_CLICKED), 0);
    ::SendMessageA(g_openedManager, WM_COMMAND, MAKEWPARAM(IDC_TECH_CLOSE, BN_CLICKED), 0);
}

std::vector<std::string> TabTitles(CSkinFlatTabCtrl& tabs)
{
    std::vector<std::string> titles;
    for (int i = 0; i < tabs.GetItemCount(); ++i)
        titles.push_back(tabs.GetItem(i) ? tabs.GetItem(i) : "");
    return titles;
}

}

TEST(TechManWiring, SettingsTabRunsTheManagerAndTheTabsFollowTheFile)
{
    INITCOMMONCONTROLSEX icc { sizeof icc, ICC_WIN95_CLASSES };
    ::InitCommonControlsEx(&icc);
    LoadSimulatedIndicators();
    ViewOptions::ReleaseInstance();
    TempDirectory dir("techman");
    const std::string path = dir.File("showformula.dat");
    ASSERT_TRUE(dir.WriteFile("showformula.dat", NumberBytes({ 3, 104 })));

    IViewDataSource source; // no stock: the view shows its no-data screen
    CStockGraphView view(nullptr, source, dir.File("techwin.conf"), path);
    const RECT rect { 0, 0, 900, 500 };
    ASSERT_NE(nullptr, view.Create(nullptr, rect, "", WS_POPUP));
    ShowWithoutActivating(view.m_hWnd);
    PumpPendingMessages();
    EXPECT_EQ((std::vector<std::string> { "设置", "CCI", "VOL" }), TabTitles(view.GetIndicatorTabs()));

    InstallIndicatorManager(view, path);
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &RestoreAndCloseManager);
    ASSERT_NE(0u, timer);
    view.GetIndicatorTabs().SetCurSel(0);
    NMHDR header {};
    header.hwndFrom = view.GetIndicatorTabs().m_hWnd;
    header.idFrom = CStockGraphView::kIndicatorTabsId;
    header.code = static_cast<UINT>(TCN_SELCHANGE);
    view.SendMessage(WM_NOTIFY, CStockGraphView::kIndicatorTabsId, reinterpret_cast<LPARAM>(&header));
    ::KillTimer(nullptr, timer);

    // The dialog ran and ended; it wrote the defaults, and the tabs show them.
    EXPECT_NE(nullptr, g_openedManager);
    EXPECT_FALSE(::IsWindow(g_openedManager));
    EXPECT_EQ(NumberBytes({ 100, 101, 102, 103, 104 }), ReadTestFile(path));
    EXPECT_EQ((std::vector<std::string> { "设置", "MACD", "KDJ", "RSI", "BOLL", "VOL" }),
        TabTitles(view.GetIndicatorTabs()));
    view.DestroyWindow();
    ViewOptions::ReleaseInstance();
}
