#pragma once
// What the skinned list does with the mouse and the keyboard: selection,
// sorting by a header click, column resizing, header dragging, the rubber
// band, row dragging, type-ahead, scrolling, hover effects, tips and
// in-place editing, and the notifications that tell the parent. The list
// owns one and chains its message map to it; the input reaches the list's
// rows, columns and view state only through ISkinListHost, so its rules are
// tested against a stand-in list.
#include "skin/ListEditors.h"
#include "skin/ListHeaderGeometry.h"
#include "skin/ListTypeAhead.h"
#include "skin/ListViewState.h"
#include "skin/SkinListNotify.h"
#include "skin/SkinListTypes.h"
#include "skin/TitleTip.h"
#include "win/Controls.h"
#include "win/MessageMap.h"
#include <set>
#include <string>

// The timers of the list window.
enum : UINT_PTR {
    kListTimerNarrowColumn = 1001,
    kListTimerBeginEdit = 1002,
    kListTimerBandScroll = 1003,
    kListTimerAnimation = 1004,
};

// The id of the row tooltip's one tool.
enum : UINT_PTR { kRowToolId = 1000 };

struct SkinListInputOptions
{
    bool headerShown = true;
    bool singleSelection = false;
    bool cellSelection = false;
    bool rowDragging = false;
    bool visualStyles = true;
    bool animatedScrolling = true;
};

class ISkinListHost
{
public:
    virtual HWND ListWindow() const = 0;
    virtual SkinListInputOptions InputOptions() const = 0;

    // Rows and columns as the hit tests see them (header height 0 when hidden).
    virtual ListGeometry Geometry() const = 0;
    virtual int ColumnKey(int column) const = 0; // 0 for a bad column
    virtual bool IsColumnFixed(int column) const = 0;
    virtual int TotalWidth() const = 0;
    virtual int RowsPerPage(bool partial) const = 0;
    virtual bool IsCellVisible(int row, int column, bool partial) const = 0;
    virtual bool GetCellRect(int row, int column, RECT& rect) const = 0;
    virtual bool GetHeaderItemRect(int column, RECT& rect) const = 0;
    // Where a cell's text is painted (after its image), client coordinates.
    virtual bool GetCellTextRect(int row, int column, RECT& rect) const = 0;

    // Scroll positions in pixels (SB_HORZ, SB_VERT), on the list's own bars
    // or the external ones; setting one redraws its bar.
    virtual int ScrollPosition(int bar) const = 0;
    virtual void SetScrollPosition(int bar, int position) = 0;
    virtual void UpdateScrollBars() = 0;
    virtual bool HorizontalBarShown() const = 0;
    virtual int WheelLines() const = 0;

    // Cells by row and column key.
    virtual int EffectiveKind(int row, int key) const = 0;
    virtual int32_t EffectiveFormat(int row, int key) const = 0;
    virtual std::string ItemText(int row, int key) const = 0;
    virtual bool SetItemText(int row, int key, const std::string& text) = 0;
    // The text a title tip shows for a cell: dates formatted, none for
    // boxes and progress bars.
    virtual std::string TipText(int row, int key) const = 0;
    virtual std::string RowTooltip(int row) const = 0;
    // The column key the list was last sorted by, -1 when never.
    virtual int SortKey() const = 0;

    // The view state the list paints from, under the list lock.
    virtual ListStateAccess ViewState() = 0;

    virtual bool SortByColumn(int column, int mode, bool keep) = 0;
    virtual bool SetColumnWidth(int column, int width) = 0;
    virtual bool AutoSizeColumn(int column) = 0;
    virtual bool ClearSelection() = 0;
    virtual void InvalidateRow(int row) = 0;
    virtual void InvalidateHeader() = 0;
    // Animated scrolling between two top rows; false when none started.
    virtual bool BeginScrollAnimation(int oldTop, int newTop) = 0;
    virtual void EndScrollAnimation() = 0;
    // Moves a column to a drop position (the source taken out first).
    virtual void MoveHeaderColumn(int source, int dropPosition) = 0;
    virtual void ShowDropArrows(POINT screen) = 0;
    virtual void HideDropArrows() = 0;
    // Paints the dragged header's picture and runs the modal OLE drag.
    virtual void RunHeaderDrag(int column) = 0;
    virtual void RowDragOver(int row) = 0;
    virtual void RowDrop(int row) = 0;

    virtual CTitleTip* TitleTip() = 0; // null when none exists
    virtual CToolTipCtrl* RowToolTip() = 0;
    virtual HCURSOR ResizeCursor() const = 0;
    virtual HCURSOR HandCursor() const = 0;
    virtual CListEdit& EditBox() = 0;
    virtual CListDate& DatePicker() = 0;

protected:
    ~ISkinListHost() { }
};

class CSkinListInput
{
public:
    explicit CSkinListInput(ISkinListHost& host, CListTypeAhead::Clock clock = ::GetTickCount);

    // Operations the owners and companions call through the list.
    bool SelectItem(int row, int column, UINT keys);
    bool EnsureVisible(int row, int column);
    bool BeginEdit(int row, int column);
    // Sends a notification for (row, display column) to the list's parent.
    void NotifyParent(int row, int column, int code);
    void HideTitleTip();
    // Header drag over and drop, called by the list's drop target.
    bool HeaderDragOver(POINT client);
    bool HeaderDrop(CLIPFORMAT format);
    // Whether an editor is open (the list then paints as focused).
    bool IsEditing() { return m_host.ViewState()->editing; }
    // The rubber band in content coordinates, when one is active.
    bool GetBand(RECT& band);
    // The focus row when it is selected, else the lowest selected row, else
    // -1; the column is the focus column with cell selection, else -1.
    bool GetSelectedCell(int& row, int& column);

    BEGIN_MSG_MAP(CSkinListInput)
        MESSAGE_HANDLER(WM_SETFOCUS, OnFocusChange)
        MESSAGE_HANDLER(WM_KILLFOCUS, OnFocusChange)
        MESSAGE_HANDLER(WM_GETDLGCODE, OnGetDlgCode)
        MESSAGE_HANDLER(WM_CANCELMODE, OnCancelMode)
        MESSAGE_HANDLER(WM_CAPTURECHANGED, OnCaptureChanged)
        MESSAGE_HANDLER(WM_NOTIFY, OnNotify)
        MESSAGE_HANDLER(WM_CTLCOLOREDIT, OnDefault)
        MESSAGE_HANDLER(WM_CTLCOLORLISTBOX, OnDefault)
        MESSAGE_HANDLER(WM_HSCROLL, OnHScroll)
        MESSAGE_HANDLER(WM_VSCROLL, OnVScroll)
        MESSAGE_HANDLER(WM_MOUSEWHEEL, OnMouseWheel)
        MESSAGE_RANGE_HANDLER(WM_MOUSEFIRST, WM_MOUSELAST, OnRelayMouse)
        MOUSE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        MOUSE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
        MOUSE_HANDLER(WM_LBUTTONDBLCLK, OnLButtonDblClk)
        MOUSE_HANDLER(WM_RBUTTONDOWN, OnRButtonDown)
        MOUSE_HANDLER(WM_RBUTTONUP, OnRButtonUp)
        MOUSE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
        MESSAGE_HANDLER(WM_MOUSELEAVE, OnMouseLeave)
        KEY_HANDLER(WM_KEYDOWN, OnKeyDown)
        MESSAGE_HANDLER(WM_SYSKEYDOWN, OnSysKeyDown)
        TIMER_HANDLER(OnTimer)
        REFLECT_NOTIFICATIONS()
    END_MSG_MAP()

    // Steps of the handlers, public for the list's own use.
    void OnLButtonDown(UINT keys, CPoint point, BOOL& handled);
    void OnLButtonUp(UINT keys, CPoint point, BOOL& handled);
    void OnMouseMove(UINT keys, CPoint point, BOOL& handled);
    void OnKeyDown(UINT key, UINT repeat, UINT flags, BOOL& handled);
    void OnTimer(UINT_PTR id, BOOL& handled);
    // Ends an open edit by taking the focus back (the editor then reports).
    void EndOpenEdit();

private:
    LRESULT OnFocusChange(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnGetDlgCode(UINT, WPARAM, LPARAM, BOOL&) { return DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS; }
    LRESULT OnCancelMode(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnCaptureChanged(UINT, WPARAM, LPARAM lp, BOOL& handled);
    LRESULT OnNotify(UINT, WPARAM, LPARAM lp, BOOL& handled);
    LRESULT OnDefault(UINT msg, WPARAM wp, LPARAM lp, BOOL&);
    LRESULT OnHScroll(UINT, WPARAM wp, LPARAM, BOOL&);
    LRESULT OnVScroll(UINT, WPARAM wp, LPARAM, BOOL&);
    LRESULT OnMouseWheel(UINT, WPARAM wp, LPARAM, BOOL&);
    LRESULT OnRelayMouse(UINT msg, WPARAM wp, LPARAM lp, BOOL& handled);
    void OnLButtonDblClk(UINT keys, CPoint point, BOOL& handled);
    void OnRButtonDown(UINT keys, CPoint point, BOOL& handled);
    void OnRButtonUp(UINT keys, CPoint point, BOOL& handled);
    LRESULT OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSysKeyDown(UINT, WPARAM, LPARAM, BOOL& handled);

    HWND Window() const { return m_host.ListWindow(); }
    // Selects the focus cell as the keys say.
    void SelectFocusCell(UINT keys);
    HeaderHit HitTestHeader(CPoint point) const;
    ListCellHit HitTestCell(CPoint point) const;
    // Reports the pointer's cell: its row and column key, or column 0 and
    // the row the height gives.
    void NotifyPointer(CPoint point, int code);
    bool ToggleBox(int row, int key);
    void StartResize(int column, CPoint point);
    void ContinueResize();
    void StartBand();
    // The band and its scrolling timer end; the list is repainted.
    void EndBand();
    void UpdateBand(CPoint pointer);
    void SelectBandRows();
    void ScrollBandTowards(CPoint pointer);
    void Hover(CPoint point);
    void ShowTitleTip(int row, int column, CPoint point);
    void UpdateRowTooltip(int row, int column);
    void ClearRowTooltip();
    void EndEdit(const SkinListNotify& notify);
    void InvalidateAll();

    ISkinListHost& m_host;
    CListTypeAhead m_typeAhead;
    bool m_buttonDown = false;
    CPoint m_pressClient;
    CPoint m_pressContent;
    bool m_trackingLeave = false;
    // Column resizing.
    int m_widthAtPress = 0;
    int m_xAtPress = 0;
    int m_xAtTimerStart = 0;
    bool m_narrowTimer = false;
    // The rubber band may start (the press was off the rows or past their
    // first column); the band itself is in the view state.
    bool m_bandFlag = false;
    DWORD m_lastBandScroll = 0;
    bool m_animating = false;
    int m_tooltipRow = -1;
};
