#include "app/PortProbe.h"

#include "net/SocketUtil.h"
#include "net/WinsockSession.h"

const std::vector<uint16_t> kQuoteProbePorts = { 443, 22, 50002 };

std::vector<uint16_t> QuoteProbePortsFor(uint16_t current)
{
    std::vector<uint16_t> ports;
    bool listed = current == 0;
    for (uint16_t port : kQuoteProbePorts)
        listed = listed || port == current;
    if (!listed)
        ports.push_back(current);
    ports.insert(ports.end(), kQuoteProbePorts.begin(), kQuoteProbePorts.end());
    return ports;
}

bool ProbeTcpPort(const std::string& address, uint16_t port, uint32_t timeoutMs)
{
    WinsockSession winsock;
    if (!winsock.IsStarted())
        return false;
    sockaddr_in target = {};
    target.sin_family = AF_INET;
    target.sin_port = ::htons(port);
    target.sin_addr.s_addr = ::inet_addr(address.c_str());
    if (target.sin_addr.s_addr == INADDR_NONE || target.sin_addr.s_addr == INADDR_ANY)
        return false;
    CAutoPtrSocket socket(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (socket.Get() == INVALID_SOCKET)
        return false;
    return ConnectWithTimeout(socket.Get(), target, timeoutMs);
}

uint16_t ProbeFirstOpenPort(const std::string& address, const std::vector<uint16_t>& ports, uint32_t timeoutMs)
{
    for (uint16_t port : ports) {
        if (ProbeTcpPort(address, port, timeoutMs))
            return port;
    }
    return 0;
}
