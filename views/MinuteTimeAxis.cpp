#include "views/MinuteTimeAxis.h"

#include "base/ExchangeTime.h"
#include "data/MarketTime.h"

namespace {

// The morning session holds 121 steps (7,260 s), the lunch break lasts until
// 12,600 s after the open, the day closes 19,800 s after it.
const int32_t kMorningLength = 7260;
const int32_t kAfternoonStart = 12600;
const int32_t kDayLength = 19800;
const int32_t kLunchBreak = 5400;

} // namespace

int32_t TradingSecondsSinceOpen(int32_t time)
{
    if (time <= 0)
        return 0;
    const std::tm c = SplitExchangeTime(time);
    if (c.tm_hour < 9 || (c.tm_hour == 9 && c.tm_min < 30))
        return 0;
    const int32_t open = MakeExchangeTime(c.tm_year + 1900, c.tm_mon + 1, c.tm_mday, 9, 30, 0);
    if (open < 0 || time < open)
        return 0;
    const int64_t d = static_cast<int64_t>(time) - open;
    if (d > kDayLength)
        return kMinuteAxisSeconds;
    // 11:31:00 (d = 7,260) is the first second of the lunch break, not the
    // 13:01 step: the morning ends with d = 7,259.
    if (d < kMorningLength)
        return static_cast<int32_t>(d / 60 * 60 + 59);
    if (d < kAfternoonStart)
        return kMorningLength;
    return static_cast<int32_t>((d - kLunchBreak) / 60 * 60 + 59);
}

int MinuteAxisX(int left, int right, int32_t seconds)
{
    return left + static_cast<int>(static_cast<int64_t>(seconds) * (right - left) / kMinuteAxisSeconds);
}

int32_t NowOnMinuteAxis(int32_t now, int32_t recordTime)
{
    if (recordTime > 0 && now > 0 && DayKey(now) > DayKey(recordTime))
        return kMinuteAxisSeconds;
    return TradingSecondsSinceOpen(now);
}
