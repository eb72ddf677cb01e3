#pragma once
// A finance table holding one stock's circulating shares, for the tests that
// read capital through CStockInfo.
#include "base/MemoryStream.h"
#include "data/FinanceData.h"
#include "data/StockInfo.h"
#include "tests/support/RecordingDataProvider.h"

#include <cstring>
#include <string>

// circulating: in units of 10,000 shares, as the finance record holds it.
inline bool FillFinance(CBaseData& table, const char* tag, const char* code, float circulating)
{
    std::string bytes(16, '\0');
    const int32_t one = 1;
    const uint32_t magic = CBaseData::kMagic;
    const int32_t size = CBaseData::kRecordSize;
    std::memcpy(&bytes[0], &one, 4);
    std::memcpy(&bytes[4], &one, 4);
    std::memcpy(&bytes[8], &magic, 4);
    std::memcpy(&bytes[12], &size, 4);
    std::string record(CBaseData::kRecordSize, '\0');
    std::memcpy(&record[0], tag, 2);
    std::memcpy(&record[4], code, std::strlen(code));
    const int32_t reportDate = 1719676800;
    std::memcpy(&record[FinanceRecord::kValidOffset], &reportDate, 4);
    std::memcpy(&record[FinanceRecord::kCirculatingSharesOffset], &circulating, 4);
    CMemoryStream stream;
    FillStream(stream, bytes + record);
    return table.Merge(&stream) == 1;
}
