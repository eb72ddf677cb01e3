#pragma once

// The timing loop every benchmark shares: warm-up runs, then timed runs of one
// callable, reduced to the median and the 90th percentile. The callable
// returns a checksum that is folded into BenchSink so the optimiser keeps the
// work it times.
#include <windows.h>

#include <algorithm>
#include <functional>
#include <vector>

inline volatile double BenchSink = 0.0;

struct BenchTiming
{
    double median = 0.0; // ms per run
    double p90 = 0.0;
};

inline BenchTiming MeasureMs(const std::function<double()>& run, int runs = 50, int warmUpRuns = 5)
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    for (int i = 0; i < warmUpRuns; ++i)
        BenchSink = BenchSink + run();
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        LARGE_INTEGER start, end;
        ::QueryPerformanceCounter(&start);
        const double checksum = run();
        ::QueryPerformanceCounter(&end);
        BenchSink = BenchSink + checksum;
        ms.push_back(static_cast<double>(end.QuadPart - start.QuadPart) * 1e3 / frequency.QuadPart);
    }
    std::sort(ms.begin(), ms.end());
    return BenchTiming { ms[runs / 2], ms[runs * 9 / 10] };
}
