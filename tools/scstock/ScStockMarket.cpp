#include "tools/scstock/ScStockMarket.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

#include "base/ExchangeTime.h"
#include "base/PodBytes.h"

namespace {

// The float a price in thousandths travels as: the receiver multiplies by
// 1,000 and truncates, so the float is the nearest one that gives the
// thousandths back.
float PriceFloat(uint32_t thousandths)
{
    float f = static_cast<float>(thousandths / 1000.0);
    for (int i = 0; i < 8 && static_cast<double>(f) * 1000.0 < thousandths; ++i)
        f = std::nextafter(f, 1e30f);
    for (int i = 0; i < 8 && static_cast<double>(f) * 1000.0 >= thousandths + 1.0; ++i)
        f = std::nextafter(f, -1e30f);
    return f;
}

// An amount in thousands as yuan; halfway into the thousand, so that the
// receiver's division by 1,000 truncates to it while floats can tell.
float AmountFloat(uint32_t thousands)
{
    return static_cast<float>(thousands * 1000.0 + 500.0);
}

template <class T> void PutAt(std::string& bytes, size_t offset, const T& value)
{
    std::memcpy(&bytes[offset], &value, sizeof(T));
}

const uint16_t kMarkets[] = { kScMarketShanghai, kScMarketShenzhen, kScMarketThird };

} // namespace

ScStockMarket::ScStockMarket()
{
    for (uint16_t market : kMarkets) {
        Listed listed;
        listed.market = market;
        for (const SimSecurity& s : m_tables.Securities()) {
            if (s.marketTag == market)
                listed.stocks.push_back(&s);
        }
        m_lists.push_back(listed);
    }
}

ScStockMarket::~ScStockMarket()
{
    FreeReplies();
}

const SimSecurity* ScStockMarket::Find(uint16_t market, uint16_t index) const
{
    for (const Listed& listed : m_lists) {
        if (listed.market == market)
            return index < listed.stocks.size() ? listed.stocks[index] : nullptr;
    }
    return nullptr;
}

int32_t ScStockMarket::Init(const void* packet, int32_t length)
{
    ScInitPacket init;
    if (!packet || length < static_cast<int32_t>(sizeof(init)))
        return 0;
    std::memcpy(&init, packet, sizeof(init));
    if (init.type != kScInit || init.magic != kScInitMagic)
        return 0;
    std::lock_guard<std::mutex> lock(m_mutex);
    FreeReplies();
    // A window handle is a 32-bit value, sign-extended in a 64-bit process.
    m_receiver = reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(init.window)));
    m_message = init.message;

    m_watched.clear();
    for (const Listed& listed : m_lists) {
        std::string reply(sizeof(ScStockListHead), '\0');
        ScStockListHead head = {};
        head.head.type = kScStockList;
        head.head.one = 1;
        head.market = listed.market;
        head.count = static_cast<int16_t>(listed.stocks.size());
        PutAt(reply, 0, head);
        for (const SimSecurity* stock : listed.stocks) {
            ScStockListEntry entry = {};
            std::memcpy(entry.code, stock->code.data(), std::min(stock->code.size(), sizeof(entry.code) - 1));
            std::memcpy(entry.name, stock->name.data(), std::min(stock->name.size(), sizeof(entry.name) - 1));
            AppendPod(reply, entry);
        }
        Post(reply);
    }
    return 1;
}

int32_t ScStockMarket::AskData(const void* packet, int32_t length)
{
    if (!packet || length < static_cast<int32_t>(sizeof(ScReplyHead)))
        return 0;
    ScReplyHead head;
    std::memcpy(&head, packet, sizeof(head));
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_asks;
    if (head.type == kScBars && length >= static_cast<int32_t>(sizeof(ScBarRequestPacket))) {
        ScBarRequestPacket request;
        std::memcpy(&request, packet, sizeof(request));
        const SimSecurity* stock = Find(request.market, request.index);
        if (!stock)
            return 0;
        std::vector<WireBar> bars;
        if (request.barKind == kScDayBars) {
            bars = m_series.DayBars(
                stock->key, static_cast<int32_t>(request.from), static_cast<int32_t>(request.to));
        } else if (request.barKind == kScFiveMinuteBars) {
            const uint32_t f = request.from;
            const uint32_t t = request.to;
            bars = m_series.FiveMinuteBars(stock->key,
                MakeExchangeTime(PackedYear(f), PackedMonth(f), PackedDay(f), PackedHour(f), PackedMinute(f)),
                MakeExchangeTime(
                    PackedYear(t), PackedMonth(t), PackedDay(t), PackedHour(t), PackedMinute(t)));
        } else {
            return 0;
        }
        const std::string reply = BarReply(request, bars);
        if (!reply.empty())
            Post(reply);
        return 1;
    }
    if (head.type == kScTicks && length >= static_cast<int32_t>(sizeof(ScTickRequestPacket))) {
        ScTickRequestPacket request;
        std::memcpy(&request, packet, sizeof(request));
        const SimSecurity* stock = Find(request.market, request.index);
        if (!stock)
            return 0;
        // The stock's latest snapshot goes first: the receiver heads the
        // ticks with it. From now on the stock's snapshots are posted.
        m_watched.insert(static_cast<uint32_t>(request.market) << 16 | request.index);
        Post(SnapshotReply({ SnapshotOf(*stock, request.market, request.index) }));
        const std::string reply = TickReply(request, m_series.Ticks(stock->key));
        if (!reply.empty())
            Post(reply);
        return 1;
    }
    return 0;
}

void ScStockMarket::Quit()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_receiver = nullptr;
    m_message = 0;
    FreeReplies();
}

int32_t ScStockMarket::GetInfo(void* buffer, int32_t length)
{
    static const char kInfo[] = "SCStock stand-in";
    if (buffer && length >= static_cast<int32_t>(sizeof(kInfo)))
        std::memcpy(buffer, kInfo, sizeof(kInfo));
    std::lock_guard<std::mutex> lock(m_mutex);
    int32_t listed = 0;
    for (const Listed& l : m_lists)
        listed += static_cast<int32_t>(l.stocks.size());
    return listed;
}

void ScStockMarket::SetClock(int32_t now)
{
    m_series.SetClock(now);
}

void ScStockMarket::SetFault(ScStockFault fault, int32_t times)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_fault = fault;
    m_faultTimes = times;
}

int32_t ScStockMarket::PostSnapshots()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_receiver)
        return 0;
    std::vector<ScSnapshot> snapshots;
    for (uint32_t watched : m_watched) {
        const uint16_t market = static_cast<uint16_t>(watched >> 16);
        const uint16_t index = static_cast<uint16_t>(watched & 0xFFFF);
        if (const SimSecurity* stock = Find(market, index))
            snapshots.push_back(SnapshotOf(*stock, market, index));
    }
    if (!snapshots.empty())
        Post(SnapshotReply(snapshots));
    return static_cast<int32_t>(snapshots.size());
}

int32_t ScStockMarket::PostRaw(const void* bytes, int32_t length)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_receiver || !bytes || length <= 0)
        return 0;
    Post(std::string(static_cast<const char*>(bytes), static_cast<size_t>(length)));
    return 1;
}

int32_t ScStockMarket::AskCount()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_asks;
}

ScSnapshot ScStockMarket::SnapshotOf(const SimSecurity& stock, uint16_t market, uint16_t index) const
{
    const WireTickHeader h = m_series.TickHeader(stock.key);
    ScSnapshot s = {};
    s.market = market;
    s.index = index;
    s.time = h.time;
    s.previousClose = PriceFloat(h.previousClose);
    s.open = PriceFloat(h.open);
    s.high = PriceFloat(h.high);
    s.low = PriceFloat(h.low);
    s.last = PriceFloat(h.last);
    s.volume = static_cast<float>(h.totalVolume);
    s.amount = AmountFloat(h.totalAmount);
    for (int i = 0; i < 5; ++i) {
        s.bidPrices[i] = PriceFloat(h.bidPrices[i]);
        s.bidVolumes[i] = static_cast<float>(h.bidVolumes[i]);
        s.askPrices[i] = PriceFloat(h.askPrices[i]);
        s.askVolumes[i] = static_cast<float>(h.askVolumes[i]);
    }
    return s;
}

std::string ScStockMarket::SnapshotReply(const std::vector<ScSnapshot>& snapshots) const
{
    ScSnapshotHead head = {};
    head.head.type = kScSnapshots;
    head.head.one = 1;
    head.count = static_cast<int16_t>(snapshots.size());
    std::string reply;
    AppendPod(reply, head);
    for (const ScSnapshot& s : snapshots)
        AppendPod(reply, s);
    return reply;
}

std::string ScStockMarket::BarReply(const ScBarRequestPacket& request, const std::vector<WireBar>& bars)
{
    const ScStockFault fault = TakeFault();
    if (fault == ScStockFault::NoReply)
        return std::string();
    ScBarHead head = {};
    head.head.type = kScBars;
    head.head.one = 1;
    head.head.serial = request.serial;
    head.market = request.market;
    head.index = request.index;
    head.barKind = request.barKind;
    head.count = static_cast<uint32_t>(bars.size());
    std::string reply;
    AppendPod(reply, head);
    for (const WireBar& w : bars) {
        ScBar b = {};
        b.time = w.time;
        b.open = PriceFloat(w.open);
        b.high = PriceFloat(w.high);
        b.low = PriceFloat(w.low);
        b.close = PriceFloat(w.close);
        b.volume = static_cast<float>(w.volume);
        b.amount = AmountFloat(w.amount);
        AppendPod(reply, b);
    }
    Spoil(reply, fault, offsetof(ScBarHead, count), sizeof(ScBarHead), sizeof(ScBar), head.count);
    return reply;
}

std::string ScStockMarket::TickReply(const ScTickRequestPacket& request, const std::vector<WireTick>& ticks)
{
    const ScStockFault fault = TakeFault();
    if (fault == ScStockFault::NoReply)
        return std::string();
    ScTickHead head = {};
    head.head.type = kScTicks;
    head.head.one = 1;
    head.head.serial = request.serial;
    head.market = request.market;
    head.index = request.index;
    head.count = static_cast<uint32_t>(ticks.size());
    std::string reply;
    AppendPod(reply, head);
    for (const WireTick& w : ticks) {
        ScTick t = {};
        t.time = w.time;
        t.price = PriceFloat(w.price);
        t.volume = static_cast<float>(w.volume);
        t.amount = AmountFloat(w.amount);
        t.bidPrices[0] = PriceFloat(w.bidPrice);
        t.bidVolumes[0] = static_cast<float>(w.bidVolume);
        t.askPrices[0] = PriceFloat(w.askPrice);
        t.askVolumes[0] = static_cast<float>(w.askVolume);
        AppendPod(reply, t);
    }
    Spoil(reply, fault, offsetof(ScTickHead, count), sizeof(ScTickHead), sizeof(ScTick), head.count);
    return reply;
}

ScStockFault ScStockMarket::TakeFault()
{
    if (m_fault == ScStockFault::None || m_faultTimes == 0)
        return ScStockFault::None;
    const ScStockFault fault = m_fault;
    if (m_faultTimes > 0 && --m_faultTimes == 0)
        m_fault = ScStockFault::None;
    return fault;
}

void ScStockMarket::Spoil(std::string& reply, ScStockFault fault, size_t countAt, size_t recordsAt,
    size_t recordSize, uint32_t count)
{
    switch (fault) {
    case ScStockFault::NegativeCount:
        PutAt(reply, countAt, static_cast<uint32_t>(0xFFFFFFF0u));
        break;
    case ScStockFault::HugeCount:
        PutAt(reply, countAt, static_cast<uint32_t>(0x7FFFFFFFu));
        break;
    case ScStockFault::ShortBuffer:
        // The count stays; the last record loses all but its first bytes.
        if (count == 0) {
            PutAt(reply, countAt, static_cast<uint32_t>(1));
            reply.append(recordSize / 2, '\0');
        } else {
            reply.resize(recordsAt + (count - 1) * recordSize + recordSize / 2);
        }
        break;
    default:
        break;
    }
}

void ScStockMarket::Post(const std::string& reply)
{
    if (!m_receiver || reply.empty())
        return;
    SYSTEM_INFO info;
    ::GetSystemInfo(&info);
    const size_t page = info.dwPageSize;
    const size_t body = (reply.size() + page - 1) / page * page;
    uint8_t* block = static_cast<uint8_t*>(
        ::VirtualAlloc(nullptr, body + page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (!block)
        return;
    DWORD old;
    ::VirtualProtect(block + body, page, PAGE_NOACCESS, &old);
    uint8_t* bytes = block + body - reply.size();
    std::memcpy(bytes, reply.data(), reply.size());
    if (!::PostMessageA(
            m_receiver, m_message, static_cast<WPARAM>(reply.size()), reinterpret_cast<LPARAM>(bytes))) {
        ::VirtualFree(block, 0, MEM_RELEASE);
        return;
    }
    m_replies.push_back(block);
}

void ScStockMarket::FreeReplies()
{
    for (void* block : m_replies)
        ::VirtualFree(block, 0, MEM_RELEASE);
    m_replies.clear();
}
