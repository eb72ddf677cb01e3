#pragma once
// A small HTTP/1.1 client on Winsock: one GET per connection, overlapped sends
// and receives with bounded waits, redirects, and the three body framings.
#include <winsock2.h>
#include <cstdint>
#include <memory>
#include <string>

#include "base/HandleOwner.h"
#include "net/SocketUtil.h"

struct CWsaEventTraits
{
    static void Free(WSAEVENT e) { ::WSACloseEvent(e); }
};

class CHTTP
{
public:
    static const int32_t kBufferSize = 65536;
    static const DWORD kDefaultWaitMs = 10000;
    static const DWORD kDefaultConnectTimeoutMs = 10000;
    static const int kMaxRedirects = 10;
    static const int kConnectRetries = 3;
    // A body beyond this is refused rather than held in memory.
    static const int64_t kMaxBodySize = 64 * 1024 * 1024;

    enum ReceiveResult { kReceiveFailed = 0, kReceiveData = 1, kReceiveClosed = 2 };

    CHTTP();
    virtual ~CHTTP();

    // GET of url; true only for a 200 answer whose whole body arrived. The
    // connection is closed afterwards in every case; on failure the socket
    // error tells why (10060 a wait ran out, 11001 an unknown host).
    bool Get(const std::string& url, std::string& body);

    // The status code (redirects followed), or 0 on failure. Statuses 100-299
    // leave the connection open for ReadBody; every other result closes it.
    int32_t SendRequest(const std::string& url);
    bool ReadBody(std::string& body);

    static bool ParseUrl(const std::string& url, std::string& host, std::string& user, std::string& password,
        int32_t& port, std::string& path);
    // The absolute URL a redirect's Location value names, seen from a request
    // for path on host:port; false for a location that is not plain http.
    static bool ResolveLocation(const std::string& host, int32_t port, const std::string& path,
        const std::string& location, std::string& url);

    bool Connect();
    void Close();
    bool SendAll(const char* data, int32_t length);
    // n < 0: one receive of whatever arrives; otherwise up to n bytes (at most
    // the free room) are waited for.
    int32_t Receive(int32_t n);

    void SetUserAgent(const std::string& agent) { m_userAgent = agent; }
    // Sent after the client's own header lines; empty sends nothing.
    void SetExtraHeaders(const std::string& headers) { m_extraHeaders = headers; }
    void ClearHeaderBlock() { m_headerBlock.clear(); }
    // The longest a send or receive may wait for progress, and for a connect.
    void SetWaitTimeout(DWORD ms) { m_waitMs = ms; }
    DWORD GetWaitTimeout() const { return m_waitMs; }
    void SetConnectTimeout(DWORD ms) { m_connectTimeoutMs = ms; }

    const std::string& GetHeaderBlock() const { return m_headerBlock; }
    const std::string& GetCurrentUrl() const { return m_currentUrl; }
    // Value of the first header line named name (any case), trimmed.
    bool FindHeader(const char* name, std::string& value) const
    {
        return FindHeaderIn(m_headerBlock, name, value);
    }
    // The same over any block of header lines, each ending in CR LF.
    static bool FindHeaderIn(const std::string& block, const char* name, std::string& value);

private:
    CHTTP(const CHTTP&) = delete;
    CHTTP& operator=(const CHTTP&) = delete;

    struct IoState;

    int32_t SendOneRequest(const std::string& url);
    bool ConnectOnce(const sockaddr_in& address);
    bool EnsureBuffer();
    // Waits for the overlapped operation in m_io; a wait that runs out cancels
    // it and lets it finish before the buffer can be touched again.
    bool FinishOverlapped(DWORD& transferred);
    bool ReadChunkedBody(std::string& body);
    bool ReadLengthBody(int64_t length, std::string& body);
    bool ReadUntilClose(std::string& body);
    bool AppendBuffered(std::string& body, int64_t limit);
    void Consume(int32_t n);

    CAutoPtrSocket m_socket;
    CHandleOwner<WSAEVENT, CWsaEventTraits> m_event;
    std::string m_host;
    std::string m_user;
    std::string m_password;
    int32_t m_port;
    std::string m_path;
    std::string m_headerBlock;
    std::string m_userAgent;
    std::string m_extraHeaders;
    std::string m_currentUrl;
    std::unique_ptr<IoState> m_io;
    int32_t m_count;
    DWORD m_waitMs;
    DWORD m_connectTimeoutMs;
};
