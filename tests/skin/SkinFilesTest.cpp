// The generated skin images, loaded by the names the controls use from the
// skin directory beside the test program: sizes the layouts depend on, alpha
// where the controls blend, colour keys where they key; and a sheet of every
// image to look at.
#include "base/DataPaths.h"
#include "base/ImageUtil.h"
#include "tests/support/OffscreenCanvas.h"
#include "tools/skingen/SkinImages.h"
#include "win/Dib32.h"
#include "win/Gdi.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <map>
#include <string>
#include <vector>

static bool operator==(const SIZE& a, const SIZE& b)
{
    return a.cx == b.cx && a.cy == b.cy;
}

namespace {

bool EndsWith(const std::string& text, const char* suffix)
{
    const std::string s(suffix);
    return text.size() >= s.size() && text.compare(text.size() - s.size(), s.size(), s) == 0;
}

// Loads as the controls do: bitmaps from file, PNG through GDI+ with alpha.
HBITMAP LoadSkinImage(const std::string& name)
{
    const std::string path = DataPaths::Instance()->GetSkinFile(name);
    if (EndsWith(name, ".bmp"))
        return static_cast<HBITMAP>(::LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    return LoadImageFromResource(path.c_str(), "PNG");
}

// The pixels of a bitmap as 0xAARRGGBB (premultiplied for PNG loads).
class Pixels
{
public:
    explicit Pixels(HBITMAP bitmap)
    {
        BITMAP info = {};
        ::GetObjectA(bitmap, sizeof(info), &info);
        if (m_dib.Create(info.bmWidth, info.bmHeight)) {
            CMemDC source;
            CSelectObject select(source, bitmap);
            ::BitBlt(m_dib.GetDC(), 0, 0, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
        }
    }
    int Width() const { return m_dib.Width(); }
    int Height() const { return m_dib.Height(); }
    uint32_t At(int x, int y) const { return m_dib.GetPixel(x, y); }
    uint8_t Alpha(int x, int y) const { return AlphaOf(At(x, y)); }
    COLORREF Colour(int x, int y) const { return m_dib.GetColor(x, y); }

private:
    CDib32 m_dib;
};

struct LoadedImage
{
    CBitmap bitmap;
    SIZE size {};
};

// Every file, loaded once for the whole suite.
class SkinFiles : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        for (const SkinImageSpec& spec : SkinImageCatalogue()) {
            LoadedImage& image = Images()[spec.fileName];
            image.bitmap.Attach(LoadSkinImage(spec.fileName));
            image.size = { image.bitmap.GetSize().cx, image.bitmap.GetSize().cy };
        }
    }
    static void TearDownTestSuite() { Images().clear(); }
    static std::map<std::string, LoadedImage>& Images()
    {
        static std::map<std::string, LoadedImage> images;
        return images;
    }
    static const SIZE& Size(const char* name) { return Images()[name].size; }
    static HBITMAP Bitmap(const char* name) { return Images()[name].bitmap; }
};

}

// The names as the controls spell them; each must be in the skin directory
// at the size the catalogue gives it.
TEST_F(SkinFiles, EveryNameTheControlsLoadExistsAtItsSize)
{
    const char* names[] = { "wndtitle.bmp", "wndborderleft.bmp", "wndborderright.bmp", "wndborderbottom.bmp",
        "lwndtitle.bmp", "Lwndborderleft.bmp", "Lwndborderright.bmp", "Lwndborderbottom.bmp",
        "framebtn_close.png", "framebtn_min.png", "framebtn_max.png", "framebtn_restore.png",
        "barbutton_left.png", "barbutton_middle.png", "barbutton_right.png", "Bar.png", "menu.png", "lmenu.png",
        "menu000.png", "check_uncheck.png", "check_checked.png", "radio_uncheck.png", "radio_checked.png",
        "ShowLeft.png", "ShowRight.png", "tech_close.png", "tech_add.png", "tech_tip.png", "Tabs.png",
        "VTabRow.png", "scrollbarbkgnd.png", "statusbarbkgnd.png", "arrow1.png", "arrow2.png", "arrow3.png",
        "ListItems.bmp", "scroll_back.bmp", "scroll_left.bmp", "scroll_right.bmp", "scroll_thumb.bmp",
        "biaoji.png", "Logo_01.png", "hint_01.png", "about.png" };
    for (const char* name : names) {
        SCOPED_TRACE(name);
        const SkinImageSpec* spec = FindSkinImage(name);
        ASSERT_NE(spec, nullptr);
        ASSERT_NE(Bitmap(name), nullptr);
        EXPECT_EQ(Size(name).cx, spec->width);
        EXPECT_EQ(Size(name).cy, spec->height);
    }
    EXPECT_EQ(SkinImageCatalogue().size(), sizeof(names) / sizeof(names[0]));
}

// The rules the frame, the bars and the buttons lay themselves out by.
TEST_F(SkinFiles, SizesFitTheLayoutRules)
{
    for (const char* prefix : { "", "L" }) {
        const std::string title = std::string(prefix).empty() ? "wndtitle.bmp" : "lwndtitle.bmp";
        SCOPED_TRACE(title);
        const SIZE t = Images()[title].size;
        const SIZE left = Images()[std::string(prefix) + "wndborderleft.bmp"].size;
        const SIZE right = Images()[std::string(prefix) + "wndborderright.bmp"].size;
        const SIZE bottom = Images()[std::string(prefix) + "wndborderbottom.bmp"].size;
        // Two variants each; the title is sliced at 40 and width - 60.
        EXPECT_EQ(t.cy % 2, 0);
        EXPECT_GT(t.cx - 60, 40);
        EXPECT_EQ(left.cx % 2, 0);
        EXPECT_EQ(right.cx % 2, 0);
        EXPECT_EQ(bottom.cy % 2, 0);
        // Sides are sliced at 29 and height - 8, and their top cap lies in the title row.
        EXPECT_GT(left.cy - 8, 29);
        EXPECT_GT(right.cy - 8, 29);
        EXPECT_LE(29, t.cy / 2);
        // Caption buttons stand at y 6 inside the title; the close button's
        // left edge is 37 pixels from the right and it must clear the border.
        const SIZE close = Size("framebtn_close.png");
        EXPECT_LE(6 + close.cy / 2, t.cy / 2);
        EXPECT_LE(close.cx / 3, 37 - right.cx / 2);
        // Caption-menu buttons stand at y 4.
        EXPECT_LE(4 + Size("barbutton_middle.png").cy, t.cy / 2);
    }
    for (const char* name : { "framebtn_close.png", "framebtn_min.png", "framebtn_max.png", "framebtn_restore.png" }) {
        EXPECT_EQ(Size(name).cx % 3, 0) << name;
        EXPECT_EQ(Size(name), Size("framebtn_close.png")) << name;
    }
    for (const SkinImageSpec& spec : SkinImageCatalogue()) {
        const std::string name = spec.fileName;
        const bool strip = name.find("menu") == 0 || name.find("lmenu") == 0 || name.find("check_") == 0
            || name.find("radio_") == 0 || name.find("Show") == 0 || name.find("tech_") == 0
            || name.find("barbutton_") == 0;
        if (strip) {
            EXPECT_EQ(spec.width % 4, 0) << name;
        }
    }
    // Button pieces: caps, middle and height as the buttons take them.
    EXPECT_EQ(Size("barbutton_left.png").cx / 4, kPieceCapWidth);
    EXPECT_EQ(Size("barbutton_right.png").cx / 4, kPieceCapWidth);
    EXPECT_EQ(Size("barbutton_middle.png").cx / 4, kPieceMiddleWidth);
    EXPECT_EQ(Size("barbutton_left.png").cy, Size("barbutton_middle.png").cy);
    EXPECT_EQ(Size("barbutton_right.png").cy, Size("barbutton_middle.png").cy);
    // The dark bar's buttons stand at y 3 in a bar at least 20 high.
    EXPECT_GE(Size("Bar.png").cy, 20);
    EXPECT_LE(3 + Size("barbutton_middle.png").cy, Size("Bar.png").cy);
    // Five item frames; the nine-grid borders (8, 2, 8, 1 and 0, 8, 0, 8) fit inside one.
    EXPECT_EQ(Size("Tabs.png").cx % 5, 0);
    EXPECT_GT(Size("Tabs.png").cx / 5, 16);
    EXPECT_GT(Size("Tabs.png").cy, 3);
    EXPECT_EQ(Size("VTabRow.png").cy % 5, 0);
    EXPECT_GT(Size("VTabRow.png").cy / 5, 16);
    // Bars sliced at 320 and 100; the news bar's children are height - 10 high.
    EXPECT_GT(Size("scrollbarbkgnd.png").cx, 320);
    EXPECT_GT(Size("statusbarbkgnd.png").cx, 100);
    EXPECT_GE(Size("scrollbarbkgnd.png").cy - 10, Size("arrow1.png").cy);
    EXPECT_EQ(Size("arrow1.png"), Size("arrow2.png"));
    EXPECT_EQ(Size("arrow1.png"), Size("arrow3.png"));
    // Chart buttons at right - 22, right - 40 and right - 106 must not overlap.
    EXPECT_LE(Size("tech_close.png").cx / 4, 22);
    EXPECT_LE(Size("tech_add.png").cx / 4, 40 - 22);
    EXPECT_LE(Size("tech_tip.png").cx / 4, 106 - 40);
    // Six list images of 16 pixels; the login pictures at their drawn sizes.
    EXPECT_EQ(Size("ListItems.bmp").cx, 6 * 16);
    EXPECT_EQ(Size("ListItems.bmp").cy, 16);
    EXPECT_EQ(Size("Logo_01.png").cx, 149);
    EXPECT_EQ(Size("Logo_01.png").cy, 162);
    EXPECT_EQ(Size("hint_01.png").cx, 467);
    EXPECT_EQ(Size("hint_01.png").cy, 72);
}

// Strips are drawn with per-pixel alpha: the looks that sit on the control's
// background are see-through where they must be and solid where they must be.
TEST_F(SkinFiles, BlendedImagesCarryPerPixelAlpha)
{
    struct Probe
    {
        const char* name;
        int x, y;
        uint8_t minAlpha, maxAlpha;
    };
    const int cap = kPieceCapWidth, mid = kPieceMiddleWidth, bw = kCaptionButtonWidth;
    const Probe probes[] = {
        // Disabled piece frame: nothing; normal: a faint glass; hover: solid red.
        { "barbutton_middle.png", 0 * mid + mid / 2, kPieceHeight / 2, 0, 0 },
        { "barbutton_middle.png", 1 * mid + mid / 2, kPieceHeight / 2, 1, 60 },
        { "barbutton_middle.png", 2 * mid + mid / 2, kPieceHeight / 2, 255, 255 },
        { "barbutton_left.png", 2 * cap, 0, 0, 254 }, // a rounded corner
        { "barbutton_left.png", 2 * cap + cap - 1, kPieceHeight / 2, 255, 255 },
        // Caption buttons: the normal frame is the glyph alone, hover a face.
        { "framebtn_close.png", 2, 2, 0, 0 },
        { "framebtn_close.png", 2 * bw + bw / 2, 3, 255, 255 },
        { "menu.png", 0, 0, 0, 254 },
        { "menu.png", kDialogButtonWidth + kDialogButtonWidth / 2, kDialogButtonHeight / 2, 255, 255 },
        { "check_checked.png", 0, 0, 0, 0 },
        { "radio_uncheck.png", kCheckSize / 2, kCheckSize / 2, 255, 255 },
        { "ShowLeft.png", 1, 1, 0, 0 },
        { "Tabs.png", kTabFrameWidth + kTabFrameWidth / 2, kTabFrameHeight / 2, 255, 255 },
        { "Tabs.png", 0, 0, 0, 254 },
        { "VTabRow.png", kVTabFrameWidth / 2, kVTabFrameHeight + kVTabFrameHeight / 2, 255, 255 },
        { "arrow1.png", 0, 0, 0, 0 },
        { "Logo_01.png", 0, 0, 0, 0 },
        { "hint_01.png", kHintWidth / 2, kHintHeight - 3, 40, 160 },
        { "scrollbarbkgnd.png", 10, 10, 255, 255 },
        { "about.png", 0, kAboutHeight - 1, 255, 255 },
    };
    for (const Probe& p : probes) {
        SCOPED_TRACE(testing::Message() << p.name << " at " << p.x << "," << p.y);
        Pixels pixels(Bitmap(p.name));
        ASSERT_GT(pixels.Width(), p.x);
        const uint8_t alpha = pixels.Alpha(p.x, p.y);
        EXPECT_GE(alpha, p.minAlpha);
        EXPECT_LE(alpha, p.maxAlpha);
    }
}

// Opaque bitmaps mark their transparent parts with a key colour.
TEST_F(SkinFiles, KeyedBitmapsUseTheirKeys)
{
    Pixels list(Bitmap("ListItems.bmp"));
    for (int i = 0; i < 6; ++i) {
        // Each image keeps its corners transparent and draws something in its middle.
        EXPECT_EQ(list.Colour(i * 16, 0), RGB(255, 0, 255)) << i;
        EXPECT_EQ(list.Colour(i * 16 + 15, 15), RGB(255, 0, 255)) << i;
        int drawn = 0;
        for (int y = 4; y < 12; ++y)
            for (int x = 4; x < 12; ++x)
                drawn += list.Colour(i * 16 + x, y) != RGB(255, 0, 255);
        EXPECT_GT(drawn, 4) << i;
    }
    Pixels thumb(Bitmap("scroll_thumb.bmp"));
    EXPECT_EQ(thumb.Colour(0, 0), RGB(255, 255, 255));
    EXPECT_EQ(thumb.Colour(thumb.Width() - 1, thumb.Height() - 1), RGB(255, 255, 255));
    EXPECT_NE(thumb.Colour(thumb.Width() / 4, thumb.Height() / 2), RGB(255, 255, 255));
}

// Every image over the background it is meant for, three times enlarged.
TEST_F(SkinFiles, SheetOfEveryImage)
{
    struct Placement
    {
        const char* name;
        COLORREF background;
    };
    const COLORREF chrome = RGB(200, 201, 206), dark = RGB(32, 32, 32), login = RGB(120, 170, 220);
    const Placement placements[] = { { "wndtitle.bmp", 0 }, { "wndborderleft.bmp", 0 }, { "wndborderright.bmp", 0 },
        { "wndborderbottom.bmp", 0 }, { "lwndtitle.bmp", 0 }, { "Lwndborderleft.bmp", 0 },
        { "Lwndborderright.bmp", 0 }, { "Lwndborderbottom.bmp", 0 }, { "framebtn_close.png", chrome },
        { "framebtn_min.png", chrome }, { "framebtn_max.png", chrome }, { "framebtn_restore.png", chrome },
        { "barbutton_left.png", chrome }, { "barbutton_middle.png", chrome }, { "barbutton_right.png", chrome },
        { "barbutton_left.png", dark }, { "barbutton_middle.png", dark }, { "barbutton_right.png", dark },
        { "Bar.png", 0 }, { "menu.png", dark }, { "lmenu.png", login }, { "menu000.png", dark },
        { "check_uncheck.png", login }, { "check_checked.png", login }, { "radio_uncheck.png", login },
        { "radio_checked.png", login }, { "ShowLeft.png", dark }, { "ShowRight.png", dark },
        { "tech_close.png", RGB(0, 0, 0) }, { "tech_add.png", RGB(0, 0, 0) }, { "tech_tip.png", RGB(0, 0, 0) },
        { "Tabs.png", dark }, { "VTabRow.png", dark }, { "scrollbarbkgnd.png", 0 }, { "statusbarbkgnd.png", 0 },
        { "arrow1.png", chrome }, { "arrow2.png", chrome }, { "arrow3.png", chrome }, { "ListItems.bmp", 0 },
        { "scroll_back.bmp", 0 }, { "scroll_left.bmp", 0 }, { "scroll_right.bmp", 0 },
        { "scroll_thumb.bmp", 0 }, { "biaoji.png", dark }, { "Logo_01.png", login }, { "hint_01.png", login },
        { "about.png", 0 } };
    const int scale = 3, margin = 8, sheetWidth = 1500;
    // Lay out in rows first to know the height.
    int x = margin, y = margin, rowHeight = 0;
    struct Spot
    {
        const Placement* p;
        int x, y;
    };
    std::vector<Spot> spots;
    for (const Placement& p : placements) {
        const SIZE s = Size(p.name);
        const int k = s.cx * scale > sheetWidth - 2 * margin ? 1 : scale;
        if (x + s.cx * k > sheetWidth - margin) {
            x = margin;
            y += rowHeight + margin;
            rowHeight = 0;
        }
        spots.push_back({ &p, x, y });
        x += s.cx * k + margin;
        rowHeight = std::max(rowHeight, static_cast<int>(s.cy * k));
    }
    OffscreenCanvas sheet(sheetWidth, y + rowHeight + margin, RGB(128, 128, 128));
    ASSERT_TRUE(sheet.IsValid());
    for (const Spot& spot : spots) {
        const SIZE s = Size(spot.p->name);
        const int k = s.cx * scale > sheetWidth - 2 * margin ? 1 : scale;
        const RECT area = { spot.x, spot.y, spot.x + s.cx * k, spot.y + s.cy * k };
        CBrush back;
        back.CreateSolid(spot.p->background);
        ::FillRect(sheet.Dc(), &area, back);
        CMemDC source;
        CSelectObject select(source, Bitmap(spot.p->name));
        if (EndsWith(spot.p->name, ".png")) {
            BLENDFUNCTION blend = { AC_SRC_OVER, 0, 255, AC_SRC_ALPHA };
            EXPECT_TRUE(::AlphaBlend(sheet.Dc(), area.left, area.top, s.cx * k, s.cy * k, source, 0, 0, s.cx, s.cy,
                blend))
                << spot.p->name;
        } else {
            ::StretchBlt(sheet.Dc(), area.left, area.top, s.cx * k, s.cy * k, source, 0, 0, s.cx, s.cy, SRCCOPY);
        }
    }
    EXPECT_FALSE(sheet.SavePng("skin-images").empty());
}
