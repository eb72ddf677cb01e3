// The code table: file, server reply, update through the transport, save.
#include <gtest/gtest.h>

#include "tests/tables/TableTestSupport.h"
#include "tests/support/TempDataRoot.h"
#include "data/CodeTable.h"

namespace {

Bytes CodeFile(int32_t word1, int32_t word2)
{
    Bytes b;
    b.I32(word1).I32(word2);
    return b;
}

Bytes& AddRecord(Bytes& b, uint32_t key, const std::string& name)
{
    return b.U32(key).Text(name, 10);
}

} // namespace

TEST(CodeTable, LoadSortsIndexesAndKeepsFirstOfKeyAndCode)
{
    TempDirectory dir("ct");
    Bytes file = CodeFile(7, 42);
    AddRecord(file, 0x01000001, "平安银行");
    AddRecord(file, 0x600000, "浦发银行");
    AddRecord(file, 0x000001, "上证综指"); // shares "000001" with the Shenzhen key added first
    AddRecord(file, 0x1A0001, " 上证指数 ");
    AddRecord(file, 0x600000, "重复"); // a second entry of a key
    AddRecord(file, 0x600519, "贵州茅台酒"); // ten bytes, no terminator
    file.Raw("\x01\x02\x03"); // a trailing partial record
    const std::string path = dir.Path() + "codelist.dat";
    ASSERT_TRUE(WriteTestFile(path, file.data));

    CCodeTable table;
    ASSERT_EQ(table.Load(path.c_str()), 1);
    EXPECT_EQ(table.GetReplyValue(), 7);
    EXPECT_EQ(table.GetNextUpdateStart(), 42);
    ASSERT_EQ(table.GetCount(), 5);
    const CodeKey sorted[] = { 0x000001, 0x1A0001, 0x600000, 0x600519, 0x01000001 };
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(table.GetKeyAt(i), sorted[i]) << i;
    EXPECT_EQ(table.GetKeyAt(-1), 0u);
    EXPECT_EQ(table.GetKeyAt(5), 0u);
    EXPECT_EQ(table.IndexOfKey(0x600519), 3);
    EXPECT_EQ(table.IndexOfKey(0x123456), 0);

    EXPECT_EQ(table.GetNameOfKey(0x600000), "浦发银行");
    EXPECT_EQ(table.GetNameOfKey(0x1A0001), "上证指数"); // trimmed
    EXPECT_EQ(table.GetNameOfKey(0x600519), "贵州茅台酒");
    EXPECT_EQ(table.GetSearchKeyOfKey(0x600519), "GZMTJ");
    EXPECT_EQ(table.GetSearchKeyOfKey(0x600000), "PFY(X|H)");
    EXPECT_EQ(table.FindKeyByCode("000001"), 0x01000001u); // the first key of the code
    EXPECT_EQ(table.FindKeyByCode("1A0001"), 0x1A0001u);
    EXPECT_EQ(table.FindKeyByCode("999999"), 0u);
    EXPECT_EQ(table.GetMarketOfKey(0x01000001), kMarketTagSZ);
    EXPECT_EQ(table.IsIndexKey(0x000001), 1);
    EXPECT_EQ(table.IsIndexKey(0x01000001), 0);
    EXPECT_EQ(table.GetCodeOfKey(0x1A0001), "1A0001");
    EXPECT_EQ(table.GetCodeOfKey(0x123456), "");

    // Loaded and never merged: nothing is written, also at destruction.
    ASSERT_TRUE(::DeleteFileA(path.c_str()));
    EXPECT_EQ(table.Save(nullptr), 1);
    EXPECT_FALSE(FileExistsA(path));
}

TEST(CodeTable, SavedFileLoadsBackAndSmallerKeyWinsASharedCode)
{
    TempDirectory dir("ct");
    const std::string path = dir.Path() + "codelist.dat";
    {
        CCodeTable table;
        Bytes reply = CodeFile(1, 99);
        AddRecord(reply, 0x01000001, "平安银行");
        AddRecord(reply, 0x000001, "上证综指");
        AddRecord(reply, 0x03000007, "其他市场"); // a market without a tag keeps its key
        CMemoryStream stream;
        FillStream(stream, reply.data);
        ASSERT_EQ(table.Merge(&stream), 1);
        EXPECT_EQ(table.FindKeyByCode("000001"), 0x01000001u); // reply order
        EXPECT_EQ(table.IsDirty(), 1);
        EXPECT_EQ(table.Save(path.c_str()), 1);
        EXPECT_EQ(table.IsDirty(), 0);
    }
    CCodeTable reloaded;
    ASSERT_EQ(reloaded.Load(path.c_str()), 1);
    EXPECT_EQ(reloaded.GetNextUpdateStart(), 99);
    ASSERT_EQ(reloaded.GetCount(), 3);
    EXPECT_EQ(reloaded.GetKeyAt(2), 0x03000007u);
    EXPECT_EQ(reloaded.FindKeyByCode("000001"), 0x000001u); // file order: the smaller key
    EXPECT_EQ(reloaded.GetNameOfKey(0x01000001), "平安银行");
}

TEST(CodeTable, BadFilesAndRepliesChangeNothing)
{
    TempDirectory dir("ct");
    CCodeTable table;
    EXPECT_EQ(table.Load((dir.Path() + "missing.dat").c_str()), 0);
    EXPECT_EQ(table.Load(nullptr), 0);

    const std::string shortFile = dir.Path() + "short.dat";
    ASSERT_TRUE(WriteTestFile(shortFile, std::string("\x01\x00\x00\x00\x02\x00", 6)));
    EXPECT_EQ(table.Load(shortFile.c_str()), 0);
    EXPECT_EQ(table.GetCount(), 0);

    Bytes good = CodeFile(1, 5);
    AddRecord(good, 0x600000, "浦发银行");
    CMemoryStream stream;
    FillStream(stream, good.data);
    ASSERT_EQ(table.Merge(&stream), 1);

    const std::string replies[] = {
        std::string(), // empty
        std::string("\x09\x00\x00", 3), // ends inside the header
        CodeFile(9, 9).data, // header and no record
        CodeFile(9, 9).Raw("\x01\x00\x60").data, // header and a partial record
    };
    for (const std::string& reply : replies) {
        FillStream(stream, reply);
        EXPECT_EQ(table.Merge(&stream), 0);
        EXPECT_EQ(table.GetCount(), 1);
        EXPECT_EQ(table.GetNextUpdateStart(), 5);
    }
    EXPECT_EQ(table.Merge(nullptr), 0);

    // Garbage of every length: it is no code table, and nothing of it loads.
    std::string garbage;
    for (int i = 0; i < 301; ++i)
        garbage += static_cast<char>(i * 37 + 11);
    const std::string garbageFile = dir.Path() + "garbage.dat";
    ASSERT_TRUE(WriteTestFile(garbageFile, garbage));
    CCodeTable other;
    EXPECT_EQ(other.Load(garbageFile.c_str()), 0);
    EXPECT_EQ(other.GetCount(), 0);
}

TEST(CodeTable, UpdateAsksFromWordTwoAndKeepsTableWhenTheServerFails)
{
    ServerTime::Set(kTestServerTime);
    RecordingDataProvider provider;
    ScopedDataProvider scope(&provider);
    CCodeTable table;
    Bytes reply = CodeFile(1, 77);
    AddRecord(reply, 0x600000, "浦发银行");
    provider.syncReply = reply.data;
    EXPECT_EQ(table.Update(), S_OK);
    ASSERT_EQ(provider.requests.size(), 1u);
    EXPECT_EQ(provider.requests[0].command, 0x201);
    EXPECT_EQ(provider.requests[0].key, 0u);
    EXPECT_EQ(provider.requests[0].from, 0u);
    EXPECT_EQ(provider.requests[0].to, static_cast<uint32_t>(kTestServerTime));

    provider.syncOk = 0;
    EXPECT_EQ(table.Update(), S_OK); // the table is not empty
    EXPECT_EQ(provider.requests[1].from, 77u);
    EXPECT_EQ(table.GetCount(), 1);

    provider.syncOk = 1;
    provider.syncReply = CodeFile(1, 78).data; // a reply without records
    EXPECT_EQ(table.Update(), S_OK);
    EXPECT_EQ(table.GetCount(), 1);

    CCodeTable empty;
    provider.syncOk = 0;
    EXPECT_EQ(empty.Update(), E_FAIL);
}

TEST(CodeTable, UpdateThroughTheTransport)
{
    SimulatedMarket market;
    ASSERT_TRUE(market.started);
    CCodeTable table;
    ASSERT_EQ(table.Update(), S_OK);
    const auto& securities = market.tables.Securities();
    EXPECT_EQ(table.GetCount(), static_cast<int>(securities.size()));
    EXPECT_GE(table.GetCount(), 300);
    EXPECT_EQ(table.GetNextUpdateStart(), market.tables.TableVersion(0x201));
    EXPECT_EQ(table.GetNameOfKey(SimMarketTables::kShanghaiCompositeKey), "上证指数");
    EXPECT_EQ(table.IsIndexKey(SimMarketTables::kShenzhenIndexKey), 1);
    EXPECT_EQ(table.GetSearchKeyOfKey(0x01000002), "(W|M)KA");
    EXPECT_EQ(table.FindKeyByCode("000001"), SimMarketTables::kSharedCodeShanghaiKey);
    EXPECT_EQ(table.GetMarketOfKey(0x02400001), kMarketTagSB);

    const std::vector<SimRequest> log = market.simulator.RequestLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].command, 0x201);
    EXPECT_EQ(log[0].value, 0u);
    EXPECT_EQ(log[0].value2, static_cast<uint32_t>(kTestServerTime));

    // A failing server leaves the table as it is.
    market.simulator.SetFault(SimFault::LengthZero);
    EXPECT_EQ(table.Update(), S_OK);
    EXPECT_EQ(table.GetCount(), static_cast<int>(securities.size()));
    EXPECT_EQ(
        market.simulator.RequestLog().back().value, static_cast<uint32_t>(market.tables.TableVersion(0x201)));
}
