#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <string>

#include "net/QuoteProtocol.h"

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

TEST(InflateBufferTest, AnEmptyStreamSucceedsWithNothing)
{
    const Inflated r = InflateAll(Deflate(std::string()));
    EXPECT_EQ(0, r.result);
    EXPECT_TRUE(r.bytes.empty());
}

} // namespace
