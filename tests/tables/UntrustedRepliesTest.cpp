// Replies and files no market could have sent: delivered as received (another
// compression flag, so without the two header values), without records, with
// records of impossible shape, or larger than a market holds. Each table
// refuses them whole and keeps what it holds, in memory and on disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

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

namespace {

// One record among good ones. A record no table of its kind holds refuses
// the reply whole where it leads it (the reply is no such table) and is
// skipped alone among good records; an odd record is skipped wherever it
// stands; a legitimate variation is taken.
enum class Expect
{
    kTaken,
    kSkipped,
    kNotARecord,
};

struct RecordCase
{
    const char* name;
    std::string record;
    Expect expect;
};

// What a fresh table made of the reply: Merge's result, the records it holds
// and those it skipped.
struct Outcome
{
    int result;
    size_t held;
    size_t skipped;
};

// Checks every case with the odd record in the middle of three good ones,
// and leading them.
void ExpectRecordCases(const std::vector<RecordCase>& cases, const std::vector<std::string>& good,
    const std::function<std::string(const std::vector<std::string>&)>& reply,
    const std::function<Outcome(const std::string&)>& take)
{
    ASSERT_EQ(good.size(), 3u);
    const Outcome plain = take(reply(good));
    ASSERT_EQ(plain.result, 1);
    ASSERT_EQ(plain.skipped, 0u);
    for (const RecordCase& c : cases) {
        for (bool leading : { false, true }) {
            SCOPED_TRACE(std::string(c.name) + (leading ? ", leading" : ", among good records"));
            std::vector<std::string> records = good;
            records.insert(records.begin() + (leading ? 0 : 2), c.record);
            const Outcome out = take(reply(records));
            if (c.expect == Expect::kNotARecord && leading) {
                EXPECT_EQ(out.result, 0);
                EXPECT_EQ(out.held, 0u);
                continue;
            }
            EXPECT_EQ(out.result, 1);
            if (c.expect == Expect::kTaken) {
                EXPECT_EQ(out.held, plain.held + 1);
                EXPECT_EQ(out.skipped, 0u);
            } else {
                EXPECT_EQ(out.held, plain.held);
                EXPECT_EQ(out.skipped, 1u);
            }
        }
    }
}

template <class Table> Outcome MergeInto(Table& table, const std::string& bytes)
{
    CMemoryStream stream;
    FillStream(stream, bytes);
    const int result = table.Merge(&stream);
    return Outcome { result, 0, table.GetSkipped() };
}

std::string Joined(const Bytes& head, const std::vector<std::string>& records)
{
    std::string out = head.data;
    for (const std::string& r : records)
        out += r;
    return out;
}

std::string CodeRecord(uint32_t key, const std::string& name)
{
    Bytes b;
    b.U32(key).Raw(name);
    return b.data;
}

} // namespace

TEST(RecordsOfAReply, CodeTable)
{
    const std::string nul(1, '\0');
    const std::vector<RecordCase> cases = {
        { "a four-byte GB18030 character", CodeRecord(0x600010, "\x82\x31\xB7\x39\xC0\xE6\xB7\xA2\xD5\xB9"), Expect::kTaken },
        { "stale bytes after the name's terminator", CodeRecord(0x600010, "AB" + nul + "\xB7\xA2\xFF\x01Z" + nul + nul), Expect::kTaken },
        { "a control code in a name", CodeRecord(0x600010, "A\x01" "C" + std::string(7, '\0')), Expect::kTaken },
        { "a lone lead byte at the name's end", CodeRecord(0x600010, "A\xC6" + std::string(8, '\0')), Expect::kTaken },
        { "a market beyond the three", CodeRecord(0x03430047, "BJ" + std::string(8, '\0')), Expect::kTaken },
        { "a key of no market (text read as a key)", CodeRecord(0xB6600001, "ABC" + std::string(7, '\0')), Expect::kNotARecord },
        { "a lead byte before no character", CodeRecord(0x600010, "A\xC6 B" + std::string(6, '\0')), Expect::kNotARecord },
        { "a byte no text has", CodeRecord(0x600010, "A\xFF" + std::string(8, '\0')), Expect::kNotARecord },
    };
    const std::vector<std::string> good = { CodeRecord(0x600000, std::string("\xC6\xD6\xB7\xA2") + std::string(6, '\0')),
        CodeRecord(0x600001, "ABCDEFGHI\xC6"), CodeRecord(0x01000001, std::string("A") + std::string(9, '\0')) };
    Bytes head;
    head.I32(1).I32(2);
    ExpectRecordCases(cases, good, [&](const std::vector<std::string>& r) { return Joined(head, r); },
        [](const std::string& bytes) {
            CCodeTable table;
            Outcome out = MergeInto(table, bytes);
            out.held = static_cast<size_t>(table.GetCount());
            EXPECT_EQ(table.IsDirty(), out.result);
            return out;
        });

    // Files: an older codelist.dat with such a name loads; the skipped record is counted.
    TempDirectory dir("records");
    const std::string path = dir.Path() + "codelist.dat";
    ASSERT_TRUE(WriteTestFile(path, Joined(head, { good[0], cases[0].record, cases[5].record, good[1] })));
    CCodeTable table;
    ASSERT_EQ(table.Load(path.c_str()), 1);
    EXPECT_EQ(table.GetCount(), 3);
    EXPECT_EQ(table.GetSkipped(), 1u);
    EXPECT_EQ(table.GetNameOfKey(0x600010), "\x82\x31\xB7\x39\xC0\xE6\xB7\xA2\xD5\xB9");
}

TEST(RecordsOfAReply, Quotes)
{
    // Key, last, volume, amount, previous close, open, high, low.
    auto quote = [](std::vector<uint32_t> fields) {
        Bytes b;
        b.I32(0);
        for (uint32_t v : fields)
            b.U32(v);
        return b.data;
    };
    const std::vector<RecordCase> cases = {
        { "a suspended security without a last price", quote({ 0x600010, 0, 0, 0, 7700, 0, 0, 0 }), Expect::kTaken },
        { "a new listing without a previous close", quote({ 0x600010, 7800, 1, 1, 0, 7750, 7900, 7700 }), Expect::kTaken },
        { "a last above the high (two moments)", quote({ 0x600010, 9800, 1, 1, 7700, 7750, 7900, 7700 }), Expect::kSkipped },
        { "a high below the low", quote({ 0x600010, 7800, 1, 1, 7700, 7750, 7600, 7700 }), Expect::kSkipped },
        { "an open beyond any price", quote({ 0x600010, 7800, 1, 1, 7700, 2147483648u, 2147483648u, 7700 }), Expect::kNotARecord },
        { "a key of no market", quote({ 0x91600001, 7800, 1, 1, 7700, 7750, 7900, 7700 }), Expect::kNotARecord },
    };
    const std::vector<std::string> good = { quote({ 0x600000, 7800, 100, 780, 7700, 7750, 7900, 7700 }),
        quote({ 0x600001, 5000, 100, 500, 5000, 5000, 5000, 5000 }),
        quote({ 0x01000001, 10800, 100, 1080, 10700, 10750, 10900, 10700 }) };
    Bytes head;
    head.I32(1).I32(2);
    ExpectRecordCases(cases, good, [&](const std::vector<std::string>& r) { return Joined(head, r); },
        [](const std::string& bytes) {
            CReportData table;
            CMemoryStream stream;
            FillStream(stream, bytes);
            const int result = table.Merge(0, &stream);
            return Outcome { result, table.GetQuoteCount(), table.GetSkipped() };
        });

    // At the next refresh a security whose quote is odd keeps the one held.
    CReportData table;
    CMemoryStream stream;
    FillStream(stream, Joined(head, good));
    ASSERT_EQ(table.Merge(0, &stream), 1);
    std::vector<std::string> next = good;
    next[0] = quote({ 0x600000, 9800, 200, 1960, 7700, 7750, 7900, 7700 });
    next[1] = quote({ 0x600001, 5100, 200, 1020, 5000, 5000, 5100, 5000 });
    FillStream(stream, Joined(head, next));
    ASSERT_EQ(table.Merge(0, &stream), 1);
    QuoteRecord held;
    ASSERT_TRUE(table.GetQuote(0x600000, held));
    EXPECT_FLOAT_EQ(held.last, 7.8f);
    ASSERT_TRUE(table.GetQuote(0x600001, held));
    EXPECT_FLOAT_EQ(held.last, 5.1f);
    EXPECT_EQ(table.GetSkipped(), 1u);
}

TEST(RecordsOfAReply, Finance)
{
    auto record = [](const char* tag, const char* code) {
        Bytes b;
        b.Text(tag, 4).Text(code, 10).I32(1).Text("", 148);
        return b.data;
    };
    const std::vector<RecordCase> cases = {
        { "a record of a further market", record("BJ", "430047"), Expect::kSkipped },
        { "a tag that is no market's", record("\x01\xFF", "600010"), Expect::kNotARecord },
        { "text read as a tag", record("sh", "600010"), Expect::kNotARecord },
    };
    const std::vector<std::string> good = { record("SH", "600000"), record("SZ", "000001"), record("SB", "400001") };
    Bytes head;
    head.I32(1).I32(2).U32(CBaseData::kMagic).I32(166);
    ExpectRecordCases(cases, good, [&](const std::vector<std::string>& r) { return Joined(head, r); },
        [](const std::string& bytes) {
            CBaseData table;
            Outcome out = MergeInto(table, bytes);
            out.held = table.GetCount();
            return out;
        });
}

TEST(RecordsOfAReply, ExRights)
{
    auto marker = [](const char* tag, const std::string& code) {
        Bytes b;
        b.I32(-1).Text(tag, 2).Raw(code.substr(0, 14)).Text("", 14 - std::min<size_t>(code.size(), 14));
        return b.data;
    };
    auto event = [](int32_t time, float bonus, float cash) {
        Bytes b;
        b.I32(time).F32(bonus).F32(0).F32(0).F32(cash);
        return b.data;
    };
    const int32_t day = 1720627200;
    const std::string ok = event(day, 0.1f, 0.2f);
    const std::vector<RecordCase> cases = {
        { "marker bytes after the code text", marker("SH", std::string("600010\0\0\xFF\x01Z", 11)) + ok, Expect::kTaken },
        { "a code text that ends at a blank", marker("SH", "600010 A") + ok, Expect::kTaken },
        { "a consolidation (negative bonus shares)", marker("SH", "600010") + event(day, -0.5f, 0), Expect::kSkipped },
        { "a negative dividend", marker("SH", "600010") + event(day, 0, -0.1f), Expect::kSkipped },
        { "a thousand bonus shares a share", marker("SH", "600010") + event(day, 1000, 0), Expect::kSkipped },
        { "a stock of a further market", marker("BJ", "430047") + ok, Expect::kSkipped },
        { "a marker of no market", marker("\x05\x06", "600010") + ok, Expect::kNotARecord },
        { "a marker without a code", marker("SH", "\x01\x02") + ok, Expect::kNotARecord },
        { "an event without a time", marker("SH", "600010") + event(0, 0, 0.1f), Expect::kNotARecord },
    };
    const std::vector<std::string> good = { marker("SH", "600000") + ok, marker("SZ", "000001") + ok,
        marker("SH", "600036") + ok };
    Bytes head;
    head.I32(1).I32(2).I32(0).I32(0);
    ExpectRecordCases(cases, good, [&](const std::vector<std::string>& r) { return Joined(head, r); },
        [](const std::string& bytes) {
            CPwrData table;
            Outcome out = MergeInto(table, bytes);
            out.held = table.GetStockCount();
            if (!out.result) {
                EXPECT_EQ(table.GetNextUpdateStart(), 0);
            }
            return out;
        });
}

TEST(RecordsOfAReply, Groups)
{
    // The groups' and members' lists are judged each on its own: a member
    // case stands among good members.
    auto groupRecord = [](int32_t id, const std::string& name) {
        Bytes b;
        b.I32(id).Raw(name);
        return b.data;
    };
    auto member = [](uint32_t key, int32_t block) {
        Bytes b;
        b.U32(key).I32(block);
        return b.data;
    };
    const std::string bank = std::string("\xD2\xF8\xD0\xD0") + std::string(36, '\0');
    auto groupsReply = [&](const std::vector<std::string>& groups, const std::vector<std::string>& members,
                           const std::string& tail) {
        Bytes b;
        b.I32(1).I32(2).I32(static_cast<int32_t>(groups.size()));
        for (const std::string& g : groups)
            b.Raw(g);
        b.I32(static_cast<int32_t>(members.size()));
        for (const std::string& m : members)
            b.Raw(m);
        return b.Raw(tail).data;
    };
    auto take = [](const std::string& bytes) {
        CGroupData table;
        Outcome out = MergeInto(table, bytes);
        out.held = table.GetGroups().size() + table.GetMembers().size();
        return out;
    };
    const std::vector<std::string> goodGroups = { groupRecord(0x01000000, bank), groupRecord(0x01000001, bank),
        groupRecord(0x01000002, bank) };
    const std::vector<std::string> goodMembers = { member(0x600000, 0x01000001), member(0x01000001, 0x01000001),
        member(0x600036, 0x01000002) };
    const std::vector<RecordCase> groupCases = {
        { "a name with stale bytes after its terminator", groupRecord(0x01000003, "AB" + std::string(1, '\0') + "\xFF\x01" + std::string(35, '\0')), Expect::kTaken },
        { "a name that is no text", groupRecord(0x01000003, std::string(40, '\xFF')), Expect::kNotARecord },
    };
    ExpectRecordCases(groupCases, goodGroups,
        [&](const std::vector<std::string>& r) { return groupsReply(r, goodMembers, ""); }, take);
    const std::vector<RecordCase> memberCases = {
        { "a member of a market beyond the three", member(0x03430047, 0x01000001), Expect::kTaken },
        { "a member of no market", member(0xC4600000, 0x01000001), Expect::kNotARecord },
    };
    ExpectRecordCases(memberCases, goodMembers,
        [&](const std::vector<std::string>& r) { return groupsReply(goodGroups, r, ""); }, take);

    // Padding after the members is taken, as a file's is; other bytes there are not groups.
    EXPECT_EQ(take(groupsReply(goodGroups, goodMembers, std::string(4, '\0'))).result, 1);
    EXPECT_EQ(take(groupsReply(goodGroups, goodMembers, "\x01\x02\x03\x04")).result, 0);
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
