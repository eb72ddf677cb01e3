#pragma once
// The records of the tick series: the day's quote snapshot and one trade.
#include <cstdint>

#pragma pack(push, 1)
// The quote snapshot at the head of a ".fbl" file (in-memory form).
struct TickFileHeader
{
    int32_t time; // its date is the trading day of the series
    int32_t reserved; // carried, never read
    float previousClose; // the reference price
    float open;
    float high;
    float low;
    float last;
    float totalVolume;
    float totalAmount;
    float bidPrices[5]; // best first
    float bidVolumes[5];
    float askPrices[5];
    float askVolumes[5];
};

// One trade (in-memory and file form).
struct TickRecord
{
    int32_t time;
    float price;
    float volume; // cumulative volume of the day, lots of 100 shares
    float amount; // cumulative amount of the day, thousands
    float bidPrice;
    float bidVolume; // bid-side volume total
    float askPrice;
    float askVolume; // ask-side volume total
};

// Wire forms: prices in unsigned thousandths, volumes and amounts unsigned.
struct WireTickHeader
{
    int32_t time;
    int32_t reserved;
    uint32_t previousClose;
    uint32_t open;
    uint32_t high;
    uint32_t low;
    uint32_t last;
    uint32_t totalVolume;
    uint32_t totalAmount;
    uint32_t bidPrices[5];
    uint32_t bidVolumes[5];
    uint32_t askPrices[5];
    uint32_t askVolumes[5];
};

struct WireTick
{
    int32_t time;
    uint32_t price;
    uint32_t volume;
    uint32_t amount;
    uint32_t bidPrice;
    uint32_t bidVolume;
    uint32_t askPrice;
    uint32_t askVolume;
};
#pragma pack(pop)

static_assert(sizeof(TickFileHeader) == 116, "TickFileHeader is 116 bytes");
static_assert(sizeof(TickRecord) == 32, "TickRecord is 32 bytes");
static_assert(sizeof(WireTickHeader) == 116, "WireTickHeader is 116 bytes");
static_assert(sizeof(WireTick) == 32, "WireTick is 32 bytes");

TickFileHeader TickHeaderFromWire(const WireTickHeader& w);
TickRecord TickFromWire(const WireTick& w);
