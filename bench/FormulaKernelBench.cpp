// Formula kernel benchmark: ns per bar of the MA, EMA, HHV, LLV, STD and SUM
// workers at 1k, 10k, 65,535 and 250k bars (median and p90 of 50 timed runs
// after a warm-up, one pinned thread), side by side in the same run with TA-Lib
// C computing the same indicators on the same float input, when the bench was
// built with it (bench/build-formula-bench). It also checks that the converged
// tails agree, allowing for the known differences: the moving average starts
// one bar later here, the exponential average seeds differently, and STD is
// the sample deviation where TA-Lib's is the population one.
//   bench_formula [window]     (default 20)
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench/BenchTiming.h"
#include "formula/FormulaKernels.h"

#ifdef ZT_HAVE_TALIB
extern "C" {
#include "ta_libc.h"
}
#endif

namespace {

const int kRuns = 50;
const int kWarmUpRuns = 5;
const int kSizes[] = { 1000, 10000, 65535, 250000 };

struct Timing
{
    double median = 0.0; // ns per bar
    double p90 = 0.0;
};

// Times `run` over `bars` bars; the sink keeps the results alive.
Timing Measure(int bars, const std::function<double()>& run)
{
    const BenchTiming ms = MeasureMs(run, kRuns, kWarmUpRuns);
    return Timing { ms.median * 1e6 / bars, ms.p90 * 1e6 / bars };
}

std::vector<float> RandomWalk(int bars)
{
    std::vector<float> closes(bars);
    uint32_t state = 20240611u;
    double close = 12.0;
    for (int i = 0; i < bars; ++i) {
        state = state * 1664525u + 1013904223u;
        close = std::max(1.0, close * (1.0 + (state / 4294967296.0 - 0.5) * 0.06));
        closes[i] = static_cast<float>(close);
    }
    return closes;
}

double Checksum(const std::vector<float>& out)
{
    return out.front() + out[out.size() / 2] + out.back();
}

struct Kernel
{
    const char* name;
    std::function<void(const float*, int, int, float*)> ours;
#ifdef ZT_HAVE_TALIB
    std::function<TA_RetCode(const float*, int, int, int*, int*, double*)> theirs;
#endif
    // Where the tails should agree, and the factor theirs is scaled by.
    int tailFrom;
    double scale;
    double tolerance;
};

std::vector<Kernel> Kernels(int n)
{
    const double sampleScale = std::sqrt(static_cast<double>(n) / (n - 1));
#ifdef ZT_HAVE_TALIB
#define THEIRS(call) , [](const float* x, int c, int w, int* b, int* k, double* o) { return call; }
#else
#define THEIRS(call)
#endif
    return {
        { "MA",
            [](const float* x, int c, int w, float* o) { SeriesMA(x, c, w, o); } THEIRS(
                TA_S_SMA(0, c - 1, x, w, b, k, o)),
            n, 1.0, 1e-5 },
        { "EMA",
            [](const float* x, int c, int w, float* o) { SeriesEMA(x, c, w, o); } THEIRS(
                TA_S_EMA(0, c - 1, x, w, b, k, o)),
            10 * n, 1.0, 1e-4 },
        { "HHV",
            [](const float* x, int c, int w, float* o) { SeriesHHV(x, c, w, o); } THEIRS(
                TA_S_MAX(0, c - 1, x, w, b, k, o)),
            n, 1.0, 1e-6 },
        { "LLV",
            [](const float* x, int c, int w, float* o) { SeriesLLV(x, c, w, o); } THEIRS(
                TA_S_MIN(0, c - 1, x, w, b, k, o)),
            n, 1.0, 1e-6 },
        { "STD",
            [](const float* x, int c, int w, float* o) { SeriesSTD(x, c, w, o); } THEIRS(
                TA_S_STDDEV(0, c - 1, x, w, 1.0, b, k, o)),
            n, sampleScale, 1e-4 },
        { "SUM",
            [](const float* x, int c, int w, float* o) { SeriesSUM(x, c, w, o); } THEIRS(
                TA_S_SUM(0, c - 1, x, w, b, k, o)),
            n, 1.0, 1e-5 },
    };
#undef THEIRS
}

} // namespace

int main(int argc, char** argv)
{
    const int window = argc > 1 ? std::max(2, std::atoi(argv[1])) : 20;
    ::SetThreadAffinityMask(::GetCurrentThread(), 1);
    ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
#ifdef ZT_HAVE_TALIB
    TA_Initialize();
    std::printf(
        "formula kernels against TA-Lib C, window %d, ns per bar (median / p90 of %d runs)\n", window, kRuns);
#else
    std::printf("TA-Lib C is not built into this bench (bench/build-formula-bench builds it): "
                "the comparison is skipped, our kernels alone are timed.\n");
    std::printf("formula kernels, window %d, ns per bar (median / p90 of %d runs)\n", window, kRuns);
#endif
    bool allAgree = true;
    for (int bars : kSizes) {
        const std::vector<float> input = RandomWalk(bars);
        std::vector<float> ours(bars);
        for (const Kernel& kernel : Kernels(window)) {
            const Timing mine = Measure(bars, [&] {
                kernel.ours(input.data(), bars, window, ours.data());
                return Checksum(ours);
            });
#ifdef ZT_HAVE_TALIB
            std::vector<double> theirs(bars);
            int begin = 0, produced = 0;
            const Timing other = Measure(bars, [&] {
                kernel.theirs(input.data(), bars, window, &begin, &produced, theirs.data());
                return theirs[0] + theirs[produced / 2];
            });
            // theirs[k] belongs to bar begin + k.
            double worst = 0.0;
            for (int i = std::max(kernel.tailFrom, begin); i < bars && i - begin < produced; ++i) {
                const double expected = theirs[i - begin] * kernel.scale;
                const double difference = std::fabs(ours[i] - expected) / std::max(std::fabs(expected), 1e-3);
                worst = std::max(worst, difference);
            }
            const bool agree = worst <= kernel.tolerance;
            allAgree = allAgree && agree;
            std::printf(
                "%-4s %7d bars  ours %7.2f / %7.2f   TA-Lib %7.2f / %7.2f   ratio %5.2f   tail %s (%.1e)\n",
                kernel.name, bars, mine.median, mine.p90, other.median, other.p90, mine.median / other.median,
                agree ? "agrees" : "DIFFERS", worst);
#else
            std::printf("%-4s %7d bars  ours %7.2f / %7.2f\n", kernel.name, bars, mine.median, mine.p90);
#endif
        }
    }
    std::printf("checksum %.6g\n", static_cast<double>(BenchSink));
    return allAgree ? 0 : 1;
}
