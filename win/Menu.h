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

std::string GetMenuItemText(HMENU menu, UINT item, bool byPosition);
UINT TrackPopupMenuAt(HMENU menu, UINT flags, int x, int y, HWND owner, const RECT* exclude);

// The item calls, on whatever menu T::Get() gives.
template <class T> class CMenuItems
{
public:
    bool IsMenu() const { return Menu() && ::IsMenu(Menu()); }

    int GetItemCount() const { return ::GetMenuItemCount(Menu()); }
    UINT GetItemID(int position) const { return ::GetMenuItemID(Menu(), position); }
    HMENU GetSubMenu(int position) const { return ::GetSubMenu(Menu(), position); }
    // info->cbSize and fMask are filled in here; the caller sets the other fields.
    bool GetItemInfo(UINT item, bool byPosition, MENUITEMINFOA* info, UINT mask) const
    {
        info->cbSize = kMenuItemInfoSize;
        info->fMask = mask;
        return ::GetMenuItemInfoA(Menu(), item, byPosition, info) != FALSE;
    }
    bool SetItemInfo(UINT item, bool byPosition, MENUITEMINFOA* info)
    {
        info->cbSize = kMenuItemInfoSize;
        return ::SetMenuItemInfoA(Menu(), item, byPosition, info) != FALSE;
    }
    // The item's text (code page 936), "" for separators and missing items.
    std::string GetItemText(UINT item, bool byPosition) const
    {
        return GetMenuItemText(Menu(), item, byPosition);
    }
    bool AppendItem(UINT flags, UINT_PTR idOrSubMenu, const char* text)
    {
        return ::AppendMenuA(Menu(), flags, idOrSubMenu, text) != FALSE;
    }
    bool CheckItem(UINT id, bool checked)
    {
        return ::CheckMenuItem(Menu(), id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED))
            != static_cast<DWORD>(-1);
    }
    bool EnableItem(UINT id, bool enabled)
    {
        return ::EnableMenuItem(Menu(), id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED)) != -1;
    }
    bool DeleteItem(UINT item, bool byPosition)
    {
        return ::DeleteMenu(Menu(), item, byPosition ? MF_BYPOSITION : MF_BYCOMMAND) != FALSE;
    }
    // TrackPopupMenuEx at a screen point; with TPM_RETURNCMD the chosen id (0 for none).
    UINT TrackPopup(UINT flags, int x, int y, HWND owner, const RECT* exclude = nullptr) const
    {
        return TrackPopupMenuAt(Menu(), flags, x, y, owner, exclude);
    }

private:
    HMENU Menu() const { return static_cast<const T*>(this)->Get(); }
};

// A menu that belongs to someone else (a window's bar, a submenu).
class CMenuHandle : public CMenuItems<CMenuHandle>
{
public:
    HMENU m_hMenu;

    CMenuHandle(HMENU menu = nullptr)
        : m_hMenu(menu)
    {
    }
    operator HMENU() const { return m_hMenu; }
    HMENU Get() const { return m_hMenu; }
};

// An owned menu: the shared handle owner, so attaching the menu it already
// holds keeps it.
class CMenu : public CHandleOwner<HMENU, CMenuTraits>, public CMenuItems<CMenu>
{
public:
    using CHandleOwner::CHandleOwner;

    bool CreatePopup()
    {
        Attach(::CreatePopupMenu());
        return !IsNull();
    }
    bool Load(HINSTANCE instance, UINT id)
    {
        Attach(::LoadMenuA(instance, MAKEINTRESOURCEA(id)));
        return !IsNull();
    }
    void Destroy() { Reset(); }
};
