#include "base/XmlNesting.h"

#include <cstring>

namespace {

bool StartsWith(const std::string& text, size_t at, const char* prefix)
{
    return text.compare(at, std::strlen(prefix), prefix) == 0;
}

// The index just past the first occurrence of what at or after from, or npos.
size_t PastNext(const std::string& text, size_t from, const char* what)
{
    const size_t found = text.find(what, from);
    return found == std::string::npos ? found : found + std::strlen(what);
}

bool IsElementStart(unsigned char c)
{
    // The parser takes every byte of a multibyte UTF-8 sequence for a letter.
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 127;
}

} // namespace

// The walk reads tags the way the parser does and never counts less than
// it would reach: comments and CDATA run to their end marks, start tags to the
// first '>' outside a quoted value, everything else that starts with '<' to
// its first '>'. Where the parser would fail anyway (an unterminated tag), its
// depth so far is what counts. Every attribute has its '=' outside quotes, so
// those '=' are at least as many as the attributes the parser would read.
bool XmlWithinLimits(const std::string& text, int maxNesting, int maxAttributes)
{
    int depth = 0;
    size_t i = 0;
    const size_t end = std::strlen(text.c_str()); // the parser stops at a NUL
    while (i < end) {
        if (text[i] != '<') {
            ++i;
            continue;
        }
        if (StartsWith(text, i, "<!--")) {
            i = PastNext(text, i + 4, "-->");
        } else if (StartsWith(text, i, "<![CDATA[")) {
            i = PastNext(text, i + 9, "]]>");
        } else if (i + 1 < end && text[i + 1] == '/') {
            if (depth > 0)
                --depth;
            i = PastNext(text, i + 2, ">");
        } else if (i + 1 < end && IsElementStart(static_cast<unsigned char>(text[i + 1]))) {
            size_t j = i + 1;
            char quote = 0;
            int attributes = 0;
            for (; j < end; ++j) {
                const char c = text[j];
                if (quote) {
                    if (c == quote)
                        quote = 0;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '=') {
                    if (++attributes > maxAttributes)
                        return false;
                } else if (c == '>') {
                    break;
                }
            }
            if (j >= end)
                return true;
            if (text[j - 1] != '/' && ++depth > maxNesting)
                return false;
            i = j + 1;
        } else {
            i = PastNext(text, i + 1, ">");
        }
        if (i == std::string::npos || i > end)
            return true;
    }
    return true;
}
