#include "skin/SkinStatusBarCtrl.h"
#include "base/DataPaths.h"

int LayoutStatusPanes(
    std::vector<StatusPane>& panes, const std::string& separator, const StatusPieceFn& piece)
{
    int offset = 0;
    for (size_t i = 0; i < panes.size(); ++i) {
        StatusPane& pane = panes[i];
        pane.start = offset;
        for (const StatusSegment& segment : pane.segments)
            offset += piece(segment.text, segment.font, segment.colour, offset);
        pane.end = offset;
        if (i + 1 < panes.size())
            offset += piece(separator, nullptr, CSkinStatusBarCtrl::kSeparatorColour, offset);
    }
    return offset;
}

int FindStatusPane(const std::vector<StatusPane>& panes, int x)
{
    for (size_t i = 0; i < panes.size(); ++i)
        if (panes[i].start <= x && x <= panes[i].end)
            return static_cast<int>(i);
    return -1;
}

CSkinStatusBarCtrl::~CSkinStatusBarCtrl()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
}

bool CSkinStatusBarCtrl::SetBackground(const char* skinFileName)
{
    return m_background.Load(
        DataPaths::Instance()->GetSkinFile(skinFileName ? skinFileName : "").c_str(), CLR_INVALID);
}

void CSkinStatusBarCtrl::SetStatusItems(const std::vector<StatusPane>& panes)
{
    {
        SingleLock lock(&m_lock);
        m_panes = panes;
    }
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CSkinStatusBarCtrl::SetRightText(const std::string& text)
{
    {
        SingleLock lock(&m_lock);
        m_rightText = text;
    }
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

std::vector<StatusPane> CSkinStatusBarCtrl::GetStatusItems() const
{
    SingleLock lock(&m_lock);
    return m_panes;
}

LRESULT CSkinStatusBarCtrl::OnCreate(UINT, WPARAM, LPARAM, BOOL&)
{
    m_font.Attach(::CreateFontA(kFontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS, "Arial"));
    m_hand = ::LoadCursor(nullptr, IDC_HAND);
    m_arrow = ::LoadCursor(nullptr, IDC_ARROW);
    m_barHeight = m_background.GetHeight();
    if (m_barHeight > 0) {
        const CRect window = GetRectInParent();
        SetWindowPos(nullptr, 0, 0, window.Width(), m_barHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return 0;
}

// A child never receives WM_CLOSE, so the font goes with the window.
LRESULT CSkinStatusBarCtrl::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
{
    m_font.Reset();
    handled = FALSE;
    return 0;
}

LRESULT CSkinStatusBarCtrl::OnSize(UINT, WPARAM, LPARAM, BOOL&)
{
    Invalidate(false);
    return 1;
}

void CSkinStatusBarCtrl::DoPaint(HDC dc)
{
    SingleLock lock(&m_lock);
    const CRect client = GetClientRect();
    if (!m_background.IsNull())
        m_background.Draw(dc, client, kCornerX, 0);
    else
        FillSolidRect(dc, client, ::GetSysColor(COLOR_BTNFACE));
    CRect area = client;
    area.left += kTextLeft;
    area.right -= kTextRightMargin;
    area.top += (m_barHeight - kFontHeight) / 2;
    DrawPaneText(dc, area);
}

void CSkinStatusBarCtrl::DrawPaneText(HDC dc, const CRect& textArea)
{
    SingleLock lock(&m_lock);
    const int mode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = ::GetTextColor(dc);
    HFONT barFont = m_font.IsNull() ? static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)) : m_font.Get();
    CSelectObject selectBar(dc, barFont);
    if (!m_rightText.empty()) {
        ::SetTextColor(dc, RGB(0, 0, 0));
        CRect r = textArea;
        ::DrawTextA(dc, m_rightText.c_str(), static_cast<int>(m_rightText.size()), &r,
            DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
    }
    const auto piece = [&](const std::string& text, HFONT font, COLORREF colour, int offset) {
        CSelectObject select(dc, font ? font : barFont);
        ::SetTextColor(dc, colour);
        CRect r = textArea;
        ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r,
            DT_CALCRECT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        r.Offset(offset, 0);
        ::DrawTextA(
            dc, text.c_str(), static_cast<int>(text.size()), &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        return static_cast<int>(r.Width());
    };
    LayoutStatusPanes(m_panes, m_separator, piece);
    ::SetTextColor(dc, oldColour);
    ::SetBkMode(dc, mode);
}

BOOL CSkinStatusBarCtrl::OnSetCursor(HWND, UINT, UINT, BOOL& handled)
{
    if (!m_hover) {
        handled = FALSE;
        return FALSE;
    }
    return TRUE;
}

void CSkinStatusBarCtrl::OnMouseMove(UINT, CPoint point, BOOL&)
{
    const int x = point.x - kTextLeft;
    {
        SingleLock lock(&m_lock);
        m_hover = m_clickMessage > 0 && FindStatusPane(m_panes, x) >= 0;
    }
    if (m_hover) {
        TRACKMOUSEEVENT track = { sizeof(track), TME_LEAVE, m_hWnd, 0 };
        ::TrackMouseEvent(&track);
        ::SetCursor(m_hand);
    }
}

// The value is copied and the lock left before the parent hears of it: the
// poll thread takes the same lock, and the parent may take a while.
void CSkinStatusBarCtrl::OnLButtonDown(UINT, CPoint point, BOOL&)
{
    if (m_clickMessage == 0)
        return;
    const int x = point.x - kTextLeft;
    int32_t value = 0;
    {
        SingleLock lock(&m_lock);
        const int index = FindStatusPane(m_panes, x);
        if (index < 0)
            return;
        value = m_panes[static_cast<size_t>(index)].value;
    }
    ::SendMessageA(GetParent(), m_clickMessage, static_cast<WPARAM>(static_cast<uint32_t>(value)), 0);
}

LRESULT CSkinStatusBarCtrl::OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&)
{
    m_hover = false;
    ::SetCursor(m_arrow);
    return 0;
}
