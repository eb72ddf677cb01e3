#pragma once
// The parts the main frame hosts but does not make itself: the content panel,
// the side panel and the service poll thread. The frame sees each through one
// narrow interface; CreateFrameContent, CreateFrameSidePanel and
// CreateFramePoller make the program's own, and tests hand the frame fakes
// instead.
#include <windows.h>
#include <memory>

class CMessageProcessor;
class CSkinCmdBar;
class CSkinScrollInfo;
class CSkinStatusBarCtrl;
class CUpdateUI;

class IFrameContent
{
public:
    virtual ~IFrameContent() { }
    // A visible child with clipped children; null on failure.
    virtual HWND Create(HWND frame, CUpdateUI* updateUi, CSkinCmdBar* tabRow) = 0;
    virtual HWND GetWindow() const = 0;
    // The panel's own acceptor of view messages.
    virtual void Accept(UINT viewMessage, WPARAM wParam, LPARAM lParam) = 0;
    virtual void SwitchView(UINT viewId) = 0;
    // The stock of a market tag ("SH", "SZ", "SB") and a code text in the
    // minute chart; anything else is ignored.
    virtual void OpenStockByText(const char* market, const char* code) = 0;
    // True when the panel consumed the key message.
    virtual bool RouteKey(MSG* msg) = 0;
    virtual void OnIndicatorCommand(UINT command, LPARAM extra) = 0;
    // The hub the side panel registers its acceptors with; may be null.
    virtual CMessageProcessor* GetMessageProcessor() = 0;
};

class IFrameSidePanel
{
public:
    virtual ~IFrameSidePanel() { }
    // A hidden child; null on failure.
    virtual HWND Create(HWND frame, CMessageProcessor* owner) = 0;
    virtual HWND GetWindow() const = 0;
    virtual bool PreTranslateKey(MSG* msg) = 0;
    // 5010 the sector tree, 5011 the indicator tree, anything else the user list.
    virtual void OnTabCommand(UINT command) = 0;
};

class IFramePoller
{
public:
    virtual ~IFramePoller() { }
    // Starts the poll thread, which calls the three services once at once.
    virtual void Start() = 0;
    // Sets the stop flag and waits for the thread.
    virtual void Stop() = 0;
};

std::unique_ptr<IFrameContent> CreateFrameContent();
std::unique_ptr<IFrameSidePanel> CreateFrameSidePanel();
// On the UI thread: the polls show their results in the frame's news ticker
// and status bar.
std::unique_ptr<IFramePoller> CreateFramePoller(CSkinScrollInfo& ticker, CSkinStatusBarCtrl& statusBar);
