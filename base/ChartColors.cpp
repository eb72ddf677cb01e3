#include "base/ChartColors.h"

// Constant-initialised, so usable from any static initialiser.
COLORREF ChartColors::Rise = 0x3C3CFF;
COLORREF ChartColors::Fall = 0x00C800;
COLORREF ChartColors::Flat = 0xE6E6E6;
COLORREF ChartColors::Axis = 0x000080;
COLORREF ChartColors::AxisLabel = 0xFFFFFF;

COLORREF PickPriceColor(double reference, double value)
{
    if (value > reference)
        return ChartColors::Rise;
    if (value < reference)
        return ChartColors::Fall;
    return ChartColors::Flat;
}
