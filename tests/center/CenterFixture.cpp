#include "tests/center/CenterFixture.h"

#include "data/DataCenter.h"
#include "net/DownLoaderManager.h"

void CenterFixture::SetUp()
{
    ASSERT_TRUE(sim.ok());
    center = CDataCenter::Instance();
    ASSERT_TRUE(center);
    center->SetObserver(&observer);
}

void CenterFixture::TearDown()
{
    sim.quotes.ReleaseAll();
    if (CDataCenter* live = CDataCenter::PeekInstance())
        live->StopCacheThread();
    CDownLoaderManager::ReleaseInstance();
    CDataCenter::ReleaseInstance();
    center = nullptr;
}
