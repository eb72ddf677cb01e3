// A stand-in for the side panel until it is wired in: a plain child that
// paints the panel's background, so the frame's layout and its commands can
// run without it.
#include "app/FrameParts.h"
#include "win/WindowImpl.h"

namespace {

class CPlaceholderWindow : public CWindowImpl<CPlaceholderWindow>
{
public:
    DECLARE_WND_CLASS_EX("ZtFramePlaceholder", 0, COLOR_APPWORKSPACE + 1)

    BEGIN_MSG_MAP(CPlaceholderWindow)
    END_MSG_MAP()
};

class CPlaceholderSidePanel : public IFrameSidePanel
{
public:
    HWND Create(HWND frame, CMessageProcessor*) override
    {
        return m_window.Create(frame, CRect(0, 0, 0, 0), nullptr, WS_CHILD | WS_CLIPCHILDREN);
    }
    HWND GetWindow() const override { return m_window.m_hWnd; }
    bool PreTranslateKey(MSG*) override { return false; }
    void OnTabCommand(UINT) override { }

private:
    CPlaceholderWindow m_window;
};

}

std::unique_ptr<IFrameSidePanel> CreateFrameSidePanel()
{
    return std::make_unique<CPlaceholderSidePanel>();
}
