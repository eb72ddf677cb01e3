#include "net/QuoteRequestClient.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "net/QuoteProtocol.h"
#include "net/SocketUtil.h"

namespace {

std::atomic<DWORD> g_defaultConnectTimeoutMs { QuoteRequestClient::kDefaultConnectTimeoutMs };
std::atomic<DWORD> g_defaultIoTimeoutMs { QuoteRequestClient::kDefaultIoTimeoutMs };
std::atomic<DWORD> g_defaultExchangeTimeoutMs { QuoteRequestClient::kDefaultExchangeTimeoutMs };
// Bytes asked of one receive, and the least the reply buffer grows by.
const uint32_t kReceivePiece = 65536;
const uint32_t kSlack = 32;

void DebugPrint(const char* format, int code)
{
    char text[64];
    std::snprintf(text, sizeof(text), format, code);
    ::OutputDebugStringA(text);
}

// How often a long wait looks at the stop event, and the least time between
// two looks: each look is a call into the system, which on a busy machine
// costs more than the tick count it is weighed against.
const DWORD kStopPollMs = 50;

bool IsSignalled(HANDLE event)
{
    return event && ::WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
}

// The nearer of two tick counts, 0 standing for none.
ULONGLONG Nearest(ULONGLONG a, ULONGLONG b)
{
    return a == 0 || (b != 0 && b < a) ? b : a;
}

} // namespace

QuoteRequestClient::QuoteRequestClient(const char* address, uint16_t port)
    : m_replyBuffer(nullptr)
    , m_replyCapacity(0)
    , m_replyLength(0)
    , m_address(address ? address : "")
    , m_port(port)
    , m_connectTimeoutMs(g_defaultConnectTimeoutMs.load())
    , m_ioTimeoutMs(g_defaultIoTimeoutMs.load())
    , m_exchangeTimeoutMs(g_defaultExchangeTimeoutMs.load())
    , m_stop(nullptr)
    , m_callbackMade(false)
{
}

QuoteRequestClient::~QuoteRequestClient()
{
    FreeReplyBuffer();
}

void QuoteRequestClient::SetTimeouts(DWORD connectMs, DWORD ioMs, DWORD exchangeMs)
{
    m_connectTimeoutMs = connectMs;
    m_ioTimeoutMs = ioMs;
    m_exchangeTimeoutMs = exchangeMs;
}

void QuoteRequestClient::SetDefaultTimeouts(DWORD connectMs, DWORD ioMs, DWORD exchangeMs)
{
    g_defaultConnectTimeoutMs = connectMs;
    g_defaultIoTimeoutMs = ioMs;
    g_defaultExchangeTimeoutMs = exchangeMs;
}

void QuoteRequestClient::FreeReplyBuffer()
{
    std::free(m_replyBuffer);
    m_replyBuffer = nullptr;
    m_replyCapacity = 0;
    m_replyLength = 0;
    m_bufferCharge.Release();
}

bool QuoteRequestClient::GrowReplyBuffer(uint32_t capacity)
{
    if (capacity <= m_replyCapacity)
        return true;
    const uint64_t bytes = static_cast<uint64_t>(capacity) + kSlack;
    if (!m_bufferCharge.GrowTo(bytes))
        return false;
    uint8_t* grown = static_cast<uint8_t*>(std::realloc(m_replyBuffer, static_cast<size_t>(bytes)));
    if (!grown)
        return false;
    m_replyBuffer = grown;
    m_replyCapacity = capacity;
    return true;
}

CMemoryStream* QuoteRequestClient::TargetOf(DownloadRequest& request)
{
    return request.out ? request.out : &m_replyStream;
}

void QuoteRequestClient::CloseSocket(DownloadRequest& request)
{
    if (request.socket != INVALID_SOCKET) {
        ::closesocket(request.socket);
        request.socket = INVALID_SOCKET;
    }
}

void QuoteRequestClient::CallBack(DownloadRequest& request, CMemoryStream* stream, int32_t ok)
{
    if (!request.callback || m_callbackMade)
        return;
    // Marked before the call: a callback that throws has still been called.
    m_callbackMade = true;
    request.callback(request.userData, request.callbackArg, stream, ok);
}

HRESULT QuoteRequestClient::Execute(DownloadRequest& request, StopKnowledge stop)
{
    m_callbackMade = false;
    m_waits = SocketWaits();
    m_waits.waitMs = m_ioTimeoutMs;
    const ULONGLONG now = ::GetTickCount64();
    m_waits.deadline = now + m_exchangeTimeoutMs;
    m_waits.stop = m_stop;
    if (stop == kStopJustSeenClear)
        m_waits.stopLookedAt = now;
    HRESULT hr = E_FAIL;
    try {
        if (!Connect(request) || !ReceiveReply(request)) {
            request.state = DownloadRequest::kFailed;
            CallBack(request, nullptr, 0);
        } else {
            request.state = DownloadRequest::kDone;
            hr = DeliverReply(request);
            if (FAILED(hr))
                CallBack(request, nullptr, 0);
        }
    } catch (...) {
        CloseSocket(request);
        // The asker waits for exactly one answer: give the failure unless the
        // exception came from (or after) the call already made.
        try {
            CallBack(request, nullptr, 0);
        } catch (...) {
        }
        hr = E_FAIL;
    }
    // The reply has been handed over: what it held is no longer in flight.
    // The stream keeps its memory for the next reply unless it held a large
    // one; growing by doubling may have left more than the reply needed.
    const int32_t kept = static_cast<int32_t>(8 + kKeptReplyBuffer);
    if (m_replyStream.GetSize() > kept)
        m_replyStream.Clear();
    else if (m_replyStream.GetCapacity() > kept)
        m_replyStream.Reserve(m_replyStream.GetSize());
    m_streamCharge.Release();
    if (m_replyCapacity > kKeptReplyBuffer)
        FreeReplyBuffer();
    return hr;
}

int QuoteRequestClient::Connect(DownloadRequest& request)
{
    request.socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (request.socket == INVALID_SOCKET)
        return 0;
    sockaddr_in addr;
    std::memset(&addr, 0, sizeof(addr));
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = ::inet_addr(m_address.c_str());
    addr.sin_port = htons(static_cast<u_short>(m_port));
    const ULONGLONG now = ::GetTickCount64();
    const ULONGLONG deadline = m_waits.deadline;
    const ULONGLONG left = deadline > now ? deadline - now : 0;
    const DWORD connectMs
        = deadline == 0 || left > m_connectTimeoutMs ? m_connectTimeoutMs : static_cast<DWORD>(left);
    // The socket stays non-blocking: every wait of the exchange is bounded by
    // the I/O time-out and the deadline, and bytes already there need none.
    if (addr.sin_addr.s_addr == INADDR_NONE || connectMs == 0
        || !ConnectWithTimeout(request.socket, addr, connectMs, true)) {
        CloseSocket(request);
        return 0;
    }
    m_waits.nonBlocking = true;
    BOOL noDelay = TRUE;
    ::setsockopt(
        request.socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof(noDelay));

    QuoteRequestHeader header;
    header.zero = 0;
    header.userData = request.userData;
    header.value = request.value;
    header.value2 = request.value2;
    header.command = static_cast<uint16_t>(request.command);
    if (!SendAll(request.socket, reinterpret_cast<const char*>(&header), sizeof(header), m_waits)) {
        CloseSocket(request);
        return 0;
    }
    return 1;
}

int QuoteRequestClient::ReceiveReply(DownloadRequest& request)
{
    QuoteReplyHeader header;
    // The reply is never there the moment the request has gone.
    if (!RecvAll(request.socket, reinterpret_cast<char*>(&header), sizeof(header), m_waits, true)) {
        CloseSocket(request);
        return 0;
    }
    CMemoryStream* target = TargetOf(request);
    if (header.bodyLength == 0) {
        CloseSocket(request);
        target->Empty();
        return 0;
    }
    // An announced length is not trusted with an allocation of that size.
    if (header.bodyLength > kMaxQuoteReplyBody) {
        ::OutputDebugStringA("quote reply too long\n");
        CloseSocket(request);
        return 0;
    }
    const bool received = ReceiveBody(request.socket, header.bodyLength);
    CloseSocket(request);
    if (!received)
        return 0;
    // The body stays in the reply buffer: delivery shapes the target stream
    // from it, so the reply is never held twice before it is inflated.
    target->Empty();
    request.value = header.value;
    request.value2 = header.value2;
    request.compression = header.compression;
    return 1;
}

bool QuoteRequestClient::ReceiveBody(SOCKET s, uint32_t length)
{
    m_replyLength = 0;
    uint32_t received = 0;
    while (received < length) {
        const uint32_t piece = length - received < kReceivePiece ? length - received : kReceivePiece;
        if (m_replyCapacity < received + piece) {
            // Doubling keeps the copies few; the announced length only bounds it.
            uint64_t wanted = static_cast<uint64_t>(m_replyCapacity) * 2;
            if (wanted < received + piece)
                wanted = received + piece;
            if (wanted > length)
                wanted = length;
            if (!GrowReplyBuffer(static_cast<uint32_t>(wanted))) {
                ::OutputDebugStringA("alloc memory error");
                return false;
            }
        }
        if (!RecvAll(s, reinterpret_cast<char*>(m_replyBuffer + received), static_cast<int>(piece), m_waits))
            return false;
        received += piece;
    }
    std::memset(m_replyBuffer + length, 0, 1);
    m_replyLength = length;
    return true;
}

HRESULT QuoteRequestClient::DeliverReply(DownloadRequest& request)
{
    CMemoryStream* target = TargetOf(request);
    const uint32_t length = m_replyLength;
    const uint8_t* body = m_replyBuffer;
    // The target keeps the memory an earlier reply left: while this one
    // fills it, all of it is memory in flight.
    target->Empty();
    const uint64_t kept = static_cast<uint64_t>(target->GetCapacity());
    bool ok = true;
    if (request.compression == kCompressionZlib || request.compression == kCompressionNone) {
        const uint64_t initial = 8 + static_cast<uint64_t>(length);
        ok = m_streamCharge.GrowTo(initial > kept ? initial : kept)
            && (kept >= initial || target->Reserve(static_cast<int32_t>(initial)) >= static_cast<int32_t>(initial))
            && target->Write(&request.value, 4) == 4 && target->Write(&request.value2, 4) == 4;
        if (ok && request.compression == kCompressionZlib) {
            ok = InflateToStream(body, length, *target, kMaxInflatedBody, m_streamCharge) == 0
                && target->GetSize() > 8;
            if (!ok) {
                // The asker may look at what came: the compressed body.
                target->Empty();
                target->Write(body, static_cast<int32_t>(length));
            }
        } else if (ok) {
            ok = target->Write(body, static_cast<int32_t>(length)) == static_cast<int32_t>(length);
        }
    } else {
        ok = m_streamCharge.GrowTo(length > kept ? length : kept)
            && target->Write(body, static_cast<int32_t>(length)) == static_cast<int32_t>(length);
    }
    if (!ok)
        return E_FAIL;
    // Readers start at the beginning of the delivered stream.
    target->Seek(0, 0);
    CallBack(request, target, 1);
    return 0;
}

void QuoteRequestClient::SocketWaits::LookAtStop(ULONGLONG now)
{
    if (!stop || stopSeen || (stopLookedAt != 0 && now - stopLookedAt < kStopPollMs))
        return;
    stopLookedAt = now;
    if (!IsSignalled(stop))
        return;
    stopSeen = true;
    deadline = Nearest(deadline, now + kStopGraceMs);
}

bool QuoteRequestClient::SocketWaits::InTime()
{
    if (deadline == 0 && !stop)
        return true;
    const ULONGLONG now = ::GetTickCount64();
    LookAtStop(now);
    if (deadline != 0 && now >= deadline) {
        ::WSASetLastError(WSAETIMEDOUT);
        return false;
    }
    return true;
}

bool QuoteRequestClient::SocketWaits::WaitFor(SOCKET s, bool write)
{
    // A blocking socket without a deadline or a stop: its own time-outs
    // bound the call that follows.
    if (deadline == 0 && !stop && !nonBlocking)
        return true;
    const ULONGLONG start = ::GetTickCount64();
    const ULONGLONG waitEnd = waitMs == INFINITE ? 0 : start + waitMs;
    for (;;) {
        const ULONGLONG now = ::GetTickCount64();
        LookAtStop(now);
        const ULONGLONG end = Nearest(deadline, waitEnd);
        if (end != 0 && now >= end) {
            ::WSASetLastError(WSAETIMEDOUT);
            return false;
        }
        ULONGLONG ms = end == 0 ? kStopPollMs : end - now;
        if (stop && !stopSeen && ms > kStopPollMs)
            ms = kStopPollMs;
        fd_set set;
        FD_ZERO(&set);
        FD_SET(s, &set);
        timeval timeout;
        timeout.tv_sec = static_cast<long>(ms / 1000);
        timeout.tv_usec = static_cast<long>((ms % 1000) * 1000);
        const int ready = ::select(0, write ? nullptr : &set, write ? &set : nullptr, nullptr, &timeout);
        if (ready != 0)
            return ready > 0;
    }
}

int QuoteRequestClient::Transfer(
    SOCKET s, bool write, char* data, int length, int piece, SocketWaits& waits, bool waitFirst)
{
    while (length > 0) {
        const int n = length < piece ? length : piece;
        int done = SOCKET_ERROR;
        for (;;) {
            // A non-blocking socket is tried at once; the deadline still
            // bounds a peer that keeps a few bytes ready at every try.
            if (waits.nonBlocking && !waitFirst) {
                if (!waits.InTime())
                    break;
                done = write ? ::send(s, data, n, 0) : ::recv(s, data, n, 0);
                if (done != SOCKET_ERROR || ::WSAGetLastError() != WSAEWOULDBLOCK)
                    break;
            }
            waitFirst = false;
            if (!waits.WaitFor(s, write)) {
                done = SOCKET_ERROR;
                break;
            }
            if (!waits.nonBlocking) {
                done = write ? ::send(s, data, n, 0) : ::recv(s, data, n, 0);
                break;
            }
        }
        if (done == SOCKET_ERROR || (!write && done == 0)) {
            DebugPrint(write ? "WSAGetLastError3 = %d\n" : "WSAGetLastError2 = %d\n", ::WSAGetLastError());
            return 0;
        }
        data += done;
        length -= done;
    }
    return 1;
}

int QuoteRequestClient::SendAll(SOCKET s, const char* data, int length, SocketWaits& waits)
{
    return Transfer(s, true, const_cast<char*>(data), length, 1024, waits);
}

int QuoteRequestClient::RecvAll(SOCKET s, char* buffer, int length, SocketWaits& waits, bool waitFirst)
{
    // Each receive is bounded by the wait time-out; the deadline bounds them
    // all, so a server that drips a byte before every time-out still fails.
    return Transfer(s, false, buffer, length, 65536, waits, waitFirst);
}

int QuoteRequestClient::SendAll(
    SOCKET s, const char* data, int length, DWORD waitMs, ULONGLONG deadline, HANDLE stop)
{
    SocketWaits waits;
    waits.waitMs = waitMs;
    waits.deadline = deadline;
    waits.stop = stop;
    return SendAll(s, data, length, waits);
}

int QuoteRequestClient::RecvAll(SOCKET s, char* buffer, int length, DWORD waitMs, ULONGLONG deadline, HANDLE stop)
{
    SocketWaits waits;
    waits.waitMs = waitMs;
    waits.deadline = deadline;
    waits.stop = stop;
    return RecvAll(s, buffer, length, waits);
}
