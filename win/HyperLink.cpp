#include "win/HyperLink.h"
#include "base/MbcsText.h"
#include <algorithm>
#include <cstdlib>

namespace {

const char kAnchorKey[] = "Software\\Microsoft\\Internet Explorer\\Settings";

bool ReadRegistryText(const char* value, std::string& text)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kAnchorKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    char buffer[64] = {};
    DWORD size = sizeof(buffer) - 1;
    DWORD type = 0;
    const LONG result
        = ::RegQueryValueExA(key, value, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    ::RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ)
        return false;
    buffer[std::min<DWORD>(size, sizeof(buffer) - 1)] = '\0';
    text = buffer;
    return true;
}

size_t FindNoCase(const std::string& text, const std::string& what, size_t from)
{
    for (size_t pos = from; pos < text.size(); pos += std::max<size_t>(MbcsCharSize(text, pos), 1))
        if (MbcsStartsWithNoCase(text.substr(pos), what))
            return pos;
    return std::string::npos;
}

}

bool ParseColourTriple(const std::string& text, COLORREF& colour)
{
    int parts[3] = {};
    const char* p = text.c_str();
    for (int i = 0; i < 3; ++i) {
        while (*p == ' ')
            ++p;
        if (*p < '0' || *p > '9')
            return false;
        char* end = nullptr;
        const long value = std::strtol(p, &end, 10);
        if (value < 0 || value > 255)
            return false;
        parts[i] = static_cast<int>(value);
        p = end;
        while (*p == ' ')
            ++p;
        if (i < 2) {
            if (*p != ',')
                return false;
            ++p;
        }
    }
    if (*p != '\0')
        return false;
    colour = RGB(parts[0], parts[1], parts[2]);
    return true;
}

void ReadBrowserAnchorColours(COLORREF& link, COLORREF& visited)
{
    std::string text;
    if (ReadRegistryText("Anchor Color", text))
        ParseColourTriple(text, link);
    if (ReadRegistryText("Anchor Color Visited", text))
        ParseColourTriple(text, visited);
}

HyperLinkLabelParts SplitHyperLinkLabel(const std::string& label)
{
    HyperLinkLabelParts parts;
    const size_t open = FindNoCase(label, "<A>", 0);
    const size_t close = open == std::string::npos ? std::string::npos : FindNoCase(label, "</A>", open + 3);
    if (close == std::string::npos) {
        parts.link = label;
        return parts;
    }
    parts.before = label.substr(0, open);
    parts.link = label.substr(open + 3, close - open - 3);
    parts.after = label.substr(close + 4);
    parts.tagged = true;
    return parts;
}

CHyperLinkBase::CHyperLinkBase()
    : m_opener(&OpenPageInBrowser)
{
    ReadBrowserAnchorColours(m_linkColour, m_visitedColour);
}

void CHyperLinkBase::SetLabel(const std::string& label)
{
    m_label = label;
    if (m_link) {
        CalcLabelRect();
        ::InvalidateRect(m_link, nullptr, FALSE);
    }
}

void CHyperLinkBase::SetHyperLink(const std::string& url)
{
    m_url = url;
    UpdateTooltip();
}

void CHyperLinkBase::SetToolTipText(const std::string& text)
{
    m_tooltipText = text;
    UpdateTooltip();
}

void CHyperLinkBase::SetLinkFont(HFONT font, bool own)
{
    m_ownedLinkFont.Reset();
    m_state &= ~kHyperLinkOwnsLinkFont;
    m_linkFont = font;
    if (own && font) {
        m_ownedLinkFont.Attach(font);
        m_state |= kHyperLinkOwnsLinkFont;
    }
    if (m_link)
        CalcLabelRect();
}

DWORD CHyperLinkBase::SetExtendedStyle(DWORD style, DWORD mask)
{
    const DWORD old = m_extendedStyle;
    m_extendedStyle = mask == 0 ? style : (m_extendedStyle & ~mask) | (style & mask);
    return old;
}

void CHyperLinkBase::InitLink(HWND hwnd)
{
    m_link = hwnd;
    if (m_label.empty())
        m_label = CWindow(hwnd).GetWindowText();
    if (!m_normalFont) {
        m_normalFont = reinterpret_cast<HFONT>(::SendMessageA(hwnd, WM_GETFONT, 0, 0));
        if (!m_normalFont && ::GetParent(hwnd))
            m_normalFont = reinterpret_cast<HFONT>(::SendMessageA(::GetParent(hwnd), WM_GETFONT, 0, 0));
        if (!m_normalFont)
            m_normalFont = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    }
    if (!m_linkFont) {
        LOGFONTA lf = {};
        if (::GetObjectA(m_normalFont, sizeof(lf), &lf)) {
            lf.lfUnderline = TRUE;
            m_ownedLinkFont.Attach(::CreateFontIndirectA(&lf));
            if (m_ownedLinkFont) {
                m_linkFont = m_ownedLinkFont;
                m_state |= kHyperLinkOwnsLinkFont;
            }
        }
        if (!m_linkFont)
            m_linkFont = m_normalFont;
    }
    if (!m_linkCursor)
        m_linkCursor = ::LoadCursor(nullptr, IDC_HAND);
    CalcLabelRect();
}

void CHyperLinkBase::DestroyLink()
{
    if (m_tooltip.m_hWnd) {
        ::DestroyWindow(m_tooltip.m_hWnd);
        m_tooltip.m_hWnd = nullptr;
    }
    if (m_link && ::GetCapture() == m_link)
        ::ReleaseCapture();
    m_tracking = false;
}

void CHyperLinkBase::UpdateTooltip()
{
    if (!m_tooltip.m_hWnd || !m_link)
        return;
    m_tooltip.DelTool(m_link, 1);
    const std::string& text = m_tooltipText.empty() ? m_url : m_tooltipText;
    if (!text.empty())
        m_tooltip.AddTool(m_link, 1, text.c_str(), &m_labelRect);
}

void CHyperLinkBase::CalcLabelRect()
{
    if (!m_link)
        return;
    CRect client;
    ::GetClientRect(m_link, &client);
    const HyperLinkLabelParts parts = SplitHyperLinkLabel(m_label);
    CClientDC dc(m_link);
    const auto measure = [&](const std::string& text, HFONT font, UINT flags) {
        CSelectObject select(dc, font ? font : m_normalFont);
        CRect r(0, 0, client.Width(), client.Height());
        ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_NOPREFIX | flags);
        return r;
    };
    if (parts.tagged) {
        // The link part's own rectangle, on one line after the text before it.
        const CRect before = measure(parts.before, m_normalFont, DT_SINGLELINE);
        const CRect link = measure(parts.link, m_linkFont, DT_SINGLELINE);
        const int left = client.left + (parts.before.empty() ? 0 : before.Width());
        m_labelRect = CRect(left, client.top, left + link.Width(), client.top + link.Height());
    } else {
        const CRect text = measure(m_label, m_linkFont, DT_WORDBREAK);
        const LONG style = static_cast<LONG>(::GetWindowLongPtrA(m_link, GWL_STYLE));
        int left = client.left;
        if ((style & SS_TYPEMASK) == SS_CENTER)
            left = client.left + (client.Width() - text.Width()) / 2;
        else if ((style & SS_TYPEMASK) == SS_RIGHT)
            left = client.right - text.Width();
        m_labelRect = CRect(left, client.top, left + text.Width(), client.top + text.Height());
    }
    UpdateTooltip();
}

COLORREF CHyperLinkBase::LabelColour() const
{
    if (m_link && !::IsWindowEnabled(m_link))
        return ::GetSysColor(COLOR_GRAYTEXT);
    return (m_state & kHyperLinkVisited) ? m_visitedColour : m_linkColour;
}

HFONT CHyperLinkBase::LabelFont() const
{
    if (m_extendedStyle & kHyperLinkNotUnderlined)
        return m_normalFont;
    if ((m_extendedStyle & kHyperLinkUnderlineHover) && !(m_state & kHyperLinkHover))
        return m_normalFont;
    return m_linkFont;
}

void CHyperLinkBase::DrawLabelText(HDC dc, COLORREF linkColour, HFONT linkFont)
{
    const int mode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF old = ::GetTextColor(dc);
    const HyperLinkLabelParts parts = SplitHyperLinkLabel(m_label);
    if (parts.tagged) {
        CRect client;
        ::GetClientRect(m_link, &client);
        const COLORREF plain = (m_link && !::IsWindowEnabled(m_link)) ? ::GetSysColor(COLOR_GRAYTEXT)
                                                                      : ::GetSysColor(COLOR_WINDOWTEXT);
        const auto draw = [&](const std::string& text, HFONT font, COLORREF colour, int x) {
            CSelectObject select(dc, font);
            ::SetTextColor(dc, colour);
            CRect r(x, client.top, client.right, client.bottom);
            ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_SINGLELINE | DT_NOPREFIX);
            CRect measured = r;
            ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &measured,
                DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
            return x + measured.Width();
        };
        draw(parts.before, m_normalFont, plain, client.left);
        draw(parts.link, linkFont, linkColour, m_labelRect.left);
        draw(parts.after, m_normalFont, plain, m_labelRect.right);
    } else {
        CSelectObject select(dc, linkFont);
        ::SetTextColor(dc, linkColour);
        UINT align = DT_LEFT;
        const LONG style = m_link ? static_cast<LONG>(::GetWindowLongPtrA(m_link, GWL_STYLE)) : 0;
        if ((style & SS_TYPEMASK) == SS_CENTER)
            align = DT_CENTER;
        else if ((style & SS_TYPEMASK) == SS_RIGHT)
            align = DT_RIGHT;
        CRect r = m_labelRect;
        ::DrawTextA(
            dc, m_label.c_str(), static_cast<int>(m_label.size()), &r, DT_WORDBREAK | DT_NOPREFIX | align);
    }
    ::SetTextColor(dc, old);
    ::SetBkMode(dc, mode);
}

void CHyperLinkBase::DrawFocus(HDC dc)
{
    if (m_link && ::GetFocus() == m_link) {
        CRect r = m_labelRect;
        ::DrawFocusRect(dc, &r);
    }
}

void CHyperLinkBase::InvalidateLabel()
{
    if (m_link)
        ::InvalidateRect(m_link, nullptr, FALSE);
}

void CHyperLinkBase::SetHover(bool hover)
{
    const bool was = (m_state & kHyperLinkHover) != 0;
    if (hover == was)
        return;
    if (hover)
        m_state |= kHyperLinkHover;
    else
        m_state &= ~kHyperLinkHover;
    InvalidateLabel();
}

void CHyperLinkBase::TrackLeave()
{
    if (m_tracking || !m_link)
        return;
    TRACKMOUSEEVENT track = { sizeof(track), TME_LEAVE, m_link, 0 };
    m_tracking = ::TrackMouseEvent(&track) != FALSE;
}

void CHyperLinkBase::MakeTooltip(CPoint point)
{
    // The tip window is made when the pointer first comes to the link: it is
    // a top-level window, and one made up front for every link of a dialog
    // costs its opening more than the tips are worth by then.
    if (m_tooltip.m_hWnd || !m_link || (m_extendedStyle & kHyperLinkNoTooltip))
        return;
    if (!m_tooltip.Create(m_link))
        return;
    UpdateTooltip();
    // The tip watches the link's messages from now on; this one came first.
    MSG first = {};
    first.hwnd = m_link;
    first.message = WM_MOUSEMOVE;
    first.lParam = MAKELPARAM(point.x, point.y);
    m_tooltip.RelayEvent(&first);
}

LRESULT CHyperLinkBase::HandleMouseMove(CPoint point)
{
    MakeTooltip(point);
    if (IsOverLabel(point)) {
        ::SetCursor(m_linkCursor);
        if (m_extendedStyle & kHyperLinkUnderlineHover) {
            SetHover(true);
            TrackLeave();
        }
    } else if (m_extendedStyle & kHyperLinkUnderlineHover) {
        SetHover(false);
    }
    return 0;
}

void CHyperLinkBase::HandleMouseLeave()
{
    m_tracking = false;
    SetHover(false);
}

void CHyperLinkBase::HandleButtonDown(CPoint, bool overLink)
{
    if (!overLink || !m_link)
        return;
    ::SetFocus(m_link);
    ::SetCapture(m_link);
}

void CHyperLinkBase::HandleButtonUp(CPoint, bool overLink)
{
    if (!m_link || ::GetCapture() != m_link)
        return;
    ::ReleaseCapture();
    if (overLink)
        Navigate();
}

bool CHyperLinkBase::HandleSetCursor()
{
    if (!m_link)
        return false;
    POINT p = {};
    ::GetCursorPos(&p);
    ::ScreenToClient(m_link, &p);
    if (!IsOverLabel(CPoint(p.x, p.y)))
        return false;
    ::SetCursor(m_linkCursor);
    return true;
}

void CHyperLinkBase::HandleChar(UINT key)
{
    if (key == VK_RETURN || key == VK_SPACE)
        Navigate();
}

bool CHyperLinkBase::Navigate()
{
    if (!m_link)
        return false;
    bool handed = false;
    if (m_extendedStyle & kHyperLinkCommandButton) {
        HWND parent = ::GetParent(m_link);
        const int id = ::GetDlgCtrlID(m_link);
        handed = parent && ::IsWindow(parent);
        if (handed)
            ::SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(m_link));
    } else {
        const std::string& target = m_url.empty() ? m_label : m_url;
        handed = m_opener && m_opener(target);
    }
    if (handed) {
        m_state |= kHyperLinkVisited;
        InvalidateLabel();
    }
    return handed;
}
