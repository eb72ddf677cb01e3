#pragma once
// The minute chart's floating data window: a plain child that never erases
// its background, since its owner paints all of it.
#include "win/WindowImpl.h"

class CMyWindow : public CWindowImpl<CMyWindow, CWindow, CWinTraits<WS_CHILD>>
{
public:
    DECLARE_WND_CLASS_EX("ZtMinuteDataWindow", CS_DBLCLKS, 0)

    BEGIN_MSG_MAP(CMyWindow)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
    END_MSG_MAP()

private:
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
};
