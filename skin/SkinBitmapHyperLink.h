#pragma once
// A hyperlink for skinned windows: it paints its parent's background under
// itself, shows an image beside the label (left of it, or at the right end)
// and can cycle through several images once a second. While the pointer is
// over the link (underline-on-hover style) the label takes the hover colour.
// The images are owned by the control. UI thread only.
#include "skin/ParentBackground.h"
#include "win/HyperLink.h"
#include <vector>

class CSkinBitmapHyperLink : public CHyperLinkImpl<CSkinBitmapHyperLink>,
                             public CParentBackground<CSkinBitmapHyperLink>
{
public:
    DECLARE_WND_CLASS_EX("ZtSkinBitmapHyperLink", CS_DBLCLKS, COLOR_WINDOW + 1)

    // Extended styles of this class, beside the hyperlink's.
    enum : DWORD { kImageLeft = 0x80, kImageRight = 0x100 };
    enum : UINT_PTR { kAnimationTimerId = 1009 };
    enum : UINT { kAnimationIntervalMs = 1000 };

    CSkinBitmapHyperLink() = default;
    ~CSkinBitmapHyperLink() override;

    // Takes a non-null bitmap (owned from now on).
    void AddImage(HBITMAP image);
    void ClearImages();
    int GetImageCount() const { return static_cast<int>(m_images.size()); }
    // Before the window is created: the images then change once a second.
    void SetAnimate(bool animate) { m_animate = animate; }
    bool IsAnimating() const { return m_animate; }
    int GetCurrentImage() const { return m_currentImage; }
    // Where the image was last painted (empty before, or without images).
    const CRect& GetImageRect() const { return m_imageRect; }

    COLORREF m_hoverColour = RGB(0x9B, 0x9B, 0x9B);

    void DoPaint(HDC dc);

    BEGIN_MSG_MAP(CSkinBitmapHyperLink)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        CHAIN_MSG_MAP(CParentBackground<CSkinBitmapHyperLink>)
        TIMER_HANDLER(OnTimer)
        MOUSE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
        MOUSE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        MOUSE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
        CHAIN_MSG_MAP(CHyperLinkImpl<CSkinBitmapHyperLink>)
    END_MSG_MAP()

protected:
    void OnFinalMessage(HWND) override { ClearImages(); }

private:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    void OnTimer(UINT_PTR id, BOOL& handled);
    void OnMouseMove(UINT, CPoint point, BOOL&);
    void OnLButtonDown(UINT, CPoint point, BOOL&);
    void OnLButtonUp(UINT, CPoint point, BOOL&);
    bool IsOverImage(CPoint point) const { return !m_images.empty() && m_imageRect.Contains(point); }

    std::vector<HBITMAP> m_images;
    CRect m_imageRect;
    bool m_animate = false;
    int m_currentImage = 0;
};
