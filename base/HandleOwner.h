#pragma once
// The one move-only owner of handles and owned objects, for every layer. An
// owner frees its handle exactly once; it moves but never copies, so every
// handle has one owner. Handles that belong to someone else (stock objects,
// shared icons, GdiObjectCache entries) are used raw, never owned.
//
// Window-layer owners (bitmaps, fonts, icons, menus, image lists, themes) are
// built on this in win/Gdi.h; device-context guards are in base/DcGuards.h.
#include <windows.h>
#include <type_traits>

namespace HandleOwnerDetail {
// The value that means "no handle": Traits::Empty() where the traits give
// one (a socket's INVALID_SOCKET), else null.
template <class Handle, class Traits, class = void> struct EmptyOf
{
    static Handle Value() { return Handle(); }
};
template <class Handle, class Traits> struct EmptyOf<Handle, Traits, std::void_t<decltype(Traits::Empty())>>
{
    static Handle Value() { return Traits::Empty(); }
};
} // namespace HandleOwnerDetail

// An owned handle; Traits::Free(handle) releases it.
template <class Handle, class Traits> class CHandleOwner
{
public:
    CHandleOwner()
        : m_handle(Empty())
    {
    }
    explicit CHandleOwner(Handle h)
        : m_handle(h)
    {
    }
    CHandleOwner(CHandleOwner&& other) noexcept
        : m_handle(other.Detach())
    {
    }
    CHandleOwner& operator=(CHandleOwner&& other) noexcept
    {
        if (this != &other)
            Attach(other.Detach());
        return *this;
    }
    CHandleOwner(const CHandleOwner&) = delete;
    CHandleOwner& operator=(const CHandleOwner&) = delete;
    ~CHandleOwner() { Reset(); }

    // Takes over h, freeing what was held before.
    void Attach(Handle h)
    {
        if (h != m_handle) {
            Reset();
            m_handle = h;
        }
    }
    Handle Detach()
    {
        Handle h = m_handle;
        m_handle = Empty();
        return h;
    }
    void Reset()
    {
        if (m_handle != Empty())
            Traits::Free(m_handle);
        m_handle = Empty();
    }
    Handle Get() const { return m_handle; }
    bool IsNull() const { return m_handle == Empty(); }
    operator Handle() const { return m_handle; }

protected:
    static Handle Empty() { return HandleOwnerDetail::EmptyOf<Handle, Traits>::Value(); }

    Handle m_handle;
};

struct CGdiObjectTraits
{
    static void Free(HGDIOBJ h) { ::DeleteObject(h); }
};
struct CKernelHandleTraits
{
    static void Free(HANDLE h) { ::CloseHandle(h); }
};
struct CMemoryDcTraits
{
    static void Free(HDC h) { ::DeleteDC(h); }
};
struct CGlobalMemoryTraits
{
    static void Free(HGLOBAL h) { ::GlobalFree(h); }
};

// Events, threads, processes, mappings and files: CloseHandle. A failed
// CreateFile gives INVALID_HANDLE_VALUE, which is attached as null
// (OwnedFileHandle).
typedef CHandleOwner<HANDLE, CKernelHandleTraits> CKernelHandle;
// A GDI object of any kind (DeleteObject), e.g. CGdiObject<HBITMAP>.
template <class Handle> using CGdiObject = CHandleOwner<Handle, CGdiObjectTraits>;
typedef CHandleOwner<HGLOBAL, CGlobalMemoryTraits> CGlobalMemory;

inline HANDLE OwnedFileHandle(HANDLE file)
{
    return file == INVALID_HANDLE_VALUE ? nullptr : file;
}
