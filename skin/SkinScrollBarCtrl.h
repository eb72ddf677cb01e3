#pragma once
// The news bar at the bottom of the main frame: a sliced skin background,
// the news ticker, and two skinned links in front of it. The first link can
// show an icon, or animate several; the second is a plain text link. Link
// data and icons are given before the window is created and read once when
// it is. UI thread only (the ticker's items may be replaced from any thread).
#include "skin/SkinBitmap.h"
#include "skin/SkinBitmapHyperLink.h"
#include "skin/SkinScrollInfo.h"
#include "win/DoubleBuffer.h"
#include "win/WindowImpl.h"
#include <string>
#include <vector>

class CSkinScrollBarCtrl : public CWindowImpl<CSkinScrollBarCtrl>,
                           public CDoubleBufferImpl<CSkinScrollBarCtrl>
{
public:
    DECLARE_WND_CLASS_EX("ZtSkinScrollBar", CS_DBLCLKS, COLOR_WINDOW + 1)

    static constexpr int kCornerX = 320;
    static constexpr COLORREF kLinkColour = RGB(192, 0, 0);
    // The first link: no tooltip, the image left of the label.
    static constexpr DWORD kFirstLinkStyle = kHyperLinkNoTooltip | CSkinBitmapHyperLink::kImageLeft;

    CSkinScrollBarCtrl() = default;
    ~CSkinScrollBarCtrl() override;

    // The background, a file of the skin directory.
    bool SetBackground(const char* skinFileName);
    // The icon (may be null) is owned from now on; with two or more icons the link animates.
    void SetFirstLink(const std::string& url, const std::string& label, HBITMAP icon);
    void AddFirstLinkIcon(HBITMAP icon);
    void SetSecondLink(const std::string& url, const std::string& label);
    // Given to both links when they are created (not owned).
    void SetLinkFont(HFONT font) { m_linkFont = font; }

    CSkinScrollInfo& GetTicker() { return m_ticker; }
    CSkinBitmapHyperLink& GetFirstLink() { return m_firstLink; }
    CSkinBitmapHyperLink& GetSecondLink() { return m_secondLink; }
    int GetBarHeight() const { return m_barHeight; }
    int GetPendingIconCount() const { return static_cast<int>(m_icons.size()); }

    void DoPaint(HDC dc);

    BEGIN_MSG_MAP(CSkinScrollBarCtrl)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        SIZE_HANDLER(OnSize)
        CHAIN_MSG_MAP(CDoubleBufferImpl<CSkinScrollBarCtrl>)
    END_MSG_MAP()

private:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    void OnSize(UINT, CSize size, BOOL&);
    void CreateLink(CSkinBitmapHyperLink& link, const std::string& url, const std::string& label);

    CSkinBitmap m_background;
    CSkinBitmapHyperLink m_firstLink;
    CSkinBitmapHyperLink m_secondLink;
    std::vector<CBitmap> m_icons; // until the first link takes them
    int m_barHeight = 0;
    std::string m_firstUrl;
    std::string m_firstLabel;
    CSkinScrollInfo m_ticker;
    std::string m_secondUrl;
    std::string m_secondLabel;
    HFONT m_linkFont = nullptr;
};
