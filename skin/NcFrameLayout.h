#pragma once
// The geometry of the skinned window frame, apart from any window: frame
// sizes and image slices from the skin images, where the caption buttons and
// the caption-menu buttons stand, what a point in the window hits, how a
// menu caption gives its mnemonic, and which caption menu Left and Right
// move to. CNcDraw paints and answers with these.
#include "win/Geometry.h"
#include <string>
#include <vector>

// Hit codes beyond the system's: a caption-menu button answers this + its index.
constexpr int kCaptionMenuHitBase = 1000;

// Slices of the frame images and the frame's sizes. A missing image has size
// 0, which gives sizes of 0 (nothing drawn there).
struct NcFrameMetrics
{
    // Title image: left cap [0, titleLeftCap), right cap from titleRightCapStart.
    int titleLeftCap = 40;
    int titleRightCapStart = 0;
    // Side images: top cap rows [0, sideTopCap), bottom cap rows from *BottomCapStart.
    int leftTopCap = 29;
    int leftBottomCapStart = 0;
    int rightTopCap = 29;
    int rightBottomCapStart = 0;
    // Bottom image: left cap [0, bottomLeftCap), right cap from bottomRightCapStart.
    int bottomLeftCap = 0;
    int bottomRightCapStart = 0;
    // Frame sizes: the title and bottom images hold two variants stacked,
    // the side images two side by side.
    int titleHeight = 0;
    int leftWidth = 0;
    int rightWidth = 0;
    int bottomHeight = 0;
};

NcFrameMetrics ComputeFrameMetrics(CSize title, CSize left, CSize right, CSize bottom);

// A caption button's place: its left edge measured from the window's right
// edge, its top, and its size (0 when its image is missing).
struct CaptionButtonPlace
{
    int leftFromRight = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    CRect InWindow(int windowWidth) const
    {
        if (width <= 0 || height <= 0)
            return CRect();
        const int left = windowWidth - leftFromRight;
        return CRect(left, top, left + width, top + height);
    }
};

struct CaptionButtonPlaces
{
    CaptionButtonPlace close;
    CaptionButtonPlace minimise;
    CaptionButtonPlace maximise;
    CaptionButtonPlace restore;
};

// Button mode 1: close; 2: minimise and close; 3: minimise, maximise/restore
// and close; any other: none. Sizes are one frame of each image (image width
// / 3 by image height / 2; zero for a missing image). The close button's left
// edge is 37 pixels left of the window's right edge, 6 below its top; each
// further button's left edge lies left of the previous one's by the previous
// one's width.
CaptionButtonPlaces PlaceCaptionButtons(
    int buttonMode, CSize close, CSize minimise, CSize maximise, CSize restore);

// The rectangles a window-relative point is tested against.
struct NcHitTestLayout
{
    CSize window;
    int titleHeight = 0;
    int leftWidth = 0;
    int rightWidth = 0;
    int bottomHeight = 0;
    CRect close;
    CRect minimise; // empty when the window has no minimise button
    CRect maximise; // the maximise or restore button; empty when none
    CRect icon;
    std::vector<CRect> menuButtons; // by index; empty rectangles for hidden buttons
    bool resizable = false;
    bool maximised = false;
};

// First match: close 20, minimise 8, maximise 9, caption-menu button 1000 +
// index, icon 3; then, for a resizable window that is not maximised, the
// corners 13, 14, 16, 17 and the edges 10, 11, 15, 12; the caption 2;
// anything else 1. Rectangles exclude their right and bottom edges. The top
// edge's height is the bottom border's and the top-right corner's width the
// left border's, as the frame always answered.
int NcHitTestCode(const NcHitTestLayout& layout, CPoint point);

// A top-level menu item's text turned into a caption-menu button's captions.
struct MenuCaption
{
    std::string caption; // every "&" removed
    std::string alternate; // as written, drawn with its mnemonic underlined
    char mnemonic = ' '; // the upper-cased letter after the last "&", a space when none or not A-Z
};

// Scans code-page-936 text character by character.
MenuCaption ParseMenuCaption(const std::string& text);

// Places caption-menu buttons of these widths from startX: each goes at x
// and x advances by its width until a button would end beyond windowWidth -
// 150; that one and all after it are hidden. Returns the x of each placed
// button (the visible count is the size).
std::vector<int> PlaceCaptionMenuButtons(int startX, const std::vector<int>& widths, int windowWidth);

// Left and Right among the visible caption menus: the previous index (0 goes
// to the last) and the next (the last goes to 0); -1 when none is visible.
int PreviousCaptionMenu(int index, int visibleCount);
int NextCaptionMenu(int index, int visibleCount);

// x unchanged when (x, y) lies on a monitor; otherwise raised to the left
// edge or lowered to the right edge of the nearest monitor's work area.
// Every pop-up menu position goes through it.
int ClampXToWorkArea(int x, int y);
// The primary monitor's work area.
CRect GetWorkArea();
