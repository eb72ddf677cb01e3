#include "data/PwrData.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <new>
#include <set>

#include "base/MemoryStream.h"
#include "data/ByteReader.h"
#include "data/ReplyChecks.h"
#include "data/MarketTime.h"
#include "data/TableFile.h"
#include "data/TableRequests.h"

namespace {

const int32_t kStockMarker = -1;
const size_t kMarkerTagOffset = 4;
const size_t kMarkerCodeOffset = 6;

} // namespace

void SortUniqueByDay(ExRightsList& records)
{
    std::stable_sort(records.begin(), records.end(),
        [](const ExRightsRecord& a, const ExRightsRecord& b) { return a.time < b.time; });
    records.erase(
        std::unique(records.begin(), records.end(),
            [](const ExRightsRecord& a, const ExRightsRecord& b) { return SameTradingDay(a.time, b.time); }),
        records.end());
}

CPwrData::CPwrData()
    : m_stockCount(0)
{
}

CPwrData::~CPwrData()
{
    if (m_dirty)
        Save(nullptr);
}

int CPwrData::Load(const char* path)
{
    std::string bytes;
    const size_t kMaxFile = 12 + MarketBounds::kSecurities * 8 + MarketBounds::kExRightsRecords * sizeof(ExRightsRecord);
    if (!ReadTableFile(path, m_path, bytes, kMaxFile))
        return 0;
    ByteReader reader(bytes);
    TableHeaderWords header;
    int32_t stocks = 0;
    if (!reader.ReadValue(header) || !reader.ReadValue(stocks))
        return 0;
    // Every count is checked against the bytes present and against what a
    // market has before anything is taken: a damaged file is refused whole
    // rather than half read.
    const size_t kStockHeader = sizeof(uint32_t) + sizeof(int32_t);
    if (!reader.Holds(stocks, kStockHeader) || static_cast<size_t>(stocks) > MarketBounds::kSecurities)
        return 0;
    try {
        std::map<CodeKey, ExRightsList> loaded;
        for (int32_t i = 0; i < stocks; ++i) {
            uint32_t key = 0;
            int32_t count = 0;
            if (!reader.ReadValue(key) || !reader.ReadValue(count) || !reader.Holds(count, sizeof(ExRightsRecord))
                || static_cast<size_t>(count) > MarketBounds::kExRightsPerStock)
                return 0;
            ExRightsList list(static_cast<size_t>(count));
            if (count && !reader.Read(list.data(), list.size() * sizeof(ExRightsRecord)))
                return 0;
            SortUniqueByDay(list);
            loaded.emplace(key, std::move(list)); // the first list of a key wins
        }
        // A key held already keeps its list; the file's fill in the others.
        std::map<CodeKey, ExRightsList> records(m_records);
        for (auto& item : loaded)
            records.emplace(item.first, std::move(item.second));
        m_records.swap(records);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    m_header = header;
    m_stockCount = stocks;
    return 1;
}

namespace {

// An event is a record when it has a day of the exchange's history and
// finite figures; one a market has besides, with shares and money per share
// that are not negative and of a plausible size. A consolidation (negative
// bonus shares) is real but not one the adjustment applies: skipped.
RecordVerdict JudgeEvent(const ExRightsRecord& record)
{
    if (record.time <= 0)
        return RecordVerdict::kNotARecord;
    for (float figure : { record.bonusShares, record.rightsShares, record.rightsPrice, record.cashDividend }) {
        if (!std::isfinite(figure))
            return RecordVerdict::kNotARecord;
    }
    for (float per : { record.bonusShares, record.rightsShares }) {
        if (per < 0 || per > 100)
            return RecordVerdict::kOdd;
    }
    const bool plausible = IsPlausiblePrice(record.rightsPrice, false) && IsPlausiblePrice(record.cashDividend, false);
    return plausible ? RecordVerdict::kTaken : RecordVerdict::kOdd;
}

// A marker names a stock by a market tag and a code read up to its first
// byte that is no hexadecimal digit (what follows is not read).
RecordVerdict JudgeMarker(const uint8_t* marker)
{
    uint16_t tag = 0;
    std::memcpy(&tag, marker + kMarkerTagOffset, sizeof(tag));
    if (!std::isxdigit(marker[kMarkerCodeOffset]))
        return RecordVerdict::kNotARecord;
    return VerdictOfMarketTag(tag);
}

} // namespace

int CPwrData::Merge(CMemoryStream* stream)
{
    if (!stream || !stream->GetBuffer())
        return 0;
    ByteReader reader(*stream);
    // Without its two header words a reply would put a broken start value in
    // place of the good one, and mark the table for saving.
    if (reader.Remaining() < 2 * sizeof(int32_t))
        return 0;
    const TableHeaderWords header = ReadHeaderWordsPartial(reader);
    int32_t unused[2] = {}; // two more header words, not kept
    for (int32_t& word : unused)
        reader.ReadPartial(word);
    // The reply is read whole and checked before anything is taken: no
    // more than a market holds, and a reply that is no ex-rights table (see
    // RecordScreen), or holds no event, changes nothing. An odd event, and
    // the events of a stock of a market not shown, are skipped alone.
    std::vector<std::pair<CodeKey, ExRightsRecord>> events;
    RecordScreen screen;
    bool haveMarker = false;
    // What the current marker makes of its stock's events.
    RecordVerdict stock = RecordVerdict::kNotARecord;
    CodeKey key = 0;
    try {
        while (reader.Remaining() >= sizeof(int32_t)) {
            int32_t first = 0;
            reader.Peek(&first, sizeof(first));
            if (first == kStockMarker) {
                uint8_t marker[sizeof(ExRightsRecord)];
                if (!reader.Read(marker, sizeof(marker)))
                    break;
                haveMarker = true;
                stock = JudgeMarker(marker);
                uint16_t tag = 0;
                std::memcpy(&tag, marker + kMarkerTagOffset, sizeof(tag));
                key = MakeCodeKey(tag, reinterpret_cast<const char*>(marker + kMarkerCodeOffset),
                    sizeof(marker) - kMarkerCodeOffset);
                // The next unit is looked at like any other: a stock without
                // events is followed directly by the next marker.
                continue;
            }
            ExRightsRecord record;
            if (!reader.ReadValue(record))
                break;
            // Units before the first marker belong to no stock.
            if (!haveMarker)
                continue;
            // An event is judged with its stock: one of a marker that is none
            // is none, one of a market not shown is skipped with it.
            RecordVerdict verdict = JudgeEvent(record);
            if (verdict == RecordVerdict::kTaken || stock == RecordVerdict::kNotARecord)
                verdict = stock;
            if (!screen.Admit(verdict))
                continue;
            if (events.size() >= MarketBounds::kExRightsRecords)
                return 0;
            events.emplace_back(key, record);
        }
        if (screen.Refused())
            return 0;
        if (events.empty())
            return 0;
        std::map<CodeKey, ExRightsList> records(m_records);
        std::set<CodeKey> touched;
        for (const auto& event : events) {
            ExRightsList& list = records[event.first];
            if (list.size() >= MarketBounds::kExRightsPerStock || records.size() > MarketBounds::kSecurities)
                return 0;
            list.push_back(event.second);
            touched.insert(event.first);
        }
        // The lists stay in the order and uniqueness a load gives them, so an
        // event merged twice is never applied twice.
        for (CodeKey k : touched)
            SortUniqueByDay(records[k]);
        m_records.swap(records);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    m_header = header;
    m_stockCount = static_cast<int32_t>(m_records.size());
    m_skipped = screen.Skipped();
    m_dirty = 1;
    return 1;
}

HRESULT CPwrData::Update()
{
    CMemoryStream reply;
    if (RequestTableSync(kCmdExRights, m_header.nextUpdateStart, &reply))
        Merge(&reply);
    return m_records.empty() ? E_FAIL : S_OK;
}

int CPwrData::Save(const char* path)
{
    return SaveTableFile(path, m_path, m_dirty, [this](TableFileWriter& out) {
        out.Put(m_header);
        out.Put(static_cast<int32_t>(m_records.size()));
        for (const auto& item : m_records) {
            out.Put(item.first);
            out.Put(static_cast<int32_t>(item.second.size()));
            out.PutBytes(item.second.data(), item.second.size() * sizeof(ExRightsRecord));
        }
    });
}

const ExRightsList* CPwrData::GetRecords(CodeKey key) const
{
    auto it = m_records.find(key);
    return it == m_records.end() ? nullptr : &it->second;
}
