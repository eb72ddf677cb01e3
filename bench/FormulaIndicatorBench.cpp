// Whole indicator formulas as a chart recalculates them: MACD, RSI, BOLL and
// KDJ compiled from their definitions and run by a formula calculator with the
// data marked dirty before every run (binding, interpreter, VARIANTs and the
// buffer pool included), at 4,000 and 65,535 bars, side by side in the same
// run with TA-Lib C computing the same indicators from the same floats when
// the bench was built with it (bench/build-formula-bench). A baseline formula
// that only reads CLOSE shows the fixed cost of a run (binding the six price
// arrays and running one statement). Then one paint of a 1920 x 1080 pane
// holding the four indicators. Then the growth in what a server controls: a
// formula of 1,000 to 20,000 statements, and a definition document whose one
// element carries 1,000 to 100,000 attributes; the time per statement and
// per attribute must stay flat.
//   bench_indicators
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/DcGuards.h"
#include "base/GdiObjectCache.h"
#include "bench/BenchTiming.h"
#include "data/Stock.h"
#include "formula/FormulaCalculator.h"
#include "formula/FormulaDefinition.h"
#include "formula/FormulaLibrary.h"
#include "formula/FormulaManager.h"
#include "formula/IndicatorPainter.h"

#ifdef ZT_HAVE_TALIB
extern "C" {
#include "ta_libc.h"
}
#endif

namespace {

const int kRuns = 50;
const int kWarmUpRuns = 5;
const int kSizes[] = { 4000, 65535 };

using Timing = BenchTiming;

Timing Measure(const std::function<double()>& run, int runs = kRuns)
{
    return MeasureMs(run, runs, kWarmUpRuns);
}

// The simulator's random walk of open, high, low, close and volume.
struct Walk
{
    std::vector<float> open, high, low, close, volume;
};

Walk RandomWalk(int bars)
{
    Walk walk;
    uint32_t state = 20240611u;
    const auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state / 4294967296.0;
    };
    double close = 12.0;
    for (int i = 0; i < bars; ++i) {
        const double open = close;
        close = std::max(1.0, open * (1.0 + (next() - 0.5) * 0.06));
        walk.open.push_back(static_cast<float>(open));
        walk.close.push_back(static_cast<float>(close));
        walk.high.push_back(static_cast<float>(std::max(open, close) * (1.0 + next() * 0.015)));
        walk.low.push_back(static_cast<float>(std::min(open, close) * (1.0 - next() * 0.015)));
        walk.volume.push_back(static_cast<float>(std::floor(500 + next() * 5000)));
    }
    return walk;
}

// The walk as the day bars of stock, one every secondsPerBar.
void AppendWalk(CStock& stock, const Walk& walk, int secondsPerBar)
{
    for (size_t i = 0; i < walk.close.size(); ++i) {
        Bar bar = {};
        bar.time = static_cast<int32_t>(1577836800 + static_cast<int64_t>(i) * secondsPerBar);
        bar.open = walk.open[i];
        bar.high = walk.high[i];
        bar.low = walk.low[i];
        bar.close = walk.close[i];
        bar.volume = walk.volume[i];
        bar.amount = walk.volume[i] * walk.close[i];
        stock.GetDayData().AppendBar(bar);
    }
}

struct Indicator
{
    const char* name;
    const wchar_t* content;
    std::vector<std::pair<std::wstring, std::wstring>> args;
};

// The simulator's definitions at their default parameters.
const Indicator kIndicators[] = {
    { "MACD", L"DIF:EMA(CLOSE,SHORT)-EMA(CLOSE,LONG);DEA:EMA(DIF,MID);MACD:(DIF-DEA)*2,COLORSTICK;",
        { { L"SHORT", L"12" }, { L"LONG", L"26" }, { L"MID", L"9" } } },
    { "RSI", L"LC:=REF(CLOSE,1);RSI1:SMA(MAX(CLOSE-LC,0),N1,1)/SMA(ABS(CLOSE-LC),N1,1)*100;",
        { { L"N1", L"6" } } },
    { "BOLL", L"BOLL:MA(CLOSE,M);UB:BOLL+2*STD(CLOSE,M);LB:BOLL-2*STD(CLOSE,M);", { { L"M", L"20" } } },
    { "KDJ", L"RSV:=(CLOSE-LLV(LOW,N))/(HHV(HIGH,N)-LLV(LOW,N))*100;K:SMA(RSV,M1,1);D:SMA(K,M2,1);J:3*K-2*D;",
        { { L"N", L"9" }, { L"M1", L"3" }, { L"M2", L"3" } } },
};

FormulaDefinition Definition(int number, const Indicator& indicator)
{
    FormulaDefinition definition;
    definition.NO = number;
    definition.name = definition.showname
        = std::wstring(indicator.name, indicator.name + strlen(indicator.name));
    definition.content = indicator.content;
    for (const auto& arg : indicator.args)
        definition.args.push_back(FormulaArg { arg.first, L"1", L"100", arg.second });
    return definition;
}

#ifdef ZT_HAVE_TALIB
// The same indicator by TA-Lib C; returns a checksum.
double TheirIndicator(const char* name, const Walk& walk, int bars, std::vector<double>* out)
{
    int begin = 0, produced = 0;
    const int last = bars - 1;
    if (std::string(name) == "MACD") {
        TA_S_MACD(0, last, walk.close.data(), 12, 26, 9, &begin, &produced, out[0].data(), out[1].data(),
            out[2].data());
    } else if (std::string(name) == "RSI") {
        TA_S_RSI(0, last, walk.close.data(), 6, &begin, &produced, out[0].data());
    } else if (std::string(name) == "BOLL") {
        TA_S_BBANDS(0, last, walk.close.data(), 20, 2.0, 2.0, TA_MAType_SMA, &begin, &produced, out[0].data(),
            out[1].data(), out[2].data());
    } else {
        // SMA(X,3,1) is an exponential smoothing with weight 1/3: TA-Lib's EMA of period 5.
        TA_S_STOCH(0, last, walk.high.data(), walk.low.data(), walk.close.data(), 9, 5, TA_MAType_EMA, 5,
            TA_MAType_EMA, &begin, &produced, out[0].data(), out[1].data());
    }
    return produced > 0 ? out[0][produced - 1] : 0.0;
}
#endif

// Statements that each keep their variable and their drawn value, so that
// everything the run recorded stays referenced to its end.
std::wstring ChainFormula(int statements)
{
    std::wstring text = L"X0:C+1;";
    for (int i = 1; i < statements; ++i)
        text += L"X" + std::to_wstring(i) + L":X" + std::to_wstring(i - 1) + L"+1;";
    return text;
}

// A definition document, as the formula data holds it, whose one formula
// element carries this many attributes.
std::string WideElementBody(int attributes)
{
    std::wstring text = L"<tech><id><formula NO=\"1\" name=\"WIDE\"";
    for (int i = 2; i < attributes; ++i)
        text += L" a" + std::to_wstring(i) + L"=\"1\"";
    text += L"><content val=\"X:C;\"/></formula></id></tech>";
    std::string body("\xFF\xFE", 2);
    body.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    return body;
}

void MeasureGrowth(FormulaManager* manager, IndicatorPainter& painter)
{
    const int bars = 100;
    const Walk walk = RandomWalk(bars);
    CStock stock(0x600002);
    AppendWalk(stock, walk, 86400);
    std::printf("growth (flat time per item is linear):\n");
    int number = 200;
    for (int statements : { 1000, 5000, 20000 }) {
        FormulaDefinition definition;
        definition.NO = ++number;
        definition.name = definition.showname = L"CHAIN";
        definition.content = ChainFormula(statements);
        std::unique_ptr<FormulaCalculator> calculator = manager->CreateCalculator(&painter);
        calculator->SetFormula(&definition);
        calculator->SetData(&stock, kPeriodDay, 0, bars - 1);
        const Timing run = Measure(
            [&] {
                calculator->Invalidate();
                calculator->Calculate();
                return static_cast<double>(calculator->GetMax());
            },
            5);
        std::printf("formula of %6d statements (%d bars): %9.3f ms, %7.3f us per statement\n", statements,
            bars, run.median, run.median * 1000.0 / statements);
    }
    for (int attributes : { 1000, 20000, 100000 }) {
        const std::string body = WideElementBody(attributes);
        int loaded = 0;
        const Timing load = Measure(
            [&] {
                FormulaLibrary library;
                loaded = library.LoadFromBody(
                    reinterpret_cast<const uint8_t*>(body.data()), static_cast<int32_t>(body.size()));
                return static_cast<double>(loaded);
            },
            5);
        std::printf("document, one element of %6d attributes: %9.3f ms, %7.3f us per attribute (%s)\n",
            attributes, load.median, load.median * 1000.0 / attributes, loaded ? "read" : "refused");
    }
}

} // namespace

int main()
{
    ::SetThreadAffinityMask(::GetCurrentThread(), 1);
    ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
    FormulaManager* manager = FormulaManager::Instance();
    if (!manager) {
        std::printf("the formula manager cannot be built\n");
        return 1;
    }
#ifdef ZT_HAVE_TALIB
    TA_Initialize();
    std::printf(
        "whole formulas, data dirty on every run, against TA-Lib C; ms per run (median / p90 of %d)\n",
        kRuns);
#else
    std::printf("TA-Lib C is not built into this bench (bench/build-formula-bench builds it): "
                "the comparison is skipped, our formulas alone are timed.\n");
    std::printf("whole formulas, data dirty on every run; ms per run (median / p90 of %d)\n", kRuns);
#endif
    IndicatorPainter painter;
    for (int bars : kSizes) {
        const Walk walk = RandomWalk(bars);
        CStock stock(0x600000);
        AppendWalk(stock, walk, 300);
        const auto runFormula = [&](const FormulaDefinition& definition) {
            std::unique_ptr<FormulaCalculator> calculator = manager->CreateCalculator(&painter);
            calculator->SetFormula(&definition);
            calculator->SetData(&stock, kPeriodDay, 0, bars - 1);
            return Measure([&] {
                calculator->Invalidate();
                calculator->Calculate();
                return static_cast<double>(calculator->GetMax());
            });
        };
        const Indicator baseline = { "BASE", L"X:CLOSE;", {} };
        const Timing fixed = runFormula(Definition(1, baseline));
        std::printf("%-5s %6d bars  ours %8.3f / %8.3f ms  (binding six price arrays and one statement)\n",
            "base", bars, fixed.median, fixed.p90);
        int number = 10;
        for (const Indicator& indicator : kIndicators) {
            const Timing ours = runFormula(Definition(++number, indicator));
#ifdef ZT_HAVE_TALIB
            std::vector<double> out[3]
                = { std::vector<double>(bars), std::vector<double>(bars), std::vector<double>(bars) };
            const Timing theirs = Measure([&] { return TheirIndicator(indicator.name, walk, bars, out); });
            std::printf("%-5s %6d bars  ours %8.3f / %8.3f ms   TA-Lib %8.3f / %8.3f ms   ratio %6.2f"
                        "   ours without the fixed cost: ratio %6.2f\n",
                indicator.name, bars, ours.median, ours.p90, theirs.median, theirs.p90,
                ours.median / theirs.median, (ours.median - fixed.median) / theirs.median);
#else
            std::printf(
                "%-5s %6d bars  ours %8.3f / %8.3f ms\n", indicator.name, bars, ours.median, ours.p90);
#endif
        }
    }

    // One paint of a full-screen pane set: the four indicators stacked in
    // 1920 x 1080, 480 bars of 4 px each, already calculated.
    {
        const int bars = 4000;
        const Walk walk = RandomWalk(bars);
        CStock stock(0x600001);
        AppendWalk(stock, walk, 86400);
        CBitmapDC screen; // a 32-bit picture the size of a screen
        screen.MakeDib32(nullptr, 1920, 1080);
        IndicatorPainter panePainter;
        panePainter.SetBarWidth(4);
        std::vector<std::unique_ptr<FormulaCalculator>> calculators;
        std::vector<FormulaDefinition> definitions;
        int number = 100;
        for (const Indicator& indicator : kIndicators)
            definitions.push_back(Definition(++number, indicator));
        for (const FormulaDefinition& definition : definitions) {
            calculators.push_back(manager->CreateCalculator(&panePainter));
            calculators.back()->SetFormula(&definition);
            calculators.back()->SetData(&stock, kPeriodDay, bars - 480, bars - 1);
            calculators.back()->Calculate();
        }
        const Timing paint = Measure([&] {
            ::PatBlt(screen, 0, 0, 1920, 1080, BLACKNESS);
            for (size_t k = 0; k < calculators.size(); ++k) {
                const RECT pane = { 60, static_cast<LONG>(k * 270), 1920, static_cast<LONG>((k + 1) * 270) };
                calculators[k]->Draw(screen, pane, 479, 60, 0, 0, false);
            }
            ::GdiFlush();
            return 1.0;
        });
        std::printf(
            "paint of four indicators in 1920 x 1080 (480 bars): %.3f / %.3f ms\n", paint.median, paint.p90);
    }
    MeasureGrowth(manager, painter);
    std::printf("checksum %.6g\n", static_cast<double>(BenchSink));
    GdiObjectCache::ReleaseInstance();
    FormulaManager::Release();
    return 0;
}
