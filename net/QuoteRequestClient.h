#pragma once
// Runs one quote request per TCP connection: connect, send the request
// header, read the reply header and body, close, then hand the delivered
// stream to the request's callback or to the caller's stream.
#include <winsock2.h>
#include <windows.h>
#include <cstdint>
#include <string>

#include "base/MemoryStream.h"
#include "net/DownloadRequest.h"
#include "net/ReplyMemoryBudget.h"
#include "net/WinsockSession.h"

class QuoteRequestClient
{
public:
    static const DWORD kDefaultConnectTimeoutMs = 10000;
    static const DWORD kDefaultIoTimeoutMs = 30000;
    // The longest one whole exchange (connect, send and the whole reply) may
    // take, however the bytes trickle in: long enough for the largest real
    // reply on a slow line, short enough that a dripping server cannot hold a
    // worker, or shutdown, for long.
    static constexpr DWORD kDefaultExchangeTimeoutMs = 120000;
    // How long an exchange may still go on once the pool is told to stop: a
    // reply on its way arrives, a stalled server cannot hold the shutdown.
    static constexpr DWORD kStopGraceMs = 2000;
    // A reply buffer beyond this is not kept for the next request, nor is a
    // delivered stream holding a body beyond it (beside the two reply values).
    static constexpr uint32_t kKeptReplyBuffer = 1u << 20;

    // address: dotted IPv4 text, never looked up as a name.
    QuoteRequestClient(const char* address, uint16_t port);
    ~QuoteRequestClient();

    // What the caller of Execute knows of the stop event.
    enum StopKnowledge { kStopUnknown, kStopJustSeenClear };

    // One whole exchange: 0 or E_FAIL. When the request has a callback it has
    // been called exactly once when this returns, whatever happened inside
    // (also when the callback itself throws: that is caught and not repeated).
    // A caller that has just found the stop event clear says so, and the
    // exchange's first look at it comes a poll later instead of at once.
    HRESULT Execute(DownloadRequest& request, StopKnowledge stop = kStopUnknown);

    // Creates the socket, connects within the connect time-out and sends the
    // request header. 1/0; on 0 the socket is closed and the field is -1.
    int Connect(DownloadRequest& request);
    // Reads the reply header and body into the target stream and closes the
    // socket on every path. 1/0.
    int ReceiveReply(DownloadRequest& request);
    // Shapes the delivered stream (see below) and makes the success call.
    // 0, or E_FAIL when the body does not inflate (no call made then).
    HRESULT DeliverReply(DownloadRequest& request);

    // Loops over a blocking socket; with a deadline (a tick count, 0 for none)
    // each wait for the socket is also bounded by waitMs and fails once the
    // deadline has passed. With a stop event, a wait that sees it signalled
    // goes on for at most kStopGraceMs more.
    static int SendAll(SOCKET s, const char* data, int length, DWORD waitMs = INFINITE, ULONGLONG deadline = 0,
        HANDLE stop = nullptr);
    static int RecvAll(SOCKET s, char* buffer, int length, DWORD waitMs = INFINITE, ULONGLONG deadline = 0,
        HANDLE stop = nullptr);

    // The pool's stop event (manual reset): once it is signalled the running
    // exchange gets kStopGraceMs more, then fails. Null: no such limit.
    void SetStopEvent(HANDLE stop) { m_stop = stop; }

    uint32_t GetReplyCapacity() const { return m_replyCapacity; }
    const uint8_t* GetReplyBuffer() const { return m_replyBuffer; }

    // The target of requests that name no stream of their own; a callback
    // given it may read it only during the call.
    CMemoryStream* GetReplyStream() { return &m_replyStream; }

    void SetTimeouts(DWORD connectMs, DWORD ioMs, DWORD exchangeMs = kDefaultExchangeTimeoutMs);
    // Time-outs of clients created from now on (the request manager's
    // clients included); a test lowers them to see a stalled server fail fast.
    static void SetDefaultTimeouts(DWORD connectMs, DWORD ioMs, DWORD exchangeMs = kDefaultExchangeTimeoutMs);

private:
    // The bounds of the socket waits of one exchange (or of one loop).
    struct SocketWaits
    {
        DWORD waitMs = INFINITE; // the most one wait for the socket may take
        ULONGLONG deadline = 0; // tick count, 0 for none; cut once the stop is seen
        HANDLE stop = nullptr;
        ULONGLONG stopLookedAt = 0; // tick of the last look at the stop
        bool stopSeen = false;
        // The socket never blocks: a transfer is tried first and waited for
        // only when it would block, so bytes already there cost no wait.
        bool nonBlocking = false;

        // Looks at the stop unless it did so less than a poll ago; seen
        // signalled, the stop cuts the deadline to the grace, once: a cut
        // made earlier stands, the grace is never renewed.
        void LookAtStop(ULONGLONG now);
        // False, with WSAETIMEDOUT, once the deadline has passed.
        bool InTime();
        // Waits until s can be read (or written) within waitMs and before the
        // deadline; a wait that runs out sets WSAETIMEDOUT.
        bool WaitFor(SOCKET s, bool write);
    };
    // One send or receive loop, pieces of at most piece bytes. waitFirst:
    // the bytes cannot be there yet, so a try would only cost a call.
    static int Transfer(SOCKET s, bool write, char* data, int length, int piece, SocketWaits& waits,
        bool waitFirst = false);
    static int SendAll(SOCKET s, const char* data, int length, SocketWaits& waits);
    static int RecvAll(SOCKET s, char* buffer, int length, SocketWaits& waits, bool waitFirst = false);

    QuoteRequestClient(const QuoteRequestClient&) = delete;
    QuoteRequestClient& operator=(const QuoteRequestClient&) = delete;

    CMemoryStream* TargetOf(DownloadRequest& request);
    void CloseSocket(DownloadRequest& request);
    void CallBack(DownloadRequest& request, CMemoryStream* stream, int32_t ok);
    // Makes the reply buffer hold at least capacity bytes, keeping what it
    // holds; false when the memory or the budget says no.
    bool GrowReplyBuffer(uint32_t capacity);
    void FreeReplyBuffer();
    // Receives the announced body into the reply buffer, growing it only as
    // bytes arrive.
    bool ReceiveBody(SOCKET s, uint32_t length);

    WinsockSession m_winsock;
    uint8_t* m_replyBuffer;
    uint32_t m_replyCapacity;
    uint32_t m_replyLength; // body bytes of the last reply in the buffer
    ReplyMemoryCharge m_bufferCharge; // what the reply buffer holds
    ReplyMemoryCharge m_streamCharge; // what the delivered stream holds during delivery
    CMemoryStream m_replyStream;
    std::string m_address;
    uint32_t m_port;
    DWORD m_connectTimeoutMs;
    DWORD m_ioTimeoutMs;
    DWORD m_exchangeTimeoutMs;
    HANDLE m_stop; // not owned
    SocketWaits m_waits; // of the running exchange
    bool m_callbackMade; // for the request now running
};
