#pragma once
// Fixtures of the K-line tests: a recording data source over a stock built
// from bars, the simulator's indicator definitions in the formula store, and
// a hidden owner window.
#include "data/Stock.h"
#include "views/KLineChart.h"
#include "views/ViewOptions.h"

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct RecordedDataRequest
{
    uint32_t flags;
    int more;
};

class FakeKLineSource : public IViewDataSource
{
public:
    CriticalSection* DataLock() override { return &lock; }
    CStock* GetCurrentStock() override { return current; }
    void RequestStockData(uint32_t flags, int more) override { requests.push_back({ flags, more }); }
    void RefreshStock(CStock* snapshot, int kind) override
    {
        if (onRefresh)
            onRefresh(snapshot, kind);
    }
    bool SelectPrevStock() override { return Select(-1); }
    bool SelectNextStock() override { return Select(1); }
    const std::vector<ExRightsRecord>* GetExRights(uint32_t key) override
    {
        auto found = exRights.find(key);
        return found == exRights.end() ? nullptr : &found->second;
    }
    int HistoryRequests() const
    {
        int n = 0;
        for (const RecordedDataRequest& r : requests)
            n += r.more ? 1 : 0;
        return n;
    }

    CriticalSection lock;
    CStock* current = nullptr;
    std::vector<CStock*> browseList;
    std::vector<RecordedDataRequest> requests;
    std::function<void(CStock*, int)> onRefresh;
    std::map<uint32_t, std::vector<ExRightsRecord>> exRights;

private:
    bool Select(int step)
    {
        for (size_t i = 0; i < browseList.size(); ++i) {
            if (browseList[i] == current) {
                const int next = static_cast<int>(i) + step;
                if (next < 0 || next >= static_cast<int>(browseList.size()))
                    return false;
                current = browseList[next];
                return true;
            }
        }
        return false;
    }
};

// A stock with count day bars from 2015-01-05 on, one per calendar day,
// a gentle random walk around 10 (deterministic).
std::unique_ptr<CStock> MakeDayStock(uint32_t key, int count, const char* name = "测试股份", const char* code = "600000");
// Five-minute bars, 48 a day.
void AddFiveMinuteBars(CStock& stock, int count);
// Prepends count older day bars.
void PrependDayBars(CStock& stock, int count);

// A simulated stock that has ex-rights events (records gets them), with its
// day bars from 2023 and its five-minute bars from 2026-11-20 on. The last
// event, a cash dividend, falls at kSimulatedExRightsTime, inside both.
std::unique_ptr<CStock> MakeSimulatedStock(std::vector<ExRightsRecord>& records);
extern const int32_t kSimulatedExRightsTime;

// The view options back at their defaults.
ViewOptions& FreshViewOptions();

// Loads the simulator's indicator definitions into the formula store once.
void LoadSimulatorFormulas();

// A hidden popup window of the size, destroyed with the object.
class HiddenOwner
{
public:
    HiddenOwner(int width = 1400, int height = 1000);
    ~HiddenOwner();
    HWND Handle() const { return m_hwnd; }

private:
    HWND m_hwnd;
};
