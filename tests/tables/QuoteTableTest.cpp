// The quote table: replies, the refresh requests, counting, file round trip.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "data/DataUpdateNotify.h"
#include "data/ReportData.h"
#include "tests/support/TempDataRoot.h"
#include "tests/tables/TableTestSupport.h"

namespace {

struct WireQuote
{
    uint32_t key;
    uint32_t last;
    uint32_t previousClose;
};

std::string QuoteReply(int32_t word1, int32_t word2, const std::vector<WireQuote>& quotes)
{
    Bytes b;
    b.I32(word1).I32(word2);
    int serial = 0;
    for (const WireQuote& q : quotes) {
        b.I32(serial++).U32(q.key).U32(q.last).U32(1500).U32(2500).U32(q.previousClose);
        // The day's range holds the open (the previous close here) and the last price.
        const uint32_t high = std::max(q.last, q.previousClose) + 100;
        const uint32_t low = std::min(q.last, q.previousClose);
        b.U32(q.previousClose).U32(high).U32(low > 100 ? low - 100 : 0);
    }
    return b.data;
}

// Counts notices and lets a test wait for them.
class NoticeCounter : public CDataUpdateNotiy
{
public:
    NoticeCounter()
        : m_event(::CreateEventA(nullptr, FALSE, FALSE, nullptr))
    {
    }
    ~NoticeCounter() override { ::CloseHandle(m_event); }
    int OnDataUpdate(int kind, uint32_t key) override
    {
        lastKind = kind;
        lastKey = key;
        ++count;
        ::SetEvent(m_event);
        return 0;
    }
    bool Wait() { return ::WaitForSingleObject(m_event, 30000) == WAIT_OBJECT_0; }

    std::atomic<int> count { 0 };
    int lastKind = -1;
    uint32_t lastKey = 1;

private:
    HANDLE m_event;
};

// Waits until the table has no refresh in flight (the callback's last step).
bool WaitNotPending(CReportData& table)
{
    for (int i = 0; i < 3000 && table.IsRequestPending(); ++i)
        ::Sleep(10);
    return !table.IsRequestPending();
}

} // namespace

TEST(QuoteTable, MergeConvertsAndReplacesTheWholeTable)
{
    CReportData table;
    EXPECT_EQ(table.GetKind(), kSeriesQuotes);
    EXPECT_EQ(table.GetKey(), 0u);
    CMemoryStream stream;
    FillStream(stream, QuoteReply(3, 44, { { 0x600000, 7800, 7650 }, { 0x01000001, 10810, 10810 } }));
    table.SetRequestPending(1);
    table.SetActive(0);
    ASSERT_EQ(table.Merge(0, &stream), 1);
    EXPECT_EQ(table.GetReplyValue(), 3);
    EXPECT_EQ(table.GetNextUpdateStart(), 44);
    EXPECT_EQ(table.GetCount(), 2);
    EXPECT_EQ(table.IsDirty(), 1);
    EXPECT_EQ(table.IsActive(), 1);
    EXPECT_EQ(table.IsRequestPending(), 1); // the sender's to clear, not the merge's
    QuoteRecord q;
    ASSERT_TRUE(table.GetQuote(0x600000, q));
    EXPECT_FLOAT_EQ(q.last, 7.8f);
    EXPECT_FLOAT_EQ(q.previousClose, 7.65f);
    EXPECT_FLOAT_EQ(q.volume, 1500.0f);
    EXPECT_FLOAT_EQ(q.amount, 2500.0f);
    EXPECT_FLOAT_EQ(q.high, 7.9f);
    EXPECT_EQ(q.reserved, 0);

    FillStream(
        stream, QuoteReply(3, 45, { { 0x600036, 33200, 33000 } }) + "\x01\x02"); // partial record ignored
    ASSERT_EQ(table.Merge(0, &stream), 1);
    EXPECT_EQ(table.GetQuoteCount(), 1u);
    EXPECT_FALSE(table.GetQuote(0x600000, q));

    // Without quotes a reply is no table: the one held stays, header words included.
    for (const std::string& empty : { std::string("\x05\x00", 2), QuoteReply(5, 46, {}) }) {
        FillStream(stream, empty);
        EXPECT_EQ(table.Merge(0, &stream), 0);
        EXPECT_EQ(table.GetQuoteCount(), 1u);
        EXPECT_EQ(table.GetReplyValue(), 3);
        EXPECT_EQ(table.GetNextUpdateStart(), 45);
    }
    EXPECT_EQ(table.Merge(0, nullptr), 0);
    table.SetRequestPending(0);
}

// The owner (the data center) waits for request pending to clear before it
// destroys the table, so pending must hold until the notice has run.
TEST(QuoteTable, PendingHoldsUntilTheNoticeHasRun)
{
    class PendingProbe : public CDataUpdateNotiy
    {
    public:
        explicit PendingProbe(CReportData& table)
            : m_table(table)
        {
        }
        int OnDataUpdate(int, uint32_t) override
        {
            pendingDuringNotice = m_table.IsRequestPending();
            ++calls;
            return 0;
        }
        int pendingDuringNotice = -1;
        int calls = 0;

    private:
        CReportData& m_table;
    };
    CReportData table;
    PendingProbe probe(table);
    table.SetNotifier(&probe);
    table.SetRequestPending(1);
    CMemoryStream stream;
    FillStream(stream, QuoteReply(1, 2, { { 0x600000, 7800, 7650 } }));
    CBase::OnDownloadComplete(0, reinterpret_cast<uintptr_t>(&table), &stream, 1);
    EXPECT_EQ(probe.calls, 1);
    EXPECT_EQ(probe.pendingDuringNotice, 1);
    EXPECT_EQ(table.IsRequestPending(), 0);
    EXPECT_EQ(table.GetQuoteCount(), 1u);
    table.SetNotifier(nullptr);
}

TEST(QuoteTable, CountUpDownCountsTheSetOfTheIndex)
{
    CReportData table;
    CMemoryStream stream;
    FillStream(stream,
        QuoteReply(1, 1,
            {
                { 0x600000, 7900, 7800 }, // SH 60: up
                { 0x601398, 5300, 5400 }, // SH 60: down
                { 0x600036, 33000, 33000 }, // SH 60: unchanged
                { 0x1A0001, 3100000, 3000000 }, // SH index: not a "60" code
                { 0x01000001, 10000, 9000 }, // SZ: up
                { 0x01399001, 9000, 9500 }, // SZ index: never counted
                { 0x02600001, 100, 200 }, // third market "60": down in both counts
                { 0x01300104, 0, 0 }, // no quote at all: unchanged
            }));
    ASSERT_EQ(table.Merge(0, &stream), 1);
    struct Case
    {
        uint32_t index;
        int up, down, same;
    };
    const Case cases[] = {
        { 0x1A0001, 1, 2, 1 }, // codes beginning "60", whatever their market
        { 0x01399001, 3, 2, 2 }, // every code not beginning "39", whatever its market
        { 0x02000001, 0, 0, 0 },
        { 0x03000001, 0, 0, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        int up = -1, down = -1, same = -1;
        EXPECT_EQ(table.CountUpDown(c.index, &up, &down, &same), 1);
        EXPECT_EQ(up, c.up);
        EXPECT_EQ(down, c.down);
        EXPECT_EQ(same, c.same);
    }
}

TEST(QuoteTable, FileRoundTripAndBadFiles)
{
    TempDirectory dir("qt");
    const std::string path = dir.Path() + "reportprice.dat";
    {
        CReportData table;
        CMemoryStream stream;
        FillStream(stream, QuoteReply(2, 9, { { 0x600000, 7800, 7650 }, { 0x1A0001, 3050000, 3000000 } }));
        ASSERT_EQ(table.Merge(0, &stream), 1);
        table.Save(path.c_str()); // also the path the destructor would use
        EXPECT_EQ(table.IsDirty(), 0);
    }
    const std::string saved = ReadTestFile(path);
    ASSERT_EQ(saved.size(), 8u + 2 * 36);
    EXPECT_EQ(static_cast<uint8_t>(saved[8 + 4 + 2]), 0x1A); // records in key order

    CReportData reloaded;
    ASSERT_EQ(reloaded.Load(path.c_str(), 0), 1);
    EXPECT_EQ(reloaded.GetNextUpdateStart(), 9);
    EXPECT_EQ(reloaded.GetCount(), 2);
    QuoteRecord q;
    ASSERT_TRUE(reloaded.GetQuote(0x1A0001, q));
    EXPECT_FLOAT_EQ(q.last, 3050.0f);
    EXPECT_EQ(reloaded.IsDirty(), 0);

    const std::string bad = dir.Path() + "bad.dat";
    ASSERT_TRUE(WriteTestFile(bad, std::string("\x01\x00\x00\x00\x02", 5)));
    CReportData other;
    EXPECT_EQ(other.Load(bad.c_str(), 0), 0);
    EXPECT_EQ(other.Load((dir.Path() + "none.dat").c_str(), 0), 0);
    EXPECT_EQ(other.GetQuoteCount(), 0u);
}

TEST(QuoteTable, RefreshRequestsAndAFailedRefresh)
{
    ServerTime::Set(kTestServerTime);
    RecordingDataProvider provider;
    ScopedDataProvider scope(&provider);
    NoticeCounter notices;
    CReportData table;
    table.SetNotifier(&notices);
    provider.syncReply = QuoteReply(1, 61, { { 0x600000, 7800, 7650 } });

    EXPECT_EQ(table.RequestData(0), 0); // synchronous: merged at once, no notice
    ASSERT_EQ(provider.requests.size(), 1u);
    EXPECT_FALSE(provider.requests[0].async);
    EXPECT_EQ(provider.requests[0].command, 0x202);
    EXPECT_EQ(provider.requests[0].to, static_cast<uint32_t>(kTestServerTime));
    EXPECT_EQ(table.GetQuoteCount(), 1u);
    EXPECT_EQ(notices.count, 0);
    EXPECT_EQ(table.IsRequestPending(), 0);

    EXPECT_EQ(table.RequestAsync(), 1);
    EXPECT_EQ(table.RequestAsync(), 1); // pending: refused without a request
    EXPECT_EQ(table.RequestData(0), 1);
    ASSERT_EQ(provider.requests.size(), 2u);
    EXPECT_TRUE(provider.requests[1].async);
    EXPECT_EQ(provider.requests[1].from, 61u);
    EXPECT_EQ(provider.requests[1].to, static_cast<uint32_t>(kTestServerTime + 259200));

    provider.Complete(1, nullptr); // a failure: table kept, nobody told, pending cleared
    EXPECT_EQ(table.IsRequestPending(), 0);
    EXPECT_EQ(table.GetQuoteCount(), 1u);
    EXPECT_EQ(notices.count, 0);
}

TEST(QuoteTable, ReadersNeverSeeAHalfFilledTable)
{
    CReportData table;
    std::vector<WireQuote> small, large;
    for (uint32_t i = 0; i < 50; ++i)
        small.push_back({ 0x600000 + i, 1000 + i, 1000 });
    for (uint32_t i = 0; i < 400; ++i)
        large.push_back({ 0x01000000 + i, 2000 + i, 2100 });
    const std::string replies[2] = { QuoteReply(1, 1, small), QuoteReply(1, 2, large) };
    std::atomic<bool> stop { false };
    std::atomic<int> torn { 0 };
    std::thread reader([&] {
        while (!stop.load()) {
            const size_t n = table.GetQuoteMap().size();
            if (n != 0 && n != 50 && n != 400)
                ++torn;
            int up = 0, down = 0, same = 0;
            table.CountUpDown(0x01399001, &up, &down, &same);
            const int total = up + down + same;
            if (total != 0 && total != 50 && total != 400)
                ++torn;
        }
    });
    CMemoryStream stream;
    for (int i = 0; i < 300; ++i) {
        FillStream(stream, replies[i % 2]);
        table.Merge(0, &stream);
    }
    stop = true;
    reader.join();
    EXPECT_EQ(torn.load(), 0);
}

TEST(QuoteTable, AsyncRefreshThroughTheTransport)
{
    SimulatedMarket market;
    ASSERT_TRUE(market.started);
    NoticeCounter notices;
    CReportData table;
    table.SetNotifier(&notices);

    // Two refreshes while the first is held at the server: one request.
    market.simulator.HoldAll();
    EXPECT_EQ(table.RequestAsync(), 1);
    EXPECT_EQ(table.RequestAsync(), 1);
    ASSERT_TRUE(market.simulator.WaitForHeld(1, 30000));
    market.simulator.ReleaseAll();
    ASSERT_TRUE(notices.Wait());
    ASSERT_TRUE(WaitNotPending(table));
    EXPECT_EQ(market.simulator.RequestCount(), 1u);
    EXPECT_EQ(notices.lastKind, kSeriesQuotes);
    EXPECT_EQ(notices.lastKey, 0u);
    const QuoteMap first = table.GetQuoteMap();
    EXPECT_EQ(first.size(), market.tables.Securities().size());
    QuoteRecord suspended;
    ASSERT_TRUE(table.GetQuote(SimMarketTables::kSuspendedKey, suspended));
    EXPECT_EQ(suspended.last, 0.0f);

    // The next refresh sends the new header word and brings moved prices.
    EXPECT_EQ(table.RequestAsync(), 1);
    ASSERT_TRUE(notices.Wait());
    ASSERT_TRUE(WaitNotPending(table));
    const std::vector<SimRequest> log = market.simulator.RequestLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1].value, static_cast<uint32_t>(market.tables.TableVersion(0x202)));
    const QuoteMap second = table.GetQuoteMap();
    int moved = 0;
    for (const auto& item : second) {
        auto before = first.find(item.first);
        if (before != first.end() && before->second.last != item.second.last)
            ++moved;
    }
    EXPECT_GT(moved, static_cast<int>(second.size()) / 2);

    // A reply without records is no table: the one held stays, and nobody is
    // told. (A body of length 0 means failure on the wire, so the reply travels
    // with a compression flag other than 0 and 1: the body alone, header words inside.)
    market.simulator.SetHandler(0x202, [](const SimRequest&) {
        SimReply reply;
        reply.body = Bytes().I32(1).I32(5).data;
        return reply;
    });
    market.simulator.SetCompression(2);
    const int before = notices.count;
    const size_t held = table.GetQuoteCount();
    const int32_t start = table.GetNextUpdateStart();
    EXPECT_EQ(table.RequestAsync(), 1);
    ASSERT_TRUE(market.simulator.WaitForRequests(3, 30000));
    ASSERT_TRUE(WaitNotPending(table));
    EXPECT_EQ(notices.count, before);
    EXPECT_EQ(table.GetQuoteCount(), held);
    EXPECT_EQ(table.GetNextUpdateStart(), start);

    // A failed refresh keeps the table and tells nobody.
    market.simulator.SetFault(SimFault::LengthZero);
    EXPECT_EQ(table.RequestAsync(), 1);
    ASSERT_TRUE(market.simulator.WaitForRequests(4, 30000));
    ASSERT_TRUE(WaitNotPending(table));
    EXPECT_EQ(notices.count, before);
    table.SetNotifier(nullptr);
    CDownLoaderManager::ReleaseInstance(); // no callback may outlive the table
}
