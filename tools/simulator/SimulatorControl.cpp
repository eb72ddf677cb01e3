#include "tools/simulator/SimulatorControl.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>

#include "tools/quotesim/QuoteSimulator.h"
#include "tools/websim/WebSimServer.h"

namespace {

struct QuoteFaultName
{
    const char* name;
    SimFault fault;
};

const QuoteFaultName kQuoteFaults[] = {
    { "none", SimFault::None },
    { "refuse", SimFault::Refuse },
    { "lengthzero", SimFault::LengthZero },
    { "closeafterheader", SimFault::CloseAfterHeader },
    { "closemidbody", SimFault::CloseMidBody },
    { "truncatedzlib", SimFault::TruncatedZlib },
    { "hugelength", SimFault::HugeLength },
    { "junkheader", SimFault::JunkHeader },
    { "stall", SimFault::Stall },
    { "lyinglength", SimFault::LyingLength },
    { "drip", SimFault::Drip },
};

// How long a delayed web reply waits before its first byte: longer than a
// poll, shorter than the client's time-out.
const DWORD kWebDelayMs = 3000;

bool MakeWebFault(const std::string& name, WebSimServer::FaultFilter& filter)
{
    if (name == "none") {
        filter = nullptr;
    } else if (name == "404" || name == "500") {
        const int code = std::atoi(name.c_str());
        const char* reason = code == 404 ? "Not Found" : "Internal Server Error";
        filter = [code, reason](const WebSimRequest&, WebSimReply) { return WebSimReply::Status(code, reason, reason); };
    } else if (name == "empty") {
        filter = [](const WebSimRequest&, WebSimReply) { return WebSimReply::Ok(std::string()); };
    } else if (name == "truncated") {
        // The header announces the whole body; the connection closes halfway through it.
        filter = [](const WebSimRequest&, WebSimReply reply) {
            const std::string wire = reply.Wire();
            const size_t head = wire.find("\r\n\r\n");
            const size_t bodyStart = head == std::string::npos ? 0 : head + 4;
            reply.closeAt = bodyStart + (wire.size() - bodyStart) / 2;
            return reply;
        };
    } else if (name == "stall") {
        filter = [](const WebSimRequest&, WebSimReply reply) {
            reply.stallAt = 0;
            return reply;
        };
    } else if (name == "delay") {
        filter = [](const WebSimRequest&, WebSimReply reply) {
            reply.delayMs = kWebDelayMs;
            return reply;
        };
    } else {
        return false;
    }
    return true;
}

} // namespace

SimulatorControl::SimulatorControl(QuoteSimulator& quotes, WebSimServer& web)
    : m_quotes(quotes)
    , m_web(web)
{
}

std::string SimulatorControl::Execute(const std::string& line)
{
    std::istringstream in(line);
    std::string verb, arg;
    in >> verb >> arg;
    if (verb == "quote-fault") {
        int times = -1;
        if (!(in >> times))
            times = -1;
        for (const QuoteFaultName& entry : kQuoteFaults) {
            if (arg == entry.name) {
                m_quotes.SetFault(entry.fault, times);
                return "ok";
            }
        }
        return "error unknown quote fault";
    }
    if (verb == "web-fault") {
        WebSimServer::FaultFilter filter;
        if (!MakeWebFault(arg, filter))
            return "error unknown web fault";
        m_web.SetFaultFilter(filter);
        return "ok";
    }
    if (verb == "quote-hold") {
        char* end = nullptr;
        const unsigned long command = std::strtoul(arg.c_str(), &end, 16);
        if (arg.empty() || *end || command > 0xFFFF)
            return "error expected a hex command";
        m_quotes.HoldWhere([command](const SimRequest& request) { return request.command == command; });
        return "ok";
    }
    if (verb == "quote-held")
        return "count " + std::to_string(m_quotes.HeldCount());
    if (verb == "quote-release") {
        m_quotes.ReleaseAll();
        return "ok";
    }
    if (verb == "quote-count") {
        if (arg.empty())
            return "count " + std::to_string(m_quotes.RequestCount());
        const unsigned long command = std::strtoul(arg.c_str(), nullptr, 16);
        std::string keyText;
        in >> keyText;
        const unsigned long key = std::strtoul(keyText.c_str(), nullptr, 16);
        size_t count = 0;
        for (const SimRequest& request : m_quotes.RequestLog())
            count += request.command == command && (keyText.empty() || request.key == key) ? 1 : 0;
        return "count " + std::to_string(count);
    }
    if (verb == "web-count") {
        if (arg.empty())
            return "count " + std::to_string(m_web.GetRequestCount());
        size_t count = 0;
        for (const WebSimRequest& request : m_web.GetRequests())
            count += _stricmp(request.path.c_str(), arg.c_str()) == 0 ? 1 : 0;
        return "count " + std::to_string(count);
    }
    return "error unknown command";
}

void SimulatorControl::Run()
{
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line == "quit")
            break;
        if (line.empty())
            continue;
        std::printf("%s\n", Execute(line).c_str());
        std::fflush(stdout);
    }
}
