#pragma once
// The text of a date cell: 14 digits, year, month, day, hour, minute and
// second ("%04d%02d%02d%02d%02d%02d").
#include <windows.h>
#include <string>

// Reads the fields of a date cell into a SYSTEMTIME (milliseconds and day of
// week 0). A field the text does not reach, or that holds no number, is 0, so
// an empty or short text never reads past its end.
SYSTEMTIME ParseCellDateTime(const std::string& text);

// The 14-digit cell text of a time.
std::string FormatCellDateTime(const SYSTEMTIME& time);
