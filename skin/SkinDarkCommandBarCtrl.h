#pragma once
// The main frame's dark command bar: a gradient (or stretched image)
// background with skinned command buttons laid out from left to right.
// Buttons that do not fit are hidden until the bar is wide enough again. A
// button's click reaches the bar's parent as WM_COMMAND with its command; a
// drop-down button's carries the screen point below its left edge instead
// of the button window, where the parent opens its menu. UI thread only.
#include "skin/SkinDarkCommandButtonCtrl.h"
#include "win/DoubleBuffer.h"
#include "win/Gdi.h"
#include "win/WindowImpl.h"
#include <cstdint>
#include <string>
#include <vector>

struct DarkBarButton
{
    uint32_t command = 0; // the button's control id, sent to the parent
    std::string caption;
    HBITMAP icon = nullptr; // four-frame strip, taken by AddButton and freed once the frames are built
    std::string tooltip;
    uint32_t dropdown = 0; // non-zero: the button opens a menu
    HWND window = nullptr;
    int width = 0;
    CRect rect; // bar client coordinates
};

// The bar's images, each owned by the bar once given (any may be null).
struct DarkBarImages
{
    HBITMAP background = nullptr;
    HBITMAP left = nullptr;
    HBITMAP middle = nullptr;
    HBITMAP right = nullptr;
};

class CSkinDarkCommandBarCtrl : public CWindowImpl<CSkinDarkCommandBarCtrl>,
                                public CDoubleBufferImpl<CSkinDarkCommandBarCtrl>
{
public:
    DECLARE_WND_CLASS_EX("ZtSkinDarkCommandBar", CS_DBLCLKS, COLOR_WINDOW + 1)

    static constexpr int kSpacing = 2;
    static constexpr int kMinimumHeight = 20;
    static constexpr int kRightMargin = 5;

    CSkinDarkCommandBarCtrl() = default;
    ~CSkinDarkCommandBarCtrl() override;

    // Replaces all four images (the previous ones are freed).
    void SetImages(const DarkBarImages& images);
    // After the window exists. False when the button could not be built.
    bool AddButton(const DarkBarButton& button);

    int GetButtonCount() const { return static_cast<int>(m_buttons.size()); }
    const DarkBarButton& GetButton(int index) const { return m_buttons[static_cast<size_t>(index)]; }
    int GetBarHeight() const { return m_barHeight; }
    HFONT GetMenuFont() const { return m_font; }
    // A button shows while its right edge stays left of the client width - 5.
    static bool FitsIn(const CRect& buttonRect, int clientWidth)
    {
        return buttonRect.right < clientWidth - kRightMargin;
    }

    void DoPaint(HDC dc);

    BEGIN_MSG_MAP(CSkinDarkCommandBarCtrl)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        MESSAGE_HANDLER(WM_COMMAND, OnCommand)
        CHAIN_MSG_MAP(CDoubleBufferImpl<CSkinDarkCommandBarCtrl>)
    END_MSG_MAP()

private:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCommand(UINT, WPARAM wp, LPARAM lp, BOOL& handled);
    void UpdateVisibility();

    CFont m_font;
    int m_barHeight = 0;
    CBitmap m_background;
    CBitmap m_left;
    CBitmap m_middle;
    CBitmap m_right;
    std::vector<DarkBarButton> m_buttons;
};
