#include "skin/ListDragPayload.h"
#include <oleidl.h>

CLIPFORMAT HeaderClipboardFormat()
{
    static const CLIPFORMAT format = static_cast<CLIPFORMAT>(::RegisterClipboardFormatA("HEADERCLIPBOARDFORMAT"));
    return format;
}

HGLOBAL MakeListPayload(HWND list)
{
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, sizeof(HWND));
    if (!block)
        return nullptr;
    void* bytes = ::GlobalLock(block);
    if (!bytes) {
        ::GlobalFree(block);
        return nullptr;
    }
    *static_cast<HWND*>(bytes) = list;
    ::GlobalUnlock(block);
    return block;
}

HWND ReadListPayload(const STGMEDIUM& medium)
{
    if (medium.tymed != TYMED_HGLOBAL || !medium.hGlobal || ::GlobalSize(medium.hGlobal) < sizeof(HWND))
        return nullptr;
    const void* bytes = ::GlobalLock(medium.hGlobal);
    if (!bytes)
        return nullptr;
    HWND list = *static_cast<const HWND*>(bytes);
    ::GlobalUnlock(medium.hGlobal);
    return list;
}

bool RenderListPayload(HWND list, const FORMATETC& format, STGMEDIUM& medium)
{
    if (format.cfFormat != HeaderClipboardFormat())
        return false;
    HGLOBAL block = MakeListPayload(list);
    if (!block)
        return false;
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = block;
    medium.pUnkForRelease = nullptr;
    return true;
}

bool IsOwnHeaderPayload(HWND list, CLIPFORMAT format, const STGMEDIUM& medium)
{
    return format == HeaderClipboardFormat() && list && ReadListPayload(medium) == list;
}
