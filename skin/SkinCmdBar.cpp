#include "skin/SkinCmdBar.h"
#include "base/MbcsText.h"
#include "skin/StripBuilder.h"
#include <algorithm>

namespace {

// Borders of an item frame kept unstretched: left, top, right, bottom.
constexpr int kHorizontalBorders[4] = { 8, 2, 8, 1 };
constexpr int kVerticalBorders[4] = { 0, 8, 0, 8 };
// Captions of a vertical bar start this far below the item's top.
constexpr int kVerticalCaptionTop = 9;

// Splits a length into start border, middle and end border, narrowing the
// borders in proportion when they do not fit.
void SplitBorders(int length, int& first, int& last)
{
    first = std::max(first, 0);
    last = std::max(last, 0);
    if (length <= 0) {
        first = last = 0;
    } else if (first + last > length) {
        first = first * length / (first + last);
        last = length - first;
    }
}

}

int CmdBarFrameOfFlags(uint32_t flags)
{
    if (flags & kCmdItemSelected)
        return 1;
    if (flags & kCmdItemThird)
        return 2;
    if (flags & kCmdItemHover)
        return 3;
    return 0;
}

uint32_t CmdBarFadeKind(uint32_t flags)
{
    if (flags & kCmdItemSelected)
        return kCmdItemSelected;
    if (flags & kCmdItemThird)
        return kCmdItemThird;
    return flags & kCmdItemHover;
}

std::vector<FrameBlendPart> PlanFrameBlend(
    const CRect& dest, const CRect& source, int left, int top, int right, int bottom)
{
    std::vector<FrameBlendPart> parts;
    // Borders are taken 1:1, so they must fit both rectangles.
    SplitBorders(std::min(dest.Width(), source.Width()), left, right);
    SplitBorders(std::min(dest.Height(), source.Height()), top, bottom);
    const int dx[4] = { dest.left, dest.left + left, dest.right - right, dest.right };
    const int dy[4] = { dest.top, dest.top + top, dest.bottom - bottom, dest.bottom };
    const int sx[4] = { source.left, source.left + left, source.right - right, source.right };
    const int sy[4] = { source.top, source.top + top, source.bottom - bottom, source.bottom };
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            const CRect d(dx[column], dy[row], dx[column + 1], dy[row + 1]);
            const CRect s(sx[column], sy[row], sx[column + 1], sy[row + 1]);
            if (d.Width() > 0 && d.Height() > 0 && s.Width() > 0 && s.Height() > 0)
                parts.push_back({ d, s });
        }
    }
    return parts;
}

int LayoutCmdBarItems(std::vector<SkinCmdBarItem>& items, bool vertical, bool panelButtons, int textHeight,
    const std::function<int(const std::string&)>& measure)
{
    const int T = textHeight;
    if (vertical) {
        int y = panelButtons ? 36 : 16;
        for (SkinCmdBarItem& item : items) {
            const int n = static_cast<int>(MbcsCharCount(item.caption));
            item.rect = CRect(4, y, 4 + T, y + 16 + n * T);
            y = item.rect.bottom + 2;
        }
        return T + 4;
    }
    int x = panelButtons ? 32 : 2;
    for (SkinCmdBarItem& item : items) {
        const int w = measure ? measure(item.caption) : 0;
        item.rect = CRect(x, 8, x + 8 + w, 12 + T);
        x = item.rect.right + 2;
    }
    return T + 14;
}

CSkinCmdBar::~CSkinCmdBar()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
}

void CSkinCmdBar::AddItem(uint32_t id, const std::string& caption)
{
    SkinCmdBarItem item;
    item.id = id;
    item.caption = caption;
    m_items.push_back(item);
}

void CSkinCmdBar::SetImages(HBITMAP itemImage, HBITMAP secondImage)
{
    m_itemImage.Attach(itemImage);
    m_secondImage.Attach(secondImage);
    if (m_hWnd)
        Invalidate(false);
}

HWND CSkinCmdBar::NotifyWindow() const
{
    return m_notify && ::IsWindow(m_notify) ? m_notify : ::GetParent(m_hWnd);
}

LRESULT CSkinCmdBar::OnCreate(UINT, WPARAM, LPARAM, BOOL&)
{
    if (!m_notify || !::IsWindow(m_notify))
        m_notify = ::GetParent(m_hWnd);
    if (m_font.IsNull())
        m_font.Create("宋体", kFontHeight);
    {
        CClientDC screen(m_hWnd);
        CSelectObject select(screen,
            m_font.IsNull() ? static_cast<HGDIOBJ>(::GetStockObject(DEFAULT_GUI_FONT))
                            : static_cast<HGDIOBJ>(m_font.Get()));
        ::GetTextMetricsA(screen, &m_metrics);
    }
    Layout();
    if (!m_items.empty()) {
        SetItemState(0, kCmdItemSelected, kCmdItemSelected, kSelectionFadeMs);
        m_current = 0;
    }
    return 0;
}

LRESULT CSkinCmdBar::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
{
    if (m_timerRunning) {
        KillTimer(kFadeTimerId);
        m_timerRunning = false;
    }
    handled = FALSE;
    return 0;
}

void CSkinCmdBar::Layout()
{
    CClientDC screen(m_hWnd);
    CSelectObject select(screen,
        m_font.IsNull() ? static_cast<HGDIOBJ>(::GetStockObject(DEFAULT_GUI_FONT))
                        : static_cast<HGDIOBJ>(m_font.Get()));
    const auto measure = [&](const std::string& text) {
        SIZE size = {};
        ::GetTextExtentPoint32A(screen, text.c_str(), static_cast<int>(text.size()), &size);
        return static_cast<int>(size.cx);
    };
    const bool panel = m_panel1.m_hWnd != nullptr;
    const int extent = LayoutCmdBarItems(m_items, m_vertical, panel, m_metrics.tmHeight, measure);
    if (m_vertical)
        m_barWidth = extent;
    else
        m_barHeight = extent;
}

bool CSkinCmdBar::CreatePanelButtons(HBITMAP face1, HBITMAP face2)
{
    if (!m_hWnd || m_panel1.m_hWnd || m_panel2.m_hWnd) {
        if (face1)
            ::DeleteObject(face1);
        if (face2)
            ::DeleteObject(face2);
        return false;
    }
    const CSize size = StripBitmapSize(face1);
    const int w = size.cx / kStripFrames;
    const int h = size.cy;
    // The buttons sit in the room the items leave before them.
    CPoint at;
    if (m_vertical)
        at = CPoint(std::max(0, (m_barWidth - w) / 2), std::max(0, (34 - h) / 2));
    else
        at = CPoint(std::max(0, (30 - w) / 2), std::max(0, (m_barHeight - h) / 2));
    const CRect rect(at.x, at.y, at.x + w, at.y + h);
    const DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    m_panel1.SetOptions(CSkinFadeStateButtonCtrl::kOptionParentBackground);
    m_panel2.SetOptions(CSkinFadeStateButtonCtrl::kOptionParentBackground);
    m_panel1.SetBitmap(face1);
    m_panel2.SetBitmap(face2);
    if (!m_panel1.Create(m_hWnd, rect, "", style | WS_VISIBLE, 0, kPanelToggleCommand)
        || !m_panel2.Create(m_hWnd, rect, "", style, 0, kPanelToggleCommand)) {
        if (m_panel1.m_hWnd)
            m_panel1.DestroyWindow();
        if (m_panel2.m_hWnd)
            m_panel2.DestroyWindow();
        return false;
    }
    Layout();
    Invalidate(false);
    return true;
}

bool CSkinCmdBar::SelectItem(uint32_t id, bool fade)
{
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].id != id)
            continue;
        // Without a fade the selection still moves, only at once.
        SetItemState(static_cast<int>(i), kCmdItemSelected, kCmdItemSelected,
            fade ? static_cast<DWORD>(kSelectionFadeMs) : 0u);
        m_current = static_cast<int>(i);
        if (m_hWnd)
            Invalidate(false);
        return true;
    }
    return false;
}

void CSkinCmdBar::SetItemState(int index, uint32_t set, uint32_t clear, DWORD fadeMs)
{
    const DWORD now = m_clock();
    for (size_t i = 0; i < m_items.size(); ++i) {
        SkinCmdBarItem& item = m_items[i];
        const uint32_t kind = CmdBarFadeKind(item.flags);
        if (static_cast<int>(i) == index) {
            if (item.flags & set)
                continue;
            if (set & kind) {
                item.fadeStart = now;
                item.fadeEnd = now + fadeMs;
            }
            item.previousFlags = item.flags;
            item.flags |= set;
            InvalidateItem(i);
        } else if (item.flags & clear) {
            if (clear & kind) {
                item.fadeStart = now;
                item.fadeEnd = now + fadeMs;
                StartFadeTimer();
            }
            item.previousFlags = item.flags;
            item.flags &= ~clear;
            InvalidateItem(i);
        }
    }
}

void CSkinCmdBar::InvalidateItem(size_t index)
{
    if (m_hWnd)
        InvalidateRect(&m_items[index].rect, false);
}

void CSkinCmdBar::StartFadeTimer()
{
    if (m_hWnd && !m_timerRunning)
        m_timerRunning = SetTimer(kFadeTimerId, kFadeIntervalMs) != 0;
}

int CSkinCmdBar::HitTest(CPoint client) const
{
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].rect.Contains(client))
            return static_cast<int>(i);
    return -1;
}

LRESULT CSkinCmdBar::OnMoveOrSize(UINT, WPARAM, LPARAM, BOOL& handled)
{
    Invalidate(false);
    handled = FALSE;
    return 0;
}

LRESULT CSkinCmdBar::OnPanelToggle(WORD, WORD, HWND, BOOL&)
{
    ::SendMessageA(NotifyWindow(), WM_COMMAND, kPanelToggleCommand, reinterpret_cast<LPARAM>(m_hWnd));
    if (!::IsWindow(m_hWnd) || !m_panel1.m_hWnd || !m_panel2.m_hWnd)
        return 0;
    const bool firstShown = m_panel1.IsWindowVisible();
    m_panel1.ShowWindow(firstShown ? SW_HIDE : SW_SHOW);
    m_panel2.ShowWindow(firstShown ? SW_SHOW : SW_HIDE);
    return 0;
}

void CSkinCmdBar::OnTimer(UINT_PTR id, BOOL& handled)
{
    if (id != kFadeTimerId) {
        handled = FALSE;
        return;
    }
    const DWORD now = m_clock();
    bool fading = false;
    for (size_t i = 0; i < m_items.size(); ++i) {
        SkinCmdBarItem& item = m_items[i];
        if (!item.fadeEnd)
            continue;
        InvalidateItem(i);
        if (static_cast<LONG>(now - item.fadeEnd) >= 0)
            item.fadeStart = item.fadeEnd = 0;
        else
            fading = true;
    }
    if (!fading && m_timerRunning) {
        KillTimer(kFadeTimerId);
        m_timerRunning = false;
    }
}

void CSkinCmdBar::OnMouseMove(UINT, CPoint point, BOOL&)
{
    SetItemState(HitTest(point), kCmdItemHover, kCmdItemHover, 0);
    if (!m_tracking) {
        TRACKMOUSEEVENT track = { sizeof(track), TME_LEAVE, m_hWnd, 0 };
        m_tracking = ::TrackMouseEvent(&track) != FALSE;
    }
}

LRESULT CSkinCmdBar::OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&)
{
    m_tracking = false;
    SetItemState(-1, 0, kCmdItemHover, 0);
    return 0;
}

void CSkinCmdBar::OnLButtonDown(UINT, CPoint point, BOOL&)
{
    if (HitTest(point) >= 0)
        SetCapture();
}

void CSkinCmdBar::OnLButtonUp(UINT, CPoint point, BOOL&)
{
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    const int hit = HitTest(point);
    if (hit < 0)
        return;
    m_current = hit;
    Invalidate(false);
    const uint32_t id = m_items[static_cast<size_t>(hit)].id;
    HWND notify = NotifyWindow();
    if (id != 0 && notify) {
        ::SendMessageA(
            notify, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), 0), reinterpret_cast<LPARAM>(m_hWnd));
        if (!::IsWindow(m_hWnd) || hit >= GetItemCount())
            return;
    }
    SetItemState(hit, kCmdItemSelected, kCmdItemSelected, kSelectionFadeMs);
    m_current = hit;
    Invalidate(false);
}

CRect CSkinCmdBar::FrameSource(int frame) const
{
    const CSize size = m_itemImage.GetSize();
    if (m_vertical) {
        const int h = size.cy / kItemFrames;
        return CRect(0, frame * h, size.cx, (frame + 1) * h);
    }
    const int w = size.cx / kItemFrames;
    return CRect(frame * w, 0, (frame + 1) * w, size.cy);
}

void CSkinCmdBar::DrawItem(HDC dc, HDC imageDc, const SkinCmdBarItem& item, DWORD now)
{
    const int* borders = m_vertical ? kVerticalBorders : kHorizontalBorders;
    const auto blend = [&](uint32_t flags, uint8_t alpha) {
        if (!imageDc || alpha == 0)
            return;
        const BLENDFUNCTION function = { AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA };
        const CRect source = FrameSource(CmdBarFrameOfFlags(flags));
        for (const FrameBlendPart& part :
            PlanFrameBlend(item.rect, source, borders[0], borders[1], borders[2], borders[3])) {
            ::AlphaBlend(dc, part.dest.left, part.dest.top, part.dest.Width(), part.dest.Height(), imageDc,
                part.source.left, part.source.top, part.source.Width(), part.source.Height(), function);
        }
    };
    if (item.fadeStart != 0 && item.fadeStart != item.fadeEnd) {
        const DWORD span = item.fadeEnd - item.fadeStart;
        const DWORD elapsed = std::min(now - item.fadeStart, span);
        const uint8_t t = static_cast<uint8_t>(elapsed * 255 / span);
        blend(item.previousFlags, static_cast<uint8_t>(255 - t));
        blend(item.flags, t);
    } else {
        blend(item.flags, 255);
    }

    ::SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
    if (!m_vertical) {
        CRect text = item.rect;
        ::DrawTextA(dc, item.caption.c_str(), static_cast<int>(item.caption.size()), &text,
            DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
        return;
    }
    // One character to a line, a double-byte character being one.
    const int lineHeight = m_metrics.tmHeight;
    int y = item.rect.top + kVerticalCaptionTop;
    for (size_t pos = 0; pos < item.caption.size();) {
        const size_t size = MbcsCharSize(item.caption, pos);
        CRect line(item.rect.left, y, item.rect.right, y + lineHeight);
        ::DrawTextA(dc, item.caption.c_str() + pos, static_cast<int>(size), &line,
            DT_SINGLELINE | DT_CENTER | DT_NOPREFIX | DT_NOCLIP);
        pos += size;
        y += lineHeight;
    }
}

void CSkinCmdBar::DoPaint(HDC dc)
{
    const CRect client = GetClientRect();
    FillSolidRect(dc, client, kBackground);
    CMemDC imageDc(dc);
    HGDIOBJ old = nullptr;
    if (imageDc && m_itemImage)
        old = ::SelectObject(imageDc, m_itemImage);
    CSelectObject font(dc,
        m_font.IsNull() ? static_cast<HGDIOBJ>(::GetStockObject(DEFAULT_GUI_FONT))
                        : static_cast<HGDIOBJ>(m_font.Get()));
    const int mode = ::SetBkMode(dc, TRANSPARENT);
    const DWORD now = m_clock();
    for (const SkinCmdBarItem& item : m_items)
        DrawItem(dc, old ? static_cast<HDC>(imageDc) : nullptr, item, now);
    ::SetBkMode(dc, mode);
    if (old)
        ::SelectObject(imageDc, old);
}
