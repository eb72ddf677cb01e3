// The entry points of the stand-in quote library. All __stdcall (WINAPI),
// exported under their plain names by SCStock.def in both pointer sizes.
#include <windows.h>
#include <cstdint>

#include "tools/scstock/ScStockMarket.h"

namespace {

// Built on first use, so that loading the library costs nothing until the
// program starts it.
ScStockMarket& Market()
{
    static ScStockMarket market;
    return market;
}

} // namespace

extern "C" {

int32_t WINAPI SCInit(const void* packet, int32_t length)
{
    return Market().Init(packet, length);
}

int32_t WINAPI SCAskData(const void* packet, int32_t length)
{
    return Market().AskData(packet, length);
}

void WINAPI SCQuit()
{
    Market().Quit();
}

// Writes a short description into buffer when it fits; the number of stocks listed.
int32_t WINAPI SCGetInfo(void* buffer, int32_t length)
{
    return Market().GetInfo(buffer, length);
}

void WINAPI SCTestSetClock(int32_t now)
{
    Market().SetClock(now);
}

void WINAPI SCTestSetFault(int32_t fault, int32_t times)
{
    Market().SetFault(static_cast<ScStockFault>(fault), times);
}

int32_t WINAPI SCTestPostSnapshots()
{
    return Market().PostSnapshots();
}

int32_t WINAPI SCTestPostRaw(const void* bytes, int32_t length)
{
    return Market().PostRaw(bytes, length);
}

int32_t WINAPI SCTestAskCount()
{
    return Market().AskCount();
}

} // extern "C"
