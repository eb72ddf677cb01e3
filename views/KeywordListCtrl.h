#pragma once
// The small dark list of the quote side panel's sector page: one column
// without a header, rows drawn by the control itself (white text, a grey bar
// under the selected row while the list has the focus). The owner reflects
// its notifications back, and sees the list's other notifications
// (selection, double click) as usual.
#include "win/Controls.h"
#include "win/CustomDraw.h"
#include "win/WindowImpl.h"
#include <commctrl.h>

class CKeywordListCtrl : public CWindowImpl<CKeywordListCtrl, CListViewCtrl>,
                         public CCustomDraw<CKeywordListCtrl>
{
public:
    DECLARE_WND_SUPERCLASS("ZtKeywordListCtrl", WC_LISTVIEWA)

    static constexpr COLORREF kBackground = RGB(8, 8, 8);
    static constexpr COLORREF kSelectedBackground = RGB(80, 80, 80);
    static constexpr COLORREF kText = RGB(255, 255, 255);
    // Characters of a row's text that are drawn at most.
    static constexpr int kMaxTextLength = 99;

    BEGIN_MSG_MAP(CKeywordListCtrl)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        REFLECTED_NOTIFY_CODE_HANDLER(NM_CUSTOMDRAW, OnCustomDraw)
    END_MSG_MAP()

    // The custom-draw answer of a drawing stage; handled is cleared for the
    // stages the list does not know.
    LRESULT OnCustomDraw(int id, NMHDR* header, BOOL& handled);
    // Draws the row of the notification; always CDRF_SKIPDEFAULT.
    DWORD DrawItem(NMLVCUSTOMDRAW* draw);

private:
    LRESULT OnCreate(UINT msg, WPARAM wp, LPARAM lp, BOOL& handled);
    LRESULT OnSize(UINT msg, WPARAM wp, LPARAM lp, BOOL& handled);
};
