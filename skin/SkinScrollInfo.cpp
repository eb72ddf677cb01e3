#include "skin/SkinScrollInfo.h"
#include "base/ImageUtil.h"
#include "skin/StripBuilder.h"
#include "win/Dib32.h"
#include <algorithm>

bool ParseNewsText(
    const std::string& text, std::vector<std::string>& titles, std::vector<TickerExtent>& extents)
{
    if (text.empty())
        return false;
    titles.clear();
    extents.clear();
    size_t lineStart = 0;
    while (lineStart <= text.size()) {
        size_t lineEnd = text.find("\r\n", lineStart);
        if (lineEnd == std::string::npos)
            lineEnd = text.size();
        const std::string line = text.substr(lineStart, lineEnd - lineStart);
        const size_t tab = line.find('\t');
        const std::string title = line.substr(0, tab);
        if (!title.empty()) {
            TickerExtent extent;
            if (tab != std::string::npos) {
                const size_t next = line.find('\t', tab + 1);
                extent.link
                    = line.substr(tab + 1, next == std::string::npos ? std::string::npos : next - tab - 1);
            }
            titles.push_back(title);
            extents.push_back(extent);
        }
        lineStart = lineEnd + 2;
    }
    return true;
}

CSize LayoutTickerExtents(const std::vector<std::string>& titles, std::vector<TickerExtent>& extents,
    const std::function<CSize(const std::string&)>& measure)
{
    CSize strip;
    for (size_t i = 0; i < titles.size(); ++i) {
        const CSize piece = measure(" " + titles[i] + "  ");
        if (i < extents.size()) {
            extents[i].start = i == 0 ? 0 : extents[i - 1].end;
            extents[i].end = extents[i].start + piece.cx;
        }
        if (i == 0)
            strip.cy = piece.cy;
        strip.cx += piece.cx;
    }
    return strip;
}

int TickerItemAt(const std::vector<TickerExtent>& extents, int x, int offset, int windowWidth, int iconWidth)
{
    const int p = x + offset - windowWidth - iconWidth;
    for (size_t i = 0; i < extents.size(); ++i)
        if (extents[i].start <= p && p <= extents[i].end)
            return static_cast<int>(i);
    return -1;
}

TickerBlit PlanTickerBlit(int offset, int stripWidth, int windowWidth)
{
    if (offset < windowWidth)
        return { windowWidth - offset, 0, std::min(stripWidth, offset) };
    return { 0, offset - windowWidth, std::min(windowWidth, windowWidth - offset + stripWidth) };
}

int NextTickerOffset(int offset, int stripWidth, int windowWidth)
{
    ++offset;
    return offset - stripWidth >= windowWidth ? 0 : offset;
}

CSkinScrollInfo::CRepaintThread::CRepaintThread(CSkinScrollInfo& owner)
    : m_owner(owner)
    , m_wake(::CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
}

CSkinScrollInfo::CRepaintThread::~CRepaintThread()
{
    Stop();
}

void CSkinScrollInfo::CRepaintThread::Begin(HWND window)
{
    m_window = window;
    if (m_wake)
        ::ResetEvent(m_wake);
    Start(false);
}

// The wait between repaints ends at once when the thread is told to stop.
void CSkinScrollInfo::CRepaintThread::Stop()
{
    if (m_wake)
        ::SetEvent(m_wake);
    if (GetHandle())
        CThread::Stop();
}

void CSkinScrollInfo::CRepaintThread::Run()
{
    while (!IsStopRequested()) {
        if (m_owner.m_scrolling.load())
            ::InvalidateRect(m_window, nullptr, TRUE);
        const DWORD interval = m_owner.m_interval.load();
        if (m_wake)
            ::WaitForSingleObject(m_wake, interval);
        else
            ::Sleep(interval);
    }
}

CSkinScrollInfo::CSkinScrollInfo()
    : m_thread(*this)
    , m_scrolling(true)
    , m_interval(kDefaultIntervalMs)
    , m_opener([](const std::string& url) { return OpenPageWithShell(url, SW_SHOW); })
{
}

CSkinScrollInfo::~CSkinScrollInfo()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
    m_thread.Stop();
}

void CSkinScrollInfo::SetNewsItems(const char* text, HBITMAP icon)
{
    if (!text || !*text) {
        if (icon && icon != m_icon.Get())
            ::DeleteObject(icon);
        return;
    }
    {
        SingleLock lock(&m_lock);
        ParseNewsText(text, m_titles, m_extents);
        if (icon != m_icon.Get())
            m_icon.Attach(icon);
        m_offset = 0;
        m_rebuild = true;
    }
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CSkinScrollInfo::SetTextColour(COLORREF colour)
{
    SingleLock lock(&m_lock);
    m_textColour = colour;
    m_rebuild = true;
}

void CSkinScrollInfo::SetTickerFont(HFONT font)
{
    {
        SingleLock lock(&m_lock);
        m_font = font;
        m_rebuild = true;
    }
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

int CSkinScrollInfo::GetOffset() const
{
    SingleLock lock(&m_lock);
    return m_offset;
}

CSize CSkinScrollInfo::GetStripSize() const
{
    SingleLock lock(&m_lock);
    return CSize(m_stripWidth, m_stripHeight);
}

std::vector<TickerExtent> CSkinScrollInfo::GetExtents() const
{
    SingleLock lock(&m_lock);
    return m_extents;
}

std::vector<std::string> CSkinScrollInfo::GetTitles() const
{
    SingleLock lock(&m_lock);
    return m_titles;
}

LRESULT CSkinScrollInfo::OnCreate(UINT, WPARAM, LPARAM, BOOL&)
{
    m_hand = ::LoadCursor(nullptr, IDC_HAND);
    m_arrow = ::LoadCursor(nullptr, IDC_ARROW);
    m_thread.Begin(m_hWnd);
    return 0;
}

LRESULT CSkinScrollInfo::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
{
    m_thread.Stop();
    SingleLock lock(&m_lock);
    m_strip.Reset();
    handled = FALSE;
    return 0;
}

void CSkinScrollInfo::OnFinalMessage(HWND)
{
    SingleLock lock(&m_lock);
    m_strip.Reset();
    ResetParentBackground();
    m_icon.Reset();
    m_extents.clear();
    m_titles.clear();
}

BOOL CSkinScrollInfo::OnSetCursor(HWND, UINT, UINT, BOOL& handled)
{
    if (m_scrolling.load()) {
        handled = FALSE;
        return FALSE;
    }
    return TRUE;
}

LRESULT CSkinScrollInfo::OnSetFont(UINT, WPARAM wp, LPARAM lp, BOOL&)
{
    SetTickerFont(reinterpret_cast<HFONT>(wp));
    if (!lp)
        ::ValidateRect(m_hWnd, nullptr);
    return 0;
}

HFONT CSkinScrollInfo::TickerFont() const
{
    return m_font ? m_font : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

int CSkinScrollInfo::IconWidth() const
{
    return m_icon ? m_icon.GetSize().cx : 0;
}

void CSkinScrollInfo::BuildStrip(HDC dc)
{
    m_rebuild = false;
    m_strip.Reset();
    CSelectObject font(dc, TickerFont());
    std::string text;
    const auto measure = [&](const std::string& piece) {
        CRect r;
        ::DrawTextA(dc, piece.c_str(), static_cast<int>(piece.size()), &r,
            DT_CALCRECT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        text += piece;
        return r.Size();
    };
    const CSize size = LayoutTickerExtents(m_titles, m_extents, measure);
    m_stripWidth = size.cx;
    m_stripHeight = size.cy;
    const CSize icon = m_icon ? m_icon.GetSize() : CSize();
    if (m_icon) {
        m_stripWidth += icon.cx;
        m_stripHeight = std::max<int>(m_stripHeight, icon.cy);
    }
    CDib32 strip;
    if (m_stripWidth <= 0 || m_stripHeight <= 0 || !strip.Create(m_stripWidth, m_stripHeight))
        return;
    if (m_icon) {
        const int y = icon.cy < m_stripHeight ? (m_stripHeight - icon.cy) / 2 : 0;
        BlendStripFrame(strip.GetDC(), 0, y, m_icon, 0, 1);
    }
    {
        CSelectObject stripFont(strip.GetDC(), TickerFont());
        ::SetBkMode(strip.GetDC(), TRANSPARENT);
        ::SetTextColor(strip.GetDC(), m_textColour);
        CRect r(icon.cx, 0, m_stripWidth, m_stripHeight);
        ::DrawTextA(strip.GetDC(), text.c_str(), static_cast<int>(text.size()), &r,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    ::GdiFlush();
    for (int y = 0; y < strip.Height(); ++y) {
        uint32_t* row = strip.Row(y);
        for (int x = 0; x < strip.Width(); ++x)
            if (row[x] != 0)
                row[x] |= 0xFF000000u;
    }
    m_strip.Attach(strip.DetachBitmap());
}

void CSkinScrollInfo::DoPaint(HDC dc)
{
    SingleLock lock(&m_lock);
    const CRect client = GetClientRect();
    const int W = client.Width();
    const int H = client.Height();
    // Rebuilt whenever the items changed, also while paused: extents of a
    // paused line must match the items they point at.
    if (m_rebuild || m_strip.IsNull())
        BuildStrip(dc);
    if (!FillWithParentBackground(dc, client))
        ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));

    if (m_stripWidth > W && m_strip) {
        const int y = (H - m_stripHeight) / 2;
        const TickerBlit blit = PlanTickerBlit(m_offset, m_stripWidth, W);
        if (blit.width > 0) {
            CMemDC stripDc(dc);
            CSelectObject select(stripDc, m_strip);
            const BLENDFUNCTION blend = { AC_SRC_OVER, 0, 255, AC_SRC_ALPHA };
            ::AlphaBlend(dc, blit.destX, y, blit.width, m_stripHeight, stripDc, blit.sourceX, 0, blit.width,
                m_stripHeight, blend);
        }
        if (m_scrolling.load())
            m_offset = NextTickerOffset(m_offset, m_stripWidth, W);
        return;
    }
    std::string line;
    for (const std::string& title : m_titles)
        line += " " + title + " ";
    if (line.empty())
        return;
    CSelectObject font(dc, TickerFont());
    const int mode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF old = ::SetTextColor(dc, m_textColour);
    ::TextOutA(dc, 0, 0, line.c_str(), static_cast<int>(line.size()));
    ::SetTextColor(dc, old);
    ::SetBkMode(dc, mode);
}

void CSkinScrollInfo::OnMouseMove(UINT, CPoint point, BOOL&)
{
    SingleLock lock(&m_lock);
    if (!m_scrolling.load())
        return;
    const int W = GetClientRect().Width();
    if (TickerItemAt(m_extents, point.x, m_offset, W, IconWidth()) < 0)
        return;
    TRACKMOUSEEVENT track = { sizeof(track), TME_LEAVE, m_hWnd, 0 };
    ::TrackMouseEvent(&track);
    ::SetCursor(m_hand);
    m_scrolling = false;
}

LRESULT CSkinScrollInfo::OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&)
{
    if (!m_scrolling.load()) {
        m_scrolling = true;
        ::SetCursor(m_arrow);
    }
    return 0;
}

// The link is copied and the lock left before the shell is asked, which may
// take its time; only web addresses go on.
void CSkinScrollInfo::OnLButtonDown(UINT, CPoint point, BOOL&)
{
    std::string link;
    {
        SingleLock lock(&m_lock);
        const int W = GetClientRect().Width();
        const int index = TickerItemAt(m_extents, point.x, m_offset, W, IconWidth());
        if (index < 0)
            return;
        link = m_extents[static_cast<size_t>(index)].link;
    }
    if (link.empty() || !IsWebUrl(link) || !m_opener)
        return;
    m_opener(link);
}
