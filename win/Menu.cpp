#include "win/Menu.h"
#include <vector>

std::string GetMenuItemText(HMENU menu, UINT item, bool byPosition)
{
    CMenuHandle items(menu);
    MENUITEMINFOA info = {};
    info.dwTypeData = nullptr;
    if (!items.GetItemInfo(item, byPosition, &info, MIIM_STRING) || info.cch == 0)
        return std::string();
    std::vector<char> buffer(info.cch + 1, '\0');
    info.dwTypeData = buffer.data();
    info.cch = static_cast<UINT>(buffer.size());
    if (!items.GetItemInfo(item, byPosition, &info, MIIM_STRING))
        return std::string();
    return std::string(buffer.data());
}

UINT TrackPopupMenuAt(HMENU menu, UINT flags, int x, int y, HWND owner, const RECT* exclude)
{
    TPMPARAMS params = {};
    params.cbSize = sizeof(params);
    if (exclude)
        params.rcExclude = *exclude;
    return static_cast<UINT>(::TrackPopupMenuEx(menu, flags, x, y, owner, exclude ? &params : nullptr));
}
