#include "skin/SkinDarkCommandButtonCtrl.h"
#include "skin/StripBuilder.h"
#include "win/Dib32.h"

CSkinDarkCommandButtonCtrl::CSkinDarkCommandButtonCtrl(HBITMAP left, HBITMAP middle, HBITMAP right)
    : m_left(left)
    , m_middle(middle)
    , m_right(right)
{
    m_capWidth = StripBitmapSize(left).cx / kStripFrames;
    m_middleWidth = StripBitmapSize(middle).cx / kStripFrames;
    m_pieceHeight = StripBitmapSize(middle).cy;
}

int CSkinDarkCommandButtonCtrl::FrameWidth(int capWidth, int iconFrameWidth, int captionWidth, bool dropdown)
{
    int width = 2 * capWidth + 8 + iconFrameWidth;
    if (captionWidth > 0)
        width += captionWidth + (iconFrameWidth > 0 ? 4 : 0);
    if (dropdown)
        width += 10;
    return width;
}

bool CSkinDarkCommandButtonCtrl::SetContent(HBITMAP iconStrip, const std::string& caption, bool dropdown)
{
    SetOptions(kOptionParentBackground);
    if (m_hWnd)
        Repaint();
    const HFONT font = ButtonFont();
    const CSize icon = StripBitmapSize(iconStrip);
    const int iconFrame = iconStrip ? icon.cx / kStripFrames : 0;
    const CSize text = StripTextSize(font, caption);
    const int W = FrameWidth(m_capWidth, iconFrame, text.cx, dropdown);
    const int H = m_pieceHeight;
    CDib32 strip;
    if (W <= 0 || H <= 0 || !strip.Create(kStripFrames * W, H))
        return false;
    HDC dc = strip.GetDC();
    CMemDC pieces(dc);
    ::SetStretchBltMode(dc, COLORONCOLOR);
    for (int i = 0; i < kStripFrames; ++i) {
        const int x0 = i * W;
        if (m_left) {
            CSelectObject select(pieces, m_left);
            ::BitBlt(dc, x0, 0, m_capWidth, H, pieces, i * m_capWidth, 0, SRCCOPY);
        }
        if (m_middle && W > 2 * m_capWidth) {
            CSelectObject select(pieces, m_middle);
            ::StretchBlt(dc, x0 + m_capWidth, 0, W - 2 * m_capWidth, H, pieces, i * m_middleWidth, 0, m_middleWidth,
                H, SRCCOPY);
        }
        if (m_right) {
            // The right cap is taken as wide as the left one.
            const int rightFrame = StripBitmapSize(m_right).cx / kStripFrames;
            CSelectObject select(pieces, m_right);
            ::BitBlt(dc, x0 + W - m_capWidth, 0, m_capWidth, H, pieces, i * rightFrame, 0, SRCCOPY);
        }
        const COLORREF colour = StripTextColour(i, RGB(0xFF, 0xFF, 0xFF));
        int x = x0 + m_capWidth + 4;
        if (iconStrip) {
            BlendStripFrame(dc, x, H / 2 - icon.cy / 2, iconStrip, i);
            x += iconFrame;
        }
        if (!caption.empty()) {
            DrawStripText(dc, font, x, H / 2 - text.cy / 2 - 1, caption, colour);
            x += text.cx + (iconStrip ? 4 : 0);
        }
        if (dropdown) {
            const int h = H / 2;
            const POINT corners[3] = { { x + 2, h - 2 }, { x + 8, h - 2 }, { x + 5, h + 1 } };
            FillTriangle(dc, corners, colour);
        }
    }
    strip.RepairAlpha();
    SetBitmap(strip.DetachBitmap());
    if (m_hWnd)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, W, H, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}
