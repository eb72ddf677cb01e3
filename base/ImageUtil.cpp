#include "base/ImageUtil.h"
#include "base/DcGuards.h"
#include "base/HandleOwner.h"
#include "base/UnicodeString.h"
#include <objbase.h>
#include <algorithm>
#include <cstring>
#include <gdiplus.h>
#include <memory>

namespace {

// Copies a resource into a block the stream owns, since GDI+ reads the
// stream for as long as the image lives.
IStream* CreateResourceStream(LPCSTR name, LPCSTR type)
{
    HMODULE module = ::GetModuleHandleA(nullptr);
    HRSRC resource = ::FindResourceA(module, name, type);
    if (!resource)
        return nullptr;
    const DWORD size = ::SizeofResource(module, resource);
    HGLOBAL loaded = ::LoadResource(module, resource);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes || size == 0)
        return nullptr;
    CGlobalMemory block(::GlobalAlloc(GMEM_MOVEABLE, size));
    if (!block)
        return nullptr;
    void* target = ::GlobalLock(block);
    if (!target)
        return nullptr;
    std::memcpy(target, bytes, size);
    ::GlobalUnlock(block);
    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(block, TRUE, &stream)) || !stream)
        return nullptr;
    block.Detach(); // the stream frees it
    return stream;
}

}

HBITMAP LoadImageFromResource(LPCSTR name, LPCSTR type)
{
    std::unique_ptr<Gdiplus::Bitmap> image;
    IStream* stream = nullptr;
    if (!IS_INTRESOURCE(name)) {
        const std::wstring path = GbkToWide(name);
        image.reset(Gdiplus::Bitmap::FromFile(path.c_str()));
    } else if (type && type != RT_BITMAP) {
        stream = CreateResourceStream(name, type);
        if (!stream)
            return nullptr;
        image.reset(Gdiplus::Bitmap::FromStream(stream));
    } else {
        image.reset(
            Gdiplus::Bitmap::FromResource(::GetModuleHandleA(nullptr), reinterpret_cast<const WCHAR*>(name)));
    }
    HBITMAP bitmap = nullptr;
    if (image && image->GetLastStatus() == Gdiplus::Ok) {
        if (image->GetHBITMAP(Gdiplus::Color(0, 0, 0, 0), &bitmap) != Gdiplus::Ok)
            bitmap = nullptr;
    }
    image.reset();
    if (stream)
        stream->Release();
    return bitmap;
}

bool AlphaBlitBitmap(HDC dc, HBITMAP bitmap, const RECT& dest, int sourceWidth, int sourceHeight)
{
    if (!dc || !bitmap)
        return false;
    CMemDC memory(dc);
    if (!memory)
        return false;
    CSelectObject selected(memory, bitmap);
    const int width = dest.right - dest.left;
    const int height = dest.bottom - dest.top;
    BLENDFUNCTION blend = { AC_SRC_OVER, 0, 255, AC_SRC_ALPHA };
    const BOOL ok = ::AlphaBlend(dc, dest.left, dest.top, width, height, memory, 0, 0,
        (std::min)(width, sourceWidth), (std::min)(height, sourceHeight), blend);
    return ok != FALSE;
}

HBRUSH DrawParentBackground(HWND child, HWND parent)
{
    RECT parentRect, childRect;
    if (!::GetWindowRect(parent, &parentRect) || !::GetWindowRect(child, &childRect))
        return nullptr;
    const int parentWidth = parentRect.right - parentRect.left;
    const int parentHeight = parentRect.bottom - parentRect.top;
    const int childWidth = childRect.right - childRect.left;
    const int childHeight = childRect.bottom - childRect.top;
    if (parentWidth <= 0 || parentHeight <= 0 || childWidth <= 0 || childHeight <= 0)
        return nullptr;
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&childRect), 2);

    CClientDC screen(parent);
    CMemDC parentDc(screen);
    CMemDC childDc(screen);
    CGdiObject<HBITMAP> parentBitmap(::CreateCompatibleBitmap(screen, parentWidth, parentHeight));
    CGdiObject<HBITMAP> childBitmap(::CreateCompatibleBitmap(screen, childWidth, childHeight));
    if (!parentDc || !childDc || !parentBitmap || !childBitmap)
        return nullptr;
    {
        CSelectObject parentSelected(parentDc, parentBitmap);
        CSelectObject childSelected(childDc, childBitmap);
        ::SendMessageA(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(static_cast<HDC>(parentDc)), 0);
        ::SendMessageA(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(static_cast<HDC>(parentDc)),
            PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND);
        ::BitBlt(childDc, 0, 0, childWidth, childHeight, parentDc, childRect.left, childRect.top, SRCCOPY);
    }
    return ::CreatePatternBrush(childBitmap);
}
