#include "data/TickStatistics.h"

#include <algorithm>

#include "data/FenbiData.h"
#include "data/Minute.h"

namespace {

bool HasTwoTicks(const CFenbiData* ticks)
{
    return ticks && ticks->GetCount() >= 2;
}

void AddFlow(float amount, float& in, float& out, float& net, bool rise)
{
    if (rise) {
        in += amount;
        net += amount;
    } else {
        out += amount;
        net -= amount;
    }
}

} // namespace

FundFlowSeries::FundFlowSeries(const CFenbiData* ticks)
    : m_thresholds { 1000000.0f, 500000.0f, 100000.0f }
    , m_ticks(ticks)
{
}

int FundFlowSeries::Compute()
{
    m_records.clear();
    if (!HasTwoTicks(m_ticks))
        return 0;
    FundFlowRecord running = {};
    int reached = 0;
    bool traded = false;
    for (int i = 1; i < m_ticks->GetCount(); ++i) {
        const TickRecord& prev = m_ticks->GetTick(i - 1);
        const TickRecord& tick = m_ticks->GetTick(i);
        if (tick.volume - prev.volume <= 0)
            continue;
        traded = true;
        const int minute = CMinute::GetMinuteIndex(tick.time);
        if (minute > reached) {
            m_records.insert(m_records.end(), minute - reached, running);
            reached = minute;
        }
        if (tick.price == prev.price)
            continue;
        const bool rise = tick.price > prev.price;
        const float amount = (tick.amount - prev.amount) * 1000.0f;
        AddFlow(amount, running.totalIn, running.totalOut, running.totalNet, rise);
        if (amount < m_thresholds[2])
            AddFlow(amount, running.retailIn, running.retailOut, running.retailNet, rise);
        else if (amount < m_thresholds[1])
            AddFlow(amount, running.largeIn, running.largeOut, running.largeNet, rise);
        else
            AddFlow(amount, running.mainIn, running.mainOut, running.mainNet, rise);
    }
    if (traded)
        m_records.push_back(running);
    return 1;
}

bool FundFlowSeries::GetAt(int index, FundFlowRecord* out) const
{
    if (index < 0 || index >= GetCount() || !out)
        return false;
    *out = m_records[index];
    return true;
}

OrderSizeStats::OrderSizeStats(const CFenbiData* ticks)
    : buy()
    , sell()
    , m_ticks(ticks)
    , m_thresholds { 1000000.0f, 500000.0f, 100000.0f }
{
}

int OrderSizeStats::Compute()
{
    std::fill(buy, buy + 4, VolumeAmount { 0, 0 });
    std::fill(sell, sell + 4, VolumeAmount { 0, 0 });
    if (!HasTwoTicks(m_ticks))
        return 0;
    for (int i = 1; i < m_ticks->GetCount(); ++i) {
        const TickRecord& prev = m_ticks->GetTick(i - 1);
        const TickRecord& tick = m_ticks->GetTick(i);
        const float volume = tick.volume - prev.volume;
        if (volume <= 0 || tick.price == prev.price)
            continue;
        const float amount = (tick.amount - prev.amount) * 1000.0f;
        const int sizeClass = amount >= m_thresholds[0] ? kExtraLarge
            : amount >= m_thresholds[1]                 ? kLarge
            : amount >= m_thresholds[2]                 ? kMedium
                                                        : kSmall;
        VolumeAmount& sum = tick.price > prev.price ? buy[sizeClass] : sell[sizeClass];
        sum.volume += volume;
        sum.amount += amount;
    }
    return 1;
}

float OrderSizeStats::GetBuyVolume() const
{
    return buy[0].volume + buy[1].volume + buy[2].volume + buy[3].volume;
}

float OrderSizeStats::GetSellVolume() const
{
    return sell[0].volume + sell[1].volume + sell[2].volume + sell[3].volume;
}

int MinuteBuySellSeries::ComputeBidAskStrength()
{
    m_pairs.clear();
    if (!HasTwoTicks(m_ticks))
        return 0;
    MinutePair running = { 0, 0 };
    MinutePair lastFilled = { 0, 0 };
    int previousMinute = 0;
    auto closeMinute = [&]() {
        if (running.first > 0) {
            m_pairs.push_back(running);
            lastFilled = running;
        } else {
            m_pairs.push_back(lastFilled);
        }
        running = MinutePair { 0, 0 };
    };
    for (int i = 0; i < m_ticks->GetCount(); ++i) {
        const TickRecord& tick = m_ticks->GetTick(i);
        const int minute = CMinute::GetMinuteIndex(tick.time);
        for (; previousMinute < minute; ++previousMinute)
            closeMinute();
        running.first = std::max(running.first, tick.bidVolume);
        running.second = std::max(running.second, tick.askVolume);
    }
    closeMinute();
    return 1;
}

int MinuteBuySellSeries::ComputeBigOrders()
{
    m_pairs.clear();
    if (!HasTwoTicks(m_ticks))
        return 0;
    MinutePair running = { 0, 0 };
    int reached = 0;
    for (int i = 1; i < m_ticks->GetCount(); ++i) {
        const TickRecord& prev = m_ticks->GetTick(i - 1);
        const TickRecord& tick = m_ticks->GetTick(i);
        const int minute = CMinute::GetMinuteIndex(tick.time);
        for (; reached < minute; ++reached) {
            m_pairs.push_back(running);
            running = MinutePair { 0, 0 };
        }
        if (tick.amount - prev.amount >= 500) {
            const float volume = tick.volume - prev.volume;
            const bool buy
                = tick.price > prev.price || (tick.price == prev.price && tick.price > prev.askPrice);
            (buy ? running.first : running.second) += volume;
        }
    }
    m_pairs.push_back(running);
    return 1;
}

MinutePair MinuteBuySellSeries::GetAt(int index) const
{
    if (index < 0 || index >= GetCount())
        return MinutePair { 0, 0 };
    return m_pairs[index];
}
