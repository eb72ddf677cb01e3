#pragma once
// Menus: an owning CMenu (DestroyMenu) and a non-owning CMenuHandle, with the
// item calls the owner-drawn menus and command bars use. MENUITEMINFOA is
// always given its size explicitly: headers built for newer systems make the
// structure larger than older systems accept.
#include <windows.h>
#include <cstddef>
#include <string>
#include "win/Gdi.h"

// The size of MENUITEMINFOA up to hbmpItem: every system accepts it.
const UINT kMenuItemInfoSize = offsetof(MENUITEMINFOA, hbmpItem) + sizeof(HBITMAP);

class CMenuHandle
{
public:
    HMENU m_hMenu;

    CMenuHandle(HMENU menu = nullptr)
        : m_hMenu(menu)
    {
    }
    operator HMENU() const { return m_hMenu; }
    bool IsMenu() const { return m_hMenu && ::IsMenu(m_hMenu); }

    int GetItemCount() const { return ::GetMenuItemCount(m_hMenu); }
    UINT GetItemID(int position) const { return ::GetMenuItemID(m_hMenu, position); }
    HMENU GetSubMenu(int position) const { return ::GetSubMenu(m_hMenu, position); }
    // info->cbSize and fMask are filled in here; the caller sets the other fields.
    bool GetItemInfo(UINT item, bool byPosition, MENUITEMINFOA* info, UINT mask) const
    {
        info->cbSize = kMenuItemInfoSize;
        info->fMask = mask;
        return ::GetMenuItemInfoA(m_hMenu, item, byPosition, info) != FALSE;
    }
    bool SetItemInfo(UINT item, bool byPosition, MENUITEMINFOA* info)
    {
        info->cbSize = kMenuItemInfoSize;
        return ::SetMenuItemInfoA(m_hMenu, item, byPosition, info) != FALSE;
    }
    // The item's text (code page 936), "" for separators and missing items.
    std::string GetItemText(UINT item, bool byPosition) const;
    bool AppendItem(UINT flags, UINT_PTR idOrSubMenu, const char* text)
    {
        return ::AppendMenuA(m_hMenu, flags, idOrSubMenu, text) != FALSE;
    }
    bool CheckItem(UINT id, bool checked)
    {
        return ::CheckMenuItem(m_hMenu, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED))
            != static_cast<DWORD>(-1);
    }
    bool EnableItem(UINT id, bool enabled)
    {
        return ::EnableMenuItem(m_hMenu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED)) != -1;
    }
    bool DeleteItem(UINT item, bool byPosition)
    {
        return ::DeleteMenu(m_hMenu, item, byPosition ? MF_BYPOSITION : MF_BYCOMMAND) != FALSE;
    }
    // TrackPopupMenuEx at a screen point; with TPM_RETURNCMD the chosen id (0 for none).
    UINT TrackPopup(UINT flags, int x, int y, HWND owner, const RECT* exclude = nullptr) const;
};

class CMenu : public CMenuHandle
{
public:
    CMenu() = default;
    explicit CMenu(HMENU menu)
        : CMenuHandle(menu)
    {
    }
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;
    ~CMenu() { Destroy(); }

    bool CreatePopup()
    {
        Attach(::CreatePopupMenu());
        return m_hMenu != nullptr;
    }
    bool Load(HINSTANCE instance, UINT id)
    {
        Attach(::LoadMenuA(instance, MAKEINTRESOURCEA(id)));
        return m_hMenu != nullptr;
    }
    void Attach(HMENU menu)
    {
        Destroy();
        m_hMenu = menu;
    }
    HMENU Detach()
    {
        HMENU menu = m_hMenu;
        m_hMenu = nullptr;
        return menu;
    }
    void Destroy()
    {
        if (m_hMenu)
            ::DestroyMenu(m_hMenu);
        m_hMenu = nullptr;
    }
};
