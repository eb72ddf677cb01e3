#pragma once
// The texts the views show for numbers, periods and times, and the splitting
// and conversion of server reply text. All 8-bit text is code page 936.
#include <cstdint>
#include <string>
#include <vector>

// printf into a std::string of whatever length the result needs.
std::string FormatString(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// The value with 0, 1, 3, 4, 5 or 6 decimals; 2 and any other count give 2.
std::string FormatDecimal(double value, int decimals);

// Volumes and amounts: "1.23亿" above 1e8, "1.50万" above 1e4, otherwise whole
// numbers without decimals and others with two. A negative value gets the same
// rules on its magnitude with the sign in front, and the text is never "-0".
// An exact 0 gives zeroText when one is given.
std::string FormatLargeNumber(double value, const char* zeroText = nullptr);
// An amount the quotes and ticks carry in thousands, written as money in the
// units of FormatLargeNumber.
std::string FormatThousandsAmount(double thousands, const char* zeroText = nullptr);

// Name of a chart period code 1-10 ("五分钟线" ... "年线"), "未知" otherwise.
const char* GetPeriodName(int period);

// The time in exchange time (UTC+8, see ExchangeTime.h) formatted with a
// strftime pattern into at most 127 bytes; "" when formatting fails.
std::string FormatTime(int32_t t, const char* pattern);

// FormatTime followed directly by the weekday ("星期日" ... "星期六");
// "" for an empty or missing pattern.
std::string GetWeekdayName(int32_t t, const char* pattern);

// The time of an exchange-time date and time (month 1-12); the current time
// when it cannot be represented. Exchange time has no daylight saving, so
// isDst is accepted for the callers' sake and has no effect.
int32_t MakeLocalTime(int year, int month, int day, int hour, int minute, int second, int isDst = -1);

// Splits text at every occurrence of delimiter, found character by character
// (a GBK lead byte 0x81-0xFE takes two bytes, so a delimiter never matches
// inside a character). Appends the non-empty pieces to out and returns the
// number of occurrences; with none (or an empty delimiter) appends the whole
// text, even when it is empty, and returns 0.
int SplitString(const std::string& text, const std::string& delimiter, std::vector<std::string>& out);

// The text without the given characters at either end (by default space, tab,
// CR, LF, VT, FF). GBK trail bytes are never ASCII white space, so trimming
// byte by byte is safe.
std::string TrimText(const std::string& text, const char* characters = " \t\r\n\v\f");

// HTTP reply text: UTF-8 converted to code page 936; "" for null.
std::string ConvertReplyCodePage(const char* reply);
