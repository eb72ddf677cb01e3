#include "base/PercentEncode.h"

std::string PercentEncode(const std::string& text)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z')
            || (byte >= '0' && byte <= '9') || byte == '-' || byte == '_' || byte == '.' || byte == '~';
        if (plain) {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
    return out;
}
