#include "data/StockInfo.h"

#include <cstring>

namespace {
// A volume as a whole number; values no 64-bit integer can hold count as 0.
int64_t WholeVolume(float volume)
{
    return (volume > -9.0e18f && volume < 9.0e18f) ? static_cast<int64_t>(volume) : 0;
}
} // namespace

CStockInfo::CStockInfo()
    : time(0)
    , previousClose(0)
    , open(0)
    , high(0)
    , low(0)
    , last(0)
    , volume(0)
    , amount(0)
    , bidPrices()
    , bidVolumes()
    , askPrices()
    , askVolumes()
    , m_financePending(1)
    , m_key(0xFFFFFFFF)
    , m_finance()
    , m_code("1A0001")
    , m_name("上证指数")
    , m_marketTag(kMarketTagSH)
    , m_indexFlag(1)
{
}

int CStockInfo::GetOrderRatio(double* ratio, double* difference) const
{
    // Whole volumes summed in 64 bits: five large levels overflow 32.
    int64_t bid = 0, ask = 0;
    for (int i = 0; i < 5; ++i) {
        bid += WholeVolume(bidVolumes[i]);
        ask += WholeVolume(askVolumes[i]);
    }
    const double total = static_cast<double>(bid + ask);
    if (ratio)
        *ratio = total > 0.0001 ? static_cast<double>(bid - ask) * 100.0 / total : 0.0;
    if (difference)
        *difference = static_cast<double>(bid - ask);
    return 1;
}

int CStockInfo::GetCirculatingShares(double& shares) const
{
    if (m_finance.Valid() <= 0)
        return 0;
    shares = static_cast<double>(m_finance.CirculatingShares()) * 10000.0;
    return 1;
}

void CStockInfo::UpdateFinance(const CBaseData* finance)
{
    if (!finance || !m_financePending)
        return;
    m_financePending = 0;
    if (const FinanceRecord* record = finance->GetRecord(m_key))
        m_finance = *record;
}
