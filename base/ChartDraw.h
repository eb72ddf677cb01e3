#pragma once
// The drawing primitives shared by the charts, side panels, quote tables and
// the indicator painter. They draw with objects from GdiObjectCache (or the
// pen the caller passes) and restore whatever they select. Lines end one
// pixel short of their end point, as line drawing does. UI thread only.
#include "base/ChartColors.h"
#include "base/ChartLayout.h"
#include <windows.h>

class KeptPicture;
#include <cstdint>
#include <vector>

// Frame, dotted top line, dotted grid lines and their labels (left of
// rect.left); 1 when drawn, 0 when the rectangle or the range does not allow it.
// labels (may be null): where the labels are kept between paints; the same
// pixels, without a text drawn while they and what lies under them stay the same.
// inside: the one colour the rectangle's inside holds on the grid's rows (a
// pane just filled), CLR_INVALID when not known; the same pixels, drawn faster.
int DrawValueAxis(HDC dc, const RECT& rect, int topMargin, int bottomMargin, double minimum, double maximum,
    int decimals, KeptPicture* labels = nullptr, COLORREF inside = CLR_INVALID);

// The value in "宋体" 12, its right end 2 px left of x and its top at y - 7.
void DrawAxisValue(HDC dc, COLORREF colour, int x, int y, double value, int decimals);

// count + 1 evenly spaced labels between bottomY (bottomValue) and topY
// (topValue), right-aligned 1 px left of x, in the DC's current font.
void DrawAxisLabels(HDC dc, COLORREF colour, int count, int x, int topY, int bottomY, double bottomValue,
    double topValue, bool includeFirst, bool includeLast, int decimals);

void DrawPenLine(HDC dc, int width, COLORREF colour, int x1, int y1, int x2, int y2);
void DrawLineWithPen(HDC dc, HPEN pen, int x1, int y1, int x2, int y2);
// Nothing at all when y1 is negative.
void DrawDottedLine(HDC dc, int width, COLORREF colour, int x1, int y1, int x2, int y2);
void DrawDottedLineWithPen(HDC dc, HPEN pen, int x1, int y1, int x2, int y2);

// The vertical line (x, y1)-(x, y2), then the tick (x, y3)-(x2, y3).
void DrawVLineWithTick(HDC dc, int x, int x2, int y1, int y2, int y3, HPEN pen);

// A hollow body is a 1-px frame in colour, a full one is filled with it; the
// wicks go from yHigh to the body's top and from its bottom to yLow.
void DrawCandle(HDC dc, int x, int yHigh, int yLow, const RECT& body, COLORREF colour, HPEN pen, bool hollow);

// A framed single-line text. rect becomes the framed box: clamped into bound
// (when given), as wide as the text + 2. Returns 1.
int DrawBoxedText(HDC dc, RECT& rect, const char* text, COLORREF frameColour, COLORREF textColour,
    COLORREF backColour, const RECT* bound = nullptr);

void FillEllipse(HDC dc, const RECT& rect, COLORREF colour);
void DrawEllipse(HDC dc, const RECT& rect, int width, COLORREF colour);
// The rectangle's two diagonals.
void DrawCross(HDC dc, const RECT& rect, int width, COLORREF colour);

struct PieSector
{
    int32_t percentage;
    COLORREF colour;
};

// Sectors counter-clockwise from three o'clock, outlined with the DC's pen
// and filled with their colours. Returns 1.
int DrawPieChart(HDC dc, const RECT& rect, const std::vector<PieSector>& sectors);
