#pragma once
// Finds a port on which the quote server accepts connections.
#include <cstdint>
#include <string>
#include <vector>

// The ports the program tries, in order.
extern const std::vector<uint16_t> kQuoteProbePorts;
// The ports the program probes when its quote port is current: a port that
// "run.ini" names (one not in the list) is tried first, then the list.
std::vector<uint16_t> QuoteProbePortsFor(uint16_t current);
// A connect that has not succeeded by then counts as refused.
inline constexpr uint32_t kProbeConnectTimeoutMs = 3000;

// Connects to the dotted IPv4 address at the port (no name lookup), sends
// nothing and closes again. True when the connection was accepted in time.
bool ProbeTcpPort(const std::string& address, uint16_t port, uint32_t timeoutMs = kProbeConnectTimeoutMs);

// The first of the ports that accepts; 0 when none does.
uint16_t ProbeFirstOpenPort(const std::string& address, const std::vector<uint16_t>& ports,
    uint32_t timeoutMs = kProbeConnectTimeoutMs);
