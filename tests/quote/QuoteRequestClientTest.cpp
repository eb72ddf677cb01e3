// The request client against the simulator on loopback: what each reply
// shape delivers, how each broken reply fails, and that every request gets
// exactly one callback.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "base/MemoryStream.h"
#include "net/QuoteProtocol.h"
#include "net/QuoteRequestClient.h"
#include "net/ReplyMemoryBudget.h"
#include "net/WinsockSession.h"
#include "tests/support/QuoteFixtures.h"
#include "tools/quotesim/QuoteSimulator.h"

namespace {

const uint16_t kCommand = 0x301;
const uint32_t kKey = 0x01399001;
const uint32_t kReplyValue = 0x11223344;
const uint32_t kReplyValue2 = 0x55667788;

std::string PatternBody(size_t n)
{
    std::string body(n, '\0');
    uint32_t x = 12345;
    for (size_t i = 0; i < n; ++i) {
        x = x * 1103515245u + 12345u;
        body[i] = static_cast<char>(x >> 24);
    }
    return body;
}

std::string StreamBytes(CMemoryStream& s)
{
    return std::string(reinterpret_cast<const char*>(s.GetBuffer()), s.GetSize());
}

class QuoteClientTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.Start(0));
        sim.SetHandler(kCommand, [this](const SimRequest&) {
            SimReply reply;
            reply.value = kReplyValue;
            reply.value2 = kReplyValue2;
            reply.body = body;
            return reply;
        });
    }
    void TearDown() override { sim.Stop(); }

    DownloadRequest MakeRequest(int id, CMemoryStream* out = nullptr)
    {
        DownloadRequest r;
        r.command = kCommand;
        r.userData = kKey;
        r.value = 1000;
        r.value2 = 2000;
        r.out = out;
        r.callback = &CallbackRecorder::OnComplete;
        r.callbackArg = calls.Arg(id);
        return r;
    }

    QuoteSimulator sim;
    CallbackRecorder calls;
    std::string body = "plain body bytes";
};

struct ReplyCase
{
    const char* name;
    uint8_t compression;
    SimFault fault;
    size_t bodySize; // 0: the fixture's short body
    bool succeeds;
    bool bodyOnly; // delivered without the two reply values
};

TEST_F(QuoteClientTest, EachReplyShapeDeliversOrFailsAsTheProtocolSays)
{
    const ReplyCase cases[] = {
        { "plain", 0, SimFault::None, 0, true, false },
        { "zlib", 1, SimFault::None, 0, true, false },
        { "other flag: body as received", 2, SimFault::None, 0, true, true },
        { "junk in the unread header bytes", 0, SimFault::JunkHeader, 0, true, false },
        { "junk, zlib", 1, SimFault::JunkHeader, 0, true, false },
        { "exactly one inflate step", 1, SimFault::None, kInflateStep, true, false },
        { "one byte past a step", 1, SimFault::None, kInflateStep + 1, true, false },
        { "large zlib body", 1, SimFault::None, 600000, true, false },
        { "large plain body", 0, SimFault::None, 300000, true, false },
        { "length 0", 0, SimFault::LengthZero, 0, false, false },
        { "truncated zlib", 1, SimFault::TruncatedZlib, 5000, false, false },
        { "close after the header", 0, SimFault::CloseAfterHeader, 0, false, false },
        { "close mid-body", 0, SimFault::CloseMidBody, 4000, false, false },
        { "length 0xFFFFFFFF", 0, SimFault::HugeLength, 0, false, false },
        { "connection reset before reading", 0, SimFault::Refuse, 0, false, false },
    };
    int id = 0;
    for (const ReplyCase& c : cases) {
        SCOPED_TRACE(c.name);
        body = c.bodySize ? PatternBody(c.bodySize) : std::string("plain body bytes");
        sim.SetCompression(c.compression);
        sim.SetFault(c.fault);
        sim.ClearLog();
        QuoteRequestClient client("127.0.0.1", sim.Port());
        DownloadRequest request = MakeRequest(++id);
        const HRESULT hr = client.Execute(request);

        EXPECT_EQ(c.succeeds ? S_OK : E_FAIL, hr);
        EXPECT_EQ(INVALID_SOCKET, request.socket);
        ASSERT_EQ(1, calls.CallsFor(id));
        const CallbackRecord record = calls.Records().back();
        EXPECT_EQ(kKey, record.userData);
        EXPECT_EQ(c.succeeds ? 1 : 0, record.ok);
        EXPECT_EQ(c.succeeds, record.hadStream);
        if (c.succeeds) {
            const std::string expected = c.bodyOnly ? body : DeliveredStream(kReplyValue, kReplyValue2, body);
            EXPECT_TRUE(record.stream == expected) << "delivered " << record.stream.size() << " bytes";
            EXPECT_EQ(kReplyValue, request.value);
            EXPECT_EQ(kReplyValue2, request.value2);
            EXPECT_EQ(DownloadRequest::kDone, request.state);
        }
        if (c.fault != SimFault::Refuse) {
            const auto log = sim.RequestLog();
            ASSERT_EQ(1u, log.size());
            EXPECT_EQ(kCommand, log[0].command);
            EXPECT_EQ(kKey, log[0].key);
            EXPECT_EQ(1000u, log[0].value);
            EXPECT_EQ(2000u, log[0].value2);
        }
    }
}

TEST_F(QuoteClientTest, FailuresLeaveTheTargetStreamAsTheProtocolSays)
{
    // Length 0 empties the caller's stream.
    CMemoryStream out;
    out.Write("stale", 5);
    sim.SetFault(SimFault::LengthZero);
    QuoteRequestClient client("127.0.0.1", sim.Port());
    DownloadRequest request = MakeRequest(1, &out);
    EXPECT_EQ(E_FAIL, client.Execute(request));
    EXPECT_EQ(0, out.GetSize());
    EXPECT_EQ(DownloadRequest::kFailed, request.state);

    // A body that does not inflate: the reply did arrive (state done), the
    // stream keeps the compressed bytes, the asker gets one failure call.
    body = PatternBody(3000);
    sim.SetFault(SimFault::TruncatedZlib);
    DownloadRequest truncated = MakeRequest(2, &out);
    EXPECT_EQ(E_FAIL, client.Execute(truncated));
    EXPECT_EQ(DownloadRequest::kDone, truncated.state);
    EXPECT_EQ(1, truncated.compression);
    EXPECT_GT(out.GetSize(), 0);
    EXPECT_NE(body.size(), static_cast<size_t>(out.GetSize()));
    EXPECT_EQ(1, calls.CallsFor(2));
    EXPECT_EQ(0, calls.Records().back().ok);

    // A whole zlib stream that inflates to nothing is no reply either.
    body.clear();
    sim.SetFault(SimFault::None);
    sim.SetCompression(1);
    DownloadRequest empty = MakeRequest(4, &out);
    EXPECT_EQ(E_FAIL, client.Execute(empty));
    EXPECT_EQ(DownloadRequest::kDone, empty.state);
    EXPECT_GT(out.GetSize(), 0);
    ASSERT_EQ(1, calls.CallsFor(4));
    EXPECT_EQ(0, calls.Records().back().ok);
    sim.SetCompression(0);

    // An announced 4 GiB body is refused before any allocation or read.
    sim.SetFault(SimFault::HugeLength);
    DownloadRequest huge = MakeRequest(3);
    EXPECT_EQ(E_FAIL, client.Execute(huge));
    EXPECT_LT(client.GetReplyCapacity(), 1u << 20);
}

TEST_F(QuoteClientTest, AfterABrokenBodyTheNextSmallerReplyReusesTheBuffer)
{
    QuoteRequestClient client("127.0.0.1", sim.Port());
    body = PatternBody(50000);
    sim.SetFault(SimFault::CloseMidBody);
    DownloadRequest broken = MakeRequest(1);
    EXPECT_EQ(E_FAIL, client.Execute(broken));
    EXPECT_EQ(INVALID_SOCKET, broken.socket);
    const uint32_t capacity = client.GetReplyCapacity();
    const uint8_t* buffer = client.GetReplyBuffer();
    EXPECT_EQ(50000u, capacity);

    sim.ClearFault();
    body = PatternBody(1000);
    DownloadRequest next = MakeRequest(2);
    EXPECT_EQ(S_OK, client.Execute(next));
    EXPECT_EQ(capacity, client.GetReplyCapacity());
    EXPECT_EQ(buffer, client.GetReplyBuffer());
    EXPECT_TRUE(calls.Records().back().stream == DeliveredStream(kReplyValue, kReplyValue2, body));
}

TEST_F(QuoteClientTest, SynchronousRequestFillsTheCallersStreamFromTheStart)
{
    sim.SetCompression(1);
    QuoteRequestClient client("127.0.0.1", sim.Port());
    CMemoryStream out;
    DownloadRequest request = MakeRequest(0, &out);
    request.callback = nullptr;
    ASSERT_EQ(S_OK, client.Execute(request));
    EXPECT_TRUE(StreamBytes(out) == DeliveredStream(kReplyValue, kReplyValue2, body));
    EXPECT_EQ(0, out.GetPosition());
    EXPECT_EQ(0, client.GetReplyStream()->GetSize());
}

// A caller's stream that counts the allocations it is asked for (frees included).
class CountingStream : public CMemoryStream
{
public:
    uint8_t* Grow(int32_t& requested) override
    {
        ++grows;
        return CMemoryStream::Grow(requested);
    }
    int grows = 0;
};

// Where the client's own stream held the reply during the call.
struct SeenReply
{
    const uint8_t* buffer = nullptr;
    std::string bytes;
};

void RecordWhere(uint32_t, uintptr_t arg, CMemoryStream* reply, int32_t ok)
{
    SeenReply* seen = reinterpret_cast<SeenReply*>(arg);
    seen->buffer = ok && reply ? reply->GetBuffer() : nullptr;
    seen->bytes = ok && reply ? StreamBytes(*reply) : std::string();
}

TEST_F(QuoteClientTest, AReplyIsDeliveredIntoTheMemoryThePreviousOneLeft)
{
    // Fresh memory for every reply costs a large one more than inflating it:
    // up to the kept size, the next reply of the same size or less is
    // delivered without a single allocation, plain or inflated.
    struct KeptCase
    {
        const char* name;
        uint8_t compression;
        size_t first;
        size_t second;
    };
    const KeptCase cases[] = {
        { "small plain", 0, 200, 200 },
        { "zlib", 1, 300000, 300000 },
        { "zlib, then a smaller one", 1, 300000, 1000 },
        { "plain body of the kept size", 0, QuoteRequestClient::kKeptReplyBuffer,
            QuoteRequestClient::kKeptReplyBuffer },
        { "zlib body of the kept size", 1, QuoteRequestClient::kKeptReplyBuffer,
            QuoteRequestClient::kKeptReplyBuffer },
    };
    for (const KeptCase& c : cases) {
        SCOPED_TRACE(c.name);
        sim.SetCompression(c.compression);
        const std::string first = PatternBody(c.first / 2) + std::string(c.first - c.first / 2, 'k');
        const std::string second = PatternBody(c.second / 2) + std::string(c.second - c.second / 2, 'q');

        // The caller's stream.
        QuoteRequestClient client("127.0.0.1", sim.Port());
        CountingStream out;
        body = first;
        DownloadRequest request = MakeRequest(0, &out);
        request.callback = nullptr;
        ASSERT_EQ(S_OK, client.Execute(request));
        out.grows = 0;
        body = second;
        DownloadRequest again = MakeRequest(0, &out);
        again.callback = nullptr;
        ASSERT_EQ(S_OK, client.Execute(again));
        EXPECT_EQ(0, out.grows);
        EXPECT_TRUE(StreamBytes(out) == DeliveredStream(kReplyValue, kReplyValue2, second));
        EXPECT_EQ(0, out.GetPosition());

        // The client's own stream, which callbacks are given: it still holds
        // its memory between replies, and the last two used the same.
        QuoteRequestClient own("127.0.0.1", sim.Port());
        SeenReply seen[3];
        for (int i = 0; i < 3; ++i) {
            body = i == 0 ? first : second;
            DownloadRequest r = MakeRequest(0);
            r.callback = &RecordWhere;
            r.callbackArg = reinterpret_cast<uintptr_t>(&seen[i]);
            ASSERT_EQ(S_OK, own.Execute(r));
            EXPECT_TRUE(seen[i].bytes == DeliveredStream(kReplyValue, kReplyValue2, body));
            EXPECT_GE(own.GetReplyStream()->GetCapacity(), static_cast<int32_t>(8 + body.size()));
        }
        EXPECT_EQ(seen[1].buffer, seen[2].buffer);
    }
    sim.SetCompression(0);
}

TEST_F(QuoteClientTest, KeptMemoryCountsAgainstTheBudgetWhileAReplyFillsIt)
{
    // Between replies the kept stream is nobody's reply; while the next one
    // is delivered into it, all of it is memory in flight again.
    ReplyMemoryBudget& budget = ReplyMemoryBudget::Global();
    const uint64_t limit = budget.Limit();
    sim.SetCompression(1);
    body = PatternBody(1000) + std::string(QuoteRequestClient::kKeptReplyBuffer - 1000, 'k');
    QuoteRequestClient client("127.0.0.1", sim.Port());
    DownloadRequest first = MakeRequest(1);
    ASSERT_EQ(S_OK, client.Execute(first));
    ASSERT_GT(client.GetReplyStream()->GetCapacity(), static_cast<int32_t>(body.size()));

    // Room for the compressed body beside what the client holds, not for the stream.
    budget.SetLimit(budget.Charged() + (64u << 10));
    DownloadRequest second = MakeRequest(2);
    EXPECT_EQ(E_FAIL, client.Execute(second));
    ASSERT_EQ(1, calls.CallsFor(2));
    EXPECT_EQ(0, calls.Records().back().ok);

    budget.SetLimit(limit);
    DownloadRequest third = MakeRequest(3);
    EXPECT_EQ(S_OK, client.Execute(third));
    sim.SetCompression(0);
}

void ThrowingCallback(uint32_t userData, uintptr_t arg, CMemoryStream* reply, int32_t ok)
{
    CallbackRecorder::OnComplete(userData, arg, reply, ok);
    throw 7;
}

TEST_F(QuoteClientTest, ACallbackThatThrowsIsCalledOnceAndTheClientGoesOn)
{
    QuoteRequestClient client("127.0.0.1", sim.Port());
    for (SimFault fault : { SimFault::None, SimFault::LengthZero }) {
        sim.SetFault(fault);
        const int id = fault == SimFault::None ? 1 : 2;
        DownloadRequest request = MakeRequest(id);
        request.callback = &ThrowingCallback;
        EXPECT_EQ(E_FAIL, client.Execute(request));
        EXPECT_EQ(1, calls.CallsFor(id));
        EXPECT_EQ(INVALID_SOCKET, request.socket);
    }
    EXPECT_EQ(1, calls.Records()[0].ok);

    sim.ClearFault();
    DownloadRequest after = MakeRequest(3);
    EXPECT_EQ(S_OK, client.Execute(after));
}

// A stream that cannot get memory the way the heap reports it: by throwing.
class ThrowingStream : public CMemoryStream
{
public:
    uint8_t* Grow(int32_t& requested) override
    {
        if (requested > 0)
            throw std::bad_alloc();
        return CMemoryStream::Grow(requested);
    }
};

TEST_F(QuoteClientTest, AnExceptionInsideTheExchangeStillGivesExactlyOneFailureCall)
{
    QuoteRequestClient client("127.0.0.1", sim.Port());
    ThrowingStream out;
    DownloadRequest request = MakeRequest(1, &out);
    EXPECT_EQ(E_FAIL, client.Execute(request));
    ASSERT_EQ(1, calls.CallsFor(1));
    EXPECT_EQ(0, calls.Records()[0].ok);
    EXPECT_EQ(INVALID_SOCKET, request.socket);

    DownloadRequest after = MakeRequest(2);
    EXPECT_EQ(S_OK, client.Execute(after));
    EXPECT_EQ(1, calls.CallsFor(2));
}

TEST_F(QuoteClientTest, NoServerOrNoAddressFailsWithOneCall)
{
    const uint16_t port = sim.Port();
    sim.Stop();
    QuoteRequestClient closed("127.0.0.1", port);
    DownloadRequest request = MakeRequest(1);
    EXPECT_EQ(E_FAIL, closed.Execute(request));
    EXPECT_EQ(INVALID_SOCKET, request.socket);
    EXPECT_EQ(DownloadRequest::kFailed, request.state);

    // A host name is never looked up.
    QuoteRequestClient named("localhost", port);
    DownloadRequest byName = MakeRequest(2);
    EXPECT_EQ(E_FAIL, named.Execute(byName));
    EXPECT_EQ(1, calls.CallsFor(1));
    EXPECT_EQ(1, calls.CallsFor(2));
}

TEST_F(QuoteClientTest, AStalledServerFailsTheRequestAtTheReceiveTimeout)
{
    sim.SetFault(SimFault::Stall);
    QuoteRequestClient client("127.0.0.1", sim.Port());
    client.SetTimeouts(2000, 300);
    DownloadRequest request = MakeRequest(1);
    EXPECT_EQ(E_FAIL, client.Execute(request));
    EXPECT_EQ(1, calls.CallsFor(1));
    EXPECT_EQ(1u, sim.RequestCount());
    sim.ClearFault();
}

TEST_F(QuoteClientTest, ADrippingServerFailsTheRequestAtTheExchangeDeadline)
{
    // A byte every 100 ms never trips the 1 s receive wait; the whole reply
    // would take over 20 s.
    body = PatternBody(200);
    sim.SetFault(SimFault::Drip);
    sim.SetDripInterval(100);
    QuoteRequestClient client("127.0.0.1", sim.Port());
    client.SetTimeouts(2000, 1000, 1500);
    DownloadRequest request = MakeRequest(1);
    const DWORD start = ::GetTickCount();
    EXPECT_EQ(E_FAIL, client.Execute(request));
    EXPECT_LT(::GetTickCount() - start, 6000u);
    EXPECT_EQ(INVALID_SOCKET, request.socket);
    ASSERT_EQ(1, calls.CallsFor(1));
    EXPECT_EQ(0, calls.Records().back().ok);

    // The deadline is per exchange: the next request on the client has its own.
    sim.ClearFault();
    DownloadRequest next = MakeRequest(2);
    EXPECT_EQ(S_OK, client.Execute(next));
}

TEST_F(QuoteClientTest, AnAnnouncedLengthCommitsNoMemoryThatNoBytesFill)
{
    // Ten replies that announce 48 MiB and send 16 bytes: only what arrived
    // was ever held, and nothing oversized is kept after the failures.
    body = PatternBody(16);
    sim.SetFault(SimFault::LyingLength);
    const uint64_t before = ReplyMemoryBudget::Global().Charged();
    ReplyMemoryBudget::Global().ResetPeak();
    uint64_t held = 0;
    for (int i = 0; i < 10; ++i) {
        QuoteRequestClient client("127.0.0.1", sim.Port());
        DownloadRequest request = MakeRequest(i);
        EXPECT_EQ(E_FAIL, client.Execute(request));
        held += client.GetReplyCapacity();
    }
    EXPECT_LT(held, 10u << 20);
    EXPECT_LT(ReplyMemoryBudget::Global().Peak() - before, 1u << 20);
    EXPECT_EQ(before, ReplyMemoryBudget::Global().Charged());

    // A large reply that did arrive is not kept for the next one either.
    sim.ClearFault();
    body = PatternBody(3u << 20);
    QuoteRequestClient client("127.0.0.1", sim.Port());
    DownloadRequest large = MakeRequest(20);
    EXPECT_EQ(S_OK, client.Execute(large));
    EXPECT_LE(client.GetReplyCapacity(), QuoteRequestClient::kKeptReplyBuffer);
    EXPECT_LE(
        client.GetReplyStream()->GetCapacity(), static_cast<int32_t>(QuoteRequestClient::kKeptReplyBuffer));
}

TEST_F(QuoteClientTest, AReplyBeyondTheMemoryBudgetFailsAndTheOthersGoOn)
{
    ReplyMemoryBudget& budget = ReplyMemoryBudget::Global();
    const uint64_t limit = budget.Limit();
    budget.SetLimit(budget.Charged() + (16u << 20));
    sim.SetCompression(1);
    QuoteRequestClient client("127.0.0.1", sim.Port());
    {
        // Other replies in flight hold 10 MiB: a reply that inflates to 6 MiB
        // has no room, a small one has.
        ReplyMemoryCharge others;
        ASSERT_TRUE(others.GrowTo(10u << 20));
        body = std::string(6u << 20, 'z');
        DownloadRequest big = MakeRequest(1);
        EXPECT_EQ(E_FAIL, client.Execute(big));
        ASSERT_EQ(1, calls.CallsFor(1));
        EXPECT_EQ(0, calls.Records().back().ok);

        body = "small";
        DownloadRequest small = MakeRequest(2);
        EXPECT_EQ(S_OK, client.Execute(small));
        EXPECT_TRUE(calls.Records().back().stream == DeliveredStream(kReplyValue, kReplyValue2, body));
    }
    // Once they are gone, it fits: inflated straight into its stream, it
    // holds that stream (at most twice its size while it grows) and the small
    // compressed body, not copies of the reply.
    body = std::string(6u << 20, 'z');
    budget.ResetPeak();
    const uint64_t base = budget.Charged();
    DownloadRequest again = MakeRequest(3);
    EXPECT_EQ(S_OK, client.Execute(again));
    EXPECT_EQ(1, calls.Records().back().ok);
    EXPECT_EQ(static_cast<size_t>(8 + (6u << 20)), calls.Records().back().stream.size());
    EXPECT_LE(budget.Peak() - base, 13u << 20);
    budget.SetLimit(limit);
}

// A listener that never accepts, its backlog filled by connections left
// pending: a further connection attempt is not answered (on Windows it may be
// refused at once instead; either way the request must fail, not hang).
class SaturatedListener
{
public:
    SaturatedListener()
    {
        m_listen = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in addr;
        std::memset(&addr, 0, sizeof(addr));
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int len = sizeof(addr);
        if (m_listen == INVALID_SOCKET
            || ::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0
            || ::listen(m_listen, 1) != 0
            || ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
            return;
        m_port = ntohs(addr.sin_port);
        for (int i = 0; i < 8; ++i) {
            SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
            u_long nonBlocking = 1;
            ::ioctlsocket(s, FIONBIO, &nonBlocking);
            ::connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
            m_fillers.push_back(s);
        }
    }
    ~SaturatedListener()
    {
        for (SOCKET s : m_fillers)
            ::closesocket(s);
        if (m_listen != INVALID_SOCKET)
            ::closesocket(m_listen);
    }
    uint16_t Port() const { return m_port; }

private:
    WinsockSession m_winsock;
    SOCKET m_listen = INVALID_SOCKET;
    uint16_t m_port = 0;
    std::vector<SOCKET> m_fillers;
};

TEST_F(QuoteClientTest, AConnectionThatIsNeverAnsweredFailsAtTheConnectTimeout)
{
    SaturatedListener listener;
    ASSERT_NE(0, listener.Port());
    QuoteRequestClient client("127.0.0.1", listener.Port());
    client.SetTimeouts(300, 300);
    DownloadRequest request = MakeRequest(1);
    HRESULT hr = S_OK;
    // The system's own connect attempt lasts minutes; the bound is far below that.
    std::thread runner([&] { hr = client.Execute(request); });
    const bool ended = calls.WaitForCalls(1, 30000);
    runner.join();
    EXPECT_TRUE(ended) << "the connect wait was not bounded";
    EXPECT_EQ(E_FAIL, hr);
    EXPECT_EQ(1, calls.CallsFor(1));
    EXPECT_EQ(INVALID_SOCKET, request.socket);
    EXPECT_EQ(DownloadRequest::kFailed, request.state);
}

TEST(QuoteWireTest, HeadersHaveTheProtocolsByteLayout)
{
    // Built byte by byte, independent of the structs both sides use.
    const uint8_t request[16]
        = { 0, 0, 0x01, 0x90, 0x39, 0x01, 0x78, 0x56, 0x34, 0x12, 0xEF, 0xCD, 0xAB, 0x89, 0x01, 0x03 };
    QuoteRequestHeader h;
    std::memcpy(&h, request, sizeof(h));
    EXPECT_EQ(0u, h.zero);
    EXPECT_EQ(0x01399001u, h.userData);
    EXPECT_EQ(0x12345678u, h.value);
    EXPECT_EQ(0x89ABCDEFu, h.value2);
    EXPECT_EQ(0x301u, h.command);

    uint8_t reply[20]
        = { 9, 9, 9, 9, 0x44, 0x33, 0x22, 0x11, 0x88, 0x77, 0x66, 0x55, 9, 9, 0x10, 0x27, 0, 0, 1, 9 };
    QuoteReplyHeader r;
    std::memcpy(&r, reply, sizeof(r));
    EXPECT_EQ(0x11223344u, r.value);
    EXPECT_EQ(0x55667788u, r.value2);
    EXPECT_EQ(10000u, r.bodyLength);
    EXPECT_EQ(1u, r.compression);
}

} // namespace
