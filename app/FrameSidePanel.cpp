// The main frame's side panel: the user list and the sector and indicator
// trees, registered with the content panel's message processor.
#include "app/FrameParts.h"
#include "views/ExtraInfoView.h"

namespace {

class CFrameSidePanel : public IFrameSidePanel
{
public:
    HWND Create(HWND frame, CMessageProcessor* owner) override
    {
        m_view.SetOwner(owner);
        return m_view.Create(frame, CRect(0, 0, 0, 0), nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS);
    }
    HWND GetWindow() const override { return m_view.m_hWnd; }
    bool PreTranslateKey(MSG* msg) override { return msg && m_view.m_hWnd && m_view.PreTranslateKey(*msg); }
    void OnTabCommand(UINT command) override { m_view.OnTabCommand(command); }

private:
    CExtraInfoView m_view;
};

} // namespace

std::unique_ptr<IFrameSidePanel> CreateFrameSidePanel()
{
    return std::make_unique<CFrameSidePanel>();
}
