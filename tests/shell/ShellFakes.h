#pragma once
// Fakes of the parts the main frame hosts, recording what reaches them.
#include "app/FrameParts.h"
#include "win/WindowImpl.h"
#include <string>
#include <utility>
#include <vector>

struct ShellLog
{
    std::vector<std::string> events;
};

class CFakeChildWindow : public CWindowImpl<CFakeChildWindow>
{
public:
    DECLARE_WND_CLASS_EX("ZtShellFakeChild", 0, COLOR_WINDOW + 1)
    BEGIN_MSG_MAP(CFakeChildWindow)
    END_MSG_MAP()
};

struct ViewMessage
{
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class CFakeContent : public IFrameContent
{
public:
    std::vector<ViewMessage> accepted;
    std::vector<std::pair<std::string, std::string>> opened; // market, code
    std::vector<UINT> switched;
    std::vector<UINT> indicatorCommands;
    int routedKeys = 0;
    bool consumeKeys = false;

    HWND Create(HWND frame, CUpdateUI*, CSkinCmdBar*) override
    {
        return m_window.Create(frame, CRect(0, 0, 0, 0), nullptr, WS_CHILD | WS_VISIBLE);
    }
    HWND GetWindow() const override { return m_window.m_hWnd; }
    void Accept(UINT message, WPARAM wp, LPARAM lp) override { accepted.push_back({ message, wp, lp }); }
    void SwitchView(UINT id) override { switched.push_back(id); }
    void OpenStockByText(const char* market, const char* code) override
    {
        opened.push_back({ market, code });
    }
    bool RouteKey(MSG*) override
    {
        ++routedKeys;
        return consumeKeys;
    }
    void OnIndicatorCommand(UINT command, LPARAM) override { indicatorCommands.push_back(command); }
    CMessageProcessor* GetMessageProcessor() override { return nullptr; }

private:
    CFakeChildWindow m_window;
};

class CFakeSidePanel : public IFrameSidePanel
{
public:
    std::vector<UINT> tabCommands;
    int keys = 0;

    HWND Create(HWND frame, CMessageProcessor*) override
    {
        return m_window.Create(frame, CRect(0, 0, 0, 0), nullptr, WS_CHILD);
    }
    HWND GetWindow() const override { return m_window.m_hWnd; }
    bool PreTranslateKey(MSG*) override
    {
        ++keys;
        return false;
    }
    void OnTabCommand(UINT command) override { tabCommands.push_back(command); }

private:
    CFakeChildWindow m_window;
};

class CFakePoller : public IFramePoller
{
public:
    explicit CFakePoller(ShellLog& log)
        : m_log(log)
    {
    }
    void Start() override { m_log.events.push_back("poll start"); }
    void Stop() override { m_log.events.push_back("poll stop"); }

private:
    ShellLog& m_log;
};
