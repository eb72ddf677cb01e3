#pragma once
// The chart colour scheme (0x00BBGGRR) read by the drawing primitives and the
// views; a view may change a colour while it draws (UI thread only).
#include <windows.h>

struct ChartColors
{
    static COLORREF Rise; // a value above its reference
    static COLORREF Fall; // below its reference
    static COLORREF Flat; // equal to it
    static COLORREF Axis; // value-axis frame and grid lines
    static COLORREF AxisLabel; // value-axis labels
};

// Rise above the reference, Fall below it, Flat when equal.
COLORREF PickPriceColor(double reference, double value);
