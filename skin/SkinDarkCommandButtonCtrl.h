#pragma once
// A button of the dark command bar: its strip is composed from three
// four-frame pieces (left cap, stretched middle, right cap), an optional
// four-frame icon, the caption and an optional drop-down arrow.
#include "skin/SkinFadeStateButtonCtrl.h"

class CSkinDarkCommandButtonCtrl : public CSkinFadeStateButtonCtrl
{
public:
    // Takes the three piece strips (owned): cap width = left width / 4,
    // middle width = middle width / 4, height = the middle piece's height.
    CSkinDarkCommandButtonCtrl(HBITMAP left, HBITMAP middle, HBITMAP right);

    // Builds the strip from the pieces, the icon strip (not taken; may be
    // null), the caption and the arrow, shows it and sizes the window to one
    // frame. False when nothing could be built.
    bool SetContent(HBITMAP iconStrip, const std::string& caption, bool dropdown);

    // 2 caps + 8, + an icon frame, + the caption (and 4 more with an icon), + 10 with the arrow.
    static int FrameWidth(int capWidth, int iconFrameWidth, int captionWidth, bool dropdown);
    int GetCapWidth() const { return m_capWidth; }
    int GetPieceHeight() const { return m_pieceHeight; }

private:
    CBitmap m_left;
    CBitmap m_middle;
    CBitmap m_right;
    int m_capWidth = 0;
    int m_middleWidth = 0;
    int m_pieceHeight = 0;
};
