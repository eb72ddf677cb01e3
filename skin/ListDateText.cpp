#include "skin/ListDateText.h"
#include "base/Format.h"

namespace {

// The leading number of the up to `width` characters from `offset`, like
// atoi over exactly those characters; 0 past the end of the text.
WORD FieldAt(const std::string& text, size_t offset, size_t width)
{
    if (offset >= text.size())
        return 0;
    size_t end = std::min(text.size(), offset + width);
    unsigned value = 0;
    for (size_t i = offset; i < end && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10 + static_cast<unsigned>(text[i] - '0');
    return static_cast<WORD>(value);
}

}

SYSTEMTIME ParseCellDateTime(const std::string& text)
{
    SYSTEMTIME time = {};
    time.wYear = FieldAt(text, 0, 4);
    time.wMonth = FieldAt(text, 4, 2);
    time.wDay = FieldAt(text, 6, 2);
    time.wHour = FieldAt(text, 8, 2);
    time.wMinute = FieldAt(text, 10, 2);
    time.wSecond = FieldAt(text, 12, 2);
    return time;
}

std::string FormatCellDateTime(const SYSTEMTIME& time)
{
    return FormatString("%04d%02d%02d%02d%02d%02d", time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute,
        time.wSecond);
}
