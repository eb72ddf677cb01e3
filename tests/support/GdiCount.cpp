#include "tests/support/GdiCount.h"
#include "tools/uidriver/GdiHandleTable.h"
#include <cstdint>

namespace {

#ifdef _WIN64
const unsigned kTebPebOffset = 0x60; // 64-bit thread environment block
#else
const unsigned kTebPebOffset = 0x30; // 32-bit thread environment block
#endif

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
    return CountLiveGdiEntries(table, kGdiHandleCount);
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
