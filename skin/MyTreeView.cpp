#include "skin/MyTreeView.h"

namespace {

constexpr DWORD kExtendedStyleMask = 0x0026;
constexpr DWORD kExtendedStyles = 0x0006;

}

LRESULT CMyTreeView::OnCreate(UINT msg, WPARAM wp, LPARAM lp, BOOL&)
{
    const LRESULT result = DefWindowProc(msg, wp, lp);
    if (result != -1)
        Setup();
    return result;
}

void CMyTreeView::Setup()
{
    SetBkColor(kBackground);
    SetTextColor(kText);
    SetLineColor(kHotText);
    LOGFONTA font = {};
    HFONT current = GetFont();
    if (!current)
        current = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    if (::GetObjectA(current, sizeof(font), &font)) {
        font.lfUnderline = TRUE;
        m_hotFont.CreateIndirect(font);
    }
    SetExtendedStyle(kExtendedStyles, kExtendedStyleMask);
}

LRESULT CMyTreeView::StageAnswer(DWORD stage, bool& handled)
{
    handled = true;
    switch (stage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYPOSTPAINT;
    case CDDS_POSTPAINT:
    case CDDS_PREERASE:
    case CDDS_POSTERASE:
    case CDDS_ITEMPREERASE:
    case CDDS_ITEMPOSTERASE:
    case CDDS_SUBITEM | CDDS_ITEMPREPAINT:
        return 0;
    default:
        handled = false;
        return 0;
    }
}

LRESULT CMyTreeView::OnCustomDraw(int, NMHDR* header, BOOL& handled)
{
    NMTVCUSTOMDRAW* draw = reinterpret_cast<NMTVCUSTOMDRAW*>(header);
    if (draw->nmcd.dwDrawStage == CDDS_ITEMPOSTPAINT) {
        PaintItemText(*draw);
        return 0;
    }
    bool answered = false;
    const LRESULT answer = StageAnswer(draw->nmcd.dwDrawStage, answered);
    handled = answered ? TRUE : FALSE;
    return answer;
}

void CMyTreeView::PaintItemText(const NMTVCUSTOMDRAW& draw)
{
    HTREEITEM item = reinterpret_cast<HTREEITEM>(draw.nmcd.dwItemSpec);
    RECT textRect = {};
    if (!GetItemRect(item, &textRect, true))
        return;
    char text[100] = {};
    TVITEMA info = {};
    info.mask = TVIF_TEXT;
    info.hItem = item;
    info.pszText = text;
    info.cchTextMax = sizeof(text);
    SendMessage(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&info));

    HDC dc = draw.nmcd.hdc;
    const UINT state = draw.nmcd.uItemState;
    const bool selected = (state & CDIS_SELECTED) != 0;
    const bool hot = (state & CDIS_HOT) != 0;
    COLORREF background = static_cast<COLORREF>(SendMessage(TVM_GETBKCOLOR));
    if (background == CLR_NONE)
        background = ::GetSysColor(COLOR_WINDOW);
    COLORREF textColour = static_cast<COLORREF>(SendMessage(TVM_GETTEXTCOLOR));
    if (textColour == CLR_NONE)
        textColour = ::GetSysColor(COLOR_WINDOWTEXT);
    FillSolidRect(dc, textRect, selected ? RGB(0, 0, 0) : background);

    CSaveDC saved(dc);
    ::SetBkMode(dc, TRANSPARENT);
    HFONT font = hot && m_hotFont ? m_hotFont.Get() : GetFont();
    if (font)
        ::SelectObject(dc, font); // restored with the DC
    ::SetTextColor(dc, hot && !selected ? kHotText : textColour);
    ::DrawTextA(dc, text, -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
    if (state & CDIS_FOCUS)
        ::DrawFocusRect(dc, &textRect);
}
