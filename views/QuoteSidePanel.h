#pragma once
// The 280-pixel column beside the minute and K-line charts: the stock title,
// the quote table with the order book, and one page of trades, volume by
// price, sectors, finance figures, order sizes, diagnosis, chips or cost
// curves. It has no window of its own: the chart that holds it calls the
// painter of its page inside its own drawing, with its device context, the
// page rectangle and its snapshot of the stock. Its one child window, the
// sector list, is shown only while the sector page is drawn.
//
// UI thread only; the charts call it under their chart lock.
#include "views/DiagnosisFetcher.h"
#include "views/KeywordListCtrl.h"

#include <windows.h>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CFenbiData;
class CKData;
class CMinute;
class CStock;
class CStockDiagnose;
class CStockInfo;

// The page a chart shows in its side panel.
enum SidePanelPage : int32_t {
    kPageCostDistribution = 1, // K-line chart only
    kPageMovingCost = 2, // K-line chart only
    kPageSectors = 9,
    kPageNone = 10, // no side panel (minute chart)
    kPageTicks = 11,
    kPageVolumeByPrice = 12,
    kPageFinance = 13,
    kPageOrderSizes = 14,
    kPageDiagnosis = 15,
    kPageChips = 16, // minute chart only
    kPageBlank = 17, // minute chart only
};

// What a chart hands the panel to draw its page: the page, where, the stock,
// the chart's price scale (the cost and chip pages draw their levels on it)
// and the chart's paging integers, which paged pages keep between paints.
struct SidePanelPaint
{
    HDC dc = nullptr;
    int page = 0;
    RECT sidePanel {};
    RECT priceArea {}; // where the chart's price scale maps: from high at its top to low at its bottom
    CStock* stock = nullptr;
    int period = 0; // K-line period; the cost pages read its bars
    int cursor = -1; // K-line cursor bar, -1 for the last
    double high = 0;
    double low = 0;
    int* rowsPerPage = nullptr;
    int* listPosition = nullptr;
};

// The panel's colours, shared program-wide (0x00BBGGRR). The stock quote
// table sets NeutralText to RGB(230, 230, 230) each time it draws, and later
// users keep that.
struct SidePanelColors
{
    static COLORREF Background;
    static COLORREF NeutralText;
    static COLORREF StockName;
    static COLORREF StockCode;
    static COLORREF IndexVolume; // volume and amount in the index table
    static COLORREF OrderBookVolume; // total volume in the stock table, order-book volumes
    static COLORREF Turnover; // turnover, capital and earnings rows, captions
};

// One chip-distribution computation of the cost pages (by days or by
// turnover), and its results: levels in thousandths, the volume at each.
struct ChipComputation
{
    const CKData* bars;
    const CStockInfo* info;
    bool byDays;
    int end;
    int days;
    double step;
    double factor;
};

struct ChipDistributionResult
{
    std::vector<uint32_t> levels;
    std::vector<uint64_t> volumes;
    double minimum = 0;
    double maximum = 0;
    double total = 0;
    double held = 0;
};

class CQuoteSidePanel
{
public:
    static constexpr int kSectorListId = 9001;
    // Rows the sector list holds at most.
    static constexpr int kMaxSectorRows = 16;

    // Runs the chip calculator; 1 on success.
    using ChipCalculator = std::function<int(const ChipComputation&, ChipDistributionResult&)>;
    // Fetches a stock's diagnosis verdict text (by default from the web
    // service), on the diagnosis fetcher's thread.
    using DiagnosisLoader = CDiagnosisFetcher::Loader;

    CQuoteSidePanel();
    CQuoteSidePanel(const CQuoteSidePanel&) = delete;
    CQuoteSidePanel& operator=(const CQuoteSidePanel&) = delete;

    void SetOwnerWindow(HWND owner)
    {
        m_owner = owner;
        m_diagnosis.SetNotifyWindow(owner);
    }
    HWND GetOwnerWindow() const { return m_owner; }
    CKeywordListCtrl& GetSectorList() { return m_sectorList; }
    // The CodeKey whose sectors the list holds; -1: refill on the next drawing.
    int32_t GetListedStock() const { return m_listedStock; }

    // The title in the 55 pixels above y; returns 50.
    int DrawStockTitle(HDC dc, CStock* stock, int x, int y, int width);
    // The title above y and the quote table from y down; returns the table's
    // height (274 for an index, 325 for a stock).
    int DrawQuoteTable(HDC dc, CStock* stock, int x, int y, int width);
    // Mode 0 shows the sector list in rect (creating it on first use), 1
    // hides it; every mode but 0 makes the list refill on its next showing.
    void PlaceSectorList(int mode, const RECT& rect);

    // The page of paint.page, whichever chart shows it; a page the panel does
    // not know draws nothing.
    void DrawPage(const SidePanelPaint& paint);

    // The page painters; rowsPerPage and listResult are the chart's own
    // integers (rows per page of its list paging, its side-panel list result).
    void DrawSectorPage(HDC dc, const RECT& rect, CStock* stock, int& rowsPerPage, int& listResult);
    void DrawTickPage(HDC dc, const RECT& rect, CStock* stock, int& rowsPerPage, int& listResult);
    void DrawPriceVolumePage(HDC dc, const RECT& rect, CStock* stock);
    void DrawFinancePage(HDC dc, const RECT& rect, CStock* stock, int& rowsPerPage, int& listResult);
    void DrawOrderSizePage(HDC dc, const RECT& rect, CStock* stock, int& rowsPerPage, int& listResult);
    void DrawDiagnosisPage(HDC dc, const RECT& rect, CStock* stock);
    // The day's volume at each price on the chart's price scale (pricePane,
    // highest and lowest price of the minute chart's last drawing).
    void DrawChipPage(
        HDC dc, const RECT& rect, CStock* stock, const RECT& pricePane, double highest, double lowest);
    void DrawBlankPage(HDC dc, const RECT& rect, CStock* stock, int& rowsPerPage, int& listResult);
    // The K-line chart's cost pages: cursorBar is the chart's cursor index or
    // -1 (the last bar); mainPane is the candle area the price scale maps onto.
    void DrawChipDistribution(HDC dc, CStock* stock, int period, int cursorBar, const RECT& rect,
        const RECT& mainPane, double highest, double lowest);
    void DrawMovingCostPage(HDC dc, CStock* stock, int period, int cursorBar, const RECT& rect,
        const RECT& mainPane, double highest, double lowest);
    void DrawCostCurve(HDC dc, CStock* stock, const RECT& mainPane, const RECT& rect, int period, bool byDays,
        int bar, int days, double factor, COLORREF colour, const RECT& legend, double highest, double lowest);

    // The newest rows ticks as rows in rect (the tick and order-size pages).
    void DrawTickRows(HDC dc, const CStockInfo& info, const CFenbiData& ticks, int rows, const RECT& rect);
    // The minute chart's full-window lists over its whole rectangle, from the
    // chart's list position (-1: the last page).
    void DrawTickListWindow(HDC dc, CStock* stock, const RECT& rect, int listPosition);
    void DrawMinuteListWindow(HDC dc, CStock* stock, const RECT& rect, int listPosition);
    // One 220-pixel column of a full-window list.
    void DrawTickColumns(
        HDC dc, const CStockInfo& info, const CFenbiData& ticks, int first, int rows, const RECT& column);
    void DrawMinuteColumns(
        HDC dc, const CStockInfo& info, const CMinute& minutes, int first, int rows, const RECT& column);
    void DrawBlankMode(HDC dc, const RECT& rect);

    // Seams for tests; an empty function restores the default.
    void SetChipCalculator(ChipCalculator calculator);
    void SetDiagnosisLoader(DiagnosisLoader loader);

private:
    // Steps of the frame every page begins with; false for an empty rect.
    bool BeginPage(HDC dc, const RECT& rect, bool hideSectorList);
    int BeginPageWithTable(HDC dc, const RECT& rect, CStock* stock);
    void HideSectorList();
    void FillSectorList(CStock* stock);
    std::string DiagnosisText(CStock* stock);
    int ComputeChips(const ChipComputation& computation, ChipDistributionResult& result) const;

    HWND m_owner;
    CKeywordListCtrl m_sectorList;
    // Where this panel last put the list while showing it (empty once it is
    // hidden): a page drawn again at the same place asks the window for
    // nothing (every mouse move repaints).
    RECT m_placedSectorList;
    int32_t m_listedStock;
    ChipCalculator m_chipCalculator;
    // The verdict of the stock shown, fetched once for it, so a page drawn
    // again (every mouse move repaints) does not fetch again.
    CDiagnosisFetcher m_diagnosis;
};
