// Finance table and the stock info that copies from it.
#include <gtest/gtest.h>

#include "data/FinanceData.h"
#include "data/StockInfo.h"
#include "tests/support/TempDataRoot.h"
#include "tests/tables/TableTestSupport.h"

namespace {

std::string FinanceRecordBytes(const char* tag, const char* code, int32_t reportDate, float circulating)
{
    std::string record(166, '\0');
    std::memcpy(&record[0], tag, 2);
    std::memcpy(&record[4], code, std::min<size_t>(std::strlen(code), 10));
    std::memcpy(&record[14], &reportDate, 4);
    std::memcpy(&record[42], &circulating, 4);
    record[165] = '\x7E'; // the figures beyond are kept whole
    return record;
}

Bytes FinanceHeader(int32_t word2, uint32_t magic = 0x223FD90C, int32_t size = 166)
{
    Bytes b;
    b.I32(1).I32(word2).U32(magic).I32(size);
    return b;
}

} // namespace

TEST(Finance, LoadKeepsFirstOfAKeyAndIgnoresAPartialRecord)
{
    TempDirectory dir("fin");
    const std::string path = dir.Path() + "finance.fin";
    Bytes file = FinanceHeader(31);
    file.Raw(FinanceRecordBytes("SH", "600000", 1719676800, 2934.5f));
    file.Raw(FinanceRecordBytes("SZ", "000001", 1719676800, 1940.6f));
    file.Raw(FinanceRecordBytes("SH", "600000", 1, 1.0f)); // a second record of a key
    file.Raw(FinanceRecordBytes("SZ", "000063", 0, 5.0f).substr(0, 100));
    ASSERT_TRUE(WriteTestFile(path, file.data));

    CBaseData table;
    ASSERT_EQ(table.Load(path.c_str()), 1);
    EXPECT_EQ(table.GetNextUpdateStart(), 31);
    EXPECT_EQ(table.GetCount(), 2u);
    const FinanceRecord* record = table.GetRecord(0x600000);
    ASSERT_NE(record, nullptr);
    EXPECT_FLOAT_EQ(record->CirculatingShares(), 2934.5f);
    EXPECT_EQ(record->bytes[165], 0x7E);
    EXPECT_NE(table.GetRecord(0x01000001), nullptr);
    EXPECT_EQ(table.GetRecord(0x01000063), nullptr);
}

TEST(Finance, WrongMagicOrRecordSizeLoadsAndMergesNothing)
{
    TempDirectory dir("fin");
    struct Case
    {
        const char* name;
        std::string bytes;
    };
    const std::string record = FinanceRecordBytes("SH", "600000", 1, 1.0f);
    const Case cases[] = {
        { "record size 165", FinanceHeader(5, 0x223FD90C, 165).Raw(record).data },
        { "another magic", FinanceHeader(5, 0x223FD90D).Raw(record).data },
        { "short header", FinanceHeader(5).Cut(3).data },
        { "empty", std::string() },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.Path() + "bad.fin";
        ASSERT_TRUE(WriteTestFile(path, c.bytes));
        CBaseData table;
        EXPECT_EQ(table.Load(path.c_str()), 0);
        EXPECT_EQ(table.GetCount(), 0u);

        // A held table stays as it is.
        CMemoryStream stream;
        FillStream(stream, FinanceHeader(8).Raw(FinanceRecordBytes("SZ", "000001", 1, 1.0f)).data);
        ASSERT_EQ(table.Merge(&stream), 1);
        FillStream(stream, c.bytes);
        EXPECT_EQ(table.Merge(&stream), 0);
        EXPECT_EQ(table.GetCount(), 1u);
        EXPECT_EQ(table.GetNextUpdateStart(), 8);
    }
}

TEST(Finance, SaveLoadRoundTrip)
{
    TempDirectory dir("fin");
    const std::string path = dir.Path() + "finance.fin";
    {
        CBaseData table;
        CMemoryStream stream;
        // The code field is read only within its ten bytes, whatever follows.
        std::string unterminated = FinanceRecordBytes("SB", "4000010000", 7, 3.0f);
        unterminated[14] = '1';
        FillStream(stream,
            FinanceHeader(12).Raw(FinanceRecordBytes("SZ", "000001", 5, 2.0f)).Raw(unterminated).data);
        ASSERT_EQ(table.Merge(&stream), 1);
        EXPECT_NE(table.GetRecord(0x02010000), nullptr); // "4000010000" keeps its last six digits
        EXPECT_EQ(table.Save(path.c_str()), 1);
    }
    CBaseData reloaded;
    ASSERT_EQ(reloaded.Load(path.c_str()), 1);
    EXPECT_EQ(reloaded.GetNextUpdateStart(), 12);
    EXPECT_EQ(reloaded.GetCount(), 2u);
    EXPECT_EQ(ReadTestFile(path).size(), 16u + 2 * 166);
}

TEST(Finance, UpdateThroughTheTransportAndIntoStockInfo)
{
    SimulatedMarket market;
    ASSERT_TRUE(market.started);
    SetDataProviderMode(7); // finance goes to the request manager whatever the mode
    CBaseData table;
    const HRESULT result = table.Update();
    SetDataProviderMode(0);
    ASSERT_EQ(result, S_OK);
    EXPECT_GT(table.GetCount(), 250u);
    EXPECT_EQ(table.GetNextUpdateStart(), market.tables.TableVersion(0x203));
    EXPECT_EQ(market.simulator.RequestLog().at(0).command, 0x203);
    EXPECT_EQ(market.simulator.RequestLog().at(0).value, 0u);
    ASSERT_EQ(table.Update(), S_OK); // the next update starts from the word kept
    EXPECT_EQ(
        market.simulator.RequestLog().at(1).value, static_cast<uint32_t>(market.tables.TableVersion(0x203)));
    EXPECT_EQ(market.simulator.RequestLog().at(1).value2, static_cast<uint32_t>(kTestServerTime));

    CStockInfo info;
    info.SetCodeKey(0x600000);
    info.UpdateFinance(&table);
    double shares = 0;
    ASSERT_EQ(info.GetCirculatingShares(shares), 1);
    EXPECT_DOUBLE_EQ(shares, table.GetRecord(0x600000)->CirculatingShares() * 10000.0);

    CStockInfo zeroDate;
    zeroDate.SetCodeKey(SimMarketTables::kZeroReportDateKey);
    zeroDate.UpdateFinance(&table);
    EXPECT_EQ(zeroDate.IsFinancePending(), 0);
    EXPECT_EQ(zeroDate.GetCirculatingShares(shares), 0); // a record without figures

    // A failed update keeps the table.
    market.simulator.SetFault(SimFault::CloseMidBody);
    EXPECT_EQ(table.Update(), S_OK);
    EXPECT_GT(table.GetCount(), 250u);
    CBaseData empty;
    EXPECT_EQ(empty.Update(), E_FAIL);
}

TEST(StockInfo, FreshObjectOnceOnlyFinanceAndOrderRatio)
{
    CStockInfo info;
    EXPECT_EQ(info.GetCode(), "1A0001");
    EXPECT_EQ(info.GetName(), "上证指数");
    EXPECT_EQ(info.GetCodeKey(), 0xFFFFFFFFu);
    EXPECT_EQ(info.last, 0.0f);
    EXPECT_EQ(info.bidVolumes[4], 0.0f);
    EXPECT_EQ(info.GetPriceDecimals(), 2);
    double shares = -1;
    EXPECT_EQ(info.GetCirculatingShares(shares), 0);

    CBaseData finance;
    CMemoryStream stream;
    FillStream(stream, FinanceHeader(1).Raw(FinanceRecordBytes("SH", "600000", 9, 100.0f)).data);
    ASSERT_EQ(finance.Merge(&stream), 1);
    info.SetCodeKey(0x600036);
    info.UpdateFinance(&finance); // no record: still only once
    info.SetCodeKey(0x600000);
    info.UpdateFinance(&finance);
    EXPECT_EQ(info.GetCirculatingShares(shares), 0);
    CStockInfo second;
    second.SetCodeKey(0x600000);
    second.UpdateFinance(nullptr); // no table: still pending
    EXPECT_EQ(second.IsFinancePending(), 1);
    second.UpdateFinance(&finance);
    ASSERT_EQ(second.GetCirculatingShares(shares), 1);
    EXPECT_DOUBLE_EQ(shares, 1000000.0);
    CStockInfo copy(second);
    EXPECT_EQ(copy.GetFinance().Valid(), 9);

    struct Case
    {
        float bid[5];
        float ask[5];
        double ratio;
        double difference;
    };
    const Case cases[] = {
        { { 100, 200, 0, 0, 0 }, { 50, 250, 0, 0, 0 }, 0.0, 0.0 }, // equal totals
        { { 0, 0, 0, 0, 0 }, { 0, 0, 0, 0, 0 }, 0.0, 0.0 }, // nothing at all
        { { 300.9f, 0, 0, 0, 0 }, { 100.9f, 0, 0, 0, 0 }, 50.0, 200.0 }, // whole volumes only
        { { 3e9f, 3e9f, 3e9f, 0, 0 }, { 0, 0, 0, 0, 0 }, 100.0, 9e9 }, // beyond 32 bits
    };
    for (const Case& c : cases) {
        CStockInfo q;
        std::copy(c.bid, c.bid + 5, q.bidVolumes);
        std::copy(c.ask, c.ask + 5, q.askVolumes);
        double ratio = -1, difference = -1;
        EXPECT_EQ(q.GetOrderRatio(&ratio, &difference), 1);
        EXPECT_DOUBLE_EQ(ratio, c.ratio);
        EXPECT_DOUBLE_EQ(difference, c.difference);
        EXPECT_EQ(q.GetOrderRatio(nullptr, nullptr), 1);
    }
}
