#pragma once
// The data provider that takes market data from the quote library instead of
// the quote server. The library lists its stocks and answers bar and tick
// requests by posting replies to a hidden window; a receiver thread then
// hands the requests' callbacks streams in the layout of the network replies.
//
// The window lives on the thread that first asks for the provider, and that
// thread's message loop carries every library reply: the provider is created
// and destroyed there.
#include <windows.h>
#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/HandleOwner.h"
#include "base/MemoryStream.h"
#include "base/Thread.h"
#include "net/DataProvider.h"
#include "net/LoadDll.h"
#include "net/ScLibraryPackets.h"
#include "win/WindowImpl.h"

#pragma pack(push, 1)
// One stock of the library's lists, kept by (market word << 16 | index).
struct ScStockRecord
{
    uint32_t key; // CodeKey
    uint16_t market;
    uint16_t index;
    char code[10];
    char name[32];
    ScSnapshot snapshot; // the latest
};
#pragma pack(pop)
static_assert(sizeof(ScStockRecord) == 170, "ScStockRecord is 170 bytes");

class CScReciverWindow : public CWindowImpl<CScReciverWindow, CWindow, CWinTraits<WS_POPUP>>,
                         public IDataProvider,
                         public CThread
{
public:
    // What shows that the library cannot be loaded (the caption; no text).
    typedef void (*MessageBoxFunction)(const char* caption);

    // How long a request parked for a library reply waits for it before it
    // fails (milliseconds).
    static const DWORD kDefaultReplyDeadline = 30000;

    // Created on first use under the singleton lock and initialised (window,
    // library, the library's start); null only when it cannot be allocated.
    static CScReciverWindow* Instance();
    static CScReciverWindow* PeekInstance();

    // The message the library's replies arrive as (registered once).
    static UINT ReplyMessage();
    // Adds 1 to the counter; past 0x0FFFFFFF it starts again at 1; then adds
    // 1 again: serials advance by 2 and never pass 0x10000000.
    static uint32_t NextSerial(uint32_t& counter);
    // The CodeKey of a code text of the library (hexadecimal, at most size
    // bytes, up to the first character that is no hexadecimal digit) in a
    // market; 0 when the text holds no code of one to six digits.
    static uint32_t CodeKeyOf(uint16_t market, const char* code, size_t size);

    // Test seams. The message box shown when the library cannot be loaded
    // (null: the system's); the library's path (empty: "SCStock.dll" beside
    // the program); the reply deadline (0: the default).
    static void SetMessageBox(MessageBoxFunction show);
    static void SetLibraryPath(const std::string& path);
    static void SetReplyDeadline(DWORD milliseconds);

    // 0x201 only: the code table from the library's stock lists. 0 for any
    // other command, and while no stock is listed.
    int32_t RequestSync(
        int32_t command, uint32_t userData, uint32_t value, uint32_t value2, CMemoryStream* out) override;
    // 0x301, 0x302 and 0x401 become library requests. Always 1: a request
    // that cannot be asked (another command, a stock the library does not
    // list, a provider going away) gets its failure call.
    int32_t RequestAsync(int32_t command, uint32_t userData, uint32_t value, uint32_t value2,
        DownloadCallback callback, uintptr_t callbackArg) override;

    bool IsLibraryLoaded() const { return m_dll.IsLoaded(); }
    size_t StockCount() const;
    // Requests waiting for a library reply.
    size_t ParkedCount() const;
    uint32_t ReceiverThreadId() const { return GetThreadId(); }

    BEGIN_MSG_MAP(CScReciverWindow)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(ReplyMessage(), OnReply)
    END_MSG_MAP()

private:
    friend void DestroyScReciverWindow();

    enum RequestKind : int32_t { kDayBarsKind = 1, kFiveMinuteBarsKind = 2, kTicksKind = 3 };

    struct PendingRequest
    {
        int32_t kind = 0;
        uint32_t userData = 0;
        uint32_t serial = 0;
        uint32_t value = 0;
        uint32_t value2 = 0;
        std::unique_ptr<CMemoryStream> stream;
        DownloadCallback callback = nullptr;
        uintptr_t callbackArg = 0;
        HANDLE event = nullptr; // not owned: whoever waits on it closes it
        ULONGLONG parkedAt = 0;
        bool ok = false; // the outcome, once completed
    };

    // The stock's ticks as far as the library told them: a copy of the
    // stock's record head, the snapshot they end at and the ticks.
    struct TickCache
    {
        uint8_t recordHead[50];
        ScSnapshot snapshot;
        std::vector<ScTick> ticks;
    };

    CScReciverWindow();
    ~CScReciverWindow() override;

    void Init();
    // SCQuit, unload, destroy the window; every request still open gets its
    // outcome. Idempotent.
    void Shutdown();

    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnReply(UINT, WPARAM, LPARAM, BOOL&);

    void Run() override;

    // Under the request lock.
    void AskBars(int32_t kind, uint32_t stockIndex, uint32_t userData, uint32_t value, uint32_t value2,
        DownloadCallback callback, uintptr_t callbackArg);
    void AskTicks(uint32_t stockIndex, uint32_t userData, uint32_t value, uint32_t value2,
        DownloadCallback callback, uintptr_t callbackArg);
    void OnStockList(const uint8_t* bytes, size_t length);
    void OnSnapshots(const uint8_t* bytes, size_t length);
    void OnTicks(const uint8_t* bytes, size_t length);
    void OnBars(const uint8_t* bytes, size_t length);
    // Moves the parked request of this serial and kind to the completion
    // list with this outcome.
    void CompleteParked(uint32_t serial, int32_t kind, bool ok);
    // The stream of a network tick reply from the cache: the ticks after
    // `after`, headed by the cache's snapshot.
    static bool WriteTickStream(const TickCache& cache, uint32_t after, CMemoryStream& stream);

    void Complete(PendingRequest&& request, bool ok);
    void DeliverCompleted();
    void ExpireOverdue();
    // After the receiver has stopped: delivers what completed and fails
    // what is still parked, on the calling thread.
    void FinishAll();
    static void Deliver(PendingRequest& request);

    CLoadDll m_dll;
    mutable CriticalSection m_requestLock; // before m_completionLock
    CriticalSection m_completionLock;
    std::deque<PendingRequest> m_completed; // oldest first
    CKernelHandle m_wake; // auto-reset
    uint32_t m_serial = 0;
    std::map<uint32_t, PendingRequest> m_parked; // by serial
    std::map<uint32_t, ScStockRecord> m_stocks; // by market << 16 | index
    std::map<uint32_t, uint32_t> m_keys; // CodeKey to market << 16 | index
    std::map<uint32_t, TickCache> m_tickCaches; // by market << 16 | index
    std::atomic<bool> m_receiving { false }; // the receiver thread delivers completions
    bool m_closing = false; // under the request lock
    ULONGLONG m_lastExpiry = 0;
};

// SCQuit, unloads the library, destroys the window (failing what is still
// open) and deletes the provider; the next Instance builds anew. Call it on
// the thread that created the provider.
void DestroyScReciverWindow();
