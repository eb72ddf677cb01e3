#include "formula/SeriesBufferPool.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

FormulaVariant SeriesAt(float* buffer, uint32_t count)
{
    VARIANT value;
    std::memset(&value, 0, sizeof value);
    WriteSeries(value, buffer, count);
    FormulaVariant owned(value);
    return owned;
}

TEST(SeriesBufferPool, ReusesTheFirstFreeBufferThatIsLargeEnough)
{
    SeriesBufferPool pool;
    float* a = pool.Acquire(40);
    float* b = pool.Acquire(80);
    EXPECT_NE(a, b);
    a[0] = 12345;
    FormulaVariables variables;
    FormulaValueList runValues;
    pool.ReleaseUnreferenced(variables, runValues);
    EXPECT_EQ(2u, pool.CountFree());
    // 60 bytes: the first entry is too small, the second holds them.
    EXPECT_EQ(b, pool.Acquire(60));
    // 20 bytes: the first entry, as its last user left it.
    EXPECT_EQ(a, pool.Acquire(20));
    EXPECT_EQ(12345.0f, a[0]);
    EXPECT_EQ(20u, pool.GetEntries()[0].size);
    EXPECT_EQ(40u, pool.GetEntries()[0].capacity);
    // Nothing free: a new buffer of exactly the request.
    pool.Acquire(12);
    ASSERT_EQ(3u, pool.GetEntries().size());
    EXPECT_EQ(12u, pool.GetEntries()[2].capacity);
}

TEST(SeriesBufferPool, KeepsWhatVariablesAndRunValuesPointTo)
{
    SeriesBufferPool pool;
    float* a = pool.Acquire(8);
    float* b = pool.Acquire(8);
    float* c = pool.Acquire(8);
    FormulaVariables variables;
    variables.emplace(L"X", SeriesAt(a, 2));
    FormulaValueList runValues;
    runValues.push_back(SeriesAt(c, 2));
    // A number whose value field happens to equal b's address keeps nothing.
    VARIANT number;
    std::memset(&number, 0, sizeof number);
    number.vt = VT_I4;
    number.byref = b;
    runValues.emplace_back(number);
    pool.ReleaseUnreferenced(variables, runValues);
    EXPECT_TRUE(pool.GetEntries()[0].inUse);
    EXPECT_FALSE(pool.GetEntries()[1].inUse);
    EXPECT_TRUE(pool.GetEntries()[2].inUse);
}

TEST(SeriesBufferPool, ReleasesFreeBuffersOnlyWhenFourAreFree)
{
    struct ReleaseCase
    {
        int buffers;
        size_t left; // entries after the release, none referenced
    };
    const ReleaseCase cases[] = { { 3, 3 }, { 4, 1 }, { 10, 1 } };
    for (const ReleaseCase& c : cases) {
        SeriesBufferPool pool;
        for (int i = 0; i < c.buffers; ++i)
            pool.Acquire(4 * (i + 1));
        float* first = pool.GetEntries()[0].buffer;
        pool.ReleaseUnreferenced(FormulaVariables(), FormulaValueList());
        EXPECT_EQ(c.left, pool.GetEntries().size()) << c.buffers;
        EXPECT_EQ(first, pool.GetEntries()[0].buffer) << c.buffers;
    }
    // Referenced entries survive a release between free ones.
    SeriesBufferPool pool;
    float* kept = nullptr;
    for (int i = 0; i < 6; ++i) {
        float* buffer = pool.Acquire(4);
        if (i == 3)
            kept = buffer;
    }
    FormulaVariables variables;
    variables.emplace(L"K", SeriesAt(kept, 1));
    pool.ReleaseUnreferenced(variables, FormulaValueList());
    ASSERT_EQ(2u, pool.GetEntries().size());
    EXPECT_EQ(kept, pool.GetEntries()[1].buffer);
    EXPECT_TRUE(pool.GetEntries()[1].inUse);
}

}
