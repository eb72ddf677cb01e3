#pragma once
// The quote half of the market simulator: a TCP server on 127.0.0.1 that
// speaks the binary quote protocol (one request per connection), with a
// request log, a gate that holds chosen requests and switchable faults.
// Tests start it in-process on port 0 and point the client at Port().
#include <winsock2.h>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct SimRequest
{
    uint16_t command;
    uint32_t key;
    uint32_t value;
    uint32_t value2;
};

struct SimReply
{
    uint32_t value = 0; // travel in the reply header
    uint32_t value2 = 0;
    std::string body; // plain body; the simulator compresses it as configured
    bool fail = false; // answer with a failure (a reply header with length 0)
};

using SimHandler = std::function<SimReply(const SimRequest&)>;

// What goes wrong with a reply. Faults replace the normal answer of every
// request they apply to (see SetFault).
enum class SimFault {
    None,
    Refuse, // accept and reset the connection before reading anything
    LengthZero, // reply header announcing a body length of 0
    CloseAfterHeader, // the header announces the body, then the connection closes
    CloseMidBody, // the header and half the body, then the connection closes
    TruncatedZlib, // compression 1 with the zlib stream cut short (length matches what is sent)
    HugeLength, // announces 0xFFFFFFFF body bytes, sends a few, closes
    JunkHeader, // a normal reply with junk in the header bytes the client does not read
    Stall, // reads the request and never answers until the fault is cleared or Stop
    LyingLength, // announces kLyingLength body bytes, sends the real body, closes
    Drip, // a normal reply sent one byte at a time, SetDripInterval apart
};

// The body length a LyingLength reply announces: within the protocol's cap.
const uint32_t kLyingLength = 48u * 1024 * 1024;

class QuoteSimulator
{
public:
    QuoteSimulator();
    ~QuoteSimulator(); // Stop()

    bool Start(uint16_t port = 0); // 127.0.0.1; 0 picks any free port
    // Releases the gate and stalls, closes every connection and joins every thread.
    void Stop();
    uint16_t Port() const;

    // A command without a handler is answered with a failure (length 0).
    void SetHandler(uint16_t command, SimHandler handler);

    // Compression flag of replies: 0 plain, 1 zlib (compress2), any other
    // value: the plain body is sent with that flag. Default 0.
    void SetCompression(uint8_t flag);

    // times < 0: every request until changed; otherwise the next `times`
    // requests (then the fault switches itself off).
    void SetFault(SimFault fault, int times = -1);
    // Pause between the bytes of a Drip reply. Default 100 ms.
    void SetDripInterval(uint32_t ms) { m_dripIntervalMs = ms; }
    void ClearFault() { SetFault(SimFault::None); }

    // Request log, in the order the request headers were read.
    std::vector<SimRequest> RequestLog() const;
    size_t RequestCount() const;
    void ClearLog();
    // Waits until at least n requests have been logged; false on time-out.
    bool WaitForRequests(size_t n, uint32_t timeoutMs) const;

    // Gate: requests for which `hold` returns true wait, after being logged,
    // until released (or Stop). A null predicate holds nothing new.
    void HoldWhere(std::function<bool(const SimRequest&)> hold);
    void HoldAll()
    {
        HoldWhere([](const SimRequest&) { return true; });
    }
    // Requests now waiting at the gate, in arrival order.
    std::vector<SimRequest> HeldRequests() const;
    size_t HeldCount() const;
    // Waits until at least n requests wait at the gate; false on time-out.
    bool WaitForHeld(size_t n, uint32_t timeoutMs) const;
    // Lets the request that has waited longest go on; false when none waits.
    bool ReleaseOne();
    // Stops holding and lets every waiting request go on.
    void ReleaseAll();

    // Connections accepted and not yet answered (or closed), and the most
    // at any one time: the requests in flight.
    int ActiveConnections() const;
    int PeakConnections() const;
    void ResetPeak();
    // Replies fully sent (their connection closed by the server afterwards).
    size_t RepliesSent() const;

private:
    struct Held;

    void AcceptLoop();
    // A serving thread: takes accepted connections one at a time until Stop.
    void ServeConnections();
    void Serve(SOCKET s);
    void Answer(SOCKET s, const SimRequest& req, SimFault fault);
    SimFault TakeFault(uint32_t* epoch);
    bool WaitAtGate(const SimRequest& req);
    void WaitWhileStalled(uint32_t epoch);
    std::string CompressCached(const std::string& plain);

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::atomic<bool> m_stopping { false };
    SOCKET m_listen = INVALID_SOCKET;
    uint16_t m_port = 0;
    std::thread m_acceptThread;
    std::condition_variable m_serverWork; // a connection was accepted, or Stop
    std::deque<SOCKET> m_accepted; // accepted, not yet taken by a serving thread
    std::vector<std::thread> m_servers;
    size_t m_idleServers = 0; // serving threads waiting for a connection
    std::map<uint16_t, SimHandler> m_handlers;
    uint8_t m_compression = 0;
    SimFault m_fault = SimFault::None;
    int m_faultTimes = -1;
    uint32_t m_faultEpoch = 0; // changes at every SetFault: ends stalls
    std::vector<SimRequest> m_log;
    std::function<bool(const SimRequest&)> m_hold;
    std::vector<std::shared_ptr<Held>> m_held;
    int m_active = 0;
    int m_peak = 0;
    size_t m_repliesSent = 0;
    bool m_winsockStarted = false;
    std::atomic<uint32_t> m_dripIntervalMs { 100 };
    std::string m_cachedPlain;
    std::string m_cachedCompressed;
};
