#pragma once
// A button without a window of its own: its owner places it, forwards the
// mouse state, hit-tests it and has it draw itself into the owner's device
// context from a strip of four frames (disabled, normal, hover, pressed).
// A press is reported to the owner with kFrameItemPressed. UI thread only.
#include "win/Gdi.h"
#include <windows.h>
#include <string>

class CSkinButtonItem
{
public:
    // Piece metrics without pieces: caps 5, middle 41, height 20.
    explicit CSkinButtonItem(HWND owner);
    // Strips are built from the three four-frame pieces (not owned): cap
    // width = left width / 4, middle width = middle width / 4, height = the
    // middle piece's height.
    CSkinButtonItem(HWND owner, HBITMAP left, HBITMAP middle, HBITMAP right);
    CSkinButtonItem(const CSkinButtonItem&) = delete;
    CSkinButtonItem& operator=(const CSkinButtonItem&) = delete;

    // Takes the strip (owned from now on; a different previous one is
    // deleted); frame width = its width / 4, height = its height. Null keeps
    // no strip and leaves the metrics. Returns the frame width.
    int SetBitmap(HBITMAP strip);
    HBITMAP GetBitmap() const { return m_strip; }

    // An empty alternate caption takes the caption.
    void SetCaptions(const std::string& caption, const std::string& alternate);
    const std::string& GetCaption() const { return m_caption; }
    void ShowAlternateCaption(bool show) { m_showAlternate = show; }

    void SetPosition(int x, int y)
    {
        m_x = x;
        m_y = y;
    }
    void SetId(int id) { m_id = id; }
    int GetId() const { return m_id; }
    int GetWidth() const { return m_frameWidth; }
    int GetHeight() const { return m_height; }
    CRect GetRect() const { return CRect(m_x, m_y, m_x + m_frameWidth, m_y + m_height); }
    void SetMnemonic(char mnemonic) { m_mnemonic = mnemonic; }
    char GetMnemonic() const { return m_mnemonic; }
    void SetVisible(bool visible) { m_visible = visible; }
    bool IsVisible() const { return m_visible; }

    // which: true the hover state, false the pressed state.
    void SetMouseState(bool which, bool value);
    void ClearMouseState();
    // The third state selects frame 0 and its text colour.
    void SetThirdState(bool value) { m_third = value; }
    void SetTextColors(COLORREF normal, COLORREF hot, COLORREF third);

    // Half open: the right and bottom edges are outside.
    bool HitTest(POINT point) const;
    // Posts kFrameItemPressed to the owner: wParam the id, lParam the screen
    // point one pixel right of the left edge, just below the bottom edge.
    void NotifyPress() const;
    // The frame of the state, blended at the position, then the caption
    // centred over it in "宋体" 12 (the owner sets the background mode).
    void Draw(HDC dc) { Draw(dc, nullptr); }
    // The same through memory, a memory DC compatible with dc that an owner
    // drawing many buttons keeps for all of them (null: one for this draw).
    // What memory has selected is put back.
    void Draw(HDC dc, HDC memory);
    // The frame Draw picks for the current state.
    int CurrentFrame() const;

    // Width of a composed button: 2 caps + 8, + an icon frame, + the text
    // (and 4 more with an icon), + 10 with the drop-down arrow.
    int MeasureWidth(HDC dc, HBITMAP iconStrip, const std::string& text, bool arrow) const;
    // A new four-frame strip (32-bit, premultiplied alpha) from the pieces,
    // the icon strip and the arrow; the caption is not part of it. Null on failure.
    HBITMAP ComposeStrip(HBITMAP iconStrip, const std::string& text, bool arrow) const;
    // Composes a strip and takes it; false leaves the item without a strip.
    bool BuildFromPieces(HBITMAP iconStrip, const std::string& text, bool arrow);

    // The font of the caption; a caller drawing many buttons may hold it.
    HFONT CaptionFont() const;

private:

    CBitmap m_strip;
    HBITMAP m_left = nullptr;
    HBITMAP m_middle = nullptr;
    HBITMAP m_right = nullptr;
    std::string m_caption;
    std::string m_alternate;
    int m_x = 0;
    int m_y = 0;
    HWND m_owner;
    int m_id = 0;
    bool m_pressed = false;
    bool m_third = false;
    bool m_hover = false;
    bool m_drawing = false;
    bool m_visible = true;
    int m_frameWidth = 0;
    int m_height = 0;
    char m_mnemonic = ' ';
    bool m_showAlternate = false;
    int m_capWidth = 5;
    int m_middleWidth = 41;
    int m_pieceHeight = 20;
    COLORREF m_normalColour = 0x000000;
    COLORREF m_hotColour = 0xFFFFFF;
    COLORREF m_thirdColour = 0x101010;
};
