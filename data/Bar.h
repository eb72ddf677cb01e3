#pragma once
// The bar record shared by the day and minute series, the charts and the formula engine.
#include <cstdint>

#pragma pack(push, 1)
// The in-memory form and the record of the ".day" and ".mn5" files.
struct Bar
{
    int32_t time;
    float open;
    float high;
    float low;
    float close;
    float volume;
    float amount;
};

// The record of a day-bar or five-minute-bar reply: prices in unsigned thousandths.
struct WireBar
{
    int32_t time;
    uint32_t open;
    uint32_t high;
    uint32_t low;
    uint32_t close;
    uint32_t volume;
    uint32_t amount;
};
#pragma pack(pop)

static_assert(sizeof(Bar) == 28, "Bar is 28 bytes");
static_assert(sizeof(WireBar) == 28, "WireBar is 28 bytes");

inline Bar BarFromWire(const WireBar& w)
{
    Bar b;
    b.time = w.time;
    b.open = static_cast<float>(w.open / 1000.0);
    b.high = static_cast<float>(w.high / 1000.0);
    b.low = static_cast<float>(w.low / 1000.0);
    b.close = static_cast<float>(w.close / 1000.0);
    b.volume = static_cast<float>(w.volume);
    b.amount = static_cast<float>(w.amount);
    return b;
}

inline bool BarTimeLess(const Bar& a, const Bar& b)
{
    return a.time < b.time;
}
