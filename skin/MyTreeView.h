#pragma once
// The dark tree of the side panel: light text on near-black, hot items
// underlined in yellow; the tree draws each item, then custom draw paints
// its text again in these colours. The parent reflects notifications.
#include "win/Controls.h"
#include "win/Gdi.h"
#include "win/WindowImpl.h"
#include <commctrl.h>

class CMyTreeView : public CWindowImpl<CMyTreeView, CTreeViewCtrl>
{
public:
    DECLARE_WND_SUPERCLASS("ZtMyTreeView", WC_TREEVIEWA)

    static constexpr COLORREF kBackground = RGB(0x08, 0x08, 0x08);
    static constexpr COLORREF kText = RGB(0xFF, 0xFF, 0xFF);
    static constexpr COLORREF kHotText = RGB(0xFF, 0xFF, 0x00); // 0x00FFFF as a COLORREF

    // Colours, styles and the hot-item font; runs at WM_CREATE, and is called
    // by the owner after subclassing an existing tree.
    void Setup();
    HFONT GetHotFont() const { return m_hotFont; }

    // The answer to a custom-draw stage other than the item post-paint;
    // handled is cleared for stages the tree draws by itself.
    static LRESULT StageAnswer(DWORD stage, bool& handled);

    BEGIN_MSG_MAP(CMyTreeView)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        REFLECTED_NOTIFY_CODE_HANDLER(NM_CUSTOMDRAW, OnCustomDraw)
    END_MSG_MAP()

private:
    LRESULT OnCreate(UINT msg, WPARAM wp, LPARAM lp, BOOL&);
    LRESULT OnCustomDraw(int, NMHDR* header, BOOL& handled);
    void PaintItemText(const NMTVCUSTOMDRAW& draw);

    CFont m_hotFont;
};
