#pragma once
// The proxy choice kept in section "ProxyInfo" of "run.ini", how it is read
// and written, and which fields of the proxy dialog a choice enables.
#include <cstdint>
#include <string>

class CIni;
class ProxySettings;

struct ProxyInfo
{
    uint32_t accessType = 0; // 0 the system browser's settings, 1 direct, 3 the proxy below
    uint32_t proxyType = 0; // 1 SOCKS4, 2 SOCKS5, 3 HTTP
    std::string address;
    uint32_t port = 0;
    std::string user;
    std::string password; // in the clear here; sealed in the file
};

// Numbers as unsigned decimals (empty or not a number: 0; a port above 65535
// is refused as 0); texts at most 260 bytes. A password with the "v2:" mark
// is opened (one that cannot be opened reads as empty); one without it is an
// older file's plain text and is taken as written.
ProxyInfo ReadProxyInfo(const CIni& ini);
// The six keys in order, numbers with "%d", texts without trailing blanks,
// the password sealed. False when a key could not be written.
bool WriteProxyInfo(CIni& ini, const ProxyInfo& info);
// Hands the choice to the HTTP client's settings; ProxySettings::Set's result.
int32_t ApplyProxyInfo(ProxySettings& settings, const ProxyInfo& info);

// Without trailing spaces and tabs.
std::string TrimRightBlanks(const std::string& text);
// A port typed into the dialog: decimal digits only, 0 to 65535.
bool ParseProxyPort(const std::string& text, uint32_t& port);

// Which of the dialog's proxy fields a choice of radio buttons enables: the
// address, port and type choices only for a named proxy (1043), the user and
// password fields too unless the proxy is SOCKS4 (1048), which has none.
struct ProxyFieldStates
{
    bool proxyFields;
    bool credentials;
};
ProxyFieldStates ProxyFieldsFor(int accessButton, int typeButton);
