#pragma once
// The text side of the HTTP client: URLs, redirect locations, header lines,
// numbers in headers and chunk sizes. No I/O here; CHTTP's parsing members
// (ParseUrl, ResolveLocation, FindHeaderIn) are defined beside these.
#include <cstddef>
#include <cstdint>
#include <string>

namespace HttpText {

// a[0..aLength) equals the NUL-terminated b, ASCII letters without case.
bool EqualNoCase(const char* a, size_t aLength, const char* b);
bool StartsWithNoCase(const std::string& text, const char* prefix);
bool ContainsNoCase(const std::string& text, const char* word);
// Space or tab.
bool IsBlank(char c);
bool IsDigit(char c);
// 0-15 for a hexadecimal digit of either case, -1 otherwise.
int HexValue(char c);
// A decimal number of 1 to 18 digits and nothing else.
bool ParseDecimal(const std::string& text, int64_t& value);
// Where "\r\n\r\n" starts in data[0..length), searching from from; -1 when absent.
int32_t FindHeaderEnd(const char* data, int32_t length, int32_t from);

} // namespace HttpText
