// The quote list as a window: boards filled into the list, sorting and
// re-selection, the user-list board's order, drag and drop and Delete, the
// commands it forwards, a refresh from a worker thread, and a picture of the
// simulated market.
#include <gtest/gtest.h>

#include <map>
#include <thread>

#include "base/MemoryStream.h"
#include "data/CodeTable.h"
#include "data/DataLock.h"
#include "data/GroupData.h"
#include "tests/support/TempDirectory.h"
#include "tests/support/ViewFixtures.h"
#include "tests/support/ViewTesting.h"
#include "tests/support/WindowTesting.h"
#include "tools/marketdata/SimMarketTables.h"
#include "views/ReportView.h"
#include "views/ViewDataSource.h"

namespace {

// The quotes, names and browse list the test view reads. A base of the view,
// so that they are there before the view is.
struct ReportTestData : IViewDataSource
{
    // The process's data lock, which is the data center's.
    CriticalSection* DataLock() override { return &GetDataLock(); }
    QuoteMap GetQuotes() override
    {
        SingleLock lock(&m_quotesLock);
        return quotes;
    }
    void GetCodeAndName(CodeKey key, std::string& code, std::string& name) override
    {
        auto found = names.find(key);
        code = found != names.end() ? found->second.first : CodeOfKey(key);
        name = found != names.end() ? found->second.second : std::string();
    }
    StockPagingList* GetPagingList() override { return &paging; }

    QuoteMap quotes;
    std::map<CodeKey, std::pair<std::string, std::string>> names;
    StockPagingList paging;
    CriticalSection m_quotesLock;
};

// The view over its own quotes, names, user list and browse list.
class CTestReportView : public ReportTestData, public CReportView
{
public:
    explicit CTestReportView(CMessageProcessor* owner)
        : CReportView(owner, this)
    {
    }
    mutable UserStockList users;

protected:
    UserStockList* GetUserList() const override { return &users; }
};

const CodeKey kA = 0x600000;
const CodeKey kB = 0x600036;
const CodeKey kC = 0x600100;
const CodeKey kD = 0x01000001;
const CodeKey kUnquoted = 0x600999;

class ReportViewTest : public testing::Test
{
protected:
    void SetUp() override
    {
        view.quotes[kA] = MakeQuote(kA, 10.5f, 10); // +5 %
        view.quotes[kB] = MakeQuote(kB, 9, 10); // -10 %
        view.quotes[kC] = MakeQuote(kC, 11, 10); // +10 %
        view.quotes[kD] = MakeQuote(kD, 10, 10); // 0 %
        for (CodeKey key : { kA, kB, kC, kD })
            view.names[key] = { CodeOfKey(key), "N" + CodeOfKey(key) };
        for (CodeKey key : { kC, kUnquoted, kA, kB })
            view.users.Add(static_cast<int32_t>(key), 1);
        ASSERT_TRUE(view.Create(host.Handle(), host.ClientRect()));
    }

    std::vector<CodeKey> Rows()
    {
        std::vector<CodeKey> keys;
        for (int row = 0; row < list().GetItemCount(); ++row) {
            uint32_t data = 0;
            list().GetItemData(row, data);
            keys.push_back(data);
        }
        return keys;
    }
    std::vector<CodeKey> UserOrder()
    {
        std::vector<CodeKey> keys;
        for (const auto& entry : view.users.GetEntries())
            keys.push_back(static_cast<CodeKey>(entry.first));
        return keys;
    }
    CMySkinListCtrl& list() { return view.GetList(); }

    CViewTestHost host { 900, 500 };
    RecordingMessageProcessor processor;
    CTestReportView view { &processor };
};

typedef std::vector<CodeKey> Keys;

} // namespace

TEST_F(ReportViewTest, CreatesColumnsTabsAndLayout)
{
    EXPECT_EQ(processor.RegisteredIds(&view), (std::vector<UINT> { 256, 522, 4031, 4032 }));
    EXPECT_EQ(list().GetColumnCount(), 13);
    EXPECT_EQ(view.GetBoardStrip().GetItemCount(), 9);
    EXPECT_EQ(view.GetCurrentBoard(), 0);
    EXPECT_EQ(Rows(), (Keys { kA, kB, kC }));
    RECT client = host.ClientRect();
    CRect listRect;
    ::GetWindowRect(list().m_hWnd, &listRect);
    ::ScreenToClient(view.m_hWnd, reinterpret_cast<POINT*>(&listRect));
    ::ScreenToClient(view.m_hWnd, reinterpret_cast<POINT*>(&listRect) + 1);
    EXPECT_EQ(listRect.bottom, client.bottom - 17);
    CRect strip;
    ::GetWindowRect(view.GetBoardStrip().m_hWnd, &strip);
    CRect scroll;
    ::GetWindowRect(view.GetScrollBar().m_hWnd, &scroll);
    EXPECT_EQ(strip.Width(), 640);
    EXPECT_EQ(scroll.left, strip.right);
    EXPECT_EQ(scroll.Height(), 17);
}

TEST_F(ReportViewTest, RowsCarryTextsColoursAndKeys)
{
    ASSERT_EQ(Rows(), (Keys { kA, kB, kC }));
    EXPECT_EQ(list().GetItemText(0, 1), "600000");
    EXPECT_EQ(list().GetItemText(0, 2), "N600000");
    EXPECT_EQ(list().GetItemText(0, 3), "5.00");
    EXPECT_EQ(list().GetItemText(1, 5), "-1.00");
    COLORREF background = 0;
    COLORREF text = 0;
    ASSERT_TRUE(list().GetItemColors(0, 4, background, text));
    EXPECT_EQ(text, static_cast<COLORREF>(0x3C3CFF));
    ASSERT_TRUE(list().GetItemColors(1, 4, background, text));
    EXPECT_EQ(text, static_cast<COLORREF>(0x00C800));
    EXPECT_EQ(list().GetItemKind(0, 0), 11);
    EXPECT_EQ(list().GetItemKind(0, 7), 9);
}

TEST_F(ReportViewTest, RankingKeepsItsOrderAcrossRefreshes)
{
    view.ShowBoard(kBoardAllA, 3);
    EXPECT_EQ(Rows(), (Keys { kC, kA, kD, kB }));
    EXPECT_EQ(view.GetBoardParam(), 3);
    view.quotes[kD] = MakeQuote(kD, 12, 10); // now +20 %
    view.ShowBoard(kBoardAllA, 0);
    EXPECT_EQ(Rows(), (Keys { kD, kC, kA, kB }));
}

TEST_F(ReportViewTest, ReselectsTheRowOnTheSameBoardOnly)
{
    view.ShowBoard(kBoardAllA, 0);
    ASSERT_TRUE(list().SelectOnly(2));
    view.ShowBoard(kBoardAllA, 0);
    EXPECT_EQ(list().GetSelectedItem(), 2);
    EXPECT_EQ(view.paging.GetCursor(), 2);
    view.ShowBoard(kBoardShanghaiA, 0);
    EXPECT_EQ(list().GetSelectedItem(), 0);
}

TEST_F(ReportViewTest, UserBoardOrderReturnsAfterAHeaderSort)
{
    view.ShowBoard(kBoardUserList, 0);
    EXPECT_EQ(Rows(), (Keys { kC, kA, kB }));
    EXPECT_TRUE(list().m_options.rowDragging);
    list().SortByColumn(1, 1, false);
    EXPECT_EQ(Rows(), (Keys { kA, kB, kC }));
    EXPECT_FALSE(list().m_options.rowDragging);
    view.ShowBoard(kBoardUserList, 0);
    EXPECT_EQ(Rows(), (Keys { kC, kA, kB }));
    EXPECT_TRUE(list().m_options.rowDragging);
    view.ShowBoard(kBoardShanghaiA, 0);
    EXPECT_FALSE(list().m_options.rowDragging);
}

TEST_F(ReportViewTest, ADropSwapsTheUserListEntriesOfTheRows)
{
    TempDirectory dir;
    view.ShowBoard(kBoardUserList, 0);
    // Row 1 (600000) dropped on row 2 (600036); 600999 has no row.
    list().OnRowDragOver(1);
    list().OnRowDragOver(2);
    list().OnRowDrop(2);
    EXPECT_EQ(Rows(), (Keys { kC, kB, kA }));
    EXPECT_EQ(UserOrder(), (Keys { kC, kUnquoted, kB, kA }));
    // What is saved shows the same order as the rows.
    const std::string path = dir.Path() + "usrstock.dat";
    ASSERT_EQ(view.users.Save(path.c_str()), 1);
    UserStockList reread;
    ASSERT_EQ(reread.Load(path.c_str()), 1);
    EXPECT_EQ(reread.GetEntries(), view.users.GetEntries());
    view.ShowBoard(kBoardUserList, 0);
    EXPECT_EQ(Rows(), (Keys { kC, kB, kA }));
}

TEST_F(ReportViewTest, DeleteRemovesTheSelectedStockOfTheUserBoardOnly)
{
    view.ShowBoard(kBoardUserList, 0);
    ASSERT_TRUE(list().SelectOnly(1));
    view.Accept(kViewMsgKeyDown, VK_DELETE, 0);
    const std::vector<DispatchRecord> sent = processor.Dispatches();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].messageId, 4030u);
    EXPECT_EQ(sent[0].wParam, static_cast<WPARAM>(kCmdRemoveUserStock));
    EXPECT_EQ(sent[0].lParam, static_cast<LPARAM>(kA));
    // Two selected (the second added with Ctrl): the first selected row's
    // stock leaves, once.
    ASSERT_TRUE(list().SelectOnly(0));
    ASSERT_TRUE(list().SelectItem(2, -1, MK_CONTROL));
    ASSERT_EQ(list().GetSelection().size(), 2u);
    view.Accept(kViewMsgKeyDown, VK_DELETE, 0);
    ASSERT_EQ(processor.DispatchCount(), 2u);
    EXPECT_EQ(processor.Dispatches()[1].lParam, static_cast<LPARAM>(Rows()[0]));
    // Nothing selected, or another board: Delete does nothing.
    list().ClearSelection();
    view.Accept(kViewMsgKeyDown, VK_DELETE, 0);
    view.ShowBoard(kBoardShanghaiA, 0);
    view.Accept(kViewMsgKeyDown, VK_DELETE, 0);
    EXPECT_EQ(processor.DispatchCount(), 2u);
}

TEST_F(ReportViewTest, CommandsWithoutASelectedRowDoNothing)
{
    list().ClearSelection();
    view.Accept(kViewMsgKeyDown, VK_RETURN, 0);
    view.SendMessage(WM_COMMAND, kCmdAddUserStock, 0);
    view.SendMessage(WM_COMMAND, kCmdRemoveUserStock, 0);
    EXPECT_EQ(processor.DispatchCount(), 0u);
    // Stray commands neither show a board nor reach the panel.
    view.SendMessage(WM_COMMAND, 123, 0);
    EXPECT_EQ(view.GetCurrentBoard(), 0);

    ASSERT_TRUE(list().SelectOnly(1));
    view.SendMessage(WM_COMMAND, kCmdAddUserStock, 0);
    view.SendMessage(WM_COMMAND, 4105, 0);
    view.Accept(kViewMsgKeyDown, VK_RETURN, 0);
    const std::vector<DispatchRecord> sent = processor.Dispatches();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0].lParam, static_cast<LPARAM>(kB));
    EXPECT_EQ(sent[1].wParam, 4105u);
    EXPECT_EQ(sent[1].lParam, 0);
    EXPECT_EQ(sent[2].messageId, static_cast<UINT>(kViewMsgOpenStock));
    EXPECT_EQ(sent[2].wParam, static_cast<WPARAM>(kB));
}

// A stock opened from the user's board becomes current in the user's list:
// the browse list is that board's before the panel hears of the stock, so
// Page Down then moves to the next stock of the user's board.
TEST_F(ReportViewTest, AStockOpenedFromTheUserBoardPagesThroughThatBoard)
{
    // Stands in for the panel, which makes the stock current in the browse list.
    struct CSelectOnOpen : CMessageAcceptor
    {
        StockPagingList* paging = nullptr;
        int Accept(UINT messageId, WPARAM wParam, LPARAM) override
        {
            if (messageId == kViewMsgOpenStock)
                paging->Select(static_cast<int32_t>(wParam));
            return 1;
        }
    } panel;
    panel.paging = &view.paging;
    processor.Register(kViewMsgOpenStock, &panel);
    view.ShowBoard(kBoardUserList, 0);
    // The browse list of a board shown before, in its own order.
    view.paging.Clear();
    for (CodeKey key : { kA, kB, kC })
        view.paging.Add(static_cast<int32_t>(key));
    ASSERT_EQ(Rows(), (Keys { kC, kA, kB }));
    ASSERT_TRUE(list().SelectOnly(1));
    view.Accept(kViewMsgKeyDown, VK_RETURN, 0);
    EXPECT_EQ(view.paging.Next(), static_cast<int32_t>(kB));
}

TEST_F(ReportViewTest, SectorMenuCommandsShowTheirGroup)
{
    ScopedGroupIndex groups({ { 0x01000000, "行业" }, { 0x01000FA0, "四千" } }, { { kD, 0x01000FA0 } });
    ASSERT_TRUE(groups.Ok());
    ASSERT_NE(view.BuildSectorMenu(), nullptr);
    ASSERT_EQ(view.GetSectorCommands().size(), 1u);
    view.SendMessage(WM_COMMAND, kSectorCommandFirst, 0);
    EXPECT_EQ(view.GetCurrentBoard(), 0x01000FA0);
    EXPECT_EQ(Rows(), (Keys { kD }));
    EXPECT_EQ(processor.DispatchCount(), 0u);
}

TEST_F(ReportViewTest, AWorkerRefreshWhileTheUiHoldsTheDataLockDoesNotBlock)
{
    view.ShowBoard(kBoardAllA, 0);
    std::atomic<int> refreshes { 0 };
    std::atomic<bool> stop { false };
    std::thread worker([&] {
        while (!stop.load() && refreshes.load() < 200) {
            SingleLock lock(&GetDataLock());
            {
                SingleLock quotes(&view.m_quotesLock);
                view.quotes[kA].last += 0.01f;
            }
            view.Accept(kViewMsgQuotesRefreshed, 0, 0);
            ++refreshes;
        }
    });
    CDib32 image;
    const DWORD start = ::GetTickCount();
    while (refreshes.load() < 200 && ::GetTickCount() - start < 10000) {
        {
            SingleLock lock(&GetDataLock());
            RenderClient(list().m_hWnd, image);
        }
        PumpPendingMessages();
    }
    stop = true;
    worker.join();
    EXPECT_EQ(refreshes.load(), 200);
    PumpPendingMessages();
    EXPECT_EQ(Rows(), (Keys { kD, kA, kB, kC })); // by code: "000001" first
}

namespace {

// The view's quotes and names from the simulated market's replies.
void FillFromSimulatedMarket(CTestReportView& view)
{
    SimMarketTables market;
    CCodeTable codes;
    {
        CMemoryStream stream;
        const std::string bytes = SimMarketTables::Delivered(market.CodeTableReply());
        stream.Write(bytes.data(), static_cast<int32_t>(bytes.size()));
        stream.Seek(0, 0);
        ASSERT_EQ(codes.Merge(&stream), 1);
    }
    CReportData quotes;
    {
        CMemoryStream stream;
        const std::string bytes = SimMarketTables::Delivered(market.QuotesReply());
        stream.Write(bytes.data(), static_cast<int32_t>(bytes.size()));
        stream.Seek(0, 0);
        ASSERT_EQ(quotes.Merge(0, &stream), 1);
    }
    view.quotes = quotes.GetQuoteMap();
    for (const auto& item : view.quotes)
        view.names[item.first] = { codes.GetCodeOfKey(item.first), codes.GetNameOfKey(item.first) };
}

// The view over the simulated market, all A shares ranked by change.
class ReportViewScreenshot : public testing::Test
{
protected:
    void SetUp() override
    {
        FillFromSimulatedMarket(view);
        ASSERT_TRUE(view.Create(host.Handle(), host.ClientRect()));
        view.ShowBoard(kBoardAllA, 3);
        ASSERT_GT(view.GetList().GetItemCount(), 20);
        PumpPendingMessages();
    }

    CViewTestHost host { 1000, 600 };
    RecordingMessageProcessor processor;
    CTestReportView view { &processor };
};

} // namespace

TEST_F(ReportViewScreenshot, ShowsTheSimulatedMarket)
{
    EXPECT_FALSE(SaveWindowScreenshot(host.Handle(), "quote_list").empty());
    // The first row is the largest rise: its price column is in the rising colour.
    COLORREF background = 0;
    COLORREF text = 0;
    ASSERT_TRUE(view.GetList().GetItemColors(0, 4, background, text));
    EXPECT_EQ(text, static_cast<COLORREF>(0x3C3CFF));
}

// Made narrower and shorter, the list's columns no longer fit: the bar below
// takes the hidden width as its range, its far right shows the last column,
// and the last row can be reached.
TEST_F(ReportViewScreenshot, AResizedListScrollsToItsLastColumnAndRow)
{
    CMySkinListCtrl& list = view.GetList();
    const int rows = list.GetItemCount();

    view.MoveWindow(CRect(0, 0, 760, 300));
    const int total = list.GetTotalWidth();
    const int clientWidth = list.GetClientRect().Width();
    ASSERT_GT(total, clientWidth + 100);
    CSkinHScrollbar& bar = view.GetScrollBar();
    int low = -1, high = -1;
    ::GetScrollRange(bar, SB_CTL, &low, &high);
    EXPECT_EQ(0, low);
    EXPECT_EQ(total - 1 - clientWidth, high);

    // The bar's right arrow held down until the bar stops moving.
    int before = -1;
    while (list.GetScrollPosition(SB_HORZ) != before) {
        before = list.GetScrollPosition(SB_HORZ);
        list.SendMessage(WM_HSCROLL, SB_LINERIGHT, reinterpret_cast<LPARAM>(bar.m_hWnd));
    }
    EXPECT_EQ(high, list.GetScrollPosition(SB_HORZ));
    CRect last;
    ASSERT_TRUE(list.GetHeaderItemRect(list.GetColumnCount() - 1, last));
    EXPECT_GT(last.left, 0);
    EXPECT_LE(last.right, clientWidth + 1) << "the last column shows whole";

    list.SendMessage(WM_VSCROLL, SB_BOTTOM);
    EXPECT_TRUE(list.IsCellVisible(rows - 1, -1, false)) << "the last row shows";
    PumpPendingMessages();
    EXPECT_FALSE(SaveWindowScreenshot(view.m_hWnd, "quote_list_resized_last_column").empty());

    // Wide enough again: the columns fit, the range goes and the first column shows.
    view.MoveWindow(CRect(0, 0, total + 40, 300));
    ::GetScrollRange(bar, SB_CTL, &low, &high);
    EXPECT_EQ(0, high);
    EXPECT_EQ(0, list.GetScrollPosition(SB_HORZ));
}

namespace {

// What happens while the sector menu is open, run from a thread timer that
// the menu's loop dispatches: a refresh arrives, then a sector is chosen.
CTestReportView* g_menuView = nullptr;
int g_menuStep = 0;
void CALLBACK RefreshThenChooseASector(HWND, UINT, UINT_PTR, DWORD)
{
    HWND popup = ::FindWindowA("#32768", nullptr);
    if (!g_menuView || !popup || !::IsWindowVisible(popup))
        return;
    if (g_menuStep == 0) {
        // The five-second refresh, as a worker announces it.
        g_menuView->Accept(kViewMsgQuotesRefreshed, 0, 0);
        g_menuStep = 1;
    } else if (g_menuStep == 1) {
        // The first sector: the menu sends its command as it closes.
        g_menuView->PostMessage(WM_COMMAND, kSectorCommandFirst, 0);
        ::EndMenu();
        g_menuStep = 2;
    }
}

} // namespace

TEST_F(ReportViewTest, TheSectorTabStaysHighlightedWhenARefreshRunsDuringItsMenu)
{
    ScopedGroupIndex groups({ { 0x01000000, "行业" }, { 0x01000FA0, "四千" } }, { { kD, 0x01000FA0 } });
    ASSERT_TRUE(groups.Ok());
    ShowWithoutActivating(host.Handle());
    view.ShowBoard(kBoardAllA, 0);
    CSkinFlatTabCtrl& strip = view.GetBoardStrip();
    ASSERT_EQ(strip.GetCurSel(), kBoardAllA);

    g_menuView = &view;
    g_menuStep = 0;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &RefreshThenChooseASector);
    RECT tab {};
    ASSERT_TRUE(strip.GetItemRect(kBoardSectorMenu, &tab));
    const LPARAM at = MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
    strip.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
    strip.SendMessage(WM_LBUTTONUP, 0, at);
    EXPECT_TRUE(PumpUntil([&] { return g_menuStep == 2 && view.GetCurrentBoard() == 0x01000FA0; }, 5000));
    ::KillTimer(nullptr, timer);
    g_menuView = nullptr;
    PumpPendingMessages();
    EXPECT_EQ(view.GetCurrentBoard(), 0x01000FA0);
    EXPECT_EQ(Rows(), (Keys { kD }));
    EXPECT_EQ(strip.GetCurSel(), kBoardSectorMenu) << "the sector tab, not the previous board's";

    // Back on a fixed board its own tab shows, whatever refreshes.
    view.ShowBoard(kBoardShanghaiA, 0);
    view.Accept(kViewMsgQuotesRefreshed, 0, 0);
    PumpPendingMessages();
    EXPECT_EQ(strip.GetCurSel(), kBoardShanghaiA);
}
