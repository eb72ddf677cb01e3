#include "skin/DropSource.h"

HRESULT STDMETHODCALLTYPE CDropSource::QueryContinueDrag(BOOL escapePressed, DWORD keyState)
{
    if (escapePressed)
        return DRAGDROP_S_CANCEL;
    if (!(keyState & (MK_LBUTTON | MK_RBUTTON)))
        return DRAGDROP_S_DROP;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CDropSource::GiveFeedback(DWORD)
{
    return DRAGDROP_S_USEDEFAULTCURSORS;
}

bool SetEmptyData(IDataObject* dataObject, CLIPFORMAT format)
{
    if (!dataObject)
        return false;
    FORMATETC etc = { format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL };
    CStgMedium medium;
    // The object takes the (empty) medium over; nothing is left to release.
    return SUCCEEDED(dataObject->SetData(&etc, &medium, TRUE));
}
