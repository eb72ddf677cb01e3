#pragma once
// Market time is exchange time, UTC+8, whatever the computer's time zone.
#include <cstdint>
#include <ctime>

// Seconds the exchange's clock is ahead of UTC.
static const int32_t kExchangeUtcOffset = 28800;

// Calendar fields of a time in exchange time, as struct tm (tm_year from 1900,
// tm_mon 0-11, tm_wday 0 = Sunday, tm_yday, tm_isdst 0). A time of 0 or less
// splits as 1970-01-01 00:00, as every calendar split of the market data does.
std::tm SplitExchangeTime(int32_t t);

// The time of an exchange-time date and time (month 1-12). Fields out of their
// range carry over as mktime does (day 0 is the last day of the month before,
// hour 24 the next day). Returns -1 when the result is before 1970-01-01 00:00
// UTC or does not fit a 32-bit time.
int32_t MakeExchangeTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
