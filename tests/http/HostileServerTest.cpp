// Servers that stall, drip, loop or lie: every transfer ends within its
// limits, fails where the raw client fails, and frees the transfer lock.
#include <winsock2.h>
#include <gtest/gtest.h>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "base/MemoryStream.h"
#include "net/HttpClient.h"
#include "tools/websim/WebSimServer.h"

namespace {

std::string StreamText(const CMemoryStream& stream)
{
    return std::string(
        reinterpret_cast<const char*>(stream.GetBuffer()), static_cast<size_t>(stream.GetSize()));
}

class HostileServer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.Start());
        client.GetRawClient().SetWaitTimeout(1000);
    }
    void TearDown() override { server.Stop(); }

    struct Outcome
    {
        int32_t result = -1;
        std::string body;
        DWORD elapsedMs = 0;
        bool finished = false;
    };

    // One download on its own thread. A transfer that outlives limitMs is a
    // failure; stopping the server then ends it so the test can go on.
    Outcome Fetch(const std::string& url, DWORD limitMs = 20000)
    {
        Outcome outcome;
        HANDLE done = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
        std::thread worker([&] {
            CMemoryStream stream;
            stream.Write("old contents", 12);
            char buffer[512];
            const DWORD start = ::GetTickCount();
            outcome.result = client.Download(url.c_str(), &stream, buffer, sizeof(buffer), nullptr);
            outcome.elapsedMs = ::GetTickCount() - start;
            outcome.body = StreamText(stream);
            ::SetEvent(done);
        });
        outcome.finished = ::WaitForSingleObject(done, limitMs) == WAIT_OBJECT_0;
        if (!outcome.finished)
            server.Stop();
        worker.join();
        ::CloseHandle(done);
        return outcome;
    }

    WebSimServer server;
    HttpClient client;
};

const bool kPaths[] = { true, false }; // raw sockets, WinINet

const char* PathName(bool raw)
{
    return raw ? "raw" : "WinINet";
}

} // namespace

TEST_F(HostileServer, AStalledReplyEndsWithinTheWaitOnBothPaths)
{
    const std::string body(4000, 'b');
    for (bool raw : kPaths) {
        client.SetUseRawSockets(raw);
        // Silent before the status line, and silent in the middle of the body.
        for (size_t stallAt : { size_t(0), size_t(100) }) {
            WebSimReply reply = WebSimReply::Ok(body);
            reply.stallAt = stallAt;
            server.Enqueue(reply);
            const Outcome outcome = Fetch(server.Url("/stall"));
            ASSERT_TRUE(outcome.finished) << PathName(raw) << " stalled at " << stallAt;
            EXPECT_EQ(outcome.result, 0) << PathName(raw) << " " << stallAt;
            EXPECT_EQ(outcome.body, "") << PathName(raw) << " " << stallAt;
        }
    }
}

TEST_F(HostileServer, ADrippingReplyEndsAtTheExchangeDeadlineOnBothPaths)
{
    // One byte every 200 ms never trips a 1 s wait, but the whole reply
    // would take minutes.
    client.GetRawClient().SetExchangeTimeout(1500);
    for (bool raw : kPaths) {
        client.SetUseRawSockets(raw);
        // The status line and headers come whole in the first write; the
        // platform reads them inside one call that only its receive wait bounds.
        WebSimReply reply = WebSimReply::Ok(std::string(6000, 'd'));
        reply.writeSize = 45;
        reply.writeDelayMs = 200;
        server.Enqueue(reply);
        const Outcome outcome = Fetch(server.Url("/drip"));
        ASSERT_TRUE(outcome.finished) << PathName(raw);
        EXPECT_EQ(outcome.result, 0) << PathName(raw);
        EXPECT_LT(outcome.elapsedMs, 6000u) << PathName(raw);
    }
}

TEST_F(HostileServer, TheDeadlineBoundsTheWaitForTheHeadersOnBothPaths)
{
    // Waits per operation far beyond the deadline: only the deadline may end
    // these exchanges (platforms do not all heed their receive wait while
    // they wait for the headers).
    const DWORD deadlineMs = 2000;
    client.GetRawClient().SetWaitTimeout(60000);
    client.GetRawClient().SetExchangeTimeout(deadlineMs);
    WebSimReply padded = WebSimReply::Ok("late body");
    for (int i = 0; i < 40; ++i)
        padded.headers.push_back("X-Padding: " + std::string(20, 'p'));
    for (bool raw : kPaths) {
        client.SetUseRawSockets(raw);
        // Silent before the status line.
        WebSimReply stalled = padded;
        stalled.stallAt = 0;
        // A byte every 50 ms, each well inside any receive wait, but the
        // header block alone would take a minute.
        WebSimReply dripping = padded;
        dripping.writeSize = 1;
        dripping.writeDelayMs = 50;
        for (const WebSimReply* reply : { &stalled, &dripping }) {
            const char* name = reply == &stalled ? "stalled" : "dripping";
            server.Enqueue(*reply);
            const Outcome outcome = Fetch(server.Url("/headers"), 30000);
            ASSERT_TRUE(outcome.finished) << PathName(raw) << " " << name;
            EXPECT_EQ(outcome.result, 0) << PathName(raw) << " " << name;
            EXPECT_EQ(outcome.body, "") << PathName(raw) << " " << name;
            EXPECT_LT(outcome.elapsedMs, deadlineMs + 5000) << PathName(raw) << " " << name;
            // The transfer lock is free again: the next transfer goes through at once.
            server.Enqueue(WebSimReply::Ok("next"));
            const Outcome next = Fetch(server.Url("/next"), 10000);
            ASSERT_TRUE(next.finished) << PathName(raw) << " after " << name;
            EXPECT_EQ(next.result, 1) << PathName(raw) << " after " << name;
            EXPECT_EQ(next.body, "next") << PathName(raw) << " after " << name;
        }
    }
}

TEST_F(HostileServer, RedirectsAreFollowedOverHttpOnlyAndAtMostTenTimes)
{
    std::atomic<int> loops(0);
    server.AddRoute("/loop", [&](const WebSimRequest&) {
        // A client without a cap would get away after many turns.
        if (++loops > 40)
            return WebSimReply::Ok("escaped");
        return WebSimReply::Redirect(302, "/loop");
    });
    server.AddRoute("/a", [](const WebSimRequest&) { return WebSimReply::Redirect(301, "/b?x=1"); });
    server.AddRoute("/b", [](const WebSimRequest&) { return WebSimReply::Redirect(307, "c"); });
    server.AddRoute("/c", [](const WebSimRequest&) { return WebSimReply::Ok("landed"); });
    server.AddRoute("/secure",
        [](const WebSimRequest&) { return WebSimReply::Redirect(302, "https://127.0.0.1:1/elsewhere"); });
    server.AddRoute("/same", [](const WebSimRequest&) { return WebSimReply::Redirect(304, "/c"); });

    for (bool raw : kPaths) {
        client.SetUseRawSockets(raw);
        loops = 0;
        Outcome outcome = Fetch(server.Url("/loop"));
        ASSERT_TRUE(outcome.finished) << PathName(raw);
        EXPECT_EQ(outcome.result, 0) << PathName(raw);
        EXPECT_EQ(loops.load(), 11) << PathName(raw); // the request and ten redirects

        const size_t before = server.GetRequestCount();
        outcome = Fetch(server.Url("/a"));
        EXPECT_EQ(outcome.result, 1) << PathName(raw);
        EXPECT_EQ(outcome.body, "landed") << PathName(raw);
        const auto requests = server.GetRequests();
        ASSERT_EQ(requests.size(), before + 3) << PathName(raw);
        EXPECT_EQ(requests[before + 1].path, "/b");
        EXPECT_EQ(requests[before + 1].query, "x=1");
        EXPECT_EQ(requests[before + 2].path, "/c");

        for (const char* path : { "/secure", "/same" }) {
            outcome = Fetch(server.Url(path));
            EXPECT_EQ(outcome.result, 0) << PathName(raw) << " " << path;
            EXPECT_EQ(outcome.body, "") << PathName(raw) << " " << path;
        }
        EXPECT_EQ(server.GetRequestCount(), before + 5) << PathName(raw);
    }
}

TEST_F(HostileServer, BrokenRepliesFailOnBothPaths)
{
    struct Case
    {
        const char* name;
        std::string wire;
    };
    // Far beyond what either path accepts (the platform takes its time over
    // much more than this before it hands over).
    std::string hugeHeaders = "HTTP/1.1 200 OK\r\n";
    while (hugeHeaders.size() < 1024u * 1024)
        hugeHeaders += "X-Padding: " + std::string(1000, 'p') + "\r\n";
    hugeHeaders += "Content-Length: 0\r\n\r\n";
    const Case cases[] = {
        { "garbage status line", "garbage\r\n\r\nbody" },
        { "HTTP/2.0", "HTTP/2.0 200 OK\r\nContent-Length: 4\r\n\r\nbody" },
        { "1 MiB of headers", hugeHeaders },
        { "chunked body cut short", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n10\r\nabc" },
        { "chunked body without its last chunk",
            "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n" },
        { "length body cut short", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc" },
    };
    for (bool raw : kPaths) {
        client.SetUseRawSockets(raw);
        for (const Case& c : cases) {
            server.Enqueue(WebSimReply::Raw(c.wire));
            const Outcome outcome = Fetch(server.Url("/broken"));
            ASSERT_TRUE(outcome.finished) << PathName(raw) << " " << c.name;
            EXPECT_EQ(outcome.result, 0) << PathName(raw) << " " << c.name;
            EXPECT_EQ(outcome.body, "") << PathName(raw) << " " << c.name;
        }
        // Whole bodies still arrive.
        server.Enqueue(WebSimReply::Raw("HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nabc"));
        Outcome outcome = Fetch(server.Url("/whole"));
        EXPECT_EQ(outcome.result, 1) << PathName(raw);
        EXPECT_EQ(outcome.body, "abc") << PathName(raw);
        WebSimReply untilClose = WebSimReply::Ok("until close", WebSimReply::kUntilClose);
        untilClose.headers.push_back("Content-Type: text/plain");
        server.Enqueue(untilClose);
        outcome = Fetch(server.Url("/whole"));
        EXPECT_EQ(outcome.result, 1) << PathName(raw);
        EXPECT_EQ(outcome.body, "until close") << PathName(raw);
    }
    // The WinINet path asks as HTTP/1.0, so that no server may answer it
    // chunked; the raw client reads chunked bodies itself.
    const auto requests = server.GetRequests();
    ASSERT_FALSE(requests.empty());
    EXPECT_NE(requests.back().requestLine.find("HTTP/1.0"), std::string::npos) << requests.back().requestLine;
}
