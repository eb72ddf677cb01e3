// The ranking replies: the four record layouts read with bounds, the rows a
// page makes of them, and the dialog filled from a reply and from the
// web-service simulator.
#include "app/RankingRecords.h"
#include "app/StatisTicalDlg.h"
#include "net/HttpClient.h"
#include "net/ServiceBaseUrl.h"
#include "tests/menu/MenuTesting.h"
#include "tools/marketdata/SimMarketTables.h"
#include "tools/webservice/SimRankingService.h"
#include "tools/websim/WebSimServer.h"
#include "views/MessageProcessor.h"
#include "views/ViewIds.h"
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>

namespace {

RankingRecordHead Head(uint32_t key, const char* market, const char* code, const char* name)
{
    RankingRecordHead head;
    std::memset(&head, 0, sizeof(head));
    head.key = key;
    std::memcpy(head.market, market, 2);
    std::memcpy(head.code, code, std::strlen(code) < sizeof(head.code) ? std::strlen(code) : sizeof(head.code));
    std::memcpy(head.name, name, std::strlen(name) < sizeof(head.name) ? std::strlen(name) : sizeof(head.name));
    return head;
}

template <class Record> std::string Bytes(const Record& record)
{
    return std::string(reinterpret_cast<const char*>(&record), sizeof(record));
}

std::string R62(uint32_t key, const char* market, const char* code, float price, float volume, float change,
    int16_t side)
{
    RankingRecordR62 r;
    r.head = Head(key, market, code, "股票");
    r.price = price;
    r.volume = volume;
    r.change = change;
    r.side = side;
    return Bytes(r);
}

std::vector<RankingRecord> Parse(const std::string& body, RankingLayout layout)
{
    return ParseRankingReply(reinterpret_cast<const uint8_t*>(body.data()), body.size(), layout);
}

class RecordingHub : public CMessageProcessor
{
public:
    int Register(UINT, CMessageAcceptor*) override { return 1; }
    int Dispatch(UINT id, WPARAM wp, LPARAM lp) override
    {
        calls.push_back({ id, wp, lp });
        return 0;
    }
    struct Call
    {
        UINT id;
        WPARAM wp;
        LPARAM lp;
    };
    std::vector<Call> calls;
};

} // namespace

TEST(RankingReply, EachLayoutIsReadAtItsOffsets)
{
    RankingRecordR60 r60;
    r60.head = Head(0x600000, "SH", "600000", "浦发银行");
    r60.days = 7;
    r60.priceThousandths = 7850;
    r60.changeThousandths = -2345;
    r60.side = -1;
    std::vector<RankingRecord> records = Parse(Bytes(r60), RankingLayout::R60);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].key, 0x600000u);
    EXPECT_EQ(records[0].code, "600000");
    EXPECT_EQ(records[0].name, "浦发银行");
    EXPECT_EQ(records[0].days, 7u);
    EXPECT_DOUBLE_EQ(records[0].values[0], 7.85);
    EXPECT_DOUBLE_EQ(records[0].values[1], -2.345);
    EXPECT_EQ(records[0].side, -1);

    records = Parse(R62(1, "SZ", "000001", 12.5f, 3.0e6f, 4.25f, 1), RankingLayout::R62);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_FLOAT_EQ(static_cast<float>(records[0].values[1]), 3.0e6f);
    EXPECT_FLOAT_EQ(static_cast<float>(records[0].values[2]), 4.25f);
    EXPECT_EQ(records[0].side, 1);

    RankingRecordR54 r54;
    r54.head = Head(2, "SH", "600519", "贵州茅台酒");
    r54.price = 1650.5f;
    r54.side = 1;
    records = Parse(Bytes(r54), RankingLayout::R54);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_FLOAT_EQ(static_cast<float>(records[0].values[0]), 1650.5f);

    RankingRecordR58 r58;
    r58.head = Head(3, "SZ", "300001", "特锐德");
    r58.first = 2.5f;
    r58.second = 18.25f;
    r58.side = -1;
    records = Parse(Bytes(r58), RankingLayout::R58);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_FLOAT_EQ(static_cast<float>(records[0].values[1]), 18.25f);
    EXPECT_EQ(records[0].side, -1);
}

TEST(RankingReply, IncompleteTailsAreDroppedAndTextsEndInTheirFields)
{
    const std::string one = R62(1, "SH", "600000", 1, 1, 1, 1);
    const std::string body = one + one + one.substr(0, 61);
    EXPECT_EQ(Parse(body, RankingLayout::R62).size(), 2u);
    EXPECT_EQ(Parse(one.substr(0, 47), RankingLayout::R62).size(), 0u);
    EXPECT_EQ(Parse(std::string(), RankingLayout::R58).size(), 0u);
    // 58 bytes read as R60 are not one record.
    EXPECT_EQ(Parse(std::string(58, '\0'), RankingLayout::R60).size(), 0u);

    // Code and name without terminators stop at their fields' ends, and a
    // name cut inside a character loses the half character.
    RankingRecordR54 r;
    std::memset(&r, 'A', sizeof(r));
    std::memcpy(r.head.market, "SZ", 2);
    for (int i = 0; i < 30; i += 2)
        std::memcpy(r.head.name + i, "股", 2);
    r.head.name[30] = 'x';
    r.head.name[31] = '\xB9'; // a lead byte at the field's end
    const std::vector<RankingRecord> records = Parse(Bytes(r), RankingLayout::R54);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].code, std::string(10, 'A'));
    EXPECT_EQ(records[0].name.size(), 31u);
    EXPECT_EQ(records[0].name.back(), 'x');
    EXPECT_EQ(records[0].name.substr(0, 2), "股");
}

TEST(RankingPages, RowsBySideAndMarket)
{
    const std::string body = R62(1, "SH", "600001", 10, 2.0e8f, 5, 1) + R62(2, "SZ", "000002", 11, 3.0e4f, 4, 1)
        + R62(3, "SH", "600003", 9, 100, -3, -1) + R62(4, "SZ", "000004", 8, 200, -6, -1)
        + R62(5, "SB", "200005", 7, 300, -9, -1);
    const std::vector<RankingRecord> records = Parse(body, RankingLayout::R62);
    const RankingPage* up = FindRankingPage(4047);
    const RankingPage* down = FindRankingPage(4048);
    ASSERT_TRUE(up && down);
    EXPECT_EQ(down->sortColumn, 5);
    EXPECT_TRUE(down->ascending);
    EXPECT_FALSE(up->ascending);

    std::vector<RankingRow> rows = RankingRowsFor(*up, records, 0);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].cells, (std::vector<std::string> { "600001", "股票", "10.00", "2.00亿", "5.00" }));
    EXPECT_EQ(rows[1].cells[3], "3.00万");
    EXPECT_EQ(RankingRowsFor(*down, records, 0).size(), 3u);
    rows = RankingRowsFor(*down, records, 1);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].key, 3u);
    rows = RankingRowsFor(*down, records, -1);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].key, 4u);
    EXPECT_TRUE(RankingRowsFor(*down, records, 2).empty());
    EXPECT_EQ(FindRankingPage(4044), nullptr);
    EXPECT_EQ(FindRankingPage(4057), nullptr);
}

namespace {

// The dialog modeless on a reply of the test's.
class RankingDialog : public ::testing::Test
{
protected:
    HWND Open(UINT command, const std::string& body)
    {
        dialog.SetCommand(command);
        dialog.SetDispatcher(&hub);
        dialog.SetFetcher([this, body](const std::string& url, std::string& out) {
            urls.push_back(url);
            out = body;
            return true;
        });
        return dialog.Create(nullptr);
    }
    void TearDown() override
    {
        if (dialog.m_hWnd)
            dialog.DestroyWindow();
    }
    std::vector<std::string> Column(int key)
    {
        std::vector<std::string> texts;
        for (int row = 0; row < dialog.GetList().GetItemCount(); ++row)
            texts.push_back(dialog.GetList().GetItemText(row, key));
        return texts;
    }

    CStatisTicalDlg dialog;
    RecordingHub hub;
    std::vector<std::string> urls;
};

} // namespace

TEST_F(RankingDialog, FallsSortAscendingAndFiltersRenumber)
{
    const std::string body = R62(1, "SH", "600001", 10, 100, 5, 1) + R62(3, "SH", "600003", 9, 100, -3, -1)
        + R62(4, "SZ", "000004", 8, 200, -9.5f, -1) + R62(6, "SH", "600006", 8, 200, -6, -1);
    HWND hwnd = Open(4048, body);
    ASSERT_TRUE(hwnd);
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(urls[0], ServiceBaseUrl::Get() + "Zentu/live/live.php?type=3");
    EXPECT_EQ(dialog.GetList().GetColumnCount(), 6);
    // The largest fall first.
    EXPECT_EQ(Column(1), (std::vector<std::string> { "000004", "600006", "600003" }));
    EXPECT_EQ(Column(0), (std::vector<std::string> { "1", "2", "3" }));
    COLORREF background = 0;
    COLORREF text = 0;
    ASSERT_TRUE(dialog.GetList().GetItemColors(0, 5, background, text));
    EXPECT_EQ(background, RGB(255, 255, 255));
    EXPECT_EQ(text, RGB(128, 0, 128));

    ::SendMessageA(::GetDlgItem(hwnd, IDC_STATISTICS_SHANGHAI), BM_CLICK, 0, 0);
    EXPECT_EQ(dialog.GetFilter(), 1);
    EXPECT_EQ(Column(1), (std::vector<std::string> { "600006", "600003" }));
    EXPECT_EQ(Column(0), (std::vector<std::string> { "1", "2" }));
    ::SendMessageA(::GetDlgItem(hwnd, IDC_STATISTICS_SHENZHEN), BM_CLICK, 0, 0);
    EXPECT_EQ(Column(1), (std::vector<std::string> { "000004" }));
    EXPECT_EQ(urls.size(), 1u) << "the filter does not fetch again";
}

TEST_F(RankingDialog, RowsOpenTheirStockAndTheMenuNeedsASelection)
{
    RankingRecordR60 r;
    r.head = Head(0x600000, "SH", "600000", "浦发银行");
    r.days = 3;
    r.priceThousandths = 7800;
    r.changeThousandths = 4500;
    r.side = 1;
    HWND hwnd = Open(4045, Bytes(r));
    ASSERT_TRUE(hwnd);
    ASSERT_EQ(dialog.GetList().GetItemCount(), 1);
    EXPECT_EQ(dialog.GetList().GetItemText(0, 3), "3");
    EXPECT_EQ(dialog.GetList().GetItemText(0, 5), "4.50");

    // "加入自选股" without a selected row sends nothing.
    ::SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(kCmdAddUserStock, 0), 0);
    EXPECT_TRUE(hub.calls.empty());

    dialog.OpenRowStock(0);
    ASSERT_EQ(hub.calls.size(), 1u);
    EXPECT_EQ(hub.calls[0].id, static_cast<UINT>(kViewMsgOpenStockInMode));
    EXPECT_EQ(hub.calls[0].wp, static_cast<WPARAM>(0x600000));
    EXPECT_EQ(hub.calls[0].lp, 1);
    dialog.OpenRowStock(-1);
    EXPECT_EQ(hub.calls.size(), 1u);

    dialog.GetList().SelectItem(0, 0, 0);
    hub.calls.clear();
    ::SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(kCmdAddUserStock, 0), 0);
    ASSERT_EQ(hub.calls.size(), 1u);
    EXPECT_EQ(hub.calls[0].id, static_cast<UINT>(kViewMsgMenuCommand));
    EXPECT_EQ(hub.calls[0].wp, static_cast<WPARAM>(kCmdAddUserStock));
    EXPECT_EQ(hub.calls[0].lp, 0x600000);

    // WM_CLOSE alone leaves the dialog open.
    ::SendMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(::IsWindow(hwnd));
}

TEST_F(RankingDialog, AFailedDownloadShowsTheColumnsAndNoRows)
{
    dialog.SetCommand(4051);
    dialog.SetFetcher([](const std::string&, std::string&) { return false; });
    ASSERT_TRUE(dialog.Create(nullptr));
    EXPECT_EQ(dialog.GetList().GetColumnCount(), 5);
    EXPECT_EQ(dialog.GetList().GetItemCount(), 0);
}

// A web server that drips its ranking must not stop the UI thread.
TEST_F(RankingDialog, TheUiThreadAnswersWhileTheRankingIsFetched)
{
    HWND probe = ::CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(probe);
    HangingFetch fetch;
    fetch.probe = probe;
    dialog.SetCommand(4051);
    dialog.SetFetcher(std::ref(fetch));
    ASSERT_TRUE(dialog.Create(nullptr));
    EXPECT_TRUE(fetch.answered);
    EXPECT_EQ(dialog.GetList().GetItemCount(), 0);
    ::DestroyWindow(probe);
}

TEST(RankingEndToEnd, TheDialogFillsFromTheSimulator)
{
    SimMarketTables tables;
    SimRankingService rankings(tables.Securities());
    WebSimServer web;
    rankings.Install(web);
    ASSERT_TRUE(web.Start(0));
    const std::string previousBase = ServiceBaseUrl::Get();
    ServiceBaseUrl::Set(web.Url("/"));
    for (UINT command : { 4045u, 4048u, 4053u, 4056u }) {
        CStatisTicalDlg dialog;
        dialog.SetCommand(command);
        HWND hwnd = dialog.Create(nullptr);
        ASSERT_TRUE(hwnd);
        const int rows = dialog.GetList().GetItemCount();
        EXPECT_EQ(rows, 2 * SimRankingService::kEntriesPerList) << command;
        for (int row = 0; row < rows; ++row) {
            uint32_t key = 0;
            ASSERT_TRUE(dialog.GetList().GetItemData(row, key));
            EXPECT_NE(tables.Find(key), nullptr) << command << " row " << row;
        }
        if (command == 4048) {
            EXPECT_FALSE(ShowAndCapture(hwnd, "menu_ranking").empty());
        }
        dialog.DestroyWindow();
    }
    // A reply cut inside a record shows the whole records before it.
    rankings.SetTruncateAt(62 * 5 + 30);
    CStatisTicalDlg dialog;
    dialog.SetCommand(4047);
    ASSERT_TRUE(dialog.Create(nullptr));
    EXPECT_EQ(dialog.GetRecords().size(), 5u);
    dialog.DestroyWindow();
    ServiceBaseUrl::Set(previousBase);
    web.Stop();
}
