#include <gtest/gtest.h>

#include "base/GlobalDefaults.h"
#include "base/MemoryStream.h"
#include "net/DataProvider.h"
#include "net/DownLoaderManager.h"
#include "tests/support/QuoteFixtures.h"
#include "tools/quotesim/QuoteSimulator.h"

namespace {

class FakeProvider : public IDataProvider
{
public:
    int32_t RequestSync(int32_t command, uint32_t, uint32_t, uint32_t, CMemoryStream*) override
    {
        lastCommand = command;
        return 1;
    }
    int32_t RequestAsync(int32_t command, uint32_t, uint32_t, uint32_t, DownloadCallback, uintptr_t) override
    {
        lastCommand = command;
        return 1;
    }
    int32_t lastCommand = 0;
};

TEST(DataProviderTest, ModeZeroIsTheOneRequestManagerWithItsPool)
{
    QuoteSimulator sim;
    ASSERT_TRUE(sim.Start(0));
    sim.SetHandler(kCmdDayBars, [](const SimRequest&) {
        SimReply reply;
        reply.body = "x";
        return reply;
    });
    QuoteServerAddress::Set("127.0.0.1");
    QuoteServerPort::Set(sim.Port());
    ASSERT_EQ(0, GetDataProviderMode());
    ASSERT_EQ(nullptr, CDownLoaderManager::PeekInstance());

    IDataProvider* first = GetDataProvider();
    EXPECT_EQ(first, GetDataProvider());
    EXPECT_EQ(static_cast<IDataProvider*>(CDownLoaderManager::PeekInstance()), first);
    EXPECT_EQ(first, GetNetworkDataProvider());
    EXPECT_TRUE(CDownLoaderManager::PeekInstance()->IsPoolRunning());

    // A failing synchronous request: 0 and no callback anywhere.
    CallbackRecorder calls;
    CMemoryStream out;
    EXPECT_EQ(0, first->RequestSync(kCmdCodeTable, 0, 0, 0, &out));
    // A failing asynchronous one: taken, then one failure call.
    EXPECT_EQ(1, first->RequestAsync(kCmdCodeTable, 0, 0, 0, &CallbackRecorder::OnComplete, calls.Arg(1)));
    ASSERT_TRUE(calls.WaitForCalls(1, 20000));
    EXPECT_EQ(0, calls.Records()[0].ok);
    EXPECT_EQ(1, first->RequestSync(kCmdDayBars, 1, 0, 0, &out));

    CDownLoaderManager::ReleaseInstance();
    QuoteServerPort::Set(QuoteServerPort::kDefault);
    EXPECT_EQ(1u, calls.Count());
}

TEST(DataProviderTest, UnknownModesNeverYieldNullAndAnswerEveryRequestWithAFailure)
{
    for (int32_t mode : { 2, -1 }) {
        SCOPED_TRACE(mode);
        SetDataProviderMode(mode);
        IDataProvider* provider = GetDataProvider();
        ASSERT_NE(nullptr, provider);
        CallbackRecorder calls;
        CMemoryStream out;
        EXPECT_EQ(0, provider->RequestSync(kCmdCodeTable, 0, 0, 0, &out));
        EXPECT_EQ(1, provider->RequestAsync(kCmdTicks, 7, 0, 0, &CallbackRecorder::OnComplete, calls.Arg(1)));
        ASSERT_EQ(1u, calls.Count());
        EXPECT_EQ(7u, calls.Records()[0].userData);
        EXPECT_EQ(0, calls.Records()[0].ok);
    }
    SetDataProviderMode(0);
    EXPECT_EQ(nullptr, CDownLoaderManager::PeekInstance());
}

TEST(DataProviderTest, AnOverrideStandsInForEveryProviderWithoutStartingThePool)
{
    FakeProvider fake;
    SetDataProviderOverride(&fake);
    EXPECT_EQ(&fake, GetDataProvider());
    EXPECT_EQ(&fake, GetNetworkDataProvider());
    SetDataProviderMode(1);
    EXPECT_EQ(&fake, GetDataProvider());
    SetDataProviderMode(0);
    GetDataProvider()->RequestSync(kCmdFinance, 0, 0, 0, nullptr);
    EXPECT_EQ(kCmdFinance, fake.lastCommand);
    EXPECT_EQ(nullptr, CDownLoaderManager::PeekInstance());
    SetDataProviderOverride(nullptr);
}

} // namespace
