#include "skin/SkinScrollBarCtrl.h"
#include "base/DataPaths.h"

CSkinScrollBarCtrl::~CSkinScrollBarCtrl()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
}

bool CSkinScrollBarCtrl::SetBackground(const char* skinFileName)
{
    return m_background.Load(
        DataPaths::Instance()->GetSkinFile(skinFileName ? skinFileName : "").c_str(), CLR_INVALID);
}

void CSkinScrollBarCtrl::SetFirstLink(const std::string& url, const std::string& label, HBITMAP icon)
{
    m_firstUrl = url;
    m_firstLabel = label;
    AddFirstLinkIcon(icon);
}

void CSkinScrollBarCtrl::AddFirstLinkIcon(HBITMAP icon)
{
    if (icon)
        m_icons.emplace_back(icon);
}

void CSkinScrollBarCtrl::SetSecondLink(const std::string& url, const std::string& label)
{
    m_secondUrl = url;
    m_secondLabel = label;
}

void CSkinScrollBarCtrl::CreateLink(
    CSkinBitmapHyperLink& link, const std::string& url, const std::string& label)
{
    link.SetHyperLink(url);
    link.SetLabel(label);
    link.m_linkColour = kLinkColour;
    link.m_visitedColour = kLinkColour;
    link.m_hoverColour = kLinkColour;
    if (m_linkFont)
        link.SetLinkFont(m_linkFont);
    link.Create(m_hWnd, CRect(0, 0, 0, 0), label.c_str(), WS_CHILD | WS_VISIBLE);
}

LRESULT CSkinScrollBarCtrl::OnCreate(UINT, WPARAM, LPARAM, BOOL&)
{
    m_barHeight = m_background.GetHeight();
    m_ticker.Create(m_hWnd, CRect(0, 0, 0, 0), nullptr, WS_CHILD | WS_VISIBLE);
    if (m_barHeight > 0) {
        const CRect window = GetRectInParent();
        SetWindowPos(nullptr, 0, 0, window.Width(), m_barHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (!m_firstUrl.empty() && !m_firstLabel.empty()) {
        // The icons go to the link, which frees them: one owner each.
        for (CBitmap& icon : m_icons)
            m_firstLink.AddImage(icon.Detach());
        m_icons.clear();
        m_firstLink.SetAnimate(m_firstLink.GetImageCount() >= 2);
        m_firstLink.SetExtendedStyle(kFirstLinkStyle);
        CreateLink(m_firstLink, m_firstUrl, m_firstLabel);
    }
    if (!m_secondUrl.empty() && !m_secondLabel.empty())
        CreateLink(m_secondLink, m_secondUrl, m_secondLabel);
    // The size set above came before the children existed.
    const CRect client = GetClientRect();
    BOOL handled = TRUE;
    OnSize(SIZE_RESTORED, client.Size(), handled);
    return 0;
}

void CSkinScrollBarCtrl::OnSize(UINT, CSize size, BOOL&)
{
    const int W = size.cx;
    const int H = size.cy;
    const UINT flags = SWP_NOACTIVATE | SWP_NOZORDER;
    if (m_ticker.m_hWnd)
        m_ticker.SetWindowPos(nullptr, 292, 4, W - 298, H - 10, flags);
    if (m_firstLink.m_hWnd)
        m_firstLink.SetWindowPos(nullptr, 5, 4, 175, H - 10, flags);
    if (m_secondLink.m_hWnd)
        m_secondLink.SetWindowPos(nullptr, 185, 4, 60, H - 10, flags);
    Invalidate(false);
}

void CSkinScrollBarCtrl::DoPaint(HDC dc)
{
    const CRect client = GetClientRect();
    if (m_background.IsNull() || !m_background.Draw(dc, client, kCornerX, 0))
        FillSolidRect(dc, client, ::GetSysColor(COLOR_BTNFACE));
}
