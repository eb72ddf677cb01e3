#include "views/KeywordListCtrl.h"

#include "base/DcGuards.h"

LRESULT CKeywordListCtrl::OnCreate(UINT msg, WPARAM wp, LPARAM lp, BOOL&)
{
    const LRESULT result = DefWindowProc(msg, wp, lp);
    if (result == -1)
        return result;

    // The panel's list never keeps a selection on show while it lacks the
    // focus, and has no header to click.
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrA(m_hWnd, GWL_STYLE));
    const DWORD fixed
        = (style & ~static_cast<DWORD>(LVS_SHOWSELALWAYS)) | LVS_NOCOLUMNHEADER | LVS_NOSORTHEADER;
    if (fixed != style)
        SetWindowLongPtrA(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(fixed));

    // One column, as wide as an empty text plus a margin until the first
    // WM_SIZE widens it to the control.
    char empty[1] = "";
    const int textWidth = static_cast<int>(
        SendMessage(LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(static_cast<char*>(empty))));
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = textWidth + 15;
    column.pszText = empty;
    column.iSubItem = 0;
    SendMessage(LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));

    const DWORD now = static_cast<DWORD>(GetWindowLongPtrA(m_hWnd, GWL_STYLE));
    if ((now & LVS_TYPEMASK) != LVS_REPORT)
        SetWindowLongPtrA(
            m_hWnd, GWL_STYLE, static_cast<LONG_PTR>((now & ~static_cast<DWORD>(LVS_TYPEMASK)) | LVS_REPORT));

    SetBkColor(kBackground);
    return result;
}

LRESULT CKeywordListCtrl::OnSize(UINT, WPARAM, LPARAM, BOOL& handled)
{
    SetColumnWidth(0, LVSCW_AUTOSIZE_USEHEADER);
    handled = FALSE; // the list view lays itself out as well
    return 0;
}

LRESULT CKeywordListCtrl::OnCustomDraw(int, NMHDR* header, BOOL& handled)
{
    NMLVCUSTOMDRAW* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
    handled = TRUE;
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        return DrawItem(draw);
    case CDDS_POSTPAINT:
    case CDDS_PREERASE:
    case CDDS_POSTERASE:
    case CDDS_ITEMPOSTPAINT:
    case CDDS_ITEMPREERASE:
    case CDDS_ITEMPOSTERASE:
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
        return CDRF_DODEFAULT;
    default:
        handled = FALSE;
        return CDRF_DODEFAULT;
    }
}

DWORD CKeywordListCtrl::DrawItem(NMLVCUSTOMDRAW* draw)
{
    HDC dc = draw->nmcd.hdc;
    const int item = static_cast<int>(draw->nmcd.dwItemSpec);
    RECT label = {};
    GetItemRect(item, &label, LVIR_LABEL);

    char text[kMaxTextLength + 1] = {};
    LVITEMA info = {};
    info.iSubItem = 0;
    info.pszText = text;
    info.cchTextMax = sizeof(text);
    SendMessage(LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&info));

    // The item state of the notification is not reliable for list views
    // (it reports the focus on every row while the list has the focus), so
    // the states are asked from the list itself. They are shown only while
    // the list has the keyboard focus, as the list view shows them without
    // LVS_SHOWSELALWAYS: it repaints the selected rows when the focus leaves,
    // and a click elsewhere (the frame's side panel toggled) leaves no grey
    // bar behind.
    const UINT state = ::GetFocus() == m_hWnd
        ? static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, static_cast<WPARAM>(item), LVIS_SELECTED | LVIS_FOCUSED))
        : 0;
    const COLORREF fill = (state & LVIS_SELECTED) ? kSelectedBackground : kBackground;
    const COLORREF oldBack = ::SetBkColor(dc, fill);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &label, "", 0, nullptr);
    ::SetBkColor(dc, oldBack);

    if (state & LVIS_FOCUSED)
        ::DrawFocusRect(dc, &label);

    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF oldText = ::SetTextColor(dc, kText);
    ::DrawTextA(dc, text, -1, &label, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    ::SetTextColor(dc, oldText);
    ::SetBkMode(dc, oldMode);
    return CDRF_SKIPDEFAULT;
}
