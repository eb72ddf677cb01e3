#pragma once
// The drag-and-drop companion of a skinned list: registers the list window
// as a drop target and holds the drop source and the data object its header
// drags use. The target, source and data object are handed in by the list
// (their list-bound forms pass the format work back to it).
#include "skin/DataObject.h"
#include "skin/DropTarget.h"
#include <commctrl.h>

// The list-bound data object: rendering is the list's (TList provides
// bool RenderData(const FORMATETC&, STGMEDIUM&, bool dropping)).
// OLE may hold the object a little longer than the list lives: the list
// unbinds it when its window goes, and it then renders nothing.
template <class TList> class CDataObjectT : public CDataObject
{
public:
    CDataObjectT(TList& list, IDropSource* source)
        : CDataObject(source)
        , m_list(&list)
    {
    }
    bool RenderData(const FORMATETC& format, STGMEDIUM& medium, bool dropping) override
    {
        return m_list && m_list->RenderData(format, medium, dropping);
    }
    void Unbind() { m_list = nullptr; }

private:
    TList* m_list;
};

// The list-bound drop target: the list decides entry and moves, takes the
// drop and hears when the drag leaves (TList provides
// DWORD QueryDrop(const FORMATETC&, STGMEDIUM&, DWORD keys, POINT client),
// bool Drop(const FORMATETC&, STGMEDIUM&, DWORD keys, POINT client) and
// void LeaveDrop()). Unbound, it refuses everything.
template <class TList> class CDropTargetT : public CDropTarget
{
public:
    explicit CDropTargetT(TList& list)
        : CDropTarget(list.m_hWnd)
        , m_list(&list)
    {
    }
    void Unbind() { m_list = nullptr; }

protected:
    DWORD QueryDrop(const FORMATETC& format, STGMEDIUM& medium, DWORD keys, POINT client) override
    {
        return m_list ? m_list->QueryDrop(format, medium, keys, client) : DROPEFFECT_NONE;
    }
    bool OnDrop(const FORMATETC& format, STGMEDIUM& medium, DWORD keys, DWORD, POINT client) override
    {
        return m_list && m_list->Drop(format, medium, keys, client);
    }
    void OnDragLeave() override
    {
        if (m_list)
            m_list->LeaveDrop();
    }

private:
    TList* m_list;
};

class CDragDrop
{
public:
    CDragDrop() = default;
    CDragDrop(const CDragDrop&) = delete;
    CDragDrop& operator=(const CDragDrop&) = delete;
    // Revokes the registration and releases the source and the data object.
    ~CDragDrop();

    // Registers target for list; on failure nothing is registered and the
    // result is false. With a source and a data object, holds one reference
    // to each for the drags that start here.
    bool Attach(HWND list, IDropTarget* target, IDropSource* source = nullptr, CDataObject* data = nullptr);
    // Ends the registration (the list's WM_DESTROY).
    void Revoke();
    bool IsRegistered() const { return m_registered; }

    // Offers format with an empty medium (rendered when a target asks) and
    // runs the platform's modal drag with the allowed effects. image, when
    // given, becomes the drag picture through the shell's helper (which takes
    // it over) with its hot spot and transparent colour; without the helper
    // the drag runs without a picture. Returns the effect the drop reported,
    // DROPEFFECT_NONE when the drag was cancelled or could not start.
    DWORD RunDrag(CLIPFORMAT format, DWORD allowed, HBITMAP image = nullptr, POINT hotSpot = POINT(),
        COLORREF transparent = CLR_NONE);

    CDataObject* GetDataObject() const { return m_data; }
    IDropSource* GetDropSource() const { return m_source; }
    // The registered target (null when none is).
    IDropTarget* GetDropTarget() const { return m_target; }

private:
    HWND m_list = nullptr;
    bool m_registered = false;
    CComPtr<IDropTarget> m_target;
    CComPtr<IDropSource> m_source;
    CComPtr<IDataObject> m_dataHolder;
    CDataObject* m_data = nullptr;
};
