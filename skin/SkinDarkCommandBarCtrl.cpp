#include "skin/SkinDarkCommandBarCtrl.h"
#include "skin/ColorUtil.h"
#include "win/Dib32.h"
#include <algorithm>

namespace {

// Each button owns its pieces, so it gets copies of the bar's.
HBITMAP CopyStrip(HBITMAP source)
{
    BITMAP info = {};
    if (!source || !::GetObjectA(source, sizeof(info), &info))
        return nullptr;
    CDib32 copy;
    if (!copy.Create(info.bmWidth, info.bmHeight))
        return nullptr;
    CMemDC from(copy.GetDC());
    CSelectObject select(from, source);
    ::BitBlt(copy.GetDC(), 0, 0, info.bmWidth, info.bmHeight, from, 0, 0, SRCCOPY);
    return copy.DetachBitmap();
}

TRIVERTEX Vertex(int x, int y, COLORREF colour)
{
    TRIVERTEX v = {};
    v.x = x;
    v.y = y;
    v.Red = static_cast<COLOR16>(GetRValue(colour) << 8);
    v.Green = static_cast<COLOR16>(GetGValue(colour) << 8);
    v.Blue = static_cast<COLOR16>(GetBValue(colour) << 8);
    return v;
}

void FillBand(HDC dc, int left, int top, int right, int bottom, COLORREF from, COLORREF to)
{
    if (bottom <= top || right <= left)
        return;
    TRIVERTEX v[2] = { Vertex(left, top, from), Vertex(right, bottom, to) };
    GRADIENT_RECT r = { 0, 1 };
    ::GradientFill(dc, v, 2, &r, 1, GRADIENT_FILL_RECT_V);
}

}

CSkinDarkCommandBarCtrl::~CSkinDarkCommandBarCtrl()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
}

void CSkinDarkCommandBarCtrl::SetImages(const DarkBarImages& images)
{
    m_background.Attach(images.background);
    m_left.Attach(images.left);
    m_middle.Attach(images.middle);
    m_right.Attach(images.right);
    if (m_hWnd)
        Invalidate(false);
}

LRESULT CSkinDarkCommandBarCtrl::OnCreate(UINT, WPARAM, LPARAM, BOOL&)
{
    LOGFONTA lf = {};
    if (::GetMenuFont(lf))
        m_font.CreateIndirect(lf);
    HFONT font = m_font.IsNull() ? static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)) : m_font.Get();
    ::SendMessageA(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    TEXTMETRICA metrics = {};
    {
        CClientDC dc(m_hWnd);
        CSelectObject select(dc, font);
        ::GetTextMetricsA(dc, &metrics);
    }
    m_barHeight
        = std::max<int>({ static_cast<int>(metrics.tmHeight), m_background.GetSize().cy, kMinimumHeight });
    const CRect window = GetRectInParent();
    SetWindowPos(nullptr, 0, 0, window.Width(), m_barHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

bool CSkinDarkCommandBarCtrl::AddButton(const DarkBarButton& record)
{
    CBitmap icon(record.icon); // freed here, whatever happens
    if (!m_hWnd)
        return false;
    CRect rect(10, 3, 80, 27);
    if (!m_buttons.empty())
        rect.MoveTo(m_buttons.back().rect.right + kSpacing, rect.top);
    auto* button = new CSkinDarkCommandButtonCtrl(CopyStrip(m_left), CopyStrip(m_middle), CopyStrip(m_right));
    if (!button->Create(m_hWnd, rect, record.caption.c_str(), WS_CHILD, 0, record.command)) {
        delete button;
        return false;
    }
    button->SetAutoDelete(true);
    HFONT font = m_font.IsNull() ? static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)) : m_font.Get();
    button->SetFont(font, false);
    if (!button->SetContent(icon, record.caption, record.dropdown != 0)) {
        button->DestroyWindow(); // the button deletes itself
        return false;
    }
    button->SetTooltip(record.tooltip);
    DarkBarButton added = record;
    added.icon = nullptr;
    added.window = button->m_hWnd;
    added.rect = CWindow(button->m_hWnd).GetRectInParent();
    added.width = added.rect.right - added.rect.left + 1;
    m_buttons.push_back(added);
    UpdateVisibility();
    return true;
}

void CSkinDarkCommandBarCtrl::UpdateVisibility()
{
    const int width = GetClientRect().Width();
    for (const DarkBarButton& button : m_buttons)
        ::ShowWindow(button.window, FitsIn(button.rect, width) ? SW_SHOWNOACTIVATE : SW_HIDE);
}

LRESULT CSkinDarkCommandBarCtrl::OnSize(UINT, WPARAM, LPARAM, BOOL&)
{
    UpdateVisibility();
    Invalidate(false);
    return 1;
}

LRESULT CSkinDarkCommandBarCtrl::OnCommand(UINT, WPARAM wp, LPARAM lp, BOOL& handled)
{
    HWND parent = GetParent();
    if (!lp || !parent) {
        handled = FALSE;
        return 0;
    }
    LPARAM forwarded = lp;
    const HWND sender = reinterpret_cast<HWND>(lp);
    for (const DarkBarButton& button : m_buttons) {
        if (button.window != sender || !button.dropdown)
            continue;
        const CRect screen = CWindow(sender).GetWindowRect();
        forwarded = MAKELPARAM(static_cast<WORD>(screen.left), static_cast<WORD>(screen.bottom));
        break;
    }
    ::SendMessageA(parent, WM_COMMAND, wp, forwarded);
    return 1;
}

void CSkinDarkCommandBarCtrl::DoPaint(HDC dc)
{
    const CRect client = GetClientRect();
    if (m_background) {
        const CSize size = m_background.GetSize();
        CMemDC image(dc);
        CSelectObject select(image, m_background);
        ::SetStretchBltMode(dc, COLORONCOLOR);
        ::StretchBlt(dc, client.left, client.top, client.Width(), client.Height(), image, 0, 0, size.cx,
            size.cy, SRCCOPY);
        return;
    }
    const int top = client.top;
    const int bottom = client.bottom;
    const int mid = 2 * top + (bottom - top) / 2 - 2;
    FillBand(dc, client.left, top, client.right, mid, RGB(90, 100, 130), RGB(53, 58, 69));
    FillSolidRect(dc, CRect(client.left, mid, client.right, std::max(mid, bottom - 9)), RGB(0, 0, 0));
    FillBand(
        dc, client.left, std::max(mid, bottom - 9), client.right, bottom, RGB(0, 0, 0), RGB(76, 94, 139));
}
