#include "net/DNSNameCache.h"

#include <winsock2.h>
#include <cstdio>
#include <cstring>

#include "net/SocketUtil.h"

namespace {

std::string FormatAddress(const unsigned char* b)
{
    char text[16];
    std::snprintf(text, sizeof(text), "%d.%d.%d.%d", b[0], b[1], b[2], b[3]);
    return text;
}

bool EndsWithNoCase(const std::string& text, const char* suffix)
{
    const size_t n = std::strlen(suffix);
    if (text.size() < n)
        return false;
    for (size_t i = 0; i < n; ++i) {
        char c = text[text.size() - n + i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != suffix[i])
            return false;
    }
    return true;
}

// Names under "invalid" never exist (RFC 6761): answering at once keeps a
// look-up of such a name from ever leaving the machine.
bool IsReservedInvalidName(const std::string& host)
{
    std::string name = "." + host;
    if (name.back() == '.')
        name.pop_back();
    return EndsWithNoCase(name, ".invalid");
}

} // namespace

bool CDNSNameCache::ParseDottedAddress(const std::string& text, unsigned char bytes[4])
{
    size_t pos = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (pos >= text.size() || text[pos] != '.')
                return false;
            ++pos;
        }
        int value = 0;
        size_t digits = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits < 4) {
            value = value * 10 + (text[pos] - '0');
            ++pos;
            ++digits;
        }
        if (digits == 0 || digits > 3 || value > 255)
            return false;
        bytes[part] = static_cast<unsigned char>(value);
    }
    return pos == text.size();
}

bool CDNSNameCache::Resolve(const std::string& host, std::string& address)
{
    unsigned char bytes[4];
    if (ParseDottedAddress(host, bytes)) {
        address = FormatAddress(bytes);
        return true;
    }
    for (const auto& entry : m_entries) {
        if (entry.first == host) {
            address = entry.second;
            return true;
        }
    }
    if (host.empty() || IsReservedInvalidName(host)) {
        ::OutputDebugStringA("Could not find host\n");
        ::WSASetLastError(WSAHOST_NOT_FOUND);
        return false;
    }

    WSADATA data;
    if (::WSAStartup(MAKEWORD(1, 1), &data) != 0) {
        ::OutputDebugStringA("Could not open Windows connection\n");
        return false;
    }
    bool found = false;
    { // the socket is closed before the clean-up
        CAutoPtrSocket s(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
        if (s.IsNull()) {
            ::OutputDebugStringA("Could not open socket.\n");
        } else {
            const hostent* entry = ::gethostbyname(host.c_str());
            if (entry && entry->h_addrtype == AF_INET && entry->h_length == 4 && entry->h_addr_list
                && entry->h_addr_list[0]) {
                address = FormatAddress(reinterpret_cast<const unsigned char*>(entry->h_addr_list[0]));
                m_entries.emplace_back(host, address);
                found = true;
            } else {
                ::OutputDebugStringA("Could not find host\n");
            }
        }
    }
    ::WSACleanup();
    if (!found)
        ::WSASetLastError(WSAHOST_NOT_FOUND);
    return found;
}
