#include "skin/NcDraw.h"
#include "base/DataPaths.h"
#include "base/DcGuards.h"
#include "base/GdiObjectCache.h"
#include "base/GlobalDefaults.h"
#include "base/ImageUtil.h"
#include "res/resource.h"
#include <windowsx.h>
#include <algorithm>

namespace {

constexpr int kIconTop = 5;
constexpr int kCaptionRight = 300;
constexpr int kMenuButtonTop = 4;
constexpr int kMenuRightMargin = 150;
constexpr int kMaxMenuText = 255;
constexpr int kMaxCaptionText = 260;
const char kPopupMenuClass[] = "#32768";

// The frame whose caption menu is tracked and its thread hooks: one at a time.
CNcDraw* g_tracked = nullptr;
HHOOK g_cbtHook = nullptr;
HHOOK g_keyboardHook = nullptr;
HHOOK g_mouseHook = nullptr;

CSize ImageSize(const CEnBitmap& image)
{
    return CSize(image.GetWidth(), image.GetHeight());
}

std::string SkinPath(const std::string& name)
{
    return DataPaths::Instance()->GetSkinFile(name);
}

// An image selected once into a memory DC for all the slices copied from it.
class SliceSource
{
public:
    SliceSource(HDC target, const CEnBitmap& image)
        : m_dc(target)
        , m_select(m_dc, image.GetBitmap())
    {
    }
    void Copy(HDC dc, int x, int y, const CRect& from) const
    {
        ::BitBlt(dc, x, y, from.Width(), from.Height(), m_dc, from.left, from.top, SRCCOPY);
    }

private:
    CMemDC m_dc;
    CSelectObject m_select;
};

// Columns [srcX, srcX + width) of an image drawn down from (x, y) over
// height: rows [0, topCap) once, rows [bottomStart, image height) once at
// the end, the rows between repeated to fill, the last copy clipped.
void ThreeSliceDown(HDC dc, const CEnBitmap& image, int srcX, int width, int topCap, int bottomStart, int x,
    int y, int height)
{
    const int imageHeight = image.GetHeight();
    if (width <= 0 || imageHeight <= 0 || height <= 0)
        return;
    const SliceSource source(dc, image);
    topCap = std::min(topCap, imageHeight);
    bottomStart = std::max(topCap, std::min(bottomStart, imageHeight));
    const int bottomHeight = std::min(imageHeight - bottomStart, height);
    const int middleEnd = y + height - bottomHeight;
    source.Copy(dc, x, y, CRect(srcX, 0, srcX + width, std::min(topCap, height)));
    const int middle = bottomStart - topCap;
    for (int at = y + topCap; middle > 0 && at < middleEnd; at += middle)
        source.Copy(dc, x, at, CRect(srcX, topCap, srcX + width, topCap + std::min(middle, middleEnd - at)));
    if (bottomHeight > 0)
        source.Copy(dc, x, middleEnd, CRect(srcX, bottomStart, srcX + width, bottomStart + bottomHeight));
}

// The same across: rows [srcY, srcY + height), columns sliced at leftCap and rightStart.
void ThreeSliceAcross(HDC dc, const CEnBitmap& image, int srcY, int height, int leftCap, int rightStart,
    int x, int y, int width)
{
    const int imageWidth = image.GetWidth();
    if (height <= 0 || imageWidth <= 0 || width <= 0)
        return;
    const SliceSource source(dc, image);
    leftCap = std::min(leftCap, imageWidth);
    rightStart = std::max(leftCap, std::min(rightStart, imageWidth));
    const int rightWidth = std::min(imageWidth - rightStart, width);
    const int middleEnd = x + width - rightWidth;
    source.Copy(dc, x, y, CRect(0, srcY, std::min(leftCap, width), srcY + height));
    const int middle = rightStart - leftCap;
    for (int at = x + leftCap; middle > 0 && at < middleEnd; at += middle)
        source.Copy(dc, at, y, CRect(leftCap, srcY, leftCap + std::min(middle, middleEnd - at), srcY + height));
    if (rightWidth > 0)
        source.Copy(dc, middleEnd, y, CRect(rightStart, srcY, rightStart + rightWidth, srcY + height));
}

// A border drawn off screen and copied to the frame in one piece: its
// slices repeat down and across the whole window, and each copy straight
// into a window's DC costs far more than one into memory. draw gets the DC
// and the origin to draw at.
template <class Draw> void PaintBorderPiece(HDC dc, const CRect& place, Draw draw)
{
    if (place.Width() <= 0 || place.Height() <= 0)
        return;
    CBitmapDC piece;
    if (!piece.MakeCompatible(dc, place.Width(), place.Height())) {
        draw(dc, place.left, place.top);
        return;
    }
    draw(static_cast<HDC>(piece), 0, 0);
    ::BitBlt(dc, place.left, place.top, place.Width(), place.Height(), piece, 0, 0, SRCCOPY);
}

}

CNcDraw::CNcDraw()
{
    m_metrics = ComputeFrameMetrics(CSize(), CSize(), CSize(), CSize());
}

CNcDraw::~CNcDraw()
{
    if (g_tracked == this)
        g_tracked = nullptr;
}

void CNcDraw::SetSkinFiles(const char* title, const char* left, const char* right, const char* bottom)
{
    if (title && *title)
        m_titleFile = title;
    if (left && *left)
        m_leftFile = left;
    if (right && *right)
        m_rightFile = right;
    if (bottom && *bottom)
        m_bottomFile = bottom;
}

bool CNcDraw::Attach(HWND hwnd, int buttonMode)
{
    m_frameWindow = hwnd;
    const bool loaded = LoadSkin(buttonMode);
    const LONG_PTR style = ::GetWindowLongPtrA(hwnd, GWL_STYLE);
    m_hasMaximise = (style & WS_MAXIMIZEBOX) != 0;
    m_resizable = (style & WS_THICKFRAME) != 0;
    m_hasMinimise = (style & WS_MINIMIZEBOX) != 0;
    ::SetWindowLongPtrA(
        hwnd, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_MAXIMIZEBOX | WS_THICKFRAME | WS_MINIMIZEBOX));
    // The client area takes the whole window from the next size calculation on.
    ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
        SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return loaded;
}

bool CNcDraw::LoadSkin(int buttonMode)
{
    const COLORREF background = RGB(255, 0, 255);
    m_buttonMode = buttonMode;
    bool ok = m_title.Load(SkinPath(m_titleFile).c_str(), background);
    ok = m_left.Load(SkinPath(m_leftFile).c_str(), background) && ok;
    ok = m_right.Load(SkinPath(m_rightFile).c_str(), background) && ok;
    ok = m_bottom.Load(SkinPath(m_bottomFile).c_str(), background) && ok;
    m_metrics
        = ComputeFrameMetrics(ImageSize(m_title), ImageSize(m_left), ImageSize(m_right), ImageSize(m_bottom));

    // Images of another mode loaded before are dropped.
    m_close.Load("", background);
    m_minimise.Load("", background);
    m_maximise.Load("", background);
    m_restore.Load("", background);
    if (buttonMode >= 1 && buttonMode <= 3)
        ok = m_close.Load(SkinPath(m_closeFile).c_str(), background) && ok;
    if (buttonMode == 2 || buttonMode == 3)
        ok = m_minimise.Load(SkinPath(m_minimiseFile).c_str(), background) && ok;
    if (buttonMode == 3) {
        ok = m_maximise.Load(SkinPath(m_maximiseFile).c_str(), background) && ok;
        ok = m_restore.Load(SkinPath(m_restoreFile).c_str(), background) && ok;
    }
    m_buttons = PlaceCaptionButtons(
        buttonMode, ImageSize(m_close), ImageSize(m_minimise), ImageSize(m_maximise), ImageSize(m_restore));

    // A missing piece only leaves the caption-menu buttons without images.
    m_pieceLeft.Attach(LoadImageFromResource(SkinPath(m_pieceLeftFile).c_str(), "PNG"));
    m_pieceMiddle.Attach(LoadImageFromResource(SkinPath(m_pieceMiddleFile).c_str(), "PNG"));
    m_pieceRight.Attach(LoadImageFromResource(SkinPath(m_pieceRightFile).c_str(), "PNG"));

    m_activeTextColour = 0;
    m_inactiveTextColour = 0;
    m_captionX = 0;
    m_captionTop = 0;
    m_transparentColour = RGB(255, 0, 255);
    return ok;
}

void CNcDraw::ShowMaximized()
{
    ::ShowWindow(m_frameWindow, SW_SHOWMAXIMIZED);
}

int CNcDraw::LoadCaptionMenu(UINT menuId)
{
    m_menuButtons.clear();
    m_visibleMenuButtons = 0;
    m_menuId = menuId;
    CMenu menu;
    if (!menu.Load(::GetModuleHandleA(nullptr), menuId))
        return 0;
    const int count = menu.GetItemCount();
    for (int position = 0; position < count; ++position) {
        std::string text = menu.GetItemText(static_cast<UINT>(position), true);
        if (text.size() > kMaxMenuText)
            text.resize(kMaxMenuText);
        const MenuCaption parsed = ParseMenuCaption(text);
        auto button
            = std::make_unique<CSkinButtonItem>(m_frameWindow, m_pieceLeft, m_pieceMiddle, m_pieceRight);
        button->SetCaptions(parsed.caption, parsed.alternate);
        button->SetMnemonic(parsed.mnemonic);
        button->SetId(kFirstCaptionMenuId + position);
        button->BuildFromPieces(nullptr, parsed.caption, false);
        // Hidden until a paint places it.
        button->SetVisible(false);
        m_menuButtons.push_back(std::move(button));
    }
    return static_cast<int>(m_menuButtons.size());
}

LRESULT CNcDraw::OnSysChar(UINT character)
{
    if (character > 0xFF || character == ' ')
        return 0;
    const char upper = static_cast<char>(::toupper(static_cast<unsigned char>(character)));
    for (size_t i = 0; i < m_menuButtons.size(); ++i) {
        const CSkinButtonItem& button = *m_menuButtons[i];
        if (button.IsVisible() && button.GetMnemonic() == upper) {
            m_keyboardOpened = true;
            m_trackingIndex = static_cast<int>(i);
            TrackCaptionMenu(static_cast<int>(i));
            break;
        }
    }
    return 0;
}

// Geometry -------------------------------------------------------------------------

CRect CNcDraw::GetCloseButtonRect() const
{
    return m_buttons.close.InWindow(CWindow(m_frameWindow).GetWindowRect().Width());
}

CRect CNcDraw::GetMinimiseButtonRect() const
{
    return m_buttons.minimise.InWindow(CWindow(m_frameWindow).GetWindowRect().Width());
}

CRect CNcDraw::GetMaximiseButtonRect() const
{
    const int width = CWindow(m_frameWindow).GetWindowRect().Width();
    if (IsMaximised() && !m_restore.IsNull())
        return m_buttons.restore.InWindow(width);
    return m_buttons.maximise.InWindow(width);
}

CRect CNcDraw::GetCaptionMenuRect(int index) const
{
    const CSkinButtonItem* button = GetCaptionMenuButton(index);
    return button && button->IsVisible() ? button->GetRect() : CRect();
}

const CSkinButtonItem* CNcDraw::GetCaptionMenuButton(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_menuButtons.size()))
        return nullptr;
    return m_menuButtons[static_cast<size_t>(index)].get();
}

bool CNcDraw::IsMaximised() const
{
    return ::IsZoomed(m_frameWindow) != FALSE;
}

bool CNcDraw::IsTracking() const
{
    return g_tracked == this;
}

int CNcDraw::HitTest(CPoint point) const
{
    NcHitTestLayout layout;
    const CRect window = CWindow(m_frameWindow).GetWindowRect();
    layout.window = CSize(window.Width(), window.Height());
    layout.titleHeight = m_metrics.titleHeight;
    layout.leftWidth = m_metrics.leftWidth;
    layout.rightWidth = m_metrics.rightWidth;
    layout.bottomHeight = m_metrics.bottomHeight;
    layout.close = GetCloseButtonRect();
    if (m_hasMinimise)
        layout.minimise = GetMinimiseButtonRect();
    if (m_hasMaximise)
        layout.maximise = GetMaximiseButtonRect();
    layout.icon = CRect(m_metrics.leftWidth, kIconTop, m_metrics.leftWidth + ::GetSystemMetrics(SM_CXSMICON),
        kIconTop + ::GetSystemMetrics(SM_CYSMICON));
    for (size_t i = 0; i < m_menuButtons.size(); ++i)
        layout.menuButtons.push_back(GetCaptionMenuRect(static_cast<int>(i)));
    layout.resizable = m_resizable;
    layout.maximised = IsMaximised();
    return NcHitTestCode(layout, point);
}

int CNcDraw::HitTestScreen(LPARAM screenPoint) const
{
    const CRect window = CWindow(m_frameWindow).GetWindowRect();
    return HitTest(CPoint(GET_X_LPARAM(screenPoint) - window.left, GET_Y_LPARAM(screenPoint) - window.top));
}

// Painting -------------------------------------------------------------------------

void CNcDraw::RedrawFrame()
{
    if (!m_frameWindow || !::IsWindowVisible(m_frameWindow))
        return;
    CWindowDC dc(m_frameWindow);
    PaintFrame(dc);
}

void CNcDraw::PaintFrame(HDC dc)
{
    if (!m_frameWindow)
        return;
    const CRect window = CWindow(m_frameWindow).GetWindowRect();
    const CSize size(window.Width(), window.Height());
    PaintBorders(dc, size);
    PaintTitleRow(dc, size);
}

void CNcDraw::PaintBorders(HDC dc, CSize window)
{
    const NcFrameMetrics& m = m_metrics;
    PaintBorderPiece(dc, CRect(0, 0, m.leftWidth, window.cy), [&](HDC target, int x, int y) {
        ThreeSliceDown(target, m_left, 0, m.leftWidth, m.leftTopCap, m.leftBottomCapStart, x, y, window.cy);
    });
    PaintBorderPiece(dc, CRect(window.cx - m.rightWidth, 0, window.cx, window.cy), [&](HDC target, int x, int y) {
        ThreeSliceDown(target, m_right, 0, m.rightWidth, m.rightTopCap, m.rightBottomCapStart, x, y, window.cy);
    });
    const CRect bottom(m.leftWidth, window.cy - m.bottomHeight, window.cx - m.rightWidth, window.cy);
    PaintBorderPiece(dc, bottom, [&](HDC target, int x, int y) {
        ThreeSliceAcross(target, m_bottom, 0, m.bottomHeight, m.bottomLeftCap, m.bottomRightCapStart, x, y,
            bottom.Width());
    });
}

void CNcDraw::PaintTitleRow(HDC dc, CSize window)
{
    const NcFrameMetrics& m = m_metrics;
    const int T = m.titleHeight;
    if (T <= 0 || window.cx <= 0)
        return;
    CMemDC memory(dc);
    CBitmap row(::CreateCompatibleBitmap(dc, window.cx, T));
    if (!memory || row.IsNull())
        return;
    CSelectObject selectRow(memory, row);
    ::SetBkMode(memory, TRANSPARENT);

    ThreeSliceAcross(memory, m_title, 0, T, m.titleLeftCap, m.titleRightCapStart, m.leftWidth, 0,
        window.cx - m.leftWidth - m.rightWidth + 1);
    m_left.Draw(memory, 0, 0, CRect(0, 0, m.leftWidth, std::min(T, m_left.GetHeight())));
    m_right.Draw(
        memory, window.cx - m.rightWidth, 0, CRect(0, 0, m.rightWidth, std::min(T, m_right.GetHeight())));

    m_captionX = m.leftWidth + PaintIcon(memory);
    CRect text(m_captionX, m_captionTop, kCaptionRight, T);
    if (m_captionMenuEnabled) {
        const int end = PaintCaptionMenuButtons(memory, m_captionX, window.cx);
        text.Offset(end, 0);
        if (text.right < window.cx - kMenuRightMargin)
            PaintCaptionText(memory, text);
    } else {
        PaintCaptionText(memory, text);
        PaintCaptionMenuButtons(memory, text.right, window.cx);
    }
    PaintCaptionButtons(memory, window.cx);
    ::BitBlt(dc, 0, 0, window.cx, T, memory, 0, 0, SRCCOPY);
}

int CNcDraw::PaintIcon(HDC dc)
{
    if (!m_showIcon)
        return 0;
    HICON icon = reinterpret_cast<HICON>(::SendMessageA(m_frameWindow, WM_GETICON, ICON_SMALL, 0));
    const int cx = ::GetSystemMetrics(SM_CXSMICON), cy = ::GetSystemMetrics(SM_CYSMICON);
    if (!icon) // shared: the system keeps it
        icon = static_cast<HICON>(::LoadImageA(
            ::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_MAINFRAME), IMAGE_ICON, cx, cy, LR_SHARED));
    if (!icon)
        return 0;
    ::DrawIconEx(dc, m_metrics.leftWidth, kIconTop, icon, cx, cy, 0, nullptr, DI_NORMAL);
    return cx + 2;
}

void CNcDraw::PaintCaptionText(HDC dc, const CRect& area)
{
    if (m_text.empty() && m_frameWindow)
        m_text = CWindow(m_frameWindow).GetWindowText();
    if (m_text.size() > kMaxCaptionText)
        m_text.resize(kMaxCaptionText);
    const std::string& text = m_text.empty() ? std::string(MainWindowTitle) : m_text;
    CSelectObject font(dc, GdiObjectCache::Instance()->GetFont(14, "Arial", FW_BOLD));
    ::SetTextColor(dc, m_captionColour);
    RECT r = area;
    ::DrawTextA(
        dc, text.c_str(), static_cast<int>(text.size()), &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

void CNcDraw::PaintCaptionButtons(HDC dc, int windowWidth)
{
    const auto draw = [&](const CEnBitmap& image, const CaptionButtonPlace& place, int code) {
        const CRect r = place.InWindow(windowWidth);
        if (image.IsNull() || r.IsEmpty())
            return;
        const int frame = m_pressed == code ? 1 : m_hover == code ? 2 : 0;
        image.AlphaDraw(
            dc, r.left, r.top, CRect(frame * place.width, 0, (frame + 1) * place.width, place.height));
    };
    if (m_buttonMode >= 1 && m_buttonMode <= 3)
        draw(m_close, m_buttons.close, HTCLOSE);
    if (m_buttonMode == 2 || m_buttonMode == 3)
        draw(m_minimise, m_buttons.minimise, HTMINBUTTON);
    if (m_buttonMode == 3) {
        if (IsMaximised() && !m_restore.IsNull())
            draw(m_restore, m_buttons.restore, HTMAXBUTTON);
        else
            draw(m_maximise, m_buttons.maximise, HTMAXBUTTON);
    }
}

int CNcDraw::PaintCaptionMenuButtons(HDC dc, int x, int windowWidth)
{
    std::vector<int> widths;
    for (const auto& button : m_menuButtons)
        widths.push_back(button->GetWidth());
    const std::vector<int> placed = PlaceCaptionMenuButtons(x, widths, windowWidth);
    m_visibleMenuButtons = static_cast<int>(placed.size());
    int end = x;
    for (size_t i = 0; i < m_menuButtons.size(); ++i) {
        CSkinButtonItem& button = *m_menuButtons[i];
        const int code = kCaptionMenuHitBase + static_cast<int>(i);
        button.ClearMouseState();
        if (m_pressed == code)
            button.SetMouseState(false, true);
        else if (m_hover == code)
            button.SetMouseState(true, true);
        if (i >= placed.size()) {
            button.SetVisible(false);
            continue;
        }
        button.SetPosition(placed[i], kMenuButtonTop);
        button.SetVisible(true);
        button.Draw(dc);
        end = placed[i] + button.GetWidth();
    }
    return end;
}

// Messages -------------------------------------------------------------------------

LRESULT CNcDraw::OnNcCalcSize(UINT, WPARAM wp, LPARAM lp, BOOL&)
{
    if (wp && m_sizeAdjust) {
        auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(lp);
        RECT& r = params->rgrc[0];
        r.left += m_metrics.leftWidth;
        r.right -= m_metrics.rightWidth;
        r.top += m_metrics.titleHeight;
        r.bottom -= m_metrics.bottomHeight;
        params->rgrc[1] = r;
    }
    return 0;
}

LRESULT CNcDraw::OnNcHitTest(UINT, WPARAM, LPARAM lp, BOOL&)
{
    return HitTestScreen(lp);
}

LRESULT CNcDraw::OnNcPaint(UINT, WPARAM, LPARAM, BOOL&)
{
    RedrawFrame();
    return 0;
}

LRESULT CNcDraw::OnNcActivate(UINT, WPARAM wp, LPARAM, BOOL&)
{
    m_active = wp == 1 || wp == 2;
    return TRUE;
}

LRESULT CNcDraw::OnNcMouseMove(UINT, WPARAM, LPARAM lp, BOOL& handled)
{
    TRACKMOUSEEVENT track = {};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_HOVER | TME_LEAVE | TME_NONCLIENT;
    track.hwndTrack = m_frameWindow;
    track.dwHoverTime = HOVER_DEFAULT;
    ::TrackMouseEvent(&track);
    const int code = HitTestScreen(lp);
    m_hover = code;
    RedrawFrame();
    if ((code >= HTLEFT && code <= HTBOTTOMRIGHT) || (code == HTCAPTION && IsMaximised()))
        handled = FALSE;
    return 0;
}

LRESULT CNcDraw::OnNcLButtonDown(UINT, WPARAM, LPARAM lp, BOOL& handled)
{
    const int code = HitTestScreen(lp);
    m_pressed = m_hover = code;
    if ((code >= HTLEFT && code <= HTBOTTOMRIGHT) || (code == HTCAPTION && !IsMaximised())) {
        RedrawFrame();
        handled = FALSE; // the system sizes or moves the window
        return 0;
    }
    if (code == HTSYSMENU)
        OpenSystemMenu(lp);
    RedrawFrame();
    return 0;
}

LRESULT CNcDraw::OnNcLButtonUp(UINT, WPARAM, LPARAM lp, BOOL&)
{
    const int code = HitTestScreen(lp);
    m_pressed = m_hover = code;
    HWND hwnd = m_frameWindow;
    const int index = code - kCaptionMenuHitBase;
    if (index >= 0 && index < static_cast<int>(m_menuButtons.size())
        && m_menuButtons[static_cast<size_t>(index)]->IsVisible()) {
        m_keyboardOpened = false;
        m_trackingIndex = index;
        TrackCaptionMenu(index);
    } else if (code == HTCLOSE) {
        ::SendMessageA(hwnd, WM_CLOSE, 0, 0);
    } else if (code == HTMINBUTTON) {
        ::ShowWindow(hwnd, SW_MINIMIZE);
    } else if (code == HTMAXBUTTON) {
        ::ShowWindow(hwnd, IsMaximised() ? SW_RESTORE : SW_SHOWMAXIMIZED);
    }
    if (::IsWindow(hwnd))
        RedrawFrame();
    return 0;
}

LRESULT CNcDraw::OnNcLButtonDblClk(UINT, WPARAM, LPARAM lp, BOOL&)
{
    if (HitTestScreen(lp) == HTCAPTION && m_resizable)
        ::ShowWindow(m_frameWindow, IsMaximised() ? SW_RESTORE : SW_SHOWMAXIMIZED);
    m_hover = 0;
    RedrawFrame();
    return 0;
}

LRESULT CNcDraw::OnNcRButtonDown(UINT, WPARAM, LPARAM lp, BOOL& handled)
{
    if (HitTestScreen(lp) != HTCAPTION) {
        handled = FALSE;
        return 0;
    }
    OpenSystemMenu(lp);
    return 0;
}

LRESULT CNcDraw::OnNcRButtonUp(UINT, WPARAM, LPARAM, BOOL&)
{
    return 0;
}

LRESULT CNcDraw::OnNcMouseLeave(UINT, WPARAM, LPARAM, BOOL&)
{
    m_hover = 0;
    RedrawFrame();
    return 0;
}

LRESULT CNcDraw::OnSetText(UINT, WPARAM, LPARAM lp, BOOL&)
{
    // The system's handling would paint its own caption over the skin while
    // the window is visible, so the text is stored with the window hidden
    // from it, and the frame painted again with the new text.
    const LONG_PTR style = ::GetWindowLongPtrA(m_frameWindow, GWL_STYLE);
    const bool visible = (style & WS_VISIBLE) != 0;
    if (visible)
        ::SetWindowLongPtrA(m_frameWindow, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_VISIBLE));
    const LRESULT result = ::DefWindowProcA(m_frameWindow, WM_SETTEXT, 0, lp);
    if (visible)
        ::SetWindowLongPtrA(
            m_frameWindow, GWL_STYLE, ::GetWindowLongPtrA(m_frameWindow, GWL_STYLE) | WS_VISIBLE);
    const char* text = reinterpret_cast<const char*>(lp);
    m_text = text ? std::string(text, strnlen(text, kMaxCaptionText)) : std::string();
    RedrawFrame();
    return result;
}

void CNcDraw::OpenSystemMenu(LPARAM screenPoint)
{
    HMENU menu = ::GetSystemMenu(m_frameWindow, FALSE);
    if (!menu)
        return;
    const int x = GET_X_LPARAM(screenPoint), y = GET_Y_LPARAM(screenPoint);
    const UINT command = static_cast<UINT>(::TrackPopupMenu(
        menu, TPM_LEFTBUTTON | TPM_RETURNCMD, ClampXToWorkArea(x, y), y, 0, m_frameWindow, nullptr));
    if (command)
        ::PostMessageA(m_frameWindow, WM_SYSCOMMAND, command, screenPoint);
}

// Caption menu ---------------------------------------------------------------------

LRESULT CNcDraw::OnItemPressed(UINT, WPARAM wp, LPARAM lp, BOOL&)
{
    if (m_menuButtons.empty())
        return 0;
    const int index = static_cast<int>(wp) - m_menuButtons.front()->GetId();
    if (index < 0 || index >= static_cast<int>(m_menuButtons.size()))
        return 0;
    m_dropDown = nullptr;
    m_loadedMenu.Destroy();
    if (!m_loadedMenu.Load(::GetModuleHandleA(nullptr), m_menuId)) {
        if (IsTracking())
            PostPopupsClosed();
        return 0;
    }
    m_dropDown = m_loadedMenu.GetSubMenu(index);
    const int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
    UINT command = 0;
    if (m_dropDown)
        command = static_cast<UINT>(::TrackPopupMenuEx(
            m_dropDown, TPM_LEFTBUTTON | TPM_RETURNCMD, ClampXToWorkArea(x, y), y, m_frameWindow, nullptr));
    // The drop-down has closed once the call returns, whether or not its
    // pop-up windows were seen going: the loop must not wait for them.
    if (IsTracking() && !m_closedPosted) {
        m_popups.clear();
        m_popupCount = 0;
        PostPopupsClosed();
    }
    // The choice is queued behind the loop's end, so its command runs in the
    // program's own loop: a dialog it opens can then neither swallow the end
    // of this loop nor leave the keyboard outside the program's filters.
    if (command)
        ::PostMessageA(m_frameWindow, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    return 0;
}

LRESULT CNcDraw::OnPopupsClosed(UINT, WPARAM, LPARAM, BOOL&)
{
    // Only another loop dispatches it: the tracking loop takes it itself.
    if (IsTracking())
        m_closedDispatched = true;
    return 0;
}

LRESULT CNcDraw::OnTrackingEnded(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_nextIndex >= 0) {
        const int index = m_nextIndex;
        m_nextIndex = -1;
        m_trackingIndex = index;
        TrackCaptionMenu(index);
    }
    return 0;
}

LRESULT CNcDraw::OnNcDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
{
    // A drop-down owned by a window that goes ends with it, and so does the
    // tracking loop. The owner's own processing of the window's end goes on.
    if (IsTracking())
        ::EndMenu();
    m_frameWindow = nullptr;
    handled = FALSE;
    return 0;
}

void CNcDraw::TrackCaptionMenu(int index)
{
    if (g_tracked || index < 0 || index >= static_cast<int>(m_menuButtons.size())
        || !m_menuButtons[static_cast<size_t>(index)]->IsVisible())
        return;
    HWND frame = m_frameWindow;
    g_tracked = this;
    const DWORD thread = ::GetCurrentThreadId();
    g_cbtHook = ::SetWindowsHookExA(WH_CBT, &CbtHook, nullptr, thread);
    g_keyboardHook = ::SetWindowsHookExA(WH_KEYBOARD, &KeyboardHook, nullptr, thread);
    g_mouseHook = ::SetWindowsHookExA(WH_MOUSE, &MouseHook, nullptr, thread);

    for (auto& button : m_menuButtons)
        button->ShowAlternateCaption(m_keyboardOpened);
    m_popups.clear();
    m_popupCount = 0;
    m_popupClosed = false;
    m_closedPosted = false;
    m_closedDispatched = false;
    m_menuButtons[static_cast<size_t>(index)]->NotifyPress();
    m_pressed = kCaptionMenuHitBase + index;
    RedrawFrame();

    // Not filtered by window: a filtered GetMessage fails for good once the
    // frame is gone, so the loop also watches for that itself.
    MSG msg;
    for (;;) {
        const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got < 0)
            break;
        if (msg.hwnd == frame && msg.message == kFrameCaptionPopupClosed)
            break;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
        if (msg.message == WM_SYSCOMMAND && (msg.wParam & 0xFFF0) == SC_CLOSE) {
            ::PostQuitMessage(0);
            break;
        }
        // The end notice was taken by a modal loop that ran inside a dispatch.
        if (m_closedDispatched)
            break;
        if (!::IsWindow(frame) || m_frameWindow != frame)
            break;
    }

    ::UnhookWindowsHookEx(g_cbtHook);
    ::UnhookWindowsHookEx(g_keyboardHook);
    ::UnhookWindowsHookEx(g_mouseHook);
    g_cbtHook = g_keyboardHook = g_mouseHook = nullptr;
    g_tracked = nullptr;
    if (m_frameWindow != frame || !::IsWindow(frame))
        return;
    m_pressed = 0;
    m_dropDown = nullptr;
    m_loadedMenu.Destroy();
    ::PostMessageA(frame, kFrameCaptionTrackingEnded, 0, 0);
    RedrawFrame();
}

void CNcDraw::PostPopupsClosed()
{
    m_closedPosted = true;
    ::PostMessageA(m_frameWindow, kFrameCaptionPopupClosed, 0, 0);
    for (auto& button : m_menuButtons)
        button->ShowAlternateCaption(false);
    m_pressed = 0;
    RedrawFrame();
}

void CNcDraw::OnPopupCreated(HWND popup)
{
    m_popups.push_back(popup);
    ++m_popupCount;
    m_popupClosed = false;
}

void CNcDraw::OnPopupDestroyed(HWND popup)
{
    auto found = std::find(m_popups.begin(), m_popups.end(), popup);
    if (found == m_popups.end())
        return;
    m_popupClosed = true;
    m_popups.erase(found);
    if (--m_popupCount == 0 && !m_closedPosted)
        PostPopupsClosed();
}

bool CNcDraw::DropDownIsOpen() const
{
    return m_dropDown && ::IsMenu(m_dropDown) && m_popupCount > 0;
}

void CNcDraw::SelectAdjacentMenu(bool next)
{
    if (!IsTracking())
        return;
    // Out of the way, so that the mouse hook does not pick a menu back.
    ::SetCursorPos(-1, -1);
    if (!DropDownIsOpen())
        return;
    if (m_popupClosed) { // the key closed a sub-menu
        m_popupClosed = false;
        return;
    }
    if (next && m_popupCount > 1) // the key opened a sub-menu
        return;
    const int target = next ? NextCaptionMenu(m_trackingIndex, m_visibleMenuButtons)
                            : PreviousCaptionMenu(m_trackingIndex, m_visibleMenuButtons);
    if (target < 0)
        return;
    m_trackingIndex = m_nextIndex = target;
    ::SendMessageA(m_frameWindow, WM_CANCELMODE, 0, 0);
}

void CNcDraw::OnMouseOverCaption(POINT screen)
{
    if (!IsTracking())
        return;
    const CRect window = CWindow(m_frameWindow).GetWindowRect();
    const POINT point = { screen.x - window.left, screen.y - window.top };
    for (size_t i = 0; i < m_menuButtons.size(); ++i) {
        const CSkinButtonItem& button = *m_menuButtons[i];
        if (!button.IsVisible() || !button.HitTest(point))
            continue;
        if (static_cast<int>(i) == m_trackingIndex)
            return;
        m_trackingIndex = m_nextIndex = static_cast<int>(i);
        if (DropDownIsOpen())
            ::SendMessageA(m_frameWindow, WM_CANCELMODE, 0, 0);
        return;
    }
}

LRESULT CALLBACK CNcDraw::CbtHook(int code, WPARAM wp, LPARAM lp)
{
    if (g_tracked && (code == HCBT_CREATEWND || code == HCBT_DESTROYWND)) {
        HWND hwnd = reinterpret_cast<HWND>(wp);
        char name[16] = {};
        if (::GetClassNameA(hwnd, name, sizeof(name)) && strcmp(name, kPopupMenuClass) == 0) {
            if (code == HCBT_CREATEWND)
                g_tracked->OnPopupCreated(hwnd);
            else
                g_tracked->OnPopupDestroyed(hwnd);
        }
    }
    return ::CallNextHookEx(g_cbtHook, code, wp, lp);
}

LRESULT CALLBACK CNcDraw::KeyboardHook(int code, WPARAM wp, LPARAM lp)
{
    // Released and repeating keys (bit 30: the key was down before): the
    // menu's own loop has handled the press already.
    if (g_tracked && code == HC_ACTION && (lp & 0x40000000)) {
        if (wp == VK_LEFT)
            g_tracked->SelectAdjacentMenu(false);
        else if (wp == VK_RIGHT)
            g_tracked->SelectAdjacentMenu(true);
    }
    return ::CallNextHookEx(g_keyboardHook, code, wp, lp);
}

LRESULT CALLBACK CNcDraw::MouseHook(int code, WPARAM wp, LPARAM lp)
{
    if (g_tracked && code == HC_ACTION && (wp == WM_NCMOUSEMOVE || wp == WM_MOUSEMOVE))
        g_tracked->OnMouseOverCaption(reinterpret_cast<const MOUSEHOOKSTRUCT*>(lp)->pt);
    return ::CallNextHookEx(g_mouseHook, code, wp, lp);
}
