#pragma once
// The GDI handle table that the process environment block points to, in the
// layout Wine uses (24 bytes an entry, 65536 entries). Wine answers 0 to the
// system's own GDI object count, so leak checks count live entries here.
#include <windows.h>
#include <cstdint>

#pragma pack(push, 1)
struct GdiHandleEntry
{
    uint64_t object;
    uint32_t owner;
    uint16_t unique;
    uint8_t type;
    uint8_t flags;
    uint64_t userPointer;
};
#pragma pack(pop)
static_assert(sizeof(GdiHandleEntry) == 24, "GDI handle entry layout");

const unsigned kGdiHandleCount = 0x10000;
#ifdef _WIN64
const unsigned kPebGdiHandleTableOffset = 0xF8;
#else
const unsigned kPebGdiHandleTableOffset = 0x94;
#endif

// Live entries that are not stock objects.
inline DWORD CountLiveGdiEntries(const GdiHandleEntry* entries, unsigned count)
{
    const uint16_t stockFlag = 0x80;
    DWORD live = 0;
    for (unsigned i = 0; i < count; ++i) {
        if (entries[i].type != 0 && (entries[i].unique & stockFlag) == 0)
            ++live;
    }
    return live;
}
