// The diagnosis verdict over HTTP: URL, the fixed text on every failure, and
// the time-out bound when the service stalls.
#include <gtest/gtest.h>

#include "data/CodeKey.h"
#include "data/Stock.h"
#include "data/StockDiagnose.h"
#include "net/HttpClient.h"
#include "tests/center/CenterFixture.h"

class StockDiagnose : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(sim.ok()); }
    std::string LoadVerdict(uint32_t key)
    {
        CStockDiagnose diagnose;
        diagnose.Load("ignored.dia", key);
        EXPECT_EQ(diagnose.IsLoaded(), 1);
        return diagnose.GetText();
    }
    SimulatedMarket sim;
};

TEST_F(StockDiagnose, SameCodeInBothMarketsGivesTheSameUrl)
{
    const std::string sh = CStockDiagnose::BuildUrl(0x000001);
    EXPECT_EQ(sh, CStockDiagnose::BuildUrl(0x01000001));
    EXPECT_EQ(sh, sim.web.Url("/zentu/live/stock_trend.php?type=3&code=000001"));
    EXPECT_EQ(
        CStockDiagnose::BuildUrl(0x1A0001), sim.web.Url("/zentu/live/stock_trend.php?type=3&code=1A0001"));
}

TEST_F(StockDiagnose, VerdictOrTheFixedText)
{
    EXPECT_EQ(LoadVerdict(0x600000), sim.diagnosis.Verdict("600000", 3));
    sim.diagnosis.SetEmptyBody(true);
    EXPECT_EQ(LoadVerdict(0x600000), CStockDiagnose::kUnknownVerdict);
    sim.diagnosis.SetEmptyBody(false);
    sim.diagnosis.SetFailureStatus(503);
    EXPECT_EQ(LoadVerdict(0x600000), CStockDiagnose::kUnknownVerdict);
    sim.diagnosis.SetFailureStatus(0);
    EXPECT_EQ(LoadVerdict(0x600000), sim.diagnosis.Verdict("600000", 3));
    // The service gone altogether.
    sim.web.Stop();
    EXPECT_EQ(LoadVerdict(0x600000), CStockDiagnose::kUnknownVerdict);
}

TEST_F(StockDiagnose, StalledServiceEndsWithTheTransferTimeOut)
{
    HttpClient::Instance()->GetRawClient().SetWaitTimeout(300);
    sim.diagnosis.SetDelay(20000);
    EXPECT_EQ(LoadVerdict(0x600000), CStockDiagnose::kUnknownVerdict);
    sim.diagnosis.SetDelay(0);
    EXPECT_EQ(LoadVerdict(0x600000), sim.diagnosis.Verdict("600000", 3));
}

TEST_F(StockDiagnose, SnapshotCopyOnceAndNeverPending)
{
    CStock stock(0x600000);
    stock.Load();
    EXPECT_EQ(stock.GetDiagnose().GetText(), sim.diagnosis.Verdict("600000", 3));
    stock.PostRequest(1, kRequestDiagnosis, 0);
    stock.IssuePendingRequests();
    EXPECT_FALSE(stock.IsBusy());
    CStockDiagnose copy;
    EXPECT_EQ(stock.GetDiagnose().CopyTo(&copy), 1);
    EXPECT_EQ(copy.GetText(), stock.GetDiagnose().GetText());
    EXPECT_EQ(stock.GetDiagnose().IsActive(), 0);
}
