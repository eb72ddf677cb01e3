#include "net/HttpClient.h"

#include <winsock2.h>

#include <cstring>

#include "base/MemoryStream.h"
#include "net/InternetSession.h"

namespace {

const DWORD kSessionFlags = 0x04000000; // INTERNET_FLAG_DONT_CACHE
const DWORD kOptionConnectTimeout = 2;
const DWORD kOptionConnectRetries = 3;
const DWORD kOptionSendTimeout = 5;
const DWORD kOptionReceiveTimeout = 6;
const DWORD kOptionProxyUserName = 43;
const DWORD kOptionProxyPassword = 44;
const DWORD kQueryStatusCode = 19;
const DWORD kQueryContentLength = 5;
// A reply body beyond this is refused.
const int64_t kMaxBodySize = CHTTP::kMaxBodySize;
// Reload from the server, write no cache entry, keep the connection, and
// leave redirects to us.
const DWORD kRequestFlags = 0x84400000 | INTERNET_FLAG_NO_AUTO_REDIRECT;
const DWORD kFlagSecure = INTERNET_FLAG_SECURE;
const DWORD kQueryVersion = HTTP_QUERY_VERSION;
const DWORD kQueryLocation = HTTP_QUERY_LOCATION;
const DWORD kQueryRawHeaders = HTTP_QUERY_RAW_HEADERS_CRLF;
const DWORD kQueryTransferEncoding = HTTP_QUERY_TRANSFER_ENCODING;
const char* const kRequestVersion = "HTTP/1.0";

struct UrlParts
{
    bool secure = false;
    std::string host;
    INTERNET_PORT port = 80;
    std::string user;
    std::string password;
    std::string path; // with the query
};

std::string Part(const char* text, DWORD length)
{
    return text ? std::string(text, length) : std::string();
}

// http and https URLs only; the parts point into url.
bool CrackUrl(const std::string& url, UrlParts& parts)
{
    URL_COMPONENTSA components;
    std::memset(&components, 0, sizeof(components));
    components.dwStructSize = sizeof(components);
    components.dwHostNameLength = 1;
    components.dwUserNameLength = 1;
    components.dwPasswordLength = 1;
    components.dwUrlPathLength = 1;
    components.dwExtraInfoLength = 1;
    if (!::InternetCrackUrlA(url.c_str(), static_cast<DWORD>(url.size()), 0, &components))
        return false;
    if (components.nScheme != INTERNET_SCHEME_HTTP && components.nScheme != INTERNET_SCHEME_HTTPS)
        return false;
    parts.secure = components.nScheme == INTERNET_SCHEME_HTTPS;
    parts.host = Part(components.lpszHostName, components.dwHostNameLength);
    parts.port = components.nPort;
    parts.user = Part(components.lpszUserName, components.dwUserNameLength);
    parts.password = Part(components.lpszPassword, components.dwPasswordLength);
    parts.path = Part(components.lpszUrlPath, components.dwUrlPathLength)
        + Part(components.lpszExtraInfo, components.dwExtraInfoLength);
    if (parts.path.empty())
        parts.path = "/";
    return !parts.host.empty() && parts.port != 0;
}

std::string WithoutLineBreaks(const char* url)
{
    std::string text;
    for (const char* p = url; *p; ++p) {
        if (*p != '\r' && *p != '\n')
            text += *p;
    }
    return text;
}

// Platforms differ in which handle takes the proxy credentials (the session
// or the request); one that refuses them on a handle goes on without them.
void OfferProxyCredentials(CInternetHandle& handle, const ProxySettings::Values& proxy)
{
    if (!proxy.user.empty()) {
        try {
            handle.SetOption(kOptionProxyUserName, proxy.user.c_str());
        } catch (const CInternetException&) {
        }
    }
    if (!proxy.password.empty()) {
        try {
            handle.SetOption(kOptionProxyPassword, proxy.password.c_str());
        } catch (const CInternetException&) {
        }
    }
}

// The raw client's rules where the platform lets them be seen: an HTTP/1.x
// status line and a header block that fits the raw client's buffer. The
// platform dresses a reply without any status line as "HTTP/1.0 200 OK"
// without header lines, so a reply without header lines is refused too. And
// since it reads a chunked body that ends early as a whole one, the request
// is sent as HTTP/1.0, which a server must not answer chunked: a chunked
// answer is refused, and the length or the close frames every body.
bool IsSoundResponse(CHttpFile& file)
{
    std::string version;
    if (!file.QueryText(kQueryVersion, version, 16) || (version != "HTTP/1.0" && version != "HTTP/1.1"))
        return false;
    std::string block;
    if (!file.QueryText(kQueryRawHeaders, block, static_cast<DWORD>(CHTTP::kBufferSize)))
        return false;
    const size_t statusEnd = block.find("\r\n");
    if (statusEnd == std::string::npos || block.find_first_not_of("\r\n", statusEnd) == std::string::npos)
        return false;
    return file.QueryTextSize(kQueryTransferEncoding) == 0;
}

} // namespace

const char* const HttpClient::kUserAgent = "kelo88";

HttpClient::HttpClient()
    : m_connectTimeoutMs(kConnectTimeoutMs)
    , m_useRawSockets(1)
    , m_socketsStarted(false)
{
    WSADATA data;
    m_socketsStarted = ::WSAStartup(MAKEWORD(1, 1), &data) == 0;
    m_raw.SetConnectTimeout(m_connectTimeoutMs);
}

HttpClient::~HttpClient()
{
    m_raw.Close();
    if (m_socketsStarted)
        ::WSACleanup();
}

std::string HttpClient::BuildProxyString(int32_t proxyType, const std::string& host, int32_t port)
{
    if (host.empty())
        return std::string();
    const char* prefix = "";
    if (proxyType == ProxySettings::kSocks4 || proxyType == ProxySettings::kSocks5)
        prefix = "socks=";
    else if (proxyType == ProxySettings::kHttpProxy)
        prefix = "http=";
    return prefix + host + ":" + std::to_string(port);
}

int32_t HttpClient::Download(
    const char* url, CMemoryStream* out, char* buffer, int32_t bufferSize, const char* extraHeaders)
{
    SingleLock lock(&m_transferLock);
    if (!out)
        return 0;
    out->Clear();
    if (!url || !buffer || bufferSize < 1)
        return 0;
    int32_t result = 0;
    try {
        // Copied inside the guard: even running out of memory here is a failed transfer.
        const ProxySettings::Values proxy = m_proxy.Get();
        if (m_useRawSockets == 0 || !proxy.host.empty())
            result = DownloadWinInet(proxy, url, out, buffer, bufferSize, extraHeaders);
        else
            result = DownloadRaw(url, out, extraHeaders);
    } catch (const CInternetException& e) {
        ::OutputDebugStringA((e.GetMessage() + "\n").c_str());
        result = 0;
    } catch (...) {
        result = 0;
    }
    if (!result)
        out->Clear();
    return result;
}

int32_t HttpClient::DownloadWinInet(const ProxySettings::Values& proxy, const char* url, CMemoryStream* out,
    char* buffer, int32_t bufferSize, const char* extraHeaders)
{
    const ULONGLONG deadline = ::GetTickCount64() + m_raw.GetExchangeTimeout();
    const std::string proxyText
        = proxy.host.empty() ? std::string() : BuildProxyString(proxy.proxyType, proxy.host, proxy.port);
    // Asynchronous, so that every wait, the one for the headers included, ends
    // at the deadline: the receive wait alone lets a server that drips its
    // headers hold the send call (and the transfer lock) without end, and
    // not every platform heeds it while the headers come in.
    CInternetSession session(kUserAgent, static_cast<DWORD>(proxy.accessType), proxyText.c_str(), nullptr,
        kSessionFlags | INTERNET_FLAG_ASYNC);
    session.ReportCompletions();
    if (!proxyText.empty())
        OfferProxyCredentials(session, proxy);
    session.SetOption(kOptionConnectTimeout, m_connectTimeoutMs);
    session.SetOption(kOptionConnectRetries, static_cast<DWORD>(1));
    SetWaits(session, deadline);
    out->Clear();

    std::string current = WithoutLineBreaks(url);
    for (int redirects = 0;; ++redirects) {
        UrlParts parts;
        if (!CrackUrl(current, parts))
            return 0;
        // Redirects are ours to follow: the platform follows them without end.
        // No context: only the request reports its completions.
        CInternetConnection connection(session, parts.host, parts.port, parts.user, parts.password, 0);
        SetWaits(connection, deadline);
        CHttpFile file(
            connection, parts.path, kRequestVersion, kRequestFlags | (parts.secure ? kFlagSecure : 0), true);
        SetWaits(file, deadline);
        file.SetDeadline(deadline);
        if (!proxyText.empty())
            OfferProxyCredentials(file, proxy);
        // The request goes out once: sending it again on the opened handle
        // would repeat it on the server (a second login, a second count).
        file.Send(extraHeaders);
        if (!IsSoundResponse(file))
            return 0;
        const DWORD status = file.QueryInfo(kQueryStatusCode);
        if (status == 301 || status == 302 || status == 303 || status == 307) {
            std::string location;
            if (redirects >= CHTTP::kMaxRedirects
                || !file.QueryText(kQueryLocation, location, static_cast<DWORD>(CHTTP::kBufferSize))
                || !CHTTP::ResolveLocation(parts.host, parts.port, parts.path, location, current))
                return 0;
            continue;
        }
        if (status != 200)
            return 0;
        return ReadWinInetBody(file, out, buffer, bufferSize, deadline);
    }
}

int32_t HttpClient::ReadWinInetBody(
    CHttpFile& file, CMemoryStream* out, char* buffer, int32_t bufferSize, ULONGLONG deadline)
{
    // A connection that ends early looks like the end of the body to the
    // reads; the announced length tells them apart.
    DWORD announced = 0;
    const bool hasLength = file.TryQueryInfo(kQueryContentLength, announced);
    int64_t total = 0;
    for (;;) {
        // Each read is bounded by the receive wait, the whole body by the deadline.
        if (::GetTickCount64() >= deadline)
            return 0;
        const DWORD read = file.Read(buffer, static_cast<DWORD>(bufferSize));
        if (read == 0)
            return (!hasLength || total == static_cast<int64_t>(announced)) ? 1 : 0;
        total += read;
        if (total > kMaxBodySize
            || out->Write(buffer, static_cast<int32_t>(read)) != static_cast<int32_t>(read))
            return 0;
    }
}

void HttpClient::SetWaits(CInternetHandle& handle, ULONGLONG deadline)
{
    // Without these a server or proxy that stops answering holds the transfer
    // lock for the platform's default (up to an hour), and every HTTP caller
    // with it. Some platforms heed them only on the connection and request
    // handles, hence every handle gets them. A platform that refuses them
    // keeps its own defaults.
    const ULONGLONG now = ::GetTickCount64();
    const ULONGLONG left = deadline > now ? deadline - now : 1;
    const DWORD wait = m_raw.GetWaitTimeout();
    const DWORD ms = left < wait ? static_cast<DWORD>(left) : wait;
    for (DWORD option : { kOptionConnectTimeout, kOptionSendTimeout, kOptionReceiveTimeout }) {
        try {
            handle.SetOption(
                option, option == kOptionConnectTimeout && m_connectTimeoutMs < ms ? m_connectTimeoutMs : ms);
        } catch (const CInternetException&) {
        }
    }
}

int32_t HttpClient::DownloadRaw(const char* url, CMemoryStream* out, const char* extraHeaders)
{
    out->Clear();
    m_raw.ClearHeaderBlock();
    m_raw.SetExtraHeaders(extraHeaders ? extraHeaders : "");
    m_raw.SetUserAgent(kUserAgent);
    std::string body;
    if (!m_raw.Get(url, body))
        return 0;
    if (body.empty())
        return 1;
    return out->Write(body.data(), static_cast<int32_t>(body.size())) == static_cast<int32_t>(body.size())
        ? 1
        : 0;
}
