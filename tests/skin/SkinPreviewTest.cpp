// A main window mocked up from the generated skin images, laid out by the
// rules the frame and the bars follow, to look at the images together; the
// pieces are checked where the rules put them, against the images themselves.
#include "base/DataPaths.h"
#include "base/GdiObjectCache.h"
#include "base/ImageUtil.h"
#include "skin/SkinBitmap.h"
#include "skin/SkinButtonItem.h"
#include "tests/support/OffscreenCanvas.h"
#include "tools/skingen/SkinImages.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <string>

namespace {

std::string SkinFile(const char* name)
{
    return DataPaths::Instance()->GetSkinFile(name);
}

// Tiles source columns [from, to) of the image across dest, the last copy clipped.
void TileAcross(HDC dc, const CSkinBitmap& image, int from, int to, int rows, int x, int y, int width)
{
    for (int at = x; at < x + width; at += to - from) {
        const int w = std::min(to - from, x + width - at);
        image.Draw(dc, at, y, CRect(from, 0, from + w, rows));
    }
}

// The same downwards for rows [from, to) of columns [0, cols).
void TileDown(HDC dc, const CSkinBitmap& image, int from, int to, int cols, int x, int y, int height)
{
    for (int at = y; at < y + height; at += to - from) {
        const int h = std::min(to - from, y + height - at);
        image.Draw(dc, x, at, CRect(0, from, cols, from + h));
    }
}

// An item frame blended with fixed top and bottom rows and a stretched middle.
void BlendVerticalItem(HDC dc, HBITMAP image, int frame, const RECT& r)
{
    CMemDC source(dc);
    CSelectObject select(source, image);
    BLENDFUNCTION blend = { AC_SRC_OVER, 0, 255, AC_SRC_ALPHA };
    const int w = r.right - r.left, h = r.bottom - r.top, sy = frame * kVTabFrameHeight, cap = 8;
    ::AlphaBlend(dc, r.left, r.top, w, cap, source, 0, sy, kVTabFrameWidth, cap, blend);
    ::AlphaBlend(dc, r.left, r.top + cap, w, h - 2 * cap, source, 0, sy + cap, kVTabFrameWidth,
        kVTabFrameHeight - 2 * cap, blend);
    ::AlphaBlend(dc, r.left, r.bottom - cap, w, cap, source, 0, sy + kVTabFrameHeight - cap, kVTabFrameWidth, cap,
        blend);
}

// The image's own pixels, copied unscaled onto a canvas of its size.
struct ImagePixels
{
    explicit ImagePixels(const CSkinBitmap& image)
        : canvas(image.GetWidth(), image.GetHeight(), RGB(1, 2, 3))
    {
        image.Draw(canvas.Dc(), 0, 0);
    }
    COLORREF operator()(int x, int y) const { return canvas.Pixel(x, y); }
    OffscreenCanvas canvas;
};

// Columns [left, right) of one row that differ from what expected gives for them.
template <class Expected>
int RowMismatches(const OffscreenCanvas& canvas, int y, int left, int right, Expected expected)
{
    int wrong = 0;
    for (int x = left; x < right; ++x)
        wrong += canvas.Pixel(x, y) != expected(x);
    return wrong;
}

void Text(HDC dc, const char* text, const RECT& r, COLORREF colour, HFONT font, UINT format)
{
    CSelectObject select(dc, font);
    ::SetTextColor(dc, colour);
    RECT area = r;
    ::DrawTextA(dc, text, -1, &area, format | DT_SINGLELINE | DT_VCENTER);
}

}

TEST(SkinPreview, MainWindowMockUp)
{
    CSkinBitmap title, left, right, bottom, news, status;
    ASSERT_TRUE(title.Load(SkinFile("wndtitle.bmp").c_str(), 0));
    ASSERT_TRUE(left.Load(SkinFile("wndborderleft.bmp").c_str(), 0));
    ASSERT_TRUE(right.Load(SkinFile("wndborderright.bmp").c_str(), 0));
    ASSERT_TRUE(bottom.Load(SkinFile("wndborderbottom.bmp").c_str(), 0));
    ASSERT_TRUE(news.Load(SkinFile("scrollbarbkgnd.png").c_str(), 0));
    ASSERT_TRUE(status.Load(SkinFile("statusbarbkgnd.png").c_str(), 0));
    CBitmap pieceLeft(LoadImageFromResource(SkinFile("barbutton_left.png").c_str(), "PNG"));
    CBitmap pieceMiddle(LoadImageFromResource(SkinFile("barbutton_middle.png").c_str(), "PNG"));
    CBitmap pieceRight(LoadImageFromResource(SkinFile("barbutton_right.png").c_str(), "PNG"));
    CBitmap vtabs(LoadImageFromResource(SkinFile("VTabRow.png").c_str(), "PNG"));
    CBitmap arrow(LoadImageFromResource(SkinFile("arrow1.png").c_str(), "PNG"));

    const int W = 760, H = 560, L = left.GetWidth() / 2, R = right.GetWidth() / 2, B = bottom.GetHeight() / 2;
    const int T = title.GetHeight() / 2;
    OffscreenCanvas canvas(W, H, RGB(0, 0, 0));
    HDC dc = canvas.Dc();
    ::SetBkMode(dc, TRANSPARENT);
    GdiObjectCache* cache = GdiObjectCache::Instance();
    HFONT small = cache->GetFont(12, "宋体", FW_NORMAL);

    // Borders: caps once, middles repeated.
    const int sideMiddleEnd = left.GetHeight() - 8;
    left.Draw(dc, 0, 0, CRect(0, 0, L, 29));
    TileDown(dc, left, 29, sideMiddleEnd, L, 0, 29, H - 29 - 8);
    left.Draw(dc, 0, H - 8, CRect(0, sideMiddleEnd, L, left.GetHeight()));
    right.Draw(dc, W - R, 0, CRect(0, 0, R, 29));
    TileDown(dc, right, 29, sideMiddleEnd, R, W - R, 29, H - 29 - 8);
    right.Draw(dc, W - R, H - 8, CRect(0, sideMiddleEnd, R, right.GetHeight()));
    TileAcross(dc, bottom, 0, bottom.GetWidth(), B, L, H - B, W - L - R);
    // Title row: the title sliced at 40 and width - 60, then the sides' tops.
    const int titleWidth = W - L - R + 1, rightCap = title.GetWidth() - 60;
    title.Draw(dc, L, 0, CRect(0, 0, 40, T));
    TileAcross(dc, title, 40, rightCap, T, L + 40, 0, titleWidth - 40 - 60);
    title.Draw(dc, L + titleWidth - 60, 0, CRect(rightCap, 0, title.GetWidth(), T));
    left.Draw(dc, 0, 0, CRect(0, 0, L, T));
    right.Draw(dc, W - R, 0, CRect(0, 0, R, T));
    // Icon, caption-menu buttons, caption text.
    HICON icon = static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(126), IMAGE_ICON, 16,
        16, 0));
    ::DrawIconEx(dc, L, 5, icon, 16, 16, 0, nullptr, DI_NORMAL);
    ::DestroyIcon(icon);
    int x = L + 18;
    const char* menus[] = { "系统", "报价", "功能", "资金", "特色指标", "核心功能", "操盘策略", "统计", "资讯",
        "帮助" };
    for (int i = 0; i < 10; ++i) {
        CSkinButtonItem item(nullptr, pieceLeft, pieceMiddle, pieceRight);
        ASSERT_TRUE(item.BuildFromPieces(nullptr, menus[i], false));
        item.SetCaptions(menus[i], "");
        item.SetMouseState(true, i == 2);
        item.SetPosition(x, 4);
        item.Draw(dc);
        x += item.GetWidth();
    }
    Text(dc, "Zentu股票分析系统", CRect(x + 8, 0, W - 100, T), RGB(192, 0, 0),
        cache->GetFont(14, "Arial", FW_BOLD), DT_LEFT);
    // Caption buttons at y 6: close 37 pixels from the right, the others left of it.
    const struct
    {
        const char* name;
        int frame;
    } buttons[] = { { "framebtn_close.png", 2 }, { "framebtn_max.png", 0 }, { "framebtn_min.png", 0 } };
    int buttonX = W - 37;
    for (const auto& b : buttons) {
        CEnBitmap image;
        ASSERT_TRUE(image.Load(SkinFile(b.name).c_str(), RGB(255, 0, 255)));
        const int bw = image.GetWidth() / 3, bh = image.GetHeight() / 2;
        image.AlphaDraw(dc, buttonX, 6, CRect(b.frame * bw, 0, (b.frame + 1) * bw, bh));
        buttonX -= bw;
    }

    // Dark command bar under the title.
    const int barTop = T;
    CSkinBitmap bar;
    ASSERT_TRUE(bar.Load(SkinFile("Bar.png").c_str(), 0));
    bar.StretchDraw(dc, CRect(L, barTop, W - R, barTop + kDarkBarHeight));
    x = L + 10;
    const char* commands[] = { "技术分析", "即时分析", "报价分析", "F10", "股票诊断", "大盘决策", "股票池" };
    for (int i = 0; i < 7; ++i) {
        CSkinButtonItem item(nullptr, pieceLeft, pieceMiddle, pieceRight);
        ASSERT_TRUE(item.BuildFromPieces(nullptr, commands[i], false));
        item.SetCaptions(commands[i], "");
        item.SetTextColors(RGB(255, 255, 255), RGB(255, 255, 255), RGB(0x77, 0x77, 0x77));
        item.SetMouseState(false, i == 1);
        item.SetPosition(x, barTop + 3);
        item.Draw(dc);
        x += item.GetWidth() + 2;
    }

    // Bottom: the status bar above the border, the news bar above it.
    const int statusTop = H - B - kStatusBarHeight, newsTop = statusTop - kNewsBarHeight;
    ASSERT_EQ(status.Draw(dc, CRect(L, statusTop, W - R, statusTop + kStatusBarHeight), 100, 0), 1);
    ASSERT_EQ(news.Draw(dc, CRect(L, newsTop, W - R, newsTop + kNewsBarHeight), 320, 0), 1);
    AlphaBlitBitmap(dc, arrow, CRect(L + 5, newsTop + 5, L + 21, newsTop + 21), 16, 16);
    Text(dc, "访问Kelo财经网", CRect(L + 23, newsTop + 4, L + 180, newsTop + kNewsBarHeight - 4), RGB(192, 0, 0),
        small, DT_LEFT);
    Text(dc, "在线咨询", CRect(L + 185, newsTop + 4, L + 245, newsTop + kNewsBarHeight - 4), RGB(192, 0, 0), small,
        DT_LEFT);
    Text(dc, "沪深两市早盘震荡走高，成交温和放大", CRect(L + 292, newsTop + 4, W - R - 6, newsTop + kNewsBarHeight - 4),
        RGB(0, 0, 255), small, DT_LEFT);
    Text(dc, "上证 3021.55 +0.82%┃深证 10320.17 +1.05%", CRect(L + 5, statusTop, W - R - 5, H - B),
        RGB(20, 20, 20), cache->GetFont(14, "Arial", FW_NORMAL), DT_LEFT);
    Text(dc, "行情已连接 ", CRect(L, statusTop, W - R - 5, H - B), RGB(0, 0, 0), cache->GetFont(14, "Arial", 400),
        DT_RIGHT);

    // The vertical tab row at the left of the body.
    const int bodyTop = barTop + kDarkBarHeight, tabWidth = 22;
    const RECT tabRow = { L, bodyTop, L + tabWidth, newsTop };
    FillSolidRect(dc, tabRow, RGB(32, 32, 32));
    const char* tabs[] = { "报价分析", "即时分析", "技术分析", "基本资料", "自选股票" };
    int y = bodyTop + 16;
    for (int i = 0; i < 5; ++i) {
        const RECT item = { L + 2, y, L + 2 + 18, y + 16 + 4 * 16 };
        BlendVerticalItem(dc, vtabs, i == 1 ? 1 : i == 3 ? 3 : 0, item);
        RECT text = item;
        text.top += 9;
        CSelectObject font(dc, cache->GetFont(14, "宋体", FW_NORMAL));
        ::SetTextColor(dc, RGB(255, 255, 255));
        ::DrawTextA(dc, tabs[i], -1, &text, DT_CENTER | DT_WORDBREAK);
        y = item.bottom + 2;
    }
    EXPECT_FALSE(canvas.SavePng("skin-window").empty());

    // The side borders: the top 29 rows once, the middle repeated, the last 8 rows once.
    const ImagePixels leftPixels(left), rightPixels(right), bottomPixels(bottom), titlePixels(title);
    const int sideMiddle = sideMiddleEnd - 29;
    for (int y : { 1, 28, 29, 60, 200, 333, H - 9, H - 8, H - 1 }) {
        const int source = y < 29 ? y : y >= H - 8 ? sideMiddleEnd + y - (H - 8) : 29 + (y - 29) % sideMiddle;
        EXPECT_EQ(RowMismatches(canvas, y, 0, L, [&](int x) { return leftPixels(x, source); }), 0) << "left " << y;
        EXPECT_EQ(RowMismatches(canvas, y, W - R, W, [&](int x) { return rightPixels(x - (W - R), source); }), 0)
            << "right " << y;
    }
    // The bottom border repeats its image between the sides.
    for (int y = H - B; y < H; ++y) {
        EXPECT_EQ(RowMismatches(canvas, y, L, W - R,
                      [&](int x) { return bottomPixels((x - L) % bottom.GetWidth(), y - (H - B)); }),
            0)
            << "bottom " << y;
    }
    // Above the buttons the title row is the title image: its left cap, the
    // middle repeated, the right 60 columns at the right end.
    const int capEnd = L + titleWidth - 60;
    EXPECT_EQ(RowMismatches(canvas, 2, L, W - R,
                  [&](int x) {
                      const int source = x < L + 40 ? x - L
                          : x < capEnd              ? 40 + (x - L - 40) % (rightCap - 40)
                                                    : rightCap + x - capEnd;
                      return titlePixels(source, 2);
                  }),
        0);
    // The status and news bars keep their ends and stretch the column at 100 and 320.
    const ImagePixels statusPixels(status), newsPixels(news);
    const struct
    {
        const char* name;
        const ImagePixels& pixels;
        int width, slice, top;
    } bars[] = {
        { "status bar", statusPixels, status.GetWidth(), 100, statusTop },
        { "news bar", newsPixels, news.GetWidth(), 320, newsTop },
    };
    for (const auto& b : bars) {
        const int rightEnd = W - R - (b.width - b.slice - 1);
        EXPECT_EQ(RowMismatches(canvas, b.top + 1, L, W - R,
                      [&](int x) {
                          const int source = x < L + b.slice ? x - L : x < rightEnd ? b.slice : b.slice + 1 + x - rightEnd;
                          return b.pixels(source, 1);
                      }),
            0)
            << b.name;
    }
    // The link arrow sits on the news bar, 5 pixels in: its square differs from the bar there.
    int arrowPixels = 0;
    for (int y = newsTop + 5; y < newsTop + 21; ++y)
        arrowPixels += RowMismatches(canvas, y, L + 5, L + 21, [&](int x) { return newsPixels(x - L, y - newsTop); });
    EXPECT_GT(arrowPixels, 16);
    // The dark bar fills the row under the title; its first rows are above the buttons.
    const ImagePixels barPixels(bar);
    for (int y = barTop; y < barTop + 3; ++y) {
        const int source = (y - barTop) * bar.GetHeight() / kDarkBarHeight;
        EXPECT_EQ(RowMismatches(canvas, y, L, W - R, [&](int) { return barPixels(bar.GetWidth() / 2, source); }), 0)
            << "dark bar " << y;
    }
    // The tab row's ground shows above the first tab and between the tabs, and
    // the tabs cover it in their column.
    const COLORREF ground = RGB(32, 32, 32);
    EXPECT_EQ(canvas.CountPixels(ground, RECT { L, bodyTop, L + tabWidth, bodyTop + 16 }), tabWidth * 16);
    const int tabHeight = 16 + 4 * 16;
    for (int i = 0; i < 5; ++i) {
        const int itemTop = bodyTop + 16 + i * (tabHeight + 2);
        EXPECT_EQ(canvas.CountPixels(ground, RECT { L, itemTop + tabHeight, L + tabWidth, itemTop + tabHeight + 2 }),
            tabWidth * 2)
            << "the gap under tab " << i;
        EXPECT_LT(canvas.CountPixels(ground, RECT { L + 2, itemTop + 8, L + 20, itemTop + tabHeight - 8 }), 18 * 4)
            << "tab " << i << " is drawn";
    }
    EXPECT_EQ(canvas.CountPixels(ground, RECT { L + tabWidth, bodyTop, W - R, newsTop }), 0) << "the row only";
}
