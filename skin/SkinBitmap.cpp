#include "skin/SkinBitmap.h"
#include <algorithm>

namespace {

void Add(std::vector<NineGridBlit>& plan, const CRect& dest, CRect source, int bw, int bh)
{
    source.left = std::clamp(source.left, 0L, static_cast<LONG>(bw));
    source.right = std::clamp(source.right, 0L, static_cast<LONG>(bw));
    source.top = std::clamp(source.top, 0L, static_cast<LONG>(bh));
    source.bottom = std::clamp(source.bottom, 0L, static_cast<LONG>(bh));
    if (dest.Width() <= 0 || dest.Height() <= 0 || source.Width() <= 0 || source.Height() <= 0)
        return;
    plan.push_back({ dest, source });
}

// A rectangle from its origin and size.
CRect At(int x, int y, int w, int h)
{
    return CRect(x, y, x + w, y + h);
}

}

std::vector<NineGridBlit> PlanNineGrid(int width, int height, int bw, int bh, int cornerX, int cornerY)
{
    std::vector<NineGridBlit> plan;
    const int W = width, H = height, cx = cornerX, cy = cornerY;
    if (cx <= 0 && cy <= 0) {
        Add(plan, At(0, 0, W, H), At(0, 0, bw, bh), bw, bh);
    } else if (cy <= 0) {
        Add(plan, At(0, 0, cx, H), At(0, 0, cx, H), bw, bh);
        Add(plan, At(cx, 0, W - bw, H), At(cx, 0, 1, bh), bw, bh);
        Add(plan, At(cx + W - bw, 0, bw - cx, H), At(cx, 0, bw - cx, H), bw, bh);
    } else if (cx <= 0) {
        Add(plan, At(0, 0, W, cy), At(0, 0, W, cy), bw, bh);
        Add(plan, At(0, cy, bw, H - bh), At(0, cy, bw, 1), bw, bh);
        Add(plan, At(0, cy + H - bh, bw, bh - cy), At(0, cy, bw, bh - cy), bw, bh);
    } else {
        const int midW = W - bw, midH = H - bh, rightX = W + cx - bw, bottomY = H + cy - bh;
        const int rightW = bw - cx, bottomH = bh - cy;
        Add(plan, At(0, 0, cx, cy), At(0, 0, cx, cy), bw, bh);
        Add(plan, At(cx, 0, midW, cy), At(cx, 0, 1, cy), bw, bh);
        Add(plan, At(rightX, 0, rightW, cy), At(cx, 0, rightW, cy), bw, bh);
        Add(plan, At(0, cy, cx, midH), At(0, cy, cx, 1), bw, bh);
        Add(plan, At(cx, cy, midW, midH), At(cx, cy, 1, 1), bw, bh);
        Add(plan, At(rightX, cy, rightW, midH), At(cx, cy, rightW, 1), bw, bh);
        Add(plan, At(0, bottomY, cx, bottomH), At(0, cy, cx, bottomH), bw, bh);
        Add(plan, At(cx, bottomY, midW, bottomH), At(cx, cy, 1, bottomH), bw, bh);
        Add(plan, At(rightX, bottomY, rightW, bottomH), At(cx, cy, rightW, bottomH), bw, bh);
    }
    return plan;
}

bool CSkinBitmap::DrawNineGrid(CBitmap& target, const RECT& rect, int cornerX, int cornerY) const
{
    target.Reset();
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (m_bitmap.IsNull() || width <= 0 || height <= 0)
        return false;
    CClientDC screen(nullptr);
    CMemDC targetDc(screen);
    CMemDC imageDc(screen);
    if (!targetDc || !imageDc || !target.CreateCompatibleBitmap(screen, width, height))
        return false;
    bool ok = true;
    {
        CSelectObject selectTarget(targetDc, target);
        CSelectObject selectImage(imageDc, m_bitmap);
        ::SetStretchBltMode(targetDc, COLORONCOLOR);
        for (const NineGridBlit& blit : PlanNineGrid(width, height, GetWidth(), GetHeight(), cornerX, cornerY)) {
            ok = ::StretchBlt(targetDc, blit.dest.left, blit.dest.top, blit.dest.Width(), blit.dest.Height(), imageDc,
                     blit.source.left, blit.source.top, blit.source.Width(), blit.source.Height(), SRCCOPY)
                && ok;
        }
    }
    if (!ok)
        target.Reset();
    return ok;
}

int CSkinBitmap::Draw(HDC dc, const RECT& rect, int cornerX, int cornerY) const
{
    CBitmap rendered;
    if (!DrawNineGrid(rendered, rect, cornerX, cornerY))
        return 0;
    CMemDC memory(dc);
    if (!memory)
        return 0;
    CSelectObject select(memory, rendered);
    return ::BitBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, memory, 0, 0, SRCCOPY)
        ? 1
        : 0;
}

bool CSkinBitmap::StretchDraw(HDC dc, const RECT& dest, const RECT* source) const
{
    if (m_bitmap.IsNull())
        return false;
    const CRect from = source ? CRect(*source) : GetRect();
    CMemDC memory(dc);
    if (!memory)
        return false;
    CSelectObject select(memory, m_bitmap);
    return ::StretchBlt(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, memory, from.left,
               from.top, from.Width(), from.Height(), SRCCOPY)
        != FALSE;
}
