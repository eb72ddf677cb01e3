#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <string>

#include "base/MemoryStream.h"
#include "net/QuoteProtocol.h"
#include "net/ReplyMemoryBudget.h"

namespace {

std::string Deflate(const std::string& plain)
{
    uLongf size = compressBound(static_cast<uLong>(plain.size()));
    std::string out(size, '\0');
    EXPECT_EQ(Z_OK,
        compress2(reinterpret_cast<Bytef*>(&out[0]), &size, reinterpret_cast<const Bytef*>(plain.data()),
            static_cast<uLong>(plain.size()), 6));
    out.resize(size);
    return out;
}

struct Inflated
{
    int result;
    std::string bytes;
    bool outIsNull;
};

Inflated InflateAll(const std::string& in, uint32_t maxOutput = kMaxInflatedBody)
{
    uint8_t* out = reinterpret_cast<uint8_t*>(1);
    uint32_t length = 12345;
    Inflated r;
    r.result = InflateBuffer(reinterpret_cast<const uint8_t*>(in.data()), static_cast<uint32_t>(in.size()),
        &out, &length, maxOutput);
    r.outIsNull = out == nullptr;
    if (out)
        r.bytes.assign(reinterpret_cast<char*>(out), length);
    std::free(out);
    return r;
}

TEST(InflateBufferTest, WholeStreamsInflateAcrossStepBoundaries)
{
    for (size_t n : { size_t(1), size_t(kInflateStep - 1), size_t(kInflateStep), size_t(kInflateStep + 1),
             size_t(3 * kInflateStep), size_t(1 << 20) }) {
        SCOPED_TRACE(n);
        std::string plain(n, '\0');
        for (size_t i = 0; i < n; ++i)
            plain[i] = static_cast<char>((i * 7919) >> 3);
        const Inflated r = InflateAll(Deflate(plain));
        EXPECT_EQ(0, r.result);
        EXPECT_TRUE(r.bytes == plain);
    }
}

TEST(InflateBufferTest, BrokenStreamsFailWithDataErrorAndNoOutput)
{
    const std::string whole = Deflate(std::string(40000, 'x') + "tail");
    const struct
    {
        const char* name;
        std::string input;
    } cases[] = {
        { "empty input", std::string() },
        { "not zlib", std::string("plain text, not a zlib stream") },
        { "cut in the middle", whole.substr(0, whole.size() / 2) },
        { "checksum missing", whole.substr(0, whole.size() - 4) },
        { "raw deflate without the zlib header", whole.substr(2) },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Inflated r = InflateAll(c.input);
        EXPECT_EQ(Z_DATA_ERROR, r.result);
        EXPECT_TRUE(r.outIsNull);
    }
}

TEST(InflateBufferTest, OutputBeyondTheCapIsRefused)
{
    const std::string bomb = Deflate(std::string(5 * kInflateStep, '\0'));
    EXPECT_EQ(Z_MEM_ERROR, InflateAll(bomb, 4 * kInflateStep).result);
    EXPECT_EQ(0, InflateAll(bomb, 5 * kInflateStep).result);
}

TEST(InflateBufferTest, InflatingIntoAStreamAppendsAndChargesEveryGrowthFirst)
{
    ReplyMemoryBudget budget;
    budget.SetLimit(1u << 20);
    const std::string plain(3 * kInflateStep + 5, 'q');
    const std::string packed = Deflate(plain);
    {
        ReplyMemoryCharge charge(budget);
        CMemoryStream out;
        out.Write("head", 4);
        ASSERT_EQ(0,
            InflateToStream(reinterpret_cast<const uint8_t*>(packed.data()),
                static_cast<uint32_t>(packed.size()), out, kMaxInflatedBody, charge));
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.GetBuffer()), out.GetSize()), "head" + plain);
        // What the stream holds was charged before it was taken.
        EXPECT_GE(charge.Bytes(), static_cast<uint64_t>(out.GetSize()));
        EXPECT_EQ(budget.Charged(), charge.Bytes());
    }
    EXPECT_EQ(0u, budget.Charged());

    // A budget without room, the cap and a truncated stream all fail.
    budget.SetLimit(2 * kInflateStep);
    struct Case
    {
        const char* name;
        std::string input;
        uint32_t maxOutput;
        int result;
    };
    const Case cases[] = {
        { "over the budget", packed, kMaxInflatedBody, Z_MEM_ERROR },
        { "over the cap", packed, 2 * kInflateStep, Z_MEM_ERROR },
        { "truncated", packed.substr(0, packed.size() / 2), kMaxInflatedBody, Z_DATA_ERROR },
    };
    for (const Case& c : cases) {
        ReplyMemoryCharge charge(budget);
        CMemoryStream out;
        EXPECT_EQ(c.result,
            InflateToStream(reinterpret_cast<const uint8_t*>(c.input.data()),
                static_cast<uint32_t>(c.input.size()), out, c.maxOutput, charge))
            << c.name;
        EXPECT_LE(budget.Charged(), budget.Limit()) << c.name;
    }
}

TEST(InflateBufferTest, AnEmptyStreamSucceedsWithNothing)
{
    const Inflated r = InflateAll(Deflate(std::string()));
    EXPECT_EQ(0, r.result);
    EXPECT_TRUE(r.bytes.empty());
}

} // namespace
