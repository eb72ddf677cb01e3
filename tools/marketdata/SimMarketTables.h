#pragma once
// Whole-market tables of the market simulator: a few hundred securities
// (indexes, Shanghai and Shenzhen A and B shares, a third market, a code
// listed in two markets) with GBK names, quotes that move on every refresh,
// finance records, ex-rights events and block groups. Everything follows
// from the seed. The replies carry header words 1 and 2 in the reply header
// and the rest of each table in the body, as the quote server sends them.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/quotesim/QuoteSimulator.h"

struct SimSecurity
{
    uint32_t key;
    uint16_t marketTag; // "SH", "SZ", "SB" as two characters, first in the low byte
    std::string code; // six characters
    std::string name; // code page 936, at most 10 bytes
    float basePrice; // 0: a new listing without a previous close
    bool index;
};

struct SimExRights
{
    uint32_t key;
    int32_t time; // on a trading day
    float bonusShares;
    float rightsShares;
    float rightsPrice;
    float cashDividend;
    // What the price series works the prices out by: the cash dividend as a
    // share of the close before the event, the rights price as a share of it.
    double cashYield;
    double rightsDiscount;
};

struct SimGroup
{
    int32_t id;
    std::string name;
};

struct SimGroupMember
{
    uint32_t key;
    int32_t blockId;
};

class SimMarketTables
{
public:
    static constexpr int32_t kHeaderWord1 = 1;
    static constexpr uint32_t kFinanceMagic = 0x223FD90C;

    explicit SimMarketTables(uint32_t seed = 20260101);

    const std::vector<SimSecurity>& Securities() const { return m_securities; }
    const SimSecurity* Find(uint32_t key) const;

    // Header word 2 of each table (the version a client sends back).
    int32_t TableVersion(uint16_t command) const;

    // A security's day so far as its bars and ticks tell it; false when there is
    // none. Prices in yuan, volume in lots, amount in thousands of yuan.
    struct LiveQuote
    {
        double previousClose;
        double open;
        double high;
        double low;
        double last;
        uint32_t volume;
        uint32_t amount;
    };
    using LiveQuoteSource = std::function<bool(uint32_t key, LiveQuote& quote)>;
    // With a source, the quotes of listed, trading securities are what their
    // series show, so the quote list and the charts agree; without one every
    // refresh moves the prices at random.
    void SetLiveQuoteSource(LiveQuoteSource source) { m_liveQuotes = std::move(source); }

    SimReply CodeTableReply() const;
    // One refresh.
    SimReply QuotesReply();
    SimReply FinanceReply() const;
    SimReply ExRightsReply() const;
    SimReply GroupsReply() const;

    // Handlers for 0x201, 0x202, 0x203, 0x204 and 0x206; this object must
    // outlive the simulator's use of them.
    void Install(QuoteSimulator& simulator);

    // The stream a client delivers for a reply of compression 0 or 1:
    // value, value2, then the body.
    static std::string Delivered(const SimReply& reply);

    int QuoteRefreshes() const { return m_refreshes.load(); }
    // Without a price series the events are priced from the base prices.
    const std::vector<SimExRights>& ExRights() const { return m_exRights; }
    // The events as a price series priced them (SimMarketSeries::ExRights),
    // grouped by security; before the tables serve.
    void SetExRights(std::vector<SimExRights> events) { m_exRights = std::move(events); }
    const std::vector<SimGroup>& Groups() const { return m_groups; }
    const std::vector<SimGroupMember>& Members() const { return m_members; }

    // Keys with something particular, for tests.
    static constexpr uint32_t kShanghaiCompositeKey = 0x1A0001;
    static constexpr uint32_t kSharedCodeShanghaiKey = 0x000001; // "000001", an index in Shanghai
    static constexpr uint32_t kSharedCodeShenzhenKey = 0x01000001; // "000001", a bank in Shenzhen
    static constexpr uint32_t kShenzhenIndexKey = 0x01399001;
    static constexpr uint32_t kManyGroupsKey = 0x600000; // in more than 16 blocks
    static constexpr uint32_t kSameDayExRightsKey = 0x600036; // two events on one day
    // Joined to a price series, also an event inside the bars a day chart shows first.
    static constexpr uint32_t kRecentExRightsKey = 0x600000;
    static constexpr uint32_t kZeroReportDateKey = 0x01000063; // finance record with report date 0
    static constexpr uint32_t kSuspendedKey = 0x600132; // no trade: last, open, high, low and volume 0; today's day bar without a trade
    static constexpr uint32_t kGb18030NameKey = 0x01002987; // a four-byte GB18030 character in its name
    static constexpr uint32_t kStaleNameBytesKey = 0x603987; // bytes after its name's terminator
    // The finance reply also carries one record of a further market ("BJ").
    static constexpr uint32_t kNewListingKey = 0x01300104; // previous close its issue price, no series
    static constexpr int32_t kLargeCategoryId = 0x01000000; // more than 45 blocks

private:
    void BuildSecurities();
    void BuildExRights();
    void BuildGroups();
    uint32_t Hash(uint32_t a, uint32_t b, uint32_t c) const;

    uint32_t m_seed;
    std::vector<SimSecurity> m_securities;
    std::vector<SimExRights> m_exRights;
    std::vector<SimGroup> m_groups;
    std::vector<SimGroupMember> m_members;
    std::atomic<int> m_refreshes;
    LiveQuoteSource m_liveQuotes;
};
