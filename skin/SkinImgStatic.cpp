#include "skin/SkinImgStatic.h"
#include "base/ImageUtil.h"
#include "skin/StripBuilder.h"
#include "win/Dib32.h"
#include "win/DoubleBuffer.h"
#include <algorithm>

bool CSkinImgStatic::SetText(const std::string& text)
{
    HFONT font = m_hWnd ? reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)) : nullptr;
    if (!font)
        font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    const std::string shown = text + " ";
    const CSize textSize = StripTextSize(font, shown);
    const CSize icon = StripBitmapSize(m_icon);
    const int width = textSize.cx + (m_icon ? icon.cx + 4 : 0);
    const int height = std::max(icon.cy, textSize.cy);
    CDib32 image;
    if (width <= 0 || height <= 0 || !image.Create(width, height))
        return false;
    if (m_icon)
        BlendStripFrame(image.GetDC(), 0, height / 2 - icon.cy / 2, m_icon, 0, 1);
    const int x = m_icon ? icon.cx + 4 : 0;
    const int y = height / 2 - textSize.cy / 2 + (m_icon ? 1 : 0);
    DrawStripText(image.GetDC(), font, x, y, shown, m_textColour);
    // Text leaves alpha 0 behind it whether or not an icon was drawn; without
    // opaque alpha it would blend additively over the background.
    for (int row = 0; row < height; ++row) {
        uint32_t* pixels = image.Row(row);
        for (int column = 0; column < width; ++column)
            if (pixels[column] != 0)
                pixels[column] |= 0xFF000000u;
    }
    m_rendered.Attach(image.DetachBitmap());
    m_renderedSize = CSize(width, height);
    if (m_hWnd) {
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        Invalidate();
    }
    return true;
}

LRESULT CSkinImgStatic::OnPaint(UINT msg, WPARAM wp, LPARAM, BOOL&)
{
    return PaintDoubleBuffered(m_hWnd, msg, wp, [this](HDC dc, const RECT&) { Paint(dc); });
}

void CSkinImgStatic::Paint(HDC buffer)
{
    const CRect client = GetClientRect();
    if (!FillWithParentBackground(buffer, client))
        FillSolidRect(buffer, client, ::GetSysColor(COLOR_BTNFACE));
    if (m_rendered) {
        const CRect area(0, 0, m_renderedSize.cx, m_renderedSize.cy);
        AlphaBlitBitmap(buffer, m_rendered, area, m_renderedSize.cx, m_renderedSize.cy);
    }
}
