#pragma once
// What every whole-market table (code table, finance, ex-rights, groups)
// keeps beside its records: the two header words of its file or last reply,
// the file it belongs to and whether it changed since it was saved.
#include <cstddef>
#include <cstdint>
#include <string>

#include "data/ByteReader.h"

#pragma pack(push, 1)
struct TableHeaderWords
{
    // Word 1: the value of the server's reply the table last took.
    int32_t replyValue = 0;
    // Word 2: sent as the start value of the table's next update request.
    int32_t nextUpdateStart = 0;
};
#pragma pack(pop)
static_assert(sizeof(TableHeaderWords) == 8, "a table header is two 32-bit words");

// Each word as far as the reader holds it: a reply that ends inside its
// header leaves the words partly read.
inline TableHeaderWords ReadHeaderWordsPartial(ByteReader& reader)
{
    TableHeaderWords words;
    reader.ReadPartial(words.replyValue);
    reader.ReadPartial(words.nextUpdateStart);
    return words;
}

class CMarketTable
{
public:
    int32_t GetReplyValue() const { return m_header.replyValue; }
    int32_t GetNextUpdateStart() const { return m_header.nextUpdateStart; }
    int IsDirty() const { return m_dirty; }
    const std::string& GetPath() const { return m_path; }
    // Records the last file or reply taken held but that were skipped alone,
    // kept for diagnosis.
    size_t GetSkipped() const { return m_skipped; }

protected:
    CMarketTable() = default;
    // A table saves itself when dirty in its own destructor (Save is its own).
    ~CMarketTable() = default;
    CMarketTable(const CMarketTable&) = delete;
    CMarketTable& operator=(const CMarketTable&) = delete;

    std::string m_path;
    int32_t m_dirty = 0;
    TableHeaderWords m_header;
    size_t m_skipped = 0;
};
