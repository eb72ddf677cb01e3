#pragma once
// COM helpers: an interface smart pointer, owners of BSTR, VARIANT and
// STGMEDIUM, a reference-counting IUnknown base and the OLE scope of a thread.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <ole2.h>
#include <string>
#include <utility>

// Holds one reference to an interface.
template <class T> class CComPtr
{
public:
    CComPtr()
        : m_p(nullptr)
    {
    }
    CComPtr(T* p)
        : m_p(p)
    {
        if (m_p)
            m_p->AddRef();
    }
    CComPtr(const CComPtr& other)
        : CComPtr(other.m_p)
    {
    }
    CComPtr(CComPtr&& other) noexcept
        : m_p(other.m_p)
    {
        other.m_p = nullptr;
    }
    ~CComPtr() { Release(); }
    CComPtr& operator=(const CComPtr& other)
    {
        CComPtr copy(other);
        Swap(copy);
        return *this;
    }
    CComPtr& operator=(CComPtr&& other) noexcept
    {
        CComPtr moved(std::move(other));
        Swap(moved);
        return *this;
    }

    void Release()
    {
        T* p = m_p;
        m_p = nullptr;
        if (p)
            p->Release();
    }
    // Takes over a reference the caller already owns.
    void Attach(T* p)
    {
        Release();
        m_p = p;
    }
    T* Detach()
    {
        T* p = m_p;
        m_p = nullptr;
        return p;
    }
    void Swap(CComPtr& other) noexcept
    {
        T* p = m_p;
        m_p = other.m_p;
        other.m_p = p;
    }
    // For out parameters: releases what is held, then hands out the slot.
    T** operator&()
    {
        Release();
        return &m_p;
    }
    T* operator->() const { return m_p; }
    operator T*() const { return m_p; }
    T* Get() const { return m_p; }

    template <class Q> HRESULT QueryInterface(CComPtr<Q>& out) const
    {
        if (!m_p)
            return E_POINTER;
        return m_p->QueryInterface(__uuidof(Q), reinterpret_cast<void**>(&out));
    }
    HRESULT CoCreateInstance(REFCLSID clsid, DWORD context = CLSCTX_INPROC_SERVER)
    {
        Release();
        return ::CoCreateInstance(clsid, nullptr, context, __uuidof(T), reinterpret_cast<void**>(&m_p));
    }

private:
    T* m_p;
};

// Owns a BSTR.
class CBstr
{
public:
    CBstr()
        : m_str(nullptr)
    {
    }
    explicit CBstr(const wchar_t* text)
        : m_str(text ? ::SysAllocString(text) : nullptr)
    {
    }
    explicit CBstr(const std::wstring& text)
        : m_str(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size())))
    {
    }
    CBstr(const CBstr&) = delete;
    CBstr& operator=(const CBstr&) = delete;
    ~CBstr() { ::SysFreeString(m_str); }

    BSTR* operator&()
    {
        Reset();
        return &m_str;
    }
    operator BSTR() const { return m_str; }
    void Reset()
    {
        ::SysFreeString(m_str);
        m_str = nullptr;
    }
    BSTR Detach()
    {
        BSTR s = m_str;
        m_str = nullptr;
        return s;
    }
    UINT Length() const { return ::SysStringLen(m_str); }
    std::wstring ToWide() const { return m_str ? std::wstring(m_str, Length()) : std::wstring(); }

private:
    BSTR m_str;
};

// Owns a VARIANT (VariantClear at the end).
class CVariant : public VARIANT
{
public:
    CVariant() { ::VariantInit(this); }
    explicit CVariant(long value)
    {
        ::VariantInit(this);
        vt = VT_I4;
        lVal = value;
    }
    explicit CVariant(const wchar_t* text)
    {
        ::VariantInit(this);
        vt = VT_BSTR;
        bstrVal = ::SysAllocString(text);
    }
    CVariant(const CVariant& other)
    {
        ::VariantInit(this);
        ::VariantCopy(this, const_cast<VARIANT*>(static_cast<const VARIANT*>(&other)));
    }
    CVariant& operator=(const CVariant& other)
    {
        if (this != &other)
            ::VariantCopy(this, const_cast<VARIANT*>(static_cast<const VARIANT*>(&other)));
        return *this;
    }
    ~CVariant() { ::VariantClear(this); }
    HRESULT Clear() { return ::VariantClear(this); }
    HRESULT ChangeType(VARTYPE type) { return ::VariantChangeType(this, this, 0, type); }
};

// Owns a STGMEDIUM (ReleaseStgMedium at the end).
class CStgMedium : public STGMEDIUM
{
public:
    CStgMedium()
    {
        tymed = TYMED_NULL;
        hGlobal = nullptr;
        pUnkForRelease = nullptr;
    }
    CStgMedium(const CStgMedium&) = delete;
    CStgMedium& operator=(const CStgMedium&) = delete;
    ~CStgMedium() { Release(); }
    void Release()
    {
        if (tymed != TYMED_NULL)
            ::ReleaseStgMedium(this);
        tymed = TYMED_NULL;
        hGlobal = nullptr;
        pUnkForRelease = nullptr;
    }
};

// Reference counting for an object implementing the interfaces I...: the
// derived class answers QueryInterface through QueryInterfaceFor<...>.
// Objects start with one reference (the creator's) and delete themselves at 0.
template <class... Interfaces> class CUnknownImpl : public Interfaces...
{
public:
    CUnknownImpl()
        : m_refs(1)
    {
    }
    virtual ~CUnknownImpl() { }

    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_refs)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG refs = ::InterlockedDecrement(&m_refs);
        if (refs == 0)
            delete this;
        return static_cast<ULONG>(refs);
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown)
            *out = static_cast<IUnknown*>(static_cast<FirstOf<Interfaces...>*>(this));
        else
            FindInterface<Interfaces...>(iid, out);
        if (!*out)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }

private:
    template <class First, class...> struct FirstOfImpl
    {
        typedef First Type;
    };
    template <class... List> using FirstOf = typename FirstOfImpl<List...>::Type;

    template <class First, class... Rest> void FindInterface(REFIID iid, void** out)
    {
        if (iid == __uuidof(First)) {
            *out = static_cast<First*>(this);
            return;
        }
        if constexpr (sizeof...(Rest) > 0)
            FindInterface<Rest...>(iid, out);
    }

    volatile LONG m_refs;
};

// OleInitialize on construction, OleUninitialize at the end when it succeeded.
class COleScope
{
public:
    COleScope()
        : m_result(::OleInitialize(nullptr))
    {
    }
    COleScope(const COleScope&) = delete;
    COleScope& operator=(const COleScope&) = delete;
    ~COleScope()
    {
        if (SUCCEEDED(m_result))
            ::OleUninitialize();
    }
    bool Succeeded() const { return SUCCEEDED(m_result); }
    HRESULT Result() const { return m_result; }

private:
    HRESULT m_result;
};
