#pragma once
// A dispatch sink for one event interface of a connectable object. It is a
// part of its owner (the owner's lifetime is the sink's): AddRef and Release
// count nothing. Events arrive through Invoke as a DISPID and the arguments
// in reverse order; Argument(params, i) gives the i-th in declaration order.
#include <windows.h>
#include <ocidl.h>
#include <oleauto.h>

class CDispEventSink : public IDispatch
{
public:
    explicit CDispEventSink(const IID& events)
        : m_events(events)
    {
    }
    CDispEventSink(const CDispEventSink&) = delete;
    CDispEventSink& operator=(const CDispEventSink&) = delete;

    // Connects to the source's connection point for the event interface.
    HRESULT AdviseTo(IUnknown* source, DWORD* cookie);
    HRESULT UnadviseFrom(IUnknown* source, DWORD cookie);

    // The i-th argument in declaration order, null when there are fewer.
    static VARIANT* Argument(DISPPARAMS* params, UINT index);
    // A VARIANT_BOOL* when the argument is one passed by reference.
    static VARIANT_BOOL* BoolReference(DISPPARAMS* params, UINT index);
    // The argument as a 32-bit integer (by value or by reference), or fallback.
    static LONG IntegerArgument(DISPPARAMS* params, UINT index, LONG fallback = 0);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(
        DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*, UINT*) override;

protected:
    ~CDispEventSink() = default;
    // One event; events the owner does not handle answer S_OK.
    virtual HRESULT OnEvent(DISPID id, DISPPARAMS* params) = 0;

private:
    IID m_events;
};
