#include "data/ReplyChecks.h"

#include <algorithm>
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
bool IsFourByteDigit(uint8_t b)
{
    return b >= 0x30 && b <= 0x39;
}
bool IsLineBreak(uint8_t b)
{
    return b == '\r' || b == '\n';
}

// Bytes of the character at pos of text's end bytes: 1, 2 or 4; 0 where no
// character starts. A lead byte alone before a line break or at the end is a
// character cut in two, and counts as one byte.
size_t CharacterAt(const uint8_t* text, size_t end, size_t pos)
{
    const uint8_t b = text[pos];
    if (b == 0 || b == 0xFF)
        return 0;
    if (!IsLead(b))
        return 1;
    if (pos + 1 >= end || IsLineBreak(text[pos + 1]))
        return 1;
    if (IsTrail(text[pos + 1]))
        return 2;
    if (IsFourByteDigit(text[pos + 1]) && pos + 3 < end && IsLead(text[pos + 2]) && IsFourByteDigit(text[pos + 3]))
        return 4;
    return 0;
}

bool IsText(const uint8_t* text, size_t end)
{
    for (size_t i = 0; i < end;) {
        const size_t step = CharacterAt(text, end, i);
        if (!step)
            return false;
        i += step;
    }
    return true;
}

} // namespace

bool IsKnownMarketTag(uint16_t marketTag)
{
    return marketTag == kMarketTagSH || marketTag == kMarketTagSZ || marketTag == kMarketTagSB;
}

RecordVerdict VerdictOfMarketTag(uint16_t marketTag)
{
    if (IsKnownMarketTag(marketTag))
        return RecordVerdict::kTaken;
    const char first = static_cast<char>(marketTag & 0xFF);
    const char second = static_cast<char>(marketTag >> 8);
    const bool letters = first >= 'A' && first <= 'Z' && second >= 'A' && second <= 'Z';
    return letters ? RecordVerdict::kOdd : RecordVerdict::kNotARecord;
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
    return IsText(bytes, length);
}

bool IsGbkText(const uint8_t* text, size_t size)
{
    size_t length = size;
    while (length > 0 && text[length - 1] == 0)
        --length;
    return IsText(text, length);
}

std::string WithoutCutCharacters(const uint8_t* text, size_t size)
{
    std::string out;
    out.reserve(size);
    for (size_t i = 0; i < size;) {
        const size_t step = std::max<size_t>(CharacterAt(text, size, i), 1);
        if (!(step == 1 && IsLead(text[i])))
            out.append(reinterpret_cast<const char*>(text + i), step);
        i += step;
    }
    return out;
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
