// Keys, mouse, pane borders, rubber band and the pane buttons of the K-line chart.
#include "views/KLineChart.h"
#include "views/ViewOptions.h"

#include "base/ChartColors.h"
#include "base/DataPaths.h"
#include "base/DcGuards.h"
#include "base/GdiObjectCache.h"
#include "data/Stock.h"
#include "formula/FormulaCalculator.h"
#include "skin/EnBitmap.h"
#include "skin/SkinButtonItem.h"

#include <algorithm>

namespace {

HPEN XorPen(COLORREF colour)
{
    GdiObjectCache* cache = GdiObjectCache::Instance();
    return cache ? cache->GetPen(PS_SOLID, 1, colour) : static_cast<HPEN>(::GetStockObject(WHITE_PEN));
}

}

void KLineChart::OnKeyDown(UINT key, bool ctrl)
{
    // Every key may reach the data center (history, another stock): the data
    // lock comes first.
    SingleLock data(m_source.DataLock());
    SingleLock lock(&m_lock);
    switch (key) {
    case VK_PRIOR:
        PreviousStock();
        break;
    case VK_NEXT:
        NextStock();
        break;
    case VK_END:
        if (ctrl)
            CursorToFirstBar();
        else
            CursorToLastVisible();
        break;
    case VK_HOME:
        if (ctrl)
            CursorToLastBar();
        else
            CursorToFirstVisible();
        break;
    case VK_LEFT:
        if (ctrl)
            PageLeft();
        else
            CursorLeft();
        break;
    case VK_RIGHT:
        if (ctrl)
            PageRight();
        else
            CursorRight();
        break;
    case VK_UP:
        StepUp(0);
        break;
    case VK_DOWN:
        StepDown(0);
        break;
    default:
        break;
    }
}

void KLineChart::SelectBar(int index)
{
    if (std::find(m_selection.begin(), m_selection.end(), index) == m_selection.end())
        m_selection.push_back(index);
}

void KLineChart::MoveCursorTo(int index, int extend, int add)
{
    SingleLock data(m_source.DataLock());
    SingleLock lock(&m_lock);
    if (extend && index >= 0) {
        if (m_cursor == -1) {
            SelectBar(index);
        } else {
            const int step = index >= m_cursor ? 1 : -1;
            for (int i = m_cursor;; i += step) {
                SelectBar(i);
                if (i == index)
                    break;
            }
        }
    } else if (add && index >= 0) {
        SelectBar(index);
    } else {
        m_selection.clear();
    }
    if (index != -1 && m_first >= 0) {
        const int span = m_last - m_first;
        if (index < m_first)
            SetVisibleRange(index, index + span);
        else if (index > m_last)
            SetVisibleRange(index - span, index);
    }
    m_cursor = index;
    Invalidate();
}

void KLineChart::MoveCursorBy(int delta, int extend, int add)
{
    SingleLock data(m_source.DataLock());
    SingleLock lock(&m_lock);
    int d = 0;
    if (m_cursor != -1)
        d = m_cursor + delta;
    else
        d = delta < 0 ? m_last : m_first;
    d = std::max(0, std::min(d, GetBarCount() - 1));
    MoveCursorTo(d, extend, add);
}

void KLineChart::CursorLeft()
{
    SingleLock data(m_source.DataLock());
    SingleLock lock(&m_lock);
    m_crossHair = 1;
    m_mouse = POINT { -1, -1 };
    MoveCursorBy(-1, 0, 0);
}

void KLineChart::CursorRight()
{
    SingleLock data(m_source.DataLock());
    SingleLock lock(&m_lock);
    m_crossHair = 1;
    m_mouse = POINT { -1, -1 };
    MoveCursorBy(1, 0, 0);
}

void KLineChart::PageLeft()
{
    MoveCursorBy(kline::PageLeftDelta(m_first, m_last), 0, 0);
}

void KLineChart::PageRight()
{
    MoveCursorBy(kline::PageRightDelta(m_first, m_last), 0, 0);
}

void KLineChart::CursorToFirstVisible()
{
    if (m_cursor != -1)
        MoveCursorTo(m_first, 0, 0);
}

void KLineChart::CursorToLastVisible()
{
    if (m_cursor != -1)
        MoveCursorTo(m_last >= 0 ? m_last : GetBarCount() - 1, 0, 0);
}

void KLineChart::CursorToLastBar()
{
    MoveCursorTo(GetBarCount() - 1, 0, 0);
}

void KLineChart::CursorToFirstBar()
{
    SingleLock data(m_source.DataLock());
    SingleLock lock(&m_lock);
    m_selection.clear();
    if (m_first > 0) {
        const int span = m_last - m_first;
        m_first = 0;
        m_last = span;
        if (span > 20)
            RequestHistory();
    } else if (m_first < 0 || m_last < 0) {
        m_first = 0;
        m_last = 0;
    }
    m_cursor = 0;
    Invalidate();
}

int KLineChart::PaneButtonFromPoint(POINT point) const
{
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        if (!m_buttons[i])
            continue;
        if (m_maximisedPane >= 0) {
            if (static_cast<int>(i) / 3 != m_maximisedPane)
                continue;
            // While a pane is maximised its buttons stand where the first pane's do.
            const ButtonRecord& place = m_buttonRecords[i % 3];
            const RECT r { place.x, place.y, place.x + m_buttons[i]->GetWidth(), place.y + m_buttons[i]->GetHeight() };
            if (::PtInRect(&r, point))
                return static_cast<int>(i);
            continue;
        }
        if (m_buttons[i]->HitTest(point))
            return static_cast<int>(i);
    }
    return -1;
}

void KLineChart::SendToolTip(const std::string* text)
{
    if (!m_owner || !::IsWindow(m_owner))
        return;
    if (text)
        ::SendMessageA(m_owner, kToolTipMessage, reinterpret_cast<WPARAM>(text->c_str()), 0);
    else
        ::SendMessageA(m_owner, kToolTipMessage, 0, 1);
}

void KLineChart::DrawSplitterLine(int y)
{
    if (!m_owner)
        return;
    CClientDC dc(m_owner);
    CSaveDC saved(dc);
    ::SetROP2(dc, R2_XORPEN);
    ::SelectObject(dc, XorPen(ChartColors::Axis));
    ::MoveToEx(dc, m_layout.mainPane.left - 5, y, nullptr);
    ::LineTo(dc, m_layout.mainPane.right + 5, y);
}

void KLineChart::DrawBand(const POINT& a, const POINT& b)
{
    if (!m_owner)
        return;
    CClientDC dc(m_owner);
    CSaveDC saved(dc);
    ::SetROP2(dc, R2_XORPEN);
    ::SelectObject(dc, XorPen(ChartColors::Selection));
    ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
    ::Rectangle(dc, std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x) + 1, std::max(a.y, b.y) + 1);
}

POINT KLineChart::ClampToPlot(POINT point) const
{
    const RECT& plot = m_layout.mainPlot;
    point.x = std::max<LONG>(plot.left + 1, std::min<LONG>(point.x, plot.right - 2));
    point.y = std::max<LONG>(plot.top + 1, std::min<LONG>(point.y, plot.bottom - 2));
    return point;
}

void KLineChart::OnMouseMove(int x, int y)
{
    SingleLock data(m_source.DataLock());
    SingleLock lock(&m_lock);
    const POINT point { x, y };
    // A move that does not move is what a key press leaves behind: the cursor
    // the key placed stays.
    if (m_mouse.x == -1 && m_mouse.y == -1 && m_crossHair && m_lastMovePoint.x == x && m_lastMovePoint.y == y)
        return;
    m_lastMovePoint = point;
    m_hoverButton = PaneButtonFromPoint(point);
    if (m_hoverButton >= 0) {
        Invalidate();
        m_splitterHover = false;
        m_splitterIndex = -1;
        return;
    }
    const bool captured = m_owner && ::GetCapture() == m_owner;
    if (m_splitterHover && captured && m_splitterIndex >= 0
        && m_splitterIndex < static_cast<int>(m_layout.subPanes.size())) {
        const RECT above = m_splitterIndex == 0 ? m_layout.mainPane : m_layout.subPanes[m_splitterIndex - 1];
        const RECT below = m_layout.subPanes[m_splitterIndex];
        const int clamped = kline::ClampSplitterY(y, above, below);
        DrawSplitterLine(m_splitterPoint.y);
        DrawSplitterLine(clamped);
        m_splitterPoint = POINT { x, clamped };
        return;
    }
    bool onSign = false;
    for (const ExRightsSign& sign : m_signs) {
        if (::PtInRect(&sign.rect, point)) {
            const std::string tip = kline::FormatExRightsTip(sign.record);
            SendToolTip(&tip);
            onSign = true;
        }
    }
    if (onSign)
        return;
    SendToolTip(nullptr);
    // A zoom band being drawn stays a band wherever it passes.
    const bool banding = m_banding && captured;
    if (!banding && ::PtInRect(&m_layout.barColumn, point) && !m_layout.subPanes.empty()) {
        int hit = -1;
        if (m_maximisedPane >= 0) {
            const RECT cover = kline::CoveringSubPaneRect(m_layout);
            if (y >= cover.top - 5 && y < cover.top)
                hit = 0;
        } else {
            for (size_t k = 0; k < m_layout.subPanes.size(); ++k) {
                const int border = k == 0 ? m_layout.mainPane.bottom : m_layout.subPanes[k - 1].bottom;
                if (y >= border - 5 && y <= border + 5)
                    hit = static_cast<int>(k);
            }
        }
        if (hit >= 0) {
            ::SetCursor(m_splitCursor);
            m_splitterHover = true;
            m_splitterIndex = hit;
            return;
        }
    }
    if (m_splitterHover && !captured) {
        m_splitterHover = false;
        ::SetCursor(::LoadCursor(nullptr, IDC_ARROW));
    }
    if (m_banding && captured) {
        DrawBand(m_bandStart, m_bandEnd);
        m_bandEnd = ClampToPlot(point);
        DrawBand(m_bandStart, m_bandEnd);
    }
    MoveCursorTo(BarFromPoint(x, y), 0, 0);
    m_mouse = point;
}

void KLineChart::OnLButtonDown(int x, int y, int extend, int add)
{
    SingleLock data(m_source.DataLock());
    SingleLock lock(&m_lock);
    const POINT point { x, y };
    if (m_splitterHover && m_splitterIndex >= 0) {
        if (m_owner)
            ::SetCapture(m_owner);
        ::SetCursor(m_splitCursor);
        DrawSplitterLine(y);
        m_splitterPoint = point;
        return;
    }
    m_pressedButton = PaneButtonFromPoint(point);
    if (m_pressedButton >= 0)
        return;
    if (m_crossHair) {
        MoveCursorTo(BarFromPoint(x, y), extend, add);
        m_mouse = point;
    }
    if (::PtInRect(&m_layout.mainPlot, point)) {
        m_selectedPane = -1;
    } else {
        for (size_t i = 0; i < m_layout.subPanes.size(); ++i) {
            if (::PtInRect(&m_layout.subPanes[i], point)) {
                m_selectedPane = static_cast<int>(i);
                break;
            }
        }
    }
    if (m_crossHair && ::PtInRect(&m_layout.mainPlot, point) && BarFromPoint(x, y) >= 0) {
        if (m_owner)
            ::SetCapture(m_owner);
        m_banding = true;
        m_bandStart = point;
        m_bandEnd = point;
        DrawBand(m_bandStart, m_bandEnd);
    }
}

int KLineChart::BarAtBandEnd(POINT point) const
{
    const RECT& column = m_layout.barColumn;
    if (point.x < column.left)
        return m_first;
    if (point.x >= column.right)
        return m_last;
    return BarFromPoint(point.x, std::max<LONG>(point.y, column.top + kline::kBarColumnInset));
}

void KLineChart::OnLButtonUp(int x, int y)
{
    SingleLock data(m_source.DataLock());
    SingleLock lock(&m_lock);
    const POINT point { x, y };
    const bool captured = m_owner && ::GetCapture() == m_owner;
    if (!captured) {
        m_banding = false;
        const int button = PaneButtonFromPoint(point);
        m_pressedButton = -1;
        if (button >= 0 && OnIndicatorButton(button) < 0) {
            m_splitterIndex = -1;
            return;
        }
        Invalidate();
        return;
    }
    if (m_splitterHover && m_splitterIndex >= 0 && m_splitterIndex < static_cast<int>(m_layout.subPanes.size())) {
        ::ReleaseCapture();
        DrawSplitterLine(m_splitterPoint.y);
        const int k = m_splitterIndex;
        RECT& above = k == 0 ? m_layout.mainPane : m_layout.subPanes[k - 1];
        RECT& below = m_layout.subPanes[k];
        const int border = kline::ClampSplitterY(y, above, below);
        above.bottom = border;
        below.top = border;
        if (k == 0)
            m_layout.mainPlot.bottom = border;
        SetPaneButtonsPos(k, below.right, below.top);
        m_splitterHover = false;
        Invalidate();
        return;
    }
    if (m_banding) {
        m_banding = false;
        ::ReleaseCapture();
        DrawBand(m_bandStart, m_bandEnd);
        const int b = BarAtBandEnd(m_bandStart);
        const int c = BarAtBandEnd(m_bandEnd);
        if (b >= 0 && c >= 0) {
            if (b < c) {
                int first = 0;
                int last = 0;
                const int oldSpan = m_last - m_first;
                const int oldWidth = m_barWidth;
                const int columnWidth = m_layout.barColumn.right - m_layout.barColumn.left;
                if (kline::BandZoomRange(b, c, columnWidth, GetBarCount(), first, last)) {
                    SetRangeAndCursor(first, last, m_cursor);
                    while ((m_last - m_first) * m_barWidth < oldSpan * oldWidth) {
                        const int wider = m_painter.StepBarWidth(m_barWidth, true);
                        if (wider <= m_barWidth)
                            break;
                        m_barWidth = wider;
                    }
                }
            } else if (b > c) {
                for (int i = 0; i < 3; ++i)
                    m_barWidth = m_painter.StepBarWidth(m_barWidth, false);
            }
        }
        Invalidate();
        return;
    }
    ::ReleaseCapture();
    Invalidate();
}

void KLineChart::OnLButtonDblClk(int x, int y)
{
    SingleLock data(m_source.DataLock());
    SingleLock lock(&m_lock);
    OnLButtonDown(x, y, 0, 0);
    if (m_banding) {
        // The press above may have started a band; a double click zooms nothing.
        m_banding = false;
        if (m_owner && ::GetCapture() == m_owner)
            ::ReleaseCapture();
        DrawBand(m_bandStart, m_bandEnd);
    }
    const POINT point { x, y };
    if (PaneButtonFromPoint(point) < 0)
        m_crossHair = m_crossHair ? 0 : 1;
    const RECT cover = kline::CoveringSubPaneRect(m_layout);
    bool inSubPane = false;
    for (const RECT& pane : m_layout.subPanes)
        inSubPane = inSubPane || ::PtInRect(&pane, point);
    if (m_maximisedPane >= 0 && ::PtInRect(&cover, point)) {
        m_maximisedPane = -1;
        RepositionButtons();
    } else if (inSubPane) {
        m_maximisedPane = m_selectedPane;
    }
    if (m_crossHair) {
        MoveCursorTo(BarFromPoint(x, y), 0, 0);
        m_mouse = point;
    } else {
        m_cursor = -1;
        m_mouse = POINT { -1, -1 };
    }
    m_pressedButton = -1;
    Invalidate();
}

void KLineChart::LayoutIndicatorButtons()
{
    m_buttons.clear();
    m_buttonRecords.clear();
    m_hoverButton = -1;
    m_pressedButton = -1;
    DataPaths* paths = DataPaths::Instance();
    for (const RECT& pane : m_layout.subPanes) {
        static const struct
        {
            int kind;
            int offset;
            const char* image;
            const char* caption;
        } kButtons[] = { { kButtonClose, 22, "tech_close.png", "" }, { kButtonAdd, 40, "tech_add.png", "" },
            { kButtonHelp, 106, "tech_tip.png", "指标说明" } };
        for (const auto& spec : kButtons) {
            ButtonRecord record { spec.kind, static_cast<int>(pane.right) - spec.offset,
                static_cast<int>(pane.top) + 2, spec.caption, nullptr };
            auto button = std::make_unique<CSkinButtonItem>(m_owner);
            if (paths) {
                const std::string file = paths->GetSkinFile(spec.image);
                button->SetBitmap(CEnBitmap::LoadFromFile(file.c_str(), ChartColors::Background));
            }
            record.image = button->GetBitmap();
            button->SetCaptions(record.caption, std::string());
            button->SetId(record.kind);
            button->SetTextColors(0xFFFFFF, 0xFFFFFF, 0xFFFFFF);
            m_buttons.push_back(std::move(button));
            m_buttonRecords.push_back(record);
        }
    }
    RepositionButtons();
}

void KLineChart::SetPaneButtonsPos(int pane, int right, int top)
{
    static const int kOffsets[] = { 22, 40, 106 };
    for (int kind = 0; kind < 3; ++kind) {
        const size_t i = static_cast<size_t>(pane) * 3 + kind;
        if (i < m_buttonRecords.size()) {
            m_buttonRecords[i].x = right - kOffsets[kind];
            m_buttonRecords[i].y = top + 2;
        }
    }
    RepositionButtons();
}

void KLineChart::RepositionButtons()
{
    for (size_t i = 0; i < m_buttons.size() && i < m_buttonRecords.size(); ++i)
        m_buttons[i]->SetPosition(m_buttonRecords[i].x, m_buttonRecords[i].y);
}
