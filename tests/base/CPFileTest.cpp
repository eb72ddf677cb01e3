#include <windows.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "base/CPFile.h"
#include "base/UnicodeString.h"
#include "tests/support/TempDirectory.h"

namespace {

// The bytes from the position to the end of an open file.
std::string ReadRest(CCPFile& file)
{
    std::string out;
    char chunk[256];
    int n;
    while ((n = file.Read(chunk, sizeof(chunk))) > 0)
        out.append(chunk, static_cast<size_t>(n));
    return out;
}

// The names in a directory, sorted.
std::vector<std::string> FilesIn(const TempDirectory& dir)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA((dir.Path() + "*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (::FindNextFileA(find, &found));
    ::FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

// A late reply's save and the cache thread's save of one file may run at
// once: each must succeed and leave the file whole, one or the other.
TEST(CPFile, ConcurrentSavesOfOneFileEachLeaveItWhole)
{
    TempDirectory dir;
    const std::string path = dir.File("600000.day");
    const std::string first(48 * 1024, 'a');
    const std::string second(40 * 1024, 'b');
    std::atomic<int> failed(0);
    auto saver = [&](const std::string& bytes) {
        for (int i = 0; i < 100; ++i) {
            if (!SaveFileReplacing(path.c_str(), bytes.data(), bytes.size()))
                ++failed;
        }
    };
    std::thread a(saver, std::cref(first));
    std::thread b(saver, std::cref(second));
    a.join();
    b.join();
    EXPECT_EQ(failed.load(), 0);
    const std::string saved = dir.ReadFile("600000.day");
    EXPECT_TRUE(saved == first || saved == second) << saved.size() << " bytes";
    EXPECT_EQ(FilesIn(dir), std::vector<std::string> { "600000.day" });
}

TEST(CPFile, MarkCheckRefusesFilesShorterThanFourBytes)
{
    TempDirectory dir;
    for (const char* bytes : { "", "a", "ab", "abc" }) {
        SCOPED_TRACE(bytes);
        ASSERT_TRUE(dir.WriteFile("short.txt", bytes));
        CCPFile file;
        EXPECT_EQ(file.Open(dir.File("short.txt").c_str(), CCPFile::kReadWithMarkCheck), 0);
        EXPECT_FALSE(file.IsOpen());
        EXPECT_EQ(file.GetOpenFlag(), 0);
        // Without the check a short file opens like any other.
        CCPFile binary;
        EXPECT_EQ(binary.Open(dir.File("short.txt").c_str(), CCPFile::kRead), 1);
        EXPECT_EQ(ReadRest(binary), bytes);
    }
}

TEST(CPFile, ByteOrderMarksGiveCodePageAndSkipExactlyTheMark)
{
    struct Case
    {
        std::string bytes;
        uint32_t mode;
        int codePage;
        std::string rest;
    };
    const Case cases[] = {
        { std::string("\xFF\xFE"
                      "A\0B\0",
              6),
            CCPFile::kReadWithMarkCheck, 1200, std::string("A\0B\0", 4) },
        { std::string("\xFE\xFF\0A\0B", 6), CCPFile::kReadWithMarkCheck, 1201, std::string("\0A\0B", 4) },
        { "\xEF\xBB\xBFxyz", CCPFile::kReadWithMarkCheck, 65001, "xyz" },
        { "plain", CCPFile::kReadWithMarkCheck, 0, "plain" },
        { std::string("\xEF\xBB\x00z", 4), CCPFile::kReadWithMarkCheck, 0, std::string("\xEF\xBB\x00z", 4) },
        // Binary data whose first word looks like a mark is read from byte 0.
        { "\xFF\xFE\x01\x02\x03", CCPFile::kRead, 0, "\xFF\xFE\x01\x02\x03" },
        { "\xEF\xBB\xBF\x01", CCPFile::kRead, 0, "\xEF\xBB\xBF\x01" },
    };
    TempDirectory dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rest);
        ASSERT_TRUE(dir.WriteFile("marked.txt", c.bytes));
        CCPFile file;
        ASSERT_EQ(file.Open(dir.File("marked.txt").c_str(), c.mode), 1);
        EXPECT_EQ(file.GetCodePage(), c.codePage);
        EXPECT_EQ(ReadRest(file), c.rest);
    }
}

TEST(CPFile, CreateTruncatesUnlessKeepIsSet)
{
    TempDirectory dir;
    const std::string path = dir.File("data.bin");
    ASSERT_TRUE(dir.WriteFile("data.bin", "0123456789"));
    {
        CCPFile file;
        ASSERT_EQ(file.Open(path.c_str(), CCPFile::kWrite | CCPFile::kCreate | CCPFile::kNoTruncate), 1);
        EXPECT_EQ(file.Write("ab", 2), 2);
    }
    EXPECT_EQ(dir.ReadFile("data.bin"), "ab23456789");
    {
        CCPFile file;
        ASSERT_EQ(file.Open(path.c_str(), CCPFile::kWrite | CCPFile::kCreate | CCPFile::kBinary), 1);
        EXPECT_EQ(file.Write("xy", 2), 2);
    }
    EXPECT_EQ(dir.ReadFile("data.bin"), "xy");

    // Without kCreate a missing file is not made; kNoTruncate alone changes nothing.
    CCPFile missing;
    EXPECT_EQ(missing.Open(dir.File("none.bin").c_str(), CCPFile::kWrite), 0);
    EXPECT_EQ(missing.Open(dir.File("none.bin").c_str(), CCPFile::kWrite | CCPFile::kNoTruncate), 0);
    EXPECT_EQ(dir.ReadFile("none.bin"), "<missing>");
}

TEST(CPFile, ReadWriteSeekAndTheirFailures)
{
    TempDirectory dir;
    const std::string path = dir.File("rw.bin");
    CCPFile file;
    EXPECT_EQ(file.Read(nullptr, 0), 0);
    char byte = 0;
    EXPECT_EQ(file.Read(&byte, 1), -1);
    EXPECT_EQ(file.Write("x", 1), -1);
    EXPECT_EQ(file.Seek(0, 0), -1);

    ASSERT_EQ(file.Open(path.c_str(), CCPFile::kReadWrite | CCPFile::kCreate), 1);
    EXPECT_EQ(file.GetFileName(), path);
    EXPECT_EQ(file.Write("hello world", 11), 11);
    EXPECT_EQ(file.Write("x", 0), 0);
    EXPECT_EQ(file.Write("x", -1), -1);
    EXPECT_EQ(file.Read(&byte, -1), -1);
    EXPECT_EQ(file.Seek(-5, 2), 6);
    EXPECT_EQ(file.Seek(2, 1), 8);
    EXPECT_EQ(file.Seek(3, 3), -1);
    EXPECT_EQ(file.Seek(0, 1), 8); // the bad origin moved nothing
    EXPECT_EQ(file.Seek(6, 0), 6);
    EXPECT_EQ(ReadRest(file), "world");
    EXPECT_EQ(file.Seek(100, 0), 100);
    EXPECT_EQ(file.Read(&byte, 1), 0);
    EXPECT_EQ(file.GetLength(), 11);
    EXPECT_EQ(file.Reserved(1, 2, 3, 4), 0);
}

TEST(CPFile, OpeningAnOpenObjectFailsAndKeepsTheFile)
{
    TempDirectory dir;
    ASSERT_TRUE(dir.WriteFile("first.bin", "first"));
    ASSERT_TRUE(dir.WriteFile("second.bin", "second"));
    CCPFile file;
    ASSERT_EQ(file.Open(dir.File("first.bin").c_str(), CCPFile::kRead), 1);
    EXPECT_EQ(file.Open(dir.File("second.bin").c_str(), CCPFile::kRead), 0);
    EXPECT_EQ(file.GetFileName(), dir.File("first.bin"));
    EXPECT_EQ(ReadRest(file), "first");
}

TEST(CPFile, CloseKeepsTheOpenFlagAbortClearsIt)
{
    TempDirectory dir;
    ASSERT_TRUE(dir.WriteFile("f.bin", "data"));
    CCPFile file;
    ASSERT_EQ(file.Open(dir.File("f.bin").c_str(), CCPFile::kRead), 1);
    file.Close();
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.GetOpenFlag(), 1);
    EXPECT_EQ(file.GetFileName(), "");
    char byte;
    EXPECT_EQ(file.Read(&byte, 1), -1);
    file.Flush(); // nothing to do on a closed file
    ASSERT_EQ(file.Open(dir.File("f.bin").c_str(), CCPFile::kRead), 1);
    file.Abort();
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.GetOpenFlag(), 0);
    EXPECT_EQ(file.GetFileName(), "");
    // A save needs to know whether its bytes were kept: nothing open is a failure.
    EXPECT_FALSE(file.CommitAndClose());
    ASSERT_EQ(file.Open(dir.File("g.bin").c_str(), CCPFile::kWrite | CCPFile::kCreate), 1);
    EXPECT_EQ(file.Write("ab", 2), 2);
    EXPECT_TRUE(file.CommitAndClose());
    EXPECT_FALSE(file.IsOpen());
}

TEST(CPFile, GbkPathsAndContentsRoundTrip)
{
    TempDirectory dir;
    const std::string path = dir.File("行情数据.dat");
    const std::string text = "上证指数 深证成指";
    {
        CCPFile file;
        ASSERT_EQ(file.Open(path.c_str(), CCPFile::kWrite | CCPFile::kCreate), 1) << path;
        EXPECT_EQ(file.Write(text.data(), static_cast<int>(text.size())), static_cast<int>(text.size()));
        file.Flush();
    }
    // The name on disk is the UTF-16 form of the GBK path.
    EXPECT_NE(
        ::GetFileAttributesW((GbkToWide(dir.Path()) + L"行情数据.dat").c_str()), INVALID_FILE_ATTRIBUTES);
    std::string read;
    ASSERT_TRUE(ReadWholeFile(path.c_str(), read));
    EXPECT_EQ(read, text);
}

TEST(CPFile, ReadWholeFileRefusesMissingAndOversizedFiles)
{
    TempDirectory dir;
    ASSERT_TRUE(dir.WriteFile("ten.bin",
        std::string("0123456\0"
                    "89",
            10)));
    std::string out = "kept";
    EXPECT_FALSE(ReadWholeFile(dir.File("none.bin").c_str(), out));
    EXPECT_FALSE(ReadWholeFile(dir.File("ten.bin").c_str(), out, 9));
    EXPECT_EQ(out, "kept");
    ASSERT_TRUE(ReadWholeFile(dir.File("ten.bin").c_str(), out, 10));
    EXPECT_EQ(out,
        std::string("0123456\0"
                    "89",
            10));
    ASSERT_TRUE(dir.WriteFile("empty.bin", ""));
    ASSERT_TRUE(ReadWholeFile(dir.File("empty.bin").c_str(), out));
    EXPECT_EQ(out, "");
}

TEST(CPFile, SaveReplacesTheFileOrLeavesItWhole)
{
    TempDirectory dir;
    const std::string path = dir.File("store.dat");
    ASSERT_TRUE(dir.WriteFile("store.dat", "old contents"));
    ASSERT_TRUE(SaveFileReplacing(path.c_str(), "new", 3));
    EXPECT_EQ(dir.ReadFile("store.dat"), "new");
    EXPECT_EQ(FilesIn(dir), std::vector<std::string> { "store.dat" }) << "no temporary file is left";

    // The target cannot be replaced: the save fails, the old file stays, nothing is left beside it.
    HANDLE held = ::CreateFileW(
        GbkToWide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(SaveFileReplacing(path.c_str(), "newer", 5));
    ::CloseHandle(held);
    EXPECT_EQ(dir.ReadFile("store.dat"), "new");
    EXPECT_EQ(FilesIn(dir), std::vector<std::string> { "store.dat" });

    EXPECT_TRUE(SaveFileReplacing(dir.File("empty.dat").c_str(), nullptr, 0));
    EXPECT_EQ(dir.ReadFile("empty.dat"), "");
    EXPECT_FALSE(SaveFileReplacing(dir.File("no\\such\\dir.dat").c_str(), "x", 1));
}
