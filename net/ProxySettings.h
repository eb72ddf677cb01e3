#pragma once
// How the WinINet path reaches the web server, with its own lock: the shell
// writes the settings while transfers on other threads read them.
#include <cstdint>
#include <string>

#include "base/Thread.h"

class ProxySettings
{
public:
    enum AccessType : int32_t { kAccessPreconfig = 0, kAccessDirect = 1, kAccessProxy = 3 };
    enum ProxyType : int32_t { kSocks4 = 1, kSocks5 = 2, kHttpProxy = 3 };

    struct Values
    {
        int32_t accessType = kAccessDirect;
        int32_t proxyType = 0;
        std::string host; // empty: no proxy
        int32_t port = 0;
        std::string user;
        std::string password;
    };

    ProxySettings() { }

    // Mode 0 or 1: that access type, 1. Mode 3: access type 3 and the proxy
    // type; with an empty host the access type falls back to 0 and the result
    // is 0 (the stored host and credentials stay), otherwise host, port, user
    // and password are stored and the result is 1. Other modes: nothing, 0.
    int32_t Set(int32_t mode, int32_t proxyType, const char* host, int32_t port, const char* user,
        const char* password);
    // A consistent copy, as one transfer uses it.
    Values Get() const;

private:
    ProxySettings(const ProxySettings&) = delete;
    ProxySettings& operator=(const ProxySettings&) = delete;

    mutable CriticalSection m_lock;
    Values m_values;
};
