#pragma once
// The records of the skinned list (columns, rows, cells), the cell kinds and
// format bits, and the pure rules every part of the list shares: format
// normalisation, the sort order of two cells, the date texts of date cells.
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

// What a cell shows and how it sorts. The numbers are stored by owners.
enum SkinListCellKind : int32_t {
    kListCellText = 0, // also any number not listed
    kListCellEdit = 1, // text edited in place
    kListCellDate = 2, // "yyyymmddhhmmss", shown in the user's locale formats
    kListCellCheck = 4, // positive number checked
    kListCellTriState = 5, // positive, negative or zero
    kListCellLink = 6,
    kListCellProgress = 7, // percentage, clamped to 0..100
    kListCellEndOfRow = 8, // this cell and all right of it are not painted
    kListCellAmount = 9, // sorts by its Chinese units, then its number
    kListCellInteger = 10, // sorts as an integer
    kListCellRowNumber = 11, // shows the row index + 1
};

// Format bits of a cell or a column's default.
enum SkinListFormat : int32_t {
    kListAlignLeft = 0x1,
    kListAlignRight = 0x2,
    kListAlignCenter = 0x4,
    kListReadOnly = 0x8,
    kListUpperCase = 0x10,
    kListNumeric = 0x20,
    kListDecimal = 0x40,
    kListSignToggle = 0x80,
    kListOperators = 0x100,
    kListNoDateTime = 0x200,
    kListDateOnly = 0x400,
    kListTimeOnly = 0x800,
    kListDateNone = 0x1000,
    kListPlainProgress = 0x2000,
};

struct SkinListColumn
{
    std::string title;
    int32_t width = 0;
    int32_t fixed = 0; // nonzero: not resizable, not sortable in the header
    int32_t defaultKind = 0; // for cells whose own kind is 0
    int32_t defaultFormat = 0; // for cells whose own format is 0
    int32_t image = -1; // index in the list's image strip
    int32_t key = 0; // the column count when it was added; survives reordering
};

struct SkinListCell
{
    std::string text;
    int32_t image = -1; // index in the owner's cell image list
    int32_t kind = 0; // 0: the column's default kind
    int32_t format = 0; // 0: the column's default format
    HFONT font = nullptr; // null: the list font; the owner keeps it alive
    COLORREF background = 0; // the list's background colour: no fill of its own
    COLORREF textColor = 0;
};

struct SkinListRow
{
    std::vector<SkinListCell> cells; // by column key
    std::string tooltip;
    uint32_t itemData = 0;
};

// The format with contradicting bits cleared: centre beats right beats left,
// date-only beats time-only, the number-entry extras need a number bit (and
// upper case needs none), and "no date and time" clears all date bits.
int32_t NormalizeFormat(int32_t format);

// True when cell a sorts before cell b for the sort kind: integers for kind
// 10; for kind 9 amounts with "亿" after those without, then "万" likewise,
// then their leading numbers; the texts byte-wise otherwise. Not-a-number
// texts sort first, so the order stays strict and weak.
bool CompareListCells(const SkinListCell& a, const SkinListCell& b, int32_t kind);

// Row order on the cells of one column key (rows lacking it sort first).
bool CompareItems(const SkinListRow& a, const SkinListRow& b, int32_t key, int32_t kind);

// The leading integer of a text as the C library reads it, clamped to 32
// bits; 0 when there is none.
int32_t ListTextToInt(const std::string& text);
// The leading floating-point number of a text; 0 when there is none.
double ListTextToDouble(const std::string& text);
// The sign (-1, 0 or 1) of the number a check-box or three-state cell holds,
// read as a floating-point number: painting and a click read it alike.
int ListBoxValueSign(const std::string& text);

// What a date cell shows for its text and format: the short date (0x400),
// the time (0x800) or both with a space, in the user's locale formats;
// empty for an empty text, and the date part empty when the year is 0.
std::string FormatListDateText(const std::string& text, int32_t format);
