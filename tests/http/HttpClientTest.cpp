// The download facade: path choice, proxy settings, status handling and the
// transfer lock, against the scripted server over loopback TCP and Wine's WinINet.
#include <winsock2.h>
#include <gtest/gtest.h>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "base/MemoryStream.h"
#include "net/HttpClient.h"
#include "tools/websim/WebSimServer.h"

namespace {

std::string StreamText(const CMemoryStream& stream)
{
    return std::string(
        reinterpret_cast<const char*>(stream.GetBuffer()), static_cast<size_t>(stream.GetSize()));
}

class HttpClientFacade : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.Start());
        client.GetRawClient().SetWaitTimeout(2000);
    }
    void TearDown() override { server.Stop(); }

    // A stream that holds something, so that a failure must empty it.
    void Prefill(CMemoryStream& stream) { stream.Write("old contents", 12); }

    WebSimServer server;
    HttpClient client;
    char scratch[64];
};

} // namespace

TEST(HttpClientProxy, BuildProxyStringTable)
{
    struct Case
    {
        int32_t type;
        const char* host;
        int32_t port;
        const char* text;
    };
    const Case cases[] = {
        { 3, "10.0.0.1", 8080, "http=10.0.0.1:8080" },
        { 2, "10.0.0.1", 8080, "socks=10.0.0.1:8080" },
        { 1, "proxy.example", 1080, "socks=proxy.example:1080" },
        { 0, "10.0.0.1", 8080, "10.0.0.1:8080" },
        { 7, "h", 1, "h:1" },
        { 3, "", 8080, "" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(HttpClient::BuildProxyString(c.type, c.host, c.port), c.text) << c.type << " " << c.host;
}

TEST(HttpClientProxy, SetFollowsTheModeTable)
{
    ProxySettings settings;
    EXPECT_EQ(settings.Get().accessType, 1); // direct until told otherwise

    EXPECT_EQ(settings.Set(3, 3, "proxy", 8080, "u", "p"), 1);
    ProxySettings::Values v = settings.Get();
    EXPECT_EQ(v.accessType, 3);
    EXPECT_EQ(v.proxyType, 3);
    EXPECT_EQ(v.host, "proxy");
    EXPECT_EQ(v.port, 8080);
    EXPECT_EQ(v.user, "u");
    EXPECT_EQ(v.password, "p");

    // Mode 3 without a host falls back to the system settings and keeps the old proxy.
    EXPECT_EQ(settings.Set(3, 1, "", 9, "x", "y"), 0);
    v = settings.Get();
    EXPECT_EQ(v.accessType, 0);
    EXPECT_EQ(v.proxyType, 1);
    EXPECT_EQ(v.host, "proxy");
    EXPECT_EQ(v.port, 8080);
    EXPECT_EQ(v.user, "u");
    EXPECT_EQ(settings.Set(3, 2, nullptr, 9, nullptr, nullptr), 0);
    EXPECT_EQ(settings.Get().accessType, 0);

    EXPECT_EQ(settings.Set(1, 3, "other", 1, "", ""), 1);
    v = settings.Get();
    EXPECT_EQ(v.accessType, 1);
    EXPECT_EQ(v.host, "proxy"); // modes 0 and 1 touch nothing else
    EXPECT_EQ(settings.Set(0, 3, "other", 1, "", ""), 1);
    EXPECT_EQ(settings.Get().accessType, 0);

    for (int mode : { 2, 4, -1 }) {
        EXPECT_EQ(settings.Set(mode, 3, "other", 1, "a", "b"), 0) << mode;
        v = settings.Get();
        EXPECT_EQ(v.accessType, 0) << mode;
        EXPECT_EQ(v.host, "proxy") << mode;
    }
}

TEST(HttpClientSingleton, OneObjectUntilReleased)
{
    HttpClient* seen[8] = {};
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([&seen, i] { seen[i] = HttpClient::Instance(); });
    for (std::thread& t : threads)
        t.join();
    ASSERT_NE(seen[0], nullptr);
    for (HttpClient* p : seen)
        EXPECT_EQ(p, seen[0]);
    EXPECT_EQ(HttpClient::Instance(), seen[0]);
    HttpClient::ReleaseInstance();
    HttpClient::ReleaseInstance(); // a second release is harmless
    HttpClient* fresh = HttpClient::Instance();
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->GetProxySettings().Get().accessType, 1);
    HttpClient::ReleaseInstance();
}

TEST_F(HttpClientFacade, BothPathsDeliverABodySentInSmallWrites)
{
    std::string body;
    for (int i = 0; i < 5000; ++i)
        body += static_cast<char>('a' + i % 26);
    body[10] = '\0';
    for (bool raw : { true, false }) {
        WebSimReply reply = WebSimReply::Ok(body, raw ? WebSimReply::kChunked : WebSimReply::kContentLength);
        reply.chunkSize = 97;
        reply.writeSize = 13;
        server.Enqueue(reply);
        client.SetUseRawSockets(raw);
        CMemoryStream stream;
        Prefill(stream);
        EXPECT_EQ(client.Download(server.Url("/data").c_str(), &stream, scratch, sizeof(scratch), nullptr), 1)
            << raw;
        EXPECT_TRUE(StreamText(stream) == body) << raw;
    }
    // The request went out once on each path, with the agent.
    const auto requests = server.GetRequests();
    ASSERT_EQ(requests.size(), 2u);
    for (const WebSimRequest& request : requests) {
        std::string agent;
        EXPECT_TRUE(request.FindHeader("User-Agent", agent));
        EXPECT_EQ(agent, "kelo88");
        EXPECT_EQ(request.path, "/data");
        EXPECT_FALSE(request.absoluteUri);
    }
}

TEST_F(HttpClientFacade, ALargeBodyComingSlowlyArrivesWholeThroughWinInet)
{
    // More than one read of the asynchronous request holds, in writes that
    // leave reads waiting, read into a scratch buffer larger than that.
    std::string body;
    for (int i = 0; i < 100000; ++i)
        body += static_cast<char>(i * 7 % 251);
    WebSimReply reply = WebSimReply::Ok(body);
    reply.writeSize = 30000;
    reply.writeDelayMs = 30;
    server.Enqueue(reply);
    client.SetUseRawSockets(false);
    std::vector<char> big(65536);
    CMemoryStream stream;
    Prefill(stream);
    EXPECT_EQ(client.Download(server.Url("/large").c_str(), &stream, big.data(),
                  static_cast<int32_t>(big.size()), nullptr),
        1);
    EXPECT_TRUE(StreamText(stream) == body);
}

TEST_F(HttpClientFacade, BothPathsGiveZeroAndAnEmptyStreamOnFailures)
{
    for (bool raw : { true, false }) {
        client.SetUseRawSockets(raw);
        for (int code : { 404, 500, 302 }) {
            WebSimReply reply = WebSimReply::Status(code, "Failure", "error page");
            server.Enqueue(reply);
            CMemoryStream stream;
            Prefill(stream);
            EXPECT_EQ(
                client.Download(server.Url("/x").c_str(), &stream, scratch, sizeof(scratch), nullptr), 0)
                << raw << " " << code;
            EXPECT_EQ(stream.GetSize(), 0) << raw << " " << code;
        }
        // A body cut short, and a server that is not there at all.
        server.Enqueue(WebSimReply::Raw("HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\nonly part"));
        CMemoryStream stream;
        Prefill(stream);
        EXPECT_EQ(client.Download(server.Url("/x").c_str(), &stream, scratch, sizeof(scratch), nullptr), 0)
            << raw;
        EXPECT_EQ(stream.GetSize(), 0) << raw;

        const std::string closedPort = "http://127.0.0.1:1/x";
        Prefill(stream);
        EXPECT_EQ(client.Download(closedPort.c_str(), &stream, scratch, sizeof(scratch), nullptr), 0) << raw;
        EXPECT_EQ(stream.GetSize(), 0) << raw;
    }
}

TEST_F(HttpClientFacade, BadArgumentsGiveZero)
{
    CMemoryStream stream;
    Prefill(stream);
    EXPECT_EQ(client.Download(nullptr, &stream, scratch, sizeof(scratch), nullptr), 0);
    EXPECT_EQ(stream.GetSize(), 0);
    EXPECT_EQ(client.Download(server.Url("/").c_str(), nullptr, scratch, sizeof(scratch), nullptr), 0);
    EXPECT_EQ(client.Download(server.Url("/").c_str(), &stream, nullptr, 10, nullptr), 0);
    EXPECT_EQ(client.Download(server.Url("/").c_str(), &stream, scratch, 0, nullptr), 0);
    EXPECT_EQ(client.Download("no scheme", &stream, scratch, sizeof(scratch), nullptr), 0);
    EXPECT_EQ(server.GetRequestCount(), 0u);
}

TEST_F(HttpClientFacade, AProxyHostSendsTheTransferThroughWinInet)
{
    // The server plays the HTTP proxy: WinINet asks it for the absolute URI.
    // Wine refuses the proxy credential options (43, 44), which the transfer
    // ignores; whether the proxy receives them, and SOCKS proxies, can only be
    // seen on Windows.
    ASSERT_EQ(client.GetProxySettings().Set(3, 3, "127.0.0.1", server.GetPort(), "puser", "ppass"), 1);
    server.Enqueue(WebSimReply::Ok("via proxy"));
    CMemoryStream stream;
    EXPECT_EQ(client.Download("http://example.invalid/y?z=1", &stream, scratch, sizeof(scratch), nullptr), 1);
    EXPECT_EQ(StreamText(stream), "via proxy");
    const auto requests = server.GetRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].absoluteUri);
    EXPECT_EQ(requests[0].target.compare(0, 22, "http://example.invalid"), 0) << requests[0].target;
    EXPECT_EQ(requests[0].path, "/y");
    EXPECT_EQ(requests[0].query, "z=1");

    // Settings take effect at the next transfer: back to the raw path.
    ASSERT_EQ(client.GetProxySettings().Set(1, 0, "", 0, "", ""), 1);
    HttpClient direct;
    server.Enqueue(WebSimReply::Ok("direct"));
    EXPECT_EQ(direct.Download(server.Url("/d").c_str(), &stream, scratch, sizeof(scratch), nullptr), 1);
    EXPECT_EQ(StreamText(stream), "direct");
    EXPECT_FALSE(server.GetRequests().at(1).absoluteUri);
}

TEST_F(HttpClientFacade, ExtraHeaderLinesGoOutOnBothPaths)
{
    for (bool raw : { true, false }) {
        client.SetUseRawSockets(raw);
        server.Enqueue(WebSimReply::Ok("ok"));
        CMemoryStream stream;
        EXPECT_EQ(
            client.Download(server.Url("/h").c_str(), &stream, scratch, sizeof(scratch), "X-Test: 42\r\n"),
            1);
    }
    for (const WebSimRequest& request : server.GetRequests()) {
        std::string value;
        EXPECT_TRUE(request.FindHeader("X-Test", value));
        EXPECT_EQ(value, "42");
    }
}

TEST_F(HttpClientFacade, TransfersFromTwoThreadsNeverOverlap)
{
    std::atomic<bool> overlapped(false);
    HANDLE firstArrived = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    server.AddRoute("/second", [](const WebSimRequest&) { return WebSimReply::Ok("second"); });

    for (bool raw : { true, false }) {
        client.SetUseRawSockets(raw);
        const size_t before = server.GetConnectionCount();
        server.AddRoute("/first", [&, before](const WebSimRequest&) {
            ::SetEvent(firstArrived);
            // While this transfer holds the lock, no second connection may come.
            if (server.WaitForConnections(before + 2, 500))
                overlapped = true;
            return WebSimReply::Ok("first");
        });
        ::ResetEvent(firstArrived);
        std::string results[2];
        std::thread a([&] {
            CMemoryStream stream;
            char buffer[128];
            if (client.Download(server.Url("/first").c_str(), &stream, buffer, sizeof(buffer), nullptr))
                results[0] = StreamText(stream);
        });
        ASSERT_EQ(::WaitForSingleObject(firstArrived, 20000), WAIT_OBJECT_0);
        std::thread b([&] {
            CMemoryStream stream;
            char buffer[128];
            if (client.Download(server.Url("/second").c_str(), &stream, buffer, sizeof(buffer), nullptr))
                results[1] = StreamText(stream);
        });
        a.join();
        b.join();
        EXPECT_FALSE(overlapped) << raw;
        EXPECT_EQ(results[0], "first") << raw;
        EXPECT_EQ(results[1], "second") << raw;
    }
    const auto requests = server.GetRequests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0].path, "/first");
    EXPECT_EQ(requests[1].path, "/second");
    ::CloseHandle(firstArrived);
}

TEST_F(HttpClientFacade, EveryFailureLeavesTheTransferLockFree)
{
    // The lock is re-entrant, so only another thread can tell whether a failed
    // transfer left it held.
    server.AddRoute("/ok", [](const WebSimRequest&) { return WebSimReply::Ok("free"); });
    const std::string failures[] = {
        "no scheme", // refused before any connection
        "http://127.0.0.1:1/x", // nothing listens there
        server.Url("/missing"), // 404
        server.Url("/short"), // a body cut short
    };
    server.AddRoute("/short", [](const WebSimRequest&) {
        return WebSimReply::Raw("HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nab");
    });
    for (bool raw : { true, false }) {
        client.SetUseRawSockets(raw);
        for (const std::string& url : failures) {
            CMemoryStream stream;
            ASSERT_EQ(client.Download(url.c_str(), &stream, scratch, sizeof(scratch), nullptr), 0) << url;

            HANDLE finished = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
            std::string result;
            std::thread other([&] {
                CMemoryStream mine;
                char buffer[128];
                if (client.Download(server.Url("/ok").c_str(), &mine, buffer, sizeof(buffer), nullptr))
                    result = StreamText(mine);
                ::SetEvent(finished);
            });
            if (::WaitForSingleObject(finished, 30000) != WAIT_OBJECT_0) {
                ADD_FAILURE() << "the lock stayed held after " << url << (raw ? " (raw)" : " (WinINet)");
                // The other thread waits on the lock for good and uses this
                // frame: nothing after this can run safely.
                std::fflush(stdout);
                std::_Exit(1);
            }
            other.join();
            ::CloseHandle(finished);
            EXPECT_EQ(result, "free") << url << " " << raw;
        }
    }
}
