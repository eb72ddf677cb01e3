#pragma once
// Numbers in definition texts: plain decimal, read up to the first character
// that does not belong to the number, the same on every machine whatever its
// locale. Hexadecimal, "inf" and "nan" are not numbers here.
#include <cstdint>

// Optional spaces, an optional sign, decimal digits: "07" is 7, "12abc" is 12,
// "abc" and an empty or null text are 0. Values beyond 32 bits saturate.
int32_t ParseLeadingInt(const wchar_t* text);

// Optional spaces, an optional sign, digits with an optional fraction and an
// optional decimal exponent: "2.5x" is 2.5, ".5" is 0.5, "1e2" is 100, "abc"
// is 0. The result is always finite: a magnitude beyond the double range
// gives 0, as for a text that is no number.
double ParseLeadingDecimal(const wchar_t* text);
