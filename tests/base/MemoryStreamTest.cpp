#include <windows.h>
#include <gtest/gtest.h>
#include <cstring>
#include <string>

#include "base/MemoryStream.h"
#include "base/UnicodeString.h"
#include "tests/support/TempDirectory.h"

namespace {

std::string Contents(const CMemoryStream& stream)
{
    return std::string(
        reinterpret_cast<const char*>(stream.GetBuffer()), static_cast<size_t>(stream.GetSize()));
}

} // namespace

TEST(MemoryStream, CapacityGrowsInSteps)
{
    CMemoryStream stream;
    EXPECT_EQ(stream.GetBuffer(), nullptr);
    EXPECT_EQ(stream.GetCapacity(), 0);
    ASSERT_EQ(stream.Write("x", 1), 1);
    EXPECT_EQ(stream.GetCapacity(), 8192);
    EXPECT_EQ(stream.GetSize(), 1);
    EXPECT_EQ(stream.GetPosition(), 1);
    const std::string block(8192, 'b');
    ASSERT_EQ(stream.Write(block.data(), 8192), 8192);
    EXPECT_EQ(stream.GetCapacity(), 16384);
    EXPECT_EQ(stream.GetSize(), 8193);
    EXPECT_EQ(Contents(stream), "x" + block);
}

TEST(MemoryStream, ReserveRoundsUpAndNeverShrinksBelowTheData)
{
    CMemoryStream stream;
    EXPECT_EQ(stream.Reserve(1), 8192);
    EXPECT_EQ(stream.Reserve(8192), 8192);
    EXPECT_EQ(stream.Reserve(8193), 16384);
    EXPECT_EQ(stream.GetSize(), 0);
    const std::string data(10000, 'd');
    ASSERT_EQ(stream.Write(data.data(), 10000), 10000);
    EXPECT_GE(stream.Reserve(100), 10000);
    EXPECT_EQ(Contents(stream), data);
    // A request equal to the size is taken exactly.
    EXPECT_EQ(stream.Reserve(10000), 10000);
    EXPECT_EQ(Contents(stream), data);
}

TEST(MemoryStream, ReadCopiesWhatIsThereAndReportsDistancePastTheEnd)
{
    CMemoryStream stream;
    ASSERT_EQ(stream.Write("abcdef", 6), 6);
    char out[8] = {};
    EXPECT_EQ(stream.Seek(2, 0), 2);
    EXPECT_EQ(stream.Read(out, 3), 3);
    EXPECT_EQ(std::string(out, 3), "cde");
    EXPECT_EQ(stream.Read(out, 100), 1);
    EXPECT_EQ(out[0], 'f');
    EXPECT_EQ(stream.Read(out, 1), 0);

    std::memset(out, '#', sizeof(out));
    EXPECT_EQ(stream.Seek(4, 2), 10);
    EXPECT_EQ(stream.Read(out, 2), -4);
    EXPECT_EQ(std::string(out, 2), "##");
    EXPECT_EQ(stream.GetPosition(), 10);
    EXPECT_EQ(stream.GetRemaining(), 0);

    EXPECT_EQ(stream.Seek(-1, 0), -1);
    EXPECT_EQ(stream.Read(out, 2), 0);
    EXPECT_EQ(stream.Seek(0, 0), 0);
    EXPECT_EQ(stream.Read(out, -1), 0);
}

TEST(MemoryStream, SeekOrigins)
{
    CMemoryStream stream;
    ASSERT_EQ(stream.Write("0123456789", 10), 10);
    struct Case
    {
        int32_t offset;
        int origin;
        int32_t expected;
    };
    // Each case starts from position 4.
    const Case cases[] = { { 3, 0, 3 }, { 3, 1, 7 }, { -3, 1, 1 }, { -2, 2, 8 }, { 5, 2, 15 }, { 3, 3, 4 },
        { 3, -1, 4 }, { 3, 0x10000, 3 }, { 3, 0x10001, 7 } };
    for (const Case& c : cases) {
        stream.Seek(4, 0);
        EXPECT_EQ(stream.Seek(c.offset, c.origin), c.expected) << c.offset << " from " << c.origin;
    }
}

TEST(MemoryStream, WritesOverwriteExtendAndZeroTheGap)
{
    CMemoryStream stream;
    ASSERT_EQ(stream.Write("abcdef", 6), 6);
    stream.Seek(2, 0);
    EXPECT_EQ(stream.Write("XY", 2), 2);
    EXPECT_EQ(stream.GetSize(), 6);
    EXPECT_EQ(Contents(stream), "abXYef");
    EXPECT_EQ(stream.GetPosition(), 4);

    // A block just freed with junk in it is likely to come back: the gap
    // between the old end and a write past it must still read as zeros.
    CMemoryStream reused;
    const std::string junk(100, '\xCC');
    ASSERT_EQ(reused.Write(junk.data(), 100), 100);
    reused.Clear();
    ASSERT_EQ(reused.Write("ab", 2), 2);
    reused.Seek(10, 0);
    ASSERT_EQ(reused.Write("z", 1), 1);
    EXPECT_EQ(Contents(reused), std::string("ab\0\0\0\0\0\0\0\0z", 11));
}

TEST(MemoryStream, RefusedWritesChangeNothing)
{
    CMemoryStream stream;
    ASSERT_EQ(stream.Write("abc", 3), 3);
    struct Case
    {
        int32_t position;
        int32_t n;
    };
    // Negative position or count, an end past 2^31, and a block a 32-bit process cannot get
    // (a 64-bit build can, so that case is only for the 32-bit program).
    const Case cases[] = { { -1, 1 }, { 0, -1 }, { INT32_MAX - 1, 10 }, { 0x7FFF0000, 1 } };
    for (const Case& c : cases) {
        if (sizeof(void*) > 4 && c.position == 0x7FFF0000)
            continue;
        SCOPED_TRACE(c.position);
        stream.Seek(c.position, 0);
        const std::string data(c.n > 0 ? static_cast<size_t>(c.n) : 1, 'q');
        EXPECT_EQ(stream.Write(data.data(), c.n), 0);
        EXPECT_EQ(stream.GetSize(), 3);
        EXPECT_EQ(stream.GetCapacity(), 8192);
        EXPECT_EQ(Contents(stream), "abc");
    }
    stream.Seek(3, 0);
    EXPECT_EQ(stream.Write(nullptr, 2), 0);
    EXPECT_EQ(stream.GetSize(), 3);
}

TEST(MemoryStream, ClearStartsAgainWithAFreshBlock)
{
    CMemoryStream stream;
    ASSERT_EQ(stream.Write("abcdef", 6), 6);
    stream.Clear();
    EXPECT_EQ(stream.GetBuffer(), nullptr);
    EXPECT_EQ(stream.GetSize(), 0);
    EXPECT_EQ(stream.GetPosition(), 0);
    EXPECT_EQ(stream.GetCapacity(), 0);
    ASSERT_EQ(stream.Write("xy", 2), 2);
    EXPECT_EQ(stream.GetPosition(), 2);
    EXPECT_EQ(stream.GetCapacity(), 8192);
    EXPECT_EQ(Contents(stream), "xy");
}

TEST(MemoryStream, DestructorClosesAnAttachedFile)
{
    TempDirectory dir;
    const std::wstring path = GbkToWide(dir.File("groups.blk"));
    HANDLE file = ::CreateFileW(
        path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    {
        CMemoryStream stream;
        stream.AttachFile(file);
        // Opened without sharing: nobody else gets in while the stream holds it.
        HANDLE second = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(second, INVALID_HANDLE_VALUE);
    }
    HANDLE again = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(again, INVALID_HANDLE_VALUE);
    ::CloseHandle(again);

    CMemoryStream detached;
    detached.AttachFile(file);
    EXPECT_EQ(detached.DetachFile(), file);
    EXPECT_EQ(detached.DetachFile(), nullptr);
}

TEST(UnicodeString, ConvertsBetweenCodePagesWithTheTerminatorCounted)
{
    CUnicodeString text;
    EXPECT_EQ(text.FromMultiByte("中文abc", kGbkCodePage), 6);
    EXPECT_EQ(std::wstring(text.GetWide()), L"中文abc");
    int32_t length = -1;
    const char* gbk = text.ToMultiByte(kGbkCodePage, &length);
    ASSERT_NE(gbk, nullptr);
    EXPECT_EQ(length, 7);
    EXPECT_STREQ(gbk, "中文abc");
    const char* utf8 = text.ToMultiByte(CP_UTF8, &length);
    ASSERT_NE(utf8, nullptr);
    EXPECT_EQ(length, 9);
    EXPECT_STREQ(utf8, u8"中文abc");

    EXPECT_EQ(text.FromMultiByte(nullptr, kGbkCodePage), 0);
    EXPECT_EQ(text.GetWide(), nullptr);
    EXPECT_EQ(text.ToMultiByte(kGbkCodePage, &length), nullptr);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(text.FromMultiByte("", kGbkCodePage), 1);
    EXPECT_STREQ(text.GetWide(), L"");
}

TEST(UnicodeString, WholeStringHelpersKeepEveryCharacter)
{
    const std::string gbk = std::string("股票\0代码", 9) + "☆";
    const std::wstring wide = GbkToWide(gbk);
    EXPECT_EQ(wide, std::wstring(L"股票\0代码☆", 6));
    EXPECT_EQ(WideToGbk(wide), gbk);
    EXPECT_EQ(GbkToWide(""), L"");
    EXPECT_EQ(WideToGbk(L""), "");
    EXPECT_TRUE(IsGbkLeadByte(0x81));
    EXPECT_TRUE(IsGbkLeadByte(0xFE));
    EXPECT_FALSE(IsGbkLeadByte(0x80));
    EXPECT_FALSE(IsGbkLeadByte(0xFF));
}
