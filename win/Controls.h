#pragma once
// Thin wrappers over the system and common controls: the handle plus the
// messages the skinned controls and views send. Text is code page 936 ("A"
// messages). Each works on a window created elsewhere, or is the TBase of a
// window object (CWindowImpl<CMyList, CListViewCtrl>).
#include <windows.h>
#include <commctrl.h>
#include <string>
#include "win/Window.h"

class CEdit : public CWindow
{
public:
    using CWindow::CWindow;
    static const char* GetWndClassName() { return "EDIT"; }
    void SetSel(int start, int end) { SendMessage(EM_SETSEL, static_cast<WPARAM>(start), end); }
    void SetLimitText(int limit) { SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(limit)); }
    void SetMargins(int left, int right)
    {
        SendMessage(EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(left, right));
    }
    void ReplaceSel(const char* text, bool canUndo = false)
    {
        SendMessage(EM_REPLACESEL, canUndo, reinterpret_cast<LPARAM>(text));
    }
    bool SetReadOnly(bool readOnly) { return SendMessage(EM_SETREADONLY, readOnly) != 0; }
};

class CComboBox : public CWindow
{
public:
    using CWindow::CWindow;
    static const char* GetWndClassName() { return "COMBOBOX"; }
    int AddString(const char* text)
    {
        return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    }
    int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
    int SetCurSel(int index)
    {
        return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index)));
    }
    int FindStringExact(const char* text, int after = -1) const
    {
        return static_cast<int>(
            SendMessage(CB_FINDSTRINGEXACT, static_cast<WPARAM>(after), reinterpret_cast<LPARAM>(text)));
    }
    // "" for an index out of range.
    std::string GetLBText(int index) const;
    void ResetContent() { SendMessage(CB_RESETCONTENT); }
    bool ShowDropDown(bool show = true) { return SendMessage(CB_SHOWDROPDOWN, show) != 0; }
    bool GetDroppedState() const { return SendMessage(CB_GETDROPPEDSTATE) != 0; }
    // The edit child of a drop-down combo box (null for a drop-down list).
    HWND GetEditCtrl() const
    {
        COMBOBOXINFO info = {};
        info.cbSize = sizeof(info);
        return ::GetComboBoxInfo(m_hWnd, &info) ? info.hwndItem : nullptr;
    }
};

class CListBox : public CWindow
{
public:
    using CWindow::CWindow;
    static const char* GetWndClassName() { return "LISTBOX"; }
    int AddString(const char* text)
    {
        return static_cast<int>(SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    }
    int GetCount() const { return static_cast<int>(SendMessage(LB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(LB_GETCURSEL)); }
    int SetCurSel(int index)
    {
        return static_cast<int>(SendMessage(LB_SETCURSEL, static_cast<WPARAM>(index)));
    }
    DWORD_PTR GetItemData(int index) const
    {
        return static_cast<DWORD_PTR>(SendMessage(LB_GETITEMDATA, static_cast<WPARAM>(index)));
    }
    int SetItemData(int index, DWORD_PTR data)
    {
        return static_cast<int>(
            SendMessage(LB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data)));
    }
    std::string GetText(int index) const;
    void ResetContent() { SendMessage(LB_RESETCONTENT); }
    int GetTopIndex() const { return static_cast<int>(SendMessage(LB_GETTOPINDEX)); }
    int GetItemHeight(int index) const
    {
        return static_cast<int>(SendMessage(LB_GETITEMHEIGHT, static_cast<WPARAM>(index)));
    }
};

class CListViewCtrl : public CWindow
{
public:
    using CWindow::CWindow;
    static const char* GetWndClassName() { return WC_LISTVIEWA; }
    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    int InsertColumn(int index, const char* text, int width, int format = LVCFMT_LEFT);
    int InsertItem(int index, const char* text, LPARAM data = 0);
    bool SetItemText(int item, int subItem, const char* text);
    std::string GetItemText(int item, int subItem) const;
    LPARAM GetItemData(int item) const;
    bool DeleteItem(int item) { return SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(item)) != 0; }
    bool DeleteAllItems() { return SendMessage(LVM_DELETEALLITEMS) != 0; }
    int GetNextItem(int start, UINT flags) const
    {
        return static_cast<int>(
            SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(start), MAKELPARAM(flags, 0)));
    }
    int GetSelectedIndex() const { return GetNextItem(-1, LVNI_SELECTED); }
    bool SetItemState(int item, UINT state, UINT mask);
    bool GetItemRect(int item, RECT* r, UINT code = LVIR_BOUNDS) const
    {
        r->left = static_cast<LONG>(code);
        return SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(r)) != 0;
    }
    bool EnsureVisible(int item)
    {
        return SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), FALSE) != 0;
    }
    int HitTest(POINT p) const
    {
        LVHITTESTINFO info = {};
        info.pt = p;
        return static_cast<int>(SendMessage(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    }
    DWORD SetExtendedListViewStyle(DWORD style, DWORD mask = 0)
    {
        return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, mask, style));
    }
    bool SetColumnWidth(int column, int width)
    {
        return SendMessage(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), width) != 0;
    }
    bool SetBkColor(COLORREF c) { return SendMessage(LVM_SETBKCOLOR, 0, static_cast<LPARAM>(c)) != 0; }
    bool SetTextColor(COLORREF c) { return SendMessage(LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(c)) != 0; }
    bool SetTextBkColor(COLORREF c)
    {
        return SendMessage(LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(c)) != 0;
    }
};

class CTreeViewCtrl : public CWindow
{
public:
    using CWindow::CWindow;
    static const char* GetWndClassName() { return WC_TREEVIEWA; }
    HTREEITEM InsertItem(
        const char* text, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST, LPARAM data = 0);
    bool DeleteItem(HTREEITEM item)
    {
        return SendMessage(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item)) != 0;
    }
    bool DeleteAllItems() { return DeleteItem(TVI_ROOT); }
    HTREEITEM GetNextItem(HTREEITEM item, UINT code) const
    {
        return reinterpret_cast<HTREEITEM>(
            SendMessage(TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
    }
    HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
    HTREEITEM GetChildItem(HTREEITEM item) const { return GetNextItem(item, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM item) const { return GetNextItem(item, TVGN_NEXT); }
    HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }
    bool SelectItem(HTREEITEM item)
    {
        return SendMessage(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)) != 0;
    }
    bool Expand(HTREEITEM item, UINT code = TVE_EXPAND)
    {
        return SendMessage(TVM_EXPAND, code, reinterpret_cast<LPARAM>(item)) != 0;
    }
    std::string GetItemText(HTREEITEM item) const;
    LPARAM GetItemData(HTREEITEM item) const;
    bool GetItemRect(HTREEITEM item, RECT* r, bool textOnly) const
    {
        *reinterpret_cast<HTREEITEM*>(r) = item;
        return SendMessage(TVM_GETITEMRECT, textOnly, reinterpret_cast<LPARAM>(r)) != 0;
    }
    HTREEITEM HitTest(POINT p, UINT* flags = nullptr) const;
    COLORREF SetBkColor(COLORREF c)
    {
        return static_cast<COLORREF>(SendMessage(TVM_SETBKCOLOR, 0, static_cast<LPARAM>(c)));
    }
    COLORREF SetTextColor(COLORREF c)
    {
        return static_cast<COLORREF>(SendMessage(TVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(c)));
    }
    COLORREF SetLineColor(COLORREF c)
    {
        return static_cast<COLORREF>(SendMessage(TVM_SETLINECOLOR, 0, static_cast<LPARAM>(c)));
    }
    DWORD SetExtendedStyle(DWORD style, DWORD mask)
    {
        return static_cast<DWORD>(SendMessage(TVM_SETEXTENDEDSTYLE, mask, style));
    }
};

// Tool descriptions use the version-6 structure size (the manifest is embedded).
class CToolTipCtrl : public CWindow
{
public:
    using CWindow::CWindow;
    static const char* GetWndClassName() { return TOOLTIPS_CLASSA; }
    // A popup tooltip owned by owner; null on failure.
    HWND Create(HWND owner, DWORD style = TTS_ALWAYSTIP | TTS_NOPREFIX);
    // A tool (window, id) over a rectangle of window's client area (all of
    // it when rect is null).
    bool AddTool(
        HWND window, UINT_PTR id, const char* text, const RECT* rect = nullptr, UINT flags = TTF_SUBCLASS);
    void DelTool(HWND window, UINT_PTR id);
    void UpdateTipText(HWND window, UINT_PTR id, const char* text);
    void SetMaxTipWidth(int width) { SendMessage(TTM_SETMAXTIPWIDTH, 0, width); }
    void Activate(bool active) { SendMessage(TTM_ACTIVATE, active); }
    void RelayEvent(MSG* msg) { SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg)); }
    void Pop() { SendMessage(TTM_POP); }
    int GetToolCount() const { return static_cast<int>(SendMessage(TTM_GETTOOLCOUNT)); }
};

class CDateTimePickerCtrl : public CWindow
{
public:
    using CWindow::CWindow;
    static const char* GetWndClassName() { return DATETIMEPICK_CLASSA; }
    // GDT_VALID with the time, or GDT_NONE when "no date" is checked.
    DWORD GetSystemTime(SYSTEMTIME* time) const
    {
        return static_cast<DWORD>(SendMessage(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(time)));
    }
    // A null time sets "no date" (DTS_SHOWNONE). Some implementations refuse
    // a null pointer even then, so a blank time travels with GDT_NONE.
    bool SetSystemTime(const SYSTEMTIME* time)
    {
        SYSTEMTIME blank = {};
        return SendMessage(DTM_SETSYSTEMTIME, time ? GDT_VALID : GDT_NONE,
                   reinterpret_cast<LPARAM>(time ? time : &blank))
            != 0;
    }
    bool SetFormat(const char* format)
    {
        return SendMessage(DTM_SETFORMATA, 0, reinterpret_cast<LPARAM>(format)) != 0;
    }
};

class CScrollBar : public CWindow
{
public:
    using CWindow::CWindow;
    static const char* GetWndClassName() { return "SCROLLBAR"; }
    bool GetScrollInfo(SCROLLINFO* info) const
    {
        info->cbSize = sizeof(SCROLLINFO);
        return ::GetScrollInfo(m_hWnd, SB_CTL, info) != FALSE;
    }
    int SetScrollInfo(SCROLLINFO* info, bool redraw = true)
    {
        info->cbSize = sizeof(SCROLLINFO);
        return ::SetScrollInfo(m_hWnd, SB_CTL, info, redraw);
    }
    int GetScrollPos() const { return ::GetScrollPos(m_hWnd, SB_CTL); }
    int SetScrollPos(int pos, bool redraw = true) { return ::SetScrollPos(m_hWnd, SB_CTL, pos, redraw); }
    bool SetScrollRange(int minPos, int maxPos, bool redraw = true)
    {
        return ::SetScrollRange(m_hWnd, SB_CTL, minPos, maxPos, redraw) != FALSE;
    }
};

class CProgressBarCtrl : public CWindow
{
public:
    using CWindow::CWindow;
    static const char* GetWndClassName() { return PROGRESS_CLASSA; }
    void SetRange(int low, int high) { SendMessage(PBM_SETRANGE32, static_cast<WPARAM>(low), high); }
    int SetPos(int pos) { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(pos))); }
    int GetPos() const { return static_cast<int>(SendMessage(PBM_GETPOS)); }
};
