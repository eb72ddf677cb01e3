#include "base/MbcsText.h"
#include "base/UnicodeString.h"

size_t MbcsCharSize(const char* text, size_t length, size_t pos)
{
    if (pos >= length)
        return 0;
    if (IsGbkLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < length)
        return 2;
    return 1;
}

size_t MbcsCharCount(const std::string& text)
{
    size_t count = 0;
    for (size_t pos = 0; pos < text.size(); pos += MbcsCharSize(text, pos))
        ++count;
    return count;
}

size_t MbcsPrefixLength(const char* text, size_t length, size_t maxBytes)
{
    size_t end = 0;
    while (end < length) {
        size_t next = end + MbcsCharSize(text, length, end);
        if (next > maxBytes)
            break;
        end = next;
    }
    return end;
}

std::string MbcsTruncate(const std::string& text, size_t maxBytes)
{
    return text.substr(0, MbcsPrefixLength(text.data(), text.size(), maxBytes));
}

size_t MbcsFind(const std::string& text, const std::string& what, size_t from)
{
    if (what.empty())
        return std::string::npos;
    for (size_t pos = from; pos < text.size(); pos += MbcsCharSize(text, pos)) {
        if (text.compare(pos, what.size(), what) == 0)
            return pos;
    }
    return std::string::npos;
}

bool MbcsStartsWithNoCase(const std::string& text, const std::string& prefix)
{
    if (prefix.size() > text.size())
        return false;
    size_t pos = 0;
    while (pos < prefix.size()) {
        size_t size = MbcsCharSize(prefix, pos);
        if (size == 2) {
            // The second byte of a character may be an ASCII letter: compare exactly.
            if (text.compare(pos, 2, prefix, pos, 2) != 0)
                return false;
        } else if (LowerAscii(text[pos]) != LowerAscii(prefix[pos]) || MbcsCharSize(text, pos) != 1) {
            return false;
        }
        pos += size;
    }
    return true;
}

int MbcsCompare(const std::string& a, const std::string& b)
{
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}
