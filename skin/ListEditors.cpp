#include "skin/ListEditors.h"
#include "skin/ColorUtil.h"
#include "skin/ListDateText.h"
#include "skin/ListNumericFilter.h"
#include "win/AppModule.h"
#include "win/DoubleBuffer.h"
#include <uxtheme.h>
#include <vssym32.h>
#include <vector>

// CListEditorState --------------------------------------------------------------

void CListEditorState::Start(int editRow, int editColumn, int32_t editFlags)
{
    row = editRow;
    column = editColumn;
    flags = editFlags;
    endKey = kEndKeyNone;
    m_open = true;
}

bool CListEditorState::TakeEndKey(HWND editor, char ch)
{
    if (ch != kEndKeyTab && ch != kEndKeyEnter && ch != kEndKeyEscape)
        return false;
    endKey = ch;
    HWND list = ::GetParent(editor);
    if (::IsWindow(list))
        ::SetFocus(list);
    return true;
}

bool CListEditorState::Finish(HWND editor, const std::string& text, SYSTEMTIME* time)
{
    // Once per edit: a box that loses the focus again, or is destroyed with
    // the focus, reports nothing more.
    if (!m_open)
        return false;
    m_open = false;
    SendSkinListNotify(::GetParent(editor), editor, SLN_ENDEDIT, row, column, endKey, text.c_str(), time);
    return true;
}

bool CListEditorState::MakeFont()
{
    LOGFONTA logFont = {};
    if (!GetMessageFont(logFont))
        return false;
    CFont font;
    if (!font.CreateIndirect(logFont))
        return false;
    m_font = std::move(font);
    return true;
}

bool SwallowByNumericFilter(HWND edit, char ch, int32_t flags)
{
    if (!(flags & (kNumericIntegers | kNumericDecimal)))
        return false;
    CWindow box(edit);
    std::string text = box.GetWindowText();
    DWORD start = 0, end = 0;
    ::SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    NumericKeyOutcome outcome
        = FilterNumericKey(text, static_cast<int>(start), static_cast<int>(end), ch, flags);
    switch (outcome.action) {
    case NumericKeyAction::kPass:
        return false;
    case NumericKeyAction::kReject:
        return true;
    case NumericKeyAction::kReplace:
        ::SetWindowTextA(edit, outcome.text.c_str());
        ::SendMessageA(edit, EM_SETSEL, static_cast<WPARAM>(outcome.selectionStart), outcome.selectionEnd);
        return true;
    }
    return false;
}

// CListEdit ----------------------------------------------------------------------

bool CListEdit::Begin(
    HWND list, int editRow, int editColumn, const RECT& cell, int32_t format, const std::string& text)
{
    if (m_hWnd)
        DestroyWindow();
    DWORD style = WS_CHILD | ES_AUTOHSCROLL;
    if (format & (kNumericIntegers | kNumericDecimal))
        style |= ES_RIGHT;
    if (format & 0x10)
        style |= ES_UPPERCASE;
    RECT place = { cell.left + 2, cell.top + 3, cell.right - 3, cell.bottom - 2 };
    if (!Create(list, place, nullptr, style, 0, kControlId))
        return false;
    if (MakeFont())
        SetFont(m_font);
    SetMargins(5, 5);
    SetWindowText(text.c_str());
    Start(editRow, editColumn, format);
    ShowWindow(SW_SHOW);
    SetSel(0, -1);
    SendMessage(EM_SCROLLCARET);
    SetFocus();
    return true;
}

void CListEdit::OnChar(UINT ch, UINT, UINT, BOOL& handled)
{
    char c = static_cast<char>(ch);
    if (TakeEndKey(m_hWnd, c))
        return;
    if (SwallowByNumericFilter(m_hWnd, c, flags))
        return;
    handled = FALSE;
}

LRESULT CListEdit::OnKillFocus(UINT msg, WPARAM wp, LPARAM lp, BOOL&)
{
    LRESULT result = DefWindowProc(msg, wp, lp);
    if (Finish(m_hWnd, GetWindowText()) && m_hWnd)
        ShowWindow(SW_HIDE);
    return result;
}

// CListComboEdit -------------------------------------------------------------------

void CListComboEdit::OnChar(UINT ch, UINT, UINT, BOOL& handled)
{
    if (!m_combo.HandleChar(static_cast<char>(ch)))
        handled = FALSE;
}

// CListCombo -----------------------------------------------------------------------

CListCombo::CListCombo()
    : m_swappedButtons(::GetSystemMetrics(SM_SWAPBUTTON) != 0)
    , m_edit(*this)
{
}

void CListCombo::Begin(int editRow, int editColumn, int32_t format)
{
    Start(editRow, editColumn, format);
    SubclassEditChild();
    SetFocus();
}

LRESULT CListCombo::OnCreate(UINT msg, WPARAM wp, LPARAM lp, BOOL&)
{
    LRESULT result = DefWindowProc(msg, wp, lp);
    if (result != -1) {
        if (MakeFont())
            SetFont(m_font, false);
        OpenTheme();
        SubclassEditChild();
    }
    return result;
}

void CListCombo::SubclassEditChild()
{
    if (m_edit.m_hWnd)
        return;
    HWND edit = GetEditCtrl();
    if (edit)
        m_edit.SubclassWindow(edit);
}

void CListCombo::OpenTheme()
{
    m_theme.Reset();
    if (CAppModule::Get().IsThemingSupported())
        m_theme.Attach(::OpenThemeData(m_hWnd, L"COMBOBOX"));
}

LRESULT CListCombo::OnThemeChanged(UINT, WPARAM, LPARAM, BOOL& handled)
{
    OpenTheme();
    handled = FALSE;
    return 0;
}

LRESULT CListCombo::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
{
    m_theme.Reset();
    handled = FALSE;
    return 0;
}

bool CListCombo::IsDropDownList() const
{
    return (GetStyle() & 0x3) == CBS_DROPDOWNLIST;
}

bool CListCombo::GetParts(RECT& text, RECT& button) const
{
    COMBOBOXINFO info = {};
    info.cbSize = sizeof(info);
    if (!::GetComboBoxInfo(m_hWnd, &info))
        return false;
    text = info.rcItem;
    button = info.rcButton;
    return true;
}

bool CListCombo::IsHotAt(POINT client) const
{
    if (!m_hover)
        return false;
    RECT text, button;
    if (!GetParts(text, button))
        return false;
    if (IsDropDownList()) {
        RECT all;
        ::GetClientRect(m_hWnd, &all);
        return ::PtInRect(&all, client) != FALSE;
    }
    return ::PtInRect(&button, client) != FALSE;
}

LRESULT CListCombo::OnMouseMessage(UINT msg, WPARAM, LPARAM, BOOL& handled)
{
    if (msg == WM_MOUSEMOVE && !m_tracking) {
        TRACKMOUSEEVENT track = { sizeof(track), TME_LEAVE, m_hWnd, 0 };
        m_tracking = ::TrackMouseEvent(&track) != FALSE;
    }
    m_hover = true;
    RECT text, button;
    if (GetParts(text, button))
        InvalidateRect(&button, FALSE);
    handled = FALSE;
    return 0;
}

LRESULT CListCombo::OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&)
{
    m_tracking = false;
    m_hover = false;
    RECT text, button;
    if (GetParts(text, button))
        InvalidateRect(&button, FALSE);
    return 0;
}

LRESULT CListCombo::OnPaint(UINT msg, WPARAM wp, LPARAM, BOOL&)
{
    return PaintDoubleBuffered(m_hWnd, msg, wp, [this](HDC dc, const RECT& area) { Paint(dc, area); });
}

void CListCombo::Paint(HDC dc, const RECT& area)
{
    RECT text, button;
    if (!GetParts(text, button))
        return;
    RECT outside;
    bool moreThanButton = ::SubtractRect(&outside, &area, &button) != FALSE && !::IsRectEmpty(&outside);
    if (moreThanButton) {
        // The list paints its background into our buffer, shifted to where we stand on it.
        HWND parent = GetParent();
        if (parent) {
            POINT origin = { 0, 0 };
            ::MapWindowPoints(m_hWnd, parent, &origin, 1);
            POINT old;
            ::SetViewportOrgEx(dc, -origin.x, -origin.y, &old);
            ::SendMessageA(parent, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
            ::SetViewportOrgEx(dc, old.x, old.y, nullptr);
        }
    }

    DWORD pos = ::GetMessagePos();
    POINT pointer = { static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos)) };
    ScreenToClient(&pointer);
    bool hot = IsHotAt(pointer);
    bool pressed = hot && (::GetAsyncKeyState(m_swappedButtons ? VK_RBUTTON : VK_LBUTTON) & 0x8000) != 0;

    if (IsDropDownList() && moreThanButton) {
        FillSolidRect(dc, text, backgroundColour);
        int selected = GetCurSel();
        if (selected != -1) {
            std::string item = GetLBText(selected);
            RECT place = text;
            ::OffsetRect(&place, 1, 1);
            CSelectObject font(dc, reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT)));
            COLORREF oldColour = ::SetTextColor(dc, textColour);
            int oldMode = ::SetBkMode(dc, TRANSPARENT);
            ::DrawTextA(dc, item.c_str(), static_cast<int>(item.size()), &place,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
            ::SetBkMode(dc, oldMode);
            ::SetTextColor(dc, oldColour);
        }
    }

    if (themed && m_theme) {
        int state = pressed ? CBXS_PRESSED : hot ? CBXS_HOT : CBXS_NORMAL;
        ::DrawThemeBackground(m_theme, dc, CP_DROPDOWNBUTTON, state, &button, nullptr);
    } else {
        UINT style = DFCS_SCROLLDOWN | (pressed ? DFCS_PUSHED | DFCS_FLAT : 0);
        ::DrawFrameControl(dc, &button, DFC_SCROLL, style);
    }
}

bool CListCombo::HandleChar(char ch)
{
    if (TakeEndKey(m_hWnd, ch))
        return true;
    HWND edit = m_edit.m_hWnd ? m_edit.m_hWnd : nullptr;
    return edit && SwallowByNumericFilter(edit, ch, flags);
}

void CListCombo::OnChar(UINT ch, UINT, UINT, BOOL& handled)
{
    if (!HandleChar(static_cast<char>(ch)))
        handled = FALSE;
}

LRESULT CListCombo::OnKillFocus(WORD, WORD, HWND, BOOL&)
{
    std::string text;
    if (IsDropDownList()) {
        int selected = GetCurSel();
        if (selected != -1)
            text = GetLBText(selected);
    } else {
        text = GetWindowText();
    }
    if (Finish(m_hWnd, text) && m_hWnd)
        ShowWindow(SW_HIDE);
    return 0;
}

// CListDate ----------------------------------------------------------------------

namespace {

std::string LocaleText(LCTYPE type)
{
    char buffer[128] = {};
    if (!::GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof(buffer)))
        return std::string();
    return buffer;
}

}

std::string CListDate::DisplayFormat(int32_t format)
{
    if (format & 0x400)
        return LocaleText(LOCALE_SSHORTDATE);
    if (format & 0x800)
        return LocaleText(LOCALE_STIMEFORMAT);
    return LocaleText(LOCALE_SSHORTDATE) + " " + LocaleText(LOCALE_STIMEFORMAT);
}

bool CListDate::Begin(
    HWND list, int editRow, int editColumn, const RECT& cell, int32_t format, const std::string& text)
{
    if (m_hWnd)
        DestroyWindow();
    DWORD style = WS_CHILD | WS_CLIPCHILDREN;
    if (format & 0x1000)
        style |= DTS_SHOWNONE;
    if (format & 0x800)
        style |= DTS_UPDOWN;
    RECT place = { cell.left + 3, cell.top + 2, cell.right - 3, cell.bottom - 2 };
    if (!Create(list, place, nullptr, style, 0, kControlId))
        return false;
    ModifyStyleEx(WS_EX_CLIENTEDGE, 0, SWP_FRAMECHANGED);
    if (MakeFont()) {
        SetFont(m_font, false);
        SendMessage(DTM_SETMCFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(m_font)), FALSE);
    }
    SetFormat(DisplayFormat(format).c_str());

    SYSTEMTIME value = ParseCellDateTime(text);
    if (format & 0x800) {
        // A time-only cell keeps the picker's own date.
        SYSTEMTIME current = {};
        if (GetSystemTime(&current) == GDT_VALID) {
            value.wYear = current.wYear;
            value.wMonth = current.wMonth;
            value.wDay = current.wDay;
            value.wDayOfWeek = current.wDayOfWeek;
        }
        SetSystemTime(&value);
    } else if (value.wYear == 0) {
        SetSystemTime(nullptr);
    } else {
        SetSystemTime(&value);
    }
    Start(editRow, editColumn, format);
    ShowWindow(SW_SHOW);
    SetFocus();
    return true;
}

void CListDate::OnChar(UINT ch, UINT, UINT, BOOL& handled)
{
    if (!TakeEndKey(m_hWnd, static_cast<char>(ch)))
        handled = FALSE;
}

LRESULT CListDate::OnKillFocus(UINT msg, WPARAM wp, LPARAM lp, BOOL&)
{
    LRESULT result = DefWindowProc(msg, wp, lp);
    HWND gaining = reinterpret_cast<HWND>(wp);
    HWND calendar = reinterpret_cast<HWND>(SendMessage(DTM_GETMONTHCAL));
    // The drop-down calendar and the picker's own parts keep the edit open.
    if (gaining && (gaining == m_hWnd || gaining == calendar || ::IsChild(m_hWnd, gaining)
                       || (calendar && ::IsChild(calendar, gaining))))
        return result;
    EndEdit();
    return result;
}

void CListDate::EndEdit()
{
    if (!IsOpen())
        return;
    if (SendMessage(DTM_GETMONTHCAL))
        SendMessage(DTM_CLOSEMONTHCAL);
    SYSTEMTIME time = {};
    const char* text = "1";
    if (GetSystemTime(&time) != GDT_VALID) {
        time = SYSTEMTIME();
        text = "0";
    }
    if (flags & 0x400) {
        time.wHour = 0;
        time.wMinute = 0;
        time.wSecond = 0;
        time.wMilliseconds = 0;
    }
    if (flags & 0x800) {
        time.wYear = 0;
        time.wMonth = 0;
        time.wDayOfWeek = 0;
        time.wDay = 0;
    }
    if (Finish(m_hWnd, text, &time) && m_hWnd)
        ShowWindow(SW_HIDE);
}

LRESULT CListDate::OnCloseUp(int, NMHDR*, BOOL&)
{
    SetFocus();
    return 1;
}
