#pragma once
// The keyboard wizard: a small skinned window in which the user types a
// code, pinyin initials, an indicator number or a quick code and picks one
// of the matches with the arrow keys and Enter. The choice goes to the
// content panel as a view message (open a stock, show an indicator, run a
// quick code, show a sector). UI thread only.
#include <windows.h>
#include <cstdint>
#include <string>

#include "skin/NcDraw.h"
#include "views/MessageProcessor.h"
#include "views/SearchIndex.h"
#include "win/Controls.h"
#include "win/WindowImpl.h"

// The match list: a LISTBOX that turns a left-button release into a posted
// WM_COMMAND to its parent (its id, notification kListClickNotify).
class CDevListBoxImpl : public CWindowImpl<CDevListBoxImpl, CListBox>
{
public:
    static constexpr WORD kListClickNotify = 0x400;
    DECLARE_WND_SUPERCLASS("ZentuDevListBox", "LISTBOX")

    BEGIN_MSG_MAP(CDevListBoxImpl)
        MESSAGE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
    END_MSG_MAP()

private:
    LRESULT OnLButtonUp(UINT, WPARAM, LPARAM, BOOL&);
};

// The wizard's children below the frame: the edit on top, the list below.
struct SearchBoxLayout
{
    RECT edit;
    RECT list;
};
SearchBoxLayout LayoutSearchBox(const RECT& content);

typedef CWinTraits<WS_CHILD | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX
    | WS_CLIPCHILDREN>
    CSearchBoxTraits;

class CSearchBox : public CWindowImpl<CSearchBox, CWindow, CSearchBoxTraits>
{
public:
    static constexpr UINT kEditId = 0x803;
    static constexpr UINT kListId = 0xFBB;
    static constexpr int kEditHeight = 22;
    static constexpr UINT kCloseCommand = 5005;

    DECLARE_WND_CLASS_EX("ZentuSearchBox", CS_DBLCLKS, COLOR_BTNFACE + 1)

    explicit CSearchBox(CMessageProcessor* owner);
    ~CSearchBox() override;

    // Keys that open the wizard or add to its text: digits, letters,
    // keypad digits, space and 0x13.
    static bool IsWizardKey(UINT virtualKey);

    void SetHideOnClose(bool hide) { m_hideOnClose = hide; }
    // Fills the index from the data center's code table, the indicator store
    // and the group index. 1.
    int BuildIndex();
    CSearchIndex& GetIndex() { return m_index; }

    // Adds a typed character and searches again. With focusFlag 0 the edit
    // takes the focus and the window that had it is kept for Close.
    void AppendChar(UINT virtualKey, UINT keyFlags, int focusFlag);
    // A key-down routed to the wizard while it shows: 1 when handled, 0 to
    // let the message go on (Enter with no match selected).
    int OnKeyDown(const MSG& message);
    // Clears the text, hides when hide-on-close is set and gives the focus back.
    void Close();

    // The edit text and the list, for callers that look at what is shown.
    std::string GetText() const { return m_edit.GetWindowText(); }
    HWND GetEdit() const { return m_edit.m_hWnd; }
    HWND GetList() const { return m_list.m_hWnd; }
    CNcDraw& GetFrame() { return m_frame; }

    BEGIN_MSG_MAP(CSearchBox)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        SIZE_HANDLER(OnSize)
        MESSAGE_HANDLER(WM_CLOSE, OnClose)
        MESSAGE_HANDLER(WM_KILLFOCUS, OnKillFocus)
        MESSAGE_HANDLER(WM_KEYDOWN, OnKeyDownMessage)
        COMMAND_HANDLER(kListId, CDevListBoxImpl::kListClickNotify, OnListClick)
        COMMAND_HANDLER(kEditId, EN_CHANGE, OnEditChange)
        COMMAND_ID_HANDLER(kCloseCommand, OnCloseCommand)
        CHAIN_MSG_MAP_MEMBER(m_frame)
    END_MSG_MAP()

protected:
    // Whether a key is held now; tests hold keys without a keyboard.
    virtual bool IsKeyHeld(int virtualKey) const { return ::GetKeyState(virtualKey) < 0; }

private:
    // The edit and the list cover the inside and the frame paints the edges:
    // erasing the whole window would wipe the frame's title band.
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    void OnSize(UINT, CSize, BOOL&);
    LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&)
    {
        Close();
        return 0;
    }
    LRESULT OnKillFocus(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnKeyDownMessage(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnListClick(WORD, WORD, HWND, BOOL&);
    LRESULT OnEditChange(WORD, WORD, HWND, BOOL&) { return 0; }
    LRESULT OnCloseCommand(WORD, WORD, HWND, BOOL&)
    {
        Close();
        return 0;
    }

    void UpdateMatches(const std::string& text);
    void DeleteLastChar();
    void SelectPrevious();
    void SelectNext();
    // Sends the selected match as the view message of its kind; false when
    // no match is selected. With requireNoControl, only an indicator is sent
    // while Control is held.
    bool SendSelected(bool requireNoControl);
    void Layout();

    CNcDraw m_frame;
    HWND m_previousFocus;
    bool m_hideOnClose;
    CEdit m_edit;
    CDevListBoxImpl m_list;
    CSearchIndex m_index;
    CMessageProcessor* m_owner;
};
