#pragma once
// The program's content panel as the main frame hosts it.
#include "app/ContentPanelView.h"
#include "app/FrameParts.h"

class CFrameContent : public IFrameContent
{
public:
    CFrameContent() = default;
    // Tests give the panel their own seams.
    explicit CFrameContent(std::unique_ptr<IMenuCommandServices> menuServices)
        : m_panel(nullptr, nullptr, std::move(menuServices))
    {
    }

    HWND Create(HWND frame, CUpdateUI* updateUi, CSkinCmdBar* tabRow) override;
    HWND GetWindow() const override { return m_panel.m_hWnd; }
    void Accept(UINT viewMessage, WPARAM wParam, LPARAM lParam) override
    {
        m_panel.Accept(viewMessage, wParam, lParam);
    }
    void SwitchView(UINT viewId) override { m_panel.SwitchView(static_cast<int32_t>(viewId)); }
    void OpenStockByText(const char* market, const char* code) override
    {
        m_panel.OpenStockByText(market, code);
    }
    bool RouteKey(MSG* msg) override { return m_panel.m_hWnd && m_panel.RouteKey(msg); }
    void OnIndicatorCommand(UINT command, LPARAM) override { m_panel.OnIndicatorCommand(command); }
    CMessageProcessor* GetMessageProcessor() override { return &m_panel.GetHub(); }

    CContentPanelView& GetPanel() { return m_panel; }

private:
    CContentPanelView m_panel;
};
