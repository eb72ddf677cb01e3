#include "skin/SkinListInput.h"
#include "base/MbcsText.h"
#include "skin/ListDateText.h"
#include "skin/ListDragPayload.h"
#include "skin/ListInputRules.h"
#include <cstdlib>

namespace {

bool KeyDown(int key)
{
    return ::GetKeyState(key) < 0;
}

CPoint MessageScreenPoint()
{
    DWORD pos = ::GetMessagePos();
    return CPoint(static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos)));
}

bool IsEditableLink(ISkinListHost& host, int row, int column)
{
    int key = host.ColumnKey(column);
    return host.EffectiveKind(row, key) == kListCellLink && !(host.EffectiveFormat(row, key) & kListReadOnly);
}

}

CSkinListInput::CSkinListInput(ISkinListHost& host, CListTypeAhead::Clock clock)
    : m_host(host)
    , m_typeAhead(clock)
{
}

void CSkinListInput::InvalidateAll()
{
    ::InvalidateRect(Window(), nullptr, FALSE);
}

bool CSkinListInput::GetBand(RECT& band) const
{
    if (!m_bandActive)
        return false;
    band = m_band;
    return true;
}

bool CSkinListInput::GetSelectedCell(int& row, int& column)
{
    const std::set<int>& selection = m_host.Selection();
    row = -1;
    column = -1;
    if (selection.count(m_host.FocusRow()))
        row = m_host.FocusRow();
    else if (!selection.empty())
        row = *selection.begin();
    if (row != -1 && m_host.InputOptions().cellSelection)
        column = m_host.FocusColumn();
    return row != -1;
}

// Selection and visibility ------------------------------------------------------

bool CSkinListInput::SelectItem(int row, int column, UINT keys)
{
    if (row < 0 || row >= m_host.Geometry().rowCount)
        return false;
    bool notify = ApplySelectItem(m_host.Selection(), m_host.AnchorRow(), m_host.FocusRow(), m_host.FocusColumn(), row,
        column, keys, m_host.InputOptions().singleSelection);
    if (notify)
        NotifyParent(row, m_host.FocusColumn(), SLN_SELCHANGED);
    int focusRow = m_host.FocusRow();
    int focusColumn = m_host.FocusColumn();
    if (m_host.IsCellVisible(row, focusColumn, false)) {
        if (focusRow >= 0 && focusColumn >= 0)
            BeginEdit(focusRow, focusColumn);
    } else {
        ::SetTimer(Window(), kListTimerBeginEdit, 250, nullptr);
    }
    InvalidateAll();
    return true;
}

bool CSkinListInput::EnsureVisible(int row, int column)
{
    if (m_host.IsCellVisible(row, column, false))
        return true;
    HideTitleTip();
    const ListGeometry g = m_host.Geometry();
    RECT client;
    ::GetClientRect(Window(), &client);
    if (g.rowHeight > 0) {
        int y = g.headerHeight + (row - g.topRow) * g.rowHeight;
        int top = g.topRow;
        int fullRows = (client.bottom - g.headerHeight) / g.rowHeight;
        if (y < g.headerHeight)
            top = row;
        else if (client.bottom < y + g.rowHeight && fullRows >= 1)
            top = row + 1 - std::max(fullRows, 1);
        if (top != g.topRow)
            m_host.SetScrollPosition(SB_VERT, std::max(top, 0) * g.rowHeight);
    }
    RECT header;
    if (m_host.InputOptions().cellSelection && column >= 0 && m_host.GetHeaderItemRect(column, header)) {
        int shift = 0;
        if (header.right - header.left <= client.right && header.left >= 0) {
            if (header.right > client.right)
                shift = header.right - client.right;
        } else {
            shift = header.left;
        }
        if (shift)
            m_host.SetScrollPosition(SB_HORZ, m_host.ScrollPosition(SB_HORZ) + shift);
    }
    InvalidateAll();
    return true;
}

void CSkinListInput::NotifyParent(int row, int column, int code)
{
    HWND list = Window();
    SendSkinListNotify(::GetParent(list), list, code, row, m_host.ColumnKey(column));
}

void CSkinListInput::NotifyPointer(CPoint point, int code)
{
    ListCellHit hit = HitTestCell(point);
    if (hit.found) {
        NotifyParent(hit.row, hit.column, code);
        return;
    }
    HWND list = Window();
    SendSkinListNotify(::GetParent(list), list, code, PointerRow(m_host.Geometry(), point.x, point.y), 0);
}

HeaderHit CSkinListInput::HitTestHeader(CPoint point) const
{
    const ListGeometry g = m_host.Geometry();
    if (!m_host.InputOptions().headerShown || point.y < 0 || point.y >= g.headerHeight)
        return HeaderHit();
    return HitTestHeaderColumns(g.widths, g.scrollX, point.x);
}

ListCellHit CSkinListInput::HitTestCell(CPoint point) const
{
    return ::HitTestCell(m_host.Geometry(), point.x, point.y);
}

bool CSkinListInput::ToggleBox(int row, int column)
{
    int key = m_host.ColumnKey(column);
    if (m_host.EffectiveFormat(row, key) & kListReadOnly)
        return false;
    int kind = m_host.EffectiveKind(row, key);
    if (kind != kListCellCheck && kind != kListCellTriState)
        return false;
    double value = std::atof(m_host.ItemText(row, key).c_str());
    const char* next;
    if (kind == kListCellCheck)
        next = value > 0 ? "0" : "1";
    else
        next = value < 0 ? "0" : value == 0 ? "1" : "-1";
    m_bandFlag = false;
    m_host.SetItemText(row, key, next);
    NotifyParent(row, column, SLN_CELLCHANGED);
    m_host.InvalidateRow(row);
    return true;
}

// Tips ------------------------------------------------------------------------------

void CSkinListInput::HideTitleTip()
{
    CTitleTip* tip = m_host.TitleTip();
    if (!tip || !m_host.RowToolTip())
        return;
    m_host.TipRow() = -1;
    m_host.TipColumn() = -1;
    tip->Hide();
}

void CSkinListInput::ShowTitleTip(int row, int column, CPoint point)
{
    CTitleTip* tip = m_host.TitleTip();
    if (!tip || m_editing || (m_host.TipColumn() == column && m_host.TipRow() == row))
        return;
    RECT text;
    if (!m_host.GetCellTextRect(row, column, text) || !::PtInRect(&text, point)) {
        HideTitleTip();
        return;
    }
    std::string shown = m_host.TipText(row, m_host.ColumnKey(column));
    if (shown.empty())
        return;
    RECT screen = text;
    ::MapWindowPoints(Window(), nullptr, reinterpret_cast<POINT*>(&screen), 2);
    if (tip->Show(screen, shown, m_host.RowTooltip(row))) {
        m_host.TipRow() = row;
        m_host.TipColumn() = column;
    } else
        HideTitleTip();
}

void CSkinListInput::UpdateRowTooltip(int row, int column)
{
    CToolTipCtrl* tooltip = m_host.RowToolTip();
    if (!tooltip || !tooltip->m_hWnd)
        return;
    std::string text = m_host.RowTooltip(row);
    if (text.empty()) {
        ClearRowTooltip();
        return;
    }
    // The tool is replaced when the pointer comes to another row, so the
    // tip's own timing runs undisturbed while it stays on one.
    if (row == m_tooltipRow)
        return;
    RECT rect;
    if (!m_host.GetCellRect(row, -1, rect))
        return;
    (void)column;
    if (text.size() > 0x7FFF)
        text = MbcsTruncate(text, 0x7FFF);
    tooltip->Activate(true);
    tooltip->DelTool(Window(), kRowToolId);
    tooltip->AddTool(Window(), kRowToolId, text.c_str(), &rect, 0);
    m_tooltipRow = row;
}

void CSkinListInput::ClearRowTooltip()
{
    CToolTipCtrl* tooltip = m_host.RowToolTip();
    m_tooltipRow = -1;
    if (!tooltip || !tooltip->m_hWnd)
        return;
    tooltip->Activate(false);
    tooltip->DelTool(Window(), kRowToolId);
}

// Mouse ------------------------------------------------------------------------------

LRESULT CSkinListInput::OnRelayMouse(UINT msg, WPARAM wp, LPARAM lp, BOOL& handled)
{
    CToolTipCtrl* tooltip = m_host.RowToolTip();
    if (tooltip && tooltip->m_hWnd) {
        MSG relayed = { Window(), msg, wp, lp, static_cast<DWORD>(::GetMessageTime()), MessageScreenPoint() };
        tooltip->RelayEvent(&relayed);
    }
    handled = FALSE;
    return 0;
}

void CSkinListInput::OnLButtonDown(UINT keys, CPoint point, BOOL&)
{
    HideTitleTip();
    m_buttonDown = true;
    m_pressClient = point;
    m_pressContent = CPoint(point.x + m_host.ScrollPosition(SB_HORZ), point.y + m_host.ScrollPosition(SB_VERT));
    m_host.EndScrollAnimation();
    ::SetFocus(Window());
    ::SetCapture(Window());

    HeaderHit header = HitTestHeader(point);
    if (header.found) {
        if (!m_host.IsColumnFixed(header.column) && (header.flags & kHeaderHitDivider)) {
            StartResize(header.column, point);
        } else {
            m_host.PressedHeader() = header.column;
            m_host.InvalidateHeader();
        }
        return;
    }
    ListCellHit cell = HitTestCell(point);
    if (!cell.found) {
        m_host.AnchorRow() = -1;
        m_bandFlag = true;
        return;
    }
    const bool modifiers = (keys & (MK_SHIFT | MK_CONTROL)) != 0;
    if (!modifiers && cell.column != 0) {
        m_bandFlag = true;
        m_host.AnchorRow() = cell.row;
    }
    const std::set<int>& selection = m_host.Selection();
    // Pressing on one of several selected rows keeps them for a drag.
    if (modifiers || !selection.count(cell.row) || selection.size() < 2)
        SelectItem(cell.row, cell.column, keys);
    if (ToggleBox(cell.row, cell.column))
        return;
    if (IsEditableLink(m_host, cell.row, cell.column)) {
        m_bandFlag = false;
        ::SetCursor(m_host.HandCursor());
        NotifyParent(cell.row, cell.column, SLN_LINKCLICK);
    }
}

void CSkinListInput::OnMouseMove(UINT keys, CPoint point, BOOL&)
{
    if (!(keys & MK_LBUTTON)) {
        if (m_buttonDown && ::GetCapture() == Window())
            ::ReleaseCapture();
        m_buttonDown = false;
    }
    if (!m_trackingLeave) {
        TRACKMOUSEEVENT track = { sizeof(track), TME_LEAVE, Window(), 0 };
        m_trackingLeave = ::TrackMouseEvent(&track) != FALSE;
    }
    if (!m_buttonDown) {
        Hover(point);
        return;
    }
    if (m_host.ResizeColumn() >= 0) {
        ContinueResize();
        return;
    }
    const int dx = std::abs(point.x - m_pressClient.x);
    const int dy = std::abs(point.y - m_pressClient.y);
    if (m_host.PressedHeader() >= 0) {
        if (dx > 4 || dy > 4) {
            HideTitleTip();
            m_host.DragSource() = m_host.PressedHeader();
            m_host.RunHeaderDrag(m_host.DragSource());
            // Whatever the drag's outcome, the gesture is over.
            m_host.HideDropArrows();
            if (m_buttonDown) {
                if (::GetCapture() == Window())
                    ::ReleaseCapture();
                m_buttonDown = false;
                m_bandFlag = false;
                m_bandActive = false;
            }
            m_host.PressedHeader() = -1;
            m_host.InvalidateHeader();
            m_host.DragSource() = -1;
            m_host.DropPosition() = -1;
        }
        return;
    }
    if (!m_bandActive && (dx > 3 || dy > 3)) {
        const SkinListInputOptions options = m_host.InputOptions();
        if (m_bandFlag || !options.rowDragging) {
            if (!options.singleSelection && !m_editing)
                m_bandActive = true;
        } else {
            ListCellHit cell = HitTestCell(point);
            if (cell.found) {
                if (!m_host.Selection().count(cell.row))
                    SelectItem(cell.row, cell.column, keys);
                m_host.RowDragOver(cell.row);
            }
        }
    }
    if (m_bandActive)
        UpdateBand(point);
}

void CSkinListInput::Hover(CPoint point)
{
    const SkinListInputOptions options = m_host.InputOptions();
    HeaderHit header = HitTestHeader(point);
    if (options.visualStyles) {
        int hot = header.found ? header.column : -1;
        if (hot != m_host.HotHeader()) {
            m_host.HotHeader() = hot;
            m_host.InvalidateHeader();
        }
    }
    if (header.found) {
        HideTitleTip();
        if (!m_host.IsColumnFixed(header.column) && (header.flags & kHeaderHitDivider))
            ::SetCursor(m_host.ResizeCursor());
        return;
    }
    int& hotRow = m_host.HotRow();
    int& hotColumn = m_host.HotColumn();
    ListCellHit cell = HitTestCell(point);
    if (!cell.found) {
        if (hotRow >= 0 && hotColumn >= 0 && IsEditableLink(m_host, hotRow, hotColumn))
            m_host.InvalidateRow(hotRow);
        ClearRowTooltip();
        hotRow = -1;
        hotColumn = -1;
        HideTitleTip();
        return;
    }
    const bool link = IsEditableLink(m_host, cell.row, cell.column);
    if (hotColumn != cell.column || hotRow != cell.row) {
        if (hotRow >= 0 && hotColumn >= 0 && IsEditableLink(m_host, hotRow, hotColumn))
            m_host.InvalidateRow(hotRow);
        hotRow = cell.row;
        hotColumn = cell.column;
        if (link)
            m_host.InvalidateRow(cell.row);
    }
    if (link)
        ::SetCursor(m_host.HandCursor());
    UpdateRowTooltip(cell.row, cell.column);
    ShowTitleTip(cell.row, cell.column, point);
}

LRESULT CSkinListInput::OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&)
{
    m_trackingLeave = false;
    if (m_host.HotHeader() != -1) {
        m_host.HotHeader() = -1;
        m_host.InvalidateHeader();
    }
    if (m_host.HotRow() != -1 || m_host.HotColumn() != -1) {
        m_host.HotRow() = -1;
        m_host.HotColumn() = -1;
        InvalidateAll();
    }
    return 0;
}

void CSkinListInput::OnLButtonUp(UINT keys, CPoint point, BOOL&)
{
    if (m_buttonDown && ::GetCapture() == Window())
        ::ReleaseCapture();
    if (m_host.ResizeColumn() >= 0 || m_host.PressedHeader() >= 0) {
        int row, column;
        GetSelectedCell(row, column);
        if (m_host.PressedHeader() >= 0 && m_host.ResizeColumn() < 0)
            m_host.SortByColumn(m_host.PressedHeader(), 0, false);
        m_host.ResizeColumn() = -1;
        m_host.PressedHeader() = -1;
        if (m_narrowTimer) {
            ::KillTimer(Window(), kListTimerNarrowColumn);
            m_narrowTimer = false;
        }
        m_host.FocusRow() = row == -1 ? 0 : row;
        m_host.FocusColumn() = column;
        EnsureVisible(m_host.FocusRow(), m_host.FocusColumn());
        SelectItem(m_host.FocusRow(), m_host.FocusColumn(), 0);
        m_host.InvalidateHeader();
    }
    const bool endedBand = m_bandActive;
    m_bandActive = false;
    m_bandFlag = false;
    m_buttonDown = false;
    if (endedBand) {
        ::KillTimer(Window(), kListTimerBandScroll);
        InvalidateAll();
        return;
    }
    ListCellHit cell = HitTestCell(point);
    const std::set<int>& selection = m_host.Selection();
    if (cell.found && selection.count(cell.row) && selection.size() > 1 && !(keys & (MK_SHIFT | MK_CONTROL)))
        SelectItem(cell.row, cell.column, keys);
    m_host.RowDrop(PointerRow(m_host.Geometry(), point.x, point.y));
    NotifyPointer(point, SLN_LBUTTONUP);
}

void CSkinListInput::OnLButtonDblClk(UINT, CPoint point, BOOL&)
{
    HideTitleTip();
    ::SendMessageA(Window(), WM_LBUTTONDOWN, 0, MAKELPARAM(point.x, point.y));
    HeaderHit header = HitTestHeader(point);
    if (header.found && (header.flags & kHeaderHitDivider))
        m_host.AutoSizeColumn(header.column);
    NotifyPointer(point, SLN_DBLCLK);
}

void CSkinListInput::OnRButtonDown(UINT keys, CPoint point, BOOL&)
{
    m_host.EndScrollAnimation();
    ::SetFocus(Window());
    HideTitleTip();
    ListCellHit cell = HitTestCell(point);
    if (cell.found && !m_host.Selection().count(cell.row))
        SelectItem(cell.row, cell.column, keys);
}

void CSkinListInput::OnRButtonUp(UINT, CPoint point, BOOL&)
{
    if (!HitTestCell(point).found)
        m_host.ClearSelection();
    NotifyPointer(point, SLN_RBUTTONUP);
}

LRESULT CSkinListInput::OnCancelMode(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_buttonDown && ::GetCapture() == Window())
        ::ReleaseCapture();
    m_buttonDown = false;
    m_bandActive = false;
    HideTitleTip();
    m_host.HideDropArrows();
    m_host.PressedHeader() = -1;
    m_host.DragSource() = -1;
    if (m_host.ResizeColumn() >= 0) {
        m_host.ResizeColumn() = -1;
        ::KillTimer(Window(), kListTimerNarrowColumn);
        m_narrowTimer = false;
    }
    return 0;
}

LRESULT CSkinListInput::OnFocusChange(UINT, WPARAM, LPARAM, BOOL& handled)
{
    InvalidateAll();
    handled = FALSE;
    return 0;
}

LRESULT CSkinListInput::OnDefault(UINT msg, WPARAM wp, LPARAM lp, BOOL&)
{
    return ::DefWindowProcA(Window(), msg, wp, lp);
}

LRESULT CSkinListInput::OnSysKeyDown(UINT, WPARAM, LPARAM, BOOL& handled)
{
    HideTitleTip();
    handled = FALSE;
    return 0;
}

// Column resizing ------------------------------------------------------------------

void CSkinListInput::StartResize(int column, CPoint)
{
    ::SetCursor(m_host.ResizeCursor());
    m_host.ResizeColumn() = column;
    const ListGeometry g = m_host.Geometry();
    m_widthAtPress = g.widths[column];
    m_xAtPress = MessageScreenPoint().x;
}

namespace {

bool ScrolledFullyRight(ISkinListHost& host)
{
    RECT client;
    ::GetClientRect(host.ListWindow(), &client);
    return host.ScrollPosition(SB_HORZ) >= host.TotalWidth() - (client.right - client.left) - 1;
}

}

void CSkinListInput::ContinueResize()
{
    HideTitleTip();
    if (m_narrowTimer)
        return;
    const int column = m_host.ResizeColumn();
    const ListGeometry g = m_host.Geometry();
    if (column < 0 || column >= static_cast<int>(g.widths.size()))
        return;
    const int x = MessageScreenPoint().x;
    const int width = std::max(m_widthAtPress + x - m_xAtPress, 0);
    // Narrowing a column while scrolled fully right would pull the columns
    // under the pointer: a timer narrows it step by step instead.
    if (m_host.HorizontalBarShown() && ScrolledFullyRight(m_host) && width < g.widths[column]) {
        m_narrowTimer = true;
        m_xAtTimerStart = x;
        ::SetTimer(Window(), kListTimerNarrowColumn, 20, nullptr);
        return;
    }
    m_host.SetColumnWidth(column, width);
}

// The rubber band ------------------------------------------------------------------

void CSkinListInput::UpdateBand(CPoint pointer)
{
    CPoint content(pointer.x + m_host.ScrollPosition(SB_HORZ), pointer.y + m_host.ScrollPosition(SB_VERT));
    m_band = CRect(std::min(m_pressContent.x, content.x), std::min(m_pressContent.y, content.y),
        std::max(m_pressContent.x, content.x), std::max(m_pressContent.y, content.y));
    if (m_band.IsEmpty())
        return;
    SelectBandRows();
    ::SetTimer(Window(), kListTimerBandScroll, 20, nullptr);
    ScrollBandTowards(pointer);
    ::RedrawWindow(Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CSkinListInput::SelectBandRows()
{
    std::set<int>& selection = m_host.Selection();
    selection.clear();
    const ListGeometry g = m_host.Geometry();
    const int scrollY = m_host.ScrollPosition(SB_VERT);
    int first = -1, last = -1;
    if (m_band.left < m_host.TotalWidth() - 1
        && BandRowRange(m_band.top - scrollY, m_band.bottom - scrollY, g.headerHeight, g.rowHeight, g.topRow,
            g.rowCount, first, last)) {
        for (int row = first; row <= last; ++row)
            selection.insert(row);
        m_host.AnchorRow() = first;
        m_host.FocusRow() = last;
        m_host.FocusColumn() = -1;
    } else {
        m_host.AnchorRow() = -1;
    }
}

void CSkinListInput::ScrollBandTowards(CPoint pointer)
{
    const DWORD now = ::GetTickCount();
    if (now - m_lastBandScroll <= 10)
        return;
    RECT client;
    ::GetClientRect(Window(), &client);
    const int headerBottom = m_host.Geometry().headerHeight;
    const CPoint content(pointer.x + m_host.ScrollPosition(SB_HORZ), pointer.y + m_host.ScrollPosition(SB_VERT));
    bool scrolled = false;
    auto scroll = [&](UINT msg, int code, int bar) {
        int before = m_host.ScrollPosition(bar);
        ::SendMessageA(Window(), msg, static_cast<WPARAM>(code), 0);
        return m_host.ScrollPosition(bar) != before;
    };
    if (pointer.y < headerBottom) {
        if (scroll(WM_VSCROLL, SB_LINEUP, SB_VERT)) {
            m_band.top = m_host.ScrollPosition(SB_VERT) + headerBottom - 1;
            m_band.bottom = std::max(m_pressContent.y, content.y);
            scrolled = true;
        }
    } else if (pointer.y > client.bottom) {
        if (scroll(WM_VSCROLL, SB_LINEDOWN, SB_VERT)) {
            m_band.bottom = m_host.ScrollPosition(SB_VERT) + client.bottom + 1;
            m_band.top = std::min(m_pressContent.y, content.y);
            scrolled = true;
        }
    }
    if (pointer.x < client.left) {
        if (scroll(WM_HSCROLL, SB_LINELEFT, SB_HORZ)) {
            m_band.left = m_host.ScrollPosition(SB_HORZ) + client.left - 1;
            m_band.right = std::max(m_pressContent.x, content.x);
            scrolled = true;
        }
    } else if (pointer.x > client.right) {
        if (scroll(WM_HSCROLL, SB_LINERIGHT, SB_HORZ)) {
            m_band.right = m_host.ScrollPosition(SB_HORZ) + client.right + 1;
            m_band.left = std::min(m_pressContent.x, content.x);
            scrolled = true;
        }
    }
    if (scrolled)
        m_lastBandScroll = now;
}

// Timers ------------------------------------------------------------------------------

void CSkinListInput::OnTimer(UINT_PTR id, BOOL& handled)
{
    HWND list = Window();
    switch (id) {
    case kListTimerNarrowColumn: {
        const int x = MessageScreenPoint().x;
        const int column = m_host.ResizeColumn();
        if (column < 0 || !m_host.HorizontalBarShown() || x > m_xAtTimerStart) {
            ::KillTimer(list, kListTimerNarrowColumn);
            m_narrowTimer = false;
            m_xAtPress = x;
            return;
        }
        if (x >= m_xAtPress || !ScrolledFullyRight(m_host))
            return;
        const ListGeometry g = m_host.Geometry();
        if (column >= static_cast<int>(g.widths.size()))
            return;
        int width = std::max(g.widths[column] + x - m_xAtTimerStart, 0);
        m_widthAtPress = width;
        m_host.SetColumnWidth(column, width);
        return;
    }
    case kListTimerBeginEdit: {
        ::KillTimer(list, kListTimerBeginEdit);
        int row, column;
        if (GetSelectedCell(row, column) && column >= 0)
            BeginEdit(row, column);
        return;
    }
    case kListTimerBandScroll: {
        if (!m_bandActive) {
            ::KillTimer(list, kListTimerBandScroll);
            return;
        }
        CPoint pointer = MessageScreenPoint();
        ::ScreenToClient(list, &pointer);
        ScrollBandTowards(pointer);
        SelectBandRows();
        ::RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        return;
    }
    default:
        handled = FALSE;
        return;
    }
}

// Keyboard --------------------------------------------------------------------------

void CSkinListInput::OnKeyDown(UINT key, UINT, UINT, BOOL&)
{
    m_host.EndScrollAnimation();
    InvalidateAll();
    const bool ctrl = KeyDown(VK_CONTROL);
    const bool shift = KeyDown(VK_SHIFT);
    int row, column;
    GetSelectedCell(row, column);
    const ListGeometry g = m_host.Geometry();
    const SkinListInputOptions options = m_host.InputOptions();
    RECT client;
    ::GetClientRect(Window(), &client);

    ListKeyContext context;
    context.row = row;
    context.column = column;
    context.rowCount = g.rowCount;
    context.columnCount = static_cast<int>(g.widths.size());
    context.rowsPerPage = m_host.RowsPerPage(false);
    context.cellSelection = options.cellSelection;
    context.shift = shift;
    context.ctrl = ctrl;
    context.scrollX = m_host.ScrollPosition(SB_HORZ);
    context.clientWidth = client.right;
    const ListKeyMove move = FocusMoveForKey(key, context);
    const UINT selectKeys = shift ? MK_SHIFT : 0;
    switch (move.kind) {
    case ListKeyMove::kFocus:
        if (move.row >= 0 && move.row < g.rowCount) {
            m_host.FocusRow() = move.row;
            m_host.FocusColumn() = move.column;
            EnsureVisible(move.row, move.column);
        }
        if (!ctrl)
            SelectItem(m_host.FocusRow(), m_host.FocusColumn(), selectKeys);
        return;
    case ListKeyMove::kScroll:
        m_host.SetScrollPosition(SB_HORZ, move.scrollX);
        InvalidateAll();
        if (!ctrl)
            SelectItem(m_host.FocusRow(), m_host.FocusColumn(), selectKeys);
        return;
    case ListKeyMove::kSelectOnly:
        SelectItem(m_host.FocusRow(), m_host.FocusColumn(), selectKeys);
        return;
    case ListKeyMove::kNone:
        break;
    }
    if (key == VK_TAB)
        return;
    if (key == VK_SPACE) {
        if (row >= 0) {
            int boxColumn = column;
            if (boxColumn < 0) {
                // Without a focus column, the column of key 0.
                for (int c = 0; c < static_cast<int>(g.widths.size()); ++c) {
                    if (m_host.ColumnKey(c) == 0) {
                        boxColumn = c;
                        break;
                    }
                }
            }
            if (boxColumn >= 0)
                ToggleBox(row, boxColumn);
        }
        return;
    }
    if (ctrl && key == 'A') {
        if (!options.singleSelection) {
            for (int r = 0; r < g.rowCount; ++r)
                m_host.Selection().insert(r);
            InvalidateAll();
        }
        return;
    }
    if (!ctrl && key >= 'A' && key <= 'Z') {
        int sortKey = m_host.SortKey();
        const int searchKey = sortKey < 0 ? 0 : sortKey;
        int found = m_typeAhead.OnKey(static_cast<char>(key), row, g.rowCount,
            [&](int r, const std::string& prefix) { return MbcsStartsWithNoCase(m_host.ItemText(r, searchKey), prefix); });
        if (found >= 0) {
            SelectItem(found, column, MK_LBUTTON);
            EnsureVisible(found, column);
        }
    }
}

// Scrolling ---------------------------------------------------------------------------

void CSkinListInput::EndOpenEdit()
{
    if (m_editing && ::GetFocus() != Window())
        ::SetFocus(Window());
}

LRESULT CSkinListInput::OnVScroll(UINT, WPARAM wp, LPARAM, BOOL&)
{
    EndOpenEdit();
    HideTitleTip();
    const int code = LOWORD(wp);
    if (code == SB_ENDSCROLL) {
        m_animating = false;
        return 0;
    }
    const ListGeometry g = m_host.Geometry();
    RECT client;
    ::GetClientRect(Window(), &client);
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_TRACKPOS;
    ::GetScrollInfo(Window(), SB_VERT, &info);
    const int position = m_host.ScrollPosition(SB_VERT);
    const int next = VerticalScrollPosition(
        code, position, g.rowHeight, client.bottom - g.headerHeight, g.rowCount, info.nTrackPos);
    if (next < 0)
        return 0;
    const int oldTop = g.rowHeight > 0 ? position / g.rowHeight : 0;
    m_host.SetScrollPosition(SB_VERT, next);
    const int newTop = g.rowHeight > 0 ? m_host.ScrollPosition(SB_VERT) / g.rowHeight : 0;
    const bool stepCode = code == SB_LINEUP || code == SB_LINEDOWN || code == SB_PAGEUP || code == SB_PAGEDOWN;
    if (m_host.InputOptions().animatedScrolling && stepCode && !m_animating) {
        m_animating = m_host.BeginScrollAnimation(oldTop, newTop);
        if (!m_animating)
            InvalidateAll();
    } else {
        m_host.EndScrollAnimation();
        InvalidateAll();
    }
    return 0;
}

LRESULT CSkinListInput::OnHScroll(UINT, WPARAM wp, LPARAM, BOOL&)
{
    m_host.EndScrollAnimation();
    EndOpenEdit();
    HideTitleTip();
    RECT client;
    ::GetClientRect(Window(), &client);
    const int next = HorizontalScrollPosition(
        LOWORD(wp), m_host.ScrollPosition(SB_HORZ), m_host.TotalWidth(), client.right, HIWORD(wp));
    if (next < 0)
        return 0;
    m_host.SetScrollPosition(SB_HORZ, next);
    InvalidateAll();
    return 0;
}

LRESULT CSkinListInput::OnMouseWheel(UINT, WPARAM wp, LPARAM, BOOL&)
{
    HideTitleTip();
    EndOpenEdit();
    const ListGeometry g = m_host.Geometry();
    const int delta = static_cast<short>(HIWORD(wp));
    m_host.SetScrollPosition(
        SB_VERT, WheelScrollPosition(m_host.ScrollPosition(SB_VERT), delta, m_host.WheelLines(), g.rowHeight));
    InvalidateAll();
    if (g.rowHeight > 0)
        SelectItem(m_host.ScrollPosition(SB_VERT) / g.rowHeight, -1, MK_LBUTTON);
    return 0;
}

// Editing ------------------------------------------------------------------------------

bool CSkinListInput::BeginEdit(int row, int column)
{
    EnsureVisible(row, column);
    HWND list = Window();
    RECT cell;
    if (::GetFocus() != list || !m_host.GetCellRect(row, column, cell))
        return false;
    const int key = m_host.ColumnKey(column);
    const int32_t format = m_host.EffectiveFormat(row, key);
    if (format & kListReadOnly)
        return true;
    const int kind = m_host.EffectiveKind(row, key);
    if (kind != kListCellEdit && kind != kListCellDate)
        return true;
    m_editing = true;
    ::RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    const std::string text = m_host.ItemText(row, key);
    bool shown = kind == kListCellEdit ? m_host.EditBox().Begin(list, row, column, cell, format, text)
                                       : m_host.DatePicker().Begin(list, row, column, cell, format, text);
    if (!shown) {
        m_editing = false;
        InvalidateAll();
    }
    return shown;
}

LRESULT CSkinListInput::OnNotify(UINT, WPARAM, LPARAM lp, BOOL& handled)
{
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lp);
    if (!header || static_cast<int>(header->code) != SLN_ENDEDIT) {
        handled = FALSE;
        return 0;
    }
    EndEdit(*reinterpret_cast<const SkinListNotify*>(lp));
    return 0;
}

void CSkinListInput::EndEdit(const SkinListNotify& notify)
{
    m_editing = false;
    const int row = notify.row;
    if (EndKeyOf(notify) == kEndKeyEscape) {
        m_host.InvalidateRow(row);
        return;
    }
    const int key = m_host.ColumnKey(notify.column);
    std::string text = notify.text ? notify.text : "";
    if (notify.time)
        text = std::atof(text.c_str()) != 0 ? FormatCellDateTime(*notify.time) : std::string();
    m_host.SetItemText(row, key, text);
    if (EndKeyOf(notify) == kEndKeyTab)
        ::PostMessageA(Window(), WM_KEYDOWN, VK_TAB, 0);
    NotifyParent(row, notify.column, SLN_CELLCHANGED);
    m_host.InvalidateRow(row);
}

// Header dragging -----------------------------------------------------------------------

bool CSkinListInput::HeaderDragOver(POINT client)
{
    const ListGeometry g = m_host.Geometry();
    int position = -1;
    if (m_host.InputOptions().headerShown && client.y >= 0 && client.y < g.headerHeight)
        position = HeaderDropPosition(g.widths, g.scrollX, m_host.DragSource(), client.x);
    m_host.DropPosition() = position;
    if (position < 0) {
        m_host.HideDropArrows();
        return false;
    }
    POINT arrows = { HeaderDropArrowX(g.widths, g.scrollX, position), g.headerHeight / 2 };
    ::ClientToScreen(Window(), &arrows);
    m_host.ShowDropArrows(arrows);
    return true;
}

bool CSkinListInput::HeaderDrop(CLIPFORMAT format)
{
    if (format != HeaderClipboardFormat())
        return false;
    const int source = m_host.DragSource();
    const int position = m_host.DropPosition();
    if (source < 0 || position < 0)
        return false;
    m_host.MoveHeaderColumn(source, position);
    InvalidateAll();
    return true;
}
