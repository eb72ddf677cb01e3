#pragma once
// What a real market can hold, and the checks every table and series applies
// to a file or reply before it takes anything from it: a reply delivered as
// received (another compression flag) or a damaged file must be refused
// whole rather than merged and saved.
#include <cstddef>
#include <cstdint>

#include "data/CodeKey.h"

// Bounds by what the market holds, far above today's figures: securities of
// every market (tens of thousands today), the bars of the longest history
// (day bars since 1990; five-minute bars over the same span), the trades of
// one session, the blocks of every category and their memberships.
namespace MarketBounds {
const size_t kSecurities = 300000;
const size_t kExRightsPerStock = 1000;
const size_t kExRightsRecords = 1000000;
const size_t kGroups = 100000;
const size_t kGroupMembers = 1000000;
const size_t kDayBars = 20000;
const size_t kMinuteBars = 500000;
const size_t kTicksPerDay = 200000;
const size_t kFormulaDocumentBytes = 16u * 1024 * 1024;
// A definition reads at most seven attributes of an element; real documents
// carry no more. Far beyond that an element is hostile, and the parser's
// look-up of each attribute among the element's others would take minutes.
const int kFormulaElementAttributes = 64;
} // namespace MarketBounds

// No security or index of these markets is priced anywhere near this.
const double kPriceCeiling = 100000.0;
// A server stamps bars and ticks of the edges of a requested window in its
// own way (a day's bar at midnight or at the close, another zone): times up
// to one day outside the window are still the window's.
const int64_t kWindowTolerance = 86400;

// Markets 0 (Shanghai), 1 (Shenzhen) and 2 (the third market) today; the
// encoding leaves room for a few more, which carry no tag. A market byte
// beyond that is text or a price read as a key.
const uint32_t kMarketsPossible = 16;
inline bool IsPlausibleCodeKey(CodeKey key)
{
    return MarketOfKey(key) < kMarketsPossible;
}
// "SH", "SZ" or "SB".
bool IsKnownMarketTag(uint16_t marketTag);

// A price a record can carry: finite, not negative, below the ceiling; and
// above zero when positive is asked for.
bool IsPlausiblePrice(double price, bool positive);

// A NUL-padded GBK field: whole characters without control codes up to the
// first NUL (a full field may end in a lead byte whose trail was cut), only
// NULs after it.
bool IsGbkTextField(const char* field, size_t size);
// A GBK text: whole characters, no control codes but tab, CR and LF; NULs
// only at the end.
bool IsGbkText(const uint8_t* text, size_t size);

// The times a series asked for, as the request was sent; a reply's times
// must lie inside them, with the tolerance.
struct RequestWindow
{
    bool known = false;
    int64_t from = 0;
    int64_t to = 0;

    // Without a known window a time only has to be a time (above zero).
    bool Holds(int32_t time) const
    {
        if (time <= 0)
            return false;
        return !known || (time >= from - kWindowTolerance && time <= to + kWindowTolerance);
    }
};

// The latest time a series file of ours can hold: the end of the widest
// window a request asks for (three days past the server's time), with the
// tolerance. A later time is damage, and taken it would stop every update:
// the next request would start after it.
int64_t LatestSeriesTime();

// A time as a request value: seconds clamped to what the field holds.
int32_t ClampRequestTime(int64_t time);
