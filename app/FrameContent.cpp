#include "app/FrameContent.h"

HWND CFrameContent::Create(HWND frame, CUpdateUI* updateUi, CSkinCmdBar* tabRow)
{
    m_panel.SetMainFrame(updateUi);
    m_panel.SetTabRow(tabRow);
    return m_panel.Create(frame, CRect(0, 0, 0, 0), nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN);
}

std::unique_ptr<IFrameContent> CreateFrameContent()
{
    return std::make_unique<CFrameContent>();
}
