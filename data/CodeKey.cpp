#include "data/CodeKey.h"

#include <cstdio>

namespace {
int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}
} // namespace

CodeKey MakeCodeKey(uint16_t marketTag, const char* code, size_t maxLength)
{
    uint32_t value = 0;
    for (size_t i = 0; code && i < maxLength; ++i) {
        const int digit = HexDigit(code[i]);
        if (digit < 0)
            break;
        // Digits beyond the sixth must not spill into the market byte.
        value = ((value << 4) | static_cast<uint32_t>(digit)) & kCodeMask;
    }
    if (marketTag == kMarketTagSZ)
        value |= kMarketShenzhen;
    else if (marketTag == kMarketTagSB)
        value |= kMarketThird;
    return value;
}

CodeKey MakeCodeKey(const char* marketTag, const char* code)
{
    uint16_t tag = 0;
    if (marketTag && marketTag[0])
        tag = static_cast<uint16_t>(
            static_cast<unsigned char>(marketTag[0]) | (static_cast<unsigned char>(marketTag[1]) << 8));
    return MakeCodeKey(tag, code);
}

uint16_t MarketTagOfKey(CodeKey key)
{
    switch (MarketOfKey(key)) {
    case 0:
        return kMarketTagSH;
    case 1:
        return kMarketTagSZ;
    case 2:
        return kMarketTagSB;
    default:
        return 0;
    }
}

std::string MarketTagText(uint16_t marketTag)
{
    if (!marketTag)
        return std::string();
    std::string text;
    text += static_cast<char>(marketTag & 0xFF);
    if (marketTag >> 8)
        text += static_cast<char>(marketTag >> 8);
    return text;
}

std::string CodeOfKey(CodeKey key)
{
    char text[16];
    std::snprintf(text, sizeof(text), "%06X", static_cast<unsigned>(key & kCodeMask));
    return text;
}

int IsIndexCode(uint16_t marketTag, const std::string& code)
{
    auto startsWith = [&code](const char* prefix) {
        return code.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
    };
    if (marketTag == kMarketTagSH)
        return startsWith("000") || startsWith("1A") || startsWith("1B") || startsWith("1C");
    if (marketTag == kMarketTagSZ)
        return startsWith("39");
    return 0;
}
