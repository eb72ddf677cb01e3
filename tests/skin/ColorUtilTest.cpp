// Packed HSL and the scoped drawing helpers.
#include "skin/ColorUtil.h"
#include "tests/support/OffscreenCanvas.h"
#include "win/Gdi.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <cstdlib>

TEST(Hsl, KnownColours)
{
    struct Case
    {
        COLORREF colour;
        int hue, lightness, saturation;
    };
    const Case cases[] = {
        { RGB(0, 0, 0), 0, 0, 0 },
        { RGB(128, 128, 128), 0, 128, 0 },
        { RGB(255, 255, 255), 0, 255, 0 },
        // A hue of 360 degrees stays 360: red packs as 255, not 0.
        { RGB(255, 0, 0), 255, 127, 255 },
        { RGB(0, 255, 0), 85, 127, 255 },
        { RGB(0, 0, 255), 170, 127, 255 },
        { RGB(255, 255, 0), 42, 127, 255 },
        // Lighter than half: saturation over the rest of the range.
        { RGB(255, 128, 128), 255, 191, 255 },
        { RGB(176, 24, 28), 253, 100, 193 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.colour);
        const uint32_t hsl = RgbToHsl(c.colour);
        EXPECT_EQ(HslHue(hsl), c.hue);
        EXPECT_EQ(HslLightness(hsl), c.lightness);
        EXPECT_EQ(HslSaturation(hsl), c.saturation);
        EXPECT_EQ(hsl >> 24, 0u);
    }
}

TEST(Hsl, GreysRoundTripExactlyAndColoursClosely)
{
    for (int v = 0; v < 256; v += 5) {
        const COLORREF grey = RGB(v, v, v);
        EXPECT_EQ(HslToRgb(RgbToHsl(grey)), grey) << v;
    }
    // A hue step is 360 / 255 degrees and every step truncates: a channel
    // may move by a few units, never more.
    for (int r = 0; r < 256; r += 51)
        for (int g = 0; g < 256; g += 51)
            for (int b = 0; b < 256; b += 51) {
                const COLORREF back = HslToRgb(RgbToHsl(RGB(r, g, b)));
                EXPECT_LE(std::abs(GetRValue(back) - r), 6) << r << "," << g << "," << b;
                EXPECT_LE(std::abs(GetGValue(back) - g), 6) << r << "," << g << "," << b;
                EXPECT_LE(std::abs(GetBValue(back) - b), 6) << r << "," << g << "," << b;
            }
    // Saturation 0 is the grey of the packed lightness.
    EXPECT_EQ(HslToRgb(MakeHsl(200, 77, 0)), RGB(77, 77, 77));
}

TEST(ScopedHelpers, BrushSelectsAndRestores)
{
    OffscreenCanvas canvas(10, 10);
    HGDIOBJ before = ::GetCurrentObject(canvas.Dc(), OBJ_BRUSH);
    {
        ScopedBrush brush(canvas.Dc(), RGB(0, 0, 255));
        ::Rectangle(canvas.Dc(), 0, 0, 10, 10);
        EXPECT_NE(::GetCurrentObject(canvas.Dc(), OBJ_BRUSH), before);
    }
    EXPECT_EQ(::GetCurrentObject(canvas.Dc(), OBJ_BRUSH), before);
    EXPECT_EQ(canvas.Pixel(5, 5), RGB(0, 0, 255));
    {
        // The null brush: the rectangle's inside stays as it was.
        ScopedBrush none(canvas.Dc(), CLR_INVALID);
        EXPECT_EQ(::GetCurrentObject(canvas.Dc(), OBJ_BRUSH), ::GetStockObject(NULL_BRUSH));
        canvas.Fill(RGB(0, 255, 0));
        ::Rectangle(canvas.Dc(), 0, 0, 10, 10);
    }
    EXPECT_EQ(canvas.Pixel(5, 5), RGB(0, 255, 0));
    EXPECT_EQ(::GetCurrentObject(canvas.Dc(), OBJ_BRUSH), before);
}

TEST(ScopedHelpers, BoldFontOnlyWhenTheWeightDiffers)
{
    OffscreenCanvas canvas(10, 10);
    CFont normal;
    ASSERT_TRUE(normal.Create("Arial", -14, FW_NORMAL));
    CSelectObject select(canvas.Dc(), normal);
    auto weight = [&]() {
        LOGFONTA font = {};
        ::GetObjectA(::GetCurrentObject(canvas.Dc(), OBJ_FONT), sizeof(font), &font);
        return font.lfWeight;
    };
    {
        ScopedBoldFont bold(canvas.Dc(), true);
        EXPECT_EQ(weight(), FW_BOLD);
        {
            // Already bold: nothing changes.
            ScopedBoldFont again(canvas.Dc(), true);
            EXPECT_EQ(weight(), FW_BOLD);
            ScopedBoldFont plain(canvas.Dc(), false);
            EXPECT_EQ(weight(), FW_NORMAL);
        }
        EXPECT_EQ(weight(), FW_BOLD);
    }
    EXPECT_EQ(::GetCurrentObject(canvas.Dc(), OBJ_FONT), normal.Get());
    ScopedBoldFont unchanged(canvas.Dc(), false);
    EXPECT_EQ(::GetCurrentObject(canvas.Dc(), OBJ_FONT), normal.Get());
}

TEST(ScopedHelpers, SystemFonts)
{
    LOGFONTA message = {}, menu = {};
    ASSERT_TRUE(GetMessageFont(message));
    ASSERT_TRUE(GetMenuFont(menu));
    EXPECT_NE(message.lfFaceName[0], '\0');
    EXPECT_NE(menu.lfFaceName[0], '\0');
    EXPECT_NE(message.lfHeight, 0);
}

TEST(ScopedHelpers, CursorRestoredOnce)
{
    RestoreCursor saved;
    EXPECT_EQ(saved.Restore(), nullptr);
    HCURSOR arrow = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    saved.Save(arrow);
    EXPECT_TRUE(saved.IsPending());
    saved.Restore();
    EXPECT_FALSE(saved.IsPending());
    EXPECT_EQ(::GetCursor(), arrow);
    EXPECT_EQ(saved.Restore(), nullptr);
}

TEST(ScopedHelpers, IconStateDrawsTheIcon)
{
    OffscreenCanvas canvas(16, 16, RGB(255, 255, 255));
    HICON icon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(126));
    ASSERT_NE(icon, nullptr);
    EXPECT_TRUE(DrawIconState(canvas.Dc(), 0, 0, 16, 16, icon, DSS_NORMAL, nullptr));
    EXPECT_GT(canvas.CountPixelsNot(RGB(255, 255, 255)), 50);
}
