// Runs, signals and counts of bars. Each is one pass, however long its window:
// formulas like BACKSET(X, 250) over a five-minute history must not rescan.
#include "formula/FormulaKernels.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>

void SeriesUPNDAY(const float* x, int count, int n, float* out)
{
    n = std::max(ClampWindow(n, count), 1);
    // Walking back from i the first step that stops the run decides: no history
    // left (bar 0), an invalid pair, or a fall. The latest such step below i
    // is all that is needed.
    enum Stop { kNoHistory, kInvalidPair, kFall };
    int stopAt = 0;
    Stop stop = kNoHistory;
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            if (IsInvalidValue(x[i]) || IsInvalidValue(x[i - 1])) {
                stopAt = i;
                stop = kInvalidPair;
            } else if (x[i] < x[i - 1]) {
                stopAt = i;
                stop = kFall;
            }
        }
        if (stopAt > i - n)
            out[i] = stop == kInvalidPair ? kInvalidValue : 0.0f;
        else
            out[i] = 1.0f;
    }
}

bool SeriesDOWNNDAY(const float* x, int count, int n, float* out)
{
    if (n < 1 || count < 1)
        return false;
    n = ClampWindow(n, count);
    // The lowest of the n elements before i, compared as numbers, from a ring
    // of indexes that never holds more than n + 1.
    size_t size = 16;
    while (size < static_cast<size_t>(n) + 2)
        size <<= 1;
    std::unique_ptr<int[]> ring(new (std::nothrow) int[size]);
    if (!ring)
        return false;
    const unsigned mask = static_cast<unsigned>(size - 1);
    auto queue = [&](unsigned at) -> int& { return ring[at & mask]; };
    unsigned head = 0, tail = 0;
    for (int i = 0; i < count; ++i) {
        if (i >= n) {
            while (head != tail && queue(head) < i - n)
                ++head;
            const float value = x[i];
            if (IsInvalidValue(value))
                out[i] = kInvalidValue;
            else
                out[i] = value < x[queue(head)] ? 1.0f : 0.0f;
        } else {
            out[i] = kInvalidValue;
        }
        while (head != tail && x[queue(tail - 1)] >= x[i])
            --tail;
        queue(tail++) = i;
    }
    return true;
}

void SeriesFILTER(const float* x, int count, int n, float* out)
{
    n = ClampWindow(n, count);
    int i = 0;
    while (i < count) {
        const float value = x[i];
        if (IsInvalidValue(value) || value == 0.0f) {
            out[i] = IsInvalidValue(value) ? kInvalidValue : 0.0f;
            ++i;
            continue;
        }
        out[i++] = 1.0f;
        for (int hidden = 0; hidden < n && i < count; ++hidden)
            out[i++] = 0.0f;
    }
}

void SeriesBARSLAST(const float* x, int count, float* out)
{
    int last = -1;
    for (int i = 0; i < count; ++i) {
        if (x[i] != 0.0f)
            last = i;
        out[i] = static_cast<float>(last < 0 ? i + 1 : i - last);
    }
}

void SeriesBARSCOUNT(int count, float* out)
{
    for (int i = 0; i < count; ++i)
        out[i] = static_cast<float>(i);
}

bool SeriesBACKSET(const float* x, int count, int n, float* out)
{
    n = ClampWindow(n, count);
    if (n <= 0) {
        FillInvalid(out, count);
        return true;
    }
    // A signal at i writes 1 over i-n..i and 0 over i-2n..i-n-1, later signals
    // over earlier ones; every other bar writes 0 only over itself. So element
    // k belongs to the latest signal in k..k+2n, if there is one.
    std::unique_ptr<int[]> latest(new (std::nothrow) int[count > 0 ? count : 1]);
    if (!latest)
        return false;
    int signal = -1;
    for (int i = 0; i < count; ++i) {
        if (i >= n && !IsInvalidValue(x[i]) && x[i] != 0.0f)
            signal = i;
        latest[i] = signal;
    }
    for (int k = 0; k < count; ++k) {
        const int64_t reach
            = std::min<int64_t>(static_cast<int64_t>(k) + 2 * static_cast<int64_t>(n), count - 1);
        const int owner = latest[reach];
        out[k] = owner >= k && k >= owner - n ? 1.0f : 0.0f;
    }
    return true;
}

void SeriesSUMBARS(const float* x, int count, double target, float* out)
{
    // The largest sum of x[k..i] over every k <= i: a sum reaching the target
    // somewhere back from i exists exactly when this one reaches it.
    double best = 0.0;
    for (int i = 0; i < count; ++i) {
        const double value = IsInvalidValue(x[i]) ? 0.0 : x[i];
        best = value + (i > 0 && best > 0.0 ? best : 0.0);
        out[i] = i > 0 && best >= target ? 1.0f : kInvalidValue;
    }
}
