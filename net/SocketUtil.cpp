#include "net/SocketUtil.h"

bool ConnectWithTimeout(SOCKET s, const sockaddr_in& address, DWORD timeoutMs, bool stayNonBlocking)
{
    u_long nonBlocking = 1;
    if (::ioctlsocket(s, FIONBIO, &nonBlocking) != 0)
        return false;
    if (::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        if (::WSAGetLastError() != WSAEWOULDBLOCK)
            return false;
        fd_set writable;
        fd_set failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(s, &writable);
        FD_SET(s, &failed);
        timeval timeout;
        timeout.tv_sec = static_cast<long>(timeoutMs / 1000);
        timeout.tv_usec = static_cast<long>((timeoutMs % 1000) * 1000);
        const int ready = ::select(0, nullptr, &writable, &failed, &timeout);
        if (ready == 0) {
            ::WSASetLastError(WSAETIMEDOUT);
            return false;
        }
        if (ready < 0)
            return false;
        // A refused or failed attempt is reported in the failed set, a made
        // connection in the writable one; the cause is read only for a failure.
        if (FD_ISSET(s, &failed) || !FD_ISSET(s, &writable)) {
            int error = 0;
            int size = sizeof(error);
            ::getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size);
            ::WSASetLastError(error ? error : WSAECONNREFUSED);
            return false;
        }
    }
    if (stayNonBlocking)
        return true;
    u_long blocking = 0;
    return ::ioctlsocket(s, FIONBIO, &blocking) == 0;
}
