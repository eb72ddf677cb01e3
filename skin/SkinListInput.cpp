#include "skin/SkinListInput.h"
#include "base/MbcsText.h"
#include "skin/ListDateText.h"
#include "skin/ListDragPayload.h"
#include "skin/ListInputRules.h"
#include "skin/SkinListTypes.h"
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

bool CSkinListInput::GetBand(RECT& band)
{
    ListStateAccess state = m_host.ViewState();
    if (!state->bandActive)
        return false;
    band = state->band;
    return true;
}

bool CSkinListInput::GetSelectedCell(int& row, int& column)
{
    const bool cellSelection = m_host.InputOptions().cellSelection;
    ListStateAccess state = m_host.ViewState();
    const std::set<int>& selection = state->selection;
    row = -1;
    column = -1;
    if (selection.count(state->focusRow))
        row = state->focusRow;
    else if (!selection.empty())
        row = *selection.begin();
    if (row != -1 && cellSelection)
        column = state->focusColumn;
    return row != -1;
}

// Selection and visibility ------------------------------------------------------

void CSkinListInput::SelectFocusCell(UINT keys)
{
    int row;
    int column;
    {
        ListStateAccess state = m_host.ViewState();
        row = state->focusRow;
        column = state->focusColumn;
    }
    SelectItem(row, column, keys);
}

bool CSkinListInput::SelectItem(int row, int column, UINT keys)
{
    if (row < 0 || row >= m_host.Geometry().rowCount)
        return false;
    const bool single = m_host.InputOptions().singleSelection;
    bool notify;
    int focusRow;
    int focusColumn;
    {
        ListStateAccess state = m_host.ViewState();
        notify = ApplySelectItem(
            state->selection, state->anchorRow, state->focusRow, state->focusColumn, row, column, keys, single);
        focusRow = state->focusRow;
        focusColumn = state->focusColumn;
    }
    if (notify)
        NotifyParent(row, focusColumn, SLN_SELCHANGED);
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
    const int value = ListBoxValueSign(m_host.ItemText(row, key));
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
    {
        ListStateAccess state = m_host.ViewState();
        state->tipRow = -1;
        state->tipColumn = -1;
    }
    tip->Hide();
}

void CSkinListInput::ShowTitleTip(int row, int column, CPoint point)
{
    CTitleTip* tip = m_host.TitleTip();
    if (!tip)
        return;
    {
        ListStateAccess state = m_host.ViewState();
        if (state->editing || (state->tipColumn == column && state->tipRow == row))
            return;
    }
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
        ListStateAccess state = m_host.ViewState();
        state->tipRow = row;
        state->tipColumn = column;
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
            m_host.ViewState()->pressedHeader = header.column;
            m_host.InvalidateHeader();
        }
        return;
    }
    ListCellHit cell = HitTestCell(point);
    if (!cell.found) {
        m_host.ViewState()->anchorRow = -1;
        m_bandFlag = true;
        return;
    }
    const bool modifiers = (keys & (MK_SHIFT | MK_CONTROL)) != 0;
    if (!modifiers && cell.column != 0) {
        m_bandFlag = true;
        m_host.ViewState()->anchorRow = cell.row;
    }
    bool keepSelection;
    {
        ListStateAccess state = m_host.ViewState();
        keepSelection = state->selection.count(cell.row) && state->selection.size() >= 2;
    }
    // Pressing on one of several selected rows keeps them for a drag.
    if (modifiers || !keepSelection)
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
        // The release went elsewhere: whatever the press started is over.
        EndBand();
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
    int resizeColumn;
    int pressedHeader;
    bool banding;
    {
        ListStateAccess state = m_host.ViewState();
        resizeColumn = state->resizeColumn;
        pressedHeader = state->pressedHeader;
        banding = state->bandActive;
    }
    if (resizeColumn >= 0) {
        ContinueResize();
        return;
    }
    const int dx = std::abs(point.x - m_pressClient.x);
    const int dy = std::abs(point.y - m_pressClient.y);
    if (pressedHeader >= 0) {
        if (dx > 4 || dy > 4) {
            HideTitleTip();
            m_host.ViewState()->dragSource = pressedHeader;
            m_host.RunHeaderDrag(pressedHeader);
            // Whatever the drag's outcome, the gesture is over.
            m_host.HideDropArrows();
            if (m_buttonDown) {
                if (::GetCapture() == Window())
                    ::ReleaseCapture();
                m_buttonDown = false;
                m_bandFlag = false;
                m_host.ViewState()->bandActive = false;
            }
            m_host.ViewState()->pressedHeader = -1;
            m_host.InvalidateHeader();
            ListStateAccess state = m_host.ViewState();
            state->dragSource = -1;
            state->dropPosition = -1;
        }
        return;
    }
    if (!banding && (dx > 3 || dy > 3)) {
        const SkinListInputOptions options = m_host.InputOptions();
        if (m_bandFlag || !options.rowDragging) {
            ListStateAccess state = m_host.ViewState();
            if (!options.singleSelection && !state->editing)
                state->bandActive = banding = true;
        } else {
            ListCellHit cell = HitTestCell(point);
            if (cell.found) {
                if (!m_host.ViewState()->selection.count(cell.row))
                    SelectItem(cell.row, cell.column, keys);
                m_host.RowDragOver(cell.row);
            }
        }
    }
    if (banding)
        UpdateBand(point);
}

void CSkinListInput::Hover(CPoint point)
{
    const SkinListInputOptions options = m_host.InputOptions();
    HeaderHit header = HitTestHeader(point);
    if (options.visualStyles) {
        const int hot = header.found ? header.column : -1;
        bool changed;
        {
            ListStateAccess state = m_host.ViewState();
            changed = hot != state->hotHeader;
            state->hotHeader = hot;
        }
        if (changed)
            m_host.InvalidateHeader();
    }
    if (header.found) {
        HideTitleTip();
        if (!m_host.IsColumnFixed(header.column) && (header.flags & kHeaderHitDivider))
            ::SetCursor(m_host.ResizeCursor());
        return;
    }
    int hotRow;
    int hotColumn;
    {
        ListStateAccess state = m_host.ViewState();
        hotRow = state->hotRow;
        hotColumn = state->hotColumn;
    }
    auto setHot = [&](int row, int column) {
        ListStateAccess state = m_host.ViewState();
        state->hotRow = row;
        state->hotColumn = column;
    };
    ListCellHit cell = HitTestCell(point);
    if (!cell.found) {
        if (hotRow >= 0 && hotColumn >= 0 && IsEditableLink(m_host, hotRow, hotColumn))
            m_host.InvalidateRow(hotRow);
        ClearRowTooltip();
        setHot(-1, -1);
        HideTitleTip();
        return;
    }
    const bool link = IsEditableLink(m_host, cell.row, cell.column);
    if (hotColumn != cell.column || hotRow != cell.row) {
        if (hotRow >= 0 && hotColumn >= 0 && IsEditableLink(m_host, hotRow, hotColumn))
            m_host.InvalidateRow(hotRow);
        setHot(cell.row, cell.column);
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
    bool headerWasHot;
    bool cellWasHot;
    {
        ListStateAccess state = m_host.ViewState();
        headerWasHot = state->hotHeader != -1;
        cellWasHot = state->hotRow != -1 || state->hotColumn != -1;
        state->hotHeader = -1;
        state->hotRow = -1;
        state->hotColumn = -1;
    }
    if (headerWasHot)
        m_host.InvalidateHeader();
    if (cellWasHot)
        InvalidateAll();
    return 0;
}

void CSkinListInput::OnLButtonUp(UINT keys, CPoint point, BOOL&)
{
    // Taken before the capture goes, which would end the band.
    const bool endedBand = m_host.ViewState()->bandActive;
    if (m_buttonDown && ::GetCapture() == Window())
        ::ReleaseCapture();
    int resizeColumn;
    int pressedHeader;
    {
        ListStateAccess state = m_host.ViewState();
        resizeColumn = state->resizeColumn;
        pressedHeader = state->pressedHeader;
    }
    if (resizeColumn >= 0 || pressedHeader >= 0) {
        int row, column;
        GetSelectedCell(row, column);
        if (pressedHeader >= 0 && resizeColumn < 0)
            m_host.SortByColumn(pressedHeader, 0, false);
        {
            ListStateAccess state = m_host.ViewState();
            state->resizeColumn = -1;
            state->pressedHeader = -1;
        }
        if (m_narrowTimer) {
            ::KillTimer(Window(), kListTimerNarrowColumn);
            m_narrowTimer = false;
        }
        const int focusRow = row == -1 ? 0 : row;
        {
            ListStateAccess state = m_host.ViewState();
            state->focusRow = focusRow;
            state->focusColumn = column;
        }
        EnsureVisible(focusRow, column);
        SelectItem(focusRow, column, 0);
        m_host.InvalidateHeader();
    }
    m_host.ViewState()->bandActive = false;
    m_bandFlag = false;
    m_buttonDown = false;
    if (endedBand) {
        ::KillTimer(Window(), kListTimerBandScroll);
        InvalidateAll();
        return;
    }
    ListCellHit cell = HitTestCell(point);
    bool oneOfSeveral = false;
    if (cell.found) {
        ListStateAccess state = m_host.ViewState();
        oneOfSeveral = state->selection.count(cell.row) && state->selection.size() > 1;
    }
    if (oneOfSeveral && !(keys & (MK_SHIFT | MK_CONTROL)))
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
    if (cell.found && !m_host.ViewState()->selection.count(cell.row))
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
    m_host.ViewState()->bandActive = false;
    HideTitleTip();
    m_host.HideDropArrows();
    bool resizing;
    {
        ListStateAccess state = m_host.ViewState();
        state->pressedHeader = -1;
        state->dragSource = -1;
        resizing = state->resizeColumn >= 0;
        state->resizeColumn = -1;
    }
    if (resizing) {
        ::KillTimer(Window(), kListTimerNarrowColumn);
        m_narrowTimer = false;
    }
    return 0;
}

LRESULT CSkinListInput::OnCaptureChanged(UINT, WPARAM, LPARAM lp, BOOL& handled)
{
    // Another window holds the mouse now: a band would go on scrolling and
    // selecting with no button down.
    if (reinterpret_cast<HWND>(lp) != Window())
        EndBand();
    handled = FALSE;
    return 0;
}

void CSkinListInput::EndBand()
{
    m_bandFlag = false;
    {
        ListStateAccess state = m_host.ViewState();
        if (!state->bandActive)
            return;
        state->bandActive = false;
    }
    ::KillTimer(Window(), kListTimerBandScroll);
    InvalidateAll();
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
    m_host.ViewState()->resizeColumn = column;
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
    const int column = m_host.ViewState()->resizeColumn;
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
    const CRect band(std::min(m_pressContent.x, content.x), std::min(m_pressContent.y, content.y),
        std::max(m_pressContent.x, content.x), std::max(m_pressContent.y, content.y));
    m_host.ViewState()->band = band;
    if (band.IsEmpty())
        return;
    SelectBandRows();
    ::SetTimer(Window(), kListTimerBandScroll, 20, nullptr);
    ScrollBandTowards(pointer);
    ::RedrawWindow(Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CSkinListInput::SelectBandRows()
{
    const ListGeometry g = m_host.Geometry();
    const int scrollY = m_host.ScrollPosition(SB_VERT);
    const int totalWidth = m_host.TotalWidth();
    ListStateAccess state = m_host.ViewState();
    const RECT& band = state->band;
    state->selection.clear();
    int first = -1, last = -1;
    if (band.left < totalWidth - 1
        && BandRowRange(band.top - scrollY, band.bottom - scrollY, g.headerHeight, g.rowHeight, g.topRow,
            g.rowCount, first, last)) {
        for (int row = first; row <= last; ++row)
            state->selection.insert(row);
        state->anchorRow = first;
        state->focusRow = last;
        state->focusColumn = -1;
    } else {
        state->anchorRow = -1;
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
    // The band's edge on the scrolled side follows the scroll; the other takes the pointer.
    auto setBand = [&](LONG RECT::*edge, int value, LONG RECT::*other, int otherValue) {
        ListStateAccess state = m_host.ViewState();
        state->band.*edge = value;
        state->band.*other = otherValue;
    };
    if (pointer.y < headerBottom) {
        if (scroll(WM_VSCROLL, SB_LINEUP, SB_VERT)) {
            setBand(&RECT::top, m_host.ScrollPosition(SB_VERT) + headerBottom - 1, &RECT::bottom,
                std::max(m_pressContent.y, content.y));
            scrolled = true;
        }
    } else if (pointer.y > client.bottom) {
        if (scroll(WM_VSCROLL, SB_LINEDOWN, SB_VERT)) {
            setBand(&RECT::bottom, m_host.ScrollPosition(SB_VERT) + client.bottom + 1, &RECT::top,
                std::min(m_pressContent.y, content.y));
            scrolled = true;
        }
    }
    if (pointer.x < client.left) {
        if (scroll(WM_HSCROLL, SB_LINELEFT, SB_HORZ)) {
            setBand(&RECT::left, m_host.ScrollPosition(SB_HORZ) + client.left - 1, &RECT::right,
                std::max(m_pressContent.x, content.x));
            scrolled = true;
        }
    } else if (pointer.x > client.right) {
        if (scroll(WM_HSCROLL, SB_LINERIGHT, SB_HORZ)) {
            setBand(&RECT::right, m_host.ScrollPosition(SB_HORZ) + client.right + 1, &RECT::left,
                std::min(m_pressContent.x, content.x));
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
        const int column = m_host.ViewState()->resizeColumn;
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
        if (!m_host.ViewState()->bandActive) {
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
            {
                ListStateAccess state = m_host.ViewState();
                state->focusRow = move.row;
                state->focusColumn = move.column;
            }
            EnsureVisible(move.row, move.column);
        }
        if (!ctrl)
            SelectFocusCell(selectKeys);
        return;
    case ListKeyMove::kScroll:
        m_host.SetScrollPosition(SB_HORZ, move.scrollX);
        InvalidateAll();
        if (!ctrl)
            SelectFocusCell(selectKeys);
        return;
    case ListKeyMove::kSelectOnly:
        SelectFocusCell(selectKeys);
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
            {
                ListStateAccess state = m_host.ViewState();
                for (int r = 0; r < g.rowCount; ++r)
                    state->selection.insert(r);
            }
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
    if (IsEditing() && ::GetFocus() != Window())
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
    m_host.ViewState()->editing = true;
    ::RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    const std::string text = m_host.ItemText(row, key);
    bool shown = kind == kListCellEdit ? m_host.EditBox().Begin(list, row, column, cell, format, text)
                                       : m_host.DatePicker().Begin(list, row, column, cell, format, text);
    if (!shown) {
        m_host.ViewState()->editing = false;
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
    m_host.ViewState()->editing = false;
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
        position = HeaderDropPosition(g.widths, g.scrollX, m_host.ViewState()->dragSource, client.x);
    m_host.ViewState()->dropPosition = position;
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
    int source;
    int position;
    {
        ListStateAccess state = m_host.ViewState();
        source = state->dragSource;
        position = state->dropPosition;
    }
    if (source < 0 || position < 0)
        return false;
    m_host.MoveHeaderColumn(source, position);
    InvalidateAll();
    return true;
}
