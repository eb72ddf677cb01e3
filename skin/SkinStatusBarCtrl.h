#pragma once
// The skinned status bar: a sliced skin background, a right-aligned text and
// a row of panes, each a run of coloured text pieces, with a separator
// between panes. A click on a pane sends the click message with the pane's
// value to the parent. The panes and the text may be replaced from any
// thread (under the bar's lock); painting, hover and clicks run on the UI
// thread under the same lock, and nothing is sent while it is held.
#include "base/Thread.h"
#include "skin/SkinBitmap.h"
#include "win/DoubleBuffer.h"
#include "win/Gdi.h"
#include "win/WindowImpl.h"
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct StatusSegment
{
    std::string text;
    COLORREF colour = RGB(0, 0, 0);
    HFONT font = nullptr; // not owned; null: the bar's font
};

struct StatusPane
{
    int32_t start = 0; // offsets from the text area's left edge, written by the paint
    int32_t end = 0;
    int32_t value = 0; // sent as wParam when the pane is clicked
    std::vector<StatusSegment> segments;
};

// Draws (or only measures) one piece at offset and returns its width.
using StatusPieceFn = std::function<int(const std::string& text, HFONT font, COLORREF colour, int offset)>;

// Lays the panes out from offset 0, piece after piece, writing each pane's
// start and end; every pane but the last is followed by the separator (bar
// font, colour 0x141414). Returns the offset after the last piece.
int LayoutStatusPanes(
    std::vector<StatusPane>& panes, const std::string& separator, const StatusPieceFn& piece);
// The first pane with start <= x <= end, -1 for none.
int FindStatusPane(const std::vector<StatusPane>& panes, int x);

class CSkinStatusBarCtrl : public CWindowImpl<CSkinStatusBarCtrl>,
                           public CDoubleBufferImpl<CSkinStatusBarCtrl>
{
public:
    DECLARE_WND_CLASS_EX("ZtSkinStatusBar", CS_DBLCLKS, COLOR_WINDOW + 1)

    static constexpr int kCornerX = 100;
    static constexpr int kTextLeft = 5; // the text area's left edge in client coordinates
    static constexpr int kTextRightMargin = 10;
    static constexpr int kFontHeight = 14;
    static constexpr COLORREF kSeparatorColour = RGB(0x14, 0x14, 0x14);

    CSkinStatusBarCtrl() = default;
    ~CSkinStatusBarCtrl() override;

    // The background, a file of the skin directory; before the window is created.
    bool SetBackground(const char* skinFileName);
    // 0 (the default): clicks send nothing and the hand never shows.
    void SetClickMessage(UINT message) { m_clickMessage = message; }
    UINT GetClickMessage() const { return m_clickMessage; }

    // Any thread: replaces, under the lock, then invalidates the bar.
    void SetStatusItems(const std::vector<StatusPane>& panes);
    void SetRightText(const std::string& text);
    // A copy taken under the lock (offsets as the last paint wrote them).
    std::vector<StatusPane> GetStatusItems() const;

    int GetBarHeight() const { return m_barHeight; }
    HFONT GetBarFont() const { return m_font; }
    bool IsHovering() const { return m_hover; }

    void DoPaint(HDC dc);
    // Draws the panes into the text area of dc and writes their offsets; under the lock.
    void DrawPaneText(HDC dc, const CRect& textArea);

    BEGIN_MSG_MAP(CSkinStatusBarCtrl)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        MESSAGE_HANDLER(WM_CLOSE, OnClose)
        SETCURSOR_HANDLER(OnSetCursor)
        MOUSE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
        MOUSE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        MESSAGE_HANDLER(WM_MOUSELEAVE, OnMouseLeave)
        CHAIN_MSG_MAP(CDoubleBufferImpl<CSkinStatusBarCtrl>)
    END_MSG_MAP()

private:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL&);
    // A bar is closed with its frame, never on its own; the font stays until WM_DESTROY.
    LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    BOOL OnSetCursor(HWND, UINT, UINT, BOOL& handled);
    void OnMouseMove(UINT, CPoint point, BOOL&);
    void OnLButtonDown(UINT, CPoint point, BOOL&);
    LRESULT OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&);

    HCURSOR m_hand = nullptr; // shared system cursors
    HCURSOR m_arrow = nullptr;
    bool m_hover = false;
    CFont m_font;
    mutable CriticalSection m_lock;
    CSkinBitmap m_background;
    int m_barHeight = 0;
    std::string m_rightText;
    std::vector<StatusPane> m_panes;
    std::string m_separator = "┃";
    UINT m_clickMessage = 0;
};
