#pragma once
// Figures of the tick panels: fund flow per minute, order sizes, bid/ask strength and big orders.
#include <cstdint>
#include <vector>

class CFenbiData;

#pragma pack(push, 1)
// Running totals of the day in money units.
struct FundFlowRecord
{
    float totalIn;
    float totalOut;
    float totalNet;
    float retailIn; // tick amount below 100,000
    float retailOut;
    float retailNet;
    float largeIn; // 100,000 up to below 500,000
    float largeOut;
    float largeNet;
    float mainIn; // 500,000 and more
    float mainOut;
    float mainNet;
};
#pragma pack(pop)
static_assert(sizeof(FundFlowRecord) == 48, "FundFlowRecord is 48 bytes");

// Each series below ends with the last traded minute.
class FundFlowSeries
{
public:
    explicit FundFlowSeries(const CFenbiData* ticks);
    // 0 without ticks or with fewer than 2, else 1.
    int Compute();
    int GetCount() const { return static_cast<int>(m_records.size()); }
    // False for an index outside the records.
    bool GetAt(int index, FundFlowRecord* out) const;
    void Clear() { m_records.clear(); }

private:
    float m_thresholds[3]; // 1,000,000 (held, unused), 500,000, 100,000
    const CFenbiData* m_ticks;
    std::vector<FundFlowRecord> m_records;
};

struct VolumeAmount
{
    float volume;
    float amount;
};

class OrderSizeStats
{
public:
    enum SizeClass { kExtraLarge = 0, kLarge = 1, kMedium = 2, kSmall = 3 };

    explicit OrderSizeStats(const CFenbiData* ticks);
    // Starts from zero sums every time.
    int Compute();
    float GetBuyVolume() const;
    float GetSellVolume() const;

    VolumeAmount buy[4];
    VolumeAmount sell[4];

private:
    const CFenbiData* m_ticks;
    float m_thresholds[3];
};

struct MinutePair
{
    float first;
    float second;
};

class MinuteBuySellSeries
{
public:
    explicit MinuteBuySellSeries(const CFenbiData* ticks)
        : m_ticks(ticks)
    {
    }
    void SetSource(const CFenbiData* ticks) { m_ticks = ticks; }
    // Per minute: the greatest bid-side and ask-side totals.
    int ComputeBidAskStrength();
    // Per minute: big-order volume bought and sold.
    int ComputeBigOrders();
    int GetCount() const { return static_cast<int>(m_pairs.size()); }
    // (0, 0) outside the pairs.
    MinutePair GetAt(int index) const;
    void Clear() { m_pairs.clear(); }

private:
    const CFenbiData* m_ticks;
    std::vector<MinutePair> m_pairs;
};
