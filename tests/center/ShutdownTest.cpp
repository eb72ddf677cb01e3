// The program's end in its order (poll thread, cache thread, request manager,
// HTTP client, data center) with requests in flight, and a stress run of
// updates against snapshot readers.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "base/DataPaths.h"
#include "base/Singleton.h"
#include "base/MemoryStream.h"
#include "data/DataCenter.h"
#include "data/Stock.h"
#include "net/DownLoaderManager.h"
#include "net/HttpClient.h"
#include "tests/center/CenterFixture.h"
#include "tests/support/CenterFixtures.h"
#include "tests/support/QuoteFixtures.h"

namespace {

const DWORD kWaitMs = 30000;
const uint32_t kComposite = 0x1A0001;

// Stands in for the main frame's poll thread: service requests until stopped.
class PollThread : public CThread
{
public:
    explicit PollThread(const std::string& url)
        : m_url(url)
    {
    }
    void Run() override
    {
        char buffer[2048];
        while (!IsStopRequested()) {
            CMemoryStream out;
            if (HttpClient* client = HttpClient::Instance())
                client->Download(m_url.c_str(), &out, buffer, sizeof(buffer), nullptr);
            polls.fetch_add(1);
            ::Sleep(10);
        }
    }
    std::atomic<int> polls { 0 };

private:
    std::string m_url;
};

uint32_t FileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA info;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &info))
        return 0;
    return info.nFileSizeLow;
}

// A data center on the simulator, with the code table and "1A0001" current.
class CenterOnSimulator : public CenterFixture
{
protected:
    void SetUp() override
    {
        CenterFixture::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_EQ(center->LoadCodeTable(), S_OK);
        ASSERT_EQ(center->SetCurrentStock(kComposite), 1);
    }
};

// A singleton asked for after its release: its getter builds it anew under
// the singleton lock, as the request manager's does.
class LateSingleton : public Singleton<LateSingleton>
{
};

// Sends nothing: each asynchronous request waits until the data center's
// release is under way (at most a few seconds), then asks for a released
// singleton, then fails.
class ProviderAskingForAReleasedSingleton : public IDataProvider
{
public:
    int32_t RequestSync(int32_t, uint32_t, uint32_t, uint32_t, CMemoryStream*) override { return 0; }
    int32_t RequestAsync(int32_t, uint32_t userData, uint32_t, uint32_t, DownloadCallback callback,
        uintptr_t callbackArg) override
    {
        entered.store(true);
        WaitUntil([] { return CDataCenter::PeekInstance() == nullptr; }, 3000);
        LateSingleton::Instance();
        callback(userData, callbackArg, nullptr, 0);
        return 1;
    }
    std::atomic<bool> entered { false };
};

// Releases the data center on another thread; false when the release has
// not ended within the wait (that thread is then left to itself).
bool ReleaseOnAThreadOfItsOwn()
{
    std::shared_ptr<std::atomic<bool>> released = std::make_shared<std::atomic<bool>>(false);
    std::thread releaser([released] {
        CDataCenter::ReleaseInstance();
        released->store(true);
    });
    if (!WaitUntil([&] { return released->load(); }, kWaitMs)) {
        releaser.detach();
        return false;
    }
    releaser.join();
    return true;
}

} // namespace

TEST_F(CenterOnSimulator, ReleaseStopsTheCacheThreadBeforeTakingTheSingletonLock)
{
    ProviderAskingForAReleasedSingleton provider;
    ScopedDataProvider scoped(&provider);
    center->RequestStockData(kRequestDayBars, 0);
    ASSERT_TRUE(WaitUntil([&] { return provider.entered.load(); }, kWaitMs));
    // The cache thread is sending: the release must let it finish first.
    ASSERT_TRUE(ReleaseOnAThreadOfItsOwn());
    center = nullptr;
    LateSingleton::ReleaseInstance();
}

TEST_F(CenterOnSimulator, ANoticeRunningWhenTheReleaseBeginsEndsFirst)
{
    sim.quotes.HoldWhere([](const SimRequest& r) { return r.command == 0x301; });
    center->RequestStockData(kRequestDayBars, 0);
    ASSERT_TRUE(sim.quotes.WaitForHeld(1, kWaitMs));
    CDataCenter* const live = center;
    std::atomic<bool> entered { false };
    std::atomic<CDataCenter*> reached { nullptr };
    observer.SetHook([&](const NoticeRecord&) {
        if (entered.exchange(true))
            return;
        // A view's handler reaches the data center through its getter; here
        // it does so once the release is under way, or after a while.
        WaitUntil([] { return CDataCenter::PeekInstance() == nullptr; }, 3000);
        reached.store(CDataCenter::Instance());
    });
    sim.quotes.ReleaseAll();
    ASSERT_TRUE(WaitUntil([&] { return entered.load(); }, kWaitMs));
    ASSERT_TRUE(ReleaseOnAThreadOfItsOwn());
    center = nullptr;
    // The handler met the data center still standing, not a new one.
    EXPECT_EQ(reached.load(), live);
    EXPECT_EQ(CDataCenter::PeekInstance(), nullptr);
}

TEST_F(CenterOnSimulator, EndsInOrderWithARequestInFlight)
{
    sim.quotes.SetCompression(1);
    PollThread poll(sim.web.Url("/zentu/live/stock_trend.php?type=1&code=600000"));
    ASSERT_TRUE(poll.Start(false));
    sim.quotes.HoldWhere([](const SimRequest& r) { return r.command == 0x401; });
    center->RequestStockData(kRequestDayBars | kRequestTicks, 0);
    ASSERT_TRUE(sim.quotes.WaitForHeld(1, kWaitMs));
    ASSERT_TRUE(observer.WaitFor([](const NoticeRecord& r) { return r.kind == kSeriesDay; }, kWaitMs));
    ASSERT_TRUE(WaitUntil([&] { return poll.polls.load() > 0; }, kWaitMs));

    poll.Stop();
    center->StopCacheThread();
    const size_t requests = sim.quotes.RequestCount();
    // The manager's release lets the running request finish; the gate opens meanwhile.
    std::thread releaser([] { CDownLoaderManager::ReleaseInstance(); });
    sim.quotes.ReleaseAll();
    releaser.join();
    EXPECT_EQ(CDownLoaderManager::PeekInstance(), nullptr);
    HttpClient::ReleaseInstance();
    CDataCenter::ReleaseInstance();
    // Nothing reached a request manager after its release, nor made a new one.
    EXPECT_EQ(sim.quotes.RequestCount(), requests);
    EXPECT_EQ(CDownLoaderManager::PeekInstance(), nullptr);
    // The reply that was in flight was merged and saved with the stock.
    EXPECT_GT(FileSize(DataPaths::Instance()->GetFenbiFile(kComposite)), 116u);
    EXPECT_GT(FileSize(DataPaths::Instance()->GetDayFile(kComposite)), 0u);
}

TEST_F(CenterOnSimulator, DataCenterReleaseWaitsForTheLastCallback)
{
    sim.quotes.HoldWhere([](const SimRequest& r) { return r.command == 0x301; });
    center->RequestStockData(kRequestDayBars, 0);
    ASSERT_TRUE(sim.quotes.WaitForHeld(1, kWaitMs));
    center->StopCacheThread();
    // Released out of order, with the manager still serving: the stock's
    // deletion waits for the reply instead of freeing the series under it.
    std::atomic<bool> released { false };
    std::thread releaser([&] {
        CDataCenter::ReleaseInstance();
        released.store(true);
    });
    EXPECT_FALSE(WaitUntil([&] { return released.load(); }, 200));
    sim.quotes.ReleaseAll();
    releaser.join();
    EXPECT_TRUE(released.load());
    // A series being deleted takes no reply: the late one was dropped, and
    // nobody was told.
    EXPECT_EQ(FileSize(DataPaths::Instance()->GetDayFile(kComposite)), 0u);
    EXPECT_EQ(observer.Count(), 0u);
}

TEST_F(CenterOnSimulator, StressUpdatesAgainstSnapshotReaders)
{
    center->StopCacheThread();
    observer.SetHook([&](const NoticeRecord& r) { center->RefreshStock(nullptr, r.kind); });
    CFenbiData* ticks = nullptr;
    CKData* days = nullptr;
    {
        SingleLock lock(&center->GetDataLock());
        ticks = &center->PeekCurrentStock()->GetFenbiData();
        days = &center->PeekCurrentStock()->GetDayData();
    }
    const int kUpdates = 4500;
    std::atomic<bool> done { false };
    std::thread worker([&] {
        const int32_t open = T(2026, 12, 10, 9, 30);
        for (int i = 0; i < kUpdates; ++i) {
            CMemoryStream stream;
            if (i % 3 == 0) {
                FillStream(stream,
                    BarReply({ MakeWireBar(T(2026, 12, 9) - 86400 * (i / 3), 10, 11, 9, 10, 100, 1000) }));
                CBase::OnDownloadComplete(kComposite, reinterpret_cast<uintptr_t>(days), &stream, 1);
            } else {
                FillStream(stream,
                    TickReply(MakeWireTickHeader(open + i * 3, 10),
                        { MakeWireTick(open + i * 3, 10.125, 100 + i, 1000 + i) }));
                CBase::OnDownloadComplete(kComposite, reinterpret_cast<uintptr_t>(ticks), &stream, 1);
            }
        }
        done.store(true);
    });
    int reads = 0;
    int lastTicks = 0;
    while (!done.load() || reads == 0) {
        SingleLock lock(&center->GetDataLock());
        CStock* snapshot = nullptr;
        ASSERT_EQ(center->GetCurrentStock(&snapshot), 1);
        const int count = snapshot->GetFenbiData().GetCount();
        EXPECT_GE(count, lastTicks);
        lastTicks = count;
        float volume = 0;
        for (const TickRecord& tick : snapshot->GetFenbiData().GetTicks())
            volume = tick.volume;
        (void)volume;
        EXPECT_LE(snapshot->GetMinute().GetCount(), static_cast<int>(CMinute::kSlotCount));
        ++reads;
    }
    worker.join();
    {
        SingleLock lock(&center->GetDataLock());
        CStock* snapshot = nullptr;
        center->GetCurrentStock(&snapshot);
        EXPECT_EQ(snapshot->GetFenbiData().GetCount(), kUpdates - (kUpdates + 2) / 3);
        // And today's bar from the tick header.
        EXPECT_EQ(snapshot->GetDayData().GetCount(), (kUpdates + 2) / 3 + 1);
    }
    EXPECT_EQ(observer.Count(), static_cast<size_t>(kUpdates));
    CDataCenter::ReleaseInstance();
}
