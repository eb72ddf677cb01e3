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

    // The roles of the bar charts.
    static COLORREF Background;
    static COLORREF BoxedText; // cross-hair labels
    static COLORREF TitleText; // titles, extreme-price labels
    static COLORREF FallingBar; // also amplitude and amount values
    // The data window's labels; the quote side panel sets it as it draws, so
    // the data window follows the side panel's neutral text colour.
    static COLORREF DataWindowLabel;
    static COLORREF DateAxisText;
    static COLORREF EditedBar; // a bar later than the bar-edit threshold
    static COLORREF CrossHair; // drawn with XOR
    static COLORREF Selection; // the rubber band, drawn with XOR
    static COLORREF VolumeValue;
    static COLORREF LevelBar; // close equal to open
    static COLORREF BoxBack; // behind boxed labels
};

// Rise above the reference, Fall below it, Flat when equal.
COLORREF PickPriceColor(double reference, double value);
