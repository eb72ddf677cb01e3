#pragma once
// Market data for view tests without a server: the group index from group
// and member rows, quote records, and the user list, each put back as it was
// by the fixture's destructor.
#include <cstdint>
#include <string>
#include <vector>

#include "data/ReportData.h"

struct GroupFixtureRow
{
    int32_t id; // low 24 bits 0: a category
    const char* name;
};
struct GroupFixtureMember
{
    uint32_t key;
    int32_t blockId;
};

// Rebuilds the application's group index from the rows; releases it at the end.
class ScopedGroupIndex
{
public:
    ScopedGroupIndex(
        const std::vector<GroupFixtureRow>& groups, const std::vector<GroupFixtureMember>& members);
    ~ScopedGroupIndex();
    bool Ok() const { return m_ok; }

private:
    bool m_ok;
};

// A quote with the given prices (volume and amount 0 unless set).
QuoteRecord MakeQuote(uint32_t key, float last, float previousClose, float open = 0, float high = 0,
    float low = 0, float volume = 0, float amount = 0);
