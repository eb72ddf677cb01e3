#include "tests/support/SeriesFixtures.h"

#include <cmath>

#include "base/ExchangeTime.h"
#include "base/GlobalDefaults.h"

int32_t T(int year, int month, int day, int hour, int minute, int second)
{
    return MakeExchangeTime(year, month, day, hour, minute, second);
}

ScopedServerTime::ScopedServerTime(int32_t time)
    : m_saved(ServerTime::Get())
{
    ServerTime::Set(time);
}
ScopedServerTime::~ScopedServerTime()
{
    ServerTime::Set(m_saved);
}

namespace {
uint32_t Thousandths(double price)
{
    return static_cast<uint32_t>(std::lround(price * 1000));
}
} // namespace

WireBar MakeWireBar(
    int32_t time, double open, double high, double low, double close, uint32_t volume, uint32_t amount)
{
    return WireBar { time, Thousandths(open), Thousandths(high), Thousandths(low), Thousandths(close), volume,
        amount };
}

Bar MakeBar(int32_t time, float open, float high, float low, float close, float volume, float amount)
{
    return Bar { time, open, high, low, close, volume, amount };
}

std::string BarReply(const std::vector<WireBar>& bars)
{
    std::string bytes;
    AppendPod(bytes, int32_t(0));
    AppendPod(bytes, int32_t(0));
    for (const WireBar& bar : bars)
        AppendPod(bytes, bar);
    return bytes;
}

WireTickHeader MakeWireTickHeader(int32_t time, double previousClose)
{
    WireTickHeader h = {};
    h.time = time;
    h.previousClose = Thousandths(previousClose);
    h.open = h.high = h.low = h.last = Thousandths(previousClose);
    return h;
}

WireTick MakeWireTick(int32_t time, double price, uint32_t volume, uint32_t amount, uint32_t bidVolume,
    uint32_t askVolume, double askPrice)
{
    return WireTick { time, Thousandths(price), volume, amount, Thousandths(price), bidVolume,
        Thousandths(askPrice), askVolume };
}

std::string TickReply(const WireTickHeader& header, const std::vector<WireTick>& ticks)
{
    std::string bytes;
    AppendPod(bytes, int32_t(0));
    AppendPod(bytes, int32_t(0));
    AppendPod(bytes, header);
    for (const WireTick& tick : ticks)
        AppendPod(bytes, tick);
    return bytes;
}

TickRecord MakeTick(
    int32_t time, float price, float volume, float amount, float bidVolume, float askVolume, float askPrice)
{
    return TickRecord { time, price, volume, amount, price, bidVolume, askPrice, askVolume };
}
