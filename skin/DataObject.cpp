#include "skin/DataObject.h"
#include <cstring>
#include <cwchar>

HRESULT CEnumFormatEtc::Next(ULONG n, FORMATETC* out, ULONG* fetched)
{
    if (fetched)
        *fetched = 0;
    if (n == 0 || !out || m_cursor >= m_formats.size() || (n != 1 && !fetched))
        return S_FALSE;
    ULONG copied = 0;
    while (copied < n && m_cursor < m_formats.size())
        out[copied++] = m_formats[m_cursor++];
    if (fetched)
        *fetched = copied;
    return copied == n ? S_OK : S_FALSE;
}

HRESULT CEnumFormatEtc::Skip(ULONG n)
{
    if (static_cast<unsigned long long>(m_cursor) + n > m_formats.size())
        return S_FALSE;
    m_cursor += n;
    return S_OK;
}

HRESULT CEnumFormatEtc::Reset()
{
    m_cursor = 0;
    return S_OK;
}

HRESULT CEnumFormatEtc::Clone(IEnumFORMATETC** out)
{
    if (!out)
        return E_POINTER;
    *out = new CEnumFormatEtc(m_formats, m_cursor);
    return S_OK;
}

CDataObject::CDataObject(IDropSource* source)
    : m_source(source)
    , m_swappedButtons(::GetSystemMetrics(SM_SWAPBUTTON) != 0)
{
}

CDataObject::~CDataObject()
{
    for (STGMEDIUM& medium : m_media) {
        if (medium.tymed != TYMED_NULL)
            ::ReleaseStgMedium(&medium);
    }
}

bool CDataObject::RenderData(const FORMATETC&, STGMEDIUM&, bool)
{
    return false;
}

bool CDataObject::PrimaryButtonUp() const
{
    return (::GetAsyncKeyState(m_swappedButtons ? VK_RBUTTON : VK_LBUTTON) & 0x8000) == 0;
}

HRESULT CDataObject::CopyMedium(const STGMEDIUM& from, CLIPFORMAT format, STGMEDIUM& to)
{
    STGMEDIUM copy = {};
    copy.tymed = from.tymed;
    switch (from.tymed) {
    case TYMED_NULL:
        break;
    case TYMED_HGLOBAL:
    case TYMED_GDI:
    case TYMED_MFPICT:
    case TYMED_ENHMF:
        // The handles share one union field.
        copy.hGlobal = static_cast<HGLOBAL>(::OleDuplicateData(from.hGlobal, format, 0));
        if (!copy.hGlobal)
            return E_OUTOFMEMORY;
        break;
    case TYMED_FILE: {
        // A file medium carries a name, which is copied as such.
        if (!from.lpszFileName)
            return E_INVALIDARG;
        size_t bytes = (std::wcslen(from.lpszFileName) + 1) * sizeof(wchar_t);
        copy.lpszFileName = static_cast<LPOLESTR>(::CoTaskMemAlloc(bytes));
        if (!copy.lpszFileName)
            return E_OUTOFMEMORY;
        std::memcpy(copy.lpszFileName, from.lpszFileName, bytes);
        break;
    }
    case TYMED_ISTREAM:
        copy.pstm = from.pstm;
        if (copy.pstm)
            copy.pstm->AddRef();
        break;
    case TYMED_ISTORAGE:
        copy.pstg = from.pstg;
        if (copy.pstg)
            copy.pstg->AddRef();
        break;
    default:
        return DV_E_TYMED;
    }
    copy.pUnkForRelease = from.pUnkForRelease;
    if (copy.pUnkForRelease)
        copy.pUnkForRelease->AddRef();
    to = copy;
    return S_OK;
}

HRESULT CDataObject::GetData(FORMATETC* format, STGMEDIUM* medium)
{
    if (!format || !medium)
        return E_INVALIDARG;
    for (size_t i = 0; i < m_formats.size(); ++i) {
        const FORMATETC& offered = m_formats[i];
        if (!(offered.tymed & format->tymed) || offered.dwAspect != format->dwAspect
            || offered.cfFormat != format->cfFormat)
            continue;
        *medium = STGMEDIUM();
        if (m_media[i].tymed == TYMED_NULL) {
            if (!RenderData(offered, *medium, PrimaryButtonUp()))
                return DV_E_FORMATETC;
            return S_OK;
        }
        return CopyMedium(m_media[i], offered.cfFormat, *medium);
    }
    return DV_E_FORMATETC;
}

HRESULT CDataObject::QueryGetData(FORMATETC* format)
{
    if (!format)
        return E_INVALIDARG;
    if (!(format->dwAspect & DVASPECT_CONTENT))
        return DV_E_DVASPECT;
    bool mediumShared = false;
    for (const FORMATETC& offered : m_formats) {
        if (!(offered.tymed & format->tymed))
            continue;
        mediumShared = true;
        if (offered.cfFormat == format->cfFormat)
            return S_OK;
    }
    return mediumShared ? DV_E_CLIPFORMAT : DV_E_TYMED;
}

HRESULT CDataObject::GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out)
{
    if (!out)
        return E_INVALIDARG;
    if (in)
        *out = *in;
    out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
}

HRESULT CDataObject::SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release)
{
    if (!format || !medium)
        return E_INVALIDARG;
    STGMEDIUM kept = {};
    if (release) {
        kept = *medium;
    } else {
        HRESULT hr = CopyMedium(*medium, format->cfFormat, kept);
        if (FAILED(hr))
            return hr;
    }
    FORMATETC offered = *format;
    // A target device belongs to the caller; the list never uses one.
    offered.ptd = nullptr;
    for (size_t i = 0; i < m_formats.size(); ++i) {
        const FORMATETC& old = m_formats[i];
        if (old.cfFormat == offered.cfFormat && old.dwAspect == offered.dwAspect && old.tymed == offered.tymed
            && old.lindex == offered.lindex) {
            if (m_media[i].tymed != TYMED_NULL)
                ::ReleaseStgMedium(&m_media[i]);
            m_media[i] = kept;
            return S_OK;
        }
    }
    m_formats.push_back(offered);
    m_media.push_back(kept);
    return S_OK;
}

HRESULT CDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (direction != DATADIR_GET)
        return E_NOTIMPL;
    *out = new CEnumFormatEtc(m_formats);
    return S_OK;
}
