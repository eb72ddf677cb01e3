// Replies and files no market could have sent: delivered as received (another
// compression flag, so without the two header values), without records, with
// records of impossible shape, or larger than a market holds. Each table
// refuses them whole and keeps what it holds, in memory and on disk.
#include <gtest/gtest.h>

#include <functional>

#include "data/CodeTable.h"
#include "data/FinanceData.h"
#include "data/GroupData.h"
#include "data/PwrData.h"
#include "data/ReplyChecks.h"
#include "data/ReportData.h"
#include "base/CPFile.h"
#include "tests/support/TempDataRoot.h"
#include "tests/tables/TableTestSupport.h"

namespace {

// What a table shows of itself, to compare before and after a refused reply.
struct TableState
{
    size_t records;
    int32_t word1;
    int32_t word2;
    int dirty;
    bool operator==(const TableState& o) const
    {
        return records == o.records && word1 == o.word1 && word2 == o.word2 && dirty == o.dirty;
    }
};

std::ostream& operator<<(std::ostream& out, const TableState& s)
{
    return out << s.records << " records, words " << s.word1 << "/" << s.word2 << ", dirty " << s.dirty;
}

// One whole-market table behind a common face.
struct TableFace
{
    const char* name;
    std::function<SimReply(SimMarketTables&)> reply;
    std::function<int(CMemoryStream*)> merge;
    std::function<TableState()> state;
};

int MergeBytes(const std::function<int(CMemoryStream*)>& merge, const std::string& bytes)
{
    CMemoryStream stream;
    FillStream(stream, bytes);
    return merge(&stream);
}

} // namespace

TEST(UntrustedReplies, EveryTableRefusesARepliesBodyDeliveredAsReceived)
{
    SimMarketTables market;
    CCodeTable codes;
    CReportData quotes;
    CBaseData finance;
    CPwrData exRights;
    CGroupData groups;
    const TableFace tables[] = {
        { "code table", [](SimMarketTables& m) { return m.CodeTableReply(); },
            [&](CMemoryStream* s) { return codes.Merge(s); },
            [&] {
                return TableState { static_cast<size_t>(codes.GetCount()), codes.GetReplyValue(),
                    codes.GetNextUpdateStart(), codes.IsDirty() };
            } },
        { "quotes", [](SimMarketTables& m) { return m.QuotesReply(); },
            [&](CMemoryStream* s) { return quotes.Merge(0, s); },
            [&] {
                return TableState { quotes.GetQuoteCount(), quotes.GetReplyValue(), quotes.GetNextUpdateStart(),
                    quotes.IsDirty() };
            } },
        { "finance", [](SimMarketTables& m) { return m.FinanceReply(); },
            [&](CMemoryStream* s) { return finance.Merge(s); },
            [&] {
                return TableState { finance.GetCount(), finance.GetReplyValue(), finance.GetNextUpdateStart(),
                    finance.IsDirty() };
            } },
        { "ex-rights", [](SimMarketTables& m) { return m.ExRightsReply(); },
            [&](CMemoryStream* s) { return exRights.Merge(s); },
            [&] {
                return TableState { exRights.GetStockCount(), exRights.GetReplyValue(), exRights.GetNextUpdateStart(),
                    exRights.IsDirty() };
            } },
        { "groups", [](SimMarketTables& m) { return m.GroupsReply(); },
            [&](CMemoryStream* s) { return groups.Merge(s); },
            [&] {
                return TableState { groups.GetGroups().size() + groups.GetMembers().size(), groups.GetReplyValue(),
                    groups.GetNextUpdateStart(), 0 };
            } },
    };
    for (const TableFace& table : tables) {
        SCOPED_TRACE(table.name);
        const SimReply reply = table.reply(market);
        // Into an empty table: nothing taken, nothing marked for saving.
        EXPECT_EQ(MergeBytes(table.merge, reply.body), 0);
        EXPECT_EQ(table.state(), (TableState { 0, 0, 0, 0 }));
        // Into a full one: it stays as it was.
        ASSERT_EQ(MergeBytes(table.merge, SimMarketTables::Delivered(reply)), 1);
        const TableState held = table.state();
        EXPECT_GT(held.records, 0u);
        EXPECT_EQ(MergeBytes(table.merge, reply.body), 0);
        EXPECT_EQ(table.state(), held);
        // Any eight bytes short of the real thing shift every record.
        EXPECT_EQ(MergeBytes(table.merge, SimMarketTables::Delivered(reply).substr(1)), 0);
        EXPECT_EQ(table.state(), held);
    }
}

TEST(UntrustedReplies, RecordsNoMarketHasRefuseTheWholeReply)
{
    struct Case
    {
        const char* name;
        std::function<Bytes()> reply;
    };
    // A good record first, then the bad one: a reply is taken whole or not at all.
    auto codes = [](uint32_t key, const std::string& name) {
        Bytes b;
        b.I32(1).I32(2).U32(0x600000).Text("浦发银行", 10).U32(key).Raw(name);
        return b;
    };
    const Case codeCases[] = {
        { "a key of no market (text read as a key)", [&] { return codes(0xB6600001, std::string("ABC\0\0\0\0\0\0\0", 10)); } },
        { "a control code in a name", [&] { return codes(0x600001, std::string("A\x01" "C\0\0\0\0\0\0\0", 10)); } },
        { "bytes after the name's end", [&] { return codes(0x600001, std::string("AB\0\0\0\0\0\0\0Z", 10)); } },
        { "half a character inside", [&] { return codes(0x600001, std::string("A\xC6\0\0\0\0\0\0\0\0", 10)); } },
    };
    for (const Case& c : codeCases) {
        SCOPED_TRACE(c.name);
        CCodeTable table;
        CMemoryStream stream;
        FillStream(stream, c.reply().data);
        EXPECT_EQ(table.Merge(&stream), 0);
        EXPECT_EQ(table.GetCount(), 0);
        EXPECT_EQ(table.IsDirty(), 0);
    }
    {
        // A name cut in the middle of its last character at the field's end is a real name.
        CCodeTable table;
        CMemoryStream stream;
        FillStream(stream, codes(0x600001, "ABCDEFGHI\xC6").data);
        EXPECT_EQ(table.Merge(&stream), 1);
        EXPECT_EQ(table.GetCount(), 2);
    }

    // Quotes: key, last, volume, amount, previous close, open, high, low.
    auto quotes = [](std::vector<uint32_t> bad) {
        Bytes b;
        b.I32(1).I32(2);
        b.I32(0).U32(0x600000).U32(7800).U32(100).U32(780).U32(7700).U32(7750).U32(7900).U32(7700);
        b.I32(1);
        for (uint32_t v : bad)
            b.U32(v);
        return b;
    };
    const Case quoteCases[] = {
        { "an open beyond any price", [&] { return quotes({ 0x600001, 7800, 1, 1, 7700, 2147483648u, 2147483648u, 7700 }); } },
        { "a high below the low", [&] { return quotes({ 0x600001, 7800, 1, 1, 7700, 7750, 7600, 7700 }); } },
        { "a last above the high", [&] { return quotes({ 0x600001, 9800, 1, 1, 7700, 7750, 7900, 7700 }); } },
        { "a key of no market", [&] { return quotes({ 0x91600001, 7800, 1, 1, 7700, 7750, 7900, 7700 }); } },
    };
    for (const Case& c : quoteCases) {
        SCOPED_TRACE(c.name);
        CReportData table;
        CMemoryStream stream;
        FillStream(stream, c.reply().data);
        EXPECT_EQ(table.Merge(0, &stream), 0);
        EXPECT_EQ(table.GetQuoteCount(), 0u);
        EXPECT_EQ(table.IsDirty(), 0);
    }
    {
        // A suspended security without a last price and a new listing without a previous close are real.
        CReportData table;
        CMemoryStream stream;
        FillStream(stream, quotes({ 0x600001, 0, 0, 0, 0, 7750, 7900, 7700 }).data);
        EXPECT_EQ(table.Merge(0, &stream), 1);
        EXPECT_EQ(table.GetQuoteCount(), 2u);
    }

    // Ex-rights: a marker, then events.
    auto events = [](const char* tag, const char* code, int32_t time, float bonus, float cash) {
        Bytes b;
        b.I32(1).I32(2).I32(0).I32(0);
        b.I32(-1).Text("SH", 2).Text("600000", 14).I32(1720627200).F32(0.1f).F32(0).F32(0).F32(0.2f);
        b.I32(-1).Text(tag, 2).Text(code, 14).I32(time).F32(bonus).F32(0).F32(0).F32(cash);
        return b;
    };
    const Case exRightsCases[] = {
        { "a marker of no market", [&] { return events("ZZ", "600001", 1720627200, 0, 0.1f); } },
        { "a marker without a code", [&] { return events("SH", "\x01\x02", 1720627200, 0, 0.1f); } },
        { "an event without a time", [&] { return events("SH", "600001", 0, 0, 0.1f); } },
        { "a negative dividend", [&] { return events("SH", "600001", 1720627200, 0, -0.1f); } },
        { "a thousand bonus shares a share", [&] { return events("SH", "600001", 1720627200, 1000, 0); } },
    };
    for (const Case& c : exRightsCases) {
        SCOPED_TRACE(c.name);
        CPwrData table;
        CMemoryStream stream;
        FillStream(stream, c.reply().data);
        EXPECT_EQ(table.Merge(&stream), 0);
        EXPECT_EQ(table.GetStockCount(), 0u);
        EXPECT_EQ(table.GetNextUpdateStart(), 0);
        EXPECT_EQ(table.IsDirty(), 0);
    }

    // Finance: a record of no market.
    {
        Bytes b;
        b.I32(1).I32(2).U32(CBaseData::kMagic).I32(166);
        b.Text("SH", 4).Text("600000", 162);
        b.Text("QQ", 4).Text("600001", 162);
        CBaseData table;
        CMemoryStream stream;
        FillStream(stream, b.data);
        EXPECT_EQ(table.Merge(&stream), 0);
        EXPECT_EQ(table.GetCount(), 0u);
    }

    // Groups: a member of no market, a name that is no text, bytes after the members.
    auto groups = [](uint32_t key, const std::string& name, const std::string& tail) {
        Bytes b;
        b.I32(1).I32(2).I32(1).I32(0x01000001).Raw(name).I32(1).U32(key).I32(0x01000001).Raw(tail);
        return b;
    };
    const std::string bank = std::string("银行") + std::string(36, '\0');
    const Case groupCases[] = {
        { "a member of no market", [&] { return groups(0xC4600000, bank, ""); } },
        { "a name that is no text", [&] { return groups(0x600000, std::string(40, '\x05'), ""); } },
        { "bytes after the members", [&] { return groups(0x600000, bank, "\x01\x02\x03\x04"); } },
    };
    for (const Case& c : groupCases) {
        SCOPED_TRACE(c.name);
        CGroupData table;
        CMemoryStream stream;
        FillStream(stream, c.reply().data);
        EXPECT_EQ(table.Merge(&stream), 0);
        EXPECT_TRUE(table.GetGroups().empty());
        EXPECT_EQ(table.GetNextUpdateStart(), 0);
    }
}

// One rule for every table asked with a start value: a reply that holds no
// records changes nothing, neither the table nor its file.
TEST(UntrustedReplies, RepliesWithoutRecordsChangeNothing)
{
    SimulatedMarket market;
    ASSERT_TRUE(market.started);
    TempDirectory root("norecords");
    const std::string dir = root.Path();
    // Each table loaded and saved from the simulator's full reply.
    {
        CBaseData finance;
        ASSERT_EQ(finance.Update(), S_OK);
        ASSERT_EQ(finance.Save((dir + "finance.fin").c_str()), 1);
        CPwrData exRights;
        ASSERT_EQ(exRights.Update(), S_OK);
        ASSERT_EQ(exRights.Save((dir + "pwr.dat").c_str()), 1);
    }
    std::string financeFile, exRightsFile;
    ASSERT_TRUE(ReadWholeFile((dir + "finance.fin").c_str(), financeFile));
    ASSERT_TRUE(ReadWholeFile((dir + "pwr.dat").c_str(), exRightsFile));

    // Now the server has nothing to add.
    auto empty = [](std::string head) {
        return [head](const SimRequest&) {
            SimReply reply;
            reply.value = 1;
            reply.value2 = 999;
            reply.body = head;
            return reply;
        };
    };
    Bytes financeHead;
    financeHead.U32(CBaseData::kMagic).I32(166);
    market.simulator.SetHandler(0x203, empty(financeHead.data));
    market.simulator.SetHandler(0x204, empty(std::string(8, '\0')));
    Bytes noGroups;
    noGroups.I32(0).I32(0);
    market.simulator.SetHandler(0x206, empty(noGroups.data));
    {
        CBaseData finance;
        ASSERT_EQ(finance.Load((dir + "finance.fin").c_str()), 1);
        const size_t held = finance.GetCount();
        EXPECT_EQ(finance.Update(), S_OK);
        EXPECT_EQ(finance.GetCount(), held);
        EXPECT_EQ(finance.GetNextUpdateStart(), market.tables.TableVersion(0x203));
        EXPECT_EQ(finance.IsDirty(), 0);

        CPwrData exRights;
        ASSERT_EQ(exRights.Load((dir + "pwr.dat").c_str()), 1);
        const size_t stocks = exRights.GetStockCount();
        EXPECT_EQ(exRights.Update(), S_OK);
        EXPECT_EQ(exRights.GetStockCount(), stocks);
        EXPECT_EQ(exRights.GetNextUpdateStart(), market.tables.TableVersion(0x204));
        EXPECT_EQ(exRights.IsDirty(), 0);

        // The groups file as the full reply left it.
        CGroupData groups;
        groups.Load((dir + "groups.blk").c_str());
        market.simulator.SetHandler(0x206, [&market](const SimRequest&) { return market.tables.GroupsReply(); });
        ASSERT_EQ(groups.Update(), S_OK);
        std::string groupsFile;
        ASSERT_TRUE(ReadWholeFile((dir + "groups.blk").c_str(), groupsFile));
        const size_t groupCount = groups.GetGroups().size();
        ASSERT_GT(groupCount, 0u);
        market.simulator.SetHandler(0x206, empty(noGroups.data));
        EXPECT_EQ(groups.Update(), S_OK);
        EXPECT_EQ(groups.GetGroups().size(), groupCount);
        EXPECT_EQ(groups.GetNextUpdateStart(), market.tables.TableVersion(0x206));
        std::string after;
        ASSERT_TRUE(ReadWholeFile((dir + "groups.blk").c_str(), after));
        EXPECT_EQ(after, groupsFile);
    }
    // Nothing was saved over the files.
    std::string after;
    ASSERT_TRUE(ReadWholeFile((dir + "finance.fin").c_str(), after));
    EXPECT_EQ(after, financeFile);
    ASSERT_TRUE(ReadWholeFile((dir + "pwr.dat").c_str(), after));
    EXPECT_EQ(after, exRightsFile);
}

// Well-formed but larger than any market: refused before anything is built
// from it, and what is held stays.
TEST(UntrustedReplies, FilesAndRepliesLargerThanAMarketAreRefused)
{
    TempDirectory dir("big");
    const size_t securities = MarketBounds::kSecurities + 1;
    // A code table of one security more than a market has.
    Bytes codes;
    codes.I32(1).I32(2);
    for (size_t i = 0; i < securities; ++i)
        codes.U32(static_cast<uint32_t>(i % 0xFFFFFF) | (static_cast<uint32_t>(i / 0xFFFFFF) << 24)).Text("A", 10);
    ASSERT_TRUE(WriteTestFile(dir.Path() + "codelist.dat", codes.data));
    CCodeTable table;
    EXPECT_EQ(table.Load((dir.Path() + "codelist.dat").c_str()), 0);
    EXPECT_EQ(table.GetCount(), 0);
    Bytes one;
    one.I32(1).I32(2).U32(0x600000).Text("A", 10);
    CMemoryStream stream;
    FillStream(stream, one.data);
    ASSERT_EQ(table.Merge(&stream), 1);
    FillStream(stream, codes.data);
    EXPECT_EQ(table.Merge(&stream), 0);
    EXPECT_EQ(table.GetCount(), 1);

    // Quotes of one security more than a market has.
    Bytes quotes;
    quotes.I32(1).I32(2);
    for (size_t i = 0; i < securities; ++i)
        quotes.I32(0).U32(static_cast<uint32_t>(i)).U32(1000).U32(1).U32(1).U32(1000).U32(1000).U32(1000).U32(1000);
    CReportData quoteTable;
    FillStream(stream, quotes.data);
    EXPECT_EQ(quoteTable.Merge(0, &stream), 0);
    EXPECT_EQ(quoteTable.GetQuoteCount(), 0u);

    // Ex-rights files that claim more stocks, or more events of one stock, than there are.
    Bytes stocks;
    stocks.I32(1).I32(2).I32(static_cast<int32_t>(securities));
    for (size_t i = 0; i < securities; ++i)
        stocks.U32(static_cast<uint32_t>(i)).I32(0);
    Bytes events;
    events.I32(1).I32(2).I32(1).U32(0x600000).I32(static_cast<int32_t>(MarketBounds::kExRightsPerStock + 1));
    for (size_t i = 0; i <= MarketBounds::kExRightsPerStock; ++i)
        events.I32(1000000000 + static_cast<int32_t>(i) * 86400).F32(0).F32(0).F32(0).F32(0.1f);
    for (const Bytes* file : { &stocks, &events }) {
        ASSERT_TRUE(WriteTestFile(dir.Path() + "pwr.dat", file->data));
        CPwrData exRights;
        EXPECT_EQ(exRights.Load((dir.Path() + "pwr.dat").c_str()), 0);
        EXPECT_EQ(exRights.GetStockCount(), 0u);
    }

    // Groups and members beyond what a market has.
    Bytes manyGroups;
    manyGroups.I32(1).I32(2).I32(static_cast<int32_t>(MarketBounds::kGroups + 1));
    for (size_t i = 0; i <= MarketBounds::kGroups; ++i)
        manyGroups.I32(0x01000001 + static_cast<int32_t>(i)).Text("G", 40);
    manyGroups.I32(0);
    Bytes manyMembers;
    manyMembers.I32(1).I32(2).I32(0).I32(static_cast<int32_t>(MarketBounds::kGroupMembers + 1));
    for (size_t i = 0; i <= MarketBounds::kGroupMembers; ++i)
        manyMembers.U32(0x600000).I32(0x01000001);
    for (const Bytes* file : { &manyGroups, &manyMembers }) {
        ASSERT_TRUE(WriteTestFile(dir.Path() + "groups.blk", file->data));
        CGroupData groups;
        EXPECT_EQ(groups.Load((dir.Path() + "groups.blk").c_str()), 0);
        FillStream(stream, file->data);
        EXPECT_EQ(groups.Merge(&stream), 0);
        EXPECT_TRUE(groups.GetGroups().empty());
        EXPECT_TRUE(groups.GetMembers().empty());
    }
}
