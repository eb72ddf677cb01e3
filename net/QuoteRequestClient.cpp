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

void DebugPrint(const char* format, int code)
{
    char text[64];
    std::snprintf(text, sizeof(text), format, code);
    ::OutputDebugStringA(text);
}

} // namespace

QuoteRequestClient::QuoteRequestClient(const char* address, uint16_t port)
    : m_replyBuffer(nullptr)
    , m_replyCapacity(0)
    , m_address(address ? address : "")
    , m_port(port)
    , m_connectTimeoutMs(g_defaultConnectTimeoutMs.load())
    , m_ioTimeoutMs(g_defaultIoTimeoutMs.load())
    , m_callbackMade(false)
{
}

QuoteRequestClient::~QuoteRequestClient()
{
    std::free(m_replyBuffer);
}

void QuoteRequestClient::SetTimeouts(DWORD connectMs, DWORD ioMs)
{
    m_connectTimeoutMs = connectMs;
    m_ioTimeoutMs = ioMs;
}

void QuoteRequestClient::SetDefaultTimeouts(DWORD connectMs, DWORD ioMs)
{
    g_defaultConnectTimeoutMs = connectMs;
    g_defaultIoTimeoutMs = ioMs;
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

HRESULT QuoteRequestClient::Execute(DownloadRequest& request)
{
    m_callbackMade = false;
    try {
        if (!Connect(request) || !ReceiveReply(request)) {
            request.state = DownloadRequest::kFailed;
            CallBack(request, nullptr, 0);
            return E_FAIL;
        }
        request.state = DownloadRequest::kDone;
        HRESULT hr = DeliverReply(request);
        if (FAILED(hr))
            CallBack(request, nullptr, 0);
        return hr;
    } catch (...) {
        CloseSocket(request);
        // The asker waits for exactly one answer: give the failure unless the
        // exception came from (or after) the call already made.
        try {
            CallBack(request, nullptr, 0);
        } catch (...) {
        }
        return E_FAIL;
    }
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
    if (addr.sin_addr.s_addr == INADDR_NONE
        || !ConnectWithTimeout(request.socket, addr, m_connectTimeoutMs)) {
        CloseSocket(request);
        return 0;
    }
    // A peer that stops answering fails the request instead of pinning the thread.
    DWORD io = m_ioTimeoutMs;
    ::setsockopt(request.socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&io), sizeof(io));
    ::setsockopt(request.socket, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&io), sizeof(io));
    BOOL noDelay = TRUE;
    ::setsockopt(
        request.socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof(noDelay));

    QuoteRequestHeader header;
    header.zero = 0;
    header.userData = request.userData;
    header.value = request.value;
    header.value2 = request.value2;
    header.command = static_cast<uint16_t>(request.command);
    if (!SendAll(request.socket, reinterpret_cast<const char*>(&header), sizeof(header))) {
        CloseSocket(request);
        return 0;
    }
    return 1;
}

int QuoteRequestClient::ReceiveReply(DownloadRequest& request)
{
    QuoteReplyHeader header;
    if (!RecvAll(request.socket, reinterpret_cast<char*>(&header), sizeof(header))) {
        CloseSocket(request);
        return 0;
    }
    CMemoryStream* target = TargetOf(request);
    if (header.bodyLength == 0) {
        CloseSocket(request);
        target->Clear();
        return 0;
    }
    // An announced length is not trusted with an allocation of that size.
    if (header.bodyLength > kMaxQuoteReplyBody) {
        ::OutputDebugStringA("quote reply too long\n");
        CloseSocket(request);
        return 0;
    }
    uint8_t* buffer = ReserveReplyBuffer(header.bodyLength);
    if (!buffer) {
        ::OutputDebugStringA("alloc memory error");
        CloseSocket(request);
        return 0;
    }
    if (!RecvAll(request.socket, reinterpret_cast<char*>(buffer), static_cast<int>(header.bodyLength))) {
        CloseSocket(request);
        return 0;
    }
    CloseSocket(request);
    target->Clear();
    request.value = header.value;
    request.value2 = header.value2;
    request.compression = header.compression;
    return target->Write(buffer, static_cast<int32_t>(header.bodyLength))
            == static_cast<int32_t>(header.bodyLength)
        ? 1
        : 0;
}

HRESULT QuoteRequestClient::DeliverReply(DownloadRequest& request)
{
    CMemoryStream* target = TargetOf(request);
    const int32_t size = target->GetSize();
    if (size > 0 && (request.compression == kCompressionZlib || request.compression == kCompressionNone)) {
        uint8_t* plain = nullptr;
        uint32_t plainLength = 0;
        CMemoryStream shaped;
        bool ok = shaped.Reserve(8 + size) >= 8 + size;
        if (ok && request.compression == kCompressionZlib) {
            // The stream keeps the compressed body when this fails.
            ok = InflateBuffer(target->GetBuffer(), static_cast<uint32_t>(size), &plain, &plainLength) == 0
                && plainLength > 0;
        } else if (ok) {
            plainLength = static_cast<uint32_t>(size);
        }
        const uint8_t* body = plain ? plain : target->GetBuffer();
        ok = ok && shaped.Write(&request.value, 4) == 4 && shaped.Write(&request.value2, 4) == 4
            && shaped.Write(body, static_cast<int32_t>(plainLength)) == static_cast<int32_t>(plainLength);
        std::free(plain);
        if (!ok)
            return E_FAIL;
        target->Clear();
        if (target->Write(shaped.GetBuffer(), shaped.GetSize()) != shaped.GetSize())
            return E_FAIL;
    }
    // Readers start at the beginning of the delivered stream.
    target->Seek(0, 0);
    CallBack(request, target, 1);
    return 0;
}

int QuoteRequestClient::SendAll(SOCKET s, const char* data, int length)
{
    while (length > 0) {
        const int piece = length < 1024 ? length : 1024;
        const int sent = ::send(s, data, piece, 0);
        if (sent == SOCKET_ERROR) {
            DebugPrint("WSAGetLastError3 = %d\n", ::WSAGetLastError());
            return 0;
        }
        data += sent;
        length -= sent;
    }
    return 1;
}

int QuoteRequestClient::RecvAll(SOCKET s, char* buffer, int length)
{
    while (length > 0) {
        const int piece = length < 65536 ? length : 65536;
        const int got = ::recv(s, buffer, piece, 0);
        if (got == SOCKET_ERROR || got == 0) {
            DebugPrint("WSAGetLastError2 = %d\n", ::WSAGetLastError());
            return 0;
        }
        buffer += got;
        length -= got;
    }
    return 1;
}

uint8_t* QuoteRequestClient::ReserveReplyBuffer(uint32_t length)
{
    if (length > kMaxQuoteReplyBody)
        return nullptr;
    if (m_replyCapacity < length) {
        std::free(m_replyBuffer);
        m_replyCapacity = 0;
        m_replyBuffer = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(length) + 32));
        if (!m_replyBuffer)
            return nullptr;
        m_replyCapacity = length;
    }
    std::memset(m_replyBuffer, 0, static_cast<size_t>(length) + 1);
    return m_replyBuffer;
}
