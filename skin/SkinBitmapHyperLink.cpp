#include "skin/SkinBitmapHyperLink.h"
#include "base/ImageUtil.h"
#include "skin/StripBuilder.h"

CSkinBitmapHyperLink::~CSkinBitmapHyperLink()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
    ClearImages();
}

void CSkinBitmapHyperLink::AddImage(HBITMAP image)
{
    if (image)
        m_images.push_back(image);
}

void CSkinBitmapHyperLink::ClearImages()
{
    for (HBITMAP image : m_images)
        ::DeleteObject(image);
    m_images.clear();
    m_currentImage = 0;
    m_imageRect = CRect();
}

LRESULT CSkinBitmapHyperLink::OnCreate(UINT, WPARAM, LPARAM, BOOL&)
{
    InitLink(m_hWnd);
    if (m_animate)
        SetTimer(kAnimationTimerId, kAnimationIntervalMs);
    return 0;
}

void CSkinBitmapHyperLink::OnTimer(UINT_PTR id, BOOL& handled)
{
    if (id != kAnimationTimerId) {
        handled = FALSE;
        return;
    }
    if (!m_animate)
        return;
    ++m_currentImage;
    if (m_currentImage >= GetImageCount())
        m_currentImage = 0;
    Invalidate(false);
}

void CSkinBitmapHyperLink::OnMouseMove(UINT, CPoint point, BOOL&)
{
    MakeTooltip(point);
    if (!IsOverImage(point)) {
        HandleMouseMove(point);
        return;
    }
    ::SetCursor(m_linkCursor);
    if (m_extendedStyle & kHyperLinkUnderlineHover) {
        SetHover(true);
        TrackLeave();
    }
}

void CSkinBitmapHyperLink::OnLButtonDown(UINT, CPoint point, BOOL&)
{
    HandleButtonDown(point, IsOverImage(point) || IsOverLabel(point));
}

void CSkinBitmapHyperLink::OnLButtonUp(UINT, CPoint point, BOOL&)
{
    HandleButtonUp(point, IsOverImage(point) || IsOverLabel(point));
}

void CSkinBitmapHyperLink::DoPaint(HDC dc)
{
    const CRect client = GetClientRect();
    if (!FillWithParentBackground(dc, client))
        ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
    if (!(m_state & kHyperLinkPaintLabel))
        return;

    if (!m_images.empty()) {
        if (m_currentImage >= GetImageCount())
            m_currentImage = 0;
        HBITMAP image = m_images[static_cast<size_t>(m_currentImage)];
        const CSize size = StripBitmapSize(image);
        int x = 0;
        if (m_extendedStyle & kImageLeft) {
            m_labelRect = CRect(size.cx + 2, m_labelRect.top, client.right, client.bottom);
        } else if (m_extendedStyle & kImageRight) {
            x = client.right - size.cx;
            m_labelRect = CRect(m_labelRect.left, m_labelRect.top, x, client.bottom);
        }
        m_imageRect = CRect(x, 0, x + size.cx, size.cy);
        AlphaBlitBitmap(dc, image, m_imageRect, size.cx, size.cy);
    }

    COLORREF colour = LabelColour();
    const bool hoverStyle = (m_extendedStyle & kHyperLinkUnderlineHover) != 0;
    if (IsWindowEnabled() && hoverStyle && IsHovering())
        colour = m_hoverColour;
    DrawLabelText(dc, colour, hoverStyle && !IsHovering() ? m_normalFont : m_linkFont);
    DrawFocus(dc);
}
