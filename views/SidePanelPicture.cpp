#include "views/SidePanelPicture.h"

#include <algorithm>
#include <cstring>

#include "base/ChartColors.h"
#include "data/Stock.h"
#include "views/QuoteSidePanel.h"

namespace {

template <class T> bool SameBytes(const T& a, const T& b)
{
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

} // namespace

bool SidePanelPicture::Keeps(int page)
{
    // The cost pages follow the cursor and the price scale, and the diagnosis
    // page a verdict that comes over the web: they are drawn each time.
    switch (page) {
    case kPageSectors:
    case kPageTicks:
    case kPageVolumeByPrice:
    case kPageFinance:
    case kPageOrderSizes:
        return true;
    default:
        return false;
    }
}

bool SidePanelPicture::Look::operator==(const Look& o) const
{
    return page == o.page && ::EqualRect(&area, &o.area) && stock == o.stock && key == o.key && code == o.code
        && name == o.name && market == o.market && index == o.index && SameBytes(quote, o.quote)
        && quoteTime == o.quoteTime && SameBytes(finance, o.finance) && SameBytes(tickHeader, o.tickHeader)
        && tickCount == o.tickCount && SameBytes(lastTick, o.lastTick) && minuteCount == o.minuteCount
        && SameBytes(lastMinute, o.lastMinute) && dayCount == o.dayCount && SameBytes(lastDays, o.lastDays)
        && SameBytes(colours, o.colours) && bitsPerPixel == o.bitsPerPixel && backgroundMode == o.backgroundMode
        && backgroundColour == o.backgroundColour && textColour == o.textColour && textAlign == o.textAlign
        && font == o.font;
}

SidePanelPicture::Look SidePanelPicture::MakeLook(HDC dc, int page, const RECT& area, CStock* stock)
{
    Look look;
    look.page = page;
    look.area = area;
    look.stock = stock;
    if (stock) {
        const CStockInfo& info = stock->GetStockInfo();
        look.key = info.GetCodeKey();
        look.code = info.GetCode();
        look.name = info.GetName();
        look.market = info.GetMarket();
        look.index = info.IsIndex();
        look.quoteTime = info.time;
        const float fields[8] = { info.previousClose, info.open, info.high, info.low, info.last, info.volume,
            info.amount, 0.0f };
        std::copy(fields, fields + 7, look.quote);
        std::copy(info.bidPrices, info.bidPrices + 5, look.quote + 7);
        std::copy(info.bidVolumes, info.bidVolumes + 5, look.quote + 12);
        std::copy(info.askPrices, info.askPrices + 5, look.quote + 17);
        std::copy(info.askVolumes, info.askVolumes + 5, look.quote + 22);
        look.finance = info.GetFinance();
        const CFenbiData& ticks = stock->GetFenbiData();
        look.tickHeader = ticks.GetHeader();
        look.tickCount = ticks.GetCount();
        if (look.tickCount > 0)
            look.lastTick = ticks.GetTick(look.tickCount - 1);
        const CMinute& minutes = stock->GetMinute();
        look.minuteCount = minutes.GetCount();
        if (const MinuteRecord* last = look.minuteCount > 0 ? minutes.GetAt(look.minuteCount - 1) : nullptr)
            look.lastMinute = *last;
        // The volume ratio of the quote table averages the last days' volumes.
        const CKData& days = stock->GetDayData();
        look.dayCount = days.GetCount();
        for (int i = 0; i < 6 && i < look.dayCount; ++i) {
            if (const Bar* bar = days.GetBar(look.dayCount - 1 - i))
                look.lastDays[i] = *bar;
        }
    }
    const COLORREF colours[12] = { SidePanelColors::Background, SidePanelColors::NeutralText,
        SidePanelColors::StockName, SidePanelColors::StockCode, SidePanelColors::IndexVolume,
        SidePanelColors::OrderBookVolume, SidePanelColors::Turnover, ChartColors::Rise, ChartColors::Fall,
        ChartColors::Flat, ChartColors::Axis, ChartColors::Background };
    std::copy(colours, colours + 12, look.colours);
    // The target bitmap's depth; the device's only without one (asking the
    // device costs more than drawing the page under Wine).
    BITMAP bitmap = {};
    HBITMAP target = static_cast<HBITMAP>(::GetCurrentObject(dc, OBJ_BITMAP));
    if (target && ::GetObjectA(target, sizeof(bitmap), &bitmap))
        look.bitsPerPixel = bitmap.bmBitsPixel * bitmap.bmPlanes;
    else
        look.bitsPerPixel = ::GetDeviceCaps(dc, BITSPIXEL) * ::GetDeviceCaps(dc, PLANES);
    look.backgroundMode = ::GetBkMode(dc);
    look.backgroundColour = ::GetBkColor(dc);
    look.textColour = ::GetTextColor(dc);
    look.textAlign = ::GetTextAlign(dc);
    look.font = ::GetCurrentObject(dc, OBJ_FONT);
    return look;
}

void SidePanelPicture::Paint(
    HDC dc, int page, const RECT& rect, int top, CStock* stock, const std::function<void(HDC)>& draw)
{
    if (::IsRectEmpty(&rect))
        return;
    const int band = std::max(0, std::min(kTitleBand, static_cast<int>(rect.top - top)));
    const RECT area = { rect.left, rect.top - band, rect.right, rect.bottom };
    const int width = area.right - area.left;
    const Look look = MakeLook(dc, page, area, stock);

    bool same = m_valid && look == m_look;
    if (band > 0) {
        if (m_below.Width() != width || m_below.Height() != band) {
            m_below.Destroy();
            m_below.Create(width, band);
        }
        if (!m_below.CopyFrom(dc, area.left, area.top)) {
            m_valid = false;
            draw(dc);
            return;
        }
        same = same && m_belowPixels.size() == static_cast<size_t>(width) * band
            && std::equal(m_belowPixels.begin(), m_belowPixels.end(), m_below.Row(0));
    }
    if (!same) {
        Draw(dc, area, band, look.bitsPerPixel, draw);
        m_look = look;
    }
    if (!m_valid) {
        // Without a picture (GDI refused one) the page is drawn as it always was.
        draw(dc);
        return;
    }
    ::BitBlt(dc, area.left, area.top, width, area.bottom - area.top, m_picture, 0, 0, SRCCOPY);
    for (const RECT& r : m_excluded)
        ::ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
}

void SidePanelPicture::Draw(
    HDC dc, const RECT& area, int band, int bitsPerPixel, const std::function<void(HDC)>& draw)
{
    m_valid = false;
    m_excluded.clear();
    m_belowPixels.clear();
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (m_picture.IsNull() || m_picture.Size().cx != width || m_picture.Size().cy != height
        || m_look.bitsPerPixel != bitsPerPixel) {
        if (!m_picture.MakeCompatible(dc, width, height))
            return;
    }
    HDC picture = m_picture;
    // What lies below the title band, as the drawing would find it in dc.
    if (band > 0) {
        if (m_below.Width() != width || m_below.Height() != band)
            return;
        ::BitBlt(picture, 0, 0, width, band, m_below.GetDC(), 0, 0, SRCCOPY);
        m_belowPixels.assign(m_below.Row(0), m_below.Row(0) + static_cast<size_t>(width) * band);
    }
    const int saved = ::SaveDC(picture);
    // The drawing finds the state dc has.
    ::SetBkMode(picture, ::GetBkMode(dc));
    ::SetBkColor(picture, ::GetBkColor(dc));
    ::SetTextColor(picture, ::GetTextColor(dc));
    ::SetTextAlign(picture, ::GetTextAlign(dc));
    ::SelectObject(picture, ::GetCurrentObject(dc, OBJ_FONT));
    ::SelectObject(picture, ::GetCurrentObject(dc, OBJ_PEN));
    ::SelectObject(picture, ::GetCurrentObject(dc, OBJ_BRUSH));
    ::SetViewportOrgEx(picture, -area.left, -area.top, nullptr);
    draw(picture);
    // A child window's place the drawing keeps clear of.
    HRGN clip = ::CreateRectRgn(0, 0, 0, 0);
    if (clip && ::GetClipRgn(picture, clip) == 1) {
        HRGN whole = ::CreateRectRgn(0, 0, width, height);
        if (whole && ::CombineRgn(whole, whole, clip, RGN_DIFF) != NULLREGION) {
            const DWORD size = ::GetRegionData(whole, 0, nullptr);
            std::vector<uint8_t> bytes(size);
            RGNDATA* data = reinterpret_cast<RGNDATA*>(bytes.data());
            if (size && ::GetRegionData(whole, size, data) == size) {
                const RECT* rects = reinterpret_cast<const RECT*>(data->Buffer);
                for (DWORD i = 0; i < data->rdh.nCount; ++i) {
                    RECT r = rects[i];
                    ::OffsetRect(&r, area.left, area.top);
                    m_excluded.push_back(r);
                }
            }
        }
        if (whole)
            ::DeleteObject(whole);
    }
    if (clip)
        ::DeleteObject(clip);
    ::RestoreDC(picture, saved);
    m_valid = true;
}
