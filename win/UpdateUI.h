#pragma once
// Check and enable states of menu commands, kept by the window that owns the
// commands and applied to every pop-up menu as it opens (WM_INITMENUPOPUP).
// The owner chains to its map; the message stays unhandled so that other
// maps (an owner-drawn menu mix-in) see it too.
#include <windows.h>
#include <map>
#include "win/MessageMap.h"

class CUpdateUI
{
public:
    void UISetCheck(UINT id, bool checked) { m_states[id].checked = checked; }
    void UIEnable(UINT id, bool enabled) { m_states[id].enabled = enabled; }
    bool UIGetCheck(UINT id) const
    {
        auto it = m_states.find(id);
        return it != m_states.end() && it->second.checked;
    }

    BEGIN_MSG_MAP(CUpdateUI)
        MESSAGE_HANDLER(WM_INITMENUPOPUP, OnInitMenuPopup)
    END_MSG_MAP()

    LRESULT OnInitMenuPopup(UINT, WPARAM wp, LPARAM lp, BOOL& handled)
    {
        handled = FALSE;
        if (HIWORD(lp)) // the window menu
            return 0;
        HMENU menu = reinterpret_cast<HMENU>(wp);
        int count = ::GetMenuItemCount(menu);
        for (int i = 0; i < count; ++i) {
            auto it = m_states.find(::GetMenuItemID(menu, i));
            if (it == m_states.end())
                continue;
            ::CheckMenuItem(
                menu, static_cast<UINT>(i), MF_BYPOSITION | (it->second.checked ? MF_CHECKED : MF_UNCHECKED));
            ::EnableMenuItem(
                menu, static_cast<UINT>(i), MF_BYPOSITION | (it->second.enabled ? MF_ENABLED : MF_GRAYED));
        }
        return 0;
    }

private:
    struct State
    {
        bool checked = false;
        bool enabled = true;
    };
    std::map<UINT, State> m_states;
};
