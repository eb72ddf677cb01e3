#include "formula/ChipDistribution.h"

#include "data/KData.h"
#include "data/StockInfo.h"

#include <algorithm>
#include <cmath>

namespace {

const double kCapitalFloor = 1000000.0;
const double kSharesPerLot = 100.0;

double SharesOf(const Bar& bar)
{
    const double shares = static_cast<double>(bar.volume) * kSharesPerLot;
    return std::isfinite(shares) && shares > 0 ? shares : 0.0;
}

uint64_t TruncateVolume(double volume)
{
    if (!(volume > 0))
        return 0;
    if (volume >= 1.8e19)
        return UINT64_MAX;
    return static_cast<uint64_t>(volume);
}

}

CCW::CCW(const CKData* bars)
    : m_bars(bars)
    , m_factor(1.5)
{
}

CCW::~CCW()
{
}

bool CCW::GetCapital(const CStockInfo* info, double& capital)
{
    double shares = 0;
    if (!info || !info->GetCirculatingShares(shares) || !(shares >= kCapitalFloor))
        return false;
    capital = shares;
    return true;
}

double CCW::VolumeAtPrice(int first, int last, double price, double step) const
{
    if (!m_bars)
        return 0;
    first = std::max(first, 0);
    last = std::min(last, m_bars->GetCount() - 1);
    double sum = 0;
    for (int i = first; i <= last; ++i) {
        const Bar& bar = *m_bars->GetBar(i);
        const double high = bar.high;
        const double low = bar.low;
        const double range = high - low;
        if (!(range > 0.0001) || !(low < price && price < high))
            continue;
        const double shares = SharesOf(bar);
        const double share = step < range ? shares * step / range : shares;
        sum += share * 4.0 * std::min(high - price, price - low) / range;
    }
    return sum;
}

int CCW::BuildPriceLevels(int first, int last, const CStockInfo* info, double step,
    std::vector<uint32_t>& levels, std::vector<uint64_t>& volumes, double* minimum, double* maximum,
    double* total, double* held) const
{
    if (!m_bars || !(step >= 0.0001))
        return 0;
    float lowest = 0, highest = 0;
    if (!m_bars->GetHighLowInRange(first, last, &lowest, &highest, nullptr, nullptr))
        return 0;
    levels.clear();
    volumes.clear();
    const double low = lowest;
    const double high = highest;
    // A level is a price x 1000 in 32 bits: prices outside that are no prices.
    if (!(low >= 0) || !(high <= 4000000.0))
        return 0;
    // Each level from the window's low, not by adding the step again and again,
    // and never more than kMaxLevels of them.
    if ((high - low) / step > kMaxLevels)
        step = (high - low) / kMaxLevels;
    double sum = 0;
    double smallest = 0, largest = 0;
    for (int k = 0;; ++k) {
        const double price = low + k * step;
        if (!(price < high) || k >= kMaxLevels)
            break;
        const double volume = VolumeAtPrice(first, last, price, step);
        levels.push_back(static_cast<uint32_t>(price * 1000.0));
        volumes.push_back(TruncateVolume(volume));
        sum += volume;
        if (k == 0 || volume < smallest)
            smallest = volume;
        if (k == 0 || volume > largest)
            largest = volume;
    }
    smallest -= std::fabs(smallest) * 0.01;
    largest += std::fabs(largest) * 0.01;
    if (largest - smallest < 3)
        largest = smallest + 3;

    double capital = 0;
    if (!GetCapital(info, capital)) {
        const int first0 = std::max(first, 0);
        const int last0 = std::min(last, m_bars->GetCount() - 1);
        const int bars = last0 - first0 + 1;
        capital = bars > 0 ? sum * 100.0 / bars : 0;
    }
    double share = 1;
    if (capital > 0.0001)
        share = std::min(std::max(sum / (capital * m_factor), 0.0), 1.0);

    if (minimum)
        *minimum = smallest;
    if (maximum)
        *maximum = largest;
    if (total)
        *total = sum;
    if (held)
        *held = share;
    return levels.empty() ? 0 : 1;
}

int CCW::ComputeByDays(int end, int days, const CStockInfo* info, double step, std::vector<uint32_t>& levels,
    std::vector<uint64_t>& volumes, double* minimum, double* maximum, double* total, double* held) const
{
    const int count = m_bars ? m_bars->GetCount() : 0;
    if (count == 0)
        return 0;
    if (end < 0 || end >= count)
        end = count - 1;
    const int first = end - days + 1;
    if (days < 1 || first < 0)
        return 0;
    return BuildPriceLevels(first, end, info, step, levels, volumes, minimum, maximum, total, held);
}

int CCW::FindTurnoverStart(int end, const CStockInfo* info) const
{
    const int count = m_bars ? m_bars->GetCount() : 0;
    if (count == 0 || end < 0)
        return 0;
    end = std::min(end, count - 1);
    double capital = 0;
    const bool known = GetCapital(info, capital);
    const double threshold = known ? capital * m_factor : m_factor * 100.0;
    double sum = 0;
    for (int i = end; i >= 0; --i) {
        sum += known ? SharesOf(*m_bars->GetBar(i)) : 1.0;
        if (sum > threshold)
            return i;
    }
    return 0;
}

int CCW::ComputeByTurnover(int end, int back, const CStockInfo* info, double step,
    std::vector<uint32_t>& levels, std::vector<uint64_t>& volumes, double* minimum, double* maximum,
    double* total, double* held) const
{
    const int count = m_bars ? m_bars->GetCount() : 0;
    if (count == 0)
        return 0;
    if (end < 0 || end >= count)
        end = count - 1;
    const int target = end - back;
    if (back < 0 || target < 0 || target >= count)
        return 0;
    const int start = FindTurnoverStart(target, info);
    double share = 1;
    const int result
        = BuildPriceLevels(start, target, info, step, levels, volumes, minimum, maximum, total, &share);

    // What traded after the target bar has changed hands since.
    double later = 0;
    for (int i = target + 1; i <= target + back && i < count; ++i)
        later += SharesOf(*m_bars->GetBar(i)) * 100.0;
    double capital = 0;
    if (!GetCapital(info, capital))
        capital = back > 0 ? later * 100.0 / back : 0;
    // Nothing traded later (the target is the end bar, or the later bars were
    // idle): everything is still held.
    double turned = 0;
    if (later > 0)
        turned = capital > 0.0001 ? later / (capital * m_factor) / 100.0 : 1.0;
    if (held)
        *held = std::min(std::max(1.0 - turned, 0.0), 1.0);
    return result;
}

int ChipWinnerRatio(
    double* ratio, const std::vector<uint32_t>& levels, const std::vector<uint64_t>& volumes, double price)
{
    const size_t n = std::min(levels.size(), volumes.size());
    double sum = 0, below = 0;
    for (size_t i = 0; i < n; ++i) {
        const double volume = static_cast<double>(volumes[i]);
        sum += volume;
        // Divided, not multiplied by 0.001: a level whose price is exact stays
        // exact in the x87's wider registers, so a price on a level counts.
        if (levels[i] / 1000.0 <= price)
            below += volume;
    }
    if (ratio)
        *ratio = sum > 0.0001 ? below / sum : 0.0;
    return 1;
}

int ChipAverageCost(double* cost, const std::vector<uint32_t>& levels, const std::vector<uint64_t>& volumes)
{
    const size_t n = std::min(levels.size(), volumes.size());
    double sum = 0, weighted = 0;
    for (size_t i = 0; i < n; ++i) {
        const double volume = static_cast<double>(volumes[i]);
        sum += volume;
        weighted += volume * levels[i] * 0.001;
    }
    if (cost)
        *cost = sum > 0.0001 ? weighted / sum : 0.0;
    return 1;
}

int ChipCostBand(double* low, double* high, double* span, const std::vector<uint32_t>& levels,
    const std::vector<uint64_t>& volumes, double share)
{
    if (levels.size() != volumes.size() || !(share >= 0 && share <= 1))
        return 0;
    if (levels.empty())
        return 1;
    double sum = 0;
    for (uint64_t volume : volumes)
        sum += static_cast<double>(volume);
    if (sum <= 0.0001)
        return 1;
    const double cut = sum * (1 - share) / 2;
    const int n = static_cast<int>(levels.size());
    int bottom = -1;
    double rest = cut;
    for (int j = 0; j < n; ++j) {
        rest -= static_cast<double>(volumes[j]);
        if (rest < 0) {
            bottom = j;
            break;
        }
    }
    int top = -1;
    rest = cut;
    for (int h = n - 1; h >= 0; --h) {
        rest -= static_cast<double>(volumes[h]);
        if (rest < 0) {
            top = h;
            break;
        }
    }
    if (bottom < 0 || top < bottom || top >= n)
        return 0;
    const double lowPrice = levels[bottom] * 0.001;
    const double highPrice = levels[top] * 0.001;
    if (low)
        *low = lowPrice;
    if (high)
        *high = highPrice;
    if (span) {
        if (n >= 2) {
            const double range = (static_cast<double>(levels[n - 1]) - levels[0]) * 0.001;
            if (range > 0.0001)
                *span = (highPrice - lowPrice) / range;
        }
        *span = std::min(std::max(*span, 0.0), 1.0);
    }
    return 1;
}
