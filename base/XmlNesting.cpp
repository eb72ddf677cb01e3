#include "base/XmlNesting.h"

#include <cstdint>
#include <cstring>

namespace {

// The code units of a text up to its first NUL (where the parser stops).
class Utf8Units
{
public:
    explicit Utf8Units(const std::string& text)
        : m_text(text.c_str())
        , m_size(std::strlen(m_text))
    {
    }
    size_t size() const { return m_size; }
    unsigned operator[](size_t at) const { return static_cast<unsigned char>(m_text[at]); }

private:
    const char* m_text;
    size_t m_size;
};

// UTF-16LE code units read from bytes as they lie, up to the first NUL.
class Utf16LeUnits
{
public:
    Utf16LeUnits(const uint8_t* bytes, size_t units)
        : m_bytes(bytes)
        , m_size(0)
    {
        while (m_size < units && (*this)[m_size] != 0)
            ++m_size;
    }
    size_t size() const { return m_size; }
    unsigned operator[](size_t at) const { return m_bytes[2 * at] | (static_cast<unsigned>(m_bytes[2 * at + 1]) << 8); }

private:
    const uint8_t* m_bytes;
    size_t m_size;
};

template <class Units> bool StartsWith(const Units& text, size_t at, const char* prefix)
{
    for (size_t k = 0; prefix[k]; ++k) {
        if (at + k >= text.size() || text[at + k] != static_cast<unsigned char>(prefix[k]))
            return false;
    }
    return true;
}

// The index just past the first occurrence of what at or after from, or the
// text's size when there is none.
template <class Units> size_t PastNext(const Units& text, size_t from, const char* what)
{
    for (size_t i = from; i < text.size(); ++i) {
        if (StartsWith(text, i, what))
            return i + std::strlen(what);
    }
    return text.size();
}

bool IsElementStart(unsigned c)
{
    // The parser takes every byte of a multibyte UTF-8 sequence for a letter,
    // so every unit beyond ASCII counts as one.
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 127;
}

// The walk reads tags the way the parser does and never counts less than
// it would reach: comments and CDATA run to their end marks, start tags to the
// first '>' outside a quoted value, everything else that starts with '<' to
// its first '>'. Where the parser would fail anyway (an unterminated tag), its
// depth so far is what counts. Every attribute has its '=' outside quotes, so
// those '=' are at least as many as the attributes the parser would read.
template <class Units> bool WithinLimits(const Units& text, int maxNesting, int maxAttributes)
{
    int depth = 0;
    size_t i = 0;
    const size_t end = text.size();
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
        } else if (i + 1 < end && IsElementStart(text[i + 1])) {
            size_t j = i + 1;
            unsigned quote = 0;
            int attributes = 0;
            for (; j < end; ++j) {
                const unsigned c = text[j];
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
    }
    return true;
}

} // namespace

bool XmlWithinLimits(const std::string& text, int maxNesting, int maxAttributes)
{
    return WithinLimits(Utf8Units(text), maxNesting, maxAttributes);
}

bool XmlWithinLimits(const uint8_t* utf16le, size_t units, int maxNesting, int maxAttributes)
{
    return WithinLimits(Utf16LeUnits(utf16le, units), maxNesting, maxAttributes);
}
