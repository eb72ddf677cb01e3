#pragma once
// The intraday view: one, two, four, six or nine minute charts in a grid.
// With a single chart in chart mode it shows two strips along its bottom
// edge: the indicator tabs that pick the chart's third pane and the page
// tabs of the quote side panel. It forwards keys, the wheel, clicks and
// update notices to the charts it shows and paints them under its lock.
#include <windows.h>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "base/Thread.h"
#include "skin/SkinFlatTabCtrl.h"
#include "views/BaseView.h"
#include "views/RealTime.h"

// The indicator tabs in strip order, and the side-panel pages in strip order.
struct MinuteIndicatorTab
{
    int32_t indicator;
    const char* label;
};
extern const MinuteIndicatorTab kMinuteIndicatorTabs[10];

struct MinutePageTab
{
    int32_t page;
    UINT stringId;
    const char* fallback;
};
extern const MinutePageTab kMinutePageTabs[7];

// The pages the page strip offers: an index has no sector, finance or
// diagnosis page.
std::vector<int32_t> MinuteStripPages(bool index);

class CRealTimeView : public CBaseView
{
public:
    static constexpr int kChartCount = 9;
    static constexpr int kIndicatorStripId = 4081;
    static constexpr int kPageStripId = 4082;
    static constexpr int kStripHeight = 17;
    static constexpr UINT kTipsPageCommand = 4080;

    explicit CRealTimeView(CMessageProcessor* owner = nullptr);
    ~CRealTimeView() override;

    // For tests and the program's start: every chart's source and clock.
    void SetSource(IViewDataSource* source);
    void SetClock(MinuteChartClock clock);

    int Deactivate() override;
    int OnQuickCode(int32_t) override { return 1; }
    void Activate(uint32_t key) override;
    int Accept(UINT messageId, WPARAM wParam, LPARAM lParam) override;

    // 1, 2, 4, 6 or 9, and only a change; other values do nothing.
    void SetChartCount(int count);
    int GetChartCount() const { return m_count.load(); }
    // 0 for indicator or page: the main chart's current one. The main chart
    // reloads the current stock, or with a key that stock as Activate does.
    void SetDisplay(int mode, int indicator, int page);
    void SetDisplay(int mode, int indicator, int page, uint32_t key);
    CRealTime& GetChart(int index) { return m_charts[index]; }
    // 1 for every key but Escape; Escape: 1 when it left a list mode.
    int OnKeyDown(UINT key);
    // The wheel's parameter as WM_MOUSEWHEEL carries it.
    void OnWheel(WPARAM wParam);

    CSkinFlatTabCtrl& GetIndicatorStrip() { return m_indicatorStrip; }
    CSkinFlatTabCtrl& GetPageStrip() { return m_pageStrip; }
    // The pages of the page strip's tabs, in tab order.
    const std::vector<int32_t>& GetStripPages() const { return m_stripPages; }
    // The charts laid out and drawn into dc over the client area.
    void Paint(HDC dc);

    BEGIN_MSG_MAP(CRealTimeView)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_PRINTCLIENT, OnPaint)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        MESSAGE_HANDLER(WM_NOTIFY, OnNotify)
        COMMAND_RANGE_HANDLER(kMenuCommandFirst, kMenuCommandLast, OnForwardCommand)
        MOUSE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
        MOUSE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        MOUSE_HANDLER(WM_LBUTTONDBLCLK, OnLButtonDblClk)
        MOUSE_HANDLER(WM_RBUTTONUP, OnRButtonUp)
        CHAIN_MSG_MAP(CBaseView)
    END_MSG_MAP()

private:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
    LRESULT OnNotify(UINT, WPARAM, LPARAM, BOOL&);
    void OnMouseMove(UINT, CPoint point, BOOL&);
    void OnLButtonDown(UINT, CPoint point, BOOL&);
    void OnLButtonDblClk(UINT, CPoint point, BOOL&);
    void OnRButtonUp(UINT, CPoint point, BOOL&);

    void BuildPageStrip(bool index);
    // Both strips select the tabs of what the main chart shows, and those
    // become the last chosen tabs: a click on any other tab, or on the shown
    // one after the chart changed under it, takes effect.
    void SyncStrips();
    void ShowStrips(bool show);
    // The current stock changes on the UI thread only: its key read here is
    // the one the reload finds.
    void ReloadMainChart();
    void ReloadMainChart(uint32_t key);
    void OnIndicatorTabChanged();
    void OnPageTabChanged();
    void OnSectorDoubleClick(const NMHDR* header);

    CRealTime m_charts[kChartCount];
    // Written on the UI thread, read by the replying worker's notices.
    std::atomic<int> m_count;
    CriticalSection m_lock;
    CSkinFlatTabCtrl m_indicatorStrip;
    CSkinFlatTabCtrl m_pageStrip;
    int m_lastIndicatorTab;
    int m_lastPageTab;
    std::vector<std::pair<std::string, int32_t>> m_pageList;
    std::vector<int32_t> m_stripPages;
    int m_indexFlag;
};
