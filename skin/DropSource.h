#pragma once
// The source side of an OLE drag started by a list: the drag goes on while a
// mouse button is held, Esc cancels it, releasing the buttons drops.
#include "win/Com.h"
#include <ole2.h>

class CDropSource : public CUnknownImpl<IDropSource>
{
public:
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override;
};

// Offers an empty medium of the format on the data object (the data is then
// rendered when a target asks for it). False without a data object or when
// the object refuses.
bool SetEmptyData(IDataObject* dataObject, CLIPFORMAT format);
