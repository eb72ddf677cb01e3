#pragma once
// The news ticker: a child window that shows short texts (headlines) as one
// line. A line wider than the window scrolls from right to left, a pixel per
// repaint, driven by a thread of its own that invalidates the window every
// interval; a line that fits is drawn still. Resting the pointer on an item
// pauses the line; a click opens the item's link, and only web addresses
// (http and https) are ever opened, since the links come from a server.
//
// The line is rendered into an alpha strip once per change of the items.
// The items are replaced from any thread under the ticker's lock; paint,
// pointer moves and clicks take the same lock on the UI thread, and the
// repaint thread takes none.
#include "base/Thread.h"
#include "skin/ParentBackground.h"
#include "win/DoubleBuffer.h"
#include "win/Gdi.h"
#include "win/HyperLink.h"
#include "win/WindowImpl.h"
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct TickerExtent
{
    int32_t start = 0; // columns of the line's text (after the icon), written by the strip builder
    int32_t end = 0;
    std::string link; // empty: no link
};

// Splits "title\tlink" lines (separated by "\r\n") into titles and extents
// with their links; a line with an empty first field gives nothing, one
// without a second field an empty link. False (nothing changed) for an empty text.
bool ParseNewsText(
    const std::string& text, std::vector<std::string>& titles, std::vector<TickerExtent>& extents);

// Lays the items out as pieces " " + text + "  " measured by measure,
// writing each extent that exists (item 0 from 0, then each from the
// previous end). Returns the text's width and item 0's piece height.
CSize LayoutTickerExtents(const std::vector<std::string>& titles, std::vector<TickerExtent>& extents,
    const std::function<CSize(const std::string&)>& measure);

// The item under client column x of a line scrolled by offset in a window
// windowWidth wide, behind an icon iconWidth wide: p = x + offset - width -
// iconWidth, the first item with start <= p <= end (so a shared boundary
// belongs to the earlier item); -1 for none.
int TickerItemAt(const std::vector<TickerExtent>& extents, int x, int offset, int windowWidth, int iconWidth);

// Which columns of the strip a scrolling paint copies where.
struct TickerBlit
{
    int destX;
    int sourceX;
    int width;
};
TickerBlit PlanTickerBlit(int offset, int stripWidth, int windowWidth);
// The offset after a scrolling paint: one more, back to 0 once the strip has left on the left.
int NextTickerOffset(int offset, int stripWidth, int windowWidth);

class CSkinScrollInfo : public CWindowImpl<CSkinScrollInfo>,
                        public CDoubleBufferImpl<CSkinScrollInfo>,
                        public CParentBackground<CSkinScrollInfo>
{
public:
    DECLARE_WND_CLASS_EX("ZtSkinScrollInfo", CS_DBLCLKS, COLOR_WINDOW + 1)

    static constexpr DWORD kDefaultIntervalMs = 50;

    CSkinScrollInfo();
    ~CSkinScrollInfo() override;

    // Any thread. A null or empty text changes nothing; otherwise the items
    // are replaced, the icon too (taken, owned; the previous one freed), the
    // line starts again from the right and the strip is rebuilt at the next paint.
    void SetNewsItems(const char* text, HBITMAP icon);

    // Before the window exists, or on the UI thread.
    void SetTextColour(COLORREF colour);
    COLORREF GetTextColour() const { return m_textColour; }
    void SetInterval(DWORD ms) { m_interval = ms ? ms : kDefaultIntervalMs; }
    DWORD GetInterval() const { return m_interval; }
    // Not owned; the line is rebuilt in it.
    void SetTickerFont(HFONT font);
    // Opens a link that passed the web-address check (tests inject their own).
    void SetUrlOpener(UrlOpener opener) { m_opener = std::move(opener); }

    bool IsScrolling() const { return m_scrolling.load(); }
    int GetOffset() const;
    CSize GetStripSize() const;
    std::vector<TickerExtent> GetExtents() const;
    std::vector<std::string> GetTitles() const;
    bool IsRepaintThreadRunning() const { return m_thread.GetHandle() != nullptr; }

    void DoPaint(HDC dc);

    BEGIN_MSG_MAP(CSkinScrollInfo)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        SETCURSOR_HANDLER(OnSetCursor)
        CHAIN_MSG_MAP(CParentBackground<CSkinScrollInfo>)
        MESSAGE_HANDLER(WM_SETFONT, OnSetFont)
        MESSAGE_HANDLER(WM_GETFONT, OnGetFont)
        MOUSE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
        MOUSE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        MESSAGE_HANDLER(WM_MOUSELEAVE, OnMouseLeave)
        CHAIN_MSG_MAP(CDoubleBufferImpl<CSkinScrollInfo>)
    END_MSG_MAP()

protected:
    void OnFinalMessage(HWND) override;

private:
    // Invalidates the window every interval while the line scrolls.
    class CRepaintThread : public CThread
    {
    public:
        explicit CRepaintThread(CSkinScrollInfo& owner);
        ~CRepaintThread() override;
        void Begin(HWND window);
        void Stop() override;
        void Run() override;

    private:
        CSkinScrollInfo& m_owner;
        HWND m_window = nullptr;
        CKernelHandle m_wake;
    };

    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled);
    BOOL OnSetCursor(HWND, UINT, UINT, BOOL& handled);
    LRESULT OnSetFont(UINT, WPARAM wp, LPARAM lp, BOOL&);
    LRESULT OnGetFont(UINT, WPARAM, LPARAM, BOOL&) { return reinterpret_cast<LRESULT>(m_font); }
    void OnMouseMove(UINT, CPoint point, BOOL&);
    void OnLButtonDown(UINT, CPoint point, BOOL&);
    LRESULT OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&);

    // Under the lock.
    void BuildStrip(HDC dc);
    int IconWidth() const;
    HFONT TickerFont() const;

    CRepaintThread m_thread;
    mutable CriticalSection m_lock;
    CBitmap m_strip;
    CBitmap m_icon;
    HFONT m_font = nullptr;
    COLORREF m_textColour = RGB(0xFF, 0xFF, 0xFF);
    std::atomic<bool> m_scrolling;
    int m_offset = 0;
    std::atomic<DWORD> m_interval;
    bool m_rebuild = false;
    int m_stripHeight = 0;
    int m_stripWidth = 0;
    std::vector<TickerExtent> m_extents;
    std::vector<std::string> m_titles;
    HCURSOR m_hand = nullptr; // shared system cursors
    HCURSOR m_arrow = nullptr;
    UrlOpener m_opener;
};
