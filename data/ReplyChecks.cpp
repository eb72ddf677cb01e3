#include "data/ReplyChecks.h"

#include <cmath>

#include "base/GlobalDefaults.h"

namespace {

bool IsLead(uint8_t b)
{
    return b >= 0x81 && b <= 0xFE;
}
bool IsTrail(uint8_t b)
{
    return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

// Walks GBK characters from the start of text up to end; returns the first
// position that is not part of a whole character, or end.
size_t WholeCharacters(const uint8_t* text, size_t end, bool allowLineBreaks)
{
    size_t i = 0;
    while (i < end) {
        const uint8_t b = text[i];
        if (IsLead(b)) {
            if (i + 1 >= end || !IsTrail(text[i + 1]))
                return i;
            i += 2;
            continue;
        }
        const bool control = b < 0x20 || b == 0x7F || b == 0x80 || b == 0xFF;
        if (control && !(allowLineBreaks && (b == '\t' || b == '\r' || b == '\n')))
            return i;
        ++i;
    }
    return end;
}

} // namespace

bool IsKnownMarketTag(uint16_t marketTag)
{
    return marketTag == kMarketTagSH || marketTag == kMarketTagSZ || marketTag == kMarketTagSB;
}

bool IsPlausiblePrice(double price, bool positive)
{
    if (!std::isfinite(price) || price < 0 || price > kPriceCeiling)
        return false;
    return !positive || price > 0;
}

bool IsGbkTextField(const char* field, size_t size)
{
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(field);
    size_t length = 0;
    while (length < size && bytes[length])
        ++length;
    for (size_t i = length; i < size; ++i) {
        if (bytes[i])
            return false;
    }
    const size_t whole = WholeCharacters(bytes, length, false);
    // A name cut at the field's end may lose the trail byte of its last character.
    return whole == length || (length == size && whole == length - 1 && IsLead(bytes[whole]));
}

bool IsGbkText(const uint8_t* text, size_t size)
{
    size_t length = size;
    while (length > 0 && text[length - 1] == 0)
        --length;
    return WholeCharacters(text, length, true) == length;
}

int32_t ClampRequestTime(int64_t time)
{
    if (time < 0)
        return 0;
    return time > INT32_MAX ? INT32_MAX : static_cast<int32_t>(time);
}

int64_t LatestSeriesTime()
{
    return static_cast<int64_t>(ServerTime::Get()) + 259200 + kWindowTolerance;
}
