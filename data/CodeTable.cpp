#include "data/CodeTable.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "base/Format.h"
#include "base/MemoryStream.h"
#include "data/ByteReader.h"
#include "data/ReplyChecks.h"
#include "data/SearchKey.h"
#include "data/TableFile.h"
#include "data/TableRequests.h"

namespace {
const int kSearchKeyLimit = 65536;
} // namespace

CCodeTable::CCodeTable() = default;

CCodeTable::~CCodeTable()
{
    if (m_dirty)
        Save(nullptr);
}

int CCodeTable::Load(const char* path)
{
    std::string bytes;
    // A file larger than the market can fill is damaged: it is never read.
    if (!ReadTableFile(path, m_path, bytes, 8 + (MarketBounds::kSecurities + 1) * sizeof(CodeTableRecord)))
        return 0;
    ByteReader reader(bytes);
    TableHeaderWords header;
    if (!reader.ReadValue(header))
        return 0;
    std::vector<CodeTableRecord> records;
    size_t skipped = 0;
    if (!ReadRecords(reader, records, skipped))
        return 0;
    // A file adds to what is held (the first entry of a key wins).
    if (!AdoptRecords(records, true))
        return 0;
    m_header = header;
    m_skipped = skipped;
    return 1;
}

int CCodeTable::Merge(CMemoryStream* stream)
{
    if (!stream || !stream->GetBuffer() || stream->GetSize() <= 0)
        return 0;
    ByteReader reader(*stream);
    const TableHeaderWords header = ReadHeaderWordsPartial(reader);
    std::vector<CodeTableRecord> records;
    size_t skipped = 0;
    // A reply without records would wipe the table and, through the save at
    // destruction, the file; one that is no code table is garbage.
    if (!ReadRecords(reader, records, skipped) || records.empty())
        return 0;
    if (!AdoptRecords(records, false))
        return 0;
    m_header = header;
    m_skipped = skipped;
    m_dirty = 1;
    return 1;
}

HRESULT CCodeTable::Update()
{
    CMemoryStream reply;
    if (RequestTableSyncViaProvider(kCmdCodeTable, m_header.nextUpdateStart, &reply))
        Merge(&reply);
    return m_keys.empty() ? E_FAIL : S_OK;
}

int CCodeTable::Save(const char* path)
{
    return SaveTableFile(path, m_path, m_dirty, [this](TableFileWriter& out) {
        out.Put(m_header);
        for (CodeKey key : m_keys) {
            const Entry* entry = FindEntry(key);
            CodeTableRecord record = {};
            // The key itself: re-deriving it from the tag would lose markets above 2.
            record.key = key;
            if (entry)
                std::memcpy(
                    record.name, entry->name.data(), std::min(entry->name.size(), sizeof(record.name)));
            out.Put(record);
        }
    });
}

bool CCodeTable::AdoptRecords(const std::vector<CodeTableRecord>& records, bool keepHeld)
{
    // Built aside and swapped in, so a failure of any kind keeps what is held.
    try {
        Contents contents;
        if (keepHeld)
            contents = Contents { m_entries, m_keys, m_codeIndex };
        for (const CodeTableRecord& record : records)
            AddEntryTo(record, contents);
        SortKeys(contents.keys);
        m_entries.swap(contents.entries);
        m_keys.swap(contents.keys);
        m_codeIndex.swap(contents.codeIndex);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void CCodeTable::AddEntry(const CodeTableRecord& record)
{
    Contents contents;
    contents.entries.swap(m_entries);
    contents.keys.swap(m_keys);
    contents.codeIndex.swap(m_codeIndex);
    AddEntryTo(record, contents);
    m_entries.swap(contents.entries);
    m_keys.swap(contents.keys);
    m_codeIndex.swap(contents.codeIndex);
}

void CCodeTable::AddEntryTo(const CodeTableRecord& record, Contents& contents)
{
    Entry entry;
    entry.name = TrimText(FixedText(record.name, sizeof(record.name)));
    entry.code = CodeOfKey(record.key);
    entry.marketTag = MarketTagOfKey(record.key);
    MakeSearchKey(entry.name.c_str(), entry.searchKey, kSearchKeyLimit);
    entry.searchKey = TrimText(entry.searchKey);
    entry.indexFlag = IsIndexCode(entry.marketTag, entry.code);
    contents.codeIndex.emplace(entry.code, record.key); // the first key of a code wins
    contents.entries.emplace(record.key, std::move(entry)); // the first entry of a key wins
    contents.keys.push_back(record.key);
}

bool CCodeTable::ReadRecords(ByteReader& reader, std::vector<CodeTableRecord>& records, size_t& skipped)
{
    // A trailing partial record is ignored.
    const size_t count = reader.Remaining() / sizeof(CodeTableRecord);
    if (count > MarketBounds::kSecurities)
        return false;
    RecordScreen screen;
    try {
        records.reserve(count);
        CodeTableRecord record;
        while (reader.ReadValue(record)) {
            // A key of a market with a name that is text; anything else is
            // no record (text read as a key, a reply delivered as received).
            if (screen.Admit(IsPlausibleCodeKey(record.key) && IsGbkTextField(record.name, sizeof(record.name))))
                records.push_back(record);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    skipped = screen.Skipped();
    return !screen.Refused();
}

void CCodeTable::SortKeys(std::vector<CodeKey>& keys)
{
    std::sort(keys.begin(), keys.end());
    // A key listed twice is still one security and one position.
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
}

void CCodeTable::Clear()
{
    m_keys.clear();
    m_entries.clear();
    m_codeIndex.clear();
}

const CCodeTable::Entry* CCodeTable::FindEntry(CodeKey key) const
{
    auto it = m_entries.find(key);
    return it == m_entries.end() ? nullptr : &it->second;
}

CodeKey CCodeTable::GetKeyAt(int position) const
{
    if (position < 0 || position >= GetCount())
        return 0;
    return m_keys[static_cast<size_t>(position)];
}

int CCodeTable::IndexOfKey(CodeKey key) const
{
    auto it = std::lower_bound(m_keys.begin(), m_keys.end(), key);
    return (it != m_keys.end() && *it == key) ? static_cast<int>(it - m_keys.begin()) : 0;
}

CodeKey CCodeTable::FindKeyByCode(const std::string& code) const
{
    auto it = m_codeIndex.find(code);
    return it == m_codeIndex.end() ? 0 : it->second;
}

uint16_t CCodeTable::GetMarketOfKey(CodeKey key) const
{
    const Entry* entry = FindEntry(key);
    return entry ? entry->marketTag : 0;
}

int CCodeTable::IsIndexKey(CodeKey key) const
{
    const Entry* entry = FindEntry(key);
    return entry ? entry->indexFlag : 0;
}

std::string CCodeTable::GetCodeOfKey(CodeKey key) const
{
    const Entry* entry = FindEntry(key);
    return entry ? entry->code : std::string();
}

std::string CCodeTable::GetNameOfKey(CodeKey key) const
{
    const Entry* entry = FindEntry(key);
    return entry ? entry->name : std::string();
}

std::string CCodeTable::GetSearchKeyOfKey(CodeKey key) const
{
    const Entry* entry = FindEntry(key);
    return entry ? entry->searchKey : std::string();
}
