#pragma once
// The market simulator started as a program of its own ("simulator.exe
// --control 0 0": any free ports), driven through its control channel. The
// simulator ends when this object closes its input, so it never outlives the
// process that started it.
#include <windows.h>
#include <cstdint>
#include <string>

#include "base/HandleOwner.h"

class SimulatorProcess
{
public:
    SimulatorProcess() = default;
    ~SimulatorProcess(); // Stop()
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    // Starts the program and waits for the ports it listens on.
    bool Start(const std::string& program, std::string* error);
    uint16_t QuotePort() const { return m_quotePort; }
    uint16_t WebPort() const { return m_webPort; }
    bool IsRunning() const;

    // One control command and its answer line; empty when it does not answer.
    std::string Command(const std::string& line);
    // The number in a "count N" answer; -1 when the answer is not one.
    long Count(const std::string& line);

    // Ends the control channel and waits for the program (terminated after 10 s).
    void Stop();

private:
    bool ReadLine(std::string& line, DWORD timeoutMs);

    CKernelHandle m_process;
    CKernelHandle m_input; // our end of its standard input
    CKernelHandle m_output; // our end of its standard output
    std::string m_pending;
    uint16_t m_quotePort = 0;
    uint16_t m_webPort = 0;
};
