#pragma once
// CodeKey: one security as market << 24 | its six code characters read as
// hexadecimal digits ("1A0001" is 0x1A0001, Shenzhen "000001" 0x01000001).
#include <cstddef>
#include <cstdint>
#include <string>

typedef uint32_t CodeKey;

// Market tags: two ASCII characters, the first in the low byte.
const uint16_t kMarketTagSH = 'S' | ('H' << 8); // market 0
const uint16_t kMarketTagSZ = 'S' | ('Z' << 8); // market 1
const uint16_t kMarketTagSB = 'S' | ('B' << 8); // market 2

const uint32_t kMarketShenzhen = 0x1000000;
const uint32_t kMarketThird = 0x2000000;
const uint32_t kCodeMask = 0xFFFFFF;

inline uint32_t MarketOfKey(CodeKey key)
{
    return key >> 24;
}

// The code text read as hexadecimal up to the first other character (at most
// maxLength bytes; longer codes keep their low 24 bits), ORed with the market
// of the tag: "SZ" 0x1000000, "SB" 0x2000000, anything else 0.
CodeKey MakeCodeKey(uint16_t marketTag, const char* code, size_t maxLength = static_cast<size_t>(-1));
CodeKey MakeCodeKey(const char* marketTag, const char* code);

// "SH" below 0x1000000, "SZ" up to 0x1FFFFFF, "SB" up to 0x2FFFFFF, else 0.
uint16_t MarketTagOfKey(CodeKey key);
// The tag as two characters; empty for no tag.
std::string MarketTagText(uint16_t marketTag);
// "%06X" of the low 24 bits.
std::string CodeOfKey(CodeKey key);
// Shanghai codes beginning "000", "1A", "1B" or "1C"; Shenzhen codes beginning "39".
int IsIndexCode(uint16_t marketTag, const std::string& code);
