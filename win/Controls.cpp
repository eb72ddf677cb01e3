#include "win/Controls.h"
#include <vector>

namespace {

// Reads a text whose length the control reports first; "" when it reports an error.
template <class Fetch> std::string ReadText(LRESULT length, Fetch fetch)
{
    if (length < 0)
        return std::string();
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    fetch(buffer.data());
    return std::string(buffer.data());
}

// Reads a text from a control that takes a buffer size but cannot report
// the length: grows the buffer until the text fits.
template <class Fetch> std::string ReadGrowing(Fetch fetch)
{
    for (size_t size = 256; size <= (1u << 20); size *= 4) {
        std::vector<char> buffer(size, '\0');
        int copied = fetch(buffer.data(), static_cast<int>(size));
        if (copied < 0)
            return std::string();
        if (static_cast<size_t>(copied) < size - 1)
            return std::string(buffer.data());
    }
    return std::string();
}

} // namespace

std::string CComboBox::GetLBText(int index) const
{
    LRESULT length = SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
    return ReadText(length == CB_ERR ? -1 : length, [&](char* buffer) {
        SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer));
    });
}

std::string CListBox::GetText(int index) const
{
    LRESULT length = SendMessage(LB_GETTEXTLEN, static_cast<WPARAM>(index));
    return ReadText(length == LB_ERR ? -1 : length, [&](char* buffer) {
        SendMessage(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer));
    });
}

int CListViewCtrl::InsertColumn(int index, const char* text, int width, int format)
{
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = format;
    column.cx = width;
    column.pszText = const_cast<char*>(text);
    return static_cast<int>(
        SendMessage(LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column)));
}

int CListViewCtrl::InsertItem(int index, const char* text, LPARAM data)
{
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = index;
    item.pszText = const_cast<char*>(text);
    item.lParam = data;
    return static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

bool CListViewCtrl::SetItemText(int index, int subItem, const char* text)
{
    LVITEMA item = {};
    item.iSubItem = subItem;
    item.pszText = const_cast<char*>(text);
    return SendMessage(LVM_SETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) != 0;
}

std::string CListViewCtrl::GetItemText(int index, int subItem) const
{
    return ReadGrowing([&](char* buffer, int size) {
        LVITEMA item = {};
        item.iSubItem = subItem;
        item.pszText = buffer;
        item.cchTextMax = size;
        return static_cast<int>(
            SendMessage(LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
    });
}

LPARAM CListViewCtrl::GetItemData(int index) const
{
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    return SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) ? item.lParam : 0;
}

bool CListViewCtrl::SetItemState(int index, UINT state, UINT mask)
{
    LVITEMA item = {};
    item.state = state;
    item.stateMask = mask;
    return SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) != 0;
}

HTREEITEM CTreeViewCtrl::InsertItem(const char* text, HTREEITEM parent, HTREEITEM after, LPARAM data)
{
    TVINSERTSTRUCTA insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<char*>(text);
    insert.item.lParam = data;
    return reinterpret_cast<HTREEITEM>(SendMessage(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

std::string CTreeViewCtrl::GetItemText(HTREEITEM handle) const
{
    return ReadGrowing([&](char* buffer, int size) {
        TVITEMA item = {};
        item.mask = TVIF_TEXT;
        item.hItem = handle;
        item.pszText = buffer;
        item.cchTextMax = size;
        if (!SendMessage(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
            return -1;
        return static_cast<int>(lstrlenA(buffer));
    });
}

LPARAM CTreeViewCtrl::GetItemData(HTREEITEM handle) const
{
    TVITEMA item = {};
    item.mask = TVIF_PARAM;
    item.hItem = handle;
    return SendMessage(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) ? item.lParam : 0;
}

HTREEITEM CTreeViewCtrl::HitTest(POINT p, UINT* flags) const
{
    TVHITTESTINFO info = {};
    info.pt = p;
    HTREEITEM item
        = reinterpret_cast<HTREEITEM>(SendMessage(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    if (flags)
        *flags = info.flags;
    return item;
}

HWND CToolTipCtrl::Create(HWND owner, DWORD style)
{
    m_hWnd = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | style, CW_USEDEFAULT,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, nullptr, nullptr);
    return m_hWnd;
}

namespace {

TTTOOLINFOA MakeTool(HWND window, UINT_PTR id, const char* text)
{
    TTTOOLINFOA tool = {};
    tool.cbSize = sizeof(tool);
    tool.hwnd = window;
    tool.uId = id;
    tool.lpszText = const_cast<char*>(text ? text : "");
    return tool;
}

} // namespace

bool CToolTipCtrl::AddTool(HWND window, UINT_PTR id, const char* text, const RECT* rect, UINT flags)
{
    TTTOOLINFOA tool = MakeTool(window, id, text);
    tool.uFlags = flags;
    if (rect)
        tool.rect = *rect;
    else
        ::GetClientRect(window, &tool.rect);
    return SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
}

void CToolTipCtrl::DelTool(HWND window, UINT_PTR id)
{
    TTTOOLINFOA tool = MakeTool(window, id, nullptr);
    SendMessage(TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void CToolTipCtrl::UpdateTipText(HWND window, UINT_PTR id, const char* text)
{
    TTTOOLINFOA tool = MakeTool(window, id, text);
    SendMessage(TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
}
