// Stand-ins for the content panel and the side panel until those are wired
// in: plain children that paint the panel's background, so the frame's layout
// and its commands can run without them.
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

class CPlaceholderContent : public IFrameContent
{
public:
    HWND Create(HWND frame, CUpdateUI*, CSkinCmdBar*) override
    {
        return m_window.Create(frame, CRect(0, 0, 0, 0), nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN);
    }
    HWND GetWindow() const override { return m_window.m_hWnd; }
    void Accept(UINT, WPARAM, LPARAM) override { }
    void SwitchView(UINT) override { }
    bool RouteKey(MSG*) override { return false; }
    void OnIndicatorCommand(UINT, LPARAM) override { }
    CMessageProcessor* GetMessageProcessor() override { return nullptr; }

private:
    CPlaceholderWindow m_window;
};

}

std::unique_ptr<IFrameContent> CreateFrameContent()
{
    return std::make_unique<CPlaceholderContent>();
}
