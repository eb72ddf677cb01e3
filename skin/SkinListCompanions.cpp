// The companion windows of the skinned list: the row tooltip and the drop
// arrows are created here; the title tip, the in-place editors and the
// drag-and-drop registration hook in through the functions below.
#include "skin/SkinListImpl.h"

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
    return true;
}

void CSkinListImpl::HideTitleTip()
{
    m_titleTipRow = -1;
    m_titleTipColumn = -1;
}

void CSkinListImpl::DestroyCompanions()
{
    if (m_titleTip.m_hWnd)
        m_titleTip.DestroyWindow();
    if (m_dropArrows.m_hWnd)
        m_dropArrows.DestroyWindow();
    if (m_tooltip.m_hWnd) {
        m_tooltip.DestroyWindow();
        m_tooltip.Detach();
    }
}
