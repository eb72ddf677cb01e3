#include "data/ReportData.h"

#include <cmath>
#include <new>
#include <vector>

#include "base/GlobalDefaults.h"
#include "base/MemoryStream.h"
#include "data/ByteReader.h"
#include "data/ReplyChecks.h"
#include "data/TableFile.h"
#include "data/TableRequests.h"
#include "net/DataProvider.h"

CReportData::CReportData()
{
    SetKind(kSeriesQuotes);
}

CReportData::~CReportData()
{
    if (m_dirty.load())
        Save(nullptr);
}

namespace {

// A key of a market and prices a market has; zero stands for "none yet" (a
// suspended security has no last price, a new listing no previous close).
// Prices out of a day's order (a last above the high: fields of two
// moments) make an odd quote, skipped alone.
RecordVerdict JudgeQuote(const QuoteRecord& q)
{
    if (!IsPlausibleCodeKey(q.key))
        return RecordVerdict::kNotARecord;
    for (float price : { q.last, q.previousClose, q.open, q.high, q.low }) {
        if (!IsPlausiblePrice(price, false))
            return RecordVerdict::kNotARecord;
    }
    if (!std::isfinite(q.volume) || q.volume < 0 || !std::isfinite(q.amount) || q.amount < 0)
        return RecordVerdict::kNotARecord;
    if (q.high > 0 && q.low > 0 && q.high < q.low)
        return RecordVerdict::kOdd;
    for (float price : { q.last, q.open }) {
        if (price > 0 && ((q.high > 0 && price > q.high) || (q.low > 0 && price < q.low)))
            return RecordVerdict::kOdd;
    }
    return RecordVerdict::kTaken;
}

QuoteRecord QuoteFromWire(const WireQuoteRecord& wire)
{
    QuoteRecord record;
    record.reserved = wire.reserved;
    record.key = wire.key;
    record.last = static_cast<float>(wire.last / 1000.0);
    record.volume = static_cast<float>(wire.volume);
    record.amount = static_cast<float>(wire.amount);
    record.previousClose = static_cast<float>(wire.previousClose / 1000.0);
    record.open = static_cast<float>(wire.open / 1000.0);
    record.high = static_cast<float>(wire.high / 1000.0);
    record.low = static_cast<float>(wire.low / 1000.0);
    return record;
}

// Every whole record (a trailing partial one is ignored) that passes its
// check into a new map; false when they are no quote table or there are more
// than a market has.
// oddKeys: the keys of the odd quotes.
template <class Record, class Convert>
bool ReadQuotes(ByteReader& reader, QuoteMap& quotes, size_t& skipped, std::vector<CodeKey>& oddKeys, Convert convert)
{
    if (reader.Remaining() / sizeof(Record) > MarketBounds::kSecurities)
        return false;
    RecordScreen screen;
    try {
        Record raw;
        while (reader.ReadValue(raw)) {
            const QuoteRecord record = convert(raw);
            const RecordVerdict verdict = JudgeQuote(record);
            if (screen.Admit(verdict))
                quotes.emplace(record.key, record); // the first record of a key wins
            else if (verdict == RecordVerdict::kOdd)
                oddKeys.push_back(record.key);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    skipped = screen.Skipped();
    return !screen.Refused();
}

} // namespace

int CReportData::Load(const char* path, uint32_t)
{
    std::string bytes;
    if (!ReadTableFile(path, m_path, bytes, 8 + (MarketBounds::kSecurities + 1) * sizeof(QuoteRecord)))
        return 0;
    ByteReader reader(bytes);
    int32_t word1 = 0, word2 = 0;
    if (!reader.ReadValue(word1) || !reader.ReadValue(word2))
        return 0;
    QuoteMap loaded;
    size_t skipped = 0;
    std::vector<CodeKey> oddKeys;
    if (!ReadQuotes<QuoteRecord>(reader, loaded, skipped, oddKeys, [](const QuoteRecord& r) { return r; }))
        return 0;
    SingleLock lock(&m_tableLock);
    // A key held already keeps its record; the file's fill in the others.
    try {
        QuoteMap merged(m_quotes);
        merged.insert(loaded.begin(), loaded.end());
        m_quotes.swap(merged);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    m_firstTime = word1;
    m_lastTime = word2;
    m_count = static_cast<int32_t>(m_quotes.size());
    m_skipped = skipped;
    return 1;
}

int CReportData::Save(const char* path)
{
    return SaveTableFile(path, m_path, m_dirty, [this](TableFileWriter& out) {
        SingleLock lock(&m_tableLock);
        out.Put(m_firstTime);
        out.Put(m_lastTime);
        for (const auto& item : m_quotes)
            out.Put(item.second);
    });
}

int CReportData::RequestData(int)
{
    if (m_pending.exchange(1))
        return 1;
    CMemoryStream reply;
    if (RequestTableSyncViaProvider(kCmdQuotes, m_lastTime, &reply))
        Merge(0, &reply);
    m_pending.store(0);
    return 0;
}

int CReportData::RequestAsync()
{
    if (m_pending.exchange(1))
        return 1;
    IDataProvider* provider = GetDataProvider();
    if (!provider) {
        m_pending.store(0);
        return 0;
    }
    return provider->RequestAsync(kCmdQuotes, 0, static_cast<uint32_t>(m_lastTime),
        static_cast<uint32_t>(ServerTime::Get() + kAsyncWindow), &CBase::OnDownloadComplete,
        reinterpret_cast<uintptr_t>(this));
}

int CReportData::Merge(uint32_t, CMemoryStream* stream)
{
    if (!stream || !stream->GetBuffer() || stream->GetSize() <= 0)
        return 0;
    ByteReader reader(*stream);
    int32_t word1 = 0, word2 = 0;
    reader.ReadPartial(word1);
    reader.ReadPartial(word2);
    // The new table is built aside and swapped in under the lock, so a reader
    // never meets it half filled. A reply without quotes is no table (the
    // market never has none): it would empty the list and, saved, the file.
    QuoteMap quotes;
    size_t skipped = 0;
    std::vector<CodeKey> oddKeys;
    if (!ReadQuotes<WireQuoteRecord>(reader, quotes, skipped, oddKeys, QuoteFromWire) || quotes.empty())
        return 0;
    {
        SingleLock lock(&m_tableLock);
        // A security whose quote was odd this time stays listed with its last one.
        try {
            for (CodeKey key : oddKeys) {
                auto held = m_quotes.find(key);
                if (held != m_quotes.end())
                    quotes.emplace(key, held->second);
            }
        } catch (const std::bad_alloc&) {
            return 0;
        }
        m_firstTime = word1;
        m_lastTime = word2;
        m_quotes.swap(quotes);
        m_count = static_cast<int32_t>(m_quotes.size());
        m_skipped = skipped;
    }
    m_dirty.store(1);
    m_active.store(1);
    // Request pending stays as it is: the completion callback clears it as its
    // last touch of this table, after the notice. Cleared here, the owner
    // waiting for it could destroy the table while the notice still runs.
    return 1;
}

QuoteMap CReportData::GetQuoteMap() const
{
    SingleLock lock(&m_tableLock);
    return m_quotes;
}

bool CReportData::GetQuote(CodeKey key, QuoteRecord& out) const
{
    SingleLock lock(&m_tableLock);
    auto it = m_quotes.find(key);
    if (it == m_quotes.end())
        return false;
    out = it->second;
    return true;
}

size_t CReportData::GetQuoteCount() const
{
    SingleLock lock(&m_tableLock);
    return m_quotes.size();
}

int CReportData::CountUpDown(CodeKey indexKey, int* rising, int* falling, int* unchanged) const
{
    int up = 0, down = 0, same = 0;
    const uint32_t market = MarketOfKey(indexKey);
    {
        SingleLock lock(&m_tableLock);
        for (const auto& item : m_quotes) {
            const uint32_t lead = (item.first >> 16) & 0xFF;
            bool counted = false;
            if (market == 0)
                counted = lead == 0x60;
            else if (market == 1)
                counted = lead != 0x39; // every market, as the Shenzhen count has always been
            if (!counted)
                continue;
            const QuoteRecord& q = item.second;
            if (q.last > q.previousClose)
                ++up;
            else if (q.last < q.previousClose)
                ++down;
            else
                ++same;
        }
    }
    if (rising)
        *rising = up;
    if (falling)
        *falling = down;
    if (unchanged)
        *unchanged = same;
    return 1;
}
