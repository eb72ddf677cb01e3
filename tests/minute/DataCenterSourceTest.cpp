// The charts' snapshots over the real data center: a copy of the current
// stock each, and an update notice that reaches a chart's copy without
// taking it from the data center's own snapshot, which the other views read.
#include <gtest/gtest.h>

#include <cstring>

#include "base/MemoryStream.h"
#include "data/DataCenter.h"
#include "data/DataLock.h"
#include "data/ViewNotify.h"
#include "net/DataProvider.h"
#include "net/DownLoaderManager.h"
#include "tests/minute/MinuteFixtures.h"
#include "tests/support/SeriesFixtures.h"
#include "tests/support/TempDataRoot.h"
#include "views/ViewDataSource.h"

namespace {

CodeTableRecord Entry(uint32_t key, const char* name)
{
    CodeTableRecord r {};
    r.key = key;
    std::strncpy(r.name, name, sizeof(r.name));
    return r;
}

class DataCenterSource : public ::testing::Test
{
protected:
    void SetUp() override
    {
        center = CDataCenter::Instance();
        ASSERT_TRUE(center);
        center->GetCodeTable().AddEntry(Entry(0x600000, "甲"));
        center->GetCodeTable().AddEntry(Entry(0x600001, "乙"));
        for (CRealTime* chart : { &first, &second }) {
            chart->SetOwnerWindow(host.m_hWnd);
            chart->SetClock([]() { return Day(10, 45); });
        }
    }
    void TearDown() override
    {
        if (CDataCenter* live = CDataCenter::PeekInstance())
            live->StopCacheThread();
        CDownLoaderManager::ReleaseInstance();
        CDataCenter::ReleaseInstance();
    }
    // A tick reply merged into the cached current stock, then its notice, on
    // this thread under the data lock as a worker delivers it.
    void Deliver(int32_t end, std::initializer_list<CRealTime*> charts)
    {
        SingleLock data(&GetDataLock());
        CStock* cached = center->PeekCurrentStock();
        ASSERT_TRUE(cached);
        const std::vector<WireTick> ticks = WalkTicks(end, 10, { 0.01, -0.01 }, 100);
        CMemoryStream stream;
        FillStream(stream, TickReply(HeaderOf(ticks, 10), ticks));
        ASSERT_EQ(cached->GetFenbiData().Merge(cached->GetCodeKey(), &stream), 1);
        for (CRealTime* chart : charts)
            chart->OnStockDataUpdated(cached->GetCodeKey(), kSeriesTicks);
    }
    int Minutes(CRealTime& chart)
    {
        SingleLock lock(&chart.GetLock());
        return chart.GetSnapshot() ? chart.GetSnapshot()->GetMinute().GetCount() : -1;
    }

    TempDataRoot root;
    ChartHostWindow host;
    CDataCenter* center = nullptr;
    CRealTime first;
    CRealTime second;
};

// A view shown with a stock takes that stock's copy only: once another is
// current, the key of the one before gives nothing.
TEST_F(DataCenterSource, KeyedCopiesAreOnlyOfTheCurrentStock)
{
    IViewDataSource& source = DataCenterViewSource();
    ASSERT_TRUE(center->SetCurrentStock(0x600000));
    F10SectionMap sections;
    {
        SingleLock data(source.DataLock());
        std::unique_ptr<CStock> copy = source.CopyStock(0x600000);
        ASSERT_TRUE(copy);
        EXPECT_EQ(copy->GetCodeKey(), 0x600000u);
        EXPECT_FALSE(source.CopyStock(0x600001));
        EXPECT_TRUE(source.CopyF10(0x600000, sections));
        EXPECT_FALSE(source.CopyF10(0x600001, sections));
        ASSERT_TRUE(source.GetStock(0x600000));
        EXPECT_EQ(source.GetStock(0x600000)->GetCodeKey(), 0x600000u);
        EXPECT_FALSE(source.GetStock(0x600001));
    }
    first.Reload(0x600000);
    ASSERT_TRUE(center->SetCurrentStock(0x600001));
    first.Reload(0x600000);
    second.Reload(0x600000);
    {
        SingleLock lock(&first.GetLock());
        ASSERT_TRUE(first.GetSnapshot());
        EXPECT_EQ(first.GetSnapshot()->GetCodeKey(), 0x600000u) << "the copy it had stays";
    }
    EXPECT_EQ(Minutes(second), -1);
    EXPECT_FALSE(source.CopyStock(0x600000));
    EXPECT_FALSE(source.CopyF10(0x600000, sections));
    second.Reload(0x600001);
    SingleLock lock(&second.GetLock());
    ASSERT_TRUE(second.GetSnapshot());
    EXPECT_EQ(second.GetSnapshot()->GetCodeKey(), 0x600001u);
}

TEST_F(DataCenterSource, EachChartKeepsItsCopyAndTheUiSnapshotStillUpdates)
{
    ASSERT_TRUE(center->SetCurrentStock(0x600000));
    first.Reload();
    second.Reload();
    ASSERT_TRUE(first.GetSnapshot());
    EXPECT_EQ(first.GetCodeKey(), 0x600000u);
    EXPECT_NE(first.GetSnapshot(), second.GetSnapshot()) << "a copy each";

    Deliver(Day(10, 0), { &first, &second });
    EXPECT_EQ(Minutes(first), 30);
    EXPECT_EQ(Minutes(second), 30) << "the second chart gets the update too";
    {
        SingleLock data(&GetDataLock());
        CStock* ui = nullptr;
        ASSERT_TRUE(center->GetCurrentStock(&ui));
        EXPECT_EQ(ui->GetFenbiData().GetCount(), 30) << "the data center's snapshot is not robbed";
    }

    // Another stock becomes current: the first chart keeps showing its own.
    ASSERT_TRUE(center->SetCurrentStock(0x600001));
    second.Reload();
    EXPECT_EQ(second.GetCodeKey(), 0x600001u);
    Deliver(Day(11, 0), { &first, &second });
    EXPECT_EQ(first.GetCodeKey(), 0x600000u);
    EXPECT_EQ(Minutes(first), 30);
    EXPECT_EQ(Minutes(second), 90);
    EXPECT_EQ(first.GetSnapshot()->GetStockInfo().GetName(), "甲");
}

// The notices as the panel relays them to the minute view: to every chart it shows.
class CChartRelay : public CViewNotify
{
public:
    std::vector<CRealTime*> charts;
    void OnQuotesRefreshed(CReportData*) override { }
    void OnStockDataUpdated(int kind, uint32_t key) override
    {
        for (CRealTime* chart : charts)
            chart->OnStockDataUpdated(key, kind);
    }
};

// A grid shows several stocks while only the last one opened is current:
// a reply for another shown stock still reaches its chart.
TEST_F(DataCenterSource, AChartOfAStockNoLongerCurrentFollowsItsReplies)
{
    ASSERT_TRUE(center->SetCurrentStock(0x600000));
    first.Reload();
    ASSERT_TRUE(center->SetCurrentStock(0x600001));
    second.Reload();
    ASSERT_EQ(Minutes(first), 0);
    CChartRelay relay;
    relay.charts = { &first, &second };
    center->SetObserver(&relay);
    {
        // As the worker delivers it: merged into the cached stock, then the notice.
        SingleLock data(&GetDataLock());
        const std::vector<WireTick> ticks = WalkTicks(Day(10, 0), 10, { 0.01, -0.01 }, 100);
        CMemoryStream stream;
        FillStream(stream, TickReply(HeaderOf(ticks, 10), ticks));
        center->OnDataArrived(kCmdTicks, 0x600000, &stream);
        center->OnDataUpdate(kSeriesTicks, 0x600000);
    }
    center->SetObserver(nullptr);
    EXPECT_EQ(first.GetCodeKey(), 0x600000u);
    EXPECT_EQ(Minutes(first), 30) << "the first chart's own stock";
    EXPECT_EQ(Minutes(second), 0) << "not the current stock's";
    {
        SingleLock data(&GetDataLock());
        CStock* ui = nullptr;
        ASSERT_TRUE(center->GetCurrentStock(&ui));
        EXPECT_EQ(ui->GetCodeKey(), 0x600001u);
        EXPECT_EQ(ui->GetFenbiData().GetCount(), 0);
    }
}

} // namespace
