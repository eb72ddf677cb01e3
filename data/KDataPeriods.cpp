// Periods derived from a series: week, month, quarter and year from day bars,
// N-minute bars from five-minute bars, all keyed in exchange time.
#include "data/KData.h"

#include <algorithm>

#include "base/ExchangeTime.h"
#include "data/MarketTime.h"

namespace {

int32_t MonthKeyOfTime(int32_t time)
{
    return YearOfTime(time) * 100 + MonthOfTime(time);
}
int32_t QuarterKeyOfTime(int32_t time)
{
    return YearOfTime(time) * 100 + (MonthOfTime(time) - 1) / 3;
}

} // namespace

int32_t WeekKeyOfTime(int32_t time)
{
    const std::tm f = SplitExchangeTime(time);
    const int dayOfYear = f.tm_yday;
    // Weekday of 1 January, 1 = Sunday .. 7 = Saturday.
    const int janFirst = ((f.tm_wday - dayOfYear) % 7 + 7) % 7 + 1;
    const int week = dayOfYear < 8 - janFirst ? 1 : (dayOfYear + janFirst - 8) / 7 + 2;
    return (f.tm_year + 1900) * 100 + week;
}

template <typename KeyOf> void CKData::DeriveBy(CKData* target, KeyOf keyOf, bool skipUntimed) const
{
    if (!target || target == this)
        return;
    target->Resize(0);
    bool open = false;
    int32_t groupKey = 0;
    Bar group = {};
    for (const Bar& bar : m_bars) {
        if (skipUntimed && bar.time <= 0)
            continue;
        const int32_t key = keyOf(bar.time);
        if (open && key == groupKey) {
            group.time = bar.time;
            group.high = std::max(group.high, bar.high);
            group.low = std::min(group.low, bar.low);
            group.close = bar.close;
            group.volume += bar.volume;
            group.amount += bar.amount;
            continue;
        }
        if (open)
            target->AppendBar(group);
        group = bar;
        groupKey = key;
        open = true;
    }
    if (open)
        target->AppendBar(group);
    target->m_count = target->GetCount();
    if (target->GetCount() > 0)
        target->m_hasData = 1;
}

void CKData::ToWeek(CKData* target) const
{
    DeriveBy(target, WeekKeyOfTime, false);
}
void CKData::ToMonth(CKData* target) const
{
    DeriveBy(target, MonthKeyOfTime, false);
}
void CKData::ToQuarter(CKData* target) const
{
    DeriveBy(target, QuarterKeyOfTime, false);
}
void CKData::ToYear(CKData* target) const
{
    DeriveBy(target, YearOfTime, false);
}

int32_t MinuteBucketEnd(int32_t time, int minutes)
{
    const std::tm f = SplitExchangeTime(time);
    int hour = f.tm_hour;
    int minute = f.tm_min;
    if (minutes == 5 || minutes == 10 || minutes == 15 || minutes == 30) {
        while (minute % minutes != 0) {
            minute = (minute / 5) * 5 + 5;
            if (minute >= 60) {
                ++hour;
                minute = 0;
            }
        }
    } else if (minutes == 60) {
        const int v = hour * 100 + minute;
        if (v <= 1030) {
            hour = 10;
            minute = 30;
        } else if (v <= 1130) {
            hour = 11;
            minute = 30;
        } else if (v <= 1400) {
            hour = 14;
            minute = 0;
        } else {
            hour = 15;
            minute = 0;
        }
    } else if (minutes > 0) {
        minute = minute / minutes * minutes;
    }
    return MakeExchangeTime(f.tm_year + 1900, f.tm_mon + 1, f.tm_mday, hour, minute, 0);
}

void CKData::ToMinutePeriod(CKData* target, int minutes) const
{
    DeriveBy(
        target, [minutes](int32_t time) { return MinuteBucketEnd(time, minutes); }, true);
}
