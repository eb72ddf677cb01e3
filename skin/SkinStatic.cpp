#include "skin/SkinStatic.h"
#include "base/ImageUtil.h"
#include "win/DoubleBuffer.h"
#include <vector>

COLORREF GradientStripeColour(COLORREF left, COLORREF right, int stripe)
{
    const auto channel = [stripe](int c, int d) { return c + (d - c) * stripe / 255; };
    return RGB(channel(GetRValue(left), GetRValue(right)), channel(GetGValue(left), GetGValue(right)),
        channel(GetBValue(left), GetBValue(right)));
}

namespace {

UINT AlignmentFormat(int alignment)
{
    return alignment == kStaticAlignLeft ? DT_LEFT : alignment == kStaticAlignCentre ? DT_CENTER : DT_RIGHT;
}

}

LRESULT CSkinGradientStatic::OnPaint(UINT msg, WPARAM wp, LPARAM, BOOL&)
{
    return PaintDoubleBuffered(m_hWnd, msg, wp, [this](HDC dc, const RECT&) { Paint(dc); });
}

void CSkinGradientStatic::Paint(HDC dc)
{
    const CRect client = GetClientRect();
    const double step = client.Width() / 255.0;
    for (int i = 0; i < 255; ++i) {
        const CRect stripe(client.left + static_cast<int>(i * step), client.top,
            client.left + static_cast<int>((i + 1) * step), client.bottom);
        if (stripe.right > stripe.left)
            FillSolidRect(dc, stripe, GradientStripeColour(leftColour, rightColour, i));
    }
    char text[1025] = {};
    const int length = ::GetWindowTextA(m_hWnd, text, sizeof(text));
    if (length <= 0)
        return;
    CSelectObject select(dc, font ? static_cast<HGDIOBJ>(font) : ::GetCurrentObject(dc, OBJ_FONT));
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = ::SetTextColor(dc, textColour);
    CRect area = client;
    if (alignment == kStaticAlignLeft)
        area.left += margin;
    else if (alignment != kStaticAlignCentre)
        area.right -= margin;
    ::DrawTextA(dc, text, length, &area, DT_SINGLELINE | DT_VCENTER | AlignmentFormat(alignment));
    ::SetTextColor(dc, oldColour);
    ::SetBkMode(dc, oldMode);
}

LRESULT CSkinStatic::OnPaint(UINT msg, WPARAM wp, LPARAM, BOOL&)
{
    return PaintDoubleBuffered(m_hWnd, msg, wp, [this](HDC dc, const RECT&) { Paint(dc); });
}

void CSkinStatic::Paint(HDC buffer)
{
    const CRect client = GetClientRect();
    if (!FillWithParentBackground(buffer, client))
        FillSolidRect(buffer, client, ::GetSysColor(COLOR_BTNFACE));
    if (m_text.empty())
        return;
    CSelectObject select(buffer, GetFont() ? static_cast<HGDIOBJ>(GetFont()) : ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(buffer, TRANSPARENT);
    ::SetTextColor(buffer, m_textColour);
    CRect area = client;
    ::DrawTextA(buffer, m_text.c_str(), static_cast<int>(m_text.size()), &area,
        DT_WORDBREAK | DT_VCENTER | AlignmentFormat(m_alignment));
}
