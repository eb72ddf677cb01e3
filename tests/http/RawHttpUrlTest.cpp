// URL parsing and redirect targets of the raw HTTP client.
#include <winsock2.h>
#include <gtest/gtest.h>
#include <cstring>
#include <string>

#include "net/DNSNameCache.h"
#include "net/HTTP.h"

namespace {

struct UrlCase
{
    const char* url;
    bool ok;
    const char* host;
    const char* user;
    const char* password;
    int32_t port;
    const char* path;
};

const UrlCase kUrlCases[] = {
    { "http://user:pw@example:8080/a/b", true, "example", "user", "pw", 8080, "/a/b" },
    { "http://example", true, "example", "", "", 80, "/" },
    { "http://example/", true, "example", "", "", 80, "/" },
    { "http://example/x?y=1&z=:2", true, "example", "", "", 80, "/x?y=1&z=:2" },
    { "http://u@h/x", true, "h", "u", "", 80, "/x" },
    { "http://u:p:q@h", true, "h", "u", "p:q", 80, "/" },
    { "http://h/a@b", true, "h", "", "", 80, "/a@b" },
    { "http://h:65535", true, "h", "", "", 65535, "/" },
    { "ftp://h:21/f", true, "h", "", "", 21, "/f" }, // the scheme is not ours to judge here
    { "example/x", false, "", "", "", 80, "" },
    { "http://h:0/", false, "h", "", "", 80, "" },
    { "http://h:65536/", false, "h", "", "", 80, "" },
    { "http://h:8o/", false, "h", "", "", 80, "" },
    { "http://h:/", false, "h", "", "", 80, "" },
    { "http://h:-1/", false, "h", "", "", 80, "" },
    { "http://:80/", false, "", "", "", 80, "" },
    { "http://", false, "", "", "", 80, "" },
};

} // namespace

TEST(RawHttpUrl, ParseUrlTable)
{
    for (const UrlCase& c : kUrlCases) {
        std::string host = "stale", user = "stale", password = "stale", path = "stale";
        int32_t port = -5;
        const bool ok = CHTTP::ParseUrl(c.url, host, user, password, port, path);
        EXPECT_EQ(ok, c.ok) << c.url;
        if (!c.ok)
            continue;
        EXPECT_EQ(host, c.host) << c.url;
        EXPECT_EQ(user, c.user) << c.url;
        EXPECT_EQ(password, c.password) << c.url;
        EXPECT_EQ(port, c.port) << c.url;
        EXPECT_EQ(path, c.path) << c.url;
    }
}

TEST(RawHttpUrl, HostsOfAnyLengthAreKept)
{
    const std::string longHost(3000, 'h');
    std::string host, user, password, path;
    int32_t port = 0;
    ASSERT_TRUE(CHTTP::ParseUrl("http://" + longHost + ":81/p", host, user, password, port, path));
    EXPECT_EQ(host, longHost);
    EXPECT_EQ(port, 81);
}

TEST(RawHttpUrl, RedirectTargets)
{
    struct Case
    {
        const char* location;
        bool follow;
        const char* url;
    };
    const Case cases[] = {
        { "/x", true, "http://example:80/x" },
        { "  /x  ", true, "http://example:80/x" },
        { "http://other:81/y", true, "http://other:81/y" },
        { "HTTP://other/y", true, "HTTP://other/y" },
        { "//other/z", true, "http://other/z" },
        { "c?d=1", true, "http://example:80/a/c?d=1" },
        { "https://other/y", false, "" },
        { "ftp://other/y", false, "" },
        { "mailto:x@y", false, "" },
        { "", false, "" },
    };
    for (const Case& c : cases) {
        std::string url;
        EXPECT_EQ(CHTTP::ResolveLocation("example", 80, "/a/b?q=1", c.location, url), c.follow) << c.location;
        if (c.follow) {
            EXPECT_EQ(url, c.url) << c.location;
        }
    }
}

TEST(RawHttpUrl, OnlyFourDecimalBytesAreTakenAsAnAddress)
{
    // Anything else goes to the name look-up, so a lax test here would connect
    // to an address the text never named.
    struct Case
    {
        const char* text;
        bool dotted;
        unsigned char bytes[4];
    };
    const Case cases[] = {
        { "127.0.0.1", true, { 127, 0, 0, 1 } },
        { "255.255.255.255", true, { 255, 255, 255, 255 } },
        { "0.0.0.0", true, { 0, 0, 0, 0 } },
        { "1.2.3", false, {} },
        { "1.2.3.4.5", false, {} },
        { "1.2.3.4.", false, {} },
        { "256.1.1.1", false, {} },
        { "1234.1.1.1", false, {} },
        { "1..3.4", false, {} },
        { "1.2.3.4 ", false, {} },
        { " 1.2.3.4", false, {} },
        { "1.2.3.-4", false, {} },
        { "1.2.3.4x", false, {} },
        { "a.b.c.d", false, {} },
        { "", false, {} },
    };
    for (const Case& c : cases) {
        unsigned char bytes[4] = { 9, 9, 9, 9 };
        EXPECT_EQ(CDNSNameCache::ParseDottedAddress(c.text, bytes), c.dotted) << c.text;
        if (c.dotted) {
            EXPECT_EQ(std::memcmp(bytes, c.bytes, 4), 0) << c.text;
        }
    }

    CDNSNameCache cache;
    std::string address;
    ASSERT_TRUE(cache.Resolve("10.20.30.40", address));
    EXPECT_EQ(address, "10.20.30.40");
    EXPECT_FALSE(cache.Resolve("", address));
    EXPECT_EQ(::WSAGetLastError(), WSAHOST_NOT_FOUND);
}
