// Moving-window workers. Sums run in doubles over the window as it slides, and
// extremes come from a monotonic queue of candidates, so a chart of 65,535 bars
// costs one pass whatever the window. A window that holds an invalid element
// gives an invalid sum, mean or deviation: over a derived series (a moving
// average of a moving average, a sum of a reference) partial windows would
// otherwise show numbers that are plainly wrong at the end of the warm-up.
#include "formula/FormulaKernels.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

namespace {

// The window's valid elements, shifted by a pivot near them so that the sum of
// squares keeps its precision, and the number of invalid elements it holds.
struct WindowSums
{
    double pivot = 0.0;
    double sum = 0.0;
    double sumSquares = 0.0;
    int invalid = 0;

    void Add(float value)
    {
        if (IsInvalidValue(value)) {
            ++invalid;
            return;
        }
        const double y = value - pivot;
        sum += y;
        sumSquares += y * y;
    }
    void Remove(float value)
    {
        if (IsInvalidValue(value)) {
            --invalid;
            return;
        }
        const double y = value - pivot;
        sum -= y;
        sumSquares -= y * y;
    }
    // Sums the window first..last afresh around the pivot value.
    void Rebase(const float* x, int first, int last, double newPivot)
    {
        pivot = newPivot;
        sum = 0.0;
        sumSquares = 0.0;
        invalid = 0;
        for (int j = first; j <= last; ++j)
            Add(x[j]);
    }
};

// The index queue of a sliding extreme: each index enters and leaves once.
class IndexQueue
{
public:
    bool Reserve(int count)
    {
        m_items.reset(new (std::nothrow) int[count > 0 ? count : 1]);
        return m_items != nullptr;
    }
    bool Empty() const { return m_head == m_tail; }
    int Front() const { return m_items[m_head]; }
    int Back() const { return m_items[m_tail - 1]; }
    void PopFront() { ++m_head; }
    void PopBack() { --m_tail; }
    void Push(int index) { m_items[m_tail++] = index; }
    void DropBefore(int first)
    {
        while (m_head != m_tail && m_items[m_head] < first)
            ++m_head;
    }

private:
    std::unique_ptr<int[]> m_items;
    int m_head = 0;
    int m_tail = 0;
};

// HHV and LLV: the extreme of x[i] and the window's valid elements. Better(a, b)
// is true when a beats b; an element that does not beat the new one leaves the
// queue.
template <typename Better> bool WindowExtreme(const float* x, int count, int n, float* out, Better better)
{
    n = ClampWindow(n, count);
    if (n <= 1) {
        std::copy(x, x + count, out);
        return true;
    }
    IndexQueue queue;
    if (!queue.Reserve(count))
        return false;
    for (int i = 0; i < count; ++i) {
        queue.DropBefore(i - n + 1);
        const float value = x[i];
        if (!IsInvalidValue(value)) {
            while (!queue.Empty() && !better(x[queue.Back()], value))
                queue.PopBack();
            queue.Push(i);
        }
        float extreme = value;
        if (!queue.Empty() && better(x[queue.Front()], extreme))
            extreme = x[queue.Front()];
        out[i] = extreme;
    }
    return true;
}

// HHVBARS and LLVBARS: bars back to the extreme, invalid elements compared as
// their number. Over the whole history an equal value moves the extreme to the
// newer bar; inside a window the older bar keeps it.
template <typename Better> bool ExtremeAge(const float* x, int count, int n, float* out, Better better)
{
    n = ClampWindow(n, count);
    if (n < 0) {
        FillInvalid(out, count);
        return true;
    }
    if (n == 0) {
        int at = 0;
        for (int i = 0; i < count; ++i) {
            if (!better(x[at], x[i]))
                at = i;
            out[i] = static_cast<float>(i - at);
        }
        return true;
    }
    IndexQueue queue;
    if (!queue.Reserve(count))
        return false;
    for (int i = 0; i < count; ++i) {
        queue.DropBefore(i - n + 1);
        while (!queue.Empty() && better(x[i], x[queue.Back()]))
            queue.PopBack();
        queue.Push(i);
        out[i] = static_cast<float>(i - queue.Front());
    }
    return true;
}

bool Greater(float a, float b)
{
    return a > b;
}

bool Less(float a, float b)
{
    return a < b;
}

// A count read from a series element: false for an invalid one.
bool ElementCount(float value, int count, int* n)
{
    if (IsInvalidValue(value) || value != value)
        return false;
    const double limit = static_cast<double>(count) + 1.0;
    const double clamped = std::max(-limit, std::min(limit, static_cast<double>(value)));
    *n = static_cast<int>(clamped);
    return true;
}

} // namespace

void FillInvalid(float* out, int count)
{
    std::fill(out, out + (count > 0 ? count : 0), kInvalidValue);
}

void SeriesMA(const float* x, int count, int n, float* out)
{
    n = ClampWindow(n, count);
    if (n <= 0) {
        FillInvalid(out, count);
        return;
    }
    // Float elements of prices and volumes sum exactly in a double, so the
    // sliding sum equals the window's own sum.
    double sum = 0.0;
    int invalid = 0;
    const int warm = std::min(n, count);
    for (int i = 0; i < warm; ++i) {
        if (IsInvalidValue(x[i]))
            ++invalid;
        else
            sum += x[i];
        out[i] = kInvalidValue;
    }
    for (int i = n; i < count; ++i) {
        const float entering = x[i];
        const float leaving = x[i - n];
        if (IsInvalidValue(entering))
            ++invalid;
        else
            sum += entering;
        if (IsInvalidValue(leaving))
            --invalid;
        else
            sum -= leaving;
        out[i] = invalid ? kInvalidValue : static_cast<float>(sum / n);
    }
}

void SeriesSUM(const float* x, int count, int n, float* out)
{
    n = ClampWindow(n, count);
    if (n < 0) {
        FillInvalid(out, count);
        return;
    }
    if (n == 0) {
        double sum = 0.0;
        for (int i = 0; i < count; ++i) {
            if (IsInvalidValue(x[i])) {
                out[i] = kInvalidValue;
                continue;
            }
            sum += x[i];
            out[i] = static_cast<float>(sum);
        }
        return;
    }
    double sum = 0.0;
    int invalid = 0;
    const int warm = std::min(n, count);
    for (int i = 0; i < warm; ++i) {
        if (IsInvalidValue(x[i]))
            ++invalid;
        else
            sum += x[i];
        out[i] = kInvalidValue;
    }
    for (int i = n; i < count; ++i) {
        const float entering = x[i];
        const float leaving = x[i - n];
        if (IsInvalidValue(entering))
            ++invalid;
        else
            sum += entering;
        if (IsInvalidValue(leaving))
            --invalid;
        else
            sum -= leaving;
        out[i] = invalid ? kInvalidValue : static_cast<float>(sum);
    }
}

void SeriesSUMByCounts(const float* x, int count, const float* n, int nCount, float* out)
{
    // Each element's window ends where the previous one's did, one further on:
    // sums and invalid counts from element 0 answer any window in one step.
    std::unique_ptr<double[]> prefix(new (std::nothrow) double[static_cast<size_t>(count) + 1]);
    std::unique_ptr<int[]> invalidPrefix(new (std::nothrow) int[static_cast<size_t>(count) + 1]);
    const int shorter = std::min(count, std::max(nCount, 0));
    if (!prefix || !invalidPrefix) {
        // Without room for the prefix sums the windows are summed one by one.
        for (int i = 0; i < count; ++i) {
            int window = 0;
            if (i >= shorter || !ElementCount(n[i], count, &window) || window < 0 || i < window
                || IsInvalidValue(x[i])) {
                out[i] = kInvalidValue;
                continue;
            }
            double sum = 0.0;
            bool valid = true;
            for (int j = i - window + 1; j <= i && valid; ++j) {
                valid = !IsInvalidValue(x[j]);
                sum += x[j];
            }
            out[i] = valid ? static_cast<float>(sum) : kInvalidValue;
        }
        return;
    }
    prefix[0] = 0.0;
    invalidPrefix[0] = 0;
    for (int i = 0; i < count; ++i) {
        const bool invalid = IsInvalidValue(x[i]);
        prefix[i + 1] = prefix[i] + (invalid ? 0.0 : x[i]);
        invalidPrefix[i + 1] = invalidPrefix[i] + (invalid ? 1 : 0);
    }
    for (int i = 0; i < count; ++i) {
        int window = 0;
        if (i >= shorter || !ElementCount(n[i], count, &window) || window < 0 || i < window
            || IsInvalidValue(x[i])) {
            out[i] = kInvalidValue;
            continue;
        }
        const int first = i - window + 1;
        if (invalidPrefix[i + 1] - invalidPrefix[first] != 0)
            out[i] = kInvalidValue;
        else
            out[i] = static_cast<float>(prefix[i + 1] - prefix[first]);
    }
}

void SeriesSTD(const float* x, int count, int n, float* out)
{
    n = ClampWindow(n, count);
    if (n <= 1) {
        FillInvalid(out, count);
        return;
    }
    WindowSums sums;
    const int warm = std::min(n, count);
    for (int i = 0; i < warm; ++i) {
        sums.Add(x[i]);
        out[i] = kInvalidValue;
    }
    // Equal neighbours ending at i: a flat window deviates by exactly 0.
    int flat = 1;
    for (int i = 1; i < warm; ++i)
        flat = x[i] == x[i - 1] ? flat + 1 : 1;
    // The sums are taken afresh around a recent element once per window length,
    // so rounding cannot build up over a long series nor the pivot drift away
    // from the prices.
    int sinceRebase = n;
    for (int i = n; i < count; ++i) {
        flat = x[i] == x[i - 1] ? flat + 1 : 1;
        if (sinceRebase >= n && !IsInvalidValue(x[i])) {
            sums.Rebase(x, i - n + 1, i, x[i]);
            sinceRebase = 0;
        } else {
            sums.Add(x[i]);
            sums.Remove(x[i - n]);
            ++sinceRebase;
        }
        if (sums.invalid) {
            out[i] = kInvalidValue;
            continue;
        }
        // The deviations are taken around the moving average as it is stored.
        const float mean = static_cast<float>((sums.sum + n * sums.pivot) / n);
        if (mean == 0.0f) {
            out[i] = kInvalidValue;
            continue;
        }
        if (flat >= n) {
            out[i] = 0.0f;
            continue;
        }
        const double d = mean - sums.pivot;
        const double squares = sums.sumSquares - 2.0 * d * sums.sum + n * d * d;
        out[i] = static_cast<float>(std::sqrt(std::max(squares, 0.0) / (n - 1)));
    }
}

void SeriesAVEDEV(const float* x, int count, int n, float* out)
{
    n = ClampWindow(n, count);
    if (n <= 1 || count < n) {
        FillInvalid(out, count);
        return;
    }
    int invalid = 0;
    for (int i = 0; i < n; ++i) {
        invalid += IsInvalidValue(x[i]) ? 1 : 0;
        out[i] = kInvalidValue;
    }
    for (int i = n; i < count; ++i) {
        invalid += (IsInvalidValue(x[i]) ? 1 : 0) - (IsInvalidValue(x[i - n]) ? 1 : 0);
        if (invalid) {
            out[i] = kInvalidValue;
            continue;
        }
        const int first = i - n + 1;
        double sum = 0.0;
        for (int j = first; j <= i; ++j)
            sum += x[j];
        const double mean = sum / n;
        double deviation = 0.0;
        for (int j = first; j <= i; ++j)
            deviation += std::fabs(x[j] - mean);
        out[i] = static_cast<float>(deviation / n);
    }
}

bool SeriesHHV(const float* x, int count, int n, float* out)
{
    return WindowExtreme(x, count, n, out, Greater);
}

bool SeriesLLV(const float* x, int count, int n, float* out)
{
    return WindowExtreme(x, count, n, out, Less);
}

bool SeriesHHVBARS(const float* x, int count, int n, float* out)
{
    return ExtremeAge(x, count, n, out, Greater);
}

bool SeriesLLVBARS(const float* x, int count, int n, float* out)
{
    return ExtremeAge(x, count, n, out, Less);
}

void SeriesCOUNT(const float* x, int count, int n, float* out)
{
    n = ClampWindow(n, count);
    if (n <= 0) {
        std::fill(out, out + count, 0.0f);
        return;
    }
    int held = 0;
    for (int i = 0; i < count; ++i) {
        held += x[i] != 0.0f ? 1 : 0;
        if (i >= n)
            held -= x[i - n] != 0.0f ? 1 : 0;
        out[i] = i < n - 1 ? 0.0f : static_cast<float>(held);
    }
}

void SeriesEVERY(const float* x, int count, int n, float* out)
{
    n = ClampWindow(n, count);
    if (n <= 0) {
        std::fill(out, out + count, 1.0f);
        return;
    }
    int zeros = 0;
    for (int i = 0; i < count; ++i) {
        zeros += x[i] == 0.0f ? 1 : 0;
        if (i >= n)
            zeros -= x[i - n] == 0.0f ? 1 : 0;
        out[i] = i < n || zeros ? 0.0f : 1.0f;
    }
}

void SeriesSLOPE(const float* x, int count, int n, float* out)
{
    n = ClampWindow(n, count);
    if (n <= 1) {
        FillInvalid(out, count);
        return;
    }
    for (int i = 0; i < count; ++i) {
        if (i < n || IsInvalidValue(x[i])) {
            out[i] = kInvalidValue;
            continue;
        }
        // Valid elements take x = n-1, n-2, ... walking back; invalid ones none.
        double sx = 0.0, sy = 0.0, sxx = 0.0, sxy = 0.0;
        double position = n - 1;
        for (int j = i; j > i - n; --j) {
            if (IsInvalidValue(x[j]))
                continue;
            sx += position;
            sy += x[j];
            sxx += position * position;
            sxy += position * x[j];
            position -= 1.0;
        }
        const double denominator = sxx - sx * sx / n;
        out[i] = denominator == 0.0 ? kInvalidValue : static_cast<float>((sxy - sx * sy / n) / denominator);
    }
}
