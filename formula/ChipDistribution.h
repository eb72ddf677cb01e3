#pragma once
// The chip (holding cost) distribution of a stock: how many shares were last
// bought at each price level, estimated by spreading every bar's volume over
// its price range, and three readings of it (profit ratio, average cost, the
// band that holds a share of the chips).
//
// Levels are prices x 1000 and volumes shares, both truncated toward zero;
// volumes are 64-bit, since an index trades some 10^10 shares a day.
#include <cstdint>
#include <vector>

class CKData;
class CStockInfo;

class CCW
{
public:
    // Levels beyond this many widen the step instead of growing the vectors.
    static const int kMaxLevels = 10000;

    // bars is not owned and must outlive the calculation.
    explicit CCW(const CKData* bars);
    virtual ~CCW();

    void SetTurnoverFactor(double factor) { m_factor = factor; }
    double GetTurnoverFactor() const { return m_factor; }

    // The distribution of the days bars ending at end (the last bar when end
    // lies outside). 1, or 0 when the window leaves the series or has no price
    // range. info may be null (capital unknown); the out pointers may be null.
    int ComputeByDays(int end, int days, const CStockInfo* info, double step, std::vector<uint32_t>& levels,
        std::vector<uint64_t>& volumes, double* minimum, double* maximum, double* total, double* held) const;
    // The distribution of the turnover window ending back bars before end,
    // with the share still held at end.
    int ComputeByTurnover(int end, int back, const CStockInfo* info, double step,
        std::vector<uint32_t>& levels, std::vector<uint64_t>& volumes, double* minimum, double* maximum,
        double* total, double* held) const;

    // The chips the bars first..last leave at price, for levels step apart.
    double VolumeAtPrice(int first, int last, double price, double step) const;
    int BuildPriceLevels(int first, int last, const CStockInfo* info, double step,
        std::vector<uint32_t>& levels, std::vector<uint64_t>& volumes, double* minimum, double* maximum,
        double* total, double* held) const;
    // The first bar of the window, ending at end, whose volume turns the
    // circulating shares over factor times (factor x 100 bars when they are
    // unknown); an end beyond the series is its last bar.
    int FindTurnoverStart(int end, const CStockInfo* info) const;

    // The circulating shares; false when unknown (no figures, or below 1,000,000).
    static bool GetCapital(const CStockInfo* info, double& capital);

private:
    const CKData* m_bars;
    double m_factor;
};

// The share (0..1) of the chips at or below price; 0 without chips. 1.
int ChipWinnerRatio(
    double* ratio, const std::vector<uint32_t>& levels, const std::vector<uint64_t>& volumes, double price);
// The volume-weighted mean price of the levels; 0 without chips. 1.
int ChipAverageCost(double* cost, const std::vector<uint32_t>& levels, const std::vector<uint64_t>& volumes);
// The price band holding the share (0..1) of the chips, and its width
// relative to the whole level range, clamped to 0..1 (span is clamped as it
// stands when there is no range to compare with). 0 for vectors of different
// lengths, a share outside 0..1 or ends that cross; 1 with the outputs
// untouched when there are no chips.
int ChipCostBand(double* low, double* high, double* span, const std::vector<uint32_t>& levels,
    const std::vector<uint64_t>& volumes, double share);
