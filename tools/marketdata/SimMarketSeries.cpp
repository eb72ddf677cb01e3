#include "tools/marketdata/SimMarketSeries.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "base/ExchangeTime.h"
#include "base/PodBytes.h"
#include "data/F10Sections.h"
#include "data/Rc4.h"
#include "tools/marketdata/SimMarketTables.h"
#include "tools/marketdata/SimPrices.h"

namespace {

const int kSessionMinutes = 240;
const int32_t kDaySeconds = 86400;

uint64_t SplitMix(uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

double RoundCents(double price)
{
    return std::max(0.01, std::round(price * 100) / 100);
}

int32_t DayStart(int32_t time)
{
    const std::tm f = SplitExchangeTime(time);
    return MakeExchangeTime(f.tm_year + 1900, f.tm_mon + 1, f.tm_mday);
}

bool IsWeekday(int32_t day)
{
    const int wday = SplitExchangeTime(day).tm_wday;
    return wday >= 1 && wday <= 5;
}

} // namespace

SimMarketSeries::SimMarketSeries(uint32_t seed)
    : m_seed(seed)
    , m_clock(0)
    , m_clockOffset(0)
    , m_ticksFromStartSecond(false)
{
}

int32_t SimMarketSeries::Now() const
{
    const int32_t fixed = m_clock.load();
    return fixed ? fixed : static_cast<int32_t>(time(nullptr)) + m_clockOffset.load();
}

void SimMarketSeries::RunFromSessionTime(int minuteOfDay)
{
    const int32_t real = static_cast<int32_t>(time(nullptr));
    int32_t day = DayStart(real);
    int32_t target = day + minuteOfDay * 60;
    while (!IsWeekday(day) || target > real) {
        day -= kDaySeconds;
        target = day + minuteOfDay * 60;
    }
    m_clock.store(0);
    m_clockOffset.store(target - real);
}

uint64_t SimMarketSeries::Random(uint32_t key, int64_t a, int64_t b) const
{
    uint64_t x = SplitMix((static_cast<uint64_t>(m_seed) << 32) ^ key);
    x = SplitMix(x ^ static_cast<uint64_t>(a));
    return SplitMix(x ^ (static_cast<uint64_t>(b) * 0x100000001B3ull));
}

double SimMarketSeries::Uniform(uint32_t key, int64_t a, int64_t b) const
{
    return static_cast<double>(Random(key, a, b) >> 11) / 9007199254740992.0;
}

bool SimMarketSeries::IsIndex(uint32_t key)
{
    const uint32_t market = key >> 24;
    const uint32_t code = key & 0xFFFFFF;
    if (market == 0)
        return (code >> 12) == 0x1A0 || (code >> 12) == 0x1B0 || (code >> 12) == 0x1C0 || (code >> 12) == 0;
    if (market == 1)
        return (code >> 16) == 0x39;
    return false;
}

double SimMarketSeries::BasePrice(uint32_t key) const
{
    if (IsIndex(key))
        return RoundCents(2000 + 1500 * Uniform(key, -1));
    return RoundCents(4 + 36 * Uniform(key, -1));
}

int32_t SimMarketSeries::TradingDay() const
{
    const int32_t now = Now();
    const std::tm f = SplitExchangeTime(now);
    int32_t day = DayStart(now);
    if (IsWeekday(day) && f.tm_hour * 60 + f.tm_min >= 9 * 60 + 30)
        return day;
    do
        day -= kDaySeconds;
    while (!IsWeekday(day));
    return day;
}

int SimMarketSeries::SessionMinutesPassed() const
{
    const int32_t now = Now();
    if (TradingDay() != DayStart(now))
        return kSessionMinutes;
    const std::tm f = SplitExchangeTime(now);
    const int minute = f.tm_hour * 60 + f.tm_min;
    if (minute < 11 * 60 + 30)
        return minute - (9 * 60 + 30);
    if (minute < 13 * 60)
        return 120;
    if (minute < 15 * 60)
        return 120 + minute - 13 * 60;
    return kSessionMinutes;
}

int32_t SimMarketSeries::MinuteEnd(int32_t day, int minute)
{
    if (minute <= 120)
        return day + 9 * 3600 + 30 * 60 + 60 * minute;
    return day + 13 * 3600 + 60 * (minute - 120);
}

void SimMarketSeries::SetExRights(const std::vector<SimExRights>& events)
{
    m_exRights.clear();
    for (const SimExRights& e : events)
        m_exRights[e.key].push_back(e);
    for (auto& entry : m_exRights)
        std::stable_sort(entry.second.begin(), entry.second.end(),
            [](const SimExRights& a, const SimExRights& b) { return a.time < b.time; });
}

std::vector<SimExRights> SimMarketSeries::ExRights(uint32_t key) const
{
    std::vector<SimExRights> priced;
    const auto found = m_exRights.find(key);
    if (found != m_exRights.end() && !found->second.empty())
        DayPlans(key, DayStart(found->second.back().time), &priced);
    return priced;
}

std::vector<SimMarketSeries::DayPlan> SimMarketSeries::DayPlans(
    uint32_t key, int32_t lastDay, std::vector<SimExRights>* priced) const
{
    std::vector<DayPlan> plans;
    const auto found = m_exRights.find(key);
    const std::vector<SimExRights>* events = found == m_exRights.end() ? nullptr : &found->second;
    size_t next = 0;
    double base = BasePrice(key);
    double previous = base;
    for (int32_t day = MakeExchangeTime(2000, 1, 3); day <= lastDay; day += kDaySeconds) {
        if (!IsWeekday(day))
            continue;
        // The exchange's reference price after an event: what the holder of one
        // share before it holds after it, at the close before, per share held.
        // Two events of one day follow each other.
        while (events && next < events->size() && DayStart((*events)[next].time) <= day) {
            SimExRights e = (*events)[next++];
            e.cashDividend = e.cashYield > 0 ? static_cast<float>(RoundCents(previous * e.cashYield)) : 0.0f;
            e.rightsPrice = e.rightsShares > 0 ? static_cast<float>(RoundCents(previous * e.rightsDiscount)) : 0.0f;
            const double reference = RoundCents((previous - e.cashDividend + e.rightsPrice * e.rightsShares)
                / (1.0 + e.bonusShares + e.rightsShares));
            // The level the price returns to moves with it, or the price would
            // climb back to where it stood before the event.
            base *= reference / previous;
            previous = reference;
            if (priced)
                priced->push_back(e);
        }
        const int64_t n = day / kDaySeconds;
        const double open = RoundCents(previous * (1 + (Uniform(key, n, 1) - 0.5) * 0.02));
        double change = (Uniform(key, n, 2) - 0.5) * 0.06 + 0.03 * std::log(base / previous);
        change = std::max(-0.09, std::min(0.09, change));
        const double close
            = RoundCents(std::max(previous * 0.905, std::min(previous * 1.095, open * (1 + change))));
        plans.push_back(DayPlan { day, previous, open, close });
        previous = close;
    }
    return plans;
}

void SimMarketSeries::BuildPath(uint32_t key, const DayPlan& plan, MinutePath& path) const
{
    const int64_t n = plan.day / kDaySeconds;
    double walk[kSessionMinutes + 1];
    walk[0] = 0;
    for (int m = 1; m <= kSessionMinutes; ++m)
        walk[m] = walk[m - 1] + (Uniform(key, n, 100 + m) - 0.5);
    const bool index = IsIndex(key);
    const double baseVolume = index ? 20000 : 2000;
    for (int m = 0; m <= kSessionMinutes; ++m) {
        const double t = static_cast<double>(m) / kSessionMinutes;
        const double bridge = walk[m] - walk[kSessionMinutes] * t;
        path.price[m] = m == 0 ? plan.open
            : m == kSessionMinutes
            ? plan.close
            : RoundCents(plan.open + (plan.close - plan.open) * t + bridge * plan.open * 0.002);
        const double previous = m == 0 ? plan.open : path.price[m - 1];
        path.high[m]
            = RoundCents(std::max(previous, path.price[m]) + Uniform(key, n, 400 + m) * plan.open * 0.001);
        path.low[m]
            = RoundCents(std::min(previous, path.price[m]) - Uniform(key, n, 700 + m) * plan.open * 0.001);
        const double shape = 1 + 1.5 * std::pow(std::fabs(m - 120.0) / 120.0, 2);
        double volume = baseVolume * shape * (0.5 + Uniform(key, n, 1000 + m));
        if (m == 0)
            volume = baseVolume * 3;
        path.volume[m] = static_cast<uint32_t>(volume) + 1;
        // Now and then a big order (over 500,000 in money) trades in the minute.
        path.bigOrder[m] = 0;
        if (!index && m > 0 && Random(key, n, 1300 + m) % 8 == 0)
            path.bigOrder[m] = static_cast<uint32_t>(std::ceil(600000 / (100 * path.price[m])));
        path.volume[m] += path.bigOrder[m];
    }
}

WireBar SimMarketSeries::MakeBar(int32_t time, const MinutePath& path, int first, int last) const
{
    double high = path.high[first];
    double low = path.low[first];
    double volume = 0;
    double amount = 0;
    for (int m = first; m <= last; ++m) {
        high = std::max(high, path.high[m]);
        low = std::min(low, path.low[m]);
        volume += path.volume[m];
        amount += path.volume[m] * 100.0 * path.price[m];
    }
    const double open = path.price[first == 0 ? 0 : first - 1];
    WireBar bar;
    bar.time = time;
    bar.open = Thousandths(open);
    bar.high = Thousandths(std::max(high, open));
    bar.low = Thousandths(std::min(low, open));
    bar.close = Thousandths(path.price[last]);
    bar.volume = static_cast<uint32_t>(std::min(volume, 4.0e9));
    // In thousands, as the ticks carry it.
    bar.amount = static_cast<uint32_t>(std::min(amount / 1000, 4.0e9));
    return bar;
}

std::vector<WireBar> SimMarketSeries::DayBars(uint32_t key, int32_t from, int32_t to) const
{
    std::vector<WireBar> bars;
    const int32_t lastDay = TradingDay();
    const int passed = SessionMinutesPassed();
    MinutePath path;
    for (const DayPlan& plan : DayPlans(key, lastDay)) {
        if (plan.day < from || plan.day > to)
            continue;
        // A suspended stock's bar of today carries no trade: every price 0.
        if (key == SimMarketTables::kSuspendedKey && plan.day == lastDay) {
            WireBar none = {};
            none.time = plan.day;
            bars.push_back(none);
            continue;
        }
        BuildPath(key, plan, path);
        bars.push_back(
            MakeBar(plan.day, path, 0, plan.day == lastDay ? passed : kSessionMinutes));
    }
    return bars;
}

std::vector<WireBar> SimMarketSeries::FiveMinuteBars(uint32_t key, int32_t from, int32_t to) const
{
    std::vector<WireBar> bars;
    const int32_t lastDay = TradingDay();
    const int passed = SessionMinutesPassed();
    MinutePath path;
    for (const DayPlan& plan : DayPlans(key, lastDay)) {
        if (plan.day + kDaySeconds <= from || plan.day > to)
            continue;
        BuildPath(key, plan, path);
        const int minutes = plan.day == lastDay ? passed : kSessionMinutes;
        for (int k = 1; 5 * k <= minutes; ++k) {
            const int32_t time = MinuteEnd(plan.day, 5 * k);
            if (time >= from && time <= to)
                bars.push_back(MakeBar(time, path, k == 1 ? 0 : 5 * k - 4, 5 * k));
        }
    }
    return bars;
}

std::vector<WireTick> SimMarketSeries::Ticks(uint32_t key) const
{
    std::vector<WireTick> ticks;
    const int32_t day = TradingDay();
    const std::vector<DayPlan> plans = DayPlans(key, day);
    if (plans.empty())
        return ticks;
    MinutePath path;
    BuildPath(key, plans.back(), path);
    const int64_t n = day / kDaySeconds;
    double volume = 0;
    double amount = 0;
    const int passed = SessionMinutesPassed();
    for (int m = 0; m <= passed; ++m) {
        const int count = m == 0 ? 1 : 1 + static_cast<int>(Random(key, n, 2000 + m) % 4);
        const uint32_t rest = path.volume[m] - path.bigOrder[m];
        const int bigAt = static_cast<int>(Random(key, n, 2300 + m) % count);
        const double start = m == 0 ? path.price[0] : path.price[m - 1];
        for (int j = 0; j < count; ++j) {
            const double price = j == count - 1
                ? path.price[m]
                : RoundCents(start + (path.price[m] - start) * (j + 1) / count);
            uint32_t v = rest / count + (j == count - 1 ? rest % count : 0);
            if (j == bigAt)
                v += path.bigOrder[m];
            volume += v;
            amount += v * 100.0 * price;
            WireTick tick;
            // In a minute of three or more trades the last two share a second, as busy seconds do.
            const int slot = count >= 3 && j == count - 2 ? j + 1 : j;
            tick.time = m == 0 ? MinuteEnd(day, 0) : MinuteEnd(day, m) - 60 + 60 * (slot + 1) / count;
            tick.price = Thousandths(price);
            tick.volume = static_cast<uint32_t>(volume);
            tick.amount = static_cast<uint32_t>(amount / 1000);
            tick.bidPrice = Thousandths(RoundCents(price - 0.01));
            tick.bidVolume = 5000 + static_cast<uint32_t>(Random(key, n, 3000 + m * 8 + j) % 50000);
            tick.askPrice = Thousandths(price + 0.01);
            tick.askVolume = 5000 + static_cast<uint32_t>(Random(key, n, 6000 + m * 8 + j) % 50000);
            ticks.push_back(tick);
        }
    }
    return ticks;
}

WireTickHeader SimMarketSeries::TickHeader(uint32_t key) const
{
    WireTickHeader h = {};
    const int32_t day = TradingDay();
    const std::vector<DayPlan> plans = DayPlans(key, day);
    const std::vector<WireTick> ticks = Ticks(key);
    if (plans.empty() || ticks.empty())
        return h;
    const DayPlan& plan = plans.back();
    const WireTick& last = ticks.back();
    h.time = last.time;
    h.previousClose = Thousandths(plan.previousClose);
    h.open = Thousandths(plan.open);
    h.high = h.low = h.open;
    for (const WireTick& t : ticks) {
        h.high = std::max(h.high, t.price);
        h.low = std::min(h.low, t.price);
    }
    h.last = last.price;
    h.totalVolume = last.volume;
    h.totalAmount = last.amount;
    const int64_t n = day / kDaySeconds;
    for (int i = 0; i < 5; ++i) {
        h.bidPrices[i] = last.price > 10u * (i + 1) ? last.price - 10u * (i + 1) : 10u;
        h.askPrices[i] = last.price + 10u * (i + 1);
        h.bidVolumes[i] = 10 + static_cast<uint32_t>(Random(key, n, 9000 + i) % 2000);
        h.askVolumes[i] = 10 + static_cast<uint32_t>(Random(key, n, 9100 + i) % 2000);
    }
    return h;
}

int32_t SimMarketSeries::F10FirstTime() const
{
    return MakeExchangeTime(2010, 1, 4);
}

int32_t SimMarketSeries::F10UpdateTime() const
{
    return TradingDay();
}

std::string SimMarketSeries::F10Text(uint32_t key) const
{
    char line[512];
    std::snprintf(line, sizeof(line), "证券代码：%06X    更新日期：见各节\r\n\r\n", key & 0xFFFFFF);
    std::string text = line;
    for (int i = 0; i < kF10TitleCount; ++i) {
        if (i == kMissingF10Title)
            continue;
        text += "☆";
        text += kF10DefaultTitles[i];
        text += "☆\r\n";
        std::snprintf(line, sizeof(line),
            "  【%s】本节为模拟数据，代码%06X，第%d节。\r\n"
            "  每股收益%.2f元，每股净资产%.2f元，净利润同比增长%.1f%%。\r\n\r\n",
            kF10DefaultTitles[i], key & 0xFFFFFF, i + 1, Uniform(key, 50, i) * 2, 2 + Uniform(key, 51, i) * 8,
            Uniform(key, 52, i) * 60 - 20);
        text += line;
    }
    return text;
}

std::wstring SimMarketSeries::FormulaXml() const
{
    // Every category but 1 and 13 holds an indicator (the market-breadth
    // kind needs advances and declines per bar, which no reply gives); "draw" 1 puts an indicator
    // over the price bars. Formula texts are attribute values: "<" and
    // quotes are written as entities.
    return L"<tech>"
           L"<id name=\"常用\">"
           L"<formula NO=\"1\" name=\"MA\" showname=\"MA\" des=\"均线\" passwd=\"0\" type=\"6\" draw=\"1\">"
           L"<content val=\"MA1:MA(CLOSE,M1);MA2:MA(CLOSE,M2);MA3:MA(CLOSE,M3);MA4:MA(CLOSE,M4);\"/>"
           L"<args><arg name=\"M1\" min=\"1\" max=\"250\" default=\"5\"/>"
           L"<arg name=\"M2\" min=\"1\" max=\"250\" default=\"10\"/>"
           L"<arg name=\"M3\" min=\"1\" max=\"250\" default=\"20\"/>"
           L"<arg name=\"M4\" min=\"1\" max=\"250\" default=\"60\"/></args>"
           L"</formula>"
           L"<formula NO=\"104\" name=\"VOL\" showname=\"VOL\" des=\"成交量\" passwd=\"0\" type=\"5\" "
           L"draw=\"0\">"
           L"<content val=\"VOLUME:VOL,VOLSTICK;MAVOL1:MA(VOLUME,M1);MAVOL2:MA(VOLUME,M2);\"/>"
           L"<args><arg name=\"M1\" min=\"1\" max=\"100\" default=\"5\"/>"
           L"<arg name=\"M2\" min=\"1\" max=\"100\" default=\"10\"/></args>"
           L"</formula>"
           L"<formula NO=\"100\" name=\"MACD\" showname=\"MACD\" des=\"平滑异同移动平均线\" passwd=\"0\" "
           L"type=\"3\" "
           L"draw=\"0\">"
           L"<content "
           L"val=\"DIF:EMA(CLOSE,SHORT)-EMA(CLOSE,LONG);DEA:EMA(DIF,MID);MACD:(DIF-DEA)*2,COLORSTICK;\"/>"
           L"<args><arg name=\"SHORT\" min=\"2\" max=\"200\" default=\"12\"/>"
           L"<arg name=\"LONG\" min=\"2\" max=\"200\" default=\"26\"/>"
           L"<arg name=\"MID\" min=\"2\" max=\"200\" default=\"9\"/></args>"
           L"<MyAxis><arg val=\"0\"/></MyAxis>"
           L"</formula>"
           L"<formula NO=\"101\" name=\"KDJ\" showname=\"KDJ\" des=\"随机指标\" passwd=\"0\" type=\"2\" "
           L"draw=\"0\">"
           L"<content val=\"RSV:=(CLOSE-LLV(LOW,N))/(HHV(HIGH,N)-LLV(LOW,N))*100;"
           L"K:SMA(RSV,M1,1);D:SMA(K,M2,1);J:3*K-2*D;\"/>"
           L"<args><arg name=\"N\" min=\"1\" max=\"100\" default=\"9\"/>"
           L"<arg name=\"M1\" min=\"2\" max=\"40\" default=\"3\"/>"
           L"<arg name=\"M2\" min=\"2\" max=\"40\" default=\"3\"/></args>"
           L"<MyAxis><arg val=\"20\"/><arg val=\"50\"/><arg val=\"80\"/></MyAxis>"
           L"</formula>"
           L"<formula NO=\"102\" name=\"RSI\" showname=\"RSI\" des=\"相对强弱指标\" passwd=\"0\" type=\"2\" "
           L"draw=\"0\">"
           L"<content val=\"LC:=REF(CLOSE,1);RSI1:SMA(MAX(CLOSE-LC,0),N1,1)/SMA(ABS(CLOSE-LC),N1,1)*100;"
           L"RSI2:SMA(MAX(CLOSE-LC,0),N2,1)/SMA(ABS(CLOSE-LC),N2,1)*100;"
           L"RSI3:SMA(MAX(CLOSE-LC,0),N3,1)/SMA(ABS(CLOSE-LC),N3,1)*100;\"/>"
           L"<args><arg name=\"N1\" min=\"2\" max=\"120\" default=\"6\"/>"
           L"<arg name=\"N2\" min=\"2\" max=\"250\" default=\"12\"/>"
           L"<arg name=\"N3\" min=\"2\" max=\"500\" default=\"24\"/></args>"
           L"<MyAxis><arg val=\"20\"/><arg val=\"50\"/><arg val=\"80\"/></MyAxis>"
           L"</formula>"
           L"<formula NO=\"103\" name=\"BOLL\" showname=\"BOLL\" des=\"布林线\" passwd=\"0\" type=\"8\" "
           L"draw=\"1\">"
           L"<content val=\"BOLL:MA(CLOSE,M);UB:BOLL+2*STD(CLOSE,M);LB:BOLL-2*STD(CLOSE,M);\"/>"
           L"<args><arg name=\"M\" min=\"2\" max=\"120\" default=\"20\"/></args>"
           L"</formula>"
           L"</id>"
           L"<id name=\"超买超卖\">"
           L"<formula NO=\"3\" name=\"CCI\" showname=\"CCI\" des=\"顺势指标\" passwd=\"0\" type=\"2\" "
           L"draw=\"0\">"
           L"<content val=\"TYP:=(HIGH+LOW+CLOSE)/3;CCI:(TYP-MA(TYP,N))/(0.015*AVEDEV(TYP,N));\"/>"
           L"<args><arg name=\"N\" min=\"2\" max=\"100\" default=\"14\"/></args>"
           L"<MyAxis><arg val=\"-100\"/><arg val=\"100\"/></MyAxis>"
           L"</formula>"
           L"<formula NO=\"4\" name=\"WR\" showname=\"W%R\" des=\"威廉指标\" passwd=\"0\" type=\"2\" "
           L"draw=\"0\">"
           L"<content val=\"WR:100*(HHV(HIGH,N)-CLOSE)/(HHV(HIGH,N)-LLV(LOW,N));\"/>"
           L"<args><arg name=\"N\" min=\"2\" max=\"100\" default=\"10\"/></args>"
           L"<MyAxis><arg val=\"20\"/><arg val=\"80\"/></MyAxis>"
           L"</formula>"
           L"</id>"
           L"<id name=\"趋势\">"
           L"<formula NO=\"5\" name=\"DMA\" showname=\"DMA\" des=\"平行线差\" passwd=\"0\" type=\"3\" "
           L"draw=\"0\">"
           L"<content val=\"DIF:MA(CLOSE,N1)-MA(CLOSE,N2);DIFMA:MA(DIF,M);\"/>"
           L"<args><arg name=\"N1\" min=\"2\" max=\"60\" default=\"10\"/>"
           L"<arg name=\"N2\" min=\"2\" max=\"250\" default=\"50\"/>"
           L"<arg name=\"M\" min=\"2\" max=\"100\" default=\"10\"/></args>"
           L"</formula>"
           L"</id>"
           L"<id name=\"能量\">"
           L"<formula NO=\"6\" name=\"BRAR\" showname=\"BRAR\" des=\"情绪指标\" passwd=\"0\" type=\"4\" "
           L"draw=\"0\">"
           L"<content val=\"BR:SUM(MAX(0,HIGH-REF(CLOSE,1)),N)/SUM(MAX(0,REF(CLOSE,1)-LOW),N)*100;"
           L"AR:SUM(HIGH-OPEN,N)/SUM(OPEN-LOW,N)*100;\"/>"
           L"<args><arg name=\"N\" min=\"2\" max=\"120\" default=\"26\"/></args>"
           L"<MyAxis><arg val=\"100\"/></MyAxis>"
           L"</formula>"
           L"</id>"
           L"<id name=\"成交量\">"
           L"<formula NO=\"7\" name=\"OBV\" showname=\"OBV\" des=\"累积能量线\" passwd=\"0\" type=\"5\" "
           L"draw=\"0\">"
           L"<content val=\"VA:=IF(CLOSE&gt;REF(CLOSE,1),VOL,-VOL);OBV:SUM(IF(CLOSE=REF(CLOSE,1),0,VA),0);"
           L"MAOBV:MA(OBV,M);\"/>"
           L"<args><arg name=\"M\" min=\"2\" max=\"100\" default=\"30\"/></args>"
           L"</formula>"
           L"</id>"
           L"<id name=\"均线\">"
           L"<formula NO=\"8\" name=\"EXPMA\" showname=\"EXPMA\" des=\"指数平均线\" passwd=\"0\" type=\"6\" "
           L"draw=\"1\">"
           L"<content val=\"EXP1:EMA(CLOSE,M1);EXP2:EMA(CLOSE,M2);\"/>"
           L"<args><arg name=\"M1\" min=\"1\" max=\"250\" default=\"12\"/>"
           L"<arg name=\"M2\" min=\"1\" max=\"250\" default=\"50\"/></args>"
           L"</formula>"
           L"</id>"
           L"<id name=\"图表\">"
           L"<formula NO=\"9\" name=\"KLINE\" showname=\"K线图\" des=\"以柱线画出的K线\" passwd=\"0\" "
           L"type=\"7\" "
           L"draw=\"0\">"
           L"<content val=\"STICKLINE(CLOSE&gt;=OPEN,HIGH,LOW,0,0),COLORRED;"
           L"STICKLINE(CLOSE&gt;=OPEN,CLOSE,OPEN,3,1),COLORRED;"
           L"STICKLINE(CLOSE&lt;OPEN,HIGH,LOW,0,0),COLORCYAN;"
           L"STICKLINE(CLOSE&lt;OPEN,CLOSE,OPEN,3,0),COLORCYAN;\"/>"
           L"</formula>"
           L"</id>"
           L"<id name=\"路径\">"
           L"<formula NO=\"10\" name=\"ENE\" showname=\"ENE\" des=\"轨道线\" passwd=\"0\" type=\"8\" "
           L"draw=\"1\">"
           L"<content "
           L"val=\"UPPER:(1+M1/100)*MA(CLOSE,N);LOWER:(1-M2/100)*MA(CLOSE,N);ENE:(UPPER+LOWER)/2;\"/>"
           L"<args><arg name=\"N\" min=\"2\" max=\"120\" default=\"10\"/>"
           L"<arg name=\"M1\" min=\"2\" max=\"120\" default=\"11\"/>"
           L"<arg name=\"M2\" min=\"2\" max=\"120\" default=\"9\"/></args>"
           L"</formula>"
           L"</id>"
           L"<id name=\"停损\">"
           L"<formula NO=\"11\" name=\"ATRSTOP\" showname=\"ATR止损\" des=\"真实波幅止损线\" passwd=\"0\" "
           L"type=\"9\" "
           L"draw=\"1\">"
           L"<content val=\"TR:=MAX(MAX(HIGH-LOW,ABS(REF(CLOSE,1)-HIGH)),ABS(REF(CLOSE,1)-LOW));"
           L"ATR:=MA(TR,N);STOP:HHV(HIGH,N)-M*ATR,COLORGREEN;\"/>"
           L"<args><arg name=\"N\" min=\"2\" max=\"100\" default=\"14\"/>"
           L"<arg name=\"M\" min=\"1\" max=\"10\" default=\"2.5\"/></args>"
           L"</formula>"
           L"</id>"
           L"<id name=\"交易\">"
           L"<formula NO=\"12\" name=\"MAJY\" showname=\"均线交易\" des=\"均线交叉买卖点\" passwd=\"0\" "
           L"type=\"10\" "
           L"draw=\"1\">"
           L"<content val=\"MA1:MA(CLOSE,N1);MA2:MA(CLOSE,N2);"
           L"DRAWICON(CROSS(MA1,MA2),LOW,1);DRAWICON(CROSS(MA2,MA1),HIGH,2);\"/>"
           L"<args><arg name=\"N1\" min=\"1\" max=\"100\" default=\"5\"/>"
           L"<arg name=\"N2\" min=\"2\" max=\"250\" default=\"20\"/></args>"
           L"</formula>"
           L"</id>"
           L"<id name=\"特色\">"
           L"<formula NO=\"13\" name=\"SJZ\" showname=\"神奇九转\" des=\"连续九日收高于四日前\" passwd=\"0\" "
           L"type=\"11\" draw=\"1\">"
           L"<content val=\"UP:=CLOSE&gt;REF(CLOSE,4);N1:=BARSLAST(NOT(UP));"
           L"DRAWTEXT(N1=9,HIGH,&quot;9&quot;),COLORRED;\"/>"
           L"</formula>"
           L"<formula NO=\"14\" name=\"LXDX\" showname=\"龙系短线\" des=\"加权价的平滑线\" passwd=\"0\" "
           L"type=\"12\" "
           L"draw=\"0\">"
           L"<content val=\"LX:EMA((HIGH+LOW+CLOSE*2)/4,N),COLORYELLOW;LXMA:MA(LX,M);\"/>"
           L"<args><arg name=\"N\" min=\"2\" max=\"100\" default=\"6\"/>"
           L"<arg name=\"M\" min=\"2\" max=\"100\" default=\"5\"/></args>"
           L"</formula>"
           L"<formula NO=\"15\" name=\"MACH\" showname=\"均线差\" des=\"两条均线之差\" passwd=\"0\" "
           L"type=\"14\" "
           L"draw=\"0\">"
           L"<content val=\"CH:MA(CLOSE,N1)-MA(CLOSE,N2),COLORSTICK;\"/>"
           L"<args><arg name=\"N1\" min=\"1\" max=\"100\" default=\"5\"/>"
           L"<arg name=\"N2\" min=\"2\" max=\"250\" default=\"10\"/></args>"
           L"<MyAxis><arg val=\"0\"/></MyAxis>"
           L"</formula>"
           L"<formula NO=\"16\" name=\"BAND\" showname=\"均线带\" des=\"两条均线之间着色\" passwd=\"0\" "
           L"type=\"15\" "
           L"draw=\"1\">"
           L"<content "
           L"val=\"MA1:=MA(CLOSE,N1);MA2:=MA(CLOSE,N2);DRAWBAND(MA1,RGB(255,0,0),MA2,RGB(0,255,0));\"/>"
           L"<args><arg name=\"N1\" min=\"1\" max=\"100\" default=\"5\"/>"
           L"<arg name=\"N2\" min=\"2\" max=\"250\" default=\"20\"/></args>"
           L"</formula>"
           L"<formula NO=\"17\" name=\"WCKX\" showname=\"五彩K线\" des=\"收于均线上方的K线着黄色\" "
           L"passwd=\"0\" "
           L"type=\"16\" draw=\"1\">"
           L"<content val=\"STICKLINE(CLOSE&gt;MA(CLOSE,N),CLOSE,OPEN,3,0),COLORYELLOW;\"/>"
           L"<args><arg name=\"N\" min=\"2\" max=\"250\" default=\"20\"/></args>"
           L"</formula>"
           L"</id>"
           L"</tech>";
}

std::string SimMarketSeries::FormulaBody() const
{
    const std::wstring xml = FormulaXml();
    std::string body("\xFF\xFE", 2);
    body.append(reinterpret_cast<const char*>(xml.data()), xml.size() * sizeof(wchar_t));
    ApplyFormulaCipher(reinterpret_cast<uint8_t*>(&body[0]), body.size());
    return body;
}

namespace {

SimReply BarsReply(const std::vector<WireBar>& bars)
{
    SimReply reply;
    for (const WireBar& bar : bars)
        AppendPod(reply.body, bar);
    return reply;
}

} // namespace

SimReply SimMarketSeries::DayBarsReply(const SimRequest& request) const
{
    return BarsReply(
        DayBars(request.key, static_cast<int32_t>(request.value), static_cast<int32_t>(request.value2)));
}

SimReply SimMarketSeries::FiveMinuteBarsReply(const SimRequest& request) const
{
    return BarsReply(FiveMinuteBars(
        request.key, static_cast<int32_t>(request.value), static_cast<int32_t>(request.value2)));
}

SimReply SimMarketSeries::TicksReply(const SimRequest& request) const
{
    SimReply reply;
    const int32_t after = static_cast<int32_t>(request.value);
    std::string ticks;
    for (const WireTick& tick : Ticks(request.key)) {
        if (tick.time > after || (tick.time == after && m_ticksFromStartSecond.load()))
            AppendPod(ticks, tick);
    }
    if (ticks.empty())
        return reply;
    AppendPod(reply.body, TickHeader(request.key));
    reply.body += ticks;
    return reply;
}

SimReply SimMarketSeries::F10Reply(const SimRequest& request) const
{
    SimReply reply;
    if (static_cast<int32_t>(request.value) >= F10UpdateTime())
        return reply;
    reply.value = static_cast<uint32_t>(F10FirstTime());
    reply.value2 = static_cast<uint32_t>(F10UpdateTime());
    reply.body = F10Text(request.key);
    return reply;
}

SimReply SimMarketSeries::FormulaReply(const SimRequest& request) const
{
    SimReply reply;
    if (static_cast<int32_t>(request.value) >= kFormulaVersion)
        return reply;
    reply.value = kFormulaHeaderWord1;
    reply.value2 = kFormulaVersion;
    reply.body = FormulaBody();
    return reply;
}

void SimMarketSeries::Install(QuoteSimulator& simulator)
{
    simulator.SetHandler(0x205, [this](const SimRequest& r) { return F10Reply(r); });
    simulator.SetHandler(0x208, [this](const SimRequest& r) { return FormulaReply(r); });
    simulator.SetHandler(0x301, [this](const SimRequest& r) { return DayBarsReply(r); });
    simulator.SetHandler(0x302, [this](const SimRequest& r) { return FiveMinuteBarsReply(r); });
    simulator.SetHandler(0x401, [this](const SimRequest& r) { return TicksReply(r); });
}
