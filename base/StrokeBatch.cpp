#include "base/StrokeBatch.h"

#include "base/GdiObjectCache.h"

void StrokeBatch::AddLine(int x1, int y1, int x2, int y2)
{
    m_points.push_back(POINT { x1, y1 });
    m_points.push_back(POINT { x2, y2 });
    m_counts.push_back(2);
}

void StrokeBatch::AddFrame(const RECT& rect)
{
    if (rect.right <= rect.left || rect.bottom <= rect.top)
        return;
    // A 1-px pen outlines a rectangle of at least 2 x 2 on FrameRect's
    // pixels. A thinner one is four open strokes, each ending just outside
    // it, so that a single row, column or pixel is lit too.
    if (rect.right - rect.left >= 2 && rect.bottom - rect.top >= 2) {
        m_frames.push_back(rect);
        return;
    }
    AddLine(rect.left, rect.top, rect.right, rect.top);
    AddLine(rect.left, rect.bottom - 1, rect.right, rect.bottom - 1);
    AddLine(rect.left, rect.top, rect.left, rect.bottom);
    AddLine(rect.right - 1, rect.top, rect.right - 1, rect.bottom);
}

void StrokeBatch::Flush(HDC dc, HPEN pen, HBRUSH brush)
{
    if (!m_fills.empty() && brush) {
        HGDIOBJ old = ::SelectObject(dc, brush);
        for (const RECT& rect : m_fills)
            ::PatBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, PATCOPY);
        ::SelectObject(dc, old);
    }
    if ((!m_counts.empty() || !m_frames.empty()) && pen) {
        HGDIOBJ old = ::SelectObject(dc, pen);
        if (!m_frames.empty()) {
            HGDIOBJ oldBrush = ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
            for (const RECT& rect : m_frames)
                ::Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
            ::SelectObject(dc, oldBrush);
        }
        if (!m_counts.empty())
            ::PolyPolyline(dc, m_points.data(), m_counts.data(), static_cast<DWORD>(m_counts.size()));
        ::SelectObject(dc, old);
    }
    m_points.clear();
    m_counts.clear();
    m_frames.clear();
    m_fills.clear();
}

StrokeBatch& ColouredStrokes::For(COLORREF colour)
{
    for (auto& batch : m_batches) {
        if (batch.first == colour)
            return batch.second;
    }
    m_batches.emplace_back(colour, StrokeBatch());
    return m_batches.back().second;
}

void ColouredStrokes::Flush(HDC dc)
{
    GdiObjectCache* cache = GdiObjectCache::Instance();
    for (auto& batch : m_batches) {
        if (!batch.second.IsEmpty() && cache)
            batch.second.Flush(dc, cache->GetPen(PS_SOLID, 1, batch.first), cache->GetBrush(batch.first));
    }
}
