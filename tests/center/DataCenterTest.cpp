// The data center without a quote server: selection and browsing, the
// snapshot, update notices, request marks, and what destruction saves.
#include <gtest/gtest.h>

#include <cstring>

#include "base/CPFile.h"
#include "base/DataPaths.h"
#include "base/MemoryStream.h"
#include "data/DataCenter.h"
#include "data/Stock.h"
#include "tests/center/CenterFixture.h"
#include "tests/support/CenterFixtures.h"
#include "tests/support/QuoteFixtures.h"

namespace {

const uint32_t kKeys[] = { 0x000001, 0x1A0001, 0x600000, 0x600036, 0x01000001 };
const int kKeyCount = 5;

// No quote request leaves the recording provider; the simulator gives the
// data root and the web service.
class DataCenterTest : public CenterFixture
{
protected:
    void FillCodeTable()
    {
        for (uint32_t key : kKeys) {
            CodeTableRecord record = {};
            record.key = key;
            std::memcpy(record.name, "STOCK", 5);
            center->GetCodeTable().AddEntry(record);
        }
    }
    CStock* CachedStock(uint32_t key)
    {
        SingleLock lock(&center->GetDataLock());
        return center->GetStockFactory().Find(key);
    }

    LockedRecordingProvider provider;
    ScopedDataProvider scoped { &provider };
};

} // namespace

TEST_F(DataCenterTest, SelectionPositionsAndWrap)
{
    FillCodeTable();
    EXPECT_EQ(center->SetCurrentStock(0x600000), 1);
    EXPECT_EQ(center->GetCurrentCodeKey(), 0x600000u);
    EXPECT_EQ(center->GetCurrentPosition(), 2);
    // Re-selecting the current key changes nothing and loads nothing.
    const size_t fetches = sim.diagnosis.RequestCount();
    EXPECT_EQ(center->SetCurrentStock(0x600000), 1);
    EXPECT_EQ(sim.diagnosis.RequestCount(), fetches);
    // A key not in the table selects the first security.
    EXPECT_EQ(center->SetCurrentStock(0x688888), 1);
    EXPECT_EQ(center->GetCurrentPosition(), 0);
    EXPECT_EQ(center->GetCurrentCodeKey(), kKeys[0]);
    EXPECT_EQ(center->SelectPrevStock(), 1);
    EXPECT_EQ(center->GetCurrentCodeKey(), kKeys[kKeyCount - 1]);
    EXPECT_EQ(center->SelectNextStock(), 1);
    EXPECT_EQ(center->GetCurrentCodeKey(), kKeys[0]);
    EXPECT_EQ(center->SelectNextStock(), 1);
    EXPECT_EQ(center->GetCurrentCodeKey(), kKeys[1]);
}

TEST_F(DataCenterTest, BrowseListLeadsStepping)
{
    FillCodeTable();
    StockPagingList& list = center->GetPagingList();
    list.Add(0x600036);
    list.Add(0x000001);
    list.Add(0x01000001);
    EXPECT_EQ(center->SetCurrentStock(0x000001), 1);
    EXPECT_EQ(center->SelectNextStock(), 1);
    EXPECT_EQ(center->GetCurrentCodeKey(), 0x01000001u);
    EXPECT_EQ(center->SelectNextStock(), 1);
    EXPECT_EQ(center->GetCurrentCodeKey(), 0x600036u);
    EXPECT_EQ(center->SelectPrevStock(), 1);
    EXPECT_EQ(center->GetCurrentCodeKey(), 0x01000001u);
}

TEST_F(DataCenterTest, EmptyCodeTableMakesNoStock)
{
    EXPECT_EQ(center->SetCurrentStock(0x600000), 0);
    EXPECT_EQ(center->SelectNextStock(), 0);
    EXPECT_EQ(center->SelectPrevStock(), 0);
    EXPECT_EQ(center->GetCurrentCodeKey(), 0u);
    CStock* snapshot = reinterpret_cast<CStock*>(1);
    EXPECT_EQ(center->GetCurrentStock(&snapshot), 0);
    EXPECT_EQ(snapshot, nullptr);
    EXPECT_EQ(center->RequestStockData(kRequestDayBars, 0), 1);
    EXPECT_EQ(sim.diagnosis.RequestCount(), 0u);
    EXPECT_EQ(center->GetStockFactory().GetActiveCount(), 0u);
}

TEST_F(DataCenterTest, SnapshotIsKeptUntilTheStockChanges)
{
    FillCodeTable();
    center->SetCurrentStock(0x600000);
    SingleLock lock(&center->GetDataLock());
    CStock* first = nullptr;
    CStock* again = nullptr;
    ASSERT_EQ(center->GetCurrentStock(&first), 1);
    ASSERT_EQ(center->GetCurrentStock(&again), 1);
    EXPECT_EQ(first, again);
    EXPECT_EQ(first->GetCodeKey(), 0x600000u);
    EXPECT_EQ(first->GetDiagnose().GetText(), sim.diagnosis.Verdict("600000", 3));
    center->SetCurrentStock(0x600036);
    CStock* second = nullptr;
    ASSERT_EQ(center->GetCurrentStock(&second), 1);
    EXPECT_EQ(second->GetCodeKey(), 0x600036u);
}

TEST_F(DataCenterTest, NoticesReachTheObserverOnlyForQuotesAndTheCurrentStock)
{
    FillCodeTable();
    center->SetCurrentStock(0x600000);
    EXPECT_EQ(center->OnDataUpdate(kSeriesQuotes, 0), 0);
    EXPECT_EQ(center->OnDataUpdate(kSeriesDay, 0x600036), 0);
    EXPECT_EQ(center->OnDataUpdate(kSeriesDay, 0x600000), 1);
    const std::vector<NoticeRecord> notices = observer.Records();
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_TRUE(notices[0].quotes);
    EXPECT_FALSE(notices[1].quotes);
    EXPECT_EQ(notices[1].kind, kSeriesDay);
    EXPECT_EQ(notices[1].key, 0x600000u);
}

TEST_F(DataCenterTest, MarksPostedBeforeAPassAreIssuedTogether)
{
    FillCodeTable();
    center->SetCurrentStock(0x600000);
    // Without the thread the passes are the test's own.
    center->StopCacheThread();
    center->RequestStockData(kRequestTicks | kRequestF10, 0);
    center->RequestStockData(kRequestDayBars, 0);
    center->GetStockFactory().RequestPendingData();
    std::vector<RecordedRequest> sent = provider.Requests();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0].command, 0x301);
    EXPECT_EQ(sent[1].command, 0x205);
    EXPECT_EQ(sent[2].command, 0x401);
    for (const RecordedRequest& r : sent)
        EXPECT_EQ(r.key, 0x600000u);
    for (size_t i = 0; i < sent.size(); ++i)
        provider.Complete(i, nullptr);
    // Once issued, the marks are spent: the next post stands alone.
    center->RequestStockData(kRequestTicks, 0);
    center->GetStockFactory().RequestPendingData();
    sent = provider.Requests();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[3].command, 0x401);
    provider.Complete(3, nullptr);
}

TEST_F(DataCenterTest, RefreshCopiesIntoTheSnapshotOfTheSameStockOnly)
{
    FillCodeTable();
    center->SetCurrentStock(0x600000);
    center->StopCacheThread();
    CStock* snapshot = nullptr;
    {
        SingleLock lock(&center->GetDataLock());
        center->GetCurrentStock(&snapshot);
    }
    center->RequestStockData(kRequestDayBars, 0);
    center->GetStockFactory().RequestPendingData();
    ASSERT_EQ(provider.Count(), 1u);
    const std::string bars = BarReply({ MakeWireBar(T(2026, 12, 8), 10, 11, 9, 10, 100, 1000),
        MakeWireBar(T(2026, 12, 9), 10, 11, 9, 10, 100, 1000) });
    observer.SetHook([&](const NoticeRecord& r) { center->RefreshStock(nullptr, r.kind); });
    provider.Complete(0, &bars);
    ASSERT_EQ(observer.Count(), 1u);
    SingleLock lock(&center->GetDataLock());
    EXPECT_EQ(snapshot->GetDayData().GetCount(), 2);
    // A snapshot of an earlier stock never takes another stock's series.
    center->SetCurrentStock(0x600036);
    center->RefreshStock(nullptr, kSeriesDay);
    EXPECT_EQ(snapshot->GetCodeKey(), 0x600000u);
}

TEST_F(DataCenterTest, DestructionHandsBackAndSavesTheCurrentStock)
{
    FillCodeTable();
    center->SetCurrentStock(0x600000);
    center->StopCacheThread();
    center->RequestStockData(kRequestDayBars, 0);
    center->GetStockFactory().RequestPendingData();
    ASSERT_EQ(provider.Count(), 1u);
    const std::string bars = BarReply({ MakeWireBar(T(2026, 12, 9), 10, 11, 9, 10, 100, 1000) });
    provider.Complete(0, &bars);
    CDataCenter::ReleaseInstance();
    center = nullptr;
    const std::string path = DataPaths::Instance()->GetDayFile(0x600000);
    WIN32_FILE_ATTRIBUTE_DATA info;
    ASSERT_TRUE(::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &info));
    EXPECT_EQ(info.nFileSizeLow, sizeof(Bar));
}

TEST_F(DataCenterTest, FailedTableLoadsReportFailure)
{
    // The recording provider fails every synchronous request.
    EXPECT_EQ(center->LoadCodeTable(), E_FAIL);
    EXPECT_EQ(center->LoadFinanceData(), E_FAIL);
    EXPECT_EQ(center->LoadQuoteData(), E_FAIL);
    EXPECT_EQ(center->LoadGroupData(), E_FAIL);
    EXPECT_EQ(center->LoadFormulaData(), E_FAIL);
    EXPECT_EQ(center->LoadExRightsData(), E_FAIL);
    EXPECT_EQ(center->SetCurrentStock(0x1A0001), 0);
}

TEST_F(DataCenterTest, LoadersAskInTheirOrderFromEachFilesSecondWord)
{
    // Each table file holds only its two header words (and what its format
    // needs to be read); the update asks from the second word on.
    struct TableFile
    {
        std::string (DataPaths::*path)() const;
        std::vector<int32_t> words;
    };
    const TableFile files[] = {
        { &DataPaths::GetCodeListFile, { 11, 21 } },
        { &DataPaths::GetFinanceFile, { 12, 22, static_cast<int32_t>(0x223FD90C), 166 } },
        { &DataPaths::GetReportPriceFile, { 13, 23 } },
        { &DataPaths::GetGroupsFile, { 14, 24, 0, 0 } },
        { &DataPaths::GetFormulaFile, { 15, 25 } },
        { &DataPaths::GetPwrFile, { 16, 26, 0 } },
    };
    for (const TableFile& file : files) {
        const std::string path = (DataPaths::Instance()->*file.path)();
        ASSERT_TRUE(SaveFileReplacing(path.c_str(), file.words.data(), file.words.size() * sizeof(int32_t)))
            << path;
    }
    center->LoadCodeTable();
    center->LoadFinanceData();
    center->LoadQuoteData();
    center->LoadGroupData();
    center->LoadFormulaData();
    center->LoadExRightsData();
    const std::vector<RecordedRequest> sent = provider.Requests();
    const int32_t commands[] = { 0x201, 0x203, 0x202, 0x206, 0x208, 0x204 };
    ASSERT_EQ(sent.size(), 6u);
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(sent[i].command, commands[i]) << i;
        EXPECT_EQ(sent[i].key, 0u) << i;
        EXPECT_EQ(sent[i].from, static_cast<uint32_t>(21 + i)) << i;
        EXPECT_EQ(sent[i].to, static_cast<uint32_t>(SimulatedMarket::Now())) << i;
    }
}

TEST_F(DataCenterTest, ArrivedRepliesAddToTheFilesHistory)
{
    FillCodeTable();
    const std::string path = DataPaths::Instance()->GetDayFile(0x600036);
    {
        // A stock that is not cached: its file is read first, then merged and saved.
        CKData history;
        history.SetKind(kSeriesDay);
        CMemoryStream old;
        FillStream(old, BarReply({ MakeWireBar(T(2026, 12, 7), 10, 11, 9, 10, 100, 1000) }));
        history.Merge(0x600036, &old);
        ASSERT_EQ(history.Save(path.c_str()), 1);
    }
    CMemoryStream reply;
    FillStream(reply, BarReply({ MakeWireBar(T(2026, 12, 8), 10, 11, 9, 10, 100, 1000) }));
    EXPECT_EQ(center->OnDataArrived(0x301, 0x600036, &reply), 1);
    CKData reread;
    reread.SetKind(kSeriesDay);
    ASSERT_EQ(reread.Load(path.c_str(), 0x600036), 1);
    EXPECT_EQ(reread.GetCount(), 2);
    // The current stock takes the reply itself.
    center->SetCurrentStock(0x600036);
    CMemoryStream more;
    FillStream(more, BarReply({ MakeWireBar(T(2026, 12, 9), 10, 11, 9, 10, 100, 1000) }));
    EXPECT_EQ(center->OnDataArrived(0x301, 0x600036, &more), 1);
    SingleLock lock(&center->GetDataLock());
    EXPECT_EQ(center->PeekCurrentStock()->GetDayData().GetCount(), 3);
    EXPECT_EQ(observer.Count(), 0u);
}
