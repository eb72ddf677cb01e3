// The servers "run.ini" may name instead of the built-in local defaults.
#include "app/ServerSettings.h"
#include "base/GlobalDefaults.h"
#include "net/ServiceBaseUrl.h"
#include "tests/support/TempDirectory.h"
#include <gtest/gtest.h>

TEST(ServerSettings, ReadsValidValuesAndIgnoresTheRest)
{
    struct Case
    {
        const char* ini;
        const char* address;
        uint16_t port;
        const char* url;
    };
    const Case cases[] = {
        { "", "", 0, "" },
        { "[Servers]\r\nQuoteAddress=10.1.2.3\r\nQuotePort=50002\r\nServiceUrl=http://127.0.0.1:8123/\r\n",
            "10.1.2.3", 50002, "http://127.0.0.1:8123/" },
        { "[Servers]\r\nQuoteAddress=10.1.2\r\nQuotePort=0\r\nServiceUrl=ftp://x/\r\n", "", 0, "" },
        { "[Servers]\r\nQuoteAddress=256.1.1.1\r\nQuotePort=65536\r\nServiceUrl=http://a b/\r\n", "", 0, "" },
        { "[Servers]\r\nQuoteAddress=host.example\r\nQuotePort=-1\r\nServiceUrl=http://\r\n", "", 0, "" },
        { "[Global]\r\nQuotePort=7709\r\n", "", 0, "" },
    };
    for (const Case& c : cases) {
        TempDirectory dir("srv");
        ASSERT_TRUE(dir.WriteFile("run.ini", c.ini));
        const ServerSettings settings = ReadServerSettings(dir.File("run.ini"));
        EXPECT_EQ(settings.quoteAddress, c.address) << c.ini;
        EXPECT_EQ(settings.quotePort, c.port) << c.ini;
        EXPECT_EQ(settings.serviceUrl, c.url) << c.ini;
    }
}

TEST(ServerSettings, ApplyingSetsOnlyWhatIsNamed)
{
    const std::string oldAddress = QuoteServerAddress::Get();
    const uint16_t oldPort = QuoteServerPort::Get();
    const std::string oldUrl = ServiceBaseUrl::Get();

    ServerSettings portOnly;
    portOnly.quotePort = 7709;
    ApplyServerSettings(portOnly);
    EXPECT_EQ(QuoteServerPort::Get(), 7709);
    EXPECT_EQ(QuoteServerAddress::Get(), oldAddress);
    EXPECT_EQ(ServiceBaseUrl::Get(), oldUrl);

    ServerSettings all;
    all.quoteAddress = "127.0.0.2";
    all.quotePort = 50002;
    all.serviceUrl = "http://127.0.0.1:9000";
    ApplyServerSettings(all);
    EXPECT_EQ(QuoteServerAddress::Get(), "127.0.0.2");
    EXPECT_EQ(QuoteServerPort::Get(), 50002);
    EXPECT_EQ(ServiceBaseUrl::Get(), "http://127.0.0.1:9000/") << "the base URL always ends in a slash";

    QuoteServerAddress::Set(oldAddress);
    QuoteServerPort::Set(oldPort);
    ServiceBaseUrl::Set(oldUrl);
}
