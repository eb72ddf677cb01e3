#include "tools/websim/WebSimServer.h"

#include <chrono>
#include <cstdlib>
#include <cstring>

namespace {

const long kPollMs = 20;

// True when s becomes readable within kPollMs.
bool Readable(SOCKET s)
{
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval timeout = { 0, kPollMs * 1000 };
    return ::select(0, &set, nullptr, nullptr, &timeout) > 0;
}

// Appends what arrives within one poll; false when the peer has gone.
bool ReceiveSome(SOCKET s, std::string& data)
{
    if (!Readable(s))
        return true;
    char chunk[4096];
    const int n = ::recv(s, chunk, sizeof(chunk), 0);
    if (n <= 0)
        return false;
    data.append(chunk, static_cast<size_t>(n));
    return true;
}

void ParseTarget(WebSimRequest& request)
{
    std::string rest = request.target;
    const size_t scheme = rest.find("://");
    if (scheme != std::string::npos && rest.find('/') > scheme) {
        request.absoluteUri = true;
        const size_t slash = rest.find('/', scheme + 3);
        rest = slash == std::string::npos ? "/" : rest.substr(slash);
    }
    const size_t question = rest.find('?');
    request.path = rest.substr(0, question);
    request.query = question == std::string::npos ? std::string() : rest.substr(question + 1);
}

} // namespace

WebSimServer::WebSimServer()
    : m_listener(INVALID_SOCKET)
    , m_port(0)
    , m_started(false)
    , m_stop(false)
    , m_connectionCount(0)
{
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
}

WebSimServer::~WebSimServer()
{
    Stop();
    ::WSACleanup();
}

bool WebSimServer::Start(uint16_t port)
{
    if (m_started)
        return false;
    m_listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (m_listener == INVALID_SOCKET)
        return false;
    sockaddr_in address;
    std::memset(&address, 0, sizeof(address));
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    address.sin_port = ::htons(port);
    int size = sizeof(address);
    if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0
        || ::listen(m_listener, SOMAXCONN) != 0
        || ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        ::closesocket(m_listener);
        m_listener = INVALID_SOCKET;
        return false;
    }
    m_port = ::ntohs(address.sin_port);
    m_stop = false;
    m_started = true;
    m_acceptThread = std::thread(&WebSimServer::AcceptLoop, this);
    return true;
}

void WebSimServer::Stop()
{
    if (!m_started)
        return;
    m_stop = true;
    m_acceptThread.join();
    ::closesocket(m_listener);
    m_listener = INVALID_SOCKET;
    std::vector<Connection> connections;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        connections.swap(m_connections);
    }
    for (Connection& c : connections)
        c.thread.join();
    m_started = false;
}

std::string WebSimServer::Url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

void WebSimServer::Enqueue(const WebSimReply& reply)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_queue.push_back(reply);
}

void WebSimServer::AddRoute(const std::string& path, Handler handler)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_routes[path] = handler;
}

void WebSimServer::SetFallback(Handler handler)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_fallback = handler;
}

void WebSimServer::SetFaultFilter(FaultFilter filter)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_faultFilter = filter;
}

std::vector<WebSimRequest> WebSimServer::GetRequests() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

size_t WebSimServer::GetRequestCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests.size();
}

size_t WebSimServer::GetConnectionCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_connectionCount;
}

bool WebSimServer::WaitForConnections(size_t count, DWORD timeoutMs) const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(
        lock, std::chrono::milliseconds(timeoutMs), [&] { return m_connectionCount >= count; });
}

bool WebSimServer::WaitForRequests(size_t count, DWORD timeoutMs) const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(
        lock, std::chrono::milliseconds(timeoutMs), [&] { return m_requests.size() >= count; });
}

void WebSimServer::AcceptLoop()
{
    while (!m_stop) {
        ReapConnections();
        if (!Readable(m_listener))
            continue;
        const SOCKET s = ::accept(m_listener, nullptr, nullptr);
        if (s == INVALID_SOCKET)
            continue;
        // A client that stops reading must not hold a connection thread forever.
        DWORD sendTimeout = 10000;
        ::setsockopt(
            s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&sendTimeout), sizeof(sendTimeout));
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_connectionCount;
        Connection connection;
        connection.done = std::make_shared<std::atomic<bool>>(false);
        connection.thread = std::thread(&WebSimServer::Serve, this, s, connection.done);
        m_connections.push_back(std::move(connection));
        m_changed.notify_all();
    }
}

bool WebSimServer::ReadRequest(SOCKET s, WebSimRequest& request)
{
    std::string data;
    size_t headerEnd;
    while ((headerEnd = data.find("\r\n\r\n")) == std::string::npos) {
        if (m_stop || data.size() > kMaxRequestHeader)
            return false;
        if (!ReceiveSome(s, data))
            return false;
    }
    const size_t lineEnd = data.find("\r\n");
    request.requestLine = data.substr(0, lineEnd);
    request.headerBlock = data.substr(lineEnd + 2, headerEnd + 4 - lineEnd - 2);
    const size_t space = request.requestLine.find(' ');
    const size_t space2 = request.requestLine.find(' ', space == std::string::npos ? space : space + 1);
    request.method = request.requestLine.substr(0, space);
    if (space != std::string::npos)
        request.target = request.requestLine.substr(
            space + 1, space2 == std::string::npos ? space2 : space2 - space - 1);
    ParseTarget(request);

    std::string lengthText;
    size_t length = 0;
    if (request.FindHeader("Content-Length", lengthText))
        length = static_cast<size_t>(std::strtoul(lengthText.c_str(), nullptr, 10));
    if (length > kMaxRequestHeader * 16)
        return false;
    request.body = data.substr(headerEnd + 4);
    while (request.body.size() < length) {
        if (m_stop)
            return false;
        if (!ReceiveSome(s, request.body))
            return false;
    }
    request.body.resize(length);
    return true;
}

WebSimReply WebSimServer::Answer(const WebSimRequest& request)
{
    Handler handler;
    FaultFilter filter;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_queue.empty()) {
            WebSimReply reply = m_queue.front();
            m_queue.pop_front();
            return reply;
        }
        auto route = m_routes.find(request.path);
        handler = route != m_routes.end() ? route->second : m_fallback;
        filter = m_faultFilter;
    }
    WebSimReply reply = handler ? handler(request) : WebSimReply::Status(404, "Not Found", "not found");
    return filter ? filter(request, std::move(reply)) : reply;
}

void WebSimServer::Pause(DWORD ms)
{
    const DWORD start = ::GetTickCount();
    while (!m_stop && ::GetTickCount() - start < ms)
        ::Sleep(ms < static_cast<DWORD>(kPollMs) ? ms : static_cast<DWORD>(kPollMs));
}

void WebSimServer::HoldOpen(SOCKET s)
{
    while (!m_stop) {
        if (!Readable(s))
            continue;
        char chunk[512];
        if (::recv(s, chunk, sizeof(chunk), 0) <= 0)
            return;
    }
}

void WebSimServer::SendReply(SOCKET s, const WebSimReply& reply)
{
    const std::string wire = reply.Wire();
    size_t end = wire.size();
    if (reply.stallAt < end)
        end = reply.stallAt;
    if (reply.closeAt < end)
        end = reply.closeAt;
    Pause(reply.delayMs);
    const size_t step = reply.writeSize ? reply.writeSize : (end ? end : 1);
    for (size_t pos = 0; pos < end && !m_stop; pos += step) {
        if (pos > 0)
            Pause(reply.writeDelayMs);
        const size_t n = end - pos < step ? end - pos : step;
        if (::send(s, wire.data() + pos, static_cast<int>(n), 0) != static_cast<int>(n))
            return;
    }
    if (reply.stallAt <= end && reply.stallAt < reply.closeAt)
        HoldOpen(s);
}

void WebSimServer::ReapConnections()
{
    std::vector<Connection> finished;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (size_t i = 0; i < m_connections.size();) {
            if (*m_connections[i].done) {
                finished.push_back(std::move(m_connections[i]));
                m_connections.erase(m_connections.begin() + static_cast<std::ptrdiff_t>(i));
            } else {
                ++i;
            }
        }
    }
    for (Connection& c : finished)
        c.thread.join();
}

void WebSimServer::Serve(SOCKET s, std::shared_ptr<std::atomic<bool>> done)
{
    WebSimRequest request;
    if (ReadRequest(s, request)) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_requests.push_back(request);
            m_changed.notify_all();
        }
        SendReply(s, Answer(request));
    }
    ::shutdown(s, SD_SEND);
    ::closesocket(s);
    *done = true;
}
