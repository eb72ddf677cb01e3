#include "base/ExchangeTime.h"

namespace {

int64_t FloorDiv(int64_t a, int64_t b)
{
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

// Days since 1970-01-01 of a proleptic Gregorian date (month 1-12).
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day)
{
    year -= month <= 2 ? 1 : 0;
    const int64_t era = FloorDiv(year, 400);
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

} // namespace

std::tm SplitExchangeTime(int32_t t)
{
    const int64_t local = t > 0 ? static_cast<int64_t>(t) + kExchangeUtcOffset : 0;
    const int64_t days = FloorDiv(local, 86400);
    const int64_t secondsOfDay = local - days * 86400;

    // Civil date from a day count (inverse of DaysFromCivil).
    const int64_t z = days + 719468;
    const int64_t era = FloorDiv(z, 146097);
    const int64_t dayOfEra = z - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t mp = (5 * dayOfYear + 2) / 153;
    const int64_t day = dayOfYear - (153 * mp + 2) / 5 + 1;
    const int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);

    std::tm out = {};
    out.tm_year = static_cast<int>(year - 1900);
    out.tm_mon = static_cast<int>(month - 1);
    out.tm_mday = static_cast<int>(day);
    out.tm_hour = static_cast<int>(secondsOfDay / 3600);
    out.tm_min = static_cast<int>(secondsOfDay % 3600 / 60);
    out.tm_sec = static_cast<int>(secondsOfDay % 60);
    // 1970-01-01 was a Thursday.
    out.tm_wday = static_cast<int>(days + 4 - FloorDiv(days + 4, 7) * 7);
    out.tm_yday = static_cast<int>(days - DaysFromCivil(year, 1, 1));
    out.tm_isdst = 0;
    return out;
}

int32_t MakeExchangeTime(int year, int month, int day, int hour, int minute, int second)
{
    // Months carry into years first, then everything else is plain seconds.
    const int64_t monthIndex = static_cast<int64_t>(month) - 1;
    const int64_t fullYear = static_cast<int64_t>(year) + FloorDiv(monthIndex, 12);
    const int64_t monthOfYear = monthIndex - FloorDiv(monthIndex, 12) * 12 + 1;
    const int64_t days = DaysFromCivil(fullYear, monthOfYear, 1) + static_cast<int64_t>(day) - 1;
    const int64_t seconds = days * 86400 + static_cast<int64_t>(hour) * 3600
        + static_cast<int64_t>(minute) * 60 + second - kExchangeUtcOffset;
    if (seconds < 0 || seconds > INT32_MAX)
        return -1;
    return static_cast<int32_t>(seconds);
}
