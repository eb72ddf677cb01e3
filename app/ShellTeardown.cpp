#include "app/ShellTeardown.h"
#include "base/DataPaths.h"
#include "base/GdiObjectCache.h"
#include "base/GlobalDefaults.h"
#include "data/DataCenter.h"
#include "data/GroupData.h"
#include "data/UserStockList.h"
#include "formula/FormulaLibrary.h"
#include "formula/FormulaManager.h"
#include "net/DownLoaderManager.h"
#include "net/HttpClient.h"
#include "views/ViewOptions.h"

std::vector<TeardownStep> ApplicationReleaseSteps()
{
    return {
        // No request leaves the cache after this, so the manager can go next.
        { "CStockFactory",
            [] {
                if (CDataCenter* center = CDataCenter::PeekInstance())
                    center->StopCacheThread();
            } },
        // Waits for its workers and fails what is queued; the callbacks still
        // find their series alive in the data center.
        { "CDownLoaderManager", [] { CDownLoaderManager::ReleaseInstance(); } },
        { "HttpClient", [] { HttpClient::ReleaseInstance(); } },
        { "CDataCenter", [] { CDataCenter::ReleaseInstance(); } },
        { "CalcDefaults", [] { CalcDefaults::ReleaseInstance(); } },
        { "FormulaManager", [] { FormulaManager::Release(); } },
        // Its destruction saves the user's list.
        { "UserStockList", [] { UserStockList::ReleaseInstance(); } },
        { "FormulaLibrary", [] { FormulaLibrary::Release(); } },
        { "GroupIndex", [] { GroupIndex::ReleaseInstance(); } },
        { "DataPaths", [] { DataPaths::ReleaseInstance(); } },
        { "GdiObjectCache", [] { GdiObjectCache::ReleaseInstance(); } },
        { "ViewOptions", [] { ViewOptions::ReleaseInstance(); } },
    };
}

void RunShellTeardown(const std::function<void()>& leaveMessageLoop, const std::function<void()>& stopPollThread,
    const std::function<void()>& destroyViews, const std::vector<TeardownStep>& releases)
{
    if (leaveMessageLoop)
        leaveMessageLoop();
    if (stopPollThread)
        stopPollThread();
    if (destroyViews)
        destroyViews();
    for (const TeardownStep& step : releases)
        if (step.run)
            step.run();
}
