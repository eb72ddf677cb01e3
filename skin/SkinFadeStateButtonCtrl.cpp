#include "skin/SkinFadeStateButtonCtrl.h"
#include "base/ImageUtil.h"

namespace {

constexpr int kFrames = 4;

CSize BitmapSize(HBITMAP bitmap)
{
    BITMAP info = {};
    if (!bitmap || !::GetObjectA(bitmap, sizeof(info), &info))
        return CSize();
    return CSize(info.bmWidth, info.bmHeight);
}

}

bool CSkinFadeStateButtonCtrl::Subclass(HWND button)
{
    if (!SubclassWindow(button))
        return false;
    Init();
    return true;
}

void CSkinFadeStateButtonCtrl::SetBitmap(HBITMAP strip)
{
    m_ownedStrip.Attach(strip);
    ShowStrip(strip);
}

void CSkinFadeStateButtonCtrl::ShowStrip(HBITMAP strip, bool repaint)
{
    ResetParentBackground();
    m_strip = strip;
    m_stripSize = BitmapSize(strip);
    m_frameWidth = m_stripSize.cx / kFrames;
    if (m_hWnd && repaint)
        Repaint();
}

void CSkinFadeStateButtonCtrl::SetTooltip(const std::string& text)
{
    m_tooltipText = text;
    if (!m_tooltip.m_hWnd)
        return;
    m_tooltip.Activate(false);
    if (text.empty())
        return;
    m_tooltip.Activate(true);
    m_tooltip.DelTool(m_hWnd, 0);
    m_tooltip.AddTool(m_hWnd, 0, text.c_str(), nullptr, 0);
}

int CSkinFadeStateButtonCtrl::TargetFrame() const
{
    const LRESULT state = ::SendMessageA(m_hWnd, BM_GETSTATE, 0, 0);
    if (state & BST_PUSHED)
        return kFramePressed;
    if (!::IsWindowEnabled(m_hWnd))
        return kFrameDisabled;
    if (m_pressed)
        return kFramePressed;
    if (m_hover)
        return kFrameHover;
    return kFrameNormal;
}

void CSkinFadeStateButtonCtrl::Repaint()
{
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

HFONT CSkinFadeStateButtonCtrl::ButtonFont() const
{
    HFONT font = reinterpret_cast<HFONT>(::SendMessageA(m_hWnd, WM_GETFONT, 0, 0));
    return font ? font : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

void CSkinFadeStateButtonCtrl::Init()
{
    const LONG_PTR style = ::GetWindowLongPtrA(m_hWnd, GWL_STYLE);
    const LONG_PTR type = style & BS_TYPEMASK;
    if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)
        ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW);
    SetTooltip(m_tooltipText);
    m_backgroundColour = (m_options & kOptionBlack) ? RGB(0, 0, 0) : ::GetSysColor(COLOR_WINDOW);
    if (!::IsWindowEnabled(m_hWnd)) {
        m_fade.current = kFrameDisabled;
        m_fade.previous = kFrameDisabled;
    }
}

void CSkinFadeStateButtonCtrl::OnFinalMessage(HWND)
{
    if (m_autoDelete)
        delete this;
}

LRESULT CSkinFadeStateButtonCtrl::OnCreate(UINT, WPARAM, LPARAM, BOOL& handled)
{
    Init();
    handled = FALSE;
    return 0;
}

LRESULT CSkinFadeStateButtonCtrl::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
{
    if (m_tooltip.m_hWnd) {
        ::DestroyWindow(m_tooltip.m_hWnd);
        m_tooltip.m_hWnd = nullptr;
    }
    if (m_timerRunning) {
        ::KillTimer(m_hWnd, kFadeTimerId);
        m_timerRunning = false;
    }
    m_cursor.Reset();
    ResetParentBackground();
    m_strip = nullptr;
    m_ownedStrip.Reset();
    handled = FALSE;
    return 0;
}

LRESULT CSkinFadeStateButtonCtrl::OnButtonMessage(UINT msg, WPARAM wp, LPARAM lp, BOOL& handled)
{
    if (msg == WM_LBUTTONDOWN)
        OnLButtonDown(msg, wp, lp, handled);
    else
        OnLButtonUp(msg, wp, lp, handled);
    if (!handled)
        OnMouseMessage(msg, wp, lp, handled);
    return 0;
}

void CSkinFadeStateButtonCtrl::MakeTooltip()
{
    // The tip window is made when the pointer first comes to the button: it
    // is a top-level window, and one made up front for every button of a bar
    // or a dialog costs each start more than all the tips are worth by then.
    if (m_tooltip.m_hWnd || m_tooltipText.empty() || !m_hWnd)
        return;
    if (m_tooltip.Create(m_hWnd))
        SetTooltip(m_tooltipText);
}

LRESULT CSkinFadeStateButtonCtrl::OnMouseMessage(UINT msg, WPARAM wp, LPARAM lp, BOOL& handled)
{
    MakeTooltip();
    if (m_tooltip.m_hWnd) {
        MSG relayed = {};
        relayed.hwnd = m_hWnd;
        relayed.message = msg;
        relayed.wParam = wp;
        relayed.lParam = lp;
        m_tooltip.RelayEvent(&relayed);
    }
    handled = FALSE;
    if (msg == WM_MOUSEMOVE)
        OnMouseMove(handled);
    return 0;
}

void CSkinFadeStateButtonCtrl::ShowCursorIfSet()
{
    if (m_cursor)
        ::SetCursor(m_cursor);
}

void CSkinFadeStateButtonCtrl::OnMouseMove(BOOL& handled)
{
    ShowCursorIfSet();
    if (!m_hover) {
        TRACKMOUSEEVENT track = { sizeof(track), TME_LEAVE, m_hWnd, 0 };
        ::TrackMouseEvent(&track);
        m_hover = true;
        Repaint();
    }
    handled = FALSE;
}

void CSkinFadeStateButtonCtrl::OnMouseLeave()
{
    if (m_hover) {
        m_hover = false;
        Repaint();
    }
}

void CSkinFadeStateButtonCtrl::OnLButtonDown(UINT msg, WPARAM wp, LPARAM lp, BOOL&)
{
    ShowCursorIfSet();
    DefWindowProc(msg, wp, lp);
    if (::GetCapture() == m_hWnd)
        m_pressed = true;
    Repaint();
}

void CSkinFadeStateButtonCtrl::OnLButtonUp(UINT msg, WPARAM wp, LPARAM lp, BOOL&)
{
    DefWindowProc(msg, wp, lp);
    if (::GetCapture() == m_hWnd)
        m_pressed = false;
    Repaint();
}

LRESULT CSkinFadeStateButtonCtrl::OnFocus(UINT msg, WPARAM wp, LPARAM lp, BOOL&)
{
    m_focus = msg == WM_SETFOCUS;
    const LRESULT result = DefWindowProc(msg, wp, lp);
    Repaint();
    return result;
}

// The platform button paints itself straight away on these (not through
// WM_PAINT): the skin is painted over it again at once.
LRESULT CSkinFadeStateButtonCtrl::OnForwardThenRepaint(UINT msg, WPARAM wp, LPARAM lp, BOOL&)
{
    const LRESULT result = DefWindowProc(msg, wp, lp);
    Repaint();
    return result;
}

LRESULT CSkinFadeStateButtonCtrl::OnPaint(UINT msg, WPARAM wp, LPARAM, BOOL&)
{
    if (msg == WM_PAINT && !wp) {
        CPaintDC dc(m_hWnd);
        DrawItem(dc);
    } else if (wp) {
        DrawItem(reinterpret_cast<HDC>(wp));
    }
    return 0;
}

void CSkinFadeStateButtonCtrl::OnTimer(UINT_PTR id, BOOL& handled)
{
    if (id == kFadeTimerId)
        Repaint();
    else
        handled = FALSE;
}

void CSkinFadeStateButtonCtrl::OnCaptureChanged(HWND, BOOL& handled)
{
    m_pressed = false;
    Repaint();
    // The platform's button drops its own pressed state on this message too;
    // kept from it, a later release would still click.
    handled = FALSE;
}

LRESULT CSkinFadeStateButtonCtrl::OnMouseLeaveMessage(UINT, WPARAM, LPARAM, BOOL&)
{
    OnMouseLeave();
    return 0;
}

void CSkinFadeStateButtonCtrl::ApplyTimer(FadeTimer timer)
{
    if (timer == FadeTimer::kStart) {
        m_timerRunning = ::SetTimer(m_hWnd, kFadeTimerId, kFadeIntervalMs, nullptr) != 0;
    } else if (timer == FadeTimer::kStop && m_timerRunning) {
        ::KillTimer(m_hWnd, kFadeTimerId);
        m_timerRunning = false;
    }
}

void CSkinFadeStateButtonCtrl::DrawItem(HDC dc)
{
    if (m_painting || !dc)
        return;
    m_painting = true;
    CRect client;
    ::GetClientRect(m_hWnd, &client);
    {
        CMemoryDC buffer(dc, client);
        if (!(m_options & kOptionParentBackground) || !FillWithParentBackground(buffer, client))
            FillSolidRect(buffer, client, m_backgroundColour);
        ApplyTimer(StepFade(m_fade, TargetFrame(), ::IsWindowVisible(m_hWnd) != FALSE, m_clock(), m_divisor));
        if (m_strip && m_frameWidth > 0) {
            CMemDC source(buffer);
            CSelectObject select(source, m_strip);
            const FadeAlphas alphas = FadeAlphasAt(m_fade.level);
            const auto blend = [&](int frame, uint8_t alpha) {
                BLENDFUNCTION function = { AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA };
                ::AlphaBlend(buffer, client.left, client.top, client.Width(), client.Height(), source,
                    frame * m_frameWidth, 0, m_frameWidth, m_stripSize.cy, function);
            };
            if (alphas.previous)
                blend(m_fade.previous, alphas.previous);
            blend(m_fade.current, alphas.current);
        }
    }
    m_painting = false;
}
