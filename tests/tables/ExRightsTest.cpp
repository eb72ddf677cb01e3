// Ex-rights table: "pwr.dat", the 0x204 stream, sorting by day.
#include <gtest/gtest.h>

#include "data/PwrData.h"
#include "tests/support/TempDataRoot.h"
#include "tests/tables/TableTestSupport.h"

namespace {

// 2024-07-11 00:00 exchange time.
const int32_t kDay = 1720627200;

Bytes& Event(Bytes& b, int32_t time, float bonus, float cash)
{
    return b.I32(time).F32(bonus).F32(0).F32(0).F32(cash);
}

Bytes& Marker(Bytes& b, const char* tag, const char* code)
{
    return b.I32(-1).Text(tag, 2).Text(code, 14);
}

Bytes ReplyHead(int32_t word2)
{
    Bytes b;
    b.I32(1).I32(word2).I32(0).I32(0);
    return b;
}

} // namespace

TEST(ExRights, LoadSortsAndKeepsOneEventPerDay)
{
    TempDirectory dir("pwr");
    const std::string path = dir.Path() + "pwr.dat";
    Bytes file;
    file.I32(1).I32(17).I32(2);
    file.U32(0x600036).I32(4);
    Event(file, kDay + 10 * 3600, 0.3f, 0); // later the same day
    Event(file, kDay - 86400 * 400, 0, 0.5f);
    Event(file, kDay + 9 * 3600, 0, 1.97f); // first of the day
    Event(file, kDay + 15 * 3600 + 59 * 60, 0.1f, 0); // still the same exchange day (15:59 UTC+8 = 07:59 UTC)
    file.U32(0x01000001).I32(0);
    ASSERT_TRUE(WriteTestFile(path, file.data));

    CPwrData table;
    ASSERT_EQ(table.Load(path.c_str()), 1);
    EXPECT_EQ(table.GetNextUpdateStart(), 17);
    EXPECT_EQ(table.GetStockCount(), 2u);
    const ExRightsList* list = table.GetRecords(0x600036);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->size(), 2u);
    EXPECT_EQ((*list)[0].time, kDay - 86400 * 400);
    EXPECT_EQ((*list)[1].time, kDay + 9 * 3600);
    EXPECT_FLOAT_EQ((*list)[1].cashDividend, 1.97f);
    ASSERT_NE(table.GetRecords(0x01000001), nullptr);
    EXPECT_TRUE(table.GetRecords(0x01000001)->empty());
    EXPECT_EQ(table.GetRecords(0x600000), nullptr);
}

TEST(ExRights, DamagedFilesLoadNothing)
{
    TempDirectory dir("pwr");
    Bytes good;
    good.I32(1).I32(2).I32(1).U32(0x600000).I32(1);
    Event(good, kDay, 0.1f, 0);
    struct Case
    {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        { "truncated record", Bytes(good).Cut(1).data },
        { "stock count beyond the file", Bytes().I32(1).I32(2).I32(3).U32(0x600000).I32(0).data },
        { "record count beyond the file", Bytes().I32(1).I32(2).I32(1).U32(0x600000).I32(0x7FFFFFFF).data },
        { "negative record count", Bytes().I32(1).I32(2).I32(1).U32(0x600000).I32(-5).data },
        { "negative stock count", Bytes().I32(1).I32(2).I32(-1).data },
        { "short header", Bytes().I32(1).I32(2).data },
        { "garbage", std::string(333, '\xA7') },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.Path() + "pwr.dat";
        ASSERT_TRUE(WriteTestFile(path, c.bytes));
        CPwrData table;
        EXPECT_EQ(table.Load(path.c_str()), 0);
        EXPECT_EQ(table.GetStockCount(), 0u);
        EXPECT_EQ(table.GetNextUpdateStart(), 0);
    }
}

TEST(ExRights, MergeReadsMarkersAndSortsTheTouchedLists)
{
    CPwrData table;
    Bytes reply = ReplyHead(40);
    Event(reply, kDay - 86400, 0.5f, 0); // before any marker: belongs to no stock
    Marker(reply, "SZ", "000001");
    Marker(reply, "SH", "600036"); // a stock without events is followed by the next marker
    Event(reply, kDay + 10 * 3600, 0.3f, 0);
    Event(reply, kDay + 9 * 3600, 0, 1.97f);
    Event(reply, kDay - 86400 * 30, 0, 0.2f);
    Marker(reply, "SB", "400001");
    Event(reply, kDay, 0, 0.1f);
    CMemoryStream stream;
    FillStream(stream, reply.data);
    ASSERT_EQ(table.Merge(&stream), 1);
    EXPECT_EQ(table.GetNextUpdateStart(), 40);
    EXPECT_EQ(table.IsDirty(), 1);
    EXPECT_EQ(table.GetRecords(0x01000001), nullptr);
    const ExRightsList* list = table.GetRecords(0x600036);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->size(), 2u);
    EXPECT_EQ((*list)[0].time, kDay - 86400 * 30);
    EXPECT_EQ((*list)[1].time, kDay + 9 * 3600);
    ASSERT_NE(table.GetRecords(0x02400001), nullptr);

    // The same events merged again are not held twice.
    FillStream(stream, reply.data);
    ASSERT_EQ(table.Merge(&stream), 1);
    EXPECT_EQ(table.GetRecords(0x600036)->size(), 2u);

    // A truncated reply keeps what came before the break.
    Bytes cut = ReplyHead(41);
    Marker(cut, "SH", "600000");
    Event(cut, kDay, 0, 0.4f);
    Event(cut, kDay + 86400, 0, 0.4f);
    FillStream(stream, cut.Cut(7).data);
    ASSERT_EQ(table.Merge(&stream), 1);
    ASSERT_NE(table.GetRecords(0x600000), nullptr);
    EXPECT_EQ(table.GetRecords(0x600000)->size(), 1u);
    EXPECT_EQ(table.Merge(nullptr), 0);

    // Streams without both header words change nothing, the start value included.
    CPwrData clean;
    for (const std::string& bytes : { std::string(), std::string("\x07\x00\x00\x00\x09", 5) }) {
        FillStream(stream, bytes);
        EXPECT_EQ(table.Merge(&stream), 0);
        EXPECT_EQ(table.GetNextUpdateStart(), 41);
        EXPECT_EQ(clean.Merge(&stream), 0);
        EXPECT_EQ(clean.IsDirty(), 0);
    }
}

TEST(ExRights, UpdateSaveAndReloadRoundTrip)
{
    SimulatedMarket market;
    ASSERT_TRUE(market.started);
    TempDirectory dir("pwr");
    const std::string path = dir.Path() + "pwr.dat";
    size_t stocks = 0;
    std::vector<ExRightsRecord> sameDay;
    {
        CPwrData table;
        EXPECT_EQ(table.Load(path.c_str()), 0); // no file yet
        ASSERT_EQ(table.Update(), S_OK);
        EXPECT_EQ(market.simulator.RequestLog().at(0).command, 0x204);
        stocks = table.GetStockCount();
        EXPECT_GT(stocks, 30u);
        const ExRightsList* list = table.GetRecords(SimMarketTables::kSameDayExRightsKey);
        ASSERT_NE(list, nullptr);
        sameDay = *list;
        // The simulator's two events of one day arrive as one.
        int onThatDay = 0;
        for (const ExRightsRecord& r : sameDay)
            onThatDay += (r.time >= kDay && r.time < kDay + 86400) ? 1 : 0;
        EXPECT_EQ(onThatDay, 1);
    } // saved at destruction
    CPwrData reloaded;
    ASSERT_EQ(reloaded.Load(path.c_str()), 1);
    EXPECT_EQ(reloaded.GetStockCount(), stocks);
    EXPECT_EQ(reloaded.GetNextUpdateStart(), market.tables.TableVersion(0x204));
    const ExRightsList* list = reloaded.GetRecords(SimMarketTables::kSameDayExRightsKey);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->size(), sameDay.size());
    for (size_t i = 0; i < sameDay.size(); ++i) {
        EXPECT_EQ((*list)[i].time, sameDay[i].time);
        EXPECT_EQ((*list)[i].cashDividend, sameDay[i].cashDividend);
    }
    EXPECT_EQ(reloaded.IsDirty(), 0);

    // The next update asks from the stored word, and events it repeats are
    // not held twice; a failure keeps the table.
    ASSERT_EQ(reloaded.Update(), S_OK);
    const SimRequest next = market.simulator.RequestLog().back();
    EXPECT_EQ(next.command, 0x204);
    EXPECT_EQ(next.key, 0u);
    EXPECT_EQ(next.value, static_cast<uint32_t>(market.tables.TableVersion(0x204)));
    EXPECT_EQ(next.value2, static_cast<uint32_t>(kTestServerTime));
    EXPECT_EQ(reloaded.GetRecords(SimMarketTables::kSameDayExRightsKey)->size(), sameDay.size());
    market.simulator.SetFault(SimFault::Refuse);
    EXPECT_EQ(reloaded.Update(), S_OK);
    EXPECT_EQ(reloaded.GetStockCount(), stocks);
}
