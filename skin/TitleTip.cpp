#include "skin/TitleTip.h"
#include "skin/ColorUtil.h"
#include "win/AppModule.h"

namespace {

const UINT_PTR kTipToolId = 1;

}

bool CTitleTip::Create(HWND list, bool gradientLook)
{
    m_list = list;
    gradient = gradientLook;
    textColour = ::GetSysColor(DrawsGradient() ? COLOR_WINDOWTEXT : COLOR_INFOTEXT);
    LOGFONTA logFont = {};
    if (GetMessageFont(logFont))
        m_font.CreateIndirect(logFont);
    RECT none = { 0, 0, 0, 0 };
    if (!CWindowImpl::Create(list, none))
        return false;
    if (m_toolTip.Create(m_hWnd)) {
        m_toolTip.SetMaxTipWidth(0x7FFF);
        m_toolTip.AddTool(m_hWnd, kTipToolId, "", nullptr, 0);
        m_toolTip.Activate(false);
    }
    return true;
}

bool CTitleTip::DrawsGradient() const
{
    return gradient && CAppModule::Get().IsThemingSupported();
}

bool CTitleTip::Show(const RECT& cell, const std::string& text, const std::string& rowTip)
{
    if (!m_hWnd)
        return false;
    CClientDC dc(m_hWnd);
    CSelectObject font(dc, m_font.IsNull() ? ::GetStockObject(DEFAULT_GUI_FONT) : static_cast<HGDIOBJ>(m_font));
    SIZE extent = {};
    ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    if (extent.cx <= (cell.right - cell.left) - 1)
        return false;
    m_text = text;
    SetWindowText(text.c_str());
    if (m_toolTip.m_hWnd) {
        m_toolTip.UpdateTipText(m_hWnd, kTipToolId, rowTip.c_str());
        m_toolTip.Activate(!rowTip.empty());
    }
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, cell.left - 4, cell.top, extent.cx + 11, cell.bottom - cell.top,
        SWP_NOACTIVATE | SWP_SHOWWINDOW);
    Invalidate();
    ::SetCapture(m_hWnd);
    return true;
}

void CTitleTip::Hide()
{
    if (!m_hWnd)
        return;
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    if (IsWindowVisible())
        ShowWindow(SW_HIDE);
}

LRESULT CTitleTip::OnMouseMessage(UINT msg, WPARAM wp, LPARAM lp, BOOL&)
{
    if (m_toolTip.m_hWnd) {
        MSG relayed = { m_hWnd, msg, wp, lp, static_cast<DWORD>(::GetMessageTime()), {} };
        DWORD pos = ::GetMessagePos();
        relayed.pt.x = static_cast<short>(LOWORD(pos));
        relayed.pt.y = static_cast<short>(HIWORD(pos));
        m_toolTip.RelayEvent(&relayed);
    }
    POINT screen = CPoint::FromLParam(lp);
    // The wheel's point is already a screen point.
    if (msg != WM_MOUSEWHEEL)
        ::ClientToScreen(m_hWnd, &screen);
    if (msg == WM_MOUSEMOVE) {
        RECT window = GetWindowRect();
        if (!::PtInRect(&window, screen))
            Hide();
        return 0;
    }
    if (!::IsWindow(m_list))
        return 0;
    LRESULT hit = ::SendMessageA(m_list, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
    if (hit == HTCLIENT) {
        POINT client = screen;
        if (msg != WM_MOUSEWHEEL)
            ::ScreenToClient(m_list, &client);
        ::PostMessageA(m_list, msg, wp, MAKELPARAM(client.x, client.y));
        return 0;
    }
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        // WM_NCLBUTTONDOWN ... WM_NCMBUTTONDBLCLK lie as far apart as the client forms.
        ::PostMessageA(m_list, msg - WM_LBUTTONDOWN + WM_NCLBUTTONDOWN, static_cast<WPARAM>(hit),
            MAKELPARAM(screen.x, screen.y));
        break;
    default:
        break;
    }
    return 0;
}

LRESULT CTitleTip::OnPaint(UINT msg, WPARAM wp, LPARAM, BOOL&)
{
    HDC given = reinterpret_cast<HDC>(wp);
    RECT client = GetClientRect();
    if (given) {
        Paint(given);
    } else if (msg == WM_PAINT) {
        CPaintDC dc(m_hWnd);
        CMemoryDC memory(dc, client);
        Paint(memory);
    }
    return 0;
}

void CTitleTip::Paint(HDC dc)
{
    RECT client = GetClientRect();
    if (DrawsGradient()) {
        CPen outer, inner;
        outer.Create(PS_SOLID, 1, outerBorderColour);
        inner.Create(PS_SOLID, 1, innerBorderColour);
        {
            CSelectObject pen(dc, outer);
            CSelectObject brush(dc, ::GetStockObject(NULL_BRUSH));
            ::RoundRect(dc, client.left, client.top, client.right, client.bottom, 5, 5);
            CSelectObject innerPen(dc, inner);
            ::RoundRect(dc, client.left + 1, client.top + 1, client.right - 1, client.bottom - 1, 2, 2);
        }
        RECT fill = client;
        ::InflateRect(&fill, -2, -2);
        if (fill.right > fill.left && fill.bottom > fill.top) {
            TRIVERTEX vertices[2] = {};
            vertices[0].x = fill.left;
            vertices[0].y = fill.top;
            vertices[0].Red = static_cast<COLOR16>(GetRValue(gradientTopColour) << 8);
            vertices[0].Green = static_cast<COLOR16>(GetGValue(gradientTopColour) << 8);
            vertices[0].Blue = static_cast<COLOR16>(GetBValue(gradientTopColour) << 8);
            vertices[1].x = fill.right;
            vertices[1].y = fill.bottom;
            vertices[1].Red = static_cast<COLOR16>(GetRValue(gradientBottomColour) << 8);
            vertices[1].Green = static_cast<COLOR16>(GetGValue(gradientBottomColour) << 8);
            vertices[1].Blue = static_cast<COLOR16>(GetBValue(gradientBottomColour) << 8);
            GRADIENT_RECT span = { 0, 1 };
            ::GradientFill(dc, vertices, 2, &span, 1, GRADIENT_FILL_RECT_V);
        }
    } else {
        FillSolidRect(dc, client, backgroundColour);
        CBrush frame;
        frame.CreateSolid(textColour);
        ::FrameRect(dc, &client, frame);
    }
    RECT textRect = client;
    textRect.left += 4;
    CSelectObject font(dc, m_font.IsNull() ? ::GetStockObject(DEFAULT_GUI_FONT) : static_cast<HGDIOBJ>(m_font));
    COLORREF oldColour = ::SetTextColor(dc, textColour);
    int oldMode = ::SetBkMode(dc, TRANSPARENT);
    ::DrawTextA(dc, m_text.c_str(), static_cast<int>(m_text.size()), &textRect,
        DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    ::SetBkMode(dc, oldMode);
    ::SetTextColor(dc, oldColour);
}

LRESULT CTitleTip::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
{
    if (m_toolTip.m_hWnd)
        m_toolTip.DestroyWindow();
    m_toolTip.m_hWnd = nullptr;
    handled = FALSE;
    return 0;
}
