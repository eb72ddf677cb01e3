#pragma once
// An HTTP/1.1 server on 127.0.0.1 that answers every request with a scripted
// or routed reply and records what it was asked. One request per connection,
// each connection on its own thread. Requests whose target is an absolute URI
// (a client using it as its HTTP proxy) are answered the same way, by path.
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

#include "tools/websim/WebSimReply.h"

class WebSimServer
{
public:
    typedef std::function<WebSimReply(const WebSimRequest&)> Handler;
    // Turns the reply a request would get into a faulty one (or keeps it).
    typedef std::function<WebSimReply(const WebSimRequest&, WebSimReply)> FaultFilter;

    static const size_t kMaxRequestHeader = 65536;

    WebSimServer();
    ~WebSimServer();

    // Listens on 127.0.0.1 (port 0: any free port). False when it cannot.
    bool Start(uint16_t port = 0);
    // Ends every connection (stalled ones included) and waits for the threads.
    void Stop();

    uint16_t GetPort() const { return m_port; }
    // "http://127.0.0.1:<port>" followed by path.
    std::string Url(const std::string& path) const;

    // Which reply a request gets: the oldest queued reply, else the handler of
    // its exact path, else the fallback (404 unless set).
    void Enqueue(const WebSimReply& reply);
    void AddRoute(const std::string& path, Handler handler);
    void SetFallback(Handler handler);
    // Every routed or fallback reply passes through the filter until it is
    // cleared with a null one; queued replies are sent as they are.
    void SetFaultFilter(FaultFilter filter);

    std::vector<WebSimRequest> GetRequests() const;
    size_t GetRequestCount() const;
    // Connections accepted so far.
    size_t GetConnectionCount() const;
    // True once count connections have been accepted, false after timeoutMs.
    bool WaitForConnections(size_t count, DWORD timeoutMs) const;
    bool WaitForRequests(size_t count, DWORD timeoutMs) const;

private:
    WebSimServer(const WebSimServer&) = delete;
    WebSimServer& operator=(const WebSimServer&) = delete;

    void AcceptLoop();
    void Serve(SOCKET s, std::shared_ptr<std::atomic<bool>> done);
    // Joins the connection threads that have finished.
    void ReapConnections();
    bool ReadRequest(SOCKET s, WebSimRequest& request);
    WebSimReply Answer(const WebSimRequest& request);
    void SendReply(SOCKET s, const WebSimReply& reply);
    // Waits until the peer closes or the server stops.
    void HoldOpen(SOCKET s);
    // Sleeps up to ms, ending early when the server stops.
    void Pause(DWORD ms);

    SOCKET m_listener;
    uint16_t m_port;
    bool m_started;
    std::atomic<bool> m_stop;
    std::thread m_acceptThread;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    struct Connection
    {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::vector<Connection> m_connections;
    std::deque<WebSimReply> m_queue;
    std::map<std::string, Handler> m_routes;
    Handler m_fallback;
    FaultFilter m_faultFilter;
    std::vector<WebSimRequest> m_requests;
    size_t m_connectionCount;
};
