#pragma once
// The K-line view: the chart engine over the whole client area but a 17 px
// strip at the bottom, where the indicator tab bar ("设置" and the indicators
// of "showformula.dat") and, under the side panel, the strip of side-panel
// pages stand. It turns window messages and view messages into calls on the
// chart, shows the chart's ex-rights tips, and offers the entry points the
// menu commands change period, adjustment and pane count through.
#include "skin/SkinFlatTabCtrl.h"
#include "views/BaseView.h"
#include "views/KLineChart.h"
#include "views/StockGraphTabs.h"
#include "win/Controls.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class CStockGraphView : public CBaseView
{
public:
    static const int kIndicatorTabsId = 4081;
    static const int kPageTabsId = 4082;
    static const int kStripHeight = 17;

    // owner: the content panel (may be null in tests). source: the market
    // data the chart shows. paneConfigPath: "techwin.conf" (empty: the data
    // directory's).
    explicit CStockGraphView(CMessageProcessor* owner, IViewDataSource& source = DataCenterViewSource(),
        const std::string& paneConfigPath = std::string(), const std::string& indicatorListPath = std::string());
    ~CStockGraphView() override;

    int Deactivate() override;
    int OnQuickCode(int32_t) override { return 1; }
    void Activate(uint32_t key) override;
    int Accept(UINT messageId, WPARAM wParam, LPARAM lParam) override;

    // The menu's entry points: the old value when unchanged, else 0.
    int SetPeriod(int period);
    int NextPeriod();
    void SetAdjustMode(int mode);
    int SetSubPaneCount(int count);
    int RelayToolTipEvent(MSG* message);

    // The indicator manager, opened modally from tab "设置"; the tabs are
    // refilled when it returns.
    void SetIndicatorManagerOpener(std::function<void(HWND parent)> opener) { m_openIndicatorManager = std::move(opener); }

    KLineChart& GetChart() { return m_chart; }
    CSkinFlatTabCtrl& GetIndicatorTabs() { return m_indicatorTabs; }
    CSkinFlatTabCtrl& GetPageTabs() { return m_pageTabs; }
    const std::vector<int32_t>& GetIndicatorNumbers() const { return m_indicatorNumbers; }
    const std::string& GetToolTipText() const { return m_toolTipText; }
    HWND GetToolTip() const { return m_toolTip.m_hWnd; }

    BEGIN_MSG_MAP(CStockGraphView)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        SIZE_HANDLER(OnSize)
        PAINT_HANDLER(OnPaint)
        MESSAGE_HANDLER(WM_PRINTCLIENT, OnPrintClient)
        MOUSE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
        MOUSE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        MOUSE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
        MOUSE_HANDLER(WM_LBUTTONDBLCLK, OnLButtonDblClk)
        MOUSE_HANDLER(WM_RBUTTONUP, OnRButtonUp)
        MESSAGE_HANDLER(WM_NOTIFY, OnNotify)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(KLineChart::kToolTipMessage, OnToolTipText)
        COMMAND_RANGE_HANDLER(kMenuCommandFirst, kMenuCommandLast, OnForwardCommand)
        CHAIN_MSG_MAP(CBaseView)
    END_MSG_MAP()

private:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    void OnSize(UINT, CSize client, BOOL&);
    void OnPaint(HDC given, BOOL&);
    LRESULT OnPrintClient(UINT, WPARAM, LPARAM, BOOL&);
    void OnMouseMove(UINT, CPoint point, BOOL&);
    void OnLButtonDown(UINT, CPoint point, BOOL&);
    void OnLButtonUp(UINT, CPoint point, BOOL&);
    void OnLButtonDblClk(UINT, CPoint point, BOOL&);
    void OnRButtonUp(UINT, CPoint point, BOOL&);
    LRESULT OnNotify(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnToolTipText(UINT, WPARAM, LPARAM, BOOL&);

    void DoPaint(HDC dc, const RECT& client);
    void RefreshIndicatorTabs();
    void FillPageTabs(bool index);
    void OnKeyDown(UINT key);
    void OnWheel(WPARAM wParam);

    KLineChart m_chart;
    CSkinFlatTabCtrl m_indicatorTabs;
    CSkinFlatTabCtrl m_pageTabs;
    int m_lastIndicatorTab;
    int m_lastPageTab;
    int m_lastSyncedNumber;
    std::vector<int32_t> m_indicatorNumbers;
    std::vector<kline::SidePage> m_pages;
    int m_lastIndexFlag;
    CToolTipCtrl m_toolTip;
    std::string m_toolTipText;
    std::string m_indicatorListPath;
    std::function<void(HWND)> m_openIndicatorManager;
};
