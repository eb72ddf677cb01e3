#include "skin/NcFrameLayout.h"
#include "base/MbcsText.h"
#include <algorithm>
#include <windows.h>

namespace {

constexpr int kTitleRightCap = 60;
constexpr int kSideBottomCap = 8;
constexpr int kCloseFromRight = 37;
constexpr int kButtonTop = 6;
constexpr int kMenuRightMargin = 150;

bool Inside(const CRect& r, CPoint p)
{
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

CaptionButtonPlace Place(int leftFromRight, CSize image)
{
    CaptionButtonPlace place;
    place.leftFromRight = leftFromRight;
    place.top = kButtonTop;
    place.width = image.cx / 3;
    place.height = image.cy / 2;
    return place;
}

}

NcFrameMetrics ComputeFrameMetrics(CSize title, CSize left, CSize right, CSize bottom)
{
    NcFrameMetrics m;
    m.titleRightCapStart = std::max<int>(title.cx - kTitleRightCap, m.titleLeftCap + 1);
    m.leftBottomCapStart = std::max<int>(left.cy - kSideBottomCap, m.leftTopCap + 1);
    m.rightBottomCapStart = std::max<int>(right.cy - kSideBottomCap, m.rightTopCap + 1);
    m.bottomRightCapStart = std::max<int>(bottom.cx, 1);
    m.titleHeight = static_cast<int>(title.cy / 2);
    m.leftWidth = static_cast<int>(left.cx / 2);
    m.rightWidth = static_cast<int>(right.cx / 2);
    m.bottomHeight = static_cast<int>(bottom.cy / 2);
    return m;
}

CaptionButtonPlaces PlaceCaptionButtons(
    int buttonMode, CSize close, CSize minimise, CSize maximise, CSize restore)
{
    CaptionButtonPlaces places;
    if (buttonMode < 1 || buttonMode > 3)
        return places;
    places.close = Place(kCloseFromRight, close);
    if (buttonMode == 2) {
        places.minimise = Place(places.close.leftFromRight + places.close.width, minimise);
    } else if (buttonMode == 3) {
        places.maximise = Place(places.close.leftFromRight + places.close.width, maximise);
        places.restore = Place(places.maximise.leftFromRight, restore);
        places.minimise = Place(places.maximise.leftFromRight + places.maximise.width, minimise);
    }
    return places;
}

int NcHitTestCode(const NcHitTestLayout& layout, CPoint p)
{
    if (Inside(layout.close, p))
        return HTCLOSE;
    if (Inside(layout.minimise, p))
        return HTMINBUTTON;
    if (Inside(layout.maximise, p))
        return HTMAXBUTTON;
    for (size_t i = 0; i < layout.menuButtons.size(); ++i)
        if (Inside(layout.menuButtons[i], p))
            return kCaptionMenuHitBase + static_cast<int>(i);
    if (Inside(layout.icon, p))
        return HTSYSMENU;
    const int W = layout.window.cx, H = layout.window.cy;
    const int L = layout.leftWidth, R = layout.rightWidth, B = layout.bottomHeight, T = layout.titleHeight;
    if (layout.resizable && !layout.maximised) {
        const struct
        {
            CRect area;
            int code;
        } borders[] = {
            { CRect(0, 0, L, T), HTTOPLEFT },
            { CRect(W - L, 0, W, T), HTTOPRIGHT },
            { CRect(0, H - B, L, H), HTBOTTOMLEFT },
            { CRect(W - R, H - B, W, H), HTBOTTOMRIGHT },
            { CRect(0, T, L, H - B), HTLEFT },
            { CRect(W - R, T, W, H - B), HTRIGHT },
            { CRect(L, H - B, W - R, H), HTBOTTOM },
            { CRect(L, 0, W - R, B), HTTOP },
        };
        for (const auto& border : borders)
            if (Inside(border.area, p))
                return border.code;
    }
    if (Inside(CRect(L, 5, W - R, T), p))
        return HTCAPTION;
    return HTCLIENT;
}

MenuCaption ParseMenuCaption(const std::string& text)
{
    MenuCaption result;
    result.alternate = text;
    for (size_t pos = 0; pos < text.size();) {
        const size_t size = MbcsCharSize(text, pos);
        if (size == 1 && text[pos] == '&') {
            if (pos + 1 < text.size()) {
                const char next = text[pos + 1];
                const char upper = (next >= 'a' && next <= 'z') ? static_cast<char>(next - 'a' + 'A') : next;
                result.mnemonic = (upper >= 'A' && upper <= 'Z') ? upper : ' ';
            }
        } else {
            result.caption.append(text, pos, size);
        }
        pos += size;
    }
    return result;
}

std::vector<int> PlaceCaptionMenuButtons(int startX, const std::vector<int>& widths, int windowWidth)
{
    std::vector<int> placed;
    int x = startX;
    for (int width : widths) {
        if (x + width > windowWidth - kMenuRightMargin)
            break;
        placed.push_back(x);
        x += width;
    }
    return placed;
}

int PreviousCaptionMenu(int index, int visibleCount)
{
    if (visibleCount <= 0)
        return -1;
    if (index <= 0 || index >= visibleCount)
        return visibleCount - 1;
    return index - 1;
}

int NextCaptionMenu(int index, int visibleCount)
{
    if (visibleCount <= 0)
        return -1;
    if (index < 0 || index + 1 >= visibleCount)
        return 0;
    return index + 1;
}

int ClampXToWorkArea(int x, int y)
{
    const POINT point = { x, y };
    if (::MonitorFromPoint(point, MONITOR_DEFAULTTONULL))
        return x;
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (!::GetMonitorInfoA(::MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), &info))
        return x;
    if (x < info.rcWork.left)
        return info.rcWork.left;
    if (x > info.rcWork.right)
        return info.rcWork.right;
    return x;
}

CRect GetWorkArea()
{
    RECT area = {};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return CRect(area);
}
