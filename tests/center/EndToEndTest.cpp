// The data flow end to end against the market simulator: tables loaded in
// start-up order, marks turned into requests by the cache thread, replies
// inflated and merged by workers, notices for the current stock only, the
// cache's retirement, and faults that leave everything as it was.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/CPFile.h"
#include "base/DataPaths.h"
#include "data/FormuleData.h"
#include "data/DataCenter.h"
#include "data/Stock.h"
#include "net/DownLoaderManager.h"
#include "tests/center/CenterFixture.h"
#include "tests/support/CenterFixtures.h"
#include "tests/support/QuoteFixtures.h"

namespace {

const DWORD kWaitMs = 30000;
const uint32_t kComposite = 0x1A0001;

class EndToEnd : public CenterFixture
{
protected:
    void SetUp() override
    {
        CenterFixture::SetUp();
        sim.quotes.SetCompression(1);
    }

    void LoadTables()
    {
        ASSERT_EQ(center->LoadCodeTable(), S_OK);
        ASSERT_EQ(center->LoadFinanceData(), S_OK);
        ASSERT_EQ(center->LoadQuoteData(), S_OK);
        ASSERT_EQ(center->SetCurrentStock(center->GetCodeTable().FindKeyByCode("1A0001")), 1);
        ASSERT_EQ(center->LoadGroupData(), S_OK);
        ASSERT_TRUE(GroupIndex::Instance()->Rebuild(center->GetGroupData()));
        ASSERT_EQ(center->LoadFormulaData(), S_OK);
        ASSERT_EQ(center->LoadExRightsData(), S_OK);
    }
    // The stock in the cache, or the current one.
    CStock* StockOf(uint32_t key)
    {
        CStock* current = center->PeekCurrentStock();
        if (current && current->GetCodeKey() == key)
            return current;
        return center->GetStockFactory().Find(key);
    }
    // Until the cache thread has issued the current stock's marks.
    void WaitUntilIssued()
    {
        ASSERT_TRUE(WaitUntil(
            [&] {
                SingleLock lock(&center->GetDataLock());
                int pending = 1;
                center->PeekCurrentStock()->GetPendingRequest(&pending, nullptr, nullptr);
                return pending == 0;
            },
            kWaitMs));
        // The pass that took the marks has sent the requests once it is over.
        const uint32_t passes = center->GetStockFactory().GetPassCount();
        ASSERT_TRUE(WaitUntil([&] { return center->GetStockFactory().GetPassCount() > passes; }, kWaitMs));
    }
    bool StockIdle(uint32_t key)
    {
        SingleLock lock(&center->GetDataLock());
        CStock* stock = StockOf(key);
        return stock && !stock->IsBusy();
    }
    int DayCountOf(uint32_t key)
    {
        SingleLock lock(&center->GetDataLock());
        CStock* stock = StockOf(key);
        return stock ? stock->GetDayData().GetCount() : -1;
    }
    size_t NoticesOf(int kind, uint32_t key)
    {
        size_t n = 0;
        for (const NoticeRecord& r : observer.Records())
            n += (!r.quotes && r.kind == kind && r.key == key) ? 1 : 0;
        return n;
    }
    // Shanghai A shares of the simulator, ascending.
    std::vector<uint32_t> ShanghaiShares(size_t count)
    {
        std::vector<uint32_t> keys;
        for (const SimSecurity& s : sim.tables.Securities()) {
            if (s.key >= 0x600000 && s.key < 0x700000)
                keys.push_back(s.key);
        }
        std::sort(keys.begin(), keys.end());
        keys.resize(std::min(count, keys.size()));
        return keys;
    }
};

} // namespace

TEST_F(EndToEnd, MarksBecomeRequestsAndRepliesReachTheObserver)
{
    LoadTables();
    EXPECT_GT(center->GetCodeTable().GetCount(), 100);
    EXPECT_GT(center->GetFinanceData().GetCount(), 0u);
    EXPECT_GT(center->GetQuoteData().GetQuoteCount(), 0u);
    EXPECT_GT(center->GetExRightsData().GetStockCount(), 0u);
    EXPECT_EQ(center->GetCurrentCodeKey(), kComposite);
    const std::vector<SimRequest> log = sim.quotes.RequestLog();
    const uint16_t order[] = { 0x201, 0x203, 0x202, 0x206, 0x208, 0x204 };
    ASSERT_GE(log.size(), 6u);
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(log[i].command, order[i]) << i;
        EXPECT_EQ(log[i].value2, static_cast<uint32_t>(SimulatedMarket::Now())) << i;
    }

    observer.SetHook([&](const NoticeRecord& r) { center->RefreshStock(nullptr, r.kind); });
    CStock* snapshot = nullptr;
    {
        SingleLock lock(&center->GetDataLock());
        ASSERT_EQ(center->GetCurrentStock(&snapshot), 1);
    }
    center->RequestStockData(kRequestDayBars | kRequestTicks, 0);
    ASSERT_TRUE(observer.WaitFor(
        [](const NoticeRecord& r) { return r.kind == kSeriesDay && r.key == kComposite; }, kWaitMs));
    ASSERT_TRUE(observer.WaitFor(
        [](const NoticeRecord& r) { return r.kind == kSeriesTicks && r.key == kComposite; }, kWaitMs));
    EXPECT_EQ(CountRequests(sim.quotes, 0x301, kComposite), 1u);
    EXPECT_EQ(CountRequests(sim.quotes, 0x401, kComposite), 1u);
    const DWORD cacheThread = center->GetStockFactory().GetThreadId();
    for (const NoticeRecord& r : observer.Records()) {
        EXPECT_NE(r.threadId, ::GetCurrentThreadId());
        EXPECT_NE(r.threadId, cacheThread);
    }
    ASSERT_GT(sim.DayBarCount(kComposite), 500);
    ASSERT_GT(sim.TickCount(kComposite), 100);
    SingleLock lock(&center->GetDataLock());
    EXPECT_EQ(snapshot->GetDayData().GetCount(),
        sim.DayBarCount(kComposite)); // today's bar from the ticks replaces the server's
    EXPECT_EQ(snapshot->GetFenbiData().GetCount(), sim.TickCount(kComposite));
    EXPECT_GT(snapshot->GetMinute().GetCount(), 0);
    EXPECT_EQ(snapshot->GetStockInfo().GetCode(), "1A0001");
}

TEST_F(EndToEnd, QuoteRefreshReachesTheObserverFromAWorker)
{
    LoadTables();
    const int refreshes = sim.tables.QuoteRefreshes();
    EXPECT_EQ(center->RequestQuoteRefresh(), 1);
    ASSERT_TRUE(observer.WaitFor([](const NoticeRecord& r) { return r.quotes; }, kWaitMs));
    EXPECT_EQ(sim.tables.QuoteRefreshes(), refreshes + 1);
    EXPECT_NE(observer.Records()[0].threadId, ::GetCurrentThreadId());
    EXPECT_GT(center->GetQuoteData().GetQuoteCount(), 0u);
}

TEST_F(EndToEnd, NoticesRunUnderTheDataLock)
{
    LoadTables();
    const size_t replies = sim.quotes.RepliesSent();
    {
        // While this thread holds the data lock the reply arrives but cannot be merged.
        SingleLock lock(&center->GetDataLock());
        center->RequestStockData(kRequestF10, 0);
        ASSERT_TRUE(WaitUntil([&] { return sim.quotes.RepliesSent() > replies; }, kWaitMs));
        ::Sleep(200);
        EXPECT_EQ(NoticesOf(kSeriesF10, kComposite), 0u);
    }
    ASSERT_TRUE(observer.WaitFor([](const NoticeRecord& r) { return r.kind == kSeriesF10; }, kWaitMs));
}

// A stock no longer current but still cached may be on a chart of a grid:
// its reply is reported under its own key (the current stock's views check
// the key and ignore it).
TEST_F(EndToEnd, AnotherCachedStocksUpdateIsReportedUnderItsKey)
{
    LoadTables();
    const uint32_t other = 0x600000;
    sim.quotes.HoldWhere([other](const SimRequest& r) { return r.command == 0x301 && r.key == other; });
    ASSERT_EQ(center->SetCurrentStock(other), 1);
    center->RequestStockData(kRequestDayBars, 0);
    ASSERT_TRUE(sim.quotes.WaitForHeld(1, kWaitMs));
    ASSERT_EQ(center->SetCurrentStock(kComposite), 1);
    sim.quotes.ReleaseAll();
    ASSERT_TRUE(
        WaitUntil([&] { return StockIdle(other) && DayCountOf(other) == sim.DayBarCount(other); }, kWaitMs));
    ASSERT_TRUE(WaitUntil([&] { return NoticesOf(kSeriesDay, other) == 1; }, kWaitMs));
    EXPECT_EQ(observer.Count(), 1u) << "nothing under the current stock's key";
}

TEST_F(EndToEnd, TenStocksRetireTheOldestAndABusyOneWaitsForItsCallback)
{
    LoadTables();
    const std::vector<uint32_t> keys = ShanghaiShares(11);
    ASSERT_EQ(keys.size(), 11u);
    const uint32_t first = keys[0];
    sim.quotes.HoldWhere([first](const SimRequest& r) { return r.command == 0x301 && r.key == first; });
    ASSERT_EQ(center->SetCurrentStock(first), 1);
    center->RequestStockData(kRequestDayBars, 0);
    ASSERT_TRUE(sim.quotes.WaitForHeld(1, kWaitMs));
    for (size_t i = 1; i < keys.size(); ++i)
        ASSERT_EQ(center->SetCurrentStock(keys[i]), 1);
    // The composite, handed back first of all, is older still: it goes first.
    CStockFactory& factory = center->GetStockFactory();
    ASSERT_TRUE(
        WaitUntil([&] { return !factory.IsActive(kComposite) && !factory.IsRetired(kComposite); }, kWaitMs));
    ASSERT_TRUE(WaitUntil([&] { return factory.IsRetired(first); }, kWaitMs));
    const uint32_t passes = factory.GetPassCount();
    ASSERT_TRUE(WaitUntil([&] { return factory.GetPassCount() >= passes + 3; }, kWaitMs));
    EXPECT_TRUE(factory.IsRetired(first));
    EXPECT_EQ(factory.GetActiveCount(), 9u);
    sim.quotes.ReleaseAll();
    ASSERT_TRUE(WaitUntil([&] { return !factory.IsRetired(first) && !factory.IsActive(first); }, kWaitMs));
    EXPECT_EQ(NoticesOf(kSeriesDay, first), 0u);
    // Deleting it saved the reply it merged.
    const std::string path = DataPaths::Instance()->GetDayFile(first);
    WIN32_FILE_ATTRIBUTE_DATA info;
    ASSERT_TRUE(::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &info));
    EXPECT_EQ(info.nFileSizeLow, sim.DayBarCount(first) * sizeof(Bar));
    // Selecting it again loads it from that file.
    ASSERT_EQ(center->SetCurrentStock(first), 1);
    CStock* snapshot = nullptr;
    SingleLock lock(&center->GetDataLock());
    ASSERT_EQ(center->GetCurrentStock(&snapshot), 1);
    EXPECT_EQ(snapshot->GetDayData().GetCount(), sim.DayBarCount(first));
}

TEST_F(EndToEnd, FailedRepliesKeepWhatWasThereAndTheNextRequestWorks)
{
    LoadTables();
    center->RequestStockData(kRequestDayBars, 0);
    ASSERT_TRUE(observer.WaitFor([](const NoticeRecord& r) { return r.kind == kSeriesDay; }, kWaitMs));
    const SimFault faults[] = { SimFault::CloseMidBody, SimFault::CloseAfterHeader, SimFault::LengthZero,
        SimFault::TruncatedZlib, SimFault::HugeLength, SimFault::Refuse };
    for (SimFault fault : faults) {
        sim.quotes.SetFault(fault, 1);
        center->RequestStockData(kRequestTicks, 0);
        WaitUntilIssued();
        ASSERT_TRUE(WaitUntil([&] { return StockIdle(kComposite); }, kWaitMs));
        EXPECT_EQ(NoticesOf(kSeriesTicks, kComposite), 0u) << static_cast<int>(fault);
        EXPECT_EQ(DayCountOf(kComposite), sim.DayBarCount(kComposite));
    }
    center->RequestStockData(kRequestTicks, 0);
    ASSERT_TRUE(observer.WaitFor([](const NoticeRecord& r) { return r.kind == kSeriesTicks; }, kWaitMs));
    SingleLock lock(&center->GetDataLock());
    EXPECT_EQ(center->GetStockFactory().Find(kComposite), nullptr); // current, never handed back
    CStock* snapshot = nullptr;
    center->GetCurrentStock(&snapshot);
    EXPECT_EQ(snapshot->GetFenbiData().GetCount(), sim.TickCount(kComposite));
}

// A view takes the stock and asks for its ticks and company text; the
// replies come while the shown view is another one, which lets the notices
// pass. Asking again brings nothing newer. The next view that takes the stock
// still gets them and the quote the ticks carry, not the snapshot from before.
TEST_F(EndToEnd, UpdatesNoViewTookReachTheNextViewThatTakesTheStock)
{
    LoadTables();
    {
        SingleLock lock(&center->GetDataLock());
        CStock* early = nullptr;
        ASSERT_EQ(center->GetCurrentStock(&early), 1);
        ASSERT_EQ(early->GetFenbiData().GetCount(), 0);
        ASSERT_TRUE(early->GetF10Data().GetSections().empty());
    }
    center->RequestStockData(kRequestTicks | kRequestF10, 0);
    for (int kind : { static_cast<int>(kSeriesTicks), static_cast<int>(kSeriesF10) })
        ASSERT_TRUE(observer.WaitFor([kind](const NoticeRecord& r) { return r.kind == kind; }, kWaitMs));
    center->RequestStockData(kRequestTicks | kRequestF10, 0);
    WaitUntilIssued();
    ASSERT_TRUE(WaitUntil([&] { return StockIdle(kComposite); }, kWaitMs));
    SingleLock lock(&center->GetDataLock());
    CStock* taken = nullptr;
    ASSERT_EQ(center->GetCurrentStock(&taken), 1);
    EXPECT_EQ(taken->GetFenbiData().GetCount(), sim.TickCount(kComposite));
    EXPECT_GT(taken->GetStockInfo().last, 0.0f);
    EXPECT_GT(taken->GetMinute().GetCount(), 0);
    EXPECT_FALSE(taken->GetF10Data().GetSections().empty());
}

// With another compression flag a reply is delivered as received, without
// its two header values: every table and series reads garbage from it. Each
// refuses it whole: nothing held changes, no file is written, nobody is told.
TEST_F(EndToEnd, RepliesDeliveredAsReceivedChangeNothing)
{
    LoadTables();
    center->RequestStockData(kRequestDayBars | kRequestTicks | kRequestF10, 0);
    for (int kind : { static_cast<int>(kSeriesDay), static_cast<int>(kSeriesTicks), static_cast<int>(kSeriesF10) })
        ASSERT_TRUE(observer.WaitFor([kind](const NoticeRecord& r) { return r.kind == kind; }, kWaitMs));
    ASSERT_TRUE(WaitUntil([&] { return StockIdle(kComposite); }, kWaitMs));
    struct Held
    {
        std::vector<int64_t> values;
        std::string text;
        bool operator==(const Held& o) const { return values == o.values && text == o.text; }
    };
    auto capture = [&]() {
        SingleLock lock(&center->GetDataLock());
        CStock* stock = center->PeekCurrentStock();
        Held h;
        h.values = { center->GetCodeTable().GetCount(), center->GetCodeTable().GetNextUpdateStart(),
            static_cast<int64_t>(center->GetQuoteData().GetQuoteCount()), center->GetQuoteData().GetNextUpdateStart(),
            static_cast<int64_t>(center->GetFinanceData().GetCount()), center->GetFinanceData().GetNextUpdateStart(),
            static_cast<int64_t>(center->GetExRightsData().GetStockCount()),
            center->GetExRightsData().GetNextUpdateStart(), center->GetExRightsData().IsDirty(),
            static_cast<int64_t>(center->GetGroupData().GetGroups().size()),
            static_cast<int64_t>(center->GetGroupData().GetMembers().size()), center->GetGroupData().GetNextUpdateStart(),
            stock->GetDayData().GetCount(), stock->GetDayData().GetLastTime(), stock->GetFenbiData().GetCount(),
            stock->GetFenbiData().GetLastTime(), stock->GetF10Data().GetLastTime(),
            stock->GetF10Data().GetFirstTime() };
        h.text = stock->GetF10Data().GetText();
        return h;
    };
    const Held before = capture();
    const std::string groupsPath = DataPaths::Instance()->GetGroupsFile();
    std::string groupsFile;
    ASSERT_TRUE(ReadWholeFile(groupsPath.c_str(), groupsFile));
    const size_t notices = observer.Count();

    sim.quotes.SetCompression(2);
    center->GetCodeTable().Update();
    center->GetQuoteData().RequestData(0);
    center->GetFinanceData().Update();
    center->GetExRightsData().Update();
    center->GetGroupData().Update();
    center->RequestStockData(kRequestDayBars | kRequestTicks | kRequestF10, 0);
    WaitUntilIssued();
    ASSERT_TRUE(WaitUntil([&] { return StockIdle(kComposite); }, kWaitMs));
    EXPECT_TRUE(capture() == before);
    EXPECT_EQ(observer.Count(), notices);
    std::string after;
    ASSERT_TRUE(ReadWholeFile(groupsPath.c_str(), after));
    EXPECT_EQ(after, groupsFile);

    // The indicator definitions: a document never held is not written either.
    CFormuleData formulas;
    const std::string formulaPath = DataPaths::Instance()->GetFormulaFile() + ".another";
    EXPECT_EQ(formulas.Load(formulaPath.c_str()), 0);
    EXPECT_EQ(formulas.Update(), E_FAIL);
    EXPECT_EQ(formulas.GetBuffer(nullptr), nullptr);
    EXPECT_EQ(::GetFileAttributesA(formulaPath.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(EndToEnd, DiagnosisServiceDownStillSelectsTheStock)
{
    LoadTables();
    sim.diagnosis.SetFailureStatus(503);
    ASSERT_EQ(center->SetCurrentStock(0x600000), 1);
    sim.web.Stop();
    ASSERT_EQ(center->SetCurrentStock(0x600036), 1);
    center->RequestStockData(kRequestDiagnosis | kRequestDayBars, 0);
    ASSERT_TRUE(observer.WaitFor(
        [](const NoticeRecord& r) { return r.kind == kSeriesDay && r.key == 0x600036; }, kWaitMs));
    CStock* snapshot = nullptr;
    SingleLock lock(&center->GetDataLock());
    ASSERT_EQ(center->GetCurrentStock(&snapshot), 1);
    EXPECT_EQ(snapshot->GetDiagnose().GetText(), CStockDiagnose::kUnknownVerdict);
}
