#pragma once
// The K-line chart engine: no window of its own, embedded in the K-line view,
// which hands it its window, forwards keys and mouse and calls it to paint.
// It keeps the snapshot of the shown stock, the visible bar range with its
// cursor, zoom, the main pane with its overlay indicator and up to nine
// indicator panes, the cross-hair, the rubber band and the pane borders.
//
// Locks: the data lock before the chart lock. The operations that call into
// the data center from the UI thread take both in that order; OnDataArrived
// runs on the download worker, which already holds the data lock. Paint and
// input run under the chart lock (re-entrant).
#include "base/KeptPicture.h"
#include "base/Thread.h"
#include "data/Bar.h"
#include "data/PwrData.h"
#include "formula/IndicatorPainter.h"
#include "views/QuoteSidePanel.h"
#include "views/KLineGeometry.h"
#include "views/SidePanelPicture.h"
#include "views/ViewDataSource.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CKData;
class ColouredStrokes;
class CSkinButtonItem;
class CStock;
class FormulaCalculator;
class ViewOptions;
struct FormulaDefinition;

// An ex-rights sign drawn under a bar and the place the tooltip hit-tests.
struct ExRightsSign
{
    ExRightsRecord record;
    RECT rect;
};

class KLineChart
{
public:
    static const int kToolTipMessage = 4036; // to the owner: wParam text, lParam 1 hides
    static const int kButtonClose = 0;
    static const int kButtonAdd = 1;
    static const int kButtonHelp = 2;

    // options and source are not owned and outlive the chart. paneConfigPath:
    // "techwin.conf" (empty: neither read nor written).
    KLineChart(ViewOptions& options, IViewDataSource& source, const std::string& paneConfigPath);
    ~KLineChart();

    void SetOwner(HWND owner);
    HWND GetOwner() const { return m_owner; }
    CriticalSection& GetLock() { return m_lock; }
    // The quote side panel draws the page by default; tests may draw another way.
    void SetSidePanelPainter(std::function<void(const SidePanelPaint&)> painter)
    {
        m_sidePanelPainter = std::move(painter);
    }
    // Whether texts that change seldom (value labels, data window) are kept
    // as pictures between paints (the default); tests draw them each time to
    // compare.
    void SetKeepPictures(bool keep);
    // Opens the help page of an indicator number (a URL); the program's opens
    // it in the user's browser.
    void SetHelpOpener(std::function<void(const std::string& url)> opener) { m_helpOpener = std::move(opener); }
    // The web server's base address the help page is under.
    void SetWebBase(const std::string& base) { m_webBase = base; }

    // Data and range.
    int GetPeriod() const;
    void SetPeriod(int period);
    // Takes the current stock; with a key, only when it is the current stock.
    void Reload();
    void Reload(uint32_t key);
    void SetAdjustMode(int mode);
    void OnDataArrived(uint32_t codeKey, int kind);
    void PreviousStock();
    void NextStock();
    void SetVisibleRange(int first, int last);
    void SetRangeAndCursor(int first, int last, int cursor);
    void SetCursorBar(int cursor);
    bool CalcVisibleRange();
    bool GetBarRect(int index, RECT* rect, int* bodyLeft, int* bodyRight, int* bodyMiddle) const;
    int BarFromPoint(int x, int y) const;
    bool GetPriceRange(int first, int last, double* low, double* high, int* lowIndex, int* highIndex) const;
    bool IsIndexShown() const;
    void InvalidateIndicators();
    void StepUp(int edit);
    void StepDown(int edit);
    void SetSidePanelPage(int page) { m_sidePanelPage = page; }
    int GetSidePanelPage() const { return m_sidePanelPage; }
    CQuoteSidePanel& GetSidePanel() { return m_sidePanel; }

    // Drawing.
    void Paint(HDC dc, const RECT& rect);
    void Draw(HDC dc);

    // Cursor and input.
    void OnKeyDown(UINT key, bool ctrl);
    void MoveCursorTo(int index, int extend, int add);
    void MoveCursorBy(int delta, int extend, int add);
    void CursorLeft();
    void CursorRight();
    void PageLeft();
    void PageRight();
    void CursorToFirstVisible();
    void CursorToLastVisible();
    void CursorToLastBar();
    void CursorToFirstBar();
    void SelectBar(int index);
    void OnMouseMove(int x, int y);
    void OnLButtonDown(int x, int y, int extend, int add);
    void OnLButtonUp(int x, int y);
    void OnLButtonDblClk(int x, int y);
    int PaneButtonFromPoint(POINT point) const;
    std::string GetCursorValueText(POINT point) const;

    // Panes.
    void Layout(const RECT& rect);
    void SetSubPanes(int count, int index);
    void SetSubPaneCount(int count, int index);
    void ApplyFormula(const FormulaDefinition* definition);
    void ShowFormula(int number);
    int OnIndicatorButton(int index);
    int GetSelectedPaneNumber() const;
    void SetSelectedPaneNumber(int number);
    void LoadPaneConfig();
    bool SavePaneConfig();

    // State, for the view and the tests.
    int GetFirst() const { return m_first; }
    int GetLast() const { return m_last; }
    int GetCursor() const { return m_cursor; }
    int GetBarWidth() const { return m_barWidth; }
    int GetCrossHairMode() const { return m_crossHair; }
    int GetSelectedPane() const { return m_selectedPane; }
    int GetMaximisedPane() const { return m_maximisedPane; }
    const std::vector<int>& GetSelection() const { return m_selection; }
    const kline::Layout& GetLayout() const { return m_layout; }
    const std::vector<std::wstring>& GetPaneNames() const { return m_paneNames; }
    std::vector<std::wstring> GetShownPaneNames() const;
    const std::vector<int>& GetSubPaneNumbers() const { return m_subPaneNumbers; }
    int GetSubPaneCalculatorCount() const { return static_cast<int>(m_subCalculators.size()); }
    FormulaCalculator* GetMainCalculator() const { return m_mainCalculator.get(); }
    FormulaCalculator* GetSubPaneCalculator(int index) const
    {
        return index >= 0 && index < static_cast<int>(m_subCalculators.size()) ? m_subCalculators[index].get() : nullptr;
    }
    const std::vector<ExRightsSign>& GetExRightsSigns() const { return m_signs; }
    double GetPriceHigh() const { return m_high; }
    double GetPriceLow() const { return m_low; }
    CStock* GetSnapshot() const { return m_snapshot; }
    // The shown series (null without a snapshot).
    CKData* GetSeries() const;
    int GetBarCount() const;
    // The area the data window shows in, when it shows.
    bool IsDataWindowShown() const { return m_dataWindowShown; }

    // The steps of Draw, each usable alone.
    void DrawSidePanel(HDC dc);
    void DrawNoData(HDC dc);
    void DrawDateAxis(HDC dc);
    void ComputeMainIndicator();
    void DrawMainPane(HDC dc);
    // Adds the candle to candles; labels and signs are drawn at once, after
    // the candles gathered so far.
    void DrawBar(HDC dc, int index, int labelKind, bool labelLeft, const std::vector<ExRightsRecord>* records,
        ColouredStrokes& candles);
    void DrawMainIndicator(HDC dc);
    void DrawSubPanes(HDC dc);
    void DrawSubPane(HDC dc, int index, const RECT& rect);
    void UpdateDataWindow(HDC dc);
    void DrawCrossHair(HDC dc, bool draw);
    void DrawPaneButtons(HDC dc);

private:
    KLineChart(const KLineChart&) = delete;
    KLineChart& operator=(const KLineChart&) = delete;

    void Invalidate() const;
    void TakeStock(CStock* stock);
    void ApplyExRightsNow();
    void RequestHistory();
    int LegendOffset() const;
    void LayoutIndicatorButtons();
    void SetPaneButtonsPos(int pane, int right, int top);
    void RepositionButtons();
    RECT PaneRectForValue(POINT point, FormulaCalculator** calculator) const;
    void DrawSplitterLine(int y);
    void DrawBand(const POINT& a, const POINT& b);
    POINT ClampToPlot(POINT point) const;
    int BarAtBandEnd(POINT point) const;
    std::unique_ptr<FormulaCalculator> MakeCalculator();
    void SendToolTip(const std::string* text);

    ViewOptions& m_options;
    IViewDataSource& m_source;
    std::string m_paneConfigPath;
    HWND m_owner;
    kline::Layout m_layout;
    std::vector<std::wstring> m_paneNames;
    std::vector<std::unique_ptr<FormulaCalculator>> m_subCalculators;
    std::vector<int> m_subPaneNumbers;
    std::unique_ptr<FormulaCalculator> m_mainCalculator;
    double m_high;
    double m_low;
    double m_indicatorMax;
    double m_indicatorMin;
    bool m_hasIndicatorRange;
    int m_editThreshold;
    int m_cursor;
    std::vector<int> m_selection;
    int m_first;
    int m_last;
    int m_barWidth;
    int m_sidePanelPage;
    int m_sideRows;
    int m_sidePosition;
    int m_titleX;
    int m_selectedPane;
    int m_maximisedPane;
    std::vector<std::unique_ptr<CSkinButtonItem>> m_buttons;
    struct ButtonRecord
    {
        int kind;
        int x;
        int y;
        std::string caption;
        HBITMAP image;
    };
    std::vector<ButtonRecord> m_buttonRecords;
    int m_hoverButton;
    int m_pressedButton;
    bool m_splitterHover;
    int m_splitterIndex;
    POINT m_splitterPoint;
    bool m_banding;
    POINT m_bandStart;
    POINT m_bandEnd;
    HCURSOR m_splitCursor;
    CQuoteSidePanel m_sidePanel;
    SidePanelPicture m_sidePanelPicture;
    CriticalSection m_lock;
    CStock* m_snapshot;
    IndicatorPainter m_painter;
    int m_crossHair;
    POINT m_mouse;
    POINT m_lastMovePoint;
    std::vector<ExRightsSign> m_signs;
    bool m_dataWindowShown;
    // The data window and the value labels left of the main pane, kept as
    // pictures (the window fills its rectangle, the labels do not).
    KeptPicture m_dataWindowPicture { false };
    KeptPicture m_dataWindowLabels { false }; // its fill, frame and labels
    KeptPicture m_mainAxisLabels { true };
    std::string m_dataWindowKey;
    std::string m_dataWindowLabelsKey;
    KeptPicture m_dateAxisPicture { false };
    ScratchDc m_crossHairScratch; // where the cross-hair's labels are made
    std::unique_ptr<CMemDC> m_buttonImages; // where the pane buttons' images are blended from

    std::string m_dateAxisKey;
    bool m_keepPictures = true;
    std::function<void(const SidePanelPaint&)> m_sidePanelPainter;
    std::function<void(const std::string&)> m_helpOpener;
    std::string m_webBase;
};
