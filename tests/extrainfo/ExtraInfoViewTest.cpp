// The side panel with the user list and the sector and indicator trees: the
// user list's dates in exchange time, the trees built from the simulator's
// groups and indicator definitions, removing stocks with Delete, switching
// tabs by commands, keys and clicks, its notifications and menus, and the
// panel inside the main frame.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "app/FrameParts.h"
#include "app/MainFrame.h"
#include "base/MemoryStream.h"
#include "data/CodeTable.h"
#include "data/GroupData.h"
#include "data/Rc4.h"
#include "formula/FormulaLibrary.h"
#include "skin/SkinListNotify.h"
#include "tests/shell/ShellFakes.h"
#include "tests/support/ViewFixtures.h"
#include "tests/support/ViewTesting.h"
#include "tests/support/WindowTesting.h"
#include "tools/marketdata/SimMarketSeries.h"
#include "tools/marketdata/SimMarketTables.h"
#include "views/ExtraInfoRows.h"
#include "views/ExtraInfoView.h"
#include "views/ViewDataSource.h"
#include "win/Dib32.h"

namespace {

// The stock names the test panel shows. A base of the panel, so that they
// are there before the panel is.
struct ExtraInfoTestNames : IViewDataSource
{
    std::string GetStockName(uint32_t key) override { return names ? names(key) : "N" + CodeOfKey(key); }

    std::function<std::string(uint32_t)> names;
};

// The panel over its own user list, names, groups and indicators; menus are
// recorded instead of tracked.
class CTestExtraInfoView : public ExtraInfoTestNames, public CExtraInfoView
{
public:
    CTestExtraInfoView()
        : CExtraInfoView(this)
    {
    }
    std::vector<UserStockList::Entry> entries;
    const GroupIndex* groups = nullptr;
    const FormulaLibrary* library = nullptr;
    std::vector<std::pair<UINT, std::string>> menus;
    POINT pointer { -10000, -10000 }; // over nothing

protected:
    POINT GetPointerPosition() const override { return pointer; }
    std::vector<UserStockList::Entry> GetUserEntries() const override { return entries; }
    const GroupIndex* GetGroups() const override { return groups; }
    const FormulaLibrary* GetIndicators() const override { return library; }
    void TrackPanelMenu(UINT command, const char* text) override { menus.push_back({ command, text }); }
};

std::string Delivered(const SimReply& reply)
{
    return SimMarketTables::Delivered(reply);
}

template <class Table, class... Args> bool MergeInto(Table& table, const std::string& bytes, Args... args)
{
    CMemoryStream stream;
    stream.Write(bytes.data(), static_cast<int32_t>(bytes.size()));
    stream.Seek(0, 0);
    return table.Merge(args..., &stream) == 1;
}

// The simulator's indicator definitions in the store, once per run.
const FormulaLibrary& SimulatedIndicators()
{
    static bool loaded = false;
    if (!loaded) {
        std::string plain = SimMarketSeries().FormulaBody();
        ApplyFormulaCipher(reinterpret_cast<uint8_t*>(&plain[0]), plain.size());
        FormulaLibrary::Instance()->LoadFromBody(
            reinterpret_cast<const uint8_t*>(plain.data()), static_cast<int32_t>(plain.size()));
        loaded = true;
    }
    return *FormulaLibrary::Instance();
}

// The simulator's block groups in the application's index for one test.
class ScopedSimulatedGroups
{
public:
    ScopedSimulatedGroups()
    {
        SimMarketTables market;
        CGroupData data;
        m_ok = MergeInto(data, Delivered(market.GroupsReply())) && GroupIndex::Instance()->Rebuild(data) == 1;
    }
    ~ScopedSimulatedGroups() { GroupIndex::ReleaseInstance(); }
    bool Ok() const { return m_ok; }

private:
    bool m_ok = false;
};

struct TreeNode
{
    std::string text;
    LPARAM data;
    std::vector<TreeNode> children;
};

std::vector<TreeNode> ReadTree(const CTreeViewCtrl& tree, HTREEITEM first)
{
    std::vector<TreeNode> nodes;
    for (HTREEITEM item = first; item; item = tree.GetNextSiblingItem(item))
        nodes.push_back({ tree.GetItemText(item), tree.GetItemData(item), ReadTree(tree, tree.GetChildItem(item)) });
    return nodes;
}

HTREEITEM FindItem(const CTreeViewCtrl& tree, HTREEITEM first, LPARAM data)
{
    for (HTREEITEM item = first; item; item = tree.GetNextSiblingItem(item)) {
        if (tree.GetItemData(item) == data)
            return item;
        if (HTREEITEM inner = FindItem(tree, tree.GetChildItem(item), data))
            return inner;
    }
    return nullptr;
}

void SendTreeNotify(HWND view, CTreeViewCtrl& tree, UINT id, int code)
{
    NMHDR header = {};
    header.hwndFrom = tree.m_hWnd;
    header.idFrom = id;
    header.code = static_cast<UINT>(code);
    ::SendMessageA(view, WM_NOTIFY, id, reinterpret_cast<LPARAM>(&header));
}

CRect RectInParent(HWND child)
{
    CRect r;
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

const CodeKey kA = 0x600000;
const CodeKey kB = 0x600036;
const CodeKey kC = 0x01000001;
const CodeKey kD = 0x600100;

// 2024-03-15 08:30 UTC is 16:30 in Beijing; 23:30 UTC is 07:30 there the next day.
const int32_t kAfternoonBeijing = 1710491400;
const int32_t kLateUtc = 1710545400;

class ExtraInfoTest : public testing::Test
{
protected:
    void SetUp() override
    {
        view.entries = { { static_cast<int32_t>(kA), kAfternoonBeijing }, { static_cast<int32_t>(kB), kLateUtc },
            { static_cast<int32_t>(kC), 0 }, { static_cast<int32_t>(kD), kAfternoonBeijing } };
        view.SetOwner(&processor);
    }
    void Create()
    {
        ASSERT_TRUE(view.Create(host.Handle(), CRect(0, 0, 218, 560), nullptr, WS_CHILD | WS_VISIBLE));
    }
    std::vector<uint32_t> RowKeys()
    {
        std::vector<uint32_t> keys;
        for (int row = 0; row < view.GetUserList().GetItemCount(); ++row) {
            uint32_t key = 0;
            view.GetUserList().GetItemData(row, key);
            keys.push_back(key);
        }
        return keys;
    }
    std::vector<DispatchRecord> Of(UINT id) { return processor.DispatchesOf(id); }
    bool Shows(HWND child) { return ::IsWindowVisible(child) != FALSE; }

    CViewTestHost host { 700, 600 };
    RecordingMessageProcessor processor;
    CTestExtraInfoView view;
};

// Removes from the panel's list what the content panel is asked to remove,
// and reports the change back as the panel would.
class RemovingAcceptor : public CMessageAcceptor
{
public:
    RemovingAcceptor(CTestExtraInfoView& view, CMessageProcessor& processor)
        : m_view(view)
        , m_processor(processor)
    {
    }
    int Accept(UINT id, WPARAM command, LPARAM key) override
    {
        if (id != kViewMsgMenuCommand || command != kCmdRemoveUserStock)
            return 1;
        auto& entries = m_view.entries;
        for (auto it = entries.begin(); it != entries.end(); ++it) {
            if (static_cast<LPARAM>(static_cast<uint32_t>(it->first)) == key) {
                entries.erase(it);
                break;
            }
        }
        m_processor.Dispatch(kViewMsgUserListChanged, 0, 0);
        return 1;
    }

private:
    CTestExtraInfoView& m_view;
    CMessageProcessor& m_processor;
};

} // namespace

TEST(UserListDate, ExchangeDayWhateverTheZone)
{
    const struct
    {
        int32_t time;
        const char* text;
    } cases[] = {
        { kAfternoonBeijing, "2024-03-15" },
        { kLateUtc, "2024-03-16" }, // UTC is still the 15th
        { 1710431999, "2024-03-14" }, // 15:59:59 UTC: a second before midnight in Beijing
        { 1710432000, "2024-03-15" }, // 16:00 UTC: midnight in Beijing
        { 0, "1970-01-01" },
        { -3600, "1970-01-01" },
        { 0x7FFFFFFF, "2038-01-19" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(UserListDateText(c.time), c.text) << c.time;
}

TEST_F(ExtraInfoTest, UserListDatesCodesAndNames)
{
    Create();
    CSkinListImpl& list = view.GetUserList();
    ASSERT_EQ(list.GetItemCount(), 4);
    EXPECT_EQ(RowKeys(), (std::vector<uint32_t> { kA, kB, kC, kD }));
    const char* expected[][3] = {
        { "600000", "N600000", "2024-03-15" },
        { "600036", "N600036", "2024-03-16" },
        { "000001", "N000001", "1970-01-01" }, // the market byte is not part of the code
        { "600100", "N600100", "2024-03-15" },
    };
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 3; ++column)
            EXPECT_EQ(list.GetItemText(row, column), expected[row][column]) << row << "," << column;
    ASSERT_EQ(list.GetColumnCount(), 3);
    const char* titles[] = { "股票代码", "股票名称", "收藏时间" };
    const int widths[] = { 65, 65, 80 };
    for (int column = 0; column < 3; ++column) {
        SkinListColumn info;
        ASSERT_TRUE(list.GetColumn(column, info));
        EXPECT_EQ(info.title, titles[column]);
        EXPECT_EQ(info.width, widths[column]);
    }
}

TEST_F(ExtraInfoTest, RegistersAndLaysOutWithTheUserListShown)
{
    Create();
    EXPECT_EQ(processor.RegisteredIds(&view), (std::vector<UINT> { 256, 522, 4031, 4032 }));
    EXPECT_EQ(view.GetShownChild(), CExtraInfoView::kUserListId);
    EXPECT_TRUE(Shows(view.GetUserList()));
    EXPECT_FALSE(Shows(view.GetSectorTree()));
    EXPECT_FALSE(Shows(view.GetIndicatorTree()));
    EXPECT_EQ(view.GetUserList().GetDlgCtrlID(), 5001);
    EXPECT_EQ(view.GetSectorTree().GetDlgCtrlID(), 5007);
    EXPECT_EQ(view.GetIndicatorTree().GetDlgCtrlID(), 5012);

    CSkinCmdBar& bar = view.GetTabBar();
    ASSERT_EQ(bar.GetItemCount(), 3);
    EXPECT_EQ(bar.GetItem(0).caption, "自选股");
    EXPECT_EQ(bar.GetItem(1).caption, "板块信息");
    EXPECT_EQ(bar.GetItem(2).caption, "指标");
    EXPECT_EQ(bar.GetItem(bar.GetCurrentIndex()).id, 5002u);
    const CRect barRect = RectInParent(bar);
    EXPECT_EQ(barRect, CRect(2, 2, 216, 2 + bar.GetBarHeight()));
    EXPECT_GT(bar.GetBarHeight(), 10);
    EXPECT_EQ(RectInParent(view.GetUserList()), CRect(2, barRect.bottom, 216, 558));

    // A shown tree takes the same place.
    view.OnTabCommand(5011);
    EXPECT_EQ(RectInParent(view.GetIndicatorTree()), CRect(2, barRect.bottom, 216, 558));
    view.MoveWindow(CRect(0, 0, 300, 400));
    EXPECT_EQ(RectInParent(view.GetIndicatorTree()), CRect(2, barRect.bottom, 298, 398));

    // The margin shows the panel's own colour.
    CDib32 image;
    ASSERT_TRUE(RenderClient(view, image));
    EXPECT_EQ(image.GetColor(0, 0), static_cast<COLORREF>(0xF9E4CF));
    EXPECT_EQ(image.GetColor(299, 399), static_cast<COLORREF>(0xF9E4CF));
}

TEST_F(ExtraInfoTest, TabCommandsClicksAndTheFramesCommandsSwitchChildren)
{
    Create();
    const struct
    {
        UINT command;
        bool fromFrame;
        UINT child;
        uint32_t tab;
    } cases[] = {
        { 5010, true, CExtraInfoView::kSectorTreeId, 5003 },
        { 5011, true, CExtraInfoView::kIndicatorTreeId, 5004 },
        { 5009, true, CExtraInfoView::kUserListId, 5002 },
        { 5011, true, CExtraInfoView::kIndicatorTreeId, 5004 },
        { 4016, true, CExtraInfoView::kUserListId, 5002 },
        { 5003, false, CExtraInfoView::kSectorTreeId, 5003 },
        { 5004, false, CExtraInfoView::kIndicatorTreeId, 5004 },
        { 5002, false, CExtraInfoView::kUserListId, 5002 },
    };
    for (const auto& c : cases) {
        if (c.fromFrame)
            EXPECT_EQ(view.OnTabCommand(c.command), 1);
        else
            view.SendMessage(WM_COMMAND, MAKEWPARAM(c.command, 0), 0);
        EXPECT_EQ(view.GetShownChild(), c.child) << c.command;
        EXPECT_EQ(Shows(view.GetUserList()), c.child == CExtraInfoView::kUserListId) << c.command;
        EXPECT_EQ(Shows(view.GetSectorTree()), c.child == CExtraInfoView::kSectorTreeId) << c.command;
        EXPECT_EQ(Shows(view.GetIndicatorTree()), c.child == CExtraInfoView::kIndicatorTreeId) << c.command;
        CSkinCmdBar& bar = view.GetTabBar();
        EXPECT_EQ(bar.GetItem(bar.GetCurrentIndex()).id, c.tab) << c.command;
    }

    // A click on a tab arrives as its command.
    CSkinCmdBar& bar = view.GetTabBar();
    const CPoint sectors = bar.GetItem(1).rect.CenterPoint();
    bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(sectors.x, sectors.y));
    bar.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(sectors.x, sectors.y));
    EXPECT_EQ(view.GetShownChild(), CExtraInfoView::kSectorTreeId);
    EXPECT_EQ(processor.DispatchCount(), 0u);

    // 5005 hides the whole panel.
    view.SendMessage(WM_COMMAND, MAKEWPARAM(5005, 0), 0);
    EXPECT_FALSE(view.IsWindowVisible());
}

TEST_F(ExtraInfoTest, DeleteRemovesEverySelectedStockCollectedBeforeTheFirstRemoval)
{
    RemovingAcceptor remover(view, processor);
    processor.Register(kViewMsgMenuCommand, &remover);
    Create();
    view.GetUserList().ViewState()->selection = { 0, 1, 3 };
    MSG msg = {};
    msg.hwnd = view.GetUserList();
    msg.message = WM_KEYDOWN;
    msg.wParam = VK_DELETE;
    EXPECT_TRUE(view.PreTranslateKey(msg));
    const auto removals = Of(kViewMsgMenuCommand);
    ASSERT_EQ(removals.size(), 3u);
    const CodeKey removed[] = { kA, kB, kD };
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(removals[i].wParam, static_cast<WPARAM>(kCmdRemoveUserStock));
        EXPECT_EQ(removals[i].lParam, static_cast<LPARAM>(removed[i]));
    }
    // Each removal refilled the list.
    EXPECT_EQ(Of(kViewMsgUserListChanged).size(), 3u);
    EXPECT_EQ(RowKeys(), (std::vector<uint32_t> { kC }));

    // The menu's "删除" does the same.
    view.GetUserList().ViewState()->selection = { 0 };
    view.SendMessage(WM_COMMAND, MAKEWPARAM(5006, 0), 0);
    EXPECT_EQ(Of(kViewMsgMenuCommand).size(), 4u);
    EXPECT_TRUE(RowKeys().empty());

    // Nothing selected: nothing to remove, the key is still the panel's.
    EXPECT_TRUE(view.PreTranslateKey(msg));
    EXPECT_EQ(Of(kViewMsgMenuCommand).size(), 4u);
}

TEST_F(ExtraInfoTest, DeleteWithATreeShowingDispatchesNothing)
{
    Create();
    for (UINT command : { 5010u, 5011u }) {
        view.OnTabCommand(command);
        view.GetUserList().ViewState()->selection = { 0, 1, 2 };
        MSG msg = {};
        msg.hwnd = view.GetSectorTree();
        msg.message = WM_KEYDOWN;
        msg.wParam = VK_DELETE;
        EXPECT_TRUE(view.PreTranslateKey(msg));
        view.SendMessage(WM_COMMAND, MAKEWPARAM(5006, 0), 0);
    }
    EXPECT_EQ(processor.DispatchCount(), 0u);
    EXPECT_EQ(RowKeys().size(), 4u);
}

TEST_F(ExtraInfoTest, OtherKeysReachTheShownChildOnceAndOpenTheRowTheyMoveTo)
{
    Create();
    CSkinListImpl& list = view.GetUserList();
    list.SelectItem(0, 0, 0);
    const size_t opensBefore = Of(kViewMsgOpenStock).size();

    // A key addressed elsewhere is sent on to the list, which moves its
    // selection and opens that row's stock at once.
    MSG msg = {};
    msg.hwnd = host.Handle();
    msg.message = WM_KEYDOWN;
    msg.wParam = VK_DOWN;
    EXPECT_FALSE(view.PreTranslateKey(msg));
    EXPECT_EQ(list.GetSelectedItem(), 1);
    auto opens = Of(kViewMsgOpenStock);
    ASSERT_EQ(opens.size(), opensBefore + 1);
    EXPECT_EQ(opens.back().wParam, static_cast<WPARAM>(kB));

    // One addressed to the list itself reaches it by dispatch alone.
    msg.hwnd = list;
    EXPECT_FALSE(view.PreTranslateKey(msg));
    EXPECT_EQ(list.GetSelectedItem(), 1);

    // Other messages are left alone.
    msg.message = WM_KEYUP;
    msg.hwnd = host.Handle();
    EXPECT_FALSE(view.PreTranslateKey(msg));
    EXPECT_EQ(list.GetSelectedItem(), 1);
    // The acceptor's own key and wheel messages do nothing.
    EXPECT_EQ(view.Accept(kViewMsgKeyDown, VK_DOWN, 0), 1);
    EXPECT_EQ(list.GetSelectedItem(), 1);
}

TEST_F(ExtraInfoTest, ListNotificationsOpenTheRowAndTheRightButtonOffersDelete)
{
    Create();
    CSkinListImpl& list = view.GetUserList();
    SendSkinListNotify(view, list, SLN_SELCHANGED, 2, 0);
    SendSkinListNotify(view, list, SLN_LBUTTONUP, 3, 0);
    SendSkinListNotify(view, list, SLN_LBUTTONUP, -1, 0);
    SendSkinListNotify(view, list, SLN_SELCHANGED, 4, 0); // past the rows
    const auto opens = Of(kViewMsgOpenStock);
    ASSERT_EQ(opens.size(), 2u);
    EXPECT_EQ(opens[0].wParam, static_cast<WPARAM>(kC));
    EXPECT_EQ(opens[1].wParam, static_cast<WPARAM>(kD));
    SendSkinListNotify(view, list, SLN_RBUTTONUP, 0, 0);
    ASSERT_EQ(view.menus.size(), 1u);
    EXPECT_EQ(view.menus[0], (std::pair<UINT, std::string>(5006, "删除")));

    // View commands go to the panel's owner without a stock of their own.
    view.SendMessage(WM_COMMAND, MAKEWPARAM(4044, 0), 0);
    view.SendMessage(WM_COMMAND, MAKEWPARAM(4001, 0), 0);
    const auto forwarded = Of(kViewMsgMenuCommand);
    ASSERT_EQ(forwarded.size(), 2u);
    EXPECT_EQ(forwarded[0].wParam, 4044u);
    EXPECT_EQ(forwarded[0].lParam, 0);
    EXPECT_EQ(forwarded[1].wParam, 4001u);

    // A change of the user list refills it.
    view.entries.pop_back();
    EXPECT_EQ(view.Accept(kViewMsgUserListChanged, 0, 0), 1);
    EXPECT_EQ(RowKeys(), (std::vector<uint32_t> { kA, kB, kC }));
}

TEST_F(ExtraInfoTest, SectorTreeFromTheSimulatorsGroups)
{
    ScopedSimulatedGroups groups;
    ASSERT_TRUE(groups.Ok());
    SimMarketTables market;
    view.groups = GroupIndex::Instance();
    Create();
    CTreeViewCtrl& tree = view.GetSectorTree();
    const std::vector<TreeNode> roots = ReadTree(tree, tree.GetRootItem());

    // The expected tree straight from the simulator's records.
    std::map<int32_t, std::string> categories;
    std::map<int32_t, std::string> blocks;
    for (const SimGroup& group : market.Groups()) {
        if (IsCategoryId(group.id))
            categories.emplace(group.id, group.name);
        else
            blocks.emplace(group.id, group.name);
    }
    ASSERT_EQ(roots.size(), categories.size());
    size_t root = 0;
    size_t stocks = 0;
    for (const auto& category : categories) {
        const TreeNode& node = roots[root++];
        EXPECT_EQ(node.text, category.second);
        EXPECT_EQ(node.data, 0);
        std::vector<std::string> expectedGroups;
        for (const auto& block : blocks)
            if ((static_cast<uint32_t>(block.first) & 0xFF000000) == (static_cast<uint32_t>(category.first) & 0xFF000000)
                && (block.first & 0xFFFF) != 0)
                expectedGroups.push_back(block.second);
        ASSERT_EQ(node.children.size(), expectedGroups.size()) << category.second;
        for (size_t i = 0; i < expectedGroups.size(); ++i) {
            EXPECT_EQ(node.children[i].text, expectedGroups[i]);
            EXPECT_EQ(node.children[i].data, 0);
            for (const TreeNode& stock : node.children[i].children) {
                EXPECT_NE(stock.data, 0);
                EXPECT_EQ(stock.text, "N" + CodeOfKey(static_cast<CodeKey>(stock.data)));
                EXPECT_TRUE(stock.children.empty());
                ++stocks;
            }
        }
    }
    EXPECT_GT(stocks, 10u);
}

TEST_F(ExtraInfoTest, SectorTreeRefillsOnChangeAndItsClicksAndMenus)
{
    ScopedGroupIndex index({ { 0x01000000, "行业" }, { 0x01000001, "银行" }, { 0x01010000, "低位为零" },
                               { 0x02000000, "概念" }, { 0x01000002, "地产" } },
        { { kA, 0x01000001 }, { kB, 0x01000001 }, { kD, 0x01000002 }, { kC, 0x01010000 } });
    ASSERT_TRUE(index.Ok());
    view.groups = GroupIndex::Instance();
    Create();
    CTreeViewCtrl& tree = view.GetSectorTree();
    std::vector<TreeNode> roots = ReadTree(tree, tree.GetRootItem());
    ASSERT_EQ(roots.size(), 2u);
    EXPECT_EQ(roots[0].text, "行业");
    ASSERT_EQ(roots[0].children.size(), 2u); // the group with low 16 bits 0 is left out
    EXPECT_EQ(roots[0].children[0].text, "银行");
    ASSERT_EQ(roots[0].children[0].children.size(), 2u);
    EXPECT_EQ(roots[0].children[0].children[1].text, "N600036");
    EXPECT_EQ(roots[0].children[0].children[1].data, static_cast<LPARAM>(kB));
    EXPECT_EQ(roots[0].children[1].text, "地产");
    EXPECT_EQ(roots[1].text, "概念");
    EXPECT_TRUE(roots[1].children.empty()); // an empty category stays

    view.OnTabCommand(5010);
    // Double click: a stock opens, a group does not.
    tree.SelectItem(FindItem(tree, tree.GetRootItem(), static_cast<LPARAM>(kB)));
    SendTreeNotify(view, tree, 5007, NM_DBLCLK);
    tree.SelectItem(tree.GetChildItem(tree.GetRootItem()));
    SendTreeNotify(view, tree, 5007, NM_DBLCLK);
    auto opens = Of(kViewMsgOpenStock);
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_EQ(opens[0].wParam, static_cast<WPARAM>(kB));

    // Right click: only a stock offers "加入自选股", which adds it.
    for (HTREEITEM item : { tree.GetRootItem(), tree.GetChildItem(tree.GetRootItem()),
             tree.GetNextSiblingItem(tree.GetRootItem()) }) {
        tree.SelectItem(item);
        SendTreeNotify(view, tree, 5007, NM_RCLICK);
    }
    EXPECT_TRUE(view.menus.empty());
    tree.SelectItem(FindItem(tree, tree.GetRootItem(), static_cast<LPARAM>(kD)));
    SendTreeNotify(view, tree, 5007, NM_RCLICK);
    ASSERT_EQ(view.menus.size(), 1u);
    EXPECT_EQ(view.menus[0], (std::pair<UINT, std::string>(5008, "加入自选股")));
    view.SendMessage(WM_COMMAND, MAKEWPARAM(5008, 0), 0);
    auto adds = Of(kViewMsgMenuCommand);
    ASSERT_EQ(adds.size(), 1u);
    EXPECT_EQ(adds[0].wParam, static_cast<WPARAM>(kCmdAddUserStock));
    EXPECT_EQ(adds[0].lParam, static_cast<LPARAM>(kD));
    // The item under the pointer is the one offered, not the one selected before.
    HTREEITEM bank = FindItem(tree, tree.GetRootItem(), static_cast<LPARAM>(kA));
    tree.Expand(tree.GetRootItem());
    tree.Expand(tree.GetNextItem(bank, TVGN_PARENT));
    RECT itemRect;
    ASSERT_TRUE(tree.GetItemRect(bank, &itemRect, true));
    view.pointer = CRect(itemRect).CenterPoint();
    ::ClientToScreen(tree, &view.pointer);
    tree.SelectItem(FindItem(tree, tree.GetRootItem(), static_cast<LPARAM>(kD)));
    SendTreeNotify(view, tree, 5007, NM_RCLICK);
    EXPECT_EQ(tree.GetSelectedItem(), bank);
    ASSERT_EQ(view.menus.size(), 2u);
    view.SendMessage(WM_COMMAND, MAKEWPARAM(5008, 0), 0);
    adds = Of(kViewMsgMenuCommand);
    ASSERT_EQ(adds.size(), 2u);
    EXPECT_EQ(adds[1].lParam, static_cast<LPARAM>(kA));
    // Over a group the menu is not offered, whatever was selected.
    ASSERT_TRUE(tree.GetItemRect(tree.GetChildItem(tree.GetRootItem()), &itemRect, true));
    view.pointer = CRect(itemRect).CenterPoint();
    ::ClientToScreen(tree, &view.pointer);
    SendTreeNotify(view, tree, 5007, NM_RCLICK);
    EXPECT_EQ(view.menus.size(), 2u);
    view.pointer = { -10000, -10000 };

    // 5008 with a group selected adds nothing.
    tree.SelectItem(tree.GetChildItem(tree.GetRootItem()));
    view.SendMessage(WM_COMMAND, MAKEWPARAM(5008, 0), 0);
    EXPECT_EQ(Of(kViewMsgMenuCommand).size(), 2u);

    // 4032 rebuilds the tree from the index as it now is.
    GroupIndex::ReleaseInstance();
    ScopedGroupIndex changed({ { 0x03000000, "地区" }, { 0x03000001, "上海" } }, { { kA, 0x03000001 } });
    view.groups = GroupIndex::Instance();
    EXPECT_EQ(view.Accept(kViewMsgSectorTreeChanged, 0, 0), 1);
    roots = ReadTree(tree, tree.GetRootItem());
    ASSERT_EQ(roots.size(), 1u);
    EXPECT_EQ(roots[0].text, "地区");
    ASSERT_EQ(roots[0].children.size(), 1u);
    EXPECT_EQ(roots[0].children[0].children.size(), 1u);
}

TEST_F(ExtraInfoTest, IndicatorTreeFromTheSimulatorsDefinitions)
{
    view.library = &SimulatedIndicators();
    Create();
    CTreeViewCtrl& tree = view.GetIndicatorTree();
    const std::vector<TreeNode> roots = ReadTree(tree, tree.GetRootItem());
    const char* names[] = { "大势型", "超买超卖型", "趋势型", "能量型", "成交量型", "均线型", "图表型", "路径型",
        "停损型", "交易型", "神系", "龙系", "鬼系", "自定义指标", "特色指标", "五彩K线指标" };
    ASSERT_EQ(roots.size(), 16u);
    size_t listed = 0;
    for (size_t i = 0; i < 16; ++i) {
        EXPECT_EQ(roots[i].text, names[i]);
        EXPECT_EQ(roots[i].data, 0);
        for (const TreeNode& item : roots[i].children) {
            const FormulaDefinition* definition = view.library->FindByNumber(static_cast<int32_t>(item.data));
            ASSERT_NE(definition, nullptr) << item.text;
            EXPECT_EQ(definition->type, static_cast<int32_t>(i + 1));
        }
        listed += roots[i].children.size();
    }
    EXPECT_TRUE(roots[12].children.empty()); // the simulator has no indicator of category 13
    size_t expected = 0;
    for (const auto& entry : view.library->GetDefinitions())
        expected += entry.second.type >= 1 && entry.second.type <= 16 ? 1 : 0;
    EXPECT_EQ(listed, expected);

    // A double click on an indicator shows it; on a category nothing.
    view.OnTabCommand(5011);
    HTREEITEM kdj = FindItem(tree, tree.GetRootItem(), 101);
    ASSERT_NE(kdj, nullptr);
    EXPECT_EQ(tree.GetItemText(kdj), "KDJ");
    tree.SelectItem(kdj);
    SendTreeNotify(view, tree, 5012, NM_DBLCLK);
    tree.SelectItem(tree.GetRootItem());
    SendTreeNotify(view, tree, 5012, NM_DBLCLK);
    SendTreeNotify(view, tree, 5012, NM_RCLICK);
    const auto shows = Of(kViewMsgShowIndicator);
    ASSERT_EQ(shows.size(), 1u);
    EXPECT_EQ(shows[0].wParam, 101u);
    EXPECT_TRUE(view.menus.empty());
    EXPECT_EQ(processor.DispatchCount(), 1u);
}

TEST(ExtraInfoScreenshot, ThreeTabsWithTheSimulatedMarket)
{
    SimMarketTables market;
    CCodeTable codes;
    ASSERT_TRUE(MergeInto(codes, Delivered(market.CodeTableReply())));
    ScopedSimulatedGroups groups;
    ASSERT_TRUE(groups.Ok());
    const FormulaLibrary& library = SimulatedIndicators();

    CViewTestHost host(3 * 218 + 8, 560);
    RecordingMessageProcessor processor;
    CTestExtraInfoView views[3];
    const UINT tabs[] = { 5009, 5010, 5011 };
    for (int i = 0; i < 3; ++i) {
        CTestExtraInfoView& view = views[i];
        view.names = [&codes](uint32_t key) { return codes.GetNameOfKey(key); };
        view.groups = GroupIndex::Instance();
        view.library = &library;
        int32_t added = kAfternoonBeijing;
        for (CodeKey key : { 0x600000u, 0x600036u, 0x1000001u, 0x1000002u, 0x600519u, 0x1A0001u }) {
            if (!codes.GetNameOfKey(key).empty())
                view.entries.push_back({ static_cast<int32_t>(key), added });
            added += 86400 * 3 + 3600;
        }
        view.SetOwner(&processor);
        ASSERT_TRUE(view.Create(host.Handle(), CRect(i * 222, 0, i * 222 + 218, 560), nullptr, WS_CHILD | WS_VISIBLE));
        view.OnTabCommand(tabs[i]);
    }
    ASSERT_GT(views[0].GetUserList().GetItemCount(), 2);
    views[0].GetUserList().SelectItem(1, 0, 0);
    CTreeViewCtrl& sectors = views[1].GetSectorTree();
    HTREEITEM firstGroup = sectors.GetChildItem(sectors.GetRootItem());
    sectors.Expand(sectors.GetRootItem());
    sectors.Expand(firstGroup);
    sectors.SelectItem(sectors.GetChildItem(firstGroup));
    CTreeViewCtrl& indicators = views[2].GetIndicatorTree();
    indicators.Expand(indicators.GetNextSiblingItem(indicators.GetRootItem()));
    indicators.Expand(indicators.GetRootItem());
    PumpPendingMessages();
    host.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpPendingMessages();
    EXPECT_FALSE(SaveWindowScreenshot(host.Handle(), "side_panel").empty());
    // The user list's first row holds the first stock's name.
    EXPECT_EQ(views[0].GetUserList().GetItemText(0, 1), codes.GetNameOfKey(0x600000));
}

namespace {

// Content whose message processor records what the side panel sends.
class CRecordingContent : public CFakeContent
{
public:
    RecordingMessageProcessor processor;
    CMessageProcessor* GetMessageProcessor() override { return &processor; }
};

} // namespace

TEST(ExtraInfoInFrame, TheFrameHostsThePanelAndRoutesItsCommandsAndKeys)
{
    auto content = std::make_unique<CRecordingContent>();
    CRecordingContent* recording = content.get();
    ShellLog log;
    auto frame = std::make_unique<CMainFrame>();
    frame->SetParts(std::move(content), CreateFrameSidePanel(), std::make_unique<CFakePoller>(log));
    frame->SetReleaseSteps({});
    ASSERT_TRUE(frame->CreateFrameWindow());
    ShowWithoutActivating(*frame);
    IFrameSidePanel* panel = frame->GetSidePanel();
    ASSERT_TRUE(panel && panel->GetWindow());
    EXPECT_FALSE(::IsWindowVisible(panel->GetWindow()));
    EXPECT_EQ(recording->processor.Registrations().size(), 4u);

    // The menu command for the sector tree shows the panel on that tab, at the left.
    frame->SendMessage(WM_COMMAND, MAKEWPARAM(5010, 0), 0);
    PumpPendingMessages();
    ASSERT_TRUE(::IsWindowVisible(panel->GetWindow()));
    CRect r;
    ::GetWindowRect(panel->GetWindow(), &r);
    EXPECT_EQ(r.Width(), CMainFrame::kSidePanelWidth);
    HWND sectors = ::GetDlgItem(panel->GetWindow(), 5007);
    EXPECT_TRUE(::IsWindowVisible(sectors));

    // Delete reaches the panel before the accelerators and is consumed.
    MSG msg = {};
    msg.hwnd = sectors;
    msg.message = WM_KEYDOWN;
    msg.wParam = VK_DELETE;
    EXPECT_TRUE(frame->PreTranslateMessage(&msg));
    EXPECT_EQ(recording->processor.DispatchCount(), 0u);

    frame->SendMessage(WM_COMMAND, MAKEWPARAM(5009, 1000), 0);
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(panel->GetWindow(), 5001)));
    // The tab that was left fades out first.
    const DWORD start = ::GetTickCount();
    PumpUntil([start] { return ::GetTickCount() - start > CSkinCmdBar::kSelectionFadeMs + 100; });
    frame->RedrawWindow(nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpPendingMessages();
    EXPECT_FALSE(SaveWindowScreenshot(*frame, "side_panel_in_frame").empty());

    frame->DestroyWindow();
    while (::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) { }
}
