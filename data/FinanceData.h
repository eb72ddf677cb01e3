#pragma once
// Finance figures of every security, from "finance.fin" and request 0x203.
#include <windows.h>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>

#include "data/CodeKey.h"
#include "data/TableHeader.h"

class CMemoryStream;

// 166 bytes, stored and copied whole; the figures this layer reads are at
// fixed offsets (unaligned, so read through memcpy).
struct FinanceRecord
{
    static const size_t kCodeOffset = 4;
    static const size_t kCodeLength = 10; // bytes 4-13
    static const size_t kValidOffset = 14;
    static const size_t kCirculatingSharesOffset = 42;

    uint8_t bytes[166];

    uint16_t MarketTag() const { return Read<uint16_t>(0); }
    CodeKey Key() const;
    // Greater than 0 when the record carries figures.
    int32_t Valid() const { return Read<int32_t>(kValidOffset); }
    // In units of 10,000 shares.
    float CirculatingShares() const { return Read<float>(kCirculatingSharesOffset); }

    template <class T> T Read(size_t offset) const
    {
        T value;
        std::memcpy(&value, bytes + offset, sizeof(T));
        return value;
    }
    template <class T> void Write(size_t offset, T value) { std::memcpy(bytes + offset, &value, sizeof(T)); }
};
static_assert(sizeof(FinanceRecord) == 166, "finance records are 166 bytes");

class CBaseData : public CMarketTable
{
public:
    static const uint32_t kMagic = 0x223FD90C;
    static const int32_t kRecordSize = 166;

    CBaseData();
    // Saves when dirty.
    virtual ~CBaseData();

    // 0 when the file cannot be read, its header is short or its magic or
    // record size is wrong; else adds its records (the first of a key wins).
    int Load(const char* path);
    // Replaces the table with a delivered 0x203 stream; a wrong magic or
    // record size, no record at all, records that are no finance table or
    // more records than a market has give 0 and change nothing. A record of
    // a market not shown is skipped alone.
    int Merge(CMemoryStream* stream);
    // Synchronous 0x203 on the request manager; E_FAIL when the table is
    // empty afterwards.
    HRESULT Update();
    int Save(const char* path);

    const FinanceRecord* GetRecord(CodeKey key) const;
    size_t GetCount() const { return m_records.size(); }

private:
    std::map<CodeKey, FinanceRecord> m_records;
    uint32_t m_magic;
    int32_t m_recordSize;
};
