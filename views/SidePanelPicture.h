#pragma once
// The K-line chart's quote side panel as a picture of its last drawing. The
// chart repaints at every mouse move, the panel's quote table and page are
// some sixty texts, and they change only when a quote, the stock, the page,
// the panel's size or the colours do. The look holds everything the picture
// shows; while it stays the same the picture is copied, otherwise drawn
// again. The band above the page where the stock's title stands is not
// filled by the page: what lies below it is kept as pixels and is part of
// the look.
//
// UI thread only, under the chart lock (the stock is read as the painters read it).
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/DcGuards.h"
#include "data/Bar.h"
#include "data/FinanceData.h"
#include "data/Minute.h"
#include "data/TickRecord.h"
#include "win/Dib32.h"
#include "win/Gdi.h"

class CStock;

class SidePanelPicture
{
public:
    // Pages drawn wholly from the look; the others are drawn directly.
    static bool Keeps(int page);
    // The title band above the page, which the picture covers too.
    static constexpr int kTitleBand = 56;

    // Paints the page (rect is the page's rectangle; the picture spans the title
    // band above it, down to top at most) into dc: from the picture when the
    // look is unchanged, else through draw, which paints into the picture's DC
    // in dc's coordinates. Areas the drawing took out of its clipping (a child
    // window's place) are taken out of dc's as well.
    void Paint(HDC dc, int page, const RECT& rect, int top, CStock* stock, const std::function<void(HDC)>& draw);

private:
    struct Look
    {
        int page = 0;
        RECT area {};
        CStock* stock = nullptr;
        uint32_t key = 0;
        std::string code;
        std::string name;
        uint16_t market = 0;
        int32_t index = 0;
        float quote[28] = {}; // previous close to the ask volumes
        int32_t quoteTime = 0;
        FinanceRecord finance {};
        TickFileHeader tickHeader {};
        int tickCount = 0;
        TickRecord lastTick {};
        int minuteCount = 0;
        MinuteRecord lastMinute {};
        int dayCount = 0;
        Bar lastDays[6] {};
        COLORREF colours[12] = {};
        int bitsPerPixel = 0;
        int backgroundMode = 0;
        COLORREF backgroundColour = 0;
        COLORREF textColour = 0;
        UINT textAlign = 0;
        HGDIOBJ font = nullptr;
        bool operator==(const Look& other) const;
    };
    static Look MakeLook(HDC dc, int page, const RECT& area, CStock* stock);
    void Draw(HDC dc, const RECT& area, int band, int bitsPerPixel, const std::function<void(HDC)>& draw);

    Look m_look;
    bool m_valid = false;
    CBitmapDC m_picture;
    CDib32 m_below; // what lies below the title band in this paint
    std::vector<uint32_t> m_belowPixels; // and when the picture was drawn
    std::vector<RECT> m_excluded; // taken out of the clipping by the drawing (dc's coordinates)
};
