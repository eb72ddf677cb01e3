#pragma once
// The skin images, drawn by our own code: every image the program loads from
// Skin\Default, in the names, formats, frame layouts and sizes it expects,
// and the image files the resource script compiles in. Sizes drive layout,
// so this header is the one place they are decided.
//
// Adding an image: write a draw function (one file per image family) and add
// one row to the catalogue in SkinImages.cpp.
#include <string>
#include <vector>

namespace Gdiplus {
class Graphics;
}

enum class SkinFileFormat {
    Png, // 32-bit with straight alpha
    Bmp, // 24-bit, opaque (colour keys are drawn by the image itself)
    Icon, // .ico with 16, 32 and 48 pixel images (width = height = 48 here)
    Cursor, // .cur of one 32 x 32 image; the hot spot is in the spec
};

struct SkinImageSpec
{
    const char* fileName; // as loaded from the skin directory, or as the resource script names it
    int width;
    int height;
    SkinFileFormat format;
    // Draws onto a transparent 32-bit ARGB canvas of width x height (icons:
    // once per image size, width = height = that size).
    void (*draw)(Gdiplus::Graphics& graphics, int width, int height);
    int hotX = 0; // cursors only
    int hotY = 0;
};

// Every skin image, in catalogue order.
const std::vector<SkinImageSpec>& SkinImageCatalogue();
// Every image file the resource script compiles in (icon, cursors, bitmaps).
const std::vector<SkinImageSpec>& ResourceImageCatalogue();

// The entry of that file name in either catalogue, or null.
const SkinImageSpec* FindSkinImage(const std::string& fileName);

// Draws one image and writes it into dir (no trailing backslash needed).
// GDI+ must have been started. False on failure.
bool WriteSkinImage(const SkinImageSpec& spec, const std::string& dir);
bool WriteSkinImage(const std::string& fileName, const std::string& dir);

// Writes every skin image into dir, creating it; returns how many failed.
int WriteAllSkinImages(const std::string& dir);
// Writes every resource image into dir, creating it; returns how many failed.
int WriteAllResourceImages(const std::string& dir);

// Sizes ----------------------------------------------------------------------

// "biaoji.png": the indicator icons, 16 x 16 cells side by side.
constexpr int kIconCellSize = 16;
constexpr int kIconCellCount = 12;

// Window frame. The title image holds two variants stacked (title height =
// image height / 2), the side borders two side by side (border width = image
// width / 2), the bottom border two stacked. The frame slices the title at 40
// and width - 60 and the sides at 29 and height - 8.
constexpr int kTitleHeight = 30;
constexpr int kTitleImageWidth = 200;
constexpr int kBorderWidth = 4;
constexpr int kBorderImageHeight = 64;
constexpr int kBottomBorderHeight = 4;
constexpr int kBottomImageWidth = 16;
// Caption buttons: normal, pressed, hover side by side in the upper half;
// the lower half holds the inactive look.
constexpr int kCaptionButtonWidth = 28;
constexpr int kCaptionButtonHeight = 20;

// State strips: four frames side by side (disabled, normal, hover, pressed).
constexpr int kStripFrames = 4;
// Button pieces of the caption menu and the dark command bar: caps and
// middle, whose frame widths and height the buttons take as theirs.
constexpr int kPieceCapWidth = 5;
constexpr int kPieceMiddleWidth = 41;
constexpr int kPieceHeight = 20;
// Dialog push buttons ("menu.png", "lmenu.png") and the small ones ("menu000.png").
constexpr int kDialogButtonWidth = 72;
constexpr int kDialogButtonHeight = 24;
constexpr int kSmallButtonWidth = 28;
constexpr int kSmallButtonHeight = 22;
constexpr int kCheckSize = 16; // check boxes and radio buttons
constexpr int kPanelToggleSize = 20; // "ShowLeft.png", "ShowRight.png"
constexpr int kChartButtonSize = 16; // "tech_close.png", "tech_add.png"
constexpr int kChartTipWidth = 64; // "tech_tip.png", wide enough for its caption

// Command bars. Item images hold five frames (normal, selected, third, hover,
// spare): side by side for the tabs, stacked for the vertical tab row.
constexpr int kItemFrames = 5;
constexpr int kTabFrameWidth = 40;
constexpr int kTabFrameHeight = 24;
constexpr int kVTabFrameWidth = 24;
constexpr int kVTabFrameHeight = 48;
constexpr int kDarkBarHeight = 26; // "Bar.png" sets the dark command bar's height
constexpr int kDarkBarImageWidth = 16;

// Bars whose background is sliced at a fixed x: the image height is the bar height.
constexpr int kNewsBarImageWidth = 400; // sliced at 320
constexpr int kNewsBarHeight = 26;
constexpr int kStatusBarImageWidth = 160; // sliced at 100
constexpr int kStatusBarHeight = 22;
constexpr int kLinkIconSize = 16; // "arrow1.png" to "arrow3.png"

// Skinned list and its scroll bar.
constexpr int kListImageSize = 16;
constexpr int kListImageCount = 6;
constexpr int kScrollBarHeight = 17;
constexpr int kScrollBackWidth = 16;
constexpr int kScrollArrowSize = 16;
constexpr int kScrollThumbWidth = 48;
constexpr int kScrollThumbHeight = 15;

// Pictures of the login and about boxes; the login dialog stretches its
// pictures into 149 x 162 and 467 x 72, so they are drawn at those sizes.
constexpr int kLogoWidth = 149;
constexpr int kLogoHeight = 162;
constexpr int kHintWidth = 467;
constexpr int kHintHeight = 72;
constexpr int kAboutWidth = 420;
constexpr int kAboutHeight = 260;

// Resource images: the menu images (bitmap 224) are 16 pixels square.
constexpr int kMenuImageSize = 16;
constexpr int kMenuImageCount = 12;
constexpr int kCursorSize = 32;

// Image families (one file each) -----------------------------------------------

void DrawIconStrip(Gdiplus::Graphics& graphics, int width, int height);

void DrawMainTitle(Gdiplus::Graphics& g, int width, int height);
void DrawMainBorderLeft(Gdiplus::Graphics& g, int width, int height);
void DrawMainBorderRight(Gdiplus::Graphics& g, int width, int height);
void DrawMainBorderBottom(Gdiplus::Graphics& g, int width, int height);
void DrawLoginTitle(Gdiplus::Graphics& g, int width, int height);
void DrawLoginBorderLeft(Gdiplus::Graphics& g, int width, int height);
void DrawLoginBorderRight(Gdiplus::Graphics& g, int width, int height);
void DrawLoginBorderBottom(Gdiplus::Graphics& g, int width, int height);
void DrawCaptionClose(Gdiplus::Graphics& g, int width, int height);
void DrawCaptionMinimise(Gdiplus::Graphics& g, int width, int height);
void DrawCaptionMaximise(Gdiplus::Graphics& g, int width, int height);
void DrawCaptionRestore(Gdiplus::Graphics& g, int width, int height);

void DrawPieceLeft(Gdiplus::Graphics& g, int width, int height);
void DrawPieceMiddle(Gdiplus::Graphics& g, int width, int height);
void DrawPieceRight(Gdiplus::Graphics& g, int width, int height);
void DrawDialogButton(Gdiplus::Graphics& g, int width, int height);
void DrawLoginButton(Gdiplus::Graphics& g, int width, int height);
void DrawSmallButton(Gdiplus::Graphics& g, int width, int height);
void DrawCheckUnchecked(Gdiplus::Graphics& g, int width, int height);
void DrawCheckChecked(Gdiplus::Graphics& g, int width, int height);
void DrawRadioUnchecked(Gdiplus::Graphics& g, int width, int height);
void DrawRadioChecked(Gdiplus::Graphics& g, int width, int height);
void DrawShowLeft(Gdiplus::Graphics& g, int width, int height);
void DrawShowRight(Gdiplus::Graphics& g, int width, int height);
void DrawChartClose(Gdiplus::Graphics& g, int width, int height);
void DrawChartAdd(Gdiplus::Graphics& g, int width, int height);
void DrawChartTip(Gdiplus::Graphics& g, int width, int height);

void DrawDarkBar(Gdiplus::Graphics& g, int width, int height);
void DrawTabs(Gdiplus::Graphics& g, int width, int height);
void DrawVerticalTabs(Gdiplus::Graphics& g, int width, int height);
void DrawNewsBar(Gdiplus::Graphics& g, int width, int height);
void DrawStatusBar(Gdiplus::Graphics& g, int width, int height);
void DrawLinkIcon1(Gdiplus::Graphics& g, int width, int height);
void DrawLinkIcon2(Gdiplus::Graphics& g, int width, int height);
void DrawLinkIcon3(Gdiplus::Graphics& g, int width, int height);
void DrawListItems(Gdiplus::Graphics& g, int width, int height);
void DrawScrollBack(Gdiplus::Graphics& g, int width, int height);
void DrawScrollLeft(Gdiplus::Graphics& g, int width, int height);
void DrawScrollRight(Gdiplus::Graphics& g, int width, int height);
void DrawScrollThumb(Gdiplus::Graphics& g, int width, int height);

void DrawLogo(Gdiplus::Graphics& g, int width, int height);
void DrawHint(Gdiplus::Graphics& g, int width, int height);
void DrawAbout(Gdiplus::Graphics& g, int width, int height);

void DrawProgramIcon(Gdiplus::Graphics& g, int width, int height);
void DrawResizeCursor(Gdiplus::Graphics& g, int width, int height);
void DrawSplitCursor(Gdiplus::Graphics& g, int width, int height);
void DrawHandCursor(Gdiplus::Graphics& g, int width, int height);
void DrawMenuImages(Gdiplus::Graphics& g, int width, int height);
