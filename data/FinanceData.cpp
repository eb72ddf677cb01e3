#include "data/FinanceData.h"

#include <new>

#include "base/MemoryStream.h"
#include "data/ByteReader.h"
#include "data/ReplyChecks.h"
#include "data/TableFile.h"
#include "data/TableRequests.h"

namespace {

struct FinanceHeader
{
    TableHeaderWords words;
    uint32_t magic;
    int32_t recordSize;
};
static_assert(sizeof(FinanceHeader) == 16, "finance header is four words");

// Every whole record (a trailing partial one is ignored) into records, the
// first of a key kept, a record of a market not shown skipped; false when
// they are no finance table or there are more than a market has.
bool ReadRecords(ByteReader& reader, std::map<CodeKey, FinanceRecord>& records, size_t& skipped)
{
    if (reader.Remaining() / sizeof(FinanceRecord) > MarketBounds::kSecurities)
        return false;
    RecordScreen screen;
    try {
        FinanceRecord record;
        while (reader.ReadValue(record)) {
            if (screen.Admit(VerdictOfMarketTag(record.MarketTag())))
                records.emplace(record.Key(), record);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    skipped = screen.Skipped();
    return !screen.Refused();
}

const size_t kMaxFile = sizeof(FinanceHeader) + (MarketBounds::kSecurities + 1) * sizeof(FinanceRecord);

} // namespace

CodeKey FinanceRecord::Key() const
{
    return MakeCodeKey(MarketTag(), reinterpret_cast<const char*>(bytes + kCodeOffset), kCodeLength);
}

CBaseData::CBaseData()
    : m_magic(kMagic)
    , m_recordSize(kRecordSize)
{
}

CBaseData::~CBaseData()
{
    if (m_dirty)
        Save(nullptr);
}

int CBaseData::Load(const char* path)
{
    std::string bytes;
    if (!ReadTableFile(path, m_path, bytes, kMaxFile))
        return 0;
    ByteReader reader(bytes);
    FinanceHeader header;
    if (!reader.ReadValue(header) || header.magic != kMagic || header.recordSize != kRecordSize)
        return 0;
    // A key held already keeps its record; the file's fill in the others.
    std::map<CodeKey, FinanceRecord> records;
    try {
        records = m_records;
    } catch (const std::bad_alloc&) {
        return 0;
    }
    size_t skipped = 0;
    if (!ReadRecords(reader, records, skipped))
        return 0;
    m_records.swap(records);
    m_header = header.words;
    m_skipped = skipped;
    return 1;
}

int CBaseData::Merge(CMemoryStream* stream)
{
    if (!stream || !stream->GetBuffer())
        return 0;
    ByteReader reader(*stream);
    FinanceHeader header;
    if (!reader.ReadValue(header) || header.magic != kMagic || header.recordSize != kRecordSize)
        return 0;
    // A reply without records would wipe the table and, saved, the file.
    std::map<CodeKey, FinanceRecord> records;
    size_t skipped = 0;
    if (!ReadRecords(reader, records, skipped) || records.empty())
        return 0;
    m_records.swap(records);
    m_header = header.words;
    m_skipped = skipped;
    m_dirty = 1;
    return 1;
}

HRESULT CBaseData::Update()
{
    CMemoryStream reply;
    if (RequestTableSync(kCmdFinance, m_header.nextUpdateStart, &reply))
        Merge(&reply);
    return m_records.empty() ? E_FAIL : S_OK;
}

int CBaseData::Save(const char* path)
{
    return SaveTableFile(path, m_path, m_dirty, [this](TableFileWriter& out) {
        out.Put(FinanceHeader { m_header, m_magic, m_recordSize });
        for (const auto& item : m_records)
            out.Put(item.second);
    });
}

const FinanceRecord* CBaseData::GetRecord(CodeKey key) const
{
    auto it = m_records.find(key);
    return it == m_records.end() ? nullptr : &it->second;
}
