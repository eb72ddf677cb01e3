#include "base/Format.h"

#include <windows.h>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <ctime>

#include "base/ExchangeTime.h"
#include "base/MbcsText.h"
#include "base/UnicodeString.h"

std::string FormatString(const char* format, ...)
{
    if (!format)
        return std::string();
    char stackBuffer[256];
    va_list args;
    va_start(args, format);
    const int needed = std::vsnprintf(stackBuffer, sizeof(stackBuffer), format, args);
    va_end(args);
    if (needed < 0)
        return std::string();
    if (static_cast<size_t>(needed) < sizeof(stackBuffer))
        return std::string(stackBuffer, static_cast<size_t>(needed));
    std::string out(static_cast<size_t>(needed) + 1, '\0');
    va_start(args, format);
    std::vsnprintf(&out[0], out.size(), format, args);
    va_end(args);
    out.resize(static_cast<size_t>(needed));
    return out;
}

std::string FormatDecimal(double value, int decimals)
{
    if (decimals < 0 || decimals > 6)
        decimals = 2;
    return FormatString("%.*f", decimals, value);
}

namespace {

bool HasOnlyZeroDigits(const std::string& text)
{
    for (char c : text) {
        if (c >= '1' && c <= '9')
            return false;
    }
    return true;
}

} // namespace

std::string FormatLargeNumber(double value, const char* zeroText)
{
    if (zeroText && value == 0.0)
        return zeroText;
    const bool negative = value < 0.0;
    const double magnitude = std::fabs(value); // also turns -0.0 into 0
    std::string text;
    if (magnitude > 100000000.0)
        text = FormatString("%.2f亿", magnitude / 100000000.0);
    else if (magnitude > 10000.0)
        text = FormatString("%.2f万", magnitude / 10000.0);
    else if (magnitude - std::trunc(magnitude) < 0.0001)
        text = FormatString("%.0f", magnitude);
    else
        text = FormatString("%.2f", magnitude);
    // A magnitude that rounds to nothing shows as a plain zero, never "-0".
    if (negative && !HasOnlyZeroDigits(text))
        text.insert(text.begin(), '-');
    return text;
}

std::string FormatThousandsAmount(double thousands, const char* zeroText)
{
    return FormatLargeNumber(thousands * 1000.0, zeroText);
}

const char* GetPeriodName(int period)
{
    static const char* const kNames[] = { "五分钟线", "十分钟线", "十五分钟线", "三十分钟线", "六十分钟线",
        "日线", "周线", "月线", "季线", "年线" };
    if (period < 1 || period > 10)
        return "未知";
    return kNames[period - 1];
}

std::string FormatTime(int32_t t, const char* pattern)
{
    if (!pattern || !*pattern)
        return std::string();
    const std::tm fields = SplitExchangeTime(t);
    char buffer[128];
    const size_t n = std::strftime(buffer, sizeof(buffer), pattern, &fields);
    if (n == 0)
        return std::string();
    return std::string(buffer, n);
}

std::string GetWeekdayName(int32_t t, const char* pattern)
{
    static const char* const kWeekdays[]
        = { "星期日", "星期一", "星期二", "星期三", "星期四", "星期五", "星期六" };
    if (!pattern || !*pattern)
        return std::string();
    const std::tm fields = SplitExchangeTime(t);
    return FormatTime(t, pattern) + kWeekdays[fields.tm_wday];
}

int32_t MakeLocalTime(int year, int month, int day, int hour, int minute, int second, int isDst)
{
    (void)isDst;
    const int32_t t = MakeExchangeTime(year, month, day, hour, minute, second);
    if (t < 0)
        return static_cast<int32_t>(std::time(nullptr));
    return t;
}

int SplitString(const std::string& text, const std::string& delimiter, std::vector<std::string>& out)
{
    // Occurrences are looked for only where a character starts, and never overlap.
    std::vector<size_t> found;
    if (!delimiter.empty()) {
        size_t i = 0;
        while (i < text.size()) {
            if (text.compare(i, delimiter.size(), delimiter) == 0) {
                found.push_back(i);
                i += delimiter.size();
                continue;
            }
            i += MbcsCharSize(text, i);
        }
    }
    if (found.empty()) {
        out.push_back(text);
        return 0;
    }
    size_t pieceStart = 0;
    for (size_t at : found) {
        if (at > pieceStart)
            out.push_back(text.substr(pieceStart, at - pieceStart));
        pieceStart = at + delimiter.size();
    }
    if (pieceStart < text.size())
        out.push_back(text.substr(pieceStart));
    return static_cast<int>(found.size());
}

std::string ConvertReplyCodePage(const char* reply)
{
    if (!reply || !*reply)
        return std::string();
    return WideToGbk(MultiByteToWideString(reply, CP_UTF8));
}

std::string TrimText(const std::string& text, const char* characters)
{
    const size_t first = text.find_first_not_of(characters);
    if (first == std::string::npos)
        return std::string();
    const size_t last = text.find_last_not_of(characters);
    return text.substr(first, last - first + 1);
}
