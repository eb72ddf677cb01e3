#include "skin/SkinButtonItem.h"
#include "base/GdiObjectCache.h"
#include "skin/FrameMessages.h"
#include "win/Dib32.h"
#include <algorithm>
#include <memory>
#include <vector>

namespace {

const char kCaptionFace[] = "宋体";
constexpr int kCaptionHeight = 12;
constexpr int kFrames = 4;

CSize SizeOf(HBITMAP bitmap)
{
    BITMAP info = {};
    if (!bitmap || !::GetObjectA(bitmap, sizeof(info), &info))
        return CSize();
    return CSize(info.bmWidth, info.bmHeight);
}

}

CSkinButtonItem::CSkinButtonItem(HWND owner)
    : m_owner(owner)
{
}

CSkinButtonItem::CSkinButtonItem(HWND owner, HBITMAP left, HBITMAP middle, HBITMAP right)
    : m_left(left)
    , m_middle(middle)
    , m_right(right)
    , m_owner(owner)
{
    m_capWidth = SizeOf(left).cx / kFrames;
    m_middleWidth = SizeOf(middle).cx / kFrames;
    m_pieceHeight = SizeOf(middle).cy;
}

int CSkinButtonItem::SetBitmap(HBITMAP strip)
{
    if (strip != m_strip.Get())
        m_strip.Attach(strip);
    if (strip) {
        const CSize size = SizeOf(strip);
        m_frameWidth = size.cx / kFrames;
        m_height = size.cy;
    }
    return m_frameWidth;
}

void CSkinButtonItem::SetCaptions(const std::string& caption, const std::string& alternate)
{
    m_caption = caption;
    m_alternate = alternate.empty() ? caption : alternate;
}

void CSkinButtonItem::SetMouseState(bool which, bool value)
{
    if (which)
        m_hover = value;
    else
        m_pressed = value;
}

void CSkinButtonItem::ClearMouseState()
{
    m_hover = false;
    m_pressed = false;
}

void CSkinButtonItem::SetTextColors(COLORREF normal, COLORREF hot, COLORREF third)
{
    m_normalColour = normal;
    m_hotColour = hot;
    m_thirdColour = third;
}

bool CSkinButtonItem::HitTest(POINT point) const
{
    return GetRect().Contains(point);
}

void CSkinButtonItem::NotifyPress() const
{
    if (!m_owner)
        return;
    RECT owner = {};
    ::GetWindowRect(m_owner, &owner);
    const int x = m_x + owner.left + 1;
    const int y = m_y + m_height + owner.top;
    ::PostMessageA(m_owner, kFrameItemPressed, static_cast<WPARAM>(m_id), MAKELPARAM(x, y));
}

int CSkinButtonItem::CurrentFrame() const
{
    if (m_third)
        return 0;
    if (m_pressed)
        return 3;
    if (m_hover)
        return 2;
    return 1;
}

HFONT CSkinButtonItem::CaptionFont() const
{
    GdiObjectCache* cache = GdiObjectCache::Instance();
    return cache ? cache->GetFont(kCaptionHeight, kCaptionFace, FW_NORMAL) : nullptr;
}

void CSkinButtonItem::Draw(HDC dc, HDC shared)
{
    if (m_drawing || !dc)
        return;
    m_drawing = true;
    if (!m_strip.IsNull()) {
        std::unique_ptr<CMemDC> own;
        HDC memory = shared;
        if (!memory) {
            own = std::make_unique<CMemDC>(dc);
            memory = *own;
        }
        if (memory) {
            CSelectObject select(memory, m_strip);
            BLENDFUNCTION blend = { AC_SRC_OVER, 0, 255, AC_SRC_ALPHA };
            ::AlphaBlend(dc, m_x, m_y, m_frameWidth, m_height, memory, CurrentFrame() * m_frameWidth, 0, m_frameWidth,
                m_height, blend);
        }
    }
    const std::string& text = m_showAlternate ? m_alternate : m_caption;
    if (!text.empty()) {
        CUseFont font(dc, CaptionFont());
        const COLORREF colour = m_hover || m_pressed ? m_hotColour : m_third ? m_thirdColour : m_normalColour;
        const COLORREF old = ::SetTextColor(dc, colour);
        RECT area = GetRect();
        ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &area, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
        ::SetTextColor(dc, old);
    }
    m_drawing = false;
}

int CSkinButtonItem::MeasureWidth(HDC dc, HBITMAP iconStrip, const std::string& text, bool arrow) const
{
    int width = 2 * m_capWidth + 8;
    if (iconStrip)
        width += SizeOf(iconStrip).cx / kFrames;
    if (!text.empty()) {
        CSelectObject font(dc, CaptionFont());
        SIZE extent = {};
        ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        width += extent.cx;
        if (iconStrip)
            width += 4;
    }
    if (arrow)
        width += 10;
    return width;
}

HBITMAP CSkinButtonItem::ComposeStrip(HBITMAP iconStrip, const std::string& text, bool arrow) const
{
    CClientDC screen(nullptr);
    const int W = MeasureWidth(screen, iconStrip, text, arrow);
    const int H = m_pieceHeight;
    CDib32 strip;
    if (W <= 0 || H <= 0 || !strip.Create(kFrames * W, H))
        return nullptr;
    HDC target = strip.GetDC();
    CMemDC pieceDc(target);
    const CSize icon = SizeOf(iconStrip);
    const int iconFrame = icon.cx / kFrames;
    ::SetStretchBltMode(target, COLORONCOLOR);
    for (int k = 0; k < kFrames; ++k) {
        const int x0 = k * W;
        if (m_left) {
            CSelectObject select(pieceDc, m_left);
            ::BitBlt(target, x0, 0, m_capWidth, H, pieceDc, m_capWidth * k, 0, SRCCOPY);
        }
        if (m_middle && W > 2 * m_capWidth) {
            CSelectObject select(pieceDc, m_middle);
            ::StretchBlt(target, x0 + m_capWidth, 0, W - 2 * m_capWidth, H, pieceDc, m_middleWidth * k, 0,
                m_middleWidth, H, SRCCOPY);
        }
        if (m_right) {
            CSelectObject select(pieceDc, m_right);
            ::BitBlt(target, x0 + W - m_capWidth, 0, m_capWidth, H, pieceDc, m_capWidth * k, 0, SRCCOPY);
        }
        int g = x0 + m_capWidth + 4;
        if (iconStrip) {
            CSelectObject select(pieceDc, iconStrip);
            BLENDFUNCTION blend = { AC_SRC_OVER, 0, 255, AC_SRC_ALPHA };
            ::AlphaBlend(target, g, H / 2 - icon.cy / 2, iconFrame, icon.cy, pieceDc, iconFrame * k, 0, iconFrame,
                icon.cy, blend);
            g += iconFrame;
        }
        if (arrow) {
            const POINT points[] = { { g + 2, H / 2 - 2 }, { g + 8, H / 2 - 2 }, { g + 5, H / 2 + 1 } };
            const COLORREF colour = k == 0 ? RGB(0x77, 0x77, 0x77) : RGB(0x05, 0x05, 0x05);
            // GDI leaves alpha 0 where it draws on a 32-bit DIB: the
            // triangle's pixels are found by their change and made opaque.
            const CRect box(g + 2, H / 2 - 2, g + 9, H / 2 + 2);
            std::vector<uint32_t> before;
            for (int y = box.top; y < box.bottom; ++y)
                for (int x = box.left; x < box.right; ++x)
                    before.push_back(strip.GetPixel(x, y));
            CBrush brush;
            CPen pen;
            brush.CreateSolid(colour);
            pen.Create(PS_SOLID, 1, colour);
            {
                CSelectObject selectBrush(target, brush);
                CSelectObject selectPen(target, pen);
                ::Polygon(target, points, 3);
            }
            size_t i = 0;
            for (int y = box.top; y < box.bottom; ++y) {
                for (int x = box.left; x < box.right; ++x, ++i) {
                    const uint32_t now = strip.GetPixel(x, y);
                    if (now != before[i])
                        strip.SetPixel(x, y, 0xFF000000u | (now & 0x00FFFFFFu));
                }
            }
        }
    }
    return strip.DetachBitmap();
}

bool CSkinButtonItem::BuildFromPieces(HBITMAP iconStrip, const std::string& text, bool arrow)
{
    HBITMAP strip = ComposeStrip(iconStrip, text, arrow);
    if (!strip) {
        m_strip.Reset();
        return false;
    }
    SetBitmap(strip);
    return true;
}
