#include "win/DispEventSink.h"
#include "win/Com.h"

namespace {

// The source's connection point for the event interface.
HRESULT FindConnectionPoint(IUnknown* source, const IID& events, CComPtr<IConnectionPoint>& point)
{
    CComPtr<IConnectionPointContainer> container;
    HRESULT hr = source->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container));
    if (FAILED(hr) || !container)
        return FAILED(hr) ? hr : E_NOINTERFACE;
    hr = container->FindConnectionPoint(events, &point);
    if (FAILED(hr) || !point)
        return FAILED(hr) ? hr : E_FAIL;
    return S_OK;
}

} // namespace

HRESULT CDispEventSink::AdviseTo(IUnknown* source, DWORD* cookie)
{
    if (!source || !cookie)
        return E_POINTER;
    CComPtr<IConnectionPoint> point;
    const HRESULT hr = FindConnectionPoint(source, m_events, point);
    if (FAILED(hr))
        return hr;
    return point->Advise(static_cast<IDispatch*>(this), cookie);
}

HRESULT CDispEventSink::UnadviseFrom(IUnknown* source, DWORD cookie)
{
    if (!source)
        return E_POINTER;
    CComPtr<IConnectionPoint> point;
    const HRESULT hr = FindConnectionPoint(source, m_events, point);
    if (FAILED(hr))
        return hr;
    return point->Unadvise(cookie);
}

VARIANT* CDispEventSink::Argument(DISPPARAMS* params, UINT index)
{
    if (!params || !params->rgvarg || index >= params->cArgs)
        return nullptr;
    return &params->rgvarg[params->cArgs - 1 - index];
}

VARIANT_BOOL* CDispEventSink::BoolReference(DISPPARAMS* params, UINT index)
{
    VARIANT* argument = Argument(params, index);
    if (!argument || argument->vt != (VT_BOOL | VT_BYREF))
        return nullptr;
    return argument->pboolVal;
}

LONG CDispEventSink::IntegerArgument(DISPPARAMS* params, UINT index, LONG fallback)
{
    VARIANT* argument = Argument(params, index);
    if (!argument)
        return fallback;
    if (argument->vt == (VT_VARIANT | VT_BYREF) && argument->pvarVal)
        argument = argument->pvarVal;
    CVariant value;
    if (FAILED(::VariantChangeType(&value, argument, 0, VT_I4)))
        return fallback;
    return value.lVal;
}

HRESULT CDispEventSink::QueryInterface(REFIID iid, void** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == m_events) {
        *out = static_cast<IDispatch*>(this);
        return S_OK;
    }
    return E_NOINTERFACE;
}

HRESULT CDispEventSink::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT CDispEventSink::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}

HRESULT CDispEventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return E_NOTIMPL;
}

HRESULT CDispEventSink::Invoke(
    DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*, UINT*)
{
    if (result)
        ::VariantInit(result);
    return OnEvent(id, params);
}
