#include "net/DataProvider.h"

#include <atomic>

#include "net/DownLoaderManager.h"
#include "net/ScReciverWindow.h"

namespace {

std::atomic<int32_t> g_mode { 0 };
std::atomic<IDataProvider*> g_override { nullptr };

// Stands where there is no provider to be had: callers never test for null,
// and an asker must still get its one answer.
class FailingDataProvider : public IDataProvider
{
public:
    int32_t RequestSync(int32_t, uint32_t, uint32_t, uint32_t, CMemoryStream*) override { return 0; }
    int32_t RequestAsync(int32_t, uint32_t userData, uint32_t, uint32_t, DownloadCallback callback,
        uintptr_t callbackArg) override
    {
        if (callback)
            callback(userData, callbackArg, nullptr, 0);
        return 1;
    }
};

FailingDataProvider g_failing;

} // namespace

int32_t GetDataProviderMode()
{
    return g_mode.load();
}

void SetDataProviderMode(int32_t mode)
{
    g_mode = mode;
}

void SetDataProviderOverride(IDataProvider* provider)
{
    g_override = provider;
}

IDataProvider* GetFailingDataProvider()
{
    return &g_failing;
}

IDataProvider* GetNetworkDataProvider()
{
    if (IDataProvider* provider = g_override.load())
        return provider;
    if (IDataProvider* manager = CDownLoaderManager::Instance())
        return manager;
    return &g_failing;
}

IDataProvider* GetDataProvider()
{
    if (IDataProvider* provider = g_override.load())
        return provider;
    switch (g_mode.load()) {
    case 0:
        return GetNetworkDataProvider();
    case 1:
        if (IDataProvider* library = CScReciverWindow::Instance())
            return library;
        return &g_failing;
    default:
        return &g_failing;
    }
}
