#include "formula/SeriesBufferPool.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

VARIANT SeriesAt(float* buffer, uint32_t count)
{
    VARIANT value;
    std::memset(&value, 0, sizeof value);
    WriteSeries(value, buffer, count);
    return value;
}

TEST(SeriesBufferPool, ReusesTheSmallestFreeBufferThatIsLargeEnough)
{
    SeriesBufferPool pool;
    float* a = pool.Acquire(40);
    float* b = pool.Acquire(80);
    float* c = pool.Acquire(80);
    EXPECT_NE(a, b);
    a[0] = 12345;
    pool.ReleaseUnreferenced();
    EXPECT_EQ(3u, pool.CountFree());
    EXPECT_EQ(200u, pool.FreeBytes());
    // 60 bytes: the 40-byte buffer is too small; of the two that hold them,
    // the one freed last.
    EXPECT_EQ(c, pool.Acquire(60));
    EXPECT_EQ(b, pool.Acquire(60));
    // 20 bytes: the 40-byte buffer, as its last user left it.
    EXPECT_EQ(a, pool.Acquire(20));
    EXPECT_EQ(12345.0f, a[0]);
    ASSERT_NE(nullptr, pool.Find(a));
    EXPECT_EQ(20u, pool.Find(a)->size);
    EXPECT_EQ(40u, pool.Find(a)->capacity);
    EXPECT_TRUE(pool.Find(a)->inUse);
    EXPECT_EQ(0u, pool.FreeBytes());
    // Nothing free: a new buffer of exactly the request.
    float* d = pool.Acquire(12);
    EXPECT_EQ(4u, pool.CountEntries());
    EXPECT_EQ(12u, pool.Find(d)->capacity);
    EXPECT_EQ(nullptr, pool.Find(a + 1));
}

TEST(SeriesBufferPool, KeepsWhatIsReferencedAndFreesWhatIsLetGo)
{
    SeriesBufferPool pool;
    float* a = pool.Acquire(8);
    float* b = pool.Acquire(8);
    float* c = pool.Acquire(8);
    const VARIANT seriesA = SeriesAt(a, 2);
    const VARIANT seriesC = SeriesAt(c, 2);
    pool.AddReference(seriesA);
    pool.AddReference(seriesC);
    pool.AddReference(seriesC);
    // A number whose value field happens to equal b's address keeps nothing.
    VARIANT number;
    std::memset(&number, 0, sizeof number);
    number.vt = VT_I4;
    number.byref = b;
    pool.AddReference(number);
    pool.ReleaseUnreferenced();
    EXPECT_TRUE(pool.Find(a)->inUse);
    EXPECT_FALSE(pool.Find(b)->inUse);
    EXPECT_TRUE(pool.Find(c)->inUse);
    EXPECT_EQ(2u, pool.Find(c)->references);

    // One of c's two references goes: it stays. a's only one goes: a is free.
    pool.DropReference(seriesC);
    pool.DropReference(seriesA);
    // Dropping what was never counted changes nothing.
    pool.DropReference(seriesA);
    pool.DropReference(number);
    pool.ReleaseUnreferenced();
    EXPECT_FALSE(pool.Find(a)->inUse);
    EXPECT_TRUE(pool.Find(c)->inUse);
    EXPECT_EQ(1u, pool.Find(c)->references);
    EXPECT_EQ(2u, pool.CountFree());

    // A buffer whose reference goes and comes back within one statement stays.
    pool.DropReference(seriesC);
    pool.AddReference(seriesC);
    pool.ReleaseUnreferenced();
    EXPECT_TRUE(pool.Find(c)->inUse);
}

TEST(SeriesBufferPool, KeepsFreeBuffersUpToATotalSizeReleasingTheLargestFirst)
{
    // Free buffers are kept whatever their number while their size allows.
    SeriesBufferPool many;
    for (int i = 0; i < 100; ++i)
        many.Acquire(4 * (i + 1));
    many.ReleaseUnreferenced();
    EXPECT_EQ(100u, many.CountEntries());
    EXPECT_EQ(100u, many.CountFree());

    // Past the total, the largest free ones go until the rest fits; those in
    // use stay whatever their size.
    const size_t quarter = SeriesBufferPool::kFreeBytesKept / 4;
    SeriesBufferPool pool;
    float* small = pool.Acquire(quarter);
    float* large = pool.Acquire(2 * quarter);
    float* largest = pool.Acquire(3 * quarter);
    float* held = pool.Acquire(4 * quarter);
    pool.AddReference(SeriesAt(held, 1));
    pool.ReleaseUnreferenced();
    EXPECT_EQ(nullptr, pool.Find(largest));
    EXPECT_NE(nullptr, pool.Find(large));
    EXPECT_NE(nullptr, pool.Find(small));
    ASSERT_NE(nullptr, pool.Find(held));
    EXPECT_TRUE(pool.Find(held)->inUse);
    EXPECT_EQ(3 * quarter, pool.FreeBytes());
    EXPECT_LE(pool.FreeBytes(), SeriesBufferPool::kFreeBytesKept);

    pool.ReleaseAll();
    EXPECT_EQ(0u, pool.CountEntries());
    EXPECT_EQ(0u, pool.FreeBytes());
}

}
