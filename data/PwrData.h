#pragma once
// Ex-rights events (bonus shares, rights issues, cash dividends) of every
// security, from "pwr.dat" and request 0x204.
#include <windows.h>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "data/CodeKey.h"
#include "data/TableHeader.h"

class CMemoryStream;

#pragma pack(push, 1)
struct ExRightsRecord
{
    int32_t time;
    float bonusShares; // per share
    float rightsShares; // per share
    float rightsPrice;
    float cashDividend; // per share
};
#pragma pack(pop)
static_assert(sizeof(ExRightsRecord) == 20, "ex-rights records are 20 bytes");

typedef std::vector<ExRightsRecord> ExRightsList;

// Stable sort by time, then one record per calendar day in exchange time,
// the first of each day kept.
void SortUniqueByDay(ExRightsList& records);

class CPwrData : public CMarketTable
{
public:
    CPwrData();
    // Saves when dirty.
    virtual ~CPwrData();

    // 0 when the file cannot be read, its header is short, or a count does
    // not fit the bytes present or exceeds what a market has (then nothing
    // is taken).
    int Load(const char* path);
    // Appends the records of a delivered 0x204 stream to their stocks; a
    // truncated stream keeps what came before the break. A stream shorter
    // than the two header words, without a single event, with a marker of no
    // market, an impossible event or more events than a market has gives 0
    // and changes nothing, header words included.
    int Merge(CMemoryStream* stream);
    // Synchronous 0x204 on the request manager; E_FAIL when the table is
    // empty afterwards.
    HRESULT Update();
    int Save(const char* path);

    // The stock's events sorted by time, or null when it has none.
    const ExRightsList* GetRecords(CodeKey key) const;
    size_t GetStockCount() const { return m_records.size(); }

private:
    std::map<CodeKey, ExRightsList> m_records;
    int32_t m_stockCount;
};
