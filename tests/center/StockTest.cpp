// The stock object: request marks, chart periods, today's bars from the
// ticks, bar end times, volume ratio, snapshot copies and deletion.
#include <gtest/gtest.h>

#include <process.h>

#include <atomic>
#include <thread>

#include "base/MemoryStream.h"
#include "data/PwrData.h"
#include "data/Stock.h"
#include "tests/support/CenterFixtures.h"
#include "tests/support/QuoteFixtures.h"

namespace {

// Merges a reply into a series the way a worker's callback does.
void Deliver(CBase& series, const std::string& reply)
{
    CMemoryStream stream;
    FillStream(stream, reply);
    CBase::OnDownloadComplete(series.GetKey(), reinterpret_cast<uintptr_t>(&series), &stream, 1);
}

std::string DayBars(const std::vector<int32_t>& days, double close = 10)
{
    std::vector<WireBar> bars;
    for (int32_t day : days)
        bars.push_back(MakeWireBar(day, close, close + 1, close - 1, close, 1000, 5000));
    return BarReply(bars);
}

WireTickHeader Header(int32_t time, double open, double last, double low)
{
    WireTickHeader h = MakeWireTickHeader(time, 10);
    h.open = static_cast<uint32_t>(open * 1000);
    h.last = static_cast<uint32_t>(last * 1000);
    h.low = static_cast<uint32_t>(low * 1000);
    h.high = static_cast<uint32_t>(11 * 1000);
    h.totalVolume = 4200;
    h.totalAmount = 42000;
    return h;
}

} // namespace

TEST(StockBarEndTime, TableOfBuckets)
{
    struct Case
    {
        int hour, minute, n, endHour, endMinute;
    };
    const Case cases[] = {
        { 9, 31, 5, 9, 35 },
        { 9, 36, 5, 9, 40 },
        { 15, 2, 5, 15, 0 },
        { 10, 31, 60, 11, 30 },
        { 13, 5, 60, 14, 0 },
        { 11, 0, 30, 11, 0 },
        { 9, 25, 5, 9, 35 },
        { 9, 30, 5, 9, 35 },
        { 9, 58, 5, 10, 0 },
        { 14, 56, 5, 15, 0 },
        { 10, 30, 60, 10, 30 },
        { 11, 31, 60, 14, 0 },
        { 14, 1, 60, 15, 0 },
        { 10, 1, 15, 10, 15 },
        { 10, 16, 30, 10, 30 },
        { 13, 1, 10, 13, 10 },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CStock::GetBarEndTime(T(2026, 12, 10, c.hour, c.minute, 17), c.n),
            T(2026, 12, 10, c.endHour, c.endMinute))
            << c.hour << ":" << c.minute << " n=" << c.n;
    }
}

TEST(StockPeriods, GetKDataMarksDayRequestsOnlyForDayBasedPeriods)
{
    ScopedServerTime time(T(2026, 12, 10, 15, 30));
    {
        CStock stock(0x600000);
        CKData* quarter = stock.GetKData(kPeriodQuarter);
        EXPECT_EQ(quarter->GetCount(), 0);
        EXPECT_EQ(quarter->GetKind(), kSeriesQuarter);
        int pending = 0, more = 0;
        uint32_t flags = 0;
        stock.GetPendingRequest(&pending, &flags, &more);
        EXPECT_EQ(pending, 1);
        EXPECT_EQ(flags, kRequestDayBars);
    }
    {
        CStock stock(0x600000);
        stock.PostRequest(0, kRequestTicks, 0);
        CKData* fifteen = stock.GetKData(kPeriodFifteenMinutes);
        EXPECT_EQ(fifteen->GetCount(), 0);
        EXPECT_EQ(fifteen->GetKind(), kSeriesFifteenMinutes);
        int pending = 0;
        uint32_t flags = 0;
        stock.GetPendingRequest(&pending, &flags, nullptr);
        EXPECT_EQ(pending, 0);
        EXPECT_EQ(flags, kRequestTicks);
    }
    {
        CStock stock(0x600000);
        CKData* day = stock.GetKData(0);
        EXPECT_EQ(stock.GetPeriod(), 0);
        EXPECT_EQ(day, &stock.GetDayData());
        int pending = 0;
        stock.GetPendingRequest(&pending, nullptr, nullptr);
        EXPECT_EQ(pending, 1);
    }
    {
        // With day bars the derived periods are built and nothing is marked.
        CStock stock(0x600000);
        Deliver(stock.GetDayData(),
            DayBars({ T(2026, 12, 7), T(2026, 12, 8), T(2026, 12, 14), T(2026, 12, 15) }));
        CKData* week = stock.GetKData(kPeriodWeek);
        EXPECT_EQ(week->GetCount(), 2);
        int pending = 0;
        stock.GetPendingRequest(&pending, nullptr, nullptr);
        EXPECT_EQ(pending, 0);
        EXPECT_EQ(stock.GetKData(kPeriodYear)->GetCount(), 1);
    }
}

TEST(StockRequests, IssueSendsThePostedMarksInOrderOnce)
{
    ScopedServerTime time(T(2026, 12, 10, 15, 30));
    LockedRecordingProvider provider;
    ScopedDataProvider scoped(&provider);
    CStock stock(0x600000);
    stock.PostRequest(1, kRequestTicks, 0);
    stock.PostRequest(
        1, kRequestTicks | kRequestF10 | kRequestFiveMinuteBars | kRequestDayBars | kRequestDiagnosis, 0);
    stock.IssuePendingRequests();
    const std::vector<RecordedRequest> sent = provider.Requests();
    ASSERT_EQ(sent.size(), 4u); // the diagnosis is never sent to the quote server
    EXPECT_EQ(sent[0].command, 0x301);
    EXPECT_EQ(sent[1].command, 0x302);
    EXPECT_EQ(sent[2].command, 0x205);
    EXPECT_EQ(sent[3].command, 0x401);
    for (const RecordedRequest& r : sent)
        EXPECT_EQ(r.key, 0x600000u);
    EXPECT_TRUE(stock.IsBusy());
    // The marks were consumed: a second pass sends nothing, and flags stay.
    stock.IssuePendingRequests();
    EXPECT_EQ(provider.Count(), 4u);
    for (size_t i = 0; i < 4; ++i)
        provider.Complete(i, nullptr);
    EXPECT_FALSE(stock.IsBusy());
}

namespace {

// Counts the requests of each command and fails each at once, so the series
// is free for its next request as soon as one was sent.
class CountingFailingProvider : public IDataProvider
{
public:
    int32_t RequestSync(int32_t, uint32_t, uint32_t, uint32_t, CMemoryStream*) override { return 0; }
    int32_t RequestAsync(int32_t command, uint32_t userData, uint32_t, uint32_t, DownloadCallback callback,
        uintptr_t callbackArg) override
    {
        ++Counter(command);
        if (callback)
            callback(userData, callbackArg, nullptr, 0);
        return 1;
    }
    std::atomic<int>& Counter(int32_t command)
    {
        switch (command) {
        case 0x301:
            return dayBars;
        case 0x302:
            return fiveMinuteBars;
        case 0x205:
            return f10;
        default:
            return ticks;
        }
    }
    std::atomic<int> dayBars { 0 }, fiveMinuteBars { 0 }, f10 { 0 }, ticks { 0 };
};

} // namespace

// One thread posts as the views do, another issues as the cache thread does:
// a post never replaces one that is not yet sent, so every post goes out once.
TEST(StockRequests, EveryPostIsSentExactlyOnceWhilePostingAndIssuingRace)
{
    ScopedServerTime time(T(2026, 12, 10, 15, 30));
    CountingFailingProvider provider;
    ScopedDataProvider scoped(&provider);
    CStock stock(0x600000);
    struct Kind
    {
        uint32_t flag;
        int32_t command;
    };
    const Kind kinds[] = { { kRequestDayBars, 0x301 }, { kRequestFiveMinuteBars, 0x302 }, { kRequestF10, 0x205 },
        { kRequestTicks, 0x401 } };
    int posted[4] = {};
    std::atomic<bool> stop(false);
    std::thread issuer([&]() {
        while (!stop.load())
            stock.IssuePendingRequests();
    });
    bool lost = false;
    for (int i = 0; i < 2000 && !lost; ++i) {
        const int k = i % 4;
        // The previous post of this kind must have gone out before the next one.
        const DWORD deadline = ::GetTickCount() + 5000;
        while (provider.Counter(kinds[k].command).load() < posted[k] && !lost)
            lost = static_cast<int32_t>(::GetTickCount() - deadline) > 0;
        ++posted[k];
        stock.PostRequest(1, kinds[k].flag, 0);
    }
    const DWORD deadline = ::GetTickCount() + 5000;
    auto allSent = [&]() {
        for (int k = 0; k < 4; ++k) {
            if (provider.Counter(kinds[k].command).load() < posted[k])
                return false;
        }
        return true;
    };
    while (!allSent() && static_cast<int32_t>(::GetTickCount() - deadline) <= 0)
        ::Sleep(1);
    stop = true;
    issuer.join();
    EXPECT_FALSE(lost) << "a post was never sent";
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(provider.Counter(kinds[k].command).load(), posted[k]) << std::hex << kinds[k].command;
}

TEST(StockRequests, DiagnosisMarkAloneLeavesTheStockIdle)
{
    LockedRecordingProvider provider;
    ScopedDataProvider scoped(&provider);
    CStock stock(0x600000);
    stock.PostRequest(1, kRequestDiagnosis, 0);
    stock.IssuePendingRequests();
    EXPECT_EQ(provider.Count(), 0u);
    EXPECT_FALSE(stock.IsBusy());
}

TEST(StockToday, DayBarFromTheTickHeader)
{
    const int32_t now = T(2026, 12, 10, 15, 30);
    ScopedServerTime time(now);
    struct Case
    {
        const char* what;
        std::vector<int32_t> days;
        double open;
        int expectedCount;
        bool lastIsToday;
    };
    const Case cases[] = {
        { "replaces the bar of the same date", { T(2026, 12, 9), T(2026, 12, 10) }, 10.5, 2, true },
        { "appended after an older bar", { T(2026, 12, 8), T(2026, 12, 9) }, 10.5, 3, true },
        { "appended to an empty series", {}, 10.5, 1, true },
        { "nothing after a later bar", { T(2026, 12, 11) }, 10.5, 1, false },
        { "nothing without an open price", { T(2026, 12, 9) }, 0, 1, false },
    };
    for (const Case& c : cases) {
        CStock stock(0x600000);
        if (!c.days.empty())
            Deliver(stock.GetDayData(), DayBars(c.days, 9));
        Deliver(stock.GetFenbiData(),
            TickReply(Header(now, c.open, 10.75, 9.5),
                { MakeWireTick(T(2026, 12, 10, 9, 31), 10.75, 4200, 42000) }));
        stock.UpdateDayBarFromTicks(stock.GetFenbiData());
        CKData& day = stock.GetDayData();
        ASSERT_EQ(day.GetCount(), c.expectedCount) << c.what;
        const Bar* last = day.GetBar(day.GetCount() - 1);
        if (c.lastIsToday) {
            EXPECT_EQ(last->time, T(2026, 12, 10)) << c.what;
            EXPECT_FLOAT_EQ(last->close, 10.75f) << c.what;
            EXPECT_FLOAT_EQ(last->volume, 4200.f) << c.what;
        } else {
            EXPECT_FLOAT_EQ(last->close, 9.f) << c.what;
        }
    }
}

TEST(StockToday, FiveMinuteBarsCountEveryTicksVolume)
{
    const int32_t now = T(2026, 12, 10, 15, 30);
    ScopedServerTime time(now);
    CStock stock(0x600000);
    // Yesterday's bars stay; a stale bar of today is replaced.
    std::vector<WireBar> old = { MakeWireBar(T(2026, 12, 9, 15, 0), 9, 9, 9, 9, 10, 10),
        MakeWireBar(T(2026, 12, 10, 9, 35), 1, 1, 1, 1, 1, 1) };
    Deliver(stock.GetFiveMinuteData(), BarReply(old));
    const std::vector<WireTick> ticks = {
        MakeWireTick(T(2026, 12, 10, 9, 25), 10.0, 100, 1000), // auction: first bar
        MakeWireTick(T(2026, 12, 10, 9, 31), 10.5, 150, 1500),
        MakeWireTick(T(2026, 12, 10, 9, 36), 10.25, 400, 4000), // opens the 9:40 bar
        MakeWireTick(T(2026, 12, 10, 9, 38), 0, 450, 4500), // no price: not counted
        MakeWireTick(T(2026, 12, 10, 9, 39), 10.125, 500, 5000),
        MakeWireTick(T(2026, 12, 10, 14, 58), 10.375, 800, 8000),
        MakeWireTick(T(2026, 12, 10, 15, 1), 10.5, 900, 9000), // after the close: the 15:00 bar
    };
    Deliver(stock.GetFenbiData(), TickReply(Header(now, 10, 10.5, 10), ticks));
    stock.UpdateFiveMinuteBarsFromTicks(stock.GetFenbiData());
    CKData& bars = stock.GetFiveMinuteData();
    ASSERT_EQ(bars.GetCount(), 4);
    EXPECT_EQ(bars.GetBar(0)->time, T(2026, 12, 9, 15, 0));
    EXPECT_EQ(bars.GetBar(1)->time, T(2026, 12, 10, 9, 35));
    EXPECT_FLOAT_EQ(bars.GetBar(1)->volume, 150.f); // the opening tick's 100 included
    EXPECT_FLOAT_EQ(bars.GetBar(1)->open, 10.f);
    EXPECT_FLOAT_EQ(bars.GetBar(1)->high, 10.5f);
    EXPECT_EQ(bars.GetBar(2)->time, T(2026, 12, 10, 9, 40));
    EXPECT_FLOAT_EQ(bars.GetBar(2)->volume, 350.f);
    EXPECT_FLOAT_EQ(bars.GetBar(2)->low, 10.125f);
    EXPECT_EQ(bars.GetBar(3)->time, T(2026, 12, 10, 15, 0));
    EXPECT_FLOAT_EQ(bars.GetBar(3)->volume, 400.f);
    float volume = 0, amount = 0;
    for (int i = 1; i < bars.GetCount(); ++i) {
        volume += bars.GetBar(i)->volume;
        amount += bars.GetBar(i)->amount;
    }
    EXPECT_FLOAT_EQ(volume, 900.f);
    EXPECT_FLOAT_EQ(amount, 9000.f);
}

TEST(StockVolumeRatio, NeedsAnEarlierDayAndTickVolume)
{
    const int32_t now = T(2026, 12, 10, 9, 40);
    ScopedServerTime time(now);
    CStock stock(0x600000);
    double out = -1;
    // No tick volume yet.
    EXPECT_EQ(stock.GetCurrentVolumeRatio(&out, 5), 0);
    EXPECT_EQ(out, 0);
    Deliver(stock.GetFenbiData(), TickReply(Header(now, 10, 10, 10), { MakeWireTick(now, 10, 4200, 42000) }));
    // Only today's bar: nothing earlier to average (no division by zero).
    Deliver(stock.GetDayData(), DayBars({ T(2026, 12, 10) }));
    out = -1;
    EXPECT_EQ(stock.GetCurrentVolumeRatio(&out, 5), 0);
    EXPECT_EQ(out, 0);
    Deliver(stock.GetDayData(), DayBars({ T(2026, 12, 8), T(2026, 12, 9) }));
    double average = 0;
    ASSERT_EQ(stock.GetAvgMinuteVolume(&average, now, 5), 1);
    EXPECT_DOUBLE_EQ(average, 1000.0 / 242.0);
    ASSERT_EQ(stock.GetCurrentVolumeRatio(&out, 5), 1);
    // 9:40 is minute index 10: 11 minutes traded.
    EXPECT_DOUBLE_EQ(out, 4200.0 / 11.0 / (1000.0 / 242.0));
}

TEST(StockSnapshot, CloneAndUpdatedSeriesCopyNewDataOnce)
{
    const int32_t now = T(2026, 12, 10, 15, 30);
    ScopedServerTime time(now);
    CStock stock(0x600000);
    Deliver(stock.GetDayData(), DayBars({ T(2026, 12, 8), T(2026, 12, 9) }));
    Deliver(stock.GetFenbiData(),
        TickReply(Header(now, 10, 10.5, 9.5),
            { MakeWireTick(T(2026, 12, 10, 9, 31), 10.5, 4200, 42000),
                MakeWireTick(T(2026, 12, 10, 9, 45), 10.25, 4300, 43000) }));
    stock.SetActive(1);
    std::unique_ptr<CStock> snapshot(stock.Clone());
    EXPECT_EQ(snapshot->GetCodeKey(), 0x600000u);
    EXPECT_EQ(snapshot->GetFenbiData().GetCount(), 2);
    EXPECT_EQ(snapshot->GetDayData().GetCount(), 3); // today's bar from the ticks
    EXPECT_FLOAT_EQ(snapshot->GetStockInfo().last, 10.5f);
    EXPECT_GT(snapshot->GetMinute().GetCount(), 0);
    EXPECT_FALSE(snapshot->GetDayData().IsDirty());
    // A new day bar reaches the snapshot once.
    Deliver(stock.GetDayData(), DayBars({ T(2026, 12, 7) }));
    stock.CopyUpdatedSeries(snapshot.get(), kSeriesDay);
    EXPECT_EQ(snapshot->GetDayData().GetCount(), 4);
    EXPECT_EQ(stock.GetDayData().IsActive(), 0);
    // Kinds that are not copied change nothing.
    stock.CopyUpdatedSeries(snapshot.get(), kSeriesWeek);
    EXPECT_EQ(snapshot->GetDayData().GetCount(), 4);
}

namespace {
unsigned __stdcall DeleteStock(void* stock)
{
    delete static_cast<CStock*>(stock);
    return 0;
}
} // namespace

TEST(StockDeletion, WaitsForEveryPendingSeries)
{
    ScopedServerTime time(T(2026, 12, 10, 15, 30));
    LockedRecordingProvider provider;
    ScopedDataProvider scoped(&provider);
    CStock* stock = new CStock(0x600000);
    stock->PostRequest(1, kRequestDayBars | kRequestFiveMinuteBars | kRequestTicks | kRequestF10, 0);
    stock->IssuePendingRequests();
    ASSERT_EQ(provider.Count(), 4u); // day, five minutes, F10, ticks
    HANDLE deleter = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &DeleteStock, stock, 0, nullptr));
    ASSERT_TRUE(deleter);
    // A reply that arrives now is dropped, and the deletion still waits for the others.
    const std::string bars = DayBars({ T(2026, 12, 9) });
    provider.Complete(1, &bars);
    provider.Complete(2, nullptr);
    provider.Complete(3, nullptr);
    // The day reply is held well past the two seconds a bounded wait would give up after.
    EXPECT_EQ(::WaitForSingleObject(deleter, 2500), static_cast<DWORD>(WAIT_TIMEOUT));
    provider.Complete(0, nullptr);
    EXPECT_EQ(::WaitForSingleObject(deleter, 30000), static_cast<DWORD>(WAIT_OBJECT_0));
    ::CloseHandle(deleter);
}

TEST(StockExRights, DerivedPeriodIsRebuiltFromTheAdjustedBars)
{
    CStock stock(0x600000);
    Deliver(
        stock.GetDayData(), DayBars({ T(2026, 12, 1), T(2026, 12, 2), T(2026, 12, 3), T(2026, 12, 4) }, 10));
    ASSERT_FLOAT_EQ(stock.GetKData(kPeriodWeek)->GetBar(0)->open, 10.f);
    const ExRightsList records = { ExRightsRecord { T(2026, 12, 3), 0, 0, 0, 0.5f } };
    stock.ApplyExRights(kPeriodWeek, &records, CKData::kKeepLatest);
    const float adjusted = stock.GetDayData().GetBar(0)->open;
    EXPECT_LT(adjusted, 10.f);
    CKData* week = stock.GetKData(kPeriodWeek);
    ASSERT_EQ(week->GetCount(), 1);
    EXPECT_FLOAT_EQ(week->GetBar(0)->open, adjusted);
    // Back to unadjusted prices.
    stock.ApplyExRights(kPeriodWeek, &records, CKData::kNoAdjustment);
    EXPECT_FLOAT_EQ(stock.GetKData(kPeriodWeek)->GetBar(0)->open, 10.f);
}
