#pragma once
// Per-stock series of the market simulator: years of day bars stamped 00:00
// exchange time, five-minute bars, the ticks of a trading day that grow with
// the simulated clock, F10 text and the enciphered indicator definition
// document. Everything follows from the seed and the stock key; one minute
// path per trading day feeds the day bar, the five-minute bars and the ticks,
// so they agree with each other. A request for which nothing is newer gets
// an empty reply (the protocol's failure reply).
#include <atomic>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "data/Bar.h"
#include "data/TickRecord.h"
#include "tools/marketdata/SimMarketTables.h"
#include "tools/quotesim/QuoteSimulator.h"

class SimMarketSeries
{
public:
    static constexpr int32_t kFormulaHeaderWord1 = 1;
    static constexpr int32_t kFormulaVersion = 20260101;
    // The F10 heading the server's text leaves out.
    static constexpr int kMissingF10Title = 9;

    explicit SimMarketSeries(uint32_t seed = 20260101);

    // The ex-rights events the prices go through, set before the series
    // serves: on an event's day the previous close is the ex-rights reference
    // price of the close before, and the cash dividend and rights price are
    // that close times the event's yield and discount. Replaces earlier ones.
    void SetExRights(const std::vector<SimExRights>& events);
    // A security's events with the prices the series gave them, in time order.
    std::vector<SimExRights> ExRights(uint32_t key) const;

    // Tick requests are answered with the ticks after the start second, or,
    // switched on, with those of the start second too, as some servers do.
    void SetTicksFromStartSecond(bool inclusive) { m_ticksFromStartSecond.store(inclusive); }

    // The simulated clock (UTC seconds); 0 follows the real clock.
    void SetClock(int32_t now) { m_clock.store(now); }
    // A clock that runs with the real one, shifted so that it now stands at
    // the given exchange time of day (minutes after midnight) on the latest
    // weekday: runs and tests then see a session in progress at any hour.
    void RunFromSessionTime(int minuteOfDay);
    int32_t Now() const;

    // The trading day whose ticks are served (00:00 exchange time): today once
    // the session has opened on a weekday, else the weekday before. And the
    // session minutes of it that have passed (0-240).
    int32_t TradingDay() const;
    int SessionMinutesPassed() const;
    // The time at which session minute m (1-240) ends; minute 0 is 9:30:00.
    static int32_t MinuteEnd(int32_t day, int minute);

    // Bars with time in from..to, none after the trading day.
    std::vector<WireBar> DayBars(uint32_t key, int32_t from, int32_t to) const;
    std::vector<WireBar> FiveMinuteBars(uint32_t key, int32_t from, int32_t to) const;
    // The trading day's ticks so far and the snapshot after the last of them.
    std::vector<WireTick> Ticks(uint32_t key) const;
    WireTickHeader TickHeader(uint32_t key) const;
    // GBK text with "☆title☆" headings.
    std::string F10Text(uint32_t key) const;
    int32_t F10FirstTime() const;
    int32_t F10UpdateTime() const;
    // The document as UTF-16 text, and the body the server sends: two bytes,
    // then the UTF-16LE text, enciphered.
    std::wstring FormulaXml() const;
    std::string FormulaBody() const;

    SimReply DayBarsReply(const SimRequest& request) const;
    SimReply FiveMinuteBarsReply(const SimRequest& request) const;
    SimReply TicksReply(const SimRequest& request) const;
    SimReply F10Reply(const SimRequest& request) const;
    SimReply FormulaReply(const SimRequest& request) const;

    // Handlers for 0x205, 0x208, 0x301, 0x302 and 0x401; this object must
    // outlive the simulator's use of them.
    void Install(QuoteSimulator& simulator);

private:
    struct DayPlan
    {
        int32_t day; // 00:00 exchange time
        double previousClose;
        double open;
        double close;
    };
    struct MinutePath
    {
        double price[241]; // price[0] the opening price, price[m] the close of minute m
        double high[241];
        double low[241];
        uint32_t volume[241]; // lots; volume[0] the opening auction
        uint32_t bigOrder[241]; // lots of the minute's one big order, within volume
    };

    uint64_t Random(uint32_t key, int64_t a, int64_t b = 0) const;
    double Uniform(uint32_t key, int64_t a, int64_t b = 0) const;
    double BasePrice(uint32_t key) const;
    static bool IsIndex(uint32_t key);
    // Trading days from the first simulated day up to and including lastDay;
    // the events passed on the way, priced, go to priced.
    std::vector<DayPlan> DayPlans(uint32_t key, int32_t lastDay, std::vector<SimExRights>* priced = nullptr) const;
    void BuildPath(uint32_t key, const DayPlan& plan, MinutePath& path) const;
    // Amount in thousands, every minute's volume priced at its close.
    WireBar MakeBar(int32_t time, const MinutePath& path, int first, int last) const;

    uint32_t m_seed;
    std::atomic<int32_t> m_clock;
    std::atomic<int32_t> m_clockOffset;
    std::atomic<bool> m_ticksFromStartSecond;
    std::map<uint32_t, std::vector<SimExRights>> m_exRights; // by key, in time order
};
