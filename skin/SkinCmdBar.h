#pragma once
// A row (or column) of text items drawn from a five-frame item image, with a
// hover highlight and a cross-fade when the selection moves away from an
// item. A click on an item sends WM_COMMAND with its id to the notification
// window. The row can carry two panel toggle buttons that take turns being
// shown; their clicks go on to the notification window as command 4016.
// UI thread only.
#include "skin/SkinFadeStateButtonCtrl.h"
#include "win/DoubleBuffer.h"
#include "win/Gdi.h"
#include "win/WindowImpl.h"
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct SkinCmdBarItem
{
    uint32_t id = 0; // 0: selectable, but nothing is sent
    std::string caption;
    uint32_t flags = 0;
    uint32_t previousFlags = 0; // the frame a fade starts from
    CRect rect; // bar client coordinates, set by the layout
    DWORD fadeStart = 0; // 0: no fade
    DWORD fadeEnd = 0;
};

// Item flags.
enum : uint32_t { kCmdItemThird = 4, kCmdItemSelected = 8, kCmdItemHover = 0x40 };

// The frame of the item image a flags value shows: 1 selected, 2 third, 3 hover, 0 normal.
int CmdBarFrameOfFlags(uint32_t flags);
// What a fade of the item is about: 8 selected, else 4 third, else its hover bit.
uint32_t CmdBarFadeKind(uint32_t flags);

// One AlphaBlend of a framed image: source rectangle to destination.
struct FrameBlendPart
{
    CRect dest;
    CRect source;
};
// The nine parts that stretch a frame (source) over dest keeping borders of
// left, top, right and bottom pixels: corners 1:1, edges along their length,
// the centre both ways. Parts with an empty source or destination are left
// out, and borders are narrowed when dest is smaller than the two together.
std::vector<FrameBlendPart> PlanFrameBlend(
    const CRect& dest, const CRect& source, int left, int top, int right, int bottom);

// Item rectangles: horizontal items start at x 2 (32 with panel buttons) as
// (x, 8, x + 8 + w, 12 + T); vertical ones at y 16 (36) as
// (4, y, 4 + T, y + 16 + n * T), n the caption's characters. Items are 2
// pixels apart. measure gives a caption's text width. Returns the bar's
// height (horizontal, T + 14) or width (vertical, T + 4).
int LayoutCmdBarItems(std::vector<SkinCmdBarItem>& items, bool vertical, bool panelButtons, int textHeight,
    const std::function<int(const std::string&)>& measure);

class CSkinCmdBar : public CWindowImpl<CSkinCmdBar>, public CDoubleBufferImpl<CSkinCmdBar>
{
public:
    DECLARE_WND_CLASS_EX("ZtSkinCmdBar", CS_DBLCLKS, COLOR_WINDOW + 1)

    enum : UINT_PTR { kFadeTimerId = 42 };
    enum : UINT { kFadeIntervalMs = 25, kSelectionFadeMs = 300 };
    // The panel toggle buttons' command, sent on to the notification window.
    enum : WORD { kPanelToggleCommand = 4016 };
    static constexpr int kItemFrames = 5;
    static constexpr int kFontHeight = 16;
    static constexpr COLORREF kBackground = RGB(0x20, 0x20, 0x20);

    CSkinCmdBar() = default;
    ~CSkinCmdBar() override;

    // Items are laid out when the window is created (and again when the
    // panel buttons are made), so they are added before.
    void AddItem(const SkinCmdBarItem& item) { m_items.push_back(item); }
    void AddItem(uint32_t id, const std::string& caption);
    // Takes both bitmaps (owned; the previous ones are freed): the item image
    // of five frames (side by side, or stacked for a vertical bar) and a
    // second image kept with the bar. Either may be null.
    void SetImages(HBITMAP itemImage, HBITMAP secondImage = nullptr);
    // Before the window is created.
    void SetVertical(bool vertical) { m_vertical = vertical; }
    bool IsVertical() const { return m_vertical; }
    // Where item clicks and panel toggles go (the parent when not set).
    void SetNotifyWindow(HWND window) { m_notify = window; }

    // The two panel toggle buttons (faces owned by the buttons), the first
    // shown, the second hidden; both send 4016. The items move to make room.
    bool CreatePanelButtons(HBITMAP face1, HBITMAP face2);
    CSkinFadeStateButtonCtrl& GetPanelButton(int which) { return which == 0 ? m_panel1 : m_panel2; }

    // Selects the first item with the id (with fade: the old one fades out)
    // and repaints. False when no item has the id.
    bool SelectItem(uint32_t id, bool fade);
    void SetItemState(int index, uint32_t set, uint32_t clear, DWORD fadeMs);

    int GetItemCount() const { return static_cast<int>(m_items.size()); }
    const SkinCmdBarItem& GetItem(int index) const { return m_items[static_cast<size_t>(index)]; }
    int GetCurrentIndex() const { return m_current; }
    // The first item whose rectangle holds the point, -1 for none.
    int HitTest(CPoint client) const;
    // The size the bar asks for: its height (horizontal) or width (vertical).
    int GetBarHeight() const { return m_barHeight; }
    int GetBarWidth() const { return m_barWidth; }
    bool IsFadeTimerRunning() const { return m_timerRunning; }

    // The tick source of the fades (GetTickCount); tests inject their own.
    void SetClock(DWORD(WINAPI* clock)()) { m_clock = clock ? clock : &::GetTickCount; }

    void DoPaint(HDC dc);

    BEGIN_MSG_MAP(CSkinCmdBar)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_MOVE, OnMoveOrSize)
        MESSAGE_HANDLER(WM_SIZE, OnMoveOrSize)
        COMMAND_ID_HANDLER(kPanelToggleCommand, OnPanelToggle)
        TIMER_HANDLER(OnTimer)
        MOUSE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
        MOUSE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        MOUSE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
        MESSAGE_HANDLER(WM_MOUSELEAVE, OnMouseLeave)
        CHAIN_MSG_MAP(CDoubleBufferImpl<CSkinCmdBar>)
    END_MSG_MAP()

private:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnMoveOrSize(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnPanelToggle(WORD, WORD, HWND, BOOL&);
    void OnTimer(UINT_PTR id, BOOL& handled);
    void OnMouseMove(UINT, CPoint point, BOOL&);
    void OnLButtonDown(UINT, CPoint point, BOOL&);
    void OnLButtonUp(UINT, CPoint point, BOOL&);
    LRESULT OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&);

    void Layout();
    void InvalidateItem(size_t index);
    void StartFadeTimer();
    void DrawItem(HDC dc, HDC imageDc, const SkinCmdBarItem& item, DWORD now);
    CRect FrameSource(int frame) const;
    HWND NotifyWindow() const;

    HWND m_notify = nullptr;
    int m_current = -1;
    int m_barHeight = 0;
    int m_barWidth = 0;
    bool m_tracking = false;
    bool m_timerRunning = false;
    bool m_vertical = false;
    CFont m_font;
    TEXTMETRICA m_metrics = {};
    CBitmap m_itemImage;
    CBitmap m_secondImage;
    CSkinFadeStateButtonCtrl m_panel1;
    CSkinFadeStateButtonCtrl m_panel2;
    std::vector<SkinCmdBarItem> m_items;
    DWORD(WINAPI* m_clock)() = &::GetTickCount;
};
