#pragma once
// Block groups: securities grouped into blocks and blocks into categories,
// kept in "groups.blk" exactly as request 0x206 delivers them.
#include <windows.h>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "base/Singleton.h"
#include "data/CodeKey.h"
#include "data/TableHeader.h"

class CMemoryStream;

#pragma pack(push, 1)
struct GroupRecord
{
    int32_t id; // low 24 bits 0: a category header; otherwise a block
    char name[40]; // code page 936, NUL-padded; no terminator when full
};
struct GroupMember
{
    uint32_t key;
    int32_t blockId;
};
#pragma pack(pop)
static_assert(sizeof(GroupRecord) == 44, "group records are 44 bytes");
static_assert(sizeof(GroupMember) == 8, "group members are 8 bytes");

inline bool IsCategoryId(int32_t id)
{
    return (static_cast<uint32_t>(id) & 0xFFFFFF) == 0;
}

class CGroupData : public CMarketTable
{
public:
    CGroupData();
    virtual ~CGroupData() { }

    // Appends the file's groups and members; 0 when the file cannot be read
    // or its layout does not fit its bytes (then nothing is taken). A group
    // whose name is no text and a member of no market are skipped.
    int Load(const char* path);
    // Replaces both lists with a delivered 0x206 stream; 0 and nothing
    // changed when the stream is empty, its layout does not fit its bytes
    // (NUL padding after the members aside), it holds neither groups nor
    // members, more than a market has, or lists that are no groups (see
    // RecordScreen). A group whose name is no text and a member of no market
    // are skipped alone.
    int Merge(CMemoryStream* stream);
    // Synchronous 0x206 on the request manager: E_FAIL when the request
    // fails; a reply that Merge would take is written to the stored path,
    // then merged.
    HRESULT Update();

    const std::vector<GroupRecord>& GetGroups() const { return m_groups; }
    const std::vector<GroupMember>& GetMembers() const { return m_members; }

private:
    std::vector<GroupRecord> m_groups;
    std::vector<GroupMember> m_members;
};

// The application-wide index of the block groups, rebuilt from a
// CGroupData after it is loaded and updated.
class GroupIndex : public Singleton<GroupIndex>
{
public:
    struct Block
    {
        std::string name;
        std::vector<CodeKey> members; // in member-record order
    };

    // 1; 0 with the index held when memory runs out.
    int Rebuild(const CGroupData& groups);

    const std::map<int32_t, std::string>& GetCategories() const { return m_categories; }
    const std::map<int32_t, Block>& GetBlocks() const { return m_blocks; }
    // Block ids of a security in member-record order; null when it has none.
    const std::vector<int32_t>* GetBlocksOfKey(CodeKey key) const;
    bool GetCategoryName(int32_t id, std::string& name) const;
    bool GetBlockName(int32_t id, std::string& name) const;

private:
    friend class Singleton<GroupIndex>;
    GroupIndex() { }

    std::map<int32_t, std::string> m_categories;
    std::map<int32_t, Block> m_blocks;
    std::map<CodeKey, std::vector<int32_t>> m_blocksOfKey;
};
