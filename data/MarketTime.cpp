#include "data/MarketTime.h"

#include "base/ExchangeTime.h"

int32_t DayKey(int32_t time)
{
    const std::tm f = SplitExchangeTime(time);
    return (f.tm_year + 1900) * 10000 + (f.tm_mon + 1) * 100 + f.tm_mday;
}

bool SameTradingDay(int32_t a, int32_t b)
{
    return DayKey(a) == DayKey(b);
}

bool SameMinute(int32_t a, int32_t b)
{
    const std::tm x = SplitExchangeTime(a);
    const std::tm y = SplitExchangeTime(b);
    return x.tm_year == y.tm_year && x.tm_yday == y.tm_yday && x.tm_hour == y.tm_hour && x.tm_min == y.tm_min;
}

int IsDayBasedPeriod(int period)
{
    return period >= 6 && period <= 10 ? 1 : 0;
}
int YearOfTime(int32_t time)
{
    return SplitExchangeTime(time).tm_year + 1900;
}
int MonthOfTime(int32_t time)
{
    return SplitExchangeTime(time).tm_mon + 1;
}
int DayOfTime(int32_t time)
{
    return SplitExchangeTime(time).tm_mday;
}
int HourOfTime(int32_t time)
{
    return SplitExchangeTime(time).tm_hour;
}
int MinuteOfTime(int32_t time)
{
    return SplitExchangeTime(time).tm_min;
}
