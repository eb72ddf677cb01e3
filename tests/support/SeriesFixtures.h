#pragma once
// Fixtures of the per-stock series tests: exchange times, the recording data
// provider, and byte builders for bar and tick replies.
#include <cstdint>
#include <string>
#include <vector>

#include "base/MemoryStream.h"
#include "base/PodBytes.h"
#include "data/Bar.h"
#include "data/TickRecord.h"
#include "tests/support/RecordingDataProvider.h"

// An exchange-time (UTC+8) date and time.
int32_t T(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

// Fixes ServerTime for the scope.
class ScopedServerTime
{
public:
    explicit ScopedServerTime(int32_t time);
    ~ScopedServerTime();

private:
    int32_t m_saved;
};

// Prices are taken as exact thousandths: multiples of 1/8 stay exact in float.
WireBar MakeWireBar(
    int32_t time, double open, double high, double low, double close, uint32_t volume, uint32_t amount);
Bar MakeBar(
    int32_t time, float open, float high, float low, float close, float volume = 100, float amount = 1000);
// Two leading words, then the wire bars.
std::string BarReply(const std::vector<WireBar>& bars);

WireTickHeader MakeWireTickHeader(int32_t time, double previousClose);
WireTick MakeWireTick(int32_t time, double price, uint32_t volume, uint32_t amount, uint32_t bidVolume = 0,
    uint32_t askVolume = 0, double askPrice = 0);
// Two leading words, the wire header, then the wire ticks.
std::string TickReply(const WireTickHeader& header, const std::vector<WireTick>& ticks);
TickRecord MakeTick(int32_t time, float price, float volume, float amount, float bidVolume = 0,
    float askVolume = 0, float askPrice = 0);
