#include "tools/quotesim/QuoteSimulator.h"

#include <ws2tcpip.h>
#include <zlib.h>

#include <chrono>
#include <cstring>

#include "net/QuoteProtocol.h"

struct QuoteSimulator::Held
{
    SimRequest request;
    bool released = false;
};

namespace {

const int kPollMs = 20;
// A client that connects and sends nothing is given up after this long.
const int kHeaderWaitMs = 30000;

// Waits until the socket is readable; false on stop, error or time-out.
bool WaitReadable(SOCKET s, const std::atomic<bool>& stopping, int limitMs)
{
    int waited = 0;
    while (!stopping.load()) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(s, &set);
        timeval tv = { 0, kPollMs * 1000 };
        int r = ::select(0, &set, nullptr, nullptr, &tv);
        if (r > 0)
            return true;
        if (r < 0)
            return false;
        waited += kPollMs;
        if (limitMs >= 0 && waited >= limitMs)
            return false;
    }
    return false;
}

bool RecvExactly(SOCKET s, char* buffer, int length, const std::atomic<bool>& stopping)
{
    int got = 0;
    while (got < length) {
        if (!WaitReadable(s, stopping, kHeaderWaitMs))
            return false;
        int r = ::recv(s, buffer + got, length - got, 0);
        if (r <= 0)
            return false;
        got += r;
    }
    return true;
}

bool SendAllBytes(SOCKET s, const char* data, size_t length)
{
    size_t sent = 0;
    while (sent < length) {
        size_t piece = length - sent;
        if (piece > 65536)
            piece = 65536;
        int r = ::send(s, data + sent, static_cast<int>(piece), 0);
        if (r <= 0)
            return false;
        sent += static_cast<size_t>(r);
    }
    return true;
}

std::string Compress(const std::string& plain)
{
    uLongf size = compressBound(static_cast<uLong>(plain.size()));
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(&out[0]), &size, reinterpret_cast<const Bytef*>(plain.data()),
            static_cast<uLong>(plain.size()), Z_DEFAULT_COMPRESSION)
        != Z_OK)
        return std::string();
    out.resize(size);
    return out;
}

void CloseAbortive(SOCKET s)
{
    linger lg = { 1, 0 };
    ::setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&lg), sizeof(lg));
    ::closesocket(s);
}

} // namespace

QuoteSimulator::QuoteSimulator()
{
}

QuoteSimulator::~QuoteSimulator()
{
    Stop();
}

bool QuoteSimulator::Start(uint16_t port)
{
    if (m_listen != INVALID_SOCKET)
        return false;
    WSADATA wsa;
    if (::WSAStartup(MAKEWORD(2, 2), &wsa) != 0)
        return false;
    m_winsockStarted = true;
    m_stopping = false;
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) {
        Stop();
        return false;
    }
    sockaddr_in addr;
    std::memset(&addr, 0, sizeof(addr));
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    int len = sizeof(addr);
    if (::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 || ::listen(s, SOMAXCONN) != 0
        || ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ::closesocket(s);
        Stop();
        return false;
    }
    m_listen = s;
    m_port = ntohs(addr.sin_port);
    m_acceptThread = std::thread(&QuoteSimulator::AcceptLoop, this);
    return true;
}

void QuoteSimulator::Stop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
        for (auto& held : m_held)
            held->released = true;
        m_held.clear();
        m_hold = nullptr;
    }
    m_changed.notify_all();
    m_serverWork.notify_all();
    if (m_acceptThread.joinable())
        m_acceptThread.join();
    if (m_listen != INVALID_SOCKET) {
        ::closesocket(m_listen);
        m_listen = INVALID_SOCKET;
    }
    // Each serving thread ends its connection (Serve sees the stop) and then itself.
    std::vector<std::thread> servers;
    std::deque<SOCKET> unserved;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        servers.swap(m_servers);
    }
    for (std::thread& server : servers) {
        if (server.joinable())
            server.join();
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        unserved.swap(m_accepted);
        m_active -= static_cast<int>(unserved.size());
        m_idleServers = 0;
    }
    for (SOCKET s : unserved)
        ::closesocket(s);
    if (m_winsockStarted) {
        ::WSACleanup();
        m_winsockStarted = false;
    }
}

uint16_t QuoteSimulator::Port() const
{
    return m_port;
}

void QuoteSimulator::SetHandler(uint16_t command, SimHandler handler)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_handlers[command] = std::move(handler);
}

void QuoteSimulator::SetCompression(uint8_t flag)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_compression = flag;
}

void QuoteSimulator::SetFault(SimFault fault, int times)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_fault = times == 0 ? SimFault::None : fault;
        m_faultTimes = times;
        ++m_faultEpoch;
    }
    m_changed.notify_all();
}

SimFault QuoteSimulator::TakeFault(uint32_t* epoch)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    *epoch = m_faultEpoch;
    SimFault fault = m_fault;
    if (fault != SimFault::None && m_faultTimes > 0 && --m_faultTimes == 0)
        m_fault = SimFault::None;
    return fault;
}

std::vector<SimRequest> QuoteSimulator::RequestLog() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_log;
}

size_t QuoteSimulator::RequestCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_log.size();
}

void QuoteSimulator::ClearLog()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_log.clear();
    m_repliesSent = 0;
}

bool QuoteSimulator::WaitForRequests(size_t n, uint32_t timeoutMs) const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_log.size() >= n; });
}

void QuoteSimulator::HoldWhere(std::function<bool(const SimRequest&)> hold)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_hold = std::move(hold);
}

std::vector<SimRequest> QuoteSimulator::HeldRequests() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<SimRequest> out;
    for (auto& held : m_held)
        out.push_back(held->request);
    return out;
}

size_t QuoteSimulator::HeldCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_held.size();
}

bool QuoteSimulator::WaitForHeld(size_t n, uint32_t timeoutMs) const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_held.size() >= n; });
}

bool QuoteSimulator::ReleaseOne()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_held.empty())
            return false;
        m_held.front()->released = true;
        m_held.erase(m_held.begin());
    }
    m_changed.notify_all();
    return true;
}

void QuoteSimulator::ReleaseAll()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_hold = nullptr;
        for (auto& held : m_held)
            held->released = true;
        m_held.clear();
    }
    m_changed.notify_all();
}

int QuoteSimulator::ActiveConnections() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_active;
}

int QuoteSimulator::PeakConnections() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_peak;
}

void QuoteSimulator::ResetPeak()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_peak = m_active;
}

size_t QuoteSimulator::RepliesSent() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_repliesSent;
}

void QuoteSimulator::AcceptLoop()
{
    while (!m_stopping.load()) {
        if (!WaitReadable(m_listen, m_stopping, -1))
            break;
        SOCKET s = ::accept(m_listen, nullptr, nullptr);
        if (s == INVALID_SOCKET)
            continue;
        // A client that stops reading must not pin a serving thread forever.
        DWORD sendTimeout = 30000;
        ::setsockopt(
            s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&sendTimeout), sizeof(sendTimeout));
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_active;
        if (m_active > m_peak)
            m_peak = m_active;
        m_accepted.push_back(s);
        // Every connection is served at once, however many are held at the
        // gate or stalled: a new serving thread only when none is idle. The
        // threads are kept, since starting one per connection would cost
        // more than the exchange itself and swamp what benchmarks measure.
        if (m_idleServers < m_accepted.size())
            m_servers.emplace_back(&QuoteSimulator::ServeConnections, this);
        else
            m_serverWork.notify_one();
    }
}

void QuoteSimulator::ServeConnections()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        ++m_idleServers;
        m_serverWork.wait(lock, [&] { return !m_accepted.empty() || m_stopping.load(); });
        --m_idleServers;
        if (m_accepted.empty())
            return; // stopping
        const SOCKET s = m_accepted.front();
        m_accepted.pop_front();
        lock.unlock();
        Serve(s);
        lock.lock();
    }
}

void QuoteSimulator::Serve(SOCKET s)
{
    // A connection stops counting as active before the client can see any
    // answer or the close, so a client's next connection never overlaps it.
    bool counted = true;
    auto leaveActive = [&] {
        if (!counted)
            return;
        counted = false;
        std::lock_guard<std::mutex> lock(m_mutex);
        --m_active;
    };
    uint32_t epoch = 0;
    SimFault fault = TakeFault(&epoch);
    bool abortive = fault == SimFault::Refuse;
    if (!abortive) {
        QuoteRequestHeader header;
        if (RecvExactly(s, reinterpret_cast<char*>(&header), sizeof(header), m_stopping)) {
            SimRequest req = { header.command, header.userData, header.value, header.value2 };
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_log.push_back(req);
            }
            m_changed.notify_all();
            if (WaitAtGate(req)) {
                if (fault == SimFault::Stall) {
                    WaitWhileStalled(epoch);
                } else {
                    leaveActive();
                    Answer(s, req, fault);
                }
            }
        }
    }
    leaveActive();
    if (abortive) {
        CloseAbortive(s);
    } else {
        ::shutdown(s, SD_SEND);
        ::closesocket(s);
    }
    m_changed.notify_all();
}

bool QuoteSimulator::WaitAtGate(const SimRequest& req)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_hold || !m_hold(req))
        return !m_stopping.load();
    auto held = std::make_shared<Held>();
    held->request = req;
    m_held.push_back(held);
    m_changed.notify_all();
    m_changed.wait(lock, [&] { return held->released || m_stopping.load(); });
    return !m_stopping.load();
}

void QuoteSimulator::WaitWhileStalled(uint32_t epoch)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [&] { return m_faultEpoch != epoch || m_stopping.load(); });
}

std::string QuoteSimulator::CompressCached(const std::string& plain)
{
    // Handlers often answer the same body again; a large one need not be
    // compressed anew for every request (it would dominate benchmarks).
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_cachedPlain == plain && !m_cachedCompressed.empty())
            return m_cachedCompressed;
    }
    std::string compressed = Compress(plain);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_cachedPlain = plain;
    m_cachedCompressed = compressed;
    return compressed;
}

void QuoteSimulator::Answer(SOCKET s, const SimRequest& req, SimFault fault)
{
    SimHandler handler;
    uint8_t compression;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_handlers.find(req.command);
        if (it != m_handlers.end())
            handler = it->second;
        compression = m_compression;
    }
    SimReply reply;
    if (handler) {
        try {
            reply = handler(req);
        } catch (...) {
            reply.fail = true;
        }
    } else {
        reply.fail = true;
    }

    std::string wire = reply.body;
    if (fault == SimFault::TruncatedZlib) {
        compression = kCompressionZlib;
        wire = Compress(reply.body);
        wire.resize(wire.size() / 2);
    } else if (compression == kCompressionZlib) {
        wire = CompressCached(reply.body);
    }

    QuoteReplyHeader header;
    std::memset(&header, 0, sizeof(header));
    header.value = reply.value;
    header.value2 = reply.value2;
    header.bodyLength = static_cast<uint32_t>(wire.size());
    header.compression = compression;
    if (fault == SimFault::JunkHeader) {
        const uint8_t junk[4] = { 0xDE, 0xAD, 0xBE, 0xEF };
        std::memcpy(header.unread0, junk, 4);
        header.unread12[0] = 0xA5;
        header.unread12[1] = 0x5A;
        header.unread19 = 0xFF;
    }
    if (reply.fail || fault == SimFault::LengthZero) {
        header.bodyLength = 0;
        wire.clear();
    } else if (fault == SimFault::HugeLength) {
        header.bodyLength = 0xFFFFFFFFu;
    } else if (fault == SimFault::LyingLength) {
        header.bodyLength = kLyingLength;
    }

    if (fault == SimFault::Drip) {
        std::string bytes(reinterpret_cast<const char*>(&header), sizeof(header));
        bytes += wire;
        for (size_t i = 0; i < bytes.size(); ++i) {
            if (i > 0) {
                // Interrupted by Stop, so a dripping reply never holds it up.
                std::unique_lock<std::mutex> lock(m_mutex);
                if (m_changed.wait_for(lock, std::chrono::milliseconds(m_dripIntervalMs.load()),
                        [&] { return m_stopping.load(); }))
                    return;
            }
            if (!SendAllBytes(s, bytes.data() + i, 1))
                return;
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_repliesSent;
        return;
    }
    if (!SendAllBytes(s, reinterpret_cast<const char*>(&header), sizeof(header)))
        return;
    size_t bodyBytes = wire.size();
    if (fault == SimFault::CloseAfterHeader)
        bodyBytes = 0;
    else if (fault == SimFault::CloseMidBody)
        bodyBytes = wire.size() / 2;
    else if (fault == SimFault::HugeLength && bodyBytes > 16)
        bodyBytes = 16;
    if (bodyBytes > 0 && !SendAllBytes(s, wire.data(), bodyBytes))
        return;
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_repliesSent;
}
