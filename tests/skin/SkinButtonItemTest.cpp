// Windowless image buttons: widths, composed strips, the frame each state
// draws, hit tests, and the press notice through the message queue.
#include "base/DataPaths.h"
#include "base/GdiObjectCache.h"
#include "base/ImageUtil.h"
#include "skin/FrameMessages.h"
#include "skin/SkinBitmap.h"
#include "skin/SkinButtonItem.h"
#include "tests/support/ControlTesting.h"
#include "tests/support/OffscreenCanvas.h"
#include "tools/skingen/SkinImages.h"
#include "win/Dib32.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// The caption pieces, loaded once per test.
class Pieces
{
public:
    Pieces()
        : left(LoadSkinPng("barbutton_left.png"))
        , middle(LoadSkinPng("barbutton_middle.png"))
        , right(LoadSkinPng("barbutton_right.png"))
    {
    }
    CBitmap left, middle, right;
};

int TextWidth(const std::string& text)
{
    OffscreenCanvas canvas(4, 4);
    CSelectObject font(canvas.Dc(), GdiObjectCache::Instance()->GetFont(12, "宋体", FW_NORMAL));
    SIZE size = {};
    ::GetTextExtentPoint32A(canvas.Dc(), text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

// A popup owner window at a given screen place (never shown).
class OwnerWindow
{
public:
    OwnerWindow(int x, int y)
        : m_hwnd(::CreateWindowExA(0, "STATIC", "", WS_POPUP, x, y, 300, 100, nullptr, nullptr,
              ::GetModuleHandleA(nullptr), nullptr))
    {
    }
    ~OwnerWindow() { ::DestroyWindow(m_hwnd); }
    operator HWND() const { return m_hwnd; }

private:
    HWND m_hwnd;
};

}

TEST(SkinButtonItem, MeasureWidth)
{
    Pieces pieces;
    CSkinButtonItem item(nullptr, pieces.left, pieces.middle, pieces.right);
    CBitmap icon(LoadSkinPng("tech_add.png")); // four 16-pixel frames
    OffscreenCanvas canvas(4, 4);
    const std::string text = "功能";
    const int cap = kPieceCapWidth, textWidth = TextWidth(text);
    ASSERT_GT(textWidth, 0);
    struct Case
    {
        bool icon;
        const char* text;
        bool arrow;
        int width;
    };
    const Case cases[] = {
        { false, "", false, 2 * cap + 8 },
        { false, "", true, 2 * cap + 8 + 10 },
        { true, "", false, 2 * cap + 8 + 16 },
        { false, "功能", false, 2 * cap + 8 + textWidth },
        { true, "功能", false, 2 * cap + 8 + 16 + textWidth + 4 },
        { true, "功能", true, 2 * cap + 8 + 16 + textWidth + 4 + 10 },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(item.MeasureWidth(canvas.Dc(), c.icon ? icon.Get() : nullptr, c.text, c.arrow), c.width)
            << c.icon << " '" << c.text << "' " << c.arrow;
    }
    // Without pieces the default cap width of 5 applies.
    CSkinButtonItem plain(nullptr);
    EXPECT_EQ(plain.MeasureWidth(canvas.Dc(), nullptr, "", false), 18);
}

// A composed strip: the pieces' frames at each frame, the arrow opaque in
// its two colours, the caption left out.
TEST(SkinButtonItem, ComposedStripFrames)
{
    Pieces pieces;
    CSkinButtonItem item(nullptr, pieces.left, pieces.middle, pieces.right);
    ASSERT_TRUE(item.BuildFromPieces(nullptr, "系统", true));
    const int W = item.GetWidth();
    const int H = item.GetHeight();
    EXPECT_EQ(H, kPieceHeight);
    EXPECT_EQ(W, 2 * kPieceCapWidth + 8 + TextWidth("系统") + 10);

    CDib32 strip;
    ASSERT_TRUE(strip.Create(4 * W, H));
    {
        CMemDC source;
        CSelectObject select(source, item.GetBitmap());
        ::BitBlt(strip.GetDC(), 0, 0, 4 * W, H, source, 0, 0, SRCCOPY);
    }
    // Middle of each frame, away from the arrow: the disabled frame is
    // empty, the normal one faint glass, hover and pressed solid red.
    const int probeX = W / 2 + 10;
    EXPECT_EQ(AlphaOf(strip.GetPixel(0 * W + probeX, H / 2 + 4)), 0);
    EXPECT_GT(AlphaOf(strip.GetPixel(1 * W + probeX, H / 2 + 4)), 0);
    EXPECT_LT(AlphaOf(strip.GetPixel(1 * W + probeX, H / 2 + 4)), 80);
    for (int k : { 2, 3 }) {
        const uint32_t p = strip.GetPixel(k * W + probeX, H / 2 + 4);
        EXPECT_EQ(AlphaOf(p), 255) << k;
        EXPECT_GT((p >> 16) & 0xFF, 2 * ((p >> 8) & 0xFF)) << k; // red
    }
    // The arrow right after the left cap: a triangle whose top row starts at g + 2.
    const int g = kPieceCapWidth + 4;
    EXPECT_EQ(strip.GetPixel(0 * W + g + 5, H / 2 - 1), 0xFF777777u);
    for (int k = 1; k < 4; ++k)
        EXPECT_EQ(strip.GetPixel(k * W + g + 5, H / 2 - 1), 0xFF050505u) << k;
    // The caption is drawn by Draw, not into the strip: the right cap is the piece's own.
    CDib32 right;
    ASSERT_TRUE(right.Create(4 * kPieceCapWidth, H));
    {
        CMemDC source;
        CSelectObject select(source, pieces.right);
        ::BitBlt(right.GetDC(), 0, 0, 4 * kPieceCapWidth, H, source, 0, 0, SRCCOPY);
    }
    for (int k = 0; k < 4; ++k)
        for (int y = 0; y < H; y += 3)
            EXPECT_EQ(strip.GetPixel(k * W + W - 2, y), right.GetPixel(k * kPieceCapWidth + kPieceCapWidth - 2, y))
                << k << "," << y;
}

TEST(SkinButtonItem, DrawPicksTheFrameOfTheState)
{
    const uint32_t colours[4] = { 0xFF101010u, 0xFF0000FFu, 0xFF00FF00u, 0xFFFF0000u };
    CSkinButtonItem item(nullptr);
    EXPECT_EQ(item.SetBitmap(SolidStrip(30, 10, colours)), 30);
    item.SetPosition(5, 2);
    struct Case
    {
        bool third, pressed, hover;
        int frame;
        COLORREF colour;
    };
    const Case cases[] = {
        { false, false, false, 1, RGB(0, 0, 255) },
        { false, false, true, 2, RGB(0, 255, 0) },
        { false, true, false, 3, RGB(255, 0, 0) },
        { false, true, true, 3, RGB(255, 0, 0) },
        { true, true, true, 0, RGB(16, 16, 16) },
    };
    for (const Case& c : cases) {
        item.SetThirdState(c.third);
        item.SetMouseState(false, c.pressed);
        item.SetMouseState(true, c.hover);
        EXPECT_EQ(item.CurrentFrame(), c.frame);
        OffscreenCanvas canvas(40, 14, RGB(255, 255, 255));
        item.Draw(canvas.Dc());
        // An empty caption draws the frame only: exactly its rectangle.
        EXPECT_EQ(canvas.CountPixels(c.colour, CRect(5, 2, 35, 12)), 300) << c.frame;
        EXPECT_EQ(canvas.CountPixelsNot(RGB(255, 255, 255)), 300) << c.frame;
    }
    item.ClearMouseState();
    item.SetThirdState(false);
    EXPECT_EQ(item.CurrentFrame(), 1);
}

// A caption in the state's colour; an empty alternate caption shows the caption.
TEST(SkinButtonItem, CaptionColoursAndAlternate)
{
    const uint32_t grey[4] = { 0xFF808080u, 0xFF808080u, 0xFF808080u, 0xFF808080u };
    CSkinButtonItem item(nullptr);
    item.SetBitmap(SolidStrip(60, 20, grey));
    item.SetCaptions("报价", "");
    item.SetTextColors(RGB(0, 0, 255), RGB(255, 255, 0), RGB(0, 255, 0));
    auto render = [&](OffscreenCanvas& canvas) {
        ::SetBkMode(canvas.Dc(), TRANSPARENT);
        item.Draw(canvas.Dc());
    };
    OffscreenCanvas normal(60, 20);
    render(normal);
    EXPECT_GT(normal.CountPixels(RGB(0, 0, 255)), 10);
    item.ShowAlternateCaption(true);
    OffscreenCanvas alternate(60, 20);
    render(alternate);
    EXPECT_EQ(alternate.CountPixels(RGB(0, 0, 255)), normal.CountPixels(RGB(0, 0, 255)));
    item.SetMouseState(true, true);
    OffscreenCanvas hot(60, 20);
    render(hot);
    EXPECT_GT(hot.CountPixels(RGB(255, 255, 0)), 10);
    EXPECT_EQ(hot.CountPixels(RGB(0, 0, 255)), 0);
}

TEST(SkinButtonItem, HitTestIsHalfOpen)
{
    const uint32_t colours[4] = {};
    CSkinButtonItem item(nullptr);
    item.SetBitmap(SolidStrip(60, 20, colours));
    item.SetPosition(100, 4);
    struct Case
    {
        POINT p;
        bool hit;
    };
    const Case cases[] = { { { 100, 4 }, true }, { { 159, 23 }, true }, { { 160, 10 }, false },
        { { 130, 24 }, false }, { { 99, 10 }, false }, { { 130, 3 }, false } };
    for (const Case& c : cases)
        EXPECT_EQ(item.HitTest(c.p), c.hit) << c.p.x << "," << c.p.y;
}

// A null strip drops the old one but keeps the metrics; the same handle again is kept.
TEST(SkinButtonItem, SetBitmapOwnership)
{
    const uint32_t colours[4] = {};
    CSkinButtonItem item(nullptr);
    HBITMAP strip = SolidStrip(25, 12, colours);
    EXPECT_EQ(item.SetBitmap(strip), 25);
    EXPECT_EQ(item.SetBitmap(strip), 25);
    BITMAP info = {};
    EXPECT_NE(::GetObjectA(strip, sizeof(info), &info), 0);
    EXPECT_EQ(item.SetBitmap(nullptr), 25);
    EXPECT_EQ(item.GetHeight(), 12);
    EXPECT_EQ(item.GetBitmap(), nullptr);
    EXPECT_EQ(::GetObjectA(strip, sizeof(info), &info), 0);
}

// The press notice reaches the owner through its queue, with the screen
// point one pixel right of the button's left edge and just below it.
TEST(SkinButtonItem, NotifyPressPostsTheScreenPointBelow)
{
    const uint32_t colours[4] = {};
    struct Case
    {
        int ownerX, ownerY;
        int x, y;
    };
    for (const Case& c : { Case { 0, 0, 101, 24 }, Case { 30, 50, 131, 74 } }) {
        OwnerWindow owner(c.ownerX, c.ownerY);
        ASSERT_NE(static_cast<HWND>(owner), nullptr) << ::GetLastError();
        CSkinButtonItem item(owner);
        item.SetBitmap(SolidStrip(60, 20, colours));
        item.SetPosition(100, 4);
        item.SetId(10333);
        item.NotifyPress();
        MSG msg = {};
        ASSERT_TRUE(::PeekMessageA(&msg, owner, kFrameItemPressed, kFrameItemPressed, PM_REMOVE));
        EXPECT_EQ(msg.wParam, 10333u);
        EXPECT_EQ(static_cast<short>(LOWORD(msg.lParam)), c.x);
        EXPECT_EQ(static_cast<short>(HIWORD(msg.lParam)), c.y);
    }
    // Without an owner nothing is posted.
    CSkinButtonItem orphan(nullptr);
    orphan.NotifyPress();
    MSG msg = {};
    EXPECT_FALSE(::PeekMessageA(&msg, nullptr, kFrameItemPressed, kFrameItemPressed, PM_REMOVE));
}

// Caption-menu buttons composed from the pieces on the title bar and on the
// dark bar, in every state, and the chart's buttons on black.
TEST(SkinButtonItem, ScreenshotOfComposedButtons)
{
    Pieces pieces;
    CSkinBitmap title, bar;
    ASSERT_TRUE(title.Load(DataPaths::Instance()->GetSkinFile("wndtitle.bmp").c_str(), 0));
    ASSERT_TRUE(bar.Load(DataPaths::Instance()->GetSkinFile("Bar.png").c_str(), 0));
    const int width = 460;
    OffscreenCanvas canvas(width, 4 * kTitleHeight + 4 * kDarkBarHeight + 30, RGB(32, 32, 32));
    ::SetBkMode(canvas.Dc(), TRANSPARENT);
    const char* captions[] = { "系统(&S)", "报价(&R)", "功能(&A)", "特色指标(&T)" };
    for (int state = 0; state < 4; ++state) {
        const int y = state * kTitleHeight;
        // The title row: the first variant of the title image, repeated.
        for (int x = 0; x < width; x += kTitleImageWidth)
            title.Draw(canvas.Dc(), x, y, CRect(0, 0, kTitleImageWidth, kTitleHeight));
        const int barY = 4 * kTitleHeight + state * kDarkBarHeight;
        bar.StretchDraw(canvas.Dc(), CRect(0, barY, width, barY + kDarkBarHeight));
        int x = 40;
        for (const char* caption : captions) {
            std::string plain;
            for (const char* c = caption; *c; ++c)
                if (*c != '&')
                    plain += *c;
            for (int row = 0; row < 2; ++row) {
                CSkinButtonItem item(nullptr, pieces.left, pieces.middle, pieces.right);
                ASSERT_TRUE(item.BuildFromPieces(nullptr, plain, false));
                item.SetCaptions(plain, caption);
                item.ShowAlternateCaption(state == 1);
                if (row == 1)
                    item.SetTextColors(RGB(255, 255, 255), RGB(255, 255, 255), RGB(0x77, 0x77, 0x77));
                item.SetThirdState(state == 0);
                item.SetMouseState(true, state == 2);
                item.SetMouseState(false, state == 3);
                item.SetPosition(x, row == 0 ? y + 4 : barY + 3);
                item.Draw(canvas.Dc());
                if (row == 1)
                    x += item.GetWidth() + 2;
            }
        }
    }
    // The chart's buttons as the K-line chart places them, on black.
    const int chartY = 4 * kTitleHeight + 4 * kDarkBarHeight + 5;
    const RECT chart = { 0, chartY, width, chartY + 25 };
    FillSolidRect(canvas.Dc(), chart, RGB(0, 0, 0));
    const struct
    {
        const char* image;
        int offset;
        const char* caption;
    } chartButtons[] = { { "tech_close.png", 22, "" }, { "tech_add.png", 40, "" }, { "tech_tip.png", 106, "指标说明" } };
    for (int state = 0; state < 4; ++state) {
        const int right = 110 * (state + 1);
        for (const auto& b : chartButtons) {
            CSkinButtonItem item(nullptr);
            item.SetBitmap(LoadSkinPng(b.image));
            item.SetCaptions(b.caption, "");
            item.SetTextColors(RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255));
            item.SetThirdState(state == 0);
            item.SetMouseState(true, state == 2);
            item.SetMouseState(false, state == 3);
            item.SetPosition(right - b.offset, chartY + 2);
            item.Draw(canvas.Dc());
        }
    }
    EXPECT_FALSE(canvas.SavePng("skin-buttons").empty());
}
