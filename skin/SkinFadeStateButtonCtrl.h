#pragma once
// The skinned push button: a platform button (its own window of a BUTTON
// superclass, or a dialog's button subclassed in place) painted from a strip
// of four frames (disabled, normal, hover, pressed) that cross-fades from the
// old frame to the new one on a 20 ms timer, which runs only while a fade is
// in progress. UI thread only.
#include "skin/FadeStepper.h"
#include "skin/ParentBackground.h"
#include "win/Controls.h"
#include "win/Gdi.h"
#include "win/WindowImpl.h"
#include <string>

class CSkinFadeStateButtonCtrl : public CWindowImpl<CSkinFadeStateButtonCtrl, CWindow>,
                                 public CParentBackground<CSkinFadeStateButtonCtrl>
{
public:
    DECLARE_WND_SUPERCLASS("ZtSkinFadeStateButton", "BUTTON")

    enum : UINT_PTR { kFadeTimerId = 5 };
    enum : UINT { kFadeIntervalMs = 20 };
    // Option bits: black background; the parent's background behind the frames.
    enum : uint8_t { kOptionBlack = 1, kOptionParentBackground = 2 };
    // The mouse messages relayed to the tooltip (WM_MOUSEMOVE .. WM_MOUSEHWHEEL).
    enum : UINT { kFirstMouseMessage = 0x200, kLastMouseMessage = 0x20D };

    CSkinFadeStateButtonCtrl() = default;
    ~CSkinFadeStateButtonCtrl() override = default;

    // Routes a dialog's button to this object and runs Init at once.
    bool Subclass(HWND button);

    // Takes the strip (owned from now on; the one held before is freed) and
    // shows it: frame width = its width / 4. Repaints when the window exists.
    void SetBitmap(HBITMAP strip);
    HBITMAP GetBitmap() const { return m_strip; }
    int GetFrameWidth() const { return m_frameWidth; }
    CSize GetStripSize() const { return m_stripSize; }

    // The tip shows from the first time the pointer is over the button on.
    void SetTooltip(const std::string& text);
    const std::string& GetTooltip() const { return m_tooltipText; }
    // Shown while the mouse is over the button; owned, destroyed with the window.
    void SetCursor(HCURSOR cursor) { m_cursor.Attach(cursor); }
    void SetOptions(uint8_t options) { m_options = options; }
    uint8_t GetOptions() const { return m_options; }
    // The object deletes itself once its window is gone.
    void SetAutoDelete(bool autoDelete) { m_autoDelete = autoDelete; }

    // The tick source of the fade (GetTickCount); tests inject their own.
    void SetClock(DWORD(WINAPI* clock)()) { m_clock = clock ? clock : &::GetTickCount; }
    const FadeState& GetFadeState() const { return m_fade; }
    bool IsFadeTimerRunning() const { return m_timerRunning; }

    // The frame the button's state asks for now.
    int TargetFrame() const;

    BEGIN_MSG_MAP(CSkinFadeStateButtonCtrl)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_LBUTTONDOWN, OnButtonMessage)
        MESSAGE_HANDLER(WM_LBUTTONUP, OnButtonMessage)
        MESSAGE_HANDLER(WM_LBUTTONDBLCLK, OnDoubleClick)
        MESSAGE_RANGE_HANDLER(kFirstMouseMessage, kLastMouseMessage, OnMouseMessage)
        MESSAGE_HANDLER(WM_SETFOCUS, OnFocus)
        MESSAGE_HANDLER(WM_KILLFOCUS, OnFocus)
        MESSAGE_HANDLER(WM_ENABLE, OnForwardThenRepaint)
        MESSAGE_HANDLER(WM_SETTEXT, OnForwardThenRepaint)
        MESSAGE_HANDLER(BM_SETCHECK, OnForwardThenRepaint)
        MESSAGE_HANDLER(BM_SETSTATE, OnForwardThenRepaint)
        MESSAGE_HANDLER(BM_SETSTYLE, OnForwardThenRepaint)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_PRINTCLIENT, OnPaint)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        CHAIN_MSG_MAP(CParentBackground<CSkinFadeStateButtonCtrl>)
        TIMER_HANDLER(OnTimer)
        CAPTURECHANGED_HANDLER(OnCaptureChanged)
        MESSAGE_HANDLER(WM_MOUSELEAVE, OnMouseLeaveMessage)
    END_MSG_MAP()

protected:
    void OnFinalMessage(HWND) override;

    // Slots a derived button overrides; a mouse slot that clears handled
    // leaves the message to the button and the tooltip.
    virtual void OnMouseMove(BOOL& handled);
    virtual void OnMouseLeave();
    virtual void OnLButtonDown(UINT msg, WPARAM wp, LPARAM lp, BOOL& handled);
    virtual void OnLButtonUp(UINT msg, WPARAM wp, LPARAM lp, BOOL& handled);
    virtual void Init();
    virtual void DrawItem(HDC dc);

    // Shows a strip the derived object owns itself (not freed here); repaint
    // is false while painting.
    void ShowStrip(HBITMAP strip, bool repaint = true);
    void Repaint();
    // The font the button was given (WM_GETFONT), or the default GUI font.
    HFONT ButtonFont() const;
    int CurrentFrame() const { return m_fade.current; }

private:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnButtonMessage(UINT msg, WPARAM wp, LPARAM lp, BOOL& handled);
    LRESULT OnDoubleClick(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    LRESULT OnMouseMessage(UINT msg, WPARAM wp, LPARAM lp, BOOL& handled);
    LRESULT OnFocus(UINT msg, WPARAM, LPARAM, BOOL&);
    LRESULT OnForwardThenRepaint(UINT msg, WPARAM wp, LPARAM lp, BOOL&);
    LRESULT OnPaint(UINT msg, WPARAM wp, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
    void OnTimer(UINT_PTR id, BOOL& handled);
    void OnCaptureChanged(HWND, BOOL&);
    LRESULT OnMouseLeaveMessage(UINT, WPARAM, LPARAM, BOOL&);
    void ApplyTimer(FadeTimer timer);
    void ShowCursorIfSet();
    void MakeTooltip();

    std::string m_tooltipText;
    CToolTipCtrl m_tooltip;
    CBitmap m_ownedStrip;
    HBITMAP m_strip = nullptr;
    CSize m_stripSize;
    COLORREF m_backgroundColour = ::GetSysColor(COLOR_WINDOW);
    uint8_t m_options = 0;
    bool m_pressed = false;
    bool m_hover = false;
    bool m_focus = false;
    bool m_autoDelete = false;
    bool m_painting = false;
    bool m_timerRunning = false;
    FadeState m_fade;
    uint32_t m_divisor = 13;
    int m_frameWidth = 0;
    CHandleOwner<HCURSOR, CCursorTraits> m_cursor;
    DWORD(WINAPI* m_clock)() = &::GetTickCount;
};
