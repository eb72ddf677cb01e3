// A reply reaches a series through the completion callback: the series stays marked as
// waiting until the callback has finished with it, since its owner deletes it once it is not.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/DataUpdateNotify.h"
#include "data/F10Data.h"
#include "data/FenbiData.h"
#include "data/FiveMinData.h"
#include "data/KData.h"
#include "tests/support/SeriesFixtures.h"

namespace {

const uint32_t kKey = 0x600000;

// Notes whether the series still counted as waiting while it was being notified.
class PendingProbe : public CDataUpdateNotiy
{
public:
    explicit PendingProbe(CBase* series)
        : m_series(series)
    {
    }
    int OnDataUpdate(int kind, uint32_t) override
    {
        kinds.push_back(kind);
        pendingWhileNotified.push_back(m_series->IsRequestPending());
        return 0;
    }
    std::vector<int> kinds;
    std::vector<int> pendingWhileNotified;

private:
    CBase* m_series;
};

void Deliver(CBase& series, const std::string& body)
{
    CMemoryStream stream;
    FillStream(stream, body);
    series.SetRequestPending(1);
    CBase::OnDownloadComplete(kKey, reinterpret_cast<uintptr_t>(&series), &stream, 1);
}

std::string F10Body()
{
    std::string bytes;
    AppendPod(bytes, int32_t(1));
    AppendPod(bytes, int32_t(2));
    return bytes + std::string(50, 'x');
}

TEST(ReplyCompletion, EverySeriesStaysPendingUntilItsCallbackHasNotified)
{
    const int32_t day = T(2011, 8, 17);
    ScopedServerTime server(day + 10 * 3600);
    CKData bars;
    CFiveMinData fiveMinutes;
    CFenbiData ticks;
    CF10Data f10;
    const struct
    {
        CBase* series;
        std::string reply;
    } cases[] = {
        { &bars, BarReply({ MakeWireBar(day, 1, 1, 1, 1, 1, 1) }) },
        { &fiveMinutes, BarReply({ MakeWireBar(day + 9 * 3600 + 35 * 60, 1, 1, 1, 1, 1, 1) }) },
        { &ticks,
            TickReply(MakeWireTickHeader(day + 10 * 3600, 10),
                { MakeWireTick(day + 9 * 3600 + 31 * 60, 10, 1, 1) }) },
        { &f10, F10Body() },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.series->GetKind());
        PendingProbe probe(c.series);
        c.series->SetNotifier(&probe);
        Deliver(*c.series, c.reply);
        ASSERT_EQ(probe.kinds.size(), 1u) << "merged and notified";
        EXPECT_EQ(probe.pendingWhileNotified[0], 1);
        EXPECT_EQ(c.series->IsRequestPending(), 0) << "cleared once the callback is done";

        // A reply the series refuses still ends the wait.
        Deliver(*c.series, std::string(4, '\0'));
        EXPECT_EQ(c.series->IsRequestPending(), 0);
        c.series->SetNotifier(nullptr);
        c.series->SetActive(0);
    }
    EXPECT_EQ(bars.GetCount(), 1);
    EXPECT_EQ(fiveMinutes.GetCount(), 1);
    EXPECT_EQ(ticks.GetCount(), 1);
    EXPECT_EQ(f10.GetTextLength(), 50);
    // A tick reply of an earlier day is ignored, and the wait still ends.
    Deliver(ticks,
        TickReply(MakeWireTickHeader(day - 86400 + 10 * 3600, 10), { MakeWireTick(day - 3600, 9, 1, 1) }));
    EXPECT_EQ(ticks.IsRequestPending(), 0);
    EXPECT_EQ(ticks.GetCount(), 1);
}

} // namespace
