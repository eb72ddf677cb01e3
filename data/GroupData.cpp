#include "data/GroupData.h"

#include <algorithm>
#include <new>

#include "base/CPFile.h"
#include "base/MemoryStream.h"
#include "data/ByteReader.h"
#include "data/ReplyChecks.h"
#include "data/TableFile.h"
#include "data/TableRequests.h"

namespace {

struct ParsedGroups
{
    TableHeaderWords header;
    std::vector<GroupRecord> groups;
    std::vector<GroupMember> members;
};

// Both counts are checked against the bytes present and against what a
// market has before anything is read.
bool ParseGroupsUnchecked(ByteReader& reader, ParsedGroups& out)
{
    int32_t groupCount = 0, memberCount = 0;
    if (!reader.ReadValue(out.header) || !reader.ReadValue(groupCount)
        || !reader.Holds(groupCount, sizeof(GroupRecord)) || static_cast<size_t>(groupCount) > MarketBounds::kGroups)
        return false;
    out.groups.resize(static_cast<size_t>(groupCount));
    if (groupCount && !reader.Read(out.groups.data(), out.groups.size() * sizeof(GroupRecord)))
        return false;
    if (!reader.ReadValue(memberCount) || !reader.Holds(memberCount, sizeof(GroupMember))
        || static_cast<size_t>(memberCount) > MarketBounds::kGroupMembers)
        return false;
    out.members.resize(static_cast<size_t>(memberCount));
    return !memberCount || reader.Read(out.members.data(), out.members.size() * sizeof(GroupMember));
}

bool ParseGroups(ByteReader& reader, ParsedGroups& out)
{
    try {
        return ParseGroupsUnchecked(reader, out);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool IsGroupRecord(const GroupRecord& group)
{
    return IsGbkTextField(group.name, sizeof(group.name));
}
bool IsMemberRecord(const GroupMember& member)
{
    return IsPlausibleCodeKey(member.key);
}

// Every record of list judged in order.
template <class Record, class Check> RecordScreen Screen(const std::vector<Record>& list, Check isRecord)
{
    RecordScreen screen;
    for (const Record& record : list)
        screen.Admit(isRecord(record));
    return screen;
}

// Only NUL padding may follow the members.
bool OnlyPaddingLeft(const ByteReader& reader)
{
    const uint8_t* rest = reader.Current();
    return std::all_of(rest, rest + reader.Remaining(), [](uint8_t byte) { return byte == 0; });
}

// What a server's reply must be besides fitting its bytes: something (a reply
// without groups or members would wipe the table and the file), nothing but
// padding after the members, and lists of groups with text names and of
// members of a market (see RecordScreen; an odd one is skipped alone).
bool IsPlausibleReply(const ByteReader& reader, const ParsedGroups& parsed)
{
    if (!OnlyPaddingLeft(reader) || (parsed.groups.empty() && parsed.members.empty()))
        return false;
    return !Screen(parsed.groups, IsGroupRecord).Refused() && !Screen(parsed.members, IsMemberRecord).Refused();
}

// Drops the records that are none; their number.
size_t DropNonRecords(ParsedGroups& parsed)
{
    const size_t before = parsed.groups.size() + parsed.members.size();
    parsed.groups.erase(std::remove_if(parsed.groups.begin(), parsed.groups.end(),
                            [](const GroupRecord& g) { return !IsGroupRecord(g); }),
        parsed.groups.end());
    parsed.members.erase(std::remove_if(parsed.members.begin(), parsed.members.end(),
                             [](const GroupMember& m) { return !IsMemberRecord(m); }),
        parsed.members.end());
    return before - parsed.groups.size() - parsed.members.size();
}

const size_t kMaxFile = 16 + MarketBounds::kGroups * sizeof(GroupRecord) + MarketBounds::kGroupMembers * sizeof(GroupMember);

} // namespace

CGroupData::CGroupData() = default;

int CGroupData::Load(const char* path)
{
    std::string bytes;
    if (!ReadTableFile(path, m_path, bytes, kMaxFile))
        return 0;
    ByteReader reader(bytes);
    ParsedGroups parsed;
    if (!ParseGroups(reader, parsed))
        return 0;
    // The file holds a reply as it came, with any record it skipped.
    const size_t skipped = DropNonRecords(parsed);
    if (m_groups.size() + parsed.groups.size() > MarketBounds::kGroups
        || m_members.size() + parsed.members.size() > MarketBounds::kGroupMembers)
        return 0;
    try {
        parsed.groups.insert(parsed.groups.begin(), m_groups.begin(), m_groups.end());
        parsed.members.insert(parsed.members.begin(), m_members.begin(), m_members.end());
    } catch (const std::bad_alloc&) {
        return 0;
    }
    m_header = parsed.header;
    m_groups.swap(parsed.groups);
    m_members.swap(parsed.members);
    m_skipped = skipped;
    return 1;
}

int CGroupData::Merge(CMemoryStream* stream)
{
    if (!stream || !stream->GetBuffer() || stream->GetSize() <= 0)
        return 0;
    ByteReader reader(*stream);
    ParsedGroups parsed;
    if (!ParseGroups(reader, parsed) || !IsPlausibleReply(reader, parsed))
        return 0;
    m_skipped = DropNonRecords(parsed);
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
    // The reply must parse and pass the reply's checks before it replaces a good file.
    ByteReader reader(reply);
    ParsedGroups parsed;
    if (!ParseGroups(reader, parsed) || !IsPlausibleReply(reader, parsed))
        return S_OK;
    if (!m_path.empty())
        SaveFileReplacing(m_path.c_str(), reply.GetBuffer(), static_cast<size_t>(reply.GetSize()));
    Merge(&reply);
    return S_OK;
}

int GroupIndex::Rebuild(const CGroupData& groups)
{
    // Built aside and swapped in: running out of memory keeps the index held.
    std::map<int32_t, std::string> categories;
    std::map<int32_t, Block> blocks;
    std::map<CodeKey, std::vector<int32_t>> blocksOfKey;
    try {
        for (const GroupRecord& record : groups.GetGroups()) {
            std::string name = FixedText(record.name, sizeof(record.name));
            if (IsCategoryId(record.id))
                categories.emplace(record.id, std::move(name)); // the first entry of an id wins
            else
                blocks.emplace(record.id, Block { std::move(name), {} });
        }
        for (const GroupMember& member : groups.GetMembers()) {
            blocksOfKey[member.key].push_back(member.blockId);
            auto block = blocks.find(member.blockId);
            if (block != blocks.end())
                block->second.members.push_back(member.key);
        }
    } catch (const std::bad_alloc&) {
        return 0;
    }
    m_categories.swap(categories);
    m_blocks.swap(blocks);
    m_blocksOfKey.swap(blocksOfKey);
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
