#include "net/HttpClient.h"

#include <winsock2.h>

#include "base/MemoryStream.h"
#include "net/InternetSession.h"

namespace {

const DWORD kSessionFlags = 0x04000000; // INTERNET_FLAG_DONT_CACHE
// Reload from the server, write no cache entry, keep the connection.
const DWORD kOpenUrlFlags = 0x84400000;
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
    const std::string proxyText
        = proxy.host.empty() ? std::string() : BuildProxyString(proxy.proxyType, proxy.host, proxy.port);
    CInternetSession session(
        kUserAgent, static_cast<DWORD>(proxy.accessType), proxyText.c_str(), nullptr, kSessionFlags);
    if (!proxyText.empty() && !proxy.host.empty()) {
        // Platforms that take the proxy credentials only on later handles
        // refuse these; the transfer then goes on without them.
        if (!proxy.user.empty()) {
            try {
                session.SetOption(kOptionProxyUserName, proxy.user.c_str());
            } catch (const CInternetException&) {
            }
        }
        if (!proxy.password.empty()) {
            try {
                session.SetOption(kOptionProxyPassword, proxy.password.c_str());
            } catch (const CInternetException&) {
            }
        }
    }
    session.SetOption(kOptionConnectTimeout, m_connectTimeoutMs);
    session.SetOption(kOptionConnectRetries, static_cast<DWORD>(1));
    // Without these a server or proxy that stops answering holds the transfer
    // lock for the platform's default (up to an hour), and every HTTP caller
    // with it; the waits match the raw client's. The handles opened below
    // inherit them. A platform that refuses them keeps its own defaults.
    for (DWORD option : { kOptionSendTimeout, kOptionReceiveTimeout }) {
        try {
            session.SetOption(option, m_raw.GetWaitTimeout());
        } catch (const CInternetException&) {
        }
    }
    out->Clear();

    // The request goes out once: sending it again on the opened handle would
    // repeat it on the server (a second login, a second count).
    CHttpFile file(
        session, url, extraHeaders, static_cast<DWORD>(-1), kOpenUrlFlags, reinterpret_cast<DWORD_PTR>(this));
    if (file.QueryInfo(kQueryStatusCode) != 200)
        return 0;
    // A connection that ends early looks like the end of the body to the
    // reads; the announced length tells them apart.
    DWORD announced = 0;
    const bool hasLength = file.TryQueryInfo(kQueryContentLength, announced);
    int64_t total = 0;
    for (;;) {
        const DWORD read = file.Read(buffer, static_cast<DWORD>(bufferSize));
        if (read == 0)
            return (!hasLength || total == static_cast<int64_t>(announced)) ? 1 : 0;
        total += read;
        if (total > kMaxBodySize
            || out->Write(buffer, static_cast<int32_t>(read)) != static_cast<int32_t>(read))
            return 0;
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
