#include "tools/webservice/SimRankingService.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "tools/marketdata/SimMarketSeries.h"
#include "tools/marketdata/SimPrices.h"
#include "tools/websim/WebSimServer.h"

const char* const SimRankingService::kPath = "/Zentu/live/live.php";

namespace {

const uint16_t kTagSH = 'S' | ('H' << 8);
const uint16_t kTagSZ = 'S' | ('Z' << 8);

bool IsAShare(const SimSecurity& s)
{
    if (s.index || s.code.size() != 6)
        return false;
    if (s.marketTag == kTagSH)
        return s.code[0] == '6';
    if (s.marketTag == kTagSZ)
        return s.code[0] == '0' || s.code[0] == '3';
    return false;
}

uint32_t Mix(uint32_t h, uint32_t value)
{
    return (h ^ value) * 16777619u;
}

// A deterministic number in [0, 1) for a security, a type and a slot.
double Unit(uint32_t seed, uint32_t key, int type, int slot)
{
    uint32_t h = Mix(Mix(Mix(seed ^ 2166136261u, key), static_cast<uint32_t>(type)), static_cast<uint32_t>(slot));
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return (h & 0xFFFFFF) / 16777216.0;
}

void PutHead(std::string& record, const SimSecurity& s)
{
    std::memcpy(&record[0], &s.key, 4);
    std::memcpy(&record[4], &s.marketTag, 2);
    std::memcpy(&record[6], s.code.data(), s.code.size() < 9 ? s.code.size() : 9);
    std::memcpy(&record[16], s.name.data(), s.name.size() < 31 ? s.name.size() : 31);
}

template <class T> void Put(std::string& record, size_t offset, T value)
{
    std::memcpy(&record[offset], &value, sizeof(T));
}

} // namespace

SimRankingService::SimRankingService(const std::vector<SimSecurity>& securities, uint32_t seed)
    : m_seed(seed)
    , m_truncateAt(0)
    , m_requests(0)
{
    for (const SimSecurity& s : securities) {
        if (IsAShare(s))
            m_shares.push_back(s);
    }
}

void SimRankingService::FollowSeries(
    const SimMarketSeries& series, SimMarketTables::LiveQuoteSource quotes, const std::vector<uint32_t>& stockKeys)
{
    m_series = &series;
    m_quotes = std::move(quotes);
    m_stockKeys = stockKeys;
    std::sort(m_stockKeys.begin(), m_stockKeys.end());
}

void SimRankingService::Install(WebSimServer& server)
{
    auto handler = [this](const WebSimRequest& request) { return Answer(request); };
    server.AddRoute(kPath, handler);
    server.AddRoute("/zentu/live/live.php", handler);
}

std::string SimRankingService::Body(int type) const
{
    size_t size = 0;
    switch (type) {
    case 1:
        size = 60;
        break;
    case 3:
        size = 62;
        break;
    case 5:
        size = 54;
        break;
    case 7:
    case 9:
    case 11:
        size = 58;
        break;
    default:
        return std::string();
    }
    if (m_series)
        return SeriesBody(type, size);
    std::string body;
    for (int16_t side : { int16_t(1), int16_t(-1) }) {
        for (uint16_t tag : { kTagSH, kTagSZ }) {
            int taken = 0;
            for (size_t i = 0; i < m_shares.size() && taken < kEntriesPerList; ++i) {
                const SimSecurity& s = m_shares[(i * 7 + (side > 0 ? 0 : 3)) % m_shares.size()];
                if (s.marketTag != tag)
                    continue;
                ++taken;
                std::string record(size, '\0');
                PutHead(record, s);
                const double u1 = Unit(m_seed, s.key, type, 1);
                const double u2 = Unit(m_seed, s.key, type, 2);
                const float base = s.basePrice > 0 ? s.basePrice : 10.0f;
                const double change = side * (0.5 + 9.0 * u1); // percent
                const float price = static_cast<float>(base * (1.0 + change / 100.0));
                switch (type) {
                case 1:
                    Put<uint16_t>(record, 48, static_cast<uint16_t>(2 + u2 * 9));
                    Put<uint32_t>(record, 50, static_cast<uint32_t>(price * 1000.0f + 0.5f));
                    Put<int32_t>(record, 54, static_cast<int32_t>(change * 1000.0));
                    Put<int16_t>(record, 58, side);
                    break;
                case 3:
                    Put<float>(record, 48, price);
                    Put<float>(record, 52, static_cast<float>(2.0e5 + u2 * 5.0e7));
                    Put<float>(record, 56, static_cast<float>(change));
                    Put<int16_t>(record, 60, side);
                    break;
                case 5:
                    Put<float>(record, 48, price);
                    Put<int16_t>(record, 52, side);
                    break;
                default: {
                    const double scale = side > 0 ? 1.0 : 0.05;
                    const float first = type == 11 ? static_cast<float>(side > 0 ? 2.0 + u1 * 6 : 0.1 + u1 * 0.5)
                                                   : price;
                    const float second = type == 7 ? static_cast<float>(scale * (1.0e6 + u2 * 9.0e7))
                        : type == 9               ? static_cast<float>(scale * (1.0e8 + u2 * 5.0e9))
                                                  : price;
                    Put<float>(record, 48, first);
                    Put<float>(record, 52, second);
                    Put<int16_t>(record, 56, side);
                    break;
                }
                }
                body += record;
            }
        }
    }
    return body;
}

std::string SimRankingService::SeriesBody(int type, size_t size) const
{
    struct Entry
    {
        const SimSecurity* security;
        SimMarketTables::LiveQuote quote;
        double change; // percent against the previous close
        int rising; // days in a row, today's included
        int falling;
        double volumeRatio;
    };
    std::vector<Entry> entries;
    const int32_t today = m_series->TradingDay();
    const int passed = std::max(1, m_series->SessionMinutesPassed());
    for (const SimSecurity& s : m_shares) {
        if (!std::binary_search(m_stockKeys.begin(), m_stockKeys.end(), s.key))
            continue;
        Entry e = { &s, {}, 0, 0, 0, 0 };
        if (!m_quotes(s.key, e.quote) || !(e.quote.last > 0) || !(e.quote.previousClose > 0))
            continue;
        e.change = (e.quote.last - e.quote.previousClose) / e.quote.previousClose * 100.0;
        if (type == 1 || type == 11) {
            // Six weeks of days: longer streaks are rarer than the lists are long.
            const std::vector<WireBar> bars = m_series->DayBars(s.key, today - 42 * 86400, today);
            for (size_t i = bars.size(); i >= 2 && bars[i - 1].close > bars[i - 2].close && !e.falling; --i)
                ++e.rising;
            for (size_t i = bars.size(); i >= 2 && bars[i - 1].close < bars[i - 2].close && !e.rising; --i)
                ++e.falling;
            // Today's volume per minute against that of the five days before.
            if (bars.size() >= 6 && bars.back().time == today) {
                double before = 0;
                for (size_t i = bars.size() - 6; i + 1 < bars.size(); ++i)
                    before += bars[i].volume;
                if (before > 0)
                    e.volumeRatio = (static_cast<double>(bars.back().volume) / passed) / (before / (5.0 * 240));
            }
        }
        entries.push_back(e);
    }
    auto value = [type](const Entry& e, int side) -> double {
        switch (type) {
        case 1:
            return side > 0 ? e.rising : e.falling;
        case 3:
            return e.change;
        case 5:
            return e.quote.last;
        case 7:
            return e.quote.volume;
        case 9:
            return e.quote.amount;
        default:
            return e.volumeRatio;
        }
    };
    std::string body;
    for (int16_t side : { int16_t(1), int16_t(-1) }) {
        for (uint16_t tag : { kTagSH, kTagSZ }) {
            std::vector<const Entry*> list;
            for (const Entry& e : entries) {
                if (e.security->marketTag == tag)
                    list.push_back(&e);
            }
            // Streaks are the longest on both sides; the other values the
            // highest above and the lowest below. Ties in code order.
            const bool descending = side > 0 || type == 1;
            std::stable_sort(list.begin(), list.end(), [&](const Entry* a, const Entry* b) {
                return descending ? value(*a, side) > value(*b, side) : value(*a, side) < value(*b, side);
            });
            if (list.size() > static_cast<size_t>(kEntriesPerList))
                list.resize(kEntriesPerList);
            for (const Entry* e : list) {
                const SimMarketTables::LiveQuote& q = e->quote;
                std::string record(size, '\0');
                PutHead(record, *e->security);
                switch (type) {
                case 1:
                    Put<uint16_t>(record, 48, static_cast<uint16_t>(side > 0 ? e->rising : e->falling));
                    Put<uint32_t>(record, 50, Thousandths(q.last));
                    Put<int32_t>(record, 54, static_cast<int32_t>(std::lround(e->change * 1000.0)));
                    Put<int16_t>(record, 58, side);
                    break;
                case 3:
                    Put<float>(record, 48, static_cast<float>(q.last));
                    Put<float>(record, 52, static_cast<float>(q.volume));
                    Put<float>(record, 56, static_cast<float>(e->change));
                    Put<int16_t>(record, 60, side);
                    break;
                case 5:
                    Put<float>(record, 48, static_cast<float>(q.last));
                    Put<int16_t>(record, 52, side);
                    break;
                default:
                    // Volume in lots as the quote table gives it, amount in yuan.
                    Put<float>(record, 48, static_cast<float>(type == 11 ? e->volumeRatio : q.last));
                    Put<float>(record, 52,
                        static_cast<float>(type == 7 ? q.volume : type == 9 ? q.amount * 1000.0 : q.last));
                    Put<int16_t>(record, 56, side);
                    break;
                }
                body += record;
            }
        }
    }
    return body;
}

WebSimReply SimRankingService::Answer(const WebSimRequest& request)
{
    m_requests.fetch_add(1);
    const std::string typeText = request.QueryValue("type");
    const int type = typeText.empty() ? 0 : std::atoi(typeText.c_str());
    std::string body = Body(type);
    if (body.empty())
        return WebSimReply::Status(404, "Not Found");
    const size_t cut = m_truncateAt.load();
    if (cut != 0 && cut < body.size())
        body.resize(cut);
    return WebSimReply::Ok(body);
}
