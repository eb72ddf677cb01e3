#include "base/Base64.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

const char kStandardAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
const char kUrlAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
const size_t kLineLength = 72;

// Characters the standard encoding of length bytes takes, with one line feed
// per started line when lineLength is not 0; false when it would not fit a size_t.
bool StandardEncodedLength(size_t length, size_t lineLength, size_t* chars)
{
    const uint64_t groups = (static_cast<uint64_t>(length) + 2) / 3;
    uint64_t total = groups * 4;
    if (lineLength)
        total += (total + lineLength - 1) / lineLength;
    if (total >= SIZE_MAX)
        return false;
    *chars = static_cast<size_t>(total);
    return true;
}

// Writes the standard encoding to out (room from StandardEncodedLength);
// returns the characters written.
size_t EncodeStandard(const unsigned char* in, size_t length, size_t lineLength, char* out)
{
    size_t written = 0;
    size_t onLine = 0;
    auto put = [&](char c) {
        out[written++] = c;
        if (lineLength && ++onLine == lineLength) {
            out[written++] = '\n';
            onLine = 0;
        }
    };
    size_t i = 0;
    for (; i + 3 <= length; i += 3) {
        const uint32_t v = (uint32_t(in[i]) << 16) | (uint32_t(in[i + 1]) << 8) | in[i + 2];
        put(kStandardAlphabet[(v >> 18) & 63]);
        put(kStandardAlphabet[(v >> 12) & 63]);
        put(kStandardAlphabet[(v >> 6) & 63]);
        put(kStandardAlphabet[v & 63]);
    }
    const size_t rest = length - i;
    if (rest) {
        const uint32_t v = (uint32_t(in[i]) << 16) | (rest == 2 ? uint32_t(in[i + 1]) << 8 : 0);
        put(kStandardAlphabet[(v >> 18) & 63]);
        put(kStandardAlphabet[(v >> 12) & 63]);
        put(rest == 2 ? kStandardAlphabet[(v >> 6) & 63] : '=');
        put('=');
    }
    if (lineLength && onLine)
        out[written++] = '\n';
    return written;
}

} // namespace

char* CUrlBase64::Encode(const void* data, size_t length, size_t* outLength)
{
    if (outLength)
        *outLength = 0;
    if (!data && length)
        return nullptr;
    size_t chars = 0;
    if (!StandardEncodedLength(length, kLineLength, &chars))
        return nullptr;
    char* out = static_cast<char*>(std::malloc(chars + 1));
    if (!out)
        return nullptr;
    const size_t written = EncodeStandard(static_cast<const unsigned char*>(data), length, kLineLength, out);
    out[written] = '\0';
    if (outLength)
        *outLength = written;
    return out;
}

unsigned char* CUrlBase64::Decode(const char* text, size_t length, size_t* outLength)
{
    if (outLength)
        *outLength = 0;
    if (!text && length)
        return nullptr;
    const signed char kNotInAlphabet = -1;
    signed char table[256];
    std::memset(table, kNotInAlphabet, sizeof(table));
    for (int v = 0; v < 64; ++v)
        table[static_cast<unsigned char>(kStandardAlphabet[v])] = static_cast<signed char>(v);
    table[static_cast<unsigned char>('=')] = 0;

    const unsigned char* in = reinterpret_cast<const unsigned char*>(text);
    size_t count = 0;
    for (size_t i = 0; i < length; ++i) {
        if (table[in[i]] != kNotInAlphabet)
            ++count;
    }
    if (count % 4 != 0)
        return nullptr;
    const size_t capacity = count / 4 * 3;
    unsigned char* out = static_cast<unsigned char*>(std::calloc(capacity + 1, 1));
    if (!out)
        return nullptr;

    size_t written = 0;
    unsigned char group[4];
    size_t inGroup = 0;
    bool thirdWasPad = false;
    bool fourthWasPad = false;
    for (size_t i = 0; i < length; ++i) {
        if (table[in[i]] == kNotInAlphabet)
            continue;
        group[inGroup++] = in[i];
        if (inGroup < 4)
            continue;
        const uint32_t v = (uint32_t(table[group[0]]) << 18) | (uint32_t(table[group[1]]) << 12)
            | (uint32_t(table[group[2]]) << 6) | uint32_t(table[group[3]]);
        out[written++] = static_cast<unsigned char>(v >> 16);
        out[written++] = static_cast<unsigned char>(v >> 8);
        out[written++] = static_cast<unsigned char>(v);
        thirdWasPad = group[2] == '=';
        fourthWasPad = group[3] == '=';
        inGroup = 0;
    }
    // Padding is judged on the last group only; with no group there is nothing to drop.
    if (written >= 3) {
        if (thirdWasPad)
            written -= 2;
        else if (fourthWasPad)
            written -= 1;
    }
    if (outLength)
        *outLength = written;
    return out;
}

char* Base64EncodeToString(const void* data, size_t length, size_t* outLength)
{
    size_t n = 0;
    char* text = CUrlBase64::Encode(data, length, &n);
    if (!text)
        return nullptr;
    for (size_t i = 0; i < n; ++i) {
        switch (text[i]) {
        case '+':
            text[i] = '!';
            break;
        case '/':
            text[i] = '_';
            break;
        case '=':
            text[i] = '-';
            break;
        default:
            break;
        }
    }
    if (outLength)
        *outLength = n;
    return text;
}

int Base64Encode(const void* data, size_t length, char* buffer, size_t bufferSize)
{
    if ((!data && length) || (!buffer && bufferSize))
        return -1;
    const unsigned char* in = static_cast<const unsigned char*>(data);
    size_t written = 0;
    auto put = [&](char c) {
        if (written >= bufferSize || written >= static_cast<size_t>(INT32_MAX))
            return false;
        buffer[written++] = c;
        return true;
    };
    uint32_t bits = 0;
    int bitCount = 0;
    for (size_t i = 0; i < length; ++i) {
        bits = (bits << 8) | in[i];
        bitCount += 8;
        while (bitCount >= 6) {
            bitCount -= 6;
            if (!put(kUrlAlphabet[(bits >> bitCount) & 63]))
                return -1;
        }
    }
    if (bitCount > 0 && !put(kUrlAlphabet[(bits << (6 - bitCount)) & 63]))
        return -1;
    if (!put('='))
        return -1;
    return static_cast<int>(written);
}

std::string Base64EncodeStandard(const void* data, size_t length)
{
    size_t chars = 0;
    if ((!data && length) || !StandardEncodedLength(length, 0, &chars))
        return std::string();
    std::string out(chars, '\0');
    if (chars)
        out.resize(EncodeStandard(static_cast<const unsigned char*>(data), length, 0, &out[0]));
    return out;
}
