#include "skin/SkinListNotify.h"

LRESULT SendSkinListNotify(
    HWND target, HWND from, int32_t code, int32_t row, int32_t column, char key, const char* text, SYSTEMTIME* time)
{
    SkinListNotify notify = {};
    notify.hwndFrom = from;
    notify.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(from));
    notify.code = code;
    notify.row = row;
    notify.column = column;
    notify.key = static_cast<unsigned char>(key);
    notify.text = text;
    notify.time = time;
    return ::SendMessageA(target, WM_NOTIFY, static_cast<WPARAM>(notify.idFrom), reinterpret_cast<LPARAM>(&notify));
}
