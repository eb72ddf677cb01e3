#include "tests/sidepanel/PanelFixtures.h"

#include "base/MemoryStream.h"
#include "data/FinanceData.h"
#include "data/GroupData.h"
#include "tests/support/RecordingDataProvider.h"
#include "tests/support/SeriesFixtures.h"
#include "tools/marketdata/SimMarketSeries.h"
#include "tools/marketdata/SimMarketTables.h"

#include <cstring>

namespace {

uint32_t Thousandths(double price)
{
    return static_cast<uint32_t>(price * 1000 + 0.5);
}

void MergeTicks(CStock& stock, const WireTickHeader& header, const std::vector<WireTick>& ticks)
{
    CMemoryStream stream;
    FillStream(stream, TickReply(header, ticks));
    stock.GetFenbiData().Merge(stock.GetCodeKey(), &stream);
    stock.UpdateQuoteFromTicks(stock.GetFenbiData());
    stock.GetMinute().BuildFromTicks(stock.GetFenbiData());
}

} // namespace

int32_t FixtureDay()
{
    return T(2026, 12, 10);
}

int32_t At(int hour, int minute, int second)
{
    return T(2026, 12, 10, hour, minute, second);
}

WireTick Tick(
    int32_t time, double price, uint32_t cumulativeVolume, double bidPrice, uint32_t cumulativeAmount)
{
    WireTick tick = MakeWireTick(time, price, cumulativeVolume, cumulativeAmount);
    tick.bidPrice = Thousandths(bidPrice);
    return tick;
}

std::unique_ptr<CStock> MakeTickStock(
    uint32_t key, bool index, double previousClose, const std::vector<WireTick>& ticks)
{
    std::unique_ptr<CStock> stock(new CStock(key));
    CStockInfo& info = stock->GetStockInfo();
    info.SetCodeKey(key);
    info.SetCode(CodeOfKey(key));
    info.SetName(index ? "上证指数" : "浦发银行");
    info.SetMarket(MarketTagOfKey(key));
    info.SetIndexFlag(index ? 1 : 0);
    WireTickHeader header = MakeWireTickHeader(ticks.empty() ? At(15, 0) : ticks.back().time, previousClose);
    if (!ticks.empty()) {
        header.last = ticks.back().price;
        header.totalVolume = ticks.back().volume;
    }
    MergeTicks(*stock, header, ticks);
    return stock;
}

std::unique_ptr<CStock> MakeSimulatedStock(uint32_t key)
{
    static SimMarketTables tables;
    SimMarketSeries series;
    series.SetClock(At(14, 0));
    ScopedServerTime serverTime(At(14, 0));

    std::unique_ptr<CStock> stock(new CStock(key));
    CStockInfo& info = stock->GetStockInfo();
    info.SetCodeKey(key);
    if (const SimSecurity* security = tables.Find(key)) {
        info.SetCode(security->code);
        info.SetName(security->name);
        info.SetMarket(security->marketTag);
        info.SetIndexFlag(security->index ? 1 : 0);
    }
    MergeTicks(*stock, series.TickHeader(key), series.Ticks(key));

    CMemoryStream bars;
    FillStream(bars, BarReply(series.DayBars(key, T(2025, 6, 1), At(14, 0))));
    stock->GetDayData().Merge(key, &bars);

    CBaseData finance;
    CMemoryStream financeStream;
    FillStream(financeStream, SimMarketTables::Delivered(tables.FinanceReply()));
    finance.Merge(&financeStream);
    info.UpdateFinance(&finance);

    CGroupData groups;
    CMemoryStream groupStream;
    FillStream(groupStream, SimMarketTables::Delivered(tables.GroupsReply()));
    groups.Merge(&groupStream);
    GroupIndex::Instance()->Rebuild(groups);
    return stock;
}

void SetFinance(CStock& stock, int32_t reportDate, float totalShares, float circulatingShares, float earnings,
    float netAssets)
{
    FinanceRecord record = {};
    record.Write<uint16_t>(0, stock.GetStockInfo().GetMarket());
    const std::string code = stock.GetStockInfo().GetCode();
    for (size_t i = 0; i < code.size() && i < FinanceRecord::kCodeLength; ++i)
        record.bytes[FinanceRecord::kCodeOffset + i] = static_cast<uint8_t>(code[i]);
    record.Write<int32_t>(14, reportDate);
    record.Write<float>(18, totalShares);
    record.Write<float>(42, circulatingShares);
    record.Write<float>(146, earnings);
    record.Write<float>(150, netAssets);
    // The finance reply's stream: two header words, magic, record size, records.
    CBaseData table;
    CMemoryStream stream;
    std::string body;
    auto put = [&](const void* p, size_t n) { body.append(static_cast<const char*>(p), n); };
    const int32_t zero = 0;
    const uint32_t magic = CBaseData::kMagic;
    const int32_t size = CBaseData::kRecordSize;
    put(&zero, 4);
    put(&zero, 4);
    put(&magic, 4);
    put(&size, 4);
    put(record.bytes, sizeof(record.bytes));
    FillStream(stream, body);
    table.Merge(&stream);
    stock.GetStockInfo().UpdateFinance(&table);
}

void RebuildGroups(const std::vector<FixtureGroup>& groups, const std::vector<FixtureMember>& members)
{
    std::string body;
    auto put = [&](const void* p, size_t n) { body.append(static_cast<const char*>(p), n); };
    const int32_t words[2] = { 1, 2 };
    put(words, sizeof(words));
    const int32_t groupCount = static_cast<int32_t>(groups.size());
    put(&groupCount, 4);
    for (const FixtureGroup& g : groups) {
        GroupRecord record = {};
        record.id = g.id;
        std::strncpy(record.name, g.name, sizeof(record.name));
        put(&record, sizeof(record));
    }
    const int32_t memberCount = static_cast<int32_t>(members.size());
    put(&memberCount, 4);
    for (const FixtureMember& m : members) {
        const GroupMember member = { m.key, m.group };
        put(&member, sizeof(member));
    }
    CMemoryStream stream;
    FillStream(stream, body);
    CGroupData data;
    data.Merge(&stream);
    GroupIndex::Instance()->Rebuild(data);
}

void AddDayBars(CStock& stock, int n)
{
    std::vector<WireBar> bars;
    for (int i = 0; i < n; ++i) {
        const double close = 10 + 0.125 * i;
        bars.push_back(MakeWireBar(FixtureDay() - (n - i) * 86400, close, close + 0.5, close - 0.5, close,
            10000 + 100 * static_cast<uint32_t>(i), 100000));
    }
    CMemoryStream stream;
    FillStream(stream, BarReply(bars));
    stock.GetDayData().Merge(stock.GetCodeKey(), &stream);
}
