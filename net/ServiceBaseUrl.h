#pragma once
// The address of the service's web server: every service request is this
// base followed by its path. Read by several threads while the start-up may
// change it, so it is guarded and read as a copy.
#include <string>

class ServiceBaseUrl
{
public:
    // The local web-service simulator; "run.ini" may name another server.
    static const char* const kDefault;
    // Always ends in "/".
    static std::string Get();
    // A value without a final "/" gets one.
    static void Set(const std::string& url);
};
