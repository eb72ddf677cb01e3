#pragma once
// The skinned report list: a header row and rows of cells, each cell with
// its own kind (text, date, check box, three-state box, link, progress bar,
// row number), format bits, colours, font and image; painted through one
// memory bitmap per paint.
//
// Where the class lives:
//   SkinListImpl.h        the class: records, options, colours, all state
//   SkinListImpl.cpp      construction, resources, columns, rows and cells,
//                         sorting, scroll bars, geometry, EnsureVisible
//   SkinListPaint.cpp     background, rows, cells, rubber band, header, the
//                         dragged-header picture, animated scrolling
//   SkinListCompanions.cpp  the companion windows' life (tooltip, drop arrows,
//                         and the hooks for title tip, editors, drag and drop)
//   input, keyboard, resizing, rubber band, editing, drag and drop: their own
//   files; their handlers go into the marked block of the message map.
//
// Threads: owners may fill the list from a worker thread (the quote list
// refills it every few seconds). Every operation that reads or changes rows,
// columns or the selection takes the list lock (re-entrant), and painting
// holds it for the whole paint. Off the window's thread the list only
// invalidates; scroll-bar updates are posted to the window. An owner that
// wants several changes to appear at once holds GetListLock() around them.
#include "base/Thread.h"
#include "skin/DropArrows.h"
#include "skin/ListDragDrop.h"
#include "skin/SkinListInput.h"
#include "skin/SkinListTypes.h"
#include "win/Com.h"
#include "win/Dib32.h"
#include "win/DoubleBuffer.h"
#include "win/Gdi.h"
#include "win/UiTaskQueue.h"
#include "win/WindowImpl.h"
#include <atomic>
#include <commctrl.h>
#include <set>
#include <string>
#include <vector>

// What owners set directly, before or after creation.
struct SkinListOptions
{
    bool showHeader = true; // off: rows start at the top and sorting is off
    bool visualStyles = true; // themed header, progress bars and selection when themes are active
    bool sorting = true; // a header click sorts
    bool singleSelection = false;
    bool cellSelection = false; // the focus column is kept and painted
    bool horizontalScrolling = true;
    bool verticalScrolling = true;
    bool rowDragging = false;
    bool animatedScrolling = true;
    bool roundedSelection = true;
    bool underlineSelection = false;
    bool headerDividers = false; // plain header: dividers and a raised border
    bool tallRows = true; // row and header height = text height + 6
    bool focusCellHighlight = true;
    int32_t fixedLeadingColumns = 0; // columns whose key is below cannot be sorted
    bool recycling = false; // emptying keeps the stored rows for reuse
    HWND externalVScroll = nullptr; // scroll-bar controls carrying the positions
    HWND externalHScroll = nullptr;
    void (*sortCallback)(UINT_PTR value) = nullptr; // after each sort
    UINT_PTR sortCallbackValue = 0;
    bool tileBackground = true; // off: the background image is centred
    std::string imageStripPath; // "ListItems.bmp" of the skin directory
};

// InitHeader sets all of these to their defaults again.
struct SkinListColors
{
    COLORREF background = 0;
    COLORREF headerBackground = 0;
    COLORREF headerHighlight = 0;
    COLORREF headerShadow = 0;
    COLORREF headerText = 0;
    COLORREF pressedHeader = 0;
    COLORREF selection = 0;
    COLORREF text = 0;
    COLORREF focusedFrameOuter = 0;
    COLORREF focusedFrameInner = 0;
    COLORREF focusedFillTop = 0;
    COLORREF focusedFillBottom = 0;
    COLORREF unfocusedFillTop = 0;
    COLORREF unfocusedFillBottom = 0;
    COLORREF unfocusedFrameOuter = 0;
    COLORREF unfocusedFrameInner = 0;
    COLORREF progressTop = 0;
    COLORREF progressBottom = 0;
    COLORREF focusCell = 0;
    COLORREF link = 0;

    void SetDefaults();
};

class CSkinListImpl : public CWindowImpl<CSkinListImpl>, public CDoubleBufferImpl<CSkinListImpl>, public ISkinListHost
{
public:
    DECLARE_WND_CLASS_EX("ZtSkinList", CS_DBLCLKS, COLOR_WINDOW + 1)

    // Images of the image strip.
    enum : int { kImageSortDescending = 0, kImageSortAscending, kImageUnchecked, kImageChecked,
        kImageTriPositive, kImageTriNegative };
    enum : int { kStripImageSize = 16 };

    CSkinListImpl();
    ~CSkinListImpl() override;

    SkinListOptions m_options;
    SkinListColors m_colors;

    // Creation and resources -------------------------------------------------
    // From WM_CREATE, or by an owner after subclassing a dialog item.
    bool InitResources();
    // Colours, fonts, row height, themes and the title tip; again on every
    // system colour, setting, font or theme change.
    bool InitHeader();
    // The list owns the font from now on (the previous one is deleted).
    void SetListFont(HFONT font);
    HFONT GetListFont() const { return m_font; }
    HFONT GetUnderlineFont() const { return m_underlineFont; }
    // The list owns the bitmap from now on.
    void SetBackgroundImage(HBITMAP image);
    // Stays the owner's.
    void SetCellImageList(HIMAGELIST images) { m_cellImages = images; }
    HIMAGELIST GetCellImageList() const { return m_cellImages; }
    HIMAGELIST GetImageStrip() const { return m_imageStrip; }
    CLIPFORMAT GetHeaderClipboardFormat() const { return m_headerFormat; }
    CriticalSection& GetListLock() const { return m_lock; }

    // Columns -------------------------------------------------------------
    int AddColumn(const std::string& title, int width, int image = -1, bool fixed = false, int defaultKind = 0,
        int defaultFormat = 0);
    int GetColumnCount() const;
    bool GetColumn(int column, SkinListColumn& out) const;
    int GetColumnWidth(int column) const;
    bool SetColumnWidth(int column, int width);
    bool AutoSizeColumn(int column);
    // Key of the display column (0 for a bad one), and back (-1 for none).
    int GetColumnSortKey(int column) const;
    int FindColumnByKey(int key) const;
    // Moves a column to another display position (the header drop); keys and
    // cells stay as they are.
    bool MoveColumn(int from, int to);
    int GetTotalWidth() const;

    // Rows and cells --------------------------------------------------------
    int InsertItem(const std::string& text, bool update = true, int image = -1, int kind = 0, int format = 0);
    // Recycling mode: reuses the stored row at position when there is one.
    int InsertItem(int position, const std::string& text, bool update, int image, int kind, int format);
    bool DeleteItem(int row);
    bool DeleteAllItems();
    int GetItemCount() const;
    int GetStoredRowCount() const;
    bool GetItem(int row, SkinListRow& out) const;
    bool GetCell(int row, int key, SkinListCell& out) const;
    std::string GetItemText(int row, int key) const;
    bool SetItemText(int row, int key, const std::string& text);
    bool SetItemFormat(int row, int key, int kind, int format);
    bool SetItemColors(int row, int key, COLORREF background, COLORREF textColor);
    bool SetItemImage(int row, int key, int image);
    bool SetItemFont(int row, int key, HFONT font);
    bool SetItemData(int row, uint32_t data);
    bool GetItemData(int row, uint32_t& data) const;
    bool SetItemToolTip(int row, const std::string& text);
    std::string GetItemToolTip(int row) const;
    int GetItemKind(int row, int key) const; // the effective kind
    int GetItemFormat(int row, int key) const; // the effective format
    int GetItemImage(int row, int key) const;
    HFONT GetItemFont(int row, int key) const;
    bool GetItemColors(int row, int key, COLORREF& background, COLORREF& textColor) const;
    // On the data object of the drag-and-drop companion.
    bool SetEmptyData(CLIPFORMAT format);

    // Selection -----------------------------------------------------------
    bool IsRowSelected(int row) const;
    std::set<int> GetSelection() const;
    int GetSelectedCount() const;
    bool ClearSelection();
    int GetSelectedItem() const;
    bool GetSelectedCell(int& row, int& column) const;
    void SetFocusCell(int row, int column);
    int GetFocusRow() const { return m_state.focusRow; }
    int GetFocusColumn() const { return m_state.focusColumn; }
    int GetAnchorRow() const { return m_state.anchorRow; }

    // View ------------------------------------------------------------------
    bool SortByColumn(int column, int mode, bool keep);
    int GetSortKey() const { return m_sortKey; }
    bool IsSortAscending() const { return m_sortAscending; }
    bool EnsureVisible(int row, int column);
    int GetHeaderHeight() const { return m_options.showHeader ? m_headerHeight : 0; }
    int GetRowHeight() const { return m_rowHeight; }
    int GetTopRow() const;
    int RowsPerPage(bool partial) const;
    bool IsCellVisible(int row, int column, bool partial) const;
    bool GetCellRect(int row, int column, CRect& rect) const;
    bool GetHeaderItemRect(int column, CRect& rect) const;
    // The text rectangle of a cell (after its image) as painting uses it.
    CRect GetCellTextRect(int row, int column, const CRect& cell) const;
    void InvalidateCell(int row, int column);
    int GetContentHeight() const;
    // Scroll positions in pixels: of the external bar when set, else the list's own.
    int GetScrollPosition(int bar) const;
    void SetScrollPosition(int bar, int position);
    // Both bars; off the window's thread the update is posted.
    void UpdateScrollBars();
    void UpdateVerticalScrollBar(int position = -1);
    void UpdateHorizontalScrollBar(int position = -1);
    // True when a bar already holds the range 0..maximum, the page and (when
    // not negative) the position that would be set.
    static bool IsScrollInfoCurrent(const SCROLLINFO& current, int maximum, UINT page, int position);
    bool IsVerticalBarShown() const { return m_vertBarShown; }
    bool IsHorizontalBarShown() const { return m_horzBarShown; }
    int GetWheelStep() const { return m_wheelStep; }

    // Painting ----------------------------------------------------------------
    void DoPaint(HDC dc);
    // The picture of a header item for dragging it (the caller owns it).
    HBITMAP CreateHeaderDragImage(int column, CSize& size);
    // Slides the rows from one top row to another (timer 1004).
    void StartScrollAnimation(int oldTop, int newTop);
    void StopScrollAnimation();
    bool IsScrollAnimating() const { return !m_animation.bitmap.IsNull(); }
    // The animation's arithmetic: frames for a number of rows, the pixels of
    // a large step, and the distance left after a frame.
    static int AnimationStepCount(int rows);
    static int AnimationStep(int distance, int count);
    static int NextAnimationDistance(int remaining, int step, int count);
    // The drop arrows at a client point of the header (hidden by Hide).
    CDropArrows& GetDropArrows() { return m_dropArrows; }

    // Input, editing and tips (SkinListInput.cpp, SkinListHost.cpp) -----------------
    bool SelectItem(int row, int column, UINT keys) { return m_input.SelectItem(row, column, keys); }
    bool BeginEdit(int row, int column) { return m_input.BeginEdit(row, column); }
    bool IsEditing() const
    {
        SingleLock lock(&m_lock);
        return m_state.editing;
    }
    CSkinListInput& GetInput() { return m_input; }
    HWND ListWindow() const override;
    SkinListInputOptions InputOptions() const override;
    ListGeometry Geometry() const override;
    int ColumnKey(int column) const override;
    bool IsColumnFixed(int column) const override;
    int TotalWidth() const override;
    bool GetCellRect(int row, int column, RECT& rect) const override;
    bool GetHeaderItemRect(int column, RECT& rect) const override;
    bool GetCellTextRect(int row, int column, RECT& rect) const override;
    int ScrollPosition(int bar) const override;
    bool HorizontalBarShown() const override;
    int WheelLines() const override;
    std::string ItemText(int row, int key) const override;
    std::string TipText(int row, int key) const override;
    std::string RowTooltip(int row) const override;
    int SortKey() const override;
    ListStateAccess ViewState() override { return ListStateAccess(m_lock, m_state); }
    void InvalidateRow(int row) override;
    void InvalidateHeader() override;
    bool BeginScrollAnimation(int oldTop, int newTop) override;
    void EndScrollAnimation() override;
    void MoveHeaderColumn(int source, int dropPosition) override;
    void ShowDropArrows(POINT screen) override;
    void HideDropArrows() override;
    void RunHeaderDrag(int column) override;
    void RowDragOver(int row) override;
    void RowDrop(int row) override;
    CTitleTip* TitleTip() override;
    CToolTipCtrl* RowToolTip() override;
    HCURSOR ResizeCursor() const override;
    HCURSOR HandCursor() const override;
    CListEdit& EditBox() override { return m_editBox; }
    CListDate& DatePicker() override { return m_datePicker; }

    // Row dragging: the owner's answers (nothing by default).
    virtual int OnRowDragOver(int row);
    virtual int OnRowDrop(int row);

    // Header dragging through OLE (SkinListCompanions.cpp) ------------------------
    // The registration of the list window as a drop target, its drop source
    // and its data object; nothing is registered when OLE is not initialised
    // on the thread, and the list then works without header dragging.
    const CDragDrop& GetDragDrop() const { return m_dragDrop; }
    // The data object's render: the payload naming this list, for the header format.
    bool RenderData(const FORMATETC& format, STGMEDIUM& medium, bool dropping);
    // The drop target's decisions: a move only for a header dragged within
    // this very list, over a place in the header where it would land.
    DWORD QueryDrop(const FORMATETC& format, STGMEDIUM& medium, DWORD keys, POINT client);
    bool Drop(const FORMATETC& format, STGMEDIUM& medium, DWORD keys, POINT client);
    void LeaveDrop();

    BEGIN_MSG_MAP(CSkinListImpl)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_SYSCOLORCHANGE, OnSettingsChange)
        MESSAGE_HANDLER(WM_SETTINGCHANGE, OnSettingsChange)
        MESSAGE_HANDLER(WM_FONTCHANGE, OnSettingsChange)
        MESSAGE_HANDLER(WM_THEMECHANGED, OnSettingsChange)
        CHAIN_MSG_MAP_MEMBER(m_tasks)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        TIMER_HANDLER(OnAnimationTimer)
        // Input, keyboard, scrolling, editing, drag and drop -------------------
        CHAIN_MSG_MAP_MEMBER(m_input)
        // -----------------------------------------------------------------------
        CHAIN_MSG_MAP(CDoubleBufferImpl<CSkinListImpl>)
    END_MSG_MAP()

protected:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSettingsChange(UINT, WPARAM, LPARAM, BOOL&);
    // The bars follow the new client area; an animation and an edit end.
    LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL&);
    void OnAnimationTimer(UINT_PTR id, BOOL& handled);

    // Companions (SkinListCompanions.cpp) ---------------------------------------
    bool CreateRowTooltip();
    bool RecreateDropArrows();
    bool RecreateTitleTip();
    bool AttachDragDrop();
    void HideTitleTip();
    void DestroyCompanions();

    // Helpers for the parts of the class -----------------------------------------
    bool IsOnWindowThread() const;
    // The row count, with the list lock held.
    int ItemCountLocked() const
    {
        const int stored = static_cast<int>(m_rows.size());
        return m_options.recycling && m_visibleCount < stored ? m_visibleCount : stored;
    }
    bool IsValidRow(int row) const { return row >= 0 && row < ItemCountLocked(); }
    bool IsValidColumn(int column) const { return column >= 0 && column < static_cast<int>(m_columns.size()); }
    // The cell by row and key, null for a bad one (under the lock).
    SkinListCell* CellAt(int row, int key);
    const SkinListCell* CellAt(int row, int key) const;
    int EffectiveKind(int row, int key) const;
    int EffectiveFormat(int row, int key) const;
    SkinListCell MakeTemplateCell(int image, int kind, int format) const;
    bool AppendRow(const std::string& text, int image, int kind, int format);
    bool IsThemed() const { return m_options.visualStyles && !m_headerTheme.IsNull(); }
    bool HasListFocus() const;
    void SortVisibleRows();
    void SetScrollBarInfo(int bar, int maximum, int page, int position);
    void Repaint();

    // Painting (SkinListPaint.cpp)
    struct PaintState
    {
        bool focused = false;
        bool themed = false;
        int focusRow = -1; // the focus cell
        int focusColumn = -1;
        HFONT font = nullptr; // selected by the rows so far
    };
    PaintState m_paintState;
    void PreparePaintState();
    void PaintBackground(HDC dc, const CRect& clip, const CRect& client);
    void PaintRows(HDC dc, const CRect& clip, int firstRow, int top, int lastRow);
    void PaintRow(HDC dc, const CRect& clip, const CRect& rowRect, int row);
    void PaintCell(HDC dc, const CRect& clip, const CRect& rowRect, int row, int column, const CRect& cell,
        bool& endOfRow);
    void SelectCellFont(HDC dc, HFONT font);
    void PaintRubberBand(HDC dc, const CRect& client);
    void PaintHeader(HDC dc, const CRect& clip, const CRect& client);
    // The header through its cache: redrawn only when what it shows changed.
    void PaintCachedHeader(HDC dc, const CRect& clip, const CRect& client);
    void PaintHeaderItem(HDC dc, int column, const CRect& item, int state, bool dragImage);
    void DrawStripImage(HDC dc, int image, const CRect& area, bool centred, int right) const;
    void DrawRoundedFrame(HDC dc, const CRect& r, COLORREF outer, COLORREF inner, bool on) const;
    static void DrawVerticalGradient(HDC dc, const CRect& r, COLORREF top, COLORREF bottom);

    // The model ---------------------------------------------------------------------
    mutable CriticalSection m_lock;
    std::vector<SkinListColumn> m_columns; // display order
    std::vector<SkinListRow> m_rows; // stored rows
    int m_visibleCount = 0; // recycling mode: the rows in use
    // Selection, focus, hover, header gestures, editor and band: the input
    // changes them, painting reads them.
    ListViewState m_state;
    int m_sortKey = -1;
    bool m_sortAscending = true;

    // Resources and metrics ----------------------------------------------------------
    CFont m_font;
    CFont m_underlineFont;
    int m_rowHeight = 0;
    int m_headerHeight = 0;
    int m_wheelStep = 3;
    CImageList m_imageStrip;
    HIMAGELIST m_cellImages = nullptr;
    HCURSOR m_resizeCursor = nullptr; // shared module cursors
    HCURSOR m_handCursor = nullptr;
    CLIPFORMAT m_headerFormat = 0;
    CTheme m_headerTheme;
    CTheme m_progressTheme;
    CBitmap m_backgroundImage;
    bool m_vertBarShown = false;
    bool m_horzBarShown = false;
    // Updates made off the list's thread leave the scroll bars to it.
    enum : int { kTaskUpdateScrollBars };
    CUiTaskQueue m_tasks;

    // Input and its companions -------------------------------------------------------
    CSkinListInput m_input { *this };
    CTitleTip m_titleTip;
    CListEdit m_editBox;
    CListDate m_datePicker;
    CToolTipCtrl m_rowTips; // a view of m_tooltip for the input

    // Companions ---------------------------------------------------------------------
    CWindow m_tooltip; // row tooltips
    CDropArrows m_dropArrows;
    CDragDrop m_dragDrop;
    // The list-bound COM objects, unbound when the window goes.
    CComPtr<CDropTargetT<CSkinListImpl>> m_dropTarget;
    CComPtr<CDataObjectT<CSkinListImpl>> m_dragData;

    // Animated scrolling ----------------------------------------------------------------
    struct ScrollAnimation
    {
        CBitmap bitmap;
        int remaining = 0;
        int step = 0;
        int count = 0;
        bool down = false;
        int height = 0;
    };
    ScrollAnimation m_animation;
    void PaintAnimationFrame();

    // The header picture of the last paint -------------------------------------------
    // A themed header costs nearly as much as all the rows' texts, and it
    // changes far less often than they do. The look holds everything the picture shows
    // apart from what lies below it, which is kept as pixels; the picture is
    // drawn again when either differs. Handles that new objects can reuse
    // (theme, font) drop the picture when they are replaced.
    struct HeaderLook
    {
        std::vector<SkinListColumn> columns;
        CRect area; // the part of the header painted
        int scroll = 0;
        int sortKey = -1;
        bool ascending = true;
        int hot = -1;
        int pressed = -1;
        bool sorting = true;
        bool dividers = false;
        bool themed = false;
        COLORREF colors[5] = {};
        int bitsPerPixel = 0;
        bool operator==(const HeaderLook& other) const;
    };
    HeaderLook MakeHeaderLook(HDC dc, const CRect& area) const;
    HeaderLook m_headerLook;
    CBitmap m_headerPicture;
    CDib32 m_headerBelow; // what lies below the header in this paint
    std::vector<uint32_t> m_headerBelowPixels; // and when the picture was drawn
    void DropHeaderPicture()
    {
        m_headerPicture.Reset();
        m_headerBelow.Destroy();
        m_headerBelowPixels.clear();
    }
};

// The class owners instantiate (rows are freed with it).
class CSkinListCtrlData : public CSkinListImpl
{
public:
    CSkinListCtrlData() = default;
};
