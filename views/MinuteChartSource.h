#pragma once
// Where a minute chart takes its stock from. Each chart keeps a snapshot of
// its own (several charts show different stocks at once, and the data
// center's one UI snapshot is replaced at every stock change); this is the
// narrow way to the data center, so the charts can be tested with fakes.
#include <cstdint>
#include <memory>

class CStock;
class CriticalSection;

class IMinuteChartSource
{
public:
    virtual ~IMinuteChartSource() { }
    // The data lock; taken before any view or chart lock.
    virtual CriticalSection* DataLock() = 0;
    // A whole copy of the current stock, or null when there is none.
    virtual std::unique_ptr<CStock> CopyCurrentStock() = 0;
    // Brings series kind of the snapshot's stock into it: the current stock,
    // or one still cached that another chart of a grid shows.
    virtual void RefreshSnapshot(CStock* snapshot, int kind) = 0;
    // True when another stock became current.
    virtual bool SelectPrevStock() = 0;
    virtual bool SelectNextStock() = 0;
    virtual void RequestStockData(uint32_t flags, int more) = 0;
};

// The data center's current stock (its singleton, created on first use).
IMinuteChartSource* DataCenterChartSource();
