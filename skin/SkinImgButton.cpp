#include "skin/SkinImgButton.h"
#include "skin/StripBuilder.h"
#include "win/Dib32.h"
#include <algorithm>

CSize CSkinImgButton::FrameSize(CSize imageFrame, CSize caption)
{
    return CSize(std::max(imageFrame.cx, caption.cx), std::max(imageFrame.cy, caption.cy));
}

bool CSkinImgButton::SetContent(HBITMAP image, const std::string& caption, bool dropdown)
{
    CBitmap source(image);
    SetOptions(kOptionParentBackground);
    if (m_hWnd)
        Repaint();
    const HFONT font = ButtonFont();
    const CSize imageSize = StripBitmapSize(source);
    const CSize imageFrame(imageSize.cx / kStripFrames, imageSize.cy);
    const CSize text = StripTextSize(font, caption);
    const CSize frame = FrameSize(imageFrame, text);
    CDib32 strip;
    if (frame.cx <= 0 || frame.cy <= 0 || !strip.Create(kStripFrames * frame.cx, frame.cy))
        return false;
    HDC dc = strip.GetDC();
    const int h = frame.cy / 2;
    for (int i = 0; i < kStripFrames; ++i) {
        const int x0 = i * frame.cx;
        if (source)
            BlendStripFrame(dc, x0, h - imageFrame.cy / 2, source, i);
        const COLORREF colour = StripTextColour(i, m_textColour);
        const int x = x0 + frame.cx / 2 - text.cx / 2 - (dropdown ? 4 : 1);
        DrawStripText(dc, font, x, h - (text.cy / 2 + 1), caption, colour);
        if (dropdown) {
            const POINT corners[3] = { { x0 + frame.cx - 13, h - 3 }, { x0 + frame.cx - 3, h - 3 },
                { x0 + frame.cx - 8, h + 2 } };
            FillTriangle(dc, corners, colour);
        }
    }
    strip.RepairAlpha();
    source.Reset();
    SetBitmap(strip.DetachBitmap());
    if (m_hWnd)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, frame.cx, frame.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

HBITMAP CCheckButton::BuildStrip(HBITMAP image, int frameWidth, int height) const
{
    CDib32 strip;
    if (frameWidth <= 0 || height <= 0 || !strip.Create(kStripFrames * frameWidth, height))
        return nullptr;
    const CSize imageSize = StripBitmapSize(image);
    for (int i = 0; i < kStripFrames; ++i)
        BlendStripFrame(strip.GetDC(), i * frameWidth, height / 2 - imageSize.cy / 2, image, i);
    return strip.DetachBitmap();
}

bool CCheckButton::SetImages(HBITMAP unchecked, HBITMAP checked, const std::string& caption)
{
    CBitmap uncheckedSource(unchecked);
    CBitmap checkedSource(checked);
    SetOptions(kOptionParentBackground);
    m_caption = caption;
    const CSize imageSize = StripBitmapSize(uncheckedSource);
    const int imageFrameWidth = imageSize.cx / kStripFrames;
    const CSize text = StripTextSize(ButtonFont(), caption);
    const int frameWidth = imageFrameWidth + (caption.empty() ? 0 : text.cx + 2);
    const int height = std::max(imageSize.cy, text.cy);
    m_captionOffset = imageFrameWidth + 2;
    m_unchecked.Attach(BuildStrip(uncheckedSource, frameWidth, height));
    m_checked.Attach(BuildStrip(checkedSource, frameWidth, height));
    if (m_unchecked.IsNull() || m_checked.IsNull())
        return false;
    m_showingChecked = false;
    ShowStrip(m_unchecked);
    if (m_hWnd)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, frameWidth, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

// The platform button changes its check state (and paints it) itself; the
// skin is painted over it once it has.
void CCheckButton::OnLButtonDown(UINT msg, WPARAM wp, LPARAM lp, BOOL&)
{
    DefWindowProc(msg, wp, lp);
    Repaint();
}

void CCheckButton::OnLButtonUp(UINT msg, WPARAM wp, LPARAM lp, BOOL&)
{
    DefWindowProc(msg, wp, lp);
    Repaint();
}

void CCheckButton::DrawItem(HDC dc)
{
    const bool checked = (::SendMessageA(m_hWnd, BM_GETCHECK, 0, 0) & BST_CHECKED) != 0;
    if (checked != m_showingChecked && m_checked && m_unchecked) {
        m_showingChecked = checked;
        ShowStrip(checked ? m_checked.Get() : m_unchecked.Get(), false);
    }
    CSkinFadeStateButtonCtrl::DrawItem(dc);
    if (m_caption.empty() || !dc)
        return;
    const HFONT font = ButtonFont();
    const CSize text = StripTextSize(font, m_caption);
    CRect client;
    ::GetClientRect(m_hWnd, &client);
    int y = client.Height() / 2 - text.cy / 2 - 1;
    if (y <= 0)
        y = 0;
    const COLORREF colour = CurrentFrame() != kFrameDisabled ? m_textColour : kStripDisabledText;
    DrawStripText(dc, font, m_captionOffset, y, m_caption, colour);
}
