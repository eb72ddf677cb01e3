#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "base/Base64.h"

namespace {

struct FreeDeleter
{
    void operator()(void* p) const { std::free(p); }
};
using HeapText = std::unique_ptr<char, FreeDeleter>;
using HeapBytes = std::unique_ptr<unsigned char, FreeDeleter>;

std::string Encode(const std::string& bytes)
{
    size_t n = 12345;
    HeapText text(CUrlBase64::Encode(bytes.data(), bytes.size(), &n));
    EXPECT_TRUE(text);
    if (!text)
        return "<null>";
    EXPECT_EQ(text.get()[n], '\0');
    return std::string(text.get(), n);
}

// Decoded bytes, or "<null>" when Decode refuses the text.
std::string Decode(const std::string& text)
{
    size_t n = 12345;
    HeapBytes bytes(CUrlBase64::Decode(text.data(), text.size(), &n));
    if (!bytes)
        return "<null>";
    return std::string(reinterpret_cast<const char*>(bytes.get()), n);
}

std::string UrlEncode(const std::string& bytes, size_t bufferSize)
{
    std::vector<char> buffer(bufferSize + 1, '#');
    const int n = Base64Encode(bytes.data(), bytes.size(), buffer.data(), bufferSize);
    if (n < 0)
        return "<-1>";
    EXPECT_EQ(buffer[static_cast<size_t>(n)], '#'); // no terminator written
    return std::string(buffer.data(), static_cast<size_t>(n));
}

} // namespace

TEST(Base64, EncodeKnownTexts)
{
    EXPECT_EQ(Encode("abc"), "YWJj\n");
    EXPECT_EQ(Encode("\xFF"), "/w==\n");
    EXPECT_EQ(Encode("ab"), "YWI=\n");
    EXPECT_EQ(Encode(""), "");
    EXPECT_EQ(Encode("\xFB\xFF"), "+/8=\n");
}

TEST(Base64, EncodeBreaksLinesAfter72Characters)
{
    // 54 bytes fill one line exactly: one line feed, not two.
    for (size_t length : { 53u, 54u, 55u, 108u, 109u }) {
        SCOPED_TRACE(length);
        const std::string text = Encode(std::string(length, 'x'));
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(text.back(), '\n');
        size_t lineStart = 0;
        size_t lines = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] != '\n')
                continue;
            const size_t lineLength = i - lineStart;
            EXPECT_TRUE(lineLength == 72 || i + 1 == text.size()) << "line " << lines;
            EXPECT_GT(lineLength, 0u) << "empty line " << lines;
            lineStart = i + 1;
            ++lines;
        }
        EXPECT_EQ(lines, (length + 53) / 54);
    }
}

TEST(Base64, RoundTripsEveryLengthUpTo200)
{
    std::string bytes;
    for (size_t length = 0; length <= 200; ++length) {
        SCOPED_TRACE(length);
        ASSERT_EQ(Decode(Encode(bytes)), bytes);
        std::string withoutLineFeeds = Encode(bytes);
        withoutLineFeeds.erase(
            std::remove(withoutLineFeeds.begin(), withoutLineFeeds.end(), '\n'), withoutLineFeeds.end());
        EXPECT_EQ(Base64EncodeStandard(bytes.data(), bytes.size()), withoutLineFeeds);
        bytes.push_back(static_cast<char>(length * 37 + 11));
    }
}

TEST(Base64, DecodeSkipsForeignBytesAndHonoursPadding)
{
    struct Case
    {
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        { "YWJj", "abc" },
        { "YW\nJj", "abc" },
        { " Y W J j \r\n", "abc" },
        { "Y!WJj", "abc" },
        { "YQ==", "a" },
        { "YWI=", "ab" },
        { "YWJjYQ==\n", "abca" },
        { "", "" },
        { "\n\n", "" },
        { "YWJ", "<null>" },
        { "YWJjY", "<null>" },
        { "YQ=", "<null>" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(Decode(c.text), c.expected) << c.text;
}

TEST(Base64, DecodeOfNothingGivesAnEmptyBuffer)
{
    size_t n = 99;
    HeapBytes bytes(CUrlBase64::Decode("", 0, &n));
    ASSERT_TRUE(bytes);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(CUrlBase64::Decode(nullptr, 4, &n), nullptr);
}

TEST(Base64, EncodeToStringSwapsTheUrlUnsafeCharacters)
{
    size_t n = 0;
    HeapText text(Base64EncodeToString("\xFB\xFF", 2, &n));
    ASSERT_TRUE(text);
    EXPECT_EQ(std::string(text.get(), n), "!_8-\n");
    HeapText plain(Base64EncodeToString("abc", 3, &n));
    ASSERT_TRUE(plain);
    EXPECT_EQ(std::string(plain.get(), n), "YWJj\n");
}

TEST(Base64, UrlSafeEncodeEndsWithExactlyOneEqualsSign)
{
    struct Case
    {
        std::string bytes;
        size_t bufferSize;
        std::string expected;
    };
    const Case cases[] = {
        { "abc", 64, "YWJj=" },
        { "a", 64, "YQ=" },
        { "ab", 64, "YWI=" },
        { "", 64, "=" },
        { "\xFB\xFF", 64, "-_8=" },
        { "abc", 5, "YWJj=" },
        { "abc", 4, "<-1>" },
        { "abc", 0, "<-1>" },
        { "", 0, "<-1>" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(UrlEncode(c.bytes, c.bufferSize), c.expected) << c.bytes << " in " << c.bufferSize;
}

TEST(Base64, StandardEncodingForCredentials)
{
    EXPECT_EQ(Base64EncodeStandard("user:pass", 9), "dXNlcjpwYXNz");
    EXPECT_EQ(Base64EncodeStandard("\xFB\xFF", 2), "+/8=");
    EXPECT_EQ(Base64EncodeStandard("", 0), "");
    const std::string longInput(300, 'z');
    EXPECT_EQ(Base64EncodeStandard(longInput.data(), longInput.size()).find('\n'), std::string::npos);
}
