#pragma once
// NM_CUSTOMDRAW split by draw stage, for a window object T that draws parts
// of a common control (list view, tree view, buttons). T chains to it and
// overrides the stages it needs; the others answer CDRF_DODEFAULT. It takes
// the notification both as sent to a parent and as reflected to the control
// itself (the parent then has REFLECT_NOTIFICATIONS in its map).
#include <windows.h>
#include <commctrl.h>
#include "win/MessageMap.h"

template <class T> class CCustomDraw
{
public:
    BEGIN_MSG_MAP(CCustomDraw)
        NOTIFY_CODE_HANDLER(NM_CUSTOMDRAW, OnCustomDraw)
        REFLECTED_NOTIFY_CODE_HANDLER(NM_CUSTOMDRAW, OnCustomDraw)
    END_MSG_MAP()

    LRESULT OnCustomDraw(int id, NMHDR* header, BOOL&)
    {
        T* self = static_cast<T*>(this);
        NMCUSTOMDRAW* draw = reinterpret_cast<NMCUSTOMDRAW*>(header);
        switch (draw->dwDrawStage) {
        case CDDS_PREPAINT:
            return self->OnPrePaint(id, draw);
        case CDDS_POSTPAINT:
            return self->OnPostPaint(id, draw);
        case CDDS_PREERASE:
            return self->OnPreErase(id, draw);
        case CDDS_POSTERASE:
            return self->OnPostErase(id, draw);
        case CDDS_ITEMPREPAINT:
            return self->OnItemPrePaint(id, draw);
        case CDDS_ITEMPOSTPAINT:
            return self->OnItemPostPaint(id, draw);
        case CDDS_ITEMPREERASE:
            return self->OnItemPreErase(id, draw);
        case CDDS_ITEMPOSTERASE:
            return self->OnItemPostErase(id, draw);
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
            return self->OnSubItemPrePaint(id, draw);
        default:
            return CDRF_DODEFAULT;
        }
    }

    DWORD OnPrePaint(int, NMCUSTOMDRAW*) { return CDRF_DODEFAULT; }
    DWORD OnPostPaint(int, NMCUSTOMDRAW*) { return CDRF_DODEFAULT; }
    DWORD OnPreErase(int, NMCUSTOMDRAW*) { return CDRF_DODEFAULT; }
    DWORD OnPostErase(int, NMCUSTOMDRAW*) { return CDRF_DODEFAULT; }
    DWORD OnItemPrePaint(int, NMCUSTOMDRAW*) { return CDRF_DODEFAULT; }
    DWORD OnItemPostPaint(int, NMCUSTOMDRAW*) { return CDRF_DODEFAULT; }
    DWORD OnItemPreErase(int, NMCUSTOMDRAW*) { return CDRF_DODEFAULT; }
    DWORD OnItemPostErase(int, NMCUSTOMDRAW*) { return CDRF_DODEFAULT; }
    DWORD OnSubItemPrePaint(int, NMCUSTOMDRAW*) { return CDRF_DODEFAULT; }
};
