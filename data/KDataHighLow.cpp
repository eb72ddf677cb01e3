// High and low queries over a range of bars.
#include "data/KData.h"

#include <algorithm>

namespace {

// Every output that was asked for is written, also for an empty range.
void WriteHighLow(
    float lo, float hi, int loAt, int hiAt, float* low, float* high, int* lowIndex, int* highIndex)
{
    if (low)
        *low = lo;
    if (high)
        *high = hi;
    if (lowIndex)
        *lowIndex = loAt;
    if (highIndex)
        *highIndex = hiAt;
}

} // namespace

int CKData::GetHighLowInRange(
    int first, int last, float* low, float* high, int* lowIndex, int* highIndex) const
{
    const int from = std::max(first, 0);
    const int to = std::min(last, GetCount() - 1);
    float lo = -1;
    float hi = 1;
    int loAt = 0;
    int hiAt = 0;
    int found = 0;
    for (int i = from; i <= to; ++i) {
        const Bar& bar = m_bars[i];
        if (!found || bar.low < lo) {
            lo = bar.low;
            loAt = i;
        }
        if (!found || bar.high > hi) {
            hi = bar.high;
            hiAt = i;
        }
        found = 1;
    }
    WriteHighLow(lo, hi, loAt, hiAt, low, high, lowIndex, highIndex);
    return found;
}

int CKData::GetHighLowRange(int first, int last, float* low, float* high, int* lowIndex, int* highIndex) const
{
    const int count = GetCount();
    float lo = -1;
    float hi = 0;
    int loAt = 0;
    int hiAt = 0;
    int found = 0;
    // Indices from the exact range, ties to the later bar.
    float exactLow = 0;
    float exactHigh = 0;
    bool any = false;
    for (int i = std::max(first, 0); i <= std::min(last, count - 1); ++i) {
        const Bar& bar = m_bars[i];
        if (!any || bar.low <= exactLow) {
            exactLow = bar.low;
            loAt = i;
        }
        if (!any || bar.high >= exactHigh) {
            exactHigh = bar.high;
            hiAt = i;
        }
        any = true;
    }
    // Values from the widened range.
    const long long wideFrom = std::max<long long>(static_cast<long long>(first) - 10, 0);
    const long long wideTo = std::min<long long>(static_cast<long long>(last) + 5, count - 1);
    for (long long i = wideFrom; i <= wideTo; ++i) {
        const Bar& bar = m_bars[static_cast<size_t>(i)];
        if (!found || bar.low < lo)
            lo = bar.low;
        if (!found || bar.high > hi)
            hi = bar.high;
        found = 1;
    }
    WriteHighLow(lo, hi, loAt, hiAt, low, high, lowIndex, highIndex);
    return found;
}
