#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "net/DownloadRequestQueue.h"
#include "tests/support/QuoteFixtures.h"

namespace {

class QueueTest : public ::testing::Test
{
protected:
    void Add(int id, int32_t command, uint32_t key, uint32_t value = 0)
    {
        queue.Add(command, key, value, 0, &CallbackRecorder::OnComplete, calls.Arg(id));
    }
    std::vector<uint32_t> Keys() const
    {
        std::vector<uint32_t> keys;
        for (const DownloadRequest& r : queue.Entries())
            keys.push_back(r.userData);
        return keys;
    }

    DownloadRequestQueue queue;
    CallbackRecorder calls;
};

TEST_F(QueueTest, SeventeenAddsDropTheOldestAndKeepTheSixteenNewestNewestFirst)
{
    for (int i = 1; i <= 16; ++i)
        Add(i, 0x301, 1000 + i);
    EXPECT_EQ(0u, calls.Count());
    Add(17, 0x301, 1017);

    ASSERT_EQ(1u, calls.Count());
    const CallbackRecord dropped = calls.Records()[0];
    EXPECT_EQ(1, dropped.id);
    EXPECT_EQ(1001u, dropped.userData);
    EXPECT_EQ(0, dropped.ok);
    EXPECT_FALSE(dropped.hadStream);
    EXPECT_EQ(::GetCurrentThreadId(), dropped.threadId);

    std::vector<uint32_t> expected;
    for (int i = 17; i >= 2; --i)
        expected.push_back(1000 + i);
    EXPECT_EQ(expected, Keys());
}

TEST_F(QueueTest, ADuplicateIsRefusedWhateverItsValuesButOtherCommandsAreNot)
{
    Add(1, 0x301, 0x600000, 10);
    Add(2, 0x301, 0x600000, 99); // same command and key, other value
    Add(3, 0x302, 0x600000, 10); // other command, same key
    ASSERT_EQ(1u, calls.Count());
    EXPECT_EQ(2, calls.Records()[0].id);
    ASSERT_EQ(2u, queue.Size());
    EXPECT_EQ(0x302, queue.Entries()[0].command);
    EXPECT_EQ(10u, queue.Entries()[1].value);
}

TEST_F(QueueTest, ATakenRequestNoLongerCountsAsADuplicate)
{
    DownloadRequest taken;
    EXPECT_FALSE(queue.PopPending(taken));
    EXPECT_EQ(0u, queue.Size());

    Add(1, 0x401, 0x1A0001);
    Add(2, 0x205, 0x1A0001);
    ASSERT_TRUE(queue.PopPending(taken));
    EXPECT_EQ(0x205, taken.command);
    EXPECT_EQ(DownloadRequest::kTaken, taken.state);
    EXPECT_EQ(INVALID_SOCKET, taken.socket);
    EXPECT_EQ(nullptr, taken.out);

    Add(3, 0x205, 0x1A0001);
    EXPECT_EQ(0u, calls.Count());
    EXPECT_EQ(2u, queue.Size());
}

TEST_F(QueueTest, CancelAllFailsEveryEntryNewestFirstAndEmptiesTheQueue)
{
    Add(1, 0x301, 1);
    Add(2, 0x301, 2);
    Add(3, 0x301, 3);
    queue.CancelAll();
    const auto records = calls.Records();
    ASSERT_EQ(3u, records.size());
    EXPECT_EQ(3, records[0].id);
    EXPECT_EQ(2, records[1].id);
    EXPECT_EQ(1, records[2].id);
    for (const auto& r : records)
        EXPECT_EQ(0, r.ok);
    EXPECT_TRUE(queue.IsEmpty());

    // Discard drops without calls.
    Add(4, 0x301, 4);
    queue.Discard();
    EXPECT_TRUE(queue.IsEmpty());
    EXPECT_EQ(3u, calls.Count());
}

TEST_F(QueueTest, RefusalDropAndCancelCallsAreMadeWithTheQueueLockFree)
{
    // Inside each failure call another thread must be able to use the queue;
    // were the lock still held, it would wait until the call returned.
    std::vector<std::thread> helpers;
    int callsWithLockFree = 0;
    calls.SetHook([&](const CallbackRecord&) {
        auto done = std::make_shared<std::atomic<bool>>(false);
        helpers.emplace_back([this, done] {
            queue.Size();
            *done = true;
        });
        if (WaitUntil([&] { return done->load(); }, 5000))
            ++callsWithLockFree;
    });
    Add(1, 0x301, 1);
    Add(2, 0x301, 1); // refused
    for (int i = 3; i <= 19; ++i)
        Add(i, 0x302, i); // the last two each drop the oldest
    queue.CancelAll();
    for (std::thread& t : helpers)
        t.join();
    EXPECT_EQ(1u + 2u + 16u, calls.Count());
    EXPECT_EQ(static_cast<int>(calls.Count()), callsWithLockFree);
}

} // namespace
