#pragma once
// The latest quote of every security, from "reportprice.dat" and request
// 0x202; refreshed synchronously at start-up and asynchronously afterwards.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>

#include "base/Thread.h"
#include "data/CodeKey.h"
#include "data/SeriesBase.h"

#pragma pack(push, 1)
struct QuoteRecord
{
    int32_t reserved; // carried from the reply, not interpreted
    uint32_t key;
    float last;
    float volume;
    float amount; // in thousands
    float previousClose;
    float open;
    float high;
    float low;
};

// On the wire prices are thousandths; volume and amount are taken as they are.
struct WireQuoteRecord
{
    int32_t reserved;
    uint32_t key;
    uint32_t last;
    uint32_t volume;
    uint32_t amount;
    uint32_t previousClose;
    uint32_t open;
    uint32_t high;
    uint32_t low;
};
#pragma pack(pop)
static_assert(sizeof(QuoteRecord) == 36, "quote records are 36 bytes");
static_assert(sizeof(WireQuoteRecord) == 36, "wire quote records are 36 bytes");

typedef std::map<CodeKey, QuoteRecord> QuoteMap;

// Kind 9, key 0; the two header words live in the first and last time.
class CReportData : public CBase
{
public:
    static const int32_t kAsyncWindow = 259200;

    CReportData();
    // Saves when dirty.
    ~CReportData() override;

    int Load(const char* path, uint32_t key) override;
    int Save(const char* path) override;
    // Synchronous refresh; 1 at once when a refresh is pending, else 0.
    int RequestData(int more) override;
    // Replaces the whole table. A reply without quotes, or that is no quote
    // table (see RecordScreen), changes nothing (0). An odd quote (prices out
    // of a day's order) is skipped alone, and its security keeps the quote
    // held before.
    int Merge(uint32_t key, CMemoryStream* stream) override;
    int IsValid() override { return 1; }

    // Asynchronous refresh ending in OnDownloadComplete; 1 at once when one
    // is pending (nothing is sent).
    int RequestAsync();

    // A copy taken under the table lock: a worker may replace the table at
    // any moment, so nobody reads the live map.
    QuoteMap GetQuoteMap() const;
    bool GetQuote(CodeKey key, QuoteRecord& out) const;
    size_t GetQuoteCount() const;

    // Rising, falling and unchanged quotes of the set an index stands for:
    // Shanghai (market 0) counts codes beginning "60"; Shenzhen (market 1)
    // every code not beginning "39", whatever its market; others count nothing.
    int CountUpDown(CodeKey indexKey, int* rising, int* falling, int* unchanged) const;

    // The two header words, as the whole-market tables name them.
    int32_t GetReplyValue() const { return m_firstTime; }
    int32_t GetNextUpdateStart() const { return m_lastTime; }
    // Quotes the last file or reply taken held but that were skipped.
    size_t GetSkipped() const { return m_skipped.load(); }

private:
    QuoteMap m_quotes;
    std::atomic<size_t> m_skipped { 0 };
    mutable CriticalSection m_tableLock;
};
