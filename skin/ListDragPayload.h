#pragma once
// What a header drag carries: the window handle of the list it started in,
// in a movable global block as wide as a handle, in the list's private
// clipboard format. Only that same list accepts the drop.
#include <windows.h>
#include <objidl.h>

// The clipboard format of header drags, registered once per process.
CLIPFORMAT HeaderClipboardFormat();

// A new movable block holding list's handle; null on failure.
HGLOBAL MakeListPayload(HWND list);

// The handle a payload names; null when the medium is not global memory or
// the block is too small to hold one.
HWND ReadListPayload(const STGMEDIUM& medium);

// Fills medium with the payload of list for format when it is the header
// format; false for any other format or a failed allocation.
bool RenderListPayload(HWND list, const FORMATETC& format, STGMEDIUM& medium);

// Whether a drag's data is a header payload of this very list: a drag from
// another list or another program is refused.
bool IsOwnHeaderPayload(HWND list, CLIPFORMAT format, const STGMEDIUM& medium);
