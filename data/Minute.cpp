#include "data/Minute.h"

#include <algorithm>
#include <ctime>

#include "base/ExchangeTime.h"
#include "data/FenbiData.h"
#include "data/MarketTime.h"

const MinuteRecord* CMinute::GetAt(int index) const
{
    if (index < 0 || index >= GetCount())
        return nullptr;
    return &m_records[index];
}

int CMinute::GetMinuteIndex(int32_t time)
{
    const int v = HourOfTime(time) * 60 + MinuteOfTime(time);
    if (v <= 9 * 60 + 30)
        return 0;
    if (v <= 11 * 60 + 30)
        return v - (9 * 60 + 30);
    if (v <= 13 * 60)
        return 121;
    if (v <= 15 * 60)
        return v - (13 * 60 + 1) + 122;
    return 241;
}

int32_t CMinute::GetSlotTimeOnDay(int32_t dayTime, int slot)
{
    const int32_t opening
        = MakeExchangeTime(YearOfTime(dayTime), MonthOfTime(dayTime), DayOfTime(dayTime), 9, 30, 0);
    return opening + 60 * (slot <= 120 ? slot : slot + 89);
}

int32_t CMinute::GetSlotTime(int slot)
{
    return GetSlotTimeOnDay(static_cast<int32_t>(time(nullptr)), slot);
}

int CMinute::BuildFromTicks(const CFenbiData& ticks)
{
    const bool wasEmpty = m_records.empty();
    m_records.clear();

    const int32_t headerTime = ticks.GetHeader().time;
    const int32_t today = headerTime > 0 ? headerTime : static_cast<int32_t>(time(nullptr));
    const int slots = wasEmpty ? kSlotCount : GetMinuteIndex(headerTime) + 1;
    m_records.resize(slots);
    for (int slot = 0; slot < slots; ++slot) {
        MinuteRecord& r = m_records[slot];
        r = MinuteRecord();
        r.time = GetSlotTimeOnDay(today, slot);
    }

    const float reference = ticks.GetPrevClose();
    // Cumulative values at the end of the last traded slot before the current one, so that a
    // minute's volume holds all of its ticks even when the minute before had no trade.
    float volumeBefore = 0;
    float amountBefore = 0;
    float lastVolume = 0;
    float lastAmount = 0;
    int lastSlot = -1;
    for (int i = 0; i < ticks.GetCount(); ++i) {
        const TickRecord& tick = ticks.GetTick(i);
        if (tick.volume <= 0)
            continue;
        const int slot = GetMinuteIndex(tick.time);
        if (slot >= GetCount())
            break;
        if (slot != lastSlot) {
            volumeBefore = lastVolume;
            amountBefore = lastAmount;
            lastSlot = slot;
        }
        MinuteRecord& r = m_records[slot];
        r.time = tick.time;
        r.price = tick.price;
        r.average = static_cast<float>(tick.amount * 1000.0 / tick.volume / 100.0);
        r.change = tick.price - reference;
        r.changeRatio = reference != 0 ? r.change / reference : 0;
        r.cumulativeVolume = tick.volume;
        r.cumulativeAmount = tick.amount;
        if (slot > 0) {
            r.volume = tick.volume - volumeBefore;
            r.amount = tick.amount - amountBefore;
        } else {
            if (r.price <= 0) {
                // Standing at the reference, the minute has no change: the
                // change of a price of 0 would read as a fall of 100 %, and
                // the minutes without trades after it would carry that.
                r.price = reference;
                r.average = reference;
                r.change = 0;
                r.changeRatio = 0;
            }
            r.volume = tick.volume;
            r.amount = tick.amount;
        }
        lastVolume = tick.volume;
        lastAmount = tick.amount;
    }

    if (!m_records.empty() && m_records[0].price <= 0) {
        m_records[0].price = reference;
        m_records[0].average = reference;
    }
    for (size_t i = 1; i < m_records.size(); ++i) {
        MinuteRecord& r = m_records[i];
        if (r.price <= 0) {
            r.price = m_records[i - 1].price;
            r.average = m_records[i - 1].average;
            r.change = m_records[i - 1].change;
            r.changeRatio = m_records[i - 1].changeRatio;
        }
    }
    while (!m_records.empty() && m_records.back().cumulativeVolume <= 0)
        m_records.pop_back();
    return GetCount();
}

int CMinute::GetVolumeRatioAt(double* out, int32_t time, float volume, float average) const
{
    if (time == 0 || volume <= 0 || average <= 0) {
        if (out)
            *out = 0;
        return 0;
    }
    if (out)
        *out = volume / static_cast<double>(GetMinuteIndex(time) + 1) / average;
    return 1;
}

int CMinute::GetVolumeRatioRange(double average, double* outMin, double* outMax) const
{
    if (average < 0.0001)
        return 0;
    double low = 1000;
    double high = 0;
    for (const MinuteRecord& r : m_records) {
        double ratio = 0;
        if (GetVolumeRatioAt(&ratio, r.time, r.cumulativeVolume, static_cast<float>(average))) {
            low = std::min(low, ratio);
            high = std::max(high, ratio);
        }
    }
    if (outMin)
        *outMin = low - low * 0.1;
    if (outMax)
        *outMax = high + high * 0.1;
    return 1;
}

int CMinute::GetFiveMinuteChange(double* out, int index) const
{
    double sum = 0;
    for (int i = index - 4; i <= index; ++i) {
        if (i > 0 && i < GetCount())
            sum += m_records[i].price - m_records[i - 1].price;
    }
    if (out)
        *out = sum;
    return 1;
}

int CMinute::BuildPriceTable(
    std::vector<int32_t>& levels, std::vector<int32_t>& volumes, double* outMax) const
{
    levels.clear();
    volumes.clear();
    for (const MinuteRecord& r : m_records) {
        if (r.price > 0)
            levels.push_back(static_cast<int32_t>(r.price * 1000));
    }
    std::sort(levels.begin(), levels.end());
    levels.erase(std::unique(levels.begin(), levels.end()), levels.end());
    volumes.assign(levels.size(), 0);
    for (const MinuteRecord& r : m_records) {
        // A minute without a price has no level.
        if (r.price <= 0)
            continue;
        const int32_t level = static_cast<int32_t>(r.price * 1000);
        const auto it = std::lower_bound(levels.begin(), levels.end(), level);
        if (it != levels.end() && *it == level)
            volumes[it - levels.begin()] += static_cast<int32_t>(r.volume);
    }
    uint32_t greatest = 0;
    for (int32_t v : volumes)
        greatest = std::max(greatest, static_cast<uint32_t>(v));
    if (outMax)
        *outMax = greatest;
    return levels.empty() ? 0 : 1;
}
