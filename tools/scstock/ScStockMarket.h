#pragma once
// The stand-in quote library's state: the simulated market it answers from,
// the receiver it posts replies to and the reply buffers it keeps readable
// until it quits. Every reply ends exactly at a page that cannot be read,
// so a receiver that reads past a reply's end faults at once.
#include <windows.h>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "net/ScLibraryPackets.h"
#include "tools/marketdata/SimMarketSeries.h"
#include "tools/marketdata/SimMarketTables.h"
#include "tools/scstock/ScStockControl.h"

class ScStockMarket
{
public:
    ScStockMarket();
    ~ScStockMarket(); // frees every reply

    int32_t Init(const void* packet, int32_t length);
    int32_t AskData(const void* packet, int32_t length);
    void Quit();
    int32_t GetInfo(void* buffer, int32_t length);

    void SetClock(int32_t now);
    void SetFault(ScStockFault fault, int32_t times);
    int32_t PostSnapshots();
    int32_t PostRaw(const void* bytes, int32_t length);
    int32_t AskCount();

private:
    struct Listed
    {
        uint16_t market;
        std::vector<const SimSecurity*> stocks; // by index
    };

    const SimSecurity* Find(uint16_t market, uint16_t index) const;
    ScSnapshot SnapshotOf(const SimSecurity& stock, uint16_t market, uint16_t index) const;
    std::string SnapshotReply(const std::vector<ScSnapshot>& snapshots) const;
    std::string BarReply(const ScBarRequestPacket& request, const std::vector<WireBar>& bars);
    std::string TickReply(const ScTickRequestPacket& request, const std::vector<WireTick>& ticks);
    // The fault for the next bar or tick reply, counted down.
    ScStockFault TakeFault();
    // Applies a count fault to a reply whose records start at recordsAt.
    static void Spoil(std::string& reply, ScStockFault fault, size_t countAt, size_t recordsAt,
        size_t recordSize, uint32_t count);
    void Post(const std::string& reply);
    void FreeReplies();

    std::mutex m_mutex;
    SimMarketTables m_tables;
    SimMarketSeries m_series;
    std::vector<Listed> m_lists;
    HWND m_receiver = nullptr;
    UINT m_message = 0;
    std::set<uint32_t> m_watched; // market << 16 | index of stocks whose ticks were asked
    std::vector<void*> m_replies; // VirtualAlloc blocks
    ScStockFault m_fault = ScStockFault::None;
    int32_t m_faultTimes = -1;
    int32_t m_asks = 0;
};
