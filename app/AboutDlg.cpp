#include "app/AboutDlg.h"

#include "app/ProgramVersion.h"
#include "base/DataPaths.h"
#include "net/ServiceBaseUrl.h"
#include "skin/EnBitmap.h"

CAboutDlg::CAboutDlg()
    : m_imageSize(0, 0)
{
}

LRESULT CAboutDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    const std::string version = std::to_string(kProgramVersion);
    const std::string site = ServiceBaseUrl::Get();
    m_link.SetLabel(site);
    m_link.SetHyperLink(site);
    m_link.SubclassWindow(GetDlgItem(IDC_ABOUT_LINK));
    m_link.SetExtendedStyle(kLinkStyle);
    m_link.m_linkColour = RGB(255, 0, 0);

    if (m_imagePath.empty())
        m_imagePath = DataPaths::Instance()->GetSkinFile("about.png");
    m_background.Attach(CEnBitmap::LoadFromFile(m_imagePath.c_str(), CLR_INVALID));
    m_imageSize = m_background.IsNull() ? CSize(0, 0) : m_background.GetSize();

    if (m_imageSize.cx > 0 && m_imageSize.cy > 0) {
        const CRect before = GetWindowRect();
        CRect frame(0, 0, m_imageSize.cx, m_imageSize.cy);
        ::AdjustWindowRectEx(&frame, GetStyle(), FALSE, GetExStyle());
        SetWindowPos(nullptr, 0, 0, frame.Width(), frame.Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        CenterWindow(::GetDesktopWindow());
        // Every control keeps its distance from the bottom edge.
        const int shift = frame.Height() - before.Height();
        for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            const CRect place = CWindow(child).GetRectInParent();
            ::SetWindowPos(child, nullptr, place.left, place.top + shift, 0, 0,
                SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        CWindow ok(GetDlgItem(IDOK));
        const CRect button = ok.GetRectInParent();
        ok.SetWindowPos(nullptr, (frame.right - button.Width()) / 2, frame.bottom - button.Height() - 20, 0, 0,
            SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            ::ShowWindow(child, SW_SHOW);
    }
    SetDlgItemText(IDC_ABOUT_VERSION, version.c_str());
    CenterWindow(GetParent());
    return TRUE;
}

void CAboutDlg::Paint(HDC dc)
{
    if (m_background.IsNull())
        return;
    CMemDC source(dc);
    CSelectObject select(source, m_background);
    const int oldMode = ::SetStretchBltMode(dc, COLORONCOLOR);
    ::StretchBlt(dc, 0, 0, m_imageSize.cx, m_imageSize.cy, source, 0, 0, m_imageSize.cx, m_imageSize.cy, SRCCOPY);
    ::SetStretchBltMode(dc, oldMode);
}

LRESULT CAboutDlg::OnPaint(UINT msg, WPARAM wp, LPARAM, BOOL&)
{
    if (msg == WM_PRINTCLIENT && wp) {
        Paint(reinterpret_cast<HDC>(wp));
        return 0;
    }
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    if (m_background.IsNull()) {
        ::FillRect(dc, &ps.rcPaint, ::GetSysColorBrush(COLOR_3DFACE));
    } else {
        Paint(dc);
    }
    ::EndPaint(m_hWnd, &ps);
    return 0;
}

LRESULT CAboutDlg::OnControlColour(UINT, WPARAM wp, LPARAM, BOOL& handled)
{
    // White on the picture; without one the system's colours stay readable.
    if (m_background.IsNull()) {
        handled = FALSE;
        return 0;
    }
    HDC dc = reinterpret_cast<HDC>(wp);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(255, 255, 255));
    return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
}
