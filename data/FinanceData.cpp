#include "data/FinanceData.h"

#include "base/MemoryStream.h"
#include "data/ByteReader.h"
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

void ReadRecords(ByteReader& reader, std::map<CodeKey, FinanceRecord>& records)
{
    FinanceRecord record;
    while (reader.ReadValue(record)) // a trailing partial record is ignored
        records.emplace(record.Key(), record);
}

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
    if (!ReadTableFile(path, m_path, bytes))
        return 0;
    ByteReader reader(bytes);
    FinanceHeader header;
    if (!reader.ReadValue(header) || header.magic != kMagic || header.recordSize != kRecordSize)
        return 0;
    m_header = header.words;
    ReadRecords(reader, m_records);
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
    std::map<CodeKey, FinanceRecord> records;
    ReadRecords(reader, records);
    m_records.swap(records);
    m_header = header.words;
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
