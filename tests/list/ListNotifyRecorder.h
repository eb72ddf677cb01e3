#pragma once
// A stand-in parent for the skinned list's editors and tips: records every
// SkinListNotify it is sent (with copies of text and time), reflects
// notifications back to the children as a list does, and keeps the mouse
// messages posted to it.
#include "skin/SkinListNotify.h"
#include "win/WindowImpl.h"
#include <string>
#include <vector>

struct RecordedNotify
{
    HWND from;
    int code;
    int row;
    int column;
    char key;
    bool hasText;
    std::string text;
    bool hasTime;
    SYSTEMTIME time;
};

struct RecordedMouse
{
    UINT msg;
    WPARAM wp;
    POINT point;
};

class CNotifyRecorder : public CWindowImpl<CNotifyRecorder, CWindow, CWinTraits<WS_POPUP | WS_CLIPCHILDREN>>
{
public:
    DECLARE_WND_CLASS("ZtListNotifyRecorder")

    std::vector<RecordedNotify> notices;
    std::vector<RecordedMouse> mouse;

    BEGIN_MSG_MAP(CNotifyRecorder)
        MESSAGE_HANDLER(WM_NOTIFY, OnNotify)
        MESSAGE_RANGE_HANDLER(WM_MOUSEFIRST, WM_MOUSELAST, OnMouse)
        MESSAGE_RANGE_HANDLER(WM_NCLBUTTONDOWN, WM_NCMBUTTONDBLCLK, OnMouse)
        REFLECT_NOTIFICATIONS()
    END_MSG_MAP()

private:
    LRESULT OnNotify(UINT, WPARAM, LPARAM lp, BOOL& handled)
    {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lp);
        int code = static_cast<int>(header->code);
        if (code > SLN_SELCHANGED || code < SLN_LINKCLICK) {
            handled = FALSE;
            return 0;
        }
        const SkinListNotify* n = reinterpret_cast<const SkinListNotify*>(lp);
        RecordedNotify r = { n->hwndFrom, n->code, n->row, n->column, EndKeyOf(*n), n->text != nullptr,
            n->text ? n->text : "", n->time != nullptr, {} };
        if (n->time)
            r.time = *n->time;
        notices.push_back(r);
        return 0;
    }
    LRESULT OnMouse(UINT msg, WPARAM wp, LPARAM lp, BOOL&)
    {
        mouse.push_back({ msg, wp, CPoint::FromLParam(lp) });
        return 0;
    }
};
