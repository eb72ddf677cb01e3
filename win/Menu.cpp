#include "win/Menu.h"
#include <vector>

std::string CMenuHandle::GetItemText(UINT item, bool byPosition) const
{
    MENUITEMINFOA info = {};
    info.dwTypeData = nullptr;
    if (!GetItemInfo(item, byPosition, &info, MIIM_STRING) || info.cch == 0)
        return std::string();
    std::vector<char> buffer(info.cch + 1, '\0');
    info.dwTypeData = buffer.data();
    info.cch = static_cast<UINT>(buffer.size());
    if (!GetItemInfo(item, byPosition, &info, MIIM_STRING))
        return std::string();
    return std::string(buffer.data());
}

UINT CMenuHandle::TrackPopup(UINT flags, int x, int y, HWND owner, const RECT* exclude) const
{
    TPMPARAMS params = {};
    params.cbSize = sizeof(params);
    if (exclude)
        params.rcExclude = *exclude;
    return static_cast<UINT>(::TrackPopupMenuEx(m_hMenu, flags, x, y, owner, exclude ? &params : nullptr));
}
