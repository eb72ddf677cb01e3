#pragma once
// One quote request and its completion function, shared by the whole transport.
#include <winsock2.h>
#include <cstdint>

class CMemoryStream;

// Called exactly once per asynchronous request: the reply and 1 on success,
// null and 0 on any failure (refused, dropped, failed, cancelled at shutdown).
typedef void (*DownloadCallback)(uint32_t userData, uintptr_t callbackArg, CMemoryStream* reply, int32_t ok);

struct DownloadRequest
{
    enum State : int32_t { kQueued = 0, kTaken = 1, kDone = 2, kFailed = 4 };

    int32_t command = 0; // QuoteCommand in the low 16 bits
    uint32_t userData = 0; // CodeKey of the stock, 0 for whole-market tables
    uint32_t value = 0;
    uint32_t value2 = 0;
    int32_t compression = 0; // filled from the reply header
    CMemoryStream* out = nullptr; // not owned; null: the client's own reply stream
    SOCKET socket = INVALID_SOCKET;
    DownloadCallback callback = nullptr;
    uintptr_t callbackArg = 0;
    int32_t state = kQueued;
};
