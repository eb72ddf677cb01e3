#pragma once
// The list of every security the client knows, from "codelist.dat" and the
// server's code table (request 0x201).
#include <windows.h>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "data/CodeKey.h"
#include "data/TableHeader.h"

class ByteReader;
class CMemoryStream;

#pragma pack(push, 1)
struct CodeTableRecord
{
    uint32_t key;
    char name[10]; // code page 936, NUL-padded; no terminator when full
};
#pragma pack(pop)
static_assert(sizeof(CodeTableRecord) == 14, "code table records are 14 bytes");

class CCodeTable : public CMarketTable
{
public:
    struct Entry
    {
        uint16_t marketTag = 0;
        int32_t indexFlag = 0;
        std::string code;
        std::string name;
        std::string searchKey;
    };

    CCodeTable();
    // Saves when dirty.
    virtual ~CCodeTable();

    // Appends the file's records to the table; 0 (nothing taken) when it
    // cannot be read, its header is short, it is no code table (see
    // RecordScreen) or holds more than a market has. A record whose key names
    // no market or whose name is no text is skipped alone.
    int Load(const char* path);
    // Replaces the table with the records of a delivered 0x201 stream. A
    // stream without a single record, or that fails the file's checks,
    // changes nothing and gives 0.
    int Merge(CMemoryStream* stream);
    // Synchronous 0x201 from the next update start to the server time; E_FAIL when
    // the table is empty afterwards.
    HRESULT Update();
    // Writes only when dirty; path null keeps the stored one.
    int Save(const char* path);

    void AddEntry(const CodeTableRecord& record);
    void Clear();

    int GetCount() const { return static_cast<int>(m_keys.size()); }
    CodeKey GetKeyAt(int position) const;
    int IndexOfKey(CodeKey key) const;
    CodeKey FindKeyByCode(const std::string& code) const;
    uint16_t GetMarketOfKey(CodeKey key) const;
    int IsIndexKey(CodeKey key) const;
    std::string GetCodeOfKey(CodeKey key) const;
    std::string GetNameOfKey(CodeKey key) const;
    std::string GetSearchKeyOfKey(CodeKey key) const;

private:
    struct Contents
    {
        std::map<CodeKey, Entry> entries;
        std::vector<CodeKey> keys;
        std::map<std::string, CodeKey> codeIndex;
    };

    const Entry* FindEntry(CodeKey key) const;
    static void AddEntryTo(const CodeTableRecord& record, Contents& contents);
    // Every record added to what is held (keepHeld) or to nothing; false,
    // with what is held unchanged, when memory runs out.
    bool AdoptRecords(const std::vector<CodeTableRecord>& records, bool keepHeld);
    // Every whole record that passes its check; false (records unusable)
    // when they are no code table or there are more than a market holds.
    // skipped: the records passed over.
    static bool ReadRecords(ByteReader& reader, std::vector<CodeTableRecord>& records, size_t& skipped);
    static void SortKeys(std::vector<CodeKey>& keys);

    std::map<CodeKey, Entry> m_entries;
    std::vector<CodeKey> m_keys;
    std::map<std::string, CodeKey> m_codeIndex;
};
