#include "base/ChartColors.h"

// Constant-initialised, so usable from any static initialiser.
COLORREF ChartColors::Rise = 0x3C3CFF;
COLORREF ChartColors::Fall = 0x00C800;
COLORREF ChartColors::Flat = 0xE6E6E6;
COLORREF ChartColors::Axis = 0x000080;
COLORREF ChartColors::AxisLabel = 0xFFFFFF;
COLORREF ChartColors::Background = 0x080808;
COLORREF ChartColors::BoxedText = 0xE6E6E6;
COLORREF ChartColors::TitleText = 0xE6E6E6;
COLORREF ChartColors::FallingBar = 0xFFFF00;
COLORREF ChartColors::DataWindowLabel = 0xFFFFFF;
COLORREF ChartColors::DateAxisText = 0x808080;
COLORREF ChartColors::EditedBar = 0xE9F3F7;
COLORREF ChartColors::CrossHair = 0xFFFFFF;
COLORREF ChartColors::Selection = 0x00FFFF;
COLORREF ChartColors::VolumeValue = 0x00C0C0;
COLORREF ChartColors::LevelBar = 0xFFFFFF;
COLORREF ChartColors::BoxBack = 0x800000;

COLORREF PickPriceColor(double reference, double value)
{
    if (value > reference)
        return ChartColors::Rise;
    if (value < reference)
        return ChartColors::Fall;
    return ChartColors::Flat;
}
