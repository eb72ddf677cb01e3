#pragma once
// What a real market can hold, and the checks every table and series applies
// to a file or reply before it takes anything from it: a reply delivered as
// received (another compression flag) or a damaged file must be refused
// whole rather than merged and saved, while the odd record a real market
// sends is skipped alone.
#include <cstddef>
#include <cstdint>
#include <string>

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
// A server may also answer an update from the trading days before its start
// (asked from Monday, it sends Friday, Monday and Tuesday): a few trading
// days, across the longest market holiday, are a resend, not another window.
const int64_t kResendTolerance = 14 * 86400;

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

// Text as code page 936 and GB18030 hold it: one-byte characters (control
// codes and 0x80, the euro sign, among them), two-byte characters, four-byte
// GB18030 sequences, and a lead byte whose trail was cut where a line or the
// text ends. Only NUL, 0xFF and a lead byte before what no character
// continues with are no text.
//
// A NUL-padded field: text up to its first NUL (or its end); the bytes after
// that NUL are stale and never read.
bool IsGbkTextField(const char* field, size_t size);
// A whole text: NULs only at the end.
bool IsGbkText(const uint8_t* text, size_t size);
// Lone lead bytes at line ends and at the end, dropped: what a reader shows
// of such a text (a character cut by a fixed-width column has lost its second
// half, and its first half would swallow the line break when shown).
std::string WithoutCutCharacters(const uint8_t* text, size_t size);

// The record is the unit of refusal. A reply or file whose first record is
// not a record at all, or whose records are mostly not records (a reply
// delivered as received, shifted, damaged throughout), is not a table of its
// kind and is refused whole. Otherwise a record that fails its check is
// skipped alone, and counted for diagnosis: a real market sends the odd
// record (a no-trade bar, a stray market, fields of two moments).
enum class RecordVerdict
{
    kTaken, // a record to take
    kOdd, // shaped as a record, but not one to take: skipped
    kNotARecord, // bytes no record of this kind holds
};

class RecordScreen
{
public:
    // Judges the next record in order; true when it is to be taken.
    bool Admit(RecordVerdict verdict)
    {
        if (verdict == RecordVerdict::kTaken) {
            ++m_taken;
            return true;
        }
        if (verdict == RecordVerdict::kNotARecord) {
            if (m_taken + m_skipped == 0)
                m_firstIsNone = true;
            ++m_notRecords;
        }
        ++m_skipped;
        return false;
    }
    bool Admit(bool record) { return Admit(record ? RecordVerdict::kTaken : RecordVerdict::kNotARecord); }
    bool Refused() const { return m_firstIsNone || m_notRecords > m_taken; }
    size_t Skipped() const { return m_skipped; }

private:
    size_t m_taken = 0;
    size_t m_skipped = 0;
    size_t m_notRecords = 0;
    bool m_firstIsNone = false;
};

// What a record's market tag makes of it: "SH", "SZ" or "SB" are taken;
// two other capital letters are a market this program does not show ("BJ"),
// and the record is odd; anything else is no tag.
RecordVerdict VerdictOfMarketTag(uint16_t marketTag);

// The times a series asked for, as the request was sent; a reply's times
// must lie inside them, with the tolerances.
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
        return !known || (time >= from - kResendTolerance && time <= to + kWindowTolerance);
    }
};

// The latest time a series file of ours can hold: the end of the widest
// window a request asks for (three days past the server's time), with the
// tolerance. A later time is damage, and taken it would stop every update:
// the next request would start after it.
int64_t LatestSeriesTime();

// A time as a request value: seconds clamped to what the field holds.
int32_t ClampRequestTime(int64_t time);
