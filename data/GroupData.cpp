#include "data/GroupData.h"

#include "base/CPFile.h"
#include "base/MemoryStream.h"
#include "data/ByteReader.h"
#include "data/TableFile.h"
#include "data/TableRequests.h"

namespace {

struct ParsedGroups
{
    TableHeaderWords header;
    std::vector<GroupRecord> groups;
    std::vector<GroupMember> members;
};

// Both counts are checked against the bytes present before anything is read.
bool ParseGroups(ByteReader& reader, ParsedGroups& out)
{
    int32_t groupCount = 0, memberCount = 0;
    if (!reader.ReadValue(out.header) || !reader.ReadValue(groupCount)
        || !reader.Holds(groupCount, sizeof(GroupRecord)))
        return false;
    out.groups.resize(static_cast<size_t>(groupCount));
    if (groupCount && !reader.Read(out.groups.data(), out.groups.size() * sizeof(GroupRecord)))
        return false;
    if (!reader.ReadValue(memberCount) || !reader.Holds(memberCount, sizeof(GroupMember)))
        return false;
    out.members.resize(static_cast<size_t>(memberCount));
    return !memberCount || reader.Read(out.members.data(), out.members.size() * sizeof(GroupMember));
}

} // namespace

CGroupData::CGroupData() = default;

int CGroupData::Load(const char* path)
{
    std::string bytes;
    if (!ReadTableFile(path, m_path, bytes))
        return 0;
    ByteReader reader(bytes);
    ParsedGroups parsed;
    if (!ParseGroups(reader, parsed))
        return 0;
    m_header = parsed.header;
    m_groups.insert(m_groups.end(), parsed.groups.begin(), parsed.groups.end());
    m_members.insert(m_members.end(), parsed.members.begin(), parsed.members.end());
    return 1;
}

int CGroupData::Merge(CMemoryStream* stream)
{
    if (!stream || !stream->GetBuffer() || stream->GetSize() <= 0)
        return 0;
    ByteReader reader(*stream);
    ParsedGroups parsed;
    if (!ParseGroups(reader, parsed))
        return 0;
    m_header = parsed.header;
    m_groups.swap(parsed.groups);
    m_members.swap(parsed.members);
    return 1;
}

HRESULT CGroupData::Update()
{
    CMemoryStream reply;
    if (!RequestTableSync(kCmdBlockGroups, m_header.nextUpdateStart, &reply))
        return E_FAIL;
    if (reply.GetSize() <= 0)
        return S_OK;
    // The reply must parse before it replaces a good file.
    ByteReader reader(reply);
    ParsedGroups parsed;
    if (!ParseGroups(reader, parsed))
        return S_OK;
    if (!m_path.empty())
        SaveFileReplacing(m_path.c_str(), reply.GetBuffer(), static_cast<size_t>(reply.GetSize()));
    Merge(&reply);
    return S_OK;
}

int GroupIndex::Rebuild(const CGroupData& groups)
{
    m_categories.clear();
    m_blocks.clear();
    m_blocksOfKey.clear();
    for (const GroupRecord& record : groups.GetGroups()) {
        std::string name = FixedText(record.name, sizeof(record.name));
        if (IsCategoryId(record.id))
            m_categories.emplace(record.id, std::move(name)); // the first entry of an id wins
        else
            m_blocks.emplace(record.id, Block { std::move(name), {} });
    }
    for (const GroupMember& member : groups.GetMembers()) {
        m_blocksOfKey[member.key].push_back(member.blockId);
        auto block = m_blocks.find(member.blockId);
        if (block != m_blocks.end())
            block->second.members.push_back(member.key);
    }
    return 1;
}

const std::vector<int32_t>* GroupIndex::GetBlocksOfKey(CodeKey key) const
{
    auto it = m_blocksOfKey.find(key);
    return it == m_blocksOfKey.end() ? nullptr : &it->second;
}

bool GroupIndex::GetCategoryName(int32_t id, std::string& name) const
{
    auto it = m_categories.find(id);
    if (it == m_categories.end())
        return false;
    name = it->second;
    return true;
}

bool GroupIndex::GetBlockName(int32_t id, std::string& name) const
{
    auto it = m_blocks.find(id);
    if (it == m_blocks.end())
        return false;
    name = it->second.name;
    return true;
}
