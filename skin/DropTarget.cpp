#include "skin/DropTarget.h"

CDropTarget::CDropTarget(HWND target)
    : m_target(target)
{
    m_helper.CoCreateInstance(CLSID_DragDropHelper);
}

CDropTarget::~CDropTarget()
{
    ReleaseHeld();
}

void CDropTarget::AddFormat(CLIPFORMAT format)
{
    AddFormat(FORMATETC { format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL });
}

void CDropTarget::AddFormat(const FORMATETC& format)
{
    m_formats.push_back(format);
}

DWORD CDropTarget::AdjustEffect(DWORD keys, DWORD allowed)
{
    DWORD wanted = DROPEFFECT_NONE;
    if (keys & MK_CONTROL)
        wanted = (keys & MK_SHIFT) ? DROPEFFECT_LINK : DROPEFFECT_COPY;
    else if (keys & MK_SHIFT)
        wanted = DROPEFFECT_MOVE;
    else if (allowed & DROPEFFECT_COPY)
        wanted = DROPEFFECT_COPY;
    else if (allowed & DROPEFFECT_MOVE)
        wanted = DROPEFFECT_MOVE;
    else if (allowed & DROPEFFECT_LINK)
        wanted = DROPEFFECT_LINK;
    return (wanted & allowed) ? wanted : DROPEFFECT_NONE;
}

POINT CDropTarget::ToClient(POINTL screen) const
{
    POINT p = { screen.x, screen.y };
    if (m_target)
        ::ScreenToClient(m_target, &p);
    return p;
}

void CDropTarget::ReleaseHeld()
{
    m_heldMedium.Release();
    m_heldFormat = FORMATETC();
}

DWORD CDropTarget::OnDragEnter(const FORMATETC& format, STGMEDIUM& medium, DWORD keys, POINT client)
{
    return QueryDrop(format, medium, keys, client);
}

DWORD CDropTarget::OnDragOver(const FORMATETC& format, STGMEDIUM& medium, DWORD keys, POINT client)
{
    return QueryDrop(format, medium, keys, client);
}

bool CDropTarget::OnDrop(const FORMATETC&, STGMEDIUM&, DWORD, DWORD, POINT)
{
    return false;
}

HRESULT STDMETHODCALLTYPE CDropTarget::DragEnter(IDataObject* data, DWORD keys, POINTL screen, DWORD* effect)
{
    if (!data || !effect)
        return E_INVALIDARG;
    if (m_helper) {
        POINT p = { screen.x, screen.y };
        m_helper->DragEnter(m_target, data, &p, *effect);
    }
    ReleaseHeld();
    m_accepting = false;
    for (const FORMATETC& format : m_formats) {
        FORMATETC asked = format;
        CStgMedium medium;
        if (SUCCEEDED(data->GetData(&asked, &medium))) {
            m_heldFormat = format;
            static_cast<STGMEDIUM&>(m_heldMedium) = medium;
            // The kept medium now owns what the answer held.
            medium.tymed = TYMED_NULL;
            medium.pUnkForRelease = nullptr;
            m_accepting = true;
            break;
        }
    }
    const DWORD allowed = *effect;
    DWORD wanted = DROPEFFECT_NONE;
    if (m_accepting)
        wanted = OnDragEnter(m_heldFormat, m_heldMedium, keys, ToClient(screen));
    *effect = m_accepting ? AdjustEffect(keys, allowed & wanted) : DROPEFFECT_NONE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CDropTarget::DragOver(DWORD keys, POINTL screen, DWORD* effect)
{
    if (!effect)
        return E_INVALIDARG;
    if (m_helper) {
        POINT p = { screen.x, screen.y };
        m_helper->DragOver(&p, *effect);
    }
    const DWORD allowed = *effect;
    DWORD wanted = DROPEFFECT_NONE;
    if (m_accepting && m_heldMedium.tymed != TYMED_NULL)
        wanted = OnDragOver(m_heldFormat, m_heldMedium, keys, ToClient(screen));
    *effect = m_accepting ? AdjustEffect(keys, allowed & wanted) : DROPEFFECT_NONE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CDropTarget::DragLeave()
{
    if (m_helper)
        m_helper->DragLeave();
    OnDragLeave();
    ReleaseHeld();
    m_accepting = false;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CDropTarget::Drop(IDataObject* data, DWORD keys, POINTL screen, DWORD* effect)
{
    if (!data || !effect)
        return E_INVALIDARG;
    if (m_helper) {
        POINT p = { screen.x, screen.y };
        m_helper->Drop(data, &p, *effect);
    }
    DWORD result = DROPEFFECT_NONE;
    if (m_accepting && m_heldFormat.cfFormat) {
        const DWORD chosen = AdjustEffect(keys, *effect);
        FORMATETC asked = m_heldFormat;
        CStgMedium medium;
        if (chosen != DROPEFFECT_NONE && SUCCEEDED(data->GetData(&asked, &medium))) {
            if (OnDrop(m_heldFormat, medium, keys, chosen, ToClient(screen)))
                result = chosen;
        }
    }
    *effect = result;
    ReleaseHeld();
    m_accepting = false;
    return S_OK;
}
