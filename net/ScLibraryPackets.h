#pragma once
// The packets exchanged with the quote library "SCStock.dll": what the
// program hands to its entry points and the replies it posts back to the
// receiver window. All little-endian and packed; handles and message ids
// travel in 32 bits whatever the pointer size (window handles are 32-bit
// values sign-extended on 64-bit Windows).
//
// A reply reaches the window as the registered message "SCDemo Reply
// Message" with the reply's bytes at lParam and their length at wParam. The
// bytes stay readable until SCQuit.
#include <cstdint>

static const char kScLibraryFileName[] = "SCStock.dll";
static const char kScReplyMessageName[] = "SCDemo Reply Message";

// Market words: two ASCII characters, the first in the low byte.
static const uint16_t kScMarketShanghai = 0x4853; // "SH"
static const uint16_t kScMarketShenzhen = 0x5A53; // "SZ"
static const uint16_t kScMarketThird = 0x4253; // "SB"

enum ScPacketType : uint16_t {
    kScInit = 0x2001,
    kScStockList = 0x2131,
    kScSnapshots = 0x2201,
    kScTicks = 0x2301,
    kScBars = 0x2501,
};

// Bar sub-kinds of a bar request and reply.
enum ScBarKind : uint16_t {
    kScDayBars = 0,
    kScFiveMinuteBars = 1,
};

#pragma pack(push, 1)
struct ScInitPacket
{
    uint16_t type; // kScInit
    uint8_t zero[5];
    uint32_t magic; // kScInitMagic
    uint32_t window; // the receiver window
    uint32_t message; // the registered reply message
};

struct ScBarRequestPacket
{
    uint16_t type; // kScBars
    uint8_t one;
    uint32_t serial;
    uint16_t market;
    uint16_t index; // position in the library's list of that market
    uint16_t barKind; // ScBarKind
    uint32_t from;
    uint32_t to;
};

struct ScTickRequestPacket
{
    uint16_t type; // kScTicks
    uint8_t one;
    uint32_t serial;
    uint16_t market;
    uint16_t index;
    uint32_t until;
};

// The head every reply starts with; the serial names the request a bar or
// tick reply answers.
struct ScReplyHead
{
    uint16_t type;
    uint8_t one; // anything but 1: not a reply
    uint32_t serial;
};

// A stock list of one market, followed by `count` entries.
struct ScStockListHead
{
    ScReplyHead head;
    uint16_t market;
    uint8_t reserved[52];
    int16_t count;
};

struct ScStockListEntry
{
    char code[10]; // hexadecimal code text, zero-terminated
    char name[34]; // code page 936, zero-terminated
};

// Snapshots, followed by `count` records.
struct ScSnapshotHead
{
    ScReplyHead head;
    int16_t count;
};

// The latest quote of one stock.
struct ScSnapshot
{
    uint16_t market;
    uint16_t index;
    int32_t time;
    float previousClose;
    float open;
    float high;
    float low;
    float last;
    float volume; // lots of the day
    float amount; // yuan of the day
    float bidPrices[5]; // best first
    float bidVolumes[5];
    float askPrices[5];
    float askVolumes[5];
    uint32_t reserved;
};

// The ticks of one stock, followed by `count` records.
struct ScTickHead
{
    ScReplyHead head;
    uint16_t market;
    uint16_t index;
    uint8_t reserved[12];
    uint32_t count;
};

struct ScTick
{
    int32_t time;
    float price;
    float volume; // lots of the day so far
    float amount; // yuan of the day so far
    float bidPrices[5];
    float bidVolumes[5]; // the bid side's total is the sum
    float askPrices[5];
    float askVolumes[5];
    float reserved[3];
};

// Bars of one stock, followed by `count` records.
struct ScBarHead
{
    ScReplyHead head;
    uint16_t market;
    uint16_t index;
    uint16_t barKind; // ScBarKind
    uint32_t count;
};

struct ScBar
{
    int32_t time;
    float open;
    float high;
    float low;
    float close;
    float volume; // lots
    float amount; // yuan
    uint32_t reserved;
};
#pragma pack(pop)

static const uint32_t kScInitMagic = 0x34780000;

static_assert(sizeof(ScInitPacket) == 19, "ScInitPacket is 19 bytes");
static_assert(sizeof(ScBarRequestPacket) == 21, "ScBarRequestPacket is 21 bytes");
static_assert(sizeof(ScTickRequestPacket) == 15, "ScTickRequestPacket is 15 bytes");
static_assert(sizeof(ScReplyHead) == 7, "ScReplyHead is 7 bytes");
static_assert(sizeof(ScStockListHead) == 63, "ScStockListHead is 63 bytes");
static_assert(sizeof(ScStockListEntry) == 44, "ScStockListEntry is 44 bytes");
static_assert(sizeof(ScSnapshotHead) == 9, "ScSnapshotHead is 9 bytes");
static_assert(sizeof(ScSnapshot) == 120, "ScSnapshot is 120 bytes");
static_assert(sizeof(ScTickHead) == 27, "ScTickHead is 27 bytes");
static_assert(sizeof(ScTick) == 108, "ScTick is 108 bytes");
static_assert(sizeof(ScBarHead) == 17, "ScBarHead is 17 bytes");
static_assert(sizeof(ScBar) == 32, "ScBar is 32 bytes");

// A date and minute in 32 bits, as the library's five-minute bar requests
// carry them: year << 20 | month << 16 | day << 11 | hour << 6 | minute.
inline uint32_t PackedDateTime(int year, int month, int day, int hour, int minute)
{
    return static_cast<uint32_t>(year) << 20 | static_cast<uint32_t>(month) << 16
        | static_cast<uint32_t>(day) << 11 | static_cast<uint32_t>(hour) << 6 | static_cast<uint32_t>(minute);
}

// Sets the date part of a packed time from a yyyymmdd number, keeping its
// hour and minute (the low 11 bits).
inline uint32_t PackStockDate(uint32_t packed, uint32_t yyyymmdd)
{
    return PackedDateTime(static_cast<int>(yyyymmdd / 10000), static_cast<int>(yyyymmdd / 100 % 100),
               static_cast<int>(yyyymmdd % 100), 0, 0)
        | (packed & 0x7FF);
}

inline int PackedYear(uint32_t packed)
{
    return static_cast<int>(packed >> 20);
}
inline int PackedMonth(uint32_t packed)
{
    return static_cast<int>(packed >> 16 & 0xF);
}
inline int PackedDay(uint32_t packed)
{
    return static_cast<int>(packed >> 11 & 0x1F);
}
inline int PackedHour(uint32_t packed)
{
    return static_cast<int>(packed >> 6 & 0x1F);
}
inline int PackedMinute(uint32_t packed)
{
    return static_cast<int>(packed & 0x3F);
}
