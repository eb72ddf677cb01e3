#include "skin/ListDragDrop.h"
#include <shlguid.h>
#include <shobjidl.h>

CDragDrop::~CDragDrop()
{
    Revoke();
}

bool CDragDrop::Attach(HWND list, IDropTarget* target, IDropSource* source, CDataObject* data)
{
    Revoke();
    if (!list || !target || FAILED(::RegisterDragDrop(list, target)))
        return false;
    m_list = list;
    m_registered = true;
    m_target = target;
    m_source = source;
    m_dataHolder = data;
    m_data = data;
    return true;
}

void CDragDrop::Revoke()
{
    if (m_registered && ::IsWindow(m_list))
        ::RevokeDragDrop(m_list);
    m_registered = false;
    m_target.Release();
}

DWORD CDragDrop::RunDrag(CLIPFORMAT format, DWORD allowed, HBITMAP image, POINT hotSpot, COLORREF transparent)
{
    if (!m_source || !m_data) {
        if (image)
            ::DeleteObject(image);
        return DROPEFFECT_NONE;
    }
    FORMATETC offered = { format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL };
    STGMEDIUM empty = {};
    if (FAILED(m_data->SetData(&offered, &empty, TRUE))) {
        if (image)
            ::DeleteObject(image);
        return DROPEFFECT_NONE;
    }
    if (image) {
        CComPtr<IDragSourceHelper> helper;
        bool taken = false;
        if (SUCCEEDED(helper.CoCreateInstance(CLSID_DragDropHelper))) {
            BITMAP info = {};
            ::GetObjectA(image, sizeof(info), &info);
            SHDRAGIMAGE picture = {};
            picture.sizeDragImage.cx = info.bmWidth;
            picture.sizeDragImage.cy = info.bmHeight;
            picture.ptOffset = hotSpot;
            picture.hbmpDragImage = image;
            picture.crColorKey = transparent;
            taken = SUCCEEDED(helper->InitializeFromBitmap(&picture, m_data));
        }
        // The helper owns the picture only when it took it.
        if (!taken)
            ::DeleteObject(image);
    }
    DWORD effect = DROPEFFECT_NONE;
    HRESULT hr = ::DoDragDrop(m_data, m_source, allowed, &effect);
    return hr == DRAGDROP_S_DROP ? effect : DROPEFFECT_NONE;
}
