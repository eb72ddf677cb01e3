// The simulator's market tables follow from their seed alone.
#include <gtest/gtest.h>

#include <set>

#include "tools/marketdata/SimMarketTables.h"

TEST(SimMarketTables, SameSeedSameMarketAndQuotesMoveEveryRefresh)
{
    SimMarketTables a(7), b(7), c(8);
    EXPECT_EQ(a.CodeTableReply().body, b.CodeTableReply().body);
    EXPECT_EQ(a.FinanceReply().body, b.FinanceReply().body);
    EXPECT_EQ(a.ExRightsReply().body, b.ExRightsReply().body);
    EXPECT_EQ(a.GroupsReply().body, b.GroupsReply().body);
    const std::string firstA = a.QuotesReply().body;
    EXPECT_EQ(firstA, b.QuotesReply().body);
    EXPECT_NE(firstA, c.QuotesReply().body);
    EXPECT_NE(firstA, a.QuotesReply().body); // the second refresh moves
    EXPECT_EQ(a.QuoteRefreshes(), 2);

    std::set<uint32_t> keys;
    std::set<uint32_t> markets;
    for (const SimSecurity& s : a.Securities()) {
        EXPECT_TRUE(keys.insert(s.key).second) << s.code;
        EXPECT_LE(s.name.size(), 10u) << s.code;
        EXPECT_EQ(s.code.size(), 6u);
        markets.insert(s.key >> 24);
    }
    EXPECT_GE(keys.size(), 300u);
    EXPECT_EQ(markets, (std::set<uint32_t> { 0, 1, 2 }));
    EXPECT_NE(a.Find(SimMarketTables::kSharedCodeShanghaiKey), nullptr);
    EXPECT_NE(a.Find(SimMarketTables::kSharedCodeShenzhenKey), nullptr);
    EXPECT_EQ(a.CodeTableReply().body.size(), a.Securities().size() * 14);
}
