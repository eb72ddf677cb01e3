#pragma once
// The stand-in quote library's test switches: entry points beside the four
// the program uses, fetched by name from the loaded "SCStock.dll". Its state
// lives as long as the library stays loaded, so a test that holds the
// library loaded sets the switches before the provider starts it.
#include <windows.h>
#include <cstdint>

// What goes wrong with the library's next bar and tick replies.
enum class ScStockFault : int32_t {
    None = 0,
    NegativeCount = 1, // a count with the top bit set
    HugeCount = 2, // a count far beyond the records sent
    ShortBuffer = 3, // one record more counted than the bytes hold, the last one cut
    NoReply = 4, // the request is taken and never answered
};

// The simulated market's clock (UTC seconds; 0 follows the real clock).
typedef void(WINAPI* ScTestSetClockFunction)(int32_t now);
// times < 0: every reply until changed; otherwise the next `times` replies.
typedef void(WINAPI* ScTestSetFaultFunction)(int32_t fault, int32_t times);
// Posts the snapshot at the clock's time of every stock whose ticks were
// asked since SCInit; the number posted.
typedef int32_t(WINAPI* ScTestPostSnapshotsFunction)();
// Posts these bytes to the receiver as a reply, as they are; 0 when there
// is no receiver.
typedef int32_t(WINAPI* ScTestPostRawFunction)(const void* bytes, int32_t length);
// Data requests taken since the library was loaded.
typedef int32_t(WINAPI* ScTestAskCountFunction)();

static const char kScTestSetClock[] = "SCTestSetClock";
static const char kScTestSetFault[] = "SCTestSetFault";
static const char kScTestPostSnapshots[] = "SCTestPostSnapshots";
static const char kScTestPostRaw[] = "SCTestPostRaw";
static const char kScTestAskCount[] = "SCTestAskCount";
