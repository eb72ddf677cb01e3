#include "tests/support/GdiCount.h"
#include <cstdint>

namespace {

// One entry of the GDI handle table that the process environment block points
// to (the layout Wine uses; 24 bytes per handle, 65536 handles).
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
const unsigned kTebPebOffset = 0x60; // 64-bit thread environment block
const unsigned kPebGdiHandleTableOffset = 0xF8; // 64-bit process environment block
#else
const unsigned kTebPebOffset = 0x30; // 32-bit thread environment block
const unsigned kPebGdiHandleTableOffset = 0x94; // 32-bit process environment block
#endif
const uint16_t kStockFlag = 0x80;

DWORD CountHandleTable()
{
    const uint8_t* teb = reinterpret_cast<const uint8_t*>(::NtCurrentTeb());
    const uint8_t* peb = *reinterpret_cast<const uint8_t* const*>(teb + kTebPebOffset);
    if (!peb)
        return 0;
    const GdiHandleEntry* table
        = *reinterpret_cast<const GdiHandleEntry* const*>(peb + kPebGdiHandleTableOffset);
    if (!table)
        return 0;
    DWORD count = 0;
    for (unsigned i = 0; i < kGdiHandleCount; ++i) {
        if (table[i].type != 0 && (table[i].unique & kStockFlag) == 0)
            ++count;
    }
    return count;
}

} // namespace

DWORD CountGdiObjects()
{
    ::GdiFlush();
    DWORD count = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    return count ? count : CountHandleTable();
}

DWORD GdiGrowthOver(const std::function<void()>& cycle, int cycles)
{
    cycle();
    const DWORD before = CountGdiObjects();
    for (int i = 0; i < cycles; ++i)
        cycle();
    const DWORD after = CountGdiObjects();
    return after > before ? after - before : 0;
}
