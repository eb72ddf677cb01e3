// The completion flow every asynchronous series reply goes through.
#include <gtest/gtest.h>

#include "base/MemoryStream.h"
#include "data/DataUpdateNotify.h"
#include "data/SeriesBase.h"

namespace {

class RecordingNotifier : public CDataUpdateNotiy
{
public:
    int OnDataUpdate(int kind, uint32_t key) override
    {
        ++calls;
        lastKind = kind;
        lastKey = key;
        return 0;
    }
    int calls = 0;
    int lastKind = -1;
    uint32_t lastKey = 0;
};

class FakeSeries : public CBase
{
public:
    int Load(const char*, uint32_t) override { return 0; }
    int Save(const char*) override { return 0; }
    int RequestData(int) override
    {
        m_pending.store(1);
        return 1;
    }
    int Merge(uint32_t key, CMemoryStream* stream) override
    {
        ++merges;
        mergedKey = key;
        mergedBytes = stream ? stream->GetSize() : -1;
        if (!takes)
            return 0;
        m_dirty.store(1);
        m_active.store(1);
        return 1;
    }
    int IsValid() override { return valid; }

    int valid = 1;
    int takes = 1; // 0: every reply is refused
    int merges = 0;
    uint32_t mergedKey = 0;
    int mergedBytes = 0;
};

struct CompletionCase
{
    const char* name;
    int ok;
    int valid;
    bool withNotifier;
    int takes;
    int expectMerges;
    int expectNotices;
};

} // namespace

TEST(SeriesBase, CompletionMergesNotifiesAndAlwaysClearsPending)
{
    const CompletionCase cases[] = {
        { "success", 1, 1, true, 1, 1, 1 },
        { "failure leaves the series alone", 0, 1, true, 1, 0, 0 },
        { "invalid series drops the reply", 1, 0, true, 1, 0, 0 },
        { "no notifier: merge, nobody told", 1, 1, false, 1, 1, 0 },
        { "a refused reply: nothing changed, nobody told", 1, 1, true, 0, 1, 0 },
    };
    for (const CompletionCase& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingNotifier notifier;
        FakeSeries series;
        series.SetKind(kSeriesDay);
        series.SetKey(0x1000001);
        series.valid = c.valid;
        series.takes = c.takes;
        if (c.withNotifier)
            series.SetNotifier(&notifier);
        series.RequestData(0);
        ASSERT_EQ(series.IsRequestPending(), 1);

        CMemoryStream reply;
        reply.Write("12345678", 8);
        CBase::OnDownloadComplete(
            0x1000001, reinterpret_cast<uintptr_t>(&series), c.ok ? &reply : nullptr, c.ok);
        EXPECT_EQ(series.IsRequestPending(), 0);
        EXPECT_EQ(series.merges, c.expectMerges);
        EXPECT_EQ(notifier.calls, c.expectNotices);
        EXPECT_EQ(series.IsDirty(), c.expectMerges && c.takes);
        if (c.expectMerges) {
            EXPECT_EQ(series.mergedKey, 0x1000001u);
            EXPECT_EQ(series.mergedBytes, 8);
        }
        if (c.expectNotices) {
            EXPECT_EQ(notifier.lastKind, kSeriesDay);
            EXPECT_EQ(notifier.lastKey, 0x1000001u);
        }
    }
    CBase::OnDownloadComplete(0, 0, nullptr, 0); // a null series is ignored
}

TEST(SeriesBase, CopyHeaderCarriesNeitherDirtyNorPendingNorKind)
{
    RecordingNotifier notifier;
    FakeSeries source;
    source.SetKind(kSeriesTicks);
    source.SetKey(0x600000);
    source.SetNotifier(&notifier);
    source.RequestData(0);
    CMemoryStream reply;
    source.Merge(0x600000, &reply);

    FakeSeries target;
    target.SetKind(kSeriesDay);
    target.SetActive(0);
    target.SetRequestPending(1);
    EXPECT_EQ(source.CopyHeaderTo(&target), 0);
    EXPECT_EQ(target.GetKey(), 0x600000u);
    EXPECT_EQ(target.GetNotifier(), &notifier);
    EXPECT_EQ(target.IsRequestPending(), 0);
    EXPECT_EQ(target.IsDirty(), 0);
    EXPECT_EQ(target.GetKind(), kSeriesDay);
    EXPECT_EQ(target.IsActive(), 0);

    FakeSeries fresh;
    EXPECT_EQ(fresh.IsActive(), 1);
    EXPECT_EQ(fresh.GetKind(), 0);
    EXPECT_EQ(fresh.GetNotifier(), nullptr);
}
