#pragma once
// Dialog buttons painted from skin images: a push button whose strip is an
// image with its caption drawn in, and a check box or radio button that shows
// an unchecked or a checked strip with its caption beside it.
#include "skin/SkinFadeStateButtonCtrl.h"

class CSkinImgButton : public CSkinFadeStateButtonCtrl
{
public:
    // Takes the image (a four-frame strip; freed once the button's strip is
    // built) and builds the strip with the caption centred in every frame
    // and an optional drop-down arrow; the window is sized to one frame.
    bool SetContent(HBITMAP image, const std::string& caption, bool dropdown);
    void SetTextColour(COLORREF colour) { m_textColour = colour; }

    // The strip's frame width and height for an image frame and a caption.
    static CSize FrameSize(CSize imageFrame, CSize caption);

private:
    COLORREF m_textColour = RGB(0xFF, 0xFF, 0xFF);
};

class CCheckButton : public CSkinFadeStateButtonCtrl
{
public:
    // Takes both images (four-frame strips, freed once the strips are built)
    // and builds a strip from each, one frame wide enough for the caption
    // that is drawn beside the image. Shows the unchecked strip.
    bool SetImages(HBITMAP unchecked, HBITMAP checked, const std::string& caption);
    void SetTextColour(COLORREF colour) { m_textColour = colour; }
    bool IsShowingChecked() const { return m_showingChecked; }
    int GetCaptionOffset() const { return m_captionOffset; }

protected:
    void OnLButtonDown(UINT msg, WPARAM wp, LPARAM lp, BOOL& handled) override;
    void OnLButtonUp(UINT msg, WPARAM wp, LPARAM lp, BOOL& handled) override;
    void DrawItem(HDC dc) override;

private:
    HBITMAP BuildStrip(HBITMAP image, int frameWidth, int height) const;

    CBitmap m_unchecked;
    CBitmap m_checked;
    bool m_showingChecked = false;
    std::string m_caption;
    int m_captionOffset = 0;
    COLORREF m_textColour = RGB(0xFF, 0xFF, 0xFF);
};
