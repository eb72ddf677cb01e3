// Block groups: "groups.blk", the 0x206 reply and the index built from them.
#include <gtest/gtest.h>

#include "data/GroupData.h"
#include "tests/support/TempDataRoot.h"
#include "tests/tables/TableTestSupport.h"

namespace {

struct GroupRow
{
    int32_t id;
    const char* name;
};
struct MemberRow
{
    uint32_t key;
    int32_t block;
};

Bytes GroupsBytes(int32_t word2, const std::vector<GroupRow>& groups, const std::vector<MemberRow>& members)
{
    Bytes b;
    b.I32(1).I32(word2).I32(static_cast<int32_t>(groups.size()));
    for (const GroupRow& g : groups)
        b.I32(g.id).Text(g.name, 40);
    b.I32(static_cast<int32_t>(members.size()));
    for (const MemberRow& m : members)
        b.U32(m.key).I32(m.block);
    return b;
}

// Installs a reply for 0x206 that sends the stream with compression 2: the
// body is delivered as it is, so any bytes can be given.
void ServeGroups(SimulatedMarket& market, const std::string& stream)
{
    market.simulator.SetCompression(2);
    market.simulator.SetHandler(0x206, [stream](const SimRequest&) {
        SimReply reply;
        reply.body = stream;
        return reply;
    });
}

} // namespace

TEST(Groups, IndexKeepsFirstNamesAndMemberOrder)
{
    const std::string longName(40, 'N'); // fills its field: no terminator
    CGroupData data;
    CMemoryStream stream;
    FillStream(stream,
        GroupsBytes(3,
            { { 0x01000000, "行业板块" }, { 0x01000001, "银行" }, { 0x01000002, "证券" },
                { 0x01000001, "重复" }, // listed twice: the first name stays
                { 0x02000000, "概念板块" }, { 0x02000003, longName.c_str() } },
            { { 0x600000, 0x01000001 }, { 0x600000, 0x02000003 }, { 0x600036, 0x01000001 },
                { 0x600000, 0x01000002 }, { 0x600000, 0x05000009 } }) // a block without a record
            .data);
    ASSERT_EQ(data.Merge(&stream), 1);
    EXPECT_EQ(data.GetGroups().size(), 6u);
    EXPECT_EQ(data.GetMembers().size(), 5u);

    GroupIndex* index = GroupIndex::Instance();
    ASSERT_NE(index, nullptr);
    EXPECT_EQ(index->Rebuild(data), 1);
    EXPECT_EQ(index->GetCategories().size(), 2u);
    EXPECT_EQ(index->GetBlocks().size(), 3u);
    std::string name;
    ASSERT_TRUE(index->GetBlockName(0x01000001, name));
    EXPECT_EQ(name, "银行");
    ASSERT_TRUE(index->GetBlockName(0x02000003, name));
    EXPECT_EQ(name, longName);
    ASSERT_TRUE(index->GetCategoryName(0x02000000, name));
    EXPECT_EQ(name, "概念板块");
    EXPECT_FALSE(index->GetCategoryName(0x01000001, name));
    EXPECT_FALSE(index->GetBlockName(0x05000009, name));
    const std::vector<int32_t>* blocks = index->GetBlocksOfKey(0x600000);
    ASSERT_NE(blocks, nullptr);
    EXPECT_EQ(*blocks, (std::vector<int32_t> { 0x01000001, 0x02000003, 0x01000002, 0x05000009 }));
    EXPECT_EQ(index->GetBlocks().at(0x01000001).members, (std::vector<CodeKey> { 0x600000, 0x600036 }));
    EXPECT_EQ(index->GetBlocksOfKey(0x01000001), nullptr);

    // Rebuilding from nothing empties the index.
    CGroupData none;
    index->Rebuild(none);
    EXPECT_TRUE(index->GetBlocks().empty());
    GroupIndex::ReleaseInstance();
}

TEST(Groups, DamagedFilesAndStreamsChangeNothing)
{
    TempDirectory dir("grp");
    const std::string good = GroupsBytes(3, { { 0x01000000, "行业" }, { 0x01000001, "银行" } },
        { { 0x600000,
            0x01000001 } }).data;
    struct Case
    {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        { "truncated member", good.substr(0, good.size() - 3) },
        { "no member count", good.substr(0, 12 + 2 * 44) },
        { "group count beyond the bytes", Bytes().I32(1).I32(2).I32(1000).data },
        { "negative member count", GroupsBytes(3, {}, {}).Cut(4).I32(-2).data },
        { "member count beyond the bytes", GroupsBytes(3, {}, {}).Cut(4).I32(0x10000000).data },
        { "garbage", std::string(97, '\xEE') },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.Path() + "groups.blk";
        ASSERT_TRUE(WriteTestFile(path, c.bytes));
        CGroupData data;
        EXPECT_EQ(data.Load(path.c_str()), 0);
        EXPECT_TRUE(data.GetGroups().empty());
        CMemoryStream stream;
        FillStream(stream, good);
        ASSERT_EQ(data.Merge(&stream), 1);
        FillStream(stream, c.bytes);
        EXPECT_EQ(data.Merge(&stream), 0);
        EXPECT_EQ(data.GetGroups().size(), 2u);
        EXPECT_EQ(data.GetNextUpdateStart(), 3);
    }
    const std::string path = dir.Path() + "good.blk";
    ASSERT_TRUE(WriteTestFile(path, good));
    CGroupData data;
    ASSERT_EQ(data.Load(path.c_str()), 1);
    ASSERT_EQ(data.Load(path.c_str()), 1); // loading appends
    EXPECT_EQ(data.GetGroups().size(), 4u);
    EXPECT_EQ(data.GetMembers().size(), 2u);
}

TEST(Groups, UpdateWritesTheReplyAndKeepsEverythingOnAFailedOne)
{
    SimulatedMarket market;
    ASSERT_TRUE(market.started);
    TempDirectory dir("grp");
    const std::string path = dir.Path() + "groups.blk";
    CGroupData data;
    EXPECT_EQ(data.Load(path.c_str()), 0);
    ASSERT_EQ(data.Update(), S_OK);
    const std::string written = ReadTestFile(path);
    EXPECT_EQ(written, SimMarketTables::Delivered(market.tables.GroupsReply()));
    const size_t groups = data.GetGroups().size();
    EXPECT_EQ(groups, market.tables.Groups().size());

    GroupIndex* index = GroupIndex::Instance();
    index->Rebuild(data);
    int largeCategory = 0;
    for (const auto& block : index->GetBlocks())
        largeCategory += (block.first & 0xFF000000) == SimMarketTables::kLargeCategoryId ? 1 : 0;
    EXPECT_GT(largeCategory, 45);
    ASSERT_NE(index->GetBlocksOfKey(SimMarketTables::kManyGroupsKey), nullptr);
    EXPECT_GT(index->GetBlocksOfKey(SimMarketTables::kManyGroupsKey)->size(), 16u);
    GroupIndex::ReleaseInstance();

    struct Case
    {
        const char* name;
        SimFault fault;
        std::string stream; // served with compression 2 when there is no fault
        HRESULT result;
    };
    const Case cases[] = {
        { "length 0", SimFault::LengthZero, std::string(), E_FAIL },
        { "closed mid-body", SimFault::CloseMidBody, std::string(), E_FAIL },
        // Refused replies are failures, and change nothing.
        { "truncated reply", SimFault::None, written.substr(0, written.size() - 5), E_FAIL },
        { "counts beyond the reply", SimFault::None, Bytes().I32(1).I32(2).I32(99).data, E_FAIL },
        // The header words alone, or no groups and no members: nothing to add.
        { "header only", SimFault::None, Bytes().I32(1).I32(2).data, S_OK },
        { "no records", SimFault::None, Bytes().I32(1).I32(2).I32(0).I32(0).data, S_OK },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.fault != SimFault::None)
            market.simulator.SetFault(c.fault);
        else
            ServeGroups(market, c.stream);
        EXPECT_EQ(data.Update(), c.result);
        market.simulator.ClearFault();
        EXPECT_EQ(ReadTestFile(path), written);
        EXPECT_EQ(data.GetGroups().size(), groups);
    }
    const std::vector<SimRequest> log = market.simulator.RequestLog();
    EXPECT_EQ(log.back().value, static_cast<uint32_t>(market.tables.TableVersion(0x206)));

    // A good reply that cannot be saved is a failure, and memory does not
    // take it: file and table never disagree.
    ServeGroups(market, written);
    CGroupData unsaved;
    EXPECT_EQ(unsaved.Load((dir.Path() + "no such directory\\groups.blk").c_str()), 0);
    EXPECT_EQ(unsaved.Update(), E_FAIL);
    EXPECT_TRUE(unsaved.GetGroups().empty());
}
