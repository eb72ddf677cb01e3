#pragma once
// Identity and quote of one security: code-table fields, the quote and
// five-level order book from the tick header, and its finance record.
#include <cstdint>
#include <string>

#include "data/FinanceData.h"

class CStockInfo
{
public:
    CStockInfo();
    CStockInfo(const CStockInfo&) = default;
    CStockInfo& operator=(const CStockInfo&) = default;
    virtual ~CStockInfo() { }

    void SetCodeKey(CodeKey key) { m_key = key; }
    void SetCode(const std::string& code) { m_code = code; }
    void SetName(const std::string& name) { m_name = name; }
    void SetMarket(uint16_t marketTag) { m_marketTag = marketTag; }
    void SetIndexFlag(int32_t flag) { m_indexFlag = flag; }

    CodeKey GetCodeKey() const { return m_key; }
    const std::string& GetCode() const { return m_code; }
    const std::string& GetName() const { return m_name; }
    uint16_t GetMarket() const { return m_marketTag; }
    int IsShanghai() const { return m_marketTag == kMarketTagSH; }
    int IsShenzhen() const { return m_marketTag == kMarketTagSZ; }
    int IsIndex() const { return m_indexFlag; }
    int GetPriceDecimals() const { return 2; }

    // ratio = (bid - ask) x 100 / (bid + ask) over the five levels' whole
    // volumes (0 when the total is not above 0.0001); difference = bid - ask.
    // Either output may be null. Returns 1.
    int GetOrderRatio(double* ratio, double* difference) const;
    // 0 when the finance record carries no figures; else shares and 1.
    int GetCirculatingShares(double& shares) const;
    // Copies the key's finance record in, once: later calls do nothing.
    void UpdateFinance(const CBaseData* finance);
    int IsFinancePending() const { return m_financePending; }
    const FinanceRecord& GetFinance() const { return m_finance; }

    int32_t time;
    float previousClose;
    float open;
    float high;
    float low;
    float last;
    float volume;
    float amount;
    float bidPrices[5];
    float bidVolumes[5];
    float askPrices[5];
    float askVolumes[5];

private:
    int32_t m_financePending;
    CodeKey m_key;
    FinanceRecord m_finance;
    std::string m_code;
    std::string m_name;
    uint16_t m_marketTag;
    int32_t m_indexFlag;
};
