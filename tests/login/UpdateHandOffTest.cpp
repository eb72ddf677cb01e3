// The new version's file beside the program, and the updater that puts it in
// the program's place.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/UpdateHandOff.h"
#include "base/HandleOwner.h"
#include "base/PathUtil.h"
#include "tests/support/TempDirectory.h"
#include "tools/webservice/SimLoginService.h"

namespace {
std::string ProgramImage(size_t size)
{
    std::string image(size, 'x');
    image[0] = 'M';
    image[1] = 'Z';
    return image;
}

// Runs the updater on a path and returns its exit code (STILL_ACTIVE when it hangs).
DWORD RunUpdater(const std::string& argument)
{
    const std::string updater = UpdaterPath();
    std::string commandLine = "\"" + updater + "\" " + argument;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessA(
            updater.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return static_cast<DWORD>(-1);
    ::CloseHandle(info.hThread);
    CKernelHandle process(info.hProcess);
    DWORD code = STILL_ACTIVE;
    if (::WaitForSingleObject(process.Get(), 60000) == WAIT_OBJECT_0)
        ::GetExitCodeProcess(process.Get(), &code);
    return code;
}
} // namespace

TEST(UpdateHandOff, OnlyAWholeProgramLargerThan10240BytesIsWritten)
{
    TempDirectory dir("update");
    const std::string program = dir.File("Zentu.exe");
    const std::string newFile = program + ".new";

    EXPECT_EQ(WriteUpdateFile(program, ProgramImage(10240)), UpdateWrite::TooSmall);
    EXPECT_EQ(ReadTestFile(newFile), "<missing>");
    EXPECT_EQ(WriteUpdateFile(program, ""), UpdateWrite::TooSmall);
    std::string zip = ProgramImage(20000);
    zip[0] = 'P';
    zip[1] = 'K';
    EXPECT_EQ(WriteUpdateFile(program, zip), UpdateWrite::NotAProgram);
    EXPECT_EQ(ReadTestFile(newFile), "<missing>");

    const std::string image = ProgramImage(10241);
    ASSERT_EQ(WriteUpdateFile(program, image), UpdateWrite::Written);
    EXPECT_EQ(ReadTestFile(newFile), image);
    // A second download replaces the first whole.
    const std::string larger = ProgramImage(30000);
    ASSERT_EQ(WriteUpdateFile(program, larger), UpdateWrite::Written);
    EXPECT_EQ(ReadTestFile(newFile), larger);
    // Nothing else is left in the directory (no temporary files).
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA(dir.File("*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    int files = 0;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ++files;
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    EXPECT_EQ(files, 1);

    // A directory that does not exist: reported, not handed over.
    EXPECT_EQ(WriteUpdateFile(dir.File("missing\\Zentu.exe"), image), UpdateWrite::WriteFailed);
}

TEST(UpdateHandOff, TheSimulatorsBodiesAreWhatTheirNamesSay)
{
    TempDirectory dir("update");
    const std::string program = dir.File("Zentu.exe");
    EXPECT_EQ(WriteUpdateFile(program, SimLoginService::UpdateImage(SimLoginService::UpdateBody::Program)),
        UpdateWrite::Written);
    EXPECT_EQ(WriteUpdateFile(program, SimLoginService::UpdateImage(SimLoginService::UpdateBody::Small)),
        UpdateWrite::TooSmall);
    EXPECT_EQ(WriteUpdateFile(program, SimLoginService::UpdateImage(SimLoginService::UpdateBody::NotAProgram)),
        UpdateWrite::NotAProgram);
}

TEST(UpdateHandOff, TheUpdaterPutsTheNewFileInTheProgramsPlace)
{
    if (::GetFileAttributesA(UpdaterPath().c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "Update.exe is not built";
    TempDirectory dir("update");
    const std::string program = dir.File("程序.exe");
    ASSERT_TRUE(dir.WriteFile("程序.exe", "old"));

    EXPECT_EQ(RunUpdater("\"" + program + "\""), 2u) << "no .new yet";
    EXPECT_EQ(RunUpdater(""), 1u);
    ASSERT_TRUE(dir.WriteFile("程序.exe.new", ProgramImage(100)));
    EXPECT_EQ(RunUpdater("\"" + program + "\""), 2u) << "too small to be a program";
    EXPECT_EQ(ReadTestFile(program), "old");

    const std::string image = ProgramImage(12000);
    ASSERT_EQ(WriteUpdateFile(program, image), UpdateWrite::Written);
    EXPECT_EQ(RunUpdater("\"" + program + "\""), 0u);
    EXPECT_EQ(ReadTestFile(program), image);
    EXPECT_EQ(ReadTestFile(program + ".new"), "<missing>");
}
