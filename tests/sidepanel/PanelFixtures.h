#pragma once
// Stocks for the side-panel tests: small hand-made ones, and snapshots of the
// market simulator's securities built through the data layer as the client
// builds them from replies.
#include <cstdint>
#include <memory>
#include <vector>

#include "data/Stock.h"
#include "data/TickRecord.h"

// The trading day of the fixtures, and a time on it (exchange time).
int32_t FixtureDay();
int32_t At(int hour, int minute, int second = 0);

// A tick whose bid price (the quote price the trade letter reads) is given.
WireTick Tick(
    int32_t time, double price, uint32_t cumulativeVolume, double bidPrice, uint32_t cumulativeAmount = 0);

// A stock with the given ticks (merged as a reply), the minute series built
// from them and the quote taken from the tick header.
std::unique_ptr<CStock> MakeTickStock(
    uint32_t key, bool index, double previousClose, const std::vector<WireTick>& ticks);

// A security of the simulator at 14:00 of the fixture day: ticks, minutes,
// quote, day bars, finance record; the block groups go into GroupIndex.
std::unique_ptr<CStock> MakeSimulatedStock(uint32_t key);

// Appends n day bars ending the day before the fixture day, closes rising
// from 10 by 0.125 a day.
void AddDayBars(CStock& stock, int n);

// Rebuilds GroupIndex from these groups and members.
struct FixtureGroup
{
    int32_t id;
    const char* name;
};
struct FixtureMember
{
    uint32_t key;
    int32_t group;
};
void RebuildGroups(const std::vector<FixtureGroup>& groups, const std::vector<FixtureMember>& members);

// Writes a finance record into a stock (report date, shares in 10,000,
// earnings and net assets per share).
void SetFinance(CStock& stock, int32_t reportDate, float totalShares, float circulatingShares, float earnings,
    float netAssets);
