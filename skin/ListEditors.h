#pragma once
// The in-place editors of the skinned list: a text box, a combo box and a
// date picker, each a child of the list. Tab, Enter or Esc (or any loss of
// the focus) ends an edit; the editor then hides and tells the list with an
// SLN_ENDEDIT notice carrying its end key and value.
#include "skin/SkinListNotify.h"
#include "win/Controls.h"
#include "win/Gdi.h"
#include "win/WindowImpl.h"
#include <cstdint>
#include <string>

// The edit state all three share: the cell, its format, the end key.
class CListEditorState
{
public:
    int row = -1;
    int column = -1; // display index
    int32_t flags = 0;
    char endKey = kEndKeyNone;

protected:
    void Start(int editRow, int editColumn, int32_t editFlags);
    // Tab, Enter and Esc end the edit: the key is kept and the focus goes
    // back to the list, whose taking it ends the edit. True when ch was one.
    bool TakeEndKey(HWND editor, char ch);
    // Sends the end-of-edit notice once per edit; false when no edit is open.
    bool Finish(HWND editor, const std::string& text, SYSTEMTIME* time = nullptr);
    bool IsOpen() const { return m_open; }
    // The editor's own font, made from the message font.
    bool MakeFont();

    CFont m_font;

private:
    bool m_open = false;
};

// Applies the numeric filter to a character typed into edit (an EDIT
// window): true when the character is to be swallowed.
bool SwallowByNumericFilter(HWND edit, char ch, int32_t flags);

class CListEdit : public CWindowImpl<CListEdit, CEdit>, public CListEditorState
{
public:
    DECLARE_WND_SUPERCLASS("ZtListEdit", "EDIT")
    enum : UINT { kControlId = 1 };

    // A new edit over cell (the list's client coordinates): the box is made
    // again (upper case for 0x10, right-aligned for numbers), filled with
    // text, all of it selected, and takes the focus. False when the window
    // cannot be created.
    bool Begin(HWND list, int editRow, int editColumn, const RECT& cell, int32_t format, const std::string& text);

    BEGIN_MSG_MAP(CListEdit)
        KEY_HANDLER(WM_CHAR, OnChar)
        MESSAGE_HANDLER(WM_KILLFOCUS, OnKillFocus)
        MESSAGE_HANDLER(WM_GETDLGCODE, OnGetDlgCode)
    END_MSG_MAP()

private:
    void OnChar(UINT ch, UINT, UINT, BOOL& handled);
    LRESULT OnKillFocus(UINT msg, WPARAM wp, LPARAM lp, BOOL&);
    LRESULT OnGetDlgCode(UINT, WPARAM, LPARAM, BOOL&) { return DLGC_WANTALLKEYS; }
};

class CListCombo;

// The edit child of a drop-down combo: its keys go to the combo's handler.
class CListComboEdit : public CWindowImpl<CListComboEdit, CEdit>
{
public:
    explicit CListComboEdit(CListCombo& combo)
        : m_combo(combo)
    {
    }

    BEGIN_MSG_MAP(CListComboEdit)
        KEY_HANDLER(WM_CHAR, OnChar)
        MESSAGE_HANDLER(WM_GETDLGCODE, OnGetDlgCode)
    END_MSG_MAP()

private:
    void OnChar(UINT ch, UINT, UINT, BOOL& handled);
    LRESULT OnGetDlgCode(UINT, WPARAM, LPARAM, BOOL&) { return DLGC_WANTALLKEYS; }

    CListCombo& m_combo;
};

class CListCombo : public CWindowImpl<CListCombo, CComboBox>, public CListEditorState
{
public:
    DECLARE_WND_SUPERCLASS("ZtListCombo", "COMBOBOX")
    enum : UINT { kControlId = 2 };

    CListCombo();

    // Draw the drop button with the visual-styles theme when there is one.
    bool themed = true;
    COLORREF backgroundColour = ::GetSysColor(COLOR_WINDOW);
    COLORREF textColour = ::GetSysColor(COLOR_WINDOWTEXT);

    // A new edit of (row, column) with a cell's format: the owner creates,
    // fills, places and shows the combo box, then calls this; the combo box
    // takes the focus.
    void Begin(int editRow, int editColumn, int32_t format);

    // The key handler of the combo and its edit child: true when swallowed.
    bool HandleChar(char ch);

    BEGIN_MSG_MAP(CListCombo)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_RANGE_HANDLER(WM_MOUSEFIRST, WM_MOUSELAST, OnMouseMessage)
        MESSAGE_HANDLER(WM_MOUSELEAVE, OnMouseLeave)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_PRINTCLIENT, OnPaint)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        MESSAGE_HANDLER(WM_GETDLGCODE, OnGetDlgCode)
        KEY_HANDLER(WM_CHAR, OnChar)
        MESSAGE_HANDLER(WM_THEMECHANGED, OnThemeChanged)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        REFLECTED_COMMAND_CODE_HANDLER(CBN_KILLFOCUS, OnKillFocus)
        DEFAULT_REFLECTION_HANDLER()
    END_MSG_MAP()

    // The client parts, for painting and tests.
    bool GetParts(RECT& text, RECT& button) const;
    // Whether the pointer at a client point makes the combo hot.
    bool IsHotAt(POINT client) const;
    bool IsHovering() const { return m_hover; }

    // The picture: the parent's background under the text area, the selected
    // item's text (drop-down list style) and the drop button.
    void Paint(HDC dc, const RECT& area);

private:
    LRESULT OnCreate(UINT msg, WPARAM wp, LPARAM lp, BOOL&);
    LRESULT OnMouseMessage(UINT msg, WPARAM wp, LPARAM lp, BOOL& handled);
    LRESULT OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnPaint(UINT msg, WPARAM wp, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
    LRESULT OnGetDlgCode(UINT, WPARAM, LPARAM, BOOL&) { return DLGC_WANTALLKEYS; }
    void OnChar(UINT ch, UINT, UINT, BOOL& handled);
    LRESULT OnThemeChanged(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnKillFocus(WORD, WORD, HWND, BOOL&);
    bool IsDropDownList() const;
    void OpenTheme();
    void SubclassEditChild();

    bool m_tracking = false;
    bool m_hover = false;
    bool m_swappedButtons;
    CTheme m_theme;
    CListComboEdit m_edit;
};

class CListDate : public CWindowImpl<CListDate, CDateTimePickerCtrl>, public CListEditorState
{
public:
    DECLARE_WND_SUPERCLASS("ZtListDate", DATETIMEPICK_CLASSA)
    enum : UINT { kControlId = 3 };

    // A new edit of a date cell over cell (the list's client coordinates):
    // the picker is made again (a check box for no date with 0x1000, an
    // up-down control for a time with 0x800), shows the user's date and/or
    // time format and the cell's value, and takes the focus.
    bool Begin(HWND list, int editRow, int editColumn, const RECT& cell, int32_t format, const std::string& text);

    // The picker's display format for a cell format, from the user's locale.
    static std::string DisplayFormat(int32_t format);

    BEGIN_MSG_MAP(CListDate)
        KEY_HANDLER(WM_CHAR, OnChar)
        MESSAGE_HANDLER(WM_KILLFOCUS, OnKillFocus)
        MESSAGE_HANDLER(WM_GETDLGCODE, OnGetDlgCode)
        REFLECTED_NOTIFY_CODE_HANDLER(DTN_CLOSEUP, OnCloseUp)
        DEFAULT_REFLECTION_HANDLER()
    END_MSG_MAP()

    // Ends the edit as losing the focus does: reports "1" and the picked
    // time, or "0" and a zero time when no date is picked.
    void EndEdit();

private:
    void OnChar(UINT ch, UINT, UINT, BOOL& handled);
    LRESULT OnKillFocus(UINT msg, WPARAM wp, LPARAM lp, BOOL&);
    LRESULT OnGetDlgCode(UINT, WPARAM, LPARAM, BOOL&) { return DLGC_WANTALLKEYS; }
    LRESULT OnCloseUp(int, NMHDR*, BOOL&);
};
