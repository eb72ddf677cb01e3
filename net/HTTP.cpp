#include "net/HTTP.h"

#include <cctype>
#include <cstring>
#include <new>

#include "base/Base64.h"
#include "base/Format.h"
#include "net/DNSNameCache.h"
#include "net/HttpText.h"
#include "net/SocketUtil.h"

namespace {

// How long a cancelled operation may take to report that it has ended.
const DWORD kCancelWaitMs = 5000;

} // namespace

using HttpText::ContainsNoCase;
using HttpText::FindHeaderEnd;
using HttpText::HexValue;
using HttpText::ParseDecimal;

struct CHTTP::IoState
{
    WSAOVERLAPPED overlapped;
    char buffer[kBufferSize + 1];
};

CHTTP::CHTTP()
    : m_port(80)
    , m_count(0)
    , m_waitMs(kDefaultWaitMs)
    , m_connectTimeoutMs(kDefaultConnectTimeoutMs)
    , m_exchangeMs(kDefaultExchangeTimeoutMs)
    , m_deadline(0)
{
}

CHTTP::~CHTTP()
{
    Close();
}

bool CHTTP::EnsureBuffer()
{
    if (m_io)
        return true;
    m_io.reset(new (std::nothrow) IoState);
    if (!m_io) {
        ::OutputDebugStringA("alloc memory error");
        ::WSASetLastError(WSA_NOT_ENOUGH_MEMORY);
        return false;
    }
    m_count = 0;
    return true;
}

void CHTTP::Consume(int32_t n)
{
    if (n >= m_count) {
        m_count = 0;
    } else if (n > 0) {
        std::memmove(m_io->buffer, m_io->buffer + n, static_cast<size_t>(m_count - n));
        m_count -= n;
    }
    if (m_io)
        m_io->buffer[m_count] = 0;
}

void CHTTP::Close()
{
    const int error = ::WSAGetLastError();
    m_socket.Close();
    m_event.Reset();
    m_count = 0;
    m_io.reset();
    ::WSASetLastError(error);
}

DWORD CHTTP::Remaining(DWORD limitMs) const
{
    const ULONGLONG now = ::GetTickCount64();
    if (m_deadline == 0)
        return limitMs;
    if (now >= m_deadline)
        return 0;
    const ULONGLONG left = m_deadline - now;
    return left < limitMs ? static_cast<DWORD>(left) : limitMs;
}

bool CHTTP::ConnectOnce(const sockaddr_in& address)
{
    const DWORD timeoutMs = Remaining(m_connectTimeoutMs);
    if (timeoutMs == 0) {
        ::WSASetLastError(WSAETIMEDOUT);
        return false;
    }
    const SOCKET s = ::WSASocketA(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_OVERLAPPED);
    if (s == INVALID_SOCKET)
        return false;
    m_socket.Attach(s);
    return ConnectWithTimeout(s, address, timeoutMs);
}

bool CHTTP::Connect()
{
    sockaddr_in address;
    std::memset(&address, 0, sizeof(address));
    address.sin_family = AF_INET;
    address.sin_port = ::htons(static_cast<u_short>(m_port));
    std::string dotted;
    CDNSNameCache cache; // a fresh cache: every connection looks the name up again
    if (!cache.Resolve(m_host, dotted)) {
        Close();
        ::WSASetLastError(WSAHOST_NOT_FOUND);
        return false;
    }
    address.sin_addr.s_addr = ::inet_addr(dotted.c_str());

    for (int attempt = 0; attempt <= kConnectRetries; ++attempt) {
        if (ConnectOnce(address)) {
            const WSAEVENT event = ::WSACreateEvent();
            if (event != WSA_INVALID_EVENT) {
                m_event.Attach(event);
                return true;
            }
            break;
        }
        const int error = ::WSAGetLastError();
        if (error != WSAETIMEDOUT && error != WSAEADDRINUSE)
            break;
    }
    Close();
    return false;
}

bool CHTTP::FinishOverlapped(DWORD& transferred)
{
    transferred = 0;
    const SOCKET s = m_socket.Get();
    const WSAEVENT event = m_event;
    // Each wait is bounded, and so is the exchange: a server that sends a byte
    // just before every wait runs out still fails at the deadline.
    if (::WSAWaitForMultipleEvents(1, &event, FALSE, Remaining(m_waitMs), FALSE) == WSA_WAIT_EVENT_0) {
        DWORD flags = 0;
        return ::WSAGetOverlappedResult(s, &m_io->overlapped, &transferred, FALSE, &flags) != FALSE;
    }
    // The operation still refers to the buffer and the overlapped record:
    // cancel it and see it end before either may be reused or freed.
    ::CancelIoEx(reinterpret_cast<HANDLE>(s), &m_io->overlapped);
    if (::WSAWaitForMultipleEvents(1, &event, FALSE, kCancelWaitMs, FALSE) != WSA_WAIT_EVENT_0) {
        m_socket.Close(); // closing the socket aborts whatever is still pending
        if (::WSAWaitForMultipleEvents(1, &event, FALSE, kCancelWaitMs, FALSE) != WSA_WAIT_EVENT_0) {
            // Never confirmed: abandon both to the operation rather than free them under it.
            ::OutputDebugStringA("CHTTP: a cancelled operation did not end; its buffer is abandoned\n");
            (void)m_io.release();
            m_event.Detach();
            m_count = 0;
        }
    }
    ::WSASetLastError(WSAETIMEDOUT);
    return false;
}

bool CHTTP::SendAll(const char* data, int32_t length)
{
    if (!EnsureBuffer() || !m_event)
        return false;
    int32_t sent = 0;
    while (sent < length) {
        if (Remaining(m_waitMs) == 0) {
            ::WSASetLastError(WSAETIMEDOUT);
            return false;
        }
        ::WSAResetEvent(m_event);
        std::memset(&m_io->overlapped, 0, sizeof(m_io->overlapped));
        m_io->overlapped.hEvent = m_event;
        WSABUF part;
        part.len = static_cast<u_long>(length - sent);
        part.buf = const_cast<char*>(data + sent);
        DWORD done = 0;
        if (::WSASend(m_socket.Get(), &part, 1, &done, 0, &m_io->overlapped, nullptr) != 0
            && ::WSAGetLastError() != WSA_IO_PENDING)
            return false;
        if (!FinishOverlapped(done))
            return false;
        if (done == 0) {
            ::WSASetLastError(WSAECONNRESET);
            return false;
        }
        sent += static_cast<int32_t>(done);
    }
    return true;
}

int32_t CHTTP::Receive(int32_t n)
{
    if (!EnsureBuffer() || !m_event)
        return kReceiveFailed;
    const int32_t room = kBufferSize - m_count;
    int32_t wanted = (n >= 0 && n <= room) ? n : room;
    while (wanted > 0) {
        if (Remaining(m_waitMs) == 0) {
            ::WSASetLastError(WSAETIMEDOUT);
            return kReceiveFailed;
        }
        ::WSAResetEvent(m_event);
        std::memset(&m_io->overlapped, 0, sizeof(m_io->overlapped));
        m_io->overlapped.hEvent = m_event;
        WSABUF part;
        part.len = static_cast<u_long>(wanted);
        part.buf = m_io->buffer + m_count;
        DWORD done = 0;
        DWORD flags = 0;
        if (::WSARecv(m_socket.Get(), &part, 1, &done, &flags, &m_io->overlapped, nullptr) != 0
            && ::WSAGetLastError() != WSA_IO_PENDING)
            return kReceiveFailed;
        if (!FinishOverlapped(done))
            return kReceiveFailed;
        if (done == 0) {
            ::shutdown(m_socket.Get(), SD_BOTH);
            m_io->buffer[m_count] = 0;
            ::WSASetLastError(0);
            return kReceiveClosed;
        }
        m_count += static_cast<int32_t>(done);
        wanted -= static_cast<int32_t>(done);
        if (n < 0)
            break;
    }
    m_io->buffer[m_count] = 0;
    return kReceiveData;
}

int32_t CHTTP::SendOneRequest(const std::string& url)
{
    Close(); // nothing of an earlier exchange may linger
    m_currentUrl.clear();
    for (char c : url) {
        if (c != '\r' && c != '\n')
            m_currentUrl += c;
    }
    m_headerBlock.clear();
    if (!ParseUrl(m_currentUrl, m_host, m_user, m_password, m_port, m_path))
        return 0;
    if (!Connect())
        return 0;

    std::string headers = "Accept: */*\r\nConnection: close\r\n";
    // A server on another port than the default names its own address with the
    // port; without it, links the server builds from this header point elsewhere.
    headers += "Host: " + m_host + (m_port == 80 ? std::string() : ":" + std::to_string(m_port)) + "\r\n";
    headers += "User-Agent: " + m_userAgent + "\r\n";
    if (!m_user.empty()) {
        const std::string credentials = m_user + ":" + m_password;
        const std::string encoded = Base64EncodeStandard(credentials.data(), credentials.size());
        if (encoded.empty()) {
            Close();
            return 0;
        }
        headers += "Authorization: Basic " + encoded + "\r\n";
    }
    if (!m_extraHeaders.empty()) {
        headers += m_extraHeaders;
        if (headers.size() < 2 || headers.compare(headers.size() - 2, 2, "\r\n") != 0)
            headers += "\r\n";
    }
    const std::string request = "GET " + m_path + " HTTP/1.1\r\n" + headers + "\r\n";
    if (!SendAll(request.data(), static_cast<int32_t>(request.size()))) {
        Close();
        return 0;
    }

    int32_t headerEnd = -1;
    int32_t searched = 0;
    if (!EnsureBuffer()) {
        Close();
        return 0;
    }
    for (;;) {
        headerEnd = FindHeaderEnd(m_io->buffer, m_count, searched - 3);
        if (headerEnd >= 0)
            break;
        searched = m_count;
        if (m_count >= kBufferSize || Receive(-1) != kReceiveData) {
            Close();
            return 0;
        }
    }

    const char* data = m_io->buffer;
    const char* lineEnd
        = static_cast<const char*>(std::memchr(data, '\r', static_cast<size_t>(headerEnd + 1)));
    const std::string statusLine(data, static_cast<size_t>(lineEnd - data));
    m_headerBlock.assign(lineEnd + 2, data + headerEnd + 4);
    const size_t firstSpace = statusLine.find(' ');
    const std::string version = statusLine.substr(0, firstSpace);
    if (firstSpace == std::string::npos || (version != "HTTP/1.0" && version != "HTTP/1.1")) {
        Close();
        return 0;
    }
    const size_t secondSpace = statusLine.find(' ', firstSpace + 1);
    int64_t status = 0;
    if (!ParseDecimal(
            statusLine.substr(firstSpace + 1,
                secondSpace == std::string::npos ? std::string::npos : secondSpace - firstSpace - 1),
            status)
        || status > 999)
        status = 0;
    Consume(headerEnd + 4);

    if (status < 100) {
        Close();
        return 0;
    }
    if (status >= 300)
        Close();
    return static_cast<int32_t>(status);
}

int32_t CHTTP::SendRequest(const std::string& url)
{
    // The deadline covers every redirect and the body read after this.
    m_deadline = ::GetTickCount64() + m_exchangeMs;
    std::string next = url;
    for (int redirects = 0;; ++redirects) {
        const int32_t status = SendOneRequest(next);
        if (status != 301 && status != 302 && status != 303 && status != 307)
            return status;
        std::string location;
        if (redirects >= kMaxRedirects || !FindHeader("Location", location)
            || !ResolveLocation(m_host, m_port, m_path, location, next))
            return 0;
    }
}

bool CHTTP::AppendBuffered(std::string& body, int64_t limit)
{
    const int32_t take = static_cast<int64_t>(m_count) < limit ? m_count : static_cast<int32_t>(limit);
    if (take > 0) {
        body.append(m_io->buffer, static_cast<size_t>(take));
        Consume(take);
    }
    return true;
}

bool CHTTP::ReadLengthBody(int64_t length, std::string& body)
{
    body.reserve(static_cast<size_t>(length < kBufferSize ? length : kBufferSize));
    while (static_cast<int64_t>(body.size()) < length) {
        if (m_count == 0 && Receive(-1) != kReceiveData)
            return false; // includes a close before the announced length
        AppendBuffered(body, length - static_cast<int64_t>(body.size()));
    }
    return true;
}

bool CHTTP::ReadUntilClose(std::string& body)
{
    for (;;) {
        if (static_cast<int64_t>(body.size()) + m_count > kMaxBodySize)
            return false;
        AppendBuffered(body, m_count);
        const int32_t result = Receive(-1);
        if (result == kReceiveClosed) {
            AppendBuffered(body, m_count);
            return static_cast<int64_t>(body.size()) <= kMaxBodySize;
        }
        if (result != kReceiveData)
            return false;
    }
}

bool CHTTP::ReadChunkedBody(std::string& body)
{
    for (;;) {
        const char* lf;
        while (
            !(lf = static_cast<const char*>(std::memchr(m_io->buffer, '\n', static_cast<size_t>(m_count))))) {
            if (m_count >= kBufferSize || Receive(-1) != kReceiveData)
                return false;
        }
        const int32_t lineLength = static_cast<int32_t>(lf - m_io->buffer);
        int64_t size = 0;
        int32_t digits = 0;
        int value;
        while (digits < lineLength && (value = HexValue(m_io->buffer[digits])) >= 0) {
            size = size * 16 + value;
            if (size > kMaxBodySize)
                return false;
            ++digits;
        }
        if (digits == 0 || static_cast<int64_t>(body.size()) + size > kMaxBodySize)
            return false;
        Consume(lineLength + 1);
        if (size == 0)
            return true;

        const int64_t target = static_cast<int64_t>(body.size()) + size;
        while (static_cast<int64_t>(body.size()) < target) {
            if (m_count == 0 && Receive(-1) != kReceiveData)
                return false;
            AppendBuffered(body, target - static_cast<int64_t>(body.size()));
        }
        // The line end after the data.
        if (m_count == 0 && Receive(-1) != kReceiveData)
            return false;
        if (m_io->buffer[0] == '\r') {
            if (m_count < 2 && Receive(-1) != kReceiveData)
                return false;
            if (m_io->buffer[1] != '\n')
                return false;
            Consume(2);
        } else if (m_io->buffer[0] == '\n') {
            Consume(1);
        } else {
            return false;
        }
    }
}

bool CHTTP::ReadBody(std::string& body)
{
    body.clear();
    if (!EnsureBuffer() || !m_event) {
        Close();
        return false;
    }
    bool ok;
    std::string value;
    if (FindHeader("Transfer-Encoding", value) && ContainsNoCase(value, "chunked")) {
        ok = ReadChunkedBody(body);
    } else if (FindHeader("Content-Length", value)) {
        int64_t length = 0;
        ok = ParseDecimal(value, length) && length <= kMaxBodySize && ReadLengthBody(length, body);
    } else {
        ok = ReadUntilClose(body);
    }
    if (!ok) {
        body.clear();
        body.shrink_to_fit();
        Close();
    }
    return ok;
}

bool CHTTP::Get(const std::string& url, std::string& body)
{
    body.clear();
    bool ok = false;
    if (SendRequest(url) == 200)
        ok = ReadBody(body);
    Close();
    return ok;
}
