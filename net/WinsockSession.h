#pragma once
// Keeps Winsock started for the lifetime of its owner (start-up and clean-up
// are counted by the system, so owners may nest freely).
#include <winsock2.h>

class WinsockSession
{
public:
    WinsockSession() { m_started = ::WSAStartup(MAKEWORD(1, 1), &m_data) == 0; }
    ~WinsockSession()
    {
        if (m_started)
            ::WSACleanup();
    }
    bool IsStarted() const { return m_started; }

private:
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
    WSADATA m_data;
    bool m_started;
};
