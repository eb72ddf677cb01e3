#pragma once
// Fixtures of the minute chart tests: stocks built from a day's ticks, a
// chart source over them standing in for the data center, a fixed clock
// and a hidden owner window.
#include <windows.h>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "base/Thread.h"
#include "data/Stock.h"
#include "data/TickRecord.h"
#include "views/RealTime.h"
#include "views/ViewDataSource.h"
#include "win/WindowImpl.h"

// 2026-12-10 (a Thursday) in exchange time.
int32_t Day(int hour, int minute, int second = 0);

struct StockRecipe
{
    uint32_t key = 0x600000;
    const char* name = "浦发银行";
    bool index = false;
    double previousClose = 10;
    std::vector<WireTick> ticks;
    std::vector<WireBar> dayBars;
    // The server's quote snapshot; without it one is made from the ticks.
    bool useHeader = false;
    WireTickHeader header {};
};

// The quote snapshot after the ticks: open, high, low, last and totals.
WireTickHeader HeaderOf(const std::vector<WireTick>& ticks, double previousClose);

// Merges the ticks (and day bars) into a new stock and derives its quote and
// minute series, as a cached stock holds them.
std::unique_ptr<CStock> BuildStock(const StockRecipe& recipe);

// A session up to an end time: one tick every minute from 09:30:30, the
// price walking by the step pattern, the cumulative volume growing by
// volumeStep lots and the amount by price x volume (thousands).
std::vector<WireTick> WalkTicks(int32_t end, double start, const std::vector<double>& steps, uint32_t volumeStep);

class FakeChartSource : public IViewDataSource
{
public:
    void Add(const StockRecipe& recipe);
    void SetCurrent(uint32_t key) { m_current = key; }
    uint32_t Current() const { return m_current; }
    // The cached stock (the notices' source).
    CStock* Cached(uint32_t key);
    // Replaces a cached stock's ticks as a reply would.
    void MergeTicks(uint32_t key, const std::vector<WireTick>& ticks, double previousClose);

    CriticalSection* DataLock() override { return &m_lock; }
    uint32_t GetCurrentCodeKey() override { return m_current; }
    std::unique_ptr<CStock> CopyStock(uint32_t key) override;
    void RefreshSnapshot(CStock* snapshot, int kind) override;
    bool SelectPrevStock() override;
    bool SelectNextStock() override;
    void RequestStockData(uint32_t flags, int more) override;

    int requests = 0;
    uint32_t lastFlags = 0;

private:
    bool Step(int step);
    CriticalSection m_lock;
    std::map<uint32_t, std::unique_ptr<CStock>> m_stocks;
    uint32_t m_current = 0;
};

// A hidden popup that owns the charts' data windows.
class ChartHostWindow : public CWindowImpl<ChartHostWindow, CWindow, CWinTraits<WS_POPUP | WS_CLIPCHILDREN>>
{
public:
    DECLARE_WND_CLASS_EX("ZtMinuteTestHost", CS_DBLCLKS, COLOR_WINDOW + 1)
    BEGIN_MSG_MAP(ChartHostWindow)
    END_MSG_MAP()

    ChartHostWindow(int width = 1000, int height = 600);
    ~ChartHostWindow();
};

// A chart wired to a fake source, a fixed clock and a hidden owner.
struct ChartRig
{
    explicit ChartRig(int32_t now = Day(10, 45));
    // Makes the recipe's stock current and reloads the chart.
    void Show(const StockRecipe& recipe);

    FakeChartSource source;
    ChartHostWindow host;
    CRealTime chart;
    int32_t now;
};
