// Fade-state buttons, image buttons, check buttons, dark command buttons and
// the image static on real windows: the frame each state paints, the fade
// timer, double clicks, check strips, built strips, and GDI objects over
// many create/destroy cycles.
#include "base/DataPaths.h"
#include "base/ImageUtil.h"
#include "skin/SkinDarkCommandButtonCtrl.h"
#include "skin/SkinFadeStateButtonCtrl.h"
#include "skin/SkinImgButton.h"
#include "skin/SkinImgStatic.h"
#include "skin/StripBuilder.h"
#include "tests/support/ControlTesting.h"
#include "tests/support/GdiCount.h"
#include "tests/support/WindowTesting.h"
#include "win/Dib32.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>

namespace {

const uint32_t kFrameColours[4] = { 0xFF404040, 0xFF0000C0, 0xFF00C000, 0xFFC0C000 };

COLORREF FrameColour(int frame)
{
    const uint32_t argb = kFrameColours[frame];
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

// The notification codes of the commands the parent received.
std::vector<WORD> Notifications(const CColourParent& parent)
{
    std::vector<WORD> codes;
    for (const CColourParent::Received& r : parent.received)
        codes.push_back(HIWORD(r.wParam));
    return codes;
}

HWND MakeButton(HWND parent, DWORD type, const char* text = "", int id = 100)
{
    return ::CreateWindowExA(0, "BUTTON", text, WS_CHILD | WS_VISIBLE | type, 10, 10, 60, 24, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr), nullptr);
}

COLORREF RenderedCentre(HWND hwnd)
{
    CDib32 image;
    if (!RenderClient(hwnd, image))
        return CLR_INVALID;
    return image.GetColor(image.Width() / 2, image.Height() / 2);
}

DWORD g_now = 1000;
DWORD WINAPI TestClock()
{
    return g_now;
}

}

TEST(FadeStateButton, EachStatePaintsItsFrameIntoAMemoryDc)
{
    CColourParent parent; // never shown: every state change is instant
    ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 200, 100)));
    CSkinFadeStateButtonCtrl button;
    ASSERT_TRUE(button.Subclass(MakeButton(parent, BS_PUSHBUTTON)));
    button.SetBitmap(SolidStrip(20, 10, kFrameColours));

    EXPECT_EQ(RenderedCentre(button), FrameColour(1)) << "normal";
    button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(RenderedCentre(button), FrameColour(2)) << "hover";
    button.SendMessage(BM_SETSTATE, TRUE);
    EXPECT_EQ(RenderedCentre(button), FrameColour(3)) << "pushed";
    button.SendMessage(BM_SETSTATE, FALSE);
    button.SendMessage(WM_MOUSELEAVE);
    EXPECT_EQ(RenderedCentre(button), FrameColour(1)) << "left";
    button.EnableWindow(FALSE);
    EXPECT_EQ(RenderedCentre(button), FrameColour(0)) << "disabled";
    EXPECT_FALSE(button.IsFadeTimerRunning());
    parent.DestroyWindow();
}

TEST(FadeStateButton, InitMakesOnlyPushButtonsOwnerDrawn)
{
    CColourParent parent;
    ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 200, 100)));
    const struct
    {
        DWORD type;
        DWORD want;
    } cases[] = { { BS_PUSHBUTTON, BS_OWNERDRAW }, { BS_DEFPUSHBUTTON, BS_OWNERDRAW },
        { BS_AUTOCHECKBOX, BS_AUTOCHECKBOX }, { BS_AUTORADIOBUTTON, BS_AUTORADIOBUTTON } };
    for (const auto& c : cases) {
        CSkinFadeStateButtonCtrl button;
        HWND hwnd = MakeButton(parent, c.type);
        ASSERT_TRUE(button.Subclass(hwnd));
        EXPECT_EQ(::GetWindowLongPtrA(hwnd, GWL_STYLE) & BS_TYPEMASK, static_cast<LONG_PTR>(c.want)) << c.type;
        ::DestroyWindow(hwnd);
    }
    // A button disabled before it is skinned starts on the disabled frame.
    HWND disabled = MakeButton(parent, BS_PUSHBUTTON);
    ::EnableWindow(disabled, FALSE);
    CSkinFadeStateButtonCtrl button;
    ASSERT_TRUE(button.Subclass(disabled));
    EXPECT_EQ(button.GetFadeState().current, kFrameDisabled);
    parent.DestroyWindow();
}

TEST(FadeStateButton, AVisibleHoverFadesOnTheTimerAndStopsIt)
{
    CColourParent parent;
    ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 200, 100)));
    CSkinFadeStateButtonCtrl button;
    button.SetClock(&TestClock);
    ASSERT_TRUE(button.Subclass(MakeButton(parent, BS_PUSHBUTTON)));
    button.SetBitmap(SolidStrip(20, 10, kFrameColours));
    ShowWithoutActivating(parent);
    PumpPendingMessages();

    g_now = 1000;
    button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(button.IsFadeTimerRunning());
    EXPECT_EQ(button.GetFadeState().level, 0u);
    const COLORREF start = RenderedCentre(button);
    EXPECT_GT(GetBValue(start), 0xB0) << "the old frame still shows";
    EXPECT_LT(GetGValue(start), 0x08);

    g_now += 100; // 76 levels in
    const COLORREF mid = RenderedCentre(button);
    EXPECT_GT(GetGValue(mid), 0x30);
    EXPECT_GT(GetBValue(mid), 0x30);

    g_now += 300;
    EXPECT_EQ(RenderedCentre(button), FrameColour(2));
    EXPECT_EQ(button.GetFadeState().level, 255u);
    EXPECT_FALSE(button.IsFadeTimerRunning());

    // The timer itself drives a real fade to its end.
    button.SetClock(nullptr);
    button.SendMessage(WM_MOUSELEAVE);
    EXPECT_TRUE(button.IsFadeTimerRunning());
    EXPECT_TRUE(PumpUntil([&] { return !button.IsFadeTimerRunning(); }, 3000));
    EXPECT_EQ(CaptureWindowPixel(button, 30, 12), FrameColour(1));
    parent.DestroyWindow();
}

TEST(FadeStateButton, ASkinnedPushButtonIgnoresDoubleClicks)
{
    CColourParent parent;
    ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 200, 100)));
    ShowWithoutActivating(parent);
    HWND plain = MakeButton(parent, BS_PUSHBUTTON | BS_NOTIFY, "plain", 101);
    HWND skinnedWindow = MakeButton(parent, BS_PUSHBUTTON | BS_NOTIFY, "skinned", 102);
    CSkinFadeStateButtonCtrl skinned;
    ASSERT_TRUE(skinned.Subclass(skinnedWindow));
    skinned.SetBitmap(SolidStrip(20, 10, kFrameColours));

    // The platform's button reports a double click.
    ::SendMessageA(plain, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(Notifications(parent), std::vector<WORD>{ BN_DOUBLECLICKED });
    parent.received.clear();

    EXPECT_EQ(::SendMessageA(skinnedWindow, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5)), 0);
    PumpPendingMessages();
    EXPECT_NE(::GetCapture(), skinnedWindow);
    EXPECT_EQ(::SendMessageA(skinnedWindow, BM_GETSTATE, 0, 0) & BST_PUSHED, 0);
    EXPECT_TRUE(parent.received.empty());

    // A single click still clicks.
    ::SendMessageA(skinnedWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(skinned.GetFadeState().current, kFramePressed);
    ::SendMessageA(skinnedWindow, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    PumpPendingMessages();
    const std::vector<WORD> notifications = Notifications(parent);
    EXPECT_NE(std::find(notifications.begin(), notifications.end(), BN_CLICKED), notifications.end());
    parent.DestroyWindow();
}

// A press whose capture another window takes is over: the button shows
// itself released, and a later release over it sends no command.
TEST(FadeStateButton, APressThatLosesTheCaptureEnds)
{
    CColourParent parent;
    ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 200, 100)));
    ShowWithoutActivating(parent);
    CColourParent other;
    ASSERT_TRUE(other.Create(nullptr, CRect(0, 120, 50, 150)));
    HWND hwnd = MakeButton(parent, BS_PUSHBUTTON, "skinned", 102);
    CSkinFadeStateButtonCtrl skinned;
    ASSERT_TRUE(skinned.Subclass(hwnd));
    skinned.SetBitmap(SolidStrip(20, 10, kFrameColours));

    ::SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ASSERT_EQ(::GetCapture(), hwnd);
    ASSERT_EQ(skinned.GetFadeState().current, kFramePressed);
    ::SetCapture(other);
    PumpPendingMessages();
    EXPECT_EQ(::SendMessageA(hwnd, BM_GETSTATE, 0, 0) & BST_PUSHED, 0) << "the platform's button is released too";
    ::ReleaseCapture();
    ::SendMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    PumpPendingMessages();
    const std::vector<WORD> notifications = Notifications(parent);
    EXPECT_EQ(std::find(notifications.begin(), notifications.end(), BN_CLICKED), notifications.end())
        << "no stray command";
    other.DestroyWindow();
    parent.DestroyWindow();
}

TEST(FadeStateButton, TheTooltipCarriesTheButtonsTextOnceThePointerIsOverIt)
{
    CColourParent parent;
    ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 200, 100)));
    HWND hwnd = MakeButton(parent, BS_PUSHBUTTON, "tipped", 103);
    CSkinFadeStateButtonCtrl button;
    ASSERT_TRUE(button.Subclass(hwnd));
    button.SetBitmap(SolidStrip(20, 10, kFrameColours));
    button.SetTooltip("first text");

    ::SendMessageA(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ("first text", ToolTipTextOf(hwnd));
    button.SetTooltip("second text");
    EXPECT_EQ("second text", ToolTipTextOf(hwnd)) << "a text set later replaces the tip's";

    // A text given before the window exists is the tip's too.
    auto* dark = new CSkinDarkCommandButtonCtrl(SolidStrip(4, 10, kFrameColours), SolidStrip(4, 10, kFrameColours),
        SolidStrip(4, 10, kFrameColours));
    dark->SetAutoDelete(true);
    dark->SetTooltip("made before");
    ASSERT_TRUE(dark->Create(parent, CRect(10, 40, 80, 64), "", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON));
    const HWND darkWindow = dark->m_hWnd;
    ::SendMessageA(darkWindow, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ("made before", ToolTipTextOf(darkWindow));

    parent.DestroyWindow();
    EXPECT_EQ("", ToolTipTextOf(hwnd)) << "the tip goes with its button";
}

TEST(CheckButton, TheCheckedStripShowsOnceTheButtonIsChecked)
{
    CColourParent parent;
    ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 200, 100)));
    ShowWithoutActivating(parent);
    HWND hwnd = MakeButton(parent, BS_AUTOCHECKBOX, "check");
    CCheckButton check;
    ASSERT_TRUE(check.Subclass(hwnd));
    const uint32_t green[4] = { 0xFF003000, 0xFF00C000, 0xFF00D000, 0xFF00E000 };
    ASSERT_TRUE(check.SetImages(SolidStrip(13, 13, kFrameColours), SolidStrip(13, 13, green), ""));
    EXPECT_EQ(check.GetClientRect().Width(), 13);
    PumpPendingMessages();
    EXPECT_EQ(CaptureWindowPixel(hwnd, 6, 6), FrameColour(1));

    check.SendMessage(BM_SETCHECK, BST_CHECKED);
    PumpPendingMessages();
    EXPECT_TRUE(check.IsShowingChecked());
    EXPECT_EQ(CaptureWindowPixel(hwnd, 6, 6), RGB(0, 0xC0, 0));

    // A click goes to the platform's button, which unchecks it.
    check.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(6, 6));
    check.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(6, 6));
    PumpPendingMessages();
    EXPECT_EQ(check.SendMessage(BM_GETCHECK), BST_UNCHECKED);
    EXPECT_FALSE(check.IsShowingChecked());
    parent.DestroyWindow();
}

TEST(CheckButton, CaptionSitsBesideTheImageAndGreysWhenDisabled)
{
    CColourParent parent;
    ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 300, 100)));
    HWND hwnd = MakeButton(parent, BS_AUTOCHECKBOX, "");
    CCheckButton check;
    ASSERT_TRUE(check.Subclass(hwnd));
    check.SetTextColour(RGB(0, 0, 0xFF));
    const std::string caption = "选项 Option";
    const int textWidth = StripTextSize(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)), caption).cx;
    ASSERT_TRUE(check.SetImages(SolidStrip(13, 13, kFrameColours), SolidStrip(13, 13, kFrameColours), caption));
    EXPECT_EQ(check.GetCaptionOffset(), 15);
    EXPECT_EQ(check.GetClientRect().Width(), 13 + textWidth + 2);

    const auto count = [&](COLORREF colour) {
        CDib32 image;
        EXPECT_TRUE(RenderClient(hwnd, image));
        int n = 0;
        for (int y = 0; y < image.Height(); ++y)
            for (int x = 15; x < image.Width(); ++x)
                n += image.GetColor(x, y) == colour;
        return n;
    };
    EXPECT_GT(count(RGB(0, 0, 0xFF)), 0);
    check.EnableWindow(FALSE);
    EXPECT_EQ(count(RGB(0, 0, 0xFF)), 0);
    EXPECT_GT(count(kStripDisabledText), 0);
    parent.DestroyWindow();
}

TEST(SkinImgButton, StripFramesHoldTheImageAndTheCaption)
{
    CColourParent parent;
    ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 300, 100)));
    CSkinImgButton button;
    ASSERT_TRUE(button.Subclass(MakeButton(parent, BS_PUSHBUTTON)));
    const std::string caption = "确定";
    const CSize text = StripTextSize(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)), caption);
    ASSERT_TRUE(button.SetContent(SolidStrip(60, 22, kFrameColours), caption, false));
    const CSize frame = CSkinImgButton::FrameSize(CSize(60, 22), text);
    EXPECT_EQ(button.GetFrameWidth(), frame.cx);
    EXPECT_EQ(button.GetClientRect().Width(), frame.cx);
    EXPECT_EQ(button.GetClientRect().Height(), frame.cy);

    // Frame 0 has grey text, the others white; all of it opaque.
    CDib32 strip;
    ASSERT_TRUE(strip.Create(button.GetStripSize().cx, button.GetStripSize().cy));
    {
        CMemDC source(strip.GetDC());
        CSelectObject select(source, button.GetBitmap());
        ::BitBlt(strip.GetDC(), 0, 0, strip.Width(), strip.Height(), source, 0, 0, SRCCOPY);
    }
    int grey = 0, white = 0, transparentText = 0;
    for (int frameIndex = 0; frameIndex < 4; ++frameIndex)
        for (int y = 0; y < strip.Height(); ++y)
            for (int x = 0; x < frame.cx; ++x) {
                const uint32_t p = strip.GetPixel(frameIndex * frame.cx + x, y);
                const COLORREF c = strip.GetColor(frameIndex * frame.cx + x, y);
                grey += frameIndex == 0 && c == kStripDisabledText;
                white += frameIndex > 0 && c == RGB(255, 255, 255);
                transparentText += AlphaOf(p) == 0 && (p & 0xFFFFFF) != 0;
            }
    EXPECT_GT(grey, 0);
    EXPECT_GT(white, 0);
    EXPECT_EQ(transparentText, 0);
    parent.DestroyWindow();
}

TEST(SkinDarkCommandButton, FrameWidthTable)
{
    const struct
    {
        int cap, icon, caption;
        bool arrow;
        int want;
    } cases[] = { { 5, 0, 0, false, 18 }, { 5, 16, 0, false, 34 }, { 5, 0, 40, false, 58 },
        { 5, 16, 40, false, 78 }, { 5, 16, 40, true, 88 }, { 5, 0, 0, true, 28 } };
    for (const auto& c : cases)
        EXPECT_EQ(CSkinDarkCommandButtonCtrl::FrameWidth(c.cap, c.icon, c.caption, c.arrow), c.want)
            << c.cap << " " << c.icon << " " << c.caption << " " << c.arrow;
}

TEST(SkinDarkCommandButton, OwnWindowTakesTheComposedStripAndItsSize)
{
    CColourParent parent;
    ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 300, 100)));
    auto* button = new CSkinDarkCommandButtonCtrl(LoadSkinPng("barbutton_left.png"), LoadSkinPng("barbutton_middle.png"),
        LoadSkinPng("barbutton_right.png"));
    button->SetAutoDelete(true);
    ASSERT_TRUE(button->Create(parent, CRect(10, 3, 80, 27), "", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON));
    EXPECT_EQ(button->GetStyle() & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW));
    const std::string caption = "行情";
    ASSERT_TRUE(button->SetContent(nullptr, caption, true));
    const int text = StripTextSize(button->GetFont() ? button->GetFont()
                                                     : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)),
        caption).cx;
    const int want = CSkinDarkCommandButtonCtrl::FrameWidth(button->GetCapWidth(), 0, text, true);
    EXPECT_EQ(button->GetClientRect().Width(), want);
    EXPECT_EQ(button->GetClientRect().Height(), button->GetPieceHeight());
    parent.DestroyWindow(); // deletes the button
}

TEST(SkinImgStatic, TextIsOpaqueWithAndWithoutAnIcon)
{
    CColourParent parent;
    parent.colour = RGB(200, 0, 0);
    ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 300, 100)));
    for (bool withIcon : { false, true }) {
        SCOPED_TRACE(withIcon);
        HWND hwnd = ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 10, 10, 10, parent, nullptr,
            ::GetModuleHandleA(nullptr), nullptr);
        CSkinImgStatic label;
        ASSERT_TRUE(label.SubclassWindow(hwnd));
        if (withIcon)
            label.SetIcon(LoadSkinPng("arrow1.png"));
        label.SetTextColour(RGB(0, 0, 200));
        ASSERT_TRUE(label.SetText("欢迎 Welcome"));
        EXPECT_EQ(label.GetClientRect().Width(), label.GetRenderedSize().cx);
        CDib32 image;
        ASSERT_TRUE(RenderClient(hwnd, image));
        int text = 0, added = 0;
        for (int y = 0; y < image.Height(); ++y)
            for (int x = 0; x < image.Width(); ++x) {
                const COLORREF c = image.GetColor(x, y);
                text += GetBValue(c) > 150 && GetRValue(c) < 50;
                added += GetBValue(c) > 100 && GetRValue(c) > 150; // text added onto the red
            }
        EXPECT_GT(text, 0);
        EXPECT_EQ(added, 0);
        ::DestroyWindow(hwnd);
    }
    parent.DestroyWindow();
}

TEST(FadeStateButton, CreateAndDestroyCyclesKeepTheGdiObjectCount)
{
    const auto cycle = [] {
        CColourParent parent;
        parent.Create(nullptr, CRect(0, 0, 300, 120));
        CSkinFadeStateButtonCtrl plain;
        plain.Subclass(MakeButton(parent, BS_PUSHBUTTON));
        plain.SetBitmap(SolidStrip(20, 10, kFrameColours));
        plain.SetOptions(CSkinFadeStateButtonCtrl::kOptionParentBackground);
        plain.SetCursor(static_cast<HCURSOR>(::CopyImage(::LoadCursorA(nullptr, IDC_HAND), IMAGE_CURSOR, 0, 0, 0)));
        plain.SetTooltip("tip");
        CSkinImgButton image;
        image.Subclass(MakeButton(parent, BS_PUSHBUTTON, "", 101));
        image.SetContent(LoadSkinPng("menu.png"), "确定", true);
        CCheckButton check;
        check.Subclass(MakeButton(parent, BS_AUTOCHECKBOX, "", 102));
        check.SetImages(LoadSkinPng("check_uncheck.png"), LoadSkinPng("check_checked.png"), "选项");
        check.SendMessage(BM_SETCHECK, BST_CHECKED);
        auto* dark = new CSkinDarkCommandButtonCtrl(LoadSkinPng("barbutton_left.png"),
            LoadSkinPng("barbutton_middle.png"), LoadSkinPng("barbutton_right.png"));
        dark->SetAutoDelete(true);
        dark->Create(parent, CRect(10, 60, 80, 84), "", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON);
        CBitmap icon(LoadSkinPng("arrow1.png")); // the icon stays the caller's
        dark->SetContent(icon, "行情", false);
        CSkinImgStatic label;
        label.SubclassWindow(::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 100, 60, 10, 10, parent,
            nullptr, ::GetModuleHandleA(nullptr), nullptr));
        label.SetIcon(LoadSkinPng("arrow2.png"));
        label.SetText("文本");
        for (HWND hwnd : { plain.m_hWnd, image.m_hWnd, check.m_hWnd, dark->m_hWnd, label.m_hWnd }) {
            CDib32 rendered;
            RenderClient(hwnd, rendered);
        }
        parent.DestroyWindow();
        PumpPendingMessages();
    };
    cycle();
    const DWORD before = CountGdiObjects();
    ASSERT_GT(before, 0u) << "no way to count GDI objects here";
    for (int i = 0; i < 100; ++i)
        cycle();
    EXPECT_EQ(CountGdiObjects(), before);
}
