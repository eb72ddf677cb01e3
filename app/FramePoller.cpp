// The program's service polls, showing what they fetch in the main frame's
// news ticker and status bar.
#include "app/FrameParts.h"
#include "app/ServicePoller.h"
#include "base/GdiObjectCache.h"
#include "net/ServiceBaseUrl.h"
#include "skin/SkinScrollInfo.h"
#include "skin/SkinStatusBarCtrl.h"

namespace {

class CFramePollTarget : public IServicePollTarget
{
public:
    CFramePollTarget(CSkinScrollInfo& ticker, CSkinStatusBarCtrl& statusBar)
        : m_ticker(ticker)
        , m_statusBar(statusBar)
    {
    }
    void ShowNews(const std::string& text) override { m_ticker.SetNewsItems(text.c_str(), nullptr); }
    void ShowStatus(const std::vector<StatusPane>& panes) override { m_statusBar.SetStatusItems(panes); }

private:
    CSkinScrollInfo& m_ticker;
    CSkinStatusBarCtrl& m_statusBar;
};

// The poller with its target, as one part of the frame.
class CFramePoller : public IFramePoller
{
public:
    CFramePoller(CSkinScrollInfo& ticker, CSkinStatusBarCtrl& statusBar)
        : m_target(ticker, statusBar)
        , m_poller(m_target, Fonts(), &DownloadServiceBody, [] { return ServiceBaseUrl::Get(); })
    {
    }
    void Start() override { m_poller.Start(); }
    void Stop() override { m_poller.Stop(); }

private:
    static StatusPaneFonts Fonts()
    {
        StatusPaneFonts fonts;
        if (GdiObjectCache* cache = GdiObjectCache::Instance()) {
            fonts.bold = cache->GetFont(12, "宋体", 700);
            fonts.normal = cache->GetFont(12, "宋体", 400);
        }
        return fonts;
    }

    CFramePollTarget m_target;
    CServicePoller m_poller;
};

} // namespace

std::unique_ptr<IFramePoller> CreateFramePoller(CSkinScrollInfo& ticker, CSkinStatusBarCtrl& statusBar)
{
    return std::make_unique<CFramePoller>(ticker, statusBar);
}
