#pragma once
// The target side of OLE drag and drop for one window. On entry it takes the
// first of its accepted formats the data object can give and keeps that
// medium; the window's own decisions come through the hooks, which a derived
// class overrides in either of two ways: OnDragEnter/OnDragOver/OnDrop/
// OnDragLeave, or one QueryDrop for entry and moves. The keys then pick the
// effect among those the source allows.
#include "win/Com.h"
#include <ole2.h>
#include <shlobj.h>
#include <vector>

class CDropTarget : public CUnknownImpl<IDropTarget>
{
public:
    // Creates the system's drag-image helper when it can (none otherwise).
    explicit CDropTarget(HWND target);
    ~CDropTarget() override;

    // Formats are tried in the order they were added.
    void AddFormat(CLIPFORMAT format);
    void AddFormat(const FORMATETC& format);
    const std::vector<FORMATETC>& GetFormats() const { return m_formats; }
    HWND GetTargetWindow() const { return m_target; }
    bool IsAccepting() const { return m_accepting; }

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL screen, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL screen, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL screen, DWORD* effect) override;

    // The effect the keys ask for among those allowed: Ctrl copies (with
    // Shift links), Shift moves, no key takes the first of copy, move, link
    // that is allowed; a wish that is not allowed gives no effect.
    static DWORD AdjustEffect(DWORD keys, DWORD allowed);

protected:
    // Entry and moves, with the kept format and medium and the client point:
    // the effects the window would take (none by default).
    virtual DWORD OnDragEnter(const FORMATETC& format, STGMEDIUM& medium, DWORD keys, POINT client);
    virtual DWORD OnDragOver(const FORMATETC& format, STGMEDIUM& medium, DWORD keys, POINT client);
    // The drop with a medium freshly taken from the dropped object; false
    // refuses it (the source then sees no effect).
    virtual bool OnDrop(const FORMATETC& format, STGMEDIUM& medium, DWORD keys, DWORD effect, POINT client);
    virtual void OnDragLeave() { }
    // The one decision for entry and moves when OnDragEnter/OnDragOver are
    // not overridden.
    virtual DWORD QueryDrop(const FORMATETC&, STGMEDIUM&, DWORD, POINT) { return DROPEFFECT_NONE; }

private:
    POINT ToClient(POINTL screen) const;
    void ReleaseHeld();

    HWND m_target;
    CComPtr<IDropTargetHelper> m_helper;
    std::vector<FORMATETC> m_formats;
    bool m_accepting = false;
    FORMATETC m_heldFormat = {};
    CStgMedium m_heldMedium;
};
