#pragma once
// Small Winsock helpers shared by the socket clients.
#include <winsock2.h>
#include <windows.h>

#include "base/HandleOwner.h"

struct CSocketTraits
{
    static void Free(SOCKET s) { ::closesocket(s); }
    static SOCKET Empty() { return INVALID_SOCKET; }
};

// Owns one socket handle.
class CAutoPtrSocket : public CHandleOwner<SOCKET, CSocketTraits>
{
public:
    using CHandleOwner::CHandleOwner;
    void Close() { Reset(); }
};

// Connects s to address without waiting longer than timeoutMs (a dead address
// would otherwise cost the system's minutes), then leaves the socket blocking,
// or non-blocking when asked (for a caller that bounds every wait itself).
// On failure WSAGetLastError() tells why: WSAETIMEDOUT when the time ran out,
// the socket's own error (or WSAECONNREFUSED) when the connection failed.
bool ConnectWithTimeout(SOCKET s, const sockaddr_in& address, DWORD timeoutMs, bool stayNonBlocking = false);
