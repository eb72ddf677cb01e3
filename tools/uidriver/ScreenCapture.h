#pragma once
// What a window shows, read back from the screen, and a few measures of it
// that tell a drawn chart or a filled list from an empty pane.
#include <windows.h>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "win/Dib32.h"

// The window's on-screen pixels (frame included); null when it has no area.
std::unique_ptr<CDib32> CaptureWindow(HWND hwnd);
// Saves the capture as a PNG; false when it cannot be written.
bool SaveCapture(const CDib32& image, const std::string& path);

// A rectangle of an image, in the image's coordinates.
struct PixelArea
{
    int left, top, right, bottom;
};
// The area of a descendant window inside the capture of its top-level window.
PixelArea AreaOfChild(HWND topLevel, HWND child);

// Columns of the area holding at least one pixel that match accepts.
int ColumnsWith(const CDib32& image, const PixelArea& area, const std::function<bool(COLORREF)>& match);
// Columns of the area holding a vertical run of at least minRun pixels that
// match accepts: candles, bars and steep lines, but not horizontal grid lines.
int ColumnsWithVerticalRun(
    const CDib32& image, const PixelArea& area, const std::function<bool(COLORREF)>& match, int minRun);
// Rows of the area holding at least minPixels pixels that differ from the area's most common colour.
int RowsWithContent(const CDib32& image, const PixelArea& area, int minPixels = 3);
// How many distinct colours the area holds (capped at cap).
int DistinctColours(const CDib32& image, const PixelArea& area, int cap = 4096);
// The share of pixels (0..1) that differ between two captures of the same size; 1 when sizes differ.
double DifferenceShare(const CDib32& a, const CDib32& b);
// The same over an area of both; 1 when sizes differ or the area lies outside.
double DifferenceShare(const CDib32& a, const CDib32& b, const PixelArea& area);

// Colour tests for chart content: strong reds, greens and cyans as candles and
// up/down texts are drawn.
bool IsReddish(COLORREF c);
bool IsGreenish(COLORREF c);
bool IsCyanish(COLORREF c);
bool IsYellowish(COLORREF c);
bool IsWhitish(COLORREF c);
