#pragma once
// The program's loading steps: the quote server's port, then the data
// center's tables, the current stock, the groups, the indicator formulas and
// the ex-rights data.
#include <cstdint>
#include <vector>

#include "app/PortProbe.h"
#include "app/StartupSequence.h"

class CDataCenterStartupWork : public IStartupWork
{
public:
    // ports: tried in order on the chosen quote server; the first that
    // accepts becomes the quote port, and with none the port stays.
    explicit CDataCenterStartupWork(
        std::vector<uint16_t> ports = kQuoteProbePorts, uint32_t probeTimeoutMs = kProbeConnectTimeoutMs);

    int32_t RunStep(int position) override;

private:
    std::vector<uint16_t> m_ports;
    uint32_t m_probeTimeoutMs;
};
