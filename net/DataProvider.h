#pragma once
// The interface through which market data is requested.
#include <cstdint>

#include "net/DownloadRequest.h"

class CMemoryStream;

// The 16-bit request codes, the same through IDataProvider and on the wire.
enum QuoteCommand : int32_t {
    kCmdCodeTable = 0x201,
    kCmdQuotes = 0x202,
    kCmdFinance = 0x203,
    kCmdExRights = 0x204,
    kCmdF10 = 0x205,
    kCmdBlockGroups = 0x206,
    kCmdFormulas = 0x208,
    kCmdDayBars = 0x301,
    kCmdFiveMinuteBars = 0x302,
    kCmdTicks = 0x401,
};

class IDataProvider
{
public:
    virtual ~IDataProvider() { }
    // 1 on success with the delivered stream in out (reply value, reply value2,
    // plain body); 0 on failure. No callback is involved.
    virtual int32_t RequestSync(
        int32_t command, uint32_t userData, uint32_t value, uint32_t value2, CMemoryStream* out)
        = 0;
    // 1 when taken; the outcome arrives through exactly one call of callback.
    virtual int32_t RequestAsync(int32_t command, uint32_t userData, uint32_t value, uint32_t value2,
        DownloadCallback callback, uintptr_t callbackArg)
        = 0;
};

// 0: the network request manager (the program's mode for the whole run);
// 1: the quote-library provider; anything else: no provider.
int32_t GetDataProviderMode();
void SetDataProviderMode(int32_t mode);
// Never null: where no provider can be had, one that fails every request
// (synchronous: 0; asynchronous: 1, then the failure call).
IDataProvider* GetDataProvider();
// The network request manager whatever the mode (finance, ex-rights, block
// groups and formula data always go there); the override while one is set.
IDataProvider* GetNetworkDataProvider();
// The provider that fails every request.
IDataProvider* GetFailingDataProvider();

// Test seam: while set, GetDataProvider returns this provider whatever the mode.
void SetDataProviderOverride(IDataProvider* provider);
