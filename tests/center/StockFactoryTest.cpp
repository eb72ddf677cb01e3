// The stock cache: retirement, revival, hand-back, busy retired stocks.
#include <gtest/gtest.h>

#include "data/Stock.h"
#include "data/StockFactory.h"
#include "tests/center/CenterFixture.h"
#include "tests/support/CenterFixtures.h"
#include "tests/support/QuoteFixtures.h"

namespace {

// A cache whose clock the test sets; its thread is never started.
class ClockedFactory : public CStockFactory
{
public:
    uint32_t now = 1000;

protected:
    uint32_t Now() const override { return now; }
};

// Hands back stocks with keys 0x600000 + i, stamped 1000 + 10 * i.
void Fill(ClockedFactory& factory, int count)
{
    for (int i = 0; i < count; ++i) {
        factory.now = 1000 + 10 * i;
        factory.HandBack(0x600000 + i, new CStock(0x600000 + i));
    }
    factory.now = 5000;
}

// A cache whose passes lie an hour apart: between two of them, only the
// wake for posted marks sends anything.
class HourlyFactory : public ClockedFactory
{
protected:
    DWORD PassIntervalMs() const override { return 3600 * 1000; }
};

const DWORD kWaitMs = 30000;

} // namespace

TEST(StockFactory, RetiresTheLeastRecentlyUsedWhenFull)
{
    ClockedFactory nine;
    Fill(nine, 9);
    nine.TrimCache();
    EXPECT_EQ(nine.GetRetiredCount(), 0u);

    ClockedFactory ten;
    Fill(ten, 10);
    ten.now = 1000 + 10 * 9;
    ten.Find(0x600000); // used again: now the newest
    ten.now = 5000;
    ten.TrimCache();
    EXPECT_TRUE(ten.IsRetired(0x600001));
    EXPECT_EQ(ten.GetActiveCount(), 9u);
    // One per pass: with 9 left nothing more goes.
    ten.TrimCache();
    EXPECT_EQ(ten.GetRetiredCount(), 1u);
    ten.ReleaseRetired();
    EXPECT_EQ(ten.GetRetiredCount(), 0u);
}

TEST(StockFactory, TiesGoToTheFirstKeyAndAgeZeroNeverRetires)
{
    ClockedFactory factory;
    for (int i = 9; i >= 0; --i)
        factory.HandBack(0x600000 + i, new CStock(0x600000 + i));
    factory.TrimCache(); // every age 0
    EXPECT_EQ(factory.GetRetiredCount(), 0u);
    factory.now = 2000;
    factory.TrimCache();
    EXPECT_TRUE(factory.IsRetired(0x600000));
}

TEST(StockFactory, HitRefreshesTheStampAndHandBackKeepsIt)
{
    ClockedFactory factory;
    CStock* stock = new CStock(0x600000);
    factory.HandBack(0x600000, stock);
    factory.now = 1500;
    EXPECT_EQ(factory.HandBack(0x600000, stock), 0);
    uint32_t stamp = 0;
    ASSERT_TRUE(factory.GetStamp(0x600000, &stamp));
    EXPECT_EQ(stamp, 1000u);
    factory.now = 1700;
    EXPECT_EQ(factory.Find(0x600000), stock);
    ASSERT_TRUE(factory.GetStamp(0x600000, &stamp));
    EXPECT_EQ(stamp, 1700u);
    EXPECT_EQ(factory.Find(0x600001), nullptr);
}

class StockFactoryWithService : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(sim.ok()); }
    SimulatedMarket sim;
};

TEST_F(StockFactoryWithService, CurrentStockIsNeverRetiredAndARetiredStockIsRevived)
{
    ClockedFactory factory;
    Fill(factory, 10);
    CStock* oldest = nullptr;
    // The oldest becomes current: the next oldest goes instead.
    factory.now = 1000;
    ASSERT_EQ(factory.GetOrCreate(0x600000, &oldest), S_OK);
    factory.now = 5000;
    factory.TrimCache();
    EXPECT_TRUE(factory.IsActive(0x600000));
    EXPECT_TRUE(factory.IsRetired(0x600001));
    // Selecting the retired stock brings the same object back.
    CStock* revived = nullptr;
    ASSERT_EQ(factory.GetOrCreate(0x600001, &revived), S_OK);
    EXPECT_FALSE(factory.IsRetired(0x600001));
    EXPECT_TRUE(factory.IsActive(0x600001));
    EXPECT_EQ(factory.Find(0x600001), revived);
    EXPECT_EQ(factory.GetCurrentKey(), 0x600001u);
    // A new stock is held only as current until it is handed back.
    CStock* fresh = nullptr;
    ASSERT_EQ(factory.GetOrCreate(0x600100, &fresh), S_OK);
    EXPECT_FALSE(factory.IsActive(0x600100));
    EXPECT_TRUE(fresh->GetDiagnose().IsLoaded());
    factory.HandBack(0x600100, fresh);
    EXPECT_TRUE(factory.IsActive(0x600100));
}

TEST(StockFactory, BusyRetiredStockSurvivesUntilItsCallback)
{
    LockedRecordingProvider provider;
    ScopedDataProvider scoped(&provider);
    ClockedFactory factory;
    Fill(factory, 10);
    // The oldest has a day request in flight.
    CStock* busy = factory.Find(0x600000);
    factory.now = 5000;
    busy->PostRequest(1, kRequestDayBars, 0);
    busy->IssuePendingRequests();
    ASSERT_EQ(provider.Count(), 1u);
    factory.now = 1000;
    factory.Find(0x600000);
    factory.now = 9000;
    factory.TrimCache();
    ASSERT_TRUE(factory.IsRetired(0x600000));
    for (int pass = 0; pass < 3; ++pass) {
        factory.ReleaseRetired();
        EXPECT_TRUE(factory.IsRetired(0x600000));
    }
    provider.Complete(0, nullptr);
    factory.ReleaseRetired();
    EXPECT_FALSE(factory.IsRetired(0x600000));
    EXPECT_FALSE(factory.IsActive(0x600000));
}

TEST(StockFactory, TheReplacedStockIsNotRetiredBeforeItIsHandedBack)
{
    // Held on the heap: should the replaced stock be retired and deleted, its
    // hand-back would enter a freed stock, so a failing run leaves the cache
    // alone.
    ClockedFactory* factory = new ClockedFactory;
    Fill(*factory, 10);
    // The oldest is current, then another is selected; a whole pass runs
    // before the data center hands the previous one back.
    CStock* previous = nullptr;
    factory->now = 1000;
    ASSERT_EQ(factory->GetOrCreate(0x600000, &previous), S_OK);
    factory->now = 5000;
    CStock* next = nullptr;
    ASSERT_EQ(factory->GetOrCreate(0x600005, &next), S_OK);
    factory->TrimCache();
    ASSERT_FALSE(factory->IsRetired(0x600000));
    EXPECT_TRUE(factory->IsRetired(0x600001));
    factory->ReleaseRetired();
    factory->HandBack(0x600000, previous);
    EXPECT_TRUE(factory->IsActive(0x600000));
    EXPECT_EQ(previous->GetCodeKey(), 0x600000u);
    // Handed back, it is an ordinary cached stock again: the oldest goes.
    factory->HandBack(0x600100, new CStock(0x600100));
    factory->now = 9000;
    factory->TrimCache();
    EXPECT_TRUE(factory->IsRetired(0x600000));
    delete factory;
}

// A chart asks for its bars and waits for them: marks posted between passes
// go out when posted, not at the next pass, and only the passes retire.
TEST(StockFactory, MarksPostedBetweenPassesGoOutAtOnceWhileRetiringKeepsThePassesPace)
{
    LockedRecordingProvider provider;
    ScopedDataProvider scoped(&provider);
    HourlyFactory factory;
    Fill(factory, 11);
    CStock* current = nullptr;
    ASSERT_EQ(factory.GetOrCreate(0x600005, &current), S_OK);
    factory.StartThread();
    // The first pass retires (and deletes) the oldest of the eleven.
    ASSERT_TRUE(WaitUntil([&] { return factory.GetPassCount() == 1; }, kWaitMs));
    EXPECT_EQ(factory.GetActiveCount(), 10u);
    EXPECT_TRUE(provider.Requests().empty());

    const uint32_t marks[] = { kRequestDayBars, kRequestFiveMinuteBars, kRequestF10 };
    for (size_t i = 0; i < 3; ++i) {
        current->PostRequest(1, marks[i], 0);
        factory.WakeForRequests();
        ASSERT_TRUE(provider.WaitForCount(i + 1, kWaitMs)) << "mark " << marks[i] << " waits for the next pass";
    }
    EXPECT_EQ(factory.GetPassCount(), 1u);
    EXPECT_EQ(factory.GetActiveCount(), 10u) << "a wake retired another stock";

    factory.Stop();
    for (size_t i = 0; i < provider.Count(); ++i)
        provider.Complete(i, nullptr);
}
