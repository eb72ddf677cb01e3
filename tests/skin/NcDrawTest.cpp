// The skinned frame on real windows under Xvfb: styles and client area,
// painting with pixel probes, caption buttons, the maximised caption, the
// caption text, and the caption menu with its loop and hooks.
#include "base/DataPaths.h"
#include "base/PathUtil.h"
#include "base/PngFile.h"
#include "skin/EnBitmap.h"
#include "skin/FrameMessages.h"
#include "skin/NcDraw.h"
#include "tests/support/OffscreenCanvas.h"
#include "tests/support/WindowTesting.h"
#include "tools/skingen/SkinImages.h"
#include "win/Dib32.h"
#include "win/WindowImpl.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr UINT kMainMenu = 126;
const COLORREF kClientColour = RGB(236, 240, 244);
const COLORREF kCaptionRed = RGB(192, 0, 0);

// A top-level window that wears the frame by deriving from it. Its client
// paint keeps clear of the frame, as every owner's does.
class CFramedWindow : public CWindowImpl<CFramedWindow, CWindow, CWinTraits<WS_POPUP>>, public CNcDraw
{
public:
    DECLARE_WND_CLASS_EX("ZentuTestFramedWindow", CS_DBLCLKS, COLOR_WINDOW + 1)

    int closeRequests = 0;
    int trackingEnded = 0;
    std::vector<UINT> commands;
    // Runs for every command after it is recorded.
    std::function<void(UINT)> onCommand;

    BEGIN_MSG_MAP(CFramedWindow)
        MESSAGE_HANDLER(WM_CLOSE, OnClose)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(kFrameCaptionTrackingEnded, OnTrackingEnded)
        COMMAND_RANGE_HANDLER(1, 0xFFFF, OnCommand)
        CHAIN_MSG_MAP(CNcDraw)
    END_MSG_MAP()

    // Popup style plus the boxes the frame takes over (no caption: a
    // captioned window waits for a window manager when it goes).
    bool Open(const CRect& rect, const char* text, int mode, DWORD boxes, bool captionMenu)
    {
        if (!Create(nullptr, rect, text, WS_POPUP | WS_SYSMENU | boxes))
            return false;
        CNcDraw::Attach(m_hWnd, mode);
        SetCaptionTextColor(kCaptionRed);
        EnableCaptionMenu(captionMenu);
        if (captionMenu && LoadCaptionMenu(kMainMenu) <= 0)
            return false;
        ShowWithoutActivating(m_hWnd);
        // Lays out the caption-menu buttons now rather than at the first paint.
        RedrawWindow(nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
        OffscreenCanvas canvas(rect.Width(), rect.Height());
        PaintFrame(canvas.Dc());
        return true;
    }
    ~CFramedWindow()
    {
        if (IsWindow())
            DestroyWindow();
    }

    CRect Inner() const
    {
        const NcFrameMetrics& m = GetMetrics();
        CRect r = GetClientRect();
        r.Deflate(m.leftWidth, m.titleHeight, m.rightWidth, m.bottomHeight);
        return r;
    }
    // A window point in screen coordinates, as the mouse messages carry it.
    LPARAM ScreenPoint(CPoint windowPoint) const
    {
        const CRect w = GetWindowRect();
        return MAKELPARAM(w.left + windowPoint.x, w.top + windowPoint.y);
    }

private:
    LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&)
    {
        ++closeRequests;
        return 0;
    }
    LRESULT OnEraseBackground(UINT, WPARAM wp, LPARAM, BOOL&)
    {
        HBRUSH brush = ::CreateSolidBrush(kClientColour);
        const CRect inner = Inner();
        ::FillRect(reinterpret_cast<HDC>(wp), &inner, brush);
        ::DeleteObject(brush);
        return 1;
    }
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&)
    {
        PAINTSTRUCT paint;
        ::BeginPaint(m_hWnd, &paint);
        ::EndPaint(m_hWnd, &paint);
        return 0;
    }
    LRESULT OnTrackingEnded(UINT, WPARAM, LPARAM, BOOL& handled)
    {
        ++trackingEnded;
        handled = FALSE; // the frame opens the next menu
        return 0;
    }
    LRESULT OnCommand(WORD, WORD id, HWND, BOOL&)
    {
        commands.push_back(id);
        if (onCommand)
            onCommand(id);
        return 0;
    }
};

COLORREF ImagePixel(const char* file, int x, int y)
{
    CEnBitmap image;
    if (!image.Load(DataPaths::Instance()->GetSkinFile(file).c_str(), RGB(255, 0, 255)))
        return CLR_INVALID;
    CMemDC dc;
    CSelectObject select(dc, image.GetBitmap());
    return ::GetPixel(dc, x, y);
}

// Renders the frame of a window into a canvas of its size.
void RenderFrame(CNcDraw& frame, OffscreenCanvas& canvas)
{
    canvas.Fill(RGB(1, 2, 3));
    frame.PaintFrame(canvas.Dc());
}

int CountCaptionRed(const OffscreenCanvas& canvas, const RECT& area)
{
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) {
            const COLORREF c = canvas.Pixel(x, y);
            count += GetRValue(c) > 140 && GetGValue(c) < 70 && GetBValue(c) < 70;
        }
    return count;
}

// What the screen shows over a rectangle, saved beside the test program.
std::string SaveScreenArea(const CRect& area, const std::string& name)
{
    CDib32 image;
    if (!image.Create(area.Width(), area.Height()))
        return std::string();
    HDC screen = ::GetDC(nullptr);
    image.CopyFrom(screen, area.left, area.top);
    ::ReleaseDC(nullptr, screen);
    const std::string dir = GetModuleDirectory() + "test-output";
    ::CreateDirectoryA(dir.c_str(), nullptr);
    const std::string path = dir + "\\" + name + ".png";
    return SavePixelsAsPng(image.Row(0), image.Width(), image.Height(), false, path) ? path : std::string();
}

// Steps run from a thread timer, which every modal loop dispatches (the
// caption menu's own and the system's menu loop alike). Each tick runs the
// current step; a step returns true when it is done. After the time-out the
// menu is ended, so that a failing test cannot hang in a menu loop.
class MenuScript
{
public:
    using Step = std::function<bool()>;
    explicit MenuScript(std::vector<Step> steps, DWORD timeoutMs = 4000)
        : m_steps(std::move(steps))
        , m_timeout(timeoutMs)
        , m_start(::GetTickCount())
    {
        s_current = this;
        m_timer = ::SetTimer(nullptr, 0, 30, &Tick);
    }
    ~MenuScript()
    {
        ::KillTimer(nullptr, m_timer);
        s_current = nullptr;
    }
    bool Finished() const { return m_next >= m_steps.size(); }
    bool TimedOut() const { return m_timedOut; }
    size_t StepsDone() const { return m_next; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        MenuScript* self = s_current;
        if (!self || self->m_running)
            return;
        self->m_running = true;
        if (::GetTickCount() - self->m_start > self->m_timeout) {
            self->m_timedOut = true;
            ::EndMenu();
        } else if (!self->Finished() && self->m_steps[self->m_next]()) {
            ++self->m_next;
        }
        self->m_running = false;
    }

    static MenuScript* s_current;
    std::vector<Step> m_steps;
    size_t m_next = 0;
    DWORD m_timeout;
    DWORD m_start;
    UINT_PTR m_timer = 0;
    bool m_running = false;
    bool m_timedOut = false;
};
MenuScript* MenuScript::s_current = nullptr;

// A key pressed and released on the keyboard: keyboard hooks hear only what
// comes through the input queue.
void PressKey(WORD key, DWORD flags = KEYEVENTF_EXTENDEDKEY)
{
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = key;
    keys[0].ki.dwFlags = flags;
    keys[1].ki.dwFlags = flags | KEYEVENTF_KEYUP;
    EXPECT_EQ(::SendInput(2, keys, sizeof(INPUT)), 2u);
}

CPoint Centre(const CRect& r)
{
    return r.CenterPoint();
}

} // namespace

TEST(NcDraw, AttachTakesTheBoxesAndTheClientCoversTheWindow)
{
    CFramedWindow window;
    ASSERT_TRUE(window.Open(
        CRect(30, 30, 530, 380), "框架", 3, WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, false));
    EXPECT_EQ(window.GetStyle() & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u);
    EXPECT_EQ(window.GetClientRect().Size(), window.GetWindowRect().Size());
    // The metrics are those of the generated images.
    EXPECT_EQ(window.GetMetrics().titleHeight, kTitleHeight);
    EXPECT_EQ(window.GetMetrics().leftWidth, kBorderWidth);
    EXPECT_EQ(window.GetMetrics().bottomHeight, kBottomBorderHeight);
    EXPECT_EQ(window.GetCloseButtonRect(),
        CRect(500 - 37, 6, 500 - 37 + kCaptionButtonWidth, 6 + kCaptionButtonHeight));
    EXPECT_EQ(window.GetMaximiseButtonRect().right, window.GetCloseButtonRect().left);
    EXPECT_EQ(window.GetMinimiseButtonRect().right, window.GetMaximiseButtonRect().left);

    // The system asks the frame what the mouse is over.
    const CRect w = window.GetWindowRect();
    const struct
    {
        CPoint at;
        int code;
    } cases[] = {
        { Centre(window.GetCloseButtonRect()), HTCLOSE },
        { Centre(window.GetMaximiseButtonRect()), HTMAXBUTTON },
        { Centre(window.GetMinimiseButtonRect()), HTMINBUTTON },
        { CPoint(10, 10), HTSYSMENU },
        { CPoint(200, 15), HTCAPTION },
        { CPoint(0, 0), HTTOPLEFT },
        { CPoint(499, 349), HTBOTTOMRIGHT },
        { CPoint(200, 200), HTCLIENT },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(window.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(w.left + c.at.x, w.top + c.at.y)), c.code);
    }
}

TEST(NcDraw, PaintsBordersTitleIconCaptionAndButtonStates)
{
    CFramedWindow window;
    const int W = 500, H = 350;
    ASSERT_TRUE(window.Open(CRect(30, 30, 30 + W, 30 + H), "行情框架", 3,
        WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, false));
    OffscreenCanvas canvas(W, H);
    RenderFrame(window, canvas);
    const int L = kBorderWidth, R = kBorderWidth, B = kBottomBorderHeight;
    // Side borders: the top cap once, then the middle rows [29, h - 8) repeated.
    const int middle = kBorderImageHeight - 8 - 29;
    EXPECT_EQ(canvas.Pixel(1, 100), ImagePixel("wndborderleft.bmp", 1, 29 + (100 - 29) % middle));
    EXPECT_EQ(canvas.Pixel(1, H - 3), ImagePixel("wndborderleft.bmp", 1, kBorderImageHeight - 3));
    EXPECT_EQ(canvas.Pixel(W - 2, 200), ImagePixel("wndborderright.bmp", R - 2, 29 + (200 - 29) % middle));
    // Bottom border between the sides, first variant.
    EXPECT_EQ(canvas.Pixel(L + 5, H - 2), ImagePixel("wndborderbottom.bmp", 5 % kBottomImageWidth, B - 2));
    // Title row: left cap at x L, the middle repeated, the right cap ending one pixel into the right border's
    // place.
    EXPECT_EQ(canvas.Pixel(L + 30, 2), ImagePixel("wndtitle.bmp", 30, 2));
    EXPECT_EQ(
        canvas.Pixel(L + 175, 2), ImagePixel("wndtitle.bmp", 40 + (175 - 40) % (kTitleImageWidth - 100), 2));
    const int rightCapX = L + (W - L - R + 1) - 60;
    EXPECT_EQ(canvas.Pixel(rightCapX + 20, 2), ImagePixel("wndtitle.bmp", kTitleImageWidth - 60 + 20, 2));
    // The title row's sides show the tops of the side borders.
    EXPECT_EQ(canvas.Pixel(1, 10), ImagePixel("wndborderleft.bmp", 1, 10));
    // Nothing is painted inside the frame.
    EXPECT_EQ(canvas.Pixel(W / 2, H / 2), RGB(1, 2, 3));

    // The program's icon at (L, 5) covers the title there.
    int iconDiffers = 0;
    for (int y = 5; y < 21; ++y)
        for (int x = L; x < L + 16; ++x)
            iconDiffers += canvas.Pixel(x, y) != ImagePixel("wndtitle.bmp", x - L, y);
    EXPECT_GT(iconDiffers, 40);
    // The caption in red from the icon's right to x 300.
    EXPECT_GT(CountCaptionRed(canvas, CRect(L + 18, 0, 300, kTitleHeight)), 20);
    EXPECT_EQ(
        CountCaptionRed(canvas, CRect(300, 0, window.GetMinimiseButtonRect().left, kTitleHeight - 4)), 0);

    // Close: frame 0 normal, 2 under the mouse, 1 pressed.
    const CPoint close = Centre(window.GetCloseButtonRect());
    const COLORREF normal = canvas.Pixel(close.x, close.y - 4);
    window.SendMessage(WM_NCMOUSEMOVE, HTCLOSE, window.ScreenPoint(close));
    RenderFrame(window, canvas);
    const COLORREF hover = canvas.Pixel(close.x, close.y - 4);
    window.SendMessage(WM_NCLBUTTONDOWN, HTCLOSE, window.ScreenPoint(close));
    RenderFrame(window, canvas);
    const COLORREF pressed = canvas.Pixel(close.x, close.y - 4);
    EXPECT_NE(normal, hover);
    EXPECT_NE(normal, pressed);
    EXPECT_NE(hover, pressed);
    // Leaving keeps the press until a release elsewhere.
    window.SendMessage(WM_NCMOUSELEAVE);
    RenderFrame(window, canvas);
    EXPECT_EQ(canvas.Pixel(close.x, close.y - 4), pressed);
    window.SendMessage(WM_NCLBUTTONUP, HTCAPTION, window.ScreenPoint(CPoint(200, 15)));
    window.SendMessage(WM_NCMOUSELEAVE);
    RenderFrame(window, canvas);
    EXPECT_EQ(canvas.Pixel(close.x, close.y - 4), normal);
    EXPECT_EQ(window.closeRequests, 0);

    // What the screen shows matches.
    const std::string shot = SaveWindowScreenshot(window, "nc_frame");
    EXPECT_FALSE(shot.empty());
}

TEST(NcDraw, AClickOnCloseSendsClose)
{
    CFramedWindow window;
    ASSERT_TRUE(window.Open(CRect(60, 60, 460, 300), "关闭", 2, WS_MINIMIZEBOX, false));
    ASSERT_TRUE(ClickAtWindowPoint(window, Centre(window.GetCloseButtonRect())));
    EXPECT_TRUE(PumpUntil([&] { return window.closeRequests > 0; }, 3000));
    EXPECT_EQ(window.closeRequests, 1);
    EXPECT_TRUE(window.IsWindow()); // closing is the owner's business
}

TEST(NcDraw, MaximisedCaptionNeitherSizesNorMovesAndADoubleClickRestores)
{
    CFramedWindow window;
    ASSERT_TRUE(window.Open(
        CRect(50, 50, 450, 350), "最大化", 3, WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, false));
    window.ShowMaximized();
    ASSERT_TRUE(window.IsZoomed());
    const CRect w = window.GetWindowRect();
    EXPECT_EQ(window.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(w.left, w.top)), HTCLIENT);
    EXPECT_EQ(window.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(w.right - 1, w.bottom - 1)), HTCLIENT);
    const LPARAM caption = MAKELPARAM(w.left + 200, w.top + 15);
    ASSERT_EQ(window.SendMessage(WM_NCHITTEST, 0, caption), HTCAPTION);
    // Swallowed: the system's move loop would not return before a button release.
    EXPECT_EQ(window.SendMessage(WM_NCLBUTTONDOWN, HTCAPTION, caption), 0);
    EXPECT_TRUE(window.IsZoomed());

    window.SendMessage(WM_NCLBUTTONDBLCLK, HTCAPTION, caption);
    EXPECT_FALSE(window.IsZoomed());
    EXPECT_EQ(window.GetWindowRect(), CRect(50, 50, 450, 350));
    // Not maximised, the double click maximises again.
    window.SendMessage(WM_NCLBUTTONDBLCLK, HTCAPTION, window.ScreenPoint(CPoint(200, 15)));
    EXPECT_TRUE(window.IsZoomed());
    window.ShowWindow(SW_RESTORE);
}

TEST(NcDraw, CaptionButtonsMaximiseAndRestoreAndAFixedWindowStaysAsItIs)
{
    CFramedWindow window;
    ASSERT_TRUE(window.Open(
        CRect(50, 50, 450, 350), "按钮", 3, WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, false));
    const LPARAM maximise = window.ScreenPoint(Centre(window.GetMaximiseButtonRect()));
    window.SendMessage(WM_NCLBUTTONUP, HTMAXBUTTON, maximise);
    EXPECT_TRUE(window.IsZoomed());
    window.SendMessage(
        WM_NCLBUTTONUP, HTMAXBUTTON, window.ScreenPoint(Centre(window.GetMaximiseButtonRect())));
    EXPECT_FALSE(window.IsZoomed());

    CFramedWindow fixed;
    ASSERT_TRUE(fixed.Open(CRect(50, 50, 450, 350), "固定", 2, WS_MINIMIZEBOX, false));
    fixed.SendMessage(WM_NCLBUTTONDBLCLK, HTCAPTION, fixed.ScreenPoint(CPoint(200, 15)));
    EXPECT_FALSE(fixed.IsZoomed());
    EXPECT_EQ(fixed.SendMessage(WM_NCHITTEST, 0, fixed.ScreenPoint(CPoint(0, 0))), HTCLIENT);
    EXPECT_EQ(fixed.SendMessage(WM_NCHITTEST, 0, fixed.ScreenPoint(CPoint(200, 15))), HTCAPTION);
}

TEST(NcDraw, SetTextRefreshesTheCaption)
{
    CFramedWindow window;
    ASSERT_TRUE(window.Open(CRect(40, 40, 540, 300), "旧标题", 1, 0, false));
    OffscreenCanvas before(500, 260);
    RenderFrame(window, before);
    EXPECT_EQ(window.GetCaptionText(), "旧标题");
    window.SetWindowText("新的标题文字更长一些");
    EXPECT_EQ(window.GetWindowText(), "新的标题文字更长一些");
    EXPECT_EQ(window.GetCaptionText(), "新的标题文字更长一些");
    OffscreenCanvas after(500, 260);
    RenderFrame(window, after);
    EXPECT_GT(CountCaptionRed(after, CRect(0, 0, 300, kTitleHeight)),
        CountCaptionRed(before, CRect(0, 0, 300, kTitleHeight)));

    // A window without text shows the product's title.
    window.SetWindowText("");
    OffscreenCanvas untitled(500, 260);
    RenderFrame(window, untitled);
    EXPECT_GT(CountCaptionRed(untitled, CRect(0, 0, 300, kTitleHeight)), 20);
}

TEST(NcDraw, CaptionMenuButtonsComeFromTheMenuAndHideNearTheRightEdge)
{
    CFramedWindow wide;
    ASSERT_TRUE(
        wide.Open(CRect(0, 0, 1000, 300), "菜单", 3, WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, true));
    ASSERT_EQ(wide.GetCaptionMenuCount(), 10);
    EXPECT_EQ(wide.GetVisibleCaptionMenuCount(), 10);
    const CSkinButtonItem* first = wide.GetCaptionMenuButton(0);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->GetCaption(), "系统(S)");
    EXPECT_EQ(first->GetMnemonic(), 'S');
    EXPECT_EQ(first->GetId(), CNcDraw::kFirstCaptionMenuId);
    EXPECT_EQ(wide.GetCaptionMenuButton(9)->GetId(), CNcDraw::kFirstCaptionMenuId + 9);
    EXPECT_EQ(wide.GetCaptionMenuButton(5)->GetMnemonic(), 'P');
    // In a row from the caption's start at y 4, touching.
    const CRect r0 = wide.GetCaptionMenuRect(0), r1 = wide.GetCaptionMenuRect(1);
    EXPECT_EQ(r0.top, 4);
    EXPECT_EQ(r0.left, kBorderWidth + 16 + 2);
    EXPECT_EQ(r1.left, r0.right);
    EXPECT_EQ(wide.SendMessage(WM_NCHITTEST, 0, wide.ScreenPoint(Centre(r1))), 1001);

    CFramedWindow narrow;
    ASSERT_TRUE(
        narrow.Open(CRect(0, 320, 450, 500), "窄", 3, WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, true));
    const int visible = narrow.GetVisibleCaptionMenuCount();
    EXPECT_GT(visible, 0);
    EXPECT_LT(visible, 10);
    EXPECT_LE(narrow.GetCaptionMenuRect(visible - 1).right, 450 - 150);
    EXPECT_TRUE(narrow.GetCaptionMenuRect(visible).IsEmpty());
    EXPECT_NE(narrow.SendMessage(
                  WM_NCHITTEST, 0, narrow.ScreenPoint(CPoint(wide.GetCaptionMenuRect(visible).left + 2, 10))),
        1000 + visible);
    // A mnemonic of no button, and one of a hidden button, open nothing.
    EXPECT_EQ(narrow.OnSysChar('Z'), 0);
    EXPECT_EQ(narrow.OnSysChar('h'), 0);
    EXPECT_FALSE(narrow.IsTracking());
    EXPECT_EQ(narrow.GetTrackingIndex(), -1);
}

TEST(NcDraw, CaptionMenuOpensFromAClickAndItsLoopEndsWithIt)
{
    CFramedWindow window;
    ASSERT_TRUE(window.Open(
        CRect(20, 20, 1000, 500), "菜单", 3, WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, true));
    const CRect button = window.GetCaptionMenuRect(2);
    bool sawTracking = false;
    int popups = 0;
    HWND menuWindow = nullptr;
    MenuScript script({
        [&] {
            if (window.GetOpenPopupCount() == 0)
                return false;
            sawTracking = window.IsTracking();
            popups = window.GetOpenPopupCount();
            menuWindow = ::FindWindowA("#32768", nullptr);
            const CRect shot(window.GetWindowRect().left, window.GetWindowRect().top,
                window.GetWindowRect().left + 600, window.GetWindowRect().top + 400);
            EXPECT_FALSE(SaveScreenArea(shot, "nc_caption_menu").empty());
            return true;
        },
        [&] {
            ::EndMenu();
            return true;
        },
    });
    window.PostMessage(WM_NCLBUTTONUP, 1002, window.ScreenPoint(Centre(button)));
    EXPECT_TRUE(PumpUntil([&] { return window.trackingEnded > 0; }, 6000));
    EXPECT_FALSE(script.TimedOut());
    EXPECT_TRUE(sawTracking);
    EXPECT_EQ(popups, 1);
    EXPECT_TRUE(menuWindow);
    EXPECT_EQ(window.GetTrackingIndex(), 2);
    EXPECT_FALSE(window.IsTracking());
    EXPECT_EQ(window.trackingEnded, 1);
    EXPECT_EQ(window.GetOpenPopupCount(), 0);
}

TEST(NcDraw, RightKeyMovesToTheNextCaptionMenu)
{
    CFramedWindow window;
    ASSERT_TRUE(window.Open(
        CRect(20, 20, 1000, 500), "菜单", 3, WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, true));
    // The keyboard reaches the thread of the foreground window, as it does
    // when a user opens the menu.
    ASSERT_TRUE(::SetForegroundWindow(window));
    std::vector<int> opened;
    MenuScript script({
        [&] {
            if (window.GetOpenPopupCount() == 0)
                return false;
            opened.push_back(window.GetTrackingIndex());
            PressKey(VK_RIGHT);
            return true;
        },
        [&] {
            if (window.GetOpenPopupCount() == 0 || window.GetTrackingIndex() != 1)
                return false;
            opened.push_back(window.GetTrackingIndex());
            ::EndMenu();
            return true;
        },
    });
    window.PostMessage(WM_NCLBUTTONUP, 1000, window.ScreenPoint(Centre(window.GetCaptionMenuRect(0))));
    EXPECT_TRUE(PumpUntil(
        [&] { return script.Finished() && !window.IsTracking() && window.trackingEnded >= 2; }, 8000));
    EXPECT_FALSE(script.TimedOut());
    EXPECT_EQ(opened, (std::vector<int> { 0, 1 }));
    EXPECT_EQ(window.trackingEnded, 2);
}

TEST(NcDraw, AMnemonicOpensItsMenuFromTheKeyboard)
{
    CFramedWindow window;
    ASSERT_TRUE(window.Open(
        CRect(20, 20, 1000, 500), "菜单", 3, WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, true));
    int opened = -1;
    MenuScript script({
        [&] {
            if (window.GetOpenPopupCount() == 0)
                return false;
            opened = window.GetTrackingIndex();
            ::EndMenu();
            return true;
        },
    });
    window.OnSysChar('r'); // "报价(&R)"
    EXPECT_TRUE(script.Finished());
    EXPECT_FALSE(script.TimedOut());
    EXPECT_EQ(opened, 1);
    EXPECT_FALSE(window.IsTracking());
}

TEST(NcDraw, CaptionMenuLoopEndsWhenTheFrameIsDestroyed)
{
    CFramedWindow window;
    ASSERT_TRUE(window.Open(
        CRect(20, 20, 1000, 500), "菜单", 3, WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, true));
    HWND hwnd = window;
    MenuScript script({
        [&] {
            if (window.GetOpenPopupCount() == 0)
                return false;
            ::DestroyWindow(hwnd);
            return true;
        },
    });
    window.PostMessage(WM_NCLBUTTONUP, 1000, window.ScreenPoint(Centre(window.GetCaptionMenuRect(0))));
    EXPECT_TRUE(PumpUntil([&] { return script.Finished() && !::IsWindow(hwnd); }, 6000));
    PumpPendingMessages();
    EXPECT_FALSE(script.TimedOut());
    EXPECT_FALSE(window.IsTracking());
    EXPECT_FALSE(::IsWindow(hwnd));
}

TEST(NcDraw, LeftFromTheFirstMenuWrapsAndTheMouseSwitchesMenus)
{
    CFramedWindow window;
    ASSERT_TRUE(window.Open(
        CRect(20, 20, 1000, 500), "菜单", 3, WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, true));
    ASSERT_TRUE(::SetForegroundWindow(window));
    const int last = window.GetVisibleCaptionMenuCount() - 1;
    ASSERT_GT(last, 2);
    const CRect w = window.GetWindowRect();
    std::vector<int> opened;
    MenuScript script({
        [&] {
            if (window.GetOpenPopupCount() == 0)
                return false;
            opened.push_back(window.GetTrackingIndex());
            PressKey(VK_LEFT);
            return true;
        },
        [&] {
            if (window.GetOpenPopupCount() == 0 || window.GetTrackingIndex() != last)
                return false;
            opened.push_back(window.GetTrackingIndex());
            // The pointer moves over the third caption-menu button.
            const CPoint over = Centre(window.GetCaptionMenuRect(2));
            INPUT move = {};
            move.type = INPUT_MOUSE;
            move.mi.dx = (w.left + over.x) * 65536 / ::GetSystemMetrics(SM_CXSCREEN);
            move.mi.dy = (w.top + over.y) * 65536 / ::GetSystemMetrics(SM_CYSCREEN);
            move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
            EXPECT_EQ(::SendInput(1, &move, sizeof(INPUT)), 1u);
            return true;
        },
        [&] {
            if (window.GetOpenPopupCount() == 0 || window.GetTrackingIndex() != 2)
                return false;
            opened.push_back(window.GetTrackingIndex());
            ::EndMenu();
            return true;
        },
    });
    window.PostMessage(WM_NCLBUTTONUP, 1000, window.ScreenPoint(Centre(window.GetCaptionMenuRect(0))));
    EXPECT_TRUE(PumpUntil(
        [&] { return script.Finished() && !window.IsTracking() && window.trackingEnded >= 3; }, 8000));
    EXPECT_FALSE(script.TimedOut());
    EXPECT_EQ(opened, (std::vector<int> { 0, last, 2 }));
    EXPECT_EQ(window.trackingEnded, 3);
}

TEST(NcDraw, ClosingFromTheSystemMenuDuringTheCaptionMenuEndsTheProgramLoopToo)
{
    CFramedWindow window;
    ASSERT_TRUE(window.Open(
        CRect(20, 20, 1000, 500), "菜单", 3, WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, true));
    MenuScript script({
        [&] {
            if (window.GetOpenPopupCount() == 0)
                return false;
            // Queued before the drop-down's closing notice.
            ::EndMenu();
            window.PostMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
            return true;
        },
    });
    window.PostMessage(WM_NCLBUTTONUP, 1000, window.ScreenPoint(Centre(window.GetCaptionMenuRect(0))));
    MSG msg = {};
    bool quit = false;
    const DWORD start = ::GetTickCount();
    while (!quit && ::GetTickCount() - start < 6000) {
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                break;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    EXPECT_TRUE(quit);
    EXPECT_FALSE(script.TimedOut());
    EXPECT_EQ(window.closeRequests, 1);
    EXPECT_FALSE(window.IsTracking());
}

TEST(NcDraw, RightOnAnItemWithASubMenuOpensItAndStaysInTheCaptionMenu)
{
    CFramedWindow window;
    ASSERT_TRUE(window.Open(
        CRect(20, 20, 1000, 500), "菜单", 3, WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, true));
    ASSERT_TRUE(::SetForegroundWindow(window));
    int subMenuOpen = 0;
    DWORD seen = 0;
    MenuScript script({
        [&] {
            if (window.GetOpenPopupCount() == 0)
                return false;
            // Up selects the last item of the third menu, a sub-menu; Right opens it.
            PressKey(VK_UP);
            PressKey(VK_RIGHT);
            return true;
        },
        [&] {
            if (window.GetOpenPopupCount() < 2)
                return false;
            subMenuOpen = window.GetOpenPopupCount();
            seen = ::GetTickCount();
            return true;
        },
        [&] {
            if (::GetTickCount() - seen < 200) // the release has long been handled
                return false;
            EXPECT_EQ(window.GetTrackingIndex(), 2);
            EXPECT_EQ(window.GetOpenPopupCount(), 2);
            ::EndMenu();
            return true;
        },
    });
    window.PostMessage(WM_NCLBUTTONUP, 1002, window.ScreenPoint(Centre(window.GetCaptionMenuRect(2))));
    EXPECT_TRUE(PumpUntil(
        [&] { return script.Finished() && !window.IsTracking() && window.trackingEnded >= 1; }, 8000));
    PumpPendingMessages();
    EXPECT_FALSE(script.TimedOut());
    EXPECT_EQ(subMenuOpen, 2);
    EXPECT_EQ(window.trackingEnded, 1);
    EXPECT_EQ(window.GetTrackingIndex(), 2);
}

TEST(NcDraw, AnItemThatOpensADialogLeavesTheCaptionMenuEndedAndTheKeyboardToTheProgram)
{
    CFramedWindow window;
    ASSERT_TRUE(window.Open(
        CRect(20, 20, 1000, 500), "菜单", 3, WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, true));
    ASSERT_TRUE(::SetForegroundWindow(window));
    // The item's command runs a modal loop of its own, as a dialog does: it
    // dispatches whatever the thread's queue holds.
    bool trackingDuringCommand = true;
    window.onCommand = [&](UINT) {
        trackingDuringCommand = window.IsTracking();
        const DWORD start = ::GetTickCount();
        while (::GetTickCount() - start < 300) {
            MSG msg;
            while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
    };
    bool loopEnded = false;
    DWORD chosen = 0;
    MenuScript script({
        [&] {
            if (window.GetOpenPopupCount() == 0)
                return false;
            // The first item of "系统": Down selects it, Enter chooses it.
            PressKey(VK_DOWN, 0);
            PressKey(VK_RETURN, 0);
            chosen = ::GetTickCount();
            return true;
        },
        [&] {
            if (window.IsTracking() && ::GetTickCount() - chosen < 3000)
                return false;
            loopEnded = !window.IsTracking();
            // A loop that missed its end is let go, so that the test goes on.
            if (!loopEnded)
                window.PostMessage(kFrameCaptionPopupClosed);
            return true;
        },
    });
    EXPECT_EQ(window.OnSysChar('s'), 0); // "系统(&S)"
    EXPECT_TRUE(PumpUntil([&] { return script.Finished() && !window.IsTracking(); }, 8000));
    PumpPendingMessages();
    EXPECT_FALSE(script.TimedOut());
    EXPECT_EQ(window.commands, std::vector<UINT> { 32775 });
    EXPECT_FALSE(trackingDuringCommand) << "the command runs in the program's loop, where its filters act";
    EXPECT_TRUE(loopEnded);
    EXPECT_EQ(window.trackingEnded, 1);

    // The caption menu opens again from the keyboard.
    int reopened = -1;
    MenuScript again({
        [&] {
            if (window.GetOpenPopupCount() == 0)
                return false;
            reopened = window.GetTrackingIndex();
            ::EndMenu();
            return true;
        },
    });
    window.OnSysChar('r');
    EXPECT_TRUE(again.Finished());
    EXPECT_EQ(reopened, 1);
    EXPECT_FALSE(window.IsTracking());
}
