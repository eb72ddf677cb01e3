#include "win/MessageMap.h"

LRESULT ReflectNotifications(HWND parent, UINT msg, WPARAM wp, LPARAM lp, BOOL& handled)
{
    HWND child = nullptr;
    switch (msg) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
        child = reinterpret_cast<HWND>(lp);
        break;
    case WM_NOTIFY:
        if (lp)
            child = reinterpret_cast<const NMHDR*>(lp)->hwndFrom;
        break;
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (wp && item && item->CtlType != ODT_MENU)
            child = item->hwndItem;
        break;
    }
    case WM_MEASUREITEM: {
        const MEASUREITEMSTRUCT* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(lp);
        if (wp && item && item->CtlType != ODT_MENU)
            child = ::GetDlgItem(parent, static_cast<int>(item->CtlID));
        break;
    }
    default:
        if (IsCtlColorMessage(msg))
            child = reinterpret_cast<HWND>(lp);
        break;
    }
    // A window's own scroll bars and menus send these without a control window.
    if (!child || !::IsWindow(child) || child == parent) {
        handled = FALSE;
        return 0;
    }
    return ::SendMessageA(child, OCM__BASE + msg, wp, lp);
}
