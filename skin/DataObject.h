#pragma once
// The data object a skinned list hands to OLE drag and drop, and the
// enumerator of its formats. A format offered with an empty medium
// (TYMED_NULL) is rendered only when a drop target asks for it.
#include "win/Com.h"
#include <vector>

class CEnumFormatEtc : public CUnknownImpl<IEnumFORMATETC>
{
public:
    explicit CEnumFormatEtc(std::vector<FORMATETC> formats, size_t cursor = 0)
        : m_formats(std::move(formats))
        , m_cursor(cursor)
    {
    }

    // S_OK only when all n records were copied; S_FALSE for fewer, for n 0,
    // a null output, or n other than 1 without a fetched counter.
    HRESULT STDMETHODCALLTYPE Next(ULONG n, FORMATETC* out, ULONG* fetched) override;
    // Moves only when the cursor stays within the list.
    HRESULT STDMETHODCALLTYPE Skip(ULONG n) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC** out) override;

private:
    std::vector<FORMATETC> m_formats;
    size_t m_cursor;
};

class CDataObject : public CUnknownImpl<IDataObject>
{
public:
    // source: the drop source the object is dragged with (not held).
    explicit CDataObject(IDropSource* source = nullptr);
    ~CDataObject() override;

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
    // Offers a format. Without release the medium is copied; with it the
    // object takes over the caller's medium. A format already offered (same
    // clipboard format, aspect and medium types) gets the new medium in place
    // of the old one, so offering it before every drag does not grow the list.
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override
    {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

    // Fills medium for a format offered with an empty medium; dropping is true
    // when the primary mouse button is up. Nothing is rendered here.
    virtual bool RenderData(const FORMATETC& format, STGMEDIUM& medium, bool dropping);

    IDropSource* GetDropSource() const { return m_source; }
    size_t FormatCount() const { return m_formats.size(); }

    // A copy of a medium: global memory, files, GDI objects and metafiles are
    // duplicated, streams and storages shared with one more reference.
    static HRESULT CopyMedium(const STGMEDIUM& from, CLIPFORMAT format, STGMEDIUM& to);

private:
    bool PrimaryButtonUp() const;

    IDropSource* m_source;
    bool m_swappedButtons;
    std::vector<FORMATETC> m_formats;
    std::vector<STGMEDIUM> m_media; // parallel to m_formats
};
