#include "data/FenbiData.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>
#include <string>

#include "base/CPFile.h"
#include "base/GlobalDefaults.h"
#include "base/MemoryStream.h"
#include "data/MarketTime.h"
#include "data/ReplyChecks.h"
#include "net/DataProvider.h"

namespace {

const int32_t kReplyTicksOffset = 8 + static_cast<int32_t>(sizeof(WireTickHeader));

bool TickTimeLess(const TickRecord& a, const TickRecord& b)
{
    return a.time < b.time;
}

uint32_t FloatBits(float value)
{
    uint32_t bits;
    memcpy(&bits, &value, sizeof(bits));
    return bits;
}

float Price(uint32_t thousandths)
{
    return static_cast<float>(thousandths / 1000.0);
}

// A snapshot a market has: its prices and totals finite, in range.
bool IsPlausibleHeader(const TickFileHeader& h)
{
    for (float price : { h.previousClose, h.open, h.high, h.low, h.last }) {
        if (!IsPlausiblePrice(price, false))
            return false;
    }
    for (int i = 0; i < 5; ++i) {
        if (!IsPlausiblePrice(h.bidPrices[i], false) || !IsPlausiblePrice(h.askPrices[i], false))
            return false;
    }
    return std::isfinite(h.totalVolume) && std::isfinite(h.totalAmount);
}

} // namespace

TickFileHeader TickHeaderFromWire(const WireTickHeader& w)
{
    TickFileHeader h;
    h.time = w.time;
    h.reserved = w.reserved;
    h.previousClose = Price(w.previousClose);
    h.open = Price(w.open);
    h.high = Price(w.high);
    h.low = Price(w.low);
    h.last = Price(w.last);
    h.totalVolume = static_cast<float>(w.totalVolume);
    h.totalAmount = static_cast<float>(w.totalAmount);
    for (int i = 0; i < 5; ++i) {
        h.bidPrices[i] = Price(w.bidPrices[i]);
        h.bidVolumes[i] = static_cast<float>(w.bidVolumes[i]);
        h.askPrices[i] = Price(w.askPrices[i]);
        h.askVolumes[i] = static_cast<float>(w.askVolumes[i]);
    }
    return h;
}

TickRecord TickFromWire(const WireTick& w)
{
    TickRecord t;
    t.time = w.time;
    t.price = Price(w.price);
    t.volume = static_cast<float>(w.volume);
    t.amount = static_cast<float>(w.amount);
    t.bidPrice = Price(w.bidPrice);
    t.bidVolume = static_cast<float>(w.bidVolume);
    t.askPrice = Price(w.askPrice);
    t.askVolume = static_cast<float>(w.askVolume);
    return t;
}

CFenbiData::CFenbiData()
    : m_header()
{
    m_kind = kSeriesTicks;
}

CFenbiData::~CFenbiData()
{
    Save(nullptr);
}

const TickRecord& CFenbiData::GetTick(int index) const
{
    static const TickRecord kNoTick = {};
    if (index < 0 || index >= GetCount())
        return kNoTick;
    return m_ticks[index];
}

bool CFenbiData::CopyTick(int index, TickRecord* out) const
{
    if (!out || index < 0 || index >= GetCount())
        return false;
    *out = m_ticks[index];
    return true;
}

void CFenbiData::UpdateHeaderFromTicks()
{
    m_count = GetCount();
    m_firstTime = m_ticks.empty() ? 0 : m_ticks.front().time;
    m_lastTime = m_ticks.empty() ? 0 : m_ticks.back().time;
}

void CFenbiData::SortAndDropRepeats()
{
    std::stable_sort(m_ticks.begin(), m_ticks.end(), TickTimeLess);
    // A second may hold several trades, and a reply that starts at that second
    // repeats all of them behind the ones held: a tick is dropped when its
    // second already holds one of the same price and cumulative volume, not
    // only when its neighbour is one.
    std::set<std::pair<uint32_t, uint32_t>> heldInSecond; // price and volume, as their bits
    size_t kept = 0;
    for (size_t i = 0; i < m_ticks.size(); ++i) {
        const TickRecord tick = m_ticks[i];
        if (kept == 0 || m_ticks[kept - 1].time != tick.time)
            heldInSecond.clear();
        if (heldInSecond.insert(std::make_pair(FloatBits(tick.price), FloatBits(tick.volume))).second)
            m_ticks[kept++] = tick;
    }
    m_ticks.resize(kept);
}

int CFenbiData::Load(const char* path, uint32_t key)
{
    m_key = key;
    if (!path || !*path)
        return 0;
    m_path = path;
    std::string bytes;
    // A file of more ticks than a session has is damaged: it is never read.
    const long kMaxFile = static_cast<long>(sizeof(TickFileHeader) + (MarketBounds::kTicksPerDay + 1) * sizeof(TickRecord));
    try {
        if (!ReadWholeFile(path, bytes, kMaxFile) || bytes.size() < sizeof(TickFileHeader))
            return 0;
        TickFileHeader header;
        memcpy(&header, bytes.data(), sizeof(header));
        // Only a merged reply is ever saved: a header without a day, of a day
        // no request reaches, or with prices no market has is damage, and the
        // file is refused. (Taken, a day ahead would refuse every reply.)
        if (header.time <= 0 || header.time > LatestSeriesTime() || !IsPlausibleHeader(header))
            return 0;
        const int32_t day = DayKey(header.time);
        const size_t count = (bytes.size() - sizeof(header)) / sizeof(TickRecord);
        if (count > MarketBounds::kTicksPerDay)
            return 0;
        std::vector<TickRecord> ticks;
        ticks.reserve(count);
        for (size_t i = 0; i < count; ++i) {
            TickRecord tick;
            memcpy(&tick, bytes.data() + sizeof(header) + i * sizeof(TickRecord), sizeof(tick));
            if (DayKey(tick.time) != day)
                continue;
            if (!IsPlausiblePrice(tick.price, false) || !std::isfinite(tick.volume) || !std::isfinite(tick.amount))
                return 0;
            ticks.push_back(tick);
        }
        m_header = header;
        m_ticks.swap(ticks);
        SortAndDropRepeats();
    } catch (const std::bad_alloc&) {
        return 0;
    }
    UpdateHeaderFromTicks();
    m_active.store(1);
    return 1;
}

int CFenbiData::Save(const char* path)
{
    if (!m_dirty.load())
        return 0;
    std::string bytes(reinterpret_cast<const char*>(&m_header), sizeof(m_header));
    if (!m_ticks.empty())
        bytes.append(reinterpret_cast<const char*>(m_ticks.data()), m_ticks.size() * sizeof(TickRecord));
    return SaveWhole(path, bytes.data(), bytes.size());
}

int CFenbiData::RequestData(int)
{
    if (m_pending.load())
        return 1;
    return SendRequest(kCmdTicks, m_ticks.empty() ? 0 : m_lastTime, ServerTime::Get() + 259200);
}


int CFenbiData::Merge(uint32_t key, CMemoryStream* stream)
{
    if (!stream || !stream->GetBuffer() || stream->GetSize() <= 0)
        return 0;
    const int32_t size = stream->GetSize();
    if (size < kReplyTicksOffset)
        return 0;
    const uint8_t* bytes = stream->GetBuffer();
    WireTickHeader wireHeader;
    memcpy(&wireHeader, bytes + 8, sizeof(wireHeader));
    // A reply without a day, or of an earlier day than the one held, would wipe the day's ticks.
    if (wireHeader.time <= 0 || (m_header.time > 0 && DayKey(wireHeader.time) < DayKey(m_header.time)))
        return 0;
    const TickFileHeader header = TickHeaderFromWire(wireHeader);
    const size_t count = static_cast<size_t>(size - kReplyTicksOffset) / sizeof(WireTick);
    // A snapshot or trade outside the window asked for or off the reply's
    // day, a price beyond any market, more trades than a session has: the
    // reply is not this series' ticks, and nothing of it is taken. (A trade
    // without a price, an auction's, is real.)
    if (!m_window.Holds(header.time) || !IsPlausibleHeader(header) || count > MarketBounds::kTicksPerDay)
        return 0;
    const int32_t day = DayKey(header.time);
    std::vector<TickRecord> held;
    bool swapped = false;
    try {
        std::vector<TickRecord> ticks;
        ticks.reserve(m_ticks.size() + count);
        for (const TickRecord& held : m_ticks) {
            if (DayKey(held.time) == day)
                ticks.push_back(held);
        }
        for (size_t i = 0; i < count; ++i) {
            WireTick wire;
            memcpy(&wire, bytes + kReplyTicksOffset + i * sizeof(WireTick), sizeof(wire));
            const TickRecord tick = TickFromWire(wire);
            if (!m_window.Holds(tick.time) || DayKey(tick.time) != day || !IsPlausiblePrice(tick.price, false))
                return 0;
            ticks.push_back(tick);
        }
        held.swap(m_ticks);
        m_ticks.swap(ticks);
        swapped = true;
        // Requests start at the last tick held, so the ticks of its second come back every time.
        SortAndDropRepeats();
        if (m_ticks.size() > MarketBounds::kTicksPerDay) {
            m_ticks.swap(held);
            return 0;
        }
    } catch (const std::bad_alloc&) {
        if (swapped)
            m_ticks.swap(held);
        return 0;
    }
    m_header = header;
    m_key = key;
    UpdateHeaderFromTicks();
    m_dirty.store(1);
    m_active.store(1);
    return 1;
}

int CFenbiData::CopyTo(CFenbiData* target)
{
    if (!target || target == this || !m_active.load())
        return 0;
    CopyHeaderTo(target);
    target->m_header = m_header;
    target->m_ticks = m_ticks;
    target->m_count = GetCount();
    m_active.store(0);
    return 1;
}

int CFenbiData::GetOuterInnerVolume(float* lastVolume, float* outer, float* inner) const
{
    float latestVolume = 0;
    int32_t latestTime = 0;
    double outerSum = 0;
    double innerSum = 0;
    bool lastWasRise = true;
    for (size_t i = 0; i < m_ticks.size(); ++i) {
        const TickRecord& tick = m_ticks[i];
        if (i == 0 || tick.time >= latestTime) {
            latestTime = tick.time;
            latestVolume = tick.volume;
        }
        if (i == 0)
            continue;
        const TickRecord& prev = m_ticks[i - 1];
        const double delta = tick.volume - prev.volume;
        if (tick.price - prev.price > 0.0001)
            lastWasRise = true;
        else if (prev.price - tick.price > 0.0001)
            lastWasRise = false;
        (lastWasRise ? outerSum : innerSum) += delta;
    }
    if (lastVolume)
        *lastVolume = latestVolume;
    if (outer)
        *outer = static_cast<float>(outerSum);
    if (inner)
        *inner = static_cast<float>(innerSum);
    return 1;
}
