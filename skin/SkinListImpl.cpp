#include "skin/SkinListImpl.h"
#include "base/DataPaths.h"
#include "skin/ColorUtil.h"
#include "skin/DropSource.h"
#include "win/AppModule.h"
#include "res/resource.h"
#include <algorithm>
#include <new>
#include <uxtheme.h>

namespace {

const char kHeaderClipboardFormat[] = "HEADERCLIPBOARDFORMAT";
const char kImageStripName[] = "ListItems.bmp";
constexpr COLORREF kStripMask = RGB(0xFF, 0x00, 0xFF);
constexpr int kAutoSizeMargin = 20;

}

void SkinListColors::SetDefaults()
{
    background = ::GetSysColor(COLOR_WINDOW);
    headerBackground = ::GetSysColor(COLOR_BTNFACE);
    headerHighlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    headerShadow = ::GetSysColor(COLOR_BTNSHADOW);
    headerText = ::GetSysColor(COLOR_WINDOWTEXT);
    pressedHeader = 0xB48C82;
    selection = ::GetSysColor(COLOR_HIGHLIGHT);
    text = ::GetSysColor(COLOR_WINDOWTEXT);
    focusedFrameOuter = 0xF5C8AA;
    focusedFrameInner = 0xFAFAE6;
    focusedFillTop = 0xFAF0D2;
    focusedFillBottom = 0xFAD7B9;
    unfocusedFillTop = 0xFAFAFA;
    unfocusedFillBottom = 0xEBEBEB;
    unfocusedFrameOuter = 0xDCDCDC;
    unfocusedFrameInner = 0xF5F5F5;
    progressTop = 0xAAF0AA;
    progressBottom = 0x32D22D;
    focusCell = 0xD2BEB4;
    link = 0xC80000;
}

CSkinListImpl::CSkinListImpl()
{
    m_colors.SetDefaults();
}

CSkinListImpl::~CSkinListImpl()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        DestroyWindow();
}

int CSkinListImpl::OnRowDragOver(int)
{
    return 0;
}

int CSkinListImpl::OnRowDrop(int)
{
    return 0;
}

// Creation and resources ---------------------------------------------------------

LRESULT CSkinListImpl::OnCreate(UINT, WPARAM, LPARAM, BOOL&)
{
    return InitResources() ? 0 : -1;
}

LRESULT CSkinListImpl::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
{
    StopScrollAnimation();
    DestroyCompanions();
    DropHeaderPicture();
    handled = FALSE;
    return 0;
}

LRESULT CSkinListImpl::OnSettingsChange(UINT, WPARAM, LPARAM, BOOL& handled)
{
    InitHeader();
    UpdateScrollBars();
    Repaint();
    handled = FALSE;
    return 0;
}

bool CSkinListImpl::InitResources()
{
    m_tasks.Attach(m_hWnd);
    if (m_options.imageStripPath.empty())
        m_options.imageStripPath = DataPaths::Instance()->GetSkinFile(kImageStripName);
    m_imageStrip.Attach(::ImageList_LoadImageA(nullptr, m_options.imageStripPath.c_str(), kStripImageSize, 0,
        kStripMask, IMAGE_BITMAP, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (m_imageStrip.IsNull())
        return false;
    m_resizeCursor = CAppModule::Get().LoadCursor(IDC_COLUMN_RESIZE);
    m_handCursor = CAppModule::Get().LoadCursor(IDC_LINK_HAND);
    if (!m_resizeCursor || !m_handCursor)
        return false;
    if (!InitHeader())
        return false;
    if (m_options.externalHScroll && m_hWnd) {
        ModifyStyle(WS_BORDER, WS_CLIPCHILDREN);
        ModifyStyleEx(WS_EX_CLIENTEDGE, WS_EX_STATICEDGE, SWP_FRAMECHANGED);
    }
    // Without drag and drop the list keeps working; only header dragging is lost.
    AttachDragDrop();
    return CreateRowTooltip();
}

bool CSkinListImpl::InitHeader()
{
    DropHeaderPicture();
    m_colors.SetDefaults();
    m_headerFormat = static_cast<CLIPFORMAT>(::RegisterClipboardFormatA(kHeaderClipboardFormat));
    UINT lines = 3;
    if (::SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0))
        m_wheelStep = static_cast<int>(lines);
    if (m_font.IsNull()) {
        LOGFONTA lf;
        if (!GetMessageFont(lf) || !m_font.CreateIndirect(lf))
            return false;
    }
    if (m_underlineFont.IsNull()) {
        LOGFONTA lf = {};
        if (!::GetObjectA(m_font, sizeof(lf), &lf))
            return false;
        lf.lfUnderline = TRUE;
        if (!m_underlineFont.CreateIndirect(lf))
            return false;
    }
    SIZE extent = {};
    {
        CClientDC dc(m_hWnd);
        CSelectObject font(dc, m_font);
        if (!::GetTextExtentPoint32A(dc, "Height", 6, &extent))
            return false;
    }
    const int height = m_options.tallRows ? extent.cy + 6 : extent.cy;
    if (height != m_rowHeight || (m_hWnd && !m_dropArrows.m_hWnd)) {
        m_rowHeight = height;
        m_headerHeight = height;
        if (m_hWnd && !RecreateDropArrows())
            return false;
    }
    m_headerTheme.Reset();
    m_progressTheme.Reset();
    if (CAppModule::Get().IsThemingSupported()) {
        m_headerTheme.Attach(::OpenThemeData(m_hWnd, L"HEADER"));
        m_progressTheme.Attach(::OpenThemeData(m_hWnd, L"PROGRESS"));
    }
    return RecreateTitleTip();
}

void CSkinListImpl::SetListFont(HFONT font)
{
    if (!font || font == m_font.Get())
        return;
    DropHeaderPicture();
    m_font.Attach(font);
    LOGFONTA lf = {};
    if (::GetObjectA(font, sizeof(lf), &lf)) {
        lf.lfUnderline = TRUE;
        m_underlineFont.CreateIndirect(lf);
    }
}

void CSkinListImpl::SetBackgroundImage(HBITMAP image)
{
    if (image != m_backgroundImage.Get())
        m_backgroundImage.Attach(image);
    Repaint();
}

// Threads and repainting ------------------------------------------------------------

bool CSkinListImpl::IsOnWindowThread() const
{
    return !m_hWnd || ::GetWindowThreadProcessId(m_hWnd, nullptr) == ::GetCurrentThreadId();
}

void CSkinListImpl::Repaint()
{
    // InvalidateRect may be called from any thread; a null window would mean the desktop.
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

bool CSkinListImpl::HasListFocus() const
{
    return m_state.editing || (m_hWnd && ::GetFocus() == m_hWnd);
}

// Columns -----------------------------------------------------------------------------

int CSkinListImpl::AddColumn(
    const std::string& title, int width, int image, bool fixed, int defaultKind, int defaultFormat)
{
    int key;
    {
        SingleLock lock(&m_lock);
        SkinListColumn column;
        column.title = title;
        column.width = width;
        column.fixed = fixed ? 1 : 0;
        column.defaultKind = defaultKind;
        column.image = image;
        if (title.empty() && image != -1) {
            defaultFormat |= kListAlignCenter;
            int cx = kStripImageSize;
            int cy = kStripImageSize;
            if (m_imageStrip)
                ::ImageList_GetIconSize(m_imageStrip, &cx, &cy);
            column.width = cx + 5;
        }
        column.defaultFormat = NormalizeFormat(defaultFormat);
        column.key = static_cast<int32_t>(m_columns.size());
        key = column.key;
        m_columns.push_back(column);
    }
    UpdateScrollBars();
    return key;
}

int CSkinListImpl::GetColumnCount() const
{
    SingleLock lock(&m_lock);
    return static_cast<int>(m_columns.size());
}

bool CSkinListImpl::GetColumn(int column, SkinListColumn& out) const
{
    SingleLock lock(&m_lock);
    if (!IsValidColumn(column))
        return false;
    out = m_columns[static_cast<size_t>(column)];
    return true;
}

int CSkinListImpl::GetColumnWidth(int column) const
{
    SingleLock lock(&m_lock);
    return IsValidColumn(column) ? m_columns[static_cast<size_t>(column)].width : 0;
}

bool CSkinListImpl::SetColumnWidth(int column, int width)
{
    {
        SingleLock lock(&m_lock);
        if (!IsValidColumn(column))
            return false;
        SkinListColumn& c = m_columns[static_cast<size_t>(column)];
        if (c.fixed)
            return true;
        c.width = width;
    }
    UpdateScrollBars();
    return true;
}

bool CSkinListImpl::AutoSizeColumn(int column)
{
    int widest = 0;
    {
        SingleLock lock(&m_lock);
        if (!IsValidColumn(column) || m_columns[static_cast<size_t>(column)].fixed)
            return false;
        const SkinListColumn& c = m_columns[static_cast<size_t>(column)];
        CClientDC dc(m_hWnd);
        CSelectObject font(dc, m_font.IsNull() ? static_cast<HGDIOBJ>(::GetStockObject(DEFAULT_GUI_FONT)) : m_font);
        SIZE extent = {};
        if (!::GetTextExtentPoint32A(dc, c.title.c_str(), static_cast<int>(c.title.size()), &extent))
            return false;
        widest = extent.cx + kAutoSizeMargin;
        int imageWidth = 0;
        int imageHeight = 0;
        if (m_cellImages)
            ::ImageList_GetIconSize(m_cellImages, &imageWidth, &imageHeight);
        const int count = GetItemCount();
        for (int row = 0; row < count; ++row) {
            const SkinListCell* cell = CellAt(row, c.key);
            if (!cell)
                continue;
            if (!::GetTextExtentPoint32A(dc, cell->text.c_str(), static_cast<int>(cell->text.size()), &extent))
                return false;
            int width = extent.cx + kAutoSizeMargin;
            if (m_cellImages && cell->image != -1)
                width += imageWidth;
            widest = std::max(widest, width);
        }
    }
    return SetColumnWidth(column, widest);
}

int CSkinListImpl::GetColumnSortKey(int column) const
{
    SingleLock lock(&m_lock);
    return IsValidColumn(column) ? m_columns[static_cast<size_t>(column)].key : 0;
}

int CSkinListImpl::FindColumnByKey(int key) const
{
    SingleLock lock(&m_lock);
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].key == key)
            return static_cast<int>(i);
    }
    return -1;
}

bool CSkinListImpl::MoveColumn(int from, int to)
{
    {
        SingleLock lock(&m_lock);
        if (!IsValidColumn(from) || !IsValidColumn(to))
            return false;
        SkinListColumn moved = m_columns[static_cast<size_t>(from)];
        m_columns.erase(m_columns.begin() + from);
        m_columns.insert(m_columns.begin() + to, moved);
    }
    UpdateScrollBars();
    return true;
}

int CSkinListImpl::GetTotalWidth() const
{
    SingleLock lock(&m_lock);
    int total = 0;
    for (const SkinListColumn& c : m_columns)
        total += c.width;
    return total;
}

// Rows and cells ------------------------------------------------------------------------

SkinListCell CSkinListImpl::MakeTemplateCell(int image, int kind, int format) const
{
    SkinListCell cell;
    cell.image = image;
    cell.kind = kind;
    cell.format = NormalizeFormat(format);
    cell.font = nullptr;
    cell.background = m_colors.background;
    cell.textColor = m_colors.text;
    return cell;
}

bool CSkinListImpl::AppendRow(const std::string& text, int image, int kind, int format)
{
    SingleLock lock(&m_lock);
    if (m_columns.empty())
        return false;
    try {
        SkinListRow row;
        row.cells.assign(m_columns.size(), MakeTemplateCell(image, kind, format));
        row.cells[0].text = text;
        if (m_rows.size() == m_rows.capacity())
            m_rows.reserve(m_rows.empty() ? 1 : m_rows.size() * 2);
        m_rows.push_back(std::move(row));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

int CSkinListImpl::InsertItem(const std::string& text, bool update, int image, int kind, int format)
{
    int result;
    {
        SingleLock lock(&m_lock);
        if (!AppendRow(text, image, kind, format))
            return -1;
        result = GetItemCount() - 1;
    }
    if (update)
        UpdateScrollBars();
    return result;
}

int CSkinListImpl::InsertItem(int position, const std::string& text, bool update, int image, int kind, int format)
{
    SingleLock lock(&m_lock);
    if (!m_options.recycling)
        return 0;
    if (position >= 0 && static_cast<size_t>(position) < m_rows.size()) {
        ++m_visibleCount;
        const SkinListCell fresh = MakeTemplateCell(image, kind, format);
        SkinListRow& row = m_rows[static_cast<size_t>(position)];
        for (SkinListCell& cell : row.cells) {
            cell.image = fresh.image;
            cell.kind = fresh.kind;
            cell.format = fresh.format;
            cell.font = nullptr;
            cell.background = fresh.background;
            cell.textColor = fresh.textColor;
        }
        if (!row.cells.empty())
            row.cells[0].text = text;
        return position;
    }
    if (!AppendRow(text, image, kind, format))
        return -1;
    ++m_visibleCount;
    if (update)
        UpdateScrollBars();
    return GetItemCount() - 1;
}

bool CSkinListImpl::DeleteItem(int row)
{
    SingleLock lock(&m_lock);
    if (!IsValidRow(row))
        return false;
    if (m_options.recycling)
        --m_visibleCount;
    m_rows.erase(m_rows.begin() + row);
    // The rows below moved up: their selection moves with them.
    std::set<int> renumbered;
    for (int selected : m_state.selection) {
        if (selected < row)
            renumbered.insert(selected);
        else if (selected > row)
            renumbered.insert(selected - 1);
    }
    m_state.selection.swap(renumbered);
    return true;
}

bool CSkinListImpl::DeleteAllItems()
{
    SingleLock lock(&m_lock);
    if (m_options.recycling)
        m_visibleCount = 0;
    else
        m_rows.clear();
    m_state.selection.clear();
    return true;
}

int CSkinListImpl::GetItemCount() const
{
    SingleLock lock(&m_lock);
    return ItemCountLocked();
}

int CSkinListImpl::GetStoredRowCount() const
{
    SingleLock lock(&m_lock);
    return static_cast<int>(m_rows.size());
}

SkinListCell* CSkinListImpl::CellAt(int row, int key)
{
    if (!IsValidRow(row) || key < 0)
        return nullptr;
    std::vector<SkinListCell>& cells = m_rows[static_cast<size_t>(row)].cells;
    return static_cast<size_t>(key) < cells.size() ? &cells[static_cast<size_t>(key)] : nullptr;
}

const SkinListCell* CSkinListImpl::CellAt(int row, int key) const
{
    return const_cast<CSkinListImpl*>(this)->CellAt(row, key);
}

bool CSkinListImpl::GetItem(int row, SkinListRow& out) const
{
    SingleLock lock(&m_lock);
    if (!IsValidRow(row))
        return false;
    out = m_rows[static_cast<size_t>(row)];
    return true;
}

bool CSkinListImpl::GetCell(int row, int key, SkinListCell& out) const
{
    SingleLock lock(&m_lock);
    const SkinListCell* cell = CellAt(row, key);
    if (!cell)
        return false;
    out = *cell;
    return true;
}

std::string CSkinListImpl::GetItemText(int row, int key) const
{
    SingleLock lock(&m_lock);
    const SkinListCell* cell = CellAt(row, key);
    return cell ? cell->text : std::string();
}

bool CSkinListImpl::SetItemText(int row, int key, const std::string& text)
{
    SingleLock lock(&m_lock);
    SkinListCell* cell = CellAt(row, key);
    if (!cell)
        return false;
    cell->text = text;
    return true;
}

bool CSkinListImpl::SetItemFormat(int row, int key, int kind, int format)
{
    SingleLock lock(&m_lock);
    SkinListCell* cell = CellAt(row, key);
    if (!cell)
        return false;
    cell->kind = kind;
    cell->format = format;
    return true;
}

bool CSkinListImpl::SetItemColors(int row, int key, COLORREF background, COLORREF textColor)
{
    SingleLock lock(&m_lock);
    SkinListCell* cell = CellAt(row, key);
    if (!cell)
        return false;
    cell->background = background;
    cell->textColor = textColor;
    return true;
}

bool CSkinListImpl::SetItemImage(int row, int key, int image)
{
    SingleLock lock(&m_lock);
    SkinListCell* cell = CellAt(row, key);
    if (!cell)
        return false;
    cell->image = image;
    return true;
}

bool CSkinListImpl::SetItemFont(int row, int key, HFONT font)
{
    SingleLock lock(&m_lock);
    SkinListCell* cell = CellAt(row, key);
    if (!cell)
        return false;
    cell->font = font;
    return true;
}

bool CSkinListImpl::SetItemData(int row, uint32_t data)
{
    SingleLock lock(&m_lock);
    if (!IsValidRow(row))
        return false;
    m_rows[static_cast<size_t>(row)].itemData = data;
    return true;
}

bool CSkinListImpl::GetItemData(int row, uint32_t& data) const
{
    SingleLock lock(&m_lock);
    if (!IsValidRow(row))
        return false;
    data = m_rows[static_cast<size_t>(row)].itemData;
    return true;
}

bool CSkinListImpl::SetItemToolTip(int row, const std::string& text)
{
    SingleLock lock(&m_lock);
    if (!IsValidRow(row))
        return false;
    m_rows[static_cast<size_t>(row)].tooltip = text;
    return true;
}

std::string CSkinListImpl::GetItemToolTip(int row) const
{
    SingleLock lock(&m_lock);
    return IsValidRow(row) ? m_rows[static_cast<size_t>(row)].tooltip : std::string();
}

int CSkinListImpl::EffectiveKind(int row, int key) const
{
    const SkinListCell* cell = CellAt(row, key);
    if (!cell)
        return 0;
    if (cell->kind != 0)
        return cell->kind;
    for (const SkinListColumn& c : m_columns) {
        if (c.key == key)
            return c.defaultKind;
    }
    return 0;
}

int CSkinListImpl::EffectiveFormat(int row, int key) const
{
    const SkinListCell* cell = CellAt(row, key);
    if (!cell)
        return 0;
    if (cell->format != 0)
        return cell->format;
    for (const SkinListColumn& c : m_columns) {
        if (c.key == key)
            return c.defaultFormat;
    }
    return 0;
}

int CSkinListImpl::GetItemKind(int row, int key) const
{
    SingleLock lock(&m_lock);
    return EffectiveKind(row, key);
}

int CSkinListImpl::GetItemFormat(int row, int key) const
{
    SingleLock lock(&m_lock);
    return EffectiveFormat(row, key);
}

int CSkinListImpl::GetItemImage(int row, int key) const
{
    SingleLock lock(&m_lock);
    const SkinListCell* cell = CellAt(row, key);
    return cell ? cell->image : -1;
}

HFONT CSkinListImpl::GetItemFont(int row, int key) const
{
    SingleLock lock(&m_lock);
    const SkinListCell* cell = CellAt(row, key);
    if (!cell)
        return nullptr;
    return cell->font ? cell->font : m_font.Get();
}

bool CSkinListImpl::GetItemColors(int row, int key, COLORREF& background, COLORREF& textColor) const
{
    SingleLock lock(&m_lock);
    const SkinListCell* cell = CellAt(row, key);
    if (!cell)
        return false;
    background = cell->background;
    textColor = cell->textColor;
    return true;
}

bool CSkinListImpl::SetEmptyData(CLIPFORMAT format)
{
    return ::SetEmptyData(m_dragDrop.GetDataObject(), format);
}

// Selection ------------------------------------------------------------------------------

bool CSkinListImpl::IsRowSelected(int row) const
{
    SingleLock lock(&m_lock);
    return m_state.selection.count(row) != 0;
}

std::set<int> CSkinListImpl::GetSelection() const
{
    SingleLock lock(&m_lock);
    return m_state.selection;
}

int CSkinListImpl::GetSelectedCount() const
{
    SingleLock lock(&m_lock);
    return static_cast<int>(m_state.selection.size());
}

bool CSkinListImpl::ClearSelection()
{
    {
        SingleLock lock(&m_lock);
        m_state.selection.clear();
        m_state.anchorRow = -1;
        m_state.focusRow = -1;
        m_state.focusColumn = -1;
    }
    if (!m_hWnd)
        return true;
    return ::InvalidateRect(m_hWnd, nullptr, FALSE) != FALSE;
}

int CSkinListImpl::GetSelectedItem() const
{
    SingleLock lock(&m_lock);
    if (m_state.focusRow != -1 && m_state.selection.count(m_state.focusRow))
        return m_state.focusRow;
    return m_state.selection.empty() ? -1 : *m_state.selection.begin();
}

bool CSkinListImpl::GetSelectedCell(int& row, int& column) const
{
    SingleLock lock(&m_lock);
    row = GetSelectedItem();
    column = (m_options.cellSelection && row != -1) ? m_state.focusColumn : -1;
    return row != -1;
}

void CSkinListImpl::SetFocusCell(int row, int column)
{
    {
        SingleLock lock(&m_lock);
        m_state.focusRow = row;
        m_state.focusColumn = column;
    }
    EnsureVisible(row, column);
}

// Sorting ---------------------------------------------------------------------------------

void CSkinListImpl::SortVisibleRows()
{
    const int count = GetItemCount();
    if (count < 2)
        return;
    // One kind for the whole sort keeps the comparison a strict weak order
    // even when an owner gave rows of one column different kinds.
    const int key = m_sortKey;
    const int kind = EffectiveKind(0, key);
    std::sort(m_rows.begin(), m_rows.begin() + count,
        [key, kind](const SkinListRow& a, const SkinListRow& b) { return CompareItems(a, b, key, kind); });
    if (!m_sortAscending)
        std::reverse(m_rows.begin(), m_rows.begin() + count);
}

bool CSkinListImpl::SortByColumn(int column, int mode, bool keep)
{
    if (!m_options.showHeader || !m_options.sorting)
        return false;
    bool sorted = false;
    {
        SingleLock lock(&m_lock);
        if (!IsValidColumn(column))
            return false;
        const int key = m_columns[static_cast<size_t>(column)].key;
        if (key < m_options.fixedLeadingColumns)
            return false;
        HCURSOR previous = nullptr;
        const bool showWait = m_hWnd && IsOnWindowThread();
        if (showWait)
            previous = ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
        if (mode == 1 || mode == 2) {
            m_sortAscending = mode == 1;
            m_sortKey = key;
            SortVisibleRows();
            sorted = true;
        } else if (key != m_sortKey) {
            m_sortAscending = true;
            m_sortKey = key;
            SortVisibleRows();
            sorted = true;
        } else if (keep) {
            SortVisibleRows();
            sorted = true;
        } else {
            m_sortAscending = !m_sortAscending;
            const int count = GetItemCount();
            std::reverse(m_rows.begin(), m_rows.begin() + count);
        }
        if (showWait)
            ::SetCursor(previous);
    }
    // Called without the lock: the owner may do anything, also with other threads.
    if (sorted && m_options.sortCallback)
        m_options.sortCallback(m_options.sortCallbackValue);
    return ClearSelection();
}

// Geometry ---------------------------------------------------------------------------------

int CSkinListImpl::GetScrollPosition(int bar) const
{
    const HWND external = bar == SB_VERT ? m_options.externalVScroll : m_options.externalHScroll;
    if (external)
        return ::GetScrollPos(external, SB_CTL);
    return m_hWnd ? ::GetScrollPos(m_hWnd, bar) : 0;
}

void CSkinListImpl::SetScrollPosition(int bar, int position)
{
    const HWND external = bar == SB_VERT ? m_options.externalVScroll : m_options.externalHScroll;
    if (external)
        ::SetScrollPos(external, SB_CTL, position, TRUE);
    else if (m_hWnd)
        ::SetScrollPos(m_hWnd, bar, position, TRUE);
}

int CSkinListImpl::GetTopRow() const
{
    return m_rowHeight ? GetScrollPosition(SB_VERT) / m_rowHeight : 0;
}

int CSkinListImpl::RowsPerPage(bool partial) const
{
    if (m_rowHeight <= 0)
        return 1;
    const CRect client = GetClientRect();
    const int height = client.Height() - GetHeaderHeight();
    if (height <= 0)
        return 1;
    int rows = height / m_rowHeight;
    if (partial && height % m_rowHeight)
        ++rows;
    return std::max(rows, 1);
}

bool CSkinListImpl::GetHeaderItemRect(int column, CRect& rect) const
{
    SingleLock lock(&m_lock);
    if (!IsValidColumn(column))
        return false;
    const CRect client = GetClientRect();
    int left = client.left - GetScrollPosition(SB_HORZ);
    for (int i = 0; i < column; ++i)
        left += m_columns[static_cast<size_t>(i)].width;
    rect = CRect(left, client.top, left + m_columns[static_cast<size_t>(column)].width, GetHeaderHeight());
    return true;
}

bool CSkinListImpl::IsCellVisible(int row, int column, bool partial) const
{
    const int top = GetTopRow();
    if (row < top || row >= top + RowsPerPage(partial) || row >= GetItemCount())
        return false;
    if (m_options.cellSelection && column >= 0) {
        CRect item;
        if (!GetHeaderItemRect(column, item))
            return false;
        const CRect client = GetClientRect();
        if (item.left < client.left || item.right > client.right)
            return false;
    }
    return true;
}

bool CSkinListImpl::GetCellRect(int row, int column, CRect& rect) const
{
    if (!IsCellVisible(row, -1, true))
        return false;
    const CRect client = GetClientRect();
    const int top = GetHeaderHeight() + (row - GetTopRow()) * m_rowHeight;
    if (column == -1) {
        rect = CRect(client.left, top, std::min<int>(client.right, GetTotalWidth() - 1), top + m_rowHeight);
        return true;
    }
    CRect item;
    if (!GetHeaderItemRect(column, item))
        return false;
    rect = CRect(item.left, top, item.right, top + m_rowHeight);
    return true;
}

void CSkinListImpl::InvalidateCell(int row, int column)
{
    CRect r;
    if (m_hWnd && GetCellRect(row, column, r))
        ::InvalidateRect(m_hWnd, &r, FALSE);
}

int CSkinListImpl::GetContentHeight() const
{
    return std::max(1, GetHeaderHeight() + GetItemCount() * m_rowHeight);
}

bool CSkinListImpl::EnsureVisible(int row, int column)
{
    if (IsCellVisible(row, column, false))
        return true;
    HideTitleTip();
    const CRect client = GetClientRect();
    const int header = GetHeaderHeight();
    const int top = GetTopRow();
    const int y = header + (row - top) * m_rowHeight;
    int newTop = top;
    if (y < header) {
        newTop = row;
    } else if (client.bottom < y + m_rowHeight) {
        const int fullRows = m_rowHeight > 0 ? (client.Height() - header) / m_rowHeight : 0;
        if (fullRows >= 1)
            newTop = row + 1 - std::max(fullRows, 1);
    }
    if (newTop != top && m_rowHeight > 0)
        SetScrollPosition(SB_VERT, newTop * m_rowHeight);
    if (m_options.cellSelection && column >= 0) {
        CRect item;
        if (GetHeaderItemRect(column, item)) {
            int shift = 0;
            if (item.Width() <= client.Width() && item.left >= 0) {
                if (item.right > client.right)
                    shift = item.right - client.right;
            } else {
                shift = item.left;
            }
            if (shift)
                SetScrollPosition(SB_HORZ, GetScrollPosition(SB_HORZ) + shift);
        }
    }
    Repaint();
    return true;
}

// Scroll bars -----------------------------------------------------------------------------------

void CSkinListImpl::UpdateScrollBars()
{
    if (!IsOnWindowThread()) {
        m_tasks.PostOnce(kTaskUpdateScrollBars, [this] { UpdateScrollBars(); });
        Repaint();
        return;
    }
    UpdateVerticalScrollBar();
    UpdateHorizontalScrollBar();
}

LRESULT CSkinListImpl::OnSize(UINT, WPARAM, LPARAM, BOOL&)
{
    EndScrollAnimation();
    m_input.EndOpenEdit();
    UpdateScrollBars();
    // An owner's bar carries the position only: its range is the part of the
    // content beyond the client area, so its far end shows the last column
    // (or row) whole.
    const CRect client = GetClientRect();
    if (m_options.externalHScroll) {
        const int hidden = GetTotalWidth() - 1 - client.Width();
        ::SetScrollRange(m_options.externalHScroll, SB_CTL, 0, std::max(0, hidden), TRUE);
    } else if (m_options.externalVScroll) {
        const int hidden = GetContentHeight() - client.Height();
        ::SetScrollRange(m_options.externalVScroll, SB_CTL, 0, std::max(0, hidden), TRUE);
    }
    Repaint();
    return 0;
}

void CSkinListImpl::SetScrollBarInfo(int bar, int maximum, int page, int position)
{
    // Setting a bar redraws it through the window system even when nothing
    // changed, which costs more than the whole refill of a large list; the
    // quote list refills with the same row count every few seconds.
    SCROLLINFO current = {};
    current.cbSize = sizeof(current);
    current.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    if (::GetScrollInfo(m_hWnd, bar, &current)
        && IsScrollInfoCurrent(current, maximum, static_cast<UINT>(page), position))
        return;
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | (position >= 0 ? SIF_POS : 0);
    info.nMin = 0;
    info.nMax = maximum;
    info.nPage = static_cast<UINT>(page);
    info.nPos = position;
    ::SetScrollInfo(m_hWnd, bar, &info, TRUE);
}

bool CSkinListImpl::IsScrollInfoCurrent(const SCROLLINFO& current, int maximum, UINT page, int position)
{
    // The system keeps the page within the range (one more than the maximum).
    const UINT keptPage = std::min<UINT>(page, static_cast<UINT>(std::max(0, maximum) + 1));
    return current.nMin == 0 && current.nMax == maximum && current.nPage == keptPage
        && (position < 0 || current.nPos == position);
}

void CSkinListImpl::UpdateVerticalScrollBar(int position)
{
    if (!IsOnWindowThread()) {
        UpdateScrollBars();
        return;
    }
    if (m_options.verticalScrolling) {
        const CRect client = GetClientRect();
        const int header = GetHeaderHeight();
        const int content = GetContentHeight();
        const int page = std::max(0, client.Height() - header);
        const int maximum = page + header >= content ? 0 : content;
        if (m_options.externalVScroll) {
            m_vertBarShown = true;
        } else if (m_hWnd) {
            SetScrollBarInfo(SB_VERT, maximum, page, position);
            m_vertBarShown = maximum > 0;
        }
    }
    Repaint();
}

void CSkinListImpl::UpdateHorizontalScrollBar(int position)
{
    if (!IsOnWindowThread()) {
        UpdateScrollBars();
        return;
    }
    if (m_options.horizontalScrolling) {
        const CRect client = GetClientRect();
        const int total = GetTotalWidth();
        const int page = client.Width();
        const int maximum = page >= total - 1 ? 0 : total - 1;
        if (m_options.externalHScroll) {
            m_horzBarShown = true;
        } else if (m_hWnd) {
            SetScrollBarInfo(SB_HORZ, maximum, std::max(0, page), position);
            m_horzBarShown = page < maximum;
        }
    }
    Repaint();
}
