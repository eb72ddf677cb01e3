#pragma once
// Where the quote server and the web service are. Both have built-in defaults
// on 127.0.0.1; "run.ini" may name others in its section "Servers":
//   QuoteAddress=127.0.0.1   QuotePort=50002   ServiceUrl=http://127.0.0.1:7710/
// which is how the local simulators on free ports, or another machine, are used.
#include <cstdint>
#include <string>

struct ServerSettings
{
    std::string quoteAddress; // empty: keep the default
    uint16_t quotePort = 0; // 0: keep the default
    std::string serviceUrl; // empty: keep the default
};

// Reads the section; values that are not a dotted IPv4 address, a port from 1
// to 65535 or an http URL are ignored.
ServerSettings ReadServerSettings(const std::string& iniPath);
// Sets the program-wide address, port and base URL that the settings name.
void ApplyServerSettings(const ServerSettings& settings);
