#pragma once
// Host-name to dotted-address look-ups, remembered for the life of the cache.
#include <string>
#include <utility>
#include <vector>

class CDNSNameCache
{
public:
    CDNSNameCache() { }
    virtual ~CDNSNameCache() { }

    // A dotted IPv4 address is returned in canonical form; a name is looked up
    // (first address) unless already known. False, with the socket error set to
    // 11001, when the name cannot be resolved.
    bool Resolve(const std::string& host, std::string& address);

    // True for text of four decimal numbers 0-255 separated by dots.
    static bool ParseDottedAddress(const std::string& text, unsigned char bytes[4]);

private:
    CDNSNameCache(const CDNSNameCache&) = delete;
    CDNSNameCache& operator=(const CDNSNameCache&) = delete;

    std::vector<std::pair<std::string, std::string>> m_entries;
};
