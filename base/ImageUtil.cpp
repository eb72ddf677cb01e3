#include "base/ImageUtil.h"
#include "base/DcGuards.h"
#include "base/DibInfo.h"
#include "base/HandleOwner.h"
#include "base/UnicodeString.h"
#include <objbase.h>
#include <algorithm>
#include <cstring>
#include <gdiplus.h>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

// Skin pictures are loaded by many windows (the buttons of every skinned
// dialog, the borders of every skinned frame, the bars' strips), each time
// decoded by GDI+ again. Decoded pixels are kept by file, with the file's
// bytes: a file rewritten in place is decoded anew. Each load still gets a
// bitmap of its own, copied from the kept pixels.
class DecodedImages
{
public:
    static DecodedImages& Get()
    {
        static DecodedImages images;
        return images;
    }

    // A copy of the file's picture when it was decoded from these bytes before.
    HBITMAP Find(const std::wstring& path, const std::string& bytes)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        auto found = m_images.find(path);
        if (found == m_images.end() || found->second.bytes != bytes)
            return nullptr;
        const Entry& entry = found->second;
        BITMAPINFO info = {};
        info.bmiHeader = entry.header;
        void* bits = nullptr;
        HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!bitmap || !bits) {
            if (bitmap)
                ::DeleteObject(bitmap);
            return nullptr;
        }
        std::memcpy(bits, entry.pixels.data(), entry.pixels.size());
        return bitmap;
    }

    // Keeps the pixels of a decoded 32-bit DIB section; other bitmaps are not kept.
    void Keep(const std::wstring& path, std::string bytes, HBITMAP bitmap)
    {
        DIBSECTION section = {};
        if (::GetObjectW(bitmap, sizeof(section), &section) != static_cast<int>(sizeof(section))
            || !section.dsBm.bmBits || section.dsBm.bmBitsPixel != 32 || section.dsBm.bmWidth <= 0
            || section.dsBm.bmHeight <= 0)
            return;
        const size_t size = static_cast<size_t>(section.dsBm.bmWidthBytes) * section.dsBm.bmHeight;
        Entry entry;
        entry.bytes = std::move(bytes);
        // The rows as they lie in memory: GetObject may report a top-down
        // section's height as positive, so the order comes from the pixels'
        // own layout, checked against GetDIBits's bottom-up view.
        entry.header = section.dsBmih;
        entry.header.biSize = sizeof(BITMAPINFOHEADER);
        entry.header.biCompression = BI_RGB;
        entry.header.biSizeImage = 0;
        entry.header.biHeight = TopDown(bitmap, section) ? -section.dsBm.bmHeight : section.dsBm.bmHeight;
        ::GdiFlush();
        const auto* pixels = static_cast<const uint8_t*>(section.dsBm.bmBits);
        entry.pixels.assign(pixels, pixels + size);
        std::lock_guard<std::mutex> lock(m_lock);
        m_images[path] = std::move(entry);
    }

private:
    struct Entry
    {
        std::string bytes;
        BITMAPINFOHEADER header = {};
        std::vector<uint8_t> pixels;
    };

    // Whether the first row in memory is the picture's top row.
    static bool TopDown(HBITMAP bitmap, const DIBSECTION& section)
    {
        if (section.dsBmih.biHeight < 0)
            return true;
        const int width = section.dsBm.bmWidth;
        const int height = section.dsBm.bmHeight;
        if (height == 1)
            return true;
        // The top row as GetDIBits reads it (a bottom-up request's last row).
        std::vector<uint32_t> top(static_cast<size_t>(width));
        BITMAPINFO info = TopDownDibInfo(width, 1);
        HDC screen = ::GetDC(nullptr);
        const int read = ::GetDIBits(screen, bitmap, static_cast<UINT>(height - 1), 1, top.data(), &info, DIB_RGB_COLORS);
        ::ReleaseDC(nullptr, screen);
        if (read != 1)
            return false;
        const auto* first = static_cast<const uint8_t*>(section.dsBm.bmBits);
        const auto* last = first + static_cast<size_t>(section.dsBm.bmWidthBytes) * (height - 1);
        const size_t rowBytes = static_cast<size_t>(width) * 4;
        const bool firstMatches = std::memcmp(first, top.data(), rowBytes) == 0;
        const bool lastMatches = std::memcmp(last, top.data(), rowBytes) == 0;
        return firstMatches && !lastMatches;
    }

    std::mutex m_lock;
    std::map<std::wstring, Entry> m_images;
};

// The file's bytes; false when it cannot be read whole or is larger than a
// skin picture gets.
bool ReadImageFile(const std::wstring& path, std::string& bytes)
{
    const DWORD kLargest = 16u << 20;
    CKernelHandle file(OwnedFileHandle(::CreateFileW(path.c_str(), GENERIC_READ,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
    if (file.IsNull())
        return false;
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0 || size.QuadPart > kLargest)
        return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    return ::ReadFile(file.Get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr)
        && read == bytes.size();
}

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
    std::wstring path;
    std::string bytes;
    bool keep = false;
    if (!IS_INTRESOURCE(name)) {
        path = GbkToWide(name);
        keep = ReadImageFile(path, bytes);
        if (keep) {
            if (HBITMAP kept = DecodedImages::Get().Find(path, bytes))
                return kept;
        }
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
    if (bitmap && keep)
        DecodedImages::Get().Keep(path, std::move(bytes), bitmap);
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
