#pragma once
// The one way the program fetches a URL from the service's web server: GET
// into a memory stream, one transfer at a time, success only on status 200.
#include <atomic>
#include <cstdint>
#include <string>

#include "base/Singleton.h"
#include "base/Thread.h"
#include "net/HTTP.h"
#include "net/ProxySettings.h"

class CMemoryStream;
class CHttpFile;
class CInternetHandle;

class HttpClient : public Singleton<HttpClient>
{
public:
    static const char* const kUserAgent;
    static const DWORD kConnectTimeoutMs = 5000;

    // Tests may build their own; the program uses Instance.
    HttpClient();
    virtual ~HttpClient();

    // 1 when the server answered 200 and the whole body is in out (from
    // position 0); 0 otherwise, with out empty. buffer is the caller's scratch
    // space for reads; extraHeaders (may be null) are sent as further header lines.
    int32_t Download(
        const char* url, CMemoryStream* out, char* buffer, int32_t bufferSize, const char* extraHeaders);

    // "socks=" (types 1, 2) or "http=" (type 3) or nothing, then host:port;
    // empty without a host.
    static std::string BuildProxyString(int32_t proxyType, const std::string& host, int32_t port);

    ProxySettings& GetProxySettings() { return m_proxy; }
    // 0 sends every transfer through WinINet.
    void SetUseRawSockets(bool use) { m_useRawSockets = use ? 1 : 0; }
    // The raw client, for tuning its waits (tests shorten them).
    CHTTP& GetRawClient() { return m_raw; }

private:
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    int32_t DownloadWinInet(const ProxySettings::Values& proxy, const char* url, CMemoryStream* out,
        char* buffer, int32_t bufferSize, const char* extraHeaders);
    int32_t ReadWinInetBody(
        CHttpFile& file, CMemoryStream* out, char* buffer, int32_t bufferSize, ULONGLONG deadline);
    // The connect, send and receive waits on one WinINet handle, cut to what
    // is left before the deadline.
    void SetWaits(CInternetHandle& handle, ULONGLONG deadline);
    int32_t DownloadRaw(const char* url, CMemoryStream* out, const char* extraHeaders);

    ProxySettings m_proxy;
    DWORD m_connectTimeoutMs;
    CHTTP m_raw;
    std::atomic<int32_t> m_useRawSockets;
    CriticalSection m_transferLock;
    bool m_socketsStarted;
};
