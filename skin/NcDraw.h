#pragma once
// The skinned window frame: title bar, borders, icon, caption and caption
// buttons painted from skin images over the window's edges (the client area
// covers the whole window, so owners keep their content clear of the frame),
// hit tests for them, and the caption menu: a row of buttons in the title
// bar, one per top-level item of a menu resource, each opening its drop-down
// in a loop of its own while thread hooks let Left, Right and the mouse move
// between the menus as in a menu bar.
//
// An owner holds it as a member or derives from it, attaches its window once
// it exists, and chains every message it does not handle to this map.
// UI thread only; one caption menu is tracked at a time in the process.
#include "skin/EnBitmap.h"
#include "skin/FrameMessages.h"
#include "skin/NcFrameLayout.h"
#include "skin/SkinBitmap.h"
#include "skin/SkinButtonItem.h"
#include "win/Gdi.h"
#include "win/Menu.h"
#include "win/MessageMap.h"
#include "win/Window.h"
#include <memory>
#include <string>
#include <vector>

class CNcDraw
{
public:
    // The first caption-menu button's command id; the others follow by position.
    static constexpr int kFirstCaptionMenuId = 10333;

    CNcDraw();
    ~CNcDraw();
    CNcDraw(const CNcDraw&) = delete;
    CNcDraw& operator=(const CNcDraw&) = delete;

    // Frame images in place of the defaults where a name is not empty; before Attach.
    void SetSkinFiles(const char* title, const char* left, const char* right, const char* bottom);
    // Gives the window the frame. Button mode 1: close; 2: minimise and close;
    // 3: minimise, maximise/restore and close. The window's maximise box,
    // sizing frame and minimise box are remembered and taken away, so the
    // system draws none of its own. False when an image failed to load (the
    // frame still works with what loaded).
    bool Attach(HWND hwnd, int buttonMode);
    bool LoadSkin(int buttonMode);

    void SetCaptionTextColor(COLORREF colour) { m_captionColour = colour; }
    void EnableCaptionMenu(bool enable) { m_captionMenuEnabled = enable; }
    void ShowMaximized();
    // One caption-menu button per top-level item of the menu resource;
    // returns how many (0 when the menu cannot be loaded).
    int LoadCaptionMenu(UINT menuId);
    // A system character from the owner: tracks the first visible caption
    // menu whose mnemonic it is. Returns 0.
    LRESULT OnSysChar(UINT character);

    // Paints the whole frame into a DC in window coordinates.
    void PaintFrame(HDC dc);
    // The hit code of a point relative to the window's top-left corner.
    int HitTest(CPoint windowPoint) const;

    HWND GetWindow() const { return m_frameWindow; }
    const NcFrameMetrics& GetMetrics() const { return m_metrics; }
    CRect GetCloseButtonRect() const;
    CRect GetMinimiseButtonRect() const;
    CRect GetMaximiseButtonRect() const;
    int GetCaptionMenuCount() const { return static_cast<int>(m_menuButtons.size()); }
    int GetVisibleCaptionMenuCount() const { return m_visibleMenuButtons; }
    // A caption-menu button in window coordinates (as placed by the last paint).
    CRect GetCaptionMenuRect(int index) const;
    const CSkinButtonItem* GetCaptionMenuButton(int index) const;
    // The caption menu being (or last) tracked, -1 before the first.
    int GetTrackingIndex() const { return m_trackingIndex; }
    bool IsTracking() const;
    // The open drop-down's pop-up windows.
    int GetOpenPopupCount() const { return m_popupCount; }
    const std::string& GetCaptionText() const { return m_text; }

    BEGIN_MSG_MAP(CNcDraw)
        if (!m_frameWindow || hWnd != m_frameWindow)
            return FALSE;
        MESSAGE_HANDLER(WM_NCCALCSIZE, OnNcCalcSize)
        MESSAGE_HANDLER(WM_NCHITTEST, OnNcHitTest)
        MESSAGE_HANDLER(WM_NCPAINT, OnNcPaint)
        MESSAGE_HANDLER(WM_NCACTIVATE, OnNcActivate)
        MESSAGE_HANDLER(WM_NCMOUSEMOVE, OnNcMouseMove)
        MESSAGE_HANDLER(WM_NCLBUTTONDOWN, OnNcLButtonDown)
        MESSAGE_HANDLER(WM_NCLBUTTONUP, OnNcLButtonUp)
        MESSAGE_HANDLER(WM_NCLBUTTONDBLCLK, OnNcLButtonDblClk)
        MESSAGE_HANDLER(WM_NCRBUTTONDOWN, OnNcRButtonDown)
        MESSAGE_HANDLER(WM_NCRBUTTONUP, OnNcRButtonUp)
        MESSAGE_HANDLER(WM_NCMOUSELEAVE, OnNcMouseLeave)
        MESSAGE_HANDLER(WM_SETTEXT, OnSetText)
        MESSAGE_HANDLER(kFrameItemPressed, OnItemPressed)
        MESSAGE_HANDLER(kFrameCaptionPopupClosed, OnPopupsClosed)
        MESSAGE_HANDLER(kFrameCaptionTrackingEnded, OnTrackingEnded)
        MESSAGE_HANDLER(WM_NCDESTROY, OnNcDestroy)
    END_MSG_MAP()

private:
    LRESULT OnNcCalcSize(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNcHitTest(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNcPaint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNcActivate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNcMouseMove(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNcLButtonDown(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNcLButtonUp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNcLButtonDblClk(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNcRButtonDown(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNcRButtonUp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNcMouseLeave(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSetText(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnItemPressed(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnPopupsClosed(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnTrackingEnded(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNcDestroy(UINT, WPARAM, LPARAM, BOOL&);

    // The hit code of a screen point.
    int HitTestScreen(LPARAM screenPoint) const;
    bool IsMaximised() const;
    // Paints the frame now through the window's DC.
    void RedrawFrame();
    void PaintBorders(HDC dc, CSize window);
    void PaintTitleRow(HDC dc, CSize window);
    int PaintIcon(HDC dc);
    void PaintCaptionButtons(HDC dc, int windowWidth);
    // Lays out and draws the caption-menu buttons from x; returns where they end.
    int PaintCaptionMenuButtons(HDC dc, int x, int windowWidth);
    void PaintCaptionText(HDC dc, const CRect& area);
    void OpenSystemMenu(LPARAM screenPoint);

    void TrackCaptionMenu(int index);
    void OnPopupCreated(HWND popup);
    void OnPopupDestroyed(HWND popup);
    void PostPopupsClosed();
    void SelectAdjacentMenu(bool next);
    void OnMouseOverCaption(POINT screen);
    bool DropDownIsOpen() const;

    static LRESULT CALLBACK CbtHook(int code, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK KeyboardHook(int code, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK MouseHook(int code, WPARAM wp, LPARAM lp);

    NcFrameMetrics m_metrics;
    int m_captionX = 0;
    int m_captionTop = 0;
    // Kept off: with it, the client area would shrink by the frame.
    bool m_sizeAdjust = false;
    bool m_resizable = false;
    bool m_hasMinimise = false;
    bool m_hasMaximise = false;
    bool m_active = false;
    int m_buttonMode = 0;

    CSkinBitmap m_title;
    CSkinBitmap m_left;
    CSkinBitmap m_right;
    CSkinBitmap m_bottom;
    CEnBitmap m_close;
    CEnBitmap m_restore;
    CEnBitmap m_minimise;
    CEnBitmap m_maximise;
    CBitmap m_pieceLeft;
    CBitmap m_pieceRight;
    CBitmap m_pieceMiddle;

    std::string m_text;
    COLORREF m_activeTextColour = 0;
    COLORREF m_inactiveTextColour = 0;
    COLORREF m_transparentColour = RGB(255, 0, 255);
    int m_hover = 0;
    int m_pressed = 0;
    CaptionButtonPlaces m_buttons;
    bool m_keyboardOpened = false;

    std::string m_titleFile = "wndtitle.bmp";
    std::string m_leftFile = "wndborderleft.bmp";
    std::string m_rightFile = "wndborderright.bmp";
    std::string m_bottomFile = "wndborderbottom.bmp";
    std::string m_maximiseFile = "framebtn_max.png";
    std::string m_restoreFile = "framebtn_restore.png";
    std::string m_minimiseFile = "framebtn_min.png";
    std::string m_closeFile = "framebtn_close.png";
    std::string m_pieceLeftFile = "barbutton_left.png";
    std::string m_pieceMiddleFile = "barbutton_middle.png";
    std::string m_pieceRightFile = "barbutton_right.png";

    COLORREF m_captionColour = 0;
    bool m_showIcon = true;
    HWND m_frameWindow = nullptr;
    std::vector<std::unique_ptr<CSkinButtonItem>> m_menuButtons;

    int m_trackingIndex = -1;
    int m_popupCount = 0;
    UINT m_menuId = 0;
    CMenu m_loadedMenu;
    HMENU m_dropDown = nullptr;
    std::vector<HWND> m_popups;
    int m_nextIndex = -1;
    int m_visibleMenuButtons = 0;
    bool m_popupClosed = false;
    bool m_captionMenuEnabled = false;
    // 4599 already went out for the drop-down being tracked.
    bool m_closedPosted = false;
    // 4599 reached the frame through a loop other than the tracking loop.
    bool m_closedDispatched = false;
};
