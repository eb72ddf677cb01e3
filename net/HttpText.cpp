#include "net/HttpText.h"

#include <cstring>

#include "base/Format.h"
#include "base/MbcsText.h"
#include "net/HTTP.h"

namespace HttpText {

bool EqualNoCase(const char* a, size_t aLength, const char* b)
{
    const size_t bLength = std::strlen(b);
    if (aLength != bLength)
        return false;
    for (size_t i = 0; i < aLength; ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    }
    return true;
}

bool StartsWithNoCase(const std::string& text, const char* prefix)
{
    const size_t n = std::strlen(prefix);
    return text.size() >= n && EqualNoCase(text.data(), n, prefix);
}

bool ContainsNoCase(const std::string& text, const char* word)
{
    const size_t n = std::strlen(word);
    for (size_t i = 0; i + n <= text.size(); ++i) {
        if (EqualNoCase(text.data() + i, n, word))
            return true;
    }
    return false;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

int HexValue(char c)
{
    if (IsDigit(c))
        return c - '0';
    c = LowerAscii(c);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool ParseDecimal(const std::string& text, int64_t& value)
{
    if (text.empty() || text.size() > 18)
        return false;
    value = 0;
    for (char c : text) {
        if (!IsDigit(c))
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

int32_t FindHeaderEnd(const char* data, int32_t length, int32_t from)
{
    for (int32_t i = from < 0 ? 0 : from; i + 4 <= length; ++i) {
        if (data[i] == '\r' && data[i + 1] == '\n' && data[i + 2] == '\r' && data[i + 3] == '\n')
            return i;
    }
    return -1;
}

} // namespace HttpText

using namespace HttpText;

bool CHTTP::ParseUrl(const std::string& url, std::string& host, std::string& user, std::string& password,
    int32_t& port, std::string& path)
{
    port = 80;
    host.clear();
    user.clear();
    password.clear();
    path.clear();
    const size_t scheme = url.find("://");
    if (scheme == std::string::npos)
        return false;
    size_t start = scheme + 3;
    size_t slash = url.find('/', start);
    const size_t at = url.find('@', start);
    if (at != std::string::npos && (slash == std::string::npos || at < slash)) {
        const std::string credentials = url.substr(start, at - start);
        const size_t colon = credentials.find(':');
        user = credentials.substr(0, colon);
        if (colon != std::string::npos)
            password = credentials.substr(colon + 1);
        start = at + 1;
    }
    const size_t hostEnd = slash == std::string::npos ? url.size() : slash;
    const size_t colon = url.find(':', start);
    if (colon != std::string::npos && colon < hostEnd) {
        host = url.substr(start, colon - start);
        int64_t value = 0;
        if (!ParseDecimal(url.substr(colon + 1, hostEnd - colon - 1), value) || value < 1 || value > 65535)
            return false;
        port = static_cast<int32_t>(value);
    } else {
        host = url.substr(start, hostEnd - start);
    }
    if (host.empty())
        return false;
    path = slash == std::string::npos ? std::string() : url.substr(slash);
    if (path.size() <= 1)
        path = "/";
    return true;
}

bool CHTTP::ResolveLocation(const std::string& host, int32_t port, const std::string& path,
    const std::string& location, std::string& url)
{
    const std::string value = TrimText(location, " \t");
    if (value.empty())
        return false;
    if (StartsWithNoCase(value, "http://")) {
        url = value;
        return true;
    }
    if (value.compare(0, 2, "//") == 0) {
        url = "http:" + value;
        return true;
    }
    // Any other scheme ("https:", "ftp:", ...) is not ours to follow.
    size_t i = 0;
    while (i < value.size()
        && (std::isalnum(static_cast<unsigned char>(value[i])) || value[i] == '+' || value[i] == '-'
            || value[i] == '.'))
        ++i;
    if (i > 0 && i < value.size() && value[i] == ':')
        return false;

    std::string origin = "http://" + host + ":" + std::to_string(port);
    if (value[0] == '/') {
        url = origin + value;
    } else {
        std::string directory = path.substr(0, path.find('?'));
        directory = directory.substr(0, directory.rfind('/') + 1);
        if (directory.empty())
            directory = "/";
        url = origin + directory + value;
    }
    return true;
}

bool CHTTP::FindHeaderIn(const std::string& block, const char* name, std::string& value)
{
    size_t pos = 0;
    while (pos < block.size()) {
        size_t end = block.find("\r\n", pos);
        if (end == std::string::npos)
            end = block.size();
        const size_t colon = block.find(':', pos);
        if (colon != std::string::npos && colon < end && !IsBlank(block[pos])) {
            size_t nameEnd = colon;
            while (nameEnd > pos && IsBlank(block[nameEnd - 1]))
                --nameEnd;
            if (EqualNoCase(block.data() + pos, nameEnd - pos, name)) {
                value = TrimText(block.substr(colon + 1, end - colon - 1), " \t");
                return true;
            }
        }
        pos = end + 2;
    }
    return false;
}
