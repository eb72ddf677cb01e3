#include "tests/support/ViewFixtures.h"

#include <cstring>

#include "base/MemoryStream.h"
#include "data/GroupData.h"

namespace {

void PutI32(std::string& bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

} // namespace

ScopedGroupIndex::ScopedGroupIndex(
    const std::vector<GroupFixtureRow>& groups, const std::vector<GroupFixtureMember>& members)
    : m_ok(false)
{
    // The 0x206 layout: two header words, the groups, the members.
    std::string bytes;
    PutI32(bytes, 1);
    PutI32(bytes, 0);
    PutI32(bytes, static_cast<uint32_t>(groups.size()));
    for (const GroupFixtureRow& group : groups) {
        PutI32(bytes, static_cast<uint32_t>(group.id));
        char name[40] = {};
        std::strncpy(name, group.name, sizeof(name));
        bytes.append(name, sizeof(name));
    }
    PutI32(bytes, static_cast<uint32_t>(members.size()));
    for (const GroupFixtureMember& member : members) {
        PutI32(bytes, member.key);
        PutI32(bytes, static_cast<uint32_t>(member.blockId));
    }
    CMemoryStream stream;
    stream.Write(bytes.data(), static_cast<int32_t>(bytes.size()));
    stream.Seek(0, 0);
    CGroupData data;
    GroupIndex* index = GroupIndex::Instance();
    m_ok = data.Merge(&stream) == 1 && index && index->Rebuild(data) == 1;
}

ScopedGroupIndex::~ScopedGroupIndex()
{
    GroupIndex::ReleaseInstance();
}

QuoteRecord MakeQuote(uint32_t key, float last, float previousClose, float open, float high, float low,
    float volume, float amount)
{
    QuoteRecord quote = {};
    quote.key = key;
    quote.last = last;
    quote.previousClose = previousClose;
    quote.open = open;
    quote.high = high;
    quote.low = low;
    quote.volume = volume;
    quote.amount = amount;
    return quote;
}
