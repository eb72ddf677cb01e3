// The companions of the skinned list: the row tooltip, the drop arrows, the
// title tip and the drag-and-drop registration with the drop target's and
// the data object's answers.
#include "skin/SkinListImpl.h"
#include "skin/DropSource.h"
#include "skin/ListDragPayload.h"

bool CSkinListImpl::CreateRowTooltip()
{
    if (m_tooltip.m_hWnd)
        return true;
    HWND tooltip = ::CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr, ::GetModuleHandleA(nullptr),
        nullptr);
    if (!tooltip)
        return false;
    m_tooltip.Attach(tooltip);
    m_tooltip.SendMessage(TTM_SETMAXTIPWIDTH, 0, 0x7FFF);
    return true;
}

bool CSkinListImpl::RecreateDropArrows()
{
    return m_dropArrows.Create(m_hWnd, m_headerHeight);
}

bool CSkinListImpl::RecreateTitleTip()
{
    if (!m_hWnd)
        return true;
    // Made anew so that it takes the list's current look.
    if (m_titleTip.m_hWnd)
        m_titleTip.DestroyWindow();
    return m_titleTip.Create(m_hWnd, IsThemed());
}

bool CSkinListImpl::AttachDragDrop()
{
    if (!m_hWnd)
        return false;
    // Objects of an earlier window of this list answer nothing any more.
    if (m_dropTarget)
        m_dropTarget->Unbind();
    if (m_dragData)
        m_dragData->Unbind();
    m_dropTarget.Attach(new CDropTargetT<CSkinListImpl>(*this));
    m_dropTarget->AddFormat(HeaderClipboardFormat());
    CComPtr<IDropSource> source;
    source.Attach(new CDropSource());
    m_dragData.Attach(new CDataObjectT<CSkinListImpl>(*this, source));
    return m_dragDrop.Attach(m_hWnd, m_dropTarget, source, m_dragData);
}

bool CSkinListImpl::RenderData(const FORMATETC& format, STGMEDIUM& medium, bool)
{
    return m_hWnd && RenderListPayload(m_hWnd, format, medium);
}

DWORD CSkinListImpl::QueryDrop(const FORMATETC& format, STGMEDIUM& medium, DWORD, POINT client)
{
    // A header of another list, or anything from another program, never lands here.
    if (!IsOwnHeaderPayload(m_hWnd, format.cfFormat, medium)) {
        HideDropArrows();
        return DROPEFFECT_NONE;
    }
    return m_input.HeaderDragOver(client) ? DROPEFFECT_MOVE : DROPEFFECT_NONE;
}

bool CSkinListImpl::Drop(const FORMATETC& format, STGMEDIUM& medium, DWORD, POINT)
{
    const bool moved = IsOwnHeaderPayload(m_hWnd, format.cfFormat, medium) && m_input.HeaderDrop(format.cfFormat);
    HideDropArrows();
    ViewState()->dropPosition = -1;
    return moved;
}

void CSkinListImpl::LeaveDrop()
{
    // Arrows left standing while the pointer is elsewhere would promise a
    // drop that cannot happen there.
    HideDropArrows();
    ViewState()->dropPosition = -1;
}

void CSkinListImpl::HideTitleTip()
{
    if (!m_tooltip.m_hWnd)
        return;
    {
        ListStateAccess state = ViewState();
        state->tipRow = -1;
        state->tipColumn = -1;
    }
    if (m_titleTip.m_hWnd)
        m_titleTip.Hide();
}

void CSkinListImpl::DestroyCompanions()
{
    // The registration goes while the window still exists; the COM objects
    // may outlive the list in OLE's hands, so they let go of it first.
    m_dragDrop.Revoke();
    if (m_dropTarget) {
        m_dropTarget->Unbind();
        m_dropTarget.Release();
    }
    if (m_dragData)
        m_dragData->Unbind();
    if (m_titleTip.m_hWnd)
        m_titleTip.DestroyWindow();
    if (m_dropArrows.m_hWnd)
        m_dropArrows.DestroyWindow();
    if (m_tooltip.m_hWnd) {
        m_tooltip.DestroyWindow();
        m_tooltip.Detach();
    }
}
