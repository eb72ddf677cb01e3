// The raw HTTP client against the scripted server over loopback TCP.
#include <winsock2.h>
#include <gtest/gtest.h>
#include <string>

#include "net/HTTP.h"
#include "tools/websim/WebSimServer.h"

namespace {

// A stall shows in well under a second; every other exchange gets a wait that
// a loaded machine never runs out of.
const DWORD kShortWaitMs = 300;
const DWORD kRoomyWaitMs = 5000;

class RawHttp : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WSADATA data;
        ASSERT_EQ(::WSAStartup(MAKEWORD(1, 1), &data), 0);
        ASSERT_TRUE(server.Start());
        client.SetUserAgent("kelo88");
        client.SetWaitTimeout(kRoomyWaitMs);
        client.SetConnectTimeout(2000);
    }
    void TearDown() override
    {
        server.Stop();
        ::WSACleanup();
    }

    WebSimServer server;
    CHTTP client;
};

std::string BinaryBody()
{
    std::string body;
    for (int i = 0; i < 3000; ++i)
        body += static_cast<char>((i * 7) & 0xFF); // NUL bytes and bytes above 0x7F throughout
    return body;
}

} // namespace

TEST_F(RawHttp, SendsOneGetWithItsHeaderLines)
{
    server.Enqueue(WebSimReply::Ok("hello"));
    client.SetExtraHeaders("X-Extra: 1");
    std::string body;
    ASSERT_TRUE(client.Get(server.Url("/path/a?x=1"), body));
    EXPECT_EQ(body, "hello");

    const auto requests = server.GetRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].requestLine, "GET /path/a?x=1 HTTP/1.1");
    EXPECT_EQ(requests[0].headerBlock,
        "Accept: */*\r\nConnection: close\r\nHost: 127.0.0.1:" + std::to_string(server.GetPort())
            + "\r\nUser-Agent: kelo88\r\nX-Extra: 1\r\n\r\n");
}

TEST_F(RawHttp, CarriageReturnsAndLineFeedsAreRemovedFromTheUrl)
{
    server.Enqueue(WebSimReply::Ok("ok"));
    std::string body;
    ASSERT_TRUE(client.Get(server.Url("/a\r\nb"), body));
    EXPECT_EQ(server.GetRequests().at(0).requestLine, "GET /ab HTTP/1.1");
}

TEST_F(RawHttp, EveryFramingDeliversTheWholeBody)
{
    struct Case
    {
        const char* name;
        WebSimReply::Framing framing;
        size_t chunkSize;
        size_t writeSize;
        bool lowerCase;
        std::string body;
    };
    const std::string binary = BinaryBody();
    const std::string large(200000, 'L');
    const Case cases[] = {
        { "length", WebSimReply::kContentLength, 0, 0, false, binary },
        { "length without space", WebSimReply::kContentLengthNoSpace, 0, 0, false, binary },
        { "length, lower-case, tiny writes", WebSimReply::kContentLength, 0, 7, true, binary },
        { "length beyond the receive buffer", WebSimReply::kContentLength, 0, 5000, false, large },
        { "one chunk abcd", WebSimReply::kChunked, 4, 0, false, "abcd" },
        { "chunked, lower-case", WebSimReply::kChunked, 100, 0, true, binary },
        { "chunked in one-byte writes", WebSimReply::kChunked, 5, 1, false, "chunked in one-byte writes" },
        { "chunks larger than the receive buffer", WebSimReply::kChunked, 100000, 3000, false, large },
        { "until close", WebSimReply::kUntilClose, 0, 0, false, binary },
        { "until close, split", WebSimReply::kUntilClose, 0, 333, false, large },
        { "empty length", WebSimReply::kContentLength, 0, 0, false, "" },
        { "empty chunked", WebSimReply::kChunked, 0, 0, false, "" },
    };
    for (const Case& c : cases) {
        WebSimReply reply = WebSimReply::Ok(c.body, c.framing);
        reply.chunkSize = c.chunkSize;
        reply.writeSize = c.writeSize;
        reply.lowerCaseNames = c.lowerCase;
        server.Enqueue(reply);
        std::string body = "stale";
        EXPECT_TRUE(client.Get(server.Url("/"), body)) << c.name;
        EXPECT_TRUE(body == c.body) << c.name << ": " << body.size() << " bytes instead of " << c.body.size();
    }
}

TEST_F(RawHttp, ChunkExtensionsAndLoneLineFeedsAreAccepted)
{
    server.Enqueue(WebSimReply::Raw("HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip, Chunked\r\n\r\n"
                                    "3;name=v\r\nabc\n2\r\nde\r\n0\r\nTrailer: x\r\n\r\n"));
    std::string body;
    ASSERT_TRUE(client.Get(server.Url("/"), body));
    EXPECT_EQ(body, "abcde");
}

TEST_F(RawHttp, MalformedOrHostileRepliesFail)
{
    struct Case
    {
        const char* name;
        std::string wire;
    };
    const std::string endless(70000, 'x');
    const Case cases[] = {
        { "garbage status line", "garbage\r\n\r\n" },
        { "HTTP/2.0", "HTTP/2.0 200 OK\r\nContent-Length: 2\r\n\r\nok" },
        { "lower-case version", "http/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok" },
        { "status below 100", "HTTP/1.1 099 Odd\r\nContent-Length: 2\r\n\r\nok" },
        { "status not a number", "HTTP/1.1 2x0 OK\r\nContent-Length: 2\r\n\r\nok" },
        { "header block without end", "HTTP/1.1 200 OK\r\nX: " + endless },
        { "close inside the header block", "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n" },
        { "lying Content-Length", "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nonly this" },
        { "Content-Length:123 cut short", "HTTP/1.1 200 OK\r\nContent-Length:123\r\n\r\n1234567890" },
        { "Content-Length not a number", "HTTP/1.1 200 OK\r\nContent-Length: ten\r\n\r\nabc" },
        { "Content-Length negative", "HTTP/1.1 200 OK\r\nContent-Length: -5\r\n\r\nabc" },
        { "Content-Length absurd", "HTTP/1.1 200 OK\r\nContent-Length: 99999999999999\r\n\r\nabc" },
        { "endless chunk line", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + endless },
        { "absurd chunk size",
            "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nffffffffffffffffff\r\nab" },
        { "chunk size beyond the body limit",
            "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n7fffffff\r\nab" },
        { "chunk line without a size",
            "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\nab\r\n0\r\n\r\n" },
        { "chunk data cut short", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n10\r\nabc" },
        { "no last chunk", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nab\r\n" },
        { "chunk not followed by a line end",
            "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nabcd\r\n0\r\n\r\n" },
        { "404", "HTTP/1.1 404 Not Found\r\nContent-Length: 3\r\n\r\nnot" },
        { "201 is not 200", "HTTP/1.1 201 Created\r\nContent-Length: 2\r\n\r\nok" },
        { "nothing at all", "" },
    };
    for (const Case& c : cases) {
        WebSimReply reply = WebSimReply::Raw(c.wire);
        if (c.wire.empty())
            reply.closeAt = 0;
        server.Enqueue(reply);
        std::string body = "stale";
        const DWORD start = ::GetTickCount();
        EXPECT_FALSE(client.Get(server.Url("/"), body)) << c.name;
        EXPECT_TRUE(body.empty()) << c.name;
        EXPECT_LT(::GetTickCount() - start, 10000u) << c.name;
    }
    EXPECT_EQ(server.GetRequestCount(), sizeof(cases) / sizeof(cases[0]));
}

TEST_F(RawHttp, StatusesAreReturnedAndTheConnectionKeptOnlyForABody)
{
    server.Enqueue(WebSimReply::Status(404, "Not Found", "gone"));
    EXPECT_EQ(client.SendRequest(server.Url("/")), 404);
    server.Enqueue(WebSimReply::Status(304, "Not Modified"));
    EXPECT_EQ(client.SendRequest(server.Url("/")), 304);
    server.Enqueue(WebSimReply::Status(300, "Multiple Choices"));
    EXPECT_EQ(client.SendRequest(server.Url("/")), 300);
    server.Enqueue(WebSimReply::Status(204, "No Content"));
    EXPECT_EQ(client.SendRequest(server.Url("/")), 204);
    client.Close();
    EXPECT_EQ(server.GetRequestCount(), 4u);

    server.Enqueue(WebSimReply::Status(304, "Not Modified"));
    std::string body;
    EXPECT_FALSE(client.Get(server.Url("/"), body));
}

TEST_F(RawHttp, FollowsRedirectsOfKindsItShould)
{
    server.AddRoute("/x", [](const WebSimRequest&) { return WebSimReply::Ok("at x"); });
    for (int code : { 301, 302, 303, 307 }) {
        const size_t before = server.GetRequestCount();
        server.Enqueue(WebSimReply::Redirect(code, "/x"));
        std::string body;
        EXPECT_TRUE(client.Get(server.Url("/start"), body)) << code;
        EXPECT_EQ(body, "at x") << code;
        const auto requests = server.GetRequests();
        ASSERT_EQ(requests.size(), before + 2) << code;
        EXPECT_EQ(requests[before + 1].requestLine, "GET /x HTTP/1.1") << code;
        EXPECT_EQ(client.GetCurrentUrl(), server.Url("/x")) << code;
    }
    // An absolute http location, a lower-case header name and no space after the colon.
    server.Enqueue(WebSimReply::Raw("HTTP/1.1 302 Found\r\nlocation:" + server.Url("/x") + "\r\n\r\n"));
    std::string body;
    EXPECT_TRUE(client.Get(server.Url("/start"), body));
    EXPECT_EQ(body, "at x");
}

TEST_F(RawHttp, RedirectsThatCannotOrMustNotBeFollowedFail)
{
    server.Enqueue(WebSimReply::Redirect(302, "https://127.0.0.1/secure"));
    EXPECT_EQ(client.SendRequest(server.Url("/")), 0);
    server.Enqueue(WebSimReply::Status(302, "Found")); // no Location
    EXPECT_EQ(client.SendRequest(server.Url("/")), 0);
    EXPECT_EQ(server.GetRequestCount(), 2u);
}

TEST_F(RawHttp, RedirectLoopEndsAfterTenFollows)
{
    server.AddRoute("/loop", [](const WebSimRequest&) { return WebSimReply::Redirect(302, "/loop"); });
    std::string body = "stale";
    EXPECT_FALSE(client.Get(server.Url("/loop"), body));
    EXPECT_TRUE(body.empty());
    EXPECT_EQ(server.GetRequestCount(), static_cast<size_t>(CHTTP::kMaxRedirects + 1));
}

TEST_F(RawHttp, AStalledServerTimesOutWith10060)
{
    const size_t stalls[] = { 0, 20, 40 }; // before the status line, inside the headers, inside the body
    client.SetWaitTimeout(kShortWaitMs);
    for (size_t at : stalls) {
        WebSimReply reply = WebSimReply::Ok(std::string(100, 'b'));
        reply.stallAt = at;
        server.Enqueue(reply);
        std::string body = "stale";
        const DWORD start = ::GetTickCount();
        EXPECT_FALSE(client.Get(server.Url("/"), body)) << at;
        EXPECT_EQ(::WSAGetLastError(), WSAETIMEDOUT) << at;
        EXPECT_LT(::GetTickCount() - start, 5000u) << at;
        EXPECT_TRUE(body.empty()) << at;
    }
    // The client is whole afterwards.
    server.Enqueue(WebSimReply::Ok("after"));
    std::string body;
    EXPECT_TRUE(client.Get(server.Url("/"), body));
    EXPECT_EQ(body, "after");
}

TEST_F(RawHttp, ARefusedConnectionFailsAtOnce)
{
    // A port that was just free on loopback and has no listener.
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    int size = sizeof(address);
    ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size), 0);
    ::closesocket(s);

    std::string body;
    EXPECT_FALSE(client.Get("http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/", body));
    EXPECT_EQ(::WSAGetLastError(), WSAECONNREFUSED);
}

TEST_F(RawHttp, AnUnknownHostFailsWith11001)
{
    std::string body;
    EXPECT_FALSE(client.Get("http://no-such-host.invalid/x", body));
    EXPECT_EQ(::WSAGetLastError(), WSAHOST_NOT_FOUND);
    EXPECT_EQ(server.GetRequestCount(), 0u);
}

TEST_F(RawHttp, HostNamesAreResolved)
{
    server.Enqueue(WebSimReply::Ok("by name"));
    std::string body;
    ASSERT_TRUE(client.Get("http://localhost:" + std::to_string(server.GetPort()) + "/", body));
    EXPECT_EQ(body, "by name");
    EXPECT_NE(server.GetRequests().at(0).headerBlock.find("\r\nHost: localhost:" + std::to_string(server.GetPort()) + "\r\n"), std::string::npos);
}

TEST_F(RawHttp, CredentialsInTheUrlAreSentAsStandardBasicAuthorization)
{
    struct Case
    {
        const char* credentials;
        const char* header;
    };
    const Case cases[] = {
        { "user:pw", "Authorization: Basic dXNlcjpwdw==\r\n" },
        { "~~~:???", "Authorization: Basic fn5+Oj8/Pw==\r\n" }, // "+" and "/" as servers decode them
        { "user", "Authorization: Basic dXNlcjo=\r\n" },
    };
    for (const Case& c : cases) {
        server.Enqueue(WebSimReply::Ok("in"));
        std::string body;
        EXPECT_TRUE(client.Get("http://" + std::string(c.credentials)
                + "@127.0.0.1:" + std::to_string(server.GetPort()) + "/private",
            body))
            << c.credentials;
    }
    const auto requests = server.GetRequests();
    ASSERT_EQ(requests.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(requests[i].requestLine, "GET /private HTTP/1.1");
        EXPECT_NE(requests[i].headerBlock.find(cases[i].header), std::string::npos)
            << requests[i].headerBlock;
    }
}
