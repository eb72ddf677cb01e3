#pragma once
// The record of every notification the skinned list sends its parent, and of
// the end-of-edit notice its in-place editors send the list. Its first three
// fields lie where NMHDR's do, so WM_NOTIFY maps read the code as usual.
#include <windows.h>
#include <commctrl.h>
#include <cstddef>
#include <cstdint>

enum SkinListNotifyCode : int32_t {
    SLN_SELCHANGED = -1501,
    SLN_LBUTTONUP = -1502,
    SLN_RBUTTONUP = -1503,
    SLN_DBLCLK = -1504,
    SLN_ENDEDIT = -1505,
    SLN_CELLCHANGED = -1506,
    SLN_LINKCLICK = -1507,
};

// The keys that end an in-place edit, as an editor reports them.
enum : char { kEndKeyNone = 0, kEndKeyTab = 9, kEndKeyEnter = 13, kEndKeyEscape = 27 };

struct SkinListNotify
{
    HWND hwndFrom;
    UINT_PTR idFrom;
    int32_t code;
    int32_t row; // -1 for none
    // From the list: the column's key (0 without a column). From an editor:
    // the display index of the edited column.
    int32_t column;
    int32_t key; // an editor's end key in the low byte; 0 from the list
    const char* text; // an editor's text; null from the list
    SYSTEMTIME* time; // the date editor's value; null otherwise
};
static_assert(offsetof(SkinListNotify, hwndFrom) == offsetof(NMHDR, hwndFrom), "NMHDR layout");
static_assert(offsetof(SkinListNotify, idFrom) == offsetof(NMHDR, idFrom), "NMHDR layout");
static_assert(offsetof(SkinListNotify, code) == offsetof(NMHDR, code), "NMHDR layout");
static_assert(sizeof(int32_t) == sizeof(((NMHDR*)nullptr)->code), "NMHDR code width");

// Builds the record from `from` (its control id included) and sends it to
// `target` as WM_NOTIFY; returns the answer.
LRESULT SendSkinListNotify(HWND target, HWND from, int32_t code, int32_t row, int32_t column, char key = 0,
    const char* text = nullptr, SYSTEMTIME* time = nullptr);

// The end key of a received record (only its low byte counts).
inline char EndKeyOf(const SkinListNotify& notify)
{
    return static_cast<char>(notify.key & 0xFF);
}
