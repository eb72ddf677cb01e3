#pragma once
// What a minute chart asks of the quote side panel beside it: the page
// painters and the full-window lists. The chart holds the panel through this
// interface; the panel itself is another part of the views.
#include <windows.h>

class CStock;

// The two values the tick, finance and order-size pages write back: the rows
// that fit (at least 1) and the start they keep for themselves; -1 until such
// a page has drawn.
struct SidePanelListState
{
    int rowsPerPage = -1;
    int listStart = -1;
};

class IMinuteSidePanel
{
public:
    virtual ~IMinuteSidePanel() { }
    virtual void SetOwnerWindow(HWND owner) = 0;
    // One page into the side-panel rectangle. The chip page also gets the
    // price pane and the price scale of the chart's last drawing.
    virtual void DrawPage(HDC dc, int page, const RECT& side, CStock* stock, SidePanelListState& state,
        const RECT& pricePane, double highPrice, double lowPrice)
        = 0;
    // The full-window lists over the chart rectangle, from a list position
    // (-1: the last page).
    virtual void DrawFullTickList(HDC dc, const RECT& rect, CStock* stock, int position) = 0;
    virtual void DrawFullMinuteList(HDC dc, const RECT& rect, CStock* stock, int position) = 0;
    // Hides the page's list window and forgets its list state (blank mode).
    virtual void ResetList() = 0;
};
