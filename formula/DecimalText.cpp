#include "formula/DecimalText.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

bool IsDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

const wchar_t* SkipSpaces(const wchar_t* p)
{
    while (*p == L' ' || *p == L'\t' || *p == L'\r' || *p == L'\n')
        ++p;
    return p;
}

// Reads an optional sign; true for a minus.
bool ReadSign(const wchar_t*& p)
{
    if (*p == L'+' || *p == L'-')
        return *p++ == L'-';
    return false;
}

} // namespace

int32_t ParseLeadingInt(const wchar_t* text)
{
    if (!text)
        return 0;
    const wchar_t* p = SkipSpaces(text);
    const bool negative = ReadSign(p);
    // One past the largest magnitude: enough to saturate either way.
    const int64_t limit = static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1;
    int64_t magnitude = 0;
    for (; IsDigit(*p); ++p) {
        magnitude = magnitude * 10 + (*p - L'0');
        if (magnitude > limit)
            magnitude = limit;
    }
    if (negative)
        return static_cast<int32_t>(-magnitude);
    return static_cast<int32_t>(magnitude >= limit ? limit - 1 : magnitude);
}

double ParseLeadingDecimal(const wchar_t* text)
{
    if (!text)
        return 0.0;
    const wchar_t* p = SkipSpaces(text);
    const bool negative = ReadSign(p);

    // Up to 19 significant digits are exact in 64 bits; further digits only
    // move the decimal exponent.
    uint64_t mantissa = 0;
    int significant = 0;
    int64_t exponent = 0;
    bool anyDigit = false;
    for (; IsDigit(*p); ++p) {
        anyDigit = true;
        if (significant < 19) {
            mantissa = mantissa * 10 + static_cast<uint64_t>(*p - L'0');
            if (mantissa != 0)
                ++significant;
        } else {
            ++exponent;
        }
    }
    if (*p == L'.') {
        ++p;
        for (; IsDigit(*p); ++p) {
            anyDigit = true;
            if (significant < 19) {
                mantissa = mantissa * 10 + static_cast<uint64_t>(*p - L'0');
                if (mantissa != 0)
                    ++significant;
                --exponent;
            }
        }
    }
    if (!anyDigit)
        return 0.0;
    // An exponent counts only when digits follow its letter and sign.
    if (*p == L'e' || *p == L'E') {
        const wchar_t* q = p + 1;
        const bool negativeExponent = ReadSign(q);
        if (IsDigit(*q)) {
            int64_t written = 0;
            for (; IsDigit(*q); ++q) {
                if (written < 100000)
                    written = written * 10 + (*q - L'0');
            }
            exponent += negativeExponent ? -written : written;
        }
    }
    if (mantissa == 0)
        return 0.0;
    if (exponent < -400 || exponent > 400)
        return 0.0;
    // Powers of ten up to 10^22 are exact doubles, so each step rounds once:
    // everyday texts like "2.5" come out exact, long ones within an ulp or two.
    static const double kExactPowers[] = { 1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12,
        1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22 };
    double value = static_cast<double>(mantissa);
    int64_t left = exponent < 0 ? -exponent : exponent;
    while (left > 0) {
        const int64_t step = left > 22 ? 22 : left;
        value = exponent < 0 ? value / kExactPowers[step] : value * kExactPowers[step];
        left -= step;
    }
    if (!std::isfinite(value))
        return 0.0;
    return negative ? -value : value;
}
