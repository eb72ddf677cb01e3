#pragma once
// The intraday time axis of the minute charts: 241 steps of 60 seconds from
// 09:30 to 15:00 exchange time with the lunch break folded away. Every time
// is split in exchange time (UTC+8), whatever the computer's zone.
#include <cstdint>

// The axis length in seconds.
static const int32_t kMinuteAxisSeconds = 14460;
// The walk over the axis goes in steps of this many seconds.
static const int32_t kMinuteAxisStep = 60;

// Seconds of the trading day a time falls in, mapped to the last second of
// its minute step: 09:30:00-09:30:59 give 59, 11:30 gives 7,259, the lunch
// break 7,260, 13:00 7,259 again, 13:01 7,319, 15:00:00 14,459; a later time
// of the day 14,460; a time of 0 or less, or before 09:30, 0.
int32_t TradingSecondsSinceOpen(int32_t time);

// The x of an axis position in a pane from left to right (integer arithmetic).
int MinuteAxisX(int left, int right, int32_t seconds);

// The axis position "now" stands at for a chart whose records are of the day
// of recordTime: the position of now on that day, and the whole axis once
// now is on a later day (the lines then reach 15:00). With no record time,
// the position of now.
int32_t NowOnMinuteAxis(int32_t now, int32_t recordTime);

// Walks the axis step by step. Each record whose time falls in the current
// step goes to onRecord(index, seconds) (seconds as TradingSecondsSinceOpen
// gives them); records behind the step are passed over. A step no record
// falls in goes to onGap(stepSeconds), up to now (as NowOnMinuteAxis gives
// it). records: a vector of records with a time member, in time order.
template <class Records, class OnRecord, class OnGap>
void WalkMinuteAxis(const Records& records, int32_t now, OnRecord onRecord, OnGap onGap)
{
    const int count = static_cast<int>(records.size());
    int index = 0;
    for (int32_t s = 0; s <= kMinuteAxisSeconds; s += kMinuteAxisStep) {
        bool drawn = false;
        for (; index < count; ++index) {
            const int32_t seconds = TradingSecondsSinceOpen(records[index].time);
            if (seconds > s)
                break;
            if (seconds <= s - kMinuteAxisStep)
                continue;
            drawn = true;
            onRecord(index, seconds);
        }
        if (!drawn && s <= now)
            onGap(s);
    }
}
